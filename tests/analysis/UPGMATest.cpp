#include "analysis/UPGMA.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/PairLoop.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Rnd.h"
#include "tests/analysis/UpgmaReference.h"
#include "tests/support/TestSupport.h"

namespace {

using analysis::DistanceMatrix;
using analysis::MyNode;

std::vector<std::string> itemNames(std::int32_t n)
{
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < n; ++i) {
        names.push_back("g" + std::to_string(i));
    }
    return names;
}

DistanceMatrix three(double d10, double d20, double d21)
{
    DistanceMatrix d(3);
    d(1, 0) = d10;
    d(2, 0) = d20;
    d(2, 1) = d21;
    return d;
}

std::unique_ptr<MyNode> build(const DistanceMatrix& d, std::int16_t rule, bool shuffle = false,
                              numeric::Progress* progress = nullptr, platform::rt::RandomSource* rng = nullptr)
{
    return UPGMA::BuildUpgmaTree(d, static_cast<std::int32_t>(d.size()), rule, itemNames(static_cast<std::int32_t>(d.size())),
                                 shuffle, progress, rng);
}

// Newick text with branch lengths in shortest decimal form.
std::string newick(const MyNode& node)
{
    std::string out;
    std::function<void(const MyNode&)> walk = [&](const MyNode& n) {
        if (n.childCount() > 0) {
            out += '(';
            for (std::size_t c = 0; c < n.childCount(); ++c) {
                out += c > 0 ? "," : "";
                walk(*n.child(c));
            }
            out += ')';
        }
        out += n.Caption();
        if (n.Parent() != nullptr) {
            char buf[32];
            std::snprintf(buf, sizeof buf, ":%g", n.BranchLen());
            out += buf;
        }
    };
    walk(node);
    return out;
}

struct Recorder : numeric::Progress {
    std::vector<std::string> calls;
    void setMinimum(double v) override { calls.push_back("min " + std::to_string(static_cast<int>(v))); }
    void setMaximum(double v) override { calls.push_back("max " + std::to_string(static_cast<int>(v))); }
    void setValue(double v) override { calls.push_back("value " + std::to_string(static_cast<int>(v))); }
};

TEST(Hclust, ThreeItemsGiveTheWorkedTreeForEachRule)
{
    const struct {
        std::int16_t rule;
        const char* expected;
    } cases[] = {
        {0, "((g0:1,g1:1):1,g2:2)"},
        {1, "((g0:1,g1:1):2,g2:3)"},
        {2, "((g0:1,g1:1):1.5,g2:2.5)"},
        {3, "((g0:1,g1:1):1.5,g2:2.5)"},
    };
    for (const auto& c : cases) {
        const auto root = build(three(2, 6, 4), c.rule);
        EXPECT_EQ(newick(*root), c.expected) << "rule " << c.rule;
        EXPECT_EQ(root->BranchLen(), 0.0);
        EXPECT_EQ(root->Parent(), nullptr);
    }
}

TEST(Hclust, EqualDistancesJoinTheFirstPairOfTheScan)
{
    const auto root = build(three(1, 1, 1), 0);
    EXPECT_EQ(newick(*root), "((g0:0.5,g1:0.5):0,g2:0.5)");
}

TEST(Hclust, OneItemIsALeafAndTwoItemsHangAtHalfTheDistance)
{
    Recorder progress;
    const auto single = UPGMA::BuildUpgmaTree(DistanceMatrix(1), 1, 2, {"only"}, false, &progress);
    EXPECT_TRUE(single->Tip());
    EXPECT_EQ(single->Caption(), "only");
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"min 0", "max 1", "value 0", "min 0", "max 0", "value 0"}));

    DistanceMatrix d(2);
    d(1, 0) = 3;
    const auto root = build(d, 1);
    EXPECT_EQ(newick(*root), "(g0:1.5,g1:1.5)");
}

TEST(Hclust, ProgressCountsLeavesThenSteps)
{
    Recorder progress;
    (void)build(three(2, 6, 4), 0, false, &progress);
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"min 0", "max 3", "value 0", "value 1", "value 2", "min 0",
                                                        "max 2", "value 1", "value 2", "value 0"}));
}

TEST(Hclust, DistancesAbove99999AreJoinedLikeAnyOther)
{
    const auto root = build(three(2e5, 6e5, 4e5), 2);
    EXPECT_EQ(newick(*root), "((g0:100000,g1:100000):150000,g2:250000)");
}

