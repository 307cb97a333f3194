#include "platform/spreadsheet/NumberFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "platform/runtime/AsciiCase.h"
#include "platform/spreadsheet/Value.h"

namespace spreadsheet {

namespace {

std::vector<std::string_view> sections(std::string_view code)
{
    std::vector<std::string_view> out;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '"')
            quoted = !quoted;
        else if (c == '\\' && !quoted)
            ++i;
        else if (c == ';' && !quoted) {
            out.push_back(code.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(code.substr(start));
    return out;
}

std::string asciiLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Whether a bracket's text is one repeated h, m or s.
bool isElapsedUnit(std::string_view inside)
{
    if (inside.empty())
        return false;
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    const char u = lower(inside[0]);
    if (u != 'h' && u != 'm' && u != 's')
        return false;
    return std::all_of(inside.begin(), inside.end(), [&](char c) { return lower(c) == u; });
}

// A section split into literal text and format characters.
struct Token {
    bool literal = false;
    std::string text;
};

std::vector<Token> tokens(std::string_view s)
{
    std::vector<Token> out;
    auto addLiteral = [&](std::string_view t) {
        if (!out.empty() && out.back().literal)
            out.back().text += t;
        else
            out.push_back({true, std::string(t)});
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            const std::size_t end = s.find('"', i + 1);
            const std::size_t stop = end == std::string_view::npos ? s.size() : end;
            addLiteral(s.substr(i + 1, stop - i - 1));
            i = stop;
        } else if (c == '\\' && i + 1 < s.size()) {
            addLiteral(s.substr(++i, 1));
        } else if (c == '[') {
            const std::size_t end = s.find(']', i);
            const std::size_t stop = end == std::string_view::npos ? s.size() : end;
            // [h], [mm], [ss] ...: elapsed time; any other bracket is a colour
            // or a condition, not drawn.
            const std::string_view inside = s.substr(i + 1, stop - i - 1);
            if (end != std::string_view::npos && isElapsedUnit(inside))
                out.push_back({false, "[" + asciiLower(inside) + "]"});
            i = stop;
        } else if (c == '_' && i + 1 < s.size()) {
            addLiteral(" ");
            ++i;
        } else if (c == '*' && i + 1 < s.size()) {
            ++i;  // repeat fill: not drawn
        } else if (std::string_view("0#?.,%Ee+-").find(c) != std::string_view::npos ||
                   std::string_view("yYmMdDhHsS").find(c) != std::string_view::npos) {
            out.push_back({false, std::string(1, c)});
        } else if ((c == 'A' || c == 'a') && (platform::rt::equalsNoCase(s.substr(i, 5), "AM/PM"))) {
            out.push_back({false, "AM/PM"});
            i += 4;
        } else {
            addLiteral(s.substr(i, 1));
        }
    }
    return out;
}

bool hasDateTokens(const std::vector<Token>& t)
{
    for (const Token& k : t)
        if (!k.literal && (std::string_view("yYmMdDhHsS[").find(k.text[0]) != std::string_view::npos || k.text == "AM/PM"))
            return true;
    return false;
}

// v >= 0 with exactly `decimals` decimals, rounded half away from zero on
// its shortest decimal text, as a reader of the number expects (2.5 -> 3,
// 1.005 -> 1.01), not on its binary value.
std::string fixedText(double v, int decimals)
{
    std::array<char, 400> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed);
    const std::string s(buf.data(), res.ptr);
    const std::size_t dot = s.find('.');
    std::string ip = dot == std::string::npos ? s : s.substr(0, dot);
    std::string fp = dot == std::string::npos ? std::string() : s.substr(dot + 1);
    const auto d = static_cast<std::size_t>(decimals);
    if (fp.size() <= d) {
        fp.append(d - fp.size(), '0');
    } else {
        const bool up = fp[d] >= '5';
        fp.resize(d);
        if (up) {
            std::string digits = ip + fp;
            std::size_t i = digits.size();
            while (i > 0 && digits[i - 1] == '9')
                digits[--i] = '0';
            if (i == 0)
                digits.insert(digits.begin(), '1');
            else
                ++digits[i - 1];
            ip = digits.substr(0, digits.size() - d);
            fp = digits.substr(digits.size() - d);
        }
    }
    return d > 0 ? ip + "." + fp : ip;
}

std::string groupThousands(const std::string& digits)
{
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[i];
        if ((n - 1 - i) % 3 == 0 && i + 1 < n)
            out += ',';
    }
    return out;
}

