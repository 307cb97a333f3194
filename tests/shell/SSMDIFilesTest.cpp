#include "shell/workbook/SSMDIFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs/CommonDialog.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Error.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/IniQuorin.h"
#include "shell/core/mQuorin.h"
#include "tests/platform/spreadsheet/UnkeptQuestionText.h"
#include "tests/shell/FakeWorkbookHost.h"
#include "tests/support/ErrorAssert.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::FileType;
using spreadsheet::Value;
using spreadsheet::ValueTable;
using spreadsheet::Workbook;
using testsupport::FakeWorkbookHost;

// The table as rows of texts ("" for an empty cell).
std::vector<std::vector<std::string>> rowsOf(const ValueTable& t)
{
    std::vector<std::vector<std::string>> rows;
    for (std::int32_t i = 0; i < t.rows(); ++i) {
        rows.emplace_back();
        for (std::int32_t j = 0; j < t.cols(); ++j) {
            rows.back().push_back(t.at(i, j).displayText());
        }
    }
    return rows;
}

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::vector<std::string>> rows;
};

TEST(SplitDelimText, KeepsEveryFieldInItsColumn)
{
    using Rows = std::vector<std::vector<std::string>>;
    const SplitCase cases[] = {
        {"tab with header", "\tt1\tt2\ng1\t1\t2\ng2\t3\t4\n", Rows{{"", "t1", "t2"}, {"g1", "1", "2"}, {"g2", "3", "4"}}},
        {"comma", "id,a,b\r\nx,1,2\r\n", Rows{{"id", "a", "b"}, {"x", "1", "2"}}},
        {"blanks split at runs", "  id  a b\nx 1   2  \n", Rows{{"id", "a", "b"}, {"x", "1", "2"}}},
        {"two tabs keep an empty cell", "a\t\tb", Rows{{"a", "", "b"}}},
        {"two commas keep an empty cell", "g1,,5,6\ng2,1,,6", Rows{{"g1", "", "5", "6"}, {"g2", "1", "", "6"}}},
        {"trailing empty lines add no rows", "a\tb\n\n\n", Rows{{"a", "b"}}},
        {"empty line inside is an empty row", "a\tb\n\nc\td\n", Rows{{"a", "b"}, {"", ""}, {"c", "d"}}},
        {"later lines may be longer", "a\tb\n1\t2\t3\t4\n5\n", Rows{{"a", "b", "", ""}, {"1", "2", "3", "4"}, {"5", "", "", ""}}},
        {"carriage returns alone", "a\tb\rc\td\r", Rows{{"a", "b"}, {"c", "d"}}},
        {"line of separators only", "a\tb\n\t\nc\td", Rows{{"a", "b"}, {"", ""}, {"c", "d"}}},
        {"trailing tab gives an empty last cell", "a\tb\t\nc\td\te", Rows{{"a", "b", ""}, {"c", "d", "e"}}},
        {"no separator at all", "one\ntwo", Rows{{"one"}, {"two"}}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.name);
        ValueTable table;
        std::int32_t lines = -1, fields = -1;
        SSMDI1::SplitDelimText(c.text, table, lines, fields);
        EXPECT_EQ(rowsOf(table), c.rows);
        EXPECT_EQ(lines, static_cast<std::int32_t>(c.rows.size()));
        EXPECT_EQ(fields, static_cast<std::int32_t>(c.rows.at(0).size()));
    }
}

TEST(SplitDelimText, TextWithoutLinesGivesAnEmptyTable)
{
    for (const std::string text : {"", "\n\n", "\r\n"}) {
        ValueTable table;
        std::int32_t lines = -1, fields = -1;
        SSMDI1::SplitDelimText(text, table, lines, fields);
        EXPECT_EQ(lines, 0);
        EXPECT_EQ(fields, 0);
    }
}

TEST(TextFieldsAsCells, NumbersBecomeNumbersAndEverythingElseStaysText)
{
    ValueTable fields(1, 5);
    fields.at(0, 0) = Value(std::string("1.5"));
    fields.at(0, 1) = Value(std::string("-2E-3"));
    fields.at(0, 2) = Value(std::string("YAL001C"));
    fields.at(0, 3) = Value(std::string("=SUM(A1:A2)"));
    const ValueTable cells = SSMDI1::TextFieldsAsCells(fields);
    EXPECT_EQ(cells.at(0, 0), Value(1.5));
    EXPECT_EQ(cells.at(0, 1), Value(-0.002));
    EXPECT_EQ(cells.at(0, 2), Value("YAL001C"));
    EXPECT_EQ(cells.at(0, 3), Value("=SUM(A1:A2)"));
    EXPECT_TRUE(cells.at(0, 4).isEmpty());
}

class WorkbookFileCommands : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& bytes)
    {
        const auto path = dir.file(name);
        testsupport::writeFile(path, bytes);
        return path.string();
    }

    testsupport::TempDir dir;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scopedDialogs{dialogs};
    mQuorin::ProgramState state;
    mQuorin::ProgramScope scope{state};
    FakeWorkbookHost host;
};

