#include "engines/dnaml/Dnaml.h"
#include "engines/dnaml/DnamlExports.h"
#include "engines/dnaml/DnamlText.h"
#include "engines/frame/Frame.h"

#include "tests/engines/dnaml/DnamlTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <optional>
#include <random>

using namespace tallowin::dnaml;

namespace {

const std::string kFour = "4 20\n"
                          "Alpha     ACGTACGTACGTTACGATCA\n"
                          "Beta      ACGTACGAACGTTACGATCC\n"
                          "Chi       ACGAACGAACCTTACGTTCC\n"
                          "Delta     ACGAACTAACCTAACGTTCA\n";

std::string withOptions(const std::string& options, const std::string& extra = "")
{
    std::string text = kFour;
    text.insert(text.find('\n'), " " + options);
    text.insert(text.find('\n') + 1, extra);
    return text;
}

double weightedSum(const RunResult& r, int row)
{
    double s = 0;
    for (int p = 0; p < r.patternCount; ++p)
        s += r.weights[static_cast<std::size_t>(p)] *
             r.patternLnL[static_cast<std::size_t>(row) * static_cast<std::size_t>(r.patternCount) +
                          static_cast<std::size_t>(p)];
    return s;
}

int treesIn(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), ';'));
}

} // namespace

TEST(DnamlRun, OneTreeReportsOneRowWhoseWeightedSumIsTheLikelihood)
{
    const RunResult r = run(kFour, {});
    ASSERT_EQ(r.code, ResultCode::Success) << r.log;
    EXPECT_EQ(treesIn(r.treeText), 1);
    EXPECT_EQ(r.treeText.substr(r.treeText.size() - 2), ";\n");
    EXPECT_EQ(r.rows, 1);
    EXPECT_EQ(std::accumulate(r.weights.begin(), r.weights.end(), 0), 20);
    EXPECT_EQ(static_cast<int>(r.patternLnL.size()), r.patternCount);
    expectNearRel(weightedSum(r, 0), r.lnL, 1e-12);
    EXPECT_EQ(r.log, "makeDenovoTree.\n");
}

TEST(DnamlRun, KeptTreesAreReportedBestFirst)
{
    RunOptions o;
    o.treeCount = 3;
    const RunResult r = run(withOptions("K", "K 3\n"), o);
    ASSERT_EQ(r.code, ResultCode::Success) << r.log;
    EXPECT_EQ(treesIn(r.treeText), 3);
    ASSERT_EQ(r.rows, 3);
    EXPECT_GE(weightedSum(r, 0), weightedSum(r, 1));
    EXPECT_GE(weightedSum(r, 1), weightedSum(r, 2));
    expectNearRel(r.lnL, weightedSum(r, 2), 1e-12);

    const RunResult one = run(kFour, o);
    EXPECT_EQ(one.rows, 1);
    expectNearRel(one.lnL, weightedSum(one, 0), 1e-12);
    expectNearRel(one.lnL, weightedSum(r, 0), 1e-9);
}

TEST(DnamlRun, OptionFourSwitchesTreeTextOff)
{
    const RunResult r = run(withOptions("4"), {});
    ASSERT_EQ(r.code, ResultCode::Success);
    EXPECT_TRUE(r.treeText.empty());
    EXPECT_EQ(r.rows, 1);
}

TEST(DnamlRun, BracketFlagWritesEveryBranchBracketed)
{
    RunOptions o;
    o.bracket = true;
    const RunResult r = run(kFour, o);
    ASSERT_EQ(r.code, ResultCode::Success);
    EXPECT_EQ(std::count(r.treeText.begin(), r.treeText.end(), ':'), 5);
    EXPECT_EQ(std::count(r.treeText.begin(), r.treeText.end(), '['), 5);
    EXPECT_NE(r.treeText.find(":[     0.0]"), std::string::npos);
}

TEST(DnamlRun, UserTreesAreEvaluatedAndWrittenInInputOrder)
{
    RunOptions o;
    o.treeCount = 3;
    const RunResult r = run(withOptions("U") + "3\n((Alpha,Beta),Chi,Delta);\n((Alpha,Chi),Beta,Delta);\n"
                                               "((Alpha,Delta),Beta,Chi);\n",
                            o);
    ASSERT_EQ(r.code, ResultCode::Success) << r.log;
    ASSERT_EQ(treesIn(r.treeText), 3);
    EXPECT_EQ(r.treeText.find("(Alpha:"), 0u);
    EXPECT_LT(r.treeText.find("Beta"), r.treeText.find("Chi"));
    EXPECT_EQ(r.rows, 3);
    EXPECT_GE(weightedSum(r, 0), weightedSum(r, 2));
}

