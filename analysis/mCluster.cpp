#include "analysis/mCluster.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>

#include "analysis/CDistTwoVector.h"
#include "analysis/DistanceMatrix.h"
#include "analysis/Geometry.h"
#include "numeric/Checked.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace mCluster {

using numeric::detail::setMaximum;
using numeric::detail::setMinimum;
using numeric::detail::setValue;

namespace {

constexpr std::int32_t kMaxKMeanPasses = 100;
constexpr std::int32_t kMaxJoinPasses = 100;

std::size_t at(std::int32_t i)
{
    return static_cast<std::size_t>(i);
}

const double* rowOf(const Matrix& m, std::int32_t i)
{
    return m.data() + at(i) * m.cols();
}

double* rowOf(Matrix& m, std::int32_t i)
{
    return m.data() + at(i) * m.cols();
}

[[noreturn]] void refuse(const char* source, const std::string& description)
{
    numeric::raiseReport(source, description);
}

void checkPartitionCall(const Matrix& data, std::int32_t nCol, std::int32_t nRow, std::int32_t k,
                        std::uint8_t distIndex, std::optional<double> missingCode, const char* source,
                        const char* analysis)
{
    if (nRow < 1 || nCol < 1) {
        refuse(source, std::string(analysis) + " needs at least one row and one column of data.");
    }
    if (k < 2) {
        refuse(source, "The number of clusters must be at least 2 (it is " + platform::rt::CStr(k) + ").");
    }
    if (k > nRow) {
        refuse(source, "There are more clusters (" + platform::rt::CStr(k) + ") than rows of data (" +
                           platform::rt::CStr(nRow) + ").");
    }
    if (distIndex >= static_cast<std::uint8_t>(analysis::GroupMeanDistance::Count)) {
        throw platform::Error(platform::err::InvalidCall, source,
                              "The distance index " + platform::rt::CStr(static_cast<int>(distIndex)) +
                                  " is not one of 0 to 7.");
    }
    detail::checkBlock(data, nRow, nCol, missingCode, source, analysis);
}

// Moves row i from group `from` to group `to`, updating both means column by
// column (the target's first) and the sizes.
void moveRow(const Matrix& data, Matrix& means, std::vector<std::int32_t>& sizes, std::int32_t i, std::int32_t from,
             std::int32_t to, std::int32_t nCol)
{
    const double* x = rowOf(data, i);
    double* mt = rowOf(means, to);
    double* mf = rowOf(means, from);
    const double st = sizes[at(to)];
    const double sf = sizes[at(from)];
    for (std::int32_t j = 0; j < nCol; ++j) {
        mt[j] = (st * mt[j] + x[j]) / (st + 1);
        mf[j] = (sf * mf[j] - x[j]) / (sf - 1);
    }
    --sizes[at(from)];
    ++sizes[at(to)];
}

// The distance of a row to a group mean; a failure names the row and group.
double measure(const analysis::CDistTwoVector& dist, const Matrix& data, const Matrix& means, std::int32_t row,
               std::int32_t group, std::int32_t nCol, const char* source)
{
    try {
        return dist.DistVectorToGroupMeanVector(data, means, row, group, nCol);
    } catch (const platform::Error&) {
        platform::RaiseError(source, "measuring row " + platform::rt::CStr(row + 1) + " against the mean of cluster " +
                                         platform::rt::CStr(group + 1));
        throw;
    }
}

struct KMeanState {
    const Matrix& data;
    std::int32_t nRow;
    std::int32_t nCol;
    std::int32_t k;
    std::vector<std::int32_t> group;
    std::vector<std::int32_t> sizes;
    Matrix means;
};

// The group means column after column (mean of group g in column j at
// j * k + g), as the measures take them to measure a row against every
// group at once.
std::vector<double> meansByColumn(const Matrix& means, std::int32_t k, std::int32_t nCol)
{
    std::vector<double> out(at(k) * at(nCol));
    for (std::int32_t g = 0; g < k; ++g) {
        const double* m = rowOf(means, g);
        for (std::int32_t j = 0; j < nCol; ++j) {
            out[at(j) * at(k) + at(g)] = m[j];
        }
    }
    return out;
}

// The group a row moves to: its own group g unless another is strictly
// nearer (the nearest, the lower number among equals). The own group is
// measured as it stands now.
std::int32_t nearestGroup(const KMeanState& s, const analysis::CDistTwoVector& dist, std::int32_t i, std::int32_t g,
                          const std::vector<double>& byColumn, std::vector<double>& d)
{
    if (dist.DistancesToAllGroupMeans(rowOf(s.data, i), i, byColumn.data(), s.k, s.nCol, d.data())) {
        double best = d[at(g)];
        std::int32_t target = g;
        for (std::int32_t h = 0; h < s.k; ++h) {
            if (h != g && d[at(h)] < best) {
                best = d[at(h)];
                target = h;
            }
        }
        return target;
    }
    // Group by group, so that a failing distance is reported for the first
    // pair that fails in this order.
    double best = measure(dist, s.data, s.means, i, g, s.nCol, "KMeanReassign");
    std::int32_t target = g;
    for (std::int32_t h = 0; h < s.k; ++h) {
        if (h == g) {
            continue;
        }
        const double dh = measure(dist, s.data, s.means, i, h, s.nCol, "KMeanReassign");
        if (dh < best) {
            best = dh;
            target = h;
        }
    }
    return target;
}

// The reassignment passes (see the header's step 2 and 3).
bool KMeanReassign(KMeanState& s, const analysis::CDistTwoVector& dist, Progress* progress)
{
    bool changed = true;
    std::int32_t passes = 0;
    setMinimum(progress, 0);
    setMaximum(progress, s.nRow);
    std::vector<double> byColumn = meansByColumn(s.means, s.k, s.nCol);
    std::vector<double> distances(at(s.k));
    for (;;) {
        if (!changed) {
            return passes < kMaxKMeanPasses;
        }
        changed = false;
        for (std::int32_t i = 0; i < s.nRow; ++i) {
            const std::int32_t g = s.group[at(i)];
            if (s.sizes[at(g)] > 1) {
                const std::int32_t target = nearestGroup(s, dist, i, g, byColumn, distances);
                if (target != g) {
                    moveRow(s.data, s.means, s.sizes, i, g, target, s.nCol);
                    const double* mt = rowOf(s.means, target);
                    const double* mg = rowOf(s.means, g);
                    for (std::int32_t j = 0; j < s.nCol; ++j) {
                        byColumn[at(j) * at(s.k) + at(target)] = mt[j];
                        byColumn[at(j) * at(s.k) + at(g)] = mg[j];
                    }
                    s.group[at(i)] = target;
                    changed = true;
                }
            }
            setValue(progress, i);
        }
        ++passes;
        if (passes > kMaxKMeanPasses) {
            return false;
        }
    }
}

std::unique_ptr<analysis::CDistTwoVector> distanceFor(const Matrix& data, std::int32_t nRow, std::int32_t nCol,
                                                      std::uint8_t distIndex)
{
    if (distIndex >= static_cast<std::uint8_t>(analysis::GroupMeanDistance::Chord)) {
        const analysis::RowSums sums = analysis::ComputeRowSums(data, nRow, nCol);
        return analysis::CreateDistTwoVector(distIndex, sums.sumX, sums.sumX2);
    }
    return analysis::CreateDistTwoVector(distIndex, {}, {});
}

// Root with `count` cluster nodes captioned "1" .. "count".
std::unique_ptr<analysis::MyNode> twoLevelRoot(std::int32_t count, const std::vector<double>& clusterLen)
{
    auto root = std::make_unique<analysis::MyNode>();
    for (std::int32_t c = 0; c < count; ++c) {
        auto node = std::make_unique<analysis::MyNode>();
        node->setCaption(platform::rt::CStr(c + 1));
        node->setTip(false);
        node->setBranchLen(clusterLen[at(c)]);
        root->addChild(std::move(node));
    }
    return root;
}

void addLeaf(analysis::MyNode& root, std::int32_t cluster, const std::string& label, double length)
{
    auto leaf = std::make_unique<analysis::MyNode>();
    leaf->setCaption(label);
    leaf->setTip(true);
    leaf->setBranchLen(length);
    root.child(at(cluster))->addChild(std::move(leaf));
}

void checkTreeCall(const std::vector<std::int32_t>& group, std::int32_t nRow,
                   const std::vector<std::string>& rowLabels, std::int32_t count, const char* source)
{
    if (count < 1 || nRow < 0) {
        numeric::raiseRuntime(platform::err::InvalidCall, source);
    }
    if (group.size() < at(nRow) || rowLabels.size() < at(nRow)) {
        numeric::raiseRuntime(platform::err::Subscript, source);
    }
    for (std::int32_t i = 0; i < nRow; ++i) {
        if (group[at(i)] < 0 || group[at(i)] >= count) {
            throw platform::Error(platform::err::Subscript, source,
                                  "Row " + platform::rt::CStr(i + 1) + " is in cluster " +
                                      platform::rt::CStr(group[at(i)] + 1) + ", outside 1 to " +
                                      platform::rt::CStr(count) + ".");
        }
    }
}

} // namespace

