// Printing a worksheet to PDF, read back with poppler; the page setup
// dialog; the preview and the print members of the grid.

#include "platform/spreadsheet/SheetPrinter.h"

#include <QApplication>
#include <QImage>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/print/PrintProgress.h"
#include "platform/print/QtPrinter.h"
#include "platform/spreadsheet/SheetFormat.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "tests/support/PdfReader.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::Value;

// Rows x columns of values that each occur once: "r<row>c<col>" texts in
// column 1, numbers elsewhere (negative and long ones among them), in
// columns wide enough to show every value in full.
void fill(spreadsheet::Workbook& book, int rows, int cols)
{
    book.editSheetFormat(1, [cols](spreadsheet::SheetFormat& f) { f.setColWidth(1, cols, 12); });
    for (int r = 1; r <= rows; ++r) {
        book.setCellValue(1, r, 1, Value("r" + std::to_string(r) + "c1"));
        for (int c = 2; c <= cols; ++c) {
            book.setCellValue(1, r, c, Value(-(r * 1000.0 + c) - 0.125));
        }
    }
}

std::size_t occurrences(const std::string& text, const std::string& word)
{
    std::size_t n = 0;
    for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const bool startOk = at == 0 || std::isspace(static_cast<unsigned char>(text[at - 1]));
        const bool endOk = at + word.size() == text.size() || std::isspace(static_cast<unsigned char>(text[at + word.size()]));
        n += startOk && endOk ? 1 : 0;
    }
    return n;
}

TEST(SheetPrinter, EveryCellIsPrintedOnceAcrossNumberedPages)
{
    if (!testsupport::hasPoppler()) {
        GTEST_SKIP() << "pdftotext and pdfinfo are not installed";
    }
    testsupport::TempDir dir;
    spreadsheet::Workbook book;
    fill(book, 120, 14);
    spreadsheet::PageSetup setup;
    setup.footer = "Page &P of &N";
    book.setPageSetup(1, setup);

    QPrinter device(QPrinter::HighResolution);
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(QString::fromStdString(dir.file("sheet.pdf").string()));
    const int pages = spreadsheet::printSheet(book, 1, device);
    ASSERT_GT(pages, 2);
    EXPECT_EQ(testsupport::pdfPageCount(dir.file("sheet.pdf")), pages);

    const auto text = testsupport::pdfText(dir.file("sheet.pdf"));
    ASSERT_TRUE(text.has_value());
    for (int r = 1; r <= 120; ++r) {
        EXPECT_EQ(occurrences(*text, "r" + std::to_string(r) + "c1"), 1u) << "row " << r;
        for (int c = 2; c <= 14; c += 3) {
            const std::string v = Value(-(r * 1000.0 + c) - 0.125).displayText();
            EXPECT_EQ(occurrences(*text, v), 1u) << v;
        }
    }
    for (int p = 1; p <= pages; ++p) {
        EXPECT_NE(text->find("Page " + std::to_string(p) + " of " + std::to_string(pages)), std::string::npos) << p;
    }
    EXPECT_EQ(occurrences(*text, "Sheet1"), static_cast<std::size_t>(pages));  // the header, once a page
}

TEST(SheetPrinter, ManualPageBreaksStartNewPages)
{
    if (!testsupport::hasPoppler()) {
        GTEST_SKIP() << "pdftotext and pdfinfo are not installed";
    }
    testsupport::TempDir dir;
    spreadsheet::Workbook book;
    fill(book, 10, 3);  // one page without breaks
    const auto print = [&](const std::string& name) {
        QPrinter device(QPrinter::HighResolution);
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(QString::fromStdString(dir.file(name).string()));
        return spreadsheet::printSheet(book, 1, device);
    };
    ASSERT_EQ(print("plain.pdf"), 1);

    book.setSelection(4, 1, 4, 1);
    book.AddPageBreak();  // a row break before row 4
    book.setSelection(1, 3, 1, 3);
    book.AddPageBreak();  // a column break before column C
    book.editSheetFormat(1, [](spreadsheet::SheetFormat& f) { f.setRowHidden(8, 8, true); f.addRowBreak(8); });
    EXPECT_EQ(print("breaks.pdf"), 6) << "rows 1-3, 4-7, 9-10 down, columns A-B and C across";
    EXPECT_EQ(testsupport::pdfPageCount(dir.file("breaks.pdf")), 6);
    const auto text = testsupport::pdfText(dir.file("breaks.pdf"));
    ASSERT_TRUE(text.has_value());
    std::vector<std::string> pages;
    for (std::size_t start = 0, ff = 0; ff != std::string::npos; start = ff + 1) {
        ff = text->find('\f', start);
        pages.push_back(text->substr(start, ff == std::string::npos ? std::string::npos : ff - start));
    }
    ASSERT_GE(pages.size(), 6u);
    EXPECT_EQ(occurrences(pages[0], "r3c1"), 1u);
    EXPECT_EQ(occurrences(pages[0], "r4c1"), 0u);
    EXPECT_EQ(occurrences(pages[1], "r4c1"), 1u);
    EXPECT_EQ(occurrences(pages[1], "r7c1"), 1u);
    EXPECT_EQ(occurrences(pages[2], "r9c1"), 1u) << "the break before hidden row 8 starts at row 9";
    const std::string c3 = Value(-(1 * 1000.0 + 3) - 0.125).displayText();
    EXPECT_EQ(occurrences(pages[0], c3), 0u);
    EXPECT_EQ(occurrences(pages[3], c3), 1u) << "column C on the pages across";
}

