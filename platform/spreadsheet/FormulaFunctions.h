#pragma once

// The worksheet functions whose results the formula engine gets wrong,
// computed here instead, as spreadsheets compute them:
//
// - AVERAGE, MIN and MAX leave out the text and empty cells that their
//   references bring in (the engine counts them as 0, and its MIN and MAX
//   take no ranges at all); logical values count as 1 and 0, as in SUM. A
//   number written as text in the arguments themselves ("3") counts, any
//   other text gives #VALUE!. AVERAGE of no number gives #DIV/0!, MIN and
//   MAX give 0.
// - LEN and LEFT count characters, not the bytes of their UTF-8 (the engine
//   counts bytes, and its LEFT could cut a character in two); a negative
//   count in LEFT gives #VALUE!.
// - LEN, LEFT, CONCATENATE and the & operator read a number as the cell
//   shows it in the General format, up to 15 significant digits (12345678,
//   0.333333333333333, 1.2345E-05), and a logical value as TRUE or FALSE; an
//   empty cell is no text. (The engine keeps 6 digits, 1.23457e+07, and
//   refuses logical values.) An & chain is computed as CONCATENATE of its
//   operands.
// - NOW gives the date and time as a serial of the 1900 date system, as the
//   date formats count (the engine counts days from 1970).
//
// The engine still parses every formula, orders the cells by their
// dependencies and computes everything around these calls: each call is
// replaced by a cell holding its result before the engine computes the
// rest, the innermost first. An error among the arguments, or one of these
// functions giving an error, makes the error the formula's result, as the
// engine does with every error inside a formula.

#include <ixion/address.hpp>
#include <ixion/formula_name_resolver.hpp>
#include <ixion/formula_result.hpp>
#include <ixion/formula_tokens.hpp>
#include <ixion/model_context.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace spreadsheet::detail {

// Whether the formula's result is a logical: a comparison outside any
// parentheses or argument list (comparisons bind least of all operators).
// The engine gives such results as the numbers 1 and 0; the cell shows TRUE
// or FALSE. (The engine has none of the logical functions.)
[[nodiscard]] bool givesLogical(const ixion::formula_tokens_t& tokens);

class FormulaFunctions {
public:
    FormulaFunctions(ixion::model_context& cxt, const ixion::formula_name_resolver& resolver);

    // Whether the formula calls one of the functions computed here.
    [[nodiscard]] static bool calledIn(const ixion::formula_tokens_t& tokens);

    // The tokens to register for a formula calling them, for its
    // dependencies: NOW() becomes 0, lest the engine take the cell for one
    // that every change concerns and give it the error of any formula that
    // fails elsewhere.
    [[nodiscard]] ixion::formula_tokens_t forDependencies(const ixion::abs_address_t& pos,
                                                          ixion::formula_tokens_t tokens) const;

    // The formula cell at pos gives a logical value, which reads as TRUE or
    // FALSE where it is turned into text.
    void addLogicalCell(const ixion::abs_address_t& pos);

    // Computes the registered formula cell at pos, whose precedents are all
    // computed, from the tokens of its formula. Throws what the engine
    // throws for a formula it cannot compute.
    void calculate(const ixion::abs_address_t& pos, ixion::formula_tokens_t tokens);

private:
    using Span = std::pair<std::size_t, std::size_t>;  // tokens [first, second)

    ixion::formula_result call(const ixion::abs_address_t& pos, ixion::formula_tokens_t& tokens,
                               std::size_t function, const std::vector<Span>& args);
    // The numbers of AVERAGE, MIN and MAX; an error when one is met.
    std::optional<ixion::formula_result> collectNumbers(const ixion::abs_address_t& pos,
                                                        ixion::formula_tokens_t& tokens, const Span& arg,
                                                        std::vector<double>& numbers);
    // The value of the tokens as the engine computes them in the cell at pos.
    ixion::formula_result evaluate(const ixion::abs_address_t& pos, ixion::formula_tokens_t tokens);
    ixion::formula_result evaluateArgument(const ixion::abs_address_t& pos, ixion::formula_tokens_t& tokens,
                                           const Span& arg);
    // The argument as text: a text as it is, a number or logical value as
    // the cell shows it, an error as it is.
    ixion::formula_result textOf(const ixion::abs_address_t& pos, ixion::formula_tokens_t& tokens, const Span& arg);
    // The tokens with every chain a&b&c as CONCATENATE(a,b,c).
    ixion::formula_tokens_t concatenationsAsCalls(const ixion::abs_address_t& pos,
                                                  ixion::formula_tokens_t tokens) const;
    // Moves the tokens of one bracket level from in[i] on into out, up to
    // the bracket closing it, with its & chains as calls.
    void joinLevel(const ixion::abs_address_t& pos, ixion::formula_tokens_t& in, std::size_t& i,
                   ixion::formula_tokens_t& out) const;
    // The range an argument names, when it is a reference, a range or a
    // defined name standing for one.
    std::optional<ixion::abs_range_t> referenceIn(const ixion::abs_address_t& pos,
                                                  const ixion::formula_tokens_t& tokens, Span arg) const;
    // A reference to a cell of our own sheet holding the value.
    std::unique_ptr<ixion::formula_token> holding(const ixion::abs_address_t& pos, const ixion::formula_result& value,
                                                  std::size_t slot);
    ixion::formula_tokens_t parse(const ixion::abs_address_t& pos, const std::string& text) const;
    void setTokens(const ixion::abs_address_t& pos, ixion::formula_tokens_t tokens);

    ixion::model_context& m_cxt;
    const ixion::formula_name_resolver& m_resolver;
    std::string m_sheetName;  // the sheet holding the results of calls; "" until needed
    ixion::sheet_t m_sheet = 0;
    std::unordered_set<ixion::abs_address_t, ixion::abs_address_t::hash> m_logicalCells;
};

} // namespace spreadsheet::detail
