#pragma once

// SOM: clustering of the rows of a data block with a self-organising map
// (Kohonen): a chain of nNodes nodes, each a weight vector of nCol values,
// trained by presenting the rows in random order.
//
// Training. The map starts at random values in [smallest, largest + 1) of the
// data. Each presented row finds its best-matching node (smallest distance,
// ties to the lower node) and pulls the nodes within the neighbourhood
// R = floor(sqrt(nNodes) / 10) of it along the chain towards itself:
// node r moves by a = alpha / (|r - best| + 1), w := a x + (1 - a) w. The
// learning rate alpha is multiplied by f = 1 - 1 / (nRow * maxIter) after
// every presentation, across all sweeps. A sweep presents every row once, in
// a fresh random order, and adds up the square roots of the best distances.
// After the first sweep, sweeps repeat until one's sum differs from the best
// sum so far by less than `precision` (converged) or maxIter + 1 further
// sweeps have run; the map of the sweep with the smallest sum is kept.
// Finally each row is assigned to its best node on that map, with the square
// root of its distance as its fit, and the occupied nodes become clusters
// 0, 1, 2, ... in ascending node order.
//
// Metrics (interchangeable classes chosen by the metric code):
//   1 CSOMEuclid   sum of squared differences
//   2 CSOMAbsDiff  sum of absolute differences
//
// Index base 0: data(row, column), map(node, column). Random numbers come
// from the run-time's generator, or from the one the caller passes (seeded
// runs repeat exactly).
//
// Errors (platform::Error, source "SOMClustering"): 1 for nRow, nCol, nNodes
// or maxIter below 1 and for data holding the missing-value code; 5 for a
// metric other than 1 or 2; 9 for counts beyond the data; 13 for a cell that
// is not a finite number.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "numeric/Matrix.h"
#include "numeric/Progress.h"

namespace platform::rt {
class RandomSource;
}

namespace SOM {

using numeric::Matrix;
using numeric::Progress;

class CSOMMetric {
public:
    virtual ~CSOMMetric() = default;

    // Finds the best-matching node of data row `row` (minDist the smallest
    // distance, starting from 1.7E+308; ties to the lower node) and moves the
    // nodes best - radius .. best + radius (within the chain) towards the row.
    virtual void GetMinSumSqDiffWithUpdate1D(const Matrix& data, std::int32_t row, std::int32_t nCol, double alpha,
                                             std::int32_t radius, Matrix& map, std::int32_t nNodes,
                                             std::int32_t& bestNode, double& minDist) const = 0;
    // The same search without the update.
    virtual void GetMinSumSqDiff1D(const Matrix& data, std::int32_t row, std::int32_t nCol, const Matrix& map,
                                   std::int32_t nNodes, std::int32_t& bestNode, double& minDist) const = 0;

protected:
    CSOMMetric() = default;
    CSOMMetric(const CSOMMetric&) = default;
    CSOMMetric& operator=(const CSOMMetric&) = default;
};

class CSOMEuclid final : public CSOMMetric {
public:
    void GetMinSumSqDiffWithUpdate1D(const Matrix& data, std::int32_t row, std::int32_t nCol, double alpha,
                                     std::int32_t radius, Matrix& map, std::int32_t nNodes, std::int32_t& bestNode,
                                     double& minDist) const override;
    void GetMinSumSqDiff1D(const Matrix& data, std::int32_t row, std::int32_t nCol, const Matrix& map,
                           std::int32_t nNodes, std::int32_t& bestNode, double& minDist) const override;
};

class CSOMAbsDiff final : public CSOMMetric {
public:
    void GetMinSumSqDiffWithUpdate1D(const Matrix& data, std::int32_t row, std::int32_t nCol, double alpha,
                                     std::int32_t radius, Matrix& map, std::int32_t nNodes, std::int32_t& bestNode,
                                     double& minDist) const override;
    void GetMinSumSqDiff1D(const Matrix& data, std::int32_t row, std::int32_t nCol, const Matrix& map,
                           std::int32_t nNodes, std::int32_t& bestNode, double& minDist) const override;
};

// The metric of a code (1 or 2); error 5 for any other.
[[nodiscard]] std::unique_ptr<CSOMMetric> CreateSOMMetric(std::uint8_t metric);

// Neighbourhood size of a map: floor(sqrt(nNodes) / 10).
[[nodiscard]] std::int32_t NeighbourhoodSize(std::int32_t nNodes);

// Trains the map and clusters the rows as above. Outputs: groupOut the
// cluster (0 .. nClusters - 1) of each row, nClustersOut the number of
// occupied nodes, fitOut the fit of each row, sizesOut the size of each
// cluster (nClusters entries), report the text report (CR LF line ends;
// replaces what the string held). Always returns true; whether training
// converged is told in the report ("Convergence reached." or "Maximum
// iteration reached.").
// missingCode: the code that empty cells were given; data holding it are
// refused. rng: the random source (null: the run-time's process-wide one).
// Progress: maximum maxIter + 1, value the sweep count; maximum nRow, value i
// after row i is assigned and again while the report's row lines are
// written; 0 at the end.
// Cost O(sweeps * nRow * nNodes * nCol); memory O(nNodes * nCol + nRow).
bool SOMClustering(const Matrix& data, std::int32_t nRow, std::int32_t nCol, double alpha, double precision,
                   std::int32_t maxIter, std::uint8_t metric, std::int32_t nNodes, std::vector<std::int32_t>& groupOut,
                   std::int32_t& nClustersOut, std::vector<double>& fitOut, std::vector<std::int32_t>& sizesOut,
                   std::string& report, Progress* progress, platform::rt::RandomSource* rng = nullptr,
                   std::optional<double> missingCode = {});

} // namespace SOM
