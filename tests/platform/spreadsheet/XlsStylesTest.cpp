// Cell formats and the sheet layout through our own .xls files: what the
// writer puts in its FONT, FORMAT, XF, PALETTE, COLINFO and ROW records
// comes back the same, in BIFF8 and BIFF5.

#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/NumberFormat.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/XlsReader.h"
#include "platform/spreadsheet/XlsStyles.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::BorderStyle;
using spreadsheet::CellFormat;
using spreadsheet::FileType;
using spreadsheet::HAlign;
using spreadsheet::RangeRef;
using spreadsheet::SheetFormat;
using spreadsheet::VAlign;
using spreadsheet::Value;
using spreadsheet::Workbook;

// A look for each attribute the writer writes, each different from the normal style.
std::vector<std::pair<const char*, CellFormat>> looks()
{
    std::vector<std::pair<const char*, CellFormat>> out;
    auto add = [&](const char* name, auto edit) {
        CellFormat f;
        edit(f);
        out.emplace_back(name, f);
    };
    add("font", [](CellFormat& f) {
        f.fontName = "Times New Roman";
        f.fontSize = 14;
        f.bold = true;
        f.italic = true;
        f.underline = true;
        f.fontColor = 0xC00000;
    });
    add("small font", [](CellFormat& f) {
        f.fontName = "Courier New";
        f.fontSize = 8.5;
        f.fontColor = 0x00FF00;
    });
    add("number format", [](CellFormat& f) { f.numberFormat = "0.00%"; });
    add("own number format", [](CellFormat& f) { f.numberFormat = "yyyy-mm-dd"; });
    add("right, top, wrapped", [](CellFormat& f) {
        f.hAlign = HAlign::Right;
        f.vAlign = VAlign::Top;
        f.wrap = true;
    });
    add("left, centred", [](CellFormat& f) {
        f.hAlign = HAlign::Left;
        f.vAlign = VAlign::Center;
    });
    add("centred", [](CellFormat& f) { f.hAlign = HAlign::Center; });
    add("borders", [](CellFormat& f) {
        f.borderLeft = BorderStyle::Thin;
        f.borderRight = BorderStyle::Medium;
        f.borderTop = BorderStyle::Thick;
        f.borderBottom = BorderStyle::Thin;
    });
    add("bottom border", [](CellFormat& f) { f.borderBottom = BorderStyle::Thick; });
    add("fill", [](CellFormat& f) { f.fill = 0x99CCFF; });
    add("black fill, white font", [](CellFormat& f) {
        f.fill = 0x000000;
        f.fontColor = 0xFFFFFF;
    });
    add("unlocked", [](CellFormat& f) { f.locked = false; });
    return out;
}

// Sheet 1: each look on a valued cell of column 2 (row i + 1) and on an
// empty cell before a value (column 4), a row of one look (row 20), empty
// cells after the values of a row (from column 7) and in rows of no value,
// widths, heights, hidden lines and other defaults; sheet 2 the normal
// defaults and one look in the last cell of the sheet.
Workbook formattedBook()
{
    Workbook wb;
    wb.setNumSheets(2);
    const auto all = looks();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const auto row = static_cast<std::int32_t>(i + 1);
        wb.setCellValue(1, row, 2, Value(row * 1.5));
        wb.setCellValue(1, row, 5, Value("after"));
        wb.editSheetFormat(1, [&](SheetFormat& f) {
            f.setStyle(RangeRef{row, 2, row, 2}, f.intern(all[i].second));
            f.setStyle(RangeRef{row, 4, row, 4}, f.intern(all[i].second));
        });
    }
    for (std::int32_t c = 1; c <= 6; ++c)
        wb.setCellValue(1, 20, c, Value("x"));
    wb.editSheetFormat(1, [&](SheetFormat& f) {
        f.setStyle(RangeRef{20, 1, 20, 6}, f.intern(all[0].second));
        f.setDefaultColWidth(10);
        f.setDefaultRowHeight(15);
        f.setColWidth(2, 2, 12.5);
        f.setColWidth(4, 6, 20.25);
        f.setColHidden(8, 8, true);
        f.setColWidth(9, 9, 3);
        f.setColHidden(9, 9, true);
        f.setColWidth(200, 256, 0.5);
        f.setRowHeight(1, 1, 24.75);
        f.setRowHidden(3, 3, true);
        f.setRowHeight(5, 5, 6.5);
        f.setRowHidden(5, 5, true);
        f.setRowHeight(7, 9, 30);
        f.setRowHeight(16384, 16384, 409);
    });
    // Formatted empty cells past the values of their rows, and rows of no value.
    wb.editSheetFormat(1, [&](SheetFormat& f) {
        f.setStyle(RangeRef{1, 7, 1, 7}, f.intern(all[9].second));
        f.setStyle(RangeRef{2, 7, 2, 256}, f.intern(all[7].second));
        f.setStyle(RangeRef{30, 1, 31, 10}, f.intern(all[10].second));
    });
    wb.setCellValue(2, 16384, 256, Value(1));
    wb.editSheetFormat(2, [&](SheetFormat& f) { f.setStyle(RangeRef{16384, 256, 16384, 256}, f.intern(all[1].second)); });
    return wb;
}

