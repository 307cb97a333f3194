#include "platform/spreadsheet/FormulaEngine.h"

#include <algorithm>
#include <utility>

#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/SheetData.h"

namespace spreadsheet::detail {

namespace {

// Small areas of the dependency index are filed under each block of 16 rows
// by 8 columns they touch; larger ones (more than 64 such blocks) are held
// once each and filed by column or row.
constexpr std::int32_t kFineRows = 16;
constexpr std::int32_t kFineCols = 8;
constexpr std::int64_t kMostFineBlocks = 64;

std::uint64_t bucketKey(std::int32_t sheet, std::int32_t rowBucket, std::int32_t colBucket) noexcept
{
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(sheet)) << 32) |
           (static_cast<std::uint64_t>(rowBucket) << 16) | static_cast<std::uint64_t>(colBucket);
}

bool isLarge(const CellArea& a) noexcept
{
    const std::int64_t rows = (a.row2 - 1) / kFineRows - (a.row1 - 1) / kFineRows + 1;
    const std::int64_t cols = (a.col2 - 1) / kFineCols - (a.col1 - 1) / kFineCols + 1;
    return rows * cols > kMostFineBlocks;
}

// Filed by column unless it spans more columns than rows.
bool isTall(const CellArea& a) noexcept
{
    return a.row2 - a.row1 >= a.col2 - a.col1;
}

Cell* cellAt(std::vector<std::unique_ptr<SheetData>>& sheets, const CellKey& key)
{
    if (key.sheet < 0 || static_cast<std::size_t>(key.sheet) >= sheets.size())
        return nullptr;
    return const_cast<Cell*>(sheets[static_cast<std::size_t>(key.sheet)]->find(key.row, key.col));
}

// Where the row stands, or would stand, among a column's formula cells.
template <typename Cells>
auto rowIn(Cells& cells, std::int32_t row)
{
    return std::lower_bound(cells.begin(), cells.end(), row, [](const auto& e, std::int32_t r) { return e.first < r; });
}

// The list for index i (from 0), made room for.
template <typename T>
T& grownAt(std::vector<T>& v, std::size_t i)
{
    if (v.size() <= i)
        v.resize(i + 1);
    return v[i];
}

} // namespace

struct FormulaGraph::Node {
    CellKey key;
    // The cells it reads: m_areas[firstArea, firstArea + areaCount).
    std::uint32_t firstArea = 0;
    std::shared_ptr<const ParsedFormula> formula;  // null: the text cannot be read
    std::uint32_t areaCount = 0;
    // Per recalculation (epoch): marked to be computed, reached by the
    // walk, in a component not yet complete; the walk's numbers.
    std::uint32_t markEpoch = 0;
    std::uint32_t visitEpoch = 0;
    std::uint32_t openEpoch = 0;
    std::uint32_t order = 0;
    std::uint32_t low = 0;
    std::uint32_t stackAt = 0;
    bool readsItself = false;
    bool callsNow = false;
    bool alive = false;
};

FormulaGraph::FormulaGraph() = default;
FormulaGraph::~FormulaGraph() = default;

std::size_t FormulaGraph::size() const noexcept
{
    return m_count;
}

FormulaGraph::Id FormulaGraph::find(const CellKey& key) const noexcept
{
    if (key.sheet < 0 || static_cast<std::size_t>(key.sheet) >= m_columns.size())
        return kNone;
    const auto& columns = m_columns[static_cast<std::size_t>(key.sheet)];
    if (key.col < 1 || static_cast<std::size_t>(key.col) > columns.size())
        return kNone;
    const ColumnCells& cells = columns[static_cast<std::size_t>(key.col - 1)];
    const auto it = rowIn(cells, key.row);
    return it != cells.end() && it->first == key.row ? it->second : kNone;
}

FormulaGraph::ColumnCells& FormulaGraph::column(std::int32_t sheet, std::int32_t col)
{
    return grownAt(grownAt(m_columns, static_cast<std::size_t>(sheet)), static_cast<std::size_t>(col - 1));
}

