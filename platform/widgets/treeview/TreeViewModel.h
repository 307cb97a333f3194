#pragma once

// TreeViewModel: the nodes of a tree-view control, without any widget.
//
// Nodes live in the order they were added and are numbered by that order
// from 1 (Index); Clear removes them all and numbering starts again at 1.
// Nodes are never removed one by one, so an Index stays valid until Clear.
// Indices are 32-bit: a view holds as many nodes as memory allows.
//
// Each node carries a text, an optional unique key, a tag (empty or a
// number), the flags Expanded, Selected, Bold and Checked, a back and a fore
// colour (0x00BBGGRR, or DefaultColor), a parent (0 for a top-level node) and
// its children in order. Selection is single: selecting a node deselects the
// one selected before.
//
// A widget that shows the model attaches one observer; it hears of every
// change. While updates are frozen (BeginUpdate / EndUpdate, nestable) the
// observer hears nothing but the freeze and the thaw, after which it takes
// the whole model afresh: planting tens of thousands of nodes costs one
// refresh.
//
// Errors (platform::Error, source "Nodes" or "Node"): 35600 an index outside
// 1 .. Count, 35601 a key that no node has, 35602 a key that another node
// already has, 5 a relationship other than child for a relative node.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// Relationship of a new node to its relative (the control's codes).
enum class TreeRelationship : std::int16_t { First = 0, Last = 1, Next = 2, Previous = 3, Child = 4, Count };
static_assert(static_cast<int>(TreeRelationship::Count) == 5, "the control knows five relationships");

// Error numbers of the tree-view control.
namespace treeview_err {
inline constexpr std::int32_t IndexOutOfBounds = 35600;
inline constexpr std::int32_t ElementNotFound = 35601;
inline constexpr std::int32_t KeyNotUnique = 35602;
} // namespace treeview_err

// An image list as the tree view holds it: only its image size is read.
struct ImageList {
    std::int32_t ImageWidth = 16;
    std::int32_t ImageHeight = 16;
};

class TreeViewObserver {
public:
    virtual ~TreeViewObserver() = default;
    // A node is about to be added as child number `row` (from 0) of `parent`
    // (0: top level); nodeAdded follows once it is in the model.
    virtual void aboutToAddNode(std::int32_t parent, std::int32_t row) = 0;
    virtual void nodeAdded(std::int32_t index) = 0;
    virtual void aboutToClear() = 0;
    virtual void cleared() = 0;
    // Text, tag, colours, bold or checked changed.
    virtual void nodeChanged(std::int32_t index) = 0;
    virtual void expandedChanged(std::int32_t index) = 0;
    // The selected node changed (0: none selected).
    virtual void selectionChanged(std::int32_t selected) = 0;
    virtual void ensureVisible(std::int32_t index) = 0;
    // frozen true: stop showing changes; false: take the whole model afresh.
    virtual void updatesFrozen(bool frozen) = 0;

protected:
    TreeViewObserver() = default;
    TreeViewObserver(const TreeViewObserver&) = default;
    TreeViewObserver& operator=(const TreeViewObserver&) = default;
};

class TreeViewModel {
public:
    // The colour a node shows when none was set.
    static constexpr std::int32_t DefaultColor = -1;

    TreeViewModel() = default;
    TreeViewModel(const TreeViewModel&) = delete;
    TreeViewModel& operator=(const TreeViewModel&) = delete;

    // ---- The Nodes collection ------------------------------------------------
    [[nodiscard]] std::int32_t Count() const noexcept { return static_cast<std::int32_t>(m_nodes.size()); }
    // Removes every node and the selection.
    void Clear();
    // Adds a top-level node after the last one; returns its Index.
    std::int32_t Add(std::string_view key = {}, std::string_view text = {});
    // Adds a node as the last child of `relative` (relationship Child);
    // returns its Index. A relative of 0 adds a top-level node.
    std::int32_t Add(std::int32_t relative, TreeRelationship relationship, std::string_view key = {},
                     std::string_view text = {});
    // The Index of the node with that key; error 35601 when none has it.
    [[nodiscard]] std::int32_t Item(std::string_view key) const;