void expectSameFormats(const Workbook& back, const Workbook& wb, const char* what)
{
    ASSERT_EQ(back.NumSheets(), wb.NumSheets()) << what;
    for (std::int32_t s = 1; s <= wb.NumSheets(); ++s) {
        const SheetFormat& a = back.sheetFormat(s);
        const SheetFormat& b = wb.sheetFormat(s);
        for (std::int32_t r = 1; r <= spreadsheet::kMaxRows; ++r) {
            if (b.runs(r).empty() && a.runs(r).empty())
                continue;
            for (std::int32_t c = 1; c <= spreadsheet::kMaxCols; ++c)
                EXPECT_EQ(a.format(r, c), b.format(r, c)) << what << ": sheet " << s << " row " << r << " column " << c;
        }
        EXPECT_EQ(a.defaultColWidth(), b.defaultColWidth()) << what;
        EXPECT_EQ(a.defaultRowHeight(), b.defaultRowHeight()) << what;
        for (std::int32_t c = 1; c <= spreadsheet::kMaxCols; ++c) {
            EXPECT_EQ(a.storedColWidth(c), b.storedColWidth(c)) << what << ": sheet " << s << " column " << c;
            EXPECT_EQ(a.hasColWidth(c), b.hasColWidth(c)) << what << ": sheet " << s << " column " << c;
        }
        EXPECT_EQ(a.hiddenCols(), b.hiddenCols()) << what;
        EXPECT_EQ(a.rowHeights(), b.rowHeights()) << what << ": sheet " << s;
        EXPECT_EQ(a.hiddenRows(), b.hiddenRows()) << what << ": sheet " << s;
    }
}

TEST(XlsStyles, EveryWrittenAttributeReadsBackInBothVersions)
{
    testsupport::TempDir dir;
    Workbook wb = formattedBook();
    for (FileType type : {FileType::Excel97, FileType::Excel5}) {
        const std::string path = dir.file("formats.xls").string();
        wb.Write(path, static_cast<std::int32_t>(type));
        Workbook back;
        ASSERT_EQ(back.Read(path), static_cast<std::int32_t>(type));
        const char* what = type == FileType::Excel97 ? "BIFF8" : "BIFF5";
        expectSameFormats(back, wb, what);
        EXPECT_EQ(back.cellValue(1, 3, 2), Value(4.5)) << what;
        // Equal looks share one style; a row of one look is one run.
        EXPECT_EQ(back.sheetFormat(1).styleCount(), looks().size() + 1) << what;
        EXPECT_EQ(back.sheetFormat(1).runs(20).size(), 1u) << what;
    }
}

