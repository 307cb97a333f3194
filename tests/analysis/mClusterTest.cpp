#include "analysis/mCluster.h"

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "tests/support/ErrorAssert.h"
#include "tests/support/TestSupport.h"

namespace {

using numeric::Matrix;
using Groups = std::vector<std::int32_t>;

Matrix column(std::initializer_list<double> values)
{
    Matrix m(values.size(), 1);
    std::size_t i = 0;
    for (const double v : values) {
        m(i++, 0) = v;
    }
    return m;
}

Matrix randomData(std::size_t rows, std::size_t cols, unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(0.5, 10);
    Matrix m(rows, cols);
    for (std::size_t i = 0; i < rows; ++i) {
        for (std::size_t j = 0; j < cols; ++j) {
            m(i, j) = u(gen);
        }
    }
    return m;
}

// Counts the passes: every pass ends with the value nRow - 1, as does the
// last initial block.
struct PassCounter : numeric::Progress {
    double last = -1;
    double maximum = 0;
    int endings = 0;
    void setMinimum(double) override {}
    void setMaximum(double m) override { maximum = m; }
    void setValue(double v) override
    {
        last = v;
        if (v == maximum - 1) {
            ++endings;
        }
    }
};

struct Result {
    Groups group;
    Groups sizes;
    std::vector<double> errors;
    bool settled = false;
};

Result kmeans(const Matrix& data, std::int32_t k, std::uint8_t index, numeric::Progress* progress = nullptr)
{
    Result r;
    r.settled = mCluster::KMeanClustering(data, static_cast<std::int32_t>(data.cols()),
                                          static_cast<std::int32_t>(data.rows()), k, index, r.group, r.sizes,
                                          r.errors, progress);
    return r;
}

// Squared-difference k-means transcribed step by step from its description:
// consecutive blocks, the own group measured too, a move only to a strictly
// nearer mean, at most 101 passes.
Result referenceKMeans(const Matrix& data, int k)
{
    const int n = static_cast<int>(data.rows());
    const int p = static_cast<int>(data.cols());
    std::vector<std::vector<double>> mean(static_cast<std::size_t>(k), std::vector<double>(static_cast<std::size_t>(p)));
    Result r;
    r.group.assign(static_cast<std::size_t>(n), 0);
    r.sizes.assign(static_cast<std::size_t>(k), 0);
    const int m = n / k;
    for (int i = 0; i < n; ++i) {
        r.group[static_cast<std::size_t>(i)] = std::min(i / m, k - 1);
    }
    for (int i = 0; i < n; ++i) {
        const auto g = static_cast<std::size_t>(r.group[static_cast<std::size_t>(i)]);
        ++r.sizes[g];
        for (int j = 0; j < p; ++j) {
            mean[g][static_cast<std::size_t>(j)] += data(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
        }
    }
    for (int g = 0; g < k; ++g) {
        for (double& v : mean[static_cast<std::size_t>(g)]) {
            v /= r.sizes[static_cast<std::size_t>(g)];
        }
    }
    auto dist = [&](int i, int g) {
        double s = 0;
        for (int j = 0; j < p; ++j) {
            const double d = data(static_cast<std::size_t>(i), static_cast<std::size_t>(j)) -
                             mean[static_cast<std::size_t>(g)][static_cast<std::size_t>(j)];
            s += d * d;
        }
        return s;
    };
    for (int pass = 1; pass <= 101; ++pass) {
        bool moved = false;
        for (int i = 0; i < n; ++i) {
            const int g = r.group[static_cast<std::size_t>(i)];
            if (r.sizes[static_cast<std::size_t>(g)] < 2) {
                continue;
            }
            int target = g;
            double best = dist(i, g);
            for (int h = 0; h < k; ++h) {
                if (h != g && dist(i, h) < best) {
                    best = dist(i, h);
                    target = h;
                }
            }
            if (target == g) {
                continue;
            }
            auto& mt = mean[static_cast<std::size_t>(target)];
            auto& mg = mean[static_cast<std::size_t>(g)];
            const double st = r.sizes[static_cast<std::size_t>(target)];
            const double sg = r.sizes[static_cast<std::size_t>(g)];
            for (int j = 0; j < p; ++j) {
                const double x = data(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
                mt[static_cast<std::size_t>(j)] = (st * mt[static_cast<std::size_t>(j)] + x) / (st + 1);
                mg[static_cast<std::size_t>(j)] = (sg * mg[static_cast<std::size_t>(j)] - x) / (sg - 1);
            }
            ++r.sizes[static_cast<std::size_t>(target)];
            --r.sizes[static_cast<std::size_t>(g)];
            r.group[static_cast<std::size_t>(i)] = target;
            moved = true;
        }
        if (!moved) {
            r.settled = pass <= 99;
            return r;
        }
    }
    r.settled = false;
    return r;
}

// A settled partition leaves no row of a group of two or more rows strictly
// nearer (squared distance) another group's mean than its own.
void expectNoRowNearerAnotherMean(const Matrix& data, const Result& r, int k)
{
    const std::size_t p = data.cols();
    Matrix mean(static_cast<std::size_t>(k), p);
    for (std::size_t i = 0; i < data.rows(); ++i) {
        for (std::size_t j = 0; j < p; ++j) {
            mean(static_cast<std::size_t>(r.group[i]), j) += data(i, j);
        }
    }
    for (int g = 0; g < k; ++g) {
        for (std::size_t j = 0; j < p; ++j) {
            mean(static_cast<std::size_t>(g), j) /= r.sizes[static_cast<std::size_t>(g)];
        }
    }
    auto dist = [&](std::size_t i, int g) {
        double sum = 0;
        for (std::size_t j = 0; j < p; ++j) {
            const double d = data(i, j) - mean(static_cast<std::size_t>(g), j);
            sum += d * d;
        }
        return sum;
    };
    for (std::size_t i = 0; i < data.rows(); ++i) {
        const int g = r.group[i];
        if (r.sizes[static_cast<std::size_t>(g)] < 2) {
            continue;
        }
        for (int h = 0; h < k; ++h) {
            EXPECT_LE(dist(i, g), dist(i, h) * (1 + 1e-12)) << "row " << i << " group " << g << " other " << h;
        }
    }
}

TEST(KMeans, WorkedFourRowExampleKeepsItsTwoBlocksAfterOnePass)
{
    // The blocks {0, 1} and {10, 11} are already the best partition: every
    // row is nearer its own mean than the other one, so nothing moves.
    const Matrix data = column({0, 1, 10, 11});
    PassCounter passes;
    const Result r = kmeans(data, 2, 0, &passes);
    EXPECT_TRUE(r.settled);
    EXPECT_EQ(r.group, (Groups{0, 0, 1, 1}));
    EXPECT_EQ(r.sizes, (Groups{2, 2}));
    EXPECT_EQ(passes.endings - 1, 1);
    EXPECT_EQ(passes.last, 0);
    ASSERT_EQ(r.errors.size(), 3u);
    for (const double e : r.errors) {
        expectNearRel(e, 0.25, 1e-12);
    }
    const Result euclid = kmeans(data, 2, 1);
    expectNearRel(euclid.errors[0], std::sqrt(0.5) / 2, 1e-12);
    expectNearRel(euclid.errors[1], std::sqrt(0.5) / 2, 1e-12);
    expectNearRel(euclid.errors[2], 0.25, 1e-12);
}

TEST(KMeans, MisplacedRowsMoveToTheNearerMeanAndSettle)
{
    // Blocks {0, 10, 1} and {11, 12, 2}: rows 10 and 2 sit in the wrong block.
    PassCounter passes;
    const Result r = kmeans(column({0, 10, 1, 11, 12, 2}), 2, 0, &passes);
    EXPECT_TRUE(r.settled);
    EXPECT_EQ(r.group, (Groups{0, 1, 0, 1, 1, 0}));
    EXPECT_EQ(r.sizes, (Groups{3, 3}));
    EXPECT_EQ(passes.endings - 1, 2);
}

TEST(KMeans, TiedGroupsGoToTheLowerNumber)
{
    // Blocks {-1}, {1}, {0, 5}: row 2 is nearer groups 0 and 1 (both at
    // distance 1) than its own mean 2.5, and goes to group 0.
    const Result r = kmeans(column({-1, 1, 0, 5}), 3, 0);
    EXPECT_EQ(r.group, (Groups{0, 1, 0, 2}));
    EXPECT_TRUE(r.settled);
}

TEST(KMeans, ARowAsNearItsOwnMeanAsAnotherStays)
{
    // Blocks {0, 2} and {4, 2}: both rows of value 2 are at distance 1 from
    // their own mean and from the other one; only a strictly nearer mean
    // moves a row.
    const Result r = kmeans(column({0, 2, 4, 2}), 2, 0);
    EXPECT_EQ(r.group, (Groups{0, 0, 1, 1}));
    EXPECT_TRUE(r.settled);
}

TEST(KMeans, SingletonGroupsKeepTheirRow)
{
    // k = nRow: every block holds one row, so nothing may move.
    PassCounter passes;
    const Result r = kmeans(column({5, 1, 4, 2}), 4, 0, &passes);
    EXPECT_EQ(r.group, (Groups{0, 1, 2, 3}));
    EXPECT_TRUE(r.settled);
    EXPECT_EQ(passes.endings - 1, 1);
}

TEST(KMeans, MatchesTheStepByStepReferenceOnRandomData)
{
    const struct {
        std::size_t rows, cols;
        std::int32_t k;
    } shapes[] = {{7, 1, 3}, {7, 3, 3}, {20, 4, 5}, {50, 6, 7}, {33, 2, 2}, {40, 5, 11}};
    unsigned seed = 1000;
    for (const auto& s : shapes) {
        for (int rep = 0; rep < 5; ++rep, ++seed) {
            SCOPED_TRACE(seed);
            const Matrix data = randomData(s.rows, s.cols, seed);
            const Result got = kmeans(data, s.k, 0);
            const Result want = referenceKMeans(data, s.k);
            EXPECT_EQ(got.group, want.group);
            EXPECT_EQ(got.sizes, want.sizes);
            EXPECT_EQ(got.settled, want.settled);
            if (got.settled) {
                expectNoRowNearerAnotherMean(data, got, s.k);
            }
        }
    }
}

TEST(KMeans, SeededPartitionsStayBitForBitForEveryIndex)
{
    // Digests of the groups, sizes, cluster errors, settled flag and the
    // progress calls, taken from the passes as they stand, for each of the
    // eight measures on seeded profiles with cluster structure.
    const std::uint64_t pinned[8] = {0x44d94bc748c7167dULL, 0x85a544907478c731ULL, 0xd82dff6e28726b60ULL,
                                     0x8bd79263c913329fULL, 0x9ce793530109f47bULL, 0xebc050076f94d7c8ULL,
                                     0xe27417cf6e7c9ddcULL, 0xe27417cf6e7c9ddcULL};
    const unsigned seed = 2020;
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> normal(0, 1);
    const std::size_t rows = 1500;
    const std::size_t cols = 21;
    std::vector<std::vector<double>> centre(9, std::vector<double>(cols));
    for (auto& profile : centre) {
        double level = 8 + 2 * normal(gen);
        for (double& x : profile) {
            level += 0.5 * normal(gen);
            x = level;
        }
    }
    Matrix data(rows, cols);
    for (std::size_t i = 0; i < rows; ++i) {
        const auto& profile = centre[static_cast<std::size_t>(gen() % centre.size())];
        const double gain = 1 + 0.2 * normal(gen);
        for (std::size_t j = 0; j < cols; ++j) {
            data(i, j) = gain * profile[j] + 0.6 * normal(gen);
        }
    }
    for (std::uint8_t index = 0; index < 8; ++index) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << " index " << int{index});
        PassCounter passes;
        const Result r = kmeans(data, 13, index, &passes);
        testsupport::BitDigest digest;
        for (const std::int32_t g : r.group) {
            digest.add(std::int64_t{g});
        }
        for (const std::int32_t n : r.sizes) {
            digest.add(std::int64_t{n});
        }
        digest.add(r.errors);
        digest.add(std::int64_t{r.settled});
        digest.add(std::int64_t{passes.endings});
        EXPECT_EQ(digest.value(), pinned[index]) << "digest 0x" << std::hex << digest.value();
    }
}

TEST(KMeans, SpearmanIndexRunsAsPearson)
{
    const Matrix data = randomData(30, 5, 77);
    const Result pearson = kmeans(data, 4, 6);
    const Result spearman = kmeans(data, 4, 7);
    EXPECT_EQ(pearson.group, spearman.group);
    EXPECT_EQ(pearson.settled, spearman.settled);
    EXPECT_EQ(pearson.errors, spearman.errors);
}

TEST(KMeans, BadCallsAreRefusedBeforeAnyWork)
{
    const Matrix data = randomData(5, 3, 3);
    Groups g, s;
    std::vector<double> e;
    Matrix withCode = data;
    withCode(3, 1) = 9.999999;
    Matrix withNaN = data;
    withNaN(0, 0) = std::nan("");
    const struct {
        const char* name;
        std::function<void()> call;
        int number;
    } cases[] = {
        {"k = 1", [&] { (void)mCluster::KMeanClustering(data, 3, 5, 1, 0, g, s, e, nullptr); }, 1},
        {"k > nRow", [&] { (void)mCluster::KMeanClustering(data, 3, 5, 6, 0, g, s, e, nullptr); }, 1},
        {"no rows", [&] { (void)mCluster::KMeanClustering(data, 3, 0, 2, 0, g, s, e, nullptr); }, 1},
        {"index 8", [&] { (void)mCluster::KMeanClustering(data, 3, 5, 2, 8, g, s, e, nullptr); }, 5},
        {"counts beyond data", [&] { (void)mCluster::KMeanClustering(data, 4, 5, 2, 0, g, s, e, nullptr); }, 9},
        {"missing code", [&] { (void)mCluster::KMeanClustering(withCode, 3, 5, 2, 0, g, s, e, nullptr, 9.999999); },
         1},
        {"not a number", [&] { (void)mCluster::KMeanClustering(withNaN, 3, 5, 2, 0, g, s, e, nullptr); }, 13},
        {"join with code",
         [&] { (void)mCluster::JoinClustering(withCode, 3, 5, 2, 0, g, s, e, true, nullptr, 9.999999); }, 1},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(testsupport::errorNumber(t.call), t.number);
    }
    // Without a code the same data are taken as they are.
    EXPECT_NO_THROW((void)mCluster::KMeanClustering(withCode, 3, 5, 2, 0, g, s, e, nullptr));
}

TEST(KMeans, AFailingDistanceNamesTheRow)
{
    // Row 3 is constant, so its Pearson correlation with any mean is 0/0.
    const Matrix data{{1, 2, 3}, {3, 1, 2}, {4, 4, 4}, {2, 3, 1}};
    try {
        (void)kmeans(data, 2, 6);
        FAIL() << "a constant row was clustered under 1 - r";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::Overflow);
        EXPECT_NE(e.description().find("measuring row 3 against"), std::string::npos) << e.description();
    }
}