TEST_F(WorkbookFileCommands, TabFileWithGapsOpensIntoTheEmptyBookWithEveryValueInItsCell)
{
    (void)host.newWorkbook();
    std::string path = file("gaps.txt", "\t0h\t2h\t4h\r\nYAL1\t1.5\t\t-2\r\nYAL2\t\t3\t4\r\nYAL3\t7\r\n");
    ASSERT_TRUE(SSMDI1::SSMDIOpenFile(host, path));
    ASSERT_EQ(host.books.size(), 1U);
    const Workbook& book = *host.books[0];
    const std::vector<std::vector<Value>> expected = {
        {Value(), Value("0h"), Value("2h"), Value("4h")},
        {Value("YAL1"), Value(1.5), Value(), Value(-2.0)},
        {Value("YAL2"), Value(), Value(3.0), Value(4.0)},
        {Value("YAL3"), Value(7.0), Value(), Value()},
    };
    for (std::size_t r = 0; r < expected.size(); ++r) {
        for (std::size_t c = 0; c < expected[r].size(); ++c) {
            EXPECT_EQ(book.cellValue(1, static_cast<int>(r) + 1, static_cast<int>(c) + 1), expected[r][c])
                << "row " << r + 1 << " column " << c + 1;
        }
    }
    EXPECT_EQ(book.lastUsedRow(1), 4);
    EXPECT_EQ(book.lastUsedCol(1), 4);
    EXPECT_EQ(book.TableName(), "Book1");
    EXPECT_FALSE(book.isChanged());
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(WorkbookFileCommands, TextNeverOverwritesAWorkbookWithContentOrChanges)
{
    Workbook& first = host.newWorkbook();
    first.setCellValue(1, 1, 1, 42.0);
    first.setChanged(false);
    std::string path = file("a.txt", "x,y\n1,2\n");
    ASSERT_TRUE(SSMDI1::SSMDIOpenFile(host, path));
    ASSERT_EQ(host.books.size(), 2U);
    EXPECT_EQ(first.cellValue(1, 1, 1), Value(42.0));
    EXPECT_EQ(first.lastUsedRow(1), 1);
    Workbook& second = *host.books[1];
    EXPECT_EQ(host.activeWorkbook(), &second);
    EXPECT_EQ(second.cellValue(1, 2, 2), Value(2.0));

    // An empty workbook with unsaved changes (typed and cleared) is not taken either.
    Workbook& third = host.newWorkbook();
    third.setChanged(true);
    std::string again = path;
    ASSERT_TRUE(SSMDI1::SSMDIOpenFile(host, again));
    EXPECT_EQ(host.books.size(), 4U);
    EXPECT_EQ(third.lastUsedRow(1), 0);
}

TEST_F(WorkbookFileCommands, WithNoWindowOpenANewWorkbookTakesTheText)
{
    std::string path = file("short.txt", "a b c\n1 2 3\n");
    ASSERT_TRUE(SSMDI1::SSMDIOpenFile(host, path));
    ASSERT_EQ(host.books.size(), 1U);
    EXPECT_EQ(host.books[0]->cellValue(1, 2, 3), Value(3.0));
    EXPECT_EQ(host.shown.count(host.books[0].get()), 1U);
}

TEST_F(WorkbookFileCommands, HighByteInTheHeadGoesToTheWorkbookReaderAndOnlyThere)
{
    (void)host.newWorkbook();
    // A byte of 127 or more within the first 500: the workbook reader, which
    // reads UTF-8 text too; the new window takes the path and the type.
    std::string head = file("head.txt", "gene\tvalue\nS\xc3\xa9q\t2\n");
    ASSERT_TRUE(SSMDI1::SSMDIOpenFile(host, head));
    ASSERT_EQ(host.books.size(), 2U);
    const Workbook& read = *host.books[1];
    EXPECT_EQ(read.TableName(), head);
    EXPECT_EQ(host.captions.at(&read), head);
    EXPECT_EQ(read.Tag(), std::to_string(static_cast<int>(FileType::Text)));
    EXPECT_EQ(read.cellValue(1, 2, 1), Value("S\xc3\xa9q"));

    // The same byte after the first 500 bytes: the program's own text reader.
    std::string body(520, 'a');
    body[10] = '\t';
    body += "\n\xe9\t1\n";
    std::string tail = file("tail.txt", body);
    ASSERT_TRUE(SSMDI1::SSMDIOpenFile(host, tail));
    const Workbook& own = *host.books.back();
    EXPECT_NE(own.TableName(), tail);
    EXPECT_EQ(own.cellValue(1, 2, 2), Value(1.0));
}

TEST_F(WorkbookFileCommands, UnreadableFileShowsUnableToLoadAndChangesNothing)
{
    Workbook& active = host.newWorkbook();
    std::string bad = file("bad.xls", std::string("\xd0\xcf\x11\xe0 damaged \x01\x02\x03", 16) + std::string(600, '\x90'));
    EXPECT_FALSE(SSMDI1::SSMDIOpenFile(host, bad));
    std::string missing = (dir.path() / "missing.txt").string();
    EXPECT_FALSE(SSMDI1::SSMDIOpenFile(host, missing));

    ASSERT_EQ(dialogs.calls().size(), 2U);
    EXPECT_EQ(dialogs.calls()[0].text, "Unable to load " + bad);
    EXPECT_EQ(dialogs.calls()[0].style, platform::mb::OkOnly);
    EXPECT_EQ(dialogs.calls()[0].title, "Tessaray");
    EXPECT_EQ(dialogs.calls()[1].text, "Unable to load " + missing);
    EXPECT_EQ(host.books.size(), 1U);
    EXPECT_EQ(host.activeWorkbook(), &active);
    EXPECT_EQ(active.lastUsedRow(1), 0);
    EXPECT_FALSE(active.isChanged());
}

// A book of our own type: 5 in A1 and each formula in column B from B1 down.
std::string nativeBookOfFormulas(const std::vector<std::string>& formulas)
{
    std::string cells = "1\t1\tn\t5\n";
    for (std::size_t i = 0; i < formulas.size(); ++i) {
        cells += std::to_string(i + 1) + "\t2\tf\t" + formulas[i] + "\n";
    }
    const std::string count = std::to_string(formulas.size() + 1);
    return "TESSARAY WORKBOOK\t3\ntype\t3\nsheets\t1\t1\nsheet\tSheet1\nselected\t1\ncursor\t1\t1\n"
           "range\t1\t1\t1\t1\ncells\t" + count + "\n" + cells + "endsheet\nend\t" + count + "\n";
}

std::string repeated(const std::string& part, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += part;
    }
    return out;
}

