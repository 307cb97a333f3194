#include "errorlib/ui/UiClock.h"

#include <algorithm>

namespace rampart {

struct ManualClock::Entry {
    int interval = 1;
    std::int64_t elapsed = 0;
    bool active = false;
    std::function<void()> onTimeout;
};

namespace {

class ManualTimer final : public UiTimer {
public:
    ManualTimer(std::shared_ptr<std::vector<ManualClock::Entry*>> entries, int intervalMs,
                std::function<void()> onTimeout)
        : m_entries(std::move(entries))
    {
        m_entry.interval = std::max(1, intervalMs);
        m_entry.onTimeout = std::move(onTimeout);
        m_entries->push_back(&m_entry);
    }
    ~ManualTimer() override { std::erase(*m_entries, &m_entry); }
    ManualTimer(const ManualTimer&) = delete;
    ManualTimer& operator=(const ManualTimer&) = delete;

    void start() override
    {
        m_entry.active = true;
        m_entry.elapsed = 0;
    }
    void stop() override { m_entry.active = false; }
    [[nodiscard]] bool isActive() const override { return m_entry.active; }

private:
    std::shared_ptr<std::vector<ManualClock::Entry*>> m_entries;
    ManualClock::Entry m_entry;
};

} // namespace

ManualClock::ManualClock() : m_entries(std::make_shared<std::vector<Entry*>>()) {}

ManualClock::~ManualClock() = default;

std::unique_ptr<UiTimer> ManualClock::createTimer(int intervalMs, std::function<void()> onTimeout)
{
    return std::make_unique<ManualTimer>(m_entries, intervalMs, std::move(onTimeout));
}

void ManualClock::advance(std::int64_t milliseconds)
{
    std::int64_t left = milliseconds;
    for (;;) {
        // The active timer that falls due first.
        Entry* next = nullptr;
        std::int64_t due = 0;
        for (Entry* e : *m_entries) {
            if (e->active && (next == nullptr || e->interval - e->elapsed < due)) {
                next = e;
                due = e->interval - e->elapsed;
            }
        }
        if (next == nullptr || due > left) {
            for (Entry* e : *m_entries) {
                if (e->active) {
                    e->elapsed += left;
                }
            }
            return;
        }
        for (Entry* e : *m_entries) {
            if (e->active) {
                e->elapsed += due;
            }
        }
        left -= due;
        next->elapsed = 0;
        // The callback may stop, start or destroy timers (the entry list is re-read).
        const std::function<void()> callback = next->onTimeout;
        if (callback) {
            callback();
        }
    }
}

int ManualClock::activeTimers() const
{
    return static_cast<int>(std::count_if(m_entries->begin(), m_entries->end(), [](const Entry* e) { return e->active; }));
}

} // namespace rampart
