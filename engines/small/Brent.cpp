#include "engines/small/SmallEngines.h"

#include <cmath>

namespace tallowin {
namespace {

constexpr int kMaxIterations = 100;
constexpr double kGolden = 0.381966;
constexpr double kZeroEps = 1e-10;

// |magnitude| carrying the sign of `sign` (zero counts as positive).
double withSign(double magnitude, double sign)
{
    return sign >= 0.0 ? std::fabs(magnitude) : -std::fabs(magnitude);
}

} // namespace

BrentResult brentMinimise(double ax, double bx, double cx, const std::function<double(double)>& f, double tol)
{
    double a = ax < cx ? ax : cx;
    double b = ax > cx ? ax : cx;
    double x = bx, w = bx, v = bx;
    double fx = f(x);
    double fw = fx, fv = fx;
    double d = 0.0, e = 0.0;

    for (int iter = 1; iter <= kMaxIterations; ++iter) {
        const double xm = 0.5 * (a + b);
        const double tol1 = tol * std::fabs(x) + kZeroEps;
        const double tol2 = 2.0 * tol1;
        if (std::fabs(x - xm) <= tol2 - 0.5 * (b - a))
            return {fx, x, iter, true};

        bool golden = true;
        if (std::fabs(e) > tol1) {
            const double r = (x - w) * (fx - fv);
            double q = (x - v) * (fx - fw);
            double p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0)
                p = -p;
            q = std::fabs(q);
            const double etemp = e;
            e = d;
            if (std::fabs(p) < std::fabs(0.5 * q * etemp) && p > q * (a - x) && p < q * (b - x)) {
                golden = false;
                d = p / q;
                const double u = x + d;
                if (u - a < tol2 || b - u < tol2)
                    d = withSign(tol1, xm - x);
            }
        }
        if (golden) {
            e = x >= xm ? a - x : b - x;
            d = kGolden * e;
        }

        const double u = std::fabs(d) >= tol1 ? x + d : x + withSign(tol1, d);
        const double fu = f(u);
        if (fu <= fx) {
            if (u >= x)
                a = x;
            else
                b = x;
            v = w;
            w = x;
            x = u;
            fv = fw;
            fw = fx;
            fx = fu;
        } else {
            if (u < x)
                a = u;
            else
                b = u;
            if (fu <= fw || w == x) {
                v = w;
                w = u;
                fv = fw;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    return {fx, x, kMaxIterations + 1, false};
}

} // namespace tallowin
