#include "graphs/GraphDraw.h"

#include <algorithm>
#include <cctype>

#include "graphs/AxisScaler.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "platform/widgets/graph/GraphModel.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/StrUtil.h"

namespace graphs {

namespace {

constexpr const char* Source = "DrawGraph";

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

void requireSize(std::size_t have, std::int64_t need)
{
    if (need < 0 || have < static_cast<std::size_t>(need)) {
        throw platform::Error::runtime(platform::err::Subscript, Source);
    }
}

} // namespace

int ChartTypeOfKeyword(const std::string& keyword)
{
    static const std::pair<const char*, int> table[] = {
        {"SCATTER", 9}, {"LINE", 6}, {"LOGY", 7}, {"POLAR", 10}, {"2DBAR", 3}, {"3DBAR", 4}, {"AREA", 14}, {"GANTT", 5},
    };
    const std::string key = upper(keyword);
    for (const auto& [name, code] : table) {
        if (key == name) {
            return code;
        }
    }
    return 0;
}

int PointsLeftOffLogAxis(const platform::GraphModel& graph)
{
    if (graph.chartType() != platform::GraphType::LogY) {
        return 0;
    }
    int count = 0;
    for (int s = 0; s < graph.numSets(); ++s) {
        const std::vector<double>& values = graph.setValues(s);
        count += static_cast<int>(std::count_if(values.begin(), values.end(), [](double v) { return v <= 0; }));
    }
    return count;
}

std::string DigitsFormat(int digits)
{
    return "0." + std::string(static_cast<std::size_t>(std::max(0, digits)), '0');
}

DrawGraphResult DrawGraph(platform::GraphModel& graph, GraphWindowState& state, const std::vector<double>& xValues,
                          const std::vector<std::vector<double>>& data, std::int32_t& numPoints,
                          std::int32_t& numSets, const std::string& xTitle, const std::string& yTitle,
                          std::string& chartType, const std::vector<std::string>* setLabels, bool xNegative,
                          bool yNegative, const std::vector<std::string>* pointLabels)
{
    const std::int32_t m = numSets;
    if (m < 1) {
        throw platform::Error::runtime(platform::err::Subscript, Source);
    }
    // 1. The window keeps what it was given.
    state.SetNames.assign(static_cast<std::size_t>(m), std::string());
    for (std::int32_t i = 0; i < m; ++i) {
        const auto si = static_cast<std::size_t>(i);
        if (m == 1) {
            state.SetNames[si] = yTitle;
        } else if (setLabels != nullptr) {
            requireSize(setLabels->size(), m);
            state.SetNames[si] = (*setLabels)[si];
        } else {
            state.SetNames[si] = "Y" + std::to_string(i + 1);
        }
    }
    state.XValues = xValues;
    state.GraphData = data;
    state.GraphTitle = xTitle;
    state.Subsets.reset();

    // 2. A large 3-D drawing is slow: offer the 2-D one.
    const std::string keyword = upper(chartType);
    const auto three = keyword.find('3');
    const std::int64_t n0 = numPoints;
    if (three != std::string::npos && (n0 * m > 5000 || n0 > 1000 || m > 1000)) {
        const platform::Answer a = platform::dialogs().MsgBox(
            "The three dimensional drawing may be quite slow. Are you willing to wait?\r\n\r\n"
            "Click Yes if you are willing to wait, or click no to do a 2-D chart.",
            platform::mb::YesNo, "Warning");
        if (a == platform::Answer::No) {
            chartType[three] = '2';
        }
    }

    // 3, 4. Counts, with the point limit of the graph.
    graph.beginDrawing();
    graph.clearLegendTexts();
    std::int32_t n = numPoints;
    if (n > MaxGraphPoints) {
        const platform::Answer a = platform::dialogs().MsgBox(
            "You have " + std::to_string(n) +
                " data points, which is more than the maximum integer value ( = 32767).\r\n"
                "For the time being, do you wish to plot the first 32767 data points?",
                platform::mb::YesNo, shell::ProgramInfo::Title);
        if (a != platform::Answer::Yes) {
            platform::RaiseError(Source, "Too many data points");
        }
        n = MaxGraphPoints;
        numPoints = n;
    }
    requireSize(xValues.size(), n);
    requireSize(data.size(), n);
    for (std::int32_t p = 0; p < n; ++p) {
        requireSize(data[static_cast<std::size_t>(p)].size(), m);
    }
    if (pointLabels != nullptr) {
        requireSize(pointLabels->size(), n);
    }

    // 5. Values and X values.
    graph.setCounts(m, n);
    std::vector<std::vector<double>> sets(static_cast<std::size_t>(m), std::vector<double>(static_cast<std::size_t>(n)));
    for (std::int32_t s = 0; s < m; ++s) {
        for (std::int32_t p = 0; p < n; ++p) {
            const double v = data[static_cast<std::size_t>(p)][static_cast<std::size_t>(s)];
            graph.setValue(s, p, v);
            sets[static_cast<std::size_t>(s)][static_cast<std::size_t>(p)] = v;
        }
    }
    for (std::int32_t p = 0; p < n; ++p) {
        graph.setX(p, xValues[static_cast<std::size_t>(p)]);
    }

    // 6. Chart type from the keyword.
    const int code = ChartTypeOfKeyword(chartType);
    if (code == 0) {
        (void)platform::dialogs().MsgBox("Unimplemented chart type", platform::mb::OkOnly, "Error!");
    } else {
        graph.setChartType(code);
    }

    // 7, 8. Titles and axes.
    graph.setAxisTitle(platform::GraphAxis::X, xTitle);
    graph.setAxisTitle(platform::GraphAxis::Y, yTitle);
    const AxisRange xr = SetXAxisRange(std::span<const double>(xValues.data(), static_cast<std::size_t>(n)),
                                       state.NumTickX, state.XAxisMin, xNegative);
    state.XAxisMin = xr.axisMin;
    state.XAxisMax = xr.axisMax;
    state.XDataMin = xr.dataMin;
    state.XDataMax = xr.dataMax;
    state.XFormat = xr.format;
    state.XIsInteger = xr.isInteger;
    const AxisRange yr =
        SetYAxisRange(sets, static_cast<std::size_t>(n), state.NumTickY, state.YFormat, yNegative);
    state.YAxisMin = yr.axisMin;
    state.YAxisMax = yr.axisMax;
    state.YDataMin = yr.dataMin;
    state.YDataMax = yr.dataMax;
    state.YFormat = yr.format;
    state.YIsInteger = yr.isInteger;

    // 9. The graph takes the ranges, ticks and formats.
    graph.setAxisMin(platform::GraphAxis::X, state.XAxisMin);
    graph.setAxisMax(platform::GraphAxis::X, state.XAxisMax);
    graph.setAxisMin(platform::GraphAxis::Y, state.YAxisMin);
    graph.setAxisMax(platform::GraphAxis::Y, state.YAxisMax);
    graph.setTickCount(platform::GraphAxis::Y, state.NumTickY);
    graph.setTickCount(platform::GraphAxis::X, state.NumTickX);
    graph.setLabelFormat(platform::GraphAxis::X, state.XFormat);
    graph.setLabelFormat(platform::GraphAxis::Y, state.YFormat.empty() ? "0" : state.YFormat);

    // 10. Legend texts.
    if (setLabels != nullptr) {
        requireSize(setLabels->size(), m);
        for (std::int32_t i = 0; i < m; ++i) {
            graph.setLegendText(i, (*setLabels)[static_cast<std::size_t>(i)]);
            graph.setSetColorIndex(i, (i + 1) % 14);
        }
    }

    // 11. Point labels (the same for every set).
    DrawGraphResult result;
    if (pointLabels != nullptr) {
        graph.setDataLabelsVisible(true);
        for (std::int32_t p = 0; p < n; ++p) {
            graph.setPointLabel(p, (*pointLabels)[static_cast<std::size_t>(p)]);
        }
        result.pointLabelsGiven = true;
    }
    return result;
}

DrawGraphResult Graph2To3(platform::GraphModel& graph, GraphWindowState& state, const std::vector<double>& xValues,
                          const std::vector<double>& yValues, std::int32_t numPoints, const std::string& xTitle,
                          const std::string& yTitle, std::string& chartType, bool xNegative, bool yNegative,
                          const std::vector<std::string>* pointLabels)
{
    requireSize(yValues.size(), numPoints);
    std::vector<std::vector<double>> table(static_cast<std::size_t>(std::max(0, numPoints)));
    for (std::size_t p = 0; p < table.size(); ++p) {
        table[p] = {yValues[p]};
    }
    std::int32_t sets = 1;
    return DrawGraph(graph, state, xValues, table, numPoints, sets, xTitle, yTitle, chartType, nullptr, xNegative,
                     yNegative, pointLabels);
}

std::string GraphTabText(const GraphWindowState& state, const platform::GraphModel& graph)
{
    const int n = graph.numPoints();
    const int m = graph.numSets();
    std::vector<std::vector<double>> table(static_cast<std::size_t>(n), std::vector<double>(static_cast<std::size_t>(m)));
    std::vector<std::string> names;
    for (int s = 0; s < m; ++s) {
        for (int p = 0; p < n; ++p) {
            table[static_cast<std::size_t>(p)][static_cast<std::size_t>(s)] = graph.value(s, p);
        }
        const bool picked = state.Subsets.isSubsetShown();
        const auto si = static_cast<std::size_t>(s);
        if (picked && si < state.Subsets.pickedSetNames().size()) {
            names.push_back(state.Subsets.pickedSetNames()[si]);
        } else if (si < state.SetNames.size()) {
            names.push_back(state.SetNames[si]);
        } else {
            names.push_back(graph.legendText(s));
        }
    }
    std::vector<std::string> rowLabels;
    for (int p = 0; p < n; ++p) {
        rowLabels.push_back(platform::rt::CStr(graph.x(p)));
    }
    return StrUtil::Mat2TabText(table, n, m, rowLabels, state.GraphTitle, names);
}

} // namespace graphs
