#include <gtest/gtest.h>

#include <filesystem>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/spreadsheet/FormulaText.h"
#include "platform/spreadsheet/Workbook.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::CellError;
using spreadsheet::Value;
using spreadsheet::ValueTable;
using spreadsheet::Workbook;
namespace detail = spreadsheet::detail;

void column(Workbook& wb, std::initializer_list<double> values)
{
    int r = 1;
    for (double v : values)
        wb.setCellValue(1, r++, 1, Value(v));
}

TEST(Formula, EnteredWithOrWithoutEqualsAndRecalculatedAfterEdits)
{
    Workbook wb;
    column(wb, {1, 2, 3});
    wb.setCellEntry(1, 4, 1, "=SUM(A1:A3)");
    wb.setSelection(5, 1, 5, 1);
    wb.setFormula("Sum(A1:A3)*2");  // the program's own form: no "=", any case
    EXPECT_EQ(wb.cellValue(1, 4, 1), Value(6));
    EXPECT_EQ(wb.cellValue(1, 5, 1), Value(12));
    EXPECT_EQ(wb.cellFormula(1, 5, 1), "SUM(A1:A3)*2");
    EXPECT_EQ(wb.cellEntryText(1, 4, 1), "=SUM(A1:A3)");
    // Blanks, tabs and line breaks stay as typed, and the text typed again
    // gives the same formula.
    wb.enterCell(1, 6, 1, "=sum (a1 :\ta3,\r\n4)");
    EXPECT_EQ(wb.cellValue(1, 6, 1), Value(10));
    const std::string entry = wb.cellEntryText(1, 6, 1);
    const std::string formula = wb.cellFormula(1, 6, 1);
    EXPECT_EQ(entry, "=SUM (A1:A3,\r\n4)");
    wb.enterCell(1, 6, 1, entry);
    EXPECT_EQ(wb.cellFormula(1, 6, 1), formula);

    wb.setCellValue(1, 2, 1, Value(20));
    EXPECT_EQ(wb.cellValue(1, 4, 1), Value(24));
    ValueTable t(1, 2);
    wb.CopyDataToArray(1, 4, 1, 5, 1, true, t);  // reads results, not texts
    EXPECT_EQ(t.at(0, 0), Value(24));
}

TEST(Formula, ReferencesFollowRowAndColumnInsertion)
{
    Workbook wb;
    column(wb, {1, 2, 3});
    wb.setCellFormula(1, 4, 1, "SUM(A1:A3)");
    wb.setCellFormula(1, 1, 3, "$A$3+A1");

    wb.insertRows(1, 2, 2);  // inside the summed block: it grows
    EXPECT_EQ(wb.cellFormula(1, 6, 1), "SUM(A1:A5)");
    EXPECT_EQ(wb.cellFormula(1, 1, 3), "$A$5+A1");
    wb.setCellValue(1, 2, 1, Value(10));
    EXPECT_EQ(wb.cellValue(1, 6, 1), Value(16));
    EXPECT_EQ(wb.cellValue(1, 1, 3), Value(4));

    wb.insertCols(1, 1, 1);
    EXPECT_EQ(wb.cellFormula(1, 6, 2), "SUM(B1:B5)");
    EXPECT_EQ(wb.cellValue(1, 6, 2), Value(16));

    wb.deleteRows(1, 5, 1);  // the row that held 3
    EXPECT_EQ(wb.cellFormula(1, 5, 2), "SUM(B1:B4)");
    EXPECT_EQ(wb.cellFormula(1, 1, 4), "#REF!+B1");
    EXPECT_EQ(wb.cellValue(1, 5, 2), Value(13));
    EXPECT_TRUE(wb.cellValue(1, 1, 4).isError());
}

TEST(Formula, ReferencesFromOtherSheetsFollowInsertion)
{
    Workbook wb;
    wb.setNumSheets(2);
    wb.setSheetName(1, "X Output1");
    wb.setCellValue(1, 1, 1, Value(5));
    wb.setCellFormula(2, 1, 1, "'X Output1'!A1*2");
    EXPECT_EQ(wb.cellValue(2, 1, 1), Value(10));
    wb.insertRows(1, 1, 1);
    EXPECT_EQ(wb.cellFormula(2, 1, 1), "'X Output1'!A2*2");
    EXPECT_EQ(wb.cellValue(2, 1, 1), Value(10));
    wb.insertRows(2, 1, 1);  // the formula's own sheet: its reference to sheet 1 stays
    EXPECT_EQ(wb.cellFormula(2, 2, 1), "'X Output1'!A2*2");
}

