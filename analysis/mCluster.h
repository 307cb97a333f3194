#pragma once

// mCluster: partitions of the rows (loci) of a data block into k clusters,
// their quality measures, and the two-level cluster trees of a partition.
//
// Data is data(row, column) over rows 0 .. nRow - 1 (loci) and columns
// 0 .. nCol - 1 (time points or conditions); the matrix may be larger. Note
// the argument order (nCol before nRow). Groups are numbered 0 .. k - 1.
//
// K-means (KMeanClustering), an online (MacQueen-style) k-means: each row
// is compared plainly with the current means, its own group's included (the
// row is not taken out of its own mean first, as Hartigan's exchange method
// would do).
//   1. Initial partition in blocks of nRow \ k consecutive rows; the last
//      group takes the rest.
//   2. Passes over the rows in order. A row whose group has at least two rows
//      is measured against the mean of its own group and of every other
//      group; it moves only to a group whose mean is strictly nearer than its
//      own group's, the nearest such, ties to the lower group. Means are
//      updated at once after each move (target first, then source, column by
//      column), so later rows of the pass see them. No group ever becomes
//      empty. Under the squared distance every move lowers the within-group
//      sum of squares, so the passes settle.
//   3. Stop after a pass without moves: true when it is one of passes 1 to
//      99, false when it is pass 100 or 101; when pass 101 still moves a row,
//      stop with false. At most 101 passes.
//
// Join (JoinClustering): farthest-first seeding, then nearest-mean joining
// and refinement; see its declaration.
//
// Cluster errors (GetClusterError), k + 1 entries: entry g the ERROR of group
// g, entry k the global error. With m the mean row of a row's group:
//   index 0   term sum (x - m)^2;      ERROR acc/size;       global total/nRow
//   index 1   term sum (x - m)^2;      ERROR sqrt(acc)/size; global sqrt(total)/nRow
//   index 2   term sum |x - m| / nCol; ERROR acc/size;       global total/nRow
//   index 3   term 100 - 100 sum min(x, m) / sum max(x, m), ERROR and global as 0
//   index 4   term 2 (1 - c)           (c the cosine of x and m)
//   index 5   term ArcCos(c)
//   index 6,7 term 1 - r               (r Pearson's correlation of x and m)
// so that, apart from index 1, the ERROR of a group is the mean distance of
// its rows to their mean under the chosen measure.
//
// Missing values: these routines use every cell as data. When the caller
// names the missing-value code, data holding it are refused (error 1) rather
// than clustered with the code taken as a measurement.
//
// Errors (platform::Error; refusals are number 1 with the routine's name as
// source): k < 2, k > nRow, nRow or nCol < 1 (1); an index outside 0 to 7
// (5); counts beyond the data (9); a cell that is not a finite number (13);
// the distance errors of CDistTwoVector (6, 11) and of the distance-matrix
// drivers (join).
//
// Progress: minimum 0, values as documented per routine, 0 at the end.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/MyNode.h"
#include "numeric/Matrix.h"
#include "numeric/Progress.h"

