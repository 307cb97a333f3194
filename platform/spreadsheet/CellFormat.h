#pragma once

// The look of one cell: font, number format, alignment, wrap, borders and
// fill. Plain values compared whole, so that equal looks share one style
// record in a sheet (SheetFormat).

#include <cstdint>
#include <string>

namespace spreadsheet {

// Horizontal alignment codes as the workbook's callers use them.
enum class HAlign : std::uint8_t { General = 1, Left = 2, Center = 3, Right = 4, Count };
static_assert(static_cast<int>(HAlign::Count) == 5, "codes 1..4 are stored in files");

enum class VAlign : std::uint8_t { Top = 1, Center = 2, Bottom = 3, Count };
static_assert(static_cast<int>(VAlign::Count) == 4, "codes 1..3 are stored in files");

// Line style of a cell edge.
enum class BorderStyle : std::uint8_t { None = 0, Thin = 1, Medium = 2, Thick = 3, Count };
static_assert(static_cast<int>(BorderStyle::Count) == 4, "codes 0..3 are stored in files");

// A colour as 0xRRGGBB.
using Rgb = std::uint32_t;
inline constexpr Rgb kNoFill = 0xFFFFFFFFu;  // the fill of a cell without one

struct CellFormat {
    std::string fontName = "Arial";
    double fontSize = 10;  // points, the one unit of every font size in the workbook
    bool bold = false;
    bool italic = false;
    bool underline = false;
    Rgb fontColor = 0x000000;
    std::string numberFormat = "General";
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    BorderStyle borderLeft = BorderStyle::None;
    BorderStyle borderRight = BorderStyle::None;
    BorderStyle borderTop = BorderStyle::None;
    BorderStyle borderBottom = BorderStyle::None;
    Rgb fill = kNoFill;
    bool locked = true;  // takes effect while the sheet is protected

    bool operator==(const CellFormat&) const = default;
};

} // namespace spreadsheet
