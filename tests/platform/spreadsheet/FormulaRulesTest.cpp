// The evaluator's rules, one minimal case each, with the values LibreOffice
// Calc 7.4 gives for the same formulas over the same block; bad and huge
// formulas typed into a cell; and recalculation after edits.

#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/errors/Error.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/FormulaEval.h"
#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/FormulaParser.h"
#include "platform/spreadsheet/Workbook.h"
#include "tests/support/ErrorAssert.h"
#include "tests/support/TestSupport.h"

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
        {"a number past the largest", "=1E309", err(CellError::Num)},
        {"a number past the largest, multiplied by 0", "=1E309*0", err(CellError::Num)},
        {"a number past the smallest", "=1E-400", err(CellError::Num)},
        {"a number too small for all its digits", "=IF(1,2,1E-310)", err(CellError::Num)},
        {"a zero with a large exponent", "=0E400", Value(0)},
        {"a sum past the largest midway", "=SUM(1E308,1E308,-1E308)", Value(1e308)},
        {"a sum past the largest", "=SUM(1E308,1E308)", err(CellError::Num)},
        {"an average past the largest midway", "=AVERAGE(1E308,1E308,-1E308)", Value(1e308 / 3)},
        {"INT of a quotient a last bit short of a whole number", "=INT(9/0.00001)", Value(900000)},
        {"INT of a negative quotient", "=INT(-9/0.00001)", Value(-900000)},
        {"INT of a number exact to its last digit", "=INT(123456789012345.67)", Value(123456789012345.0)},
        {"INT of a tiny negative number", "=INT(-1E-300)", Value(-1)},
        {"a quotient equal to a whole number", "=9/0.00001=900000", yes},
        {"IF of one", "=IF(1)", yes},
        {"a left-out argument", "=SUM(1,)", Value(1)},
        {"MIN: a left-out argument is 0", "=MIN(1,)", Value(0)},
        {"MAX: a left-out argument is 0", "=MAX(-1,)", Value(0)},
        {"MAX: a left-out argument beside a text cell", "=MAX(A4,)", Value(0)},
        {"AVERAGE: a left-out argument counts", "=AVERAGE(1,)", Value(0.5)},
        {"COUNTA: a left-out argument counts", "=COUNTA(1,)", Value(2)},
        {"COUNTA: left-out arguments beside an empty cell", "=COUNTA(A5,,)", Value(2)},
        {"LEFT with a left-out count", "=LEFT(\"abc\",)", Value("")},
        {"LEFT of a left-out text", "=LEFT(,2)", Value("")},
        {"CONCATENATE: a left-out argument is no text", "=CONCATENATE(\"a\",,\"b\")", Value("ab")},
        {"IF: a left-out branch is empty", "=IF(1,)&\"x\"", Value("x")},
        {"a blank before a call's bracket", "=SUM (A1)", Value(2)},
        {"blanks beside a range's colon", "=SUM(A1 : A3)", Value(15)},
        {"a blank before a range's colon", "=SUM($A$1 :A3)", Value(15)},
        {"blanks beside whole columns' colon", "=COUNTA(A : A)", Value(15)},
        {"a tab and line breaks as blanks", "=SUM(A1,\tA2,\r\nA3\n)", Value(15)},
        {"small letters", "=sum(a1:a3)", Value(15)},
        {"a reference past the last row", "=E16385", err(CellError::Ref)},
        {"a reference past the last column", "=IW1+1", err(CellError::Ref)},
        {"a range past the last row", "=SUM(A1:A16385)", err(CellError::Ref)},
        {"another sheet's cell past the last row", "=Sheet1!A16385", err(CellError::Ref)},
        {"a marked reference past the last column", "=$IW$1", err(CellError::Ref)},
        {"COUNTA: a range past the last row counts as one error", "=COUNTA(A16384:A16385)", Value(1)},
        {"a cell's error before a written one", "=A8+#N/A", err(CellError::Div0)},
        {"a written error before a cell's", "=#N/A+A8", err(CellError::NA)},
        {"a computed error before a written one", "=#N/A+(1/0)", err(CellError::Div0)},
        {"a written error before a text", "=\"x\"+#REF!", err(CellError::Ref)},
        {"a cell's text before a written error", "=A4*#N/A", err(CellError::Value)},
        {"a comparison: a cell's error before a written one", "=A8=#N/A", err(CellError::Div0)},
        {"joined: a written error before a cell's", "=A8&#N/A", err(CellError::NA)},
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
    // A sum over cells passes the largest number midway and ends below it.
    wb.enterCell(1, 40, 5, "1E308");
    wb.enterCell(1, 41, 5, "1E308");
    wb.enterCell(1, 42, 5, "-1E308");
    wb.enterCell(1, 43, 5, "=SUM(E40:E42)");
    EXPECT_EQ(wb.cellValue(1, 43, 5), Value(1e308));
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
    std::string deepButFine = "=" + std::string(250, '(') + "1" + std::string(250, ')');
    std::string manySigns = "=" + std::string(10001, '-') + "2";
    std::string deepCalls = "=";
    for (int i = 0; i < 100; ++i)
        deepCalls += i % 2 == 0 ? "SUM(" : "-CONCATENATE(";
    deepCalls += "1" + std::string(100, ')');
    struct Row {
        const char* what;
        std::string entry;
        Value expected;
    };
    const Row rows[] = {
        {"8,000 terms of +", plusChain, Value(8000)},
        {"10,000 terms of &", joinChain, Value(std::string(10000, '2'))},
        {"250 nested brackets", deepButFine, Value(1)},
        {"10,001 signs", manySigns, Value(-2)},
        {"100 nested calls", deepCalls, Value(1)},
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
    EXPECT_NE(description.find("256 levels"), std::string::npos) << description;
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

    // Every formula on a circle shows #REF!, also one that reaches the circle
    // only through an IF branch not taken or a count, after its entry, a
    // recalculation, a retyping and each rebuild; a formula outside the
    // circle computes from what the cells hold.
    const char* thirds[] = {"=IF(1>0,7,C1)", "=COUNTA(C1)"};
    testsupport::TempDir dir;
    for (const char* third : thirds) {
        Workbook book;
        book.enterCell(1, 1, 6, "=COUNTA(D1)");
        book.enterCell(1, 2, 6, "=D1");
        book.enterCell(1, 1, 1, "=C1+D1");
        book.enterCell(1, 1, 3, "=A1");
        book.enterCell(1, 1, 4, third);
        const auto expectCircle = [&](const Workbook& b, std::int32_t row, const char* after) {
            for (const std::int32_t col : {1, 3, 4})
                EXPECT_EQ(b.cellValue(1, row, col), err(CellError::Ref)) << third << ": column " << col << " " << after;
            EXPECT_EQ(b.cellValue(1, row, 6), Value(1)) << third << ": a count of the circle " << after;
            EXPECT_EQ(b.cellValue(1, row + 1, 6), err(CellError::Ref)) << third << ": a reader of the circle " << after;
        };
        expectCircle(book, 1, "after its entry");
        book.CheckRecalc();
        expectCircle(book, 1, "after a recalculation");
        book.enterCell(1, 1, 4, third);
        expectCircle(book, 1, "typed again");
        book.insertRows(1, 1, 1);
        expectCircle(book, 2, "after a row inserted above");
        book.CopyRangeEx(1, 2, 1, 3, 6, book.SS(), 1, 2, 1, 3, 6);
        expectCircle(book, 2, "pasted over itself");
        const std::string path = dir.file("circle.vts").string();
        book.Write(path, static_cast<std::int32_t>(spreadsheet::FileType::Native));
        Workbook reopened;
        reopened.Read(path);
        expectCircle(reopened, 2, "saved and opened again");
    }

    // Formulas filled down share one reading of their text. A range with one
    // end fixed runs up from that end above it and down below it; the same
    // formulas on another sheet read that sheet; one retyped leaves the
    // others as they were; inserted rows move some of them and not others.
    {
        Workbook book;
        book.setNumSheets(2);
        for (std::int32_t s = 1; s <= 2; ++s) {
            for (std::int32_t r = 1; r <= 9; ++r) {
                const std::string row = std::to_string(r);
                book.setCellValue(s, r, 1, Value(100.0 * s + r));
                book.setCellFormula(s, r, 2, "SUM(A$5:A" + row + ")+$A$1");
                book.setCellFormula(s, r, 3, "Sheet2!A" + row + "*2-B$1+B" + row + "/2");
            }
        }
        const auto a = [&](std::int32_t s, std::int32_t r) { return book.cellValue(s, r, 1).number(); };
        const auto sumFromFive = [&](std::int32_t s, std::int32_t r) {
            double sum = a(s, 1);
            for (std::int32_t i = std::min(r, 5); i <= std::max(r, 5); ++i)
                sum += a(s, i);
            return sum;
        };
        // The formulas of column B in rows 1 to lastRow but those skipped.
        const auto expectFilled = [&](std::int32_t s, std::int32_t lastRow, std::vector<std::int32_t> skipped,
                                      const char* after) {
            for (std::int32_t r = 1; r <= lastRow; ++r) {
                if (std::find(skipped.begin(), skipped.end(), r) == skipped.end()) {
                    EXPECT_EQ(book.cellValue(s, r, 2), Value(sumFromFive(s, r))) << "sheet " << s << " row " << r << after;
                }
            }
        };
        for (std::int32_t s = 1; s <= 2; ++s) {
            expectFilled(s, 9, {}, " as filled");
            const double b1 = book.cellValue(s, 1, 2).number();
            for (std::int32_t r = 1; r <= 9; ++r)
                EXPECT_EQ(book.cellValue(s, r, 3), Value(a(2, r) * 2 - b1 + book.cellValue(s, r, 2).number() / 2))
                    << "sheet " << s << " row " << r;
        }
        book.setCellFormula(1, 3, 2, "A3*1000");
        EXPECT_EQ(book.cellValue(1, 3, 2), Value(a(1, 3) * 1000));
        expectFilled(1, 9, {3}, " after one was retyped");
        book.setCellValue(1, 5, 1, Value(-7));
        expectFilled(1, 9, {3}, " after a number they read changed");
        book.insertRows(1, 7, 2);
        EXPECT_EQ(book.cellFormula(1, 9, 2), "SUM(A$5:A9)+$A$1") << "moved with its row";
        expectFilled(1, 11, {3, 7, 8}, " after rows were inserted among them");
        expectFilled(2, 9, {}, " after rows were inserted on the other sheet");
    }

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

// The same value: the same kind and, for numbers, the same bits.
bool sameValue(const Value& a, const Value& b)
{
    if (a.isNumber() && b.isNumber())
        return std::bit_cast<std::uint64_t>(a.number()) == std::bit_cast<std::uint64_t>(b.number());
    return a == b;
}

std::string shown(const Value& v)
{
    std::ostringstream out;
    spreadsheet::PrintTo(v, &out);
    return out.str();
}

// Random edits over the top-left 6 x 6 cells of two to four sheets, from a
// small alphabet so that formulas read each other and often close circles:
// references within and across sheets, whole columns and rows, defined
// names (made, renamed, deleted), clears, inserted and deleted rows,
// columns, cells and sheets, copies, pastes, fills, sorts and
// recalculations. Each edit is returned as a line for the failure message.
class RandomEditor {
public:
    RandomEditor(Workbook& wb, std::uint32_t seed) : m_wb(wb), m_random(seed) {}

    std::string edit()
    {
        std::string done;
        try {
            done = tryEdit();
        } catch (const platform::Error& e) {
            done = m_attempt + " (refused: " + e.description() + ")";
        }
        return done;
    }

private:
    int pick(int n) { return static_cast<int>(m_random() % static_cast<unsigned>(n)); }
    int line() { return 1 + pick(6); }
    int sheet() { return 1 + pick(m_wb.NumSheets()); }
    std::string sheetPrefix(int s) const
    {
        const std::string& name = m_wb.SheetName(s);
        return name.find(' ') == std::string::npos ? name + "!" : "'" + name + "'!";
    }
    static std::string colLetter(int c) { return std::string(1, static_cast<char>('A' + c - 1)); }
    // Each draw stands in a statement of its own, so that a seed gives the
    // same edits whatever order a compiler evaluates operands in.
    std::string cell()
    {
        const std::string prefix = pick(5) == 0 ? sheetPrefix(sheet()) : "";
        const std::string dollar = pick(4) == 0 ? "$" : "";
        const int c = line(), r = line();
        return prefix + dollar + colLetter(c) + dollar + std::to_string(r);
    }
    std::string range()
    {
        const std::string prefix = pick(5) == 0 ? sheetPrefix(sheet()) : "";
        const int r = line(), c = line(), r2 = std::min(6, r + pick(3)), c2 = std::min(6, c + pick(3));
        return prefix + colLetter(c) + std::to_string(r) + ":" + colLetter(c2) + std::to_string(r2);
    }
    std::string name() { return kNames[static_cast<std::size_t>(pick(static_cast<int>(std::size(kNames))))]; }
    std::string formula()
    {
        const int shape = pick(14);
        const std::string a = cell(), b = cell(), c = cell(), area = range(), n = name();
        const int i = line(), j = line(), s = sheet();
        switch (shape) {
        case 0: return "=" + a + "+" + b;
        case 1: return "=IF(1>0,7," + a + ")";
        case 2: return "=COUNTA(" + a + ")";
        case 3: return "=SUM(" + area + ")";
        case 4: return "=SUM(" + colLetter(i) + ":" + colLetter(j) + ")";
        case 5: return "=COUNTA(" + std::to_string(i) + ":" + std::to_string(j) + ")";
        case 6: return "=" + sheetPrefix(s) + colLetter(i) + std::to_string(j) + "*2";
        case 7: return "=" + n + "+1";
        case 8: return "=SUM(" + n + ")";
        case 9: return "=IF(" + a + ">3," + b + "," + c + ")";
        case 10: return "=" + a + "&\"x\"";
        case 11: return "=MAX(" + area + ")-MIN(" + a + ")";
        case 12: return "=AVERAGE(" + area + ")";
        default: return "=" + a;
        }
    }
    std::string place(int s, int r, int c) const { return sheetPrefix(s) + colLetter(c) + std::to_string(r); }
    // Selects the sheet alone and a block of it.
    void select(int s, int r1, int c1, int r2, int c2)
    {
        m_wb.setSheet(s);
        for (int k = 1; k <= m_wb.NumSheets(); ++k)
            if (k != s)
                m_wb.setSheetSelected(k, false);
        m_wb.setSelection(r1, c1, r2, c2);
    }

    std::string tryEdit()
    {
        const int s = sheet(), r = line(), c = line();
        const int what = pick(100);
        if (what < 40 || what >= 94) {
            const std::string text = formula();
            m_attempt = place(s, r, c) + " " + text;
            m_wb.enterCell(s, r, c, text);
        } else if (what < 55) {
            const char* constants[] = {"0", "1", "2", "3", "5", "8", "-1.5", "abc", "TRUE"};
            const std::string text = constants[pick(static_cast<int>(std::size(constants)))];
            m_attempt = place(s, r, c) + " " + text;
            m_wb.enterCell(s, r, c, text);
        } else if (what < 60) {
            const int r2 = std::min(6, r + pick(2)), c2 = std::min(6, c + pick(2));
            m_attempt = "clear " + place(s, r, c) + ":" + colLetter(c2) + std::to_string(r2);
            m_wb.clearRange(s, spreadsheet::RangeRef{r, c, r2, c2});
        } else if (what < 65) {
            const std::string n = name();
            std::string refersTo;
            switch (pick(4)) {
            case 0: refersTo = sheetPrefix(s) + "$" + colLetter(c) + "$" + std::to_string(r); break;
            case 1: refersTo = sheetPrefix(s) + "$" + colLetter(c) + "$" + std::to_string(r) + ":$F$6"; break;
            case 2: refersTo = name() + "*2"; break;
            default: refersTo = "7"; break;
            }
            m_attempt = "name " + n + " = " + refersTo;
            m_wb.setDefinedName(n, refersTo);
        } else if (what < 67) {
            const std::string from = name(), to = name();
            m_attempt = "rename name " + from + " to " + to;
            m_wb.renameDefinedName(from, to);
        } else if (what < 68) {
            const std::string n = name();
            m_attempt = "delete name " + n;
            m_wb.deleteDefinedName(n);
        } else if (what < 72) {
            const int count = 1 + pick(2);
            const bool rows = pick(2) == 0;
            m_attempt = "insert " + std::to_string(count) + (rows ? " rows at " : " columns at ") + std::to_string(r) +
                        " on " + m_wb.SheetName(s);
            rows ? m_wb.insertRows(s, r, count) : m_wb.insertCols(s, r, count);
        } else if (what < 76) {
            const int count = 1 + pick(2);
            const bool rows = pick(2) == 0;
            m_attempt = "delete " + std::to_string(count) + (rows ? " rows at " : " columns at ") + std::to_string(r) +
                        " on " + m_wb.SheetName(s);
            rows ? m_wb.deleteRows(s, r, count) : m_wb.deleteCols(s, r, count);
        } else if (what < 78) {
            const int r2 = std::min(6, r + pick(2)), c2 = std::min(6, c + pick(2));
            select(s, r, c, r2, c2);
            const int how = pick(3);
            m_attempt = (how == 2 ? std::string("delete cells ") : "insert cells (" + std::to_string(how + 1) + ") ") +
                        place(s, r, c) + ":" + colLetter(c2) + std::to_string(r2);
            how == 2 ? m_wb.deleteSelectedCells() : m_wb.EditInsert(how + 1);
        } else if (what < 84) {
            const int from = sheet(), fr = line(), fc = line(), h = pick(3), w = pick(3);
            m_attempt = "copy " + place(from, fr, fc) + " +" + std::to_string(h) + "x" + std::to_string(w) + " to " +
                        place(s, r, c);
            m_wb.CopyRangeEx(s, r, c, r + h, c + w, m_wb.SS(), from, fr, fc, fr + h, fc + w);
        } else if (what < 86) {
            const int fr = line(), fc = line(), r2 = std::min(6, fr + pick(3)), c2 = std::min(6, fc + pick(3));
            m_attempt = "paste the text of " + place(s, fr, fc) + ":" + colLetter(c2) + std::to_string(r2) + " at " +
                        place(s, r, c);
            select(s, fr, fc, r2, c2);
            const std::string text = m_wb.Clip();
            m_wb.setSelection(r, c, r, c);
            m_wb.setClip(text);
        } else if (what < 88) {
            const int r2 = std::min(6, r + 1 + pick(3)), c2 = std::min(6, c + 1 + pick(3));
            const bool down = pick(2) == 0;
            m_attempt = std::string(down ? "fill down " : "fill right ") + place(s, r, c) + ":" + colLetter(c2) +
                        std::to_string(r2);
            select(s, r, c, r2, c2);
            down ? m_wb.EditCopyDown() : m_wb.EditCopyRight();
        } else if (what < 89) {
            m_attempt = "sort " + m_wb.SheetName(s) + "!A1:F6";
            select(s, 1, 1, 6, 6);
            m_wb.Sort3(1, 1, 6, 6, true, pick(2) == 0 ? c : -c, 0, 0);
        } else if (what < 91) {
            m_attempt = "recalculate";
            m_wb.CheckRecalc();
        } else if (what < 92) {
            const char* names[] = {"Sheet2", "Sheet3", "Data", "My Data"};
            const std::string to = names[pick(static_cast<int>(std::size(names)))];
            m_attempt = "rename sheet " + m_wb.SheetName(s) + " to " + to;
            for (int k = 1; k <= m_wb.NumSheets(); ++k)
                if (k != s && m_wb.SheetName(k) == to)
                    return m_attempt + " (taken)";
            m_wb.setSheetName(s, to);
        } else if (m_wb.NumSheets() < 4 && what < 93) {
            m_attempt = "insert a sheet at " + std::to_string(s);
            m_wb.InsertSheets(s, 1);
        } else if (m_wb.NumSheets() > 2) {
            m_attempt = "delete sheet " + m_wb.SheetName(s);
            select(s, 1, 1, 1, 1);
            m_wb.EditDeleteSheets();
        } else {
            m_attempt = "recalculate";
            m_wb.CheckRecalc();
        }
        return m_attempt;
    }

    static constexpr const char* kNames[] = {"Rate", "Base", "Span", "Top", "Cost"};
    Workbook& m_wb;
    std::mt19937 m_random;
    std::string m_attempt;
};

// A new book of the same sheets, cells and names, computed in full when
// first read.
Workbook copyOf(const Workbook& wb)
{
    Workbook fresh;
    fresh.setNumSheets(wb.NumSheets());
    // Names first: renaming a sheet rewrites the formulas that name it.
    for (std::int32_t s = 1; s <= wb.NumSheets(); ++s)
        fresh.setSheetName(s, wb.SheetName(s));
    for (std::int32_t s = 1; s <= wb.NumSheets(); ++s) {
        const std::int32_t rows = wb.lastUsedRow(s), cols = wb.lastUsedCol(s);
        if (rows > 0 && cols > 0)
            fresh.CopyRangeEx(s, 1, 1, rows, cols, wb, s, 1, 1, rows, cols);
    }
    fresh.replaceDefinedNames(wb.definedNames());
    return fresh;
}

// After any run of edits, circles included, every cell holds what a fresh
// book of the same contents gives, computed in full: a copy after every
// edit, and the book saved in our own format and opened again after every
// 50th.
TEST(FormulaRules, EditedBooksHoldWhatAFullRecalculationGives)
{
#if defined(__SANITIZE_ADDRESS__)
    constexpr int kEdits = 75;
#else
    constexpr int kEdits = 500;
#endif
    testsupport::TempDir dir;
    const std::string path = dir.file("book.vts").string();
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Workbook wb;
        wb.setNumSheets(3);
        RandomEditor editor(wb, seed);
        std::vector<std::string> done;
        // Whether the fresh book shows what the edited one did, cell by cell
        // over the used area; the first difference is reported.
        const auto holdsTheSame = [&](const std::vector<Value>& edited, const Workbook& fresh, const char* road) {
            if (fresh.NumSheets() != wb.NumSheets()) {
                ADD_FAILURE() << road << ": " << fresh.NumSheets() << " sheets, not " << wb.NumSheets();
                return false;
            }
            std::size_t i = 0;
            for (std::int32_t s = 1; s <= wb.NumSheets(); ++s) {
                const std::int32_t rows = std::max({6, wb.lastUsedRow(s), fresh.lastUsedRow(s)});
                const std::int32_t cols = std::max({6, wb.lastUsedCol(s), fresh.lastUsedCol(s)});
                for (std::int32_t r = 1; r <= rows; ++r) {
                    for (std::int32_t c = 1; c <= cols; ++c) {
                        const Value was = i < edited.size() ? edited[i] : Value();
                        ++i;
                        const Value full = fresh.cellValue(s, r, c);
                        if (sameValue(was, full) && wb.cellFormula(s, r, c) == fresh.cellFormula(s, r, c))
                            continue;
                        std::string last;
                        for (std::size_t k = done.size() > 20 ? done.size() - 20 : 0; k < done.size(); ++k)
                            last += "\n  " + std::to_string(k + 1) + ": " + done[k];
                        ADD_FAILURE() << "after edit " << done.size() << ", " << wb.SheetName(s) << " row " << r
                                      << " column " << c << " (=" << wb.cellFormula(s, r, c) << ") shows "
                                      << shown(was) << ", " << road << " " << shown(full) << " (="
                                      << fresh.cellFormula(s, r, c) << ")\nthe last edits:" << last;
                        return false;
                    }
                }
            }
            return true;
        };
        for (int step = 1; step <= kEdits; ++step) {
            done.push_back(editor.edit());
            // What the edited book shows, in the order holdsTheSame reads it.
            const Workbook copy = copyOf(wb);
            std::vector<Value> edited;
            for (std::int32_t s = 1; s <= wb.NumSheets(); ++s) {
                const std::int32_t rows = std::max({6, wb.lastUsedRow(s), copy.lastUsedRow(s)});
                const std::int32_t cols = std::max({6, wb.lastUsedCol(s), copy.lastUsedCol(s)});
                for (std::int32_t r = 1; r <= rows; ++r)
                    for (std::int32_t c = 1; c <= cols; ++c)
                        edited.push_back(wb.cellValue(s, r, c));
            }
            if (!holdsTheSame(edited, copy, "a copy computed in full shows"))
                break;
            if (step % 50 == 0) {
                wb.Write(path, static_cast<std::int32_t>(spreadsheet::FileType::Native));
                Workbook reopened;
                reopened.Read(path);
                if (!holdsTheSame(edited, reopened, "saved and opened again it shows"))
                    break;
            }
        }
    }
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Runs work on a thread whose stack is 1 MB (the sanitizers' larger frames
// get the default stack), so that a recursion deeper than that stack
// crashes the test.
void onSmallStack(const std::function<void()>& work)
{
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr), 0);
    if (!kSanitized) {
        ASSERT_EQ(pthread_attr_setstacksize(&attr, 1 << 20), 0);
    }
    pthread_t thread{};
    const auto run = [](void* w) -> void* {
        (*static_cast<const std::function<void()>*>(w))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&work)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

std::string repeated(std::string_view part, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += part;
    return out;
}

// The deepest formulas of every shape (each chain, sign, call and defined
// name one level) compute on a small stack; one level deeper is refused
// when typed and shows #NAME? set another way. Chains of names, each
// using the one before, are read with no recursion of their own.
TEST(FormulaRules, TheDeepestFormulasAndNamesComputeOnASmallStack)
{
    constexpr int kMax = spreadsheet::detail::kMaxFormulaDepth;
    const auto nested = [](std::string_view open, std::string_view inner, std::string_view close, int levels) {
        return repeated(open, levels) + std::string(inner) + repeated(close, levels);
    };
    // 1=1&1+1*1^(...) is five operator levels a bracket; the rest are calls.
    const auto operators = [&](int levels) {
        return nested("1=1&1+1*1^(", nested("SUM(", "1", ")", levels % 5), ")", levels / 5);
    };
    struct Row {
        const char* what;
        std::function<std::string(int)> formula;
        Value value;
    };
    const Row rows[] = {
        {"brackets", [&](int n) { return nested("(", "1", ")", n); }, Value(1)},
        {"sums", [&](int n) { return nested("SUM(", "1", ")", n); }, Value(1)},
        {"conditions", [&](int n) { return nested("IF(1,", "2", ",0)", n); }, Value(2)},
        {"texts", [&](int n) { return nested("CONCATENATE(\"a\",", "\"b\"", ")", n); },
         Value(repeated("a", kMax) + "b")},
        {"lengths", [&](int n) { return nested("LEN(", "\"abc\"", ")", n); }, Value(1)},
        {"every operator level", operators, Value::logical(false)},
        {"signs", [&](int n) { return nested("-(", "1", ")", n); }, Value(kMax % 2 == 0 ? 1 : -1)},
        {"a deep name inside a deep formula", [&](int n) { return nested("SUM(", "Deep", ")", n - 101); },
         Value(1)},
    };
    onSmallStack([&] {
        Workbook wb;
        // Deep holds 100 calls: 101 levels with the name itself.
        wb.setDefinedName("Deep", nested("SUM(", "1", ")", 100));
        wb.setDefinedName("Step1", "1");
        for (int i = 2; i <= 1500; ++i)
            wb.setDefinedName("Step" + std::to_string(i), "Step" + std::to_string(i - 1) + "+1");
        std::int32_t row = 1;
        for (const Row& r : rows) {
            wb.enterCell(1, row, 1, "=" + r.formula(kMax));
            EXPECT_EQ(wb.cellValue(1, row, 1), r.value) << r.what;
            const std::string deeper = "=" + r.formula(kMax + 1);
            if (std::string_view(r.what).starts_with("a deep name")) {
                // The name's depth counts only when the formula is computed.
                wb.enterCell(1, row, 2, deeper);
                EXPECT_EQ(wb.cellValue(1, row, 2), Value::error(CellError::Name)) << r.what;
            } else {
                EXPECT_EQ(testsupport::errorNumber([&] { wb.enterCell(1, row, 2, deeper); }), 5) << r.what;
            }
            wb.setCellFormula(1, row, 3, deeper);
            EXPECT_EQ(wb.cellValue(1, row, 3), Value::error(CellError::Name)) << r.what;
            ++row;
        }
        // Each step of the chain is a name and a sum: two levels.
        wb.setCellFormula(1, row, 1, "Step100");
        wb.setCellFormula(1, row, 2, "STEP1500");
        wb.setCellFormula(1, row, 3, "Step" + std::to_string(kMax / 2));
        wb.setCellFormula(1, row, 4, "Step" + std::to_string(kMax / 2 + 1));
        EXPECT_EQ(wb.cellValue(1, row, 1), Value(100));
        EXPECT_EQ(wb.cellValue(1, row, 2), Value::error(CellError::Name));
        EXPECT_EQ(wb.cellValue(1, row, 3), Value(kMax / 2));
        EXPECT_EQ(wb.cellValue(1, row, 4), Value::error(CellError::Name));
    });
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
        // Read for a cell, it holds its relative ends from there, and reads
        // from that cell what it reads as written.
        const d::FormulaParseResult ofCell = d::parseFormulaOfCell(r.text, 7000, 200);
        ASSERT_TRUE(ofCell.formula) << r.text;
        const d::FormulaRefEnds e = ofCell.formula->refs[0].endsAt(7000, 200);
        EXPECT_EQ(std::vector<std::int32_t>({e.row1, e.col1, e.row2, e.col2}),
                  std::vector<std::int32_t>({r.row1, r.col1, r.row2, r.col2}))
            << r.text << " read for a cell";
    }

    // Formulas of one shape: the same tokens once relative ends are taken
    // from the formula's cell; anything else the parser reads tells them apart.
    struct Shapes {
        const char* first;
        std::int32_t row1, col1;
        const char* second;
        std::int32_t row2, col2;
        bool same;
    };
    const Shapes shapes[] = {
        {"($A1-$B1)/($A1+$B1+1)", 1, 3, "($A9-$B9)/($a9+$b9 + 1)", 9, 3, true},
        {"SUM($A1:$B10)", 1, 3, "SUM($A2:$B11)", 2, 7, true},
        {"A$5:A3", 3, 2, "A$5:A12", 12, 2, true},
        {"$A$1", 1, 1, "$A$1", 5, 5, true},
        {"$A$1", 1, 1, "$A$2", 2, 1, false},
        {"B:B", 1, 3, "C:C", 70, 4, true},
        {"$B:$B", 1, 3, "$B:$B", 1, 4, true},
        {"B:B", 1, 3, "B:B", 1, 4, false},
        {"$2:$3", 1, 1, "$2:$3", 9, 9, true},
        {"2:3", 1, 1, "3:4", 2, 1, true},
        {"Sheet2!A1", 1, 2, "Sheet2!A2", 2, 2, true},
        {"Sheet2!A1", 1, 2, "Sheet3!A2", 2, 2, false},
        {"SUM (A1)", 1, 2, "SUM(A2)", 2, 2, true},
        {"A1", 1, 2, "A1", 2, 2, false},
        {"E16385", 1, 1, "E16386", 2, 1, false},
        {"IV1+1", 1, 1, "IV2+1", 2, 1, true},
        {"X1+\"a\"", 1, 1, "X2+\"b\"", 2, 1, false},
        {"A1B+1", 1, 1, "A1B+1", 2, 1, true},
        {"1E309+A1", 1, 2, "1E308+A2", 2, 2, false},
        {"$A$1*2+1", 1, 3, "$A$1*2+2", 2, 3, false},
    };
    for (const Shapes& r : shapes) {
        std::string first;
        std::string second;
        ASSERT_TRUE(d::formulaShape(r.first, r.row1, r.col1, first)) << r.first;
        ASSERT_TRUE(d::formulaShape(r.second, r.row2, r.col2, second)) << r.second;
        EXPECT_EQ(first == second, r.same) << r.first << " / " << r.second;
    }

    // A flat chain is one node holding all its operands, whatever its length.
    std::string chain = "1";
    for (int i = 0; i < 5000; ++i)
        chain += i % 2 == 0 ? "+2" : "-3";
    const d::FormulaParseResult flat = d::parseFormula(chain);
    ASSERT_TRUE(flat.formula);
    EXPECT_EQ(flat.formula->depth, 1);
    const d::FormulaNode& root = flat.formula->nodes[flat.formula->root()];
    EXPECT_EQ(root.kind, d::FormulaNode::Kind::Chain);
    EXPECT_EQ(root.count, 5001u);

    struct Refused {
        const char* text;
        bool tooLarge;
    };
    const std::string deep = std::string(257, '(') + "1" + std::string(257, ')');
    const std::string deepCalls = [] {
        std::string t;
        for (int i = 0; i < 257; ++i)
            t += "SUM(";
        return t + "1" + std::string(257, ')');
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
    EXPECT_TRUE(d::parseFormula(std::string(256, '(') + "1" + std::string(256, ')')).formula);
}

} // namespace
