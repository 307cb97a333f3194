// The sparse format model, the workbook's format members, and formats kept
// by our own files and read back by an independent program.

#include "platform/spreadsheet/SheetFormat.h"

#include <cstdlib>
#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/Workbook.h"
#include "tests/platform/spreadsheet/NativeRecords.h"
#include "tests/support/LibreOffice.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::BorderStyle;
using spreadsheet::CellFormat;
using spreadsheet::FileType;
using spreadsheet::HAlign;
using spreadsheet::RangeRef;
using spreadsheet::SheetFormat;
using spreadsheet::Value;
using spreadsheet::VAlign;
using spreadsheet::Workbook;

void makeBold(CellFormat& f)
{
    f.bold = true;
}

// Shifting the formats of a block of cells down, right or up matches moving
// each cell's style one by one, on random blocks of runs (seed printed).
TEST(SheetFormat, ShiftingCellsMovesEachCellsStyleLikeANaiveCopy)
{
    enum class Shift { Down, Right, Up };
    const unsigned seed = 20261209;
    std::srand(seed);
    const auto pick = [](int lo, int hi) { return lo + std::rand() % (hi - lo + 1); };
    for (int round = 0; round < 300; ++round) {
        SheetFormat f;
        for (int k = 0; k < 6; ++k) {
            const int r1 = pick(1, 12);
            const int c1 = pick(1, 12);
            const RangeRef block{r1, c1, pick(r1, 14), pick(c1, 14)};
            const int kind = pick(0, 2);
            f.change(block, [kind](CellFormat& c) { (kind == 0 ? c.bold : kind == 1 ? c.italic : c.underline) = true; });
        }
        const Shift shift = round % 3 == 0 ? Shift::Down : round % 3 == 1 ? Shift::Right : Shift::Up;
        const int at = pick(1, 10);
        const int lo = pick(1, 10);
        const int hi = pick(lo, 12);
        const int count = pick(1, 4);
        std::vector<std::vector<std::uint16_t>> before(26, std::vector<std::uint16_t>(21));
        for (int r = 1; r <= 25; ++r)
            for (int c = 1; c <= 20; ++c)
                before[r][c] = f.styleAt(r, c);
        switch (shift) {
        case Shift::Down: f.shiftCellsDown(at, lo, hi, count); break;
        case Shift::Right: f.shiftCellsRight(at, lo, hi, count); break;
        case Shift::Up: f.shiftCellsUp(at, lo, hi, count); break;
        }
        for (int r = 1; r <= 20; ++r) {
            for (int c = 1; c <= 20; ++c) {
                const int line = shift == Shift::Right ? r : c;   // the line that may move
                const int along = shift == Shift::Right ? c : r;  // the position along it
                std::uint16_t expected = before[r][c];
                if (line >= lo && line <= hi && along >= at) {
                    switch (shift) {
                    case Shift::Down: expected = r - count >= at ? before[r - count][c] : 0; break;
                    case Shift::Right: expected = c - count >= at ? before[r][c - count] : 0; break;
                    case Shift::Up: expected = before[r + count][c]; break;
                    }
                }
                ASSERT_EQ(f.styleAt(r, c), expected)
                    << "seed " << seed << " round " << round << " shift " << static_cast<int>(shift) << " at " << at
                    << " lines " << lo << ".." << hi << " by " << count << ", cell " << r << "," << c;
            }
        }
    }
}

TEST(SheetFormat, ChangingABlockSplitsAndJoinsRuns)
{
    SheetFormat f;
    f.change({2, 2, 3, 5}, makeBold);
    f.change({2, 4, 2, 8}, [](CellFormat& c) { c.italic = true; });
    EXPECT_FALSE(f.format(2, 1).bold);
    EXPECT_TRUE(f.format(2, 3).bold);
    EXPECT_FALSE(f.format(2, 3).italic);
    EXPECT_TRUE(f.format(2, 4).bold && f.format(2, 4).italic);
    EXPECT_TRUE(!f.format(2, 7).bold && f.format(2, 7).italic);
    EXPECT_FALSE(f.format(2, 9).italic);
    EXPECT_TRUE(f.format(3, 5).bold && !f.format(3, 5).italic);
    EXPECT_EQ(f.runs(2).size(), 3u);
    // Undoing the italic joins the row back into one bold run.
    f.change({2, 4, 2, 8}, [](CellFormat& c) { c.italic = false; });
    const std::vector<SheetFormat::Run> joined = {{2, 5, f.styleAt(2, 2)}};
    EXPECT_EQ(f.runs(2), joined);
    f.clear({1, 1, 3, 256});
    EXPECT_EQ(f.lastFormattedRow(), 0);
}

