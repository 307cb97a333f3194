#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/errors/Error.h"
#include "platform/spreadsheet/DrawingObject.h"
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/PageSetup.h"
#include "platform/spreadsheet/SheetFormat.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"
#include "tests/platform/spreadsheet/NativeRecords.h"
#include "tests/platform/spreadsheet/UnkeptQuestionText.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ErrorAssert.h"

namespace {

using spreadsheet::CellError;
using spreadsheet::FileType;
using spreadsheet::Value;
using spreadsheet::Workbook;
namespace fs = std::filesystem;

// Two sheets of numbers and texts such as an analysis leaves behind.
Workbook sampleBook()
{
    Workbook wb;
    wb.setNumSheets(2);
    wb.setSheetName(1, "Expression data");
    wb.setSheetName(2, "M\xC3\xBCller 2");  // "Müller 2": in every code page the formats use
    wb.setCellValue(1, 1, 1, Value("gene"));
    wb.setCellValue(1, 1, 2, Value("t1"));
    wb.setCellValue(1, 2, 1, Value("1007_s_at"));
    wb.setCellValue(1, 2, 2, Value(0.1 + 0.2));
    wb.setCellValue(1, 3, 1, Value("g2"));
    wb.setCellValue(1, 3, 2, Value(-1234567.125));
    wb.setCellValue(1, 4, 3, Value(1e-300));
    wb.setCellValue(2, 16384, 256, Value(42));
    wb.setCellValue(2, 1, 1, Value("a\"quoted\" <tag> & more"));
    return wb;
}

void expectSampleValues(const Workbook& wb, const std::string& what)
{
    ASSERT_EQ(wb.NumSheets(), 2) << what;
    EXPECT_EQ(wb.SheetName(1), "Expression data") << what;
    EXPECT_EQ(wb.SheetName(2), "M\xC3\xBCller 2") << what;
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value("gene")) << what;
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value("1007_s_at")) << what;
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(0.1 + 0.2)) << what;
    EXPECT_EQ(wb.cellValue(1, 3, 2), Value(-1234567.125)) << what;
    EXPECT_EQ(wb.cellValue(1, 4, 3), Value(1e-300)) << what;
    EXPECT_TRUE(wb.cellValue(1, 4, 1).isEmpty()) << what;
    EXPECT_EQ(wb.cellValue(2, 16384, 256), Value(42)) << what;
    EXPECT_EQ(wb.cellValue(2, 1, 1), Value("a\"quoted\" <tag> & more")) << what;
}

TEST(WorkbookFiles, WorkbookFormatsRoundTripValuesAndSheetNames)
{
    testsupport::TempDir dir;
    struct Row {
        const char* name;
        FileType type;
    };
    const Row rows[] = {
        {"book.xls", FileType::Excel97},
        {"book95.xls", FileType::Excel5},
        {"book.vts", FileType::Native},
        {"book6.vts", FileType::Native6},
    };
    for (const Row& row : rows) {
        Workbook wb = sampleBook();
        const std::string path = dir.file(row.name).string();
        wb.Write(path, static_cast<std::int32_t>(row.type));
        EXPECT_FALSE(wb.isChanged()) << row.name;
        Workbook back;
        EXPECT_EQ(back.Read(path), static_cast<std::int32_t>(row.type)) << row.name;
        expectSampleValues(back, row.name);
        EXPECT_FALSE(back.isChanged()) << row.name;
    }
}

TEST(WorkbookFiles, XlsWriterSplitsLongStringTablesIntoContinueRecords)
{
    testsupport::TempDir dir;
    Workbook wb;
    std::string longText(6000, 'x');  // spans the SST and a CONTINUE record
    longText += "\xCE\x94";  // a Greek capital delta: 16-bit characters in BIFF8
    wb.setCellValue(1, 1, 1, Value(longText));
    for (int r = 2; r <= 3000; ++r)
        wb.setCellValue(1, r, 1, Value("label " + std::to_string(r)));
    const std::string path = dir.file("long.xls").string();
    wb.Write(path, static_cast<std::int32_t>(FileType::Excel97));
    Workbook back;
    back.Read(path);
    EXPECT_EQ(back.cellValue(1, 1, 1), Value(longText));
    EXPECT_EQ(back.cellValue(1, 3000, 1), Value("label 3000"));
}

