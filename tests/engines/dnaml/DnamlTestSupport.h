#pragma once

// Helpers of the phylogeny engine tests: an independent likelihood built
// from the substitution process itself (rate matrix, matrix exponential,
// explicit sum over the states of every inner node), a sequence simulator
// and input-text builders.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace dnamltest {

using Matrix4 = std::array<std::array<double, 4>, 4>;

// Rates of the process: within-class replacement at rate xi (new base drawn
// from its class's frequencies) and general replacement at rate xv (drawn
// from all frequencies).
Matrix4 rateMatrix(const std::array<double, 4>& pi, double xi, double xv);
// exp(Q t) by scaling and squaring of a Taylor series.
Matrix4 expm(const Matrix4& q, double t);

// An unrooted tree for the brute-force likelihood: tips 0..n-1, inner
// nodes n..; each edge joins two nodes with time t (= -ln z).
struct Edge {
    int a, b;
    double t;
};

// Site log-likelihoods summed over every assignment of states to the inner
// nodes; the edges must point away from inner node n (edge.a nearer to it). `codes[s][site]` are 4-bit residue sets.
std::vector<double> bruteForceSiteLnL(const std::vector<std::vector<uint8_t>>& codes, int inner,
                                      const std::vector<Edge>& edges, const std::array<double, 4>& pi, double xi,
                                      double xv);

// Sequences evolved along `edges` (rooted at inner node `root`) from the
// stationary distribution, `sites` long, with a seeded generator; letters ACGT.
std::vector<std::string> simulate(int species, const std::vector<Edge>& edges, int root, int sites,
                                  const std::array<double, 4>& pi, double xi, double xv, uint64_t seed);

// Input text: header with options, extra lines, then one line per species
// (name padded to 10).
std::string inputText(const std::vector<std::string>& names, const std::vector<std::string>& seqs,
                      const std::string& options = "", const std::vector<std::string>& extraLines = {},
                      const std::string& trailer = "");

} // namespace dnamltest
