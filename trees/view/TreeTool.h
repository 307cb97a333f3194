#pragma once

// TreeTool: puts cluster trees (MyNode) into a tree view and answers
// questions about the nodes shown there.
//
// Planting: below a given tree-view node, every child of a MyNode becomes a
// tree-view node, in the order of Children, recursively. A leaf (Tip) shows
// its Caption; an inner node its Caption or, when that is empty, the number
// of nodes the view held just before it was added. With store-length, a
// node's Tag holds the BranchLen of its MyNode (a number, never text);
// otherwise Tag stays empty. No keys. Planting freezes the view's updates,
// so a tree of tens of thousands of leaves costs one refresh.
//
// Walks below a tree-view node visit children in the view's order (depth
// first); in the view a leaf is a node without children. Every walk uses an
// explicit stack: a chain of any depth is safe.
//
// Tree-view nodes are named by their 1-based Index. Errors of the tree view
// (an index outside the view, a duplicate key) reach the caller; a member
// used before Initialize raises error 91.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/MyNode.h"
#include "platform/widgets/treeview/TreeViewModel.h"
#include "trees/NHAdapter.h"

namespace trees {

class TreeTool {
public:
    TreeTool() = default;

    // Keeps the tree view for every later call, gives it the image list (may
    // be null) and sets its style to 4 (tree lines and text).
    void Initialize(platform::TreeViewModel& treeView, const platform::ImageList* imageList = nullptr);
    [[nodiscard]] platform::TreeViewModel* treeView() const noexcept { return m_view; }

    // ---- All nodes ---------------------------------------------------------------
    // Selects the nodes indices[0 .. count-1] in turn (the view keeps one
    // selection, so the last one stays selected). Error 9 when count passes
    // the array.
    void MakeNodesSelected(const std::vector<std::int32_t>& indices, std::int32_t count);
    // Writes the Index of each selected node into indices from position 0
    // and sets count to their number; the array is left alone when none is
    // selected. Error 9 when the array is too small.
    void GetSelectedNodes(std::vector<std::int32_t>& indices, std::int32_t& count) const;
    void MakeVisible();
    void SetBackColor(std::int32_t color);
    void SetForeColor(std::int32_t color);
    void SetBold(bool bold);
    void SetCheck(bool checked);
    // Removes every node.
    void ClearNode();

    // ---- Adding nodes --------------------------------------------------------------
    // Adds a child of `parent` without key and text; sets Expanded; with
    // storeLength, Tag = the node's BranchLen. Returns the new node's Index.
    std::int32_t AddChildNode(std::int32_t parent, const analysis::MyNode& node, bool storeLength, bool expanded);
    // As AddChildNode, with the node's Caption as the key (a second leaf
    // with the same caption fails with the view's duplicate-key error).
    std::int32_t AddChildLeaf(std::int32_t parent, const analysis::MyNode& node, bool storeLength, bool expanded);
    // Plants the children of `root` (not root itself) below tree-view node
    // `parent`, as described above. O(nodes).
    void PlantTree(const analysis::MyNode& root, std::int32_t parent, bool storeLength, bool expanded);

    // ---- Questions about a tree-view node --------------------------------------------
    // Adds to distance the tags (empty reads 0) along the chain of first
    // children from the node down to a leaf: the node's height in an
    // ultrametric tree. A leaf adds nothing.
    void GetDist2Tip(std::int32_t node, double& distance) const;
    // Appends the Newick group of the subtree below the node with branch
    // lengths, without ";": "(" child {"," child} ")", each child its text
    // (leaf) or group, then ":" and its tag rounded to five decimals in the
    // shortest plain form ("0.5", "2", an empty tag "0"). A leaf gives "()".
    // Texts are written as they are shown, quoted where tree text needs it
    // (Newick::QuoteName: "IL2 (human)" is written 'IL2 (human)').
    void OutTreeBranchlen(std::int32_t node, std::string& text) const;
    // Adds the number of leaves below the node (0 for a leaf).
    void GetTipsBelowNode(std::int32_t node, std::int32_t& count) const;
    // Writes the text of each leaf below the node into names from
    // `position` on, depth first in the order shown, advancing position by
    // one per leaf; names grows when it is too short, so the caller trims it
    // to the returned position.
    void GetLociBelowNode(std::int32_t node, std::vector<std::string>& names, std::int32_t& position) const;

    // ---- Newick text (the reader keeps its state between calls) ----------------------
    bool ReadNHTree(std::string_view text, const std::vector<std::string>& names,
                    std::unique_ptr<analysis::MyNode>& root, bool reRoot, std::int32_t tipPosition);
    bool ReRootNHTree(std::string_view text, const std::vector<std::string>& names, std::int32_t tipPosition,
                      std::string& output);
    void GetNumPair(std::string_view text, const std::vector<std::string>& names, std::int32_t& pairCount);

private:
    [[nodiscard]] platform::TreeViewModel& view() const;
    std::int32_t addChild(std::int32_t parent, std::string_view key, std::string_view text,
                          const analysis::MyNode& node, bool storeLength, bool expanded);
    // The leaves below a node in the order shown.
    template <class Visit>
    void forEachLeafBelow(std::int32_t node, Visit visit) const;

    platform::TreeViewModel* m_view = nullptr;
    NHAdapter m_reader;
};

} // namespace trees
