#include "numeric/MatrixCells.h"

#include "platform/runtime/Format.h"

namespace numeric::detail {

std::string fixedText(double value, int decimals, bool grouping)
{
    std::string pattern = grouping ? "#,##0" : "0";
    if (decimals > 0) {
        pattern += '.';
        pattern.append(static_cast<std::size_t>(decimals), '0');
    }
    return platform::rt::Format(value, pattern);
}

std::size_t charCount(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

std::string padLeft(std::string text, std::size_t width)
{
    const std::size_t length = charCount(text);
    if (length < width) {
        text.insert(0, width - length, ' ');
    }
    return text;
}

std::string padRight(std::string text, std::size_t width)
{
    const std::size_t length = charCount(text);
    if (length < width) {
        text.append(width - length, ' ');
    }
    return text;
}

} // namespace numeric::detail
