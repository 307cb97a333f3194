#include "engines/cap/Alignment.h"
#include "engines/cap/Contigs.h"
#include "engines/cap/Layout.h"
#include "engines/cap/TupleFilter.h"

#include "tests/engines/cap/CapTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace tallowin::cap::detail;
using captest::randomRna;

namespace {

struct Weights {
    int32_t match, mismatch, endMismatch, gapOpen, gapExtend, endGapExtend;
};

bool reliableCell(const AlignInput& a, int i, const AlignInput& b, int j)
{
    return i >= a.reliableFirst && i <= a.reliableLast && j >= b.reliableFirst && j <= b.reliableLast;
}

int64_t cellScore(const ScoreTables& t, const AlignInput& a, int i, const AlignInput& b, int j)
{
    const auto x = static_cast<unsigned char>(a.text[static_cast<std::size_t>(i)]);
    const auto y = static_cast<unsigned char>(b.text[static_cast<std::size_t>(j)]);
    return reliableCell(a, i, b, j) ? t.reliableScore(x, y) : t.endScore(x, y);
}

int64_t cellExtend(const ScoreTables& t, const AlignInput& a, int i, const AlignInput& b, int j)
{
    return reliableCell(a, i, b, j) ? t.gapExtend : t.endGapExtend;
}

// Plain full-matrix recurrences: the best end-gap-free score.
int64_t referenceScore(const ScoreTables& t, const AlignInput& a, const AlignInput& b)
{
    const int m = static_cast<int>(a.text.size());
    const int n = static_cast<int>(b.text.size());
    const int64_t none = std::numeric_limits<int64_t>::min() / 4;
    std::vector<std::vector<int64_t>> H(m + 1, std::vector<int64_t>(n + 1, 0));
    auto V = std::vector<std::vector<int64_t>>(m + 1, std::vector<int64_t>(n + 1, none));
    auto R = V;
    int64_t best = none;
    for (int i = 1; i <= m; ++i) {
        for (int j = 1; j <= n; ++j) {
            const int64_t e = cellExtend(t, a, i - 1, b, j - 1);
            V[i][j] = std::max(V[i - 1][j] - e, H[i - 1][j] - t.gapOpen - e);
            R[i][j] = std::max(R[i][j - 1] - e, H[i][j - 1] - t.gapOpen - e);
            H[i][j] = std::max({H[i - 1][j - 1] + cellScore(t, a, i - 1, b, j - 1), V[i][j], R[i][j]});
            if (i == m || j == n)
                best = std::max(best, H[i][j]);
        }
    }
    return best;
}

// The score of an alignment's path, summed column by column.
int64_t pathScore(const ScoreTables& t, const AlignInput& a, const AlignInput& b, const Alignment& al)
{
    int i = al.firstBegin;
    int j = al.secondBegin;
    int64_t score = 0;
    Step previous = Step::Both;
    for (Step s : al.steps) {
        if (s == Step::Both) {
            score += cellScore(t, a, i, b, j);
            ++i;
            ++j;
        } else {
            if (s != previous)
                score -= t.gapOpen;
            if (s == Step::FirstOnly)
                ++i;
            else
                ++j;
            score -= cellExtend(t, a, i - 1, b, j - 1);
        }
        previous = s;
    }
    EXPECT_EQ(i, al.firstEnd);
    EXPECT_EQ(j, al.secondEnd);
    return score;
}

} // namespace

TEST(CapAligner, ScoreAndPathMatchAPlainReferenceOnRandomPairs)
{
    const unsigned seed = 4242;
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    tallowin::EngineContext context;
    for (int round = 0; round < 300; ++round) {
        const Weights w{pick(1, 4), pick(-6, -1), pick(-4, 0), pick(0, 6), pick(0, 3), pick(0, 3)};
        const ScoreTables tables =
            makeScoreTables(w.match, w.mismatch, w.endMismatch, w.gapOpen, w.gapExtend, w.endGapExtend);
        // Small alphabets (with "N") give many ties.
        std::string x = randomRna(rng, static_cast<std::size_t>(pick(1, 14)));
        std::string y = randomRna(rng, static_cast<std::size_t>(pick(1, 14)));
        if (round % 3 == 0) {
            x[static_cast<std::size_t>(pick(0, static_cast<int>(x.size()) - 1))] = 'N';
            y[static_cast<std::size_t>(pick(0, static_cast<int>(y.size()) - 1))] = 'T';
        }
        const AlignInput a{x, pick(0, 4), pick(3, 14)};
        const AlignInput b{y, pick(0, 4), pick(3, 14)};
        Aligner aligner(tables, context);
        const Alignment al = aligner.align(a, b);
        ASSERT_EQ(al.score, referenceScore(tables, a, b)) << x << " / " << y;
        EXPECT_EQ(pathScore(tables, a, b, al), al.score) << x << " / " << y;
        // The path starts in the first row or column and ends in the last.
        EXPECT_TRUE(al.firstBegin == 0 || al.secondBegin == 0);
        EXPECT_TRUE(al.firstEnd == static_cast<int>(x.size()) || al.secondEnd == static_cast<int>(y.size()));
        int same = 0;
        int i = al.firstBegin;
        int j = al.secondBegin;
        for (Step s : al.steps) {
            if (s == Step::Both)
                same += x[static_cast<std::size_t>(i++)] == y[static_cast<std::size_t>(j++)];
            else if (s == Step::FirstOnly)
                ++i;
            else
                ++j;
        }
        EXPECT_EQ(al.identities, same);
        EXPECT_EQ(al.columns, static_cast<int>(al.steps.size()));
    }
}

