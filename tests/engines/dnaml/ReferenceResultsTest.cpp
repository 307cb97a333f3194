// Whole searches on seeded simulated alignments, compared with the trees and
// log-likelihoods that the engine gave for them before its search was spread
// over threads and its loops were reworked (and, for the trees that take
// turns, before it stopped going round between them). The topology and every branch
// length (six decimals) must come out as pinned, the log-likelihood to 1e-8
// relative, however many threads the search uses.

#include "engines/dnaml/Dnaml.h"
#include "engines/dnaml/DnamlSearch.h"

#include "tests/engines/dnaml/DnamlTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace tallowin::dnaml;

namespace {

// A random rooted tree: the root is inner node `species`; each further
// species splits a randomly chosen edge. Edges point away from the root.
std::vector<dnamltest::Edge> randomEdges(int species, uint64_t seed)
{
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> length(0.02, 0.2);
    int nextInner = species + 1;
    std::vector<dnamltest::Edge> edges{{species, 0, length(rng)}, {species, 1, length(rng)}};
    for (int s = 2; s < species; ++s) {
        std::uniform_int_distribution<std::size_t> pick(0, edges.size() - 1);
        const std::size_t k = pick(rng);
        const dnamltest::Edge old = edges[k];
        const int mid = nextInner++;
        edges[k] = {old.a, mid, old.t / 2};
        edges.push_back({mid, old.b, old.t / 2});
        edges.push_back({mid, s, length(rng)});
    }
    return edges;
}

struct ReferenceCase {
    const char* name;
    int species;
    int sites;
    uint64_t seed;
    std::string options;
    std::vector<std::string> extraLines;
    int treeCount;
    std::string treeText; // as pinned
    double lnL;           // as pinned
};

// Test names show the case's name rather than its bytes.
void PrintTo(const ReferenceCase& c, std::ostream* out)
{
    *out << c.name;
}

std::string inputOf(const ReferenceCase& c)
{
    const std::array<double, 4> pi{0.3, 0.2, 0.2, 0.3};
    // xi and xv of ratio 2 for these frequencies.
    const double fR = pi[0] + pi[2], fY = pi[1] + pi[3];
    const double x = fR * fY * 2.0 - (pi[0] * pi[2] + pi[1] * pi[3]);
    const double y = pi[1] * pi[3] / fY + pi[0] * pi[2] / fR;
    const double xi = x / (x + y);
    std::vector<std::string> names;
    for (int s = 0; s < c.species; ++s)
        names.push_back("Sp" + std::to_string(s + 1));
    auto seqs = dnamltest::simulate(c.species, randomEdges(c.species, c.seed), c.species, c.sites, pi, xi, 1.0 - xi,
                                    c.seed + 1);
    // A few ambiguous residues, so that tips are not all plain bases.
    seqs[1][3] = 'N';
    seqs[2][5] = 'R';
    seqs[c.species - 1][7] = '-';
    return dnamltest::inputText(names, seqs, c.options, c.extraLines);
}

// The tree text with every number taken out, and the numbers.
void splitTree(const std::string& text, std::string& shape, std::vector<double>& numbers)
{
    shape.clear();
    numbers.clear();
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ':' || text[i] == '[') {
            shape.push_back(text[i]);
            std::size_t j = i + 1;
            while (j < text.size() && (text[j] == ' ' || text[j] == '[')) {
                ++j;
            }
            char* end = nullptr;
            numbers.push_back(std::strtod(text.c_str() + j, &end));
            i = static_cast<std::size_t>(end - text.c_str());
        } else {
            shape.push_back(text[i++]);
        }
    }
}

class DnamlReferenceResults : public testing::TestWithParam<ReferenceCase> {};

} // namespace

