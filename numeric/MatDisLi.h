#pragma once

// MatDisLi: text of a matrix held as a packed lower triangle with the
// diagonal (row i's entries j = 0 .. i at index i(i + 1)/2 + j), one line per
// row: the row's name followed directly by its cells, each line ended by CR LF.
//
// Cell width W = D + 3 when the largest packed value X (over the whole
// array, starting from 0) is at most 1, else log10(X) + 3 + D rounded to the
// nearest integer, halves to even. Numbers have D decimals, a leading zero
// and "-" for negatives. When a number's text is longer than W, every cell
// is widened to the longest text plus one blank.
//
// Throws platform::Error 9 for n < 1 or when values holds fewer than
// n(n + 1)/2 entries (or names fewer than n), 5 for D < 0, 6 for a NaN or
// infinite value.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace MatDisLi {

// Row i is named by character i of alphabet (one character per row; none
// when the text is shorter).
[[nodiscard]] std::string DistMat2Text(std::string_view alphabet, std::int32_t n, std::span<const double> values,
                                       std::int32_t D);

// Row i is named names[i].
[[nodiscard]] std::string DistMat2Text(std::span<const std::string> names, std::int32_t n,
                                       std::span<const double> values, std::int32_t D);

} // namespace MatDisLi
