#pragma once

// Site patterns, base frequencies and the constants of the substitution
// model: two classes of change, one within purines or within pyrimidines
// (rate xi) and one general (rate xv), each replacing a base by one drawn
// from the equilibrium frequencies of its class or of all bases. Branch
// values are z = exp(-t) for a time t in units where xi + xv = 1; lengths
// in substitutions per site are t * fracchange.

#include "engines/dnaml/DnamlInput.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tallowin::dnaml {

// Sites merged into weighted patterns. One rate category of rate 1.0.
struct Patterns {
    int count = 0;
    std::vector<int> weight;                // per pattern
    std::vector<int> siteToPattern;         // per site
    std::vector<std::vector<uint8_t>> codes; // [species][pattern]
};

// Sorts sites by their residue codes (species 1 first, then 2, ...) and merges
// identical neighbours; patterns come out in that ascending order.
Patterns compressSites(const std::vector<std::vector<uint8_t>>& codes);

// Eight rounds of sharing each pattern's weight among the bases of its
// residue sets in proportion to the current frequencies, from 0.25 each.
std::array<double, 4> empiricalFrequencies(const Patterns& patterns);

struct Model {
    double fA = 0.25, fC = 0.25, fG = 0.25, fT = 0.25;
    double fR = 0.5, fY = 0.5;
    double fAR = 0.5, fGR = 0.5, fCY = 0.5, fTY = 0.5;
    double ratio = 2.0;
    double xi = 0.6, xv = 0.4;
    double fracchange = 0.6;
};

// Derives the model constants. Refuses (false, message in the log)
// frequencies whose purine or pyrimidine total is zero, which would make the
// class proportions undefined. An impossible ratio is reset with a warning.
bool setupModel(const std::array<double, 4>& freqs, double ratio, Model& model, Log& log);

} // namespace tallowin::dnaml
