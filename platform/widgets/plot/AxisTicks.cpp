#include "platform/widgets/plot/AxisTicks.h"

#include <cmath>
#include <initializer_list>

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

} // namespace platform