TEST(WorkbookFiles, NativeFormatKeepsEverythingTheModelHolds)
{
    testsupport::TempDir dir;
    Workbook wb = sampleBook();
    wb.setCellValue(1, 5, 1, Value::logical(true));
    wb.setCellValue(1, 5, 2, Value::error(CellError::NA));
    wb.setCellValue(1, 5, 3, Value("tab\there\nline\\slash"));
    wb.setCellFormula(1, 6, 2, "SUM(B2:B3)");
    wb.setSheet(2);
    wb.setSelection(3, 3, 5, 6);
    wb.addSelection(spreadsheet::RangeRef{10, 1, 12, 2});
    const std::string path = dir.file("all.vts").string();
    wb.Write(path, static_cast<std::int32_t>(FileType::Native));

    Workbook back;
    back.Read(path);
    expectSampleValues(back, "native");
    EXPECT_EQ(back.cellValue(1, 5, 1), Value::logical(true));
    EXPECT_EQ(back.cellValue(1, 5, 2), Value::error(CellError::NA));
    EXPECT_EQ(back.cellValue(1, 5, 3), Value("tab\there\nline\\slash"));
    EXPECT_EQ(back.cellFormula(1, 6, 2), "SUM(B2:B3)");
    EXPECT_EQ(back.cellValue(1, 6, 2), Value(0.1 + 0.2 - 1234567.125));
    EXPECT_EQ(back.Sheet(), 2);
    ASSERT_EQ(back.SelectionCount(), 2);
    EXPECT_EQ(back.SelectionEx(1), (spreadsheet::RangeRef{10, 1, 12, 2}));
    EXPECT_EQ(back.activeRow(), 10);
}

TEST(WorkbookFiles, TabTextRoundTripsTheActiveSheet)
{
    testsupport::TempDir dir;
    Workbook wb = sampleBook();
    const std::string path = dir.file("values.txt").string();
    wb.Write(path, static_cast<std::int32_t>(FileType::TextValuesOnly));
    EXPECT_EQ(testsupport::readFile(path).substr(0, 22), "gene\tt1\t\r\n1007_s_at\t0.");
    Workbook back;
    EXPECT_EQ(back.Read(path), static_cast<std::int32_t>(FileType::Text));
    EXPECT_EQ(back.cellValue(1, 2, 2), Value(0.1 + 0.2)) << "values only keeps every digit";
    EXPECT_EQ(back.cellValue(1, 3, 1), Value("g2"));
    EXPECT_EQ(back.cellValue(1, 4, 3), Value(1e-300));

    wb.Write(path, static_cast<std::int32_t>(FileType::Text));
    Workbook shown;
    shown.Read(path);
    EXPECT_EQ(shown.cellValue(1, 2, 2), Value(0.3)) << "formatted text holds what the grid shows";
}

// Short texts read too, unless they are the first bytes of a compound file.
TEST(WorkbookFiles, TextInWindows1252IsDecoded)
{
    const Workbook wb = nativetest::readBack("M\xFCller\t1.5\r\n", "latin.txt");
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value("M\xC3\xBCller"));
    EXPECT_EQ(wb.cellValue(1, 1, 2), Value(1.5));
    EXPECT_EQ(nativetest::readBack("M\xFCller", "latin.txt").cellValue(1, 1, 1), Value("M\xC3\xBCller"));
    EXPECT_EQ(nativetest::readBack("x", "short.txt").cellValue(1, 1, 1), Value("x"));
    EXPECT_EQ(nativetest::readBack("caf\xC3\xA9", "short.txt").cellValue(1, 1, 1), Value("caf\xC3\xA9"));
}

