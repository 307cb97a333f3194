#include "platform/spreadsheet/SheetFormat.h"

#include <algorithm>
#include <unordered_map>

#include "platform/errors/Error.h"

namespace spreadsheet {

namespace {

const std::vector<SheetFormat::Run> kNoRuns;

// Drops style-0 runs and joins neighbours of one style.
std::vector<SheetFormat::Run> normalised(std::vector<SheetFormat::Run> runs)
{
    std::vector<SheetFormat::Run> out;
    out.reserve(runs.size());
    for (const auto& r : runs) {
        if (r.style == 0 || r.lastCol < r.firstCol)
            continue;
        if (!out.empty() && out.back().style == r.style && out.back().lastCol + 1 == r.firstCol)
            out.back().lastCol = r.lastCol;
        else
            out.push_back(r);
    }
    return out;
}

// The parts of the runs that lie inside (outside) the columns lo..hi.
std::vector<SheetFormat::Run> clipped(const std::vector<SheetFormat::Run>& runs, std::int32_t lo, std::int32_t hi)
{
    std::vector<SheetFormat::Run> out;
    for (const auto& r : runs)
        if (r.lastCol >= lo && r.firstCol <= hi)
            out.push_back({std::max(r.firstCol, lo), std::min(r.lastCol, hi), r.style});
    return out;
}

std::vector<SheetFormat::Run> outside(const std::vector<SheetFormat::Run>& runs, std::int32_t lo, std::int32_t hi)
{
    std::vector<SheetFormat::Run> out;
    for (const auto& r : runs) {
        if (r.firstCol < lo)
            out.push_back({r.firstCol, std::min(r.lastCol, lo - 1), r.style});
        if (r.lastCol > hi)
            out.push_back({std::max(r.firstCol, hi + 1), r.lastCol, r.style});
    }
    return out;
}

// Line numbers (sorted) after `count` lines are inserted before `at`; those
// pushed past `max` are dropped.
void insertLines(std::vector<std::int32_t>& lines, std::int32_t at, std::int32_t count, std::int32_t max)
{
    std::vector<std::int32_t> out;
    for (std::int32_t v : lines)
        if (v < at)
            out.push_back(v);
        else if (v + count <= max)
            out.push_back(v + count);
    lines = std::move(out);
}

// Line numbers (sorted) after lines first..first + count - 1 are deleted;
// the deleted ones go, and so do those that end up below `min`.
void deleteLines(std::vector<std::int32_t>& lines, std::int32_t first, std::int32_t count, std::int32_t min = 1)
{
    std::vector<std::int32_t> out;
    for (std::int32_t v : lines) {
        const std::int32_t moved = v < first ? v : v >= first + count ? v - count : 0;
        if (moved >= min && (out.empty() || out.back() != moved))
            out.push_back(moved);
    }
    lines = std::move(out);
}

bool addLine(std::vector<std::int32_t>& lines, std::int32_t v, std::int32_t max)
{
    if (v < 2 || v > max)
        return false;
    const auto at = std::lower_bound(lines.begin(), lines.end(), v);
    if (at != lines.end() && *at == v)
        return false;
    lines.insert(at, v);
    return true;
}

} // namespace

SheetFormat::SheetFormat() : m_styles(1) {}

const std::vector<SheetFormat::Run>& SheetFormat::runs(std::int32_t row) const
{
    if (row < 1 || row > lastFormattedRow())
        return kNoRuns;
    return m_rows[static_cast<std::size_t>(row - 1)];
}

std::uint16_t SheetFormat::styleAt(std::int32_t row, std::int32_t col) const
{
    const auto& rs = runs(row);
    const auto it = std::upper_bound(rs.begin(), rs.end(), col, [](std::int32_t c, const Run& r) { return c < r.firstCol; });
    if (it == rs.begin())
        return 0;
    const Run& r = *std::prev(it);
    return col <= r.lastCol ? r.style : 0;
}

const CellFormat& SheetFormat::format(std::int32_t row, std::int32_t col) const
{
    return m_styles[styleAt(row, col)];
}

std::uint16_t SheetFormat::intern(const CellFormat& f)
{
    const auto it = std::find(m_styles.begin(), m_styles.end(), f);
    if (it != m_styles.end())
        return static_cast<std::uint16_t>(it - m_styles.begin());
    if (m_styles.size() > 0xFFFF)
        throw platform::Error(7, "SheetFormat", "Too many different cell formats in one sheet.");
    m_styles.push_back(f);
    return static_cast<std::uint16_t>(m_styles.size() - 1);
}

void SheetFormat::setRuns(std::int32_t row, std::vector<Run> rs)
{
    rs = normalised(std::move(rs));
    if (rs.empty() && row > lastFormattedRow())
        return;
    if (row > lastFormattedRow())
        m_rows.resize(static_cast<std::size_t>(row));
    m_rows[static_cast<std::size_t>(row - 1)] = std::move(rs);
    while (!m_rows.empty() && m_rows.back().empty())
        m_rows.pop_back();
}

bool SheetFormat::restoreRuns(std::int32_t row, std::vector<Run> rs)
{
    if (row < 1 || row > kMaxRows)
        return false;
    std::int32_t next = 1;
    for (const Run& r : rs) {
        if (r.firstCol < next || r.lastCol < r.firstCol || r.lastCol > kMaxCols || r.style >= m_styles.size())
            return false;
        next = r.lastCol + 1;
    }
    setRuns(row, std::move(rs));
    return true;
}

void SheetFormat::change(const RangeRef& range, const std::function<void(CellFormat&)>& edit)
{
    std::unordered_map<std::uint16_t, std::uint16_t> made;  // old style -> new style
    auto changed = [&](std::uint16_t old) {
        const auto it = made.find(old);
        if (it != made.end())
            return it->second;
        CellFormat f = m_styles[old];
        edit(f);
        const std::uint16_t id = intern(f);
        made.emplace(old, id);
        return id;
    };
    for (std::int32_t row = range.firstRow; row <= range.lastRow; ++row) {
        const auto& old = runs(row);
        std::vector<Run> out;
        out.reserve(old.size() + 2);
        std::int32_t col = range.firstCol;  // the next column of the range to place
        for (const Run& r : old) {
            if (r.lastCol < range.firstCol || r.firstCol > range.lastCol) {
                if (r.firstCol > range.lastCol && col <= range.lastCol) {
                    out.push_back({col, range.lastCol, changed(0)});
                    col = range.lastCol + 1;
                }
                out.push_back(r);
                continue;
            }
            if (r.firstCol < range.firstCol)
                out.push_back({r.firstCol, range.firstCol - 1, r.style});
            const std::int32_t a = std::max(r.firstCol, range.firstCol);
            const std::int32_t b = std::min(r.lastCol, range.lastCol);
            if (col < a)
                out.push_back({col, a - 1, changed(0)});
            out.push_back({a, b, changed(r.style)});
            col = b + 1;
            if (r.lastCol > range.lastCol)
                out.push_back({range.lastCol + 1, r.lastCol, r.style});
        }
        if (col <= range.lastCol) {
            // The gap may sit before runs that lie wholly to the right: keep the order.
            Run gap{col, range.lastCol, changed(0)};
            const auto at = std::find_if(out.begin(), out.end(), [&](const Run& r) { return r.firstCol > col; });
            out.insert(at, gap);
        }
        setRuns(row, std::move(out));
    }
}

void SheetFormat::setStyle(const RangeRef& range, std::uint16_t id)
{
    const CellFormat f = m_styles.at(id);
    change(range, [&f](CellFormat& c) { c = f; });
}

void SheetFormat::insertRows(std::int32_t at, std::int32_t count)
{
    if (at <= lastFormattedRow()) {
        m_rows.insert(m_rows.begin() + (at - 1), static_cast<std::size_t>(count), {});
        if (lastFormattedRow() > kMaxRows)
            m_rows.resize(kMaxRows);
    }
    std::map<std::int32_t, double> heights;
    for (const auto& [r, h] : m_rowHeight)
        if (r < at)
            heights[r] = h;
        else if (r + count <= kMaxRows)
            heights[r + count] = h;
    m_rowHeight = std::move(heights);
    insertLines(m_hiddenRows, at, count, kMaxRows);
    insertLines(m_rowBreaks, at, count, kMaxRows);
}

void SheetFormat::deleteRows(std::int32_t first, std::int32_t count)
{
    if (first <= lastFormattedRow()) {
        const auto end = std::min<std::int32_t>(first - 1 + count, lastFormattedRow());
        m_rows.erase(m_rows.begin() + (first - 1), m_rows.begin() + end);
        while (!m_rows.empty() && m_rows.back().empty())
            m_rows.pop_back();
    }
    std::map<std::int32_t, double> heights;
    for (const auto& [r, h] : m_rowHeight)
        if (r < first)
            heights[r] = h;
        else if (r >= first + count)
            heights[r - count] = h;
    m_rowHeight = std::move(heights);
    deleteLines(m_hiddenRows, first, count);
    deleteLines(m_rowBreaks, first, count, 2);
}

std::vector<SheetFormat::Run> SheetFormat::shiftedRight(const std::vector<Run>& runs, std::int32_t at,
                                                         std::int32_t count)
{
    std::vector<Run> out;
    for (Run r : runs) {
        if (r.lastCol < at) {
            out.push_back(r);
            continue;
        }
        if (r.firstCol < at) {
            out.push_back({r.firstCol, at - 1, r.style});
            r.firstCol = at;
        }
        r.firstCol += count;
        r.lastCol = std::min(r.lastCol + count, kMaxCols);
        if (r.firstCol <= kMaxCols)
            out.push_back(r);
    }
    return normalised(std::move(out));
}

void SheetFormat::insertCols(std::int32_t at, std::int32_t count)
{
    for (std::int32_t row = 1; row <= lastFormattedRow(); ++row)
        m_rows[static_cast<std::size_t>(row - 1)] = shiftedRight(runs(row), at, count);
    std::map<std::int32_t, double> widths;
    for (const auto& [c, w] : m_colWidth)
        if (c < at)
            widths[c] = w;
        else if (c + count <= kMaxCols)
            widths[c + count] = w;
    m_colWidth = std::move(widths);
    insertLines(m_hiddenCols, at, count, kMaxCols);
    insertLines(m_colBreaks, at, count, kMaxCols);
}

void SheetFormat::deleteCols(std::int32_t first, std::int32_t count)
{
    const std::int32_t last = first + count - 1;
    for (std::int32_t row = 1; row <= lastFormattedRow(); ++row) {
        std::vector<Run> out;
        for (Run r : runs(row)) {
            if (r.lastCol < first) {
                out.push_back(r);
                continue;
            }
            if (r.firstCol < first)
                out.push_back({r.firstCol, first - 1, r.style});
            if (r.lastCol > last)
                out.push_back({std::max(r.firstCol, last + 1) - count, r.lastCol - count, r.style});
        }
        m_rows[static_cast<std::size_t>(row - 1)] = normalised(std::move(out));
    }
    while (!m_rows.empty() && m_rows.back().empty())
        m_rows.pop_back();
    std::map<std::int32_t, double> widths;
    for (const auto& [c, w] : m_colWidth)
        if (c < first)
            widths[c] = w;
        else if (c > last)
            widths[c - count] = w;
    m_colWidth = std::move(widths);
    deleteLines(m_hiddenCols, first, count);
    deleteLines(m_colBreaks, first, count, 2);
}

void SheetFormat::shiftCellsDown(std::int32_t at, std::int32_t firstCol, std::int32_t lastCol, std::int32_t count)
{
    const std::int32_t last = std::min(lastFormattedRow() + count, kMaxRows);
    for (std::int32_t row = last; row >= at; --row) {
        std::vector<Run> out = outside(runs(row), firstCol, lastCol);
        if (row - count >= at) {
            const auto moved = clipped(runs(row - count), firstCol, lastCol);
            out.insert(out.end(), moved.begin(), moved.end());
        }
        std::sort(out.begin(), out.end(), [](const Run& a, const Run& b) { return a.firstCol < b.firstCol; });
        setRuns(row, std::move(out));
    }
}

void SheetFormat::shiftCellsUp(std::int32_t first, std::int32_t firstCol, std::int32_t lastCol, std::int32_t count)
{
    // Upwards, so that each row's source below is read before it is overwritten.
    const std::int32_t last = lastFormattedRow();
    for (std::int32_t row = first; row <= last; ++row) {
        std::vector<Run> out = outside(runs(row), firstCol, lastCol);
        if (row <= last - count) {
            const auto moved = clipped(runs(row + count), firstCol, lastCol);
            out.insert(out.end(), moved.begin(), moved.end());
        }
        std::sort(out.begin(), out.end(), [](const Run& a, const Run& b) { return a.firstCol < b.firstCol; });
        setRuns(row, std::move(out));
    }
}

void SheetFormat::shiftCellsRight(std::int32_t at, std::int32_t firstRow, std::int32_t lastRow, std::int32_t count)
{
    for (std::int32_t row = firstRow; row <= std::min(lastRow, lastFormattedRow()); ++row)
        setRuns(row, shiftedRight(runs(row), at, count));
}

void SheetFormat::permuteLines(std::map<std::int32_t, double>& sizes, std::vector<std::int32_t>& hidden,
                               std::int32_t first, const std::vector<std::int32_t>& order)
{
    const auto n = static_cast<std::int32_t>(order.size());
    std::vector<std::optional<double>> oldSizes(order.size());
    std::vector<bool> oldHidden(order.size());
    for (std::int32_t i = 0; i < n; ++i) {
        const auto it = sizes.find(first + i);
        if (it != sizes.end())
            oldSizes[static_cast<std::size_t>(i)] = it->second;
        oldHidden[static_cast<std::size_t>(i)] = std::binary_search(hidden.begin(), hidden.end(), first + i);
    }
    std::vector<std::int32_t> kept;
    for (const std::int32_t v : hidden)
        if (v < first || v >= first + n)
            kept.push_back(v);
    for (std::int32_t i = 0; i < n; ++i) {
        const auto from = static_cast<std::size_t>(order[static_cast<std::size_t>(i)]);
        if (oldSizes[from])
            sizes[first + i] = *oldSizes[from];
        else
            sizes.erase(first + i);
        if (oldHidden[from])
            kept.push_back(first + i);
    }
    std::sort(kept.begin(), kept.end());
    hidden = std::move(kept);
}

void SheetFormat::permuteRows(std::int32_t firstRow, std::int32_t firstCol, std::int32_t lastCol,
                              const std::vector<std::int32_t>& order)
{
    const auto n = static_cast<std::int32_t>(order.size());
    std::vector<std::vector<Run>> inside(order.size());
    for (std::int32_t i = 0; i < n; ++i)
        inside[static_cast<std::size_t>(i)] = clipped(runs(firstRow + i), firstCol, lastCol);
    for (std::int32_t i = 0; i < n; ++i) {
        std::vector<Run> out = outside(runs(firstRow + i), firstCol, lastCol);
        const auto& moved = inside[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
        out.insert(out.end(), moved.begin(), moved.end());
        std::sort(out.begin(), out.end(), [](const Run& a, const Run& b) { return a.firstCol < b.firstCol; });
        setRuns(firstRow + i, std::move(out));
    }
    permuteLines(m_rowHeight, m_hiddenRows, firstRow, order);
}

void SheetFormat::permuteCols(std::int32_t firstCol, std::int32_t firstRow, std::int32_t lastRow,
                              const std::vector<std::int32_t>& order)
{
    const auto n = static_cast<std::int32_t>(order.size());
    const std::int32_t lastCol = firstCol + n - 1;
    std::vector<std::uint16_t> styles(order.size());
    for (std::int32_t row = firstRow; row <= std::min(lastRow, lastFormattedRow()); ++row) {
        if (clipped(runs(row), firstCol, lastCol).empty())
            continue;
        for (std::int32_t j = 0; j < n; ++j)
            styles[static_cast<std::size_t>(j)] = styleAt(row, firstCol + j);
        std::vector<Run> out = outside(runs(row), firstCol, lastCol);
        for (std::int32_t j = 0; j < n; ++j) {
            const auto from = static_cast<std::size_t>(order[static_cast<std::size_t>(j)]);
            out.push_back({firstCol + j, firstCol + j, styles[from]});
        }
        std::sort(out.begin(), out.end(), [](const Run& a, const Run& b) { return a.firstCol < b.firstCol; });
        setRuns(row, std::move(out));
    }
    permuteLines(m_colWidth, m_hiddenCols, firstCol, order);
}

bool SheetFormat::addRowBreak(std::int32_t row)
{
    return addLine(m_rowBreaks, row, kMaxRows);
}

bool SheetFormat::addColBreak(std::int32_t col)
{
    return addLine(m_colBreaks, col, kMaxCols);
}

double SheetFormat::storedColWidth(std::int32_t col) const
{
    const auto it = m_colWidth.find(col);
    return it == m_colWidth.end() ? m_defaultColWidth : it->second;
}

double SheetFormat::storedRowHeight(std::int32_t row) const
{
    const auto it = m_rowHeight.find(row);
    return it == m_rowHeight.end() ? m_defaultRowHeight : it->second;
}

double SheetFormat::colWidth(std::int32_t col) const
{
    return isColHidden(col) ? 0.0 : storedColWidth(col);
}

double SheetFormat::rowHeight(std::int32_t row) const
{
    return isRowHidden(row) ? 0.0 : fittedRowHeight(row);
}

bool SheetFormat::hasLockedCell(const RangeRef& range) const
{
    const bool normalLocked = m_styles[0].locked;
    for (std::int32_t r = range.firstRow; r <= range.lastRow; ++r) {
        if (r > lastFormattedRow())
            return normalLocked;  // this row and the rest have the normal style only
        std::int32_t styled = 0;
        for (const Run& run : runs(r)) {
            const std::int32_t lo = std::max(run.firstCol, range.firstCol);
            const std::int32_t hi = std::min(run.lastCol, range.lastCol);
            if (lo > hi)
                continue;
            if (m_styles[run.style].locked)
                return true;
            styled += hi - lo + 1;
        }
        if (styled < range.cols() && normalLocked)
            return true;
    }
    return false;
}

double SheetFormat::plainRowHeight() const
{
    return std::max(m_defaultRowHeight, std::min(kMaxRowHeight, m_styles[0].fontSize * kFontRowRatio));
}

double SheetFormat::fittedRowHeight(std::int32_t row) const
{
    if (const auto it = m_rowHeight.find(row); it != m_rowHeight.end())
        return it->second;
    double points = m_styles[0].fontSize;
    for (const Run& r : runs(row))
        points = std::max(points, m_styles[r.style].fontSize);
    return std::max(m_defaultRowHeight, std::min(kMaxRowHeight, points * kFontRowRatio));
}

void SheetFormat::setColWidth(std::int32_t first, std::int32_t last, double chars)
{
    chars = std::clamp(chars, 0.0, kMaxColWidth);
    for (std::int32_t c = first; c <= last; ++c)
        m_colWidth[c] = chars;
}

void SheetFormat::setRowHeight(std::int32_t first, std::int32_t last, double points)
{
    points = std::clamp(points, 0.0, kMaxRowHeight);
    for (std::int32_t r = first; r <= last; ++r)
        m_rowHeight[r] = points;
}

void SheetFormat::setDefaultColWidth(double chars)
{
    m_defaultColWidth = std::clamp(chars, 0.0, kMaxColWidth);
}

void SheetFormat::setDefaultRowHeight(double points)
{
    m_defaultRowHeight = std::clamp(points, 0.0, kMaxRowHeight);
}

bool SheetFormat::isColHidden(std::int32_t col) const
{
    return std::binary_search(m_hiddenCols.begin(), m_hiddenCols.end(), col);
}

bool SheetFormat::isRowHidden(std::int32_t row) const
{
    return std::binary_search(m_hiddenRows.begin(), m_hiddenRows.end(), row);
}

void SheetFormat::toggle(std::vector<std::int32_t>& list, std::int32_t first, std::int32_t last, bool on)
{
    std::vector<std::int32_t> out;
    out.reserve(list.size() + (on ? static_cast<std::size_t>(last - first + 1) : 0));
    for (std::int32_t v : list)
        if (v < first || v > last)
            out.push_back(v);
    if (on)
        for (std::int32_t v = first; v <= last; ++v)
            out.push_back(v);
    std::sort(out.begin(), out.end());
    list = std::move(out);
}

void SheetFormat::dropZeroSizes(std::map<std::int32_t, double>& sizes, std::int32_t first, std::int32_t last)
{
    for (auto it = sizes.lower_bound(first); it != sizes.end() && it->first <= last;)
        it = it->second <= 0 ? sizes.erase(it) : std::next(it);
}

void SheetFormat::setColHidden(std::int32_t first, std::int32_t last, bool hidden)
{
    toggle(m_hiddenCols, first, last, hidden);
    if (!hidden)
        dropZeroSizes(m_colWidth, first, last);
}

void SheetFormat::setRowHidden(std::int32_t first, std::int32_t last, bool hidden)
{
    toggle(m_hiddenRows, first, last, hidden);
    if (!hidden)
        dropZeroSizes(m_rowHeight, first, last);
}

} // namespace spreadsheet