namespace detail {

void checkBlock(const Matrix& data, std::int32_t nRow, std::int32_t nCol, std::optional<double> missingCode,
                const char* source, const char* analysis)
{
    if (nRow < 0 || nCol < 0 || at(nRow) > data.rows() || at(nCol) > data.cols()) {
        numeric::raiseRuntime(platform::err::Subscript, source);
    }
    std::int64_t missing = 0;
    std::int32_t firstRow = 0;
    std::int32_t firstCol = 0;
    for (std::int32_t i = 0; i < nRow; ++i) {
        const double* x = rowOf(data, i);
        for (std::int32_t j = 0; j < nCol; ++j) {
            if (!std::isfinite(x[j])) {
                throw platform::Error(platform::err::TypeMismatch, source,
                                      "The cell at row " + platform::rt::CStr(i + 1) + ", column " +
                                          platform::rt::CStr(j + 1) + " is not a number.");
            }
            if (missingCode && x[j] == *missingCode) {
                if (missing == 0) {
                    firstRow = i;
                    firstCol = j;
                }
                ++missing;
            }
        }
    }
    if (missing > 0) {
        refuse(source, "The data hold " + platform::rt::CStr(missing) + " missing value" +
                           (missing == 1 ? "" : "s") + " (cells equal to the code " +
                           platform::rt::CStr(*missingCode) + "), the first at row " +
                           platform::rt::CStr(firstRow + 1) + ", column " + platform::rt::CStr(firstCol + 1) +
                           ". " + analysis + " needs complete data: fill or remove these rows first.");
    }
}

} // namespace detail

