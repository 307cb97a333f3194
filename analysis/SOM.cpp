#include "analysis/SOM.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>

#include "analysis/mCluster.h"
#include "numeric/Checked.h"
#include "numeric/mNumRec.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "platform/runtime/Rnd.h"
#include "shell/core/StrUtil.h"

namespace SOM {

using numeric::detail::setMaximum;
using numeric::detail::setMinimum;
using numeric::detail::setValue;

namespace {

constexpr double kNoMatch = 1.7E+308;
constexpr const char* kSource = "SOMClustering";

std::size_t at(std::int32_t i)
{
    return static_cast<std::size_t>(i);
}

void checkSearch(const Matrix& data, std::int32_t row, std::int32_t nCol, const Matrix& map, std::int32_t nNodes,
                 const char* source)
{
    if (row < 0 || nCol < 0 || nNodes < 0 || at(row) >= data.rows() || at(nCol) > data.cols() ||
        at(nNodes) > map.rows() || at(nCol) > map.cols()) {
        numeric::raiseRuntime(platform::err::Subscript, source);
    }
}

// Best-matching node. A node's sum stops growing once it can no longer beat
// the best so far (its sum only increases), which leaves the result as the
// full search gives it.
template <bool Absolute>
void search(const Matrix& data, std::int32_t row, std::int32_t nCol, const Matrix& map, std::int32_t nNodes,
            std::int32_t& bestNode, double& minDist)
{
    const double* x = data.data() + at(row) * data.cols();
    minDist = kNoMatch;
    for (std::int32_t r = 0; r < nNodes; ++r) {
        const double* w = map.data() + at(r) * map.cols();
        double s = 0;
        std::int32_t j = 0;
        while (j < nCol) {
            const std::int32_t end = std::min(nCol, j + 8);
            for (; j < end; ++j) {
                const double d = x[j] - w[j];
                s += Absolute ? std::fabs(d) : d * d;
            }
            if (!(s < minDist)) {
                break;
            }
        }
        if (s < minDist) {
            minDist = s;
            bestNode = r;
        }
    }
}

void update(const Matrix& data, std::int32_t row, std::int32_t nCol, double alpha, std::int32_t radius, Matrix& map,
            std::int32_t nNodes, std::int32_t bestNode)
{
    const double* x = data.data() + at(row) * data.cols();
    const std::int32_t lo = std::max(bestNode - radius, 0);
    const std::int32_t hi = std::min(bestNode + radius, nNodes - 1);
    for (std::int32_t r = lo; r <= hi; ++r) {
        const double a = alpha / (std::abs(r - bestNode) + 1);
        double* w = map.data() + at(r) * map.cols();
        for (std::int32_t j = 0; j < nCol; ++j) {
            w[j] = a * x[j] + (1 - a) * w[j];
        }
    }
}

void crlf(std::string& text)
{
    text += "\r\n";
}

} // namespace

void CSOMEuclid::GetMinSumSqDiffWithUpdate1D(const Matrix& data, std::int32_t row, std::int32_t nCol, double alpha,
                                             std::int32_t radius, Matrix& map, std::int32_t nNodes,
                                             std::int32_t& bestNode, double& minDist) const
{
    checkSearch(data, row, nCol, map, nNodes, "CSOMEuclid");
    search<false>(data, row, nCol, map, nNodes, bestNode, minDist);
    update(data, row, nCol, alpha, radius, map, nNodes, bestNode);
}

void CSOMEuclid::GetMinSumSqDiff1D(const Matrix& data, std::int32_t row, std::int32_t nCol, const Matrix& map,
                                   std::int32_t nNodes, std::int32_t& bestNode, double& minDist) const
{
    checkSearch(data, row, nCol, map, nNodes, "CSOMEuclid");
    search<false>(data, row, nCol, map, nNodes, bestNode, minDist);
}

void CSOMAbsDiff::GetMinSumSqDiffWithUpdate1D(const Matrix& data, std::int32_t row, std::int32_t nCol, double alpha,
                                              std::int32_t radius, Matrix& map, std::int32_t nNodes,
                                              std::int32_t& bestNode, double& minDist) const
{
    checkSearch(data, row, nCol, map, nNodes, "CSOMAbsDiff");
    search<true>(data, row, nCol, map, nNodes, bestNode, minDist);
    update(data, row, nCol, alpha, radius, map, nNodes, bestNode);
}

void CSOMAbsDiff::GetMinSumSqDiff1D(const Matrix& data, std::int32_t row, std::int32_t nCol, const Matrix& map,
                                    std::int32_t nNodes, std::int32_t& bestNode, double& minDist) const
{
    checkSearch(data, row, nCol, map, nNodes, "CSOMAbsDiff");
    search<true>(data, row, nCol, map, nNodes, bestNode, minDist);
}

std::unique_ptr<CSOMMetric> CreateSOMMetric(std::uint8_t metric)
{
    switch (metric) {
    case 1:
        return std::make_unique<CSOMEuclid>();
    case 2:
        return std::make_unique<CSOMAbsDiff>();
    default:
        throw platform::Error(platform::err::InvalidCall, "CreateSOMMetric",
                              "The map metric " + platform::rt::CStr(static_cast<int>(metric)) +
                                  " is not 1 (Euclid) or 2 (absolute difference).");
    }
}

std::int32_t NeighbourhoodSize(std::int32_t nNodes)
{
    return static_cast<std::int32_t>(std::floor(std::sqrt(static_cast<double>(std::max(nNodes, 0))) / 10.0));
}

bool SOMClustering(const Matrix& data, std::int32_t nRow, std::int32_t nCol, double alpha, double precision,
                   std::int32_t maxIter, std::uint8_t metric, std::int32_t nNodes, std::vector<std::int32_t>& groupOut,
                   std::int32_t& nClustersOut, std::vector<double>& fitOut, std::vector<std::int32_t>& sizesOut,
                   std::string& report, Progress* progress, platform::rt::RandomSource* rng,
                   std::optional<double> missingCode)
{
    if (nRow < 1 || nCol < 1) {
        numeric::raiseReport(kSource, "The self-organizing map needs at least one row and one column of data.");
    }
    if (nNodes < 1) {
        numeric::raiseReport(kSource, "The map needs at least one node (" + platform::rt::CStr(nNodes) + " asked).");
    }
    if (maxIter < 1) {
        numeric::raiseReport(kSource, "The maximum number of iterations must be at least 1 (it is " +
                                          platform::rt::CStr(maxIter) + ").");
    }
    const auto metricObject = CreateSOMMetric(metric);
    mCluster::detail::checkBlock(data, nRow, nCol, missingCode, kSource, "The self-organizing map");

    std::function<double()> uniform = [rng] { return rng != nullptr ? rng->next() : platform::rt::Rnd(); };

    // 1, 2. Sizes and learning parameters.
    Matrix map(at(nNodes), at(nCol));
    groupOut.assign(at(nRow), 0);
    fitOut.assign(at(nRow), 0.0);
    const std::int32_t radius = NeighbourhoodSize(nNodes);
    const double decay = 1.0 - 1.0 / (static_cast<double>(nRow) * static_cast<double>(maxIter));
    double a = alpha;

    // 3, 4. Range of the data and the field width of the map values.
    double smallest = data(0, 0);
    double largest = data(0, 0);
    for (std::int32_t i = 0; i < nRow; ++i) {
        for (std::int32_t j = 0; j < nCol; ++j) {
            smallest = std::min(smallest, data(at(i), at(j)));
            largest = std::max(largest, data(at(i), at(j)));
        }
    }
    const auto intText = [](double v) { return platform::rt::Str(static_cast<std::int64_t>(std::floor(v))); };
    const int width = static_cast<int>(std::max(intText(largest).size(), intText(smallest).size())) + 4;

    // 5. Random initial map.
    for (std::int32_t r = 0; r < nNodes; ++r) {
        for (std::int32_t j = 0; j < nCol; ++j) {
            map(at(r), at(j)) = (largest - smallest + 1) * uniform() + smallest;
        }
    }

    // 6 - 8. Training sweeps.
    setMinimum(progress, 0);
    setMaximum(progress, static_cast<double>(maxIter) + 1);
    auto sweep = [&] {
        const std::vector<std::int32_t> order = mNumRec::RandomPermutation(0, nRow - 1, uniform);
        double sum = 0;
        std::int32_t best = 0;
        double minDist = 0;
        for (const std::int32_t row : order) {
            metricObject->GetMinSumSqDiffWithUpdate1D(data, row, nCol, a, radius, map, nNodes, best, minDist);
            sum += std::sqrt(minDist);
            a *= decay;
        }
        return numeric::checkedFinite(sum, kSource);
    };
    double bestSum = sweep();
    Matrix bestMap = map;
    std::int32_t iteration = 0;
    do {
        const double sum = sweep();
        if (std::fabs(sum - bestSum) < precision) {
            break;
        }
        if (sum < bestSum) {
            bestSum = sum;
            bestMap = map;
        }
        ++iteration;
        setValue(progress, iteration);
    } while (iteration <= maxIter);

    // 9. Final assignment on the best map.
    std::vector<std::int32_t> node(at(nRow));
    setMaximum(progress, nRow);
    for (std::int32_t i = 0; i < nRow; ++i) {
        std::int32_t best = 0;
        double minDist = 0;
        metricObject->GetMinSumSqDiff1D(data, i, nCol, bestMap, nNodes, best, minDist);
        node[at(i)] = best;
        fitOut[at(i)] = std::sqrt(minDist);
        setValue(progress, i);
    }
    setValue(progress, 0);

    // 10. Occupied nodes become clusters 0, 1, 2, ... in ascending node order.
    std::vector<std::int32_t> clusterOfNode(at(nNodes), -1);
    for (const std::int32_t n : node) {
        clusterOfNode[at(n)] = 0;
    }
    std::int32_t nClusters = 0;
    for (std::int32_t& c : clusterOfNode) {
        if (c == 0) {
            c = nClusters++;
        }
    }
    sizesOut.assign(at(nClusters), 0);
    for (std::int32_t i = 0; i < nRow; ++i) {
        groupOut[at(i)] = clusterOfNode[at(node[at(i)])];
        ++sizesOut[at(groupOut[at(i)])];
    }
    nClustersOut = nClusters;

    // 11. Report.
    using platform::rt::CStr;
    std::string text;
    text.reserve(1024 + at(nNodes) * at(nCol) * at(width) + at(nRow) * 32);
    text += "Data analysis with 2-D self-organizing map (SOM)";
    crlf(text);
    text += "Input matrix size: " + CStr(nRow) + " by " + CStr(nCol);
    crlf(text);
    text += "Max value in input matrix: " + CStr(largest);
    crlf(text);
    text += "Num. nodes in SOM: " + CStr(nNodes);
    crlf(text);
    text += "Initial alpha: " + CStr(alpha);
    crlf(text);
    text += "Precision: " + CStr(precision);
    crlf(text);
    text += std::string("Distance used: ") + (metric == 1 ? " Euclid." : " Absolute difference.");
    crlf(text);
    text += "Max number of iteration: " + CStr(maxIter);
    crlf(text);
    text += "Neighborhood size: " + CStr(radius);
    crlf(text);
    crlf(text);
    text += iteration > maxIter ? "Maximum iteration reached." : "Convergence reached.";
    crlf(text);
    text += "Output the finished SOM, with Sum of distances = " + CStr(bestSum);
    crlf(text);
    crlf(text);
    text += std::string(68, '=');
    crlf(text);
    for (std::int32_t r = 0; r < nNodes; ++r) {
        for (std::int32_t j = 0; j < nCol; ++j) {
            text += StrUtil::FormatNumRight(bestMap(at(r), at(j)), width, 2);
        }
        crlf(text);
    }
    text += std::string(68, '=');
    crlf(text);
    crlf(text);
    crlf(text);
    text += "Clustering result with SOM:";
    crlf(text);
    text += std::string(39, '=');
    crlf(text);
    text += "Row ID ClusterID         Fit";
    crlf(text);
    text += std::string(39, '-');
    crlf(text);
    for (std::int32_t i = 0; i < nRow; ++i) {
        text += StrUtil::PadStr(CStr(i + 1), 6, 1);
        text += StrUtil::PadStr(CStr(groupOut[at(i)]), 10, 0);
        text += StrUtil::FormatNumRight(fitOut[at(i)], 12, 3);
        crlf(text);
        setValue(progress, i);
    }
    text += std::string(39, '=');
    crlf(text);
    setValue(progress, 0);
    report = std::move(text);
    return true;
}

} // namespace SOM
