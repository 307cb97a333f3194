#include "analysis/ui/BarProgress.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A routine that reports at every step, coming back to the minimum again and
// again (as an eigen solver's rotation count does), gets the window's events
// processed at the first value and then once per paint interval at most, not
// at every call.
TEST(BarProgressTest, EventsAreProcessedByTimeNotByValue)
{
    QProgressBar bar;
    bar.show();
    int processed = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&processed] { ++processed; });
    tick.start(0);
    QElapsedTimer clock;
    {
        analysis::BarProgress progress(bar);
        progress.setMinimum(0);
        progress.setMaximum(100);
        clock.start();
        for (int i = 0; i < 20000; ++i) {
            progress.setValue(i % 100);
        }
    }
    const qint64 elapsed = clock.elapsed();
    EXPECT_GE(processed, 1);
    // Bounded by the time the loop took, not by its 200 returns to 0.
    EXPECT_LE(processed, 1 + elapsed / 40 + 1) << elapsed << " ms";
}

} // namespace
