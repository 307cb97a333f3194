#include "numeric/StatDistr.h"

#include <cmath>
#include <array>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "numeric/MathOnly.h"
#include "numeric/Trigonometry.h"
#include "numeric/mNumRec.h"
#include "platform/errors/Error.h"
#include "tests/support/TestSupport.h"

namespace {

struct Raised {
    int number = 0;
    std::string source;
    std::string description;
};

Raised raised(const std::function<void()>& f)
{
    try {
        f();
    } catch (const platform::Error& e) {
        return {e.number(), e.source(), e.description()};
    }
    return {};
}

// Regularised incomplete beta by a fine midpoint rule on t^(p-1)(1-t)^(q-1),
// for p, q >= 1 (a smooth integrand), independent of the series under test.
double incBetaByQuadrature(double p, double q, double x)
{
    auto integral = [&](double a, double b) {
        const int steps = 200000;
        const double h = (b - a) / steps;
        long double sum = 0;
        for (int k = 0; k < steps; ++k) {
            const double t = a + (k + 0.5) * h;
            sum += std::pow(t, p - 1) * std::pow(1 - t, q - 1);
        }
        return static_cast<double>(sum * h);
    };
    return integral(0, x) / integral(0, 1);
}

} // namespace

TEST(StatDistr, LnGammaWorkedValues)
{
    EXPECT_NEAR(StatDistr::LnGamma(1), 0.0, 1e-11);
    EXPECT_NEAR(StatDistr::LnGamma(2), 0.0, 1e-11);
    EXPECT_NEAR(StatDistr::LnGamma(0.5), 0.5723649429387625, 1e-10);
    EXPECT_NEAR(StatDistr::LnGamma(10), 12.801827480081469, 1e-11);
    for (const double a : {0.1, 0.7, 3.3, 17.5, 150.0, 1e5}) {
        EXPECT_NEAR(StatDistr::LnGamma(a), std::lgamma(a), 1e-9 * std::max(1.0, std::fabs(std::lgamma(a)))) << a;
    }
}

TEST(StatDistr, FactLnFromTableAndAbove)
{
    EXPECT_NEAR(mNumRec::FactLn(0), 0.0, 1e-11);
    EXPECT_EQ(mNumRec::FactLn(99), StatDistr::LnGamma(100));
    EXPECT_EQ(mNumRec::FactLn(100), StatDistr::LnGamma(101));
    EXPECT_NEAR(mNumRec::FactLn(5), std::log(120.0), 1e-11);
}

TEST(StatDistr, IncBetaRatioAgainstQuadratureAndEnds)
{
    for (const auto& [p, q, x] : std::vector<std::array<double, 3>>{
             {2, 3, 0.4}, {1.5, 1, 0.9}, {5, 2.5, 0.2}, {3, 7, 0.65}, {1, 1, 0.3}, {10, 10, 0.5}}) {
        expectNearRel(StatDistr::IncBetaRatio(p, q, x).ratio, incBetaByQuadrature(p, q, x), 1e-6);
    }
    const StatDistr::IncBeta zero = StatDistr::IncBetaRatio(2, 3, 0);
    EXPECT_EQ(zero.ratio, 0);
    EXPECT_NEAR(zero.lnBeta, std::log(1.0 / 12.0), 1e-10);
    EXPECT_EQ(StatDistr::IncBetaRatio(2, 3, 1).ratio, 1);
}

TEST(StatDistr, TAreaWorkedValues)
{
    EXPECT_EQ(StatDistr::TArea(0, 7), 0.5);
    EXPECT_NEAR(StatDistr::TArea(1, 1), 0.25, 1e-7);
    EXPECT_NEAR(StatDistr::TArea(1, 2), 0.2113248654, 1e-7);
    EXPECT_NEAR(StatDistr::TArea(12.706, 1), 0.0250004, 1e-7);
    EXPECT_NEAR(StatDistr::TArea(2.2281, 10), 0.025, 1e-5);
    EXPECT_NEAR(StatDistr::TArea(2.0423, 30), 0.025, 1e-5);
    // Large degrees of freedom approach the normal tail; the series stops on
    // an absolute term of 1E-7 and so is good to about 1E-4 there.
    EXPECT_NEAR(StatDistr::TArea(1.96, 100000), 0.0249979, 1e-4);
}

