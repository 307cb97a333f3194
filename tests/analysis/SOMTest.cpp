#include "analysis/SOM.h"

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "platform/runtime/Rnd.h"
#include "shell/core/StrUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using numeric::Matrix;

struct MapRun {
    std::vector<std::int32_t> group;
    std::int32_t nClusters = 0;
    std::vector<double> fit;
    std::vector<std::int32_t> sizes;
    std::string report;
};

MapRun som(const Matrix& data, std::int32_t nNodes, double seed, std::uint8_t metric = 1, double precision = 0.01,
        std::int32_t maxIter = 40)
{
    platform::rt::RandomSource rng(seed);
    MapRun r;
    EXPECT_TRUE(SOM::SOMClustering(data, static_cast<std::int32_t>(data.rows()), static_cast<std::int32_t>(data.cols()),
                                   0.9, precision, maxIter, metric, nNodes, r.group, r.nClusters, r.fit, r.sizes,
                                   r.report, nullptr, &rng));
    return r;
}

std::vector<std::string> lines(const std::string& text)
{
    EXPECT_TRUE(text.empty() || text.ends_with("\r\n")) << "text after the last line end";
    return testsupport::crlfLines(text);
}

Matrix digits(unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> d(0, 9);
    Matrix m(6, 3);
    for (std::size_t i = 0; i < 6; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            m(i, j) = d(gen);
        }
    }
    m(0, 0) = 9;
    m(1, 1) = 0;
    return m;
}

TEST(SelfOrganisingMap, NeighbourhoodGrowsWithTheSquareRootOfTheNodes)
{
    EXPECT_EQ(SOM::NeighbourhoodSize(1), 0);
    EXPECT_EQ(SOM::NeighbourhoodSize(99), 0);
    EXPECT_EQ(SOM::NeighbourhoodSize(100), 1);
    EXPECT_EQ(SOM::NeighbourhoodSize(399), 1);
    EXPECT_EQ(SOM::NeighbourhoodSize(400), 2);
}

TEST(SelfOrganisingMap, SearchTakesTheLowerOfTiedNodesAndUpdatesTheNeighbourhood)
{
    const Matrix row{{1, 1}};
    Matrix map{{5, 5}, {0, 0}, {2, 2}, {0, 0}};
    for (const auto metric : {1, 2}) {
        const auto m = SOM::CreateSOMMetric(static_cast<std::uint8_t>(metric));
        std::int32_t best = -1;
        double minDist = 0;
        m->GetMinSumSqDiff1D(row, 0, 2, map, 4, best, minDist);
        EXPECT_EQ(best, 1);
        EXPECT_EQ(minDist, metric == 1 ? 2.0 : 2.0);
    }
    std::int32_t best = -1;
    double minDist = 0;
    SOM::CSOMEuclid().GetMinSumSqDiffWithUpdate1D(Matrix{{4, 8}}, 0, 2, 0.8, 1, map, 4, best, minDist);
    EXPECT_EQ(best, 0);
    EXPECT_EQ(minDist, 10);
    EXPECT_DOUBLE_EQ(map(0, 0), 0.8 * 4 + 0.2 * 5);  // best node: a = alpha
    EXPECT_DOUBLE_EQ(map(1, 1), 0.4 * 8 + 0.6 * 0);  // neighbour: a = alpha / 2
    EXPECT_EQ(map(2, 0), 2);                          // outside the radius
    SOM::CSOMAbsDiff().GetMinSumSqDiff1D(Matrix{{3, -1}}, 0, 2, Matrix{{0, 0}}, 1, best, minDist);
    EXPECT_EQ(minDist, 4);
}

TEST(SelfOrganisingMap, SearchMatchesTheFullSearchOnRandomAndTiedMaps)
{
    const unsigned seed = 4242;
    SCOPED_TRACE(seed);
    std::mt19937 gen(seed);
    for (int trial = 0; trial < 200; ++trial) {
        const bool tied = trial % 2 == 0;  // small integers: many equal distances
        const std::size_t nCol = 1 + static_cast<std::size_t>(trial % 23);
        const std::size_t nNodes = 1 + static_cast<std::size_t>(trial % 9);
        std::uniform_real_distribution<double> u(-5, 5);
        std::uniform_int_distribution<int> small(0, 2);
        auto draw = [&] { return tied ? static_cast<double>(small(gen)) : u(gen); };
        Matrix row(1, nCol);
        Matrix map(nNodes, nCol);
        for (std::size_t j = 0; j < nCol; ++j) {
            row(0, j) = draw();
            for (std::size_t r = 0; r < nNodes; ++r) {
                map(r, j) = draw();
            }
        }
        for (const auto metric : {1, 2}) {
            std::int32_t wantNode = 0;
            double want = 1.7E+308;
            for (std::size_t r = 0; r < nNodes; ++r) {
                double s = 0;
                for (std::size_t j = 0; j < nCol; ++j) {
                    const double d = row(0, j) - map(r, j);
                    s += metric == 1 ? d * d : std::fabs(d);
                }
                if (s < want) {
                    want = s;
                    wantNode = static_cast<std::int32_t>(r);
                }
            }
            std::int32_t best = -1;
            double minDist = 0;
            SOM::CreateSOMMetric(static_cast<std::uint8_t>(metric))
                ->GetMinSumSqDiff1D(row, 0, static_cast<std::int32_t>(nCol), map, static_cast<std::int32_t>(nNodes),
                                    best, minDist);
            EXPECT_EQ(best, wantNode);
            EXPECT_EQ(minDist, want);
        }
    }
}

