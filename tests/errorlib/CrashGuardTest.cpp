#include <csignal>
#include <exception>
#include <string>

#include <gtest/gtest.h>

#include "errorlib/CrashGuard.h"
#include "tests/errorlib/HandlerFixture.h"

using namespace rampart;
using errorlib_test::HandlerTest;

using CrashGuardDeathTest = HandlerTest;

TEST_F(CrashGuardDeathTest, AFaultSignalIsLoggedAsItsExceptionAndStillEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    handler().SetSilent(true);
    initialize();
    struct Row {
        int signal;
        const char* expected;
    };
    for (const Row row : {Row{SIGSEGV, "Exception Code   = &HC0000005\r\nException Id     = EXCEPTION_ACCESS_VIOLATION\r\n"},
                          Row{SIGINT, "Exception Code   = &HC000013A\r\nException Id     = EXCEPTION_CONTROL_C_EXIT\r\n"}}) {
        EXPECT_EXIT(
            {
                const CrashGuard guard(handler());
                std::raise(row.signal);
            },
            ::testing::KilledBySignal(row.signal), "");
        const std::string text = log();
        EXPECT_NE(text.find(row.expected), std::string::npos) << text;
    }
    const std::string text = log();
    EXPECT_EQ(text.rfind("Rampart Error Report\t\t", 0), 0U);
    EXPECT_NE(text.find("Component        = Quorin\r\nModule           = \r\n"), std::string::npos);
    EXPECT_NE(text.find("Severity         = rmpSeverityFatal\r\n"), std::string::npos);
    EXPECT_NE(text.find("Source           = Rampart6\r\n\r\nDescription      = Unexpected Error\r\n"),
              std::string::npos);
}

TEST_F(CrashGuardDeathTest, TerminateIsLoggedAsAnUncaughtExceptionBeforeTheAbort)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    handler().SetSilent(true);
    initialize();
    EXPECT_EXIT(
        {
            const CrashGuard guard(handler());
            std::terminate();
        },
        ::testing::KilledBySignal(SIGABRT), "");
    EXPECT_NE(log().find("Exception Code   = &HE06D7363\r\nException Id     = Exception Code\r\n"
                         "Source           = Rampart6\r\n"),
              std::string::npos)
        << log();
}

TEST_F(HandlerTest, CrashGuardRestoresThePreviousHandlers)
{
    initialize();
    const auto previous = std::get_terminate();
    {
        const CrashGuard guard(handler());
        EXPECT_NE(std::get_terminate(), previous);
    }
    EXPECT_EQ(std::get_terminate(), previous);
    struct sigaction now {};
    ::sigaction(SIGINT, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}
