#pragma once

// What the program's find helpers ask of a text box or rich-text box: its
// text searched in the box's own characters, the selection, the tag that
// keeps the search memory, the keyboard focus and, for a rich-text box, the
// colour and weight of the selected text. The Qt rich-text box implements
// it; tests use a small fake over a std::string.
//
// Positions and lengths count the box's characters from 0; a paragraph
// break is one character.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class TextBox {
public:
    virtual ~TextBox() = default;

    // The position of the first occurrence of `what` (exact, case-sensitive)
    // that starts at or after `from`; -1 when there is none.
    [[nodiscard]] virtual std::int32_t find(std::string_view what, std::int32_t from) const = 0;
    // The length of a text counted in the box's characters.
    [[nodiscard]] virtual std::int32_t length(std::string_view text) const = 0;

    [[nodiscard]] virtual std::int32_t SelStart() const = 0;
    [[nodiscard]] virtual std::int32_t SelLength() const = 0;
    // Moves the caret to `start` with nothing selected (clamped to the text).
    virtual void setSelStart(std::int32_t start) = 0;
    // Selects `length` characters from the selection's start (clamped to the text).
    virtual void setSelLength(std::int32_t length) = 0;

    [[nodiscard]] virtual std::string Tag() const = 0;
    virtual void setTag(std::string tag) = 0;

    virtual void SetFocus() = 0;
};

class RichText : public TextBox {
public:
    // Colour (red, green, blue) and weight of the selected text.
    virtual void setSelColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
    virtual void setSelBold(bool bold) = 0;
};

} // namespace platform
