#include "platform/runtime/Format.h"

#include <gtest/gtest.h>

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

TEST(FormatDate, DayMonthYearPatterns)
{
    const DateTime when{2026, 12, 8, 9, 5, 7};
    EXPECT_EQ(FormatDate(when, "dd-mmm-yyyy"), "08-Dec-2026");
    EXPECT_EQ(FormatDate(when, "d/m/yy"), "8/12/26");
    EXPECT_EQ(FormatDate(when, "dddd, mmmm d"), "Tuesday, December 8");
    EXPECT_EQ(FormatDate(when, "hh:mm:ss"), "09:05:07");
    EXPECT_EQ(FormatDate(when, "h:nn AM/PM"), "9:05 AM");
}
