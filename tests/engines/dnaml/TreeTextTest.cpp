#include "engines/dnaml/DnamlSearch.h"
#include "engines/dnaml/DnamlTreeText.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tallowin::dnaml;

namespace {

struct Fixture {
    std::vector<std::string> names;
    Model model;
    Patterns patterns;
    std::unique_ptr<LikelihoodTree> tree;

    explicit Fixture(std::vector<std::string> raw)
    {
        for (auto& n : raw) {
            n.resize(kNameLength, ' ');
            names.push_back(n);
        }
        Log log;
        EXPECT_TRUE(setupModel({0.25, 0.25, 0.25, 0.25}, 2.0, model, log)); // fracchange 0.6
        patterns = compressSites(std::vector<std::vector<uint8_t>>(names.size(), std::vector<uint8_t>{1}));
        tree = std::make_unique<LikelihoodTree>(model, patterns);
    }

    bool read(const std::string& text, std::string& log, bool userLengths = false, TreeComment* comment = nullptr)
    {
        TextCursor in(text);
        Log l;
        TreeComment c;
        const bool ok = readTree(in, names, userLengths, *tree, comment ? *comment : c, l);
        log = l.text();
        return ok;
    }

    std::string write(bool bracket = false, int start = 0)
    {
        std::string out;
        writeTree(*tree, names, start, bracket, out);
        return out;
    }
};

} // namespace

TEST(DnamlTreeText, BranchLengthsAndBracketsAreWrittenInFixedForm)
{
    Fixture f({"Alpha", "Beta", "ab c"});
    const int node = f.tree->takeNode();
    f.tree->link(node, 0, 1e-20);
    f.tree->link(f.tree->next(node), 1, 0.9);
    f.tree->link(f.tree->next(f.tree->next(node)), 2, std::exp(-0.012345 / 0.6), 12.0);
    EXPECT_EQ(f.write(), "(Alpha:20.723266,Beta:0.063216,ab_c:0.012345);\n");
    EXPECT_EQ(f.write(true), "(Alpha:[     0.0]20.723266,Beta:[     0.0]0.063216,ab_c:[    12.0]0.012345);\n");
}

TEST(DnamlTreeText, WrittenTreesReadBackToTheSameText)
{
    Fixture f({"A", "B", "C", "D", "E", "F"});
    for (const std::string text :
         {"(A:0.100000,(B:0.200000,C:0.300000):0.050000,(D:0.010000,(E:0.020000,F:0.700000):0.040000):0.060000);\n",
          "(A:0.100000,B:0.200000,((C:0.300000,F:0.700000):0.001000,(D:0.010000,E:0.020000):0.040000):0.060000);\n"}) {
        std::string log;
        ASSERT_TRUE(f.read(text, log, true)) << log;
        EXPECT_EQ(f.write(), text);
    }
    const std::string bracketed =
        "(A:[     1.5]0.100000,(B:[    -2.0]0.200000,C:[     3.0]0.300000):[   100.0]0.050000,(D:[     0.0]0.010000,"
        "(E:[     0.0]0.020000,F:[     7.0]0.700000):[     0.0]0.040000):[     0.0]0.060000);\n";
    std::string log;
    ASSERT_TRUE(f.read(bracketed, log, true)) << log;
    EXPECT_EQ(f.write(true), bracketed);
}

TEST(DnamlTreeText, SubtreesAreWrittenInSpeciesOrderFromTheStartTip)
{
    Fixture f({"A", "B", "C", "D", "E"});
    std::string log;
    ASSERT_TRUE(f.read("((E,D),(C,A),B);", log)) << log;
    EXPECT_EQ(f.write(false, 0), "(A:0.063216,(B:0.063216,(D:0.063216,E:0.063216):0.063216):0.063216,C:0.063216);\n");
    EXPECT_EQ(f.write(false, 4), "(E:0.063216,((A:0.063216,C:0.063216):0.063216,B:0.063216):0.063216,D:0.063216);\n");
}

