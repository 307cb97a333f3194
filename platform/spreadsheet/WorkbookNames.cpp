#include <algorithm>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/DefinedName.h"
#include "platform/spreadsheet/FormulaEngine.h"
#include "platform/spreadsheet/FormulaParser.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

char upper(char c) noexcept
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isLetter(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return std::string(text);
}

[[noreturn]] void refuse(std::string description)
{
    throw platform::Error(platform::err::InvalidPropertyValue, "DefinedName", std::move(description));
}

void checkName(std::string_view name)
{
    const std::string problem = definedNameProblem(name);
    if (!problem.empty())
        refuse(problem);
}

// The first reference after a sheet name ("Sheet9!A1", "'My data'!A1:B2")
// that names a sheet the workbook lacks or a cell off the sheet
// ("Sheet1!ZZZ0", "Sheet1!A0"): why it is refused; "" when there is none.
// The text is read with the formula tokens, so texts in double quotes are
// skipped. Sheets match ignoring case.
std::string sheetRefProblem(std::string_view text, const std::vector<std::string>& sheetNames)
{
    for (const detail::FormulaToken& t : detail::lexFormula(text)) {
        if (!t.namesSheet)
            continue;
        const bool known = std::any_of(sheetNames.begin(), sheetNames.end(),
                                       [&](const std::string& s) { return sameDefinedName(s, t.ref.sheet); });
        if (!known)
            return "Refers to: there is no sheet named \"" + t.ref.sheet + "\" in this workbook.";
        if (!t.offSheet.empty())
            return "Refers to: \"" + t.offSheet +
                   "\" is not a cell of a sheet, whose columns run from A to IV and rows from 1 to 16384.";
    }
    return {};
}

} // namespace

std::string definedNameProblem(std::string_view name)
{
    if (name.empty())
        return "Enter a name.";
    if (name.size() > kMaxDefinedNameLength)
        return "A name can be at most 255 characters long.";
    if (!isLetter(name[0]) && name[0] != '_')
        return "A name must begin with a letter or an underscore.";
    for (char c : name)
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '_' && c != '.')
            return "A name can hold only letters, digits, underscores and periods.";
    std::int32_t row = 0;
    std::int32_t col = 0;
    if (parseCellRef(name, row, col))
        return "A name must not look like a cell reference.";
    if (!detail::engineReadsAsName(name))
        return "\"" + std::string(name) + "\" is a cell reference, a function or a constant and cannot be a name.";
    return {};
}

bool sameDefinedName(std::string_view a, std::string_view b) noexcept
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

const DefinedName* Workbook::findDefinedName(std::string_view name) const
{
    const auto it = std::find_if(m_names.begin(), m_names.end(), [&](const DefinedName& n) { return sameDefinedName(n.name, name); });
    return it == m_names.end() ? nullptr : &*it;
}

void Workbook::setDefinedName(std::string_view name, std::string_view refersTo)
{
    const std::string key = trimmed(name);
    checkName(key);
    std::string text = trimmed(refersTo);
    if (!text.empty() && text.front() == '=')
        text = trimmed(std::string_view(text).substr(1));
    if (text.empty())
        refuse("Enter the reference or formula that the name stands for.");
    // References without a sheet name the active sheet, so that the name
    // means the same cells from every sheet.
    const std::string activeName = SheetName(m_active);
    text = detail::rewriteFormulaRefs(text, [&activeName](detail::FormulaRef& r) {
        if (r.sheet.empty())
            r.sheet = activeName;
        return true;
    });
    std::vector<std::string> sheetNames;
    for (const auto& s : m_sheets)
        sheetNames.push_back(s->name);
    if (const std::string problem = sheetRefProblem(text, sheetNames); !problem.empty())
        refuse(problem);
    if (!detail::engineParses(text, sheetNames))
        refuse("\"" + text + "\" is not a reference or formula that a name can stand for.");
    const auto it = std::find_if(m_names.begin(), m_names.end(), [&](const DefinedName& n) { return sameDefinedName(n.name, key); });
    if (it == m_names.end())
        m_names.push_back(DefinedName{key, std::move(text)});
    else
        *it = DefinedName{key, std::move(text)};
    m_dirty = true;
    touch();
}

void Workbook::deleteDefinedName(std::string_view name)
{
    const auto it = std::find_if(m_names.begin(), m_names.end(), [&](const DefinedName& n) { return sameDefinedName(n.name, name); });
    if (it == m_names.end())
        throw platform::Error(platform::err::Subscript, "DefinedName", "No name \"" + std::string(name) + "\" is defined.");
    m_names.erase(it);
    m_dirty = true;
    touch();
}

void Workbook::renameDefinedName(std::string_view from, std::string_view to)
{
    const std::string newName = trimmed(to);
    const auto it = std::find_if(m_names.begin(), m_names.end(), [&](const DefinedName& n) { return sameDefinedName(n.name, from); });
    if (it == m_names.end())
        throw platform::Error(platform::err::Subscript, "DefinedName", "No name \"" + std::string(from) + "\" is defined.");
    checkName(newName);
    const DefinedName* other = findDefinedName(newName);
    if (other && other != &*it)
        refuse("The name \"" + other->name + "\" is already defined.");
    const std::string oldName = it->name;
    it->name = newName;
    const detail::NameEdit rename = [&](std::string_view word) -> std::optional<std::string> {
        if (sameDefinedName(word, oldName))
            return newName;
        return std::nullopt;
    };
    for (auto& s : m_sheets)
        for (auto& row : s->rows)
            for (auto& cell : row)
                if (cell.isFormula())
                    cell.setFormula(detail::rewriteFormulaNames(cell.formula(), rename));
    for (DefinedName& n : m_names)
        n.refersTo = detail::rewriteFormulaNames(n.refersTo, rename);
    m_dirty = true;
    touch();
}

void Workbook::replaceDefinedNames(std::vector<DefinedName> names)
{
    m_names = std::move(names);
    m_dirty = true;
}

void Workbook::editNameRefs(const detail::RefEdit& edit)
{
    for (DefinedName& n : m_names)
        n.refersTo = detail::rewriteFormulaRefs(n.refersTo, edit);
}

} // namespace spreadsheet
