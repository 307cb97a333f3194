#pragma once

// Evaluation of the workbook's formulas through the ixion formula engine.
//
// The engine gets a mirror of the whole workbook (every sheet's constants and
// formulas) and computes all formulas in dependency order; the results are
// written back into the formula cells. A formula the engine cannot parse
// gives #NAME?, and so does one calling a function the engine lacks, with
// every formula that uses its result; a circular reference or another
// failure inside the engine gives #VALUE! for the cells involved. Nothing
// throws. The engine (version 0.17) lacks, among others, COUNT, SQRT, LN and
// ABS, and its MAX and MIN take single cells but not ranges.

#include <memory>
#include <vector>

namespace spreadsheet::detail {

struct SheetData;

void recalculate(std::vector<std::unique_ptr<SheetData>>& sheets);

} // namespace spreadsheet::detail
