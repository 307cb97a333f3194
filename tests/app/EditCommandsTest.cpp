// The Edit menus, the quick sorts, the standard toolbar and the status timer
// through the real main window and document windows on the offscreen
// platform, with boxes answered from a script.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/widgets/richtext/RichTextBox.h"
#include "shell/core/mQuorin.h"
#include "shell/workbook/SSMDIFiles.h"
#include "app/MainFrame.h"
#include "app/StandardToolbar.h"
#include "app/StatusTimer.h"
#include "app/frmMDIChild.h"
#include "app/frmOption.h"
#include "tests/platform/spreadsheet/ValuePrinter.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/TestSupport.h"

using platform::Answer;
using spreadsheet::Value;

namespace {

class EditWindow : public shelltest::BookWindowFixture {
protected:
    EditWindow() { QGuiApplication::clipboard()->clear(); }

    void click(const char* key)
    {
        QAction* a = shell::StandardToolbar::of(*frame)->button(QString::fromLatin1(key));
        ASSERT_NE(a, nullptr) << key;
        a->trigger();
    }
    [[nodiscard]] QAction* button(const char* key) const
    {
        return shell::StandardToolbar::of(*frame)->button(QString::fromLatin1(key));
    }
    [[nodiscard]] spreadsheet::Workbook& book() const { return child->workbook(); }
    void select(const char* ref) { book().setSelectionRef(ref); }
    void put(std::int32_t row, std::int32_t col, const Value& v) { book().setCellValue(1, row, col, v); }
    [[nodiscard]] Value at(std::int32_t row, std::int32_t col) const { return book().cellValue(1, row, col); }
    [[nodiscard]] std::vector<Value> row(std::int32_t r, std::int32_t c1, std::int32_t c2) const
    {
        std::vector<Value> out;
        for (std::int32_t c = c1; c <= c2; ++c)
            out.push_back(at(r, c));
        return out;
    }
    [[nodiscard]] platform::RichTextBox& output() const
    {
        return *qobject_cast<platform::RichTextBox*>(child->RichTextBox1());
    }
};

// ---- clipboard ---------------------------------------------------------------------

TEST_F(EditWindow, CutAndPasteMovesABlockWithNumbersTextsBlanksAndFormulasUnchanged)
{
    const double third = 1.0 / 3.0;
    put(1, 1, Value(0.1 + 0.2));
    put(1, 2, Value("007"));  // a text that looks like a number
    put(2, 1, Value("YAL001C"));
    put(2, 3, Value(third));
    book().setCellFormula(1, 3, 1, "A1*2");
    put(3, 2, Value::logical(true));
    const std::vector<Value> before[] = {row(1, 1, 3), row(2, 1, 3), row(3, 1, 3)};

    select("A1:C3");
    trigger("mnuEditCut");
    EXPECT_EQ(book().lastUsedRow(), 0);
    select("E5");
    trigger("mnuEditPast");

    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(row(5 + r, 5, 7), before[r]) << "row " << r + 1;
    EXPECT_EQ(book().cellFormula(1, 7, 5), "E5*2");
    EXPECT_EQ(book().SelectionEx(0), (spreadsheet::RangeRef{5, 5, 7, 7}));
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(boxes.calls().empty());

    // The text on the clipboard is there for other programs, numbers in full.
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString().substr(0, 24), "0.30000000000000004\t007\t");
}

TEST_F(EditWindow, ToolbarCopyAndPasteSpecialValues)
{
    put(1, 1, Value(2.0));
    book().setCellFormula(1, 1, 2, "A1+1");
    select("A1:B1");
    click("Copy");
    select("A3");
    click("Paste");
    EXPECT_EQ(book().cellFormula(1, 3, 2), "A3+1");
    select("A5");
    trigger("mnuEditPasteValue");
    EXPECT_EQ(at(5, 2), Value(3.0));
    EXPECT_EQ(book().cellFormula(1, 5, 2), "");
    select("A7");
    trigger("mnuEditPasteFormat");  // the workbook keeps no formats: nothing arrives
    EXPECT_TRUE(at(7, 1).isEmpty());
}

TEST_F(EditWindow, TextFromAnotherProgramPastesNumbersAsNumbers)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("Gene\t0h\r\nYAL001C\t-1.5E-3\r\n\t7\r\n"));
    select("B2");
    trigger("mnuEditPast");
    EXPECT_EQ(row(2, 2, 3), (std::vector<Value>{Value("Gene"), Value("0h")}));
    EXPECT_EQ(row(3, 2, 3), (std::vector<Value>{Value("YAL001C"), Value(-1.5e-3)}));
    EXPECT_EQ(row(4, 2, 3), (std::vector<Value>{Value(), Value(7.0)}));
    EXPECT_TRUE(at(2, 4).isEmpty());
}

