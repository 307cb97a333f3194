// The Tools and Help menus through the real main window on the offscreen
// platform: web pages go to a recording opener, boxes to a script, and the
// acknowledgements window's roll is stepped by hand.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/MainWindowFixture.h"

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookOptionsDialog.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/ToolsHelpCommands.h"
#include "app/WinAPI.h"
#include "app/frmAbout.h"
#include "app/frmMDIChild.h"
#include "app/frmThank.h"
#include "tests/support/TestSupport.h"

using platform::Answer;
using spreadsheet::Value;

namespace {

class ToolsHelp : public shelltest::MainWindowFixture {
protected:
    ToolsHelp()
    {
        commands = shell::ToolsHelpCommands::of(*frame);
        commands->isNetworked = [this] { return networked; };
        commands->openUrl = [this](const std::string& url) { opened.push_back(url); };
    }
    shell::ToolsHelpCommands* commands = nullptr;
    bool networked = true;
    std::vector<std::string> opened;
};

} // namespace

TEST_F(ToolsHelp, WebItemsOpenTheirPageOnlyOnANetwork)
{
    struct Row {
        const char* item;
        const char* page;
    };
    const Row rows[] = {
        {"mnuToolMedline", "https://www.ncbi.nlm.nih.gov/Entrez/medline.html"},
        {"mnuToolMyWWW", shell::ProgramInfo::AuthorPage},
        {"mnuToolSearchWWW", shell::ProgramInfo::SearchPage},
    };
    for (const Row& row : rows) {
        networked = true;
        opened.clear();
        boxes.clear();
        trigger(row.item);
        EXPECT_EQ(opened, std::vector<std::string>{row.page}) << row.item;
        EXPECT_TRUE(boxes.calls().empty()) << row.item;

        networked = false;
        opened.clear();
        trigger(row.item);
        EXPECT_TRUE(opened.empty()) << row.item << " starts no browser";
        ASSERT_EQ(boxes.calls().size(), 1U) << row.item;
        EXPECT_EQ(boxes.last().text, "Your computer is not networked.");
        EXPECT_EQ(boxes.last().style, 64);
        EXPECT_EQ(boxes.last().title, "Tessaray");
    }
    EXPECT_TRUE(std::string(shell::ProgramInfo::MedlinePage).ends_with("/Entrez/medline.html"));
    EXPECT_TRUE(reported.empty());
}

namespace {

// The processes whose parent is this test (zombies included).
std::vector<int> childProcesses()
{
    std::vector<int> children;
    const std::string self = std::to_string(::getpid());
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        // pid (command) state ppid ...: the command may hold blanks and brackets.
        const auto close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 1));
        std::string state;
        std::string ppid;
        rest >> state >> ppid;
        if (ppid == self)
            children.push_back(std::stoi(name));
    }
    return children;
}

// A launcher script in a temporary folder, set for OpenURL with a short watch,
// and xdg-open again at the end.
class Launcher {
public:
    explicit Launcher(const std::string& body)
    {
        testsupport::writeFile(path(), "#!/bin/sh\n" + body);
        std::filesystem::permissions(path(), std::filesystem::perms::owner_all);
        WinAPI::setUrlLauncher(path().string(), 0.5);
    }
    ~Launcher() { WinAPI::setUrlLauncher(""); }
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    [[nodiscard]] std::filesystem::path path() const { return m_dir.file("browser"); }
    [[nodiscard]] std::filesystem::path file(const std::string& name) const { return m_dir.file(name); }

private:
    testsupport::TempDir m_dir;
};

bool waitFor(const std::function<bool()>& done, int milliseconds = 10000)
{
    for (int waited = 0; waited < milliseconds && !done(); waited += 25)
        QTest::qWait(25);
    return done();
}

} // namespace

