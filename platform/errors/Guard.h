#pragma once

// Guarded procedures: Abort / Retry / Ignore for every statement.
//
// A guarded procedure runs its statements as steps. When a step throws, the
// error goes to the program's error reporter, whose answer decides:
//   Retry (4)   the same step runs again, with the state the failure left;
//   Ignore (5)  the procedure goes on with its next step;
//   Abort (3), or any other answer, leaves the procedure at once; it returns
//               whatever result it had assigned so far.
// An error thrown by the body outside any step is reported and leaves the
// procedure. Nothing escapes guarded(): it is the boundary of event handlers.
//
//     int loaded = 0;                             // the result assigned so far
//     platform::guarded([&](platform::Guard& g) {
//         g.step([&] { book.open(path); });
//         g.step([&] { loaded = book.sheetCount(); });
//     });
//     return loaded;
//
// The reporter is installed once by the program (the shell's ErrorHandler);
// tests install a scripted one with ScopedReporter.
//
// A refusal is no fault: the user asked for something the program declines
// for a reason the user can act on (a change of a protected sheet's locked
// cells, say). The refusal teller in force sees every error before the
// reporter does; when it recognises a refusal it tells the user in a plain
// box and the reporter is not asked (see reportError).

#include <cstdint>
#include <functional>
#include <utility>

#include "platform/errors/Error.h"

namespace platform {

// Answers of the reporter and of message boxes.
enum class Answer : std::int16_t {
    None = 0,
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
};

using Reporter = std::function<Answer(const Error&)>;

// Shows the plain message of a refusal and returns true; false, showing
// nothing, for an error that is not one.
using RefusalTeller = std::function<bool(const Error&)>;

// A refusal that the teller in force tells is answered Ok (a guarded
// procedure leaves at once, changing nothing more); any other error goes to
// the reporter in force, and with none installed is answered Abort.
[[nodiscard]] Answer reportError(const Error& error);
void setReporter(Reporter reporter);
// For procedures that pass over their failures without a report: tells the
// error when the teller in force recognises it as a refusal, so that a
// refused command still says why nothing happened. True when it was told.
bool tellIfRefusal(const Error& error);

// Installs a reporter for the lifetime of the object and restores the previous one.
class ScopedReporter {
public:
    explicit ScopedReporter(Reporter reporter);
    ~ScopedReporter();
    ScopedReporter(const ScopedReporter&) = delete;
    ScopedReporter& operator=(const ScopedReporter&) = delete;

private:
    Reporter m_previous;
};

// Installs a refusal teller for the lifetime of the object and restores the previous one.
class ScopedRefusalTeller {
public:
    explicit ScopedRefusalTeller(RefusalTeller teller);
    ~ScopedRefusalTeller();
    ScopedRefusalTeller(const ScopedRefusalTeller&) = delete;
    ScopedRefusalTeller& operator=(const ScopedRefusalTeller&) = delete;

private:
    RefusalTeller m_previous;
};

namespace detail {
// Thrown by a step to leave its procedure; caught only by guarded().
struct LeaveProcedure {};

enum class Next { RunAgain, GoOn, Leave };

// Runs one statement; when it throws, the error goes to the reporter and
// `decide` turns the answer into what happens next.
template <class F, class Decide>
void runStep(F&& statement, Decide&& decide)
{
    for (;;) {
        try {
            statement();
            return;
        } catch (const LeaveProcedure&) {
            throw;
        } catch (...) {
            switch (decide(reportError(currentAsError()))) {
            case Next::RunAgain:
                continue;
            case Next::GoOn:
                return;
            case Next::Leave:
                throw LeaveProcedure{};
            }
        }
    }
}
} // namespace detail

class Guard {
public:
    // Runs one statement under the reporter's Abort / Retry / Ignore.
    template <class F>
    void step(F&& statement)
    {
        detail::runStep(std::forward<F>(statement), [](Answer answer) {
            if (answer == Answer::Retry) {
                return detail::Next::RunAgain;
            }
            return answer == Answer::Ignore ? detail::Next::GoOn : detail::Next::Leave;
        });
    }
};

// Runs body(Guard&) as a guarded procedure; never throws.
template <class Body>
void guarded(Body&& body) noexcept
{
    try {
        Guard guard;
        std::forward<Body>(body)(guard);
    } catch (const detail::LeaveProcedure&) {
    } catch (...) {
        try {
            (void)reportError(currentAsError());
        } catch (...) {
        }
    }
}

// The traced variant, for the error reporter itself and the error dialog:
// Retry runs the step again only when debugMode() says so; Ignore goes on with
// the next step; every other answer runs onExit() (clear, trace exit,
// propagate) and leaves the procedure.
struct TracedExit {
    std::function<bool()> debugMode;
    std::function<void()> onExit;
};

class TracedGuard {
public:
    explicit TracedGuard(const TracedExit& exit) : m_exit(exit) {}

    template <class F>
    void step(F&& statement)
    {
        detail::runStep(std::forward<F>(statement), [this](Answer answer) {
            if (answer == Answer::Retry && m_exit.debugMode && m_exit.debugMode()) {
                return detail::Next::RunAgain;
            }
            if (answer == Answer::Ignore) {
                return detail::Next::GoOn;
            }
            if (m_exit.onExit) {
                m_exit.onExit();
            }
            return detail::Next::Leave;
        });
    }

private:
    const TracedExit& m_exit;
};

template <class Body>
void guardedTraced(const TracedExit& exit, Body&& body) noexcept
{
    try {
        TracedGuard guard(exit);
        std::forward<Body>(body)(guard);
    } catch (const detail::LeaveProcedure&) {
    } catch (...) {
        try {
            (void)reportError(currentAsError());
            if (exit.onExit) {
                exit.onExit();
            }
        } catch (...) {
        }
    }
}

} // namespace platform
