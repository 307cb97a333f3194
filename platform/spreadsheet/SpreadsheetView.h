#pragma once

// What the shell asks of the grid that shows a workbook, beside the model
// itself: the formula bar, the zoom, the keyboard focus, in-cell editing and
// the pointer tests of the right-click menu. The Qt grid implements it; shell
// tests use a fake.

#include <cstdint>
#include <string>

namespace spreadsheet {

class Workbook;

class SpreadsheetView {
public:
    virtual ~SpreadsheetView() = default;

    [[nodiscard]] virtual Workbook& workbook() = 0;

    // The formula bar above the grid.
    [[nodiscard]] virtual bool ShowEditBar() const = 0;
    virtual void setShowEditBar(bool shown) = 0;
    // Zoom in percent; values outside 11..399 are clamped into that range.
    [[nodiscard]] virtual std::int32_t ViewScale() const = 0;
    virtual void setViewScale(std::int32_t percent) = 0;
    // Keyboard focus to the grid.
    virtual void SetFocus() = 0;
    // Opens the in-cell editor on the active cell, holding `initialText`.
    virtual void startEdit(const std::string& initialText) = 0;
    // The row under a y position and the column under an x position, in the
    // grid's own pixels; 0 outside the cells (on the headers, the tabs or
    // past the last row or column).
    [[nodiscard]] virtual std::int32_t rowAtY(std::int32_t y) const = 0;
    [[nodiscard]] virtual std::int32_t colAtX(std::int32_t x) const = 0;
};

} // namespace spreadsheet
