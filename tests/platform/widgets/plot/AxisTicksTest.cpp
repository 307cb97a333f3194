// The labelled ticks of a logarithmic axis.

#include "platform/widgets/plot/AxisTicks.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(AxisTicks, LogAxisShowsAtLeastTwoLabelsInsideItsRange)
{
    struct Row {
        const char* name;
        double lo;
        double hi;
        std::vector<double> ticks;
    } rows[] = {
        {"decades", 1, 1000, {1, 10, 100, 1000}},
        {"decades inside", 0.05, 2000, {0.1, 1, 10, 100, 1000}},
        {"one decade: 1 2 5", 1, 10, {1, 2, 5, 10}},
        {"less than a decade: 1 2 5", 3, 60, {5, 10, 20, 50}},
        {"within a decade: 1 to 9", 2.5, 9.5, {3, 4, 5, 6, 7, 8, 9}},
        {"expression values", 6.2, 14.8, {7, 8, 9, 10}},
        {"narrow: ends and middle", 2.1, 2.9, {2.1, std::sqrt(2.1 * 2.9), 2.9}},
        {"not increasing", 5, 5, {}},
        {"not positive", 0, 10, {}},
        {"negative", -10, 10, {}},
    };
    for (const Row& r : rows) {
        const std::vector<double> got = platform::LogAxisTicks(r.lo, r.hi);
        ASSERT_EQ(got.size(), r.ticks.size()) << r.name;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i], r.ticks[i], 1e-9 * r.ticks[i]) << r.name << " tick " << i;
            EXPECT_GE(got[i], r.lo * (1 - 1e-9)) << r.name;
            EXPECT_LE(got[i], r.hi * (1 + 1e-9)) << r.name;
        }
        if (!r.ticks.empty()) {
            EXPECT_GE(got.size(), 2u) << r.name;
        }
    }
}

} // namespace

namespace {

// An axis keeps the format asked for wherever its labels fit and say more
// than one value; else it adds decimals or takes an exponent that tells
// every two neighbours apart. Each tick reads its own value.
TEST(AxisTicks, LinearAxisLabelsKeepTheirFormatWhereTheyCanBeDrawn)
{
    using platform::AxisLabelForm;
    const struct {
        const char* name;
        double lo, hi;
        const char* format;
        AxisLabelForm form;
        int digits;
        const char* texts;  // the labels, lo first, one blank apart; "" not checked
    } rows[] = {
        {"as asked", 3.0, 16.7, "0.0", AxisLabelForm::Fixed, 1, "3.0 5.3 7.6 9.9 12.1 14.4 16.7"},
        {"negative start", -2.5, 16, "0.0", AxisLabelForm::Fixed, 1, ""},
        {"ten whole digits", 0, 999999999, "0", AxisLabelForm::Fixed, 0, ""},
        {"no decimals with a point", 0, 1, "0.", AxisLabelForm::Fixed, 0, "0. 0. 0. 1. 1. 1. 1."},
        {"one decimal, neighbours alike", 0, 0.3, "0.0", AxisLabelForm::Fixed, 1, "0.0 0.1 0.1 0.2 0.2 0.3 0.3"},
        {"no sign on a 0 across the span", -0.1, 0.2, "0.00", AxisLabelForm::Fixed, 2,
         "-0.10 -0.05 0.00 0.05 0.10 0.15 0.20"},
        {"every tick alike: exponent", 0, 1e-10, "0.0000", AxisLabelForm::Exponent, 4, ""},
        {"every tick alike, no decimals", 0, 1e-10, "0.", AxisLabelForm::Exponent, 0,
         "0e+00 2e-11 3e-11 5e-11 7e-11 8e-11 1e-10"},
        {"every tick alike: more decimals", 1000, 1000.006, "0.0", AxisLabelForm::Fixed, 3,
         "1000.000 1000.001 1000.002 1000.003 1000.004 1000.005 1000.006"},
        {"too long for a label", -5, 1e150, "0.0", AxisLabelForm::Exponent, 1, ""},
        {"eleven whole digits", -5, 1e12, "0.0", AxisLabelForm::Exponent, 1, ""},
        {"the end tick reads its bound", -1e307, 5, "0.", AxisLabelForm::Exponent, 0,
         "-1e+307 -8e+306 -7e+306 -5e+306 -3e+306 -2e+306 5e+00"},
        {"the start tick reads its bound", -5, 1e307, "0.", AxisLabelForm::Exponent, 0,
         "-5e+00 2e+306 3e+306 5e+306 7e+306 8e+306 1e+307"},
        {"too short to draw", 0, 1e-100, "0.0", AxisLabelForm::Indistinct, 0, ""},
        {"too short, far from 0", 5e-20, 7e-20, "0.0", AxisLabelForm::Indistinct, 0, ""},
        {"alike in every form", 1, 1 + 1e-13, "0.000000000000000", AxisLabelForm::Indistinct, 0, ""},
        {"not increasing", 4, 3, "0.0", AxisLabelForm::Indistinct, 0, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const platform::AxisLabels got = platform::ChooseAxisLabels(r.lo, r.hi, 6, r.format);
        EXPECT_EQ(got.form, r.form);
        ASSERT_EQ(got.ticks.size(), 7u);
        ASSERT_EQ(got.texts.size(), 7u);
        EXPECT_EQ(got.ticks.front(), r.lo);
        EXPECT_EQ(got.ticks.back(), r.hi);
        if (r.form != AxisLabelForm::Indistinct) {
            EXPECT_EQ(got.digits, r.digits);
        }
        if (*r.texts != '\0') {
            std::string joined;
            for (const std::string& t : got.texts) {
                joined += (joined.empty() ? "" : " ") + t;
            }
            EXPECT_EQ(joined, r.texts);
        }
    }
    EXPECT_EQ(platform::FormatDigits("0.000"), 3);
    EXPECT_EQ(platform::FormatDigits("0."), 0);
}

// Tick k lies k steps from the start; the ends are the bounds themselves,
// and a tick across 0 that rounding leaves a hair off is 0.
TEST(AxisTicks, LinearTicksAreWorkedOutFromTheNearerEnd)
{
    const struct {
        double lo, hi;
        int k;
        double tick;
    } rows[] = {
        {-1e307, 5, 6, 5},    {-1e307, 5, 0, -1e307}, {-5, 1e307, 0, -5},      {-1e307, 5, 3, -5e306},
        {-0.1, 0.2, 2, 0},    {-0.3, 0.3, 3, 0},      {0, 0.3, 3, 0.15},       {1e-20, 1e-5, 0, 1e-20},
        {2, 14, 1, 4},        {2, 14, 5, 12},
    };
    for (const auto& r : rows) {
        const double got = platform::LinearAxisTick(r.lo, r.hi, 6, r.k);
        if (r.k == 0 || r.k == 6 || r.tick == 0) {
            EXPECT_EQ(got, r.tick) << r.lo << ".." << r.hi << " tick " << r.k;
        } else {
            EXPECT_NEAR(got, r.tick, 1e-15 * std::abs(r.tick)) << r.lo << ".." << r.hi << " tick " << r.k;
        }
    }
}

} // namespace
