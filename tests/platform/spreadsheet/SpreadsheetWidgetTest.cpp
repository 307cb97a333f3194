#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include <QCheckBox>
#include <QTimer>

#include <functional>

#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/WorkbookOptionsDialog.h"

namespace {

using spreadsheet::RangeRef;
using spreadsheet::SpreadsheetWidget;
using spreadsheet::Value;

class SpreadsheetWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        widget = std::make_unique<SpreadsheetWidget>();
        widget->resize(800, 600);
        widget->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget.get()));
        surface = widget->gridSurface();
    }

    QPoint centre(int row, int col) const { return widget->cellRect(row, col).center(); }

    void press(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mousePress(surface, Qt::LeftButton, mods, at);
    }
    void dragTo(QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, surface->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(surface, &move);
    }
    void release(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseRelease(surface, Qt::LeftButton, mods, at);
    }
    // Keys go where a keyboard's go: to the widget with the focus (the grid,
    // then its in-cell editor).
    void typeKeys(std::string_view text)
    {
        for (const char c : text)
            QTest::keyClick(widget->focusWidget(), c);
    }
    void typeKey(Qt::Key key) { QTest::keyClick(widget->focusWidget(), key); }

    std::unique_ptr<SpreadsheetWidget> widget;
    QWidget* surface = nullptr;
};

TEST_F(SpreadsheetWidgetTest, ClickSelectsOneCellAndDragSelectsABlock)
{
    QSignalSpy changed(widget.get(), &SpreadsheetWidget::selectionChanged);
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, centre(3, 2));
    auto& wb = widget->workbook();
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{3, 2, 3, 2}));
    EXPECT_EQ(wb.activeRow(), 3);
    EXPECT_GE(changed.count(), 1);

    press(centre(2, 2));
    dragTo(centre(5, 4));
    release(centre(5, 4));
    EXPECT_EQ(wb.SelectionCount(), 1);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{2, 2, 5, 4}));
    EXPECT_EQ(wb.activeRow(), 2) << "the active cell stays where the drag began";
    EXPECT_EQ(wb.activeCol(), 2);

    // Dragging up and left of the start orders the corners.
    press(centre(6, 5));
    dragTo(centre(4, 3));
    release(centre(4, 3));
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{4, 3, 6, 5}));
}

TEST_F(SpreadsheetWidgetTest, ControlClickAddsRangesAndShiftClickExtends)
{
    auto& wb = widget->workbook();
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, centre(1, 1));
    press(centre(4, 3), Qt::ControlModifier);
    dragTo(centre(6, 4));
    release(centre(6, 4), Qt::ControlModifier);
    ASSERT_EQ(wb.SelectionCount(), 2);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{1, 1, 1, 1}));
    EXPECT_EQ(wb.SelectionEx(1), (RangeRef{4, 3, 6, 4}));

    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, centre(2, 2));
    QTest::mouseClick(surface, Qt::LeftButton, Qt::ShiftModifier, centre(3, 5));
    EXPECT_EQ(wb.SelectionCount(), 1);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{2, 2, 3, 5}));
}

TEST_F(SpreadsheetWidgetTest, HeadersSelectWholeColumnsAndRows)
{
    auto& wb = widget->workbook();
    const QPoint colB(centre(1, 2).x(), 5);
    const QPoint colD(centre(1, 4).x(), 5);
    press(colB);
    dragTo(colD);
    release(colD);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{1, 2, 16384, 4}));

    const QPoint row3(5, centre(3, 1).y());
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, row3);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{3, 1, 3, 256}));
}

TEST_F(SpreadsheetWidgetTest, TypingIntoACellUpdatesTheModel)
{
    auto& wb = widget->workbook();
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, centre(2, 3));
    typeKeys("12.5");
    EXPECT_TRUE(widget->isEditing());
    typeKey(Qt::Key_Return);
    EXPECT_FALSE(widget->isEditing());
    EXPECT_EQ(wb.cellValue(1, 2, 3), Value(12.5));
    EXPECT_EQ(wb.activeRow(), 3) << "Enter moves down";
    EXPECT_TRUE(wb.isChanged());

    typeKeys("=C2*2");
    typeKey(Qt::Key_Return);
    EXPECT_EQ(wb.cellValue(1, 3, 3), Value(25));

    typeKeys("gone");
    typeKey(Qt::Key_Escape);
    EXPECT_TRUE(wb.cellValue(1, 4, 3).isEmpty()) << "Escape drops the edit";
}

