#include "analysis/CDistTwoVector.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "numeric/Checked.h"
#include "numeric/Trigonometry.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace analysis {

namespace {

using numeric::checkedDiv;
using numeric::checkedFinite;
using numeric::checkedSqrt;
using numeric::raiseRuntime;

// The row and the mean row as plain pointers, after checking the indices.
struct Pair {
    const double* x;
    const double* m;
};

Pair rows(const Matrix& data, const Matrix& groupMeans, std::int32_t row, std::int32_t group, std::int32_t nCol,
          const char* source)
{
    if (row < 0 || group < 0 || nCol < 0 || static_cast<std::size_t>(row) >= data.rows() ||
        static_cast<std::size_t>(group) >= groupMeans.rows() || static_cast<std::size_t>(nCol) > data.cols() ||
        static_cast<std::size_t>(nCol) > groupMeans.cols()) {
        raiseRuntime(platform::err::Subscript, source);
    }
    return {data.data() + static_cast<std::size_t>(row) * data.cols(),
            groupMeans.data() + static_cast<std::size_t>(group) * groupMeans.cols()};
}

double rowSum(const std::vector<double>& sums, std::int32_t row, const char* source)
{
    if (static_cast<std::size_t>(row) >= sums.size()) {
        throw platform::Error(platform::err::Subscript, source,
                              "The row sums are not set for row " + platform::rt::CStr(row + 1) + ".");
    }
    return sums[static_cast<std::size_t>(row)];
}

double squaredDifferences(const Pair& p, std::int32_t nCol)
{
    double s = 0;
    for (std::int32_t j = 0; j < nCol; ++j) {
        const double d = p.x[j] - p.m[j];
        s += d * d;
    }
    return s;
}

// The cosine of row and mean row from the sums of products (sxm) and of the
// mean row's squares (smm).
double cosineFromSums(double sxm, double smm, double sumX2, const char* source)
{
    const double c = checkedDiv(sxm, checkedSqrt(checkedFinite(sumX2 * smm, source), source), source);
    // |c| <= 1 by the Cauchy-Schwarz inequality; rounding may step past it.
    return std::clamp(c, -1.0, 1.0);
}

// The cosine of the angle between row and mean row, from the row's sum of squares.
double cosine(const Pair& p, std::int32_t nCol, double sumX2, const char* source)
{
    double sxm = 0;
    for (std::int32_t j = 0; j < nCol; ++j) {
        sxm += p.x[j] * p.m[j];
    }
    double smm = 0;
    for (std::int32_t j = 0; j < nCol; ++j) {
        smm += p.m[j] * p.m[j];
    }
    return cosineFromSums(sxm, smm, sumX2, source);
}

// 1 - r from the sums over the columns of the mean row (sm, smm) and of the
// products (sxm), and the row's own sums.
double pearsonFromSums(double sm, double smm, double sxm, std::int32_t nCol, double sumX, double sumX2,
                       const char* source)
{
    const double n = nCol;
    const double cov = sxm - checkedDiv(sumX * sm, n, source);
    const double varM = smm - checkedDiv(sm * sm, n, source);
    const double varX = sumX2 - checkedDiv(sumX * sumX, n, source);
    const double product = checkedFinite(varM * varX, source);
    if (!(product > 0)) {
        // A constant row or mean row: the correlation is 0/0.
        raiseRuntime(platform::err::Overflow, source);
    }
    return checkedFinite(1.0 - cov / std::sqrt(product), source);
}

double oneMinusPearson(const Pair& p, std::int32_t nCol, double sumX, double sumX2, const char* source)
{
    double sm = 0;
    double smm = 0;
    double sxm = 0;
    for (std::int32_t j = 0; j < nCol; ++j) {
        sm += p.m[j];
        smm += p.m[j] * p.m[j];
        sxm += p.x[j] * p.m[j];
    }
    return pearsonFromSums(sm, smm, sxm, nCol, sumX, sumX2, source);
}

// Runs finish(g) for every group into out[g]; false when one fails.
template <class F>
bool finishAll(std::int32_t k, double* out, F&& finish)
{
    try {
        for (std::int32_t g = 0; g < k; ++g) {
            out[g] = finish(static_cast<std::size_t>(g));
        }
    } catch (const platform::Error&) {
        return false;
    }
    return true;
}

using TwoDoubles = double __attribute__((vector_size(16)));

// The sums of groups g0 .. g0 + 2 kPairs - 1, as kPairs pairs held in
// registers over all columns.
template <std::size_t kPairs, class Term>
void sumGroupBlock(const double* x, const double* meansByColumn, std::size_t groups, std::size_t cols,
                   std::size_t g0, double* acc, Term term)
{
    TwoDoubles sum[kPairs] = {};
    for (std::size_t j = 0; j < cols; ++j) {
        const TwoDoubles xj = {x[j], x[j]};
        const double* m = meansByColumn + j * groups + g0;
        for (std::size_t b = 0; b < kPairs; ++b) {
            TwoDoubles mb;
            __builtin_memcpy(&mb, m + 2 * b, sizeof mb);
            sum[b] += term(xj, mb);
        }
    }
    __builtin_memcpy(acc + g0, sum, sizeof sum);
}

// Sums over the columns j of term(x[j], m) for every group at once:
// acc[g] += term(x[j], mean(g, j)), column after column. Groups go eight,
// then two at a time through sums held in registers; term takes doubles and
// pairs of doubles alike.
template <class Term>
void sumPerGroup(const double* x, const double* meansByColumn, std::int32_t k, std::int32_t nCol, double* acc,
                 Term term)
{
    const auto groups = static_cast<std::size_t>(k);
    const auto cols = static_cast<std::size_t>(nCol);
    std::size_t g0 = 0;
    for (; g0 + 8 <= groups; g0 += 8) {
        sumGroupBlock<4>(x, meansByColumn, groups, cols, g0, acc, term);
    }
    for (; g0 + 2 <= groups; g0 += 2) {
        sumGroupBlock<1>(x, meansByColumn, groups, cols, g0, acc, term);
    }
    if (g0 < groups) {
        double sum = 0;
        for (std::size_t j = 0; j < cols; ++j) {
            sum += term(x[j], meansByColumn[j * groups + g0]);
        }
        acc[g0] = sum;
    }
}

bool squaredDifferencesToAll(const double* x, const double* meansByColumn, std::int32_t k, std::int32_t nCol,
                             double* out)
{
    sumPerGroup(x, meansByColumn, k, nCol, out, [](auto xj, auto m) {
        const auto d = xj - m;
        return d * d;
    });
    return std::all_of(out, out + k, [](double v) { return std::isfinite(v); });
}

// The sums of the mean rows (sm), of their squares (smm) and of the
// products with the row (sxm), for every group.
struct GroupSums {
    std::vector<double> sm, smm, sxm;
};

GroupSums groupSums(const double* x, const double* meansByColumn, std::int32_t k, std::int32_t nCol, bool withSm)
{
    const auto groups = static_cast<std::size_t>(k);
    GroupSums s{std::vector<double>(withSm ? groups : 0), std::vector<double>(groups), std::vector<double>(groups)};
    if (withSm) {
        sumPerGroup(x, meansByColumn, k, nCol, s.sm.data(), [](auto, auto m) { return m; });
    }
    sumPerGroup(x, meansByColumn, k, nCol, s.smm.data(), [](auto, auto m) { return m * m; });
    sumPerGroup(x, meansByColumn, k, nCol, s.sxm.data(), [](auto xj, auto m) { return xj * m; });
    return s;
}

bool pearsonToAll(const double* x, std::int32_t row, const double* meansByColumn, std::int32_t k, std::int32_t nCol,
                  double* out, const std::vector<double>& sumX, const std::vector<double>& sumX2, const char* source)
{
    if (row < 0 || static_cast<std::size_t>(row) >= sumX.size() || static_cast<std::size_t>(row) >= sumX2.size()) {
        return false;
    }
    const GroupSums s = groupSums(x, meansByColumn, k, nCol, true);
    const double rx = sumX[static_cast<std::size_t>(row)];
    const double rx2 = sumX2[static_cast<std::size_t>(row)];
    return finishAll(k, out,
                     [&](std::size_t g) { return pearsonFromSums(s.sm[g], s.smm[g], s.sxm[g], nCol, rx, rx2, source); });
}

template <class F>
bool cosineToAll(const double* x, std::int32_t row, const double* meansByColumn, std::int32_t k, std::int32_t nCol,
                 double* out, const std::vector<double>& sumX2, const char* source, F&& fromCosine)
{
    if (row < 0 || static_cast<std::size_t>(row) >= sumX2.size()) {
        return false;
    }
    const GroupSums s = groupSums(x, meansByColumn, k, nCol, false);
    const double rx2 = sumX2[static_cast<std::size_t>(row)];
    return finishAll(k, out,
                     [&](std::size_t g) { return fromCosine(cosineFromSums(s.sxm[g], s.smm[g], rx2, source)); });
}

} // namespace

