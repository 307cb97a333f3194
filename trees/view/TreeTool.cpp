#include "trees/view/TreeTool.h"

#include <string>
#include <utility>

#include "platform/errors/Error.h"
#include "trees/Newick.h"

namespace trees {

using platform::TreeViewModel;

TreeViewModel& TreeTool::view() const
{
    if (m_view == nullptr) {
        throw platform::Error(platform::err::ObjectNotSet, "TreeTool", "The tree tool has no tree view yet.");
    }
    return *m_view;
}

void TreeTool::Initialize(TreeViewModel& treeView, const platform::ImageList* imageList)
{
    m_view = &treeView;
    treeView.setImageList(imageList);
    treeView.setStyle(4);
}

void TreeTool::MakeNodesSelected(const std::vector<std::int32_t>& indices, std::int32_t count)
{
    if (count < 0 || static_cast<std::size_t>(count) > indices.size()) {
        throw platform::Error::runtime(platform::err::Subscript, "MakeNodesSelected");
    }
    for (std::int32_t k = 0; k < count; ++k) {
        view().setSelected(indices[static_cast<std::size_t>(k)], true);
    }
}

void TreeTool::GetSelectedNodes(std::vector<std::int32_t>& indices, std::int32_t& count) const
{
    const TreeViewModel& v = view();
    std::int32_t found = 0;
    for (std::int32_t i = 1; i <= v.Count(); ++i) {
        if (v.Selected(i)) {
            if (static_cast<std::size_t>(found) >= indices.size()) {
                throw platform::Error::runtime(platform::err::Subscript, "GetSelectedNodes");
            }
            indices[static_cast<std::size_t>(found++)] = i;
        }
    }
    count = found;
}

void TreeTool::MakeVisible()
{
    TreeViewModel& v = view();
    for (std::int32_t i = 1; i <= v.Count(); ++i) {
        v.EnsureVisible(i);
    }
}

void TreeTool::SetBackColor(std::int32_t color)
{
    TreeViewModel& v = view();
    for (std::int32_t i = 1; i <= v.Count(); ++i) {
        v.setBackColor(i, color);
    }
}

void TreeTool::SetForeColor(std::int32_t color)
{
    TreeViewModel& v = view();
    for (std::int32_t i = 1; i <= v.Count(); ++i) {
        v.setForeColor(i, color);
    }
}

void TreeTool::SetBold(bool bold)
{
    TreeViewModel& v = view();
    for (std::int32_t i = 1; i <= v.Count(); ++i) {
        v.setBold(i, bold);
    }
}

void TreeTool::SetCheck(bool checked)
{
    TreeViewModel& v = view();
    for (std::int32_t i = 1; i <= v.Count(); ++i) {
        v.setChecked(i, checked);
    }
}

void TreeTool::ClearNode() { view().Clear(); }

std::int32_t TreeTool::addChild(std::int32_t parent, std::string_view key, std::string_view text,
                                const analysis::MyNode& node, bool storeLength, bool expanded)
{
    TreeViewModel& v = view();
    const std::int32_t added = v.Add(parent, platform::TreeRelationship::Child, key, text);
    v.setExpanded(added, expanded);
    if (storeLength) {
        v.setTag(added, node.BranchLen());
    }
    return added;
}

std::int32_t TreeTool::AddChildNode(std::int32_t parent, const analysis::MyNode& node, bool storeLength,
                                    bool expanded)
{
    return addChild(parent, {}, {}, node, storeLength, expanded);
}

std::int32_t TreeTool::AddChildLeaf(std::int32_t parent, const analysis::MyNode& node, bool storeLength,
                                    bool expanded)
{
    return addChild(parent, node.Caption(), {}, node, storeLength, expanded);
}

void TreeTool::PlantTree(const analysis::MyNode& root, std::int32_t parent, bool storeLength, bool expanded)
{
    TreeViewModel& v = view();
    (void)v.Children(parent);  // a bad parent fails before anything is added
    platform::FrozenUpdates frozen(v);
    // Pre-order with an explicit stack of (MyNode, tree-view parent); children
    // are pushed in reverse so that they come off in collection order.
    std::vector<std::pair<const analysis::MyNode*, std::int32_t>> stack;
    const auto pushChildren = [&stack](const analysis::MyNode& node, std::int32_t under) {
        const auto& kids = node.Children();
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
            stack.emplace_back(it->get(), under);
        }
    };
    pushChildren(root, parent);
    while (!stack.empty()) {
        const auto [node, under] = stack.back();
        stack.pop_back();
        if (node->Tip()) {
            addChild(under, {}, node->Caption(), *node, storeLength, expanded);
        } else {
            const std::string text = node->Caption().empty() ? std::to_string(v.Count()) : node->Caption();
            const std::int32_t added = addChild(under, {}, text, *node, storeLength, expanded);
            pushChildren(*node, added);
        }
    }
}