TEST_F(SpreadsheetWidgetTest, CopyGivesTabTextAndPasteFillsFromTheActiveCell)
{
    auto& wb = widget->workbook();
    wb.setCellValue(1, 1, 1, Value("a"));
    wb.setCellValue(1, 1, 2, Value(1.5));
    wb.setCellValue(1, 2, 2, Value::logical(true));
    wb.setSelection(1, 1, 2, 2);
    QTest::keyClick(surface, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "a\t1.5\r\n\tTRUE\r\n");

    wb.setSelection(5, 5, 5, 5);
    QTest::keyClick(surface, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(wb.cellValue(1, 5, 5), Value("a"));
    EXPECT_EQ(wb.cellValue(1, 5, 6), Value(1.5));
    EXPECT_EQ(wb.cellValue(1, 6, 6), Value::logical(true));
}

TEST_F(SpreadsheetWidgetTest, PointerTestsAndMouseUpEvent)
{
    QSignalSpy up(widget.get(), &SpreadsheetWidget::mouseUp);
    const QPoint at = centre(4, 3);
    QTest::mouseClick(surface, Qt::RightButton, Qt::NoModifier, at);
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(widget->rowAtY(at.y()), 4);
    EXPECT_EQ(widget->colAtX(at.x()), 3);
    EXPECT_EQ(widget->rowAtY(2) + widget->colAtX(2), 0) << "the header corner is no cell";
}

TEST_F(SpreadsheetWidgetTest, ZoomIsClampedAndFormulaBarToggles)
{
    widget->setViewScale(5);
    EXPECT_EQ(widget->ViewScale(), 11);
    widget->setViewScale(400);
    EXPECT_EQ(widget->ViewScale(), 399);
    widget->setViewScale(200);
    EXPECT_EQ(widget->colAtX(widget->cellRect(1, 2).center().x()), 2);
    EXPECT_TRUE(widget->ShowEditBar());
    widget->setShowEditBar(false);
    EXPECT_FALSE(widget->ShowEditBar());
}

TEST_F(SpreadsheetWidgetTest, ArrowKeysMoveAndShiftArrowsExtend)
{
    auto& wb = widget->workbook();
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, centre(2, 2));
    QTest::keyClick(surface, Qt::Key_Right);
    QTest::keyClick(surface, Qt::Key_Down);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{3, 3, 3, 3}));
    QTest::keyClick(surface, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(surface, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{3, 3, 4, 4}));
    EXPECT_EQ(wb.activeRow(), 3);
    QTest::keyClick(surface, Qt::Key_Delete);
}

TEST_F(SpreadsheetWidgetTest, DraggingTheFillHandleContinuesTheGeneList)
{
    auto& wb = widget->workbook();
    wb.setFillList(wb.fillListCount() + 1, "G1;G2;G3;G4;G5;");
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, centre(1, 1));
    typeKeys("G1");
    typeKey(Qt::Key_Return);
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, centre(1, 1));
    const QPoint handle = widget->fillHandlePosition();
    ASSERT_FALSE(handle.isNull());
    press(handle);
    dragTo(centre(4, 1));
    release(centre(4, 1));
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value("G2"));
    EXPECT_EQ(wb.cellValue(1, 4, 1), Value("G4"));
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{1, 1, 4, 1}));
}

TEST_F(SpreadsheetWidgetTest, FormulaBarShowsAndEntersTheActiveCell)
{
    auto& wb = widget->workbook();
    wb.setCellFormula(1, 1, 1, "1+2");
    wb.setSelection(1, 1, 1, 1);
    auto* bar = widget->findChild<QLineEdit*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->text().toStdString(), "=1+2");
    bar->setFocus();
    bar->setText("=A1*10");
    QTest::keyClick(bar, Qt::Key_Return);
    EXPECT_EQ(wb.cellValue(1, 1, 1).isError(), true) << "a formula that refers to itself";
    bar->setText("5");
    QTest::keyClick(bar, Qt::Key_Return);
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value(5));
}

