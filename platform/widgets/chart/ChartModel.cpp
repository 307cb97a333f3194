#include "platform/widgets/chart/ChartModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/runtime/Convert.h"

namespace platform {

bool isChartType(int type)
{
    switch (type) {
    case charttype::Bar3d:
    case charttype::Bar2d:
    case charttype::Line3d:
    case charttype::Line2d:
    case charttype::Pie2d:
    case charttype::XY2d:
        return true;
    default:
        return false;
    }
}

bool isThreeD(int type)
{
    return type == charttype::Bar3d || type == charttype::Line3d;
}

ChartRange niceRange(double lo, double hi, int divisions)
{
    divisions = std::max(1, divisions);
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) {
        return {0, 1, divisions};
    }
    if (hi - lo <= 0) {
        const double pad = lo == 0 ? 1 : std::abs(lo) * 0.1;
        lo -= pad;
        hi += pad;
    }
    const double raw = (hi - lo) / divisions;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (const double f : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        step = f * magnitude;
        if (step >= raw) {
            break;
        }
    }
    const double from = std::floor(lo / step + 1e-9) * step;
    const double to = std::ceil(hi / step - 1e-9) * step;
    const int n = std::max(1, static_cast<int>(std::lround((to - from) / step)));
    return {from, to, n};
}

ChartModel::ChartModel()
{
    for (int id = 0; id < chartaxis::Count; ++id) {
        m_axes[id] = ChartAxis{};
    }
    resize(0, 0);
}

void ChartModel::resize(int rows, int columns)
{
    m_rows = std::max(0, rows);
    m_columns = std::max(0, columns);
    m_cells.assign(static_cast<std::size_t>(m_rows) * static_cast<std::size_t>(m_columns), std::nullopt);
    m_rowLabels.resize(static_cast<std::size_t>(m_rows));
    for (int r = 0; r < m_rows; ++r) {
        m_rowLabels[static_cast<std::size_t>(r)] = "R" + rt::CStr(r + 1);
    }
    m_columnLabels.resize(static_cast<std::size_t>(m_columns));
    for (int c = 0; c < m_columns; ++c) {
        m_columnLabels[static_cast<std::size_t>(c)] = "C" + rt::CStr(c + 1);
    }
    m_penWidths.resize(static_cast<std::size_t>(m_columns), 0.0);
}

std::size_t ChartModel::index(int row, int column) const
{
    return static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(m_columns) + static_cast<std::size_t>(column - 1);
}

