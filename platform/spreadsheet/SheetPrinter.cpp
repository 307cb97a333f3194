#include "platform/spreadsheet/SheetPrinter.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/print/PrintProgress.h"
#include "platform/print/Printer.h"
#include "platform/print/QtPrinter.h"
#include "platform/spreadsheet/CellAlignment.h"
#include "platform/spreadsheet/GridMetrics.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/NumberFormat.h"
#include "platform/spreadsheet/ObjectGeometry.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

struct PaperChoice {
    std::int16_t code;
    const char* name;
};
constexpr PaperChoice kPapers[] = {
    {platform::paper::Letter, "Letter"}, {platform::paper::Legal, "Legal"}, {platform::paper::A3, "A3"},
    {platform::paper::A4, "A4"},         {platform::paper::A5, "A5"},
};

// The printed sheet is the grid at 100 % zoom drawn to the scale of the
// sheet's sizes in points: one grid pixel prints at grid::kPointsPerPixel
// points (a row of the default 12.75 points, 20 pixels in the grid, prints
// 12.75 points high).
constexpr double kPointsPerGridPixel = grid::kPointsPerPixel;
// The grid shows a cell font at kFontPoints/10 of its size on a 96-dpi
// screen; printed in the same proportion to its column, a font of n points
// prints at n * kPrintFontScale points, so that what fits a column on the
// screen fits it on paper.
constexpr double kPrintFontScale = grid::kFontPoints / 10.0 * (96.0 / 72.0) * kPointsPerGridPixel;
constexpr double kGridPadPixels = grid::kTextPad;


// Where the manual breaks fall among the printed lines: a break before a
// line starts the page at the first printed line from it on (the line itself
// may be hidden).
std::vector<std::size_t> breakIndices(const std::vector<std::int32_t>& printed, const std::vector<std::int32_t>& breaks)
{
    std::vector<std::size_t> out;
    for (std::int32_t b : breaks) {
        const auto at = std::lower_bound(printed.begin(), printed.end(), b);
        if (at != printed.begin() && at != printed.end()) {
            out.push_back(static_cast<std::size_t>(at - printed.begin()));
        }
    }
    return out;
}

// Ends a job that was stopped part of the way: the print system is asked
// to drop it and a PDF file that was being written goes, so that the pages
// drawn so far do not stand as the whole document.
void abandonJob(QPainter& painter, QPrinter& device)
{
    device.abort();
    if (painter.isActive()) {
        painter.end();
    }
    if (device.outputFormat() == QPrinter::PdfFormat && !device.outputFileName().isEmpty()) {
        QFile::remove(device.outputFileName());
    }
}

} // namespace

void applyPageSetup(const PageSetup& setup, QPrinter& device)
{
    platform::QtPagePrinter printer(device);
    printer.setPaperSize(setup.paperSize);
    printer.setOrientation(setup.orientation);
}

