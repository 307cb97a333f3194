#pragma once

// FormatMatrix: fixed-column report text of square matrices with labels.
//
// Index base 0: M(i, j), row i and column i both labelled labels[i]; only the
// lower triangle is read. Lines end in CR LF. Label fields are
// L = max(10, longest label) characters wide (characters, not bytes, so
// labels in any script line up). Numbers have D decimals, a leading zero and
// "-" for negatives, whatever the system's locale.
//
// Cell widths are fixed per matrix (see each function); when a number's text
// is longer than its cell, every cell of the matrix is widened to the longest
// text plus one blank, so that numbers never run into each other.
//
// Throws platform::Error 9 for n < 1 and when the matrix or the labels hold
// fewer than n entries; 5 for D < 0; 6 for a NaN or infinite value.

#include <cstdint>
#include <span>
#include <string>

#include "numeric/Matrix.h"
#include "numeric/Progress.h"

namespace FormatMatrix {

using numeric::Matrix;
using numeric::Progress;

// Strict lower triangle: CR LF, n, CR LF, label 0, CR LF, then for rows
// 1 .. n-1 the label in a field of L + 1 and the cells M(i, 0 .. i-1), each
// right-aligned in W = I + D + 3 characters; I is the number of characters
// before the "." in the text of the largest lower-triangle value (diagonal
// included), 0 when that text has no ".".
[[nodiscard]] std::string FormatCorrMat(const Matrix& M, std::int32_t n, std::span<const std::string> labels,
                                        std::int32_t D = 0);

// Strict lower triangle of a distance matrix: CR LF, n left-aligned in 11
// characters, CR LF, label 0, CR LF, then for rows 1 .. n-1 the label in a
// field of L and the cells right-aligned in W = I + D + 2 characters (I as in
// FormatCorrMat), numbers with thousands grouped by ",".
// Progress: minimum 0, maximum n; value i as label i is measured; value i
// after row i; 0 at the end.
[[nodiscard]] std::string FormatDistMat(const Matrix& M, std::int32_t n, std::span<const std::string> labels,
                                        Progress* progress, std::int32_t D = 0);

// Lower triangle with the diagonal: CR LF, n, CR LF, then for every row the
// label in a field of L + 1 and the cells M(i, 0 .. i), each right-aligned
// in L + 1 characters.
[[nodiscard]] std::string FormatCovMat(const Matrix& M, std::int32_t n, std::span<const std::string> labels,
                                       std::int32_t D = 0);

} // namespace FormatMatrix
