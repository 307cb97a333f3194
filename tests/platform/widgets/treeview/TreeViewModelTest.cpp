#include "platform/widgets/treeview/TreeViewModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/errors/Error.h"
#include "tests/support/ErrorAssert.h"

namespace {

using platform::TreeRelationship;
using platform::TreeViewModel;

constexpr auto Child = TreeRelationship::Child;

// Records what an attached view would hear.
struct Log : platform::TreeViewObserver {
    std::vector<std::string> events;
    void aboutToAddNode(std::int32_t p, std::int32_t r) override
    {
        events.push_back("add? " + std::to_string(p) + "/" + std::to_string(r));
    }
    void nodeAdded(std::int32_t i) override { events.push_back("added " + std::to_string(i)); }
    void aboutToClear() override { events.push_back("clear?"); }
    void cleared() override { events.push_back("cleared"); }
    void nodeChanged(std::int32_t i) override { events.push_back("changed " + std::to_string(i)); }
    void expandedChanged(std::int32_t i) override { events.push_back("expanded " + std::to_string(i)); }
    void selectionChanged(std::int32_t i) override { events.push_back("selected " + std::to_string(i)); }
    void ensureVisible(std::int32_t i) override { events.push_back("visible " + std::to_string(i)); }
    void updatesFrozen(bool f) override { events.push_back(f ? "freeze" : "thaw"); }
};

TEST(TreeViewModel, IndicesFollowInsertionOrderAndNavigationFollowsChildren)
{
    TreeViewModel m;
    const auto root = m.Add({}, "Root");
    const auto a = m.Add(root, Child, {}, "a");
    const auto b = m.Add(root, Child, {}, "b");
    const auto a1 = m.Add(a, Child, {}, "a1");
    const auto second = m.Add({}, "Other");
    EXPECT_EQ((std::vector{root, a, b, a1, second}), (std::vector{1, 2, 3, 4, 5}));
    EXPECT_EQ(m.Count(), 5);
    EXPECT_EQ(m.Children(root), 2);
    EXPECT_EQ(m.Child(root), a);
    EXPECT_EQ(m.Next(a), b);
    EXPECT_EQ(m.Next(b), 0);
    EXPECT_EQ(m.Child(b), 0);
    EXPECT_EQ(m.Parent(a1), a);
    EXPECT_EQ(m.Parent(root), 0);
    EXPECT_EQ(m.Next(root), second);
    EXPECT_EQ(m.Row(b), 1);
    EXPECT_EQ(m.Text(a1), "a1");
}

TEST(TreeViewModel, ClearRemovesEverythingAndNumberingStartsAgain)
{
    TreeViewModel m;
    const auto r = m.Add("k", "Root");
    m.setSelected(m.Add(r, Child, {}, "x"), true);
    m.Clear();
    EXPECT_EQ(m.Count(), 0);
    EXPECT_EQ(m.SelectedItem(), 0);
    EXPECT_EQ(m.Add("k", "again"), 1);  // the key is free again
}

TEST(TreeViewModel, ErrorsCarryTheControlNumbers)
{
    TreeViewModel m;
    const auto r = m.Add("dup", "Root");
    struct Row {
        const char* name;
        std::function<void()> call;
        int number;
    };
    const std::vector<Row> rows = {
        {"duplicate key", [&] { m.Add(r, Child, "dup", "again"); }, platform::treeview_err::KeyNotUnique},
        {"index 0", [&] { (void)m.Text(0); }, platform::treeview_err::IndexOutOfBounds},
        {"index past count", [&] { m.setExpanded(2, true); }, platform::treeview_err::IndexOutOfBounds},
        {"unknown key", [&] { (void)m.Item("none"); }, platform::treeview_err::ElementNotFound},
        {"bad relative", [&] { m.Add(7, Child, {}, "x"); }, platform::treeview_err::IndexOutOfBounds},
        {"other relationship", [&] { m.Add(r, TreeRelationship::Next, {}, "x"); }, platform::err::InvalidCall},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(testsupport::errorNumber(row.call), row.number) << row.name;
    }
    EXPECT_EQ(m.Count(), 1) << "a refused node is not added";
    EXPECT_EQ(m.Item("dup"), 1);
}

TEST(TreeViewModel, SelectionIsSingle)
{
    TreeViewModel m;
    const auto r = m.Add({}, "Root");
    const auto a = m.Add(r, Child, {}, "a");
    m.setSelected(r, true);
    m.setSelected(a, true);
    EXPECT_FALSE(m.Selected(r));
    EXPECT_TRUE(m.Selected(a));
    EXPECT_EQ(m.SelectedItem(), a);
    m.setSelected(r, false);  // not selected: nothing changes
    EXPECT_EQ(m.SelectedItem(), a);
    m.setSelected(a, false);
    EXPECT_EQ(m.SelectedItem(), 0);
}

TEST(TreeViewModel, NodePropertiesAreKept)
{
    TreeViewModel m;
    const auto r = m.Add({}, "Root");
    EXPECT_FALSE(m.Tag(r).has_value());
    m.setTag(r, 0.125);
    m.setBold(r, true);
    m.setChecked(r, true);
    m.setBackColor(r, 0x0000FF);
    m.setForeColor(r, 0xFF0000);
    m.setText(r, "renamed");
    EXPECT_EQ(m.Tag(r), 0.125);
    EXPECT_TRUE(m.Bold(r));
    EXPECT_TRUE(m.Checked(r));
    EXPECT_EQ(m.BackColor(r), 0x0000FF);
    EXPECT_EQ(m.ForeColor(r), 0xFF0000);
    EXPECT_EQ(m.Text(r), "renamed");
    m.setTag(r, std::nullopt);
    EXPECT_FALSE(m.Tag(r).has_value());
}

TEST(TreeViewModel, EnsureVisibleExpandsEveryAncestor)
{
    TreeViewModel m;
    const auto r = m.Add({}, "Root");
    const auto a = m.Add(r, Child, {}, "a");
    const auto leaf = m.Add(a, Child, {}, "leaf");
    m.EnsureVisible(leaf);
    EXPECT_TRUE(m.Expanded(r));
    EXPECT_TRUE(m.Expanded(a));
    EXPECT_FALSE(m.Expanded(leaf));
}

TEST(TreeViewModel, ObserverHearsChangesButNothingWhileFrozen)
{
    TreeViewModel m;
    Log log;
    m.setObserver(&log);
    const auto r = m.Add({}, "Root");
    m.setExpanded(r, true);
    m.setExpanded(r, true);  // no change, no event
    m.setSelected(r, true);
    {
        platform::FrozenUpdates outer(m);
        platform::FrozenUpdates inner(m);
        m.Add(r, Child, {}, "x");
        m.setBold(r, true);
    }
    m.Clear();
    EXPECT_EQ(log.events, (std::vector<std::string>{"add? 0/0", "added 1", "expanded 1", "selected 1", "freeze",
                                                    "thaw", "clear?", "cleared"}));
}

TEST(TreeViewModel, HoldsMoreNodesThanSixteenBitIndices)
{
    TreeViewModel m;
    platform::FrozenUpdates frozen(m);
    auto parent = m.Add({}, "Root");
    for (int i = 0; i < 40000; ++i) {
        parent = m.Add(parent, Child, {}, std::to_string(i));
    }
    EXPECT_EQ(m.Count(), 40001);
    EXPECT_EQ(m.Parent(40001), 40000);
    EXPECT_EQ(m.Text(40001), "39999");
}

} // namespace