bool KMeanClustering(const Matrix& data, std::int32_t nCol, std::int32_t nRow, std::int32_t k, std::uint8_t distIndex,
                     std::vector<std::int32_t>& groupOut, std::vector<std::int32_t>& sizesOut,
                     std::vector<double>& errorsOut, Progress* progress, std::optional<double> missingCode)
{
    constexpr const char* source = "KMeanClustering";
    checkPartitionCall(data, nCol, nRow, k, distIndex, missingCode, source, "K-means clustering");

    KMeanState s{data, nRow, nCol, k, std::vector<std::int32_t>(at(nRow)), std::vector<std::int32_t>(at(k)),
                 Matrix(at(k), at(nCol))};

    // Initial partition in blocks of consecutive rows.
    const std::int32_t m = nRow / k;
    setMinimum(progress, 0);
    setMaximum(progress, k);
    auto fillBlock = [&](std::int32_t g, std::int32_t first, std::int32_t last, bool rowProgress) {
        double* mean = rowOf(s.means, g);
        for (std::int32_t i = first; i <= last; ++i) {
            s.group[at(i)] = g;
            const double* x = rowOf(data, i);
            for (std::int32_t j = 0; j < nCol; ++j) {
                mean[j] += x[j];
            }
            if (rowProgress) {
                setValue(progress, i);
            }
        }
        const std::int32_t size = last - first + 1;
        s.sizes[at(g)] = size;
        for (std::int32_t j = 0; j < nCol; ++j) {
            mean[j] /= size;
        }
    };
    for (std::int32_t g = 0; g <= k - 2; ++g) {
        fillBlock(g, g * m, g * m + m - 1, false);
        setValue(progress, g);
    }
    setMaximum(progress, nRow);
    fillBlock(k - 1, (k - 1) * m, nRow - 1, true);

    const auto dist = distanceFor(data, nRow, nCol, distIndex);
    const bool settled = KMeanReassign(s, *dist, progress);

    groupOut = s.group;
    sizesOut = s.sizes;
    errorsOut = GetClusterError(data, groupOut, nCol, nRow, distIndex, k);
    setValue(progress, 0);
    return settled;
}

