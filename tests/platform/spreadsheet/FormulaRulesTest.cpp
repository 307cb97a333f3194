// The evaluator's rules, one minimal case each, with the values LibreOffice
// Calc 7.4 gives for the same formulas over the same block; bad and huge
// formulas typed into a cell; and recalculation after edits.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/errors/Error.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/FormulaEval.h"
#include "platform/spreadsheet/FormulaParser.h"
#include "platform/spreadsheet/Workbook.h"
#include "tests/support/ErrorAssert.h"

namespace {

using spreadsheet::CellError;
using spreadsheet::Value;
using spreadsheet::Workbook;

// Column A: 2, 4, 9, "abc", empty, TRUE, FALSE, =1/0, the text "12" in a
// Text cell, "B", 0, -1.5, " 7 ", 0.001, "a", 100.
Workbook dataBlock()
{
    Workbook wb;
    const char* entries[] = {"2", "4", "9", "abc", "", "TRUE", "FALSE", "=1/0", nullptr, "B", "0", "-1.5", " 7 ",
                             "0.001", "a", "100"};
    for (int r = 1; r <= 16; ++r)
        if (entries[r - 1] != nullptr)
            wb.enterCell(1, r, 1, entries[r - 1]);
    wb.setSelection(9, 1, 9, 1);
    wb.setNumberFormat("@");
    wb.enterCell(1, 9, 1, "12");
    wb.setCellValue(1, 13, 1, Value(" 7 "));
    return wb;
}

Value err(CellError e)
{
    return Value::error(e);
}

TEST(FormulaRules, EachRuleGivesWhatLibreOfficeGives)
{
    struct Row {
        const char* rule;
        const char* formula;
        Value expected;
    };
    const Value yes = Value::logical(true);
    const Value no = Value::logical(false);
    const Row rows[] = {
        {"exponent", "=3E2", Value(300)},
        {"negative exponent", "=1E-5", Value(1e-5)},
        {"signed exponent", "=1.5E+3", Value(1500)},
        {"exponent in a product", "=2.5E-3*2", Value(0.005)},
        {"leading point", "=.5", Value(0.5)},
        {"exponent then divisions", "=1E3/10/10", Value(10)},
        {"two minus signs", "=--3", Value(3)},
        {"plus and minus", "=+-1", Value(-1)},
        {"three signs", "=-+-2", Value(2)},
        {"number text times", "=A9*3", Value(36)},
        {"other text times", "=A4*3", err(CellError::Value)},
        {"divided by number text", "=3/A9", Value(0.25)},
        {"number text plus", "=A9+3", Value(15)},
        {"typed number text", "=\"7\"*3", Value(21)},
        {"number text as IF's condition", "=IF(A9,1,2)", Value(1)},
        {"other text as IF's condition", "=IF(A4,1,2)", err(CellError::Value)},
        {"sign of number text", "=-A9", Value(-12)},
        {"INT of number text", "=INT(A9)", Value(12)},
        {"empty text is no number", "=\"\"+1", err(CellError::Value)},
        {"blanks around a number text", "=A13+1", Value(8)},
        {"an error cell passes on", "=A8+3", err(CellError::Div0)},
        {"an error beside a comparison", "=A8=1", err(CellError::Div0)},
        {"the leftmost failure wins", "=A4+A8", err(CellError::Value)},
        {"an error after a text", "=A4&A8", err(CellError::Div0)},
        {"too large a power", "=1/(6^16773)", err(CellError::Num)},
        {"no root compared", "=(-1)^0.5>0", err(CellError::Num)},
        {"no root measured", "=LEN((-1)^0.5)", err(CellError::Num)},
        {"no root as a condition", "=IF((-1)^0.5,1,2)", err(CellError::Num)},
        {"odd root of a negative", "=(-8)^(1/3)", Value(-2)},
        {"zero to the zero", "=0^0", Value(1)},
        {"empty equals empty text", "=A5=\"\"", yes},
        {"empty equals zero", "=A5=0", yes},
        {"texts alphabetically", "=\"B\"<\"a\"", no},
        {"texts alphabetically, case aside", "=\"abc\"<\"ABD\"", yes},
        {"lower case first", "=\"a\"<\"A\"", yes},
        {"equal texts spelled alike", "=\"abc\"=\"ABC\"", no},
        {"numbers before texts", "=1<\"a\"", yes},
        {"cells of texts", "=A10<A15", no},
        {"nearly equal numbers", "=0.1+0.2=0.3", yes},
        {"a difference that cancels", "=0.1+0.2-0.3", Value(0)},
        {"COUNTA of an error cell", "=COUNTA(A8)", Value(1)},
        {"COUNTA of a block", "=COUNTA(A1:A16)", Value(15)},
        {"COUNTA of a text", "=COUNTA(\"abc\")", Value(1)},
        {"COUNTA of a whole column", "=COUNTA(A:A)", Value(15)},
        {"COUNTA of an empty cell", "=COUNTA(A5)", Value(0)},
        {"SUM of a computed text", "=SUM(\"7\"&\"\")", err(CellError::Value)},
        {"SUM of a typed text", "=SUM(\"7\")", err(CellError::Value)},
        {"SUM of a block with logicals", "=SUM(A1:A7)", Value(16)},
        {"SUM of a block with an error", "=SUM(A1:A11)", err(CellError::Div0)},
        {"SUM of a text cell", "=SUM(A9)", Value(0)},
        {"AVERAGE of no number", "=AVERAGE(A4)", err(CellError::Div0)},
        {"MAX of no number", "=MAX(A4)", Value(0)},
        {"MIN of a block and a cell", "=MIN(A1:A7,A12)", Value(-1.5)},
        {"AVERAGE with a logical", "=AVERAGE(A1:A3,A6)", Value(4)},
        {"IF of two, true", "=IF(1,2)", Value(2)},
        {"IF of two, false", "=IF(0,2)", no},
        {"IF computes the branch taken only", "=IF(A4=\"abc\",1,1/0)", Value(1)},
        {"SUM of nothing", "=SUM()", Value(0)},
        {"negative zero of a cell", "=-A11", Value(0)},
        {"negative zero measured", "=LEN(-A11)", Value(1)},
        {"negative zero of a product", "=0*-1", Value(0)},
        {"a logical cell", "=A6", yes},
        {"a logical cell as text", "=A6&\"\"", Value("TRUE")},
        {"an error cell joined", "=A8&\"x\"", err(CellError::Div0)},
        {"numbers joined as shown", "=CONCATENATE(A14,A6,A4)", Value("0.001TRUEabc")},
        {"LEFT of a product", "=LEFT(A9*2,1)", Value("2")},
        {"normalising a column", "=A14*1E3", Value(1)},
        {"dividing by an absolute cell", "=A16/$A$16", Value(1)},
        {"powers left to right", "=A1^A2^0.5", Value(4)},
        {"logicals added", "=A7+A6", Value(1)},
        {"a cell's failure before a text's", "=\"x\"+A8", err(CellError::Div0)},
        {"the left cell's failure first", "=A8+A4", err(CellError::Div0)},
        {"a computed error before a cell's", "=A8+(1/\"x\")", err(CellError::Value)},
        {"the leftmost computed error", "=(1/0)+(1/\"x\")", err(CellError::Div0)},
        {"a computed error compared", "=A8<(1/\"x\")", err(CellError::Value)},
        {"the right cell's error joined", "=A8&(1/\"x\")", err(CellError::Value)},
        {"SUM: the last failure of its arguments", "=SUM(A8,\"\")", err(CellError::Value)},
        {"SUM: an error cell after a text", "=SUM(\"\",A8)", err(CellError::Div0)},
        {"SUM: a computed error first", "=SUM(1/\"x\",A8)", err(CellError::Value)},
        {"LEFT: the count's failure first", "=LEFT(A8,A4)", err(CellError::Value)},
        {"LEFT: then the text's", "=LEFT(A4,A8)", err(CellError::Div0)},
        {"LEFT: a count past the largest position", "=LEFT(\"abc\",1E10)", err(CellError::Value)},
        {"LEFT: a negative count before an error cell", "=LEFT(A8,-1)", err(CellError::Value)},
        {"MAX: a single error cell before a text", "=MAX(A8,\"7\")", err(CellError::Div0)},
        {"MIN: a text after a range's error", "=MIN(A7:A8,\"7\")", err(CellError::Value)},
        {"MIN: a range's error after a text", "=MIN(\"7\",A7:A8)", err(CellError::Div0)},
        {"CONCATENATE: a computed error first", "=CONCATENATE(A8,1/\"x\")", err(CellError::Value)},
        {"a power too small to tell from 0", "=0.5^2000", err(CellError::Num)},
        {"a power of 0", "=0^5", Value(0)},
        {"a sum that cancels", "=SUM(0.1,0.2,0.3,-0.6)", Value(0)},
        {"a number past the largest", "=1E400", Value(1.7976931348623157e308)},
        {"a number past the smallest", "=1E-400", Value(0)},
        {"IF of one", "=IF(1)", yes},
        {"a left-out argument", "=SUM(1,)", Value(1)},
        {"LEFT without a count", "=LEFT(\"abc\",)", Value("a")},
        {"too many arguments", "=IF(1,2,3,4)", err(CellError::Value)},
        {"an unknown function", "=SQRT(4)", err(CellError::Name)},
        {"a percent sign", "=A1%", err(CellError::Name)},
    };
    Workbook wb = dataBlock();
    std::int32_t row = 1;
    for (const Row& r : rows) {
        wb.enterCell(1, row, 3, r.formula);
        const Value got = wb.cellValue(1, row, 3);
        if (r.expected.isNumber() && got.isNumber()) {
            EXPECT_NEAR(got.number(), r.expected.number(), 1e-12 * std::max(1.0, std::abs(r.expected.number())))
                << r.rule << ": " << r.formula;
        } else {
            EXPECT_EQ(got, r.expected) << r.rule << ": " << r.formula;
        }
        if (r.expected == Value(0)) {
            EXPECT_EQ(got.displayText(), "0") << r.rule << ": no -0 shown";
        }
        ++row;
    }
    // A range where one value is wanted: the cell of its row or column.
    wb.enterCell(1, 2, 5, "=A1:A16");
    wb.enterCell(1, 30, 5, "=A1:A16");
    wb.enterCell(1, 20, 1, "=A1:F1");
    EXPECT_EQ(wb.cellValue(1, 2, 5), Value(4));
    EXPECT_EQ(wb.cellValue(1, 30, 5), err(CellError::Value));
    EXPECT_EQ(wb.cellValue(1, 20, 1), Value(2));
}

TEST(FormulaRules, TextsOrderAlphabetically)
{
    struct Row {
        const char* a;
        const char* b;
        int order;
    };
    const Row rows[] = {
        {"a", "b", -1}, {"a", "B", -1}, {"Z", "a", 1}, {"a", "A", -1}, {"abc", "abcd", -1}, {"10", "9", -1},
        {"1", "a", -1}, {"a_", "a1", -1}, {" ", "a", -1}, {"\xC3\xA9", "f", -1}, {"e", "\xC3\xA9", -1},
        {"same", "same", 0},
    };
    for (const Row& r : rows) {
        const int got = spreadsheet::detail::compareTexts(r.a, r.b);
        EXPECT_EQ((got > 0) - (got < 0), r.order) << r.a << " vs " << r.b;
        const int back = spreadsheet::detail::compareTexts(r.b, r.a);
        EXPECT_EQ((back > 0) - (back < 0), -r.order) << r.b << " vs " << r.a;
    }
}

// Texts that once crashed or froze the program, typed as a user types them.
TEST(FormulaRules, BadAndHugeFormulasAreAnsweredAtOnce)
{
    std::string plusChain = "=1";
    std::string joinChain = "=A1";
    for (int i = 1; i < 8000; ++i)
        plusChain += "+1";
    for (int i = 1; i < 10000; ++i)
        joinChain += "&A1";
    const std::string deep = "=" + std::string(10000, '(') + "1" + std::string(10000, ')');
    std::string deepButFine = "=" + std::string(500, '(') + "1" + std::string(500, ')');
    std::string manySigns = "=" + std::string(10001, '-') + "2";
    std::string deepCalls = "=";
    for (int i = 0; i < 1000; ++i)
        deepCalls += i % 2 == 0 ? "SUM(" : "-CONCATENATE(";
    deepCalls += "1" + std::string(1000, ')');
    struct Row {
        const char* what;
        std::string entry;
        Value expected;
    };
    const Row rows[] = {
        {"8,000 terms of +", plusChain, Value(8000)},
        {"10,000 terms of &", joinChain, Value(std::string(10000, '2'))},
        {"500 nested brackets", deepButFine, Value(1)},
        {"10,001 signs", manySigns, Value(-2)},
        {"1,000 nested calls", deepCalls, Value(1)},
        {"a lone $", "=1+$+1", err(CellError::Name)},
        {"a quote at the end", "=A1'", err(CellError::Name)},
        {"a ! at the end", "=A1!", err(CellError::Name)},
        {"a range to a row", "=A8:2", err(CellError::Name)},
        {"a column to a row", "=M:1", err(CellError::Name)},
        {"a range to a row past the sheet", "=A16384:1", err(CellError::Name)},
        {"an open text", "=\"abc", err(CellError::Name)},
        {"an open bracket", "=SUM(1,2", err(CellError::Name)},
        {"an open sheet quote", "='Sheet1", err(CellError::Name)},
        {"an operator at the end", "=1+", err(CellError::Name)},
        {"a half error value", "=#REF", err(CellError::Name)},
        {"a half exponent", "=1E+", err(CellError::Name)},
        {"an unknown sheet", "=Nowhere!A1", err(CellError::Ref)},
        {"a reference made #REF!", "=#REF!+1", err(CellError::Ref)},
    };
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value(2));
    std::int32_t row = 1;
    for (const Row& r : rows) {
        wb.enterCell(1, row, 2, r.entry);
        EXPECT_EQ(wb.cellValue(1, row, 2), r.expected) << r.what;
        ++row;
    }

