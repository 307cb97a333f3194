#include "trees/NHTreeRead.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/Convert.h"
#include "trees/Newick.h"
#include "trees/NewickScan.h"

namespace trees::NHTreeRead {

using analysis::MyNode;

namespace {
constexpr double MissingLength = 0.0001;
}

bool BuildNHTree(std::string_view text, std::string& message, Tree& tree)
{
    const char* source = "BuildNHTree";
    // Brackets and commas inside quoted names are part of the names.
    const std::string rawShape = Newick::MaskQuotedNames(text, source);
    const auto opens = std::count(rawShape.begin(), rawShape.end(), '(');
    const auto closes = std::count(rawShape.begin(), rawShape.end(), ')');
    if (opens != closes) {
        message = std::string(ParenMessage);
        return false;
    }
    const auto commas = std::count(rawShape.begin(), rawShape.end(), ',');
    if (commas >= INT32_MAX) {
        throw platform::Error(platform::err::Overflow, source, "The tree text is too long.");
    }
    const auto leafSlots = static_cast<std::int32_t>(commas + 1);

    const std::string cleaned = Newick::StripBracketComments(text, source);
    const std::string cleanedShape = Newick::MaskQuotedNames(cleaned, source);
    const std::size_t lastSemicolon = cleanedShape.rfind(';');
    const std::size_t bodyLength = lastSemicolon == std::string::npos ? cleaned.size() : lastSemicolon;
    const std::string_view body = std::string_view(cleaned).substr(0, bodyLength);
    const std::string_view shape = std::string_view(cleanedShape).substr(0, bodyLength);
    Newick::CheckTreeText(body, source);
    const bool withLengths = shape.find(':') != std::string_view::npos;
    const std::vector<std::size_t> match = Newick::MatchBrackets(shape);
    const std::size_t open = shape.find('(');

    Tree built;
    built.root = std::make_unique<MyNode>();
    built.root->setIndex(leafSlots);
    built.leafNames.assign(static_cast<std::size_t>(leafSlots), std::string());
    std::int32_t innerCounter = leafSlots;

    auto onLeaf = [&](MyNode* parent, const detail::LeafItem& item) {
        const std::size_t colon = item.shape.find(':');
        double length = withLengths && !item.endsGroup ? MissingLength : 0.0;
        std::string label = Newick::UnquoteName(item.field.substr(0, colon));
        if (colon != std::string_view::npos) {
            length = Newick::ReadLength(item.field.substr(colon + 1), source);
        }
        if (built.leafCount >= leafSlots) {
            throw platform::Error(platform::err::Subscript, source, "The tree text holds more leaves than names.");
        }
        auto leaf = std::make_unique<MyNode>();
        leaf->setTip(true);
        leaf->setCaption(label);
        leaf->setBranchLen(length);
        leaf->setIndex(built.leafCount);
        built.leafNames[static_cast<std::size_t>(built.leafCount)] = std::move(label);
        ++built.leafCount;
        parent->addChild(std::move(leaf));
    };
    auto onGroup = [&](MyNode* parent, std::string_view tail) {
        const std::size_t colon = tail.find(':');
        double length = withLengths ? MissingLength : 0.0;
        if (withLengths && colon != std::string_view::npos) {
            length = Newick::ReadLength(tail.substr(colon + 1), source);
        }
        auto inner = std::make_unique<MyNode>();
        inner->setIndex(++innerCounter);
        inner->setBranchLen(length);
        return parent->addChild(std::move(inner));
    };
    detail::ScanItems<MyNode*>(body, shape, match, open + 1, match[open], built.root.get(), onLeaf, onGroup);
    tree = std::move(built);
    return true;
}

void WriteNHWithLengths(const MyNode& node, std::string& text)
{
    Newick::AppendGroup(
        node, text, Newick::ChildrenOf, [](const MyNode& n) -> const std::string& { return n.Caption(); },
        [](const MyNode& n, std::string& out) {
            out += ':';
            out += Newick::FormatFixed5(n.BranchLen());
        });
}

bool ReRootNH(std::string_view text, std::string_view tipName, std::string& output, std::string& message)
{
    Tree tree;
    std::optional<bool> balanced;
    std::string written;
    bool done = false;
    const std::string tip = Newick::RemoveBlanks(tipName);
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { balanced = BuildNHTree(text, message, tree); });
        if (balanced.has_value() && !*balanced) {
            return;
        }
        g.step([&] {
            if (!tree.root) {
                throw platform::Error(platform::err::ObjectNotSet, "ReRootNH", "No tree was read.");
            }
            // A quoted name keeps its blanks; an unquoted one loses them.
            const MyNode* leaf = Newick::FindLeaf(*tree.root, tipName);
            if (leaf == nullptr) {
                leaf = Newick::FindLeaf(*tree.root, tip);
            }
            if (leaf == nullptr) {
                throw platform::Error(platform::err::InvalidCall, "ReRootNH",
                                      "\"" + std::string(tipName) + "\" is not the name of a leaf of the tree.");
            }
            tree.root = Newick::ReRootAtLeaf(std::move(tree.root), leaf);
        });
        g.step([&] {
            if (!tree.root) {
                throw platform::Error(platform::err::ObjectNotSet, "ReRootNH", "No tree was read.");
            }
            std::string fresh;
            WriteNHWithLengths(*tree.root, fresh);
            written = std::move(fresh);
            done = true;
        });
    });
    if (balanced.has_value() && !*balanced) {
        return false;
    }
    if (!done) {
        return false;
    }
    output += written;
    output += ';';
    return true;
}

} // namespace trees::NHTreeRead
