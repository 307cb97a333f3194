#include "engines/dnaml/DnamlText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <type_traits>

namespace tallowin::dnaml {

std::string formatInt(long long value)
{
    std::array<char, 32> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    return std::string(buf.data(), res.ptr);
}

std::string formatFixed(double value, int width, int decimals)
{
    std::array<char, 400> buf{};
    std::string text;
    if (!std::isfinite(value)) {
        text = std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    } else {
        const auto res =
            std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, decimals);
        text.assign(buf.data(), res.ptr);
    }
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

int TextCursor::peek() const
{
    if (m_pos >= m_text.size())
        return kEnd;
    const char c = m_text[m_pos];
    if (c == '\r')
        return '\n';
    return static_cast<unsigned char>(c);
}

int TextCursor::get()
{
    if (m_pos >= m_text.size())
        return kEnd;
    const char c = m_text[m_pos++];
    if (c == '\r') {
        if (m_pos < m_text.size() && m_text[m_pos] == '\n')
            ++m_pos;
        return '\n';
    }
    return static_cast<unsigned char>(c);
}

void TextCursor::skipBlanks()
{
    while (peek() == ' ' || peek() == '\t')
        ++m_pos;
}

void TextCursor::skipWhite()
{
    for (int c = peek(); c == ' ' || c == '\t' || c == '\n'; c = peek())
        get();
}

void TextCursor::skipLine()
{
    for (int c = get(); c != kEnd && c != '\n'; c = get()) {
    }
}

std::string_view TextCursor::restOfLine() const
{
    std::size_t end = m_pos;
    while (end < m_text.size() && m_text[end] != '\n' && m_text[end] != '\r')
        ++end;
    return m_text.substr(m_pos, end - m_pos);
}

namespace {

// Length of the longest prefix of `text` that looks like a decimal number.
std::size_t numberSpan(std::string_view text, bool allowFraction)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    while (i < text.size() && (asciiDigit(text[i]) ||
                               (allowFraction && (text[i] == '.' || text[i] == 'e' || text[i] == 'E' ||
                                                  ((text[i] == '+' || text[i] == '-') &&
                                                   (text[i - 1] == 'e' || text[i - 1] == 'E'))))))
        ++i;
    return i;
}

template <class T>
std::optional<T> parseNumber(std::string_view text, std::size_t& used)
{
    used = 0;
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    std::string_view rest = text.substr(start);
    const bool fraction = std::is_floating_point_v<T>;
    const std::size_t span = numberSpan(rest, fraction);
    std::string_view digits = rest.substr(0, span);
    // from_chars takes no leading '+'.
    std::size_t plus = (!digits.empty() && digits.front() == '+') ? 1 : 0;
    T value{};
    const char* first = digits.data() + plus;
    const char* last = digits.data() + digits.size();
    std::from_chars_result res{};
    if constexpr (std::is_floating_point_v<T>)
        res = std::from_chars(first, last, value, std::chars_format::general);
    else
        res = std::from_chars(first, last, value);
    if (res.ec != std::errc() || res.ptr == first)
        return std::nullopt;
    used = start + plus + static_cast<std::size_t>(res.ptr - first);
    return value;
}

} // namespace

std::optional<double> parseDouble(std::string_view text)
{
    std::size_t used = 0;
    return parseNumber<double>(text, used);
}

std::optional<long long> parseInt(std::string_view text)
{
    std::size_t used = 0;
    return parseNumber<long long>(text, used);
}

std::optional<long long> TextCursor::readInt()
{
    skipWhite();
    std::size_t used = 0;
    auto v = parseNumber<long long>(m_text.substr(m_pos), used);
    if (v)
        m_pos += used;
    return v;
}

std::optional<double> TextCursor::readDouble()
{
    skipWhite();
    std::size_t used = 0;
    auto v = parseNumber<double>(m_text.substr(m_pos), used);
    if (v)
        m_pos += used;
    return v;
}

} // namespace tallowin::dnaml