std::vector<double> GetClusterError(const Matrix& data, const std::vector<std::int32_t>& group, std::int32_t nCol,
                                    std::int32_t nRow, std::uint8_t distIndex, std::int32_t k)
{
    constexpr const char* source = "GetClusterError";
    if (k < 1 || nRow < 1 || nCol < 1) {
        numeric::raiseRuntime(platform::err::InvalidCall, source);
    }
    if (group.size() < at(nRow) || at(nRow) > data.rows() || at(nCol) > data.cols()) {
        numeric::raiseRuntime(platform::err::Subscript, source);
    }
    if (distIndex >= static_cast<std::uint8_t>(analysis::GroupMeanDistance::Count)) {
        numeric::raiseRuntime(platform::err::InvalidCall, source);
    }

    // Group means from the partition.
    Matrix means(at(k), at(nCol));
    std::vector<std::int32_t> sizes(at(k), 0);
    for (std::int32_t i = 0; i < nRow; ++i) {
        const std::int32_t g = group[at(i)];
        if (g < 0 || g >= k) {
            throw platform::Error(platform::err::Subscript, source,
                                  "Row " + platform::rt::CStr(i + 1) + " is in group " + platform::rt::CStr(g) +
                                      ", outside 0 to " + platform::rt::CStr(k - 1) + ".");
        }
        const double* x = rowOf(data, i);
        double* mean = rowOf(means, g);
        for (std::int32_t j = 0; j < nCol; ++j) {
            mean[j] += x[j];
        }
        ++sizes[at(g)];
    }
    for (std::int32_t g = 0; g < k; ++g) {
        double* mean = rowOf(means, g);
        for (std::int32_t j = 0; j < nCol; ++j) {
            mean[j] = numeric::checkedDiv(mean[j], sizes[at(g)], source);
        }
    }

    // Each row's term is its distance to its group's mean under the measure
    // (index 1 sums squared differences and takes the root of the sums).
    const bool rooted = distIndex == static_cast<std::uint8_t>(analysis::GroupMeanDistance::Euclidean);
    const auto dist = distanceFor(data, nRow, nCol, rooted ? 0 : distIndex);
    std::vector<double> acc(at(k), 0.0);
    for (std::int32_t i = 0; i < nRow; ++i) {
        acc[at(group[at(i)])] += measure(*dist, data, means, i, group[at(i)], nCol, source);
    }

    std::vector<double> errors(at(k) + 1);
    double total = 0;
    for (std::int32_t g = 0; g < k; ++g) {
        total += acc[at(g)];
        const double a = rooted ? std::sqrt(acc[at(g)]) : acc[at(g)];
        errors[at(g)] = numeric::checkedDiv(a, sizes[at(g)], source);
    }
    errors[at(k)] = numeric::checkedDiv(rooted ? std::sqrt(total) : total, nRow, source);
    return errors;
}