TEST(WorkbookFiles, HtmlHoldsEverySheetEscaped)
{
    testsupport::TempDir dir;
    Workbook wb = sampleBook();
    const std::string page = dir.file("book.htm").string();
    const std::string data = dir.file("data.htm").string();
    wb.Write(page, static_cast<std::int32_t>(FileType::Html));
    wb.Write(data, static_cast<std::int32_t>(FileType::HtmlDataOnly));
    const std::string p = testsupport::readFile(page);
    EXPECT_NE(p.find("<h2>Expression data</h2>"), std::string::npos);
    EXPECT_NE(p.find("a&quot;quoted&quot; &lt;tag&gt; &amp; more"), std::string::npos);
    EXPECT_NE(p.find("<td align=\"right\">-1234567.125</td>"), std::string::npos);
    const std::string d = testsupport::readFile(data);
    EXPECT_EQ(d.rfind("<table", 0), 0u) << "data only: the table alone";
    EXPECT_NE(d.find("1007_s_at"), std::string::npos);
    EXPECT_EQ(d.find("<html"), std::string::npos);
}

// An ASCII text in UTF-16, in either byte order, with or without its mark.
std::string utf16(std::string_view ascii, bool bigEndian, bool mark)
{
    std::string out = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (const char c : ascii) {
        out += bigEndian ? '\0' : c;
        out += bigEndian ? c : '\0';
    }
    return out;
}

