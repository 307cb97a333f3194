#include "platform/widgets/place/WindowPlace.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {

namespace wp = platform::WindowPlace;

TEST(WindowPlace, WindowsOpenInsideTheFrameAndOnTheScreen)
{
    const QRect screen(0, 0, 1600, 1000);
    struct Case {
        const char* name;
        QRect frame;
        QSize wanted, minimum;
        QRect expected;
    } cases[] = {
        {"fits: centred on the frame", {100, 100, 1200, 800}, {900, 560}, {0, 0}, {250, 220, 900, 560}},
        {"larger than the frame: the frame's size", {200, 200, 600, 400}, {900, 560}, {0, 0}, {200, 200, 600, 400}},
        {"never below the minimum", {200, 200, 300, 200}, {900, 560}, {460, 100}, {120, 200, 460, 200}},
        {"frame partly off the right: moved back", {1300, 100, 600, 600}, {500, 300}, {0, 0}, {1100, 250, 500, 300}},
        {"frame partly off the top left: moved in", {-300, -200, 600, 500}, {500, 400}, {0, 0}, {0, 0, 500, 400}},
        {"larger than the screen: the screen", {0, 0, 3000, 2000}, {3000, 2000}, {0, 0}, {0, 0, 1600, 1000}},
        {"minimum larger than the screen: from its top left", {0, 0, 1600, 1000}, {900, 560}, {2000, 1200},
         {0, 0, 2000, 1200}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wp::inside(c.frame, c.wanted, c.minimum, screen), c.expected) << c.name;
}

TEST(WindowPlace, AWindowPlacedOverAnotherLiesInsideIt)
{
    QWidget frame;
    frame.setGeometry(60, 50, 600, 420);
    frame.show();
    QWidget child;
    child.resize(900, 560);
    child.setMinimumWidth(463);
    wp::placeOver(child, &frame);
    const QRect f = frame.frameGeometry();
    const QRect c = child.geometry();
    EXPECT_TRUE(f.contains(c)) << "frame " << f.x() << "," << f.y() << " " << f.width() << "x" << f.height()
                               << ", window " << c.x() << "," << c.y() << " " << c.width() << "x" << c.height();
    EXPECT_GE(child.width(), 463);
}

} // namespace
