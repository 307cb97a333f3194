#pragma once

// ListTrees: walks over cluster trees for collapsing a tree at a distance
// cut-off.
//
// ComputeDist2Tip gives every inner node its height above the leaves: its
// first child's branch length plus that child's height (cluster trees are
// ultrametric, so the first child speaks for all). CutTreeAtHeight gathers,
// under a new root, the topmost clusters whose height is not above the
// cut-off, in left-to-right order, each with branch length H minus its
// height; a cluster exactly at the cut-off is collected whole. The collected
// clusters are deep copies: the full tree keeps every length and parent, so
// collapsing it again at another cut-off gives what a fresh tree would.
//
// All walks are iterative (a chain of 16,000 leaves is safe).

#include <memory>
#include <string_view>

#include "analysis/MyNode.h"

namespace trees::ListTrees {

// The information text shown when no child of the root lies above the cut-off.
inline constexpr std::string_view NothingToCollapse = "There is no node to be collapsed at the cutoff point.";

// Sets Dist2Tip of every inner node of the subtree (post-order). Leaves keep
// the Dist2Tip they have. O(nodes).
void ComputeDist2Tip(analysis::MyNode& node);

// Appends to newRoot's children copies of the clusters of `node` that lie
// at or below `cutOff` (Dist2Tip not above it), each copy's BranchLen set to
// `height` - its Dist2Tip. Nodes above the cut-off are searched further; a
// node without children is always collected (so no leaf is lost, even for a
// cut-off below the leaves). `node` is not changed. Needs Dist2Tip computed.
// Error 5 for a cut-off or height that is not a number. O(nodes).
void CutTreeAtHeight(analysis::MyNode& newRoot, double height, const analysis::MyNode& node, double cutOff);

// The whole collapse as the document window runs it: ComputeDist2Tip on the
// full tree; when no child of the root has Dist2Tip above the cut-off, null
// (the caller shows NothingToCollapse and changes nothing); otherwise a new
// root (Dist2Tip = the root's height) holding the collected clusters. The
// full tree keeps its structure and branch lengths.
[[nodiscard]] std::unique_ptr<analysis::MyNode> CollapseWithCutOff(analysis::MyNode& fullRoot, double cutOff);

} // namespace trees::ListTrees