TEST(WinAPI, OpenURLHandsTheAddressToTheBrowserAndLeavesNoChildBehind)
{
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scope(boxes);
    testsupport::TempDir dir;
    const auto opened = dir.file("opened.txt");
    const auto ended = dir.file("ended.txt");
    // A browser that outlives the watch: once the watch is over it runs on
    // alone, no child of this process.
    Launcher launcher("echo \"$1\" > \"" + opened.string() + ".part\"\nmv \"" + opened.string() + ".part\" \"" +
                      opened.string() + "\"\nsleep 2\ntouch \"" + ended.string() + "\"\n");
    ASSERT_TRUE(childProcesses().empty());
    WinAPI::OpenURL("https://www.ncbi.nlm.nih.gov/Entrez/medline.html", nullptr);
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(opened); }));
    EXPECT_EQ(testsupport::readFile(opened), "https://www.ncbi.nlm.nih.gov/Entrez/medline.html\n");
    EXPECT_TRUE(waitFor([] { return childProcesses().empty(); }, 1900));
    EXPECT_FALSE(std::filesystem::exists(ended)) << "the browser still runs";
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(ended); }));
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(ToolsHelp, WebItemsSayWhenNoWebBrowserCanBeStartedAndShowTheAddress)
{
    commands->openUrl = [this](const std::string& url) { WinAPI::OpenURL(url, frame.get()); };
    struct Row {
        const char* name;
        std::string launcher;  // the script's body; empty: no launcher at all
    };
    const Row rows[] = {
        {"a launcher that finds no browser", "echo 'no method available' >&2\nexit 3\n"},
        {"a launcher that is killed", "kill -9 $$\n"},
        {"no launcher", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.clear();
        Launcher launcher(row.launcher);
        if (row.launcher.empty()) {
            WinAPI::setUrlLauncher((launcher.path().parent_path() / "missing").string(), 0.5);
        }
        trigger("mnuToolSearchWWW");
        ASSERT_TRUE(waitFor([&] { return !boxes.calls().empty(); }));
        QTest::qWait(100);
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.last().text, std::string("No web browser could be started to open this address:\n\n") +
                                         shell::ProgramInfo::SearchPage +
                                         "\n\nCopy it into a web browser to open it there.");
        EXPECT_EQ(boxes.last().title, "Tessaray");
        EXPECT_EQ(boxes.last().style, 48);
    }
    EXPECT_TRUE(waitFor([] { return childProcesses().empty(); }));
    EXPECT_TRUE(reported.empty());
}

TEST_F(ToolsHelp, BothHelpItemsAskForTheCitationWithoutAHelpFile)
{
    for (const char* item : {"mnuHelpGeneral", "mnuHelpCont"}) {
        boxes.clear();
        trigger(item);
        ASSERT_EQ(boxes.calls().size(), 1U) << item;
        EXPECT_EQ(boxes.last().text,
                  std::string("There is no help yet. If you publish, please cite:\r\n") + shell::ProgramInfo::Citation);
        EXPECT_EQ(boxes.last().title, frame->windowTitle().toStdString());
        EXPECT_EQ(boxes.last().style, 64);
    }
    const std::string citation = shell::ProgramInfo::Citation;
    EXPECT_NE(citation.find("2001"), std::string::npos);
    EXPECT_NE(citation.find("Tessaray"), std::string::npos);
}

TEST_F(ToolsHelp, RecalcRecomputesAFormulaWhoseInputChanged)
{
    shell::frmMDIChild* child = frame->NewDocument();
    spreadsheet::Workbook& book = child->workbook();
    spreadsheet::WorkbookOptions manual;
    manual.autoRecalc = false;
    book.setOptions(manual);
    book.setCellValue(1, 1, 1, Value(2));
    book.setCellEntry(1, 2, 1, "=A1*3");
    trigger("mnuToolsRecalc");
    EXPECT_EQ(book.cellValue(1, 2, 1), Value(6));
    book.setCellValue(1, 1, 1, Value(5));
    EXPECT_EQ(book.cellValue(1, 2, 1), Value(6)) << "nothing recalculates by itself";
    trigger("mnuToolsRecalc");
    EXPECT_EQ(book.cellValue(1, 2, 1), Value(15));
    EXPECT_EQ(frame->action(QStringLiteral("mnuToolsRecalc"))->shortcut(), QKeySequence(Qt::Key_F9));
}

