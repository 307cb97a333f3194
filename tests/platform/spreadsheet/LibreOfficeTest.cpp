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

#include "platform/spreadsheet/FileFormats.h"
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
