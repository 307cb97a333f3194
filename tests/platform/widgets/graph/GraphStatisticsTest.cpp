#include "platform/widgets/graph/GraphStatistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

using platform::ComputeSetStatistics;

TEST(GraphStatistics, KnownValues)
{
    const std::vector<double> x{1, 2, 3, 4, 5};
    const std::vector<double> y{2, 4, 5, 4, 5};
    const auto s = ComputeSetStatistics(x, y);
    EXPECT_EQ(s.count, 5u);
    expectNearRel(s.mean, 4.0, 1e-15);
    EXPECT_EQ(s.min, 2);
    EXPECT_EQ(s.max, 5);
    expectNearRel(s.standardDeviation, std::sqrt(1.5), 1e-14);  // squares about the mean: 6, divided by 4
    ASSERT_TRUE(s.fit.has_value());
    expectNearRel(s.fit->slope, 0.6, 1e-14);
    expectNearRel(s.fit->intercept, 2.2, 1e-14);
}

TEST(GraphStatistics, EdgeCases)
{
    struct Row {
        const char* name;
        std::vector<double> x, y;
        std::size_t count;
        double sd;
        bool fit;
    };
    const Row rows[] = {
        {"empty", {}, {}, 0, 0, false},
        {"one value", {1}, {7}, 1, 0, false},
        {"constant x", {2, 2, 2}, {1, 2, 3}, 3, 1, false},
        {"NaN left out", {1, 2, 3}, {1, std::nan(""), 3}, 2, std::sqrt(2.0), true},
    };
    for (const Row& row : rows) {
        const auto s = ComputeSetStatistics(row.x, row.y);
        EXPECT_EQ(s.count, row.count) << row.name;
        expectNearRel(s.standardDeviation, row.sd, 1e-14);
        EXPECT_EQ(s.fit.has_value(), row.fit) << row.name;
    }
}

// Sums about the mean keep the spread of large, close values exact where a
// one-pass sum of squares would cancel to nothing.
TEST(GraphStatistics, LargeCloseValuesKeepTheirSpread)
{
    std::vector<double> x, y;
    for (int i = 0; i < 1000; ++i) {
        x.push_back(1e9 + i);
        y.push_back(1e9 + (i % 2));
    }
    const auto s = ComputeSetStatistics(x, y);
    expectNearRel(s.standardDeviation, std::sqrt(250.0 / 999.0), 1e-9);
    ASSERT_TRUE(s.fit.has_value());
    EXPECT_NEAR(s.fit->slope, 0.0, 1e-5);
}

TEST(GraphStatistics, FitMatchesNaiveNormalEquationsOnRandomData)
{
    const unsigned seed = 77;
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 1);
    std::vector<double> x, y;
    for (int i = 0; i < 500; ++i) {
        x.push_back(i * 0.1);
        y.push_back(3 - 2 * x.back() + noise(rng));
    }
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sx += x[i];
        sy += y[i];
        sxx += x[i] * x[i];
        sxy += x[i] * y[i];
    }
    const double n = static_cast<double>(x.size());
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    const double intercept = (sy - slope * sx) / n;
    const auto s = ComputeSetStatistics(x, y);
    SCOPED_TRACE("seed 77");
    expectNearRel(s.fit->slope, slope, 1e-10);
    expectNearRel(s.fit->intercept, intercept, 1e-10);
}

} // namespace
