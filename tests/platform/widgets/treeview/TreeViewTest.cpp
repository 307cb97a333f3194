#include "platform/widgets/treeview/TreeView.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using platform::TreeRelationship;

TEST(TreeView, ShowsNodesAndFollowsExpansionAndSelectionBothWays)
{
    platform::TreeView view;
    auto& nodes = view.Nodes();
    const auto root = nodes.Add({}, "Root");
    const auto a = nodes.Add(root, TreeRelationship::Child, {}, "a");
    nodes.Add(a, TreeRelationship::Child, {}, "leaf");
    view.resize(200, 200);
    view.show();

    const QModelIndex rootIndex = view.indexOfNode(root);
    EXPECT_EQ(view.model()->rowCount(rootIndex), 1);
    EXPECT_EQ(view.model()->data(view.indexOfNode(a)).toString(), "a");

    nodes.setExpanded(root, true);
    EXPECT_TRUE(view.isExpanded(rootIndex));
    view.collapse(rootIndex);  // the user collapses it
    EXPECT_FALSE(nodes.Expanded(root));

    nodes.setSelected(a, true);
    EXPECT_EQ(view.nodeOfIndex(view.currentIndex()), a);
    view.setCurrentIndex(rootIndex);  // the user selects
    EXPECT_EQ(nodes.SelectedItem(), root);
}

TEST(TreeView, FrozenPlantingIsShownWhenThawed)
{
    platform::TreeView view;
    auto& nodes = view.Nodes();
    {
        platform::FrozenUpdates frozen(nodes);
        const auto root = nodes.Add({}, "Root");
        nodes.setExpanded(root, true);
        for (int i = 0; i < 100; ++i) {
            nodes.Add(root, TreeRelationship::Child, {}, std::to_string(i));
        }
        nodes.setBold(root, true);
    }
    EXPECT_EQ(view.model()->rowCount(view.indexOfNode(1)), 100);
    EXPECT_TRUE(view.isExpanded(view.indexOfNode(1)));
    EXPECT_TRUE(view.model()->data(view.indexOfNode(1), Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(view.updatesEnabled());
}

TEST(TreeView, ReportsTheReleasedButton)
{
    platform::TreeView view;
    view.Nodes().Add({}, "Root");
    view.resize(200, 200);
    view.show();
    QSignalSpy spy(&view, &platform::TreeView::MouseUp);
    const QRect rect = view.visualRect(view.indexOfNode(1));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, rect.center());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(view.Nodes().SelectedItem(), 1);
}

TEST(TreeView, DeepTreeScrollsSidewaysToItsDeepestNode)
{
    platform::TreeView view;
    auto& nodes = view.Nodes();
    std::int32_t node = 0;
    {
        platform::FrozenUpdates frozen(nodes);
        node = nodes.Add({}, "Root");
        for (int depth = 1; depth <= 120; ++depth) {
            nodes.setExpanded(node, true);
            node = nodes.Add(node, TreeRelationship::Child, {}, "node at depth " + std::to_string(depth));
        }
    }
    view.resize(300, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QCoreApplication::processEvents();

    QScrollBar* bar = view.horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "a tree deeper than the view is wide needs a horizontal scroll bar";
    view.scrollTo(view.indexOfNode(node));
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    const QRect deepest = view.visualRect(view.indexOfNode(node));
    const QFontMetrics metrics(view.font());
    const int textWidth = metrics.horizontalAdvance(QStringLiteral("node at depth 120"));
    EXPECT_LE(deepest.left() + textWidth, view.viewport()->width())
        << "scrolled to its right end, the deepest node's text is in view";
    EXPECT_GE(deepest.right(), 0);
}

} // namespace
