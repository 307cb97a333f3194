#include "engines/dnaml/DnamlInput.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

using namespace tallowin::dnaml;

namespace {

struct ReadOutcome {
    bool ok;
    InputData data;
    std::string log;
};

ReadOutcome readText(const std::string& text)
{
    ReadOutcome out{};
    TextCursor in(text);
    Log log;
    out.ok = readInput(in, out.data, log);
    out.log = log.text();
    return out;
}

const std::string kSeqs = "Alpha     ACGTACGTAA\n"
                          "Beta      ACGTACGTCC\n"
                          "Chi       ACGAACGTGG\n"
                          "Delta     ACGAACCTTT\n";

} // namespace

struct OptionCase {
    const char* name;
    std::string header; // first line and auxiliary lines
    bool ok;
    std::string logHas;
};

class DnamlOptions : public testing::TestWithParam<OptionCase> {};

TEST_P(DnamlOptions, HeaderIsReadOrRefusedWithItsMessage)
{
    const OptionCase& c = GetParam();
    const ReadOutcome r = readText(c.header + kSeqs);
    EXPECT_EQ(r.ok, c.ok) << r.log;
    EXPECT_NE(r.log.find(c.logHas), std::string::npos) << "log was: " << r.log;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DnamlOptions,
    testing::Values(
        OptionCase{"BadOption", "4 10 Z\n", false, "Bad option character: 'Z'\n"},
        OptionCase{"RestartWithUser", "4 10 RU\n", false,
                   " The restart and user-tree options conflict:\n        Restart adds rest of taxa to a starting "
                   "tree;\n        User-tree does not add any taxa.\n\n"},
        OptionCase{"LengthsWithRestart", "4 10 LR\n", false, " The restart and user-tree options conflict:\n"},
        OptionCase{"JumbleWithUser", "4 10 JU\nJ 7\n", true,
                   "Warning:  The jumble and user-tree options conflict:\n          Jumble adds taxa to a tree in "
                   "random order;\n          User-tree does not use taxa addition.\n          Jumble option "
                   "cancelled for this run.\n\n"},
        OptionCase{"GlobalWithLengths", "4 10 GL\n", false,
                   " The global and user-lengths options conflict:\n        Global optimizes a starting tree;\n     "
                   "   User-lengths constrain the starting tree.\n\n"},
        OptionCase{"LengthsWithoutUser", "4 10 L\n", true,
                   "Warning:  User lengths required user tree option.\n          User-tree option set for this "
                   "run.\n\n"},
        OptionCase{"RatioLineMissing", "4 10 T\n", false,
                   "Transition/transversion auxiliary data missing from input\n"},
        OptionCase{"OutgroupLineMissing", "4 10 O\n", false, "Outgroup auxiliary data missing from input\n"},
        OptionCase{"BadOutgroup", "4 10 O\nO 5\n", false, "Bad outgroup: '5'\n"},
        OptionCase{"SecondOutgroupLine", "4 10 OT\nO 2\nO 3\nT 3\n", false,
                   "Unexpected Outgroup auxiliary data line\n"},
        OptionCase{"RatioLineWithoutOption", "4 10 O\nT 3.0\nO 2\n", false,
                   "Unexpected Transition/transversion auxiliary data\n"},
        OptionCase{"JumbleLineWithoutOption", "4 10 O\nJ 3\nO 2\n", false,
                   "Unexpected Jumble auxiliary data line\n"},
        OptionCase{"GlobalLineWithoutOption", "4 10 T\nG 1\nT 2\n", false,
                   "Unexpected Global auxiliary data line\n"},
        OptionCase{"KeepOfOne", "4 10 K\nK 1\n", false, "inputkeep has gone wrong.\n"},
        OptionCase{"JumbleSeedZero", "4 10 J\nJ 0\n", true, "Warning: Jumble random number seed is zero\n\n"},
        OptionCase{"GlobalTooSmall", "4 10 G\nG 0\n", true,
                   "Warning: Global region size too small;\n         value reset to local\n\n"},
        OptionCase{"BadInsertSize", "4 10 G\nG 1 x\n", false, "ERROR: Problem reading insert swap region size\n"},
        OptionCase{"TwoSpecies", "2 10\n", false, "Number of species must be from 3"},
        OptionCase{"NoSites", "4 0\n", false, "Number of sites must be from 1"},
        OptionCase{"ZeroFrequency", "4 10 F\n0.3 0.0 0.4 0.3\n", false,
                   "Base frequency of C must be greater than zero\n"}),
    [](const testing::TestParamInfo<OptionCase>& info) { return std::string(info.param.name); });

TEST(DnamlOptions, TextEndingInsideTheOptionLineIsRefused)
{
    const ReadOutcome r = readText("4 10 U");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.log, "End-of-file in options list\n");
}

