#include "platform/runtime/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "platform/runtime/Events.h"

namespace platform::rt {

namespace {
std::function<DateTime()>& nowOverride()
{
    static std::function<DateTime()> f;
    return f;
}
} // namespace

double MonotonicSeconds()
{
    const auto t = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(t).count();
}

DateTime Now()
{
    if (nowOverride()) {
        return nowOverride()();
    }
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

void setNowOverride(std::function<DateTime()> now)
{
    nowOverride() = std::move(now);
}

void WaitPumping(double seconds)
{
    const double end = MonotonicSeconds() + seconds;
    while (MonotonicSeconds() < end) {
        DoEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace platform::rt
