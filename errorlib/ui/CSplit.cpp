#include "errorlib/ui/CSplit.h"

#include <QMouseEvent>
#include <QPalette>
#include <QWidget>

#include <algorithm>

namespace rampart {

SplitLimits splitLimits(int aTop, int bTop, int bHeight, int barHeight, int containerHeight, int minimumPane)
{
    return {aTop + minimumPane, bTop + bHeight - minimumPane - barHeight, containerHeight - barHeight};
}

int clampSplitTop(int proposed, const SplitLimits& limits)
{
    int top = std::max(proposed, limits.minTop);
    top = std::min(top, limits.maxTop);
    return std::min(top, limits.containerLimit);
}

CSplit::CSplit(int minimumPane, QObject* parent) : QObject(parent), m_minimumPane(minimumPane) {}

void CSplit::Split(QWidget* bar)
{
    if (m_bar) {
        m_bar->removeEventFilter(this);
    }
    m_bar = bar;
    m_bar->setCursor(Qt::SplitVCursor);
    m_bar->setAutoFillBackground(true);
    m_bar->setBackgroundRole(QPalette::Button);
    m_bar->installEventFilter(this);
    buttonDown();
    moveBy(0);
    buttonUp();
}

void CSplit::layOut()
{
    if (!m_a || !m_b || !m_bar) {
        return;
    }
    const int barTop = m_bar->y();
    m_a->setGeometry(m_a->x(), m_a->y(), m_a->width(), std::max(0, barTop - m_a->y()));
    const int bottom = m_b->y() + m_b->height();
    const int bTop = barTop + m_bar->height();
    m_b->setGeometry(m_b->x(), bTop, m_b->width(), std::max(0, bottom - bTop));
}

void CSplit::buttonDown()
{
    if (!m_a || !m_b || !m_bar) {
        return;
    }
    m_bar->setBackgroundRole(QPalette::Dark);
    const QWidget* container = m_bar->parentWidget();
    m_limits = splitLimits(m_a->y(), m_b->y(), m_b->height(), m_bar->height(), container ? container->height() : 0,
                           m_minimumPane);
    m_dragging = true;
}

void CSplit::moveBy(int offset)
{
    if (!m_dragging || m_limits.minTop >= m_limits.maxTop) {
        return;
    }
    m_bar->move(m_bar->x(), clampSplitTop(m_bar->y() + offset, m_limits));
    layOut();
}

void CSplit::buttonUp()
{
    if (!m_bar) {
        return;
    }
    m_bar->setBackgroundRole(QPalette::Button);
    if (m_dragging && m_limits.minTop < m_limits.maxTop) {
        layOut();
    }
    m_dragging = false;
}

bool CSplit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_bar) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            buttonDown();
            return true;
        }
        break;
    case QEvent::MouseMove:
        if (m_dragging) {
            moveBy(static_cast<int>(static_cast<QMouseEvent*>(event)->position().y()));
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && m_dragging) {
            buttonUp();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace rampart
