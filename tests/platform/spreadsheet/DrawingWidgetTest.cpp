#include <QAbstractScrollArea>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "platform/spreadsheet/ObjectGeometry.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"

namespace {

using spreadsheet::DrawingObject;
using spreadsheet::ObjectKind;
using spreadsheet::RangeRef;
using spreadsheet::SpreadsheetWidget;

class DrawingWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        widget = std::make_unique<SpreadsheetWidget>();
        widget->resize(900, 700);
        widget->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget.get()));
        surface = widget->gridSurface();
        // The mode as a shell handler of the release signal reads it.
        QObject::connect(widget.get(), &SpreadsheetWidget::mouseUp, widget.get(),
                         [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
                             modesAtRelease.push_back(book().Mode());
                         });
    }

    spreadsheet::Workbook& book() { return widget->workbook(); }
    QPoint centre(int row, int col) const { return widget->cellRect(row, col).center(); }
    QPoint topLeft(int row, int col) const { return widget->cellRect(row, col).topLeft(); }

    void press(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mousePress(surface, Qt::LeftButton, mods, at);
    }
    void moveTo(QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, surface->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(surface, &move);
    }
    void release(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseRelease(surface, Qt::LeftButton, mods, at);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        press(from, mods);
        moveTo((from + to) / 2);
        moveTo(to);
        release(to, mods);
    }
    void click(QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        press(at, mods);
        release(at, mods);
    }
    void doubleClick(QPoint at)
    {
        click(at);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, at, surface->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(surface, &dbl);
        release(at);
    }
    const DrawingObject& only()
    {
        EXPECT_EQ(book().objects(1).size(), 1u);
        return book().objects(1).front();
    }
    // An object placed by the model over the cells (r1, c1)..(r2, c2), a
    // little into each, so that no handle lies near a cell's centre.
    std::int32_t placed(ObjectKind kind, int r1, int c1, int r2, int c2)
    {
        DrawingObject o;
        o.kind = kind;
        o.from = {r1, c1, 5, 3};
        o.to = {r2, c2, 5, 3};
        if (kind == ObjectKind::Polygon)
            o.points = {{0, 0}, {1, 0}, {0.5, 1}};
        return book().addObject(1, o);
    }

    std::unique_ptr<SpreadsheetWidget> widget;
    QWidget* surface = nullptr;
    std::vector<std::int32_t> modesAtRelease;
};

TEST_F(DrawingWidgetTest, ADragDrawsEveryKindBetweenPressAndRelease)
{
    const ObjectKind kinds[] = {ObjectKind::Line,  ObjectKind::Rectangle, ObjectKind::Oval,
                                ObjectKind::Arc,   ObjectKind::Chart,     ObjectKind::Button,
                                ObjectKind::CheckBox, ObjectKind::DropDown};
    book().setSelection(2, 1, 3, 4);
    for (ObjectKind kind : kinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        for (const auto& o : std::vector<DrawingObject>(book().objects(1)))
            book().deleteObject(1, o.id);
        modesAtRelease.clear();
        book().setMode(static_cast<std::int32_t>(kind));
        EXPECT_EQ(surface->cursor().shape(), Qt::CrossCursor);
        drag(topLeft(5, 2), topLeft(9, 5));
        const DrawingObject& o = only();
        EXPECT_EQ(o.kind, kind);
        EXPECT_EQ(o.from.row, 5);
        EXPECT_EQ(o.from.col, 2);
        EXPECT_NEAR(o.from.dx, 0, 0.7);
        EXPECT_EQ(o.to.row, 9);
        EXPECT_EQ(o.to.col, 5);
        EXPECT_NEAR(o.to.dy, 0, 0.7);
        EXPECT_EQ(book().Mode(), 0);
        EXPECT_EQ(modesAtRelease, (std::vector<std::int32_t>{0})) << "the release signal sees the mode ended";
        EXPECT_EQ(book().selectedObjectCount(), 1);
        EXPECT_EQ(book().selectedObjectId(0), o.id);
        EXPECT_EQ(book().SelectionEx(0), (RangeRef{2, 1, 3, 4})) << "drawing leaves the cell selection";
        if (kind == ObjectKind::Chart) {
            EXPECT_EQ(o.chartSource, (RangeRef{2, 1, 3, 4})) << "a chart plots the selection";
        }
    }
    EXPECT_NE(surface->cursor().shape(), Qt::CrossCursor);
}

