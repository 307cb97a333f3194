#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "tests/support/TestSupport.h"
#include "trees/NAryFormModel.h"
#include "trees/TreeLayout.h"

using namespace trees;

namespace {

struct Line {
    double x1, y1, x2, y2;
    bool operator==(const Line&) const = default;
};

std::vector<Line> linesOf(const DrawList& list)
{
    std::vector<Line> out;
    for (const DrawItem& item : list.items) {
        if (item.kind == DrawItem::Kind::Line) {
            out.push_back({item.x1, item.y1, item.x2, item.y2});
        }
    }
    return out;
}

std::vector<DrawItem> textsOf(const DrawList& list)
{
    std::vector<DrawItem> out;
    for (const DrawItem& item : list.items) {
        if (item.kind == DrawItem::Kind::Text) {
            out.push_back(item);
        }
    }
    return out;
}

const NAryNode& childOf(const NAryNode& node, std::size_t i)
{
    return *node.Children().at(i);
}

// Surface 9200 twips wide: XScale = 6000 / depth; labels 600 x 240; gap 100.
constexpr double Width = 9200;

} // namespace

TEST(TreeLayout, StarTreeLeavesAndRootStandWhereExpected)
{
    NAryFormModel model;
    model.PlotTree(0, "(A:1,B:2,C:3);", 1);
    const DrawList list = TreeLayout::DrawTree(model, Width, TreeView::Phenogram);
    EXPECT_EQ(model.XScale(), 2000.0);
    const NAryNode& root = *model.RootNode();
    const double xs[] = {3600, 5600, 7600};
    const double tops[] = {440, 780, 1120};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(childOf(root, i).Box().Left, xs[i]) << i;
        EXPECT_EQ(childOf(root, i).Box().Top, tops[i]) << i;
    }
    EXPECT_EQ(root.Box().Left, 400.0);
    EXPECT_EQ(root.Box().Top, 780.0);
    const std::vector<Line> lines = linesOf(list);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], (Line{1000, 900, 1000, 560}));
    EXPECT_EQ(lines[1], (Line{1000, 560, 3600, 560}));
    const std::vector<DrawItem> texts = textsOf(list);
    ASSERT_EQ(texts.size(), 3u);  // leaves only: inner labels are hidden
    EXPECT_EQ(texts[0].text, "A");
    EXPECT_EQ(texts[0].x1, 3600.0);
    EXPECT_EQ(texts[0].y1, 440.0);
    EXPECT_EQ(list.height, 1120.0 + 500);
    EXPECT_EQ(list.penWidth, 2);
    EXPECT_EQ(list.fontPoints, 8);
}

TEST(TreeLayout, FourLeafPhenogramCheckedByHand)
{
    // Depth 2.5 (C), XScale 2400. Inner (A,B) at 400 + 1 x 2400; (C,D) at
    // 400 + 0.5 x 2400; a leaf adds 2 label widths. Slots: A 200-440,
    // B 540-780, C 880-1120, D 1220-1460.
    NAryFormModel model;
    model.PlotTree(0, "((A:1,B:1):1,(C:2,D:0.5):0.5);", 1);
    const DrawList list = TreeLayout::DrawTree(model, Width, TreeView::Phenogram);
    const NAryNode& root = *model.RootNode();
    const NAryNode& ab = childOf(root, 0);
    const NAryNode& cd = childOf(root, 1);
    struct Row {
        const NAryNode* node;
        double left;
        double top;
    };
    const Row rows[] = {
        {&root, 400, 950},   {&ab, 2800, 610},   {&childOf(ab, 0), 6400, 440}, {&childOf(ab, 1), 6400, 780},
        {&cd, 1600, 1290},   {&childOf(cd, 0), 7600, 1120}, {&childOf(cd, 1), 4000, 1460},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.node->Box().Left, row.left) << row.node->Box().Caption;
        EXPECT_EQ(row.node->Box().Top, row.top) << row.node->Box().Caption;
    }
    const std::vector<Line> expected = {
        {3400, 730, 3400, 560},   {3400, 560, 6400, 560},   {3400, 730, 3400, 900},   {3400, 900, 6400, 900},
        {1000, 1070, 1000, 730},  {1000, 730, 3400, 730},   {2200, 1410, 2200, 1240}, {2200, 1240, 7600, 1240},
        {2200, 1410, 2200, 1580}, {2200, 1580, 4000, 1580}, {1000, 1070, 1000, 1410}, {1000, 1410, 2200, 1410},
    };
    EXPECT_EQ(linesOf(list), expected);
    EXPECT_EQ(list.height, 1960.0);
}

TEST(TreeLayout, InnerLabelsShownStopTheLinesAtTheLabelAndPrintTheNumber)
{
    NAryFormModel model;
    model.PlotTree(0, "((A:1,B:1):1,(C:2,D:0.5):0.5);", 1);
    model.setShowInnerLabels(true);
    const DrawList list = TreeLayout::DrawTree(model, Width, TreeView::Phenogram);
    const std::vector<Line> lines = linesOf(list);
    EXPECT_EQ(lines[5], (Line{1000, 730, 2800, 730}));  // ends at the inner label's left
    std::vector<std::string> texts;
    for (const DrawItem& t : textsOf(list)) {
        texts.push_back(t.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"A", "B", "7", "C", "D", "8", "6"}));
}

