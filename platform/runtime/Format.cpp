#include "platform/runtime/Format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace platform::rt {

namespace {

// A number as decimal digits and a decimal exponent: value = 0.d1d2d3... x 10^exponent.
struct Decimal {
    std::string digits;  // no leading zeros; empty for zero
    int exponent = 0;
};

// The decimal form of |value| times 10^shift; the shift moves the exponent
// only, so scaling (percent) can neither round nor overflow.
Decimal toDecimal(double value, int shift = 0)
{
    Decimal d;
    value = std::fabs(value);
    if (value == 0 || !std::isfinite(value)) {
        return d;
    }
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::scientific, 14);
    const std::string text(buf.data(), res.ptr);  // d.dddddddddddddde+XX
    const auto e = text.find('e');
    if (e == std::string::npos) {
        return d;
    }
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] != '.') {
            d.digits.push_back(text[i]);
        }
    }
    d.exponent = std::atoi(text.c_str() + e + 1) + 1 + shift;
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    return d;
}

// Rounds to `decimals` digits after the point, half away from zero; returns
// the integer part's digits and the fraction's digits.
void roundFixed(const Decimal& d, int decimals, std::string& intPart, std::string& fracPart)
{
    // Digits of the number at positions ..., 10^1, 10^0 | 10^-1, ... 10^-decimals.
    std::string all;
    const int intDigits = std::max(d.exponent, 0);
    for (int i = 0; i < intDigits; ++i) {
        all.push_back(i < static_cast<int>(d.digits.size()) ? d.digits[i] : '0');
    }
    const int lead = d.exponent < 0 ? -d.exponent : 0;
    for (int k = 0; k < decimals + 1; ++k) {
        // k-th fractional digit (0-based); index into digits is intDigits + k - lead when exponent < 0.
        int idx = d.exponent >= 0 ? d.exponent + k : k - lead;
        char c = '0';
        if (idx >= 0 && idx < static_cast<int>(d.digits.size())) {
            c = d.digits[idx];
        }
        all.push_back(c);
    }
    const char next = all.back();
    all.pop_back();
    if (next >= '5') {
        int i = static_cast<int>(all.size()) - 1;
        for (; i >= 0; --i) {
            if (all[i] == '9') {
                all[i] = '0';
            } else {
                ++all[i];
                break;
            }
        }
        if (i < 0) {
            all.insert(all.begin(), '1');
        }
    }
    const std::size_t split = all.size() - static_cast<std::size_t>(decimals);
    intPart = all.substr(0, split);
    fracPart = all.substr(split);
    std::size_t nz = 0;
    while (nz + 1 < intPart.size() && intPart[nz] == '0') {
        ++nz;
    }
    intPart.erase(0, nz);
    if (intPart == "0") {
        intPart.clear();
    }
}

struct Section {
    std::vector<std::string> prefix;  // literal pieces before the first digit placeholder
    std::string before;               // literal text before the number
    std::string after;                // literal text after the number
    int intZeros = 0;                 // '0' placeholders before the point
    int intHashes = 0;
    int fracZeros = 0;                // '0' placeholders after the point (required digits)
    int fracTotal = 0;                // all placeholders after the point
    bool point = false;
    bool grouping = false;
    bool percent = false;
    bool scientific = false;
    char expChar = 'E';
    bool expPlus = false;
    int expDigits = 0;
    bool hasDigits = false;
};

