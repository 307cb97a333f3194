#pragma once

// Draws a chart model with a painter: the one drawing behind the window, the
// bitmap and SVG copies and the printed page, so that all of them agree.
//
// The 2-D types are drawn flat; the 3-D bar and line types in an oblique
// projection with one depth slot per series, the first series in front.
// Empty cells are gaps. Sizes of pens and fonts follow the target rectangle's
// units (pixels of the device).

#include <QColor>
#include <QRectF>

class QPainter;

namespace platform {

class ChartModel;

// Colour of a series (from 1), from a fixed palette of sixteen.
[[nodiscard]] QColor seriesColor(int series);

// Width in device pixels of a series pen of the given chart width (twentieths
// of a point, the thin default pen for 0).
[[nodiscard]] double penPixels(double width);

void paintChart(QPainter& painter, const QRectF& target, const ChartModel& model);

} // namespace platform
