#include "numeric/MathOnly.h"

#include <cmath>

#include "numeric/Checked.h"
#include "platform/errors/Error.h"

namespace MathOnly {

double Log10(double x)
{
    if (!(x > 0.0)) {
        numeric::raiseRuntime(platform::err::InvalidCall, "Log10");
    }
    return numeric::checkedFinite(std::log10(x), "Log10");
}

double Log2(double x)
{
    if (!(x > 0.0)) {
        numeric::raiseRuntime(platform::err::InvalidCall, "Log2");
    }
    return numeric::checkedFinite(std::log2(x), "Log2");
}

} // namespace MathOnly