TEST_F(DrawingWidgetTest, ObjectsArePaintedOverTheCellsInStackingOrder)
{
    DrawingObject back;
    back.kind = ObjectKind::Rectangle;
    back.from = {3, 2, 0, 0};
    back.to = {8, 5, 0, 0};
    back.style.fillColor = 0xFF0000;
    const auto backId = book().addObject(1, back);
    DrawingObject front = back;
    front.kind = ObjectKind::Oval;
    front.style.fillColor = 0x0000FF;
    book().addObject(1, front);
    DrawingObject line;
    line.kind = ObjectKind::Line;
    line.from = {12, 2, 0, 6};
    line.to = {12, 6, 0, 6};  // level: an empty box
    line.style.lineWidth = 3;
    book().addObject(1, line);
    // Reaching up into the column letters, which stay on top.
    DrawingObject top = back;
    top.from = {1, 8, 0, 0};
    top.to = {3, 9, 0, 0};
    book().addObject(1, top);

    auto colourAt = [&](QPoint p) { return surface->grab().toImage().pixelColor(p); };
    const QPoint middle = (topLeft(3, 2) + topLeft(8, 5)) / 2;
    EXPECT_EQ(colourAt(middle), QColor(Qt::blue));
    book().selectObject(backId, false);
    book().ObjBringToFront();
    EXPECT_EQ(colourAt(middle), QColor(Qt::red));
    const QPoint onLine = QPoint((topLeft(12, 2).x() + topLeft(12, 6).x()) / 2, topLeft(12, 2).y() + 9);
    EXPECT_LT(colourAt(onLine).lightness(), 80) << "a level line is drawn";
    EXPECT_EQ(colourAt(centre(2, 8)), QColor(Qt::red));
    auto* area = qobject_cast<QAbstractScrollArea*>(surface->parentWidget());
    area->verticalScrollBar()->setValue(1);  // row 2 at the top
    EXPECT_EQ(colourAt(centre(2, 8)), QColor(Qt::red)) << "the object scrolled with its cells";
    EXPECT_NE(colourAt(QPoint(centre(2, 8).x(), 3)), QColor(Qt::red)) << "the headings cover it";
}

TEST_F(DrawingWidgetTest, ALineKeepsTheDirectionItWasDrawnIn)
{
    book().setMode(1);
    drag(centre(8, 2), centre(4, 5));
    const DrawingObject& o = only();
    EXPECT_FALSE(o.flipX);
    EXPECT_TRUE(o.flipY) << "drawn upwards: it starts at the bottom";
    EXPECT_EQ(o.from.row, 4);
    EXPECT_EQ(o.to.row, 8);
}

TEST_F(DrawingWidgetTest, AClickWithoutADragGivesADefaultSize)
{
    book().setMode(2);
    click(centre(4, 3));
    const auto box = book().objectBox(1, only().id);
    EXPECT_NEAR(box.width(), 72, 1);
    EXPECT_NEAR(box.height(), 36, 1);
}

