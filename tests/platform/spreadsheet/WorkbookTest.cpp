#include "platform/spreadsheet/Workbook.h"

#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/errors/Error.h"
#include "tests/support/ErrorAssert.h"

namespace {

using spreadsheet::RangeRef;
using spreadsheet::Value;
using spreadsheet::ValueTable;
using spreadsheet::Workbook;

TEST(Workbook, NewBookHasOneEmptySheet)
{
    Workbook wb;
    EXPECT_EQ(wb.NumSheets(), 1);
    EXPECT_EQ(wb.Sheet(), 1);
    EXPECT_EQ(wb.SheetName(1), "Sheet1");
    EXPECT_EQ(wb.lastUsedRow(), 0);
    EXPECT_EQ(wb.lastUsedCol(), 0);
    EXPECT_FALSE(wb.isChanged());
    EXPECT_EQ(wb.SelectionCount(), 1);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{1, 1, 1, 1}));
}

TEST(Workbook, ArrayRoundTripKeepsKindsAndBounds)
{
    Workbook wb;
    ValueTable in(2, 3);  // indexed from 0
    in.at(0, 0) = Value("label");
    in.at(0, 1) = Value(1.5);
    in.at(0, 2) = Value::logical(true);
    in.at(1, 0) = Value(-0.1);
    in.at(1, 2) = Value::error(spreadsheet::CellError::NA);
    wb.CopyDataFromArray(1, 3, 2, 4, 4, true, in);

    ValueTable out(2, 3, 2, 2);  // the bounds of the data-block reader: from 2
    out.at(3, 3) = Value("stale");
    wb.CopyDataToArray(1, 3, 2, 4, 4, true, out);
    EXPECT_EQ(out.at(2, 2), Value("label"));
    EXPECT_EQ(out.at(2, 3), Value(1.5));
    EXPECT_EQ(out.at(2, 4), Value::logical(true));
    EXPECT_EQ(out.at(3, 2), Value(-0.1));
    EXPECT_TRUE(out.at(3, 3).isEmpty()) << "an empty cell gives the empty value";
    EXPECT_EQ(out.at(3, 4), Value::error(spreadsheet::CellError::NA));
    EXPECT_EQ(wb.lastUsedRow(), 4);
    EXPECT_EQ(wb.lastUsedCol(), 4);
    EXPECT_TRUE(wb.isChanged());
}

TEST(Workbook, RectangleOneLargerThanTableLeavesExtraCellsUntouched)
{
    Workbook wb;
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            wb.setCellValue(1, r, c, Value("keep"));
    ValueTable t(2, 2);
    t.at(0, 0) = Value(1);
    t.at(0, 1) = Value(2);
    t.at(1, 0) = Value(3);
    t.at(1, 1) = Value(4);
    // As the result writers call it: one row and one column beyond the table.
    wb.CopyDataFromArray(1, 2, 2, 2 + 2, 2 + 2, true, t);
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(1));
    EXPECT_EQ(wb.cellValue(1, 3, 3), Value(4));
    EXPECT_EQ(wb.cellValue(1, 4, 2), Value("keep"));
    EXPECT_EQ(wb.cellValue(1, 2, 4), Value("keep"));
    EXPECT_EQ(wb.cellValue(1, 4, 4), Value("keep"));
}

TEST(Workbook, OneLargerRectangleAtTheSheetEdgeIsAccepted)
{
    Workbook wb;
    ValueTable t(1, 1);
    t.at(0, 0) = Value(7);
    wb.CopyDataFromArray(1, 16384, 256, 16385, 257, true, t);
    EXPECT_EQ(wb.cellValue(1, 16384, 256), Value(7));
    EXPECT_EQ(testsupport::errorNumber([&] { wb.CopyDataFromArray(1, 16385, 1, 16385, 1, true, t); }), 9);
}