TEST(SheetFormat, BlockBetweenExistingRunsKeepsColumnOrder)
{
    SheetFormat f;
    f.change({1, 1, 1, 2}, makeBold);
    f.change({1, 10, 1, 12}, makeBold);
    f.change({1, 5, 1, 6}, [](CellFormat& c) { c.underline = true; });
    const auto& runs = f.runs(1);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1].firstCol, 5);
    EXPECT_TRUE(f.format(1, 5).underline && !f.format(1, 5).bold);
    EXPECT_TRUE(f.format(1, 11).bold);
}

TEST(SheetFormat, ThreeStylesOnALargeBlockStaySmall)
{
    SheetFormat f;
    f.change({1, 1, 16000, 80}, [](CellFormat& c) { c.numberFormat = "0.00"; });
    f.change({1, 1, 1, 80}, makeBold);
    f.change({1, 1, 16000, 1}, [](CellFormat& c) { c.fill = 0xFFFF00; });
    EXPECT_EQ(f.styleCount(), 5u);  // normal, 0.00, bold 0.00, filled 0.00, filled bold 0.00
    std::size_t runs = 0;
    for (std::int32_t r = 1; r <= f.lastFormattedRow(); ++r)
        runs += f.runs(r).size();
    EXPECT_EQ(runs, 32000u);
}

TEST(SheetFormat, LinesInsertedAndDeletedMoveTheirFormats)
{
    Workbook wb;
    wb.setSelection(3, 2, 3, 2);
    wb.setFontBold(true);
    wb.SetRowHeight(3, 3, 30);
    wb.SetColWidth(2, 2, 20);
    wb.insertRows(1, 1, 2);
    wb.insertCols(1, 1, 1);
    EXPECT_TRUE(wb.cellFormat(1, 5, 3).bold);
    EXPECT_FALSE(wb.cellFormat(1, 3, 2).bold);
    EXPECT_EQ(wb.sheetFormat(1).rowHeight(5), 30);
    EXPECT_EQ(wb.sheetFormat(1).colWidth(3), 20);
    wb.deleteRows(1, 1, 4);
    wb.deleteCols(1, 2, 1);
    EXPECT_TRUE(wb.cellFormat(1, 1, 2).bold);
    EXPECT_EQ(wb.sheetFormat(1).rowHeight(1), 30);
    EXPECT_EQ(wb.sheetFormat(1).colWidth(2), 20);
}

TEST(WorkbookFormat, SelectionMembersReadTheActiveCellAndSetTheWholeSelection)
{
    Workbook wb;
    wb.setSelection(2, 2, 4, 4);
    wb.addSelection({10, 1, 10, 1});
    wb.setActiveCell(2, 2);
    wb.setFontBold(true);
    wb.setFontItalic(true);
    wb.setFontUnderline(true);
    wb.setHAlign(HAlign::Center);
    wb.setFontName("Courier New");
    wb.setFontSize(12);
    wb.FormatFixed2();
    for (auto [r, c] : {std::pair{2, 2}, {4, 4}, {10, 1}}) {
        const CellFormat& f = wb.cellFormat(1, r, c);
        EXPECT_TRUE(f.bold && f.italic && f.underline) << r << "," << c;
        EXPECT_EQ(f.hAlign, HAlign::Center);
        EXPECT_EQ(f.fontName, "Courier New");
        EXPECT_EQ(f.fontSize, 12);  // points, never twentieths
        EXPECT_EQ(f.numberFormat, "0.00");
    }
    EXPECT_FALSE(wb.cellFormat(1, 5, 5).bold);
    EXPECT_TRUE(wb.FontBold());
    EXPECT_EQ(wb.FontSize(), 12);
    EXPECT_TRUE(wb.isChanged());

    const struct {
        const char* name;
        std::function<void()> call;
        std::int32_t error;
    } refusals[] = {
        {"font size zero", [&] { wb.setFontSize(0); }, 380},
        {"font size huge", [&] { wb.setFontSize(1000); }, 380},
        {"empty font name", [&] { wb.setFontName(""); }, 380},
        {"column width too wide", [&] { wb.SetColWidth(1, 1, 300); }, 380},
        {"row height negative", [&] { wb.SetRowHeight(1, 1, -1); }, 380},
        {"columns reversed", [&] { wb.SetColHidden(3, 2, true); }, 5},
        {"row past the sheet", [&] { wb.SetRowHidden(1, 16385, true); }, 5},
        {"freeze past the sheet", [&] { wb.setFreeze({16384, 2, 1, 0}); }, 5},
    };
    for (const auto& r : refusals) {
        try {
            r.call();
            ADD_FAILURE() << r.name << ": no error";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), r.error) << r.name;
        }
    }
    EXPECT_EQ(wb.FontSize(), 12);
}

