#pragma once

// UTF-8, the encoding of every text inside the program: writing one code
// point, and reading the sequence that starts at a position.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::rt {

// Appends the code point's UTF-8 bytes; a surrogate or a value past
// U+10FFFF is written as U+FFFD, so that the result is always valid.
inline void appendUtf8(std::string& out, char32_t cp)
{
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The multi-byte sequence starting at text[i] (a lead byte C2-F4 followed by
// its continuation bytes, all inside the text): its length, 2 to 4, with its
// code point in cp. 0 for a single byte (ASCII) or a byte that starts no
// such sequence; cp is then left alone. Overlong three- and four-byte forms
// and surrogates are not told apart here: callers that must refuse them
// check cp.
inline std::size_t utf8SequenceAt(std::string_view text, std::size_t i, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    char32_t value = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1;
        value = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2;
        value = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3;
        value = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + extra >= text.size())
        return 0;
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (b & 0x3F);
    }
    cp = value;
    return extra + 1;
}

// The text with each byte that starts no whole sequence (a lone
// continuation byte, a sequence cut short, a byte UTF-8 never uses) replaced
// by U+FFFD, so that no character of it is broken.
inline std::string wholeUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const std::size_t length = utf8SequenceAt(text, i, cp);
        if (length > 0) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            if (static_cast<unsigned char>(text[i]) < 0x80)
                out += text[i];
            else
                appendUtf8(out, 0xFFFD);
            ++i;
        }
    }
    return out;
}

} // namespace platform::rt
