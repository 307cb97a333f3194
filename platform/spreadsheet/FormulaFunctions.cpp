#include "platform/spreadsheet/FormulaFunctions.h"

#include <ixion/cell.hpp>
#include <ixion/formula.hpp>
#include <ixion/formula_function_opcode.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <utility>

#include "platform/runtime/Utf8.h"
#include "platform/spreadsheet/FormulaOrder.h"
#include "platform/spreadsheet/Value.h"

namespace spreadsheet::detail {

namespace {

using ixion::fopcode_t;
using ixion::formula_error_t;
using ixion::formula_function_t;
using Result = ixion::formula_result;

// The serial of 1 January 1970 in the 1900 date system.
constexpr double kSerialOf1970 = 25569.0;

formula_function_t functionOf(const ixion::formula_token& token)
{
    if (token.get_opcode() != fopcode_t::fop_function)
        return formula_function_t::func_unknown;
    const auto f = static_cast<formula_function_t>(token.get_uint32());
    switch (f) {
    case formula_function_t::func_average:
    case formula_function_t::func_min:
    case formula_function_t::func_max:
    case formula_function_t::func_len:
    case formula_function_t::func_left:
    case formula_function_t::func_now:
    case formula_function_t::func_concatenate:
        return f;
    default:
        return formula_function_t::func_unknown;
    }
}

bool isError(const Result& r)
{
    return r.get_type() == Result::result_type::error;
}

// Where each character of the UTF-8 text starts; a byte that starts no
// whole sequence counts as one character of its own.
std::vector<std::size_t> characterStarts(std::string_view text)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size();) {
        starts.push_back(i);
        char32_t cp = 0;
        const std::size_t length = platform::rt::utf8SequenceAt(text, i, cp);
        i += length == 0 ? 1 : length;
    }
    return starts;
}

// The local date and time as a serial: days since 30 December 1899.
double nowSerial()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const double seconds = std::chrono::duration<double>(now.time_since_epoch()).count() +
                           static_cast<double>(local.tm_gmtoff);
    return kSerialOf1970 + seconds / 86400.0;
}

// The number an argument gives: a number, or one written as text ("3").
std::optional<double> numberOf(const Result& r)
{
    if (r.get_type() == Result::result_type::value)
        return r.get_value();
    if (r.get_type() == Result::result_type::string) {
        const Value v = parseEntry(r.get_string());
        if (v.isNumber())
            return v.number();
    }
    return std::nullopt;
}

} // namespace

bool givesLogical(const ixion::formula_tokens_t& tokens)
{
    // Parentheses around the whole formula change nothing.
    std::size_t first = 0;
    std::size_t last = tokens.size();
    for (;;) {
        if (last - first < 2 || tokens[first]->get_opcode() != fopcode_t::fop_open ||
            tokens[last - 1]->get_opcode() != fopcode_t::fop_close)
            break;
        int depth = 0;
        bool wraps = true;
        for (std::size_t i = first; i + 1 < last && wraps; ++i) {
            const fopcode_t op = tokens[i]->get_opcode();
            depth += op == fopcode_t::fop_open ? 1 : op == fopcode_t::fop_close ? -1 : 0;
            wraps = depth > 0;
        }
        if (!wraps)
            break;
        ++first;
        --last;
    }
    if (first == last)
        return false;
    int depth = 0;
    for (std::size_t i = first; i < last; ++i) {
        switch (tokens[i]->get_opcode()) {
        case fopcode_t::fop_open:
            ++depth;
            break;
        case fopcode_t::fop_close:
            --depth;
            break;
        default:
            if (depth == 0 && isComparison(tokens[i]->get_opcode()))
                return true;
            break;
        }
    }
    return false;
}

FormulaFunctions::FormulaFunctions(ixion::model_context& cxt, const ixion::formula_name_resolver& resolver)
    : m_cxt(cxt), m_resolver(resolver)
{
}

ixion::formula_tokens_t FormulaFunctions::forDependencies(const ixion::abs_address_t& pos,
                                                          ixion::formula_tokens_t tokens) const
{
    for (std::size_t i = 0; i + 2 < tokens.size(); ++i) {
        if (functionOf(*tokens[i]) == formula_function_t::func_now &&
            tokens[i + 2]->get_opcode() == fopcode_t::fop_close) {
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i + 1),
                         tokens.begin() + static_cast<std::ptrdiff_t>(i + 3));
            tokens[i] = std::move(parse(pos, "0").at(0));
        }
    }
    return tokens;
}

bool FormulaFunctions::calledIn(const ixion::formula_tokens_t& tokens)
{
    return std::any_of(tokens.begin(), tokens.end(), [](const auto& t) {
        return functionOf(*t) != formula_function_t::func_unknown || t->get_opcode() == fopcode_t::fop_concat;
    });
}

