#pragma once

// The standard toolbar's layout and the rule by which the status timer keeps
// the toolbars in step with the active worksheet, without widgets.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace shell {

// One entry of the standard toolbar: its key and tool tip; a separator has
// an empty key.
struct ToolbarEntry {
    std::string_view key;
    std::string_view tip;
};

inline constexpr std::array<ToolbarEntry, 18> kStandardToolbar{{
    {"New", "New"},
    {"Open", "Open"},
    {"Save", "Save"},
    {"", ""},
    {"Print", "Print"},
    {"", ""},
    {"Cut", "Cut"},
    {"Delete", "Delete"},
    {"Copy", "Copy"},
    {"Paste", "Paste"},
    {"", ""},
    {"Undo", "Undo"},
    {"Redo", "Redo"},
    {"Sum", "Sum"},
    {"SortD", "Sort Descending"},
    {"SortA", "Sort Ascending"},
    {"Find", "Find"},
    {"Help", "Help"},
}};

// The buttons that act on cells: off while a single drawing object is selected.
inline constexpr std::array<std::string_view, 4> kCellButtonKeys{"Sum", "SortD", "SortA", "Find"};

// The Help button's message.
inline constexpr std::string_view kToolbarHelpText =
    "Just use the spreadsheet as if you are using Microsoft EXCEL with a few limitations. I will eventually include "
    "all statistical and mathematical functions that you can find in EXCEL, as well as many functions that are not "
    "available in EXCEL.\r\n\r\nIf you would like to have any function implemented soon, please let me know.";

// Drawing-object type of a polygon (the drawing mode code for polygons).
inline constexpr std::int32_t kPolygonObject = 8;

// What one tick of the status timer sees of the active child window.
struct ToolbarPollInput {
    bool hasActiveChild = false;
    std::string caption;        // the active child window's caption
    bool sheetOpen = false;     // a document window is open and the flank work window is not
    std::int32_t selectedObjects = 0;  // drawing objects selected on the active worksheet
    std::int32_t firstObjectType = 0;  // type of the first of them
    bool canPaste = false;
};

struct ToolbarStates {
    bool formatEnabled = true;      // the formatting toolbar as a whole
    // The polygon drawing button: off only while one object other than a polygon is selected.
    bool polygonEnabled = true;
    bool cellButtonsEnabled = true; // kCellButtonKeys
    bool pasteEnabled = false;      // the Paste button
};

// The states a tick sets; nothing (the toolbars keep their states) without
// an active child, for a child whose caption begins with "Seq" (the
// sequence windows, which have no worksheet) or when no sheet is open.
[[nodiscard]] std::optional<ToolbarStates> PollToolbars(const ToolbarPollInput& input);

} // namespace shell