TEST(WorkbookFormat, LayoutMembers)
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value("a fairly long label"));
    wb.setCellValue(1, 2, 1, Value(1.5));
    wb.setCellValue(1, 1, 3, Value(12345.678));
    wb.setSelection(1, 3, 1, 3);
    wb.setNumberFormat("#,##0.00");
    wb.SetColWidthAuto(1, 1, 16384, 4);
    EXPECT_EQ(wb.sheetFormat(1).colWidth(1), 20);  // 19 characters + 1
    EXPECT_EQ(wb.sheetFormat(1).colWidth(3), 10);  // "12,345.68" + 1
    EXPECT_FALSE(wb.sheetFormat(1).hasColWidth(2)); // nothing there: unchanged
    wb.SetColHidden(2, 3, true);
    EXPECT_EQ(wb.sheetFormat(1).colWidth(3), 0);
    wb.SetColHidden(2, 2, false);
    EXPECT_TRUE(wb.sheetFormat(1).isColHidden(3));
    EXPECT_FALSE(wb.sheetFormat(1).isColHidden(2));
    wb.SetRowHidden(5, 7, true);
    EXPECT_EQ(wb.sheetFormat(1).rowHeight(6), 0);

    wb.setSelection(3, 1, 4, spreadsheet::kMaxCols);
    wb.SetPrintTitlesFromSelection();
    EXPECT_EQ(wb.sheetFormat(1).printTitles, (RangeRef{3, 0, 4, 0}));
    wb.setSelection(1, 2, spreadsheet::kMaxRows, 2);
    wb.SetPrintTitlesFromSelection();
    EXPECT_EQ(wb.sheetFormat(1).printTitles, (RangeRef{0, 2, 0, 2}));
    wb.setSelection(2, 2, 9, 4);
    wb.SetPrintAreaFromSelection();
    EXPECT_EQ(wb.sheetFormat(1).printArea, (RangeRef{2, 2, 9, 4}));
    wb.setEnableProtection(true);
    EXPECT_TRUE(wb.EnableProtection());
    wb.setEnableProtection(false);

    wb.setSelection(1, 1, 1, 1);
    wb.EditClear(2);
    EXPECT_EQ(wb.cellFormat(1, 1, 3).numberFormat, "#,##0.00");
    wb.setSelection(1, 3, 1, 3);
    wb.EditClear(3);
    EXPECT_EQ(wb.cellFormat(1, 1, 3).numberFormat, "#,##0.00");  // contents only
    wb.setCellValue(1, 1, 3, Value(2.0));
    wb.EditClear(2);
    EXPECT_EQ(wb.cellFormat(1, 1, 3).numberFormat, "General");
    EXPECT_EQ(wb.cellValue(1, 1, 3).number(), 2.0);
}

