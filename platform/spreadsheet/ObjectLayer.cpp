#include "platform/spreadsheet/ObjectLayer.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/GridMetrics.h"
#include "platform/spreadsheet/SpreadsheetGrid.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/widgets/chart/ChartModel.h"
#include "platform/widgets/chart/ChartPainter.h"

namespace spreadsheet {

namespace {

constexpr double kHandleSize = 6;   // pixels
constexpr double kDragSlop = 3;     // pixels a press may wander and still be a click
constexpr double kVertexReach = 5;  // pixels around a vertex that hit it
// Charts plot at most this many series (rows) and categories (columns) of
// their block, counted from its top-left cell inside the used area.
constexpr int kMaxChartSeries = 64;
constexpr int kMaxChartCategories = 256;

// The size of an object drawn by a click without a drag, in points.
BoxF defaultBox(ObjectKind kind, PointF at)
{
    double w = 72;
    double h = 36;
    switch (kind) {
    case ObjectKind::CheckBox:
    case ObjectKind::DropDown:
        w = 96;
        h = 18;
        break;
    case ObjectKind::Button:
        h = 24;
        break;
    case ObjectKind::Chart:
        w = 216;
        h = 144;
        break;
    default:
        break;
    }
    return {at.x, at.y, at.x + w, at.y + h};
}

// The smallest box, in points, that a drag draws of the kind: a drag along
// one row still gives a check box, list box or button its full height, and
// a shape or chart stays big enough to see and to grab. Lines, arcs and
// polygons may be as thin as drawn.
PointF minimumSize(ObjectKind kind)
{
    switch (kind) {
    case ObjectKind::CheckBox:
    case ObjectKind::DropDown:
        return {36, 18};
    case ObjectKind::Button:
        return {36, 24};
    case ObjectKind::Line:
    case ObjectKind::Arc:
    case ObjectKind::Polygon:
        return {0, 0};
    default:
        return {8, 8};
    }
}

QColor rgb(std::uint32_t c)
{
    return QColor::fromRgb(static_cast<QRgb>(c));
}

double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF d = b - a;
    const double len2 = QPointF::dotProduct(d, d);
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / len2, 0.0, 1.0) : 0.0;
    const QPointF q = a + t * d - p;
    return std::hypot(q.x(), q.y());
}

void drawArrowHead(QPainter& p, QPointF tip, QPointF from, double size)
{
    const QPointF d = tip - from;
    const double len = std::hypot(d.x(), d.y());
    if (len <= 0)
        return;
    const QPointF u = d / len;
    const QPointF n(-u.y(), u.x());
    const QPointF base = tip - u * size;
    const QPolygonF head({tip, base + n * size * 0.45, base - n * size * 0.45});
    p.save();
    p.setBrush(p.pen().color());
    p.setPen(Qt::NoPen);
    p.drawPolygon(head);
    p.restore();
}

platform::ChartModel chartModel(const Workbook& wb, std::int32_t sheet, const RangeRef& source)
{
    // Rows are series; the chart model takes series as its columns.
    const std::int32_t lastRow = std::min({source.lastRow, std::max(source.firstRow, wb.lastUsedRow(sheet)),
                                           source.firstRow + kMaxChartSeries - 1});
    const std::int32_t lastCol = std::min({source.lastCol, std::max(source.firstCol, wb.lastUsedCol(sheet)),
                                           source.firstCol + kMaxChartCategories - 1});
    platform::ChartModel model;
    model.resize(lastCol - source.firstCol + 1, lastRow - source.firstRow + 1);
    // Categories are named by their column letters, series by their row numbers.
    for (std::int32_t c = source.firstCol; c <= lastCol; ++c)
        model.setRowLabel(c - source.firstCol + 1, columnLetters(c));
    for (std::int32_t r = source.firstRow; r <= lastRow; ++r)
        model.setColumnLabel(r - source.firstRow + 1, std::to_string(r));
    for (std::int32_t r = source.firstRow; r <= lastRow; ++r) {
        for (std::int32_t c = source.firstCol; c <= lastCol; ++c) {
            const Value v = wb.cellValue(sheet, r, c);
            if (v.isNumber())
                model.setValue(c - source.firstCol + 1, r - source.firstRow + 1, v.number());
        }
    }
    return model;
}

} // namespace

