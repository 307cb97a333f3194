// The workbook's editing commands: sorting, clipboard text at the sheet's
// edge, fill, delete, find and replace.

#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/SheetFormat.h"

#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"
#include "tests/support/ErrorAssert.h"

namespace {

using spreadsheet::RangeRef;
using spreadsheet::Value;
using spreadsheet::Workbook;

// Rows of entries as typed, from (row, col) on.
void fill(Workbook& wb, std::int32_t row, std::int32_t col, const std::vector<std::vector<std::string>>& rows)
{
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            wb.setCellEntry(1, row + static_cast<std::int32_t>(r), col + static_cast<std::int32_t>(c), rows[r][c]);
}

std::vector<std::string> rowTexts(const Workbook& wb, std::int32_t row, std::int32_t c1, std::int32_t c2)
{
    std::vector<std::string> out;
    for (std::int32_t c = c1; c <= c2; ++c)
        out.push_back(wb.cellEntryText(1, row, c));
    return out;
}

// A gene table in B2:D6 with a label column beside it in A (kept out of the sort).
Workbook geneTable()
{
    Workbook wb;
    fill(wb, 2, 2,
         {{"YAL001C", "3.5", "x"}, {"YAL002W", "-1", ""}, {"YAL003W", "", "y"}, {"YAL004C", "10", "z"},
          {"YAL005C", "3.5", "w"}});
    return wb;
}

struct SortCase {
    const char* name;
    std::int32_t key1;
    std::int32_t key2;
    std::vector<std::string> firstColumn;  // B2:B6 after the sort
};

TEST(WorkbookSort, RowsMoveWholeInKeyOrder)
{
    const SortCase cases[] = {
        {"ascending by the values, equal keys keep their order, empty last", 2, 0,
         {"YAL002W", "YAL001C", "YAL005C", "YAL004C", "YAL003W"}},
        {"descending by the values, empty still last", -2, 0, {"YAL004C", "YAL001C", "YAL005C", "YAL002W", "YAL003W"}},
        {"by the names descending", -1, 0, {"YAL005C", "YAL004C", "YAL003W", "YAL002W", "YAL001C"}},
        {"second key breaks the tie", 2, -3, {"YAL002W", "YAL001C", "YAL005C", "YAL004C", "YAL003W"}},
        {"second key ascending on the tie", 2, 3, {"YAL002W", "YAL005C", "YAL001C", "YAL004C", "YAL003W"}},
    };
    for (const SortCase& c : cases) {
        Workbook wb = geneTable();
        std::vector<std::vector<std::string>> before;
        for (std::int32_t r = 2; r <= 6; ++r)
            before.push_back(rowTexts(wb, r, 2, 4));
        wb.Sort3(2, 2, 6, 4, true, c.key1, c.key2, 0);
        for (std::int32_t r = 2; r <= 6; ++r) {
            const std::vector<std::string> now = rowTexts(wb, r, 2, 4);
            EXPECT_EQ(now[0], c.firstColumn[static_cast<std::size_t>(r - 2)]) << c.name << ", row " << r;
            // The row is one of the original rows, whole.
            bool whole = false;
            for (const auto& old : before)
                whole = whole || old == now;
            EXPECT_TRUE(whole) << c.name << ", row " << r;
        }
    }
}

TEST(WorkbookSort, FormulasMoveWithTheirRowsAndNothingOutsideTheBlockMoves)
{
    Workbook wb;
    fill(wb, 1, 1, {{"b", "2", "=B1*10"}, {"a", "1", "=B2*10"}, {"c", "3", "=B3*10"}});
    wb.setCellEntry(1, 1, 4, "outside");
    wb.Sort3(1, 1, 3, 3, true, 1, 0, 0);
    EXPECT_EQ(rowTexts(wb, 1, 1, 3), (std::vector<std::string>{"a", "1", "=B1*10"}));
    EXPECT_EQ(wb.cellValue(1, 1, 3), Value(10.0));
    EXPECT_EQ(wb.cellValue(1, 2, 3), Value(20.0));
    EXPECT_EQ(wb.cellValue(1, 3, 3), Value(30.0));
    EXPECT_EQ(wb.cellEntryText(1, 1, 4), "outside");
}

TEST(WorkbookSort, AscendingThenDescendingReversesRowsThatDiffer)
{
    Workbook wb;
    fill(wb, 1, 1, {{"3", "c"}, {"1", "a"}, {"2", "b"}});
    wb.Sort3(1, 1, 3, 2, true, 1, 0, 0);
    const std::vector<std::string> up{wb.cellEntryText(1, 1, 2), wb.cellEntryText(1, 2, 2), wb.cellEntryText(1, 3, 2)};
    wb.Sort3(1, 1, 3, 2, true, -1, 0, 0);
    EXPECT_EQ(up, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(rowTexts(wb, 1, 1, 2), (std::vector<std::string>{"3", "c"}));
    EXPECT_EQ(rowTexts(wb, 3, 1, 2), (std::vector<std::string>{"1", "a"}));
}

TEST(WorkbookSort, ByColumnsReordersColumnsByAKeyRow)
{
    Workbook wb;
    fill(wb, 1, 1, {{"z", "x", "y"}, {"1", "2", "3"}});
    wb.Sort3(1, 1, 2, 3, false, 1, 0, 0);
    EXPECT_EQ(rowTexts(wb, 1, 1, 3), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(rowTexts(wb, 2, 1, 3), (std::vector<std::string>{"2", "3", "1"}));
}

// A sheet's formats and layout as they stand, cell by cell, to compare a
// sorted sheet against.
struct LineLook {
    std::vector<spreadsheet::CellFormat> cells;
    bool hasSize = false;
    double size = 0;
    bool hidden = false;
};

// A row (byRows) or a column of the active sheet over cells from..to across.
LineLook lineLook(const Workbook& wb, bool byRows, std::int32_t line, std::int32_t from, std::int32_t to)
{
    const spreadsheet::SheetFormat& f = wb.sheetFormat(1);
    LineLook look = byRows ? LineLook{{}, f.hasRowHeight(line), f.storedRowHeight(line), f.isRowHidden(line)}
                           : LineLook{{}, f.hasColWidth(line), f.storedColWidth(line), f.isColHidden(line)};
    for (std::int32_t k = from; k <= to; ++k)
        look.cells.push_back(byRows ? f.format(line, k) : f.format(k, line));
    return look;
}

bool operator==(const LineLook& a, const LineLook& b)
{
    return a.cells == b.cells && a.hasSize == b.hasSize && (!a.hasSize || a.size == b.size) && a.hidden == b.hidden;
}

// Random formats from a small palette (ties between cells are common), and
// random line sizes and hidden flags.
void formatAtRandom(Workbook& wb, std::mt19937& rng, std::int32_t r1, std::int32_t c1, std::int32_t r2,
                    std::int32_t c2)
{
    const std::vector<std::function<void(spreadsheet::CellFormat&)>> palette = {
        [](spreadsheet::CellFormat&) {},
        [](spreadsheet::CellFormat& f) { f.bold = true; },
        [](spreadsheet::CellFormat& f) { f.fontColor = 0x0000FF; },
        [](spreadsheet::CellFormat& f) { f.numberFormat = "m/d/yy"; },
        [](spreadsheet::CellFormat& f) { f.fill = 0x00FFFF; f.italic = true; },
    };
    std::uniform_int_distribution<std::size_t> pick(0, palette.size() - 1);
    wb.editSheetFormat(1, [&](spreadsheet::SheetFormat& f) {
        for (std::int32_t r = r1; r <= r2; ++r)
            for (std::int32_t c = c1; c <= c2; ++c)
                f.change(RangeRef{r, c, r, c}, palette[pick(rng)]);
    });
    std::uniform_int_distribution<int> coin(0, 3);
    for (std::int32_t r = r1; r <= r2; ++r) {
        if (coin(rng) == 0)
            wb.SetRowHeight(r, r, 10 + coin(rng) * 7);
        if (coin(rng) == 0)
            wb.SetRowHidden(r, r, true);
    }
    for (std::int32_t c = c1; c <= c2; ++c) {
        if (coin(rng) == 0)
            wb.SetColWidth(c, c, 4 + coin(rng) * 5);
        if (coin(rng) == 0)
            wb.SetColHidden(c, c, true);
    }
}

TEST(WorkbookSort, FormatsLineSizesAndHiddenFlagsMoveWithTheirLines)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 20; ++round) {
        const bool byRows = round % 2 == 0;
        const std::int32_t n = 3 + static_cast<std::int32_t>(rng() % 30);  // lines with values
        // The block starts at B2: its first line across holds the key (small
        // numbers, some empty), the second a unique label; the block is two
        // lines wider than the values and three lines longer, and one line
        // on each side of it is formatted too.
        Workbook wb;
        std::uniform_int_distribution<int> key(0, 6);
        for (std::int32_t i = 0; i < n; ++i) {
            const int k = key(rng);
            const std::string keyText = k == 6 ? std::string() : std::to_string(k);
            const std::string label = "L" + std::to_string(i);
            if (byRows) {
                wb.setCellEntry(1, 2 + i, 2, keyText);
                wb.setCellEntry(1, 2 + i, 3, label);
            } else {
                wb.setCellEntry(1, 2, 2 + i, keyText);
                wb.setCellEntry(1, 3, 2 + i, label);
            }
        }
        const std::int32_t across = 4;          // B..E (rows) or rows 2..5 (columns)
        const std::int32_t along = n + 3;       // lines of the block
        const std::int32_t r2 = byRows ? 1 + along : 1 + across;
        const std::int32_t c2 = byRows ? 1 + across : 1 + along;
        formatAtRandom(wb, rng, 1, 1, r2 + 1, c2 + 1);
        const auto look = [&](std::int32_t line) {
            return lineLook(wb, byRows, line, 1, byRows ? c2 + 1 : r2 + 1);
        };
        std::vector<LineLook> before;
        for (std::int32_t line = 1; line <= along + 2; ++line)
            before.push_back(look(line));

        wb.Sort3(2, 2, r2, c2, byRows, 1, 0, 0);

        const std::string what = std::string(byRows ? "rows" : "columns") + ", round " + std::to_string(round);
        for (std::int32_t line = 1; line <= along + 2; ++line) {
            const std::string label = byRows ? wb.cellEntryText(1, line, 3) : wb.cellEntryText(1, 3, line);
            const bool sorted = line >= 2 && line < 2 + n;
            ASSERT_EQ(label.empty(), !sorted) << what << ", line " << line;
            // The line with label "Lk" came from line 2 + k.
            const std::int32_t from = sorted ? 2 + std::stoi(label.substr(1)) : line;
            LineLook expected = before[static_cast<std::size_t>(from - 1)];
            const LineLook& stayed = before[static_cast<std::size_t>(line - 1)];
            // The cells outside the block stay where they were.
            expected.cells.front() = stayed.cells.front();
            expected.cells.back() = stayed.cells.back();
            EXPECT_TRUE(look(line) == expected) << what << ", line " << line << " (from " << from << ")";
        }
    }
}

TEST(WorkbookSort, RefusalsLeaveTheSheetUnchanged)
{
    struct Refusal {
        const char* name;
        std::int32_t key;
    };
    for (const Refusal& r : {Refusal{"key column mixes a label with numbers", 1}, Refusal{"key outside the block", 3}}) {
        Workbook wb;
        fill(wb, 1, 1, {{"Gene", "t1"}, {"2", "b"}, {"1", "a"}});
        wb.setChanged(false);
        std::string description;
        EXPECT_EQ(testsupport::errorNumber([&] { wb.Sort3(1, 1, 3, 2, true, r.key, 0, 0); }, nullptr, &description),
                  5)
            << r.name;
        EXPECT_FALSE(description.empty()) << r.name;
        EXPECT_EQ(rowTexts(wb, 1, 1, 2), (std::vector<std::string>{"Gene", "t1"})) << r.name;
        EXPECT_EQ(rowTexts(wb, 2, 1, 2), (std::vector<std::string>{"2", "b"})) << r.name;
        EXPECT_FALSE(wb.isChanged()) << r.name;
    }
}

TEST(WorkbookSort, WholeColumnSelectionSortsOnlyTheUsedRows)
{
    Workbook wb;
    fill(wb, 1, 1, {{"2", "b"}, {"1", "a"}});
    wb.Sort3(1, 1, spreadsheet::kMaxRows, spreadsheet::kMaxCols, true, 1, 0, 0);
    EXPECT_EQ(rowTexts(wb, 1, 1, 2), (std::vector<std::string>{"1", "a"}));
    EXPECT_EQ(wb.lastUsedRow(), 2);
}

TEST(WorkbookSort, DataBesideTheBlockIsNoticed)
{
    Workbook wb = geneTable();
    EXPECT_FALSE(wb.hasDataBeside(RangeRef{2, 2, 6, 4}, true));
    EXPECT_TRUE(wb.hasDataBeside(RangeRef{2, 2, 6, 3}, true));   // column D goes on
    EXPECT_TRUE(wb.hasDataBeside(RangeRef{2, 3, 6, 4}, true));   // column B goes on
    EXPECT_TRUE(wb.hasDataBeside(RangeRef{3, 2, 6, 4}, false));  // row 2 above the columns
}

TEST(WorkbookClip, NumbersGoOutInFullAndComeBackEqual)
{
    Workbook wb;
    wb.setCellValue(1, 1, 1, Value(0.1 + 0.2));
    wb.setCellValue(1, 1, 2, Value(1.0 / 3.0));
    wb.setSelection(1, 1, 1, 2);
    const std::string text = wb.Clip();
    wb.setSelection(2, 1, 2, 1);
    wb.setClip(text);
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value(0.1 + 0.2));
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(1.0 / 3.0));
}

