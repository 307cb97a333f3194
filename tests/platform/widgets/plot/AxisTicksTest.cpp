// The labelled ticks of a logarithmic axis.

#include "platform/widgets/plot/AxisTicks.h"

#include <cmath>
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

// An axis keeps its own decimals where they tell its ticks apart in a
// label's room, and never draws ticks that read alike.
TEST(AxisTicks, LinearAxisLabelsTellEveryTickApart)
{
    using platform::AxisLabelForm;
    const struct {
        double lo, hi;
        int digits;
        AxisLabelForm form;
        int shown;
    } rows[] = {
        {3.0, 16.7, 1, AxisLabelForm::Fixed, 1},
        {-2.5, 16, 1, AxisLabelForm::Fixed, 1},
        {0, 999999999, 0, AxisLabelForm::Fixed, 0},
        {0, 0.3, 1, AxisLabelForm::Fixed, 2},
        {0, 1e-10, 4, AxisLabelForm::Exponent, 4},
        {0, 1e-10, 0, AxisLabelForm::Exponent, 0},
        {-5, 1e150, 1, AxisLabelForm::Exponent, 1},
        {-5, 1e12, 1, AxisLabelForm::Exponent, 1},
        {0, 1e-100, 1, AxisLabelForm::Indistinct, 0},
        {5e-20, 7e-20, 1, AxisLabelForm::Indistinct, 0},
        {1, 1 + 1e-13, 15, AxisLabelForm::Indistinct, 0},
        {4, 3, 1, AxisLabelForm::Indistinct, 0},
    };
    for (const auto& r : rows) {
        const platform::AxisLabels got = platform::ChooseAxisLabels(r.lo, r.hi, 6, r.digits);
        EXPECT_EQ(got.form, r.form) << r.lo << ".." << r.hi;
        if (r.form != AxisLabelForm::Indistinct) {
            EXPECT_EQ(got.digits, r.shown) << r.lo << ".." << r.hi;
        }
    }
    EXPECT_EQ(platform::FormatDigits("0.000"), 3);
    EXPECT_EQ(platform::FormatDigits("0."), 0);
}

} // namespace
