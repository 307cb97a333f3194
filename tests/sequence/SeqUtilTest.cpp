#include "sequence/SeqUtil.h"

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/sequence/SeqTestUtil.h"
#include "tests/support/TestSupport.h"

namespace {

using Seqs = std::vector<std::string>;

TEST(SeqUtil, LongestNameAndSequenceReportTheFirstOfATie)
{
    const Seqs seqs{"ACG", "ACGTA", "TTTTT", "A"};
    std::int32_t index = -1;
    EXPECT_EQ(SeqUtil::GetMaxSeqLen(seqs, 4, &index), 5);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(SeqUtil::GetMaxSeqLen(Seqs{"", ""}, 2, &index), 0);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(SeqUtil::GetMaxNameLen(Seqs{"a", "abcd", "ab"}, 3), 4);
    EXPECT_EQ(SeqUtil::GetMaxNameLen(Seqs{"a", "abcd", "ab"}, 1), 1);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)SeqUtil::GetMaxSeqLen(seqs, 5); }), 9);
}

TEST(SeqUtil, DuplicatesAreReportedPairByPair)
{
    std::string message;
    EXPECT_TRUE(SeqUtil::CheckDupNames(Seqs{"x", "x", "x"}, 3, message));
    EXPECT_EQ(message,
              "Sequence 2 and Sequence 1 have identical names.\r\n"
              "Sequence 3 and Sequence 1 have identical names.\r\n"
              "Sequence 3 and Sequence 2 have identical names.\r\n"
              "\r\nMany functions in this program assume that your sequences have different names, and will fail "
              "if sequences have identical names.");
    std::string none;
    EXPECT_FALSE(SeqUtil::CheckDupNames(Seqs{"a", "b"}, 2, none));
    EXPECT_EQ(none, "");

    std::string report = "head\r\n";
    EXPECT_TRUE(SeqUtil::FindDupSeqs(Seqs{"AC", "GT", "AC"}, Seqs{"a", "b", "c"}, 3, report));
    EXPECT_EQ(report, "head\r\na..c\r\n");
}

TEST(SeqUtil, CuttingAndDeletingSitesCheckTheirRange)
{
    Seqs seqs{"ACGTA", "TTGCA"};
    std::int32_t length = 5;
    SeqUtil::DeleteSeqColumns(2, 2, seqs, 2, length);
    EXPECT_EQ(seqs, (Seqs{"AGTA", "TGCA"}));
    EXPECT_EQ(length, 4);
    SeqUtil::DeleteSeqColumns(3, 4, seqs, 2, length);
    EXPECT_EQ(seqs, (Seqs{"AG", "TG"}));
    EXPECT_EQ(length, 2);
    for (auto [first, last] : {std::pair{2, 1}, std::pair{0, 1}, std::pair{1, 3}}) {
        EXPECT_EQ(testsupport::errorNumber([&] { SeqUtil::DeleteSeqColumns(first, last, seqs, 2, length); }), 5);
    }
    EXPECT_EQ(seqs, (Seqs{"AG", "TG"}));

    Seqs cut{"ACGT", "AC"};
    std::int32_t newLength = 0;
    SeqUtil::CutSeqsAt(3, cut, newLength, 2);
    EXPECT_EQ(cut, (Seqs{"AC", "AC"}));
    EXPECT_EQ(newLength, 2);
    SeqUtil::CutSeqsAt(1, cut, newLength, 2);
    EXPECT_EQ(cut, (Seqs{"", ""}));
    EXPECT_EQ(newLength, 0);
    EXPECT_EQ(testsupport::errorNumber([&] { SeqUtil::CutSeqsAt(0, cut, newLength, 2); }), 5);
}