TEST_F(EditWindow, PasteRunningOffTheSheetIsRefusedAndChangesNothing)
{
    for (const bool ours : {true, false}) {
        if (ours) {
            put(1, 1, Value(1.0));
            put(1, 2, Value(2.0));
            select("A1:B1");
            trigger("mnuEditCopy");
        } else {
            QGuiApplication::clipboard()->setText(QStringLiteral("1\t2\r\n"));
        }
        boxes.clear();
        book().setChanged(false);
        select("IV1");
        trigger("mnuEditPast");
        ASSERT_EQ(boxes.calls().size(), 1u) << ours;
        EXPECT_EQ(boxes.last().text, "The cells to paste do not fit on the sheet from the selected cell.");
        EXPECT_TRUE(at(1, 256).isEmpty());
        EXPECT_FALSE(book().isChanged());
    }
    EXPECT_TRUE(reported.empty());
}

TEST_F(EditWindow, WholeColumnsCopyAndPasteOnlyWhereTheyFit)
{
    put(1, 1, Value(1.0));
    put(3, 1, Value("x"));
    put(2, 2, Value("cleared"));
    select("A1:A16384");
    trigger("mnuEditCopy");
    select("B1");
    trigger("mnuEditPast");
    EXPECT_EQ(row(1, 1, 2), (std::vector<Value>{Value(1.0), Value(1.0)}));
    EXPECT_TRUE(at(2, 2).isEmpty());  // the copied column's empty cell empties its place
    EXPECT_EQ(at(3, 2), Value("x"));
    EXPECT_EQ(book().SelectionEx(0), (spreadsheet::RangeRef{1, 2, 16384, 2}));
    select("C2");
    trigger("mnuEditPast");
    EXPECT_EQ(boxes.last().text, "The cells to paste do not fit on the sheet from the selected cell.");
    EXPECT_TRUE(at(3, 3).isEmpty());
}

TEST_F(EditWindow, PasteTransposedTurnsAColumnIntoARow)
{
    trigger("mnuEditPasteTranspos");
    EXPECT_EQ(boxes.last().text, "Nothing in the clipboard to paste. Please copy a cell range first.");
    for (int r = 1; r <= 5; ++r)
        put(r, 1, Value(static_cast<double>(r)));
    put(1, 8, Value("keep"));
    select("A1:A5");
    trigger("mnuEditCopy");
    select("C1");
    trigger("mnuEditPasteTranspos");
    EXPECT_EQ(row(1, 3, 8), (std::vector<Value>{Value(1.0), Value(2.0), Value(3.0), Value(4.0), Value(5.0),
                                                Value("keep")}));
}

TEST_F(EditWindow, FillClearDeleteAndDeleteSheet)
{
    put(1, 1, Value(4.0));
    select("A1:A3");
    trigger("mnuEditFillDown");
    EXPECT_EQ(at(3, 1), Value(4.0));
    select("A2");
    trigger("mnuEditDeleteRow");
    EXPECT_EQ(book().lastUsedRow(), 2);
    select("A1:A2");
    trigger("mnuEditClearContents");
    EXPECT_EQ(book().lastUsedRow(), 0);
    trigger("mnuEditDeleteSheet");
    EXPECT_EQ(boxes.last().text, "A workbook keeps at least one sheet: the last sheet cannot be deleted.");
    EXPECT_EQ(book().NumSheets(), 1);
    EXPECT_FALSE(frame->action(QStringLiteral("mnuEditUndo"))->isEnabled());
}

TEST_F(EditWindow, FixedItemGivesTheSelectionTwoDecimals)
{
    put(2, 2, Value(3.14159));
    put(3, 3, Value(-1234.5));
    select("B2:C3");
    trigger("mnuFixed0_00");
    for (const auto& [row, col, format] : {std::tuple{2, 2, "0.00"}, std::tuple{3, 3, "0.00"},
                                           std::tuple{2, 3, "0.00"}, std::tuple{1, 1, "General"},
                                           std::tuple{4, 3, "General"}})
        EXPECT_EQ(book().cellFormat(1, row, col).numberFormat, format) << row << "," << col;
    EXPECT_EQ(at(2, 2), Value(3.14159)) << "the value is kept whole";
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_TRUE(reported.empty());
}

