#pragma once

// ChartView: the chart control's widget. It owns a chart model and paints it
// (platform/widgets/chart/ChartPainter.h); whoever changes the model calls
// update(). Copies and printouts go through ChartExport.h.

#include <QWidget>

#include "platform/widgets/chart/ChartModel.h"

namespace platform {

class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget* parent = nullptr);

    [[nodiscard]] ChartModel& model() noexcept { return m_model; }
    [[nodiscard]] const ChartModel& model() const noexcept { return m_model; }
    // Replaces the model and repaints.
    void setModel(ChartModel model);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ChartModel m_model;
};

} // namespace platform