TEST(Formula, ErrorsAreCellValuesNotExceptions)
{
    Workbook wb;
    wb.setCellFormula(1, 1, 1, "1/0");
    wb.setCellFormula(1, 1, 2, "NOSUCHFUNCTION(1)");
    wb.setCellFormula(1, 1, 3, "SUM(");
    wb.setCellFormula(1, 2, 1, "B2+1");
    wb.setCellFormula(1, 2, 2, "A2+1");  // a circle
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value::error(CellError::Div0));
    EXPECT_TRUE(wb.cellValue(1, 1, 2).isError());
    EXPECT_TRUE(wb.cellValue(1, 1, 3).isError());
    EXPECT_TRUE(wb.cellValue(1, 2, 1).isError());
}

TEST(Formula, CopyRangeExMovesRelativeReferences)
{
    Workbook wb;
    column(wb, {1, 2});
    wb.setCellValue(1, 1, 2, Value(10));
    wb.setCellValue(1, 2, 2, Value(20));
    wb.setCellFormula(1, 3, 1, "A1+$A$2");
    wb.CopyRangeEx(1, 3, 2, 3, 2, wb.SS(), 1, 3, 1, 3, 1);
    EXPECT_EQ(wb.cellFormula(1, 3, 2), "B1+$A$2");
    EXPECT_EQ(wb.cellValue(1, 3, 2), Value(12));
}

TEST(FormulaText, RewritesOnlyReferences)
{
    struct Row {
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"sum(a1:b2)", "SUM(A2:B3)"},
        {"\"A1\"&A1", "\"A1\"&A2"},           // text in quotes stays
        {"LOG10(A1)", "LOG10(A2)"},           // a function name is no reference
        {"1E+5*A1", "1E+5*A2"},               // nor is a number's exponent
        {"Sheet2!A1+'My sheet'!$B$3", "Sheet2!A2+'My sheet'!$B$4"},
        {"IV16384", "#REF!"},                 // pushed off the sheet
        {"$A1+A$1", "$A2+A$2"},
    };
    const auto edit = detail::insertRowsEdit([](const std::string&) { return true; }, 1, 1);
    for (const Row& r : rows)
        EXPECT_EQ(detail::rewriteFormulaRefs(r.in, edit), r.out) << r.in;
    EXPECT_EQ(detail::rewriteFormulaRefs("sum(a1:b2)"), "SUM(A1:B2)");
}

