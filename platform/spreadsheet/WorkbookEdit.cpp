// The workbook's editing commands: clipboard extent, fill, clear, delete,
// sort, find and replace (declared in Workbook.h).

#include <algorithm>
#include <cctype>
#include <numeric>
#include <optional>
#include <string>
#include <tuple>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

using detail::Cell;
using detail::SheetData;

void checkBlock(std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2, const char* source)
{
    if (r1 < 1 || c1 < 1 || r2 > kMaxRows || c2 > kMaxCols)
        throw platform::Error::runtime(platform::err::Subscript, source);
    if (r2 < r1 || c2 < c1)
        throw platform::Error::runtime(platform::err::InvalidCall, source);
}

// A cell moved by (dRow, dCol): formulas keep pointing where a copy would.
Cell moved(Cell cell, std::int32_t dRow, std::int32_t dCol)
{
    if (cell.isFormula() && (dRow != 0 || dCol != 0))
        cell.setFormula(detail::rewriteFormulaRefs(cell.formula(), detail::offsetEdit(dRow, dCol)));
    return cell;
}

void put(SheetData& s, std::int32_t row, std::int32_t col, Cell cell)
{
    if (cell.isEmpty()) {
        if (s.find(row, col))
            s.at(row, col).clear();
        return;
    }
    s.at(row, col) = std::move(cell);
}

Cell copyOf(const SheetData& s, std::int32_t row, std::int32_t col)
{
    const Cell* c = s.find(row, col);
    return c ? *c : Cell();
}

std::string lowered(std::string_view text)
{
    std::string out(text);
    for (char& ch : out)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return out;
}

// The order of kinds within a sort key: numbers, texts, logicals, errors.
int kindRank(ValueKind kind)
{
    switch (kind) {
    case ValueKind::Number: return 0;
    case ValueKind::Text: return 1;
    case ValueKind::Logical: return 2;
    case ValueKind::Error: return 3;
    case ValueKind::Empty: return 4;
    }
    return 4;
}

// -1, 0, 1 for two non-empty values.
int compareValues(const Value& a, const Value& b)
{
    const int ra = kindRank(a.kind());
    const int rb = kindRank(b.kind());
    if (ra != rb)
        return ra < rb ? -1 : 1;
    switch (a.kind()) {
    case ValueKind::Number:
        return a.number() < b.number() ? -1 : (b.number() < a.number() ? 1 : 0);
    case ValueKind::Text: {
        const int c = lowered(a.text()).compare(lowered(b.text()));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case ValueKind::Logical:
        return static_cast<int>(a.logicalValue()) - static_cast<int>(b.logicalValue());
    case ValueKind::Error:
        return static_cast<int>(a.errorCode()) < static_cast<int>(b.errorCode())
                   ? -1
                   : (static_cast<int>(a.errorCode()) > static_cast<int>(b.errorCode()) ? 1 : 0);
    case ValueKind::Empty:
        return 0;
    }
    return 0;
}

// Start of each match of `what` in `text`, left to right, not overlapping.
std::vector<std::size_t> matches(std::string_view text, std::string_view what, const Workbook::FindOptions& o)
{
    std::vector<std::size_t> out;
    if (what.empty())
        return out;
    const std::string hay = o.matchCase ? std::string(text) : lowered(text);
    const std::string needle = o.matchCase ? std::string(what) : lowered(what);
    if (o.wholeCell) {
        if (hay == needle)
            out.push_back(0);
        return out;
    }
    for (std::size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + needle.size()))
        out.push_back(at);
    return out;
}

// Whether the text of a number ("-1.5E-03") could hold `what`: only when
// `what` is made of the characters such texts are made of.
bool numberTextCouldHold(std::string_view what)
{
    return what.find_first_not_of("0123456789.-+Ee") == std::string_view::npos;
}

// A constant number whose shown text cannot match is passed over without formatting it.
bool cannotMatch(const Cell& cell, bool numbersCanMatch)
{
    return cell.isEmpty() || (!numbersCanMatch && !cell.isFormula() && cell.valueKind() == ValueKind::Number);
}

} // namespace

// ---- clipboard extent ------------------------------------------------------------

Workbook::ClipExtent Workbook::clipExtent(std::string_view text)
{
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        text.remove_suffix(2);
    else if (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    ClipExtent e;
    if (text.empty())
        return e;
    e.rows = 1;
    std::int32_t cols = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t') {
            ++cols;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            e.cols = std::max(e.cols, cols);
            cols = 1;
            ++e.rows;
        }
    }
    e.cols = std::max(e.cols, cols);
    return e;
}