TEST(ClusterError, EachIndexAveragesTheMeasureOverTheGroup)
{
    // Group 0: rows (1, 3) and (3, 5), mean (2, 4); group 1: (2, 6) alone.
    const Matrix data{{1, 3}, {2, 6}, {3, 5}};
    const Groups group{0, 1, 0};
    const auto at = [&](std::uint8_t index) { return mCluster::GetClusterError(data, group, 2, 3, index, 2); };
    EXPECT_EQ(at(0), (std::vector<double>{2, 0, 4.0 / 3}));
    const auto euclid = at(1);
    expectNearRel(euclid[0], 2.0 / 2, 1e-15);  // sqrt(4) / 2
    expectNearRel(euclid[2], 2.0 / 3, 1e-15);  // sqrt(4) / 3
    EXPECT_EQ(at(2), (std::vector<double>{1, 0, 2.0 / 3}));
    const auto remote = at(3);  // rows: 100 - 100 * 4 / 6 and 100 - 100 * 6 / 8
    expectNearRel(remote[0], (100 - 400.0 / 6 + 25) / 2, 1e-12);
    EXPECT_EQ(at(6), at(7));
    EXPECT_EQ(testsupport::errorNumber([&] { (void)mCluster::GetClusterError(data, Groups{0, 0, 0}, 2, 3, 0, 2); }),
              platform::err::Overflow);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)mCluster::GetClusterError(data, Groups{0, 2, 0}, 2, 3, 0, 2); }),
              platform::err::Subscript);
}

