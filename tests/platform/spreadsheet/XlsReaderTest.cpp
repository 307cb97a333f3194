// The .xls reader on hand-built workbook streams: every kind of cell record,
// texts split over CONTINUE records, code pages, number formats, and files
// crafted to read past their records, each of which must be refused with
// error 321 and leave the workbook as it was.
//
// The crafted files are kept in fuzz/corpus/workbook_file/ as regression
// inputs; running this suite with TESSARAY_WRITE_CORPUS=<folder> writes them
// there again.

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/spreadsheet/BiffRecords.h"
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"
#include "platform/spreadsheet/XlsReader.h"
#include "platform/spreadsheet/XlsStyles.h"
#include "tests/support/ErrorAssert.h"
#include "tests/support/TestSupport.h"

namespace {

namespace biff = spreadsheet::detail::biff;
using spreadsheet::CellError;
using spreadsheet::FileType;
using spreadsheet::Rgb;
using spreadsheet::Value;
using spreadsheet::Workbook;
namespace fs = std::filesystem;

// ---- building records -----------------------------------------------------------

std::string u8(unsigned v)
{
    return std::string(1, static_cast<char>(v & 0xFF));
}
std::string u16(unsigned v)
{
    return u8(v) + u8(v >> 8);
}
std::string u32(std::uint32_t v)
{
    return u16(v & 0xFFFF) + u16(v >> 16);
}
std::string f64(double d)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    return u32(static_cast<std::uint32_t>(bits)) + u32(static_cast<std::uint32_t>(bits >> 32));
}
std::string rec(unsigned id, const std::string& body)
{
    return u16(id) + u16(static_cast<unsigned>(body.size())) + body;
}
std::string cell(unsigned row, unsigned col, unsigned xf = 15)
{
    return u16(row) + u16(col) + u16(xf);
}
std::string bof(bool biff8, unsigned type)
{
    return rec(biff::kBof, u16(biff8 ? biff::kBiff8 : biff::kBiff5) + u16(type) + u16(0x0DBB) + u16(0x07CC) +
                               (biff8 ? u32(0) + u32(6) : std::string()));
}
std::string eof()
{
    return rec(biff::kEof, "");
}
// A BIFF8 text of 8-bit characters with a 16-bit count.
std::string text8(const std::string& latin1)
{
    return u16(static_cast<unsigned>(latin1.size())) + u8(0) + latin1;
}
std::string number(unsigned row, unsigned col, double v)
{
    return rec(biff::kNumber, cell(row, col) + f64(v));
}
// A FORMULA record with an 8-byte result and the formula =1 behind it.
std::string formula(unsigned row, unsigned col, const std::string& result)
{
    return rec(biff::kFormula, cell(row, col) + result + u16(0) + u32(0) + u16(3) + u8(0x1E) + u16(1));
}
std::string specialResult(unsigned kind, unsigned value)
{
    return u8(kind) + u8(0) + u8(value) + u8(0) + u8(0) + u8(0) + u16(0xFFFF);
}

// A FONT record: name (8-bit characters in BIFF8, bytes in BIFF5), height
// in twips, option flags (0x02 italic), colour index, weight, underline.
std::string font(bool biff8, const std::string& name, unsigned height, unsigned options = 0, unsigned colour = 0x7FFF,
                 unsigned weight = 400, unsigned underline = 0)
{
    return rec(biff::kFont, u16(height) + u16(options) + u16(colour) + u16(weight) + u16(0) + u8(underline) + u8(0) +
                                u8(0) + u8(0) + u8(static_cast<unsigned>(name.size())) + (biff8 ? u8(0) : "") + name);
}
// Fonts 0-3 (Arial 10), as every file has them before its own.
std::string defaultFonts(bool biff8)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += font(biff8, "Arial", 200);
    return s;
}
// A BIFF8 XF: font, number format, protection and type, the alignment byte,
// the border word (styles of left, right, top, bottom), the word holding the
// fill pattern in bits 26-31, and the pattern colours (front | back << 7).
std::string xf8(unsigned font, unsigned format, unsigned type, unsigned align, std::uint32_t lines = 0,
                std::uint32_t more = 0, unsigned colours = 0x20C0)
{
    return rec(biff::kXf, u16(font) + u16(format) + u16(type) + u8(align) + u8(0) + u8(0) + u8(0xFC) + u32(lines) +
                              u32(more) + u16(colours));
}
// A BIFF5 XF: the alignment word, the word of fill and bottom line, the word
// of top, left and right lines.
std::string xf5(unsigned font, unsigned format, unsigned type, unsigned align, std::uint32_t area = 0x20C0,
                std::uint32_t lines = 0)
{
    return rec(biff::kXf, u16(font) + u16(format) + u16(type) + u16(align) + u32(area) + u32(lines));
}
// XFs 0-15: fifteen style XFs and the default cell XF, all plain.
std::string builtInXfs(bool biff8)
{
    std::string s;
    for (unsigned i = 0; i < 16; ++i)
        s += biff8 ? xf8(0, 0, i == 15 ? 0x0001 : 0xFFF5, 0x20) : xf5(0, 0, i == 15 ? 0x0001 : 0xFFF5, 0x20);
    return s;
}
std::string blank(unsigned row, unsigned col, unsigned xf)
{
    return rec(biff::kBlank, cell(row, col, xf));
}
std::string colInfo(unsigned first, unsigned last, unsigned width, unsigned flags)
{
    return rec(biff::kColInfo, u16(first) + u16(last) + u16(width) + u16(15) + u16(flags) + u16(0));
}
std::string rowRecord(unsigned row, unsigned height, unsigned flags)
{
    return rec(biff::kRow, u16(row) + u16(0) + u16(1) + u16(height) + u16(0) + u16(0) + u32(flags | 0x0100 | (15u << 16)));
}

struct SheetSpec {
    std::string name;
    std::string cells;  // records between the sheet's BOF and EOF
    unsigned type = 0;  // 0 worksheet, 2 chart
};