// ---- sorting ------------------------------------------------------------------------

class SortWindow : public EditWindow {
protected:
    SortWindow()
    {
        const char* names[] = {"YAL004C", "YAL001C", "YAL003W", "YAL002W"};
        const double t0[] = {4, 1, 3, 2};
        const double t1[] = {0.4, 0.1, 0.3, 0.2};
        put(1, 1, Value("Gene"));
        put(1, 2, Value("0h"));
        put(1, 3, Value("1h"));
        for (int i = 0; i < 4; ++i) {
            put(i + 2, 1, Value(names[i]));
            put(i + 2, 2, Value(t0[i]));
            put(i + 2, 3, Value(-t1[i]));
        }
    }
    // Every data row still pairs its name with its own two values.
    void expectRowsWhole()
    {
        for (int r = 2; r <= 5; ++r) {
            const std::string name = at(r, 1).text();
            const double n = name[5] - '0';
            EXPECT_EQ(at(r, 2), Value(n)) << name;
            EXPECT_EQ(at(r, 3), Value(-n / 10)) << name;
        }
    }
    [[nodiscard]] std::string names() const
    {
        std::string out;
        for (int r = 2; r <= 5; ++r)
            out += at(r, 1).text().substr(5, 1);
        return out;
    }
};

TEST_F(SortWindow, MenuAndToolbarSortRowsWholeByTheFirstColumn)
{
    select("A2:C5");
    trigger("mnuDataSortA");
    EXPECT_EQ(names(), "1234");
    expectRowsWhole();
    click("SortD");
    EXPECT_EQ(names(), "4321");
    expectRowsWhole();
    click("SortA");
    EXPECT_EQ(names(), "1234");
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_TRUE(reported.empty());
}

TEST_F(SortWindow, SortDialogSortsByAChosenColumnKeepingRowsWhole)
{
    select("A2:C5");
    trigger("mnuEditSort");
    QDialog* dlg = child->ss()->findChild<QDialog*>(QStringLiteral("SortDlg"));
    ASSERT_NE(dlg, nullptr);
    auto* key = dlg->findChild<QComboBox*>(QStringLiteral("key1"));
    ASSERT_EQ(key->count(), 3);
    EXPECT_EQ(key->itemText(2), QStringLiteral("Column C"));
    key->setCurrentIndex(2);  // column C, ascending: -0.4 first
    dlg->findChild<QPushButton*>(QStringLiteral("ok"))->click();
    EXPECT_EQ(names(), "4321");
    expectRowsWhole();
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(SortWindow, SortsThatWouldMixLabelsOrTearRowsAreRefused)
{
    struct Case {
        const char* name;
        const char* selection;
        const char* message;
    };
    const Case cases[] = {
        {"label row in the block", "F1:F3",
         "The sort column holds both numbers and texts; leave label rows out of the selection."},
        {"one column of a table", "B2:B5",
         "The rows of the selection go on beyond it. Sorting the selection alone would separate the cells of these "
         "rows: select all of their columns and sort again."},
    };
    // A second table with its label row, away from the first.
    put(1, 6, Value("t"));
    put(2, 6, Value(2.0));
    put(3, 6, Value(1.0));
    for (const Case& c : cases) {
        select(c.selection);
        boxes.clear();
        const std::string before = names();
        trigger("mnuDataSortD");
        ASSERT_EQ(boxes.calls().size(), 1u) << c.name;
        EXPECT_EQ(boxes.last().text, c.message) << c.name;
        EXPECT_EQ(names(), before) << c.name;
        EXPECT_EQ(at(2, 6), Value(2.0)) << c.name;
        expectRowsWhole();
    }
    EXPECT_TRUE(reported.empty());
}

// ---- find, replace, go to -----------------------------------------------------------

TEST_F(EditWindow, FindDialogWalksEveryHitAndWrapsRound)
{
    put(1, 2, Value("gene a"));
    put(3, 1, Value("Gene b"));
    put(4, 3, Value("other"));
    trigger("mnuEditFind");
    QDialog* dlg = child->ss()->findChild<QDialog*>(QStringLiteral("FindDlg"));
    ASSERT_NE(dlg, nullptr);
    dlg->findChild<QLineEdit*>(QStringLiteral("findWhat"))->setText(QStringLiteral("gene"));
    auto* next = dlg->findChild<QPushButton*>(QStringLiteral("findNext"));
    std::vector<std::string> visited;
    for (int i = 0; i < 3; ++i) {
        next->click();
        visited.push_back(spreadsheet::cellRefText(book().activeRow(), book().activeCol()));
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"B1", "A3", "B1"}));
    dlg->findChild<QLineEdit*>(QStringLiteral("findWhat"))->setText(QStringLiteral("absent"));
    next->click();
    EXPECT_EQ(boxes.last().text, "Cannot find \"absent\".");
    EXPECT_EQ(boxes.last().title, "Find");
    EXPECT_EQ(spreadsheet::cellRefText(book().activeRow(), book().activeCol()), "B1");

    trigger("mnuEditReplace");
    QDialog* rep = child->ss()->findChild<QDialog*>(QStringLiteral("ReplaceDlg"));
    ASSERT_NE(rep, nullptr);
    rep->findChild<QLineEdit*>(QStringLiteral("findWhat"))->setText(QStringLiteral("gene"));
    rep->findChild<QLineEdit*>(QStringLiteral("replaceWith"))->setText(QStringLiteral("locus"));
    rep->findChild<QPushButton*>(QStringLiteral("replaceAll"))->click();
    EXPECT_EQ(at(1, 2), Value("locus a"));
    EXPECT_EQ(at(3, 1), Value("locus b"));
    EXPECT_EQ(boxes.last().text, "Replaced in 2 cells.");
}

