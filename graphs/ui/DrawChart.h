#pragma once

// DrawChart: builds the chart (graphs/Graphics.h) and shows it in the chart
// window, modally, inside the active window; returns when the user closes
// the window. There is one
// chart window at a time: each call opens a fresh one and closing it
// discards it with everything the menus changed.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QWidget;

namespace graphs {
class frmChart;
}

namespace graphs::Graphics {

void DrawChart(std::span<const std::string> rowLabels, std::span<const std::string> columnLabels,
               const std::vector<std::vector<double>>& data, std::int32_t rows, std::int32_t columns,
               const std::string& xTitle, const std::string& zTitle, const std::string& yTitle, std::string& keyword,
               std::optional<double> missingCode, std::int16_t labelFlag);

// The Tree menu's expression plot: one line per locus over the time points.
// `timePoints` are the data set's column names, `loci` the chosen loci and
// `expression[timePoint][locus]` their values. The window opens inside
// `frame` (the main window; null: the active window).
void PlotExpressionProfiles(const std::vector<std::string>& timePoints, const std::vector<std::string>& loci,
                            const std::vector<std::vector<double>>& expression, const QWidget* frame = nullptr);

// How the window is shown modally: by default it is shown and an event loop
// runs until it closes. Tests replace it with a function that drives the
// window and closes it; an empty function restores the default.
using ModalRunner = std::function<void(frmChart&)>;
void setModalRunner(ModalRunner runner);

} // namespace graphs::Graphics
