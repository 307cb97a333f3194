#include "trees/TreeLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "trees/NAryFormModel.h"

namespace trees::TreeLayout {

namespace {

bool isMetafile(const LayoutParams& params)
{
    return params.surface == Surface::Metafile;
}

// Metafile coordinates are whole twips.
double coord(double value, const LayoutParams& params)
{
    return isMetafile(params) ? std::trunc(value) : value;
}

void addLine(DrawList& out, const LayoutParams& params, double x1, double y1, double x2, double y2)
{
    out.line(coord(x1, params), coord(y1, params), coord(x2, params), coord(y2, params));
}

double midY(const NodeLabel& box)
{
    return box.Top + box.Height / 2;
}

// Calls emit(parent, child) for every branch, each child's subtree first.
template <class Emit>
void postOrderBranches(const NAryNode& root, Emit emit)
{
    struct Frame {
        const NAryNode* node;
        std::size_t next;
        bool descended;
    };
    std::vector<Frame> stack{{&root, 0, false}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.node->childCount()) {
            stack.pop_back();
            continue;
        }
        const NAryNode& child = *frame.node->Children()[frame.next];
        if (!frame.descended && child.childCount() > 0) {
            frame.descended = true;
            stack.push_back({&child, 0, false});
            continue;
        }
        emit(*frame.node, child);
        ++frame.next;
        frame.descended = false;
    }
}

// The length a branch is drawn with: from 0 to below the shortest branch it is
// raised to that, so that it shows; a negative length is drawn as it is.
double drawnLength(double length)
{
    return length >= 0 && length < ShortestBranch ? ShortestBranch : length;
}

// Where the nodes stand as drawn, in branch-length units from the root: the
// lowest and highest distance over all nodes, and whether any branch goes
// back (a negative length).
struct Reach {
    double lowest = 0;
    double highest = 0;
    bool goesBack = false;
};

Reach reachOf(const NAryNode& root)
{
    Reach reach;
    std::vector<std::pair<const NAryNode*, double>> stack{{&root, 0.0}};
    while (!stack.empty()) {
        const auto [node, at] = stack.back();
        stack.pop_back();
        reach.lowest = std::min(reach.lowest, at);
        reach.highest = std::max(reach.highest, at);
        for (const auto& child : node->Children()) {
            reach.goesBack = reach.goesBack || child->BranchLength() < 0;
            stack.emplace_back(child.get(), at + drawnLength(child->BranchLength()));
        }
    }
    return reach;
}

double rootX(const LayoutParams& params)
{
    return RootX + params.back * params.xScale;
}

} // namespace

double XScaleFor(double surfaceWidth, double depth)
{
    if (std::isnan(depth) || std::isnan(surfaceWidth)) {
        throw platform::Error(platform::err::InvalidCall, "XScale", "The depth of the tree is not a number.");
    }
    if (!(depth > 0)) {
        throw platform::Error(platform::err::DivisionByZero, "XScale", "The tree has no depth to scale by.");
    }
    return (surfaceWidth - RightMargin) / depth;
}

