#include "sequence/ui/FlankRetrieval.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Error.h"
#include "platform/net/InetTransfer.h"
#include "platform/net/QtInet.h"
#include "tests/sequence/ui/LoopbackServer.h"

namespace {

using sequence::SequenceSet;
using testsupport::LoopbackServer;
using Mode = LoopbackServer::Mode;

// ---- replies as the servers write them --------------------------------------------

// A yeast genome database page: the gene with its flanks in numbered lines
// of a preformatted block.
std::string yeastPage(const std::string& residues)
{
    std::string page = "<HTML><BODY><PRE>\n>gene Chr 1 from 100-400\n";
    for (std::size_t at = 0, line = 1; at < residues.size(); at += 30, line += 30) {
        page += std::string(line < 10 ? 5 : 4, ' ') + std::to_string(line) + " ";
        for (std::size_t b = at; b < std::min(residues.size(), at + 30); b += 10) {
            page += residues.substr(b, 10) + " ";
        }
        page += "\n";
    }
    return page + "</PRE></BODY></HTML>";
}

std::string locusPage(const std::string& ids)
{
    return "<html>LocusID 1234 <a href=\"x\">RefSeq</a> <input name=\"uid:" + ids + "\" value=\"y\"></html>";
}

// A GenBank flat-file record of `bases` (lower-case, numbered ORIGIN lines).
std::string genbankRecord(const std::string& locus, const std::string& cds, const std::string& bases,
                          const std::string& extraFeature = "")
{
    std::string r = "LOCUS       " + locus + std::string(12 - std::min<std::size_t>(12, locus.size()), ' ') +
                    std::to_string(bases.size()) + " bp    mRNA    linear   PRI 01-JAN-2001\n"
                    "DEFINITION  test record.\n"
                    "FEATURES             Location/Qualifiers\n"
                    "     source          1.." + std::to_string(bases.size()) + "\n";
    if (!cds.empty()) {
        r += "     CDS             " + cds + "\n"
             "                     /gene=\"ABC\"\n";
    }
    r += extraFeature;
    r += "ORIGIN      \n";
    for (std::size_t at = 0; at < bases.size(); at += 60) {
        const std::string n = std::to_string(at + 1);
        r += std::string(9 - n.size(), ' ') + n;
        for (std::size_t b = at; b < std::min(bases.size(), at + 60); b += 10) {
            r += " " + bases.substr(b, 10);
        }
        r += "\n";
    }
    return r + "//\n";
}

// 60 bases: position p (1-based) holds a letter that names it.
std::string bases60()
{
    std::string s;
    const std::string letters = "acgt";
    for (int i = 0; i < 60; ++i) {
        s += letters[static_cast<std::size_t>((i * 7 + i / 4) % 4)];
    }
    return s;
}

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

TEST(FlankRetrieval, LengthsRoundHalvesToEvenAndNegativeOnesAreRefused)
{
    EXPECT_EQ(sequence::FlankLength("100.5"), 100);
    EXPECT_EQ(sequence::FlankLength("101.5"), 102);
    EXPECT_EQ(sequence::FlankLength("abc"), 0);
    EXPECT_EQ(sequence::FlankLength("  250 nt"), 250);
    EXPECT_EQ(sequence::FlankLength("-5"), std::nullopt);
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
    ASSERT_TRUE(sequence::ParseGenBankFlanks("ABC", reply, c.up, c.down, left, right));
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
    ::testing::Values(ParseCase{"inside", "11..50", 5, 5, std::pair{6, 5}, std::pair{51, 5}},
                      ParseCase{"startsAtBase1", "1..50", 5, 5, std::nullopt, std::pair{51, 5}},
                      ParseCase{"endsAtLastBase", "11..60", 5, 5, std::pair{6, 5}, std::nullopt},
                      ParseCase{"upstreamLongerThanThereIs", "11..50", 30, 30, std::pair{1, 10}, std::pair{51, 10}},
                      ParseCase{"upstreamExactlyAll", "11..50", 10, 0, std::pair{1, 10}, std::pair{51, 0}},
                      ParseCase{"complementHasNoLeftFlank", "complement(11..50)", 5, 5, std::nullopt,
                                std::pair{51, 5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FlankRetrieval, RecordsAreParsedOnTheirOwn)
{
    const std::string bases = bases60();
    // The first record has no CDS: it gives no flank and must not borrow the
    // second record's.
    const std::string reply = genbankRecord("NM_1", "", bases) + genbankRecord("NM_2", "21..40", bases);
    SequenceSet left;
    SequenceSet right;
    ASSERT_TRUE(sequence::ParseGenBankFlanks("G", reply, 3, 4, left, right));
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

// ---- against the loopback server ------------------------------------------------

class Loopback : public ::testing::Test {
protected:
    sequence::RetrievalServers servers(const LoopbackServer& server, int timeout = 5) const
    {
        sequence::RetrievalServers s;
        s.yeast = s.locusLink = s.entrez = server.base();
        s.timeoutSeconds = timeout;
        return s;
    }

    platform::QtInet inet;
    std::vector<std::string> statuses;
    std::vector<std::string> failures;
    std::vector<platform::Answer> answers;

    void wire(sequence::FlankRetrieval& run)
    {
        inet.setAccessType(platform::inet::Direct);
        run.status = [this](const std::string& s) { statuses.push_back(s); };
        run.onFailure = [this](const platform::Error& e) {
            failures.push_back(e.description());
            if (answers.empty()) {
                return platform::Answer::Abort;
            }
            const auto a = answers.front();
            answers.erase(answers.begin());
            return a;
        };
    }
};

TEST_F(Loopback, YeastPathGivesTwoSetsOfEqualCountAndRetriesTheSecondHalfOfAPairedName)
{
    const std::string gene(300, 'A');
    std::string known = std::string(100, 'C') + gene + std::string(100, 'T');
    LoopbackServer server([&](const std::string& target) -> LoopbackServer::Reply {
        const std::string seq = LoopbackServer::param(target, "seq");
        if (seq == "YAL001C" || seq == "YBR002W" || seq == "YCL003C") {
            return {yeastPage(known)};
        }
        return {"<html>No sequences found for " + seq + "</html>"};
    });
    sequence::FlankRetrieval run(inet, servers(server));
    wire(run);
    run.RetrieveFromYeastDB({"YAL001C", "NOPE", "ABC1/YBR002W", "YCL003C/XYZ"}, 100, 100);
    ASSERT_TRUE(run.finished());
    ASSERT_EQ(run.left().numSeq, 3);
    EXPECT_EQ(run.right().numSeq, 3);
    EXPECT_EQ(run.left().name, (std::vector<std::string>{"YAL001C", "ABC1/YBR002W", "YCL003C"}));
    EXPECT_EQ(run.right().name, run.left().name);
    EXPECT_EQ(run.left().seq[0], std::string(100, 'C'));
    EXPECT_EQ(run.right().seq[0], std::string(100, 'U'));
    EXPECT_EQ(run.left().maxLen, 100);
    EXPECT_EQ(server.targets().size(), 5U);
    EXPECT_NE(server.targets()[2].find("seq=ABC1&"), std::string::npos);
    EXPECT_NE(server.targets()[3].find("seq=YBR002W&"), std::string::npos);
    EXPECT_EQ(statuses, (std::vector<std::string>{"No sequence was found for NOPE", "No sequence for ABC1. Try YBR002W"}));
    EXPECT_TRUE(failures.empty());
}

TEST_F(Loopback, GenBankPathGivesIndependentSetsAndCountsEveryIdentifier)
{
    const std::string bases = bases60();
    LoopbackServer server([&](const std::string& target) -> LoopbackServer::Reply {
        if (target.rfind("/LocusLink/", 0) == 0) {
            const std::string q = LoopbackServer::param(target, "Q");
            if (q == "TP53") {
                EXPECT_EQ(LoopbackServer::param(target, "ORG"), "human");
                return {locusPage("11,22")};
            }
            if (q == "BARE") {
                return {"<html>A gene page without identifiers</html>"};
            }
            return {"<html>We were unable to find " + q + "</html>"};
        }
        // Two records: one CDS starts at base 1, one ends at the last base.
        return {genbankRecord("NM_11", "1..40", bases) + "\r\n" + genbankRecord("NM_22", "21..60", bases)};
    });
    sequence::FlankRetrieval run(inet, servers(server));
    wire(run);
    run.RetrieveFromGenBank({"TP53", "NONE", "BARE"}, 10, 10, "human");
    ASSERT_TRUE(run.finished());
    ASSERT_EQ(run.left().numSeq, 1);
    ASSERT_EQ(run.right().numSeq, 1);
    EXPECT_EQ(run.left().name[0], "TP53_NM_22     ");
    EXPECT_EQ(run.left().seq[0], bases.substr(10, 10));
    EXPECT_EQ(run.right().name[0], "TP53_NM_11     ");
    EXPECT_EQ(run.right().seq[0], bases.substr(40, 10));
    EXPECT_EQ(statuses, (std::vector<std::string>{"2 sequence retrieved for gene: TP53", "No LocusLink for gene: NONE",
                                                  "No LocusLink for gene: BARE"}));
    EXPECT_NE(server.targets()[1].find("uid=11,22&dopt=g"), std::string::npos);
}

struct FaultCase {
    const char* name;
    Mode mode;
    int status;
    std::string body;
    std::int32_t number;  // 0: a layout error
};

class LoopbackFaults : public Loopback, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(LoopbackFaults, FailureNamesTheGeneAndIgnoreGoesOnWithTheNext)
{
    const FaultCase c = GetParam();
    const std::string good = yeastPage(std::string(50, 'G') + std::string(100, 'A') + std::string(50, 'C'));
    LoopbackServer server([&](const std::string& target) -> LoopbackServer::Reply {
        if (LoopbackServer::param(target, "seq") == "BAD1") {
            return {c.body, c.mode, c.status};
        }
        return {good};
    });
    sequence::FlankRetrieval run(inet, servers(server, 1));
    wire(run);
    answers = {platform::Answer::Ignore};
    run.RetrieveFromYeastDB({"BAD1", "GOOD"}, 50, 50);
    ASSERT_EQ(failures.size(), 1U);
    EXPECT_EQ(failures[0].rfind("Gene \"BAD1\": ", 0), 0U) << failures[0];
    EXPECT_TRUE(run.finished());
    ASSERT_EQ(run.left().numSeq, 1);
    EXPECT_EQ(run.left().name[0], "GOOD");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LoopbackFaults,
    ::testing::Values(FaultCase{"truncated", Mode::Truncated, 200, yeastPage(std::string(300, 'A')), 0},
                      FaultCase{"closed", Mode::CloseWithoutReply, 200, "", 0},
                      FaultCase{"neverAnswers", Mode::NeverAnswer, 200, "", platform::inet::TimedOut},
                      FaultCase{"serverErrorPage", Mode::Normal, 500, "<html>Internal error</html>", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Loopback, TimeOutSaysHowLongItWaited)
{
    LoopbackServer server([](const std::string&) { return LoopbackServer::Reply{"", Mode::NeverAnswer}; });
    inet.setRequestTimeout(1);
    inet.setAccessType(platform::inet::Direct);
    try {
        (void)inet.OpenURL(server.base() + "/x");
        FAIL() << "no time-out";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::inet::TimedOut);
        EXPECT_EQ(e.description(), "The server did not answer within 1 seconds.");
    }
}

TEST_F(Loopback, AbortStopsTheRunAndRetryAsksAgain)
{
    // The server closes every connection without a reply until told not to.
    bool closing = true;
    int calls = 0;
    LoopbackServer server([&](const std::string&) -> LoopbackServer::Reply {
        ++calls;
        if (closing) {
            return {"", Mode::CloseWithoutReply};
        }
        return {yeastPage(std::string(30, 'A'))};
    });
    {
        sequence::FlankRetrieval run(inet, servers(server));
        wire(run);
        run.onFailure = [&](const platform::Error& e) {
            failures.push_back(e.description());
            closing = false;
            return platform::Answer::Retry;
        };
        run.RetrieveFromYeastDB({"G1"}, 10, 10);
        EXPECT_TRUE(run.finished());
        EXPECT_EQ(run.left().numSeq, 1);
        EXPECT_EQ(failures.size(), 1U);
    }
    closing = true;
    failures.clear();
    platform::QtInet fresh;
    sequence::FlankRetrieval run(fresh, servers(server));
    wire(run);
    int callsAtFailure = -1;
    run.onFailure = [&](const platform::Error& e) {
        failures.push_back(e.description());
        callsAtFailure = calls;
        return platform::Answer::Abort;
    };
    run.RetrieveFromYeastDB({"G1", "G2"}, 10, 10);
    EXPECT_FALSE(run.finished());
    EXPECT_EQ(calls, callsAtFailure) << "nothing is asked after Abort";
    ASSERT_EQ(failures.size(), 1U);
    EXPECT_EQ(failures[0].rfind("Gene \"G1\": ", 0), 0U);
}

TEST_F(Loopback, StatesAreReportedInOrderForASuccessfulRequest)
{
    LoopbackServer server([](const std::string&) { return LoopbackServer::Reply{"hello"}; });
    std::vector<int> states;
    inet.StateChanged = [&](int s) { states.push_back(s); };
    inet.setAccessType(platform::inet::Direct);
    EXPECT_EQ(inet.OpenURL(server.base() + "/x"), "hello");
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), 1);
    EXPECT_EQ(states.back(), 12);
    EXPECT_TRUE(std::is_sorted(states.begin(), states.end()));
}

} // namespace
