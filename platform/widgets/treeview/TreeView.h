#pragma once

// TreeView: the tree-view control as a Qt widget. It owns its nodes (a
// TreeViewModel, reached through Nodes()) and shows them in one column
// without a header, as wide as its widest shown row (so a deep tree scrolls
// sideways): text, bold, fore and back colour, expansion and the
// single selection follow the model both ways (a node the user expands or
// selects is expanded or selected in the model).
//
// Events: MouseUp after any mouse button is released over the view, with the
// button, the keyboard modifiers and the position; the node under the
// pointer has been selected by then when there is one.

#include <QTreeView>

#include <cstdint>
#include <memory>

#include "platform/widgets/treeview/TreeViewModel.h"

namespace platform {

namespace detail {
class TreeViewItemModel;
}

class TreeView : public QTreeView {
    Q_OBJECT
public:
    explicit TreeView(QWidget* parent = nullptr);
    ~TreeView() override;

    [[nodiscard]] TreeViewModel& Nodes() noexcept { return m_nodes; }
    [[nodiscard]] const TreeViewModel& Nodes() const noexcept { return m_nodes; }

    // The Qt index of a node (invalid for 0), and the node of a Qt index.
    [[nodiscard]] QModelIndex indexOfNode(std::int32_t node) const;
    [[nodiscard]] std::int32_t nodeOfIndex(const QModelIndex& index) const;

signals:
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class detail::TreeViewItemModel;
    void applyExpansion(std::int32_t node);
    void applySelection(std::int32_t node);
    void applyAll();

    TreeViewModel m_nodes;
    std::unique_ptr<detail::TreeViewItemModel> m_itemModel;
    bool m_syncing = false;
};

} // namespace platform