TEST(SheetPrinter, PrintAreaTitlesAndHiddenLinesShapeThePages)
{
    if (!testsupport::hasPoppler()) {
        GTEST_SKIP() << "pdftotext and pdfinfo are not installed";
    }
    testsupport::TempDir dir;
    spreadsheet::Workbook book;
    fill(book, 150, 10);
    book.editSheetFormat(1, [](spreadsheet::SheetFormat& f) {
        f.printArea = spreadsheet::RangeRef{2, 1, 150, 4};  // rows 2..150, columns A..D
        f.printTitles = spreadsheet::RangeRef{1, 0, 1, 0};   // row 1 on every page
        f.setRowHidden(10, 10, true);
    });
    QPrinter device(QPrinter::HighResolution);
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(QString::fromStdString(dir.file("area.pdf").string()));
    const int pages = spreadsheet::printSheet(book, 1, device);
    ASSERT_GT(pages, 1);
    const auto text = testsupport::pdfText(dir.file("area.pdf"));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(occurrences(*text, "r1c1"), static_cast<std::size_t>(pages));  // the title row
    EXPECT_EQ(occurrences(*text, "r2c1"), 1u);
    EXPECT_EQ(occurrences(*text, "r10c1"), 0u);  // hidden
    EXPECT_EQ(occurrences(*text, "r150c1"), 1u);
    EXPECT_EQ(occurrences(*text, Value(-(2 * 1000.0 + 4) - 0.125).displayText()), 1u);  // column D
    EXPECT_EQ(occurrences(*text, Value(-(2 * 1000.0 + 5) - 0.125).displayText()), 0u);  // column E: outside
}

TEST(SheetPrinter, LandscapeAndSmallerScaleNeedFewerPages)
{
    testsupport::TempDir dir;
    spreadsheet::Workbook book;
    fill(book, 200, 12);
    const auto pagesWith = [&](spreadsheet::PageSetup setup, const char* name) {
        book.setPageSetup(1, setup);
        QPrinter device(QPrinter::HighResolution);
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(QString::fromStdString(dir.file(name).string()));
        return spreadsheet::printSheet(book, 1, device);
    };
    spreadsheet::PageSetup portrait;
    const int upright = pagesWith(portrait, "p.pdf");
    spreadsheet::PageSetup half;
    half.scale = 50;
    EXPECT_LT(pagesWith(half, "s.pdf"), upright);
    spreadsheet::PageSetup wide;
    wide.orientation = 2;
    EXPECT_NE(pagesWith(wide, "l.pdf"), 0);

    spreadsheet::Workbook empty;
    QPrinter device(QPrinter::HighResolution);
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(QString::fromStdString(dir.file("e.pdf").string()));
    EXPECT_EQ(spreadsheet::printSheet(empty, 1, device), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("e.pdf")));
}

QString pdfName(const testsupport::TempDir& dir, const std::string& name)
{
    return QString::fromStdString(dir.file(name).string());
}

int printTo(const spreadsheet::Workbook& book, const QString& path)
{
    QPrinter device(QPrinter::HighResolution);
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(path);
    return spreadsheet::printSheet(book, 1, device);
}

