#pragma once

// The Data menu's transforms of the active worksheet's data block, and the
// clearing of the program's analysis arrays that the Analysis menu does
// before it opens a dialog.
//
// The data block starts at A1 (SSMDI1::SelectDataInActiveSheet): row 1 holds
// the column labels, column 1 the row labels, the values fill rows 2.. and
// columns 2... A transform writes the transformed values, with the block's
// label row and label column, onto a new sheet inserted in front of the data
// sheet (which moves one place back) and makes the new sheet active. Empty
// value cells stay empty and take no part in the computation.
//
//   NormalizeRows, NormalizeCols  each row (column) to mean 0 and standard
//                                 deviation 1 (divisor n - 1) over its
//                                 values; a line with fewer than two values
//                                 stays as it is           sheet "Normalized"
//   Log                           x -> ln(x + 0.5)         sheet "LogTransformed"
//   Log2                          x -> log2(x + 0.5)       sheet "LogTransformed"
//   Sqrt                          x -> sqrt(x + 0.375)     sheet "SqrtTransformed"
//
// A sheet name already in the book gets the next free number ("Normalized2").
// Before anything is written the block is checked, and a refusal shows one
// information message and changes nothing:
//   - fewer than two value columns or no value row;
//   - a value cell that is not a number (text, a logical or an error value);
//   - a negative value (logarithms and square root);
//   - a row (column) of two or more values that are all equal (standardising).

#include <cstdint>
#include <string>

#include "numeric/Progress.h"

namespace spreadsheet {
class Workbook;
}
namespace mQuorin {
class ProgramState;
}

namespace shell {

enum class SheetTransform : std::int8_t { NormalizeRows, NormalizeCols, Log, Log2, Sqrt, Count };

// The message for a block without values.
inline constexpr const char* kNoValidDataMessage =
    "There is no valid microaccray data in the active worksheet for normalization. Please open the file "
    "Zirad200.ido that comes with Quorin to see the sample data format.";

// The name the transform gives its new sheet (before numbering).
[[nodiscard]] const char* TransformSheetName(SheetTransform transform);

// Transforms the data block of the active sheet onto a new sheet. True when
// the new sheet was written; false after a refusal (message shown, nothing
// changed). An empty sheet raises the "No data selected in the active
// worksheet." trail of SelectDataInActiveSheet. Progress: as the transform
// routines of DataTool drive it.
bool TransformActiveSheet(spreadsheet::Workbook& book, SheetTransform transform,
                          numeric::Progress* progress = nullptr);

// Erases the analysis arrays (data matrix, row and column labels, the
// selected loci's values and names) and sets their counts to 0, so that no
// later command reads counts that describe erased arrays.
void EraseAnalysisData(mQuorin::ProgramState& program);

} // namespace shell
