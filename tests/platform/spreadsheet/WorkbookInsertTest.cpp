// Inserting cells, rows and columns at the selection (EditInsert), deleting
// cells with the cells below moving up (deleteSelectedCells), and the manual
// page breaks (AddPageBreak) with what moves them and the native file.

#include <optional>

#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/spreadsheet/WorkbookFiles.h"
#include "platform/spreadsheet/Workbook.h"
#include "tests/support/ErrorAssert.h"
#include "tests/platform/spreadsheet/NativeRecords.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::RangeRef;
using spreadsheet::Value;
using spreadsheet::Workbook;

// A 6 x 6 block of numbers r * 10 + c at A1:F6, B2 bold, and formulas in
// column H that point into it.
Workbook blockBook()
{
    Workbook wb;
    for (int r = 1; r <= 6; ++r)
        for (int c = 1; c <= 6; ++c)
            wb.setCellValue(1, r, c, Value(r * 10.0 + c));
    wb.setSelection(2, 2, 2, 2);
    wb.setFontBold(true);
    return wb;
}

TEST(WorkbookInsert, ShiftDownMovesOnlyTheRangeColumnsWithFormatsAndReferences)
{
    Workbook wb = blockBook();
    wb.setCellFormula(1, 1, 8, "B3");        // in a moved column, below the insertion: follows
    wb.setCellFormula(1, 2, 8, "A3");        // column A does not move
    wb.setCellFormula(1, 3, 8, "SUM(B1:C6)");  // wholly in the moved columns: grows
    wb.setCellFormula(1, 4, 8, "SUM(A2:C6)");  // reaches beyond them: stays
    wb.setCellFormula(1, 5, 8, "B1");        // above the insertion: stays
    wb.setSelection(2, 2, 3, 3);             // B2:C3, shifting down by two rows
    wb.EditInsert(2);

    EXPECT_TRUE(wb.cellValue(1, 2, 2).isEmpty());
    EXPECT_TRUE(wb.cellValue(1, 3, 3).isEmpty());
    EXPECT_EQ(wb.cellValue(1, 4, 2), Value(22.0));
    EXPECT_EQ(wb.cellValue(1, 8, 3), Value(63.0));
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value(21.0)) << "column A stays";
    EXPECT_EQ(wb.cellValue(1, 2, 4), Value(24.0)) << "column D stays";
    EXPECT_TRUE(wb.cellFormat(1, 4, 2).bold) << "the format moves with its cell";
    EXPECT_FALSE(wb.cellFormat(1, 2, 2).bold) << "the inserted cell has the normal style";

    EXPECT_EQ(wb.cellFormula(1, 1, 8), "B5");
    EXPECT_EQ(wb.cellFormula(1, 2, 8), "A3");
    EXPECT_EQ(wb.cellFormula(1, 3, 8), "SUM(B1:C8)");
    EXPECT_EQ(wb.cellFormula(1, 4, 8), "SUM(A2:C6)");
    EXPECT_EQ(wb.cellFormula(1, 5, 8), "B1");
    EXPECT_EQ(wb.cellValue(1, 1, 8), Value(32.0)) << "still the same cell's value";
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{2, 2, 3, 3})) << "the selection stays on the inserted cells";
}

TEST(WorkbookInsert, ShiftRightMovesOnlyTheRangeRowsAndFormulasFollowFromOtherSheets)
{
    Workbook wb = blockBook();
    wb.setNumSheets(2);
    wb.setCellFormula(2, 1, 1, "Sheet1!C2*2");  // another sheet's formula follows the cell
    wb.setCellFormula(2, 1, 2, "C2");            // its own C2 does not move
    wb.setCellFormula(1, 7, 1, "SUM(C2:F2)");    // one moved row: grows to the right
    wb.setCellFormula(1, 7, 2, "SUM(C2:F6)");    // rows beyond the moved one: stays
    wb.setCellFormula(1, 7, 3, "E1");            // row 1 does not move
    wb.setSelection(2, 2, 2, 3);                 // B2:C2, shifting right by two columns
    wb.EditInsert(1);

    EXPECT_TRUE(wb.cellValue(1, 2, 2).isEmpty());
    EXPECT_EQ(wb.cellValue(1, 2, 4), Value(22.0));
    EXPECT_EQ(wb.cellValue(1, 2, 8), Value(26.0));
    EXPECT_EQ(wb.cellValue(1, 3, 2), Value(32.0)) << "row 3 stays";
    EXPECT_TRUE(wb.cellFormat(1, 2, 4).bold);
    EXPECT_EQ(wb.cellFormula(2, 1, 1), "Sheet1!E2*2");
    EXPECT_EQ(wb.cellValue(2, 1, 1), Value(46.0));
    EXPECT_EQ(wb.cellFormula(2, 1, 2), "C2");
    EXPECT_EQ(wb.cellFormula(1, 7, 1), "SUM(E2:H2)");
    EXPECT_EQ(wb.cellFormula(1, 7, 2), "SUM(C2:F6)");
    EXPECT_EQ(wb.cellFormula(1, 7, 3), "E1");
}

