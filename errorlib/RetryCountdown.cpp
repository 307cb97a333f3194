#include "errorlib/RetryCountdown.h"

namespace rampart {

namespace {
constexpr const char* CancelTip = "Cancel Automatic Retry Timer";
constexpr const char* ResumeTip = "Resume Automatic Retry Timer";
} // namespace

void RetryCountdown::start(std::int16_t seconds, bool run)
{
    m_seconds = seconds;
    m_running = run;
    m_caption = " Don't Retry = " + std::to_string(seconds) + " ";
    m_toolTip = CancelTip;
}

bool RetryCountdown::tick()
{
    if (!m_running) {
        return false;
    }
    --m_seconds;
    m_caption = "Don't Retry = " + std::to_string(m_seconds);
    m_toolTip = CancelTip;
    if (m_seconds < 1) {
        m_running = false;
        return true;
    }
    return false;
}

void RetryCountdown::pause()
{
    m_running = false;
    m_caption = "Retry = " + std::to_string(m_seconds);
    m_toolTip = ResumeTip;
}

bool RetryCountdown::resume()
{
    m_running = true;
    return tick();
}

bool RetryCountdown::toggle()
{
    if (m_running) {
        pause();
        return false;
    }
    return resume();
}

} // namespace rampart
