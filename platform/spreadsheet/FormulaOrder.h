#pragma once

// The order in which a worksheet formula's operators are computed, made
// explicit for the formula engine.
//
// Spreadsheets compute, from the tightest to the loosest: a sign (-2), ^,
// * and /, + and -, &, the comparisons; operators of one level from left to
// right (10/2/5 is 1, 2^3^2 is 64). The engine gets several of these wrong:
// it computes * / and ^ as one level from right to left, so that 10/2/5
// gives 25, 100/4/5*2 gives 250 and 2^3*2 gives 64. Each operation whose
// operand is itself an operation is given brackets around that operand here,
// after parsing, so that the engine meets only one operator between two
// brackets and computes what spreadsheets compute. The formula's own text is
// not changed.

#include <ixion/formula_opcode.hpp>
#include <ixion/formula_tokens.hpp>

namespace spreadsheet::detail {

// True for =, <>, <, >, <= and >=.
[[nodiscard]] bool isComparison(ixion::fopcode_t op) noexcept;

// `tokens` with brackets around every operand that is an operation, in the
// order described above. Tokens the grammar does not expect (an array, an
// error formula, unbalanced brackets) come back unchanged: the engine then
// says what is wrong with them. Linear in the number of tokens.
[[nodiscard]] ixion::formula_tokens_t inWorksheetOrder(ixion::formula_tokens_t tokens);

} // namespace spreadsheet::detail
