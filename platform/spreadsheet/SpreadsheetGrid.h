#pragma once

// The painted cell area of SpreadsheetWidget (internal): headers, cells,
// selection, the in-cell editor and the pointer and keyboard handling.

#include <QAbstractScrollArea>

#include <QPoint>

#include <map>
#include <memory>
#include <vector>

#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/DataEdge.h"

class QLineEdit;

namespace spreadsheet {

namespace detail {
struct SheetData;
}

class ObjectLayer;
class SpreadsheetWidget;
class Workbook;

class SpreadsheetGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    // A line in view: its number, where it starts and its size in pixels.
    struct Line {
        std::int32_t n = 0;
        int at = 0;
        int size = 0;
    };

    explicit SpreadsheetGrid(SpreadsheetWidget* owner);
    ~SpreadsheetGrid() override;

    void setZoom(std::int32_t percent);
    [[nodiscard]] std::int32_t zoom() const noexcept { return m_zoom; }

    // Row under y / column under x of the viewport; 0 on the headers or past the sheet.
    [[nodiscard]] std::int32_t rowAt(int y) const;
    [[nodiscard]] std::int32_t colAt(int x) const;
    [[nodiscard]] QRect cellRect(std::int32_t row, std::int32_t col) const;
    [[nodiscard]] QPoint fillHandlePosition() const
    {
        const QRect r = fillHandleRect();
        return r.isNull() ? QPoint() : r.center();
    }

    void startEdit(const QString& text);
    void commitEdit();
    void cancelEdit();
    [[nodiscard]] bool isEditing() const noexcept { return m_editor != nullptr; }
    void ensureVisible(std::int32_t row, std::int32_t col);
    void modelChanged();
    // Pixels of one point of the sheet at the present zoom.
    [[nodiscard]] double pixelsPerPoint() const;
    // Vertex editing of the one selected polygon (see ObjectLayer).
    void editPolygonPoints();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    enum class DragKind { None, Cells, Rows, Columns, Fill };

    // The handlers proper; the event members run them under the control's
    // error handling (SpreadsheetWidget::userAction).
    void onMousePress(QMouseEvent* event);
    void onMouseMove(QMouseEvent* event);
    void onMouseRelease(QMouseEvent* event);
    void onMouseDoubleClick(QMouseEvent* event);
    void onKeyPress(QKeyEvent* event);
    // The in-cell editor's keys and focus; true when the event is taken.
    bool onEditorEvent(QEvent* event);

    [[nodiscard]] Workbook& book() const;
    [[nodiscard]] int colWidth() const;   // the default width, in pixels
    [[nodiscard]] int rowHeight() const;  // the default height, in pixels
    [[nodiscard]] int colPixels(std::int32_t col) const;
    [[nodiscard]] int rowPixels(std::int32_t row) const;
    // The rows (columns) in view from top to bottom: the frozen block first,
    // then the scrolled lines after it; hidden lines are left out.
    [[nodiscard]] std::vector<Line> rowsInView() const;
    [[nodiscard]] std::vector<Line> colsInView() const;
    [[nodiscard]] int headerHeight() const;
    [[nodiscard]] int headerWidth() const;
    [[nodiscard]] int topRow() const;
    [[nodiscard]] int leftCol() const;
    void updateScrollBars();
    // On a change of the active sheet: keeps the scroll position of the sheet
    // left and shows the one the new sheet had (its top-left corner when new).
    void followSheet();
    void selectTo(std::int32_t row, std::int32_t col);
    // Makes (row, col) the active cell, or with extend the moving corner of
    // the selection (the active cell stays); clamped to the sheet.
    void moveTo(std::int32_t row, std::int32_t col, bool extend);
    void moveActive(std::int32_t dRow, std::int32_t dCol, bool extend);
    // Ctrl with an arrow key: to the edge of the data that way (DataEdge.h).
    void jumpToEdge(std::int32_t dRow, std::int32_t dCol, bool extend);
    // The selection's moving corner: across from the active cell.
    [[nodiscard]] CellPos selectionEnd() const;
    // The fill handle: the small square at the bottom-right corner of a
    // single selected range (empty when out of view or several ranges).
    [[nodiscard]] QRect fillHandleRect() const;

    SpreadsheetWidget* m_owner;
    std::int32_t m_zoom = 100;
    QLineEdit* m_editor = nullptr;
    bool m_forwarding = false;  // a key sent to the grid is being handed to the editor
    std::int32_t m_editRow = 0;
    std::int32_t m_editCol = 0;
    DragKind m_drag = DragKind::None;
    bool m_dragAdds = false;
    std::int32_t m_anchorRow = 1;
    std::int32_t m_anchorCol = 1;
    std::int32_t m_endRow = 1;  // the moving corner of the last range
    std::int32_t m_endCol = 1;
    std::vector<RangeRef> m_kept;  // ranges kept while a Ctrl-drag adds one
    RangeRef m_fillSource;         // while the fill handle is dragged
    RangeRef m_fillTarget;
    std::unique_ptr<ObjectLayer> m_objects;  // the drawing objects over the cells
    // Each sheet's scroll position (first column and row in view, less one),
    // by the sheet's record, which keeps its place while sheets come and go.
    std::map<const detail::SheetData*, QPoint> m_sheetScroll;
    const detail::SheetData* m_shownSheet = nullptr;
    friend class ObjectLayer;
};

} // namespace spreadsheet
