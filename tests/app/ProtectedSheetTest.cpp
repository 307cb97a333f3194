// A protected sheet through the real main window on the offscreen platform:
// every command that would change a locked cell says so in the one box and
// changes nothing, and none of them takes the program down.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/Dialogs.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/spreadsheet/FormatDialogs.h"
#include "platform/spreadsheet/InsertDialogs.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "app/FormatCommands.h"
#include "app/MainFrame.h"
#include "app/StandardToolbar.h"
#include "app/frmMDIChild.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/platform/spreadsheet/ValuePrinter.h"
#include "tests/support/ModalDialog.h"

using spreadsheet::Value;

namespace {

class ProtectedWindow : public shelltest::BookWindowFixture {
protected:
    ProtectedWindow()
    {
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

    // A1 a text, B2:C4 numbers, D2:D4 formulas; every cell locked (as cells
    // are), the sheet protected.
    void fillAndProtect()
    {
        book().setCellEntry(1, 1, 1, "1000_at");
        const char* rows[3][3] = {{"3", "1", "=B2+C2"}, {"1", "2", "=B3+C3"}, {"2", "3", "=B4+C4"}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                book().setCellEntry(1, 2 + r, 2 + c, rows[r][c]);
        trigger("mnuFormatSheetProtection");
        ASSERT_TRUE(book().EnableProtection());
    }

    // What a command could change: the entries of A1:H12, the cell formats and
    // the sheet's layout, and the sheets.
    struct Snapshot {
        std::vector<std::string> entries;
        spreadsheet::SheetFormat format;
        std::int32_t sheets = 0;
        bool operator==(const Snapshot&) const = default;
    };
    [[nodiscard]] Snapshot snapshot() const
    {
        Snapshot s{{}, book().sheetFormat(1), book().NumSheets()};
        for (int r = 1; r <= 12; ++r)
            for (int c = 1; c <= 8; ++c)
                s.entries.push_back(book().cellEntryText(1, r, c));
        return s;
    }

    void standardButton(const char* key)
    {
        QAction* a = shell::StandardToolbar::of(*frame)->button(QString::fromLatin1(key));
        ASSERT_NE(a, nullptr) << key;
        a->trigger();
    }
    void formatButton(const char* key)
    {
        QAction* a = shell::FormatCommands::of(*frame)->button(QString::fromLatin1(key));
        ASSERT_NE(a, nullptr) << key;
        a->trigger();
    }
    // Types into a box of the formatting toolbar and presses Enter.
    void typeInto(QComboBox* box, const QString& text)
    {
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    // The Replace dialog (Ctrl+H) with its fields filled in; `button` pressed.
    void replaceWith(const char* button)
    {
        child->ss()->SetFocus();
        QTest::keyClick(surface(), Qt::Key_H, Qt::ControlModifier);
        QDialog* dlg = child->ss()->findChild<QDialog*>(QStringLiteral("ReplaceDlg"));
        ASSERT_NE(dlg, nullptr);
        auto* what = dlg->findChild<QLineEdit*>(QStringLiteral("findWhat"));
        auto* with = dlg->findChild<QLineEdit*>(QStringLiteral("replaceWith"));
        what->clear();
        with->clear();
        QTest::keyClicks(what, QStringLiteral("1"));
        QTest::keyClicks(with, QStringLiteral("7"));
        QTest::mouseClick(dlg->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
        dlg->close();
    }

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

TEST_F(ProtectedWindow, EveryCommandThatWouldChangeALockedCellGivesTheOneBoxAndChangesNothing)
{
    fillAndProtect();
    struct Row {
        const char* name;
        const char* selection;
        std::function<void()> command;
    };
    const Row rows[] = {
        // Edit menu and its keys.
        {"Edit, Cut", "B2:C3", [this] { trigger("mnuEditCut"); }},
        {"Ctrl+X", "B2:C3", [this] { QTest::keyClick(surface(), Qt::Key_X, Qt::ControlModifier); }},
        {"Edit, Paste", "B3", [this] { trigger("mnuEditPast"); }},
        {"Ctrl+V", "B3", [this] { QTest::keyClick(surface(), Qt::Key_V, Qt::ControlModifier); }},
        {"Paste all", "B3", [this] { trigger("mnuEditPasteAll"); }},
        {"Paste Formats", "B3", [this] { trigger("mnuEditPasteFormat"); }},
        {"Paste Formulae", "B3", [this] { trigger("mnuEditPasteFormula"); }},
        {"Paste Values", "B3", [this] { trigger("mnuEditPasteValue"); }},
        {"Paste transpose", "B3", [this] { trigger("mnuEditPasteTranspos"); }},
        {"Sort dialog", "B2:D4",
         [this] {
             trigger("mnuEditSort");
             QDialog* dlg = child->ss()->findChild<QDialog*>(QStringLiteral("SortDlg"));
             ASSERT_NE(dlg, nullptr);
             QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
             dlg->close();
         }},
        {"Fill Down", "B2:C4", [this] { trigger("mnuEditFillDown"); }},
        {"Fill Right", "B2:D2", [this] { trigger("mnuEditFillRight"); }},
        {"Ctrl+D", "B2:C4", [this] { QTest::keyClick(surface(), Qt::Key_D, Qt::ControlModifier); }},
        {"Clear All", "B2:C3", [this] { trigger("mnuEditClearAll"); }},
        {"Clear Formats", "B2:C3", [this] { trigger("mnuEditClearFormats"); }},
        {"Clear Contents", "B2:C3", [this] { trigger("mnuEditClearContents"); }},
        {"Delete key", "B2:C3", [this] { QTest::keyClick(surface(), Qt::Key_Delete); }},
        {"typing", "B2", [] { type(QStringLiteral("5")); }},
        {"Delete Cells", "B2:C3", [this] { trigger("mnuEditDeleteCell"); }},
        {"Delete Row", "B2:C3", [this] { trigger("mnuEditDeleteRow"); }},
        {"Delete Column", "B2:C3", [this] { trigger("mnuEditDeleteColumn"); }},
        {"Replace", "A1", [this] { replaceWith("replace"); }},
        {"Replace All", "A1", [this] { replaceWith("replaceAll"); }},
        {"Data, Sort ascending", "B2:D4", [this] { trigger("mnuDataSortA"); }},
        {"two decimals", "B2:C3", [this] { trigger("mnuFixed0_00"); }},
        // Insert menu.
        {"Insert, Cells", "B2",
         [this] {
             testsupport::onModal<spreadsheet::InsertCellsDialog>(
                 [](spreadsheet::InsertCellsDialog& d) { d.shiftDown()->setChecked(true); },
                 testsupport::ThenPress::Ok);
             trigger("mnuInsertCells");
         }},
        {"Insert, Rows", "B2", [this] { trigger("mnuInsertRows"); }},
        {"Insert, Columns", "B2", [this] { trigger("mnuInsertColumns"); }},
        // Format menu and the formatting toolbar and boxes.
        {"Format, Cells", "B2:C3",
         [this] {
             testsupport::onModal<spreadsheet::FormatCellsDialog>(
                 [](spreadsheet::FormatCellsDialog& d) { d.bold()->setChecked(!d.bold()->isChecked()); },
                 testsupport::ThenPress::Ok);
             trigger("mnuFormatCells");
         }},
        {"Bold", "B2:C3", [this] { formatButton("Bold"); }},
        {"Italic", "B2:C3", [this] { formatButton("Italic"); }},
        {"Underline", "B2:C3", [this] { formatButton("Underline"); }},
        {"Align Left", "B2:C3", [this] { formatButton("Align Left"); }},
        {"Center", "B2:C3", [this] { formatButton("Center"); }},
        {"Align Right", "B2:C3", [this] { formatButton("Align Right"); }},
        {"font name box", "B2:C3", [this] { typeInto(frame->cboFontName(), QStringLiteral("Courier New")); }},
        {"font size box", "B2:C3", [this] { typeInto(frame->cboFontSize(), QStringLiteral("14")); }},
        // The standard toolbar.
        {"toolbar Cut", "B2:C3", [this] { standardButton("Cut"); }},
        {"toolbar Paste", "B3", [this] { standardButton("Paste"); }},
        {"toolbar Delete", "B2:C3", [this] { standardButton("Delete"); }},
        {"toolbar Sum", "C5", [this] { standardButton("Sum"); }},
        {"toolbar Sort ascending", "B2:D4", [this] { standardButton("SortA"); }},
        {"toolbar Sort descending", "B2:D4", [this] { standardButton("SortD"); }},
    };
    const Snapshot before = snapshot();
    for (const Row& row : rows) {
        // Something to paste: copying reads the cells and is allowed.
        book().setSelectionRef("B2:C3");
        child->ss()->EditCopy();
        book().setSelectionRef(row.selection);
        child->ss()->SetFocus();
        boxes.clear();
        reported.clear();
        row.command();
        expectOneProtectionBox(row.name);
        EXPECT_TRUE(snapshot() == before) << row.name << " changed the sheet";
        EXPECT_EQ(book().NumSheets(), 1) << row.name;
    }
    // The formatting toolbar shows the cells as they still are.
    book().setSelectionRef("B2");
    EXPECT_FALSE(shell::FormatCommands::of(*frame)->button(QStringLiteral("Bold"))->isChecked());
    EXPECT_EQ(frame->cboFontSize()->currentText(), QStringLiteral("10"));
}

TEST_F(ProtectedWindow, UnlockedCellsAndTheLayoutStayFreeOnAProtectedSheet)
{
    fillAndProtect();
    trigger("mnuFormatSheetProtection");
    book().setSelectionRef("F1:F9");
    testsupport::onModal<spreadsheet::FormatCellsDialog>(
        [](spreadsheet::FormatCellsDialog& d) { d.locked()->setChecked(false); }, testsupport::ThenPress::Ok);
    trigger("mnuFormatCells");
    trigger("mnuFormatSheetProtection");
    ASSERT_TRUE(book().EnableProtection());
    boxes.clear();

    book().setSelectionRef("F2:F3");
    formatButton("Bold");
    EXPECT_TRUE(book().cellFormat(1, 2, 6).bold);
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    child->ss()->SetFocus();
    type(QStringLiteral("42"));
    press(Qt::Key_Return);
    EXPECT_EQ(book().cellValue(1, 2, 6), Value(42.0));
    book().setSelectionRef("F2");
    trigger("mnuEditClearAll");
    EXPECT_EQ(book().cellValue(1, 2, 6), Value());

    // Hiding a row changes no cell.
    book().setSelectionRef("B3");
    trigger("mnuFormatRowHide");
    EXPECT_TRUE(book().sheetFormat(1).isRowHidden(3));
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_TRUE(reported.empty());
}

} // namespace