TEST(CapAligner, LinearTracebackGivesTheSamePathAsTheWholeTraceback)
{
    // The same pairs aligned with every back pointer kept and with budgets
    // that force the score pass with kept rows and the halving traceback:
    // equal scores, ends and columns, tie-heavy inputs included.
    const unsigned seed = 777;
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    tallowin::EngineContext context;
    for (int round = 0; round < 200; ++round) {
        const bool bigWeights = round % 10 == 9; // 64-bit score pass
        const Weights w = bigWeights ? Weights{INT32_MAX / 2, INT32_MIN / 2, -5, 7, 3, 0}
                                     : Weights{pick(1, 4), pick(-6, -1), pick(-4, 0), pick(0, 6), pick(0, 3), pick(0, 3)};
        const ScoreTables tables =
            makeScoreTables(w.match, w.mismatch, w.endMismatch, w.gapOpen, w.gapExtend, w.endGapExtend);
        // Related pairs (a shared stretch with edits) and unrelated ones, over
        // two or four letters.
        const std::string source = randomRna(rng, static_cast<std::size_t>(pick(20, 400)));
        std::string x = source.substr(0, static_cast<std::size_t>(pick(1, static_cast<int>(source.size()))));
        std::string y = source.substr(static_cast<std::size_t>(pick(0, static_cast<int>(source.size()) - 1)));
        if (round % 4 == 0)
            y = randomRna(rng, static_cast<std::size_t>(pick(1, 300)));
        for (std::string* t : {&x, &y}) {
            for (int edit = pick(0, 8); edit > 0; --edit) {
                const auto at = static_cast<std::size_t>(pick(0, static_cast<int>(t->size()) - 1));
                if (edit % 3 == 0)
                    (*t)[at] = 'N';
                else if (edit % 3 == 1)
                    t->insert(at, 1, 'A');
                else if (t->size() > 1)
                    t->erase(at, 1);
            }
            if (round % 5 == 0)
                std::replace(t->begin(), t->end(), 'C', 'A');
        }
        const AlignInput a{x, pick(0, 30), pick(10, 400)};
        const AlignInput b{y, pick(0, 30), pick(10, 400)};
        Aligner whole(tables, context);
        const Alignment expected = whole.align(a, b);
        for (std::size_t budget : {std::size_t{1}, std::size_t{37}, std::size_t{4096}}) {
            Aligner linear(tables, context);
            linear.setTraceBudget(budget);
            const Alignment got = linear.align(a, b);
            SCOPED_TRACE(::testing::Message() << "round " << round << ", budget " << budget << ": " << x << " / " << y);
            ASSERT_EQ(got.score, expected.score);
            ASSERT_EQ(got.firstBegin, expected.firstBegin);
            ASSERT_EQ(got.secondBegin, expected.secondBegin);
            ASSERT_EQ(got.firstEnd, expected.firstEnd);
            ASSERT_EQ(got.secondEnd, expected.secondEnd);
            ASSERT_TRUE(got.steps == expected.steps);
            ASSERT_EQ(got.identities, expected.identities);
        }
    }
}

TEST(CapAligner, LargeWeightsScoreWithoutOverflow)
{
    tallowin::EngineContext context;
    const ScoreTables tables = makeScoreTables(INT32_MAX, INT32_MIN + 1, -5, 0, 0, 0);
    std::mt19937 rng(5);
    const std::string x = randomRna(rng, 300);
    Aligner aligner(tables, context);
    const Alignment al = aligner.align({x, 0, 299}, {x, 0, 299});
    EXPECT_EQ(al.score, int64_t{INT32_MAX} * 300);
    EXPECT_EQ(al.identities, 300);
}

TEST(CapAligner, ShapeTellsContainmentAndOrder)
{
    tallowin::EngineContext context;
    const ScoreTables tables = makeScoreTables(2, -5, -2, 6, 1, 1);
    std::mt19937 rng(6);
    const std::string s = randomRna(rng, 200);
    Aligner aligner(tables, context);
    auto shape = [&](const std::string& x, const std::string& y) {
        const Alignment al = aligner.align({x, 0, 1000}, {y, 0, 1000});
        return shapeOf(al, static_cast<int>(x.size()), static_cast<int>(y.size()));
    };
    EXPECT_EQ(shape(s.substr(0, 120), s.substr(80)), OverlapShape::FirstThenSecond);
    EXPECT_EQ(shape(s.substr(80), s.substr(0, 120)), OverlapShape::SecondThenFirst);
    EXPECT_EQ(shape(s.substr(50, 60), s), OverlapShape::FirstContained);
    EXPECT_EQ(shape(s, s.substr(50, 60)), OverlapShape::SecondContained);
    EXPECT_EQ(shape(s, s), OverlapShape::SecondContained);
}

