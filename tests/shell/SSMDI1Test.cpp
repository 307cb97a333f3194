#include "shell/workbook/SSMDI1.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/mQuorin.h"

namespace {

using spreadsheet::Value;
using spreadsheet::ValueTable;
using spreadsheet::Workbook;

// A table from rows of cells; "" is an empty cell, a text that reads as a
// number a number, anything else a text.
ValueTable tableOf(const std::vector<std::vector<std::string>>& rows)
{
    ValueTable t(static_cast<std::int32_t>(rows.size()), static_cast<std::int32_t>(rows.at(0).size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = 0; j < rows[i].size(); ++j) {
            t.at(static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)) = spreadsheet::parseEntry(rows[i][j]);
        }
    }
    return t;
}

void fill(Workbook& book, std::int32_t sheet, const std::vector<std::vector<std::string>>& rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = 0; j < rows[i].size(); ++j) {
            if (!rows[i][j].empty()) {
                book.setCellEntry(sheet, static_cast<std::int32_t>(i) + 1, static_cast<std::int32_t>(j) + 1, rows[i][j]);
            }
        }
    }
}

struct RecordingProgress final : numeric::Progress {
    void setMinimum(double v) override { minimum = v; }
    void setMaximum(double v) override { maximum = v; }
    void setValue(double v) override { values.push_back(v); }
    double minimum = -1;
    double maximum = -1;
    std::vector<double> values;
};

struct RangeCase {
    const char* text;
    std::int32_t r1, c1, r2, c2;
    const char* normalised;
};

TEST(Range2RowCol, ReadsRangeTextsAndNormalisesTheCallersText)
{
    const RangeCase cases[] = {
        {"$A$1:$D$10", 1, 1, 10, 4, "A1:D10"}, {"a1:d10", 1, 1, 10, 4, "A1:D10"},
        {"A1:D10", 1, 1, 10, 4, "A1:D10"},     {"A1:AB12", 1, 1, 12, 28, "A1:AB12"},
        {"AA5:IV7", 5, 27, 7, 256, "AA5:IV7"}, {"$b$3:$z$16384", 3, 2, 16384, 26, "B3:Z16384"},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        std::int32_t r1 = 0, c1 = 0, r2 = 0, c2 = 0;
        SSMDI1::Range2RowCol(text, r1, c1, r2, c2);
        EXPECT_EQ(r1, c.r1);
        EXPECT_EQ(c1, c.c1);
        EXPECT_EQ(r2, c.r2);
        EXPECT_EQ(c2, c.c2);
        EXPECT_EQ(text, c.normalised);
    }
}

TEST(Range2RowCol, RefusesTextsThatAreNoRangeAndLeavesTheNumbers)
{
    const struct {
        const char* text;
        std::int32_t number;
    } cases[] = {{"B3", 5}, {"", 5}, {"ABC1:D2", 5}, {"1:2", 5}, {"A1:IW3", 9}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        std::int32_t r1 = -1, c1 = -1, r2 = -1, c2 = -1;
        try {
            SSMDI1::Range2RowCol(text, r1, c1, r2, c2);
            ADD_FAILURE() << "no error";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), c.number);
        }
        EXPECT_EQ(r1, -1);
        EXPECT_EQ(c2, -1);
    }
}

TEST(RowCol2Range, WritesAbsoluteRangesAndRefusesColumnsOutsideTheSheet)
{
    EXPECT_EQ(SSMDI1::RowCol2Range(1, 1, 9, 2), "$A$1:$B$9");
    EXPECT_EQ(SSMDI1::RowCol2Range(1, 27, 100, 256), "$AA$1:$IV$100");
    for (const auto& [c1, c2] : {std::pair{0, 2}, std::pair{1, 257}}) {
        try {
            (void)SSMDI1::RowCol2Range(1, c1, 2, c2);
            ADD_FAILURE() << "no error";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), platform::err::Subscript);
        }
    }
}

TEST(SelectDataInActiveSheet, TrimsTrailingZeroOrBlankColumnsThenRowsAndSelectsFromA1)
{
    Workbook book;
    fill(book, 1, {{"", "t1", "t2", "t3", "t4"}});
    for (int r = 2; r <= 10; ++r) {
        book.setCellEntry(1, r, 1, "g" + std::to_string(r));
        book.setCellValue(1, r, 2, r <= 8 ? r * 1.5 : 0.0);
        book.setCellValue(1, r, 3, r == 3 ? 2.0 : 0.0);
        book.setCellValue(1, r, 4, 0.0);  // column D only zeros and a text
    }
    book.setCellEntry(1, 5, 4, "n/a");
    book.setCellEntry(1, 10, 5, "0");  // column E: one text zero
    book.setSelection(4, 4, 5, 5);

    std::int32_t rows = 0, cols = 0;
    ASSERT_TRUE(SSMDI1::SelectDataInActiveSheet(book, rows, cols));
    EXPECT_EQ(rows, 8);
    EXPECT_EQ(cols, 3);
    EXPECT_EQ(book.SelectionEx(0), (spreadsheet::RangeRef{1, 1, 8, 3}));
}

