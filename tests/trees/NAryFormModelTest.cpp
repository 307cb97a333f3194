#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "tests/support/TestSupport.h"
#include "trees/NAryFormModel.h"
#include "trees/NHTreeRead.h"
#include "trees/TreeLayout.h"

using namespace trees;

namespace {

struct RecordingReporter {
    RecordingReporter()
        : scope([this](const platform::Error& e) {
              errors.push_back(e);
              return platform::Answer::Abort;
          })
    {
    }
    std::vector<platform::Error> errors;
    platform::ScopedReporter scope;
};

const NAryNode& childOf(const NAryNode& node, std::size_t i)
{
    return *node.Children().at(i);
}

std::string captions(const NAryNode& node)
{
    std::string out;
    for (const auto& child : node.Children()) {
        out += (out.empty() ? "" : " ") + child->Box().Caption;
    }
    return out;
}

const char* const Sample = "((P:0.1,Q:0.2):0.05,R:0.3);";

} // namespace

TEST(NAryFormModel, NewickTreeIsNumberedAndListedAsBranches)
{
    NAryFormModel model;
    model.PlotTree(0, Sample, 1);
    ASSERT_NE(model.RootNode(), nullptr);
    const NAryNode& root = *model.RootNode();
    EXPECT_EQ(root.Box().Caption, "5");
    EXPECT_EQ(captions(root), "6 R");
    EXPECT_FALSE(childOf(root, 0).IsLeaf());
    EXPECT_EQ(captions(childOf(root, 0)), "P Q");
    EXPECT_EQ(model.LeafNames(), (std::vector<std::string>{"P", "Q", "R"}));
    EXPECT_EQ(model.MaxLeafDist(), 0.3);
    EXPECT_EQ(model.PAMLText(), " 5..6 6..1 6..2 5..3\r 0.05 0.1 0.2 0.3");
    EXPECT_TRUE(model.HasLengths());
    EXPECT_TRUE(model.Menu().scaleVisible);
    EXPECT_EQ(model.YGap(), 100);
    EXPECT_EQ(model.FontPoints(), 8);
    EXPECT_EQ(model.LineThickness(), 5);
    EXPECT_TRUE(model.Initialised());
}

TEST(NAryFormModel, MissingLengthsAreOneTenthAndHideTheScale)
{
    NAryFormModel model;
    model.PlotTree(0, "(P,Q,R);", 1);
    EXPECT_EQ(model.RootNode()->Box().Caption, "4");
    EXPECT_EQ(model.PAMLText(), " 4..1 4..2 4..3\r 0.1 0.1 0.1");

    NAryFormModel grouped;
    grouped.PlotTree(0, "((P,Q),R);", 1);
    EXPECT_FALSE(grouped.HasLengths());
    EXPECT_FALSE(grouped.Menu().scaleVisible);
    EXPECT_EQ(childOf(*grouped.RootNode(), 0).BranchLength(), 0.1);
    EXPECT_EQ(childOf(childOf(*grouped.RootNode(), 0), 1).BranchLength(), 0.1);
}

TEST(NAryFormModel, InnerNumbersNeverCollideWithLeafNumbers)
{
    // Two clusters of four leaves: counting from InnerCount + 3 would start at 6.
    NAryFormModel model;
    model.PlotTree(0, "((a,b,c,d),(e,f,g,h));", 1);
    EXPECT_EQ(model.RootNode()->Box().Caption, "9");
    EXPECT_EQ(captions(*model.RootNode()), "10 11");
    EXPECT_EQ(model.PAMLText().substr(0, 24), " 9..10 10..1 10..2 10..3");
    // Re-rooting at an inner node keeps every leaf a leaf.
    ASSERT_TRUE(model.RedrawFromRoot(11));
    const NAryNode& root = *model.RootNode();
    EXPECT_EQ(captions(root), "9 e f g h");
    EXPECT_EQ(captions(childOf(root, 0)), "10");
    EXPECT_EQ(captions(childOf(childOf(root, 0), 0)), "a b c d");
}

