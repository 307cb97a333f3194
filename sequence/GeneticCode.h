#pragma once

// Genetic codes: the program's current code (one record for the whole
// program) and the published translation tables that can fill it.
//
// Codon number = 16 x b1 + 4 x b2 + b3, with the bases numbered in the order
// A, C, G, T (0 to 3). Symbols are one-letter amino-acid codes, "*" for stop.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sequence {

struct GeneticCode {
    std::array<std::string, 64> symbols;
    std::array<std::string, 64> codons;
    std::int32_t number = 0;
    std::string name;
};

// The translation table `number` (1 to 6, 9 to 14, 16, 21 to 26), or a code
// with number 0 and empty texts for a number that is not known.
[[nodiscard]] GeneticCode MakeGeneticCode(std::int32_t number);

// The numbers MakeGeneticCode knows, ascending.
[[nodiscard]] const std::vector<std::int32_t>& GeneticCodeNumbers();

// The program's current code; the standard code (table 1) until set.
[[nodiscard]] GeneticCode& CurrentGeneticCode();

// The code as a text table: a header, a rule, then four blocks of four lines
// (first base in the rows of a block, second base across, third base down,
// each in the order T, C, A, G) and the code's name. Lines end in CR LF.
[[nodiscard]] std::string GeneticCodeTableText(const GeneticCode& code);

} // namespace sequence