TEST(Hclust, BadInputIsRefusedWithANumberedError)
{
    const auto names = itemNames(3);
    auto expectError = [](std::int32_t number, const std::function<void()>& call) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), number) << e.description();
            EXPECT_EQ(e.source(), "BuildUpgmaTree");
        }
    };
    expectError(platform::err::InvalidCall, [&] { (void)UPGMA::BuildUpgmaTree(DistanceMatrix(0), 0, 0, names, false); });
    expectError(platform::err::InvalidCall, [&] { (void)UPGMA::BuildUpgmaTree(three(1, 2, 3), 3, 4, names, false); });
    expectError(platform::err::InvalidCall, [&] { (void)UPGMA::BuildUpgmaTree(three(1, 2, 3), 3, -1, names, false); });
    expectError(platform::err::InvalidCall, [&] {
        (void)UPGMA::BuildUpgmaTree(three(1, std::nan(""), 3), 3, 0, names, false);
    });
    expectError(platform::err::InvalidCall, [&] {
        (void)UPGMA::BuildUpgmaTree(three(1, std::numeric_limits<double>::infinity(), 3), 3, 0, names, false);
    });
    expectError(platform::err::Subscript, [&] { (void)UPGMA::BuildUpgmaTree(three(1, 2, 3), 4, 0, itemNames(4), false); });
    expectError(platform::err::Subscript, [&] { (void)UPGMA::BuildUpgmaTree(three(1, 2, 3), 3, 0, itemNames(2), false); });
}

TEST(Hclust, AMatrixOverTheMemoryLimitIsRefusedBeforeAllocating)
{
    analysis::setMemoryLimit(1 << 20);
    try {
        DistanceMatrix big(1000);  // 3.8 MB
        ADD_FAILURE() << "allocated";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::OutOfMemory);
        EXPECT_NE(e.description().find("1000 items needs 4 MB"), std::string::npos) << e.description();
    }
    analysis::setMemoryLimit(0);
}

// Tree properties: 2N - 1 nodes, two children per inner node, ultrametric.
void checkShape(const MyNode& root, std::int32_t n)
{
    std::int64_t nodes = 0;
    std::int64_t leaves = 0;
    double leafDepth = -1;
    std::vector<std::pair<const MyNode*, double>> stack{{&root, 0.0}};
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        ++nodes;
        if (node->Tip()) {
            ++leaves;
            EXPECT_EQ(node->childCount(), 0U);
            if (leafDepth < 0) {
                leafDepth = depth;
            }
            expectNearRel(depth, leafDepth, 1e-9);
            continue;
        }
        EXPECT_EQ(node->childCount(), 2U);
        EXPECT_EQ(node->Caption(), "");
        for (const auto& c : node->Children()) {
            EXPECT_EQ(c->Parent(), node);
            stack.emplace_back(c.get(), depth + c->BranchLen());
        }
    }
    EXPECT_EQ(nodes, 2 * n - 1);
    EXPECT_EQ(leaves, n);
}

TEST(Hclust, FastTreeEqualsTheScanBitForBitOnRandomTieHeavyMatrices)
{
    const std::uint32_t seed = 20261208;
    std::mt19937 gen(seed);
    int trials = 0;
    for (int t = 0; t < 3000; ++t) {
        const std::int32_t n = 2 + static_cast<std::int32_t>(gen() % 30);
        const int values = 1 + static_cast<int>(gen() % 4);  // distances drawn from very few integers
        const bool continuous = t % 10 == 9;
        DistanceMatrix d(n);
        std::uniform_real_distribution<double> real(0, 10);
        for (std::int64_t i = 1; i < n; ++i) {
            for (std::int64_t j = 0; j < i; ++j) {
                d(i, j) = continuous ? real(gen) : static_cast<double>(1 + gen() % static_cast<unsigned>(values));
            }
        }
        const auto rule = static_cast<std::int16_t>(t % 4);
        const bool shuffle = (t / 4) % 2 == 1;
        platform::rt::RandomSource rngFast(t);
        platform::rt::RandomSource rngOrder(t);
        const auto order = UPGMA::VisitingOrder(n, shuffle, &rngOrder);
        const auto fast = UPGMA::BuildUpgmaTree(d, n, rule, itemNames(n), shuffle, nullptr, &rngFast);
        const auto slow = testref::upgmaByScan(d, n, rule, itemNames(n), order);
        ASSERT_EQ(testref::exactText(*fast), testref::exactText(*slow))
            << "seed " << seed << " trial " << t << " n " << n << " rule " << rule << " shuffle " << shuffle;
        checkShape(*fast, n);
        ++trials;
    }
    EXPECT_EQ(trials, 3000);
}

