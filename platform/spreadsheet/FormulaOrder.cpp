#include "platform/spreadsheet/FormulaOrder.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace spreadsheet::detail {

namespace {

using ixion::fopcode_t;

// A bracket the engine reads by its opcode alone.
class Bracket final : public ixion::formula_token
{
public:
    explicit Bracket(fopcode_t op) : ixion::formula_token(op) {}
    ~Bracket() override = default;
};

// How tightly a binary operator binds; 0 for a token that is none.
int bindingOf(fopcode_t op)
{
    if (isComparison(op))
        return 1;
    switch (op) {
    case fopcode_t::fop_concat:
        return 2;
    case fopcode_t::fop_plus:
    case fopcode_t::fop_minus:
        return 3;
    case fopcode_t::fop_multiply:
    case fopcode_t::fop_divide:
        return 4;
    case fopcode_t::fop_exponent:
        return 5;
    default:
        return 0;
    }
}

bool isOperand(fopcode_t op)
{
    switch (op) {
    case fopcode_t::fop_single_ref:
    case fopcode_t::fop_range_ref:
    case fopcode_t::fop_table_ref:
    case fopcode_t::fop_named_expression:
    case fopcode_t::fop_string:
    case fopcode_t::fop_value:
        return true;
    default:
        return false;
    }
}

// The bracketed formula as a plan: positions of the parsed tokens, with
// kOpen and kClose for the brackets added.
constexpr std::ptrdiff_t kOpen = -1;
constexpr std::ptrdiff_t kClose = -2;
using Plan = std::vector<std::ptrdiff_t>;

struct Expression {
    Plan plan;
    bool isOperation = false;
};

class Reader
{
public:
    explicit Reader(const ixion::formula_tokens_t& tokens) : m_tokens(tokens) {}

    // The whole formula, or nothing when it does not follow the grammar.
    std::optional<Plan> whole()
    {
        auto e = expression(1);
        if (!e || m_at != m_tokens.size())
            return std::nullopt;
        return std::move(e->plan);
    }

private:
    [[nodiscard]] bool atEnd() const { return m_at >= m_tokens.size(); }
    [[nodiscard]] fopcode_t next() const { return m_tokens[m_at]->get_opcode(); }

    // Operators binding at least `least`, each level from left to right.
    std::optional<Expression> expression(int least)
    {
        auto left = operand();
        if (!left)
            return std::nullopt;
        while (!atEnd()) {
            const int binding = bindingOf(next());
            if (binding < least || binding == 0)
                break;
            const auto op = static_cast<std::ptrdiff_t>(m_at++);
            auto right = expression(binding + 1);
            if (!right)
                return std::nullopt;
            Expression joined;
            joined.isOperation = true;
            append(joined.plan, *left);
            joined.plan.push_back(op);
            append(joined.plan, *right);
            left = std::move(joined);
        }
        return left;
    }

    // A sign or signs, then a value, a reference, a name, a call or a
    // bracketed expression.
    std::optional<Expression> operand()
    {
        Expression e;
        while (!atEnd() && (next() == fopcode_t::fop_minus || next() == fopcode_t::fop_plus))
            e.plan.push_back(static_cast<std::ptrdiff_t>(m_at++));
        if (atEnd())
            return std::nullopt;
        if (isOperand(next())) {
            e.plan.push_back(static_cast<std::ptrdiff_t>(m_at++));
            return e;
        }
        if (next() == fopcode_t::fop_function) {
            e.plan.push_back(static_cast<std::ptrdiff_t>(m_at++));
            if (atEnd() || next() != fopcode_t::fop_open)
                return std::nullopt;
        } else if (next() != fopcode_t::fop_open) {
            return std::nullopt;
        }
        // The brackets of a call or of a group: expressions between
        // separators, each of which may be left out.
        e.plan.push_back(static_cast<std::ptrdiff_t>(m_at++));
        for (;;) {
            if (atEnd())
                return std::nullopt;
            if (next() == fopcode_t::fop_close)
                break;
            if (next() == fopcode_t::fop_sep) {
                e.plan.push_back(static_cast<std::ptrdiff_t>(m_at++));
                continue;
            }
            auto inner = expression(1);
            if (!inner)
                return std::nullopt;
            e.plan.insert(e.plan.end(), inner->plan.begin(), inner->plan.end());
            if (atEnd() || (next() != fopcode_t::fop_sep && next() != fopcode_t::fop_close))
                return std::nullopt;
        }
        e.plan.push_back(static_cast<std::ptrdiff_t>(m_at++));
        return e;
    }

    // An operand of an operation, bracketed when it is an operation itself.
    static void append(Plan& plan, const Expression& e)
    {
        if (e.isOperation)
            plan.push_back(kOpen);
        plan.insert(plan.end(), e.plan.begin(), e.plan.end());
        if (e.isOperation)
            plan.push_back(kClose);
    }

    const ixion::formula_tokens_t& m_tokens;
    std::size_t m_at = 0;
};

} // namespace

bool isComparison(ixion::fopcode_t op) noexcept
{
    switch (op) {
    case fopcode_t::fop_equal:
    case fopcode_t::fop_not_equal:
    case fopcode_t::fop_less:
    case fopcode_t::fop_greater:
    case fopcode_t::fop_less_equal:
    case fopcode_t::fop_greater_equal:
        return true;
    default:
        return false;
    }
}

ixion::formula_tokens_t inWorksheetOrder(ixion::formula_tokens_t tokens)
{
    if (tokens.empty())
        return tokens;
    const std::optional<Plan> plan = Reader(tokens).whole();
    if (!plan)
        return tokens;
    ixion::formula_tokens_t out;
    out.reserve(plan->size());
    for (const std::ptrdiff_t step : *plan) {
        if (step == kOpen)
            out.push_back(std::make_unique<Bracket>(fopcode_t::fop_open));
        else if (step == kClose)
            out.push_back(std::make_unique<Bracket>(fopcode_t::fop_close));
        else
            out.push_back(std::move(tokens[static_cast<std::size_t>(step)]));
    }
    return out;
}

} // namespace spreadsheet::detail
