#pragma once

// The reference for Fisher's exact test, in quadruple precision (113-bit
// significand): the observed table's log-probability from quad log-gamma
// values, which keep about 1e-23 of absolute precision even near totals of
// 2^32, and every other table's probability relative to it by walking the
// line one table at a time with the exact ratio of neighbouring tables. Each
// table of the other direction is tested against the two-sided rule on its
// own (no bisection, no skipping), and a walk stops only once the
// log-concave tail can no longer change the sum in the 30th digit. The
// engine must give the same p-values to near double precision
// (tests/engines/ExactTest.cpp, bench/ExactBench.cpp).

#include "engines/small/SmallEngines.h"

#include <quadmath.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

namespace exactref {

using tallowin::ExactResult;

namespace detail {

using Quad = __float128;

struct Table {
    int64_t a, b, c, d;
};

inline Quad logFactorial(int64_t x)
{
    return lgammaq(static_cast<Quad>(x) + 1);
}

// log of r1! r2! c1! c2! / (n! a! b! c! d!).
inline Quad logProbability(const Table& t)
{
    return logFactorial(t.a + t.b) + logFactorial(t.c + t.d) + logFactorial(t.a + t.c) + logFactorial(t.b + t.d)
        - logFactorial(t.a + t.b + t.c + t.d) - logFactorial(t.a) - logFactorial(t.b) - logFactorial(t.c)
        - logFactorial(t.d);
}

// |ad - bc|; cells along the line reach the margins, below 2^32.
inline __int128 absCross(const Table& t)
{
    const __int128 cross = static_cast<__int128>(t.a) * t.d - static_cast<__int128>(t.b) * t.c;
    return cross < 0 ? -cross : cross;
}

// One step along the line, with P(next) / P(t); false at the line's end.
inline bool step(Table& t, bool low, Quad& ratio)
{
    if (low) {
        if (t.a <= 0 || t.d <= 0)
            return false;
        ratio = static_cast<Quad>(t.a) * static_cast<Quad>(t.d) / (static_cast<Quad>(t.b + 1) * static_cast<Quad>(t.c + 1));
        --t.a, --t.d, ++t.b, ++t.c;
    } else {
        if (t.b <= 0 || t.c <= 0)
            return false;
        ratio = static_cast<Quad>(t.b) * static_cast<Quad>(t.c) / (static_cast<Quad>(t.a + 1) * static_cast<Quad>(t.d + 1));
        --t.b, --t.c, ++t.a, ++t.d;
    }
    return true;
}

// Whether the rest of a walk that now falls by `ratio` per step is below
// what the sum can show in 30 digits.
inline bool negligible(Quad term, Quad ratio, Quad total)
{
    return ratio < 1 && term * ratio / (1 - ratio) < Quad(1e-30) * total;
}

// Ties between probabilities are compared with this relative slack.
constexpr double kTieSlack = 1e-7;

} // namespace detail

// The test of [[a, b], [c, d]] with the engine's rules, for cells from 0 to
// 2^31 - 1. The cost grows with the number of tables between the observed
// one and the end of the other side's significant tail.
inline ExactResult walkingFisher(int64_t a, int64_t b, int64_t c, int64_t d)
{
    using namespace detail;
    ExactResult failed;
    constexpr int64_t kCellLimit = int64_t{1} << 31;
    if (a < 0 || b < 0 || c < 0 || d < 0 || a >= kCellLimit || b >= kCellLimit || c >= kCellLimit
        || d >= kCellLimit)
        return failed;

    const Table observed{a, b, c, d};
    if (a * d == b * c)
        return {true, 1.0, 0.5};

    const Quad log0 = logProbability(observed);
    const __int128 cross0 = absCross(observed);
    const bool low = a * d - b * c <= 0;

    // Same direction: the observed table and every table further out.
    Quad one = 1;
    {
        Table t = observed;
        Quad term = 1, ratio = 0;
        while (step(t, low, ratio)) {
            term *= ratio;
            one += term;
            if (negligible(term, ratio, one))
                break;
        }
    }

    // Other direction: tables at least as extreme and at most as probable.
    Quad other = 0;
    {
        const Quad tieTerm = 1 + Quad(kTieSlack);
        Table t = observed;
        Quad term = 1, ratio = 0;
        while (step(t, !low, ratio)) {
            term *= ratio;
            if (absCross(t) >= cross0 && term <= tieTerm)
                other += term;
            if (absCross(t) >= cross0 && negligible(term, ratio, one + other))
                break;
        }
    }

    const Quad two = expq(log0 + logq(one + other));
    const Quad oneSided = expq(log0 + logq(one));
    return {true, static_cast<double>(std::min<Quad>(1, two)), static_cast<double>(std::min<Quad>(1, oneSided))};
}

// ---- Tables for the comparisons --------------------------------------------

struct Cells {
    int64_t a, b, c, d;
};

// The table nearest independence for margins r1, c1 of total n, moved by
// `shift` steps (a up, b and c down, d up); cells may come out negative.
inline Cells nearIndependence(int64_t n, int64_t r1, int64_t c1, int64_t shift)
{
    const auto expected = static_cast<int64_t>(std::llround(static_cast<double>(r1) * static_cast<double>(c1) / n));
    const int64_t a = expected + shift;
    return {a, r1 - a, c1 - a, n - r1 - c1 + a};
}

// Standard deviation of a for the margins r1, c1 of total n.
inline double deviationOf(int64_t n, int64_t r1, int64_t c1)
{
    const auto x = [](int64_t v) { return static_cast<double>(v); };
    return std::sqrt(x(r1) * x(c1) * x(n - r1) * x(n - c1) / x(n)) / x(n);
}

// A random table with a total from 10^8 to 2^31 - 1 (log-uniform), each
// margin's share of it from `share` to 1 - `share`, and a within six
// standard deviations of independence. The log-factorials are near 4e10
// here, so any form that sums them in double precision is off by about
// 1e-5 in each log-probability.
inline Cells randomLargeTable(std::mt19937_64& rng, double share)
{
    std::uniform_real_distribution<double> logTotal(std::log(1e8), std::log(2147483647.0));
    std::uniform_real_distribution<double> shares(share, 1 - share);
    std::uniform_real_distribution<double> deviations(-6.0, 6.0);
    for (;;) {
        const auto n = static_cast<int64_t>(std::exp(logTotal(rng)));
        const auto r1 = static_cast<int64_t>(shares(rng) * static_cast<double>(n));
        const auto c1 = static_cast<int64_t>(shares(rng) * static_cast<double>(n));
        const Cells t = nearIndependence(n, r1, c1, static_cast<int64_t>(deviations(rng) * deviationOf(n, r1, c1)));
        if (t.a >= 0 && t.b >= 0 && t.c >= 0 && t.d >= 0)
            return t;
    }
}

} // namespace exactref
