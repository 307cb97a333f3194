// The File, View, Window, Data and Analysis commands through the real main
// window and document windows on the offscreen platform, with boxes and file
// dialogs answered from a script.

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/profile/Profile.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/InsertDialogs.h"
#include "platform/spreadsheet/SheetPrinter.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"
#include "platform/spreadsheet/WorkbookOptionsDialog.h"
#include "platform/widgets/treeview/TreeView.h"
#include "shell/workbook/SSMDI1.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/StandardToolbar.h"
#include "app/WorkbookCommands.h"
#include "app/frmMDIChild.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/platform/spreadsheet/UnkeptQuestionText.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/TestSupport.h"

using platform::Answer;
using spreadsheet::Value;

namespace {

class WorkbookWindow : public shelltest::MainWindowFixture {
protected:
    WorkbookWindow()
        : MainWindowFixture(true,
                            [](const std::filesystem::path& win) {
                                EXPECT_TRUE(platform::profile::WriteString("Recent Files", "MaxNumRecentFile", "4",
                                                                           win / "QUORIN.INI"));
                            })
    {
        first = frame->NewDocument();
    }

    [[nodiscard]] bool shown(const char* menu) const { return frame->action(QString::fromLatin1(menu))->isVisible(); }
    [[nodiscard]] std::string file(const std::string& name, const std::string& bytes) const
    {
        testsupport::writeFile(m_dir.file(name), bytes);
        return m_dir.file(name).string();
    }
    [[nodiscard]] std::string path(const std::string& name) const { return m_dir.file(name).string(); }
    [[nodiscard]] spreadsheet::Workbook& active() const { return frame->ActiveChild()->workbook(); }

    void open(const std::string& p)
    {
        boxes.choose(p);
        trigger("mnuFileOpen");
    }

    shell::frmMDIChild* first = nullptr;
};

TEST_F(WorkbookWindow, OpeningATabFileWithGapsPutsEveryValueInItsCell)
{
    const std::string p = file("expr.txt", "\t0h\t1h\t2h\nYAL001C\t0.25\t\t1.5\nYAL002W\t\t2\t\nYAL003W\t3\t4\t5\n");
    frame->ShowView(shell::View::Tree);
    frame->action(QStringLiteral("mnuFile"))->setVisible(true);
    open(p);

    ASSERT_EQ(frame->ActiveChild(), first);
    const spreadsheet::Workbook& book = active();
    const Value empty;
    const Value expected[4][4] = {
        {empty, Value("0h"), Value("1h"), Value("2h")},
        {Value("YAL001C"), Value(0.25), empty, Value(1.5)},
        {Value("YAL002W"), empty, Value(2.0), empty},
        {Value("YAL003W"), Value(3.0), Value(4.0), Value(5.0)},
    };
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(book.cellValue(1, r + 1, c + 1), expected[r][c]) << "row " << r + 1 << " column " << c + 1;
        }
    }
    EXPECT_EQ(frame->statusText().toStdString(), "File: " + p);
    EXPECT_FALSE(shown("mnuTree"));
    EXPECT_TRUE(shown("mnuAnalysis"));
    // The recent-file list names the file, in the menu and in the settings file.
    ASSERT_FALSE(frame->mnuFileList().empty());
    EXPECT_TRUE(frame->mnuFileList()[0]->isVisible());
    EXPECT_EQ(frame->mnuFileList()[0]->data().toString().toStdString(), "1. " + p);
    EXPECT_EQ(program.gIni().RecentFileAt(0), p);
    EXPECT_TRUE(reported.empty());

    // The block read into the data matrix: value column first, labels kept.
    program.gMissingCode = -9;
    ASSERT_TRUE(SSMDI1::ReadActiveBlockIntoProgram(active()));
    EXPECT_EQ(program.gNumRow, 3);
    EXPECT_EQ(program.gNumCol, 3);
    EXPECT_EQ(program.gRowName, (std::vector<std::string>{"YAL001C", "YAL002W", "YAL003W"}));
    EXPECT_EQ(program.gColName, (std::vector<std::string>{"0h", "1h", "2h"}));
    EXPECT_EQ(program.gDataMat, (std::vector<std::vector<double>>{{0.25, -9, 3}, {-9, 2, 4}, {1.5, -9, 5}}));
    EXPECT_EQ(active().SelectionEx(0), (spreadsheet::RangeRef{1, 1, 4, 4}));
}

TEST_F(WorkbookWindow, RecentFileEntryOpensItsFileAgain)
{
    const std::string a = file("a.txt", "x\ty\n1\t2\n");
    const std::string b = file("b.txt", "x\ty\n3\t4\n");
    open(a);
    open(b);
    ASSERT_GE(frame->mnuFileList().size(), 2U);
    frame->mnuFileList()[1]->trigger();
    EXPECT_EQ(active().cellValue(1, 2, 1), Value(1.0));
    EXPECT_EQ(program.gIni().RecentFileAt(0), a);
    EXPECT_EQ(frame->statusText().toStdString(), "File: " + a);
}

TEST_F(WorkbookWindow, SavedAsXlsAndNativeReopenWithEqualValues)
{
    active().setCellEntry(1, 1, 1, "gene");
    active().setCellEntry(1, 1, 2, "0h");
    active().setCellEntry(1, 2, 1, "YAL001C");
    active().setCellValue(1, 2, 2, 0.1);
    active().setCellValue(1, 3, 2, -2.5e-7);
    for (const int type : {2, 3}) {
        SCOPED_TRACE(type);
        const std::string p = path("saved" + std::to_string(type) + (type == 2 ? ".xls" : ".vts"));
        boxes.choose(p, type);
        trigger("mnuFileSaveAs");
        EXPECT_EQ(first->windowTitle().toStdString(), p);
        EXPECT_EQ(first->workbook().Tag(), std::to_string(type));

        // The saved file itself is held by its window: opening it again
        // brings that window back. A copy opens in a window of its own.
        const std::size_t windows = frame->Documents().size();
        open(p);
        EXPECT_EQ(frame->ActiveChild(), first);
        EXPECT_EQ(frame->Documents().size(), windows);
        const std::string copy = path("copy of " + std::filesystem::path(p).filename().string());
        std::filesystem::copy_file(p, copy, std::filesystem::copy_options::overwrite_existing);
        open(copy);
        shell::frmMDIChild* reopened = frame->ActiveChild();
        ASSERT_NE(reopened, first);
        EXPECT_EQ(reopened->windowTitle().toStdString(), copy);
        const spreadsheet::Workbook& back = reopened->workbook();
        EXPECT_EQ(back.Tag(), std::to_string(type));
        for (int r = 1; r <= 3; ++r) {
            for (int c = 1; c <= 2; ++c) {
                EXPECT_EQ(back.cellValue(1, r, c), first->workbook().cellValue(1, r, c)) << r << "," << c;
            }
        }
        frame->ShowDocument(first);
    }
    // Saving again goes back to the file without a dialog.
    const std::size_t requests = boxes.fileRequests().size();
    active().setCellValue(1, 4, 4, 7.0);
    trigger("mnuFileSave");
    EXPECT_EQ(boxes.fileRequests().size(), requests);
    spreadsheet::Workbook check;
    check.Read(path("saved3.vts"));
    EXPECT_EQ(check.cellValue(1, 4, 4), Value(7.0));
    EXPECT_TRUE(reported.empty());
}

