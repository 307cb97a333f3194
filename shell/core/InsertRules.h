#pragma once

// The rules of the Insert menu and the drawing toolbar, without widgets: the
// insert mode each object item and each drawing button selects, which button
// shows a mode, what a click on a drawing button does to the mode, and the
// Insert menu's item states when it opens.
//
// Modes are the worksheet's insert modes: 0 normal editing, else the code of
// the object kind that the next drag on the sheet draws (1 line, 2 rectangle,
// 3 oval, 4 arc, 5 chart, 7 button, 8 polygon, 9 check box, 10 drop-down
// list box; they must match spreadsheet::ObjectKind).

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace shell {

inline constexpr std::int32_t kNoInsertMode = 0;

// The drawing toolbar's buttons in order; key and tool tip are the same text.
inline constexpr std::array<std::string_view, 8> kDrawToolbar{"Line",      "Arc",     "Rectangle", "Ellipse",
                                                              "Freeform",  "Drawing", "Chart",     "Button"};

// The mode a drawing button selects; nothing for a button without a mode
// ("Drawing") or an unknown key. Keys are compared exactly.
[[nodiscard]] std::optional<std::int32_t> drawButtonMode(std::string_view key);
// The button that shows a mode as pressed; nothing for modes without a
// button (0, check box, drop-down list box).
[[nodiscard]] std::optional<std::string_view> drawButtonForMode(std::int32_t mode);

// What a click on a drawing button of mode `clicked` does when the sheet is
// in mode `current`: a new mode presses the clicked button alone; the mode
// in force, clicked again, ends it and releases the button.
struct DrawClick {
    std::int32_t newMode = kNoInsertMode;
    bool pressClicked = false;  // true: the clicked button pressed, the others released
};
[[nodiscard]] DrawClick clickDrawButton(std::int32_t current, std::int32_t clicked);

// One object item of the Insert menu and the mode it selects.
struct InsertObjectItem {
    std::string_view name;
    std::int32_t mode;
};
inline constexpr std::array<InsertObjectItem, 9> kInsertObjectItems{{
    {"mnuInsertDOLine", 1},
    {"mnuInsertDORectangle", 2},
    {"mnuInsertDOOval", 3},
    {"mnuInsertDOArc", 4},
    {"mnuInsertChart", 5},
    {"mnuInsertFOButton", 7},
    {"mnuInsertDOPolygon", 8},
    {"mnuInsertFOCheckbox", 9},
    {"mnuInsertFOListbox", 10},
}};

// The items that insert at the cell selection: off while drawing objects are selected.
inline constexpr std::array<std::string_view, 4> kInsertCellItems{"mnuInsertCells", "mnuInsertRows",
                                                                  "mnuInsertColumns", "mnuInsertPageBreak"};

// The Insert menu's states when it opens on a sheet in `mode` with
// `selectedObjects` drawing objects selected.
struct InsertMenuState {
    bool enableCancel = false;  // true: enable Cancel Insert Object; false: leave it as it is
    bool cellItems = true;      // kInsertCellItems
};
[[nodiscard]] InsertMenuState insertMenuState(std::int32_t mode, std::int32_t selectedObjects);

} // namespace shell