TEST(SelfOrganisingMap, ReportLayoutWithAFixedSeed)
{
    const Matrix data = digits(11);
    const MapRun r = som(data, 4, 42);
    const auto text = lines(r.report);
    ASSERT_EQ(text.size(), 32u);
    EXPECT_EQ(text[0], "Data analysis with 2-D self-organizing map (SOM)");
    EXPECT_EQ(text[1], "Input matrix size: 6 by 3");
    EXPECT_EQ(text[2], "Max value in input matrix: 9");
    EXPECT_EQ(text[3], "Num. nodes in SOM: 4");
    EXPECT_EQ(text[4], "Initial alpha: 0.9");
    EXPECT_EQ(text[5], "Precision: 0.01");
    EXPECT_EQ(text[6], "Distance used:  Euclid.");
    EXPECT_EQ(text[7], "Max number of iteration: 40");
    EXPECT_EQ(text[8], "Neighborhood size: 0");
    EXPECT_EQ(text[9], "");
    EXPECT_TRUE(text[10] == "Convergence reached." || text[10] == "Maximum iteration reached.") << text[10];
    EXPECT_EQ(text[11].rfind("Output the finished SOM, with Sum of distances = ", 0), 0u);
    EXPECT_EQ(text[12], "");
    EXPECT_EQ(text[13], std::string(68, '='));
    for (std::size_t node = 14; node < 18; ++node) {
        ASSERT_EQ(text[node].size(), 18u) << text[node];  // three cells of width 6
        for (std::size_t cell = 0; cell < 3; ++cell) {
            const std::string value = text[node].substr(cell * 6, 6);
            EXPECT_EQ(value[3], '.') << value;
        }
    }
    EXPECT_EQ(text[18], std::string(68, '='));
    EXPECT_EQ(text[19], "");
    EXPECT_EQ(text[20], "");
    EXPECT_EQ(text[21], "Clustering result with SOM:");
    EXPECT_EQ(text[22], std::string(39, '='));
    EXPECT_EQ(text[23], "Row ID ClusterID         Fit");
    EXPECT_EQ(text[24], std::string(39, '-'));
    for (std::size_t i = 0; i < 6; ++i) {
        const std::string expected = StrUtil::PadStr(std::to_string(i + 1), 6, 1) +
                                     StrUtil::PadStr(std::to_string(r.group[i]), 10, 0) +
                                     StrUtil::FormatNumRight(r.fit[i], 12, 3);
        EXPECT_EQ(text[25 + i], expected);
    }
    EXPECT_EQ(text[31], std::string(39, '='));
}

TEST(SelfOrganisingMap, SeededRunsRepeatAndClustersAreNumberedDensely)
{
    const Matrix data = digits(3);
    const MapRun a = som(data, 5, 7);
    const MapRun b = som(data, 5, 7);
    EXPECT_EQ(a.report, b.report);
    EXPECT_EQ(a.group, b.group);
    EXPECT_EQ(a.fit, b.fit);
    ASSERT_EQ(a.sizes.size(), static_cast<std::size_t>(a.nClusters));
    std::vector<std::int32_t> counted(a.sizes.size(), 0);
    for (const auto g : a.group) {
        ASSERT_GE(g, 0);
        ASSERT_LT(g, a.nClusters);
        ++counted[static_cast<std::size_t>(g)];
    }
    EXPECT_EQ(counted, a.sizes);
    for (const auto s : a.sizes) {
        EXPECT_GT(s, 0);
    }
}

TEST(SelfOrganisingMap, SeparatedGroupsFallOnSeparateNodes)
{
    Matrix data(8, 2);
    for (std::size_t i = 0; i < 8; ++i) {
        const double base = i % 2 == 0 ? 0 : 100;
        data(i, 0) = base + 0.1 * static_cast<double>(i);
        data(i, 1) = base;
    }
    const MapRun r = som(data, 2, 5, 2);
    EXPECT_EQ(r.nClusters, 2);
    for (std::size_t i = 2; i < 8; ++i) {
        EXPECT_EQ(r.group[i], r.group[i % 2]);
    }
    EXPECT_NE(r.group[0], r.group[1]);
    EXPECT_NE(r.report.find("Distance used:  Absolute difference."), std::string::npos);
}

TEST(SelfOrganisingMap, ConvergenceLineFollowsThePrecision)
{
    const Matrix one{{5}};
    EXPECT_NE(som(one, 1, 1).report.find("\r\nConvergence reached.\r\n"), std::string::npos);
    const MapRun never = som(one, 1, 1, 1, 0.0, 3);
    EXPECT_NE(never.report.find("\r\nMaximum iteration reached.\r\n"), std::string::npos);
}

TEST(SelfOrganisingMap, BadCallsAreRefused)
{
    Matrix data = digits(1);
    std::vector<std::int32_t> g, s;
    std::vector<double> f;
    std::int32_t n = 0;
    std::string report = "kept";
    auto call = [&](std::int32_t nNodes, std::uint8_t metric, std::optional<double> code) {
        try {
            (void)SOM::SOMClustering(data, 6, 3, 0.9, 0.01, 40, metric, nNodes, g, n, f, s, report, nullptr, nullptr,
                                     code);
        } catch (const platform::Error& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(call(0, 1, {}), 1);
    EXPECT_EQ(call(3, 3, {}), 5);
    data(4, 2) = 9.999999;
    EXPECT_EQ(call(3, 1, 9.999999), 1);
    EXPECT_EQ(report, "kept");
}

} // namespace
