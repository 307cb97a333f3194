#include "platform/widgets/placement/WindowPlacement.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace platform {

QRect placedInside(const QRect& wanted, const QRect& area, QSize minimum)
{
    if (area.isEmpty()) {
        return wanted;
    }
    if (area.contains(wanted)) {
        return wanted;
    }
    const QSize size(std::max(std::min(wanted.width(), area.width()), minimum.width()),
                     std::max(std::min(wanted.height(), area.height()), minimum.height()));
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(area.center());
    // Integer centring may leave a pixel outside on odd sizes; a window
    // larger than the area keeps its top left corner in it.
    placed.moveLeft(std::max(std::min(placed.left(), area.right() - size.width() + 1), area.left()));
    placed.moveTop(std::max(std::min(placed.top(), area.bottom() - size.height() + 1), area.top()));
    return placed;
}

void placeInsideWhenOpened(QWidget& window, const QWidget* frame)
{
    if (window.isVisible()) {
        return;  // open already: it stays where the user has it
    }
    const QScreen* screen = frame != nullptr ? frame->screen() : window.screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
    if (frame != nullptr && frame->isVisible()) {
        area = area.isEmpty() ? frame->frameGeometry() : area.intersected(frame->frameGeometry());
    }
    // The window's outer rectangle is its client area plus the decoration
    // the window system adds; before the first show that decoration is
    // unknown, so room is kept for a usual title bar and border.
    const QRect frameNow = window.frameGeometry();
    const QMargins decoration(frameNow.left() < window.x() ? window.x() - frameNow.left() : 4,
                              frameNow.top() < window.y() ? window.y() - frameNow.top() : 30,
                              4, 4);
    const QRect outer = window.geometry().marginsAdded(decoration);
    const QSize minimum = window.minimumSize().grownBy(decoration);
    const QRect placed = placedInside(outer, area, minimum);
    const QRect client = placed.marginsRemoved(decoration);
    window.resize(client.size());
    window.move(placed.topLeft());
}

} // namespace platform