TEST(NAryFormModel, RedrawFromInnerNodeTurnsTheTreeAroundIt)
{
    NAryFormModel model;
    model.PlotTree(0, Sample, 1);
    ASSERT_TRUE(model.RedrawFromRoot(6));
    const NAryNode& root = *model.RootNode();
    EXPECT_EQ(root.Box().Caption, "6");
    EXPECT_EQ(captions(root), "5 P Q");
    EXPECT_EQ(childOf(root, 0).BranchLength(), 0.05);
    EXPECT_EQ(captions(childOf(root, 0)), "R");
    expectNearRel(model.MaxLeafDist(), 0.35, 1e-12);
    EXPECT_EQ(model.TreeTextKind(), TreeKind::BranchList);
    EXPECT_EQ(model.CurTreeType(), TreeKind::Newick);
    // A rebuild after a settings change keeps the re-rooted tree.
    ASSERT_TRUE(model.Rebuild());
    EXPECT_EQ(model.RootNode()->Box().Caption, "6");
}

TEST(NAryFormModel, BranchListRootedAtALeafUsesItsNeighbour)
{
    NAryFormModel model;
    model.PlotTree(0, Sample, 1);
    ASSERT_TRUE(model.RedrawFromRoot(3));  // leaf R
    EXPECT_EQ(model.RootNode()->Box().Caption, "5");
    EXPECT_EQ(captions(*model.RootNode()), "6 R");
    EXPECT_EQ(NAryFormModel::PartnerOf({"5..6", "6..1"}, 1), "6");
    EXPECT_EQ(NAryFormModel::PartnerOf({"5..6"}, 9), "");
    EXPECT_EQ(NAryFormModel::OtherEnd(6, "5..6"), 5);
    EXPECT_EQ(NAryFormModel::OtherEnd(5, "5..6"), 6);
    EXPECT_EQ(NAryFormModel::OtherEnd(7, "5..6"), 0);
}

TEST(NAryFormModel, LeavesNamedLikeNumbersStayLeaves)
{
    NAryFormModel model;
    model.PlotTree(0, "((1007_s_at:0.1,12:0.2):0.05,R:0.3);", 1);
    ASSERT_TRUE(model.RedrawFromRoot(6));
    const NAryNode& root = *model.RootNode();
    EXPECT_EQ(captions(root), "5 1007_s_at 12");
    EXPECT_TRUE(childOf(root, 2).IsLeaf());
    EXPECT_EQ(childOf(root, 2).childCount(), 0u);

    // A click on leaf "12" re-roots at that leaf, not at inner node 12.
    std::string message;
    ASSERT_TRUE(model.ReRootAtNode(childOf(root, 2), message));
    EXPECT_EQ(model.NHText(), "(12:0.20000,(R:0.30000):0.05000,1007_s_at:0.10000);");
    EXPECT_EQ(captions(*model.RootNode()), "12 6 1007_s_at");
}

TEST(NAryFormModel, ReRootAtTipFailureKeepsTextAndTree)
{
    NAryFormModel model;
    model.PlotTree(0, Sample, 1);
    model.setNHText("((P,Q),R;");
    std::string message;
    EXPECT_FALSE(model.ReRootAtTip("P", message));
    EXPECT_EQ(message, "Left and right parentheses do not match.");
    EXPECT_EQ(model.NHText(), "((P,Q),R;");
    EXPECT_EQ(model.RootNode()->Box().Caption, "5");
}

TEST(NAryFormModel, CommentsTakeTheBlanksAlongAndTextWithoutSemicolonIsRead)
{
    NAryFormModel model;
    model.PlotTree(0, "((a b:1,c:2)[x]:1,d:1);", 1);
    EXPECT_EQ(model.LeafNames()[0], "ab");
    NAryFormModel plain;
    plain.PlotTree(0, "(a b:1,c:2)", 1);
    EXPECT_EQ(plain.LeafNames(), (std::vector<std::string>{"a b", "c"}));
}