// A number section: placeholders counted, literals kept before and after.
std::string numberSection(double v, const std::vector<Token>& toks)
{
    std::string prefix;
    std::string suffix;
    int intZeros = 0;
    int intPlaces = 0;
    int decZeros = 0;
    int decPlaces = 0;
    int expZeros = 0;
    bool seenDigit = false;
    bool afterPoint = false;
    bool thousands = false;
    bool scientific = false;
    bool expPlus = false;
    int percent = 0;
    int scaleCommas = 0;
    for (std::size_t i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        const char c = t.literal ? '\0' : t.text[0];
        if (t.literal || c == '-' || c == '+') {
            (seenDigit ? suffix : prefix) += t.text;
            continue;
        }
        if (scientific) {
            if (c == '0' || c == '#' || c == '?')
                ++expZeros;
            continue;
        }
        switch (c) {
        case '0':
        case '#':
        case '?':
            seenDigit = true;
            if (afterPoint) {
                ++decPlaces;
                if (c != '#')
                    decZeros = decPlaces;
            } else {
                ++intPlaces;
                if (c != '#')
                    ++intZeros;
            }
            scaleCommas = 0;
            break;
        case '.':
            afterPoint = true;
            seenDigit = true;
            break;
        case ',':
            if (seenDigit)
                ++scaleCommas;
            break;
        case '%':
            ++percent;
            (seenDigit ? suffix : prefix) += '%';
            break;
        case 'E':
        case 'e':
            if (i + 1 < toks.size() && !toks[i + 1].literal && (toks[i + 1].text == "+" || toks[i + 1].text == "-")) {
                scientific = true;
                expPlus = toks[i + 1].text == "+";
                ++i;
            } else {
                (seenDigit ? suffix : prefix) += t.text;
            }
            break;
        default:
            break;
        }
        if (c == '0' || c == '#' || c == '?') {
            // A comma directly between placeholders asks for thousands separators.
            if (i >= 1 && !toks[i - 1].literal && toks[i - 1].text == "," && !afterPoint)
                thousands = true;
        }
    }
    // Commas after the last digit placeholder scale by thousands ("#,##0,"
    // shows 12345 as 12, "0.0," 1234.5 as 1.2); scientific notation has no
    // use for them.
    for (int k = 0; k < scaleCommas && !scientific; ++k)
        v /= 1000.0;
    for (int k = 0; k < percent; ++k)
        v *= 100.0;
    if (!seenDigit)
        return prefix + suffix;

    std::string body;
    if (scientific) {
        int exponent = 0;
        double mantissa = 0;
        if (v != 0) {
            exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
            const int step = std::max(1, intPlaces);
            // With several integer places the exponent is a multiple of their count.
            exponent = static_cast<int>(std::floor(static_cast<double>(exponent) / step)) * step;
            mantissa = v / std::pow(10.0, exponent);
            // Rounding can carry the mantissa to the next power.
            const std::string probe = fixedText(std::fabs(mantissa), decPlaces);
            if (std::fabs(std::strtod(probe.c_str(), nullptr)) >= std::pow(10.0, step)) {
                exponent += step;
                mantissa = v / std::pow(10.0, exponent);
            }
        }
        std::string m = fixedText(std::fabs(mantissa), decPlaces);
        if (decPlaces > decZeros) {
            while (!m.empty() && m.back() == '0' && static_cast<int>(m.size() - m.find('.') - 1) > decZeros)
                m.pop_back();
        }
        if (!m.empty() && m.back() == '.' && decPlaces > 0 && decZeros == 0)
            m.pop_back();
        std::string e = std::to_string(std::abs(exponent));
        while (static_cast<int>(e.size()) < expZeros)
            e.insert(e.begin(), '0');
        body = m + "E" + (exponent < 0 ? "-" : (expPlus ? "+" : "")) + e;
    } else {
        std::string t = fixedText(std::fabs(v), decPlaces);
        const std::size_t dot = t.find('.');
        std::string intPart = dot == std::string::npos ? t : t.substr(0, dot);
        std::string decPart = dot == std::string::npos ? "" : t.substr(dot + 1);
        while (static_cast<int>(decPart.size()) > decZeros && !decPart.empty() && decPart.back() == '0')
            decPart.pop_back();
        if (intPart == "0" && intZeros == 0)
            intPart.clear();
        while (static_cast<int>(intPart.size()) < intZeros)
            intPart.insert(intPart.begin(), '0');
        if (thousands)
            intPart = groupThousands(intPart);
        body = intPart;
        if (afterPoint)
            body += "." + decPart;
    }
    return prefix + body + suffix;
}

