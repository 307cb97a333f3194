#include "platform/spreadsheet/FormulaEngine.h"

#include <ixion/address.hpp>
#include <ixion/exceptions.hpp>
#include <ixion/formula.hpp>
#include <ixion/formula_name_resolver.hpp>
#include <ixion/formula_result.hpp>
#include <ixion/formula_tokens.hpp>
#include <ixion/model_context.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <unordered_map>
#include <string>
#include <utility>

#include "platform/runtime/Utf8.h"
#include "platform/spreadsheet/DefinedName.h"
#include "platform/spreadsheet/FormulaFunctions.h"
#include "platform/spreadsheet/FormulaOrder.h"
#include "platform/spreadsheet/FormulaText.h"
#include "platform/spreadsheet/SheetData.h"

namespace spreadsheet::detail {

namespace {

// Whether the engine may be given the text: valid UTF-8 without control
// characters. The engine's parser can read past the end of texts that are
// not (stray bytes of a damaged file made it crash); a formula such as that
// gives #NAME?, a name such as that is left out, and a sheet named so is
// known to the engine by a private name that no formula can spell.
bool engineSafe(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F)
                return false;
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = platform::rt::utf8SequenceAt(text, i, cp);
        // Overlong forms, surrogates and code points past the last one.
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (length == 0 || cp < kLeast[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += length;
    }
    return true;
}

CellError mapError(ixion::formula_error_t e)
{
    switch (e) {
    case ixion::formula_error_t::division_by_zero:
        return CellError::Div0;
    case ixion::formula_error_t::name_not_found:
        return CellError::Name;
    case ixion::formula_error_t::no_range_intersection:
        return CellError::Null;
    case ixion::formula_error_t::ref_result_not_available:
        return CellError::Ref;
    case ixion::formula_error_t::invalid_value_type:
    case ixion::formula_error_t::invalid_expression:
    default:
        return CellError::Value;
    }
}

Value toValue(const ixion::formula_result& r, bool logical)
{
    switch (r.get_type()) {
    case ixion::formula_result::result_type::value:
        if (logical)
            return Value::logical(r.get_value() != 0);
        return Value(r.get_value());  // a NaN or infinity becomes #NUM!
    case ixion::formula_result::result_type::string:
        return Value(r.get_string());
    case ixion::formula_result::result_type::error:
        return Value::error(mapError(r.get_error()));
    case ixion::formula_result::result_type::matrix:
        break;
    }
    return Value::error(CellError::Value);
}

std::string upperAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Registers the names the engine can take: each spelled as defined, the
// words of their texts spelled as the names they match; names on a cycle
// left out. Returns the edit that spells a formula's names the same way.
NameEdit registerNames(ixion::model_context& cxt, const ixion::formula_name_resolver& resolver,
                       const std::vector<DefinedName>& names)
{
    auto byKey = std::make_shared<std::map<std::string, std::string>>();  // upper case -> as defined
    for (const DefinedName& n : names)
        byKey->emplace(upperAscii(n.name), n.name);
    NameEdit spell = [byKey](std::string_view word) -> std::optional<std::string> {
        const auto it = byKey->find(upperAscii(word));
        if (it == byKey->end())
            return std::nullopt;
        return it->second;
    };

    // The names each name's text uses, and its text with them spelled out.
    std::map<std::string, std::vector<std::string>> uses;
    std::vector<std::pair<std::string, std::string>> texts;
    for (const DefinedName& n : names) {
        std::vector<std::string>& used = uses[upperAscii(n.name)];
        const std::string text = rewriteFormulaNames(n.refersTo, [&](std::string_view word) {
            std::optional<std::string> to = spell(word);
            if (to)
                used.push_back(upperAscii(*to));
            return to;
        });
        texts.emplace_back(n.name, text);
    }
    // A name that can reach itself lies on a cycle.
    const auto onCycle = [&](const std::string& start) {
        std::set<std::string> seen;
        std::vector<std::string> stack = uses[start];
        while (!stack.empty()) {
            const std::string key = std::move(stack.back());
            stack.pop_back();
            if (key == start)
                return true;
            if (!seen.insert(key).second)
                continue;
            const auto& next = uses[key];
            stack.insert(stack.end(), next.begin(), next.end());
        }
        return false;
    };
    const ixion::abs_address_t origin(0, 0, 0);
    for (const auto& [name, text] : texts) {
        if (onCycle(upperAscii(name)) || !engineSafe(name) || !engineSafe(text))
            continue;
        try {
            cxt.set_named_expression(name, origin,
                                     inWorksheetOrder(ixion::parse_formula_string(cxt, origin, resolver, text)));
        } catch (const std::exception&) {
            // Left out: formulas using it give #NAME?.
        }
    }
    return spell;
}

} // namespace

bool engineReadsAsName(std::string_view word)
{
    if (!engineSafe(word))
        return false;
    ixion::model_context cxt(ixion::rc_size_t(kMaxRows, kMaxCols));
    cxt.append_sheet("Sheet1");
    const auto resolver = ixion::formula_name_resolver::get(ixion::formula_name_resolver_t::excel_a1, &cxt);
    return resolver->resolve(word, ixion::abs_address_t(0, 0, 0)).type ==
           ixion::formula_name_t::name_type::named_expression;
}

bool engineParses(std::string_view formula, const std::vector<std::string>& sheetNames)
{
    if (!engineSafe(formula))
        return false;
    ixion::model_context cxt(ixion::rc_size_t(kMaxRows, kMaxCols));
    std::set<std::string> used;
    for (std::size_t i = 0; i < sheetNames.size(); ++i) {
        std::string name = engineSafe(sheetNames[i]) ? sheetNames[i] : "\x01" + std::to_string(i);
        while (!used.insert(name).second)
            name += "\x01";
        cxt.append_sheet(name);
    }
    if (sheetNames.empty())
        cxt.append_sheet("Sheet1");
    const auto resolver = ixion::formula_name_resolver::get(ixion::formula_name_resolver_t::excel_a1, &cxt);
    try {
        const ixion::abs_address_t origin(0, 0, 0);
        const ixion::formula_tokens_t tokens = ixion::parse_formula_string(cxt, origin, *resolver, formula);
        return !tokens.empty();
    } catch (const std::exception&) {
        return false;
    }
}

void recalculate(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<DefinedName>& names,
                 const Cell* only)
{
    ixion::model_context cxt(ixion::rc_size_t(kMaxRows, kMaxCols));

    // Sheet names must be unique in the engine; a repeated name gets a
    // private suffix there, so references by that name find the first sheet.
    std::set<std::string> used;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        std::string name = engineSafe(sheets[i]->name) ? sheets[i]->name : "\x01" + std::to_string(i);
        while (!used.insert(name).second)
            name += "\x01" + std::to_string(i);
        cxt.append_sheet(name);
    }

