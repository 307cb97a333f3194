#include "shell/workbook/SheetEdit.h"

#include <gtest/gtest.h>

#include "platform/spreadsheet/Workbook.h"
#include "tests/support/ErrorAssert.h"

namespace {

using spreadsheet::Workbook;

TEST(SheetEdit, TransposeTurnsRowsIntoColumns)
{
    struct Case {
        const char* name;
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"one column of five becomes one row", "1\r\n2\r\n3\r\n4\r\n5\r\n", "1\t2\t3\t4\t5"},
        {"one row becomes one column", "a\tb\tc\r\n", "a\nb\nc"},
        {"one row without a break", "a\tb", "a\nb"},
        {"2 x 3 block becomes 3 x 2", "1\t2\t3\r\n4\t5\t6\r\n", "1\t4\n2\t5\n3\t6\n"},
        {"ragged lines are padded, no trailing field", "1\t2\r\n3\r\n", "1\t3\n2\t\n"},
        {"one cell", "x\r\n", "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SheetEdit::TransposeClipText(c.in), c.out) << c.name;
}

TEST(SheetEdit, TransposedBlockPastesIntoExactlyItsCells)
{
    Workbook wb;
    wb.setCellEntry(1, 1, 3, "keep");
    wb.setSelection(1, 1, 1, 1);
    wb.setClip(SheetEdit::TransposeClipText("1\r\n2\r\n"));
    EXPECT_EQ(wb.cellEntryText(1, 1, 1), "1");
    EXPECT_EQ(wb.cellEntryText(1, 1, 2), "2");
    EXPECT_EQ(wb.cellEntryText(1, 1, 3), "keep");
}

TEST(SheetEdit, AutoSumFindsTheRunAboveOrLeft)
{
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> cells;  // reference, entry
        const char* active;
        const char* formula;  // "" when the editor opens
    };
    const Case cases[] = {
        {"numbers above", {{"A1", "1"}, {"A2", "2"}, {"A3", "3"}}, "A4", "Sum(A1:A3)"},
        {"label stops the run", {{"A1", "x"}, {"A2", "2"}, {"A3", "3"}}, "A4", "Sum(A2:A3)"},
        {"label as the neighbour ends the range", {{"A1", "1"}, {"A2", "2"}, {"A3", "lbl"}}, "A4", "Sum(A1:A3)"},
        {"row 1 sums to the left", {{"A1", "1"}, {"B1", "2"}}, "C1", "Sum(A1:B1)"},
        {"above wins over left", {{"B1", "1"}, {"A2", "5"}}, "B2", "Sum(B1:B1)"},
        {"formulas count", {{"A1", "1"}, {"A2", "=A1+1"}}, "A3", "Sum(A1:A2)"},
        {"nothing beside", {{"D9", "1"}}, "B2", ""},
    };
    for (const Case& c : cases) {
        Workbook wb;
        for (const auto& [ref, entry] : c.cells) {
            std::int32_t r = 0;
            std::int32_t col = 0;
            ASSERT_TRUE(spreadsheet::parseCellRef(ref, r, col));
            wb.setCellEntry(1, r, col, entry);
        }
        std::int32_t r = 0;
        std::int32_t col = 0;
        ASSERT_TRUE(spreadsheet::parseCellRef(c.active, r, col));
        const SheetEdit::AutoSumPlan plan = SheetEdit::PlanAutoSum(wb, r, col);
        EXPECT_EQ(plan.formula, c.formula) << c.name;
        EXPECT_EQ(plan.startEdit, std::string(c.formula).empty()) << c.name;
        if (!plan.startEdit) {
            EXPECT_EQ("Sum(" + plan.selection + ")", plan.formula) << c.name;
        }
    }
}

TEST(SheetEdit, QuickSortRefusesToTearRowsApart)
{
    Workbook wb;
    wb.setCellEntry(1, 1, 1, "g2");
    wb.setCellEntry(1, 1, 2, "2");
    wb.setCellEntry(1, 2, 1, "g1");
    wb.setCellEntry(1, 2, 2, "1");
    wb.setSelection(1, 2, 2, 2);  // the values alone, names beside them
    std::string description;
    EXPECT_EQ(testsupport::errorNumber([&] { SheetEdit::SortSelection(wb, true); }, nullptr, &description), 5);
    EXPECT_NE(description.find("separate"), std::string::npos);
    EXPECT_EQ(wb.cellEntryText(1, 1, 2), "2");

    // Only the first range of a multiple selection is sorted.
    wb.setCellEntry(1, 5, 4, "9");
    wb.setCellEntry(1, 6, 4, "8");
    wb.setSelection(1, 1, 2, 2);
    wb.addSelection(spreadsheet::RangeRef{5, 4, 6, 4});
    SheetEdit::SortSelection(wb, true);
    EXPECT_EQ(wb.cellEntryText(1, 5, 4), "9");
    EXPECT_EQ(wb.cellEntryText(1, 1, 1), "g1");
    EXPECT_EQ(wb.cellEntryText(1, 1, 2), "1");
    SheetEdit::SortSelection(wb, false);
    EXPECT_EQ(wb.cellEntryText(1, 1, 1), "g2");
}

} // namespace