// A workbook stream: globals (BOF, `globals`, one BOUNDSHEET per sheet, EOF)
// and the sheets behind them, their positions filled in.
std::string book(bool biff8, const std::string& globals, const std::vector<SheetSpec>& sheets)
{
    std::string g = bof(biff8, biff::kGlobals) + globals;
    std::vector<std::size_t> patch;
    for (const SheetSpec& s : sheets) {
        const std::string name = biff8 ? u8(static_cast<unsigned>(s.name.size())) + u8(0) + s.name
                                       : u8(static_cast<unsigned>(s.name.size())) + s.name;
        patch.push_back(g.size() + 4);
        g += rec(biff::kBoundSheet, u32(0) + u8(0) + u8(s.type) + name);
    }
    g += eof();
    std::string body;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const std::string pos = u32(static_cast<std::uint32_t>(g.size() + body.size()));
        g.replace(patch[i], 4, pos);
        body += bof(biff8, sheets[i].type == 0 ? biff::kWorksheet : 0x0020) + sheets[i].cells + eof();
    }
    return g + body;
}

std::string book8(const std::string& cells, const std::string& globals = "")
{
    return book(true, globals, {{"Data", cells}});
}
std::string book5(const std::string& cells, const std::string& globals = "")
{
    return book(false, globals, {{"Data", cells}});
}

// One SST of 8-bit strings.
std::string sst(const std::vector<std::string>& strings)
{
    std::string body = u32(static_cast<std::uint32_t>(strings.size())) + u32(static_cast<std::uint32_t>(strings.size()));
    for (const std::string& s : strings)
        body += text8(s);
    return rec(biff::kSst, body);
}

// ---- the cases ------------------------------------------------------------------

using Check = std::function<void(const Workbook&)>;

struct Case {
    const char* file;  // name in the corpus
    bool biff8;
    std::string stream;
    Check check;  // null: the file must be refused with 321
};

