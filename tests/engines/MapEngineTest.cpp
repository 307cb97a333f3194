// The multiple alignment engine through the library's C interface, as the
// alignment front end calls it.

#include "engines/EngineProgress.h"
#include "engines/map/MapExports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

struct Call {
    std::vector<std::string> sequences;
    int32_t minLength = 10, mismatch = -5, match = 10, gapOpen = 10, gapExtend = 4;
    int32_t useMatrix = 0;
    std::string alphabet;
    std::vector<int32_t> matrix{0};
    std::optional<int32_t> count; // none: the number of sequences
};

struct Outcome {
    int32_t result = -1;
    std::string messages;
    std::vector<std::string> rows;
    std::vector<int32_t> order;
    std::string output;
};

std::string joinWithBlanks(const std::vector<std::string>& items)
{
    std::string text;
    for (const auto& s : items)
        text += (text.empty() ? "" : " ") + s;
    return text;
}

std::vector<std::string> splitRows(const std::string& output)
{
    std::vector<std::string> rows;
    std::string row;
    for (char c : output) {
        if (c == ';') {
            rows.push_back(row);
            row.clear();
        } else {
            row.push_back(c);
        }
    }
    return rows;
}

// Calls mapMainDll with buffers laid out as the front end does: the caller's
// 4096-byte messages and 3 x count x longest bytes of output, blank-filled.
Outcome run(const Call& c)
{
    const auto n = static_cast<int32_t>(c.sequences.size());
    const int32_t count = c.count.value_or(n);
    std::vector<std::string> nameItems;
    for (int32_t i = 0; i < n; ++i)
        nameItems.push_back("\x01" + std::to_string(i));
    const std::string names = joinWithBlanks(nameItems);
    const std::string seqs = joinWithBlanks(c.sequences);
    std::size_t longest = 0;
    for (const auto& s : c.sequences)
        longest = std::max(longest, s.size());
    std::string messages(4096, ' ');
    std::string output(3 * static_cast<std::size_t>(std::max(count, 0)) * longest + 1, ' ');
    std::vector<int32_t> order(static_cast<std::size_t>(std::max(count, 1)), -7);

    Outcome o;
    o.result = mapMainDll(names.c_str(), static_cast<int32_t>(names.size()), seqs.c_str(),
                          static_cast<int32_t>(seqs.size()), count, c.minLength, c.mismatch, c.match, c.gapOpen,
                          c.gapExtend, c.useMatrix, c.alphabet.c_str(), static_cast<int32_t>(c.alphabet.size()),
                          c.matrix.data(), messages.data(), output.data(), order.data());
    o.messages = messages.c_str();
    o.output = output.c_str();
    o.rows = splitRows(o.output);
    o.order = order;
    return o;
}

std::string withoutGaps(std::string s)
{
    s.erase(std::remove(s.begin(), s.end(), '-'), s.end());
    return s;
}

// Every row has the alignment's length and, without its gaps, is the input
// sequence that the order array names; the order is a permutation.
void expectWellFormed(const Call& c, const Outcome& o)
{
    ASSERT_EQ(o.result, 1) << o.messages;
    ASSERT_EQ(o.rows.size(), c.sequences.size());
    std::vector<int32_t> sorted(o.order.begin(), o.order.begin() + static_cast<long>(c.sequences.size()));
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t k = 0; k < sorted.size(); ++k)
        EXPECT_EQ(sorted[k], static_cast<int32_t>(k));
    for (std::size_t k = 0; k < o.rows.size(); ++k) {
        EXPECT_EQ(o.rows[k].size(), o.rows[0].size());
        EXPECT_EQ(withoutGaps(o.rows[k]), c.sequences[static_cast<std::size_t>(o.order[k])]);
    }
}

