#include "platform/spreadsheet/FormulaText.h"

#include <algorithm>
#include <utility>

#include "platform/spreadsheet/CellRef.h"

namespace spreadsheet::detail {

namespace {

bool isWordChar(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
           c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

char upper(char c) noexcept
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// A word as a cell reference, with its "$" marks.
bool parseRefWord(std::string_view w, std::int32_t& row, std::int32_t& col, bool& absRow, bool& absCol)
{
    if (!parseCellRef(w, row, col))
        return false;
    absCol = !w.empty() && w[0] == '$';
    const std::size_t firstDigit = w.find_first_of("0123456789");
    absRow = firstDigit > 0 && w[firstDigit - 1] == '$';
    return true;
}

std::string refPart(std::int32_t row, std::int32_t col, bool absRow, bool absCol)
{
    std::string s;
    if (absCol)
        s += '$';
    s += columnLetters(col);
    if (absRow)
        s += '$';
    s += std::to_string(row);
    return s;
}

std::string printRef(const FormulaRef& r)
{
    std::string s;
    if (!r.sheet.empty())
        s += quoteSheetName(r.sheet) + '!';
    if (r.wholeCols)
        return s + (r.absCol1 ? "$" : "") + columnLetters(r.col1) + ':' + (r.absCol2 ? "$" : "") + columnLetters(r.col2);
    if (r.wholeRows)
        return s + (r.absRow1 ? "$" : "") + std::to_string(r.row1) + ':' + (r.absRow2 ? "$" : "") +
               std::to_string(r.row2);
    s += refPart(r.row1, r.col1, r.absRow1, r.absCol1);
    if (r.isRange)
        s += ':' + refPart(r.row2, r.col2, r.absRow2, r.absCol2);
    return s;
}

std::size_t wordEnd(std::string_view f, std::size_t i)
{
    while (i < f.size() && isWordChar(f[i]))
        ++i;
    return i;
}

// "$A", "iv": a column of the sheet, and whether it has its "$".
bool columnPart(std::string_view w, std::int32_t& col, bool& abs)
{
    abs = !w.empty() && w[0] == '$';
    if (abs)
        w.remove_prefix(1);
    if (w.empty() || w.size() > 2)
        return false;
    std::int32_t c = 0;
    for (char ch : w) {
        if (!((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z')))
            return false;
        c = c * 26 + (upper(ch) - 'A' + 1);
    }
    col = c;
    return c <= kMaxCols;
}

// "$3", "16384": a row of the sheet, and whether it has its "$".
bool rowPart(std::string_view w, std::int32_t& row, bool& abs)
{
    abs = !w.empty() && w[0] == '$';
    if (abs)
        w.remove_prefix(1);
    if (w.empty() || w.size() > 5)
        return false;
    std::int32_t r = 0;
    for (char ch : w) {
        if (ch < '0' || ch > '9')
            return false;
        r = r * 10 + (ch - '0');
    }
    row = r;
    return r >= 1 && r <= kMaxRows;
}

// Reads a range of whole columns or rows at i; the end position, or npos.
std::size_t readWholeLines(std::string_view f, std::size_t i, FormulaRef& ref)
{
    const std::size_t e = wordEnd(f, i);
    if (e == i || e >= f.size() || f[e] != ':')
        return std::string_view::npos;
    const std::size_t e2 = wordEnd(f, e + 1);
    if (e2 == e + 1 || (e2 < f.size() && (f[e2] == '(' || f[e2] == '!')))
        return std::string_view::npos;
    const std::string_view first = f.substr(i, e - i);
    const std::string_view second = f.substr(e + 1, e2 - e - 1);
    FormulaRef r;
    r.sheet = ref.sheet;
    r.isRange = true;
    if (columnPart(first, r.col1, r.absCol1) && columnPart(second, r.col2, r.absCol2)) {
        r.wholeCols = true;
        r.row1 = 1;
        r.row2 = kMaxRows;
    } else if (rowPart(first, r.row1, r.absRow1) && rowPart(second, r.row2, r.absRow2)) {
        r.wholeRows = true;
        r.col1 = 1;
        r.col2 = kMaxCols;
    } else {
        return std::string_view::npos;
    }
    ref = std::move(r);
    return e2;
}

// Reads a reference (or range) at i, the sheet already read. Returns the end
// position, or npos when no reference stands there.
std::size_t readRef(std::string_view f, std::size_t i, FormulaRef& ref)
{
    if (const std::size_t whole = readWholeLines(f, i, ref); whole != std::string_view::npos)
        return whole;
    const std::size_t e = wordEnd(f, i);
    if (e == i || !parseRefWord(f.substr(i, e - i), ref.row1, ref.col1, ref.absRow1, ref.absCol1))
        return std::string_view::npos;
    if (e < f.size() && f[e] == '(')
        return std::string_view::npos;
    ref.isRange = false;
    if (e < f.size() && f[e] == ':') {
        const std::size_t e2 = wordEnd(f, e + 1);
        if (e2 > e + 1 && parseRefWord(f.substr(e + 1, e2 - e - 1), ref.row2, ref.col2, ref.absRow2, ref.absCol2) &&
            !(e2 < f.size() && f[e2] == '(')) {
            ref.isRange = true;
            return e2;
        }
    }
    return e;
}

void emitRef(std::string& out, FormulaRef& ref, const RefEdit& edit)
{
    if (edit && !edit(ref)) {
        out += "#REF!";
        return;
    }
    out += printRef(ref);
}

// Moves [lo, hi] when `count` lines are inserted before line `at`.
void insertShift(std::int32_t& lo, std::int32_t& hi, std::int32_t at, std::int32_t count)
{
    if (lo >= at)
        lo += count;
    if (hi >= at)
        hi += count;
}

// After an insertion: a cell pushed off the sheet is gone (false); a range
// whose far end was pushed off keeps its cells up to the last line (those
// pushed off were empty, or the insertion would have been refused).
bool clipToSheet(std::int32_t& a1, std::int32_t& a2, bool isRange, std::int32_t max)
{
    if (!isRange)
        return a1 <= max;
    if (std::min(a1, a2) > max)
        return false;
    a1 = std::min(a1, max);
    a2 = std::min(a2, max);
    return true;
}

// [lo, hi] after deleting lines first .. first + count - 1; false when all are gone.
bool deleteShift(std::int32_t& lo, std::int32_t& hi, std::int32_t first, std::int32_t count)
{
    const std::int32_t last = first + count - 1;
    if (lo >= first && hi <= last)
        return false;
    auto move = [&](std::int32_t v, bool isLow) {
        if (v < first)
            return v;
        if (v > last)
            return v - count;
        return isLow ? first : first - 1;  // an end inside the deleted lines moves to the nearest kept one
    };
    const std::int32_t nlo = move(lo, true);
    const std::int32_t nhi = move(hi, false);
    lo = nlo;
    hi = nhi;
    return lo <= hi;
}

} // namespace

std::string quoteSheetName(std::string_view name)
{
    bool plain = !name.empty() && !(name[0] >= '0' && name[0] <= '9');
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            plain = false;
    // A name that reads as a cell reference ("AB1") needs quotes too.
    std::int32_t r = 0, c = 0;
    if (plain && parseCellRef(name, r, c))
        plain = false;
    if (plain)
        return std::string(name);
    std::string s = "'";
    for (char c2 : name) {
        s += c2;
        if (c2 == '\'')
            s += '\'';
    }
    s += '\'';
    return s;
}

namespace {

std::string rewrite(std::string_view f, const RefEdit& edit, const NameEdit& names)
{
    std::string out;
    out.reserve(f.size() + 8);
    std::size_t i = 0;
    while (i < f.size()) {
        const char c = f[i];
        if (c == '"') {
            std::size_t j = i + 1;
            while (j < f.size()) {
                if (f[j] == '"') {
                    if (j + 1 < f.size() && f[j + 1] == '"') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = std::min(j + 1, f.size());
            out.append(f.substr(i, j - i));
            i = j;
            continue;
        }
        if (c == '\'') {
            std::string name;
            std::size_t j = i + 1;
            bool closed = false;
            while (j < f.size()) {
                if (f[j] == '\'') {
                    if (j + 1 < f.size() && f[j + 1] == '\'') {
                        name += '\'';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                name += f[j++];
            }
            FormulaRef ref;
            if (closed && j + 1 < f.size() && f[j + 1] == '!') {
                ref.sheet = name;
                const std::size_t e = readRef(f, j + 2, ref);
                if (e != std::string_view::npos) {
                    emitRef(out, ref, edit);
                    i = e;
                    continue;
                }
            }
            const std::size_t stop = closed ? j + 1 : f.size();
            out.append(f.substr(i, stop - i));
            i = stop;
            continue;
        }
        if (c >= '0' && c <= '9') {
            FormulaRef rows;
            if (const std::size_t e = readWholeLines(f, i, rows); e != std::string_view::npos) {
                emitRef(out, rows, edit);
                i = e;
                continue;
            }
            // A number literal, exponent included ("1E+5" is no reference).
            std::size_t j = i;
            while (j < f.size() && ((f[j] >= '0' && f[j] <= '9') || f[j] == '.'))
                ++j;
            if (j < f.size() && (f[j] == 'e' || f[j] == 'E')) {
                std::size_t k = j + 1;
                if (k < f.size() && (f[k] == '+' || f[k] == '-'))
                    ++k;
                if (k < f.size() && f[k] >= '0' && f[k] <= '9') {
                    while (k < f.size() && f[k] >= '0' && f[k] <= '9')
                        ++k;
                    j = k;
                }
            }
            for (std::size_t k = i; k < j; ++k)
                out += upper(f[k]);
            i = j;
            continue;
        }
        if (isWordChar(c)) {
            const std::size_t e = wordEnd(f, i);
            const std::string_view word = f.substr(i, e - i);
            if (e < f.size() && f[e] == '!') {
                FormulaRef ref;
                ref.sheet = std::string(word);
                const std::size_t e2 = readRef(f, e + 1, ref);
                if (e2 != std::string_view::npos) {
                    emitRef(out, ref, edit);
                    i = e2;
                    continue;
                }
            }
            FormulaRef ref;
            const std::size_t e2 = readRef(f, i, ref);
            if (e2 != std::string_view::npos) {
                emitRef(out, ref, edit);
                i = e2;
                continue;
            }
            std::size_t k = e;
            while (k < f.size() && f[k] == ' ')
                ++k;
            const bool isFunction = k < f.size() && f[k] == '(';
            const bool isConstant = word.size() <= 5 && (word == "true" || word == "false" || word == "True" ||
                                                         word == "False" || word == "TRUE" || word == "FALSE");
            const bool isSheet = e < f.size() && f[e] == '!';
            const bool nameLike = (word[0] == '_' || (upper(word[0]) >= 'A' && upper(word[0]) <= 'Z')) &&
                                  word.find('$') == std::string_view::npos;
            if (names && nameLike && !isFunction && !isConstant && !isSheet) {
                if (std::optional<std::string> to = names(word)) {
                    out += *to;
                    i = e;
                    continue;
                }
            }
            for (char w : word)
                out += (isFunction || isConstant) ? upper(w) : w;
            i = e;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

} // namespace

std::string rewriteFormulaRefs(std::string_view f, const RefEdit& edit)
{
    return rewrite(f, edit, {});
}

std::string rewriteFormulaNames(std::string_view f, const NameEdit& names)
{
    return rewrite(f, {}, names);
}

namespace {

// Passes the coordinates along the shift of every reference to the changed
// sheet that lies wholly within lines lo..hi across it through
// op(a1, a2, isRange), a2 standing for a1 in a single cell.
template <class Op>
RefEdit shiftEdit(std::function<bool(const std::string&)> sheetMatches, ShiftAlong along, std::int32_t lo,
                  std::int32_t hi, Op op)
{
    return [sheetMatches = std::move(sheetMatches), along, lo, hi, op](FormulaRef& r) {
        if (!sheetMatches(r.sheet))
            return true;
        const bool rows = along == ShiftAlong::Rows;
        if ((rows && r.wholeCols) || (!rows && r.wholeRows))
            return true;  // whole lines of cells stay whole
        const std::int32_t x1 = rows ? r.col1 : r.row1;
        const std::int32_t x2 = r.isRange ? (rows ? r.col2 : r.row2) : x1;
        if (std::min(x1, x2) < lo || std::max(x1, x2) > hi)
            return true;
        std::int32_t& a1 = rows ? r.row1 : r.col1;
        std::int32_t& a2 = rows ? r.row2 : r.col2;
        std::int32_t end = r.isRange ? a2 : a1;
        if (!op(a1, end, r.isRange, rows ? kMaxRows : kMaxCols))
            return false;
        if (r.isRange)
            a2 = end;
        return true;
    };
}

} // namespace

RefEdit insertCellsEdit(std::function<bool(const std::string&)> sheetMatches, ShiftAlong along, std::int32_t at,
                        std::int32_t count, std::int32_t lo, std::int32_t hi)
{
    return shiftEdit(std::move(sheetMatches), along, lo, hi,
                     [at, count](std::int32_t& a1, std::int32_t& a2, bool isRange, std::int32_t max) {
                         insertShift(a1, a2, at, count);
                         return clipToSheet(a1, a2, isRange, max);
                     });
}

RefEdit deleteCellsEdit(std::function<bool(const std::string&)> sheetMatches, ShiftAlong along, std::int32_t first,
                        std::int32_t count, std::int32_t lo, std::int32_t hi)
{
    return shiftEdit(std::move(sheetMatches), along, lo, hi,
                     [first, count](std::int32_t& a1, std::int32_t& a2, bool, std::int32_t) {
                         std::int32_t low = std::min(a1, a2);
                         std::int32_t high = std::max(a1, a2);
                         if (!deleteShift(low, high, first, count))
                             return false;
                         a1 = low;
                         a2 = high;
                         return true;
                     });
}

RefEdit insertRowsEdit(std::function<bool(const std::string&)> sheetMatches, std::int32_t at, std::int32_t count)
{
    return insertCellsEdit(std::move(sheetMatches), ShiftAlong::Rows, at, count, 1, kMaxCols);
}

RefEdit deleteRowsEdit(std::function<bool(const std::string&)> sheetMatches, std::int32_t first, std::int32_t count)
{
    return deleteCellsEdit(std::move(sheetMatches), ShiftAlong::Rows, first, count, 1, kMaxCols);
}

RefEdit insertColsEdit(std::function<bool(const std::string&)> sheetMatches, std::int32_t at, std::int32_t count)
{
    return insertCellsEdit(std::move(sheetMatches), ShiftAlong::Cols, at, count, 1, kMaxRows);
}

RefEdit deleteColsEdit(std::function<bool(const std::string&)> sheetMatches, std::int32_t first, std::int32_t count)
{
    return deleteCellsEdit(std::move(sheetMatches), ShiftAlong::Cols, first, count, 1, kMaxRows);
}

RefEdit offsetEdit(std::int32_t rowOffset, std::int32_t colOffset)
{
    return [=](FormulaRef& r) {
        auto moveRow = [&](std::int32_t& v, bool abs) {
            if (!abs)
                v += rowOffset;
            return v >= 1 && v <= kMaxRows;
        };
        auto moveCol = [&](std::int32_t& v, bool abs) {
            if (!abs)
                v += colOffset;
            return v >= 1 && v <= kMaxCols;
        };
        // Whole columns keep their rows, whole rows their columns.
        bool ok = (r.wholeCols || moveRow(r.row1, r.absRow1)) && (r.wholeRows || moveCol(r.col1, r.absCol1));
        if (r.isRange)
            ok = ok && (r.wholeCols || moveRow(r.row2, r.absRow2)) && (r.wholeRows || moveCol(r.col2, r.absCol2));
        return ok;
    };
}

} // namespace spreadsheet::detail