std::vector<Case> cases()
{
    std::vector<Case> c;

    // -- what must read --
    c.push_back({"formula_results.xls", true,
                 book8(formula(0, 0, f64(6.5)) +
                       formula(1, 0, specialResult(0, 0)) + rec(0x04BC, std::string(8, '\0')) +  // shared formula
                       rec(biff::kString, text8("Hello world")) +
                       formula(2, 0, specialResult(1, 1)) + formula(3, 0, specialResult(2, 0x07)) +
                       formula(4, 0, specialResult(3, 0)) +
                       formula(5, 0, specialResult(0, 0)) + number(5, 1, 2)),  // STRING never came
                 [](const Workbook& wb) {
                     EXPECT_EQ(wb.cellValue(1, 1, 1), Value(6.5));
                     EXPECT_EQ(wb.cellValue(1, 2, 1), Value("Hello world"));
                     EXPECT_EQ(wb.cellValue(1, 3, 1), Value::logical(true));
                     EXPECT_EQ(wb.cellValue(1, 4, 1), Value::error(CellError::Div0));
                     EXPECT_TRUE(wb.cellValue(1, 5, 1).isEmpty()) << "an empty text result";
                     EXPECT_TRUE(wb.cellValue(1, 6, 1).isEmpty());
                     EXPECT_EQ(wb.cellValue(1, 6, 2), Value(2));
                 }});
    c.push_back({"formula_results_biff5.xls", false,
                 book5(formula(0, 0, f64(-0.25)) + formula(0, 1, specialResult(0, 0)) +
                       rec(biff::kString, u16(3) + "\xE9t\xE9") + formula(0, 2, specialResult(1, 0))),
                 [](const Workbook& wb) {
                     EXPECT_EQ(wb.cellValue(1, 1, 1), Value(-0.25));
                     EXPECT_EQ(wb.cellValue(1, 1, 2), Value("\xC3\xA9t\xC3\xA9"));
                     EXPECT_EQ(wb.cellValue(1, 1, 3), Value::logical(false));
                 }});
    {
        // Texts split over CONTINUE records: the first string changes from 8-
        // to 16-bit characters at the break, the second carries formatting runs
        // and extended data that run over a break themselves.
        std::string first = u32(3) + u32(3) + u16(5) + u8(0) + "abc";
        std::string second = u8(1) + u16(0x0394) + u16(0x0395);
        std::string third = u16(3) + u8(0x0C) + u16(2) + u32(6) + "xyz" + std::string(5, '\x01');
        std::string fourth = std::string(3, '\x01') + std::string(6, '\x02') + text8("after");
        c.push_back({"sst_split_over_continue.xls", true,
                     book8(rec(biff::kLabelSst, cell(0, 0) + u32(0)) + rec(biff::kLabelSst, cell(1, 0) + u32(1)) +
                               rec(biff::kLabelSst, cell(2, 0) + u32(2)),
                           rec(biff::kSst, first) + rec(biff::kContinue, second) + rec(biff::kContinue, third) +
                               rec(biff::kContinue, fourth)),
                     [](const Workbook& wb) {
                         EXPECT_EQ(wb.cellValue(1, 1, 1), Value("abc\xCE\x94\xCE\x95"));
                         EXPECT_EQ(wb.cellValue(1, 2, 1), Value("xyz"));
                         EXPECT_EQ(wb.cellValue(1, 3, 1), Value("after"));
                     }});
    }
    // Empty CONTINUE records in the middle of a text and of its header.
    c.push_back({"sst_with_empty_continue_records.xls", true,
                 book8(rec(biff::kLabelSst, cell(0, 0) + u32(0)) + rec(biff::kLabelSst, cell(0, 1) + u32(1)),
                       rec(biff::kSst, u32(2) + u32(2) + u16(4) + u8(0) + "ab") + rec(biff::kContinue, "") +
                           rec(biff::kContinue, u8(0) + "cd" + u16(3) + u8(0x08)) + rec(biff::kContinue, "") +
                           rec(biff::kContinue, u8(1) + u8(0)) + rec(biff::kContinue, "") +
                           rec(biff::kContinue, u8(0) + "xyz" + std::string(4, '\x01'))),
                 [](const Workbook& wb) {
                     EXPECT_EQ(wb.cellValue(1, 1, 1), Value("abcd"));
                     EXPECT_EQ(wb.cellValue(1, 1, 2), Value("xyz"));
                 }});
    c.push_back({"sst_ends_in_an_empty_continue_record.xls", true,
                 book8("", rec(biff::kSst, u32(1) + u32(1) + u16(2) + u8(0x08) + u16(1) + "ab") +
                               rec(biff::kContinue, "")),
                 nullptr});
    c.push_back({"numbers_rk_mulrk_boolerr.xls", true,
                 book8(rec(biff::kRk, cell(0, 0) + u32((42u << 2) | 2u)) +
                       rec(biff::kRk, cell(0, 1) + u32((325u << 2) | 3u)) +
                       rec(biff::kRk, cell(0, 2) + u32(0x3FE00000u)) +
                       rec(biff::kRk, cell(0, 3) + u32(static_cast<std::uint32_t>(-7 * 4) | 2u)) +
                       rec(biff::kMulRk, u16(1) + u16(4) + u16(15) + u32((1u << 2) | 2u) + u16(15) +
                                             u32((2u << 2) | 2u) + u16(15) + u32((3u << 2) | 2u) + u16(6)) +
                       rec(biff::kBoolErr, cell(2, 0) + u8(1) + u8(0)) +
                       rec(biff::kBoolErr, cell(2, 1) + u8(0x2A) + u8(1)) +
                       rec(biff::kBlank, cell(3, 0)) + rec(biff::kMulBlank, u16(3) + u16(1) + u16(15) + u16(15) + u16(2)) +
                       number(4, 255, 1e-300) + number(16383, 0, -1234567.125)),
                 [](const Workbook& wb) {
                     EXPECT_EQ(wb.cellValue(1, 1, 1), Value(42));
                     EXPECT_EQ(wb.cellValue(1, 1, 2), Value(3.25));
                     EXPECT_EQ(wb.cellValue(1, 1, 3), Value(0.5));
                     EXPECT_EQ(wb.cellValue(1, 1, 4), Value(-7));
                     EXPECT_EQ(wb.cellValue(1, 2, 5), Value(1));
                     EXPECT_EQ(wb.cellValue(1, 2, 7), Value(3));
                     EXPECT_EQ(wb.cellValue(1, 3, 1), Value::logical(true));
                     EXPECT_EQ(wb.cellValue(1, 3, 2), Value::error(CellError::NA));
                     EXPECT_TRUE(wb.cellValue(1, 4, 1).isEmpty());
                     EXPECT_EQ(wb.cellValue(1, 5, 256), Value(1e-300));
                     EXPECT_EQ(wb.cellValue(1, 16384, 1), Value(-1234567.125));
                 }});
    c.push_back({"biff5_codepage_1251.xls", false,
                 book(false, rec(biff::kCodePage, u16(1251)),
                      {{"\xCB\xE8\xF1\xF2", rec(biff::kLabel, cell(0, 0) + u16(6) + "\xCF\xF0\xE8\xE2\xE5\xF2") +
                                                rec(biff::kRString, cell(0, 1) + u16(2) + "\xE0\xFF" + u8(0))}}),
                 [](const Workbook& wb) {
                     EXPECT_EQ(wb.SheetName(1), "\xD0\x9B\xD0\xB8\xD1\x81\xD1\x82");  // "Лист"
                     EXPECT_EQ(wb.cellValue(1, 1, 1), Value("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"));
                     EXPECT_EQ(wb.cellValue(1, 1, 2), Value("\xD0\xB0\xD1\x8F"));
                 }});
    c.push_back({"biff5_windows_1252.xls", false, book5(rec(biff::kLabel, cell(0, 0) + u16(4) + "\x80 \x93\xFC")),
                 [](const Workbook& wb) { EXPECT_EQ(wb.cellValue(1, 1, 1), Value("\xE2\x82\xAC \xE2\x80\x9C\xC3\xBC")); }});
    c.push_back({"chart_inside_sheet_and_chart_sheet.xls", true,
                 book(true, "",
                      {{"Chart1", number(0, 0, 99), 2},
                       {"Data", number(0, 0, 1) + bof(true, 0x0020) + number(0, 0, 99) + eof() + number(1, 0, 2)}}),
                 [](const Workbook& wb) {
                     ASSERT_EQ(wb.NumSheets(), 1);
                     EXPECT_EQ(wb.SheetName(1), "Data");
                     EXPECT_EQ(wb.cellValue(1, 1, 1), Value(1));
                     EXPECT_EQ(wb.cellValue(1, 2, 1), Value(2));
                 }});
    {
        // The table counts three strings and holds two.
        std::string body = u32(3) + u32(3) + text8("one") + text8("two");
        c.push_back({"sst_counts_more_than_it_holds.xls", true,
                     book8(rec(biff::kLabelSst, cell(0, 0) + u32(1)), rec(biff::kSst, body)),
                     [](const Workbook& wb) { EXPECT_EQ(wb.cellValue(1, 1, 1), Value("two")); }});
    }

    // A text cell longer than 16,430 characters once made the whole workbook
    // unreadable: 20,000 characters, the last one 16 bits wide.
    for (bool biff8 : {true, false}) {
        Workbook wb;
        wb.setCellValue(1, 1, 1, Value("long"));
        wb.setCellValue(1, 1, 2, Value(std::string(19999, 'x') + "\xCE\x94"));
        wb.setCellValue(1, 2, 1, Value(1.5));
        c.push_back({biff8 ? "long_text_cell_biff8.xls" : "long_text_cell_biff5.xls", biff8,
                     spreadsheet::detail::buildBiffStream(wb, biff8), [biff8](const Workbook& back) {
                         const Value v = back.cellValue(1, 1, 2);
                         ASSERT_TRUE(v.isText());
                         // BIFF5 labels hold at most 2,072 bytes of Windows-1252.
                         EXPECT_EQ(v.text(), biff8 ? std::string(19999, 'x') + "\xCE\x94" : std::string(2072, 'x'));
                         EXPECT_EQ(back.cellValue(1, 2, 1), Value(1.5));
                     }});
    }

    // -- formats of other writers: codes our writer never uses --
    {
        // Record 4 is font 5; no PALETTE, so the default colours hold.
        const std::string globals =
            defaultFonts(true) + font(true, "Courier New", 240, 0x02, 10, 600, 2) + builtInXfs(true) +
            // 16: font 5, justified, centred vertically, wrapped; dashed,
            // medium dashed, double and hair lines; solid blue
            xf8(5, 0, 0x0001, 5 | 0x08 | (1 << 4), 3 | (8u << 4) | (6u << 8) | (7u << 12), 1u << 26, 12 | (65u << 7)) +
            // 17: the font that does not exist, a 50% shading of black on
            // white, centred across, unlocked
            xf8(4, 0, 0x0000, 6 | (2 << 4), 0, 2u << 26, 8 | (9u << 7)) +
            // 18: everything out of range
            xf8(99, 200, 0x0001, 7 | (7 << 4), 15 | (15u << 4), 40u << 26, 70 | (70u << 7)) +
            // 19: a fill in the automatic colour; top of the cell
            xf8(0, 0, 0x0001, 0x03, 0, 1u << 26, 64 | (65u << 7));
        const std::string cells =
            rec(biff::kDefColWidth, u16(8)) + rec(biff::kStandardWidth, u16(8 * 256 + 128)) +
            colInfo(0, 0, 0, 0x0001) + colInfo(3, 300, 10 * 256, 0) + colInfo(1, 1, 8 * 256 + 128, 0) +
            rec(biff::kDefaultRowHeight, u16(0) + u16(300)) + rowRecord(0, 400, 0) + rowRecord(1, 300, 0x0020) +
            rowRecord(2, 0x8000 | 500, 0) + rowRecord(3, 300, 0x0040) + rowRecord(20000, 400, 0x0060) +
            number(0, 0, 1) + rec(biff::kNumber, cell(0, 1, 16) + f64(2)) + blank(0, 2, 16) +
            rec(biff::kLabelSst, cell(1, 0, 17) + u32(0)) + blank(2, 0, 18) + blank(3, 0, 19) +
            blank(20000, 0, 16) + blank(0, 300, 16) +
            rec(biff::kMulBlank, u16(5) + u16(0) + u16(16) + u16(16) + u16(17) + u16(2)) +
            rec(biff::kMulBlank, u16(6) + u16(0) + u16(16) + u16(16) + u8(1)) +  // odd length: skipped
            blank(5, 2, 999);  // an XF the file does not have: the cell keeps the one before
        c.push_back({"styles_of_another_writer.xls", true, book8(cells, globals + sst({"text"})),
                     [](const Workbook& wb) {
                         spreadsheet::CellFormat a;
                         a.fontName = "Courier New";
                         a.fontSize = 12;
                         a.bold = true;
                         a.italic = true;
                         a.underline = true;
                         a.fontColor = 0xFF0000;
                         a.hAlign = spreadsheet::HAlign::Left;
                         a.vAlign = spreadsheet::VAlign::Center;
                         a.wrap = true;
                         a.borderLeft = spreadsheet::BorderStyle::Thin;
                         a.borderRight = spreadsheet::BorderStyle::Medium;
                         a.borderTop = spreadsheet::BorderStyle::Thick;
                         a.borderBottom = spreadsheet::BorderStyle::Thin;
                         a.fill = 0x0000FF;
                         spreadsheet::CellFormat b;
                         b.hAlign = spreadsheet::HAlign::Center;
                         b.fill = 0x7F7F7F;
                         b.locked = false;
                         spreadsheet::CellFormat d;
                         d.hAlign = spreadsheet::HAlign::Center;
                         spreadsheet::CellFormat e;
                         e.hAlign = spreadsheet::HAlign::Right;
                         e.vAlign = spreadsheet::VAlign::Top;
                         e.fill = 0x000000;
                         EXPECT_EQ(wb.cellFormat(1, 1, 1), spreadsheet::CellFormat());
                         EXPECT_EQ(wb.cellFormat(1, 1, 2), a);
                         EXPECT_EQ(wb.cellFormat(1, 1, 3), a) << "a blank cell keeps its format";
                         EXPECT_EQ(wb.cellFormat(1, 2, 1), b);
                         EXPECT_EQ(wb.cellValue(1, 2, 1), Value("text"));
                         EXPECT_EQ(wb.cellFormat(1, 3, 1), d);
                         EXPECT_EQ(wb.cellFormat(1, 4, 1), e);
                         EXPECT_EQ(wb.cellFormat(1, 6, 1), a);
                         EXPECT_EQ(wb.cellFormat(1, 6, 2), a);
                         EXPECT_EQ(wb.cellFormat(1, 6, 3), b) << "an XF the file lacks changes nothing";
                         EXPECT_EQ(wb.cellFormat(1, 7, 1), spreadsheet::CellFormat());
                         const spreadsheet::SheetFormat& f = wb.sheetFormat(1);
                         EXPECT_EQ(f.runs(1).size(), 1u) << "neighbouring cells of one XF make one run";
                         EXPECT_EQ(f.defaultColWidth(), 8.5);
                         EXPECT_TRUE(f.isColHidden(1));
                         EXPECT_FALSE(f.hasColWidth(1)) << "a hidden column stored with width 0";
                         EXPECT_FALSE(f.hasColWidth(2)) << "the default width";
                         EXPECT_FALSE(f.hasColWidth(3));
                         EXPECT_EQ(f.storedColWidth(4), 10.0);
                         EXPECT_EQ(f.storedColWidth(256), 10.0);
                         EXPECT_EQ(f.defaultRowHeight(), 15.0);
                         EXPECT_EQ(f.storedRowHeight(1), 20.0);
                         EXPECT_TRUE(f.isRowHidden(2));
                         EXPECT_FALSE(f.hasRowHeight(2)) << "hidden at the default height";
                         EXPECT_FALSE(f.hasRowHeight(3)) << "flagged as the default height";
                         EXPECT_TRUE(f.hasRowHeight(4)) << "set by the user, if to the default";
                         EXPECT_EQ(f.hiddenRows(), std::vector<std::int32_t>{2});
                     }});
    }
    {
        // BIFF5: the other XF layout, a PALETTE that changes colour 10, a
        // font name in the code page, a default cell XF in another font that
        // becomes the sheet's normal style.
        std::string xfs;
        for (unsigned i = 0; i < 15; ++i)
            xfs += xf5(0, 0, 0xFFF5, 0x20);
        xfs += xf5(5, 0, 0x0001, 0x20);  // 15: Times 11
        xfs += xf5(6, 2, 0x0001, 3 | 0x08 | (0 << 4), 10 | (65u << 7) | (1u << 16) | (5u << 22),
                   2 | (1u << 3) | (5u << 6));  // 16
        std::string palette = u16(3);
        for (Rgb c : {0x000000u, 0xFFFFFFu, 0x123456u})
            palette += u8(c >> 16) + u8(c >> 8) + u8(c) + u8(0);
        const std::string globals = defaultFonts(false) + font(false, "Times", 220) +
                                    font(false, "Caf\xE9", 180, 0, 10, 700) + xfs + rec(biff::kPalette, palette);
        c.push_back({"biff5_styles.xls", false,
                     book5(number(0, 0, 1) + rec(biff::kNumber, cell(0, 1, 16) + f64(2)), globals),
                     [](const Workbook& wb) {
                         spreadsheet::CellFormat normal;
                         normal.fontName = "Times";
                         normal.fontSize = 11;
                         spreadsheet::CellFormat own;
                         own.fontName = "Caf\xC3\xA9";
                         own.fontSize = 9;
                         own.bold = true;
                         own.fontColor = 0x123456;
                         own.numberFormat = "0.00";
                         own.hAlign = spreadsheet::HAlign::Right;
                         own.vAlign = spreadsheet::VAlign::Top;
                         own.wrap = true;
                         own.borderTop = spreadsheet::BorderStyle::Medium;
                         own.borderLeft = spreadsheet::BorderStyle::Thin;
                         own.borderRight = spreadsheet::BorderStyle::Thick;
                         own.borderBottom = spreadsheet::BorderStyle::Thick;
                         own.fill = 0x123456;
                         EXPECT_EQ(wb.sheetFormat(1).style(0), normal);
                         EXPECT_EQ(wb.cellFormat(1, 1, 1), normal);
                         EXPECT_EQ(wb.cellFormat(1, 9, 9), normal) << "every unformatted cell";
                         EXPECT_EQ(wb.cellFormat(1, 1, 2), own);
                     }});
    }
    // Style records cut short or pointing nowhere: the fonts after a short
    // one keep their indices, a short XF keeps its font and number format, a
    // palette keeps the colours it holds, a name longer than its record is dropped.
    c.push_back({"style_records_cut_short.xls", true,
                 book8(rec(biff::kNumber, cell(0, 0, 16) + f64(1)) + rec(biff::kNumber, cell(0, 1, 17) + f64(2)) +
                           rec(biff::kNumber, cell(0, 2, 18) + f64(3)) +
                           rec(biff::kColInfo, u16(0) + u16(0) + u16(5000)) + rec(biff::kRow, u16(0) + u16(0)) +
                           rec(biff::kDefaultRowHeight, u16(0)) + rec(biff::kDefColWidth, "") +
                           rec(biff::kBlank, u16(0) + u16(1)),
                       defaultFonts(true) + rec(biff::kFont, u16(200) + u16(0)) +
                           rec(biff::kFont, u16(300) + u16(0) + u16(0x7FFF) + u16(700) + u16(0) + u8(0) + u8(0) + u8(0) +
                                                u8(0) + u8(200) + u8(0) + "abc") +
                           builtInXfs(true) + xf8(6, 0, 0x0001, 0x20) + rec(biff::kXf, u16(5) + u16(2) + u16(1)) +
                           xf8(0, 0, 0x0001, 0x20, 0, 1u << 26, 9) +
                           rec(biff::kPalette, u16(56) + u32(0x00563412) + u32(0x00ABCDEF) + u8(1))),
                 [](const Workbook& wb) {
                     EXPECT_EQ(wb.cellFormat(1, 1, 1).fontSize, 15) << "the font after a short one";
                     EXPECT_EQ(wb.cellFormat(1, 1, 1).fontName, "Arial") << "a name past its record";
                     EXPECT_TRUE(wb.cellFormat(1, 1, 1).bold);
                     EXPECT_EQ(wb.cellFormat(1, 1, 2).numberFormat, "0.00");
                     EXPECT_EQ(wb.cellFormat(1, 1, 2).fontSize, 10) << "the short font";
                     EXPECT_EQ(wb.cellFormat(1, 1, 3).fill, 0xEFCDABu) << "colour 9 of a palette of two";
                     EXPECT_FALSE(wb.sheetFormat(1).hasColWidth(1));
                     EXPECT_FALSE(wb.sheetFormat(1).hasRowHeight(1));
                     EXPECT_EQ(wb.sheetFormat(1).defaultRowHeight(), spreadsheet::SheetFormat::kDefaultRowHeight);
                 }});

    // -- what must be refused --
    c.push_back({"xf_record_without_its_number_format.xls", true,
                 book8(number(0, 0, 1), builtInXfs(true) + rec(biff::kXf, u16(0))), nullptr});
    c.push_back({"sst_text_past_its_records.xls", true,
                 book8(rec(biff::kLabelSst, cell(0, 0) + u32(0)),
                       rec(biff::kSst, u32(1) + u32(1) + u16(65535) + u8(0) + "short")),
                 nullptr});
    c.push_back({"sst_wide_text_past_its_records.xls", true,
                 book8("", rec(biff::kSst, u32(1) + u32(1) + u16(40000) + u8(1) + u16('a')) +
                               rec(biff::kContinue, u8(1) + u16('b'))),
                 nullptr});
    c.push_back({"sst_character_split_between_records.xls", true,
                 book8("", rec(biff::kSst, u32(1) + u32(1) + u16(2) + u8(1) + "a") + rec(biff::kContinue, "\x00" "b\x00")),
                 nullptr});
    c.push_back({"sst_rich_runs_past_its_records.xls", true,
                 book8("", rec(biff::kSst, u32(1) + u32(1) + u16(1) + u8(0x08) + u16(0x4000) + "a")), nullptr});
    c.push_back({"sst_extended_data_past_its_records.xls", true,
                 book8("", rec(biff::kSst, u32(1) + u32(1) + u16(1) + u8(0x04) + u32(0xFFFFFFF0u) + "a")), nullptr});
    c.push_back({"labelsst_index_past_the_table.xls", true,
                 book8(rec(biff::kLabelSst, cell(0, 0) + u32(5)), sst({"only"})), nullptr});
    c.push_back({"biff5_label_past_its_record.xls", false, book5(rec(biff::kLabel, cell(0, 0) + u16(60000) + "abc")),
                 nullptr});
    c.push_back({"biff8_label_past_its_record.xls", true, book8(rec(biff::kLabel, cell(0, 0) + u16(300) + u8(1) + "ab")),
                 nullptr});
    c.push_back({"string_result_past_its_record.xls", true,
                 book8(formula(0, 0, specialResult(0, 0)) + rec(biff::kString, u16(9000) + u8(0) + "abc")), nullptr});
    c.push_back({"number_record_cut_short.xls", true, book8(rec(biff::kNumber, cell(0, 0) + "\x01\x02")), nullptr});
    c.push_back({"mulrk_with_wrong_length.xls", true, book8(rec(biff::kMulRk, u16(0) + u16(0) + u8(15) + u16(6))),
                 nullptr});
    // Cells past the sheet are left out; the rest of the file reads.
    c.push_back({"cell_below_the_last_row.xls", true, book8(number(20000, 0, 1)),
                 [](const Workbook& wb) { EXPECT_EQ(wb.lastUsedRow(1), 0); }});
    c.push_back({"cell_right_of_the_last_column.xls", true,
                 book8(rec(biff::kMulRk, u16(0) + u16(254) + (u16(15) + u32(2)) + (u16(15) + u32(2)) +
                                             (u16(15) + u32(2)) + u16(256))),
                 [](const Workbook& wb) {
                     EXPECT_EQ(wb.cellValue(1, 1, 255), Value(0));
                     EXPECT_EQ(wb.cellValue(1, 1, 256), Value(0));
                 }});
    c.push_back({"password_protected.xls", true, book8(number(0, 0, 1), rec(biff::kFilePass, u16(0))), nullptr});
    c.push_back({"excel4_version.xls", true,
                 rec(biff::kBof, u16(0x0400) + u16(biff::kGlobals)) + eof(), nullptr});
    c.push_back({"only_a_chart_sheet.xls", true, book(true, "", {{"Chart1", "", 2}}), nullptr});
    {
        std::string s = book8(number(0, 0, 1));
        s.resize(s.size() - 4);  // the sheet's EOF
        c.push_back({"sheet_without_end.xls", true, s, nullptr});
        c.push_back({"record_past_the_end_of_the_stream.xls", true,
                     book8(number(0, 0, 1) + u16(biff::kNumber) + u16(0xFFFF) + "tail"), nullptr});
        std::string h = s;
        h += std::string("\x0A\x00", 2);  // half the header of the sheet's EOF
        c.push_back({"record_head_cut_short.xls", true, h, nullptr});
    }
    {
        std::string s = book8(number(0, 0, 1));
        const std::size_t pos = s.find(std::string(u16(biff::kBoundSheet))) + 4;
        std::string past = s;
        past.replace(pos, 4, u32(0x7FFFFFF0u));
        c.push_back({"sheet_list_points_past_the_stream.xls", true, past, nullptr});
        std::string globals = s;
        globals.replace(pos, 4, u32(0));
        c.push_back({"sheet_list_points_at_the_globals.xls", true, globals, nullptr});
        // A chart sheet placed past the end: the worksheet before it reads up
        // to the end of the stream, not up to where the chart would start.
        std::string chart = book(true, "", {{"Data", number(0, 0, 1)}, {"Chart", "", 2}});
        const std::size_t second = chart.find(std::string(u16(biff::kBoundSheet)), pos) + 4;
        chart.replace(second, 4, u32(0x7FFFFFF0u));
        c.push_back({"chart_sheet_placed_past_the_stream.xls", true, chart,
                     [](const Workbook& wb) { EXPECT_EQ(wb.cellValue(1, 1, 1), Value(1)); }});
        // The same without the worksheet's EOF: reading must stop at the end
        // of the stream, not run on towards where the chart would be.
        std::string open = chart;
        open.erase(open.find(number(0, 0, 1) + eof()) + number(0, 0, 1).size(), eof().size());
        c.push_back({"sheet_without_end_before_a_chart_past_the_stream.xls", true, open, nullptr});
    }
    {
        std::string s = book(true, "", {{"A", number(0, 0, 1)}, {"B", number(0, 0, 2)}});
        const std::size_t first = s.find(std::string(u16(biff::kBoundSheet))) + 4;
        const std::size_t second = s.find(std::string(u16(biff::kBoundSheet)), first) + 4;
        s.replace(second, 4, s.substr(first, 4));
        c.push_back({"two_sheets_at_one_place.xls", true, s, nullptr});
    }
    return c;
}

