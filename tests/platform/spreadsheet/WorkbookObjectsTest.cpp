#include "platform/spreadsheet/Workbook.h"

#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/ObjectGeometry.h"
#include "tests/support/ErrorAssert.h"

namespace {

using spreadsheet::BoxF;
using spreadsheet::CellAnchor;
using spreadsheet::CellFormat;
using spreadsheet::DrawingObject;
using spreadsheet::ObjectKind;
using spreadsheet::PointF;
using spreadsheet::RangeRef;
using spreadsheet::SheetFormat;
using spreadsheet::Workbook;
using spreadsheet::kPointsPerChar;

// A rectangle from (r1, c1) to (r2, c2), 2 points into the first cell and 3 into the last.
DrawingObject rect(std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2)
{
    DrawingObject o;
    o.kind = ObjectKind::Rectangle;
    o.from = {r1, c1, 2, 2};
    o.to = {r2, c2, 3, 3};
    return o;
}

// Sum of the line sizes one by one: the reference for lineStart.
double naiveStart(const SheetFormat& f, bool rows, std::int32_t n)
{
    double sum = 0;
    for (std::int32_t i = 1; i < n; ++i)
        sum += rows ? f.rowHeight(i) : f.colWidth(i) * kPointsPerChar;
    return sum;
}

TEST(ObjectGeometry, LineStartMatchesTheSumOfLineSizes)
{
    std::mt19937 rng(20261209);
    SCOPED_TRACE("seed 20261209");
    SheetFormat f;
    f.setDefaultRowHeight(15);
    std::uniform_int_distribution<int> row(1, 300);
    std::uniform_int_distribution<int> col(1, 256);
    for (int i = 0; i < 40; ++i) {
        const int r = row(rng);
        f.setRowHeight(r, r, (i % 7) * 3.5);
        const int c = col(rng);
        f.setColWidth(c, c, (i % 5) * 2.25);
    }
    f.setRowHidden(10, 20, true);
    f.setRowHeight(15, 15, 40);  // hidden with a size of its own
    f.setColHidden(3, 4, true);
    // Rows grown by a large font: shown, hidden, and with a height of their own.
    for (int r : {5, 12, 15, 77, 299})
        f.change(RangeRef{r, 2, r, 3}, [](CellFormat& x) { x.fontSize = 30; });
    for (int n : {1, 2, 9, 10, 15, 21, 150, 301, 16384, 16385})
        EXPECT_NEAR(spreadsheet::lineStart(f, true, n), naiveStart(f, true, n), 1e-9) << "row " << n;
    CellFormat normal = f.style(0);
    normal.fontSize = 14;  // a larger normal font grows every row
    f.setNormal(normal);
    for (int n : {2, 13, 100, 16385})  // 17.85-point rows: the one-by-one sum rounds at each step
        EXPECT_NEAR(spreadsheet::lineStart(f, true, n), naiveStart(f, true, n), 1e-12 * naiveStart(f, true, n) + 1e-9)
            << "row " << n;
    for (int n : {1, 3, 5, 100, 256, 257})
        EXPECT_NEAR(spreadsheet::lineStart(f, false, n), naiveStart(f, false, n), 1e-9) << "col " << n;
}

TEST(ObjectGeometry, AnchorsAndPointsConvertBothWays)
{
    SheetFormat f;
    f.setColWidth(2, 2, 20);   // 102 points
    f.setRowHeight(3, 3, 30);
    f.setColHidden(4, 4, true);
    const double colA = 9 * kPointsPerChar;
    struct Row {
        const char* name;
        CellAnchor anchor;
        PointF point;
    };
    const Row rows[] = {
        {"the sheet's corner", {1, 1, 0, 0}, {0, 0}},
        {"inside B3", {3, 2, 10, 5}, {colA + 10, 2 * 12.75 + 5}},
        {"the start of E after hidden D", {1, 5, 0, 0}, {(9 + 20 + 9) * kPointsPerChar, 0}},
    };
    for (const Row& r : rows) {
        const PointF p = spreadsheet::anchorPoint(f, r.anchor);
        EXPECT_NEAR(p.x, r.point.x, 1e-9) << r.name;
        EXPECT_NEAR(p.y, r.point.y, 1e-9) << r.name;
        const CellAnchor back = spreadsheet::anchorAt(f, r.point);
        EXPECT_EQ(back.row, r.anchor.row) << r.name;
        EXPECT_EQ(back.col, r.anchor.col) << r.name;
        EXPECT_NEAR(back.dx, r.anchor.dx, 1e-9) << r.name;
    }
    // An offset past its cell reads as the cell's far edge; a hidden cell has none.
    EXPECT_NEAR(spreadsheet::anchorPoint(f, {1, 1, 500, 0}).x, colA, 1e-9);
    EXPECT_NEAR(spreadsheet::anchorPoint(f, {1, 4, 7, 0}).x, spreadsheet::anchorPoint(f, {1, 5, 0, 0}).x, 1e-9);
    // Past the sheet's end: the last line at its far edge.
    const CellAnchor end = spreadsheet::anchorAt(f, {1e9, 1e9});
    EXPECT_EQ(end.row, spreadsheet::kMaxRows);
    EXPECT_EQ(end.col, spreadsheet::kMaxCols);
    EXPECT_NEAR(end.dy, 12.75, 1e-9);
}

TEST(WorkbookObjects, AddGivesIdsAndNamesAndKeepsStackOrder)
{
    Workbook wb;
    const auto a = wb.addObject(1, rect(1, 1, 2, 2));
    DrawingObject named = rect(3, 3, 4, 4);
    named.name = "Mine";
    const auto b = wb.addObject(1, named);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(wb.object(1, a).name, "Rectangle 1");
    EXPECT_EQ(wb.object(1, b).name, "Mine");
    ASSERT_EQ(wb.objects(1).size(), 2u);
    EXPECT_EQ(wb.objects(1).back().id, b) << "a new object goes in front";
    EXPECT_TRUE(wb.isChanged());
    wb.deleteObject(1, b);
    EXPECT_EQ(wb.addObject(1, rect(1, 1, 2, 2)), 3) << "ids are not reused";
    EXPECT_EQ(testsupport::errorNumber([&] { (void)wb.object(1, 2); }), platform::err::Subscript);
}

TEST(WorkbookObjects, InvalidObjectsAreRefused)
{
    struct Row {
        const char* name;
        void (*spoil)(DrawingObject&);
    };
    const Row rows[] = {
        {"kind 6", [](DrawingObject& o) { o.kind = static_cast<ObjectKind>(6); }},
        {"row 0", [](DrawingObject& o) { o.from.row = 0; }},
        {"column 257", [](DrawingObject& o) { o.to.col = 257; }},
        {"negative offset", [](DrawingObject& o) { o.from.dx = -1; }},
        {"offset NaN", [](DrawingObject& o) { o.to.dy = std::numeric_limits<double>::quiet_NaN(); }},
        {"offset larger than any row", [](DrawingObject& o) { o.to.dy = 410; }},
        {"polygon of one point", [](DrawingObject& o) {
             o.kind = ObjectKind::Polygon;
             o.points = {{0, 0}};
         }},
        {"vertex outside the box", [](DrawingObject& o) { o.points = {{0, 0}, {1.5, 1}}; }},
        {"colour beyond RRGGBB", [](DrawingObject& o) { o.style.fillColor = 0x1000000; }},
        {"line style 5", [](DrawingObject& o) { o.style.lineStyle = 5; }},
        {"line width 101", [](DrawingObject& o) { o.style.lineWidth = 101; }},
        {"check state 3", [](DrawingObject& o) { o.checkState = 3; }},
        {"chosen item past the list", [](DrawingObject& o) {
             o.items = {"a"};
             o.chosenItem = 2;
         }},
        {"chart source reversed", [](DrawingObject& o) { o.chartSource = {5, 1, 2, 1}; }},
    };
    for (const Row& row : rows) {
        Workbook wb;
        DrawingObject o = rect(1, 1, 3, 3);
        row.spoil(o);
        EXPECT_EQ(testsupport::errorNumber([&] { wb.addObject(1, o); }), platform::err::InvalidCall) << row.name;
        EXPECT_TRUE(wb.objects(1).empty()) << row.name;
        const auto id = wb.addObject(1, rect(1, 1, 3, 3));
        o.id = id;
        EXPECT_EQ(testsupport::errorNumber([&] { wb.setObject(1, o); }), platform::err::InvalidCall) << row.name;
        EXPECT_EQ(wb.object(1, id), [&] {
            DrawingObject kept = rect(1, 1, 3, 3);
            kept.id = id;
            kept.name = "Rectangle 1";
            return kept;
        }()) << row.name;
    }
}

TEST(WorkbookObjects, ObjectsFollowInsertedAndDeletedLines)
{
    // The rectangle spans rows 3..6 and columns 2..4.
    struct Row {
        const char* name;
        void (*edit)(Workbook&);
        CellAnchor from;
        CellAnchor to;
    };
    const Row rows[] = {
        {"rows inserted in front move it", [](Workbook& wb) { wb.insertRows(1, 2, 3); }, {6, 2, 2, 2}, {9, 4, 3, 3}},
        {"rows inserted at its first row move it", [](Workbook& wb) { wb.insertRows(1, 3, 1); }, {4, 2, 2, 2},
         {7, 4, 3, 3}},
        {"rows inserted inside stretch it", [](Workbook& wb) { wb.insertRows(1, 4, 2); }, {3, 2, 2, 2}, {8, 4, 3, 3}},
        {"rows inserted below leave it", [](Workbook& wb) { wb.insertRows(1, 7, 5); }, {3, 2, 2, 2}, {6, 4, 3, 3}},
        {"rows deleted in front move it up", [](Workbook& wb) { wb.deleteRows(1, 1, 2); }, {1, 2, 2, 2},
         {4, 4, 3, 3}},
        {"rows deleted inside shrink it", [](Workbook& wb) { wb.deleteRows(1, 4, 2); }, {3, 2, 2, 2}, {4, 4, 3, 3}},
        {"deleting its first rows pulls its top in", [](Workbook& wb) { wb.deleteRows(1, 2, 3); }, {2, 2, 2, 0},
         {3, 4, 3, 3}},
        {"deleting all its rows squeezes it", [](Workbook& wb) { wb.deleteRows(1, 3, 4); }, {3, 2, 2, 0},
         {3, 4, 3, 0}},
        {"columns inserted in front move it", [](Workbook& wb) { wb.insertCols(1, 1, 2); }, {3, 4, 2, 2},
         {6, 6, 3, 3}},
        {"columns inserted inside stretch it", [](Workbook& wb) { wb.insertCols(1, 3, 1); }, {3, 2, 2, 2},
         {6, 5, 3, 3}},
        {"deleting all its columns squeezes it", [](Workbook& wb) { wb.deleteCols(1, 1, 10); }, {3, 1, 0, 2},
         {6, 1, 0, 3}},
        {"lines of another sheet leave it", [](Workbook& wb) { wb.insertRows(2, 1, 5); }, {3, 2, 2, 2},
         {6, 4, 3, 3}},
    };
    for (const Row& row : rows) {
        Workbook wb;
        wb.setNumSheets(2);
        const auto id = wb.addObject(1, rect(3, 2, 6, 4));
        row.edit(wb);
        ASSERT_EQ(wb.objects(1).size(), 1u) << row.name << ": never lost";
        EXPECT_EQ(wb.object(1, id).from, row.from) << row.name;
        EXPECT_EQ(wb.object(1, id).to, row.to) << row.name;
    }
}

TEST(WorkbookObjects, ObjectsPushedOffTheSheetStayOnItsLastLine)
{
    Workbook wb;
    const auto id = wb.addObject(1, rect(16380, 1, 16384, 2));
    wb.insertRows(1, 16382, 10);
    const DrawingObject& o = wb.object(1, id);
    EXPECT_EQ(o.from.row, 16380);
    EXPECT_EQ(o.to.row, spreadsheet::kMaxRows);
    EXPECT_NEAR(wb.objectBox(1, id).bottom, spreadsheet::lineStart(wb.sheetFormat(1), true, spreadsheet::kMaxRows + 1),
                1e-6)
        << "the far edge of the last row";
}

TEST(WorkbookObjects, StackingOrderMovesTheSelectionKeepingItsOrder)
{
    Workbook wb;
    for (int i = 0; i < 5; ++i)
        wb.addObject(1, rect(1, 1, 2, 2));
    auto order = [&] {
        std::vector<std::int32_t> ids;
        for (const auto& o : wb.objects(1))
            ids.push_back(o.id);
        return ids;
    };
    wb.ObjBringToFront();
    EXPECT_EQ(order(), (std::vector<std::int32_t>{1, 2, 3, 4, 5})) << "nothing selected";
    wb.selectObject(4, false);
    wb.selectObject(2, true);
    wb.ObjBringToFront();
    EXPECT_EQ(order(), (std::vector<std::int32_t>{1, 3, 5, 2, 4}));
    wb.ObjSendToBack();
    EXPECT_EQ(order(), (std::vector<std::int32_t>{2, 4, 1, 3, 5}));
}

TEST(WorkbookObjects, SelectionBelongsToEachSheet)
{
    Workbook wb;
    wb.setNumSheets(2);
    const auto a = wb.addObject(1, rect(1, 1, 2, 2));
    const auto b = wb.addObject(1, rect(3, 3, 4, 4));
    wb.addObject(2, rect(1, 1, 2, 2));
    wb.selectObject(b, false);
    wb.selectObject(a, true);
    EXPECT_EQ(wb.selectedObjectCount(), 2);
    EXPECT_EQ(wb.selectedObjectId(0), b);
    EXPECT_EQ(wb.objectType(b), 2);
    wb.setSheet(2);
    EXPECT_EQ(wb.selectedObjectCount(), 0) << "sheet 2 has its own selection";
    wb.selectAllObjects();
    EXPECT_EQ(wb.selectedObjectCount(), 1);
    wb.setSheet(1);
    EXPECT_EQ(wb.selectedObjectCount(), 2) << "sheet 1 kept its selection";
    wb.deselectObject(b);
    EXPECT_EQ(wb.selectedObjectCount(), 1);
    EXPECT_EQ(wb.selectedObjectId(0), a);
    wb.setSelection(5, 5, 5, 5);
    EXPECT_EQ(wb.selectedObjectCount(), 0) << "selecting cells deselects the objects";
    EXPECT_EQ(testsupport::errorNumber([&] { (void)wb.selectedObjectId(0); }), platform::err::Subscript);
    EXPECT_EQ(testsupport::errorNumber([&] { wb.selectObject(99, false); }), platform::err::Subscript);
}

TEST(WorkbookObjects, DeletingRemovesObjectsAndTheirSheet)
{
    Workbook wb;
    wb.setNumSheets(2);
    const auto a = wb.addObject(1, rect(1, 1, 2, 2));
    const auto b = wb.addObject(1, rect(1, 1, 2, 2));
    wb.addObject(1, rect(1, 1, 2, 2));
    wb.deleteSelectedObjects();
    EXPECT_EQ(wb.objects(1).size(), 3u) << "nothing selected";
    wb.selectObject(a, false);
    wb.selectObject(b, true);
    wb.deleteSelectedObjects();
    ASSERT_EQ(wb.objects(1).size(), 1u);
    EXPECT_EQ(wb.objects(1)[0].id, 3);
    EXPECT_EQ(wb.selectedObjectCount(), 0);

    wb.addObject(2, rect(5, 5, 6, 6));
    wb.setSheet(1);
    wb.EditDeleteSheets();
    EXPECT_EQ(wb.NumSheets(), 1);
    ASSERT_EQ(wb.objects(1).size(), 1u) << "the sheet that moved up brought its own objects";
    EXPECT_EQ(wb.objects(1)[0].from.row, 5);
}

TEST(WorkbookObjects, MovingKeepsSizeAndStaysInsideTheSheet)
{
    Workbook wb;
    const auto a = wb.addObject(1, rect(3, 3, 5, 5));
    const auto b = wb.addObject(1, rect(10, 10, 12, 12));
    const BoxF before = wb.objectBox(1, a);
    const BoxF other = wb.objectBox(1, b);
    wb.moveSelectedObjects(10, 10);
    EXPECT_EQ(wb.objectBox(1, a), before) << "nothing selected";
    wb.selectObject(a, false);
    wb.moveSelectedObjects(20.5, 13);
    BoxF moved = wb.objectBox(1, a);
    EXPECT_NEAR(moved.left, before.left + 20.5, 1e-9);
    EXPECT_NEAR(moved.top, before.top + 13, 1e-9);
    EXPECT_NEAR(moved.width(), before.width(), 1e-9);
    EXPECT_EQ(wb.objectBox(1, b), other);
    wb.moveSelectedObjects(-1e6, -1e6);
    moved = wb.objectBox(1, a);
    EXPECT_NEAR(moved.left, 0, 1e-9) << "stops at the sheet's edge";
    EXPECT_NEAR(moved.top, 0, 1e-9);
    EXPECT_NEAR(moved.height(), before.height(), 1e-9);
}

TEST(WorkbookObjects, ResizingALineKeepsItsDirection)
{
    Workbook wb;
    DrawingObject line;
    line.kind = ObjectKind::Line;
    spreadsheet::placeLine(wb.sheetFormat(1), line, {100, 80}, {20, 10});  // drawn up and to the left
    EXPECT_TRUE(line.flipX);
    EXPECT_TRUE(line.flipY);
    const auto id = wb.addObject(1, line);
    wb.setObjectBox(1, id, {20, 10, 200, 160});
    const DrawingObject& o = wb.object(1, id);
    const BoxF box = wb.objectBox(1, id);
    const PointF start = spreadsheet::lineStartPoint(box, o);
    EXPECT_NEAR(start.x, 200, 1e-9);
    EXPECT_NEAR(start.y, 160, 1e-9);
}

TEST(WorkbookObjects, PolygonVerticesSurviveTheirBox)
{
    Workbook wb;
    DrawingObject poly;
    poly.kind = ObjectKind::Polygon;
    const std::vector<PointF> vertices{{50, 40}, {150, 40}, {100, 140}};
    spreadsheet::placePolygon(wb.sheetFormat(1), poly, vertices);
    const auto id = wb.addObject(1, poly);
    const auto back = spreadsheet::polygonVertices(wb.objectBox(1, id), wb.object(1, id));
    ASSERT_EQ(back.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(back[i].x, vertices[i].x, 1e-9);
        EXPECT_NEAR(back[i].y, vertices[i].y, 1e-9);
    }
}

TEST(WorkbookObjects, ModeTakesTheObjectCodesOnly)
{
    Workbook wb;
    for (int mode : {0, 1, 2, 3, 4, 5, 7, 8, 9, 10}) {
        wb.setMode(mode);
        EXPECT_EQ(wb.Mode(), mode);
    }
    for (int mode : {6, 11, -1})
        EXPECT_EQ(testsupport::errorNumber([&] { wb.setMode(mode); }), platform::err::InvalidPropertyValue) << mode;
    EXPECT_EQ(wb.Mode(), 10);
    EXPECT_FALSE(wb.isChanged()) << "a mode is no change of content";
}

} // namespace