TEST_F(SpreadsheetWidgetTest, CutCopiesThenClears)
{
    auto& wb = widget->workbook();
    wb.setCellValue(1, 2, 2, Value("moved"));
    wb.setSelection(2, 2, 2, 2);
    QTest::keyClick(surface, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(wb.cellValue(1, 2, 2).isEmpty());
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "moved\r\n");
}

TEST_F(SpreadsheetWidgetTest, ClosingWithAnOpenEditorIsSafe)
{
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, centre(2, 2));
    typeKeys("unfinished");
    ASSERT_TRUE(widget->isEditing());
    widget.reset();
    QApplication::processEvents();
    SUCCEED();
}

TEST_F(SpreadsheetWidgetTest, KeysSelectRowsColumnsAndTheSheet)
{
    auto& wb = widget->workbook();
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, centre(3, 2));
    QTest::keyClick(surface, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{3, 1, 3, 256}));
    QTest::keyClick(surface, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{1, 2, 16384, 2}));
    QTest::keyClick(surface, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{1, 1, 16384, 256}));
    EXPECT_EQ(wb.activeRow(), 3) << "the active cell stays";
    EXPECT_EQ(wb.activeCol(), 2);
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(wb.SelectionEx(0), (RangeRef{1, 1, 16384, 256})) << "the header corner selects the sheet";
}

} // namespace

namespace {

// Runs `act` on the options dialog once it is up.
void onOptionsDialog(std::function<void(spreadsheet::WorkbookOptionsDialog&)> act)
{
    QTimer::singleShot(0, [act = std::move(act)] {
        auto* dialog = qobject_cast<spreadsheet::WorkbookOptionsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
    });
}

} // namespace

TEST_F(SpreadsheetWidgetTest, OptionsDialogChangesRecalculationGridAndHeadings)
{
    spreadsheet::Workbook& book = widget->workbook();
    const QRect withHeadings = widget->cellRect(1, 1);
    EXPECT_GT(withHeadings.x(), 0);
    EXPECT_GT(withHeadings.y(), 0);

    onOptionsDialog([](spreadsheet::WorkbookOptionsDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Options");
        for (QCheckBox* box : {d.chkAutoRecalc(), d.chkGridLines(), d.chkRowHeading(), d.chkColHeading()}) {
            EXPECT_TRUE(box->isChecked());
            EXPECT_TRUE(box->isVisibleTo(&d));
        }
        d.chkAutoRecalc()->setChecked(false);
        d.chkGridLines()->setChecked(false);
        d.chkRowHeading()->setChecked(false);
        d.accept();
    });
    widget->OptionsDlg(spreadsheet::WorkbookOptionsDialog::AllPages);
    EXPECT_FALSE(book.options().autoRecalc);
    EXPECT_FALSE(book.options().showGridLines);
    EXPECT_FALSE(book.options().showRowHeading);
    EXPECT_TRUE(book.options().showColHeading);
    EXPECT_EQ(widget->cellRect(1, 1).x(), 0) << "no row numbers at the left";
    EXPECT_EQ(widget->cellRect(1, 1).y(), withHeadings.y());

    // Cancel leaves everything as it is; the page mask picks the pages.
    onOptionsDialog([](spreadsheet::WorkbookOptionsDialog& d) {
        EXPECT_FALSE(d.chkAutoRecalc()->isVisibleTo(&d));
        EXPECT_TRUE(d.chkColHeading()->isVisibleTo(&d));
        d.chkColHeading()->setChecked(false);
        d.reject();
    });
    widget->OptionsDlg(spreadsheet::WorkbookOptionsDialog::PageView);
    EXPECT_TRUE(book.options().showColHeading);
    const int modalsBefore = QApplication::activeModalWidget() == nullptr ? 0 : 1;
    widget->OptionsDlg(0);  // no page: nothing opens
    EXPECT_EQ(QApplication::activeModalWidget() == nullptr ? 0 : 1, modalsBefore);
}