// Books holding formulas too long, too deep or broken for any evaluator
// open through the File menu's road without ending the program: each such
// cell shows its formula's result or an error value, and the book takes
// entries at once afterwards.
TEST_F(WorkbookFileCommands, BooksWithHugeOrBrokenFormulasOpenAndEveryCellAnswers)
{
    struct Row {
        const char* name;
        std::vector<std::string> formulas;
        std::optional<Value> right;  // the result when the formula is computed; else an error value is due
    };
    std::vector<std::string> tenRanges(7, "A8:2");
    tenRanges.insert(tenRanges.end(), {"M:1", "A16384:1", "SUM(A8:2)"});
    const Row rows[] = {
        {"a chain of 8,000 + terms", {"1" + repeated("+1", 7999)}, Value(8000)},
        {"10,000 nested brackets", {repeated("(", 10000) + "A1" + repeated(")", 10000)}, Value(5)},
        {"a lone $", {"1+$+1"}, std::nullopt},
        {"a reference and a quote", {"A1'"}, std::nullopt},
        {"a reference and an exclamation mark", {"A1!"}, std::nullopt},
        {"ten ranges from a cell to a row or column", tenRanges, std::nullopt},
        {"a chain of 10,000 & terms", {"1" + repeated("&1", 9999)}, Value(std::string(10000, '1'))},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string path = file("formulas.vts", nativeBookOfFormulas(row.formulas));
        ASSERT_TRUE(SSMDI1::SSMDIOpenFile(host, path));
        Workbook& book = *host.books.back();
        for (std::size_t i = 0; i < row.formulas.size(); ++i) {
            const Value shown = book.cellValue(1, static_cast<std::int32_t>(i + 1), 2);
            EXPECT_TRUE(shown.isError() || (row.right && shown == *row.right))
                << "B" << i + 1 << " shows " << shown.displayText().substr(0, 40);
        }
        book.enterCell(1, 20, 1, "=A1*2");
        EXPECT_EQ(book.cellValue(1, 20, 1), Value(10));
    }
    EXPECT_TRUE(dialogs.calls().empty());
}

// One line of 8,000 tabs and then 16,383 short lines (40 KB): once a table of
// 16,384 x 8,001 cells was built before the text was refused.
std::string tabLineThenShortLines()
{
    std::string text(8000, '\t');
    text += '\n';
    for (int i = 0; i < 16383; ++i) {
        text += "a\n";
    }
    return text;
}