bool Workbook::clipFits(std::string_view text) const
{
    const ClipExtent e = clipExtent(text);
    const RangeRef r = SelectionEx(0);
    return r.firstRow - 1 + e.rows <= kMaxRows && r.firstCol - 1 + e.cols <= kMaxCols;
}

// ---- fill, clear, delete -------------------------------------------------------

void Workbook::EditCopyDown()
{
    const RangeRef r = SelectionEx(0);
    checkUnlocked(m_active, r, "EditCopyDown");
    SheetData& s = active();
    std::vector<Cell> source;
    for (std::int32_t c = r.firstCol; c <= r.lastCol; ++c)
        source.push_back(copyOf(s, r.firstRow, c));
    for (std::int32_t row = r.firstRow + 1; row <= r.lastRow; ++row)
        for (std::int32_t c = r.firstCol; c <= r.lastCol; ++c)
            put(s, row, c, moved(source[static_cast<std::size_t>(c - r.firstCol)], row - r.firstRow, 0));
    s.trimAll();
    m_dirty = true;
    touch();
}

void Workbook::EditCopyRight()
{
    const RangeRef r = SelectionEx(0);
    checkUnlocked(m_active, r, "EditCopyRight");
    SheetData& s = active();
    std::vector<Cell> source;
    for (std::int32_t row = r.firstRow; row <= r.lastRow; ++row)
        source.push_back(copyOf(s, row, r.firstCol));
    for (std::int32_t row = r.firstRow; row <= r.lastRow; ++row)
        for (std::int32_t c = r.firstCol + 1; c <= r.lastCol; ++c)
            put(s, row, c, moved(source[static_cast<std::size_t>(row - r.firstRow)], 0, c - r.firstCol));
    s.trimAll();
    m_dirty = true;
    touch();
}

void Workbook::EditClear(std::int32_t what)
{
    if (what < 1 || what > 3)
        throw platform::Error::runtime(platform::err::InvalidCall, "EditClear");
    checkUnlocked(m_active, SelectionEx(0), "EditClear");
    // Contents first: clearing the formats gives the cells the normal style,
    // which is locked, and a protected sheet would then refuse the contents.
    if (what != 2)
        clearRange(m_active, SelectionEx(0));
    if (what != 3) {
        active().format.clear(SelectionEx(0));
        touch();
    }
}

void Workbook::deleteSelectedCells()
{
    const RangeRef r = SelectionEx(0);
    checkUnlocked(m_active, RangeRef{r.firstRow, r.firstCol, kMaxRows, r.lastCol}, "deleteSelectedCells");
    const std::int32_t n = r.rows();
    SheetData& s = active();
    // References first, while every formula still stands where it was written.
    editFormulas(m_active, [&](auto matches) {
        return detail::deleteCellsEdit(std::move(matches), detail::ShiftAlong::Rows, r.firstRow, n, r.firstCol,
                                       r.lastCol);
    });

    // The cells move as they are: their references were moved above.
    const std::int32_t last = s.lastUsedRow();
    for (std::int32_t row = r.firstRow; row <= last; ++row) {
        for (std::int32_t c = r.firstCol; c <= r.lastCol; ++c) {
            const std::int32_t from = row + n;
            const Cell* source = from <= last ? s.find(from, c) : nullptr;
            if (source && !source->isEmpty()) {
                Cell cell = *source;
                s.at(from, c).clear();
                s.at(row, c) = std::move(cell);
            } else if (s.find(row, c)) {
                s.at(row, c).clear();
            }
        }
    }
    s.trimAll();
    s.format.shiftCellsUp(r.firstRow, r.firstCol, r.lastCol, n);
    m_dirty = true;
    touch();
}

void Workbook::deleteSelectedRows()
{
    const RangeRef r = SelectionEx(0);
    deleteRows(m_active, r.firstRow, r.rows());
}

void Workbook::deleteSelectedCols()
{
    const RangeRef r = SelectionEx(0);
    deleteCols(m_active, r.firstCol, r.cols());
}

// ---- sorting ---------------------------------------------------------------------