template <typename Visit>
void FormulaGraph::forEachBucket(const CellArea& a, Visit&& visit) const
{
    for (std::int32_t rb = (a.row1 - 1) / kFineRows; rb <= (a.row2 - 1) / kFineRows; ++rb)
        for (std::int32_t cb = (a.col1 - 1) / kFineCols; cb <= (a.col2 - 1) / kFineCols; ++cb)
            visit(bucketKey(a.sheet, rb, cb));
}

template <typename Visit>
void FormulaGraph::forEachFiling(const CellArea& area, Visit&& visit)
{
    const auto sheet = static_cast<std::size_t>(area.sheet);
    if (isTall(area)) {
        auto& byCol = grownAt(m_tallByCol, sheet);
        for (std::int32_t c = area.col1; c <= area.col2; ++c)
            visit(grownAt(byCol, static_cast<std::size_t>(c - 1)));
    } else {
        auto& byRow = grownAt(m_wideByRow, sheet);
        for (std::int32_t r = area.row1; r <= area.row2; ++r)
            visit(grownAt(byRow, static_cast<std::size_t>(r - 1)));
    }
}

void FormulaGraph::addLargeReader(const CellArea& area, Id id)
{
    const auto [it, added] = m_largeIds.try_emplace(area, 0);
    if (added) {
        std::uint32_t at = 0;
        if (!m_freeLarge.empty()) {
            at = m_freeLarge.back();
            m_freeLarge.pop_back();
        } else {
            at = static_cast<std::uint32_t>(m_large.size());
            m_large.emplace_back();
        }
        it->second = at;
        m_large[at] = LargeArea{area, {}, 0};
        forEachFiling(area, [at](std::vector<std::uint32_t>& list) { list.push_back(at); });
    }
    m_large[it->second].readers.push_back(id);
}

void FormulaGraph::removeLargeReader(const CellArea& area, Id id)
{
    const auto it = m_largeIds.find(area);
    if (it == m_largeIds.end())
        return;
    const std::uint32_t at = it->second;
    auto& readers = m_large[at].readers;
    const auto r = std::find(readers.begin(), readers.end(), id);
    if (r != readers.end()) {
        *r = readers.back();
        readers.pop_back();
    }
    if (!readers.empty())
        return;
    forEachFiling(area, [at](std::vector<std::uint32_t>& list) { std::erase(list, at); });
    m_large[at] = LargeArea{};
    m_freeLarge.push_back(at);
    m_largeIds.erase(it);
}

template <typename Visit>
void FormulaGraph::forEachLargeAreaAt(const CellKey& x, Visit&& visit)
{
    const auto sheet = static_cast<std::size_t>(x.sheet);
    if (x.sheet >= 0 && sheet < m_tallByCol.size() && static_cast<std::size_t>(x.col) <= m_tallByCol[sheet].size())
        for (const std::uint32_t at : m_tallByCol[sheet][static_cast<std::size_t>(x.col - 1)])
            if (m_large[at].area.contains(x.sheet, x.row, x.col))
                visit(m_large[at]);
    if (x.sheet >= 0 && sheet < m_wideByRow.size() && static_cast<std::size_t>(x.row) <= m_wideByRow[sheet].size())
        for (const std::uint32_t at : m_wideByRow[sheet][static_cast<std::size_t>(x.row - 1)])
            if (m_large[at].area.contains(x.sheet, x.row, x.col))
                visit(m_large[at]);
}

std::shared_ptr<const ParsedFormula> FormulaGraph::sharedFormula(const std::string& text, std::int32_t row,
                                                                 std::int32_t col)
{
    if (!formulaShape(text, row, col, m_shapeScratch))
        return nullptr;  // a text refused before it is read
    if (m_shapes.size() > 1024 && m_shapes.size() > 2 * m_count) {
        // Edits left shapes that no formula has any more.
        std::erase_if(m_shapes, [](const auto& entry) { return entry.second.use_count() <= 1; });
    }
    const auto [it, added] = m_shapes.try_emplace(m_shapeScratch);
    if (added)
        it->second = parseFormulaOfCell(text, row, col).formula;
    return it->second;
}

