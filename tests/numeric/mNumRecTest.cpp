#include "numeric/mNumRec.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "tests/numeric/RecordingProgress.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ErrorAssert.h"

using numeric::Matrix;

namespace {

// Spearman's rho as Pearson's r of midranks, computed naively.
double naiveSpearman(const std::vector<double>& x, const std::vector<double>& y)
{
    auto ranks = [](const std::vector<double>& v) {
        std::vector<double> r(v.size());
        for (std::size_t i = 0; i < v.size(); ++i) {
            double less = 0, equal = 0;
            for (double w : v) {
                less += w < v[i];
                equal += w == v[i];
            }
            r[i] = less + (equal + 1) / 2;
        }
        return r;
    };
    const std::vector<double> rx = ranks(x), ry = ranks(y);
    const double n = static_cast<double>(x.size());
    double mx = 0, my = 0;
    for (std::size_t i = 0; i < x.size(); ++i) mx += rx[i] / n, my += ry[i] / n;
    double sxx = 0, syy = 0, sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxx += (rx[i] - mx) * (rx[i] - mx);
        syy += (ry[i] - my) * (ry[i] - my);
        sxy += (rx[i] - mx) * (ry[i] - my);
    }
    return sxy / std::sqrt(sxx * syy);
}

// An n x m matrix of whole numbers drawn from 0..top: many ties per column.
Matrix tiedMatrix(std::mt19937& rng, std::size_t n, std::size_t m, int top)
{
    Matrix data(n, m);
    for (std::size_t k = 0; k < n; ++k) {
        for (std::size_t c = 0; c < m; ++c) {
            data(k, c) = std::uniform_int_distribution<int>(0, top)(rng);
        }
    }
    return data;
}

} // namespace

TEST(mNumRec, HeapSort2SortsKeysAndMovesCompanion)
{
    const unsigned seed = 31337;
    std::mt19937 rng(seed);
    for (int n = 0; n < 40; ++n) {
        std::vector<double> keys(static_cast<std::size_t>(n)), comp(keys.size());
        for (int i = 0; i < n; ++i) {
            keys[static_cast<std::size_t>(i)] = std::uniform_int_distribution<int>(0, 5)(rng);
            comp[static_cast<std::size_t>(i)] = i;
        }
        const std::vector<double> original = keys;
        mNumRec::HeapSort2(n, keys, comp);
        EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end())) << "seed " << seed << " n " << n;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(keys[static_cast<std::size_t>(i)], original[static_cast<std::size_t>(comp[static_cast<std::size_t>(i)])]);
        }
    }
    std::vector<double> one{7}, oneComp{1};
    mNumRec::HeapSort2(1, one, oneComp);  // no run past the array
    EXPECT_EQ(one, std::vector<double>{7});
    EXPECT_EQ(testsupport::errorNumber([] {
                  std::vector<double> a{1, 2}, b{1};
                  mNumRec::HeapSort2(2, a, b);
              }),
              9);
}

TEST(mNumRec, RankTiesGivesMidranksAndTieSums)
{
    struct Row {
        std::vector<double> sorted;
        std::vector<double> ranks;
        double s;
    };
    const std::vector<Row> rows{
        {{1, 2, 2, 3}, {1, 2.5, 2.5, 4}, 6},
        {{5, 5, 5}, {2, 2, 2}, 24},
        {{1, 1, 2, 3, 3}, {1.5, 1.5, 3, 4.5, 4.5}, 12},
        {{4}, {1}, 0},
        {{}, {}, 0},
        {{0.5, 9}, {1, 2}, 0},
    };
    for (const Row& row : rows) {
        std::vector<double> w = row.sorted;
        EXPECT_EQ(mNumRec::RankTies(static_cast<std::int64_t>(w.size()), w), row.s);
        EXPECT_EQ(w, row.ranks);
    }
}

