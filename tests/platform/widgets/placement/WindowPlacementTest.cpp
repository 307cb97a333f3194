// Where a tool window opens: wholly inside the main window.

#include "platform/widgets/placement/WindowPlacement.h"

#include <QApplication>
#include <QMainWindow>

#include <gtest/gtest.h>

namespace {

TEST(WindowPlacement, PlacedRectangleLiesInsideTheArea)
{
    const QRect area(100, 50, 1400, 900);
    struct Row {
        const char* name;
        QRect wanted;
        QRect expected;
    } rows[] = {
        {"inside: kept", QRect(200, 100, 600, 400), QRect(200, 100, 600, 400)},
        {"off the right: centred", QRect(1300, 100, 600, 400), QRect(500, 300, 600, 400)},
        {"off the top left: centred", QRect(-300, -200, 600, 400), QRect(500, 300, 600, 400)},
        {"wider than the area: shrunk", QRect(0, 0, 2000, 400), QRect(100, 300, 1400, 400)},
        {"larger both ways: the area", QRect(0, 0, 3000, 2000), QRect(100, 50, 1400, 900)},
        {"odd sizes", QRect(5000, 5000, 601, 401), QRect(499, 299, 601, 401)},
    };
    for (const Row& r : rows) {
        const QRect placed = platform::placedInside(r.wanted, area);
        EXPECT_EQ(placed, r.expected) << r.name;
        EXPECT_TRUE(area.contains(placed)) << r.name;
    }
    EXPECT_EQ(platform::placedInside(QRect(-50, -50, 10, 10), QRect()), QRect(-50, -50, 10, 10));
}

TEST(WindowPlacement, AWindowIsNeverMadeSmallerThanItsMinimum)
{
    const QRect area(200, 200, 300, 200);
    EXPECT_EQ(platform::placedInside(QRect(0, 0, 900, 560), area, QSize(460, 100)), QRect(200, 200, 460, 200))
        << "wider minimum: from the area's left, the rest shrunk";
    EXPECT_EQ(platform::placedInside(QRect(0, 0, 900, 560), area, QSize(2000, 1200)), QRect(200, 200, 2000, 1200))
        << "minimum larger both ways: from the area's top left";

    QMainWindow frame;
    frame.setGeometry(60, 50, 600, 420);
    frame.show();
    QWidget dialog;
    dialog.resize(900, 560);
    dialog.setMinimumWidth(463);
    platform::placeInsideWhenOpened(dialog, &frame);
    EXPECT_GE(dialog.width(), 463);
    EXPECT_LE(dialog.height(), frame.frameGeometry().height());
}

TEST(WindowPlacement, AWindowOpensInsideTheFrameAndAnOpenOneStaysWhereItIs)
{
    QMainWindow frame;
    frame.setGeometry(200, 150, 1000, 700);
    frame.show();
    QWidget tool;
    tool.resize(1400, 500);  // wider than the frame
    tool.move(-600, 2000);
    platform::placeInsideWhenOpened(tool, &frame);
    tool.show();
    EXPECT_TRUE(frame.frameGeometry().contains(tool.frameGeometry()))
        << tool.frameGeometry().x() << "," << tool.frameGeometry().y() << " " << tool.frameGeometry().width() << "x"
        << tool.frameGeometry().height();

    tool.move(10, 10);  // the user moves the open window: it stays
    platform::placeInsideWhenOpened(tool, &frame);
    EXPECT_EQ(tool.pos(), QPoint(10, 10));

    tool.hide();  // closed partly outside: it opens inside again
    platform::placeInsideWhenOpened(tool, &frame);
    tool.show();
    EXPECT_TRUE(frame.frameGeometry().contains(tool.frameGeometry()));

    const QRect inside = tool.geometry();  // closed inside: it opens where it was
    tool.hide();
    platform::placeInsideWhenOpened(tool, &frame);
    EXPECT_EQ(tool.geometry(), inside);
}

} // namespace
