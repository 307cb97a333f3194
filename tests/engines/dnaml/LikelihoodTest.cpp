#include "engines/dnaml/DnamlTree.h"

#include "tests/engines/dnaml/DnamlTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace tallowin::dnaml;
using dnamltest::Edge;

namespace {

std::vector<std::vector<uint8_t>> codesOf(const std::vector<std::string>& seqs)
{
    std::vector<std::vector<uint8_t>> out;
    for (const auto& s : seqs) {
        out.emplace_back();
        for (char c : s)
            out.back().push_back(residueCode(c));
    }
    return out;
}

std::vector<std::string> randomSeqs(int species, int sites, const std::string& alphabet, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::vector<std::string> out(static_cast<std::size_t>(species));
    for (auto& s : out)
        for (int i = 0; i < sites; ++i)
            s.push_back(alphabet[pick(rng)]);
    return out;
}

Model modelOf(const std::array<double, 4>& freqs, double ratio)
{
    Model m;
    Log log;
    EXPECT_TRUE(setupModel(freqs, ratio, m, log));
    return m;
}

// Tips 0..4 on inner nodes U (0, 1), V (2) and W (3, 4): ((0,1),2,(3,4)).
struct FiveTaxa {
    std::vector<double> t{0.12, 0.3, 0.05, 0.2, 0.41, 0.08, 0.9};
    // Brute-force numbering: U = 5, V = 6, W = 7, edges away from U.
    std::vector<Edge> edges() const
    {
        return {{5, 0, t[0]}, {5, 1, t[1]}, {5, 6, t[2]}, {6, 2, t[3]}, {6, 7, t[4]}, {7, 3, t[5]}, {7, 4, t[6]}};
    }
    void build(LikelihoodTree& tree) const
    {
        tree.clear();
        const int u = tree.takeNode(), v = tree.takeNode(), w = tree.takeNode();
        tree.link(u, 0, std::exp(-t[0]));
        tree.link(tree.next(u), 1, std::exp(-t[1]));
        tree.link(tree.next(tree.next(u)), v, std::exp(-t[2]));
        tree.link(tree.next(v), 2, std::exp(-t[3]));
        tree.link(tree.next(tree.next(v)), w, std::exp(-t[4]));
        tree.link(tree.next(w), 3, std::exp(-t[5]));
        tree.link(tree.next(tree.next(w)), 4, std::exp(-t[6]));
    }
};

} // namespace

TEST(DnamlLikelihood, MatchesTheSumOverAllInnerStatesOfTheProcess)
{
    const std::array<double, 4> freqs{0.1, 0.2, 0.3, 0.4};
    const Model m = modelOf(freqs, 3.0);
    const auto seqs = randomSeqs(5, 40, "ACGTACGTRYN-", 11);
    const auto codes = codesOf(seqs);
    const Patterns pat = compressSites(codes);
    LikelihoodTree tree(m, pat);
    FiveTaxa shape;
    shape.build(tree);

    const auto expected = dnamltest::bruteForceSiteLnL(codes, 3, shape.edges(), freqs, m.xi, m.xv);
    double lnL = 0;
    ASSERT_TRUE(tree.evaluate(0, lnL));
    double total = 0;
    for (std::size_t site = 0; site < expected.size(); ++site) {
        total += expected[site];
        expectNearRel(tree.siteLnL()[static_cast<std::size_t>(pat.siteToPattern[site])], expected[site], 1e-9);
    }
    expectNearRel(lnL, total, 1e-9);
}

TEST(DnamlLikelihood, IsTheSameAcrossEveryBranch)
{
    const Model m = modelOf({0.3, 0.2, 0.2, 0.3}, 2.0);
    const auto codes = codesOf(randomSeqs(5, 60, "ACGT", 5));
    LikelihoodTree tree(m, compressSites(codes));
    FiveTaxa shape;
    shape.build(tree);
    double reference = 0;
    ASSERT_TRUE(tree.evaluate(0, reference));
    for (int r = 0; r < 5 + 9; ++r) {
        double lnL = 0;
        ASSERT_TRUE(tree.evaluate(r, lnL)) << r;
        expectNearRel(lnL, reference, 1e-12);
    }
}

TEST(DnamlLikelihood, TwoSequencesAcrossOnePathGiveTheKnownPairLikelihoods)
{
    // Equal frequencies, ratio 2, a path of z = 0.9 between species 1 and 2;
    // species 3 is unknown everywhere and adds nothing.
    const Model m = modelOf({0.25, 0.25, 0.25, 0.25}, 2.0);
    const Patterns pat = compressSites(codesOf({"AAA", "AGC", "NNN"}));
    LikelihoodTree tree(m, pat);
    const int node = tree.takeNode();
    tree.link(node, 0, 0.95);
    tree.link(tree.next(node), 1, 0.9 / 0.95);
    tree.link(tree.next(tree.next(node)), 2, 0.5);
    double lnL = 0;
    ASSERT_TRUE(tree.evaluate(2, lnL));
    // Patterns in code order: (A,A), (A,C), (A,G).
    expectNearRel(std::exp(tree.siteLnL()[0]), 0.2349207, 1e-6);
    expectNearRel(std::exp(tree.siteLnL()[1]), 0.0025793, 1e-5);
    expectNearRel(std::exp(tree.siteLnL()[2]), 0.0099207, 1e-5);
    // The oracle agrees with the same numbers.
    const auto p = dnamltest::expm(dnamltest::rateMatrix({0.25, 0.25, 0.25, 0.25}, m.xi, m.xv), -std::log(0.9));
    expectNearRel(0.25 * p[0][0], 0.2349207, 1e-6);
    expectNearRel(0.25 * p[0][2], 0.0099207, 1e-5);
}

