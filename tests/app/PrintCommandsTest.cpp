// The printing commands of the main window: the workbook's File, Print and
// the Tree menu's Print tree items, printed to PDF and read back with poppler.

#include "app/PrintCommands.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/app/MainWindowFixture.h"

#include "analysis/MyNode.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/print/QtPrinter.h"
#include "platform/spreadsheet/SheetFormat.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/frmMDIChild.h"
#include "tests/support/PdfReader.h"
#include "tests/support/TestSupport.h"

namespace {

// A caterpillar of `leaves` leaves named "probe_<i>_at", each inner node
// joining the tree so far with the next leaf.
std::unique_ptr<analysis::MyNode> caterpillar(int leaves)
{
    auto leaf = [](int i) {
        auto n = std::make_unique<analysis::MyNode>();
        n->setCaption("probe_" + std::to_string(i) + "_at");
        n->setTip(true);
        n->setBranchLen(0.5);
        return n;
    };
    auto tree = leaf(0);
    for (int i = 1; i < leaves; ++i) {
        auto inner = std::make_unique<analysis::MyNode>();
        inner->setBranchLen(0.25);
        inner->addChild(std::move(tree));
        inner->addChild(leaf(i));
        tree = std::move(inner);
    }
    return tree;
}

class PrintCommandsTest : public shelltest::MainWindowFixture {
protected:
    PrintCommandsTest()
    {
        frame->NewDocument();
        platform::PrintTarget::setPdfOutput(QString::fromStdString(pdf().string()));
    }
    ~PrintCommandsTest() override
    {
        platform::PrintTarget::setPdfOutput({});
        platform::PrintTarget::setDialogHandler({});
    }
    [[nodiscard]] std::filesystem::path pdf() const { return m_dir.file("job.pdf"); }
};

TEST_F(PrintCommandsTest, TreePrinterIsSetUpAsTheMainWindowWantsIt)
{
    shell::PrintCommands* commands = shell::PrintCommands::of(*frame);
    ASSERT_NE(commands, nullptr);
    trees::CPrintTreeView& p = commands->oSTV();
    EXPECT_EQ(p.Page().MarginLeft(), 2);
    EXPECT_EQ(p.Page().MarginBottom(), 2);
    EXPECT_EQ(p.Page().Footer().Text(), "Pag. <pag>");
    EXPECT_EQ(p.Page().Footer().Font().Size, 8);
    EXPECT_EQ(p.Title().Text(), "Condenced output of tree structrue");
    EXPECT_TRUE(p.Title().Font().Bold);
    EXPECT_TRUE(p.Title().Font().Italic);
    EXPECT_EQ(p.Title().Font().Name, "Times New Roman");
    EXPECT_TRUE(p.PrintOnlyExpandedNodes());
    EXPECT_TRUE(frame->action(QStringLiteral("mnuTreePrint"))->isEnabled());
}

TEST_F(PrintCommandsTest, PrintedTreeHoldsEveryLeafAndNumberedPages)
{
    if (!testsupport::hasPoppler()) {
        GTEST_SKIP() << "pdftotext and pdfinfo are not installed";
    }
    frame->ActiveChild()->MyRootNode(caterpillar(300));
    trigger("mnuTreePrintVertical");
    ASSERT_TRUE(std::filesystem::exists(pdf()));
    EXPECT_TRUE(boxes.calls().empty());
    const int pages = testsupport::pdfPageCount(pdf());
    EXPECT_GT(pages, 3);
    const auto text = testsupport::pdfText(pdf());
    ASSERT_TRUE(text.has_value());
    for (int i = 0; i < 300; ++i) {
        EXPECT_NE(text->find("probe_" + std::to_string(i) + "_at"), std::string::npos) << i;
    }
    EXPECT_EQ(text->find("Condenced output of tree structrue"),
              text->rfind("Condenced output of tree structrue"));  // first page only
    std::size_t at = 0;
    for (int page = 1; page <= pages; ++page) {
        const auto next = text->find("Pag. " + std::to_string(page), at);
        ASSERT_NE(next, std::string::npos) << page;
        at = next;
    }
    EXPECT_EQ(shell::PrintCommands::of(*frame)->oSTV().PrintedNodes(), 300 + 299);  // every leaf and inner node

    // Horizontally: the same rows on landscape pages.
    std::filesystem::remove(pdf());
    trigger("mnuTreePrintHorizontal");
    const auto info = testsupport::commandOutput("pdfinfo '" + pdf().string() + "'");
    ASSERT_TRUE(info.has_value());
    EXPECT_NE(info->find("842 x 595"), std::string::npos) << *info;
}

TEST_F(PrintCommandsTest, AnEmptyTreeViewEndsTheJobWithTheNumberedBox)
{
    trigger("mnuTreePrintVertical");
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().title, "Oru");
    EXPECT_EQ(boxes.last().text.rfind("35600 ", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(pdf()));
}

// A PDF file that cannot be written fails the job as a printer error that
// names the file, instead of printing into nothing.
TEST_F(PrintCommandsTest, TreePrintToAFileThatCannotBeWrittenSaysWhy)
{
    const auto unwritable = m_dir.path() / "no such folder" / "tree.pdf";
    platform::PrintTarget::setPdfOutput(QString::fromStdString(unwritable.string()));
    frame->ActiveChild()->MyRootNode(caterpillar(20));
    trigger("mnuTreePrintVertical");
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().title, "Oru");
    EXPECT_EQ(boxes.last().text, "482 The PDF file \"" + unwritable.string() + "\" could not be written.");
    EXPECT_FALSE(std::filesystem::exists(unwritable.parent_path()));
    EXPECT_TRUE(reported.empty());
}

