#include <algorithm>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

using detail::Cell;
using detail::FormulaRef;
using detail::SheetData;

[[noreturn]] void refuseOffSheet()
{
    throw platform::Error(platform::err::InvalidCall, "EditInsert",
                          "Inserting here would push cells that hold data off the end of the sheet. "
                          "Clear or move those cells first.");
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

// How a reference changes when the cells of lines lo..hi (columns for a
// shift down, rows for a shift right) move by count, from line `at` of the
// moving direction (a row for a shift down, a column for a shift right) on.
struct ShiftEdit {
    std::int32_t lo;
    std::int32_t hi;
    std::int32_t at;
    std::int32_t count;
    std::int32_t max;  // the last line of the moving direction

    // a1/a2: the reference's coordinates in the moving direction (rows for a
    // shift down), x1/x2: the other ones. False: the cell left the sheet.
    bool operator()(std::int32_t& a1, std::int32_t& a2, std::int32_t x1, std::int32_t x2, bool isRange) const
    {
        const std::int32_t xlo = std::min(x1, x2);
        const std::int32_t xhi = std::max(x1, x2);
        if (xlo < lo || xhi > hi)
            return true;  // reaches beyond the moved lines (or misses them): stays
        if (!isRange) {
            if (a1 >= at)
                a1 += count;
            return a1 <= max;
        }
        if (a1 >= at)
            a1 += count;
        if (a2 >= at)
            a2 += count;
        // The cells pushed past the end were empty (the shift is refused
        // otherwise): the range keeps its cells up to the end.
        if (std::min(a1, a2) > max)
            return false;
        a1 = std::min(a1, max);
        a2 = std::min(a2, max);
        return true;
    }
};

} // namespace

void Workbook::EditInsert(std::int32_t how)
{
    const RangeRef r = SelectionEx(0);
    const SheetData& s = active();
    switch (how) {
    case 1:
        insertCellsRight(r);
        return;
    case 2:
        insertCellsDown(r);
        return;
    case 3:
        if (s.lastUsedRow() >= r.firstRow && s.lastUsedRow() + r.rows() > kMaxRows)
            refuseOffSheet();
        insertRows(m_active, r.firstRow, r.rows());
        return;
    case 4:
        if (s.lastUsedCol() >= r.firstCol && s.lastUsedCol() + r.cols() > kMaxCols)
            refuseOffSheet();
        insertCols(m_active, r.firstCol, r.cols());
        return;
    default:
        throw platform::Error::runtime(platform::err::InvalidCall, "EditInsert");
    }
}

void Workbook::insertCellsDown(const RangeRef& range)
{
    const std::int32_t n = range.rows();
    SheetData& s = active();
    if (anyFrom(s, kMaxRows - n + 1, range.firstCol, range.lastCol))
        refuseOffSheet();

    const ShiftEdit shift{range.firstCol, range.lastCol, range.firstRow, n, kMaxRows};
    editFormulas(m_active, [&shift](std::function<bool(const std::string&)> matches) -> detail::RefEdit {
        return [shift, matches = std::move(matches)](FormulaRef& ref) {
            if (!matches(ref.sheet))
                return true;
            std::int32_t row2 = ref.isRange ? ref.row2 : ref.row1;
            const bool kept =
                shift(ref.row1, row2, ref.col1, ref.isRange ? ref.col2 : ref.col1, ref.isRange);
            if (ref.isRange)
                ref.row2 = row2;
            return kept;
        };
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
    for (std::int32_t row = range.firstRow; row <= std::min(range.lastRow, s.lastUsedRow()); ++row) {
        const auto& cells = s.rows[static_cast<std::size_t>(row - 1)];
        for (auto c = static_cast<std::size_t>(kMaxCols - n); c < cells.size(); ++c)
            if (!cells[c].isEmpty())
                refuseOffSheet();
    }

    const ShiftEdit shift{range.firstRow, range.lastRow, range.firstCol, n, kMaxCols};
    editFormulas(m_active, [&shift](std::function<bool(const std::string&)> matches) -> detail::RefEdit {
        return [shift, matches = std::move(matches)](FormulaRef& ref) {
            if (!matches(ref.sheet))
                return true;
            std::int32_t col2 = ref.isRange ? ref.col2 : ref.col1;
            const bool kept =
                shift(ref.col1, col2, ref.row1, ref.isRange ? ref.row2 : ref.row1, ref.isRange);
            if (ref.isRange)
                ref.col2 = col2;
            return kept;
        };
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
