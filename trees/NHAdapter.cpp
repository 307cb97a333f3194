#include "trees/NHAdapter.h"

#include <algorithm>

#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/Convert.h"
#include "trees/Newick.h"
#include "trees/NewickScan.h"

namespace trees {

using analysis::MyNode;

namespace {

double positiveOrZero(double length)
{
    return length > 0 ? length : 0.0;
}

const std::string& tipAt(const std::vector<std::string>& names, std::int32_t position)
{
    if (position < 0 || static_cast<std::size_t>(position) >= names.size()) {
        throw platform::Error(platform::err::Subscript, "ReRootNHTree",
                              "The position of the leaf to re-root at lies outside the list of names.");
    }
    return names[static_cast<std::size_t>(position)];
}

std::unique_ptr<MyNode> reRootAtName(std::unique_ptr<MyNode> root, const std::string& name)
{
    const MyNode* leaf = Newick::FindLeaf(*root, name);
    if (leaf == nullptr) {
        throw platform::Error(platform::err::InvalidCall, "ReLinkToRoot",
                              "\"" + name + "\" is not the name of a leaf of the tree.");
    }
    return Newick::ReRootAtLeaf(std::move(root), leaf);
}

} // namespace

std::unique_ptr<MyNode> NHAdapter::BuildFromNH(std::string_view text)
{
    const char* source = "BuildFromNH";
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        throw platform::Error(Newick::BadTreeText, source, "The tree text is empty.");
    }
    auto root = std::make_unique<MyNode>();
    root->setCaption("1");
    m_innerCounter = 1;
    m_leafCount = 0;
    // The structure is read in the masked twin, so that quoted names hold
    // ";", "[", "(", "," and ":" as names do. A quoted name left open is
    // refused whether or not a ";" follows.
    const std::string masked = Newick::MaskQuotedNames(text, source);
    const std::size_t semicolon = masked.find(';');
    if (semicolon == std::string::npos) {
        return root;
    }
    const std::size_t bodyLength = std::min(masked.find('['), semicolon);
    const std::string_view body = text.substr(0, bodyLength);
    const std::string_view shape = std::string_view(masked).substr(0, bodyLength);
    Newick::CheckTreeText(body, source);
    const std::vector<std::size_t> match = Newick::MatchBrackets(shape);
    const std::size_t open = shape.find('(');

    auto onLeaf = [&](MyNode* parent, const detail::LeafItem& item) {
        const std::size_t colon = item.shape.find(':');
        std::string label = Newick::UnquoteName(item.field.substr(0, colon));
        double length = 0;
        if (colon != std::string_view::npos) {
            length = Newick::ReadLength(item.field.substr(item.shape.rfind(':') + 1), source);
        }
        auto leaf = std::make_unique<MyNode>();
        leaf->setTip(true);
        leaf->setCaption(label);
        leaf->setBranchLen(positiveOrZero(length));
        const auto slot = static_cast<std::size_t>(m_leafCount);
        if (slot < m_leafNames.size()) {
            m_leafNames[slot] = std::move(label);
        } else {
            m_leafNames.push_back(std::move(label));
        }
        ++m_leafCount;
        parent->addChild(std::move(leaf));
    };
    auto onGroup = [&](MyNode* parent, std::string_view tail) {
        const std::size_t colon = tail.find(':');
        const double length = colon == std::string_view::npos ? 0.0 : Newick::ReadLength(tail.substr(colon + 1), source);
        auto inner = std::make_unique<MyNode>();
        inner->setCaption(platform::rt::CStr(static_cast<std::int64_t>(++m_innerCounter)));
        inner->setBranchLen(positiveOrZero(length));
        return parent->addChild(std::move(inner));
    };
    detail::ScanItems<MyNode*>(body, shape, match, open + 1, match[open], root.get(), onLeaf, onGroup);
    return root;
}

bool NHAdapter::ReadNHTree(std::string_view text, const std::vector<std::string>& names,
                           std::unique_ptr<MyNode>& root, bool reRoot, std::int32_t tipPosition)
{
    std::unique_ptr<MyNode> read;
    bool done = false;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { m_leafNames = names; });
        g.step([&] { read = BuildFromNH(text); });
        if (reRoot) {
            g.step([&] {
                if (!read) {
                    throw platform::Error(platform::err::ObjectNotSet, "ReadNHTree", "No tree was read.");
                }
                const std::string& tip = tipAt(names, tipPosition);
                read = reRootAtName(std::move(read), tip);
            });
        }
        g.step([&] {
            if (!read) {
                throw platform::Error(platform::err::ObjectNotSet, "ReadNHTree", "No tree was read.");
            }
            root = std::move(read);
            done = true;
        });
    });
    return done;
}

bool NHAdapter::ReRootNHTree(std::string_view text, const std::vector<std::string>& names, std::int32_t tipPosition,
                             std::string& output)
{
    std::unique_ptr<MyNode> tree;
    if (!ReadNHTree(text, names, tree, true, tipPosition)) {
        return false;
    }
    bool done = false;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            std::string written;
            WriteNHBranchLen(*tree, written);
            output += written;
            output += ';';
            done = true;
        });
    });
    return done;
}

void NHAdapter::GetNumPair(std::string_view text, const std::vector<std::string>& names, std::int32_t& pairCount)
{
    std::unique_ptr<MyNode> tree;
    if (!ReadNHTree(text, names, tree, false, 0)) {
        return;
    }
    platform::guarded([&](platform::Guard& g) { g.step([&] { tree->GetNumPair(pairCount); }); });
}

void NHAdapter::WriteNH(const MyNode& node, std::string& text)
{
    Newick::AppendGroup(
        node, text, Newick::ChildrenOf, [](const MyNode& n) -> const std::string& { return n.Caption(); },
        [](const MyNode&, std::string&) {});
}

void NHAdapter::WriteNHBranchLen(const MyNode& node, std::string& text)
{
    Newick::AppendGroup(
        node, text, Newick::ChildrenOf, [](const MyNode& n) -> const std::string& { return n.Caption(); },
        [](const MyNode& n, std::string& out) {
            out += ':';
            out += Newick::FormatLen5(n.BranchLen());
        });
}

} // namespace trees
