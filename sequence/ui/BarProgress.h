#pragma once

// BarProgress: a sequence window's progress bar as the sequence routines
// drive it. The bar takes the routine's range as it is (a maximum below 1
// becomes 1, so that an empty run shows an empty bar) and each value rounded
// to the nearest step; painting is left to the event loop the window runs
// in.

#include <QProgressBar>

#include <algorithm>
#include <cmath>

#include "numeric/Progress.h"

namespace sequence {

class BarProgress final : public numeric::Progress {
public:
    explicit BarProgress(QProgressBar& bar) : m_bar(bar) {}
    void setMinimum(double minimum) override { m_bar.setMinimum(static_cast<int>(minimum)); }
    void setMaximum(double maximum) override { m_bar.setMaximum(std::max(1, static_cast<int>(maximum))); }
    void setValue(double value) override { m_bar.setValue(static_cast<int>(std::lround(value))); }

private:
    QProgressBar& m_bar;
};

} // namespace sequence