void FormulaGraph::addNode(const std::vector<std::unique_ptr<SheetData>>& sheets, const CellKey& key,
                           const std::string& text)
{
    Id id = 0;
    if (!m_free.empty()) {
        id = m_free.back();
        m_free.pop_back();
    } else {
        id = static_cast<Id>(m_nodes.size());
        m_nodes.emplace_back();
    }
    if (m_deadAreas > 4096 && m_deadAreas > m_areas.size() / 2)
        compactAreas();
    Node& n = m_nodes[id];
    n = Node{};
    n.key = key;
    n.alive = true;
    n.formula = sharedFormula(text, key.row, key.col);
    m_scratchAreas.clear();
    if (n.formula)
        formulaAreas(*n.formula, sheets, m_names, key.sheet, key.row, key.col, m_scratchAreas, n.callsNow);
    n.firstArea = static_cast<std::uint32_t>(m_areas.size());
    n.areaCount = static_cast<std::uint32_t>(m_scratchAreas.size());
    m_areas.insert(m_areas.end(), m_scratchAreas.begin(), m_scratchAreas.end());
    for (std::uint32_t i = 0; i < n.areaCount; ++i) {
        const CellArea& a = m_areas[n.firstArea + i];
        if (isLarge(a))
            addLargeReader(a, id);
        else
            forEachBucket(a, [&](std::uint64_t b) { m_buckets[b].emplace_back(id, i); });
    }
    ColumnCells& cells = column(key.sheet, key.col);
    if (cells.empty() || cells.back().first < key.row) {
        cells.emplace_back(key.row, id);
    } else {
        cells.emplace(rowIn(cells, key.row), key.row, id);
    }
    if (n.callsNow)
        m_volatile.push_back(id);
    ++m_count;
}

void FormulaGraph::removeNode(Id id)
{
    Node& n = m_nodes[id];
    for (const CellArea& a : areasOf(n)) {
        if (isLarge(a)) {
            removeLargeReader(a, id);
            continue;
        }
        forEachBucket(a, [&](std::uint64_t b) {
            const auto it = m_buckets.find(b);
            if (it == m_buckets.end())
                return;
            auto& entries = it->second;
            entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == id; }),
                          entries.end());
            if (entries.empty())
                m_buckets.erase(it);
        });
    }
    if (n.callsNow)
        m_volatile.erase(std::remove(m_volatile.begin(), m_volatile.end(), id), m_volatile.end());
    ColumnCells& cells = column(n.key.sheet, n.key.col);
    const auto at = rowIn(cells, n.key.row);
    if (at != cells.end() && at->first == n.key.row)
        cells.erase(at);
    m_deadAreas += n.areaCount;
    n = Node{};
    m_free.push_back(id);
    --m_count;
}

std::span<const CellArea> FormulaGraph::areasOf(const Node& n) const noexcept
{
    return {m_areas.data() + n.firstArea, n.areaCount};
}

void FormulaGraph::compactAreas()
{
    std::vector<CellArea> kept;
    kept.reserve(m_areas.size() - m_deadAreas);
    for (Node& n : m_nodes) {
        if (!n.alive)
            continue;
        const auto from = areasOf(n);
        n.firstArea = static_cast<std::uint32_t>(kept.size());
        kept.insert(kept.end(), from.begin(), from.end());
    }
    m_areas = std::move(kept);
    m_deadAreas = 0;
}

template <typename Visit>
void FormulaGraph::forEachFormulaIn(const CellArea& a, Visit&& visit) const
{
    if (a.sheet < 0 || static_cast<std::size_t>(a.sheet) >= m_columns.size())
        return;  // no formula on that sheet
    const auto& columns = m_columns[static_cast<std::size_t>(a.sheet)];
    const std::int32_t lastCol = std::min(a.col2, static_cast<std::int32_t>(columns.size()));
    for (std::int32_t c = a.col1; c <= lastCol; ++c) {
        const ColumnCells& cells = columns[static_cast<std::size_t>(c - 1)];
        if (cells.empty() || cells.back().first < a.row1 || cells.front().first > a.row2)
            continue;
        for (auto it = rowIn(cells, a.row1); it != cells.end() && it->first <= a.row2; ++it)
            visit(it->second);
    }
}

