#pragma once

// The grid that shows a Workbook: column letters "A" to "IV" and row
// numbers, the cells of the active sheet painted as they come into view, a
// formula bar (shown or hidden) and sheet tabs. Mouse and keyboard select
// cells, whole rows (row headers, Shift+Space), whole columns (column
// headers, Ctrl+Space), the sheet (the corner, Ctrl+A) and several ranges
// (Ctrl+click); a drag of the fill handle fills down or right; typing or F2
// edits the active cell in place; Ctrl+C, Ctrl+X and Ctrl+V move the
// selection as tab-delimited text through the clipboard.
//
// The widget owns its workbook and listens to it (Workbook's change
// callback is the widget's: do not replace it).

#include <functional>
#include <memory>
#include <vector>

#include <QWidget>

#include "platform/spreadsheet/RefusalBox.h"
#include "platform/spreadsheet/SpreadsheetView.h"
#include "platform/spreadsheet/Workbook.h"

namespace platform {
class Error;
}

class QDialog;
class QLabel;
class QLineEdit;
class QTabBar;

namespace spreadsheet {

class SpreadsheetGrid;

class SpreadsheetWidget : public QWidget, public SpreadsheetView {
    Q_OBJECT

public:
    explicit SpreadsheetWidget(QWidget* parent = nullptr);
    ~SpreadsheetWidget() override;

    Workbook& workbook() override { return m_book; }
    [[nodiscard]] const Workbook& workbook() const { return m_book; }

    [[nodiscard]] bool ShowEditBar() const override;
    void setShowEditBar(bool shown) override;
    [[nodiscard]] std::int32_t ViewScale() const override;
    void setViewScale(std::int32_t percent) override;
    void SetFocus() override;
    void startEdit(const std::string& initialText) override;
    [[nodiscard]] std::int32_t rowAtY(std::int32_t y) const override;
    [[nodiscard]] std::int32_t colAtX(std::int32_t x) const override;

    // The control's options dialog on the workbook (modal), showing the pages
    // whose bits are set (WorkbookOptionsDialog::AllPages for all of them).
    void OptionsDlg(std::int32_t pages);

    // Clipboard commands on the selection (see CellClipboard.h). A paste
    // that would run off the sheet raises error 5 and changes nothing.
    void EditCopy();
    void EditCut();
    void EditPaste();
    // 0 everything, 1 formulas, 2 values, 3 formats.
    void EditPasteSpecial(std::int32_t what);
    [[nodiscard]] bool CanEditPaste() const;
    // The title of the box that tells of a change refused on a protected
    // sheet (Workbook::kProtectedCells); typing, the formula bar, Delete, the
    // clipboard keys and the fill handle show it once per refused change.
    static constexpr const char* kProtectedTitle = spreadsheet::kProtectedTitle;
    static constexpr const char* kFormulaTitle = "Formula";

    // The control's dialogs (SheetDialogs.h), shown modeless and returned.
    QDialog* FindDlg();
    QDialog* ReplaceDlg();
    QDialog* GotoDlg();
    QDialog* SortDlg();
    // The format dialogs (FormatDialogs.h), modal, on the active sheet. The
    // page masks take FormatCellsDialog's page bits (0x7FFFFFFF: all); a
    // mask without a known page opens nothing.
    void FormatCellsDlg(std::int32_t pages);
    void RowHeightDlg();
    void ColWidthDlg();
    void DefRowHeightDlg();
    void DefColWidthDlg();
    void FormatSheetDlg(std::int32_t pages, bool reserved);
    void FormatDefaultFontDlg();
    // The insert-cells dialog (shift right, shift down, whole rows, whole
    // columns) on the selection, modal; Cancel changes nothing. Defined with
    // the dialogs (InsertDialogs.cpp).
    void InsertDlg();
    // The defined-names dialog of the workbook, modal (InsertDialogs.h).
    void DefinedNameDlg();
    // The format dialog of the selected drawing objects (modal; the page
    // mask as FormatCellsDlg's). Nothing selected: opens nothing.
    void FormatObjectDlg(std::int32_t pages);
    // Lets the user move the vertices of the one selected polygon (drag a
    // vertex; Esc or a click outside ends it). Nothing when the selection is
    // not exactly one polygon.
    void editPolygonPoints();
    // Scrolls the grid so that the cell shows.
    void ensureVisible(std::int32_t row, std::int32_t col);

    // Printing of the active sheet: the page setup dialog, the print
    // preview, and printing with or without the print dialog. Defined with
    // the sheet printer (SheetPrinter.cpp).
    void FilePageSetupDlg();
    void FilePrintPreview();
    void FilePrint(bool showDialog);

    // The surface that takes the mouse and keys, and the rectangle of a cell
    // on it (empty when the cell is out of view); for tests and the shell's
    // pointer position.
    [[nodiscard]] QWidget* gridSurface() const;
    [[nodiscard]] QRect cellRect(std::int32_t row, std::int32_t col) const;
    [[nodiscard]] bool isEditing() const;
    // Where the fill handle of the selection is (a null point when hidden).
    [[nodiscard]] QPoint fillHandlePosition() const;

signals:
    // The selection or the active cell changed, by the user or by the program.
    void selectionChanged();
    // A mouse button was released over the grid (x, y in gridSurface pixels).
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

private:
    void modelChanged();
    void refreshTabs();
    void refreshFormulaBar();
    void commitFormulaBar();
    // A change the workbook refused: a protected sheet's locked cells say so
    // in a message box (titled kProtectedTitle), and so does a formula too
    // large to enter (titled kFormulaTitle); anything else beeps.
    void tellRefusal(const platform::Error& e);
    // Runs what a key, the mouse, the formula bar or a sheet tab asked for:
    // a change the workbook refuses is told (tellRefusal); any other failure
    // goes to the program's error reporter. Nothing escapes.
    void userAction(const std::function<void()>& action) noexcept;

    Workbook m_book;
    QLabel* m_nameBox = nullptr;
    QLineEdit* m_formulaEdit = nullptr;
    QWidget* m_formulaBar = nullptr;
    SpreadsheetGrid* m_grid = nullptr;
    QTabBar* m_tabs = nullptr;
    bool m_refreshing = false;
    QDialog* m_findDlg = nullptr;
    QDialog* m_replaceDlg = nullptr;
    QDialog* m_gotoDlg = nullptr;
    QDialog* m_sortDlg = nullptr;
    std::vector<std::int32_t> m_lastSelection;  // sheet, active cell, ranges: as last announced
    friend class SpreadsheetGrid;
};

// Lets a line editor of cells' texts (in the cell, the formula bar, Find
// and Replace) take a text as long as a cell holds: Qt's line editors stop
// at 32,767 characters and cut a longer text that is set or typed.
void takeAnyCellText(QLineEdit& editor);

} // namespace spreadsheet
