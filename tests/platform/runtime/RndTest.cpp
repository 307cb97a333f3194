#include "platform/runtime/Rnd.h"

#include <set>

#include <gtest/gtest.h>

using platform::rt::RandomSource;

TEST(Rnd, SameSeedGivesSameSequenceInRange)
{
    RandomSource a(42.0);
    RandomSource b(42.0);
    RandomSource c(43.0);
    std::set<double> seen;
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        const double x = a.next();
        EXPECT_EQ(x, b.next());
        differs |= x != c.next();
        EXPECT_GE(x, 0.0);
        EXPECT_LT(x, 1.0);
        seen.insert(x);
    }
    EXPECT_TRUE(differs);
    EXPECT_GT(seen.size(), 990u);
}

TEST(Rnd, ZeroRepeatsTheLastValueAndNegativeReseeds)
{
    RandomSource a;
    const double first = a.rnd(1);
    EXPECT_EQ(a.rnd(0), first);
    const double s1 = a.rnd(-3);
    const double s2 = a.rnd(1);
    RandomSource b;
    EXPECT_EQ(b.rnd(-3), s1);
    EXPECT_EQ(b.rnd(1), s2);
}
