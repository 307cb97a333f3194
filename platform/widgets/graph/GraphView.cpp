#include "platform/widgets/graph/GraphView.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCandlestickSeries>
#include <QCandlestickSet>
#include <QCategoryAxis>
#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QHorizontalStackedBarSeries>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QPainterPath>
#include <QPieSeries>
#include <QPieSlice>
#include <QPolarChart>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "platform/widgets/graph/GraphStatistics.h"
#include "platform/widgets/plot/AxisTicks.h"

namespace platform {

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QString pointName(const GraphModel& m, int p)
{
    const std::string& label = m.pointLabel(p);
    return label.empty() ? qs(FormatGraphLabel(m.x(p), m.axis(GraphAxis::X).format)) : qs(label);
}

// A linear value axis from s.min to s.max, labelled at its ticks as
// ChooseAxisLabels writes them. The chart library's own value axis works its
// labels out as min + k x span / ticks, which loses a small bound next to a
// large one (the end tick of -1e307..5 would read 0): the axis is a category
// axis instead, with one category ending at each tick and its label there.
QValueAxis* valueAxis(const GraphAxisSettings& s)
{
    auto* axis = new QCategoryAxis();
    double lo = s.min;
    double hi = s.max;
    if (!(hi > lo)) {
        hi = lo + 1;
    }
    axis->setRange(lo, hi);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setStartValue(lo);
    const AxisLabels labels = ChooseAxisLabels(lo, hi, s.ticks, s.format);
    QStringList taken;
    for (std::size_t k = 0; k < labels.ticks.size(); ++k) {
        QString text = qs(labels.texts[k]);
        // The axis keeps one category per label text, and draws its labels
        // as HTML: a text that comes again (neighbours that read alike in
        // the format asked for) is told apart by a comment, which is not
        // drawn.
        if (taken.contains(text)) {
            text += QStringLiteral("<!--%1-->").arg(k);
        }
        taken << text;
        axis->append(text, labels.ticks[k]);
    }
    axis->setTitleText(qs(s.title));
    return axis;
}

// The logarithmic Y axis: the axis the series hang on, and beside it the
// labels at LogAxisTicks (the log axis itself labels only the powers of the
// base, which leaves a range within one decade with a single label or none).
// The label axis is linear in log10 of the value, so its marks fall where
// the log axis puts those values.
QLogValueAxis* logAxis(QChart* chart, const GraphModel& m)
{
    const GraphAxisSettings& s = m.axis(GraphAxis::Y);
    const LogAxisRange range = LogYAxisRange(m);
    const double lo = range.lo;
    const double hi = range.hi;
    auto* axis = new QLogValueAxis();
    axis->setBase(10);
    axis->setRange(lo, hi);
    axis->setLabelsVisible(false);
    axis->setLineVisible(false);
    axis->setGridLineVisible(false);
    axis->setMinorTickCount(0);
    auto* labels = new QCategoryAxis();
    labels->setObjectName(QStringLiteral("LogYLabels"));
    labels->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    labels->setRange(std::log10(lo), std::log10(hi));
    labels->setStartValue(std::log10(lo));
    for (double t : LogAxisTicks(lo, hi)) {
        labels->append(QString::number(t, 'g', 6), std::log10(t));
    }
    labels->setTitleText(qs(s.title));
    chart->addAxis(labels, Qt::AlignLeft);
    return axis;
}

// The chart's right margin: `margin`, or more where the last label of a
// value axis along the bottom or the top, centred on the axis's end, reaches
// further out. The chart library keeps that room for its own value axes, not
// for the category axes that valueAxis makes.
int roomPastHorizontalAxis(QChart* chart, int margin)
{
    if (qobject_cast<QPolarChart*>(chart) != nullptr) {
        return margin;
    }
    double room = margin;
    for (QAbstractAxis* a : chart->axes(Qt::Horizontal)) {
        auto* axis = qobject_cast<QCategoryAxis*>(a);
        if (axis == nullptr || axis->categoriesLabels().isEmpty()) {
            continue;
        }
        const QString last = axis->categoriesLabels().back();
        const QString shown = last.left(last.indexOf(QStringLiteral("<!--")));
        room = std::max(room, QFontMetricsF(axis->labelsFont()).horizontalAdvance(shown) / 2 + 4);
    }
    return static_cast<int>(std::ceil(room));
}

void hideFromLegend(QChart* chart, QAbstractSeries* series)
{
    for (QLegendMarker* marker : chart->legend()->markers(series)) {
        marker->setVisible(false);
    }
}

// The data labels beside the points: painted as one item over the chart so
// that they follow the chart's geometry in every rendering.
class PointLabelItem : public QGraphicsItem {
public:
    PointLabelItem(QChart* chart, const GraphModel& model, QAbstractSeries* series, bool logY)
        : QGraphicsItem(chart), m_chart(chart), m_series(series), m_logY(logY)
    {
        for (int s = 0; s < model.numSets(); ++s) {
            for (int p = 0; p < model.numPoints(); ++p) {
                const std::string& text = model.pointLabel(p);
                const double y = model.value(s, p);
                if (!text.empty() && std::isfinite(y) && (!logY || y > 0)) {
                    m_labels.push_back({QPointF(model.x(p), y), qs(text)});
                }
            }
        }
        setZValue(20);
    }