Section parseSection(std::string_view p)
{
    Section s;
    bool inNumber = false;
    bool afterNumber = false;
    auto literal = [&](char c) {
        if (afterNumber || (inNumber && s.scientific)) {
            s.after.push_back(c);
        } else if (inNumber) {
            s.after.push_back(c);
            afterNumber = true;
        } else {
            s.before.push_back(c);
        }
    };
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (c == '"') {
            const auto end = p.find('"', i + 1);
            const auto text = p.substr(i + 1, (end == std::string_view::npos ? p.size() : end) - i - 1);
            for (char t : text) {
                literal(t);
            }
            i = end == std::string_view::npos ? p.size() : end;
            continue;
        }
        if (c == '\\' && i + 1 < p.size()) {
            literal(p[++i]);
            continue;
        }
        if (!afterNumber && !s.scientific && (c == '0' || c == '#')) {
            inNumber = true;
            s.hasDigits = true;
            if (s.point) {
                ++s.fracTotal;
                if (c == '0') {
                    s.fracZeros = s.fracTotal;
                }
            } else if (c == '0') {
                ++s.intZeros;
            } else {
                ++s.intHashes;
            }
            continue;
        }
        if (!afterNumber && !s.scientific && c == '.') {
            inNumber = true;
            s.point = true;
            continue;
        }
        if (!afterNumber && !s.scientific && c == ',' && inNumber && !s.point) {
            s.grouping = true;
            continue;
        }
        if (c == '%') {
            s.percent = true;
            literal(c);
            continue;
        }
        if (inNumber && !afterNumber && !s.scientific && (c == 'E' || c == 'e') && i + 1 < p.size() &&
            (p[i + 1] == '+' || p[i + 1] == '-')) {
            s.scientific = true;
            s.expChar = c;
            s.expPlus = p[i + 1] == '+';
            i += 2;
            while (i < p.size() && (p[i] == '0' || p[i] == '#')) {
                if (p[i] == '0') {
                    ++s.expDigits;
                }
                ++i;
            }
            --i;
            continue;
        }
        literal(c);
    }
    return s;
}

std::string group(const std::string& digits)
{
    std::string out;
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        out.push_back(digits[i]);
        const int left = n - 1 - i;
        if (left > 0 && left % 3 == 0) {
            out.push_back(',');
        }
    }
    return out;
}

std::string formatMagnitude(double magnitude, const Section& s)
{
    if (!s.hasDigits) {
        return s.before + s.after;
    }
    const int shift = s.percent ? 2 : 0;
    std::string intPart;
    std::string fracPart;
    std::string exponentText;
    if (s.scientific) {
        Decimal d = toDecimal(magnitude, shift);
        const int intPlaces = std::max(1, s.intZeros + s.intHashes);
        int exponent = 0;
        if (!d.digits.empty()) {
            exponent = d.exponent - intPlaces;
            d.exponent = intPlaces;
        }
        roundFixed(d, s.fracTotal, intPart, fracPart);
        if (static_cast<int>(intPart.size()) > intPlaces) {
            // rounding carried into a new digit: renormalise
            Decimal again = toDecimal(magnitude, shift);
            exponent = again.exponent - intPlaces + 1;
            again.exponent = intPlaces - 1;
            roundFixed(again, s.fracTotal, intPart, fracPart);
        }
        const int absExp = std::abs(exponent);
        std::string expDigits = std::to_string(absExp);
        while (static_cast<int>(expDigits.size()) < s.expDigits) {
            expDigits.insert(expDigits.begin(), '0');
        }
        exponentText.push_back(s.expChar);
        if (exponent < 0) {
            exponentText.push_back('-');
        } else if (s.expPlus) {
            exponentText.push_back('+');
        }
        exponentText += expDigits;
    } else {
        roundFixed(toDecimal(magnitude, shift), s.fracTotal, intPart, fracPart);
    }
    while (static_cast<int>(intPart.size()) < s.intZeros) {
        intPart.insert(intPart.begin(), '0');
    }
    while (static_cast<int>(fracPart.size()) > s.fracZeros && !fracPart.empty() && fracPart.back() == '0') {
        fracPart.pop_back();
    }
    std::string number = s.grouping ? group(intPart) : intPart;
    if (s.point) {
        number.push_back('.');
        number += fracPart;
    }
    return s.before + number + exponentText + s.after;
}

bool roundsToZero(double magnitude, const Section& s)
{
    if (magnitude == 0) {
        return true;
    }
    if (s.scientific) {
        return false;
    }
    std::string intPart;
    std::string fracPart;
    roundFixed(toDecimal(magnitude, s.percent ? 2 : 0), s.fracTotal, intPart, fracPart);
    return intPart.empty() && fracPart.find_first_not_of('0') == std::string::npos;
}

std::string namedPattern(std::string_view pattern)
{
    if (pattern == "Fixed") {
        return "0.00";
    }
    if (pattern == "Standard") {
        return "#,##0.00";
    }
    if (pattern == "Percent") {
        return "0.00%";
    }
    if (pattern == "Scientific") {
        return "0.00E+00";
    }
    return std::string(pattern);
}

} // namespace

