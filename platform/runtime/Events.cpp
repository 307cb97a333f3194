#include "platform/runtime/Events.h"

namespace platform::rt {

namespace {
std::function<void()>& hook()
{
    static std::function<void()> h;
    return h;
}
} // namespace

void DoEvents()
{
    if (hook()) {
        hook()();
    }
}

void setDoEventsHook(std::function<void()> h)
{
    hook() = std::move(h);
}

} // namespace platform::rt
