// The grid's commands as a user gives them: Paste Values of formulas, a
// protected sheet refusing every kind of change once with its message, the
// keys that jump through the data, and rows that grow with their font.

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/spreadsheet/GridMetrics.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "tests/platform/spreadsheet/GridFixture.h"
#include "tests/platform/spreadsheet/ValuePrinter.h"

namespace {

using spreadsheet::CellFormat;
using spreadsheet::kMaxCols;
using spreadsheet::kMaxRows;
using spreadsheet::RangeRef;
using spreadsheet::SpreadsheetWidget;
using spreadsheet::Value;
using spreadsheet::Workbook;

class GridCommandsTest : public spreadsheet_test::GridFixture {
protected:
    Workbook& book() { return widget->workbook(); }
    static void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(k), mods);
    }
    static void type(std::string_view text)
    {
        for (const char c : text)
            QTest::keyClick(QApplication::focusWidget(), c);
    }
    RangeRef selection() { return book().SelectionEx(0); }
};

TEST_F(GridCommandsTest, PasteValuesPastesTheValuesTheCellsShow)
{
    Workbook& wb = book();
    wb.setCellValue(1, 2, 2, Value(10.5));
    wb.setCellValue(1, 2, 3, Value(4.57677));
    wb.setCellFormula(1, 2, 4, "B2+C2");
    wb.setCellFormula(1, 2, 5, "D2*2");  // refers inside the copied block
    wb.setCellValue(1, 2, 6, Value("007"));
    const Value sum = wb.cellValue(1, 2, 4);
    const Value twice = wb.cellValue(1, 2, 5);
    ASSERT_NEAR(sum.number(), 15.07677, 1e-12);
    wb.setSelection(2, 4, 2, 6);
    widget->EditCopy();

    for (int pasted = 0; pasted < 2; ++pasted) {  // every time, not only the first
        wb.setSelection(8 + pasted, 2, 8 + pasted, 2);
        widget->EditPasteSpecial(2);
        EXPECT_EQ(wb.cellValue(1, 8 + pasted, 2), sum);
        EXPECT_EQ(wb.cellFormula(1, 8 + pasted, 2), "") << "a value, not a formula";
        EXPECT_EQ(wb.cellValue(1, 8 + pasted, 3), twice);
        EXPECT_EQ(wb.cellValue(1, 8 + pasted, 4), Value("007")) << "a text stays a text";
    }
    wb.setSelection(12, 4, 12, 4);
    widget->EditPasteSpecial(1);
    EXPECT_EQ(wb.cellFormula(1, 12, 4), "B12+C12") << "Paste Formulas still moves the references";
}

TEST_F(GridCommandsTest, AProtectedSheetRefusesEachChangeOnceWithItsMessage)
{
    Workbook& wb = book();
    wb.setCellValue(1, 2, 2, Value(1.0));
    wb.setCellValue(1, 3, 2, Value(2.0));
    wb.setSelection(2, 6, 9, 6);
    wb.formatSelection([](CellFormat& f) { f.locked = false; });
    wb.setSelection(5, 5, 5, 5);
    widget->EditCopy();  // something to paste
    wb.setEnableProtection(true);
    QLineEdit* bar = widget->findChild<QLineEdit*>();
    ASSERT_NE(bar, nullptr);

    struct Row {
        const char* name;
        std::function<void()> act;
    };
    const Row rows[] = {
        {"typing into a locked cell", [&] { clickCell(2, 2), type("9"); }},
        {"F2 on a locked cell", [&] { clickCell(2, 2), key(Qt::Key_F2); }},
        {"the formula bar", [&] {
             clickCell(2, 2);
             QTest::mouseClick(bar, Qt::LeftButton);
             bar->setText("9");
             key(Qt::Key_Return);
         }},
        {"Delete", [&] { clickCell(2, 2), key(Qt::Key_Delete); }},
        {"Delete over locked and unlocked cells", [&] { wb.setSelection(2, 5, 3, 6), key(Qt::Key_Delete); }},
        {"Ctrl+V", [&] { clickCell(3, 2), key(Qt::Key_V, Qt::ControlModifier); }},
        {"Ctrl+X", [&] { clickCell(3, 2), key(Qt::Key_X, Qt::ControlModifier); }},
        {"the fill handle", [&] {
             clickCell(2, 2);
             const QPoint from = widget->fillHandlePosition();
             const QPoint to = widget->cellRect(5, 2).center();
             QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, from);
             QMouseEvent move(QEvent::MouseMove, to, surface->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                              Qt::NoModifier);
             QApplication::sendEvent(surface, &move);
             QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, to);
         }},
    };
    for (const Row& r : rows) {
        platform::ScriptedDialogs boxes;
        const platform::ScopedDialogs scoped(boxes);
        r.act();
        ASSERT_EQ(boxes.calls().size(), 1u) << r.name << ": one message";
        EXPECT_EQ(boxes.last().text, Workbook::kProtectedCells) << r.name;
        EXPECT_EQ(boxes.last().title, SpreadsheetWidget::kProtectedTitle) << r.name;
        EXPECT_FALSE(widget->isEditing()) << r.name;
        EXPECT_EQ(wb.cellValue(1, 2, 2), Value(1.0)) << r.name;
        EXPECT_EQ(wb.cellValue(1, 3, 2), Value(2.0)) << r.name;
        EXPECT_TRUE(wb.cellValue(1, 4, 2).isEmpty()) << r.name;
        EXPECT_TRUE(wb.cellValue(1, 5, 2).isEmpty()) << r.name;
    }

    platform::ScriptedDialogs boxes;
    const platform::ScopedDialogs scoped(boxes);
    clickCell(4, 6);
    type("=B2+B3");
    key(Qt::Key_Return);
    EXPECT_EQ(wb.cellValue(1, 4, 6), Value(3.0)) << "an unlocked cell takes the entry";
    EXPECT_TRUE(boxes.calls().empty());
}

