#pragma once

// The worksheet commands of the Edit and Data menus and the standard
// toolbar that need more than one call of the workbook: paste transposed,
// the quick sorts and the toolbar's sum.

#include <cstdint>
#include <string>

namespace spreadsheet {
class Workbook;
}

namespace SheetEdit {

// Clipboard text (tab-separated fields, lines ended by CR LF, LF or CR)
// turned so that rows become columns: one column becomes one row, one row
// one column, a block its transpose. A final line break opens no line, short
// lines are padded with empty fields, and no field is added behind a line's
// last one, so that pasting never clears a cell beside the block.
[[nodiscard]] std::string TransposeClipText(std::string text);

// Sorts the rows of the selection's first range by its first column,
// ascending or descending (Sort3 with key 1 or -1). Refused with error 5 and
// the sheet unchanged when a cell just left or right of the range's rows
// holds data (sorting the range alone would tear those rows apart) or when
// the key column mixes numbers and texts.
void SortSelection(spreadsheet::Workbook& book, bool ascending);

// What the toolbar's sum does at the active cell (row, col).
struct AutoSumPlan {
    bool startEdit = false;  // nothing to sum beside the cell: open the cell's editor on "=Sum("
    std::string formula;     // otherwise the formula, "Sum(A1:A3)"
    std::string selection;   // and the range to select, "A1:A3"
};
// The cell above decides first, then the cell to the left: the range ends at
// that neighbour (whatever it holds) and runs on, away from the cell, over
// the unbroken run of cells holding numbers or errors (constants or formulas).
[[nodiscard]] AutoSumPlan PlanAutoSum(const spreadsheet::Workbook& book, std::int32_t row, std::int32_t col);

} // namespace SheetEdit
