// Fisher's exact test of a 2 x 2 table.
//
// The tables with the observed margins lie on a line: one step lowers a and d
// by one and raises b and c by one ("low"), or the reverse ("high"). The
// one-sided p adds the observed table and every table further out in the
// observed direction (low when ad - bc <= 0); the two-sided p adds to it the
// tables on the other side whose |ad - bc| is at least the observed one and
// whose probability is at most the observed table's (within a relative 1e-7,
// so that rounding cannot drop a mirror image of equal probability).
//
// Every probability is taken relative to the observed table's, as
// exp(log P - log P0), with the log-probabilities summed from log-factorials
// in a fixed order (mirror tables come out bit-identical). Walks stop once
// the rest of a tail can no longer change the sum: the probabilities are
// log-concave along the line, so after a step that falls by a ratio rho every
// later step falls at least as much, and the rest adds at most
// term x rho / (1 - rho).
//
// Cost: the tables of the other side that fail the two-sided rule form at
// most one interval near the start and are skipped by bisection, not walked.
// The first tables of each tail are evaluated from their log-factorials
// (four log-gamma calls each); past them a tail runs on in extended precision
// by the exact ratio of neighbouring tables, P(next) / P(t) = a d / ((b+1)(c+1))
// for a low step and b c / ((a+1)(d+1)) for a high step, which costs a few
// multiplications. Every table of 32-bit cells takes well under a millisecond
// to a few milliseconds, whatever its total.

#include "engines/small/SmallEngines.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tallowin {
namespace {

// log(x!) for x >= 0. The reentrant form leaves the library's global sign
// variable alone, so that concurrent calls do not race on it.
double logFactorial(int64_t x)
{
#if defined(__GLIBC__)
    int sign = 0;
    return lgamma_r(static_cast<double>(x) + 1.0, &sign);
#else
    return std::lgamma(static_cast<double>(x) + 1.0);
#endif
}

struct Table {
    int64_t a, b, c, d;
};

// The table k steps from `t` (k may exceed no reach: see `reach`).
Table stepped(const Table& t, bool low, int64_t k)
{
    return low ? Table{t.a - k, t.b + k, t.c + k, t.d - k} : Table{t.a + k, t.b - k, t.c - k, t.d + k};
}

// How many steps the line has beyond `t` in a direction.
int64_t reach(const Table& t, bool low)
{
    return low ? std::min(t.a, t.d) : std::min(t.b, t.c);
}

// P(next) / P(t) for one step from t.
long double stepRatio(const Table& t, bool low)
{
    using L = long double;
    return low ? (L(t.a) * L(t.d)) / ((L(t.b) + 1) * (L(t.c) + 1))
               : (L(t.b) * L(t.c)) / ((L(t.a) + 1) * (L(t.d) + 1));
}

// Whether one step from t does not raise the probability, decided on exact
// integers (cells below 2^31, so the products fit in 128 bits).
bool stepFalls(const Table& t, bool low)
{
    using W = __int128;
    return low ? W(t.a) * W(t.d) <= W(t.b + 1) * W(t.c + 1) : W(t.b) * W(t.c) <= W(t.a + 1) * W(t.d + 1);
}

// log of r1! r2! c1! c2! / (n! a! b! c! d!) for the tables of fixed margins.
// The margins' part is summed once; the cells are subtracted in ascending
// order and n! last, so the value depends only on the multiset of cells.
class LogProbability {
public:
    explicit LogProbability(const Table& t)
    {
        std::array<int64_t, 4> margins{t.a + t.b, t.c + t.d, t.a + t.c, t.b + t.d};
        std::sort(margins.begin(), margins.end());
        for (int64_t v : margins)
            m_margins += logFactorial(v);
        m_total = logFactorial(t.a + t.b + t.c + t.d);
    }

    double operator()(const Table& t) const
    {
        std::array<int64_t, 4> cells{t.a, t.b, t.c, t.d};
        std::sort(cells.begin(), cells.end());
        double s = m_margins;
        for (int64_t v : cells)
            s -= logFactorial(v);
        return s - m_total;
    }

private:
    double m_margins = 0.0;
    double m_total = 0.0;
};

// Ties between probabilities are compared with this relative slack, so that
// rounding in the logarithms cannot drop a table of equal probability.
constexpr double TieSlack = 1e-7;

// Terms of one tail evaluated from log-factorials before it runs on by ratios.
constexpr int64_t ExactTerms = 4096;

// Whether the rest of a falling tail is below what the sum can resolve.
bool negligible(long double term, long double rho, long double total)
{
    return rho < 1 && term * rho / (1 - rho) < 1e-17L * total;
}

// Sums the probabilities (relative to the observed table) of the tables
// k = from .. to steps from it in one direction that pass the two-sided rule
// when `tiesOnly` is set (P at most P0 within the slack); every table passes
// otherwise. `base` is what the total already holds outside this walk.
class TailWalk {
public:
    TailWalk(const Table& observed, bool low, const LogProbability& logP, double log0)
        : m_observed(observed), m_low(low), m_logP(logP), m_log0(log0)
    {
    }

    [[nodiscard]] double relative(int64_t k) const { return m_logP(stepped(m_observed, m_low, k)) - m_log0; }