double CDistTwoVectorSS::DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans, std::int32_t row,
                                                     std::int32_t group, std::int32_t nCol) const
{
    constexpr const char* source = "CDistTwoVectorSS";
    return checkedFinite(squaredDifferences(rows(data, groupMeans, row, group, nCol, source), nCol), source);
}

double CDistTwoVectorEuclid::DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans,
                                                         std::int32_t row, std::int32_t group, std::int32_t nCol) const
{
    constexpr const char* source = "CDistTwoVectorEuclid";
    return checkedSqrt(squaredDifferences(rows(data, groupMeans, row, group, nCol, source), nCol), source);
}

double CDistTwoVectorManhattanMetric::DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans,
                                                                  std::int32_t row, std::int32_t group,
                                                                  std::int32_t nCol) const
{
    constexpr const char* source = "CDistTwoVectorManhattanMetric";
    const Pair p = rows(data, groupMeans, row, group, nCol, source);
    double s = 0;
    for (std::int32_t j = 0; j < nCol; ++j) {
        s += std::fabs(p.x[j] - p.m[j]);
    }
    return checkedDiv(s, nCol, source);
}

double CDistTwoVectorPercentRemote::DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans,
                                                                std::int32_t row, std::int32_t group,
                                                                std::int32_t nCol) const
{
    constexpr const char* source = "CDistTwoVectorPercentRemote";
    const Pair p = rows(data, groupMeans, row, group, nCol, source);
    double smaller = 0;
    double larger = 0;
    for (std::int32_t j = 0; j < nCol; ++j) {
        if (p.x[j] > p.m[j]) {
            smaller += p.m[j];
            larger += p.x[j];
        } else {
            smaller += p.x[j];
            larger += p.m[j];
        }
    }
    return checkedFinite(100.0 - 100.0 * checkedDiv(smaller, larger, source), source);
}

