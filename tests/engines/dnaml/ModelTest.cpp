#include "engines/dnaml/DnamlModel.h"

#include "tests/engines/dnaml/DnamlTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tallowin::dnaml;

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
} // namespace

TEST(DnamlPatterns, IdenticalSitesMergeAndPatternsAreOrderedByCodes)
{
    // Sites 1 and 4 agree in every species; site 3 sorts first (A in species 1, then A).
    const Patterns p = compressSites(codesOf({"CGAC", "AGAA", "TTAT"}));
    ASSERT_EQ(p.count, 3);
    EXPECT_EQ(p.weight, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(p.codes[0], (std::vector<uint8_t>{1, 2, 4}));
    EXPECT_EQ(p.codes[1], (std::vector<uint8_t>{1, 1, 4}));
    EXPECT_EQ(p.siteToPattern, (std::vector<int>{1, 2, 0, 1}));
}

TEST(DnamlFrequencies, AmbiguousResiduesShareTheirWeight)
{
    const auto onlyAC = empiricalFrequencies(compressSites(codesOf({"AACC", "ACAC", "CCAA"})));
    expectNearRel(onlyAC[0], 0.5, 1e-15);
    expectNearRel(onlyAC[1], 0.5, 1e-15);
    EXPECT_EQ(onlyAC[2], 0.0);
    EXPECT_EQ(onlyAC[3], 0.0);
    const auto unknown = empiricalFrequencies(compressSites(codesOf({"NN", "NN", "NN"})));
    for (double f : unknown)
        expectNearRel(f, 0.25, 1e-15);
    // "R" (A or G) next to two A's: the fixed point gives A everything.
    const auto shared = empiricalFrequencies(compressSites(codesOf({"A", "A", "R", "C"})));
    EXPECT_GT(shared[0], 0.7);
    EXPECT_LT(shared[2], 0.05);
    expectNearRel(shared[0] + shared[1] + shared[2] + shared[3], 1.0, 1e-14);
}

struct ConstantsCase {
    const char* name;
    std::array<double, 4> freqs;
    double ratio;
    double xi, xv, fracchange;
    bool reset;
};

class DnamlModelConstants : public testing::TestWithParam<ConstantsCase> {};

TEST_P(DnamlModelConstants, MatchTheClosedForms)
{
    const ConstantsCase& c = GetParam();
    Model m;
    Log log;
    ASSERT_TRUE(setupModel(c.freqs, c.ratio, m, log));
    expectNearRel(m.xi, c.xi, 1e-7);
    expectNearRel(m.xv, c.xv, 1e-7);
    expectNearRel(m.fracchange, c.fracchange, 1e-7);
    EXPECT_EQ(log.text().find("Transition/transversion parameter reset") != std::string::npos, c.reset);
}

INSTANTIATE_TEST_SUITE_P(Table, DnamlModelConstants,
                         testing::Values(ConstantsCase{"Equal", {0.25, 0.25, 0.25, 0.25}, 2.0, 0.6, 0.4, 0.6, false},
                                         ConstantsCase{"Unequal", {0.3, 0.2, 0.2, 0.3}, 2.0, 0.6129032, 0.3870968,
                                                       0.5806452, false},
                                         ConstantsCase{"ImpossibleRatio", {0.25, 0.25, 0.25, 0.25}, 0.5, 1e-6,
                                                       0.999999, 0.74999975, true},
                                         ConstantsCase{"NegativeRatio", {0.25, 0.25, 0.25, 0.25}, -3.0, 1e-6,
                                                       0.999999, 0.74999975, true}),
                         [](const testing::TestParamInfo<ConstantsCase>& i) { return std::string(i.param.name); });

TEST(DnamlModelConstants, RatioIsTheExpectedTransitionTransversionRatioOfTheProcess)
{
    // Independent check from the rate matrix: expected transitions over
    // expected transversions at equilibrium, and the total rate.
    for (const auto& freqs : {std::array<double, 4>{0.1, 0.2, 0.3, 0.4}, std::array<double, 4>{0.4, 0.1, 0.35, 0.15}}) {
        for (double ratio : {0.8, 2.0, 7.5}) {
            Model m;
            Log log;
            ASSERT_TRUE(setupModel(freqs, ratio, m, log));
            const auto q = dnamltest::rateMatrix(freqs, m.xi, m.xv);
            double ts = 0, tv = 0;
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j) {
                    if (i == j)
                        continue;
                    const bool transition = (i % 2) == (j % 2); // A,G = 0,2; C,T = 1,3
                    (transition ? ts : tv) += freqs[static_cast<std::size_t>(i)] * q[i][j];
                }
            expectNearRel(ts / tv, m.ratio, 1e-12);
            expectNearRel(ts + tv, m.fracchange, 1e-12);
        }
    }
}

TEST(DnamlModelConstants, FrequenciesWithoutPurinesAreRefused)
{
    Model m;
    Log log;
    EXPECT_FALSE(setupModel({0.0, 0.5, 0.0, 0.5}, 2.0, m, log));
    EXPECT_NE(log.text().find("no purines"), std::string::npos);
}
