#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <cstdlib>

#include "errorlib/ui/FAbout.h"
#include "errorlib/ui/FDiags.h"
#include "errorlib/ui/FError.h"
#include "tests/errorlib/ui/WindowFixture.h"

using namespace rampart;
using errorlib_ui_test::WindowTest;

namespace {

bool shown(const QWidget* w)
{
    return w->isVisibleTo(w->window());
}

} // namespace

TEST_F(WindowTest, FramesAndButtonsFollowTheHandlersSwitches)
{
    struct Row {
        const char* name;
        bool allowRemarks, showCustom, autoRetry, allowRetry;
        RampartSeverityType severity;
        std::array<bool, 4> frames;     // description, remarks, custom, action
        std::array<bool, 4> visible;    // exit, cancel, retry, timer
        std::array<bool, 4> enabled;
        bool timerRuns;
    };
    const Row rows[] = {
        {"defaults", false, false, false, true, rmpSeverityNormal, {true, false, false, true},
         {true, true, true, false}, {true, true, true, false}, false},
        {"remarks", true, false, false, true, rmpSeverityNormal, {true, true, false, true},
         {true, true, true, false}, {true, true, true, false}, false},
        {"custom row", false, true, false, true, rmpSeverityNormal, {true, false, true, true},
         {true, true, true, false}, {true, true, true, false}, false},
        {"automatic retry", true, true, true, true, rmpSeverityNormal, {true, true, true, true},
         {true, true, true, true}, {true, true, true, true}, true},
        {"retries switched off", false, false, true, false, rmpSeverityNormal, {true, false, false, true},
         {true, true, false, false}, {true, true, true, true}, false},
        {"fatal", false, false, true, true, rmpSeverityFatal, {true, false, false, true},
         {true, true, true, true}, {true, false, false, false}, false},
    };
    initialize();
    for (const Row& row : rows) {
        m_handler->SetAllowRemarks(row.allowRemarks);
        m_handler->SetShowCustom(row.showCustom);
        m_handler->SetCustomFrameCaption("Support");
        m_handler->SetCustomCaption(1, "&Mail the log");
        m_handler->SetCustomCaption(2, "");
        m_handler->SetCustomCaption(3, "");
        m_handler->SetAutoRetry(row.autoRetry);
        m_handler->SetAllowRetry(row.allowRetry);
        bool checked = false;
        whenShown([&] {
            FError* d = m_ui->errorDialog();
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->windowTitle(), "Keelwise Rampart") << row.name;
            EXPECT_EQ(d->lblCaption()->text(), "Error In Quorin") << row.name;
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(shown(d->fraFrame(i)), row.frames[i]) << row.name << " frame " << i;
                EXPECT_EQ(shown(d->cmdButton(i)), row.visible[i]) << row.name << " button " << i;
                EXPECT_EQ(d->cmdButton(i)->isEnabled(), row.enabled[i]) << row.name << " button " << i;
            }
            EXPECT_EQ(d->isTimerRunning(), row.timerRuns) << row.name;
            EXPECT_EQ(d->cmdButton(0)->text(), "E&xit Application");
            EXPECT_EQ(d->cmdButton(1)->text(), "&Cancel Action");
            EXPECT_EQ(d->cmdButton(2)->text(), "&Retry Now");
            EXPECT_EQ(d->cmdButton(3)->text(), " Don't Retry = 20 ");
            EXPECT_EQ(d->cmdButton(2)->toolTip(), "Retry the Failed Action Immediately");
            EXPECT_EQ(d->txtError()->toPlainText(), "Unexpected Error") << "no suggestion, no notes";
            if (row.showCustom) {
                EXPECT_EQ(d->fraFrame(2)->title(), "Support");
                EXPECT_TRUE(shown(d->cmdCustom(1)));
                EXPECT_FALSE(shown(d->cmdCustom(2))) << "an empty caption hides its button";
            }
            checked = true;
            d->cmdButton(0)->click();
        });
        EXPECT_EQ(raise(row.severity), 3) << row.name;
        EXPECT_TRUE(checked) << row.name;
    }
    m_handler->SetShowCustom(false);
}

