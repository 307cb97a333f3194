// The multiple alignment's parts against slow references.

#include "engines/map/MapEngine.h"
#include "engines/map/PairScore.h"
#include "engines/map/Profile.h"
#include "engines/map/Scoring.h"
#include "tests/engines/MapReference.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace tallowin::map;
using maptest::cubicOptimum;
using maptest::scoreScript;

std::string randomDna(std::mt19937& rng, std::size_t n, const char* letters = "ACGT")
{
    const std::string alphabet(letters);
    std::string s(n, 'A');
    for (auto& c : s)
        c = alphabet[rng() % alphabet.size()];
    return s;
}

// A relative of `base`: substitutions, short indels and now and then a long insertion.
std::string mutate(std::mt19937& rng, const std::string& base)
{
    std::string out;
    for (char c : base) {
        const unsigned roll = rng() % 100;
        if (roll < 8)
            out.push_back("ACGT"[rng() % 4]);
        else if (roll < 11)
            continue;
        else if (roll < 13)
            out += randomDna(rng, 1 + rng() % 3), out.push_back(c);
        else if (roll < 14)
            out += randomDna(rng, 8 + rng() % 12), out.push_back(c);
        else
            out.push_back(c);
    }
    return out.empty() ? std::string("A") : out;
}

TEST(MapScoreTable, ConstantScoresFoldCaseForNucleotidesButNeverMatchN)
{
    const auto w = ScoreTable::constant(10, -5, 4);
    EXPECT_EQ(w('A', 'A'), 10);
    EXPECT_EQ(w('A', 'a'), 10);
    EXPECT_EQ(w('t', 'T'), 10);
    EXPECT_EQ(w('N', 'N'), -5);
    EXPECT_EQ(w('n', 'n'), -5);
    EXPECT_EQ(w('N', 'n'), -5);
    EXPECT_EQ(w('U', 'u'), -5);
    EXPECT_EQ(w('A', 'C'), -5);
    EXPECT_EQ(w('Q', '-'), -4);
    EXPECT_EQ(w('-', 'A'), -4);
    EXPECT_EQ(w('-', '-'), 0);
}

TEST(MapScoreTable, MatrixScoresAreSymmetricAndUnknownLettersScoreZero)
{
    // Alphabet "ACG": rows A; C; G of the lower triangle with its diagonal.
    const int32_t tri[] = {5, -1, 6, -2, -3, 7};
    const auto w = ScoreTable::fromMatrix("ACG", tri, 3);
    EXPECT_EQ(w('A', 'A'), 5);
    EXPECT_EQ(w('C', 'A'), -1);
    EXPECT_EQ(w('A', 'C'), -1);
    EXPECT_EQ(w('G', 'C'), -3);
    EXPECT_EQ(w('C', 'G'), -3);
    EXPECT_EQ(w('G', 'G'), 7);
    EXPECT_EQ(w('T', 'A'), 0);
    EXPECT_EQ(w('a', 'a'), 0);
    EXPECT_EQ(w('T', '-'), -3);
    EXPECT_EQ(w('-', '-'), 0);
}

TEST(MapPairScore, LongInsertionCostsTheConstant)
{
    const auto w = ScoreTable::constant(10, -5, 4);
    const std::string first = "AAAACCCC";
    const std::string second = "AAAA" + std::string(20, 'G') + "CCCC";
    EXPECT_EQ(pairScore(first, second, w, GapCosts::make(10, 4, 10)), 30);
    EXPECT_EQ(pairScore(first, second, w, GapCosts::make(10, 4, 100)), 20);
}

TEST(MapPairScore, EveryCodePathMatchesTheCubicReferenceOnRandomPairs)
{
    std::mt19937 rng(7);
    const auto small = ScoreTable::constant(10, -5, 4);
    // Weights this large need 64-bit arithmetic.
    const auto large = ScoreTable::constant(1 << 27, -(1 << 26), 1 << 20);
    for (int trial = 0; trial < 400; ++trial) {
        const bool big = trial % 4 == 3;
        const auto& w = big ? large : small;
        const GapCosts g = big ? GapCosts::make(1 << 24, 1 << 20, 1 + static_cast<int32_t>(rng() % 6))
                               : GapCosts::make(static_cast<int32_t>(rng() % 12), static_cast<int32_t>(rng() % 5),
                                                1 + static_cast<int32_t>(rng() % 6));
        const std::string base = randomDna(rng, 1 + rng() % 40, trial % 2 ? "AC" : "ACGT");
        std::string x = base, y = mutate(rng, base);
        if (y.size() < x.size())
            std::swap(x, y);
        auto s = [&](Score i, Score j) { return Score{w(x[i - 1], y[j - 1])}; };
        const Score expected = cubicOptimum(static_cast<Score>(x.size()), static_cast<Score>(y.size()), s, g);
        EXPECT_EQ(pairScore(x, y, w, g), expected) << x << " / " << y;
        EXPECT_EQ(pairScorePortable(x, y, w, g), expected) << x << " / " << y;
    }
}

