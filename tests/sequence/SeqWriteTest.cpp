#include "sequence/SeqWrite.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/runtime/Clock.h"
#include "sequence/cSeqFmt.h"
#include "tests/sequence/SeqTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using platform::Answer;
using sequence::SequenceSet;
using testsupport::readFile;

SequenceSet makeSet(std::vector<std::string> names, std::vector<std::string> seqs, std::string type = "")
{
    SequenceSet set;
    set.numSeq = static_cast<std::int32_t>(seqs.size());
    set.name = std::move(names);
    set.seq = std::move(seqs);
    set.maxLen = 0; // deliberately stale: writers use the true longest length
    set.seqType = std::move(type);
    return set;
}

class SeqWriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::rt::setNowOverride([] { return platform::rt::DateTime{2026, 12, 8, 9, 5, 0}; });
    }
    void TearDown() override { platform::rt::setNowOverride({}); }

    std::filesystem::path file(const std::string& name) const { return m_dir.file(name); }

    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scope{boxes};

private:
    testsupport::TempDir m_dir;
};

struct LayoutCase {
    const char* label;
    std::int16_t code;
    std::vector<Answer> answers;
    std::string expected;
};

TEST_F(SeqWriteTest, EveryFormatIsWrittenByteForByte)
{
    const SequenceSet set = makeSet({"seq1", "seq2"}, {"ACGTACGTACGT", "ACGTTCGTACGA"});
    const LayoutCase cases[] = {
        {"MEGA", 0, {},
         "#mega\r\nTITLE demo\r\n      Number of Sequences: 2. Sequence Length: 12 \r\n"
         "      Output on Tuesday, December 8, 2026\r\n"
         "\r\n#seq1\r\nACGTACGTACGT\r\n\r\n#seq2\r\nACGTTCGTACGA\r\n"},
        {"IntelliGenetics", 1, {},
         ";  12  bp. Converted from file: \r\nseq1\r\nACGTACGTACGT\r\n"
         ";  12  bp. Converted from file: \r\nseq2\r\nACGTTCGTACGA\r\n"},
        {"FASTA", 2, {}, ">seq1  12  bases\r\nACGTACGTACGT\r\n>seq2  12  bases\r\nACGTTCGTACGA\r\n"},
        {"PAML", 3, {}, "  2    12 \r\n\r\nseq1\r\nACGTACGTACGT\r\n\r\nseq2\r\nACGTTCGTACGA\r\n"},
        {"GenBank", 4, {},
         "LOCUS       seq1     12 bp DNA 08-Dec-2026\r\nBASE COUNT  3  a  3  c  3  g  3 t\r\nORIGIN\r\n"
         "       1  ACGTACGTAC GT\r\n//\r\n"
         "LOCUS       seq2     12 bp DNA 08-Dec-2026\r\nBASE COUNT  3  a  3  c  3  g  3 t\r\nORIGIN\r\n"
         "       1  ACGTTCGTAC GA\r\n//\r\n"},
        {"GCG single", 5, {Answer::No},
         "LOCUS     seq1     12 bp DNA 08-Dec-2026\r\nBASE COUNT  3  a  3  c  3  g  3 t ..\r\n"
         "       1  ACGTACGTAC GT\r\n\r\n"
         "LOCUS     seq2     12 bp DNA 08-Dec-2026\r\nBASE COUNT  3  a  3  c  3  g  3 t ..\r\n"
         "       1  ACGTTCGTAC GA\r\n\r\n"},
        {"MSF", 6, {},
         "!!NA_MULTIPLE_ALIGNMENT 1.0\r\n\r\n"
         "  MSF:  12   Type: N Dec 8 2026 9:5  Check:    17605 ..\r\n\r\n"
         "Name: seq1             Len:  12  Check:    17605  Weight:  1.00\r\n"
         "Name: seq2             Len:  12  Check:    29531  Weight:  1.00\r\n"
         "\r\n//\r\n\r\nseq1 ACGTACGTAC GT\r\nseq2 ACGTTCGTAC GA\r\n\r\n"},
        {"PHYLIP", 7, {Answer::No}, "  2      12 \r\nseq1       ACGTACGTAC GT\r\nseq2       ACGTTCGTAC GA\r\n"},
        {"EMBL", 8, {},
         "ID   seq1 standard; DNA; UNC; 12 BP.\r\nDE   seq1  12  bases,17605 checksum.\r\nSQ          12 BP\r\n     ACGTACGTAC GT\r\n//\r\n"
         "ID   seq2 standard; DNA; UNC; 12 BP.\r\nDE   seq2  12  bases,29531 checksum.\r\nSQ          12 BP\r\n     ACGTTCGTAC GA\r\n//\r\n"},
        {"DNA Strider", 9, {},
         "; ### from DNA Strider ;-)\r\n; DNA sequence  seq1  12  bases.\r\n;\r\nACGTACGTACGT\r\n//\r\n"
         "; ### from DNA Strider ;-)\r\n; DNA sequence  seq2  12  bases.\r\n;\r\nACGTTCGTACGA\r\n//\r\n"},
        {"Fitch", 10, {},
         "seq1             12  bases,  17605  checksum.\r\n ACG TAC GTA CGT \r\n"
         "seq2             12  bases,  29531  checksum.\r\n ACG TTC GTA CGA \r\n"},
        {"PIR", 11, {},
         "\\\\\\\r\nENTRY           seq1  DNA\r\nTITLE           seq1   12  bases;  17605  checksum.\r\n"
         "SEQUENCE        \r\n                  5        10        15        20        25        30\r\n"
         "       1  A C G T A C G T A C G T \r\n///\r\n"
         "\\\\\\\r\nENTRY           seq2  DNA\r\nTITLE           seq2   12  bases;  29531  checksum.\r\n"
         "SEQUENCE        \r\n                  5        10        15        20        25        30\r\n"
         "       1  A C G T T C G T A C G A \r\n///\r\n"},
        {"NEXUS", 12, {},
         "#NEXUS\r\n[ -- data title]\r\n\r\n"
         "[Name: seq1              Len: 12  Check:    17605]\r\n"
         "[Name: seq2              Len: 12  Check:    29531]\r\n\r\n\r\n"
         "begin data;\r\n dimensions ntax=2 nchar=12;\r\n format datatype=DNA interleave missing=-;\r\n"
         "  matrix\r\nseq1 ACGTACGTACGT\r\nseq2 ACGTTCGTACGA\r\n;\r\nend;\r\n"},
        {"NBRF", 13, {},
         ">DL;seq1\r\nseq1 - 12 bases, 17605 checksum.\r\n ACGTACGTAC GT*\r\n\r\n"
         ">DL;seq2\r\nseq2 - 12 bases, 29531 checksum.\r\n ACGTTCGTAC GA*\r\n\r\n"},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.label);
        boxes.type("demo");
        for (Answer a : c.answers) {
            boxes.answer(a);
        }
        const auto path = file("out.txt");
        seqtest::RecordingProgress progress;
        EXPECT_TRUE(SeqWrite::WriteSeqFile(path, c.code, set, &progress));
        EXPECT_EQ(readFile(path), c.expected);
        EXPECT_EQ(progress.minimum, 0);
        EXPECT_EQ(progress.value, 0);
        boxes.clear();
    }
}