Workbook untouchedBook()
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value("untouched"));
    return wb;
}

void expectCase(const Case& k, const std::string& path)
{
    Workbook wb = untouchedBook();
    if (!k.check) {
        EXPECT_EQ(testsupport::errorNumber([&] { wb.Read(path); }), spreadsheet::kInvalidFileFormat) << k.file;
        EXPECT_EQ(wb.cellValue(1, 1, 1), Value("untouched")) << k.file;
        EXPECT_EQ(wb.NumSheets(), 1) << k.file;
        return;
    }
    EXPECT_EQ(wb.Read(path), static_cast<std::int32_t>(k.biff8 ? FileType::Excel97 : FileType::Excel5)) << k.file;
    SCOPED_TRACE(k.file);
    k.check(wb);
}

fs::path corpusFolder()
{
    return fs::path(TESSARAY_SOURCE_DIR) / "fuzz" / "corpus" / "workbook_file";
}

TEST(XlsReader, CraftedStreamsReadAsBuiltOrAreRefusedUnchanged)
{
    testsupport::TempDir dir;
    const char* writeTo = std::getenv("TESSARAY_WRITE_CORPUS");
    for (const Case& k : cases()) {
        const std::string path = dir.file(k.file).string();
        spreadsheet::detail::writeXlsStream(path, k.stream, k.biff8);
        expectCase(k, path);
        if (writeTo && *writeTo)
            fs::copy_file(path, fs::path(writeTo) / k.file, fs::copy_options::overwrite_existing);
    }
}

