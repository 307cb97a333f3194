#include "sequence/ClustalAln.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "sequence/SeqUtil.h"
#include "sequence/SeqWrite.h"
#include "shell/core/StrUtil.h"
#include "tests/sequence/SeqTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using Seqs = std::vector<std::string>;
using sequence::SequenceSet;

const std::string TwoBlocks = "CLUSTAL W (1.83) multiple sequence alignment\r\n"
                              "\r\n"
                              "\r\n"
                              "s1      ACGT-A 6\r\n"
                              "s2      ACGTTA 6\r\n"
                              "s3      AC-TTA 5\r\n"
                              "        ** * *\r\n"
                              "\r\n"
                              "s1      GG\r\n"
                              "s2      GG\r\n"
                              "s3      GA\r\n"
                              "        *\r\n";

// What ReadClustalAln gives for a text read into empty arrays.
struct Alignment {
    Seqs seqs;
    Seqs names;
    std::int32_t numSeq = 0;
    std::int32_t alnLen = 0;
};

Alignment readAln(std::string text)
{
    Alignment read;
    SeqUtil::ReadClustalAln(text, read.seqs, read.names, read.numSeq, read.alnLen);
    return read;
}

TEST(ClustalAln, TwoBlocksGiveWholeSequencesWithFirstBlockNames)
{
    std::string text = TwoBlocks;
    Seqs seqs;
    Seqs names;
    std::int32_t numSeq = 0;
    std::int32_t alnLen = 0;
    SeqUtil::ReadClustalAln(text, seqs, names, numSeq, alnLen);
    EXPECT_EQ(numSeq, 3);
    EXPECT_EQ(names, (Seqs{"s1", "s2", "s3"}));
    EXPECT_EQ(seqs, (Seqs{"ACGT-AGG", "ACGTTAGG", "AC-TTAGA"}));
    EXPECT_EQ(alnLen, 8);
    EXPECT_EQ(text.find('\r'), std::string::npos);

    std::string again = TwoBlocks;
    numSeq = 2;
    SeqUtil::ReadClustalAln(again, seqs, names, numSeq, alnLen);
    EXPECT_EQ(numSeq, 2);
    EXPECT_EQ(names, (Seqs{"s1", "s2"}));
    EXPECT_EQ(seqs.size(), 2U);
}