// On every road a formula is entered, one too deep or too long is refused
// with one message, its cell keeping its value; a paste of a block enters
// the rest and says how many cells it left.
TEST_F(GridCommandsTest, AFormulaTooDeepToComputeIsRefusedWithItsMessage)
{
    Workbook& wb = book();
    wb.setCellValue(1, 2, 2, Value(7.0));
    wb.setCellValue(1, 3, 3, Value(8.0));
    const std::string deep = "=" + std::string(1200, '(') + "1" + std::string(1200, ')');
    const std::string megabyte = "=" + std::string(1 << 20, '1');
    QLineEdit* bar = widget->findChild<QLineEdit*>();
    ASSERT_NE(bar, nullptr);
    const auto paste = [&](const std::string& text) {
        clickCell(2, 2);
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
        key(Qt::Key_V, Qt::ControlModifier);
    };
    struct Row {
        const char* name;
        std::function<void()> act;
        std::string_view message;  // how the message begins
    };
    const Row rows[] = {
        {"the formula bar", [&] {
             clickCell(2, 2);
             QTest::mouseClick(bar, Qt::LeftButton);
             bar->setText(QString::fromStdString(deep));
             key(Qt::Key_Return);
         }, Workbook::kFormulaTooLarge},
        {"typing in the cell", [&] {
             clickCell(2, 2);
             type("=");
             auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
             ASSERT_NE(editor, nullptr);
             editor->setText(QString::fromStdString(deep));
             key(Qt::Key_Return);
         }, Workbook::kFormulaTooLarge},
        {"F2", [&] {
             clickCell(2, 2);
             key(Qt::Key_F2);
             auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
             ASSERT_NE(editor, nullptr);
             editor->setText(QString::fromStdString(deep));
             key(Qt::Key_Return);
         }, Workbook::kFormulaTooLarge},
        {"Ctrl+V of a deep formula", [&] { paste(deep); }, Workbook::kFormulasTooLarge},
        {"Ctrl+V of a formula of a megabyte", [&] { paste(megabyte); }, Workbook::kFormulasTooLarge},
    };
    for (const Row& r : rows) {
        platform::ScriptedDialogs boxes;
        const platform::ScopedDialogs scoped(boxes);
        r.act();
        ASSERT_EQ(boxes.calls().size(), 1u) << r.name << ": one message";
        EXPECT_TRUE(boxes.last().text.starts_with(r.message)) << r.name << ": " << boxes.last().text;
        EXPECT_EQ(boxes.last().title, SpreadsheetWidget::kFormulaTitle) << r.name;
        EXPECT_EQ(wb.cellValue(1, 2, 2), Value(7.0)) << r.name << ": the cell keeps its value";
    }

    // A block: the two formulas too large keep their cells, the rest is pasted.
    platform::ScriptedDialogs boxes;
    const platform::ScopedDialogs scoped(boxes);
    paste("1\t=2*3\r\n" + deep + "\t" + megabyte.substr(0, 100002) + "\r\n");
    ASSERT_EQ(boxes.calls().size(), 1u) << "one message for the paste";
    EXPECT_TRUE(boxes.last().text.starts_with(std::string(Workbook::kFormulasTooLarge) + "2 cells are left as they were."))
        << boxes.last().text;
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(1.0));
    EXPECT_EQ(wb.cellValue(1, 2, 3), Value(6.0));
    EXPECT_TRUE(wb.cellValue(1, 3, 2).isEmpty());
    EXPECT_EQ(wb.cellValue(1, 3, 3), Value(8.0));
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{2, 2, 3, 3})) << "what was pasted is selected";
}

