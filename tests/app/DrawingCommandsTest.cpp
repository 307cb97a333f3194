// The Insert menu, the drawing toolbar, the release of its buttons, and the
// Edit and Format menus' object items, through the real main window and a
// document window on the offscreen platform.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/spreadsheet/DrawingObject.h"
#include "platform/spreadsheet/FormatObjectDialog.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "shell/core/ProgramInfo.h"
#include "app/DrawingToolbar.h"
#include "app/StatusTimer.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using spreadsheet::DrawingObject;
using spreadsheet::ObjectKind;

class DrawingWindow : public shelltest::MainWindowFixture {
protected:
    DrawingWindow() { child = frame->NewDocument(); }

    [[nodiscard]] spreadsheet::Workbook& book() const { return child->workbook(); }
    [[nodiscard]] QAction* item(const char* name) const { return frame->action(QString::fromLatin1(name)); }
    [[nodiscard]] QAction* button(const char* key) const
    {
        return shell::DrawingToolbar::of(*frame)->button(QString::fromLatin1(key));
    }
    // The keys of the drawing buttons shown pressed.
    [[nodiscard]] std::vector<std::string> pressed() const
    {
        std::vector<std::string> out;
        for (QAction* a : shell::DrawingToolbar::of(*frame)->toolbar()->actions())
            if (a->isChecked())
                out.push_back(a->text().toStdString());
        return out;
    }
    void open(const char* menu) { emit frame->menu(QString::fromLatin1(menu))->aboutToShow(); }
    // An object of the kind on the active sheet, anchored at B2:D6.
    std::int32_t add(ObjectKind kind)
    {
        DrawingObject o;
        o.kind = kind;
        o.from = {2, 2, 0, 0};
        o.to = {6, 4, 0, 0};
        if (kind == ObjectKind::Polygon)
            o.points = {{0, 0}, {1, 0}, {0.5, 1}};
        return book().addObject(1, o);
    }
    [[nodiscard]] std::vector<std::int32_t> stack() const
    {
        std::vector<std::int32_t> ids;
        for (const DrawingObject& o : book().objects(1))
            ids.push_back(o.id);
        return ids;
    }
    void closeDocument()
    {
        child->workbook().setChanged(false);
        child->parentWidget()->close();
        QApplication::processEvents();
        ASSERT_TRUE(frame->Documents().empty());
        child = nullptr;
    }

    shell::frmMDIChild* child = nullptr;
};

using Strings = std::vector<std::string>;

// ---- Insert menu -------------------------------------------------------------------

TEST_F(DrawingWindow, InsertMenuLayoutAndCancelDisabledAtStart)
{
    // Names of the menu's entries in order; "-" a separator.
    const auto entries = [](QMenu* menu) {
        Strings out;
        for (QAction* a : menu->actions())
            out.push_back(a->isSeparator() ? std::string("-") : a->objectName().toStdString());
        return out;
    };
    EXPECT_EQ(entries(frame->menu(QStringLiteral("mnuInsert"))),
              (Strings{"mnuInsertCells", "mnuInsertRows", "mnuInsertColumns", "mnuInsertWorksheet", "mnuInsertChart",
                       "-", "mnuInsertPageBreak", "mnuInsertName", "-", "mnuInsertDrawingObject",
                       "mnuInsertFormsObject", "-", "mnuInsertCancel"}));
    EXPECT_EQ(entries(frame->menu(QStringLiteral("mnuInsertDrawingObject"))),
              (Strings{"mnuInsertDOArc", "mnuInsertDOLine", "mnuInsertDOOval", "mnuInsertDOPolygon",
                       "mnuInsertDORectangle"}));
    EXPECT_EQ(entries(frame->menu(QStringLiteral("mnuInsertFormsObject"))),
              (Strings{"mnuInsertFOButton", "mnuInsertFOCheckbox", "mnuInsertFOListbox"}));
    EXPECT_EQ(item("mnuInsertCancel")->text(), QStringLiteral("C&ancel Insert Object"));
    EXPECT_FALSE(item("mnuInsertCancel")->isEnabled());
    for (const char* name : {"mnuInsertCells", "mnuInsertRows", "mnuInsertName", "mnuInsertDrawingObject",
                             "mnuInsertDOOval", "mnuInsertFormsObject", "mnuInsertFOListbox", "mnuInsertChart"})
        EXPECT_TRUE(item(name)->isEnabled()) << name;
}