    // Constants, column by column (the engine stores columns).
    std::vector<std::pair<ixion::abs_address_t, Cell*>> formulas;
    for (std::size_t si = 0; si < sheets.size(); ++si) {
        SheetData& s = *sheets[si];
        const auto sheet = static_cast<ixion::sheet_t>(si);
        std::size_t width = 0;
        for (const auto& row : s.rows)
            width = std::max(width, row.size());
        for (std::size_t c = 0; c < width; ++c) {
            for (std::size_t r = 0; r < s.rows.size(); ++r) {
                auto& row = s.rows[r];
                if (c >= row.size() || row[c].isEmpty())
                    continue;
                const ixion::abs_address_t pos(sheet, static_cast<ixion::row_t>(r), static_cast<ixion::col_t>(c));
                Cell& cell = row[c];
                if (cell.isFormula() && (only == nullptr || &cell == only)) {
                    formulas.emplace_back(pos, &cell);
                    continue;
                }
                const Value v = cell.value();
                switch (v.kind()) {
                case ValueKind::Number:
                    cxt.set_numeric_cell(pos, v.number());
                    break;
                case ValueKind::Text:
                    cxt.set_string_cell(pos, v.text());
                    break;
                case ValueKind::Logical:
                    cxt.set_boolean_cell(pos, v.logicalValue());
                    break;
                case ValueKind::Error:
                    cxt.set_string_cell(pos, std::string(errorText(v.errorCode())));
                    break;
                case ValueKind::Empty:
                    break;
                }
            }
        }
    }