bool JoinClustering(const Matrix& data, std::int32_t nCol, std::int32_t nRow, std::int32_t k, std::uint8_t distIndex,
                    std::vector<std::int32_t>& groupOut, std::vector<std::int32_t>& sizesOut,
                    std::vector<double>& errorsOut, bool useMissing, Progress* progress, double missingCode)
{
    constexpr const char* source = "JoinClustering";
    checkPartitionCall(data, nCol, nRow, k, distIndex, useMissing ? std::optional<double>(missingCode) : std::nullopt,
                       source, "Join clustering");

    // 1. Distances between the rows.
    const std::uint8_t matrixIndex = distIndex == static_cast<std::uint8_t>(analysis::GroupMeanDistance::SpearmanR)
                                         ? static_cast<std::uint8_t>(analysis::GroupMeanDistance::PearsonR)
                                         : distIndex;
    analysis::DistanceMatrix dis;
    try {
        Geometry::DisMatByIndex(static_cast<std::int16_t>(matrixIndex), data, nRow, nCol, false, dis, progress);
    } catch (const platform::Error&) {
        platform::RaiseError(source, "while measuring the distances between the rows");
        throw;
    }

    // 2. Seeds, farthest first.
    std::vector<std::int32_t> group(at(nRow), -1);
    std::vector<std::int32_t> sizes(at(k), 0);
    Matrix means(at(k), at(nCol));
    std::vector<std::int32_t> seeds;
    seeds.reserve(at(k));
    setMinimum(progress, 0);
    setMaximum(progress, k);

    double farthest = 0;
    std::int32_t first = -1;
    for (std::int32_t i = 1; i < nRow; ++i) {
        const double* row = dis.row(i);
        for (std::int32_t j = 0; j < i; ++j) {
            if (row[j] > farthest) {
                farthest = row[j];
                first = j;
            }
        }
    }
    auto tooFewDistinct = [&] {
        refuse(source, "The rows fall on fewer than " + platform::rt::CStr(k) +
                           " distinct positions under this distance, so they cannot form " + platform::rt::CStr(k) +
                           " clusters.");
    };
    if (first < 0) {
        tooFewDistinct();
    }
    std::vector<double> nearestSeed(at(nRow), 0.0);
    auto plantSeed = [&](std::int32_t r, std::int32_t g) {
        seeds.push_back(r);
        group[at(r)] = g;
        sizes[at(g)] = 1;
        std::copy_n(rowOf(data, r), nCol, rowOf(means, g));
        for (std::int32_t i = 0; i < nRow; ++i) {
            const double d = dis.at(i, r);
            if (g == 0 || d < nearestSeed[at(i)]) {
                nearestSeed[at(i)] = d;
            }
        }
        setValue(progress, g);
    };
    plantSeed(first, 0);
    for (std::int32_t g = 1; g < k; ++g) {
        double best = 0;
        std::int32_t pick = -1;
        for (std::int32_t i = 0; i < nRow; ++i) {
            if (group[at(i)] < 0 && nearestSeed[at(i)] > best) {
                best = nearestSeed[at(i)];
                pick = i;
            }
        }
        if (pick < 0) {
            tooFewDistinct();
        }
        plantSeed(pick, g);
    }

    // 3. The other rows join the nearest working mean, nearest to a seed first.
    const auto dist = distanceFor(data, nRow, nCol, distIndex);
    std::vector<std::int32_t> order;
    order.reserve(at(nRow));
    for (std::int32_t i = 0; i < nRow; ++i) {
        if (group[at(i)] < 0) {
            order.push_back(i);
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::int32_t a, std::int32_t b) { return nearestSeed[at(a)] < nearestSeed[at(b)]; });
    setMaximum(progress, nRow);
    for (const std::int32_t i : order) {
        double best = 0;
        std::int32_t target = -1;
        for (std::int32_t h = 0; h < k; ++h) {
            const double d = measure(*dist, data, means, i, h, nCol, source);
            if (target < 0 || d < best) {
                best = d;
                target = h;
            }
        }
        const double* x = rowOf(data, i);
        double* mean = rowOf(means, target);
        const double size = sizes[at(target)];
        for (std::int32_t j = 0; j < nCol; ++j) {
            mean[j] = (size * mean[j] + x[j]) / (size + 1);
        }
        ++sizes[at(target)];
        group[at(i)] = target;
        setValue(progress, i);
    }

    // 4. Refinement: a row moves only to a mean nearer than its own group's.
    bool settled = false;
    for (std::int32_t pass = 0; pass < kMaxJoinPasses && !settled; ++pass) {
        bool changed = false;
        for (std::int32_t i = 0; i < nRow; ++i) {
            const std::int32_t g = group[at(i)];
            if (sizes[at(g)] > 1) {
                double best = measure(*dist, data, means, i, g, nCol, source);
                std::int32_t target = g;
                for (std::int32_t h = 0; h < k; ++h) {
                    if (h == g) {
                        continue;
                    }
                    const double d = measure(*dist, data, means, i, h, nCol, source);
                    if (d < best) {
                        best = d;
                        target = h;
                    }
                }
                if (target != g) {
                    moveRow(data, means, sizes, i, g, target, nCol);
                    group[at(i)] = target;
                    changed = true;
                }
            }
            setValue(progress, i);
        }
        settled = !changed;
    }

    groupOut = group;
    sizesOut = sizes;
    errorsOut = GetClusterError(data, groupOut, nCol, nRow, distIndex, k);
    setValue(progress, 0);
    return settled;
}