void FormulaGraph::readAll(std::vector<std::unique_ptr<SheetData>>& sheets)
{
    m_nodes.clear();
    m_free.clear();
    m_count = 0;
    m_columns.clear();
    m_buckets.clear();
    m_large.clear();
    m_freeLarge.clear();
    m_largeIds.clear();
    m_tallByCol.clear();
    m_wideByRow.clear();
    m_volatile.clear();
    m_areas.clear();
    m_deadAreas = 0;
    m_shapes.clear();
    // The formula cells, found row by row as the cells lie, are read column
    // by column: a column filled down is stored in that order, so that
    // reading and computing them walks the memory in order.
    std::vector<CellKey> keys;
    std::vector<std::size_t> perColumn(static_cast<std::size_t>(kMaxCols) + 1);
    for (std::size_t si = 0; si < sheets.size(); ++si) {
        const SheetData& s = *sheets[si];
        const std::size_t first = keys.size();
        std::fill(perColumn.begin(), perColumn.end(), 0);
        for (std::size_t r = 0; r < s.rows.size(); ++r) {
            const auto& line = s.rows[r];
            for (std::size_t c = 0; c < line.size(); ++c) {
                if (!line[c].isFormula())
                    continue;
                keys.push_back(CellKey{static_cast<std::int32_t>(si), static_cast<std::int32_t>(c + 1),
                                       static_cast<std::int32_t>(r + 1)});
                ++perColumn[c + 1];
            }
        }
        // A counting sort by column keeps each column's rows in order.
        for (std::size_t c = 1; c < perColumn.size(); ++c)
            perColumn[c] += perColumn[c - 1];
        std::vector<CellKey> byColumn(keys.size() - first);
        for (std::size_t i = first; i < keys.size(); ++i)
            byColumn[perColumn[static_cast<std::size_t>(keys[i].col - 1)]++] = keys[i];
        std::copy(byColumn.begin(), byColumn.end(), keys.begin() + static_cast<std::ptrdiff_t>(first));
    }
    m_nodes.reserve(keys.size());
    m_areas.reserve(2 * keys.size());
    for (const CellKey& key : keys)
        addNode(sheets, key, cellAt(sheets, key)->formula());
}

void FormulaGraph::computeAll(std::vector<std::unique_ptr<SheetData>>& sheets)
{
    ++m_epoch;
    std::vector<Id> marked;
    marked.reserve(m_count);
    for (Id id = 0; id < m_nodes.size(); ++id) {
        if (!m_nodes[id].alive)
            continue;
        m_nodes[id].markEpoch = m_epoch;
        marked.push_back(id);
    }
    computeMarked(sheets, marked);
}

void FormulaGraph::recalculateAll(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<DefinedName>& names)
{
    m_names = NameTable(sheets, names);
    readAll(sheets);
    computeAll(sheets);
}

void FormulaGraph::recalculateChanged(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<CellKey>& changed,
                                      bool everything)
{
    if (changed.size() > kMostChangesApart) {
        // Cheaper to read every formula again; the names stay as they were read.
        readAll(sheets);
        computeAll(sheets);
        return;
    }
    // The graph follows the changed cells' formulas, each read again.
    for (const CellKey& key : changed) {
        const Cell* cell = cellAt(sheets, key);
        if (const Id id = find(key); id != kNone)
            removeNode(id);
        if (cell != nullptr && cell->isFormula())
            addNode(sheets, key, cell->formula());
    }
    if (everything) {
        computeAll(sheets);
        return;
    }
    // Everything that depends on them, breadth first.
    ++m_epoch;
    std::vector<Id> marked;
    std::vector<CellKey> queue;
    const auto mark = [&](Id id) {
        Node& n = m_nodes[id];
        if (n.markEpoch == m_epoch)
            return;
        n.markEpoch = m_epoch;
        marked.push_back(id);
        queue.push_back(n.key);
    };
    for (const CellKey& key : changed) {
        if (const Id id = find(key); id != kNone)
            mark(id);
        else
            queue.push_back(key);
    }
    for (const Id id : m_volatile)
        mark(id);
    for (std::size_t q = 0; q < queue.size(); ++q) {
        const CellKey x = queue[q];
        const auto b = m_buckets.find(bucketKey(x.sheet, (x.row - 1) / kFineRows, (x.col - 1) / kFineCols));
        if (b != m_buckets.end())
            for (const auto& [id, area] : b->second)
                if (m_nodes[id].markEpoch != m_epoch && m_areas[m_nodes[id].firstArea + area].contains(x.sheet, x.row, x.col))
                    mark(id);
        // A large area's readers are all marked the first time one of its cells is met.
        forEachLargeAreaAt(x, [&](LargeArea& large) {
            if (large.markEpoch == m_epoch)
                return;
            large.markEpoch = m_epoch;
            for (const Id id : large.readers)
                mark(id);
        });
    }
    computeMarked(sheets, marked);
}