TEST(Workbook, BadArgumentsRaiseNumberedErrors)
{
    Workbook wb;
    ValueTable t(1, 1);
    struct Row {
        const char* name;
        std::function<void()> call;
        int number;
    };
    const Row rows[] = {
        {"sheet 0", [&] { wb.CopyDataToArray(0, 1, 1, 1, 1, true, t); }, 9},
        {"sheet past the last", [&] { wb.CopyDataToArray(2, 1, 1, 1, 1, true, t); }, 9},
        {"last row before first", [&] { wb.CopyDataToArray(1, 5, 1, 4, 1, true, t); }, 5},
        {"column 257", [&] { (void)wb.cellValue(1, 1, 257); }, 9},
        {"selection index past the last", [&] { (void)wb.SelectionEx(1); }, 9},
        {"empty sheet name", [&] { wb.setSheetName(1, ""); }, 380},
        {"table index outside its bounds", [&] { (void)t.at(1, 0); }, 9},
        {"no sheets left", [&] { wb.setNumSheets(0); }, 380},
    };
    for (const Row& row : rows)
        EXPECT_EQ(testsupport::errorNumber(row.call), row.number) << row.name;
}

TEST(Workbook, NaNWrittenToSheetBecomesVisibleError)
{
    Workbook wb;
    ValueTable t(1, 2);
    t.at(0, 0) = Value(std::numeric_limits<double>::quiet_NaN());
    t.at(0, 1) = Value(std::numeric_limits<double>::infinity());
    wb.CopyDataFromArray(1, 1, 1, 1, 2, true, t);
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value::error(spreadsheet::CellError::Num));
    EXPECT_EQ(wb.cellValue(1, 1, 2), Value::error(spreadsheet::CellError::Num));
}

TEST(Workbook, AppendAndInsertSheetsKeepDataAndNames)
{
    Workbook wb;
    wb.setNumSheets(3);
    EXPECT_EQ(wb.SheetName(2), "Sheet2");
    EXPECT_EQ(wb.SheetName(3), "Sheet3");
    wb.setCellValue(2, 1, 1, Value("data of sheet 2"));
    wb.setNumSheets(wb.NumSheets() + 2);
    EXPECT_EQ(wb.NumSheets(), 5);
    EXPECT_EQ(wb.SheetName(5), "Sheet5");

    wb.setSheet(2);
    wb.InsertSheets(2, 1);
    EXPECT_EQ(wb.NumSheets(), 6);
    EXPECT_EQ(wb.SheetName(3), "Sheet2") << "the old sheet 2 moves to 3 with its name";
    EXPECT_EQ(wb.cellValue(3, 1, 1), Value("data of sheet 2"));
    EXPECT_EQ(wb.Sheet(), 3) << "the active sheet moves with its data";
    EXPECT_EQ(wb.SheetName(2), "Sheet6") << "a default name not taken yet";
    EXPECT_TRUE(wb.lastUsedRow(2) == 0);

    wb.setSheetName(2, "PCScore");
    EXPECT_EQ(wb.SheetName(2), "PCScore");
}

TEST(Workbook, SheetSelectionAndDeletion)
{
    Workbook wb;
    wb.setNumSheets(3);
    wb.setSheetSelected(3, true);
    EXPECT_EQ(wb.Sheet(), 3);
    EXPECT_FALSE(wb.SheetSelected(1));
    wb.setSheetSelected(3, false);
    EXPECT_EQ(wb.Sheet(), 3) << "deselecting keeps the active sheet";

    wb.setCellValue(1, 1, 1, Value(1));
    wb.setSheet(2);
    wb.EditDeleteSheets();
    EXPECT_EQ(wb.NumSheets(), 2);
    EXPECT_EQ(wb.SheetName(1), "Sheet1");
    EXPECT_EQ(wb.SheetName(2), "Sheet3");

    wb.setSheet(1);
    wb.setSheetSelected(2, true);
    wb.setSheetSelected(1, true);
    wb.EditDeleteSheets();
    EXPECT_EQ(wb.NumSheets(), 1);
    EXPECT_EQ(testsupport::errorNumber([&] { wb.EditDeleteSheets(); }), 5) << "the last sheet stays";

    wb.EditInsertSheets();
    EXPECT_EQ(wb.NumSheets(), 2);
    EXPECT_EQ(wb.Sheet(), 1) << "the new sheet goes in front of the active one and is active";
}

