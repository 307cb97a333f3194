#include "trees/view/TreeTool.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/errors/Error.h"
#include "tests/trees/TreeTestUtil.h"

namespace {

using analysis::MyNode;
using platform::TreeViewModel;

using treetest::leaf;

std::unique_ptr<MyNode> inner(double len, std::vector<std::unique_ptr<MyNode>> kids, const std::string& caption = {})
{
    auto n = std::make_unique<MyNode>();
    n->setBranchLen(len);
    n->setCaption(caption);
    for (auto& k : kids) {
        n->addChild(std::move(k));
    }
    return n;
}

// R -> [X (0.5) -> [p 0.5, q 1.25], r 1.0]
std::unique_ptr<MyNode> sampleTree()
{
    std::vector<std::unique_ptr<MyNode>> x;
    x.push_back(leaf("p", 0.5));
    x.push_back(leaf("q", 1.25));
    std::vector<std::unique_ptr<MyNode>> r;
    r.push_back(inner(0.5, std::move(x)));
    r.push_back(leaf("r", 1.0));
    return inner(0, std::move(r));
}

// The view as the document window fills it: "Root", then the tree below it.
struct Planted {
    TreeViewModel view;
    trees::TreeTool tool;
    std::int32_t root = 0;

    explicit Planted(const MyNode& tree, bool storeLength = true)
    {
        tool.Initialize(view);
        root = view.Add({}, "Root");
        tool.PlantTree(tree, root, storeLength, true);
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (std::int32_t i = 1; i <= view.Count(); ++i) {
            out.push_back(view.Text(i));
        }
        return out;
    }
};

TEST(TreeTool, PlantingShowsCaptionsNumbersForUnnamedInnerNodesAndLengthsAsTags)
{
    const auto tree = sampleTree();
    Planted p(*tree);
    EXPECT_EQ(p.view.Style(), 4);
    EXPECT_EQ(p.texts(), (std::vector<std::string>{"Root", "1", "p", "q", "r"}));
    EXPECT_EQ(p.view.Tag(2), 0.5);
    EXPECT_EQ(p.view.Tag(3), 0.5);
    EXPECT_EQ(p.view.Tag(4), 1.25);
    EXPECT_EQ(p.view.Tag(5), 1.0);
    EXPECT_FALSE(p.view.Tag(1).has_value());
    EXPECT_TRUE(p.view.Expanded(2));
    EXPECT_EQ(p.view.Parent(3), 2);
    EXPECT_EQ(p.view.Parent(5), 1);
    EXPECT_TRUE(p.view.Key(3).empty());
    EXPECT_FALSE(p.view.isFrozen());
}

TEST(TreeTool, QuestionsAboutAnInnerNode)
{
    const auto tree = sampleTree();
    Planted p(*tree);
    std::string text;
    p.tool.OutTreeBranchlen(p.root, text);
    EXPECT_EQ(text, "((p:0.5,q:1.25):0.5,r:1)");

    double d = 0;
    p.tool.GetDist2Tip(p.root, d);
    EXPECT_EQ(d, 1.0);

    std::int32_t tips = 2;  // the count is added to
    p.tool.GetTipsBelowNode(p.root, tips);
    EXPECT_EQ(tips, 5);

    std::vector<std::string> names(1);
    std::int32_t position = 0;
    p.tool.GetLociBelowNode(p.root, names, position);
    EXPECT_EQ(position, 3);
    EXPECT_EQ(names, (std::vector<std::string>{"p", "q", "r"})) << "grows past the caller's size";
}

TEST(TreeTool, QuestionsAboutALeafAddNothing)
{
    const auto tree = sampleTree();
    Planted p(*tree);
    const std::int32_t leafP = 3;
    std::string text = "x";
    p.tool.OutTreeBranchlen(leafP, text);
    EXPECT_EQ(text, "x()");
    double d = 0.25;
    p.tool.GetDist2Tip(leafP, d);
    EXPECT_EQ(d, 0.25);
    std::int32_t tips = 0;
    p.tool.GetTipsBelowNode(leafP, tips);
    EXPECT_EQ(tips, 0);
    std::vector<std::string> names{"keep"};
    std::int32_t position = 0;
    p.tool.GetLociBelowNode(leafP, names, position);
    EXPECT_EQ(position, 0);
    EXPECT_EQ(names, std::vector<std::string>{"keep"});
}

TEST(TreeTool, WithoutStoredLengthsTagsStayEmpty)
{
    const auto tree = sampleTree();
    Planted p(*tree, false);
    for (std::int32_t i = 1; i <= p.view.Count(); ++i) {
        EXPECT_FALSE(p.view.Tag(i).has_value()) << i;
    }
    double d = 0;
    p.tool.GetDist2Tip(p.root, d);
    EXPECT_EQ(d, 0);
    std::string text;
    p.tool.OutTreeBranchlen(p.root, text);
    EXPECT_EQ(text, "((p:0,q:0):0,r:0)");
}

TEST(TreeTool, LengthTextsAreRoundedAndLocaleFree)
{
    struct Row {
        double tag;
        const char* text;
    };
    for (const Row& row : {Row{0.123456, "0.12346"}, Row{2.0, "2"}, Row{-0.25, "-0.25"}, Row{0.000004, "0"},
                           Row{1234567.5, "1234567.5"}}) {
        TreeViewModel view;
        trees::TreeTool tool;
        tool.Initialize(view);
        const auto r = view.Add({}, "Root");
        view.setTag(view.Add(r, platform::TreeRelationship::Child, {}, "a"), row.tag);
        std::string text;
        tool.OutTreeBranchlen(r, text);
        EXPECT_EQ(text, std::string("(a:") + row.text + ")") << row.tag;
    }
}

TEST(TreeTool, InnerCaptionsAreShownAndNumbersCountTheNodesAbove)
{
    std::vector<std::unique_ptr<MyNode>> a;
    a.push_back(leaf("x", 1));
    a.push_back(leaf("y", 1));
    std::vector<std::unique_ptr<MyNode>> b;
    b.push_back(leaf("z", 1));
    b.push_back(leaf("w", 1));
    std::vector<std::unique_ptr<MyNode>> top;
    top.push_back(inner(1, std::move(a), "Cluster 1"));
    top.push_back(inner(1, std::move(b)));
    const auto tree = inner(0, std::move(top));
    Planted p(*tree);
    // Root, "Cluster 1", x, y, then the unnamed node after four nodes.
    EXPECT_EQ(p.texts(), (std::vector<std::string>{"Root", "Cluster 1", "x", "y", "4", "z", "w"}));
}

TEST(TreeTool, ProbeNamesThatLookLikeNumbersAreLeavesLikeAnyOther)
{
    std::vector<std::unique_ptr<MyNode>> kids;
    kids.push_back(leaf("1007_s_at", 0.5));
    kids.push_back(leaf("2", 0.5));
    const auto tree = inner(0, std::move(kids));
    Planted p(*tree);
    std::vector<std::string> names;
    std::int32_t position = 0;
    p.tool.GetLociBelowNode(p.root, names, position);
    EXPECT_EQ(names, (std::vector<std::string>{"1007_s_at", "2"}));
}

TEST(TreeTool, EmptyClusterOfAPartitionCountsAsALeafOfTheView)
{
    // A k-means cluster without rows is an inner node without children; the
    // view shows it as a childless node, and the names grow to hold it.
    std::vector<std::unique_ptr<MyNode>> one;
    one.push_back(leaf("g1", 0.1));
    std::vector<std::unique_ptr<MyNode>> top;
    top.push_back(inner(1, std::move(one), "1"));
    top.push_back(inner(1, {}, "2"));
    const auto tree = inner(0, std::move(top));
    Planted p(*tree);
    std::vector<std::string> names(1);
    std::int32_t position = 0;
    p.tool.GetLociBelowNode(p.root, names, position);
    EXPECT_EQ(names, (std::vector<std::string>{"g1", "2"}));
}

TEST(TreeTool, AddChildLeafKeysByCaptionAndRefusesADuplicate)
{
    TreeViewModel view;
    trees::TreeTool tool;
    tool.Initialize(view);
    const auto r = view.Add({}, "Root");
    const auto p = leaf("p", 0.5);
    const auto added = tool.AddChildLeaf(r, *p, true, false);
    EXPECT_EQ(view.Key(added), "p");
    EXPECT_TRUE(view.Text(added).empty());
    EXPECT_EQ(view.Tag(added), 0.5);
    try {
        (void)tool.AddChildLeaf(r, *p, true, false);
        FAIL() << "a duplicate key is refused";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::treeview_err::KeyNotUnique);
    }
    const auto plain = tool.AddChildNode(r, *p, false, true);
    EXPECT_TRUE(view.Key(plain).empty());
    EXPECT_FALSE(view.Tag(plain).has_value());
    EXPECT_TRUE(view.Expanded(plain));
}