TEST_F(SeqWriteTest, HeaderLinesOfLargerSets)
{
    const std::string s120(120, 'A');
    const SequenceSet three = makeSet({"a", "b", "c"}, {s120, s120, s120});
    boxes.answer(Answer::No);
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("p.phy"), 7, three, nullptr));
    EXPECT_EQ(readFile(file("p.phy")).substr(0, 15), "  3      120 \r\n");

    boxes.type("t");
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("m.meg"), 0, three, nullptr));
    const std::string mega = readFile(file("m.meg"));
    EXPECT_NE(mega.find("      Number of Sequences: 3. Sequence Length: 120 \r\n"), std::string::npos);
    // 120 residues make exactly two lines of 60 and no empty line after them.
    EXPECT_NE(mega.find("\r\n#c\r\n" + std::string(60, 'A') + "\r\n" + std::string(60, 'A') + "\r\n"),
              std::string::npos);
    EXPECT_EQ(SeqWrite::Lines60(s120, 120), std::string(60, 'A') + "\r\n" + std::string(60, 'A') + "\r\n");
    EXPECT_EQ(SeqWrite::Lines60(s120 + "C", 121), std::string(60, 'A') + "\r\n" + std::string(60, 'A') + "\r\nC\r\n");
    EXPECT_EQ(SeqWrite::Lines60("AC", 61), "AC\r\n\r\n");
    EXPECT_EQ(SeqWrite::Lines60("", 0), "");
}