TEST(CapTupleFilter, PassesTrueOverlapsAndRejectsUnrelatedPairs)
{
    tallowin::EngineContext context;
    std::mt19937 rng(7);
    const std::string s = randomRna(rng, 1000);
    std::string noisy = s.substr(400, 500);
    for (std::size_t k = 20; k < noisy.size(); k += 60)
        noisy[k] = captest::otherLetter(rng, noisy[k]);
    const FilterSettings settings{20, 10.0};
    auto passes = [&](const std::string& x, const std::string& y) {
        const TupleIndex a(x, context);
        const TupleIndex b(y, context);
        return passesFilter(a, b, settings);
    };
    EXPECT_TRUE(passes(s.substr(0, 500), noisy));            // end of the first, start of the second
    EXPECT_TRUE(passes(noisy, s.substr(0, 500)));            // the other way round
    EXPECT_TRUE(passes(s.substr(300, 50), s.substr(0, 600))); // contained, either order
    EXPECT_TRUE(passes(s.substr(0, 600), s.substr(300, 50)));
    std::string withUnknown = s.substr(450, 300);
    withUnknown[10] = 'N';
    withUnknown[11] = 'T';
    EXPECT_TRUE(passes(s.substr(0, 500), withUnknown));
    int passed = 0;
    for (int k = 0; k < 50; ++k)
        passed += passes(randomRna(rng, 500), randomRna(rng, 500)) ? 1 : 0;
    EXPECT_LE(passed, 2);
    // A short overlap below the minimum does not pass.
    const std::string t = randomRna(rng, 400);
    EXPECT_FALSE(passes(t.substr(0, 210), t.substr(200, 200)));
}

TEST(CapContigs, ReliableRegionIsMirroredForAReversedFragment)
{
    Fragment f;
    f.forward = std::string(100, 'A');
    f.reverse = f.forward;
    const AlignInput given = alignInput(f, false, 11, 80);
    EXPECT_EQ(given.reliableFirst, 10);
    EXPECT_EQ(given.reliableLast, 79);
    const AlignInput reversed = alignInput(f, true, 11, 80);
    EXPECT_EQ(reversed.reliableFirst, 20); // 1-based 100 - 80 + 1
    EXPECT_EQ(reversed.reliableLast, 89);  // 1-based 100 - 11 + 1
    const AlignInput wide = alignInput(f, true, 1, INT32_MAX);
    EXPECT_EQ(wide.reliableFirst, 0);
    EXPECT_EQ(wide.reliableLast, 99);
}

TEST(CapContigs, ReverseComplementSwapsOnlyTheFourLetters)
{
    EXPECT_EQ(reverseComplement("AACGU"), "ACGUU");
    EXPECT_EQ(reverseComplement("ATNCx"), "xGNTU");
}

TEST(CapLayout, InsertionUsesAGapColumnOrOpensOneInEveryRowThatSpansIt)
{
    ContigLayout contig;
    // Row 1 brought an extra "C" at column 4, where row 0 has a gap.
    contig.rows.push_back({0, false, 0, "ACGU-ACGU"});
    contig.rows.push_back({1, false, 2, "GUCACGUAA"});
    contig.width = 11;

    // The new fragment has the same extra "C", and lacks row 0's "C" at column 6.
    Alignment a;
    a.firstBegin = 2;
    a.secondBegin = 0;
    a.steps = {Step::Both, Step::Both, Step::SecondOnly, Step::Both, Step::FirstOnly, Step::Both};
    mergeRow(contig, 0, a, "GUCAGUUU", 2, false);
    ASSERT_EQ(contig.rows.size(), 3u);
    EXPECT_EQ(contig.rows[0].text, "ACGU-ACGU");
    EXPECT_EQ(contig.rows[1].text, "GUCACGUAA");
    EXPECT_EQ(contig.rows[2].start, 2);
    EXPECT_EQ(contig.rows[2].text, "GUCA-GUUU");
    EXPECT_EQ(contig.width, 11);

    // An extra letter where no gap column exists opens one in every row
    // spanning it; rows starting later move right.
    Alignment b;
    b.firstBegin = 0;
    b.steps = {Step::Both, Step::SecondOnly, Step::Both};
    mergeRow(contig, 0, b, "AGC", 3, false);
    EXPECT_EQ(contig.rows[0].text, "A-CGU-ACGU");
    EXPECT_EQ(contig.rows[1].start, 3);
    EXPECT_EQ(contig.rows[2].start, 3);
    EXPECT_EQ(contig.rows[3].start, 0);
    EXPECT_EQ(contig.rows[3].text, "AGC");
    EXPECT_EQ(contig.width, 12);
}
