#pragma once

// MathStat: pairwise statistics between the columns of a data block, and the
// small descriptive statistics and t tests.
//
// Conventions shared by every routine here:
// - Index base 0. A data block X is read as X(row, column); rows are
//   observations, columns variables; nRow and nCol are passed separately and
//   the block may be larger than nRow x nCol.
// - Pairs of columns come in the order (1,0), (2,0), (2,1), (3,0), ...; P is
//   their number nCol(nCol - 1)/2.
// - Result matrices are allocated by the caller (at least nCol x nCol). The
//   correlation routines write only the strict lower triangle (i > j); the
//   covariance routines write the lower triangle and the diagonal; every
//   other cell is left as it was.
// - Errors are platform::Error:
//     1  the routine's own report (source and text as documented per routine)
//     5  a negative count
//     9  a count larger than the array that should hold it
//     6  0/0, a constant column in a correlation, a result that overflows
//     11 x/0 with x != 0
//   Entries written before the failing one stay written; the failing one and
//   those after it are not.
// - No NaN or infinity is ever returned or written.
// - Sums of squares and cross products are formed about the means (two
//   passes), also in the routines that skip a missing-value code, so that
//   these give the same numbers as the complete-data routines on data without
//   the code.

#include <cstdint>
#include <span>
#include <vector>

#include "numeric/Matrix.h"
#include "numeric/Progress.h"

namespace MathStat {

using numeric::Matrix;
using numeric::Progress;

// ---- Correlation, covariance and cross-product matrices -------------------

// Column means of X over rows 0 .. nRow - 1, for columns 0 .. nCol - 1
// (note the order: columns first).
// Throws 1 ("GetMultMean", "The input array is empty.") when nRow is 0.
[[nodiscard]] std::vector<double> GetMultMean(const Matrix& X, std::int32_t nCol, std::int32_t nRow);

// CP(i, j) = sum over k of (X(k, i) - mean(i)) (X(k, j) - mean(j)) for every
// pair i > j. When means is given it receives the nCol column means.
// Progress: minimum 0, maximum P; after each pair the value is the number of
// pairs finished before it; 0 at the end.
// Throws 1 ("GetCPLM", "At least two rows of data are needed.") when nRow < 2.
void GetCPLM(const Matrix& X, Matrix& CP, std::int32_t nRow, std::int32_t nCol, Progress* progress = nullptr,
             std::vector<double>* means = nullptr);

// Pearson correlation R(i, j) for every pair i > j.
// Progress: first as GetCPLM; then maximum nCol, value i after column i of
// the sums of squares; then maximum P, value p after pair p; left there.
// Throws 1 ("GetCorrMat:", "At least two rows of data are needed.") when
// nRow < 2, and 6 at the first pair that involves a constant column.
void GetCorrMat(const Matrix& X, Matrix& R, std::int32_t nRow, std::int32_t nCol, Progress* progress = nullptr);

// Sample covariances (divisor nRow - 1): V(i, j) for i > j, then V(i, i).
// Progress: as GetCPLM; then maximum P, value p after pair p; then maximum
// nCol, value i after column i; left there.
// Throws 1 ("GetCovMat", "At least two variables are needed for calculating
// covariance matrix.") when nRow < 2.
void GetCovMat(const Matrix& X, Matrix& V, std::int32_t nRow, std::int32_t nCol, Progress* progress = nullptr);

// Pearson r of columns i and j over the rows where neither value equals
// code (exact comparison). nCol is not used (kept for the callers' sake).
// Throws 6 when fewer than two rows are usable or either column is constant
// over them.
[[nodiscard]] double CorrPairMissing(const Matrix& X, std::int32_t nRow, std::int32_t nCol, std::int32_t i,
                                     std::int32_t j, double code);

// Sample covariance of columns i and j over the rows where neither equals
// code. Throws 6 when fewer than two rows are usable.
[[nodiscard]] double CovPairMissing(const Matrix& X, std::int32_t nRow, std::int32_t nCol, std::int32_t i,
                                    std::int32_t j, double code);

// R(i, j) = CorrPairMissing for every pair. Nothing is checked or written
// for nCol < 2. Progress: minimum 0, maximum P, value p after pair p, 0 at the end.
void GetCorrMatMissing(const Matrix& X, Matrix& R, std::int32_t nRow, std::int32_t nCol, Progress* progress,
                       double code);

// V(i, j) = CovPairMissing for every pair, then V(i, i) over the rows where
// column i is not the code. Progress: minimum 0, maximum P, value p after
// pair p; maximum nCol, value i after column i; 0 at the end.
void GetCovMatMissing(const Matrix& X, Matrix& V, std::int32_t nRow, std::int32_t nCol, Progress* progress,
                      double code);

// ---- Descriptive statistics and t tests -------------------------------------

// n! / (k1! k2! k3! k4!) through ln-factorials (mNumRec::FactLn), not rounded.
// Each argument is first rounded to a 16-bit integer (halves to even).
// Throws 6 when an argument is outside -32768 .. 32767 or the result overflows;
// a negative argument fails in the log-gamma function (1, "LnGamma").
[[nodiscard]] double Bico(std::int32_t n, double k1, double k2, double k3, double k4);

// Relative frequencies counts(i) / total of counts(0 .. n - 1). When the total
// is not above 0 the result is empty. total, when given, receives the total.
// Throws 5 for n < 0 and 9 when counts holds fewer than n values.
[[nodiscard]] std::vector<double> Count2Freq(std::span<const double> counts, std::int32_t n,
                                             double* total = nullptr);

// Arithmetic mean of x(0 .. n - 1).
// Throws 1 ("AMean", "The input array is empty.") when n is 0.
[[nodiscard]] double AMean(std::span<const double> x, std::int64_t n);

// Sample variance (divisor n - 1) of x(0 .. n - 1); 0 for equal values.
// Throws 6 for n of 0 or 1.
[[nodiscard]] double GetVariance(std::span<const double> x, std::int32_t n);

struct WelchTest {
    double t = 0;   // |mean1 - mean2| / se, never negative
    double df = 0;  // Welch-Satterthwaite degrees of freedom (not an integer)
    double se = 0;  // standard error of the difference
};

// Welch's t test for two samples given by mean, variance and size.
// Throws 6 or 11 for a size of 1 or 0, and for a zero standard error
// (6 when the means are equal too); 5 when a + b is negative.
[[nodiscard]] WelchTest TTestUnequalVar(double mean1, double variance1, double size1, double mean2,
                                        double variance2, double size2);

// Two-tailed 5% critical value of Student's t for df degrees of freedom: a
// table for df 1 .. 200 (four decimals), 1.96 + 2/df above.
// Throws 9 ("GetTCV") for df <= 0.
[[nodiscard]] double GetTCV(std::int32_t df);

// Copies src(0 .. n - 1) into a 1-based array: the result has n + 1 elements,
// element 0 unused (0) and element i = src(i - 1). Throws 9 when src is too short.
[[nodiscard]] std::vector<double> Base0To1(std::span<const double> src, std::int64_t n);

// Copies the 1-based src(1 .. n) back to base 0: result(i - 1) = src(i).
// Throws 9 when src holds fewer than n + 1 elements.
[[nodiscard]] std::vector<double> Base1To0(std::span<const double> src, std::int64_t n);

} // namespace MathStat