TEST(Workbook, LastUsedRowAndColumnFollowTheData)
{
    Workbook wb;
    wb.setCellValue(1, 7, 3, Value(1));
    wb.setCellValue(1, 2, 9, Value("x"));
    EXPECT_EQ(wb.lastUsedRow(), 7);
    EXPECT_EQ(wb.lastUsedCol(), 9);
    wb.setCellValue(1, 7, 3, Value());
    EXPECT_EQ(wb.lastUsedRow(), 2);
    wb.clearRange(1, RangeRef{1, 1, 16384, 256});
    EXPECT_EQ(wb.lastUsedRow(), 0);
    EXPECT_EQ(wb.lastUsedCol(), 0);
}

TEST(Workbook, SelectionRangesAndActiveCell)
{
    Workbook wb;
    wb.setSelection(9, 4, 2, 1);  // corners in any order
    EXPECT_EQ(wb.SelectionCount(), 1);
    const RangeRef r = wb.SelectionEx(0);
    EXPECT_EQ(r, (RangeRef{2, 1, 9, 4}));
    EXPECT_EQ(r.rows(), 8);
    EXPECT_EQ(r.cols(), 4);
    EXPECT_EQ(wb.activeRow(), 9);
    EXPECT_EQ(wb.activeCol(), 4);

    wb.addSelection(RangeRef{1, 10, 16384, 10});  // a whole column
    EXPECT_EQ(wb.SelectionCount(), 2);
    EXPECT_EQ(wb.SelectionEx(1).lastRow, 16384);

    wb.setSelectionRef("$B$3:C4");
    EXPECT_EQ(wb.SelectionCount(), 1);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{3, 2, 4, 3}));
    EXPECT_EQ(testsupport::errorNumber([&] { wb.setSelectionRef("nonsense"); }), 5);

    wb.setSheet(1);
    wb.setNumSheets(2);
    wb.setSheet(2);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{1, 1, 1, 1})) << "each sheet keeps its own selection";
    wb.setSheet(1);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{3, 2, 4, 3}));
}

TEST(Workbook, TextOfActiveCellIsEnteredAsTyped)
{
    Workbook wb;
    wb.setSelection(2, 2, 2, 2);
    wb.setText("12.5");
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(12.5));
    wb.setText("Correspondence analysis");
    EXPECT_EQ(wb.Text(), "Correspondence analysis");
    wb.setText("true");
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value::logical(true));
    wb.setText("");
    EXPECT_TRUE(wb.cellValue(1, 2, 2).isEmpty());
}

TEST(Workbook, CellTypeCodes)
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value(1));
    wb.setCellValue(1, 1, 2, Value("t"));
    wb.setCellValue(1, 1, 3, Value::logical(false));
    wb.setCellValue(1, 1, 4, Value::error(spreadsheet::CellError::Div0));
    wb.setCellFormula(1, 1, 5, "A1*2");
    wb.setCellFormula(1, 1, 6, "\"a\"&\"b\"");
    const std::int16_t expected[] = {1, 2, 3, 4, -1, -2, 0};
    for (int c = 1; c <= 7; ++c)
        EXPECT_EQ(wb.cellType(1, c), expected[c - 1]) << "column " << c;
}

TEST(Workbook, ClipFillsFromTopLeftAndReadsAsTabText)
{
    Workbook wb;
    wb.setSelection(2, 2, 5, 5);
    wb.setClip("1\t2\r\nx\t\t3\r\n");
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(1));
    EXPECT_EQ(wb.cellValue(1, 2, 3), Value(2));
    EXPECT_EQ(wb.cellValue(1, 3, 2), Value("x"));
    EXPECT_TRUE(wb.cellValue(1, 3, 3).isEmpty());
    EXPECT_EQ(wb.cellValue(1, 3, 4), Value(3));
    EXPECT_EQ(wb.lastUsedRow(), 3) << "the final line break opens no row";
    wb.setSelection(2, 2, 3, 4);
    EXPECT_EQ(wb.Clip(), "1\t2\t\r\nx\t\t3\r\n");
}

