#include <chrono>
#include <thread>

#include <QTimer>

#include "errorlib/ui/UiClock.h"

namespace rampart {

namespace {

class QtTimer final : public UiTimer {
public:
    QtTimer(int intervalMs, std::function<void()> onTimeout)
    {
        m_timer.setInterval(intervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, [callback = std::move(onTimeout)] {
            if (callback) {
                callback();
            }
        });
    }
    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }
    [[nodiscard]] bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

class QtUiClock final : public UiClock {
public:
    std::unique_ptr<UiTimer> createTimer(int intervalMs, std::function<void()> onTimeout) override
    {
        return std::make_unique<QtTimer>(intervalMs, std::move(onTimeout));
    }
    void wait(int milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
};

} // namespace

std::unique_ptr<UiClock> MakeQtUiClock()
{
    return std::make_unique<QtUiClock>();
}

} // namespace rampart
