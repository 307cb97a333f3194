#pragma once

// Copies and printouts of a chart: the picture at a given size in pixels, as
// a bitmap or SVG, and together with the table's text on the clipboard. The
// pictures and the clipboard entry are made by the plot view's exports
// (platform/widgets/plot/PlotView.h), which the graph control uses too.

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>

namespace platform {

class ChartModel;

[[nodiscard]] QImage chartImage(const ChartModel& model, QSize size);
[[nodiscard]] QByteArray chartSvg(const ChartModel& model, QSize size);

// The picture (bitmap and SVG) and the data (tab-separated text) in one
// clipboard entry, so that the receiving program pastes the one it takes.
void copyChart(const ChartModel& model, QSize size);

// Prints the picture at its size (96 pixels to the inch) from the top-left
// corner of the printable area of one page on the program's printer
// (platform/print); a picture larger than that area is laid out smaller to
// fit it whole, legend included, and a wide one is printed on a page turned
// sideways. False when the user gave up the choice of a PDF file on a
// machine without a printer; a printer that cannot be drawn on raises error
// 482.
bool printChart(const ChartModel& model, QSize size);

// The rectangle a chart of `size` pixels takes on a page (device pixels,
// devicePixelsPerPixel of them to a screen pixel).
[[nodiscard]] QRectF printedChartRect(QSize size, const QRectF& page, double devicePixelsPerPixel);

} // namespace platform