TEST(DnamlOptions, LowerCaseLettersReadAsOptions)
{
    const ReadOutcome r = readText("4 10 ut\nt 3.5\n" + kSeqs);
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_TRUE(r.data.options.userTrees);
    EXPECT_TRUE(r.data.options.ratioGiven);
    EXPECT_DOUBLE_EQ(r.data.options.ratio, 3.5);
}

TEST(DnamlOptions, AuxiliaryLinesComeInAnyOrderAndOthersAreSkipped)
{
    const ReadOutcome r = readText("4 10 GTOJK\nT 1.5\nnot an auxiliary line\nK 4\nO 3\nG 1 0\nJ 99\n" + kSeqs);
    ASSERT_TRUE(r.ok) << r.log;
    const Options& o = r.data.options;
    EXPECT_DOUBLE_EQ(o.ratio, 1.5);
    EXPECT_EQ(o.keep, 4);
    EXPECT_EQ(o.outgroup, 3);
    EXPECT_EQ(o.jumbleSeed, 99);
    EXPECT_EQ(o.globalRegion, 1);
    EXPECT_EQ(o.insertRegion, 0);
    EXPECT_EQ(r.data.names[0], "Alpha     ");
}

TEST(DnamlOptions, GlobalLineMayFollowTheOthersOrBeLeftOut)
{
    const ReadOutcome after = readText("4 10 GT\nT 2\nG 1\n" + kSeqs);
    ASSERT_TRUE(after.ok) << after.log;
    EXPECT_EQ(after.data.options.globalRegion, 1);
    // Without a G line the region is the whole tree, and a first species
    // whose name begins with G is not taken for one.
    const ReadOutcome none = readText("4 10 G\nGorilla   ACGTACGTAA\nBeta      ACGTACGTCC\n"
                                      "Chi       ACGAACGTGG\nDelta     ACGAACCTTT\n");
    ASSERT_TRUE(none.ok) << none.log;
    EXPECT_EQ(none.data.names[0], "Gorilla   ");
    EXPECT_EQ(none.data.options.globalRegion, 1);
}

TEST(DnamlOptions, JumbleWithUserTreesRunsWithoutJumble)
{
    const ReadOutcome r = readText("4 10 JU\nJ 7\n" + kSeqs);
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.data.options.jumble);
    EXPECT_TRUE(r.data.options.userTrees);
}

TEST(DnamlOptions, ToggleOptionsFlipTwice)
{
    const ReadOutcome r = readText("4 10 44 F\n0.1 0.2 0.3 0.4\n" + kSeqs);
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_TRUE(r.data.options.writeTrees);
    EXPECT_FALSE(r.data.options.empiricalFreqs);
    EXPECT_DOUBLE_EQ(r.data.freqs[3], 0.4);
    const ReadOutcome ratios = readText("4 10 F\n1 1 2 4\n" + kSeqs);
    ASSERT_TRUE(ratios.ok) << ratios.log;
    EXPECT_DOUBLE_EQ(ratios.data.freqs[0], 0.125);
    EXPECT_DOUBLE_EQ(ratios.data.freqs[3], 0.5);
}

struct FrequencyCase {
    const char* name;
    std::string line;
    std::array<double, 4> expected;
};

class DnamlFrequencyLine : public testing::TestWithParam<FrequencyCase> {};