TEST_F(PrintCommandsTest, FilePrintPrintsTheActiveSheetThroughTheDialog)
{
    frame->ActiveChild()->workbook().setCellValue(1, 1, 1, spreadsheet::Value("YAL001C"));
    frame->ActiveChild()->workbook().setCellValue(1, 1, 2, spreadsheet::Value(-0.4335539019));
    // A column wide enough for every digit: a printed sheet keeps the grid's widths.
    frame->ActiveChild()->workbook().editSheetFormat(1, [](spreadsheet::SheetFormat& f) { f.setColWidth(2, 2, 16); });
    int dialogs = 0;
    platform::PrintTarget::setDialogHandler([&](QPrinter&, QWidget*) { return ++dialogs > 0; });
    trigger("mnuFilePrint");
    EXPECT_EQ(dialogs, 1);
    ASSERT_TRUE(std::filesystem::exists(pdf()));
    if (testsupport::hasPoppler()) {
        const auto text = testsupport::pdfText(pdf());
        ASSERT_TRUE(text.has_value());
        EXPECT_NE(text->find("YAL001C"), std::string::npos);
        EXPECT_NE(text->find("-0.4335539019"), std::string::npos);
    }
}

// File, Print on a sheet of many pages shows how far it has come; Cancel
// stops it, no PDF file is left and the user is told. With
// TESSARAY_SCREENSHOT set, the progress dialog over the main window is
// saved there as a picture.
TEST_F(PrintCommandsTest, LongPrintShowsItsProgressAndCancelStopsIt)
{
    spreadsheet::Workbook& book = frame->ActiveChild()->workbook();
    for (int r = 1; r <= 3042; ++r) {
        book.setCellValue(1, r, 1, spreadsheet::Value(std::to_string(1000 + r) + "_at"));
        for (int c = 2; c <= 5; ++c) {
            book.setCellValue(1, r, c, spreadsheet::Value(r * 0.001 - c));
        }
    }
    frame->resize(1000, 700);
    platform::PrintTarget::setDialogHandler([](QPrinter&, QWidget*) { return true; });
    int cancelledAt = -1;
    int pages = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (progress == nullptr || cancelledAt >= 0 || progress->value() < 5) {
            return;
        }
        pages = progress->maximum();
        EXPECT_EQ(progress->labelText(), QStringLiteral("Printing page %1 of %2")
                                             .arg(QLocale().toString(progress->value() + 1), QLocale().toString(pages)));
        if (const char* shot = std::getenv("TESSARAY_SCREENSHOT")) {
            QImage picture = frame->grab().toImage();
            QPainter painter(&picture);
            const QImage dialog = progress->grab().toImage();
            painter.drawImage(QPoint((picture.width() - dialog.width()) / 2, (picture.height() - dialog.height()) / 3),
                              dialog);
            painter.end();
            picture.save(QString::fromLocal8Bit(shot));
        }
        cancelledAt = progress->value();
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    });
    watch.start(0);
    trigger("mnuFilePrint");
    watch.stop();
    EXPECT_GT(pages, 50);
    EXPECT_GE(cancelledAt, 5);
    EXPECT_LT(cancelledAt, pages);
    EXPECT_FALSE(std::filesystem::exists(pdf()));
    ASSERT_FALSE(boxes.calls().empty());
    EXPECT_EQ(boxes.last().text, "Printing was cancelled.");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(reported.empty());
}

