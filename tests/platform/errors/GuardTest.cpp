#include "platform/errors/Guard.h"

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using platform::Answer;
using platform::Error;

namespace {

// Answers reports from a script and records the numbers it was shown.
struct ScriptedReporter {
    std::deque<Answer> answers;
    std::vector<int> shown;

    platform::Reporter reporter()
    {
        return [this](const Error& e) {
            shown.push_back(e.number());
            if (answers.empty()) {
                return Answer::Abort;
            }
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        };
    }
};

// A procedure with three statements; the second fails while `failures` > 0.
int procedure(int& failures, std::vector<int>& ran)
{
    int result = 0;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { ran.push_back(1); result = 1; });
        g.step([&] {
            ran.push_back(2);
            if (failures > 0) {
                --failures;
                throw Error(11, "Divide", "Division by zero");
            }
            result = 2;
        });
        g.step([&] { ran.push_back(3); result += 10; });
    });
    return result;
}

} // namespace

TEST(Guard, RetryRerunsTheFailingStepUntilItSucceeds)
{
    ScriptedReporter script{{Answer::Retry, Answer::Retry}, {}};
    platform::ScopedReporter scoped(script.reporter());
    int failures = 2;
    std::vector<int> ran;
    EXPECT_EQ(procedure(failures, ran), 12);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 2, 2, 3}));
    EXPECT_EQ(script.shown, (std::vector<int>{11, 11}));
}

TEST(Guard, RetryShowsTheBoxAgainUntilAbort)
{
    ScriptedReporter script{{Answer::Retry, Answer::Retry, Answer::Abort}, {}};
    platform::ScopedReporter scoped(script.reporter());
    int failures = 100;
    std::vector<int> ran;
    EXPECT_EQ(procedure(failures, ran), 1) << "Abort returns what was assigned so far";
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 2, 2}));
    EXPECT_EQ(script.shown.size(), 3u);
}

TEST(Guard, IgnoreGoesOnWithTheNextStep)
{
    ScriptedReporter script{{Answer::Ignore}, {}};
    platform::ScopedReporter scoped(script.reporter());
    int failures = 1;
    std::vector<int> ran;
    EXPECT_EQ(procedure(failures, ran), 11);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST(Guard, AnyOtherAnswerLeavesLikeAbort)
{
    ScriptedReporter script{{Answer::None}, {}};
    platform::ScopedReporter scoped(script.reporter());
    int failures = 1;
    std::vector<int> ran;
    EXPECT_EQ(procedure(failures, ran), 1);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

TEST(Guard, ErrorOutsideAStepIsReportedAndNothingEscapes)
{
    ScriptedReporter script{{Answer::Retry}, {}};
    platform::ScopedReporter scoped(script.reporter());
    bool after = false;
    platform::guarded([&](platform::Guard&) {
        throw std::runtime_error("plain");
        after = true;
    });
    EXPECT_FALSE(after);
    EXPECT_EQ(script.shown, (std::vector<int>{1}));
}

TEST(Guard, TracedRetryRerunsOnlyInDebugMode)
{
    for (bool debug : {false, true}) {
        ScriptedReporter script{{Answer::Retry, Answer::Retry}, {}};
        platform::ScopedReporter scoped(script.reporter());
        int exits = 0;
        platform::TracedExit exit{[debug] { return debug; }, [&exits] { ++exits; }};
        int attempts = 0;
        bool reachedNext = false;
        platform::guardedTraced(exit, [&](platform::TracedGuard& g) {
            g.step([&] {
                if (++attempts < 3) {
                    throw Error(5, "s", "d");
                }
            });
            g.step([&] { reachedNext = true; });
        });
        if (debug) {
            EXPECT_EQ(attempts, 3);
            EXPECT_TRUE(reachedNext);
            EXPECT_EQ(exits, 0);
        } else {
            EXPECT_EQ(attempts, 1);
            EXPECT_FALSE(reachedNext);
            EXPECT_EQ(exits, 1) << "leaving runs the exit steps once";
        }
    }
}

TEST(Guard, ARefusalIsToldOnceAndLeavesTheProcedureWithoutAReport)
{
    // Error 5 from "Refuse" is a refusal; every other error is a fault.
    std::vector<std::string> told;
    platform::ScopedRefusalTeller teller([&told](const Error& e) {
        if (e.number() != 5 || e.source() != "Refuse")
            return false;
        told.push_back(e.description());
        return true;
    });
    ScriptedReporter script{{Answer::Retry}, {}};
    platform::ScopedReporter scoped(script.reporter());

    std::vector<int> ran;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { ran.push_back(1); });
        g.step([&] {
            ran.push_back(2);
            throw Error(5, "Refuse", "not here");
        });
        g.step([&] { ran.push_back(3); });
    });
    EXPECT_EQ(ran, (std::vector<int>{1, 2})) << "neither run again nor gone on";
    EXPECT_EQ(told, (std::vector<std::string>{"not here"}));
    EXPECT_TRUE(script.shown.empty()) << "a refusal is no fault to report";

    // Another error still reaches the reporter, whose Retry runs the step again.
    int failures = 1;
    ran.clear();
    EXPECT_EQ(procedure(failures, ran), 12);
    EXPECT_EQ(script.shown, (std::vector<int>{11}));
    EXPECT_EQ(told.size(), 1u);

    // Procedures that pass over failures can still tell a refusal.
    EXPECT_TRUE(platform::tellIfRefusal(Error(5, "Refuse", "nor here")));
    EXPECT_FALSE(platform::tellIfRefusal(Error(5, "Other", "a fault")));
    EXPECT_EQ(told.size(), 2u);
}

TEST(Guard, WithoutATellerNothingIsARefusal)
{
    ScriptedReporter script{{}, {}};
    platform::ScopedReporter scoped(script.reporter());
    EXPECT_FALSE(platform::tellIfRefusal(Error(5, "Refuse", "not here")));
    EXPECT_EQ(platform::reportError(Error(5, "Refuse", "not here")), Answer::Abort);
    EXPECT_EQ(script.shown, (std::vector<int>{5}));
}
