#pragma once

// The clustering as plainly written: a full square working matrix, a slot
// table and a scan of every pair of occupied slots at every step. Slow
// (O(N^3)); kept as the reference that the production clustering must match
// bit for bit.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/DistanceMatrix.h"
#include "analysis/MyNode.h"

namespace testref {

// order: the visiting order (slot numbers 1 .. N by position).
std::unique_ptr<analysis::MyNode> upgmaByScan(const analysis::DistanceMatrix& distMat, std::int32_t n,
                                              std::int16_t rule, const std::vector<std::string>& names,
                                              const std::vector<std::int32_t>& order);

// Newick-like text of a tree with the exact bits of every branch length
// (hexadecimal floating point), for comparing trees exactly.
std::string exactText(const analysis::MyNode& root);

} // namespace testref
