// Printing a worksheet to PDF, read back with poppler; the page setup
// dialog; the preview and the print members of the grid.

#include "platform/spreadsheet/SheetPrinter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/print/QtPrinter.h"
#include "platform/spreadsheet/SheetFormat.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "tests/support/PdfReader.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::Value;

// Rows x columns of values that each occur once: "r<row>c<col>" texts in
// column 1, numbers elsewhere (negative and long ones among them).
void fill(spreadsheet::Workbook& book, int rows, int cols)
{
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

// Answers the next modal dialog of type T with `act` once it shows.
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
