#pragma once

// Where drawing objects sit on a sheet, in points measured from the sheet's
// top-left corner (the top-left of A1), and how their cell anchors follow
// inserted and deleted rows and columns.
//
// Sizes come from the sheet's layout (SheetFormat): row heights are points,
// column widths are characters of the normal font at kPointsPerChar points
// each; a hidden line is 0 wide. An anchor's offset counts up to its cell's
// size: an offset past the cell's far edge is read as the edge.
//
// Everything here is plain arithmetic on the layout; nothing throws.

#include <cstdint>
#include <vector>

#include "platform/spreadsheet/DrawingObject.h"

namespace spreadsheet {

class SheetFormat;

// The width of one character of a column width, in points (a default
// column of 9 characters is 45.9 points wide).
inline constexpr double kPointsPerChar = 5.1;

struct PointF {
    double x = 0;
    double y = 0;
    bool operator==(const PointF&) const = default;
};

// A rectangle in points; left <= right and top <= bottom once normalised.
struct BoxF {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    [[nodiscard]] double width() const noexcept { return right - left; }
    [[nodiscard]] double height() const noexcept { return bottom - top; }
    [[nodiscard]] BoxF normalized() const noexcept;
    bool operator==(const BoxF&) const = default;
};

// Size of a row (rows = true) or column in points; 0 while hidden.
[[nodiscard]] double lineSize(const SheetFormat& f, bool rows, std::int32_t n);
// Points from the sheet's edge to the start of line n (1..max + 1, where
// max + 1 gives the sheet's whole extent). Costs the number of rows or
// columns of non-default size or hidden, not the number of lines.
[[nodiscard]] double lineStart(const SheetFormat& f, bool rows, std::int32_t n);

// A position on one axis: the line holding it and the offset into it.
struct LinePos {
    std::int32_t n = 1;
    double offset = 0;
    bool operator==(const LinePos&) const = default;
};
// The line under a distance `pts` from the sheet's edge: the last line
// starting at or before it, so that hidden lines are passed over. Distances
// before the sheet give line 1 offset 0; past its end, the last line at its
// far edge.
[[nodiscard]] LinePos lineAt(const SheetFormat& f, bool rows, double pts);

[[nodiscard]] PointF anchorPoint(const SheetFormat& f, const CellAnchor& a);
[[nodiscard]] CellAnchor anchorAt(const SheetFormat& f, PointF p);

// The bounding box of an object in points.
[[nodiscard]] BoxF objectBox(const SheetFormat& f, const DrawingObject& o);
// Anchors the object to the box (normalised first).
void placeObject(const SheetFormat& f, DrawingObject& o, const BoxF& box);
// The box moved by (dx, dy) points, held inside the sheet: a box pushed past
// an edge stops there with its size kept (as far as the sheet allows).
[[nodiscard]] BoxF movedInsideSheet(const SheetFormat& f, const BoxF& box, double dx, double dy);

// The two ends of a line object: where it was drawn from and to.
[[nodiscard]] PointF lineStartPoint(const BoxF& box, const DrawingObject& o);
[[nodiscard]] PointF lineEndPoint(const BoxF& box, const DrawingObject& o);
// Makes a line object run from `from` to `to` (box and flips).
void placeLine(const SheetFormat& f, DrawingObject& o, PointF from, PointF to);
// Polygon vertices in points, and a polygon placed from vertices in points
// (its box becomes their bounds; the vertices are kept relative to it).
[[nodiscard]] std::vector<PointF> polygonVertices(const BoxF& box, const DrawingObject& o);
void placePolygon(const SheetFormat& f, DrawingObject& o, const std::vector<PointF>& vertices);

// Anchors following line edits of their sheet. Insert: anchors in or after
// line `at` move down (right) by count, so lines in front of an object move
// it and lines inside stretch it; an anchor pushed past the sheet's end
// stays on its last line. Delete: anchors after the deleted lines move up
// (left); an anchor inside them goes to the start of the line that follows,
// so an object whose lines all went is kept, squeezed flat.
void insertObjectLines(std::vector<DrawingObject>& objects, bool rows, std::int32_t at, std::int32_t count);
void deleteObjectLines(std::vector<DrawingObject>& objects, bool rows, std::int32_t first, std::int32_t count);

} // namespace spreadsheet