TEST_F(EditWindow, GoToSelectsAReferenceAndRefusesABadOne)
{
    trigger("mnuEditGoTo");
    QDialog* dlg = child->ss()->findChild<QDialog*>(QStringLiteral("GotoDlg"));
    ASSERT_NE(dlg, nullptr);
    auto* ref = dlg->findChild<QLineEdit*>(QStringLiteral("reference"));
    auto* ok = dlg->findChild<QPushButton*>(QStringLiteral("ok"));
    for (const char* bad : {"B0", "IW3", "gene", ""}) {
        boxes.clear();
        ref->setText(QString::fromLatin1(bad));
        ok->click();
        ASSERT_EQ(boxes.calls().size(), 1u) << bad;
        EXPECT_EQ(boxes.last().text, "\"" + std::string(bad) +
                                         "\" is not a cell reference or a defined name. Type one such as B3 or A1:C9.");
        EXPECT_EQ(book().SelectionEx(0), (spreadsheet::RangeRef{1, 1, 1, 1})) << bad;
        EXPECT_TRUE(dlg->isVisible());
    }
    ref->setText(QStringLiteral("$c$5:d9"));
    ok->click();
    EXPECT_EQ(book().SelectionEx(0), (spreadsheet::RangeRef{5, 3, 9, 4}));
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(EditWindow, GoToTakesTheCorrectionInItsFieldAfterARefusal)
{
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    trigger("mnuEditGoTo");
    QDialog* dlg = child->ss()->findChild<QDialog*>(QStringLiteral("GotoDlg"));
    ASSERT_NE(dlg, nullptr);
    // The window has the keyboard once it shows.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == dlg->windowHandle(); }));
    auto* ref = dlg->findChild<QLineEdit*>(QStringLiteral("reference"));
    // The label's ampersand is the access key of the field, not a character.
    auto* label = dlg->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->buddy(), ref);
    dlg->findChild<QPushButton*>(QStringLiteral("ok"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    ASSERT_EQ(QApplication::focusWidget(), ref);

    // While the refusal is up, the desktop gives the main window (and so the
    // sheet) the keyboard, as it does when a box closes.
    boxes.whileMessageShown = [this] {
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QGuiApplication::focusWindow() == frame->windowHandle(); }));
        child->ss()->SetFocus();
    };
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("C0"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(boxes.calls().size(), 1u);
    boxes.whileMessageShown = {};
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == ref; }));
    // The correction replaces the refused text.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("C7"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(book().SelectionEx(0), (spreadsheet::RangeRef{7, 3, 7, 3}));
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(at(1, 1), Value()) << "nothing was typed into the sheet";
}

