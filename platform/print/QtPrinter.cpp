#include "platform/print/QtPrinter.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/dialogs/Dialogs.h"

namespace platform {

namespace {

QPageSize::PageSizeId qtPageSize(std::int16_t paperSize)
{
    switch (paperSize) {
    case paper::Letter: return QPageSize::Letter;
    case paper::Legal: return QPageSize::Legal;
    case paper::A3: return QPageSize::A3;
    case paper::A5: return QPageSize::A5;
    default: return QPageSize::A4;
    }
}

std::int16_t paperCode(const QPageSize& size)
{
    switch (size.id()) {
    case QPageSize::Letter: return paper::Letter;
    case QPageSize::Legal: return paper::Legal;
    case QPageSize::A3: return paper::A3;
    case QPageSize::A5: return paper::A5;
    default: return paper::A4;
    }
}

QString& pdfPath()
{
    static QString path;
    return path;
}

PrintTarget::DialogHandler& dialogHandler()
{
    static PrintTarget::DialogHandler handler;
    return handler;
}

} // namespace

QFont toQFont(const StdFont& font)
{
    QFont f(QString::fromStdString(font.Name));
    f.setPointSizeF(font.Size > 0 ? font.Size : 10.0);
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    f.setStrikeOut(font.Strikethrough);
    return f;
}

QtPagePrinter::QtPagePrinter(QPrinter& device)
    : m_device(device), m_scale(device.resolution() / 1440.0),
      m_paper(paperCode(device.pageLayout().pageSize())),
      m_orientation(device.pageLayout().orientation() == QPageLayout::Landscape ? orientation::Landscape
                                                                                  : orientation::Portrait)
{
    m_device.setFullPage(true);
    m_qfont = toQFont(Font());
}

QtPagePrinter::~QtPagePrinter()
{
    if (m_painter.isActive()) {
        m_painter.end();
    }
}

void QtPagePrinter::applyLayout()
{
    QPageLayout layout(QPageSize(qtPageSize(m_paper)),
                       m_orientation == orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
    m_device.setPageLayout(layout);
}

void QtPagePrinter::setPaperSize(std::int16_t size)
{
    m_paper = size;
    applyLayout();
}

void QtPagePrinter::setOrientation(std::int16_t value)
{
    m_orientation = value == orientation::Landscape ? orientation::Landscape : orientation::Portrait;
    applyLayout();
}

double QtPagePrinter::ScaleWidth() const
{
    return m_device.pageLayout().fullRectPoints().width() * 20.0;
}

double QtPagePrinter::ScaleHeight() const
{
    return m_device.pageLayout().fullRectPoints().height() * 20.0;
}

void QtPagePrinter::setFont(const StdFont& font)
{
    Printer::setFont(font);
    m_qfont = toQFont(font);
}

double QtPagePrinter::TextWidth(std::string_view text) const
{
    const QFontMetricsF metrics(m_qfont, &m_device);
    return metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))) / m_scale;
}

double QtPagePrinter::TextHeight(std::string_view) const
{
    const QFontMetricsF metrics(m_qfont, &m_device);
    return metrics.height() / m_scale;
}

QPainter& QtPagePrinter::painter()
{
    if (!m_painter.isActive() && !m_refused) {
        m_refused = !m_painter.begin(&m_device);
    }
    return m_painter;
}

std::string QtPagePrinter::refusal() const
{
    if (!m_refused) {
        return {};
    }
    if (m_device.outputFormat() == QPrinter::PdfFormat) {
        return "The PDF file \"" + m_device.outputFileName().toStdString() + "\" could not be written.";
    }
    return "The printer \"" + m_device.printerName().toStdString() + "\" did not take the job.";
}

void QtPagePrinter::drawText(double x, double y, std::string_view text)
{
    QPainter& p = painter();
    p.setFont(m_qfont);
    const QFontMetricsF metrics(m_qfont, &m_device);
    p.drawText(QPointF(x * m_scale, y * m_scale + metrics.ascent()),
               QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QtPagePrinter::Line(double x1, double y1, double x2, double y2)
{
    QPainter& p = painter();
    p.setPen(QPen(Qt::black, std::max(1.0, 15.0 * m_scale)));
    p.drawLine(QPointF(x1 * m_scale, y1 * m_scale), QPointF(x2 * m_scale, y2 * m_scale));
}

void QtPagePrinter::NewPage()
{
    static_cast<void>(painter());
    m_device.newPage();
    Printer::NewPage();
}

void QtPagePrinter::EndDoc()
{
    if (painter().isActive()) {
        m_painter.end();
    }
    resetPage();
}

void QtPagePrinter::KillDoc()
{
    m_device.abort();
    if (m_painter.isActive()) {
        m_painter.end();
    }
    // The PDF file of the job goes with it; a file that the device refused
    // to write was never the job's and stays.
    if (!m_refused && m_device.outputFormat() == QPrinter::PdfFormat && !m_device.outputFileName().isEmpty()) {
        QFile::remove(m_device.outputFileName());
    }
    resetPage();
}

void PrintTarget::setPdfOutput(const QString& path)
{
    pdfPath() = path;
}

QString PrintTarget::pdfOutput()
{
    return pdfPath();
}

bool PrintTarget::hasSystemPrinter()
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool PrintTarget::asksForPdfFile()
{
    return pdfPath().isEmpty() && !hasSystemPrinter();
}

QRectF printablePage(const QPrinter& printer)
{
    // A printer that draws on the whole sheet keeps half an inch clear on
    // every side, where printers cannot print; otherwise the page's own
    // printable area, whose corner is the painter's origin.
    const int dpi = printer.resolution();
    if (printer.fullPage()) {
        const double margin = dpi / 2.0;
        return printer.pageLayout().fullRectPixels(dpi).toRectF().adjusted(margin, margin, -margin, -margin);
    }
    return {QPointF(0, 0), QSizeF(printer.pageLayout().paintRectPixels(dpi).size())};
}

std::unique_ptr<QPrinter> PrintTarget::jobPrinter(const QString& jobName)
{
    QString pdf = pdfPath();
    if (asksForPdfFile()) {
        FileDialogRequest request;
        request.save = true;
        request.title = "Print to PDF file";
        request.filter = "PDF (*.pdf)|*.pdf";
        request.defaultExt = "pdf";
        request.flags = 2;
        const auto chosen = dialogs().FileDialog(request);
        if (!chosen || chosen->path.empty()) {
            return nullptr;
        }
        pdf = QString::fromStdString(chosen->path);
    }
    auto device = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!pdf.isEmpty()) {
        device->setOutputFormat(QPrinter::PdfFormat);
        device->setOutputFileName(pdf);
    }
    device->setDocName(jobName);
    device->setFullPage(true);
    return device;
}

bool PrintTarget::runPrintDialog(QPrinter& device, QWidget* parent)
{
    if (dialogHandler()) {
        return dialogHandler()(device, parent);
    }
    QPrintDialog dialog(&device, parent);
    return dialog.exec() == QDialog::Accepted;
}

void PrintTarget::setDialogHandler(DialogHandler handler)
{
    dialogHandler() = std::move(handler);
}

} // namespace platform
