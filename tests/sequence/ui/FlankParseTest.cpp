#include "sequence/ui/FlankRetrieval.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Error.h"
#include "tests/sequence/ui/FlankReplies.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace flanktest;
using sequence::SequenceSet;

// ---- the pure parts ---------------------------------------------------------------

TEST(FlankRetrieval, YeastSequenceIsCutFromTheLastNumberOneAndKeepsItsLastResidue)
{
    const std::string reply = "<PRE>\n>YAL001C Chr 1 from ...\n     1 AAAAACCCCC GGGGGTTTTT ACGTACGTAC\n"
                              "    31 TTTTTGGGGG\n</PRE>";
    ASSERT_EQ(sequence::YeastSequence(reply), "AAAAACCCCCGGGGGTTTTTACGTACGTACTTTTTGGGGG");
    // A residue right before the closing tag is a residue, not a line break.
    EXPECT_EQ(sequence::YeastSequence("x 1 ACGTA</PRE>"), "ACGTA");
    EXPECT_EQ(sequence::YeastSequence("no block here"), std::nullopt);
    EXPECT_EQ(sequence::YeastSequence(" 1 ACGT without end"), std::nullopt);

    const auto flanks = sequence::CutYeastFlanks("AAAAACCCCCGGGGGTTTTTACGTACGTACTTTTTGGGGG", 20, 10);
    ASSERT_TRUE(flanks);
    EXPECT_EQ(flanks->left, "AAAAACCCCCGGGGGUUUUU");
    EXPECT_EQ(flanks->right, "UUUUUGGGGG");
    EXPECT_EQ(sequence::CutYeastFlanks(std::string(40, 'A'), 20, 20), std::nullopt);
    EXPECT_EQ(sequence::CutYeastFlanks("ttTT", 2, 1)->left, "tt") << "lower-case t stays";
}

