// The small engines through the library's C interface.

#include "engines/small/SmallExports.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

// ---- Fisher's exact test ----------------------------------------------------

struct FisherCase {
    int32_t a, b, c, d;
    double twoSided, oneSided;
};

TEST(ExactTest, SmallTablesMatchExactFractions)
{
    const FisherCase cases[] = {
        {1, 0, 0, 1, 1.0, 0.5},
        {5, 0, 0, 5, 2.0 / 252.0, 1.0 / 252.0},
        {0, 5, 5, 0, 2.0 / 252.0, 1.0 / 252.0},
        // The mirror table (1,3,3,1) is exactly as probable and counts as a tie.
        {3, 1, 1, 3, 34.0 / 70.0, 17.0 / 70.0},
        {1, 3, 3, 1, 34.0 / 70.0, 17.0 / 70.0},
        {1, 9, 11, 3, 0.0027594562, 0.0013797281},
        {2, 4, 3, 6, 1.0, 0.5},
        {0, 0, 0, 0, 1.0, 0.5},
    };
    for (const auto& t : cases) {
        double two = -1, one = -1;
        EXPECT_EQ(ExactDLL(t.a, t.b, t.c, t.d, &two, &one), 1) << t.a << t.b << t.c << t.d;
        expectNearRel(two, t.twoSided, 1e-8);
        expectNearRel(one, t.oneSided, 1e-8);
    }
}

// Reference in log space with plain summation over every table with the
// observed margins, following the same two-sided rule.
double logChoose(double n, double k)
{
    return std::lgamma(n + 1) - std::lgamma(k + 1) - std::lgamma(n - k + 1);
}

void referenceFisher(int64_t a, int64_t b, int64_t c, int64_t d, double& two, double& one)
{
    const int64_t r1 = a + b, c1 = a + c, n = a + b + c + d;
    auto logP = [&](int64_t x) { return logChoose(double(r1), double(x)) + logChoose(double(n - r1), double(c1 - x)) - logChoose(double(n), double(c1)); };
    const int64_t lo = std::max<int64_t>(0, c1 - (n - r1)), hi = std::min(r1, c1);
    const double p0 = logP(a);
    const int64_t cross0 = std::llabs(a * d - b * c);
    const bool low = a * d - b * c <= 0;
    one = 0, two = 0;
    for (int64_t x = lo; x <= hi; ++x) {
        const int64_t bb = r1 - x, cc = c1 - x, dd = n - r1 - cc;
        const double p = std::exp(logP(x));
        const bool sameSide = low ? x <= a : x >= a;
        if (sameSide) {
            one += p;
            two += p;
        } else if (std::llabs(x * dd - bb * cc) >= cross0 && logP(x) <= p0 + 1e-9) {
            two += p;
        }
    }
}

TEST(ExactTest, LargeTablesGiveTheirTrueSmallPValues)
{
    double two = 0, one = 0;
    ASSERT_EQ(ExactDLL(100, 50, 50, 100, &two, &one), 1);
    expectNearRel(two, 1.138e-8, 1e-3);
    expectNearRel(one, 5.69e-9, 1e-3);
    EXPECT_NEAR(two, 2 * one, 1e-20);

    const FisherCase big[] = {{150, 140, 145, 150, 0, 0}, {60, 41, 41, 60, 0, 0}, {200, 30, 40, 180, 0, 0},
                              {3, 400, 25, 380, 0, 0},    {41, 0, 0, 41, 0, 0}};
    for (const auto& t : big) {
        double rt = 0, ro = 0;
        referenceFisher(t.a, t.b, t.c, t.d, rt, ro);
        ASSERT_EQ(ExactDLL(t.a, t.b, t.c, t.d, &two, &one), 1);
        EXPECT_GT(two, 0.0);
        expectNearRel(two, rt, 1e-9);
        expectNearRel(one, ro, 1e-9);
    }
}

