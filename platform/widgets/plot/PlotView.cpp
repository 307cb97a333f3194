#include "platform/widgets/plot/PlotView.h"

#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QFile>
#include <QGraphicsLayout>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QStackedLayout>
#include <QSvgGenerator>

#include "platform/metafile/EmfPaintDevice.h"
#include "platform/print/QtPrinter.h"

namespace platform {

PlotView::PlotView(QWidget* parent)
    : QWidget(parent), m_stack(new QStackedLayout(this)), m_chartView(new QChartView(this))
{
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_stack->addWidget(m_chartView);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

PlotView::~PlotView() = default;

void PlotView::showChart(QChart* chart)
{
    QChart* former = m_chart;
    m_chart = chart;
    m_chartView->setChart(chart);
    delete former;
    if (m_painted != nullptr) {
        m_stack->removeWidget(m_painted);
        m_painted->deleteLater();
        m_painted = nullptr;
    }
    m_stack->setCurrentWidget(m_chartView);
}

void PlotView::showPainted(QWidget* surface)
{
    if (m_painted != nullptr) {
        m_stack->removeWidget(m_painted);
        m_painted->deleteLater();
    }
    m_painted = surface;
    m_stack->addWidget(surface);
    m_stack->setCurrentWidget(surface);
    if (m_chart != nullptr) {
        // The chart view keeps an empty chart of its own.
        m_chartView->setChart(new QChart());
        delete m_chart;
        m_chart = nullptr;
    }
}

void PlotView::render(QPainter& painter, const QRectF& target)
{
    painter.save();
    painter.fillRect(target, Qt::white);
    if (m_chart != nullptr) {
        m_chartView->scene()->render(&painter, target, QRectF(QPointF(0, 0), m_chart->size()),
                                     Qt::IgnoreAspectRatio);
    } else if (m_painted != nullptr) {
        painter.translate(target.topLeft());
        painter.scale(target.width() / std::max(1, m_painted->width()),
                      target.height() / std::max(1, m_painted->height()));
        m_painted->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    painter.restore();
}

QImage PlotView::toImage()
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    render(painter, QRectF(QPointF(0, 0), QSizeF(size())));
    return image;
}

bool PlotView::saveBitmap(const QString& path)
{
    const bool bmp = path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive);
    return toImage().save(path, bmp ? "BMP" : "PNG");
}

QByteArray PlotView::svgBytes()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size());
    generator.setViewBox(QRect(QPoint(0, 0), size()));
    generator.setTitle(QStringLiteral("Graph"));
    {
        QPainter painter(&generator);
        render(painter, QRectF(QPointF(0, 0), QSizeF(size())));
    }
    return bytes;
}

bool PlotView::saveSvg(const QString& path)
{
    QFile file(path);
    const QByteArray bytes = svgBytes();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray PlotView::metafileBytes()
{
    emf::EmfPaintDevice device(size());
    {
        QPainter painter(&device);
        render(painter, QRectF(QPointF(0, 0), QSizeF(size())));
    }
    return device.bytes();
}

bool PlotView::saveMetafile(const QString& path)
{
    QFile file(path);
    const QByteArray bytes = metafileBytes();
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

bool PlotView::print(QPrinter& printer)
{
    // The page is drawn at the screen's 96 dots to the inch, so that texts
    // keep the point sizes the chart laid them out with (at the printer's own
    // resolution they would be measured for the screen and drawn ten times
    // larger). A chart is laid out afresh for the page, so the plot takes the
    // paper and its labels keep a size for paper; a painted picture is
    // scaled to the page with its shape kept.
    printer.setResolution(ScreenDotsPerInch);
    QPainter painter(&printer);
    if (!painter.isActive()) {
        return false;
    }
    const QRectF page = printablePage(printer);
    if (m_chart != nullptr) {
        const QSizeF shown = m_chart->size();
        layOutChart(page.size());
        painter.fillRect(page, Qt::white);
        m_chartView->scene()->render(&painter, page, QRectF(m_chart->pos(), page.size()), Qt::IgnoreAspectRatio);
        layOutChart(shown);
    } else {
        const QSizeF picture = QSizeF(size()).scaled(page.size(), Qt::KeepAspectRatio);
        render(painter, QRectF(page.topLeft(), picture));
    }
    return painter.end();
}

void PlotView::layOutChart(QSizeF size)
{
    m_chart->resize(size);
    if (QGraphicsLayout* layout = m_chart->layout()) {
        layout->invalidate();
        layout->activate();
    }
}

bool PlotView::printToPdf(const QString& path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageOrientation(width() >= height() ? QPageLayout::Landscape : QPageLayout::Portrait);
    return print(printer) && QFile::exists(path) && QFile(path).size() > 0;
}

void PlotView::copyBitmap()
{
    QApplication::clipboard()->setImage(toImage());
}

void PlotView::copyVector()
{
    auto* data = new QMimeData();
    data->setData(QStringLiteral("image/svg+xml"), svgBytes());
    const QByteArray emf = metafileBytes();
    data->setData(QStringLiteral("image/emf"), emf);
    data->setData(QStringLiteral("image/x-emf"), emf);
    QApplication::clipboard()->setMimeData(data);
}

void PlotView::copyText(const QString& text)
{
    QApplication::clipboard()->clear();
    QApplication::clipboard()->setText(text);
}

} // namespace platform