TEST(TreeLayout, CladogramRunsStraightFromCentresToLeftEnds)
{
    NAryFormModel model;
    model.PlotTree(0, "((A:1,B:1):1,C:2);", 1);
    const DrawList list = TreeLayout::DrawTree(model, Width, TreeView::Cladogram);
    const NAryNode& root = *model.RootNode();
    const NodeLabel& r = root.Box();
    const NodeLabel& ab = childOf(root, 0).Box();
    const NodeLabel& a = childOf(childOf(root, 0), 0).Box();
    const std::vector<Line> lines = linesOf(list);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], (Line{ab.Left + 300, ab.Top + 120, a.Left, a.Top + 120}));
    EXPECT_EQ(lines[2], (Line{r.Left + 300, r.Top + 120, ab.Left + 300, ab.Top + 120}));
}

TEST(TreeLayout, ZeroLengthsAreDrawnAsTheShortestBranchWithoutDividingByZero)
{
    NAryFormModel model;
    model.PlotTree(0, "(A:0,B:0);", 1);
    EXPECT_EQ(model.MaxLeafDist(), 0.0);
    DrawList list;
    ASSERT_NO_THROW(list = TreeLayout::DrawTree(model, Width, TreeView::Phenogram));
    EXPECT_EQ(childOf(*model.RootNode(), 0).BranchLength(), 0.0001);
    expectNearRel(model.XScale(), 6000 / 0.0001, 1e-12);
    EXPECT_EQ(childOf(*model.RootNode(), 0).Box().Left, 400 + 1200 + 6000.0);
    EXPECT_THROW((void)TreeLayout::XScaleFor(Width, 0), platform::Error);
}

TEST(TreeLayout, ScaleBarLengthFollowsTheFirstDecimal)
{
    struct Row {
        double depth;
        double length;
    };
    const Row rows[] = {{2.7, 1}, {1.0000001, 1}, {1, 0.1}, {0.35, 0.1}, {0.035, 0.01}, {0.0099, 0.001},
                        {0, 0.1}, {0.000015, 0.00001}};
    for (const Row& row : rows) {
        EXPECT_EQ(TreeLayout::ScaleBarLength(row.depth), row.length) << row.depth;
    }
}

TEST(TreeLayout, ScaleBarStandsUnderTheTreeWithItsText)
{
    NAryFormModel model;
    model.PlotTree(0, "(A:1,B:2,C:3);", 1);
    model.Menu().scaleChecked = true;
    const DrawList list = TreeLayout::DrawTree(model, Width, TreeView::Phenogram);
    // Lowest top 1120: y1 = 1620, bar at 1870, height 2620; bar 1 unit = 2000 twips.
    EXPECT_EQ(list.height, 2620.0);
    const std::vector<Line> lines = linesOf(list);
    EXPECT_EQ(lines.back(), (Line{600, 1870, 2600, 1870}));
    const DrawItem& text = list.items.back();
    EXPECT_EQ(text.text, "1");
    expectNearRel(text.x1, 2600 + 2000 / 1.7, 1e-12);
    EXPECT_EQ(text.y1, 1620.0);

    model.Menu().scaleChecked = true;
    NAryFormModel shallow;
    shallow.PlotTree(0, "(A:0.35,B:0.2);", 1);
    shallow.Menu().scaleChecked = true;
    const DrawList small = TreeLayout::DrawTree(shallow, Width, TreeView::Phenogram);
    EXPECT_EQ(small.items.back().text, "0.1");
}

TEST(TreeLayout, MetafileFormUsesWholeTwipsAndShiftedTexts)
{
    NAryFormModel model;
    model.PlotTree(0, "(A:1,B:2,C:3.3);", 1);
    model.Menu().scaleChecked = true;
    const DrawList screen = TreeLayout::DrawTree(model, Width, TreeView::Phenogram);
    const DrawList meta = TreeLayout::DrawTree(model, Width, TreeView::Phenogram, Surface::Metafile);
    ASSERT_EQ(screen.items.size(), meta.items.size());
    const std::vector<DrawItem> metaTexts = textsOf(meta);
    const std::vector<DrawItem> screenTexts = textsOf(screen);
    const DrawItem& leafText = metaTexts.front();
    EXPECT_EQ(leafText.x1, std::trunc(screenTexts.front().x1 + 60));
    EXPECT_EQ(leafText.y1, 440.0 + 240);
    for (const DrawItem& item : meta.items) {
        EXPECT_EQ(item.x1, std::trunc(item.x1));
        EXPECT_EQ(item.x2, std::trunc(item.x2));
    }
    const DrawItem& scaleText = meta.items.back();
    const Line bar = linesOf(meta).back();
    EXPECT_EQ(scaleText.x1, bar.x2);
    EXPECT_EQ(scaleText.y1, bar.y2);
}

TEST(TreeLayout, PenWidthIsHalfTheLineThickness)
{
    EXPECT_EQ(TreeLayout::PenWidth(2), 1);
    EXPECT_EQ(TreeLayout::PenWidth(5), 2);
    EXPECT_EQ(TreeLayout::PenWidth(8), 4);
    EXPECT_EQ(TreeLayout::PenWidth(12), 6);
}

TEST(TreeLayout, EmptyModelOrFailedReadingDrawsWithoutError)
{
    NAryFormModel model;
    EXPECT_TRUE(TreeLayout::DrawTree(model, Width, TreeView::Phenogram).items.empty());
    platform::ScopedReporter quiet([](const platform::Error&) { return platform::Answer::Abort; });
    // A text that gives no tree leaves no tree behind, not even a bare root.
    EXPECT_FALSE(model.PlotTree(0, "(a);", 1));
    EXPECT_EQ(model.RootNode(), nullptr);
    EXPECT_FALSE(model.Initialised());
    model.Menu().scaleChecked = true;
    DrawList list;
    ASSERT_NO_THROW(list = TreeLayout::DrawTree(model, Width, TreeView::Phenogram));
    EXPECT_EQ(model.XScale(), 0.0);
    EXPECT_TRUE(list.items.empty());
}
