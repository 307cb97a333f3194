#pragma once

// GraphStatistics: the figures behind the graph control's statistics overlays for
// one set of points: mean, smallest and largest value, standard deviation
// and the least-squares straight line of the values on their X values.
//
// The standard deviation is the sample one (divisor n - 1; 0 for a single
// value). Sums are taken about the mean (two passes), which keeps them
// accurate when the values are large and close together. The fit is
// ordinary least squares, y = intercept + slope * x; it is absent when the
// X values do not vary. NaN values (with their X) are left out. An empty set
// gives count 0 and no figures.

#include <cstddef>
#include <optional>
#include <span>

namespace platform {

struct LineFit {
    double intercept = 0;
    double slope = 0;
};

struct SetStatistics {
    std::size_t count = 0;
    double mean = 0;
    double min = 0;
    double max = 0;
    double standardDeviation = 0;
    std::optional<LineFit> fit;
};

// values[p] against x[p] for the first min(x.size(), values.size()) points.
[[nodiscard]] SetStatistics ComputeSetStatistics(std::span<const double> x, std::span<const double> values);

// The overlay bits of the graph's statistics setting.
namespace overlay {
inline constexpr int Mean = 1;
inline constexpr int MinMax = 2;
inline constexpr int StandardDeviation = 4;
inline constexpr int BestFit = 8;
} // namespace overlay

} // namespace platform
