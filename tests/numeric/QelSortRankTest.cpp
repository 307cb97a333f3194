#include "numeric/QelSortRank.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"

using QelSortRank::Key;

namespace {

// The sort as first written: same partition and small-range sort, but the
// driver always recurses into the left part. Used to show that recursing into
// the smaller part changes nothing in the result.
struct LeftRecursiveReference {
    std::vector<int>& k;
    std::vector<int>& c;

    std::int64_t partition(std::int64_t lo, std::int64_t hi)
    {
        std::int64_t s = lo + hi, mid = s / 2;
        if (s % 2 != 0 && mid % 2 != 0) {
            ++mid;
        }
        std::int64_t pi = lo;
        if (k[lo] >= k[hi] && k[hi] >= k[mid]) {
            pi = hi;
        } else if (k[lo] >= k[mid] && k[mid] >= k[hi]) {
            pi = mid;
        }
        const int pk = k[pi], pc = c[pi];
        k[pi] = k[lo];
        c[pi] = c[lo];
        std::int64_t i = lo, j = hi;
        while (i != j) {
            while (i < j && k[j] >= pk) --j;
            if (i == j) break;
            k[i] = k[j], c[i] = c[j];
            do ++i; while (i < j && k[i] <= pk);
            if (i == j) break;
            k[j] = k[i], c[j] = c[i];
            --j;
        }
        k[i] = pk, c[i] = pc;
        return i;
    }
    void shaker(std::int64_t lo, std::int64_t hi)
    {
        bool swapped = true;
        while (swapped) {
            std::int64_t last = 0;
            for (std::int64_t x = lo; x <= hi - 1; ++x)
                if (k[x] > k[x + 1]) std::swap(k[x], k[x + 1]), std::swap(c[x], c[x + 1]), last = x;
            hi = last;
            if (last == 0) swapped = false;
            std::int64_t first = 0;
            for (std::int64_t x = hi; x >= lo + 1; --x)
                if (k[x - 1] > k[x]) std::swap(k[x - 1], k[x]), std::swap(c[x - 1], c[x]), first = x;
            lo = first;
            if (first == 0) swapped = false;
        }
    }
    void sort(std::int64_t lo, std::int64_t hi)
    {
        if (hi - lo < 11) return shaker(lo, hi);
        do {
            const std::int64_t p = partition(lo, hi);
            sort(lo, p - 1);
            lo = p + 1;
        } while (hi - lo > 10);
        shaker(lo, hi);
    }
};

} // namespace

TEST(QelSortRank, MatchesLeftRecursiveReferenceOnTieHeavyInput)
{
    const unsigned seed = 4242;
    std::mt19937 rng(seed);
    for (int trial = 0; trial < 2000; ++trial) {
        const int n = std::uniform_int_distribution<int>(0, 80)(rng);
        const int range = std::uniform_int_distribution<int>(1, 6)(rng);
        std::vector<int> keys(static_cast<std::size_t>(n)), comp(keys.size());
        for (int i = 0; i < n; ++i) {
            keys[static_cast<std::size_t>(i)] = std::uniform_int_distribution<int>(0, range)(rng);
            comp[static_cast<std::size_t>(i)] = i;
        }
        std::vector<int> rk = keys, rc = comp;
        LeftRecursiveReference{rk, rc}.sort(0, n - 1);
        QelSortRank::QuickSort2(keys, comp, 0, n - 1);
        ASSERT_EQ(keys, rk) << "seed " << seed << " trial " << trial;
        ASSERT_EQ(comp, rc) << "seed " << seed << " trial " << trial;
    }
}

TEST(QelSortRank, AllEntryPointsSortAndKeepCompanionsAligned)
{
    const unsigned seed = 99;
    std::mt19937 rng(seed);
    for (int trial = 0; trial < 300; ++trial) {
        const int n = std::uniform_int_distribution<int>(0, 60)(rng);
        std::vector<double> keys(static_cast<std::size_t>(n));
        for (auto& k : keys) k = std::uniform_int_distribution<int>(0, 4)(rng);
        std::vector<int> c1(keys.size());
        std::vector<std::string> c2(keys.size());
        for (int i = 0; i < n; ++i) c1[static_cast<std::size_t>(i)] = i, c2[static_cast<std::size_t>(i)] = std::to_string(i);
        const std::vector<double> original = keys;

        auto check = [&](const std::vector<double>& k, const std::vector<int>& c, bool descending) {
            EXPECT_TRUE(descending ? std::is_sorted(k.rbegin(), k.rend()) : std::is_sorted(k.begin(), k.end()))
                << "seed " << seed << " trial " << trial;
            std::vector<int> seen = c;
            std::sort(seen.begin(), seen.end());
            for (int i = 0; i < n; ++i) {
                EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
                EXPECT_EQ(k[static_cast<std::size_t>(i)], original[static_cast<std::size_t>(c[static_cast<std::size_t>(i)])]);
            }
        };
        std::vector<double> k = original;
        std::vector<int> c = c1;
        QelSortRank::QuickSort2Desc(k, c, 0, n - 1);
        check(k, c, true);

        k = original, c = c1;
        std::vector<std::string> s = c2;
        QelSortRank::QuickSort3(k, c, s, 0, n - 1);
        check(k, c, false);
        for (int i = 0; i < n; ++i) EXPECT_EQ(s[static_cast<std::size_t>(i)], std::to_string(c[static_cast<std::size_t>(i)]));

        k = original;
        QelSortRank::QuickSort(k, 0, n - 1);
        EXPECT_TRUE(std::is_sorted(k.begin(), k.end()));
    }
}