TEST(MapMainDll, ArgumentChecksComeInOrderWithTheirMessages)
{
    struct Case {
        Call call;
        std::string message;
    };
    Call openBad;
    openBad.sequences = {"ACGT", "ACGT"};
    openBad.gapOpen = -1;
    openBad.minLength = 0;
    Call extendBad = openBad;
    extendBad.gapOpen = 10;
    extendBad.gapExtend = -2;
    Call minBad = extendBad;
    minBad.gapExtend = 4;
    minBad.mismatch = 0;
    Call mismatchBad = minBad;
    mismatchBad.minLength = 3;
    Call countBad = mismatchBad;
    countBad.mismatch = -5;
    countBad.count = 0;
    Call negativeCount = countBad;
    negativeCount.count = -3;
    Call itemsBad = countBad;
    itemsBad.count = 3;
    Call highBad = countBad;
    highBad.count.reset();
    highBad.sequences = {"AC\xc3\xa9GT", "ACGT"};
    Call matrixBad = highBad;
    matrixBad.sequences = {"ACGT", "ACGT"};
    matrixBad.useMatrix = 1;
    matrixBad.alphabet = "";

    const Case cases[] = {
        {openBad, "The gap-open penalty or gap-extend penalty is a nonnegative integer\n\n"},
        {extendBad, "The gap-open penalty or gap-extend penalty is a nonnegative integer\n\n"},
        {minBad, "The minimum length for constant-cost insertion is a positive integer\n"},
        {mismatchBad, "The mismatch weight is a negative integer\n"},
        {countBad, "The number of sequences is a positive integer\n"},
        {negativeCount, "The number of sequences is a positive integer\n"},
        {itemsBad, "The names and sequences texts do not hold one item per sequence\n"},
        {highBad, "The sequences and the matrix alphabet must be 7-bit characters\n"},
        {matrixBad, "The substitution matrix is empty or shorter than its alphabet\n"},
    };
    for (const auto& c : cases) {
        const Outcome o = run(c.call);
        EXPECT_EQ(o.result, 0) << c.message;
        EXPECT_EQ(o.messages, c.message);
    }
}

TEST(MapMainDll, RowSeparatorOrGapInsideASequenceIsRefusedBeforeAnyWork)
{
    const std::string message = "The sequences must not hold \";\" (it ends each output row) or \"-\" (the gap)\n";
    struct Case {
        const char* name;
        std::vector<std::string> sequences;
        int32_t useMatrix;
    };
    const Case cases[] = {
        {"separators and gaps together", {"AC--GT;;", "ACGT"}, 0},
        {"a separator in the middle", {"ACGT", "AC;GT", "ACGA"}, 0},
        {"a gap at the start", {"-ACGT", "ACGT"}, 0},
        {"a gap at the end of the last sequence", {"ACGT", "ACGT-"}, 0},
        {"a sequence of one separator", {";", "ACGT"}, 0},
        {"with a matrix", {"AC-GT", "ACGT"}, 1},
    };
    for (const auto& c : cases) {
        Call call;
        call.sequences = c.sequences;
        call.useMatrix = c.useMatrix;
        if (c.useMatrix != 0) {
            call.alphabet = "ACGT-";
            call.matrix.assign(15, 1);
        }
        const Outcome o = run(call);
        EXPECT_EQ(o.result, 0) << c.name;
        EXPECT_EQ(o.messages, message) << c.name;
        // Nothing was written: the output keeps the caller's blanks and the
        // order its filler.
        EXPECT_EQ(o.output.find_first_not_of(' '), std::string::npos) << c.name;
        EXPECT_EQ(o.order[0], -7) << c.name;
    }
    // The same letters without the two characters align.
    Call clean;
    clean.sequences = {"ACGT", "ACGT"};
    EXPECT_EQ(run(clean).result, 1);
}

TEST(MapMainDll, ProgressWindowOpensAndClosesEvenWhenTheFirstCheckFails)
{
    std::vector<std::string> events;
    tallowin_set_progress_factory(
        [](void* user) -> tallowin::EngineProgress* {
            return new tallowin::RecordingProgress(*static_cast<std::vector<std::string>*>(user));
        },
        &events);
    Call bad;
    bad.sequences = {"ACGT", "ACGT"};
    bad.gapOpen = -1;
    EXPECT_EQ(run(bad).result, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"open", "caption Multiple Alignment", "text Running...\n", "close"}));

    events.clear();
    Call good;
    good.sequences = {"ACGT", "ACGA", "TCGA"};
    EXPECT_EQ(run(good).result, 1);
    const std::vector<std::string> expected{
        "open", "caption Multiple Alignment", "text Running...\n", "text Pairwise alignment", "range 0 3",
        "position 0", "position 1", "position 2", "position 0", "text Multiple alignment", "range 0 3",
        "position 0", "position 1", "position 2", "text Format output", "close"};
    EXPECT_EQ(events, expected);
    tallowin_set_progress_factory(nullptr, nullptr);
}

TEST(MapMainDll, IdenticalSequencesGiveIdenticalRowsWithoutGaps)
{
    Call c;
    c.sequences = {"ACGTTGCAAGT", "ACGTTGCAAGT"};
    const Outcome o = run(c);
    expectWellFormed(c, o);
    EXPECT_EQ(o.output, "ACGTTGCAAGT;ACGTTGCAAGT;");
}

