#include "engines/small/SmallExports.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(ExactTest, EqualCrossProductsGiveOneAndAHalf)
{
    double two = 0, one = 0;
    EXPECT_EQ(ExactDLL(2, 4, 3, 6, &two, &one), 1);
    EXPECT_EQ(two, 1.0);
    EXPECT_EQ(one, 0.5);
}