void FormulaFunctions::addLogicalCell(const ixion::abs_address_t& pos)
{
    m_logicalCells.insert(pos);
}

void FormulaFunctions::calculate(const ixion::abs_address_t& pos, ixion::formula_tokens_t tokens)
{
    tokens = concatenationsAsCalls(pos, std::move(tokens));
    std::size_t slot = 0;
    for (;;) {
        // The last call of ours has none of ours inside it.
        std::size_t function = tokens.size();
        for (std::size_t i = tokens.size(); i-- > 0;) {
            if (functionOf(*tokens[i]) != formula_function_t::func_unknown) {
                function = i;
                break;
            }
        }
        if (function == tokens.size())
            break;
        // Its arguments, between the brackets after its name.
        std::vector<Span> args;
        std::size_t close = function + 1;
        std::size_t start = function + 2;
        int depth = 0;
        for (std::size_t i = function + 1; i < tokens.size(); ++i) {
            const fopcode_t op = tokens[i]->get_opcode();
            if (op == fopcode_t::fop_open) {
                ++depth;
            } else if (op == fopcode_t::fop_close && --depth == 0) {
                close = i;
                break;
            } else if (op == fopcode_t::fop_sep && depth == 1) {
                args.emplace_back(start, i);
                start = i + 1;
            }
        }
        if (close > start || !args.empty())
            args.emplace_back(start, close);

        const Result result = call(pos, tokens, function, args);
        if (isError(result)) {
            // The whole formula gives the error; the engine must have
            // computed the cell before its result can be set.
            setTokens(pos, parse(pos, "0"));
            ixion::calculate_sorted_cells(m_cxt, {ixion::abs_range_t(pos)}, 0);
            m_cxt.get_formula_cell(pos)->set_result_cache(result);
            return;
        }
        auto ref = holding(pos, result, slot++);
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(function + 1),
                     tokens.begin() + static_cast<std::ptrdiff_t>(close + 1));
        tokens[function] = std::move(ref);
    }
    setTokens(pos, std::move(tokens));
    ixion::calculate_sorted_cells(m_cxt, {ixion::abs_range_t(pos)}, 0);
}

Result FormulaFunctions::call(const ixion::abs_address_t& pos, ixion::formula_tokens_t& tokens,
                              std::size_t function, const std::vector<Span>& args)
{
    const Result wrongArguments(formula_error_t::invalid_value_type);
    switch (functionOf(*tokens[function])) {
    case formula_function_t::func_now:
        return args.empty() ? Result(nowSerial()) : wrongArguments;
    case formula_function_t::func_len:
    case formula_function_t::func_left: {
        const bool left = functionOf(*tokens[function]) == formula_function_t::func_left;
        if (args.empty() || args.size() > (left ? 2u : 1u))
            return wrongArguments;
        const Result text = textOf(pos, tokens, args[0]);
        if (isError(text))
            return text;
        const std::string& s = text.get_string();
        const std::vector<std::size_t> starts = characterStarts(s);
        if (!left)
            return Result(static_cast<double>(starts.size()));
        double count = 1;
        if (args.size() == 2) {
            const Result n = evaluateArgument(pos, tokens, args[1]);
            if (isError(n))
                return n;
            const auto given = numberOf(n);
            if (!given)
                return wrongArguments;
            count = *given;
        }
        if (!(count >= 0))
            return wrongArguments;
        const double whole = std::floor(count);
        if (whole >= static_cast<double>(starts.size()))
            return Result(s);
        return Result(s.substr(0, starts[static_cast<std::size_t>(whole)]));
    }
    case formula_function_t::func_concatenate: {
        if (args.empty())
            return wrongArguments;
        std::string joined;
        for (const Span& arg : args) {
            const Result text = textOf(pos, tokens, arg);
            if (isError(text))
                return text;
            joined += text.get_string();
        }
        return Result(std::move(joined));
    }
    default:
        break;
    }
    // AVERAGE, MIN, MAX.
    if (args.empty())
        return wrongArguments;
    std::vector<double> numbers;
    for (const Span& arg : args) {
        if (auto error = collectNumbers(pos, tokens, arg, numbers))
            return *error;
    }
    switch (functionOf(*tokens[function])) {
    case formula_function_t::func_average: {
        if (numbers.empty())
            return Result(formula_error_t::division_by_zero);
        double sum = 0;
        for (const double v : numbers)
            sum += v;
        return Result(sum / static_cast<double>(numbers.size()));
    }
    case formula_function_t::func_min:
        return Result(numbers.empty() ? 0.0 : *std::min_element(numbers.begin(), numbers.end()));
    default:
        return Result(numbers.empty() ? 0.0 : *std::max_element(numbers.begin(), numbers.end()));
    }
}

