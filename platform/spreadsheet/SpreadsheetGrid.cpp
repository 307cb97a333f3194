#include "platform/spreadsheet/SpreadsheetGrid.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/CellAlignment.h"
#include "platform/spreadsheet/DataEdge.h"
#include "platform/spreadsheet/GridMetrics.h"
#include "platform/spreadsheet/NumberFormat.h"
#include "platform/spreadsheet/ObjectLayer.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

using grid::kColWidth;
using grid::kFontPoints;
using grid::kHeaderHeight;
using grid::kHeaderWidth;
using grid::kPixelsPerChar;
using grid::kPixelsPerPoint;
using grid::kRowHeight;

const QColor kGridLine(218, 220, 224);
const QColor kHeaderFill(240, 240, 240);
const QColor kHeaderSelected(208, 215, 229);
const QColor kSelectionFill(204, 224, 255);
const QColor kActiveBorder(26, 115, 232);
const QColor kPageBreak(40, 40, 160);

} // namespace

SpreadsheetGrid::SpreadsheetGrid(SpreadsheetWidget* owner)
    : QAbstractScrollArea(owner), m_owner(owner), m_objects(std::make_unique<ObjectLayer>(*this))
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
    updateScrollBars();
    m_shownSheet = &book().sheetData(book().Sheet());
}

SpreadsheetGrid::~SpreadsheetGrid() = default;

Workbook& SpreadsheetGrid::book() const
{
    return m_owner->workbook();
}

double SpreadsheetGrid::pixelsPerPoint() const
{
    return kPixelsPerPoint * m_zoom / 100.0;
}

void SpreadsheetGrid::editPolygonPoints()
{
    m_objects->editPolygonPoints();
}

int SpreadsheetGrid::colWidth() const
{
    return std::max(4, kColWidth * m_zoom / 100);
}

int SpreadsheetGrid::rowHeight() const
{
    return std::max(4, kRowHeight * m_zoom / 100);
}

int SpreadsheetGrid::colPixels(std::int32_t col) const
{
    const double chars = book().sheetFormat(book().Sheet()).colWidth(col);
    return static_cast<int>(std::lround(chars * kPixelsPerChar * m_zoom / 100.0));
}

int SpreadsheetGrid::rowPixels(std::int32_t row) const
{
    const double points = book().sheetFormat(book().Sheet()).rowHeight(row);
    return static_cast<int>(std::lround(points * kPixelsPerPoint * m_zoom / 100.0));
}

namespace {

// Lines from `frozenFirst` (count `frozen`) and then from `first` on, until `room` pixels are filled.
template <typename SizeOf>
std::vector<SpreadsheetGrid::Line> linesInView(std::int32_t frozenFirst, std::int32_t frozen, std::int32_t first,
                                               std::int32_t max, int start, int room, SizeOf sizeOf)
{
    std::vector<SpreadsheetGrid::Line> out;
    int at = start;
    auto add = [&](std::int32_t n) {
        const int size = sizeOf(n);
        if (size > 0) {
            out.push_back({n, at, size});
            at += size;
        }
    };
    for (std::int32_t n = frozenFirst; n < frozenFirst + frozen && n <= max && at < room; ++n)
        add(n);
    for (std::int32_t n = std::max(first, frozen > 0 ? frozenFirst + frozen : 1); n <= max && at < room; ++n)
        add(n);
    return out;
}

} // namespace

std::vector<SpreadsheetGrid::Line> SpreadsheetGrid::rowsInView() const
{
    const auto f = book().freeze();
    return linesInView(f.firstRow, f.rows, topRow(), kMaxRows, headerHeight(), viewport()->height(),
                       [this](std::int32_t r) { return rowPixels(r); });
}

std::vector<SpreadsheetGrid::Line> SpreadsheetGrid::colsInView() const
{
    const auto f = book().freeze();
    return linesInView(f.firstCol, f.cols, leftCol(), kMaxCols, headerWidth(), viewport()->width(),
                       [this](std::int32_t c) { return colPixels(c); });
}

int SpreadsheetGrid::headerHeight() const
{
    if (!book().options().showColHeading)
        return 0;
    return std::max(4, kHeaderHeight * m_zoom / 100);
}

int SpreadsheetGrid::headerWidth() const
{
    if (!book().options().showRowHeading)
        return 0;
    return std::max(8, kHeaderWidth * m_zoom / 100);
}

