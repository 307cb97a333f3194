#include "analysis/ui/SheetTransforms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Error.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/mQuorin.h"
#include "tests/support/TestSupport.h"

namespace {

using shell::SheetTransform;
using spreadsheet::Value;
using spreadsheet::Workbook;

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

class SheetTransforms : public ::testing::Test {
protected:
    // Labels in row 1 and column A; values 0, 1.5, 3 / 0.5, empty, 2.
    void SetUp() override { fill(book, 1, {{"gene", "0h", "2h", "4h"}, {"g1", "0", "1.5", "3"}, {"g2", "0.5", "", "2"}}); }

    double at(std::int32_t sheet, std::int32_t row, std::int32_t col) const
    {
        const Value v = book.cellValue(sheet, row, col);
        EXPECT_TRUE(v.isNumber()) << "row " << row << " column " << col;
        return v.number();
    }

    void expectRefused(SheetTransform t, const std::string& message)
    {
        const std::int32_t sheets = book.NumSheets();
        EXPECT_FALSE(shell::TransformActiveSheet(book, t));
        EXPECT_EQ(book.NumSheets(), sheets);
        ASSERT_FALSE(dialogs.calls().empty());
        EXPECT_EQ(dialogs.last().text, message);
        EXPECT_EQ(dialogs.last().style, platform::mb::Information);
        dialogs.clear();
    }