// The kept regression inputs still give what their builders promise.
TEST(XlsReader, RegressionInputsInTheCorpusKeepTheirOutcome)
{
    std::set<std::string> seen;
    for (const Case& k : cases()) {
        const fs::path path = corpusFolder() / k.file;
        ASSERT_TRUE(fs::exists(path)) << path;
        expectCase(k, path.string());
        seen.insert(k.file);
    }
}

// Texts longer than one record (the shared-string table and its CONTINUE
// records in BIFF8) read back whole; several such cells in a row, 8-bit and
// 16-bit, with a break falling on every kind of place.
TEST(XlsReader, LongTextCellsReadBackWhole)
{
    testsupport::TempDir dir;
    Workbook wb;
    const std::string greek = "\xCE\x94";  // a 16-bit character
    std::vector<std::string> texts;
    for (std::size_t len : {8223u, 8224u, 8225u, 16430u, 16431u, 20000u, 32767u}) {
        texts.push_back(std::string(len, 'q'));
        texts.push_back(std::string(len / 2 - 1, 'w') + greek);
    }
    for (std::size_t i = 0; i < texts.size(); ++i)
        wb.setCellValue(1, static_cast<std::int32_t>(i + 1), 1, Value(texts[i]));
    const std::string path = dir.file("long.xls").string();
    wb.Write(path, static_cast<std::int32_t>(FileType::Excel97));
    Workbook back;
    back.Read(path);
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(back.cellValue(1, static_cast<std::int32_t>(i + 1), 1), Value(texts[i])) << "text " << i;
}