    QRectF boundingRect() const override { return m_chart->boundingRect(); }

    // Where each label of a point inside the plot area goes, in the chart's
    // coordinates, with its text.
    [[nodiscard]] std::vector<std::pair<QRectF, QString>> placed() const
    {
        const QRectF area = m_chart->plotArea();
        const QFontMetricsF metrics(labelFont());
        std::vector<std::pair<QRectF, QString>> out;
        for (const auto& [at, text] : m_labels) {
            const QPointF pos = m_chart->mapToPosition(at, m_series);
            // A point on the edge of the plot area (an extreme of the data)
            // may map a rounding error outside it.
            if (area.adjusted(-0.5, -0.5, 0.5, 0.5).contains(pos)) {
                out.emplace_back(GraphView::PointLabelRect(area, pos, metrics.size(Qt::TextSingleLine, text)), text);
            }
        }
        return out;
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        painter->save();
        painter->setClipRect(m_chart->plotArea());
        painter->setFont(labelFont());
        painter->setPen(QColor(40, 40, 40));
        for (const auto& [rect, text] : placed()) {
            painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        }
        painter->restore();
    }

private:
    [[nodiscard]] QFont labelFont() const
    {
        QFont font = m_chart->font();
        font.setPointSizeF(7.5);
        return font;
    }

    struct Label {
        QPointF at;
        QString text;
    };
    QChart* m_chart;
    QAbstractSeries* m_series;
    bool m_logY;
    std::vector<Label> m_labels;
};

// The markers of a scatter graph, painted as one item over the chart: the
// chart module's scatter series makes one graphics item per point, which
// takes seconds for tens of thousands of points. Empty scatter series keep
// the legend and the axes.
class ScatterMarkersItem : public QGraphicsItem {
public:
    ScatterMarkersItem(QChart* chart, const GraphModel& model, QAbstractSeries* series)
        : QGraphicsItem(chart), m_chart(chart), m_series(series), m_size(model.thickLines() ? 9.0 : 7.0)
    {
        for (int s = 0; s < model.numSets(); ++s) {
            Set set;
            set.colour = GraphView::setColour(model.setColorIndex(s));
            const auto& values = model.setValues(s);
            set.points.reserve(values.size());
            for (int p = 0; p < model.numPoints(); ++p) {
                const double y = values[static_cast<std::size_t>(p)];
                if (std::isfinite(y) && std::isfinite(model.x(p))) {
                    set.points.append(QPointF(model.x(p), y));
                }
            }
            m_sets.push_back(std::move(set));
        }
        setZValue(10);
    }