TEST_F(PrintCommandsTest, WithoutAPrinterTheUserNamesAPdfOrCancels)
{
    if (platform::PrintTarget::hasSystemPrinter()) {
        GTEST_SKIP() << "this machine has a printer";
    }
    platform::PrintTarget::setPdfOutput({});
    frame->ActiveChild()->MyRootNode(caterpillar(5));
    boxes.cancelFile();
    trigger("mnuTreePrintVertical");
    EXPECT_TRUE(boxes.calls().empty()) << "the user's own Cancel is answer enough";
    ASSERT_EQ(boxes.fileRequests().size(), 1u);
    EXPECT_TRUE(boxes.fileRequests()[0].save);
    EXPECT_EQ(boxes.fileRequests()[0].filter, "PDF (*.pdf)|*.pdf");
    boxes.choose(m_dir.file("chosen.pdf").string());
    trigger("mnuTreePrintVertical");
    EXPECT_TRUE(std::filesystem::exists(m_dir.file("chosen.pdf")));
}

TEST_F(PrintCommandsTest, WithoutAPrinterFilePrintAsksForThePdfOnce)
{
    if (platform::PrintTarget::hasSystemPrinter()) {
        GTEST_SKIP() << "this machine has a printer";
    }
    platform::PrintTarget::setPdfOutput({});
    frame->ActiveChild()->workbook().setCellValue(1, 1, 1, spreadsheet::Value("YAL001C"));
    int printDialogs = 0;
    platform::PrintTarget::setDialogHandler([&](QPrinter&, QWidget*) { return ++printDialogs > 0; });
    const struct {
        const char* name;
        bool cancel;
    } rows[] = {{"named", false}, {"cancelled", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string chosen = m_dir.file(std::string(row.name) + ".pdf").string();
        const std::size_t asked = boxes.fileRequests().size();
        if (row.cancel) {
            boxes.cancelFile();
        } else {
            boxes.choose(chosen);
        }
        trigger("mnuFilePrint");
        EXPECT_EQ(boxes.fileRequests().size(), asked + 1);
        EXPECT_EQ(printDialogs, 0) << "the print dialog would ask for the file again";
        EXPECT_EQ(std::filesystem::exists(chosen), !row.cancel);
    }
    EXPECT_TRUE(reported.empty());
}

} // namespace

namespace {

TEST_F(PrintCommandsTest, ToolbarPrintSkipsTheDialog)
{
    frame->ActiveChild()->workbook().setCellValue(1, 1, 1, spreadsheet::Value(42.0));
    int dialogs = 0;
    platform::PrintTarget::setDialogHandler([&](QPrinter&, QWidget*) { return ++dialogs > 0; });
    QAction* print = frame->findChild<QAction*>(QStringLiteral("tlbStandard_Print"));
    ASSERT_NE(print, nullptr);
    ASSERT_TRUE(print->isEnabled());
    print->trigger();
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(std::filesystem::exists(pdf()));
}

} // namespace