TEST(FormulaText, DeleteShrinksRangesAndKillsLoneReferences)
{
    const auto del = detail::deleteRowsEdit([](const std::string&) { return true; }, 3, 2);  // rows 3-4
    struct Row {
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"A1:A10", "A1:A8"}, {"A3:A4", "#REF!"}, {"A4:A6", "A3:A4"}, {"A2:A3", "A2:A2"}, {"A5", "A3"}, {"A2", "A2"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(detail::rewriteFormulaRefs(r.in, del), r.out) << r.in;
}

TEST(FormulaText, WholeColumnsAndRowsMoveAcrossTheLinesTheySpan)
{
    const auto all = [](const std::string&) { return true; };
    struct Row {
        const char* what;
        detail::RefEdit edit;
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"a column inserted before", detail::insertColsEdit(all, 2, 1), "SUM(B:C)+$B:$B", "SUM(C:D)+$C:$C"},
        {"rows inserted", detail::insertRowsEdit(all, 1, 2), "SUM(B:C)+COUNTA(2:$3)", "SUM(B:C)+COUNTA(4:$5)"},
        {"a column deleted inside", detail::deleteColsEdit(all, 3, 1), "SUM(B:D)", "SUM(B:C)"},
        {"the only column deleted", detail::deleteColsEdit(all, 2, 1), "SUM(B:B)+1", "SUM(#REF!)+1"},
        {"rows deleted", detail::deleteRowsEdit(all, 1, 1), "SUM(A:A)+SUM(2:3)", "SUM(A:A)+SUM(1:2)"},
        {"copied one down and one right", detail::offsetEdit(1, 1), "SUM(A:A)+SUM(1:$1)+SUM($A:$A)",
         "SUM(B:B)+SUM(2:$1)+SUM($A:$A)"},
        {"on another sheet", detail::insertColsEdit(all, 1, 1), "'My data'!A:A+Sheet2!1:2",
         "'My data'!B:B+Sheet2!1:2"},
        {"cells shifted down in part of the sheet", detail::insertCellsEdit(all, detail::ShiftAlong::Rows, 1, 1, 1, 3),
         "SUM(A:A)+A1", "SUM(A:A)+A2"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(detail::rewriteFormulaRefs(r.in, r.edit), r.out) << r.what;
    EXPECT_EQ(detail::rewriteFormulaRefs("sum(b:c)+\"A:A\"&iw:iw"), "SUM(B:C)+\"A:A\"&iw:iw") << "only columns of the sheet";

    Workbook wb;
    column(wb, {1, 2, 3});
    wb.setCellFormula(1, 1, 3, "SUM(A:A)*10+COUNTA(2:3)");
    EXPECT_EQ(wb.cellValue(1, 1, 3), Value(62));
    wb.insertCols(1, 1, 1);
    EXPECT_EQ(wb.cellFormula(1, 1, 4), "SUM(B:B)*10+COUNTA(2:3)");
    EXPECT_EQ(wb.cellValue(1, 1, 4), Value(62)) << "the data moved with its column";
    wb.insertRows(1, 1, 1);
    EXPECT_EQ(wb.cellFormula(1, 2, 4), "SUM(B:B)*10+COUNTA(3:4)");
    EXPECT_EQ(wb.cellValue(1, 2, 4), Value(62)) << "and with its rows";
}

TEST(FormulaText, SheetNamesAreQuotedWhenNeeded)
{
    EXPECT_EQ(detail::quoteSheetName("Sheet1"), "Sheet1");
    EXPECT_EQ(detail::quoteSheetName("X Output1"), "'X Output1'");
    EXPECT_EQ(detail::quoteSheetName("it's"), "'it''s'");
    EXPECT_EQ(detail::quoteSheetName("AB1"), "'AB1'");
    EXPECT_EQ(detail::quoteSheetName("1st"), "'1st'");
}

// The rewriting reads a formula as the parser does: words that only look
// like references in texts, names, functions and error values stay as
// they are; broken formulas keep what cannot be read and never fault.
TEST(FormulaText, ReadsFormulasAsTheParserReadsThem)
{
    struct Row {
        const char* what;
        const char* in;
        const char* moved;    // copied one row down and one column right
        const char* renamed;  // every defined name written <so>
    };
    const Row rows[] = {
        {"a reference inside a text", "\"A1\"&A1&\"Sheet2!B2\"", "\"A1\"&B2&\"Sheet2!B2\"", "\"A1\"&A1&\"Sheet2!B2\""},
        {"a sheet name holding !", "'a!b'!A1+1", "'a!b'!B2+1", "'a!b'!A1+1"},
        {"a sheet name holding a quote", "'It''s'!A1", "'It''s'!B2", "'It''s'!A1"},
        {"a sheet named like a cell", "AB1!a1", "'AB1'!B2", "'AB1'!A1"},
        {"names shaped almost like cells", "A1B+R1C1*IW1+A1", "A1B+R1C1*IW1+B2", "<A1B>+<R1C1>*<IW1>+A1"},
        {"whole columns and rows after a sheet name", "SUM(Sheet2!b:$C)+'My data'!1:$2",
         "SUM(Sheet2!C:$C)+'My data'!2:$2", "SUM(Sheet2!B:$C)+'My data'!1:$2"},
        {"a function named like a cell", "log10(A1)+LOG10", "LOG10(B2)+LOG10", "LOG10(A1)+<LOG10>"},
        {"error values are no names", "IF(A1,#N/A,#DIV/0!)&#NAME?", "IF(B2,#N/A,#DIV/0!)&#NAME?",
         "IF(A1,#N/A,#DIV/0!)&#NAME?"},
        {"logical words in any case", "tRuE+false", "TRUE+FALSE", "TRUE+FALSE"},
        {"numbers with exponents", "1e-5*A1+.5e3", "1E-5*B2+.5E3", "1E-5*A1+.5E3"},
        {"spaces kept", " SUM( A1 , x ) ", " SUM( B2 , x ) ", " SUM( A1 , <x> ) "},
        {"blanks before a bracket and beside a colon", "sum (a1 :\t$B$2,\n\tc:c\r\n)", "SUM (B2:$B$2,\n\tD:D\r\n)",
         "SUM (A1:$B$2,\n\tC:C\r\n)"},
        {"a name before a bracket", "x (1)+A1", "X (1)+B2", "X (1)+A1"},
        {"cells past the sheet's last row", "E16385+A1:A16385", "E16385+A1:A16385", "<E16385>+A1:A16385"},
        {"an unclosed call", "sum(A1,", "SUM(B2,", "SUM(A1,"},
        {"a range to no cell", "A8:2+A1", "A8:2+B2", "A8:2+A1"},
        {"a lone $", "1+$+A1", "1+$+B2", "1+$+A1"},
        {"a stray quote and !", "A1'+A1!", "B2'+A1!", "A1'+A1!"},
        {"an unclosed sheet quote", "A1+'Sheet 2!A1", "B2+'Sheet 2!A1", "A1+'Sheet 2!A1"},
        {"an unclosed text", "x&\"A1", "x&\"A1", "<x>&\"A1"},
        {"an empty sheet name", "''!''!A1", "''!''!B2", "''!''!A1"},
        {"a quoted sheet straight after a word", "x'Ot'!A1+e''!A1", "x'Ot'!A1+e''!B2", "<x>'Ot'!A1+<e>''!A1"},
    };
    const auto moved = detail::offsetEdit(1, 1);
    const detail::NameEdit renamed = [](std::string_view w) { return "<" + std::string(w) + ">"; };
    for (const Row& r : rows) {
        EXPECT_EQ(detail::rewriteFormulaRefs(r.in, moved), r.moved) << r.what;
        EXPECT_EQ(detail::rewriteFormulaNames(r.in, renamed), r.renamed) << r.what;
    }

    // Any cut of a formula still reads: its tokens come in order, each at
    // least one character long, with nothing but blanks between them.
    const std::string tricky =
        "SUM('It''s'!A1 :\t$B$2, \"x\"\"y\",\r\nSheet2!C:C)&#N/A+1E-5*-A8:2/LOG10 (1 : 3)";
    for (std::size_t n = 0; n <= tricky.size(); ++n) {
        const std::string cut = tricky.substr(0, n);
        std::size_t at = 0;
        for (const detail::FormulaToken& t : detail::lexFormula(cut)) {
            ASSERT_GE(t.begin, at) << cut;
            ASSERT_GT(t.end, t.begin) << cut;
            ASSERT_LE(t.end, cut.size()) << cut;
            EXPECT_EQ(cut.find_first_not_of(" \t\r\n", at), t.begin) << cut;
            at = t.end;
        }
        EXPECT_EQ(cut.find_first_not_of(" \t\r\n", at), std::string::npos) << cut;
        EXPECT_NO_THROW((void)detail::rewriteFormulaRefs(cut, moved)) << cut;
        EXPECT_NO_THROW((void)detail::rewriteFormulaNames(cut, renamed)) << cut;
    }
}

} // namespace

namespace {

TEST(Formula, RenamingASheetKeepsFormulasPointingAtIt)
{
    Workbook wb;
    wb.setNumSheets(2);
    wb.setCellValue(2, 1, 1, Value(3));
    wb.setCellFormula(1, 1, 1, "Sheet2!A1*2");
    wb.setSheetName(2, "PC Score");
    EXPECT_EQ(wb.cellFormula(1, 1, 1), "'PC Score'!A1*2");
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value(6));
}

} // namespace

