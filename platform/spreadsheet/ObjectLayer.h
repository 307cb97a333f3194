#pragma once

// The drawing objects of the grid (internal to SpreadsheetGrid).
//
// Paints the objects of the active sheet over the cells in stacking order,
// in every pane of the view (the frozen rows and columns and the scrolled
// part), with handles on the selected ones. In the workbook's insert mode a
// left drag draws an object of the mode's kind (a click gives a default
// size) and ends the mode with the new object selected; polygons take one
// vertex per click and end with a double-click or a click on their first
// vertex. Outside the insert mode a click selects an object (Ctrl+click adds
// or removes it), a drag moves the selection, a drag on a handle resizes,
// Delete deletes the selection; a click on a check box toggles it and on a
// drop-down opens its list (Ctrl+click selects them instead). Esc ends the
// insert mode, a polygon being drawn (kept with two or more vertices) and
// the editing of a polygon's vertices.

#include <cstdint>
#include <vector>

#include <QPoint>
#include <QRectF>

#include "platform/spreadsheet/ObjectGeometry.h"

class QKeyEvent;
class QMouseEvent;
class QPainter;

namespace spreadsheet {

class SpreadsheetGrid;
class Workbook;

class ObjectLayer {
public:
    explicit ObjectLayer(SpreadsheetGrid& grid);

    void paint(QPainter& painter);
    // Each returns true when it took the event; the grid then leaves it alone.
    bool mousePress(QMouseEvent* event);
    bool mouseMove(QMouseEvent* event);
    bool mouseRelease(QMouseEvent* event);
    bool mouseDoubleClick(QMouseEvent* event);
    bool keyPress(QKeyEvent* event);
    // After any change of the workbook: the pointer of the insert mode, and
    // an end to states whose object went away.
    void modelChanged();
    // Starts the vertex editing of the one selected polygon (else nothing).
    void editPolygonPoints();
    [[nodiscard]] bool isEditingPoints() const noexcept { return m_editId != 0; }

private:
    // A stretch of the view along one axis: the lines in view there and the
    // pixels it covers. Positions before or after its lines are extrapolated
    // from the line sizes, so that an object partly out of view is placed
    // right.
    struct Segment {
        int start = 0;
        int end = 0;
        std::vector<std::int32_t> n;  // the lines, with their pixel start and size
        std::vector<int> at;
        std::vector<int> size;
    };
    struct Pane {
        Segment x;
        Segment y;
        [[nodiscard]] QRect clip() const { return QRect(x.start, y.start, x.end - x.start, y.end - y.start); }
    };
    enum class Drag { None, Insert, Polygon, Move, Resize, Vertex };

    [[nodiscard]] Workbook& book() const;
    [[nodiscard]] double scale() const;
    [[nodiscard]] std::vector<Pane> panes() const;
    [[nodiscard]] int paneAt(const std::vector<Pane>& panes, QPoint pos) const;
    [[nodiscard]] double toPixel(const Segment& s, bool rows, LinePos pos) const;
    [[nodiscard]] LinePos fromPixel(const Segment& s, bool rows, double px) const;
    [[nodiscard]] QPointF pixelOf(const Pane& pane, const CellAnchor& a) const;
    [[nodiscard]] QPointF pixelOf(const Pane& pane, PointF pts) const;
    [[nodiscard]] PointF pointsAt(const Pane& pane, QPointF px) const;
    [[nodiscard]] QRectF boxPixels(const Pane& pane, const DrawingObject& o) const;
    [[nodiscard]] std::vector<QPointF> handles(const Pane& pane, const DrawingObject& o) const;
    // The topmost object under the position, 0 for none.
    [[nodiscard]] std::int32_t objectAt(const Pane& pane, QPointF pos) const;

    void paintObject(QPainter& p, const Pane& pane, const DrawingObject& o) const;
    void paintPreview(QPainter& p, const Pane& pane) const;
    void finishInsert(QPointF releasePx);
    void finishPolygon(bool closed);
    void finishResize(QPointF releasePx);
    void finishVertex(QPointF releasePx);
    void openList(const DrawingObject& o, QPoint pos);

    SpreadsheetGrid& m_grid;
    Drag m_drag = Drag::None;
    int m_pane = 0;           // the pane the drag began in
    QPointF m_pressPx;        // where it began
    QPointF m_currentPx;      // where the pointer is now
    RangeRef m_chartSource;   // the cells a chart being drawn plots
    std::vector<PointF> m_polygon;  // vertices of a polygon being drawn, in points
    std::int32_t m_target = 0;      // the object a resize or vertex drag works on
    int m_handle = -1;              // its handle or vertex
    std::int32_t m_editId = 0;      // the polygon whose vertices are being edited
};

} // namespace spreadsheet
