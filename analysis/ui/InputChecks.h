#pragma once

// The checks that the analysis runs share on what the user typed and on the
// block it names: the input range, the value cells, the missing-value code.
// Each gives "" when the input can be used, else the refusal to show; none
// computes anything.

#include <cstdint>
#include <string>
#include <string_view>

namespace spreadsheet {
struct RangeRef;
class ValueTable;
}

namespace analysis {

// The range text as a block of at least 3 rows and 3 columns (labels
// included), stored in `range`. A reference past the sheet's last row or
// column is refused with the sheet's size, any other text as not such a block.
[[nodiscard]] std::string InputRangeRefusal(std::string_view rangeText, spreadsheet::RangeRef& range);

// What a refusal of a text cell tells the user to put there: a number, or
// also the missing-value code where the dialog has "Has missing value".
enum class TextCellAdvice { Number, NumberOrMissingCode };

// The first value cell of `table` (read from `range`; from table row r0 and
// column c0 on) that holds something other than a number or nothing, named
// by its sheet cell. Rows that the reading drops (their first two value cells
// empty) are skipped when skipDropped is set.
[[nodiscard]] std::string TextCellRefusal(const spreadsheet::RangeRef& range, const spreadsheet::ValueTable& table,
                                          std::int32_t r0, std::int32_t c0, bool skipDropped, TextCellAdvice advice);

// The missing-value code box's text: refused when it is not a number or its
// value lies beyond the range of a double.
[[nodiscard]] std::string MissingCodeRefusal(std::string_view text);

} // namespace analysis