TEST_F(WindowTest, UnattendedCountdownRetriesAfterTheInterval)
{
    m_handler->SetAutoRetry(true);
    m_handler->SetRetryInterval(3);
    initialize();
    std::vector<std::string> captions;
    whenShown([&] {
        FError* d = m_ui->errorDialog();
        captions.push_back(d->cmdButton(3)->text().toStdString());
        m_clock.advance(999);
        captions.push_back(d->cmdButton(3)->text().toStdString());
        m_clock.advance(1);
        captions.push_back(d->cmdButton(3)->text().toStdString());
        m_clock.advance(1000);
        captions.push_back(d->cmdButton(3)->text().toStdString());
        m_clock.advance(1000);
    });
    EXPECT_EQ(raise(), 4);
    EXPECT_EQ(captions,
              (std::vector<std::string>{" Don't Retry = 3 ", " Don't Retry = 3 ", "Don't Retry = 2", "Don't Retry = 1"}));
    EXPECT_FALSE(m_ui->errorDialog()->isTimerRunning());
    EXPECT_EQ(m_clock.activeTimers(), 0);
    EXPECT_EQ(m_clock.waits(), std::vector<int>{200}) << "the short wait after the dialog goes through the clock";
}

TEST_F(WindowTest, PausedCountdownWaitsAndResumesASecondShorter)
{
    m_handler->SetAutoRetry(true);
    m_handler->SetRetryInterval(5);
    initialize();
    whenShown([&] {
        FError* d = m_ui->errorDialog();
        QPushButton* timer = d->cmdButton(3);
        m_clock.advance(1000);
        timer->click();
        EXPECT_EQ(timer->text(), "Retry = 4");
        EXPECT_EQ(timer->toolTip(), "Resume Automatic Retry Timer");
        m_clock.advance(600000);
        EXPECT_TRUE(d->isVisible()) << "a paused countdown never retries";
        EXPECT_EQ(timer->text(), "Retry = 4");
        timer->click();
        EXPECT_EQ(timer->text(), "Don't Retry = 3");
        EXPECT_EQ(timer->toolTip(), "Cancel Automatic Retry Timer");
        EXPECT_TRUE(d->isTimerRunning());
        d->cmdButton(1)->click();
    });
    EXPECT_EQ(raise(), 2);
    EXPECT_EQ(m_clock.activeTimers(), 0) << "a button that closes the dialog stops its countdown";
}

TEST_F(WindowTest, RemarksPauseTheCountdownAndReachTheLog)
{
    m_handler->SetAutoRetry(true);
    m_handler->SetAllowRemarks(true);
    initialize();
    whenShown([&] {
        FError* d = m_ui->errorDialog();
        EXPECT_TRUE(d->txtRemarks()->toPlainText().isEmpty());
        QTest::keyClicks(d->txtRemarks(), "  checked the cable  ");
        EXPECT_FALSE(d->isTimerRunning());
        EXPECT_EQ(d->cmdButton(3)->text(), "Retry = 20");
        d->cmdButton(2)->click();
    });
    EXPECT_EQ(raise(), 4);
    EXPECT_NE(log().find("Remarks          = checked the cable\r\n"), std::string::npos);

    // The next error starts with an empty remarks box; blanks alone give no remarks.
    whenShown([&] {
        FError* d = m_ui->errorDialog();
        EXPECT_TRUE(d->txtRemarks()->toPlainText().isEmpty());
        EXPECT_TRUE(d->isTimerRunning()) << "clearing the box is not typing";
        QTest::keyClicks(d->txtRemarks(), "   ");
        d->cmdButton(1)->click();
    });
    EXPECT_EQ(raise(), 2);
    EXPECT_EQ(log().find("Remarks          = \r\n"), std::string::npos);
}

TEST(FError, DisplayReturnsTheActionAndTrimmedRemarks)
{
    ManualClock clock;
    FError dialog(clock);
    ErrorDialogRequest request;
    request.component = "Quorin";
    request.description = "Disk full";
    request.suggestion = "Free some space";
    request.allowRemarks = true;
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(dialog.txtError()->toPlainText(), "Disk full\n\nFree some space");
        QTest::keyClicks(dialog.txtRemarks(), " line one");
        QTest::keyClick(dialog.txtRemarks(), Qt::Key_Return);
        QTest::keyClicks(dialog.txtRemarks(), "line two ");
        dialog.cmdButton(1)->click();
    });
    const ErrorDialogResult result = dialog.Display(request);
    EXPECT_EQ(result.action, 2);
    EXPECT_EQ(result.remarks, "line one\r\nline two");
}