TEST_F(SeqWriteTest, GenBankOfFiftyBasesHasAnEmptyLineBeforeTheEnd)
{
    const SequenceSet one = makeSet({"x"}, {std::string(50, 'c')});
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("x.gb"), 4, one, nullptr));
    const std::string text = readFile(file("x.gb"));
    EXPECT_EQ(text.substr(text.size() - 81),
              "ORIGIN\r\n       1  cccccccccc cccccccccc cccccccccc cccccccccc cccccccccc \r\n\r\n//\r\n");
    EXPECT_NE(text.find("BASE COUNT  0  a  50  c  0  g  0 t\r\n"), std::string::npos);
}

TEST_F(SeqWriteTest, ProteinSetsAreLabelledAsProtein)
{
    const SequenceSet prot = makeSet({"p1", "p2"}, {"MKV*", "MKVA"}, "AA");
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("p.fas"), 2, prot, nullptr));
    EXPECT_EQ(readFile(file("p.fas")), ">p1  4  aa\r\nMKV*\r\n>p2  4  aa\r\nMKVA\r\n");
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("p.nbr"), 13, prot, nullptr));
    const std::string nbrf = readFile(file("p.nbr"));
    EXPECT_EQ(nbrf.substr(0, 8), ">P1;p1\r\n");
    EXPECT_NE(nbrf.find(">F1;p2\r\n"), std::string::npos);
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("p.nex"), 12, prot, nullptr));
    EXPECT_NE(readFile(file("p.nex")).find(" format datatype=Protein interleave"), std::string::npos);
    // The protein kind fills the columns before the name: a blank keeps them apart.
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("p.str"), 9, prot, nullptr));
    EXPECT_NE(readFile(file("p.str")).find("\r\n; Prot. seqeunce p2  4  bases.\r\n"), std::string::npos)
        << readFile(file("p.str"));
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("p.msf"), 6, prot, nullptr));
    EXPECT_EQ(readFile(file("p.msf")).substr(0, 54), "!!AA_MULTIPLE_ALIGNMENT 1.0\r\n\r\n  MSF:  4   Type: P Dec");
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("p.emb"), 8, prot, nullptr));
    EXPECT_EQ(readFile(file("p.emb")).substr(0, 33), "ID   p1 standard; PRT; UNC; 4 AA.");
    EXPECT_TRUE(SeqWrite::OutFASTA(file("n.fas"), prot.seq, prot.name, 1, nullptr));
    EXPECT_EQ(readFile(file("n.fas")), ">p1  4 \r\nMKV*\r\n");
}

TEST_F(SeqWriteTest, NexusWritesRnaSetsAsDnaWithoutChangingThem)
{
    SequenceSet rna = makeSet({"r1"}, {"ACGUACGUACGU"});
    rna.isRNA = true;
    rna.seqType = "NonProtein";
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("r.nex"), 12, rna, nullptr));
    const std::string text = readFile(file("r.nex"));
    EXPECT_NE(text.find("datatype=DNA"), std::string::npos);
    EXPECT_NE(text.find("r1 ACGTACGTACGT\r\n"), std::string::npos);
    EXPECT_NE(text.find("Check:     5526]"), std::string::npos);
    EXPECT_EQ(rna.seq[0], "ACGUACGUACGU");
}

