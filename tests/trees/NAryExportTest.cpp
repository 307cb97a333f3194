#include "trees/NAryExport.h"

#include <algorithm>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "trees/NAryFormModel.h"

using namespace trees;

namespace {

NAryNode* add(NAryNode& parent, const std::string& caption, double length, bool leaf)
{
    auto n = std::make_unique<NAryNode>();
    n->Box().Caption = caption;
    n->setBranchLength(length);
    n->setIsLeaf(leaf);
    return parent.addChild(std::move(n));
}

// A root with the leaves P and Q and an inner node (caption "3", length
// `inner`) holding R and S.
std::unique_ptr<NAryNode> sample(double inner)
{
    auto root = std::make_unique<NAryNode>();
    add(*root, "P", 0.1, true);
    add(*root, "Q", 0.1, true);
    NAryNode* group = add(*root, "3", inner, false);
    add(*group, "R", 0.1, true);
    add(*group, "S", 0.1, true);
    return root;
}

TEST(NAryExport, WritesNewickWithAndWithoutLengths)
{
    const auto root = sample(0.1);
    std::string plain = "x";
    WriteNHPlain(*root, plain);
    EXPECT_EQ(plain, "x(P,Q,(R,S))");
    std::string lengths;
    WriteNHLengths(*root, lengths);
    EXPECT_EQ(lengths, "(P:0.10000,Q:0.10000,(R:0.10000,S:0.10000):0.10000)");
}

TEST(NAryExport, DeepChainsAreWrittenWithoutRecursion)
{
    auto root = std::make_unique<NAryNode>();
    NAryNode* node = root.get();
    for (int i = 0; i < 50000; ++i) {
        add(*node, "L" + std::to_string(i), 1, true);
        node = add(*node, "", 1, false);
    }
    add(*node, "end", 1, true);
    std::string text;
    WriteNHPlain(*root, text);
    EXPECT_EQ(text.substr(0, 10), "(L0,(L1,(L");
    EXPECT_EQ(text.find("end"), text.size() - 50001 - 3);
    EXPECT_EQ(std::count(text.begin(), text.end(), '('), 50001);
}

TEST(NAryExport, LengthsToCaptionsEvensTheLevelsAndKeepsTheLengths)
{
    const auto root = sample(0.25);
    LengthsToCaptions(*root);
    for (const auto& child : root->Children()) {
        EXPECT_DOUBLE_EQ(child->BranchLength(), 0.1);
    }
    const NAryNode& group = *root->Children()[2];
    EXPECT_EQ(group.Box().Caption, "0.25");
    EXPECT_DOUBLE_EQ(group.Children()[0]->BranchLength(), 0.1);
    EXPECT_EQ(root->Box().Caption, "");
}

struct AbortingReporter {
    AbortingReporter()
        : scope([this](const platform::Error& e) {
              errors.push_back(e);
              return platform::Answer::Abort;
          })
    {
    }
    std::vector<platform::Error> errors;
    platform::ScopedReporter scope;
};

TEST(NAryFormSettings, FontSpacingAndLineFamiliesFollowTheirRules)
{
    AbortingReporter reporter;
    NAryFormModel model;
    model.PlotTree(0, "((P:0.1,Q:0.2):0.05,R:0.3);", 1);
    ASSERT_EQ(model.YGap(), 100);
    model.FontSizeFamily(16);
    EXPECT_EQ(model.YGap(), 200);
    EXPECT_EQ(model.FontPoints(), 16);
    EXPECT_EQ(model.Menu().fontChecked, 16);
    model.FontSizeFamily(8);
    EXPECT_EQ(model.YGap(), 100);
    model.VerticalSpacingFamily(1.05);
    EXPECT_EQ(model.YGap(), 105);
    model.VerticalSpacingFamily(0.9);
    EXPECT_EQ(model.YGap(), 94);
    model.LineThicknessFamily(12);
    EXPECT_EQ(model.LineThickness(), 12);
    EXPECT_EQ(model.Menu().lineChecked, 12);
    model.setYGap(3000);
    EXPECT_THROW(model.FontSizeFamily(16), platform::Error);  // 48,000 does not fit
    EXPECT_EQ(model.YGap(), 3000);
    EXPECT_TRUE(reporter.errors.empty());
}

TEST(NAryFormSettings, PastedTextLosesBlanksAndBadTextKeepsTheTree)
{
    AbortingReporter reporter;
    NAryFormModel model;
    model.PlotTree(0, "((P:0.1,Q:0.2):0.05,R:0.3);", 1);
    ASSERT_TRUE(model.PasteNH("  (A, B,\r\n C);  "));
    EXPECT_EQ(model.NHText(), "(A,B,C);");
    EXPECT_EQ(model.LeafNames(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(model.CurTreeType(), TreeKind::Newick);

    EXPECT_THROW(model.PasteNH("((A,B);"), platform::Error);
    EXPECT_EQ(model.NHText(), "(A,B,C);");
    ASSERT_NE(model.RootNode(), nullptr);
    EXPECT_EQ(model.RootNode()->childCount(), 3u);
}

} // namespace
