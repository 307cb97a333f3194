#pragma once

// CText: one printable text with its own font and alignment: the title, the
// header or the footer of a printed tree. The token "<pag>" in the text is
// replaced by the page number when it is printed.

#include <cstdint>
#include <string>

#include "platform/print/Printer.h"

namespace trees {

namespace align {
inline constexpr std::int32_t Left = 0;    // at the left margin
inline constexpr std::int32_t Right = 1;   // flush with the right margin
inline constexpr std::int32_t Centre = 2;  // centred on the page
} // namespace align

class CText {
public:
    CText() = default;

    // The text's own font: a caller changes the text's font through it.
    [[nodiscard]] platform::StdFont& Font() noexcept { return m_font; }
    [[nodiscard]] const platform::StdFont& Font() const noexcept { return m_font; }
    // Copies name, size, bold, italic, strikethrough and underline.
    void setFont(const platform::StdFont& font) { m_font = font; }

    [[nodiscard]] std::int32_t Alignment() const noexcept { return m_alignment; }
    void setAlignment(std::int32_t alignment) noexcept { m_alignment = alignment; }
    [[nodiscard]] const std::string& Text() const noexcept { return m_text; }
    void setText(std::string text) { m_text = std::move(text); }

private:
    std::string m_text;
    std::int32_t m_alignment = align::Left;
    platform::StdFont m_font;  // Arial 10
};

} // namespace trees
