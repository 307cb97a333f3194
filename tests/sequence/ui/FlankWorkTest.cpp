#include "sequence/ui/FlankWork.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Error.h"
#include "tests/support/TestSupport.h"

namespace {

using sequence::SequenceSet;

SequenceSet makeSet(std::vector<std::string> names, std::vector<std::string> seqs)
{
    SequenceSet s;
    s.numSeq = static_cast<std::int32_t>(seqs.size());
    s.name = std::move(names);
    s.seq = std::move(seqs);
    return s;
}

// Writes a canned alignment into the folder it is given, and remembers it.
class FakeAligner final : public sequence::Aligner {
public:
    explicit FakeAligner(std::string aln) : m_aln(std::move(aln)) {}
    void run(const std::filesystem::path& folder, const std::string& commandLine) override
    {
        folderSeen = folder;
        command = commandLine;
        inputSeen = testsupport::readFile(folder / "clustal.fas");
        if (!m_aln.empty()) {
            testsupport::writeFile(folder / "clustal.aln", m_aln);
        }
    }
    std::filesystem::path folderSeen;
    std::string command;
    std::string inputSeen;

private:
    std::string m_aln;
};

const std::string Seq1 = std::string(25, 'A') + std::string(25, 'C');
const std::string Seq2 = std::string(25, 'A') + std::string(24, 'C');

TEST(FlankWork, FormatsThatNeedAnAlignmentAreRefusedUntilTheSetIsAligned)
{
    SequenceSet left = makeSet({"a", "b"}, {"ACGT", "ACG"});
    SequenceSet right;
    sequence::FlankWork work(left, right);
    const std::map<int, std::string> refused = {{0, "MEGA format"},
                                                {3, "PAML format"},
                                                {6, "GCG multi-sequence format"},
                                                {7, "PHILIP format"},
                                                {12, "PAUP format"}};
    for (int code = 0; code <= 14; ++code) {
        const auto refusal = work.FormatRefusal(static_cast<std::int16_t>(code));
        const auto it = refused.find(code);
        if (it == refused.end()) {
            EXPECT_FALSE(refusal) << code;
        } else {
            ASSERT_TRUE(refusal) << code;
            EXPECT_EQ(*refusal, it->second +
                                    " requires aligned sequences, but your sequences are not aligned. Operation aborted.");
        }
    }
    left.aligned = true;
    EXPECT_FALSE(work.FormatRefusal(0));
}

TEST(FlankWork, OpensOnTheRightSetWhenTheLeftIsEmptyAndKeepsTheLongestUpToDate)
{
    SequenceSet left;
    SequenceSet right = makeSet({"a"}, {"ACGTACGT"});
    sequence::FlankWork work(left, right);
    EXPECT_FALSE(work.showingLeft());
    EXPECT_EQ(right.maxLen, 8);
}

TEST(FlankWork, SortingByLengthKeepsNamesWithTheirSequences)
{
    SequenceSet left = makeSet({"d", "b", "c", "a"}, {"AAAA", "AA", "CCCC", "A"});
    SequenceSet right;
    sequence::FlankWork work(left, right);
    work.SortByLength();
    EXPECT_EQ(left.seq[0], "A");
    EXPECT_EQ(left.name[0], "a");
    EXPECT_EQ(left.name[1], "b");
    for (std::size_t i = 2; i < 4; ++i) {
        EXPECT_EQ(left.seq[i], left.name[i] == "d" ? "AAAA" : "CCCC");
    }
    work.SortByName();
    EXPECT_EQ(left.name, (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(left.seq, (std::vector<std::string>{"A", "AA", "CCCC", "AAAA"}));
}

TEST(FlankWork, AlignmentIsRefusedForDuplicateNamesAndShortSequences)
{
    SequenceSet left = makeSet({"a", "a"}, {Seq1, Seq1});
    SequenceSet right = makeSet({"a", "b"}, {std::string(49, 'A'), "AC"});
    sequence::FlankWork work(left, right);
    auto refusal = work.AlignRefusal();
    ASSERT_TRUE(refusal);
    EXPECT_TRUE(refusal->critical);
    EXPECT_EQ(refusal->text.rfind("Sequence 2 and Sequence 1 have identical names.", 0), 0U);
    work.showLeft(false);
    refusal = work.AlignRefusal();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "Sequences too short to align reliably. You may just align them by hand.");
    right.seq[0] += "A";
    EXPECT_FALSE(work.AlignRefusal());
}

TEST(FlankWork, AlignmentReplacesTheSetFromAPrivateFolderAndRestoresFullNames)
{
    SequenceSet left = makeSet({"gene one", "gene two"}, {Seq1, Seq2});
    SequenceSet right;
    sequence::FlankWork work(left, right);
    FakeAligner aligner("CLUSTAL 2.1 multiple sequence alignment\n\n\n"
                        "gene     " + Seq1 + "\n"
                        "gene     " + Seq2 + "-\n"
                        "         " + std::string(49, '*') + " \n");
    work.Align(aligner, nullptr);
    EXPECT_EQ(aligner.command, "clustal.fas /type=d /transweight=0.5 /maxdiv=30 /quicktree");
    EXPECT_NE(aligner.inputSeen.find(">gene one"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(aligner.folderSeen)) << "the private folder is removed";
    EXPECT_TRUE(left.aligned);
    EXPECT_EQ(left.maxLen, 50);
    EXPECT_EQ(left.name, (std::vector<std::string>{"gene one", "gene two"}));
    EXPECT_EQ(left.seq[1], Seq2 + "-");

    const std::string report = work.ComparisonReport(nullptr);
    EXPECT_NE(report.find("Number of matched sites        49"), std::string::npos) << report;
    EXPECT_NE(report.find("Number of gaps                  1"), std::string::npos) << report;
}

struct BadAlignment {
    const char* name;
    std::string aln;
};

class FlankWorkBadAlignment : public ::testing::TestWithParam<BadAlignment> {};

TEST_P(FlankWorkBadAlignment, LeavesTheSetAsItWas)
{
    SequenceSet left = makeSet({"s1", "s2"}, {Seq1, Seq2});
    const SequenceSet before = left;
    SequenceSet right;
    sequence::FlankWork work(left, right);
    FakeAligner aligner(GetParam().aln);
    EXPECT_THROW(work.Align(aligner, nullptr), platform::Error);
    EXPECT_FALSE(left.aligned);
    EXPECT_EQ(left.seq, before.seq);
    EXPECT_EQ(left.name, before.name);
    EXPECT_FALSE(std::filesystem::exists(aligner.folderSeen));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlankWorkBadAlignment,
    ::testing::Values(BadAlignment{"noFile", ""},
                      BadAlignment{"oneSequenceMissing", "CLUSTAL\n\n\ns1  " + Seq1 + "\n"},
                      BadAlignment{"otherNames", "CLUSTAL\n\n\nx1  " + Seq1 + "\nx2  " + Seq2 + "-\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FlankWork, SavingMarksOnlyTheSetShown)
{
    testsupport::TempDir dir;
    platform::ScriptedDialogs d;
    platform::ScopedDialogs scope(d);
    SequenceSet left = makeSet({"a", "b"}, {"ACGU", "ACGUA"});
    SequenceSet right = makeSet({"a"}, {"GG"});
    sequence::FlankWork work(left, right);
    ASSERT_TRUE(work.Convert(dir.file("left.fas"), 2, nullptr));
    EXPECT_TRUE(work.leftSaved());
    EXPECT_FALSE(work.rightSaved());
    work.ClearSets();
    EXPECT_EQ(left.numSeq, 0);
    EXPECT_TRUE(left.seq.empty());
    EXPECT_EQ(right.maxLen, 0);
}

} // namespace
