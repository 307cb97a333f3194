#pragma once

// DataTool: in-place transforms of a block of expression values.
//
// The block is Block(row, column) over rows 0 .. NR - 1 and columns
// 0 .. NC - 1 (the matrix may be larger). A row is a fixed first index, a
// column a fixed second index. With a missing-value code, cells equal to it
// (exact comparison) are skipped and keep their value.
//
//   StandardizeData  each row (or column) to mean 0 and standard deviation 1
//   NormalizeData    the same over the cells that are not the code; a line
//                    with fewer than two such cells is left as it is
//   SqrtTransform    x -> sqrt(x + 3/8)
//   LogTransform     x -> ln(x + 0.5)
//   Log2Transform    x -> log2(x + 0.5)
//
// The standard deviation has the divisor n - 1 and is computed about the
// mean (two passes), which stays accurate for large values with small spread.
//
// Every transform checks the whole block before it changes a cell: on any
// error the block is left exactly as it was. Errors (platform::Error):
//   5  a negative count; x + 0.375 < 0 or x + 0.5 <= 0 (names the cell)
//   9  counts larger than the block
//   13 a cell that is not a finite number (names the cell)
//   6  a line whose values are all equal, or a single value in
//      StandardizeData (the standard deviation is 0; names the line)

#include <cstdint>
#include <optional>

#include "numeric/Matrix.h"
#include "numeric/Progress.h"

namespace DataTool {

using numeric::Matrix;
using numeric::Progress;

// No progress, no missing values.
void StandardizeData(Matrix& block, std::int32_t NR, std::int32_t NC, bool byCol);

// Progress: minimum 0, maximum NR (rows) or NC (columns), value the line's
// index before each line, 0 at the end.
void NormalizeData(Matrix& block, std::int32_t NR, std::int32_t NC, bool byCol, std::optional<double> missing,
                   Progress* progress = nullptr);

// Progress: minimum 0, maximum NR, value i before row i, 0 at the end.
// Return true.
bool SqrtTransform(Matrix& block, std::int32_t NR, std::int32_t NC, std::optional<double> missing,
                   Progress* progress = nullptr);
bool LogTransform(Matrix& block, std::int32_t NR, std::int32_t NC, std::optional<double> missing,
                  Progress* progress = nullptr);
bool Log2Transform(Matrix& block, std::int32_t NR, std::int32_t NC, std::optional<double> missing,
                   Progress* progress = nullptr);

} // namespace DataTool