    QRectF boundingRect() const override { return m_chart->boundingRect(); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        const QRectF area = m_chart->plotArea();
        painter->save();
        painter->setClipRect(area.adjusted(-m_size, -m_size, m_size, m_size));
        const double r = m_size / 2;
        for (const Set& set : m_sets) {
            painter->setPen(QPen(set.colour.darker(130), 0.8));
            painter->setBrush(set.colour);
            for (const QPointF& at : set.points) {
                const QPointF pos = m_chart->mapToPosition(at, m_series);
                if (area.contains(pos)) {
                    painter->drawEllipse(pos, r, r);
                }
            }
        }
        painter->restore();
    }

private:
    struct Set {
        QColor colour;
        QList<QPointF> points;
    };
    QChart* m_chart;
    QAbstractSeries* m_series;
    double m_size;
    std::vector<Set> m_sets;
};

void addOverlays(QChart* chart, const GraphModel& m, QAbstractAxis* xAxis, QAbstractAxis* yAxis)
{
    const int bits = m.statistics();
    if (bits == 0) {
        return;
    }
    const double x0 = m.axis(GraphAxis::X).min;
    const double x1 = m.axis(GraphAxis::X).max;
    const auto line = [&](double ya, double yb, const QColor& colour, Qt::PenStyle style) {
        auto* series = new QLineSeries();
        series->replace(QList<QPointF>{QPointF(x0, ya), QPointF(x1, yb)});
        QPen pen(colour, 1.5, style);
        series->setPen(pen);
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
        hideFromLegend(chart, series);
    };
    for (int s = 0; s < m.numSets(); ++s) {
        const SetStatistics st = ComputeSetStatistics(m.xValues(), m.setValues(s));
        if (st.count == 0) {
            continue;
        }
        const QColor colour = GraphView::setColour(m.setColorIndex(s)).darker(140);
        if (bits & overlay::Mean) {
            line(st.mean, st.mean, colour, Qt::DashLine);
        }
        if (bits & overlay::MinMax) {
            line(st.min, st.min, colour, Qt::DotLine);
            line(st.max, st.max, colour, Qt::DotLine);
        }
        if (bits & overlay::StandardDeviation) {
            line(st.mean - st.standardDeviation, st.mean - st.standardDeviation, colour, Qt::DashDotLine);
            line(st.mean + st.standardDeviation, st.mean + st.standardDeviation, colour, Qt::DashDotLine);
        }
        if ((bits & overlay::BestFit) && st.fit) {
            line(st.fit->intercept + st.fit->slope * x0, st.fit->intercept + st.fit->slope * x1, colour,
                 Qt::SolidLine);
        }
    }
}

QChart* xyChart(const GraphModel& m)
{
    const GraphType type = m.chartType();
    const bool polar = type == GraphType::Polar;
    const bool logY = type == GraphType::LogY;
    QChart* chart = polar ? new QPolarChart() : new QChart();
    QAbstractAxis* xAxis = valueAxis(m.axis(GraphAxis::X));
    QAbstractAxis* yAxis = logY ? static_cast<QAbstractAxis*>(logAxis(chart, m)) : valueAxis(m.axis(GraphAxis::Y));
    if (polar) {
        // The radial axis runs through the labels of the angles: its title
        // goes to the top of the chart instead.
        yAxis->setTitleText(QString());
        chart->setTitle(qs(m.axis(GraphAxis::Y).title));
        auto* pc = static_cast<QPolarChart*>(chart);
        pc->addAxis(xAxis, QPolarChart::PolarOrientationAngular);
        pc->addAxis(yAxis, QPolarChart::PolarOrientationRadial);
    } else {
        chart->addAxis(xAxis, m.xAxisAtTop() ? Qt::AlignTop : Qt::AlignBottom);
        chart->addAxis(yAxis, Qt::AlignLeft);
    }
    const double lineWidth = m.thickLines() ? 3.5 : 1.5;
    QAbstractSeries* first = nullptr;
    for (int s = 0; s < m.numSets(); ++s) {
        QList<QPointF> points;
        points.reserve(m.numPoints());
        const auto& values = m.setValues(s);
        for (int p = 0; p < m.numPoints(); ++p) {
            const double y = values[static_cast<std::size_t>(p)];
            if (std::isfinite(y) && (!logY || y > 0)) {
                points.append(QPointF(m.x(p), y));
            }
        }
        const QColor colour = GraphView::setColour(m.setColorIndex(s));
        QAbstractSeries* series = nullptr;
        if (type == GraphType::Scatter) {
            auto* scatter = new QScatterSeries();  // legend and axes; the markers are painted
            scatter->setMarkerSize(m.thickLines() ? 9 : 7);
            scatter->setColor(colour);
            scatter->setBorderColor(colour.darker(130));
            series = scatter;
        } else if (type == GraphType::Area || type == GraphType::AreaAlt) {
            auto* upper = new QLineSeries();
            upper->replace(points);
            auto* lower = new QLineSeries();
            const double base = std::max(m.axis(GraphAxis::Y).min, std::min(0.0, m.axis(GraphAxis::Y).max));
            QList<QPointF> basePoints;
            for (const QPointF& p : points) {
                basePoints.append(QPointF(p.x(), base));
            }
            lower->replace(basePoints);
            auto* area = new QAreaSeries(upper, lower);
            QColor fill = colour;
            fill.setAlpha(150);
            area->setBrush(fill);
            area->setPen(QPen(colour.darker(120), lineWidth));
            series = area;
        } else {
            auto* line = new QLineSeries();
            line->replace(points);
            line->setPen(QPen(colour, lineWidth));
            line->setPointsVisible(polar);
            series = line;
        }
        series->setName(qs(m.legendText(s)));
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
        if (first == nullptr) {
            first = series;
        }
    }
    if (type == GraphType::Scatter && first != nullptr) {
        new ScatterMarkersItem(chart, m, first);
    }
    if (!polar) {
        addOverlays(chart, m, xAxis, yAxis);
    }
    if (m.dataLabelsVisible() && first != nullptr) {
        new PointLabelItem(chart, m, first, logY);
    }
    return chart;
}

QBarCategoryAxis* categoryAxis(const GraphModel& m)
{
    auto* axis = new QBarCategoryAxis();
    QStringList names;
    for (int p = 0; p < m.numPoints(); ++p) {
        names << pointName(m, p);
    }
    axis->append(names);
    axis->setTitleText(qs(m.axis(GraphAxis::X).title));
    axis->setLabelsVisible(m.numPoints() <= 60);
    return axis;
}

// The points along x (at the bottom, or the top when asked) and the values
// along y on the left, both given to the chart and bound to its series.
void attachPointAndValueAxes(QChart* chart, QAbstractSeries* series, const GraphModel& m)
{
    QBarCategoryAxis* x = categoryAxis(m);
    chart->addAxis(x, m.xAxisAtTop() ? Qt::AlignTop : Qt::AlignBottom);
    QValueAxis* y = valueAxis(m.axis(GraphAxis::Y));
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
}

QChart* barChart(const GraphModel& m)
{
    auto* chart = new QChart();
    auto* series = new QBarSeries();
    for (int s = 0; s < m.numSets(); ++s) {
        auto* set = new QBarSet(qs(m.legendText(s)));
        QList<qreal> values(m.setValues(s).begin(), m.setValues(s).end());
        set->append(values);
        set->setColor(GraphView::setColour(m.setColorIndex(s)));
        series->append(set);
    }
    series->setBarWidth(std::max(0.01, 1.0 - m.barGap() / 100.0));
    chart->addSeries(series);
    attachPointAndValueAxes(chart, series, m);
    series->setLabelsVisible(m.dataLabelsVisible() && m.numPoints() * m.numSets() <= 200);
    return chart;
}

QChart* ganttChart(const GraphModel& m)
{
    auto* chart = new QChart();
    auto* series = new QHorizontalStackedBarSeries();
    const int sets = m.numSets();
    if (sets == 1) {
        auto* set = new QBarSet(qs(m.legendText(0)));
        set->append(QList<qreal>(m.setValues(0).begin(), m.setValues(0).end()));
        set->setColor(GraphView::setColour(m.setColorIndex(0)));
        series->append(set);
    } else {
        auto* start = new QBarSet(QString());
        start->append(QList<qreal>(m.setValues(0).begin(), m.setValues(0).end()));
        start->setColor(Qt::transparent);
        start->setBorderColor(Qt::transparent);
        series->append(start);
        for (int s = 1; s < sets; ++s) {
            auto* set = new QBarSet(qs(m.legendText(s)));
            for (int p = 0; p < m.numPoints(); ++p) {
                set->append(m.value(s, p) - m.value(s - 1, p));
            }
            set->setColor(GraphView::setColour(m.setColorIndex(s)));
            series->append(set);
        }
    }
    series->setBarWidth(std::max(0.01, 1.0 - m.barGap() / 100.0));
    chart->addSeries(series);
    if (sets > 1) {
        hideFromLegend(chart, series);
        const auto markers = chart->legend()->markers(series);
        for (int i = 1; i < markers.size(); ++i) {
            markers[i]->setVisible(true);
        }
    }
    QBarCategoryAxis* points = categoryAxis(m);
    chart->addAxis(points, Qt::AlignLeft);
    QValueAxis* values = valueAxis(m.axis(GraphAxis::Y));
    chart->addAxis(values, m.xAxisAtTop() ? Qt::AlignTop : Qt::AlignBottom);
    series->attachAxis(points);
    series->attachAxis(values);
    return chart;
}

QChart* highLowChart(const GraphModel& m)
{
    auto* chart = new QChart();
    auto* series = new QCandlestickSeries();
    series->setName(qs(m.legendText(0)));
    series->setIncreasingColor(GraphView::setColour(m.setColorIndex(0)));
    series->setDecreasingColor(GraphView::setColour(m.setColorIndex(0)).darker(150));
    series->setBodyWidth(std::max(0.05, 0.35 * (1.0 - m.barGap() / 100.0)));
    series->setCapsVisible(true);
    for (int p = 0; p < m.numPoints(); ++p) {
        double lo = m.value(0, p);
        double hi = lo;
        for (int s = 1; s < m.numSets(); ++s) {
            lo = std::min(lo, m.value(s, p));
            hi = std::max(hi, m.value(s, p));
        }
        series->append(new QCandlestickSet(m.value(0, p), hi, lo, m.value(m.numSets() - 1, p), p));
    }
    chart->addSeries(series);
    attachPointAndValueAxes(chart, series, m);
    return chart;
}

QChart* pieChart(const GraphModel& m)
{
    auto* chart = new QChart();
    const int sets = std::max(1, m.numSets());
    for (int s = 0; s < m.numSets(); ++s) {
        auto* pie = new QPieSeries();
        pie->setName(qs(m.legendText(s)));
        for (int p = 0; p < m.numPoints(); ++p) {
            QPieSlice* slice = pie->append(pointName(m, p), std::abs(m.value(s, p)));
            slice->setColor(GraphView::setColour((p + 1) % 14));
            slice->setLabelVisible(m.dataLabelsVisible() && m.numPoints() <= 40);
        }
        pie->setHorizontalPosition((s + 0.5) / sets);
        pie->setPieSize(std::min(0.9, 1.6 / sets));
        chart->addSeries(pie);
    }
    return chart;
}

// The oblique projection of the 3-D bar and pie types.
class ObliqueSurface : public QWidget {
public:
    explicit ObliqueSurface(const GraphModel& model, QWidget* parent = nullptr) : QWidget(parent), m_model(model)
    {
        setAutoFillBackground(false);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(rect(), Qt::white);
        if (m_model.chartType() == GraphType::Pie3D) {
            paintPies(painter);
        } else {
            paintBars(painter);
        }
    }

private:
    // The legend names the sets of a bar graph and the points (the slices)
    // of a pie graph.
    [[nodiscard]] bool slicesInLegend() const { return m_model.chartType() == GraphType::Pie3D; }
    [[nodiscard]] int legendEntries() const { return slicesInLegend() ? m_model.numPoints() : m_model.numSets(); }

