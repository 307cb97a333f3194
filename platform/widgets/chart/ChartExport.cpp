#include "platform/widgets/chart/ChartExport.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>

#include "platform/errors/Error.h"
#include "platform/print/QtPrinter.h"
#include "platform/widgets/chart/ChartModel.h"
#include "platform/widgets/chart/ChartPainter.h"

namespace platform {

namespace {
constexpr double TwipsPerPixel = 15.0;
constexpr std::int32_t PrinterError = 482;
} // namespace

QImage chartImage(const ChartModel& model, QSize size)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintChart(painter, QRectF(QPointF(0, 0), QSizeF(image.size())), model);
    return image;
}

QByteArray chartSvg(const ChartModel& model, QSize size)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle("Chart");
    {
        QPainter painter(&svg);
        paintChart(painter, QRectF(QPointF(0, 0), QSizeF(size)), model);
    }
    return bytes;
}

std::unique_ptr<QMimeData> chartMimeData(const ChartModel& model, QSize size)
{
    auto data = std::make_unique<QMimeData>();
    data->setImageData(chartImage(model, size));
    data->setData("image/svg+xml", chartSvg(model, size));
    data->setText(QString::fromStdString(model.dataText()));
    return data;
}

void copyChart(const ChartModel& model, QSize size)
{
    QGuiApplication::clipboard()->setMimeData(chartMimeData(model, size).release());
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
    const double inches = 1.0 / 96.0;
    const QSizeF upright = device->pageLayout().pageSize().size(QPageSize::Inch);
    if (size.width() > size.height() && size.width() * inches > upright.width() - 1.0) {
        device->setPageOrientation(QPageLayout::Landscape);
    }
    // The page is drawn at the screen's 96 dots to the inch: lines keep the
    // width they have on the screen (one dot of a 1200-dot printer is a
    // hairline) and gaps between texts their proportions.
    device->setResolution(96);
    QtPagePrinter printer(*device);
    printer.Print(" ");
    QPainter& painter = printer.painter();
    if (!painter.isActive()) {
        printer.KillDoc();
        throw Error(PrinterError, std::string(RuntimeSource), "Printer error");
    }
    paintChart(painter, printedChartRect(size, printablePage(*device), printer.pixelsPerTwip() * TwipsPerPixel),
               model);
    printer.EndDoc();
    return true;
}

} // namespace platform
