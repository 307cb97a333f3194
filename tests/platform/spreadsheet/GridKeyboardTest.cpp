// Typing into the grid as a keyboard does: every key goes to the widget that
// has the focus (the grid, then its in-cell editor, or the formula bar), a
// shifted character comes after a press of Shift itself, and every press is
// preceded by the shortcut-override event that decides between a shortcut
// and the focus widget.

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "tests/platform/spreadsheet/GridFixture.h"
#include "tests/platform/spreadsheet/ValuePrinter.h"

namespace {

using spreadsheet::SpreadsheetWidget;
using spreadsheet::Value;

// The printable characters of a US keyboard that need Shift.
bool needsShift(char c)
{
    return (c >= 'A' && c <= 'Z') || std::string_view("~!@#$%^&*()_+{}|:\"<>?").find(c) != std::string_view::npos;
}

class GridKeyboardTest : public spreadsheet_test::GridFixture {
protected:
    // One character as the keyboard sends it, to whatever has the focus.
    static void type(char c)
    {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, c, needsShift(c) ? Qt::ShiftModifier : Qt::NoModifier);
    }
    static void type(std::string_view text)
    {
        for (const char c : text)
            type(c);
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, k, mods);
    }

    QLineEdit* formulaBar() const { return widget->findChild<QLineEdit*>(); }
    std::string shown(int row, int col) const { return widget->workbook().cellValue(1, row, col).displayText(); }
};

std::string printableAscii()
{
    std::string all;
    for (char c = ' '; c <= '~'; ++c)
        all += c;
    return all;
}

TEST_F(GridKeyboardTest, EveryPrintableCharacterGoesIntoTheCellOnce)
{
    struct Row {
        const char* name;
        std::string typed;
    };
    const Row rows[] = {
        {"after two plain letters, a shifted one", "abC"},
        {"every printable character after a plain one", "a" + printableAscii()},
        {"every printable character after a shifted one", "Q" + printableAscii()},
        {"a probe name", "1000_at"},
        {"shifted first and last", "_x+"},
    };
    int row = 2;
    for (const Row& r : rows) {
        clickCell(row, 2);
        type(r.typed);
        EXPECT_TRUE(widget->isEditing()) << r.name;
        key(Qt::Key_Return);
        EXPECT_FALSE(widget->isEditing()) << r.name;
        EXPECT_EQ(shown(row, 2), r.typed) << r.name;
        EXPECT_EQ(widget->workbook().activeRow(), row + 1) << r.name << ": Enter moves down once";
        ++row;
    }
}

TEST_F(GridKeyboardTest, EachCharacterStartsAnEditWithOrWithoutShift)
{
    // Letters both ways, then every printable character first in its cell.
    std::string firsts = printableAscii();
    for (char c = 'a'; c <= 'z'; ++c)
        firsts += c;
    int row = 1;
    for (const char c : firsts) {
        if (c == ' ' || c == '=' || c == '\'' || c == '+' || c == '-' || c == '#' || (c >= '0' && c <= '9') ||
            c == '.')
            continue;  // these start numbers, formulas, errors or prefixes: typed with text after below
        clickCell(row, 4);
        type(c);
        type("zz");
        key(Qt::Key_Tab);
        EXPECT_EQ(shown(row, 4), std::string(1, c) + "zz") << "first character '" << c << "'";
        ++row;
    }
}

TEST_F(GridKeyboardTest, AFormulaTypedKeyByKeyGivesItsValue)
{
    auto& wb = widget->workbook();
    wb.setCellValue(1, 2, 2, Value(10.5));
    wb.setCellValue(1, 2, 3, Value(4.57677));
    clickCell(2, 4);
    type("=B2+C2");
    key(Qt::Key_Return);
    EXPECT_EQ(wb.cellFormula(1, 2, 4), "B2+C2");
    EXPECT_EQ(wb.cellValue(1, 2, 4), Value(15.07677));

    clickCell(3, 4);
    type("=SUM(B2:C2)*2");
    key(Qt::Key_Return);
    EXPECT_EQ(wb.cellValue(1, 3, 4), Value(30.15354));
}

TEST_F(GridKeyboardTest, EveryPrintableCharacterGoesIntoTheFormulaBarOnce)
{
    clickCell(3, 3);
    QLineEdit* bar = formulaBar();
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton);
    ASSERT_TRUE(bar->hasFocus());
    const std::string typed = "b" + printableAscii();
    type(typed);
    EXPECT_EQ(bar->text().toStdString(), typed);
    key(Qt::Key_Return);
    EXPECT_EQ(shown(3, 3), typed);

    // From an open in-cell edit into the bar and on.
    clickCell(4, 3);
    type("Ab");
    QTest::mouseClick(bar, Qt::LeftButton);
    QTest::keyClick(bar, Qt::Key_End);
    type("C_+");
    key(Qt::Key_Return);
    EXPECT_EQ(shown(4, 3), "AbC_+");
}

TEST_F(GridKeyboardTest, KeysTheEditorDoesNotTakeLeaveItsTextAlone)
{
    clickCell(2, 2);
    type("ab");
    ASSERT_TRUE(widget->isEditing());
    const Qt::Key keys[] = {Qt::Key_Shift,  Qt::Key_Control, Qt::Key_Alt,      Qt::Key_Meta,     Qt::Key_CapsLock,
                            Qt::Key_F1,     Qt::Key_F2,      Qt::Key_F5,       Qt::Key_F12,
                            Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Pause,   Qt::Key_Print,    Qt::Key_Menu};
    const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
                                          Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier};
    for (const Qt::Key k : keys)
        for (const Qt::KeyboardModifiers m : mods)
            key(k, m);
    EXPECT_TRUE(widget->isEditing());
    type("C");
    key(Qt::Key_Return);
    EXPECT_EQ(shown(2, 2), "abC");
}

TEST_F(GridKeyboardTest, AKeyGivenToTheGridDuringAnEditGoesToTheEditorOnce)
{
    clickCell(2, 2);
    type("ab");
    // The focus moves to the sheet without ending the edit (as a pop-up's going does).
    surface->parentWidget()->setFocus(Qt::PopupFocusReason);
    ASSERT_TRUE(widget->isEditing());
    ASSERT_EQ(QApplication::focusWidget(), surface->parentWidget());
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    for (const char c : std::string_view("C_+x"))
        QTest::keyClick(QApplication::focusWidget(), c, needsShift(c) ? Qt::ShiftModifier : Qt::NoModifier);
    key(Qt::Key_F5, Qt::ShiftModifier);
    key(Qt::Key_Return);
    EXPECT_EQ(shown(2, 2), "abC_+x");
}

} // namespace