    QRectF legendArea()
    {
        if (!m_model.hasLegend()) {
            return {};
        }
        return QRectF(width() - 130, 20, 120, 18.0 * legendEntries() + 10);
    }

    void paintLegend(QPainter& painter)
    {
        const QRectF box = legendArea();
        if (box.isEmpty()) {
            return;
        }
        painter.setPen(Qt::black);
        for (int i = 0; i < legendEntries(); ++i) {
            const QRectF swatch(box.left() + 4, box.top() + 6 + 18 * i, 12, 12);
            if (slicesInLegend()) {
                painter.fillRect(swatch, GraphView::setColour((i + 1) % 14));
                painter.drawText(QPointF(swatch.right() + 6, swatch.bottom() - 1), pointName(m_model, i));
            } else {
                painter.fillRect(swatch, GraphView::setColour(m_model.setColorIndex(i)));
                painter.drawText(QPointF(swatch.right() + 6, swatch.bottom() - 1), qs(m_model.legendText(i)));
            }
        }
    }

    void paintBars(QPainter& painter)
    {
        const int n = m_model.numPoints();
        const int sets = m_model.numSets();
        const GraphAxisSettings& ys = m_model.axis(GraphAxis::Y);
        const double lo = ys.min;
        const double hi = ys.max > ys.min ? ys.max : ys.min + 1;
        const double legendWidth = m_model.hasLegend() ? 140 : 0;
        const double depthTotal = std::min(width(), height()) * 0.06;
        const QRectF plot(70, 30 + depthTotal, width() - 100 - legendWidth - depthTotal,
                          height() - 90 - depthTotal);
        if (plot.width() <= 10 || plot.height() <= 10 || n == 0 || sets == 0) {
            return;
        }
        const auto yPos = [&](double v) { return plot.bottom() - (std::clamp(v, lo, hi) - lo) / (hi - lo) * plot.height(); };
        // Back walls and grid lines.
        const QPointF back(depthTotal, -depthTotal);
        painter.setPen(QPen(QColor(170, 170, 170), 0.8));
        painter.setBrush(QColor(245, 245, 245));
        painter.drawPolygon(QPolygonF{plot.bottomLeft(), plot.bottomLeft() + back, plot.topLeft() + back, plot.topLeft()});
        painter.drawPolygon(QPolygonF{plot.bottomLeft() + back, plot.bottomRight() + back, plot.topRight() + back,
                                      plot.topLeft() + back});
        painter.drawPolygon(QPolygonF{plot.bottomLeft(), plot.bottomRight(), plot.bottomRight() + back,
                                      plot.bottomLeft() + back});
        painter.setPen(Qt::black);
        // The labels as a value axis writes them (valueAxis).
        const AxisLabels labels = ChooseAxisLabels(lo, hi, ys.ticks, ys.format);
        for (std::size_t t = 0; t < labels.ticks.size(); ++t) {
            const double y = yPos(labels.ticks[t]);
            painter.setPen(QPen(QColor(200, 200, 200), 0.6));
            painter.drawLine(QPointF(plot.left(), y), QPointF(plot.left(), y) + back);
            painter.drawLine(QPointF(plot.left(), y) + back, QPointF(plot.right(), y) + back);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(0, y - 8, plot.left() - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                             qs(labels.texts[t]));
        }
        const double slot = plot.width() / n;
        const double groupWidth = slot * std::max(0.05, 1.0 - m_model.barGap() / 100.0) * 0.9;
        const double barWidth = groupWidth / sets;
        const double zero = yPos(std::clamp(0.0, lo, hi));
        const QPointF d(std::min(barWidth * 0.6, depthTotal * 0.6), -std::min(barWidth * 0.6, depthTotal * 0.6));
        for (int p = 0; p < n; ++p) {
            for (int s = 0; s < sets; ++s) {
                const QColor colour = GraphView::setColour(m_model.setColorIndex(s));
                const double left = plot.left() + slot * p + (slot - groupWidth) / 2 + barWidth * s;
                const double top = yPos(m_model.value(s, p));
                const QRectF front(QPointF(left, std::min(top, zero)), QPointF(left + barWidth, std::max(top, zero)));
                painter.setPen(QPen(colour.darker(170), 0.6));
                painter.setBrush(colour.darker(125));
                painter.drawPolygon(QPolygonF{front.topRight(), front.topRight() + d, front.bottomRight() + d,
                                              front.bottomRight()});
                painter.setBrush(colour.lighter(125));
                painter.drawPolygon(QPolygonF{front.topLeft(), front.topLeft() + d, front.topRight() + d, front.topRight()});
                painter.setBrush(colour);
                painter.drawRect(front);
            }
        }
        painter.setPen(Qt::black);
        if (n <= 40) {
            for (int p = 0; p < n; ++p) {
                painter.drawText(QRectF(plot.left() + slot * p, plot.bottom() + 4, slot, 16), Qt::AlignHCenter,
                                 pointName(m_model, p));
            }
        }
        painter.drawText(QRectF(plot.left(), height() - 30, plot.width(), 20), Qt::AlignHCenter,
                         qs(m_model.axis(GraphAxis::X).title));
        painter.save();
        painter.translate(14, plot.center().y());
        painter.rotate(-90);
        painter.drawText(QRectF(-plot.height() / 2, -8, plot.height(), 16), Qt::AlignHCenter, qs(ys.title));
        painter.restore();
        paintLegend(painter);
    }