TEST(Workbook, CopyRangeExCopiesLabelsFromOtherSheetAndBook)
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value("gene"));
    wb.setCellValue(1, 1, 2, Value("t1"));
    wb.setCellValue(1, 2, 1, Value("g1"));
    wb.InsertSheets(1, 1);
    // The data transforms' label copy: from the data sheet (now 2) to the new sheet 1.
    wb.CopyRangeEx(1, 1, 1, 1, 2, wb.SS(), 2, 1, 1, 1, 2);
    wb.CopyRangeEx(1, 1, 1, 2, 1, wb.SS(), 2, 1, 1, 2, 1);
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value("gene"));
    EXPECT_EQ(wb.cellValue(1, 1, 2), Value("t1"));
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value("g1"));

    Workbook other;
    other.CopyRangeEx(1, 5, 5, 6, 6, wb, 2, 1, 1, 2, 2);
    EXPECT_EQ(other.cellValue(1, 5, 6), Value("t1"));
    EXPECT_TRUE(other.cellValue(1, 6, 6).isEmpty());
}

TEST(Workbook, IdentityAndChangedFlag)
{
    Workbook wb;
    wb.setTableName("Book3");
    EXPECT_TRUE(wb.isNeverSaved());
    EXPECT_EQ(wb.title(), "Book3");
    wb.setTableName("/data/run/expr.xls");
    EXPECT_FALSE(wb.isNeverSaved());
    EXPECT_EQ(wb.title(), "expr.xls");
    wb.setTag("2");
    EXPECT_EQ(wb.Tag(), "2");
    wb.setChanged(false);
    wb.setCellValue(1, 1, 1, Value(1));
    EXPECT_TRUE(wb.isChanged());
}

TEST(Workbook, FillListsAppendAndReplace)
{
    Workbook wb;
    EXPECT_EQ(wb.fillListCount(), 0);
    wb.setFillList(wb.fillListCount() + 1, "G1;G2;");
    EXPECT_EQ(wb.fillListCount(), 1);
    wb.setFillList(1, "A;B;");
    EXPECT_EQ(wb.fillList(1), "A;B;");
    EXPECT_EQ(testsupport::errorNumber([&] { wb.setFillList(3, "x"); }), 9);
}

TEST(Workbook, InsertThatWouldPushDataOffTheSheetIsRefused)
{
    Workbook wb;
    wb.setCellValue(1, 16384, 1, Value(5));
    EXPECT_EQ(testsupport::errorNumber([&] { wb.insertRows(1, 10, 1); }), 5);
    EXPECT_EQ(wb.cellValue(1, 16384, 1), Value(5));
    wb.setCellValue(1, 1, 256, Value(6));
    EXPECT_EQ(testsupport::errorNumber([&] { wb.insertCols(1, 1, 1); }), 5);
    EXPECT_EQ(wb.cellValue(1, 1, 256), Value(6));
}

TEST(Workbook, InsertAndDeleteRowsAndColumnsMoveCells)
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value(1));
    wb.setCellValue(1, 2, 1, Value(2));
    wb.setCellValue(1, 2, 2, Value(22));
    wb.insertRows(1, 2, 3);
    EXPECT_EQ(wb.cellValue(1, 5, 1), Value(2));
    EXPECT_TRUE(wb.cellValue(1, 2, 1).isEmpty());
    wb.deleteRows(1, 2, 3);
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value(2));
    wb.insertCols(1, 2, 1);
    EXPECT_EQ(wb.cellValue(1, 2, 3), Value(22));
    wb.deleteCols(1, 1, 1);
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(22));
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value());
}

TEST(Workbook, ChangeCallbackFiresOnEdits)
{
    Workbook wb;
    int calls = 0;
    wb.setChangeCallback([&] { ++calls; });
    wb.setCellValue(1, 1, 1, Value(1));
    wb.setSelection(1, 1, 2, 2);
    EXPECT_EQ(calls, 2);
}

} // namespace

namespace {

TEST(WorkbookFill, GeneListContinuesAcrossTheFill)
{
    Workbook wb;
    std::string genes;
    for (int i = 1; i <= 9999; ++i)
        genes += "G" + std::to_string(i) + ";";
    wb.setFillList(wb.fillListCount() + 1, genes + ";;;;;;");
    wb.setCellEntry(1, 1, 1, "G1");
    wb.autoFill(1, RangeRef{1, 1, 1, 1}, RangeRef{1, 1, 4, 1});
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value("G2"));
    EXPECT_EQ(wb.cellValue(1, 4, 1), Value("G4"));

