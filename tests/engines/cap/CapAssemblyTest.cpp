#include "engines/cap/Assembler.h"

#include "tests/engines/cap/CapTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace captest;
using tallowin::cap::Assembly;
using tallowin::cap::Parameters;

namespace {

Assembly run(const FragmentTexts& t, const Parameters& p = typicalParameters())
{
    tallowin::NullProgress progress;
    return tallowin::cap::assemble(t.sequences, t.names, t.count, p, progress);
}

// The report lines that carry a row label (not "Contig", not "consensus").
std::vector<std::string> rowLines(const std::string& report)
{
    std::vector<std::string> out;
    std::size_t begin = 0;
    while (begin < report.size()) {
        std::size_t end = report.find('\n', begin);
        if (end == std::string::npos)
            end = report.size();
        const std::string line = report.substr(begin, end - begin);
        if (!line.empty() && line.rfind("Contig ", 0) != 0 && line.rfind("consensus", 0) != 0)
            out.push_back(line);
        begin = end + 1;
    }
    return out;
}

const std::string Source70 = "GCUAAAGACAAUUACAUAACAUACACGUCAGCACGAAACUUGUUGGCCCAGUGUGAAUCGCUUAAGGGUU";

} // namespace

struct ConsensusCase {
    const char* name;
    const char* column;
    char expected;
};

TEST(CapConsensus, ColumnRuleMatchesTheMajorityWithFixedTieOrder)
{
    const ConsensusCase cases[] = {
        {"A and C tie to A", "AC", 'A'},
        {"two U beat one A", "AUU", 'U'},
        {"all four once is N", "ACGU", 'N'},
        {"gaps outnumbering residues", "A--", '-'},
        {"one gap against one residue", "A-", 'A'},
        {"G and U tie to G", "GGUU", 'G'},
        {"C and G tie to C", "CCGG", 'C'},
        {"only unknown letters", "NN", 'N'},
        {"T is the same base as U", "TTA", 'U'},
        {"T and U count together", "TUAA", 'A'},
        {"T and U together outvote A", "TUA", 'U'},
        {"unknown letters count as residues against gaps", "NN-A-", 'A'},
        {"blanks are not counted", "  A  ", 'A'},
        {"a clear G", "AGGCG", 'G'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tallowin::cap::consensusOf(c.column), c.expected) << c.name;
}

TEST(CapAssembly, TwoFragmentsSharingFortyLettersGiveTheMergedSequence)
{
    std::mt19937 rng(11);
    const std::string source = randomRna(rng, 160);
    FragmentTexts t;
    t.add("first", source.substr(0, 100));
    t.add("second", source.substr(60)); // starts with the last 40 letters of the first
    const Assembly a = run(t);
    ASSERT_TRUE(a.ok) << a.messages;
    EXPECT_EQ(a.contigCount, 1);
    EXPECT_EQ(a.consensus, ";" + source);
    EXPECT_NE(a.report.find("Contig 1\n"), std::string::npos);
    EXPECT_EQ(a.messages, "");
}

TEST(CapAssembly, ReportLayoutIsExactForASmallCase)
{
    FragmentTexts t;
    t.add("one", Source70.substr(0, 50));
    t.add("two", Source70.substr(30));
    Parameters p = typicalParameters();
    p.minOverlap = 15;
    const Assembly a = run(t, p);
    ASSERT_TRUE(a.ok) << a.messages;
    const std::string expected =
        "\n"
        "Contig 1\n"
        "one+        GCUAAAGACAAUUACAUAACAUACACGUCAGCACGAAACUUGUUGGCCCA          \n"
        "two+                                      GCACGAAACUUGUUGGCCCAGUGUGAAUCG\n"
        "consensus   GCUAAAGACAAUUACAUAACAUACACGUCAGCACGAAACUUGUUGGCCCAGUGUGAAUCG\n"
        "\n"
        "two+        CUUAAGGGUU\n"
        "consensus   CUUAAGGGUU\n"
        "\n";
    EXPECT_EQ(a.report, expected);
    EXPECT_EQ(a.consensus, ";" + Source70);
}

TEST(CapAssembly, ReverseComplementFragmentJoinsReversed)
{
    std::mt19937 rng(12);
    const std::string source = randomRna(rng, 150);
    FragmentTexts t;
    t.add("fwd", source.substr(0, 90));
    t.add("rev", reverseComplement(source.substr(50)));
    const Assembly a = run(t);
    ASSERT_TRUE(a.ok) << a.messages;
    EXPECT_EQ(a.contigCount, 1);
    EXPECT_EQ(a.consensus, ";" + source);
    const auto lines = rowLines(a.report);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().substr(0, 4), "fwd+");
    EXPECT_NE(std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("rev-", 0) == 0; }),
              lines.end());
}