TEST(WorkbookInsert, WholeRowsAndColumnsMoveCellsFormatsAndFormulas)
{
    Workbook wb = blockBook();
    wb.setCellFormula(1, 8, 1, "SUM(A1:F6)");
    wb.setSelection(3, 2, 4, 5);  // rows 3 and 4
    wb.EditInsert(3);
    EXPECT_EQ(wb.cellValue(1, 5, 1), Value(31.0));
    EXPECT_TRUE(wb.cellValue(1, 3, 1).isEmpty());
    EXPECT_EQ(wb.cellFormula(1, 10, 1), "SUM(A1:F8)");
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{3, 2, 4, 5}));

    wb.setSelection(1, 1, 1, 1);  // column A
    wb.EditInsert(4);
    EXPECT_EQ(wb.cellValue(1, 1, 2), Value(11.0));
    EXPECT_TRUE(wb.cellFormat(1, 2, 3).bold);
    EXPECT_EQ(wb.cellFormula(1, 10, 2), "SUM(B1:G8)");
    EXPECT_EQ(wb.cellValue(1, 10, 2), Value(1386.0)) << "the sum of the block is unchanged";
}

TEST(WorkbookInsert, ARangeToTheEndOfTheSheetKeepsItsCellsInsteadOfBecomingAnError)
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value(4));
    wb.setCellValue(1, 1, 2, Value(5));
    wb.setCellFormula(1, 3, 3, "SUM(A1:A16384)");
    wb.setCellFormula(1, 4, 3, "SUM(B1:IV1)");
    wb.setSelection(1, 1, 1, 1);
    wb.EditInsert(3);
    EXPECT_EQ(wb.cellFormula(1, 4, 3), "SUM(A2:A16384)");
    EXPECT_EQ(wb.cellValue(1, 4, 3), Value(4.0));
    wb.setSelection(1, 2, 1, 2);
    wb.EditInsert(4);
    EXPECT_EQ(wb.cellFormula(1, 5, 4), "SUM(C2:IV2)");
    EXPECT_EQ(wb.cellValue(1, 5, 4), Value(5.0));
    wb.setSelection(2, 1, 2, 1);
    wb.EditInsert(2);  // column A's cells from row 2 down
    EXPECT_EQ(wb.cellFormula(1, 4, 4), "SUM(A3:A16384)");
    EXPECT_EQ(wb.cellValue(1, 4, 4), Value(4.0));
}

TEST(WorkbookInsert, InsertsThatWouldPushDataOffTheSheetAreRefusedAndChangeNothing)
{
    struct Row {
        const char* name;
        int dataRow;
        int dataCol;
        RangeRef selection;
        int how;
    };
    const Row rows[] = {
        {"cells down, data in the last row of a moved column", 16384, 2, {5, 2, 6, 3}, 2},
        {"cells right, data in the last column of a moved row", 5, 256, {5, 2, 5, 2}, 1},
        {"rows, data in the last row", 16384, 9, {5, 2, 5, 2}, 3},
        {"columns, data in the last column", 9, 256, {5, 2, 5, 2}, 4},
    };
    for (const Row& row : rows) {
        Workbook wb = blockBook();
        wb.setCellValue(1, row.dataRow, row.dataCol, Value("edge"));
        wb.setCellFormula(1, 8, 8, "B5");
        wb.setSelection(row.selection.firstRow, row.selection.firstCol, row.selection.lastRow, row.selection.lastCol);
        wb.setChanged(false);
        std::string description;
        EXPECT_EQ(testsupport::errorNumber([&] { wb.EditInsert(row.how); }, nullptr, &description), 5) << row.name;
        EXPECT_NE(description.find("off the end of the sheet"), std::string::npos) << row.name;
        EXPECT_EQ(wb.cellValue(1, row.dataRow, row.dataCol), Value("edge")) << row.name;
        EXPECT_EQ(wb.cellValue(1, 5, 2), Value(52.0)) << row.name;
        EXPECT_EQ(wb.cellFormula(1, 8, 8), "B5") << row.name;
        EXPECT_FALSE(wb.isChanged()) << row.name;
    }
    // Data beside the moved lines does not stop a shift.
    Workbook wb = blockBook();
    wb.setCellValue(1, 16384, 1, Value("beside"));
    wb.setSelection(2, 2, 2, 2);
    wb.EditInsert(2);
    EXPECT_EQ(wb.cellValue(1, 3, 2), Value(22.0));
    EXPECT_EQ(testsupport::errorNumber([&] { wb.EditInsert(5); }), 5);
}