ObjectLayer::ObjectLayer(SpreadsheetGrid& grid) : m_grid(grid) {}

Workbook& ObjectLayer::book() const
{
    return m_grid.book();
}

double ObjectLayer::scale() const
{
    return m_grid.pixelsPerPoint();
}

// ---- geometry ------------------------------------------------------------------

std::vector<ObjectLayer::Pane> ObjectLayer::panes() const
{
    const auto f = book().freeze();
    auto split = [](const std::vector<SpreadsheetGrid::Line>& lines, std::int32_t first, std::int32_t count, int start,
                    int end) {
        Segment frozen;
        Segment scrolled;
        for (const auto& l : lines) {
            Segment& s = (count > 0 && l.n >= first && l.n < first + count) ? frozen : scrolled;
            s.n.push_back(l.n);
            s.at.push_back(l.at);
            s.size.push_back(l.size);
        }
        std::vector<Segment> out;
        int from = start;
        if (!frozen.n.empty()) {
            frozen.start = start;
            frozen.end = frozen.at.back() + frozen.size.back();
            from = frozen.end;
            out.push_back(frozen);
        }
        if (!scrolled.n.empty()) {
            scrolled.start = from;
            scrolled.end = end;
            out.push_back(scrolled);
        }
        return out;
    };
    const QWidget* vp = m_grid.viewport();
    const auto ys = split(m_grid.rowsInView(), f.firstRow, f.rows, m_grid.headerHeight(), vp->height());
    const auto xs = split(m_grid.colsInView(), f.firstCol, f.cols, m_grid.headerWidth(), vp->width());
    std::vector<Pane> out;
    for (const Segment& y : ys)
        for (const Segment& x : xs)
            out.push_back({x, y});
    return out;
}

int ObjectLayer::paneAt(const std::vector<Pane>& panes, QPoint pos) const
{
    for (std::size_t i = 0; i < panes.size(); ++i)
        if (panes[i].clip().contains(pos))
            return static_cast<int>(i);
    return -1;
}

double ObjectLayer::toPixel(const Segment& s, bool rows, LinePos pos) const
{
    const SheetFormat& f = book().sheetFormat(book().Sheet());
    const double size = lineSize(f, rows, pos.n);
    const double off = std::clamp(pos.offset, 0.0, size);
    for (std::size_t i = 0; i < s.n.size(); ++i)
        if (s.n[i] == pos.n)
            return s.at[i] + (size > 0 ? off * s.size[i] / size : 0.0);
    if (pos.n < s.n.front())
        return s.at.front() - (lineStart(f, rows, s.n.front()) - lineStart(f, rows, pos.n) - off) * scale();
    if (pos.n > s.n.back())
        return s.at.back() + s.size.back() +
               (lineStart(f, rows, pos.n) + off - lineStart(f, rows, s.n.back() + 1)) * scale();
    // A hidden line between two in view starts where the next one does.
    for (std::size_t i = 0; i < s.n.size(); ++i)
        if (s.n[i] > pos.n)
            return s.at[i];
    return s.at.back() + s.size.back();
}

LinePos ObjectLayer::fromPixel(const Segment& s, bool rows, double px) const
{
    const SheetFormat& f = book().sheetFormat(book().Sheet());
    for (std::size_t i = 0; i < s.n.size(); ++i)
        if (px >= s.at[i] && px < s.at[i] + s.size[i])
            return {s.n[i], (px - s.at[i]) * lineSize(f, rows, s.n[i]) / s.size[i]};
    if (px < s.at.front())
        return lineAt(f, rows, lineStart(f, rows, s.n.front()) - (s.at.front() - px) / scale());
    return lineAt(f, rows, lineStart(f, rows, s.n.back() + 1) + (px - s.at.back() - s.size.back()) / scale());
}

QPointF ObjectLayer::pixelOf(const Pane& pane, const CellAnchor& a) const
{
    return {toPixel(pane.x, false, {a.col, a.dx}), toPixel(pane.y, true, {a.row, a.dy})};
}