void FormulaGraph::prefetchAhead(const std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<Id>& marked,
                                 std::size_t at) const noexcept
{
    // With many formulas, fetching a formula's cell, its row and its tree
    // from memory takes longer than computing it: the cell, the start of its
    // row and the tree of the formula 16 ahead are asked for, then the side
    // object of the cell and the lists of the tree of the one 8 ahead, found
    // through what was asked for 8 formulas ago.
    constexpr std::size_t kFirstAhead = 16;
    constexpr std::size_t kSecondAhead = 8;
    const auto cellOf = [&](const Node& n, bool first) -> const Cell* {
        const SheetData& s = *sheets[static_cast<std::size_t>(n.key.sheet)];
        if (static_cast<std::size_t>(n.key.row) > s.rows.size())
            return nullptr;
        const auto& line = s.rows[static_cast<std::size_t>(n.key.row - 1)];
        if (static_cast<std::size_t>(n.key.col) > line.size())
            return nullptr;
        if (first)
            __builtin_prefetch(line.data());
        return line.data() + (n.key.col - 1);
    };
    if (at + kFirstAhead < marked.size()) {
        const Node& n = m_nodes[marked[at + kFirstAhead]];
        __builtin_prefetch(cellOf(n, true));
        __builtin_prefetch(n.formula.get());
    }
    if (at + kSecondAhead < marked.size()) {
        const Node& n = m_nodes[marked[at + kSecondAhead]];
        if (const Cell* cell = cellOf(n, false))
            cell->prefetch();
        if (n.formula) {
            __builtin_prefetch(n.formula->nodes.data());
            __builtin_prefetch(n.formula->kids.data());
            __builtin_prefetch(n.formula->ops.data());
            __builtin_prefetch(n.formula->refs.data());
        }
    }
}