// The workbook's default font (every sheet's normal style) is the file's
// default cell XF: every cell read back shows it, the formatted ones keep
// their own look. Normal styles that differ between sheets are kept by the
// cells that have records.
TEST(XlsStyles, TheDefaultFontReadsBackForEveryCell)
{
    testsupport::TempDir dir;
    CellFormat normal;
    normal.fontName = "Verdana";
    normal.fontSize = 12;
    CellFormat bold = normal;
    bold.bold = true;
    for (FileType type : {FileType::Excel97, FileType::Excel5}) {
        Workbook wb;
        wb.setNumSheets(2);
        for (std::int32_t s = 1; s <= 2; ++s) {
            wb.setCellValue(s, 1, 1, Value("plain"));
            wb.setCellValue(s, 2, 1, Value("bold"));
            wb.editSheetFormat(s, [&](SheetFormat& f) {
                f.setNormal(normal);
                f.setStyle(RangeRef{2, 1, 2, 1}, f.intern(bold));
            });
        }
        const std::string path = dir.file("font.xls").string();
        wb.Write(path, static_cast<std::int32_t>(type));
        Workbook back;
        back.Read(path);
        for (std::int32_t s = 1; s <= 2; ++s) {
            EXPECT_EQ(back.sheetFormat(s).style(0), normal) << "sheet " << s;
            EXPECT_EQ(back.cellFormat(s, 1, 1), normal) << "sheet " << s;
            EXPECT_EQ(back.cellFormat(s, 500, 100), normal) << "sheet " << s;
            EXPECT_EQ(back.cellFormat(s, 2, 1), bold) << "sheet " << s;
        }

        wb.editSheetFormat(2, [](SheetFormat& f) { f.setNormal(CellFormat()); });
        wb.Write(path, static_cast<std::int32_t>(type));
        back.Read(path);
        EXPECT_EQ(back.sheetFormat(1).style(0), CellFormat()) << "no shared normal style";
        EXPECT_EQ(back.cellFormat(1, 1, 1), normal);
        EXPECT_EQ(back.cellFormat(1, 2, 1), bold);
        EXPECT_EQ(back.cellFormat(2, 1, 1), CellFormat());
    }
}

// Read back and written again, a file keeps its formats: nothing is lost or
// added on the second trip (the styles may come in another order).
TEST(XlsStyles, AFileReadAndWrittenAgainKeepsItsFormats)
{
    testsupport::TempDir dir;
    Workbook wb = formattedBook();
    const std::string first = dir.file("first.xls").string();
    const std::string second = dir.file("second.xls").string();
    wb.Write(first, static_cast<std::int32_t>(FileType::Excel97));
    Workbook back;
    back.Read(first);
    back.Write(second, static_cast<std::int32_t>(FileType::Excel97));
    Workbook again;
    again.Read(second);
    expectSameFormats(again, wb, "second trip");
}

} // namespace

namespace {

// The built-in codes of .xls files for fractions and elapsed times read as
// those codes and show their values as such.
TEST(XlsStyles, BuiltInFractionAndElapsedCodesShowTheirValues)
{
    const struct {
        std::uint16_t builtIn;
        const char* code;
        double value;
        const char* text;
    } rows[] = {
        {12, "# ?/?", 1.5, "1 1/2"},
        {13, "# ?\?/?\?", -1234.5678, "-1234 46/81"},
        {46, "[h]:mm:ss", 1.5, "36:00:00"},
        {47, "mm:ss.0", 0.99999, "59:59.1"},
    };
    spreadsheet::detail::BiffBook book;
    for (const auto& row : rows) {
        spreadsheet::detail::BiffXf xf;
        xf.numberFormat = row.builtIn;
        book.xfs.push_back(xf);
    }
    const std::vector<CellFormat> looks = spreadsheet::detail::xfLooks(book);
    ASSERT_EQ(looks.size(), std::size(rows));
    for (std::size_t i = 0; i < looks.size(); ++i) {
        EXPECT_EQ(looks[i].numberFormat, rows[i].code) << rows[i].builtIn;
        EXPECT_EQ(spreadsheet::formatNumber(rows[i].value, looks[i].numberFormat), rows[i].text) << rows[i].builtIn;
    }
}

} // namespace
