#include "trees/NAryFormModel.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>

#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/Convert.h"
#include "shell/core/StrUtil.h"
#include "trees/NHTreeRead.h"
#include "trees/Newick.h"
#include "trees/NewickScan.h"

namespace trees {

namespace {

constexpr double DefaultLength = 0.1;
constexpr double ShortestDrawn = 0.0001;

std::string beforeFirstSemicolon(const std::string& text, const char* source)
{
    // A text without ";" is read whole (pasted trees often lack it); a ";"
    // inside a quoted name belongs to the name.
    const std::size_t semicolon =
        text.find(';') == std::string::npos ? std::string::npos : Newick::MaskQuotedNames(text, source).find(';');
    return semicolon == std::string::npos ? text : text.substr(0, semicolon);
}

[[noreturn]] void badText(const char* source, std::string description)
{
    throw platform::Error(Newick::BadTreeText, source, std::move(description));
}

// The name of a leaf item, before its first ":" (without its quotes), and
// its branch length: lengthOf(item) when the item has a ":", else the
// default length.
template <class LengthOf>
std::pair<std::string, double> leafNameAndLength(const detail::LeafItem& item, LengthOf&& lengthOf)
{
    const std::size_t colon = item.shape.find(':');
    if (colon == std::string_view::npos) {
        return {Newick::UnquoteName(item.field), DefaultLength};
    }
    return {Newick::UnquoteName(item.field.substr(0, colon)), lengthOf(item)};
}

// Node numbers of a branch list are whole numbers from 1 up; larger ones than
// a 32-bit count cannot name a node of any tree the window holds.
constexpr double LargestNodeNumber = 2147483647.0;

// The node number at one end of `pair`, whole part of its leading number.
// A number outside 1 .. LargestNodeNumber is bad text (error 5), checked
// before the number is converted, so no branch is dropped unseen.
std::int64_t nodeNumber(std::string_view number, std::string_view pair, const char* source)
{
    const double value = Newick::ReadLength(number, source);
    const double whole = std::trunc(value);
    if (!(whole >= 1 && whole <= LargestNodeNumber)) {
        badText(source, "The node number \"" + std::string(number) + "\" of the branch \"" + std::string(pair) +
                            "\" is not a node number from 1 to 2147483647.");
    }
    return static_cast<std::int64_t>(whole);
}

} // namespace

// ---- Entry points -----------------------------------------------------------------

bool NAryFormModel::PlotTree(int type, std::string_view treeStr, std::int32_t rootNum1Based)
{
    if (type < 0 || type >= static_cast<int>(TreeKind::Count)) {
        throw platform::Error(platform::err::InvalidCall, "PlotTree", "The tree type must be 0, 1 or 2.");
    }
    const auto kind = static_cast<TreeKind>(type);
    m_curTreeType = kind;
    m_rootNum = rootNum1Based;
    setTreeText(std::string(treeStr), kind);
    switch (kind) {
    case TreeKind::Newick: m_nhText = m_treeText; break;
    case TreeKind::BranchList: m_pamlText = m_treeText; break;
    default: m_mrcText = m_treeText; break;
    }
    m_root.reset();
    m_labels.clear();
    m_showInnerLabels = false;
    m_menu.phenogramShown = true;
    if (m_initialised) {
        return true;
    }
    m_lineThickness = 5;
    m_fontPoints = 8;
    m_yGap = 100;
    // Visibility and enabled states start afresh for the kind shown; the
    // scale bar's check mark stays as the user left it.
    const bool scaleChecked = m_menu.scaleChecked;
    m_menu = TreeMenuState{};
    m_menu.scaleChecked = scaleChecked;
    m_leafNames.clear();
    bool built = false;
    switch (kind) {
    case TreeKind::Newick:
        built = BuildAndDraw(TreeKind::Newick);
        break;
    case TreeKind::Mrc:
        m_menu.scaleVisible = false;
        m_menu.pasteVisible = false;
        built = BuildAndDraw(TreeKind::Mrc);
        break;
    default:
        m_menu.saveVisible = false;
        built = BuildAndDraw(TreeKind::BranchList);
        break;
    }
    if (!built) {
        // Nothing of a text that gives no tree stays: the next tree is
        // built afresh.
        Close();
        m_leafNames.clear();
        return false;
    }
    m_initialised = true;
    return true;
}

bool NAryFormModel::BuildAndDraw(TreeKind kind)
{
    bool built = false;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            buildModel(kind);
            built = true;
        });
    });
    return built;
}

