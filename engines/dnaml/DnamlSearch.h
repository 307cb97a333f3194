#pragma once

// The list of best trees and the search for the maximum-likelihood tree by
// stepwise addition of species with rearrangements.
//
// Determinism: trial positions are visited depth-first from the start tip;
// among trees of equal likelihood the one saved first ranks higher; inner
// nodes are taken lowest-numbered first. The same input therefore always
// gives the same trees.
//
// Threads: the trial insertions of a species and the subtree moves of a
// rearrangement round are independent of one another; they run on copies of
// the tree on several threads, and their trees are offered to the list in
// the order above afterwards, so the result does not depend on the number of
// threads.

#include "engines/dnaml/DnamlInput.h"
#include "engines/dnaml/DnamlTree.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tallowin::dnaml {

inline constexpr double kEmptyLikelihood = -1e300;

// A tree in canonical form: rooted at its smallest species, each inner
// node's two subtrees ordered by their smallest species. `topology` lists
// the root species, then every subtree in preorder (a species number, or -1
// for an inner node followed by its two subtrees); `z` and `bracket` hold
// the branch above each subtree in the same order.
struct SavedTree {
    double lnL = kEmptyLikelihood;
    std::vector<int> topology;
    std::vector<double> z;
    std::vector<double> bracket;
    int level = 0;
    bool smoothed = false;
};

SavedTree canonicalForm(const LikelihoodTree& tree);
// Rebuilds `tree` from a canonical form (all vectors out of date).
void rebuild(const SavedTree& saved, LikelihoodTree& tree);

class BestTreeList {
public:
    explicit BestTreeList(int capacity) : m_capacity(capacity < 1 ? 1 : capacity) {}

    // Offers a tree. A topology already kept takes the new likelihood; a new
    // one enters unless the list is full and it is below the worst kept.
    // Returns its rank (1 = best) or 0 when refused.
    int save(const LikelihoodTree& tree, double lnL, int level, bool smoothed);
    // The same for a tree already in canonical form, with its likelihood,
    // level and smoothed flag filled in.
    int save(SavedTree entry);
    // Rebuilds the tree of rank k (clamped to 1..count) into `tree`.
    void recall(int rank, LikelihoodTree& tree) const;

    [[nodiscard]] int capacity() const { return m_capacity; }
    [[nodiscard]] int count() const { return static_cast<int>(m_entries.size()); }
    [[nodiscard]] const SavedTree& entry(int rank) const;
    // Rank of a topology, 0 when not kept.
    [[nodiscard]] int find(const std::vector<int>& topology) const;
    void setLevel(int rank, int level);
    void clear();

    [[nodiscard]] double bestLnL() const { return m_entries.empty() ? kEmptyLikelihood : m_entries.front().lnL; }
    [[nodiscard]] double worstLnL() const { return m_entries.empty() ? kEmptyLikelihood : m_entries.back().lnL; }
    bool improved = false;

private:
    int insert(SavedTree&& entry);

    int m_capacity;
    std::vector<SavedTree> m_entries; // highest likelihood first
};

// The tree's start record: the outgroup tip when it is in the tree, else the
// smallest species in it.
int startTip(const LikelihoodTree& tree, int outgroup);

// Multiplicative generator of the jumble: seed = seed * 1664525 mod 2^32,
// value seed / 2^32.
class JumbleRandom {
public:
    explicit JumbleRandom(long long seed) : m_seed(static_cast<uint32_t>(seed)) {}
    double next()
    {
        m_seed = static_cast<uint32_t>(m_seed * 1664525u);
        return m_seed / 4294967296.0;
    }

private:
    uint32_t m_seed;
};

struct SearchSetup {
    LikelihoodTree& tree;
    BestTreeList& best;
    const Options& options;
    int outgroup = 0; // 0-based
    // Called after each species is added with the number in the tree.
    std::function<void(int)> onAdded;
    // Rounds of rearrangement run so far.
    int rounds = 0;
};

// Threads the search may use; 0 (the default) means one per core, with the
// rounds on trees too small for threads to pay (species in the tree times
// site patterns below 15,000) run on the calling thread. The copies of the
// tree that the threads work on are held within 1 GiB.
void setSearchThreads(unsigned threads) noexcept;
[[nodiscard]] unsigned searchThreads() noexcept;

// Rearrangements first screen each move: the subtree is inserted with only
// the three branches of its new node optimised, and only the trees whose
// screened log-likelihood comes within this margin (log units) of the least
// a tree must reach to enter the best-tree list are smoothed whole, as every
// tree was before, and offered; so are all trees of a topology that the list
// holds or that another chosen tree has. On the seeded alignments measured
// (10 to 80 species, 1,000 sites) no tree screened more than 1.4 below that
// floor reached it when smoothed whole, so the search keeps its trees and
// likelihoods bit for bit; 0 ranks by the screened likelihood alone (which
// can change them), infinity smooths every tree whole. A NaN restores the
// default; a negative margin counts as 0.
inline constexpr double kDefaultScreenMargin = 5.0;
void setScreenMargin(double margin) noexcept;
[[nodiscard]] double screenMargin() noexcept;

// Rearranges the current tree to the given extent (subtrees moved to
// branches up to that many steps away), keeping the best trees in the list;
// the best one is left in `tree`. `level` is how far the current tree has
// been rearranged already. False when a likelihood cannot be computed.
bool rearrange(SearchSetup& setup, int extent, int& level);

// Builds the maximum-likelihood tree. With the restart option the starting
// tree is read from `in`. The best trees are left in the list. False on
// failure with the reason in the log.
bool makeDenovoTree(SearchSetup& setup, TextCursor& in, const std::vector<std::string>& names, Log& log);

} // namespace tallowin::dnaml
