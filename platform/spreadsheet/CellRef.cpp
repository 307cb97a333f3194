#include "platform/spreadsheet/CellRef.h"

#include <algorithm>

#include "platform/errors/Error.h"

namespace spreadsheet {

std::string columnLetters(std::int32_t col)
{
    if (col < 1 || col > kMaxCols)
        throw platform::Error::runtime(platform::err::Subscript, "columnLetters");
    std::string s;
    if (col > 26)
        s += static_cast<char>('A' + (col - 1) / 26 - 1);
    s += static_cast<char>('A' + (col - 1) % 26);
    return s;
}

std::string cellRefText(std::int32_t row, std::int32_t col, bool absolute)
{
    if (row < 1 || row > kMaxRows)
        throw platform::Error::runtime(platform::err::Subscript, "cellRefText");
    std::string s;
    if (absolute)
        s += '$';
    s += columnLetters(col);
    if (absolute)
        s += '$';
    s += std::to_string(row);
    return s;
}

std::string rangeRefText(const RangeRef& range, bool absolute)
{
    std::string s = cellRefText(range.firstRow, range.firstCol, absolute);
    if (range.firstRow != range.lastRow || range.firstCol != range.lastCol)
        s += ':' + cellRefText(range.lastRow, range.lastCol, absolute);
    return s;
}

bool readCellShape(std::string_view text, std::int64_t& row, std::int64_t& col) noexcept
{
    // Far past any sheet, and small enough that one more step cannot overflow.
    constexpr std::int64_t cap = std::int64_t{1} << 40;
    std::size_t i = 0;
    if (i < text.size() && text[i] == '$')
        ++i;
    std::int64_t c = 0;
    std::size_t letters = 0;
    for (; i < text.size(); ++i, ++letters) {
        char ch = text[i];
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
        if (ch < 'A' || ch > 'Z')
            break;
        c = std::min(cap, c * 26 + (ch - 'A' + 1));
    }
    if (letters == 0)
        return false;
    if (i < text.size() && text[i] == '$')
        ++i;
    std::int64_t r = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
        r = std::min(cap, r * 10 + (text[i] - '0'));
    if (digits == 0 || i != text.size())
        return false;
    row = r;
    col = c;
    return true;
}

bool parseCellRef(std::string_view text, std::int32_t& row, std::int32_t& col) noexcept
{
    std::int64_t r = 0;
    std::int64_t c = 0;
    if (!readCellShape(text, r, c) || r < 1 || r > kMaxRows || c > kMaxCols)
        return false;
    row = static_cast<std::int32_t>(r);
    col = static_cast<std::int32_t>(c);
    return true;
}

bool parseRangeRef(std::string_view text, RangeRef& out) noexcept
{
    const std::size_t colon = text.find(':');
    std::int32_t r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    if (colon == std::string_view::npos) {
        if (!parseCellRef(text, r1, c1))
            return false;
        out = RangeRef{r1, c1, r1, c1};
        return true;
    }
    if (!parseCellRef(text.substr(0, colon), r1, c1) || !parseCellRef(text.substr(colon + 1), r2, c2))
        return false;
    out = RangeRef{std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
    return true;
}

} // namespace spreadsheet