TEST(WorkbookClip, TextRunningOffTheSheetIsRefusedWholeAndChangesNothing)
{
    struct Edge {
        const char* name;
        std::int32_t row;
        std::int32_t col;
        const char* text;
        bool fits;
    };
    const Edge edges[] = {
        {"two columns at the last column", 1, spreadsheet::kMaxCols, "1\t2\r\n", false},
        {"one column at the last column", 1, spreadsheet::kMaxCols, "1\r\n2\r\n", true},
        {"two rows at the last row", spreadsheet::kMaxRows, 1, "1\r\n2\r\n", false},
        {"one row at the last row, final break", spreadsheet::kMaxRows, 1, "1\t2\r\n", true},
        {"ragged lines: the widest counts", 1, spreadsheet::kMaxCols - 1, "1\n2\t3\t4\n", false},
    };
    for (const Edge& e : edges) {
        Workbook wb;
        wb.setSelection(e.row, e.col, e.row, e.col);
        EXPECT_EQ(wb.clipFits(e.text), e.fits) << e.name;
        const std::int32_t number = testsupport::errorNumber([&] { wb.setClip(e.text); });
        EXPECT_EQ(number, e.fits ? 0 : 5) << e.name;
        if (!e.fits) {
            EXPECT_EQ(wb.lastUsedRow(), 0) << e.name;
        }
    }
    EXPECT_EQ(Workbook::clipExtent("").rows, 0);
    EXPECT_EQ(Workbook::clipExtent("a\tb\r\nc\r\n").rows, 2);
    EXPECT_EQ(Workbook::clipExtent("a\tb\r\nc\r\n").cols, 2);
}

