#pragma once

// Internal helpers of the matrix text layouts: number cells and label fields.
// Number text is locale-independent ("." as the point, "," between groups).

#include <cstddef>
#include <string>
#include <string_view>

namespace numeric::detail {

// value with exactly `decimals` digits after the point, leading zero, "-" for
// negatives; thousands grouped with "," when grouping is set.
[[nodiscard]] std::string fixedText(double value, int decimals, bool grouping);

// Number of characters (UTF-8 code points) in text.
[[nodiscard]] std::size_t charCount(std::string_view text);

// text with blanks in front up to width characters; unchanged when as long or longer.
[[nodiscard]] std::string padLeft(std::string text, std::size_t width);

// text with blanks behind up to width characters; unchanged when as long or longer.
[[nodiscard]] std::string padRight(std::string text, std::size_t width);

} // namespace numeric::detail
