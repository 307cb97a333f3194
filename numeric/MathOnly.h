#pragma once

// MathOnly: logarithms to bases 10 and 2.

namespace MathOnly {

// log10(x). Throws 5 ("Log10") for x <= 0 and NaN.
[[nodiscard]] double Log10(double x);

// log2(x). Throws 5 ("Log2") for x <= 0 and NaN.
[[nodiscard]] double Log2(double x);

} // namespace MathOnly