TEST(MapMainDll, SingleSequenceComesBackAsItsOwnRow)
{
    Call c;
    c.sequences = {"SEQ"};
    const Outcome o = run(c);
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.output, "SEQ;");
    EXPECT_EQ(o.order[0], 0);
}

TEST(MapMainDll, LongExtraStretchBecomesOneGapRunAtConstantCost)
{
    Call c;
    const std::string left = "ACGTTGCAAGTCCGATGCAT", right = "GGATCCTTAGCAATGCGTAC";
    c.sequences = {left + right, left + std::string(50, 'C') + right};
    const Outcome o = run(c);
    expectWellFormed(c, o);
    const std::string& shortRow = o.order[0] == 0 ? o.rows[0] : o.rows[1];
    EXPECT_EQ(shortRow, left + std::string(50, '-') + right);
}

TEST(MapMainDll, EndGapsAreWrittenAsDashes)
{
    Call c;
    c.sequences = {"GGGGACGTACGTAC", "ACGTACGTACTTTT"};
    const Outcome o = run(c);
    expectWellFormed(c, o);
    const std::string& first = o.order[0] == 0 ? o.rows[0] : o.rows[1];
    const std::string& second = o.order[0] == 0 ? o.rows[1] : o.rows[0];
    EXPECT_EQ(first, "GGGGACGTACGTAC----");
    EXPECT_EQ(second, "----ACGTACGTACTTTT");
}

TEST(MapMainDll, MatrixScoresTakeTheAlphabetOrder)
{
    Call c;
    c.sequences = {"ACGTAC", "ACGTAC", "ACGAAC"};
    c.useMatrix = 1;
    c.mismatch = 0; // not used with a matrix
    c.alphabet = "ACGT";
    c.matrix = {5, -4, 5, -4, -4, 5, -4, -4, -4, 5};
    const Outcome o = run(c);
    expectWellFormed(c, o);
    EXPECT_EQ(o.rows[0].size(), 6u);
}

TEST(MapMainDll, UnrelatedSequencesThatNeedMoreThanTheCallersBufferFailCleanly)
{
    Call c;
    c.sequences = {std::string(100, 'A'), std::string(100, 'C'), std::string(100, 'G'), std::string(100, 'T')};
    const Outcome o = run(c);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.messages, "The output buffer is too small for the alignment\n");

    // With its real size the sized form gives the whole end-to-end alignment.
    const std::string names = "\x01" "0 \x01" "1 \x01" "2 \x01" "3";
    const std::string seqs = joinWithBlanks(c.sequences);
    std::string output(2000, '#'), messages(64, '#');
    std::vector<int32_t> order(4, -1);
    int32_t needed = 0;
    EXPECT_EQ(mapMainDll_sized(names.c_str(), static_cast<int32_t>(names.size()), seqs.c_str(),
                               static_cast<int32_t>(seqs.size()), 4, 10, -5, 10, 10, 4, 0, "", 0, nullptr, 0,
                               messages.data(), 64, output.data(), 1605, order.data(), 4, &needed),
              1);
    EXPECT_EQ(needed, 1605);
    EXPECT_EQ(output[1604], '\0');
    EXPECT_EQ(output[1605], '#');
    const auto rows = splitRows(output.c_str());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].size(), 400u);
}