TEST(SheetPrinter, WiderColumnsAndTallerRowsNeedMorePages)
{
    if (!testsupport::hasPoppler()) {
        GTEST_SKIP() << "pdftotext and pdfinfo are not installed";
    }
    testsupport::TempDir dir;
    spreadsheet::Workbook book;
    fill(book, 40, 12);
    const auto layout = [&](double width, double height) {
        book.editSheetFormat(1, [&](spreadsheet::SheetFormat& f) {
            f.setColWidth(1, 12, width);
            f.setRowHeight(1, 40, height);
        });
    };
    layout(6, 12.75);  // 12 columns of 6 characters and 40 rows fit one A4 page
    EXPECT_EQ(printTo(book, pdfName(dir, "narrow.pdf")), 1);

    layout(30, 12.75);  // five times as wide: several pages across
    const int across = printTo(book, pdfName(dir, "wide.pdf"));
    EXPECT_GE(across, 3);
    EXPECT_EQ(testsupport::pdfPageCount(dir.file("wide.pdf")), across);
    const auto text = testsupport::pdfText(dir.file("wide.pdf"));
    ASSERT_TRUE(text.has_value());
    for (int r = 1; r <= 40; r += 13) {
        EXPECT_EQ(occurrences(*text, "r" + std::to_string(r) + "c1"), 1u) << "row " << r;
        for (int c = 2; c <= 12; ++c) {
            EXPECT_EQ(occurrences(*text, Value(-(r * 1000.0 + c) - 0.125).displayText()), 1u) << r << ", " << c;
        }
    }

    layout(6, 48);  // rows almost four times as tall: pages down instead
    const int down = printTo(book, pdfName(dir, "tall.pdf"));
    EXPECT_GE(down, 2);
    const auto tall = testsupport::pdfText(dir.file("tall.pdf"));
    ASSERT_TRUE(tall.has_value());
    EXPECT_EQ(occurrences(*tall, "r40c1"), 1u);

    // A hidden column takes no room at all.
    layout(30, 12.75);
    book.editSheetFormat(1, [](spreadsheet::SheetFormat& f) { f.setColHidden(3, 12, true); });
    EXPECT_EQ(printTo(book, pdfName(dir, "hidden.pdf")), 1);
}

// True when `shown` is a faithful text of v: '#' fill, or v rounded to the
// last digit shown (fixed or scientific).
bool faithful(const std::string& shown, double v)
{
    if (!shown.empty() && shown.find_first_not_of('#') == std::string::npos) {
        return true;
    }
    const std::size_t e = shown.find('E');
    const std::string mantissa = shown.substr(0, e);
    const int exponent = e == std::string::npos ? 0 : std::stoi(shown.substr(e + 1));
    const std::size_t point = mantissa.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(mantissa.size() - point - 1);
    char* end = nullptr;
    const double d = std::strtod(shown.c_str(), &end);
    if (shown.empty() || end != shown.c_str() + shown.size()) {
        return false;
    }
    return std::fabs(d - v) <= std::pow(10.0, exponent - decimals) / 2 * (1 + 1e-9);
}

// The printed lines of a one-page PDF, trimmed, without header and footer.
std::vector<std::string> cellLines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t nl = text.find_first_of("\n\f", start);
        if (nl == std::string::npos) {
            nl = text.size();
        }
        std::string line = text.substr(start, nl - start);
        start = nl + 1;
        const std::size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos) {
            continue;
        }
        line = line.substr(first, line.find_last_not_of(' ') - first + 1);
        if (line != "Sheet1" && line != "Page 1") {
            out.push_back(line);
        }
    }
    return out;
}

TEST(SheetPrinter, NumbersTooWideForTheirColumnPrintAsTheGridShowsThem)
{
    if (!testsupport::hasPoppler()) {
        GTEST_SKIP() << "pdftotext and pdfinfo are not installed";
    }
    const double values[] = {123456789.123, -0.000612345678, 3.14159265358979, 42, -98765.4321, 1.5e20};
    testsupport::TempDir dir;
    spreadsheet::Workbook book;
    for (std::size_t i = 0; i < std::size(values); ++i) {
        book.setCellValue(1, static_cast<std::int32_t>(i + 1), 1, Value(values[i]));
    }
    struct Row {
        const char* name;
        double width;
        bool full;  // every value in full
    };
    const Row rows[] = {{"a wide column", 30, true}, {"a column of 5 characters", 5, false},
                        {"a column of 3 characters", 3, false}};
    for (const Row& row : rows) {
        book.editSheetFormat(1, [&](spreadsheet::SheetFormat& f) { f.setColWidth(1, 1, row.width); });
        const std::string name = std::string(row.name) + ".pdf";
        ASSERT_EQ(printTo(book, pdfName(dir, name)), 1) << row.name;
        const auto text = testsupport::pdfText(dir.file(name));
        ASSERT_TRUE(text.has_value());
        const std::vector<std::string> lines = cellLines(*text);
        ASSERT_EQ(lines.size(), std::size(values)) << row.name << ":\n" << *text;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string full = Value(values[i]).displayText();
            if (row.full) {
                EXPECT_EQ(lines[i], full) << row.name;
                continue;
            }
            EXPECT_TRUE(faithful(lines[i], values[i])) << row.name << ": " << lines[i] << " for " << full;
            if (full.size() > 6) {
                EXPECT_NE(lines[i], full) << row.name << ": the full text does not fit";
            }
        }
    }
}

