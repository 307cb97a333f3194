#pragma once

// Evaluation of the workbook's formulas through the ixion formula engine.
//
// The engine gets a mirror of the whole workbook (every sheet's constants and
// formulas) and computes all formulas in dependency order; the results are
// written back into the formula cells. A formula whose result is a
// comparison (A1>A2, SUM(A1:A3)=10) gives a logical value, TRUE or FALSE, as
// any spreadsheet does, although the engine computes it as 1 or 0. A formula the engine cannot parse
// gives #NAME?, and so does one calling a function the engine lacks, with
// every formula that uses its result; a circular reference or another
// failure inside the engine gives #VALUE! for the cells involved. Nothing
// throws. The engine (version 0.17) lacks, among others, COUNT, SQRT, LN and
// ABS. AVERAGE, MIN, MAX, LEN, LEFT, CONCATENATE, NOW and the & operator,
// which it gets wrong, are computed by FormulaFunctions.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spreadsheet/DefinedName.h"

namespace spreadsheet::detail {

class Cell;
struct SheetData;

// Defined names become the engine's named expressions, so that formulas can
// use them in any letter case. A name the engine cannot parse, or one that
// refers to itself through other names, is left out: formulas using it give
// #NAME? (the engine itself would recurse without end on such a name).
// With `only`, that formula cell alone is computed: every other formula
// takes part with the result it holds, and keeps it.
void recalculate(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<DefinedName>& names = {},
                 const Cell* only = nullptr);

// Whether the engine reads the word as a name (not a cell reference, a
// function or a constant) in a sheet of this workbook's size.
[[nodiscard]] bool engineReadsAsName(std::string_view word);

// Whether the engine can parse the formula (without "="), in a workbook with
// sheets of these names.
[[nodiscard]] bool engineParses(std::string_view formula, const std::vector<std::string>& sheetNames);

} // namespace spreadsheet::detail