// Frequencies are taken relative to their sum, whatever their scale: four
// values near the largest double must not overflow the sum, four subnormal
// ones must keep their proportions, and ordinary ones give exactly the
// quotient by their plain sum.
TEST_P(DnamlFrequencyLine, ProportionsAreKeptAtAnyScale)
{
    const FrequencyCase& c = GetParam();
    const ReadOutcome r = readText("4 10 F\n" + c.line + "\n" + kSeqs);
    ASSERT_TRUE(r.ok) << r.log;
    for (std::size_t b = 0; b < 4; ++b) {
        EXPECT_TRUE(std::isfinite(r.data.freqs[b])) << b;
        EXPECT_NEAR(r.data.freqs[b], c.expected[b], 1e-15 * c.expected[b]) << b;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DnamlFrequencyLine,
    testing::Values(FrequencyCase{"NearLargestDouble", "1e308 1e308 1e308 1e308", {0.25, 0.25, 0.25, 0.25}},
                    FrequencyCase{"LargestDouble", "1.7976931348623157e308 1.7976931348623157e308 "
                                                   "1.7976931348623157e308 1.7976931348623157e308",
                                  {0.25, 0.25, 0.25, 0.25}},
                    FrequencyCase{"HugeUnequal", "3e307 2e307 2e307 3e307", {0.3, 0.2, 0.2, 0.3}},
                    FrequencyCase{"Subnormal", "1e-320 1e-320 2e-320 4e-320", {0.125, 0.125, 0.25, 0.5}},
                    FrequencyCase{"Ordinary", "0.1 0.2 0.3 0.4",
                                  {0.1 / (0.1 + 0.2 + 0.3 + 0.4), 0.2 / (0.1 + 0.2 + 0.3 + 0.4),
                                   0.3 / (0.1 + 0.2 + 0.3 + 0.4), 0.4 / (0.1 + 0.2 + 0.3 + 0.4)}}),
    [](const testing::TestParamInfo<FrequencyCase>& info) { return std::string(info.param.name); });

TEST(DnamlFrequencyLine, OrdinaryFrequenciesGiveThePlainQuotientsExactly)
{
    const ReadOutcome r = readText("4 10 F\n0.3 0.2 0.15 0.3\n" + kSeqs);
    ASSERT_TRUE(r.ok) << r.log;
    const double total = 0.3 + 0.2 + 0.15 + 0.3;
    EXPECT_EQ(r.data.freqs[0], 0.3 / total);
    EXPECT_EQ(r.data.freqs[1], 0.2 / total);
    EXPECT_EQ(r.data.freqs[2], 0.15 / total);
    EXPECT_EQ(r.data.freqs[3], 0.3 / total);
}

struct SequenceCase {
    const char* name;
    std::string text;
    std::string logHas;
};

class DnamlSequences : public testing::TestWithParam<SequenceCase> {};

TEST_P(DnamlSequences, BadSequencesAreRefusedWithTheirMessage)
{
    const SequenceCase& c = GetParam();
    const ReadOutcome r = readText(c.text);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.log.find(c.logHas), std::string::npos) << "log was: " << r.log;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DnamlSequences,
    testing::Values(
        SequenceCase{"DotInFirst", "3 4\nA         AC.T\nB         ACGT\nC         ACGT\n",
                     "Dot (.) found at site 3 of sequence 1\n"},
        SequenceCase{"BadBase", "3 4\nA         ACGT\nB         AC5T\nC         ACGT\n",
                     "Bad base (5) at site 3 of sequence 2\n"},
        SequenceCase{"ShortSequence", "3 4\nA         ACGT\nB         ACG\nC         ACGT\n",
                     "Sequences out of alignment\n"},
        SequenceCase{"LongSequence", "3 4\nA         ACGTA\nB         ACGTA\nC         ACGTA\n",
                     "5 (instead of 4) residues read in sequence 1\n"},
        SequenceCase{"EndInName", "3 4\nA         ACGT\nB         ACGT\nCC", "End-of-file in name of species 3\n"},
        SequenceCase{"EndInLaterBlock", "3 8\nA         ACGT\nB         ACGT\nC         ACGT\nACGT\n",
                     "End-of-file at site 5 of sequence 2\n"},
        SequenceCase{"MissingBlockLength", "3 6\nA         ACGT\nB         ACGT\nC         ACGT\nAC\nACG\nAC\n",
                     "Sequences out of alignment\n"}),
    [](const testing::TestParamInfo<SequenceCase>& info) { return std::string(info.param.name); });

TEST(DnamlSequences, InterleavedBlocksDotsAndAmbiguityCodesAreRead)
{
    const ReadOutcome r = readText("3 8\n"
                                   "  First     AC GT\n"
                                   "Second    ..gu\n"
                                   "Third     NRYM\n"
                                   "\n"
                                   "ACGT\n"
                                   "a.-?\n"
                                   "BDHV\n");
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_EQ(r.data.names[0], "First     ");
    const std::vector<uint8_t> second{1, 2, 4, 8, 1, 2, 15, 15};
    const std::vector<uint8_t> third{15, 5, 10, 3, 14, 13, 11, 7};
    EXPECT_EQ(r.data.codes[1], second);
    EXPECT_EQ(r.data.codes[2], third);
}

TEST(DnamlSequences, NameMayRunIntoTheSequence)
{
    const ReadOutcome r = readText("3 4\nLongName12ACGT\nB         ACGT\nC         ACGT\n");
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_EQ(r.data.names[0], "LongName12");
    EXPECT_EQ(r.data.codes[0].size(), 4u);
}

TEST(DnamlSequences, WindowsLineEndsReadLikeUnixOnes)
{
    std::string unix = "4 10 T\nT 3.0\n" + kSeqs;
    std::string windows;
    for (char c : unix) {
        if (c == '\n')
            windows += '\r';
        windows += c;
    }
    const ReadOutcome a = readText(unix);
    const ReadOutcome b = readText(windows);
    ASSERT_TRUE(b.ok) << b.log;
    EXPECT_EQ(a.data.codes, b.data.codes);
    EXPECT_EQ(a.data.names, b.data.names);
    EXPECT_DOUBLE_EQ(b.data.options.ratio, 3.0);
}
