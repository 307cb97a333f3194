#include "sequence/SeqView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using SeqUtil::BufferSet;
using Seqs = std::vector<std::string>;

TEST(SeqView, PositionNumbersEndAboveTheirSiteAndRulerMarksEveryFifth)
{
    EXPECT_EQ(SeqUtil::PositionLine(12), "        10  ");
    EXPECT_EQ(SeqUtil::RulerLine(12), "----|----|--");
    EXPECT_EQ(SeqUtil::PositionLine(100).substr(97, 3), "100");
    EXPECT_EQ(SeqUtil::RulerLine(0), "");
}

TEST(SeqView, AlignedPlainLayoutHasNumbersRulerSequencesAndConsensus)
{
    const Seqs seqs = {"ACGTACGTACGT", "ACGAACGTACGA"};
    const Seqs names = {"ab", "long1"};
    const std::string text = SeqUtil::FormatAlignedPlain(seqs, names, -1, 12, 2, 5, nullptr);
    EXPECT_EQ(text, "      " + std::string("        10  ") + "\r\n" +
                        "      ----|----|--\r\n"
                        "ab    ACGTACGTACGT\r\n"
                        "long1 ACGAACGTACGA\r\n"
                        "      *** ******* \r\n");
}

TEST(SeqView, UnalignedPlainLayoutHasNoConsensusLine)
{
    const Seqs seqs = {"ACGT", "AC"};
    const Seqs names = {"a", "b"};
    const std::string text = SeqUtil::FormatSeqListPlain(seqs, names, -1, 2, 1, nullptr, 4);
    EXPECT_EQ(text, "      \r\n  ----\r\na ACGT\r\nb AC\r\n");
}

struct BufferCase {
    const char* name;
    int count;
    int length;
    bool rna;
    bool countNote;
    bool lengthNote;
    std::size_t shownResidues;
};

class SeqBufferPlainCases : public ::testing::TestWithParam<BufferCase> {};

