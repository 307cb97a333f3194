#pragma once

// The small numeric and text engines of libtallowin.so, as plain C++ calls:
// Brent's one-dimensional minimisation, Fisher's exact test of a 2 x 2 table,
// Knuth-Morris-Pratt search and the exchange of two taxa in a packed
// lower-triangular distance matrix. None of them keeps state between calls.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace tallowin {

// ---- Brent minimisation -------------------------------------------------

struct BrentResult {
    double fmin = 0.0;      // f at xmin
    double xmin = 0.0;
    int iterations = 0;     // iterations used; 101 when the stop rule never held
    bool converged = false;
};

// Minimises f inside the bracket (ax, cx) starting from bx: at most 100
// iterations, one call of f per iteration after the first at bx.
BrentResult brentMinimise(double ax, double bx, double cx, const std::function<double(double)>& f, double tol);

// ---- Fisher's exact test ------------------------------------------------

struct ExactResult {
    bool ok = false;            // false: a cell was negative or a probability impossible
    double twoSided = -999.999;
    double oneSided = -999.999;
};

// The test of [[a, b], [c, d]]. Probabilities are handled as logarithms so
// that large tables give their true small p-values. The two-sided p adds the
// tables of the other direction whose |ad - bc| is at least the observed one
// and whose probability is at most the observed table's. Cells from 0 to
// 2^31 - 1; a few milliseconds at most for any such table.
ExactResult fisherExact(int64_t a, int64_t b, int64_t c, int64_t d);

// ---- Knuth-Morris-Pratt search ------------------------------------------

// The failure table: next[0] = -1, next[k] the length of the longest proper
// prefix of pattern[0..k-1] that is also its suffix.
std::vector<int32_t> kmpFailureTable(std::string_view pattern);

// 0-based start of the first match of `pattern` in `text` at or after
// `from`, or -1 (also for an empty pattern).
int32_t kmpFind(std::string_view text, std::string_view pattern, std::size_t from = 0);

// Starts of successive non-overlapping matches (each scan resumes after the
// previous match), at most `maximum` of them.
std::vector<int32_t> kmpFindAll(std::string_view text, std::string_view pattern, int32_t maximum);

// ---- Taxon swap ---------------------------------------------------------

// Number of stored distances of a packed strictly lower triangle of n taxa.
int64_t packedSize(int64_t taxa);

// Exchanges taxa i and j (in either order) of the packed matrix of `taxa`
// taxa, element (r, c), r > c, at index r(r-1)/2 + c. The distance between i
// and j stays where it is. Returns false, changing nothing, when the indices
// are out of range or the matrix is too small; i == j is a no-op.
bool swapTaxa(std::span<double> packed, int32_t taxa, int32_t i, int32_t j);

} // namespace tallowin
