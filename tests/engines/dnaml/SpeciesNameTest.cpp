// Species names and header counts that the phylogeny engine refuses before
// any work, and names it accepts, read back from its tree text by the
// program's own Newick reader and by Biopython.

#include "engines/dnaml/Dnaml.h"

#include "tests/support/TestSupport.h"
#include "trees/NHTreeRead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace tallowin::dnaml;

namespace {

const std::vector<std::string> kSequences = {"ACGTACGTACGTTACGATCA", "ACGTACGAACGTTACGATCC", "ACGAACGAACCTTACGTTCC",
                                             "ACGAACTAACCTAACGTTCA"};

// Four species of 20 sites with these names, each padded to the name field.
std::string fourSpecies(const std::vector<std::string>& names)
{
    std::string text = "4 20\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string name = names[i];
        name.resize(10, ' ');
        text += name + kSequences[i] + "\n";
    }
    return text;
}

struct NameCase {
    const char* label;
    std::vector<std::string> names;
    std::string log;
};

class DnamlSpeciesNames : public testing::TestWithParam<NameCase> {};

TEST_P(DnamlSpeciesNames, NameTreeTextCannotCarryIsRefusedAsBadInput)
{
    const NameCase& c = GetParam();
    const RunResult r = run(fourSpecies(c.names), {});
    EXPECT_EQ(r.code, ResultCode::InputFailed);
    EXPECT_EQ(r.log, c.log);
    EXPECT_TRUE(r.treeText.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DnamlSpeciesNames,
    testing::Values(
        NameCase{"OpenBracket", {"Alpha", "Al(pha", "Chi", "Delta"},
                 "Name of species 2 (Al(pha) holds the character (, which tree text cannot carry\n"},
        NameCase{"CloseBracket", {"Alpha", "Beta", "Chi)", "Delta"},
                 "Name of species 3 (Chi)) holds the character ), which tree text cannot carry\n"},
        NameCase{"Comma", {"Be,ta", "Alpha", "Chi", "Delta"},
                 "Name of species 1 (Be,ta) holds the character ,, which tree text cannot carry\n"},
        NameCase{"Colon", {"Alpha", "Beta", "Chi", "D:1"},
                 "Name of species 4 (D:1) holds the character :, which tree text cannot carry\n"},
        NameCase{"Semicolon", {"Alpha", "Be;ta", "Chi", "Delta"},
                 "Name of species 2 (Be;ta) holds the character ;, which tree text cannot carry\n"},
        NameCase{"SquareBrackets", {"Alpha", "Beta", "[Chi]", "Delta"},
                 "Name of species 3 ([Chi]) holds the character [, which tree text cannot carry\n"},
        NameCase{"CloseSquareBracket", {"Alpha", "Beta", "Chi]", "Delta"},
                 "Name of species 3 (Chi]) holds the character ], which tree text cannot carry\n"},
        NameCase{"SingleQuote", {"O'Hara", "Beta", "Chi", "Delta"},
                 "Name of species 1 (O'Hara) holds the character ', which tree text cannot carry\n"},
        NameCase{"DoubleQuote", {"Alpha", "Beta", "Chi", "\"Delta\""},
                 "Name of species 4 (\"Delta\") holds the character \", which tree text cannot carry\n"},
        NameCase{"BlankAndBracket", {"Alpha", "Beta", "Chi (x)", "Delta"},
                 "Name of species 3 (Chi_(x)) holds the character (, which tree text cannot carry\n"},
        NameCase{"SameName", {"Alpha", "Beta", "Alpha", "Delta"},
                 "Species 1 and 3 have the same name (Alpha) in tree text\n"},
        NameCase{"SameNameWrittenAlike", {"Alpha", "A B", "Chi", "A_B"},
                 "Species 2 and 4 have the same name (A_B) in tree text\n"},
        NameCase{"SameNameWithTab", {"Alpha", "Beta", "A\tB", "A B"},
                 "Species 3 and 4 have the same name (A_B) in tree text\n"},
        NameCase{"SameNameWithNoBreakSpace", {"A_B", "Beta", "A\xC2\xA0" "B", "Delta"},
                 "Species 1 and 3 have the same name (A_B) in tree text\n"},
        NameCase{"SameNameWithLatin1NoBreakSpaceAndFormFeed", {"Alpha", "A\xA0" "B", "Chi", "A\fB"},
                 "Species 2 and 4 have the same name (A_B) in tree text\n"}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.label); });

// Whether /usr/bin/python3 has Biopython.
bool biopythonAvailable()
{
    return std::system("/usr/bin/python3 -c 'import Bio.Phylo' > /dev/null 2>&1") == 0;
}