TEST(DnamlRun, UserLengthsAreKeptUnchanged)
{
    const std::string tree = "(Alpha:0.100000,Beta:0.200000,(Chi:0.050000,Delta:0.300000):0.010000);\n";
    const RunResult r = run(withOptions("L") + "1\n" + tree, {});
    ASSERT_EQ(r.code, ResultCode::Success) << r.log;
    EXPECT_EQ(r.treeText, tree);
    EXPECT_NE(r.log.find("User-tree option set for this run."), std::string::npos);
}

TEST(DnamlRun, StartingTreeMayStillLeaveSpeciesOutForTheSearchToAdd)
{
    const RunResult r = run(withOptions("R") + "(Alpha,Beta,Chi);\n", {});
    ASSERT_EQ(r.code, ResultCode::Success) << r.log;
    EXPECT_NE(r.treeText.find("Delta"), std::string::npos);
}

TEST(DnamlRun, FrequenciesNearTheLargestDoubleRunLikeTheirProportions)
{
    const RunResult huge = run(withOptions("F", "1e308 1e308 1e308 1e308\n"), {});
    const RunResult plain = run(withOptions("F", "0.25 0.25 0.25 0.25\n"), {});
    ASSERT_EQ(huge.code, ResultCode::Success) << huge.log;
    ASSERT_EQ(plain.code, ResultCode::Success) << plain.log;
    EXPECT_EQ(huge.treeText, plain.treeText);
    EXPECT_EQ(huge.lnL, plain.lnL);
}

TEST(DnamlRun, OutputDoesNotDependOnWhatRanBefore)
{
    const RunResult first = run(kFour, {});
    const RunResult bad = run(withOptions("Z"), {});
    EXPECT_EQ(bad.code, ResultCode::InputFailed);
    const RunResult again = run(kFour, {});
    EXPECT_EQ(again.treeText, first.treeText);
    EXPECT_EQ(again.log, first.log);
    EXPECT_EQ(again.patternLnL, first.patternLnL);
    EXPECT_EQ(again.lnL, first.lnL);
}

TEST(DnamlRun, WindowsLineEndsGiveTheSameResult)
{
    std::string crlf;
    for (char c : kFour) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    const RunResult a = run(kFour, {});
    const RunResult b = run(crlf, {});
    ASSERT_EQ(b.code, ResultCode::Success) << b.log;
    EXPECT_EQ(a.treeText, b.treeText);
    EXPECT_EQ(a.lnL, b.lnL);
}

struct CodeCase {
    const char* name;
    std::string input;
    int simulate;
    ResultCode code;
    std::string logHas;
};

class DnamlResultCodes : public testing::TestWithParam<CodeCase> {};

