#pragma once

// WindowPlacement: where a top-level tool window (a chart, a graph, a
// sequence window) opens, so that all of it lies inside the program's main
// window, as the document windows do, and on the screen.

#include <QRect>

class QWidget;

namespace platform {

// The frame rectangle of a window that wants `wanted` (its outer size and
// position) inside `area`: at most the area's size, centred in it when the
// wanted rectangle does not already lie wholly inside. Coordinates are the
// screen's. An empty area leaves the wanted rectangle as it is.
[[nodiscard]] QRect placedInside(const QRect& wanted, const QRect& area);

// Before a hidden window is shown: places it inside the main window `frame`
// (its frame rectangle, as far as it lies on its screen), or inside the
// available area of the screen when there is no frame shown, unless it lies
// wholly inside already. A window that is open stays where the user has it.
void placeInsideWhenOpened(QWidget& window, const QWidget* frame);

} // namespace platform
