#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/errorlib/HandlerFixture.h"

using namespace rampart;
using errorlib_test::HandlerTest;
namespace reg = platform::registry;

TEST_F(HandlerTest, NewHandlerHasItsDefaultsAndPropertyRules)
{
    EXPECT_EQ(handler().BaseErrorNumber(), 32000);
    EXPECT_EQ(handler().RetryInterval(), 20);
    EXPECT_EQ(handler().RetryLimit(), 3);
    EXPECT_TRUE(handler().AllowRetry());
    EXPECT_TRUE(handler().ShowAbout());
    EXPECT_FALSE(handler().AutoRetry());
    EXPECT_EQ(handler().PeriodicLogFileFormat(), "_yyyymmdd");
    EXPECT_EQ(handler().DefaultErrorDescription(), "");
    EXPECT_EQ(handler().TraceIndent(), "    |");
    EXPECT_EQ(handler().TraceEnterPrefix(), "=>..");
    EXPECT_EQ(handler().TraceExitPrefix(), "<=..");

    struct Row {
        std::int32_t value;
        std::int32_t expected;
    };
    for (const Row row : {Row{511, 32000}, Row{32769, 32000}, Row{512, 512}, Row{32768, 32768}}) {
        handler().SetBaseErrorNumber(row.value);
        EXPECT_EQ(handler().BaseErrorNumber(), row.expected) << row.value;
    }
    // A negative wait or limit has no meaning and counts as 0.
    handler().SetRetryInterval(-5);
    handler().SetRetryLimit(-1);
    EXPECT_EQ(handler().RetryInterval(), 0);
    EXPECT_EQ(handler().RetryLimit(), 0);
    // The collapse error follows the base number.
    handler().SetBaseErrorNumber(1000);
    handler().SetComponentName("  Quorin ");
    EXPECT_EQ(handler().ComponentName(), "Quorin");
    handler().SetLogFile("trace");
    EXPECT_EQ(handler().LogFile(), "trace.log");
    handler().SetLogFile("trace.txt");
    EXPECT_EQ(handler().LogFile(), "trace.txt");
    handler().SetLogPath(m_logDir);
    handler().Initialize();
    try {
        handler().ForcePropagateError();
        FAIL();
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 1000);
    }
}

TEST_F(HandlerTest, InitializeWithoutComponentNameRaises32020Unprefixed)
{
    try {
        handler().Initialize();
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 32020);
        EXPECT_EQ(e.source(), "Rampart");
        EXPECT_EQ(e.description(), "ComponentName Not Specified");
    }
    EXPECT_EQ(ui().viewersCreated, 0);
}

TEST_F(HandlerTest, InitializeWithoutRegistryKeySettlesDefaultsAndWritesThemBack)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.path());
    handler().SetComponentName("Quorin");
    handler().Initialize();
    std::filesystem::current_path(previous);

    EXPECT_EQ(handler().LogPath(), m_logDir);
    EXPECT_EQ(handler().LogFile(), "Quorin.log");
    EXPECT_EQ(handler().TracePath(), m_logDir);
    EXPECT_EQ(handler().TraceFile(), "");
    EXPECT_EQ(handler().DefaultErrorDescription(), "Unexpected Error");
    EXPECT_EQ(clientValue("LogPath"), m_logDir);
    EXPECT_EQ(clientValue("LogFile"), "Quorin.log");
    EXPECT_EQ(clientValue("TracePath"), m_logDir);
    EXPECT_EQ(clientValue("TraceFile"), "");
    EXPECT_EQ(ui().errorDialogsCreated, 1);
    EXPECT_EQ(ui().viewersCreated, 1);
    EXPECT_EQ(ui().viewerComponent, "Quorin");
    EXPECT_FALSE(ui().viewerVisible);
}

TEST_F(HandlerTest, ARegistryValueForcesAndLocksOnlyWithAHash)
{
    const std::string forced = m_logDir + "forced";
    setClientValue("LogPath", reg::Value::string(m_logDir + "ignored"));
    setClientValue("LogFile", reg::Value::string("#Locked.log"));
    initialize();
    EXPECT_EQ(handler().LogPath(), m_logDir);
    EXPECT_FALSE(std::filesystem::exists(m_logDir + "ignored"));
    EXPECT_EQ(handler().LogFile(), "Locked.log");
    handler().SetLogFile("other.log");
    EXPECT_EQ(handler().LogFile(), "Locked.log");
    EXPECT_EQ(clientValue("LogFile"), "#Locked.log");

    resetHandler();
    setClientValue("LogPath", reg::Value::string("#" + forced));
    initialize();
    EXPECT_EQ(handler().LogPath(), forced + "/");
    EXPECT_TRUE(std::filesystem::is_directory(forced));
    handler().SetLogPath(m_logDir + "elsewhere");
    EXPECT_EQ(handler().LogPath(), forced + "/");
    EXPECT_FALSE(std::filesystem::exists(m_logDir + "elsewhere"));
    EXPECT_EQ(clientValue("LogPath"), "#" + forced);

    // A lone "#" forces nothing.
    resetHandler();
    setClientValue("LogPath", reg::Value::string("#"));
    initialize();
    EXPECT_EQ(handler().LogPath(), m_logDir);
}