TEST(TreeTool, SelectionAndWholeViewSettings)
{
    const auto tree = sampleTree();
    Planted p(*tree);
    std::vector<std::int32_t> found{-1, -1};
    std::int32_t count = 7;
    p.tool.GetSelectedNodes(found, count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(found, (std::vector<std::int32_t>{-1, -1})) << "untouched with nothing selected";

    p.tool.MakeNodesSelected({3, 4}, 2);
    p.tool.GetSelectedNodes(found, count);
    EXPECT_EQ(count, 1) << "the view keeps one selection";
    EXPECT_EQ(found[0], 4);

    p.tool.SetBold(true);
    p.tool.SetCheck(true);
    p.tool.SetBackColor(0x00FF00);
    p.tool.SetForeColor(0x0000FF);
    for (std::int32_t i = 1; i <= p.view.Count(); ++i) {
        EXPECT_TRUE(p.view.Bold(i));
        EXPECT_TRUE(p.view.Checked(i));
        EXPECT_EQ(p.view.BackColor(i), 0x00FF00);
        EXPECT_EQ(p.view.ForeColor(i), 0x0000FF);
    }
    p.tool.ClearNode();
    EXPECT_EQ(p.view.Count(), 0);
}

TEST(TreeTool, UseBeforeInitializeAndBadNodesAreErrors)
{
    trees::TreeTool tool;
    std::int32_t n = 0;
    EXPECT_THROW(tool.GetTipsBelowNode(1, n), platform::Error);
    const auto tree = sampleTree();
    Planted p(*tree);
    try {
        p.tool.PlantTree(*tree, 99, true, true);
        FAIL();
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::treeview_err::IndexOutOfBounds);
    }
    EXPECT_EQ(p.view.Count(), 5) << "nothing planted below a node that does not exist";
}