// A workbook with every kind of format on two sheets.
Workbook formattedBook()
{
    Workbook wb;
    wb.setNumSheets(2);
    wb.setCellValue(1, 1, 1, Value("Gene"));
    wb.setCellValue(1, 2, 1, Value(-0.43355390196735));
    wb.setSelection(1, 1, 1, 3);
    wb.formatSelection([](CellFormat& f) {
        f.bold = true;
        f.italic = true;
        f.underline = true;
        f.fontName = "Courier New";
        f.fontSize = 14.5;
        f.fontColor = 0x336699;
        f.hAlign = HAlign::Right;
        f.vAlign = VAlign::Top;
        f.wrap = true;
        f.borderLeft = BorderStyle::Thin;
        f.borderRight = BorderStyle::Medium;
        f.borderTop = BorderStyle::Thick;
        f.borderBottom = BorderStyle::Thin;
        f.fill = 0xFFEEDD;
        f.locked = false;
    });
    wb.setSelection(2, 1, 40, 2);
    wb.setNumberFormat("0.000E+00;\"neg\\\"\"\t");
    wb.editSheetFormat(1, [](SheetFormat& f) {
        CellFormat normal;
        normal.fontName = "Times";
        normal.fontSize = 11;
        f.setNormal(normal);
        f.setDefaultColWidth(10.5);
        f.setDefaultRowHeight(14);
        f.freeze = {3, 2, 2, 1};
        f.isProtected = true;
        f.printArea = RangeRef{1, 1, 40, 3};
        f.printTitles = RangeRef{1, 0, 1, 0};
    });
    wb.SetColWidth(1, 2, 22.25);
    wb.SetRowHeight(1, 1, 30);
    wb.SetColHidden(5, 6, true);
    wb.SetRowHidden(8, 8, true);
    wb.setSheet(2);
    wb.setSelection(4, 4, 4, 4);
    wb.setFontBold(true);
    wb.setSheet(1);
    return wb;
}

TEST(WorkbookFormat, NativeRoundTripKeepsEveryAttribute)
{
    testsupport::TempDir dir;
    Workbook wb = formattedBook();
    for (FileType type : {FileType::Native, FileType::Native6}) {
        const std::string path = dir.file("formats.vts").string();
        wb.Write(path, static_cast<std::int32_t>(type));
        Workbook back;
        back.Read(path);
        for (std::int32_t s = 1; s <= 2; ++s) {
            const SheetFormat& a = wb.sheetFormat(s);
            const SheetFormat& b = back.sheetFormat(s);
            for (std::int32_t r = 1; r <= 45; ++r)
                for (std::int32_t c = 1; c <= 8; ++c)
                    ASSERT_EQ(a.format(r, c), b.format(r, c)) << s << ":" << r << "," << c;
            EXPECT_EQ(a.colWidths(), b.colWidths());
            EXPECT_EQ(a.rowHeights(), b.rowHeights());
            EXPECT_EQ(a.hiddenCols(), b.hiddenCols());
            EXPECT_EQ(a.hiddenRows(), b.hiddenRows());
            EXPECT_EQ(a.defaultColWidth(), b.defaultColWidth());
            EXPECT_EQ(a.defaultRowHeight(), b.defaultRowHeight());
            EXPECT_EQ(a.freeze, b.freeze);
            EXPECT_EQ(a.isProtected, b.isProtected);
            EXPECT_EQ(a.printArea, b.printArea);
            EXPECT_EQ(a.printTitles, b.printTitles);
        }
        // Written again, the file is the same byte for byte.
        const std::string again = dir.file("again.vts").string();
        back.Write(again, static_cast<std::int32_t>(type));
        EXPECT_EQ(testsupport::readFile(again), testsupport::readFile(path));
    }
}

