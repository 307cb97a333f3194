#pragma once

// MyNode: the node of every rooted tree held in memory (cluster trees built by
// the analyses, trees read from Newick text).
//
// Ownership: a node owns its children (in order of addition); `Parent()` is a
// plain back pointer that does not keep the parent alive. Whoever holds the
// root holds the whole tree. Destruction, copying, the searches and the pair
// count are iterative, so a chain-shaped tree of any depth (single linkage on
// tens of thousands of items) never exhausts the call stack.
//
// Children are indexed from 0 here: child(0) is the first child added.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace analysis {

class MyNode {
public:
    using ChildList = std::vector<std::unique_ptr<MyNode>>;

    MyNode() = default;
    ~MyNode();

    // A node owns a subtree: copies are explicit, through clone().
    MyNode(const MyNode&) = delete;
    MyNode& operator=(const MyNode&) = delete;

    // Deep copy of this subtree: every node copied with its fields, children
    // in the same order, parents set within the copy. The copy's root has no
    // parent. O(nodes) time, no recursion.
    [[nodiscard]] std::unique_ptr<MyNode> clone() const;

    // ---- Fields -------------------------------------------------------------
    [[nodiscard]] const ChildList& Children() const noexcept { return m_children; }
    [[nodiscard]] std::size_t childCount() const noexcept { return m_children.size(); }
    // The child at a 0-based position; error 9 when there is none.
    [[nodiscard]] MyNode* child(std::size_t position);
    [[nodiscard]] const MyNode* child(std::size_t position) const;

    [[nodiscard]] const std::string& Caption() const noexcept { return m_caption; }
    void setCaption(std::string caption) { m_caption = std::move(caption); }

    // Length of the branch from this node up to its parent.
    [[nodiscard]] double BranchLen() const noexcept { return m_branchLen; }
    void setBranchLen(double length) noexcept { m_branchLen = length; }

    // True for a leaf.
    [[nodiscard]] bool Tip() const noexcept { return m_tip; }
    void setTip(bool tip) noexcept { m_tip = tip; }

    // The owning node; null at a root.
    [[nodiscard]] MyNode* Parent() const noexcept { return m_parent; }

    // Height of the node above its leaves (filled by tree walks).
    [[nodiscard]] double Dist2Tip() const noexcept { return m_dist2Tip; }
    void setDist2Tip(double height) noexcept { m_dist2Tip = height; }

    // Node number as the builder of the tree gives it.
    [[nodiscard]] std::int32_t Index() const noexcept { return m_index; }
    void setIndex(std::int32_t index) noexcept { m_index = index; }

    // ---- Structure ----------------------------------------------------------
    // Appends the child at the end of Children and makes this node its parent.
    // Returns the child. A null child is refused with error 91.
    MyNode* addChild(std::unique_ptr<MyNode> child);
    // Removes the child at a 0-based position and hands it back without a
    // parent; error 9 when there is none.
    [[nodiscard]] std::unique_ptr<MyNode> takeChild(std::size_t position);

    // ---- Searches (depth first, pre-order, children in order, first hit) ----
    // The first inner node (Tip false) whose Caption equals caption exactly;
    // leaves never match. Null when none does.
    [[nodiscard]] MyNode* FindNode(std::string_view caption);
    [[nodiscard]] const MyNode* FindNode(std::string_view caption) const;
    // The first inner node whose Index equals index; leaves never match.
    [[nodiscard]] MyNode* FindNodeIndex(std::int32_t index);
    [[nodiscard]] const MyNode* FindNodeIndex(std::int32_t index) const;
    // The Parent of the first leaf whose Caption equals caption; null when no
    // leaf has it, or when the leaf found is a root.
    [[nodiscard]] MyNode* FindNodeParent(std::string_view caption);
    [[nodiscard]] const MyNode* FindNodeParent(std::string_view caption) const;

    // Adds to NumPair the number of inner nodes of this subtree that have at
    // least two leaf children (pairs of sibling leaves; a node with three leaf
    // children counts once). Every inner child is visited, whatever the
    // number of children. Error 6 when the count passes the 32-bit range;
    // NumPair then keeps what was added before.
    void GetNumPair(std::int32_t& NumPair) const;

private:
    ChildList m_children;
    std::string m_caption;
    double m_branchLen = 0;
    bool m_tip = false;
    MyNode* m_parent = nullptr;
    double m_dist2Tip = 0;
    std::int32_t m_index = 0;
};

} // namespace analysis
