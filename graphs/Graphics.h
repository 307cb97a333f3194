#pragma once

// Graphics: the chart builder. It turns a table of numbers with its row and
// column labels, three axis titles and a chart-type keyword into the chart
// that the chart window shows, without any window: BuildChart returns the
// filled chart; DrawChart (graphs/ui/DrawChart.h) builds it and shows it.
//
// Rows are the chart's categories (the X axis), columns its series. Tables
// are indexed from 0 here (data[row][column]); the chart counts from 1.
//
// The steps, in order:
//   1. A 3-D keyword on a large table (more than 1000 rows or columns, or
//      more than 5000 cells) asks whether the user will wait for the slow
//      drawing; No turns the keyword's "3" into "2" in the caller's variable.
//   2. The values are copied; a cell equal to the missing-value code, and a
//      NaN or infinite cell, is left empty and drawn as a gap.
//   3. The keyword (any case) picks the chart type; an unknown keyword says
//      "Unimplemented chart type" and leaves the chart's initial type.
//   4. Series 1 gets a pen of width 10; the X axis drops its tick marks
//      above 50 rows, gets ticks of length 60 and a label on every category
//      (flag nonzero) or every (rows div 6)-th, at least every one.
//   5. The X, Y, second Y and Z axis titles are shown in Arial 14 bold with
//      the X title, the Y title, nothing and the Z title.
//   6. The legend shows for two to nine series.
//   7. Column and row labels become the series and category labels.
// Building a chart leaves the clipboard alone: the window's Copy item is the
// one thing that copies it.
//
// Errors: a negative count, or a label or data table shorter than the counts
// say, raises error 9 (subscript out of range) before anything is asked.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/widgets/chart/ChartModel.h"

namespace graphs::Graphics {

// Position (from 1) of the first "3" in the keyword when a 3-D chart of that
// size asks the slowness question, else 0.
[[nodiscard]] std::size_t SlowThreeDPosition(const std::string& keyword, std::int64_t rows, std::int64_t columns);

// The chart type of a keyword (any case), or nothing for an unknown one.
[[nodiscard]] std::optional<int> ChartTypeOf(const std::string& keyword);

// The whole build. `keyword` may change (step 1). `labelFlag` nonzero puts
// a label on every category.
[[nodiscard]] platform::ChartModel BuildChart(std::span<const std::string> rowLabels,
                                              std::span<const std::string> columnLabels,
                                              const std::vector<std::vector<double>>& data, std::int32_t rows,
                                              std::int32_t columns, const std::string& xTitle,
                                              const std::string& zTitle, const std::string& yTitle,
                                              std::string& keyword, std::optional<double> missingCode,
                                              std::int16_t labelFlag);

} // namespace graphs::Graphics