int SpreadsheetGrid::topRow() const
{
    return verticalScrollBar()->value() + 1;
}

int SpreadsheetGrid::leftCol() const
{
    return horizontalScrollBar()->value() + 1;
}

void SpreadsheetGrid::setZoom(std::int32_t percent)
{
    m_zoom = std::clamp(percent, 11, 399);
    if (m_editor)
        commitEdit();
    updateScrollBars();
    viewport()->update();
}

void SpreadsheetGrid::updateScrollBars()
{
    const int rows = std::max(1, (viewport()->height() - headerHeight()) / rowHeight());
    const int cols = std::max(1, (viewport()->width() - headerWidth()) / colWidth());
    verticalScrollBar()->setRange(0, kMaxRows - rows);
    verticalScrollBar()->setPageStep(rows);
    horizontalScrollBar()->setRange(0, kMaxCols - cols);
    horizontalScrollBar()->setPageStep(cols);
}

std::int32_t SpreadsheetGrid::rowAt(int y) const
{
    if (y < headerHeight())
        return 0;
    for (const Line& l : rowsInView())
        if (y >= l.at && y < l.at + l.size)
            return l.n;
    return 0;
}

std::int32_t SpreadsheetGrid::colAt(int x) const
{
    if (x < headerWidth())
        return 0;
    for (const Line& l : colsInView())
        if (x >= l.at && x < l.at + l.size)
            return l.n;
    return 0;
}

QRect SpreadsheetGrid::cellRect(std::int32_t row, std::int32_t col) const
{
    const auto rows = rowsInView();
    const auto cols = colsInView();
    const auto r = std::find_if(rows.begin(), rows.end(), [row](const Line& l) { return l.n == row; });
    const auto c = std::find_if(cols.begin(), cols.end(), [col](const Line& l) { return l.n == col; });
    if (r == rows.end() || c == cols.end())
        return {};
    return QRect(c->at, r->at, c->size, r->size);
}

void SpreadsheetGrid::ensureVisible(std::int32_t row, std::int32_t col)
{
    const auto f = book().freeze();
    // A frozen line is always in view; the others scroll until they are.
    auto inView = [](const std::vector<Line>& lines, std::int32_t n, int room) {
        for (const Line& l : lines)
            if (l.n == n)
                return l.at + l.size <= room || &l == &lines.front();
        return false;
    };
    const bool rowFrozen = row >= f.firstRow && row < f.firstRow + f.rows;
    if (!rowFrozen && !inView(rowsInView(), row, viewport()->height())) {
        if (row < topRow() || f.rows > 0) {
            verticalScrollBar()->setValue(row - 1);
        } else {
            int room = viewport()->height() - headerHeight();
            std::int32_t top = row;
            while (top > 1 && room - rowPixels(top) >= 0) {
                room -= rowPixels(top);
                --top;
            }
            verticalScrollBar()->setValue(std::min(top, row - 1));
        }
    }
    const bool colFrozen = col >= f.firstCol && col < f.firstCol + f.cols;
    if (!colFrozen && !inView(colsInView(), col, viewport()->width())) {
        if (col < leftCol() || f.cols > 0) {
            horizontalScrollBar()->setValue(col - 1);
        } else {
            int room = viewport()->width() - headerWidth();
            std::int32_t left = col;
            while (left > 1 && room - colPixels(left) >= 0) {
                room -= colPixels(left);
                --left;
            }
            horizontalScrollBar()->setValue(std::min(left, col - 1));
        }
    }
}

void SpreadsheetGrid::modelChanged()
{
    if (m_editor && (m_editRow != book().activeRow() || m_editCol != book().activeCol()))
        commitEdit();
    m_objects->modelChanged();
    // The headings may have come or gone with the workbook's options.
    updateScrollBars();
    followSheet();
    viewport()->update();
}

void SpreadsheetGrid::followSheet()
{
    const Workbook& wb = book();
    const detail::SheetData* now = &wb.sheetData(wb.Sheet());
    // Positions of sheets no longer in the book go at once: a sheet made
    // later could take the place of a deleted one.
    bool shownKept = false;
    std::map<const detail::SheetData*, QPoint> kept;
    for (std::int32_t s = 1; s <= wb.NumSheets(); ++s) {
        const detail::SheetData* sheet = &wb.sheetData(s);
        shownKept = shownKept || sheet == m_shownSheet;
        if (const auto it = m_sheetScroll.find(sheet); it != m_sheetScroll.end())
            kept.insert(*it);
    }
    m_sheetScroll = std::move(kept);
    if (now == m_shownSheet)
        return;
    if (shownKept)
        m_sheetScroll[m_shownSheet] = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
    m_shownSheet = now;
    const auto it = m_sheetScroll.find(now);
    const QPoint to = it != m_sheetScroll.end() ? it->second : QPoint(0, 0);
    horizontalScrollBar()->setValue(to.x());
    verticalScrollBar()->setValue(to.y());
}