Matrix blobs(std::int32_t perBlob, unsigned seed)
{
    std::mt19937 gen(seed);
    std::normal_distribution<double> noise(0, 0.1);
    const double centres[3][2] = {{0, 0}, {10, 0}, {0, 10}};
    Matrix m(static_cast<std::size_t>(3 * perBlob), 2);
    for (std::int32_t i = 0; i < 3 * perBlob; ++i) {
        for (std::size_t j = 0; j < 2; ++j) {
            m(static_cast<std::size_t>(i), j) = centres[i % 3][j] + noise(gen);
        }
    }
    return m;
}

TEST(Join, RecoversWellSeparatedGroups)
{
    const Matrix data = blobs(10, 5);
    for (std::uint8_t index : {0, 1, 2}) {
        SCOPED_TRACE(static_cast<int>(index));
        Groups g, s;
        std::vector<double> e;
        EXPECT_TRUE(mCluster::JoinClustering(data, 2, 30, 3, index, g, s, e, false, nullptr, 0));
        EXPECT_EQ(s, (Groups{10, 10, 10}));
        for (std::int32_t i = 0; i < 30; ++i) {
            EXPECT_EQ(g[static_cast<std::size_t>(i)], g[static_cast<std::size_t>(i % 3)]) << "row " << i;
        }
        EXPECT_EQ(e, mCluster::GetClusterError(data, g, 2, 30, index, 3));
    }
}

