#pragma once

// Clocks. Waits and elapsed times use the monotonic clock, which never jumps
// back at midnight or when the system time is set. Now() is the local date and
// time, which tests can fix.

#include <functional>

#include "platform/runtime/Format.h"

namespace platform::rt {

// Seconds on a monotonic clock from an arbitrary start.
[[nodiscard]] double MonotonicSeconds();

// The local date and time (or the fixed one a test installed).
[[nodiscard]] DateTime Now();
void setNowOverride(std::function<DateTime()> now);

// Waits `seconds`, calling DoEvents all the while, on the monotonic clock.
void WaitPumping(double seconds);

} // namespace platform::rt
