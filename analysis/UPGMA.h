#pragma once

// UPGMA: agglomerative hierarchical clustering of N items into a rooted
// binary tree of MyNode.
//
// Method. Starting from N one-item clusters, N - 1 times: find the closest
// pair of clusters, join them under a new inner node whose two children hang
// at half the joining distance (branch length = d/2 - height of the child),
// and recompute the distances of the joined cluster to every other one by the
// update rule:
//   0 single linkage     min(d(a,k), d(b,k))
//   1 complete linkage   max(d(a,k), d(b,k))
//   2, 3 average linkage (n_a d(a,k) + n_b d(b,k)) / (n_a + n_b)
// (textbook Lance-Williams updates; Sokal and Michener for the average).
//
// Order and ties. The clusters are visited in a visiting order of positions,
// the identity or, when shuffling, a swap pass: for p = 0 .. N-1, swap
// positions p and Int(Rnd * N). The closest pair is the smallest distance
// over all pairs of positions (i < j); of equal distances the pair with the
// smaller later position j wins, then the smaller earlier position i. The
// cluster at i becomes the first child and keeps position i for the joined
// cluster; position j retires. The search starts from +infinity, so any
// finite distance can be chosen.
//
// Result. 2N - 1 nodes; leaves carry the item names (Tip true), inner nodes
// have empty captions; every Index is 0; the root has BranchLen 0 and no
// parent. The tree is ultrametric: every leaf-to-root path sums to half the
// root's joining distance.
//
// Complexity. Each position caches the minimum of its row of earlier
// positions (the smallest earlier position among equal values), or a lower
// bound of it when a join raised the cell it pointed at; a step picks the
// smallest cached value, rescans that row first if it holds only a bound, and
// repairs only the rows the join touched (as in Muellner's generic
// algorithm). This selects exactly the pair of a full scan, so trees, child order and
// branch-length bits are those of the plain O(N^3) algorithm, in about
// O(N^2) time on real data (O(N^3) in the worst case). Memory: the packed
// triangle of distances, permuted in place into visiting order, plus O(N).
//
// Threads. Where a join's column of live rows is long (4,096 or more), its
// walk and the minima the next search needs are shared by blocks of rows
// among the worker threads (analysis::workerThreads()); each block's minimum
// is kept and they are joined in block order, so the tree does not depend on
// the number of threads.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/DistanceMatrix.h"
#include "analysis/MyNode.h"
#include "numeric/Progress.h"

namespace platform::rt {
class RandomSource;
}

namespace UPGMA {

// Update-rule codes.
enum class Rule : std::int16_t {
    Single = 0,
    Complete = 1,
    Average = 2,
    AverageToo = 3,  // the same formula as Average
    Count
};
static_assert(static_cast<int>(Rule::Count) == 4, "rule codes are 0 to 3");

// Builds the tree of the N items whose distances distMat holds (distMat must
// be for exactly N items). The distances are consumed: the matrix is used as
// the working matrix and left empty.
//
// names: at least N item names, the leaves' captions.
// shuffle: visit the items in a random order (Rnd of rng; without rng, of the
//   process-wide generator after seeding it from the clock).
// progress: minimum 0, maximum N, value s as leaf s is placed; then maximum
//   N - 1, value step at the start of each joining step; 0 at the end.
//
// Errors (source "BuildUpgmaTree"): 5 for N < 1, a rule outside 0 to 3 or a
// distance that is not a finite number; 9 when distMat is not for N items or
// names has fewer than N entries.
[[nodiscard]] std::unique_ptr<analysis::MyNode> BuildUpgmaTree(analysis::DistanceMatrix&& distMat, std::int32_t N,
                                                               std::int16_t rule,
                                                               const std::vector<std::string>& names, bool shuffle,
                                                               numeric::Progress* progress = nullptr,
                                                               platform::rt::RandomSource* rng = nullptr);

// The same on a copy of distMat, which stays as it was (error 7 when the copy
// does not fit the memory limit).
[[nodiscard]] std::unique_ptr<analysis::MyNode> BuildUpgmaTree(const analysis::DistanceMatrix& distMat,
                                                               std::int32_t N, std::int16_t rule,
                                                               const std::vector<std::string>& names, bool shuffle,
                                                               numeric::Progress* progress = nullptr,
                                                               platform::rt::RandomSource* rng = nullptr);

// The visiting order: slot numbers 1 .. N by position, swap-shuffled as above
// when shuffle is true.
[[nodiscard]] std::vector<std::int32_t> VisitingOrder(std::int32_t N, bool shuffle, platform::rt::RandomSource* rng);

// The visiting order exactly as BuildUpgmaTree draws it (without rng, the
// process-wide generator is first seeded from the clock), for a caller that
// computes the distances in that order.
[[nodiscard]] std::vector<std::int32_t> DrawVisitingOrder(std::int32_t N, bool shuffle,
                                                          platform::rt::RandomSource* rng);

// BuildUpgmaTree on distances already in visiting order: cell (p, q) of
// positioned holds the distance between the items order[p] and order[q]
// (slot numbers 1 .. N, as DrawVisitingOrder gives them). The tree is the one
// BuildUpgmaTree builds with that order, bit for bit, without moving the
// matrix; the distances are consumed. Errors as BuildUpgmaTree (a distance
// that is not a number is named by its items, the first in item order), and
// 9 when order is not an order of the N items.
[[nodiscard]] std::unique_ptr<analysis::MyNode> BuildUpgmaTreeInOrder(analysis::DistanceMatrix&& positioned,
                                                                      std::int32_t N, std::int16_t rule,
                                                                      const std::vector<std::string>& names,
                                                                      const std::vector<std::int32_t>& order,
                                                                      numeric::Progress* progress = nullptr);

// The distance of a joined cluster to cluster k by the rule, given the
// distances of its two parts (first a, second b) and their sizes.
[[nodiscard]] inline double UpdatedDistance(Rule rule, double da, double db, std::int32_t na, std::int32_t nb) noexcept
{
    switch (rule) {
    case Rule::Single:
        return db < da ? db : da;
    case Rule::Complete:
        return db > da ? db : da;
    default:
        return (static_cast<double>(na) * da + static_cast<double>(nb) * db) / static_cast<double>(na + nb);
    }
}

} // namespace UPGMA
