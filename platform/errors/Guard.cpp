#include "platform/errors/Guard.h"

namespace platform {

namespace {
Reporter& currentReporter()
{
    static Reporter reporter;
    return reporter;
}

RefusalTeller& currentTeller()
{
    static RefusalTeller teller;
    return teller;
}
} // namespace

Answer reportError(const Error& error)
{
    if (tellIfRefusal(error)) {
        return Answer::Ok;
    }
    const Reporter& reporter = currentReporter();
    if (!reporter) {
        return Answer::Abort;
    }
    return reporter(error);
}

bool tellIfRefusal(const Error& error)
{
    const RefusalTeller& teller = currentTeller();
    return teller && teller(error);
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

ScopedRefusalTeller::ScopedRefusalTeller(RefusalTeller teller) : m_previous(std::move(currentTeller()))
{
    currentTeller() = std::move(teller);
}

ScopedRefusalTeller::~ScopedRefusalTeller()
{
    currentTeller() = std::move(m_previous);
}

} // namespace platform