void TreeTool::GetDist2Tip(std::int32_t node, double& distance) const
{
    const TreeViewModel& v = view();
    for (std::int32_t at = v.Child(node); at != 0; at = v.Child(at)) {
        distance += v.Tag(at).value_or(0.0);
    }
}

void TreeTool::OutTreeBranchlen(std::int32_t node, std::string& text) const
{
    const TreeViewModel& v = view();
    struct Frame {
        std::int32_t node;
        std::size_t next;
    };
    const auto length = [&v, &text](std::int32_t child) {
        text += ':';
        text += Newick::FormatLen5(v.Tag(child).value_or(0.0));
    };
    std::vector<Frame> stack{{node, 0}};
    text += '(';
    while (!stack.empty()) {
        Frame& top = stack.back();
        const std::vector<std::int32_t>& kids = v.ChildList(top.node);
        if (top.next == kids.size()) {
            text += ')';
            const std::int32_t done = top.node;
            stack.pop_back();
            if (!stack.empty()) {
                length(done);
            }
            continue;
        }
        const std::int32_t child = kids[top.next++];
        if (top.next > 1) {
            text += ',';
        }
        if (v.Children(child) == 0) {
            text += Newick::QuoteName(v.Text(child));
            length(child);
        } else {
            text += '(';
            stack.push_back(Frame{child, 0});
        }
    }
}

template <class Visit>
void TreeTool::forEachLeafBelow(std::int32_t node, Visit visit) const
{
    const TreeViewModel& v = view();
    (void)v.Children(node);
    std::vector<std::int32_t> stack;
    const auto pushChildren = [&](std::int32_t at) {
        const std::vector<std::int32_t>& kids = v.ChildList(at);
        stack.insert(stack.end(), kids.rbegin(), kids.rend());
    };
    pushChildren(node);
    while (!stack.empty()) {
        const std::int32_t at = stack.back();
        stack.pop_back();
        if (v.Children(at) == 0) {
            visit(at);
        } else {
            pushChildren(at);
        }
    }
}

void TreeTool::GetTipsBelowNode(std::int32_t node, std::int32_t& count) const
{
    std::int32_t found = 0;
    forEachLeafBelow(node, [&found](std::int32_t) { ++found; });
    count += found;
}

void TreeTool::GetLociBelowNode(std::int32_t node, std::vector<std::string>& names, std::int32_t& position) const
{
    if (position < 0) {
        throw platform::Error::runtime(platform::err::Subscript, "GetLociBelowNode");
    }
    const TreeViewModel& v = view();
    forEachLeafBelow(node, [&](std::int32_t leaf) {
        const auto at = static_cast<std::size_t>(position);
        if (at >= names.size()) {
            names.resize(at + 1);
        }
        names[at] = v.Text(leaf);
        ++position;
    });
}

bool TreeTool::ReadNHTree(std::string_view text, const std::vector<std::string>& names,
                          std::unique_ptr<analysis::MyNode>& root, bool reRoot, std::int32_t tipPosition)
{
    return m_reader.ReadNHTree(text, names, root, reRoot, tipPosition);
}

bool TreeTool::ReRootNHTree(std::string_view text, const std::vector<std::string>& names, std::int32_t tipPosition,
                            std::string& output)
{
    return m_reader.ReRootNHTree(text, names, tipPosition, output);
}

void TreeTool::GetNumPair(std::string_view text, const std::vector<std::string>& names, std::int32_t& pairCount)
{
    m_reader.GetNumPair(text, names, pairCount);
}

} // namespace trees