TEST_F(DrawingWidgetTest, AThinDragStillGivesAControlItsHeightAndAShapeSomeBody)
{
    struct Case {
        int mode;
        double leastWidth;
        double leastHeight;
    };
    for (const Case& c : {Case{9, 36, 18}, Case{10, 36, 18}, Case{7, 36, 24}, Case{2, 8, 8}, Case{5, 8, 8}}) {
        book().setMode(c.mode);
        drag(centre(5, 6), centre(5, 3));  // leftwards along one row
        const auto& o = book().objects(1).back();
        const auto box = book().objectBox(1, o.id);
        EXPECT_GE(box.height(), c.leastHeight - 0.01) << c.mode;
        EXPECT_GE(box.width(), c.leastWidth - 0.01) << c.mode;
    }
    book().setMode(1);
    drag(centre(7, 2), centre(7, 5));
    EXPECT_NEAR(book().objectBox(1, book().objects(1).back().id).height(), 0, 0.01) << "a line may be flat";
    // At the sheet's top-left corner a thin upward drag grows into the sheet.
    book().setMode(9);
    drag(topLeft(1, 1) + QPoint(30, 2), topLeft(1, 1) + QPoint(2, 1));
    const auto corner = book().objectBox(1, book().objects(1).back().id);
    EXPECT_GE(corner.top, 0);
    EXPECT_GE(corner.height(), 17.99);
}

TEST_F(DrawingWidgetTest, PolygonTakesAVertexPerClickAndEndsWithADoubleClick)
{
    book().setMode(8);
    click(centre(3, 2));
    click(centre(3, 5));
    EXPECT_TRUE(book().objects(1).empty()) << "nothing until the polygon ends";
    EXPECT_EQ(book().Mode(), 8);
    doubleClick(centre(7, 4));
    EXPECT_EQ(book().Mode(), 0);
    const DrawingObject& o = only();
    EXPECT_EQ(o.kind, ObjectKind::Polygon);
    EXPECT_EQ(o.points.size(), 3u);
    EXPECT_FALSE(o.style.filled) << "an open shape";
    ASSERT_GE(modesAtRelease.size(), 3u);
    EXPECT_EQ(modesAtRelease[0], 8) << "the drawing buttons stay pressed while a polygon is drawn";
    EXPECT_EQ(modesAtRelease[1], 8);
    EXPECT_EQ(modesAtRelease.back(), 0);
    EXPECT_EQ(book().selectedObjectCount(), 1);
}

TEST_F(DrawingWidgetTest, PolygonEndsClosedOnItsFirstVertex)
{
    book().setMode(8);
    click(centre(3, 2));
    click(centre(3, 5));
    click(centre(7, 4));
    click(centre(3, 2) + QPoint(2, 1));
    EXPECT_EQ(book().Mode(), 0);
    const DrawingObject& o = only();
    ASSERT_EQ(o.points.size(), 4u);
    EXPECT_EQ(o.points.front(), o.points.back());
    EXPECT_TRUE(o.style.filled);
}

TEST_F(DrawingWidgetTest, EscEndsTheModeAndKeepsAPolygonOfTwoVertices)
{
    struct Row {
        const char* name;
        std::int32_t mode;
        int clicks;
        std::size_t objects;
    };
    const Row rows[] = {
        {"a polygon of two vertices is kept", 8, 2, 1},
        {"a polygon of one vertex is dropped", 8, 1, 0},
        {"a rectangle mode ends with nothing drawn", 2, 0, 0},
    };
    for (const Row& row : rows) {
        for (const auto& o : std::vector<DrawingObject>(book().objects(1)))
            book().deleteObject(1, o.id);
        book().setMode(row.mode);
        for (int i = 0; i < row.clicks; ++i)
            click(centre(3 + 2 * i, 2 + i));
        QTest::keyClick(surface, Qt::Key_Escape);
        EXPECT_EQ(book().Mode(), 0) << row.name;
        EXPECT_EQ(book().objects(1).size(), row.objects) << row.name;
    }
}

