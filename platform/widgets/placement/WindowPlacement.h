#pragma once

// WindowPlacement: where a top-level tool window (a chart, a graph, a
// sequence window) opens, so that all of it lies inside the program's main
// window, as the document windows do, and on the screen.

#include <QRect>
#include <QSize>

class QWidget;

namespace platform {

// The frame rectangle of a window that wants `wanted` (its outer size and
// position) inside `area`: at most the area's size but never below
// `minimum`, centred in it when the wanted rectangle does not already lie
// wholly inside. A window whose minimum is larger than the area starts at
// the area's top left. Coordinates are the screen's. An empty area leaves
// the wanted rectangle as it is.
[[nodiscard]] QRect placedInside(const QRect& wanted, const QRect& area, QSize minimum = {});

// Before a hidden window is shown: places it inside the main window `frame`
// (its frame rectangle, as far as it lies on its screen), or inside the
// available area of the screen when there is no frame shown, unless it lies
// wholly inside already; it is made smaller where the frame is, but never
// below its minimum size. A window that is open stays where the user has it.
void placeInsideWhenOpened(QWidget& window, const QWidget* frame);

} // namespace platform
