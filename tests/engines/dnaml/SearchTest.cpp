#include "engines/dnaml/Dnaml.h"
#include "engines/dnaml/DnamlSearch.h"
#include "engines/dnaml/DnamlTreeText.h"

#include "tests/engines/dnaml/DnamlTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>

using namespace tallowin::dnaml;
using dnamltest::Edge;

namespace {

// Species named as given, one site each, equal frequencies.
struct Trees {
    std::vector<std::string> names;
    Model model;
    Patterns patterns;
    std::unique_ptr<LikelihoodTree> tree;

    explicit Trees(const std::vector<std::string>& raw)
    {
        for (auto n : raw) {
            n.resize(kNameLength, ' ');
            names.push_back(n);
        }
        Log log;
        EXPECT_TRUE(setupModel({0.25, 0.25, 0.25, 0.25}, 2.0, model, log));
        patterns = compressSites(std::vector<std::vector<uint8_t>>(names.size(), std::vector<uint8_t>{1}));
        tree = std::make_unique<LikelihoodTree>(model, patterns);
    }

    LikelihoodTree& read(const std::string& text)
    {
        TextCursor in(text);
        Log log;
        TreeComment c;
        EXPECT_TRUE(readTree(in, names, false, *tree, c, log)) << log.text();
        return *tree;
    }

    std::vector<int> topology(const std::string& text) { return canonicalForm(read(text)).topology; }
};

std::vector<int> topologyOfResult(const std::vector<std::string>& names, const std::string& treeText)
{
    Trees t(names);
    return t.topology(treeText.substr(0, treeText.find(';') + 1));
}

} // namespace

TEST(DnamlBestTrees, SavingATopologyAgainKeepsOneEntryWithTheLaterLikelihood)
{
    Trees t({"A", "B", "C", "D"});
    BestTreeList list(3);
    EXPECT_EQ(list.save(t.read("((A,B),C,D);"), -10.0, 0, true), 1);
    EXPECT_EQ(list.save(t.read("(A,(C,D),B);"), -12.0, 0, true), 1);
    EXPECT_EQ(list.count(), 1);
    EXPECT_DOUBLE_EQ(list.entry(1).lnL, -12.0);
}

TEST(DnamlBestTrees, FullListRefusesWorseTreesAndEvictsItsWorstForBetterOnes)
{
    Trees t({"A", "B", "C", "D"});
    BestTreeList list(2);
    list.save(t.read("((A,B),C,D);"), -10.0, 0, true);
    list.save(t.read("((A,C),B,D);"), -20.0, 0, true);
    list.improved = false;
    EXPECT_EQ(list.save(t.read("((A,D),B,C);"), -30.0, 0, true), 0);
    EXPECT_FALSE(list.improved);
    EXPECT_EQ(list.save(t.read("((A,D),B,C);"), -15.0, 0, true), 2);
    EXPECT_FALSE(list.improved);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.find(t.topology("((A,C),B,D);")), 0);
    EXPECT_EQ(list.save(t.read("((A,C),B,D);"), -5.0, 0, true), 1);
    EXPECT_TRUE(list.improved);
    EXPECT_DOUBLE_EQ(list.entry(1).lnL, -5.0);
    EXPECT_DOUBLE_EQ(list.entry(2).lnL, -10.0);
}

TEST(DnamlBestTrees, RecallRebuildsTopologyAndBranchValues)
{
    Trees t({"A", "B", "C", "D", "E"});
    BestTreeList list(2);
    LikelihoodTree& tree = t.read("((A,E),(B,D),C);");
    tree.setZ(0, 0.5);
    const SavedTree before = canonicalForm(tree);
    list.save(tree, -1.0, 0, true);
    list.save(t.read("((A,B),(C,D),E);"), -2.0, 0, true);
    list.recall(1, *t.tree);
    const SavedTree after = canonicalForm(*t.tree);
    EXPECT_EQ(after.topology, before.topology);
    EXPECT_EQ(after.z, before.z);
    list.recall(9, *t.tree); // clamped to the last kept
    EXPECT_EQ(canonicalForm(*t.tree).topology, t.topology("((A,B),(C,D),E);"));
}

TEST(DnamlJumble, GeneratorFollowsItsRecurrence)
{
    JumbleRandom r(1);
    EXPECT_DOUBLE_EQ(r.next(), 1664525.0 / 4294967296.0);
    EXPECT_DOUBLE_EQ(r.next(), static_cast<double>(static_cast<uint32_t>(1664525ull * 1664525ull)) / 4294967296.0);
}

namespace {

// Seven species on a caterpillar (S0,S1,(S2,(S3,(S4,(S5,S6))))).
const std::vector<Edge> kSevenEdges{{7, 0, .10}, {7, 1, .15}, {7, 8, .08},  {8, 2, .12},  {8, 9, .07}, {9, 3, .20},
                                    {9, 10, .09}, {10, 4, .10}, {10, 11, .08}, {11, 5, .14}, {11, 6, .11}};
const std::vector<std::string> kSevenNames{"S0", "S1", "S2", "S3", "S4", "S5", "S6"};

std::string simulatedInput(const std::string& options, const std::vector<std::string>& extra, uint64_t seed,
                           int sites = 1000)
{
    const std::array<double, 4> freqs{0.3, 0.2, 0.2, 0.3};
    Model m;
    Log log;
    setupModel(freqs, 2.0, m, log);
    const auto seqs = dnamltest::simulate(7, kSevenEdges, 7, sites, freqs, m.xi, m.xv, seed);
    return dnamltest::inputText(kSevenNames, seqs, options, extra);
}

} // namespace