double CDistTwoVectorChord::DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans,
                                                        std::int32_t row, std::int32_t group, std::int32_t nCol) const
{
    constexpr const char* source = "CDistTwoVectorChord";
    const Pair p = rows(data, groupMeans, row, group, nCol, source);
    return 2.0 * (1.0 - cosine(p, nCol, rowSum(SumX2Array, row, source), source));
}

double CDistTwoVectorGeodesic::DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans,
                                                           std::int32_t row, std::int32_t group,
                                                           std::int32_t nCol) const
{
    constexpr const char* source = "CDistTwoVectorGeodesic";
    const Pair p = rows(data, groupMeans, row, group, nCol, source);
    return Trigonometry::ArcCos(cosine(p, nCol, rowSum(SumX2Array, row, source), source));
}

double CDistTwoVectorPearsonR::DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans,
                                                           std::int32_t row, std::int32_t group,
                                                           std::int32_t nCol) const
{
    constexpr const char* source = "CDistTwoVectorPearsonR";
    const Pair p = rows(data, groupMeans, row, group, nCol, source);
    return oneMinusPearson(p, nCol, rowSum(SumXArray, row, source), rowSum(SumX2Array, row, source), source);
}

double CDistTwoVectorSpearmanR::DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans,
                                                            std::int32_t row, std::int32_t group,
                                                            std::int32_t nCol) const
{
    constexpr const char* source = "CDistTwoVectorSpearmanR";
    const Pair p = rows(data, groupMeans, row, group, nCol, source);
    return oneMinusPearson(p, nCol, rowSum(SumXArray, row, source), rowSum(SumX2Array, row, source), source);
}

bool CDistTwoVector::DistancesToAllGroupMeans(const double* /*x*/, std::int32_t /*row*/,
                                              const double* /*meansByColumn*/, std::int32_t /*k*/,
                                              std::int32_t /*nCol*/, double* /*out*/) const
{
    return false;
}

bool CDistTwoVectorSS::DistancesToAllGroupMeans(const double* x, std::int32_t /*row*/, const double* meansByColumn,
                                                std::int32_t k, std::int32_t nCol, double* out) const
{
    return squaredDifferencesToAll(x, meansByColumn, k, nCol, out);
}

bool CDistTwoVectorEuclid::DistancesToAllGroupMeans(const double* x, std::int32_t /*row*/, const double* meansByColumn,
                                                    std::int32_t k, std::int32_t nCol, double* out) const
{
    if (!squaredDifferencesToAll(x, meansByColumn, k, nCol, out)) {
        return false;
    }
    return finishAll(k, out, [&](std::size_t g) { return checkedSqrt(out[g], "CDistTwoVectorEuclid"); });
}