QPointF ObjectLayer::pixelOf(const Pane& pane, PointF pts) const
{
    const SheetFormat& f = book().sheetFormat(book().Sheet());
    return pixelOf(pane, anchorAt(f, pts));
}

PointF ObjectLayer::pointsAt(const Pane& pane, QPointF px) const
{
    const LinePos x = fromPixel(pane.x, false, px.x());
    const LinePos y = fromPixel(pane.y, true, px.y());
    const SheetFormat& f = book().sheetFormat(book().Sheet());
    return anchorPoint(f, {y.n, x.n, x.offset, y.offset});
}

QRectF ObjectLayer::boxPixels(const Pane& pane, const DrawingObject& o) const
{
    return QRectF(pixelOf(pane, o.from), pixelOf(pane, o.to)).normalized();
}

std::vector<QPointF> ObjectLayer::handles(const Pane& pane, const DrawingObject& o) const
{
    const QRectF r = boxPixels(pane, o);
    if (o.kind == ObjectKind::Line) {
        const QPointF a(o.flipX ? r.right() : r.left(), o.flipY ? r.bottom() : r.top());
        const QPointF b(o.flipX ? r.left() : r.right(), o.flipY ? r.top() : r.bottom());
        return {a, b};
    }
    const double cx = r.center().x();
    const double cy = r.center().y();
    // Clockwise from the top-left corner.
    return {r.topLeft(), {cx, r.top()},    r.topRight(),   {r.right(), cy},
            r.bottomRight(), {cx, r.bottom()}, r.bottomLeft(), {r.left(), cy}};
}

std::int32_t ObjectLayer::objectAt(const Pane& pane, QPointF pos) const
{
    const auto& objects = book().objects(book().Sheet());
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        const QRectF r = boxPixels(pane, *it);
        if (it->kind == ObjectKind::Line) {
            const auto ends = handles(pane, *it);
            const double reach = std::max(4.0, it->style.lineWidth * scale() / 2 + 2);
            if (distanceToSegment(pos, ends[0], ends[1]) <= reach)
                return it->id;
        } else if (r.adjusted(-2, -2, 2, 2).contains(pos)) {
            return it->id;
        }
    }
    return 0;
}

// ---- painting ------------------------------------------------------------------

void ObjectLayer::paint(QPainter& p)
{
    const Workbook& wb = book();
    const auto& objects = wb.objects(wb.Sheet());
    const auto all = panes();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Pane& pane = all[i];
        p.save();
        p.setClipRect(pane.clip());
        p.setRenderHint(QPainter::Antialiasing);
        for (const DrawingObject& o : objects)
            paintObject(p, pane, o);
        // Handles of the selection, the vertices of a polygon being edited.
        p.setPen(QPen(Qt::black, 1));
        for (const DrawingObject& o : objects) {
            if (!wb.isObjectSelected(o.id))
                continue;
            std::vector<QPointF> points = handles(pane, o);
            const bool vertices = o.id == m_editId;
            if (vertices) {
                points.clear();
                const QRectF r = boxPixels(pane, o);
                for (const UnitPoint& u : o.points)
                    points.push_back({r.left() + u.x * r.width(), r.top() + u.y * r.height()});
            }
            p.setBrush(vertices ? Qt::black : Qt::white);
            for (const QPointF& h : points)
                p.drawRect(QRectF(h.x() - kHandleSize / 2, h.y() - kHandleSize / 2, kHandleSize, kHandleSize));
        }
        if (static_cast<int>(i) == m_pane)
            paintPreview(p, pane);
        p.restore();
    }
}

