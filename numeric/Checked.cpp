#include "numeric/Checked.h"

#include <cmath>
#include <string>

#include "platform/errors/Error.h"

namespace numeric {

void raiseRuntime(std::int32_t number, std::string_view source)
{
    throw platform::Error::runtime(number, std::string(source));
}

void raiseReport(std::string_view source, std::string_view description)
{
    throw platform::Error(platform::err::Raised, std::string(source), std::string(description));
}

double checkedDiv(double numerator, double denominator, std::string_view source)
{
    if (denominator == 0.0) {
        raiseRuntime(numerator == 0.0 || std::isnan(numerator) ? platform::err::Overflow
                                                                : platform::err::DivisionByZero,
                     source);
    }
    return checkedFinite(numerator / denominator, source);
}

double checkedSqrt(double x, std::string_view source)
{
    if (!(x >= 0.0)) {
        raiseRuntime(platform::err::InvalidCall, source);
    }
    return checkedFinite(std::sqrt(x), source);
}

double checkedLog(double x, std::string_view source)
{
    if (!(x > 0.0)) {
        raiseRuntime(platform::err::InvalidCall, source);
    }
    return checkedFinite(std::log(x), source);
}

double checkedFinite(double x, std::string_view source)
{
    if (!std::isfinite(x)) {
        raiseRuntime(platform::err::Overflow, source);
    }
    return x;
}

} // namespace numeric