namespace {

TEST(Formula, CommonFunctionsAndResultKinds)
{
    Workbook wb;
    column(wb, {2, 4, 9});
    struct Row {
        const char* formula;
        Value expected;
    };
    const Row rows[] = {
        {"AVERAGE(A1:A3)", Value(5)},
        {"MAX(A1,A2,A3)-MIN(A1,A2,A3)", Value(7)},
        {"\"n=\"&A1", Value("n=2")},
        {"IF(A1>1,10,20)", Value(10)},
        {"(A1+A2)*A3/2", Value(27)},
    };
    int col = 3;
    for (const Row& r : rows) {
        wb.setCellFormula(1, 1, col, r.formula);
        EXPECT_EQ(wb.cellValue(1, 1, col), r.expected) << r.formula;
        ++col;
    }
}

TEST(Formula, ColumnDeletionAcrossSheetsKeepsReferencesRight)
{
    Workbook wb;
    wb.setNumSheets(2);
    wb.setCellValue(1, 1, 3, Value(8));
    wb.setCellFormula(2, 1, 1, "Sheet1!C1+Sheet1!A1");
    wb.deleteCols(1, 1, 1);
    EXPECT_EQ(wb.cellFormula(2, 1, 1), "Sheet1!B1+#REF!");
    wb.setCellFormula(2, 1, 1, "Sheet1!B1*2");
    wb.insertCols(1, 1, 2);
    EXPECT_EQ(wb.cellFormula(2, 1, 1), "Sheet1!D1*2");
    EXPECT_EQ(wb.cellValue(2, 1, 1), Value(16));
}

} // namespace

