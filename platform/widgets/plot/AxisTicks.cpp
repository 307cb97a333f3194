#include "platform/widgets/plot/AxisTicks.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
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

// A finite number as a decimal of 15 significant digits, the most a double
// holds: v = +-d.dddddddddddddd x 10^exponent. Labels are rounded from these
// digits, so that a tick reads as the decimal number it stands for: tick 1
// of 0..0.3 in 6 steps, 0.3 / 6, is the double just below 0.05, which would
// round to 0.0.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal decimalOf(double v)
{
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::abs(v),
                                      std::chars_format::scientific, 14);
    const std::string_view text(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
    Decimal d;
    d.negative = std::signbit(v);
    d.digits = std::string(1, text[0]) + std::string(text.substr(2, 14));
    const std::string_view power = text.substr(text.find('e') + 1);
    std::from_chars(power.data() + (power[0] == '+' ? 1 : 0), power.data() + power.size(), d.exponent);
    return d;
}

// The first `keep` of the digits as a whole number, the rest rounded off
// with halves up; one digit longer when the rounding carries ("999" to
// "1000"); "0" or "1" when nothing or only rounding is kept.
std::string roundedDigits(const std::string& digits, int keep)
{
    if (keep < 0) {
        return "0";
    }
    const auto kept = static_cast<std::size_t>(keep);
    std::string out = digits.substr(0, std::min(kept, digits.size()));
    out.append(kept > digits.size() ? kept - digits.size() : 0, '0');
    if (kept < digits.size() && digits[kept] >= '5') {
        std::size_t i = out.size();
        while (i > 0 && out[i - 1] == '9') {
            out[--i] = '0';
        }
        if (i == 0) {
            out.insert(out.begin(), '1');
        } else {
            ++out[i - 1];
        }
    }
    return out.empty() ? "0" : out;
}

// v with `decimals` decimals, halves away from zero; no sign on a 0.
std::string fixedText(double v, int decimals)
{
    const Decimal d = decimalOf(v);
    std::string whole = roundedDigits(d.digits, d.exponent + 1 + decimals);
    const auto places = static_cast<std::size_t>(decimals);
    if (whole.size() < places + 1) {
        whole.insert(0, places + 1 - whole.size(), '0');
    }
    if (places > 0) {
        whole.insert(whole.size() - places, 1, '.');
    }
    const bool zero = whole.find_first_not_of("0.") == std::string::npos;
    return (d.negative && !zero ? "-" : "") + whole;
}

// v with an exponent and `decimals` decimals, as printf's %e writes it
// ("-1.5e+307", "5e+00"), halves away from zero; no sign on a 0.
std::string exponentText(double v, int decimals)
{
    Decimal d = decimalOf(v);
    std::string kept = roundedDigits(d.digits, decimals + 1);
    if (kept.size() > static_cast<std::size_t>(decimals) + 1) {
        kept.pop_back();
        ++d.exponent;
    }
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    if (zero) {
        d.exponent = 0;
    }
    const int power = std::abs(d.exponent);
    return std::string(d.negative && !zero ? "-" : "") + kept[0] + (decimals > 0 ? "." + kept.substr(1) : "") + 'e' +
           (d.exponent < 0 ? '-' : '+') + (power < 10 ? "0" : "") + std::to_string(power);
}

// The characters of a label before its decimal point (all of them when it
// has none).
std::size_t wholeLength(const std::string& label)
{
    return std::min(label.find('.'), label.size());
}

// Whether labels so written keep within the lengths given (before the
// decimal point, in all) and every two neighbours differ.
bool tellsApart(const std::vector<std::string>& labels, std::size_t longestWhole, std::size_t longest)
{
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const std::string& label = labels[i];
        if (label.empty() || label.size() > longest || wholeLength(label) > longestWhole ||
            (i > 0 && label == labels[i - 1])) {
            return false;
        }
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

double LinearAxisTick(double lo, double hi, int ticks, int k)
{
    const int steps = std::max(ticks, 1);
    const double step = (hi - lo) / steps;
    if (k <= 0 || k >= steps) {
        return k <= 0 ? lo : hi;
    }
    const double v = 2 * k <= steps ? lo + k * step : hi - (steps - k) * step;
    // Ticks are worked out to a few units in the last place of the larger
    // bound: one within that of 0 is the 0 of a span across it.
    const double rounding = 8 * std::numeric_limits<double>::epsilon() * std::max(std::abs(lo), std::abs(hi));
    return std::abs(v) <= rounding ? 0.0 : v;
}

std::string FormatLabel(double value, std::string_view format)
{
    if (!std::isfinite(value)) {
        return std::isnan(value) ? "NaN" : (value > 0 ? "Inf" : "-Inf");
    }
    const int decimals = FormatDigits(format);
    std::string text = fixedText(value, decimals);
    if (decimals == 0 && format.find('.') != std::string_view::npos) {
        text += '.';
    }
    return text;
}

AxisLabels ChooseAxisLabels(double lo, double hi, int ticks, std::string_view format)
{
    constexpr int kMostDigits = 15;
    constexpr std::size_t kLongestWhole = 10;
    constexpr std::size_t kLongestAdded = 12;
    constexpr std::size_t kAnyLength = std::string::npos;
    const int steps = std::max(ticks, 1);
    const int digits = std::clamp(FormatDigits(format), 0, kMostDigits);
    AxisLabels out;
    for (int k = 0; k <= steps; ++k) {
        out.ticks.push_back(LinearAxisTick(lo, hi, steps, k));
        out.texts.push_back(FormatLabel(out.ticks.back(), format));
    }
    if (!AxisSpanIsDrawable(lo, hi)) {
        return out;
    }
    const auto labelsWith = [&](bool exponent, int n) {
        std::vector<std::string> texts;
        for (double t : out.ticks) {
            texts.push_back(exponent ? exponentText(t, n) : fixedText(t, n));
        }
        return texts;
    };
    // The format asked for holds where its labels fit and say more than one
    // value, even where neighbours read alike.
    const bool fits = std::all_of(out.texts.begin(), out.texts.end(),
                                  [&](const std::string& t) { return wholeLength(t) <= kLongestWhole; });
    const bool varies = std::any_of(out.texts.begin(), out.texts.end(),
                                    [&](const std::string& t) { return t != out.texts.front(); });
    if (fits && varies) {
        out.form = AxisLabelForm::Fixed;
        out.digits = digits;
        return out;
    }
    for (int more = digits + 1; more <= kMostDigits; ++more) {
        std::vector<std::string> texts = labelsWith(false, more);
        if (tellsApart(texts, kLongestWhole, kLongestAdded)) {
            out.form = AxisLabelForm::Fixed;
            out.digits = more;
            out.texts = std::move(texts);
            return out;
        }
    }
    for (int n = digits; n <= kMostDigits; ++n) {
        std::vector<std::string> texts = labelsWith(true, n);
        if (tellsApart(texts, kAnyLength, kAnyLength)) {
            out.form = AxisLabelForm::Exponent;
            out.digits = n;
            out.texts = std::move(texts);
            return out;
        }
    }
    return out;
}

} // namespace platform