void SpreadsheetGrid::paintEvent(QPaintEvent* /*event*/)
{
    QPainter p(viewport());
    QFont font = this->font();
    font.setPointSizeF(kFontPoints * m_zoom / 100.0);
    p.setFont(font);
    const QRect area = viewport()->rect();
    p.fillRect(area, Qt::white);

    const Workbook& wb = book();
    const std::int32_t sheet = wb.Sheet();
    const SheetFormat& formats = wb.sheetFormat(sheet);
    const int hh = headerHeight();
    const int hw = headerWidth();
    const auto rows = rowsInView();
    const auto cols = colsInView();
    if (rows.empty() || cols.empty())
        return;
    const std::int32_t firstRow = topRow();
    const std::int32_t firstCol = leftCol();
    std::int32_t lastRow = 0;
    std::int32_t lastCol = 0;
    for (const Line& l : rows)
        lastRow = std::max(lastRow, l.n);
    for (const Line& l : cols)
        lastCol = std::max(lastCol, l.n);

    std::vector<RangeRef> selection;
    for (std::int32_t i = 0; i < wb.SelectionCount(); ++i)
        selection.push_back(wb.SelectionEx(i));
    auto selected = [&](std::int32_t r, std::int32_t c) {
        return std::any_of(selection.begin(), selection.end(), [&](const RangeRef& s) { return s.contains(r, c); });
    };
    const std::int32_t activeRow = wb.activeRow();
    const std::int32_t activeCol = wb.activeCol();

    // Fonts by look, made once per paint.
    const double scale = kFontPoints / 10.0 * m_zoom / 100.0;
    auto fontFor = [&](const CellFormat& f) {
        QFont cf(QString::fromStdString(f.fontName));
        cf.setPointSizeF(std::max(1.0, f.fontSize * scale));
        cf.setBold(f.bold);
        cf.setItalic(f.italic);
        cf.setUnderline(f.underline);
        return cf;
    };
    auto edgePen = [](BorderStyle b) {
        return QPen(Qt::black, b == BorderStyle::Thin ? 1 : b == BorderStyle::Medium ? 2 : 3);
    };

    // Cells: only those in view.
    for (const Line& rl : rows) {
        for (const Line& cl : cols) {
            const std::int32_t r = rl.n;
            const std::int32_t c = cl.n;
            const QRect cell(cl.at, rl.at, cl.size, rl.size);
            const CellFormat& f = formats.format(r, c);
            if (f.fill != kNoFill)
                p.fillRect(cell, QColor::fromRgb(f.fill));
            if (selected(r, c) && !(r == activeRow && c == activeCol))
                p.fillRect(cell, f.fill != kNoFill ? QColor(kSelectionFill.red(), kSelectionFill.green(),
                                                             kSelectionFill.blue(), 150)
                                                   : kSelectionFill);
            if (wb.options().showGridLines) {
                p.setPen(kGridLine);
                p.drawLine(cell.topRight(), cell.bottomRight());
                p.drawLine(cell.bottomLeft(), cell.bottomRight());
            }
            if (f.borderLeft != BorderStyle::None) {
                p.setPen(edgePen(f.borderLeft));
                p.drawLine(cell.topLeft(), cell.bottomLeft());
            }
            if (f.borderRight != BorderStyle::None) {
                p.setPen(edgePen(f.borderRight));
                p.drawLine(cell.topRight(), cell.bottomRight());
            }
            if (f.borderTop != BorderStyle::None) {
                p.setPen(edgePen(f.borderTop));
                p.drawLine(cell.topLeft(), cell.topRight());
            }
            if (f.borderBottom != BorderStyle::None) {
                p.setPen(edgePen(f.borderBottom));
                p.drawLine(cell.bottomLeft(), cell.bottomRight());
            }
            const Value v = wb.cellValue(sheet, r, c);
            if (v.isEmpty())
                continue;
            const Qt::Alignment align = cellAlignment(v, f);
            const QFont cellFont = fontFor(f);
            p.setFont(cellFont);
            const QFontMetrics metrics(cellFont);
            const TextWidth fontWidth = [&metrics](std::string_view t) {
                return metrics.horizontalAdvance(QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())));
            };
            p.setPen(QColor::fromRgb(f.fontColor));
            const QRect textArea = cell.adjusted(grid::kTextPad, 1, -grid::kTextPad, -1);
            const std::string text = v.isNumber() ? shownNumberText(v.number(), f.numberFormat, textArea.width(), fontWidth)
                                                  : v.displayText();
            int flags = static_cast<int>(align);
            if (f.wrap && !v.isNumber())
                flags |= Qt::TextWordWrap;
            p.save();
            p.setClipRect(cell);
            p.drawText(textArea, flags, QString::fromStdString(text));
            p.restore();
        }
    }
    p.setFont(font);

    // Manual page breaks: a dashed line where a printed page starts.
    if (!formats.rowBreaks().empty() || !formats.colBreaks().empty()) {
        const auto isBreak = [](const std::vector<std::int32_t>& breaks, std::int32_t n) {
            return std::binary_search(breaks.begin(), breaks.end(), n);
        };
        const int right = cols.back().at + cols.back().size;
        const int bottom = rows.back().at + rows.back().size;
        p.save();
        p.setPen(QPen(kPageBreak, 1, Qt::DashLine));
        for (const Line& l : rows)
            if (isBreak(formats.rowBreaks(), l.n))
                p.drawLine(hw, l.at, right, l.at);
        for (const Line& l : cols)
            if (isBreak(formats.colBreaks(), l.n))
                p.drawLine(l.at, hh, l.at, bottom);
        p.restore();
    }

    // Drawing objects over the cells, under the headers.
    m_objects->paint(p);

    // Headers.
    auto bandSelected = [&](bool rows, std::int32_t n) {
        return std::any_of(selection.begin(), selection.end(), [&](const RangeRef& s) {
            return rows ? (n >= s.firstRow && n <= s.lastRow) : (n >= s.firstCol && n <= s.lastCol);
        });
    };
    for (const Line& cl : cols) {
        if (hh == 0)
            break;
        const QRect h(cl.at, 0, cl.size, hh);
        p.fillRect(h, bandSelected(false, cl.n) ? kHeaderSelected : kHeaderFill);
        p.setPen(kGridLine.darker(130));
        p.drawLine(h.topRight(), h.bottomRight());
        p.drawLine(h.bottomLeft(), h.bottomRight());
        p.setPen(Qt::black);
        p.drawText(h, Qt::AlignCenter, QString::fromStdString(columnLetters(cl.n)));
    }
    for (const Line& rl : rows) {
        if (hw == 0)
            break;
        const QRect h(0, rl.at, hw, rl.size);
        p.fillRect(h, bandSelected(true, rl.n) ? kHeaderSelected : kHeaderFill);
        p.setPen(kGridLine.darker(130));
        p.drawLine(h.topRight(), h.bottomRight());
        p.drawLine(h.bottomLeft(), h.bottomRight());
        p.setPen(Qt::black);
        p.drawText(h, Qt::AlignCenter, QString::number(rl.n));
    }
    if (hw > 0 && hh > 0)
        p.fillRect(QRect(0, 0, hw, hh), kHeaderFill);
    // The edge of frozen panes.
    const auto freeze = wb.freeze();
    if (freeze.rows > 0) {
        int y = hh;
        for (const Line& l : rows)
            if (l.n >= freeze.firstRow && l.n < freeze.firstRow + freeze.rows)
                y = l.at + l.size;
        p.setPen(QPen(Qt::darkGray, 1));
        p.drawLine(0, y - 1, area.width(), y - 1);
    }
    if (freeze.cols > 0) {
        int x = hw;
        for (const Line& l : cols)
            if (l.n >= freeze.firstCol && l.n < freeze.firstCol + freeze.cols)
                x = l.at + l.size;
        p.setPen(QPen(Qt::darkGray, 1));
        p.drawLine(x - 1, 0, x - 1, area.height());
    }

    // The active cell, the fill handle and a fill being dragged.
    const QRect active = cellRect(activeRow, activeCol);
    if (!active.isNull()) {
        p.setPen(QPen(kActiveBorder, 2));
        p.drawRect(active.adjusted(1, 1, -1, -1));
    }
    const QRect handle = fillHandleRect();
    if (!handle.isNull())
        p.fillRect(handle, kActiveBorder);
    if (m_drag == DragKind::Fill && !(m_fillTarget == m_fillSource)) {
        const QRect a = cellRect(std::max(m_fillTarget.firstRow, firstRow), std::max(m_fillTarget.firstCol, firstCol));
        const QRect b = cellRect(std::min(m_fillTarget.lastRow, lastRow), std::min(m_fillTarget.lastCol, lastCol));
        if (!a.isNull() && !b.isNull()) {
            p.setPen(QPen(kActiveBorder, 1, Qt::DashLine));
            p.drawRect(a.united(b).adjusted(0, 0, -1, -1));
        }
    }
}

