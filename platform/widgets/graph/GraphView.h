#pragma once

// GraphView: the graph control as a Qt widget. It owns its GraphModel and,
// on draw(), shows the model in the plot view it is: the 2-D chart types
// through Qt Charts, the 3-D bar and pie as an oblique projection painted in
// the same view.
//
// How the chart types are drawn:
//   scatter, line, log-Y, area   X-Y series over two value axes (log-Y
//                                leaves out values that are not positive);
//                                scatter markers are painted in one item,
//                                fast for tens of thousands of points
//   polar                        X as the angle, Y as the radius
//   2-D bar                      one bar per point and set, the bar gap
//                                setting narrowing the bars
//   Gantt                        one horizontal bar per point: from 0 to
//                                the value with one set; with more sets,
//                                from the first set's value to the last's
//   high-low                     one candle per point: the lowest to the
//                                highest value of its sets, open at the
//                                first set and close at the last
//   2-D pie                      one pie per set, a slice per point
//   3-D bar, 3-D pie             the same, in oblique projection
// The statistics overlays (mean, minimum and maximum, mean plus and minus
// one standard deviation, least-squares line) are drawn per set on the X-Y
// types (not the polar one). Data labels are drawn beside the points of the
// X-Y types, as text the chart module cannot place per point.

#include <memory>
#include <vector>

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include "platform/widgets/graph/GraphModel.h"
#include "platform/widgets/plot/PlotView.h"

namespace platform {

class GraphView : public PlotView {
    Q_OBJECT
public:
    explicit GraphView(QWidget* parent = nullptr);
    ~GraphView() override;

    [[nodiscard]] GraphModel& model() noexcept { return m_model; }
    [[nodiscard]] const GraphModel& model() const noexcept { return m_model; }

    // Shows the model as it now stands.
    void draw();
    // How many drawings have been made (tests follow the redraws with it).
    [[nodiscard]] int drawCount() const noexcept { return m_draws; }

    // Where the data label of a point goes: right of the point and above it,
    // each moved to the other side of the point where it would cross the
    // plot area's edge, so that labels of the extreme points are whole.
    // `text` is the label's size.
    [[nodiscard]] static QRectF PointLabelRect(const QRectF& area, QPointF point, QSizeF text);
    // The data labels as now placed, in the view's scene coordinates.
    [[nodiscard]] std::vector<QRectF> pointLabelRects() const;

    // The control's 14 set colours.
    [[nodiscard]] static QColor setColour(int index);

private:
    GraphModel m_model;
    int m_draws = 0;
};

} // namespace platform