TEST_F(EditWindow, GoToTakesADefinedNameToItsCellsOnTheirSheet)
{
    book().setNumSheets(2);
    book().setDefinedName("Controls", "Sheet2!$B$2:$C$40");
    book().setDefinedName("Corner", "Sheet1!$D$7");
    book().setDefinedName("Threshold", "0.05");
    book().setDefinedName("Twice", "Sheet1!$A$1+Sheet1!$A$2");
    trigger("mnuEditGoTo");
    QDialog* dlg = child->ss()->findChild<QDialog*>(QStringLiteral("GotoDlg"));
    ASSERT_NE(dlg, nullptr);
    auto* ref = dlg->findChild<QLineEdit*>(QStringLiteral("reference"));
    auto* ok = dlg->findChild<QPushButton*>(QStringLiteral("ok"));
    const struct {
        const char* typed;
        bool taken;
        std::int32_t sheet;
        spreadsheet::RangeRef range;
    } rows[] = {
        {"Controls", true, 2, {2, 2, 40, 3}},
        {"corner", true, 1, {7, 4, 7, 4}},  // names compare without case
        {"Threshold", false, 1, {7, 4, 7, 4}},  // a constant has no cells
        {"Twice", false, 1, {7, 4, 7, 4}},  // nor has a formula
        {"  Controls ", true, 2, {2, 2, 40, 3}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        trigger("mnuEditGoTo");
        boxes.clear();
        ref->setText(QString::fromLatin1(row.typed));
        ok->click();
        EXPECT_EQ(boxes.calls().size(), row.taken ? 0u : 1u);
        EXPECT_EQ(dlg->isVisible(), !row.taken);
        EXPECT_EQ(book().Sheet(), row.sheet);
        EXPECT_EQ(book().SelectionEx(0), row.range);
        if (row.taken && row.sheet != 1)
            book().setSheet(1);
    }
}

TEST_F(EditWindow, DeleteSheetAsksFirstWhenTheSheetHoldsAnything)
{
    book().setNumSheets(4);
    book().setCellValue(2, 12625, 128, Value(-0.4335539019));
    spreadsheet::DrawingObject note;
    note.from = {2, 2, 0, 0};
    note.to = {6, 4, 0, 0};
    (void)book().addObject(3, note);
    const struct {
        const char* name;
        std::int32_t sheet;
        std::optional<Answer> answer;  // none: no question
        std::int32_t sheetsAfter;
    } rows[] = {
        {"an empty sheet goes at once", 4, std::nullopt, 3},
        {"No keeps a sheet of data", 2, Answer::No, 3},
        {"Yes deletes it", 2, Answer::Yes, 2},
        {"a drawing object counts as data", 2, Answer::No, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.clear();
        book().setSheet(row.sheet);
        const std::string name = book().SheetName(row.sheet);
        if (row.answer)
            boxes.answer(*row.answer);
        trigger("mnuEditDeleteSheet");
        if (row.answer) {
            ASSERT_EQ(boxes.calls().size(), 1u);
            EXPECT_EQ(boxes.last().text, "The sheet " + name + " holds data, which will be deleted for good. Delete it?");
            EXPECT_EQ(boxes.last().style, 4 + 32 + 256);  // Yes and No, No the default
            EXPECT_EQ(boxes.last().title, "Tessaray");
        } else {
            EXPECT_TRUE(boxes.calls().empty());
        }
        EXPECT_EQ(book().NumSheets(), row.sheetsAfter);
    }
    EXPECT_EQ(book().SheetName(1), "Sheet1");
    EXPECT_EQ(book().SheetName(2), "Sheet3");
    EXPECT_EQ(book().objects(2).size(), 1u);
    EXPECT_EQ(boxes.unscripted(), 0);
}

// ---- standard toolbar and status timer ------------------------------------------------

TEST_F(EditWindow, StandardToolbarHasItsButtonsTipsAndPictures)
{
    QToolBar* bar = frame->findChild<QToolBar*>(QStringLiteral("tlbStandard"));
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 18);
    EXPECT_TRUE(bar->actions()[3]->isSeparator());
    EXPECT_EQ(bar->actions()[14]->toolTip(), QStringLiteral("Sort Descending"));
    for (QAction* a : bar->actions()) {
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
        }
    }
    click("Help");
    EXPECT_EQ(boxes.last().title, "Tessaray");
    EXPECT_EQ(boxes.last().style, 64);
    EXPECT_NE(boxes.last().text.find("\r\n\r\nIf you would like"), std::string::npos);
}