TEST(Hclust, FastTreeEqualsTheScanOnLargerClusteredMatrices)
{
    // Points on a small integer grid: many equal distances, deep merges, and
    // long runs of retired positions.
    const std::uint32_t seed = 777;
    std::mt19937 gen(seed);
    for (int t = 0; t < 48; ++t) {
        const std::int32_t n = 60 + static_cast<std::int32_t>(gen() % 60);
        std::vector<std::pair<int, int>> p(static_cast<std::size_t>(n));
        for (auto& xy : p) {
            xy = {static_cast<int>(gen() % 6), static_cast<int>(gen() % 6)};
        }
        DistanceMatrix d(n);
        for (std::int64_t i = 1; i < n; ++i) {
            for (std::int64_t j = 0; j < i; ++j) {
                const auto& a = p[static_cast<std::size_t>(i)];
                const auto& b = p[static_cast<std::size_t>(j)];
                d(i, j) = std::abs(a.first - b.first) + std::abs(a.second - b.second);
            }
        }
        const auto rule = static_cast<std::int16_t>(t % 3);
        const bool shuffle = t % 2 == 0;
        platform::rt::RandomSource rngFast(t + 1);
        platform::rt::RandomSource rngOrder(t + 1);
        const auto order = UPGMA::VisitingOrder(n, shuffle, &rngOrder);
        const auto fast = UPGMA::BuildUpgmaTree(d, n, rule, itemNames(n), shuffle, nullptr, &rngFast);
        const auto slow = testref::upgmaByScan(d, n, rule, itemNames(n), order);
        ASSERT_EQ(testref::exactText(*fast), testref::exactText(*slow))
            << "seed " << seed << " trial " << t << " n " << n << " rule " << rule << " shuffle " << shuffle;
    }
}

// Euclidean distances between n points drawn on a side x side integer grid
// (seeded): many equal distances.
DistanceMatrix gridDistances(std::int32_t n, unsigned side, std::uint32_t seed)
{
    std::mt19937 gen(seed);
    std::vector<std::pair<int, int>> p(static_cast<std::size_t>(n));
    for (auto& xy : p) {
        xy = {static_cast<int>(gen() % side), static_cast<int>(gen() % side)};
    }
    DistanceMatrix d(n);
    for (std::int64_t i = 1; i < n; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            const auto& a = p[static_cast<std::size_t>(i)];
            const auto& b = p[static_cast<std::size_t>(j)];
            d(i, j) = std::hypot(a.first - b.first, a.second - b.second);
        }
    }
    return d;
}

TEST(Hclust, FastTreeEqualsTheScanOnAShuffledGridOfThreeHundred)
{
    // Rows long enough for the row minima to be found several cells at a
    // time with a remainder, and orbits of the visiting-order permutation
    // longer than the distance at which their cells are fetched.
    const std::uint32_t seed = 4242;
    constexpr std::int32_t n = 300;
    const DistanceMatrix d = gridDistances(n, 9, seed);
    for (std::int16_t rule = 0; rule < 3; ++rule) {
        platform::rt::RandomSource rngFast(rule + 11);
        platform::rt::RandomSource rngOrder(rule + 11);
        const auto order = UPGMA::VisitingOrder(n, true, &rngOrder);
        const auto fast = UPGMA::BuildUpgmaTree(d, n, rule, itemNames(n), true, nullptr, &rngFast);
        const auto slow = testref::upgmaByScan(d, n, rule, itemNames(n), order);
        ASSERT_EQ(testref::exactText(*fast), testref::exactText(*slow)) << "seed " << seed << " rule " << rule;
    }
}

// Exact text with children in a fixed order (by their smallest leaf), so
// that trees differing only in child order compare equal.
std::string canonical(const MyNode& node, std::string* smallest = nullptr)
{
    if (node.Tip()) {
        if (smallest != nullptr) {
            *smallest = node.Caption();
        }
        char buf[64];
        std::snprintf(buf, sizeof buf, ":%a", node.BranchLen());
        return node.Caption() + buf;
    }
    std::vector<std::pair<std::string, std::string>> parts;
    for (const auto& c : node.Children()) {
        std::string least;
        std::string text = canonical(*c, &least);
        parts.emplace_back(least, text);
    }
    std::sort(parts.begin(), parts.end());
    if (smallest != nullptr) {
        *smallest = parts.front().first;
    }
    std::string out = "(";
    for (const auto& part : parts) {
        out += part.second + ",";
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "):%a", node.BranchLen());
    return out + buf;
}