TEST(WorkbookFormat, NativeReaderRefusesBrokenFormatRecords)
{
    testsupport::TempDir dir;
    const std::string head = "TESSARAY WORKBOOK\t2\ntype\t4\nsheets\t1\t1\nsheet\tS\nselected\t1\ncursor\t1\t1\n"
                             "range\t1\t1\t1\t1\ncells\t0\n";
    const std::string style0 = "style\t0\tArial\t10\t16\t000000\tGeneral\t1\t3\t0\t0\t0\t0\t-\n";
    const struct {
        const char* name;
        std::string body;
    } rows[] = {
        {"run names a missing style", style0 + "runs\t1\t1\t2\t1\n"},
        {"runs overlap", style0 + "style\t1\tArial\t10\t17\t000000\tGeneral\t1\t3\t0\t0\t0\t0\t-\nruns\t1\t1\t3\t1\t3\t4\t1\n"},
        {"run past the last column", style0 + "runs\t1\t250\t257\t0\n"},
        {"font size zero", "style\t0\tArial\t0\t16\t000000\tGeneral\t1\t3\t0\t0\t0\t0\t-\n"},
        {"alignment code 5", "style\t0\tArial\t10\t16\t000000\tGeneral\t5\t3\t0\t0\t0\t0\t-\n"},
        {"styles out of order", "style\t1\tArial\t10\t16\t000000\tGeneral\t1\t3\t0\t0\t0\t0\t-\n"},
        {"bad colour", "style\t0\tArial\t10\t16\t00000G\tGeneral\t1\t3\t0\t0\t0\t0\t-\n"},
        {"column width too wide", "colwidth\t1\t300\n"},
        {"freeze past the sheet", "freeze\t16384\t2\t1\t0\n"},
        {"reversed print area", "printarea\t5\t1\t2\t1\n"},
        {"unknown record", "shading\t1\n"},
    };
    for (const auto& row : rows) {
        Workbook wb;
        wb.setCellValue(1, 1, 1, Value(7.0));
        EXPECT_EQ(nativetest::readError(wb, head + row.body + "endsheet\nend\t0\n"), 321) << row.name;
        EXPECT_EQ(wb.cellValue(1, 1, 1).number(), 7.0) << row.name;
    }
    // A file of the first version, without formats, still reads.
    const std::string path = dir.file("v1.vts").string();
    testsupport::writeFile(path, "TESSARAY WORKBOOK\t1\ntype\t3\nsheets\t1\t1\nsheet\tS\nselected\t1\ncursor\t1\t1\n"
                                 "range\t1\t1\t1\t1\ncells\t1\n1\t1\tn\t2\nendsheet\nend\t1\n");
    Workbook wb;
    wb.Read(path);
    EXPECT_EQ(wb.cellValue(1, 1, 1).number(), 2.0);
    EXPECT_EQ(wb.sheetFormat(1).styleCount(), 1u);
}

TEST(SheetFormat, ARowWithoutItsOwnHeightFitsItsTallestFont)
{
    auto withFont = [](SheetFormat& f, std::int32_t row, std::int32_t col, double points) {
        f.change(RangeRef{row, col, row, col}, [points](CellFormat& x) { x.fontSize = points; });
    };
    SheetFormat f;
    withFont(f, 2, 3, 36);
    withFont(f, 2, 5, 14);
    withFont(f, 3, 1, 8);
    withFont(f, 4, 2, 36);
    f.setRowHeight(4, 4, 20);
    withFont(f, 5, 2, 36);
    f.setRowHidden(5, 5, true);
    withFont(f, 6, 2, 409);
    struct Row {
        const char* name;
        std::int32_t row;
        double shown;
        double fitted;
    };
    const Row rows[] = {
        {"a 36-point cell", 2, 45.9, 45.9},
        {"a small font keeps the default", 3, 12.75, 12.75},
        {"a height of its own wins", 4, 20, 20},
        {"hidden", 5, 0, 45.9},
        {"no more than the largest height", 6, SheetFormat::kMaxRowHeight, SheetFormat::kMaxRowHeight},
        {"a plain row", 7, 12.75, 12.75},
    };
    for (const Row& r : rows) {
        EXPECT_NEAR(f.rowHeight(r.row), r.shown, 1e-9) << r.name;
        EXPECT_NEAR(f.fittedRowHeight(r.row), r.fitted, 1e-9) << r.name;
        EXPECT_EQ(f.storedRowHeight(r.row), r.row == 4 ? 20 : 12.75) << r.name << ": files keep the default";
    }
    f.setDefaultRowHeight(30);
    EXPECT_NEAR(f.rowHeight(2), 45.9, 1e-9);
    EXPECT_EQ(f.rowHeight(7), 30) << "a taller default than the font needs";
    EXPECT_EQ(f.plainRowHeight(), 30);
}

