#pragma once

// Recalculation of the workbook's formulas (parsed by FormulaParser,
// computed by FormulaEval).
//
// The graph keeps every formula cell's parsed text and the cells it reads,
// indexed so that the formulas reading a given cell are found without a
// look at the others. After an edit only the formulas that depend on the
// changed cells, directly or through other formulas, are computed again, in
// the order of their dependencies, together with those calling NOW(); a
// change of sheets, names or many cells at once computes everything. The
// order is found with a stack of our own, so that a chain of formulas of any
// length costs no recursion. The formulas of a circular reference (=D1 in
// D1) give #REF!, and the formulas that use them pass that on. Nothing throws.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/spreadsheet/DefinedName.h"
#include "platform/spreadsheet/FormulaEval.h"

namespace spreadsheet::detail {

class Cell;
struct SheetData;

// A cell of the workbook: sheet from 0, row and column from 1. Ordered
// column by column within a sheet.
struct CellKey {
    std::int32_t sheet = 0;
    std::int32_t col = 1;
    std::int32_t row = 1;
    friend auto operator<=>(const CellKey&, const CellKey&) = default;
};

class FormulaGraph {
public:
    FormulaGraph();
    ~FormulaGraph();
    FormulaGraph(const FormulaGraph&) = delete;
    FormulaGraph& operator=(const FormulaGraph&) = delete;

    // Reads every formula and name afresh and computes every formula.
    void recalculateAll(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<DefinedName>& names);
    // After the listed cells changed (constants or formulas set, changed or
    // cleared) and nothing else: computes what depends on them, or with
    // `everything` every formula. The graph must have been built by
    // recalculateAll since the last change of anything but cells.
    void recalculateChanged(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<CellKey>& changed,
                            bool everything = false);

    // How many formula cells the graph holds.
    [[nodiscard]] std::size_t size() const noexcept;

private:
    struct Node;
    using Id = std::uint32_t;

    // Reads every formula cell afresh, with the names as they were read.
    void readAll(const std::vector<std::unique_ptr<SheetData>>& sheets);
    void computeAll(std::vector<std::unique_ptr<SheetData>>& sheets);
    void addNode(const std::vector<std::unique_ptr<SheetData>>& sheets, const CellKey& key, const std::string& text);
    void removeNode(Id id);
    // Calls visit(id) for each formula cell of the area.
    template <typename Visit>
    void forEachFormulaIn(const std::vector<std::unique_ptr<SheetData>>& sheets, const CellArea& area, Visit&& visit) const;
    template <typename Visit>
    void forEachBucket(const CellArea& area, Visit&& visit) const;
    // Computes the nodes marked with the current epoch, precedents first.
    void computeMarked(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<Id>& marked);

    std::vector<Node> m_nodes;
    std::vector<Id> m_free;
    std::map<CellKey, Id> m_index;
    // For each block of cells, the (node, area) pairs whose area touches it.
    std::unordered_map<std::uint64_t, std::vector<std::pair<Id, std::uint32_t>>> m_buckets;
    std::vector<Id> m_volatile;
    // For each sheet and row, the first and last column that may hold a
    // formula (first > last: none), so that areas without formulas are
    // passed over without reading their cells.
    std::vector<std::vector<std::pair<std::int16_t, std::int16_t>>> m_rowSpans;
    NameTable m_names;
    AggregateCache m_aggregates;
    std::uint32_t m_epoch = 0;
};

// Computes the formula of that cell alone from the values as they stand
// (manual recalculation: the cell the user entered).
void calculateOne(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<DefinedName>& names,
                  std::int32_t sheet, std::int32_t row, std::int32_t col);

// Whether the word can be a defined name: not a cell reference, a
// worksheet function or a logical value.
[[nodiscard]] bool engineReadsAsName(std::string_view word);

// Whether the formula (without "=") can be read, all its sheets among these.
[[nodiscard]] bool engineParses(std::string_view formula, const std::vector<std::string>& sheetNames);

} // namespace spreadsheet::detail
