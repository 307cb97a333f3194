#include "sequence/cSeqFmt.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "tests/sequence/SeqTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using sequence::cSeqFmt;

int entries(const std::string& filter)
{
    int bars = 0;
    for (char c : filter) {
        bars += c == '|' ? 1 : 0;
    }
    return (bars + 1) / 2;
}

TEST(cSeqFmt, CataloguesHoldTheirNamesAndPatterns)
{
    const cSeqFmt fmt;
    EXPECT_EQ(fmt.NumInSeqFmt(), 22);
    EXPECT_EQ(fmt.NumOutSeqFmt(), 15);
    EXPECT_EQ(fmt.InSeqFmt(3), "Pearson/FASTA");
    EXPECT_EQ(fmt.InFileExt(3), "*.FAS;*.FASTA;*.FST;*.FFN;*.ffa;*.fsa");
    EXPECT_EQ(fmt.InSeqFmt(21), "Unknown");
    EXPECT_EQ(fmt.OutSeqFmt(2), "Pearson/FASTA");
    EXPECT_EQ(fmt.OutFileExt(14), "*.SK");
    EXPECT_EQ(testsupport::errorNumber([&] { (void)fmt.InSeqFmt(22); }), 9);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)fmt.OutFileExt(-1); }), 9);
}

TEST(cSeqFmt, FiltersHaveOneEntryPerCodeInCodeOrder)
{
    const cSeqFmt fmt;
    const std::string& out = fmt.OutFileFilter();
    EXPECT_EQ(entries(out), 15);
    EXPECT_EQ(out.rfind("MEGA Files (*.MEG)|*.MEG|IntelliGenetics (*.IG)|*.IG|Pearson/FASTA (*.FAS)|*.FAS", 0),
              0U);
    EXPECT_EQ(out.substr(out.size() - 29), "|Kumar's PHYLTEST (*.SK)|*.SK");
    EXPECT_EQ(entries(fmt.InFileFilter()), 22);
    EXPECT_NE(fmt.InFileFilter().find("|Yang's RST (*.RST;*.MP)|*.RST;*.MP|"), std::string::npos);
}

struct DetectCase {
    const char* label;
    std::string text;
    int fromText;
    int fromFile;
};