TEST(MapMainDll, SizedFormNeverWritesPastItsBuffers)
{
    const std::string names = "a b c";
    const std::string seqs = "ACGTACGGT ACGTTCGGT ACCTACGT";
    for (int32_t cap : {0, 1, 5, 29, 30, 31}) {
        std::string output(40, '#'), messages(40, '#');
        std::vector<int32_t> order(5, -9);
        int32_t needed = -1;
        const int32_t r = mapMainDll_sized(names.c_str(), 5, seqs.c_str(), static_cast<int32_t>(seqs.size()), 3, 10,
                                           -5, 10, 10, 4, 0, "", 0, nullptr, 0, messages.data(), 10, output.data(),
                                           cap, order.data(), 3, &needed);
        EXPECT_EQ(needed, 31);
        EXPECT_EQ(r, cap >= 31 ? 1 : 0) << cap;
        for (std::size_t k = static_cast<std::size_t>(cap); k < output.size(); ++k)
            ASSERT_EQ(output[k], '#') << "cap " << cap << " byte " << k;
        for (std::size_t k = 10; k < messages.size(); ++k)
            ASSERT_EQ(messages[k], '#');
        EXPECT_NE(messages.find('\0'), std::string::npos);
        EXPECT_EQ(order[3], -9);
    }
    // Too small an order array or matrix is refused, not overrun.
    std::string output(64, '#'), messages(200, '#');
    int32_t order[2] = {-9, -9};
    EXPECT_EQ(mapMainDll_sized(names.c_str(), 5, seqs.c_str(), static_cast<int32_t>(seqs.size()), 3, 10, -5, 10, 10,
                               4, 0, "", 0, nullptr, 0, messages.data(), 200, output.data(), 64, order, 2, nullptr),
              0);
    EXPECT_STREQ(messages.c_str(), "The order array is too small for the number of sequences\n");
    const int32_t tri[3] = {1, 0, 1};
    EXPECT_EQ(mapMainDll_sized(names.c_str(), 5, seqs.c_str(), static_cast<int32_t>(seqs.size()), 3, 10, -5, 10, 10,
                               4, 1, "ACGT", 4, tri, 3, messages.data(), 200, output.data(), 64, order, 2, nullptr),
              0);
    EXPECT_STREQ(messages.c_str(), "The substitution matrix is empty or shorter than its alphabet\n");
}

TEST(MapMainDll, TextsAreOnlyReadUpToTheirLengths)
{
    // The lengths cut the texts: only "ACGT ACGA" of the sequences counts.
    const std::string names = "a b c";
    const std::string seqs = "ACGT ACGA TTTT";
    std::string output(64, ' '), messages(64, ' ');
    int32_t order[3] = {-1, -1, -1};
    EXPECT_EQ(mapMainDll(names.c_str(), 3, seqs.c_str(), 9, 2, 10, -5, 10, 10, 4, 0, "", 0, nullptr, messages.data(),
                         output.data(), order),
              1);
    EXPECT_STREQ(output.c_str(), "ACGT;ACGA;");
    EXPECT_EQ(order[2], -1);
}

TEST(MapMainDll, RepeatedCallsGiveIdenticalResultsWhateverRanBefore)
{
    std::mt19937 rng(3);
    Call good;
    std::string base(120, 'A');
    for (auto& ch : base)
        ch = "ACGT"[rng() % 4];
    for (int k = 0; k < 6; ++k) {
        std::string s = base;
        for (int m = 0; m < 12; ++m)
            s[rng() % s.size()] = "ACGT"[rng() % 4];
        s.erase(rng() % s.size(), rng() % 5);
        good.sequences.push_back(s);
    }
    Call bad = good;
    bad.minLength = 0;

    const Outcome first = run(good);
    expectWellFormed(good, first);
    EXPECT_EQ(run(bad).result, 0);
    Call other = good;
    other.sequences = {"TTTTGGGG", "TTTTCCCC"};
    EXPECT_EQ(run(other).result, 1);
    const Outcome again = run(good);
    EXPECT_EQ(again.output, first.output);
    EXPECT_EQ(again.order, first.order);
    EXPECT_EQ(again.messages, first.messages);
}

TEST(MapMainDll, RandomRelatedSetsAlignWellFormed)
{
    std::mt19937 rng(99);
    for (int trial = 0; trial < 20; ++trial) {
        Call c;
        c.minLength = 1 + static_cast<int32_t>(rng() % 12);
        c.gapOpen = static_cast<int32_t>(rng() % 15);
        c.gapExtend = static_cast<int32_t>(rng() % 5);
        std::string base(20 + rng() % 80, 'A');
        for (auto& ch : base)
            ch = "ACGT"[rng() % 4];
        const int n = 2 + static_cast<int>(rng() % 7);
        for (int k = 0; k < n; ++k) {
            std::string s = base;
            for (int m = 0; m < 8; ++m)
                s[rng() % s.size()] = "ACGTacgtN"[rng() % 9];
            if (rng() % 2)
                s.insert(rng() % s.size(), std::string(1 + rng() % 25, 'G'));
            if (rng() % 2)
                s.erase(rng() % s.size(), 1 + rng() % 6);
            c.sequences.push_back(s.empty() ? "A" : s);
        }
        const Outcome o = run(c);
        if (o.result == 0) {
            // Only the caller-sized output buffer may be too small.
            EXPECT_EQ(o.messages, "The output buffer is too small for the alignment\n");
            continue;
        }
        expectWellFormed(c, o);
    }
}

} // namespace