bool CDistTwoVectorManhattanMetric::DistancesToAllGroupMeans(const double* x, std::int32_t /*row*/,
                                                             const double* meansByColumn, std::int32_t k,
                                                             std::int32_t nCol, double* out) const
{
    // |d| as d < 0 ? -d : d, which also serves pairs; it differs from fabs
    // only at -0, whose sum with any other value is the same.
    sumPerGroup(x, meansByColumn, k, nCol, out, [](auto xj, auto m) {
        const auto d = xj - m;
        return d < 0 ? -d : d;
    });
    return finishAll(k, out, [&](std::size_t g) { return checkedDiv(out[g], nCol, "CDistTwoVectorManhattanMetric"); });
}

bool CDistTwoVectorChord::DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                   std::int32_t k, std::int32_t nCol, double* out) const
{
    return cosineToAll(x, row, meansByColumn, k, nCol, out, SumX2Array, "CDistTwoVectorChord",
                       [](double c) { return 2.0 * (1.0 - c); });
}

bool CDistTwoVectorGeodesic::DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                      std::int32_t k, std::int32_t nCol, double* out) const
{
    return cosineToAll(x, row, meansByColumn, k, nCol, out, SumX2Array, "CDistTwoVectorGeodesic",
                       [](double c) { return Trigonometry::ArcCos(c); });
}

bool CDistTwoVectorPearsonR::DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                      std::int32_t k, std::int32_t nCol, double* out) const
{
    return pearsonToAll(x, row, meansByColumn, k, nCol, out, SumXArray, SumX2Array, "CDistTwoVectorPearsonR");
}

bool CDistTwoVectorSpearmanR::DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                       std::int32_t k, std::int32_t nCol, double* out) const
{
    return pearsonToAll(x, row, meansByColumn, k, nCol, out, SumXArray, SumX2Array, "CDistTwoVectorSpearmanR");
}

std::unique_ptr<CDistTwoVector> CreateDistTwoVector(std::uint8_t index, std::span<const double> sumX,
                                                    std::span<const double> sumX2)
{
    const std::vector<double> x(sumX.begin(), sumX.end());
    const std::vector<double> x2(sumX2.begin(), sumX2.end());
    switch (static_cast<GroupMeanDistance>(index)) {
    case GroupMeanDistance::SumOfSquares:
        return std::make_unique<CDistTwoVectorSS>();
    case GroupMeanDistance::Euclidean:
        return std::make_unique<CDistTwoVectorEuclid>();
    case GroupMeanDistance::Manhattan:
        return std::make_unique<CDistTwoVectorManhattanMetric>();
    case GroupMeanDistance::PercentRemote:
        return std::make_unique<CDistTwoVectorPercentRemote>();
    case GroupMeanDistance::Chord: {
        auto d = std::make_unique<CDistTwoVectorChord>();
        d->SumX2Array = x2;
        return d;
    }
    case GroupMeanDistance::Geodesic: {
        auto d = std::make_unique<CDistTwoVectorGeodesic>();
        d->SumX2Array = x2;
        return d;
    }
    case GroupMeanDistance::PearsonR: {
        auto d = std::make_unique<CDistTwoVectorPearsonR>();
        d->SumXArray = x;
        d->SumX2Array = x2;
        return d;
    }
    case GroupMeanDistance::SpearmanR: {
        auto d = std::make_unique<CDistTwoVectorSpearmanR>();
        d->SumXArray = x;
        d->SumX2Array = x2;
        return d;
    }
    case GroupMeanDistance::Count:
        break;
    }
    throw platform::Error(platform::err::InvalidCall, "CreateDistTwoVector",
                          "The distance index " + platform::rt::CStr(static_cast<int>(index)) +
                              " is not one of 0 to 7.");
}

RowSums ComputeRowSums(const Matrix& data, std::int32_t nRow, std::int32_t nCol)
{
    if (nRow < 0 || nCol < 0 || static_cast<std::size_t>(nRow) > data.rows() ||
        static_cast<std::size_t>(nCol) > data.cols()) {
        raiseRuntime(platform::err::Subscript, "ComputeRowSums");
    }
    RowSums sums{std::vector<double>(static_cast<std::size_t>(nRow)),
                 std::vector<double>(static_cast<std::size_t>(nRow))};
    for (std::int32_t i = 0; i < nRow; ++i) {
        const double* x = data.data() + static_cast<std::size_t>(i) * data.cols();
        double s = 0;
        double s2 = 0;
        for (std::int32_t j = 0; j < nCol; ++j) {
            s += x[j];
            s2 += x[j] * x[j];
        }
        sums.sumX[static_cast<std::size_t>(i)] = s;
        sums.sumX2[static_cast<std::size_t>(i)] = s2;
    }
    return sums;
}

} // namespace analysis
