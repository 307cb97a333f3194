#include "sequence/mRyt.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engines/map/MapExports.h"
#include "platform/dll/Library.h"
#include "sequence/SubMatData.h"
#include "sequence/SubMatFile.h"
#include "tests/sequence/MapTestUtil.h"

namespace {

using sequence::MapParams;
using maptest::degap;
using maptest::direct;
using maptest::family;

TEST(AlignWithMap, PacksBlankSeparatedTexts)
{
    const auto t = sequence::PackMapTexts({"AAAAA", "CCCCCCC"}, 2);
    EXPECT_EQ(t.sequences, "AAAAA CCCCCCC");
    EXPECT_EQ(t.names, std::string("\x01") + "0 " + "\x01" + "1");
    EXPECT_EQ(t.longest, 7);
}

TEST(AlignWithMap, RefusesBadInputBeforeTheEngineAndKeepsTheSet)
{
    const std::string longSeq(3000, 'A');
    struct Case {
        const char* what;
        std::vector<std::string> seqs;
        std::int32_t count;
        bool protein;
        const char* message;
    } cases[] = {
        {"empty set", {}, 0, false, "There are no sequences to align."},
        {"one sequence", {"ACGT"}, 1, false, "Only one sequence: at least two are needed for an alignment."},
        {"digit", {"ACGT", "AC1T"}, 2, false, "Sequence 2 holds the character \"1\" at position 3"},
        {"gap", {"AC-T", "ACGT"}, 2, false, "Sequence 1 holds the character \"-\""},
        {"stop in DNA", {"ACGT", "ACG*"}, 2, false, "\"*\" at position 4"},
        {"empty member", {"ACGT", ""}, 2, false, "Sequence 2 is empty."},
        {"too long", {longSeq, longSeq}, 2, false, "too long to be aligned together"},
        {"count beyond array", {"ACGT", "ACGT"}, 3, false, "There are no sequences to align."},
    };
    for (const auto& c : cases) {
        auto seqs = c.seqs;
        std::string msg, matrix;
        EXPECT_FALSE(sequence::AlignWithMAP(seqs, c.count, c.protein, MapParams{}, msg, matrix)) << c.what;
        EXPECT_NE(msg.find(c.message), std::string::npos) << c.what << ": " << msg;
        EXPECT_EQ(seqs, c.seqs) << c.what;
    }
}

TEST(AlignWithMap, EqualsTheEnginesDirectResult)
{
    struct Case {
        const char* what;
        std::vector<std::string> seqs;
        bool protein;
    } cases[] = {
        {"20 DNA", family(7, 20, 120, "ACGT"), false},
        {"10 protein", family(11, 10, 90, "ARNDCQEGHILKMFPSTWYV"), true},
    };
    for (const auto& c : cases) {
        auto seqs = c.seqs;
        std::string msg, matrix;
        ASSERT_TRUE(sequence::AlignWithMAP(seqs, static_cast<std::int32_t>(seqs.size()), c.protein, MapParams{}, msg,
                                           matrix))
            << c.what << ": " << msg;
        EXPECT_EQ(seqs, direct(c.seqs, MapParams{})) << c.what;
        for (std::size_t i = 0; i < seqs.size(); ++i) {
            EXPECT_EQ(seqs[i].size(), seqs[0].size());
            EXPECT_EQ(degap(seqs[i]), c.seqs[i]) << c.what << " row " << i;
        }
        EXPECT_TRUE(matrix.empty());
    }
}

TEST(AlignWithMap, EnginesOrderReordersTheNamesAlike)
{
    const auto input = family(3, 8, 60, "ACGT");
    auto seqs = input;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < input.size(); ++i)
        names.push_back("s" + std::to_string(i));
    MapParams p;
    p.keepOriginalOrder = false;
    std::string msg, matrix;
    ASSERT_TRUE(sequence::AlignWithMAP(seqs, 8, false, p, msg, matrix, &names)) << msg;
    for (std::size_t i = 0; i < seqs.size(); ++i) {
        const auto index = std::stoul(names[i].substr(1));
        EXPECT_EQ(degap(seqs[i]), input[index]) << "row " << i;
    }
}