TEST(WorkbookEdit, FillDownAndRightCopyTheFirstLineWithReferencesMoving)
{
    Workbook wb;
    fill(wb, 1, 1, {{"1", "=A1*2"}, {"5", ""}, {"7", ""}});
    wb.setSelection(1, 2, 3, 2);
    wb.EditCopyDown();
    EXPECT_EQ(wb.cellFormula(1, 3, 2), "A3*2");
    EXPECT_EQ(wb.cellValue(1, 3, 2), Value(14.0));

    Workbook right;
    fill(right, 1, 1, {{"text", "", ""}});
    right.setSelection(1, 1, 1, 3);
    right.EditCopyRight();
    EXPECT_EQ(rowTexts(right, 1, 1, 3), (std::vector<std::string>{"text", "text", "text"}));
}

TEST(WorkbookEdit, DeletingCellsMovesTheCellsBelowUp)
{
    Workbook wb;
    fill(wb, 1, 1, {{"a", "x"}, {"b", "y"}, {"c", "z"}, {"d", "w"}});
    wb.setSelection(2, 1, 3, 1);
    wb.deleteSelectedCells();
    EXPECT_EQ(wb.cellEntryText(1, 1, 1), "a");
    EXPECT_EQ(wb.cellEntryText(1, 2, 1), "d");
    EXPECT_EQ(wb.cellEntryText(1, 3, 1), "");
    EXPECT_EQ(wb.cellEntryText(1, 2, 2), "y");  // the next column stays

    wb.setSelection(1, 2, 1, 2);
    wb.deleteSelectedRows();
    EXPECT_EQ(wb.cellEntryText(1, 1, 1), "d");
    wb.EditClear(2);  // formats: there are none, nothing changes
    EXPECT_EQ(wb.cellEntryText(1, 1, 1), "d");
    EXPECT_EQ(testsupport::errorNumber([&] { wb.EditClear(4); }), 5);
}

