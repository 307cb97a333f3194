#pragma once

// AxisTicks: where a logarithmic value axis puts its labelled ticks, and how
// a linear one writes its labels, without widgets, shared by the chart and
// graph controls.

#include <string_view>
#include <vector>

namespace platform {

// The decimals a label format asks for: "0.00" 2, "0." and "0" none.
[[nodiscard]] int FormatDigits(std::string_view format);

// The values a logarithmic axis from lo to hi (0 < lo < hi) labels, in
// ascending order, all inside [lo, hi]: the powers of ten within the range
// when they are at least three; else the multiples 1, 2 and 5 of the powers
// of ten when those are at least three; else the multiples 1 to 9; and for
// a range too narrow for even those, its two ends and their geometric
// middle. So an axis always shows at least two labels, also when it spans
// less than a decade. Empty when the range is not positive and increasing.
[[nodiscard]] std::vector<double> LogAxisTicks(double lo, double hi);

// Whether the drawing can show a linear axis from lo to hi: hi must lie above
// lo by more than 1e-11 x max(1, |lo|, |hi|). The chart library takes bounds
// closer than about a millionth of a millionth of 1 (or of the larger bound)
// for one value and draws another range in their place.
[[nodiscard]] bool AxisSpanIsDrawable(double lo, double hi);

// How the labels of a linear axis from lo to hi with `ticks` steps (the
// ticks at lo + k x (hi - lo) / ticks) are written, for labels asked with
// `digits` decimals (0 to 15):
// - Fixed with `digits` decimals, as asked, when no tick needs more than 10
//   characters before the decimal point and no two neighbouring ticks read
//   alike;
// - else Fixed with the fewest more decimals (up to 15, labels of at most 12
//   characters) that tells every two neighbours apart: 0 to 0.3 in 0.05
//   steps with 1 decimal would read 0.1 twice;
// - else Exponent with the fewest decimals from `digits` (at most 15) that
//   tells them apart: 1e-10 or 1e150 as such, not as 0.0000 or a number of
//   151 digits that no label can hold;
// - Indistinct when none of these tells the ticks apart, or the span cannot
//   be drawn (AxisSpanIsDrawable): such an axis is not to be drawn.
enum class AxisLabelForm { Fixed, Exponent, Indistinct };
struct AxisLabels {
    AxisLabelForm form = AxisLabelForm::Indistinct;
    int digits = 0;
};
[[nodiscard]] AxisLabels ChooseAxisLabels(double lo, double hi, int ticks, int digits);

} // namespace platform