TEST_F(WindowTest, CustomButtonsCallTheClientWithTheirIndexAndKeepTheDialogOpen)
{
    m_handler->SetShowCustom(true);
    m_handler->SetCustomFrameCaption("Support");
    m_handler->SetCustomCaption(1, "&Mail");
    m_handler->SetCustomCaption(2, "");
    m_handler->SetCustomCaption(3, "C&all the desk");
    m_handler->SetCustomToolTip(3, "Phone support");
    m_handler->SetAutoRetry(true);
    initialize();
    whenShown([&] {
        FError* d = m_ui->errorDialog();
        EXPECT_EQ(d->cmdCustom(3)->toolTip(), "Phone support");
        // The row's buttons stand left to right without a gap for the hidden one.
        EXPECT_LT(d->cmdCustom(1)->geometry().right(), d->cmdCustom(3)->x());
        d->cmdCustom(3)->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(d->isTimerRunning());
        d->cmdCustom(1)->click();
        d->cmdButton(1)->click();
    });
    EXPECT_EQ(raise(), 2);
    EXPECT_EQ(m_client->clicks, (std::vector<std::int16_t>{3, 1}));
    m_handler->SetShowCustom(false);
}

TEST_F(WindowTest, AboutButtonPausesTheCountdownAndShowsTheAboutBox)
{
    m_handler->SetAutoRetry(true);
    initialize();
    bool aboutSeen = false;
    whenShown([&] {
        FError* d = m_ui->errorDialog();
        EXPECT_EQ(d->cmdAbout()->text(), "About Keelwise...");
        EXPECT_EQ(d->cmdAbout()->toolTip(), "About Keelwise Rampart from Vantorel");
        EXPECT_LE(d->cmdAbout()->geometry().right(), d->width());
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<FAbout*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            EXPECT_EQ(about->windowTitle(), "About Keelwise Rampart");
            EXPECT_EQ(about->lblVersion()->text(), LibraryInfo::FileDescription);
            EXPECT_EQ(about->lblLegal()->text(), LibraryInfo::LegalCopyright);
            EXPECT_EQ(about->lblWarning()->text(), LibraryInfo::Warning);
            EXPECT_TRUE(about->cmdOK()->isDefault());
            aboutSeen = true;
            about->cmdOK()->click();
        });
        d->cmdAbout()->click();
        EXPECT_TRUE(aboutSeen);
        EXPECT_TRUE(d->isVisible()) << "back in the error dialog after OK";
        EXPECT_EQ(d->cmdButton(3)->text(), "Retry = 20");
        d->cmdButton(0)->click();
    });
    EXPECT_EQ(raise(), 3);

    m_handler->SetShowAbout(false);
    whenShown([&] {
        EXPECT_FALSE(shown(m_ui->errorDialog()->cmdAbout()));
        m_ui->errorDialog()->cmdButton(1)->click();
    });
    EXPECT_EQ(raise(), 2);
}

TEST_F(WindowTest, ClosingTheWindowCancelsOrIsRefused)
{
    initialize();
    whenShown([&] { m_ui->errorDialog()->close(); });
    EXPECT_EQ(raise(), 2);
    // Nothing stale: a fatal error cannot be cancelled, so closing is refused.
    whenShown([&] {
        FError* d = m_ui->errorDialog();
        d->close();
        QTest::keyClick(d, Qt::Key_Escape);
        EXPECT_TRUE(d->isVisible());
        d->cmdButton(0)->click();
    });
    EXPECT_EQ(raise(rmpSeverityFatal), 3);
}

