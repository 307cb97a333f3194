#pragma once

// MatB: small matrix and vector helpers of the analyses.
//
// Index base 0 (MatMult alone works over arbitrary lower bounds). Counts are
// passed separately and checked against the arrays first: a negative count
// raises platform::Error 5, a count beyond an array 9. A result that
// overflows raises 6; no routine returns NaN or infinity (MatMult reports it
// through its result code instead, as it reports everything).

#include <cstdint>
#include <span>
#include <vector>

#include "numeric/Matrix.h"

namespace MatB {

using numeric::BoundedMatrix;
using numeric::Matrix;

// Moving average of input(0 .. A - 1) over a window of W positions: for
// position i the window is i - W/2 .. i + W - W/2 - 1 (W/2 rounded down), so
// odd windows are centred and even ones reach one further back. Positions
// before 0 or after A - 1 add input(0) or input(A - 1) when pad is set, and
// nothing otherwise; the sum is always divided by W, so without padding the
// ends are pulled towards 0.
// Throws 5 for W < 1 or A < 0, 9 when input holds fewer than A values.
[[nodiscard]] std::vector<double> MovingAverage(std::span<const double> input, std::int64_t A, std::int64_t W,
                                                bool pad);

// P = A x B over the index ranges of the three matrices. Result codes:
//   0  done
//  -3  A's second index range differs from B's first (P untouched)
//  -5  P's ranges differ from A's first and B's second (P untouched)
//   6  a product overflowed (P written up to the failing cell)
// Never throws.
[[nodiscard]] std::int16_t MatMult(const BoundedMatrix& A, const BoundedMatrix& B, BoundedMatrix& P);
// The same for matrices based at 0.
[[nodiscard]] std::int16_t MatMult(const Matrix& A, const Matrix& B, Matrix& P);

// P(i, j) = sum over k < p of A(i, k) B(k, j) for i < n, j < m, in increasing k.
// P must hold at least n x m cells; other cells are left as they were.
void VarMatMult(const Matrix& A, const Matrix& B, Matrix& P, std::int64_t n, std::int64_t p, std::int64_t m);

// Smallest and largest value of the block M(0 .. nr - 1, 0 .. nc - 1),
// starting from M(0, 0) (so a block with no rows or columns gives M(0, 0)).
// Throws 9 when M is empty.
[[nodiscard]] double MinOfCol(const Matrix& M, std::int64_t nr, std::int64_t nc);
[[nodiscard]] double MaxOfCol(const Matrix& M, std::int64_t nr, std::int64_t nc);

// Largest value of the lower triangle with the diagonal of M(0 .. n - 1,
// 0 .. n - 1); the strict upper triangle is not read. Starts from M(0, 0).
[[nodiscard]] double MaxOfLowerTri(const Matrix& M, std::int64_t n);

// destination(j, i) = source(i, j) for i < nr, j < nc: a transposing copy into
// a matrix of at least nc x nr; other cells are left as they were.
void CopyVarBlock(const Matrix& source, std::int64_t nr, std::int64_t nc, Matrix& destination);

// A new nb x na matrix T with T(j, i) = V(i, j) for i < na, j < nb.
[[nodiscard]] Matrix Var2DblMat(const Matrix& V, std::int64_t na, std::int64_t nb);

// A new nr x nc matrix of V(i, j) k.
[[nodiscard]] Matrix MatScalarMult(const Matrix& V, std::int64_t nr, std::int64_t nc, double k);

// A new nr x nc matrix of M(i, j) v(i): diag(v) x M.
[[nodiscard]] Matrix MatElemMult(const Matrix& M, std::int64_t nr, std::int64_t nc, std::span<const double> v);

} // namespace MatB