TEST(ExactTest, SymmetricLargeTableThroughTheExportGivesExactlyOneAndOneHalf)
{
    double two = 0, one = 0;
    ASSERT_EQ(ExactDLL(1000000000, 1000000001, 1000000001, 1000000000, &two, &one), 1);
    EXPECT_EQ(two, 1.0);
    EXPECT_EQ(one, 0.5);
    ASSERT_EQ(ExactDLL(2147483647, 2147483646, 2147483646, 2147483647, &two, &one), 1);
    EXPECT_EQ(two, 1.0);
    EXPECT_EQ(one, 0.5);
}

TEST(ExactTest, NegativeCellsFailWithTheFailureValues)
{
    double two = 0, one = 0;
    EXPECT_EQ(ExactDLL(-1, 2, 3, 4, &two, &one), 0);
    EXPECT_EQ(two, -999.999);
    EXPECT_EQ(one, -999.999);
}

TEST(ExactTest, CellsBeyondThirtyTwoBitProductsStayFiniteAndAgreeWithTheReference)
{
    struct Big {
        int32_t a, b, c, d;
    };
    const Big cases[] = {{60000, 50000, 50000, 60000}, {2000000, 1999000, 2001000, 2000500}, {5, 3000000, 4, 2999000}};
    for (const auto& t : cases) {
        double two = 0, one = 0, rt = 0, ro = 0;
        ASSERT_EQ(ExactDLL(t.a, t.b, t.c, t.d, &two, &one), 1);
        referenceFisher(t.a, t.b, t.c, t.d, rt, ro);
        EXPECT_TRUE(std::isfinite(two));
        EXPECT_GE(two, 0.0);
        // Logarithms of factorials near 10^7 carry absolute errors near 1e-8.
        if (rt > 1e-300) {
            expectNearRel(two, rt, 1e-6);
            expectNearRel(one, ro, 1e-6);
        }
    }
}

// ---- Brent minimisation -----------------------------------------------------

double TALLOWIN_CALL parabola(double x)
{
    return (x - 2) * (x - 2);
}

double TALLOWIN_CALL shiftedParabola(double x, int32_t shift)
{
    return (x - shift) * (x - shift) + 1.0;
}

double TALLOWIN_CALL cosine(double x)
{
    return std::cos(x);
}

TEST(Brent, FindsKnownMinimaAndLeavesTheIterationCountAlone)
{
    struct Case {
        double ax, bx, cx;
        double (*f)(double);
        double xmin, fmin;
    };
    const Case cases[] = {
        {0, 1, 5, parabola, 2.0, 0.0},
        {5, 1, 0, parabola, 2.0, 0.0},
        {2, 3, 4, cosine, M_PI, -1.0},
    };
    for (const auto& c : cases) {
        double xmin = 0;
        int32_t iterations = -77;
        const double f = brentDLL(c.ax, c.bx, c.cx, c.f, 1e-8, &xmin, &iterations);
        EXPECT_NEAR(xmin, c.xmin, 1e-6);
        EXPECT_NEAR(f, c.fmin, 1e-10);
        EXPECT_EQ(iterations, -77);
    }
}

TEST(Brent, ExtraArgumentReachesTheCallback)
{
    double xmin = 0;
    int32_t iterations = -5;
    const double f = brentDblXIntADLL(0, 1, 10, shiftedParabola, 1e-8, &xmin, 7, &iterations);
    EXPECT_NEAR(xmin, 7.0, 1e-6);
    EXPECT_NEAR(f, 1.0, 1e-10);
    EXPECT_EQ(iterations, -5);
}

TEST(Brent, NeverConvergingWrites101)
{
    double xmin = 0;
    int32_t iterations = 0;
    const double f = brentDLL(0, 1, 5, parabola, -1.0, &xmin, &iterations);
    EXPECT_EQ(iterations, 101);
    EXPECT_DOUBLE_EQ(f, parabola(xmin));

    iterations = 0;
    brentDblXIntADLL(0, 1, 10, shiftedParabola, -1.0, &xmin, 3, &iterations);
    EXPECT_EQ(iterations, 101);
}

TEST(Brent, MissingCallbackIsReportedNotCalled)
{
    double xmin = 0;
    int32_t iterations = 0;
    EXPECT_EQ(brentDLL(0, 1, 5, nullptr, 1e-8, &xmin, &iterations), 0.0);
    EXPECT_EQ(iterations, -1);
    EXPECT_EQ(xmin, 1.0);
}

