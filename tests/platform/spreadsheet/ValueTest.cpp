#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Value.h"
#include "platform/errors/Error.h"

namespace {

using namespace spreadsheet;

TEST(Value, EntryParsingIsLocaleIndependent)
{
    struct Row {
        const char* text;
        Value expected;
    };
    const Row rows[] = {
        {"12.5", Value(12.5)},      {" -3 ", Value(-3)},        {"+4", Value(4)},
        {"1e3", Value(1000)},       {"1,5", Value("1,5")},      {"12abc", Value("12abc")},
        {"inf", Value("inf")},      {"nan", Value("nan")},      {"TRUE", Value::logical(true)},
        {"False", Value::logical(false)}, {"#n/a", Value::error(CellError::NA)}, {"", Value()},
    };
    for (const Row& r : rows)
        EXPECT_EQ(parseEntry(r.text), r.expected) << r.text;
}

TEST(Value, DisplayAndRoundTripTexts)
{
    EXPECT_EQ(Value(0.1).displayText(), "0.1");
    EXPECT_EQ(Value(1e20).displayText(), "1E+20");
    EXPECT_EQ(Value(2.0 / 3.0).displayText(), "0.666666666666667");
    EXPECT_EQ(Value::error(CellError::Div0).displayText(), "#DIV/0!");
    const double tricky = 0.1 + 0.2;
    double back = 0;
    ASSERT_TRUE(parseNumber(numberToRoundTripText(tricky), back));
    EXPECT_EQ(back, tricky);
}

TEST(CellRef, ColumnLettersAndReferenceTexts)
{
    EXPECT_EQ(columnLetters(1), "A");
    EXPECT_EQ(columnLetters(26), "Z");
    EXPECT_EQ(columnLetters(27), "AA");
    EXPECT_EQ(columnLetters(256), "IV");
    EXPECT_EQ(cellRefText(3, 2, false), "B3");
    EXPECT_EQ(cellRefText(3, 2, true), "$B$3");
    EXPECT_EQ(rangeRefText(RangeRef{1, 27, 100, 256}, true), "$AA$1:$IV$100");
    EXPECT_THROW((void)columnLetters(257), platform::Error);
}

TEST(CellRef, ParsingAcceptsCaseAndDollarsAndRejectsOutside)
{
    RangeRef r;
    ASSERT_TRUE(parseRangeRef("$d$10:a1", r));
    EXPECT_EQ(r, (RangeRef{1, 1, 10, 4}));
    const char* bad[] = {"IW1", "A0", "A16385", "A", "1", "A1:", "AAA1", "A1B"};
    for (const char* b : bad)
        EXPECT_FALSE(parseRangeRef(b, r)) << b;
}

} // namespace
