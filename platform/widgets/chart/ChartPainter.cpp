#include "platform/widgets/chart/ChartPainter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "platform/widgets/chart/ChartModel.h"
#include "platform/widgets/plot/AxisTicks.h"

namespace platform {

QColor seriesColor(int series)
{
    static const std::array<QColor, 16> palette = {
        QColor(0x1f, 0x4e, 0x9c), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e),
        QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b), QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f),
        QColor(0xbc, 0xbd, 0x22), QColor(0x17, 0xbe, 0xcf), QColor(0x00, 0x00, 0x80), QColor(0x80, 0x00, 0x00),
        QColor(0x00, 0x80, 0x80), QColor(0x80, 0x80, 0x00), QColor(0x40, 0x40, 0x40), QColor(0xff, 0xbb, 0x78)};
    const int i = ((series - 1) % 16 + 16) % 16;
    return palette[static_cast<std::size_t>(i)];
}

double penPixels(double width)
{
    return std::max(1.0, width / 5.0);
}

namespace {

constexpr double TwipsPerPixel = 15.0;

QString numberText(double v)
{
    if (std::abs(v) < 1e-12) {
        v = 0;
    }
    return QString::number(v, 'g', 6);
}

QFont titleFont(const ChartAxis& a)
{
    QFont f(QString::fromStdString(a.titleFont.name));
    f.setPointSizeF(a.titleFont.size > 0 ? a.titleFont.size : 10);
    f.setBold(a.titleFont.bold);
    return f;
}

// The vertical mapping of the value axis, linear or logarithmic.
struct ValueScale {
    double lo = 0;
    double hi = 1;
    bool log = false;
    double top = 0;
    double bottom = 1;

    [[nodiscard]] std::optional<double> y(double v) const
    {
        double t;
        if (log) {
            if (v <= 0) {
                return std::nullopt;
            }
            t = (std::log10(v) - std::log10(lo)) / (std::log10(hi) - std::log10(lo));
        } else {
            t = (v - lo) / (hi - lo);
        }
        return bottom - t * (bottom - top);
    }
    [[nodiscard]] double baseline() const
    {
        if (log) {
            return bottom;
        }
        return *y(std::clamp(0.0, lo, hi));
    }
};

struct Series {
    int column;                 // the value column, from 1
    std::optional<int> xColumn;  // the x column of an XY series
};

std::vector<Series> seriesOf(const ChartModel& m)
{
    std::vector<Series> out;
    if (m.chartType() == charttype::XY2d && m.columnCount() > 1) {
        for (int c = 2; c <= m.columnCount(); c += 2) {
            out.push_back({c, c - 1});
        }
    } else {
        for (int c = 1; c <= m.columnCount(); ++c) {
            out.push_back({c, std::nullopt});
        }
    }
    return out;
}

QPen seriesPen(const ChartModel& m, int column, QColor color)
{
    QPen pen(color, penPixels(m.penWidth(column)));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

double legendWidth(const ChartModel& m, const QFontMetricsF& fm)
{
    double w = 0;
    for (const Series& s : seriesOf(m)) {
        w = std::max(w, fm.horizontalAdvance(QString::fromStdString(m.columnLabel(s.column))));
    }
    return w + 34;
}

void drawLegend(QPainter& p, const QRectF& box, const ChartModel& m, const QFontMetricsF& fm)
{
    const auto series = seriesOf(m);
    const double line = fm.height() + 4;
    double y = box.center().y() - line * static_cast<double>(series.size()) / 2;
    for (const Series& s : series) {
        const QColor color = seriesColor(s.column);
        p.fillRect(QRectF(box.left() + 6, y + line / 2 - 5, 16, 10), color);
        p.setPen(Qt::black);
        p.drawText(QRectF(box.left() + 28, y, box.width() - 28, line), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromStdString(m.columnLabel(s.column)));
        y += line;
    }
}

void drawPies(QPainter& p, const QRectF& area, const ChartModel& m, const QFontMetricsF& fm)
{
    const int n = std::max(1, m.rowCount());
    const int cols = std::max(1, static_cast<int>(std::ceil(std::sqrt(n * area.width() / std::max(1.0, area.height())))));
    const int rows = (n + cols - 1) / cols;
    const double cellW = area.width() / cols;
    const double cellH = area.height() / rows;
    for (int r = 1; r <= m.rowCount(); ++r) {
        const QRectF cell(area.left() + cellW * ((r - 1) % cols), area.top() + cellH * ((r - 1) / cols), cellW, cellH);
        const double d = std::max(4.0, std::min(cell.width(), cell.height() - fm.height()) - 8);
        const QRectF pie(cell.center().x() - d / 2, cell.top() + 4, d, d);
        double total = 0;
        for (int c = 1; c <= m.columnCount(); ++c) {
            if (const auto v = m.value(r, c); v && *v > 0) {
                total += *v;
            }
        }
        if (total > 0) {
            double start = 90 * 16;
            for (int c = 1; c <= m.columnCount(); ++c) {
                const auto v = m.value(r, c);
                if (!v || *v <= 0) {
                    continue;
                }
                const double span = -*v / total * 360 * 16;
                p.setPen(QPen(Qt::white, 1));
                p.setBrush(seriesColor(c));
                p.drawPie(pie, static_cast<int>(std::lround(start)), static_cast<int>(std::lround(span)));
                start += span;
            }
        }
        p.setPen(Qt::black);
        p.drawText(QRectF(cell.left(), pie.bottom(), cell.width(), fm.height() + 2), Qt::AlignCenter,
                   QString::fromStdString(m.rowLabel(r)));
    }
}

} // namespace

void paintChart(QPainter& p, const QRectF& target, const ChartModel& m)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(target, Qt::white);
    p.setClipRect(target);

