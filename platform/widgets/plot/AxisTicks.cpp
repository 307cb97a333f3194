#include "platform/widgets/plot/AxisTicks.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>

namespace platform {

namespace {

// The multiples m x 10^k (m from `mantissas`) that lie within [lo, hi],
// allowing for the rounding of the powers.
std::vector<double> multiplesWithin(double lo, double hi, std::initializer_list<int> mantissas)
{
    std::vector<double> out;
    const double slack = 1e-9;
    const int first = static_cast<int>(std::floor(std::log10(lo))) - 1;
    const int last = static_cast<int>(std::ceil(std::log10(hi))) + 1;
    for (int k = first; k <= last; ++k) {
        const double power = std::pow(10.0, k);
        for (int m : mantissas) {
            const double v = m * power;
            if (v >= lo * (1 - slack) && v <= hi * (1 + slack)) {
                out.push_back(v);
            }
        }
    }
    return out;
}

// The ticks of a linear axis, as the chart library works them out.
std::vector<double> linearTicks(double lo, double hi, int ticks)
{
    const int steps = std::max(ticks, 1);
    std::vector<double> out;
    for (int k = 0; k <= steps; ++k) {
        out.push_back(lo + k * (hi - lo) / steps);
    }
    return out;
}

// v with `digits` decimals, fixed or with an exponent, as printf writes it
// (the locale's decimal point aside, which changes neither length nor
// likeness).
std::string written(double v, bool exponent, int digits)
{
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v,
                                            exponent ? std::chars_format::scientific : std::chars_format::fixed, digits);
    return error == std::errc() ? std::string(buffer.data(), end) : std::string();
}

// The labels of `ticks` so written, when every two neighbours differ and
// each keeps within the lengths given (before the decimal point, in all).
bool tellsApart(const std::vector<double>& ticks, bool exponent, int digits, std::size_t longestWhole,
                std::size_t longest)
{
    std::string before;
    for (double t : ticks) {
        std::string label = written(t, exponent, digits);
        if (label.empty() || label == before || label.size() > longest ||
            std::min(label.find('.'), label.size()) > longestWhole) {
            return false;
        }
        before = std::move(label);
    }
    return true;
}

} // namespace

std::vector<double> LogAxisTicks(double lo, double hi)
{
    if (!(lo > 0) || !(hi > lo) || !std::isfinite(hi)) {
        return {};
    }
    for (const auto& mantissas : {std::initializer_list<int>{1}, std::initializer_list<int>{1, 2, 5},
                                  std::initializer_list<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}}) {
        std::vector<double> ticks = multiplesWithin(lo, hi, mantissas);
        if (ticks.size() >= 3) {
            return ticks;
        }
    }
    return {lo, std::sqrt(lo * hi), hi};
}

int FormatDigits(std::string_view format)
{
    const auto point = format.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(std::count(format.begin() + point, format.end(), '0'));
}

bool AxisSpanIsDrawable(double lo, double hi)
{
    const double span = hi - lo;
    return std::isfinite(span) && span > 1e-11 * std::max({1.0, std::abs(lo), std::abs(hi)});
}

AxisLabels ChooseAxisLabels(double lo, double hi, int ticks, int digits)
{
    constexpr int kMostDigits = 15;
    constexpr std::size_t kLongestWhole = 10;
    constexpr std::size_t kLongestAdded = 12;
    constexpr std::size_t kAnyLength = std::string::npos;
    digits = std::clamp(digits, 0, kMostDigits);
    if (!AxisSpanIsDrawable(lo, hi)) {
        return {};
    }
    const std::vector<double> at = linearTicks(lo, hi, ticks);
    if (tellsApart(at, false, digits, kLongestWhole, kAnyLength)) {
        return {AxisLabelForm::Fixed, digits};
    }
    for (int more = digits + 1; more <= kMostDigits; ++more) {
        if (tellsApart(at, false, more, kLongestWhole, kLongestAdded)) {
            return {AxisLabelForm::Fixed, more};
        }
    }
    for (int n = digits; n <= kMostDigits; ++n) {
        if (tellsApart(at, true, n, kAnyLength, kAnyLength)) {
            return {AxisLabelForm::Exponent, n};
        }
    }
    return {};
}

} // namespace platform
