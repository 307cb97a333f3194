#include "numeric/mNumRec.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "numeric/Checked.h"
#include "numeric/StatDistr.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Rnd.h"

namespace mNumRec {

using numeric::checkedDiv;
using numeric::checkedSqrt;
using numeric::raiseRuntime;
namespace pd = numeric::detail;

namespace {

void checkLength(std::size_t size, std::int64_t n, const char* source)
{
    if (n > 0 && size < static_cast<std::size_t>(n)) {
        raiseRuntime(platform::err::Subscript, source);
    }
}

void checkBlock(const Matrix& data, std::int64_t n, std::int64_t m, const Matrix& result, const char* source)
{
    if (n < 0 || m < 0) {
        raiseRuntime(platform::err::InvalidCall, source);
    }
    const auto rows = static_cast<std::size_t>(n);
    const auto cols = static_cast<std::size_t>(m);
    if (data.rows() < rows || data.cols() < cols || result.rows() < cols || result.cols() < cols) {
        raiseRuntime(platform::err::Subscript, source);
    }
}

// The tie-corrected Spearman coefficient from the squared rank differences d,
// the tie sums sf and sg and the count c (Numerical Recipes' spear).
double spearmanFromRanks(double d, double sf, double sg, double c, const char* source)
{
    const double en3n = c * c * c - c;
    const double fac = (1.0 - checkedDiv(sf, en3n, source)) * (1.0 - checkedDiv(sg, en3n, source));
    const double top = 1.0 - checkedDiv(6.0, en3n, source) * (d + (sf + sg) / 12.0);
    return checkedDiv(top, checkedSqrt(fac, source), source);
}

} // namespace

double FactLn(std::int32_t n)
{
    if (n < 0 || n > 99) {
        return StatDistr::LnGamma(n + 1.0);
    }
    static const std::array<double, 100> table = [] {
        std::array<double, 100> t{};
        for (std::size_t k = 0; k < t.size(); ++k) {
            t[k] = StatDistr::LnGamma(static_cast<double>(k) + 1.0);
        }
        return t;
    }();
    return table[static_cast<std::size_t>(n)];
}

void HeapSort2(std::int64_t n, std::span<double> keys, std::span<double> companion)
{
    checkLength(keys.size(), n, "HeapSort2");
    checkLength(companion.size(), n, "HeapSort2");
    if (n < 2) {
        return;
    }
    // 1-based views of the two arrays.
    auto ra = [&](std::int64_t i) -> double& { return keys[static_cast<std::size_t>(i - 1)]; };
    auto rb = [&](std::int64_t i) -> double& { return companion[static_cast<std::size_t>(i - 1)]; };

    std::int64_t l = n / 2 + 1;
    std::int64_t ir = n;
    for (;;) {
        double k = 0;
        double c = 0;
        if (l > 1) {
            --l;
            k = ra(l);
            c = rb(l);
        } else {
            k = ra(ir);
            c = rb(ir);
            ra(ir) = ra(1);
            rb(ir) = rb(1);
            if (--ir == 1) {
                ra(1) = k;
                rb(1) = c;
                return;
            }
        }
        std::int64_t i = l;
        std::int64_t j = l + l;
        while (j <= ir) {
            if (j < ir && ra(j) < ra(j + 1)) {
                ++j;
            }
            if (k < ra(j)) {
                ra(i) = ra(j);
                rb(i) = rb(j);
                i = j;
                j += j;
            } else {
                j = ir + 1;
            }
        }
        ra(i) = k;
        rb(i) = c;
    }
}

double RankTies(std::int64_t n, std::span<double> w)
{
    checkLength(w.size(), n, "RankTies");
    auto at = [&](std::int64_t i) -> double& { return w[static_cast<std::size_t>(i - 1)]; };
    double s = 0;
    std::int64_t j = 1;
    while (j < n) {
        if (at(j + 1) != at(j)) {
            at(j) = static_cast<double>(j);
            ++j;
        } else {
            std::int64_t jt = j + 1;
            while (jt <= n && at(jt) == at(j)) {
                ++jt;
            }
            const double rank = 0.5 * static_cast<double>(j + jt - 1);
            for (std::int64_t ji = j; ji <= jt - 1; ++ji) {
                at(ji) = rank;
            }
            const double t = static_cast<double>(jt - j);
            s += t * t * t - t;
            j = jt;
        }
    }
    if (j == n) {
        at(n) = static_cast<double>(n);
    }
    return s;
}

void SpearmanR(const Matrix& data, std::int64_t n, std::int64_t m, Matrix& result, Progress* progress)
{
    checkBlock(data, n, m, result, "SpearmanR");
    const auto rows = static_cast<std::size_t>(n);
    const auto cols = static_cast<std::size_t>(m);

    std::vector<std::vector<double>> work(cols, std::vector<double>(rows));
    pd::setMinimum(progress, 0);
    pd::setMaximum(progress, static_cast<double>(m));
    for (std::size_t c = 0; c < cols; ++c) {
        for (std::size_t k = 0; k < rows; ++k) {
            work[c][k] = data(k, c);
        }
        pd::setValue(progress, static_cast<double>(c));
    }
    std::vector<double> index(rows);
    for (std::size_t k = 0; k < rows; ++k) {
        index[k] = static_cast<double>(k + 1);
    }
    pd::setMaximum(progress, static_cast<double>(m) * (static_cast<double>(m) - 1.0) / 2.0);

    std::vector<double> sf(cols);
    for (std::size_t c = 0; c < cols; ++c) {
        HeapSort2(n, work[c], index);
        sf[c] = RankTies(n, work[c]);
        HeapSort2(n, index, work[c]);
    }

    for (std::size_t i = 1; i < cols; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            double d = 0;
            for (std::size_t k = 0; k < rows; ++k) {
                const double diff = work[j][k] - work[i][k];
                d += diff * diff;
            }
            result(i, j) = spearmanFromRanks(d, sf[i], sf[j], static_cast<double>(n), "SpearmanR");
        }
    }
}