bool isPlaceholder(const Token& t)
{
    return !t.literal && (t.text == "0" || t.text == "#" || t.text == "?");
}

// The token of a fraction's bar: a "/" right after a digit placeholder, or
// npos.
std::size_t fractionBar(const std::vector<Token>& toks)
{
    for (std::size_t i = 1; i < toks.size(); ++i)
        if (toks[i].literal && toks[i].text[0] == '/' && isPlaceholder(toks[i - 1]))
            return i;
    return std::string::npos;
}

// n's digits padded to the placeholders `places` ('0' a zero, '?' a blank,
// '#' nothing): on the left of the digits, or on their right (a
// denominator, whose padding is blank).
std::string padded(std::uint64_t n, std::string_view places, bool right)
{
    const std::string digits = std::to_string(n);
    std::string pad;
    if (right) {
        for (std::size_t k = digits.size(); k < places.size(); ++k)
            if (places[k] != '#')
                pad += ' ';
        return digits + pad;
    }
    for (std::size_t k = 0; k + digits.size() < places.size(); ++k)
        if (places[k] != '#')
            pad += places[k] == '0' ? '0' : ' ';
    return pad + digits;
}

// The largest magnitude a fraction shows (its whole number and numerator
// stay exact); larger values show the General text.
constexpr double kLargestFraction = 4294967296.0;

// The most denominator digits a code may ask for (a search over each
// denominator up to 99,999).
constexpr std::size_t kMostDenominatorDigits = 5;

// A fraction section ("# ?/?", "?/?", "# ??/??"): x >= 0 as a whole number
// and the fraction n/d nearest its remainder with d below 10^(the
// denominator's placeholders), the smallest d on a tie; without whole-number
// placeholders as an improper fraction. Where the remainder rounds to no
// fraction, the whole number shows alone (0 at least) and blanks stand for
// the fraction, so that fractions in a column stay aligned. `zero` tells
// whether the text shows zero. nullopt: the code cannot be applied (a
// fixed denominator, a decimal point, too large a value).
std::optional<std::string> fractionSection(double x, const std::vector<Token>& toks, bool& zero)
{
    const std::size_t bar = fractionBar(toks);
    std::size_t end = bar + 1;
    std::string den;
    while (end < toks.size() && isPlaceholder(toks[end]))
        den += toks[end++].text;
    if (toks[bar].text != "/" || den.empty() || den.size() > kMostDenominatorDigits || x >= kLargestFraction)
        return std::nullopt;
    std::size_t numStart = bar;
    while (numStart > 0 && isPlaceholder(toks[numStart - 1]))
        --numStart;
    std::string num;
    for (std::size_t k = numStart; k < bar; ++k)
        num += toks[k].text;
    std::string prefix;
    std::string between;
    std::string whole;
    bool thousands = false;
    for (std::size_t k = 0; k < numStart; ++k) {
        const Token& t = toks[k];
        if (isPlaceholder(t) && between.empty())
            whole += t.text;
        else if (!t.literal && t.text == "," && !whole.empty())
            thousands = true;
        else if (t.literal || t.text == "-" || t.text == "+")
            (whole.empty() ? prefix : between) += t.text;
        else
            return std::nullopt;
    }
    std::string suffix;
    for (std::size_t k = end; k < toks.size(); ++k) {
        if (!(toks[k].literal || toks[k].text == "-" || toks[k].text == "+"))
            return std::nullopt;
        suffix += toks[k].text;
    }

    const double w = std::floor(x);
    const double f = x - w;
    std::uint64_t maxDen = 1;
    for (std::size_t k = 0; k < den.size(); ++k)
        maxDen *= 10;
    --maxDen;
    std::uint64_t bestN = 0;
    std::uint64_t bestD = 1;
    double bestErr = f;
    for (std::uint64_t d = 1; d <= maxDen; ++d) {
        const double n = std::round(f * static_cast<double>(d));
        const double err = std::fabs(f - n / static_cast<double>(d));
        if (err < bestErr) {
            bestErr = err;
            bestN = static_cast<std::uint64_t>(n);
            bestD = d;
        }
    }
    auto wholeN = static_cast<std::uint64_t>(w);
    if (whole.empty()) {
        const std::uint64_t n = bestN + wholeN * bestD;
        zero = n == 0;
        return prefix + padded(n, num, false) + "/" + padded(bestD, den, true) + suffix;
    }
    if (bestN == bestD) {
        ++wholeN;
        bestN = 0;
    }
    zero = wholeN == 0 && bestN == 0;
    std::string wholeText;
    if (bestN == 0 || wholeN != 0) {
        if (thousands) {
            wholeText = std::to_string(wholeN);
            while (wholeText.size() < static_cast<std::size_t>(std::count(whole.begin(), whole.end(), '0')))
                wholeText.insert(wholeText.begin(), '0');
            wholeText = groupThousands(wholeText);
        } else {
            wholeText = padded(wholeN, whole, false);
        }
    } else {
        // No whole number beside a fraction: each placeholder's padding alone.
        for (const char c : whole)
            if (c != '#')
                wholeText += c == '0' ? '0' : ' ';
    }
    if (bestN == 0)
        return prefix + wholeText + std::string(between.size() + num.size() + 1 + den.size(), ' ') + suffix;
    return prefix + wholeText + between + padded(bestN, num, false) + "/" + padded(bestD, den, true) + suffix;
}

constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};

struct DateParts {
    int year = 1900, month = 1, day = 0, weekday = 0, hour = 0, minute = 0, second = 0;
    std::int64_t fraction = 0;  // of the second, in units of the shown decimals
};

// 10^decimals, the ticks of one second when `decimals` of it are shown.
std::int64_t ticksPerSecond(int decimals)
{
    std::int64_t per = 1;
    for (int k = 0; k < decimals; ++k)
        per *= 10;
    return per;
}

// Serial 1 is 1 January 1900; serial 60 is the 29 February 1900 that the
// 1900 date system counts although it did not exist. The time of day is
// rounded to the shown decimals of a second, a day boundary carrying into
// the next day.
DateParts dateParts(double serial, int decimals)
{
    DateParts p;
    const std::int64_t per = ticksPerSecond(decimals);
    const double perDay = 86400.0 * static_cast<double>(per);
    double whole = std::floor(serial);
    double ticks = std::round((serial - whole) * perDay);
    if (ticks >= perDay) {
        ticks -= perDay;
        whole += 1;
    }
    const auto t = static_cast<std::int64_t>(ticks);
    const std::int64_t secs = t / per;
    p.fraction = t % per;
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs % 3600 / 60);
    p.second = static_cast<int>(secs % 60);
    const auto days = static_cast<long>(whole);
    p.weekday = static_cast<int>(((days + 6) % 7 + 7) % 7);
    if (days == 0) {
        p.year = 1900;
        p.month = 1;
        p.day = 0;
        return p;
    }
    if (days == 60) {
        p.year = 1900;
        p.month = 2;
        p.day = 29;
        return p;
    }
    // Civil date from days since 1970-01-01 (Howard Hinnant's algorithm).
    long z = (days < 60 ? days + 1 : days) - 25569 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    p.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    p.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    p.year = static_cast<int>(yoe + era * 400 + (p.month <= 2 ? 1 : 0));
    return p;
}

std::string twoDigits(int v)
{
    return v < 10 ? "0" + std::to_string(v) : std::to_string(v);
}

// v's digits with leading zeros up to `width`.
std::string zeroPadded(std::int64_t v, std::size_t width)
{
    std::string s = std::to_string(v);
    if (s.size() < width)
        s.insert(0, width - s.size(), '0');
    return s;
}

// How a section shows: its text, a '#' fill (a date before the calendar or
// after 31 December 9999), or the General text (a code that cannot be
// applied to the value).
struct Shown {
    enum class Kind { Text, Hashes, General } kind = Kind::Text;
    std::string text;
};

Shown shownText(std::string t)
{
    return {Shown::Kind::Text, std::move(t)};
}

// The letter of a date or time token (y m d h s, lower case; for [h] its
// h), or 0 for another token.
char dateUnit(const Token& t)
{
    if (t.literal)
        return 0;
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(t.text[0])));
    if (c == '[')
        return t.text[1];
    return std::string_view("ymdhs").find(c) != std::string_view::npos ? c : 0;
}

bool isElapsed(const Token& t)
{
    return !t.literal && t.text[0] == '[';
}

// The longest elapsed time shown, in seconds (about 136 years): longer
// spans show the General text.
constexpr double kLongestElapsedSeconds = 4294967296.0;

// The most decimals of a second a code can show.
constexpr int kMostSecondDecimals = 9;