    void paintPies(QPainter& painter)
    {
        const int sets = m_model.numSets();
        const int n = m_model.numPoints();
        if (sets == 0 || n == 0) {
            return;
        }
        const double legendWidth = m_model.hasLegend() ? 140 : 0;
        const double cell = (width() - 20 - legendWidth) / sets;
        const double diameter = std::min(cell * 0.9, (height() - 60) * 1.6);
        for (int s = 0; s < sets; ++s) {
            double total = 0;
            for (int p = 0; p < n; ++p) {
                total += std::abs(m_model.value(s, p));
            }
            if (total <= 0) {
                continue;
            }
            const QPointF centre(10 + cell * (s + 0.5), height() / 2.0 - 10);
            const double rx = diameter / 2;
            const double ry = rx * 0.5;
            const double thick = ry * 0.35;
            const auto at = [&](double angle, double drop) {
                return QPointF(centre.x() + rx * std::cos(angle), centre.y() + ry * std::sin(angle) + drop);
            };
            // Sides first (the front half only shows), then the tops.
            for (int pass = 0; pass < 2; ++pass) {
                double a0 = -M_PI / 2;
                for (int p = 0; p < n; ++p) {
                    const double a1 = a0 + 2 * M_PI * std::abs(m_model.value(s, p)) / total;
                    const QColor colour = GraphView::setColour((p + 1) % 14);
                    const int steps = std::max(2, static_cast<int>((a1 - a0) * 40));
                    if (pass == 0) {
                        QPolygonF side;
                        for (int i = 0; i <= steps; ++i) {
                            const double a = a0 + (a1 - a0) * i / steps;
                            if (std::sin(a) >= 0) {
                                side << at(a, 0);
                            }
                        }
                        for (int i = steps; i >= 0; --i) {
                            const double a = a0 + (a1 - a0) * i / steps;
                            if (std::sin(a) >= 0) {
                                side << at(a, thick);
                            }
                        }
                        if (side.size() >= 3) {
                            painter.setPen(QPen(colour.darker(180), 0.5));
                            painter.setBrush(colour.darker(140));
                            painter.drawPolygon(side);
                        }
                    } else {
                        QPolygonF top;
                        top << centre;
                        for (int i = 0; i <= steps; ++i) {
                            top << at(a0 + (a1 - a0) * i / steps, 0);
                        }
                        painter.setPen(QPen(colour.darker(160), 0.5));
                        painter.setBrush(colour);
                        painter.drawPolygon(top);
                        if (m_model.dataLabelsVisible() && n <= 40) {
                            const QPointF mid = at((a0 + a1) / 2, 0);
                            painter.setPen(Qt::black);
                            painter.drawText(mid + (mid - centre) * 0.15, pointName(m_model, p));
                        }
                    }
                    a0 = a1;
                }
            }
            painter.setPen(Qt::black);
            painter.drawText(QRectF(centre.x() - cell / 2, centre.y() + ry + thick + 8, cell, 18), Qt::AlignHCenter,
                             qs(m_model.legendText(s)));
        }
        paintLegend(painter);
    }

