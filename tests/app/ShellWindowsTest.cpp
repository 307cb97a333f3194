#include <QComboBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/dialogs/ScriptedDialogs.h"
#include "shell/core/mQuorin.h"
#include "app/WinAPI.h"
#include "app/frmAbout.h"
#include "app/frmOption.h"
#include "app/frmSplash.h"
#include "app/ProgramIcon.h"
#include "tests/support/TestSupport.h"

using platform::Answer;

TEST(frmSplash, SecondCopyIsRefusedWithItsMessage)
{
    testsupport::TempDir dir;
    const QString lock = QString::fromStdString(dir.file("Quorin.lock").string());
    QLockFile running(lock);
    ASSERT_TRUE(running.tryLock(0));
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scoped(boxes);
    shell::frmSplash splash(lock);
    EXPECT_FALSE(splash.Load(0));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, "Quorin is already running.");
    EXPECT_EQ(boxes.last().title, "Quorin is running.");
    EXPECT_EQ(boxes.last().style, 16);
    EXPECT_FALSE(splash.isVisible());
}

namespace {

// A splash screen with no other copy running, its boxes answered from a script.
struct FreshSplash {
    testsupport::TempDir dir;
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scoped{boxes};
    shell::frmSplash splash{QString::fromStdString(dir.file("Quorin.lock").string())};
};

} // namespace

TEST(frmSplash, FirstCopyShowsVersionAndBanner)
{
    FreshSplash fresh;
    shell::frmSplash& splash = fresh.splash;
    EXPECT_TRUE(splash.Load(0));
    EXPECT_TRUE(fresh.boxes.calls().empty());
    EXPECT_EQ(splash.lblVersion()->text(), QStringLiteral("Version 2.0.7"));
    EXPECT_EQ(splash.lblPlatform()->text(), QStringLiteral("for Micorsoft Windows 95/98/NT"));
    EXPECT_FALSE(splash.banner().isNull());
    // The banner's black text leaves dark pixels in the band above the frame.
    bool dark = false;
    for (int y = 0; y < 100 && !dark; ++y) {
        for (int x = 0; x < splash.banner().width() && !dark; ++x) {
            dark = qGray(splash.banner().pixel(x, y)) < 64;
        }
    }
    EXPECT_TRUE(dark);
}

namespace {

// Saves a window's picture when TESSARAY_SCREENSHOT_DIR names a folder.
void snap(QWidget& window, const char* name)
{
    if (const char* dir = std::getenv("TESSARAY_SCREENSHOT_DIR")) {
        ASSERT_TRUE(window.grab().save(QString::fromLocal8Bit(dir) + "/" + name));
    }
}

int topIn(const QWidget& window, const QWidget& w)
{
    return w.mapTo(&window, QPoint(0, 0)).y();
}

} // namespace

// The logo and the two grant lines stand in the frame below the banner: the
// logo beside the texts, the grant lines under the version.
TEST(frmSplash, ShowsTheLogoAndTheGrantLinesInItsFrame)
{
    FreshSplash fresh;
    shell::frmSplash& splash = fresh.splash;
    ASSERT_TRUE(splash.Load(0));
    const auto* frame = splash.findChild<QFrame*>(QStringLiteral("Frame1"));
    const auto* logo = splash.findChild<QLabel*>(QStringLiteral("imgLogo"));
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(logo, nullptr);
    EXPECT_TRUE(frame->isAncestorOf(logo));
    EXPECT_TRUE(logo->isVisible());
    const QImage icon = shell::ProgramIcon::icon().pixmap(logo->width()).toImage();
    EXPECT_EQ(logo->pixmap().toImage(), icon);
    EXPECT_LT(logo->mapTo(&splash, QPoint(0, 0)).x(), splash.lblVersion()->mapTo(&splash, QPoint(0, 0)).x());
    for (const char* name : {"Label1", "Label2"}) {
        SCOPED_TRACE(name);
        const auto* grant = splash.findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(grant, nullptr);
        EXPECT_TRUE(frame->isAncestorOf(grant));
        EXPECT_TRUE(grant->isVisible());
        EXPECT_NE(grant->text().indexOf(QStringLiteral("grant")), -1) << grant->text().toStdString();
        EXPECT_GT(topIn(splash, *grant), topIn(splash, *splash.lblVersion()));
    }
    EXPECT_GT(topIn(splash, *splash.findChild<QLabel*>(QStringLiteral("Label2"))),
              topIn(splash, *splash.findChild<QLabel*>(QStringLiteral("Label1"))));
    snap(splash, "splash.png");
}

