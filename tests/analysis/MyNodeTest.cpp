#include "analysis/MyNode.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"

namespace {

using analysis::MyNode;

std::unique_ptr<MyNode> leaf(const std::string& caption)
{
    auto node = std::make_unique<MyNode>();
    node->setTip(true);
    node->setCaption(caption);
    return node;
}

std::unique_ptr<MyNode> inner(const std::string& caption, std::unique_ptr<MyNode> a, std::unique_ptr<MyNode> b,
                              std::unique_ptr<MyNode> c = nullptr)
{
    auto node = std::make_unique<MyNode>();
    node->setCaption(caption);
    node->addChild(std::move(a));
    node->addChild(std::move(b));
    if (c) {
        node->addChild(std::move(c));
    }
    return node;
}

// ((a,b)x,(c,d)y)root
std::unique_ptr<MyNode> balancedFour()
{
    return inner("root", inner("x", leaf("a"), leaf("b")), inner("y", leaf("c"), leaf("d")));
}

// A chain: each inner node has one leaf child and one inner child, the deepest two leaves.
std::unique_ptr<MyNode> caterpillar(int leaves)
{
    auto node = inner("n1", leaf("L0"), leaf("L1"));
    for (int i = 2; i < leaves; ++i) {
        node = inner("n" + std::to_string(i), leaf("L" + std::to_string(i)), std::move(node));
    }
    return node;
}

TEST(MyNode, NewNodeHasTheInitialValues)
{
    const MyNode node;
    EXPECT_EQ(node.childCount(), 0U);
    EXPECT_EQ(node.Caption(), "");
    EXPECT_EQ(node.BranchLen(), 0.0);
    EXPECT_FALSE(node.Tip());
    EXPECT_EQ(node.Parent(), nullptr);
    EXPECT_EQ(node.Dist2Tip(), 0.0);
    EXPECT_EQ(node.Index(), 0);
}

TEST(MyNode, AddChildSetsParentAndKeepsOrder)
{
    auto root = balancedFour();
    ASSERT_EQ(root->childCount(), 2U);
    EXPECT_EQ(root->child(0)->Caption(), "x");
    EXPECT_EQ(root->child(1)->Caption(), "y");
    EXPECT_EQ(root->child(0)->Parent(), root.get());
    EXPECT_EQ(root->child(1)->child(1)->Parent(), root->child(1));
    EXPECT_THROW((void)root->child(2), platform::Error);
}

TEST(MyNode, FindNodeMatchesInnerNodesOnly)
{
    auto root = balancedFour();
    EXPECT_EQ(root->FindNode("a"), nullptr);  // a leaf's caption
    EXPECT_EQ(root->FindNode("root"), root.get());
    EXPECT_EQ(root->FindNode("y"), root->child(1));
    EXPECT_EQ(root->FindNode("Y"), nullptr);  // case-sensitive
}

TEST(MyNode, FindNodeReturnsTheFirstHitInPreOrder)
{
    auto root = inner("", inner("dup", leaf("a"), leaf("b")), inner("dup", leaf("c"), leaf("d")));
    EXPECT_EQ(root->FindNode("dup"), root->child(0));
    EXPECT_EQ(root->FindNode(""), root.get());
}

TEST(MyNode, FindNodeIndexSkipsLeaves)
{
    auto root = balancedFour();
    root->setIndex(4);
    root->child(1)->setIndex(6);
    root->child(0)->child(0)->setIndex(6);  // a leaf with the same number
    EXPECT_EQ(root->FindNodeIndex(6), root->child(1));
    EXPECT_EQ(root->FindNodeIndex(4), root.get());
    EXPECT_EQ(root->FindNodeIndex(9), nullptr);
}

TEST(MyNode, FindNodeParentReturnsTheParentOfTheFirstMatchingLeaf)
{
    auto root = inner("root", leaf("a"), inner("x", leaf("b"), leaf("c")));
    EXPECT_EQ(root->FindNodeParent("a"), root.get());
    EXPECT_EQ(root->FindNodeParent("c"), root->child(1));
    EXPECT_EQ(root->FindNodeParent("x"), nullptr);  // an inner caption
    EXPECT_EQ(root->FindNodeParent("zz"), nullptr);
    const auto single = leaf("a");
    EXPECT_EQ(single->FindNodeParent("a"), nullptr);
}

struct PairCase {
    const char* name;
    std::unique_ptr<MyNode> (*make)();
    std::int32_t expected;
};

TEST(MyNode, GetNumPairCountsNodesWithTwoLeafChildren)
{
    const PairCase cases[] = {
        {"single leaf", [] { return leaf("a"); }, 0},
        {"cherry", [] { return inner("", leaf("a"), leaf("b")); }, 1},
        {"caterpillar of six", [] { return caterpillar(6); }, 1},
        {"balanced four", [] { return balancedFour(); }, 2},
        {"three leaves", [] { return inner("", leaf("a"), leaf("b"), leaf("c")); }, 1},
        {"leaf, inner, leaf", [] { return inner("", leaf("a"), inner("", leaf("b"), leaf("c")), leaf("d")); }, 2},
        // Shapes where only visiting every inner child gives the true count.
        {"leaf, inner, inner",
         [] { return inner("", leaf("a"), inner("", leaf("b"), leaf("c")), inner("", leaf("d"), leaf("e"))); }, 2},
        {"inner, leaf, inner",
         [] { return inner("", inner("", leaf("b"), leaf("c")), leaf("a"), inner("", leaf("d"), leaf("e"))); }, 2},
        {"inner, inner, inner",
         [] {
             return inner("", inner("", leaf("a"), leaf("b")), inner("", leaf("c"), leaf("d")),
                          inner("", leaf("e"), leaf("f")));
         },
         3},
        {"one child", [] {
             auto node = std::make_unique<MyNode>();
             node->addChild(inner("", leaf("a"), leaf("b")));
             return node;
         }, 1},
    };
    for (const auto& c : cases) {
        std::int32_t count = 10;
        c.make()->GetNumPair(count);
        EXPECT_EQ(count, 10 + c.expected) << c.name;
    }
}

TEST(MyNode, GetNumPairRaisesOverflowAndKeepsTheCount)
{
    auto root = balancedFour();
    std::int32_t count = 2147483647;
    try {
        root->GetNumPair(count);
        FAIL() << "no overflow";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::Overflow);
    }
    EXPECT_EQ(count, 2147483647);
}

