#include "platform/errors/Error.h"

#include <new>
#include <stdexcept>

#include <gtest/gtest.h>

using platform::Error;
using platform::RaiseError;

TEST(RaiseError, WithNothingPendingRaisesNumberOneWithSourceAndNote)
{
    try {
        RaiseError("SelectSheet", "SheetIndex greater than the number of sheets in the workbook");
        FAIL() << "RaiseError returned with no error pending";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.source(), "SelectSheet");
        EXPECT_EQ(e.description(), "SheetIndex greater than the number of sheets in the workbook");
    }
}

TEST(RaiseError, OnPendingErrorAppendsOneTrailLinePerCallAndKeepsNumber)
{
    try {
        try {
            throw Error(53, "X", "File not found");
        } catch (const Error&) {
            RaiseError("A", "first");
            RaiseError("B", "second");
            throw;
        }
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 53);
        EXPECT_EQ(e.source(), "X, A\r\n, B\r\n");
        EXPECT_EQ(e.description(), "File not found, first\r\n, second\r\n");
    }
}

TEST(RaiseError, OnPendingForeignExceptionRaisesItAsNumberedErrorWithTrail)
{
    try {
        try {
            throw std::bad_alloc();
        } catch (...) {
            RaiseError("Grow", "while growing");
            FAIL() << "a foreign exception cannot carry a trail, so RaiseError must raise";
        }
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 7);
        EXPECT_EQ(e.source(), "Quorin, Grow\r\n");
    }
}

TEST(Error, ForeignExceptionsMapToRuntimeNumbers)
{
    auto numberOf = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            return platform::currentAsError().number();
        }
        return -1;
    };
    EXPECT_EQ(numberOf([] { throw std::bad_alloc(); }), 7);
    EXPECT_EQ(numberOf([] { throw std::out_of_range("x"); }), 9);
    EXPECT_EQ(numberOf([] { throw std::overflow_error("x"); }), 6);
    EXPECT_EQ(numberOf([] { throw std::invalid_argument("x"); }), 5);
    EXPECT_EQ(numberOf([] { throw std::runtime_error("x"); }), 1);
    EXPECT_EQ(numberOf([] { throw Error(61, "s", "d"); }), 61);
}

TEST(Error, StandardDescriptionsCoverTheReportedGroups)
{
    EXPECT_EQ(platform::StandardDescription(6), "Overflow");
    EXPECT_EQ(platform::StandardDescription(9), "Subscript out of range");
    EXPECT_EQ(platform::StandardDescription(53), "File not found");
    EXPECT_EQ(platform::StandardDescription(94), "Invalid use of Null");
    EXPECT_EQ(platform::StandardDescription(482), "Printer error");
    EXPECT_EQ(platform::StandardDescription(12345), "Application-defined or object-defined error");
    for (int n : {3, 5, 7, 11, 13, 52, 54, 55, 57, 58, 61, 62, 67, 68, 70, 71, 75, 76, 91, 281, 297, 340, 344, 380,
                  429, 483, 484, 486, 32755}) {
        EXPECT_NE(platform::StandardDescription(n), "Application-defined or object-defined error") << n;
    }
}

TEST(Error, PendingErrorIsNullOutsideCatchBlocks)
{
    EXPECT_EQ(platform::pendingError(), nullptr);
    try {
        throw Error(5, "s", "d");
    } catch (const Error& e) {
        ASSERT_NE(platform::pendingError(), nullptr);
        EXPECT_EQ(platform::pendingError(), &e);
    }
}
