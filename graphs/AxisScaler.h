#pragma once

// AxisScaler: the ranges, tick steps and label formats of the graph
// window's two axes, worked out from the values drawn.
//
// Both axes follow one scheme with two branches:
//  - whole values: the axis starts a quarter of the data range (at least 1)
//    below the smallest value and steps by whole numbers;
//  - other values: the axis starts a fortieth of the range (and half a unit
//    of the label format) below the smallest value and is cut into equal
//    steps that end at the largest value.
// An axis that may not go below zero starts at 0 instead of a negative
// number. Rounding to decimals takes halves to the even neighbour.
//
// The axis always has a positive length and reaches the largest value: a
// whole-number step is at least 1 and grows when the ticks would stop short
// of the data, and a constant non-whole value gets a step below it.
//
// Values that are not numbers (NaN) are left out of the extremes and count
// as not whole. An empty value list scales as if it held the single value 0.
// numTick must be at least 1 (error 5, source "AxisScaler").

#include <span>
#include <string>
#include <vector>

namespace graphs {

struct AxisNumberFormatResult {
    std::string format;  // "0", "0.0", "0.00", "0.000" or "0.0000"
    int digits = 0;      // digits after the decimal point
};

// The label format for an axis starting at v: "0" above 10, "0.0" above 1,
// "0.00" above 0.1, "0.000" above 0.01, else "0.0000" (negative values too).
[[nodiscard]] AxisNumberFormatResult AxisNumberFormat(double v);

struct AxisRange {
    double axisMin = 0;
    double axisMax = 0;
    double dataMin = 0;
    double dataMax = 0;
    double step = 0;
    std::string format;
    bool isInteger = false;
};

// The X axis over the values. previousMin is the X minimum of the previous
// drawing (0 before the first): the label format of non-whole values
// follows it.
[[nodiscard]] AxisRange SetXAxisRange(std::span<const double> xValues, int numTick, double previousMin,
                                      bool negative);

// The Y axis over every value of every set (sets[s][p]: set s, point p; the
// first numPoints points of each set). previousFormat is kept for whole
// values.
[[nodiscard]] AxisRange SetYAxisRange(const std::vector<std::vector<double>>& sets, std::size_t numPoints,
                                      int numTick, const std::string& previousFormat, bool negative);

// Whether an axis from min to max cut into `ticks` steps, labelled in
// `format` ("0.00"), can be drawn: NotIncreasing when max is not above min;
// TooLong when the span is longer than LargestAxisSpan (the drawing works
// tick k out as min + k x span / ticks, so ticks x span must be a finite
// number) or a step is no number above 0; TooShort when a linear axis is
// too short to draw or its labels cannot tell its ticks apart in any form
// (platform::ChooseAxisLabels). A logarithmic axis labels itself.
enum class AxisBounds { Drawable, NotIncreasing, TooLong, TooShort };
[[nodiscard]] AxisBounds CheckAxisBounds(double min, double max, int ticks, const std::string& format,
                                         bool logarithmic);
// The longest span an axis of `ticks` steps can be drawn with: the largest
// double divided by the number of steps.
[[nodiscard]] double LargestAxisSpan(int ticks);

// x rounded to `digits` decimals, halves to the even neighbour.
[[nodiscard]] double RoundDecimals(double x, int digits);

} // namespace graphs