// A text larger than a sheet loads as far as the sheet reaches; one message
// after loading says what was left out, and says nothing when only empty
// fields were. Plain text goes through the program's own reader, text with a
// high byte at its head through the workbook reader: both say the same.
TEST_F(WorkbookFileCommands, TextLargerThanASheetLoadsWhatFitsAndSaysWhatWasLeftOut)
{
    const std::string rowsCut = "Rows after 16,384 of sheet Sheet1 were not loaded: a sheet holds 16,384 rows.";
    const std::string colsCut = "Columns after 256 of sheet Sheet1 were not loaded: a sheet holds 256 columns.";
    std::string lines;
    for (int i = 1; i <= spreadsheet::kMaxRows + 1; ++i) {
        lines += std::to_string(i) + "\n";
    }
    std::string wideLine = "w";
    for (int c = 2; c <= 300; ++c) {
        wideLine += "\t" + std::to_string(c);
    }
    const struct {
        const char* name;
        std::string text;
        std::int32_t rows;  // rows and columns loaded
        std::int32_t cols;
        std::string said;   // the message after loading ("" for none)
    } cases[] = {
        {"commas", "a" + std::string(300, ',') + "b\n", 1, 1, colsCut},
        {"tabs after a short line: only empty fields", "a\tb\n" + std::string(256, '\t') + "\n", 1, 2, ""},
        {"16,385 lines", lines, spreadsheet::kMaxRows, 1, rowsCut},
        {"8,000 tabs then 16,383 lines", tabLineThenShortLines(), spreadsheet::kMaxRows, 1, ""},
        {"300 fields then 16,384 lines", wideLine + "\n" + lines, spreadsheet::kMaxRows, 256, rowsCut + "\r\n" + colsCut},
    };
    for (const bool highByte : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (highByte ? ", workbook reader" : ", text reader"));
            dialogs.clear();
            std::string path = file("large.txt", (highByte ? "\xc3\xa9\n" : "") + c.text);
            ASSERT_TRUE(SSMDI1::SSMDIOpenFile(host, path));
            const Workbook& book = *host.activeWorkbook();
            const std::int32_t offset = highByte ? 1 : 0;  // the first line holds the high byte
            EXPECT_EQ(book.lastUsedRow(1), std::min(c.rows + offset, spreadsheet::kMaxRows));
            EXPECT_EQ(book.lastUsedCol(1), c.cols);
            std::string said = c.said;
            if (highByte && said.empty() && c.rows + offset > spreadsheet::kMaxRows) {
                said = rowsCut;  // the extra first line pushes the last one out
            }
            if (said.empty()) {
                EXPECT_TRUE(dialogs.calls().empty());
            } else {
                ASSERT_EQ(dialogs.calls().size(), 1U);
                EXPECT_EQ(dialogs.last().text, said);
                EXPECT_EQ(dialogs.last().style, platform::mb::OkOnly);
            }
        }
    }
}