TEST_F(DrawingWindow, ObjectItemsSetTheModeAndPressOnlyTheirButton)
{
    struct Case {
        const char* item;
        std::int32_t mode;
        Strings pressed;
    };
    const Case cases[] = {
        {"mnuInsertDOLine", 1, {"Line"}},          {"mnuInsertDORectangle", 2, {"Rectangle"}},
        {"mnuInsertDOOval", 3, {"Ellipse"}},       {"mnuInsertDOArc", 4, {"Arc"}},
        {"mnuInsertChart", 5, {"Chart"}},          {"mnuInsertFOButton", 7, {"Button"}},
        {"mnuInsertDOPolygon", 8, {"Freeform"}},   {"mnuInsertFOCheckbox", 9, {}},
        {"mnuInsertFOListbox", 10, {}},
    };
    // Each item follows another mode: no button of an earlier mode stays down.
    trigger("mnuInsertDOOval");
    for (const Case& c : cases) {
        trigger(c.item);
        EXPECT_EQ(book().Mode(), c.mode) << c.item;
        EXPECT_EQ(pressed(), c.pressed) << c.item;
    }
    EXPECT_TRUE(reported.empty());
}

TEST_F(DrawingWindow, OpeningTheMenuFollowsTheObjectSelectionAndTheMode)
{
    const char* cellItems[] = {"mnuInsertCells", "mnuInsertRows", "mnuInsertColumns", "mnuInsertPageBreak"};
    const std::int32_t id = add(ObjectKind::Rectangle);
    book().selectObject(id, false);
    open("mnuInsert");
    for (const char* name : cellItems)
        EXPECT_FALSE(item(name)->isEnabled()) << name;
    EXPECT_TRUE(item("mnuInsertWorksheet")->isEnabled());
    EXPECT_TRUE(item("mnuInsertName")->isEnabled());
    EXPECT_FALSE(item("mnuInsertCancel")->isEnabled());  // mode 0 leaves it as it was

    book().deselectObjects();
    book().setMode(3);
    open("mnuInsert");
    for (const char* name : cellItems)
        EXPECT_TRUE(item(name)->isEnabled()) << name;
    EXPECT_TRUE(item("mnuInsertCancel")->isEnabled());

    // Back in mode 0 the item stays enabled until it is chosen.
    book().setMode(0);
    open("mnuInsert");
    EXPECT_TRUE(item("mnuInsertCancel")->isEnabled());
    trigger("mnuInsertCancel");
    EXPECT_EQ(book().Mode(), 0);
    EXPECT_FALSE(item("mnuInsertCancel")->isEnabled());
}