void ChartModel::setValue(int row, int column, double value)
{
    if (row < 1 || row > m_rows || column < 1 || column > m_columns) {
        return;
    }
    m_cells[index(row, column)] = std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

void ChartModel::clearValue(int row, int column)
{
    if (row >= 1 && row <= m_rows && column >= 1 && column <= m_columns) {
        m_cells[index(row, column)].reset();
    }
}

std::optional<double> ChartModel::value(int row, int column) const
{
    if (row < 1 || row > m_rows || column < 1 || column > m_columns) {
        return std::nullopt;
    }
    return m_cells[index(row, column)];
}

bool ChartModel::setChartType(int type)
{
    if (!isChartType(type)) {
        return false;
    }
    m_type = type;
    return true;
}

void ChartModel::setRowLabel(int row, std::string label)
{
    if (row >= 1 && row <= m_rows) {
        m_rowLabels[static_cast<std::size_t>(row - 1)] = std::move(label);
    }
}

void ChartModel::setColumnLabel(int column, std::string label)
{
    if (column >= 1 && column <= m_columns) {
        m_columnLabels[static_cast<std::size_t>(column - 1)] = std::move(label);
    }
}

std::string ChartModel::rowLabel(int row) const
{
    return row >= 1 && row <= m_rows ? m_rowLabels[static_cast<std::size_t>(row - 1)] : std::string{};
}

std::string ChartModel::columnLabel(int column) const
{
    return column >= 1 && column <= m_columns ? m_columnLabels[static_cast<std::size_t>(column - 1)] : std::string{};
}

void ChartModel::setPenWidth(int series, double width)
{
    if (series >= 1 && series <= m_columns) {
        m_penWidths[static_cast<std::size_t>(series - 1)] = std::max(0.0, width);
    }
}

double ChartModel::penWidth(int series) const
{
    return series >= 1 && series <= m_columns ? m_penWidths[static_cast<std::size_t>(series - 1)] : 0.0;
}

ChartAxis& ChartModel::axis(int id)
{
    return m_axes[id >= 0 && id < chartaxis::Count ? id : chartaxis::X];
}

const ChartAxis& ChartModel::axis(int id) const
{
    return m_axes[id >= 0 && id < chartaxis::Count ? id : chartaxis::X];
}

int ChartModel::labelSpacing() const
{
    const ChartAxis& x = axis(chartaxis::X);
    return x.categoryAuto ? 1 : std::max(1, x.divisionsPerLabel);
}

namespace {

// Columns that hold values (y) or x positions in the current chart type.
bool isValueColumn(const ChartModel& m, int column)
{
    return m.chartType() != charttype::XY2d || m.columnCount() == 1 || column % 2 == 0;
}

ChartRange manualRange(const ChartAxis& a)
{
    return {a.minimum, a.maximum, std::max(1, static_cast<int>(a.majorDivision))};
}

} // namespace

ChartRange ChartModel::valueRange() const
{
    const ChartAxis& y = axis(chartaxis::Y);
    if (!y.valueAuto) {
        return manualRange(y);
    }
    const bool logScale = y.scaleType == 1;
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    for (int r = 1; r <= m_rows; ++r) {
        for (int c = 1; c <= m_columns; ++c) {
            const auto v = value(r, c);
            if (!v || !isValueColumn(*this, c) || (logScale && *v <= 0)) {
                continue;
            }
            lo = std::min(lo, *v);
            hi = std::max(hi, *v);
        }
    }
    if (logScale) {
        if (lo > hi) {
            return {1, 10, 1};
        }
        const double from = std::pow(10.0, std::floor(std::log10(lo)));
        double to = std::pow(10.0, std::ceil(std::log10(hi)));
        if (to <= from) {
            to = from * 10;
        }
        return {from, to, std::max(1, static_cast<int>(std::lround(std::log10(to / from))))};
    }
    if (lo > hi) {
        return niceRange(0, 1, y.majorDivision);
    }
    if (m_type == charttype::Bar2d || m_type == charttype::Bar3d || m_type == charttype::Pie2d) {
        lo = std::min(lo, 0.0);
        hi = std::max(hi, 0.0);
    }
    return niceRange(lo, hi, y.majorDivision);
}

ChartRange ChartModel::xRange() const
{
    const ChartAxis& x = axis(chartaxis::X);
    if (!x.valueAuto) {
        return manualRange(x);
    }
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    if (m_columns == 1) {
        lo = 1;
        hi = std::max(1, m_rows);
    } else {
        for (int r = 1; r <= m_rows; ++r) {
            for (int c = 1; c <= m_columns; c += 2) {
                if (const auto v = value(r, c)) {
                    lo = std::min(lo, *v);
                    hi = std::max(hi, *v);
                }
            }
        }
    }
    if (lo > hi) {
        return niceRange(0, 1, x.majorDivision);
    }
    return niceRange(lo, hi, x.majorDivision);
}

std::string ChartModel::dataText() const
{
    std::string out;
    for (int c = 1; c <= m_columns; ++c) {
        out += '\t';
        out += columnLabel(c);
    }
    out += "\r\n";
    for (int r = 1; r <= m_rows; ++r) {
        out += rowLabel(r);
        for (int c = 1; c <= m_columns; ++c) {
            out += '\t';
            if (const auto v = value(r, c)) {
                out += rt::CStr(*v);
            }
        }
        out += "\r\n";
    }
    return out;
}

} // namespace platform
