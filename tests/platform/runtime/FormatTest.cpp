#include "platform/runtime/Format.h"

#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "tests/support/ErrorAssert.h"

using namespace platform::rt;

TEST(Format, NumberPatterns)
{
    struct Row {
        double value;
        const char* pattern;
        const char* text;
    };
    const Row rows[] = {
        {3.14159, "0.00", "3.14"},
        {2.5, "0", "3"},
        {-2.5, "0", "-3"},
        {0.125, "0.00", "0.13"},
        {0.5, "#.00", ".50"},
        {0, "0.00", "0.00"},
        {-0.001, "0.00", "0.00"},
        {12345.678, "#,##0.00", "12,345.68"},
        {1234567, "#,##0", "1,234,567"},
        {12, "0000", "0012"},
        {1.5, "0.###", "1.5"},
        {12345, "0.000E+00", "1.235E+04"},
        {0.000123, "0.00E+00", "1.23E-04"},
        {9.9996, "0.000E+00", "1.000E+01"},
        {0, "0.000E+00", "0.000E+00"},
        {0.256, "0.0%", "25.6%"},
        {3, "Fixed", "3.00"},
        {1234.5, "Standard", "1,234.50"},
        {2, "0.00;(0.00)", "2.00"},
        {-2, "0.00;(0.00)", "(2.00)"},
        {0, "0.00;(0.00);\"zero\"", "zero"},
        {7, "\"n=\"0", "n=7"},
        {1.0 / 3, "", "0.333333333333333"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(Format(r.value, r.pattern), r.text) << r.value << " with " << r.pattern;
    }
}

TEST(Format, PercentOfTheLargestNumbersIsWrittenWhole)
{
    // Scaling by 100 would make these infinite; the scale is a shift of the decimal point.
    const std::string big = Format(1e307, "0%");
    EXPECT_EQ(big, "1" + std::string(309, '0') + "%");
    const double largest = std::numeric_limits<double>::max();
    const std::string text = Format(largest, "0.00%");
    EXPECT_EQ(text.substr(0, 6), "179769");
    EXPECT_EQ(text.size(), 311u + 4u);
    EXPECT_EQ(Format(-1e307, "0.0E+00%"), "-1.0E+309%");
    EXPECT_EQ(Format(0.145, "0%"), "15%");
}

TEST(Format, NonFiniteNumbersAndBadMonthsAreErrors)
{
    EXPECT_EQ(testsupport::errorNumber([] { (void)Format(std::numeric_limits<double>::infinity(), "0"); }),
              platform::err::Overflow);
    EXPECT_EQ(testsupport::errorNumber([] { (void)Format(std::numeric_limits<double>::quiet_NaN(), "0%"); }),
              platform::err::Overflow);
    EXPECT_EQ(testsupport::errorNumber([] { (void)FormatDate(DateTime{2026, 13, 1}, "mmm"); }),
              platform::err::InvalidCall);
    EXPECT_EQ(testsupport::errorNumber([] { (void)DayOfWeek(DateTime{2026, -40, 1}); }), platform::err::InvalidCall);
    // Days of years before 1 and negative day numbers stay within the week.
    for (const DateTime& when : {DateTime{-1, 1, 1}, DateTime{-400, 3, -9}, DateTime{1, 1, -2000000000}}) {
        const int day = DayOfWeek(when);
        EXPECT_GE(day, 0);
        EXPECT_LE(day, 6);
        EXPECT_EQ(FormatDate(when, "ddd").size(), 3u);
    }
}

TEST(FormatDate, DayMonthYearPatterns)
{
    const DateTime when{2026, 12, 8, 9, 5, 7};
    EXPECT_EQ(FormatDate(when, "dd-mmm-yyyy"), "08-Dec-2026");
    EXPECT_EQ(FormatDate(when, "d/m/yy"), "8/12/26");
    EXPECT_EQ(FormatDate(when, "dddd, mmmm d"), "Tuesday, December 8");
    EXPECT_EQ(FormatDate(when, "hh:mm:ss"), "09:05:07");
    EXPECT_EQ(FormatDate(when, "h:nn AM/PM"), "9:05 AM");
}