    // Returns true when the walk stopped because the rest was negligible.
    bool add(int64_t from, int64_t to, bool tiesOnly, long double base, long double& sum)
    {
        const double tieLimit = std::log1p(TieSlack);
        const long double tieTerm = 1.0L + TieSlack;
        double previous = from == 1 ? 0.0 : relative(from - 1);
        long double term = std::exp(static_cast<long double>(previous));
        for (int64_t k = from; k <= to; ++k) {
            if (m_exactLeft > 0) {
                --m_exactLeft;
                const double rel = relative(k);
                term = std::exp(static_cast<long double>(rel));
                if (!tiesOnly || rel <= tieLimit) {
                    sum += static_cast<double>(term);
                    const long double rho = rel < previous ? std::exp(static_cast<long double>(rel - previous)) : 1;
                    if (negligible(term, rho, base + sum))
                        return true;
                }
                previous = rel;
                continue;
            }
            const long double rho = stepRatio(stepped(m_observed, m_low, k - 1), m_low);
            term *= rho;
            if (!tiesOnly || term <= tieTerm) {
                sum += term;
                if (negligible(term, rho, base + sum))
                    return true;
            }
        }
        return false;
    }

private:
    Table m_observed;
    bool m_low;
    const LogProbability& m_logP;
    double m_log0;
    int64_t m_exactLeft = ExactTerms;
};

// First k in [lo, hi] where `holds` (false before, true from there on), or
// hi + 1 when it never holds.
template <class Pred>
int64_t firstWhere(int64_t lo, int64_t hi, Pred holds)
{
    int64_t first = hi + 1;
    while (lo <= hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (holds(mid)) {
            first = mid;
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
    }
    return first;
}

// Tables near a bisected boundary whose rounded log-probability disagrees
// with the exact order are looked at one by one this far.
constexpr int64_t BoundarySlack = 64;

} // namespace

ExactResult fisherExact(int64_t a, int64_t b, int64_t c, int64_t d)
{
    ExactResult failed;
    constexpr int64_t kCellLimit = int64_t{1} << 31;
    if (a < 0 || b < 0 || c < 0 || d < 0 || a >= kCellLimit || b >= kCellLimit || c >= kCellLimit
        || d >= kCellLimit)
        return failed;

    const Table observed{a, b, c, d};
    if (a * d == b * c)
        return {true, 1.0, 0.5};

    const LogProbability logP(observed);
    const double log0 = logP(observed);
    const int64_t n = a + b + c + d;
    const int64_t cross0 = a * d - b * c < 0 ? b * c - a * d : a * d - b * c;
    const bool low = a * d - b * c <= 0;

    // Same direction: the observed table and every table further out, each
    // less probable than the one before.
    long double one = 1.0L;
    {
        TailWalk walk(observed, low, logP, log0);
        long double tail = 0.0L;
        walk.add(1, reach(observed, low), false, 1.0L, tail);
        one += tail;
    }

    // Other direction. Step k changes ad - bc by k n towards and past zero, so
    // |ad - bc| reaches the observed value from step ceil(2 |ad - bc| / n) on.
    // Along the way the probabilities rise to the mode and then fall, so the
    // tables more probable than the observed one form one interval: before
    // it the rising tables that pass, after it the falling tail.
    long double other = 0.0L;
    const int64_t last = reach(observed, !low);
    const int64_t lo = std::max<int64_t>(1, static_cast<int64_t>((2 * static_cast<unsigned __int128>(cross0) + n - 1) / n));
    if (lo <= last) {
        TailWalk walk(observed, !low, logP, log0);
        const double tieLimit = std::log1p(TieSlack);
        auto tooProbable = [&](int64_t k) { return walk.relative(k) > tieLimit; };
        // The mode: the first table from which a step no longer rises.
        const int64_t mode = firstWhere(0, last - 1, [&](int64_t k) { return stepFalls(stepped(observed, !low, k), !low); });
        int64_t fallingFrom = lo; // start of the falling tail's walk
        bool stopped = false;
        if (lo <= mode) {
            const int64_t risingEnd = firstWhere(lo, mode, tooProbable);
            if (risingEnd <= mode) {
                const int64_t until = std::min(risingEnd - 1 + BoundarySlack, mode);
                stopped = walk.add(lo, until, true, one, other);
                fallingFrom = firstWhere(mode, last, [&](int64_t k) { return !tooProbable(k); });
                fallingFrom = std::max(until + 1, fallingFrom - BoundarySlack);
            }
        } else {
            fallingFrom = std::max(lo, firstWhere(lo, last, [&](int64_t k) { return !tooProbable(k); }) - BoundarySlack);
        }
        if (!stopped && fallingFrom <= last)
            walk.add(fallingFrom, last, true, one, other);
    }

    const double oneSum = static_cast<double>(one);
    const double twoSum = static_cast<double>(one + other);
    ExactResult r{true, std::min(1.0, std::exp(log0 + std::log(twoSum))), std::min(1.0, std::exp(log0 + std::log(oneSum)))};
    if (!std::isfinite(r.oneSided) || !std::isfinite(r.twoSided) || r.oneSided < 0.0 || r.twoSided < 0.0)
        return failed;
    return r;
}

} // namespace tallowin
