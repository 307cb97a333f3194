#pragma once

// AxisTicks: where a logarithmic value axis puts its labelled ticks, and how
// a linear one writes its labels, without widgets, shared by the chart and
// graph controls.

#include <string>
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

// Tick k (0 to `ticks`) of a linear axis from lo to hi cut into `ticks`
// equal steps, worked out from the nearer end: each end tick is its bound
// exactly, also where the bounds differ greatly in size (lo + span would
// read 0 for the end tick of -1e307..5, the 5 being lost in the span), and a
// tick within rounding of 0 is 0.
[[nodiscard]] double LinearAxisTick(double lo, double hi, int ticks, int k);

// `value` in a label format: "0" whole numbers, "0." followed by d zeros
// for d decimals ("0." itself: whole numbers followed by a point). Halves go
// away from zero; no "-0"; always a point, whatever the locale; "NaN",
// "Inf" and "-Inf" for those.
[[nodiscard]] std::string FormatLabel(double value, std::string_view format);

// The labels of a linear axis from lo to hi with `ticks` steps (the ticks
// at LinearAxisTick), for labels asked in `format` ("0", "0.", "0.00"; up to
// 15 decimals):
// - Fixed: in `format`, as asked, when no label needs more than 10
//   characters before the decimal point and not every tick reads the same:
//   0 decimals on 0..1 read 0. 0. 0. 1. 1. 1. 1.;
// - else Fixed with the fewest more decimals (up to 15, labels of at most 12
//   characters) that tells every two neighbours apart;
// - else Exponent with the fewest decimals from the format's (at most 15)
//   that tells them apart: 1e-10 or 1e150 as such, not as 0.0000 at every
//   tick or a number of 151 digits that no label can hold;
// - Indistinct when none of these tells the ticks apart, or the span cannot
//   be drawn (AxisSpanIsDrawable): such an axis is not to be drawn. Its
//   texts are then those of `format`.
// `ticks` below 1 counts as 1. The ticks and their texts run from lo up.
enum class AxisLabelForm { Fixed, Exponent, Indistinct };
struct AxisLabels {
    AxisLabelForm form = AxisLabelForm::Indistinct;
    int digits = 0;
    std::vector<double> ticks;
    std::vector<std::string> texts;
};
[[nodiscard]] AxisLabels ChooseAxisLabels(double lo, double hi, int ticks, std::string_view format);

} // namespace platform
