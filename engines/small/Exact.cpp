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
// Precision. Every probability is taken relative to the observed table's.
// Along a walk the relative probability moves by the exact ratio of
// neighbouring tables, P(next) / P(t) = a d / ((b+1)(c+1)) for a low step and
// b c / ((a+1)(d+1)) for a high step, in extended precision. Where a walk
// starts away from the observed table, and for the observed table's own
// probability, log P comes from a form without large cancelling terms:
// with Stirling's series ln x! = x ln x - x + H(x),
//   ln P = sum H(margins) - H(n) - sum H(cells) - chi2 - sum cell w(u_cell),
// where chi2 = n (ad - bc)^2 / (r1 r2 c1 c2) is Pearson's statistic,
// u_cell = +-(ad - bc) / (row col) the cell's relative departure from
// independence and w(u) = ln(1 + u) - u. The x ln x terms of the factorials,
// about 4e10 each near 2^31, cancel analytically into the last two sums,
// whose terms all have one sign, so ln P keeps its absolute precision
// (about 1e-15 for p-values that a double can hold) at any total. Mirror
// tables give bit-identical values (each sum is taken in sorted order).
//
// Walks stop once the rest of a tail can no longer change the sum: the
// probabilities are log-concave along the line, so after a step away from
// the mode that falls by a ratio rho every later step falls at least as
// much, and the rest adds at most term x rho / (1 - rho). Each walk starts at
// the most probable table of its range and goes outward, so that no term can
// underflow before the large ones come.
//
// Cost: the tables of the other side that fail the two-sided rule form at
// most one interval around the mode and are skipped by bisection, not
// walked. Every table of 32-bit cells takes well under a millisecond to a
// few milliseconds, whatever its total.

#include "engines/small/SmallEngines.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tallowin {
namespace {

using Real = long double;

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

// Cells along the line reach the margins, below 2^32, so the products of
// two of them need 64 bits without a sign: they are taken exactly in the
// 64-bit significand of Real, and in 128-bit integers where compared.
Real product(int64_t x, int64_t y)
{
    return static_cast<Real>(x) * static_cast<Real>(y);
}

// P(next) / P(t) for one step from t, rounded once.
Real stepRatio(const Table& t, bool low)
{
    return low ? product(t.a, t.d) / product(t.b + 1, t.c + 1) : product(t.b, t.c) / product(t.a + 1, t.d + 1);
}

// Whether one step from t does not raise the probability, decided on exact
// integers.
bool stepFalls(const Table& t, bool low)
{
    using W = __int128;
    return low ? W(t.a) * t.d <= W(t.b + 1) * (t.c + 1) : W(t.b) * t.c <= W(t.a + 1) * (t.d + 1);
}

// H(x) = ln x! - x ln x + x (0 for x = 0): the part of ln x! that Stirling's
// series gives as 1/2 ln(2 pi x) + 1/(12 x) - 1/(360 x^3) + ... From 32 on
// the series to x^-9 is exact to below 1e-19; below it the values are small
// and come from the log-gamma function directly.
Real stirlingRest(int64_t x)
{
    if (x == 0)
        return 0;
    const Real v = static_cast<Real>(x);
    if (x < 32) {
#if defined(__GLIBC__)
        int sign = 0; // the reentrant form leaves the global sign variable alone
        return lgammal_r(v + 1, &sign) - v * std::log(v) + v;
#else
        return std::lgamma(v + 1) - v * std::log(v) + v;
#endif
    }
    constexpr Real twoPi = 6.283185307179586476925286766559L;
    const Real r = 1 / v;
    const Real r2 = r * r;
    return 0.5L * std::log(twoPi * v)
        + r * (1.0L / 12 - r2 * (1.0L / 360 - r2 * (1.0L / 1260 - r2 * (1.0L / 1680 - r2 / 1188))));
}

// w(u) = ln(1 + u) - u for u > -1, always <= 0. Near 0 from its series,
// whose terms fall by |u| at least, so that no digits cancel.
Real logOnePlusMinus(Real u)
{
    if (std::fabs(u) >= 0.125L)
        return std::log1p(u) - u;
    Real power = u * u;
    Real sum = -power / 2;
    for (int k = 3; k < 40; ++k) {
        power *= u;
        const Real term = (k % 2 == 1 ? power : -power) / k;
        sum += term;
        if (std::fabs(term) < 1e-22L * std::fabs(sum))
            break;
    }
    return sum;
}

// ln of r1! r2! c1! c2! / (n! a! b! c! d!) for the tables of fixed margins
// (the form in the head of this file).
class LogProbability {
public:
    explicit LogProbability(const Table& t)
        : m_r1(t.a + t.b), m_r2(t.c + t.d), m_c1(t.a + t.c), m_c2(t.b + t.d), m_n(t.a + t.b + t.c + t.d)
    {
        std::array<int64_t, 4> margins{m_r1, m_r2, m_c1, m_c2};
        std::sort(margins.begin(), margins.end());
        for (int64_t v : margins)
            m_margins += stirlingRest(v);
        m_margins -= stirlingRest(m_n);
        m_chiScale = static_cast<Real>(m_n) / product(m_r1, m_r2) / product(m_c1, m_c2);
    }

