// Time and precision of Fisher's exact test at totals of 10^8 and 2^31 - 1:
// named shapes (all on the diagonal, next to independence, a few standard
// deviations out, skewed margins, one nearly empty row, the symmetric
// [[m, m+1], [m+1, m]]), the slowest of many seeded random tables, and the
// worst relative error of the p-values against the quadruple-precision
// reference walk (tests/engines/ExactReference.h) on seeded tables within
// six standard deviations of independence. Prints its figures; asserts
// nothing.

#include "engines/small/SmallEngines.h"

#include "bench/BenchArgs.h"
#include "tests/engines/ExactReference.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>

namespace {

using exactref::Cells;
using exactref::deviationOf;
using exactref::nearIndependence;

// Seconds per call, the best of a few rounds.
double timeOf(const Cells& t, tallowin::ExactResult& result)
{
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
        const auto t0 = std::chrono::steady_clock::now();
        result = tallowin::fisherExact(t.a, t.b, t.c, t.d);
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

double relativeError(double actual, double expected)
{
    return std::fabs(actual - expected) / std::max(std::fabs(expected), 1e-300);
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args(argc, argv, "\n  Times Fisher's exact test and measures its precision; takes no arguments.\n").finish();
    double worstSeconds = 0.0;
    double worstTwo = 0.0;
    double worstOne = 0.0;
    int compared = 0;
    for (const int64_t n : {int64_t{100000000}, int64_t{2147483647}}) {
        std::printf("total %lld\n", static_cast<long long>(n));
        const int64_t half = n / 2;
        const auto sd = static_cast<int64_t>(deviationOf(n, half, half));
        struct Named {
            const char* name;
            Cells cells;
        };
        const int64_t m = n / 4;
        const Named shapes[] = {
            {"all on the diagonal", {half, 0, 0, n - half}},
            {"one off the diagonal", {half - 1, 1, 1, n - half - 1}},
            {"next to independence", nearIndependence(n, half, half + 7, 1)},
            {"one sd from independence", nearIndependence(n, half, half, sd)},
            {"three sd from independence", nearIndependence(n, half, half, -3 * sd)},
            {"skewed margins, next to independence", nearIndependence(n, n / 50, n / 3, 2)},
            {"one nearly empty row", {3, 5, n / 2, n - n / 2 - 8}},
            {"[[m, m+1], [m+1, m]], m = total / 4", {m, m + 1, m + 1, m}},
        };
        for (const Named& s : shapes) {
            tallowin::ExactResult r;
            const double seconds = timeOf(s.cells, r);
            worstSeconds = std::max(worstSeconds, seconds);
            std::printf("  %-38s %8.3f ms   two-sided %.17g  one-sided %.17g%s\n", s.name, seconds * 1e3, r.twoSided,
                        r.oneSided, r.ok ? "" : "  FAILED");
        }
        // Random tables: uniform cells, and tables within a few standard
        // deviations of independence with random margins.
        std::mt19937_64 rng(static_cast<uint64_t>(n));
        std::uniform_int_distribution<int64_t> cell(0, n / 4);
        std::uniform_real_distribution<double> share(0.01, 0.99);
        std::normal_distribution<double> deviation(0.0, 2.0);
        double slowest = 0.0;
        double total = 0.0;
        const int count = 400;
        for (int k = 0; k < count; ++k) {
            Cells t{cell(rng), cell(rng), cell(rng), cell(rng)};
            if (k % 2 == 1) {
                const auto r1 = static_cast<int64_t>(share(rng) * static_cast<double>(n));
                const auto c1 = static_cast<int64_t>(share(rng) * static_cast<double>(n));
                t = nearIndependence(n, r1, c1, static_cast<int64_t>(deviation(rng) * deviationOf(n, r1, c1)));
                if (t.a < 0 || t.b < 0 || t.c < 0 || t.d < 0)
                    continue;
            }
            tallowin::ExactResult r;
            const double seconds = timeOf(t, r);
            slowest = std::max(slowest, seconds);
            total += seconds;
        }
        worstSeconds = std::max(worstSeconds, slowest);
        std::printf("  %d random tables: mean %.3f ms, slowest %.3f ms\n", count, total / count * 1e3, slowest * 1e3);
    }

    // Precision: seeded tables with totals from 10^8 to 2^31 - 1 (log-uniform)
    // and random margins, within six standard deviations of independence.
    std::mt19937_64 rng(20261209);
    double smallestP = 1.0;
    for (; compared < 300; ++compared) {
        const Cells t = exactref::randomLargeTable(rng, 0.01);
        tallowin::ExactResult r;
        worstSeconds = std::max(worstSeconds, timeOf(t, r));
        const tallowin::ExactResult ref = exactref::walkingFisher(t.a, t.b, t.c, t.d);
        worstTwo = std::max(worstTwo, relativeError(r.twoSided, ref.twoSided));
        worstOne = std::max(worstOne, relativeError(r.oneSided, ref.oneSided));
        smallestP = std::min(smallestP, ref.oneSided);
    }
    std::printf("precision on %d tables of totals 10^8 to 2^31 - 1 (p down to %.3g) against the quadruple-precision "
                "reference:\n  worst relative error two-sided %.3g, one-sided %.3g\n",
                compared, smallestP, worstTwo, worstOne);
    std::printf("worst time of any table above: %.3f ms\n", worstSeconds * 1e3);
    return 0;
}
