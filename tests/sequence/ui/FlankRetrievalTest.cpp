#include "sequence/ui/FlankRetrieval.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Error.h"
#include "platform/net/InetTransfer.h"
#include "platform/net/QtInet.h"
#include "tests/sequence/ui/FlankReplies.h"
#include "tests/sequence/ui/LoopbackServer.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace flanktest;
using sequence::SequenceSet;
using testsupport::LoopbackServer;
using Mode = LoopbackServer::Mode;

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
        if (seq == "SHORT") {
            return {yeastPage(std::string(150, 'A'))};
        }
        return {"<html>No sequences found for " + seq + "</html>"};
    });
    sequence::FlankRetrieval run(inet, servers(server));
    wire(run);
    run.RetrieveFromYeastDB({"YAL001C", "NOPE", "ABC1/YBR002W", "YCL003C/XYZ", "SHORT"}, 100, 100);
    ASSERT_TRUE(run.finished());
    ASSERT_EQ(run.left().numSeq, 3);
    EXPECT_EQ(run.right().numSeq, 3);
    EXPECT_EQ(run.left().name, (std::vector<std::string>{"YAL001C", "ABC1/YBR002W", "YCL003C"}));
    EXPECT_EQ(run.right().name, run.left().name);
    EXPECT_EQ(run.left().seq[0], std::string(100, 'C'));
    EXPECT_EQ(run.right().seq[0], std::string(100, 'U'));
    EXPECT_EQ(run.left().maxLen, 100);
    EXPECT_EQ(server.targets().size(), 6U);
    EXPECT_NE(server.targets()[2].find("seq=ABC1&"), std::string::npos);
    EXPECT_NE(server.targets()[3].find("seq=YBR002W&"), std::string::npos);
    EXPECT_EQ(statuses, (std::vector<std::string>{"No sequence was found for NOPE", "No sequence for ABC1. Try YBR002W"}));
    EXPECT_TRUE(failures.empty());
    // The gene not found and the one too short for its flanks, which the
    // status line passes by in silence.
    ASSERT_EQ(run.shortfalls().size(), 2U);
    EXPECT_EQ(run.shortfalls()[0].gene, "NOPE");
    EXPECT_EQ(run.shortfalls()[0].reasons,
              std::vector<std::string>{"no flanks: the yeast genome database has no sequence for it"});
    EXPECT_EQ(run.shortfalls()[1].gene, "SHORT");
    EXPECT_EQ(run.shortfalls()[1].reasons,
              std::vector<std::string>{"no flanks: the yeast genome database sent only 150 bases, no more than the "
                                       "100 upstream and 100 downstream asked for"});
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
    const std::string noUp = "no upstream flank from record NM_11: its CDS (1..40) starts at the first base";
    const std::string noDown = "no downstream flank from record NM_22: its CDS (21..60) ends at the last base";
    EXPECT_EQ(statuses, (std::vector<std::string>{"2 sequence retrieved for gene: TP53", "TP53: " + noUp + ".",
                                                  "TP53: " + noDown + ".", "No LocusLink for gene: NONE",
                                                  "No LocusLink for gene: BARE"}));
    EXPECT_NE(server.targets()[1].find("uid=11,22&dopt=g"), std::string::npos);
    const std::string unknown = "no flanks: the gene-locus index has no entry for it";
    const std::vector<sequence::GeneShortfall> expected = {{"TP53", {noUp, noDown}}, {"NONE", {unknown}},
                                                           {"BARE", {unknown}}};
    ASSERT_EQ(run.shortfalls().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(run.shortfalls()[i].gene, expected[i].gene);
        EXPECT_EQ(run.shortfalls()[i].reasons, expected[i].reasons);
    }
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

// A server that answers with an HTTP error status: the failure says so,
// with the status and the gene, on every request of both roads; Retry asks
// again, Ignore goes on with the next gene and counts the gene as failed.
struct HttpErrorCase {
    const char* name;
    bool yeast;
    const char* failingPath;  // the path of the request that fails
    int status;
    const char* server;
};

class LoopbackHttpErrors : public Loopback, public ::testing::WithParamInterface<HttpErrorCase> {};