TEST(DnamlSearch, RecoversTheTrueTopologyOfCleanSimulatedData)
{
    Trees truth(kSevenNames);
    const auto expected = truth.topology("(S0,S1,(S2,(S3,(S4,(S5,S6)))));");
    for (const auto& [options, extra] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"", {}}, {"Q", {}}, {"J", {"J 12345"}}, {"G", {}}, {"JO", {"O 4", "J 77"}}}) {
        for (uint64_t seed : {1u, 2u}) {
            const RunResult r = run(simulatedInput(options, extra, seed), {});
            ASSERT_EQ(r.code, ResultCode::Success) << r.log;
            EXPECT_EQ(topologyOfResult(kSevenNames, r.treeText), expected)
                << "options " << options << " seed " << seed << ": " << r.treeText;
        }
    }
}

TEST(DnamlSearch, ReturnedLikelihoodIsThatOfTheReturnedTreeRecomputedIndependently)
{
    const std::string input = simulatedInput("", {}, 5, 200);
    const RunResult r = run(input, {});
    ASSERT_EQ(r.code, ResultCode::Success) << r.log;
    // Read the written tree back, turn its lengths into times and sum over
    // all inner states.
    TextCursor in(input);
    InputData data;
    Log log;
    ASSERT_TRUE(readInput(in, data, log));
    const Patterns pat = compressSites(data.codes);
    Model m;
    ASSERT_TRUE(setupModel(empiricalFrequencies(pat), 2.0, m, log));
    LikelihoodTree tree(m, pat);
    TextCursor treeIn(r.treeText);
    TreeComment c;
    ASSERT_TRUE(readTree(treeIn, data.names, true, tree, c, log)) << log.text();
    // Edges away from the inner node next to species 1; inner nodes numbered
    // from the species count in the order they are met.
    std::vector<Edge> edges;
    std::map<int, int> ids;
    const int n = tree.species();
    auto nodeOf = [&](int rec) {
        if (tree.isTip(rec))
            return rec;
        const auto [it, added] = ids.emplace(n + 3 * ((rec - n) / 3), n + static_cast<int>(ids.size()));
        return it->second;
    };
    std::function<void(int)> walk = [&](int up) {
        for (int r = tree.next(up); r != up; r = tree.next(r)) {
            const int child = tree.back(r);
            edges.push_back({nodeOf(up), nodeOf(child), -std::log(tree.z(r))});
            if (!tree.isTip(child))
                walk(child);
        }
    };
    const int base = tree.back(0);
    edges.push_back({nodeOf(base), 0, -std::log(tree.z(0))});
    walk(base);
    const std::array<double, 4> freqs{m.fA, m.fC, m.fG, m.fT};
    const auto sites = dnamltest::bruteForceSiteLnL(data.codes, 5, edges, freqs, m.xi, m.xv);
    double total = 0;
    for (double s : sites)
        total += s;
    // The text rounds lengths to six decimals; the likelihood is flat at its
    // optimum, so the rounding moves it far less than the tolerance.
    EXPECT_NEAR(total, r.lnL, 1e-6 * std::fabs(r.lnL));
}

TEST(DnamlSearch, ThreeSpeciesGiveTheStarTree)
{
    const RunResult r = run("3 8\nA         ACGTACGT\nB         ACGTACGA\nC         ACGAACTA\n", {});
    ASSERT_EQ(r.code, ResultCode::Success) << r.log;
    EXPECT_EQ(std::count(r.treeText.begin(), r.treeText.end(), '('), 1);
    EXPECT_EQ(r.treeText.rfind(");\n"), r.treeText.size() - 3);
}

TEST(DnamlSearch, JumbleSeedGivesTheSameTreeOnEveryRun)
{
    const std::string input = simulatedInput("J", {"J 4321"}, 9, 300);
    const RunResult a = run(input, {});
    const RunResult b = run(input, {});
    ASSERT_EQ(a.code, ResultCode::Success) << a.log;
    EXPECT_EQ(a.treeText, b.treeText);
    EXPECT_EQ(a.lnL, b.lnL);
    EXPECT_EQ(a.patternLnL, b.patternLnL);
}

TEST(DnamlSearch, RestartAddsTheRemainingSpeciesToTheStartingTree)
{
    std::string input = simulatedInput("R", {}, 3, 500);
    input += "((S0,S1),(S5,S6),S4);\n";
    const RunResult r = run(input, {});
    ASSERT_EQ(r.code, ResultCode::Success) << r.log;
    Trees truth(kSevenNames);
    EXPECT_EQ(topologyOfResult(kSevenNames, r.treeText), truth.topology("(S0,S1,(S2,(S3,(S4,(S5,S6)))));"));
}

TEST(DnamlSearch, SpeciesOrderDoesNotChangeTheLikelihood)
{
    const std::array<double, 4> freqs{0.3, 0.2, 0.2, 0.3};
    Model m;
    Log log;
    setupModel(freqs, 2.0, m, log);
    auto seqs = dnamltest::simulate(7, kSevenEdges, 7, 400, freqs, m.xi, m.xv, 21);
    const RunResult a = run(dnamltest::inputText(kSevenNames, seqs), {});
    std::vector<std::string> names(kSevenNames.rbegin(), kSevenNames.rend());
    std::reverse(seqs.begin(), seqs.end());
    const RunResult b = run(dnamltest::inputText(names, seqs), {});
    ASSERT_EQ(a.code, ResultCode::Success);
    ASSERT_EQ(b.code, ResultCode::Success);
    EXPECT_NEAR(a.lnL, b.lnL, 1e-6 * std::fabs(a.lnL));
    EXPECT_EQ(topologyOfResult(kSevenNames, a.treeText), topologyOfResult(kSevenNames, b.treeText));
}