namespace {

TEST(Formula, FunctionTheEngineLacksGivesNameErrorToItsUsersOnly)
{
    Workbook wb;
    column(wb, {2, 4, 9});
    wb.setCellFormula(1, 1, 2, "SQRT(A3)");  // not evaluated
    wb.setCellFormula(1, 1, 3, "B1+1");      // uses it
    wb.setCellFormula(1, 2, 3, "C1*2");      // uses it through C1
    wb.setCellFormula(1, 1, 4, "SUM(A1:A3)");
    EXPECT_EQ(wb.cellValue(1, 1, 2), Value::error(CellError::Name));
    EXPECT_EQ(wb.cellValue(1, 1, 3), Value::error(CellError::Name)) << "not read as 0";
    EXPECT_EQ(wb.cellValue(1, 2, 3), Value::error(CellError::Name));
    EXPECT_EQ(wb.cellValue(1, 1, 4), Value(15)) << "other formulas still compute";
}

} // namespace

namespace {

using spreadsheet::WorkbookOptions;

WorkbookOptions manual()
{
    WorkbookOptions o;
    o.autoRecalc = false;
    return o;
}

} // namespace

TEST(Formula, ManualRecalculationKeepsResultsUntilCheckRecalc)
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value(2));
    wb.setCellEntry(1, 2, 1, "=A1*10");
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value(20));
    const bool changedBefore = wb.isChanged();
    wb.setOptions(manual());
    EXPECT_EQ(wb.isChanged(), changedBefore) << "options are not workbook content";

    wb.setCellValue(1, 1, 1, Value(3));
    wb.setCellEntry(1, 3, 1, "=A1+1");
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value(20)) << "the result as it stood";
    EXPECT_TRUE(wb.cellValue(1, 3, 1).isEmpty()) << "a new formula waits for the recalculation";
    ValueTable table(1, 1);
    wb.CopyDataToArray(1, 2, 1, 2, 1, true, table);
    EXPECT_EQ(table.at(0, 0), Value(20)) << "blocks read what the sheet shows";

    wb.CheckRecalc();
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value(30));
    EXPECT_EQ(wb.cellValue(1, 3, 1), Value(4));

    // Back to automatic: results are current again at once.
    wb.setCellValue(1, 1, 1, Value(5));
    wb.setOptions(WorkbookOptions{});
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value(50));
}