TEST_F(ToolsHelp, SheetOptionsChangeTheActiveWorkbooksGrid)
{
    shell::frmMDIChild* child = frame->NewDocument();
    spreadsheet::SpreadsheetWidget* ss = child->ss();
    EXPECT_GT(ss->cellRect(1, 1).x(), 0);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<spreadsheet::WorkbookOptionsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (QCheckBox* box : {dialog->chkAutoRecalc(), dialog->chkGridLines(), dialog->chkRowHeading(),
                               dialog->chkColHeading()}) {
            EXPECT_TRUE(box->isVisibleTo(dialog)) << "all pages";
        }
        dialog->chkGridLines()->setChecked(false);
        dialog->chkRowHeading()->setChecked(false);
        dialog->chkColHeading()->setChecked(false);
        seen = true;
        dialog->accept();
    });
    trigger("mnuToolsOptions");
    EXPECT_TRUE(seen);
    const spreadsheet::WorkbookOptions& options = child->workbook().options();
    EXPECT_FALSE(options.showGridLines);
    EXPECT_FALSE(options.showRowHeading);
    EXPECT_FALSE(options.showColHeading);
    EXPECT_TRUE(options.autoRecalc);
    EXPECT_EQ(ss->cellRect(1, 1).topLeft(), QPoint(0, 0)) << "the grid lost its headings";
}

TEST_F(ToolsHelp, RecalcAndSheetOptionsDoNothingWithoutAWorkbookWindow)
{
    ASSERT_TRUE(frame->Documents().empty());
    bool modal = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            modal = true;
            w->close();
        }
    });
    trigger("mnuToolsRecalc");
    trigger("mnuToolsOptions");
    QCoreApplication::processEvents();
    EXPECT_FALSE(modal);
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_TRUE(reported.empty());
}

TEST_F(ToolsHelp, AcknowledgmentShowsTheCreditsModally)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* thanks = qobject_cast<shell::frmThank*>(QApplication::activeModalWidget());
        ASSERT_NE(thanks, nullptr);
        EXPECT_EQ(thanks->windowTitle(), "Thank you!!!");
        EXPECT_TRUE(thanks->Timer1()->isActive());
        seen = true;
        thanks->cmdQuit()->click();
    });
    trigger("mnuHelpAck");
    EXPECT_TRUE(seen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ToolsHelp, AboutIsShownBesideTheMainWindowAndGoesWithOK)
{
    trigger("mnuHelpAbout");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the about window does not block";
    QPointer<shell::frmAbout> about = frame->findChild<shell::frmAbout*>();
    ASSERT_FALSE(about.isNull());
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    about->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull()) << "closing unloads the window";
}

TEST_F(ToolsHelp, HiddenNameItemReadsTheName)
{
    QAction* item = frame->action(QStringLiteral("mnuHelpNameQuorin"));
    EXPECT_FALSE(item->isVisible()) << "no user reaches it; the program can";
    commands->mnuHelpNameQuorin();
    ASSERT_EQ(boxes.calls().size(), 1U);
    const std::string& text = boxes.last().text;
    EXPECT_TRUE(text.starts_with(
        "The name of Quorin creates an easy-going, good-natured personality, meeting and mixing easily."));
    EXPECT_GT(text.size(), 1000U);
    EXPECT_LT(text.size(), 1100U);
    EXPECT_EQ(boxes.last().style, 64);
    EXPECT_EQ(boxes.last().title, "Tessaray");
}

// ---- the acknowledgements window -------------------------------------------------

namespace {

// Pixels of the picture in pure blue (the credits' text colour).
int bluePixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.blue() > 150 && c.red() < 100 && c.green() < 100 ? 1 : 0;
        }
    }
    return n;
}

} // namespace

TEST(frmThank, FirstTickPrintsTheFirstLineBelowTheVisibleArea)
{
    shell::frmThank thanks;
    EXPECT_TRUE(thanks.Timer1()->isActive());
    EXPECT_EQ(thanks.Timer1()->interval(), 8);
    EXPECT_TRUE(thanks.cmdPause()->isVisibleTo(&thanks));
    EXPECT_FALSE(thanks.cmdResume()->isVisibleTo(&thanks));
    EXPECT_EQ(thanks.cmdResume()->geometry(), thanks.cmdPause()->geometry()) << "on the same spot";
    EXPECT_EQ(thanks.roll().ScrollTop(), shell::frmThank::InnerHeight);
    EXPECT_EQ(thanks.roll().PicHeight(), 1333);
    const QImage empty = thanks.surface().toImage();

    thanks.Timer1_Timer();
    EXPECT_EQ(thanks.roll().NextLine(), 1);
    EXPECT_GT(bluePixels(thanks.P1().toImage()), 0) << "the first grant line is in the picture";
    EXPECT_EQ(thanks.surface().toImage(), empty) << "copied at the bottom edge: nothing shows yet";
    for (int i = 0; i < 6; ++i) {
        thanks.Timer1_Timer();
    }
    EXPECT_GT(bluePixels(thanks.surface().toImage()), 0) << "the text comes in from the bottom";
}

