#include "platform/spreadsheet/NumberFormat.h"

#include <gtest/gtest.h>

namespace {

using spreadsheet::formatNumber;
using spreadsheet::shownNumberText;

int chars(std::string_view text)
{
    return static_cast<int>(text.size());
}

TEST(NumberFormat, TextOfEachCode)
{
    const struct {
        const char* name;
        double value;
        const char* code;
        const char* text;
    } rows[] = {
        {"general", -0.43355390196735, "General", "-0.43355390196735"},
        {"general any case", 12.5, "general", "12.5"},
        {"whole rounds half away from zero", 2.5, "0", "3"},
        {"decimal half rounds up", 1.005, "0.00", "1.01"},
        {"whole rounds up", 2.51, "0", "3"},
        {"fixed two", -0.43355390196735, "0.00", "-0.43"},
        {"fixed two pads", 3, "0.00", "3.00"},
        {"fixed rounds carry", 9.999, "0.00", "10.00"},
        {"negative rounding to zero has no sign", -0.001, "0.00", "0.00"},
        {"thousands", 1234567.891, "#,##0", "1,234,568"},
        {"thousands two", -1234.5, "#,##0.00", "-1,234.50"},
        {"thousands small", 12, "#,##0", "12"},
        {"percent", 0.1234, "0%", "12%"},
        {"percent two", 0.1234, "0.00%", "12.34%"},
        {"scientific", 123456, "0.00E+00", "1.23E+05"},
        {"scientific three", -0.000123456, "0.000E+00", "-1.235E-04"},
        {"scientific carry", 9.9999, "0.00E+00", "1.00E+01"},
        {"scientific zero", 0, "0.00E+00", "0.00E+00"},
        {"optional digits", 3.1, "#.##", "3.1"},
        {"optional digits whole", 3, "#.##", "3."},
        {"leading zero optional", 0.5, "#.00", ".50"},
        {"literal text", 12.3, "0.0 \"kg\"", "12.3 kg"},
        {"currency", 1234.5, "$#,##0.00", "$1,234.50"},
        {"two sections negative", -5, "0.00;(0.00)", "(5.00)"},
        {"three sections zero", 0, "0;-0;\"zero\"", "zero"},
        {"colour tag ignored", -3, "0;[Red]-0", "-3"},
        {"scaled by thousands", 12345, "#,##0,", "12"},
        {"date", 36526, "m/d/yy", "1/1/00"},
        {"date long year", 45291, "d-mmm-yyyy", "31-Dec-2023"},
        {"date month name", 44197, "mmmm d, yyyy", "January 1, 2021"},
        {"leap day of 1900 counted", 60, "yyyy-mm-dd", "1900-02-29"},
        {"before the false leap day", 59, "yyyy-mm-dd", "1900-02-28"},
        {"after the false leap day", 61, "yyyy-mm-dd", "1900-03-01"},
        {"weekday", 45291, "dddd", "Sunday"},
        {"time", 0.75, "h:mm", "18:00"},
        {"time seconds", 0.5 + 1.0 / 86400 * 61, "h:mm:ss", "12:01:01"},
        {"time am pm", 0.75, "h:mm AM/PM", "6:00 PM"},
        {"midnight am pm", 0.0, "h:mm AM/PM", "12:00 AM"},
        {"date and time", 36526.5, "m/d/yy h:mm", "1/1/00 12:00"},
        {"text format shows the number", 7.25, "@", "7.25"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(formatNumber(row.value, row.code), row.text) << row.name;
}

TEST(NumberFormat, NumberThatDoesNotFitShowsHashes)
{
    const struct {
        const char* name;
        double value;
        const char* code;
        int width;
        const char* shown;
    } rows[] = {
        // The case that once showed a cut-off "390196735".
        {"general rounds to fit", -0.43355390196735, "General", 9, "-0.433554"},
        {"general too narrow", -0.43355390196735, "General", 3, "###"},
        {"fixed fits", -0.43355390196735, "0.00", 5, "-0.43"},
        {"fixed never cut", -0.43355390196735, "0.00", 4, "####"},
        {"thousands never cut", 1234567.0, "#,##0", 8, "########"},
        {"percent exact fit", 0.5, "0%", 3, "50%"},
        {"scientific too wide", 123456, "0.000E+00", 6, "######"},
        {"date too wide", 45291, "d-mmm-yyyy", 10, "##########"},
        {"date outside the calendar", -1, "m/d/yy", 4, "####"},
        {"no room at all", 5, "0", 0, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(shownNumberText(row.value, row.code, row.width, chars), row.shown) << row.name;
}

// Elapsed times, fractions, scaling commas and negative zero; where a code
// cannot be applied the General text; what stays as it was beside them.
TEST(NumberFormat, ElapsedFractionAndScaledCodes)
{
    const struct {
        const char* name;
        double value;
        const char* code;
        const char* text;
    } rows[] = {
        {"hours past a day", 1.5, "[h]:mm", "36:00"},
        {"hours with seconds", 1.5, "[h]:mm:ss", "36:00:00"},
        {"negative span", -1.5, "[h]:mm", "-36:00"},
        {"negative span rounding to zero has no sign", -0.0000001, "[h]:mm", "0:00"},
        {"span rounded to the second", 0.999999999, "[h]:mm:ss", "24:00:00"},
        {"decimals of a second", 0.0104166666667, "[h]:mm:ss.00", "0:15:00.00"},
        {"span too long shows General", 1e7, "[h]:mm", "10000000"},
        {"span beside a date shows General", 1.5, "d [h]:mm", "1.5"},
        {"mixed fraction", 1.5, "# ?/?", "1 1/2"},
        {"fraction alone", 0.5, "?/?", "1/2"},
        {"negative mixed fraction", -1234.5678, "# ?/?", "-1234 4/7"},
        {"two-digit fraction padded", 1.5, "# ?\?/?\?", "1  1/2 "},
        {"whole number keeps the fraction's room", 3, "# ?/?", "3    "},
        {"zero keeps the fraction's room", 0, "# ?\?/?\?", "0      "},
        {"improper fraction", 1.5, "?/?", "3/2"},
        {"improper negative rounding to zero has no sign", -0.001, "?/?", "0/1"},
        {"fraction too large shows General", 1e10, "# ?/?", "10000000000"},
        {"fixed denominator shows General", 1.5, "# ?/4", "1.5"},
        {"comma after the decimals scales", 1234.5678, "0.0,", "1.2"},
        {"two commas scale by a million", 1234567890, "#,##0,,", "1,235"},
        {"no digits for zero", 0, "#", ""},
        {"negative zero under General", -0.0, "General", "0"},
        {"negative zero as text", -0.0, "@", "0"},
        {"negative zero fixed", -0.0, "0.00", "0.00"},
        {"clock time rounded to the second", 0.0000115, "h:mm:ss", "0:00:01"},
        {"clock tenths carry into the next day", 0.999999999, "mm:ss.0", "00:00.0"},
        {"negative clock time has no text", -0.25, "mm:ss.0", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(formatNumber(row.value, row.code), row.text) << row.name;
}

// A code with no text for the value leaves the cell empty at any width;
// texts that do not fit still show '#'s.
TEST(NumberFormat, NoTextForTheValueLeavesTheCellEmpty)
{
    const struct {
        const char* name;
        double value;
        const char* code;
        int width;
        const char* shown;
    } rows[] = {
        {"zero under #", 0, "#", 10, ""},
        {"zero under # in a narrow column", 0, "#", 1, ""},
        {"a quarter under #,###", 0.25, "#,###", 3, ""},
        {"negative zero under General", -0.0, "General", 5, "0"},
        {"fraction too wide", 1.5, "# ?/?", 4, "####"},
        {"span too long is General, rounded to fit", 1e7, "[h]:mm", 5, "1E+07"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(shownNumberText(row.value, row.code, row.width, chars), row.shown) << row.name;
}

TEST(NumberFormat, DateCodesAreRecognised)
{
    EXPECT_TRUE(spreadsheet::isDateFormat("m/d/yy"));
    EXPECT_TRUE(spreadsheet::isDateFormat("h:mm AM/PM"));
    EXPECT_FALSE(spreadsheet::isDateFormat("0.00E+00"));
    EXPECT_FALSE(spreadsheet::isDateFormat("General"));
    EXPECT_FALSE(spreadsheet::isDateFormat("0.0 \"days\""));
    for (const std::string& code : spreadsheet::builtInNumberFormats())
        EXPECT_FALSE(formatNumber(1234.5, code).empty()) << code;
}

} // namespace