TEST(AlignWithMap, ScoresByTheInstalledMatrices)
{
    const auto protein = family(5, 6, 50, "ARNDCQEGHILKMFPSTWYV");
    auto seqs = protein;
    MapParams p;
    p.useSubMat = true;
    p.subMatIndex = 7;
    std::string msg, matrix;
    ASSERT_TRUE(sequence::AlignWithMAP(seqs, 6, true, p, msg, matrix)) << msg;
    const auto record = sequence::ReadSubMatRecord(sequence::SubMatFilePath(sequence::SubMatKind::AminoAcid),
                                                   sequence::SubMatKind::AminoAcid, 7, false);
    EXPECT_EQ(seqs, direct(protein, p, record.alphabet, record.values));
    EXPECT_EQ(matrix.substr(0, 13), "A\t4\r\nR\t-1\t5\r\n");
    EXPECT_EQ(std::count(matrix.begin(), matrix.end(), '\n'), 23);

    // A letter outside the matrix's alphabet is refused; lowercase would score nothing.
    auto lower = protein;
    lower[2][0] = 'a';
    EXPECT_FALSE(sequence::AlignWithMAP(lower, 6, true, p, msg, matrix));
    EXPECT_NE(msg.find("not in the alphabet of the substitution matrix"), std::string::npos) << msg;

    // A list position this installation does not carry.
    p.subMatIndex = 0;
    EXPECT_FALSE(sequence::AlignWithMAP(seqs, 6, true, p, msg, matrix));
    EXPECT_EQ(msg, "GetAASubMatCol: Failed to get the substitution matrix.");

    auto dna = family(9, 5, 80, "ACGT");
    for (std::int32_t index : {0, 1}) {
        auto rows = dna;
        p.subMatIndex = index;
        ASSERT_TRUE(sequence::AlignWithMAP(rows, 5, false, p, msg, matrix)) << msg;
        EXPECT_EQ(degap(rows[4]), dna[4]);
    }
}

// Unrelated sequences of flank length, seeded.
std::vector<std::string> unrelated(unsigned seed, int count, std::size_t length)
{
    std::mt19937 rng(seed);
    std::vector<std::string> out(static_cast<std::size_t>(count));
    for (auto& s : out)
        for (std::size_t i = 0; i < length; ++i)
            s += "ACGU"[rng() % 4];
    return out;
}

TEST(AlignWithMap, UnrelatedFlanksGetTheRoomTheEngineAsksFor)
{
    for (const std::size_t length : {std::size_t{100}, std::size_t{500}}) {
        const auto input = unrelated(42 + static_cast<unsigned>(length), 12, length);
        // The worst case the engine documents is too small for these.
        platform::dll::Library lib("libtallowin.so");
        auto sized = lib.function<decltype(&mapMainDll_sized)>("mapMainDll_sized");
        const auto texts = sequence::PackMapTexts(input, 12);
        std::string messages(4096, ' ');
        std::string output(static_cast<std::size_t>(3 * 12 * texts.longest) + 1, ' ');
        std::vector<std::int32_t> order(12);
        const std::int32_t zero = 0;
        std::int32_t needed = 0;
        const MapParams p;
        EXPECT_EQ(sized(texts.names.c_str(), static_cast<std::int32_t>(texts.names.size()), texts.sequences.c_str(),
                        static_cast<std::int32_t>(texts.sequences.size()), 12, p.minLenCCI, p.misMatch, p.match,
                        p.gapOpen, p.gapExtend, 0, "", 0, &zero, 1, messages.data(), 4096, output.data(),
                        static_cast<std::int32_t>(output.size()), order.data(), 12, &needed),
                  0)
            << length;
        EXPECT_GT(needed, static_cast<std::int32_t>(output.size())) << length;

        auto rows = input;
        std::string msg, matrix;
        ASSERT_TRUE(sequence::AlignWithMAP(rows, 12, false, p, msg, matrix)) << length << ": " << msg;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].size(), rows[0].size()) << length << " row " << i;
            EXPECT_EQ(degap(rows[i]), input[i]) << length << " row " << i;
        }
        EXPECT_EQ(static_cast<std::int32_t>(12 * (rows[0].size() + 1) + 1), needed) << length;
    }
}

