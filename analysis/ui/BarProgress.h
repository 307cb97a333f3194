#pragma once

// BarProgress: a dialog's progress bar as the numeric cores drive it. Values
// are scaled to a fixed range, and the window is repainted at the first and
// the last value and now and then between them (at most once every 40 ms,
// whatever the values are) while the work runs on the user-interface thread;
// user input waits until the run ends. With clearWhenDone the bar goes back
// to empty when the run is over.

#include <QElapsedTimer>
#include <QProgressBar>

#include "numeric/Progress.h"

namespace analysis {

class BarProgress final : public numeric::Progress {
public:
    explicit BarProgress(QProgressBar& bar, bool clearWhenDone = false);
    ~BarProgress() override;
    BarProgress(const BarProgress&) = delete;
    BarProgress& operator=(const BarProgress&) = delete;

    void setMinimum(double minimum) override { m_min = minimum; }
    void setMaximum(double maximum) override { m_max = maximum; }
    void setValue(double value) override;

private:
    static constexpr int Steps = 1000;
    static constexpr int PaintInterval = 40;  // ms
    QProgressBar& m_bar;
    QElapsedTimer m_sincePaint;  // monotonic
    bool m_clearWhenDone;
    bool m_painted = false;
    double m_min = 0;
    double m_max = 0;
};

} // namespace analysis
