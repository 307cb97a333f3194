#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/errorlib/HandlerFixture.h"
#include "tests/support/ErrorAssert.h"

using namespace rampart;
using errorlib_test::HandlerTest;

namespace {

// Records the callbacks and answers with preset actions.
class RecordingClient : public IErrorClient {
public:
    void NotifyError(const std::string&, const std::string&, const std::string&, std::int32_t, std::int32_t,
                     std::int32_t, std::int32_t ErrorNum, const std::string&, const std::string& ErrorSource,
                     std::int16_t& Action) override
    {
        calls.push_back("NotifyError " + std::to_string(ErrorNum) + " " + ErrorSource);
        Action = notifyAction;
    }
    void StackCollapse(const std::string&, const std::string& Procedure, const std::string&, std::int32_t,
                       std::int32_t, std::int32_t, std::int16_t& Action) override
    {
        calls.push_back("StackCollapse " + Procedure);
        Action = collapseAction;
    }
    void EndStackCollapse() override { calls.emplace_back("EndStackCollapse"); }
    void EndApplication() override { calls.emplace_back("EndApplication"); }
    void GetDiagnostics(std::string& Diagnostics) override { Diagnostics = diagnostics; }

    std::vector<std::string> calls;
    std::int16_t notifyAction = 0;
    std::int16_t collapseAction = 0;
    std::string diagnostics;
};

} // namespace

TEST_F(HandlerTest, ErrorReportIsWrittenByteForByte)
{
    initialize();
    ui().dialogAnswers.push_back({2, ""});
    const auto choice = handler().HandleError(ErrObject(static_cast<std::int32_t>(0x800403E8u), "", "boom"), "MMain",
                                              "StartUp", "", rmpBoundaryNone, rmpSeverityNormal, rmpRetryLine);
    EXPECT_EQ(choice, 2);
    const std::string expected =
        "Rampart Error Report\t\t2001/12/31 23:59:58\r\n"
        "\r\n"
        "Component        = Quorin\r\n"
        "Module           = MMain\r\n"
        "Procedure        = StartUp\r\n"
        "Context          = \r\n"
        "Boundary         = rmpBoundaryNone\r\n"
        "Severity         = rmpSeverityNormal\r\n"
        "Erl              = 0\r\n"
        "Err.Number       = 1000\r\n"
        "Err.Description  = boom\r\n"
        "Err.Source       = Quorin\r\n"
        "Description      = Unexpected Error\r\n"
        "Suggestion       = \r\n"
        "Notes            = \r\n"
        "\r\n"
        "\r\n\r\n\r\n";  // the (empty) diagnostics with their two line ends, and LogString's
    EXPECT_EQ(log(), expected);
    ASSERT_EQ(ui().dialogs.size(), 1U);
    EXPECT_EQ(ui().dialogs[0].description, "Unexpected Error");
}

