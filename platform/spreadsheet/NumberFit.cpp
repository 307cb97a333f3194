#include "platform/spreadsheet/NumberFit.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "platform/spreadsheet/Value.h"

namespace spreadsheet {

namespace {

constexpr int kMaxDigits = 15;
constexpr double kLargestFixed = 1E+15;
constexpr int kLongestFill = 1024;

// Drops trailing zeros after a decimal point, and the point when nothing is
// left after it, from the mantissa [0, end).
void trimZeros(std::string& s, std::size_t end)
{
    const std::size_t point = s.find('.');
    if (point == std::string::npos || point >= end) {
        return;
    }
    std::size_t last = end;
    while (last > point + 1 && s[last - 1] == '0') {
        --last;
    }
    if (last == point + 1) {
        --last;
    }
    s.erase(last, end - last);
}

// Significant digits of a number text: digits from the first non-zero one,
// up to an exponent.
int significantDigits(const std::string& s)
{
    int count = 0;
    bool started = false;
    for (const char c : s) {
        if (c == 'E' || c == 'e') {
            break;
        }
        if (c >= '1' && c <= '9') {
            started = true;
        }
        if (started && c >= '0' && c <= '9') {
            ++count;
        }
    }
    return count;
}

bool hasNonZeroDigit(const std::string& s)
{
    return s.find_first_of("123456789") != std::string::npos;
}

// v with `decimals` decimals, untrimmed; empty when it does not fit the
// buffer.
std::string fixedText(double v, int decimals)
{
    std::array<char, 400> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, decimals);
    if (res.ec != std::errc{}) {
        return {};
    }
    return std::string(buf.data(), res.ptr);
}

std::string scientificText(double v, int decimals)
{
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::scientific, decimals);
    std::string s(buf.data(), res.ptr);
    const std::size_t e = s.find('e');
    trimZeros(s, e);
    s[s.find('e')] = 'E';
    return s;
}

struct Candidate {
    std::string text;
    int digits = -1;
};

} // namespace

std::string hashFill(int available, const TextWidth& width)
{
    std::string fill;
    while (static_cast<int>(fill.size()) < kLongestFill && width(fill + '#') <= available) {
        fill += '#';
    }
    if (fill.empty() && available > 0) {
        fill.push_back('#');
    }
    return fill;
}

std::string fitNumberText(double v, int available, const TextWidth& width)
{
    const std::string full = Value(v).displayText();
    if (!std::isfinite(v) || width(full) <= available) {
        return full;
    }

    Candidate fixed;
    if (v != 0 && std::fabs(v) < kLargestFixed) {
        // Start with the decimals that show kMaxDigits significant digits.
        const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
        // Rounding stops at the leading digit: -0.00061 is never shown as
        // -0.001.
        const int fewest = std::max(0, -exponent);
        for (int decimals = std::max(0, kMaxDigits - exponent); decimals >= fewest; --decimals) {
            std::string text = fixedText(v, decimals);
            if (significantDigits(text) > kMaxDigits) {
                continue;
            }
            trimZeros(text, text.size());
            if (!hasNonZeroDigit(text)) {
                break;
            }
            if (width(text) <= available) {
                fixed = {text, significantDigits(text)};
                break;
            }
        }
    }

    Candidate scientific;
    for (int decimals = kMaxDigits - 1; decimals >= 0; --decimals) {
        std::string text = scientificText(v, decimals);
        if (width(text) <= available) {
            scientific = {text, significantDigits(text)};
            break;
        }
    }

    if (fixed.digits >= 0 && fixed.digits >= scientific.digits) {
        return fixed.text;
    }
    if (scientific.digits >= 0) {
        return scientific.text;
    }
    return hashFill(available, width);
}

} // namespace spreadsheet
