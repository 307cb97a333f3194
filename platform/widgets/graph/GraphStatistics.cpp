#include "platform/widgets/graph/GraphStatistics.h"

#include <algorithm>
#include <cmath>

namespace platform {

SetStatistics ComputeSetStatistics(std::span<const double> x, std::span<const double> values)
{
    SetStatistics s;
    const std::size_t n = std::min(x.size(), values.size());
    double sumX = 0;
    double sumY = 0;
    for (std::size_t p = 0; p < n; ++p) {
        if (std::isnan(values[p]) || std::isnan(x[p])) {
            continue;
        }
        if (s.count == 0) {
            s.min = s.max = values[p];
        }
        s.min = std::min(s.min, values[p]);
        s.max = std::max(s.max, values[p]);
        sumX += x[p];
        sumY += values[p];
        ++s.count;
    }
    if (s.count == 0) {
        return s;
    }
    const double count = static_cast<double>(s.count);
    s.mean = sumY / count;
    const double meanX = sumX / count;
    double sxx = 0;
    double sxy = 0;
    double syy = 0;
    for (std::size_t p = 0; p < n; ++p) {
        if (std::isnan(values[p]) || std::isnan(x[p])) {
            continue;
        }
        const double dx = x[p] - meanX;
        const double dy = values[p] - s.mean;
        sxx += dx * dx;
        sxy += dx * dy;
        syy += dy * dy;
    }
    s.standardDeviation = s.count > 1 ? std::sqrt(syy / (count - 1)) : 0.0;
    if (sxx > 0) {
        LineFit fit;
        fit.slope = sxy / sxx;
        fit.intercept = s.mean - fit.slope * meanX;
        s.fit = fit;
    }
    return s;
}

} // namespace platform
