#pragma once

// Number text and a character cursor for the phylogeny engine. Every number
// is read and written in the C convention ("." as decimal point, no grouping)
// whatever locale the process runs in.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tallowin::dnaml {

// Letter case and digits of the ASCII range only, whatever the locale says.
constexpr int asciiUpper(int c)
{
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}
constexpr bool asciiDigit(int c)
{
    return c >= '0' && c <= '9';
}

// printf-style "%d".
std::string formatInt(long long value);
// printf-style "%<width>.<decimals>f": right-aligned in `width` characters,
// never cut when the number needs more.
std::string formatFixed(double value, int width, int decimals);

// Reads characters of one text front to back; line ends "\n", "\r\n" and a
// lone "\r" all count as one "\n".
class TextCursor {
public:
    static constexpr int kEnd = -1;

    explicit TextCursor(std::string_view text) : m_text(text) {}

    // The next character (a line end as '\n'), or kEnd.
    [[nodiscard]] int peek() const;
    int get();
    [[nodiscard]] bool atEnd() const { return m_pos >= m_text.size(); }
    [[nodiscard]] std::size_t position() const { return m_pos; }
    // Characters left after the cursor.
    [[nodiscard]] std::size_t remaining() const { return atEnd() ? 0 : m_text.size() - m_pos; }

    // Skips blanks and tabs (not line ends).
    void skipBlanks();
    // Skips blanks, tabs and line ends.
    void skipWhite();
    // Skips to just after the next line end (or to the end of the text).
    void skipLine();
    // The rest of the current line, without its end; the cursor stays.
    [[nodiscard]] std::string_view restOfLine() const;

    // A decimal integer after optional white space (as scanf "%d").
    std::optional<long long> readInt();
    // A decimal number after optional white space (as scanf "%lg").
    std::optional<double> readDouble();

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// A decimal number from the start of `text` (as scanf "%lg"), ignoring
// leading blanks; nullopt when none is there.
std::optional<double> parseDouble(std::string_view text);
std::optional<long long> parseInt(std::string_view text);

} // namespace tallowin::dnaml