TEST(QelSortRank, DescendingWorkedExample)
{
    std::vector<double> keys{1, 3, 2};
    std::vector<std::string> comp{"a", "b", "c"};
    QelSortRank::QuickSort2Desc(keys, comp, 0, 2);
    EXPECT_EQ(keys, (std::vector<double>{3, 2, 1}));
    EXPECT_EQ(comp, (std::vector<std::string>{"b", "c", "a"}));
}

TEST(QelSortRank, NumbersComeBeforeTextsAndTextsSortByCharacterCode)
{
    std::vector<Key> keys{Key{"a"}, Key{2.0}, Key{"B"}, Key{-1.0}, Key{"\xe9"}, Key{"Z"}};
    QelSortRank::QuickSort(keys, 0, 5);
    EXPECT_EQ(keys, (std::vector<Key>{Key{-1.0}, Key{2.0}, Key{"B"}, Key{"Z"}, Key{"a"}, Key{"\xe9"}}));
}

TEST(QelSortRank, SmallAndEmptyRangesAndSubranges)
{
    struct Row {
        const char* name;
        std::vector<int> input;
        std::int64_t lo, hi;
        std::vector<int> expected;
    };
    const std::vector<Row> rows{
        {"empty", {}, 0, -1, {}},
        {"one", {5}, 0, 0, {5}},
        {"two swapped", {2, 1}, 0, 1, {1, 2}},
        {"two in order", {1, 2}, 0, 1, {1, 2}},
        {"hi below lo", {3, 2, 1}, 2, 1, {3, 2, 1}},
        {"lo equals hi", {3, 2, 1}, 1, 1, {3, 2, 1}},
        {"inner range only", {9, 4, 3, 2, 0}, 1, 3, {9, 2, 3, 4, 0}},
        {"twelve descending", {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 0, 11, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"all equal", {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}, 0, 13, {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}},
    };
    for (const Row& row : rows) {
        std::vector<int> v = row.input;
        QelSortRank::QuickSort(v, row.lo, row.hi);
        EXPECT_EQ(v, row.expected) << row.name;
    }
}

TEST(QelSortRank, PivotCompanionSurvivesProxyContainers)
{
    // Fifteen keys take the partition path; the pivot's companion is saved by
    // value, also when the container hands out proxies (std::vector<bool>).
    std::vector<int> keys{14, 3, 9, 1, 12, 7, 0, 11, 5, 13, 2, 10, 6, 8, 4};  // pivot: the middle key 11
    std::vector<bool> odd(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) odd[i] = keys[i] % 2 == 1;
    QelSortRank::QuickSort2(keys, odd, 0, 14);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i], static_cast<int>(i));
        EXPECT_EQ(odd[i], i % 2 == 1) << i;
    }
}

TEST(QelSortRank, SortedAndEqualInputsOfTwentyThousandFinish)
{
    std::vector<double> sorted(20000), equal(20000, 1.0);
    for (std::size_t i = 0; i < sorted.size(); ++i) sorted[i] = static_cast<double>(i);
    std::vector<double> s = sorted;
    QelSortRank::QuickSort(s, 0, 19999);
    EXPECT_EQ(s, sorted);
    std::vector<int> comp(20000);
    QelSortRank::QuickSort2(equal, comp, 0, 19999);
    EXPECT_TRUE(std::all_of(equal.begin(), equal.end(), [](double x) { return x == 1.0; }));
}

TEST(QelSortRank, RangeOutsideTheArrayIsASubscriptError)
{
    std::vector<int> v{1, 2, 3}, shortComp{1};
    for (const auto& [lo, hi] : std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 3}, {-1, 2}}) {
        try {
            QelSortRank::QuickSort(v, lo, hi);
            ADD_FAILURE() << lo << ".." << hi;
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), 9);
        }
    }
    EXPECT_THROW(QelSortRank::QuickSort2(v, shortComp, 0, 2), platform::Error);
    std::array<int, 4> arr{4, 1, 3, 2};
    std::span<int> view(arr);
    QelSortRank::QuickSort(view, 0, 3);
    EXPECT_EQ(arr, (std::array<int, 4>{1, 2, 3, 4}));
}
