#pragma once

// Computing a parsed formula over the workbook's cells, as LibreOffice Calc
// computes it with its default settings:
//
// - A text where a number is wanted (the operators + - * / ^, a minus sign,
//   INT, IF's condition, LEFT's count) counts as the number it reads as
//   (" 12 ", "1E3"); any other text, "" included, gives #VALUE!. Logical
//   values count as 1 and 0, an empty cell as 0.
// - An error passes on as itself, the leftmost first (an error value written
//   in the formula ranks with a cell's among the operands of arithmetic and
//   comparisons: A8+#N/A shows A8's error); a result that is not a finite
//   number is #NUM!, a sum that passes the largest number midway and ends
//   below it excepted. Sums and differences that cancel to within
//   the last bits of their operands give 0 (0.1+0.2-0.3 is 0), and numbers
//   that close are equal in comparisons.
// - Comparisons: numbers (and logical values) come before texts; texts are
//   ordered alphabetically (punctuation, then digits, then letters, a
//   lower-case letter before its capital) and equal only when spelled
//   alike; an empty cell is 0 beside a number and "" beside a text.
// - SUM, AVERAGE, MIN and MAX count the numbers and logical values of their
//   references and leave out texts and empty cells there; a text given to
//   them directly, typed or computed, gives #VALUE!. An argument left out
//   counts as 0 there (MIN(1,) is 0, AVERAGE(1,) 0.5) and as a value in
//   COUNTA, which counts every value, errors and texts included; LEFT's
//   count left out is 0. INT floors the value rounded to 15 significant
//   digits (INT(9/0.00001) is 900000). IF computes only the branch taken and
//   gives FALSE when the condition fails and no third argument is given.
// - A number turned into text (by &, CONCATENATE, LEN or LEFT) reads as the
//   cell shows it in the General format, up to 15 significant digits; a
//   logical value as TRUE or FALSE; an empty cell as no text.
// - A range where one value is wanted gives the cell in the formula's own
//   row (of a one-column range) or column (of a one-row range), else #VALUE!.
// - A function we do not compute, an unknown name and a formula that cannot
//   be read give #NAME?; a reference past the sheet's last row or column
//   (E16385, IW1) gives #REF!.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/spreadsheet/DefinedName.h"
#include "platform/spreadsheet/FormulaParser.h"
#include "platform/spreadsheet/Value.h"

namespace spreadsheet::detail {

struct SheetData;

// A rectangle of one sheet (sheets from 0, rows and columns from 1).
struct CellArea {
    std::int32_t sheet = 0;
    std::int32_t row1 = 1, col1 = 1, row2 = 1, col2 = 1;

    [[nodiscard]] bool contains(std::int32_t s, std::int32_t row, std::int32_t col) const noexcept
    {
        return s == sheet && row >= row1 && row <= row2 && col >= col1 && col <= col2;
    }
    friend bool operator==(const CellArea&, const CellArea&) = default;
};

// A hash of an area (FNV-1a over its sheet and ends), for the tables that
// hold areas once; `seed` mixes in what else a key holds.
struct CellAreaHash {
    [[nodiscard]] std::size_t operator()(const CellArea& a, std::uint64_t seed = 0) const noexcept
    {
        std::uint64_t h = 0xCBF29CE484222325ULL ^ seed;
        for (const std::int32_t x : {a.sheet, a.row1, a.col1, a.row2, a.col2})
            h = (h ^ static_cast<std::uint32_t>(x)) * 0x100000001B3ULL;
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

// The workbook's defined names, read once for a recalculation. A name
// whose text cannot be read, that reaches itself through other names or
// nests deeper than a formula may gives #NAME?.
class NameTable {
public:
    struct Entry {
        std::shared_ptr<const ParsedFormula> formula;  // null: #NAME?
        std::vector<CellArea> areas;                   // the cells it reads, through other names too
        bool callsNow = false;                         // NOW() in it or in a name it uses
        // The levels its formula adds where it is used: itself, its
        // formula's and those of the names it uses (at most kMaxFormulaDepth).
        int depth = 0;
    };
    NameTable() = default;
    NameTable(const std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<DefinedName>& names);

    // The name in any letter case, or null.
    [[nodiscard]] const Entry* find(std::string_view name) const;

private:
    std::unordered_map<std::string, Entry> m_byUpper;
};

// The sheet a reference names: its own (name "") or the first of that name;
// -1 when no sheet has it.
[[nodiscard]] std::int32_t sheetNamed(const std::vector<std::unique_ptr<SheetData>>& sheets, std::string_view name,
                                      std::int32_t own);

// The values of aggregates (SUM, AVERAGE, COUNTA, MIN, MAX) over one large
// area, each written as one reference, kept through one recalculation. The
// formulas inside an area are computed before any formula that reads it, so
// every reader would compute the same value: it is computed once. Whoever
// orders a recalculation holds one and clears it before the next.
class AggregateCache {
public:
    // Areas of fewer cells than this are computed afresh each time, so that
    // many small distinct ranges cost nothing extra.
    static constexpr std::int64_t kLeastCells = 256;

    void clear() noexcept { m_values.clear(); }
    // The value kept for the function over the area, or null.
    [[nodiscard]] const Value* find(FormulaFunction function, const CellArea& area) const;
    void store(FormulaFunction function, const CellArea& area, const Value& value);

private:
    struct Key {
        FormulaFunction function = FormulaFunction::Unknown;
        CellArea area;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept;
    };
    std::unordered_map<Key, Value, KeyHash> m_values;
};

// The cells that the formula of the cell (ownSheet, row, col) reads
// (through names too), and whether it calls NOW().
void formulaAreas(const ParsedFormula& formula, const std::vector<std::unique_ptr<SheetData>>& sheets,
                  const NameTable& names, std::int32_t ownSheet, std::int32_t row, std::int32_t col,
                  std::vector<CellArea>& areas, bool& callsNow);

// The value of the formula in the cell (sheet from 0, row, col), reading
// the cells' values as they stand: what the cell shows. With a cache, the
// aggregates over large areas are taken from it and kept in it.
[[nodiscard]] Value evaluateFormula(const ParsedFormula& formula, const std::vector<std::unique_ptr<SheetData>>& sheets,
                                    const NameTable& names, std::int32_t sheet, std::int32_t row, std::int32_t col,
                                    AggregateCache* cache = nullptr);

// Texts as comparisons order them: negative, 0 or positive.
[[nodiscard]] int compareTexts(std::string_view a, std::string_view b);

} // namespace spreadsheet::detail