    const GraphModel& m_model;
};

} // namespace

GraphView::GraphView(QWidget* parent) : PlotView(parent) {}

GraphView::~GraphView() = default;

QColor GraphView::setColour(int index)
{
    static const QColor palette[14] = {
        QColor(0, 0, 0),       QColor(31, 119, 180), QColor(214, 39, 40),  QColor(44, 160, 44),
        QColor(255, 127, 14),  QColor(148, 103, 189), QColor(23, 190, 207), QColor(140, 86, 75),
        QColor(227, 119, 194), QColor(127, 127, 127), QColor(188, 189, 34), QColor(0, 0, 128),
        QColor(128, 0, 0),     QColor(0, 100, 0),
    };
    return palette[((index % 14) + 14) % 14];
}

QRectF GraphView::PointLabelRect(const QRectF& area, QPointF point, QSizeF text)
{
    constexpr double Gap = 4;
    // Right of the point and above it, as far as the plot area allows; a
    // label that would run past an edge goes to the other side of the point.
    double left = point.x() + Gap;
    if (left + text.width() > area.right()) {
        left = point.x() - Gap - text.width();
    }
    double top = point.y() - Gap - text.height();
    if (top < area.top()) {
        top = point.y() + Gap;
    }
    // A label wider or taller than the room on either side is kept inside
    // the area, over its point if need be.
    left = std::max(area.left(), std::min(left, area.right() - text.width()));
    top = std::max(area.top(), std::min(top, area.bottom() - text.height()));
    return {QPointF(left, top), text};
}