TEST(SheetPrinter, TextsAreClippedAtTheirCellAsInTheGrid)
{
    if (!testsupport::hasPoppler()) {
        GTEST_SKIP() << "pdftotext and pdfinfo are not installed";
    }
    testsupport::TempDir dir;
    spreadsheet::Workbook book;
    book.setCellValue(1, 1, 1, Value(std::string(40, 'W')));
    book.setCellValue(1, 3, 1, Value("end"));  // the used range reaches column C
    book.editSheetFormat(1, [](spreadsheet::SheetFormat& f) { f.setColWidth(1, 1, 4); });
    spreadsheet::PageSetup setup;
    setup.gridLines = false;
    book.setPageSetup(1, setup);
    ASSERT_EQ(printTo(book, pdfName(dir, "clip.pdf")), 1);
    const std::string png = dir.file("clip").string();
    ASSERT_TRUE(testsupport::commandOutput("pdftoppm -r 72 -png -singlefile '" + dir.file("clip.pdf").string() + "' '" +
                                           png + "'"));
    const QImage page(QString::fromStdString(png + ".png"));
    ASSERT_FALSE(page.isNull());
    // At 72 dpi a pixel is a point: row 1 spans y 72..84.75 below the top
    // margin; column A x 54..74.4 after the left margin, column B after it.
    const auto inked = [&](int x0, int x1) {
        int n = 0;
        for (int y = 73; y < 84; ++y) {
            for (int x = x0; x < x1; ++x) {
                n += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        return n;
    };
    EXPECT_GT(inked(55, 74), 0) << "the text starts in its cell";
    EXPECT_EQ(inked(76, 200), 0) << "and stops at the cell's right edge";
}

TEST(PageSetupDlg, ControlsShowAndChangeTheSettings)
{
    spreadsheet::PageSetup start;
    start.orientation = 2;
    start.header = "&F";
    spreadsheet::PageSetupDlg dialog(start);
    EXPECT_TRUE(dialog.findChild<QRadioButton*>("optLandscape")->isChecked());
    EXPECT_EQ(dialog.value(), start);

    dialog.findChild<QRadioButton*>("optPortrait")->setChecked(true);
    dialog.findChild<QComboBox*>("cboPaper")->setCurrentText("Letter");
    dialog.findChild<QDoubleSpinBox*>("txtMarginLeft")->setValue(1.5);
    dialog.findChild<QLineEdit*>("txtFooter")->setText("&P");
    dialog.findChild<QCheckBox*>("chkGridLines")->setChecked(false);
    dialog.findChild<QSpinBox*>("txtScale")->setValue(75);
    const spreadsheet::PageSetup v = dialog.value();
    EXPECT_EQ(v.orientation, 1);
    EXPECT_EQ(v.paperSize, 1);
    EXPECT_DOUBLE_EQ(v.marginLeft, 1.5);
    EXPECT_EQ(v.header, "&F");
    EXPECT_EQ(v.footer, "&P");
    EXPECT_FALSE(v.gridLines);
    EXPECT_EQ(v.scale, 75);
}

// Answers the next modal dialog of type T with `act` once it shows: the
// command may handle events before (a preview draws its pages with a
// progress dialog first), so it looks again until the dialog is there.
template <typename T, typename F>
void whenShown(F act)
{
    QTimer::singleShot(0, [act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<T*>(w); d && d->isVisible()) {
                act(*d);
                return;
            }
        }
        whenShown<T>(act);
    });
}