TEST(Hclust, ShuffledOrderOnlyChangesChildOrderWithoutTies)
{
    // Large enough for the triangle to be rearranged on several threads.
    constexpr std::int32_t n = 1100;
    std::mt19937_64 gen(99);
    std::uniform_real_distribution<double> real(1, 2);
    DistanceMatrix d(n);
    for (std::int64_t i = 1; i < n; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            d(i, j) = real(gen);
        }
    }
    for (std::int16_t rule = 0; rule < 3; ++rule) {
        platform::rt::RandomSource rng(rule + 5);
        const auto plain = UPGMA::BuildUpgmaTree(d, n, rule, itemNames(n), false);
        const auto shuffled = UPGMA::BuildUpgmaTree(d, n, rule, itemNames(n), true, nullptr, &rng);
        EXPECT_EQ(canonical(*plain), canonical(*shuffled)) << "rule " << rule;
    }
}

TEST(Hclust, ShuffleDrawsFromTheGivenGenerator)
{
    platform::rt::RandomSource a(7);
    platform::rt::RandomSource b(7);
    const auto first = UPGMA::VisitingOrder(50, true, &a);
    const auto second = UPGMA::VisitingOrder(50, true, &b);
    EXPECT_EQ(first, second);
    std::vector<std::int32_t> sorted = first;
    std::sort(sorted.begin(), sorted.end());
    for (std::int32_t p = 0; p < 50; ++p) {
        EXPECT_EQ(sorted[static_cast<std::size_t>(p)], p + 1);
    }
    EXPECT_NE(first, UPGMA::VisitingOrder(50, false, nullptr));
}

TEST(Hclust, CodesTwoAndThreeGiveIdenticalTrees)
{
    std::mt19937 gen(11);
    DistanceMatrix d(40);
    for (std::int64_t i = 1; i < 40; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            d(i, j) = static_cast<double>(gen() % 5);
        }
    }
    platform::rt::RandomSource r2(3);
    platform::rt::RandomSource r3(3);
    EXPECT_EQ(testref::exactText(*UPGMA::BuildUpgmaTree(d, 40, 2, itemNames(40), true, nullptr, &r2)),
              testref::exactText(*UPGMA::BuildUpgmaTree(d, 40, 3, itemNames(40), true, nullptr, &r3)));
}

TEST(Hclust, TheConstInputStaysAndTheMovedInputIsConsumed)
{
    DistanceMatrix d = three(2, 6, 4);
    const DistanceMatrix before = d;
    (void)build(d, 2);
    EXPECT_EQ(d, before);
    (void)UPGMA::BuildUpgmaTree(std::move(d), 3, 2, itemNames(3), false);
    EXPECT_EQ(d.size(), 0);  // NOLINT: the matrix was handed over on purpose
}

TEST(Hclust, SingleLinkageChainOfSixteenThousandLeavesIsBuiltAndReleased)
{
    // Points on a line with growing gaps: single linkage joins them one by
    // one, a chain 15,999 inner nodes deep.
    constexpr std::int32_t n = 16000;
    DistanceMatrix d(n);
    std::vector<double> x(n);
    for (std::int32_t i = 0; i < n; ++i) {
        x[static_cast<std::size_t>(i)] = 0.5 * i * (i + 1.0);
    }
    for (std::int64_t i = 1; i < n; ++i) {
        double* row = d.row(i);
        for (std::int64_t j = 0; j < i; ++j) {
            row[j] = x[static_cast<std::size_t>(i)] - x[static_cast<std::size_t>(j)];
        }
    }
    auto root = UPGMA::BuildUpgmaTree(std::move(d), n, 0, itemNames(n), false);
    std::int64_t depth = 0;
    for (const MyNode* node = root.get(); !node->Tip(); node = node->child(0)) {
        ++depth;
    }
    EXPECT_EQ(depth, n - 1);
    EXPECT_EQ(root->child(1)->Caption(), "g15999");
    EXPECT_EQ(root->FindNodeParent("g0")->childCount(), 2U);
    auto copy = root->clone();
    root.reset();
    copy.reset();
}

} // namespace

namespace {

DistanceMatrix allOnes(std::int64_t n)
{
    DistanceMatrix d(n);
    for (std::int64_t i = 1; i < n; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            d(i, j) = 1.0;
        }
    }
    return d;
}