void Workbook::Sort3(std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2, bool byRows,
                     std::int32_t key1, std::int32_t key2, std::int32_t key3)
{
    checkBlock(r1, c1, r2, c2, "Sort3");
    checkUnlocked(m_active, RangeRef{r1, c1, r2, c2}, "Sort3");
    ensureCalculated();
    SheetData& s = active();
    const std::int32_t lines = byRows ? r2 - r1 + 1 : c2 - c1 + 1;
    const std::int32_t width = byRows ? c2 - c1 + 1 : r2 - r1 + 1;
    auto rowOf = [&](std::int32_t line, std::int32_t pos) { return byRows ? r1 + line : r1 + pos; };
    auto colOf = [&](std::int32_t line, std::int32_t pos) { return byRows ? c1 + pos : c1 + line; };

    struct Key {
        std::int32_t pos;
        bool descending;
    };
    std::vector<Key> keys;
    for (const std::int32_t k : {key1, key2, key3}) {
        if (k == 0)
            continue;
        const std::int32_t n = k < 0 ? -k : k;
        if (n > width)
            throw platform::Error(platform::err::InvalidCall, "Sort3", "The sort key lies outside the block.");
        keys.push_back(Key{n - 1, k < 0});
    }
    if (keys.empty())
        return;

    // Lines and cells past the used area are empty: they stay where they are.
    const std::int32_t usedLines = std::max(0, std::min(lines, (byRows ? s.lastUsedRow() - r1 : s.lastUsedCol() - c1) + 1));
    const std::int32_t usedWidth = std::max(0, std::min(width, (byRows ? s.lastUsedCol() - c1 : s.lastUsedRow() - r1) + 1));
    if (usedLines < 2 || usedWidth < 1)
        return;

    // Each key's values, read once; a key mixing numbers and texts is refused.
    std::vector<std::vector<Value>> keyValues;
    for (const Key& key : keys) {
        std::vector<Value> values;
        values.reserve(static_cast<std::size_t>(usedLines));
        bool numbers = false;
        bool texts = false;
        for (std::int32_t i = 0; i < usedLines; ++i) {
            const Cell* c = s.find(rowOf(i, key.pos), colOf(i, key.pos));
            values.push_back(c ? c->value() : Value());
            numbers = numbers || values.back().isNumber();
            texts = texts || values.back().isText();
        }
        if (numbers && texts)
            throw platform::Error(platform::err::InvalidCall, "Sort3",
                                  byRows ? "The sort column holds both numbers and texts; leave label rows out of the selection."
                                         : "The sort row holds both numbers and texts; leave label columns out of the selection.");
        keyValues.push_back(std::move(values));
    }

    std::vector<std::int32_t> order(static_cast<std::size_t>(usedLines));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const Value& va = keyValues[k][static_cast<std::size_t>(a)];
            const Value& vb = keyValues[k][static_cast<std::size_t>(b)];
            if (va.isEmpty() || vb.isEmpty()) {
                if (va.isEmpty() != vb.isEmpty())
                    return vb.isEmpty();  // empty keys last, whatever the direction
                continue;
            }
            int c = compareValues(va, vb);
            if (keys[k].descending)
                c = -c;
            if (c != 0)
                return c < 0;
        }
        return false;
    });
    bool same = true;
    for (std::int32_t i = 0; i < usedLines && same; ++i)
        same = order[static_cast<std::size_t>(i)] == i;
    if (same)
        return;

    const auto cellIndex = [&](std::int32_t line, std::int32_t pos) {
        return static_cast<std::size_t>(line) * static_cast<std::size_t>(usedWidth) + static_cast<std::size_t>(pos);
    };
    std::vector<Cell> block(cellIndex(usedLines, 0));
    for (std::int32_t i = 0; i < usedLines; ++i)
        for (std::int32_t j = 0; j < usedWidth; ++j)
            block[cellIndex(i, j)] = copyOf(s, rowOf(i, j), colOf(i, j));
    for (std::int32_t i = 0; i < usedLines; ++i) {
        const std::int32_t from = order[static_cast<std::size_t>(i)];
        for (std::int32_t j = 0; j < usedWidth; ++j) {
            Cell& c = block[cellIndex(from, j)];
            put(s, rowOf(i, j), colOf(i, j), moved(std::move(c), byRows ? i - from : 0, byRows ? 0 : i - from));
        }
    }
    // Formats, line sizes and hidden flags go with their lines, over the
    // block's whole width.
    if (byRows)
        s.format.permuteRows(r1, c1, c2, order);
    else
        s.format.permuteCols(c1, r1, r2, order);
    s.trimAll();
    m_dirty = true;
    touch();
}

bool Workbook::hasDataBeside(const RangeRef& block, bool byRows) const
{
    const SheetData& s = active();
    auto filled = [&](std::int32_t row, std::int32_t col) {
        if (row < 1 || row > kMaxRows || col < 1 || col > kMaxCols)
            return false;
        const Cell* c = s.find(row, col);
        return c && !c->isEmpty();
    };
    if (byRows) {
        for (std::int32_t row = block.firstRow; row <= block.lastRow; ++row)
            if (filled(row, block.firstCol - 1) || filled(row, block.lastCol + 1))
                return true;
        return false;
    }
    for (std::int32_t col = block.firstCol; col <= block.lastCol; ++col)
        if (filled(block.firstRow - 1, col) || filled(block.lastRow + 1, col))
            return true;
    return false;
}

