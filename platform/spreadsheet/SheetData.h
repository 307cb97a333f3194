#pragma once

// Storage of one worksheet inside a Workbook (not part of the public surface).
//
// Rows are kept as vectors of cells, each row only as long as its last used
// column and the sheet only as long as its last used row, so that an empty
// sheet costs nothing and a full 16,384 x 256 numeric sheet about 100 MB. A
// cell is 24 bytes: a number inline, a text or a formula in a side object.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/DrawingObject.h"
#include "platform/spreadsheet/PageSetup.h"
#include "platform/spreadsheet/SheetFormat.h"
#include "platform/spreadsheet/Value.h"

namespace spreadsheet::detail {

class Cell {
public:
    Cell() = default;
    Cell(const Cell& other) { *this = other; }
    Cell& operator=(const Cell& other);
    Cell(Cell&&) noexcept = default;
    Cell& operator=(Cell&&) noexcept = default;

    [[nodiscard]] bool isEmpty() const noexcept { return m_kind == ValueKind::Empty && !m_extra; }
    [[nodiscard]] bool isFormula() const noexcept { return m_extra && !m_extra->formula.empty(); }
    // The constant, or for a formula its last computed result.
    [[nodiscard]] Value value() const;
    [[nodiscard]] ValueKind valueKind() const noexcept;
    // The kind of value() and, for a number or a logical, the number it
    // counts as (1 or 0 for a logical), read without building a Value.
    [[nodiscard]] ValueKind kindAndNumber(double& number) const noexcept
    {
        if (!m_extra || m_extra->formula.empty()) {
            number = m_number;
            return m_kind;
        }
        const Value& r = m_extra->result;
        number = r.isNumber() ? r.number() : (r.isLogical() && r.logicalValue() ? 1.0 : 0.0);
        return r.kind();
    }
    // Formula text without "="; "" when the cell holds a constant.
    [[nodiscard]] const std::string& formula() const noexcept;
    // Asks the processor to fetch the side object that value(), formula()
    // and setFormulaResult() read, ahead of a loop over many cells.
    void prefetch() const noexcept { __builtin_prefetch(m_extra.get()); }

    void setValue(const Value& v);
    void setFormula(std::string text);  // keeps a result of Empty until calculated
    void setFormulaResult(const Value& v);
    void clear() noexcept { *this = Cell(); }

private:
    struct Extra {
        std::string text;     // the text of a text constant
        std::string formula;  // without "="
        Value result;         // the formula's last result
    };
    double m_number = 0;  // number, or 1/0 for a logical
    std::unique_ptr<Extra> m_extra;
    ValueKind m_kind = ValueKind::Empty;
    CellError m_error = CellError::Null;
};

struct SheetData {
    std::string name;
    std::vector<std::vector<Cell>> rows;  // rows[r - 1][c - 1]
    std::vector<RangeRef> selection{RangeRef{}};
    std::int32_t activeRow = 1;
    std::int32_t activeCol = 1;
    bool selected = false;
    PageSetup pageSetup;
    SheetFormat format;
    std::vector<DrawingObject> objects;         // back to front
    std::vector<std::int32_t> selectedObjects;  // ids, in the order selected
    std::int32_t nextObjectId = 1;

    [[nodiscard]] const Cell* find(std::int32_t row, std::int32_t col) const noexcept;
    // The cell, making room for it.
    [[nodiscard]] Cell& at(std::int32_t row, std::int32_t col);
    // Drops empty cells at the ends of a row and empty rows at the end.
    void trimRow(std::int32_t row);
    void trimAll();
    [[nodiscard]] std::int32_t lastUsedRow() const noexcept;
    [[nodiscard]] std::int32_t lastUsedCol() const noexcept;
};

} // namespace spreadsheet::detail
