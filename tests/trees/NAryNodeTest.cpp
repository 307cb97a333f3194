#include <gtest/gtest.h>

#include <memory>

#include "platform/errors/Error.h"
#include "trees/NAryNode.h"

using namespace trees;

namespace {

NAryNode* add(NAryNode& parent, const char* caption, bool isLeaf)
{
    auto node = std::make_unique<NAryNode>();
    node->Box().Caption = caption;
    node->setIsLeaf(isLeaf);
    return parent.addChild(std::move(node));
}

NodeLabel labelWith(const char* caption)
{
    NodeLabel label;
    label.Caption = caption;
    return label;
}

} // namespace

TEST(NAryNode, NumberInnerNodesInPreOrderSkippingLeaves)
{
    NAryNode root;
    add(root, "p", true);
    NAryNode* x = add(root, "", false);
    add(*x, "a", true);
    add(*x, "b", true);
    NAryNode* y = add(root, "", false);
    add(*y, "c", true);
    add(*y, "d", true);
    std::int64_t number = 7;
    Phylogeny::NumberInnerNodes(root, number);
    EXPECT_EQ(root.Box().Caption, "7");
    EXPECT_EQ(x->Box().Caption, "8");
    EXPECT_EQ(y->Box().Caption, "9");
    EXPECT_EQ(root.Children()[0]->Box().Caption, "p");
    EXPECT_EQ(number, 9);
}

TEST(NAryNode, FindNodeFindsInnerNodesOnlyFirstInPreOrder)
{
    NAryNode root;
    root.Box().Caption = "1";
    NAryNode* leaf = add(root, "5", true);
    NAryNode* first = add(root, "5", false);
    NAryNode* deeper = add(*first, "6", false);
    NAryNode* second = add(root, "6", false);
    EXPECT_EQ(root.FindNode(labelWith("5")), first);
    EXPECT_EQ(root.FindNode(labelWith("6")), deeper);
    EXPECT_NE(root.FindNode(labelWith("6")), second);
    EXPECT_EQ(leaf->FindNode(labelWith("5")), nullptr);  // a leaf is never found, even by its own caption
    EXPECT_EQ(root.FindNode(labelWith("none")), nullptr);
}

TEST(NAryNode, DeepChainIsDestroyedWithoutRecursion)
{
    auto root = std::make_unique<NAryNode>();
    NAryNode* tip = root.get();
    for (int i = 0; i < 200000; ++i) {
        tip = add(*tip, "", false);
    }
    std::int64_t number = 1;
    Phylogeny::NumberInnerNodes(*root, number);
    // The last node has no children, so it is not numbered.
    EXPECT_EQ(number, 200000);
    EXPECT_NE(root->FindNode(labelWith("200000")), nullptr);
    EXPECT_EQ(tip->Box().Caption, "");
    root.reset();
}

TEST(TreeNode, DimDWGivesZeroFilledArrays)
{
    TreeNode node;
    node.DimDW(3);
    node.setDist(2, 1.5);
    EXPECT_EQ(node.dist(2), 1.5);
    EXPECT_EQ(node.BootVal(0), 0.0);
    node.DimDW(2);
    EXPECT_EQ(node.dist(1), 0.0);
    EXPECT_THROW((void)node.dist(2), platform::Error);
    EXPECT_THROW(node.DimDW(-1), platform::Error);
}