TEST(frmThank, AllLinesAreInAfterSixteenTicksAndLaterTicksOnlyMove)
{
    shell::frmThank thanks;
    for (int i = 0; i < 16; ++i) {
        thanks.Timer1_Timer();
    }
    EXPECT_EQ(thanks.roll().NextLine(), 16);
    const QImage picture = thanks.P1().toImage();
    const int top = thanks.roll().ScrollTop();
    thanks.Timer1_Timer();
    EXPECT_EQ(thanks.P1().toImage(), picture);
    EXPECT_EQ(thanks.roll().ScrollTop(), top - 5);
}

TEST(frmThank, RollStopsAfterThePictureLeavesAndTheWindowStaysOpen)
{
    shell::frmThank thanks;
    thanks.show();
    int ticks = 0;
    while (thanks.Timer1()->isActive() && ticks < 1000) {
        thanks.Timer1_Timer();
        ++ticks;
    }
    // 221 - 5k < -1333 first holds for k = 311.
    EXPECT_EQ(ticks, 311);
    EXPECT_TRUE(thanks.isVisible());
    // Finished: Pause and Resume only swap the buttons.
    thanks.cmdPause()->click();
    EXPECT_TRUE(thanks.cmdResume()->isVisible());
    thanks.cmdResume()->click();
    EXPECT_TRUE(thanks.Timer1()->isActive());
    thanks.Timer1_Timer();
    EXPECT_FALSE(thanks.Timer1()->isActive());
    EXPECT_TRUE(thanks.cmdPause()->isVisible());
}

TEST(frmThank, PauseFreezesAndResumeGoesOnFromTheSamePlace)
{
    shell::frmThank thanks;
    thanks.show();
    for (int i = 0; i < 20; ++i) {
        thanks.Timer1_Timer();
    }
    const int top = thanks.roll().ScrollTop();
    thanks.cmdPause()->click();
    EXPECT_FALSE(thanks.Timer1()->isActive());
    EXPECT_FALSE(thanks.cmdPause()->isVisible());
    EXPECT_TRUE(thanks.cmdResume()->isVisible());
    QTest::qWait(50);
    EXPECT_EQ(thanks.roll().ScrollTop(), top) << "paused: no step";
    thanks.cmdResume()->click();
    EXPECT_TRUE(thanks.Timer1()->isActive());
    EXPECT_TRUE(thanks.cmdPause()->isVisible());
    EXPECT_FALSE(thanks.cmdResume()->isVisible());
    EXPECT_EQ(thanks.roll().ScrollTop(), top);
}

TEST(frmThank, QuitAndEscapeCloseAndTheNextRollStartsFromTheFirstLine)
{
    shell::frmThank thanks;
    thanks.show();
    for (int i = 0; i < 5; ++i) {
        thanks.Timer1_Timer();
    }
    thanks.cmdQuit()->click();
    EXPECT_FALSE(thanks.isVisible());
    EXPECT_FALSE(thanks.Timer1()->isActive());
    EXPECT_EQ(thanks.roll().NextLine(), 0);

    shell::frmThank again;
    again.show();
    again.Timer1_Timer();
    QTest::keyClick(&again, Qt::Key_Escape);
    EXPECT_FALSE(again.isVisible());
    EXPECT_EQ(again.roll().NextLine(), 0);
}

// With TESSARAY_SCREENSHOT_DIR set, the window is saved mid-roll as
// acknowledgements.png.
TEST(frmThank, SavesItsPictureWhenAsked)
{
    const char* dir = std::getenv("TESSARAY_SCREENSHOT_DIR");
    if (dir == nullptr) {
        GTEST_SKIP() << "TESSARAY_SCREENSHOT_DIR not set";
    }
    shell::frmThank thanks;
    thanks.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&thanks));
    thanks.Timer1()->stop();
    for (int i = 0; i < 40; ++i) {
        thanks.Timer1_Timer();
    }
    thanks.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/acknowledgements.png"));
}
