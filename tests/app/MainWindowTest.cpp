// The main window, the document windows and the start-up on the offscreen
// platform, with message boxes and file dialogs answered from a script.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QComboBox>
#include <QLineEdit>
#include <QLockFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "errorlib/Rampart.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/print/QtPrinter.h"
#include "platform/errors/Guard.h"
#include "platform/profile/Profile.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/widgets/treeview/TreeView.h"
#include "shell/core/mQuorin.h"
#include "app/FError.h"
#include "app/MainFrame.h"
#include "app/MainModule.h"
#include "app/ProgramIcon.h"
#include "app/WinAPI.h"
#include "app/frmAbout.h"
#include "app/frmMDIChild.h"
#include "app/frmOption.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/shell/RampartRegistry.h"
#include "tests/support/TestSupport.h"

using platform::Answer;
using shell::View;

namespace {

// A fresh program state, settings folder and scripted boxes for each test;
// each test loads its own main windows.
class ShellWindow : public shelltest::ProgramFixture {
protected:
    std::unique_ptr<shell::MainFrame> loadFrame()
    {
        auto frame = std::make_unique<shell::MainFrame>();
        frame->endProcess = [this] { ++ended; };
        frame->Form_Load();
        return frame;
    }

    // Loads and shows a main window with a new book in it, and makes the
    // window the active one.
    void loadWithActiveBook(std::unique_ptr<shell::MainFrame>& frame, shell::frmMDIChild*& book)
    {
        frame = loadFrame();
        frame->show();
        book = frame->NewDocument();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    static void change(shell::frmMDIChild* child, const char* text = "x")
    {
        child->workbook().setCellEntry(1, 1, 1, text);
        ASSERT_TRUE(child->workbook().isChanged());
    }

    [[nodiscard]] std::filesystem::path file(const std::string& name) const { return m_dir.file(name); }
    [[nodiscard]] std::filesystem::path ini() const { return m_dir.path() / "win" / "QUORIN.INI"; }

    int ended = 0;
};

bool menuShown(const shell::MainFrame& frame, const char* name)
{
    return frame.action(QString::fromLatin1(name))->isVisible();
}

MMain::Options testOptions(const testsupport::TempDir& dir)
{
    MMain::Options options;
    options.programPath = (dir.path() / "Quorin").string();
    options.commandLine = "Quorin /TRACE";
    options.lockPath = QString::fromStdString(dir.file("Quorin.lock").string());
    options.splashHold = 0;
    options.startupHold = 0;
    options.logPath = dir.path().string();
    return options;
}

} // namespace

// ---- start-up --------------------------------------------------------------

class StartUp : public ShellWindow {
protected:
    testsupport::PrivateRegistry m_registry;
};

TEST_F(StartUp, UnregisteredLibraryGivesTheCriticalBoxAndNothingStaysOpen)
{
    MMain::MainModule module(testOptions(m_dir));
    EXPECT_FALSE(module.Main());
    ASSERT_EQ(boxes.calls().size(), 1u);
    const std::string& text = boxes.last().text;
    EXPECT_EQ(text.rfind("Error Initializing Rampart Error Handling\r\n\r\nError=429\r\nSource=", 0), 0u) << text;
    EXPECT_NE(text.find("\r\nDescription=ActiveX component can't create object"), std::string::npos) << text;
    EXPECT_EQ(boxes.last().style, 16);
    EXPECT_EQ(boxes.last().title, "Tessaray");
    EXPECT_EQ(module.mainFrame(), nullptr);
    EXPECT_EQ(module.gErrorHandler(), nullptr);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    }
}

TEST_F(StartUp, StartsForAUserWithoutARegistrationWhenTheInstallationHasOne)
{
    // The build or install registered the library in the installation's own
    // hive; this user's registry has never heard of it.
    const std::filesystem::path machine = m_dir.path() / "installation" / "registry";
    const testsupport::ScopedEnv installation("TESSARAY_MACHINE_REGISTRY_DIR", machine.string());
    {
        const testsupport::ScopedEnv registering("TESSARAY_REGISTRY_DIR", machine.string());
        ASSERT_EQ(testsupport::PrivateRegistry::registerRampart(), 0);
    }
    ASSERT_TRUE(std::filesystem::exists(machine / "machine.hive"));
    ASSERT_FALSE(std::filesystem::exists(m_registry.folder() / "registry" / "machine.hive"));

    MMain::MainModule module(testOptions(m_dir));
    EXPECT_TRUE(module.Main());
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_NE(module.gErrorHandler(), nullptr);
    module.Shutdown();
}

TEST_F(StartUp, SecondCopyShowsItsMessageAndEnds)
{
    ASSERT_EQ(testsupport::PrivateRegistry::registerRampart(), 0);
    QLockFile running(QString::fromStdString(m_dir.file("Quorin.lock").string()));
    ASSERT_TRUE(running.tryLock(0));
    MMain::MainModule module(testOptions(m_dir));
    EXPECT_FALSE(module.Main());
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, "Quorin is already running.");
    EXPECT_EQ(module.mainFrame(), nullptr);
}