TEST(SplitDelimText, TextsLargerThanASheetKeepWhatFitsAndTheLimitsThemselvesRead)
{
    std::string rows;
    for (int i = 0; i < spreadsheet::kMaxRows; ++i) {
        rows += "x\r\n";
    }
    std::vector<std::string> fields(static_cast<std::size_t>(spreadsheet::kMaxCols), "f");
    auto joined = [&](char separator) {
        std::string line = fields[0];
        for (std::size_t i = 1; i < fields.size(); ++i) {
            line += separator + fields[i];
        }
        return line;
    };
    const struct {
        const char* name;
        std::string text;
        std::int32_t lines;
        std::int32_t width;
        bool rowsCut;
        bool colsCut;
    } cases[] = {
        {"16,384 lines and empty ones after them", rows + "\r\n\r\n", spreadsheet::kMaxRows, 1, false, false},
        {"16,385 lines", rows + "x", spreadsheet::kMaxRows, 1, true, false},
        {"256 tab fields", joined('\t'), 1, spreadsheet::kMaxCols, false, false},
        {"257 tab fields, the last empty", joined('\t') + "\t", 1, spreadsheet::kMaxCols, false, false},
        {"257 tab fields", joined('\t') + "\tz", 1, spreadsheet::kMaxCols, false, true},
        {"256 comma fields", joined(','), 1, spreadsheet::kMaxCols, false, false},
        {"257 comma fields", "a\n" + joined(',') + ",z", 2, spreadsheet::kMaxCols, false, true},
        {"256 blank fields", joined(' ') + "   ", 1, spreadsheet::kMaxCols, false, false},
        {"257 blank fields", joined(' ') + " z", 1, spreadsheet::kMaxCols, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ValueTable table;
        std::int32_t lines = -1, width = -1;
        spreadsheet::LeftOut cut;
        SSMDI1::SplitDelimText(c.text, table, lines, width, &cut);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(table.at(lines - 1, width - 1), Value(c.width == 1 ? "x" : "f"));
        EXPECT_EQ(cut.rows, c.rowsCut);
        EXPECT_EQ(cut.columns, c.colsCut);
    }
}

TEST_F(WorkbookFileCommands, EmptyPathAsksAndACancelledDialogChangesNothing)
{
    (void)host.newWorkbook();
    std::string path;
    dialogs.cancelFile();
    EXPECT_FALSE(SSMDI1::SSMDIOpenFile(host, path));
    ASSERT_EQ(dialogs.fileRequests().size(), 1U);
    EXPECT_EQ(dialogs.fileRequests()[0].title, "Open file");
    EXPECT_FALSE(dialogs.fileRequests()[0].save);
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_EQ(host.books.size(), 1U);

    const std::string chosen = file("c.txt", "1\t2\n");
    dialogs.choose(chosen);
    ASSERT_TRUE(SSMDI1::SSMDIOpenFile(host, path));
    EXPECT_EQ(path, chosen);
}

TEST_F(WorkbookFileCommands, SaveAsXlsAndNativeAndReopenGivesEqualValues)
{
    for (const FileType type : {FileType::Excel97, FileType::Excel5, FileType::Native}) {
        SCOPED_TRACE(static_cast<int>(type));
        Workbook& book = host.newWorkbook();
        book.setCellEntry(1, 1, 1, "gene");
        book.setCellEntry(1, 1, 2, "0h");
        book.setCellEntry(1, 2, 1, "YAL1");
        book.setCellValue(1, 2, 2, 0.1);
        book.setCellValue(1, 3, 2, -1234.5678901234);
        const std::string path = (dir.path() / ("out" + std::to_string(static_cast<int>(type)))).string();
        dialogs.choose(path, static_cast<int>(type));
        ASSERT_EQ(SSMDI1::SSMDISaveFile(host), SSMDI1::kSaved);
        EXPECT_EQ(dialogs.fileRequests().back().title, "Save");
        EXPECT_TRUE(dialogs.fileRequests().back().save);
        EXPECT_EQ(dialogs.fileRequests().back().filter,
                  "Excel 5 and 7/95 (*.xls)|*.xls|Excel 97/2000 (*.xls)|*.xls|Formula One 3/4/5 (*.vts)|*.vts|"
                  "Formula One 6 (*.vts)|*.vts|HTML (*.htm)|*.htm|HTML, data only (*.htm)|*.htm|"
                  "Tab-delimited text (*.txt)|*.txt|Tab-delimited text, values only (*.txt)|*.txt");
        // A name typed without extension is given the chosen type's.
        const std::string saved = path + (type == FileType::Native ? ".vts" : ".xls");
        EXPECT_TRUE(std::filesystem::exists(saved));
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(book.TableName(), saved);
        EXPECT_EQ(host.captions.at(&book), saved);
        EXPECT_EQ(book.Tag(), std::to_string(static_cast<int>(type)));
        EXPECT_FALSE(book.isChanged());

        std::string reopen = saved;
        ASSERT_TRUE(SSMDI1::SSMDIOpenFile(host, reopen));
        const Workbook& back = *host.books.back();
        EXPECT_EQ(back.Tag(), std::to_string(static_cast<int>(type)));
        EXPECT_EQ(back.cellValue(1, 1, 2), Value("0h"));
        EXPECT_EQ(back.cellValue(1, 2, 1), Value("YAL1"));
        EXPECT_EQ(back.cellValue(1, 2, 2), Value(0.1));
        EXPECT_EQ(back.cellValue(1, 3, 2), Value(-1234.5678901234));
    }
    EXPECT_TRUE(dialogs.calls().empty());
}

// A save that would not keep every text whole asks first, naming the first
// place and the type that keeps it; No writes nothing, Yes writes as before.
TEST_F(WorkbookFileCommands, SavesThatCannotKeepEveryTextAskBeforeWriting)
{
    const std::string cyrillic = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // "Привет"
    const std::string sheetName = "\xD0\x9B\xD0\xB8\xD1\x81\xD1\x82";                  // "Лист"
    const std::string cjk = "\xE9\x81\xBA\xE4\xBC\x9D\xE5\xAD\x90";                    // "遺伝子"
    const std::string long10k(10000, 'a');
    const std::string long40k(40000, 'b');
    const auto asks = [](FileType type, const std::string& line) {
        return testsupport::unkeptQuestionText(type, {line});
    };
    struct Row {
        const char* name;
        std::string sheet;      // the first sheet's name
        std::string text;       // put in B3
        FileType type;
        std::string question;   // "" when none is asked
    };
    const Row rows[] = {
        {"cyrillic sheet name and texts, Excel 5", sheetName, cyrillic, FileType::Excel5,
         asks(FileType::Excel5, "the characters it lacks in 2 texts, written as \"?\": the name of sheet " + sheetName +
                                    " and cell B3 of sheet " + sheetName + " (Excel 97/2000 keeps them)")},
        {"cjk text, Excel 5", "Sheet1", "gene " + cjk, FileType::Excel5,
         asks(FileType::Excel5,
              "the characters it lacks in 1 text, written as \"?\": cell B3 of sheet Sheet1 (Excel 97/2000 keeps them)")},
        {"10,000 characters, Excel 5", "Sheet1", long10k, FileType::Excel5,
         asks(FileType::Excel5, "the end of 1 text longer than 2,072 characters: cell B3 of sheet Sheet1")},
        {"40,000 characters, Excel 97", "Sheet1", long40k, FileType::Excel97,
         asks(FileType::Excel97, "the end of 1 text longer than 32,767 characters: cell B3 of sheet Sheet1")},
        {"cyrillic, Excel 97", sheetName, cyrillic, FileType::Excel97, ""},
        {"cjk and 10,000 characters, Excel 97", "Sheet1", cjk + long10k, FileType::Excel97, ""},
        {"Windows-1252 text and a question mark, Excel 5", "Sheet1", "M\xC3\xBCller \xE2\x82\xAC 5? ok",
         FileType::Excel5, ""},
        {"cyrillic, own format", sheetName, cyrillic + long40k, FileType::Native, ""},
    };
    int saves = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const platform::Answer answer : {platform::Answer::No, platform::Answer::Yes}) {
            dialogs.clear();
            Workbook& book = host.newWorkbook();
            book.setSheetName(1, row.sheet);
            book.setCellValue(1, 1, 1, Value("header"));
            book.setCellValue(1, 3, 2, Value(row.text));
            // Each window its own file: no window saves to a file another holds.
            const std::string path = (dir.path() / ("saved" + std::to_string(++saves) + ".out")).string();
            dialogs.choose(path, static_cast<int>(row.type));
            if (!row.question.empty()) {
                dialogs.answer(answer);
            }
            const std::int16_t result = SSMDI1::SSMDISaveFile(host);
            if (row.question.empty()) {
                EXPECT_EQ(result, SSMDI1::kSaved);
                EXPECT_TRUE(dialogs.calls().empty());
                Workbook back;
                (void)back.Read(path);
                EXPECT_EQ(back.cellValue(1, 3, 2), Value(row.text));
                EXPECT_EQ(back.SheetName(1), row.sheet);
                break;
            }
            ASSERT_EQ(dialogs.calls().size(), 1U);
            EXPECT_EQ(dialogs.last().text, row.question);
            EXPECT_EQ(dialogs.last().style, platform::mb::YesNo + platform::mb::Exclamation);
            if (answer == platform::Answer::No) {
                EXPECT_EQ(result, SSMDI1::kSaveCancelled);
                EXPECT_FALSE(std::filesystem::exists(path)) << "nothing is written";
                EXPECT_TRUE(book.isNeverSaved());
                continue;
            }
            EXPECT_EQ(result, SSMDI1::kSaved);
            EXPECT_TRUE(std::filesystem::exists(path));
            EXPECT_EQ(book.TableName(), path);
            // Saving again under the name asks again.
            dialogs.clear();
            dialogs.answer(platform::Answer::No);
            const auto before = std::filesystem::last_write_time(path);
            EXPECT_EQ(SSMDI1::SSMDISaveFile(host), SSMDI1::kSaveCancelled);
            EXPECT_EQ(dialogs.calls().size(), 1U);
            EXPECT_EQ(std::filesystem::last_write_time(path), before);
        }
    }
}

