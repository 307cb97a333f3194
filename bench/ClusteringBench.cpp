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

namespace {

constexpr std::int32_t kTimePoints = 80;
constexpr int kClusters = 25;

numeric::Matrix expressionData(std::int32_t loci, unsigned seed)
{
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> normal(0, 1);
    std::vector<std::vector<double>> centre(kClusters, std::vector<double>(kTimePoints));
    for (auto& profile : centre) {
        double level = 8 + 2 * normal(gen);
        for (double& v : profile) {
            level += 0.4 * normal(gen);
            v = level;
        }
    }
    numeric::Matrix data(kTimePoints, static_cast<std::size_t>(loci));
    std::uniform_int_distribution<int> pick(0, kClusters - 1);
    for (std::int32_t g = 0; g < loci; ++g) {
        const auto& profile = centre[static_cast<std::size_t>(pick(gen))];
        const double gain = 1 + 0.2 * normal(gen);
        for (std::int32_t t = 0; t < kTimePoints; ++t) {
            data(static_cast<std::size_t>(t), static_cast<std::size_t>(g)) =
                gain * profile[static_cast<std::size_t>(t)] + 0.5 * normal(gen);
        }
    }
    return data;
}

// Resets the peak resident size of this process (Linux 4.0 and later).
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Peak resident size in bytes since the last reset.
double peakBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atof(line.c_str() + 6) * 1024.0;
        }
    }
    return 0;
}

double seconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

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
        const numeric::Matrix data = expressionData(n, 20261208U + static_cast<unsigned>(n));
        std::vector<std::string> names;
        for (std::int32_t g = 0; g < n; ++g) {
            names.push_back("g" + std::to_string(g));
        }
        const double triangle = static_cast<double>(analysis::DistanceMatrix::cellCount(n)) * sizeof(double);
        const double dataBytes = static_cast<double>(kTimePoints) * n * sizeof(double);
        for (const std::int16_t measure : {std::int16_t{1}, std::int16_t{6}}) {
            for (const std::int16_t rule : {std::int16_t{2}, std::int16_t{0}}) {
                resetPeak();
                auto start = std::chrono::steady_clock::now();
                analysis::DistanceMatrix d;
                Geometry::DisMatByIndex(measure, data, kTimePoints, n, true, d, nullptr);
                const double distTime = seconds(start);
                platform::rt::RandomSource rng(n);
                start = std::chrono::steady_clock::now();
                auto root = UPGMA::BuildUpgmaTree(std::move(d), n, rule, names, rule != 0, nullptr, &rng);
                const double treeTime = seconds(start);
                const double peak = peakBytes();
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
