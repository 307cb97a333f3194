#include "analysis/CDistTwoVector.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>
#include <random>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "tests/support/TestSupport.h"

namespace {

using analysis::CreateDistTwoVector;
using numeric::Matrix;

double distance(std::uint8_t index, const Matrix& data, const Matrix& means, std::int32_t row = 0,
                std::int32_t group = 0)
{
    const auto sums = analysis::ComputeRowSums(data, static_cast<std::int32_t>(data.rows()),
                                               static_cast<std::int32_t>(data.cols()));
    const auto d = CreateDistTwoVector(index, sums.sumX, sums.sumX2);
    return d->DistVectorToGroupMeanVector(data, means, row, group, static_cast<std::int32_t>(data.cols()));
}

int errorNumber(std::uint8_t index, const Matrix& data, const Matrix& means)
{
    try {
        (void)distance(index, data, means);
    } catch (const platform::Error& e) {
        return e.number();
    }
    return 0;
}

TEST(GroupMeanDistance, WorkedRowAgainstReversedMean)
{
    const Matrix row{{1, 2, 3}};
    const Matrix mean{{3, 2, 1}};
    const double c = 10.0 / 14.0;  // (3 + 4 + 3) / sqrt(14 * 14)
    const struct {
        std::uint8_t index;
        double expected;
    } cases[] = {{0, 8},           {1, std::sqrt(8.0)}, {2, 4.0 / 3.0}, {3, 50},
                 {4, 2 * (1 - c)}, {5, std::acos(c)},   {6, 2},         {7, 2}};
    for (const auto& t : cases) {
        SCOPED_TRACE(static_cast<int>(t.index));
        expectNearRel(distance(t.index, row, mean), t.expected, 1e-12);
    }
}

TEST(GroupMeanDistance, ManhattanIsMeanAbsoluteDifference)
{
    expectNearRel(distance(2, Matrix{{0, 0}}, Matrix{{1, 1}}), 1.0, 1e-15);
    expectNearRel(distance(2, Matrix{{0, 4, -2}}, Matrix{{1, 1, 1}}), 7.0 / 3.0, 1e-15);
}

TEST(GroupMeanDistance, RowEqualToItsMeanIsAtDistanceZeroUnderEveryMeasure)
{
    const Matrix row{{1.5, 2, 7, 0.25}};
    for (std::uint8_t index = 0; index < 8; ++index) {
        SCOPED_TRACE(static_cast<int>(index));
        EXPECT_NEAR(distance(index, row, row), 0.0, 1e-7);
    }
}

TEST(GroupMeanDistance, SumsSetByTheCallerAreTheOnesRead)
{
    const Matrix row{{1, 2, 3}};
    const Matrix mean{{3, 2, 1}};
    const std::vector<double> sumX{6};
    const std::vector<double> wrongSumX2{56};  // 4 x the true 14
    const auto chord = CreateDistTwoVector(4, sumX, wrongSumX2);
    expectNearRel(chord->DistVectorToGroupMeanVector(row, mean, 0, 0, 3), 2 * (1 - 10.0 / 28.0), 1e-12);
}

TEST(GroupMeanDistance, DegenerateInputsRaiseNumberedErrors)
{
    const struct {
        const char* name;
        std::uint8_t index;
        Matrix row;
        Matrix mean;
        int number;
    } cases[] = {
        {"remoteness of zero vectors", 3, Matrix{{0, 0}}, Matrix{{0, 0}}, platform::err::Overflow},
        {"chord of a zero row", 4, Matrix{{0, 0}}, Matrix{{1, 2}}, platform::err::Overflow},
        {"geodesic of a zero mean", 5, Matrix{{1, 2}}, Matrix{{0, 0}}, platform::err::Overflow},
        {"Pearson of a constant row", 6, Matrix{{3, 3, 3}}, Matrix{{1, 2, 3}}, platform::err::Overflow},
        {"Spearman of a constant mean", 7, Matrix{{1, 2, 3}}, Matrix{{5, 5, 5}}, platform::err::Overflow},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(errorNumber(t.index, t.row, t.mean), t.number);
    }
}

TEST(GroupMeanDistance, MissingSumsBadIndicesAndRowsAreRefused)
{
    const Matrix data{{1, 2}, {3, 4}};
    const auto pearson = CreateDistTwoVector(6, {}, {});
    EXPECT_THROW((void)pearson->DistVectorToGroupMeanVector(data, data, 0, 0, 2), platform::Error);
    const auto ss = CreateDistTwoVector(0, {}, {});
    EXPECT_THROW((void)ss->DistVectorToGroupMeanVector(data, data, 2, 0, 2), platform::Error);
    EXPECT_THROW((void)ss->DistVectorToGroupMeanVector(data, data, 0, 0, 3), platform::Error);
    try {
        (void)CreateDistTwoVector(8, {}, {});
        FAIL() << "index 8 accepted";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::InvalidCall);
    }
}

