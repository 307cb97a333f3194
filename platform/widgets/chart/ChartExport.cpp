#include "platform/widgets/chart/ChartExport.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

#include "platform/errors/Error.h"
#include "platform/print/QtPrinter.h"
#include "platform/widgets/chart/ChartModel.h"
#include "platform/widgets/chart/ChartPainter.h"
#include "platform/widgets/plot/PlotView.h"

namespace platform {

namespace {
constexpr double TwipsPerPixel = 15.0;

PlotView::Painting paintingOf(const ChartModel& model)
{
    return [&model](QPainter& painter, const QRectF& target) { paintChart(painter, target, model); };
}

} // namespace

QImage chartImage(const ChartModel& model, QSize size)
{
    return PlotView::imageOf(size.expandedTo(QSize(1, 1)), {}, paintingOf(model));
}

QByteArray chartSvg(const ChartModel& model, QSize size)
{
    return PlotView::svgOf(size, QStringLiteral("Chart"), paintingOf(model));
}

void copyChart(const ChartModel& model, QSize size)
{
    PlotView::copy({.bitmap = chartImage(model, size),
                    .svg = chartSvg(model, size),
                    .text = QString::fromStdString(model.dataText())});
}

QRectF printedChartRect(QSize size, const QRectF& page, double devicePixelsPerPixel)
{
    // The chart keeps its size on paper when it fits; a larger one shrinks
    // to the page with its shape kept. The painter lays it out in that
    // rectangle with its texts at their point sizes, so nothing is cut off
    // and the labels keep a size for paper.
    const QSizeF natural(size.width() * devicePixelsPerPixel, size.height() * devicePixelsPerPixel);
    const QSizeF fitted =
        natural.width() <= page.width() && natural.height() <= page.height() ? natural
                                                                             : natural.scaled(page.size(), Qt::KeepAspectRatio);
    return {page.topLeft(), fitted};
}

bool printChart(const ChartModel& model, QSize size)
{
    const std::unique_ptr<QPrinter> device = PrintTarget::jobPrinter("Chart Tool");
    if (!device) {
        return false;
    }
    // A chart wider than tall that is wider than the upright page goes on a
    // page turned sideways.
    const double inches = 1.0 / PlotView::ScreenDotsPerInch;
    const QSizeF upright = device->pageLayout().pageSize().size(QPageSize::Inch);
    if (size.width() > size.height() && size.width() * inches > upright.width() - 1.0) {
        device->setPageOrientation(QPageLayout::Landscape);
    }
    // The page is drawn at the screen's 96 dots to the inch: lines keep the
    // width they have on the screen (one dot of a 1200-dot printer is a
    // hairline) and gaps between texts their proportions.
    device->setResolution(PlotView::ScreenDotsPerInch);
    QtPagePrinter printer(*device);
    printer.Print(" ");
    QPainter& painter = printer.painter();
    if (!painter.isActive()) {
        printer.KillDoc();
        throw Error(err::PrinterError, std::string(RuntimeSource), "Printer error");
    }
    paintChart(painter, printedChartRect(size, printablePage(*device), printer.pixelsPerTwip() * TwipsPerPixel),
               model);
    printer.EndDoc();
    return true;
}

} // namespace platform