QRect SpreadsheetGrid::fillHandleRect() const
{
    const Workbook& wb = book();
    if (wb.SelectionCount() != 1)
        return {};
    const RangeRef r = wb.SelectionEx(0);
    const QRect corner = cellRect(r.lastRow, r.lastCol);
    if (corner.isNull())
        return {};
    const int size = std::max(5, 7 * m_zoom / 100);
    return QRect(corner.right() - size / 2, corner.bottom() - size / 2, size, size);
}

void SpreadsheetGrid::selectTo(std::int32_t row, std::int32_t col)
{
    Workbook& wb = book();
    m_endRow = row;
    m_endCol = col;
    RangeRef r{m_anchorRow, m_anchorCol, row, col};
    if (m_drag == DragKind::Rows) {
        r = RangeRef{m_anchorRow, 1, row, kMaxCols};
    } else if (m_drag == DragKind::Columns) {
        r = RangeRef{1, m_anchorCol, kMaxRows, col};
    }
    if (m_dragAdds && !m_kept.empty()) {
        wb.setSelection(m_kept[0].firstRow, m_kept[0].firstCol, m_kept[0].lastRow, m_kept[0].lastCol);
        for (std::size_t i = 1; i < m_kept.size(); ++i)
            wb.addSelection(m_kept[i]);
        wb.addSelection(r);
    } else {
        wb.setSelection(r.firstRow, r.firstCol, r.lastRow, r.lastCol);
    }
}