bool NAryFormModel::RedrawFromRoot(std::int32_t num)
{
    m_rootNum = num;
    setTreeText(m_pamlText, TreeKind::BranchList);
    return BuildAndDraw(TreeKind::BranchList);
}

bool NAryFormModel::ReRootAtTip(std::string_view name, std::string& message)
{
    std::string output;
    if (!NHTreeRead::ReRootNH(m_nhText, name, output, message)) {
        if (message.empty()) {
            message = "The tree could not be re-rooted at \"" + std::string(name) + "\".";
        }
        return false;
    }
    m_nhText = output;
    setTreeText(m_nhText, TreeKind::Newick);
    return BuildAndDraw(TreeKind::Newick);
}

bool NAryFormModel::ReRootAtNode(const NAryNode& node, std::string& message)
{
    if (!node.IsLeaf()) {
        const double number = platform::rt::Val(node.Box().Caption);
        return RedrawFromRoot(static_cast<std::int32_t>(std::clamp(std::nearbyint(number), 0.0, 2147483647.0)));
    }
    return ReRootAtTip(node.Box().Caption, message);
}

void NAryFormModel::Close()
{
    m_root.reset();
    m_labels.clear();
    m_maxLeafDist = 0;
    m_pamlText.clear();
    m_nhText.clear();
    m_curTreeType = TreeKind::Newick;
    m_yGap = 0;
    m_initialised = false;
}

NAryNode* NAryFormModel::NodeOfLabel(std::int32_t index) noexcept
{
    if (index < 1 || static_cast<std::size_t>(index) >= m_labels.size()) {
        return nullptr;
    }
    return m_labels[static_cast<std::size_t>(index)];
}

double NAryFormModel::DrawingDepth() const
{
    if (m_maxLeafDist > 0 || !m_root) {
        return m_maxLeafDist;
    }
    double deepest = 0;
    std::vector<std::pair<const NAryNode*, double>> stack{{m_root.get(), 0.0}};
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        deepest = std::max(deepest, depth);
        for (const auto& child : node->Children()) {
            stack.emplace_back(child.get(), depth + std::max(child->BranchLength(), ShortestDrawn));
        }
    }
    return deepest;
}

// ---- Building -------------------------------------------------------------------------

NAryNode* NAryFormModel::newNode(NAryNode& parent, std::string caption, double length, bool leaf)
{
    auto node = std::make_unique<NAryNode>();
    NodeLabel& box = node->Box();
    box.index = static_cast<std::int32_t>(m_labels.size());
    box.Caption = std::move(caption);
    box.Width = m_labelWidth;
    box.Height = m_labelHeight;
    node->setIsLeaf(leaf);
    // A negative length is kept: its branch is drawn going back.
    node->setBranchLength(length);
    node->setDist2Root(parent.Dist2Root() + node->BranchLength());
    if (leaf) {
        m_maxLeafDist = std::max(m_maxLeafDist, node->Dist2Root());
    } else {
        ++m_innerCount;
    }
    NAryNode* added = parent.addChild(std::move(node));
    m_labels.push_back(added);
    return added;
}

void NAryFormModel::buildModel(TreeKind kind)
{
    m_root = std::make_unique<NAryNode>();
    m_labels.assign(1, nullptr);
    NodeLabel& box = m_root->Box();
    box.index = 1;
    box.Caption = "1";
    box.Width = m_labelWidth;
    box.Height = m_labelHeight;
    m_labels.push_back(m_root.get());
    m_innerCount = 1;
    m_maxLeafDist = 0;
    switch (kind) {
    case TreeKind::Newick:
        readNewick();
        numberAndList();
        break;
    case TreeKind::Mrc:
        readMrc();
        m_menu.reRootEnabled = false;
        m_root->Box().Caption.clear();
        m_showInnerLabels = true;
        break;
    default:
        readBranchList();
        break;
    }
}