// Number formats travel beside the cells, so that a date keeps its serial
// number and its date format; cells of the default XF (15) are not listed.
TEST(XlsReader, CellsKeepTheNumberFormatOfTheirXf)
{
    std::string globals = rec(biff::kDateMode, u16(1)) + rec(biff::kFormat, u16(164) + text8("yyyy-mm-dd"));
    for (unsigned format : {0u, 14u, 164u})
        globals += rec(biff::kXf, u16(0) + u16(format) + std::string(16, '\0'));
    for (unsigned i = 3; i < 16; ++i)
        globals += rec(biff::kXf, u16(0) + u16(0) + std::string(16, '\0'));
    const auto parsed = spreadsheet::detail::parseBiffStream(
        book8(rec(biff::kNumber, cell(0, 0, 0) + f64(1.5)) + rec(biff::kNumber, cell(1, 0, 1) + f64(46364)) +
                  rec(biff::kRk, cell(2, 0, 2) + u32((46000u << 2) | 2u)) + rec(biff::kNumber, cell(3, 0, 99) + f64(2)),
              globals));
    EXPECT_TRUE(parsed.biff8);
    EXPECT_TRUE(parsed.date1904);
    ASSERT_EQ(parsed.numberFormats.count(164), 1u);
    EXPECT_EQ(parsed.numberFormats.at(164), "yyyy-mm-dd");
    ASSERT_EQ(parsed.sheets.size(), 1u);
    const auto& cells = parsed.sheets[0].cells;
    ASSERT_EQ(cells.size(), 2u) << "XF 0 looks like XF 15; XF 99 does not exist";
    EXPECT_EQ(cells[0].row, 2);
    EXPECT_EQ(parsed.xfs.at(cells[0].xf).numberFormat, 14);
    EXPECT_EQ(cells[1].row, 3);
    EXPECT_EQ(parsed.xfs.at(cells[1].xf).numberFormat, 164);
    EXPECT_EQ(parsed.sheets[0].data->find(2, 1)->value(), Value(46364));
    EXPECT_EQ(parsed.sheets[0].data->find(3, 1)->value(), Value(46000));
}

