#pragma once

// The formatting records of an .xls workbook we write (internal): the fonts,
// number formats, cell styles (XF) and colour palette of the globals, and the
// column widths and row heights of each sheet. Built once per write from the
// formats of every sheet; equal looks share one XF record.
//
// Layout of what it writes:
//   globals: FONT x (5 + used fonts; index 4 is skipped as the format
//            requires; the five are the font of the normal style that every
//            sheet shares, Arial 10 otherwise), FORMAT for every code other than General (indices
//            from 164), 16 built-in XFs (15 style XFs, XF 15 the plain cell
//            in the shared normal style),
//            one cell XF per distinct look from 16, STYLE, PALETTE (56
//            colours: black, white, then the colours in use)
//   sheet:   DEFCOLWIDTH, COLINFO for runs of columns that differ from the
//            default (flagged as set by the user where the width is the
//            column's own), DEFAULTROWHEIGHT, ROW for rows with their own
//            height (flagged so) or hidden.
// Widths are in 1/256 of a character, heights in twips (1/20 point).

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/spreadsheet/CellFormat.h"

namespace spreadsheet {
class SheetFormat;
class Workbook;
} // namespace spreadsheet

namespace spreadsheet::detail {

struct BiffBook;
struct BiffSheet;
struct SheetData;

// Reading, the inverse of the writing below: the look of every XF of a
// workbook read from an .xls file (its font, number format, alignment, wrap,
// borders, fill and protection), by XF index. Values the model cannot hold
// are brought to the nearest it can (a dashed line to a thin one, a shaded
// pattern to a mixed colour, justified text to the left); values out of
// range leave the attribute as the normal style has it. Linear in the
// number of XFs.
[[nodiscard]] std::vector<CellFormat> xfLooks(const BiffBook& book);
// Gives a sheet read from an .xls file its formats: the normal style is the
// look of the default cell XF (15), every cell its XF's look (one style per
// distinct XF, set as runs per row), and the column widths, row heights,
// hidden lines and their defaults; sorts sheet.cells. A sheet that uses
// more than 4,096 different XFs shows the others in the normal style.
// Never throws.
// Linear in the number of formatted cells (n log n for their order).
void applyFormats(const std::vector<CellFormat>& looks, BiffSheet& sheet, SheetData& into);

class XlsStyles {
public:
    static constexpr unsigned kPlainXf = 15;

    XlsStyles(const Workbook& book, bool biff8);

    void writeGlobals(std::string& stream) const;
    // The XF of a sheet's style (sheet from 1).
    [[nodiscard]] unsigned xf(std::int32_t sheet, std::uint16_t style) const;
    // Records that go before DIMENSIONS.
    void writeColumns(std::string& stream, const SheetFormat& format) const;
    // ROW records for rows 1..lastRow with their own height or hidden.
    void writeRows(std::string& stream, const SheetFormat& format) const;

    // The palette index of a colour (8..63).
    [[nodiscard]] unsigned colourIndex(Rgb colour) const;

private:
    struct Font {
        std::string name;
        double size = 10;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        Rgb colour = 0;
        bool operator<(const Font& o) const;
    };
    unsigned fontIndex(const CellFormat& f) const;
    unsigned formatIndex(const std::string& code) const;

    bool m_biff8;
    CellFormat m_normal;                         // the default cell XF (15) and font
    std::vector<Font> m_fonts;                   // the fonts after the five defaults
    std::map<std::string, unsigned> m_formats;   // code -> index
    std::vector<CellFormat> m_xfs;               // cell XFs from 16
    std::vector<std::vector<unsigned>> m_sheetXf;  // [sheet - 1][style]
    std::vector<Rgb> m_palette;                  // 56 colours
};

} // namespace spreadsheet::detail
