#include "platform/widgets/treeview/TreeView.h"

#include <QAbstractItemModel>
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>

namespace platform {

namespace {

// 0x00BBGGRR as the control stores colours.
QColor fromBgr(std::int32_t bgr)
{
    const auto v = static_cast<std::uint32_t>(bgr);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

} // namespace

namespace detail {

// The nodes as a Qt item model: one column, internal id = node Index.
class TreeViewItemModel final : public QAbstractItemModel, public TreeViewObserver {
public:
    TreeViewItemModel(TreeView& view, TreeViewModel& nodes) : m_view(view), m_nodes(nodes) {}

    QModelIndex index(int row, int column, const QModelIndex& parent) const override
    {
        if (column != 0 || row < 0) {
            return {};
        }
        const auto parentNode = static_cast<std::int32_t>(parent.isValid() ? parent.internalId() : 0);
        const std::vector<std::int32_t>& kids = m_nodes.ChildList(parentNode);
        if (static_cast<std::size_t>(row) >= kids.size()) {
            return {};
        }
        return createIndex(row, 0, static_cast<quintptr>(kids[static_cast<std::size_t>(row)]));
    }

    QModelIndex parent(const QModelIndex& child) const override
    {
        if (!child.isValid()) {
            return {};
        }
        return indexOf(m_nodes.Parent(static_cast<std::int32_t>(child.internalId())));
    }

    int rowCount(const QModelIndex& parent) const override
    {
        if (parent.isValid() && parent.column() != 0) {
            return 0;
        }
        const auto node = static_cast<std::int32_t>(parent.isValid() ? parent.internalId() : 0);
        return static_cast<int>(m_nodes.ChildList(node).size());
    }

    int columnCount(const QModelIndex&) const override { return 1; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid()) {
            return {};
        }
        const auto node = static_cast<std::int32_t>(index.internalId());
        switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(m_nodes.Text(node));
        case Qt::FontRole:
            if (m_nodes.Bold(node)) {
                QFont font = m_view.font();
                font.setBold(true);
                return font;
            }
            return {};
        case Qt::ForegroundRole:
            if (m_nodes.ForeColor(node) != TreeViewModel::DefaultColor) {
                return QBrush(fromBgr(m_nodes.ForeColor(node)));
            }
            return {};
        case Qt::BackgroundRole:
            if (m_nodes.BackColor(node) != TreeViewModel::DefaultColor) {
                return QBrush(fromBgr(m_nodes.BackColor(node)));
            }
            return {};
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    QModelIndex indexOf(std::int32_t node) const
    {
        if (node <= 0 || node > m_nodes.Count()) {
            return {};
        }
        return createIndex(m_nodes.Row(node), 0, static_cast<quintptr>(node));
    }

    // ---- TreeViewObserver -------------------------------------------------------
    void aboutToAddNode(std::int32_t parent, std::int32_t row) override
    {
        beginInsertRows(indexOf(parent), row, row);
    }
    void nodeAdded(std::int32_t node) override
    {
        (void)node;
        endInsertRows();
    }
    void aboutToClear() override { beginResetModel(); }
    void cleared() override { endResetModel(); }
    void nodeChanged(std::int32_t node) override
    {
        const QModelIndex at = indexOf(node);
        emit dataChanged(at, at);
    }
    void expandedChanged(std::int32_t node) override { m_view.applyExpansion(node); }
    void selectionChanged(std::int32_t selected) override { m_view.applySelection(selected); }
    void ensureVisible(std::int32_t node) override { m_view.scrollTo(indexOf(node)); }
    void updatesFrozen(bool frozen) override
    {
        if (frozen) {
            m_view.setUpdatesEnabled(false);
            beginResetModel();
        } else {
            endResetModel();
            m_view.applyAll();
            m_view.setUpdatesEnabled(true);
        }
    }

private:
    TreeView& m_view;
    TreeViewModel& m_nodes;
};

} // namespace detail

TreeView::TreeView(QWidget* parent)
    : QTreeView(parent), m_itemModel(std::make_unique<detail::TreeViewItemModel>(*this, m_nodes))
{
    setHeaderHidden(true);
    setUniformRowHeights(true);
    // The one column is as wide as its widest shown row, indentation
    // included, so that a deep tree scrolls sideways instead of running off
    // the right edge.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setResizeContentsPrecision(-1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setModel(m_itemModel.get());
    m_nodes.setObserver(m_itemModel.get());

    // The user's changes go into the model; the guard keeps them from echoing.
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (!m_syncing) {
            m_syncing = true;
            m_nodes.setExpanded(nodeOfIndex(index), true);
            m_syncing = false;
        }
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        if (!m_syncing) {
            m_syncing = true;
            m_nodes.setExpanded(nodeOfIndex(index), false);
            m_syncing = false;
        }
    });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                if (!m_syncing && current.isValid()) {
                    m_syncing = true;
                    m_nodes.setSelected(nodeOfIndex(current), true);
                    m_syncing = false;
                }
            });
}

TreeView::~TreeView()
{
    m_nodes.setObserver(nullptr);
    setModel(nullptr);
}

QModelIndex TreeView::indexOfNode(std::int32_t node) const { return m_itemModel->indexOf(node); }

std::int32_t TreeView::nodeOfIndex(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<std::int32_t>(index.internalId()) : 0;
}

void TreeView::applyExpansion(std::int32_t node)
{
    if (m_syncing) {
        return;
    }
    m_syncing = true;
    setExpanded(indexOfNode(node), m_nodes.Expanded(node));
    m_syncing = false;
}

void TreeView::applySelection(std::int32_t node)
{
    if (m_syncing) {
        return;
    }
    m_syncing = true;
    if (node == 0) {
        selectionModel()->clear();
    } else {
        selectionModel()->setCurrentIndex(indexOfNode(node), QItemSelectionModel::ClearAndSelect);
    }
    m_syncing = false;
}

void TreeView::applyAll()
{
    m_syncing = true;
    const std::int32_t count = m_nodes.Count();
    for (std::int32_t node = 1; node <= count; ++node) {
        if (m_nodes.Expanded(node) && m_nodes.Children(node) > 0) {
            setExpanded(indexOfNode(node), true);
        }
    }
    m_syncing = false;
    applySelection(m_nodes.SelectedItem());
}

void TreeView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    emit MouseUp(event->button(), event->modifiers(), event->position().toPoint());
}

} // namespace platform
