#include "platform/spreadsheet/DataEdge.h"

#include <algorithm>

#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

CellPos dataEdge(const Workbook& book, std::int32_t sheet, std::int32_t row, std::int32_t col, std::int32_t dRow,
                 std::int32_t dCol)
{
    const detail::SheetData& data = book.sheetData(sheet);
    const auto inside = [](std::int32_t r, std::int32_t c) {
        return r >= 1 && r <= kMaxRows && c >= 1 && c <= kMaxCols;
    };
    const auto filled = [&data](std::int32_t r, std::int32_t c) {
        const detail::Cell* cell = data.find(r, c);
        return cell != nullptr && !cell->isEmpty();
    };
    CellPos at{row + dRow, col + dCol};
    if (!inside(at.row, at.col))
        return {row, col};
    if (filled(row, col) && filled(at.row, at.col)) {
        while (inside(at.row + dRow, at.col + dCol) && filled(at.row + dRow, at.col + dCol)) {
            at.row += dRow;
            at.col += dCol;
        }
        return at;
    }
    while (!filled(at.row, at.col) && inside(at.row + dRow, at.col + dCol)) {
        at.row += dRow;
        at.col += dCol;
    }
    return at;
}

CellPos homeCell(const SheetFormat::Freeze& freeze)
{
    return {freeze.rows > 0 && freeze.firstRow == 1 ? std::min(freeze.rows + 1, kMaxRows) : 1,
            freeze.cols > 0 && freeze.firstCol == 1 ? std::min(freeze.cols + 1, kMaxCols) : 1};
}

CellPos endCell(const Workbook& book, std::int32_t sheet)
{
    return {std::max(1, book.lastUsedRow(sheet)), std::max(1, book.lastUsedCol(sheet))};
}

} // namespace spreadsheet