TEST_F(DrawingWidgetTest, ClickSelectsDragMovesAndHandlesResize)
{
    const auto id = placed(ObjectKind::Rectangle, 4, 2, 6, 3);
    const auto before = book().objectBox(1, id);
    click(centre(5, 2));
    ASSERT_EQ(book().selectedObjectCount(), 1);
    // Two columns to the right and one row down.
    drag(centre(5, 2), centre(6, 4));
    auto box = book().objectBox(1, id);
    const double col = 9 * spreadsheet::kPointsPerChar;
    EXPECT_NEAR(box.left - before.left, 2 * col, 1.5);
    EXPECT_NEAR(box.top - before.top, 12.75, 1.5);
    EXPECT_NEAR(box.width(), before.width(), 1e-6);
    EXPECT_EQ(book().SelectionEx(0), (RangeRef{1, 1, 1, 1})) << "moving an object selects no cells";

    // The bottom-right handle to the top-left corner of J12.
    const DrawingObject& o = book().object(1, id);
    const QRect last = widget->cellRect(o.to.row, o.to.col);
    const double px = widget->cellRect(1, 1).width() / col;
    const QPoint handle(last.left() + static_cast<int>(std::lround(o.to.dx * px)),
                        last.top() + static_cast<int>(std::lround(o.to.dy * px)));
    drag(handle, topLeft(12, 10));
    box = book().objectBox(1, id);
    EXPECT_EQ(book().object(1, id).to.row, 12);
    EXPECT_EQ(book().object(1, id).to.col, 10);
    EXPECT_NEAR(box.right, spreadsheet::lineStart(book().sheetFormat(1), false, 10), 1);
}

TEST_F(DrawingWidgetTest, CtrlClickAddsAndRemovesAndCellsDeselect)
{
    const auto a = placed(ObjectKind::Oval, 3, 2, 5, 3);
    const auto b = placed(ObjectKind::Rectangle, 8, 5, 10, 6);
    click(centre(4, 2));
    click(centre(9, 5), Qt::ControlModifier);
    EXPECT_EQ(book().selectedObjectCount(), 2);
    click(centre(4, 2), Qt::ControlModifier);
    ASSERT_EQ(book().selectedObjectCount(), 1);
    EXPECT_EQ(book().selectedObjectId(0), b);
    QTest::keyClick(surface, Qt::Key_Delete);
    ASSERT_EQ(book().objects(1).size(), 1u);
    EXPECT_EQ(book().objects(1)[0].id, a);
    click(centre(4, 2));
    click(centre(15, 8));
    EXPECT_EQ(book().selectedObjectCount(), 0);
    EXPECT_EQ(book().SelectionEx(0), (RangeRef{15, 8, 15, 8}));
}

TEST_F(DrawingWidgetTest, TheTopmostObjectTakesTheClick)
{
    const auto back = placed(ObjectKind::Rectangle, 3, 2, 8, 5);
    const auto front = placed(ObjectKind::Oval, 5, 3, 10, 6);
    click(centre(6, 4));
    EXPECT_EQ(book().selectedObjectId(0), front);
    book().ObjSendToBack();
    click(centre(6, 4));
    EXPECT_EQ(book().selectedObjectId(0), back);
}

TEST_F(DrawingWidgetTest, ObjectsFollowScrollingAndInsertedRows)
{
    const auto id = placed(ObjectKind::Rectangle, 10, 3, 12, 4);
    auto* area = qobject_cast<QAbstractScrollArea*>(surface->parentWidget());
    ASSERT_NE(area, nullptr);
    area->verticalScrollBar()->setValue(6);  // row 7 at the top
    ASSERT_TRUE(widget->cellRect(5, 3).isNull());
    ASSERT_FALSE(widget->cellRect(11, 3).isNull());
    click(centre(11, 3));
    EXPECT_EQ(book().selectedObjectCount(), 1);
    book().insertRows(1, 1, 3);
    click(centre(20, 8));
    click(centre(14, 3));
    ASSERT_EQ(book().selectedObjectCount(), 1) << "the object moved down with its cells";
    EXPECT_EQ(book().selectedObjectId(0), id);
}

