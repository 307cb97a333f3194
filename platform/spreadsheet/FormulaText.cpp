#include "platform/spreadsheet/FormulaText.h"

#include <algorithm>
#include <utility>

#include "platform/spreadsheet/CellRef.h"

namespace spreadsheet::detail {

namespace {

char upper(char c) noexcept
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
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
    std::size_t at = 0;
    for (FormulaToken& t : lexFormula(f)) {
        out.append(f.substr(at, t.begin - at));  // the spaces before it
        const std::string_view spelled = f.substr(t.begin, t.end - t.begin);
        at = t.end;
        switch (t.kind) {
        case FormulaToken::Kind::Ref:
            // A quoted sheet printed without its quotes would run into a
            // word written just before it ('S'!A1 after a name), and the
            // formula would read otherwise the next time: such a broken
            // formula keeps the reference as written.
            if (spelled.front() == '\'' && t.begin > 0 && continuesFormulaWord(f[t.begin - 1]))
                break;
            emitRef(out, t.ref, edit);
            continue;
        case FormulaToken::Kind::Number:
        case FormulaToken::Kind::Logical:
        case FormulaToken::Kind::Function:
            for (char c : spelled)
                out += upper(c);
            continue;
        case FormulaToken::Kind::Name:
            if (names)
                if (std::optional<std::string> to = names(spelled)) {
                    out += *to;
                    continue;
                }
            break;
        default:
            break;  // texts, operators and what cannot be read stay as written
        }
        out.append(spelled);
    }
    out.append(f.substr(at));
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