void ObjectLayer::paintObject(QPainter& p, const Pane& pane, const DrawingObject& o) const
{
    const QRectF r = boxPixels(pane, o);
    // Out of the pane (with room for pens and arrow heads): nothing to draw.
    // Compared edge by edge: a straight line has an empty box.
    const QRect clip = pane.clip();
    if (r.right() + 20 < clip.left() || r.left() - 20 > clip.right() || r.bottom() + 20 < clip.top() ||
        r.top() - 20 > clip.bottom())
        return;
    const ObjectStyle& st = o.style;
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::NoPen};
    QPen pen(rgb(st.lineColor), std::max(1.0, st.lineWidth * scale()));
    pen.setStyle(st.lineWidth > 0 ? styles[std::clamp(st.lineStyle, 0, 4)] : Qt::NoPen);
    const QBrush fill = st.filled ? QBrush(rgb(st.fillColor)) : QBrush(Qt::NoBrush);
    QFont font = m_grid.font();
    font.setPointSizeF(std::max(1.0, grid::kFontPoints * m_grid.zoom() / 100.0));
    p.setFont(font);
    const QString text = QString::fromStdString(o.text);
    const int textFlags = Qt::AlignCenter | Qt::TextWordWrap;
    p.setPen(pen);
    p.setBrush(fill);
    switch (o.kind) {
    case ObjectKind::Line: {
        const auto ends = handles(pane, o);
        p.drawLine(ends[0], ends[1]);
        const double head = std::max(8.0, 3 * pen.widthF());
        if (st.arrowAtStart)
            drawArrowHead(p, ends[0], ends[1], head);
        if (st.arrowAtEnd)
            drawArrowHead(p, ends[1], ends[0], head);
        break;
    }
    case ObjectKind::Rectangle:
        p.drawRect(r);
        p.setPen(Qt::black);
        p.drawText(r, textFlags, text);
        break;
    case ObjectKind::Oval:
        p.drawEllipse(r);
        p.setPen(Qt::black);
        p.drawText(r, textFlags, text);
        break;
    case ObjectKind::Arc: {
        // A quarter of the ellipse centred on the box's corner opposite the bulge.
        const double w = r.width();
        const double h = r.height();
        const QRectF ellipse(o.flipX ? r.left() : r.left() - w, o.flipY ? r.top() - h : r.top(), 2 * w, 2 * h);
        const int start = o.flipX ? (o.flipY ? 180 : 90) : (o.flipY ? 270 : 0);
        if (st.filled) {
            p.setPen(Qt::NoPen);
            p.drawPie(ellipse, start * 16, 90 * 16);
            p.setPen(pen);
        }
        p.drawArc(ellipse, start * 16, 90 * 16);
        break;
    }
    case ObjectKind::Chart:
        p.fillRect(r, st.filled ? rgb(st.fillColor) : QColor(Qt::white));
        if (r.width() > 16 && r.height() > 16) {
            const Workbook& wb = book();
            platform::paintChart(p, r.adjusted(2, 2, -2, -2), chartModel(wb, wb.Sheet(), o.chartSource));
        }
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
        break;
    case ObjectKind::Button: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(225, 225, 225));
        p.drawRect(r);
        p.setPen(QPen(Qt::white, 1));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(QPen(Qt::darkGray, 1));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        p.setPen(Qt::black);
        p.drawText(r, textFlags, text);
        break;
    }
    case ObjectKind::Polygon: {
        QPolygonF poly;
        for (const UnitPoint& u : o.points)
            poly << QPointF(r.left() + u.x * r.width(), r.top() + u.y * r.height());
        if (st.filled)
            p.drawPolygon(poly);
        else
            p.drawPolyline(poly);
        break;
    }
    case ObjectKind::CheckBox: {
        const double side = std::min(r.height(), 13.0 * m_grid.zoom() / 100.0);
        const QRectF box(r.left() + 2, r.center().y() - side / 2, side, side);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(o.checkState == 2 ? QColor(190, 190, 190) : QColor(Qt::white));
        p.drawRect(box);
        if (o.checkState == 1) {
            p.setPen(QPen(Qt::black, std::max(1.5, side / 8)));
            p.drawPolyline(QPolygonF({QPointF(box.left() + side * 0.2, box.top() + side * 0.5),
                                      QPointF(box.left() + side * 0.42, box.top() + side * 0.75),
                                      QPointF(box.left() + side * 0.8, box.top() + side * 0.25)}));
        }
        p.setPen(Qt::black);
        p.drawText(r.adjusted(side + 6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        break;
    }
    case ObjectKind::DropDown: {
        p.setPen(QPen(Qt::darkGray, 1));
        p.setBrush(Qt::white);
        p.drawRect(r);
        const double side = std::min(r.height(), r.width() / 2);
        const QRectF button(r.right() - side, r.top(), side, r.height());
        p.setBrush(QColor(225, 225, 225));
        p.drawRect(button);
        p.setBrush(Qt::black);
        p.setPen(Qt::NoPen);
        const QPointF c = button.center();
        const double a = side / 5;
        p.drawPolygon(QPolygonF({QPointF(c.x() - a, c.y() - a / 2), QPointF(c.x() + a, c.y() - a / 2),
                                 QPointF(c.x(), c.y() + a / 2)}));
        if (o.chosenItem > 0 && static_cast<std::size_t>(o.chosenItem) <= o.items.size()) {
            p.setPen(Qt::black);
            p.drawText(r.adjusted(3, 0, -side, 0), Qt::AlignLeft | Qt::AlignVCenter,
                       QString::fromStdString(o.items[static_cast<std::size_t>(o.chosenItem - 1)]));
        }
        break;
    }
    }
}