TEST_F(WorkbookWindow, LogTransformWritesANewSheetAndRefusesText)
{
    spreadsheet::Workbook& book = active();
    book.setCellEntry(1, 1, 2, "a");
    book.setCellEntry(1, 1, 3, "b");
    book.setCellEntry(1, 2, 1, "g1");
    book.setCellValue(1, 2, 2, 0.0);
    book.setCellValue(1, 2, 3, 1.5);
    book.setCellEntry(1, 3, 1, "g2");
    book.setCellValue(1, 3, 2, 3.5);
    trigger("mnuDataLog2");
    ASSERT_EQ(book.NumSheets(), 2);
    EXPECT_EQ(book.SheetName(1), "LogTransformed");
    EXPECT_EQ(book.cellValue(1, 2, 2), Value(-1.0));
    EXPECT_EQ(book.cellValue(1, 2, 3), Value(1.0));
    EXPECT_EQ(book.cellValue(1, 3, 2), Value(2.0));
    EXPECT_TRUE(book.cellValue(1, 3, 3).isEmpty());
    EXPECT_EQ(book.cellValue(1, 1, 3), Value("b"));
    EXPECT_EQ(book.cellValue(1, 3, 1), Value("g2"));

    book.setSheet(2);
    book.setCellEntry(2, 3, 3, "high");
    trigger("mnuDataSQRT");
    EXPECT_EQ(book.NumSheets(), 2);
    EXPECT_EQ(boxes.last().text,
              "The cell C3 holds \"high\", which is not a number. Square-root transformation aborted.");

    // An empty sheet: the reporter names the missing data.
    book.setNumSheets(3);
    book.setSheet(3);
    trigger("mnuDataNormalize");
    ASSERT_EQ(reported.size(), 1U);
    EXPECT_EQ(reported[0], "No data selected in the active worksheet.");
}

TEST_F(WorkbookWindow, ViewCommandsSwitchTheMenuSet)
{
    trigger("mnuWindowTree");
    EXPECT_FALSE(shown("mnuFile"));
    EXPECT_FALSE(shown("mnuData"));
    EXPECT_TRUE(shown("mnuTree"));
    EXPECT_TRUE(shown("mnuWindow"));
    EXPECT_FALSE(first->TreeView1()->isHidden());
    trigger("mnuWindowOutput");
    EXPECT_TRUE(shown("Edit"));
    EXPECT_FALSE(shown("mnuEdit"));
    EXPECT_FALSE(shown("mnuTree"));
    trigger("mnuWindowData");
    EXPECT_TRUE(shown("mnuFile"));
    EXPECT_TRUE(shown("mnuAnalysis"));
    EXPECT_FALSE(shown("Edit"));
    EXPECT_FALSE(first->ss()->isHidden());
}

TEST_F(WorkbookWindow, SaveInTheTreeAndOutputViews)
{
    trigger("mnuWindowTree");
    frame->action(QStringLiteral("mnuFile"))->setVisible(true);
    trigger("mnuFileSave");
    EXPECT_EQ(boxes.last().text, "Please remind XX to write a function to save the tree.");

    trigger("mnuWindowOutput");
    first->RichTextBox1()->setPlainText(QStringLiteral("Clusters: 3\nMethod: average"));
    const std::string p = path("report.txt");
    boxes.choose(p);
    trigger("mnuFileSave");
    EXPECT_EQ(boxes.last().text, "Saved to file: " + p);
    EXPECT_EQ(testsupport::readFile(p), "Clusters: 3\nMethod: average");
}

TEST_F(WorkbookWindow, ViewTogglesKeepCheckMarksAndBarsTogether)
{
    auto* standard = frame->findChild<QToolBar*>(QStringLiteral("tlbStandard"));
    ASSERT_NE(standard, nullptr);
    trigger("mnuViewToolbarsStandard");
    EXPECT_FALSE(frame->action(QStringLiteral("mnuViewToolbarsStandard"))->isChecked());
    EXPECT_TRUE(standard->isHidden());
    trigger("mnuViewToolbarsStandard");
    EXPECT_FALSE(standard->isHidden());

    trigger("mnuViewStatusBar");
    EXPECT_TRUE(frame->sbStatusBar()->isHidden());
    EXPECT_FALSE(frame->action(QStringLiteral("mnuViewStatusBar"))->isChecked());

    trigger("mnuViewFormulaBar");
    EXPECT_FALSE(first->ss()->ShowEditBar());
    trigger("mnuFileNew");
    EXPECT_FALSE(frame->ActiveChild()->ss()->ShowEditBar());
    EXPECT_EQ(frame->Documents().size(), 2U);
}

TEST_F(WorkbookWindow, WindowListNamesTheOpenWindows)
{
    shell::frmMDIChild* second = frame->NewDocument();
    QMenu* window = frame->menu(QStringLiteral("mnuWindow"));
    emit window->aboutToShow();
    emit window->aboutToShow();
    std::vector<QAction*> entries;
    for (QAction* a : window->actions()) {
        if (a->isCheckable() && a->text().contains(QStringLiteral("Book"))) {
            entries.push_back(a);
        }
    }
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_TRUE(entries[1]->isChecked());
    entries[0]->trigger();
    EXPECT_EQ(frame->ActiveChild(), first);
    EXPECT_NE(first, second);
}

