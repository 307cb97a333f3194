// What the grid shows as a user drives it with keys and clicks: entered
// formulas under manual recalculation, numbers too wide for their cell, and
// each sheet's own scroll position and active cell.

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "tests/platform/spreadsheet/GridFixture.h"
#include "tests/platform/spreadsheet/ValuePrinter.h"

namespace {

using spreadsheet::Value;

class SheetViewTest : public spreadsheet_test::GridFixture {
protected:
    spreadsheet::Workbook& book() const { return widget->workbook(); }

    // Keys go where a keyboard's go: to the widget with the focus.
    static void typeKeys(std::string_view text)
    {
        for (const char c : text) {
            QWidget* focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            QTest::keyClick(focus, c, c == '*' || c == '+' ? Qt::ShiftModifier : Qt::NoModifier);
        }
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, k, mods);
    }
    // Types the entry into the cell, in the cell or through the formula bar.
    void enter(int row, int col, std::string_view text, bool formulaBar)
    {
        clickCell(row, col);
        if (formulaBar) {
            auto* bar = widget->findChild<QLineEdit*>();
            ASSERT_NE(bar, nullptr);
            QTest::mouseClick(bar, Qt::LeftButton);
            QTest::keyClick(bar, Qt::Key_A, Qt::ControlModifier);
        }
        typeKeys(text);
        key(Qt::Key_Return);
    }
    void clickTab(int index)
    {
        auto* tabs = widget->findChild<QTabBar*>();
        ASSERT_NE(tabs, nullptr);
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(index).center());
    }
};

TEST_F(SheetViewTest, AnEnteredFormulaShowsItsResultWhileRecalculationIsOff)
{
    for (const bool formulaBar : {false, true}) {
        SCOPED_TRACE(formulaBar ? "formula bar" : "in the cell");
        book().clearRange(1, {1, 1, 10, 5});
        spreadsheet::WorkbookOptions manual = book().options();
        manual.autoRecalc = false;
        book().setOptions(manual);

        enter(1, 1, "2", formulaBar);
        enter(2, 1, "=A1*3", formulaBar);
        EXPECT_EQ(book().cellValue(1, 2, 1), Value(6.0)) << "the entered formula is computed";
        EXPECT_EQ(book().cellType(2, 1), -1);

        // A change of a precedent leaves its dependants until the recalculation.
        enter(1, 1, "5", formulaBar);
        EXPECT_EQ(book().cellValue(1, 2, 1), Value(6.0));
        // A formula entered now reads what the sheet shows.
        enter(3, 1, "=A2+1", formulaBar);
        EXPECT_EQ(book().cellValue(1, 3, 1), Value(7.0));
        EXPECT_EQ(book().cellValue(1, 2, 1), Value(6.0));

        book().CheckRecalc();
        EXPECT_EQ(book().cellValue(1, 2, 1), Value(15.0));
        EXPECT_EQ(book().cellValue(1, 3, 1), Value(16.0));
    }
}

TEST_F(SheetViewTest, ANumberTooWideForItsCellAtALargeFontShowsAFill)
{
    const auto inkIn = [this](int row, int col) {
        const QImage image = surface->grab().toImage();
        // Inside the grid lines, and of a tall row the part in view.
        const QRect cell = widget->cellRect(row, col).adjusted(3, 3, -3, -3) & image.rect();
        int dark = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        return dark;
    };
    const struct {
        const char* name;
        double points;
    } rows[] = {{"normal font", 10}, {"150 points", 150}, {"the largest font", 409}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        book().setCellValue(1, 2, 2, Value(1234567890123.0));
        book().setSelection(2, 2, 2, 2);
        book().formatSelection([&](spreadsheet::CellFormat& f) { f.fontSize = row.points; });
        clickCell(1, 4);  // the active cell's frame elsewhere
        ASSERT_FALSE(widget->cellRect(2, 2).isNull());
        EXPECT_GT(inkIn(2, 2), 0) << "the cell looks empty";
    }
}

TEST_F(SheetViewTest, EachSheetKeepsItsScrollPositionAndActiveCell)
{
    book().setNumSheets(2);
    book().setSheet(2);
    book().setCellValue(2, 5000, 3, Value(1.0));
    book().setSheet(1);
    clickCell(3, 2);

    clickTab(1);
    ASSERT_EQ(book().Sheet(), 2);
    clickCell(2, 3);
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(book().activeRow(), 5000);
    EXPECT_TRUE(widget->cellRect(1, 1).isNull()) << "scrolled down to the data's end";

    clickTab(0);
    ASSERT_EQ(book().Sheet(), 1);
    EXPECT_FALSE(widget->cellRect(1, 1).isNull()) << "the first sheet shows its top as it did";
    EXPECT_EQ(book().activeRow(), 3);
    EXPECT_EQ(book().activeCol(), 2);

    clickTab(1);
    EXPECT_FALSE(widget->cellRect(5000, 3).isNull()) << "the second sheet shows its end again";
    EXPECT_EQ(book().activeRow(), 5000);
    EXPECT_EQ(book().activeCol(), 3);

    // A sheet that comes new opens at its top-left corner.
    book().InsertSheets(3, 1);
    clickTab(2);
    ASSERT_EQ(book().Sheet(), 3);
    EXPECT_FALSE(widget->cellRect(1, 1).isNull());
}

} // namespace
