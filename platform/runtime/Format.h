#pragma once

// The Format patterns of the run-time library, locale-independent (the point
// is "." and the group separator ",").
//
// Numbers: "0" digit or zero, "#" digit or nothing, "." decimal point, ","
// between integer digit placeholders groups thousands, "%" multiplies by 100,
// "E+0"/"E-0"/"e+0"/"e-0" scientific with the exponent's digit count, "\x"
// and "..." literal text, up to three sections "positive;negative;zero".
// Named formats: "General Number", "Fixed", "Standard", "Percent", "Scientific".
// Rounding is half away from zero on the number's 15-significant-digit
// decimal form, so Format(2.5, "0") is "3" and Format(0.125, "0.00") is "0.13".
//
// Dates: "d", "dd", "ddd", "dddd", "m", "mm", "mmm", "mmmm", "yy", "yyyy",
// "h", "hh", "n", "nn", "s", "ss" ("m"/"mm" right after an hour token are
// minutes), "AM/PM"; other characters are copied.
//   FormatDate({2026, 12, 8}, "dd-mmm-yyyy") == "08-Dec-2026"

#include <string>
#include <string_view>

namespace platform::rt {

[[nodiscard]] std::string Format(double value, std::string_view pattern);

struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

[[nodiscard]] std::string FormatDate(const DateTime& when, std::string_view pattern);

// 0 Sunday .. 6 Saturday.
[[nodiscard]] int DayOfWeek(const DateTime& when);

} // namespace platform::rt