TEST_F(StartUp, ShowsTheMainWindowWithBook1InItsDataView)
{
    ASSERT_EQ(testsupport::PrivateRegistry::registerRampart(), 0);
    MMain::MainModule module(testOptions(m_dir));
    ASSERT_TRUE(module.Main());
    EXPECT_TRUE(boxes.calls().empty());
    shell::MainFrame* frame = module.mainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Tessaray"));
    ASSERT_EQ(frame->Documents().size(), 1u);
    shell::frmMDIChild* book = module.firstDocument();
    EXPECT_EQ(book->windowTitle(), QStringLiteral("Book1"));
    EXPECT_EQ(book->workbook().TableName(), "Book1");
    EXPECT_FALSE(book->workbook().isChanged());
    EXPECT_EQ(book->visibleView(), View::Data);
    EXPECT_TRUE(book->TreeView1()->isHidden());
    EXPECT_TRUE(book->RichTextBox1()->isHidden());
    EXPECT_EQ(frame->statusText(), QStringLiteral("File: No file in buffer"));
    ASSERT_EQ(program.gColLetter.size(), 256u);
    EXPECT_EQ(program.gColLetter[255], "IV");
    EXPECT_EQ(program.gFieldSep, std::string(1, '\x01'));
    EXPECT_TRUE(program.IsSheetOpen());
    // The splash has gone, but a second copy is still refused.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(w->objectName() == QStringLiteral("frmSplash") && w->isVisible());
    }
    QLockFile second(QString::fromStdString(m_dir.file("Quorin.lock").string()));
    EXPECT_FALSE(second.tryLock(0));

    // The handler knows the program by its file name, and "/TRACE" left tracing off.
    rampart::ICErrorHandler* handler = module.gErrorHandler();
    ASSERT_NE(handler, nullptr);
    EXPECT_EQ(handler->ComponentName(), "Quorin");
    EXPECT_FALSE(handler->Trace());
    EXPECT_TRUE(module.gErrorClient()->ShowDialog);

    module.Shutdown();
    EXPECT_EQ(module.gErrorHandler(), nullptr);
    EXPECT_EQ(module.mainFrame(), nullptr);
}

TEST_F(StartUp, EndApplicationFromTheLibraryClosesEveryWindow)
{
    ASSERT_EQ(testsupport::PrivateRegistry::registerRampart(), 0);
    MMain::MainModule module(testOptions(m_dir));
    ASSERT_TRUE(module.Main());
    module.mainFrame()->endProcess = [this] { ++ended; };
    change(module.firstDocument());
    boxes.answer(Answer::No);
    module.gErrorClient()->EndApplication();
    // The changed book was asked about before it went.
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, "Save changes before closing?");
    EXPECT_FALSE(module.mainFrame()->isVisible());
    EXPECT_EQ(ended, 1);
}

// ---- settings ----------------------------------------------------------------

TEST_F(ShellWindow, FrameAndAboutWindowCarryTheProgramsIcon)
{
    const QIcon ours = shell::ProgramIcon::icon();
    ASSERT_FALSE(ours.isNull());
    // Our own picture: the tree's blue above the grid's red cells.
    const QImage picture = ours.pixmap(64).toImage();
    ASSERT_EQ(picture.size(), QSize(64, 64));
    EXPECT_EQ(QColor(picture.pixel(32, 13)), QColor(0x28, 0x5a, 0xaa));
    EXPECT_EQ(QColor(picture.pixel(16, 35)), QColor(0xc8, 0x28, 0x28));
    EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << "the corners stay clear";

    auto frame = loadFrame();
    frame->Form_Activate();
    shell::frmAbout about;
    for (const QWidget* w : {static_cast<const QWidget*>(frame.get()), static_cast<const QWidget*>(&about)}) {
        const QIcon icon = w->windowIcon();
        ASSERT_FALSE(icon.isNull()) << w->objectName().toStdString();
        EXPECT_EQ(icon.pixmap(32).toImage(), ours.pixmap(32).toImage()) << w->objectName().toStdString();
    }
    if (const char* shot = std::getenv("TESSARAY_SCREENSHOT_DIR")) {
        ASSERT_TRUE(ours.pixmap(256).save(QString::fromLocal8Bit(shot) + "/program-icon.png"));
    }
}

TEST_F(ShellWindow, RecentFilesAreKeptAcrossRestartsInTheSettingsFile)
{
    ASSERT_TRUE(platform::profile::WriteString("Recent Files", "MaxNumRecentFile", "4", ini()));
    const std::string a = "/data/run one.vts";
    const std::string b = "/data/R&D/run two.xls";
    {
        auto frame = loadFrame();
        program.gIni().AddMenu(*frame, a);
        program.gIni().AddMenu(*frame, b);
        ASSERT_EQ(frame->mnuFileList().size(), 2u);
        EXPECT_TRUE(frame->close());
    }
    EXPECT_EQ(platform::profile::GetString("Recent Files", "NumRecentFile", "", ini()), "2");
    EXPECT_EQ(platform::profile::GetString("Recent Files", "File1", "", ini()), b);
    EXPECT_EQ(platform::profile::GetString("Recent Files", "File2", "", ini()), a);

    // A second run of the program reads the list back.
    mQuorin::ProgramState next;
    mQuorin::ProgramScope nextScope(next);
    auto frame = loadFrame();
    const auto& entries = frame->mnuFileList();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0]->isVisible());
    EXPECT_TRUE(entries[0]->isEnabled());
    EXPECT_EQ(entries[0]->data().toString().toStdString(), "1. " + b);
    // The number is the entry's access key; the "&" of the path is shown.
    EXPECT_EQ(entries[0]->text(), QStringLiteral("&1. /data/R&&D/run two.xls"));
    EXPECT_EQ(entries[1]->text(), QStringLiteral("&2. /data/run one.vts"));
    EXPECT_EQ(entries[1]->data().toString().toStdString(), "2. " + a);
}

TEST_F(ShellWindow, FoldersFallBackToTheHomeFolderWhenTheStoredOnesAreGone)
{
    ASSERT_TRUE(platform::profile::WriteString("Defaults", "DataDir", file("deleted").string(), ini()));
    ASSERT_TRUE(platform::profile::WriteString("Defaults", "OutDir", m_dir.path().string(), ini()));
    auto frame = loadFrame();
    EXPECT_EQ(program.gDataDir, QDir::homePath().toStdString());
    EXPECT_EQ(program.gOutDir, m_dir.path().string());
    EXPECT_NE(program.gDataDir, QCoreApplication::applicationDirPath().toStdString());
}