TEST_F(GridCommandsTest, CtrlKeysJumpToTheEdgesOfTheDataAndShiftExtends)
{
    Workbook& wb = book();
    for (int r : {2, 3, 4, 5, 9, 10})
        wb.setCellValue(1, r, 2, Value(1.0));
    for (int c : {3, 4, 7})
        wb.setCellValue(1, 2, c, Value(2.0));
    wb.setCellValue(1, 30, 12, Value(3.0));
    clickCell(2, 2);
    struct Row {
        const char* name;
        int key;
        Qt::KeyboardModifiers mods;
        RangeRef selection;
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const Row rows[] = {
        {"down to the block's end", Qt::Key_Down, ctrl, {5, 2, 5, 2}},
        {"down to the next block", Qt::Key_Down, ctrl, {9, 2, 9, 2}},
        {"down inside the second block", Qt::Key_Down, ctrl, {10, 2, 10, 2}},
        {"up inside the second block", Qt::Key_Up, ctrl, {9, 2, 9, 2}},
        {"up over the gap", Qt::Key_Up, ctrl, {5, 2, 5, 2}},
        {"up to the top of the block", Qt::Key_Up, ctrl, {2, 2, 2, 2}},
        {"right to the block's end", Qt::Key_Right, ctrl, {2, 4, 2, 4}},
        {"right over the gap", Qt::Key_Right, ctrl, {2, 7, 2, 7}},
        {"right past the data: the last column", Qt::Key_Right, ctrl, {2, kMaxCols, 2, kMaxCols}},
        {"left back to the data", Qt::Key_Left, ctrl, {2, 7, 2, 7}},
        {"Ctrl+Home", Qt::Key_Home, ctrl, {1, 1, 1, 1}},
        {"Ctrl+End: the last used row and column", Qt::Key_End, ctrl, {30, 12, 30, 12}},
        {"Ctrl+Shift+Home selects back to A1", Qt::Key_Home, ctrlShift, {1, 1, 30, 12}},
        {"Ctrl+Home again", Qt::Key_Home, ctrl, {1, 1, 1, 1}},
        {"a plain arrow moves one cell", Qt::Key_Right, Qt::NoModifier, {1, 2, 1, 2}},
        {"Ctrl+Shift+Down extends to the data", Qt::Key_Down, ctrlShift, {1, 2, 2, 2}},
        {"and on to the block's end", Qt::Key_Down, ctrlShift, {1, 2, 5, 2}},
        {"Ctrl+Shift+Right extends the moving corner", Qt::Key_Right, ctrlShift, {1, 2, 5, kMaxCols}},
        {"Ctrl+Shift+End", Qt::Key_End, ctrlShift, {1, 2, 30, 12}},
    };
    for (const Row& r : rows) {
        key(r.key, r.mods);
        EXPECT_EQ(selection(), r.selection) << r.name;
    }
    EXPECT_EQ(wb.activeRow(), 1) << "extending keeps the active cell";
    EXPECT_EQ(wb.activeCol(), 2);

    wb.setFreeze({1, 3, 1, 1});
    key(Qt::Key_Home, ctrl);
    EXPECT_EQ(selection(), (RangeRef{4, 2, 4, 2})) << "Ctrl+Home goes to the first cell below and right of frozen panes";
}

TEST_F(GridCommandsTest, ARowGrowsToShowItsLargestFont)
{
    Workbook& wb = book();
    wb.setCellValue(1, 3, 2, Value("Large text"));
    const int plain = widget->cellRect(3, 2).height();
    wb.setSelection(3, 2, 3, 2);
    wb.setFontSize(36);
    const QRect grown = widget->cellRect(3, 2);
    QFont font(QString::fromStdString(wb.cellFormat(1, 3, 2).fontName));
    font.setPointSizeF(36 * spreadsheet::grid::kFontPoints / 10.0);
    EXPECT_GT(grown.height(), plain);
    EXPECT_GE(grown.height(), QFontMetrics(font).height()) << "the text is not cut";
    EXPECT_EQ(widget->cellRect(4, 2).height(), plain) << "the next row keeps its height";
    EXPECT_FALSE(wb.sheetFormat(1).hasRowHeight(3));

    wb.SetRowHeight(3, 3, 15);
    EXPECT_LT(widget->cellRect(3, 2).height(), grown.height()) << "a height of the row's own wins";
}

} // namespace