TEST(cSeqFmt, DetectionRulesGiveTheirCodes)
{
    const std::string fitchLine = "ACG TAC GTA CGT ACG TAC GTA CGT ACG TAC GTA";
    const DetectCase cases[] = {
        {"nexus anywhere", "#mega\r\nTITLE a\r\n[#nexus]\r\n", 17, 17},
        {"mega with title", "#mega\r\nTITLE test\r\n#a\r\nACGT\r\n", 0, 0},
        {"hash without title", "#mega\r\nsomething\r\n", 17, 0},
        {"mega with a title command", "#mega\r\n!Title Flanks of YAL001C;\r\n!Format DataType=DNA;\r\n#a\r\nACGT\r\n",
         0, 0},
        {"mega with an indented title command", "#MEGA\n  !TITLE x;\n", 0, 0},
        {"sequential phylip whose name fills its column", "  2    12\nAAAAAAAAAAACGTACGTACGT\nBBBBBBBBBBACGTACGTACGA\n",
         9, 9},
        {"phylip name filling its column, few sites", "2 4\nname567890ACGT\nname567891ACGA\n", 9, 9},
        {"paml whose name is long", "  2    12\n\nname567890_NM_0001\nACGTACGTACGT\n", 4, 4},
        {"paml whose long name has a few letters past the 10th", "  2    120\n\nlongname12abc\nACGT\n", 4, 4},
        {"nbrf", ">P1;abc\nACGT*\n", 18, 18},
        {"fasta", ">abc\nACGT\n", 3, 3},
        {"genbank", "LOCUS       abc\n", 6, 6},
        {"embl", "ID   abc\n", 11, 11},
        {"clustal any case", "clustal W (1.83)\n\nabc ACGT\n", 5, 5},
        {"phylip", "  3    120\nname      ACGT\n", 9, 9},
        {"paml", "  3    120\n\nname\nACGT\n", 4, 4},
        {"rrna server", "x acc:1\nsrc:2\n", 19, 19},
        {"pileup", "PileUp\n\nx MSF: 3\n", 8, 8},
        {"msf", "x.msf  MSF: 120  Type: N\n", 8, 8},
        {"pir", "\\\\\\\nENTRY x\n", 16, 16},
        {"strider", "; ### from DNA Strider ;-)\n", 12, 12},
        {"intelligenetics", "; comment\nname\nACGT\n", 1, 1},
        {"rst by first word", "Ancestral states\n", 2, 21},
        {"rst by marker words", "x\nancestral reconstruction\n", 21, 2},
        {"pamp", "PAMP output\n", 2, 2},
        {"gcg single", "title\nname\n  12\n  13\n", 7, 7},
        {"fitch", "seq1\r\n" + fitchLine + "\r\n", 13, 13},
        {"not fitch", "seq1\r\n" + std::string(43, 'A') + "\r\n", 21, 21},
        {"double bang with ID", "!!AA\nID x\n", 21, 11},
        {"double bang", "!!XX\nx\n", 21, 0},
        {"gcg 9 nucleotide alignment", "!!NA_MULTIPLE_ALIGNMENT 1.0\n\n x.msf  MSF: 12  Type: N  ..\n", 8, 8},
        {"gcg 9 protein alignment", "!!AA_MULTIPLE_ALIGNMENT 1.0\n\n x.msf  MSF: 12  Type: P  ..\n", 8, 8},
        {"gcg 9 nucleotide sequence", "!!NA_SEQUENCE 1.0\nabc  Length: 12  Type: N  Check: 1  ..\n", 7, 7},
        {"gcg 9 protein sequence", "!!AA_SEQUENCE 1.0\nabc  Length: 12  Type: P  Check: 1  ..\n", 7, 7},
        {"gcg with a genbank header",
         "LOCUS     abc     12 bp DNA 08-Dec-2026\r\nBASE COUNT  3  a  3  c  3  g  3 t ..\r\n", 7, 7},
        {"genbank whose divider follows ORIGIN", "LOCUS  abc\nORIGIN\nx ..\n", 6, 6},
        {"fasta after a byte-order mark", "\xEF\xBB\xBF>abc\nACGT\n", 3, 3},
        {"clustal after a byte-order mark", "\xEF\xBB\xBF" "CLUSTAL W (1.83)\n\nabc ACGT\n", 5, 5},
        {"phylip too large for a number", "1e999 12\nname      ACGT\n", 9, 9},
        {"gcg too large for a number", "title\nname\n1e999\n2e999\n", 7, 7},
        {"negative too large", "-1e999\nname      ACGT\n", 21, 21},
        {"blank lines first", "\r\n   \r\n>abc\r\nACGT\r\n", 3, 3},
        {"lone CR lines", "#mega\rTITLE x\r", 0, 0},
        {"empty", "", 21, 21},
        {"binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\x01\x02", 18), 21, 21},
        {"marker past 400", std::string(401, 'x') + "\n#NEXUS\n", 21, 21},
    };
    const cSeqFmt fmt;
    testsupport::TempDir dir;
    for (const DetectCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(fmt.GetFileTypeStr(c.text), c.fromText);
        const auto path = dir.file("sample.txt");
        testsupport::writeFile(path, c.text);
        EXPECT_EQ(fmt.GetFileType(path), c.fromFile);
    }
}

TEST(cSeqFmt, MissingFileRaisesFileNotFound)
{
    const cSeqFmt fmt;
    testsupport::TempDir dir;
    EXPECT_EQ(testsupport::errorNumber([&] { (void)fmt.GetFileType(dir.file("absent.fas")); }), 53);
}

TEST(cSeqFmt, ValidationAsksOnlyWhenTheContentDisagrees)
{
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scope(boxes);
    cSeqFmt& fmt = sequence::gSeqFmt();
    const std::string genbank = "LOCUS       abc\nORIGIN\n";

    std::int16_t code = 10;
    fmt.ValidateSeqFmtStr(genbank, code);
    EXPECT_EQ(code, 10);
    code = 21;
    fmt.ValidateSeqFmtStr(genbank, code);
    EXPECT_EQ(code, 6);
    EXPECT_TRUE(boxes.calls().empty());

    boxes.answer(platform::Answer::No).answer(platform::Answer::Yes);
    code = 3;
    fmt.ValidateSeqFmtStr(genbank, code);
    EXPECT_EQ(code, 6);
    EXPECT_EQ(fmt.LastAnswer(), 7);
    ASSERT_EQ(boxes.calls().size(), 1U);
    EXPECT_EQ(boxes.last().style, 68);
    EXPECT_EQ(boxes.last().title, "");
    EXPECT_EQ(boxes.last().text,
              "You have asked to read in the following format:\r\n\r\nPearson/FASTA\r\n\r\n"
              "The file might be in a different format:\r\n\r\nGenBank\r\n\r\n"
              "Are you sure your are right about the file format?");

    testsupport::TempDir dir;
    const auto path = dir.file("x.gb");
    testsupport::writeFile(path, genbank);
    code = 3;
    fmt.ValidateSeqFmt(path, code);
    EXPECT_EQ(code, 3);
    EXPECT_EQ(boxes.last().text.rfind("You have asked to read in the file: " + path.string() +
                                          " in the following format:\r\n\r\nPearson/FASTA\r\n\r\n",
                                      0),
              0U);
    EXPECT_EQ(boxes.unscripted(), 0);
}

} // namespace