    // Too deep to compute: refused in words, the cell kept as it was.
    wb.enterCell(1, 30, 2, "5");
    std::string description;
    EXPECT_EQ(testsupport::errorNumber([&] { wb.enterCell(1, 30, 2, deep); }, nullptr, &description), 5);
    EXPECT_TRUE(description.starts_with(Workbook::kFormulaTooLarge)) << description;
    EXPECT_NE(description.find("1,000 levels"), std::string::npos) << description;
    EXPECT_EQ(wb.cellValue(1, 30, 2), Value(5));
    wb.setSelection(30, 2, 30, 2);
    EXPECT_EQ(testsupport::errorNumber([&] { wb.setFormula(deep.substr(1)); }), 5);
    const std::string tooLong = "=" + std::string(200000, '1');
    EXPECT_EQ(testsupport::errorNumber([&] { wb.enterCell(1, 30, 2, tooLong); }), 5);
    EXPECT_EQ(wb.cellValue(1, 30, 2), Value(5));
    // Set another way, as a file sets it, it shows an error value.
    wb.setCellFormula(1, 31, 2, deep);
    EXPECT_EQ(wb.cellValue(1, 31, 2), err(CellError::Name));
}

TEST(FormulaRules, EditsRecomputeWhatDependsOnThem)
{
    Workbook wb;
    // A chain far longer than any recursion could follow.
    constexpr int kChain = 16000;
    wb.setCellValue(1, 1, 1, Value(1));
    for (int r = 2; r <= kChain; ++r)
        wb.setCellFormula(1, r, 1, "A" + std::to_string(r - 1) + "+1");
    wb.setCellFormula(1, 1, 2, "SUM(A:A)");
    wb.setCellFormula(1, 2, 2, "B1*2");
    EXPECT_EQ(wb.cellValue(1, kChain, 1), Value(kChain));
    wb.setCellValue(1, 1, 1, Value(11));
    EXPECT_EQ(wb.cellValue(1, kChain, 1), Value(kChain + 10));
    const double sum = static_cast<double>(kChain) * (kChain + 1) / 2 + 10.0 * kChain;
    EXPECT_EQ(wb.cellValue(1, 1, 2), Value(sum));
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(2 * sum));

    // A circle shows #REF!, passed on to its users; broken, all compute again.
    wb.setCellFormula(1, 1, 4, "D3+1");
    wb.setCellFormula(1, 2, 4, "D1*2");
    wb.setCellFormula(1, 3, 4, "D2");
    wb.setCellFormula(1, 4, 4, "D3&\"!\"");
    wb.setCellFormula(1, 5, 4, "SUM(D5:D6)");  // reads itself
    for (int r = 1; r <= 3; ++r)
        EXPECT_EQ(wb.cellValue(1, r, 4), err(CellError::Ref)) << r;
    EXPECT_EQ(wb.cellValue(1, 4, 4), err(CellError::Ref));
    EXPECT_EQ(wb.cellValue(1, 5, 4), err(CellError::Ref));
    wb.setCellValue(1, 3, 4, Value(5));
    EXPECT_EQ(wb.cellValue(1, 1, 4), Value(6));
    EXPECT_EQ(wb.cellValue(1, 2, 4), Value(12));
    EXPECT_EQ(wb.cellValue(1, 4, 4), Value("5!"));

    // A formula that becomes a constant, and cleared cells, tell their users.
    wb.setCellFormula(1, 1, 5, "D1*10");
    wb.setCellFormula(1, 2, 5, "E1+1");
    EXPECT_EQ(wb.cellValue(1, 2, 5), Value(61));
    wb.setCellValue(1, 1, 5, Value(1));
    EXPECT_EQ(wb.cellValue(1, 2, 5), Value(2));
    wb.clearRange(1, spreadsheet::RangeRef{1, 5, 1, 5});
    EXPECT_EQ(wb.cellValue(1, 2, 5), Value(1));
    wb.setCellFormula(1, 1, 5, "Sheet2!A1");
    EXPECT_EQ(wb.cellValue(1, 2, 5), err(CellError::Ref)) << "no such sheet yet";
    wb.setNumSheets(2);
    wb.setCellValue(2, 1, 1, Value(41));
    EXPECT_EQ(wb.cellValue(1, 2, 5), Value(42)) << "a new sheet, then a cell on it";

    // More cells changed at once than are followed one by one, formulas
    // among them: every formula is read again.
    for (int r = 1; r <= 12500; ++r) {
        wb.setCellValue(1, r, 6, Value(1));
        wb.setCellValue(1, r, 8, Value(1));
    }
    wb.setCellFormula(1, 1, 7, "SUM(F:F)+SUM(H:H)+A1");
    wb.setCellFormula(1, 2, 7, "G1*2");
    EXPECT_EQ(wb.cellValue(1, 2, 7), Value(2 * (25000 + 11)));
    wb.setCellValue(1, 1, 1, Value(12));
    EXPECT_EQ(wb.cellValue(1, 2, 7), Value(2 * (25000 + 12)));
}