std::int32_t printSheet(const Workbook& book, std::int32_t sheet, QPrinter& device, const BeforePage& beforePage,
                        WhenStopped whenStopped)
{
    const SheetFormat& format = book.sheetFormat(sheet);
    // The print area, or the used range from A1.
    RangeRef area{1, 1, book.lastUsedRow(sheet), book.lastUsedCol(sheet)};
    if (format.printArea) {
        area = *format.printArea;
    }
    if (area.lastRow < area.firstRow || area.lastCol < area.firstCol || area.lastRow < 1 || area.lastCol < 1) {
        return 0;
    }
    // Hidden rows and columns (and those of size 0) are not printed; title
    // lines repeat on every page.
    const auto lines = [](std::int32_t first, std::int32_t last, const auto& hidden) {
        std::vector<std::int32_t> out;
        for (std::int32_t i = std::max(first, 1); i <= last; ++i) {
            if (!hidden(i)) {
                out.push_back(i);
            }
        }
        return out;
    };
    const auto rowHidden = [&](std::int32_t r) { return format.rowHeight(r) <= 0; };
    const auto colHidden = [&](std::int32_t c) { return format.colWidth(c) <= 0; };
    const std::vector<std::int32_t> rows = lines(area.firstRow, area.lastRow, rowHidden);
    const std::vector<std::int32_t> cols = lines(area.firstCol, area.lastCol, colHidden);
    if (rows.empty() || cols.empty()) {
        return 0;
    }
    const RangeRef& titles = format.printTitles;
    const std::vector<std::int32_t> titleRows =
        titles.firstRow > 0 ? lines(titles.firstRow, titles.lastRow, rowHidden) : std::vector<std::int32_t>{};
    const std::vector<std::int32_t> titleCols =
        titles.firstCol > 0 ? lines(titles.firstCol, titles.lastCol, colHidden) : std::vector<std::int32_t>{};

    const PageSetup& setup = book.pageSetup(sheet);
    applyPageSetup(setup, device);
    device.setFullPage(true);

    const double dpi = device.resolution();
    const double dotsPerPoint = dpi / 72.0;
    const QFont font(QStringLiteral("Arial"), 10);
    const QFontMetricsF metrics(font, &device);
    const double scale = setup.scale / 100.0;

    // Columns and rows at the sheet's sizes, in device dots.
    const auto colDots = [&](std::int32_t c) { return format.colWidth(c) * kPointsPerChar * dotsPerPoint; };
    const auto rowDots = [&](std::int32_t r) { return format.rowHeight(r) * dotsPerPoint; };
    const auto sizes = [](const std::vector<std::int32_t>& of, const auto& size) {
        std::vector<double> out;
        out.reserve(of.size());
        for (std::int32_t n : of) {
            out.push_back(size(n));
        }
        return out;
    };
    const std::vector<double> colSizes = sizes(cols, colDots);
    const std::vector<double> rowSizes = sizes(rows, rowDots);
    const auto total = [](const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0); };
    const double titleWidth = total(sizes(titleCols, colDots));
    const double titleHeight = total(sizes(titleRows, rowDots));

    const QRectF paper = device.pageLayout().fullRectPixels(static_cast<int>(dpi));
    const double left = setup.marginLeft * dpi;
    const double top = setup.marginTop * dpi;
    const double roomW = (paper.width() - left - setup.marginRight * dpi) / scale;
    const double roomH = (paper.height() - top - setup.marginBottom * dpi) / scale;
    if (roomW - titleWidth <= 0 || roomH - titleHeight <= 0) {
        throw platform::Error(380, "FilePrint",
                              "Invalid property value: the margins and print titles leave no room on the page");
    }
    const std::vector<std::size_t> rowBreaks = breakIndices(rows, format.rowBreaks());
    const std::vector<std::size_t> colBreaks = breakIndices(cols, format.colBreaks());
    const std::vector<PageRange> pages = paginate(colSizes, rowSizes, 0, 0, roomW - titleWidth, roomH - titleHeight,
                                                  setup.acrossFirst, rowBreaks, colBreaks);

    QPainter p;
    if (!p.begin(&device)) {
        throw platform::Error(platform::err::PrinterError, "FilePrint", "Printer error");
    }
    const auto pageCount = static_cast<std::int32_t>(pages.size());
    const std::string fileName = QFileInfo(QString::fromStdString(book.TableName())).fileName().toStdString();
    const QPen gridPen(QColor(128, 128, 128), std::max(1.0, dpi / 300.0));
    const double pad = kGridPadPixels * kPointsPerGridPixel * dotsPerPoint;
    const auto drawCell = [&](std::int32_t r, std::int32_t c, const QRectF& cell) {
        if (setup.gridLines) {
            p.setPen(gridPen);
            p.drawRect(cell);
        }
        const Value v = book.cellValue(sheet, r, c);
        if (v.isEmpty()) {
            return;
        }
        const CellFormat& f = format.format(r, c);
        QFont cellFont(QString::fromStdString(f.fontName));
        cellFont.setPointSizeF(std::max(1.0, f.fontSize * kPrintFontScale));
        cellFont.setBold(f.bold);
        cellFont.setItalic(f.italic);
        cellFont.setUnderline(f.underline);
        const QFontMetricsF cellMetrics(cellFont, &device);
        const TextWidth fontWidth = [&cellMetrics](std::string_view t) {
            return static_cast<int>(std::ceil(
                cellMetrics.horizontalAdvance(QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())))));
        };
        const QRectF textArea = cell.adjusted(pad, pad / 3, -pad, -pad / 3);
        const std::string text =
            v.isNumber() ? shownNumberText(v.number(), f.numberFormat, static_cast<int>(std::floor(textArea.width())),
                                           fontWidth)
                         : v.displayText();
        int flags = static_cast<int>(cellAlignment(v, f));
        if (f.wrap && !v.isNumber()) {
            flags |= Qt::TextWordWrap;
        }
        p.save();
        p.setFont(cellFont);
        p.setPen(QColor::fromRgb(f.fontColor));
        p.setClipRect(cell, Qt::IntersectClip);
        p.drawText(textArea, flags, QString::fromStdString(text));
        p.restore();
    };
    for (std::int32_t i = 0; i < pageCount; ++i) {
        if (beforePage && !beforePage(i, pageCount)) {
            if (whenStopped == WhenStopped::AbandonJob) {
                abandonJob(p, device);
            } else {
                p.end();
            }
            return i;
        }
        if (i > 0) {
            device.newPage();
        }
        const PageRange& page = pages[static_cast<std::size_t>(i)];
        p.resetTransform();
        p.setFont(font);
        p.setPen(Qt::black);
        const QString header = QString::fromStdString(
            expandHeaderText(setup.header, i + 1, pageCount, book.SheetName(sheet), fileName));
        const QString footer = QString::fromStdString(
            expandHeaderText(setup.footer, i + 1, pageCount, book.SheetName(sheet), fileName));
        p.drawText(QRectF(0, setup.headerMargin * dpi, paper.width(), metrics.height()), Qt::AlignHCenter | Qt::AlignTop,
                   header);
        p.drawText(QRectF(0, paper.height() - setup.footerMargin * dpi - metrics.height(), paper.width(),
                          metrics.height()),
                   Qt::AlignHCenter | Qt::AlignTop, footer);

        p.translate(left, top);
        p.scale(scale, scale);
        p.setClipRect(QRectF(0, 0, roomW, roomH));
        // The page's rows and columns, after the title rows and columns.
        std::vector<std::int32_t> pageRows = titleRows;
        for (std::int32_t k = page.firstRow; k <= page.lastRow; ++k) {
            pageRows.push_back(rows[static_cast<std::size_t>(k)]);
        }
        std::vector<std::int32_t> pageCols = titleCols;
        for (std::int32_t k = page.firstCol; k <= page.lastCol; ++k) {
            pageCols.push_back(cols[static_cast<std::size_t>(k)]);
        }
        double y = 0;
        for (std::int32_t r : pageRows) {
            const double h = rowDots(r);
            double x = 0;
            for (std::int32_t c : pageCols) {
                const double w = colDots(c);
                drawCell(r, c, QRectF(x, y, w, h));
                x += w;
            }
            y += h;
        }
        p.setClipping(false);
    }
    p.end();
    return pageCount;
}