TEST_F(WorkbookWindow, ClusteringAsksAboutTheOldTreeAndShowsTheTreeView)
{
    shell::WorkbookCommands* commands = shell::WorkbookCommands::of(*frame);
    ASSERT_NE(commands, nullptr);
    EXPECT_FALSE(frame->action(QStringLiteral("mnuAnaCluster"))->isEnabled());
    int shownDialogs = 0;
    bool cancel = false;
    commands->setClusterDialog([&] {
        ++shownDialogs;
        EXPECT_TRUE(program.gDataMat.empty());
        if (!cancel)
            first->TreeView1()->Nodes().Add({}, "Root");
    });
    spreadsheet::Workbook& book = active();
    book.setCellEntry(1, 1, 2, "a");
    book.setCellValue(1, 2, 2, 1.0);
    program.gDataMat = {{1}};
    program.gNumRow = 1;

    trigger("mnuAnaCluster");
    EXPECT_EQ(shownDialogs, 1);
    EXPECT_EQ(program.gNumRow, 0);
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_TRUE(shown("mnuTree"));
    EXPECT_FALSE(shown("mnuAnalysis"));
    EXPECT_FALSE(first->TreeView1()->isHidden());
    EXPECT_TRUE(first->ss()->isHidden());

    // With a tree shown, No keeps it and the new one goes beside it.
    frame->ShowView(shell::View::Data);
    boxes.answer(Answer::No);
    trigger("mnuAnaCluster");
    EXPECT_EQ(boxes.last().text, "Delete the current tree to save memory (Yes recommended)?");
    EXPECT_EQ(boxes.last().title, "Info");
    EXPECT_EQ(first->TreeView1()->Nodes().Count(), 2);
    frame->ShowView(shell::View::Data);
    boxes.answer(Answer::Yes);
    trigger("mnuAnaCluster");
    EXPECT_EQ(first->TreeView1()->Nodes().Count(), 1);

    // Cancel in the dialog: the tree view is shown all the same, with the
    // tree that was kept, and the menus turn with it.
    frame->ShowView(shell::View::Data);
    cancel = true;
    boxes.answer(Answer::No);
    trigger("mnuAnaCluster");
    EXPECT_EQ(shownDialogs, 4);
    EXPECT_TRUE(shown("mnuTree"));
    EXPECT_FALSE(shown("mnuAnalysis"));
    EXPECT_FALSE(first->TreeView1()->isHidden());
    EXPECT_TRUE(first->ss()->isHidden());
    EXPECT_EQ(first->TreeView1()->Nodes().Count(), 1);
    EXPECT_TRUE(reported.empty());
}

