#pragma once

// The sizes the grid paints a sheet at, at 100 % zoom, shared by the grid,
// the drawing objects painted on it and the sheet printer (which prints the
// grid at the scale of the sheet's sizes in points).

#include "platform/spreadsheet/ObjectGeometry.h"
#include "platform/spreadsheet/SheetFormat.h"

namespace spreadsheet::grid {

// A default column and row, and the headings, in pixels.
inline constexpr int kColWidth = 72;
inline constexpr int kRowHeight = 20;
inline constexpr int kHeaderHeight = 20;
inline constexpr int kHeaderWidth = 44;
// The normal font as the grid shows it, in points; a cell font of n points
// shows at n * kFontPoints / 10.
inline constexpr double kFontPoints = 9.0;
// The space between a cell's edge and its text, in pixels.
inline constexpr int kTextPad = 3;
// Column widths are kept in characters and row heights in points.
inline constexpr double kPixelsPerChar = kColWidth / SheetFormat::kDefaultColWidth;
inline constexpr double kPixelsPerPoint = kRowHeight / SheetFormat::kDefaultRowHeight;
// One grid pixel in points of the sheet's layout.
inline constexpr double kPointsPerPixel = kPointsPerChar / kPixelsPerChar;

// Objects are placed in points through kPointsPerChar: it must be the
// character width the grid draws, or objects would drift off their cells.
static_assert(kPointsPerChar * kPixelsPerPoint > kPixelsPerChar - 1e-9 &&
                  kPointsPerChar * kPixelsPerPoint < kPixelsPerChar + 1e-9,
              "a character of column width is as wide in the grid as in the sheet's points");

} // namespace spreadsheet::grid
