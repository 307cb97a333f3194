#pragma once

// mNumRec: heap sort with a companion, midranks with ties, Spearman rank
// correlation, random permutations and ln n!.
//
// Index base 0 throughout: the textbook 1-based formulations (Numerical
// Recipes' hpsort and crank) are indexed with an offset inside, so callers
// pass ordinary 0-based spans and counts. Correlation results use the
// lower-triangle layout of MathStat: result(i, j) for columns i > j, nothing
// else written. No routine returns NaN: fewer than two usable rows or a
// constant column raise error 6 (0/0) or 11 (x/0) from the division that
// would fail.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "numeric/Matrix.h"
#include "numeric/Progress.h"

namespace mNumRec {

using numeric::Matrix;
using numeric::Progress;

// ln n! for n >= 0, from a table for n <= 99 filled on first use and from
// StatDistr::LnGamma(n + 1) above (so FactLn(0) is about 6.5E-12, not 0).
// A negative n fails in LnGamma (1, "LnGamma").
[[nodiscard]] double FactLn(std::int32_t n);

// Heap sort of keys(0 .. n - 1) ascending, applying every move to
// companion(0 .. n - 1) too. Not stable. n < 2 leaves both unchanged.
// Throws 9 when a span is shorter than n.
void HeapSort2(std::int64_t n, std::span<double> keys, std::span<double> companion);

// Replaces the ascending values w(0 .. n - 1) by their ranks 1 .. n, tied
// values by the mean of their ranks, and returns the sum over all groups of
// ties of t^3 - t (t the size of the group). Throws 9 when w is shorter than n.
double RankTies(std::int64_t n, std::span<double> w);

// Spearman rank correlation of the m columns data(0 .. n - 1, c):
// result(i, j) for i = 1 .. m - 1, j < i, corrected for ties.
// Progress: minimum 0, maximum m, value c after column c is copied; then
// maximum m(m - 1)/2 (the value is not moved further).
// Throws 6/11 for n <= 1 or a constant column (with m >= 2), 9 when data or
// result is smaller than the counts.
void SpearmanR(const Matrix& data, std::int64_t n, std::int64_t m, Matrix& result, Progress* progress = nullptr);

// Spearman rank correlation of x(0 .. n - 1) and y(0 .. n - 1) over the
// positions where neither equals code. Gives bit for bit the value of
// SpearmanR when the code does not occur.
// Throws 6/11 for fewer than two usable pairs or a constant vector over them.
[[nodiscard]] double SpearmanPair(std::span<const double> x, std::span<const double> y, std::int64_t n, double code);

// SpearmanR with the missing-value code skipped pair by pair (SpearmanPair for
// every pair). Progress: minimum 0, maximum m(m - 1)/2, value p after pair p.
void GetSpearmanMat(const Matrix& data, std::int64_t n, std::int64_t m, Matrix& result, double code,
                    Progress* progress = nullptr);

// A uniformly random arrangement of lo .. hi (Fisher-Yates): element k of the
// result holds the value at position lo + k. Empty when hi < lo. uniform must
// return values in [0, 1); the overload without it uses the run-time's Rnd.
[[nodiscard]] std::vector<std::int32_t> RandomPermutation(std::int32_t lo, std::int32_t hi,
                                                          const std::function<double()>& uniform);
[[nodiscard]] std::vector<std::int32_t> RandomPermutation(std::int32_t lo, std::int32_t hi);

} // namespace mNumRec
