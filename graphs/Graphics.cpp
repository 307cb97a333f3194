#include "graphs/Graphics.h"

#include <cctype>
#include <cmath>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"

namespace graphs::Graphics {

namespace {

constexpr std::string_view Source = "DrawChart";

std::string upper(std::string text)
{
    for (char& ch : text) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return text;
}

[[noreturn]] void subscript()
{
    throw platform::Error(platform::err::Subscript, std::string(Source), "Subscript out of range");
}

} // namespace

std::size_t SlowThreeDPosition(const std::string& keyword, std::int64_t rows, std::int64_t columns)
{
    const std::size_t p = upper(keyword).find('3');
    if (p == std::string::npos) {
        return 0;
    }
    const bool large = rows > 1000 || columns > 1000 || rows * columns > 5000;
    return large ? p + 1 : 0;
}

std::optional<int> ChartTypeOf(const std::string& keyword)
{
    const std::string k = upper(keyword);
    if (k == "3DBAR") {
        return platform::charttype::Bar3d;
    }
    if (k == "2DBAR") {
        return platform::charttype::Bar2d;
    }
    if (k == "2DLINE") {
        return platform::charttype::Line2d;
    }
    if (k == "3DLINE") {
        return platform::charttype::Line3d;
    }
    if (k == "2DPIE") {
        return platform::charttype::Pie2d;
    }
    if (k == "2DXY") {
        return platform::charttype::XY2d;
    }
    return std::nullopt;
}

platform::ChartModel BuildChart(std::span<const std::string> rowLabels, std::span<const std::string> columnLabels,
                                const std::vector<std::vector<double>>& data, std::int32_t rows,
                                std::int32_t columns, const std::string& xTitle, const std::string& zTitle,
                                const std::string& yTitle, std::string& keyword, std::optional<double> missingCode,
                                std::int16_t labelFlag)
{
    using namespace platform;
    const auto R = static_cast<std::size_t>(rows);
    const auto K = static_cast<std::size_t>(columns);
    if (rows < 0 || columns < 0 || rowLabels.size() < R || columnLabels.size() < K || data.size() < R) {
        subscript();
    }
    for (std::size_t r = 0; r < R; ++r) {
        if (data[r].size() < K) {
            subscript();
        }
    }

    if (const std::size_t p = SlowThreeDPosition(keyword, rows, columns); p > 0) {
        const Answer answer = dialogs().MsgBox(
            "The three dimensional drawing may be quite slow. Are you willing to wait?\r\n\r\n"
            "Click Yes if you are willing to wait, or click no to do a 2-D chart.",
            mb::YesNo, "Warning");
        if (answer == Answer::No) {
            keyword[p - 1] = '2';
        }
    }

    ChartModel chart;
    chart.resize(rows, columns);
    for (std::size_t r = 0; r < R; ++r) {
        for (std::size_t c = 0; c < K; ++c) {
            const double v = data[r][c];
            if (missingCode && v == *missingCode) {
                continue;
            }
            chart.setValue(static_cast<int>(r) + 1, static_cast<int>(c) + 1, v);
        }
    }

    if (const auto type = ChartTypeOf(keyword)) {
        chart.setChartType(*type);
    } else {
        (void)dialogs().MsgBox("Unimplemented chart type", mb::OkOnly, "Error!");
    }

    chart.setPenWidth(1, 10);

    ChartAxis& x = chart.axis(chartaxis::X);
    if (rows > 50) {
        x.tickStyle = 0;
    }
    x.tickLength = 60;
    x.labelTick = true;
    x.categoryAuto = false;
    x.divisionsPerLabel = labelFlag != 0 ? 1 : std::max(1, rows / 6);

    const ChartFont font{"Arial", 14, true};
    const std::string* titles[chartaxis::Count] = {&xTitle, &yTitle, nullptr, &zTitle};
    for (int id = 0; id < chartaxis::Count; ++id) {
        ChartAxis& a = chart.axis(id);
        a.titleVisible = true;
        a.titleFont = font;
        a.title = titles[id] != nullptr ? *titles[id] : std::string{};
    }

    chart.setLegendVisible(columns > 1 && columns < 10);

    for (std::size_t c = 0; c < K; ++c) {
        chart.setColumnLabel(static_cast<int>(c) + 1, columnLabels[c]);
    }
    for (std::size_t r = 0; r < R; ++r) {
        chart.setRowLabel(static_cast<int>(r) + 1, rowLabels[r]);
    }
    return chart;
}

} // namespace graphs::Graphics