double SpearmanPair(std::span<const double> x, std::span<const double> y, std::int64_t n, double code)
{
    if (n < 0) {
        raiseRuntime(platform::err::InvalidCall, "SpearmanPair");
    }
    checkLength(x.size(), n, "SpearmanPair");
    checkLength(y.size(), n, "SpearmanPair");
    std::vector<double> wx;
    std::vector<double> wy;
    wx.reserve(static_cast<std::size_t>(n));
    wy.reserve(static_cast<std::size_t>(n));
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
        if (x[k] != code && y[k] != code) {
            wx.push_back(x[k]);
            wy.push_back(y[k]);
        }
    }
    const auto c = static_cast<std::int64_t>(wx.size());
    HeapSort2(c, wx, wy);
    const double sf = RankTies(c, wx);
    HeapSort2(c, wy, wx);
    const double sg = RankTies(c, wy);
    double d = 0;
    for (std::size_t k = 0; k < wx.size(); ++k) {
        const double diff = wx[k] - wy[k];
        d += diff * diff;
    }
    return spearmanFromRanks(d, sf, sg, static_cast<double>(c), "SpearmanPair");
}

void GetSpearmanMat(const Matrix& data, std::int64_t n, std::int64_t m, Matrix& result, double code,
                    Progress* progress)
{
    checkBlock(data, n, m, result, "GetSpearmanMat");
    const auto rows = static_cast<std::size_t>(n);
    const auto cols = static_cast<std::size_t>(m);

    // Columns without the code are ranked once: for a pair of two such
    // columns every row is usable, and the midranks (multiples of 0.5) make
    // the sum of squared differences exact in any order, so the value is the
    // one SpearmanPair gives, bit for bit.
    std::vector<bool> complete(cols, true);
    std::vector<std::vector<double>> ranks(cols);
    std::vector<double> tieSum(cols, 0.0);
    std::vector<double> index(rows);
    for (std::size_t c = 0; c < cols; ++c) {
        for (std::size_t k = 0; k < rows && complete[c]; ++k) {
            complete[c] = data(k, c) != code;
        }
        if (!complete[c]) {
            continue;
        }
        ranks[c].resize(rows);
        for (std::size_t k = 0; k < rows; ++k) {
            ranks[c][k] = data(k, c);
            index[k] = static_cast<double>(k + 1);
        }
        HeapSort2(n, ranks[c], index);
        tieSum[c] = RankTies(n, ranks[c]);
        HeapSort2(n, index, ranks[c]);
    }

    std::vector<double> x(rows);
    std::vector<double> y(rows);
    pd::setMinimum(progress, 0);
    pd::setMaximum(progress, static_cast<double>(m) * (static_cast<double>(m) - 1.0) / 2.0);
    double p = 0;
    for (std::size_t i = 1; i < cols; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (complete[i] && complete[j]) {
                double d = 0;
                for (std::size_t k = 0; k < rows; ++k) {
                    const double diff = ranks[i][k] - ranks[j][k];
                    d += diff * diff;
                }
                result(i, j) = spearmanFromRanks(d, tieSum[i], tieSum[j], static_cast<double>(n), "SpearmanPair");
            } else {
                for (std::size_t k = 0; k < rows; ++k) {
                    x[k] = data(k, i);
                    y[k] = data(k, j);
                }
                result(i, j) = SpearmanPair(x, y, n, code);
            }
            pd::setValue(progress, p);
            p += 1;
        }
    }
}

std::vector<std::int32_t> RandomPermutation(std::int32_t lo, std::int32_t hi, const std::function<double()>& uniform)
{
    if (hi < lo) {
        return {};
    }
    const auto count = static_cast<std::size_t>(static_cast<std::int64_t>(hi) - lo + 1);
    std::vector<std::int32_t> perm(count);
    for (std::size_t k = 0; k < count; ++k) {
        perm[k] = static_cast<std::int32_t>(lo + static_cast<std::int64_t>(k));
    }
    for (std::size_t i = count - 1; i > 0; --i) {
        double u = uniform();
        if (!(u >= 0.0)) {
            u = 0.0;
        }
        auto r = static_cast<std::size_t>(std::min(std::floor(u * static_cast<double>(i + 1)), static_cast<double>(i)));
        std::swap(perm[i], perm[r]);
    }
    return perm;
}

std::vector<std::int32_t> RandomPermutation(std::int32_t lo, std::int32_t hi)
{
    return RandomPermutation(lo, hi, [] { return platform::rt::Rnd(); });
}

} // namespace mNumRec
