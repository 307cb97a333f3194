#include "platform/spreadsheet/NumberFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cctype>
#include <cstdlib>

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
            i = end == std::string_view::npos ? s.size() : end;
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
        if (!k.literal && std::string_view("yYmMdDhHsS").find(k.text[0]) != std::string_view::npos && k.text != "AM/PM")
            return true;
        else if (!k.literal && k.text == "AM/PM")
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
            if (seenDigit && !afterPoint)
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
    // Commas after the last integer placeholder scale by thousands ("#,##0," shows 12345 as 12).
    for (int k = 0; k < scaleCommas; ++k)
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

constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};

struct DateParts {
    int year = 1900, month = 1, day = 0, weekday = 0, hour = 0, minute = 0, second = 0;
};

// Serial 1 is 1 January 1900; serial 60 is the 29 February 1900 that the
// 1900 date system counts although it did not exist.
DateParts dateParts(double serial)
{
    DateParts p;
    double whole = std::floor(serial);
    double secs = std::round((serial - whole) * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        whole += 1;
    }
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(std::fmod(secs, 3600) / 60);
    p.second = static_cast<int>(std::fmod(secs, 60));
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

std::string dateSection(double v, const std::vector<Token>& toks)
{
    const DateParts p = dateParts(v);
    bool ampm = false;
    for (const Token& t : toks)
        ampm = ampm || (!t.literal && t.text == "AM/PM");
    std::string out;
    bool lastWasHour = false;
    for (std::size_t i = 0; i < toks.size();) {
        const Token& t = toks[i];
        if (t.literal || std::string_view("yYmMdDhHsS").find(t.text[0]) == std::string_view::npos) {
            if (!t.literal && t.text == "AM/PM")
                out += p.hour < 12 ? "AM" : "PM";
            else
                out += t.text;
            ++i;
            continue;
        }
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(t.text[0])));
        std::size_t n = 0;
        while (i + n < toks.size() && !toks[i + n].literal &&
               std::tolower(static_cast<unsigned char>(toks[i + n].text[0])) == c)
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
                const char d = static_cast<char>(std::tolower(static_cast<unsigned char>(toks[k].text[0])));
                if (d == 's')
                    minutes = n <= 2;
                if (d != 's')
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
            break;
        default:
            break;
        }
        lastWasHour = c == 'h';
    }
    return out;
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

std::string formatNumber(double v, std::string_view code)
{
    if (!std::isfinite(v) || code.empty() || isTextFormat(code) || platform::rt::equalsNoCase(code, "General"))
        return Value(v).displayText();
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
    if (p.dates[section]) {
        if (v < 0 || v >= 2958466.0)
            return "";  // no date: the caller shows '#'s
        return dateSection(v, toks);
    }
    std::string text = numberSection(minus ? -v : v, toks);
    if (minus) {
        // "-0.00" is no number a reader expects when the value rounds to zero.
        const bool allZero = text.find_first_of("123456789") == std::string::npos;
        if (!allZero)
            text.insert(text.begin(), '-');
    }
    return text;
}

std::string shownNumberText(double v, std::string_view code, int available, const TextWidth& width)
{
    if (code.empty() || isTextFormat(code) || platform::rt::equalsNoCase(code, "General"))
        return fitNumberText(v, available, width);
    const std::string text = formatNumber(v, code);
    if (text.empty() && std::isfinite(v))
        return hashFill(available, width);
    if (width(text) <= available)
        return text;
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