TEST(WorkbookFind, FindWalksEveryHitInOrderAndWraps)
{
    Workbook wb;
    fill(wb, 1, 1, {{"gene", "x", "Gene2"}, {"", "GENE3", ""}, {"=\"ge\"&\"ne\"", "", "no"}});
    Workbook::FindOptions o;
    std::vector<std::pair<std::int32_t, std::int32_t>> hits;
    std::int32_t row = 1;
    std::int32_t col = 1;
    for (int i = 0; i < 4; ++i) {
        const auto hit = wb.findCell("gene", row, col, o);
        ASSERT_TRUE(hit);
        hits.push_back(*hit);
        std::tie(row, col) = *hit;
    }
    // Along the rows, case ignored; the formula is searched in its own text; back to A1.
    const std::vector<std::pair<std::int32_t, std::int32_t>> expected{{1, 3}, {2, 2}, {1, 1}, {1, 3}};
    EXPECT_EQ(hits, expected);

    o.matchCase = true;
    EXPECT_EQ(wb.findCell("gene", 1, 1, o), std::make_optional(std::make_pair(1, 1)));  // only itself
    o.matchCase = false;
    o.wholeCell = true;
    EXPECT_EQ(wb.findCell("gene", 1, 1, o), std::make_optional(std::make_pair(1, 1)));
    EXPECT_FALSE(wb.findCell("absent", 1, 1, Workbook::FindOptions{}));
    EXPECT_FALSE(wb.findCell("", 1, 1, Workbook::FindOptions{}));
    Workbook::FindOptions down;
    down.byColumns = true;
    EXPECT_EQ(wb.findCell("gene", 1, 1, down), std::make_optional(std::make_pair(2, 2)));
}

