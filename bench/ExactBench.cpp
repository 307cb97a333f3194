// Time of Fisher's exact test per table at totals of 10^8 and 2^31 - 1: named
// shapes (all on the diagonal, next to independence, a few standard
// deviations out, skewed margins, one nearly empty row) and the slowest of
// many seeded random tables. Prints its figures; asserts nothing.

#include "engines/small/SmallEngines.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>

namespace {

struct Cells {
    int64_t a, b, c, d;
};

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

Cells nearIndependence(int64_t n, int64_t r1, int64_t c1, int64_t shift)
{
    const auto expected = static_cast<int64_t>(std::llround(static_cast<double>(r1) * static_cast<double>(c1) / n));
    const int64_t a = expected + shift;
    return {a, r1 - a, c1 - a, n - r1 - c1 + a};
}

} // namespace

int main()
{
    for (const int64_t n : {int64_t{100000000}, int64_t{2147483647}}) {
        std::printf("total %lld\n", static_cast<long long>(n));
        const int64_t half = n / 2;
        // Standard deviation of a for balanced margins: sqrt(n) / 4.
        const auto sd = static_cast<int64_t>(std::sqrt(static_cast<double>(n)) / 4);
        struct Named {
            const char* name;
            Cells cells;
        };
        const Named shapes[] = {
            {"all on the diagonal", {half, 0, 0, n - half}},
            {"one off the diagonal", {half - 1, 1, 1, n - half - 1}},
            {"next to independence", nearIndependence(n, half, half + 7, 1)},
            {"one sd from independence", nearIndependence(n, half, half, sd)},
            {"three sd from independence", nearIndependence(n, half, half, -3 * sd)},
            {"skewed margins, next to independence", nearIndependence(n, n / 50, n / 3, 2)},
            {"one nearly empty row", {3, 5, n / 2, n - n / 2 - 8}},
        };
        for (const Named& s : shapes) {
            tallowin::ExactResult r;
            const double seconds = timeOf(s.cells, r);
            std::printf("  %-38s %8.3f ms   two-sided %.6g  one-sided %.6g%s\n", s.name, seconds * 1e3, r.twoSided,
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
                t = nearIndependence(n, r1, c1, static_cast<int64_t>(deviation(rng) * static_cast<double>(sd)));
                if (t.a < 0 || t.b < 0 || t.c < 0 || t.d < 0)
                    continue;
            }
            tallowin::ExactResult r;
            const double seconds = timeOf(t, r);
            slowest = std::max(slowest, seconds);
            total += seconds;
        }
        std::printf("  %d random tables: mean %.3f ms, slowest %.3f ms\n", count, total / count * 1e3, slowest * 1e3);
    }
    return 0;
}