// Distances put into visiting order by the caller give the tree of the
// matrix moved by the builder, bit for bit, for every rule, shuffled or not;
// a distance that is not a number is named by its items; an order that is
// not one of the items is refused.
TEST(Hclust, TreeFromDistancesInVisitingOrderEqualsTheMovedMatrixTree)
{
    const std::uint32_t seed = 4242;
    std::mt19937 gen(seed);
    for (int t = 0; t < 400; ++t) {
        const std::int32_t n = 1 + static_cast<std::int32_t>(gen() % 40);
        DistanceMatrix d(n);
        for (std::int64_t i = 1; i < n; ++i) {
            for (std::int64_t j = 0; j < i; ++j) {
                d(i, j) = static_cast<double>(1 + gen() % 5) * (t % 3 == 0 ? 0.37 : 1.0);
            }
        }
        const auto rule = static_cast<std::int16_t>(t % 4);
        const bool shuffle = t % 5 != 0;
        platform::rt::RandomSource rngMoved(t);
        platform::rt::RandomSource rngDrawn(t);
        const auto moved = UPGMA::BuildUpgmaTree(d, n, rule, itemNames(n), shuffle, nullptr, &rngMoved);
        const auto order = UPGMA::DrawVisitingOrder(n, shuffle, &rngDrawn);
        DistanceMatrix positioned(n);
        for (std::int64_t p = 1; p < n; ++p) {
            for (std::int64_t q = 0; q < p; ++q) {
                positioned(p, q) = d.at(order[static_cast<std::size_t>(p)] - 1, order[static_cast<std::size_t>(q)] - 1);
            }
        }
        const auto drawn = UPGMA::BuildUpgmaTreeInOrder(std::move(positioned), n, rule, itemNames(n), order);
        ASSERT_EQ(testref::exactText(*drawn), testref::exactText(*moved))
            << "seed " << seed << " trial " << t << " n " << n << " rule " << rule;
    }

    const std::vector<std::int32_t> order{3, 1, 4, 2};
    DistanceMatrix bad = allOnes(4);
    bad(2, 0) = std::numeric_limits<double>::infinity();  // items 4 and 3 at positions 2 and 0
    bad(3, 1) = std::nan("");                            // items 2 and 1
    try {
        (void)UPGMA::BuildUpgmaTreeInOrder(std::move(bad), 4, 2, itemNames(4), order);
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::InvalidCall);
        EXPECT_EQ(e.description(), "The distance between items 1 and 2 is not a number.");
    }
    for (const auto& wrong : {std::vector<std::int32_t>{1, 2, 3}, std::vector<std::int32_t>{1, 2, 2, 4},
                              std::vector<std::int32_t>{0, 1, 2, 3}, std::vector<std::int32_t>{1, 2, 3, 5}}) {
        try {
            (void)UPGMA::BuildUpgmaTreeInOrder(allOnes(4), 4, 2, itemNames(4), wrong);
            ADD_FAILURE() << "no error";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), platform::err::Subscript);
        }
    }
}

} // namespace

namespace {

// Sets the worker threads for as long as it lives.
struct WorkerThreads {
    explicit WorkerThreads(unsigned threads) { analysis::setWorkerThreads(threads); }
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;
    ~WorkerThreads() { analysis::setWorkerThreads(0); }
};

// Large enough for the joins' column walks to be shared among threads for
// the first thousands of steps; points on a small grid give many equal
// distances, so the order of ties is what is checked.
TEST(Hclust, ThreadsBuildTheTreeOfOneThreadBitForBit)
{
    const std::uint32_t seed = 515;
    constexpr std::int32_t n = 4500;
    const DistanceMatrix d = gridDistances(n, 12, seed);
    struct Case {
        std::int16_t rule;
        bool shuffle;
    };
    for (const Case c : {Case{2, true}, Case{2, false}, Case{0, true}}) {
        std::string texts[3];
        const unsigned threads[3] = {1, 3, 8};
        for (int t = 0; t < 3; ++t) {
            const WorkerThreads use(threads[t]);
            platform::rt::RandomSource rng(c.rule + 40);
            texts[t] = testref::exactText(*UPGMA::BuildUpgmaTree(d, n, c.rule, itemNames(n), c.shuffle, nullptr, &rng));
        }
        EXPECT_EQ(texts[1], texts[0]) << "seed " << seed << " rule " << c.rule << " shuffle " << c.shuffle;
        EXPECT_EQ(texts[2], texts[0]) << "seed " << seed << " rule " << c.rule << " shuffle " << c.shuffle;
    }
}

} // namespace