TEST(DnamlLikelihood, CachedVectorsFollowEveryChangeOfBranchOrLink)
{
    const Model m = modelOf({0.2, 0.3, 0.3, 0.2}, 1.5);
    const auto codes = codesOf(randomSeqs(5, 50, "ACGT", 9));
    LikelihoodTree tree(m, compressSites(codes));
    FiveTaxa shape;
    shape.build(tree);
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> rec(0, 13);
    std::uniform_real_distribution<double> zval(0.05, 0.99);
    for (int step = 0; step < 200; ++step) {
        int r = rec(rng);
        if (step % 7 == 3) {
            // Swap two tips between their inner nodes (a change of topology).
            const int a = tree.back(0), b = tree.back(4);
            tree.unlink(0);
            tree.unlink(4);
            tree.link(a, 4, zval(rng));
            tree.link(b, 0, zval(rng));
        } else {
            tree.setZ(r, zval(rng));
        }
        double cached = 0, fresh = 0;
        ASSERT_TRUE(tree.evaluate(rec(rng), cached));
        tree.invalidateAll();
        ASSERT_TRUE(tree.evaluate(r, fresh));
        expectNearRel(cached, fresh, 1e-11);
    }
}

TEST(DnamlBranchOptimisation, SmoothedTreeIsAStationaryPoint)
{
    const std::array<double, 4> freqs{0.3, 0.2, 0.25, 0.25};
    const Model m = modelOf(freqs, 2.5);
    FiveTaxa truth;
    const auto seqs = dnamltest::simulate(5, truth.edges(), 5, 300, freqs, m.xi, m.xv, 42);
    LikelihoodTree tree(m, compressSites(codesOf(seqs)));
    truth.build(tree);
    for (int r = 0; r < 14; ++r)
        if (tree.back(r) != LikelihoodTree::kNone)
            tree.setZ(r, 0.9);
    ASSERT_TRUE(tree.smoothTree(0, 128));
    EXPECT_TRUE(tree.smoothed);
    double best = 0;
    ASSERT_TRUE(tree.evaluate(0, best));
    // Along every branch, a small step either way in ln z lowers the likelihood
    // (or the branch sits at its upper limit).
    for (int r : {0, 1, 2, 3, 4, 5 + 2, 8 + 2}) {
        const double z = tree.z(r);
        double up = 0, down = 0;
        const double h = 1e-4;
        tree.setZ(r, z * std::exp(-h));
        ASSERT_TRUE(tree.evaluate(0, down));
        if (z < kZMax) {
            tree.setZ(r, z * std::exp(h));
            ASSERT_TRUE(tree.evaluate(0, up));
            const double slope = (up - down) / (2 * h);
            EXPECT_LT(std::fabs(slope), 0.05) << "record " << r;
        } else {
            EXPECT_LE(down, best + 1e-9);
        }
        tree.setZ(r, z);
    }
}

TEST(DnamlBranchOptimisation, IdenticalSequencesGetAZeroLengthBranch)
{
    const Model m = modelOf({0.25, 0.25, 0.25, 0.25}, 2.0);
    LikelihoodTree tree(m, compressSites(codesOf({"ACGTTGCAAC", "ACGTTGCAAC", "ACTTAGCTAG"})));
    const int node = tree.takeNode();
    tree.link(node, 0, 0.9);
    tree.link(tree.next(node), 1, 0.9);
    tree.link(tree.next(tree.next(node)), 2, 0.9);
    ASSERT_TRUE(tree.smoothTree(0, 128));
    EXPECT_EQ(tree.z(0), kZMax);
    EXPECT_EQ(tree.z(1), kZMax);
    EXPECT_LT(tree.z(2), 0.9);
}

TEST(DnamlLikelihood, LargeTreesDoNotUnderflow)
{
    // A caterpillar of 600 species on long branches: site likelihoods far
    // below the smallest double.
    const int n = 600;
    const Model m = modelOf({0.25, 0.25, 0.25, 0.25}, 2.0);
    const auto codes = codesOf(randomSeqs(n, 3, "ACGT", 17));
    LikelihoodTree tree(m, compressSites(codes));
    int spine = tree.takeNode();
    tree.link(spine, 0, 1e-3);
    tree.link(tree.next(spine), 1, 1e-3);
    for (int s = 2; s < n - 1; ++s) {
        const int node = tree.takeNode();
        tree.link(tree.next(tree.next(spine)), node, 1e-3);
        tree.link(tree.next(node), s, 1e-3);
        spine = node;
    }
    tree.link(tree.next(tree.next(spine)), n - 1, 1e-3);
    double a = 0, b = 0;
    ASSERT_TRUE(tree.evaluate(0, a));
    ASSERT_TRUE(tree.evaluate(n - 1, b));
    EXPECT_TRUE(std::isfinite(a));
    EXPECT_LT(a, -3 * n * std::log(4.0) + 100);
    expectNearRel(a, b, 1e-10);
}