// The tip names of a Newick file as Biopython reads them, one a line; bytes
// that are not UTF-8 come back as they were. False when the file cannot be
// read as a tree.
bool biopythonTips(const std::filesystem::path& tree, const std::filesystem::path& out, std::vector<std::string>& tips)
{
    const std::string command = "/usr/bin/python3 -c \"import sys; from Bio import Phylo; "
                                "t = Phylo.read(open(sys.argv[1], encoding='utf-8', errors='surrogateescape'), "
                                "'newick'); sys.stdout.buffer.write(chr(10).join(c.name for c in "
                                "t.get_terminals()).encode('utf-8', 'surrogateescape'))\" '"
        + tree.string() + "' > '" + out.string() + "' 2>&1";
    if (std::system(command.c_str()) != 0)
        return false;
    std::ifstream in(out, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        tips.push_back(line);
    return true;
}

struct AcceptedCase {
    const char* label;
    std::vector<std::string> names;
    std::vector<std::string> written;
};

class DnamlAcceptedNames : public testing::TestWithParam<AcceptedCase> {};

TEST_P(DnamlAcceptedNames, ComeBackExactlyFromTheTreeText)
{
    const AcceptedCase& c = GetParam();
    const RunResult r = run(fourSpecies(c.names), {});
    ASSERT_EQ(r.code, ResultCode::Success) << r.log;
    std::vector<std::string> expected = c.written;
    std::sort(expected.begin(), expected.end());

    std::string message;
    trees::NHTreeRead::Tree tree;
    ASSERT_TRUE(trees::NHTreeRead::BuildNHTree(r.treeText, message, tree)) << message;
    std::vector<std::string> ours(tree.leafNames.begin(), tree.leafNames.begin() + tree.leafCount);
    std::sort(ours.begin(), ours.end());
    EXPECT_EQ(ours, expected) << r.treeText;

    if (!biopythonAvailable())
        GTEST_SKIP() << "Biopython could not be run from /usr/bin/python3";
    testsupport::TempDir dir;
    {
        std::ofstream(dir.file("tree.nwk"), std::ios::binary) << r.treeText;
    }
    std::vector<std::string> theirs;
    ASSERT_TRUE(biopythonTips(dir.file("tree.nwk"), dir.file("tips.txt"), theirs))
        << testsupport::readFile(dir.file("tips.txt")) << r.treeText;
    std::sort(theirs.begin(), theirs.end());
    EXPECT_EQ(theirs, expected) << r.treeText;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DnamlAcceptedNames,
    testing::Values(
        // Punctuation that tree text carries; a blank is written as "_".
        AcceptedCase{"Punctuation",
                     {"E.coli-K1", "x/y|z+1", "sp#2 b", "Homo_s"},
                     {"E.coli-K1", "x/y|z+1", "sp#2_b", "Homo_s"}},
        // Spaces of UTF-8 text (no-break space, next line, thin space) are
        // written as "_"; accented letters, whose bytes include 0x85 and
        // 0xA0, stay whole.
        AcceptedCase{"Utf8Spaces",
                     {"Homo\xC2\xA0sap", "Rat\xC2\x85ta", "Mus\xE2\x80\x89mus", "caf\xC3\xA9\xC3\xA0\xC3\x85"},
                     {"Homo_sap", "Rat_ta", "Mus_mus", "caf\xC3\xA9\xC3\xA0\xC3\x85"}},
        // Form feed, vertical tab, the separators 0x1C to 0x1F, and the
        // Latin-1 no-break space and next line.
        AcceptedCase{"ControlAndLatin1Spaces",
                     {"a\fb\vc", "e\x1C" "f\x1Dg", "h\x1Ei\x1Fj", "Lat\xA0n\x85x"},
                     {"a_b_c", "e_f_g", "h_i_j", "Lat_n_x"}}),
    [](const testing::TestParamInfo<AcceptedCase>& info) { return std::string(info.param.label); });

struct CountCase {
    const char* label;
    std::string text;
    std::string log;
};

class DnamlHeaderCounts : public testing::TestWithParam<CountCase> {};

TEST_P(DnamlHeaderCounts, CountsTheTextCannotHoldAreRefusedBeforeReading)
{
    const CountCase& c = GetParam();
    const RunResult r = run(c.text, {});
    EXPECT_EQ(r.code, ResultCode::InputFailed);
    EXPECT_EQ(r.log, c.log);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DnamlHeaderCounts,
    testing::Values(
        // Thirteen bytes that once set aside gigabytes before they were refused.
        CountCase{"ThirteenBytes", "4343 999996\nA",
                  "Input too short for 4343 species of 999996 sites: they need at least 4342986971 characters, 1 "
                  "remain\n"},
        CountCase{"LargestCounts", "5000 100000000\n\n",
                  "Input too short for 5000 species of 100000000 sites: they need at least 500000005000 characters, 1 "
                  "remain\n"},
        CountCase{"AfterOptionLines", "3 8 T\nT 2.5\nA ACGT\nB ACGT\nC ACGT\n",
                  "Input too short for 3 species of 8 sites: they need at least 27 characters, 21 remain\n"},
        // Option errors still come first.
        CountCase{"BadOptionFirst", "4343 999996 Z\nA", "Bad option character: 'Z'\n"}),
    [](const testing::TestParamInfo<CountCase>& info) { return std::string(info.param.label); });

TEST(DnamlHeaderCounts, AShortTextThatHoldsTheCountsIsRead)
{
    // Names of one character on lines of their own, the residues in a
    // second block: 21 characters for the 15 that the counts need at least.
    const RunResult r = run("3 4\nA\nB\nC\nACGT\nACGA\nACTT\n", {});
    EXPECT_EQ(r.code, ResultCode::Success) << r.log;
}

} // namespace
