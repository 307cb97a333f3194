#include "platform/spreadsheet/FormulaEngine.h"

#include <algorithm>
#include <utility>

#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/SheetData.h"

namespace spreadsheet::detail {

namespace {

// The blocks of the dependency index: small areas are filed under each
// block of 16 rows by 8 columns they touch, large ones (more than 64 such
// blocks) under blocks of 1,024 rows by 64 columns.
constexpr std::int32_t kFineRows = 16;
constexpr std::int32_t kFineCols = 8;
constexpr std::int32_t kCoarseRows = 1024;
constexpr std::int32_t kCoarseCols = 64;
constexpr std::int64_t kMostFineBlocks = 64;
// More cells changed at once than this are computed as a whole.
constexpr std::size_t kMostChangesApart = 20000;

std::uint64_t bucketKey(bool coarse, std::int32_t sheet, std::int32_t rowBucket, std::int32_t colBucket) noexcept
{
    return (coarse ? 1ULL << 62 : 0ULL) | (static_cast<std::uint64_t>(static_cast<std::uint32_t>(sheet)) << 32) |
           (static_cast<std::uint64_t>(rowBucket) << 16) | static_cast<std::uint64_t>(colBucket);
}

bool isLarge(const CellArea& a) noexcept
{
    const std::int64_t rows = (a.row2 - 1) / kFineRows - (a.row1 - 1) / kFineRows + 1;
    const std::int64_t cols = (a.col2 - 1) / kFineCols - (a.col1 - 1) / kFineCols + 1;
    return rows * cols > kMostFineBlocks;
}

Cell* cellAt(std::vector<std::unique_ptr<SheetData>>& sheets, const CellKey& key)
{
    if (key.sheet < 0 || static_cast<std::size_t>(key.sheet) >= sheets.size())
        return nullptr;
    return const_cast<Cell*>(sheets[static_cast<std::size_t>(key.sheet)]->find(key.row, key.col));
}

} // namespace

struct FormulaGraph::Node {
    CellKey key;
    std::string text;
    std::shared_ptr<const ParsedFormula> formula;  // null: the text cannot be read
    std::vector<CellArea> areas;
    bool callsNow = false;
    bool alive = false;
    // Per recalculation (epoch): marked to be computed, on the stack, done.
    std::uint32_t markEpoch = 0;
    std::uint32_t doneEpoch = 0;
    std::uint32_t activeEpoch = 0;
    std::uint32_t cycleEpoch = 0;
    std::size_t stackAt = 0;
};

FormulaGraph::FormulaGraph() = default;
FormulaGraph::~FormulaGraph() = default;

std::size_t FormulaGraph::size() const noexcept
{
    return m_index.size();
}

template <typename Visit>
void FormulaGraph::forEachBucket(const CellArea& a, Visit&& visit) const
{
    const bool coarse = isLarge(a);
    const std::int32_t rows = coarse ? kCoarseRows : kFineRows;
    const std::int32_t cols = coarse ? kCoarseCols : kFineCols;
    for (std::int32_t rb = (a.row1 - 1) / rows; rb <= (a.row2 - 1) / rows; ++rb)
        for (std::int32_t cb = (a.col1 - 1) / cols; cb <= (a.col2 - 1) / cols; ++cb)
            visit(bucketKey(coarse, a.sheet, rb, cb));
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
    Node& n = m_nodes[id];
    n = Node{};
    n.key = key;
    n.text = text;
    n.alive = true;
    n.formula = parseFormula(text).formula;
    if (n.formula)
        formulaAreas(*n.formula, sheets, m_names, key.sheet, n.areas, n.callsNow);
    for (std::uint32_t i = 0; i < n.areas.size(); ++i)
        forEachBucket(n.areas[i], [&](std::uint64_t b) { m_buckets[b].emplace_back(id, i); });
    if (m_rowSpans.size() <= static_cast<std::size_t>(key.sheet))
        m_rowSpans.resize(static_cast<std::size_t>(key.sheet) + 1);
    auto& spans = m_rowSpans[static_cast<std::size_t>(key.sheet)];
    if (spans.size() < static_cast<std::size_t>(key.row))
        spans.resize(static_cast<std::size_t>(key.row), {std::int16_t{kMaxCols + 1}, std::int16_t{0}});
    auto& span = spans[static_cast<std::size_t>(key.row - 1)];
    span.first = std::min<std::int16_t>(span.first, static_cast<std::int16_t>(key.col));
    span.second = std::max<std::int16_t>(span.second, static_cast<std::int16_t>(key.col));
    if (n.callsNow)
        m_volatile.push_back(id);
    m_index[key] = id;
}

void FormulaGraph::removeNode(Id id)
{
    Node& n = m_nodes[id];
    for (const CellArea& a : n.areas) {
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
    m_index.erase(n.key);
    n = Node{};
    m_free.push_back(id);
}

template <typename Visit>
void FormulaGraph::forEachFormulaIn(const std::vector<std::unique_ptr<SheetData>>& sheets, const CellArea& a,
                                    Visit&& visit) const
{
    if (a.sheet < 0 || static_cast<std::size_t>(a.sheet) >= sheets.size())
        return;
    if (static_cast<std::size_t>(a.sheet) >= m_rowSpans.size())
        return;  // no formula on that sheet
    const auto& spans = m_rowSpans[static_cast<std::size_t>(a.sheet)];
    const SheetData& s = *sheets[static_cast<std::size_t>(a.sheet)];
    const auto lastRow = std::min<std::int64_t>(
        a.row2, static_cast<std::int64_t>(std::min(s.rows.size(), spans.size())));
    if (lastRow < a.row1)
        return;
    const std::int64_t cells = (lastRow - a.row1 + 1) * (a.col2 - a.col1 + 1);
    if (cells <= 32 * (a.col2 - a.col1 + 1) || cells <= 4096) {
        // A small area: its rows' formula columns, read directly.
        for (std::int64_t r = a.row1; r <= lastRow; ++r) {
            const auto& span = spans[static_cast<std::size_t>(r - 1)];
            const std::int64_t firstCol = std::max<std::int64_t>(a.col1, span.first);
            if (firstCol > std::min<std::int64_t>(a.col2, span.second))
                continue;
            const auto& line = s.rows[static_cast<std::size_t>(r - 1)];
            const auto lastCol =
                std::min<std::int64_t>({a.col2, span.second, static_cast<std::int64_t>(line.size())});
            for (std::int64_t c = firstCol; c <= lastCol; ++c) {
                if (!line[static_cast<std::size_t>(c - 1)].isFormula())
                    continue;
                const auto it = m_index.find(CellKey{a.sheet, static_cast<std::int32_t>(c), static_cast<std::int32_t>(r)});
                if (it != m_index.end())
                    visit(it->second);
            }
        }
        return;
    }
    // A large one: the formula cells of each of its columns, from the index.
    for (std::int32_t c = a.col1; c <= a.col2; ++c) {
        for (auto it = m_index.lower_bound(CellKey{a.sheet, c, a.row1});
             it != m_index.end() && it->first.sheet == a.sheet && it->first.col == c && it->first.row <= a.row2; ++it)
            visit(it->second);
    }
}

void FormulaGraph::readAll(const std::vector<std::unique_ptr<SheetData>>& sheets)
{
    m_nodes.clear();
    m_free.clear();
    m_index.clear();
    m_buckets.clear();
    m_volatile.clear();
    m_rowSpans.clear();
    for (std::size_t si = 0; si < sheets.size(); ++si) {
        const SheetData& s = *sheets[si];
        for (std::size_t r = 0; r < s.rows.size(); ++r) {
            const auto& line = s.rows[r];
            for (std::size_t c = 0; c < line.size(); ++c)
                if (line[c].isFormula())
                    addNode(sheets,
                            CellKey{static_cast<std::int32_t>(si), static_cast<std::int32_t>(c + 1),
                                    static_cast<std::int32_t>(r + 1)},
                            line[c].formula());
        }
    }
}

void FormulaGraph::computeAll(std::vector<std::unique_ptr<SheetData>>& sheets)
{
    ++m_epoch;
    std::vector<Id> marked;
    marked.reserve(m_index.size());
    for (const auto& [key, id] : m_index) {
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
    // The graph follows the changed cells' formulas.
    for (const CellKey& key : changed) {
        const Cell* cell = cellAt(sheets, key);
        const auto it = m_index.find(key);
        const bool isFormula = cell != nullptr && cell->isFormula();
        if (it != m_index.end() && (!isFormula || m_nodes[it->second].text != cell->formula()))
            removeNode(it->second);
        if (isFormula && m_index.find(key) == m_index.end())
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
        const auto it = m_index.find(key);
        if (it != m_index.end())
            mark(it->second);
        else
            queue.push_back(key);
    }
    for (const Id id : m_volatile)
        mark(id);
    for (std::size_t q = 0; q < queue.size(); ++q) {
        const CellKey x = queue[q];
        for (const bool coarse : {false, true}) {
            const std::int32_t rows = coarse ? kCoarseRows : kFineRows;
            const std::int32_t cols = coarse ? kCoarseCols : kFineCols;
            const auto b = m_buckets.find(bucketKey(coarse, x.sheet, (x.row - 1) / rows, (x.col - 1) / cols));
            if (b == m_buckets.end())
                continue;
            for (const auto& [id, area] : b->second)
                if (m_nodes[id].markEpoch != m_epoch && m_nodes[id].areas[area].contains(x.sheet, x.row, x.col))
                    mark(id);
        }
    }
    computeMarked(sheets, marked);
}

void FormulaGraph::computeMarked(std::vector<std::unique_ptr<SheetData>>& sheets, const std::vector<Id>& marked)
{
    // The stack of formulas being ordered; the precedents each has still to
    // visit are kept in one list, a frame's from `next` to `end`, those of
    // the frames above it after them.
    struct Frame {
        Id id;
        std::size_t first;
        std::size_t next;
        std::size_t end;
    };
    const std::uint32_t epoch = m_epoch;
    m_aggregates.clear();
    std::vector<Frame> stack;
    std::vector<Id> pending;
    const auto push = [&](Id id) {
        Node& n = m_nodes[id];
        n.activeEpoch = epoch;
        n.stackAt = stack.size();
        const std::size_t first = pending.size();
        for (const CellArea& a : n.areas)
            forEachFormulaIn(sheets, a, [&](Id p) {
                if (m_nodes[p].markEpoch == epoch && m_nodes[p].doneEpoch != epoch)
                    pending.push_back(p);
            });
        stack.push_back(Frame{id, first, first, pending.size()});
    };
    for (const Id root : marked) {
        if (m_nodes[root].doneEpoch == epoch)
            continue;
        push(root);
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.next < top.end) {
                const Id p = pending[top.next++];
                Node& pn = m_nodes[p];
                if (pn.doneEpoch == epoch)
                    continue;
                if (pn.activeEpoch == epoch) {
                    // A circle: every formula on the stack from p on is on it.
                    for (std::size_t i = pn.stackAt; i < stack.size(); ++i)
                        m_nodes[stack[i].id].cycleEpoch = epoch;
                    continue;
                }
                push(p);
                continue;
            }
            Node& n = m_nodes[top.id];
            Cell* cell = cellAt(sheets, n.key);
            if (cell != nullptr && cell->isFormula()) {
                if (n.cycleEpoch == epoch)
                    cell->setFormulaResult(Value::error(CellError::Ref));
                else if (!n.formula)
                    cell->setFormulaResult(Value::error(CellError::Name));
                else
                    cell->setFormulaResult(
                        evaluateFormula(*n.formula, sheets, m_names, n.key.sheet, n.key.row, n.key.col, &m_aggregates));
            }
            n.doneEpoch = epoch;
            n.activeEpoch = 0;
            pending.resize(top.first);
            stack.pop_back();
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
    formulaAreas(*parsed.formula, sheets, table, sheet, areas, callsNow);
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