TEST(SeqUtil, SiteCountsAndConsensusMarks)
{
    const Seqs seqs{"ACGU-", "ACTUa", "AGGU"};
    const SeqUtil::SiteCounts counts = SeqUtil::GetSiteBaseCounts(seqs, 5, 3);
    EXPECT_EQ(counts[0], (std::vector<std::int32_t>{3, 0, 0, 0, 0}));
    EXPECT_EQ(counts[1], (std::vector<std::int32_t>{0, 2, 0, 0, 0}));
    EXPECT_EQ(counts[2], (std::vector<std::int32_t>{0, 1, 2, 0, 0}));
    EXPECT_EQ(counts[3], (std::vector<std::int32_t>{0, 0, 0, 3, 0}));
    EXPECT_EQ(SeqUtil::GetConsensusMarks(seqs, 5, 3), "*  * ");
    EXPECT_EQ(SeqUtil::GetConsensusMarks(seqs, 5, 1), "");
    const std::vector<unsigned char> bytes = SeqUtil::GetConsensusBytes(seqs, 4, 2);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "** *");
}

// Plain sum over all 4^n sequences of n sites, for reference.
SeqUtil::EntropyMoments bruteForceMoments(int n, const std::array<double, 4>& f)
{
    double mean = 0;
    double second = 0;
    int total = 1;
    for (int i = 0; i < n; ++i) {
        total *= 4;
    }
    for (int code = 0; code < total; ++code) {
        std::array<int, 4> counts{};
        double p = 1;
        int c = code;
        for (int i = 0; i < n; ++i) {
            ++counts[static_cast<std::size_t>(c % 4)];
            p *= f[static_cast<std::size_t>(c % 4)];
            c /= 4;
        }
        double h = 0;
        for (int k : counts) {
            if (k > 0) {
                const double q = static_cast<double>(k) / n;
                h -= q * std::log2(q);
            }
        }
        mean += p * h;
        second += p * h * h;
    }
    return {mean, second - mean * mean};
}

TEST(SeqUtil, EntropyMomentsMatchTheSumOverAllSequences)
{
    const auto two = SeqUtil::GetEntropyMoments(2, {0.25, 0.25, 0.25, 0.25});
    expectNearRel(two.mean, 0.75, 1e-12);
    expectNearRel(two.variance, 0.1875, 1e-12);
    const auto three = SeqUtil::GetEntropyMoments(3, {0.25, 0.25, 0.25, 0.25});
    expectNearRel(three.mean, 1.1109023, 1e-7);
    expectNearRel(three.variance, 0.1822736, 1e-6);
    const auto one = SeqUtil::GetEntropyMoments(1, {0.1, 0.2, 0.3, 0.4});
    EXPECT_EQ(one.mean, 0.0);
    EXPECT_EQ(one.variance, 0.0);

    const unsigned seed = 20261208;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int n = 2; n <= 6; ++n) {
        std::array<double, 4> f{u(rng), u(rng), u(rng), n == 4 ? 0.0 : u(rng)};
        const double sum = f[0] + f[1] + f[2] + f[3];
        for (double& x : f) {
            x /= sum;
        }
        const auto fast = SeqUtil::GetEntropyMoments(n, f);
        const auto slow = bruteForceMoments(n, f);
        expectNearRel(fast.mean, slow.mean, 1e-10);
        expectNearRel(fast.variance, slow.variance, 1e-9);
    }
}

