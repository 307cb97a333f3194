#include "platform/widgets/place/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace platform::WindowPlace {

QRect inside(const QRect& frame, QSize wanted, QSize minimum, const QRect& screen)
{
    const int w = std::max(std::min({wanted.width(), frame.width(), screen.width()}), minimum.width());
    const int h = std::max(std::min({wanted.height(), frame.height(), screen.height()}), minimum.height());
    QRect r(0, 0, w, h);
    r.moveCenter(frame.center());
    // Inside the screen: the right and bottom edges first, so that a window
    // larger than the screen keeps its top left corner on it.
    r.moveRight(std::min(r.right(), screen.right()));
    r.moveBottom(std::min(r.bottom(), screen.bottom()));
    r.moveLeft(std::max(r.left(), screen.left()));
    r.moveTop(std::max(r.top(), screen.top()));
    return r;
}

void placeOver(QWidget& window, const QWidget* over)
{
    const QWidget* frame = over ? over->window() : nullptr;
    QScreen* screen = frame && frame->screen() ? frame->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const bool shown = frame && frame->isVisible();
    const QRect target = shown ? frame->frameGeometry() : area;
    // The rule places the window with its title bar and borders; they are
    // taken to be those of the main window.
    const QMargins decoration = shown ? QMargins(frame->geometry().left() - target.left(),
                                                 frame->geometry().top() - target.top(),
                                                 target.right() - frame->geometry().right(),
                                                 target.bottom() - frame->geometry().bottom())
                                      : QMargins();
    const QRect outer =
        inside(target, window.size().grownBy(decoration), window.minimumSize().grownBy(decoration), area);
    window.setGeometry(outer.marginsRemoved(decoration));
}

} // namespace platform::WindowPlace