// A save that would lose a text and a defined name asks once, naming both;
// No leaves the file on disk byte for byte and the book as it was.
TEST_F(WorkbookFileCommands, ASaveThatWouldLoseTextsAndNamesAsksOnce)
{
    Workbook& book = host.newWorkbook();
    book.setCellValue(1, 1, 1, Value(1.0));
    const std::string path = (dir.path() / "book.xls").string();
    book.Write(path, static_cast<int>(FileType::Excel5));
    book.setTableName(path);
    book.setTag(std::to_string(static_cast<int>(FileType::Excel5)));
    const std::string before = testsupport::readFile(path);
    book.setCellValue(1, 2, 1, Value("\xD0\x9F"));  // a Cyrillic letter
    book.setDefinedName("One", "Sheet1!$A$1");

    dialogs.answer(platform::Answer::No);
    EXPECT_EQ(SSMDI1::SSMDISaveFile(host), SSMDI1::kSaveCancelled);
    ASSERT_EQ(dialogs.calls().size(), 1U);
    EXPECT_EQ(dialogs.last().text,
              testsupport::unkeptQuestionText(
                  FileType::Excel5, {"the characters it lacks in 1 text, written as \"?\": cell A2 of sheet Sheet1 "
                                     "(Excel 97/2000 keeps them)",
                                     "1 defined name"}));
    EXPECT_EQ(testsupport::readFile(path), before);
    EXPECT_EQ(book.TableName(), path);
    EXPECT_EQ(book.Tag(), "1");
    EXPECT_TRUE(book.isChanged());
    EXPECT_EQ(book.definedNames().size(), 1U);

    dialogs.clear();
    dialogs.answer(platform::Answer::Yes);
    EXPECT_EQ(SSMDI1::SSMDISaveFile(host), SSMDI1::kSaved);
    EXPECT_EQ(dialogs.calls().size(), 1U);
    Workbook back;
    (void)back.Read(path);
    EXPECT_EQ(back.cellValue(1, 2, 1), Value("?"));
}