TEST_F(SeqWriteTest, LayoutsOverTheLongestLengthNeverRepeatResidues)
{
    const SequenceSet set = makeSet({"longname12", "b"}, {"ACGTACGTACGT", "ACGTACG"});
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("e.emb"), 8, set, nullptr));
    const std::string embl = readFile(file("e.emb"));
    EXPECT_NE(embl.find("ID   longname1 standard; DNA; UNC; 12 BP.\r\n"), std::string::npos);
    // Each record gives and lays out its own sequence: no blocks without residues.
    EXPECT_NE(embl.find("ID   b standard; DNA; UNC; 7 BP.\r\nDE   b  7  bases,"), std::string::npos) << embl;
    EXPECT_NE(embl.find("SQ          7 BP\r\n     ACGTACG\r\n//"), std::string::npos) << embl;
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("n.nbr"), 13, set, nullptr));
    EXPECT_NE(readFile(file("n.nbr")).find("b - 12 bases, "), std::string::npos);
    EXPECT_NE(readFile(file("n.nbr")).find("\r\n ACGTACG *\r\n"), std::string::npos);
    // The caller's names stay whole.
    EXPECT_EQ(set.name[0], "longname12");
}

TEST_F(SeqWriteTest, PhylipQuestionsDecideDotsAndNameWidth)
{
    const SequenceSet set = makeSet({"a_long_name_1", "b"}, {"ACGTA", "ACTTA"});
    boxes.answer(Answer::Yes).answer(Answer::No);
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("d.phy"), 7, set, nullptr));
    ASSERT_EQ(boxes.calls().size(), 2U);
    EXPECT_EQ(boxes.calls()[0].text, "Do you wish to output in dot format?");
    EXPECT_EQ(boxes.calls()[0].style, 68);
    EXPECT_EQ(boxes.calls()[1].text, "Do you want to limit file name to 10 characters long?");
    EXPECT_EQ(readFile(file("d.phy")), "  2      5 \r\na_long_name_1 ACGTA\r\nb             ..T..\r\n");
    EXPECT_EQ(set.seq[1], "ACTTA");

    boxes.clear();
    boxes.answer(Answer::No).answer(Answer::Yes);
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("c.phy"), 7, set, nullptr));
    EXPECT_EQ(readFile(file("c.phy")), "  2      5 \r\na_long_nam ACGTA\r\nb          ACTTA\r\n");
}

TEST_F(SeqWriteTest, GcgOfSeveralSequencesCanBecomeMsf)
{
    const SequenceSet set = makeSet({"a", "b"}, {"ACGT", "ACGA"});
    boxes.answer(Answer::Yes);
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("g.gcg"), 5, set, nullptr));
    EXPECT_EQ(boxes.last().text,
              "You have chosen GCG single sequence format, but there are 2 sequences in Brisco. Do you wish to "
              "write the sequences out using GCG's multiple sequence format (MSF)?");
    EXPECT_EQ(readFile(file("g.gcg")).substr(0, 40), "!!NA_MULTIPLE_ALIGNMENT 1.0\r\n\r\n  MSF:  4");
}

TEST_F(SeqWriteTest, RefusalsLeaveAnExistingFileAsItWas)
{
    const auto path = file("keep.txt");
    testsupport::writeFile(path, "precious");
    const SequenceSet unequal = makeSet({"a", "b"}, {"ACGT", "ACG"});

    EXPECT_FALSE(SeqWrite::WriteSeqFile(path, 0, unequal, nullptr));
    EXPECT_EQ(boxes.last().title, "Warning!");
    EXPECT_EQ(boxes.last().text, "The sequences are not of equal lengths and may not have been aligned. It makes no "
                                 "sense to output in the MEGA format. Operation aborted.");
    EXPECT_FALSE(SeqWrite::WriteSeqFile(path, 3, unequal, nullptr));
    EXPECT_EQ(boxes.last().text, "The sequences are not of equal lengths and may not have been aligned. It makes no "
                                 "sense to output in PAML format. Operation aborted.");
    EXPECT_FALSE(SeqWrite::WriteSeqFile(path, 14, unequal, nullptr));
    EXPECT_EQ(boxes.last().text, "Unknown format.");
    EXPECT_EQ(boxes.last().style, 0);
    EXPECT_EQ(readFile(path), "precious");

    const SequenceSet broken = makeSet({"a", "b"}, {"AC\r\nGT", "ACGT"});
    const SequenceSet badName = makeSet({"a\nb", "b"}, {"ACGT", "ACGT"});
    SequenceSet overCount = makeSet({"a"}, {"ACGT"});
    overCount.numSeq = 2;
    const SequenceSet empty = makeSet({}, {});
    for (std::int16_t code = 0; code <= 13; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(testsupport::errorNumber([&] { SeqWrite::WriteSeqFile(path, code, broken, nullptr); }), 5);
        EXPECT_EQ(testsupport::errorNumber([&] { SeqWrite::WriteSeqFile(path, code, badName, nullptr); }), 5);
        EXPECT_EQ(testsupport::errorNumber([&] { SeqWrite::WriteSeqFile(path, code, overCount, nullptr); }), 9);
        EXPECT_EQ(testsupport::errorNumber([&] { SeqWrite::WriteSeqFile(path, code, empty, nullptr); }), 5);
    }
    EXPECT_EQ(readFile(path), "precious");
    EXPECT_FALSE(std::filesystem::exists(file("never.txt")));
    EXPECT_EQ(testsupport::errorNumber([&] { SeqWrite::WriteSeqFile(file("never.txt"), 14, broken, nullptr); }), 0);
    EXPECT_FALSE(std::filesystem::exists(file("never.txt")));
}