TEST(StatDistr, ReportsNameTheBadValues)
{
    struct Row {
        const char* name;
        std::function<void()> call;
        const char* source;
        const char* description;
    };
    const std::vector<Row> rows{
        {"LnGamma zero", [] { (void)StatDistr::LnGamma(0); }, "LnGamma", "Alpha <= 0 or > 1E8.\r\n Alpha = 0"},
        {"LnGamma huge", [] { (void)StatDistr::LnGamma(2e8); }, "LnGamma", "Alpha <= 0 or > 1E8.\r\n Alpha = 200000000"},
        {"IncBeta x", [] { (void)StatDistr::IncBetaRatio(2, 3, 1.5); }, "IncBetaRatio",
         "Input values invalid.\r\n P = 2; Q = 3; XBeta = 1.5"},
        {"IncBeta p", [] { (void)StatDistr::IncBetaRatio(-1, 0.5, 0.5); }, "IncBetaRatio",
         "Input values invalid.\r\n P = -1; Q = 0.5; XBeta = 0.5"},
        {"TArea negative t", [] { (void)StatDistr::TArea(-1, 5); }, "TArea", "T < 0"},
        {"TArea df zero", [] { (void)StatDistr::TArea(1, 0); }, "TArea", "Input values invalid.\r\nDF = 0; T = 1"},
        {"FactLn negative", [] { (void)mNumRec::FactLn(-1); }, "LnGamma", "Alpha <= 0 or > 1E8.\r\n Alpha = 0"},
    };
    for (const Row& row : rows) {
        const Raised r = raised(row.call);
        EXPECT_EQ(r.number, 1) << row.name;
        EXPECT_EQ(r.source, row.source) << row.name;
        EXPECT_EQ(r.description, row.description) << row.name;
        EXPECT_EQ(StatDistr::LastErrorText(), row.description) << row.name;
    }
    EXPECT_EQ(raised([] { (void)StatDistr::IncBetaRatio(NAN, 1, 0.5); }).number, 1);
    EXPECT_EQ(raised([] { (void)StatDistr::TArea(NAN, 3); }).number, 1);
}

TEST(Trigonometry, ArcCosIncludingBothEnds)
{
    EXPECT_NEAR(Trigonometry::ArcCos(0), std::numbers::pi / 2, 1e-15);
    EXPECT_NEAR(Trigonometry::ArcCos(-0.5), 2 * std::numbers::pi / 3, 1e-15);
    EXPECT_EQ(Trigonometry::ArcCos(1), 0.0);
    EXPECT_EQ(Trigonometry::ArcCos(-1), std::numbers::pi);
    EXPECT_EQ(Trigonometry::ArcCos(1 + 1e-15), 0.0);
    EXPECT_EQ(Trigonometry::ArcCos(-1 - 1e-15), std::numbers::pi);
    for (const double bad : {1.001, -2.0, static_cast<double>(NAN)}) {
        const Raised r = raised([&] { (void)Trigonometry::ArcCos(bad); });
        EXPECT_EQ(r.number, 5) << bad;
        EXPECT_EQ(r.source, "ArcCos");
    }
}

TEST(MathOnly, LogarithmsAndTheirDomain)
{
    EXPECT_EQ(MathOnly::Log2(8), 3.0);
    EXPECT_EQ(MathOnly::Log10(1000), 3.0);
    EXPECT_NEAR(MathOnly::Log10(2), 0.30102999566398120, 1e-16);
    for (const double bad : {0.0, -1.0, static_cast<double>(NAN)}) {
        EXPECT_EQ(raised([&] { (void)MathOnly::Log10(bad); }).number, 5) << bad;
        EXPECT_EQ(raised([&] { (void)MathOnly::Log2(bad); }).number, 5) << bad;
    }
}
