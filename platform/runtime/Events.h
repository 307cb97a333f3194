#pragma once

// DoEvents: lets the window system process pending events during long work,
// so windows keep painting. The GUI installs the hook (Qt's event processing);
// without one, DoEvents does nothing, which is what cores and tests want.

#include <functional>

namespace platform::rt {

void DoEvents();
void setDoEventsHook(std::function<void()> hook);

} // namespace platform::rt