TEST_F(EditWindow, ToolbarOpenRefusesAnEmptyFileAndCancelChangesNothing)
{
    const std::string empty = m_dir.file("empty.txt").string();
    testsupport::writeFile(m_dir.file("empty.txt"), "");
    boxes.choose(empty);
    click("Open");
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().title, "Warning!");
    EXPECT_EQ(boxes.last().text, "The file named " + empty + " is empty! Please try another file.");
    EXPECT_EQ(frame->Documents().size(), 1u);
    EXPECT_FALSE(frame->mnuFileList()[0]->isVisible());

    boxes.clear();
    boxes.cancelFile();
    click("Open");
    EXPECT_TRUE(boxes.calls().empty());

    const std::string data = m_dir.file("expr.txt").string();
    testsupport::writeFile(m_dir.file("expr.txt"), "Gene\t0h\nYAL001C\t0.5\n");
    boxes.choose(data);
    click("Open");
    EXPECT_EQ(frame->ActiveChild()->workbook().cellValue(1, 2, 2), Value(0.5));
    EXPECT_EQ(frame->statusText().toStdString(), "File: " + data);
    EXPECT_TRUE(reported.empty());
}

// The options dialog's Browse leaves its own title on the main window's file
// dialog; the toolbar's Open and File, Open each set theirs.
TEST_F(EditWindow, OpenDialogsTitleThemselvesAfterTheOptionsBrowse)
{
    boxes.choose(m_dir.file("any.txt").string());
    testsupport::onModal<shell::frmOption>([](shell::frmOption& options) {
        for (QPushButton* b : options.findChildren<QPushButton*>()) {
            if (b->text() == QStringLiteral("Browse")) {
                QTest::mouseClick(b, Qt::LeftButton);
                break;
            }
        }
    });
    trigger("mnuToolsGlobalOpt");
    ASSERT_EQ(boxes.fileRequests().size(), 1u);
    EXPECT_EQ(boxes.fileRequests().back().title, "Click any file name, then click Open");

    QToolBar* bar = frame->findChild<QToolBar*>(QStringLiteral("tlbStandard"));
    ASSERT_NE(bar, nullptr);
    QWidget* open = bar->widgetForAction(button("Open"));
    ASSERT_NE(open, nullptr);
    boxes.cancelFile();
    QTest::mouseClick(open, Qt::LeftButton);
    ASSERT_EQ(boxes.fileRequests().size(), 2u);
    EXPECT_EQ(boxes.fileRequests().back().title, "Open File");
    EXPECT_EQ(boxes.fileRequests().back().filter, SSMDI1::kOpenFilter);

    // File, Open asks under the toolkit's own title.
    boxes.cancelFile();
    trigger("mnuFileOpen");
    ASSERT_EQ(boxes.fileRequests().size(), 3u);
    EXPECT_EQ(boxes.fileRequests().back().title, "");
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_TRUE(reported.empty());
}

TEST_F(EditWindow, WithoutADocumentWindowOnlyNewAndHelpAct)
{
    child->parentWidget()->close();
    QApplication::processEvents();
    ASSERT_TRUE(frame->Documents().empty());
    for (const char* key : {"Save", "Cut", "Copy", "Paste", "Delete", "Sum", "SortA", "SortD", "Find"})
        click(key);
    for (const char* item : {"mnuEditCut", "mnuEditPast", "mnuEditFind", "mnuDataSortA", "mnuEditPasteTranspos"})
        trigger(item);
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_TRUE(reported.empty());
    click("Help");
    EXPECT_EQ(boxes.calls().size(), 1u);
    click("New");
    EXPECT_EQ(frame->Documents().size(), 1u);
}

TEST_F(EditWindow, SumButtonSumsTheRunAboveAndOpensTheEditorWhenAlone)
{
    put(1, 1, Value("label"));
    put(2, 1, Value(2.0));
    put(3, 1, Value(3.0));
    select("A4");
    click("Sum");
    EXPECT_EQ(at(4, 1), Value(5.0));
    EXPECT_EQ(book().SelectionEx(0), (spreadsheet::RangeRef{2, 1, 3, 1}));
    select("F9");
    click("Sum");
    EXPECT_TRUE(child->ss()->isEditing());
    EXPECT_TRUE(at(9, 6).isEmpty());
}

