#include "platform/spreadsheet/NumberFit.h"

#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

using spreadsheet::fitNumberText;

// Widths in characters, as in a font whose glyphs are all as wide.
int chars(std::string_view text)
{
    return static_cast<int>(text.size());
}

TEST(NumberFit, ShownTextAtSeveralWidths)
{
    const struct {
        const char* name;
        double value;
        int width;
        const char* shown;
    } rows[] = {
        {"fits whole", -0.43355390196735, 20, "-0.43355390196735"},
        {"negative rounded", -0.43355390196735, 9, "-0.433554"},
        {"negative two decimals", -0.43355390196735, 5, "-0.43"},
        {"negative one decimal", -0.43355390196735, 4, "-0.4"},
        {"negative too narrow", -0.43355390196735, 3, "###"},
        {"rounding carries", 9.99999, 3, "10"},
        {"decimals dropped", 1234.5678, 6, "1234.6"},
        {"to a whole number", 1234.5678, 4, "1235"},
        {"whole number too wide", 1234.5678, 3, "###"},
        {"negative whole", -98765.4321, 6, "-98765"},
        {"wide integer exact", 123456789, 9, "123456789"},
        {"wide integer scientific", 123456789, 8, "1.23E+08"},
        {"wide integer one digit", 123456789, 5, "1E+08"},
        {"wide integer too narrow", 123456789, 4, "####"},
        {"tiny whole", 0.000012345, 10, "1.2345E-05"},
        {"tiny scientific beats fixed", 0.000012345, 7, "1.2E-05"},
        {"tiny never shown as zero", 0.000012345, 6, "1E-05"},
        {"tiny negative", -0.000012345, 6, "-1E-05"},
        {"tiny negative too narrow", -0.000012345, 5, "#####"},
        {"huge whole", 1.23e300, 9, "1.23E+300"},
        {"huge rounded", 1.23e300, 8, "1.2E+300"},
        {"huge one digit", 1.23e300, 7, "1E+300"},
        {"huge too narrow", 1.23e300, 5, "#####"},
        {"huge negative", -4.56e20, 8, "-4.6E+20"},
        {"rounding stops at the leading digit", -0.00061, 6, "-6E-04"},
        {"leading digit kept", -0.00061, 7, "-0.0006"},
        {"zero", 0, 1, "0"},
        {"zero in no room", 0, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fitNumberText(row.value, row.width, chars), row.shown);
    }
}

TEST(NumberFit, FillUsesTheMeasuredWidth)
{
    // Two units per character: a fill of 7 units holds three '#'.
    const auto twoEach = [](std::string_view t) { return 2 * static_cast<int>(t.size()); };
    EXPECT_EQ(spreadsheet::hashFill(7, twoEach), "###");
    // Where not even one fits, one is drawn cut off: the cell never looks empty.
    EXPECT_EQ(spreadsheet::hashFill(1, twoEach), "#");
    EXPECT_EQ(fitNumberText(123456, 1, twoEach), "#");
    EXPECT_EQ(spreadsheet::hashFill(0, twoEach), "");
    EXPECT_EQ(fitNumberText(-0.43355390196735, 7, twoEach), "###");
    EXPECT_EQ(fitNumberText(-0.43355390196735, 8, twoEach), "-0.4");
}

// Over many values and widths the shown text is never wider than the room,
// and is either a fill or the value rounded to the digits it shows.
TEST(NumberFit, NeverShowsAWrongNumber)
{
    const unsigned seed = 20261208;
    SCOPED_TRACE(seed);
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int n = 0; n < 4000; ++n) {
        const double v = mantissa(gen) * std::pow(10.0, exponent(gen));
        for (int width = 1; width <= 20; ++width) {
            const std::string shown = fitNumberText(v, width, chars);
            ASSERT_LE(chars(shown), width) << v;
            if (shown.find('#') != std::string::npos) {
                ASSERT_EQ(shown, std::string(static_cast<std::size_t>(width), '#')) << v;
                continue;
            }
            double back = 0;
            const auto res = std::from_chars(shown.data(), shown.data() + shown.size(), back);
            ASSERT_EQ(res.ptr, shown.data() + shown.size()) << shown;
            ASSERT_NE(back, 0) << v << " shown as " << shown;
            ASSERT_EQ(std::signbit(back), std::signbit(v)) << v << " shown as " << shown;
            // Rounding to d significant digits is off by at most half a unit
            // of the last digit: a relative 5 * 10^-d.
            int digits = 0;
            bool started = false;
            for (const char c : shown) {
                if (c == 'E') {
                    break;
                }
                started = started || (c >= '1' && c <= '9');
                digits += started && c >= '0' && c <= '9' ? 1 : 0;
            }
            ASSERT_LE(std::fabs(back - v), std::fabs(v) * 5 * std::pow(10.0, -digits) * (1 + 1e-9) + 1e-300)
                << v << " shown as " << shown;
        }
    }
}

} // namespace