// A date or time section. Clock codes (h, mm, ss) show the time of day of a
// serial from 0 on; elapsed codes ([h], [mm], [ss]) count the whole span in
// their first unit, the units after it within the next larger one, and show
// negative spans with a leading "-". Seconds followed by "." and 0s show
// that many decimals of the second.
Shown dateSection(double v, const std::vector<Token>& toks)
{
    bool ampm = false;
    bool elapsed = false;
    bool calendar = false;  // y or d: a date, which an elapsed span has not
    int decimals = 0;
    for (std::size_t i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        ampm = ampm || (!t.literal && t.text == "AM/PM");
        elapsed = elapsed || isElapsed(t);
        const char u = dateUnit(t);
        calendar = calendar || u == 'y' || u == 'd';
        if (u == 's' && i + 1 < toks.size() && !toks[i + 1].literal && toks[i + 1].text == ".") {
            int n = 0;
            while (i + 2 + static_cast<std::size_t>(n) < toks.size() &&
                   !toks[i + 2 + static_cast<std::size_t>(n)].literal && toks[i + 2 + static_cast<std::size_t>(n)].text == "0")
                ++n;
            decimals = std::max(decimals, n);
        }
    }
    if (decimals > kMostSecondDecimals)
        return {Shown::Kind::General, {}};
    const std::int64_t per = ticksPerSecond(decimals);

    DateParts p;
    std::string out;
    std::int64_t seconds = 0;  // elapsed: the whole span
    if (elapsed) {
        if (calendar || ampm || std::fabs(v) * 86400.0 >= kLongestElapsedSeconds)
            return {Shown::Kind::General, {}};
        const auto ticks = static_cast<std::int64_t>(std::round(std::fabs(v) * 86400.0 * static_cast<double>(per)));
        seconds = ticks / per;
        p.fraction = ticks % per;
        p.hour = static_cast<int>(seconds / 3600 % 24);
        p.minute = static_cast<int>(seconds / 60 % 60);
        p.second = static_cast<int>(seconds % 60);
        if (v < 0 && ticks > 0)
            out += '-';
    } else {
        if (v < 0 || v >= 2958466.0)
            return {Shown::Kind::Hashes, {}};
        p = dateParts(v, decimals);
    }

    bool lastWasHour = false;
    for (std::size_t i = 0; i < toks.size();) {
        const Token& t = toks[i];
        const char c = dateUnit(t);
        if (c == 0) {
            if (!t.literal && t.text == "AM/PM")
                out += p.hour < 12 ? "AM" : "PM";
            else
                out += t.text;
            ++i;
            continue;
        }
        if (isElapsed(t)) {
            const std::size_t width = t.text.size() - 2;
            const std::int64_t span = c == 'h' ? seconds / 3600 : (c == 'm' ? seconds / 60 : seconds);
            out += zeroPadded(span, width);
            ++i;
            if (c == 's' && decimals > 0 && i < toks.size() && !toks[i].literal && toks[i].text == ".") {
                out += "." + zeroPadded(p.fraction, static_cast<std::size_t>(decimals));
                for (++i; i < toks.size() && !toks[i].literal && toks[i].text == "0";)
                    ++i;
            }
            lastWasHour = c == 'h';
            continue;
        }
        std::size_t n = 0;
        while (i + n < toks.size() && !isElapsed(toks[i + n]) && dateUnit(toks[i + n]) == c)
            ++n;
        i += n;
        switch (c) {
        case 'y':
            out += n <= 2 ? twoDigits(p.year % 100) : std::to_string(p.year);
            break;
        case 'm': {
            // Minutes after an hour or before seconds.
            bool minutes = lastWasHour && n <= 2;
            for (std::size_t k = i; k < toks.size() && !minutes; ++k) {
                if (toks[k].literal)
                    continue;
                if (dateUnit(toks[k]) == 's')
                    minutes = n <= 2;
                break;
            }
            if (minutes)
                out += n == 1 ? std::to_string(p.minute) : twoDigits(p.minute);
            else if (n == 1)
                out += std::to_string(p.month);
            else if (n == 2)
                out += twoDigits(p.month);
            else if (n == 3)
                out += std::string(kMonths[static_cast<std::size_t>(p.month - 1)]).substr(0, 3);
            else
                out += kMonths[static_cast<std::size_t>(p.month - 1)];
            break;
        }
        case 'd':
            if (n == 1)
                out += std::to_string(p.day);
            else if (n == 2)
                out += twoDigits(p.day);
            else if (n == 3)
                out += std::string(kDays[static_cast<std::size_t>(p.weekday)]).substr(0, 3);
            else
                out += kDays[static_cast<std::size_t>(p.weekday)];
            break;
        case 'h': {
            int h = p.hour;
            if (ampm) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out += n == 1 ? std::to_string(h) : twoDigits(h);
            break;
        }
        case 's':
            out += n == 1 ? std::to_string(p.second) : twoDigits(p.second);
            if (decimals > 0 && i < toks.size() && !toks[i].literal && toks[i].text == ".") {
                out += "." + zeroPadded(p.fraction, static_cast<std::size_t>(decimals));
                for (++i; i < toks.size() && !toks[i].literal && toks[i].text == "0";)
                    ++i;
            }
            break;
        default:
            break;
        }
        lastWasHour = c == 'h';
    }
    return shownText(std::move(out));
}