    const auto resolver = ixion::formula_name_resolver::get(ixion::formula_name_resolver_t::excel_a1, &cxt);
    const NameEdit spell = names.empty() ? NameEdit() : registerNames(cxt, *resolver, names);
    ixion::abs_range_set_t dirty;
    struct Registered {
        ixion::abs_address_t pos;
        Cell* cell = nullptr;
        bool logical = false;
    };
    std::vector<Registered> registered;
    // Formulas calling functions that are computed here keep their texts
    // for their turn.
    FormulaFunctions functions(cxt, *resolver);
    std::unordered_map<ixion::abs_address_t, std::string, ixion::abs_address_t::hash> ownCalls;
    for (auto& [pos, cell] : formulas) {
        try {
            const std::string text = spell ? rewriteFormulaNames(cell->formula(), spell) : cell->formula();
            if (!engineSafe(text)) {
                cell->setFormulaResult(Value::error(CellError::Name));
                continue;
            }
            ixion::formula_tokens_t tokens = inWorksheetOrder(ixion::parse_formula_string(cxt, pos, *resolver, text));
            const bool logical = givesLogical(tokens);
            if (logical)
                functions.addLogicalCell(pos);
            if (FormulaFunctions::calledIn(tokens)) {
                ownCalls.emplace(pos, text);
                tokens = functions.forDependencies(pos, std::move(tokens));
            }
            cxt.set_formula_cell(pos, std::move(tokens));
            ixion::register_formula_cell(cxt, pos);
            dirty.insert(ixion::abs_range_t(pos));
            registered.push_back({pos, cell, logical});
        } catch (const std::exception&) {
            cell->setFormulaResult(Value::error(CellError::Name));
        }
    }

    // One formula the engine cannot compute (a function it does not have)
    // stops a whole run; then each formula is computed on its own, in
    // dependency order, so that only the ones affected show an error.
    std::vector<ixion::abs_range_t> sorted;
    try {
        sorted = ixion::query_and_sort_dirty_cells(cxt, ixion::abs_range_set_t(), &dirty);
    } catch (const std::exception&) {
        for (Registered& r : registered)
            r.cell->setFormulaResult(Value::error(CellError::Value));
        return;
    }
    std::unordered_map<ixion::abs_address_t, CellError, ixion::abs_address_t::hash> failed;
    const auto calculateOne = [&](const ixion::abs_address_t& pos, const std::function<void()>& calculate) {
        try {
            calculate();
        } catch (const ixion::not_implemented_error&) {
            failed[pos] = CellError::Name;
        } catch (const std::exception&) {
            failed[pos] = CellError::Value;
        }
    };
    const auto calculateRun = [&](const std::vector<ixion::abs_range_t>& run) {
        try {
            ixion::calculate_sorted_cells(cxt, run, 0);
        } catch (const std::exception&) {
            for (const ixion::abs_range_t& range : run)
                calculateOne(range.first, [&] { ixion::calculate_sorted_cells(cxt, {range}, 0); });
        }
    };
    // The engine computes runs of formulas between those calling functions
    // computed here, which take their turn in the order of dependencies.
    std::vector<ixion::abs_range_t> run;
    for (const ixion::abs_range_t& range : sorted) {
        const auto own = ownCalls.find(range.first);
        if (own == ownCalls.end()) {
            run.push_back(range);
            continue;
        }
        calculateRun(run);
        run.clear();
        calculateOne(range.first, [&] {
            functions.calculate(range.first, inWorksheetOrder(ixion::parse_formula_string(cxt, range.first,
                                                                                  *resolver, own->second)));
        });
    }
    calculateRun(run);
    if (!failed.empty()) {
        // Formulas that use a failed one, directly or not, carry its error
        // instead of reading it as empty.
        ixion::abs_address_set_t sources;
        bool allNames = true;
        for (const auto& [pos, error] : failed) {
            sources.insert(pos);
            allNames = allNames && error == CellError::Name;
        }
        try {
            for (const ixion::abs_address_t& dep : ixion::query_dirty_cells(cxt, sources))
                failed.emplace(dep, allNames ? CellError::Name : CellError::Value);
        } catch (const std::exception&) {
            for (const Registered& r : registered)
                failed.emplace(r.pos, CellError::Value);
        }
    }
    for (Registered& r : registered) {
        const auto f = failed.find(r.pos);
        if (f != failed.end()) {
            r.cell->setFormulaResult(Value::error(f->second));
            continue;
        }
        try {
            r.cell->setFormulaResult(toValue(cxt.get_formula_result(r.pos), r.logical));
        } catch (const std::exception&) {
            r.cell->setFormulaResult(Value::error(CellError::Value));
        }
    }
}

} // namespace spreadsheet::detail