TEST(CapAssembly, ContainedFragmentLiesUnderItsContainer)
{
    std::mt19937 rng(13);
    const std::string source = randomRna(rng, 200);
    FragmentTexts t;
    t.add("inner", source.substr(40, 60));
    t.add("outer", source.substr(0, 130));
    t.add("right", source.substr(100));
    const Assembly a = run(t);
    ASSERT_TRUE(a.ok) << a.messages;
    EXPECT_EQ(a.contigCount, 1);
    EXPECT_EQ(a.consensus, ";" + source);
    const auto lines = rowLines(a.report);
    // The contained fragment's row starts 40 columns in, under its container.
    const auto inner = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("inner+", 0) == 0; });
    ASSERT_NE(inner, lines.end());
    EXPECT_EQ(inner->substr(12, 40), std::string(40, ' '));
    EXPECT_EQ(inner->substr(52, 20), source.substr(40, 20));
}

TEST(CapAssembly, UnrelatedFragmentsStaySeparateContigs)
{
    std::mt19937 rng(14);
    const std::string a1 = randomRna(rng, 120);
    const std::string b1 = randomRna(rng, 90);
    const std::string c1 = randomRna(rng, 200);
    FragmentTexts t;
    t.add("b", b1);
    t.add("c1", c1.substr(0, 130));
    t.add("a", a1);
    t.add("c2", c1.substr(80));
    const Assembly a = run(t);
    ASSERT_TRUE(a.ok) << a.messages;
    EXPECT_EQ(a.contigCount, 3);
    // Contigs come in the order of their lowest fragment number.
    EXPECT_EQ(a.consensus, ";" + b1 + ";" + c1 + ";" + a1);
}

