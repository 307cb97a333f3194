#include "engines/small/SmallEngines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace tallowin {
namespace {

struct Table {
    int64_t a, b, c, d;
};

// log of r1! r2! c1! c2! / (n! a! b! c! d!). The arguments are summed in
// sorted order so that tables with the same multisets of margins and cells
// (mirror images) give bit-identical values and compare as ties.
double logProbability(const Table& t)
{
    std::array<int64_t, 4> num{t.a + t.b, t.c + t.d, t.a + t.c, t.b + t.d};
    std::array<int64_t, 5> den{t.a, t.b, t.c, t.d, t.a + t.b + t.c + t.d};
    std::sort(num.begin(), num.end());
    std::sort(den.begin(), den.end());
    double s = 0.0;
    for (int64_t v : num)
        s += std::lgamma(static_cast<double>(v) + 1.0);
    for (int64_t v : den)
        s -= std::lgamma(static_cast<double>(v) + 1.0);
    return s;
}

int64_t absCross(const Table& t)
{
    const int64_t cross = t.a * t.d - t.b * t.c;
    return cross < 0 ? -cross : cross;
}

// Adds exp(logs[k] - shift) for every entry, largest first for accuracy.
double sumScaled(std::vector<double> logs, double shift)
{
    std::sort(logs.begin(), logs.end());
    double s = 0.0;
    for (double l : logs)
        s += std::exp(l - shift);
    return s;
}

// Ties between probabilities are compared with this relative slack, so that
// rounding in the logarithms cannot drop a table of equal probability.
constexpr double kTieSlack = 1e-7;

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

    const double log0 = logProbability(observed);
    const int64_t cross0 = absCross(observed);
    const bool low = a * d - b * c <= 0;

    // Same direction: the observed table and every table further out.
    std::vector<double> sameSide{log0};
    for (Table t = observed;;) {
        if (low) {
            if (t.a <= 0 || t.d <= 0)
                break;
            --t.a, --t.d, ++t.b, ++t.c;
        } else {
            if (t.b <= 0 || t.c <= 0)
                break;
            --t.b, --t.c, ++t.a, ++t.d;
        }
        sameSide.push_back(logProbability(t));
    }

    // Other direction: tables at least as extreme and at most as probable.
    std::vector<double> otherSide;
    const double tieLimit = log0 + std::log1p(kTieSlack);
    for (Table t = observed;;) {
        if (low) {
            if (t.b <= 0 || t.c <= 0)
                break;
            --t.b, --t.c, ++t.a, ++t.d;
        } else {
            if (t.a <= 0 || t.d <= 0)
                break;
            --t.a, --t.d, ++t.b, ++t.c;
        }
        if (absCross(t) < cross0)
            continue;
        const double l = logProbability(t);
        if (l <= tieLimit)
            otherSide.push_back(l);
    }

    // Sum relative to the observed table so nothing underflows on the way.
    const double one = sumScaled(sameSide, log0);
    const double two = one + sumScaled(otherSide, log0);
    ExactResult r{true, std::min(1.0, std::exp(log0 + std::log(two))), std::min(1.0, std::exp(log0 + std::log(one)))};
    if (!std::isfinite(r.oneSided) || !std::isfinite(r.twoSided) || r.oneSided < 0.0 || r.twoSided < 0.0)
        return failed;
    return r;
}

} // namespace tallowin