    Workbook book;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scopedDialogs{dialogs};
};

TEST_F(SheetTransforms, LogarithmsAndSquareRootLandOnANewSheetWithTheLabels)
{
    const struct {
        SheetTransform transform;
        const char* sheet;
        double (*f)(double);
    } cases[] = {
        {SheetTransform::Log, "LogTransformed", [](double x) { return std::log(x + 0.5); }},
        {SheetTransform::Log2, "LogTransformed", [](double x) { return std::log2(x + 0.5); }},
        {SheetTransform::Sqrt, "SqrtTransformed", [](double x) { return std::sqrt(x + 0.375); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sheet);
        Workbook fresh;
        std::swap(book, fresh);
        SetUp();
        ASSERT_TRUE(shell::TransformActiveSheet(book, c.transform));
        ASSERT_EQ(book.NumSheets(), 2);
        EXPECT_EQ(book.SheetName(1), c.sheet);
        EXPECT_EQ(book.Sheet(), 1);
        EXPECT_EQ(book.cellValue(1, 1, 1), Value("gene"));
        EXPECT_EQ(book.cellValue(1, 1, 4), Value("4h"));
        EXPECT_EQ(book.cellValue(1, 3, 1), Value("g2"));
        expectNearRel(at(1, 2, 2), c.f(0), 1e-15);
        expectNearRel(at(1, 2, 3), c.f(1.5), 1e-15);
        expectNearRel(at(1, 3, 4), c.f(2), 1e-15);
        EXPECT_TRUE(book.cellValue(1, 3, 3).isEmpty());
        // The data sheet moved back one place, untouched.
        EXPECT_EQ(book.cellValue(2, 2, 3), Value(1.5));
        EXPECT_TRUE(dialogs.calls().empty());
    }
}

TEST_F(SheetTransforms, HandChecksOfZero)
{
    ASSERT_TRUE(shell::TransformActiveSheet(book, SheetTransform::Log));
    expectNearRel(at(1, 2, 2), -0.6931471805599453, 1e-15);
    // The new sheet is active; back to the data, now sheet 2.
    book.setSheet(2);
    ASSERT_TRUE(shell::TransformActiveSheet(book, SheetTransform::Log2));
    EXPECT_EQ(at(2, 2, 2), -1.0);
    EXPECT_EQ(book.SheetName(2), "LogTransformed2");
    book.setSheet(3);
    ASSERT_TRUE(shell::TransformActiveSheet(book, SheetTransform::Sqrt));
    expectNearRel(at(3, 2, 2), 0.6123724356957945, 1e-15);
    EXPECT_EQ(book.SheetName(4), "Sheet1");
}

TEST_F(SheetTransforms, StandardisingRowsLeavesEmptyCellsOutAndEmpty)
{
    fill(book, 1, {{}, {"", "1", "2", "3"}, {"", "4", "", "8"}});
    ASSERT_TRUE(shell::TransformActiveSheet(book, SheetTransform::NormalizeRows));
    EXPECT_EQ(book.SheetName(1), "Normalized");
    expectNearRel(at(1, 2, 2), -1.0, 1e-15);
    EXPECT_NEAR(at(1, 2, 3), 0.0, 1e-15);
    expectNearRel(at(1, 2, 4), 1.0, 1e-15);
    // Row 3: 4 and 8 have mean 6 and standard deviation sqrt(8).
    expectNearRel(at(1, 3, 2), -2 / std::sqrt(8.0), 1e-15);
    expectNearRel(at(1, 3, 4), 2 / std::sqrt(8.0), 1e-15);
    EXPECT_TRUE(book.cellValue(1, 3, 3).isEmpty());
}

TEST_F(SheetTransforms, StandardisingColumnsAndALineWithOneValue)
{
    fill(book, 1, {{}, {"", "1", "5", "7"}, {"", "3", "", "9"}, {"", "5", "", "14"}});
    ASSERT_TRUE(shell::TransformActiveSheet(book, SheetTransform::NormalizeCols));
    expectNearRel(at(1, 2, 2), -1.0, 1e-15);
    EXPECT_NEAR(at(1, 3, 2), 0.0, 1e-15);
    expectNearRel(at(1, 4, 2), 1.0, 1e-15);
    // Column C has one value: unchanged.
    EXPECT_EQ(at(1, 2, 3), 5.0);
    // Column D: 7, 9, 14 with mean 10 and sd sqrt(13).
    expectNearRel(at(1, 2, 4), -3 / std::sqrt(13.0), 1e-14);
}

TEST_F(SheetTransforms, DataOnTheSecondSheetGetsItsNewSheetInFront)
{
    Workbook fresh;
    std::swap(book, fresh);
    book.setNumSheets(3);
    fill(book, 2, {{"id", "a", "b"}, {"x", "1", "2"}, {"y", "3", "4"}});
    book.setSheet(2);
    ASSERT_TRUE(shell::TransformActiveSheet(book, SheetTransform::Sqrt));
    ASSERT_EQ(book.NumSheets(), 4);
    EXPECT_EQ(book.SheetName(2), "SqrtTransformed");
    EXPECT_EQ(book.cellValue(3, 3, 3), Value(4.0));
    EXPECT_EQ(book.cellValue(2, 1, 3), Value("b"));
    EXPECT_EQ(book.cellValue(2, 3, 1), Value("y"));
    expectNearRel(at(2, 3, 3), std::sqrt(4.375), 1e-15);
    EXPECT_EQ(book.lastUsedRow(1), 0);
}

TEST_F(SheetTransforms, RefusalsComeBeforeAnythingIsWritten)
{
    const std::string noData = shell::kNoValidDataMessage;
    Workbook fresh;

    std::swap(book, fresh);
    fill(book, 1, {{"gene", "0h"}, {"g1", "1"}, {"g2", "2"}});  // one value column
    expectRefused(SheetTransform::Log, noData);
    expectRefused(SheetTransform::NormalizeRows, noData);

    Workbook labelsOnly;
    std::swap(book, labelsOnly);
    fill(book, 1, {{"gene", "0h", "2h"}});
    expectRefused(SheetTransform::Sqrt, noData);

    Workbook negative;
    std::swap(book, negative);
    SetUp();
    book.setCellValue(1, 3, 3, -0.001);
    expectRefused(SheetTransform::Log, "There are values smaller than 0. Log-transformation aborted.");
    expectRefused(SheetTransform::Log2, "There are values smaller than 0. Log-transformation aborted.");
    expectRefused(SheetTransform::Sqrt, "There are values smaller than 0. Square-root transformation aborted.");
    // Standardising takes negative values.
    EXPECT_TRUE(shell::TransformActiveSheet(book, SheetTransform::NormalizeCols));
}

TEST_F(SheetTransforms, TextCellsAndFlatLinesAreRefusedWithAMessage)
{
    book.setCellEntry(1, 3, 3, "n.d.");
    expectRefused(SheetTransform::Log, "The cell C3 holds \"n.d.\", which is not a number. Log-transformation aborted.");
    expectRefused(SheetTransform::Sqrt,
                  "The cell C3 holds \"n.d.\", which is not a number. Square-root transformation aborted.");
    expectRefused(SheetTransform::NormalizeRows,
                  "The cell C3 holds \"n.d.\", which is not a number. Standardization aborted.");
    book.setCellEntry(1, 3, 3, "TRUE");
    expectRefused(SheetTransform::Log2, "The cell C3 holds \"TRUE\", which is not a number. Log-transformation aborted.");

    // A number stored as text is taken as the number.
    book.setCellValue(1, 3, 3, Value(std::string("2")));
    book.setCellValue(1, 2, 2, 2.0);
    book.setCellValue(1, 2, 3, 2.0);
    book.setCellValue(1, 2, 4, 2.0);
    expectRefused(SheetTransform::NormalizeRows,
                  "All values in row 2 are equal, so they cannot be standardized. Standardization aborted.");
    // Column C holds 2 and the text 2.
    expectRefused(SheetTransform::NormalizeCols,
                  "All values in column C are equal, so they cannot be standardized. Standardization aborted.");
    EXPECT_TRUE(shell::TransformActiveSheet(book, SheetTransform::Log));
    expectNearRel(at(1, 3, 3), std::log(2.5), 1e-15);
}

TEST_F(SheetTransforms, EmptySheetRaisesTheNoDataError)
{
    Workbook empty;
    try {
        (void)shell::TransformActiveSheet(empty, SheetTransform::Log);
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.description(), "No data selected in the active worksheet.");
    }
    EXPECT_EQ(empty.NumSheets(), 1);
}

TEST(EraseAnalysisData, ClearsArraysAndTheirCounts)
{
    mQuorin::ProgramState state;
    state.gDataMat = {{1, 2}};
    state.gRowName = {"a", "b"};
    state.gColName = {"c"};
    state.gNumRow = 2;
    state.gNumCol = 1;
    state.gSelLociName = {"a"};
    state.gSelLociExpr = {{1}};
    state.gNumSelLoci = 1;
    state.gMissingCode = -5;
    shell::EraseAnalysisData(state);
    EXPECT_TRUE(state.gDataMat.empty());
    EXPECT_TRUE(state.gRowName.empty());
    EXPECT_TRUE(state.gColName.empty());
    EXPECT_TRUE(state.gSelLociName.empty());
    EXPECT_TRUE(state.gSelLociExpr.empty());
    EXPECT_EQ(state.gNumRow, 0);
    EXPECT_EQ(state.gNumCol, 0);
    EXPECT_EQ(state.gNumSelLoci, 0);
    EXPECT_EQ(state.gMissingCode, -5);
}

} // namespace