TEST_F(SeqWriteTest, UnwritableFolderRaisesAFileErrorAndLeavesNoTemporaryFile)
{
    const SequenceSet set = makeSet({"a"}, {"ACGT"});
    EXPECT_EQ(testsupport::errorNumber([&] { SeqWrite::WriteSeqFile(file("no/such/dir/x.fas"), 2, set, nullptr); }),
              76);
    std::filesystem::create_directory(file("taken"));
    // A folder in the way of the file: it cannot be replaced.
    EXPECT_EQ(testsupport::errorNumber([&] { SeqWrite::WriteSeqFile(file("taken"), 2, set, nullptr); }), 75);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(file(""))) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(SeqWriteTest, WrittenFilesAreRecognisedByTheirContent)
{
    const std::string a = "ACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTACGTA";
    const std::string b = "ACGTTCGTACGAACGTTCGTACGAACGTTCGTACGAACGTTCGTA";
    const SequenceSet set = makeSet({"seq1", "seq2"}, {a, b});
    const std::pair<std::int16_t, int> expected[] = {{0, 0},  {1, 1},   {2, 3},   {3, 4},   {4, 6},
                                                     {5, 7},  {6, 8},   {7, 9},   {8, 11},  {9, 12},
                                                     {10, 13}, {11, 16}, {12, 17}, {13, 18}};
    for (auto [code, input] : expected) {
        SCOPED_TRACE(code);
        boxes.type("title");
        boxes.answer(Answer::No);
        const auto path = file("round.txt");
        ASSERT_TRUE(SeqWrite::WriteSeqFile(path, code, set, nullptr));
        EXPECT_EQ(sequence::gSeqFmt().GetFileType(path), input);
        EXPECT_EQ(sequence::gSeqFmt().GetFileTypeStr(readFile(path)), input);
        boxes.clear();
    }
}

TEST_F(SeqWriteTest, LongNamesNeverRunIntoTheNextField)
{
    const std::string longName = "a_name_of_exactly_24_chr";
    const SequenceSet set = makeSet({longName, "b"}, {"ACGTACGTAC", "ACGTTCGTAC"});
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("long.msf"), 6, set, nullptr));
    const std::string msf = readFile(file("long.msf"));
    EXPECT_NE(msf.find("Name: " + longName + " Len:  10"), std::string::npos) << msf;
    EXPECT_NE(msf.find("Name: b                Len:  10"), std::string::npos) << msf;
    ASSERT_TRUE(SeqWrite::WriteSeqFile(file("long.nex"), 12, set, nullptr));
    const std::string nexus = readFile(file("long.nex"));
    EXPECT_NE(nexus.find("[Name: " + longName + " Len: 10"), std::string::npos) << nexus;
    // A caller's narrower name column cuts the name where the blocks cut it.
    ASSERT_TRUE(SeqWrite::OutMSF(file("cut.msf"), set.seq, set.name, 2, nullptr, "", 20));
    const std::string cut = readFile(file("cut.msf"));
    EXPECT_NE(cut.find("Name: a_name_of_exactly_24 Len:"), std::string::npos) << cut;
    EXPECT_NE(cut.find("\r\na_name_of_exactly_24 ACGTACGTAC"), std::string::npos) << cut;
}

