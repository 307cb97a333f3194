#pragma once

// Where a window that the program opens on its own (beside the main window,
// not as one of its document windows) first appears: inside the main
// window, as the document windows are, so that no part of it opens off
// screen. The window keeps the size it asked for where that fits; it is
// made smaller where the main window (or the screen) is smaller, but never
// below its minimum size, and centred on the main window.

#include <QRect>
#include <QSize>

class QWidget;

namespace platform::WindowPlace {

// The rule: a window of `wanted` size (at least `minimum`) over the frame
// rectangle `frame`, kept inside `screen` (all in screen coordinates).
// Where the screen is smaller than the minimum, the window starts at the
// screen's top left.
[[nodiscard]] QRect inside(const QRect& frame, QSize wanted, QSize minimum, const QRect& screen);

// Moves and sizes the top-level `window` by that rule over the window that
// holds `over` (over the screen's available area when `over` is null), on
// the screen of that window.
void placeOver(QWidget& window, const QWidget* over);

} // namespace platform::WindowPlace
