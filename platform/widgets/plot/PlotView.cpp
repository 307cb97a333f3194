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

PlotView::Painting PlotView::painting()
{
    return [this](QPainter& painter, const QRectF& target) { render(painter, target); };
}

QImage PlotView::imageOf(QSize size, QPainter::RenderHints hints, const Painting& paint)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(hints);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    return image;
}

QImage PlotView::toImage()
{
    return imageOf(size(), QPainter::Antialiasing, painting());
}

bool PlotView::saveBitmap(const QString& path)
{
    const bool bmp = path.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive);
    return toImage().save(path, bmp ? "BMP" : "PNG");
}

QByteArray PlotView::svgOf(QSize size, const QString& title, const Painting& paint)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(title);
    {
        QPainter painter(&generator);
        paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return bytes;
}

QByteArray PlotView::svgBytes()
{
    return svgOf(size(), QStringLiteral("Graph"), painting());
}

bool PlotView::saveSvg(const QString& path)
{
    QFile file(path);
    const QByteArray bytes = svgBytes();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray PlotView::metafileOf(QSize size, const Painting& paint)
{
    emf::EmfPaintDevice device(size);
    {
        QPainter painter(&device);
        paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return device.bytes();
}

QByteArray PlotView::metafileBytes()
{
    return metafileOf(size(), painting());
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

void PlotView::copy(const ClipboardForms& forms)
{
    auto* data = new QMimeData();
    if (!forms.bitmap.isNull()) {
        data->setImageData(forms.bitmap);
    }
    if (!forms.svg.isEmpty()) {
        data->setData(QStringLiteral("image/svg+xml"), forms.svg);
    }
    if (!forms.metafile.isEmpty()) {
        data->setData(QStringLiteral("image/emf"), forms.metafile);
        data->setData(QStringLiteral("image/x-emf"), forms.metafile);
    }
    if (forms.text) {
        data->setText(*forms.text);
    }
    QApplication::clipboard()->setMimeData(data);
}

void PlotView::copyBitmap()
{
    copy({.bitmap = toImage()});
}

void PlotView::copyVector()
{
    copy({.svg = svgBytes(), .metafile = metafileBytes()});
}

void PlotView::copyText(const QString& text)
{
    QApplication::clipboard()->clear();
    copy({.text = text});
}

} // namespace platform
