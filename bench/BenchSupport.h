#pragma once

// What the benchmark programs share: elapsed seconds (since a moment, or
// of a call), the peak resident memory of this process, and a seeded
// expression matrix with cluster structure (random-walk profiles of 25
// clusters, each locus one profile with its own gain plus noise).

#include <chrono>
#include <concepts>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "numeric/Matrix.h"

namespace bench {

inline double seconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// The seconds that a call takes.
template <std::invocable F>
double seconds(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    std::forward<F>(f)();
    return seconds(start);
}

// Resets the peak resident size of this process (Linux 4.0 and later).
inline void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Peak resident size in bytes since the last reset.
inline double peakBytes()
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

enum class Orientation { LociAsRows, LociAsColumns };

inline numeric::Matrix expressionData(std::int32_t loci, std::int32_t points, unsigned seed, Orientation orientation)
{
    constexpr int kClusters = 25;
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> normal(0, 1);
    std::vector<std::vector<double>> centre(kClusters, std::vector<double>(static_cast<std::size_t>(points)));
    for (auto& profile : centre) {
        double level = 8 + 2 * normal(gen);
        for (double& v : profile) {
            level += 0.4 * normal(gen);
            v = level;
        }
    }
    const bool rows = orientation == Orientation::LociAsRows;
    const auto n = static_cast<std::size_t>(loci);
    const auto p = static_cast<std::size_t>(points);
    numeric::Matrix data(rows ? n : p, rows ? p : n);
    std::uniform_int_distribution<int> pick(0, kClusters - 1);
    for (std::size_t g = 0; g < n; ++g) {
        const auto& profile = centre[static_cast<std::size_t>(pick(gen))];
        const double gain = 1 + 0.2 * normal(gen);
        for (std::size_t t = 0; t < p; ++t) {
            (rows ? data(g, t) : data(t, g)) = gain * profile[t] + 0.5 * normal(gen);
        }
    }
    return data;
}

} // namespace bench