TEST(AlignWithMap, EngineFailureMessageComesBackTrimmed)
{
    auto seqs = family(1, 3, 20, "ACGT");
    const auto before = seqs;
    MapParams p;
    p.gapOpen = -1;
    std::string msg, matrix;
    EXPECT_FALSE(sequence::AlignWithMAP(seqs, 3, false, p, msg, matrix));
    EXPECT_EQ(msg, "The gap-open penalty or gap-extend penalty is a nonnegative integer");
    EXPECT_EQ(seqs, before);
}

TEST(SubMatData, InstalledFilesHoldThePublishedScores)
{
    using sequence::SubMatKind;
    const auto aa = sequence::InstalledSubMats(SubMatKind::AminoAcid);
    ASSERT_EQ(aa.size(), 25u);
    EXPECT_EQ(sequence::EncodeSubMatFile(SubMatKind::AminoAcid).size(), 25u * 1260u);
    EXPECT_EQ(sequence::EncodeSubMatFile(SubMatKind::Nucleotide).size(), 2u * 540u);
    const auto blosum = sequence::ReadSubMatRecord(sequence::SubMatFilePath(SubMatKind::AminoAcid),
                                                   SubMatKind::AminoAcid, 7, true);
    EXPECT_EQ(blosum.name, "Blosum62");
    EXPECT_EQ(blosum.values, aa[7].values);
    auto at = [&](const std::vector<std::int32_t>& v, const std::string& alphabet, char a, char b) {
        auto k = alphabet.find(a), l = alphabet.find(b);
        if (l > k)
            std::swap(k, l);
        return v[k * (k + 1) / 2 + l];
    };
    const std::string abc = "ARNDCQEGHILKMFPSTWYVBZX*";
    struct Pair {
        char a, b;
        int score;
    } blosumPairs[] = {{'W', 'W', 11}, {'C', 'C', 9}, {'A', 'A', 4}, {'W', 'C', -2}, {'I', 'V', 3},
                       {'D', 'B', 4},  {'E', 'Z', 4}, {'*', '*', 1}, {'*', 'A', -4}, {'X', 'P', -2}};
    for (const auto& pr : blosumPairs)
        EXPECT_EQ(at(blosum.values, abc, pr.a, pr.b), pr.score) << pr.a << pr.b;

    const std::string nuc = "ACGTRYMWSKDHVBN";
    const auto iub = sequence::ReadSubMatRecord(sequence::SubMatFilePath(SubMatKind::Nucleotide),
                                                SubMatKind::Nucleotide, 0, false);
    const auto bias = sequence::ReadSubMatRecord(sequence::SubMatFilePath(SubMatKind::Nucleotide),
                                                 SubMatKind::Nucleotide, 1, false);
    EXPECT_EQ(iub.name, "Standard IUB");
    EXPECT_EQ(bias.name, "Transition bias");
    struct NucPair {
        char a, b;
        int iub, bias;
    } nucPairs[] = {{'A', 'A', 10, 10}, {'A', 'G', 0, 5}, {'C', 'T', 0, 5}, {'A', 'C', 0, 0},
                    {'A', 'R', 5, 8},   {'A', 'N', 3, 4}, {'N', 'N', 3, 4}};
    for (const auto& pr : nucPairs) {
        EXPECT_EQ(at(iub.values, nuc, pr.a, pr.b), pr.iub) << pr.a << pr.b;
        EXPECT_EQ(at(bias.values, nuc, pr.a, pr.b), pr.bias) << pr.a << pr.b;
    }
    // Positions not carried are blank records, which the front end refuses.
    EXPECT_EQ(sequence::ReadSubMatRecord(sequence::SubMatFilePath(SubMatKind::AminoAcid), SubMatKind::AminoAcid, 0, true)
                  .name,
              "");
}

} // namespace
