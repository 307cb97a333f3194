#include "platform/widgets/treeview/TreeView.h"

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

} // namespace