std::unique_ptr<analysis::MyNode> BuildKMeanTree(const std::vector<std::int32_t>& group, std::int32_t nRow,
                                                 const std::vector<std::string>& rowLabels, std::int32_t k,
                                                 const std::vector<double>& errors)
{
    constexpr const char* source = "BuildKMeanTree";
    checkTreeCall(group, nRow, rowLabels, k, source);
    if (errors.size() < at(k) + 1) {
        numeric::raiseRuntime(platform::err::Subscript, source);
    }
    auto root = twoLevelRoot(k, std::vector<double>(at(k), errors[at(k)]));
    for (std::int32_t i = 0; i < nRow; ++i) {
        const std::int32_t g = group[at(i)];
        addLeaf(*root, g, rowLabels[at(i)], errors[at(g)]);
    }
    return root;
}

std::unique_ptr<analysis::MyNode> BuildSOMTree(const std::vector<std::int32_t>& group, std::int32_t nRow,
                                               const std::vector<std::string>& rowLabels, std::int32_t nNodes,
                                               const std::vector<double>& fit)
{
    constexpr const char* source = "BuildSOMTree";
    checkTreeCall(group, nRow, rowLabels, nNodes, source);
    if (fit.size() < at(nRow)) {
        numeric::raiseRuntime(platform::err::Subscript, source);
    }
    std::vector<double> meanFit(at(nNodes), 0.0);
    std::vector<std::int32_t> count(at(nNodes), 0);
    for (std::int32_t i = 0; i < nRow; ++i) {
        meanFit[at(group[at(i)])] += fit[at(i)];
        ++count[at(group[at(i)])];
    }
    for (std::int32_t c = 0; c < nNodes; ++c) {
        if (count[at(c)] > 0) {
            meanFit[at(c)] /= count[at(c)];
        }
    }
    auto root = twoLevelRoot(nNodes, meanFit);
    for (std::int32_t i = 0; i < nRow; ++i) {
        addLeaf(*root, group[at(i)], rowLabels[at(i)], fit[at(i)]);
    }
    return root;
}

} // namespace mCluster