namespace {

// The options dialog that Tools, Global options opens, run by `act`; false
// when none opened. Storing the data folder makes it the current folder:
// the current folder is given back after.
bool onOptionsDialog(shell::MainFrame& frame, const std::function<void(shell::frmOption&)>& act)
{
    std::error_code ec;
    std::filesystem::path cwd = std::filesystem::current_path(ec);
    if (ec) {
        cwd = std::filesystem::temp_directory_path();  // an earlier test's folder is gone
    }
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* options = qobject_cast<shell::frmOption*>(QApplication::activeModalWidget());
        ASSERT_NE(options, nullptr);
        seen = true;
        act(*options);
    });
    frame.action(QStringLiteral("mnuToolsGlobalOpt"))->trigger();
    std::filesystem::current_path(cwd, ec);
    return seen;
}

} // namespace

TEST_F(ShellWindow, GlobalOptionsItemOpensTheOptionsDialogThatStoresTheDefaults)
{
    auto frame = loadFrame();
    std::filesystem::create_directories(file("data"));
    std::filesystem::path current;
    EXPECT_TRUE(onOptionsDialog(*frame, [&](shell::frmOption& options) {
        EXPECT_EQ(options.txtOpt(0)->text(), QStringLiteral("4"));
        options.txtOpt(1)->setText(QString::fromStdString(file("data").string()));
        options.txtOpt(2)->setText(QString::fromStdString(file("out").string()));
        options.cboInFile()->setCurrentIndex(4);
        options.cboOutFile()->setCurrentIndex(6);
        options.cmdDone()->click();
        current = std::filesystem::current_path();
    }));
    EXPECT_EQ(platform::profile::GetString("Recent Files", "MaxNumRecentFile", "", ini()), "4");
    EXPECT_EQ(platform::profile::GetString("Defaults", "DataDir", "", ini()), file("data").string());
    EXPECT_EQ(platform::profile::GetString("Defaults", "OutDir", "", ini()), file("out").string());
    EXPECT_EQ(platform::profile::GetString("Defaults", "InFileType", "", ini()), "4");
    EXPECT_EQ(platform::profile::GetString("Defaults", "OutFileType", "", ini()), "6");
    EXPECT_TRUE(std::filesystem::is_directory(file("out")));
    EXPECT_EQ(program.gOutDir, file("out").string());
    EXPECT_EQ(current, file("data"));
}

