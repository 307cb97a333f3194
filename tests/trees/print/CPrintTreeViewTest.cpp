#include "trees/print/CPrintTreeView.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "trees/print/MPrintFunctions.h"

namespace {

using platform::RecordingPrinter;
using platform::TreeRelationship;
using platform::TreeViewModel;
using trees::CPrintTreeView;
using namespace trees::MPrintFunctions;

// The printer as the main window sets it up: 2 cm margins, centred footer
// "Pag. <pag>", centred title, only expanded nodes.
CPrintTreeView mainWindowPrinter()
{
    CPrintTreeView p;
    p.Page().setMarginBottom(2);
    p.Page().setMarginTop(2);
    p.Page().setMarginLeft(2);
    p.Page().setMarginRight(2);
    p.Page().Footer().setText("Pag. <pag>");
    p.Page().Footer().Font().Name = "Arial";
    p.Page().Footer().Font().Size = 8;
    p.Page().Footer().setAlignment(trees::align::Centre);
    p.Title().Font().Bold = true;
    p.Title().setAlignment(trees::align::Centre);
    p.Title().Font().Italic = true;
    p.Title().Font().Name = "Times New Roman";
    p.Title().Font().Size = 14;
    p.Title().setText("Condenced output of tree structrue");
    p.setPrintOnlyExpandedNodes(true);
    return p;
}

// root -> a (-> a1, a2), b
struct SmallTree {
    TreeViewModel model;
    std::int32_t root, a, a1, a2, b;
    SmallTree()
    {
        root = model.Add("", "root");
        a = model.Add(root, TreeRelationship::Child, "", "a");
        a1 = model.Add(a, TreeRelationship::Child, "", "a1");
        a2 = model.Add(a, TreeRelationship::Child, "", "a2");
        b = model.Add(root, TreeRelationship::Child, "", "b");
        for (std::int32_t i = 1; i <= model.Count(); ++i) {
            model.setExpanded(i, true);
        }
    }
};

// The main window's printer set to print the small tree in 9-point Courier.
CPrintTreeView courierPrinter(SmallTree& tree)
{
    CPrintTreeView p = mainWindowPrinter();
    p.setControl(&tree.model, platform::StdFont{"Courier", 9});
    return p;
}

std::vector<std::string> rowTexts(const RecordingPrinter& printer, double nodeSize)
{
    std::vector<std::string> rows;
    for (const auto& t : printer.texts()) {
        if (t.font.Size == nodeSize && t.text != " ") {
            rows.push_back(t.text);
        }
    }
    return rows;
}

TEST(CPrintTreeView, PrintsRowsInPreOrderWithTitleAndFooter)
{
    SmallTree tree;
    CPrintTreeView p = courierPrinter(tree);
    RecordingPrinter printer;
    ASSERT_TRUE(p.PrintControl(printer));
    EXPECT_TRUE(printer.ended());
    EXPECT_EQ(rowTexts(printer, 9), (std::vector<std::string>{"root", "a", "a1", "a2", "b"}));
    EXPECT_EQ(p.PrintedNodes(), 5);
    const auto& texts = printer.texts();
    const auto title = std::find_if(texts.begin(), texts.end(),
                                    [](const auto& t) { return t.text == "Condenced output of tree structrue"; });
    ASSERT_NE(title, texts.end());
    EXPECT_DOUBLE_EQ(title->y, 2 * 567.0);
    // The last page's footer stands at the bottom margin.
    EXPECT_EQ(texts.back().text, "Pag. 1");
    EXPECT_DOUBLE_EQ(texts.back().y, printer.ScaleHeight() - 2 * 567.0);
    // Rows are indented one level at a time.
    const auto xOf = [&](const std::string& s) {
        return std::find_if(texts.begin(), texts.end(), [&](const auto& t) { return t.text == s; })->x;
    };
    EXPECT_DOUBLE_EQ(xOf("root"), 2 * 567.0);
    EXPECT_DOUBLE_EQ(xOf("a") - xOf("root"), tree.model.Indentation());
    EXPECT_DOUBLE_EQ(xOf("a1") - xOf("a"), tree.model.Indentation());
}

TEST(CPrintTreeView, CollapsedNodesHideTheirSubtreesOnlyWhenAsked)
{
    SmallTree tree;
    tree.model.setExpanded(tree.root, false);
    CPrintTreeView p = courierPrinter(tree);
    RecordingPrinter printer;
    ASSERT_TRUE(p.PrintControl(printer));
    EXPECT_EQ(rowTexts(printer, 9), (std::vector<std::string>{"root"}));
    EXPECT_EQ(p.PrintedNodes(), 1);

    p.setPrintOnlyExpandedNodes(false);
    RecordingPrinter all;
    ASSERT_TRUE(p.PrintControl(all));
    EXPECT_EQ(p.PrintedNodes(), 5);
}

TEST(CPrintTreeView, TreeLinesFollowTheSiblings)
{
    SmallTree tree;
    CPrintTreeView p = courierPrinter(tree);
    RecordingPrinter printer;
    ASSERT_TRUE(p.PrintControl(printer));
    const double indent = tree.model.Indentation();
    const double left = 2 * 567.0;
    // root: no lines; a, b: 2 each; a1, a2: 2 each plus root's continuing
    // column for a1 and a2 (a has a following sibling b).
    EXPECT_EQ(printer.strokes().size(), 4u * 2u + 2u);
    const auto verticalAt = [&](double x) {
        return std::count_if(printer.strokes().begin(), printer.strokes().end(),
                             [&](const auto& s) { return s.x1 == x && s.x2 == x; });
    };
    EXPECT_EQ(verticalAt(left + indent / 2.0), 2 + 2);  // a, b, and the continuing lines of a1, a2
    EXPECT_EQ(verticalAt(left + indent * 1.5), 2);      // a1, a2
    // The last child's vertical line stops at the middle of its row.
    const auto& s = printer.strokes();
    const auto half = std::count_if(s.begin(), s.end(), [](const auto& k) { return k.x1 == k.x2 && k.y2 - k.y1 < 150; });
    EXPECT_EQ(half, 2);  // a2 and b
}

TEST(CPrintTreeView, LongListsBreakIntoNumberedPagesWithFooters)
{
    TreeViewModel model;
    const auto root = model.Add("", "root");
    model.setExpanded(root, true);
    for (int i = 0; i < 500; ++i) {
        model.Add(root, TreeRelationship::Child, "", "leaf" + std::to_string(i));
    }
    CPrintTreeView p = mainWindowPrinter();
    int newPages = 0;
    p.BeforeNewPage = [&] { ++newPages; };
    p.setControl(&model, platform::StdFont{"Courier", 9});
    RecordingPrinter printer;
    ASSERT_TRUE(p.PrintControl(printer));
    EXPECT_GT(printer.pageCount(), 2);
    EXPECT_EQ(newPages, printer.pageCount() - 1);
    std::vector<std::string> footers;
    for (const auto& t : printer.texts()) {
        if (t.text.rfind("Pag. ", 0) == 0) {
            footers.push_back(t.text);
            EXPECT_EQ(t.text, "Pag. " + std::to_string(t.page));
        }
    }
    EXPECT_EQ(static_cast<int>(footers.size()), printer.pageCount());
    // Every row ends above the bottom margin.
    for (const auto& t : printer.texts()) {
        if (t.font.Size == 9) {
            EXPECT_LT(t.y + 9 * 20, printer.ScaleHeight() - 2 * 567.0);
        }
    }
    EXPECT_EQ(rowTexts(printer, 9).size(), 501u);
}

TEST(CPrintTreeView, DeepChainsStayOnThePaperAndPrintEveryRow)
{
    // A chain 20,000 levels deep: indented positions would run far past the
    // paper; the rows stop at the deepest column and every one is printed.
    TreeViewModel model;
    std::int32_t node = model.Add("", "n0");
    for (int i = 1; i < 20000; ++i) {
        model.setExpanded(node, true);
        node = model.Add(node, TreeRelationship::Child, "", "n" + std::to_string(i));
    }
    CPrintTreeView p = mainWindowPrinter();
    p.setControl(&model, platform::StdFont{"Courier", 9});
    RecordingPrinter printer;
    ASSERT_TRUE(p.PrintControl(printer));
    EXPECT_EQ(p.PrintedNodes(), 20000);
    for (const auto& t : printer.texts()) {
        EXPECT_LE(t.x, printer.ScaleWidth() - 2 * 567.0);
    }
}

TEST(CPrintTreeView, FailedJobsAreCancelledWithTheNumberedBox)
{
    platform::ScriptedDialogs boxes;
    platform::setDialogs(&boxes);
    CPrintTreeView p = mainWindowPrinter();
    int beeps = 0;
    p.Beep = [&] { ++beeps; };

    TreeViewModel empty;
    p.setControl(&empty, platform::StdFont{});
    RecordingPrinter printer;
    EXPECT_FALSE(p.PrintControl(printer));
    EXPECT_TRUE(printer.killed());
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].title, "Oru");
    EXPECT_EQ(boxes.calls()[0].style, platform::mb::Exclamation);
    EXPECT_EQ(boxes.calls()[0].text.substr(0, 6), "35600 ");

    SmallTree tree;
    p.setControl(&tree.model, platform::StdFont{});
    p.Page().setMarginTop(20);
    p.Page().setMarginBottom(20);
    RecordingPrinter cramped;
    EXPECT_FALSE(p.PrintControl(cramped));
    EXPECT_EQ(boxes.last().text, "5 The page margins leave no room for a row.");
    EXPECT_EQ(beeps, 2);
    platform::setDialogs(nullptr);
}