// ---- Knuth-Morris-Pratt search --------------------------------------------

std::vector<int32_t> searchAll(const std::string& text, const std::string& pattern, int32_t maximum,
                               int32_t& lastIndex)
{
    std::vector<int32_t> positions(static_cast<std::size_t>(std::max(maximum, 0)) + 2, 12345);
    lastIndex = 999;
    EXPECT_EQ(KMPSearchMDLL(text.c_str(), pattern.c_str(), static_cast<int32_t>(pattern.size()),
                            static_cast<int32_t>(text.size()), maximum, &lastIndex, positions.data()),
              1);
    return positions;
}

TEST(Kmp, FindsFirstAndSuccessiveNonOverlappingMatches)
{
    struct Case {
        std::string text, pattern;
        int32_t maximum;
        std::vector<int32_t> written;
        int32_t lastIndex;
    };
    const Case cases[] = {
        {"ababa", "aba", 10, {0, -1}, 1},
        {"abaaba", "aba", 10, {0, 3, -1}, 2},
        {"abaabaaba", "aba", 2, {0, 3}, 1},
        {"xyz", "aba", 5, {-1}, 0},
        {"ab", "aba", 5, {-1}, 0},
        {"aaaa", "a", 4, {0, 1, 2, 3}, 3},
        {"aaaa", "", 4, {-1}, 0},
    };
    for (const auto& c : cases) {
        int32_t last = 0;
        const auto positions = searchAll(c.text, c.pattern, c.maximum, last);
        EXPECT_EQ(last, c.lastIndex) << c.text << " / " << c.pattern;
        for (std::size_t k = 0; k < c.written.size(); ++k)
            EXPECT_EQ(positions[k], c.written[k]) << c.text << " / " << c.pattern << " at " << k;
        EXPECT_EQ(positions[c.written.size()], 12345) << "wrote past the list";
    }
    EXPECT_EQ(KMPSearchDLL("ababa", "aba", 3, 5), 0);
    EXPECT_EQ(KMPSearchDLL("xxabaaba", "aba", 3, 8), 2);
    EXPECT_EQ(KMPSearchDLL("xxabaaba", "abc", 3, 8), -1);
}

TEST(Kmp, BadLengthsAndMaximaNeverReadOrWriteOutOfBounds)
{
    EXPECT_EQ(KMPSearchDLL("abc", "a", 0, 3), -1);
    EXPECT_EQ(KMPSearchDLL("abc", "a", -4, 3), -1);
    EXPECT_EQ(KMPSearchDLL("abc", "abcd", 4, 3), -1);
    EXPECT_EQ(KMPSearchDLL(nullptr, "a", 1, 3), -1);
    // Lengths longer than the texts stop at their NUL.
    EXPECT_EQ(KMPSearchDLL("xab", "ab", 50, 1000), 1);

    int32_t positions[2] = {7, 7};
    int32_t last = 5;
    EXPECT_EQ(KMPSearchMDLL("aaa", "a", 1, 3, 0, &last, positions), 1);
    EXPECT_EQ(last, -1);
    EXPECT_EQ(positions[0], 7);
    EXPECT_EQ(KMPSearchMDLL("aaa", "a", 1, 3, -3, &last, positions), 1);
    EXPECT_EQ(positions[0], 7);

    // The sized form stops at the capacity even when the maximum is larger.
    int32_t three[4] = {9, 9, 9, 9};
    EXPECT_EQ(KMPSearchMDLL_sized("aaaaa", "a", 1, 5, 100, &last, three, 3), 1);
    EXPECT_EQ(last, 2);
    EXPECT_EQ(three[2], 2);
    EXPECT_EQ(three[3], 9);
    EXPECT_EQ(KMPSearchMDLL_sized("aaaaa", "a", 1, 5, 100, &last, three, 0), 0);
    EXPECT_EQ(last, -1);
}