    // ---- Node properties (index from 1; error 35600 outside the range) -------
    [[nodiscard]] const std::string& Text(std::int32_t index) const;
    void setText(std::int32_t index, std::string text);
    [[nodiscard]] const std::string& Key(std::int32_t index) const;
    [[nodiscard]] std::optional<double> Tag(std::int32_t index) const;
    void setTag(std::int32_t index, std::optional<double> tag);
    [[nodiscard]] bool Expanded(std::int32_t index) const;
    void setExpanded(std::int32_t index, bool expanded);
    [[nodiscard]] bool Selected(std::int32_t index) const;
    void setSelected(std::int32_t index, bool selected);
    [[nodiscard]] bool Bold(std::int32_t index) const;
    void setBold(std::int32_t index, bool bold);
    [[nodiscard]] bool Checked(std::int32_t index) const;
    void setChecked(std::int32_t index, bool checked);
    [[nodiscard]] std::int32_t BackColor(std::int32_t index) const;
    void setBackColor(std::int32_t index, std::int32_t color);
    [[nodiscard]] std::int32_t ForeColor(std::int32_t index) const;
    void setForeColor(std::int32_t index, std::int32_t color);

    // ---- Navigation (0 where there is no such node) ---------------------------
    [[nodiscard]] std::int32_t Parent(std::int32_t index) const;
    // Number of children.
    [[nodiscard]] std::int32_t Children(std::int32_t index) const;
    // First child.
    [[nodiscard]] std::int32_t Child(std::int32_t index) const;
    // Next sibling.
    [[nodiscard]] std::int32_t Next(std::int32_t index) const;
    // The children of a node in order (parent 0: the top-level nodes).
    [[nodiscard]] const std::vector<std::int32_t>& ChildList(std::int32_t parent) const;
    // Position of a node among its parent's children, from 0.
    [[nodiscard]] std::int32_t Row(std::int32_t index) const;

    // Expands every ancestor of the node and asks the view to scroll to it.
    void EnsureVisible(std::int32_t index);

    // ---- Control ---------------------------------------------------------------
    // The selected node, 0 when none is.
    [[nodiscard]] std::int32_t SelectedItem() const noexcept { return m_selected; }
    [[nodiscard]] std::int16_t Style() const noexcept { return m_style; }
    void setStyle(std::int16_t style) noexcept { m_style = style; }
    // Indentation of a child below its parent, in twips (20 pixels at 15 twips
    // a pixel by default).
    [[nodiscard]] double Indentation() const noexcept { return m_indentation; }
    void setIndentation(double twips) noexcept { m_indentation = twips; }
    [[nodiscard]] const ImageList* imageList() const noexcept { return m_imageList; }
    void setImageList(const ImageList* list) noexcept { m_imageList = list; }

    // Freezing: changes stay unseen until the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    [[nodiscard]] bool isFrozen() const noexcept { return m_freeze > 0; }

    // The observer (not owned; null to detach).
    void setObserver(TreeViewObserver* observer) noexcept { m_observer = observer; }

private:
    struct Node {
        std::string text;
        std::string key;
        std::optional<double> tag;
        std::vector<std::int32_t> children;
        std::int32_t parent = 0;
        std::int32_t row = 0;
        std::int32_t backColor = DefaultColor;
        std::int32_t foreColor = DefaultColor;
        bool expanded = false;
        bool bold = false;
        bool checked = false;
    };

    [[nodiscard]] const Node& node(std::int32_t index) const;
    [[nodiscard]] Node& node(std::int32_t index);
    [[nodiscard]] TreeViewObserver* live() const noexcept { return m_freeze > 0 ? nullptr : m_observer; }
    std::int32_t addUnder(std::int32_t parent, std::string_view key, std::string_view text);
    void changed(std::int32_t index);

    std::vector<Node> m_nodes;
    std::vector<std::int32_t> m_topLevel;
    std::unordered_map<std::string, std::int32_t> m_keys;
    std::int32_t m_selected = 0;
    std::int16_t m_style = 0;
    double m_indentation = 300.0;
    const ImageList* m_imageList = nullptr;
    int m_freeze = 0;
    TreeViewObserver* m_observer = nullptr;
};

// Freezes a model's updates for the lifetime of the object.
class FrozenUpdates {
public:
    explicit FrozenUpdates(TreeViewModel& model) : m_model(model) { m_model.BeginUpdate(); }
    ~FrozenUpdates() { m_model.EndUpdate(); }
    FrozenUpdates(const FrozenUpdates&) = delete;
    FrozenUpdates& operator=(const FrozenUpdates&) = delete;

private:
    TreeViewModel& m_model;
};

} // namespace platform