TEST(mNumRec, SpearmanWorkedExampleWithTiesAndMissingCode)
{
    const Matrix data{{1, 1}, {2, 3}, {2, 2}, {3, 4}};
    Matrix r(2, 2, -5), g(2, 2, -5);
    mNumRec::SpearmanR(data, 4, 2, r, nullptr);
    expectNearRel(r(1, 0), 0.9486832980505139, 1e-15);
    EXPECT_EQ(r(0, 0), -5);
    EXPECT_EQ(r(0, 1), -5);
    mNumRec::GetSpearmanMat(data, 4, 2, g, -999, nullptr);
    EXPECT_EQ(g(1, 0), r(1, 0));  // bit for bit

    // Same order gives 1, reverse order -1.
    const Matrix ordered{{1, 10, 5}, {2, 20, 4}, {3, 30, 3}};
    Matrix o(3, 3);
    mNumRec::SpearmanR(ordered, 3, 3, o);
    EXPECT_EQ(o(1, 0), 1.0);
    EXPECT_EQ(o(2, 0), -1.0);
    EXPECT_EQ(o(2, 1), -1.0);

    // A code in row 2 of column 2 removes row 2 from pairs with column 2 only.
    const Matrix coded{{1, 1, 1}, {2, 2, 3}, {3, 4, -1}, {4, 3, 2}};
    Matrix c(3, 3);
    mNumRec::GetSpearmanMat(coded, 4, 3, c, -1);
    EXPECT_NEAR(c(1, 0), naiveSpearman({1, 2, 3, 4}, {1, 2, 4, 3}), 1e-15);
    EXPECT_NEAR(c(2, 0), naiveSpearman({1, 2, 4}, {1, 3, 2}), 1e-15);
    EXPECT_NEAR(c(2, 1), naiveSpearman({1, 2, 3}, {1, 3, 2}), 1e-15);
}

TEST(mNumRec, SpearmanMatchesNaiveMidrankPearsonOnRandomTies)
{
    const unsigned seed = 8080;
    std::mt19937 rng(seed);
    for (int trial = 0; trial < 50; ++trial) {
        const std::size_t n = 3 + trial % 20, m = 2 + trial % 4;
        const Matrix data = tiedMatrix(rng, n, m, 6);
        Matrix r(m, m), g(m, m);
        try {
            mNumRec::SpearmanR(data, static_cast<std::int64_t>(n), static_cast<std::int64_t>(m), r);
        } catch (const platform::Error& e) {
            EXPECT_TRUE(e.number() == 6 || e.number() == 11);  // a constant column
            continue;
        }
        mNumRec::GetSpearmanMat(data, static_cast<std::int64_t>(n), static_cast<std::int64_t>(m), g, -1);
        for (std::size_t i = 1; i < m; ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                std::vector<double> x(n), y(n);
                for (std::size_t k = 0; k < n; ++k) x[k] = data(k, i), y[k] = data(k, j);
                EXPECT_NEAR(r(i, j), naiveSpearman(x, y), 1e-12) << "seed " << seed << " trial " << trial;
                EXPECT_EQ(g(i, j), r(i, j)) << "seed " << seed << " trial " << trial;
            }
        }
    }
}

TEST(mNumRec, SpearmanMatrixWithCodesEqualsPairByPairValues)
{
    const unsigned seed = 4711;
    std::mt19937 rng(seed);
    for (int trial = 0; trial < 40; ++trial) {
        const std::size_t n = 6 + trial % 9, m = 3 + trial % 5;
        Matrix data = tiedMatrix(rng, n, m, 5);
        // Codes (-1) in about half of the columns.
        for (std::size_t c = 0; c < m; c += 2) data(static_cast<std::size_t>(trial) % n, c) = -1;
        Matrix g(m, m);
        try {
            mNumRec::GetSpearmanMat(data, static_cast<std::int64_t>(n), static_cast<std::int64_t>(m), g, -1);
        } catch (const platform::Error& e) {
            EXPECT_TRUE(e.number() == 6 || e.number() == 11);
            continue;
        }
        for (std::size_t i = 1; i < m; ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                std::vector<double> x(n), y(n);
                for (std::size_t k = 0; k < n; ++k) x[k] = data(k, i), y[k] = data(k, j);
                EXPECT_EQ(g(i, j), mNumRec::SpearmanPair(x, y, static_cast<std::int64_t>(n), -1))
                    << "seed " << seed << " trial " << trial;
            }
        }
    }
}

