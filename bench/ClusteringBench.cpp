// Time and peak memory of the hierarchical clustering route: a seeded
// expression matrix with cluster structure (80 time points x N loci, loci as
// columns, as the clustering dialog lays it out), its distance matrix under
// the Euclidean and the 1 - Pearson measures, and the tree by average
// linkage (visiting order shuffled) and by single linkage.
//
// Usage: bench_clustering [N ...]   (default 2000 5000 10000 16000)
// Prints one line per run: N, measure, rule, distance seconds, tree seconds,
// peak resident memory and its ratio to one packed triangle plus the data.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "analysis/DistanceMatrix.h"
#include "analysis/Geometry.h"
#include "analysis/UPGMA.h"
#include "platform/runtime/Rnd.h"

#include "bench/BenchSupport.h"

namespace {

constexpr std::int32_t kTimePoints = 80;

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::int32_t> sizes;
    for (int a = 1; a < argc; ++a) {
        sizes.push_back(std::atoi(argv[a]));
    }
    if (sizes.empty()) {
        sizes = {2000, 5000, 10000, 16000};
    }
    std::printf("%7s %-9s %-8s %10s %10s %10s %11s %8s\n", "N", "measure", "rule", "dist s", "tree s", "total s",
                "peak MB", "ratio");
    for (const std::int32_t n : sizes) {
        const numeric::Matrix data = bench::expressionData(n, kTimePoints, 20261208U + static_cast<unsigned>(n), bench::Orientation::LociAsColumns);
        std::vector<std::string> names;
        for (std::int32_t g = 0; g < n; ++g) {
            names.push_back("g" + std::to_string(g));
        }
        const double triangle = static_cast<double>(analysis::DistanceMatrix::cellCount(n)) * sizeof(double);
        const double dataBytes = static_cast<double>(kTimePoints) * n * sizeof(double);
        for (const std::int16_t measure : {std::int16_t{1}, std::int16_t{6}}) {
            for (const std::int16_t rule : {std::int16_t{2}, std::int16_t{0}}) {
                bench::resetPeak();
                auto start = std::chrono::steady_clock::now();
                analysis::DistanceMatrix d;
                Geometry::DisMatByIndex(measure, data, kTimePoints, n, true, d, nullptr);
                const double distTime = bench::seconds(start);
                platform::rt::RandomSource rng(n);
                start = std::chrono::steady_clock::now();
                auto root = UPGMA::BuildUpgmaTree(std::move(d), n, rule, names, rule != 0, nullptr, &rng);
                const double treeTime = bench::seconds(start);
                const double peak = bench::peakBytes();
                root.reset();
                std::printf("%7d %-9s %-8s %10.3f %10.3f %10.3f %11.1f %8.3f\n", n,
                            measure == 1 ? "Euclid" : "1-Pearson", rule == 2 ? "average" : "single", distTime,
                            treeTime, distTime + treeTime, peak / 1048576.0, peak / (triangle + dataBytes));
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