// A page is known by its first tag, whatever stands before it and however
// it is encoded; a text table whose first cell only looks like a tag is no page.
TEST(WorkbookFiles, PagesAreKnownByTheirFirstTagAndTextTablesAreNot)
{
    const struct {
        const char* text;
        bool page;
    } rows[] = {
        {"<html><body><table><tr><td>1</td></tr></table></body></html>", true},
        {"<!DOCTYPE html>\r\n<title>x</title>", true},
        {"<head><title>Data</title></head><body>1</body>", true},
        {"<BODY bgcolor=\"white\"><table><tr><td>1</td></tr></table>", true},
        {"<meta charset=\"utf-8\"><table><tr><td>1</td></tr></table>", true},
        {"<meta/>", true},
        {"<Title>Expression</Title>", true},
        {"<table border=1><tr><td>1</td></tr></table>", true},
        {"\r\n  <TR><td>1</td></TR>", true},
        {"<tr\n><td>1</td></tr>", true},
        {"<!-- saved --> <?xml version=\"1.0\"?>\r\n<body>1</body>", true},
        {"<b>\t1\r\nc\t2\r\n", false},
        {"<!--x\t1\r\nc\t2\r\n", false},
        {"<trend>\t1\r\n", false},
        {"<headline\t1\r\n", false},
        {"<td>1</td>\t2\r\n", false},
        {"gene\t<html>\r\n", false},
        {"probe\tt1\r\n1000_at\t-2.5\r\n", false},
        {"  \r\n", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(spreadsheet::looksLikeHtml(row.text), row.page);
        EXPECT_EQ(spreadsheet::looksLikeHtml("\xEF\xBB\xBF" + std::string(row.text)), row.page);
        // A UTF-16 mark written out as UTF-8 characters: "ÿþ", "þÿ".
        EXPECT_EQ(spreadsheet::looksLikeHtml("\xC3\xBF\xC3\xBE" + std::string(row.text)), row.page);
        EXPECT_EQ(spreadsheet::looksLikeHtml("\xC3\xBE\xC3\xBF" + std::string(row.text)), row.page);
        for (const bool bigEndian : {false, true})
            for (const bool mark : {false, true})
                EXPECT_EQ(spreadsheet::looksLikeHtml(utf16(row.text, bigEndian, mark)), row.page)
                    << (bigEndian ? "UTF-16BE" : "UTF-16LE") << (mark ? " with its mark" : "");
    }
}

std::string repeated(const std::string& s, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += s;
    return out;
}

TEST(WorkbookFiles, TextOfAsManyLinesAsASheetHoldsReads)
{
    const Workbook wb = nativetest::readBack(repeated("7\r\n", spreadsheet::kMaxRows) + "\r\n\r\n", "full.txt");
    EXPECT_EQ(wb.lastUsedRow(1), spreadsheet::kMaxRows);
    EXPECT_EQ(wb.cellValue(1, spreadsheet::kMaxRows, 1), Value(7));
}

// Text larger than a sheet reads as far as the sheet reaches; what was left
// out is noted, and fields that are empty lose nothing.
TEST(WorkbookFiles, TextLargerThanASheetReadsWhatFitsAndNotesWhatWasLeftOut)
{
    testsupport::TempDir dir;
    struct Row {
        const char* name;
        std::string bytes;
        std::int32_t rows;
        std::int32_t cols;
        bool rowsCut;
        bool colsCut;
    };
    const Row rows[] = {
        {"wider than a sheet", std::string(300, '\t') + "x\r\ny\r\n", 2, 1, false, true},
        {"a quoted field past the last column", "a" + std::string(256, ',') + "\"x\"\r\n", 1, 1, false, true},
        {"longer than a sheet", repeated("1\r\n", spreadsheet::kMaxRows) + "2\r\n", spreadsheet::kMaxRows, 1, true,
         false},
        {"a line of 8,000 tabs, then 16,383 lines", std::string(8000, '\t') + "\n" + repeated("a\n", 16383),
         spreadsheet::kMaxRows, 1, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto path = dir.file("large.txt");
        testsupport::writeFile(path, row.bytes);
        Workbook wb;
        std::vector<spreadsheet::LeftOut> leftOut;
        EXPECT_EQ(wb.Read(path.string(), leftOut), static_cast<std::int32_t>(FileType::Text));
        EXPECT_EQ(wb.lastUsedRow(1), row.rows);
        EXPECT_EQ(wb.lastUsedCol(1), row.cols);
        if (!row.rowsCut && !row.colsCut) {
            EXPECT_TRUE(leftOut.empty());
            continue;
        }
        ASSERT_EQ(leftOut.size(), 1U);
        EXPECT_EQ(leftOut[0].sheet, "Sheet1");
        EXPECT_EQ(leftOut[0].rows, row.rowsCut);
        EXPECT_EQ(leftOut[0].columns, row.colsCut);
    }
    EXPECT_EQ(spreadsheet::leftOutMessage({{"Data", true, true}, {"Two", false, true}}),
              "Rows after 16,384 of sheet Data were not loaded: a sheet holds 16,384 rows.\r\n"
              "Columns after 256 of sheet Data were not loaded: a sheet holds 256 columns.\r\n"
              "Columns after 256 of sheet Two were not loaded: a sheet holds 256 columns.");
    EXPECT_EQ(spreadsheet::leftOutMessage({}), "");
}

TEST(WorkbookFiles, MalformedAndTruncatedFilesAreRefusedAndChangeNothing)
{
    testsupport::TempDir dir;
    Workbook source = sampleBook();
    const std::string xls = dir.file("good.xls").string();
    const std::string xls95 = dir.file("good95.xls").string();
    const std::string vts = dir.file("good.vts").string();
    source.Write(xls, static_cast<std::int32_t>(FileType::Excel97));
    source.Write(xls95, static_cast<std::int32_t>(FileType::Excel5));
    source.Write(vts, static_cast<std::int32_t>(FileType::Native));
    const std::string xlsBytes = testsupport::readFile(xls);
    const std::string xls95Bytes = testsupport::readFile(xls95);
    const std::string vtsBytes = testsupport::readFile(vts);

    std::string badNumber = vtsBytes;
    badNumber.replace(badNumber.find("\tn\t") + 3, 1, "x");
    std::string wrongCount = vtsBytes;
    wrongCount.replace(wrongCount.rfind("end\t"), std::string::npos, "end\t1\n");
    std::string oleGarbage = xlsBytes.substr(0, 8) + std::string(600, '\x07');

    struct Row {
        const char* name;
        std::string bytes;
    };
    const Row rows[] = {
        {"empty", ""},
        {"binary", std::string("\x01\x02\x03\x00\xFF", 5)},
        {"xls truncated", xlsBytes.substr(0, xlsBytes.size() / 2)},
        {"xls95 truncated", xls95Bytes.substr(0, 1024)},
        {"xls header only", xlsBytes.substr(0, 512)},
        {"compound file magic then garbage", oleGarbage},
        {"native truncated", vtsBytes.substr(0, vtsBytes.size() / 2)},
        {"native without its last line", vtsBytes.substr(0, vtsBytes.rfind("end\t"))},
        {"native with a bad number", badNumber},
        {"native with a wrong count", wrongCount},
        {"native of a later version", "TESSARAY WORKBOOK\t9\n"},
        {"text with a control character", "a\tb\r\n\x02\r\n"},
        {"first byte of a compound file", xlsBytes.substr(0, 1)},
        {"first two bytes of a compound file", xlsBytes.substr(0, 2)},
        {"first seven bytes of a compound file", xlsBytes.substr(0, 7)},
    };
    for (const Row& row : rows) {
        Workbook wb;
        wb.setCellValue(1, 1, 1, Value("untouched"));
        EXPECT_EQ(nativetest::readError(wb, row.bytes, "bad.bin"), spreadsheet::kInvalidFileFormat) << row.name;
        EXPECT_EQ(wb.cellValue(1, 1, 1), Value("untouched")) << row.name;
    }
    Workbook wb;
    EXPECT_EQ(testsupport::errorNumber([&] { wb.Read(dir.file("missing.xls").string()); }), platform::err::FileNotFound);
}

TEST(WorkbookFiles, InterruptedWriteKeepsTheOldFile)
{
    testsupport::TempDir dir;
    const auto path = dir.file("results.vts");
    testsupport::writeFile(path, "the old content");
    EXPECT_THROW(spreadsheet::detail::writeFileAtomically(path.string(),
                                                          [](const std::string& temp) {
                                                              std::ofstream out(temp, std::ios::binary);
                                                              out << "half of the new";
                                                              out.close();
                                                              throw platform::Error(61, "test", "disk full");
                                                          }),
                 platform::Error);
    EXPECT_EQ(testsupport::readFile(path), "the old content");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

TEST(WorkbookFiles, WriteIntoMissingFolderFailsWithFileError)
{
    testsupport::TempDir dir;
    Workbook wb = sampleBook();
    wb.setChanged(true);
    const std::string path = (dir.path() / "no such folder" / "x.vts").string();
    const int n = testsupport::errorNumber([&] { wb.Write(path, static_cast<std::int32_t>(FileType::Native)); });
    EXPECT_TRUE(n >= 52 && n <= 76) << n;
    EXPECT_TRUE(wb.isChanged()) << "a failed save leaves the book marked as changed";
    EXPECT_EQ(testsupport::errorNumber([&] { wb.Write(dir.file("x").string(), 0); }), 5) << "an empty Tag picks no format";
}

} // namespace

namespace {

TEST(WorkbookFiles, TextLineEndsEmptyFieldsAndLinesKeepTheirPlaces)
{
    struct Row {
        const char* name;
        std::string bytes;
    };
    // Every variant holds the same table: a header, an empty line, a row with an empty field.
    const Row rows[] = {
        {"CR LF", "id\tx\r\n\r\nr1\t\t3\r\n\r\n"},
        {"LF", "id\tx\n\nr1\t\t3\n"},
        {"CR", "id\tx\r\rr1\t\t3\r"},
        {"UTF-8 mark", "\xEF\xBB\xBFid\tx\n\nr1\t\t3\n"},
    };
    for (const Row& row : rows) {
        const Workbook wb = nativetest::readBack(row.bytes, "t.txt");
        EXPECT_EQ(wb.cellValue(1, 1, 1), Value("id")) << row.name;
        EXPECT_EQ(wb.cellValue(1, 1, 2), Value("x")) << row.name;
        EXPECT_TRUE(wb.cellValue(1, 2, 1).isEmpty()) << row.name;
        EXPECT_EQ(wb.cellValue(1, 3, 1), Value("r1")) << row.name;
        EXPECT_TRUE(wb.cellValue(1, 3, 2).isEmpty()) << row.name << ": an empty field keeps its column";
        EXPECT_EQ(wb.cellValue(1, 3, 3), Value(3)) << row.name;
        EXPECT_EQ(wb.lastUsedRow(), 3) << row.name << ": trailing empty lines add no rows";
    }
}

TEST(WorkbookFiles, TextWriteKeepsEmptyCellsAndFlattensLineBreaksInTexts)
{
    testsupport::TempDir dir;
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value("two\nlines"));
    wb.setCellValue(1, 2, 3, Value(1e20));
    const auto path = dir.file("o.txt");
    wb.Write(path.string(), static_cast<std::int32_t>(FileType::Text));
    EXPECT_EQ(testsupport::readFile(path), "two lines\t\t\r\n\t\t1E+20\r\n");
    wb.Write(path.string(), static_cast<std::int32_t>(FileType::TextValuesOnly));
    EXPECT_EQ(testsupport::readFile(path), "two lines\t\t\r\n\t\t1e+20\r\n");
}

// A broken character in a cell (a byte of a damaged file) is written as
// U+FFFD, so that the file stays UTF-8 and its other characters read back.
TEST(WorkbookFiles, TextAndHtmlWritersWriteNoBrokenCharacter)
{
    testsupport::TempDir dir;
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value("x\xC3"));
    wb.setCellValue(1, 1, 2, Value("\xC3\x85ngstr\xC3\xB6m"));
    wb.setCellValue(1, 1, 3, Value("\x85"));
    const std::string replaced = "x\xEF\xBF\xBD", kept = "\xC3\x85ngstr\xC3\xB6m", lone = "\xEF\xBF\xBD";
    const std::string text = replaced + "\t" + kept + "\t" + lone;
    const std::string html = "<td>" + replaced + "</td><td>" + kept + "</td><td>" + lone + "</td>";
    for (const FileType type : {FileType::Text, FileType::TextValuesOnly, FileType::Html, FileType::HtmlDataOnly}) {
        SCOPED_TRACE(static_cast<int>(type));
        const std::string path = dir.file("broken").string();
        wb.Write(path, static_cast<std::int32_t>(type));
        const bool isHtml = type == FileType::Html || type == FileType::HtmlDataOnly;
        EXPECT_NE(testsupport::readFile(path).find(isHtml ? html : text), std::string::npos);
        if (isHtml)
            continue;  // written, never read
        Workbook back;
        back.Read(path);
        EXPECT_EQ(back.cellValue(1, 1, 2), Value("\xC3\x85ngstr\xC3\xB6m"));
    }
}

TEST(WorkbookFiles, XlsReadKeepsTheActiveBookAfterAFailedRead)
{
    testsupport::TempDir dir;
    Workbook wb = sampleBook();
    wb.setTableName("/x/y.xls");
    wb.setTag("2");
    const auto path = dir.file("broken.xls");
    testsupport::writeFile(path, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(100, '\0'));
    EXPECT_THROW(wb.Read(path.string()), platform::Error);
    expectSampleValues(wb, "after a failed read");
    EXPECT_EQ(wb.TableName(), "/x/y.xls");
    EXPECT_EQ(wb.Tag(), "2");
}

} // namespace