TEST(WorkbookFormat, RowsGrownByAFontStayWithoutAHeightInFiles)
{
    testsupport::TempDir dir;
    Workbook wb;
    wb.setCellValue(1, 3, 2, Value("large"));
    wb.setSelection(3, 2, 3, 2);
    wb.setFontSize(36);
    ASSERT_NEAR(wb.sheetFormat(1).rowHeight(3), 45.9, 1e-9);
    for (FileType type : {FileType::Native6, FileType::Excel97, FileType::Excel5}) {
        const std::string path = dir.file("grown.file").string();
        wb.Write(path, static_cast<std::int32_t>(type));
        Workbook back;
        back.Read(path);
        const SheetFormat& f = back.sheetFormat(1);
        EXPECT_FALSE(f.hasRowHeight(3)) << static_cast<int>(type) << ": the row keeps the default height";
        EXPECT_NEAR(f.rowHeight(3), 45.9, 1e-9) << static_cast<int>(type) << ": and fits its font again";
        EXPECT_EQ(f.rowHeight(4), f.defaultRowHeight()) << static_cast<int>(type);
    }
}

TEST(WorkbookFormat, XlsRoundTripKeepsNumberFormats)
{
    testsupport::TempDir dir;
    Workbook wb;
    const char* codes[] = {"0.00", "0.000E+00", "d-mmm-yy", "#,##0.0 \"kg\""};
    for (std::int32_t c = 1; c <= 4; ++c) {
        wb.setCellValue(1, 2, c, Value(1234.5));
        wb.setSelection(2, c, 2, c);
        wb.setNumberFormat(codes[c - 1]);
    }
    wb.setCellValue(1, 3, 1, Value(2.0));  // unformatted
    for (FileType type : {FileType::Excel97, FileType::Excel5}) {
        const std::string path = dir.file("codes.xls").string();
        wb.Write(path, static_cast<std::int32_t>(type));
        Workbook back;
        back.Read(path);
        for (std::int32_t c = 1; c <= 4; ++c)
            EXPECT_EQ(back.cellFormat(1, 2, c).numberFormat, codes[c - 1]) << c;
        EXPECT_EQ(back.cellFormat(1, 3, 1).numberFormat, "General");
    }
}

// LibreOffice reads back what we write: bold, a number format, a column width.
TEST(WorkbookFormat, XlsFormatsOpenInAnotherProgram)
{
    const auto soffice = testsupport::sofficePath();
    if (!soffice)
        GTEST_SKIP() << "soffice (LibreOffice) is not installed: the .xls formats were not checked by another reader";
    testsupport::TempDir dir;
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value("Heading"));
    wb.setCellValue(1, 2, 1, Value(-0.43355390196735));
    wb.setCellValue(1, 2, 2, Value(1234.5));
    wb.setSelection(1, 1, 1, 1);
    wb.setFontBold(true);
    wb.setSelection(2, 1, 2, 1);
    wb.setNumberFormat("0.000");
    wb.setSelection(2, 2, 2, 2);
    wb.setNumberFormat("#,##0.00");
    wb.SetColWidth(2, 2, 30);
    for (FileType type : {FileType::Excel97, FileType::Excel5}) {
        const std::filesystem::path xls = dir.file(type == FileType::Excel97 ? "f8.xls" : "f5.xls");
        wb.Write(xls.string(), static_cast<std::int32_t>(type));
        std::filesystem::path html = xls;
        html.replace_extension(".html");
        testsupport::OfficeRun run;
        run.program = *soffice;
        run.profile = dir.file("lo");
        run.workDir = dir.path();
        run.args = {"--convert-to", "html", xls.string()};
        run.done = [&html] { return std::filesystem::exists(html); };
        ASSERT_TRUE(testsupport::runOffice(run)) << xls;
        const std::string page = testsupport::readFile(html);
        EXPECT_TRUE(std::regex_search(page, std::regex("<b>Heading</b>"))) << page;
        EXPECT_NE(page.find(">-0.434<"), std::string::npos) << page;
        EXPECT_NE(page.find(">1,234.50<"), std::string::npos) << page;
        // Column B is far wider than column A.
        const std::regex colWidth("<colgroup width=\"(\\d+)");
        std::vector<int> widths;
        for (auto it = std::sregex_iterator(page.begin(), page.end(), colWidth);
             it != std::sregex_iterator(); ++it)
            widths.push_back(std::stoi((*it)[1]));
        ASSERT_GE(widths.size(), 2u) << page;
        EXPECT_GT(widths[1], 2 * widths[0]) << page;
    }
}

} // namespace
