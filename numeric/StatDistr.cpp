#include "numeric/StatDistr.h"

#include <cmath>

#include "numeric/Checked.h"
#include "platform/runtime/Convert.h"

namespace StatDistr {

namespace {

thread_local std::string tLastError;

[[noreturn]] void report(const char* source, std::string description)
{
    tLastError = description;
    numeric::raiseReport(source, description);
}

} // namespace

const std::string& LastErrorText()
{
    return tLastError;
}

double LnGamma(double alpha)
{
    if (!(alpha > 0.0) || alpha > 1e8) {
        report("LnGamma", "Alpha <= 0 or > 1E8.\r\n Alpha = " + platform::rt::CStr(alpha));
    }
    constexpr double a1 = 1.0 / 12.0;
    constexpr double a2 = -1.0 / 360.0;
    constexpr double a3 = 1.0 / 1260.0;
    constexpr double a4 = -1.0 / 1680.0;
    constexpr double a5 = 5.0 / 5940.0;
    const double f = std::log(alpha * (alpha + 1.0) * (alpha + 2.0) * (alpha + 3.0) * (alpha + 4.0));
    const double z = alpha + 5.0;
    const double w = 1.0 / (z * z);
    const double s = (((a5 * w + a4) * w + a3) * w + a2) * w;
    return (z - 0.5) * std::log(z) - z + 0.5 * std::log(6.2831853072) + (a1 + s) / z - f;
}

IncBeta IncBetaRatio(double p, double q, double x)
{
    IncBeta out;
    out.ratio = x;
    if (!(p > 0.0) || !(q > 0.0) || !(x >= 0.0) || !(x <= 1.0)) {
        report("IncBetaRatio", "Input values invalid.\r\n P = " + platform::rt::CStr(p) +
                                   "; Q = " + platform::rt::CStr(q) + "; XBeta = " + platform::rt::CStr(x));
    }
    out.lnBeta = LnGamma(p) + LnGamma(q) - LnGamma(p + q);
    if (x == 0.0 || x == 1.0) {
        return out;
    }

    double psq = p + q;
    double cx = 1.0 - x;
    double xx = x;
    double pp = p;
    double qq = q;
    bool swapped = false;
    if (p < psq * x) {
        xx = cx;
        cx = x;
        pp = q;
        qq = p;
        swapped = true;
    }

    double term = 1.0;
    double ai = 1.0;
    double result = 1.0;
    double ns = std::floor(qq + cx * psq);
    double rx = xx / cx;
    double temp = qq - ai;
    if (ns == 0.0) {
        rx = xx;
    }
    for (;;) {
        term = term * temp * rx / (pp + ai);
        result += term;
        temp = std::fabs(term);
        if (temp <= 1e-7 && temp <= 1e-7 * result) {
            break;
        }
        ai += 1.0;
        ns -= 1.0;
        if (ns >= 0.0) {
            temp = qq - ai;
            if (ns == 0.0) {
                rx = xx;
            }
        } else {
            temp = psq;
            psq += 1.0;
        }
    }
    result = result * std::exp(pp * std::log(xx) + (qq - 1.0) * std::log(cx) - out.lnBeta) / pp;
    out.ratio = swapped ? 1.0 - result : result;
    return out;
}

double TArea(double t, std::int32_t df)
{
    if (df < 1) {
        report("TArea", "Input values invalid.\r\nDF = " + platform::rt::CStr(static_cast<std::int64_t>(df)) +
                            "; T = " + platform::rt::CStr(t));
    }
    if (t < 0.0) {
        report("TArea", "T < 0");
    }
    const double x = df / (df + t * t);
    return IncBetaRatio(df / 2.0, 0.5, x).ratio / 2.0;
}

} // namespace StatDistr