void FormulaGraph::computeMarked(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<Id>& marked)
{
    // Tarjan's strongly connected components (Tarjan 1972), walked with
    // stacks of our own so that a chain of any length costs no recursion.
    // An edge leads from a formula to each marked formula it reads, so a
    // component is complete only after every component it reads: each is
    // computed as it completes, precedents first. A component of more than
    // one formula, or of one that reads its own cell, is a circle, found
    // whole whatever formula the walk started from: all its formulas give
    // #REF!, and the formulas reading them compute from that.
    struct Frame {
        Id id;
        std::size_t first;  // its precedents still to visit are pending[next, end)
        std::size_t next;
        std::size_t end;
    };
    const std::uint32_t epoch = m_epoch;
    m_aggregates.clear();
    std::vector<Frame> calls;
    std::vector<Id> pending;
    std::vector<Id> open;  // the components not yet complete, in the order reached
    std::uint32_t reached = 0;
    const auto push = [&](Id id) {
        Node& n = m_nodes[id];
        n.visitEpoch = epoch;
        n.openEpoch = epoch;
        n.order = n.low = reached++;
        n.readsItself = false;
        n.stackAt = static_cast<std::uint32_t>(open.size());
        open.push_back(id);
        const std::size_t first = pending.size();
        for (const CellArea& a : areasOf(n))
            forEachFormulaIn(a, [&](Id p) {
                if (p == id)
                    m_nodes[id].readsItself = true;
                else if (m_nodes[p].markEpoch == epoch)
                    pending.push_back(p);
            });
        calls.push_back(Frame{id, first, first, pending.size()});
    };
    const auto compute = [&](const Node& n, bool onCircle) {
        Cell* cell = cellAt(sheets, n.key);
        if (cell == nullptr || !cell->isFormula())
            return;
        if (onCircle)
            cell->setFormulaResult(Value::error(CellError::Ref));
        else if (!n.formula)
            cell->setFormulaResult(Value::error(CellError::Name));
        else
            cell->setFormulaResult(
                evaluateFormula(*n.formula, sheets, m_names, n.key.sheet, n.key.row, n.key.col, &m_aggregates));
    };
    for (std::size_t i = 0; i < marked.size(); ++i) {
        prefetchAhead(sheets, marked, i);
        const Id root = marked[i];
        if (m_nodes[root].visitEpoch == epoch)
            continue;
        push(root);
        while (!calls.empty()) {
            Frame& top = calls.back();
            if (top.next < top.end) {
                const Id p = pending[top.next++];
                const Node& pn = m_nodes[p];
                if (pn.visitEpoch != epoch) {
                    push(p);
                } else if (pn.openEpoch == epoch) {
                    Node& n = m_nodes[top.id];
                    n.low = std::min(n.low, pn.order);
                }
                continue;
            }
            const Id id = top.id;
            pending.resize(top.first);
            calls.pop_back();
            const Node& n = m_nodes[id];
            if (!calls.empty()) {
                Node& caller = m_nodes[calls.back().id];
                caller.low = std::min(caller.low, n.low);
            }
            if (n.low != n.order)
                continue;
            // The component that id opened is complete.
            const std::size_t at = n.stackAt;
            const bool onCircle = open.size() - at > 1 || n.readsItself;
            for (std::size_t i = at; i < open.size(); ++i) {
                Node& member = m_nodes[open[i]];
                member.openEpoch = 0;
                compute(member, onCircle);
            }
            open.resize(at);
        }
    }
}

void calculateOne(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<DefinedName>& names,
                  std::int32_t sheet, std::int32_t row, std::int32_t col)
{
    Cell* cell = cellAt(sheets, CellKey{sheet, col, row});
    if (cell == nullptr || !cell->isFormula())
        return;
    const FormulaParseResult parsed = parseFormula(cell->formula());
    if (!parsed.formula) {
        cell->setFormulaResult(Value::error(CellError::Name));
        return;
    }
    const NameTable table(sheets, names);
    std::vector<CellArea> areas;
    bool callsNow = false;
    formulaAreas(*parsed.formula, sheets, table, sheet, row, col, areas, callsNow);
    // A formula reading itself is a circle of its own.
    for (const CellArea& a : areas) {
        if (a.contains(sheet, row, col)) {
            cell->setFormulaResult(Value::error(CellError::Ref));
            return;
        }
    }
    cell->setFormulaResult(evaluateFormula(*parsed.formula, sheets, table, sheet, row, col));
}

bool engineReadsAsName(std::string_view word)
{
    if (word.empty() || !isCleanFormulaText(word) || isWorksheetFunctionName(word))
        return false;
    std::int64_t row = 0;
    std::int64_t col = 0;
    if (readCellShape(word, row, col) && row >= 1 && row <= kMaxRows && col >= 1 && col <= kMaxCols)
        return false;
    const FormulaParseResult parsed = parseFormula(word);
    return parsed.formula && parsed.formula->nodes.size() == 1 &&
           parsed.formula->nodes[0].kind == FormulaNode::Kind::Name;
}

bool engineParses(std::string_view formula, const std::vector<std::string>& sheetNames)
{
    const FormulaParseResult parsed = parseFormula(formula);
    if (!parsed.formula)
        return false;
    for (const FormulaRefPart& r : parsed.formula->refs)
        if (!r.sheet.empty() && std::find(sheetNames.begin(), sheetNames.end(), r.sheet) == sheetNames.end())
            return false;
    return true;
}

} // namespace spreadsheet::detail