// Names and residues of a FASTA file.
std::vector<std::pair<std::string, std::string>> readFasta(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> records;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] == '>') {
            records.emplace_back(line.substr(1, line.find_first_of(" \t") - 1), "");
        } else if (!records.empty()) {
            records.back().second += line;
        }
    }
    return records;
}

// The aligner reads FASTA, MSF, EMBL and NBRF/PIR; it reads no NEXUS file,
// not even its own, and none of the other formats.
TEST_F(SeqWriteTest, ClustalwReadsBackEveryFormatItReads)
{
    if (std::system("command -v clustalw >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "clustalw is not installed";
    }
    const std::string a = "ACGTACGTTAGCATCGATCGATCGGATCGATCGATTACGACGTACGTTAGCATCGATCGATCGGATCGATCGATTAC";
    const std::string b = "ACGTACGTTAGCATCGATCG--CGGATCGATCGATTACGACGTACGTTAGCATCGATCGATCGGATCGATCGATTAC";
    const std::string c = "ACGTACGTTAGCATCGTTCGATCGGATCGATCGATTACGACGTACGTTAGCATCGATCGATCGGATCGAACGATTAC";
    const std::vector<std::string> names{"alpha", "a_name_of_exactly_24_chr", "gamma"};
    const SequenceSet nucleotides = makeSet(names, {a, b, c});
    const SequenceSet protein = makeSet(names, {"MKVLAAGIVGLLLAQSTHAEDKWLSSAAHQRTMPYGEYIAAKDLQRLHG",
                                                "MKVLAAGIVGLLLAQ-THAEDKWLSSAAHQRTMPYGEYIAAKDLQRLHG",
                                                "MKVLSAGIVGLLLAQSTHAEDKWLSSAAHQRTMPYGEFIAAKDLQRLHG"},
                                        "AA");
    struct Row {
        const char* label;
        std::int16_t code;
        const char* file;
        std::size_t nameLength;  // EMBL records carry the first 9 characters of a name
    };
    const Row rows[] = {
        {"FASTA", 2, "in.fas", 30}, {"MSF", 6, "in.msf", 30}, {"EMBL", 8, "in.emb", 9}, {"NBRF", 13, "in.pir", 30},
    };
    for (const Row& row : rows) {
      for (const SequenceSet* setp : {&nucleotides, &protein}) {
        const SequenceSet& set = *setp;
        SCOPED_TRACE(std::string(row.label) + (setp == &protein ? " protein" : " nucleotide"));
        testsupport::TempDir dir;
        ASSERT_TRUE(SeqWrite::WriteSeqFile(dir.file(row.file), row.code, set, nullptr));
        const std::string command = "cd '" + dir.path().string() + "' && clustalw -INFILE=" + row.file +
                                    " -CONVERT -OUTPUT=FASTA -OUTFILE=out.fasta >clustalw.log 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << readFile(dir.file("clustalw.log"));
        const auto records = readFasta(readFile(dir.file("out.fasta")));
        ASSERT_EQ(records.size(), 3u) << readFile(dir.file("clustalw.log")) << readFile(dir.file(row.file));
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(records[i].first, names[i].substr(0, row.nameLength));
            EXPECT_EQ(records[i].second, set.seq[i]) << names[i];
        }
      }
    }
}

} // namespace

namespace {

// Biopython, run by the system's Python, reads the file in one of its formats
// and prints each record as name, tab, residues. Its warnings (a sequence
// line without coordinates, say) go to the log; any refusal fails the read.
constexpr const char* kBiopythonReader = R"(
import sys, warnings
warnings.simplefilter('ignore')
from Bio import SeqIO, AlignIO
kind, fmt, path = sys.argv[1:4]
records = list(AlignIO.read(path, fmt)) if kind == 'alignment' else list(SeqIO.parse(path, fmt))
if not records:
    sys.exit('no records')
for r in records:
    print(r.id + '\t' + str(r.seq))
)";