// Many formulas read one whole column or one wide block, whose total is
// computed once for all: it follows a number typed into it, a formula inside
// it computed again, an inserted row and a cell on another sheet.
TEST(FormulaRules, EditsRecomputeTheTotalsOfLargeAreas)
{
    Workbook wb;
    constexpr int kRows = 300;
    for (int r = 1; r <= kRows; ++r) {
        wb.setCellValue(1, r, 1, Value(r));
        wb.setCellFormula(1, r, 2, "A" + std::to_string(r) + "*2");
        wb.setCellFormula(1, r, 3, "A" + std::to_string(r) + "/SUM($A:$A)");
        wb.setCellFormula(1, r, 4, "SUM(B:B)-B" + std::to_string(r));
        wb.setCellFormula(1, r, 5, "COUNTA(A$1:A$16384)+MAX($A$1:$B$300)");
    }
    wb.setCellFormula(1, 1, 6, "SUM(Sheet2!A1:IV40)");
    wb.setCellFormula(1, 2, 6, "AVERAGE(Sheet2!A1:IV40)*2");
    const double total = kRows * (kRows + 1) / 2.0;
    EXPECT_EQ(wb.cellValue(1, 10, 3), Value(10 / total));
    EXPECT_EQ(wb.cellValue(1, 10, 4), Value(2 * total - 20));
    EXPECT_EQ(wb.cellValue(1, 10, 5), Value(kRows + 2.0 * kRows));
    EXPECT_EQ(wb.cellValue(1, 1, 6), err(CellError::Ref)) << "no such sheet yet";

    // A number typed into the column: every reader, and the readers of the
    // formulas inside the column computed again, see the new total.
    wb.enterCell(1, 5, 1, "1005");
    EXPECT_EQ(wb.cellValue(1, 10, 3), Value(10 / (total + 1000)));
    EXPECT_EQ(wb.cellValue(1, 5, 3), Value(1005 / (total + 1000)));
    EXPECT_EQ(wb.cellValue(1, 10, 4), Value(2 * (total + 1000) - 20));
    EXPECT_EQ(wb.cellValue(1, 10, 5), Value(kRows + 2010.0));
    wb.clearRange(1, spreadsheet::RangeRef{5, 1, 5, 1});
    EXPECT_EQ(wb.cellValue(1, 10, 4), Value(2 * (total - 5) - 20));
    EXPECT_EQ(wb.cellValue(1, 10, 5), Value(kRows - 1 + 2.0 * kRows));

    // A formula of the column changed: its total's readers follow.
    wb.setCellFormula(1, 7, 2, "1000");
    EXPECT_EQ(wb.cellValue(1, 10, 4), Value(2 * (total - 5) - 14 + 1000 - 20));
    EXPECT_EQ(wb.cellValue(1, 10, 5), Value(kRows - 1 + 1000.0));

    // A row inserted above, and a number typed into it.
    wb.insertRows(1, 1, 1);
    wb.enterCell(1, 1, 1, "7");
    EXPECT_EQ(wb.cellValue(1, 11, 3), Value(10 / (total - 5 + 7)));
    EXPECT_EQ(wb.cellValue(1, 11, 5), Value(kRows - 1 + 1000.0)) << "the range moved down to A$2:A$16384";

    // The wide block of another sheet (the formulas moved down a row), by
    // its rows and columns alike.
    wb.setNumSheets(2);
    wb.setCellValue(2, 40, 256, Value(6));
    wb.setCellValue(2, 1, 1, Value(2));
    EXPECT_EQ(wb.cellValue(1, 2, 6), Value(8));
    EXPECT_EQ(wb.cellValue(1, 3, 6), Value(8));
    wb.setCellValue(2, 40, 256, Value(3));
    EXPECT_EQ(wb.cellValue(1, 2, 6), Value(5));
    EXPECT_EQ(wb.cellValue(1, 3, 6), Value(5));
}