void SpreadsheetGrid::mousePressEvent(QMouseEvent* event)
{
    m_owner->userAction([&] { onMousePress(event); });
}

void SpreadsheetGrid::onMousePress(QMouseEvent* event)
{
    if (m_editor)
        commitEdit();
    setFocus();
    if (event->button() != Qt::LeftButton || m_objects->mousePress(event))
        return;
    const QPoint pos = event->position().toPoint();
    const QRect handle = fillHandleRect();
    if (!handle.isNull() && handle.adjusted(-2, -2, 2, 2).contains(pos)) {
        m_drag = DragKind::Fill;
        m_fillSource = m_fillTarget = book().SelectionEx(0);
        return;
    }
    const std::int32_t row = rowAt(pos.y());
    const std::int32_t col = colAt(pos.x());
    const bool onColHeader = pos.y() < headerHeight() && col > 0;
    const bool onRowHeader = pos.x() < headerWidth() && row > 0;
    if (!onColHeader && !onRowHeader && (row == 0 || col == 0)) {
        if (pos.x() < headerWidth() && pos.y() < headerHeight())
            book().setSelection(1, 1, kMaxRows, kMaxCols);  // the corner selects the sheet
        return;
    }
    Workbook& wb = book();
    m_dragAdds = (event->modifiers() & Qt::ControlModifier) != 0;
    m_kept.clear();
    if (m_dragAdds)
        for (std::int32_t i = 0; i < wb.SelectionCount(); ++i)
            m_kept.push_back(wb.SelectionEx(i));
    m_drag = onColHeader ? DragKind::Columns : onRowHeader ? DragKind::Rows : DragKind::Cells;
    if ((event->modifiers() & Qt::ShiftModifier) && !m_dragAdds) {
        m_anchorRow = wb.activeRow();
        m_anchorCol = wb.activeCol();
    } else {
        m_anchorRow = onColHeader ? 1 : row;
        m_anchorCol = onRowHeader ? 1 : col;
    }
    selectTo(onColHeader ? kMaxRows : row, onRowHeader ? kMaxCols : col);
}