TEST(CapAssembly, LowerCaseInputIsFolded)
{
    std::mt19937 rng(15);
    const std::string source = randomRna(rng, 150);
    FragmentTexts upper;
    upper.add("x", source.substr(0, 100));
    upper.add("y", reverseComplement(source.substr(50)));
    FragmentTexts lower = upper;
    std::transform(lower.sequences.begin(), lower.sequences.end(), lower.sequences.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    const Assembly a = run(upper);
    const Assembly b = run(lower);
    ASSERT_TRUE(a.ok);
    ASSERT_TRUE(b.ok);
    EXPECT_EQ(a.consensus, b.consensus);
    EXPECT_EQ(a.report, b.report);
}

namespace {

// The sequences of `t` rewritten: U as T, and every third fragment in lower
// case when `mixCase` is set.
FragmentTexts inDnaLetters(const FragmentTexts& t, bool mixCase)
{
    FragmentTexts out = t;
    int fragment = 0;
    for (char& c : out.sequences) {
        if (c == ' ') {
            ++fragment;
            continue;
        }
        if (c == 'U')
            c = 'T';
        if (mixCase && fragment % 3 == 1)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

} // namespace

TEST(CapAssembly, ReadsInDnaLettersGiveTheSameContigsAsInRnaLetters)
{
    // Reads of both strands with a few errors, and an unrelated read: the
    // reverse complement of a DNA read must pair A with T as with U.
    std::mt19937 rng(16);
    const std::string source = randomRna(rng, 1500);
    FragmentTexts rna;
    for (int start = 0, k = 0; start + 300 <= 1500; start += 120, ++k) {
        std::string read = source.substr(static_cast<std::size_t>(start), 300);
        if (k % 2 == 1)
            read[150] = otherLetter(rng, read[150]);
        rna.add("r" + std::to_string(k), k % 2 == 0 ? read : reverseComplement(read));
    }
    rna.add("lone", randomRna(rng, 200));

    const Assembly expected = run(rna);
    ASSERT_TRUE(expected.ok) << expected.messages;
    ASSERT_EQ(expected.contigCount, 2);
    EXPECT_EQ(expected.consensus.substr(0, source.size() + 1), ";" + source);

    struct Case {
        const char* name;
        FragmentTexts texts;
    };
    const Case cases[] = {{"T for U", inDnaLetters(rna, false)}, {"T for U, some reads in lower case", inDnaLetters(rna, true)}};
    for (const Case& c : cases) {
        const Assembly a = run(c.texts);
        ASSERT_TRUE(a.ok) << c.name;
        EXPECT_EQ(a.contigCount, expected.contigCount) << c.name;
        EXPECT_EQ(a.consensus, expected.consensus) << c.name;
        EXPECT_EQ(a.report, expected.report) << c.name;
    }

    // A lone DNA read shows its T as U in its row and consensus.
    FragmentTexts t;
    t.add("dna", "TTtACGu");
    const Assembly d = run(t);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.consensus, ";UUUACGU");
    EXPECT_NE(d.report.find("dna+        UUUACGU\n"), std::string::npos) << d.report;
}

// Cuts reads of `length` every `step` letters from a random source, both
// strands alternately, and checks that they reassemble into the source.
struct ReassemblyCase {
    const char* name;
    int sourceLength;
    int readLength;
    int step; // coverage is about readLength / step
    bool withErrors;
    unsigned seed;
};

class CapReassembly : public ::testing::TestWithParam<ReassemblyCase> {};

TEST_P(CapReassembly, ReadsCutFromASourceGiveBackTheSource)
{
    const ReassemblyCase& c = GetParam();
    std::mt19937 rng(c.seed);
    SCOPED_TRACE(::testing::Message() << "seed " << c.seed);
    const std::string source = randomRna(rng, static_cast<std::size_t>(c.sourceLength));
    std::vector<int> starts;
    for (int s = 0; s + c.readLength < c.sourceLength; s += c.step)
        starts.push_back(s);
    starts.push_back(c.sourceLength - c.readLength);

    // Errors: one substitution, insertion or deletion per read in its middle
    // third, never in the first or last read, at distinct source places, so
    // that every column keeps a clear majority.
    FragmentTexts t;
    std::vector<int> errorAt;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        std::string read = source.substr(static_cast<std::size_t>(starts[k]), static_cast<std::size_t>(c.readLength));
        if (c.withErrors && k > 0 && k + 1 < starts.size()) {
            const int third = c.readLength / 3;
            int pos = 0;
            do {
                pos = third + std::uniform_int_distribution<int>(0, third - 1)(rng);
            } while (std::find(errorAt.begin(), errorAt.end(), starts[k] + pos) != errorAt.end());
            errorAt.push_back(starts[k] + pos);
            switch (k % 3) {
            case 0:
                read[static_cast<std::size_t>(pos)] = otherLetter(rng, read[static_cast<std::size_t>(pos)]);
                break;
            case 1:
                read.insert(static_cast<std::size_t>(pos), 1, otherLetter(rng, read[static_cast<std::size_t>(pos)]));
                break;
            default:
                read.erase(static_cast<std::size_t>(pos), 1);
                break;
            }
        }
        t.add("r" + std::to_string(k), k % 2 == 0 ? read : reverseComplement(read));
    }
    const Assembly a = run(t);
    ASSERT_TRUE(a.ok) << a.messages;
    EXPECT_EQ(a.contigCount, 1);
    EXPECT_EQ(a.consensus, ";" + source);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CapReassembly,
    ::testing::Values(ReassemblyCase{"clean_coverage3", 1000, 150, 50, false, 101},
                      ReassemblyCase{"clean_coverage6", 2000, 300, 50, false, 102},
                      ReassemblyCase{"errors_coverage5", 2000, 250, 50, true, 103},
                      ReassemblyCase{"errors_coverage8", 3000, 400, 50, true, 104}),
    [](const ::testing::TestParamInfo<ReassemblyCase>& info) { return std::string(info.param.name); });

struct SecondPassCase {
    const char* name;
    int32_t minEndScore;
    int32_t contigs;
};

TEST(CapAssembly, SecondPassJoinsContigEndsScoringAboveTheEndScore)
{
    std::mt19937 rng(18);
    const std::string source = randomRna(rng, 300);
    // A proper overlap of 15 letters, below the minimum overlap of 20.
    FragmentTexts shortOverlap;
    shortOverlap.add("left", source.substr(0, 100));
    shortOverlap.add("right", source.substr(85, 100));
    // A fragment inside another with one letter in seven changed: identity
    // below 0.9, score 2 x 51 - 5 x 9 = 57.
    std::string inner = source.substr(50, 60);
    for (std::size_t k = 3; k + 1 < inner.size(); k += 7)
        inner[k] = otherLetter(rng, inner[k]);
    FragmentTexts contained;
    contained.add("inner", inner);
    contained.add("outer", source.substr(0, 200));

    const SecondPassCase cases[] = {
        {"short overlap, end score 20", 20, 1},
        {"short overlap, end score 200", 200, 2},
        {"weak containment, end score 40", 40, 1},
        {"weak containment, end score 100", 100, 2},
    };
    for (const auto& c : cases) {
        Parameters p = typicalParameters();
        p.minEndScore = c.minEndScore;
        const bool overlapCase = std::string(c.name).rfind("short", 0) == 0;
        const Assembly a = run(overlapCase ? shortOverlap : contained, p);
        ASSERT_TRUE(a.ok) << c.name;
        EXPECT_EQ(a.contigCount, c.contigs) << c.name;
        if (c.contigs == 1 && overlapCase) {
            EXPECT_EQ(a.consensus, ";" + source.substr(0, 185)) << c.name;
        } else if (c.contigs == 1) {
            // Under its container (a column of two disagreeing letters may
            // follow either, so only the length is the source's).
            EXPECT_EQ(a.consensus.size(), 201u) << c.name;
            EXPECT_NE(a.report.find("\ninner+      " + std::string(50, ' ') + inner.substr(0, 10)), std::string::npos)
                << c.name;
        }
    }
}

TEST(CapAssembly, SecondPassMovesAJoinedContigEndUnderItsContainerAndCarriesItsContig)
{
    // Source positions: z [0, 400), y [300, 800), x [350, 750), w [650, 1000).
    // x lies inside y but carries 51 changes in its middle, and y carries 17
    // changes in [700, 800), so neither x in y nor y against w reaches the
    // identity of 0.9: the first pass builds the contigs z-y and x-w. In the
    // second pass x, an end of x-w, lies inside y, an end of z-y; x overlaps
    // z (y's neighbour), and w overlaps y's free end, so x moves under y and
    // w joins y: one contig.
    std::mt19937 rng(19);
    const std::string source = randomRna(rng, 1000);
    std::string x = source.substr(350, 400);
    for (std::size_t k = 100; k < 300 && k < x.size(); k += 4)
        x[k] = otherLetter(rng, x[k]);
    x[298] = otherLetter(rng, x[298]);
    std::string y = source.substr(300, 500);
    for (std::size_t k = 400; k < 500; k += 6)
        y[k] = otherLetter(rng, y[k]);
    const std::string z = source.substr(0, 400);
    const std::string w = source.substr(650);

    FragmentTexts t;
    t.add("z", z);
    t.add("y", y);
    t.add("x", x);
    t.add("w", w);
    struct Case {
        const char* name;
        int32_t minEndScore;
        int32_t contigs;
    };
    // The x-z check scores 2 x 50 = 100: an end score of 100 refuses it.
    const Case cases[] = {{"end score 60", 60, 1}, {"end score 100", 100, 2}};
    for (const Case& c : cases) {
        Parameters p = typicalParameters();
        p.minEndScore = c.minEndScore;
        const Assembly a = run(t, p);
        ASSERT_TRUE(a.ok) << c.name;
        EXPECT_EQ(a.contigCount, c.contigs) << c.name;
        if (c.contigs == 1) {
            // All four rows in one contig spanning the source (columns where
            // two rows disagree may take either letter).
            EXPECT_EQ(a.consensus.size(), 1001u) << c.name;
            for (const char* label : {"\nz+", "\ny+", "\nx+", "\nw+"})
                EXPECT_NE(a.report.find(label), std::string::npos) << c.name << " " << label;
            EXPECT_EQ(a.consensus.substr(1, 300), source.substr(0, 300)) << c.name;
            EXPECT_EQ(a.consensus.substr(801), source.substr(800)) << c.name;
        }
    }
}

struct BadInputCase {
    const char* name;
    int32_t count;
    const char* sequences;
    const char* names;
    Parameters parameters;
    const char* message;
};

TEST(CapAssembly, TwoOverlappingReadsOfFortyThousandBasesAssemble)
{
#ifndef NDEBUG
    GTEST_SKIP() << "two 40,000 x 40,000 alignments take minutes without optimisation";
#endif
    // The pair has 1.6e9 cells: far too many for a byte of back pointers each.
    std::mt19937 rng(40000);
    const std::string genome = randomRna(rng, 70000);
    FragmentTexts t;
    t.add("long1", genome.substr(0, 40000));
    t.add("long2", reverseComplement(genome.substr(30000, 40000)));
    const Assembly a = run(t);
    ASSERT_TRUE(a.ok) << a.messages;
    EXPECT_EQ(a.contigCount, 1);
    EXPECT_EQ(a.consensus, ";" + genome);
    EXPECT_EQ(a.messages, "");
}

TEST(CapAssembly, BadInputFailsWithAMessageAndNoResult)
{
    auto with = [](auto change) {
        Parameters p = typicalParameters();
        change(p);
        return p;
    };
    const Parameters good = typicalParameters();
    const BadInputCase cases[] = {
        {"no fragments", 0, "ACGU", ">a", good, "The number of fragments is a positive integer\n"},
        {"negative count", -3, "ACGU", ">a", good, "The number of fragments is a positive integer\n"},
        {"fewer sequences", 2, "ACGU", ">a >b", good, "There are fewer sequences than fragments\n"},
        {"fewer names", 2, "ACGU ACGU", ">a", good, "There are fewer names than fragments\n"},
        {"empty texts", 1, "  ", "", good, "There are fewer sequences than fragments\n"},
        {"character above 127", 1, "AC\xC3\xA9GU", ">a", good, "Sequences hold single-byte ASCII characters only\n"},
        {"negative gap open", 1, "ACGU", ">a", with([](Parameters& p) { p.gapOpen = -1; }),
         "The gap-open and gap-extend penalties are nonnegative integers\n"},
        {"negative end gap extend", 1, "ACGU", ">a", with([](Parameters& p) { p.endGapExtend = -1; }),
         "The gap-open and gap-extend penalties are nonnegative integers\n"},
        {"identity above 1", 1, "ACGU", ">a", with([](Parameters& p) { p.minIdentity = 1.5f; }),
         "The minimum identity is a fraction from 0 to 1\n"},
        {"identity not a number", 1, "ACGU", ">a",
         with([](Parameters& p) { p.minIdentity = std::numeric_limits<float>::quiet_NaN(); }),
         "The minimum identity is a fraction from 0 to 1\n"},
        {"negative filter rate", 1, "ACGU", ">a", with([](Parameters& p) { p.filterRate = -1.0f; }),
         "The filter rate is a nonnegative number\n"},
        {"infinite filter rate", 1, "ACGU", ">a",
         with([](Parameters& p) { p.filterRate = std::numeric_limits<float>::infinity(); }),
         "The filter rate is a nonnegative number\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> events;
        tallowin::RecordingProgress progress(events);
        const Assembly a = tallowin::cap::assemble(c.sequences, c.names, c.count, c.parameters, progress);
        EXPECT_FALSE(a.ok) << c.name;
        EXPECT_EQ(a.contigCount, 0) << c.name;
        EXPECT_EQ(a.report, "") << c.name;
        EXPECT_EQ(a.consensus, "") << c.name;
        EXPECT_EQ(a.messages, c.message) << c.name;
        // The window still opens with its caption and closes.
        ASSERT_GE(events.size(), 3u) << c.name;
        EXPECT_EQ(events[1], "caption Contig assembly") << c.name;
        EXPECT_EQ(events.back(), "close") << c.name;
    }
}

TEST(CapAssembly, EveryFailedAllocationIsReportedAndLeavesNoResult)
{
    std::mt19937 rng(16);
    const std::string source = randomRna(rng, 300);
    FragmentTexts t;
    t.add("a", source.substr(0, 150));
    t.add("b", reverseComplement(source.substr(100, 150)));
    t.add("c", source.substr(120, 40));
    t.add("d", randomRna(rng, 80));
    const Parameters p = typicalParameters();

    tallowin::NullProgress progress;
    const Assembly clean = tallowin::cap::assemble(t.sequences, t.names, t.count, p, progress);
    ASSERT_TRUE(clean.ok);

    // Fail the first, second, ... checked allocation until a run gets through.
    int failures = 0;
    for (int n = 1; n < 10000; ++n) {
        tallowin::EngineContext context;
        context.failAllocationNumber(n);
        std::vector<std::string> events;
        tallowin::RecordingProgress recording(events);
        const Assembly a = tallowin::cap::assemble(t.sequences, t.names, t.count, p, recording, context);
        if (a.ok) {
            EXPECT_EQ(a.consensus, clean.consensus);
            EXPECT_EQ(a.report, clean.report);
            break;
        }
        ++failures;
        EXPECT_EQ(a.messages, "Memory allocation failed.\n") << "allocation " << n;
        EXPECT_EQ(a.contigCount, 0);
        EXPECT_EQ(a.report, "");
        EXPECT_EQ(a.consensus, "");
        EXPECT_EQ(events.back(), "close");
    }
    EXPECT_GT(failures, 4);
}

TEST(CapAssembly, RepeatedCallsGiveIdenticalOutput)
{
    std::mt19937 rng(17);
    const std::string source = randomRna(rng, 1200);
    FragmentTexts t;
    for (int s = 0; s + 200 <= 1200; s += 70)
        t.add("f" + std::to_string(s), s % 140 == 0 ? source.substr(static_cast<std::size_t>(s), 200)
                                                      : reverseComplement(source.substr(static_cast<std::size_t>(s), 200)));
    t.add("lone", randomRna(rng, 100));
    const Assembly first = run(t);
    FragmentTexts bad;
    bad.add("x", "ACGU");
    (void)run(bad, [] {
        Parameters p = typicalParameters();
        p.gapOpen = -4;
        return p;
    }());
    const Assembly second = run(t);
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.report, second.report);
    EXPECT_EQ(first.consensus, second.consensus);
    EXPECT_EQ(first.contigCount, second.contigCount);
    EXPECT_EQ(first.contigCount, 2);
}

TEST(CapAssembly, ProgressShowsTheStagesInOrder)
{
    FragmentTexts t;
    t.add("one", Source70.substr(0, 50));
    t.add("two", Source70.substr(30));
    t.add("three", "ACGUACGUAC");
    std::vector<std::string> events;
    tallowin::RecordingProgress progress(events);
    Parameters p = typicalParameters();
    p.minOverlap = 15;
    const Assembly a = tallowin::cap::assemble(t.sequences, t.names, t.count, p, progress);
    ASSERT_TRUE(a.ok);

    std::vector<std::string> texts;
    for (const auto& e : events) {
        if (e.rfind("text ", 0) == 0)
            texts.push_back(e.substr(5));
    }
    const std::vector<std::string> expected = {"Running...\n",
                                               "Recoding sequences...\n",
                                               "Set match and mismatch weights...\n",
                                               "Pairwise alignment...",
                                               "Assemble contigs...",
                                               "Formatting output...\n"};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(events[0], "open");
    EXPECT_EQ(events[1], "caption Contig assembly");
    EXPECT_EQ(events.back(), "close");
    // The overlap bar runs over all 3 x 2 trials and reaches its end.
    const auto range = std::find(events.begin(), events.end(), "range 0 6");
    ASSERT_NE(range, events.end());
    EXPECT_EQ(*(range + 6), "position 6");
}
