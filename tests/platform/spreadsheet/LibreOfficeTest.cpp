// Workbook files checked by an independent reader: LibreOffice (soffice,
// installed by the test command) converts what we write to one CSV file per
// sheet, cells as it shows them, and every cell must show what the model
// holds. The other way round, a workbook that LibreOffice made must read
// here as LibreOffice shows it. Skipped with a message when soffice is not
// installed.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/spreadsheet/DrawingObject.h"
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/NumberFormat.h"
#include "platform/spreadsheet/PageSetup.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"
#include "platform/spreadsheet/XlsReader.h"
#include "tests/support/LibreOffice.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::CellError;
using spreadsheet::FileType;
using spreadsheet::Value;
using spreadsheet::Workbook;
namespace fs = std::filesystem;

using Grid = std::vector<std::vector<std::string>>;

std::optional<fs::path> findSoffice()
{
    return testsupport::sofficePath();
}

constexpr const char* kNoSoffice =
    "soffice is not installed (scripts/bootstrap --test installs it): files are not checked by LibreOffice";

// Fields of tab-separated lines with double quotes around fields that need them.
Grid parseTsv(const std::string& text)
{
    Grid grid;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"' && field.empty()) {
            quoted = true;
            any = true;
        } else if (c == '\t') {
            row.push_back(field);
            field.clear();
            any = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            row.push_back(field);
            grid.push_back(row);
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any) {
        row.push_back(field);
        grid.push_back(row);
    }
    return grid;
}

// Every sheet of `file` as LibreOffice shows it (asShown), or with its
// values in full, by sheet name. inFilter names LibreOffice's import filter
// where the file's extension does not choose the spreadsheet one. The
// profile lives in `work`, so that runs in parallel do not share one.
std::map<std::string, Grid> libreOfficeSheets(const fs::path& soffice, const fs::path& file, const fs::path& work,
                                              const std::string& inFilter = "", bool asShown = true)
{
    const fs::path out = work / "csv";
    fs::create_directories(out);
    // A point-decimal locale, whatever the test runs under, so that imported
    // text reads its numbers as numbers.
    testsupport::OfficeRun run;
    run.program = soffice;
    run.profile = work / "profile";
    if (!inFilter.empty())
        run.args.push_back("--infilter=" + inFilter);
    // Tab, double quote, UTF-8, from line 1, cells as shown or not, every sheet.
    run.args.push_back("--convert-to");
    run.args.push_back(std::string("csv:Text - txt - csv (StarCalc):9,34,76,1,,0,false,true,") +
                       (asShown ? "true" : "false") + ",false,false,-1");
    run.args.insert(run.args.end(), {"--outdir", out.string(), file.string()});
    run.done = [&out] { return !fs::is_empty(out); };
    EXPECT_TRUE(testsupport::runOffice(run)) << file;
    std::map<std::string, Grid> sheets;
    const std::string prefix = file.stem().string() + "-";
    for (const auto& entry : fs::directory_iterator(out)) {
        std::string name = entry.path().stem().string();
        if (name.rfind(prefix, 0) == 0)
            name = name.substr(prefix.size());
        sheets[name] = parseTsv(testsupport::readFile(entry.path()));
    }
    fs::remove_all(out);
    return sheets;
}

std::string shownAt(const Grid& grid, std::int32_t row, std::int32_t col)
{
    const auto r = static_cast<std::size_t>(row - 1);
    const auto c = static_cast<std::size_t>(col - 1);
    return r < grid.size() && c < grid[r].size() ? grid[r][c] : std::string();
}

// Whether LibreOffice's text of a cell shows the value: numbers to 12
// significant digits, logicals as TRUE/FALSE or 1/0, errors by their text.
::testing::AssertionResult shows(const std::string& shown, const Value& v)
{
    bool ok = false;
    switch (v.kind()) {
    case spreadsheet::ValueKind::Empty:
        ok = shown.empty();
        break;
    case spreadsheet::ValueKind::Text:
        ok = shown == v.text();
        break;
    case spreadsheet::ValueKind::Number: {
        double d = 0;
        ok = spreadsheet::parseNumber(shown, d) && testsupport::nearRel(d, v.number(), 1e-12);
        break;
    }
    case spreadsheet::ValueKind::Logical:
        ok = v.logicalValue() ? (shown == "TRUE" || shown == "1") : (shown == "FALSE" || shown == "0");
        break;
    case spreadsheet::ValueKind::Error:
        ok = shown == v.displayText();
        break;
    }
    if (ok)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "LibreOffice shows \"" << shown.substr(0, 80) << "\" for "
                                         << v.displayText().substr(0, 80);
}