namespace {

TEST(WorkbookFiles, XlsKeepsLogicalAndErrorValues)
{
    testsupport::TempDir dir;
    Workbook wb;
    wb.setNumSheets(2);
    wb.setCellValue(2, 1, 1, Value::logical(true));
    wb.setCellValue(2, 1, 2, Value::logical(false));
    wb.setCellValue(2, 2, 1, Value::error(CellError::Div0));
    wb.setCellValue(2, 2, 2, Value::error(CellError::NA));
    wb.setCellValue(2, 3, 1, Value(1));
    for (FileType type : {FileType::Excel97, FileType::Excel5}) {
        const std::string path = dir.file("kinds.xls").string();
        wb.Write(path, static_cast<std::int32_t>(type));
        Workbook back;
        back.Read(path);
        const int t = static_cast<int>(type);
        EXPECT_EQ(back.cellValue(2, 1, 1), Value::logical(true)) << t;
        EXPECT_EQ(back.cellValue(2, 1, 2), Value::logical(false)) << t;
        EXPECT_EQ(back.cellValue(2, 2, 1), Value::error(CellError::Div0)) << t << ": an error never turns into a number";
        EXPECT_EQ(back.cellValue(2, 2, 2), Value::error(CellError::NA)) << t;
        EXPECT_EQ(back.cellValue(2, 3, 1), Value(1)) << t;
    }
}

} // namespace