void NAryFormModel::readNewick()
{
    const char* source = "ReadNHGroup";
    m_leafNames.clear();
    m_treeText = beforeFirstSemicolon(m_treeText, source);
    const std::string masked = Newick::MaskQuotedNames(m_treeText, source);
    if (masked.find('[') != std::string::npos) {
        m_treeText = Newick::StripBracketComments(m_treeText, source);
    }
    Newick::CheckTreeText(m_treeText, source);
    const std::string_view text = m_treeText;
    const std::string shape = Newick::MaskQuotedNames(text, source);
    const std::vector<std::size_t> match = Newick::MatchBrackets(shape);
    const std::size_t open = shape.find('(');

    auto onLeaf = [&](NAryNode* parent, const detail::LeafItem& item) {
        auto [name, length] = leafNameAndLength(item, [&](const detail::LeafItem& leaf) {
            return Newick::ReadLength(leaf.field.substr(leaf.shape.rfind(':') + 1), source);
        });
        newNode(*parent, name, length, true);
        m_leafNames.push_back(std::move(name));
    };
    auto onGroup = [&](NAryNode* parent, std::string_view tail) {
        // Anything between ")" and ":" is an inner label or support value; it is skipped.
        const std::size_t colon = tail.find(':');
        double length = DefaultLength;
        if (colon != std::string_view::npos) {
            m_hasLengths = true;
            m_menu.scaleVisible = true;
            length = Newick::ReadLength(tail.substr(colon + 1), source);
        } else {
            m_hasLengths = false;
            m_menu.scaleVisible = false;
        }
        return newNode(*parent, platform::rt::CStr(static_cast<std::int64_t>(m_innerCount + 1)), length, false);
    };
    detail::ScanItems<NAryNode*>(text, shape, match, open + 1, match[open], m_root.get(), onLeaf, onGroup);
}

void NAryFormModel::numberAndList()
{
    std::int64_t first = std::max<std::int64_t>(std::int64_t{m_innerCount} + 3, NameCount() + std::int64_t{1});
    Phylogeny::NumberInnerNodes(*m_root, first);
    std::string pairs;
    std::string lengths;
    std::int64_t leafNo = 1;
    ToBranchList(*m_root, pairs, lengths, leafNo, m_leafNames);
    m_pamlText = pairs + "\r" + lengths;
}

void NAryFormModel::readMrc()
{
    const char* source = "ReadMRCGroup";
    m_leafNames.clear();
    m_treeText = beforeFirstSemicolon(m_treeText, source);
    const std::string_view text = m_treeText;
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        badText(source, "The tree text is empty.");
    }
    const std::string shape = Newick::MaskQuotedNames(text, source);
    const std::vector<std::size_t> match = Newick::MatchBrackets(shape);
    const auto opens = std::count(shape.begin(), shape.end(), '(');
    const auto closes = std::count(shape.begin(), shape.end(), ')');
    const std::size_t open = shape.find('(');
    if (opens != closes || open == std::string_view::npos || match[open] == std::string_view::npos) {
        badText(source, "Left and right parentheses do not match.");
    }

    auto onLeaf = [&](NAryNode* parent, const detail::LeafItem& item) {
        auto [name, length] = leafNameAndLength(item, [&](const detail::LeafItem& leaf) {
            const std::size_t bracket = leaf.shape.rfind(']');
            return bracket == std::string_view::npos ? 0.0
                                                     : Newick::ReadLength(leaf.field.substr(bracket + 1), source);
        });
        newNode(*parent, name, length, true);
        m_leafNames.push_back(std::move(name));
    };
    auto onGroup = [&](NAryNode* parent, std::string_view tail) {
        const std::size_t colon = tail.find(':');
        double length = DefaultLength;
        std::string support;
        if (colon != std::string_view::npos) {
            m_hasLengths = true;
            const std::string_view rest = tail.substr(std::min(colon + 2, tail.size()));
            const std::size_t bracket = rest.find(']');
            const std::string_view supportText = rest.substr(0, std::min(bracket, rest.size()));
            length = bracket == std::string_view::npos ? 0.0 : Newick::ReadLength(rest.substr(bracket + 1), source);
            support = platform::rt::CStr(platform::rt::RoundHalfEven(Newick::ReadLength(supportText, source)));
        } else {
            m_hasLengths = false;
            m_menu.scaleVisible = false;
        }
        NAryNode* inner =
            newNode(*parent, platform::rt::CStr(static_cast<std::int64_t>(m_innerCount + 1)), length, false);
        inner->Box().SupportText = std::move(support);
        return inner;
    };
    detail::ScanItems<NAryNode*>(text, shape, match, open + 1, match[open], m_root.get(), onLeaf, onGroup);
}

