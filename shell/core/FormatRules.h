#pragma once

// The Format menu's own rules, without widgets: what Freeze Panes does with
// the first selected range, and which items the menu enables.

#include <cstdint>
#include <string_view>

#include "platform/spreadsheet/CellRef.h"

namespace shell {

struct FreezeAction {
    enum class Kind { Unfreeze, FreezeCell, FreezeCols, FreezeRows, Refuse };
    Kind kind = Kind::Refuse;
    std::int32_t firstRow = 1;
    std::int32_t rows = 0;
    std::int32_t firstCol = 1;
    std::int32_t cols = 0;
};

inline constexpr std::string_view kFreezeRefusal = "Cannot fix cells or freeze panes based on the current selection.";

// Frozen panes are cleared when there are any; otherwise one cell freezes
// the rows above it and the columns left of it, whole columns (tested first,
// so the whole sheet counts as columns) freeze those columns, whole rows
// those rows, and any other block is refused.
[[nodiscard]] FreezeAction decideFreeze(const spreadsheet::RangeRef& sel, bool frozen);

struct FormatMenuState {
    bool cellItems = true;    // Cells, row and column items, Freeze Panes
    bool objectItems = false; // Object..., Bring To Front, Send To Back
    std::string_view freezeCaption;
};

[[nodiscard]] FormatMenuState stateFor(bool frozen, std::int32_t selectedObjects);

} // namespace shell
