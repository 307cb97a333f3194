#include "platform/runtime/Convert.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include "platform/errors/Error.h"

namespace platform::rt {

namespace {

bool isSkippable(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

double radixValue(std::string_view text, std::size_t pos, int radix)
{
    double value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (isSkippable(c)) {
            continue;
        }
        const int digit = HexDigitValue(c);
        if (digit < 0 || digit >= radix) {
            break;
        }
        value = value * radix + digit;
    }
    return value;
}

// True when the plain decimal text `digits` ("-12.5e-3" form, as scanNumber
// builds it) is a non-zero number whose magnitude lies below the smallest
// double, that is, when it is out of range by underflow rather than overflow.
bool isUnderflow(const std::string& digits)
{
    const std::size_t ePos = digits.find('e');
    const std::string_view mantissa = std::string_view(digits).substr(0, ePos);
    // Decimal exponent of the leading significant digit of the mantissa.
    std::int64_t lead = 0;
    bool found = false;
    std::int64_t intDigits = 0;
    bool inFraction = false;
    std::int64_t fractionIndex = 0;
    for (const char c : mantissa) {
        if (c == '.') {
            inFraction = true;
            continue;
        }
        if (c < '0' || c > '9') {
            continue;
        }
        if (inFraction) {
            ++fractionIndex;
            if (!found && c != '0') {
                lead = -fractionIndex;
                found = true;
            }
        } else if (found || c != '0') {
            if (!found) {
                found = true;
            }
            ++intDigits;
        }
    }
    if (!found) {
        return false;
    }
    if (intDigits > 0) {
        lead = intDigits - 1;
    }
    // The exponent, saturated far beyond any double's range.
    std::int64_t exponent = 0;
    bool negative = false;
    if (ePos != std::string::npos) {
        for (std::size_t i = ePos + 1; i < digits.size(); ++i) {
            if (digits[i] == '-') {
                negative = true;
            } else if (digits[i] >= '0' && digits[i] <= '9' && exponent < 1'000'000'000) {
                exponent = exponent * 10 + (digits[i] - '0');
            }
        }
    }
    return lead + (negative ? -exponent : exponent) < 0;
}

// Too small a magnitude gives 0; too large a one an infinity of its sign.
double parseDecimal(const std::string& digits)
{
    double value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (isUnderflow(digits)) {
            return 0;
        }
        return digits.front() == '-' ? -std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::infinity();
    }
    return value;
}

// Collects the leading number of `text` into plain decimal form; returns the
// count of characters consumed (blanks inside included).
std::size_t scanNumber(std::string_view text, std::string& out)
{
    std::size_t pos = 0;
    auto skip = [&] {
        while (pos < text.size() && isSkippable(text[pos])) {
            ++pos;
        }
    };
    skip();
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (text[pos] == '-') {
            out.push_back('-');
        }
        ++pos;
    }
    bool digits = false;
    auto readDigits = [&] {
        for (;;) {
            skip();
            if (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
                out.push_back(text[pos++]);
                digits = true;
            } else {
                break;
            }
        }
    };
    readDigits();
    skip();
    if (pos < text.size() && text[pos] == '.') {
        out.push_back('.');
        ++pos;
        readDigits();
    }
    if (!digits) {
        out.clear();
        return 0;
    }
    const std::size_t beforeExponent = pos;
    const std::size_t outBefore = out.size();
    skip();
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E' || text[pos] == 'd' || text[pos] == 'D')) {
        ++pos;
        std::string exponent = "e";
        skip();
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            exponent.push_back(text[pos++]);
        }
        bool expDigits = false;
        for (;;) {
            skip();
            if (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
                exponent.push_back(text[pos++]);
                expDigits = true;
            } else {
                break;
            }
        }
        if (expDigits) {
            out += exponent;
            return pos;
        }
    }
    out.resize(outBefore);
    return beforeExponent;
}

