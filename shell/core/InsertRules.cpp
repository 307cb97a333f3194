#include "shell/core/InsertRules.h"

#include "platform/spreadsheet/DrawingObject.h"

namespace shell {

namespace {

using spreadsheet::ObjectKind;
constexpr std::int32_t code(ObjectKind k)
{
    return static_cast<std::int32_t>(k);
}
// The modes here are the worksheet's object kinds.
static_assert(code(ObjectKind::Line) == 1 && code(ObjectKind::Rectangle) == 2 && code(ObjectKind::Oval) == 3 &&
              code(ObjectKind::Arc) == 4 && code(ObjectKind::Chart) == 5 && code(ObjectKind::Button) == 7 &&
              code(ObjectKind::Polygon) == 8 && code(ObjectKind::CheckBox) == 9 && code(ObjectKind::DropDown) == 10);

struct ButtonMode {
    std::string_view key;
    std::int32_t mode;
};

// Every drawing mode but the two form controls without a picture has a button.
constexpr std::array<ButtonMode, 7> kButtonModes{{
    {"Line", 1},
    {"Rectangle", 2},
    {"Ellipse", 3},
    {"Arc", 4},
    {"Chart", 5},
    {"Button", 7},
    {"Freeform", 8},
}};

} // namespace

std::optional<std::int32_t> drawButtonMode(std::string_view key)
{
    for (const ButtonMode& b : kButtonModes)
        if (b.key == key)
            return b.mode;
    return std::nullopt;
}

std::optional<std::string_view> drawButtonForMode(std::int32_t mode)
{
    for (const ButtonMode& b : kButtonModes)
        if (b.mode == mode)
            return b.key;
    return std::nullopt;
}

DrawClick clickDrawButton(std::int32_t current, std::int32_t clicked)
{
    if (current == clicked)
        return DrawClick{kNoInsertMode, false};
    return DrawClick{clicked, true};
}

InsertMenuState insertMenuState(std::int32_t mode, std::int32_t selectedObjects)
{
    InsertMenuState s;
    s.enableCancel = mode != kNoInsertMode;
    s.cellItems = selectedObjects < 1;
    return s;
}

} // namespace shell