void ObjectLayer::paintPreview(QPainter& p, const Pane& pane) const
{
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    const Workbook& wb = book();
    switch (m_drag) {
    case Drag::Insert:
        if (wb.Mode() == static_cast<std::int32_t>(ObjectKind::Line))
            p.drawLine(m_pressPx, m_currentPx);
        else
            p.drawRect(QRectF(m_pressPx, m_currentPx).normalized());
        break;
    case Drag::Move: {
        const QPointF d = m_currentPx - m_pressPx;
        for (const DrawingObject& o : wb.objects(wb.Sheet()))
            if (wb.isObjectSelected(o.id))
                p.drawRect(boxPixels(pane, o).translated(d));
        break;
    }
    case Drag::Resize:
    case Drag::Vertex:
        p.drawLine(m_pressPx, m_currentPx);
        break;
    default:
        break;
    }
    if (!m_polygon.empty()) {
        QPolygonF poly;
        for (const PointF& v : m_polygon)
            poly << pixelOf(pane, v);
        p.setPen(QPen(Qt::black, 1));
        p.drawPolyline(poly);
    }
}

// ---- pointer and keys --------------------------------------------------------------

bool ObjectLayer::mousePress(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    Workbook& wb = book();
    const auto all = panes();
    const QPoint pos = event->position().toPoint();
    const int pane = paneAt(all, pos);
    if (pane < 0)
        return false;
    m_pane = pane;
    m_pressPx = m_currentPx = event->position();
    const Pane& here = all[static_cast<std::size_t>(pane)];

    if (wb.Mode() == static_cast<std::int32_t>(ObjectKind::Polygon)) {
        const PointF at = pointsAt(here, m_pressPx);
        if (m_polygon.size() >= 2) {
            const QPointF first = pixelOf(here, m_polygon.front());
            if (std::hypot(first.x() - m_pressPx.x(), first.y() - m_pressPx.y()) <= kVertexReach) {
                m_polygon.push_back(m_polygon.front());
                finishPolygon(true);
                return true;
            }
        }
        m_polygon.push_back(at);
        m_drag = Drag::Polygon;
        m_grid.viewport()->update();
        return true;
    }
    if (wb.Mode() != 0) {
        m_drag = Drag::Insert;
        m_chartSource = wb.SelectionEx(0);
        return true;
    }

    if (m_editId != 0) {
        const DrawingObject& o = wb.object(wb.Sheet(), m_editId);
        const QRectF r = boxPixels(here, o);
        for (std::size_t i = 0; i < o.points.size(); ++i) {
            const QPointF v(r.left() + o.points[i].x * r.width(), r.top() + o.points[i].y * r.height());
            if (std::hypot(v.x() - m_pressPx.x(), v.y() - m_pressPx.y()) <= kVertexReach) {
                m_drag = Drag::Vertex;
                m_target = o.id;
                m_handle = static_cast<int>(i);
                return true;
            }
        }
        if (objectAt(here, m_pressPx) == m_editId)
            return true;
        m_editId = 0;  // a click away ends the editing, and acts as usual
        m_grid.viewport()->update();
    }

    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    // A handle of a selected object starts a resize.
    if (!ctrl) {
        const auto& objects = wb.objects(wb.Sheet());
        for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
            if (!wb.isObjectSelected(it->id))
                continue;
            const auto hs = handles(here, *it);
            for (std::size_t i = 0; i < hs.size(); ++i) {
                if (std::abs(hs[i].x() - m_pressPx.x()) <= kHandleSize / 2 + 1 &&
                    std::abs(hs[i].y() - m_pressPx.y()) <= kHandleSize / 2 + 1) {
                    m_drag = Drag::Resize;
                    m_target = it->id;
                    m_handle = static_cast<int>(i);
                    return true;
                }
            }
        }
    }

    const std::int32_t id = objectAt(here, m_pressPx);
    if (id == 0)
        return false;
    const DrawingObject& o = wb.object(wb.Sheet(), id);
    if (!ctrl) {
        switch (o.kind) {
        case ObjectKind::CheckBox: {
            DrawingObject changed = o;
            changed.checkState = o.checkState == 1 ? 0 : 1;
            wb.setObject(wb.Sheet(), changed);
            return true;
        }
        case ObjectKind::DropDown:
            openList(o, pos);
            return true;
        case ObjectKind::Button:
            return true;  // a button without a macro does nothing
        default:
            break;
        }
    }
    if (ctrl && wb.isObjectSelected(id)) {
        wb.deselectObject(id);
        return true;
    }
    if (!wb.isObjectSelected(id))
        wb.selectObject(id, ctrl);
    m_drag = Drag::Move;
    return true;
}