    Real operator()(const Table& t) const
    {
        const Real delta = static_cast<Real>(static_cast<__int128>(t.a) * t.d - static_cast<__int128>(t.b) * t.c);
        const Real chi2 = delta * delta * m_chiScale;
        std::array<Real, 4> departures{departure(t.a, delta, product(m_r1, m_c1)), departure(t.b, -delta, product(m_r1, m_c2)),
                                       departure(t.c, -delta, product(m_r2, m_c1)), departure(t.d, delta, product(m_r2, m_c2))};
        std::sort(departures.begin(), departures.end());
        std::array<int64_t, 4> cells{t.a, t.b, t.c, t.d};
        std::sort(cells.begin(), cells.end());
        Real cellsRest = 0;
        for (int64_t v : cells)
            cellsRest += stirlingRest(v);
        Real departureSum = 0;
        for (Real v : departures)
            departureSum += v;
        return m_margins - chi2 - departureSum - cellsRest;
    }

private:
    // cell x w(u) for u = signedDelta / rowTimesColumn (0 for an empty cell).
    static Real departure(int64_t cell, Real signedDelta, Real rowTimesColumn)
    {
        return cell == 0 ? 0 : static_cast<Real>(cell) * logOnePlusMinus(signedDelta / rowTimesColumn);
    }

    int64_t m_r1, m_r2, m_c1, m_c2, m_n;
    Real m_margins = 0;
    Real m_chiScale = 0;
};

// Ties between probabilities are compared with this relative slack, so that
// rounding cannot drop a table of equal probability.
constexpr double TieSlack = 1e-7;

// The tables of one direction from the observed table, k = 1, 2, ... steps
// away, with their probabilities relative to the observed one.
class Side {
public:
    Side(const Table& observed, bool low, const LogProbability& logP, Real log0)
        : m_observed(observed), m_low(low), m_logP(logP), m_log0(log0)
    {
    }

    [[nodiscard]] Real relativeLog(int64_t k) const
    {
        return k == 0 ? 0 : m_logP(stepped(m_observed, m_low, k)) - m_log0;
    }

    // P(k + 1) / P(k).
    [[nodiscard]] Real ratio(int64_t k) const { return stepRatio(stepped(m_observed, m_low, k), m_low); }