TEST_P(LoopbackHttpErrors, FailureSaysTheServerAnsweredWithAnErrorAndItsStatus)
{
    const HttpErrorCase c = GetParam();
    const std::string good = yeastPage(std::string(50, 'G') + std::string(100, 'A') + std::string(50, 'C'));
    int failingAsked = 0;
    LoopbackServer server([&](const std::string& target) -> LoopbackServer::Reply {
        const bool bad = LoopbackServer::param(target, "seq") == "BAD1" || LoopbackServer::param(target, "Q") == "BAD1" ||
                         LoopbackServer::param(target, "uid") == "99";
        if (target.rfind(c.failingPath, 0) == 0 && bad) {
            ++failingAsked;
            return {"<html><body>Server error</body></html>", Mode::Normal, c.status};
        }
        if (target.rfind("/LocusLink/", 0) == 0) {
            return {locusPage(LoopbackServer::param(target, "Q") == "BAD1" ? "99" : "11")};
        }
        if (target.rfind("/htbin-post/", 0) == 0) {
            return {genbankRecord("NM_11", "11..40", bases60())};
        }
        return {good};
    });
    sequence::FlankRetrieval run(inet, servers(server));
    wire(run);
    answers = {platform::Answer::Retry, platform::Answer::Ignore};
    if (c.yeast) {
        run.RetrieveFromYeastDB({"BAD1", "GOOD"}, 50, 50);
    } else {
        run.RetrieveFromGenBank({"BAD1", "GOOD"}, 5, 5, "human");
    }
    const std::string expected = "Gene \"BAD1\": the server of " + std::string(c.server) +
                                 " answered with an error (HTTP status " + std::to_string(c.status) +
                                 ") instead of a reply.";
    EXPECT_EQ(failures, (std::vector<std::string>{expected, expected}));
    EXPECT_EQ(failingAsked, 2) << "Retry asks the server again";
    EXPECT_TRUE(run.finished());
    EXPECT_EQ(run.genesWithErrors(), 1U);
    ASSERT_EQ(run.left().numSeq, 1);
    EXPECT_EQ(run.left().name[0].rfind("GOOD", 0), 0U);
    EXPECT_EQ(inet.StatusCode(), 200);
    // The gene given up on is told with the error, without its gene prefix.
    ASSERT_EQ(run.shortfalls().size(), 1U);
    EXPECT_EQ(run.shortfalls()[0].gene, "BAD1");
    EXPECT_EQ(run.shortfalls()[0].reasons,
              std::vector<std::string>{"no flanks, after an error: the server of " + std::string(c.server) +
                                       " answered with an error (HTTP status " + std::to_string(c.status) +
                                       ") instead of a reply"});
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, LoopbackHttpErrors,
    ::testing::Values(HttpErrorCase{"yeast500", true, "/cgi-bin/", 500, "the yeast genome database"},
                      HttpErrorCase{"yeast404", true, "/cgi-bin/", 404, "the yeast genome database"},
                      HttpErrorCase{"locusIndex500", false, "/LocusLink/", 500, "the gene-locus index"},
                      HttpErrorCase{"genBank503", false, "/htbin-post/", 503, "the GenBank records"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Loopback, GenBankPathSaysWhichFlanksAPartialCdsLeavesUnknown)
{
    const std::string partial = testsupport::readFile(testsupport::dataPath("cds_partial_end.reply"));
    LoopbackServer server([&](const std::string& target) -> LoopbackServer::Reply {
        if (target.rfind("/LocusLink/", 0) == 0) {
            return {locusPage("20")};
        }
        return {partial};
    });
    sequence::FlankRetrieval run(inet, servers(server));
    wire(run);
    run.RetrieveFromGenBank({"PART"}, 10, 10, "human");
    ASSERT_TRUE(run.finished());
    EXPECT_EQ(run.left().seq, std::vector<std::string>{"acgt"});
    EXPECT_EQ(run.right().numSeq, 0);
    const std::string noDown = "no downstream flank from record NM_000020: it does not say where its CDS (5..>15) ends";
    const std::string shortUp =
        "only 4 upstream bases from record NM_000020, where 10 were asked: its CDS (5..>15) starts at base 5";
    EXPECT_EQ(statuses, (std::vector<std::string>{"1 sequence retrieved for gene: PART", "PART: " + shortUp + ".",
                                                  "PART: " + noDown + "."}));
    EXPECT_TRUE(failures.empty());
    ASSERT_EQ(run.shortfalls().size(), 1U);
    EXPECT_EQ(run.shortfalls()[0].reasons, (std::vector<std::string>{shortUp, noDown}));
}

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
        EXPECT_TRUE(run.shortfalls().empty()) << "a gene retried to success falls short of nothing";
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

TEST_F(Loopback, AbortKeepsTheFlanksOfTheGenesGoneThrough)
{
    LoopbackServer server([&](const std::string& target) -> LoopbackServer::Reply {
        const std::string seq = LoopbackServer::param(target, "seq");
        if (seq == "G3") {
            return {"", Mode::CloseWithoutReply};
        }
        if (seq == "NONE") {
            return {"No sequences"};
        }
        return {yeastPage(std::string(seq == "G2" ? 12 : 10, 'C') + std::string(40, 'A') + std::string(10, 'T'))};
    });
    sequence::FlankRetrieval run(inet, servers(server));
    wire(run);  // every failure answered Abort
    run.RetrieveFromYeastDB({"G1", "NONE", "G2", "G3", "G4"}, 10, 10);
    EXPECT_FALSE(run.finished());
    EXPECT_EQ(run.genesDone(), 3U);
    EXPECT_EQ(run.left().name, (std::vector<std::string>{"G1", "G2"}));
    EXPECT_EQ(run.right().name, run.left().name);
    EXPECT_EQ(run.left().seq[1], std::string(10, 'C'));
    EXPECT_EQ(run.right().seq[0], std::string(10, 'U'));
    EXPECT_EQ(run.left().maxLen, 10);
    ASSERT_EQ(failures.size(), 1U);
    // The gene not found and the gene the run stopped on; none after it.
    ASSERT_EQ(run.shortfalls().size(), 2U);
    EXPECT_EQ(run.shortfalls()[0].gene, "NONE");
    EXPECT_EQ(run.shortfalls()[1].gene, "G3");
    ASSERT_EQ(run.shortfalls()[1].reasons.size(), 1U);
    EXPECT_EQ(run.shortfalls()[1].reasons[0].rfind("no flanks, after an error: ", 0), 0U)
        << run.shortfalls()[1].reasons[0];

    sequence::SequenceSet left, right;
    run.commitTo(left, right);
    EXPECT_EQ(left.seq, run.left().seq);
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