// A code split into its sections' tokens, kept per thread for the codes
// last used: a sheet uses few codes over many cells.
struct Parsed {
    std::vector<std::vector<Token>> sections;
    std::vector<bool> dates;
};

const Parsed& parsed(std::string_view code)
{
    thread_local std::vector<std::pair<std::string, Parsed>> cache;
    for (const auto& [c, p] : cache)
        if (c == code)
            return p;
    Parsed p;
    for (std::string_view s : sections(code)) {
        p.sections.push_back(tokens(s));
        p.dates.push_back(hasDateTokens(p.sections.back()));
    }
    if (cache.size() >= 32)
        cache.erase(cache.begin());
    cache.emplace_back(std::string(code), std::move(p));
    return cache.back().second;
}

} // namespace

bool isDateFormat(std::string_view code)
{
    if (platform::rt::equalsNoCase(code, "General"))
        return false;
    return hasDateTokens(tokens(sections(code).front()));
}

bool isTextFormat(std::string_view code) noexcept
{
    return code == "@";
}

namespace {

bool isGeneral(std::string_view code)
{
    return code.empty() || isTextFormat(code) || platform::rt::equalsNoCase(code, "General");
}

Shown shownUnder(double v, std::string_view code)
{
    if (!std::isfinite(v) || isGeneral(code))
        return {Shown::Kind::General, {}};
    const Parsed& p = parsed(code);
    std::size_t section = 0;
    bool minus = v < 0;
    if (v < 0 && p.sections.size() >= 2) {
        section = 1;
        minus = false;
        v = -v;
    } else if (v == 0 && p.sections.size() >= 3) {
        section = 2;
    }
    const auto& toks = p.sections[section];
    if (p.dates[section])
        return dateSection(v, toks);
    if (fractionBar(toks) != std::string::npos) {
        bool zero = false;
        std::optional<std::string> text = fractionSection(std::fabs(v), toks, zero);
        if (!text)
            return {Shown::Kind::General, {}};
        return shownText(minus && !zero ? "-" + *text : *text);
    }
    std::string text = numberSection(minus ? -v : v, toks);
    if (minus) {
        // "-0.00" is no number a reader expects when the value rounds to zero.
        const bool allZero = text.find_first_of("123456789") == std::string::npos;
        if (!allZero)
            text.insert(text.begin(), '-');
    }
    return shownText(std::move(text));
}

} // namespace

std::string formatNumber(double v, std::string_view code)
{
    Shown shown = shownUnder(v, code);
    switch (shown.kind) {
    case Shown::Kind::Text:
        return std::move(shown.text);
    case Shown::Kind::Hashes:
        return {};
    case Shown::Kind::General:
        break;
    }
    return Value(v).displayText();
}

std::string shownNumberText(double v, std::string_view code, int available, const TextWidth& width)
{
    const Shown shown = shownUnder(v, code);
    switch (shown.kind) {
    case Shown::Kind::General:
        return fitNumberText(v, available, width);
    case Shown::Kind::Hashes:
        return hashFill(available, width);
    case Shown::Kind::Text:
        break;
    }
    // A code with no text for the value ("#" for 0) leaves the cell empty.
    if (shown.text.empty() || width(shown.text) <= available)
        return shown.text;
    return hashFill(available, width);
}

const std::vector<std::string>& builtInNumberFormats()
{
    static const std::vector<std::string> codes = {
        "General",     "0",          "0.00",     "#,##0",     "#,##0.00", "0%",
        "0.00%",       "0.00E+00",   "0.000E+00", "m/d/yy",   "d-mmm-yy", "d-mmm",
        "mmm-yy",      "h:mm AM/PM", "h:mm:ss",  "m/d/yy h:mm", "@"};
    return codes;
}

} // namespace spreadsheet