// The options dialog shows the input type the open dialog starts at and the
// output type a save offers a new book, a setting that names no type of its
// list included, and Done stores what it shows, so the next start opens and
// saves in the types the user saw.
TEST_F(ShellWindow, TheOptionsDialogShowsTheTypesTheFileDialogsOfferAndStoresThem)
{
    const struct {
        const char* key;
        const char* stored;
        const char* shown;
        const char* storedOnDone;
    } rows[] = {
        {"OutFileType", "99", "Formula One 3/4/5, *.vts", "2"},
        {"OutFileType", "8", "Formula One 3/4/5, *.vts", "2"},
        {"OutFileType", "32767", "Formula One 3/4/5, *.vts", "2"},
        {"OutFileType", "7", "Tab-delimited text-values only, *.txt", "7"},
        {"OutFileType", "4", "HTML, *.HTM, *.HTML", "4"},
        {"OutFileType", "0", "Excel 95/5-7,*.XLS", "0"},
        {"InFileType", "99", "Excel 95/5-7,*.XLS", "0"},
        {"InFileType", "6", "Excel 95/5-7,*.XLS", "0"},
        {"InFileType", "32767", "Excel 95/5-7,*.XLS", "0"},
        {"InFileType", "-2", "Excel 95/5-7,*.XLS", "0"},
        {"InFileType", "5", "Tab-delimited text-values only, *.txt", "5"},
        {"InFileType", "2", "Formula One 3/4/5, *.vts", "2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.key) + "=" + row.stored);
        const bool output = std::string_view(row.key) == "OutFileType";
        ASSERT_TRUE(platform::profile::WriteString("Defaults", row.key, row.stored, ini()));
        program.releaseIni();
        auto frame = loadFrame();
        (void)frame->NewDocument();
        const auto offered = [&] {
            boxes.cancelFile();
            frame->action(QString::fromLatin1(output ? "mnuFileSaveAs" : "mnuFileOpen"))->trigger();
            return boxes.fileRequests().empty() ? -1 : boxes.fileRequests().back().filterIndex;
        };
        const int before = offered();
        EXPECT_TRUE(onOptionsDialog(*frame, [&](shell::frmOption& options) {
            const QComboBox* box = output ? options.cboOutFile() : options.cboInFile();
            EXPECT_EQ(box->currentText().toStdString(), row.shown);
            EXPECT_EQ(box->currentIndex() + 1, before);
            options.cmdDone()->click();
        }));
        EXPECT_EQ(platform::profile::GetString("Defaults", row.key, "", ini()), row.storedOnDone);
        EXPECT_EQ(offered(), before);
        program.releaseIni();
        EXPECT_EQ(offered(), before) << "read again, as at the next start";
    }
}

TEST_F(ShellWindow, EnterInTheOptionsDialogPressesDoneNotBrowse)
{
    auto frame = loadFrame();
    std::filesystem::create_directories(file("data"));
    EXPECT_TRUE(onOptionsDialog(*frame, [&](shell::frmOption& options) {
        QLineEdit* data = options.txtOpt(1);
        data->setFocus();
        data->selectAll();
        QTest::keyClicks(data, QString::fromStdString(file("data").string()));
        QTest::keyClick(data, Qt::Key_Return);
    }));
    EXPECT_TRUE(boxes.fileRequests().empty()) << "Browse asked for a folder";
    EXPECT_EQ(platform::profile::GetString("Defaults", "DataDir", "", ini()), file("data").string());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ShellWindow, OptionsDialogStoresEveryMaximumOfRecentFilesThatFitsAndRefusesTheRest)
{
    auto frame = loadFrame();
    const struct {
        const char* typed;
        const char* stored;  // null: refused, and the settings file keeps what it had
    } rows[] = {
        {"abc", nullptr},   {"40000", nullptr}, {"-1", nullptr},    {"", nullptr},   {"1e999", nullptr},
        {"4abc", nullptr},  {"-0.6", nullptr},  {"32768", nullptr}, {"0", "0"},      {"17", "17"},
        {"4.5", "4"},       {"5.5", "6"},       {"-0.4", "0"},      {"16", "16"},    {" 1", "1"},
        {"+3", "3"},        {"32767", "32767"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        boxes.clear();
        const std::string before = platform::profile::GetString("Recent Files", "MaxNumRecentFile", "", ini());
        EXPECT_TRUE(onOptionsDialog(*frame, [&](shell::frmOption& options) {
            options.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&options));
            QLineEdit* maximum = options.txtOpt(0);
            QTest::mouseClick(maximum, Qt::LeftButton);
            QTest::keyClick(maximum, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(maximum, QString::fromLatin1(row.typed));
            if (row.typed[0] == '\0') {
                QTest::keyClick(maximum, Qt::Key_Delete);
            }
            QTest::keyClick(maximum, Qt::Key_Return);
            if (row.stored == nullptr) {
                EXPECT_TRUE(options.isVisible()) << "the dialog stays for a correction";
                EXPECT_EQ(QApplication::focusWidget(), maximum);
                options.reject();
            }
        }));
        if (row.stored == nullptr) {
            ASSERT_EQ(boxes.calls().size(), 1u);
            EXPECT_EQ(boxes.last().text, "Maximum number of 'Recent files': enter a whole number from 0 to 32767.");
            EXPECT_EQ(boxes.last().title, "Setup options");
            EXPECT_EQ(platform::profile::GetString("Recent Files", "MaxNumRecentFile", "", ini()), before);
        } else {
            EXPECT_TRUE(boxes.calls().empty());
            EXPECT_EQ(platform::profile::GetString("Recent Files", "MaxNumRecentFile", "", ini()), row.stored);
        }
    }
}

// ---- document windows ----------------------------------------------------------

TEST_F(ShellWindow, BooksAreNamedOnwardAndViewsFillTheWindowAfterAResize)
{
    auto frame = loadFrame();
    frame->show();
    shell::frmMDIChild* first = frame->NewDocument();
    shell::frmMDIChild* second = frame->NewDocument();
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Book1"));
    EXPECT_EQ(second->windowTitle(), QStringLiteral("Book2"));
    ASSERT_TRUE(first->close());
    EXPECT_EQ(frame->NewDocument()->windowTitle(), QStringLiteral("Book3"));

    second->resize(500, 300);
    for (QWidget* view : {static_cast<QWidget*>(second->ss()), static_cast<QWidget*>(second->TreeView1()),
                          static_cast<QWidget*>(second->RichTextBox1())}) {
        EXPECT_EQ(view->geometry(), second->rect());
    }
    // The gene fill list is the workbook's newest fill list.
    const auto& book = second->workbook();
    EXPECT_EQ(book.fillList(book.fillListCount()).substr(0, 6), "G1;G2;");
}

TEST_F(ShellWindow, NewWindowsOpenInsideTheFrameAndCascadeAndTileKeepThemUsable)
{
    auto frame = loadFrame();
    frame->resize(1000, 720);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    for (int i = 0; i < 3; ++i) {
        (void)frame->NewDocument();
    }
    const auto* area = frame->findChild<QMdiArea*>(QStringLiteral("MDIClient"));
    ASSERT_NE(area, nullptr);
    const QRect client = area->viewport()->rect();
    auto expectUsableInside = [&](const char* when) {
        SCOPED_TRACE(when);
        const auto windows = area->subWindowList();
        ASSERT_EQ(windows.size(), 3);
        for (const QMdiSubWindow* w : windows) {
            EXPECT_GE(w->width(), 360) << w->windowTitle().toStdString();
            EXPECT_GE(w->height(), 240) << w->windowTitle().toStdString();
            EXPECT_TRUE(client.contains(w->geometry())) << w->windowTitle().toStdString();
            EXPECT_GT(qobject_cast<shell::frmMDIChild*>(w->widget())->ss()->height(), 100);
        }
    };
    expectUsableInside("opened");
    frame->action(QStringLiteral("mnuWindowCascade"))->trigger();
    expectUsableInside("cascaded");
    frame->action(QStringLiteral("mnuWindowTile"))->trigger();
    expectUsableInside("tiled");
}

TEST_F(ShellWindow, ClosingAnUnchangedBookAsksNothing)
{
    auto frame = loadFrame();
    shell::frmMDIChild* book = frame->NewDocument();
    EXPECT_TRUE(book->close());
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(ShellWindow, SaveQuestionHonoursYesNoAndCancel)
{
    auto frame = loadFrame();
    const struct {
        const char* name;
        Answer answer;
        bool chooseFile;
        bool closes;
    } rows[] = {
        {"cancel keeps it open", Answer::Cancel, false, false},
        {"no closes without saving", Answer::No, false, true},
        {"yes saves and closes", Answer::Yes, true, true},
        {"yes with a cancelled dialog keeps it open", Answer::Yes, false, false},
    };
    std::vector<std::string> reported;
    platform::ScopedReporter reporter([&](const platform::Error& e) {
        reported.push_back(std::to_string(e.number()) + " " + e.source() + " " + e.description());
        return Answer::Abort;
    });
    for (const auto& row : rows) {
        shell::frmMDIChild* book = frame->NewDocument();
        change(book);
        book->TreeView1()->Nodes().Add({}, "Root");
        boxes.clear();
        boxes.answer(row.answer);
        const std::string path = file(std::string("saved-") + std::to_string(&row - rows) + ".vts").string();
        if (row.chooseFile) {
            boxes.choose(path, 1);
        } else if (row.answer == Answer::Yes) {
            boxes.cancelFile();
        }
        const bool closed = book->close();
        EXPECT_EQ(closed, row.closes) << row.name;
        ASSERT_EQ(boxes.calls().size(), 1u) << row.name;
        EXPECT_EQ(boxes.last().text, "Save changes before closing?");
        EXPECT_EQ(boxes.last().style, 35);
        EXPECT_EQ(std::filesystem::exists(path), row.chooseFile) << row.name;
        if (!closed) {
            EXPECT_EQ(book->TreeView1()->Nodes().Count(), 1) << row.name;
            book->workbook().setChanged(false);
            ASSERT_TRUE(book->close());
        }
    }
    EXPECT_TRUE(reported.empty()) << (reported.empty() ? std::string() : reported.front());
}

TEST_F(ShellWindow, FailedSaveKeepsTheWindowOpenAndReportsTheError)
{
    auto frame = loadFrame();
    shell::frmMDIChild* book = frame->NewDocument();
    change(book);
    const std::string path = file("no-such-folder/book.vts").string();
    boxes.answer(Answer::Yes).choose(path, 3);
    EXPECT_FALSE(book->close());
    EXPECT_EQ(boxes.last().text, "Unable to write " + path);
    EXPECT_TRUE(book->workbook().isChanged());
    EXPECT_TRUE(book->isVisible() || !book->isHidden());
}

TEST_F(ShellWindow, YesSavesTheClosingBookNotTheActiveOne)
{
    auto frame = loadFrame();
    frame->show();
    shell::frmMDIChild* first = frame->NewDocument();
    change(first, "first");
    shell::frmMDIChild* second = frame->NewDocument();
    change(second, "second");
    ASSERT_EQ(frame->ActiveChild(), second);
    const std::string path = file("first.vts").string();
    boxes.answer(Answer::Yes).choose(path, 1);
    ASSERT_TRUE(first->close());
    spreadsheet::Workbook readBack;
    readBack.Read(path);
    EXPECT_EQ(readBack.cellValue(1, 1, 1), spreadsheet::Value(std::string("first")));
    EXPECT_TRUE(second->workbook().isChanged());
}

TEST_F(ShellWindow, ExitAsksEveryChangedBookAndCancelKeepsTheProgramOpen)
{
    for (const auto& [key, value] : {std::pair{"MaxNumRecentFile", "4"}, std::pair{"NumRecentFile", "2"},
                                     std::pair{"File1", "/d/b.vts"}, std::pair{"File2", "/d/a.vts"}}) {
        ASSERT_TRUE(platform::profile::WriteString("Recent Files", key, value, ini()));
    }
    auto frame = loadFrame();
    frame->show();
    shell::frmMDIChild* first = frame->NewDocument();
    change(first);
    shell::frmMDIChild* second = frame->NewDocument();
    change(second);
    boxes.answer(Answer::No).answer(Answer::Cancel);
    frame->action(QStringLiteral("mnuFileExit"))->trigger();
    EXPECT_EQ(boxes.calls().size(), 2u);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->Documents().size(), 1u);
    EXPECT_EQ(ended, 0);
    // The program goes on with its whole recent-file list.
    program.gIni().AddMenu(*frame, "/d/c.vts");
    EXPECT_EQ(platform::profile::GetString("Recent Files", "NumRecentFile", "", ini()), "3");
    EXPECT_EQ(platform::profile::GetString("Recent Files", "File3", "", ini()), "/d/a.vts");

    boxes.answer(Answer::No);
    frame->action(QStringLiteral("mnuFileExit"))->trigger();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(ended, 1);
}

TEST_F(ShellWindow, RightClickOnANodeWithChildrenPopsUpTheTreeMenu)
{
    auto frame = loadFrame();
    frame->show();
    shell::frmMDIChild* book = frame->NewDocument();
    frame->ShowView(View::Tree);
    platform::TreeView* tree = book->TreeView1();
    platform::TreeViewModel& nodes = tree->Nodes();
    const std::int32_t root = nodes.Add({}, "Root");
    const std::int32_t leaf = nodes.Add(root, platform::TreeRelationship::Child, {}, "G1");
    nodes.setExpanded(root, true);
    QMenu* treeMenu = frame->menu(QStringLiteral("mnuTree"));
    const struct {
        const char* name;
        std::int32_t node;
        Qt::MouseButton button;
        bool popsUp;
    } rows[] = {
        {"right button on an inner node", root, Qt::RightButton, true},
        {"left button on an inner node", root, Qt::LeftButton, false},
        {"right button on a leaf", leaf, Qt::RightButton, false},
        {"right button with nothing selected", 0, Qt::RightButton, false},
    };
    for (const auto& row : rows) {
        treeMenu->hide();
        if (row.node != 0) {
            nodes.setSelected(row.node, true);
        } else if (nodes.SelectedItem() != 0) {
            nodes.setSelected(nodes.SelectedItem(), false);
        }
        QTest::mouseRelease(tree->viewport(), row.button, {}, QPoint(5, 5));
        EXPECT_EQ(treeMenu->isVisible(), row.popsUp) << row.name;
    }
    treeMenu->hide();
}

// ---- menus --------------------------------------------------------------------

TEST_F(ShellWindow, MenuSetFollowsTheVisibleViewOfTheActiveBook)
{
    auto frame = loadFrame();
    frame->show();
    // No document window: a view command changes nothing and reports nothing.
    frame->ShowView(View::Tree);
    EXPECT_TRUE(menuShown(*frame, "mnuFile"));
    EXPECT_TRUE(boxes.calls().empty());
    shell::frmMDIChild* book = frame->NewDocument();
    EXPECT_TRUE(menuShown(*frame, "mnuFile"));
    EXPECT_TRUE(menuShown(*frame, "mnuEdit"));
    EXPECT_FALSE(menuShown(*frame, "Edit"));
    EXPECT_FALSE(menuShown(*frame, "mnuFixed"));

    for (int twice = 0; twice < 2; ++twice) {
        frame->action(QStringLiteral("mnuWindowTree"))->trigger();
        EXPECT_EQ(book->visibleView(), View::Tree);
        for (const char* hidden : {"mnuFile", "mnuEdit", "Edit", "mnuView", "mnuInsert", "mnuFormat", "mnuData",
                                   "mnuAnalysis", "mnuToolsRecalc"}) {
            EXPECT_FALSE(menuShown(*frame, hidden)) << hidden;
        }
        for (const char* shown : {"mnuTree", "mnuToolS", "mnuWindow", "mnuHelp"}) {
            EXPECT_TRUE(menuShown(*frame, shown)) << shown;
        }
    }

    frame->ShowView(View::Data);
    frame->ShowView(View::Output);
    EXPECT_EQ(book->visibleView(), View::Output);
    EXPECT_TRUE(book->ss()->isHidden());
    EXPECT_TRUE(menuShown(*frame, "Edit"));
    EXPECT_FALSE(menuShown(*frame, "mnuEdit"));
    EXPECT_EQ(frame->action(QStringLiteral("Edit"))->text(), frame->action(QStringLiteral("mnuEdit"))->text());

    // Another book in its data view brings the data view's menus with it.
    shell::frmMDIChild* other = frame->NewDocument();
    EXPECT_EQ(other->visibleView(), View::Data);
    EXPECT_TRUE(menuShown(*frame, "mnuFile"));
    EXPECT_FALSE(menuShown(*frame, "Edit"));
    frame->ShowDocument(book);
    EXPECT_TRUE(menuShown(*frame, "Edit"));
    EXPECT_FALSE(menuShown(*frame, "mnuFile"));
}

TEST_F(ShellWindow, ShortcutsOfHiddenMenusDoNotFire)
{
    auto frame = loadFrame();
    frame->show();
    frame->NewDocument();
    QAction* cut = frame->action(QStringLiteral("mnuEditCut"));
    QAction* findNext = frame->action(QStringLiteral("EditFindNext"));
    QAction* recalc = frame->action(QStringLiteral("mnuToolsRecalc"));
    for (QAction* a : {cut, findNext, recalc}) {
        a->setEnabled(true);
    }
    int cuts = 0;
    int finds = 0;
    QObject::connect(cut, &QAction::triggered, [&] { ++cuts; });
    QObject::connect(findNext, &QAction::triggered, [&] { ++finds; });
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));

    QTest::keyClick(frame.get(), Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(frame.get(), Qt::Key_F3);
    EXPECT_EQ(cuts, 1);
    EXPECT_EQ(finds, 0);
    EXPECT_EQ(findNext->shortcut(), QKeySequence());

    frame->ShowView(View::Output);
    QTest::keyClick(frame.get(), Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(frame.get(), Qt::Key_F3);
    EXPECT_EQ(cuts, 1);
    EXPECT_EQ(finds, 1);
    EXPECT_EQ(recalc->shortcut(), QKeySequence());

    frame->ShowView(View::Data);
    EXPECT_EQ(recalc->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(cut->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
}

TEST_F(ShellWindow, ItemsOfLaterCommandsArePresentAndDisabled)
{
    auto frame = loadFrame();
    for (const char* name : {"mnuEditUndo", "mnuFormatObject", "mnuInsertCancel", "mnuAnaCluster"}) {
        QAction* a = frame->action(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        EXPECT_FALSE(a->isEnabled()) << name;
    }
    EXPECT_FALSE(frame->action(QStringLiteral("mnuAnaCorr"))->isVisible());
    EXPECT_TRUE(frame->action(QStringLiteral("mnuFileExit"))->isEnabled());
    EXPECT_TRUE(frame->action(QStringLiteral("mnuViewStatusBar"))->isChecked());
}

// ---- toolbar boxes and status bar ----------------------------------------------------

namespace {

// Clicks into a box of the formatting toolbar and types over its text with
// the keyboard, as a user does; the box must then hold the focus.
void typeInto(QComboBox* box, const QString& text)
{
    QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), box);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

} // namespace

TEST_F(ShellWindow, TypedZoomAndFontSizeTakeEffectOnEnterAndOnLeavingTheBox)
{
    std::unique_ptr<shell::MainFrame> frame;
    shell::frmMDIChild* book = nullptr;
    ASSERT_NO_FATAL_FAILURE(loadWithActiveBook(frame, book));
    QComboBox* zoom = frame->cboZoom();
    QComboBox* size = frame->cboFontSize();
    const struct {
        const char* name;
        QComboBox* box;
        const char* typed;
        Qt::Key leave;  // Enter, or Tab to the next control
        int scale;
        double points;
        bool refused;
    } rows[] = {
        {"zoom 150 and Enter", zoom, "150", Qt::Key_Return, 150, 10, false},
        {"zoom 75% and Tab", zoom, "75%", Qt::Key_Tab, 75, 10, false},
        {"zoom 10 refused", zoom, "10", Qt::Key_Return, 75, 10, true},
        {"zoom 400% refused on leaving", zoom, "400%", Qt::Key_Tab, 75, 10, true},
        {"zoom 399 on the keypad's Enter", zoom, "399", Qt::Key_Enter, 399, 10, false},
        {"size 12.5 and Enter", size, "12.5", Qt::Key_Return, 399, 12, false},
        {"size 13.5 and Tab", size, "13.5", Qt::Key_Tab, 399, 14, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.clear();
        typeInto(row.box, QString::fromLatin1(row.typed));
        QTest::keyClick(QApplication::focusWidget(), row.leave);
        EXPECT_EQ(book->ss()->ViewScale(), row.scale);
        EXPECT_EQ(book->workbook().FontSize(), row.points);
        if (row.refused) {
            ASSERT_EQ(boxes.calls().size(), 1u) << "one refusal, however the box was left";
            EXPECT_EQ(boxes.last().text, "View Scale must be between 10 and 400");
            EXPECT_EQ(boxes.last().title, "View Scale");
            EXPECT_EQ(zoom->currentText(), QString::number(row.scale) + QLatin1Char('%')) << "the sheet's own scale";
        } else {
            EXPECT_TRUE(boxes.calls().empty());
        }
        // Tab goes on to the next control; Enter in the size box gives the
        // sheet its focus back.
        EXPECT_EQ(QApplication::focusWidget() != row.box, row.leave == Qt::Key_Tab || row.box == size);
    }
    // Passing through a box without typing changes nothing and asks nothing.
    zoom->setEditText(QStringLiteral("10"));
    boxes.clear();
    QTest::mouseClick(zoom->lineEdit(), Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_EQ(book->ss()->ViewScale(), 399);
}

TEST_F(ShellWindow, RefusedZoomAndFontSizeAreSaidOnceAndTheBoxesShowWhatTheSheetKept)
{
    std::unique_ptr<shell::MainFrame> frame;
    shell::frmMDIChild* book = nullptr;
    ASSERT_NO_FATAL_FAILURE(loadWithActiveBook(frame, book));
    QComboBox* zoom = frame->cboZoom();
    QComboBox* size = frame->cboFontSize();
    typeInto(zoom, QStringLiteral("150"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(book->ss()->ViewScale(), 150);
    typeInto(size, QStringLiteral("14"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(book->workbook().FontSize(), 14);
    const struct {
        QComboBox* box;
        const char* typed;
        Qt::Key leave;
        const char* text;
        const char* title;
        const char* shown;  // what the box shows after the refusal
    } rows[] = {
        {zoom, "10", Qt::Key_Return, "View Scale must be between 10 and 400", "View Scale", "150%"},
        {zoom, "abc", Qt::Key_Tab, "View Scale must be between 10 and 400", "View Scale", "150%"},
        {size, "abc", Qt::Key_Return, "Font Size must be between 1 and 409", "Font Size", "14"},
        {size, "0", Qt::Key_Return, "Font Size must be between 1 and 409", "Font Size", "14"},
        {size, "1000", Qt::Key_Tab, "Font Size must be between 1 and 409", "Font Size", "14"},
        {size, "70000", Qt::Key_Return, "Font Size must be between 1 and 409", "Font Size", "14"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        boxes.clear();
        typeInto(row.box, QString::fromLatin1(row.typed));
        QTest::keyClick(QApplication::focusWidget(), row.leave);
        ASSERT_EQ(boxes.calls().size(), 1u) << "one refusal, however the box was left";
        EXPECT_EQ(boxes.last().text, row.text);
        EXPECT_EQ(boxes.last().title, row.title);
        EXPECT_EQ(row.box->currentText(), QString::fromLatin1(row.shown));
        EXPECT_EQ(book->ss()->ViewScale(), 150);
        EXPECT_EQ(book->workbook().FontSize(), 14);
        EXPECT_FALSE(row.box->lineEdit()->isModified()) << "leaving the box later asks nothing";
    }
    // The sizes at both ends are taken.
    for (const char* accepted : {"1", "409"}) {
        boxes.clear();
        typeInto(size, QString::fromLatin1(accepted));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(boxes.calls().empty()) << accepted;
        EXPECT_EQ(book->workbook().FontSize(), std::atof(accepted));
    }
}

TEST_F(ShellWindow, FileKeysWorkFromTheSheet)
{
    auto frame = loadFrame();
    frame->show();
    shell::frmMDIChild* book = frame->NewDocument();
    book->workbook().setCellValue(1, 1, 1, spreadsheet::Value(-0.4335539019));
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    testsupport::TempDir printDir;
    platform::PrintTarget::setPdfOutput(QString::fromStdString(printDir.file("job.pdf").string()));
    int printDialogs = 0;
    platform::PrintTarget::setDialogHandler([&](QPrinter&, QWidget*) { return ++printDialogs < 0; });
    const auto press = [&](Qt::Key key) {
        book->ss()->SetFocus();
        QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
    };

    boxes.cancelFile();
    press(Qt::Key_O);
    ASSERT_EQ(boxes.fileRequests().size(), 1u);
    EXPECT_FALSE(boxes.fileRequests()[0].save);
    boxes.cancelFile();
    press(Qt::Key_S);  // a book never saved asks for its name
    ASSERT_EQ(boxes.fileRequests().size(), 2u);
    EXPECT_TRUE(boxes.fileRequests()[1].save);
    press(Qt::Key_P);
    EXPECT_EQ(printDialogs, 1);
    press(Qt::Key_N);
    EXPECT_EQ(frame->Documents().size(), 2u);
    EXPECT_NE(frame->ActiveChild(), book);
    for (const char* item : {"mnuFileNew", "mnuFileOpen", "mnuFileSave", "mnuFilePrint"}) {
        EXPECT_EQ(frame->action(QString::fromLatin1(item))->shortcut().count(), 1) << item;
    }
    platform::PrintTarget::setDialogHandler({});
    platform::PrintTarget::setPdfOutput({});
}

TEST_F(ShellWindow, EveryToolbarControlShowsAtTheDefaultSize)
{
    auto frame = loadFrame();
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    QApplication::processEvents();
    for (const char* name : {"tlbStandard", "tlbFormat", "tlbDraw"}) {
        auto* bar = frame->findChild<QToolBar*>(QString::fromLatin1(name));
        ASSERT_NE(bar, nullptr) << name;
        auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
        EXPECT_TRUE(more == nullptr || !more->isVisible()) << name << " hides controls behind its chevron";
        for (QAction* a : bar->actions()) {
            if (a->isSeparator() || !a->isVisible()) {
                continue;
            }
            QWidget* w = bar->widgetForAction(a);
            ASSERT_NE(w, nullptr) << name;
            EXPECT_TRUE(w->isVisible()) << name << " " << a->text().toStdString() << w->objectName().toStdString();
        }
    }
    EXPECT_TRUE(frame->cboZoom()->isVisible());
}

TEST_F(ShellWindow, ZoomBoxRefusesValuesOutsideElevenTo399)
{
    auto frame = loadFrame();
    frame->cboZoom()->setEditText(QStringLiteral("75%"));
    frame->cboZoom_Click();  // no document window: nothing happens
    EXPECT_TRUE(boxes.calls().empty());

    shell::frmMDIChild* book = frame->NewDocument();
    frame->cboZoom_Click();
    EXPECT_EQ(book->ss()->ViewScale(), 75);
    for (const char* refused : {"400%", "10"}) {
        frame->cboZoom()->setEditText(QString::fromLatin1(refused));
        frame->cboZoom_Click();
        EXPECT_EQ(boxes.last().text, "View Scale must be between 10 and 400") << refused;
        EXPECT_EQ(boxes.last().title, "View Scale");
        EXPECT_EQ(boxes.last().style, 1);
        EXPECT_EQ(frame->cboZoom()->currentText(), QStringLiteral("75%"));
        EXPECT_EQ(book->ss()->ViewScale(), 75);
    }
    frame->cboZoom()->setEditText(QStringLiteral("399"));
    frame->cboZoom_Click();
    EXPECT_EQ(book->ss()->ViewScale(), 399);
}

TEST_F(ShellWindow, FontSizeBoxHandsTheRoundedSizeToTheWorkbook)
{
    auto frame = loadFrame();
    std::vector<int> sizes;
    frame->applyFontSize = [&](shell::frmMDIChild&, std::int16_t size) { sizes.push_back(size); };
    frame->cboFontSize()->setEditText(QStringLiteral("12"));
    frame->cboFontSize_Click();  // no document window
    frame->NewDocument();
    for (const char* text : {"12.5", "13.5", "  "}) {
        frame->cboFontSize()->setEditText(QString::fromLatin1(text));
        frame->cboFontSize_Click();
    }
    EXPECT_EQ(sizes, (std::vector<int>{12, 14}));
}

TEST_F(ShellWindow, OnlyTheActiveBooksProgressBarShowsInTheStatusBar)
{
    auto frame = loadFrame();
    frame->show();
    shell::frmMDIChild* first = frame->NewDocument();
    QWidget* panel = WinAPI::StatusBarPanel(frame->sbStatusBar(), 2);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(first->ProgressBar1()->parentWidget(), panel);
    first->ProgressBar1()->setValue(40);
    shell::frmMDIChild* second = frame->NewDocument();
    EXPECT_TRUE(second->ProgressBar1()->isVisibleTo(panel));
    EXPECT_FALSE(first->ProgressBar1()->isVisibleTo(panel));
    frame->ShowDocument(first);
    EXPECT_TRUE(first->ProgressBar1()->isVisibleTo(panel));
    EXPECT_EQ(first->ProgressBar1()->value(), 40);
    // A closed book takes its bar with it.
    QPointer<QProgressBar> bar = second->ProgressBar1();
    ASSERT_TRUE(second->close());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(bar.isNull());
}

TEST(WinAPI, PutInStatusBarCoversThePanelAndTakingItOutHidesIt)
{
    QWidget window;
    QStatusBar bar;
    auto* panel = new QWidget(&bar);
    panel->setObjectName(QStringLiteral("Panel2"));
    panel->setGeometry(10, 2, 120, 18);
    auto* progress = new QProgressBar(&window);
    progress->setValue(55);
    progress->setGeometry(5, 5, 50, 10);

    WinAPI::PutInStatusBar(true, progress, &bar, 2);
    EXPECT_EQ(progress->parentWidget(), panel);
    EXPECT_EQ(progress->geometry(), panel->rect());
    EXPECT_FALSE(progress->isHidden());
    EXPECT_EQ(progress->value(), 0);

    WinAPI::PutInStatusBar(false, progress, nullptr, 0);
    EXPECT_EQ(progress->parentWidget(), &window);
    EXPECT_TRUE(progress->isHidden());
    EXPECT_EQ(progress->geometry(), panel->rect());

    try {
        WinAPI::PutInStatusBar(true, progress, &bar, 7);
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 9);
    }
}

// ---- the program's error dialog ---------------------------------------------------------

TEST(FError, AnswersTheButtonAndNoStaleChoiceWhenClosedWithoutOne)
{
    shell::FError dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Error!"));
    const struct {
        const char* name;
        std::function<void()> act;
        std::int16_t expected;
    } rows[] = {
        {"retry", [&] { dialog.cmdRetry()->click(); }, 4},
        {"closed", [&] { dialog.reject(); }, 0},
        {"abort", [&] { dialog.cmdAbort()->click(); }, 3},
        {"cancel", [&] { dialog.cmdCancel()->click(); }, 2},
    };
    for (const auto& row : rows) {
        QTimer::singleShot(0, row.act);
        std::int16_t choice = -1;
        dialog.Display("Error in Quorin\r\n\r\nat M.P\r\n\r\n53\r\nFile not found", choice);
        EXPECT_EQ(choice, row.expected) << row.name;
        EXPECT_EQ(dialog.txtError()->toPlainText(), QStringLiteral("Error in Quorin\n\nat M.P\n\n53\nFile not found"));
        EXPECT_FALSE(dialog.isVisible());
    }
}