TEST_P(DnamlResultCodes, EachFailureGivesItsCodeAndMessage)
{
    const CodeCase& c = GetParam();
    RunOptions o;
    o.simulateOutOfMemory = c.simulate;
    const RunResult r = run(c.input, o);
    EXPECT_EQ(r.code, c.code);
    EXPECT_NE(r.log.find(c.logHas), std::string::npos) << "log was: " << r.log;
    EXPECT_TRUE(r.treeText.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DnamlResultCodes,
    testing::Values(
        CodeCase{"AnalysisMemory", kFour, 1, ResultCode::NoMemoryAnalysis,
                 "Unable to get memory for analysis definition\n\n"},
        CodeCase{"RawMemory", kFour, 2, ResultCode::NoMemoryRawData, "Unable to get memory for raw DNA\n\n"},
        CodeCase{"PatternMemory", kFour, 3, ResultCode::NoMemoryPatterns, "Unable to get memory for crunched DNA\n\n"},
        CodeCase{"TreeMemory", kFour, 4, ResultCode::NoMemoryTrees, "Unable to get memory for trees\n\n"},
        CodeCase{"VectorMemory", kFour, 10, ResultCode::NoMemoryVectors, "Failure to get requested xarray memory\n"},
        CodeCase{"VectorSetup", kFour, 11, ResultCode::VectorSetupFailed,
                 "Failure to get internal node xarray memory\n"},
        CodeCase{"BestList", kFour, 12, ResultCode::BestListFailed, "initBestTree: Malloc failure\n"},
        CodeCase{"BadOption", withOptions("Z"), 0, ResultCode::InputFailed, "Bad option character: 'Z'\n"},
        CodeCase{"TwoSpecies", "2 4\nA         ACGT\nB         ACGT\n", 0, ResultCode::InputFailed,
                 "Number of species must be from 3"},
        CodeCase{"UnequalLengths", "3 4\nA         ACGT\nB         ACG\nC         ACGT\n", 0,
                 ResultCode::InputFailed, "Sequences out of alignment\n"},
        CodeCase{"UnknownCharacter", "3 4\nA         ACGT\nB         ACGJ\nC         ACGT\n", 0,
                 ResultCode::InputFailed, "Bad base (J) at site 4 of sequence 2\n"},
        CodeCase{"ZeroFrequency", withOptions("F", "0.25 0.25 0.5 0\n"), 0, ResultCode::InputFailed,
                 "Base frequency of T must be greater than zero\n"},
        CodeCase{"NoPyrimidines", "3 4\nA         AGAG\nB         AAGG\nC         GGAA\n", 0,
                 ResultCode::InputFailed, "no purines (A, G) or no pyrimidines (C, T)"},
        CodeCase{"NoUserTreeCount", withOptions("U"), 0, ResultCode::InputFailed,
                 "Unable to read the number of user trees\n"},
        CodeCase{"BadUserTree", withOptions("U") + "1\n((Alpha,Beta),Chi,Omega);\n", 0, ResultCode::UserTreesFailed,
                 "Cannot find tree species: Omega\n"},
        CodeCase{"UserTreeWithoutASpecies", withOptions("U") + "1\n(Alpha,Beta,Chi);\n", 0,
                 ResultCode::UserTreesFailed, "Species Delta is missing from user tree 1\n"},
        CodeCase{"SecondUserTreeWithoutASpecies",
                 withOptions("U") + "2\n((Alpha,Beta),Chi,Delta);\n(Alpha,(Beta,Delta));\n", 0,
                 ResultCode::UserTreesFailed, "Species Chi is missing from user tree 2\n"},
        CodeCase{"UserLengthsTreeWithoutTwoSpecies",
                 "5 20 L\n" + kFour.substr(kFour.find('\n') + 1) + "Epsilon   ACGAACTAACCTAACGTTCA\n1\n"
                 "(Alpha:0.1,Beta:0.1,Chi:0.1);\n",
                 0, ResultCode::UserTreesFailed, "Species Delta is missing from user tree 1\n"
                                                  "Species Epsilon is missing from user tree 1\n"},
        CodeCase{"BadStartingTree", withOptions("R") + "(Alpha,Beta;\n", 0, ResultCode::SearchFailed,
                 "treeReadLen failed in makeDenovoTree\n"}),
    [](const testing::TestParamInfo<CodeCase>& i) { return std::string(i.param.name); });

TEST(DnamlRun, ProgressWindowShowsTheStagesInOrder)
{
    std::vector<std::string> events;
    tallowin::RecordingProgress window(events);
    RunOptions o;
    o.progress = &window;
    ASSERT_EQ(run(kFour, o).code, ResultCode::Success);
    const std::vector<std::string> expected{"open",
                                            "caption DNAML",
                                            "text Running...\n\nAllocating memory.\n",
                                            "text Running...\n\nPreliminary setup.\n",
                                            "text Running...\n\nFind ML tree.\n",
                                            "caption Adding species",
                                            "range 0 4",
                                            "position 3",
                                            "text 3",
                                            "position 4",
                                            "text 4",
                                            "position 0",
                                            "text Running...\n\nGenerate output.\n",
                                            "text Running...\n\nFree memory.\n",
                                            "close"};
    EXPECT_EQ(events, expected);

    events.clear();
    EXPECT_EQ(run(withOptions("Z"), o).code, ResultCode::InputFailed);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), "open");
    EXPECT_EQ(events.back(), "close");
}