TEST_F(HandlerTest, APlainTraceFileValueIsAppliedAndTheLetStillWorks)
{
    setClientValue("TraceFile", reg::Value::string("t.trc"));
    initialize();
    EXPECT_EQ(handler().TraceFile(), "t.trc");
    EXPECT_TRUE(std::filesystem::exists(m_logDir + "t.trc"));
    handler().SetTraceFile("u.trc");
    EXPECT_EQ(handler().TraceFile(), "u.trc");
    EXPECT_EQ(clientValue("TraceFile"), "u.trc");
    EXPECT_TRUE(std::filesystem::exists(m_logDir + "u.trc"));
}

TEST_F(HandlerTest, TraceFlagsFromTheRegistryAreReadAsSwitches)
{
    struct Row {
        const char* name;
        reg::Value value;
        bool expected;
    };
    const std::vector<Row> rows = {
        {"dword 1", reg::Value::dword(1), true},
        {"dword 0", reg::Value::dword(0), false},
        {"text 0 counts as set", reg::Value::string("0"), true},
        {"empty text", reg::Value::string(""), false},
        {"binary", reg::Value::binary({1}), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        resetHandler();
        setClientValue("Trace", row.value);
        initialize();
        EXPECT_EQ(handler().Trace(), row.expected);
        EXPECT_EQ(ui().viewerVisible, row.expected);
    }
    resetHandler();
    setClientValue("TraceProcedures", reg::Value::dword(0));
    initialize();
    EXPECT_FALSE(handler().TraceProcedures());
}

TEST_F(HandlerTest, SilentBeforeInitializeCreatesNoDialogAndCannotBeUndone)
{
    handler().SetSilent(true);
    initialize();
    EXPECT_EQ(ui().errorDialogsCreated, 0);
    handler().SetSilent(false);
    EXPECT_TRUE(handler().Silent());

    resetHandler();
    initialize();
    handler().SetSilent(true);
    EXPECT_TRUE(handler().Silent());
    handler().SetSilent(false);
    EXPECT_FALSE(handler().Silent());
}

TEST_F(HandlerTest, UnopenableClientKeyKeepsEveryPropertyTheClientSet)
{
    m_registry.setWritable(reg::Hive::LocalMachine, false);
    handler().SetTraceFile("mine.trc");
    handler().SetLogFile("mine.log");
    initialize();
    EXPECT_EQ(handler().TraceFile(), "mine.trc");
    EXPECT_EQ(handler().LogFile(), "mine.log");
    EXPECT_EQ(handler().LogPath(), m_logDir);
    EXPECT_TRUE(std::filesystem::exists(m_logDir + "mine.trc"));
}

TEST_F(HandlerTest, LogPathThatCannotBeEstablishedRaisesInInitializeAndIsLoggedAfter)
{
    handler().SetComponentName("Quorin");
    handler().SetLogPath("relative/missing");
    try {
        handler().Initialize();
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 32025);
        EXPECT_EQ(e.source(), "[Rampart][CErrorHandler.Initialize][Line 4]Rampart");
        EXPECT_EQ(e.description(), "Unable to Establish LogPath\r\nPath/File access error\r\nPath='relative/missing/'");
    }

    resetHandler();
    initialize();
    handler().SetLogPath("relative/missing");
    EXPECT_EQ(handler().LogPath(), m_logDir);
    EXPECT_EQ(log(), "Unable to Establish LogPath\r\nPath/File access error\r\nPath='relative/missing/'\r\n");
}

TEST_F(HandlerTest, GettersBeforeInitializeRaise32021)
{
    const std::vector<std::function<void()>> calls = {
        [&] { (void)handler().InlineError(); },       [&] { (void)handler().LastAPIError(); },
        [&] { (void)handler().LastExceptionCode(); }, [&] { (void)handler().APIReturnValue(); },
        [&] { handler().LogString("x"); },            [&] { handler().TraceEnter("M", "P"); },
        [&] { handler().LogData({}); },
    };
    for (std::size_t i = 0; i < calls.size(); ++i) {
        try {
            calls[i]();
            ADD_FAILURE() << "call " << i << " raised nothing";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), 32021) << i;
            EXPECT_EQ(e.description(), "Rampart Not Initialized");
        }
    }
}

TEST_F(HandlerTest, CustomRowSettingsAreSharedByTheHandlersOfAThread)
{
    CErrorHandler other(std::make_unique<SilentErrorUi>());
    handler().SetCustomCaption(2, "Mail");
    handler().SetCustomCaption(4, "ignored");
    handler().SetShowCustom(true);
    EXPECT_EQ(other.CustomCaption(2), "Mail");
    EXPECT_EQ(other.CustomCaption(4), "");
    EXPECT_TRUE(other.ShowCustom());
    other.SetShowCustom(false);
    EXPECT_FALSE(handler().ShowCustom());
}

TEST(WritableLogFolder, FallsBackToTheStateFolderWhenThePreferredOneIsNotWritable)
{
    testsupport::TempDir dir;
    EXPECT_EQ(WritableLogFolder(dir.path().string()), dir.path().string() + "/");
    ::setenv("XDG_STATE_HOME", dir.path().c_str(), 1);
    EXPECT_EQ(WritableLogFolder(dir.path().string() + "/does-not-exist"), dir.path().string() + "/tessaray/");
    ::unsetenv("XDG_STATE_HOME");
}