void SpreadsheetGrid::mouseMoveEvent(QMouseEvent* event)
{
    m_owner->userAction([&] { onMouseMove(event); });
}

void SpreadsheetGrid::onMouseMove(QMouseEvent* event)
{
    if (m_objects->mouseMove(event))
        return;
    if (m_drag == DragKind::None || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint pos = event->position().toPoint();
    const int y = std::clamp(pos.y(), headerHeight(), std::max(headerHeight(), viewport()->height() - 1));
    const int x = std::clamp(pos.x(), headerWidth(), std::max(headerWidth(), viewport()->width() - 1));
    std::int32_t row = rowAt(y);
    std::int32_t col = colAt(x);
    if (row == 0)
        row = kMaxRows;
    if (col == 0)
        col = kMaxCols;
    if (m_drag == DragKind::Fill) {
        // Down or right, whichever the pointer went further.
        RangeRef t = m_fillSource;
        const std::int32_t downBy = row - m_fillSource.lastRow;
        const std::int32_t rightBy = col - m_fillSource.lastCol;
        if (downBy > 0 && downBy * rowHeight() >= rightBy * colWidth())
            t.lastRow = row;
        else if (rightBy > 0)
            t.lastCol = col;
        if (!(t == m_fillTarget)) {
            m_fillTarget = t;
            viewport()->update();
        }
        return;
    }
    if (m_drag == DragKind::Columns)
        row = kMaxRows;
    if (m_drag == DragKind::Rows)
        col = kMaxCols;
    if (row != m_endRow || col != m_endCol)
        selectTo(row, col);
}

void SpreadsheetGrid::mouseReleaseEvent(QMouseEvent* event)
{
    m_owner->userAction([&] { onMouseRelease(event); });
}

void SpreadsheetGrid::onMouseRelease(QMouseEvent* event)
{
    // The model reflects the release before the signal goes out.
    m_objects->mouseRelease(event);
    if (m_drag == DragKind::Fill && !(m_fillTarget == m_fillSource)) {
        m_drag = DragKind::None;
        Workbook& wb = book();
        try {
            wb.autoFill(wb.Sheet(), m_fillSource, m_fillTarget);
            wb.setSelection(m_fillTarget.firstRow, m_fillTarget.firstCol, m_fillTarget.lastRow, m_fillTarget.lastCol);
        } catch (const platform::Error& e) {
            m_owner->tellRefusal(e);
        }
    }
    m_drag = DragKind::None;
    m_kept.clear();
    const QPoint pos = event->position().toPoint();
    emit m_owner->mouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
}

void SpreadsheetGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_owner->userAction([&] { onMouseDoubleClick(event); });
}

void SpreadsheetGrid::onMouseDoubleClick(QMouseEvent* event)
{
    if (m_objects->mouseDoubleClick(event))
        return;
    const QPoint pos = event->position().toPoint();
    if (rowAt(pos.y()) > 0 && colAt(pos.x()) > 0) {
        const Workbook& wb = book();
        startEdit(QString::fromStdString(wb.cellEntryText(wb.Sheet(), wb.activeRow(), wb.activeCol())));
    }
}

CellPos SpreadsheetGrid::selectionEnd() const
{
    const Workbook& wb = book();
    const std::int32_t row = wb.activeRow();
    const std::int32_t col = wb.activeCol();
    const RangeRef last = wb.SelectionEx(wb.SelectionCount() - 1);
    const RangeRef kept{std::min(row, m_endRow), std::min(col, m_endCol), std::max(row, m_endRow),
                        std::max(col, m_endCol)};
    if (last == kept)
        return {m_endRow, m_endCol};
    // The selection was set elsewhere: its corner across from the active cell.
    return {last.firstRow == row ? last.lastRow : last.firstRow, last.firstCol == col ? last.lastCol : last.firstCol};
}

void SpreadsheetGrid::moveTo(std::int32_t row, std::int32_t col, bool extend)
{
    Workbook& wb = book();
    row = std::clamp(row, 1, kMaxRows);
    col = std::clamp(col, 1, kMaxCols);
    if (extend) {
        m_endRow = row;
        m_endCol = col;
        wb.setSelection(wb.activeRow(), wb.activeCol(), m_endRow, m_endCol);
        ensureVisible(m_endRow, m_endCol);
        return;
    }
    m_anchorRow = m_endRow = row;
    m_anchorCol = m_endCol = col;
    wb.setSelection(row, col, row, col);
    ensureVisible(row, col);
}