TEST_P(DnamlReferenceResults, SearchGivesThePinnedTreesAndLikelihood)
{
    const ReferenceCase& c = GetParam();
    RunOptions options;
    options.treeCount = c.treeCount;
    const RunResult r = run(inputOf(c), options);
    ASSERT_EQ(r.code, ResultCode::Success) << r.log;
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", r.lnL);
    EXPECT_NEAR(r.lnL, c.lnL, 1e-8 * std::fabs(c.lnL)) << "log-likelihood was " << text;
    std::string shape, pinnedShape;
    std::vector<double> lengths, pinnedLengths;
    splitTree(r.treeText, shape, lengths);
    splitTree(c.treeText, pinnedShape, pinnedLengths);
    EXPECT_EQ(shape, pinnedShape) << "tree text was:\n" << r.treeText;
    ASSERT_EQ(lengths.size(), pinnedLengths.size());
    for (std::size_t k = 0; k < lengths.size(); ++k) {
        // Written with six decimals: a length may round the other way.
        EXPECT_NEAR(lengths[k], pinnedLengths[k], 1.5e-6) << "branch " << k << " of\n" << r.treeText;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DnamlReferenceResults,
    testing::Values(
        ReferenceCase{"Default12", 12, 400, 101, "", {}, 1,
                      "(Sp1:0.010139,(((((Sp2:0.010973,Sp3:0.110038):0.001613,(Sp7:0.009373,Sp12:0.066666):0.018705):0.002416,Sp11:0.105173):0.011363,Sp8:0.024597):0.007608,Sp6:0.008534):0.004062,((Sp4:0.005038,(Sp5:0.028190,Sp10:0.028120):0.000001):0.007717,Sp9:0.020342):0.012798);\n",
                      -1475.8734147114558},
        ReferenceCase{"GlobalKeepThree10", 10, 300, 202, "GK", {"K 3"}, 3,
                      "(Sp1:0.031807,(((Sp2:0.035804,Sp8:0.060639):0.005999,((((Sp3:0.084994,Sp4:0.128987):0.008636,Sp6:0.075913):0.017746,Sp9:0.032310):0.006574,Sp5:0.026486):0.018417):0.090390,Sp7:0.055894):0.006535,Sp10:0.073430);\n"
                      "(Sp1:0.033078,((Sp2:0.035797,Sp8:0.060653):0.005996,((((Sp3:0.084994,Sp4:0.128988):0.008636,Sp6:0.075914):0.017746,Sp9:0.032309):0.006573,Sp5:0.026487):0.018394):0.092395,(Sp7:0.057817,Sp10:0.073815):0.002664);\n"
                      "(Sp1:0.034120,(((Sp2:0.035800,Sp8:0.060645):0.005997,((((Sp3:0.084994,Sp4:0.128988):0.008636,Sp6:0.075914):0.017746,Sp9:0.032309):0.006573,Sp5:0.026487):0.018392):0.092212,Sp10:0.073692):0.001817,Sp7:0.058694);\n",
                      -1393.2778835865383},
        ReferenceCase{"SlowAddJumble9", 9, 300, 303, "QJ", {"J 13"}, 1,
                      "(Sp1:0.041597,(((Sp2:0.019250,(Sp3:0.066764,Sp4:0.077474):0.070862):0.005229,Sp8:0.066537):0.006660,Sp5:0.017032):0.013851,((Sp6:0.003347,Sp9:0.010093):0.000001,Sp7:0.059551):0.003463);\n",
                      -1062.4250867643857},
        ReferenceCase{"OutgroupRatio11", 11, 250, 404, "OT", {"O 3", "T 3.5"}, 1,
                      "(Sp3:0.055090,((Sp1:0.042847,(Sp5:0.041433,Sp8:0.037698):0.046974):0.065145,Sp11:0.016586):0.004565,((Sp2:0.008017,Sp4:0.016307):0.009727,(Sp6:0.046477,((Sp7:0.031323,Sp10:0.181987):0.035844,Sp9:0.046095):0.067358):0.077923):0.013951);\n",
                      -1226.5655563087889},
        ReferenceCase{"Default16", 16, 200, 505, "", {}, 1,
                      "(Sp1:0.000001,(((((Sp2:0.003863,Sp11:0.040792):0.006795,Sp5:0.010170):0.015447,((((Sp7:0.005007,Sp16:0.052357):0.004889,Sp12:0.025739):0.010435,Sp9:0.004941):0.021079,Sp10:0.058201):0.004466):0.013289,Sp15:0.012972):0.009576,(((Sp3:0.028978,(Sp8:0.084347,Sp13:0.077983):0.011090):0.010682,Sp6:0.064396):0.027745,Sp14:0.009997):0.020796):0.004912,Sp4:0.074025);\n",
                      -964.00750952724252},
        // Each of these two searches finds two trees that differ only in how
        // a zero-length branch is resolved and take turns as the one tree kept.
        ReferenceCase{"TurnTaking10", 10, 200, 15, "", {}, 1,
                      "(Sp1:0.039103,Sp2:0.058402,((((Sp3:0.013863,(Sp6:0.028277,Sp9:0.083905):0.032419):0.001156,Sp10:0.052850):0.015697,((Sp5:0.004992,Sp8:0.046637):0.000001,Sp7:0.136708):0.005118):0.010543,Sp4:0.035765):0.048925);\n",
                      -823.9271558487402},
        ReferenceCase{"TurnTaking14", 14, 200, 40, "", {}, 1,
                      "(Sp1:0.020325,((((Sp2:0.047346,((((Sp3:0.005072,Sp11:0.036198):0.005135,Sp10:0.073709):0.020635,((Sp5:0.059646,Sp14:0.108766):0.030374,Sp6:0.036363):0.000001):0.005095,(Sp7:0.020719,Sp8:0.004644):0.015460):0.004827):0.012727,Sp13:0.096073):0.015546,Sp4:0.106515):0.010377,Sp12:0.007645):0.023529,Sp9:0.080505);\n",
                      -1033.1534763978768}),
    [](const testing::TestParamInfo<ReferenceCase>& info) { return std::string(info.param.name); });

// A search that keeps one tree and finds two that differ only in how a
// zero-length branch is resolved must not go round between them, each in
// turn pushing the other out of the list and being rearranged again: it
// used to, for thousands of rounds, until a guard stopped it.
TEST(DnamlReferenceResults, TreesTakingTurnsAreRearrangedOnce)
{
    for (const auto& [species, seed] : {std::pair{10, 15}, std::pair{14, 40}, std::pair{8, 51}, std::pair{12, 2}}) {
        const ReferenceCase c{"turns", species, 200, static_cast<uint64_t>(seed), "", {}, 1, "", 0.0};
        const RunResult r = run(inputOf(c), {});
        ASSERT_EQ(r.code, ResultCode::Success) << r.log;
        EXPECT_GT(r.rounds, species - 4) << species << " species, seed " << seed;
        EXPECT_LT(r.rounds, 2 * species) << species << " species, seed " << seed;
    }
}

// The trials of a search run on several threads; their trees reach the list
// in one fixed order, so one thread and several give the same bits.
TEST(DnamlReferenceResults, ThreadCountChangesNoBit)
{
    const ReferenceCase cases[] = {
        {"Plain", 14, 200, 606, "", {}, 1, "", 0.0},
        {"GlobalKeepTwo", 9, 200, 707, "GK", {"K 2"}, 2, "", 0.0},
    };
    for (const ReferenceCase& c : cases) {
        RunOptions options;
        options.treeCount = c.treeCount;
        const std::string input = inputOf(c);
        setSearchThreads(1);
        const RunResult one = run(input, options);
        setSearchThreads(5);
        const RunResult five = run(input, options);
        setSearchThreads(0);
        ASSERT_EQ(one.code, ResultCode::Success) << one.log;
        EXPECT_EQ(one.treeText, five.treeText) << c.name;
        EXPECT_EQ(one.patternLnL, five.patternLnL) << c.name;
        EXPECT_EQ(one.lnL, five.lnL) << c.name;
        EXPECT_EQ(one.log, five.log) << c.name;
    }
}

// Rearrangements smooth whole only the trees whose screened likelihood comes
// near the list's floor. Searches of every kind (kept lists, global reach,
// jumble, slow addition, outgroup) must give the same bits as smoothing
// every rearranged tree whole. (A margin of 0, ranking by the screened
// likelihood alone, already changes the first of these.)
TEST(DnamlReferenceResults, ScreeningRearrangementsChangesNoBit)
{
    const ReferenceCase cases[] = {
        {"Plain", 14, 200, 606, "", {}, 1, "", 0.0},
        {"GlobalKeepThree", 10, 300, 202, "GK", {"K 3"}, 3, "", 0.0},
        {"SlowAddJumble", 9, 300, 303, "QJ", {"J 13"}, 1, "", 0.0},
        {"Outgroup", 11, 250, 404, "OT", {"O 3", "T 3.5"}, 1, "", 0.0},
        {"Global", 18, 300, 808, "G", {}, 1, "", 0.0},
    };
    const double defaultMargin = screenMargin();
    for (const ReferenceCase& c : cases) {
        RunOptions options;
        options.treeCount = c.treeCount;
        const std::string input = inputOf(c);
        setScreenMargin(std::numeric_limits<double>::infinity());
        const RunResult whole = run(input, options);
        ASSERT_EQ(whole.code, ResultCode::Success) << whole.log;
        setScreenMargin(defaultMargin);
        const RunResult screened = run(input, options);
        EXPECT_EQ(screened.treeText, whole.treeText) << c.name;
        EXPECT_EQ(screened.patternLnL, whole.patternLnL) << c.name;
        EXPECT_EQ(screened.lnL, whole.lnL) << c.name;
        EXPECT_EQ(screened.log, whole.log) << c.name;
    }
    setScreenMargin(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(screenMargin(), defaultMargin);
}
