#include "sequence/CAADis.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "tests/sequence/SeqTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using sequence::CAADis;

double dist(const CAADis& d, char a, char b)
{
    return d.GetDist(a, b);
}

constexpr std::string_view Standard = "ARNDCQEGHILKMFPSTWYV";

TEST(CAADis, BeforeInitialisationEveryDistanceIsZero)
{
    const CAADis d;
    for (char a : CAADis::Alphabet) {
        for (char b : CAADis::Alphabet) {
            EXPECT_EQ(dist(d, a, b), 0.0);
        }
    }
}

TEST(CAADis, TableDistancesAreSymmetricLookups)
{
    CAADis d;
    ASSERT_TRUE(d.Initialize(true, 0, 0));
    EXPECT_EQ(dist(d, 'L', 'I'), 5);
    EXPECT_EQ(dist(d, 'I', 'L'), 5);
    EXPECT_EQ(dist(d, 'R', 'A'), 111);
    EXPECT_EQ(dist(d, 'V', 'Y'), 55);
    EXPECT_EQ(dist(d, 'W', 'C'), 214);
    EXPECT_EQ(dist(d, 'A', 'A'), 0);
    std::int16_t i1 = -1;
    std::int16_t i2 = -1;
    EXPECT_EQ(d.GetDistI('V', 'A', i1, i2), 64);
    EXPECT_EQ(i1, 19);
    EXPECT_EQ(i2, 0);

    ASSERT_TRUE(d.Initialize(true, 3, 0));
    EXPECT_EQ(dist(d, 'V', 'W'), 3.92);
    EXPECT_EQ(dist(d, 'R', 'A'), 2.36);
    ASSERT_TRUE(d.Initialize(true, 2, 0));
    EXPECT_EQ(dist(d, 'Q', 'C'), 238.3);
}

TEST(CAADis, AmbiguityAndStopCodesExtendTheTable)
{
    CAADis d;
    ASSERT_TRUE(d.Initialize(true, 0, 0));
    EXPECT_EQ(dist(d, 'B', 'A'), 118);
    EXPECT_EQ(dist(d, 'B', 'B'), 11.5);
    EXPECT_EQ(dist(d, 'Z', 'Z'), 14.5);
    EXPECT_EQ(dist(d, 'Z', 'B'), (45 + 41 + 61 + 46) / 4.0);
    for (char r : Standard) {
        double sum = 0;
        for (char x : Standard) {
            sum += dist(d, x, r);
        }
        expectNearRel(dist(d, 'X', r), sum / 20, 1e-14);
    }
    double allPairs = 0;
    for (char a : Standard) {
        for (char b : Standard) {
            allPairs += dist(d, a, b);
        }
    }
    expectNearRel(dist(d, 'X', 'X'), allPairs / 400, 1e-14);
    for (char c : std::string("-.0JOU*")) {
        SCOPED_TRACE(c);
        EXPECT_EQ(dist(d, c, 'A'), 214);
        EXPECT_EQ(dist(d, 'X', c), 214);
        EXPECT_EQ(dist(d, c, '*'), 0);
    }
}

TEST(CAADis, PropertyScalesGiveAbsoluteDifferences)
{
    CAADis d;
    ASSERT_TRUE(d.Initialize(false, 0, 8));
    EXPECT_EQ(dist(d, 'I', 'R'), 9);
    EXPECT_EQ(dist(d, 'R', 'I'), 9);
    EXPECT_EQ(dist(d, '*', 'A'), 9);
    ASSERT_TRUE(d.Initialize(false, 0, 11));
    for (char a : Standard) {
        for (char b : Standard) {
            const double v = dist(d, a, b);
            EXPECT_TRUE(v == 0 || v == 1) << a << b;
        }
    }
    ASSERT_TRUE(d.Initialize(false, 0, 10));
    expectNearRel(dist(d, 'W', 'G'), 204.23 - 75.07, 1e-12);
}

TEST(CAADis, StoredTablesServeTheCombinedLookups)
{
    CAADis d;
    double d0 = 0;
    double d1 = 0;
    double d2 = 0;
    EXPECT_EQ(testsupport::errorNumber([&] { d.GetDistAll('W', 'C', d0, d1, d2); }), 91);
    ASSERT_TRUE(d.InitializeAllCompDistMat());
    d.GetDistAll('W', 'C', d0, d1, d2);
    EXPECT_EQ(d0, 214);
    EXPECT_EQ(d1, 3.3338);
    EXPECT_EQ(d2, 138.3);
    EXPECT_EQ(dist(d, 'W', 'C'), 138.3);
    std::int16_t i1 = 0;
    std::int16_t i2 = 0;
    d.GetDistIGM('C', 'W', i1, i2, d0, d1);
    EXPECT_EQ(i1, 4);
    EXPECT_EQ(i2, 17);
    EXPECT_EQ(d1, 3.3338);
    d.GetDistGMyD('L', 'I', d0, d2);
    EXPECT_EQ(d0, 5);
    EXPECT_EQ(d2, 81.8);
    // Initialize leaves the stored tables alone.
    ASSERT_TRUE(d.Initialize(false, 0, 8));
    d.GetDistAll('W', 'C', d0, d1, d2);
    EXPECT_EQ(d0, 214);
}

TEST(CAADis, BadArgumentsRaiseAndChangeNothing)
{
    CAADis d;
    ASSERT_TRUE(d.Initialize(true, 0, 0));
    EXPECT_EQ(testsupport::errorNumber([&] { d.Initialize(true, 4, 0); }), 5);
    EXPECT_EQ(testsupport::errorNumber([&] { d.Initialize(false, 0, 17); }), 5);
    EXPECT_EQ(testsupport::errorNumber([&] { d.Initialize(false, 0, -1); }), 5);
    EXPECT_EQ(dist(d, 'L', 'I'), 5);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)d.GetDist('a', 'A'); }), 9);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)d.GetDist(-1, 'A'); }), 9);
}

} // namespace
