#include "platform/widgets/chart/ChartView.h"

#include <QPainter>

#include "platform/widgets/chart/ChartPainter.h"

namespace platform {

ChartView::ChartView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::setModel(ChartModel model)
{
    m_model = std::move(model);
    update();
}

void ChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintChart(painter, QRectF(rect()), m_model);
}

} // namespace platform
