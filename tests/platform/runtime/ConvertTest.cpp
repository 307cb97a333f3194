#include "platform/runtime/Convert.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "tests/support/ErrorAssert.h"
#include "tests/support/TestSupport.h"

using namespace platform::rt;

TEST(Val, ReadsTheLeadingNumber)
{
    struct Row {
        const char* text;
        double value;
    };
    const Row rows[] = {
        {"12.5abc", 12.5}, {"  -3", -3},    {"abc", 0},        {"", 0},          {"1 2 3", 123},
        {".5", 0.5},       {"1e3x", 1000},  {"2.5E-2", 0.025}, {"1d2", 100},     {"7e", 7},
        {"&HFF", 255},     {"&O17", 15},    {"+4", 4},         {"1,000", 1},     {"-.25", -0.25},
        {"\t 8\r\n", 8},   {"3.", 3},       {"--3", 0},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(Val(r.text), r.value) << r.text;
    }
}

TEST(Val, UnderflowGivesZeroAndOverflowRaisesSix)
{
    struct Row {
        const char* text;
        double value;  // -1 marks error 6
    };
    const Row rows[] = {
        {"1e-400", 0},
        {"-1e-400", 0},
        {"0.000001e-320", 0},
        {"1e-99999999999999999999", 0},
        {"123456789e-330", 123456789e-330},
        {"0e999999", 0},
        {"1e400", -1},
        {"-1e400", -1},
        {"100000000000000000000e300", -1},
        {"0.001e311", 1e308},
        {"1e99999999999999999999", -1},
    };
    for (const auto& r : rows) {
        if (r.value == -1) {
            EXPECT_EQ(testsupport::errorNumber([&] { (void)Val(r.text); }), platform::err::Overflow) << r.text;
        } else {
            EXPECT_EQ(Val(r.text), r.value) << r.text;
        }
    }
    EXPECT_EQ(testsupport::errorNumber([] { (void)Val("&H" + std::string(300, 'F')); }), platform::err::Overflow);
    EXPECT_EQ(testsupport::errorNumber([] { (void)CDbl("1e400"); }), platform::err::Overflow);
    EXPECT_EQ(CDbl("1e-400"), 0);
}

TEST(CStr, UsesFifteenDigitsAndExponentsLikeTheRuntime)
{
    EXPECT_EQ(CStr(0.5), "0.5");
    EXPECT_EQ(CStr(-0.5), "-0.5");
    EXPECT_EQ(CStr(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(CStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(CStr(1e15), "1E+15");
    EXPECT_EQ(CStr(1e-5), "1E-05");
    EXPECT_EQ(CStr(0.0001), "0.0001");
    EXPECT_EQ(CStr(0.0), "0");
    EXPECT_EQ(CStr(-0.0), "0");
    EXPECT_EQ(CStr(100.0), "100");
    EXPECT_EQ(CStr(std::int64_t{-42}), "-42");
}

TEST(Str, KeepsASignBlankAndDropsTheLeadingZero)
{
    EXPECT_EQ(Str(5.0), " 5");
    EXPECT_EQ(Str(5), " 5");
    EXPECT_EQ(Str(-5), "-5");
    EXPECT_EQ(Str(0.5), " .5");
    EXPECT_EQ(Str(-0.5), "-.5");
    EXPECT_EQ(Str(0.0), " 0");
}

TEST(CInt, RoundsHalvesToEvenAndRaisesOverflow)
{
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5), 4);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CInt(-3.5), -4);
    EXPECT_EQ(CInt(2.4999), 2);
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(CInt(-32768.5), -32768);
    for (double bad : {32767.5, -32769.0, 1e10, std::nan("")}) {
        try {
            (void)CInt(bad);
            ADD_FAILURE() << bad << " converted";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), 6);
        }
    }
    EXPECT_EQ(CLng(2147483647.0), 2147483647);
    EXPECT_THROW((void)CLng(2147483648.0), platform::Error);
    EXPECT_EQ(CLng(0.5), 0);
    EXPECT_EQ(CLng(1.5), 2);
}

TEST(CDbl, AcceptsWholeNumbersOnly)
{
    EXPECT_EQ(CDbl(" 1.5 "), 1.5);
    EXPECT_TRUE(IsNumeric("-2e3"));
    EXPECT_FALSE(IsNumeric("12abc"));
    EXPECT_FALSE(IsNumeric(""));
    try {
        (void)CDbl("x");
        FAIL();
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 13);
    }
}

TEST(Convert, CommaDecimalLocaleChangesNoText)
{
    testsupport::CommaDecimalLocale comma;
    if (!comma.active()) {
        GTEST_SKIP() << "no comma-decimal locale can be set here";
    }
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(CStr(0.5), "0.5");
    EXPECT_EQ(Str(-0.25), "-.25");
    EXPECT_EQ(Val("1.25"), 1.25);
    EXPECT_EQ(CDbl("2.5e1"), 25);
}

TEST(ReadNumber, TellsNumbersFromTextAndFromValuesBeyondADouble)
{
    using Kind = FieldNumber::Kind;
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        const char* text;
        Kind whole;      // ReadNumber
        Kind leading;    // ReadLeadingNumber
        double value;    // of the leading reading
    };
    const Row rows[] = {
        {"12.5", Kind::Number, Kind::Number, 12.5},
        {" -3 ", Kind::Number, Kind::Number, -3},
        {"abc", Kind::NotANumber, Kind::NotANumber, 0},
        {"", Kind::NotANumber, Kind::NotANumber, 0},
        {" - .e5", Kind::NotANumber, Kind::NotANumber, 0},
        {"0", Kind::Number, Kind::Number, 0},
        {"5 clusters", Kind::NotANumber, Kind::Number, 5},
        {"1e10", Kind::Number, Kind::Number, 1e10},
        {"1e-999", Kind::Number, Kind::Number, 0},
        {"1e999", Kind::OutOfRange, Kind::OutOfRange, inf},
        {"1e400", Kind::OutOfRange, Kind::OutOfRange, inf},
        {"-1e999", Kind::OutOfRange, Kind::OutOfRange, -inf},
        {"1e999 nodes", Kind::NotANumber, Kind::OutOfRange, inf},
        {"1.79769313486231E+308", Kind::Number, Kind::Number, LargestNumber},
        {"1.8e308", Kind::OutOfRange, Kind::OutOfRange, inf},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        const FieldNumber whole = ReadNumber(r.text);
        EXPECT_EQ(whole.kind, r.whole);
        if (r.whole != Kind::NotANumber) {
            EXPECT_EQ(whole.value, r.value);
        }
        const FieldNumber leading = ReadLeadingNumber(r.text);
        EXPECT_EQ(leading.kind, r.leading);
        EXPECT_EQ(leading.value, r.value);
        EXPECT_EQ(leading.isTooLarge(), r.value == inf);
    }
    // The largest number's text reads back as a number.
    EXPECT_EQ(LargestNumberText(), "1.79769313486231E+308");
    EXPECT_TRUE(ReadNumber(LargestNumberText()).isNumber());
    EXPECT_TRUE(ReadLeadingNumber("&H" + std::string(300, 'F')).isTooLarge());
    EXPECT_EQ(ReadLeadingNumber("&H64 nt").value, 100);
    EXPECT_TRUE(ReadLeadingNumber("&H64 nt").isNumber());
    EXPECT_FALSE(ReadLeadingNumber("&Hzz").isNumber()) << "a prefix without a digit is no number";
    EXPECT_FALSE(ReadLeadingNumber("&O9").isNumber());
}