class GridPrinting : public ::testing::Test {
protected:
    GridPrinting() : m_scope(boxes)
    {
        platform::PrintTarget::setPdfOutput(QString::fromStdString(dir.file("out.pdf").string()));
    }
    ~GridPrinting() override
    {
        platform::PrintTarget::setPdfOutput({});
        platform::PrintTarget::setDialogHandler({});
    }
    testsupport::TempDir dir;
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs m_scope;
    spreadsheet::SpreadsheetWidget grid;
};

TEST_F(GridPrinting, PageSetupKeepsOkAndDropsCancel)
{
    whenShown<spreadsheet::PageSetupDlg>([](spreadsheet::PageSetupDlg& d) {
        d.findChild<QRadioButton*>("optLandscape")->setChecked(true);
        d.reject();
    });
    grid.FilePageSetupDlg();
    EXPECT_EQ(grid.workbook().pageSetup(1).orientation, 1);

    whenShown<spreadsheet::PageSetupDlg>([](spreadsheet::PageSetupDlg& d) {
        d.findChild<QRadioButton*>("optLandscape")->setChecked(true);
        d.accept();
    });
    grid.FilePageSetupDlg();
    EXPECT_EQ(grid.workbook().pageSetup(1).orientation, 2);
}

TEST_F(GridPrinting, PageSetupRefusesMarginsThatLeaveNoRoomToPrint)
{
    struct Row {
        const char* field;
        const char* typed;
        bool landscape;
        const char* says;  // null: kept
    };
    const Row rows[] = {
        {"txtMarginLeft", "9", false,
         "Left margin: the left and right margins together must be less than 8.27 in, the width of A4 portrait "
         "paper. With a right margin of 0.75 in, enter at most 7.51 in."},
        {"txtMarginRight", "8", false,
         "Right margin: the left and right margins together must be less than 8.27 in, the width of A4 portrait "
         "paper. With a left margin of 0.75 in, enter at most 7.51 in."},
        {"txtMarginTop", "8", true,
         "Top margin: the top and bottom margins together must be less than 8.27 in, the height of A4 landscape "
         "paper. With a bottom margin of 1.00 in, enter at most 7.26 in."},
        {"txtMarginLeft", "9", true, nullptr},  // landscape A4 is 11.69 in wide
    };
    fill(grid.workbook(), 5, 3);
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.field) + " " + row.typed);
        grid.workbook().setPageSetup(1, spreadsheet::PageSetup());
        boxes.clear();
        bool stayed = false;
        bool fieldFocused = false;
        whenShown<spreadsheet::PageSetupDlg>([&](spreadsheet::PageSetupDlg& d) {
            d.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
            if (row.landscape) {
                QTest::mouseClick(d.findChild<QRadioButton*>("optLandscape"), Qt::LeftButton);
            }
            auto* box = d.findChild<QDoubleSpinBox*>(row.field);
            box->setFocus();
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(box, QString::fromLatin1(row.typed));
            QTest::keyClick(box, Qt::Key_Return);
            stayed = d.isVisible();
            fieldFocused = box->hasFocus();
            if (d.isVisible()) {
                d.reject();
            }
        });
        grid.FilePageSetupDlg();
        if (row.says == nullptr) {
            EXPECT_TRUE(boxes.calls().empty());
            EXPECT_EQ(grid.workbook().pageSetup(1).orientation, 2);
            EXPECT_DOUBLE_EQ(grid.workbook().pageSetup(1).marginLeft, 9.0);
            continue;
        }
        EXPECT_TRUE(stayed) << "the dialog stays open for a correction";
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.last().text, row.says);
        EXPECT_EQ(boxes.last().title, "Page Setup");
        EXPECT_TRUE(fieldFocused) << "the margin to correct has the focus";
        EXPECT_EQ(grid.workbook().pageSetup(1), spreadsheet::PageSetup()) << "nothing of the dialog is kept";
    }
    // What was kept prints.
    grid.FilePrint(false);
    EXPECT_TRUE(std::filesystem::exists(dir.file("out.pdf")));
}

TEST_F(GridPrinting, PrintWritesTheJobAndTheDialogCanStopIt)
{
    grid.FilePrint(false);  // an empty sheet: a box, no job
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, "There is nothing to print on Sheet1.");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.pdf")));

    fill(grid.workbook(), 30, 3);
    int asked = 0;
    platform::PrintTarget::setDialogHandler([&](QPrinter&, QWidget*) { return ++asked > 1; });
    grid.FilePrint(true);  // cancelled in the dialog
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.pdf")));
    grid.FilePrint(true);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(std::filesystem::exists(dir.file("out.pdf")));
    std::filesystem::remove(dir.file("out.pdf"));
    grid.FilePrint(false);  // the toolbar's form: no dialog
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(std::filesystem::exists(dir.file("out.pdf")));
}