// A length is the leading number of its box, rounded; a box whose text is
// no length is refused in words that name it.
TEST(FlankRetrieval, LengthsRoundHalvesToEvenAndTextThatIsNoLengthIsRefusedByName)
{
    EXPECT_EQ(sequence::FlankLength("100.5"), 100);
    EXPECT_EQ(sequence::FlankLength("101.5"), 102);
    EXPECT_EQ(sequence::FlankLength("  250 nt"), 250);
    EXPECT_EQ(sequence::FlankLength("0"), 0);
    EXPECT_EQ(sequence::FlankLength("100000000"), 100000000);
    EXPECT_EQ(sequence::FlankLengthRefusal("upstream", "250 nt"), "");
    struct Row {
        const char* text;
        const char* refusal;
    };
    const Row rows[] = {
        {"abc", "The number of downstream nucleotides \"abc\" is not a number. Please type a number of 0 or more, "
                "such as 100."},
        {"nt 250", "The number of downstream nucleotides \"nt 250\" is not a number. Please type a number of 0 or "
                   "more, such as 100."},
        {"", "The number of downstream nucleotides is empty. Please type a number of 0 or more, such as 100."},
        {"  ", "The number of downstream nucleotides is empty. Please type a number of 0 or more, such as 100."},
        {"-5", "The number of downstream nucleotides must be 0 or more."},
        {"100000001", "The number of downstream nucleotides is too large: it can be at most 100000000."},
        {"1e10", "The number of downstream nucleotides is too large: it can be at most 100000000."},
        {"1e999", "The number of downstream nucleotides is too large: it can be at most 100000000."},
        {"1e999 nt", "The number of downstream nucleotides is too large: it can be at most 100000000."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(sequence::FlankLength(row.text), std::nullopt);
        EXPECT_EQ(sequence::FlankLengthRefusal("downstream", row.text), row.refusal);
    }
}

// The box after a run: one line per gene with its reasons, ten genes, then
// the count of the others.
TEST(FlankRetrieval, ShortfallSummaryNamesTenGenesThenCountsTheRest)
{
    EXPECT_EQ(sequence::ShortfallSummary({}), "");
    std::vector<sequence::GeneShortfall> genes = {{"A", {"no flanks: reason one"}},
                                                  {"B", {"first reason", "second reason"}}};
    EXPECT_EQ(sequence::ShortfallSummary(genes), "These genes did not give all the flanking sequence asked for:"
                                                 "\r\n\r\nA: no flanks: reason one."
                                                 "\r\n\r\nB: first reason; second reason.");
    for (const auto& [count, tail] : std::vector<std::pair<std::size_t, std::string>>{
             {10, "\r\n\r\nG10: no flanks."}, {11, "\r\n\r\nG10: no flanks.\r\n\r\n... and 1 more gene."},
             {13, "\r\n\r\nG10: no flanks.\r\n\r\n... and 3 more genes."}}) {
        SCOPED_TRACE(count);
        genes.clear();
        for (std::size_t i = 1; i <= count; ++i) {
            genes.push_back({"G" + std::to_string(i), {"no flanks"}});
        }
        const std::string text = sequence::ShortfallSummary(genes);
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
        EXPECT_EQ(text.find("G11:"), std::string::npos);
    }
}

TEST(FlankRetrieval, LocusLinkIdsComeAfterRefSeqElseGenBank)
{
    EXPECT_EQ(sequence::LocusLinkIds("... RefSeq ... uid:4501234,4505678\" ..."), "4501234,4505678");
    EXPECT_EQ(sequence::LocusLinkIds("GenBank x:M12345\""), "M12345");
    EXPECT_EQ(sequence::LocusLinkIds("We were unable to find RefSeq"), std::nullopt);
    EXPECT_EQ(sequence::LocusLinkIds("<html>a gene page without identifiers</html>"), std::nullopt);
    EXPECT_THROW((void)sequence::LocusLinkIds("RefSeq uid:4501234"), platform::Error);
}

TEST(FlankRetrieval, QueryValuesArePercentEncoded)
{
    sequence::RetrievalServers s;
    s.yeast = s.locusLink = s.entrez = "http://h";
    EXPECT_EQ(sequence::LocusLinkUrl(s, "A&B", "fruit fly"), "http://h/LocusLink/list.cgi?Q=A%26B&ORG=fruit%20fly&V=0");
    EXPECT_EQ(sequence::YeastUrl(s, "YAL001C", 100, 50),
              "http://h/cgi-bin/SGD/getSeq?seq=YAL001C&flankl=100&flankr=50&map=amap");
    EXPECT_EQ(sequence::EntrezUrl(s, "4501234,4505678"),
              "http://h/htbin-post/Entrez/query?db=n&form=6&uid=4501234,4505678&dopt=g&title=no&html=no");
}

TEST(FlankRetrieval, ChoicesAreRefusedOrQuestionedAsTheSpeciesAndSourceDemand)
{
    platform::ScriptedDialogs d;
    platform::ScopedDialogs scope(d);
    d.answer(platform::Answer::Yes).answer(platform::Answer::No);
    EXPECT_TRUE(sequence::ChoicesAreValid(0, 1));
    EXPECT_FALSE(sequence::ChoicesAreValid(0, 1));
    EXPECT_EQ(d.last().title, "Info");
    d.clear();
    EXPECT_FALSE(sequence::ChoicesAreValid(1, 0));
    EXPECT_EQ(d.last().text, "You have chosen to retrieve human genes from the Saccharomyces Genome Database. There "
                             "is no human gene in a database for the yeast. Please reselect.");
    EXPECT_FALSE(sequence::ChoicesAreValid(6, 0));
    EXPECT_EQ(d.last().style, platform::mb::Information);
    d.clear();
    EXPECT_TRUE(sequence::ChoicesAreValid(0, 0));
    EXPECT_TRUE(sequence::ChoicesAreValid(4, 1));
    EXPECT_TRUE(sequence::ChoicesAreValid(6, 1));
    EXPECT_TRUE(d.calls().empty());
}

struct ParseCase {
    const char* name;
    std::string cds;
    int up;
    int down;
    std::optional<std::pair<int, int>> left;   // 1-based first position and length
    std::optional<std::pair<int, int>> right;
    std::vector<std::string> notes;            // each side missing or short
};

class ParseGenBank : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseGenBank, CutsTheFlanksAroundTheCds)
{
    const ParseCase c = GetParam();
    const std::string bases = bases60();
    // An exon feature whose location starts with 1 stands between the CDS and
    // the sequence: the residues must still come from the ORIGIN block.
    const std::string reply =
        genbankRecord("NM_000001", c.cds, bases, "     exon            1..60\n                     /number=1\n");
    SequenceSet left;
    SequenceSet right;
    std::vector<std::string> notes;
    ASSERT_TRUE(sequence::ParseGenBankFlanks("ABC", reply, c.up, c.down, left, right, &notes));
    EXPECT_EQ(notes, c.notes);
    ASSERT_EQ(left.numSeq, c.left ? 1 : 0);
    ASSERT_EQ(right.numSeq, c.right ? 1 : 0);
    if (c.left) {
        EXPECT_EQ(left.name[0], "ABC_NM_000001 ");
        EXPECT_EQ(left.seq[0], bases.substr(static_cast<std::size_t>(c.left->first - 1),
                                            static_cast<std::size_t>(c.left->second)));
    }
    if (c.right) {
        EXPECT_EQ(right.seq[0], bases.substr(static_cast<std::size_t>(c.right->first - 1),
                                             static_cast<std::size_t>(c.right->second)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseGenBank,
    ::testing::Values(
        ParseCase{"inside", "11..50", 5, 5, std::pair{6, 5}, std::pair{51, 5}, {}},
        ParseCase{"startsAtBase1", "1..50", 5, 5, std::nullopt, std::pair{51, 5},
                  {"no upstream flank from record NM_000001: its CDS (1..50) starts at the first base"}},
        ParseCase{"endsAtLastBase", "11..60", 5, 5, std::pair{6, 5}, std::nullopt,
                  {"no downstream flank from record NM_000001: its CDS (11..60) ends at the last base"}},
        ParseCase{"upstreamLongerThanThereIs", "11..50", 30, 30, std::pair{1, 10}, std::pair{51, 10},
                  {"only 10 upstream bases from record NM_000001, where 30 were asked: its CDS (11..50) starts at "
                   "base 11",
                   "only 10 downstream bases from record NM_000001, where 30 were asked: its CDS (11..50) ends at "
                   "base 50 of 60"}},
        ParseCase{"oneBaseShort", "2..59", 5, 5, std::pair{1, 1}, std::pair{60, 1},
                  {"only 1 upstream base from record NM_000001, where 5 were asked: its CDS (2..59) starts at base 2",
                   "only 1 downstream base from record NM_000001, where 5 were asked: its CDS (2..59) ends at base "
                   "59 of 60"}},
        ParseCase{"upstreamExactlyAll", "11..50", 10, 0, std::pair{1, 10}, std::pair{51, 0}, {}},
        // A side asked for 0 bases falls short of nothing.
        ParseCase{"noneAskedNoneMissing", "1..60", 0, 0, std::nullopt, std::nullopt, {}},
        ParseCase{"complementHasNoLeftFlank", "complement(11..50)", 5, 5, std::nullopt, std::pair{51, 5},
                  {"no upstream flank from record NM_000001: its CDS (complement(11..50)) does not start with a "
                   "position"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FlankRetrieval, RecordsAreParsedOnTheirOwn)
{
    const std::string bases = bases60();
    // The first record has no CDS: it gives no flank and must not borrow the
    // second record's.
    const std::string reply = genbankRecord("NM_1", "", bases) + genbankRecord("NM_2", "21..40", bases);
    SequenceSet left;
    SequenceSet right;
    std::vector<std::string> notes;
    ASSERT_TRUE(sequence::ParseGenBankFlanks("G", reply, 3, 4, left, right, &notes));
    EXPECT_EQ(notes, std::vector<std::string>{"no flanks from record NM_1: it has no CDS"});
    ASSERT_EQ(left.numSeq, 1);
    EXPECT_EQ(left.name[0], "G_NM_2      ");
    EXPECT_EQ(left.seq[0], bases.substr(17, 3));
    EXPECT_EQ(right.seq[0], bases.substr(40, 4));
    EXPECT_FALSE(sequence::ParseGenBankFlanks("G", "<html>nothing</html>", 3, 4, left, right));
}

TEST(FlankRetrieval, CutOffRecordRaisesAnErrorNamingTheGeneAndChangesNothing)
{
    std::string reply = genbankRecord("NM_1", "11..50", bases60());
    reply.resize(reply.size() - 10);
    SequenceSet left;
    SequenceSet right;
    try {
        (void)sequence::ParseGenBankFlanks("ABC", reply, 5, 5, left, right);
        FAIL() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_NE(e.description().find("\"ABC\""), std::string::npos);
        EXPECT_NE(e.description().find("NM_1"), std::string::npos);
    }
    EXPECT_EQ(left.numSeq, 0);
    EXPECT_EQ(right.numSeq, 0);
}

} // namespace

namespace {

// Parses the reply for gene ABC, which must raise one InvalidCall error and
// keep no flank; returns the error's text ("" when none was raised).
std::string refusedReply(const std::string& reply)
{
    SequenceSet left;
    SequenceSet right;
    std::string message;
    try {
        (void)sequence::ParseGenBankFlanks("ABC", reply, 5, 5, left, right);
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::InvalidCall);
        message = e.description();
    }
    EXPECT_EQ(left.numSeq, 0);
    EXPECT_EQ(right.numSeq, 0);
    return message;
}

// CDS positions the record cannot hold: each is one error naming the gene and
// the record, and no flank of the reply is kept, not even those of the
// records before it.
TEST(FlankRetrieval, CdsPositionsOutsideTheRecordRaiseOneErrorNamingTheGene)
{
    struct Row {
        const char* what;
        const char* cds;
    };
    const Row rows[] = {
        {"end far past the record", "11..1e30"},
        {"start far past the record", "1e30..50"},
        {"end too large for a number", "11..1e400"},
        {"end one past the last base", "11..61"},
        {"start past the last base", "61..70"},
        {"negative start", "-5..50"},
        {"complement ending past the record", "complement(11..1e30)"},
    };
    const std::string bases = bases60();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string reply = genbankRecord("NM_GOOD", "11..50", bases) + genbankRecord("NM_BAD", row.cds, bases);
        const std::string message = refusedReply(reply);
        EXPECT_NE(message.find("\"ABC\""), std::string::npos) << message;
        EXPECT_NE(message.find("NM_BAD"), std::string::npos) << message;
        EXPECT_NE(message.find("outside its 60 bases"), std::string::npos) << message;
    }
}

} // namespace

namespace {

// A "<" or ">" before a CDS position says the coding sequence runs on past
// it: the flank on that side is not known, so none is cut, and a line for
// the record says so. The other side is cut as usual.
TEST(FlankRetrieval, PartialCdsLeavesTheFlankOnItsOpenSideUnknownAndSaysSo)
{
    struct Row {
        const char* what;
        std::string reply;
        std::vector<std::string> left;
        std::vector<std::string> right;
        std::vector<std::string> notes;
    };
    const std::string bases = "acgtacgtacgtacgtacgt";
    const Row rows[] = {
        {"end marked partial", testsupport::readFile(testsupport::dataPath("cds_partial_end.reply")), {"acgt"}, {},
         {"only 4 upstream bases from record NM_000020, where 10 were asked: its CDS (5..>15) starts at base 5",
          "no downstream flank from record NM_000020: it does not say where its CDS (5..>15) ends"}},
        {"both ends marked partial", testsupport::readFile(testsupport::dataPath("cds_partial_both.reply")), {}, {},
         {"no flanks from record NM_000020: it does not say where its CDS (<1..>20) begins or ends"}},
        {"start marked partial", genbankRecord("NM_3", "<5..15", bases), {}, {"tacgt"},
         {"no upstream flank from record NM_3: it does not say where its CDS (<5..15) begins",
          "only 5 downstream bases from record NM_3, where 10 were asked: its CDS (<5..15) ends at base 15 of 20"}},
        {"partial end inside complement", genbankRecord("NM_4", "complement(5..>15)", bases), {}, {},
         {"no upstream flank from record NM_4: its CDS (complement(5..>15)) does not start with a position",
          "no downstream flank from record NM_4: it does not say where its CDS (complement(5..>15)) ends"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SequenceSet left;
        SequenceSet right;
        std::vector<std::string> notes;
        ASSERT_TRUE(sequence::ParseGenBankFlanks("ABC", row.reply, 10, 10, left, right, &notes));
        EXPECT_EQ(left.seq, row.left);
        EXPECT_EQ(right.seq, row.right);
        EXPECT_EQ(notes, row.notes);
    }
}

// Positions count from 1: a written 0 at either end is a damaged record,
// refused like a position past the end, while a word before the start
// ("complement(") still only means no upstream flank.
TEST(FlankRetrieval, CdsPositionZeroRaisesAnErrorNamingTheGene)
{
    const std::string bases = bases60();
    for (const char* cds : {"0..50", "11..0", "<0..50"}) {
        SCOPED_TRACE(cds);
        const std::string reply = genbankRecord("NM_GOOD", "11..50", bases) + genbankRecord("NM_ZERO", cds, bases);
        EXPECT_EQ(refusedReply(reply),
                  "Gene \"ABC\": the GenBank record NM_ZERO places its CDS (" + std::string(cds) +
                      ") at position 0, before its first base.");
    }
}

} // namespace
