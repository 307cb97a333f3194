// What the main window shows of the document window in front, and the rows
// and columns that a size of 0 hid, driven with keys and clicks through the
// real main window on the offscreen platform.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMdiSubWindow>
#include <QStyle>
#include <QTest>

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/profile/Profile.h"
#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/FormatDialogs.h"
#include "platform/spreadsheet/SheetFormat.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "app/MainFrame.h"
#include "app/frmMDIChild.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/TestSupport.h"
#include "tests/platform/spreadsheet/ValuePrinter.h"

using spreadsheet::Value;

namespace {

class ActiveWindow : public shelltest::MainWindowFixture {
protected:
    ActiveWindow()
    {
        first = frame->NewDocument();
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    [[nodiscard]] std::filesystem::path ini() const { return m_dir.file("win") / "QUORIN.INI"; }
    [[nodiscard]] spreadsheet::Workbook& active() const { return frame->ActiveChild()->workbook(); }

    void clickCell(shell::frmMDIChild& child, int row, int col, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        spreadsheet::SpreadsheetWidget* ss = child.ss();
        const QRect cell = ss->cellRect(row, col);
        ASSERT_FALSE(cell.isNull()) << row << "," << col;
        QTest::mouseClick(ss->gridSurface(), Qt::LeftButton, mods, cell.center());
    }
    // Brings the window to the front by a click on its title bar (its cells
    // and their selection are not touched); the windows are tiled first, so
    // that no title bar lies under another window.
    void clickTitle(shell::frmMDIChild& child)
    {
        trigger("mnuWindowTile");
        auto* sub = qobject_cast<QMdiSubWindow*>(child.parentWidget());
        ASSERT_NE(sub, nullptr);
        const int title = sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, sub);
        QTest::mouseClick(sub, Qt::LeftButton, Qt::NoModifier, QPoint(sub->width() / 3, title / 2));
        ASSERT_EQ(frame->ActiveChild(), &child);
    }
    static void keys(const QString& text)
    {
        for (const QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }

    shell::frmMDIChild* first = nullptr;
};

TEST_F(ActiveWindow, UnhideShowsARowOrColumnHiddenBySizeZeroAtTheStandardSize)
{
    // The next size box gets `typed` over what it holds, then OK.
    const auto answerSize = [](const char* typed) {
        testsupport::onModal<spreadsheet::LineSizeDialog>(
            [typed](spreadsheet::LineSizeDialog& d) {
                QTest::keyClick(d.size(), Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(d.size(), QString::fromLatin1(typed));
            },
            testsupport::ThenPress::Ok);
    };
    const struct {
        const char* name;
        const char* sizeItem;
        const char* unhideItem;
        std::function<double(const spreadsheet::SheetFormat&)> shown;
        double standard;
    } rows[] = {
        {"row 3", "mnuFormatRowHeight", "mnuFormatRowUnhide",
         [](const spreadsheet::SheetFormat& f) { return f.rowHeight(3); }, spreadsheet::SheetFormat::kDefaultRowHeight},
        {"column C", "mnuFormatColumnWidth", "mnuFormatColumnUnhide",
         [](const spreadsheet::SheetFormat& f) { return f.colWidth(3); }, first->workbook().sheetFormat(1).colWidth(3)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        clickCell(*first, 3, 3);
        answerSize("0");
        trigger(row.sizeItem);
        EXPECT_EQ(row.shown(first->workbook().sheetFormat(1)), 0);
        EXPECT_TRUE(first->ss()->cellRect(3, 3).isNull()) << "hidden";

        // The lines around it, selected with the mouse, then Unhide.
        clickCell(*first, 2, 2);
        clickCell(*first, 4, 4, Qt::ShiftModifier);
        trigger(row.unhideItem);
        EXPECT_EQ(row.shown(first->workbook().sheetFormat(1)), row.standard);
        EXPECT_FALSE(first->ss()->cellRect(3, 3).isNull()) << "shown again";
        EXPECT_TRUE(reported.empty());
    }

    // A row hidden with Hide comes back at the height it had of its own.
    clickCell(*first, 5, 5);
    answerSize("30");
    trigger("mnuFormatRowHeight");
    trigger("mnuFormatRowHide");
    EXPECT_EQ(first->workbook().sheetFormat(1).rowHeight(5), 0);
    trigger("mnuFormatRowUnhide");
    EXPECT_EQ(first->workbook().sheetFormat(1).rowHeight(5), 30);
}

TEST_F(ActiveWindow, FontBoxesFollowTheActiveCellOfTheWindowBroughtToTheFront)
{
    first->workbook().setSelection(1, 1, 1, 1);
    first->workbook().formatSelection([](spreadsheet::CellFormat& f) {
        f.fontName = "Courier New";
        f.fontSize = 14;
        f.bold = true;
    });
    clickCell(*first, 1, 1);
    shell::frmMDIChild* second = frame->NewDocument();
    clickCell(*second, 1, 1);
    QComboBox* names = frame->cboFontName();
    QComboBox* sizes = frame->cboFontSize();
    ASSERT_EQ(names->currentText(), QStringLiteral("Arial"));
    ASSERT_EQ(sizes->currentText(), QStringLiteral("10"));

    clickTitle(*first);
    EXPECT_EQ(names->currentText(), QStringLiteral("Courier New"));
    EXPECT_EQ(sizes->currentText(), QStringLiteral("14"));
    clickTitle(*second);
    EXPECT_EQ(names->currentText(), QStringLiteral("Arial"));
    EXPECT_EQ(sizes->currentText(), QStringLiteral("10"));
}

TEST_F(ActiveWindow, CtrlNLeavesTheKeysOnTheNewSheetAtA1)
{
    clickCell(*first, 4, 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
    shell::frmMDIChild* made = frame->ActiveChild();
    ASSERT_NE(made, first);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_TRUE(made->ss()->isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(QApplication::focusWidget()->metaObject()->className(), std::string("spreadsheet::SpreadsheetGrid"));

    keys(QStringLiteral("42"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(made->workbook().cellValue(1, 1, 1), Value(42.0));
    EXPECT_TRUE(first->workbook().cellValue(1, 4, 2).isEmpty());
}

TEST_F(ActiveWindow, SaveDialogOpensOnTheOutputTypeOfTheSettings)
{
    using spreadsheet::FileType;
    const struct {
        const char* name;
        const char* stored;  // nullptr: no setting
        FileType expected;
    } rows[] = {
        {"nothing stored: the first entry of the options list", nullptr, FileType::Excel5},
        {"Excel 95/5-7", "0", FileType::Excel5},
        {"Formula One 3/4/5", "2", FileType::Native},
        {"out of the list", "40", FileType::Native},
        {"tab-delimited text", "6", FileType::Text},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.stored) {
            ASSERT_TRUE(platform::profile::WriteString("Defaults", "OutFileType", row.stored, ini()));
        }
        program.releaseIni();
        clickCell(*first, 1, 1);
        boxes.cancelFile();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
        ASSERT_FALSE(boxes.fileRequests().empty());
        EXPECT_TRUE(boxes.fileRequests().back().save);
        EXPECT_EQ(boxes.fileRequests().back().filterIndex, static_cast<int>(row.expected));
    }

    // A book saved before offers its own type again.
    const std::string saved = m_dir.file("kept.vts").string();
    boxes.choose(saved, static_cast<int>(FileType::Native));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(std::filesystem::exists(saved));
    boxes.cancelFile();
    trigger("mnuFileSaveAs");
    EXPECT_EQ(boxes.fileRequests().back().filterIndex, static_cast<int>(FileType::Native));
}

TEST_F(ActiveWindow, StatusBarNamesTheFileOfTheActiveBook)
{
    const std::string p = m_dir.file("expr.txt").string();
    testsupport::writeFile(p, "probe\tt1\n1000_at\t-2.5\n");
    boxes.choose(p);
    trigger("mnuFileOpen");
    shell::frmMDIChild* withFile = frame->ActiveChild();
    ASSERT_EQ(frame->statusText().toStdString(), "File: " + p);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
    shell::frmMDIChild* fresh = frame->ActiveChild();
    ASSERT_NE(fresh, withFile);
    EXPECT_EQ(frame->statusText(), QStringLiteral("File: No file in buffer"));
    clickTitle(*withFile);
    EXPECT_EQ(frame->statusText().toStdString(), "File: " + p);
    clickTitle(*fresh);
    EXPECT_EQ(frame->statusText(), QStringLiteral("File: No file in buffer"));
}

} // namespace
