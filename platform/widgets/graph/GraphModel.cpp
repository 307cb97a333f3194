#include "platform/widgets/graph/GraphModel.h"

#include <algorithm>
#include <cmath>

#include "platform/errors/Error.h"
#include "platform/widgets/plot/AxisTicks.h"

namespace platform {

namespace {
constexpr const char* Source = "Graph";

[[noreturn]] void badValue(const char* what)
{
    throw Error(err::InvalidPropertyValue, Source, std::string("Invalid property value: ") + what);
}
} // namespace

bool isValidGraphType(int code)
{
    return (code >= 1 && code <= 11) || code == 14;
}

bool isThreeD(GraphType type)
{
    return type == GraphType::Pie3D || type == GraphType::Bar3D;
}

GraphModel::GraphModel()
{
    m_xAxis.format = "0";
}

void GraphModel::beginDrawing()
{
    m_dataLabels = false;
    std::fill(m_pointLabels.begin(), m_pointLabels.end(), std::string());
    std::fill(m_pointLabelStyles.begin(), m_pointLabelStyles.end(), 0);
}

void GraphModel::setCounts(int sets, int points)
{
    if (sets < 0 || points < 0) {
        badValue("count");
    }
    m_values.resize(static_cast<std::size_t>(sets));
    for (auto& set : m_values) {
        set.resize(static_cast<std::size_t>(points), 0.0);
    }
    m_numPoints = points;
    m_x.resize(static_cast<std::size_t>(points), 0.0);
    m_pointLabels.resize(static_cast<std::size_t>(points));
    m_pointLabelStyles.resize(static_cast<std::size_t>(points), 0);
    m_legend.resize(static_cast<std::size_t>(sets));
    m_colourIndex.resize(static_cast<std::size_t>(sets), 0);
    for (int s = 0; s < sets; ++s) {
        if (m_colourIndex[static_cast<std::size_t>(s)] == 0) {
            m_colourIndex[static_cast<std::size_t>(s)] = (s + 1) % 14;
        }
    }
}

void GraphModel::checkSet(int set) const
{
    if (set < 0 || set >= numSets()) {
        throw Error::runtime(err::Subscript, Source);
    }
}

void GraphModel::checkPoint(int point) const
{
    if (point < 0 || point >= m_numPoints) {
        throw Error::runtime(err::Subscript, Source);
    }
}

void GraphModel::setValue(int set, int point, double v)
{
    checkSet(set);
    checkPoint(point);
    m_values[static_cast<std::size_t>(set)][static_cast<std::size_t>(point)] = v;
}

double GraphModel::value(int set, int point) const
{
    checkSet(set);
    checkPoint(point);
    return m_values[static_cast<std::size_t>(set)][static_cast<std::size_t>(point)];
}

const std::vector<double>& GraphModel::setValues(int set) const
{
    checkSet(set);
    return m_values[static_cast<std::size_t>(set)];
}

void GraphModel::setX(int point, double v)
{
    checkPoint(point);
    m_x[static_cast<std::size_t>(point)] = v;
}

double GraphModel::x(int point) const
{
    checkPoint(point);
    return m_x[static_cast<std::size_t>(point)];
}

void GraphModel::setPointLabel(int point, std::string text)
{
    checkPoint(point);
    m_pointLabels[static_cast<std::size_t>(point)] = std::move(text);
}

const std::string& GraphModel::pointLabel(int point) const
{
    checkPoint(point);
    return m_pointLabels[static_cast<std::size_t>(point)];
}

void GraphModel::setPointLabelStyle(int point, int style)
{
    checkPoint(point);
    m_pointLabelStyles[static_cast<std::size_t>(point)] = style;
}

int GraphModel::pointLabelStyle(int point) const
{
    checkPoint(point);
    return m_pointLabelStyles[static_cast<std::size_t>(point)];
}

void GraphModel::setLegendText(int set, std::string text)
{
    checkSet(set);
    m_legend[static_cast<std::size_t>(set)] = std::move(text);
}

const std::string& GraphModel::legendText(int set) const
{
    checkSet(set);
    return m_legend[static_cast<std::size_t>(set)];
}

void GraphModel::clearLegendTexts()
{
    std::fill(m_legend.begin(), m_legend.end(), std::string());
}

bool GraphModel::hasLegend() const
{
    return std::any_of(m_legend.begin(), m_legend.end(), [](const std::string& s) { return !s.empty(); });
}

void GraphModel::setSetColorIndex(int set, int index)
{
    checkSet(set);
    m_colourIndex[static_cast<std::size_t>(set)] = ((index % 14) + 14) % 14;
}

int GraphModel::setColorIndex(int set) const
{
    checkSet(set);
    return m_colourIndex[static_cast<std::size_t>(set)];
}

void GraphModel::setChartType(int code)
{
    if (!isValidGraphType(code)) {
        badValue("chart type");
    }
    m_type = static_cast<GraphType>(code);
}

void GraphModel::setTickCount(GraphAxis a, int ticks)
{
    if (ticks < 1) {
        badValue("tick count");
    }
    axisRef(a).ticks = ticks;
}

void GraphModel::setBarGap(int gap)
{
    if (gap < 0 || gap > 100) {
        badValue("bar width");
    }
    m_barGap = gap;
}

LogAxisRange LogYAxisRange(const GraphModel& graph)
{
    double smallest = 0;
    double largest = 0;
    for (int set = 0; set < graph.numSets(); ++set) {
        for (double v : graph.setValues(set)) {
            if (std::isfinite(v) && v > 0) {
                smallest = smallest > 0 ? std::min(smallest, v) : v;
                largest = std::max(largest, v);
            }
        }
    }
    const GraphAxisSettings& y = graph.axis(GraphAxis::Y);
    LogAxisRange r;
    r.minKept = y.min > 0;
    r.maxKept = y.max > 0;
    if (r.minKept) {
        r.lo = y.min;
    } else {
        double below = smallest > 0 ? smallest : 0.1;
        if (r.maxKept) {
            below = std::min(below, y.max);
        }
        r.lo = std::pow(10.0, std::floor(std::log10(below)));
        if (r.maxKept && !(r.lo < y.max)) {
            r.lo /= 10;
        }
    }
    if (r.maxKept) {
        r.hi = y.max;
    } else {
        r.hi = largest > r.lo ? largest : r.lo * 10;
    }
    if (!(r.hi > r.lo)) {
        r.hi = r.lo * 10;
    }
    return r;
}

std::string FormatGraphLabel(double value, const std::string& format)
{
    return FormatLabel(value, format);
}

} // namespace platform
