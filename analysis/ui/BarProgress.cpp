#include "analysis/ui/BarProgress.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>

namespace analysis {

BarProgress::BarProgress(QProgressBar& bar, bool clearWhenDone)
    : m_bar(bar), m_clearWhenDone(clearWhenDone)
{
    m_bar.setRange(0, Steps);
    m_sincePaint.start();
}

BarProgress::~BarProgress()
{
    if (m_clearWhenDone) {
        m_bar.setValue(0);
    }
}

void BarProgress::setValue(double value)
{
    // Repaints are rationed by time: a routine that reports at every step (an
    // eigen solver at every rotation, say, whose value comes back to the
    // minimum again and again) costs at most one repaint per interval. The
    // first value and the last are always shown.
    if (m_painted && value != m_max && m_sincePaint.elapsed() < PaintInterval) {
        return;
    }
    const double span = m_max - m_min;
    const double share = span > 0 ? (value - m_min) / span : 0.0;
    m_bar.setValue(static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * Steps)));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sincePaint.restart();
    m_painted = true;
}

} // namespace analysis