// ---- find and replace --------------------------------------------------------------

std::optional<std::pair<std::int32_t, std::int32_t>> Workbook::findCell(std::string_view what, std::int32_t row,
                                                                        std::int32_t col,
                                                                        const FindOptions& options) const
{
    if (what.empty())
        return std::nullopt;
    ensureCalculated();
    const std::int32_t lastRow = lastUsedRow();
    const std::int32_t lastCol = lastUsedCol();
    if (lastRow == 0 || lastCol == 0)
        return std::nullopt;
    const std::int64_t total = static_cast<std::int64_t>(lastRow) * lastCol;
    // Cells in search order: along the rows, or down the columns.
    auto indexOf = [&](std::int32_t r, std::int32_t c) -> std::int64_t {
        if (options.byColumns) {
            if (c > lastCol)
                return total - 1;
            return static_cast<std::int64_t>(c - 1) * lastRow + (std::min(r, lastRow) - 1);
        }
        if (r > lastRow)
            return total - 1;
        return static_cast<std::int64_t>(r - 1) * lastCol + (std::min(c, lastCol) - 1);
    };
    const std::int64_t start = indexOf(std::max(row, 1), std::max(col, 1));
    const bool numbersCanMatch = numberTextCouldHold(what);
    for (std::int64_t k = 1; k <= total; ++k) {
        const std::int64_t at = (start + k) % total;
        const std::int32_t r = options.byColumns ? static_cast<std::int32_t>(at % lastRow) + 1
                                                 : static_cast<std::int32_t>(at / lastCol) + 1;
        const std::int32_t c = options.byColumns ? static_cast<std::int32_t>(at / lastRow) + 1
                                                 : static_cast<std::int32_t>(at % lastCol) + 1;
        const Cell* cell = active().find(r, c);
        if (!cell || cannotMatch(*cell, numbersCanMatch))
            continue;
        if (!matches(cellEntryText(m_active, r, c), what, options).empty())
            return std::make_pair(r, c);
    }
    return std::nullopt;
}

std::optional<std::string> Workbook::replacedEntry(std::int32_t row, std::int32_t col, std::string_view what,
                                                   std::string_view with, const FindOptions& options) const
{
    const std::string entry = cellEntryText(m_active, row, col);
    const std::vector<std::size_t> hits = matches(entry, what, options);
    if (hits.empty())
        return std::nullopt;
    std::string out;
    std::size_t from = 0;
    const std::size_t length = options.wholeCell ? entry.size() : what.size();
    for (const std::size_t at : hits) {
        out.append(entry, from, at - from);
        out.append(with);
        from = at + length;
    }
    out.append(entry, from, std::string::npos);
    return out;
}

bool Workbook::replaceInCell(std::int32_t row, std::int32_t col, std::string_view what, std::string_view with,
                             const FindOptions& options)
{
    const std::optional<std::string> out = replacedEntry(row, col, what, with, options);
    if (!out)
        return false;
    if (isFormulaEntry(m_active, row, col, *out))
        checkFormulaSize(*out, "replaceInCell");
    setCellEntry(m_active, row, col, *out);
    return true;
}

std::int32_t Workbook::replaceAll(std::string_view what, std::string_view with, const FindOptions& options)
{
    if (what.empty())
        return 0;
    ensureCalculated();
    std::int32_t changed = 0;
    const std::int32_t lastRow = lastUsedRow();
    const std::int32_t lastCol = lastUsedCol();
    const bool numbersCanMatch = numberTextCouldHold(what);
    // The cells that match with their new entries, all refused at once when
    // one is locked or would hold a formula too large to enter.
    std::vector<std::tuple<std::int32_t, std::int32_t, std::string>> hits;
    for (std::int32_t r = 1; r <= lastRow; ++r)
        for (std::int32_t c = 1; c <= lastCol; ++c) {
            const Cell* cell = active().find(r, c);
            if (!cell || cannotMatch(*cell, numbersCanMatch))
                continue;
            if (std::optional<std::string> out = replacedEntry(r, c, what, with, options)) {
                checkUnlocked(m_active, RangeRef{r, c, r, c}, "replaceAll");
                if (isFormulaEntry(m_active, r, c, *out))
                    checkFormulaSize(*out, "replaceAll");
                hits.emplace_back(r, c, std::move(*out));
            }
        }
    for (const auto& [r, c, out] : hits) {
        setCellEntry(m_active, r, c, out);
        ++changed;
    }
    return changed;
}

} // namespace spreadsheet
