#pragma once

// QelNumRec: eigenvalues and eigenvectors of a real symmetric matrix by
// threshold Jacobi rotations (Rutishauser's threshold strategy; see Golub and
// Van Loan, "Matrix Computations", section 8.5).
//
// The threshold starts at sqrt(2 S), S the sum of squares of the strict lower
// triangle, and is divided by n at every level. At a level the lower triangle
// is scanned row by row (i = 1 .. n-1, j = 0 .. i-1) for the first element
// whose magnitude is at least the threshold; that element is rotated away and
// the scan starts again. The level ends when no element reaches the
// threshold; the computation ends at the first level whose threshold is below
// tol. The order of rotations fixes the signs of the eigenvectors, which the
// score plots mirror, so it is kept exactly. (Each row of the triangle keeps
// the count of its elements at or above the threshold, updated as rotations
// change rows and columns p and q, so that finding the first such element
// costs a pass over the counts, not over the triangle; a rotation runs over
// the lower triangle of a compact copy of A and over contiguous rows of V
// transposed.)
//
// Index base 0. Nothing is sorted: A(k, k) is the eigenvalue of column k of V.
// A matrix whose strict lower triangle is all zero (including n = 1) is
// already diagonal: A is left unchanged and V is the identity.

#include <cstdint>

#include "numeric/Matrix.h"
#include "numeric/Progress.h"

namespace QelNumRec {

using numeric::Matrix;
using numeric::Progress;

// A: the symmetric matrix in its first n x n cells. Only its lower triangle
// and diagonal are read: the upper triangle is first filled from them, so a
// matrix with only its lower triangle written (as the correlation routines
// leave it, with the diagonal set by the caller) is taken as symmetric. The
// whole block is overwritten. On return A's
// diagonal holds the eigenvalues and its off-diagonal elements are below the
// last threshold in magnitude. V (at least n x n, caller's) receives the unit
// eigenvectors as columns in its first n x n cells.
// Throws 5 ("GetEigen") for tol <= 0 or a negative n, 9 when A or V is smaller
// than n x n, 6 when A holds NaN or infinity or its squares overflow, and 1 ("GetEigen", "The
// rotations did not converge.") if a level needs more than 1000 + 100 n^2
// rotations (rounding noise above a tolerance that is too small for the
// matrix's scale).
void GetEigen(Matrix& A, std::int64_t n, Matrix& V, double tol);

// GetEigen that also moves a progress indicator: its maximum is set to 100;
// a counter increased at the start of every scan of the lower triangle is
// shown, modulo 100, before each rotation (the indicator cycles; it does not
// measure completion).
void GetEigenPB(Matrix& A, std::int64_t n, Matrix& V, double tol, Progress* progress);

} // namespace QelNumRec
