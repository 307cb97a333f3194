#pragma once

// GraphModel: what the graph control holds, without any widget: a table of
// sets of points with their X values, labels and legend texts, the chart
// type, the statistics overlays and the look of the axes. GraphView draws
// it; the graph window sets it through the typed members below.
//
// Sets and points are counted from 0 here. Values default to 0, labels and
// legend texts to "". Changing the counts keeps the values that still fit.
//
// Errors (platform::Error, source "Graph"): 9 a set or point outside the
// counts; 380 a chart type, bar gap, tick count or count out of range.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The control's chart type codes. Area has two codes (8 and 14): both draw
// an area graph.
enum class GraphType : std::int16_t {
    Pie2D = 1,
    Pie3D = 2,
    Bar2D = 3,
    Bar3D = 4,
    Gantt = 5,
    Line = 6,
    LogY = 7,
    Area = 8,
    Scatter = 9,
    Polar = 10,
    HighLow = 11,
    AreaAlt = 14,
};

[[nodiscard]] bool isValidGraphType(int code);
[[nodiscard]] bool isThreeD(GraphType type);

enum class GraphAxis { X, Y };

struct GraphAxisSettings {
    std::string title;
    double min = 0;
    double max = 1;
    int ticks = 6;
    std::string format = "0.0";
};

class GraphModel {
public:
    GraphModel();

    // Resets what one drawing sets afresh (the start of every drawing).
    void beginDrawing();

    void setCounts(int sets, int points);
    [[nodiscard]] int numSets() const noexcept { return static_cast<int>(m_values.size()); }
    [[nodiscard]] int numPoints() const noexcept { return m_numPoints; }

    void setValue(int set, int point, double v);
    [[nodiscard]] double value(int set, int point) const;
    [[nodiscard]] const std::vector<double>& setValues(int set) const;
    void setX(int point, double v);
    [[nodiscard]] double x(int point) const;
    [[nodiscard]] const std::vector<double>& xValues() const noexcept { return m_x; }

    void setPointLabel(int point, std::string text);
    [[nodiscard]] const std::string& pointLabel(int point) const;
    // 4: the label is shown cut as it stands (the only style the program sets).
    void setPointLabelStyle(int point, int style);
    [[nodiscard]] int pointLabelStyle(int point) const;
    void setDataLabelsVisible(bool on) { m_dataLabels = on; }
    [[nodiscard]] bool dataLabelsVisible() const noexcept { return m_dataLabels; }

    void setLegendText(int set, std::string text);
    [[nodiscard]] const std::string& legendText(int set) const;
    void clearLegendTexts();
    // True when some set has a legend text: the legend is shown then.
    [[nodiscard]] bool hasLegend() const;
    // Index into the control's 14-colour palette.
    void setSetColorIndex(int set, int index);
    [[nodiscard]] int setColorIndex(int set) const;

    void setChartType(int code);
    [[nodiscard]] GraphType chartType() const noexcept { return m_type; }
    // Bit set: 1 mean, 2 minimum and maximum, 4 standard deviation, 8 fit.
    void setStatistics(int bits) { m_statistics = bits & 15; }
    [[nodiscard]] int statistics() const noexcept { return m_statistics; }

    [[nodiscard]] const GraphAxisSettings& axis(GraphAxis a) const { return a == GraphAxis::X ? m_xAxis : m_yAxis; }
    void setAxisTitle(GraphAxis a, std::string title) { axisRef(a).title = std::move(title); }
    void setAxisMin(GraphAxis a, double v) { axisRef(a).min = v; }
    void setAxisMax(GraphAxis a, double v) { axisRef(a).max = v; }
    void setTickCount(GraphAxis a, int ticks);
    void setLabelFormat(GraphAxis a, std::string format) { axisRef(a).format = std::move(format); }
    void setXAxisAtTop(bool top) { m_xAxisAtTop = top; }
    [[nodiscard]] bool xAxisAtTop() const noexcept { return m_xAxisAtTop; }

    void setThickLines(bool on) { m_thickLines = on; }
    [[nodiscard]] bool thickLines() const noexcept { return m_thickLines; }
    // 0 bars touch, 100 bars infinitely thin.
    void setBarGap(int gap);
    [[nodiscard]] int barGap() const noexcept { return m_barGap; }

private:
    GraphAxisSettings& axisRef(GraphAxis a) { return a == GraphAxis::X ? m_xAxis : m_yAxis; }
    void checkSet(int set) const;
    void checkPoint(int point) const;

    std::vector<std::vector<double>> m_values;  // [set][point]
    std::vector<double> m_x;
    std::vector<std::string> m_pointLabels;
    std::vector<int> m_pointLabelStyles;
    std::vector<std::string> m_legend;
    std::vector<int> m_colourIndex;
    int m_numPoints = 0;
    bool m_dataLabels = false;
    GraphType m_type = GraphType::Scatter;
    int m_statistics = 0;
    GraphAxisSettings m_xAxis;
    GraphAxisSettings m_yAxis;
    bool m_xAxisAtTop = false;
    bool m_thickLines = false;
    int m_barGap = 10;
};

// The range a logarithmic Y axis shows for the graph. Each bound of the Y
// axis above 0 is kept (minKept, maxKept). A minimum of 0 or less gives way
// to the power of ten at or below the smallest value above 0 (0.1 when there
// is none) that lies below a kept maximum; a maximum of 0 or less to the
// largest value above the axis's start (ten times the start when there is
// none). Values that are not finite numbers are left out.
struct LogAxisRange {
    double lo = 0.1;
    double hi = 1;
    bool minKept = false;
    bool maxKept = false;
};
[[nodiscard]] LogAxisRange LogYAxisRange(const GraphModel& graph);

// Number text in a label format: "0" whole numbers, "0." followed by d
// zeros for d decimals ("0." itself: whole numbers with a point). Halves go
// away from zero. Never depends on the process locale.
[[nodiscard]] std::string FormatGraphLabel(double value, const std::string& format);

} // namespace platform