// What a format keeps of a value: BIFF5 texts are Windows-1252 ("?" for
// the characters it lacks) of at most 2,072 characters per cell.
using Fold = Value (*)(const Value&);
Value kept(const Value& v)
{
    return v;
}
Value keptInBiff5(const Value& v)
{
    if (!v.isText())
        return v;
    std::string t = v.text();
    for (std::size_t at = t.find("\xCE\x94"); at != std::string::npos; at = t.find("\xCE\x94"))
        t.replace(at, 2, "?");
    if (t.size() > 2072)
        t.resize(2072);  // the sample's long text is ASCII that far
    return Value(t);
}

// LibreOffice's HTML import breaks long texts into lines.
std::string joinedLines(std::string s)
{
    s.erase(std::remove(s.begin(), s.end(), '\n'), s.end());
    return s;
}

void expectSheetShown(const Workbook& wb, std::int32_t sheet, const Grid& grid, const std::string& what,
                      Fold fold = kept)
{
    for (std::int32_t r = 1; r <= wb.lastUsedRow(sheet); ++r)
        for (std::int32_t c = 1; c <= wb.lastUsedCol(sheet); ++c)
            EXPECT_TRUE(shows(joinedLines(shownAt(grid, r, c)), fold(wb.cellValue(sheet, r, c))))
                << what << ", sheet " << sheet << " row " << r << " column " << c;
}

const std::string kLongText = [] {
    std::string s;
    for (int i = 0; i < 1999; ++i)
        s += "abcdefghij";
    return s + "M\xC3\xBCller END";  // 20,000 characters
}();

// What analyses leave in a workbook, with every kind of value.
// Our .xls file saved again by LibreOffice as its own .xls, in a folder
// of `work`, and read into `back`.
void resavedByLibreOffice(const fs::path& soffice, const fs::path& ours, const fs::path& work, Workbook& back)
{
    const fs::path out = work / "resaved";
    testsupport::OfficeRun run;
    run.program = soffice;
    run.profile = work / "profile";
    run.args = {"--convert-to", "xls:MS Excel 97", "--outdir", out.string(), ours.string()};
    run.done = [&] { return fs::exists(out / ours.filename()); };
    ASSERT_TRUE(testsupport::runOffice(run)) << ours;
    ASSERT_EQ(back.Read((out / ours.filename()).string()), static_cast<std::int32_t>(FileType::Excel97));
}

Workbook sampleBook()
{
    Workbook wb;
    wb.setNumSheets(2);
    wb.setSheetName(1, "Expression data");
    wb.setSheetName(2, "Zweite");
    const Value values[] = {Value("gene"), Value("1007_s_at"), Value(0.1 + 0.2), Value(-1234567.125), Value(1e-300),
                            Value(6.02214076e23), Value(42), Value("a\"quoted\" <tag> & more"),
                            Value("M\xC3\xBCller \xCE\x94"), Value::logical(true), Value::logical(false),
                            Value::error(CellError::Div0), Value::error(CellError::NA), Value::error(CellError::Value),
                            Value::error(CellError::Ref), Value::error(CellError::Name), Value::error(CellError::Num),
                            Value(kLongText)};
    std::int32_t row = 1;
    for (const Value& v : values)
        wb.setCellValue(1, row++, 2, v);
    wb.setCellValue(1, 1, 1, Value("label"));
    wb.setCellFormula(1, row, 2, "B3*2");
    for (std::int32_t r = 1; r <= 300; ++r)
        wb.setCellValue(2, r, 1 + r % 7, Value(r * 0.5));
    wb.setSheet(1);
    return wb;
}