// A file that is no workbook we read, a damaged .xls (down to its first
// byte), an HTML page we wrote (plain ASCII or not) or one that opens with a
// byte-order mark (UTF-16's written out as characters too), an XML
// declaration or comments, or with a tag other than <html>, or in UTF-16
// without its mark, is refused in words and leaves no window.
TEST_F(WorkbookWindow, UnloadableFileShowsItsMessageAndLeavesNoWindow)
{
    spreadsheet::Workbook page;
    page.setCellValue(1, 1, 1, Value("gene"));
    struct Row {
        const char* name;
        spreadsheet::FileType pageType;  // None: the damaged .xls
        const char* head = nullptr;      // what a page from elsewhere opens with
        std::string whole = {};          // a whole page from elsewhere
    };
    const auto inUtf16 = [](std::string_view ascii, bool bigEndian) {
        std::string out;
        for (const char c : ascii)
            out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        return out;
    };
    const std::string bare = "<head><title>Data</title></head>\r\n<body><table><tr><td>1</td></tr></table></body>\r\n";
    const Row rows[] = {
        {"broken.xls", spreadsheet::FileType::None},
        {"page.htm", spreadsheet::FileType::Html},
        {"table.htm", spreadsheet::FileType::HtmlDataOnly},
        {"xhtml.htm", spreadsheet::FileType::None,
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\">\r\n"},
        {"saved.htm", spreadsheet::FileType::None,
         "\xEF\xBB\xBF<!-- saved from url=(0022)http://example.org/ -->\r\n<!-- two\r\nlines -->\r\n"},
        {"xmlcomment.htm", spreadsheet::FileType::None, " \r\n<?xml version=\"1.0\"?><!-- page --><!DOCTYPE html>"},
        {"head.htm", spreadsheet::FileType::None, nullptr, bare},
        {"body.htm", spreadsheet::FileType::None, nullptr, "<BODY bgcolor=\"white\">\r\n<p>1</p></BODY>\r\n"},
        {"meta.htm", spreadsheet::FileType::None, nullptr, "<meta charset=\"utf-8\">\r\n<table><tr><td>1</td></tr></table>"},
        {"title.htm", spreadsheet::FileType::None, nullptr, "<Title>Expression</Title>\r\n<p>1</p>\r\n"},
        {"table.txt", spreadsheet::FileType::None, nullptr, "<table border=1>\r\n<tr><td>1</td></tr></table>\r\n"},
        {"tr.txt", spreadsheet::FileType::None, nullptr, "<TR>\r\n<td>1</td><td>2</td></TR>\r\n"},
        {"utf16le.htm", spreadsheet::FileType::None, nullptr, inUtf16(bare, false)},
        {"utf16be.htm", spreadsheet::FileType::None, nullptr, inUtf16(bare, true)},
        {"marked.htm", spreadsheet::FileType::None, "\xC3\xBF\xC3\xBE"},  // "ÿþ": a UTF-16 mark as characters
        {"markedbe.htm", spreadsheet::FileType::None, "\xC3\xBE\xC3\xBF"},
        {"cut.xls", spreadsheet::FileType::None, nullptr, "\xD0"},  // the first byte of a compound file
        {"cut2.xls", spreadsheet::FileType::None, nullptr, "\xD0\xCF"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string p = path(row.name);
        if (!row.whole.empty()) {
            p = file(row.name, row.whole);
        } else if (row.head != nullptr) {
            p = file(row.name, std::string(row.head) + "<html><body><table><tr><td>1</td></tr></table></body></html>\r\n");
        } else if (row.pageType == spreadsheet::FileType::None) {
            // The head of a compound file and nothing sound after it.
            p = file(row.name, std::string("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8) + std::string(600, '\x01'));
        } else {
            page.setCellValue(1, 2, 1, Value(row.pageType == spreadsheet::FileType::Html ? "M\xC3\xBCller" : "ascii"));
            page.Write(p, static_cast<int>(row.pageType));
        }
        boxes.clear();
        open(p);
        EXPECT_TRUE(reported.empty()) << (reported.empty() ? "" : reported[0]);
        ASSERT_FALSE(boxes.calls().empty());
        EXPECT_EQ(boxes.last().text, "Unable to load " + p);
        EXPECT_EQ(frame->Documents().size(), 1U);
        EXPECT_EQ(frame->ActiveChild(), first);
        EXPECT_EQ(first->workbook().lastUsedRow(1), 0);
    }
}

// A text table whose first cell only looks like a tag opens as a table.
TEST_F(WorkbookWindow, ATextTableWhoseFirstCellLooksLikeATagOpensAsATable)
{
    for (const char* first : {"<b>", "<!--x", "<trend>"}) {
        SCOPED_TRACE(first);
        boxes.clear();
        const std::string p = file("tag.txt", std::string(first) + "\t1.5\r\ngene\t2\r\n");
        open(p);
        EXPECT_TRUE(boxes.calls().empty());
        const spreadsheet::Workbook& book = frame->ActiveChild()->workbook();
        EXPECT_EQ(book.cellValue(1, 1, 1), Value(first));
        EXPECT_EQ(book.cellValue(1, 1, 2), Value(1.5));
        EXPECT_EQ(book.cellValue(1, 2, 1), Value("gene"));
        frame->ActiveChild()->workbook().setChanged(false);
        trigger("mnuFileClose");
    }
    EXPECT_TRUE(reported.empty());
}

TEST_F(WorkbookWindow, StatusBarKeepsTheOpenedFileWhenTheFrameIsActivatedAgain)
{
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    const std::string p = file("expr.txt", "probe\tt1\n1000_at\t-2.5\n");
    open(p);
    // Closing the Open dialog activates the frame again; so does any other window.
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    EXPECT_EQ(frame->statusText().toStdString(), "File: " + p);

    // A new book holds no file; going back to the file's window shows it again.
    trigger("mnuFileNew");
    frame->Form_Activate();
    EXPECT_EQ(frame->statusText(), QStringLiteral("File: No file in buffer"));
    frame->findChild<QMdiArea*>()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    frame->Form_Activate();
    EXPECT_EQ(frame->statusText().toStdString(), "File: " + p);
}

TEST_F(WorkbookWindow, AFileOpenedPastALoweredMaximumKeepsTheListAndEveryEntryOpensItsFile)
{
    // The settings of an earlier run: four files, the maximum since lowered to 2.
    std::vector<std::string> files;
    std::string settings = "[Recent Files]\r\nMaxNumRecentFile=2\r\nNumRecentFile=4\r\n";
    for (int i = 0; i < 5; ++i) {
        files.push_back(file("f" + std::to_string(i) + ".txt", "x\n" + std::to_string(i) + "\n"));
        settings += "File" + std::to_string(i + 1) + "=" + files.back() + "\r\n";
    }
    testsupport::writeFile(m_dir.file("win") / "QUORIN.INI", settings);
    program.releaseIni();
    program.gIni().RecentFile(*frame);
    open(files[4]);
    const std::vector<std::string> expected = {files[4], files[0], files[1], files[2]};
    ASSERT_EQ(program.gIni().NumRecentFile(), 4);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(program.gIni().RecentFileAt(static_cast<int>(i)), expected[i]);
    }
    for (std::size_t i = 0; i < frame->mnuFileList().size(); ++i) {
        QAction* entry = frame->mnuFileList()[i];
        ASSERT_EQ(entry->isVisible(), i < expected.size()) << i;
        if (!entry->isVisible())
            continue;
        const std::string caption = entry->data().toString().toStdString();
        const std::string path = caption.substr(caption.find(". ") + 2);
        entry->trigger();
        EXPECT_EQ(frame->statusText().toStdString(), "File: " + path) << caption;
        EXPECT_EQ(active().cellValue(1, 2, 1), Value(path[path.size() - 5] - '0')) << caption;  // fN.txt holds N
    }
    EXPECT_TRUE(reported.empty());
}

TEST_F(WorkbookWindow, RecentEntriesAreNumberedKeysAndListOnlyFilesThatLoaded)
{
    const std::string a = file("a.txt", "x\ty\n1\t2\n");
    const std::string b = file("b.txt", "x\ty\n3\t4\n");
    open(a);
    open(b);
    const std::string broken =
        file("broken.xls", std::string("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8) + std::string(600, '\x01'));
    open(broken);
    EXPECT_EQ(boxes.last().text, "Unable to load " + broken);
    EXPECT_EQ(program.gIni().NumRecentFile(), 2);
    EXPECT_EQ(program.gIni().RecentFileAt(0), b);
    EXPECT_EQ(frame->statusText().toStdString(), "File: " + b);
    ASSERT_GE(frame->mnuFileList().size(), 2U);
    EXPECT_EQ(frame->mnuFileList()[0]->text().toStdString(), "&1. " + b);
    EXPECT_EQ(frame->mnuFileList()[1]->text().toStdString(), "&2. " + a);
    EXPECT_EQ(platform::profile::GetString("Recent Files", "File1", "", m_dir.file("win") / "QUORIN.INI"), b);

    // Opening a file that is open already brings its window back, by any road.
    const std::size_t windows = frame->Documents().size();
    first->workbook().setCellValue(1, 5, 5, Value("kept"));
    open(a);
    EXPECT_EQ(frame->ActiveChild(), first);
    trigger("mnuFileNew");
    frame->mnuFileList()[1]->trigger();  // b, now second in the list
    EXPECT_EQ(active().cellValue(1, 2, 1), Value(3.0));
    EXPECT_EQ(frame->Documents().size(), windows + 1);
    EXPECT_EQ(first->workbook().cellValue(1, 5, 5), Value("kept"));
    EXPECT_EQ(program.gIni().RecentFileAt(0), b);
}

TEST_F(WorkbookWindow, OpenAndSaveDialogsStartInTheDataFolderOfTheSettings)
{
    const struct {
        const char* name;
        std::string dataDir;  // "" leaves the settings without one
        std::string expected;
    } rows[] = {
        {"no folder stored", "", QDir::homePath().toStdString()},
        {"a stored folder", m_dir.file("arrays").string(), m_dir.file("arrays").string()},
    };
    std::filesystem::create_directories(m_dir.file("arrays"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.dataDir.empty()) {
            ASSERT_TRUE(platform::profile::WriteString("Defaults", "DataDir", row.dataDir,
                                                       m_dir.file("win") / "QUORIN.INI"));
        }
        frame->Form_Load();
        const std::size_t before = boxes.fileRequests().size();
        boxes.cancelFile().cancelFile().cancelFile();
        trigger("mnuFileOpen");
        shell::StandardToolbar::of(*frame)->button(QStringLiteral("Open"))->trigger();
        trigger("mnuFileNew");
        trigger("mnuFileSaveAs");
        ASSERT_EQ(boxes.fileRequests().size(), before + 3);
        for (std::size_t i = before; i < before + 3; ++i) {
            EXPECT_EQ(boxes.fileRequests()[i].initDir, row.expected) << i - before;
            EXPECT_NE(boxes.fileRequests()[i].initDir, QCoreApplication::applicationDirPath().toStdString());
        }
    }
}

// A workbook another program made opens in a window of its own with the
// results of its formulas, its 20,000-character text and its errors.
TEST_F(WorkbookWindow, XlsWorkbookMadeElsewhereOpensWithItsFormulaResults)
{
    const std::string p = (std::filesystem::path(TESSARAY_SOURCE_DIR) / "tests" / "platform" / "spreadsheet" / "data" /
                           "libreoffice_mixed.xls")
                              .string();
    open(p);
    EXPECT_TRUE(reported.empty());
    ASSERT_EQ(frame->Documents().size(), 2U);
    const spreadsheet::Workbook& book = active();
    EXPECT_EQ(book.TableName(), p);
    EXPECT_EQ(book.Tag(), std::to_string(static_cast<int>(spreadsheet::FileType::Excel97)));
    EXPECT_EQ(book.cellValue(1, 3, 2), Value(6.5));
    EXPECT_EQ(book.cellValue(1, 4, 2), Value("Hello world"));
    EXPECT_EQ(book.cellValue(1, 5, 2), Value::logical(true));
    EXPECT_EQ(book.cellValue(1, 6, 2), Value::error(spreadsheet::CellError::Div0));
    EXPECT_EQ(book.cellValue(1, 10, 2).text().size(), 20001U);
    if (const char* shot = std::getenv("TESSARAY_SCREENSHOT_XLS")) {
        frame->resize(1000, 620);
        if (QWidget* sub = frame->ActiveChild()->parentWidget()) {
            sub->showMaximized();
        }
        QApplication::processEvents();
        frame->grab().save(QString::fromLocal8Bit(shot));
    }
}

// ---- saves in a type that cannot keep what the book holds --------------------------

// The question before a save that would lose one thing.
std::string losesQuestion(spreadsheet::FileType type, const std::string& lost)
{
    return testsupport::unkeptQuestionText(type, {lost});
}

class UnkeptSave : public WorkbookWindow {
protected:
    UnkeptSave()
    {
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    // Defines the name for the active book's selection through Insert, Name.
    void defineName(const char* name)
    {
        testsupport::onModal<spreadsheet::DefinedNameDialog>([name](spreadsheet::DefinedNameDialog& d) {
            d.name()->setText(QString::fromLatin1(name));
            d.addButton()->click();
        });
        trigger("mnuInsertName");
        ASSERT_NE(active().findDefinedName(name), nullptr);
    }
    // Draws a rectangle over B2:C4 of the active sheet with Insert, Drawing
    // Object and a drag on the grid.
    void drawRectangle()
    {
        spreadsheet::SpreadsheetWidget* ss = frame->ActiveChild()->ss();
        ss->resize(900, 600);
        const QPoint from = ss->cellRect(2, 2).center();
        const QPoint to = ss->cellRect(4, 3).center();
        trigger("mnuInsertDORectangle");
        QTest::mousePress(ss->gridSurface(), Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, to, ss->gridSurface()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(ss->gridSurface(), &move);
        QTest::mouseRelease(ss->gridSurface(), Qt::LeftButton, Qt::NoModifier, to);
        ASSERT_EQ(active().objects(1).size(), 1U);
    }
    // Ctrl+S typed on the active book's grid, after a click that gives it
    // the focus (the main window comes back to the front first, as a dialog
    // closed on the offscreen platform leaves no window active).
    void pressCtrlS()
    {
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        spreadsheet::SpreadsheetWidget* ss = frame->ActiveChild()->ss();
        QTest::mouseClick(ss->gridSurface(), Qt::LeftButton, Qt::NoModifier, ss->cellRect(6, 6).center());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    }
    [[nodiscard]] bool holds(const shell::frmMDIChild* book) const
    {
        const std::vector<shell::frmMDIChild*> all = frame->Documents();
        return std::find(all.begin(), all.end(), book) != all.end();
    }
    void expectAsked(const std::string& question)
    {
        ASSERT_EQ(boxes.calls().size(), 1U);
        EXPECT_EQ(boxes.last().text, question);
        EXPECT_EQ(boxes.last().title, "Tessaray");
        EXPECT_EQ(boxes.last().style, platform::mb::YesNo + platform::mb::Exclamation);
    }
    // A new book as the user leaves it unsaved: unchanged name, type and flag.
    void expectNeverSaved(const spreadsheet::Workbook& book)
    {
        EXPECT_TRUE(book.isNeverSaved());
        EXPECT_TRUE(book.Tag().empty());
        EXPECT_TRUE(book.isChanged());
    }
};

// A new book with a defined name, saved as .xls in the type the dialog
// proposes (Excel 5/95 when the settings store none): No writes nothing and
// leaves the book as it was; Yes writes the file without the name.
TEST_F(UnkeptSave, SaveAsXlsOfABookWithADefinedNameAsksFirst)
{
    active().setCellValue(1, 1, 1, Value(1.5));
    active().setSelection(1, 1, 1, 1);
    defineName("Dose");
    const std::string p = path("dose.xls");
    testsupport::writeFile(p, "an older file");
    boxes.clear();
    boxes.choose(p, static_cast<int>(spreadsheet::FileType::Excel5)).answer(Answer::No);
    trigger("mnuFileSaveAs");
    EXPECT_EQ(boxes.fileRequests().back().filterIndex, static_cast<int>(spreadsheet::FileType::Excel5));
    expectAsked(losesQuestion(spreadsheet::FileType::Excel5, "1 defined name"));
    EXPECT_EQ(testsupport::readFile(p), "an older file");
    expectNeverSaved(active());
    EXPECT_NE(active().findDefinedName("Dose"), nullptr);
    EXPECT_NE(first->windowTitle().toStdString(), p);

    boxes.clear();
    boxes.choose(p, static_cast<int>(spreadsheet::FileType::Excel5)).answer(Answer::Yes);
    trigger("mnuFileSaveAs");
    ASSERT_EQ(boxes.calls().size(), 1U);
    EXPECT_EQ(active().TableName(), p);
    EXPECT_EQ(active().Tag(), "1");
    // The file lacks the name: the book is in no file whole.
    EXPECT_TRUE(active().isChanged());
    spreadsheet::Workbook back;
    EXPECT_EQ(back.Read(p), static_cast<int>(spreadsheet::FileType::Excel5));
    EXPECT_EQ(back.cellValue(1, 1, 1), Value(1.5));
    EXPECT_TRUE(back.definedNames().empty());
    EXPECT_TRUE(reported.empty());
}

// The standard toolbar's Save of a new book with a drawing object, as
// tab-delimited text: No keeps the old file byte for byte.
TEST_F(UnkeptSave, ToolbarSaveAsTextOfABookWithADrawingObjectAsksFirst)
{
    active().setCellValue(1, 1, 1, Value("gene"));
    drawRectangle();
    const std::string p = path("genes.txt");
    testsupport::writeFile(p, "old\tlines\r\n");
    boxes.clear();
    boxes.choose(p, static_cast<int>(spreadsheet::FileType::Text)).answer(Answer::No);
    shell::StandardToolbar::of(*frame)->button(QStringLiteral("Save"))->trigger();
    expectAsked(losesQuestion(spreadsheet::FileType::Text, "1 drawing object"));
    EXPECT_EQ(testsupport::readFile(p), "old\tlines\r\n");
    expectNeverSaved(active());
    EXPECT_EQ(active().objects(1).size(), 1U);

    boxes.clear();
    boxes.choose(p, static_cast<int>(spreadsheet::FileType::Text)).answer(Answer::Yes);
    shell::StandardToolbar::of(*frame)->button(QStringLiteral("Save"))->trigger();
    EXPECT_EQ(boxes.calls().size(), 1U);
    EXPECT_EQ(testsupport::readFile(p), "gene\r\n");
    EXPECT_EQ(active().Tag(), std::to_string(static_cast<int>(spreadsheet::FileType::Text)));
    EXPECT_TRUE(reported.empty());
}

// Ctrl+S on a book opened from .xls, after a name was added, writes back to
// the file without a dialog: it asks first, and No leaves the file as it was.
TEST_F(UnkeptSave, CtrlSOnABookFromXlsAfterANameWasAddedAsksFirst)
{
    const std::string p = path("from.xls");
    {
        spreadsheet::Workbook made;
        made.setCellValue(1, 1, 1, Value(2.0));
        made.Write(p, static_cast<int>(spreadsheet::FileType::Excel97));
    }
    const std::string before = testsupport::readFile(p);
    open(p);
    ASSERT_EQ(active().TableName(), p);
    active().setCellValue(1, 2, 1, Value(3.0));
    active().setSelection(1, 1, 2, 1);
    defineName("Pair");
    const std::size_t requests = boxes.fileRequests().size();
    boxes.clear();
    boxes.answer(Answer::No);
    pressCtrlS();
    expectAsked(losesQuestion(spreadsheet::FileType::Excel97, "1 defined name"));
    EXPECT_EQ(boxes.fileRequests().size(), requests);
    EXPECT_EQ(testsupport::readFile(p), before);
    EXPECT_EQ(active().TableName(), p);
    EXPECT_EQ(active().Tag(), "2");
    EXPECT_TRUE(active().isChanged());
    EXPECT_NE(active().findDefinedName("Pair"), nullptr);

    boxes.clear();
    boxes.answer(Answer::Yes);
    pressCtrlS();
    EXPECT_EQ(boxes.calls().size(), 1U);
    EXPECT_TRUE(active().isChanged());
    spreadsheet::Workbook back;
    (void)back.Read(p);
    EXPECT_EQ(back.cellValue(1, 2, 1), Value(3.0));
    EXPECT_TRUE(reported.empty());
}

// The save that "Save changes before closing?" starts asks as well: No to
// losing the object keeps the window (and at File, Exit the program) open
// with the book unsaved; Yes saves and the window closes.
TEST_F(UnkeptSave, SaveAtCloseAndAtExitAsksAndNoKeepsTheBookOpen)
{
    active().setCellValue(1, 1, 1, Value(4.0));
    drawRectangle();
    shell::frmMDIChild* book = frame->ActiveChild();
    const std::string p = path("closing.xls");
    const std::string question = losesQuestion(spreadsheet::FileType::Excel5, "1 drawing object");
    for (const char* command : {"mnuFileClose", "mnuFileExit"}) {
        SCOPED_TRACE(command);
        // Only the book with the object is changed.
        for (shell::frmMDIChild* other : frame->Documents()) {
            if (other != book) {
                other->workbook().setChanged(false);
            }
        }
        boxes.clear();
        boxes.answer(Answer::Yes).choose(p, static_cast<int>(spreadsheet::FileType::Excel5)).answer(Answer::No);
        trigger(command);
        ASSERT_EQ(boxes.calls().size(), 2U);
        EXPECT_EQ(boxes.calls()[0].text, "Save changes before closing?");
        EXPECT_EQ(boxes.calls()[1].text, question);
        EXPECT_FALSE(std::filesystem::exists(p));
        EXPECT_TRUE(frame->isVisible());
        EXPECT_TRUE(holds(book));
        expectNeverSaved(book->workbook());
        EXPECT_EQ(book->workbook().objects(1).size(), 1U);
    }
    boxes.clear();
    boxes.answer(Answer::Yes).choose(p, static_cast<int>(spreadsheet::FileType::Excel5)).answer(Answer::Yes);
    frame->ShowDocument(book);
    trigger("mnuFileClose");
    EXPECT_EQ(boxes.calls().size(), 2U);
    EXPECT_TRUE(std::filesystem::exists(p));
    QApplication::processEvents();
    EXPECT_FALSE(holds(book));
    EXPECT_TRUE(reported.empty());
}

// A book of plain cells asks nothing in any type; our own format asks
// nothing of a book with names and objects.
TEST_F(UnkeptSave, PlainBooksAndOurOwnFormatAskNothing)
{
    active().setCellValue(1, 1, 1, Value("gene"));
    active().setCellValue(1, 1, 2, Value(0.5));
    const struct {
        const char* name;
        spreadsheet::FileType type;
    } plain[] = {
        {"plain.xls", spreadsheet::FileType::Excel5},
        {"plain97.xls", spreadsheet::FileType::Excel97},
        {"plain.txt", spreadsheet::FileType::Text},
        {"plain.htm", spreadsheet::FileType::Html},
    };
    boxes.clear();
    for (const auto& row : plain) {
        SCOPED_TRACE(row.name);
        boxes.choose(path(row.name), static_cast<int>(row.type));
        trigger("mnuFileSaveAs");
        EXPECT_TRUE(std::filesystem::exists(path(row.name)));
        EXPECT_FALSE(active().isChanged());
    }
    active().setSelection(1, 2, 1, 2);
    defineName("Half");
    drawRectangle();
    boxes.clear();
    boxes.choose(path("whole.vts"), static_cast<int>(spreadsheet::FileType::Native));
    trigger("mnuFileSaveAs");
    active().setCellValue(1, 3, 3, Value(1.0));
    pressCtrlS();
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_FALSE(active().isChanged());
    spreadsheet::Workbook back;
    (void)back.Read(path("whole.vts"));
    EXPECT_EQ(back.cellValue(1, 3, 3), Value(1.0));
    EXPECT_EQ(back.objects(1).size(), 1U);
    EXPECT_NE(back.findDefinedName("Half"), nullptr);
    EXPECT_TRUE(reported.empty());
}

// A page setup or workbook options changed through their dialogs are part of
// the book: closing asks to save them, and the save keeps them. A dialog
// left with Cancel, or with nothing changed, leaves the book unchanged.
TEST_F(UnkeptSave, APageSetupOrOptionsChangedInTheirDialogsAreAskedAboutAtClose)
{
    active().setCellValue(1, 1, 1, Value(2.0));
    const std::string p = path("setup.vts");
    boxes.clear();
    boxes.choose(p, static_cast<int>(spreadsheet::FileType::Native));
    trigger("mnuFileSaveAs");
    ASSERT_FALSE(active().isChanged());

    testsupport::onModal<spreadsheet::PageSetupDlg>(
        [](spreadsheet::PageSetupDlg& d) { d.findChild<QRadioButton*>("optLandscape")->setChecked(true); });
    trigger("mnuFilePageSetup");
    testsupport::onModal<spreadsheet::PageSetupDlg>([](spreadsheet::PageSetupDlg&) {}, testsupport::ThenPress::Ok);
    trigger("mnuFilePageSetup");
    testsupport::onModal<spreadsheet::WorkbookOptionsDialog>([](spreadsheet::WorkbookOptionsDialog&) {},
                                                             testsupport::ThenPress::Ok);
    trigger("mnuToolsOptions");
    EXPECT_FALSE(active().isChanged()) << "Cancel, or OK with nothing changed, changed the book";

    testsupport::onModal<spreadsheet::PageSetupDlg>(
        [](spreadsheet::PageSetupDlg& d) { d.findChild<QRadioButton*>("optLandscape")->setChecked(true); },
        testsupport::ThenPress::Ok);
    trigger("mnuFilePageSetup");
    EXPECT_TRUE(active().isChanged());
    pressCtrlS();
    EXPECT_FALSE(active().isChanged());

    testsupport::onModal<spreadsheet::WorkbookOptionsDialog>(
        [](spreadsheet::WorkbookOptionsDialog& d) { d.chkGridLines()->setChecked(false); },
        testsupport::ThenPress::Ok);
    trigger("mnuToolsOptions");
    EXPECT_TRUE(active().isChanged());
    shell::frmMDIChild* book = frame->ActiveChild();
    boxes.clear();
    boxes.answer(Answer::Yes).choose(p, static_cast<int>(spreadsheet::FileType::Native));
    trigger("mnuFileClose");
    ASSERT_EQ(boxes.calls().size(), 1U);
    EXPECT_EQ(boxes.calls()[0].text, "Save changes before closing?");
    QApplication::processEvents();
    EXPECT_FALSE(holds(book));
    spreadsheet::Workbook back;
    (void)back.Read(p);
    EXPECT_EQ(back.pageSetup(1).orientation, 2);
    EXPECT_FALSE(back.options().showGridLines);
    EXPECT_TRUE(reported.empty());
}

// A book of two sheets saved as text, through Save As and through the save
// at close: the question names the sheet left out; No leaves the old file
// byte for byte (or none) and the book and its window as they were; Yes
// writes the active sheet.
TEST_F(UnkeptSave, TextSaveOfATwoSheetBookNamesTheSheetLeftOut)
{
    const std::string question =
        losesQuestion(spreadsheet::FileType::Text, "sheet Sheet1: only the active sheet, Sheet2, is written, without its name");
    const struct {
        const char* command;
        bool oldFile;
    } rows[] = {{"mnuFileSaveAs", true}, {"mnuFileClose", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        trigger("mnuFileNew");
        active().setCellValue(1, 1, 1, Value("gene"));
        trigger("mnuInsertWorksheet");
        ASSERT_EQ(active().NumSheets(), 2);
        active().setCellValue(1, 1, 1, Value(2.5));
        shell::frmMDIChild* book = frame->ActiveChild();
        const std::string caption = book->windowTitle().toStdString();
        const std::string p = path(std::string(row.command) + ".txt");
        if (row.oldFile) {
            testsupport::writeFile(p, "old\r\n");
        }
        const bool closing = std::string(row.command) == "mnuFileClose";
        for (const Answer answer : {Answer::No, Answer::Yes}) {
            boxes.clear();
            if (closing) {
                boxes.answer(Answer::Yes);
            }
            frame->ShowDocument(book);
            boxes.choose(p, static_cast<int>(spreadsheet::FileType::Text)).answer(answer);
            trigger(row.command);
            ASSERT_EQ(boxes.calls().size(), closing ? 2U : 1U);
            EXPECT_EQ(boxes.last().text, question);
            QApplication::processEvents();
            if (answer == Answer::Yes) {
                EXPECT_EQ(testsupport::readFile(p), "2.5\r\n");
                EXPECT_EQ(holds(book), !closing);
                break;
            }
            EXPECT_EQ(std::filesystem::exists(p), row.oldFile);
            if (row.oldFile) {
                EXPECT_EQ(testsupport::readFile(p), "old\r\n");
            }
            ASSERT_TRUE(holds(book));
            expectNeverSaved(book->workbook());
            EXPECT_EQ(book->workbook().NumSheets(), 2);
            EXPECT_EQ(book->windowTitle().toStdString(), caption);
        }
    }
    EXPECT_TRUE(reported.empty());
}

// A two-sheet book saved as text with Yes is in no file whole: it stays
// changed, and every way of closing asks "Save changes before closing?" as
// before the save. Cancel keeps it; No closes without writing; Yes saves
// again in that type, asks again what is lost, writes and closes, asking
// nothing more.
TEST_F(UnkeptSave, ABookSavedWithoutASheetAsksAgainAtEveryClose)
{
    const std::string question =
        losesQuestion(spreadsheet::FileType::Text, "sheet Sheet1: only the active sheet, Sheet2, is written, without its name");
    enum class Way { FileClose, WindowX, FileExit, MainWindowX };
    const struct {
        const char* name;
        Way way;
        Answer answer;
    } rows[] = {
        // Only the last row may close the program.
        {"File, Close, Cancel", Way::FileClose, Answer::Cancel},
        {"window's X, No", Way::WindowX, Answer::No},
        {"File, Close, Yes", Way::FileClose, Answer::Yes},
        {"main window's X, Cancel", Way::MainWindowX, Answer::Cancel},
        {"File, Exit, Cancel", Way::FileExit, Answer::Cancel},
        {"File, Exit, Yes", Way::FileExit, Answer::Yes},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (shell::frmMDIChild* other : frame->Documents()) {
            other->workbook().setChanged(false);
        }
        trigger("mnuFileNew");
        active().setCellValue(1, 1, 1, Value("gene"));
        trigger("mnuInsertWorksheet");
        active().setCellValue(1, 1, 1, Value(2.5));
        shell::frmMDIChild* book = frame->ActiveChild();
        const std::string name = "part" + std::to_string(&row - rows) + ".txt";
        const std::string p = path(name);
        boxes.clear();
        boxes.choose(p, static_cast<int>(spreadsheet::FileType::Text)).answer(Answer::Yes);
        trigger("mnuFileSaveAs");
        ASSERT_EQ(boxes.last().text, question);
        EXPECT_EQ(book->windowTitle().toStdString(), p);
        EXPECT_EQ(book->workbook().Tag(), std::to_string(static_cast<int>(spreadsheet::FileType::Text)));
        EXPECT_TRUE(book->workbook().isChanged());

        testsupport::writeFile(p, "stale\r\n");
        boxes.clear();
        boxes.answer(row.answer);
        if (row.answer == Answer::Yes) {
            boxes.choose(p, static_cast<int>(spreadsheet::FileType::Text)).answer(Answer::Yes);
        }
        switch (row.way) {
        case Way::FileClose: trigger("mnuFileClose"); break;
        case Way::WindowX: (void)book->parentWidget()->close(); break;
        case Way::FileExit: trigger("mnuFileExit"); break;
        case Way::MainWindowX: (void)frame->close(); break;
        }
        QApplication::processEvents();
        ASSERT_EQ(boxes.calls().size(), row.answer == Answer::Yes ? 2U : 1U);
        EXPECT_EQ(boxes.calls()[0].text, "Save changes before closing?");
        EXPECT_EQ(boxes.calls()[0].title, name);
        if (row.answer == Answer::Yes) {
            EXPECT_EQ(boxes.fileRequests().back().filterIndex, static_cast<int>(spreadsheet::FileType::Text));
            EXPECT_EQ(boxes.last().text, question);
        }
        EXPECT_EQ(testsupport::readFile(p), row.answer == Answer::Yes ? "2.5\r\n" : "stale\r\n");
        const bool closes = row.answer != Answer::Cancel;
        const bool exits = row.way == Way::FileExit || row.way == Way::MainWindowX;
        EXPECT_EQ(frame->isVisible(), !(exits && closes));
        if (!(exits && closes)) {
            EXPECT_EQ(holds(book), !closes);
        }
    }
    EXPECT_TRUE(reported.empty());
}

// A save to the file another window holds, through Save As or at close, is
// refused in words naming that window; the file keeps its bytes and the
// book its name, and the holder still saves to it.
TEST_F(UnkeptSave, ASaveToAFileAnotherWindowHoldsIsRefused)
{
    for (const char* command : {"mnuFileSaveAs", "mnuFileClose"}) {
        SCOPED_TRACE(command);
        const std::string p = path(std::string(command) + "same.vts");
        {
            spreadsheet::Workbook made;
            made.setCellValue(1, 1, 1, Value(1.0));
            made.Write(p, static_cast<int>(spreadsheet::FileType::Native));
        }
        open(p);
        shell::frmMDIChild* holder = frame->ActiveChild();
        ASSERT_EQ(holder->workbook().TableName(), p);
        holder->workbook().setCellValue(1, 1, 1, Value(2.0));
        trigger("mnuFileNew");
        shell::frmMDIChild* other = frame->ActiveChild();
        ASSERT_NE(other, holder);
        active().setCellValue(1, 1, 1, Value(3.0));
        const std::string before = testsupport::readFile(p);
        boxes.clear();
        if (std::string(command) == "mnuFileClose") {
            boxes.answer(Answer::Yes);
        }
        boxes.choose(p, static_cast<int>(spreadsheet::FileType::Native));
        trigger(command);
        EXPECT_EQ(boxes.last().text, "Unable to write " + p + ": the window " + p +
                                         " holds that file. Close that window first, or save under another name.");
        EXPECT_EQ(testsupport::readFile(p), before);
        QApplication::processEvents();
        ASSERT_TRUE(holds(other));
        expectNeverSaved(other->workbook());

        frame->ShowDocument(holder);
        pressCtrlS();
        spreadsheet::Workbook back;
        (void)back.Read(p);
        EXPECT_EQ(back.cellValue(1, 1, 1), Value(2.0));
        other->workbook().setChanged(false);
    }
    EXPECT_TRUE(reported.empty());
}

// A typed name whose extension belongs to another type of the list writes
// the type with that extension that keeps the most (.xls: Excel 97/2000;
// .htm and .html: HTML);
// the chosen type's own extension, in any case, or one of no type keeps the
// chosen type.
TEST_F(UnkeptSave, ATypedExtensionOfAnotherTypeWritesThatType)
{
    using spreadsheet::FileType;
    active().setCellValue(1, 1, 1, Value("gene"));
    const struct {
        const char* name;
        FileType chosen;
        FileType written;
    } rows[] = {
        {"x.xls", FileType::Native, FileType::Excel97},
        {"y.XLS", FileType::Text, FileType::Excel97},
        {"x5.xls", FileType::Excel5, FileType::Excel5},
        {"x.txt", FileType::Native6, FileType::Text},
        {"x.vts", FileType::Excel97, FileType::Native},
        {"x.XLS", FileType::Excel97, FileType::Excel97},
        {"x.dat", FileType::Native6, FileType::Native6},
        {"p.html", FileType::Text, FileType::Html},
        {"p.HTML", FileType::Excel97, FileType::Html},
        {"p.Html", FileType::Native6, FileType::Html},
        {"p.htm", FileType::TextValuesOnly, FileType::Html},
        {"d.html", FileType::HtmlDataOnly, FileType::HtmlDataOnly},
        {"d.HTML", FileType::HtmlDataOnly, FileType::HtmlDataOnly},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string p = path(row.name);
        boxes.clear();
        boxes.choose(p, static_cast<int>(row.chosen));
        trigger("mnuFileSaveAs");
        EXPECT_TRUE(boxes.calls().empty());
        EXPECT_EQ(active().Tag(), std::to_string(static_cast<int>(row.written)));
        if (row.written == FileType::Html || row.written == FileType::HtmlDataOnly) {
            // Pages are written, not read back.
            const std::string page = testsupport::readFile(p);
            EXPECT_TRUE(spreadsheet::looksLikeHtml(page));
            EXPECT_NE(page.find("<td>gene</td>"), std::string::npos) << page;
            continue;
        }
        spreadsheet::Workbook back;
        const int read = back.Read(p);
        EXPECT_EQ(read, static_cast<int>(row.written));
        EXPECT_EQ(back.cellValue(1, 1, 1), Value("gene"));
    }
    EXPECT_TRUE(reported.empty());
}

} // namespace