TEST(DnamlExports, PlainExportFillsEveryOutput)
{
    std::vector<char> tree(64000, ' '), log(6400, ' ');
    std::vector<double> site(3 * 20, 99.0);
    std::vector<int32_t> weight(20, -1);
    int32_t treeLen = -1, logLen = -1, patterns = -1;
    double lnL = 0;
    const int32_t code = DNAMLDLL(withOptions("K", "K 3\n").c_str(), tree.data(), &treeLen, log.data(), &logLen,
                                  site.data(), weight.data(), &patterns, 3, 1, &lnL);
    ASSERT_EQ(code, 0) << log.data();
    const RunResult r = [] {
        RunOptions o;
        o.treeCount = 3;
        o.bracket = true;
        return run(withOptions("K", "K 3\n"), o);
    }();
    EXPECT_EQ(std::string(tree.data(), static_cast<std::size_t>(treeLen)), r.treeText);
    EXPECT_EQ(tree[static_cast<std::size_t>(treeLen)], '\0');
    EXPECT_EQ(std::string(log.data(), static_cast<std::size_t>(logLen)), r.log);
    EXPECT_EQ(patterns, r.patternCount);
    EXPECT_EQ(lnL, r.lnL);
    EXPECT_EQ(std::vector<double>(site.begin(), site.begin() + 3 * patterns), r.patternLnL);
    EXPECT_EQ(weight[static_cast<std::size_t>(patterns)], -1);
}

TEST(DnamlExports, FailureCopiesTheLogAndAnEmptyTreeText)
{
    std::vector<char> tree(64000, ' '), log(6400, ' ');
    int32_t treeLen = -1, logLen = -1, patterns = -7;
    double lnL = 5;
    EXPECT_EQ(DNAMLDLLWithProgress(withOptions("Z").c_str(), tree.data(), &treeLen, log.data(), &logLen, nullptr,
                                   nullptr, &patterns, 1, 0, &lnL),
              5);
    EXPECT_EQ(treeLen, 0);
    EXPECT_EQ(tree[0], '\0');
    EXPECT_EQ(std::string(log.data()), "Bad option character: 'Z'\n");
    EXPECT_EQ(logLen, 26);
    EXPECT_EQ(patterns, -7);
    EXPECT_EQ(lnL, 5);
    EXPECT_EQ(DNAMLDLL(nullptr, tree.data(), &treeLen, log.data(), &logLen, nullptr, nullptr, &patterns, 1, 0, &lnL),
              5);
}

TEST(DnamlExports, SizedExportCutsTheTreeTextAfterAWholeTree)
{
    RunOptions o;
    o.treeCount = 3;
    const std::string input = withOptions("K", "K 3\n");
    const RunResult full = run(input, o);
    ASSERT_EQ(treesIn(full.treeText), 3);
    const std::size_t firstTwo = full.treeText.find(";\n", full.treeText.find(";\n") + 2) + 2;
    std::vector<char> tree(firstTwo + 5, '#'), log(200, ' ');
    std::vector<double> site(3 * 20);
    std::vector<int32_t> weight(20);
    int32_t treeLen = 0, needed = 0, logLen = 0, patterns = 0;
    double lnL = 0;
    const int32_t code = DNAMLDLL_sized(input.c_str(), tree.data(), static_cast<int32_t>(firstTwo + 1), &treeLen,
                                        &needed, log.data(), 200, &logLen, site.data(), 60, weight.data(), 20,
                                        &patterns, 3, 0, &lnL);
    EXPECT_EQ(code, 15);
    EXPECT_EQ(needed, static_cast<int32_t>(full.treeText.size() + 1));
    EXPECT_EQ(std::string(tree.data(), static_cast<std::size_t>(treeLen)), full.treeText.substr(0, firstTwo));
    EXPECT_EQ(tree[firstTwo], '\0');
    EXPECT_EQ(tree[firstTwo + 1], '#');
    EXPECT_NE(std::string(log.data()).find("Tree text needs"), std::string::npos);

    // Room for one row of per-pattern values only: the first row is written.
    std::vector<double> oneRow(static_cast<std::size_t>(full.patternCount) + 1, 7.0);
    EXPECT_EQ(DNAMLDLL_sized(input.c_str(), tree.data(), 0, &treeLen, &needed, log.data(), 200, &logLen,
                             oneRow.data(), full.patternCount + 1, weight.data(), 20, &patterns, 3, 0, &lnL),
              15);
    EXPECT_EQ(std::vector<double>(oneRow.begin(), oneRow.end() - 1),
              std::vector<double>(full.patternLnL.begin(), full.patternLnL.begin() + full.patternCount));
    EXPECT_EQ(oneRow.back(), 7.0);

    // A log buffer of 10 bytes holds 9 characters and the terminator.
    std::vector<char> small(12, '#');
    DNAMLDLL_sized(withOptions("Z").c_str(), nullptr, 0, &treeLen, &needed, small.data(), 10, &logLen, nullptr, 0,
                   nullptr, 0, &patterns, 1, 0, &lnL);
    EXPECT_EQ(std::string(small.data()), "Bad optio");
    EXPECT_EQ(logLen, 9);
    EXPECT_EQ(small[10], '#');
}

