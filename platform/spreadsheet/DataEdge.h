#pragma once

// Where the keys that jump through a sheet's data land: the edge of the
// block of filled cells the active cell is in, the next filled cell, or the
// end of the sheet (Ctrl with an arrow key), and the corners of the used
// area (Ctrl+Home, Ctrl+End). A cell is filled when it holds a value or a
// formula; formats alone do not fill it.

#include <cstdint>

#include "platform/spreadsheet/SheetFormat.h"

namespace spreadsheet {

class Workbook;

struct CellPos {
    std::int32_t row = 1;
    std::int32_t col = 1;
    bool operator==(const CellPos&) const = default;
};

// One jump from (row, col) of the sheet in the direction (dRow, dCol), one
// of (-1, 0), (1, 0), (0, -1), (0, 1). From a filled cell whose neighbour
// that way is filled: the last filled cell before the first empty one. Else:
// the first filled cell that way, or the sheet's last cell that way when
// there is none. At the sheet's edge: (row, col) itself. Rows and columns
// from 1, inside the sheet. Linear in the cells passed.
[[nodiscard]] CellPos dataEdge(const Workbook& book, std::int32_t sheet, std::int32_t row, std::int32_t col,
                               std::int32_t dRow, std::int32_t dCol);

// The first cell of the scrolling part of the sheet: A1, or the cell below
// and right of panes frozen from row (column) 1.
[[nodiscard]] CellPos homeCell(const SheetFormat::Freeze& freeze);

// The last used row and column of the sheet (A1 on an empty sheet).
[[nodiscard]] CellPos endCell(const Workbook& book, std::int32_t sheet);

} // namespace spreadsheet
