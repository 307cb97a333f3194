#pragma once

// ChartLayout: where the chart window puts its chart and its two scroll bars,
// in twips, for a resize, a horizontal or vertical zoom and the normal view;
// and how it reads the numbers typed into its input boxes.
//
// The chart may be larger than the window's client area; it then slides
// under it, moved by the scroll bars. A bar that is not needed lies just
// outside the client area. A bar's maximum is how far the chart can slide;
// its small and large steps are |maximum div 16| + 1 and |maximum div 4| + 1.

#include <cstdint>
#include <optional>
#include <string_view>

namespace graphs {

struct ChartFrame {
    double windowWidth = 0;   // outer size, frame, title and menu bar included
    double windowHeight = 0;
    double scaleWidth = 0;    // client area
    double scaleHeight = 0;
    double hBarHeight = 255;  // thickness of the horizontal bar
    double vBarWidth = 255;   // thickness of the vertical bar
};

struct ScrollBarPlace {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    std::int16_t maximum = 0;
    std::int16_t smallChange = 1;
    std::int16_t largeChange = 1;
};

struct ChartPlace {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    ScrollBarPlace hBar;
    ScrollBarPlace vBar;
};

// Small and large steps of a bar with the given maximum.
void SetBarSteps(ScrollBarPlace& bar);

// After the window is resized or first shown (not minimised).
[[nodiscard]] ChartPlace ResizeLayout(const ChartFrame& frame);

// The horizontal zoom: the chart becomes `factor` times the window's width,
// at most 32767 twips; the bar then slides over exactly the hidden part.
// `current` is the layout the zoom starts from (its vertical bar is kept).
[[nodiscard]] ChartPlace ZoomHorizontally(const ChartFrame& frame, const ChartPlace& current, double factor);

// The window height a vertical zoom asks for: 1.1 times the current one, but
// never taller than the screen. Equal to the current height when the window
// already fills the screen's height, so that repeated zooms stop there.
[[nodiscard]] double VerticalZoomHeight(double windowHeight, double screenHeight);

struct NormalViewPlace {
    double windowLeft = 0;
    double windowTop = 0;
    double windowWidth = 0;
    double windowHeight = 0;
    double chartLeft = 0;
    double chartTop = 0;
    double chartWidth = 0;
    double chartHeight = 0;
};
[[nodiscard]] NormalViewPlace NormalView(double screenWidth, double screenHeight);

// A number typed into an input box: nothing for an empty answer (the box was
// cancelled), text that is not a number, or a value beyond the range of a
// double (platform::rt::ReadNumber tells the last apart).
[[nodiscard]] std::optional<double> NumberAnswer(std::string_view answer);

// The division count for a typed number of ticks: the ticks less one. Nothing
// for what is not a number, fewer than one tick, or more than 32768.
[[nodiscard]] std::optional<std::int16_t> DivisionsForTicks(std::string_view answer);

} // namespace graphs