TEST(ClustalAln, ReadingVariants)
{
    struct Case {
        const char* label;
        std::string text;
        Seqs seqs;
    };
    const Case cases[] = {
        {"blank consensus line", "CLUSTAL\n\na  AC\nb  AG\n      \na  GT\nb  GT\n\n", {"ACGT", "AGGT"}},
        {"star residue and digits", "CLUSTAL\n\na  A*C 3\nb  AGC 3\n", {"A?C", "AGC"}},
        {"last line without a line end", "CLUSTAL\n\na  AC\nb  AG\n\na  GT\nb  GA", {"ACGT", "AGGA"}},
        {"lone CR line breaks", "CLUSTAL\r\ra  AC\rb  AG\r", {"AC", "AG"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const Alignment read = readAln(c.text);
        EXPECT_EQ(read.seqs, c.seqs);
        EXPECT_EQ(read.names, (Seqs{"a", "b"}));
        EXPECT_EQ(read.alnLen, static_cast<std::int32_t>(c.seqs[0].size()));
    }
}

TEST(ClustalAln, BadTextFailsAndLeavesTheCallersArrays)
{
    struct Case {
        const char* label;
        std::string text;
        std::int32_t numSeq;
        int error;
    };
    const Case cases[] = {
        {"empty", "", 0, 9},
        {"title only", "CLUSTAL W\r\n\r\n", 0, 9},
        {"name without residues", "CLUSTAL\n\nabc\ndef\n", 0, 5},
        {"more sequences asked than held", TwoBlocks, 4, 9},
        {"cut off in the second block", "CLUSTAL\n\na  AC\nb  AG\n\na  GT\n", 0, 5},
        {"sequence of digits only", "CLUSTAL\n\na  12\nb  AG\n", 0, 9},
        {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10), 0, 9},
        {"later block names an unknown sequence", "CLUSTAL\n\na  AC\nb  AG\n\na  GT\nc  GA\n\n", 0, 5},
        {"later block lists one sequence twice", "CLUSTAL\n\na  AC\nb  AG\n\na  GT\na  GA\n\n", 0, 5},
        {"repeated names in another order", "CLUSTAL\n\na  AC\na  AG\nb  TT\n\nb  GT\na  GA\na  CC\n\n", 0, 5},
        {"later block longer than the first", "CLUSTAL\n\na  AC\nb  AG\n\na  GT\nb  GA\nb  CC\n\n", 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string text = c.text;
        Seqs seqs{"keep"};
        Seqs names{"me"};
        std::int32_t numSeq = c.numSeq;
        std::int32_t alnLen = 77;
        std::string source;
        EXPECT_EQ(testsupport::errorNumber([&] { SeqUtil::ReadClustalAln(text, seqs, names, numSeq, alnLen); },
                                       &source),
                  c.error);
        EXPECT_EQ(source, "ReadClustalAln");
        EXPECT_EQ(seqs, Seqs{"keep"});
        EXPECT_EQ(names, Seqs{"me"});
        EXPECT_EQ(numSeq, c.numSeq);
        EXPECT_EQ(alnLen, 77);
    }
}

TEST(ClustalAln, TabsAndBlocksInAnotherOrderReadAsTheirNamesSay)
{
    struct Case {
        const char* label;
        std::string text;
        Seqs names;
        Seqs seqs;
    };
    const Case cases[] = {
        {"tab between name and residues", "CLUSTAL\n\nalpha\tACGTA CGTAC\nbeta\tACGTT CGTAC\n\n",
         {"alpha", "beta"}, {"ACGTACGTAC", "ACGTTCGTAC"}},
        {"tabs and blanks mixed", "CLUSTAL\n\nalpha \t ACGTA\t10\nbeta\t\tACGTT\t10\n\t\n",
         {"alpha", "beta"}, {"ACGTA", "ACGTT"}},
        {"second block in reverse order",
         "CLUSTAL\n\nalpha  AAAA\nbeta   CCCC\ngamma  GGGG\n       ****\n\ngamma  TTTT\nbeta   AAAA\nalpha  CCCC\n\n",
         {"alpha", "beta", "gamma"}, {"AAAACCCC", "CCCCAAAA", "GGGGTTTT"}},
        {"repeated names in the same order", "CLUSTAL\n\na  AC\na  AG\n\na  GT\na  GA\n\n",
         {"a", "a"}, {"ACGT", "AGGA"}},
        {"byte-order mark before the title", "\xEF\xBB\xBF" "CLUSTAL\n\na  AC\nb  AG\n\n", {"a", "b"},
         {"AC", "AG"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const Alignment read = readAln(c.text);
        EXPECT_EQ(read.names, c.names);
        EXPECT_EQ(read.seqs, c.seqs);
        EXPECT_EQ(read.numSeq, static_cast<std::int32_t>(c.names.size()));
    }
}

// Clustal layout of a set, as an aligner writes it: blocks of 60 residues
// with names padded to a common column.
std::string clustalText(const Seqs& seqs, const Seqs& names)
{
    std::string out = "CLUSTAL 2.1 multiple sequence alignment\n\n\n";
    for (std::size_t from = 0; from < seqs[0].size(); from += 60) {
        for (std::size_t i = 0; i < seqs.size(); ++i) {
            out += names[i] + std::string(16 - names[i].size(), ' ') + seqs[i].substr(from, 60) + "\n";
        }
        out += std::string(16, ' ') + "*** ..:\n\n";
    }
    return out;
}

TEST(ClustalAln, LayoutOfManyBlocksReadsBackExactly)
{
    const Seqs names{"alpha", "beta", "gamma"};
    Seqs seqs(3);
    for (int i = 0; i < 150; ++i) {
        seqs[0] += "ACGT-"[i % 5];
        seqs[1] += "ACGT"[(i * 7) % 4];
        seqs[2] += "TTGCA-"[(i * 3) % 6];
    }
    const Alignment read = readAln(clustalText(seqs, names));
    EXPECT_EQ(read.seqs, seqs);
    EXPECT_EQ(read.names, names);
    EXPECT_EQ(read.alnLen, 150);
}

TEST(ClustalAln, AlignerOutputOfWrittenFastaReadsBack)
{
    if (std::system("command -v clustalw >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "clustalw is not installed";
    }
    testsupport::TempDir dir;
    const Seqs names{"first", "second", "third"};
    const Seqs seqs{"ACGTACGTTAGCATCGATCGATCGGATCGATCGATTACG", "ACGTACGTAGCATCGATCGTCGGATCGATCGATTACG",
                    "ACGTACGTTAGCATCGATCGATCGGATCGTCGATTACG"};
    ASSERT_TRUE(SeqWrite::OutFASTA(dir.file("in.fas"), seqs, names, 3, nullptr, false));
    const std::string command = "cd '" + dir.path().string() +
                                "' && clustalw -infile=in.fas -outfile=out.aln -type=dna >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const Alignment read = readAln(testsupport::readFile(dir.file("out.aln")));
    ASSERT_EQ(read.numSeq, 3);
    EXPECT_TRUE(SeqUtil::IsEqualLength(3, read.seqs));
    for (std::size_t i = 0; i < 3; ++i) {
        const auto at = std::find(read.names.begin(), read.names.end(), names[i]);
        ASSERT_NE(at, read.names.end());
        std::string ungapped = read.seqs[static_cast<std::size_t>(at - read.names.begin())];
        ungapped.erase(std::remove(ungapped.begin(), ungapped.end(), '-'), ungapped.end());
        EXPECT_EQ(ungapped, seqs[i]);
    }
}

TEST(ClustalAln, Compare2SeqCountsMatchesAndGaps)
{
    std::int32_t match = -1;
    std::int32_t gap = -1;
    SeqUtil::Compare2Seq("AC-T", "AG-T", match, gap);
    EXPECT_EQ(match, 2);
    EXPECT_EQ(gap, 2);
    SeqUtil::Compare2Seq("", "", match, gap);
    EXPECT_EQ(match, 0);
    EXPECT_EQ(gap, 1);
    SeqUtil::Compare2Seq("A-Ca", "AT-A", match, gap);
    EXPECT_EQ(match, 1);
    EXPECT_EQ(gap, 3);
    std::string source;
    std::string description;
    match = 9;
    EXPECT_EQ(testsupport::errorNumber([&] { SeqUtil::Compare2Seq("A", "AC", match, gap); }, &source, &description), 1);
    EXPECT_EQ(source, "Compare2Seq");
    EXPECT_EQ(description, "The two sequences have unequal lengths");
    EXPECT_EQ(match, 9);
}

SequenceSet makeSet(Seqs seqs, bool aligned = true)
{
    SequenceSet set;
    set.numSeq = static_cast<std::int32_t>(seqs.size());
    set.name.assign(seqs.size(), "n");
    set.maxLen = static_cast<std::int32_t>(seqs.empty() ? 0 : seqs[0].size());
    set.seq = std::move(seqs);
    set.aligned = aligned;
    return set;
}

TEST(ClustalAln, SiteEntropiesOfAnAlignedSet)
{
    std::vector<double> value;
    std::vector<std::int32_t> number;
    SeqUtil::NucSiteVarIndex(makeSet({"AG", "AG", "CG"}), 1, value, number, nullptr);
    ASSERT_EQ(value.size(), 2U);
    expectNearRel(value[0], (3 * std::log2(3.0) - 2) / 3, 1e-12);
    expectNearRel(value[0], 0.9182958, 1e-7);
    EXPECT_EQ(value[1], 0.0);
    EXPECT_EQ(number, (std::vector<std::int32_t>{1, 2}));

    // A gap still counts as a sequence; T, U and lower case count as their bases.
    SeqUtil::NucSiteVarIndex(makeSet({"A", "A", "-"}), 1, value, number, nullptr);
    expectNearRel(value[0], std::log2(3.0) - 2.0 / 3.0, 1e-12);
    SeqUtil::NucSiteVarIndex(makeSet({"t", "U", "T"}), 1, value, number, nullptr);
    EXPECT_EQ(value[0], 0.0);

    // A window of 3 averages neighbours, repeating the ends.
    seqtest::RecordingProgress progress;
    SeqUtil::NucSiteVarIndex(makeSet({"AAC", "ACC"}), 3, value, number, &progress);
    EXPECT_EQ(value, (std::vector<double>{1.0 / 3, 1.0 / 3, 1.0 / 3}));
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.value, 0);
}

TEST(ClustalAln, SiteEntropiesRefuseUnalignedSetsAndBadWindows)
{
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scope(boxes);
    std::vector<double> value{42};
    std::vector<std::int32_t> number{42};
    SeqUtil::NucSiteVarIndex(makeSet({"AC", "A"}), 1, value, number, nullptr);
    EXPECT_EQ(boxes.last().text, "Sequence lengths unequal. Please align sequences first");
    EXPECT_EQ(boxes.last().title, "Warning");
    EXPECT_EQ(value, std::vector<double>{42});
    std::string description;
    EXPECT_EQ(testsupport::errorNumber([&] { SeqUtil::NucSiteVarIndex(makeSet({"AC"}), 0, value, number, nullptr); },
                                   nullptr, &description),
              1);
    EXPECT_EQ(description, "WindowSize = 0");
    EXPECT_EQ(testsupport::errorNumber([&] { SeqUtil::NucSiteVarIndex(makeSet({}), 1, value, number, nullptr); }), 11);
}

TEST(ClustalAln, MovingAverageWithAndWithoutPaddedEnds)
{
    const std::vector<double> v{1, 2, 3, 4};
    EXPECT_EQ(SeqUtil::MovingAverage(v, 3, true), (std::vector<double>{4.0 / 3, 2, 3, 11.0 / 3}));
    EXPECT_EQ(SeqUtil::MovingAverage(v, 3, false), (std::vector<double>{1, 2, 3, 7.0 / 3}));
    EXPECT_EQ(SeqUtil::MovingAverage(v, 2, true), (std::vector<double>{1, 1.5, 2.5, 3.5}));
}

std::string valueOf(const std::string& report, const std::string& label)
{
    const std::size_t at = report.find("\r\n" + label);
    EXPECT_NE(at, std::string::npos) << label;
    const std::string line = report.substr(at + 2, 42);
    EXPECT_EQ(line.substr(40), "\r\n") << label;
    return line.substr(30, 10);
}

TEST(ClustalAln, SpuriousAlignmentReportHasItsLayoutAndValues)
{
    SequenceSet set = makeSet({"ACGTACGTAA", "ACGTACGTAC", "ACGAACGTAG", "ACGTACCTAT"});
    std::string report = "old";
    SeqUtil::TestSpuriousAlignment(set, report, nullptr);

    // Reference values computed here from the definitions.
    const std::array<double, 4> freq{14.0 / 40, 10.0 / 40, 8.0 / 40, 8.0 / 40};
    const auto expected = SeqUtil::GetEntropyMoments(4, freq);
    const double q = 0.8112781244591328; // one base in four differs
    const std::vector<double> h{0, 0, 0, q, 0, 0, q, 0, 0, 2};
    double m = 0;
    for (double x : h) {
        m += x;
    }
    m /= 10;
    double v = 0;
    for (double x : h) {
        v += (x - m) * (x - m);
    }
    v /= 9;
    const double se = std::sqrt(v / 10 + expected.variance / 4);
    const double t = std::fabs(m - expected.mean) / se;

    EXPECT_EQ(report.substr(0, 46), "Testing whether the alignment is spurious.\r\n\r\n");
    EXPECT_NE(report.find("\r\n" + std::string(64, '=') + "\r\nT-Test between the observed entropy and the "
                                                           "expected entropy\r\nwith random sequences:\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(valueOf(report, "Mean (Observed H)             "), StrUtil::FormatNumRight(m, 10, 4));
    EXPECT_EQ(valueOf(report, "Mean (expected H)             "), StrUtil::FormatNumRight(expected.mean, 10, 4));
    EXPECT_EQ(valueOf(report, "Var (Observed H)              "), StrUtil::FormatNumRight(v, 10, 4));
    EXPECT_EQ(valueOf(report, "Standard Error                "), StrUtil::FormatNumRight(se, 10, 4));
    EXPECT_EQ(valueOf(report, "T                             "), StrUtil::FormatNumRight(t, 10, 4));
    EXPECT_NE(report.find("\r\n\r\n95% confidence limits of the observed mean:\r\nLower Limit"), std::string::npos);
    EXPECT_EQ(report.substr(report.size() - 18), "\r\nequal variances.");
    EXPECT_EQ(report.find("equal variances.\r\n"), std::string::npos);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 29);
}

TEST(ClustalAln, SpuriousAlignmentReportsAZeroLowerLimit)
{
    // Mostly conserved sites: the observed mean is small and its interval
    // reaches below zero.
    SequenceSet set = makeSet({"AAAAAAAAAC", "AAAAAAAAAG", "CCCCCCCCCT"});
    std::string report;
    SeqUtil::TestSpuriousAlignment(set, report, nullptr);
    EXPECT_NE(report.find("\r\nLower Limit                       0.0000\r\n"), std::string::npos) << report;
}

TEST(ClustalAln, SpuriousAlignmentNeedsEnoughDataAndKeepsTheOldReport)
{
    std::string report = "old";
    SequenceSet one = makeSet({"ACGT"});
    EXPECT_EQ(testsupport::errorNumber([&] { SeqUtil::TestSpuriousAlignment(one, report, nullptr); }), 11);
    SequenceSet questionSites = makeSet({"A??", "C??"});
    EXPECT_EQ(testsupport::errorNumber([&] { SeqUtil::TestSpuriousAlignment(questionSites, report, nullptr); }), 11);
    EXPECT_EQ(questionSites.seq, (Seqs{"A", "C"}));
    EXPECT_EQ(report, "old");
}

} // namespace