TEST(mNumRec, SpearmanFailuresRaiseInsteadOfNaN)
{
    const Matrix oneRow{{1, 2}};
    const Matrix constant{{1, 5}, {2, 5}, {3, 5}};
    Matrix r(2, 2);
    EXPECT_EQ(testsupport::errorNumber([&] { mNumRec::SpearmanR(oneRow, 1, 2, r); }), 6);
    const int constantError = testsupport::errorNumber([&] { mNumRec::SpearmanR(constant, 3, 2, r); });
    EXPECT_TRUE(constantError == 6 || constantError == 11) << constantError;
    EXPECT_EQ(testsupport::errorNumber([] { (void)mNumRec::SpearmanPair(std::vector<double>{1, 9}, std::vector<double>{9, 2}, 2, 9); }),
              6);
    EXPECT_EQ(testsupport::errorNumber([&] { mNumRec::SpearmanR(constant, 4, 2, r); }), 9);
    // Counts that overflow 32-bit n^3 still give a sound value.
    const std::size_t big = 2000;
    Matrix many(big, 2);
    for (std::size_t k = 0; k < big; ++k) many(k, 0) = static_cast<double>(k), many(k, 1) = static_cast<double>(k % 7);
    Matrix rb(2, 2);
    mNumRec::SpearmanR(many, static_cast<std::int64_t>(big), 2, rb);
    EXPECT_TRUE(std::fabs(rb(1, 0)) <= 1.0);
}

TEST(mNumRec, SpearmanProgressCountsColumnsThenPairs)
{
    const Matrix data{{1, 2, 3}, {2, 1, 1}, {3, 3, 2}};
    Matrix r(3, 3);
    numerictest::RecordingProgress pb;
    mNumRec::SpearmanR(data, 3, 3, r, &pb);
    EXPECT_EQ(pb.calls, (std::vector<std::string>{"min 0", "max 3", "value 0", "value 1", "value 2", "max 3"}));
    numerictest::RecordingProgress pg;
    mNumRec::GetSpearmanMat(data, 3, 3, r, -1, &pg);
    EXPECT_EQ(pg.calls, (std::vector<std::string>{"min 0", "max 3", "value 0", "value 1", "value 2"}));
}

TEST(mNumRec, RandomPermutationIsAPermutationAndCoversAllArrangements)
{
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    auto uniform = [&] { return u(rng); };
    EXPECT_EQ(mNumRec::RandomPermutation(3, 3, uniform), std::vector<std::int32_t>{3});
    EXPECT_TRUE(mNumRec::RandomPermutation(4, 3, uniform).empty());
    std::map<std::vector<std::int32_t>, int> seen;
    for (int trial = 0; trial < 6000; ++trial) {
        std::vector<std::int32_t> p = mNumRec::RandomPermutation(1, 3, uniform);
        ++seen[p];
        std::sort(p.begin(), p.end());
        ASSERT_EQ(p, (std::vector<std::int32_t>{1, 2, 3}));
    }
    ASSERT_EQ(seen.size(), 6u);
    for (const auto& [perm, count] : seen) {
        EXPECT_GT(count, 850);  // 1000 expected for each of the 6 arrangements
        EXPECT_LT(count, 1150);
    }
    const std::vector<std::int32_t> withRuntime = mNumRec::RandomPermutation(-2, 5);
    EXPECT_EQ(withRuntime.size(), 8u);
    // A source that returns 1.0 or garbage still yields a permutation.
    std::vector<std::int32_t> edge = mNumRec::RandomPermutation(0, 4, [] { return 1.0; });
    std::sort(edge.begin(), edge.end());
    EXPECT_EQ(edge, (std::vector<std::int32_t>{0, 1, 2, 3, 4}));
}
