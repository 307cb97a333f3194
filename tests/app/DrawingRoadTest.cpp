// What a user does with drawing objects and inserts, end to end through the
// main window on the offscreen platform: menu items and toolbar buttons
// choose a kind, mouse drags and clicks on the sheet draw it, inserted rows
// carry cells, formulas, names and objects along, and a saved workbook
// brings all of it back.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/spreadsheet/DrawingObject.h"
#include "platform/spreadsheet/FormatObjectDialog.h"
#include "platform/spreadsheet/InsertDialogs.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "app/DrawingToolbar.h"
#include "app/StatusTimer.h"
#include "tests/platform/spreadsheet/ValuePrinter.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/ModalDialog.h"

namespace {

using spreadsheet::ObjectKind;
using spreadsheet::Value;
using Strings = std::vector<std::string>;

class DrawingRoad : public shelltest::MainWindowFixture {
protected:
    DrawingRoad()
    {
        child = frame->NewDocument();
        sheet()->resize(900, 600);
    }

    [[nodiscard]] spreadsheet::SpreadsheetWidget* sheet() const { return child->ss(); }
    [[nodiscard]] spreadsheet::Workbook& book() const { return child->workbook(); }
    [[nodiscard]] QWidget* surface() const { return sheet()->gridSurface(); }
    [[nodiscard]] QPoint at(int row, int col) const { return sheet()->cellRect(row, col).center(); }
    void click(const char* key) { shell::DrawingToolbar::of(*frame)->button(QString::fromLatin1(key))->trigger(); }
    [[nodiscard]] Strings pressed() const
    {
        Strings out;
        for (QAction* a : shell::DrawingToolbar::of(*frame)->toolbar()->actions())
            if (a->isChecked())
                out.push_back(a->text().toStdString());
        return out;
    }
    void moveTo(QPoint p)
    {
        QMouseEvent move(QEvent::MouseMove, p, surface()->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(surface(), &move);
    }
    void drag(QPoint from, QPoint to)
    {
        QTest::mousePress(surface(), Qt::LeftButton, Qt::NoModifier, from);
        moveTo((from + to) / 2);
        moveTo(to);
        QTest::mouseRelease(surface(), Qt::LeftButton, Qt::NoModifier, to);
    }
    void clickAt(QPoint p) { QTest::mouseClick(surface(), Qt::LeftButton, Qt::NoModifier, p); }
    void doubleClickAt(QPoint p)
    {
        clickAt(p);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, p, surface()->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(surface(), &dbl);
        QTest::mouseRelease(surface(), Qt::LeftButton, Qt::NoModifier, p);
    }
    [[nodiscard]] std::vector<ObjectKind> kinds() const
    {
        std::vector<ObjectKind> out;
        for (const auto& o : book().objects(1))
            out.push_back(o.kind);
        return out;
    }
    shell::frmMDIChild* child = nullptr;
};

TEST_F(DrawingRoad, MenuItemsAndButtonsChooseAKindThatTheNextDragDraws)
{
    trigger("mnuInsertDOOval");
    EXPECT_EQ(pressed(), Strings{"Ellipse"});
    drag(at(2, 2), at(6, 4));
    trigger("mnuInsertDORectangle");
    drag(at(8, 2), at(10, 3));
    click("Line");
    drag(at(2, 6), at(7, 8));
    click("Chart");
    drag(at(12, 2), at(18, 6));
    trigger("mnuInsertFOCheckbox");
    drag(at(20, 2), at(20, 3));
    EXPECT_EQ(kinds(), (std::vector{ObjectKind::Oval, ObjectKind::Rectangle, ObjectKind::Line, ObjectKind::Chart,
                                    ObjectKind::CheckBox}));
    EXPECT_EQ(book().Mode(), 0) << "each drawing ends its mode";
    EXPECT_TRUE(pressed().empty()) << "and the release of the mouse lets the button go";

    const auto& oval = book().objects(1).front();
    EXPECT_EQ(oval.from.row, 2);
    EXPECT_EQ(oval.from.col, 2);
    EXPECT_EQ(oval.to.row, 6);
    EXPECT_EQ(oval.to.col, 4);
    EXPECT_EQ(book().selectedObjectCount(), 1) << "the new object is selected";
    EXPECT_TRUE(reported.empty());
}

TEST_F(DrawingRoad, APolygonTakesClicksWhileItsButtonStaysPressed)
{
    shell::StatusTimer* timer = shell::StatusTimer::of(*frame);
    click("Freeform");
    clickAt(at(3, 3));
    clickAt(at(3, 6));
    clickAt(at(8, 5));
    timer->tick();
    EXPECT_EQ(pressed(), Strings{"Freeform"});
    EXPECT_EQ(book().Mode(), 8);
    doubleClickAt(at(9, 2));
    timer->tick();
    EXPECT_EQ(book().Mode(), 0);
    EXPECT_TRUE(pressed().empty());
    ASSERT_EQ(kinds(), std::vector{ObjectKind::Polygon});
    EXPECT_GE(book().objects(1).front().points.size(), 4u);
}

TEST_F(DrawingRoad, EscOrCancelInsertObjectEndsTheModeWithoutDrawing)
{
    shell::StatusTimer* timer = shell::StatusTimer::of(*frame);
    trigger("mnuInsertDOArc");
    QTest::keyClick(surface(), Qt::Key_Escape);
    timer->tick();
    EXPECT_EQ(book().Mode(), 0);
    EXPECT_TRUE(pressed().empty());

    trigger("mnuInsertDOLine");
    emit frame->menu(QStringLiteral("mnuInsert"))->aboutToShow();
    trigger("mnuInsertCancel");
    EXPECT_EQ(book().Mode(), 0);
    clickAt(at(4, 4));
    EXPECT_TRUE(book().objects(1).empty()) << "a click after Cancel selects a cell and draws nothing";
}

TEST_F(DrawingRoad, InsertedRowsCarryCellsNamesFormulasAndObjectsAndASavedBookKeepsThem)
{
    for (int r = 1; r <= 3; ++r)
        book().setCellValue(1, r, 1, Value(r * 1.5));
    book().setSelection(1, 1, 3, 1);
    testsupport::onModal<spreadsheet::DefinedNameDialog>([](spreadsheet::DefinedNameDialog& d) {
        d.name()->setText(QStringLiteral("Expr"));
        d.addButton()->click();
    });
    trigger("mnuInsertName");
    book().setCellEntry(1, 5, 2, "=SUM(Expr)*2");
    EXPECT_EQ(book().cellValue(1, 5, 2), Value(18.0));
    trigger("mnuInsertDORectangle");
    drag(at(2, 3), at(4, 4));

    book().setSelection(1, 1, 2, 1);  // two rows from row 1
    trigger("mnuInsertRows");
    EXPECT_EQ(book().cellValue(1, 3, 1), Value(1.5));
    EXPECT_EQ(book().cellFormula(1, 7, 2), "SUM(Expr)*2");
    EXPECT_EQ(book().cellValue(1, 7, 2), Value(18.0));
    ASSERT_NE(book().findDefinedName("expr"), nullptr);
    EXPECT_EQ(book().findDefinedName("expr")->refersTo, "Sheet1!$A$3:$A$5");
    ASSERT_EQ(book().objects(1).size(), 1u);
    EXPECT_EQ(book().objects(1).front().from.row, 4);
    EXPECT_EQ(book().objects(1).front().to.row, 6);

    const std::string file = m_dir.file("drawn.vts").string();
    boxes.choose(file, 3);
    trigger("mnuFileSaveAs");
    // A copy: the saved file itself is held by this window and would only bring it back.
    const std::string copy = m_dir.file("copy of drawn.vts").string();
    std::filesystem::copy_file(file, copy);
    boxes.choose(copy);
    trigger("mnuFileOpen");
    shell::frmMDIChild* reopened = frame->ActiveChild();
    ASSERT_NE(reopened, child);
    const spreadsheet::Workbook& back = reopened->workbook();
    EXPECT_EQ(back.objects(1), book().objects(1));
    EXPECT_EQ(back.definedNames(), book().definedNames());
    EXPECT_EQ(back.cellValue(1, 7, 2), Value(18.0));
    EXPECT_TRUE(reported.empty());
}

// ---- pictures -----------------------------------------------------------------------

TEST_F(DrawingRoad, ScreenshotOfObjectsDrawnOverThousandsOfLoci)
{
    const char* shot = std::getenv("TESSARAY_SCREENSHOT");
    if (!shot)
        GTEST_SKIP() << "set TESSARAY_SCREENSHOT to a PNG path to take the picture";
    spreadsheet::Workbook& wb = book();
    wb.setCellValue(1, 1, 1, Value("Locus"));
    for (int c = 0; c < 6; ++c)
        wb.setCellValue(1, 1, c + 2, Value(std::to_string(c * 2) + "h"));
    for (int r = 0; r < 6000; ++r) {
        wb.setCellValue(1, r + 2, 1, Value("YBR" + std::to_string(1000 + r) + (r % 2 ? "W" : "C")));
        for (int c = 0; c < 6; ++c)
            wb.setCellValue(1, r + 2, c + 2, Value(std::sin(r * 0.7 + c) * 2.5 - 0.25 * c));
    }
    frame->resize(1200, 700);
    if (QWidget* sub = child->parentWidget())
        sub->showMaximized();
    QApplication::processEvents();

    book().setSelection(2, 2, 7, 7);
    click("Chart");
    drag(at(10, 2), at(22, 7));
    trigger("mnuInsertDORectangle");
    drag(at(2, 9), at(5, 11));
    auto note = book().objects(1).back();
    note.text = "Induced after 4h";
    note.style.fillColor = 0xFFF2CC;
    book().setObject(1, note);
    click("Line");
    drag(at(5, 9), at(8, 8));
    auto arrow = book().objects(1).back();
    arrow.style.arrowAtEnd = true;
    arrow.style.lineColor = 0xC00000;
    arrow.style.lineWidth = 1.5;
    book().setObject(1, arrow);
    trigger("mnuInsertDOOval");
    drag(at(9, 9), at(14, 11));
    click("Freeform");
    clickAt(at(16, 10));
    clickAt(at(17, 12));
    clickAt(at(21, 11));
    doubleClickAt(at(20, 9));
    trigger("mnuInsertFOButton");
    drag(at(2, 12), at(3, 13));
    trigger("mnuInsertFOCheckbox");
    drag(at(5, 12), at(5, 14));
    auto check = book().objects(1).back();
    check.text = "Log scale";
    check.checkState = 1;
    book().setObject(1, check);
    trigger("mnuInsertFOListbox");
    drag(at(7, 12), at(7, 14));
    book().selectObject(book().objects(1)[3].id, false);  // the oval
    trigger("mnuInsertDOArc");
    QApplication::processEvents();
    ASSERT_TRUE(frame->grab().save(QString::fromLocal8Bit(shot)));

    QString base = QString::fromLocal8Bit(shot);
    base.chop(4);
    testsupport::onModal<spreadsheet::FormatObjectDialog>([base](spreadsheet::FormatObjectDialog& d) {
        QApplication::processEvents();
        EXPECT_TRUE(d.grab().save(base + QStringLiteral("-FormatObjectDlg.png")));
    });
    QTest::keyClick(surface(), Qt::Key_Escape);
    emit frame->menu(QStringLiteral("mnuFormat"))->aboutToShow();
    trigger("mnuFormatObject");

    book().setSelection(3, 2, 5, 3);
    testsupport::onModal<spreadsheet::InsertCellsDialog>([base](spreadsheet::InsertCellsDialog& d) {
        QApplication::processEvents();
        EXPECT_TRUE(d.grab().save(base + QStringLiteral("-InsertDlg.png")));
    });
    trigger("mnuInsertCells");
    book().setCellEntry(1, 2, 9, "=SUM(Expr)");
    book().setDefinedName("Expr", "Sheet1!$B$2:$G$6001");
    testsupport::onModal<spreadsheet::DefinedNameDialog>([base](spreadsheet::DefinedNameDialog& d) {
        d.names()->setCurrentRow(0);
        QApplication::processEvents();
        EXPECT_TRUE(d.grab().save(base + QStringLiteral("-DefineNameDlg.png")));
    });
    trigger("mnuInsertName");
}

} // namespace