TEST(SeqUtil, RemoveSitesInItsFourModes)
{
    struct Case {
        const char* label;
        bool bySite;
        bool basesOnly;
        Seqs expected;
        std::int32_t length;
    };
    const Seqs input{"A?CT-G", "AC?UUG"};
    const Case cases[] = {
        {"each sequence, question marks", false, false, {"ACT-G", "ACUUG"}, 5},
        {"each sequence, bases only", false, true, {"ACG", "ACUUG"}, 5},
        {"by site, question marks", true, false, {"AT-G", "AUUG"}, 4},
        {"by site, bases only", true, true, {"AG", "AG"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Seqs seqs = input;
        std::int32_t length = 6;
        SeqUtil::RemoveSites(seqs, length, 2, c.bySite, c.basesOnly);
        EXPECT_EQ(seqs, c.expected);
        EXPECT_EQ(length, c.length);
    }
    Seqs allUnknown{"??", "??"};
    std::int32_t length = 2;
    SeqUtil::RemoveSites(allUnknown, length, 2, true, false);
    EXPECT_EQ(allUnknown, (Seqs{"", ""}));
    EXPECT_EQ(length, 0);
}

TEST(SeqUtil, NamesAreFittedToTheirColumn)
{
    EXPECT_EQ(SeqUtil::FitName("abc", 5, -1), "abc  ");
    EXPECT_EQ(SeqUtil::FitName("abc", 5, 0), "  abc");
    EXPECT_EQ(SeqUtil::FitName("abcdef", 3, 0), "abc");
    EXPECT_EQ(SeqUtil::FitName("abcdef", 3, 1), "abc");
}

TEST(SeqUtil, BaseCountsAndEqualLengths)
{
    EXPECT_EQ(SeqUtil::GetBaseCount("AaCcgTtUu-N"), (std::array<std::int32_t, 5>{2, 2, 1, 4, 2}));
    EXPECT_TRUE(SeqUtil::IsEqualLength(2, Seqs{"AC", "GT", "A"}));
    EXPECT_FALSE(SeqUtil::IsEqualLength(3, Seqs{"AC", "GT", "A"}));
    EXPECT_TRUE(SeqUtil::IsEqualLength(0, Seqs{}));
}

TEST(SeqUtil, DotFormMarksSitesEqualToTheFirstSequence)
{
    Seqs seqs{"ACGT", "ACTT", "GCGT"};
    SeqUtil::SeqToDot(seqs, 4, 3);
    EXPECT_EQ(seqs, (Seqs{"ACGT", "..T.", "G..."}));
    SeqUtil::DotToSeq(seqs, 4, 3);
    EXPECT_EQ(seqs, (Seqs{"ACGT", "ACTT", "GCGT"}));
}

TEST(SeqUtil, BlockLayouts)
{
    EXPECT_EQ(SeqUtil::FormatSeqBlocks("ABCDEFGHIJKL", 2, 12, 5, 2), "  ABCDE FGHIJ \r\n  KL");
    EXPECT_EQ(SeqUtil::FormatSeqBlocks("ABCDEFGHIJ", 1, 10, 5, 2), " ABCDE FGHIJ \r\n");
    EXPECT_EQ(SeqUtil::FormatSeqBlocks("ABCDEFGHIJKLMNO", 0, 15, 5, 2), "ABCDE FGHIJ \r\nKLMNO ");
    // A sequence shorter than the layout length: characters by position, none twice.
    EXPECT_EQ(SeqUtil::FormatSeqBlocks("ABCDEFG", 2, 12, 5, 2), "  ABCDE FG \r\n  ");
    EXPECT_EQ(SeqUtil::FormatSeqBlocks("", 2, 0, 5, 2), "");

    const std::string fifty(50, 'a');
    EXPECT_EQ(SeqUtil::FormatSeqNumbered(fifty, 50),
              "       1  aaaaaaaaaa aaaaaaaaaa aaaaaaaaaa aaaaaaaaaa aaaaaaaaaa \r\n");
    EXPECT_EQ(SeqUtil::FormatSeqNumbered(fifty + "ccc", 53),
              "       1  aaaaaaaaaa aaaaaaaaaa aaaaaaaaaa aaaaaaaaaa aaaaaaaaaa \r\n      51  ccc");
    EXPECT_EQ(SeqUtil::FormatSeqNumberedBy("ACG", 3, 1, 30), "       1  A C G ");
    EXPECT_EQ(testsupport::errorNumber([] { (void)SeqUtil::FormatSeqBlocks("A", 0, 1, 0, 5); }), 5);
}

TEST(SeqUtil, InterleavedLayouts)
{
    const Seqs seqs{"ACGTACGTAC", "TTGGCCAAGG"};
    const Seqs names{"one", "second"};
    EXPECT_EQ(SeqUtil::FormatInterleaved(seqs, names, 0, 10, 2, 6, 2, 2),
              "   one AC GT \r\nsecond TT GG \r\n\r\n"
              "   one AC GT \r\nsecond CC AA \r\n\r\n"
              "   one AC \r\nsecond GG ");
    seqtest::RecordingProgress progress;
    EXPECT_EQ(SeqUtil::FormatPhylipInterleaved(seqs, names, -1, 10, 2, 6, 2, 2, &progress),
              "one    AC GT \r\nsecond TT GG \r\n\r\n"
              "       AC GT \r\n       CC AA \r\n\r\n"
              "       AC \r\n       GG ");
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.values, (std::vector<double>{0, 1, 2, 0}));
}

} // namespace