// A group of rows with blank ends and inner gaps, every column non-blank somewhere.
std::vector<std::string> randomGroup(std::mt19937& rng, std::size_t rows, std::size_t columns)
{
    std::vector<std::string> group;
    for (std::size_t r = 0; r < rows; ++r) {
        std::string row(columns + 2, ' ');
        const std::size_t lead = r == 0 ? 0 : rng() % (columns / 3 + 1);
        const std::size_t tail = r == 0 ? 0 : rng() % (columns / 3 + 1);
        for (std::size_t c = 1 + lead; c + tail <= columns; ++c)
            row[c] = rng() % 6 == 0 ? '-' : "ACGT"[rng() % 4];
        group.push_back(row);
    }
    return group;
}

struct ProfileCase {
    std::size_t rowsA, colsA, rowsB, colsB;
};

TEST(MapProfileAlignment, DivideAndConquerReachesTheFullTableOptimum)
{
    std::mt19937 rng(11);
    const auto w = ScoreTable::constant(10, -5, 4);
    const ProfileCase sizes[] = {{1, 1, 1, 1},  {1, 3, 2, 9},   {2, 40, 1, 60}, {3, 70, 2, 90},
                                 {1, 90, 1, 140}, {4, 100, 3, 100}, {2, 150, 2, 160}, {1, 5, 3, 200},
                                 // A longer than B: free leading or trailing gaps of A's columns.
                                 {2, 120, 2, 30}, {1, 200, 1, 8}};
    for (int trial = 0; trial < 120; ++trial) {
        const auto& c = sizes[static_cast<std::size_t>(trial) % std::size(sizes)];
        const GapCosts g = GapCosts::make(static_cast<int32_t>(rng() % 30), static_cast<int32_t>(rng() % 6),
                                          1 + static_cast<int32_t>(rng() % 8));
        std::vector<std::string> A, B;
        if (trial % 3 == 0) {
            // Related single sequences, so long gaps and splits inside gaps occur.
            const std::string base = randomDna(rng, c.colsA);
            A = {" " + base + " "};
            B = {" " + mutate(rng, base) + std::string(" ")};
        } else if (trial % 3 == 1) {
            // A carries an extra stretch across its middle that B lacks, so
            // the best alignment holds a gap of A's columns spanning the split.
            const std::string left = randomDna(rng, c.colsA / 2), right = randomDna(rng, c.colsA / 2 + 1);
            const std::string extra = randomDna(rng, 4 + rng() % 14);
            A = {" " + left + extra + right + " "};
            B = {" " + mutate(rng, left) + mutate(rng, right) + randomDna(rng, extra.size() + 3) + " "};
        } else {
            A = randomGroup(rng, c.rowsA, c.colsA);
            B = randomGroup(rng, c.rowsB, c.colsB);
        }
        const ColumnScorer scorer(A, B, w);
        const Score a = scorer.columnsA(), b = scorer.columnsB();
        auto naive = [&](Score i, Score j) { return maptest::naiveColumnScore(A, i, B, j, w); };
        for (Score i = 1; i <= a; i += 7)
            for (Score j = 1; j <= b; j += 5)
                ASSERT_EQ(scorer(i, j), naive(i, j));

        const EditScript script = alignProfiles(scorer, g);
        EXPECT_EQ(script.columnsOfA(), a);
        EXPECT_EQ(script.columnsOfB(), b);
        EXPECT_EQ(scoreScript(script.ops(), naive, g), cubicOptimum(a, b, naive, g)) << "trial " << trial;
    }
}

