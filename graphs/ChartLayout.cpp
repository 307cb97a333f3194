#include "graphs/ChartLayout.h"

#include <algorithm>
#include <cmath>

#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace graphs {

namespace {

constexpr double MaxChartWidth = 32767;

// A bar's maximum as the bar holds it: whole twips within 0 .. 32767.
std::int16_t barMaximum(double slide)
{
    return static_cast<std::int16_t>(std::clamp(std::round(slide), 0.0, 32767.0));
}

} // namespace

void SetBarSteps(ScrollBarPlace& bar)
{
    const int m = bar.maximum;
    bar.smallChange = static_cast<std::int16_t>(std::abs(m / 16) + 1);
    bar.largeChange = static_cast<std::int16_t>(std::abs(m / 4) + 1);
}

ChartPlace ResizeLayout(const ChartFrame& f)
{
    ChartPlace p;
    p.height = f.windowHeight - 740;
    p.width = f.windowWidth - 200;
    p.hBar.left = 0;
    p.hBar.height = f.hBarHeight;
    p.vBar.top = 0;
    p.vBar.width = f.vBarWidth;

    if (p.width > f.scaleWidth) {
        p.hBar.top = f.scaleHeight - f.hBarHeight;
    } else {
        p.width = f.scaleWidth;
        p.hBar.top = f.scaleHeight;
    }
    if (p.height > p.hBar.top) {
        p.vBar.left = f.scaleWidth - f.vBarWidth;
        if (p.width > p.vBar.left) {
            p.hBar.top = f.scaleHeight - f.hBarHeight;
        }
    } else {
        p.height = f.scaleHeight;
        p.vBar.left = f.scaleWidth;
    }
    p.hBar.width = f.scaleWidth;
    p.vBar.height = p.hBar.top;
    p.hBar.maximum = barMaximum(p.width - p.vBar.left);
    p.vBar.maximum = barMaximum(p.height - p.hBar.top);
    SetBarSteps(p.hBar);
    SetBarSteps(p.vBar);
    return p;
}

ChartPlace ZoomHorizontally(const ChartFrame& f, const ChartPlace& current, double factor)
{
    ChartPlace p = current;
    const double w = platform::rt::RoundHalfEven(f.windowWidth * factor);
    p.width = std::min(w, MaxChartWidth);
    p.hBar.maximum = barMaximum(p.width - f.scaleWidth);
    if (p.width > f.scaleWidth) {
        p.hBar.top = f.scaleHeight - f.hBarHeight;
    } else {
        p.width = f.scaleWidth;
        p.hBar.top = f.scaleHeight;
    }
    p.hBar.width = f.scaleWidth;
    SetBarSteps(p.hBar);
    SetBarSteps(p.vBar);
    return p;
}

double VerticalZoomHeight(double windowHeight, double screenHeight)
{
    return std::max(windowHeight, std::min(windowHeight * 1.1, screenHeight));
}

NormalViewPlace NormalView(double screenWidth, double screenHeight)
{
    NormalViewPlace n;
    n.windowLeft = 200;
    n.windowTop = 200;
    n.windowWidth = screenWidth - 1000;
    n.windowHeight = screenHeight - 1000;
    n.chartHeight = n.windowHeight - 740;
    n.chartWidth = n.windowWidth - 200;
    n.chartTop = n.windowTop + 200;
    n.chartLeft = n.windowLeft + 100;
    return n;
}

std::optional<double> NumberAnswer(std::string_view answer)
{
    const platform::rt::FieldNumber n = platform::rt::ReadNumber(answer);
    return n.isNumber() ? std::optional<double>(n.value) : std::nullopt;
}

std::optional<std::int16_t> DivisionsForTicks(std::string_view answer)
{
    const auto v = NumberAnswer(answer);
    if (!v) {
        return std::nullopt;
    }
    const double n = platform::rt::RoundHalfEven(*v);
    if (n < 1 || n > 32768) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(n - 1);
}

} // namespace graphs
