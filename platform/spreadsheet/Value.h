#pragma once

// The value of one worksheet cell, and the two-dimensional tables of values
// that travel between a workbook and its callers.
//
// A value is empty, a number, a text, a logical or an error code. Texts are
// UTF-8. Numbers are finite doubles: a NaN or an infinity that a caller hands
// in is stored as the error value #NUM!, so that it shows in the sheet instead
// of passing silently.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace spreadsheet {

// Error values a cell can hold, with the texts the grid shows for them.
// Stored in the native workbook file by their number: append only.
enum class CellError : std::uint8_t {
    Null = 1,   // #NULL!
    Div0 = 2,   // #DIV/0!
    Value = 3,  // #VALUE!
    Ref = 4,    // #REF!
    Name = 5,   // #NAME?
    Num = 6,    // #NUM!
    NA = 7,     // #N/A
    Count
};
static_assert(static_cast<int>(CellError::Count) == 8, "error texts below must cover every code");

[[nodiscard]] std::string_view errorText(CellError e) noexcept;
// The code of an error text ("#DIV/0!"), or nothing when the text is none.
[[nodiscard]] bool parseErrorText(std::string_view text, CellError& out) noexcept;

enum class ValueKind : std::uint8_t { Empty, Number, Text, Logical, Error };

class Value {
public:
    Value() = default;
    Value(double number);  // converts implicitly, so that tables take numbers as they come
    Value(int number) : Value(static_cast<double>(number)) {}
    Value(std::string text) : m_data(std::move(text)) {}
    Value(const char* text) : m_data(std::string(text)) {}
    [[nodiscard]] static Value logical(bool b) { Value v; v.m_data = b; return v; }
    [[nodiscard]] static Value error(CellError e) { Value v; v.m_data = e; return v; }

    [[nodiscard]] ValueKind kind() const noexcept { return static_cast<ValueKind>(m_data.index()); }
    [[nodiscard]] bool isEmpty() const noexcept { return kind() == ValueKind::Empty; }
    [[nodiscard]] bool isNumber() const noexcept { return kind() == ValueKind::Number; }
    [[nodiscard]] bool isText() const noexcept { return kind() == ValueKind::Text; }
    [[nodiscard]] bool isLogical() const noexcept { return kind() == ValueKind::Logical; }
    [[nodiscard]] bool isError() const noexcept { return kind() == ValueKind::Error; }

    // The payloads; each is valid only for its own kind (else 0, "", false, Null).
    [[nodiscard]] double number() const noexcept;
    [[nodiscard]] const std::string& text() const noexcept;
    [[nodiscard]] bool logicalValue() const noexcept;
    [[nodiscard]] CellError errorCode() const noexcept;

    // The text the grid shows in General format: numbers with up to 15
    // significant digits ("0.1", "1E+20"), TRUE/FALSE, the error text; "" for
    // empty. Locale-independent.
    [[nodiscard]] std::string displayText() const;

    bool operator==(const Value& other) const = default;

private:
    std::variant<std::monostate, double, std::string, bool, CellError> m_data;
};

// Shortest text that reads back to exactly the same double ("0.1", "1e+20").
[[nodiscard]] std::string numberToRoundTripText(double v);
// A whole text as a number, with optional blanks around it and a leading
// sign; a point is the decimal sign. False when the text is not a number.
[[nodiscard]] bool parseNumber(std::string_view text, double& out) noexcept;

// What a user's typing in a cell means: "" empty, "12.5" a number, TRUE or
// FALSE (any case) a logical, "#N/A" an error, anything else text. A leading
// "=" (a formula) is not handled here; see Workbook::setCellEntry.
[[nodiscard]] Value parseEntry(std::string_view text);

// A two-dimensional table of values, rows first, indexed from the lower
// bounds the caller chose (the 0-based tables of most callers, the tables from
// 2 of the data-block reader). at() outside the bounds raises error 9.
class ValueTable {
public:
    ValueTable() = default;
    // rows x cols cells, all empty, indexed from (firstRow, firstCol).
    ValueTable(std::int32_t rows, std::int32_t cols, std::int32_t firstRow = 0, std::int32_t firstCol = 0);

    [[nodiscard]] std::int32_t rows() const noexcept { return m_rows; }
    [[nodiscard]] std::int32_t cols() const noexcept { return m_cols; }
    [[nodiscard]] std::int32_t firstRow() const noexcept { return m_firstRow; }
    [[nodiscard]] std::int32_t firstCol() const noexcept { return m_firstCol; }
    [[nodiscard]] std::int32_t lastRow() const noexcept { return m_firstRow + m_rows - 1; }
    [[nodiscard]] std::int32_t lastCol() const noexcept { return m_firstCol + m_cols - 1; }

    [[nodiscard]] Value& at(std::int32_t row, std::int32_t col);
    [[nodiscard]] const Value& at(std::int32_t row, std::int32_t col) const;

private:
    std::int32_t m_rows = 0;
    std::int32_t m_cols = 0;
    std::int32_t m_firstRow = 0;
    std::int32_t m_firstCol = 0;
    std::vector<Value> m_cells;
};

} // namespace spreadsheet