TEST_F(HandlerTest, ChoiceRulesFollowSeverityAndRetryKind)
{
    struct Row {
        const char* name;
        RampartSeverityType severity;
        RampartRetryType retry;
        std::int16_t notifyAction;
        std::int16_t dialogAnswer;
        bool expectDialog;
        bool retryAllowed;
        bool cancelAllowed;
        std::int16_t expected;
    };
    const std::vector<Row> rows = {
        {"normal retry", rmpSeverityNormal, rmpRetryLine, 0, 4, true, true, true, 4},
        {"cosmetic ignores even a callback's end", rmpSeverityCosmetic, rmpRetryLine, 3, 0, false, true, true, 5},
        {"cosmetic without callback", rmpSeverityCosmetic, rmpRetryLine, 0, 0, false, true, true, 5},
        {"fatal offers neither retry nor cancel", rmpSeverityFatal, rmpRetryLine, 0, 3, true, false, false, 3},
        {"retry none", rmpSeverityNormal, rmpRetryNone, 0, 2, true, false, true, 2},
        {"callback action wins over dialog", rmpSeverityNormal, rmpRetryLine, 5, 4, false, true, true, 5},
        {"callback action out of range is none", rmpSeverityNormal, rmpRetryLine, 7, 3, true, true, true, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto client = std::make_shared<RecordingClient>();
        client->notifyAction = row.notifyAction;
        resetHandler();
        ui().dialogAnswers = {{row.dialogAnswer, ""}};
        initialize();
        handler().SetErrorClient(client);
        EXPECT_EQ(handler().HandleError(ErrObject(5, "S", "D"), "M", "P", "", rmpBoundaryNone, row.severity, row.retry),
                  row.expected);
        ASSERT_EQ(ui().dialogs.size(), row.expectDialog ? 1U : 0U);
        if (row.expectDialog) {
            EXPECT_EQ(ui().dialogs[0].retryAllowed, row.retryAllowed);
            EXPECT_EQ(ui().dialogs[0].cancelAllowed, row.cancelAllowed);
        }
    }
}

TEST_F(HandlerTest, MessageBoxFormMapsIgnoreToCancelAndRefusesWhatIsNotAvailable)
{
    initialize();
    handler().SetUseMessageBox(true);
    handler().SetAllowRetry(false);
    ui().msgBoxAnswers = {AnswerRetry, AnswerOk, AnswerIgnore};
    EXPECT_EQ(handler().HandleError(ErrObject(5, "", "x"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryLine),
              2);
    ASSERT_EQ(ui().boxes.size(), 3U);
    EXPECT_EQ(ui().boxes[0].title, "Error In Quorin");
    EXPECT_EQ(ui().boxes[0].style, MsgCriticalAbortRetryIgnore);
    EXPECT_EQ(ui().boxes[0].prompt, "Unexpected Error\r\n\r\n\r\n\r\n\r\n\r\nRetry is not available\r\n"
                                    "Click Ignore to Cancel the Current Action\r\nClick Abort to End the Application");
    EXPECT_EQ(ui().boxes[1].prompt, "Retry is not Available\r\nPlease make another selection");
    EXPECT_EQ(ui().boxes[1].style, MsgInformation);

    ui().boxes.clear();
    ui().msgBoxAnswers = {AnswerIgnore, AnswerOk, AnswerAbort};
    EXPECT_EQ(handler().HandleError(ErrObject(5, "", "x"), "M", "P", "", rmpBoundaryNone, rmpSeverityFatal,
                                    rmpRetryLine),
              3);
    ASSERT_EQ(ui().boxes.size(), 3U);
    EXPECT_EQ(ui().boxes[1].prompt, "Ignore is not Available\r\nPlease make another selection");

    handler().SetAllowRetry(true);
    ui().msgBoxAnswers = {AnswerRetry};
    EXPECT_EQ(handler().HandleError(ErrObject(5, "", "x"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryLine),
              4);
}

TEST_F(HandlerTest, SilentAutoRetryCountsPerErrorAndRestartsAfterAPause)
{
    handler().SetSilent(true);
    handler().SetAutoRetry(true);
    initialize();
    std::vector<int> choices;
    for (int i = 0; i < 4; ++i) {
        choices.push_back(handler().HandleError(ErrObject(57, "", "io"), "M", "P", "", rmpBoundaryNone,
                                                rmpSeverityNormal, rmpRetryLine));
    }
    EXPECT_EQ(choices, (std::vector<int>{4, 4, 4, 0}));
    EXPECT_EQ(ui().sleeps, (std::vector<std::int32_t>{20000, 20000, 20000}));
    m_clock.second = 0;
    m_clock.minute = 0;
    m_clock.hour = 0;
    m_clock.day = 1;
    m_clock.month = 1;
    m_clock.year = 2002;  // 2 seconds later, not enough
    EXPECT_EQ(handler().HandleError(ErrObject(57, "", "io"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryLine),
              0);
    m_clock.second = 39;  // 41 s after the last retry
    EXPECT_EQ(handler().HandleError(ErrObject(57, "", "io"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryLine),
              4);
    // A different number starts its own count.
    EXPECT_EQ(handler().HandleError(ErrObject(58, "", "x"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryLine),
              4);
    EXPECT_TRUE(ui().dialogs.empty());
    EXPECT_TRUE(ui().boxes.empty());
}

TEST_F(HandlerTest, SilentAutoRetryHonoursFatalRetryNoneCosmeticAndAllowRetry)
{
    handler().SetSilent(true);
    handler().SetAutoRetry(true);
    initialize();
    struct Row {
        const char* name;
        RampartSeverityType severity;
        RampartRetryType retry;
        bool allowRetry;
        std::int16_t expected;
    };
    const std::vector<Row> rows = {
        {"fatal", rmpSeverityFatal, rmpRetryLine, true, 0},
        {"retry none", rmpSeverityNormal, rmpRetryNone, true, 0},
        {"cosmetic", rmpSeverityCosmetic, rmpRetryLine, true, 5},
        {"retries switched off", rmpSeverityNormal, rmpRetryLine, false, 0},
    };
    std::int32_t number = 100;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        handler().SetAllowRetry(row.allowRetry);
        EXPECT_EQ(handler().HandleError(ErrObject(++number, "", "x"), "M", "P", "", rmpBoundaryNone, row.severity,
                                        row.retry),
                  row.expected);
    }
    EXPECT_TRUE(ui().sleeps.empty());

    // After a failed inline check only a procedure retry is offered.
    handler().SetAllowRetry(true);
    handler().CacheInlineError(ErrObject(53, "", "File not found"));
    EXPECT_EQ(testsupport::errorNumber([&] { handler().CheckInlineError(52); }), 53);
    EXPECT_EQ(handler().HandleError(ErrObject(53, "", "x"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryLine),
              0);
    EXPECT_TRUE(ui().sleeps.empty());
}

TEST_F(HandlerTest, ProcedureRetryBecomesCancelAndTheCallerRetriesItsLine)
{
    initialize();
    ui().dialogAnswers = {{4, ""}};
    EXPECT_EQ(handler().HandleError(ErrObject(9, "", "x"), "M", "Inner", "", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryProcedure),
              2);
    std::string source;
    std::string description;
    EXPECT_EQ(testsupport::errorNumber([&] { handler().PropagateError(rmpBoundaryNone); }, &source, &description), 32000);
    EXPECT_EQ(source, "Rampart");
    EXPECT_EQ(description, "Collapsing Call Stack");
    EXPECT_EQ(testsupport::errorNumber([&] { handler().PropagateError(rmpBoundaryNone); }), 0);
    // The caller's handler gets the collapse error and retries its line once.
    EXPECT_EQ(handler().HandleError(ErrObject(32000, "Rampart", "Collapsing Call Stack"), "M", "Outer", "",
                                    rmpBoundaryNone, rmpSeverityNormal, rmpRetryLine),
              4);
    EXPECT_EQ(handler().HandleError(ErrObject(32000, "Rampart", "Collapsing Call Stack"), "M", "Outer", "",
                                    rmpBoundaryNone, rmpSeverityNormal, rmpRetryLine),
              2);
    EXPECT_NE(log().find("Rampart Collapsing Call Stack\t\t2001/12/31 23:59:58\r\n\r\n"
                         "Component        = Quorin\r\nModule           = M\r\nProcedure        = Outer\r\n"
                         "Context          = \r\nBoundary         = rmpBoundaryNone\r\n"
                         "Severity         = rmpSeverityNormal\r\nErl              = 0\r\n\r\n\r\n"),
              std::string::npos);
}

TEST_F(HandlerTest, EachBoundaryKindSetsThePendingErrorItsOwnWay)
{
    initialize();
    auto client = std::make_shared<RecordingClient>();
    handler().SetErrorClient(client);

    // VB and Firewall: the collapse error waits, PropagateError there raises nothing.
    ui().dialogAnswers = {{2, ""}, {2, ""}, {2, ""}};
    handler().HandleError(ErrObject(11, "", "x"), "M", "P", "", rmpBoundaryVB, rmpSeverityNormal, rmpRetryLine);
    EXPECT_EQ(testsupport::errorNumber([&] { handler().PropagateError(rmpBoundaryVB); }), 0);
    EXPECT_EQ(testsupport::errorNumber([&] { handler().PropagateError(rmpBoundaryFirewall); }), 0);
    EXPECT_EQ(client->calls.back(), "EndStackCollapse");

    // ActiveX: the handled error resurfaces with the facility bits.
    handler().HandleError(ErrObject(11, "Src", "Div"), "M", "P", "", rmpBoundaryActiveX, rmpSeverityNormal,
                          rmpRetryLine);
    std::string source;
    std::string description;
    EXPECT_EQ(testsupport::errorNumber([&] { handler().PropagateError(rmpBoundaryActiveX); }, &source, &description),
              static_cast<std::int32_t>(0x8004000Bu));
    EXPECT_EQ(source, "Src");
    EXPECT_EQ(description, "Div");

    // The collapse error itself is handled on the collapse path, not reported as an error.
    client->calls.clear();
    client->collapseAction = 3;
    EXPECT_EQ(handler().HandleError(ErrObject(32000, "Rampart", "Collapsing Call Stack"), "M", "Q", "",
                                    rmpBoundaryNone, rmpSeverityNormal, rmpRetryLine),
              3);
    EXPECT_EQ(client->calls, (std::vector<std::string>{"StackCollapse Q"}));

    EXPECT_EQ(testsupport::errorNumber([&] { handler().ForcePropagateError(); }), 32000);
}

TEST_F(HandlerTest, ThrownErrorSurfacesAtTheFirstActiveXBoundary)
{
    initialize();
    std::string source;
    EXPECT_EQ(testsupport::errorNumber([&] { handler().ThrowError(5, "S", "D"); }, &source), 32001);
    EXPECT_EQ(source, "Rampart");
    const std::string before = log();
    EXPECT_EQ(handler().HandleError(ErrObject(32001, "Rampart", "Throwing Error"), "M", "P", "", rmpBoundaryNone,
                                    rmpSeverityNormal, rmpRetryLine),
              0);
    EXPECT_EQ(testsupport::errorNumber([&] { handler().PropagateError(rmpBoundaryNone); }), 32001);
    EXPECT_EQ(handler().HandleError(ErrObject(32001, "Rampart", "Throwing Error"), "M", "P", "",
                                    rmpBoundaryActiveX, rmpSeverityNormal, rmpRetryLine),
              0);
    std::string description;
    EXPECT_EQ(testsupport::errorNumber([&] { handler().PropagateError(rmpBoundaryActiveX); }, &source, &description),
              -2147221499);
    EXPECT_EQ(source, "S");
    EXPECT_EQ(description, "D");
    EXPECT_EQ(log(), before);  // no callback, nothing logged
    EXPECT_TRUE(ui().dialogs.empty());

    // Handled at a VB boundary the thrown error ends there.
    EXPECT_EQ(testsupport::errorNumber([&] { handler().ThrowError(5, "S", "D"); }), 32001);
    handler().HandleError(ErrObject(32001, "Rampart", "Throwing Error"), "M", "P", "", rmpBoundaryVB,
                          rmpSeverityNormal, rmpRetryLine);
    EXPECT_EQ(testsupport::errorNumber([&] { handler().PropagateError(rmpBoundaryNone); }), 0);
}

TEST_F(HandlerTest, EndAtAVbBoundaryLogsTheApplicationEndAndAsksTheClientToEnd)
{
    initialize();
    auto client = std::make_shared<RecordingClient>();
    handler().SetErrorClient(client);
    ui().dialogAnswers = {{3, ""}};
    EXPECT_EQ(handler().HandleError(ErrObject(7, "", "x"), "M", "P", "", rmpBoundaryVB, rmpSeverityNormal,
                                    rmpRetryLine),
              3);
    EXPECT_EQ(client->calls,
              (std::vector<std::string>{"NotifyError 7 Quorin", "EndStackCollapse", "EndApplication"}));
    EXPECT_NE(log().find("Rampart Application End\t\t2001/12/31 23:59:58\r\n\r\n\r\n"), std::string::npos);
}

TEST_F(HandlerTest, HandleErrorBeforeInitializeEndsWithTheInternalErrorReport)
{
    auto client = std::make_shared<RecordingClient>();
    handler().SetErrorClient(client);
    EXPECT_EQ(handler().HandleError(ErrObject(5, "", "x"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryLine),
              3);
    ASSERT_EQ(ui().boxes.size(), 1U);
    EXPECT_EQ(ui().boxes[0].title, "Rampart");
    EXPECT_EQ(ui().boxes[0].style, MsgCritical);
    EXPECT_EQ(ui().boxes[0].prompt.rfind("Unexpected Error in Rampart at CErrorHandler.HandleError\r\n\r\n"
                                         "Error=32021\r\nSource=Rampart\r\nDescription=Rampart Not Initialized\r\n",
                                         0),
              0U);
    EXPECT_EQ(client->calls, (std::vector<std::string>{"EndApplication"}));
}

TEST_F(HandlerTest, RemarksAndDiagnosticsFollowTheReportAndDebugModeFeedsTheViewer)
{
    initialize();
    auto client = std::make_shared<RecordingClient>();
    client->diagnostics = "Free memory = 12";
    handler().SetErrorClient(client);
    handler().SetDebugMode(true);
    ui().dialogAnswers = {{2, "disk was full"}};
    handler().HandleError(ErrObject(61, "", "Disk full"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                          rmpRetryLine);
    const std::string text = log();
    EXPECT_NE(text.find("Notes            = \r\n\r\nRemarks          = disk was full\r\n\r\n"
                        "Free memory = 12\r\n\r\n\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(ui().diagsEntries, 1);
    EXPECT_EQ(ui().diags.rfind("Rampart Error Report", 0), 0U);
    EXPECT_NE(ui().diags.find("Free memory = 12"), std::string::npos);
}
