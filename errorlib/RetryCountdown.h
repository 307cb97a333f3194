#pragma once

// The error dialog's automatic-retry countdown, without a timer of its own:
// the dialog's one-second timer calls tick(), the buttons call pause() and
// resume(). The timer button's caption and tool tip follow the state:
//
//   start(n)   " Don't Retry = n "   "Cancel Automatic Retry Timer"   (running)
//   tick()     "Don't Retry = n-1"   "Cancel Automatic Retry Timer"
//   pause()    "Retry = n"           "Resume Automatic Retry Timer"   (stopped)
//   resume()   runs again and ticks once at once, so it takes a second off.
//
// A tick that leaves fewer than one second stops the countdown and reports
// that the dialog is to close with the retry action.

#include <cstdint>
#include <string>

namespace rampart {

class RetryCountdown {
public:
    // Sets the count and the starting caption; runs when `run` is set.
    void start(std::int16_t seconds, bool run);
    // One second passes. True when the count has run out: the countdown has
    // stopped and the dialog closes with the retry action. Nothing happens
    // while it is not running.
    [[nodiscard]] bool tick();
    // Stops the count (when it runs) and shows the resume caption.
    void pause();
    // Runs again and ticks once; true when that tick ran the count out.
    [[nodiscard]] bool resume();
    // Pauses when running, resumes when paused (the timer button). True when
    // resuming ran the count out.
    [[nodiscard]] bool toggle();
    // Stops without changing the caption (the dialog closed by a button).
    void stop() { m_running = false; }

    [[nodiscard]] bool isRunning() const { return m_running; }
    [[nodiscard]] std::int16_t seconds() const { return m_seconds; }
    [[nodiscard]] const std::string& caption() const { return m_caption; }
    [[nodiscard]] const std::string& toolTip() const { return m_toolTip; }

private:
    std::int16_t m_seconds = 0;
    bool m_running = false;
    std::string m_caption;
    std::string m_toolTip;
};

} // namespace rampart
