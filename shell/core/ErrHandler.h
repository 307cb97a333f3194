#pragma once

// The program's central error reporter: one critical message box (style 18:
// stop icon, Abort / Retry / Ignore, Abort the default) chosen by the error
// number's group, then every numbered file closed, then the user's answer.
// Guarded procedures (platform/errors/Guard.h) act on the answer.

#include <cstdint>
#include <string>

#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"

namespace ErrHandler {

// Style of every box the reporter shows.
inline constexpr int ReportStyle = 18;

// The maintainers' address in the report requests.
inline constexpr const char* MaintainerEmail = "tessaray-support@example.org";

struct Report {
    std::string title;
    std::string text;
};

// The title and text of the box for an error number; `source` is the pending
// error's source (shown only for errors raised by RaiseError, number 1).
[[nodiscard]] Report ReportFor(std::int32_t number, const std::string& source);

// Shows the report of `error`, closes all numbered files and returns the
// answer: Abort, Retry or Ignore; None when the reporter itself failed before
// the box was answered (callers treat it as Abort). Traces its entry and exit
// through the program's error handler link.
platform::Answer ErrorHandler(const platform::Error& error);

// Makes ErrorHandler the reporter of every guarded procedure.
void InstallAsReporter();

} // namespace ErrHandler
