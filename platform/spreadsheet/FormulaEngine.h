#pragma once

// Evaluation of the workbook's formulas through the ixion formula engine.
//
// The engine gets a mirror of the whole workbook (every sheet's constants and
// formulas) and computes all formulas in dependency order; the results are
// written back into the formula cells. A formula the engine cannot parse
// gives #NAME?; a circular reference or any failure inside the engine gives
// #VALUE! for the cells involved, never an exception.

#include <memory>
#include <vector>

namespace spreadsheet::detail {

struct SheetData;

void recalculate(std::vector<std::unique_ptr<SheetData>>& sheets);

} // namespace spreadsheet::detail
