#pragma once

// Recalculation of the workbook's formulas (parsed by FormulaParser,
// computed by FormulaEval).
//
// The graph keeps every formula cell's parsed text and the cells it reads,
// indexed so that the formulas reading a given cell are found without a
// look at the others. Formulas of one shape (filled down or across: the
// same text once relative references are taken from the formula's cell)
// share one parsed tree. After an edit only the formulas that depend on the
// changed cells, directly or through other formulas, are computed again, in
// the order of their dependencies, together with those calling NOW(); a
// change of sheets, names or many cells at once computes everything. The
// order is found with a stack of our own, so that a chain of formulas of any
// length costs no recursion. Circles are found whole, as the formulas'
// texts read (IF's branches included): every formula on a circle of
// references (=D1 in D1; A1 =C1, C1 =A1) gives #REF!, whatever the order the
// formulas were entered or computed in, and a formula outside every circle
// computes from what its cells hold. Nothing throws.

#include <cstdint>
#include <memory>
#include <span>
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
    // More cells changed at once than this are computed as a whole: the
    // graph is read again.
    static constexpr std::size_t kMostChangesApart = 20000;

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
    static constexpr Id kNone = 0xFFFFFFFFu;
    // The formula cells of one column of a sheet, (row, node) by row.
    using ColumnCells = std::vector<std::pair<std::int32_t, Id>>;
    // A large area, held once with the formulas that read it.
    struct LargeArea {
        CellArea area;
        std::vector<Id> readers;
        std::uint32_t markEpoch = 0;  // its readers marked in this recalculation
    };

    // Reads every formula cell afresh, with the names as they were read.
    void readAll(std::vector<std::unique_ptr<SheetData>>& sheets);
    void computeAll(std::vector<std::unique_ptr<SheetData>>& sheets);
    // The tree of the formula text of the cell, shared by every formula of
    // its shape (formulaShape); null when the text cannot be read.
    std::shared_ptr<const ParsedFormula> sharedFormula(const std::string& text, std::int32_t row, std::int32_t col);
    void addNode(const std::vector<std::unique_ptr<SheetData>>& sheets, const CellKey& key, const std::string& text);
    void removeNode(Id id);
    [[nodiscard]] std::span<const CellArea> areasOf(const Node& n) const noexcept;
    // Drops the areas of removed nodes from m_areas.
    void compactAreas();
    // The node of the formula cell, or kNone.
    [[nodiscard]] Id find(const CellKey& key) const noexcept;
    ColumnCells& column(std::int32_t sheet, std::int32_t col);
    // The lists a large area is filed in: its columns' or its rows'.
    template <typename Visit>
    void forEachFiling(const CellArea& area, Visit&& visit);
    void addLargeReader(const CellArea& area, Id id);
    void removeLargeReader(const CellArea& area, Id id);
    // Calls visit(id) for each formula cell of the area.
    template <typename Visit>
    void forEachFormulaIn(const CellArea& area, Visit&& visit) const;
    template <typename Visit>
    void forEachBucket(const CellArea& area, Visit&& visit) const;
    // Calls visit(large area) for each large area holding the cell.
    template <typename Visit>
    void forEachLargeAreaAt(const CellKey& key, Visit&& visit);
    // Asks the processor for the cells of formulas a few places after `at`.
    void prefetchAhead(const std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<Id>& marked,
                       std::size_t at) const noexcept;
    // Computes the nodes marked with the current epoch, precedents first.
    void computeMarked(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<Id>& marked);

    std::vector<Node> m_nodes;
    std::vector<Id> m_free;
    std::size_t m_count = 0;
    // The areas of every node, one after another, so that reading many
    // formulas allocates no list per formula; those of removed nodes stay
    // until they are more than half.
    std::vector<CellArea> m_areas;
    std::size_t m_deadAreas = 0;
    std::vector<CellArea> m_scratchAreas;
    // For each sheet and column, its formula cells: found by a binary search
    // of a flat array, and those of a range by one search per column.
    std::vector<std::vector<ColumnCells>> m_columns;
    // For each block of cells, the (node, area) pairs of the small areas
    // that touch it.
    std::unordered_map<std::uint64_t, std::vector<std::pair<Id, std::uint32_t>>> m_buckets;
    // The large areas, each once; for each sheet, the tall ones filed under
    // each of their columns and the wide ones under each of their rows, so
    // that the areas holding a cell are found among those of its column and
    // row alone.
    std::vector<LargeArea> m_large;
    std::vector<std::uint32_t> m_freeLarge;
    std::unordered_map<CellArea, std::uint32_t, CellAreaHash> m_largeIds;
    std::vector<std::vector<std::vector<std::uint32_t>>> m_tallByCol;
    std::vector<std::vector<std::vector<std::uint32_t>>> m_wideByRow;
    std::vector<Id> m_volatile;
    // The tree of each formula shape read since the graph was last read
    // whole: a column filled down holds one tree, not one per cell.
    std::unordered_map<std::string, std::shared_ptr<const ParsedFormula>> m_shapes;
    std::string m_shapeScratch;
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