TEST_F(WorkbookFileCommands, SavingAWorkbookFromDiskWritesItBackWithoutADialog)
{
    Workbook& book = host.newWorkbook();
    book.setCellValue(1, 1, 1, 5.0);
    const std::string path = (dir.path() / "book.vts").string();
    book.Write(path, static_cast<int>(FileType::Native));
    book.setTableName(path);
    book.setTag(std::to_string(static_cast<int>(FileType::Native)));
    book.setCellValue(1, 1, 1, 6.0);

    ASSERT_EQ(SSMDI1::SSMDISaveFile(host), SSMDI1::kSaved);
    EXPECT_TRUE(dialogs.fileRequests().empty());
    Workbook check;
    EXPECT_EQ(check.Read(path), static_cast<int>(FileType::Native));
    EXPECT_EQ(check.cellValue(1, 1, 1), Value(6.0));
}

TEST_F(WorkbookFileCommands, FailedWritesAreReportedAsFailuresAndKeepTheName)
{
    Workbook& book = host.newWorkbook();
    book.setCellValue(1, 1, 1, 5.0);
    const std::string nowhere = (dir.path() / "no-such-folder" / "x.xls").string();
    dialogs.choose(nowhere, static_cast<int>(FileType::Excel97));
    EXPECT_EQ(SSMDI1::SSMDISaveAsFile(host, book), SSMDI1::kSaveFailed);
    EXPECT_EQ(dialogs.last().text, "Unable to write " + nowhere);
    EXPECT_EQ(book.TableName(), "Book1");
    EXPECT_TRUE(book.isChanged());

    book.setTableName(nowhere);
    book.setTag("2");
    EXPECT_EQ(SSMDI1::SSMDISaveFile(host), SSMDI1::kSaveFailed);
    EXPECT_EQ(dialogs.last().text, "Unable to save " + nowhere);
}