TEST(MapProfileAlignment, ColumnScoresTruncateTowardZero)
{
    const auto w = ScoreTable::constant(10, -5, 4);
    // Column of A: A, C; column of B: A, G, T. Pairs: 10 - 5 - 5 - 5 - 5 - 5 = -15 over 6.
    const std::vector<std::string> A{" A ", " C "};
    const std::vector<std::string> B{" A ", " G ", " T "};
    EXPECT_EQ(ColumnScorer(A, B, w)(1, 1), -2);
    // Blanks are left out, "-" counts: (10 - 4) / 2 = 3.
    const std::vector<std::string> A2{" A ", "   ", " - "};
    EXPECT_EQ(ColumnScorer(A2, {" A "}, w)(1, 1), 3);
}

TEST(MapMerge, GapsAtRowEndsAreBlanksAndInsideRowsDashes)
{
    EditScript script;
    script.insert(2);
    script.match();
    script.insert(1);
    script.match();
    script.remove(1);
    const std::vector<std::string> A{" AC  ", " ACG "};
    const std::vector<std::string> B{" TTAGC "};
    const auto rows = mergeRows(A, B, script);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], "   A-C  ");
    EXPECT_EQ(rows[1], "   A-CG ");
    EXPECT_EQ(rows[2], " TTAGC  ");
}

TEST(MapEngine, SplitAtBlanksTreatsRunsAsOneSeparator)
{
    EXPECT_EQ(splitAtBlanks("  ab   c d  "), (std::vector<std::string>{"ab", "c", "d"}));
    EXPECT_TRUE(splitAtBlanks("    ").empty());
}

TEST(MapEngine, SeededAlignmentsAndProgressStayAsTheyAre)
{
    // Digests of the rows, the order and every progress call, taken from the
    // engine as it stands, on seeded related sets (constant scores and a
    // matrix), so that faster stages must give the same alignment.
    const struct {
        std::size_t count, length;
        bool useMatrix;
        std::uint64_t digest;
    } sets[] = {{2, 50, false, 0x203bcd2a50ada64eULL},
                  {9, 180, false, 0x7846b1235d5a10f0ULL},
                  {23, 260, false, 0x4aa42c9fc0116fd4ULL},
                  {14, 150, true, 0xe403cab015ce9d3fULL}};
    unsigned seed = 5150;
    for (const auto& set : sets) {
        SCOPED_TRACE(testing::Message() << set.count << " sequences, seed " << seed);
        std::mt19937 rng(seed++);
        const std::string base = randomDna(rng, set.length);
        std::vector<std::string> names, seqs;
        for (std::size_t k = 0; k < set.count; ++k) {
            names.push_back("s" + std::to_string(k));
            seqs.push_back(mutate(rng, base));
        }
        MapParams p;
        p.minLength = 10, p.mismatch = -5, p.match = 10, p.gapOpen = 10, p.gapExtend = 4;
        if (set.useMatrix) {
            p.useMatrix = true;
            p.alphabet = "ACGT";
            p.lowerTriangle = {9, -3, 8, -4, -2, 10, -1, -5, -3, 7};
        }
        // One thread, a few, and one per core (the default) alike.
        for (const unsigned threads : {1u, 3u, 0u}) {
            SCOPED_TRACE(testing::Message() << "threads " << threads);
            setAlignmentThreads(threads);
            std::vector<std::string> events;
            tallowin::RecordingProgress progress(events);
            tallowin::EngineContext ctx;
            const MapResult r = multipleAlign(names, seqs, p, progress, ctx);
            ASSERT_TRUE(r.ok) << ctx.messages.text();
            testsupport::BitDigest digest;
            digest.add(outputText(r));
            for (const int32_t k : r.order)
                digest.add(std::int64_t{k});
            for (const std::string& e : events)
                digest.add(e);
            EXPECT_EQ(digest.value(), set.digest) << "digest 0x" << std::hex << digest.value();
        }
        setAlignmentThreads(0);
    }
}

TEST(MapEngine, FailedAllocationIsReportedAndTheNextCallIsClean)
{
    MapParams p;
    p.minLength = 10, p.mismatch = -5, p.match = 10, p.gapOpen = 10, p.gapExtend = 4;
    const std::vector<std::string> names{"a", "b", "c"}, seqs{"ACGT", "ACGA", "TCGA"};
    tallowin::NullProgress progress;
    for (int n = 1; n <= 3; ++n) {
        tallowin::EngineContext ctx;
        ctx.failAllocationNumber(n);
        const auto r = multipleAlign(names, seqs, p, progress, ctx);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(ctx.messages.text(), "Memory allocation failed.\n");
    }
    tallowin::EngineContext ctx;
    const auto r = multipleAlign(names, seqs, p, progress, ctx);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(ctx.messages.empty());
}

} // namespace
