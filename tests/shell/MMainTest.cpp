// Start-up pieces against the built error-handling library, created through
// the class factory from a private registry.

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "errorlib/Rampart.h"
#include "platform/com/Com.h"
#include "shell/core/CErrorClient.h"
#include "shell/core/MMain.h"
#include "tests/shell/RampartRegistry.h"
#include "tests/support/TestSupport.h"

namespace {

class MMainTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(testsupport::PrivateRegistry::registerRampart(), 0); }

    std::unique_ptr<rampart::ICErrorHandler> configured(const std::string& commandLine)
    {
        auto handler = platform::com::CreateObject<rampart::ICErrorHandler>(rampart::CLSID_CErrorHandler);
        MMain::ConfigureHandler(*handler, client, "Quorin", m_logs.path().string(), commandLine);
        client->setHandler(handler.get());
        return handler;
    }

    // Everything the handler logged, whatever its log file is called.
    std::string log() const
    {
        std::string all;
        for (const auto& entry : std::filesystem::directory_iterator(m_logs.path())) {
            all += testsupport::readFile(entry.path());
        }
        return all;
    }

    testsupport::PrivateRegistry m_registry;
    testsupport::TempDir m_logs;
    std::shared_ptr<shell::CErrorClient> client = std::make_shared<shell::CErrorClient>("Quorin");
};

} // namespace

TEST(MMain, InitFailureMessageHasHeadingBlankLineAndThreeFields)
{
    const platform::Error error(429, "CreateObject", "ActiveX component can't create object");
    EXPECT_EQ(MMain::InitFailureMessage(error),
              "Error Initializing Rampart Error Handling\r\n\r\nError=429\r\nSource=CreateObject\r\n"
              "Description=ActiveX component can't create object");
}

TEST(MMain, TraceSwitchIsAnExactCaseSensitiveSubstring)
{
    EXPECT_TRUE(MMain::HasTraceSwitch("Quorin /TRACE"));
    EXPECT_TRUE(MMain::HasTraceSwitch("x/TRACEy"));
    EXPECT_FALSE(MMain::HasTraceSwitch("Quorin /trace"));
    EXPECT_FALSE(MMain::HasTraceSwitch(""));
}

TEST(MMain, LogFolderIsTheProgramFolderWhenWritableElseTheStateFolder)
{
    testsupport::TempDir dir;
    EXPECT_EQ(MMain::LogFolder(dir.path().string()), dir.path().string());
    ::setenv("XDG_STATE_HOME", dir.file("state").c_str(), 1);
    EXPECT_EQ(MMain::LogFolder(dir.file("missing").string()), (dir.path() / "state" / "tessaray").string());
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "state" / "tessaray"));
    ::unsetenv("XDG_STATE_HOME");
}

TEST_F(MMainTest, HandlerIsConfiguredWithTracingOffWhateverTheCommandLine)
{
    for (const char* commandLine : {"Quorin /TRACE", "Quorin /trace", "Quorin"}) {
        auto handler = configured(commandLine);
        EXPECT_EQ(handler->ComponentName(), "Quorin") << commandLine;
        EXPECT_EQ(handler->LogPath(), m_logs.path().string() + "/") << commandLine;
        EXPECT_FALSE(handler->DebugMode()) << commandLine;
        EXPECT_FALSE(handler->Trace()) << commandLine;
        EXPECT_EQ(handler->ErrorClient(), client) << commandLine;
        handler->TraceEnter("MMain", "StartUp");
        handler->TraceExit("MMain", "StartUp");
    }
    // No trace file anywhere in the log folder.
    for (const auto& entry : std::filesystem::directory_iterator(m_logs.path())) {
        EXPECT_EQ(entry.path().extension(), ".log") << entry.path();
    }
}

TEST_F(MMainTest, StartUpStepIgnoredByTheUserGoesOnWithTheNextStatement)
{
    auto handler = configured("Quorin");
    client->ShowDialog = true;
    std::vector<std::string> shown;
    client->display = [&](const std::string& message) {
        shown.push_back(message);
        return std::int16_t{rampart::rmpActionIgnore};
    };
    MMain::StartUpSteps steps(*handler);
    int ran = 0;
    steps.step([] { throw platform::Error(53, "LoadSettings", "File not found"); });
    steps.step([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Error in Quorin\r\n\r\nat MMain.StartUp\r\n\r\n53\r\nFile not found");
    // The report and the client's diagnostics went to the log.
    EXPECT_NE(log().find("Rampart Error Report"), std::string::npos);
    EXPECT_NE(log().find("Application Version"), std::string::npos);
    EXPECT_NE(log().find("  Revision       = 7"), std::string::npos);
}

TEST_F(MMainTest, StartUpStepCancelledEndsTheSequenceWithTheError)
{
    auto handler = configured("Quorin");
    client->ShowDialog = true;
    client->display = [](const std::string&) { return std::int16_t{rampart::rmpActionCancel}; };
    MMain::StartUpSteps steps(*handler);
    int ran = 0;
    try {
        steps.step([] { throw platform::Error(76, "MainFrame", "Path not found"); });
        steps.step([&] { ++ran; });
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        // Cancel collapses the call stack: the handler's collapse error goes up.
        EXPECT_EQ(e.number(), handler->BaseErrorNumber());
    }
    EXPECT_EQ(ran, 0);
}

TEST_F(MMainTest, LinkForwardsTheReportersTracingToTheHandler)
{
    auto handler = configured("Quorin");
    MMain::RampartLink link(*handler);
    EXPECT_FALSE(link.DebugMode());
    link.TraceEnter("ErrHandler", "ErrorHandler");
    link.TraceExit("ErrHandler", "ErrorHandler");
    // Nothing pending: propagating raises nothing.
    EXPECT_NO_THROW(link.PropagateError(1));
}