std::optional<Result> FormulaFunctions::collectNumbers(const ixion::abs_address_t& pos,
                                                       ixion::formula_tokens_t& tokens, const Span& arg,
                                                       std::vector<double>& numbers)
{
    if (const auto range = referenceIn(pos, tokens, arg)) {
        // Numbers and logical values count, whether typed or computed.
        for (ixion::sheet_t sheet = range->first.sheet; sheet <= range->last.sheet; ++sheet) {
            const ixion::abs_range_t used = m_cxt.get_data_range(sheet);
            if (!used.valid())
                continue;
            const ixion::row_t row1 = range->all_rows() ? used.first.row : std::max(range->first.row, used.first.row);
            const ixion::row_t row2 = range->all_rows() ? used.last.row : std::min(range->last.row, used.last.row);
            const ixion::col_t col1 =
                range->all_columns() ? used.first.column : std::max(range->first.column, used.first.column);
            const ixion::col_t col2 =
                range->all_columns() ? used.last.column : std::min(range->last.column, used.last.column);
            for (ixion::col_t col = col1; col <= col2; ++col) {
                for (ixion::row_t row = row1; row <= row2; ++row) {
                    const ixion::abs_address_t cell(sheet, row, col);
                    switch (m_cxt.get_celltype(cell)) {
                    case ixion::celltype_t::numeric:
                        numbers.push_back(m_cxt.get_numeric_value(cell));
                        break;
                    case ixion::celltype_t::boolean:
                        numbers.push_back(m_cxt.get_boolean_value(cell) ? 1.0 : 0.0);
                        break;
                    case ixion::celltype_t::formula: {
                        // One not computed yet lies on a circle: the engine
                        // throws, as it does for circles of its own.
                        const Result r = m_cxt.get_formula_result(cell);
                        if (isError(r))
                            return r;
                        if (r.get_type() == Result::result_type::value)
                            numbers.push_back(r.get_value());
                        break;
                    }
                    default:
                        break;
                    }
                }
            }
        }
        return std::nullopt;
    }
    const Result r = evaluateArgument(pos, tokens, arg);
    if (isError(r))
        return r;
    const auto n = numberOf(r);
    if (!n)
        return Result(formula_error_t::invalid_value_type);
    numbers.push_back(*n);
    return std::nullopt;
}

std::optional<ixion::abs_range_t> FormulaFunctions::referenceIn(const ixion::abs_address_t& pos,
                                                                const ixion::formula_tokens_t& tokens, Span arg) const
{
    // Brackets around the reference change nothing.
    while (arg.second - arg.first >= 3 && tokens[arg.first]->get_opcode() == fopcode_t::fop_open &&
           tokens[arg.second - 1]->get_opcode() == fopcode_t::fop_close) {
        ++arg.first;
        --arg.second;
    }
    if (arg.second - arg.first != 1)
        return std::nullopt;
    const ixion::formula_token* token = tokens[arg.first].get();
    ixion::abs_address_t origin = pos;
    if (token->get_opcode() == fopcode_t::fop_named_expression) {
        const ixion::named_expression_t* named = m_cxt.get_named_expression(pos.sheet, token->get_name());
        if (named == nullptr || named->tokens.size() != 1)
            return std::nullopt;
        token = named->tokens[0].get();
        origin = named->origin;
    }
    switch (token->get_opcode()) {
    case fopcode_t::fop_single_ref:
        return ixion::abs_range_t(token->get_single_ref().to_abs(origin));
    case fopcode_t::fop_range_ref:
        return token->get_range_ref().to_abs(origin);
    default:
        return std::nullopt;
    }
}

Result FormulaFunctions::evaluateArgument(const ixion::abs_address_t& pos, ixion::formula_tokens_t& tokens,
                                          const Span& arg)
{
    if (arg.first == arg.second)
        return Result(0.0);  // left out: 0
    ixion::formula_tokens_t part;
    for (std::size_t i = arg.first; i < arg.second; ++i)
        part.push_back(std::move(tokens[i]));
    return evaluate(pos, std::move(part));
}

Result FormulaFunctions::textOf(const ixion::abs_address_t& pos, ixion::formula_tokens_t& tokens, const Span& arg)
{
    if (arg.first == arg.second)
        return Result(std::string());
    // The engine reads a logical cell, or a formula cell giving one, as 1 or
    // 0, and an empty cell as 0.
    bool logical = false;
    if (const auto range = referenceIn(pos, tokens, arg); range && range->first == range->last) {
        const ixion::celltype_t type = m_cxt.get_celltype(range->first);
        if (type == ixion::celltype_t::empty)
            return Result(std::string());
        logical = type == ixion::celltype_t::boolean || m_logicalCells.count(range->first) > 0;
    }
    ixion::formula_tokens_t part;
    for (std::size_t i = arg.first; i < arg.second; ++i)
        part.push_back(std::move(tokens[i]));
    logical = logical || givesLogical(part);
    const Result r = evaluate(pos, std::move(part));
    switch (r.get_type()) {
    case Result::result_type::value:
        if (logical)
            return Result(std::string(r.get_value() != 0 ? "TRUE" : "FALSE"));
        return Result(Value(r.get_value()).displayText());
    case Result::result_type::matrix:  // a range of more than one cell
        return Result(formula_error_t::invalid_value_type);
    default:
        return r;
    }
}