// After any run of edits, the formulas computed again because they depend
// on what changed hold what computing the whole book gives.
TEST(FormulaRules, EditedBooksHoldWhatAFullRecalculationGives)
{
    const char* formulas[] = {"A1+B2", "SUM(A1:B6)", "C3*2", "IF(A2>2,C1,D4)", "COUNTA(A:A)&\"|\"&E1",
                              "AVERAGE(A1:D3)", "MAX(C1:C6)-MIN(A3,B4)", "LEN(E2)+D5", "A6/B1", "F1+F2",
                              "SUM(B:B)+A1", "MIN($A$1:$F$300)*2", "COUNTA(A1:IV40)", "MAX(1:6)"};
    std::mt19937 random(63);
    Workbook wb;
    for (int step = 0; step < 300; ++step) {
        const int row = 1 + static_cast<int>(random() % 6);
        const int col = 1 + static_cast<int>(random() % 6);
        switch (random() % 4) {
        case 0:
            wb.setCellFormula(1, row, col, formulas[random() % std::size(formulas)]);
            break;
        case 1:
            wb.clearRange(1, spreadsheet::RangeRef{row, col, row, col});
            break;
        default:
            wb.setCellValue(1, row, col, Value(static_cast<double>(random() % 10)));
            break;
        }
        std::vector<Value> incremental;
        for (int r = 1; r <= 6; ++r)
            for (int c = 1; c <= 6; ++c)
                incremental.push_back(wb.cellValue(1, r, c));
        wb.markFormulasDirty();
        std::size_t i = 0;
        for (int r = 1; r <= 6; ++r)
            for (int c = 1; c <= 6; ++c)
                ASSERT_EQ(incremental[i++], wb.cellValue(1, r, c)) << "step " << step << ", row " << r << ", column " << c;
    }
}

