#pragma once

// CDistTwoVector: the distance between one row of a data block and the mean
// row of one group, for the k-means and join passes.
//
// The eight measures are interchangeable classes behind the one method
// DistVectorToGroupMeanVector, chosen by the distance index (0 to 7) of the
// clustering choices. With x the row's values, m the group's mean row and
// sums over the nCol columns j = 0 .. nCol - 1, added from column 0 up:
//
//   0 CDistTwoVectorSS               S2 = sum (x - m)^2
//   1 CDistTwoVectorEuclid           sqrt(S2)
//   2 CDistTwoVectorManhattanMetric  sum |x - m| / nCol (mean absolute
//                                    difference, as the city-block distance
//                                    between rows)
//   3 CDistTwoVectorPercentRemote    100 - 100 * sum min(x, m) / sum max(x, m)
//   4 CDistTwoVectorChord            2 (1 - c)
//   5 CDistTwoVectorGeodesic         ArcCos(c) in radians (0 when c is 1)
//   6 CDistTwoVectorPearsonR         1 - r
//   7 CDistTwoVectorSpearmanR        1 - r, computed exactly as index 6 (the
//                                    mean row has no ranks to correlate)
//
// c = sum(x m) / sqrt(SumX2Array[row] * sum m^2), the cosine of the angle
// between row and mean row; r = (Sxm - SumXArray[row] Sm / nCol) /
// sqrt((Smm - Sm^2 / nCol) (SumX2Array[row] - SumXArray[row]^2 / nCol)),
// Pearson's correlation of row and mean row. Indices 4 to 7 read the row's
// sums from the arrays the caller set once before the passes (so a distance
// costs one pass over the columns); they are not recomputed.
//
// Index base 0: data(row, column), groupMeans(group, column). Every column
// takes part: no value is treated as missing.
//
// Errors (platform::Error, source the class name):
//   9  row, group or nCol outside the matrices, or a sum array that is not
//      set for the row
//   6  0/0: a zero larger-sum (3), a zero row or mean row (4, 5), a constant
//      row or mean row (6, 7); also any result that is not finite
//   11 x/0 with x != 0

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "numeric/Matrix.h"

namespace analysis {

using numeric::Matrix;

// Distance indices of the group-mean measures; they match the distance-matrix
// measures of the hierarchical route (Geometry::DistanceIndex).
enum class GroupMeanDistance : std::uint8_t {
    SumOfSquares = 0,
    Euclidean = 1,
    Manhattan = 2,
    PercentRemote = 3,
    Chord = 4,
    Geodesic = 5,
    PearsonR = 6,
    SpearmanR = 7,
    Count
};
static_assert(static_cast<int>(GroupMeanDistance::Count) == 8, "the clustering choices list eight measures");

class CDistTwoVector {
public:
    virtual ~CDistTwoVector() = default;

    // Distance of data row `row` to groupMeans row `group` over nCol columns.
    [[nodiscard]] virtual double DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans,
                                                             std::int32_t row, std::int32_t group,
                                                             std::int32_t nCol) const = 0;

    // The distances of one data row to all k group means at once, for the
    // passes that measure every row against every group: x holds the row's
    // nCol values (row is its index, for the row sums), meansByColumn the
    // means column after column (mean of group g in column j at j * k + g).
    // out[g] receives DistVectorToGroupMeanVector's number for group g, bit
    // for bit (the same sums in the same order; the k sums advance together
    // column by column). Returns false, with out unspecified, for a measure
    // without this form or when any of the k distances would fail: the
    // caller then measures group by group, which raises the error. Indices
    // are not checked.
    [[nodiscard]] virtual bool DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                        std::int32_t k, std::int32_t nCol, double* out) const;

protected:
    CDistTwoVector() = default;
    CDistTwoVector(const CDistTwoVector&) = default;
    CDistTwoVector& operator=(const CDistTwoVector&) = default;
};

class CDistTwoVectorSS final : public CDistTwoVector {
public:
    [[nodiscard]] double DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans, std::int32_t row,
                                                     std::int32_t group, std::int32_t nCol) const override;
    [[nodiscard]] bool DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                std::int32_t k, std::int32_t nCol, double* out) const override;
};

class CDistTwoVectorEuclid final : public CDistTwoVector {
public:
    [[nodiscard]] double DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans, std::int32_t row,
                                                     std::int32_t group, std::int32_t nCol) const override;
    [[nodiscard]] bool DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                std::int32_t k, std::int32_t nCol, double* out) const override;
};

class CDistTwoVectorManhattanMetric final : public CDistTwoVector {
public:
    [[nodiscard]] double DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans, std::int32_t row,
                                                     std::int32_t group, std::int32_t nCol) const override;
    [[nodiscard]] bool DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                std::int32_t k, std::int32_t nCol, double* out) const override;
};

class CDistTwoVectorPercentRemote final : public CDistTwoVector {
public:
    [[nodiscard]] double DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans, std::int32_t row,
                                                     std::int32_t group, std::int32_t nCol) const override;
};

class CDistTwoVectorChord final : public CDistTwoVector {
public:
    [[nodiscard]] double DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans, std::int32_t row,
                                                     std::int32_t group, std::int32_t nCol) const override;
    [[nodiscard]] bool DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                std::int32_t k, std::int32_t nCol, double* out) const override;
    // Sum of squares of each data row, indexed by row.
    std::vector<double> SumX2Array;
};

class CDistTwoVectorGeodesic final : public CDistTwoVector {
public:
    [[nodiscard]] double DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans, std::int32_t row,
                                                     std::int32_t group, std::int32_t nCol) const override;
    [[nodiscard]] bool DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                std::int32_t k, std::int32_t nCol, double* out) const override;
    std::vector<double> SumX2Array;
};

class CDistTwoVectorPearsonR final : public CDistTwoVector {
public:
    [[nodiscard]] double DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans, std::int32_t row,
                                                     std::int32_t group, std::int32_t nCol) const override;
    [[nodiscard]] bool DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                std::int32_t k, std::int32_t nCol, double* out) const override;
    // Sum of the values and sum of their squares of each data row.
    std::vector<double> SumXArray;
    std::vector<double> SumX2Array;
};

class CDistTwoVectorSpearmanR final : public CDistTwoVector {
public:
    [[nodiscard]] double DistVectorToGroupMeanVector(const Matrix& data, const Matrix& groupMeans, std::int32_t row,
                                                     std::int32_t group, std::int32_t nCol) const override;
    [[nodiscard]] bool DistancesToAllGroupMeans(const double* x, std::int32_t row, const double* meansByColumn,
                                                std::int32_t k, std::int32_t nCol, double* out) const override;
    std::vector<double> SumXArray;
    std::vector<double> SumX2Array;
};

// The measure of a distance index with its row sums set: sumX and sumX2 are
// the per-row sums of values and squares (copied into the classes that read
// them; the others ignore them). Error 5 for an index outside 0 to 7.
[[nodiscard]] std::unique_ptr<CDistTwoVector> CreateDistTwoVector(std::uint8_t index, std::span<const double> sumX,
                                                                  std::span<const double> sumX2);

// Per-row sums over columns 0 .. nCol - 1 of rows 0 .. nRow - 1, as the
// measures of indices 4 to 7 read them.
struct RowSums {
    std::vector<double> sumX;
    std::vector<double> sumX2;
};
[[nodiscard]] RowSums ComputeRowSums(const Matrix& data, std::int32_t nRow, std::int32_t nCol);

} // namespace analysis
