#pragma once

// The text of a number in a cell of limited width. A cell never shows a
// wrong number: when the full text does not fit, the value is shown rounded
// to fewer digits, and when no rounding of it fits, the cell is filled with
// '#' so that the reader knows to widen the column.
//
// Width is measured by the caller's function (pixels of a font in the grid,
// characters in tests), so the rule itself holds no font and no widget.

#include <functional>
#include <string>
#include <string_view>

namespace spreadsheet {

// Width of a text in the caller's unit.
using TextWidth = std::function<int(std::string_view)>;

// The General-format text of v that fits in `available`:
//   1. the full text (up to 15 significant digits, Value::displayText) when it
//      fits;
//   2. otherwise the widest of these that fits, the one with more
//      significant digits winning, the fixed one on a tie:
//        fixed: v rounded to fewer decimals (trailing zeros dropped), only
//               while |v| < 1E+15 and no further than its leading digit
//               (0.00061 may become 0.0006, never 0.001 or 0);
//        scientific: "d.dddE+nn" with fewer mantissa digits, down to "dE+nn";
//   3. otherwise the fill of hashFill.
// A text that is not a finite number is given back as Value shows it.
[[nodiscard]] std::string fitNumberText(double v, int available, const TextWidth& width);

// The fill for a value that cannot be shown in `available`: '#' as often as
// it fits, and one '#' (cut off by the cell) where not even one fits, so
// that a number never leaves its cell looking empty; none only where there
// is no room at all. Reusable by any number format whose text does not fit.
[[nodiscard]] std::string hashFill(int available, const TextWidth& width);

} // namespace spreadsheet
