#pragma once

// AxisTicks: where a logarithmic value axis puts its labelled ticks, without
// widgets, shared by the chart and graph controls.

#include <vector>

namespace platform {

// The values a logarithmic axis from lo to hi (0 < lo < hi) labels, in
// ascending order, all inside [lo, hi]: the powers of ten within the range
// when they are at least three; else the multiples 1, 2 and 5 of the powers
// of ten when those are at least three; else the multiples 1 to 9; and for
// a range too narrow for even those, its two ends and their geometric
// middle. So an axis always shows at least two labels, also when it spans
// less than a decade. Empty when the range is not positive and increasing.
[[nodiscard]] std::vector<double> LogAxisTicks(double lo, double hi);

} // namespace platform
