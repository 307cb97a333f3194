#include "numeric/Trigonometry.h"

#include <cmath>

#include "numeric/Checked.h"
#include "platform/errors/Error.h"

namespace Trigonometry {

double ArcCos(double x)
{
    constexpr double slack = 1e-12;
    if (!(std::fabs(x) <= 1.0 + slack)) {
        numeric::raiseRuntime(platform::err::InvalidCall, "ArcCos");
    }
    if (x > 1.0) {
        x = 1.0;
    } else if (x < -1.0) {
        x = -1.0;
    }
    return std::acos(x);
}

} // namespace Trigonometry
