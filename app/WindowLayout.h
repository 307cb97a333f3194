#pragma once

// WindowLayout: where the frame puts its document windows. Pure geometry in
// the coordinates of the frame's client area (origin at its top left), so
// that the rules can be tested without windows.
//
// Every rectangle these functions give is at least UsableSize (or the whole
// area, where the area is smaller) and, except for tiling more windows than
// fit at that size, lies inside the area.

#include <QRect>
#include <QSize>

#include <vector>

namespace shell::WindowLayout {

// The smallest document window that still shows a useful part of a sheet.
inline constexpr QSize UsableSize{360, 240};

// A new window: three quarters of the area, placed `index` steps down and to
// the right of the top left (index counts the windows already shown), and
// back to the top left when the next step would leave the area.
[[nodiscard]] QRect newWindow(QSize area, int index, int step);

// Cascade of n windows, the first at the top left: each one step down and to
// the right of the one before, all the same size, as large as the cascade
// allows but never below UsableSize or 60 % of the area; when the steps
// would carry a window out of the area, the cascade starts again at the top.
[[nodiscard]] std::vector<QRect> cascade(QSize area, int n, int step);

// Tile of n windows in a grid of ceil(sqrt(n)) columns, row by row; the last
// row's windows share its whole width. Cells smaller than UsableSize are
// widened to it (the area then scrolls).
[[nodiscard]] std::vector<QRect> tile(QSize area, int n);

} // namespace shell::WindowLayout