TEST(NAryFormModel, InnerLabelsAfterAGroupAreSkipped)
{
    NAryFormModel model;
    model.PlotTree(0, "((a:1,b:1)90:0.5,c:2);", 1);
    EXPECT_EQ(model.LeafNames(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(childOf(*model.RootNode(), 0).BranchLength(), 0.5);
}

TEST(NAryFormModel, MrcTreeCarriesSupportAndItsOwnLengths)
{
    NAryFormModel model;
    model.PlotTree(2, "((P:[x]0.4,Q:0.4):[87]0.25,R:[y]0.1);", 1);
    const NAryNode& root = *model.RootNode();
    EXPECT_EQ(root.Box().Caption, "");
    const NAryNode& group = childOf(root, 0);
    EXPECT_EQ(group.Box().SupportText, "87");
    EXPECT_EQ(group.BranchLength(), 0.25);
    EXPECT_EQ(childOf(group, 0).BranchLength(), 0.4);
    EXPECT_EQ(childOf(group, 1).BranchLength(), 0.0);
    EXPECT_TRUE(model.ShowInnerLabels());
    EXPECT_FALSE(model.Menu().reRootEnabled);
    EXPECT_FALSE(model.Menu().scaleVisible);
    EXPECT_FALSE(model.Menu().pasteVisible);
    EXPECT_EQ(model.MRCText(), "((P:[x]0.4,Q:0.4):[87]0.25,R:[y]0.1);");
}

TEST(NAryFormModel, BadTextGoesToTheReporterWithANumberedError)
{
    struct Row {
        const char* name;
        int type;
        const char* text;
    };
    const Row rows[] = {
        {"empty", 0, ""},
        {"unbalanced", 0, "((a,b);"},
        {"lone quote", 0, "'"},
        {"semicolon alone", 0, ";"},
        {"non-numeric length", 0, "(a:zz,b);"},
        {"one leaf", 0, "(a);"},
        {"leaf subtree", 0, "();"},
        {"empty branch list", 1, "\r"},
        {"unbalanced MRC", 2, "((a,b);"},
        {"length too large", 0, "(a:1e400,b);"},
        {"MRC length too large", 2, "((a:[1]1e999,b:[2]1):[3]1,c:[4]1);"},
        {"MRC support too large", 2, "((a:[1]1,b:[2]1):[3e999]1,c:[4]1);"},
        {"branch length too large", 1, " 5..6\r 1e999"},
    };
    for (const Row& row : rows) {
        RecordingReporter reporter;
        NAryFormModel model;
        model.PlotTree(row.type, row.text, 1);
        ASSERT_EQ(reporter.errors.size(), 1u) << row.name;
        EXPECT_EQ(reporter.errors[0].number(), 5) << row.name;
        EXPECT_FALSE(reporter.errors[0].description().empty()) << row.name;
    }
}

TEST(NAryFormModel, BranchListNodeNumbersOutsideTheRangeAreNamedErrors)
{
    struct Row {
        const char* name;
        const char* text;
        const char* fault;
    };
    const Row rows[] = {
        {"too large for 32 bits", " 5..1e40 5..6 6..1 6..2\r 0.1 0.1 0.1 0.1", "1e40"},
        {"too large for a double", " 5..1e400 5..6\r 0.1 0.1", "1e400"},
        {"just beyond 32 bits", " 5..2147483648\r 0.1", "2147483648"},
        {"zero", " 5..0 5..6\r 0.1 0.1", "\"0\""},
        {"negative", " -5..6\r 0.1", "-5"},
        {"no dots", " 56\r 0.1", "56"},
    };
    for (const Row& row : rows) {
        RecordingReporter reporter;
        NAryFormModel model;
        model.PlotTree(0, "((P:0.1,Q:0.2):0.05,R:0.3);", 1);
        ASSERT_TRUE(reporter.errors.empty()) << row.name;
        model.Close();
        model.PlotTree(1, row.text, 5);
        ASSERT_EQ(reporter.errors.size(), 1u) << row.name;
        EXPECT_EQ(reporter.errors[0].number(), 5) << row.name;
        EXPECT_NE(reporter.errors[0].description().find(row.fault), std::string::npos)
            << row.name << ": " << reporter.errors[0].description();
    }
    EXPECT_EQ(NAryFormModel::OtherEnd(5, "5..1e40"), 0);
    EXPECT_EQ(NAryFormModel::OtherEnd(5, "5..-7"), 0);
    EXPECT_EQ(NAryFormModel::OtherEnd(7, "1e300..7"), 0);
}

TEST(NAryFormModel, InitialisedWindowStoresTheTextWithoutRebuildingUntilClosed)
{
    NAryFormModel model;
    model.PlotTree(0, Sample, 1);
    model.setYGap(140);
    model.PlotTree(0, "(x,y);", 1);
    EXPECT_EQ(model.RootNode(), nullptr);
    EXPECT_EQ(model.YGap(), 140);
    model.Close();
    EXPECT_FALSE(model.Initialised());
    EXPECT_EQ(model.YGap(), 0);
    EXPECT_TRUE(model.NHText().empty());
    model.PlotTree(0, "(x,y);", 1);
    EXPECT_EQ(model.YGap(), 100);
    EXPECT_EQ(model.LeafNames(), (std::vector<std::string>{"x", "y"}));
    EXPECT_THROW(model.PlotTree(3, "(x,y);", 1), platform::Error);
    // The scale bar's check mark outlives closing; hidden items come back.
    model.Menu().scaleChecked = true;
    model.Close();
    model.PlotTree(2, "((a:[1]1,b:[2]1):[3]1,c:[4]1);", 1);
    EXPECT_FALSE(model.Menu().scaleVisible);
    model.Close();
    model.PlotTree(0, "(x,y);", 1);
    EXPECT_TRUE(model.Menu().scaleChecked);
    EXPECT_TRUE(model.Menu().scaleVisible);
    EXPECT_TRUE(model.Menu().reRootEnabled);
}

TEST(NAryFormModel, LabelsMapBackToTheirNodes)
{
    NAryFormModel model;
    model.PlotTree(0, Sample, 1);
    EXPECT_EQ(model.LabelCount(), 5);
    EXPECT_EQ(model.NodeOfLabel(1), model.RootNode());
    EXPECT_EQ(model.NodeOfLabel(5)->Box().Caption, "R");
    EXPECT_EQ(model.NodeOfLabel(6), nullptr);
    EXPECT_EQ(model.NodeOfLabel(0), nullptr);
}

TEST(NAryFormModel, ChainOfSixteenThousandLeavesBuildsListsAndReRoots)
{
    const int leaves = 16000;
    std::string text(leaves - 1, '(');
    text += "t0:1,t1:1)";
    for (int i = 2; i < leaves; ++i) {
        text += ":1,t" + std::to_string(i) + ":" + std::to_string(i) + ")";
    }
    text += ";";
    NAryFormModel model;
    model.PlotTree(0, text, 1);
    EXPECT_EQ(model.NameCount(), leaves);
    EXPECT_EQ(model.InnerCount(), leaves - 1);
    EXPECT_EQ(model.RootNode()->Box().Caption, std::to_string(leaves + 2));
    ASSERT_TRUE(model.RedrawFromRoot(leaves + 5000));
    EXPECT_EQ(model.LabelCount(), 2 * leaves - 1);
    const DrawList list = TreeLayout::DrawTree(model, 20000, TreeView::Phenogram);
    EXPECT_GT(list.items.size(), static_cast<std::size_t>(leaves));
    std::string message;
    ASSERT_TRUE(model.ReRootAtTip("t0", message));
    EXPECT_EQ(model.NHText().rfind("(t0:1.00000,t1:1.00000,(", 0), 0u);
}