namespace mCluster {

using numeric::Matrix;
using numeric::Progress;

// K-means clustering as above with the distance measure of distIndex (0 to
// 7, see CDistTwoVector). groupOut receives the group of each row (nRow
// entries), sizesOut the group sizes (k), errorsOut the cluster errors of
// GetClusterError (k + 1). Returns true when the passes settled.
// missingCode: the code that empty cells were given; data holding it are
// refused. Progress: maximum k, value g after the block of group g; maximum
// nRow, value i after row i of the last block and of every pass; 0 at the end.
// Cost O(passes * nRow * k * nCol), memory O(nRow * nCol).
[[nodiscard]] bool KMeanClustering(const Matrix& data, std::int32_t nCol, std::int32_t nRow, std::int32_t k,
                                   std::uint8_t distIndex, std::vector<std::int32_t>& groupOut,
                                   std::vector<std::int32_t>& sizesOut, std::vector<double>& errorsOut,
                                   Progress* progress, std::optional<double> missingCode = {});

// The cluster errors (k + 1 entries) of a partition: group(i) in 0 .. k - 1
// for each row i < nRow. Error 9 for a group number outside 0 .. k - 1, 6 for
// a group without rows, 5 for an index outside 0 to 7.
[[nodiscard]] std::vector<double> GetClusterError(const Matrix& data, const std::vector<std::int32_t>& group,
                                                  std::int32_t nCol, std::int32_t nRow, std::uint8_t distIndex,
                                                  std::int32_t k);

// Join clustering, with the outputs of KMeanClustering:
//   1. The distance matrix between the rows under the measure of distIndex
//      (the distance-matrix driver of that index; 7 uses Pearson's).
//   2. Seeds, farthest first: group 0 is seeded with the lower-numbered row of
//      the most distant pair (the first such pair in row order; its distance
//      must exceed 0); each further group with the unassigned row whose
//      smallest distance to the seeds so far is largest (ties to the lower
//      row). Fewer than k rows at distinct positions are refused (error 1).
//      Each seed's values are its group's first working mean.
//   3. Joining: the other rows, in order of increasing distance to their
//      nearest seed (ties by row number), each join the group whose working
//      mean is nearest under the group-mean measure of distIndex (ties to the
//      lower group), and that mean is updated at once.
//   4. Refinement passes: every row of a group of two or more rows moves to
//      the group whose mean is strictly nearer than its own group's mean (the
//      nearest such, ties to the lower group), means updated at once; at most
//      100 passes. Returns true when a pass made no move.
// useMissing with missingCode: the code that empty cells were given; data
// holding it are refused. Progress: the distance driver's; then maximum k,
// value g after seed g; maximum nRow, value i after each row joined or
// passed; 0 at the end. Memory O(nRow^2) for the distance matrix (error 7
// above the analyses' memory limit).
[[nodiscard]] bool JoinClustering(const Matrix& data, std::int32_t nCol, std::int32_t nRow, std::int32_t k,
                                  std::uint8_t distIndex, std::vector<std::int32_t>& groupOut,
                                  std::vector<std::int32_t>& sizesOut, std::vector<double>& errorsOut,
                                  bool useMissing, Progress* progress, double missingCode);

// Two-level tree of a k-means or join partition: a root with k cluster nodes
// captioned "1" .. "k" (BranchLen the global error errors[k]), each holding
// the leaves of its rows in row order (Caption the row label, Tip true,
// BranchLen the ERROR of the cluster). A cluster without rows has no
// children. Error 9 for a group outside 0 .. k - 1 or arrays shorter than
// the counts, 5 for k < 1 or nRow < 0.
[[nodiscard]] std::unique_ptr<analysis::MyNode> BuildKMeanTree(const std::vector<std::int32_t>& group,
                                                               std::int32_t nRow,
                                                               const std::vector<std::string>& rowLabels,
                                                               std::int32_t k, const std::vector<double>& errors);

// The same tree for a self-organising map of nNodes clusters: each leaf's
// BranchLen is its row's fit (the distance to its node), each cluster node's
// the mean fit of its rows (0 for a cluster without rows).
[[nodiscard]] std::unique_ptr<analysis::MyNode> BuildSOMTree(const std::vector<std::int32_t>& group,
                                                             std::int32_t nRow,
                                                             const std::vector<std::string>& rowLabels,
                                                             std::int32_t nNodes, const std::vector<double>& fit);

namespace detail {

// Checks the counts and cells of a data block for the partitioning routines:
// 9 when the counts pass the matrix, 13 for a cell that is not finite, 1 when
// a cell equals the missing-value code (naming how many and the first one).
void checkBlock(const Matrix& data, std::int32_t nRow, std::int32_t nCol, std::optional<double> missingCode,
                const char* source, const char* analysis);

} // namespace detail

} // namespace mCluster