TEST(MyNode, CloneIsDeepWithParentsInsideTheCopy)
{
    auto root = balancedFour();
    root->setBranchLen(0.5);
    root->child(0)->setDist2Tip(1.25);
    root->child(0)->child(1)->setBranchLen(2.5);
    root->child(1)->setIndex(7);
    auto copy = root->clone();
    EXPECT_EQ(copy->Parent(), nullptr);
    EXPECT_EQ(copy->BranchLen(), 0.5);
    EXPECT_EQ(copy->child(0)->Dist2Tip(), 1.25);
    EXPECT_EQ(copy->child(0)->child(1)->BranchLen(), 2.5);
    EXPECT_EQ(copy->child(0)->child(1)->Caption(), "b");
    EXPECT_TRUE(copy->child(0)->child(1)->Tip());
    EXPECT_EQ(copy->child(1)->Index(), 7);
    EXPECT_EQ(copy->child(1)->child(0)->Parent(), copy->child(1));
    // Changing the copy leaves the original as it was.
    copy->child(0)->child(1)->setBranchLen(9);
    EXPECT_EQ(root->child(0)->child(1)->BranchLen(), 2.5);
    EXPECT_NE(copy->child(0), root->child(0));
}

TEST(MyNode, TakeChildDetachesTheSubtree)
{
    auto root = balancedFour();
    auto y = root->takeChild(1);
    EXPECT_EQ(root->childCount(), 1U);
    EXPECT_EQ(y->Parent(), nullptr);
    EXPECT_EQ(y->child(0)->Parent(), y.get());
    EXPECT_THROW((void)root->takeChild(1), platform::Error);
    EXPECT_THROW(root->addChild(nullptr), platform::Error);
}

TEST(MyNode, AChainOfAHundredThousandLevelsIsSearchedCopiedAndReleased)
{
    constexpr int kDepth = 100000;
    auto root = caterpillar(kDepth);
    const MyNode* deepest = root->FindNode("n1");
    ASSERT_NE(deepest, nullptr);
    EXPECT_EQ(deepest->child(0)->Caption(), "L0");
    EXPECT_EQ(root->FindNodeParent("L0"), deepest);
    std::int32_t pairs = 0;
    root->GetNumPair(pairs);
    EXPECT_EQ(pairs, 1);
    auto copy = root->clone();
    EXPECT_EQ(copy->FindNodeParent("L1")->Caption(), "n1");
    copy.reset();
    root.reset();
}

} // namespace