TEST(WorkbookInsert, AFormulaPointingAtAnEmptyCellPushedOffTheSheetBecomesRefError)
{
    Workbook wb;
    wb.setCellFormula(1, 1, 1, "B16384");
    wb.setSelection(5, 2, 5, 2);
    wb.EditInsert(2);
    EXPECT_EQ(wb.cellFormula(1, 1, 1), "#REF!");
}

// Deleting B2:C3 of blockBook: the cells of columns B and C from row 4 down
// move up two rows.
TEST(WorkbookDeleteCells, ReferencesFollowTheCellsThatMoveUpAndDeletedOnesBecomeRefErrors)
{
    struct Row {
        const char* name;
        const char* formula;
        const char* after;
        std::optional<double> value;  // none: an error value
    };
    const Row rows[] = {
        {"a moved cell, still giving its value", "B5", "B3", 52.0},
        {"an absolute reference to a moved cell", "$C$5", "$C$3", 53.0},
        {"a column that does not move", "A5", "A5", 51.0},
        {"a cell above the deleted ones", "B1", "B1", 12.0},
        {"a deleted cell", "C3", "#REF!", std::nullopt},
        {"a range within the columns loses its deleted cells", "SUM(B1:C6)", "SUM(B1:C4)", 340.0},
        {"a range starting among the deleted cells", "SUM(B3:B5)", "SUM(B2:B3)", 94.0},
        {"a range ending among the deleted cells", "SUM(B1:B2)", "SUM(B1:B1)", 12.0},
        {"a range below the deleted cells moves up", "SUM(B5:C6)", "SUM(B3:C4)", 230.0},
        {"a range reaching beyond the columns keeps its cells", "SUM(A2:C6)", "SUM(A2:C6)", 520.0},
        {"a range of deleted cells only", "SUM(B2:C3)", "SUM(#REF!)", std::nullopt},
        {"a range to the end of the sheet", "SUM(C1:C16384)", "SUM(C1:C16382)", 172.0},
    };
    for (const Row& row : rows) {
        Workbook wb = blockBook();
        wb.setCellFormula(1, 1, 8, row.formula);
        wb.setSelection(2, 2, 3, 3);
        wb.deleteSelectedCells();
        EXPECT_EQ(wb.cellFormula(1, 1, 8), row.after) << row.name;
        const Value v = wb.cellValue(1, 1, 8);
        if (row.value)
            EXPECT_EQ(v, Value(*row.value)) << row.name;
        else
            EXPECT_TRUE(v.isError()) << row.name;
    }
}