std::string generalText(double value)
{
    if (value == 0) {
        return "0";
    }
    std::array<char, 64> buf{};
    const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::general, 15);
    std::string text(buf.data(), result.ptr);
    for (char& c : text) {
        if (c == 'e') {
            c = 'E';
        }
    }
    return text;
}

// Val's reading, with a value beyond the range of a double given as an
// infinity of its sign; `found` tells whether the text begins with a number
// at all (Val reads text without one as 0).
double leadingValue(std::string_view text, bool* found = nullptr)
{
    std::size_t pos = 0;
    while (pos < text.size() && isSkippable(text[pos])) {
        ++pos;
    }
    if (pos + 1 < text.size() && text[pos] == '&') {
        const char kind = text[pos + 1];
        const int radix = kind == 'h' || kind == 'H' ? 16 : kind == 'o' || kind == 'O' ? 8 : 0;
        if (radix != 0) {
            if (found != nullptr) {
                std::size_t first = pos + 2;
                while (first < text.size() && isSkippable(text[first])) {
                    ++first;
                }
                *found = first < text.size() && HexDigitValue(text[first]) >= 0 && HexDigitValue(text[first]) < radix;
            }
            return radixValue(text, pos + 2, radix);
        }
    }
    std::string digits;
    scanNumber(text, digits);
    if (found != nullptr) {
        *found = !digits.empty();
    }
    if (digits.empty()) {
        return 0;
    }
    return parseDecimal(digits);
}

} // namespace

double Val(std::string_view text)
{
    const double value = leadingValue(text);
    if (!std::isfinite(value)) {
        throw Error::runtime(err::Overflow, "Val");
    }
    return value;
}

bool IsNumeric(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) {
        ++start;
    }
    std::size_t end = text.size();
    while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
        --end;
    }
    const std::string_view core = text.substr(start, end - start);
    if (core.empty()) {
        return false;
    }
    std::string digits;
    const std::size_t used = scanNumber(core, digits);
    return !digits.empty() && used == core.size();
}

double CDbl(std::string_view text)
{
    if (!IsNumeric(text)) {
        throw Error::runtime(err::TypeMismatch);
    }
    return Val(text);
}

FieldNumber ReadNumber(std::string_view text)
{
    if (!IsNumeric(text)) {
        return {};
    }
    return ReadLeadingNumber(text);
}

FieldNumber ReadLeadingNumber(std::string_view text)
{
    bool found = false;
    const double value = leadingValue(text, &found);
    if (!found) {
        return {};
    }
    return {std::isfinite(value) ? FieldNumber::Kind::Number : FieldNumber::Kind::OutOfRange, value};
}

std::string LargestNumberText()
{
    return CStr(LargestNumber);
}

std::string CStr(double value)
{
    return generalText(value);
}

std::string CStr(std::int64_t value)
{
    return std::to_string(value);
}

std::string Str(double value)
{
    std::string text = generalText(value);
    const bool negative = !text.empty() && text.front() == '-';
    std::string body = negative ? text.substr(1) : text;
    if (body.size() > 1 && body[0] == '0' && body[1] == '.') {
        body.erase(0, 1);
    }
    return (negative ? "-" : " ") + body;
}

std::string Str(std::int64_t value)
{
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

double RoundHalfEven(double value)
{
    if (!std::isfinite(value)) {
        return value;
    }
    const double low = std::floor(value);
    const double diff = value - low;
    if (diff > 0.5) {
        return low + 1;
    }
    if (diff < 0.5) {
        return low;
    }
    return std::fmod(low, 2.0) == 0 ? low : low + 1;
}

std::int16_t CInt(double value)
{
    const double r = RoundHalfEven(value);
    if (!(r >= -32768.0 && r <= 32767.0)) {
        throw Error::runtime(err::Overflow);
    }
    return static_cast<std::int16_t>(r);
}

std::int32_t CLng(double value)
{
    const double r = RoundHalfEven(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) {
        throw Error::runtime(err::Overflow);
    }
    return static_cast<std::int32_t>(r);
}

} // namespace platform::rt