    QFont labelFont("Arial");
    labelFont.setPointSizeF(9);
    p.setFont(labelFont);
    const QFontMetricsF fm(labelFont, p.device());

    const int type = m.chartType();
    const bool threeD = isThreeD(type);
    QRectF area = target.adjusted(10, 10, -10, -10);

    if (m.isLegendVisible() && m.columnCount() > 0) {
        const double w = std::min(legendWidth(m, fm), area.width() / 3);
        drawLegend(p, QRectF(area.right() - w, area.top(), w, area.height()), m, fm);
        area.setRight(area.right() - w - 8);
    }

    const ChartAxis& xAxis = m.axis(chartaxis::X);
    const ChartAxis& yAxis = m.axis(chartaxis::Y);
    const ChartAxis& zAxis = m.axis(chartaxis::Z);

    if (type == charttype::Pie2d) {
        drawPies(p, area, m, fm);
        p.restore();
        return;
    }

    // Titles: X under the plot, Y turned along the left edge, Z (3-D only)
    // at the bottom right under the depth axis.
    if (xAxis.titleVisible && !xAxis.title.empty()) {
        const QFont f = titleFont(xAxis);
        const QFontMetricsF tm(f, p.device());
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QRectF(area.left(), area.bottom() - tm.height(), area.width(), tm.height()), Qt::AlignCenter,
                   QString::fromStdString(xAxis.title));
        area.setBottom(area.bottom() - tm.height() - 4);
    }
    if (threeD && zAxis.titleVisible && !zAxis.title.empty()) {
        const QFont f = titleFont(zAxis);
        const QFontMetricsF tm(f, p.device());
        p.setFont(f);
        p.drawText(QRectF(area.left(), area.bottom() - tm.height(), area.width(), tm.height()), Qt::AlignRight,
                   QString::fromStdString(zAxis.title));
        area.setBottom(area.bottom() - tm.height() - 4);
    }
    if (yAxis.titleVisible && !yAxis.title.empty()) {
        const QFont f = titleFont(yAxis);
        const QFontMetricsF tm(f, p.device());
        p.setFont(f);
        p.save();
        p.translate(area.left(), area.center().y());
        p.rotate(-90);
        p.drawText(QRectF(-area.height() / 2, 0, area.height(), tm.height()), Qt::AlignCenter,
                   QString::fromStdString(yAxis.title));
        p.restore();
        area.setLeft(area.left() + tm.height() + 4);
    }
    p.setFont(labelFont);

    // Value axis labels and the room they take.
    const ChartRange range = m.valueRange();
    const bool logY = yAxis.scaleType == 1 && range.minimum > 0 && range.maximum > range.minimum;
    std::vector<double> ticks;
    if (logY) {
        ticks = LogAxisTicks(range.minimum, range.maximum);
    } else {
        for (int i = 0; i <= range.divisions; ++i) {
            ticks.push_back(range.minimum + (range.maximum - range.minimum) * i / range.divisions);
        }
    }
    double labelW = 0;
    for (double v : ticks) {
        labelW = std::max(labelW, fm.horizontalAdvance(numberText(v)));
    }
    const double xTick = xAxis.tickStyle != 0 ? xAxis.tickLength / TwipsPerPixel : 0;
    area.setLeft(area.left() + labelW + 8);
    area.setBottom(area.bottom() - fm.height() - xTick - 4);

    const int seriesCount = static_cast<int>(seriesOf(m).size());
    double dx = 0;
    double dy = 0;
    if (threeD && seriesCount > 0) {
        const double depth = std::min(area.width(), area.height()) * 0.45;
        dx = depth * 0.8 / seriesCount;
        dy = depth * 0.5 / seriesCount;
    }
    const QRectF front(area.left(), area.top() + dy * seriesCount, area.width() - dx * seriesCount,
                       area.height() - dy * seriesCount);
    if (front.width() < 4 || front.height() < 4) {
        p.restore();
        return;
    }
    ValueScale vs{range.minimum, range.maximum, logY, front.top(), front.bottom()};
    if (!logY && vs.hi <= vs.lo) {
        vs.hi = vs.lo + 1;
    }

    // Walls and grid: the back wall carries the grid of the value axis.
    const QPointF back(dx * seriesCount, -dy * seriesCount);
    p.setPen(QPen(QColor(0xc8, 0xc8, 0xc8), 1));
    if (threeD) {
        p.setBrush(QColor(0xf4, 0xf4, 0xf4));
        p.drawPolygon(QPolygonF({front.bottomLeft(), front.bottomRight(), front.bottomRight() + back,
                                 front.bottomLeft() + back}));
        p.drawRect(front.translated(back));
        p.setBrush(Qt::NoBrush);
    }
    for (double v : ticks) {
        const double y = *vs.y(v);
        p.setPen(QPen(QColor(0xd8, 0xd8, 0xd8), 1));
        p.drawLine(QPointF(front.left(), y) + back, QPointF(front.right(), y) + back);
        if (threeD) {
            p.drawLine(QPointF(front.left(), y), QPointF(front.left(), y) + back);
        }
        p.setPen(Qt::black);
        p.drawText(QRectF(front.left() - labelW - 8, y - fm.height() / 2, labelW + 4, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, numberText(v));
    }

    // Category positions, or the x value axis of an XY chart.
    const int rows = m.rowCount();
    const double slot = rows > 0 ? front.width() / rows : front.width();
    const ChartRange xr = m.xRange();
    auto xOf = [&](int row, std::optional<double> xv) -> std::optional<double> {
        if (type == charttype::XY2d) {
            if (!xv) {
                return std::nullopt;
            }
            const double span = xr.maximum > xr.minimum ? xr.maximum - xr.minimum : 1;
            return front.left() + (*xv - xr.minimum) / span * front.width();
        }
        return front.left() + slot * (row - 0.5);
    };

    p.setPen(QPen(Qt::black, 1));
    p.drawLine(front.bottomLeft(), front.bottomRight());
    p.drawLine(front.bottomLeft(), front.topLeft());
    if (type == charttype::XY2d) {
        for (int i = 0; i <= xr.divisions; ++i) {
            const double v = xr.minimum + (xr.maximum - xr.minimum) * i / xr.divisions;
            const double x = front.left() + front.width() * i / xr.divisions;
            if (xTick > 0) {
                p.drawLine(QPointF(x, front.bottom()), QPointF(x, front.bottom() + xTick));
            }
            p.drawText(QRectF(x - 40, front.bottom() + xTick + 2, 80, fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                       numberText(v));
        }
    } else {
        if (xTick > 0) {
            for (int r = 0; r <= rows; ++r) {
                const double x = front.left() + slot * r;
                p.drawLine(QPointF(x, front.bottom()), QPointF(x, front.bottom() + xTick));
            }
        }
        const int every = m.labelSpacing();
        const double room = slot * every;
        for (int r = 1; r <= rows; r += every) {
            const double x = *xOf(r, std::nullopt);
            p.drawText(QRectF(x - room / 2, front.bottom() + xTick + 2, room, fm.height()),
                       Qt::AlignHCenter | Qt::AlignTop, fm.elidedText(QString::fromStdString(m.rowLabel(r)),
                                                                      Qt::ElideRight, std::max(room, fm.height())));
        }
    }

    // The series, the last one at the back.
    const auto series = seriesOf(m);
    p.save();
    p.setClipRect(QRectF(area.left(), target.top(), area.width() + 1, front.bottom() - target.top() + 1));
    for (int k = seriesCount; k >= 1; --k) {
        const Series& s = series[static_cast<std::size_t>(k - 1)];
        const QColor color = seriesColor(s.column);
        const QPointF shift = threeD ? QPointF(dx * (k - 1), -dy * (k - 1)) : QPointF(0, 0);
        const QPointF thick = QPointF(dx * 0.7, -dy * 0.7);
        if (type == charttype::Bar2d || type == charttype::Bar3d) {
            const double barW = type == charttype::Bar2d ? slot * 0.8 / seriesCount : slot * 0.6;
            for (int r = 1; r <= rows; ++r) {
                const auto v = m.value(r, s.column);
                if (!v) {
                    continue;
                }
                const auto top = vs.y(*v);
                if (!top) {
                    continue;
                }
                double left = *xOf(r, std::nullopt) - slot * 0.4;
                left = type == charttype::Bar2d ? left + barW * (k - 1) : *xOf(r, std::nullopt) - barW / 2;
                const double base = vs.baseline();
                QRectF bar(QPointF(left, std::min(*top, base)), QPointF(left + barW, std::max(*top, base)));
                bar.translate(shift);
                p.setPen(QPen(color.darker(150), penPixels(m.penWidth(s.column)) > 1 ? penPixels(m.penWidth(s.column)) : 0.6));
                if (type == charttype::Bar3d) {
                    p.setBrush(color.darker(130));
                    p.drawPolygon(QPolygonF({bar.topRight(), bar.bottomRight(), bar.bottomRight() + thick,
                                             bar.topRight() + thick}));
                    p.setBrush(color.lighter(130));
                    p.drawPolygon(QPolygonF({bar.topLeft(), bar.topRight(), bar.topRight() + thick,
                                             bar.topLeft() + thick}));
                }
                p.setBrush(color);
                p.drawRect(bar);
            }
            continue;
        }
        // Lines and XY: one run per stretch of present points.
        std::vector<std::vector<QPointF>> runs(1);
        for (int r = 1; r <= rows; ++r) {
            const auto v = m.value(r, s.column);
            std::optional<double> xv;
            if (s.xColumn) {
                xv = m.value(r, *s.xColumn);
            } else if (type == charttype::XY2d) {
                xv = static_cast<double>(r);
            }
            const auto x = v ? xOf(r, xv) : std::nullopt;
            const auto y = v ? vs.y(*v) : std::nullopt;
            if (!x || !y) {
                if (!runs.back().empty()) {
                    runs.emplace_back();
                }
                continue;
            }
            runs.back().push_back(QPointF(*x, *y) + shift);
        }
        for (const auto& run : runs) {
            if (type == charttype::Line3d) {
                for (std::size_t i = 0; i + 1 < run.size(); ++i) {
                    p.setPen(QPen(color.darker(150), 0.6));
                    p.setBrush(i % 2 == 0 ? color : color.lighter(115));
                    p.drawPolygon(QPolygonF({run[i], run[i + 1], run[i + 1] + thick, run[i] + thick}));
                }
                if (run.size() == 1) {
                    p.setPen(QPen(color, 2));
                    p.drawLine(run[0], run[0] + thick);
                }
                continue;
            }
            p.setPen(seriesPen(m, s.column, color));
            p.setBrush(Qt::NoBrush);
            if (run.size() > 1) {
                p.drawPolyline(QPolygonF(QList<QPointF>(run.begin(), run.end())));
            }
            if (type == charttype::XY2d || run.size() == 1) {
                p.setPen(Qt::NoPen);
                p.setBrush(color);
                for (const QPointF& pt : run) {
                    p.drawRect(QRectF(pt.x() - 2.5, pt.y() - 2.5, 5, 5));
                }
            }
        }
    }
    p.restore();
    p.restore();
}

} // namespace platform