bool ObjectLayer::mouseMove(QMouseEvent* event)
{
    if (m_drag == Drag::None)
        return false;
    m_currentPx = event->position();
    m_grid.viewport()->update();
    return true;
}

bool ObjectLayer::mouseRelease(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_drag == Drag::None)
        return false;
    m_currentPx = event->position();
    const Drag drag = m_drag;
    m_drag = Drag::None;
    const QPointF moved = m_currentPx - m_pressPx;
    const bool dragged = std::abs(moved.x()) > kDragSlop || std::abs(moved.y()) > kDragSlop;
    Workbook& wb = book();
    try {
        switch (drag) {
        case Drag::Insert:
            finishInsert(m_currentPx);
            break;
        case Drag::Polygon:
            // A drag while drawing a polygon lays down a side in one go.
            if (dragged) {
                const auto all = panes();
                m_polygon.push_back(pointsAt(all[static_cast<std::size_t>(m_pane)], m_currentPx));
            }
            break;
        case Drag::Move:
            if (dragged) {
                const auto all = panes();
                const Pane& pane = all[static_cast<std::size_t>(m_pane)];
                const PointF a = pointsAt(pane, m_pressPx);
                const PointF b = pointsAt(pane, m_currentPx);
                wb.moveSelectedObjects(b.x - a.x, b.y - a.y);
            }
            break;
        case Drag::Resize:
            if (dragged)
                finishResize(m_currentPx);
            break;
        case Drag::Vertex:
            if (dragged)
                finishVertex(m_currentPx);
            break;
        case Drag::None:
            break;
        }
    } catch (const platform::Error&) {
        QApplication::beep();
    }
    m_grid.viewport()->update();
    return true;
}

bool ObjectLayer::mouseDoubleClick(QMouseEvent* event)
{
    if (book().Mode() == static_cast<std::int32_t>(ObjectKind::Polygon) && !m_polygon.empty()) {
        finishPolygon(false);
        return true;
    }
    const auto all = panes();
    const int pane = paneAt(all, event->position().toPoint());
    return pane >= 0 && objectAt(all[static_cast<std::size_t>(pane)], event->position()) != 0;
}

bool ObjectLayer::keyPress(QKeyEvent* event)
{
    Workbook& wb = book();
    if (event->key() == Qt::Key_Escape) {
        bool acted = false;
        if (m_drag != Drag::None) {
            m_drag = Drag::None;
            acted = true;
        }
        if (!m_polygon.empty()) {
            finishPolygon(false);
            acted = true;
        }
        if (wb.Mode() != 0) {
            wb.setMode(0);
            acted = true;
        }
        if (m_editId != 0) {
            m_editId = 0;
            acted = true;
        }
        m_grid.viewport()->update();
        return acted;
    }
    if (event->key() == Qt::Key_Delete && wb.selectedObjectCount() > 0) {
        m_editId = 0;
        wb.deleteSelectedObjects();
        return true;
    }
    return false;
}