TEST_F(WindowTest, LongTextKeepsTheDialogWithinEightyPercentOfTheScreen)
{
    initialize();
    m_handler->SetDefaultErrorDescription(std::string(2000, 'x'));
    whenShown([&] {
        FError* d = m_ui->errorDialog();
        const int screenWidth = d->screen()->availableGeometry().width();
        EXPECT_LE(d->width(), screenWidth * 8 / 10 + 20);
        EXPECT_GT(d->txtError()->verticalScrollBar()->maximum(), 0) << "the text box scrolls";
        for (int i = 0; i < 4; ++i) {
            QPushButton* b = d->cmdButton(i);
            EXPECT_GE(b->width(), b->sizeHint().width()) << "button " << i << " is not clipped";
            EXPECT_LE(b->geometry().right(), d->fraFrame(3)->width());
        }
        d->cmdButton(1)->click();
    });
    EXPECT_EQ(raise(), 2);
}

TEST_F(WindowTest, MessageBoxFormAsksThroughTheDialogService)
{
    m_handler->SetUseMessageBox(true);
    initialize();
    m_dialogs.answer(platform::Answer::Retry).answer(platform::Answer::Ok).answer(platform::Answer::Ignore)
        .answer(platform::Answer::Ok).answer(platform::Answer::Abort);
    EXPECT_EQ(raise(rmpSeverityFatal), 3);
    ASSERT_EQ(m_dialogs.calls().size(), 5U);
    EXPECT_EQ(m_dialogs.calls()[0].title, "Error In Quorin");
    EXPECT_EQ(m_dialogs.calls()[0].style, 18);
    EXPECT_EQ(m_dialogs.calls()[1].text, "Retry is not Available\r\nPlease make another selection");
    EXPECT_EQ(m_dialogs.calls()[3].text, "Ignore is not Available\r\nPlease make another selection");
    EXPECT_EQ(m_ui->errorDialog(), nullptr) << "the message-box form makes no dialog window";
}

// With TESSARAY_SCREENSHOT_DIR set, the three windows are saved as pictures
// (errorlib-error-dialog.png, errorlib-viewer.png, errorlib-about.png).
TEST_F(WindowTest, WindowsSaveTheirPicturesWhenAsked)
{
    const char* dir = std::getenv("TESSARAY_SCREENSHOT_DIR");
    if (dir == nullptr) {
        GTEST_SKIP() << "TESSARAY_SCREENSHOT_DIR not set";
    }
    const QString folder = QString::fromLocal8Bit(dir) + QLatin1Char('/');
    m_handler->SetAllowRemarks(true);
    m_handler->SetAutoRetry(true);
    m_handler->SetShowCustom(true);
    m_handler->SetCustomFrameCaption("Support");
    m_handler->SetCustomCaption(1, "&Mail the Log");
    m_handler->SetCustomCaption(2, "");
    m_handler->SetCustomCaption(3, "&Open Log Folder");
    m_handler->SetDefaultErrorSuggestion("Check that the workbook file exists and that you may read it.");
    m_handler->SetDefaultErrorNotes("The last file opened was /home/ana/arrays/yeast-cdc15.xls");
    m_handler->SetDebugMode(true);
    initialize();
    m_handler->SetTrace(true);
    m_handler->TraceEnter("MMain", "StartUp");
    m_handler->TraceString("reading QUORIN.INI");
    m_handler->TraceExit("MMain", "StartUp");
    whenShown([&] {
        FError* d = m_ui->errorDialog();
        QTest::keyClicks(d->txtRemarks(), "Opened from the recent-file list.");
        m_clock.advance(3000);
        d->grab().save(folder + QStringLiteral("errorlib-error-dialog.png"));
        QTimer::singleShot(0, [&] {
            QWidget* about = QApplication::activeModalWidget();
            QTest::qWait(50);
            about->grab().save(folder + QStringLiteral("errorlib-about.png"));
            qobject_cast<FAbout*>(about)->cmdOK()->click();
        });
        d->cmdAbout()->click();
        d->cmdButton(1)->click();
    });
    (void)raise();
    FDiags* viewer = m_ui->viewer();
    ASSERT_NE(viewer, nullptr);
    viewer->Display();
    QTest::qWait(50);
    viewer->grab().save(folder + QStringLiteral("errorlib-viewer.png"));
    m_handler->SetShowCustom(false);
}