// A sheet of 70,000 different XFs (more than a sheet's 65,535 styles) reads
// in moments: the first 4,096 XFs it uses keep their looks, the others show
// the normal style.
TEST(XlsReader, ASheetOfMoreXfsThanItsStylesReadsWithTheFirstOnes)
{
    constexpr unsigned kXfs = 70000;
    std::string palette = u16(56);
    for (unsigned i = 0; i < 56; ++i)
        palette += u8(i) + u8(0x80) + u8(0x40) + u8(0);
    std::string globals = defaultFonts(true) + builtInXfs(true) + rec(biff::kPalette, palette);
    const unsigned lineCodes[] = {0, 1, 2, 5};
    for (unsigned i = 0; i < kXfs; ++i) {
        const unsigned j = i / 56;
        const unsigned k = j / 256;
        std::uint32_t lines = 0;
        for (unsigned edge = 0; edge < 4; ++edge)
            lines |= lineCodes[(j >> (2 * edge)) & 3] << (4 * edge);
        globals += xf8(0, 0, (k >> 1) & 1, ((k >> 2) & 3) | ((k & 1) << 3) | 0x20, lines, 1u << 26, 8 + i % 56);
    }
    std::string cells;
    for (unsigned row = 0; row * 256 < kXfs; ++row) {
        std::string body = u16(row) + u16(0);
        const unsigned count = std::min(256u, kXfs - row * 256);
        for (unsigned c = 0; c < count; ++c)
            body += u16(16 + row * 256 + c);
        cells += rec(biff::kMulBlank, body + u16(count - 1));
    }
    testsupport::TempDir dir;
    const std::string path = dir.file("many_xfs.xls").string();
    spreadsheet::detail::writeXlsStream(path, book8(cells + number(0, 0, 1), globals), true);
    Workbook wb;
    ASSERT_EQ(wb.Read(path), static_cast<std::int32_t>(FileType::Excel97));
    EXPECT_EQ(wb.sheetFormat(1).styleCount(), 4097u);
    EXPECT_EQ(wb.cellFormat(1, 1, 1).fill, 0x008040u) << "the number of the default XF keeps the blank's format";
    EXPECT_EQ(wb.cellFormat(1, 1, 2).fill, 0x018040u);
    EXPECT_EQ(wb.cellFormat(1, 16, 256).fill, 0x078040u) << "XF 4,111, the 4,096th";
    EXPECT_EQ(wb.cellFormat(1, 17, 1), spreadsheet::CellFormat());
    EXPECT_EQ(wb.cellFormat(1, 200, 3), spreadsheet::CellFormat());
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value(1));
}