TEST(WorkbookFind, ReplaceAllChangesEveryMatchAndKeepsKinds)
{
    Workbook wb;
    fill(wb, 1, 1, {{"a-1", "1.5", "A-A"}});
    Workbook::FindOptions o;
    EXPECT_EQ(wb.replaceAll("a", "b", o), 2);
    EXPECT_EQ(rowTexts(wb, 1, 1, 3), (std::vector<std::string>{"b-1", "1.5", "b-b"}));
    EXPECT_EQ(wb.replaceAll(".5", ".25", o), 1);
    EXPECT_EQ(wb.cellValue(1, 1, 2), Value(1.25));  // still a number
    EXPECT_EQ(wb.findCell("1.25", 1, 1, o), std::make_optional(std::make_pair(1, 2)));  // numbers by their text
    EXPECT_EQ(wb.findCell("-", 1, 2, o), std::make_optional(std::make_pair(1, 3)));
    EXPECT_EQ(wb.replaceAll("", "x", o), 0);

    // A replacement that would make a formula too large to enter is refused,
    // the cells unchanged; an apostrophe's text keeps it in the entry.
    fill(wb, 2, 1, {{"=1+1", "=2+1", "'12"}});
    const std::string deep = std::string(300, '(') + "1" + std::string(300, ')');
    EXPECT_EQ(testsupport::errorNumber([&] { (void)wb.replaceInCell(2, 1, "1+", deep + "+", o); }), 5);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)wb.replaceAll("+1", "+" + deep, o); }), 5);
    EXPECT_EQ(rowTexts(wb, 2, 1, 3), (std::vector<std::string>{"=1+1", "=2+1", "'12"}));
    EXPECT_EQ(wb.replaceAll("12", "13", o), 1);
    EXPECT_EQ(wb.cellValue(1, 2, 3), Value("13"));
}

} // namespace
