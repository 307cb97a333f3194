#include <algorithm>
#include <string>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

using detail::Cell;
using detail::SheetData;

[[noreturn]] void refuseOffSheet()
{
    throw platform::Error(platform::err::InvalidCall, "EditInsert", std::string(Workbook::kInsertOffSheet));
}

// Whether a cell of the rows firstRow.. (all of them) in columns c1..c2 holds anything.
bool anyFrom(const SheetData& s, std::int32_t firstRow, std::int32_t c1, std::int32_t c2)
{
    for (auto r = static_cast<std::size_t>(std::max(firstRow, 1) - 1); r < s.rows.size(); ++r) {
        const auto& row = s.rows[r];
        for (std::int32_t c = c1; c <= std::min(c2, static_cast<std::int32_t>(row.size())); ++c)
            if (!row[static_cast<std::size_t>(c - 1)].isEmpty())
                return true;
    }
    return false;
}

} // namespace

bool Workbook::EditInsertFits(std::int32_t how) const
{
    const RangeRef r = SelectionEx(0);
    const SheetData& s = active();
    switch (how) {
    case 1:
        for (std::int32_t row = r.firstRow; row <= std::min(r.lastRow, s.lastUsedRow()); ++row) {
            const auto& cells = s.rows[static_cast<std::size_t>(row - 1)];
            for (auto c = static_cast<std::size_t>(kMaxCols - r.cols()); c < cells.size(); ++c)
                if (!cells[c].isEmpty())
                    return false;
        }
        return true;
    case 2:
        return !anyFrom(s, kMaxRows - r.rows() + 1, r.firstCol, r.lastCol);
    case 3:
        return s.lastUsedRow() < r.firstRow || s.lastUsedRow() + r.rows() <= kMaxRows;
    case 4:
        return s.lastUsedCol() < r.firstCol || s.lastUsedCol() + r.cols() <= kMaxCols;
    default:
        throw platform::Error::runtime(platform::err::InvalidCall, "EditInsert");
    }
}

void Workbook::EditInsert(std::int32_t how)
{
    if (!EditInsertFits(how))
        refuseOffSheet();
    const RangeRef r = SelectionEx(0);
    // The cells that move: right of the range in its rows, or below it in its columns.
    if (how == 1)
        checkUnlocked(m_active, RangeRef{r.firstRow, r.firstCol, r.lastRow, kMaxCols}, "EditInsert");
    else if (how == 2)
        checkUnlocked(m_active, RangeRef{r.firstRow, r.firstCol, kMaxRows, r.lastCol}, "EditInsert");
    switch (how) {
    case 1:
        insertCellsRight(r);
        return;
    case 2:
        insertCellsDown(r);
        return;
    case 3:
        insertRows(m_active, r.firstRow, r.rows());
        return;
    default:
        insertCols(m_active, r.firstCol, r.cols());
        return;
    }
}

void Workbook::insertCellsDown(const RangeRef& range)
{
    const std::int32_t n = range.rows();
    SheetData& s = active();

    editFormulas(m_active, [&](auto matches) {
        return detail::insertCellsEdit(std::move(matches), detail::ShiftAlong::Rows, range.firstRow, n,
                                       range.firstCol, range.lastCol);
    });

    const std::int32_t last = std::min(s.lastUsedRow(), kMaxRows - n);
    for (std::int32_t row = last; row >= range.firstRow; --row) {
        for (std::int32_t c = range.firstCol; c <= range.lastCol; ++c) {
            const Cell* from = s.find(row, c);
            if (from && !from->isEmpty()) {
                Cell moved = *from;
                s.at(row, c).clear();
                s.at(row + n, c) = std::move(moved);
            } else if (s.find(row + n, c)) {
                s.at(row + n, c).clear();
            }
        }
    }
    s.trimAll();
    s.format.shiftCellsDown(range.firstRow, range.firstCol, range.lastCol, n);
    m_dirty = true;
    touch();
}

void Workbook::insertCellsRight(const RangeRef& range)
{
    const std::int32_t n = range.cols();
    SheetData& s = active();

    editFormulas(m_active, [&](auto matches) {
        return detail::insertCellsEdit(std::move(matches), detail::ShiftAlong::Cols, range.firstCol, n,
                                       range.firstRow, range.lastRow);
    });

    for (std::int32_t row = range.firstRow; row <= std::min(range.lastRow, s.lastUsedRow()); ++row) {
        auto& cells = s.rows[static_cast<std::size_t>(row - 1)];
        if (static_cast<std::size_t>(range.firstCol) > cells.size())
            continue;
        cells.insert(cells.begin() + (range.firstCol - 1), static_cast<std::size_t>(n), Cell());
        if (cells.size() > static_cast<std::size_t>(kMaxCols))
            cells.resize(static_cast<std::size_t>(kMaxCols));  // only empty cells go
    }
    s.trimAll();
    s.format.shiftCellsRight(range.firstCol, range.firstRow, range.lastRow, n);
    m_dirty = true;
    touch();
}

void Workbook::AddPageBreak()
{
    SheetData& s = active();
    bool added = false;
    if (s.activeRow > 1)
        added = s.format.addRowBreak(s.activeRow) || added;
    if (s.activeCol > 1)
        added = s.format.addColBreak(s.activeCol) || added;
    if (added)
        touch();
}

} // namespace spreadsheet
