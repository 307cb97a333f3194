#pragma once

// MultiVar: principal component analysis, correspondence analysis and the
// sorted symmetric eigen decomposition they share.
//
// Index base 0 throughout. Eigen decompositions are the threshold Jacobi
// rotations of QelNumRec::GetEigen; "sorted" means eigenvalues in descending
// order with the eigenvectors (columns) following their eigenvalues, signs
// as the rotations leave them.
//
// Principal components (DoPCA): the correlation or covariance matrix of the
// columns of a data block (rows are observations, e.g. loci; columns are
// variables, e.g. time points) is decomposed; the leading nPC eigenvectors
// give the scores data x evecs (with the correlation option the data are
// first standardised by columns, in place).
//
// Correspondence analysis (RA): a table F of non-negative counts, rows r(i)
// and column sums c(j), grand total N, is scaled to
// M(i, j) = F(i, j) / sqrt(r(i) c(j)). The eigen decomposition of the small
// nCol x nCol matrix Q = M'M gives the eigenvalues (descending; the first is
// 1, the trivial axis) and the column axes V. The row axes are the unit
// eigenvectors of P = MM' for the same eigenvalues, derived without forming
// P: U(:, k) = M V(:, k) / sqrt(lambda(k)), normalised; for an eigenvalue of 0
// (below 1E-10) any unit vector orthogonal to the earlier axes is an
// eigenvector of P, and the first standard basis vector that Gram-Schmidt
// leaves largest is taken. Only the first K0 = min(nRow, nCol) axes exist
// for the rows. Row ordination sqrt(N) U(i, k) / sqrt(r(i)); column
// ordination sqrt(N) V(j, k) / sqrt(c(j)); column 0 is the trivial axis.
// Row-column correlations, axis k = 1 .. K0 - 1: sum over i, j of
// row(i, k) F(i, j) col(j, k) / N, which equals sqrt(lambda(k)); a row axis
// whose correlation comes out negative is turned over, so every correlation
// is non-negative. Cost O(nRow nCol^2 + nCol^3), memory O(nRow nCol).
//
// Errors: platform::Error as documented per routine; no NaN or infinity is
// returned.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "numeric/Matrix.h"
#include "numeric/Progress.h"

namespace MultiVar {

using numeric::Matrix;
using numeric::Progress;

// Sorts evals(0 .. n - 1) descending (QuickSort2Desc, whose placing of equal
// values is kept) and reorders the columns of evecs(0 .. n - 1, 0 .. n - 1)
// with them: new column j is old column index(j).
void SortEigenDesc(std::vector<double>& evals, Matrix& evecs, std::int64_t n);

// Sorted decomposition of the symmetric matrix A (its lower triangle and
// diagonal are read; A is overwritten). evals is resized to n, evecs to
// n x n. The rotations run to rounding level: they stop once every
// off-diagonal element is below 1E-18 times the largest element. Errors of
// QelNumRec::GetEigen.
void GetEigenSorted(Matrix& A, std::int64_t n, std::vector<double>& evals, Matrix& evecs);
// The same for covariance matrices (the caller's name for that route).
inline void GetEigenSortedVar(Matrix& A, std::int64_t n, std::vector<double>& evals, Matrix& evecs)
{
    GetEigenSorted(A, n, evals, evecs);
}
// The same with a progress indicator driven by the rotations (none when null).
void GetEigenSortedPB(Matrix& A, std::int64_t n, std::vector<double>& evals, Matrix& evecs, Progress* progress);

// Principal component analysis of data(0 .. nRow - 1, 0 .. nCol - 1).
//   useCorr        true: correlation matrix (diagonal 1), and the data block
//                  is standardised by columns in place; false: covariance
//                  matrix, data unchanged.
//   scores         resized to nRow x nPC: the scores, each column centred
//                  (standardScores false) or standardised (true).
//   nPC            components kept, at least 1; above nCol the extra
//                  eigenvector and score columns are zero.
//   evals, evecs   resized: all nCol eigenvalues descending; evecs nCol x nPC,
//                  column j the unit eigenvector of evals[j].
//   missingCode    when given, the statistics skip cells equal to it (the
//                  missing-value variants), and in the score product such a
//                  cell counts as its column's mean over the other cells (0
//                  once standardised), so it adds nothing to the score.
//   report         when given, replaced by the text report (CR LF lines).
// rowNames is not read. Fewer than two columns: the message box "There are < 2
// variables: inappropriate for PCA." (information) and nothing else is done.
// Errors: 1 for nPC < 1 or labels fewer than nCol; 9 for counts beyond the
// data; those of the statistics (e.g. 1 for fewer than 2 rows, 6 for a
// constant column with the correlation option) and of the eigen solver.
void DoPCA(Matrix& data, std::int32_t nRow, std::int32_t nCol, const std::vector<std::string>& rowNames,
           const std::vector<std::string>& colLabels, bool useCorr, Matrix& scores, std::int32_t nPC,
           std::vector<double>& evals, Matrix& evecs, Progress* progress, bool standardScores,
           std::optional<double> missingCode = {}, std::string* report = nullptr);

// Correspondence analysis of F(0 .. nRow - 1, 0 .. nCol - 1) as above.
// Outputs (resized): M nRow x nCol; eigenvalues nCol; U nRow x K0; V
// nCol x nCol; rowOrd nRow x K0; colOrd nCol x nCol; corr K0 - 1 entries.
// missingCode: the code that empty cells were given; a table holding it is
// refused. Refused with error 1 (source "RA"), before anything is computed:
// nRow or nCol below 1, a negative entry, a row or column whose sum is 0
// (naming it, counted from 1), the missing-value code; 13 for an entry that
// is not a finite number; 9 for counts beyond F. Returns true.
// Progress: maximum nRow, value i after row i of the sums; the eigen
// solver's; maximum K0, value k after row axis k; 0 at the end.
bool RA(const Matrix& F, std::int32_t nRow, std::int32_t nCol, Matrix& M, std::vector<double>& eigenvalues, Matrix& U,
        Matrix& V, Matrix& rowOrd, Matrix& colOrd, std::vector<double>& corr, Progress* progress,
        std::optional<double> missingCode = {});

// corr resized to K = min(nRow, nCol) - 1 entries; entry k - 1 is
// sum over i, j of rowOrd(i, k) F(i, j) colOrd(j, k) / N. Error 9 when the
// ordinations have fewer than K + 1 columns; 6 or 11 for N = 0.
void RowColCorr(const Matrix& F, std::int32_t nRow, std::int32_t nCol, const Matrix& rowOrd, const Matrix& colOrd,
                std::vector<double>& corr, double N);

} // namespace MultiVar