TEST(Formula, FilesAreWrittenAndReadWithCurrentResultsUnderManualRecalculation)
{
    testsupport::TempDir dir;
    const std::string path = (dir.path() / "manual.xls").string();
    Workbook wb;
    wb.setOptions(manual());
    wb.setCellValue(1, 1, 1, Value(7));
    wb.setCellEntry(1, 1, 2, "=A1*2");
    wb.Write(path, static_cast<std::int32_t>(spreadsheet::FileType::Excel97));
    EXPECT_EQ(wb.cellValue(1, 1, 2), Value(14)) << "writing computed the results it wrote";

    Workbook back;
    back.setOptions(manual());
    back.Read(path);
    EXPECT_EQ(back.cellValue(1, 1, 2), Value(14));
}

TEST(Formula, StrayBytesFromADamagedFileNeverReachTheEngine)
{
    using namespace std::string_literals;
    Workbook book;
    book.setNumSheets(2);
    book.setSheetName(2, "Donn\xC3\xA9"s + "es");  // valid UTF-8 stays usable
    book.setCellValue(2, 1, 1, Value(4.0));
    book.setCellValue(1, 1, 1, Value(1.5));
    struct Case {
        const char* what;
        std::string formula;
        Value expected;
    };
    const Case cases[] = {
        {"a plain formula", "A1*2", Value(3.0)},
        {"a sheet named in UTF-8", "'Donn\xC3\xA9" "es'!A1+1", Value(5.0)},
        {"a NUL byte", "SUM(A1\0A1)"s, Value::error(CellError::Name)},
        {"a control character", "A1\x01+1", Value::error(CellError::Name)},
        {"a line break and a tab, read as blanks", "A1\r\n+\t1", Value(2.5)},
        {"a lone continuation byte", "A1+\x9E", Value::error(CellError::Name)},
        {"an impossible byte", "A1+\xFF", Value::error(CellError::Name)},
        {"a sequence cut short at the end", "A1&\"\xE2\x82\"", Value::error(CellError::Name)},
        {"an overlong form", "A1&\"\xC0\xAF\"", Value::error(CellError::Name)},
        {"a long run of stray bytes", "SUM(Da" + std::string(4000, '\0') + "ta)", Value::error(CellError::Name)},
    };
    std::int32_t row = 2;
    for (const Case& c : cases)
        book.setCellFormula(1, row++, 2, c.formula);
    row = 2;
    for (const Case& c : cases)
        EXPECT_EQ(book.cellValue(1, row++, 2), c.expected) << c.what;

    // A sheet whose name no formula can spell keeps the others working.
    book.setSheetName(2, "Bad\x16");
    book.setCellFormula(1, 20, 1, "A1+1");
    EXPECT_EQ(book.cellValue(1, 20, 1), Value(2.5));
}

namespace {

// A comparison gives a logical, not a number, in the cell, in what the grid
// shows, and in every file we write and read.
TEST(Formula, ComparisonsGiveLogicals)
{
    Workbook wb;
    for (int r = 1; r <= 3; ++r)
        wb.setCellValue(1, r, 1, Value(r == 1 ? 2 : r == 2 ? 4 : 9));
    struct Row {
        const char* formula;
        Value expected;
    };
    const Row rows[] = {
        {"A1>A2", Value::logical(false)},
        {"A2>A1", Value::logical(true)},
        {"(A3>=A2)", Value::logical(true)},
        {"A1=2", Value::logical(true)},
        {"A1<>2", Value::logical(false)},
        {"A1+A2<=A3-3", Value::logical(true)},
        {"SUM(A1:A3)>10", Value::logical(true)},
        {"\"a\"&A1=\"a2\"", Value::logical(true)},
        {"((A1+1)*2)<(A2*2)", Value::logical(true)},
        // A comparison inside a larger number stays a number.
        {"(A1>A2)+0", Value(0)},
        {"(A2>A1)*5", Value(5)},
        {"IF(A1>A2,10,20)", Value(20)},
        {"(A1)+(A2)", Value(6)},
        {"SUM(A1:A3)", Value(15)},
    };
    testsupport::TempDir dir;
    std::int32_t col = 3;
    for (const Row& r : rows) {
        wb.setCellFormula(1, 1, col, r.formula);
        EXPECT_EQ(wb.cellValue(1, 1, col), r.expected) << r.formula;
        ++col;
    }
    wb.setSelection(1, 3, 1, 3);
    EXPECT_EQ(wb.Text(), "FALSE");
    wb.setSelection(1, 4, 1, 4);
    EXPECT_EQ(wb.Text(), "TRUE");
    for (const auto type : {spreadsheet::FileType::Excel97, spreadsheet::FileType::Excel5}) {
        SCOPED_TRACE(static_cast<int>(type));
        const std::string path = dir.file("logical.xls").string();
        wb.Write(path, static_cast<std::int32_t>(type));
        Workbook back;
        back.Read(path);
        col = 3;
        for (const Row& r : rows) {
            EXPECT_EQ(back.cellValue(1, 1, col), r.expected) << r.formula;
            ++col;
        }
    }
    const std::string text = dir.file("logical.txt").string();
    wb.Write(text, static_cast<std::int32_t>(spreadsheet::FileType::TextValuesOnly));
    EXPECT_EQ(testsupport::readFile(text).substr(0, 30), "2\t\tFALSE\tTRUE\tTRUE\tTRUE\tFALSE\t");
}

} // namespace