// The about window shows the program's icon as a picture beside its title.
TEST(frmAbout, ShowsTheProgramIconAsAPicture)
{
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scoped(boxes);
    shell::frmAbout about;
    about.show();
    const auto* image = about.findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->isVisible());
    EXPECT_EQ(image->pixmap().toImage(), shell::ProgramIcon::icon().pixmap(image->width()).toImage());
    EXPECT_EQ(image->pixmap().toImage(), about.windowIcon().pixmap(image->width()).toImage());
    EXPECT_LE(topIn(about, *image), topIn(about, *about.lblVersion()));
    snap(about, "about.png");
    about.close();
}

TEST(frmAbout, Command1AsksWithoutNetworkAndOpensOnlyAfterYes)
{
    for (Answer answer : {Answer::Yes, Answer::No}) {
        platform::ScriptedDialogs boxes;
        boxes.answer(answer);
        platform::ScopedDialogs scoped(boxes);
        shell::frmAbout about;
        EXPECT_EQ(about.lblVersion()->text(), QStringLiteral("Version: 2.0.7"));
        about.isNetworked = [] { return false; };
        std::vector<std::string> opened;
        about.openUrl = [&](const std::string& url) { opened.push_back(url); };
        about.Command1()->click();
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.last().text, "Are you sure that your computer is networked?");
        EXPECT_EQ(boxes.last().style, 4);
        EXPECT_EQ(opened.size(), answer == Answer::Yes ? 1u : 0u);
    }
}

TEST(frmOption, OffersFourAndStoresTheDefaults)
{
    testsupport::TempDir dir;
    ::setenv("QUORIN_WINDOWS_DIR", dir.file("win").c_str(), 1);
    mQuorin::ProgramState state;
    mQuorin::ProgramScope scope(state);
    state.gDataDir = dir.path().string();
    state.gOutDir = dir.path().string();
    const auto cwd = std::filesystem::current_path();
    platform::ScriptedDialogs boxes;
    boxes.choose(dir.file("picked/any.txt").string());
    platform::ScopedDialogs scoped(boxes);
    platform::CommonDialog control;
    shell::frmOption options(control);
    EXPECT_EQ(options.windowTitle(), QStringLiteral("Setup options"));
    EXPECT_EQ(options.txtOpt(0)->text(), QStringLiteral("4"));
    EXPECT_EQ(options.lblOpt(0)->text(), QStringLiteral("Maximum number of 'Recent files':"));
    EXPECT_EQ(options.cboInFile()->count(), 6);
    EXPECT_EQ(options.cboOutFile()->count(), 8);
    options.cmdBrowseOut_Click();
    EXPECT_EQ(boxes.fileRequests().at(0).title, "Click any file name, then click Open");
    EXPECT_EQ(boxes.fileRequests().at(0).flags, 2052);
    EXPECT_EQ(options.txtOpt(2)->text().toStdString(), dir.file("picked/").string());
    options.txtOpt(1)->setText(QString::fromStdString(dir.file("data").string()));
    options.cboOutFile()->setCurrentIndex(6);
    options.cmdDone_Click();
    std::filesystem::current_path(cwd);
    EXPECT_EQ(state.gIni().MaxNumRecentFile(), 4);
    EXPECT_EQ(state.gIni().OutFileType(), "6");
    EXPECT_EQ(state.gIni().DataDir(), dir.file("data").string());
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("data")));
    ::unsetenv("QUORIN_WINDOWS_DIR");
}

TEST(WinAPI, CaretLineAndColumn)
{
    QTextEdit box;
    box.setLineWrapMode(QTextEdit::NoWrap);
    box.setPlainText(QStringLiteral("first\nsecond line"));
    QTextCursor c = box.textCursor();
    c.setPosition(0);
    box.setTextCursor(c);
    EXPECT_EQ(WinAPI::GetCaretLine(&box), 1);
    EXPECT_EQ(WinAPI::GetCaretCol(&box), 0);
    c.setPosition(9);
    box.setTextCursor(c);
    EXPECT_EQ(WinAPI::GetCaretLine(&box), 2);
    EXPECT_EQ(WinAPI::GetCaretCol(&box), 3);
}