TEST(SelectDataInActiveSheet, StopsTrimmingAtTheFirstValueCellWhenAllValuesAreZero)
{
    Workbook book;
    fill(book, 1, {{"", "a", "b"}, {"g1", "0", ""}, {"g2", "", "0"}});
    std::int32_t rows = 0, cols = 0;
    ASSERT_TRUE(SSMDI1::SelectDataInActiveSheet(book, rows, cols));
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(cols, 2);
}

TEST(SelectDataInActiveSheet, KeepsALabelRowAloneUntrimmed)
{
    Workbook book;
    fill(book, 1, {{"", "a", "b", "c"}});
    std::int32_t rows = 0, cols = 0;
    ASSERT_TRUE(SSMDI1::SelectDataInActiveSheet(book, rows, cols));
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(cols, 4);
}

TEST(SelectDataInActiveSheet, EmptySheetRaisesTheTrailOrAddsToAPendingError)
{
    Workbook book;
    std::int32_t rows = 7, cols = 7;
    try {
        (void)SSMDI1::SelectDataInActiveSheet(book, rows, cols);
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.source(), "SelectDataInActiveSheet");
        EXPECT_EQ(e.description(), "No data selected in the active worksheet.");
    }
    try {
        throw platform::Error(53, "Caller", "File not found");
    } catch (const platform::Error& pending) {
        EXPECT_FALSE(SSMDI1::SelectDataInActiveSheet(book, rows, cols));
        EXPECT_NE(pending.source().find("SelectDataInActiveSheet"), std::string::npos);
        EXPECT_EQ(pending.number(), 53);
    }
    EXPECT_EQ(rows, 7);
}

TEST(Table2Mat, PutsTheValueColumnFirstAndDropsRowsWhoseFirstTwoValuesAreEmpty)
{
    const ValueTable table = tableOf({
        {"", "t1", "t2", "t3"},
        {"g1", "1", "2", "3"},
        {"g2", "", "", "9"},   // dropped although its third value is there
        {"g3", "", "5", "6"},  // kept; its first value is missing
        {"g4", "7", "8", ""},
    });
    std::vector<std::vector<double>> mat;
    std::vector<std::string> rowLabels, colLabels;
    std::int32_t nRow = 0, nCol = 0;
    RecordingProgress progress;
    SSMDI1::Table2Mat(table, mat, rowLabels, colLabels, nRow, nCol, -99.0, &progress);

    EXPECT_EQ(nRow, 3);
    EXPECT_EQ(nCol, 3);
    EXPECT_EQ(rowLabels, (std::vector<std::string>{"g1", "g3", "g4"}));
    EXPECT_EQ(colLabels, (std::vector<std::string>{"t1", "t2", "t3"}));
    const std::vector<std::vector<double>> expected = {{1, -99, 7}, {2, 5, 8}, {3, 6, -99}};
    EXPECT_EQ(mat, expected);
    EXPECT_EQ(progress.minimum, 0);
    EXPECT_EQ(progress.maximum, 5);
    ASSERT_FALSE(progress.values.empty());
    EXPECT_EQ(progress.values.back(), 4);
}

TEST(Table2Mat, CaVariantKeepsTheRowFirstAndFindsTheSmallestValue)
{
    const ValueTable table = tableOf({{"", "a", "b", "c"}, {"r1", "4", "2.5", "3"}, {"r2", "2.5", "", "8"}});
    std::vector<std::vector<double>> mat;
    std::vector<std::string> rowLabels, colLabels;
    std::int32_t nRow = 0, nCol = 0;
    double smallest = 0;
    SSMDI1::Table2MatCA(table, mat, rowLabels, colLabels, nRow, nCol, 0.0, smallest);
    EXPECT_EQ(nRow, 2);
    EXPECT_EQ(nCol, 3);
    EXPECT_EQ(mat, (std::vector<std::vector<double>>{{4, 2.5, 3}, {2.5, 0, 8}}));
    EXPECT_EQ(smallest, 2.5);

    // Without value cells the smallest value keeps its start.
    SSMDI1::Table2MatCA(tableOf({{"", "a", "b"}, {"r1", "", ""}}), mat, rowLabels, colLabels, nRow, nCol, 0.0,
                        smallest);
    EXPECT_EQ(nRow, 0);
    EXPECT_EQ(smallest, 1E13);
}