// The first start on a new profile may only make the profile and end with
// status 81, as soffice.bin does; a second start does the work. A stand-in
// program plays the three ways a start can go.
TEST(LibreOffice, AStartThatOnlyMadeTheProfileIsTriedOnceMore)
{
    struct Row {
        const char* name;
        const char* firstStart;  // what the stand-in does on a new profile
        int starts;
    };
    const Row rows[] = {
        {"the work at once", ":", 1},
        {"a restart request first", "mkdir -p \"$profile\"; exit 81", 2},
        {"a start without its output first", "mkdir -p \"$profile\"; exit 0", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::TempDir dir;
        const fs::path program = dir.file("soffice");
        testsupport::writeFile(program, std::string("#!/bin/sh\n"
                                                    "echo start >> \"") + dir.file("starts").string() + "\"\n"
                                        "profile=\"${1#-env:UserInstallation=file://}\"\n"
                                        "if [ ! -d \"$profile\" ]; then " + row.firstStart + "; fi\n"
                                        "mkdir -p \"$profile\"; echo done > \"$5\"\n");
        fs::permissions(program, fs::perms::owner_all);
        testsupport::OfficeRun run;
        run.program = program;
        run.profile = dir.file("profile");
        run.args = {"--convert-to", dir.file("out.txt").string()};
        run.done = [&] { return fs::exists(dir.file("out.txt")); };
        EXPECT_TRUE(testsupport::runOffice(run));
        const std::string starts = testsupport::readFile(dir.file("starts"));
        EXPECT_EQ(std::count(starts.begin(), starts.end(), '\n'), row.starts);
    }
}

// A program that fails every time is reported with what it said, not taken
// for a reader that found nothing.
TEST(LibreOffice, AStartThatFailsTwiceIsReportedWithItsStatus)
{
    testsupport::TempDir dir;
    const fs::path program = dir.file("soffice");
    testsupport::writeFile(program, "#!/bin/sh\necho cannot open display >&2\nexit 1\n");
    fs::permissions(program, fs::perms::owner_all);
    testsupport::OfficeRun run;
    run.program = program;
    run.profile = dir.file("profile");
    const ::testing::AssertionResult result = testsupport::runOffice(run);
    EXPECT_FALSE(result);
    EXPECT_NE(std::string(result.message()).find("status 1, then 1"), std::string::npos) << result.message();
    EXPECT_NE(std::string(result.message()).find("cannot open display"), std::string::npos) << result.message();
}

TEST(LibreOffice, ShowsEveryCellOfEveryWorkbookFormatWeWrite)
{
    const std::optional<fs::path> soffice = findSoffice();
    if (!soffice)
        GTEST_SKIP() << kNoSoffice;
    testsupport::TempDir dir;
    Workbook wb = sampleBook();
    struct Row {
        const char* file;
        FileType type;
        const char* inFilter;
        bool everySheet;
        Fold fold;
    };
    // The native format is our own and LibreOffice does not read it; our own
    // reader checks it (FilesTest). Texts are compared with their values in
    // full, as LibreOffice shows imported numbers to a few digits.
    const Row rows[] = {
        {"biff8.xls", FileType::Excel97, "", true, kept},
        {"biff5.xls", FileType::Excel5, "", true, keptInBiff5},
        {"values.txt", FileType::TextValuesOnly, "Text - txt - csv (StarCalc):9,34,76,1", false, kept},
        {"shown.txt", FileType::Text, "Text - txt - csv (StarCalc):9,34,76,1", false, kept},
        {"data.htm", FileType::HtmlDataOnly, "HTML (StarCalc)", false, kept},
    };
    for (const Row& row : rows) {
        const fs::path path = dir.file(row.file);
        wb.Write(path.string(), static_cast<std::int32_t>(row.type));
        const auto sheets = libreOfficeSheets(*soffice, path, dir.path(), row.inFilter, row.everySheet);
        if (row.everySheet) {
            ASSERT_EQ(sheets.size(), 2u) << row.file;
            for (std::int32_t s = 1; s <= wb.NumSheets(); ++s) {
                const auto it = sheets.find(wb.SheetName(s));
                ASSERT_NE(it, sheets.end()) << row.file << ": no sheet " << wb.SheetName(s);
                expectSheetShown(wb, s, it->second, row.file, row.fold);
            }
        } else {
            ASSERT_EQ(sheets.size(), 1u) << row.file;
            expectSheetShown(wb, 1, sheets.begin()->second, row.file);
        }
    }
}

// The page with every sheet holds each sheet's table under its name. In
// LibreOffice the tables follow each other on one sheet, their columns not
// always where they were: each row must show our row's values in order.
TEST(LibreOffice, ShowsEveryTableOfTheWholeHtmlPage)
{
    const std::optional<fs::path> soffice = findSoffice();
    if (!soffice)
        GTEST_SKIP() << kNoSoffice;
    testsupport::TempDir dir;
    Workbook wb = sampleBook();
    const fs::path path = dir.file("page.htm");
    wb.Write(path.string(), static_cast<std::int32_t>(FileType::Html));
    const auto sheets = libreOfficeSheets(*soffice, path, dir.path(), "HTML (StarCalc)", false);
    ASSERT_EQ(sheets.size(), 1u);
    std::vector<std::vector<std::string>> shownRows;
    for (const auto& row : sheets.begin()->second) {
        std::vector<std::string> fields;
        for (const std::string& f : row)
            if (!f.empty())
                fields.push_back(joinedLines(f));
        if (!fields.empty())
            shownRows.push_back(fields);
    }
    std::size_t at = 0;
    for (std::int32_t s = 1; s <= wb.NumSheets(); ++s) {
        ASSERT_LT(at, shownRows.size());
        EXPECT_EQ(shownRows[at++], std::vector<std::string>{wb.SheetName(s)});
        for (std::int32_t r = 1; r <= wb.lastUsedRow(s); ++r) {
            std::vector<Value> values;
            for (std::int32_t c = 1; c <= wb.lastUsedCol(s); ++c)
                if (!wb.cellValue(s, r, c).isEmpty())
                    values.push_back(wb.cellValue(s, r, c));
            if (values.empty())
                continue;
            ASSERT_LT(at, shownRows.size()) << "sheet " << s << " row " << r;
            const auto& shown = shownRows[at++];
            ASSERT_EQ(shown.size(), values.size()) << "sheet " << s << " row " << r;
            for (std::size_t i = 0; i < values.size(); ++i)
                EXPECT_TRUE(shows(shown[i], values[i])) << "sheet " << s << " row " << r;
        }
    }
}

// A workbook LibreOffice made (formulas with number, text, logical and error
// results, a date, a 20,000-character text, booleans) reads as LibreOffice
// shows it; made with: soffice --convert-to xls:"MS Excel 97" from the flat
// document data/libreoffice_mixed.fods.
TEST(LibreOffice, WorkbookItMadeReadsAsItShowsIt)
{
    const fs::path made =
        fs::path(TESSARAY_SOURCE_DIR) / "tests" / "platform" / "spreadsheet" / "data" / "libreoffice_mixed.xls";
    Workbook wb;
    ASSERT_EQ(wb.Read(made.string()), static_cast<std::int32_t>(FileType::Excel97));
    ASSERT_EQ(wb.NumSheets(), 2);
    EXPECT_EQ(wb.SheetName(1), "Data");
    EXPECT_EQ(wb.cellValue(1, 3, 2), Value(6.5)) << "a formula's number";
    EXPECT_EQ(wb.cellValue(1, 4, 2), Value("Hello world")) << "a formula's text";
    EXPECT_EQ(wb.cellValue(1, 5, 2), Value::logical(true)) << "a formula's logical";
    EXPECT_EQ(wb.cellValue(1, 6, 2), Value::error(CellError::Div0));
    EXPECT_EQ(wb.cellValue(1, 8, 2), Value::error(CellError::NA));
    EXPECT_EQ(wb.cellValue(1, 9, 2), Value(46364)) << "2026-12-08 keeps its serial number";
    EXPECT_EQ(wb.cellValue(1, 10, 2), Value(kLongText));
    EXPECT_EQ(wb.cellValue(1, 14, 2), Value::error(CellError::Value));
    EXPECT_EQ(wb.cellValue(1, 16, 2), Value("\xCE\x94 delta \xC3\xA9t\xC3\xA9"));
    EXPECT_EQ(wb.cellValue(2, 2, 2), Value(49));

    // The date's cell keeps its date format beside it.
    const auto parsed =
        spreadsheet::detail::parseBiffStream(spreadsheet::detail::xlsWorkbookStream(testsupport::readFile(made)));
    const auto& cells = parsed.sheets.at(0).cells;
    const auto date = std::find_if(cells.begin(), cells.end(), [](const auto& f) { return f.row == 9 && f.col == 2; });
    ASSERT_NE(date, cells.end());
    const std::uint16_t code = parsed.xfs.at(date->xf).numberFormat;
    ASSERT_EQ(parsed.numberFormats.count(code), 1u);
    EXPECT_EQ(parsed.numberFormats.at(code), "yyyy\\-mm\\-dd");
    EXPECT_EQ(wb.cellFormat(1, 9, 2).numberFormat, "yyyy\\-mm\\-dd");

    const std::optional<fs::path> soffice = findSoffice();
    if (!soffice)
        GTEST_SKIP() << kNoSoffice;
    testsupport::TempDir dir;
    const auto sheets = libreOfficeSheets(*soffice, made, dir.path());
    ASSERT_EQ(sheets.size(), 2u);
    for (std::int32_t s = 1; s <= 2; ++s) {
        const Grid& grid = sheets.at(wb.SheetName(s));
        for (std::int32_t r = 1; r <= wb.lastUsedRow(s); ++r) {
            for (std::int32_t c = 1; c <= wb.lastUsedCol(s); ++c) {
                if (s == 1 && r == 9 && c == 2) {
                    EXPECT_EQ(shownAt(grid, r, c), "2026-12-08");  // shown through its date format
                    continue;
                }
                EXPECT_TRUE(shows(shownAt(grid, r, c), wb.cellValue(s, r, c))) << "sheet " << s << " row " << r
                                                                               << " column " << c;
            }
        }
    }
}

// Our BIFF8 file, saved again by LibreOffice as its own .xls, reads back
// with every value.
TEST(LibreOffice, OurWorkbookSavedAgainByItReadsBackWhole)
{
    const std::optional<fs::path> soffice = findSoffice();
    if (!soffice)
        GTEST_SKIP() << kNoSoffice;
    testsupport::TempDir dir;
    Workbook wb = sampleBook();
    const fs::path ours = dir.file("ours.xls");
    wb.Write(ours.string(), static_cast<std::int32_t>(FileType::Excel97));
    Workbook back;
    ASSERT_NO_FATAL_FAILURE(resavedByLibreOffice(*soffice, ours, dir.path(), back));
    ASSERT_EQ(back.NumSheets(), 2);
    for (std::int32_t s = 1; s <= 2; ++s) {
        EXPECT_EQ(back.SheetName(s), wb.SheetName(s));
        for (std::int32_t r = 1; r <= wb.lastUsedRow(s); ++r)
            for (std::int32_t c = 1; c <= wb.lastUsedCol(s); ++c)
                EXPECT_EQ(back.cellValue(s, r, c), wb.cellValue(s, r, c)) << "sheet " << s << " row " << r << " column " << c;
    }
}

// Our BIFF8 file with formats, saved again by LibreOffice, keeps the look
// of its cells and the sizes of its lines. LibreOffice measures sizes in its
// own units: widths and heights come back to within a rounding step.
TEST(LibreOffice, OurFormatsSavedAgainByItReadBack)
{
    const std::optional<fs::path> soffice = findSoffice();
    if (!soffice)
        GTEST_SKIP() << kNoSoffice;
    testsupport::TempDir dir;
    Workbook wb;
    for (std::int32_t r = 1; r <= 3; ++r)
        for (std::int32_t c = 1; c <= 3; ++c)
            wb.setCellValue(1, r, c, Value(r * 10 + c));
    wb.editSheetFormat(1, [](spreadsheet::SheetFormat& f) {
        f.change({1, 1, 1, 3}, [](spreadsheet::CellFormat& c) {
            c.bold = true;
            c.fontSize = 14;
        });
        f.change({2, 2, 2, 2}, [](spreadsheet::CellFormat& c) {
            c.hAlign = spreadsheet::HAlign::Center;
            c.fill = 0xFFFF00;
        });
        f.change({3, 3, 3, 3}, [](spreadsheet::CellFormat& c) { c.hAlign = spreadsheet::HAlign::Right; });
        f.change({1, 5, 1, 7}, [](spreadsheet::CellFormat& c) { c.fill = 0x00FF00; });  // empty cells past the values
        f.change({5, 2, 5, 2}, [](spreadsheet::CellFormat& c) { c.fill = 0x00FF00; });
        f.setColWidth(2, 2, 20);
        f.setRowHeight(3, 3, 30);
    });
    const fs::path ours = dir.file("formats.xls");
    wb.Write(ours.string(), static_cast<std::int32_t>(FileType::Excel97));
    Workbook back;
    ASSERT_NO_FATAL_FAILURE(resavedByLibreOffice(*soffice, ours, dir.path(), back));
    for (std::int32_t c = 1; c <= 3; ++c) {
        EXPECT_TRUE(back.cellFormat(1, 1, c).bold) << "column " << c;
        EXPECT_EQ(back.cellFormat(1, 1, c).fontSize, 14) << "column " << c;
    }
    EXPECT_FALSE(back.cellFormat(1, 2, 1).bold);
    EXPECT_EQ(back.cellFormat(1, 2, 2).hAlign, spreadsheet::HAlign::Center);
    EXPECT_EQ(back.cellFormat(1, 2, 2).fill, 0xFFFF00u);
    EXPECT_EQ(back.cellFormat(1, 3, 3).hAlign, spreadsheet::HAlign::Right);
    EXPECT_EQ(back.cellFormat(1, 3, 2).fill, spreadsheet::kNoFill);
    for (std::int32_t c = 5; c <= 7; ++c)
        EXPECT_EQ(back.cellFormat(1, 1, c).fill, 0x00FF00u) << "column " << c;
    EXPECT_EQ(back.cellFormat(1, 5, 2).fill, 0x00FF00u);
    const spreadsheet::SheetFormat& f = back.sheetFormat(1);
    EXPECT_NEAR(f.colWidth(2), 20, 0.1);
    EXPECT_NEAR(f.rowHeight(3), 30, 0.1);
    EXPECT_NEAR(f.colWidth(1), f.colWidth(3), 0.01) << "the other columns keep one width";
    EXPECT_EQ(back.cellValue(1, 3, 3), Value(33));
}

} // namespace