TEST_F(WorkbookFileCommands, CancelledSaveDialogChangesAndShowsNothing)
{
    Workbook& book = host.newWorkbook();
    book.setCellValue(1, 1, 1, 5.0);
    dialogs.cancelFile();
    EXPECT_EQ(SSMDI1::SSMDISaveFile(host), SSMDI1::kSaveCancelled);
    EXPECT_EQ(book.TableName(), "Book1");
    EXPECT_TRUE(book.Tag().empty());
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

TEST_F(WorkbookFileCommands, NewWorkbookFailureShowsItsMessage)
{
    host.failNew = true;
    EXPECT_EQ(SSMDI1::NewWorkbook(host), nullptr);
    EXPECT_EQ(dialogs.last().text, "Unable to create new worksheet.");
}

class RecordingMenu final : public shell::RecentFileMenu {
public:
    void showEntry(int index, const std::string& caption) override
    {
        if (static_cast<std::size_t>(index) >= entries.size()) {
            entries.resize(static_cast<std::size_t>(index) + 1);
        }
        entries[static_cast<std::size_t>(index)] = caption;
    }
    void hideEntriesFrom(int count) override
    {
        entries.resize(std::min(entries.size(), static_cast<std::size_t>(count)));
    }
    std::vector<std::string> entries;
};

TEST_F(WorkbookFileCommands, OpeningAChosenFileUpdatesTheRecentListStatusAndMenus)
{
    testsupport::writeFile(dir.file("QUORIN.INI"), "[Recent Files]\r\nMaxNumRecentFile=4\r\n");
    shell::IniQuorin ini(dir.file("QUORIN.INI"));
    RecordingMenu menu;
    const std::string first = file("first.txt", "a\tb\n1\t2\n");
    const std::string second = file("second.txt", "a\tb\n3\t4\n");
    SSMDI1::OpenChosenFile(host, ini, menu, first);
    SSMDI1::OpenChosenFile(host, ini, menu, second);

    ASSERT_EQ(ini.NumRecentFile(), 2);
    EXPECT_EQ(ini.RecentFileAt(0), second);
    EXPECT_EQ(ini.RecentFileAt(1), first);
    ASSERT_GE(menu.entries.size(), 2U);
    EXPECT_EQ(menu.entries[0], "1. " + second);
    EXPECT_EQ(host.status, "File: " + second);
    EXPECT_EQ(host.analysisMenusShown, 2);
    EXPECT_EQ(host.formulaBarApplied, 2);
    // The list is in the settings file for the next start.
    shell::IniQuorin reread(dir.file("QUORIN.INI"));
    RecordingMenu menu2;
    reread.RecentFile(menu2);
    EXPECT_EQ(reread.RecentFileAt(0), second);

    // A recent entry brings its file's window back and moves it to the top.
    SSMDI1::OpenRecentFile(host, ini, menu, 1);
    EXPECT_EQ(ini.RecentFileAt(0), first);
    EXPECT_EQ(host.status, "File: " + first);
    ASSERT_NE(host.activeWorkbook(), nullptr);
    EXPECT_EQ(host.activeWorkbook()->cellValue(1, 2, 1), Value(1.0));
}

TEST_F(WorkbookFileCommands, AFileAlreadyOpenComesToTheFrontInsteadOfASecondCopy)
{
    testsupport::writeFile(dir.file("QUORIN.INI"), "[Recent Files]\r\nMaxNumRecentFile=4\r\n");
    shell::IniQuorin ini(dir.file("QUORIN.INI"));
    RecordingMenu menu;
    const std::string text = file("expr.txt", "probe\tt1\n1000_at\t-2.5\n");
    Workbook& saved = host.newWorkbook();
    saved.setCellValue(1, 1, 1, 7.0);
    const std::string native = dir.file("book.vts").string();
    saved.WriteEx(native, static_cast<std::int32_t>(FileType::Native));
    saved.setTableName(native);

    ASSERT_TRUE(SSMDI1::OpenChosenFile(host, ini, menu, text));
    Workbook* textBook = host.activeWorkbook();
    textBook->setCellValue(1, 2, 2, 99.0);  // the user's edit must survive
    const struct {
        const char* name;
        std::string path;
        Workbook* window;
    } rows[] = {
        {"the text file again", text, textBook},
        {"the text file spelt another way", dir.file("sub/../expr.txt").string(), textBook},
        {"a workbook saved from a window", native, &saved},
    };
    std::filesystem::create_directories(dir.file("sub"));
    const std::size_t windows = host.books.size();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(SSMDI1::OpenChosenFile(host, ini, menu, row.path));
        EXPECT_EQ(host.books.size(), windows);
        EXPECT_EQ(host.activeWorkbook(), row.window);
        EXPECT_EQ(host.status, "File: " + row.path);
        EXPECT_EQ(ini.RecentFileAt(0), row.path);
    }
    EXPECT_EQ(textBook->cellValue(1, 2, 2), Value(99.0));
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(WorkbookFileCommands, AFileThatFailsToLoadStaysOffTheRecentListAndTheStatusBar)
{
    testsupport::writeFile(dir.file("QUORIN.INI"), "[Recent Files]\r\nMaxNumRecentFile=4\r\n");
    shell::IniQuorin ini(dir.file("QUORIN.INI"));
    RecordingMenu menu;
    const std::string good = file("good.txt", "a\tb\n");
    ASSERT_TRUE(SSMDI1::OpenChosenFile(host, ini, menu, good));
    const std::string broken = file("broken.xls", "\xD0\xCF\x11\xE0 not a workbook");
    EXPECT_FALSE(SSMDI1::OpenChosenFile(host, ini, menu, broken));
    EXPECT_EQ(dialogs.last().text, "Unable to load " + broken);
    EXPECT_EQ(ini.NumRecentFile(), 1);
    EXPECT_EQ(ini.RecentFileAt(0), good);
    EXPECT_EQ(host.status, "File: " + good);
    shell::IniQuorin reread(dir.file("QUORIN.INI"));
    RecordingMenu menu2;
    reread.RecentFile(menu2);
    EXPECT_EQ(reread.NumRecentFile(), 1);
}

TEST_F(WorkbookFileCommands, EmptyOrMovedFilesAreRefusedWithTheirMessages)
{
    testsupport::writeFile(dir.file("QUORIN.INI"), "[Recent Files]\r\nMaxNumRecentFile=4\r\n");
    shell::IniQuorin ini(dir.file("QUORIN.INI"));
    RecordingMenu menu;
    const std::string empty = file("empty.txt", "");
    SSMDI1::OpenChosenFile(host, ini, menu, empty);
    EXPECT_EQ(dialogs.last().text, "The file named " + empty + " is empty! Please try another file.");
    EXPECT_EQ(dialogs.last().title, "Warning!");
    EXPECT_EQ(ini.NumRecentFile(), 0);
    EXPECT_TRUE(host.books.empty());

    const std::string moved = file("moved.txt", "1\n");
    SSMDI1::OpenChosenFile(host, ini, menu, moved);
    std::filesystem::remove(moved);
    SSMDI1::OpenRecentFile(host, ini, menu, 0);
    EXPECT_EQ(dialogs.last().text, "Cannot find the file " + moved + ". You might have moved it elsewhere.");
}

TEST_F(WorkbookFileCommands, OpenDialogStartsOnTheDefaultTypeAndFolder)
{
    platform::CommonDialog dialog;
    dialog.FileName = "stale.txt";
    dialog.DialogTitle = "Click any file name, then click Open";
    dialogs.cancelFile();
    EXPECT_FALSE(SSMDI1::AskFileToOpen(dialog, "Open File", 4, "/data").has_value());
    const platform::FileDialogRequest& request = dialogs.fileRequests().at(0);
    EXPECT_EQ(request.title, "Open File");
    EXPECT_EQ(request.filterIndex, 5);
    EXPECT_EQ(request.flags, 2068);
    EXPECT_EQ(request.initDir, "/data");
    EXPECT_TRUE(request.fileName.empty());
    EXPECT_EQ(request.filter, SSMDI1::kOpenFilter);

    dialogs.choose("/data/x.txt");
    EXPECT_EQ(SSMDI1::AskFileToOpen(dialog, "", 0, "/data"), std::optional<std::string>("/data/x.txt"));
    EXPECT_EQ(dialogs.fileRequests().at(1).title, "");
}

} // namespace