TEST(DnamlTreeText, RootedTreesAreUprootedByJoiningTheRootBranches)
{
    Fixture f({"A", "B", "C", "D"});
    std::string log;
    ASSERT_TRUE(f.read("((A:0.1,B:0.2):0.3,(C:0.4,D:0.5):0.6);", log, true)) << log;
    EXPECT_EQ(f.write(), "(A:0.100000,B:0.200000,(C:0.400000,D:0.500000):0.900000);\n");
    ASSERT_TRUE(f.read("((A:0.1,B:0.2):0.3,(C:0.4,D:0.5):0.6);", log, false)) << log;
    EXPECT_EQ(f.write(), "(A:0.100000,B:0.200000,(C:0.400000,D:0.500000):0.063216);\n");
    EXPECT_EQ(f.tree->tipCount(), 4);
}

TEST(DnamlTreeText, CommentKeysAndQuotedNamesAreRead)
{
    Fixture f({"it's", "B", "C"});
    std::string log;
    TreeComment c;
    ASSERT_TRUE(f.read("[ likelihood = -123.5, opt_level=2 smoothed=1 ]\n('it''s',B,C);", log, false, &c)) << log;
    ASSERT_TRUE(c.likelihood.has_value());
    EXPECT_DOUBLE_EQ(*c.likelihood, -123.5);
    EXPECT_EQ(c.level, 2);
    EXPECT_TRUE(c.smoothed);
    EXPECT_EQ(f.tree->tipCount(), 3);
}

struct BadTreeCase {
    const char* name;
    std::string text;
    std::string log;
};

class DnamlBadTrees : public testing::TestWithParam<BadTreeCase> {};

TEST_P(DnamlBadTrees, AreRefusedWithTheirMessage)
{
    Fixture f({"A", "B", "C", "D", "A B"});
    std::string log;
    EXPECT_FALSE(f.read(GetParam().text, log));
    EXPECT_EQ(log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DnamlBadTrees,
    testing::Values(BadTreeCase{"UnknownSpecies", "(A,B,X);", "Cannot find tree species: X\n"},
                    BadTreeCase{"UnderscoreIsNotABlank", "(A,B,A_B);", "Cannot find tree species: A_B\n"},
                    BadTreeCase{"MissingSemicolon", "(A,B,C)\n", "Expecting ';' at end of tree; found:\n"},
                    BadTreeCase{"MissingComma", "((A B),C,D);", "Expecting ',' in tree; found:B),C,D);\n"},
                    BadTreeCase{"UnclosedComment", "[likelihood=3 (A,B,C);", "Missing end of tree comment\n"},
                    BadTreeCase{"NotATree", "A,B,C;", "Start of tree 'A...' not understood.\n"},
                    BadTreeCase{"RepeatedSpecies", "(A,B,(C,A));", "Species A appears more than once in the tree\n"},
                    BadTreeCase{"TooDeep", "(((((((A,B),C),D),B),C),D),A);",
                                "Too many internal nodes.  Is tree rooted?\n"
                                "       Deepest splitting should be a trifurcation.\n"},
                    BadTreeCase{"TwoSpecies", "(A,B);", "A tree needs at least three species\n"}),
    [](const testing::TestParamInfo<BadTreeCase>& i) { return std::string(i.param.name); });

TEST(DnamlTreeText, CanonicalFormIgnoresHowTheTextOrdersSubtrees)
{
    Fixture f({"A", "B", "C", "D", "E"});
    std::string log;
    ASSERT_TRUE(f.read("((E,D),(C,A),B);", log));
    const auto first = canonicalForm(*f.tree).topology;
    ASSERT_TRUE(f.read("(B,((A,C),(D,E)));", log)) << log;
    EXPECT_EQ(canonicalForm(*f.tree).topology, first);
    ASSERT_TRUE(f.read("(B,((A,D),(C,E)));", log)) << log;
    EXPECT_NE(canonicalForm(*f.tree).topology, first);
}
