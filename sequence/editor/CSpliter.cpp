#include "sequence/editor/CSpliter.h"

#include <cmath>

namespace sequence::editor {

void CSpliter::MouseMove(double x, double y, SplitControl* slider)
{
    if (m_left == nullptr || m_right == nullptr || m_form == nullptr)
        return;
    const bool onBar = x > (m_left->left() + m_left->width()) - m_hotZone && x < m_right->left() + m_hotZone &&
                       y > m_left->top() && y < m_left->top() + m_left->height();
    if (!onBar) {
        m_left->setPointer(kArrow);
        m_right->setPointer(kArrow);
        m_form->setPointer(kArrow);
        return;
    }
    m_form->setPointer(kSizeWE);
    if (m_dragging)
        MoveBar(static_cast<std::int32_t>(std::lround(x)), static_cast<std::int32_t>(std::lround(y)), slider);
}

void CSpliter::MoveBar(std::int32_t x, std::int32_t /*y*/, SplitControl* slider)
{
    const std::int32_t rightEdge = m_right->left() + m_right->width();
    if (x < m_left->left() || x > rightEdge)
        return;
    m_left->move(m_left->left(), m_left->top(), x - m_left->left(), m_left->height());
    const std::int32_t rightLeft = m_left->left() + m_left->width() + m_barWidth;
    m_right->move(rightLeft, m_right->top(), rightEdge - rightLeft, m_right->height());
    if (slider != nullptr)
        slider->move(m_right->left(), slider->top(), m_right->width(), slider->height());
}

void CSpliter::FrmResize(SplitControl* statusBar, SplitControl* vScroll, SplitControl* slider)
{
    if (m_left == nullptr || m_right == nullptr || m_form == nullptr)
        return;
    const std::int32_t h = m_form->height() - (statusBar ? statusBar->height() : 0) - 2 * m_margin;
    const std::int32_t s = m_margin + m_left->width() + m_barWidth;
    const std::int32_t w = m_form->width() - s - m_margin - (vScroll ? vScroll->width() : 0);
    m_left->move(m_margin - 1, m_margin, m_left->width(), h);
    m_right->move(s, m_margin, w + 1, h);
    if (vScroll != nullptr)
        vScroll->move(m_right->left() + m_right->width(), m_right->top(), vScroll->width(), m_right->height());
    if (slider != nullptr)
        slider->move(m_right->left(), m_right->top() + m_right->height() - 20, m_right->width(), slider->height());
}

} // namespace sequence::editor
