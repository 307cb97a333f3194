#pragma once

// Number <-> text conversions with the run-time library's semantics, always
// locale-independent: a comma-decimal system locale changes no text.
//
//   Val("12.5abc") == 12.5     leading number; nothing numeric gives 0
//   CStr(0.5)      == "0.5"    up to 15 significant digits, E notation for
//                              exponents below -4 or from 15 on ("1E-05", "1E+15")
//   Str(5)         == " 5"     Str keeps a blank for the sign of non-negative
//   Str(0.5)       == " .5"    numbers and drops the zero before the point
//   CInt(2.5) == 2, CInt(3.5) == 4   nearest integer, halves to the even one;
//                              outside the type's range: error 6 (Overflow)

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::rt {

// The numeric value at the start of the text. Blanks, tabs and line feeds are
// skipped anywhere in the number; "&H" and "&O" prefixes read hexadecimal and
// octal; an exponent may be written with E or D. A number too small for a
// double gives 0; one too large for it is error 6 (Overflow).
[[nodiscard]] double Val(std::string_view text);

// True when the whole text (blanks around it allowed) is one decimal number.
[[nodiscard]] bool IsNumeric(std::string_view text);

// The whole text as a number; error 13 (Type mismatch) when it is not one.
[[nodiscard]] double CDbl(std::string_view text);

// A number typed into a field, as the checks of every dialog read it.
// IsNumeric accepts the form of a number whatever its size, but a value
// beyond the range of a double ("1e999", "-1e400") cannot be converted: such
// text is out of range, never a number, so that a field refuses it in words
// ("too large", with the largest value the field takes) instead of failing
// in the conversion that follows.
struct FieldNumber {
    enum class Kind { NotANumber, Number, OutOfRange };
    Kind kind = Kind::NotANumber;
    // The number; +infinity or -infinity when out of range; 0 otherwise.
    double value = 0;

    [[nodiscard]] bool isNumber() const noexcept { return kind == Kind::Number; }
    [[nodiscard]] bool isOutOfRange() const noexcept { return kind == Kind::OutOfRange; }
    // Out of range upwards (beyond the largest double).
    [[nodiscard]] bool isTooLarge() const noexcept { return kind == Kind::OutOfRange && value > 0; }
};

// The whole text (blanks around it allowed) as a number: what IsNumeric
// accepts and CDbl converts, with an out-of-range value reported as such.
[[nodiscard]] FieldNumber ReadNumber(std::string_view text);
// The leading number of the text as Val reads it ("5 clusters" is 5), with
// an out-of-range value reported as such instead of error 6. Text that does
// not begin with a number ("abc", "") is NotANumber with value 0, the 0 that
// Val gives it, so that a field may take that 0 or refuse the text.
[[nodiscard]] FieldNumber ReadLeadingNumber(std::string_view text);

// The value of a hexadecimal digit (0-9, a-f, A-F); -1 for any other character.
[[nodiscard]] constexpr int HexDigitValue(char c) noexcept
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The largest number a field takes, rounded down to the 15 digits that CStr
// shows, so that its text typed back is a number again.
inline constexpr double LargestNumber = 1.79769313486231e308;
// "1.79769313486231E+308".
[[nodiscard]] std::string LargestNumberText();

[[nodiscard]] std::string CStr(double value);
[[nodiscard]] std::string CStr(std::int64_t value);
inline std::string CStr(int value) { return CStr(static_cast<std::int64_t>(value)); }

[[nodiscard]] std::string Str(double value);
[[nodiscard]] std::string Str(std::int64_t value);
inline std::string Str(int value) { return Str(static_cast<std::int64_t>(value)); }

// Nearest integer, halves to even; error 6 when outside -32768..32767 or not a number.
[[nodiscard]] std::int16_t CInt(double value);
// Nearest integer, halves to even; error 6 when outside the 32-bit range or not a number.
[[nodiscard]] std::int32_t CLng(double value);
// Rounds half to even (the rounding of CInt and CLng) without a range check.
[[nodiscard]] double RoundHalfEven(double value);

} // namespace platform::rt
