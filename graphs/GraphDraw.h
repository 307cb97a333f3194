#pragma once

// The graph window's drawing, without the window: DrawGraph loads a table
// of points into the graph, chooses the chart type from a keyword, works
// out both axes (AxisScaler) and leaves the window's fields filled.
// Questions and messages go through platform::dialogs().
//
// Orientation: data[p][s] is point p of set s (points first), as the
// analysis dialogs hand their score columns over.
//
// DrawGraph throws platform::Error: source "DrawGraph" and description "Too
// many data points" (number 1) when the user declines to plot the first
// 32767 of more points; 9 (subscript) when an array holds fewer points or
// sets than the counts say.

#include <cstdint>
#include <string>
#include <vector>

#include "graphs/GraphData.h"

namespace platform {
class GraphModel;
}

namespace graphs {

inline constexpr std::int32_t MaxGraphPoints = 32767;

// The window's fields that one drawing leaves behind and the commands use.
struct GraphWindowState {
    std::vector<double> XValues;
    std::vector<std::vector<double>> GraphData;  // [point][set]
    std::string GraphTitle;
    std::vector<std::string> SetNames;
    double XAxisMin = 0, XAxisMax = 0, YAxisMin = 0, YAxisMax = 0;
    double XDataMin = 0, XDataMax = 0, YDataMin = 0, YDataMax = 0;
    std::int16_t NumTickX = 6, NumTickY = 6;
    std::string XFormat, YFormat;
    std::string XLabelText, YLabelText;
    bool XIsInteger = false, YIsInteger = false;
    GraphSubsets Subsets;
    double ZoomFactorV = 1.0, ZoomFactorH = 1.0;
};

// What the window must do besides redrawing.
struct DrawGraphResult {
    bool pointLabelsGiven = false;  // enable the data-label menu items
};

// chartType may have its "3" turned into "2" (the user declines a slow 3-D
// drawing); numPoints may be lowered to 32767 (the user accepts the limit).
DrawGraphResult DrawGraph(platform::GraphModel& graph, GraphWindowState& state, const std::vector<double>& xValues,
                          const std::vector<std::vector<double>>& data, std::int32_t& numPoints,
                          std::int32_t& numSets, const std::string& xTitle, const std::string& yTitle,
                          std::string& chartType, const std::vector<std::string>* setLabels, bool xNegative,
                          bool yNegative, const std::vector<std::string>* pointLabels);

// One column of values as a one-set table, drawn by DrawGraph.
DrawGraphResult Graph2To3(platform::GraphModel& graph, GraphWindowState& state, const std::vector<double>& xValues,
                          const std::vector<double>& yValues, std::int32_t numPoints, const std::string& xTitle,
                          const std::string& yTitle, std::string& chartType, bool xNegative, bool yNegative,
                          const std::vector<std::string>* pointLabels);

// The chart type code of a keyword (any case), or 0 for an unknown one.
[[nodiscard]] int ChartTypeOfKeyword(const std::string& keyword);

// How many values of the graph its logarithmic Y axis leaves out (those of
// 0 or less); 0 for every other chart type.
[[nodiscard]] int PointsLeftOffLogAxis(const platform::GraphModel& graph);

// "0." followed by `digits` zeros ("0." for 0).
[[nodiscard]] std::string DigitsFormat(int digits);

// The table the data copy takes: what the graph shows (the re-plotted sets
// while a subset is shown), as tab-delimited text with the X values as row
// labels, the graph title in the corner and the set names as column labels.
[[nodiscard]] std::string GraphTabText(const GraphWindowState& state, const platform::GraphModel& graph);

} // namespace graphs