TEST_F(EditWindow, StatusTimerKeepsTheButtonsInStep)
{
    shell::StatusTimer* timer = shell::StatusTimer::of(*frame);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->Timer1()->interval(), 500);
    EXPECT_TRUE(timer->Timer1()->isActive());
    QToolBar* format = frame->findChild<QToolBar*>(QStringLiteral("tlbFormat"));
    std::pair<std::int32_t, std::int32_t> objects{0, 0};
    timer->selectedObjects = [&](shell::frmMDIChild&) { return objects; };
    auto cellButtons = [&] {
        return button("Sum")->isEnabled() && button("SortA")->isEnabled() && button("SortD")->isEnabled() &&
               button("Find")->isEnabled();
    };

    timer->tick();
    EXPECT_FALSE(button("Paste")->isEnabled());  // nothing to paste
    put(1, 1, Value(1.0));
    trigger("mnuEditCopy");
    timer->tick();
    EXPECT_TRUE(button("Paste")->isEnabled());
    EXPECT_TRUE(format->isEnabled());
    EXPECT_TRUE(cellButtons());

    objects = {1, 8};  // one drawing object selected
    timer->tick();
    EXPECT_FALSE(format->isEnabled());
    EXPECT_FALSE(button("Sum")->isEnabled());
    EXPECT_FALSE(button("Find")->isEnabled());
    EXPECT_TRUE(button("Help")->isEnabled());
    objects = {2, 8};
    timer->tick();
    EXPECT_TRUE(format->isEnabled());
    EXPECT_TRUE(cellButtons());

    // A window without a worksheet keeps the states as they are.
    objects = {1, 8};
    child->setWindowTitle(QStringLiteral("Sequence Tool"));
    timer->tick();
    EXPECT_TRUE(format->isEnabled());
    child->setWindowTitle(QStringLiteral("Book1"));
    timer->tick();
    EXPECT_FALSE(format->isEnabled());

    objects = {0, 0};
    QGuiApplication::clipboard()->clear();
    child->workbook().setChanged(false);
    child->parentWidget()->close();
    QApplication::processEvents();
    ASSERT_TRUE(frame->Documents().empty());
    timer->tick();
    EXPECT_FALSE(format->isEnabled());
    EXPECT_TRUE(button("Paste")->isEnabled());

    // The timer itself drives the same poll.
    frame->NewDocument();
    QTest::qWait(700);
    EXPECT_TRUE(format->isEnabled());
    EXPECT_FALSE(button("Paste")->isEnabled());
}

TEST_F(EditWindow, StatusTimerHandsAFailingStepToTheErrorReporter)
{
    shell::StatusTimer* timer = shell::StatusTimer::of(*frame);
    QToolBar* format = frame->findChild<QToolBar*>(QStringLiteral("tlbFormat"));
    struct Case {
        const char* name;
        Answer answer;
        int reads;                 // times the object list was read
        bool formatOn, pasteOn;    // the states the tick leaves
    } cases[] = {
        {"Abort ends the tick: nothing is set", Answer::Abort, 1, false, true},
        {"Retry reads again and goes on with what it read", Answer::Retry, 2, false, false},
        {"Ignore goes on without the objects", Answer::Ignore, 1, true, false},
    };
    for (const Case& c : cases) {
        int reads = 0;
        timer->selectedObjects = [&](shell::frmMDIChild&) -> std::pair<std::int32_t, std::int32_t> {
            if (++reads == 1)
                throw platform::Error(platform::err::InvalidCall, "selectedObjects", "The object list is locked.");
            return {1, 8};
        };
        std::vector<std::string> errors;
        platform::ScopedReporter scripted([&](const platform::Error& e) {
            errors.push_back(e.description());
            return c.answer;
        });
        format->setEnabled(false);
        button("Paste")->setEnabled(true);  // the clipboard is empty: a finished tick turns it off
        // The tick as the timer runs it.
        ASSERT_TRUE(QMetaObject::invokeMethod(timer->Timer1(), "timeout"));
        EXPECT_EQ(errors, std::vector<std::string>{"The object list is locked."}) << c.name;
        EXPECT_EQ(reads, c.reads) << c.name;
        EXPECT_EQ(format->isEnabled(), c.formatOn) << c.name;
        EXPECT_EQ(button("Paste")->isEnabled(), c.pasteOn) << c.name;
    }
    EXPECT_TRUE(boxes.calls().empty());
}

// ---- the output view's Edit menu ----------------------------------------------------

class OutputWindow : public EditWindow {
protected:
    OutputWindow()
    {
        frame->ShowView(shell::View::Output);
        output().setPlainText(QStringLiteral("abcabc\nxbc"));
    }
    [[nodiscard]] bool marked(int position) const
    {
        QTextCursor c(output().document());
        c.setPosition(position + 1);
        const QTextCharFormat f = c.charFormat();
        return f.foreground().color() == QColor(255, 0, 0) && f.fontWeight() == QFont::Bold;
    }
};