bool biopythonInstalled()
{
    return std::system("/usr/bin/python3 -c 'import Bio' >/dev/null 2>&1") == 0;
}

// Peers read every file the writers make in a format they know: Biopython's
// readers each format it has one for, with every name and every residue, for
// nucleotide and protein sets alike.
TEST_F(SeqWriteTest, BiopythonReadsBackEveryFormatItHasAReaderFor)
{
    if (!biopythonInstalled()) {
        GTEST_SKIP() << "Biopython is not importable by /usr/bin/python3 (scripts/bootstrap --test installs it)";
    }
    testsupport::TempDir dir;
    const auto script = dir.file("read.py");
    testsupport::writeFile(script, kBiopythonReader);
    const std::string a = "ACGTACGTTAGCATCGATCGATCGGATCGATCGATTACGACGTACGTTAGCATCGATCGATCGGATCGATCGATTACGTAC";
    const std::string b = "ACGTACGTTAGCATCGATCG--CGGATCGATCGATTACGACGTACGTTAGCATCGATCGATCGGATCGATCGATTACGTAC";
    const std::string c = "ACGTACGTTAGCATCGTTCGATCGGATCGATCGATTACGACGTACGTTAGCATCGATCGATCGGATCGAACGATTACGTAC";
    const std::string pa = "MKVLAAGIVGLLLAQSTHAEDKWLSSAAHQRTMPYGEYIAAKDLQRLHG";
    const std::string pb = "MKVLAAGIVGLLLAQ-THAEDKWLSSAAHQRTMPYGEYIAAKDLQRLHG";
    const std::string pc = "MKVLSAGIVGLLLAQSTHAEDKWLSSAAHQRTMPYGEFIAAKDLQRLHG";
    const std::vector<std::string> names{"alpha", "a_name_of_exactly_24_chr", "gamma"};
    const SequenceSet dna = makeSet(names, {a, b, c}, "NonProtein");
    const SequenceSet protein = makeSet(names, {pa, pb, pc}, "AA");
    struct Row {
        const char* label;
        std::int16_t code;
        const char* kind;
        const char* format;
        std::size_t nameLength;  // EMBL cuts names to 9 characters, PHYLIP (asked) to 10
    };
    const Row rows[] = {
        {"IntelliGenetics", 1, "records", "ig", 30},
        {"FASTA", 2, "records", "fasta", 30},
        {"GenBank", 4, "records", "genbank", 30},
        {"MSF", 6, "alignment", "msf", 30},
        {"PHYLIP", 7, "alignment", "phylip", 10},
        {"EMBL", 8, "records", "embl", 9},
        {"NEXUS", 12, "alignment", "nexus", 30},
        {"NBRF", 13, "records", "pir", 30},
    };
    for (const SequenceSet* set : {&dna, &protein}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.label) + (set == &protein ? " protein" : " nucleotide"));
            boxes.clear();
            boxes.answer(Answer::No).answer(Answer::Yes);  // PHYLIP: no dot form; names cut to 10
            const auto path = dir.file("out.seq");
            ASSERT_TRUE(SeqWrite::WriteSeqFile(path, row.code, *set, nullptr));
            const std::string command = "/usr/bin/python3 '" + script.string() + "' " + row.kind + " " + row.format +
                                        " '" + path.string() + "' >'" + dir.file("bio.out").string() + "' 2>'" +
                                        dir.file("bio.err").string() + "'";
            EXPECT_EQ(std::system(command.c_str()), 0) << readFile(dir.file("bio.err")) << readFile(path);
            std::vector<std::pair<std::string, std::string>> records;
            std::istringstream out(readFile(dir.file("bio.out")));
            std::string line;
            while (std::getline(out, line)) {
                const auto tab = line.find('\t');
                records.emplace_back(line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1));
            }
            ASSERT_EQ(records.size(), 3u) << readFile(dir.file("bio.err")) << readFile(path);
            for (std::size_t i = 0; i < 3; ++i) {
                EXPECT_EQ(records[i].first, names[i].substr(0, row.nameLength));
                EXPECT_EQ(records[i].second, set->seq[i]) << names[i];
            }
        }
    }
}

} // namespace