std::string Format(double value, std::string_view pattern)
{
    if (!std::isfinite(value)) {
        throw Error::runtime(err::Overflow, "Format");
    }
    if (pattern.empty() || pattern == "General Number") {
        return CStr(value);
    }
    const std::string named = namedPattern(pattern);
    std::vector<std::string_view> sections;
    std::string_view rest = named;
    for (;;) {
        const auto semi = rest.find(';');
        sections.push_back(rest.substr(0, semi));
        if (semi == std::string_view::npos || sections.size() == 3) {
            break;
        }
        rest.remove_prefix(semi + 1);
    }
    const Section positive = parseSection(sections[0]);
    const double magnitude = std::fabs(value);
    if (sections.size() >= 3 && !sections[2].empty() && roundsToZero(magnitude, positive)) {
        return formatMagnitude(0, parseSection(sections[2]));
    }
    if (value < 0) {
        if (sections.size() >= 2 && !sections[1].empty()) {
            return formatMagnitude(magnitude, parseSection(sections[1]));
        }
        if (roundsToZero(magnitude, positive)) {
            return formatMagnitude(0, positive);
        }
        return "-" + formatMagnitude(magnitude, positive);
    }
    return formatMagnitude(magnitude, positive);
}

namespace {

constexpr std::array<std::string_view, 12> kMonths{"January", "February", "March",     "April",   "May",      "June",
                                                   "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                "Thursday", "Friday", "Saturday"};

std::string twoDigits(int v)
{
    std::string t = std::to_string(v);
    return t.size() < 2 ? "0" + t : t;
}

} // namespace

namespace {

void checkMonth(const DateTime& when)
{
    if (when.month < 1 || when.month > 12) {
        throw Error::runtime(err::InvalidCall, "Format");
    }
}

} // namespace

int DayOfWeek(const DateTime& when)
{
    checkMonth(when);
    // Sakamoto's method.
    static constexpr std::array<int, 12> t{0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    long long y = when.year;
    if (when.month < 3) {
        y -= 1;
    }
    // Years before 1 and odd day numbers still give a day from 0 to 6.
    const long long sum = y + y / 4 - y / 100 + y / 400 + t[when.month - 1] + when.day;
    return static_cast<int>((sum % 7 + 7) % 7);
}

std::string FormatDate(const DateTime& when, std::string_view pattern)
{
    checkMonth(when);
    std::string out;
    bool afterHour = false;
    std::size_t i = 0;
    auto run = [&](char c) {
        std::size_t n = 0;
        while (i + n < pattern.size() && (pattern[i + n] == c || pattern[i + n] == c - 'a' + 'A')) {
            ++n;
        }
        return n;
    };
    while (i < pattern.size()) {
        const char c = pattern[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (pattern.substr(i, 5) == "AM/PM" || pattern.substr(i, 5) == "am/pm") {
            const bool upper = pattern[i] == 'A';
            out += when.hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
            i += 5;
            continue;
        }
        if (lower == 'd' || lower == 'm' || lower == 'y' || lower == 'h' || lower == 'n' || lower == 's') {
            const std::size_t n = run(lower);
            switch (lower) {
            case 'd':
                if (n == 1) {
                    out += std::to_string(when.day);
                } else if (n == 2) {
                    out += twoDigits(when.day);
                } else if (n == 3) {
                    out += kDays[DayOfWeek(when)].substr(0, 3);
                } else {
                    out += kDays[DayOfWeek(when)];
                }
                break;
            case 'm':
                if (afterHour && n <= 2) {
                    out += n == 1 ? std::to_string(when.minute) : twoDigits(when.minute);
                } else if (n == 1) {
                    out += std::to_string(when.month);
                } else if (n == 2) {
                    out += twoDigits(when.month);
                } else if (n == 3) {
                    out += kMonths[when.month - 1].substr(0, 3);
                } else {
                    out += kMonths[when.month - 1];
                }
                break;
            case 'y':
                out += n <= 2 ? twoDigits(when.year % 100) : std::to_string(when.year);
                break;
            case 'h':
                out += n == 1 ? std::to_string(when.hour) : twoDigits(when.hour);
                break;
            case 'n':
                out += n == 1 ? std::to_string(when.minute) : twoDigits(when.minute);
                break;
            case 's':
                out += n == 1 ? std::to_string(when.second) : twoDigits(when.second);
                break;
            default:
                break;
            }
            afterHour = lower == 'h';
            i += n;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

} // namespace platform::rt
