#include "platform/spreadsheet/SheetData.h"

#include <algorithm>

namespace spreadsheet::detail {

Cell& Cell::operator=(const Cell& other)
{
    if (this == &other)
        return *this;
    m_number = other.m_number;
    m_kind = other.m_kind;
    m_error = other.m_error;
    m_extra = other.m_extra ? std::make_unique<Extra>(*other.m_extra) : nullptr;
    return *this;
}

Value Cell::value() const
{
    if (m_extra && !m_extra->formula.empty())
        return m_extra->result;
    switch (m_kind) {
    case ValueKind::Empty:
        return {};
    case ValueKind::Number:
        return Value(m_number);
    case ValueKind::Text:
        return Value(m_extra ? m_extra->text : std::string());
    case ValueKind::Logical:
        return Value::logical(m_number != 0);
    case ValueKind::Error:
        return Value::error(m_error);
    }
    return {};
}

ValueKind Cell::valueKind() const noexcept
{
    if (m_extra && !m_extra->formula.empty())
        return m_extra->result.kind();
    return m_kind;
}

const std::string& Cell::formula() const noexcept
{
    static const std::string none;
    return m_extra ? m_extra->formula : none;
}

void Cell::setValue(const Value& v)
{
    m_extra.reset();
    m_kind = v.kind();
    m_number = 0;
    m_error = CellError::Null;
    switch (v.kind()) {
    case ValueKind::Empty:
        break;
    case ValueKind::Number:
        m_number = v.number();
        break;
    case ValueKind::Text:
        m_extra = std::make_unique<Extra>();
        m_extra->text = v.text();
        break;
    case ValueKind::Logical:
        m_number = v.logicalValue() ? 1 : 0;
        break;
    case ValueKind::Error:
        m_error = v.errorCode();
        break;
    }
}

void Cell::setFormula(std::string text)
{
    m_kind = ValueKind::Empty;
    m_number = 0;
    m_extra = std::make_unique<Extra>();
    m_extra->formula = std::move(text);
}

void Cell::setFormulaResult(const Value& v)
{
    if (m_extra && !m_extra->formula.empty())
        m_extra->result = v;
}

const Cell* SheetData::find(std::int32_t row, std::int32_t col) const noexcept
{
    if (row < 1 || col < 1 || static_cast<std::size_t>(row) > rows.size())
        return nullptr;
    const auto& r = rows[static_cast<std::size_t>(row - 1)];
    if (static_cast<std::size_t>(col) > r.size())
        return nullptr;
    return &r[static_cast<std::size_t>(col - 1)];
}

Cell& SheetData::at(std::int32_t row, std::int32_t col)
{
    if (static_cast<std::size_t>(row) > rows.size())
        rows.resize(static_cast<std::size_t>(row));
    auto& r = rows[static_cast<std::size_t>(row - 1)];
    if (static_cast<std::size_t>(col) > r.size())
        r.resize(static_cast<std::size_t>(col));
    return r[static_cast<std::size_t>(col - 1)];
}

void SheetData::trimRow(std::int32_t row)
{
    if (row < 1 || static_cast<std::size_t>(row) > rows.size())
        return;
    auto& r = rows[static_cast<std::size_t>(row - 1)];
    while (!r.empty() && r.back().isEmpty())
        r.pop_back();
    if (r.empty())
        r.shrink_to_fit();
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
}

void SheetData::trimAll()
{
    for (std::size_t i = rows.size(); i > 0; --i)
        trimRow(static_cast<std::int32_t>(i));
}

std::int32_t SheetData::lastUsedRow() const noexcept
{
    for (std::size_t i = rows.size(); i > 0; --i)
        for (const Cell& c : rows[i - 1])
            if (!c.isEmpty())
                return static_cast<std::int32_t>(i);
    return 0;
}

std::int32_t SheetData::lastUsedCol() const noexcept
{
    std::int32_t best = 0;
    for (const auto& r : rows) {
        for (std::size_t j = r.size(); j > 0 && static_cast<std::int32_t>(j) > best; --j) {
            if (!r[j - 1].isEmpty()) {
                best = static_cast<std::int32_t>(j);
                break;
            }
        }
    }
    return best;
}

} // namespace spreadsheet::detail