std::vector<QRectF> GraphView::pointLabelRects() const
{
    std::vector<QRectF> out;
    if (chart() == nullptr) {
        return out;
    }
    for (QGraphicsItem* item : chart()->childItems()) {
        if (const auto* labels = dynamic_cast<const PointLabelItem*>(item)) {
            for (const auto& [rect, text] : labels->placed()) {
                out.push_back(chart()->mapRectToScene(rect));
            }
        }
    }
    return out;
}

void GraphView::draw()
{
    ++m_draws;
    const GraphType type = m_model.chartType();
    if (isThreeD(type)) {
        showPainted(new ObliqueSurface(m_model, this));
        update();
        return;
    }
    QChart* chart = nullptr;
    switch (type) {
    case GraphType::Bar2D:
        chart = barChart(m_model);
        break;
    case GraphType::Gantt:
        chart = ganttChart(m_model);
        break;
    case GraphType::HighLow:
        chart = highLowChart(m_model);
        break;
    case GraphType::Pie2D:
        chart = pieChart(m_model);
        break;
    default:
        chart = xyChart(m_model);
        break;
    }
    chart->legend()->setVisible(m_model.hasLegend());
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(6, 6, roomPastHorizontalAxis(chart, 6), 6));
    showChart(chart);
}

} // namespace platform
