#pragma once

// ChartModel: what the chart control shows, without widgets.
//
// The chart holds a table of rows (categories) by columns (series), both
// counted from 1 as the chart's callers count them, and draws it as one of
// six chart types. A cell may be empty: an empty cell is a gap in its series
// (no bar, a break in the line, no pie slice, no point), never a zero.
//
// Axes are numbered 0 X (categories), 1 Y (values), 2 second Y, 3 Z (depth
// of the 3-D types). Each keeps its tick style and length, its category
// scale (a label on every n-th category), its title, its value scale
// (automatic or a manual minimum, maximum and number of divisions) and its
// scale type (0 linear, 1 logarithmic; only the Y axis draws it).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Chart type codes, as the chart's callers store them.
namespace charttype {
inline constexpr int Bar3d = 0;
inline constexpr int Bar2d = 1;
inline constexpr int Line3d = 2;
inline constexpr int Line2d = 3;
inline constexpr int Pie2d = 14;
inline constexpr int XY2d = 16;
// The type a fresh chart shows before anyone sets one.
inline constexpr int Initial = Line2d;
} // namespace charttype

[[nodiscard]] bool isChartType(int type);
[[nodiscard]] bool isThreeD(int type);

namespace chartaxis {
inline constexpr int X = 0;
inline constexpr int Y = 1;
inline constexpr int Y2 = 2;
inline constexpr int Z = 3;
inline constexpr int Count = 4;
} // namespace chartaxis

struct ChartFont {
    std::string name = "Arial";
    double size = 10;
    bool bold = false;

    friend bool operator==(const ChartFont&, const ChartFont&) = default;
};

struct ChartAxis {
    // Tick marks: style 0 draws none, any other style draws them; the
    // length is in twips.
    int tickStyle = 1;
    double tickLength = 100;
    // Category scale: labels on the ticks, and a label on every
    // divisionsPerLabel-th category when not automatic.
    bool labelTick = true;
    bool categoryAuto = true;
    int divisionsPerLabel = 1;
    // Title.
    bool titleVisible = false;
    std::string title;
    ChartFont titleFont;
    // Value scale: automatic from the data, or the manual range below.
    bool valueAuto = true;
    double minimum = 0;
    double maximum = 100;
    std::int16_t majorDivision = 5;
    // Scale type: 0 linear, 1 logarithmic.
    int scaleType = 0;
};

// The range an axis draws: its manual range, or the automatic one.
struct ChartRange {
    double minimum = 0;
    double maximum = 1;
    int divisions = 5;
};

class ChartModel {
public:
    ChartModel();

    // A rows x columns table, every cell empty; labels "R1".., "C1"..
    // Negative counts count as 0.
    void resize(int rows, int columns);
    [[nodiscard]] int rowCount() const noexcept { return m_rows; }
    [[nodiscard]] int columnCount() const noexcept { return m_columns; }
    // Cells from (1, 1); out of range reads as empty and writes nothing.
    // A NaN or infinite value is stored as an empty cell.
    void setValue(int row, int column, double value);
    void clearValue(int row, int column);
    [[nodiscard]] std::optional<double> value(int row, int column) const;

    [[nodiscard]] int chartType() const noexcept { return m_type; }
    // An unknown code leaves the type as it is and returns false.
    bool setChartType(int type);

    [[nodiscard]] bool isLegendVisible() const noexcept { return m_legend; }
    void setLegendVisible(bool visible) { m_legend = visible; }

    // Labels from 1; out of range reads "" and writes nothing.
    void setRowLabel(int row, std::string label);
    void setColumnLabel(int column, std::string label);
    [[nodiscard]] std::string rowLabel(int row) const;
    [[nodiscard]] std::string columnLabel(int column) const;

    // Pen width of a series (from 1); 0 is the thin default pen.
    void setPenWidth(int series, double width);
    [[nodiscard]] double penWidth(int series) const;

    // Axes by number (chartaxis); an unknown number is the X axis.
    [[nodiscard]] ChartAxis& axis(int id);
    [[nodiscard]] const ChartAxis& axis(int id) const;

    // Every how many categories the X axis puts a label: never below 1.
    [[nodiscard]] int labelSpacing() const;

    // The range the value axis draws: the manual one, or from the data
    // (zero included for bars, rounded out to a tidy step). On a
    // logarithmic Y axis the automatic range spans the positive values in
    // whole decades.
    [[nodiscard]] ChartRange valueRange() const;
    // The range of the X axis of an XY chart (the x columns).
    [[nodiscard]] ChartRange xRange() const;

    // The table as tab-separated text: a header line of the column labels
    // after an empty cell, then one line per row, its label first; empty
    // cells stay empty. Lines end with CR LF.
    [[nodiscard]] std::string dataText() const;

private:
    [[nodiscard]] std::size_t index(int row, int column) const;

    int m_rows = 0;
    int m_columns = 0;
    std::vector<std::optional<double>> m_cells;  // row-major, from (1, 1)
    std::vector<std::string> m_rowLabels;
    std::vector<std::string> m_columnLabels;
    std::vector<double> m_penWidths;
    int m_type = charttype::Initial;
    bool m_legend = false;
    ChartAxis m_axes[chartaxis::Count];
};

// A tidy range around [lo, hi] with about `divisions` steps of 1, 2 or 5
// times a power of ten; an empty or flat span is widened to a unit around it.
[[nodiscard]] ChartRange niceRange(double lo, double hi, int divisions = 5);

} // namespace platform