TEST(WorkbookDeleteCells, MovedCellsKeepTheirFormulasTargetsAndFormatsWhileOtherSheetsAndNamesFollow)
{
    Workbook wb = blockBook();
    wb.setNumSheets(2);
    wb.setDefinedName("Data", "Sheet1!$B$1:$B$6");
    wb.setDefinedName("Gone", "Sheet1!$C$3");
    wb.setDefinedName("Wide", "Sheet1!$A$1:$D$6");
    wb.setDefinedName("Elsewhere", "Sheet2!$B$5");
    wb.setCellValue(1, 9, 1, Value(99.0));
    wb.setCellValue(1, 10, 2, Value(7.0));
    wb.setCellFormula(1, 8, 2, "A9+1");    // moves to B6, still pointing at A9
    wb.setCellFormula(1, 8, 3, "B10*2");   // moves to C6; B10 moves to B8
    wb.setCellFormula(2, 1, 1, "Sheet1!B5*2");
    wb.setCellFormula(2, 2, 1, "B5");      // the other sheet's own B5 stays
    wb.setCellFormula(2, 3, 1, "SUM(Sheet1!B2:B3)");
    wb.setCellFormula(2, 4, 1, "SUM(Data)");
    for (const RangeRef& cell : {RangeRef{5, 2, 5, 2}, RangeRef{2, 4, 2, 4}}) {
        wb.setSelection(cell.firstRow, cell.firstCol, cell.lastRow, cell.lastCol);
        wb.setFontBold(true);
    }
    spreadsheet::DrawingObject box;
    box.from = {3, 2, 2, 2};
    box.to = {6, 4, 3, 3};
    wb.addObject(1, box);
    const auto objects = wb.objects(1);
    wb.setSelection(5, 1, 5, 1);
    wb.AddPageBreak();
    wb.setSelection(2, 2, 3, 3);
    wb.setChanged(false);
    wb.deleteSelectedCells();

    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(42.0));
    EXPECT_EQ(wb.cellValue(1, 4, 3), Value(63.0));
    EXPECT_TRUE(wb.cellValue(1, 5, 2).isEmpty());
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value(21.0)) << "column A stays";
    EXPECT_EQ(wb.cellValue(1, 3, 4), Value(34.0)) << "column D stays";
    EXPECT_EQ(wb.cellFormula(1, 6, 2), "A9+1");
    EXPECT_EQ(wb.cellValue(1, 6, 2), Value(100.0));
    EXPECT_EQ(wb.cellFormula(1, 6, 3), "B8*2");
    EXPECT_EQ(wb.cellValue(1, 6, 3), Value(14.0));
    EXPECT_EQ(wb.cellValue(1, 8, 2), Value(7.0));
    EXPECT_TRUE(wb.cellFormula(1, 8, 3).empty()) << "the cell the formula left is empty";

    EXPECT_EQ(wb.cellFormula(2, 1, 1), "Sheet1!B3*2");
    EXPECT_EQ(wb.cellValue(2, 1, 1), Value(104.0));
    EXPECT_EQ(wb.cellFormula(2, 2, 1), "B5");
    EXPECT_EQ(wb.cellFormula(2, 3, 1), "SUM(#REF!)");
    EXPECT_EQ(wb.findDefinedName("Data")->refersTo, "Sheet1!$B$1:$B$4");
    EXPECT_EQ(wb.findDefinedName("Gone")->refersTo, "#REF!");
    EXPECT_EQ(wb.findDefinedName("Wide")->refersTo, "Sheet1!$A$1:$D$6");
    EXPECT_EQ(wb.findDefinedName("Elsewhere")->refersTo, "Sheet2!$B$5");
    EXPECT_EQ(wb.cellValue(2, 4, 1), Value(12.0 + 42.0 + 52.0 + 62.0));

    EXPECT_FALSE(wb.cellFormat(1, 2, 2).bold) << "the deleted cell's format goes";
    EXPECT_TRUE(wb.cellFormat(1, 3, 2).bold) << "the format moves with its cell";
    EXPECT_FALSE(wb.cellFormat(1, 5, 2).bold);
    EXPECT_TRUE(wb.cellFormat(1, 2, 4).bold) << "column D's formats stay";
    EXPECT_EQ(wb.objects(1), objects) << "drawings stay for a shift of part of the columns";
    EXPECT_EQ(wb.sheetFormat(1).rowBreaks(), (std::vector<std::int32_t>{5}));
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{2, 2, 3, 3}));
    EXPECT_TRUE(wb.isChanged());
}

TEST(WorkbookDeleteCells, DeletingWholeColumnsOfCellsEmptiesThemAndUndoesAnInsert)
{
    Workbook wb = blockBook();
    wb.setCellFormula(1, 1, 8, "SUM(B1:B6)");
    wb.setCellFormula(1, 2, 8, "SUM(A1:F6)");
    wb.setSelection(1, 2, 16384, 2);  // all of column B
    wb.deleteSelectedCells();
    for (int r = 1; r <= 6; ++r)
        EXPECT_TRUE(wb.cellValue(1, r, 2).isEmpty()) << "row " << r;
    EXPECT_FALSE(wb.cellFormat(1, 2, 2).bold);
    EXPECT_EQ(wb.cellFormula(1, 1, 8), "SUM(#REF!)");
    EXPECT_EQ(wb.cellFormula(1, 2, 8), "SUM(A1:F6)");

    // Inserting cells and deleting the same ones gives the workbook back.
    Workbook twice = blockBook();
    twice.setCellFormula(1, 1, 8, "SUM(B2:C9)+C4");
    twice.setCellFormula(1, 12, 3, "B3");
    twice.setSelection(3, 2, 5, 3);
    twice.EditInsert(2);
    twice.deleteSelectedCells();
    Workbook original = blockBook();
    EXPECT_EQ(twice.cellFormula(1, 1, 8), "SUM(B2:C9)+C4");
    EXPECT_EQ(twice.cellFormula(1, 12, 3), "B3");
    for (int r = 1; r <= 8; ++r)
        for (int c = 1; c <= 6; ++c) {
            EXPECT_EQ(twice.cellValue(1, r, c), original.cellValue(1, r, c)) << r << "," << c;
            EXPECT_EQ(twice.cellFormat(1, r, c), original.cellFormat(1, r, c)) << r << "," << c;
        }
}