ixion::formula_tokens_t FormulaFunctions::concatenationsAsCalls(const ixion::abs_address_t& pos,
                                                                ixion::formula_tokens_t tokens) const
{
    ixion::formula_tokens_t out;
    std::size_t i = 0;
    while (i < tokens.size()) {
        joinLevel(pos, tokens, i, out);
        if (i < tokens.size())
            out.push_back(std::move(tokens[i++]));  // a closing bracket without its opening one
    }
    return out;
}

void FormulaFunctions::joinLevel(const ixion::abs_address_t& pos, ixion::formula_tokens_t& in, std::size_t& i,
                                 ixion::formula_tokens_t& out) const
{
    // & binds less tightly than arithmetic and more tightly than
    // comparisons: an operand runs up to the next &, comparison, separator
    // or closing bracket of its level.
    std::vector<ixion::formula_tokens_t> operands(1);
    const auto flush = [&] {
        if (operands.size() == 1) {
            for (auto& t : operands[0])
                out.push_back(std::move(t));
        } else {
            std::string text = "CONCATENATE(0";
            for (std::size_t k = 1; k < operands.size(); ++k)
                text += ",0";
            // CONCATENATE ( 0 , 0 ... ): the separators stand at 3, 5, ...
            ixion::formula_tokens_t call = parse(pos, text + ")");
            out.push_back(std::move(call[0]));
            out.push_back(std::move(call[1]));
            for (std::size_t k = 0; k < operands.size(); ++k) {
                if (k > 0)
                    out.push_back(std::move(call[2 * k + 1]));
                for (auto& t : operands[k])
                    out.push_back(std::move(t));
            }
            out.push_back(std::move(call.back()));
        }
        operands.clear();
        operands.emplace_back();
    };
    while (i < in.size()) {
        const fopcode_t op = in[i]->get_opcode();
        if (op == fopcode_t::fop_close)
            break;
        if (op == fopcode_t::fop_concat) {
            operands.emplace_back();
            ++i;
            continue;
        }
        if (op == fopcode_t::fop_sep || isComparison(op)) {
            flush();
            out.push_back(std::move(in[i++]));
            continue;
        }
        operands.back().push_back(std::move(in[i++]));
        if (op == fopcode_t::fop_open) {
            joinLevel(pos, in, i, operands.back());
            if (i < in.size())
                operands.back().push_back(std::move(in[i++]));
        }
    }
    flush();
}

Result FormulaFunctions::evaluate(const ixion::abs_address_t& pos, ixion::formula_tokens_t tokens)
{
    setTokens(pos, std::move(tokens));
    ixion::calculate_sorted_cells(m_cxt, {ixion::abs_range_t(pos)}, 0);
    return m_cxt.get_formula_result(pos);
}

std::unique_ptr<ixion::formula_token> FormulaFunctions::holding(const ixion::abs_address_t& pos, const Result& value,
                                                                std::size_t slot)
{
    if (m_sheetName.empty()) {
        // A name no formula of the workbook can spell (U+FFFF never stands
        // in a text), unique among the sheets.
        std::string name = "\xEF\xBF\xBF" "calls";
        while (m_cxt.get_sheet_index(name) != ixion::invalid_sheet)
            name += "\xEF\xBF\xBF";
        m_sheet = m_cxt.append_sheet(name);
        m_sheetName = name;
    }
    const ixion::abs_address_t cell(m_sheet, static_cast<ixion::row_t>(slot), 0);
    if (value.get_type() == Result::result_type::string)
        m_cxt.set_string_cell(cell, value.get_string());
    else
        m_cxt.set_numeric_cell(cell, value.get_value());
    ixion::formula_tokens_t ref = parse(pos, "'" + m_sheetName + "'!$A$" + std::to_string(slot + 1));
    return std::move(ref.at(0));
}

ixion::formula_tokens_t FormulaFunctions::parse(const ixion::abs_address_t& pos, const std::string& text) const
{
    return ixion::parse_formula_string(m_cxt, pos, m_resolver, text);
}

void FormulaFunctions::setTokens(const ixion::abs_address_t& pos, ixion::formula_tokens_t tokens)
{
    auto store = ixion::formula_tokens_store::create();
    store->get() = std::move(tokens);
    m_cxt.get_formula_cell(pos)->set_tokens(store);
}

} // namespace spreadsheet::detail