namespace {

// A comparison's result goes into .xls files as a logical: LibreOffice reads
// it as one and keeps it one when it saves the workbook again.
TEST(LibreOffice, KeepsComparisonsWeWroteAsLogicals)
{
    const std::optional<fs::path> soffice = findSoffice();
    if (!soffice)
        GTEST_SKIP() << kNoSoffice;
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value(2));
    wb.setCellValue(1, 2, 1, Value(4));
    wb.setCellFormula(1, 1, 2, "A1>A2");
    wb.setCellFormula(1, 2, 2, "A2>A1");
    for (const auto& [file, type] : {std::pair{"cmp8.xls", FileType::Excel97}, std::pair{"cmp5.xls", FileType::Excel5}}) {
        SCOPED_TRACE(file);
        testsupport::TempDir dir;
        const fs::path path = dir.file(file);
        wb.Write(path.string(), static_cast<std::int32_t>(type));
        Workbook back;
        resavedByLibreOffice(*soffice, path, dir.path(), back);
        EXPECT_EQ(back.cellValue(1, 1, 2), Value::logical(false));
        EXPECT_EQ(back.cellValue(1, 2, 2), Value::logical(true));
    }
}

} // namespace

namespace {

// A book as a user leaves it after an analysis: three sheets, formulas, a
// number with a format, texts past Latin-1 and with a line break, formats,
// a name, an object, frozen panes, print ranges, a page setup and break,
// options, protection.
Workbook richBook()
{
    Workbook wb;
    wb.setNumSheets(3);
    wb.setSheetName(1, "Expression data");
    wb.setSheetName(2, "Log data");
    wb.setSheetName(3, "Notes");
    const char* genes[] = {"gene", "1007_s_at", "g2"};
    for (std::int32_t r = 1; r <= 3; ++r)
        wb.setCellValue(1, r, 1, Value(genes[r - 1]));
    wb.setCellValue(1, 1, 2, Value("t1"));
    wb.setCellValue(1, 2, 2, Value(7.59732));
    wb.setCellValue(1, 3, 2, Value(-1.5));
    wb.setCellValue(1, 2, 3, Value("\xCE\x94-\xD0\x94\xD1\x83"));  // Greek and Cyrillic
    wb.setCellValue(1, 3, 3, Value("\xD0\x94\xD1\x83"));
    wb.setCellFormula(1, 4, 2, "B2*2");
    wb.setSelection(2, 2, 3, 2);
    wb.setNumberFormat("0.00");
    wb.setSelection(1, 1, 1, 3);
    wb.setFontBold(true);
    wb.SetColWidth(1, 1, 20);
    wb.setFreeze({1, 1, 1, 0});
    wb.setSelection(1, 1, 4, 3);
    wb.SetPrintAreaFromSelection();
    wb.setSelection(1, 1, 1, spreadsheet::kMaxCols);
    wb.SetPrintTitlesFromSelection();
    wb.setDefinedName("Genes", "'Expression data'!$A$2:$A$3");
    spreadsheet::DrawingObject box;
    box.from = {2, 5, 0, 0};
    box.to = {6, 7, 0, 0};
    (void)wb.addObject(1, box);
    wb.editSheetFormat(1, [](spreadsheet::SheetFormat& f) { (void)f.addRowBreak(3); });
    spreadsheet::WorkbookOptions options;
    options.showGridLines = false;
    wb.setOptions(options);
    wb.setEnableProtection(true);
    wb.setCellValue(2, 1, 1, Value(0.1 + 0.2));
    wb.setCellFormula(2, 2, 1, "A1*10");
    wb.setCellValue(2, 3, 1, Value(2.5));
    spreadsheet::PageSetup landscape;
    landscape.orientation = 2;
    wb.setPageSetup(2, landscape);
    wb.setCellValue(3, 1, 1, Value("two\nlines"));
    wb.setCellValue(3, 2, 1, Value("plain"));
    wb.setSheet(1);
    return wb;
}

// The sheets of a page LibreOffice read, split at the headings that name
// our sheets; a data-only table is the active sheet. Fields are read as
// typed into a cell.
Workbook bookOfShownPage(const Workbook& wb, const Grid& grid, bool headings)
{
    Workbook back;
    std::int32_t sheet = headings ? 0 : 1;
    std::int32_t row = 0;
    for (const auto& fields : grid) {
        const bool heading = headings && fields.size() >= 1 && sheet < wb.NumSheets() &&
                             fields[0] == wb.SheetName(sheet + 1);
        if (heading) {
            if (++sheet > back.NumSheets())
                back.setNumSheets(sheet);
            back.setSheetName(sheet, fields[0]);
            row = 0;
            continue;
        }
        if (sheet == 0)
            continue;
        ++row;
        for (std::size_t c = 0; c < fields.size(); ++c)
            if (!fields[c].empty())
                back.setCellValue(sheet, row, static_cast<std::int32_t>(c + 1), spreadsheet::parseEntry(fields[c]));
    }
    if (!headings)
        back.setSheetName(1, "Sheet1");
    return back;
}

// Each difference between the book and the one its file reads back as, in
// the words the question must hold to name it; formulas and numbers counted.
struct Differences {
    std::vector<std::string> words;
    std::size_t formulas = 0;
    std::size_t numbers = 0;
};

Differences differences(const Workbook& wb, const Workbook& back)
{
    Differences d;
    const auto need = [&d](std::string words) { d.words.push_back(std::move(words)); };
    // A file of one sheet holds the active one.
    std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
    if (back.NumSheets() == wb.NumSheets()) {
        for (std::int32_t s = 1; s <= wb.NumSheets(); ++s)
            pairs.emplace_back(s, s);
    } else {
        EXPECT_EQ(back.NumSheets(), 1);
        pairs.emplace_back(wb.Sheet(), 1);
        for (std::int32_t s = 1; s <= wb.NumSheets(); ++s)
            if (s != wb.Sheet())
                need(wb.SheetName(s));
        need("only the active sheet");
    }
    for (const auto& [s, b] : pairs) {
        if (back.SheetName(b) != wb.SheetName(s))
            need("without its name");
        const std::int32_t rows = std::max(wb.lastUsedRow(s), back.lastUsedRow(b));
        const std::int32_t cols = std::max(wb.lastUsedCol(s), back.lastUsedCol(b));
        for (std::int32_t r = 1; r <= rows; ++r) {
            for (std::int32_t c = 1; c <= cols; ++c) {
                if (back.cellFormula(b, r, c) != wb.cellFormula(s, r, c))
                    ++d.formulas;
                const Value v = wb.cellValue(s, r, c);
                if (back.cellValue(b, r, c) != v) {
                    if (v.isNumber())
                        ++d.numbers;
                    else
                        need("cell " + spreadsheet::cellRefText(r, c) + " of sheet " + wb.SheetName(s));
                }
                if (back.cellFormat(b, r, c) != wb.cellFormat(s, r, c))
                    need("formatting: the formats of");
            }
        }
        const spreadsheet::SheetFormat& f = wb.sheetFormat(s);
        const spreadsheet::SheetFormat& g = back.sheetFormat(b);
        for (std::int32_t c = 1; c <= cols; ++c)
            if (g.storedColWidth(c) != f.storedColWidth(c))
                need("the size or hiding of");
        if (back.objects(b).size() != wb.objects(s).size())
            need("drawing object");
        if (g.rowBreaks() != f.rowBreaks() || g.colBreaks() != f.colBreaks())
            need("manual page break");
        if (back.pageSetup(b) != wb.pageSetup(s))
            need("the page setup of sheet " + wb.SheetName(s));
        if (g.freeze != f.freeze)
            need("the frozen panes of sheet " + wb.SheetName(s));
        if (g.isProtected != f.isProtected)
            need("the protection of sheet " + wb.SheetName(s));
        if (g.printArea != f.printArea)
            need("the print area of sheet " + wb.SheetName(s));
        if (g.printTitles != f.printTitles)
            need("the print titles of sheet " + wb.SheetName(s));
    }
    if (back.definedNames().size() != wb.definedNames().size())
        need("defined name");
    if (back.options() != wb.options())
        need("the workbook options (grid lines hidden)");
    if (d.formulas > 0)
        need(std::to_string(d.formulas) + (d.formulas == 1 ? " formula," : " formulas,"));
    if (d.numbers > 0)
        need(std::to_string(d.numbers) + (d.numbers == 1 ? " number written as shown" : " numbers written as shown"));
    return d;
}

// A rich book written in every type and read back (by our reader, by
// LibreOffice for HTML, which we do not read): every difference is named
// by the question asked before the write; our own type asks nothing and
// loses nothing.
TEST(LibreOffice, EveryDifferenceARoundTripShowsWasNamedByTheQuestion)
{
    const std::optional<fs::path> soffice = findSoffice();
    if (!soffice)
        GTEST_SKIP() << kNoSoffice;
    testsupport::TempDir dir;
    Workbook wb = richBook();
    for (std::int32_t code = 1; code < static_cast<std::int32_t>(FileType::Count); ++code) {
        const auto type = static_cast<FileType>(code);
        SCOPED_TRACE(spreadsheet::fileTypeName(type));
        const std::string question = spreadsheet::unkeptQuestion(wb, type).value_or("");
        const fs::path path = dir.file("rich" + std::to_string(code) + "." +
                                       std::string(spreadsheet::fileTypeExtension(type)));
        wb.Write(path.string(), code);
        Workbook back;
        if (type == FileType::Html || type == FileType::HtmlDataOnly) {
            const auto sheets = libreOfficeSheets(*soffice, path, dir.path(), "HTML (StarCalc)");
            ASSERT_EQ(sheets.size(), 1u);
            back = bookOfShownPage(wb, sheets.begin()->second, type == FileType::Html);
            // A page holds no formulas, formats or anything beyond the values.
            EXPECT_NE(question.find("formatting: "), std::string::npos);
            EXPECT_NE(question.find("1 drawing object"), std::string::npos);
        } else {
            (void)back.Read(path.string());
        }
        const Differences d = differences(wb, back);
        if (type == FileType::Native || type == FileType::Native6) {
            EXPECT_EQ(question, "");
            EXPECT_EQ(d.words, std::vector<std::string>{});
            continue;
        }
        EXPECT_NE(question, "");
        for (const std::string& words : d.words)
            EXPECT_NE(question.find(words), std::string::npos) << "not named: " << words << "\n" << question;
    }
}

} // namespace

