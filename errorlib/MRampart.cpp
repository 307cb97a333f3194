#include "errorlib/MRampart.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include <sys/stat.h>

#include "errorlib/AppendFile.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Utf8.h"

namespace rampart {

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::string twoDigits(int n)
{
    std::array<char, 16> buf{};
    std::snprintf(buf.data(), buf.size(), "%02d", n);
    return buf.data();
}

bool isDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

[[noreturn]] void raiseFileError(int error)
{
    const int number = detail::FileErrorNumber(error);
    throw platform::Error(number, "Rampart", platform::StandardDescription(number));
}

void createLevels(const std::string& path)
{
    if (isDirectory(path)) {
        return;
    }
    // The last "/" before the final one ends the parent.
    const std::size_t cut = path.size() >= 2 ? path.rfind('/', path.size() - 2) : std::string::npos;
    if (cut != std::string::npos && cut > 0) {
        createLevels(path.substr(0, cut + 1));
    }
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        raiseFileError(errno);
    }
    if (!isDirectory(path)) {
        raiseFileError(ENOTDIR);
    }
}

} // namespace

std::int64_t SerialSeconds(const DateTime& when)
{
    return daysFromCivil(when.year, static_cast<unsigned>(when.month), static_cast<unsigned>(when.day)) * 86400 +
           when.hour * 3600 + when.minute * 60 + when.second;
}

DateTime LocalNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string FormatDatePattern(const DateTime& when, std::string_view pattern)
{
    std::string out;
    bool afterHour = false;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const std::string_view rest = pattern.substr(i);
        if (rest.starts_with("yyyy")) {
            std::array<char, 16> buf{};
            std::snprintf(buf.data(), buf.size(), "%04d", when.year);
            out += buf.data();
            afterHour = false;
            i += 4;
        } else if (rest.starts_with("mm")) {
            out += twoDigits(afterHour ? when.minute : when.month);
            afterHour = false;
            i += 2;
        } else if (rest.starts_with("dd")) {
            out += twoDigits(when.day);
            afterHour = false;
            i += 2;
        } else if (rest.starts_with("hh")) {
            out += twoDigits(when.hour);
            afterHour = true;
            i += 2;
        } else if (rest.starts_with("nn")) {
            out += twoDigits(when.minute);
            afterHour = false;
            i += 2;
        } else if (rest.starts_with("ss")) {
            out += twoDigits(when.second);
            afterHour = false;
            i += 2;
        } else {
            out += pattern[i];
            ++i;
        }
    }
    return out;
}

void EstablishPath(std::string& path)
{
    const std::size_t first = path.find_first_not_of(' ');
    const std::size_t last = path.find_last_not_of(' ');
    path = first == std::string::npos ? std::string() : path.substr(first, last - first + 1);
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    if (isDirectory(path)) {
        return;
    }
    if (path.size() < 3 || path.front() != '/') {
        throw platform::Error(platform::err::PathFileAccess, "Rampart",
                              platform::StandardDescription(platform::err::PathFileAccess));
    }
    createLevels(path);
}

std::string BoundaryName(std::int32_t boundary)
{
    static constexpr std::array<const char*, 4> names = {"rmpBoundaryNone", "rmpBoundaryVB", "rmpBoundaryFirewall",
                                                         "rmpBoundaryActiveX"};
    if (boundary >= 1 && boundary <= 4) {
        return names[static_cast<std::size_t>(boundary - 1)];
    }
    return std::to_string(boundary) + " (Unknown)";
}

std::string SeverityName(std::int32_t severity)
{
    static constexpr std::array<const char*, 3> names = {"rmpSeverityCosmetic", "rmpSeverityNormal",
                                                         "rmpSeverityFatal"};
    if (severity >= 1 && severity <= 3) {
        return names[static_cast<std::size_t>(severity - 1)];
    }
    return std::to_string(severity) + " (Unknown)";
}

std::string PadRight(std::string_view text, std::size_t width)
{
    std::string out(text);
    const std::size_t length = DecodeUtf8(text).size();
    if (length < width) {
        out.append(width - length, ' ');
    }
    return out;
}

std::string PadLeft(std::string_view text, std::size_t width)
{
    const std::size_t length = DecodeUtf8(text).size();
    return length < width ? std::string(width - length, ' ') + std::string(text) : std::string(text);
}

bool ReplaceControlChars(std::string& text, char replacement)
{
    bool replaced = false;
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 31) {
            c = replacement;
            replaced = true;
        }
    }
    return replaced;
}

std::int32_t NonNegativeOr(std::int32_t a, std::int32_t b)
{
    return a >= 0 ? a : b;
}

std::string RepeatText(std::string_view text, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

std::u32string DecodeUtf8(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        if (const std::size_t length = platform::rt::utf8SequenceAt(text, i, cp)) {
            out += cp;
            i += length;
        } else {
            out += static_cast<char32_t>(static_cast<unsigned char>(text[i]));  // read as Latin-1
            ++i;
        }
    }
    return out;
}

std::string EncodeUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char32_t cp : text)
        platform::rt::appendUtf8(out, cp);
    return out;
}

std::string HexDumpRow(std::size_t start, std::u32string_view chunk)
{
    std::string hex;
    for (const char32_t c : chunk) {
        // The single-byte code of the character; one that has none shows as "?".
        const unsigned code = c <= 0xFF ? static_cast<unsigned>(c) : 0x3Fu;
        std::array<char, 4> buf{};
        std::snprintf(buf.data(), buf.size(), "%02X", code);
        hex += buf.data();
    }
    hex.resize(40, ' ');
    std::string hexcol = "+";
    for (std::size_t g = 0; g < 5; ++g) {
        hexcol += hex.substr(g * 8, 8);
        hexcol += ' ';
    }
    std::size_t n = 2 * chunk.size() + 2;
    for (const std::size_t threshold : {4u, 8u, 12u, 16u}) {
        n += chunk.size() > threshold ? 1 : 0;
    }
    hexcol[n - 1] = '+';

    std::u32string shown(chunk);
    for (char32_t& c : shown) {
        if (c < 31) {
            c = 127;
        }
    }
    std::array<char, 32> pos{};
    std::snprintf(pos.data(), pos.size(), "%zX", start);
    return PadLeft(pos.data(), 13) + " " + hexcol + "    +" + EncodeUtf8(shown) + "+";
}

std::vector<std::string> HexDumpLines(std::u32string_view text)
{
    std::vector<std::string> lines;
    bool plain = text.size() <= 60;
    for (const char32_t c : text) {
        plain = plain && c >= 31;
    }
    if (plain) {
        lines.push_back("Value   :\"" + EncodeUtf8(text) + "\"");
        return lines;
    }
    const std::size_t rows = text.size() / 20;
    lines.emplace_back("Hex Dump:addr +hex_____ ________ ________ ________ ________+    +char________________+");
    for (std::size_t row = 1; row <= rows; ++row) {
        lines.push_back(HexDumpRow((row - 1) * 20 + 1, text.substr((row - 1) * 20, 20)));
        if (rows > 50 && row == 25) {
            lines.push_back("\r\n          ... " + std::to_string(rows - 50) + " Rows Omitted\r\n");
            for (std::size_t tail = rows - 24; tail <= rows; ++tail) {
                lines.push_back(HexDumpRow((tail - 1) * 20 + 1, text.substr((tail - 1) * 20, 20)));
            }
            break;
        }
    }
    lines.push_back(HexDumpRow(rows * 20 + 1, text.substr(rows * 20)));
    return lines;
}

} // namespace rampart