// Truncating a good file with formats anywhere gives 321 or a workbook,
// never a read past the data (the sanitizer build watches).
TEST(XlsReader, EveryTruncationOfAStreamIsRefusedOrRead)
{
    Workbook source;
    source.setCellValue(1, 1, 1, Value(std::string(9000, 'x') + "\xCE\x94"));
    source.setCellValue(1, 2, 1, Value(3.5));
    source.setCellValue(1, 3, 1, Value::logical(true));
    source.editSheetFormat(1, [](spreadsheet::SheetFormat& f) {
        f.change({2, 1, 3, 4}, [](spreadsheet::CellFormat& c) {
            c.bold = true;
            c.fill = 0x336699;
            c.borderTop = spreadsheet::BorderStyle::Medium;
        });
        f.setColWidth(2, 3, 14);
        f.setRowHeight(2, 2, 20);
        f.setRowHidden(4, 4, true);
    });
    for (bool biff8 : {true, false}) {
        const std::string stream = spreadsheet::detail::buildBiffStream(source, biff8);
        int refused = 0;
        for (std::size_t n = 0; n < stream.size(); n += (n < 2000 || stream.size() - n < 2000) ? 1 : 97) {
            try {
                auto parsed = spreadsheet::detail::parseBiffStream(std::string_view(stream).substr(0, n));
                const auto looks = spreadsheet::detail::xfLooks(parsed);
                for (auto& sheet : parsed.sheets)
                    spreadsheet::detail::applyFormats(looks, sheet, *sheet.data);
            } catch (const platform::Error& e) {
                EXPECT_EQ(e.number(), spreadsheet::kInvalidFileFormat);
                ++refused;
            }
        }
        EXPECT_GT(refused, 0);
    }
}

// Cells past a sheet's 16,384 rows or 256 columns (an Excel 97 sheet has
// 65,536 rows) are left out and noted per sheet; everything inside reads,
// including the part of a record of several numbers that lies inside.
TEST(XlsReader, CellsPastTheSheetAreLeftOutAndNotedPerSheet)
{
    const std::string rowsPast = number(0, 0, 1) + number(16383, 1, 2) + number(16384, 0, 3) + number(65535, 255, 4) +
                                 formula(20000, 0, specialResult(1, 1));
    const std::string colsPast = rec(biff::kMulRk, u16(2) + u16(254) + u16(15) + u32((5u << 2) | 2u) + u16(15) +
                                                       u32((6u << 2) | 2u) + u16(15) + u32((7u << 2) | 2u) + u16(256));
    const std::string stream =
        book(true, "", {{"Long", rowsPast}, {"Fits", number(0, 0, 9)}, {"Wide", colsPast}});
    const spreadsheet::detail::BiffBook parsed = spreadsheet::detail::parseBiffStream(stream);
    ASSERT_EQ(parsed.sheets.size(), 3U);
    EXPECT_TRUE(parsed.sheets[0].rowsLeftOut);
    EXPECT_FALSE(parsed.sheets[0].columnsLeftOut);
    EXPECT_FALSE(parsed.sheets[1].rowsLeftOut || parsed.sheets[1].columnsLeftOut);
    EXPECT_FALSE(parsed.sheets[2].rowsLeftOut);
    EXPECT_TRUE(parsed.sheets[2].columnsLeftOut);

    testsupport::TempDir dir;
    const std::string path = dir.file("past.xls").string();
    spreadsheet::detail::writeXlsStream(path, stream, true);
    Workbook wb;
    std::vector<spreadsheet::LeftOut> leftOut;
    EXPECT_EQ(wb.Read(path, leftOut), static_cast<std::int32_t>(FileType::Excel97));
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value(1));
    EXPECT_EQ(wb.cellValue(1, 16384, 2), Value(2));
    EXPECT_EQ(wb.lastUsedRow(1), 16384);
    EXPECT_EQ(wb.cellValue(2, 1, 1), Value(9));
    EXPECT_EQ(wb.cellValue(3, 3, 255), Value(5));
    EXPECT_EQ(wb.cellValue(3, 3, 256), Value(6));
    ASSERT_EQ(leftOut.size(), 2U);
    EXPECT_EQ(leftOut[0].sheet, "Long");
    EXPECT_TRUE(leftOut[0].rows);
    EXPECT_FALSE(leftOut[0].columns);
    EXPECT_EQ(leftOut[1].sheet, "Wide");
    EXPECT_TRUE(leftOut[1].columns);
}

// A file of 20,000 rows written by an independent writer (xlwt, run by the
// system's Python) reads its first 16,384 rows, every value in place, and
// says which sheet lost the rest.
TEST(XlsReader, FileOfTwentyThousandRowsFromAnotherWriterReadsWhatFits)
{
    if (std::system("/usr/bin/python3 -c 'import xlwt' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xlwt is not importable by /usr/bin/python3 (python3-xlwt, installed by scripts/bootstrap --test)";
    testsupport::TempDir dir;
    const fs::path path = dir.file("big.xls");
    const std::string script = "import sys, xlwt\n"
                               "b = xlwt.Workbook()\n"
                               "s = b.add_sheet('Expression data')\n"
                               "for r in range(20000):\n"
                               "    s.write(r, 0, 'gene%d' % (r + 1))\n"
                               "    s.write(r, 1, (r + 1) * 0.5)\n"
                               "t = b.add_sheet('Notes')\n"
                               "t.write(0, 0, 'small')\n"
                               "b.save(sys.argv[1])\n";
    testsupport::writeFile(dir.file("make.py"), script);
    const std::string command =
        "/usr/bin/python3 '" + dir.file("make.py").string() + "' '" + path.string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    Workbook wb;
    std::vector<spreadsheet::LeftOut> leftOut;
    EXPECT_EQ(wb.Read(path.string(), leftOut), static_cast<std::int32_t>(FileType::Excel97));
    ASSERT_EQ(wb.NumSheets(), 2);
    EXPECT_EQ(wb.lastUsedRow(1), 16384);
    for (const std::int32_t r : {1, 2, 8000, 16383, 16384}) {
        EXPECT_EQ(wb.cellValue(1, r, 1), Value("gene" + std::to_string(r))) << r;
        EXPECT_EQ(wb.cellValue(1, r, 2), Value(r * 0.5)) << r;
    }
    EXPECT_EQ(wb.cellValue(2, 1, 1), Value("small"));
    ASSERT_EQ(leftOut.size(), 1U);
    EXPECT_EQ(spreadsheet::leftOutMessage(leftOut),
              "Rows after 16,384 of sheet Expression data were not loaded: a sheet holds 16,384 rows.");
}

} // namespace
