#pragma once

// Cell and range references of a worksheet: the sheet's size, column letters
// ("A" to "IV") and the reference texts "B3", "$B$3" and "A1:C9".
// Rows and columns count from 1.

#include <cstdint>
#include <string>
#include <string_view>

namespace spreadsheet {

inline constexpr std::int32_t kMaxRows = 16384;
inline constexpr std::int32_t kMaxCols = 256;

// A rectangle of one sheet; rows() and cols() count its cells.
struct RangeRef {
    std::int32_t firstRow = 1;
    std::int32_t firstCol = 1;
    std::int32_t lastRow = 1;
    std::int32_t lastCol = 1;

    [[nodiscard]] std::int32_t rows() const noexcept { return lastRow - firstRow + 1; }
    [[nodiscard]] std::int32_t cols() const noexcept { return lastCol - firstCol + 1; }
    [[nodiscard]] bool contains(std::int32_t row, std::int32_t col) const noexcept
    {
        return row >= firstRow && row <= lastRow && col >= firstCol && col <= lastCol;
    }
    bool operator==(const RangeRef&) const = default;
};

// "A" for 1, "Z" for 26, "AA" for 27, "IV" for 256. Raises error 9 outside 1..256.
[[nodiscard]] std::string columnLetters(std::int32_t col);
// "B3" or, absolute, "$B$3". Raises error 9 outside the sheet.
[[nodiscard]] std::string cellRefText(std::int32_t row, std::int32_t col, bool absolute = false);
// "A1:C9" (or "A1" for one cell); absolute gives "$A$1:$C$9".
[[nodiscard]] std::string rangeRefText(const RangeRef& range, bool absolute = false);

// The row and column that a cell-shaped text names ("B3", "$u$20000",
// "ZZZ0"): letters, then digits, each with an optional "$" before them,
// whether or not the sheet has that cell. Values far past the sheet stop
// growing at 2^40. False for text of any other shape.
[[nodiscard]] bool readCellShape(std::string_view text, std::int64_t& row, std::int64_t& col) noexcept;

// Reads "B3", "$b$3", "A1:C9" (the two corners in any order). False when the
// text is not a reference inside the sheet.
[[nodiscard]] bool parseCellRef(std::string_view text, std::int32_t& row, std::int32_t& col) noexcept;
[[nodiscard]] bool parseRangeRef(std::string_view text, RangeRef& out) noexcept;

} // namespace spreadsheet