    wb.setCellEntry(1, 1, 3, "G9998");
    wb.autoFill(1, RangeRef{1, 3, 1, 3}, RangeRef{1, 3, 3, 3});
    EXPECT_EQ(wb.cellValue(1, 2, 3), Value("G9999"));
    EXPECT_EQ(wb.cellValue(1, 3, 3), Value("G1")) << "a list wraps at its end";
}

TEST(WorkbookFill, NumbersContinueTheirLineAndOthersRepeat)
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value(1));
    wb.setCellValue(1, 1, 2, Value(3));
    wb.autoFill(1, RangeRef{1, 1, 1, 2}, RangeRef{1, 1, 1, 5});
    EXPECT_EQ(wb.cellValue(1, 1, 3), Value(5));
    EXPECT_EQ(wb.cellValue(1, 1, 5), Value(9));

    wb.setCellValue(1, 2, 1, Value(7));
    wb.setCellValue(1, 2, 2, Value("x"));
    wb.setCellFormula(1, 3, 1, "A2*2");
    wb.autoFill(1, RangeRef{2, 1, 3, 2}, RangeRef{2, 1, 6, 2});
    EXPECT_EQ(wb.cellValue(1, 4, 1), Value(7)) << "one number is copied";
    EXPECT_EQ(wb.cellValue(1, 4, 2), Value("x"));
    EXPECT_EQ(wb.cellFormula(1, 5, 1), "A4*2") << "a repeated formula moves with its copy";
    EXPECT_EQ(wb.cellValue(1, 5, 1), Value(14));
    EXPECT_THROW(wb.autoFill(1, RangeRef{2, 1, 3, 2}, RangeRef{1, 1, 3, 2}), platform::Error);
}

TEST(WorkbookFill, DeletingASheetTurnsReferencesToItIntoErrors)
{
    Workbook wb;
    wb.setNumSheets(2);
    wb.setCellValue(2, 1, 1, Value(1));
    wb.setCellFormula(1, 1, 1, "Sheet2!A1+1");
    wb.setSheet(2);
    wb.EditDeleteSheets();
    EXPECT_EQ(wb.cellFormula(1, 1, 1), "#REF!+1");
    EXPECT_TRUE(wb.cellValue(1, 1, 1).isError());
}

} // namespace

namespace {

TEST(WorkbookTransfer, OnlyTheOverlapOfRectangleAndTableIsCopied)
{
    Workbook wb;
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            wb.setCellValue(1, r, c, Value(r * 10 + c));
    // A table smaller than the rectangle: the rectangle's top-left part.
    ValueTable small(2, 2);
    wb.CopyDataToArray(1, 1, 1, 3, 3, true, small);
    EXPECT_EQ(small.at(1, 1), Value(22));
    // A table larger than the rectangle: the rest of it stays as it was.
    ValueTable big(3, 3);
    big.at(2, 2) = Value("mine");
    wb.CopyDataToArray(1, 2, 2, 3, 3, true, big);
    EXPECT_EQ(big.at(0, 0), Value(22));
    EXPECT_EQ(big.at(1, 1), Value(33));
    EXPECT_EQ(big.at(2, 2), Value("mine"));
    // An empty table element clears its cell on the way back.
    ValueTable blank(1, 1);
    wb.CopyDataFromArray(1, 1, 1, 1, 1, true, blank);
    EXPECT_TRUE(wb.cellValue(1, 1, 1).isEmpty());
    EXPECT_EQ(wb.lastUsedRow(), 3);
}

TEST(WorkbookTransfer, TextsFromArraysAreNotParsed)
{
    Workbook wb;
    ValueTable t(1, 3);
    t.at(0, 0) = Value("007");
    t.at(0, 1) = Value("=A1");
    t.at(0, 2) = Value("TRUE");
    wb.CopyDataFromArray(1, 1, 1, 1, 3, true, t);
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value("007")) << "a label such as a probe number stays text";
    EXPECT_EQ(wb.cellFormula(1, 1, 2), "");
    EXPECT_EQ(wb.cellValue(1, 1, 3), Value("TRUE"));
}

} // namespace