void ObjectLayer::modelChanged()
{
    Workbook& wb = book();
    if (wb.Mode() != 0)
        m_grid.viewport()->setCursor(Qt::CrossCursor);
    else
        m_grid.viewport()->unsetCursor();
    if (wb.Mode() != static_cast<std::int32_t>(ObjectKind::Polygon))
        m_polygon.clear();
    if (m_editId != 0 && !(wb.selectedObjectCount() == 1 && wb.selectedObjectId(0) == m_editId))
        m_editId = 0;
}

void ObjectLayer::editPolygonPoints()
{
    Workbook& wb = book();
    if (wb.selectedObjectCount() != 1)
        return;
    const std::int32_t id = wb.selectedObjectId(0);
    if (wb.object(wb.Sheet(), id).kind != ObjectKind::Polygon)
        return;
    m_editId = id;
    m_grid.viewport()->update();
}

// ---- finishing a drag -----------------------------------------------------------------

void ObjectLayer::finishInsert(QPointF releasePx)
{
    Workbook& wb = book();
    const std::int32_t sheet = wb.Sheet();
    const SheetFormat& f = wb.sheetFormat(sheet);
    const auto all = panes();
    const Pane& pane = all[static_cast<std::size_t>(m_pane)];
    const auto kind = static_cast<ObjectKind>(wb.Mode());
    PointF a = pointsAt(pane, m_pressPx);
    PointF b = pointsAt(pane, releasePx);
    const QPointF moved = releasePx - m_pressPx;
    if (std::abs(moved.x()) <= kDragSlop && std::abs(moved.y()) <= kDragSlop) {
        const BoxF box = movedInsideSheet(f, defaultBox(kind, a), 0, 0);
        b = {box.right, box.bottom};
    } else {
        // Grown from the corner where the drag began, in the drag's direction.
        const PointF least = minimumSize(kind);
        const auto grow = [](double from, double to, double size) {
            if (std::abs(to - from) >= size)
                return to;
            return to >= from ? from + size : from - size;
        };
        b = {grow(a.x, b.x, least.x), grow(a.y, b.y, least.y)};
        const BoxF box = movedInsideSheet(f, {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x),
                                               std::max(a.y, b.y)}, 0, 0);
        if (box.left != std::min(a.x, b.x) || box.top != std::min(a.y, b.y)) {
            a = {box.left, box.top};  // pushed back inside the sheet near its far edge
            b = {box.right, box.bottom};
        }
    }
    DrawingObject o;
    o.kind = kind;
    o.style.filled = kind != ObjectKind::Line && kind != ObjectKind::Arc;
    if (kind == ObjectKind::Line || kind == ObjectKind::Arc)
        placeLine(f, o, a, b);  // the flips follow the drag
    else
        placeObject(f, o, {a.x, a.y, b.x, b.y});
    if (kind == ObjectKind::Chart)
        o.chartSource = m_chartSource;
    const std::int32_t id = wb.addObject(sheet, o);
    if (kind == ObjectKind::Button || kind == ObjectKind::CheckBox) {
        DrawingObject named = wb.object(sheet, id);
        named.text = named.name;
        wb.setObject(sheet, named);
    }
    wb.setMode(0);
    wb.selectObject(id, false);
}

