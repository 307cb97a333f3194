#include "graphs/AxisScaler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "platform/errors/Error.h"
#include "tests/support/TestSupport.h"

namespace {

using graphs::AxisNumberFormat;
using graphs::SetXAxisRange;
using graphs::SetYAxisRange;

std::vector<double> range(double from, double to)
{
    std::vector<double> v;
    for (double x = from; x <= to; x += 1) {
        v.push_back(x);
    }
    return v;
}

TEST(AxisScaler, WholeXOneToTenStartsAtZeroAndStepsByTwo)
{
    const auto x = range(1, 10);
    const auto r = SetXAxisRange(x, 6, 0, false);
    EXPECT_TRUE(r.isInteger);
    EXPECT_EQ(r.axisMin, 0);
    EXPECT_EQ(r.step, 2);
    EXPECT_EQ(r.axisMax, 12);
    EXPECT_EQ(r.format, "0");
    const auto neg = SetXAxisRange(x, 6, 0, true);
    EXPECT_EQ(neg.axisMin, -1);
    EXPECT_EQ(neg.axisMax, 11);
}

TEST(AxisScaler, NonWholeScoresOnYStartAtMinusOneWithFourDigits)
{
    const std::vector<std::vector<double>> sets{{-0.3, 0.1, 0.4, 0.05}};
    const auto r = SetYAxisRange(sets, 4, 6, "", true);
    EXPECT_FALSE(r.isInteger);
    EXPECT_EQ(r.axisMin, -1);
    EXPECT_EQ(r.format, "0.0000");
    expectNearRel(r.axisMax, 0.4, 1e-12);
}

TEST(AxisScaler, WholeYWithRemainderGetsAnExtraStep)
{
    const std::vector<std::vector<double>> sets{range(0, 13)};
    const auto r = SetYAxisRange(sets, 14, 6, "0.00", false);
    EXPECT_EQ(r.axisMin, 0);
    EXPECT_EQ(r.step, 2);
    EXPECT_EQ(r.axisMax, 14);
    EXPECT_EQ(r.format, "0.00") << "whole values keep the format they had";
}

TEST(AxisScaler, NumberFormatFollowsTheAxisStart)
{
    struct Row {
        double v;
        const char* format;
        int digits;
    };
    const Row rows[] = {{10.5, "0", 0}, {10, "0.0", 1}, {1.5, "0.0", 1}, {1, "0.00", 2}, {0.5, "0.00", 2},
                        {0.1, "0.000", 3}, {0.05, "0.000", 3}, {0.01, "0.0000", 4}, {0, "0.0000", 4},
                        {-5, "0.0000", 4}};
    for (const Row& row : rows) {
        const auto f = AxisNumberFormat(row.v);
        EXPECT_EQ(f.format, row.format) << row.v;
        EXPECT_EQ(f.digits, row.digits) << row.v;
    }
}

// Small whole-number ranges used to give a step of 0 and an axis of no
// length; every whole-number axis must have a length and reach the data.
TEST(AxisScaler, WholeAxisAlwaysHasLengthAndCoversTheData)
{
    const std::vector<std::vector<double>> cases = {
        {0, 1, 2}, {5, 5, 5}, {0}, {0, 13}, {1, 2}, {-3, -2}, {100, 101, 102}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
    };
    for (const auto& values : cases) {
        for (bool negative : {false, true}) {
            const auto x = SetXAxisRange(values, 6, 0, negative);
            EXPECT_GT(x.axisMax, x.axisMin) << "X " << values.size() << " values from " << values.front();
            if (negative || values.front() >= 0) {
                EXPECT_GE(x.axisMax, x.dataMax) << "X from " << values.front();
                EXPECT_LE(x.axisMin, x.dataMin);
            }
            EXPECT_GE(x.step, 1);
            const auto y = SetYAxisRange({values}, values.size(), 6, "0", negative);
            EXPECT_GT(y.axisMax, y.axisMin) << "Y from " << values.front();
            if (negative || values.front() >= 0) {
                EXPECT_GE(y.axisMax, y.dataMax) << "Y from " << values.front();
            }
        }
    }
}

TEST(AxisScaler, NonWholeXUsesThePreviousMinimumForItsFormat)
{
    const std::vector<double> x{0.25, 0.5, 0.75};
    const auto first = SetXAxisRange(x, 6, 0, false);
    EXPECT_EQ(first.format, "0.0000");
    expectNearRel(first.axisMin, 0.2374, 1e-12);  // 0.25 - 0.5/40 - 0.00005 = 0.23745, four decimals, half to even
    expectNearRel(first.axisMax, 0.75, 1e-12);
    const auto later = SetXAxisRange(x, 6, 5, false);
    EXPECT_EQ(later.format, "0.0");
    expectNearRel(later.axisMin, 0.2, 1e-12);
}

TEST(AxisScaler, ConstantNonWholeValueStillGetsAnAxis)
{
    const std::vector<double> x{0.5, 0.5};
    const auto r = SetXAxisRange(x, 6, 0, true);
    EXPECT_LT(r.axisMin, 0.5);
    expectNearRel(r.axisMax, 0.5, 1e-12);
    const auto y = SetYAxisRange({{2.5, 2.5}}, 2, 6, "", true);
    EXPECT_LT(y.axisMin, 2.5);
    expectNearRel(y.axisMax, 2.5, 1e-12);
}

TEST(AxisScaler, RandomDataAlwaysLiesOnTheAxis)
{
    const unsigned seed = 20261208;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> value(-1000, 1000);
    std::uniform_int_distribution<int> count(1, 50);
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<double> v(static_cast<std::size_t>(count(rng)));
        const bool whole = trial % 2 == 0;
        for (double& x : v) {
            x = whole ? std::round(value(rng)) : value(rng);
        }
        const auto x = SetXAxisRange(v, 6, 0, true);
        const auto y = SetYAxisRange({v}, v.size(), 6, "0", true);
        SCOPED_TRACE("seed " + std::to_string(seed) + " trial " + std::to_string(trial));
        EXPECT_LE(x.axisMin, x.dataMin);
        EXPECT_GE(x.axisMax + 1e-9, x.dataMax);
        EXPECT_LE(y.axisMin, y.dataMin);
        EXPECT_GE(y.axisMax + 1e-9, y.dataMax);
        EXPECT_GT(x.axisMax, x.axisMin);
        EXPECT_GT(y.axisMax, y.axisMin);
    }
}

TEST(AxisScaler, RefusesFewerThanOneTick)
{
    const std::vector<double> x{1, 2};
    EXPECT_THROW((void)SetXAxisRange(x, 0, 0, true), platform::Error);
}

TEST(AxisScaler, NaNIsLeftOutOfTheExtremes)
{
    const std::vector<double> y{1.5, std::nan(""), 3.5};
    const auto r = SetYAxisRange({y}, 3, 6, "", true);
    EXPECT_EQ(r.dataMin, 1.5);
    EXPECT_EQ(r.dataMax, 3.5);
}

} // namespace