// A chain of names, each using the one before, as deep as a formula may
// nest and deeper, read with no recursion of its own.
TEST(FormulaRules, LongChainsOfNamesStopAtTheDepthAFormulaMayReach)
{
    Workbook wb;
    wb.setDefinedName("Step1", "1");
    for (int i = 2; i <= 1500; ++i)
        wb.setDefinedName("Step" + std::to_string(i), "Step" + std::to_string(i - 1) + "+1");
    wb.setCellFormula(1, 1, 1, "Step400");
    wb.setCellFormula(1, 2, 1, "STEP1500");
    // The deepest name there may be, inside the deepest formula.
    wb.setCellFormula(1, 3, 1, std::string(1000, '(') + "Step1000" + std::string(1000, ')'));
    wb.setCellFormula(1, 4, 1, "Step1001");
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value(400));
    EXPECT_EQ(wb.cellValue(1, 2, 1), err(CellError::Name));
    EXPECT_EQ(wb.cellValue(1, 3, 1), Value(1000));
    EXPECT_EQ(wb.cellValue(1, 4, 1), err(CellError::Name));
}

TEST(FormulaParser, ReadsReferencesRangesAndChains)
{
    namespace d = spreadsheet::detail;
    struct Row {
        const char* text;
        const char* sheet;
        std::int32_t row1, col1, row2, col2;
    };
    const Row rows[] = {
        {"$B$3", "", 3, 2, 3, 2},
        {"c9:a1", "", 1, 1, 9, 3},
        {"A:C", "", 1, 1, spreadsheet::kMaxRows, 3},
        {"$2:$1", "", 1, 1, 2, spreadsheet::kMaxCols},
        {"Sheet2!A1:B2", "Sheet2", 1, 1, 2, 2},
        {"'X Output1'!B2:B5", "X Output1", 2, 2, 5, 2},
        {"'it''s'!IV16384", "it's", spreadsheet::kMaxRows, spreadsheet::kMaxCols, spreadsheet::kMaxRows,
         spreadsheet::kMaxCols},
        {"Donn\xC3\xA9" "es!A1", "Donn\xC3\xA9" "es", 1, 1, 1, 1},
    };
    for (const Row& r : rows) {
        const d::FormulaParseResult parsed = d::parseFormula(r.text);
        ASSERT_TRUE(parsed.formula) << r.text << ": " << parsed.problem;
        ASSERT_EQ(parsed.formula->refs.size(), 1u) << r.text;
        const d::FormulaRefPart& ref = parsed.formula->refs[0];
        EXPECT_EQ(ref.sheet, r.sheet) << r.text;
        EXPECT_EQ(std::vector<std::int32_t>({ref.row1, ref.col1, ref.row2, ref.col2}),
                  std::vector<std::int32_t>({r.row1, r.col1, r.row2, r.col2}))
            << r.text;
    }

    // A flat chain is one node holding all its operands, whatever its length.
    std::string chain = "1";
    for (int i = 0; i < 5000; ++i)
        chain += i % 2 == 0 ? "+2" : "-3";
    const d::FormulaParseResult flat = d::parseFormula(chain);
    ASSERT_TRUE(flat.formula);
    EXPECT_EQ(flat.formula->depth, 0);
    const d::FormulaNode& root = flat.formula->nodes[flat.formula->root()];
    EXPECT_EQ(root.kind, d::FormulaNode::Kind::Chain);
    EXPECT_EQ(root.count, 5001u);

    struct Refused {
        const char* text;
        bool tooLarge;
    };
    const std::string deep = std::string(1001, '(') + "1" + std::string(1001, ')');
    const std::string deepCalls = [] {
        std::string t;
        for (int i = 0; i < 1001; ++i)
            t += "SUM(";
        return t + "1" + std::string(1001, ')');
    }();
    const Refused refused[] = {
        {"", false}, {"1+", false}, {"A1:", false}, {"A1:B", false}, {"1:A", false}, {"A1 B1", false},
        {"SUM(1;2)", false}, {"1..2", false}, {"$Data", false}, {"'Sheet1'", false}, {"#ERR!", false},
        {deep.c_str(), true}, {deepCalls.c_str(), true},
    };
    for (const Refused& r : refused) {
        const d::FormulaParseResult parsed = d::parseFormula(r.text);
        EXPECT_FALSE(parsed.formula) << r.text;
        EXPECT_FALSE(parsed.problem.empty()) << r.text;
        EXPECT_EQ(parsed.tooLarge, r.tooLarge) << r.text;
    }
    EXPECT_TRUE(d::parseFormula(std::string(1000, '(') + "1" + std::string(1000, ')')).formula);
}

} // namespace