namespace {

// A number format code with the values it is shown for.
struct CodeValues {
    const char* code;
    std::vector<double> values;
};

// Each code of these families shows what LibreOffice's TEXT(value; code)
// gives, character for character (blanks included). Where LibreOffice cannot
// apply a code to a value it gives "#FMT"; the cell then shows the General
// text. One flat document holds every pair (no code needs XML escapes),
// read back through one run.
TEST(LibreOffice, NumberFormatCodesShowWhatItsTextFunctionShows)
{
    const std::optional<fs::path> soffice = findSoffice();
    if (!soffice)
        GTEST_SKIP() << kNoSoffice;
    const std::vector<double> fractionValues = {1.5,    0.5,   -1234.5678,  0,        3,       -3,
                                                0.25,   -0.5,  1234.5678,   0.001,    -0.001,  0.999,
                                                0.3333333, 2.04, 123456789.123, 1e9, 4294967295.5, 1e10};
    const std::vector<double> elapsedValues = {1.5,     -1.5,  0,        0.0000115, 0.99999,    1234.5678,
                                               -0.25,   0.5,   49710.26, -49710.26, 0.999999999, 1e7};
    const std::vector<double> scaledValues = {1234.5678, -1234.5678, 0, 0.25, 123456789.123, -0.4, 499, 500, 1e15};
    const std::vector<CodeValues> table = {
        {"[h]:mm", elapsedValues},
        {"[h]:mm:ss", elapsedValues},
        {"[hh]:mm", elapsedValues},
        {"[mm]:ss", elapsedValues},
        {"[ss]", elapsedValues},
        {"[h]", elapsedValues},
        {"[h]:mm:ss.00", elapsedValues},
        // Clock times from 0 on (a negative time is a date before the
        // calendar), at values whose seconds need no rounding: a clock time
        // here is rounded to the shown second, where LibreOffice cuts it.
        {"mm:ss.0", {1.5, 0, 0.99999, 1234.5678, 0.5, 45291.75}},
        {"h:mm:ss", {1.5, 0, 0.99999, 0.5}},
        {"# ?/?", fractionValues},
        {"?/?", fractionValues},
        {"# ?\?/?\?", fractionValues},
        {"?\?/?\?", fractionValues},
        {"0 ?/?", fractionValues},
        {"# ?\?\?/?\?\?", {1.5, 0.5, -1234.5678, 0, 3, 0.001, 0.999, 123456789.123}},
        {"#,##0 ?/?", {12345.5, -1234567.25, 0, 1000}},
        {"# ?/? \"in\"", {1.5, 0, -0.25}},
        {"?? ?/?", {1.5, 0.5, 0}},
        {"[h]:mm;\"minus \"[h]:mm", {1.5, -1.5}},
        {"0.0,", scaledValues},
        {"#,##0.0,", scaledValues},
        {"#,##0,,", scaledValues},
        {"0,", scaledValues},
        {"#,##0,", scaledValues},
        {"0.00,,", scaledValues},
        {"0.0,\"k\"", scaledValues},
        {"0,%", scaledValues},
        {"#", {0, 0.25, -0.4, -0.001, 1234.5678, -1234.5678, 1e15}},
        {"#,###", {0, 0.25, -0.4, 1234.5678, 123456789.123, 1e15}},
        {"#,", {0, 0.25, 499, 500, -1234.5678}},
        {"General", {0, 0.5, -1234.5678, 123456789.123, 3}},
        {"@", {0, 0.5, -1234.5678, 3}},
        {"#,##0.00", {0, -1234.5678, 1e15}},
        {"0.00E+00", {0, -1234.5678, 0.000123}},
    };

    std::string doc =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
        " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
        " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
        " xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" office:version=\"1.2\""
        " office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">\n"
        "<office:body><office:spreadsheet><table:table table:name=\"Codes\">\n";
    std::vector<std::pair<double, std::string>> pairs;
    for (const CodeValues& row : table) {
        for (const double v : row.values) {
            pairs.emplace_back(v, row.code);
            const std::string r = std::to_string(pairs.size());
            doc += "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"" +
                   spreadsheet::numberToRoundTripText(v) +
                   "\"/><table:table-cell office:value-type=\"string\"><text:p>" + row.code +
                   "</text:p></table:table-cell><table:table-cell table:formula=\"of:=TEXT([.A" + r + "];[.B" + r +
                   "])\"/></table:table-row>\n";
        }
    }
    doc += "</table:table></office:spreadsheet></office:body></office:document>\n";
    testsupport::TempDir dir;
    const fs::path file = dir.file("codes.fods");
    testsupport::writeFile(file, doc);
    const auto sheets = libreOfficeSheets(*soffice, file, dir.path());
    ASSERT_EQ(sheets.size(), 1u);
    const Grid& grid = sheets.begin()->second;
    ASSERT_EQ(grid.size(), pairs.size());
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const auto& [v, code] = pairs[i];
        const std::string theirs = shownAt(grid, static_cast<std::int32_t>(i + 1), 3);
        const std::string expected = theirs == "#FMT" ? Value(v).displayText() : theirs;
        EXPECT_EQ("[" + spreadsheet::formatNumber(v, code) + "]", "[" + expected + "]")
            << spreadsheet::numberToRoundTripText(v) << " under " << code;
    }
}

} // namespace
