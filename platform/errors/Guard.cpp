#include "platform/errors/Guard.h"

namespace platform {

namespace {
Reporter& currentReporter()
{
    static Reporter reporter;
    return reporter;
}
} // namespace

Answer reportError(const Error& error)
{
    const Reporter& reporter = currentReporter();
    if (!reporter) {
        return Answer::Abort;
    }
    return reporter(error);
}

void setReporter(Reporter reporter)
{
    currentReporter() = std::move(reporter);
}

ScopedReporter::ScopedReporter(Reporter reporter) : m_previous(std::move(currentReporter()))
{
    currentReporter() = std::move(reporter);
}

ScopedReporter::~ScopedReporter()
{
    currentReporter() = std::move(m_previous);
}

} // namespace platform