TEST(Join, FirstSeedIsTheLowerRowOfTheMostDistantPair)
{
    // Rows 1 and 3 are farthest apart, so row 1 seeds group 0.
    Groups g, s;
    std::vector<double> e;
    ASSERT_TRUE(mCluster::JoinClustering(column({5, 0, 6, 20}), 1, 4, 2, 0, g, s, e, false, nullptr, 0));
    EXPECT_EQ(g[1], 0);
    EXPECT_EQ(g[3], 1);
}

TEST(Join, TooFewDistinctRowsAreRefused)
{
    Groups g, s;
    std::vector<double> e;
    EXPECT_EQ(testsupport::errorNumber([&] {
                  (void)mCluster::JoinClustering(column({1, 1, 4, 4}), 1, 4, 3, 0, g, s, e, false, nullptr, 0);
              }),
              1);
}

TEST(ClusterTree, KMeanTreeHasNumberedClustersAndLeavesInRowOrder)
{
    const Groups group{2, 0, 2, 0};
    const std::vector<std::string> labels{"a", "b", "c", "d"};
    const std::vector<double> errors{0.5, 0.25, 0.75, 1.5};
    const auto root = mCluster::BuildKMeanTree(group, 4, labels, 3, errors);
    ASSERT_EQ(root->childCount(), 3u);
    EXPECT_EQ(root->Caption(), "");
    const char* captions[] = {"1", "2", "3"};
    for (std::size_t c = 0; c < 3; ++c) {
        const analysis::MyNode* node = root->child(c);
        EXPECT_EQ(node->Caption(), captions[c]);
        EXPECT_FALSE(node->Tip());
        EXPECT_EQ(node->BranchLen(), 1.5);
        EXPECT_EQ(node->Parent(), root.get());
    }
    EXPECT_EQ(root->child(1)->childCount(), 0u);
    const analysis::MyNode* first = root->child(0);
    ASSERT_EQ(first->childCount(), 2u);
    EXPECT_EQ(first->child(0)->Caption(), "b");
    EXPECT_EQ(first->child(1)->Caption(), "d");
    EXPECT_TRUE(first->child(0)->Tip());
    EXPECT_EQ(first->child(0)->BranchLen(), 0.5);
    EXPECT_EQ(root->child(2)->child(0)->BranchLen(), 0.75);
    EXPECT_THROW((void)mCluster::BuildKMeanTree(Groups{0, 3, 0, 0}, 4, labels, 3, errors), platform::Error);
}

TEST(ClusterTree, MapTreeCarriesFitsAndMeanFits)
{
    const auto root = mCluster::BuildSOMTree(Groups{1, 1, 0}, 3, {"x", "y", "z"}, 3, {0.5, 1.5, 2});
    EXPECT_EQ(root->child(0)->BranchLen(), 2);
    EXPECT_EQ(root->child(1)->BranchLen(), 1);
    EXPECT_EQ(root->child(2)->BranchLen(), 0);
    EXPECT_EQ(root->child(1)->child(1)->BranchLen(), 1.5);
}

} // namespace
