// A protected sheet: its locked cells refuse every change of content, each
// refused before anything changes; its unlocked cells take changes.

#include "platform/spreadsheet/Workbook.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"
#include "tests/support/ErrorAssert.h"

namespace {

using spreadsheet::CellFormat;
using spreadsheet::RangeRef;
using spreadsheet::Value;
using spreadsheet::ValueTable;
using spreadsheet::Workbook;

// B2:D4 of numbers and a formula; column F unlocked; the sheet protected.
Workbook protectedBook()
{
    Workbook wb;
    const char* rows[3][3] = {{"3", "1", "=B2+C2"}, {"1", "2", "=B3+C3"}, {"2", "3", "=B4+C4"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            wb.setCellEntry(1, 2 + r, 2 + c, rows[r][c]);
    wb.setCellEntry(1, 2, 6, "free");
    wb.setSelection(1, 6, 20, 6);
    wb.formatSelection([](CellFormat& f) { f.locked = false; });
    wb.setSelection(2, 2, 2, 2);
    wb.setEnableProtection(true);
    return wb;
}

// Everything a change could touch: the entries of A1:H24 and the formats.
struct Snapshot {
    std::vector<std::string> entries;
    spreadsheet::SheetFormat format;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const Workbook& wb)
{
    Snapshot s{{}, wb.sheetFormat(1)};
    for (int r = 1; r <= 24; ++r)
        for (int c = 1; c <= 8; ++c)
            s.entries.push_back(wb.cellEntryText(1, r, c));
    return s;
}

TEST(WorkbookProtection, EveryChangeOfALockedCellIsRefusedWithNothingChanged)
{
    struct Row {
        const char* name;
        std::function<void(Workbook&)> change;
    };
    const Row rows[] = {
        {"typed entry", [](Workbook& wb) { wb.setCellEntry(1, 3, 3, "99"); }},
        {"value", [](Workbook& wb) { wb.setCellValue(1, 3, 3, Value(99.0)); }},
        {"formula", [](Workbook& wb) { wb.setCellFormula(1, 3, 3, "1+1"); }},
        {"an empty cell beside the data", [](Workbook& wb) { wb.setCellEntry(1, 10, 1, "x"); }},
        {"active cell text", [](Workbook& wb) { wb.setText("x"); }},
        {"clear range", [](Workbook& wb) { wb.clearRange(1, RangeRef{2, 2, 4, 4}); }},
        {"clear everything", [](Workbook& wb) { wb.setSelection(2, 2, 4, 4), wb.EditClear(1); }},
        {"clear formats", [](Workbook& wb) { wb.setSelection(2, 2, 4, 4), wb.EditClear(2); }},
        {"clear contents", [](Workbook& wb) { wb.setSelection(2, 2, 4, 4), wb.EditClear(3); }},
        {"pasted text over locked and unlocked cells",
         [](Workbook& wb) { wb.setSelection(2, 5, 2, 5), wb.setClip("1\t2\r\n"); }},
        {"array", [](Workbook& wb) {
             ValueTable t(1, 1);
             t.at(0, 0) = Value(5.0);
             wb.CopyDataFromArray(1, 3, 3, 3, 3, true, t);
         }},
        {"copied cells", [](Workbook& wb) { wb.CopyRangeEx(1, 6, 2, 6, 4, wb.SS(), 1, 2, 2, 2, 4); }},
        {"copied formats", [](Workbook& wb) { wb.copyFormats(1, 6, 2, wb, 1, RangeRef{2, 6, 2, 6}); }},
        {"fill handle", [](Workbook& wb) { wb.autoFill(1, RangeRef{2, 2, 3, 2}, RangeRef{2, 2, 6, 2}); }},
        {"fill down", [](Workbook& wb) { wb.setSelection(2, 2, 6, 4), wb.EditCopyDown(); }},
        {"fill right", [](Workbook& wb) { wb.setSelection(2, 2, 2, 5), wb.EditCopyRight(); }},
        {"sort", [](Workbook& wb) { wb.Sort3(2, 2, 4, 4, true, 1, 0, 0); }},
        {"replace all", [](Workbook& wb) { (void)wb.replaceAll("1", "7", {}); }},
        {"replace in a cell", [](Workbook& wb) { (void)wb.replaceInCell(3, 2, "1", "7", {}); }},
        {"delete cells", [](Workbook& wb) { wb.setSelection(2, 2, 2, 2), wb.deleteSelectedCells(); }},
        {"insert cells right", [](Workbook& wb) { wb.setSelection(3, 2, 3, 2), wb.EditInsert(1); }},
        {"insert cells down", [](Workbook& wb) { wb.setSelection(3, 2, 3, 2), wb.EditInsert(2); }},
        {"insert rows", [](Workbook& wb) { wb.insertRows(1, 3, 1); }},
        {"delete rows", [](Workbook& wb) { wb.deleteRows(1, 3, 1); }},
        {"insert columns", [](Workbook& wb) { wb.insertCols(1, 3, 1); }},
        {"delete columns", [](Workbook& wb) { wb.deleteCols(1, 3, 1); }},
        // Formatting is a change too; a selection that holds any locked cell is refused whole.
        {"bold", [](Workbook& wb) { wb.setFontBold(true); }},
        {"italic", [](Workbook& wb) { wb.setFontItalic(true); }},
        {"underline", [](Workbook& wb) { wb.setFontUnderline(true); }},
        {"alignment", [](Workbook& wb) { wb.setHAlign(spreadsheet::HAlign::Center); }},
        {"font name", [](Workbook& wb) { wb.setFontName("Courier New"); }},
        {"font size", [](Workbook& wb) { wb.setFontSize(14); }},
        {"number format", [](Workbook& wb) { wb.FormatFixed2(); }},
        {"format of a second range",
         [](Workbook& wb) {
             wb.setSelection(1, 6, 3, 6);
             wb.addSelection(RangeRef{3, 3, 3, 3});
             wb.formatSelection([](CellFormat& f) { f.borderTop = spreadsheet::BorderStyle::Thin; });
         }},
        {"unlocking", [](Workbook& wb) { wb.formatSelection([](CellFormat& f) { f.locked = false; }); }},
    };
    for (const Row& r : rows) {
        Workbook wb = protectedBook();
        const Snapshot before = snapshot(wb);
        std::string description;
        EXPECT_EQ(testsupport::errorNumber([&] { r.change(wb); }, nullptr, &description), 5) << r.name;
        EXPECT_EQ(description, Workbook::kProtectedCells) << r.name;
        EXPECT_TRUE(snapshot(wb) == before) << r.name << ": the sheet changed";
        EXPECT_EQ(wb.cellValue(1, 2, 4), Value(4.0)) << r.name;
    }
}

TEST(WorkbookProtection, UnlockedCellsAndUnprotectedSheetsTakeChanges)
{
    struct Row {
        const char* name;
        std::function<void(Workbook&)> change;
        RangeRef cell;  // a cell that shows the change
        Value expected;
    };
    const Row rows[] = {
        {"typed entry", [](Workbook& wb) { wb.setCellEntry(1, 3, 6, "=D2*2"); }, {3, 6, 3, 6}, Value(8.0)},
        {"clear", [](Workbook& wb) { wb.clearRange(1, RangeRef{1, 6, 9, 6}); }, {2, 6, 2, 6}, Value()},
        {"pasted text", [](Workbook& wb) { wb.setSelection(5, 6, 5, 6), wb.setClip("a\r\nb\r\n"); }, {6, 6, 6, 6},
         Value("b")},
        {"fill down", [](Workbook& wb) { wb.setSelection(2, 6, 4, 6), wb.EditCopyDown(); }, {4, 6, 4, 6},
         Value("free")},
        {"fill handle", [](Workbook& wb) { wb.autoFill(1, RangeRef{2, 6, 2, 6}, RangeRef{2, 6, 3, 6}); },
         {3, 6, 3, 6}, Value("free")},
        {"replace", [](Workbook& wb) { (void)wb.replaceAll("free", "kept", {}); }, {2, 6, 2, 6}, Value("kept")},
        // Clearing everything resets the cells' formats, and so their locks:
        // the contents go all the same.
        {"clear all", [](Workbook& wb) { wb.setSelection(2, 6, 2, 6), wb.EditClear(1); }, {2, 6, 2, 6}, Value()},
        {"clear contents", [](Workbook& wb) { wb.setSelection(2, 6, 2, 6), wb.EditClear(3); }, {2, 6, 2, 6},
         Value()},
    };
    for (const Row& r : rows) {
        Workbook wb = protectedBook();
        EXPECT_EQ(testsupport::errorNumber([&] { r.change(wb); }), 0) << r.name;
        EXPECT_EQ(wb.cellValue(1, r.cell.firstRow, r.cell.firstCol), r.expected) << r.name;
    }

    {
        Workbook formatted = protectedBook();
        formatted.setSelection(2, 6, 4, 6);
        formatted.setFontBold(true);
        EXPECT_TRUE(formatted.cellFormat(1, 3, 6).bold) << "unlocked cells take formats";
        formatted.EditClear(2);
        EXPECT_FALSE(formatted.cellFormat(1, 3, 6).bold);
        EXPECT_TRUE(formatted.isLocked(1, RangeRef{3, 6, 3, 6})) << "a cleared format is the normal, locked one";
    }

    Workbook wb = protectedBook();
    EXPECT_TRUE(wb.isLocked(1, RangeRef{2, 2, 2, 2}));
    EXPECT_TRUE(wb.isLocked(1, RangeRef{1, 5, 1, 6})) << "one locked cell locks the range";
    EXPECT_FALSE(wb.isLocked(1, RangeRef{1, 6, 20, 6}));
    EXPECT_TRUE(wb.isLocked(1, RangeRef{1, 6, 21, 6})) << "past the unlocked block";
    wb.setEnableProtection(false);
    EXPECT_FALSE(wb.isLocked(1, RangeRef{2, 2, 2, 2}));
    wb.Sort3(2, 2, 4, 4, true, 1, 0, 0);
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(1.0)) << "sorted once protection is off";
}

} // namespace
