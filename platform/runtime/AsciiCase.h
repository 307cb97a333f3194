#pragma once

// Texts compared without regard to the case of ASCII letters, as file
// extensions, profile sections and keys, and number-format words are
// compared. Every other byte (UTF-8 sequences included) must match as it is,
// whatever the process locale.

#include <cstddef>
#include <string_view>

namespace platform::rt {

[[nodiscard]] constexpr char asciiLower(char c) noexcept
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] constexpr bool equalsNoCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

[[nodiscard]] constexpr bool startsWithNoCase(std::string_view text, std::string_view prefix) noexcept
{
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

} // namespace platform::rt
