#include "platform/spreadsheet/SpreadsheetGrid.h"

#include <algorithm>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/NumberFit.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

// Sizes at 100 % zoom, in pixels.
constexpr int kColWidth = 72;
constexpr int kRowHeight = 20;
constexpr int kHeaderHeight = 20;
constexpr int kHeaderWidth = 44;
constexpr double kFontPoints = 9.0;

const QColor kGridLine(218, 220, 224);
const QColor kHeaderFill(240, 240, 240);
const QColor kHeaderSelected(208, 215, 229);
const QColor kSelectionFill(204, 224, 255);
const QColor kActiveBorder(26, 115, 232);

} // namespace

SpreadsheetGrid::SpreadsheetGrid(SpreadsheetWidget* owner) : QAbstractScrollArea(owner), m_owner(owner)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(1);
    updateScrollBars();
}

Workbook& SpreadsheetGrid::book() const
{
    return m_owner->workbook();
}

int SpreadsheetGrid::colWidth() const
{
    return std::max(4, kColWidth * m_zoom / 100);
}

int SpreadsheetGrid::rowHeight() const
{
    return std::max(4, kRowHeight * m_zoom / 100);
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
    const std::int32_t row = topRow() + (y - headerHeight()) / rowHeight();
    return row <= kMaxRows ? row : 0;
}

std::int32_t SpreadsheetGrid::colAt(int x) const
{
    if (x < headerWidth())
        return 0;
    const std::int32_t col = leftCol() + (x - headerWidth()) / colWidth();
    return col <= kMaxCols ? col : 0;
}

QRect SpreadsheetGrid::cellRect(std::int32_t row, std::int32_t col) const
{
    if (row < topRow() || col < leftCol())
        return {};
    const QRect r(headerWidth() + (col - leftCol()) * colWidth(), headerHeight() + (row - topRow()) * rowHeight(),
                  colWidth(), rowHeight());
    return r.intersects(viewport()->rect()) ? r : QRect();
}

void SpreadsheetGrid::ensureVisible(std::int32_t row, std::int32_t col)
{
    const int rows = std::max(1, (viewport()->height() - headerHeight()) / rowHeight());
    const int cols = std::max(1, (viewport()->width() - headerWidth()) / colWidth());
    if (row < topRow())
        verticalScrollBar()->setValue(row - 1);
    else if (row >= topRow() + rows)
        verticalScrollBar()->setValue(row - rows);
    if (col < leftCol())
        horizontalScrollBar()->setValue(col - 1);
    else if (col >= leftCol() + cols)
        horizontalScrollBar()->setValue(col - cols);
}

void SpreadsheetGrid::modelChanged()
{
    if (m_editor && (m_editRow != book().activeRow() || m_editCol != book().activeCol()))
        commitEdit();
    // The headings may have come or gone with the workbook's options.
    updateScrollBars();
    viewport()->update();
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
    const int hh = headerHeight();
    const int hw = headerWidth();
    const int cw = colWidth();
    const int rh = rowHeight();
    const std::int32_t firstRow = topRow();
    const std::int32_t firstCol = leftCol();
    const std::int32_t lastRow = std::min<std::int32_t>(kMaxRows, firstRow + (area.height() - hh) / rh + 1);
    const std::int32_t lastCol = std::min<std::int32_t>(kMaxCols, firstCol + (area.width() - hw) / cw + 1);

    std::vector<RangeRef> selection;
    for (std::int32_t i = 0; i < wb.SelectionCount(); ++i)
        selection.push_back(wb.SelectionEx(i));
    auto selected = [&](std::int32_t r, std::int32_t c) {
        return std::any_of(selection.begin(), selection.end(), [&](const RangeRef& s) { return s.contains(r, c); });
    };
    const std::int32_t activeRow = wb.activeRow();
    const std::int32_t activeCol = wb.activeCol();

    const QFontMetrics metrics(font);
    const TextWidth fontWidth = [&metrics](std::string_view t) {
        return metrics.horizontalAdvance(QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())));
    };

    // Cells: only those in view.
    for (std::int32_t r = firstRow; r <= lastRow; ++r) {
        const int y = hh + (r - firstRow) * rh;
        for (std::int32_t c = firstCol; c <= lastCol; ++c) {
            const int x = hw + (c - firstCol) * cw;
            const QRect cell(x, y, cw, rh);
            if (selected(r, c) && !(r == activeRow && c == activeCol))
                p.fillRect(cell, kSelectionFill);
            if (wb.options().showGridLines) {
                p.setPen(kGridLine);
                p.drawLine(cell.topRight(), cell.bottomRight());
                p.drawLine(cell.bottomLeft(), cell.bottomRight());
            }
            const Value v = wb.cellValue(sheet, r, c);
            if (v.isEmpty())
                continue;
            Qt::Alignment align = Qt::AlignVCenter | Qt::AlignLeft;
            if (v.isNumber())
                align = Qt::AlignVCenter | Qt::AlignRight;
            else if (v.isLogical() || v.isError())
                align = Qt::AlignVCenter | Qt::AlignHCenter;
            p.setPen(Qt::black);
            const QRect textArea = cell.adjusted(3, 0, -3, 0);
            const std::string text =
                v.isNumber() ? fitNumberText(v.number(), textArea.width(), fontWidth) : v.displayText();
            p.drawText(textArea, static_cast<int>(align), QString::fromStdString(text));
        }
    }

    // Headers.
    auto bandSelected = [&](bool rows, std::int32_t n) {
        return std::any_of(selection.begin(), selection.end(), [&](const RangeRef& s) {
            return rows ? (n >= s.firstRow && n <= s.lastRow) : (n >= s.firstCol && n <= s.lastCol);
        });
    };
    for (std::int32_t c = firstCol; c <= lastCol && hh > 0; ++c) {
        const QRect h(hw + (c - firstCol) * cw, 0, cw, hh);
        p.fillRect(h, bandSelected(false, c) ? kHeaderSelected : kHeaderFill);
        p.setPen(kGridLine.darker(130));
        p.drawLine(h.topRight(), h.bottomRight());
        p.drawLine(h.bottomLeft(), h.bottomRight());
        p.setPen(Qt::black);
        p.drawText(h, Qt::AlignCenter, QString::fromStdString(columnLetters(c)));
    }
    for (std::int32_t r = firstRow; r <= lastRow && hw > 0; ++r) {
        const QRect h(0, hh + (r - firstRow) * rh, hw, rh);
        p.fillRect(h, bandSelected(true, r) ? kHeaderSelected : kHeaderFill);
        p.setPen(kGridLine.darker(130));
        p.drawLine(h.topRight(), h.bottomRight());
        p.drawLine(h.bottomLeft(), h.bottomRight());
        p.setPen(Qt::black);
        p.drawText(h, Qt::AlignCenter, QString::number(r));
    }
    if (hw > 0 && hh > 0)
        p.fillRect(QRect(0, 0, hw, hh), kHeaderFill);

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
    if (m_editor)
        commitEdit();
    setFocus();
    if (event->button() != Qt::LeftButton)
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
    if (m_drag == DragKind::Fill && !(m_fillTarget == m_fillSource)) {
        m_drag = DragKind::None;
        Workbook& wb = book();
        try {
            wb.autoFill(wb.Sheet(), m_fillSource, m_fillTarget);
            wb.setSelection(m_fillTarget.firstRow, m_fillTarget.firstCol, m_fillTarget.lastRow, m_fillTarget.lastCol);
        } catch (const platform::Error&) {
            QApplication::beep();
        }
    }
    m_drag = DragKind::None;
    m_kept.clear();
    const QPoint pos = event->position().toPoint();
    emit m_owner->mouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
}

void SpreadsheetGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (rowAt(pos.y()) > 0 && colAt(pos.x()) > 0) {
        const Workbook& wb = book();
        startEdit(QString::fromStdString(wb.cellEntryText(wb.Sheet(), wb.activeRow(), wb.activeCol())));
    }
}

void SpreadsheetGrid::moveActive(std::int32_t dRow, std::int32_t dCol, bool extend)
{
    Workbook& wb = book();
    if (extend) {
        m_endRow = std::clamp(m_endRow + dRow, 1, kMaxRows);
        m_endCol = std::clamp(m_endCol + dCol, 1, kMaxCols);
        wb.setSelection(wb.activeRow(), wb.activeCol(), m_endRow, m_endCol);
        ensureVisible(m_endRow, m_endCol);
        return;
    }
    const std::int32_t row = std::clamp(wb.activeRow() + dRow, 1, kMaxRows);
    const std::int32_t col = std::clamp(wb.activeCol() + dCol, 1, kMaxCols);
    m_anchorRow = m_endRow = row;
    m_anchorCol = m_endCol = col;
    wb.setSelection(row, col, row, col);
    ensureVisible(row, col);
}

void SpreadsheetGrid::keyPressEvent(QKeyEvent* event)
{
    if (m_editor) {
        QApplication::sendEvent(m_editor, event);
        return;
    }
    Workbook& wb = book();
    if (event->matches(QKeySequence::Copy)) {
        m_owner->EditCopy();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        m_owner->EditCut();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        try {
            m_owner->EditPaste();
        } catch (const platform::Error&) {
            QApplication::beep();  // cells that would run off the sheet are not pasted
        }
        return;
    }
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    const int page = std::max(1, (viewport()->height() - headerHeight()) / rowHeight());
    switch (event->key()) {
    case Qt::Key_Up:
        moveActive(-1, 0, shift);
        return;
    case Qt::Key_Down:
        moveActive(1, 0, shift);
        return;
    case Qt::Key_Left:
        moveActive(0, -1, shift);
        return;
    case Qt::Key_Right:
        moveActive(0, 1, shift);
        return;
    case Qt::Key_PageUp:
        moveActive(-page, 0, shift);
        return;
    case Qt::Key_PageDown:
        moveActive(page, 0, shift);
        return;
    case Qt::Key_Home:
        moveActive(ctrl ? 1 - wb.activeRow() : 0, 1 - wb.activeCol(), shift);
        return;
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
        for (std::int32_t i = 0; i < wb.SelectionCount(); ++i)
            wb.clearRange(wb.Sheet(), wb.SelectionEx(i));
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
    m_editRow = wb.activeRow();
    m_editCol = wb.activeCol();
    ensureVisible(m_editRow, m_editCol);
    m_editor = new QLineEdit(viewport());  // owned by the viewport; deleted in commit/cancel
    QFont f = font();
    f.setPointSizeF(kFontPoints * m_zoom / 100.0);
    m_editor->setFont(f);
    m_editor->setFrame(false);
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
        book().setCellEntry(book().Sheet(), m_editRow, m_editCol, text);
    } catch (const platform::Error&) {
        QApplication::beep();
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
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

} // namespace spreadsheet