    // Walks the tables from `start` to `end` (either way), `start` being the
    // most probable of them, and adds to `sum` each relative probability
    // that passes (all of them, or with `tiesOnly` those at most the
    // observed one within the slack). The walk stops once the rest is below
    // 1e-17 of its own sum, or below 1e-30 of `base` (what the p-value holds
    // besides), which ends walks whose terms are all too small to count.
    // Returns whether a table was left out by the slack rule.
    bool walk(int64_t start, int64_t end, bool tiesOnly, Real base, Real& sum) const
    {
        const Real tieTerm = 1 + static_cast<Real>(TieSlack);
        const int64_t step = end >= start ? 1 : -1;
        // The first table next to the observed one comes by its exact ratio,
        // so that both sides of a symmetric line sum the same numbers.
        Real term = start == 1 ? ratio(0) : std::exp(relativeLog(start));
        bool leftOut = false;
        for (int64_t k = start;; k += step) {
            if (!tiesOnly || term <= tieTerm)
                sum += term;
            else
                leftOut = true;
            if (k == end)
                break;
            const Real rho = step > 0 ? ratio(k) : 1 / ratio(k - 1);
            if (rho < 1) {
                const Real rest = term * rho / (1 - rho);
                if (rest < 1e-17L * sum || rest < 1e-30L * base)
                    break;
            }
            term *= rho;
        }
        return leftOut;
    }

private:
    Table m_observed;
    bool m_low;
    const LogProbability& m_logP;
    Real m_log0;
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

// Tables next to a bisected boundary are walked this far into the excluded
// interval and decided one by one on their walked probabilities.
constexpr int64_t BoundarySlack = 8;

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
    const Real log0 = logP(observed);
    const int64_t n = a + b + c + d;
    const int64_t cross0 = a * d - b * c < 0 ? b * c - a * d : a * d - b * c;
    const bool low = a * d - b * c <= 0;

    // Same direction: the observed table and every table further out, each
    // less probable than the one before.
    Real one = 1;
    if (reach(observed, low) >= 1)
        Side(observed, low, logP, log0).walk(1, reach(observed, low), false, 0, one);

    // Other direction. Step k changes ad - bc by k n towards and past zero, so
    // |ad - bc| reaches the observed value from step ceil(2 |ad - bc| / n) on.
    // Along the way the probabilities rise to the mode and then fall, so the
    // tables more probable than the observed one form one interval around the
    // mode: before it the rising tables that pass, after it the falling tail.
    Real other = 0;
    const int64_t last = reach(observed, !low);
    const int64_t lo = std::max<int64_t>(1, static_cast<int64_t>((2 * static_cast<unsigned __int128>(cross0) + n - 1) / n));
    bool leftOut = lo > 1;
    if (lo <= last) {
        const Side side(observed, !low, logP, log0);
        const Real tieLimit = std::log1p(static_cast<Real>(TieSlack));
        auto tooProbable = [&](int64_t k) { return side.relativeLog(k) > tieLimit; };
        // The mode: the first table from which a step no longer rises.
        const int64_t mode =
            firstWhere(0, last - 1, [&](int64_t k) { return stepFalls(stepped(observed, !low, k), !low); });
        if (lo <= mode) {
            const int64_t risingEnd = firstWhere(lo, mode, tooProbable);
            if (risingEnd > mode) {
                // Even the mode passes: every table from lo on counts.
                leftOut = side.walk(mode, lo, true, one, other) || leftOut;
                if (mode < last)
                    leftOut = side.walk(mode + 1, last, true, one, other) || leftOut;
            } else {
                leftOut = true;
                const int64_t risingTop = std::min(risingEnd - 1 + BoundarySlack, mode);
                side.walk(risingTop, lo, true, one, other);
                const int64_t fallingFrom = std::max(
                    risingTop + 1, firstWhere(mode, last, [&](int64_t k) { return !tooProbable(k); }) - BoundarySlack);
                if (fallingFrom <= last)
                    side.walk(fallingFrom, last, true, one, other);
            }
        } else {
            const int64_t fallingFrom = firstWhere(lo, last, [&](int64_t k) { return !tooProbable(k); });
            leftOut = leftOut || fallingFrom > lo;
            const int64_t start = std::max(lo, fallingFrom - BoundarySlack);
            if (start <= last && side.walk(start, last, true, one, other))
                leftOut = true;
        }
    }

    ExactResult r;
    if (!leftOut) {
        // Every table of the line counts, so the two-sided p is 1; the
        // one-sided p is then its share of the whole line's sum, which keeps
        // the two exactly consistent (a symmetric line gives exactly 0.5).
        r = {true, 1.0, static_cast<double>(one / (one + other))};
    } else {
        r = {true, static_cast<double>(std::min<Real>(1, std::exp(log0 + std::log(one + other)))),
             static_cast<double>(std::min<Real>(1, std::exp(log0 + std::log(one))))};
    }
    if (!std::isfinite(r.oneSided) || !std::isfinite(r.twoSided) || r.oneSided < 0.0 || r.twoSided < 0.0)
        return failed;
    return r;
}

} // namespace tallowin
