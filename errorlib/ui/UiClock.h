#pragma once

// The clock of the library's windows: repeating timers and short waits.
// The windows take it from outside so that tests drive time by hand:
// QtUiClock (MakeQtUiClock) uses Qt timers and really waits; ManualClock
// fires its timers only when the test advances it and never waits.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace rampart {

// A repeating timer, created stopped. Its callback runs on the UI thread.
class UiTimer {
public:
    virtual ~UiTimer() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    [[nodiscard]] virtual bool isActive() const = 0;
};

class UiClock {
public:
    virtual ~UiClock() = default;
    // A timer that calls onTimeout every intervalMs milliseconds while active.
    [[nodiscard]] virtual std::unique_ptr<UiTimer> createTimer(int intervalMs, std::function<void()> onTimeout) = 0;
    // Holds the calling thread for `milliseconds`.
    virtual void wait(int milliseconds) = 0;
};

[[nodiscard]] std::unique_ptr<UiClock> MakeQtUiClock();

// Time moves only through advance(); waits are recorded, not waited.
class ManualClock final : public UiClock {
public:
    ManualClock();
    ~ManualClock() override;
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    std::unique_ptr<UiTimer> createTimer(int intervalMs, std::function<void()> onTimeout) override;
    void wait(int milliseconds) override { m_waits.push_back(milliseconds); }

    // Lets `milliseconds` pass, firing each active timer as often as its
    // interval fits, in the order they fall due.
    void advance(std::int64_t milliseconds);
    [[nodiscard]] const std::vector<int>& waits() const { return m_waits; }
    // How many of the clock's timers are running.
    [[nodiscard]] int activeTimers() const;

    struct Entry;

private:
    std::shared_ptr<std::vector<Entry*>> m_entries;
    std::vector<int> m_waits;
};

} // namespace rampart