void NAryFormModel::readBranchList()
{
    const char* source = "BuildPAMLSubtree";
    const std::size_t firstCr = m_treeText.find('\r');
    const std::size_t lastCr = m_treeText.rfind('\r');
    std::string branchLine = firstCr == std::string::npos ? std::string() : m_treeText.substr(0, firstCr);
    std::string lengthLine = lastCr == std::string::npos ? std::string() : m_treeText.substr(lastCr + 1);
    if (!lengthLine.empty() && lengthLine.front() == '\n') {
        lengthLine.front() = ' ';
    }
    int pairCount = 0;
    int lengthCount = 0;
    std::vector<std::string> pairs;
    std::vector<std::string> lengthFields;
    StrUtil::Tokenize(branchLine, pairCount, pairs, " ");
    StrUtil::Tokenize(lengthLine, lengthCount, lengthFields, " ");
    if (pairCount <= 0) {
        badText(source, "The branch list holds no branches.");
    }
    pairs.resize(static_cast<std::size_t>(pairCount));
    std::vector<double> lengths(pairs.size(), 0.0);
    for (std::size_t i = 0; i < pairs.size() && i < static_cast<std::size_t>(lengthCount); ++i) {
        lengths[i] = Newick::ReadLength(lengthFields[i], source);
    }

    const std::int64_t leafCount = NameCount();

    // Both ends of every branch, and the branches at each node in list order.
    struct Ends {
        std::int64_t a;
        std::int64_t b;
    };
    std::vector<Ends> ends(pairs.size());
    std::unordered_map<std::int64_t, std::vector<std::size_t>> atNode;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const std::string_view pair = pairs[i];
        const std::size_t lastDot = pair.rfind('.');
        if (lastDot == std::string_view::npos) {
            badText(source, "The branch \"" + pairs[i] + "\" is not two node numbers joined by \"..\".");
        }
        ends[i].a = nodeNumber(pair.substr(0, pair.find('.')), pair, source);
        ends[i].b = nodeNumber(pair.substr(lastDot + 1), pair, source);
        atNode[ends[i].a].push_back(i);
        if (ends[i].b != ends[i].a) {
            atNode[ends[i].b].push_back(i);
        }
    }
    m_root->Box().Caption =
        m_rootNum <= leafCount ? PartnerOf(pairs, m_rootNum) : platform::rt::CStr(std::int64_t{m_rootNum});
    std::vector<bool> used(pairs.size(), false);
    // Every branch is used once, so the tree hangs from the chosen root
    // whatever the direction in which its branches were listed.
    std::vector<NAryNode*> stack{m_root.get()};
    while (!stack.empty()) {
        NAryNode* parent = stack.back();
        stack.pop_back();
        const double caption = platform::rt::Val(parent->Box().Caption);
        const auto found = caption >= 1 && caption <= LargestNodeNumber
                               ? atNode.find(static_cast<std::int64_t>(std::trunc(caption)))
                               : atNode.end();
        if (found == atNode.end()) {
            if (parent == m_root.get()) {
                badText(source, "Node \"" + parent->Box().Caption + "\" is not in the branch list.");
            }
            continue;
        }
        const std::int64_t k = found->first;
        std::vector<NAryNode*> innerChildren;
        for (const std::size_t i : found->second) {
            if (used[i]) {
                continue;
            }
            used[i] = true;
            const std::int64_t other = ends[i].a == k ? ends[i].b : ends[i].a;
            if (other == k) {
                continue;
            }
            if (other <= leafCount) {
                const std::string& name = m_leafNames[static_cast<std::size_t>(other - 1)];
                newNode(*parent, name, lengths[i], true);
            } else {
                innerChildren.push_back(newNode(*parent, platform::rt::CStr(other), lengths[i], false));
            }
        }
        for (auto it = innerChildren.rbegin(); it != innerChildren.rend(); ++it) {
            stack.push_back(*it);
        }
    }
}

// ---- Helpers ------------------------------------------------------------------------------

