#pragma once

// Checked floating point for the numeric routines.
//
// C++ arithmetic does not stop on 0/0, x/0 or the root or logarithm of a bad
// value; it yields NaN or infinity and carries on. These helpers raise the
// numbered error instead, so that no NaN or infinity leaves a routine:
//   0/0 and any quotient that is not finite       -> 6  (Overflow)
//   x/0 with x != 0                               -> 11 (Division by zero)
//   square root of a negative number, logarithm
//   of a number <= 0 (or of NaN)                  -> 5  (Invalid procedure call)
// The error's source is the routine passed in; its description is the
// run-time library's standard text for the number.

#include <cstdint>
#include <string_view>

namespace numeric {

// Raises platform::Error(number, source, standard description).
[[noreturn]] void raiseRuntime(std::int32_t number, std::string_view source);

// Raises platform::Error(1, source, description): a routine's own report of bad input.
[[noreturn]] void raiseReport(std::string_view source, std::string_view description);

// numerator / denominator, raising 6 or 11 as above.
[[nodiscard]] double checkedDiv(double numerator, double denominator, std::string_view source);

// sqrt(x); error 5 for x < 0 or NaN.
[[nodiscard]] double checkedSqrt(double x, std::string_view source);

// Natural logarithm; error 5 for x <= 0 or NaN.
[[nodiscard]] double checkedLog(double x, std::string_view source);

// x itself; error 6 when it is NaN or infinite.
[[nodiscard]] double checkedFinite(double x, std::string_view source);

} // namespace numeric
