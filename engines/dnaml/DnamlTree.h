#pragma once

// Unrooted binary trees of the species with their conditional likelihood
// vectors, the log-likelihood across one branch, Newton optimisation of one
// branch value and the smoothing of whole trees.
//
// Store: record r < species is the tip of species r (0-based); every inner
// node owns a ring of three records, one per branch direction. A record's
// vector holds, per pattern, the likelihoods of A, C, G, T at its node given
// the data of the subtree on its side of its branch (away from `back`).
// Vectors are recomputed lazily: changing a branch value or a link marks the
// vectors that depend on it out of date, and an evaluation recomputes only
// those it needs. Each record keeps a per-pattern count of the 2^256 factors
// taken out of its vector so that large trees do not underflow.

#include "engines/dnaml/DnamlModel.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tallowin::dnaml {

inline constexpr double kZMin = 1e-15;
inline constexpr double kZMax = 0.999999;
inline constexpr double kZStart = 0.9;

class LikelihoodTree {
public:
    static constexpr int kNone = -1;

    struct Record {
        int node = 0;
        int back = kNone;
        int next = kNone;
        double z = kZStart;
        double bracket = 0.0; // caller's per-branch value, carried through
        bool valid = false;
    };

    LikelihoodTree(const Model& model, const Patterns& patterns);

    [[nodiscard]] int species() const { return m_species; }
    [[nodiscard]] int patternCount() const { return m_patterns; }
    [[nodiscard]] const Model& model() const { return m_model; }
    [[nodiscard]] const Record& rec(int r) const { return m_rec[static_cast<std::size_t>(r)]; }
    [[nodiscard]] int back(int r) const { return rec(r).back; }
    [[nodiscard]] int next(int r) const { return rec(r).next; }
    [[nodiscard]] double z(int r) const { return rec(r).z; }
    [[nodiscard]] bool isTip(int r) const { return r < m_species; }

    // Unlinks everything and returns all inner nodes to the free pool.
    void clear();
    // An unused inner node; returns the first record of its ring.
    int takeNode();
    // Returns an unlinked inner node to the pool.
    void releaseNode(int r);

    // Links records a and b by a branch of value z (clamped).
    void link(int a, int b, double z, double bracket = 0.0);
    // Unlinks record a from its neighbour.
    void unlink(int a);
    // Sets the value of the branch of record a (both of its records).
    void setZ(int a, double z);

    // Tips currently linked into the tree, and the smallest of them.
    [[nodiscard]] int tipCount() const;
    [[nodiscard]] int firstTip() const;
    // Whether species s is linked into the tree.
    [[nodiscard]] bool hasTip(int s) const { return rec(s).back != kNone; }

    // Log-likelihood across the branch of record p. False when a site
    // likelihood is not positive and finite (nothing stored then).
    bool evaluate(int p, double& lnL);
    [[nodiscard]] const std::vector<double>& siteLnL() const { return m_siteLnL; }

    // Newton's method on the value of the branch of record p, at most
    // `rounds` rounds. Returns false when the likelihood cannot be computed.
    bool makenewz(int p, int rounds);
    // Optimised value between the vectors of records a and b as if they were
    // joined directly, starting from z; the tree is not changed.
    bool pairZ(int a, int b, double start, int rounds, double& out);

    // One pass over every branch from the start record; false on failure.
    bool smoothPass(int start);
    // Passes until no branch changes by more than 1e-5, at most maxPasses.
    bool smoothTree(int start, int maxPasses);
    // Passes over the three branches of the inner node of record p.
    bool smoothLocal(int p, int maxPasses);

    // Set false by a branch change above 1e-5; the caller resets it.
    bool smoothed = true;

    // All vectors out of date (after a rebuild).
    void invalidateAll();

    // Bytes of the vectors, what a copy of the tree costs.
    [[nodiscard]] std::size_t memoryBytes() const
    {
        return m_x.size() * sizeof(double) + m_scale.size() * sizeof(int);
    }

private:
    void invalidate(int r);
    void branchChanged(int a);
    bool ensure(int r);
    void newview(int r);
    double* x(int r) { return &m_x[static_cast<std::size_t>(r) * 4 * static_cast<std::size_t>(m_patterns)]; }
    int* scale(int r) { return &m_scale[static_cast<std::size_t>(r) * static_cast<std::size_t>(m_patterns)]; }
    bool branchTerms(int a, int b);
    bool newton(double start, int rounds, double& out);
    bool smoothBelow(int p);

    Model m_model;
    int m_species;
    int m_patterns;
    std::vector<double> m_weight;
    std::vector<Record> m_rec;
    std::vector<double> m_x;  // per record: A[p], C[p], G[p], T[p] blocks
    std::vector<int> m_scale; // per record, per pattern
    std::vector<int> m_free;  // first records of unused inner nodes
    std::vector<double> m_siteLnL;
    // Per-pattern terms of the branch being optimised.
    std::vector<double> m_termQ, m_termA, m_termB;
};

} // namespace tallowin::dnaml
