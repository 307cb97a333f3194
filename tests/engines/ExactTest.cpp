// Fisher's exact test against the quadruple-precision walk that evaluates
// every table one by one (tests/engines/ExactReference.h): the same p-values
// to near double precision, relative to the p-value however small it is.

#include "engines/small/SmallEngines.h"

#include "tests/engines/ExactReference.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <random>
#include <string>

namespace {

using exactref::Cells;
using exactref::nearIndependence;

std::string describe(const Cells& t)
{
    return "[[" + std::to_string(t.a) + ", " + std::to_string(t.b) + "], [" + std::to_string(t.c) + ", "
        + std::to_string(t.d) + "]]";
}

// |actual - expected| within `tolerance` x |expected|; p-values too small for
// a normal double compare to the smallest normal double instead.
::testing::AssertionResult relativelyNear(double actual, double expected, double tolerance)
{
    const double scale = std::max(std::fabs(expected), 1e-300);
    if (std::fabs(actual - expected) <= tolerance * scale)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "actual " << actual << ", expected " << expected << ", relative error "
                                         << std::fabs(actual - expected) / scale << " above " << tolerance;
}

void expectSameAsReference(const Cells& t, double tolerance)
{
    const tallowin::ExactResult fast = tallowin::fisherExact(t.a, t.b, t.c, t.d);
    const tallowin::ExactResult slow = exactref::walkingFisher(t.a, t.b, t.c, t.d);
    SCOPED_TRACE(describe(t));
    ASSERT_EQ(fast.ok, slow.ok);
    EXPECT_TRUE(relativelyNear(fast.twoSided, slow.twoSided, tolerance));
    EXPECT_TRUE(relativelyNear(fast.oneSided, slow.oneSided, tolerance));
}

} // namespace

TEST(ExactTest, RandomTablesGiveTheReferenceValues)
{
    const unsigned seed = 20261208;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    // Cells up to each bound: small tables where every table of the line
    // matters, and larger ones whose tails stop early.
    const int64_t bounds[] = {3, 10, 40, 200, 2000, 25000};
    for (int64_t bound : bounds) {
        std::uniform_int_distribution<int64_t> cell(0, bound);
        for (int k = 0; k < 60; ++k)
            expectSameAsReference({cell(rng), cell(rng), cell(rng), cell(rng)}, 1e-12);
    }
    // Tables near independence for totals up to 10^7, with random margins:
    // the tails are long, the other side starts close to the observed table.
    std::uniform_real_distribution<double> share(0.02, 0.98);
    std::uniform_int_distribution<int64_t> shift(-40, 40);
    for (int64_t n : {int64_t{1000}, int64_t{100000}, int64_t{3000000}, int64_t{10000000}}) {
        for (int k = 0; k < 12; ++k) {
            const auto r1 = static_cast<int64_t>(share(rng) * static_cast<double>(n));
            const auto c1 = static_cast<int64_t>(share(rng) * static_cast<double>(n));
            const Cells t = nearIndependence(n, r1, c1, shift(rng) * (n / 1000 + 1) / 8);
            if (t.a >= 0 && t.b >= 0 && t.c >= 0 && t.d >= 0)
                expectSameAsReference(t, 1e-12);
        }
    }
}

TEST(ExactTest, EdgeTablesGiveTheReferenceValues)
{
    const Cells cases[] = {
        {0, 0, 0, 1},
        {1, 0, 0, 0},
        {0, 1, 1, 0},
        {5, 0, 0, 5},
        {3, 1, 1, 3},              // the mirror table ties with the observed one
        {1, 3, 3, 1},
        {2, 4, 3, 6},              // ad = bc
        {10, 0, 0, 0},
        {0, 7, 0, 9},              // one column empty: ad = bc
        {40, 41, 41, 40},          // next to independence, both sides long
        {60, 41, 41, 60},
        {100, 50, 50, 100},
        {1, 200000, 200000, 1},    // far out: the other side starts 200,000 tables away
        {200000, 0, 0, 200000},
        {0, 150000, 149000, 3},
        {7, 0, 90000, 85000},      // one row nearly empty
        {25000, 25001, 25001, 25000},
        {1, 1000000, 1000000, 0},
    };
    for (const Cells& t : cases)
        expectSameAsReference(t, 1e-12);

    // Tables next to independence at totals near 10^7: every table within a
    // few standard deviations counts on both sides.
    for (int64_t shift : {-3, -1, 0, 1, 2, 5, 300}) {
        expectSameAsReference(nearIndependence(10000000, 5000000, 5000000, shift), 1e-12);
        expectSameAsReference(nearIndependence(9999991, 1234567, 7654321, shift), 1e-12);
    }
}

TEST(ExactTest, LargeTablesNearIndependenceGiveTheReferenceValues)
{
    // Totals from 10^8 to 2^31 - 1, random margins, the observed table up to
    // six standard deviations from independence.
    const unsigned seed = 20261209;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 rng(seed);
    for (int k = 0; k < 40; ++k)
        expectSameAsReference(exactref::randomLargeTable(rng, 0.03), 1e-12);
}

TEST(ExactTest, SymmetricTablesGiveExactlyOneAndOneHalf)
{
    // [[m, m + 1], [m + 1, m]] and its mirror image: the line of tables is
    // symmetric about the two, so the one-sided p is exactly half of all
    // tables and the two-sided p all of them.
    for (const int64_t m : {int64_t{1}, int64_t{40}, int64_t{1000000}, int64_t{1000000000}, int64_t{2147483646}}) {
        for (const Cells& t : {Cells{m, m + 1, m + 1, m}, Cells{m + 1, m, m, m + 1}}) {
            SCOPED_TRACE(describe(t));
            const tallowin::ExactResult r = tallowin::fisherExact(t.a, t.b, t.c, t.d);
            ASSERT_TRUE(r.ok);
            EXPECT_EQ(r.twoSided, 1.0);
            EXPECT_EQ(r.oneSided, 0.5);
        }
    }
}

TEST(ExactTest, LargestTablesGiveTheReferenceValues)
{
    // Totals of 2^31 - 1 and just below, balanced and skewed margins, from
    // next to independence to far enough out that p is near 1e-300.
    const int64_t n = 2147483647;
    for (int64_t shift : {-2, 0, 1, 20000, -150000, 400000}) {
        expectSameAsReference(nearIndependence(n, n / 2, n / 2 + 12345, shift), 1e-12);
        expectSameAsReference(nearIndependence(n - 3, n / 40, n / 3, shift / 4), 1e-12);
    }
}