namespace {

// A number turned into text by &, CONCATENATE, LEN or LEFT reads as the cell
// shows it in the General format, up to 15 significant digits; a logical
// value as TRUE or FALSE, an empty cell as no text.
TEST(Formula, NumbersAndLogicalsTurnedIntoTextReadAsTheCellShowsThem)
{
    struct Row {
        const char* entry;  // in column A
        const char* joined; // A&""
        double length;      // LEN(A)
        const char* left4;  // LEFT(A,4)
        const char* id;     // CONCATENATE("ID",A)
    };
    // LibreOffice 7.4 gives the same down to 0: its values.
    const Row rows[] = {
        {"12345678", "12345678", 8, "1234", "ID12345678"},
        {"1234567", "1234567", 7, "1234", "ID1234567"},
        {"123456789012345", "123456789012345", 15, "1234", "ID123456789012345"},
        {"123456789012345.6", "123456789012346", 15, "1234", "ID123456789012346"},
        {"99999999999999.9", "99999999999999.9", 16, "9999", "ID99999999999999.9"},
        {"=10000000/3", "3333333.33333333", 16, "3333", "ID3333333.33333333"},
        {"=1/3", "0.333333333333333", 17, "0.33", "ID0.333333333333333"},
        {"=-1/3", "-0.333333333333333", 18, "-0.3", "ID-0.333333333333333"},
        {"=0.1+0.2", "0.3", 3, "0.3", "ID0.3"},
        {"-1234.5678", "-1234.5678", 10, "-123", "ID-1234.5678"},
        {"0.000123456789012345", "0.000123456789012345", 20, "0.00", "ID0.000123456789012345"},
        {"1.5E+300", "1.5E+300", 8, "1.5E", "ID1.5E+300"},
        {"-1E-300", "-1E-300", 7, "-1E-", "ID-1E-300"},
        {"0", "0", 1, "0", "ID0"},
        // The cell's General text; LibreOffice writes -0.000012345, 1E-020 and
        // 1.23456789012346E+017 (small numbers in fixed notation up to 20
        // decimals, exponents of three digits), and 1 and 0 for logicals.
        {"-0.000012345", "-1.2345E-05", 11, "-1.2", "ID-1.2345E-05"},
        {"1E-20", "1E-20", 5, "1E-2", "ID1E-20"},
        {"123456789012345678", "1.23456789012346E+17", 20, "1.23", "ID1.23456789012346E+17"},
        {"TRUE", "TRUE", 4, "TRUE", "IDTRUE"},
        {"FALSE", "FALSE", 5, "FALS", "IDFALSE"},
        {"=2<3", "TRUE", 4, "TRUE", "IDTRUE"},
        {"", "", 0, "", "ID"},
    };
    Workbook wb;
    const auto rowCount = static_cast<std::int32_t>(std::size(rows));
    for (std::int32_t r = 1; r <= rowCount; ++r) {
        const std::string a = "A" + std::to_string(r);
        wb.setCellEntry(1, r, 1, rows[r - 1].entry);
        wb.setCellFormula(1, r, 2, a + "&\"\"");
        wb.setCellFormula(1, r, 3, "LEN(" + a + ")");
        wb.setCellFormula(1, r, 4, "LEFT(" + a + ",4)");
        wb.setCellFormula(1, r, 5, "CONCATENATE(\"ID\"," + a + ")");
    }
    for (std::int32_t r = 1; r <= rowCount; ++r) {
        const Row& row = rows[r - 1];
        EXPECT_EQ(wb.cellValue(1, r, 2), Value(row.joined)) << row.entry;
        EXPECT_EQ(wb.cellValue(1, r, 3), Value(row.length)) << row.entry;
        EXPECT_EQ(wb.cellValue(1, r, 4), Value(row.left4)) << row.entry;
        EXPECT_EQ(wb.cellValue(1, r, 5), Value(row.id)) << row.entry;
    }

    // Chains of &, nested and beside comparisons, and errors among them.
    const struct {
        const char* formula;
        Value expected;
    } joins[] = {
        {"\"ID\"&A1&\"-\"&A19&A20", Value("ID12345678-FALSETRUE")},
        {"LEN(\"a\"&(A7&\"b\"))", Value(19)},
        {"-A1&\"x\"", Value("-12345678x")},
        {"(A1>1)&\"\"", Value("TRUE")},
        {"\"x\"&A1=\"x12345678\"", Value::logical(true)},
        {"LEFT(A1&A18,9)&LEN(A19&A20)", Value("12345678T9")},
        {"1/0&\"x\"", Value::error(CellError::Div0)},
    };
    std::int32_t col = 7;
    for (const auto& j : joins) {
        wb.setCellFormula(1, 1, col, j.formula);
        EXPECT_EQ(wb.cellValue(1, 1, col), j.expected) << j.formula;
        ++col;
    }
}

} // namespace

