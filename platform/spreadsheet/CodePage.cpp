#include "platform/spreadsheet/CodePage.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <unordered_map>

namespace spreadsheet::detail {

namespace {

// Windows-1252 bytes 0x80..0x9F; the rest of the upper half is Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// The iconv name of a Windows code page number, or nullptr for Windows-1252
// and its subsets.
const char* iconvName(unsigned codePage)
{
    switch (codePage) {
    case 367:    // US-ASCII
    case 1252:
    case 32769:  // Windows-1252 as the oldest workbooks number it
        return nullptr;
    case 28591:
        return "ISO-8859-1";
    case 10000:
    case 32768:
        return "MACINTOSH";
    case 1361:
        return "JOHAB";
    default:
        break;
    }
    static const std::unordered_map<unsigned, const char*> names = {
        {437, "CP437"},   {737, "CP737"},   {775, "CP775"},   {850, "CP850"},   {852, "CP852"},
        {855, "CP855"},   {857, "CP857"},   {858, "CP858"},   {860, "CP860"},   {861, "CP861"},
        {862, "CP862"},   {863, "CP863"},   {864, "CP864"},   {865, "CP865"},   {866, "CP866"},
        {869, "CP869"},   {874, "CP874"},   {932, "CP932"},   {936, "CP936"},   {949, "CP949"},
        {950, "CP950"},   {1250, "CP1250"}, {1251, "CP1251"}, {1253, "CP1253"}, {1254, "CP1254"},
        {1255, "CP1255"}, {1256, "CP1256"}, {1257, "CP1257"}, {1258, "CP1258"}};
    const auto it = names.find(codePage);
    return it == names.end() ? nullptr : it->second;
}

class Iconv {
public:
    explicit Iconv(const char* from) : m_cd(iconv_open("UTF-8", from)) {}
    ~Iconv()
    {
        if (isOpen())
            iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    [[nodiscard]] bool isOpen() const noexcept { return m_cd != reinterpret_cast<iconv_t>(-1); }
    [[nodiscard]] iconv_t get() const noexcept { return m_cd; }

private:
    iconv_t m_cd;
};

} // namespace

std::string cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else if (c < 0xA0)
            appendUtf8(out, kCp1252High[c - 0x80u]);
        else
            appendUtf8(out, c);
    }
    return out;
}

char utf16ToCp1252(char16_t u) noexcept
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
        if (kCp1252High[i] == u)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

std::u16string utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    auto cont = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]) & 0x3Fu; };
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t n = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) {
            cp = ((c & 0x1Fu) << 6) | cont(1);
            n = 2;
        } else if ((c & 0xF0) == 0xE0 && i + 2 < s.size()) {
            cp = ((c & 0x0Fu) << 12) | (cont(1) << 6) | cont(2);
            n = 3;
        } else if ((c & 0xF8) == 0xF0 && i + 3 < s.size()) {
            cp = ((c & 0x07u) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
            n = 4;
        }
        i += n;
        if (cp > 0x10FFFF)
            cp = 0xFFFD;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view u)
{
    std::string out;
    out.reserve(u.size());
    for (std::size_t i = 0; i < u.size(); ++i) {
        const char16_t c = u[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 && u[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (u[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, c);  // a lone surrogate comes out as U+FFFD
        }
    }
    return out;
}

std::string codePageToUtf8(std::string_view bytes, unsigned codePage)
{
    const char* name = iconvName(codePage);
    if (!name)
        return cp1252ToUtf8(bytes);
    Iconv cd(name);
    if (!cd.isOpen())
        return cp1252ToUtf8(bytes);
    // One input byte never gives more than three UTF-8 bytes (a character of
    // these code pages lies in the basic plane), so the output cannot run out.
    std::string out(bytes.size() * 3 + 3, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* o = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd.get(), &in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if ((errno != EILSEQ && errno != EINVAL) || outLeft < 3)
            break;
        // An undefined byte, or the first half of a pair at the end.
        *o++ = '\xEF';
        *o++ = '\xBF';
        *o++ = '\xBD';
        outLeft -= 3;
        ++in;
        --inLeft;
    }
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace spreadsheet::detail