TEST(TreeTool, DeepChainIsPlantedAndWalkedWithoutRecursion)
{
    // A single-linkage caterpillar of 30,000 leaves: 60,000 view nodes.
    constexpr int n = 30000;
    auto top = leaf("g0", 1);
    for (int i = 1; i < n; ++i) {
        auto join = std::make_unique<MyNode>();
        join->setBranchLen(1);
        join->addChild(std::move(top));
        join->addChild(leaf("g" + std::to_string(i), 1));
        top = std::move(join);
    }
    auto root = std::make_unique<MyNode>();
    root->addChild(std::move(top));
    Planted p(*root);
    EXPECT_EQ(p.view.Count(), 2 * n);
    std::int32_t tips = 0;
    p.tool.GetTipsBelowNode(p.root, tips);
    EXPECT_EQ(tips, n);
    double d = 0;
    p.tool.GetDist2Tip(p.root, d);
    EXPECT_EQ(d, n);
    std::string text;
    p.tool.OutTreeBranchlen(p.root, text);
    EXPECT_EQ(text.substr(0, 5), "(((((");
    EXPECT_EQ(text.substr(text.size() - 13), ",g29999:1):1)");
}

TEST(TreeTool, ReadsNewickThroughItsReader)
{
    trees::TreeTool tool;
    std::unique_ptr<MyNode> root;
    ASSERT_TRUE(tool.ReadNHTree("((a:1,b:2):0.5,c:3);", {}, root, false, 0));
    ASSERT_NE(root, nullptr);
    std::int32_t pairs = 0;
    tool.GetNumPair("((a:1,b:2):0.5,c:3);", {}, pairs);
    EXPECT_EQ(pairs, 1);
}

} // namespace