TEST(GroupMeanDistance, MatchesNaiveFormulasOnRandomRows)
{
    const unsigned seed = 20261208;
    SCOPED_TRACE(seed);
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(0.1, 10);
    for (int trial = 0; trial < 20; ++trial) {
        const int n = 2 + trial % 7;
        Matrix x(1, static_cast<std::size_t>(n));
        Matrix m(1, static_cast<std::size_t>(n));
        for (int j = 0; j < n; ++j) {
            x(0, static_cast<std::size_t>(j)) = u(gen);
            m(0, static_cast<std::size_t>(j)) = u(gen);
        }
        double s2 = 0, sa = 0, smin = 0, smax = 0, sx = 0, sm = 0, sxx = 0, smm = 0, sxm = 0;
        for (int j = 0; j < n; ++j) {
            const double a = x(0, static_cast<std::size_t>(j));
            const double b = m(0, static_cast<std::size_t>(j));
            s2 += (a - b) * (a - b);
            sa += std::fabs(a - b);
            smin += std::min(a, b);
            smax += std::max(a, b);
            sx += a;
            sm += b;
            sxx += a * a;
            smm += b * b;
            sxm += a * b;
        }
        const double c = sxm / std::sqrt(sxx * smm);
        const double r = (sxm - sx * sm / n) / std::sqrt((smm - sm * sm / n) * (sxx - sx * sx / n));
        const double expected[] = {s2, std::sqrt(s2), sa / n, 100 - 100 * smin / smax,
                                   2 * (1 - c), std::acos(std::min(c, 1.0)), 1 - r, 1 - r};
        for (std::uint8_t index = 0; index < 8; ++index) {
            SCOPED_TRACE(static_cast<int>(index));
            expectNearRel(distance(index, x, m), expected[index], 1e-9);
        }
    }
}

} // namespace

namespace {

// Every measure's all-groups form against its one-group form, bit for bit:
// group counts around the blocks of eight and two, means with signed zeros
// and ties; and a constant mean row, where the all-groups form must decline
// so that the one-group form raises the error.
TEST(GroupMeanDistance, AllGroupsAtOnceEqualOneGroupAtATimeBitForBit)
{
    const unsigned seed = 9090;
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(-3, 12);
    for (const std::int32_t k : {1, 2, 3, 7, 8, 9, 10, 17, 20}) {
        for (const std::int32_t nCol : {1, 5, 33}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " k " << k << " columns " << nCol);
            Matrix data(6, static_cast<std::size_t>(nCol));
            Matrix means(static_cast<std::size_t>(k), static_cast<std::size_t>(nCol));
            for (std::size_t i = 0; i < data.rows(); ++i)
                for (std::size_t j = 0; j < data.cols(); ++j) data(i, j) = u(gen);
            for (std::size_t g = 0; g < means.rows(); ++g)
                for (std::size_t j = 0; j < means.cols(); ++j)
                    means(g, j) = g % 4 == 3 ? data(g % data.rows(), j) : (j % 5 == 4 ? -0.0 : u(gen));
            std::vector<double> byColumn(static_cast<std::size_t>(k * nCol));
            for (std::int32_t g = 0; g < k; ++g)
                for (std::int32_t j = 0; j < nCol; ++j)
                    byColumn[static_cast<std::size_t>(j * k + g)] = means(static_cast<std::size_t>(g),
                                                                          static_cast<std::size_t>(j));
            const auto sums = analysis::ComputeRowSums(data, 6, nCol);
            for (std::uint8_t index = 0; index < 8; ++index) {
                const auto d = CreateDistTwoVector(index, sums.sumX, sums.sumX2);
                for (std::int32_t row = 0; row < 6; ++row) {
                    std::vector<double> all(static_cast<std::size_t>(k));
                    const bool done = d->DistancesToAllGroupMeans(data.data() + row * nCol, row, byColumn.data(), k,
                                                                  nCol, all.data());
                    if (!done) {
                        // Only the measure without this form, or a row or
                        // mean without spread, may decline.
                        EXPECT_TRUE(index == 3 || nCol == 1) << "index " << int{index};
                        continue;
                    }
                    for (std::int32_t g = 0; g < k; ++g) {
                        const double one = d->DistVectorToGroupMeanVector(data, means, row, g, nCol);
                        EXPECT_EQ(std::bit_cast<std::uint64_t>(all[static_cast<std::size_t>(g)]),
                                  std::bit_cast<std::uint64_t>(one))
                            << "index " << int{index} << " row " << row << " group " << g;
                    }
                }
            }
        }
    }
}

TEST(GroupMeanDistance, AllGroupsFormDeclinesWhereOneGroupRaises)
{
    const Matrix data{{1, 2, 3}, {4, 4, 4}};
    const Matrix means{{1, 5, 2}, {7, 7, 7}};
    const std::vector<double> byColumn{1, 7, 5, 7, 2, 7};
    const auto sums = analysis::ComputeRowSums(data, 2, 3);
    for (const std::uint8_t index : {std::uint8_t{6}, std::uint8_t{7}}) {
        const auto d = CreateDistTwoVector(index, sums.sumX, sums.sumX2);
        double out[2];
        EXPECT_FALSE(d->DistancesToAllGroupMeans(data.data(), 0, byColumn.data(), 2, 3, out));
        EXPECT_FALSE(d->DistancesToAllGroupMeans(data.data() + 3, 1, byColumn.data(), 2, 3, out));
    }
    const auto pearson = CreateDistTwoVector(6, {}, {});
    double out[2];
    EXPECT_FALSE(pearson->DistancesToAllGroupMeans(data.data(), 0, byColumn.data(), 2, 3, out)) << "no row sums";
    const Matrix zero{{0, 0, 0}};
    const auto zeroSums = analysis::ComputeRowSums(zero, 1, 3);
    const auto chord = CreateDistTwoVector(4, zeroSums.sumX, zeroSums.sumX2);
    EXPECT_FALSE(chord->DistancesToAllGroupMeans(zero.data(), 0, byColumn.data(), 2, 3, out));
}

} // namespace
