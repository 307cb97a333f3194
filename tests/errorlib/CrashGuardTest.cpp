#include <csignal>
#include <cstdlib>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "errorlib/CrashGuard.h"
#include "platform/errors/Error.h"
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

// Lets the exception of `raise` leave a function that may not throw, as an
// exception that reaches a slot's end without a handler does: the runtime
// calls std::terminate with the exception still there.
void escapeUncaught(const std::function<void()>& raise) noexcept
{
    raise();
}

} // namespace

TEST_F(CrashGuardDeathTest, AnUncaughtExceptionIsLoggedWithItsTypeAndMessage)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    handler().SetSilent(true);
    initialize();
    struct Row {
        const char* name;
        std::function<void()> raise;
        const char* fields;       // Procedure and Context, or Context alone
        const char* description;
    };
    const Row rows[] = {
        {"numbered error",
         [] { throw platform::Error(5, "replaceAll", "The cells you are changing are locked on a protected sheet."); },
         "Procedure        = replaceAll\r\nContext          = Uncaught exception of type platform::Error\r\n",
         "Description      = Error 5: The cells you are changing are locked on a protected sheet.\r\n"},
        {"standard exception", [] { throw std::runtime_error("the disk went away"); },
         "Procedure        = \r\nContext          = Uncaught exception of type std::runtime_error\r\n",
         "Description      = the disk went away\r\n"},
        {"anything else", [] { throw 42; }, "Context          = Uncaught exception of type int\r\n",
         "Description      = Unexpected Error\r\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EXIT(
            {
                const CrashGuard guard(handler());
                escapeUncaught(row.raise);
            },
            ::testing::KilledBySignal(SIGABRT), "")
            << row.name;
        const std::string text = log();
        const std::size_t report = text.rfind("Rampart Error Report\t\t");
        ASSERT_NE(report, std::string::npos) << row.name;
        const std::string last = text.substr(report);
        EXPECT_NE(last.find(row.fields), std::string::npos) << row.name << "\n" << last;
        EXPECT_NE(last.find(row.description), std::string::npos) << row.name << "\n" << last;
        EXPECT_NE(last.find("Exception Code   = &HE06D7363\r\n"), std::string::npos) << row.name;
    }
}

TEST_F(CrashGuardDeathTest, AFaultSignalIsLoggedAsItsExceptionAndStillEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    handler().SetSilent(true);
    initialize();
    struct Row {
        int signal;
        const char* expected;
    };
    for (const Row row : {Row{SIGSEGV, "Context          = Signal SIGSEGV (11)\r\nBoundary         = rmpBoundaryNone\r\n"
                                       "Severity         = rmpSeverityFatal\r\nErl              = 0\r\n"
                                       "Exception Code   = &HC0000005\r\nException Id     = EXCEPTION_ACCESS_VIOLATION\r\n"},
                          Row{SIGINT, "Context          = Signal SIGINT (2)\r\nBoundary         = rmpBoundaryNone\r\n"
                                      "Severity         = rmpSeverityFatal\r\nErl              = 0\r\n"
                                      "Exception Code   = &HC000013A\r\nException Id     = EXCEPTION_CONTROL_C_EXIT\r\n"}}) {
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
    EXPECT_NE(log().find("Context          = std::terminate called without an exception\r\n"), std::string::npos)
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