TEST_F(SpreadsheetWidgetTest, GridWithoutLinesPaintsNoLines)
{
    spreadsheet::WorkbookOptions options;
    options.showGridLines = false;
    options.showRowHeading = false;
    options.showColHeading = false;
    widget->workbook().setOptions(options);
    const QImage image = surface->grab().toImage();
    // Every pixel of an empty sheet without lines or headings is white.
    const QRect active = widget->cellRect(1, 1).adjusted(-3, -3, 3, 3);
    int grey = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width() - 20; ++x) {
            if (active.contains(x, y)) {
                continue;  // the active cell's border and fill handle
            }
            grey += image.pixelColor(x, y) == QColor(Qt::white) ? 0 : 1;
        }
    }
    EXPECT_EQ(grey, 0);
}

TEST_F(SpreadsheetWidgetTest, ManualPageBreaksShowAsDashedLinesWhereTheirPagesStart)
{
    spreadsheet::Workbook& book = widget->workbook();
    const auto breakPixels = [&](bool alongRow, int n) {
        const QImage image = surface->grab().toImage();
        const QRect cell = alongRow ? widget->cellRect(n, 3) : widget->cellRect(3, n);
        int count = 0;
        for (int i = 0; i < (alongRow ? cell.width() : cell.height()); ++i) {
            const QPoint at = alongRow ? QPoint(cell.left() + i, cell.top()) : QPoint(cell.left(), cell.top() + i);
            count += image.pixelColor(at) == QColor(40, 40, 160) ? 1 : 0;
        }
        return count;
    };
    EXPECT_EQ(breakPixels(true, 6), 0);
    book.setSelection(6, 4, 6, 4);
    book.AddPageBreak();  // rows from 6 and columns from D start new pages
    EXPECT_GT(breakPixels(true, 6), 0);
    EXPECT_GT(breakPixels(false, 4), 0);
    EXPECT_EQ(breakPixels(true, 7), 0);
    book.insertRows(1, 1, 2);  // the break moves with its row
    EXPECT_EQ(breakPixels(true, 6), 0);
    EXPECT_GT(breakPixels(true, 8), 0);
}

namespace {

// Dark (text) pixels inside a cell, away from its grid lines.
int inkIn(const QImage& image, const QRect& cell)
{
    int ink = 0;
    for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
        for (int x = cell.left() + 2; x < cell.right() - 1; ++x)
            ink += image.pixelColor(x, y).lightness() < 100 ? 1 : 0;
    return ink;
}

// A number whose code has no text for it leaves its cell empty, in a wide
// column and in one too narrow for a '#'; the cells beside it still draw
// their texts.
TEST_F(SpreadsheetWidgetTest, ACodeWithNoTextForTheValuePaintsAnEmptyCell)
{
    spreadsheet::Workbook& wb = widget->workbook();
    const struct {
        std::int32_t row;
        double value;
        const char* code;
        bool ink;
    } cells[] = {
        {2, 0, "#", false}, {3, 0.25, "#,###", false}, {4, 1.5, "[h]:mm", true}, {5, 1.5, "# ?/?", true},
    };
    for (const auto& c : cells) {
        for (std::int32_t col = 2; col <= 3; ++col) {
            wb.setCellValue(1, c.row, col, Value(c.value));
            wb.setSelection(c.row, col, c.row, col);
            wb.setNumberFormat(c.code);
        }
    }
    wb.SetColWidth(2, 2, 20);
    wb.SetColWidth(3, 3, 1.5);
    wb.setSelection(10, 6, 10, 6);
    const QImage image = surface->grab().toImage();
    for (const auto& c : cells) {
        EXPECT_EQ(inkIn(image, widget->cellRect(c.row, 2)) > 0, c.ink) << c.code << " in a wide column";
        if (!c.ink)
            EXPECT_EQ(inkIn(image, widget->cellRect(c.row, 3)), 0) << c.code << " in a narrow column";
        else
            EXPECT_GT(inkIn(image, widget->cellRect(c.row, 3)), 0) << c.code << " shows '#' in a narrow column";
    }
}

} // namespace
