#pragma once

// The pieces of the program's start-up that need no window: the link from the
// error reporter to the error-handling library's handler object, the
// handler's configuration in its fixed order, the text of the box shown when
// the library cannot be brought up, the folder of the log file, and the step
// runner of the start-up sequence, whose failures go to the handler's
// HandleError.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "errorlib/ICErrorHandler.h"
#include "errorlib/IErrorClient.h"
#include "platform/errors/Error.h"
#include "shell/core/ErrorHandlerLink.h"

namespace MMain {

// The reporter's tracing, debug-mode test and error propagation, forwarded to
// the library's handler object, which must outlive the link.
class RampartLink final : public shell::ErrorHandlerLink {
public:
    explicit RampartLink(rampart::ICErrorHandler& handler) : m_handler(handler) {}

    void TraceEnter(std::string_view module, std::string_view procedure) override;
    void TraceExit(std::string_view module, std::string_view procedure) override;
    [[nodiscard]] bool DebugMode() const override;
    void PropagateError(int boundary) override;

private:
    rampart::ICErrorHandler& m_handler;
};

// True when the command line holds "/TRACE" (exact and case-sensitive).
[[nodiscard]] bool HasTraceSwitch(std::string_view commandLine);

// Gives the handler, in this order: the error client, the component name, the
// log folder, debug mode off, Trace as the command line asks, Trace off (so
// tracing never runs), then Initialize. Errors of the handler pass on.
void ConfigureHandler(rampart::ICErrorHandler& handler, std::shared_ptr<rampart::IErrorClient> client,
                      const std::string& componentName, const std::string& logPath, std::string_view commandLine);

// "Error Initializing Rampart Error Handling", an empty line, then
// "Error=", "Source=" and "Description=" lines, joined by CR LF.
[[nodiscard]] std::string InitFailureMessage(const platform::Error& error);

// The log folder: `programFolder` when a file can be created in it, else
// $XDG_STATE_HOME/tessaray (~/.local/state/tessaray), created when missing.
[[nodiscard]] std::string LogFolder(const std::string& programFolder);

// Runs the statements of the start-up sequence. A statement that fails goes
// to the handler's HandleError (module "MMain", procedure "StartUp", no
// boundary, normal severity, retry by line). Ignore goes on with the next
// statement; Retry runs the statement again only in debug mode; any other
// choice ends the sequence: TraceExit, then PropagateError, and the error
// passes on to the caller (the one the handler left pending, else the
// statement's own).
class StartUpSteps {
public:
    explicit StartUpSteps(rampart::ICErrorHandler& handler) : m_handler(handler) {}

    template <class F>
    void step(F&& statement)
    {
        for (;;) {
            try {
                std::forward<F>(statement)();
                return;
            } catch (...) {
                const platform::Error error = platform::currentAsError();
                if (!handle(error)) {
                    continue;
                }
                return;
            }
        }
    }

private:
    // True to go on with the next statement, false to run it again; throws
    // to end the sequence.
    bool handle(const platform::Error& error);

    rampart::ICErrorHandler& m_handler;
};

} // namespace MMain
