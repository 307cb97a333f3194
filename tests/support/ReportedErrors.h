#pragma once

// Counts the errors that reach the reporter while it lives, answering each
// with Abort.

#include "platform/errors/Guard.h"

namespace testsupport {

struct ReportedErrors {
    int count = 0;
    platform::ScopedReporter reporter{[this](const platform::Error&) {
        ++count;
        return platform::Answer::Abort;
    }};
};

} // namespace testsupport