TEST_F(OutputWindow, FindAndFindNextWalkEveryHitAndStayOnTheLast)
{
    trigger("EditFindNext");  // before any Find: asks like Find
    ASSERT_FALSE(boxes.calls().empty());
    EXPECT_EQ(boxes.calls()[0].text, "Enter text to be found (case-sensitive):");
    boxes.clear();
    output().setSelStart(0);
    boxes.type("bc");
    trigger("EditFind");
    std::vector<int> starts{output().SelStart()};
    for (int i = 0; i < 3; ++i) {
        trigger("EditFindNext");
        starts.push_back(output().SelStart());
    }
    EXPECT_EQ(starts, (std::vector<int>{1, 4, 8, 8}));
    EXPECT_EQ(output().SelLength(), 2);
    EXPECT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(output().Tag(), "bc.10");
}

TEST_F(OutputWindow, FindAllHighlightsEveryHit)
{
    boxes.type("bc");
    trigger("EditFindAll");
    EXPECT_EQ(boxes.calls()[0].text, "Enter the search string: ");
    EXPECT_EQ(boxes.calls()[0].title, "Find All");
    EXPECT_EQ(boxes.last().text, "3 occurrences of bc found.");
    const std::string text = output().toPlainText().toStdString();
    for (int i = 0; i < static_cast<int>(text.size()); ++i) {
        const bool inHit = i == 1 || i == 2 || i == 4 || i == 5 || i == 8 || i == 9;
        EXPECT_EQ(marked(i), inHit) << "character " << i;
    }
    EXPECT_EQ(output().SelLength(), 0);

    boxes.type("zz");
    trigger("EditFindAll");
    EXPECT_EQ(boxes.last().text, "0 occurrences of zz found.");
    boxes.type("");
    trigger("EditFindAll");
    EXPECT_EQ(boxes.last().text, "You specified an empty search string.");
}

TEST_F(OutputWindow, CopyToExcelClearBufferAndUndo)
{
    output().setPlainText(QStringLiteral("  gene   0.5 1.25"));
    output().selectAll();
    trigger("EditCopy2Excel");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("\tgene\t0.5\t1.25"));
    output().setSelStart(0);
    trigger("EditCopy2Excel");  // nothing selected: the clipboard keeps its text
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("\tgene\t0.5\t1.25"));

    trigger("EditClear");
    EXPECT_TRUE(output().toPlainText().isEmpty());
    trigger("EditUndo");
    EXPECT_EQ(output().toPlainText(), QStringLiteral("  gene   0.5 1.25"));

    QGuiApplication::clipboard()->setText(QStringLiteral("new"));
    output().setSelStart(2);
    output().setSelLength(4);
    trigger("EditPasteTxt");
    EXPECT_EQ(output().toPlainText(), QStringLiteral("  new   0.5 1.25"));
    output().setSelStart(0);
    output().setSelLength(2);
    trigger("EditDelete");
    EXPECT_EQ(output().toPlainText(), QStringLiteral("new   0.5 1.25"));
    EXPECT_TRUE(reported.empty());
}

// ---- a picture of the main window ---------------------------------------------------

TEST_F(EditWindow, ScreenshotOfTheMainWindowWithItsToolbar)
{
    const char* shot = std::getenv("TESSARAY_SCREENSHOT");
    if (!shot)
        GTEST_SKIP() << "set TESSARAY_SCREENSHOT to a PNG path to take the picture";
    const char* names[] = {"YAL001C", "YAL002W", "YAL003W", "YAL004C", "YAL005C", "YAL006C", "YAL007C"};
    put(1, 1, Value("Gene"));
    for (int c = 0; c < 6; ++c)
        put(1, c + 2, Value(std::to_string(c * 2) + "h"));
    for (int r = 0; r < 7; ++r) {
        put(r + 2, 1, Value(names[r]));
        for (int c = 0; c < 6; ++c)
            put(r + 2, c + 2, Value(((r * 7 + c * 3) % 11) / 4.0 - 1.0));
    }
    select("A2:G8");
    trigger("mnuDataSortD");
    const QString base = saveMaximisedShot(*child, QSize(1000, 640), shot);
    ASSERT_FALSE(base.isEmpty());
    // The sort and replace dialogs beside it.
    trigger("mnuEditSort");
    trigger("mnuEditReplace");
    for (const char* name : {"SortDlg", "ReplaceDlg"}) {
        QDialog* dlg = child->ss()->findChild<QDialog*>(QString::fromLatin1(name));
        ASSERT_NE(dlg, nullptr);
        QApplication::processEvents();
        ASSERT_TRUE(dlg->grab().save(base + QLatin1Char('-') + QString::fromLatin1(name) + QStringLiteral(".png")));
    }
}

} // namespace
