#include "platform/spreadsheet/ObjectGeometry.h"

#include <algorithm>

#include "platform/spreadsheet/SheetFormat.h"

namespace spreadsheet {

namespace {

std::int32_t lastLine(bool rows)
{
    return rows ? kMaxRows : kMaxCols;
}

// Points per unit of the stored sizes: row heights are points already,
// column widths characters.
double unit(bool rows)
{
    return rows ? 1.0 : kPointsPerChar;
}

// The largest size a line can have, in points: an offset this large is the
// far edge of any line.
double farEdge(bool rows)
{
    return rows ? SheetFormat::kMaxRowHeight : SheetFormat::kMaxColWidth * kPointsPerChar;
}

void axisAnchor(CellAnchor& a, bool rows, std::int32_t*& n, double*& offset)
{
    n = rows ? &a.row : &a.col;
    offset = rows ? &a.dy : &a.dx;
}

} // namespace

BoxF BoxF::normalized() const noexcept
{
    return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

double lineSize(const SheetFormat& f, bool rows, std::int32_t n)
{
    return (rows ? f.rowHeight(n) : f.colWidth(n)) * unit(rows);
}

double lineStart(const SheetFormat& f, bool rows, std::int32_t n)
{
    n = std::clamp(n, 1, lastLine(rows) + 1);
    if (rows) {
        // Rows past the formatted ones without their own height are all
        // plainRowHeight tall; the others are summed one by one.
        const double plain = f.plainRowHeight();
        double sum = static_cast<double>(n - 1) * plain;
        const std::int32_t formatted = std::min(n - 1, f.lastFormattedRow());
        for (std::int32_t r = 1; r <= formatted; ++r)
            if (!f.hasRowHeight(r))
                sum += f.fittedRowHeight(r) - plain;
        for (auto it = f.rowHeights().begin(); it != f.rowHeights().end() && it->first < n; ++it)
            sum += it->second - plain;
        for (auto it = f.hiddenRows().begin(); it != f.hiddenRows().end() && *it < n; ++it)
            sum -= f.fittedRowHeight(*it);
        return sum;
    }
    const double def = rows ? f.defaultRowHeight() : f.defaultColWidth();
    const auto& sized = rows ? f.rowHeights() : f.colWidths();
    const auto& hidden = rows ? f.hiddenRows() : f.hiddenCols();
    // Every line before n at the default size, corrected for the lines of
    // their own size and for the hidden ones.
    double sum = static_cast<double>(n - 1) * def;
    for (auto it = sized.begin(); it != sized.end() && it->first < n; ++it)
        sum += it->second - def;
    for (auto it = hidden.begin(); it != hidden.end() && *it < n; ++it) {
        const auto s = sized.find(*it);
        sum -= s == sized.end() ? def : s->second;
    }
    return sum * unit(rows);
}

LinePos lineAt(const SheetFormat& f, bool rows, double pts)
{
    if (!(pts > 0))
        return {1, 0};
    // The last line starting at or before pts (starts never decrease).
    std::int32_t lo = 1;
    std::int32_t hi = lastLine(rows);
    while (lo < hi) {
        const std::int32_t mid = lo + (hi - lo + 1) / 2;
        if (lineStart(f, rows, mid) <= pts)
            lo = mid;
        else
            hi = mid - 1;
    }
    return {lo, std::min(pts - lineStart(f, rows, lo), lineSize(f, rows, lo))};
}

PointF anchorPoint(const SheetFormat& f, const CellAnchor& a)
{
    return {lineStart(f, false, a.col) + std::clamp(a.dx, 0.0, lineSize(f, false, a.col)),
            lineStart(f, true, a.row) + std::clamp(a.dy, 0.0, lineSize(f, true, a.row))};
}

CellAnchor anchorAt(const SheetFormat& f, PointF p)
{
    const LinePos x = lineAt(f, false, p.x);
    const LinePos y = lineAt(f, true, p.y);
    return {y.n, x.n, x.offset, y.offset};
}

BoxF objectBox(const SheetFormat& f, const DrawingObject& o)
{
    const PointF a = anchorPoint(f, o.from);
    const PointF b = anchorPoint(f, o.to);
    return BoxF{a.x, a.y, b.x, b.y}.normalized();
}

void placeObject(const SheetFormat& f, DrawingObject& o, const BoxF& box)
{
    const BoxF b = box.normalized();
    o.from = anchorAt(f, {b.left, b.top});
    o.to = anchorAt(f, {b.right, b.bottom});
}

BoxF movedInsideSheet(const SheetFormat& f, const BoxF& box, double dx, double dy)
{
    const double width = lineStart(f, false, kMaxCols + 1);
    const double height = lineStart(f, true, kMaxRows + 1);
    dx = std::max(-box.left, std::min(dx, width - box.right));
    dy = std::max(-box.top, std::min(dy, height - box.bottom));
    return {box.left + dx, box.top + dy, box.right + dx, box.bottom + dy};
}

PointF lineStartPoint(const BoxF& box, const DrawingObject& o)
{
    return {o.flipX ? box.right : box.left, o.flipY ? box.bottom : box.top};
}

PointF lineEndPoint(const BoxF& box, const DrawingObject& o)
{
    return {o.flipX ? box.left : box.right, o.flipY ? box.top : box.bottom};
}

void placeLine(const SheetFormat& f, DrawingObject& o, PointF from, PointF to)
{
    placeObject(f, o, {from.x, from.y, to.x, to.y});
    o.flipX = from.x > to.x;
    o.flipY = from.y > to.y;
}

std::vector<PointF> polygonVertices(const BoxF& box, const DrawingObject& o)
{
    std::vector<PointF> out;
    out.reserve(o.points.size());
    for (const UnitPoint& u : o.points)
        out.push_back({box.left + u.x * box.width(), box.top + u.y * box.height()});
    return out;
}

void placePolygon(const SheetFormat& f, DrawingObject& o, const std::vector<PointF>& vertices)
{
    if (vertices.empty())
        return;
    BoxF b{vertices[0].x, vertices[0].y, vertices[0].x, vertices[0].y};
    for (const PointF& v : vertices) {
        b.left = std::min(b.left, v.x);
        b.top = std::min(b.top, v.y);
        b.right = std::max(b.right, v.x);
        b.bottom = std::max(b.bottom, v.y);
    }
    placeObject(f, o, b);
    // The anchors may round the box to the cells' edges: take the vertices
    // relative to the box the anchors give.
    const BoxF placed = objectBox(f, o);
    o.points.clear();
    for (const PointF& v : vertices) {
        const double x = placed.width() > 0 ? (v.x - placed.left) / placed.width() : 0;
        const double y = placed.height() > 0 ? (v.y - placed.top) / placed.height() : 0;
        o.points.push_back({std::clamp(x, 0.0, 1.0), std::clamp(y, 0.0, 1.0)});
    }
}

void insertObjectLines(std::vector<DrawingObject>& objects, bool rows, std::int32_t at, std::int32_t count)
{
    for (DrawingObject& o : objects) {
        for (CellAnchor* a : {&o.from, &o.to}) {
            std::int32_t* n = nullptr;
            double* offset = nullptr;
            axisAnchor(*a, rows, n, offset);
            if (*n < at)
                continue;
            if (*n > lastLine(rows) - count) {
                *n = lastLine(rows);
                *offset = farEdge(rows);
            } else {
                *n += count;
            }
        }
    }
}

void deleteObjectLines(std::vector<DrawingObject>& objects, bool rows, std::int32_t first, std::int32_t count)
{
    for (DrawingObject& o : objects) {
        for (CellAnchor* a : {&o.from, &o.to}) {
            std::int32_t* n = nullptr;
            double* offset = nullptr;
            axisAnchor(*a, rows, n, offset);
            if (*n < first)
                continue;
            if (*n >= first + count) {
                *n -= count;
            } else {
                *n = first;
                *offset = 0;
            }
        }
    }
}

} // namespace spreadsheet
