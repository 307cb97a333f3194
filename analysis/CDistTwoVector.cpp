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
    const double c = checkedDiv(sxm, checkedSqrt(checkedFinite(sumX2 * smm, source), source), source);
    // |c| <= 1 by the Cauchy-Schwarz inequality; rounding may step past it.
    return std::clamp(c, -1.0, 1.0);
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