void PlaceNodes(NAryNode& node, double x, double& y, const LayoutParams& params, DrawList& out)
{
    struct Frame {
        NAryNode* node;
        double x;
        double y0;
        std::size_t next;
    };
    std::vector<Frame> stack{{&node, x, y, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        NAryNode& current = *frame.node;
        if (frame.next < current.childCount()) {
            if (frame.next > 0) {
                y += params.yGap;  // the gap falls only between siblings
            }
            NAryNode& child = *current.Children()[frame.next++];
            child.setBranchLength(drawnLength(child.BranchLength()));
            double childX = frame.x + child.BranchLength() * params.xScale;
            if (child.IsLeaf()) {
                childX += 2 * params.labelWidth;
            }
            stack.push_back({&child, childX, y, 0});
            continue;
        }
        if (current.childCount() == 0) {
            y += params.labelHeight;
        }
        const double top = (frame.y0 + y) / 2 + params.labelHeight / 2;
        NodeLabel& box = current.Box();
        box.Left = frame.x;
        box.Top = top;
        const std::string* text = nullptr;
        if (current.IsLeaf()) {
            text = &box.Caption;
        } else if (params.showInnerLabels) {
            text = params.mrc ? &box.SupportText : &box.Caption;
        }
        if (text != nullptr && !text->empty()) {
            if (isMetafile(params)) {
                out.text(std::trunc(frame.x + 60), std::trunc(top + params.labelHeight), *text);
            } else {
                out.text(frame.x, top, *text);
            }
        }
        stack.pop_back();
    }
}

void DrawPhenoBranches(const NAryNode& node, const LayoutParams& params, DrawList& out)
{
    postOrderBranches(node, [&](const NAryNode& parent, const NAryNode& child) {
        const NodeLabel& p = parent.Box();
        const NodeLabel& c = child.Box();
        const double px = p.Left + p.Width;
        const double py = midY(p);
        const double cy = midY(c);
        const double cx = params.showInnerLabels || child.IsLeaf() ? c.Left : c.Left + c.Width;
        addLine(out, params, px, py, px, cy);
        addLine(out, params, px, cy, cx, cy);
    });
}

void DrawCladoBranches(const NAryNode& node, const LayoutParams& params, DrawList& out)
{
    postOrderBranches(node, [&](const NAryNode& parent, const NAryNode& child) {
        const NodeLabel& p = parent.Box();
        const NodeLabel& c = child.Box();
        const double px = params.showInnerLabels ? p.Left + p.Width : p.Left + p.Width / 2;
        const double py = midY(p);
        const bool toLeftEnd = params.showInnerLabels || child.IsLeaf();
        const double cx = toLeftEnd ? c.Left : c.Left + c.Width / 2;
        addLine(out, params, px, py, cx, midY(c));
    });
}

void DrawPhenogram(NAryNode& root, const LayoutParams& params, DrawList& out)
{
    double y = FirstSlotY;
    PlaceNodes(root, rootX(params), y, params, out);
    DrawPhenoBranches(root, params, out);
}

void DrawCladogram(NAryNode& root, const LayoutParams& params, DrawList& out)
{
    double y = FirstSlotY;
    PlaceNodes(root, rootX(params), y, params, out);
    DrawCladoBranches(root, params, out);
}

double LowestLabelTop(const NAryNode& root)
{
    double lowest = 0;
    std::vector<const NAryNode*> stack{&root};
    while (!stack.empty()) {
        const NAryNode* node = stack.back();
        stack.pop_back();
        lowest = std::max(lowest, node->Box().Top);
        for (const auto& child : node->Children()) {
            stack.push_back(child.get());
        }
    }
    return lowest;
}

double ScaleBarLength(double depth)
{
    if (depth > 1) {
        return 1;
    }
    // The depth in plain decimal notation, never with an exponent.
    char buffer[400];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(depth), std::chars_format::fixed);
    const std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    std::size_t k = 1;
    const std::size_t point = text.rfind('.');
    if (point != std::string_view::npos) {
        const std::string_view decimals = text.substr(point + 1);
        const std::size_t firstDigit = decimals.find_first_not_of('0');
        if (firstDigit != std::string_view::npos) {
            k = firstDigit + 1;
        }
    }
    const std::string power = "1e-" + std::to_string(k);
    double length = 0;
    std::from_chars(power.data(), power.data() + power.size(), length);
    return length;
}

void DrawScaleBar(const NAryNode& root, double depth, const LayoutParams& params, DrawList& out)
{
    const double x0 = root.Box().Left + 200;
    const double y1 = LowestLabelTop(root) + 5 * params.yGap;
    const double yBar = y1 + 2.5 * params.yGap;
    out.height = coord(y1 + 10 * params.yGap, params);
    const double length = ScaleBarLength(depth);
    const double x1 = x0 + length * params.xScale;
    addLine(out, params, x0, yBar, x1, yBar);
    const std::string text = platform::rt::CStr(length);
    if (isMetafile(params)) {
        out.text(std::trunc(x1), std::trunc(yBar), text);
    } else {
        out.text(x1 + (x1 - x0) / 1.7, y1, text);
    }
}

DrawList DrawTree(NAryFormModel& model, double surfaceWidth, TreeView view, Surface surface)
{
    DrawList out;
    out.penWidth = PenWidth(model.LineThickness());
    out.fontPoints = model.FontPoints();
    NAryNode* root = model.RootNode();
    if (root == nullptr) {
        return out;
    }
    // A root without children (a reading that failed) has no depth: it is
    // drawn alone, unscaled. A tree with a branch going back spans from its
    // leftmost node to its rightmost, and its root moves right by the
    // stretch behind it.
    const Reach reach = reachOf(*root);
    const double depth = reach.goesBack ? reach.highest - reach.lowest : model.DrawingDepth();
    model.setXScale(depth > 0 ? XScaleFor(surfaceWidth, depth) : 0.0);
    LayoutParams params;
    params.back = -reach.lowest;
    params.labelWidth = model.LabelWidth();
    params.labelHeight = model.LabelHeight();
    params.yGap = model.YGap();
    params.xScale = model.XScale();
    params.showInnerLabels = model.ShowInnerLabels();
    params.mrc = model.CurTreeType() == TreeKind::Mrc;
    params.surface = surface;
    if (view == TreeView::Phenogram) {
        DrawPhenogram(*root, params, out);
    } else {
        DrawCladogram(*root, params, out);
    }
    if (model.Menu().scaleChecked) {
        DrawScaleBar(*root, depth, params, out);
    } else {
        out.height = coord(LowestLabelTop(*root) + 5 * params.yGap, params);
    }
    return out;
}

} // namespace trees::TreeLayout
