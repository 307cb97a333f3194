#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/errorlib/HandlerFixture.h"

using namespace rampart;
using errorlib_test::HandlerTest;

namespace {

class Sink : public ICErrorHandlerEvents {
public:
    void NotifyError(const std::string&, const std::string&, const std::string&, std::int32_t, std::int32_t,
                     std::int32_t, std::int32_t, const std::string&, const std::string&, std::int16_t& Action,
                     std::int32_t& Response) override
    {
        ++notified;
        Action = notifyAction;
        Response = notifyResponse;
    }
    void LogString(std::string& Line, std::int16_t& Action, std::int32_t&) override
    {
        if (Line == suppress) {
            Action = 2;
        }
    }

    int notified = 0;
    std::int16_t notifyAction = 0;
    std::int32_t notifyResponse = 0;
    std::string suppress;
};

class ThrowingLogClient : public IErrorClient {
public:
    void LogString(std::string&, std::int16_t&) override
    {
        ++calls;
        throw std::runtime_error("log callback broke");
    }
    int calls = 0;
};

class ReentrantLogClient : public IErrorClient {
public:
    explicit ReentrantLogClient(ICErrorHandler& handler) : m_handler(handler) {}
    void LogString(std::string& Line, std::int16_t&) override { m_handler.LogString("copy: " + Line); }

private:
    ICErrorHandler& m_handler;
};

} // namespace

TEST_F(HandlerTest, WithoutClientOrSinkCallbacksLeaveTheirArgumentsAlone)
{
    initialize();
    ui().dialogAnswers = {{4, ""}};
    EXPECT_EQ(handler().HandleError(ErrObject(5, "S", "D"), "M", "P", "C", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryLine),
              4);
    EXPECT_NE(log().find("Description      = Unexpected Error\r\n"), std::string::npos);
    EXPECT_TRUE(ui().boxes.empty());
}

TEST_F(HandlerTest, ASinkResponseIsReportedAsACallbackErrorAndTheFlowGoesOn)
{
    initialize();
    auto sink = std::make_shared<Sink>();
    sink->notifyAction = 4;
    sink->notifyResponse = 5;
    handler().Advise(sink);
    EXPECT_EQ(handler().HandleError(ErrObject(9, "S", "D"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryLine),
              4);
    EXPECT_TRUE(ui().dialogs.empty());
    const std::string text = log();
    EXPECT_EQ(text.rfind("Rampart Callback Error\t\t2001/12/31 23:59:58\r\n\r\n"
                         "Callback         = NotifyError\r\n"
                         "Error            = 5\r\n"
                         "Source           = Rampart6\r\n"
                         "Description      = Invalid procedure call or argument\r\n\r\n\r\n",
                         0),
              0U)
        << text;
    ASSERT_EQ(ui().boxes.size(), 1U);
    EXPECT_EQ(ui().boxes[0].title, "Rampart");
    EXPECT_EQ(ui().boxes[0].style, MsgCritical);
    EXPECT_EQ(ui().boxes[0].prompt.rfind("Quorin Error while processing Rampart NotifyError Callback\r\n\r\n"
                                         "Error=5\r\nSource=Rampart6\r\n",
                                         0),
              0U);

    // A client object takes precedence over the sinks.
    handler().SetErrorClient(std::make_shared<IErrorClient>());
    ui().dialogAnswers = {{2, ""}};
    EXPECT_EQ(handler().HandleError(ErrObject(9, "S", "D"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryLine),
              2);
    EXPECT_EQ(sink->notified, 1);
}

TEST_F(HandlerTest, ALogStringActionOfCancelSuppressesExactlyThatLine)
{
    initialize();
    auto sink = std::make_shared<Sink>();
    sink->suppress = "secret";
    const auto cookie = handler().Advise(sink);
    handler().LogString("one");
    handler().LogString("secret");
    handler().LogString("two");
    EXPECT_EQ(log(), "one\r\ntwo\r\n");
    handler().Unadvise(cookie);
    handler().LogString("secret");
    EXPECT_EQ(log(), "one\r\ntwo\r\nsecret\r\n");
}

TEST_F(HandlerTest, AFailingLogCallbackIsReportedOnceWithoutRecursion)
{
    initialize();
    auto client = std::make_shared<ThrowingLogClient>();
    handler().SetErrorClient(client);
    handler().LogString("line");
    EXPECT_EQ(client->calls, 1);
    ASSERT_EQ(ui().boxes.size(), 1U);
    const std::string text = log();
    EXPECT_EQ(text.rfind("Rampart Callback Error", 0), 0U);
    EXPECT_NE(text.find("Callback         = LogString\r\nError            = 1\r\n"), std::string::npos);
    // The line itself is still written after the report.
    EXPECT_NE(text.find("\r\nline\r\n"), std::string::npos);
}

TEST_F(HandlerTest, ALogCallbackThatLogsThroughTheHandlerDoesNotRecurse)
{
    initialize();
    handler().SetErrorClient(std::make_shared<ReentrantLogClient>(handler()));
    handler().LogString("x");
    EXPECT_EQ(log(), "copy: x\r\nx\r\n");
}

TEST_F(HandlerTest, CallbackErrorBoxIsHiddenOnlyWhenSilentFromTheStart)
{
    handler().SetSilent(true);
    initialize();
    handler().SetErrorClient(std::make_shared<ThrowingLogClient>());
    handler().LogString("a");
    EXPECT_TRUE(ui().boxes.empty());

    resetHandler();
    initialize();
    handler().SetSilent(true);
    handler().SetErrorClient(std::make_shared<ThrowingLogClient>());
    handler().LogString("a");
    EXPECT_EQ(ui().boxes.size(), 1U);
}