namespace {

// Operators of one level are computed from left to right and ^ before * and
// /, as spreadsheets compute them; the values are LibreOffice's for the same
// formulas (A1 = 12, A2 = 3, A3 = 2).
TEST(Formula, OperatorsAreComputedInWorksheetOrder)
{
    Workbook wb;
    column(wb, {12, 3, 2});
    struct Row {
        const char* formula;
        Value expected;
    };
    const Row rows[] = {
        {"10/2/5", Value(1)},
        {"100/4/5*2", Value(10)},
        {"8/2/2", Value(2)},
        {"2*3/4/5", Value(0.3)},
        {"A1/A2/A3", Value(2)},
        {"A1/A2*A3", Value(8)},
        {"2^3^2", Value(64)},
        {"2^3*2", Value(16)},
        {"2*3^2", Value(18)},
        {"-2^2", Value(4)},
        {"2*-2^2", Value(8)},
        {"2^-1", Value(0.5)},
        {"1-2-3+4", Value(0)},
        {"1+2*3-4/2", Value(5)},
        {"(1+2)*3^2/3", Value(9)},
        {"-(2+3)^2", Value(25)},
        {"2^3^2/4-1", Value(15)},
        {"1+2&3", Value("33")},
        {"2*3&4", Value("64")},
        {"1+1=2", Value::logical(true)},
        {"SUM(1,2*3,8/2/2)", Value(9)},
        {"IF(A1/A2/A3=2,A1/A2*A3,0)", Value(8)},
    };
    int col = 3;
    for (const Row& r : rows) {
        wb.setCellFormula(1, 1, col, r.formula);
        const Value got = wb.cellValue(1, 1, col);
        if (r.expected.kind() == spreadsheet::ValueKind::Number && got.kind() == spreadsheet::ValueKind::Number)
            expectNearRel(got.number(), r.expected.number(), 1e-12) << r.formula;
        else
            EXPECT_EQ(got, r.expected) << r.formula;
        // The formula keeps its text as typed.
        EXPECT_EQ(wb.cellFormula(1, 1, col), r.formula);
        ++col;
    }
    wb.setCellFormula(1, 2, 3, "10/3*1000000");
    expectNearRel(wb.cellValue(1, 2, 3).number(), 3333333.33333333, 1e-12);
}

} // namespace
