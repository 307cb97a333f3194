#include "graphs/AxisScaler.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "platform/widgets/plot/AxisTicks.h"

namespace graphs {

namespace {

constexpr const char* Source = "AxisScaler";

void checkTicks(int numTick)
{
    if (numTick < 1) {
        throw platform::Error(platform::err::InvalidCall, Source, "The number of ticks must be at least 1.");
    }
}

bool isWhole(double v)
{
    return std::isfinite(v) && platform::rt::RoundHalfEven(v) == v;
}

struct Extremes {
    double min = 0;
    double max = 0;
};

template <class ForEach>
Extremes extremes(ForEach&& forEach)
{
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    forEach([&](double v) {
        if (!std::isnan(v)) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    });
    if (lo > hi) {
        return {};
    }
    return {lo, hi};
}

// The whole-number branch's start: a quarter of the range (at least 1) below
// the smallest value, raised to 0 when the axis may not be negative.
double wholeMin(const Extremes& e, bool negative)
{
    const double u = std::max(1.0, std::floor((e.max - e.min) / 4.0));
    const double m = e.min - u;
    return (!negative && m < 0) ? 0.0 : m;
}

// Step by the nearest whole number of the span per tick; never 0, and large
// enough for `ticks` steps to reach the largest value.
double wholeStep(double span, int ticks)
{
    double step = std::floor(span / ticks + 0.5);
    if (step * ticks < span) {
        step = std::ceil(span / ticks);
    }
    return std::max(1.0, step);
}

} // namespace

double RoundDecimals(double x, int digits)
{
    const double scale = std::pow(10.0, digits);
    return platform::rt::RoundHalfEven(x * scale) / scale;
}

double LargestAxisSpan(int ticks)
{
    return std::numeric_limits<double>::max() / std::max(ticks, 1);
}

AxisBounds CheckAxisBounds(double min, double max, int ticks, const std::string& format, bool logarithmic)
{
    if (!(max > min)) {
        return AxisBounds::NotIncreasing;
    }
    const double span = max - min;
    if (!(span <= LargestAxisSpan(ticks) && span / std::max(ticks, 1) > 0)) {
        return AxisBounds::TooLong;
    }
    if (!logarithmic &&
        platform::ChooseAxisLabels(min, max, ticks, format).form == platform::AxisLabelForm::Indistinct) {
        return AxisBounds::TooShort;
    }
    return AxisBounds::Drawable;
}

AxisNumberFormatResult AxisNumberFormat(double v)
{
    if (v > 10) {
        return {"0", 0};
    }
    if (v > 1) {
        return {"0.0", 1};
    }
    if (v > 0.1) {
        return {"0.00", 2};
    }
    if (v > 0.01) {
        return {"0.000", 3};
    }
    return {"0.0000", 4};
}

AxisRange SetXAxisRange(std::span<const double> xValues, int numTick, double previousMin, bool negative)
{
    checkTicks(numTick);
    AxisRange r;
    const Extremes e = extremes([&](auto&& f) {
        for (double v : xValues) {
            f(v);
        }
    });
    r.dataMin = e.min;
    r.dataMax = e.max;
    r.isInteger = std::all_of(xValues.begin(), xValues.end(), isWhole);
    if (r.isInteger) {
        r.axisMin = wholeMin(e, negative);
        r.step = wholeStep(e.max - r.axisMin, numTick);
        r.axisMax = r.axisMin + numTick * r.step;
        r.format.assign(1, '0');  // assigning "0" trips a false -Wrestrict in GCC 12
        return r;
    }
    const AxisNumberFormatResult f = AxisNumberFormat(previousMin);
    r.format = f.format;
    const double range = e.max - e.min;
    r.axisMin = RoundDecimals(e.min - range / 40.0 - 0.5 * std::pow(10.0, -f.digits), f.digits);
    if (!negative && r.axisMin < 0) {
        r.axisMin = 0;
    }
    if (r.axisMin >= e.max) {
        // A constant value that rounding brought onto the axis start: start
        // one label unit lower so that the axis has a length.
        r.axisMin = RoundDecimals(e.max - std::pow(10.0, -f.digits), f.digits);
    }
    r.step = (e.max - r.axisMin) / numTick;
    r.axisMax = r.axisMin + numTick * r.step;
    return r;
}

AxisRange SetYAxisRange(const std::vector<std::vector<double>>& sets, std::size_t numPoints, int numTick,
                        const std::string& previousFormat, bool negative)
{
    checkTicks(numTick);
    AxisRange r;
    const auto each = [&](auto&& f) {
        for (const auto& set : sets) {
            const std::size_t n = std::min(numPoints, set.size());
            for (std::size_t p = 0; p < n; ++p) {
                f(set[p]);
            }
        }
    };
    const Extremes e = extremes(each);
    r.dataMin = e.min;
    r.dataMax = e.max;
    r.isInteger = true;
    each([&](double v) { r.isInteger = r.isInteger && isWhole(v); });
    if (r.isInteger) {
        r.axisMin = wholeMin(e, negative);
        const double span = e.max - r.axisMin;
        double step = std::max(1.0, std::floor(span / numTick + 0.5));
        const auto spanTicks = static_cast<long long>(platform::rt::RoundHalfEven(span));
        r.axisMax = r.axisMin + ((spanTicks % numTick != 0) ? numTick + 1 : numTick) * step;
        if (r.axisMax < e.max) {
            step = wholeStep(span, numTick);
            r.axisMax = r.axisMin + numTick * step;
        }
        r.step = step;
        r.format = previousFormat;
        return r;
    }
    const double range = e.max - e.min;
    r.axisMin = RoundDecimals(e.min - range / 40.0 - 0.5, 0);
    if (!negative && r.axisMin < 0) {
        r.axisMin = 0;
    }
    r.format = AxisNumberFormat(r.axisMin).format;
    r.step = (e.max - r.axisMin) / numTick;
    r.axisMax = r.axisMin + numTick * r.step;
    return r;
}

} // namespace graphs
