#pragma once

// The graph window's zoom arithmetic, in twips (1/1440 inch).
//
// A horizontal zoom widens the picture by the horizontal factor; the
// picture may grow at most 32767 twips wider than the window's client area
// (the scroll range of the window), and reaching that limit is reported so
// the window can say so.

#include <cstdint>

namespace graphs {

struct HorizontalZoom {
    std::int32_t width = 0;  // the picture's new width
    bool capped = false;     // the limit was reached
};

[[nodiscard]] HorizontalZoom ZoomHorizontally(std::int32_t pictureWidth, std::int32_t clientWidth, double factor);

// The factors a resize sets, and the vertical factor after each vertical
// zoom (the resize the zoom causes sets it to the start value first).
inline constexpr double ResizeZoomFactorV = 1.2;
inline constexpr double ResizeZoomFactorH = 1.5;
[[nodiscard]] constexpr double VerticalFactorAfterZoom() { return ResizeZoomFactorV * 1.2; }

} // namespace graphs
