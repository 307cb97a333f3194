// The jumps of Ctrl with the arrow keys, Ctrl+Home and Ctrl+End on a sheet
// with gaps in its data.

#include "platform/spreadsheet/DataEdge.h"

#include <gtest/gtest.h>

#include "platform/spreadsheet/Workbook.h"

namespace {

using spreadsheet::CellPos;
using spreadsheet::kMaxCols;
using spreadsheet::kMaxRows;
using spreadsheet::Workbook;

// Column B: rows 2-5 filled, a gap, rows 8-9 filled, then 20 alone.
// Row 2: columns B-D filled, a gap, F, and a formula in H.
Workbook gappySheet()
{
    Workbook wb;
    for (int r : {2, 3, 4, 5, 8, 9, 20})
        wb.setCellEntry(1, r, 2, "1");
    for (int c : {3, 4, 6})
        wb.setCellEntry(1, 2, c, "x");
    wb.setCellEntry(1, 2, 8, "=B2*2");
    return wb;
}

TEST(DataEdge, JumpsToTheEdgeOfTheBlockOrTheNextFilledCell)
{
    const Workbook wb = gappySheet();
    struct Row {
        const char* name;
        CellPos from;
        int dRow;
        int dCol;
        CellPos to;
    };
    const Row rows[] = {
        {"down inside a block: its last cell", {2, 2}, 1, 0, {5, 2}},
        {"down from a block's end: the next block", {5, 2}, 1, 0, {8, 2}},
        {"down through the second block", {8, 2}, 1, 0, {9, 2}},
        {"down to a lone cell", {9, 2}, 1, 0, {20, 2}},
        {"down past the last cell: the sheet's end", {20, 2}, 1, 0, {kMaxRows, 2}},
        {"down from an empty cell above the data", {1, 2}, 1, 0, {2, 2}},
        {"down in an empty column", {1, 1}, 1, 0, {kMaxRows, 1}},
        {"up from the gap: the block above", {7, 2}, -1, 0, {5, 2}},
        {"up inside a block: its first cell", {5, 2}, -1, 0, {2, 2}},
        {"up from the first row: stays", {1, 2}, -1, 0, {1, 2}},
        {"right along the row: end of B-D", {2, 2}, 0, 1, {2, 4}},
        {"right over a gap: F", {2, 4}, 0, 1, {2, 6}},
        {"right to the formula", {2, 6}, 0, 1, {2, 8}},
        {"right past the last: the last column", {2, 8}, 0, 1, {2, kMaxCols}},
        {"left from an empty cell: the formula", {2, 12}, 0, -1, {2, 8}},
        {"left inside a block: its first cell", {2, 4}, 0, -1, {2, 2}},
        {"left from a block's start with nothing further: column A", {2, 2}, 0, -1, {2, 1}},
        {"right at the last column: stays", {3, kMaxCols}, 0, 1, {3, kMaxCols}},
        {"down at the last row: stays", {kMaxRows, 3}, 1, 0, {kMaxRows, 3}},
    };
    for (const Row& r : rows) {
        const CellPos got = spreadsheet::dataEdge(wb, 1, r.from.row, r.from.col, r.dRow, r.dCol);
        EXPECT_EQ(got, r.to) << r.name << ": got " << got.row << "," << got.col;
    }
}

TEST(DataEdge, HomeIsTheFirstScrollingCellAndEndTheLastUsedCorner)
{
    using Freeze = spreadsheet::SheetFormat::Freeze;
    EXPECT_EQ(spreadsheet::homeCell(Freeze{}), (CellPos{1, 1}));
    EXPECT_EQ(spreadsheet::homeCell(Freeze{1, 3, 1, 2}), (CellPos{4, 3})) << "below and right of frozen panes";
    EXPECT_EQ(spreadsheet::homeCell(Freeze{3, 2, 1, 0}), (CellPos{1, 1})) << "a frozen block further down";

    EXPECT_EQ(spreadsheet::endCell(gappySheet(), 1), (CellPos{20, 8}));
    EXPECT_EQ(spreadsheet::endCell(Workbook(), 1), (CellPos{1, 1})) << "an empty sheet";
}

} // namespace