TEST(WorkbookPageBreaks, AddPageBreakSplitsBeforeTheActiveCellsRowAndColumn)
{
    struct Row {
        const char* name;
        int row;
        int col;
        std::vector<std::int32_t> rowBreaks;
        std::vector<std::int32_t> colBreaks;
    };
    const Row rows[] = {
        {"A1: nothing", 1, 1, {}, {}},
        {"column A: a row break", 5, 1, {5}, {}},
        {"row 1: a column break", 1, 4, {}, {4}},
        {"inside: both", 7, 3, {7}, {3}},
    };
    for (const Row& row : rows) {
        Workbook wb;
        wb.setSelection(row.row, row.col, row.row, row.col);
        wb.setChanged(false);
        wb.AddPageBreak();
        EXPECT_EQ(wb.sheetFormat(1).rowBreaks(), row.rowBreaks) << row.name;
        EXPECT_EQ(wb.sheetFormat(1).colBreaks(), row.colBreaks) << row.name;
        EXPECT_EQ(wb.isChanged(), !row.rowBreaks.empty() || !row.colBreaks.empty()) << row.name;
        wb.AddPageBreak();  // a second time adds nothing
        EXPECT_EQ(wb.sheetFormat(1).rowBreaks().size(), row.rowBreaks.size()) << row.name;
    }
}

TEST(WorkbookPageBreaks, BreaksMoveWithInsertedAndDeletedLinesOnly)
{
    Workbook wb;
    for (const auto& [r, c] : {std::pair{10, 1}, {20, 1}, {1, 5}})
        wb.setSelection(r, c, r, c), wb.AddPageBreak();
    ASSERT_EQ(wb.sheetFormat(1).rowBreaks(), (std::vector<std::int32_t>{10, 20}));

    wb.insertRows(1, 10, 3);  // before the break's row: it moves with the row
    EXPECT_EQ(wb.sheetFormat(1).rowBreaks(), (std::vector<std::int32_t>{13, 23}));
    wb.deleteRows(1, 13, 1);  // the row carrying a break goes, and its break with it
    EXPECT_EQ(wb.sheetFormat(1).rowBreaks(), (std::vector<std::int32_t>{22}));
    wb.deleteRows(1, 1, 21);  // a break that would stand before row 1 goes
    EXPECT_TRUE(wb.sheetFormat(1).rowBreaks().empty());

    wb.setSelection(1, 2, 1, 2);
    wb.EditInsert(4);
    EXPECT_EQ(wb.sheetFormat(1).colBreaks(), (std::vector<std::int32_t>{6}));
    wb.setSelection(1, 2, 30, 3);
    wb.EditInsert(1);  // shifting cells moves no page break
    EXPECT_EQ(wb.sheetFormat(1).colBreaks(), (std::vector<std::int32_t>{6}));
}

TEST(WorkbookPageBreaks, NativeFileKeepsBreaksAndRefusesBadOnes)
{
    testsupport::TempDir dir;
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value(1));
    wb.setSelection(40, 3, 40, 3);
    wb.AddPageBreak();
    wb.setNumSheets(2);
    const std::string path = dir.file("breaks.vts").string();
    wb.Write(path, static_cast<std::int32_t>(spreadsheet::FileType::Native));
    const std::string bytes = testsupport::readFile(path);
    EXPECT_NE(bytes.find("rowbreak\t40\ncolbreak\t3\nendsheet\n"), std::string::npos);

    Workbook back;
    back.Read(path);
    EXPECT_EQ(back.sheetFormat(1).rowBreaks(), (std::vector<std::int32_t>{40}));
    EXPECT_EQ(back.sheetFormat(1).colBreaks(), (std::vector<std::int32_t>{3}));
    EXPECT_TRUE(back.sheetFormat(2).rowBreaks().empty());

    struct Row {
        const char* name;
        std::string from;
        std::string to;
    };
    const Row rows[] = {
        {"before the first row", "rowbreak\t40", "rowbreak\t1"},
        {"past the last column", "colbreak\t3", "colbreak\t257"},
        {"given twice", "colbreak\t3", "colbreak\t3\ncolbreak\t3"},
        {"without a line", "rowbreak\t40", "rowbreak"},
        {"in a version 2 file", "TESSARAY WORKBOOK\t3", "TESSARAY WORKBOOK\t2"},
    };
    for (const Row& row : rows) {
        std::string bad = bytes;
        bad.replace(bad.find(row.from), row.from.size(), row.to);
        Workbook target;
        EXPECT_EQ(nativetest::readError(target, bad), spreadsheet::kInvalidFileFormat) << row.name;
    }
}

} // namespace