TEST(Table2Mat, SingleValueColumnDropsRowsWhoseValueIsEmpty)
{
    const ValueTable table = tableOf({{"", "a"}, {"r1", "1"}, {"r2", ""}, {"r3", "3"}});
    std::vector<std::vector<double>> mat;
    std::vector<std::string> rowLabels, colLabels;
    std::int32_t nRow = 0, nCol = 0;
    SSMDI1::Table2Mat(table, mat, rowLabels, colLabels, nRow, nCol, -1.0);
    EXPECT_EQ(nRow, 2);
    EXPECT_EQ(nCol, 1);
    EXPECT_EQ(mat, (std::vector<std::vector<double>>{{1, 3}}));
}

TEST(Table2Mat, WordInTheValueAreaRaisesTypeMismatchAndChangesNoOutput)
{
    ValueTable table = tableOf({{"", "a", "b"}, {"r1", "1", "2"}, {"r2", "high", "3"}});
    std::vector<std::vector<double>> mat = {{42}};
    std::vector<std::string> rowLabels = {"old"}, colLabels = {"old"};
    std::int32_t nRow = 9, nCol = 9;
    try {
        SSMDI1::Table2Mat(table, mat, rowLabels, colLabels, nRow, nCol, 0.0);
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::TypeMismatch);
        EXPECT_NE(e.description().find("high"), std::string::npos);
    }
    EXPECT_EQ(mat, (std::vector<std::vector<double>>{{42}}));
    EXPECT_EQ(rowLabels, (std::vector<std::string>{"old"}));
    EXPECT_EQ(nRow, 9);

    // A number stored as text is read as the number.
    table.at(2, 1) = Value(std::string("2.25"));
    SSMDI1::Table2Mat(table, mat, rowLabels, colLabels, nRow, nCol, 0.0);
    EXPECT_EQ(mat[0][1], 2.25);
}

TEST(ReadActiveBlockIntoProgram, FillsTheProgramDataWithLabelsAndMissingCode)
{
    mQuorin::ProgramState state;
    mQuorin::ProgramScope scope(state);
    state.gMissingCode = -999;
    Workbook book;
    fill(book, 1, {{"gene", "0h", "2h"}, {"YAL1", "1.5", ""}, {"YAL2", "0.5", "4"}, {"", "", ""}});
    ASSERT_TRUE(SSMDI1::ReadActiveBlockIntoProgram(book));
    EXPECT_EQ(state.gNumRow, 2);
    EXPECT_EQ(state.gNumCol, 2);
    EXPECT_EQ(state.gRowName, (std::vector<std::string>{"YAL1", "YAL2"}));
    EXPECT_EQ(state.gColName, (std::vector<std::string>{"0h", "2h"}));
    // Value column first, then the row.
    EXPECT_EQ(state.gDataMat, (std::vector<std::vector<double>>{{1.5, 0.5}, {-999, 4}}));
    EXPECT_TRUE(state.gDataReady);
}

TEST(WorkbookOutput, InsertAndSelectSheets)
{
    Workbook book;
    book.setNumSheets(3);
    ASSERT_TRUE(SSMDI1::InsertSheet2End(book, 2));
    EXPECT_EQ(book.NumSheets(), 5);
    EXPECT_EQ(book.SheetName(5), "Sheet5");

    book.setNumSheets(3);
    ASSERT_TRUE(SSMDI1::SelectRangeInSheet(book, 2, 2, 2, 3, 3));
    try {
        (void)SSMDI1::SelectSheet(book, 4);
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.source(), "SelectSheet");
        EXPECT_EQ(e.description(), "SheetIndex greater than the number of sheets in the workbook");
    }
    EXPECT_EQ(book.Sheet(), 2);
    EXPECT_EQ(book.SelectionEx(0), (spreadsheet::RangeRef{2, 2, 3, 3}));
}