void SpreadsheetGrid::moveActive(std::int32_t dRow, std::int32_t dCol, bool extend)
{
    const Workbook& wb = book();
    const CellPos from = extend ? selectionEnd() : CellPos{wb.activeRow(), wb.activeCol()};
    moveTo(from.row + dRow, from.col + dCol, extend);
}

void SpreadsheetGrid::jumpToEdge(std::int32_t dRow, std::int32_t dCol, bool extend)
{
    const Workbook& wb = book();
    const CellPos from = extend ? selectionEnd() : CellPos{wb.activeRow(), wb.activeCol()};
    const CellPos to = dataEdge(wb, wb.Sheet(), from.row, from.col, dRow, dCol);
    moveTo(to.row, to.col, extend);
}

void SpreadsheetGrid::keyPressEvent(QKeyEvent* event)
{
    m_owner->userAction([&] { onKeyPress(event); });
}

void SpreadsheetGrid::onKeyPress(QKeyEvent* event)
{
    if (m_editor) {
        // While the in-cell editor is open a key reaches the grid in one of
        // two ways. Passed up from the editor, which has the focus and did
        // not take the key (Shift pressed alone, F5, ...): the editor has had
        // it, so it goes on to the widgets above. Sent to the grid itself
        // (the grid was given the focus during the edit): the editor gets it
        // once, and whatever it declines has then been passed up already.
        if (m_forwarding || window()->focusWidget() == m_editor) {
            event->ignore();
            return;
        }
        m_forwarding = true;
        QApplication::sendEvent(m_editor, event);
        m_forwarding = false;
        event->accept();
        return;
    }
    if (m_objects->keyPress(event))
        return;
    Workbook& wb = book();
    if (event->matches(QKeySequence::Copy)) {
        m_owner->EditCopy();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        try {
            m_owner->EditCut();
        } catch (const platform::Error& e) {
            m_owner->tellRefusal(e);
        }
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        try {
            m_owner->EditPaste();
        } catch (const platform::Error& e) {
            m_owner->tellRefusal(e);  // locked cells, or cells that would run off the sheet
        }
        return;
    }
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    const int page = std::max(1, (viewport()->height() - headerHeight()) / rowHeight());
    // Ctrl with an arrow jumps to the edge of the data; Shift extends the selection.
    const auto arrow = [&](std::int32_t dRow, std::int32_t dCol) {
        if (ctrl)
            jumpToEdge(dRow, dCol, shift);
        else
            moveActive(dRow, dCol, shift);
    };
    switch (event->key()) {
    case Qt::Key_Up:
        arrow(-1, 0);
        return;
    case Qt::Key_Down:
        arrow(1, 0);
        return;
    case Qt::Key_Left:
        arrow(0, -1);
        return;
    case Qt::Key_Right:
        arrow(0, 1);
        return;
    case Qt::Key_PageUp:
        moveActive(-page, 0, shift);
        return;
    case Qt::Key_PageDown:
        moveActive(page, 0, shift);
        return;
    case Qt::Key_Home:
        if (ctrl) {
            const CellPos home = homeCell(wb.freeze());
            moveTo(home.row, home.col, shift);
        } else {
            moveTo(shift ? selectionEnd().row : wb.activeRow(), 1, shift);
        }
        return;
    case Qt::Key_End:
        if (ctrl) {
            const CellPos end = endCell(wb, wb.Sheet());
            moveTo(end.row, end.col, shift);
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        moveActive(shift ? -1 : 1, 0, false);
        return;
    case Qt::Key_Tab:
        moveActive(0, 1, false);
        return;
    case Qt::Key_Backtab:
        moveActive(0, -1, false);
        return;
    case Qt::Key_Space:
        // Ctrl+Space the active cell's column, Shift+Space its row.
        if (ctrl || shift) {
            const std::int32_t row = wb.activeRow();
            const std::int32_t col = wb.activeCol();
            if (ctrl)
                wb.setSelection(1, col, kMaxRows, col);
            else
                wb.setSelection(row, 1, row, kMaxCols);
            wb.setActiveCell(row, col);
            return;
        }
        break;
    case Qt::Key_A:
        if (ctrl) {
            const std::int32_t row = wb.activeRow();
            const std::int32_t col = wb.activeCol();
            wb.setSelection(1, 1, kMaxRows, kMaxCols);
            wb.setActiveCell(row, col);
            return;
        }
        break;
    case Qt::Key_F2:
        startEdit(QString::fromStdString(wb.cellEntryText(wb.Sheet(), wb.activeRow(), wb.activeCol())));
        return;
    case Qt::Key_Delete:
        try {
            // Every range is checked before any is cleared.
            for (std::int32_t i = 0; i < wb.SelectionCount(); ++i)
                wb.checkUnlocked(wb.Sheet(), wb.SelectionEx(i), "Delete");
            for (std::int32_t i = 0; i < wb.SelectionCount(); ++i)
                wb.clearRange(wb.Sheet(), wb.SelectionEx(i));
        } catch (const platform::Error& e) {
            m_owner->tellRefusal(e);
        }
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (!ctrl && !text.isEmpty() && text.at(0).isPrint()) {
        startEdit(text);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool SpreadsheetGrid::event(QEvent* event)
{
    // Tab and Shift+Tab move the active cell instead of the focus.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void SpreadsheetGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void SpreadsheetGrid::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    if (m_editor)
        commitEdit();
    viewport()->update();
}

void SpreadsheetGrid::startEdit(const QString& text)
{
    if (m_editor)
        commitEdit();
    const Workbook& wb = book();
    try {
        wb.checkUnlocked(wb.Sheet(), RangeRef{wb.activeRow(), wb.activeCol(), wb.activeRow(), wb.activeCol()},
                         "startEdit");
    } catch (const platform::Error& e) {
        m_owner->tellRefusal(e);  // refused before anything is typed
        return;
    }
    m_editRow = wb.activeRow();
    m_editCol = wb.activeCol();
    ensureVisible(m_editRow, m_editCol);
    m_editor = new QLineEdit(viewport());  // owned by the viewport; deleted in commit/cancel
    QFont f = font();
    f.setPointSizeF(kFontPoints * m_zoom / 100.0);
    m_editor->setFont(f);
    m_editor->setFrame(false);
    takeAnyCellText(*m_editor);
    m_editor->setGeometry(cellRect(m_editRow, m_editCol).adjusted(1, 1, -1, -1));
    m_editor->setText(text);
    m_editor->installEventFilter(this);
    connect(m_editor, &QLineEdit::textEdited, m_owner, [this](const QString& t) {
        if (m_owner->m_formulaEdit)
            m_owner->m_formulaEdit->setText(t);
    });
    m_editor->show();
    m_editor->setFocus();
    if (m_owner->m_formulaEdit)
        m_owner->m_formulaEdit->setText(text);
}

void SpreadsheetGrid::commitEdit()
{
    if (!m_editor)
        return;
    QLineEdit* editor = m_editor;
    m_editor = nullptr;
    const std::string text = editor->text().toStdString();
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    try {
        book().enterCell(book().Sheet(), m_editRow, m_editCol, text);
    } catch (const platform::Error& e) {
        m_owner->tellRefusal(e);
    }
    setFocus();
}

void SpreadsheetGrid::cancelEdit()
{
    if (!m_editor)
        return;
    QLineEdit* editor = m_editor;
    m_editor = nullptr;
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    setFocus();
    m_owner->refreshFormulaBar();
}

bool SpreadsheetGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor) {
        bool taken = false;
        m_owner->userAction([&] { taken = onEditorEvent(event); });
        if (taken)
            return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

bool SpreadsheetGrid::onEditorEvent(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            commitEdit();
            moveActive((key->modifiers() & Qt::ShiftModifier) ? -1 : 1, 0, false);
            return true;
        case Qt::Key_Tab:
            commitEdit();
            moveActive(0, 1, false);
            return true;
        case Qt::Key_Backtab:
            commitEdit();
            moveActive(0, -1, false);
            return true;
        case Qt::Key_Escape:
            cancelEdit();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            commitEdit();
            moveActive(key->key() == Qt::Key_Up ? -1 : 1, 0, false);
            return true;
        default:
            break;
        }
    } else if (event->type() == QEvent::FocusOut) {
        auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() != Qt::PopupFocusReason && focus->reason() != Qt::ActiveWindowFocusReason &&
            !(m_owner->m_formulaEdit && m_owner->m_formulaEdit->hasFocus()))
            commitEdit();
    }
    return false;
}

} // namespace spreadsheet
