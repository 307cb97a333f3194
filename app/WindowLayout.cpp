#include "app/WindowLayout.h"

#include <algorithm>
#include <cmath>

namespace shell::WindowLayout {

namespace {

// The size clamped to at least UsableSize and at most the area (the area
// wins where it is smaller than UsableSize).
QSize usable(QSize want, QSize area)
{
    const int w = std::min(std::max(want.width(), UsableSize.width()), std::max(area.width(), 1));
    const int h = std::min(std::max(want.height(), UsableSize.height()), std::max(area.height(), 1));
    return {w, h};
}

// Offset of the i-th of a run of steps that restarts at 0 whenever a window
// of `size` would leave the area.
QPoint stepped(QSize area, QSize size, int i, int step)
{
    step = std::max(step, 1);
    const int room = std::min(area.width() - size.width(), area.height() - size.height());
    const int places = std::max(room, 0) / step + 1;
    const int k = i % places;
    return {k * step, k * step};
}

} // namespace

QRect newWindow(QSize area, int index, int step)
{
    const QSize size = usable(QSize(area.width() * 3 / 4, area.height() * 3 / 4), area);
    return {stepped(area, size, std::max(index, 0), step), size};
}

std::vector<QRect> cascade(QSize area, int n, int step)
{
    std::vector<QRect> out;
    if (n <= 0) {
        return out;
    }
    const int spread = (n - 1) * std::max(step, 1);
    const QSize want(std::max(area.width() - spread, area.width() * 3 / 5),
                     std::max(area.height() - spread, area.height() * 3 / 5));
    const QSize size = usable(want, area);
    for (int i = 0; i < n; ++i) {
        out.emplace_back(stepped(area, size, i, step), size);
    }
    return out;
}

std::vector<QRect> tile(QSize area, int n)
{
    std::vector<QRect> out;
    if (n <= 0) {
        return out;
    }
    const int cols = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    const int rows = (n + cols - 1) / cols;
    const int h = std::max(area.height() / rows, UsableSize.height());
    for (int r = 0; r < rows; ++r) {
        const int inRow = std::min(cols, n - r * cols);
        const int w = std::max(area.width() / inRow, UsableSize.width());
        for (int c = 0; c < inRow; ++c) {
            out.emplace_back(c * w, r * h, w, h);
        }
    }
    return out;
}

} // namespace shell::WindowLayout