// Watches for the print progress dialog while a job runs: records the most
// pages it announced and, once it has counted `cancelAt` pages, presses its
// Cancel button with the mouse.
class ProgressWatch {
public:
    explicit ProgressWatch(int cancelAt = -1) : m_cancelAt(cancelAt)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { look(); });
        m_timer.start(0);
    }
    int shownMaximum = 0;
    int cancelledAt = -1;

private:
    void look()
    {
        QProgressDialog* d = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible()) {
                d = p;
            }
        }
        if (d == nullptr) {
            return;
        }
        shownMaximum = std::max(shownMaximum, d->maximum());
        if (m_cancelAt >= 0 && cancelledAt < 0 && d->value() >= m_cancelAt) {
            auto* cancel = d->findChild<QPushButton*>();
            ASSERT_NE(cancel, nullptr);
            cancelledAt = d->value();
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    }
    int m_cancelAt;
    QTimer m_timer;
};

TEST_F(GridPrinting, LongJobsShowTheirProgressAndCancelLeavesNoDocument)
{
    fill(grid.workbook(), 3, 3);  // one page: no progress dialog
    {
        ProgressWatch watch;
        grid.FilePrint(false);
        EXPECT_EQ(watch.shownMaximum, 0);
        EXPECT_TRUE(std::filesystem::exists(dir.file("out.pdf")));
    }
    std::filesystem::remove(dir.file("out.pdf"));

    fill(grid.workbook(), 1500, 4);
    int pages = 0;
    {
        ProgressWatch watch;
        grid.FilePrint(false);
        pages = watch.shownMaximum;
        EXPECT_GT(pages, platform::PrintProgress::ShownAbovePages);
        ASSERT_TRUE(std::filesystem::exists(dir.file("out.pdf")));
        if (testsupport::hasPoppler()) {
            EXPECT_EQ(testsupport::pdfPageCount(dir.file("out.pdf")), pages);
        }
        EXPECT_TRUE(boxes.calls().empty());
    }
    std::filesystem::remove(dir.file("out.pdf"));

    {
        ProgressWatch watch(3);
        grid.FilePrint(false);
        EXPECT_GE(watch.cancelledAt, 3);
        EXPECT_LT(watch.cancelledAt, pages - 1);
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.pdf"))) << "a cancelled job leaves no PDF file";
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.last().text, "Printing was cancelled.");
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(qobject_cast<QProgressDialog*>(w) && w->isVisible()) << "the progress dialog stays";
    }
}

TEST_F(GridPrinting, CancelWhileThePreviewIsDrawnClosesIt)
{
    fill(grid.workbook(), 1500, 4);
    ProgressWatch watch(2);
    // Should the preview stay open, it is closed after a while and the test fails.
    bool leftOpen = false;
    QTimer::singleShot(60000, [&leftOpen] {
        if (auto* d = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget())) {
            leftOpen = true;
            d->reject();
        }
    });
    grid.FilePrintPreview();
    EXPECT_GE(watch.cancelledAt, 2);
    EXPECT_FALSE(leftOpen);
}

TEST_F(GridPrinting, PreviewShowsEveryPage)
{
    fill(grid.workbook(), 150, 10);
    int previewPages = 0;
    whenShown<QPrintPreviewDialog>([&](QPrintPreviewDialog& d) {
        auto* view = d.findChild<QPrintPreviewWidget*>();
        previewPages = view ? view->pageCount() : -1;
        if (const char* shot = std::getenv("TESSARAY_SCREENSHOT")) {
            // A picture of the preview as the user sees it.
            d.resize(900, 700);
            QApplication::processEvents();
            d.grab().save(QString::fromLocal8Bit(shot));
        }
        d.reject();
    });
    grid.FilePrintPreview();
    QPrinter device(QPrinter::HighResolution);
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(QString::fromStdString(dir.file("p.pdf").string()));
    EXPECT_EQ(previewPages, spreadsheet::printSheet(grid.workbook(), 1, device));
    EXPECT_GT(previewPages, 1);
}

} // namespace
