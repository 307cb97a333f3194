#include "platform/widgets/chart/ChartExport.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
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

bool printChart(const ChartModel& model, QSize size)
{
    const std::unique_ptr<QPrinter> device = PrintTarget::jobPrinter("Chart Tool");
    if (!device) {
        return false;
    }
    QtPagePrinter printer(*device);
    printer.Print(" ");
    QPainter& painter = printer.painter();
    if (!painter.isActive()) {
        printer.KillDoc();
        throw Error(PrinterError, std::string(RuntimeSource), "Printer error");
    }
    const double scale = printer.pixelsPerTwip() * TwipsPerPixel;
    paintChart(painter, QRectF(0, 0, size.width() * scale, size.height() * scale), model);
    printer.EndDoc();
    return true;
}

} // namespace platform
