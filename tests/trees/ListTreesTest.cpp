#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "analysis/MyNode.h"
#include "platform/errors/Error.h"
#include "trees/ListTrees.h"
#include "trees/NHAdapter.h"
#include "tests/trees/TreeTestUtil.h"

using analysis::MyNode;
using namespace trees;

namespace {

using treetest::leaf;

std::unique_ptr<MyNode> inner(double length, std::unique_ptr<MyNode> a, std::unique_ptr<MyNode> b)
{
    auto node = std::make_unique<MyNode>();
    node->setBranchLen(length);
    node->addChild(std::move(a));
    node->addChild(std::move(b));
    return node;
}

// R -> [A (2) -> [p 1, q 1], B (1) -> [r 2, s 2]]: heights A 1, B 2, R 3.
std::unique_ptr<MyNode> sampleTree()
{
    auto root = std::make_unique<MyNode>();
    root->addChild(inner(2, leaf("p", 1), leaf("q", 1)))->setCaption("A");
    root->addChild(inner(1, leaf("r", 2), leaf("s", 2)))->setCaption("B");
    return root;
}

// Captions and lengths of the new root's children, e.g. "A:2 r:3 s:3".
std::string collected(const MyNode& root)
{
    std::string out;
    for (const auto& child : root.Children()) {
        std::string text;
        if (!out.empty()) {
            out += ' ';
        }
        out += child->Caption() + ":" + std::to_string(static_cast<int>(child->BranchLen()));
    }
    return out;
}

std::string shortText(const MyNode& root)
{
    std::string text;
    NHAdapter::WriteNHBranchLen(root, text);
    return text;
}

} // namespace

TEST(ListTrees, HeightsComeFromTheFirstChild)
{
    auto root = sampleTree();
    ListTrees::ComputeDist2Tip(*root);
    EXPECT_EQ(root->child(0)->Dist2Tip(), 1.0);
    EXPECT_EQ(root->child(1)->Dist2Tip(), 2.0);
    EXPECT_EQ(root->Dist2Tip(), 3.0);
    EXPECT_EQ(root->child(0)->child(0)->Dist2Tip(), 0.0);
}

TEST(ListTrees, CollapseAtCutOffsIncludingTheBoundary)
{
    struct Row {
        const char* name;
        double cutOff;
        const char* expected;  // "" for nothing to collapse
    };
    const Row rows[] = {
        {"between the clusters", 1.5, "A:2 r:3 s:3"},
        {"exactly at cluster A", 1.0, "A:2 r:3 s:3"},
        {"exactly at cluster B", 2.0, ""},
        {"above every child", 2.5, ""},
        {"zero: every leaf", 0.0, "p:3 q:3 r:3 s:3"},
        {"below the leaves: no leaf lost", -1.0, "p:3 q:3 r:3 s:3"},
    };
    for (const Row& row : rows) {
        auto root = sampleTree();
        const std::string before = shortText(*root);
        auto collapsed = ListTrees::CollapseWithCutOff(*root, row.cutOff);
        if (std::string(row.expected).empty()) {
            EXPECT_FALSE(collapsed) << row.name;
        } else {
            ASSERT_TRUE(collapsed) << row.name;
            EXPECT_EQ(collected(*collapsed), row.expected) << row.name;
            EXPECT_EQ(collapsed->Dist2Tip(), 3.0) << row.name;
        }
        EXPECT_EQ(shortText(*root), before) << row.name << ": the full tree changed";
    }
}

TEST(ListTrees, CollectedClustersKeepTheirInnerStructure)
{
    auto root = sampleTree();
    auto collapsed = ListTrees::CollapseWithCutOff(*root, 1.5);
    ASSERT_TRUE(collapsed);
    EXPECT_EQ(shortText(*collapsed), "((p:1,q:1):2,r:3,s:3)");
    EXPECT_EQ(collapsed->child(0)->Parent(), collapsed.get());
    EXPECT_EQ(root->child(0)->Parent(), root.get());
}

TEST(ListTrees, RepeatedCollapseGivesWhatTheOriginalGivesOnce)
{
    const double cutOffs[] = {1.5, 2.5, 0.0, 1.0, 1.5};
    auto repeated = sampleTree();
    for (const double c : cutOffs) {
        auto fresh = sampleTree();
        auto once = ListTrees::CollapseWithCutOff(*fresh, c);
        auto again = ListTrees::CollapseWithCutOff(*repeated, c);
        ASSERT_EQ(static_cast<bool>(once), static_cast<bool>(again)) << c;
        if (once) {
            EXPECT_EQ(shortText(*again), shortText(*once)) << c;
        }
    }
}

TEST(ListTrees, NanCutOffIsRefused)
{
    auto root = sampleTree();
    EXPECT_THROW((void)ListTrees::CollapseWithCutOff(*root, std::nan("")), platform::Error);
}

TEST(ListTrees, ChainOfSixteenThousandLeavesCollapsesWithoutRecursion)
{
    // Single linkage shape: each merge adds one leaf to the growing cluster.
    const int leaves = 16000;
    auto top = leaf("t0", 0);
    double height = 0;
    for (int i = 1; i < leaves; ++i) {
        auto node = std::make_unique<MyNode>();
        top->setBranchLen(1);
        node->addChild(std::move(top));
        node->addChild(leaf("t" + std::to_string(i), height + 1));
        height += 1;
        top = std::move(node);
    }
    ListTrees::ComputeDist2Tip(*top);
    EXPECT_EQ(top->Dist2Tip(), leaves - 1.0);
    auto all = ListTrees::CollapseWithCutOff(*top, 0);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->childCount(), static_cast<std::size_t>(leaves));
    auto half = ListTrees::CollapseWithCutOff(*top, 7999.5);
    ASSERT_TRUE(half);
    // The cluster of height 7999 whole, then the 8000 leaves joined above it.
    ASSERT_EQ(half->childCount(), 8001u);
    EXPECT_EQ(half->child(0)->Dist2Tip(), 7999.0);
    EXPECT_EQ(half->child(1)->Caption(), "t8000");
    EXPECT_EQ(half->child(1)->BranchLen(), 15999.0);
}