TEST(WorkbookOutput, MatrixWithLabelsLandsFromTheTargetCellAndTouchesNothingElse)
{
    Workbook book;
    for (int r = 1; r <= 5; ++r) {
        for (int c = 1; c <= 6; ++c) {
            book.setCellValue(1, r, c, -1.0);
        }
    }
    const std::vector<std::vector<double>> m = {{1, 2, 3}, {4, 5, 6}};
    ASSERT_TRUE(SSMDI1::Mat2SheetHeaderWithX(book, 1, m, 2, 3, {"r1", "r2"}, "corner", {"c1", "c2", "c3"}, 1, 1));
    EXPECT_EQ(book.cellValue(1, 1, 1), Value("corner"));
    EXPECT_EQ(book.cellValue(1, 1, 2), Value("c1"));
    EXPECT_EQ(book.cellValue(1, 1, 4), Value("c3"));
    EXPECT_EQ(book.cellValue(1, 2, 1), Value("r1"));
    EXPECT_EQ(book.cellValue(1, 3, 1), Value("r2"));
    EXPECT_EQ(book.cellValue(1, 2, 2), Value(1.0));
    EXPECT_EQ(book.cellValue(1, 3, 4), Value(6.0));
    EXPECT_EQ(book.cellValue(1, 4, 1), Value(-1.0));
    EXPECT_EQ(book.cellValue(1, 1, 5), Value(-1.0));

    ASSERT_TRUE(SSMDI1::Mat2Sheet(book, 1, numeric::Matrix{{7, 8}}, 1, 2, 5, 5));
    EXPECT_EQ(book.cellValue(1, 5, 5), Value(7.0));
    EXPECT_EQ(book.cellValue(1, 5, 6), Value(8.0));
    EXPECT_EQ(book.cellValue(1, 4, 5), Value(-1.0));
}

TEST(WorkbookOutput, ValuesGoDownOneColumn)
{
    Workbook book;
    book.setCellValue(1, 6, 5, -1.0);
    ASSERT_TRUE(SSMDI1::Array2Sheet(book, 1, std::vector<double>{1, 2, 3, 4}, 4, 2, 5));
    for (int r = 2; r <= 5; ++r) {
        EXPECT_EQ(book.cellValue(1, r, 5), Value(static_cast<double>(r - 1)));
    }
    EXPECT_EQ(book.cellValue(1, 6, 5), Value(-1.0));
    EXPECT_TRUE(book.cellValue(1, 1, 5).isEmpty());
}

TEST(WorkbookOutput, CountsLargerThanTheDataRaiseBeforeAnythingIsWritten)
{
    Workbook book;
    const std::vector<std::vector<double>> m = {{1, 2}, {3}};
    for (const auto& write : std::vector<std::function<void()>>{
             [&] { (void)SSMDI1::Mat2Sheet(book, 1, m, 2, 2, 1, 1); },
             [&] { (void)SSMDI1::Array2Sheet(book, 1, std::vector<double>{1, 2}, 3, 1, 1); },
             [&] { (void)SSMDI1::Mat2SheetHeaderWithX(book, 1, m, 1, 2, {}, "x", {"a", "b"}, 1, 1); },
             [&] { (void)SSMDI1::Mat2Sheet(book, 1, std::vector<std::vector<double>>{{1, 2}}, 1, 2, 1, 256); },
         }) {
        EXPECT_THROW(write(), platform::Error);
        EXPECT_EQ(book.lastUsedRow(), 0);
    }
}

TEST(WorkbookOutput, OneTextLineLeavesItsCellSelected)
{
    Workbook book;
    book.setNumSheets(2);
    ASSERT_TRUE(SSMDI1::OneStrLine2Sheet(book, 2, 3, 4, "Principal components"));
    EXPECT_EQ(book.Sheet(), 2);
    EXPECT_EQ(book.cellValue(2, 3, 4), Value("Principal components"));
    EXPECT_EQ(book.SelectionEx(0), (spreadsheet::RangeRef{3, 4, 3, 4}));
}

TEST(WorkbookOutput, SheetSuffixesAndUniqueNames)
{
    Workbook book;
    book.setNumSheets(3);
    book.setSheetName(2, "X Output1");
    book.setSheetName(3, "X Output3");
    EXPECT_EQ(SSMDI1::MaxSheetSuffix(book, "X Output"), 3);
    EXPECT_EQ(SSMDI1::MaxSheetSuffix(book, "Y Output"), 0);
    EXPECT_EQ(SSMDI1::MaxSheetSuffix(book, "x output"), 0);
    book.setSheetName(3, "X OutputA");
    EXPECT_EQ(SSMDI1::MaxSheetSuffix(book, "X Output"), 1);
    // The whole number counts, so output 10 follows output 9.
    book.setSheetName(3, "X Output12");
    EXPECT_EQ(SSMDI1::MaxSheetSuffix(book, "X Output"), 12);

    EXPECT_EQ(SSMDI1::UniqueSheetName(book, "Normalized"), "Normalized");
    book.setSheetName(1, "Normalized");
    EXPECT_EQ(SSMDI1::UniqueSheetName(book, "Normalized"), "Normalized2");
    book.setSheetName(2, "Normalized2");
    EXPECT_EQ(SSMDI1::UniqueSheetName(book, "Normalized"), "Normalized3");
}

} // namespace