namespace {

TEST(WorkbookFiles, CommaSeparatedTextWithoutTabsIsSplitAtCommas)
{
    testsupport::TempDir dir;
    const auto path = dir.file("latin.csv");
    testsupport::writeFile(path, "gene,\"M\xFCller, K.\",,2.5\r\n\"say \"\"hi\"\"\",1\r\n");
    Workbook wb;
    wb.Read(path.string());
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value("gene"));
    EXPECT_EQ(wb.cellValue(1, 1, 2), Value("M\xC3\xBCller, K."));
    EXPECT_TRUE(wb.cellValue(1, 1, 3).isEmpty());
    EXPECT_EQ(wb.cellValue(1, 1, 4), Value(2.5));
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value("say \"hi\""));
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(1));

    testsupport::writeFile(path, "a,b\tc\xE9\r\n");  // a tab decides: commas stay in the text
    wb.Read(path.string());
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value("a,b"));
}

} // namespace

namespace {

// The question names each kind of loss on a line of its own, counted, the
// first places named.
TEST(WorkbookFiles, TheQuestionNamesEveryLossOfTheTypeCounted)
{
    struct Row {
        const char* name;
        std::function<void(Workbook&)> make;
        FileType type;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"two sheets as text", [](Workbook&) {}, FileType::Text,
         {"sheet M\xC3\xBCller 2: only the active sheet, Expression data, is written, without its name",
          "1 number written as shown, rounded by its format (cell B2 of sheet Expression data: "
          "0.30000000000000004 as 0.3)"}},
        {"five sheets as HTML data only",
         [](Workbook& wb) {
             wb.setNumSheets(5);
             wb.setSheet(2);
         },
         FileType::HtmlDataOnly,
         {"sheets Expression data, Sheet3, Sheet4 and 1 more: only the active sheet, M\xC3\xBC"
          "ller 2, is written, without its name"}},
        {"Greek texts in four cells, Excel 5",
         [](Workbook& wb) {
             for (std::int32_t r = 1; r <= 4; ++r)
                 wb.setCellValue(1, r, 3, Value("\xCE\x94"));
             wb.setCellFormula(1, 5, 3, "B2*2");
         },
         FileType::Excel5,
         {"1 formula, written as its value",
          "the characters it lacks in 4 texts, written as \"?\": cell C1 of sheet Expression data, cell C2 of sheet "
          "Expression data, cell C3 of sheet Expression data and 1 more (Excel 97/2000 keeps them)"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Workbook wb = sampleBook();
        row.make(wb);
        const std::optional<std::string> question = spreadsheet::unkeptQuestion(wb, row.type);
        EXPECT_EQ(question.value_or(""), testsupport::unkeptQuestionText(row.type, row.lines));
    }
}

} // namespace