std::string NAryFormModel::StripEnclosing(std::string& text, char open, char close)
{
    if (!text.empty() && text.front() == open) {
        text.erase(0, 1);
    }
    if (!text.empty() && text.back() == close) {
        return text.substr(0, text.size() - 1);
    }
    return std::string();
}

std::int64_t NAryFormModel::OtherEnd(std::int64_t k, std::string_view pair)
{
    const double a = platform::rt::Val(pair.substr(0, std::min(pair.find('.'), pair.size())));
    const std::size_t lastDot = pair.rfind('.');
    const double b = lastDot == std::string_view::npos ? 0.0 : platform::rt::Val(pair.substr(lastDot + 1));
    const auto kd = static_cast<double>(k);
    // Whole part of a node number; 0 for anything that names no node.
    auto whole = [](double v) {
        const double w = std::trunc(v);
        return w >= 1 && w <= LargestNodeNumber ? static_cast<std::int64_t>(w) : std::int64_t{0};
    };
    if (a == kd) {
        return whole(b);
    }
    if (b == kd) {
        return whole(a);
    }
    return 0;
}

std::string NAryFormModel::PartnerOf(const std::vector<std::string>& pairs, std::int64_t k)
{
    const auto kd = static_cast<double>(k);
    for (const std::string& pair : pairs) {
        const std::size_t firstDot = pair.find('.');
        const std::size_t lastDot = pair.rfind('.');
        if (firstDot == std::string::npos) {
            continue;
        }
        if (platform::rt::Val(pair.substr(0, firstDot)) == kd) {
            return pair.substr(lastDot + 1);
        }
        if (platform::rt::Val(pair.substr(lastDot + 1)) == kd) {
            return pair.substr(0, firstDot);
        }
    }
    return std::string();
}

void NAryFormModel::ToBranchList(const NAryNode& node, std::string& pairs, std::string& lengths, std::int64_t& leafNo,
                                 std::vector<std::string>& names)
{
    struct Frame {
        const NAryNode* node;
        std::size_t next;
    };
    std::vector<Frame> stack{{&node, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.node->childCount()) {
            stack.pop_back();
            continue;
        }
        const NAryNode& parent = *frame.node;
        const NAryNode& child = *parent.Children()[frame.next++];
        pairs += ' ';
        pairs += parent.Box().Caption;
        pairs += "..";
        lengths += ' ';
        lengths += platform::rt::CStr(child.BranchLength());
        if (child.IsLeaf()) {
            const auto slot = static_cast<std::size_t>(leafNo - 1);
            if (names.size() <= slot) {
                names.resize(slot + 1);
            }
            names[slot] = child.Box().Caption;
            pairs += platform::rt::CStr(leafNo);
            ++leafNo;
        } else {
            pairs += child.Box().Caption;
            stack.push_back({&child, 0});
        }
    }
}

} // namespace trees

// ---- Drawing settings of the Print menu -------------------------------------------

namespace trees {

void NAryFormModel::FontSizeFamily(std::int32_t s)
{
    const std::int64_t product = static_cast<std::int64_t>(m_yGap) * s;
    if (product > 32767 || product < -32768) {
        throw platform::Error::runtime(platform::err::Overflow, "PrintFontSize");
    }
    if (m_fontPoints <= 0) {
        throw platform::Error::runtime(platform::err::DivisionByZero, "PrintFontSize");
    }
    m_yGap = static_cast<std::int32_t>(product / m_fontPoints);
    m_fontPoints = s;
    m_menu.fontChecked = s;
}

void NAryFormModel::LineThicknessFamily(std::int32_t w)
{
    m_menu.lineChecked = w;
    m_lineThickness = w;
}

void NAryFormModel::VerticalSpacingFamily(double factor)
{
    m_yGap = static_cast<std::int32_t>(std::trunc(m_yGap * factor));
}

bool NAryFormModel::PasteNH(std::string_view clipboard)
{
    // Blanks inside quoted names belong to the names.
    const std::string text = Newick::RemoveOutsideQuotedNames(clipboard, " \r\n\t", "TreePasteNH");
    // A text that is no tree is refused before the tree in the window goes.
    Newick::CheckTreeText(text, "TreePasteNH");
    m_nhText = text;
    setTreeText(text, TreeKind::Newick);
    return BuildAndDraw(TreeKind::Newick);
}

} // namespace trees