TEST(DnamlLocale, CommaDecimalLocaleChangesNoNumber)
{
    const std::string input = withOptions("T", "T 2.5\n");
    const RunResult plainC = run(input, {});
    std::optional<testsupport::CommaDecimalLocale> comma;
    comma.emplace();
    const bool set = comma->active();
    // Whatever locale is in force, number text stays in the C form.
    EXPECT_EQ(formatFixed(0.5, 8, 6), "0.500000");
    EXPECT_EQ(parseDouble("2.5").value_or(0), 2.5);
    if (set) {
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
        const RunResult underComma = run(input, {});
        comma.reset();
        EXPECT_EQ(underComma.treeText, plainC.treeText);
        EXPECT_EQ(underComma.lnL, plainC.lnL);
        EXPECT_EQ(underComma.log, plainC.log);
    } else {
        comma.reset();
        GTEST_SKIP() << "no comma-decimal locale can be set here";
    }
}

TEST(DnamlRun, DamagedInputNeverCrashesNorReportsANonNumber)
{
    const std::string good = withOptions("UG") + "2\n[likelihood=-1]((Alpha:0.1,Beta:[2]0.2):0.3,(Chi,Delta));\n"
                                                 "('Alpha',Chi,(Beta,Delta));\n";
    ASSERT_EQ(run(good, {}).code, ResultCode::Success) << run(good, {}).log;
    const std::string alphabet = "ACGTN.-?()[],:;'0123456789 \n\r\tUGJKLOQRT34FZ";
    std::mt19937 rng(20261208);
    for (int trial = 0; trial < 400; ++trial) {
        std::string text = good;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = rng() % text.size();
            switch (rng() % 3) {
            case 0: text[at] = alphabet[rng() % alphabet.size()]; break;
            case 1: text.erase(at, 1 + rng() % 8); break;
            default: text.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
            }
            if (text.empty())
                text = "3";
        }
        RunOptions o;
        o.treeCount = 2;
        o.bracket = (trial % 2) == 0;
        const RunResult r = run(text, o);
        if (r.code == ResultCode::Success) {
            EXPECT_TRUE(std::isfinite(r.lnL)) << text;
            for (double v : r.patternLnL)
                EXPECT_TRUE(std::isfinite(v)) << text;
        } else {
            EXPECT_FALSE(r.log.empty()) << text;
        }
    }
}

TEST(DnamlRun, TreeCountBelowOneReportsNoRows)
{
    RunOptions o;
    o.treeCount = 0;
    const RunResult r = run(kFour, o);
    ASSERT_EQ(r.code, ResultCode::Success);
    EXPECT_EQ(r.rows, 0);
    EXPECT_TRUE(r.patternLnL.empty());
    EXPECT_TRUE(std::isfinite(r.lnL));
}

namespace {
tallowin::EngineProgress* recordingWindow(void* user)
{
    auto* events = static_cast<std::vector<std::string>*>(user);
    events->emplace_back("made");
    return new tallowin::RecordingProgress(*events);
}
} // namespace

TEST(DnamlExports, OnlyTheProgressExportMakesAWindow)
{
    std::vector<std::string> events;
    tallowin_set_progress_factory(&recordingWindow, &events);
    std::vector<char> tree(64000), log(6400);
    std::vector<double> site(20);
    std::vector<int32_t> weight(20);
    int32_t treeLen = 0, logLen = 0, patterns = 0;
    double lnL = 0;
    EXPECT_EQ(DNAMLDLL(kFour.c_str(), tree.data(), &treeLen, log.data(), &logLen, site.data(), weight.data(),
                       &patterns, 1, 0, &lnL),
              0);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(DNAMLDLLWithProgress(kFour.c_str(), tree.data(), &treeLen, log.data(), &logLen, site.data(),
                                   weight.data(), &patterns, 1, 0, &lnL),
              0);
    tallowin_set_progress_factory(nullptr, nullptr);
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events[0], "made");
    EXPECT_EQ(events[1], "open");
    EXPECT_EQ(events[2], "caption DNAML");
    EXPECT_EQ(events.back(), "close");
}