TEST(Kmp, AgreesWithStringFindOnRandomTexts)
{
    std::mt19937 rng(20261208);
    for (int trial = 0; trial < 400; ++trial) {
        const int alphabet = 2 + trial % 3;
        auto randomText = [&](std::size_t n) {
            std::string s(n, 'a');
            for (auto& ch : s)
                ch = static_cast<char>('a' + rng() % static_cast<unsigned>(alphabet));
            return s;
        };
        const std::string text = randomText(rng() % 200);
        const std::string pattern = randomText(1 + rng() % 5);
        const auto m = static_cast<int32_t>(pattern.size());
        const auto n = static_cast<int32_t>(text.size());

        const auto first = text.find(pattern);
        EXPECT_EQ(KMPSearchDLL(text.c_str(), pattern.c_str(), m, n),
                  first == std::string::npos ? -1 : static_cast<int32_t>(first));

        std::vector<int32_t> expected;
        for (auto at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + pattern.size()))
            expected.push_back(static_cast<int32_t>(at));
        int32_t last = 0;
        const int32_t maximum = 1 + static_cast<int32_t>(rng() % 8);
        const auto positions = searchAll(text, pattern, maximum, last);
        const auto shown = std::min<std::size_t>(expected.size(), static_cast<std::size_t>(maximum));
        for (std::size_t k = 0; k < shown; ++k)
            EXPECT_EQ(positions[k], expected[k]);
        if (expected.size() < static_cast<std::size_t>(maximum)) {
            EXPECT_EQ(last, static_cast<int32_t>(expected.size()));
            EXPECT_EQ(positions[expected.size()], -1);
        } else {
            EXPECT_EQ(last, maximum - 1);
        }
    }
}

// ---- Taxon swap -------------------------------------------------------------

double& packed(std::vector<double>& m, int r, int c)
{
    if (r < c)
        std::swap(r, c);
    return m[static_cast<std::size_t>(r * (r - 1) / 2 + c)];
}

TEST(TaxonSwap, SwapsRowsAndColumnsOfThePackedTriangle)
{
    std::vector<double> m{1, 2, 3, 4, 5, 6};
    SwitchColLMColDLL(m.data(), 4, 3, 1);
    EXPECT_EQ(m, (std::vector<double>{4, 2, 6, 1, 5, 3}));
    SwitchColLMColDLL(m.data(), 4, 3, 1);
    EXPECT_EQ(m, (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

TEST(TaxonSwap, MatchesUnpackSwapRepackForAllSmallMatrices)
{
    for (int n = 2; n <= 8; ++n) {
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                std::vector<double> m(static_cast<std::size_t>(n * (n - 1) / 2));
                for (std::size_t k = 0; k < m.size(); ++k)
                    m[k] = static_cast<double>(k + 1);
                // Reference: the distance of taxa x and y moves to taxa p(x), p(y).
                std::vector<double> expected(m.size());
                auto p = [&](int x) { return x == i ? j : (x == j ? i : x); };
                for (int r = 1; r < n; ++r)
                    for (int c = 0; c < r; ++c)
                        packed(expected, p(r), p(c)) = packed(m, r, c);
                SwitchColLMColDLL(m.data(), n, i, j);
                EXPECT_EQ(m, expected) << "n=" << n << " i=" << i << " j=" << j;
            }
        }
    }
}

TEST(TaxonSwap, OutOfRangeIndicesAndSmallBuffersChangeNothing)
{
    const std::vector<double> original{1, 2, 3, 4, 5, 6};
    std::vector<double> m = original;
    SwitchColLMColDLL(m.data(), 4, 4, 1);
    SwitchColLMColDLL(m.data(), 4, 2, -1);
    EXPECT_EQ(m, original);
    EXPECT_EQ(SwitchColLMColDLL_sized(m.data(), 6, 4, 4, 1), 0);
    EXPECT_EQ(SwitchColLMColDLL_sized(m.data(), 5, 4, 3, 1), 0);
    EXPECT_EQ(m, original);
    EXPECT_EQ(SwitchColLMColDLL_sized(m.data(), 6, 4, 1, 3), 1);
    EXPECT_EQ(m, (std::vector<double>{4, 2, 6, 1, 5, 3}));
}

} // namespace