TEST_F(DrawingWidgetTest, ObjectsFollowZoomAndFrozenPanes)
{
    widget->setViewScale(150);
    const auto id = placed(ObjectKind::Rectangle, 12, 3, 14, 4);
    book().setFreeze({1, 3, 1, 0});  // rows 1 to 3 stay in view
    auto* area = qobject_cast<QAbstractScrollArea*>(surface->parentWidget());
    ASSERT_NE(area, nullptr);
    area->verticalScrollBar()->setValue(9);  // row 10 first under the frozen rows
    ASSERT_TRUE(widget->cellRect(8, 3).isNull());
    click(centre(13, 3));
    ASSERT_EQ(book().selectedObjectCount(), 1) << "found where the zoomed, scrolled pane shows it";
    click(centre(2, 3));
    EXPECT_EQ(book().selectedObjectCount(), 0) << "the frozen rows show the cells, not the object";
    // Drawn across zoomed cells: the anchors are the cells under the pointer.
    book().setMode(2);
    drag(topLeft(11, 6), topLeft(13, 8));
    const DrawingObject& o = book().objects(1).back();
    EXPECT_NE(o.id, id);
    EXPECT_EQ(o.from.row, 11);
    EXPECT_EQ(o.to.col, 8);
    EXPECT_NEAR(o.to.dy, 0, 0.7);
}

TEST_F(DrawingWidgetTest, FormControlsAnswerClicks)
{
    DrawingObject box;
    box.kind = ObjectKind::CheckBox;
    box.from = {3, 2, 0, 0};
    box.to = {3, 3, 40, 12};
    const auto check = book().addObject(1, box);
    click(centre(3, 2));
    EXPECT_EQ(book().object(1, check).checkState, 1);
    EXPECT_EQ(book().selectedObjectCount(), 0) << "a click toggles, it does not select";
    click(centre(3, 2));
    EXPECT_EQ(book().object(1, check).checkState, 0);
    click(centre(3, 2), Qt::ControlModifier);
    EXPECT_EQ(book().object(1, check).checkState, 0);
    EXPECT_EQ(book().selectedObjectCount(), 1) << "Ctrl+click selects it for moving";

    DrawingObject list;
    list.kind = ObjectKind::DropDown;
    list.from = {6, 2, 0, 0};
    list.to = {6, 3, 40, 12};
    list.items = {"alpha", "beta", "gamma"};
    const auto drop = book().addObject(1, list);
    click(centre(6, 2));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr) << "the list opens";
    ASSERT_EQ(menu->actions().size(), 3);
    menu->actions()[1]->trigger();
    menu->close();
    EXPECT_EQ(book().object(1, drop).chosenItem, 2);
}

TEST_F(DrawingWidgetTest, PolygonPointsDragAVertexUntilEscape)
{
    const auto id = placed(ObjectKind::Polygon, 4, 2, 8, 4);
    click(centre(6, 3));
    widget->editPolygonPoints();
    const DrawingObject before = book().object(1, id);
    // The vertex at the box's top-left, dragged to the top-left of B12.
    const QRect first = widget->cellRect(before.from.row, before.from.col);
    const double px = widget->cellRect(1, 1).height() / 12.75;
    const QPoint vertex(first.left() + static_cast<int>(std::lround(before.from.dx * px)),
                        first.top() + static_cast<int>(std::lround(before.from.dy * px)));
    drag(vertex, topLeft(12, 2));
    const auto& o = book().object(1, id);
    EXPECT_EQ(o.to.row, 12) << "the box grew to the new vertex";
    const auto vertices = spreadsheet::polygonVertices(book().objectBox(1, id), o);
    EXPECT_NEAR(vertices[0].y, spreadsheet::lineStart(book().sheetFormat(1), true, 12), 1);
    QTest::keyClick(surface, Qt::Key_Escape);
    // After Esc a drag on the same spot moves the whole polygon, not the vertex.
    const auto box = book().objectBox(1, id);
    drag(centre(9, 2), centre(9, 3));
    EXPECT_GT(book().objectBox(1, id).left, box.left);
}

} // namespace
