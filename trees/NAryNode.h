#pragma once

// NAryNode: the node of a drawn tree. Each node owns the label that shows it
// (caption, support text, position and size in twips) and its children, in
// drawing order. Destruction is iterative, so a chain of any depth is freed
// without exhausting the call stack.
//
// Phylogeny::NumberInnerNodes writes running numbers into the captions of the
// inner nodes. TreeNode is a further node record (links, a name, two arrays
// of doubles) kept for completeness.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace trees {

// The label that shows a node on the drawing surface. Positions are twips,
// x to the right and y downwards.
struct NodeLabel {
    std::int32_t index = 0;    // element number: the root is 1, then one per node created
    std::string Caption;       // the node's text
    std::string SupportText;   // support value of an inner node of an MRC tree, whole number
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
    bool Enabled = false;      // reacts to a click (only while re-rooting is offered)
};

class NAryNode {
public:
    using ChildList = std::vector<std::unique_ptr<NAryNode>>;

    NAryNode() = default;
    ~NAryNode();
    NAryNode(const NAryNode&) = delete;
    NAryNode& operator=(const NAryNode&) = delete;

    [[nodiscard]] const ChildList& Children() const noexcept { return m_children; }
    [[nodiscard]] std::size_t childCount() const noexcept { return m_children.size(); }
    // Appends the child and returns it.
    NAryNode* addChild(std::unique_ptr<NAryNode> child);

    [[nodiscard]] NodeLabel& Box() noexcept { return m_box; }
    [[nodiscard]] const NodeLabel& Box() const noexcept { return m_box; }

    // Length of the branch above the node.
    [[nodiscard]] double BranchLength() const noexcept { return m_branchLength; }
    void setBranchLength(double length) noexcept { m_branchLength = length; }

    [[nodiscard]] bool IsLeaf() const noexcept { return m_isLeaf; }
    void setIsLeaf(bool leaf) noexcept { m_isLeaf = leaf; }

    // Distance from the root: the parent's Dist2Root plus BranchLength.
    [[nodiscard]] double Dist2Root() const noexcept { return m_dist2Root; }
    void setDist2Root(double distance) noexcept { m_dist2Root = distance; }

    // The first inner node of this subtree (pre-order, children in order)
    // whose label shows the same Caption as `label`; leaves are never found
    // (a leaf's subtree yields null). O(nodes), iterative.
    [[nodiscard]] NAryNode* FindNode(const NodeLabel& label);

private:
    ChildList m_children;
    NodeLabel m_box;
    double m_branchLength = 0;
    bool m_isLeaf = false;
    double m_dist2Root = 0;
};

namespace Phylogeny {

// Sets the caption of the node's label to `number`, then for each child in
// order that has at least one child adds 1 to `number` and numbers that
// child the same way: inner nodes get consecutive numbers in pre-order,
// leaves are skipped. On return `number` is the last number given.
void NumberInnerNodes(NAryNode& node, std::int64_t& number);

} // namespace Phylogeny

// A node record with links, a name and two arrays of doubles.
class TreeNode {
public:
    TreeNode* NextNode = nullptr;
    TreeNode* BackNode = nullptr;
    std::int32_t number = 0;
    bool Iter = false;

    [[nodiscard]] const std::string& Nayme() const noexcept { return m_nayme; }
    void setNayme(std::string name) { m_nayme = std::move(name); }

    // Element access; error 9 outside 0 .. n-1.
    [[nodiscard]] double dist(std::int32_t i) const;
    void setDist(std::int32_t i, double value);
    [[nodiscard]] double BootVal(std::int32_t i) const;
    void setBootVal(std::int32_t i, double value);

    // Sizes both arrays to the indices 0 .. n-1, new and zero-filled; error 5
    // for a negative n.
    void DimDW(std::int32_t n);

private:
    std::string m_nayme;
    std::vector<double> m_dist;
    std::vector<double> m_bootVal;
};

} // namespace trees
