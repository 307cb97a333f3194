#pragma once

// StatDistr: log-gamma, the incomplete beta ratio and Student's t tail area.
//
// Index base: none (scalars). Errors are platform::Error number 1 with the
// routine's name as source and a description that names the bad values
// (numbers written as the run-time's CStr writes them); the description of
// the last such report is also kept (LastErrorText). NaN arguments are
// refused like any other invalid argument, so no routine here returns NaN.

#include <cstdint>
#include <string>

namespace StatDistr {

// ln Gamma(alpha) for 0 < alpha <= 1E8: Stirling's series after a shift by
// five (Abramowitz & Stegun 6.1.41), with 2 pi taken as 6.2831853072, so the
// result is exact to about 1E-11 (LnGamma(1) is about 6.5E-12, not 0).
// Throws 1 ("LnGamma", "Alpha <= 0 or > 1E8.\r\n Alpha = <alpha>").
[[nodiscard]] double LnGamma(double alpha);

struct IncBeta {
    double ratio = 0;   // I_x(p, q), the regularised incomplete beta function
    double lnBeta = 0;  // ln B(p, q) = LnGamma(p) + LnGamma(q) - LnGamma(p + q)
};

// The incomplete beta ratio by the series of algorithm AS 63 (Majumder and
// Bhattacharjee 1973) with Soper's reduction, to a relative tolerance of 1E-7.
// x = 0 and x = 1 give ratio x. The work grows about linearly with p + q, and
// for large p + q with x near 1 the slowly falling terms leave an error of
// up to about 1E-3 relative (t tail areas at 1E5 degrees of freedom).
// Throws 1 ("IncBetaRatio", "Input values invalid.\r\n P = <p>; Q = <q>; XBeta = <x>")
// for p <= 0, q <= 0, x < 0 or x > 1.
[[nodiscard]] IncBeta IncBetaRatio(double p, double q, double x);

// Upper tail area P(T > t) of Student's t with df degrees of freedom, t >= 0:
// I_x(df/2, 1/2) / 2 with x = df / (df + t^2). TArea(0, df) = 0.5.
// Throws 1 ("TArea", "Input values invalid.\r\nDF = <df>; T = <t>") for df < 1,
// then 1 ("TArea", "T < 0") for t < 0.
[[nodiscard]] double TArea(double t, std::int32_t df);

// The description of the last error reported by this module on this thread
// ("" before the first).
[[nodiscard]] const std::string& LastErrorText();

} // namespace StatDistr