TEST_F(DrawingWindow, CancelEndsTheInsertModeAndWithoutAWindowOnlyDisablesItself)
{
    trigger("mnuInsertDOPolygon");
    open("mnuInsert");
    trigger("mnuInsertCancel");
    EXPECT_EQ(book().Mode(), 0);
    EXPECT_FALSE(item("mnuInsertCancel")->isEnabled());

    trigger("mnuInsertFOCheckbox");
    open("mnuInsert");
    closeDocument();
    open("mnuInsert");  // no sheet to ask: nothing happens
    trigger("mnuInsertCancel");
    EXPECT_FALSE(item("mnuInsertCancel")->isEnabled());
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(DrawingWindow, RowsColumnsAndWorksheetInsertAndARefusalSaysWhy)
{
    book().setCellValue(1, 1, 1, spreadsheet::Value(7.0));
    book().setSelectionRef("A1:A3");
    trigger("mnuInsertRows");
    EXPECT_EQ(book().cellValue(1, 4, 1).number(), 7.0);
    book().setSelectionRef("A1");
    trigger("mnuInsertColumns");
    EXPECT_EQ(book().cellValue(1, 4, 2).number(), 7.0);
    trigger("mnuInsertPageBreak");
    trigger("mnuInsertWorksheet");
    EXPECT_EQ(book().NumSheets(), 2);

    EXPECT_TRUE(boxes.calls().empty());

    // Rows or columns that would push a value off the sheet: refused with
    // the reason, the sheet unchanged, nothing for the error reporter.
    const std::int32_t sheet = book().Sheet();
    book().setCellValue(sheet, spreadsheet::kMaxRows, 1, spreadsheet::Value(1.0));
    book().setCellValue(sheet, 1, spreadsheet::kMaxCols, spreadsheet::Value(2.0));
    book().setSelectionRef("A1");
    for (const char* item : {"mnuInsertRows", "mnuInsertColumns"}) {
        trigger(item);
        ASSERT_FALSE(boxes.calls().empty()) << item;
        EXPECT_EQ(boxes.last().text, spreadsheet::Workbook::kInsertOffSheet) << item;
        EXPECT_EQ(boxes.last().title, shell::ProgramInfo::Title) << item;
    }
    EXPECT_EQ(boxes.calls().size(), 2u);
    EXPECT_EQ(book().cellValue(sheet, spreadsheet::kMaxRows, 1).number(), 1.0);
    EXPECT_EQ(book().cellValue(sheet, 1, spreadsheet::kMaxCols).number(), 2.0);
    EXPECT_TRUE(reported.empty());
}

TEST_F(DrawingWindow, CellsAndNameOpenTheSheetsDialogs)
{
    // Whatever dialog the sheet opens is closed again.
    for (const char* name : {"mnuInsertCells", "mnuInsertName"}) {
        QTimer::singleShot(0, [] {
            if (QWidget* d = QApplication::activeModalWidget())
                d->close();
        });
        trigger(name);
        QApplication::processEvents();
    }
    EXPECT_TRUE(reported.empty());
}

TEST_F(DrawingWindow, ItemsWithoutAWindowDoNothing)
{
    closeDocument();
    for (const char* name : {"mnuInsertCells", "mnuInsertRows", "mnuInsertColumns", "mnuInsertWorksheet",
                             "mnuInsertPageBreak", "mnuInsertName", "mnuInsertDOLine", "mnuInsertFOListbox"})
        trigger(name);
    EXPECT_TRUE(pressed().empty());
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(boxes.calls().empty());
}

// ---- drawing toolbar ---------------------------------------------------------------

TEST_F(DrawingWindow, DrawingToolbarHasItsEightButtonsWithPictures)
{
    const QList<QAction*> buttons = shell::DrawingToolbar::of(*frame)->toolbar()->actions();
    Strings keys;
    for (QAction* a : buttons) {
        keys.push_back(a->toolTip().toStdString());
        EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
    }
    EXPECT_EQ(keys, (Strings{"Line", "Arc", "Rectangle", "Ellipse", "Freeform", "Drawing", "Chart", "Button"}));
}

TEST_F(DrawingWindow, DrawButtonsChooseTheirModeReleaseTheOthersAndEndItWhenClickedTwice)
{
    struct Step {
        const char* key;
        std::int32_t mode;
        Strings pressed;
    };
    const Step steps[] = {
        {"Line", 1, {"Line"}},
        {"Arc", 4, {"Arc"}},
        {"Rectangle", 2, {"Rectangle"}},
        {"Ellipse", 3, {"Ellipse"}},
        {"Drawing", 3, {"Ellipse"}},  // no action
        {"Ellipse", 0, {}},           // twice: mode 0, released
        {"Freeform", 8, {"Freeform"}},
        {"Chart", 5, {"Chart"}},
        {"Button", 7, {"Button"}},
        {"Button", 0, {}},
    };
    for (const Step& s : steps) {
        button(s.key)->trigger();
        EXPECT_EQ(book().Mode(), s.mode) << s.key;
        EXPECT_EQ(pressed(), s.pressed) << s.key;
    }
    // A mode the menu set without a button: the toolbar's click chooses its own.
    trigger("mnuInsertFOCheckbox");
    button("Line")->trigger();
    EXPECT_EQ(book().Mode(), 1);
    EXPECT_EQ(pressed(), Strings{"Line"});
    EXPECT_TRUE(reported.empty());
}

TEST_F(DrawingWindow, DrawButtonsWithoutAWindowDoNothing)
{
    closeDocument();
    button("Line")->trigger();
    button("Drawing")->trigger();
    EXPECT_TRUE(pressed().empty());
    EXPECT_TRUE(reported.empty());
}

TEST_F(DrawingWindow, LeftMouseReleaseOnTheSheetReleasesTheButtonsExceptWhileDrawingAPolygon)
{
    struct Case {
        const char* key;
        Qt::MouseButton mouse;
        Strings after;
    };
    const Case cases[] = {
        {"Line", Qt::LeftButton, {}},
        {"Chart", Qt::LeftButton, {}},
        {"Freeform", Qt::LeftButton, {"Freeform"}},  // a polygon takes several clicks
    };
    for (const Case& c : cases) {
        book().setMode(0);
        button(c.key)->trigger();
        emit child->ss()->mouseUp(c.mouse, Qt::NoModifier, 0, 0);
        EXPECT_EQ(pressed(), c.after) << c.key;
    }
}

TEST_F(DrawingWindow, StatusTimerReleasesTheButtonsOnceTheModeHasEnded)
{
    shell::StatusTimer* timer = shell::StatusTimer::of(*frame);
    button("Rectangle")->trigger();
    timer->tick();
    EXPECT_EQ(pressed(), Strings{"Rectangle"});
    book().setMode(0);  // Esc on the sheet, or the object drawn
    timer->tick();
    EXPECT_TRUE(pressed().empty());
}

TEST_F(DrawingWindow, StatusTimerFollowsTheSelectedObjects)
{
    shell::StatusTimer* timer = shell::StatusTimer::of(*frame);
    auto* format = frame->findChild<QToolBar*>(QStringLiteral("tlbFormat"));
    QAction* polygonButton = button("Freeform");
    const std::int32_t rect = add(ObjectKind::Rectangle);
    const std::int32_t poly = add(ObjectKind::Polygon);
    struct Case {
        const char* name;
        std::vector<std::int32_t> selected;
        bool format, polygon;
    };
    const Case cases[] = {
        {"nothing selected", {}, true, true},
        {"one rectangle", {rect}, false, false},
        {"one polygon", {poly}, false, true},
        {"two objects", {rect, poly}, true, true},
    };
    for (const Case& c : cases) {
        book().deselectObjects();
        for (std::int32_t id : c.selected)
            book().selectObject(id, true);
        timer->tick();
        EXPECT_EQ(format->isEnabled(), c.format) << c.name;
        EXPECT_EQ(polygonButton->isEnabled(), c.polygon) << c.name;
    }
}

// ---- Edit and Format menus' object items -------------------------------------------

TEST_F(DrawingWindow, SelectAllAndDeleteObject)
{
    add(ObjectKind::Line);
    add(ObjectKind::Oval);
    EXPECT_TRUE(item("mnuEditSelectAllObjects")->isEnabled());
    trigger("mnuEditSelectAllObjects");
    EXPECT_EQ(book().selectedObjectCount(), 2);
    trigger("mnuEditDeleteObj");
    EXPECT_TRUE(book().objects(1).empty());
    // Nothing selected: nothing to delete, nothing said.
    add(ObjectKind::Arc);
    trigger("mnuEditDeleteObj");
    EXPECT_EQ(book().objects(1).size(), 1u);
    EXPECT_TRUE(reported.empty());
}

TEST_F(DrawingWindow, PolygonPointsOnlyWithOnePolygonSelected)
{
    const std::int32_t poly = add(ObjectKind::Polygon);
    const std::int32_t rect = add(ObjectKind::Rectangle);
    struct Case {
        const char* name;
        std::vector<std::int32_t> selected;
        bool enabled;
    };
    const Case cases[] = {
        {"nothing", {}, false},
        {"one polygon", {poly}, true},
        {"one rectangle", {rect}, false},
        {"the polygon and another", {poly, rect}, false},
    };
    EXPECT_FALSE(item("mnuEditPolygonPoints")->isEnabled());
    for (const Case& c : cases) {
        book().deselectObjects();
        for (std::int32_t id : c.selected)
            book().selectObject(id, true);
        open("mnuEdit");
        EXPECT_EQ(item("mnuEditPolygonPoints")->isEnabled(), c.enabled) << c.name;
    }
    book().selectObject(poly, false);
    open("mnuEdit");
    trigger("mnuEditPolygonPoints");
    EXPECT_TRUE(reported.empty());
}

TEST_F(DrawingWindow, BringToFrontAndSendToBackRestackAndDisableThemselves)
{
    const std::int32_t a = add(ObjectKind::Rectangle);
    const std::int32_t b = add(ObjectKind::Oval);
    const std::int32_t c = add(ObjectKind::Line);
    for (const char* name : {"mnuFormatObject", "mnuFormatBringToFront", "mnuFormatSendToBack"})
        EXPECT_FALSE(item(name)->isEnabled()) << name;

    book().selectObject(a, false);
    open("mnuFormat");
    for (const char* name : {"mnuFormatObject", "mnuFormatBringToFront", "mnuFormatSendToBack"})
        EXPECT_TRUE(item(name)->isEnabled()) << name;
    EXPECT_FALSE(item("mnuFormatCells")->isEnabled());
    EXPECT_FALSE(item("mnuFormatFreezePanes")->isEnabled());
    trigger("mnuFormatBringToFront");
    EXPECT_EQ(stack(), (std::vector<std::int32_t>{b, c, a}));
    EXPECT_FALSE(item("mnuFormatBringToFront")->isEnabled());
    EXPECT_TRUE(item("mnuFormatSendToBack")->isEnabled());

    book().selectObject(c, false);
    trigger("mnuFormatSendToBack");
    EXPECT_EQ(stack(), (std::vector<std::int32_t>{c, b, a}));
    EXPECT_FALSE(item("mnuFormatSendToBack")->isEnabled());

    // Back in the cells: the object items go off, the cell items on.
    book().deselectObjects();
    open("mnuFormat");
    EXPECT_FALSE(item("mnuFormatObject")->isEnabled());
    EXPECT_TRUE(item("mnuFormatCells")->isEnabled());
    EXPECT_TRUE(reported.empty());
}

TEST_F(DrawingWindow, FormatObjectOpensTheDialogOnTheSelectionAndThenDisablesItself)
{
    const std::int32_t id = add(ObjectKind::Rectangle);
    book().selectObject(id, false);
    open("mnuFormat");
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<spreadsheet::FormatObjectDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->pages()->count(), 4);  // line, fill, text, name
        d->text()->setText(QStringLiteral("Note"));
        d->fillColor()->setCurrentIndex(d->fillColor()->findText(QStringLiteral("Light Yellow")));
        d->accept();
    });
    trigger("mnuFormatObject");
    EXPECT_EQ(book().object(1, id).text, "Note");
    EXPECT_EQ(book().object(1, id).style.fillColor, 0xFFFFCCu);
    EXPECT_FALSE(item("mnuFormatObject")->isEnabled());

    // Without a window the item still switches itself off.
    open("mnuFormat");
    closeDocument();
    trigger("mnuFormatBringToFront");
    EXPECT_FALSE(item("mnuFormatBringToFront")->isEnabled());
    EXPECT_TRUE(reported.empty());
}

} // namespace
