#include <csignal>
#include <cstdlib>
#include <exception>
#include <string>

#include <gtest/gtest.h>

#include "errorlib/CrashGuard.h"
#include "tests/errorlib/HandlerFixture.h"

using namespace rampart;
using errorlib_test::HandlerTest;

using CrashGuardDeathTest = HandlerTest;

namespace {

// Recurses until the stack runs out (long before the bound); the frame's
// buffer keeps each call from being folded into a loop.
int overflowStack(int depth)
{
    if (depth > 1'000'000'000)
        return 0;
    volatile char frame[512];
    frame[depth % 512] = static_cast<char>(depth);
    return overflowStack(depth + 1) + frame[(depth + 1) % 512];
}

} // namespace

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

TEST_F(CrashGuardDeathTest, AStackOverflowIsLoggedAsAnAccessViolation)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    handler().SetSilent(true);
    initialize();
    EXPECT_EXIT(
        {
            const CrashGuard guard(handler());
            std::exit(overflowStack(0));
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    EXPECT_NE(log().find("Rampart Error Report\t\t"), std::string::npos) << "no report after the overflow";
    EXPECT_NE(log().find("Exception Code   = &HC0000005\r\nException Id     = EXCEPTION_ACCESS_VIOLATION\r\n"),
              std::string::npos)
        << log();
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
    stack_t before{};
    ::sigaltstack(nullptr, &before);
    {
        const CrashGuard guard(handler());
        EXPECT_NE(std::get_terminate(), previous);
    }
    EXPECT_EQ(std::get_terminate(), previous);
    struct sigaction now {};
    ::sigaction(SIGINT, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
    stack_t after{};
    ::sigaltstack(nullptr, &after);
    EXPECT_EQ(after.ss_sp, before.ss_sp) << "the guard's signal stack goes with it";
    EXPECT_EQ(after.ss_flags, before.ss_flags);
}
