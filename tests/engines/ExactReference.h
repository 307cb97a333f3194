#pragma once

// The reference for Fisher's exact test: the walk that evaluates every table
// from the observed one outward, each probability from its log-factorials,
// and stops a walk only once the log-concave tail can no longer change the
// sum. The engine must give the same p-values (tests/engines/ExactTest.cpp).

#include "engines/small/SmallEngines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace exactref {

using tallowin::ExactResult;

namespace detail {

// log(x!) for x >= 0. The reentrant form leaves the library's global sign
// variable alone, so that concurrent calls do not race on it.
inline double logFactorial(int64_t x)
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

// log of r1! r2! c1! c2! / (n! a! b! c! d!). The arguments are summed in
// sorted order so that tables with the same multisets of margins and cells
// (mirror images) give bit-identical values and compare as ties.
inline double logProbability(const Table& t)
{
    std::array<int64_t, 4> num{t.a + t.b, t.c + t.d, t.a + t.c, t.b + t.d};
    std::array<int64_t, 5> den{t.a, t.b, t.c, t.d, t.a + t.b + t.c + t.d};
    std::sort(num.begin(), num.end());
    std::sort(den.begin(), den.end());
    double s = 0.0;
    for (int64_t v : num)
        s += logFactorial(v);
    for (int64_t v : den)
        s -= logFactorial(v);
    return s;
}

inline int64_t absCross(const Table& t)
{
    const int64_t cross = t.a * t.d - t.b * t.c;
    return cross < 0 ? -cross : cross;
}

// Ties between probabilities are compared with this relative slack, so that
// rounding in the logarithms cannot drop a table of equal probability.
constexpr double kTieSlack = 1e-7;

} // namespace detail

using namespace detail;


inline ExactResult walkingFisher(int64_t a, int64_t b, int64_t c, int64_t d)
{
    ExactResult failed;
    constexpr int64_t kCellLimit = int64_t{1} << 31;
    if (a < 0 || b < 0 || c < 0 || d < 0 || a >= kCellLimit || b >= kCellLimit || c >= kCellLimit
        || d >= kCellLimit)
        return failed;

    const Table observed{a, b, c, d};
    if (a * d == b * c)
        return {true, 1.0, 0.5};

    const double log0 = logProbability(observed);
    const int64_t cross0 = absCross(observed);
    const bool low = a * d - b * c <= 0;

    // Tables with these margins have log-concave probabilities: once a walk
    // outward sees them fall by a ratio rho, every later step falls at least as
    // much, so the rest of the walk adds at most term * rho / (1 - rho). The
    // walks stop when that can no longer change the sums. Probabilities are
    // taken relative to the observed table's so that nothing underflows.
    auto outward = [](Table t, bool towardLow) -> std::optional<Table> {
        if (towardLow) {
            if (t.a <= 0 || t.d <= 0)
                return std::nullopt;
            --t.a, --t.d, ++t.b, ++t.c;
        } else {
            if (t.b <= 0 || t.c <= 0)
                return std::nullopt;
            --t.b, --t.c, ++t.a, ++t.d;
        }
        return t;
    };
    // `rel` and `previousRel` are consecutive log probabilities relative to
    // the observed table; `term` is exp(rel).
    auto negligible = [](double rel, double previousRel, double term, double total) {
        if (rel >= previousRel)
            return false;
        const double rho = std::exp(rel - previousRel);
        return term * rho / (1.0 - rho) < 1e-17 * total;
    };

    // Same direction: the observed table and every table further out.
    double one = 1.0;
    double previousRel = 0.0;
    for (auto t = outward(observed, low); t; t = outward(*t, low)) {
        const double rel = logProbability(*t) - log0;
        const double term = std::exp(rel);
        one += term;
        if (negligible(rel, previousRel, term, one))
            break;
        previousRel = rel;
    }

    // Other direction: tables at least as extreme and at most as probable.
    double other = 0.0;
    previousRel = 0.0;
    const double tieLimit = std::log1p(kTieSlack);
    for (auto t = outward(observed, !low); t; t = outward(*t, !low)) {
        const double rel = logProbability(*t) - log0;
        if (absCross(*t) >= cross0 && rel <= tieLimit) {
            const double term = std::exp(rel);
            other += term;
            if (negligible(rel, previousRel, term, one + other))
                break;
        }
        previousRel = rel;
    }

    ExactResult r{true, std::min(1.0, std::exp(log0 + std::log(one + other))),
                  std::min(1.0, std::exp(log0 + std::log(one)))};
    if (!std::isfinite(r.oneSided) || !std::isfinite(r.twoSided) || r.oneSided < 0.0 || r.twoSided < 0.0)
        return failed;
    return r;
}

} // namespace exactref