TEST(MPrintFunctions, PageTokenIsReplacedOnceAndTextsArePlacedByAlignment)
{
    std::string s = "Pag. <pag> of <pag>";
    ReplacePageToken(s, 2);
    EXPECT_EQ(s, "Pag. 2 of <pag>");
    std::string none = "<PAG>";
    ReplacePageToken(none, 3);
    EXPECT_EQ(none, "<PAG>");

    RecordingPrinter printer;
    trees::CText text;
    PrintText(printer, text, 100, 100);  // empty: nothing, position kept
    EXPECT_TRUE(printer.texts().empty());
    EXPECT_EQ(printer.CurrentY(), 0);
    text.setText("<pag>");  // five characters of 100 twips at size 10
    text.setAlignment(trees::align::Right);
    PrintText(printer, text, 100, 200);
    EXPECT_DOUBLE_EQ(printer.texts().back().x, printer.ScaleWidth() - 200 - 500);
    EXPECT_EQ(printer.texts().back().text, "1");
    text.setAlignment(trees::align::Centre);
    PrintText(printer, text, 100, 200);
    EXPECT_DOUBLE_EQ(printer.texts().back().x, (printer.ScaleWidth() - 500) / 2);
}

TEST(MPrintFunctions, RowsEndingExactlyAtTheBottomMarginDoNotFit)
{
    RecordingPrinter printer;  // text height 200 at size 10
    const double bottom = 1134;
    printer.setCurrentY(printer.ScaleHeight() - bottom - 200);
    EXPECT_FALSE(FitsOnPage(printer, "x", 15, static_cast<std::int32_t>(bottom)));
    printer.setCurrentY(printer.CurrentY() - 1);
    EXPECT_TRUE(FitsOnPage(printer, "x", 15, static_cast<std::int32_t>(bottom)));
    EXPECT_FALSE(FitsOnPage(printer, "x", 400, static_cast<std::int32_t>(bottom)));
}

} // namespace
