#pragma once

// Last-chance reports of a dying process.
//
// This platform ends a process that faults with a signal (SIGSEGV, SIGFPE,
// SIGILL, SIGBUS, SIGTRAP, SIGINT) or calls std::terminate (an exception that
// nobody caught). CrashGuard turns each into the handler's exception error:
// the exception code named after the signal (0xC0000005
// "EXCEPTION_ACCESS_VIOLATION", ...) or 0xE06D7363 for std::terminate, and an
// "Rampart Error Report" with its exception block in the client's log file.
// The report says what happened: for a signal, Context "Signal SIGSEGV
// (11)"; for an exception nobody caught, Context "Uncaught exception of type
// <type>" and Description its message ("Error <number>: <description>" for
// a platform::Error, whose source goes to Procedure; what() for any other
// std::exception). Then the process ends as it would have: the signal's
// default action, or abort().
//
// The signal path runs inside the signal handler: it throws nothing, takes no
// lock and allocates nothing; it writes one prepared report with write(2) to
// the log file named when the guard was installed. It runs on a stack of
// its own, so that a fault from a stack overflow (a runaway recursion) is
// reported as well; that stack serves the thread that installed the guard
// (the program's main thread). The terminate path records the exception in
// the handler (HandleException) and logs through LogString.

#include <memory>

#include "errorlib/ICErrorHandler.h"

namespace rampart {

class CrashGuard {
public:
    // Installs the handlers for `handler`, which must be initialised and
    // outlive the guard. One guard at a time per process.
    explicit CrashGuard(ICErrorHandler& handler);
    // Restores the previous signal handlers, signal stack and terminate handler.
    ~CrashGuard();
    CrashGuard(const CrashGuard&) = delete;
    CrashGuard& operator=(const CrashGuard&) = delete;

private:
    class SignalStack;
    std::unique_ptr<SignalStack> m_signalStack;
};

} // namespace rampart
