// A protected sheet through the real main window on the offscreen platform:
// every command that would change a locked cell says so in the one box and
// changes nothing, and none of them takes the program down.

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>

#include <gtest/gtest.h>

#include "platform/dialogs/Dialogs.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "app/MainFrame.h"
#include "app/frmMDIChild.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/platform/spreadsheet/ValuePrinter.h"

using spreadsheet::Value;

namespace {

class ProtectedWindow : public shelltest::MainWindowFixture {
protected:
    ProtectedWindow() : MainWindowFixture(false)
    {
        child = frame->NewDocument();
        frame->Form_Load();  // fills the font list
        frame->show();
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        child->ss()->SetFocus();
    }

    [[nodiscard]] spreadsheet::Workbook& book() const { return child->workbook(); }
    [[nodiscard]] QWidget* surface() const { return child->ss()->gridSurface(); }
    // Types as a user does: each key to the widget that has the keyboard
    // (the first one opens the cell's editor, which takes it).
    static void type(const QString& text)
    {
        for (const QChar ch : text)
            QTest::keyClicks(QApplication::focusWidget(), QString(ch));
    }
    static void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

    // The one box a refused change shows, and nothing else.
    void expectOneProtectionBox(const std::string& what)
    {
        ASSERT_EQ(boxes.calls().size(), 1u) << what;
        const auto& box = boxes.calls().front();
        EXPECT_EQ(box.title, "Protected Sheet") << what;
        EXPECT_EQ(box.text, "The cells you are changing are locked on a protected sheet. To change them, turn off "
                            "the sheet's protection (Format, Sheet, Protection) or unlock the cells first.")
            << what;
        EXPECT_EQ(box.style & 0xF, platform::mb::OkOnly) << what;
        EXPECT_TRUE(reported.empty()) << what << ": " << (reported.empty() ? "" : reported.front());
    }

    shell::frmMDIChild* child = nullptr;
};

TEST_F(ProtectedWindow, ReplaceAllOnAProtectedSheetSaysSoAndChangesNothing)
{
    type(QStringLiteral("1000_at"));
    press(Qt::Key_Return);
    ASSERT_EQ(book().cellValue(1, 1, 1), Value("1000_at"));
    trigger("mnuFormatSheetProtection");
    ASSERT_TRUE(book().EnableProtection());

    child->ss()->SetFocus();
    QTest::keyClick(surface(), Qt::Key_H, Qt::ControlModifier);
    QDialog* dlg = child->ss()->findChild<QDialog*>(QStringLiteral("ReplaceDlg"));
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(dlg->isVisible());
    QTest::keyClicks(dlg->findChild<QLineEdit*>(QStringLiteral("findWhat")), QStringLiteral("1000"));
    QTest::keyClicks(dlg->findChild<QLineEdit*>(QStringLiteral("replaceWith")), QStringLiteral("2000"));
    auto* all = dlg->findChild<QPushButton*>(QStringLiteral("replaceAll"));
    QTest::mouseClick(all, Qt::LeftButton);

    expectOneProtectionBox("Replace All");
    EXPECT_EQ(book().cellValue(1, 1, 1), Value("1000_at"));
    EXPECT_TRUE(dlg->isVisible()) << "the dialog stays for another try";
}

} // namespace
