#include "platform/spreadsheet/Value.h"

#include <array>
#include <charconv>
#include <cmath>

#include "platform/errors/Error.h"

namespace spreadsheet {

namespace {

constexpr std::array<std::string_view, static_cast<std::size_t>(CellError::Count)> kErrorTexts = {
    "", "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};

bool equalsNoCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

const std::string kEmptyText;

} // namespace

std::string_view errorText(CellError e) noexcept
{
    const auto i = static_cast<std::size_t>(e);
    return i < kErrorTexts.size() ? kErrorTexts[i] : std::string_view("#VALUE!");
}

bool parseErrorText(std::string_view text, CellError& out) noexcept
{
    for (std::size_t i = 1; i < kErrorTexts.size(); ++i) {
        if (equalsNoCase(text, kErrorTexts[i])) {
            out = static_cast<CellError>(i);
            return true;
        }
    }
    return false;
}

Value::Value(double number)
{
    if (std::isfinite(number))
        m_data = number;
    else
        m_data = CellError::Num;
}

double Value::number() const noexcept
{
    const double* d = std::get_if<double>(&m_data);
    return d ? *d : 0.0;
}

const std::string& Value::text() const noexcept
{
    const std::string* s = std::get_if<std::string>(&m_data);
    return s ? *s : kEmptyText;
}

bool Value::logicalValue() const noexcept
{
    const bool* b = std::get_if<bool>(&m_data);
    return b ? *b : false;
}

CellError Value::errorCode() const noexcept
{
    const CellError* e = std::get_if<CellError>(&m_data);
    return e ? *e : CellError::Null;
}

std::string Value::displayText() const
{
    switch (kind()) {
    case ValueKind::Empty:
        return {};
    case ValueKind::Number: {
        std::array<char, 64> buf{};
        // Negative zero (typed "-0", or a product like -1 * 0) reads as 0.
        const double v = number() == 0 ? 0.0 : number();
        const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::general, 15);
        std::string s(buf.data(), res.ptr);
        for (char& c : s)
            if (c == 'e')
                c = 'E';
        return s;
    }
    case ValueKind::Text:
        return text();
    case ValueKind::Logical:
        return logicalValue() ? "TRUE" : "FALSE";
    case ValueKind::Error:
        return std::string(errorText(errorCode()));
    }
    return {};
}

std::string numberToRoundTripText(double v)
{
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), res.ptr);
}

bool parseNumber(std::string_view text, double& out) noexcept
{
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        --e;
    if (b < e && text[b] == '+')
        ++b;
    if (b == e)
        return false;
    // from_chars reads "inf" and "nan"; a cell entry of those words is text.
    const char first = text[b] == '-' && b + 1 < e ? text[b + 1] : text[b];
    if (!((first >= '0' && first <= '9') || first == '.'))
        return false;
    double v = 0;
    const auto res = std::from_chars(text.data() + b, text.data() + e, v);
    if (res.ec != std::errc() || res.ptr != text.data() + e || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

Value parseEntry(std::string_view text)
{
    if (text.empty())
        return {};
    double d = 0;
    if (parseNumber(text, d))
        return Value(d);
    if (equalsNoCase(text, "TRUE"))
        return Value::logical(true);
    if (equalsNoCase(text, "FALSE"))
        return Value::logical(false);
    CellError e{};
    if (parseErrorText(text, e))
        return Value::error(e);
    return Value(std::string(text));
}

ValueTable::ValueTable(std::int32_t rows, std::int32_t cols, std::int32_t firstRow, std::int32_t firstCol)
    : m_rows(rows), m_cols(cols), m_firstRow(firstRow), m_firstCol(firstCol)
{
    if (rows < 0 || cols < 0)
        throw platform::Error::runtime(platform::err::Subscript, "ValueTable");
    m_cells.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
}

Value& ValueTable::at(std::int32_t row, std::int32_t col)
{
    return const_cast<Value&>(static_cast<const ValueTable&>(*this).at(row, col));
}

const Value& ValueTable::at(std::int32_t row, std::int32_t col) const
{
    const std::int64_t r = static_cast<std::int64_t>(row) - m_firstRow;
    const std::int64_t c = static_cast<std::int64_t>(col) - m_firstCol;
    if (r < 0 || c < 0 || r >= m_rows || c >= m_cols)
        throw platform::Error::runtime(platform::err::Subscript, "ValueTable");
    return m_cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(m_cols) + static_cast<std::size_t>(c)];
}

} // namespace spreadsheet
