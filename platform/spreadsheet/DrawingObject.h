#pragma once

// Drawing objects and form controls placed on a worksheet: lines (with
// optional arrow heads), rectangles, ovals, arcs, polygons, charts of a cell
// block, buttons, check boxes and drop-down list boxes.
//
// An object is anchored to cells: its bounding box runs from a point inside
// its top-left cell to a point inside its bottom-right cell, each an offset
// in points from that cell's top-left corner. Inserting lines in front of an
// object moves it with its cells; inserting lines inside it stretches it;
// deleting lines under it pulls it in (an object whose lines are all deleted
// is kept, squeezed to the line where they were). Objects are kept per sheet
// in stacking order, the first at the back.
//
// Plain data; the Workbook keeps the list and its selection.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/spreadsheet/CellRef.h"

namespace spreadsheet {

// The kind of an object. The numbers are the insert modes of the sheet
// (Workbook::Mode) that draw it, the object type codes the program reads,
// and the codes of the native file: they must not change.
enum class ObjectKind : std::int32_t {
    Line = 1,
    Rectangle = 2,
    Oval = 3,
    Arc = 4,
    Chart = 5,
    Button = 7,
    Polygon = 8,
    CheckBox = 9,
    DropDown = 10,
};
// Whether the code is one of the kinds above.
[[nodiscard]] bool isObjectKind(std::int32_t code) noexcept;

// A point of a cell anchor: the cell and an offset in points from its
// top-left corner (0 <= offset, at most the cell's size).
struct CellAnchor {
    std::int32_t row = 1;
    std::int32_t col = 1;
    double dx = 0;  // points right of the cell's left edge
    double dy = 0;  // points below the cell's top edge
    bool operator==(const CellAnchor&) const = default;
};

// A point relative to an object's bounding box: (0, 0) its top-left and
// (1, 1) its bottom-right corner.
struct UnitPoint {
    double x = 0;
    double y = 0;
    bool operator==(const UnitPoint&) const = default;
};

// Colours as 0xRRGGBB.
struct ObjectStyle {
    std::uint32_t lineColor = 0x000000;
    double lineWidth = 0.75;  // points; 0 draws no line
    // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 none.
    std::int32_t lineStyle = 0;
    bool filled = true;  // closed shapes: ovals, rectangles, arcs, polygons
    std::uint32_t fillColor = 0xFFFFFF;
    bool arrowAtStart = false;  // lines
    bool arrowAtEnd = false;
    bool operator==(const ObjectStyle&) const = default;
};

struct DrawingObject {
    // Unique on its sheet, from 1, never reused while the workbook is open.
    std::int32_t id = 0;
    ObjectKind kind = ObjectKind::Rectangle;
    std::string name;  // "Rectangle 3": the kind's name and the id, unless renamed
    CellAnchor from;   // top-left corner of the bounding box
    CellAnchor to;     // bottom-right corner
    // Lines run between opposite corners of the box: from its left (right
    // with flipX) and top (bottom with flipY) corner to the opposite one, so
    // the flips keep the direction the line was drawn in. Arcs: unflipped,
    // the box holds the top-right quarter of an ellipse centred on the box's
    // bottom-left corner, from the top-left corner to the bottom-right one;
    // flipX mirrors it left to right, flipY top to bottom.
    bool flipX = false;
    bool flipY = false;
    // Polygons: the vertices, at least two, relative to the box.
    std::vector<UnitPoint> points;
    ObjectStyle style;
    // Rectangles, ovals, buttons and check boxes: the text shown inside.
    std::string text;
    // Check boxes: 0 unchecked, 1 checked, 2 mixed.
    std::int32_t checkState = 0;
    // Drop-down list boxes: the items and the chosen one (0 none, from 1).
    std::vector<std::string> items;
    std::int32_t chosenItem = 0;
    // Charts: the block of the same sheet they plot (rows are series).
    RangeRef chartSource;
    bool operator==(const DrawingObject&) const = default;
};

// The widest line an object can have, in points.
inline constexpr double kMaxLineWidth = 100;

// Whether every field is in range: a known kind; anchors inside the sheet
// with offsets from 0 to the largest size a cell can have; colours 0xRRGGBB;
// a line width of 0..kMaxLineWidth and a line style of 0..4; a check state of
// 0..2; a chosen item of 0..items; a chart source inside the sheet with its
// corners in order; polygon vertices from 0 to 1 and at least two of them
// for a polygon. The workbook refuses other objects and the file readers
// refuse them too.
[[nodiscard]] bool isValidObject(const DrawingObject& o) noexcept;

} // namespace spreadsheet