void ObjectLayer::finishPolygon(bool closed)
{
    Workbook& wb = book();
    std::vector<PointF> vertices;
    for (const PointF& v : m_polygon)
        if (vertices.empty() || std::hypot(v.x - vertices.back().x, v.y - vertices.back().y) > 0.5)
            vertices.push_back(v);
    if (closed && vertices.size() >= 2 && std::hypot(vertices.back().x - vertices.front().x,
                                                     vertices.back().y - vertices.front().y) > 0.5)
        vertices.push_back(vertices.front());
    m_polygon.clear();
    m_drag = Drag::None;
    std::int32_t id = 0;
    if (vertices.size() >= 2) {
        DrawingObject o;
        o.kind = ObjectKind::Polygon;
        o.style.filled = closed;
        placePolygon(wb.sheetFormat(wb.Sheet()), o, vertices);
        id = wb.addObject(wb.Sheet(), o);
    }
    wb.setMode(0);
    if (id != 0)
        wb.selectObject(id, false);
    m_grid.viewport()->update();
}

void ObjectLayer::finishResize(QPointF releasePx)
{
    Workbook& wb = book();
    const std::int32_t sheet = wb.Sheet();
    const SheetFormat& f = wb.sheetFormat(sheet);
    const auto all = panes();
    const PointF to = pointsAt(all[static_cast<std::size_t>(m_pane)], releasePx);
    DrawingObject o = wb.object(sheet, m_target);
    const BoxF box = objectBox(f, o);
    if (o.kind == ObjectKind::Line) {
        if (m_handle == 0)
            placeLine(f, o, to, lineEndPoint(box, o));
        else
            placeLine(f, o, lineStartPoint(box, o), to);
        wb.setObject(sheet, o);
        return;
    }
    BoxF b = box;
    // Handles clockwise from the top-left: which edges each one moves.
    switch (m_handle) {
    case 0: b.left = to.x; b.top = to.y; break;
    case 1: b.top = to.y; break;
    case 2: b.right = to.x; b.top = to.y; break;
    case 3: b.right = to.x; break;
    case 4: b.right = to.x; b.bottom = to.y; break;
    case 5: b.bottom = to.y; break;
    case 6: b.left = to.x; b.bottom = to.y; break;
    case 7: b.left = to.x; break;
    default: return;
    }
    wb.setObjectBox(sheet, m_target, b);
}

void ObjectLayer::finishVertex(QPointF releasePx)
{
    Workbook& wb = book();
    const std::int32_t sheet = wb.Sheet();
    const SheetFormat& f = wb.sheetFormat(sheet);
    const auto all = panes();
    DrawingObject o = wb.object(sheet, m_target);
    std::vector<PointF> vertices = polygonVertices(objectBox(f, o), o);
    if (m_handle < 0 || static_cast<std::size_t>(m_handle) >= vertices.size())
        return;
    vertices[static_cast<std::size_t>(m_handle)] = pointsAt(all[static_cast<std::size_t>(m_pane)], releasePx);
    placePolygon(f, o, vertices);
    wb.setObject(sheet, o);
}

void ObjectLayer::openList(const DrawingObject& o, QPoint pos)
{
    if (o.items.empty())
        return;
    auto* menu = new QMenu(m_grid.viewport());  // owned by the viewport; deletes itself when closed
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const std::int32_t sheet = book().Sheet();
    const std::int32_t id = o.id;
    for (std::size_t i = 0; i < o.items.size(); ++i) {
        QAction* item = menu->addAction(QString::fromStdString(o.items[i]));
        item->setCheckable(true);
        item->setChecked(static_cast<std::int32_t>(i + 1) == o.chosenItem);
        QObject::connect(item, &QAction::triggered, menu, [this, sheet, id, i] {
            Workbook& wb = book();
            try {
                DrawingObject changed = wb.object(sheet, id);
                changed.chosenItem = static_cast<std::int32_t>(i + 1);
                wb.setObject(sheet, changed);
            } catch (const platform::Error&) {
                QApplication::beep();  // the object went away while the list was open
            }
        });
    }
    const auto all = panes();
    const int pane = paneAt(all, pos);
    QPoint at = pos;
    if (pane >= 0) {
        const QRectF r = boxPixels(all[static_cast<std::size_t>(pane)], o);
        at = QPoint(static_cast<int>(r.left()), static_cast<int>(r.bottom()));
    }
    menu->popup(m_grid.viewport()->mapToGlobal(at));
}

// ---- the widget's entry -----------------------------------------------------------

void SpreadsheetWidget::editPolygonPoints()
{
    m_grid->editPolygonPoints();
}

} // namespace spreadsheet