PageSetupDlg::PageSetupDlg(const PageSetup& setup, QWidget* parent) : QDialog(parent), m_original(setup)
{
    setObjectName(QStringLiteral("PageSetupDlg"));
    setWindowTitle(tr("Page Setup"));
    auto* layout = new QVBoxLayout(this);

    auto* orientation = new QGroupBox(tr("Orientation"), this);
    auto* orientationRow = new QHBoxLayout(orientation);
    m_portrait = new QRadioButton(tr("&Portrait"), orientation);
    m_landscape = new QRadioButton(tr("&Landscape"), orientation);
    m_portrait->setObjectName(QStringLiteral("optPortrait"));
    m_landscape->setObjectName(QStringLiteral("optLandscape"));
    orientationRow->addWidget(m_portrait);
    orientationRow->addWidget(m_landscape);
    (setup.orientation == 2 ? m_landscape : m_portrait)->setChecked(true);
    layout->addWidget(orientation);

    auto* form = new QFormLayout;
    m_paper = new QComboBox(this);
    m_paper->setObjectName(QStringLiteral("cboPaper"));
    for (const auto& choice : kPapers) {
        m_paper->addItem(QString::fromLatin1(choice.name), static_cast<int>(choice.code));
    }
    m_paper->setCurrentIndex(std::max(0, m_paper->findData(static_cast<int>(setup.paperSize))));
    form->addRow(tr("Paper si&ze:"), m_paper);

    const auto margin = [this, form](const char* name, const QString& label, double value) {
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(0.0, 10.0);
        box->setDecimals(2);
        box->setSingleStep(0.1);
        box->setSuffix(tr(" in"));
        box->setValue(value);
        form->addRow(label, box);
        return box;
    };
    m_left = margin("txtMarginLeft", tr("&Left margin:"), setup.marginLeft);
    m_right = margin("txtMarginRight", tr("&Right margin:"), setup.marginRight);
    m_top = margin("txtMarginTop", tr("&Top margin:"), setup.marginTop);
    m_bottom = margin("txtMarginBottom", tr("&Bottom margin:"), setup.marginBottom);
    m_headerMargin = margin("txtHeaderMargin", tr("Header margin:"), setup.headerMargin);
    m_footerMargin = margin("txtFooterMargin", tr("Footer margin:"), setup.footerMargin);

    m_header = new QLineEdit(QString::fromStdString(setup.header), this);
    m_header->setObjectName(QStringLiteral("txtHeader"));
    m_header->setToolTip(tr("&P page number, &N number of pages, &A sheet name, &F file name"));
    form->addRow(tr("&Header:"), m_header);
    m_footer = new QLineEdit(QString::fromStdString(setup.footer), this);
    m_footer->setObjectName(QStringLiteral("txtFooter"));
    m_footer->setToolTip(m_header->toolTip());
    form->addRow(tr("&Footer:"), m_footer);

    m_scale = new QSpinBox(this);
    m_scale->setObjectName(QStringLiteral("txtScale"));
    m_scale->setRange(10, 400);
    m_scale->setSuffix(QStringLiteral(" %"));
    m_scale->setValue(setup.scale);
    form->addRow(tr("&Scale:"), m_scale);
    layout->addLayout(form);

    m_gridLines = new QCheckBox(tr("&Gridlines"), this);
    m_gridLines->setObjectName(QStringLiteral("chkGridLines"));
    m_gridLines->setChecked(setup.gridLines);
    layout->addWidget(m_gridLines);
    m_acrossFirst = new QCheckBox(tr("Pages &across, then down"), this);
    m_acrossFirst->setObjectName(QStringLiteral("chkAcrossFirst"));
    m_acrossFirst->setChecked(setup.acrossFirst);
    layout->addWidget(m_acrossFirst);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

PageSetup PageSetupDlg::value() const
{
    PageSetup s = m_original;
    s.orientation = m_landscape->isChecked() ? 2 : 1;
    s.paperSize = static_cast<std::int16_t>(m_paper->currentData().toInt());
    s.marginLeft = m_left->value();
    s.marginRight = m_right->value();
    s.marginTop = m_top->value();
    s.marginBottom = m_bottom->value();
    s.headerMargin = m_headerMargin->value();
    s.footerMargin = m_footerMargin->value();
    s.header = m_header->text().toStdString();
    s.footer = m_footer->text().toStdString();
    s.gridLines = m_gridLines->isChecked();
    s.scale = m_scale->value();
    s.acrossFirst = m_acrossFirst->isChecked();
    return s;
}

void PageSetupDlg::accept()
{
    const PageSetup s = value();
    const platform::PaperTwips paper = platform::paperTwips(s.paperSize);
    const bool landscape = s.orientation == 2;
    const double width = (landscape ? paper.height : paper.width) / 1440.0;
    const double height = (landscape ? paper.width : paper.height) / 1440.0;
    const std::string paperName =
        m_paper->currentText().toStdString() + (landscape ? " landscape" : " portrait");
    if (const auto problem = marginProblem(s, width, height, paperName)) {
        platform::dialogs().MsgBox(problem->message, platform::mb::Exclamation | platform::mb::OkOnly, "Page Setup");
        QDoubleSpinBox* field = m_left;
        switch (problem->field) {
        case MarginProblem::Field::Left: field = m_left; break;
        case MarginProblem::Field::Right: field = m_right; break;
        case MarginProblem::Field::Top: field = m_top; break;
        case MarginProblem::Field::Bottom: field = m_bottom; break;
        }
        field->setFocus();
        field->selectAll();
        return;
    }
    QDialog::accept();
}

// ---- The control's printing members --------------------------------------------

namespace {

bool refuseEmpty(const Workbook& book)
{
    if (book.lastUsedRow(book.Sheet()) >= 1 && book.lastUsedCol(book.Sheet()) >= 1) {
        return false;
    }
    platform::dialogs().MsgBox("There is nothing to print on " + book.SheetName(book.Sheet()) + ".",
                               platform::mb::Information | platform::mb::OkOnly, "Print");
    return true;
}

} // namespace

void SpreadsheetWidget::FilePageSetupDlg()
{
    PageSetupDlg dialog(m_book.pageSetup(m_book.Sheet()), this);
    if (dialog.exec() == QDialog::Accepted) {
        m_book.setPageSetup(m_book.Sheet(), dialog.value());
    }
}

void SpreadsheetWidget::FilePrintPreview()
{
    if (refuseEmpty(m_book)) {
        return;
    }
    QPrinter device(QPrinter::HighResolution);
    applyPageSetup(m_book.pageSetup(m_book.Sheet()), device);
    QPrintPreviewDialog preview(&device, this);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(tr("Print Preview"));
    const Workbook& book = m_book;
    const std::int32_t sheet = m_book.Sheet();
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [this, &book, sheet, &preview](QPrinter* printer) {
        // Cancel while the pages are drawn closes the preview.
        platform::PrintProgress progress(this, tr("Print Preview"));
        printSheet(
            book, sheet, *printer,
            [&progress](std::int32_t page, std::int32_t pages) { return progress.beforePage(page, pages); },
            WhenStopped::KeepPages);
        if (progress.wasCancelled()) {
            QMetaObject::invokeMethod(&preview, &QDialog::reject, Qt::QueuedConnection);
        }
    });
    preview.exec();
}

void SpreadsheetWidget::FilePrint(bool showDialog)
{
    if (refuseEmpty(m_book)) {
        return;
    }
    // Without a printer the user names the PDF file once; the print dialog
    // would only ask for that file again.
    const bool fileNamed = platform::PrintTarget::asksForPdfFile();
    auto device = platform::PrintTarget::jobPrinter(QString::fromStdString(m_book.title()));
    if (!device) {
        return;
    }
    applyPageSetup(m_book.pageSetup(m_book.Sheet()), *device);
    if (showDialog && !fileNamed && !platform::PrintTarget::runPrintDialog(*device, this)) {
        return;
    }
    platform::PrintProgress progress(this, tr("Print"));
    printSheet(m_book, m_book.Sheet(), *device,
               [&progress](std::int32_t page, std::int32_t pages) { return progress.beforePage(page, pages); });
    if (progress.wasCancelled()) {
        platform::dialogs().MsgBox(platform::PrintProgress::CancelledMessage,
                                   platform::mb::Information | platform::mb::OkOnly, "Print");
    }
}

} // namespace spreadsheet