TEST_P(SeqBufferPlainCases, CapsSequencesAndResiduesWithTheirNotes)
{
    const BufferCase c = GetParam();
    Seqs seqs;
    Seqs names;
    for (int i = 0; i < c.count; ++i) {
        seqs.push_back(std::string(static_cast<std::size_t>(c.length), c.rna ? 'U' : 'A'));
        names.push_back("s" + std::to_string(i));
    }
    const std::string text = SeqUtil::SeqBufferPlain(BufferSet{seqs, names, c.count, false, c.rna, ""}, "FOOT", "",
                                                     nullptr);
    EXPECT_EQ(text.find("There are ") != std::string::npos, c.countNote);
    if (c.countNote) {
        EXPECT_NE(text.find("There are " + std::to_string(c.count) +
                            " sequences in Brisco's buffer. Only the first 500 sequences are displayed below.\r\n\r\n"),
                  std::string::npos);
    }
    EXPECT_EQ(text.find("The longest sequence length = ") != std::string::npos, c.lengthNote);
    const std::size_t nameWidth = ("s" + std::to_string(std::min(c.count, 500) - 1)).size();
    const std::string line0 = "s0" + std::string(nameWidth - 2 + 1, ' ');
    const auto at = text.find("\r\n" + line0);
    ASSERT_NE(at, std::string::npos);
    const auto end = text.find("\r\n", at + 2);
    EXPECT_EQ(end - at - 2 - line0.size(), c.shownResidues);
    EXPECT_EQ(text.find('U'), std::string::npos) << "RNA is shown with T";
    EXPECT_EQ(text.substr(text.size() - 6), "\r\nFOOT");
    const auto rows = static_cast<int>(std::min(c.count, 500));
    EXPECT_NE(text.find("\r\ns" + std::to_string(rows - 1) + " "), std::string::npos);
    EXPECT_EQ(text.find("\r\ns" + std::to_string(rows) + " "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SeqBufferPlainCases,
    ::testing::Values(BufferCase{"small", 3, 20, false, false, false, 20},
                      BufferCase{"exactly500", 500, 10, false, false, false, 10},
                      BufferCase{"over500", 501, 10, false, true, false, 10},
                      BufferCase{"length3000", 2, 3000, false, false, false, 3000},
                      BufferCase{"length3001", 2, 3001, false, false, true, 1000},
                      BufferCase{"rna", 2, 15, true, false, false, 15}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SeqView, EmptySetShowsNoSequenceInBothViews)
{
    const Seqs none;
    EXPECT_EQ(SeqUtil::SeqBufferPlain(BufferSet{none, none, 0, false, false, ""}, "x", "y", nullptr),
              "No sequence in memory.");
    const auto rtf = SeqUtil::SeqBufferRtf(BufferSet{none, none, 0, false, false, ""}, "", "");
    EXPECT_TRUE(rtf.rtf.empty());
    EXPECT_EQ(rtf.plain, "No sequence in memory.");
}

TEST(SeqView, PrefaceComesFirstWithTwoLineBreaks)
{
    const Seqs seqs = {"ACGU"};
    const Seqs names = {"a"};
    const std::string text = SeqUtil::SeqBufferPlain(BufferSet{seqs, names, 1, false, false, ""}, "", "HEAD", nullptr);
    EXPECT_EQ(text.rfind("HEAD\r\n\r\n", 0), 0U);
}

TEST(SeqView, ColouredViewEscapesNamesAndClosesTheDocument)
{
    const Seqs seqs = {"ACGU", "AC-U"};
    const Seqs names = {"a{1}", "b\\2"};
    const auto buffer = SeqUtil::SeqBufferRtf(BufferSet{seqs, names, 2, true, false, ""}, "", "");
    EXPECT_EQ(buffer.rtf.rfind("{\\rtf1", 0), 0U);
    EXPECT_NE(buffer.rtf.find("\\cf0 a\\{1\\} \\cf1 A\\cf2 C\\cf3 G\\cf4 U \\par "), std::string::npos);
    EXPECT_NE(buffer.rtf.find("b\\\\2 "), std::string::npos);
    EXPECT_EQ(buffer.rtf.substr(buffer.rtf.size() - 6), "\\par }");
    EXPECT_FALSE(buffer.note.has_value());
}

TEST(SeqView, ColouredViewOfLongSequencesGivesTheNoteAndCutsThem)
{
    const Seqs seqs = {std::string(3001, 'A')};
    const Seqs names = {"a"};
    const auto buffer = SeqUtil::SeqBufferRtf(BufferSet{seqs, names, 1, false, false, ""}, "", "");
    ASSERT_TRUE(buffer.note.has_value());
    EXPECT_EQ(buffer.note->rfind("The longest sequence length = 3001.\r\nOnly the first 1000 bp are shown.", 0), 0U);
    std::size_t coloured = 0;
    for (std::size_t at = buffer.rtf.find("\\cf1 A"); at != std::string::npos; at = buffer.rtf.find("\\cf1 A", at + 1)) {
        ++coloured;
    }
    EXPECT_EQ(coloured, 1000U);
}

TEST(SeqView, ProteinSetsUseTheLongTableAndBlocksOf62Sites)
{
    const Seqs seqs = {std::string(70, 'V'), std::string(70, 'V')};
    const Seqs names = {"p1", "p2"};
    const std::string rtf = SeqUtil::FormatAlignedRtf(seqs, names, -1, 70, 2, 2, true, nullptr);
    EXPECT_NE(rtf.find("\\red100\\green10\\blue200;"), std::string::npos);
    const auto blockBreak = rtf.find("\\par \\par");
    ASSERT_NE(blockBreak, std::string::npos);
    // 62 sites of each sequence in the first block, 8 in the second.
    const std::string first = rtf.substr(0, blockBreak);
    std::size_t residues = 0;
    for (std::size_t at = first.find("\\cf0 V"); at != std::string::npos; at = first.find("\\cf0 V", at + 1)) {
        ++residues;
    }
    EXPECT_EQ(residues, 124U);
}

} // namespace
