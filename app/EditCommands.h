#pragma once

// The worksheet's Edit menu and the Data menu's quick sorts, acting on the
// workbook of the active document window, and the clipboard commands that
// the Edit menu and the standard toolbar share. One object lives as a child
// of the main window; it connects and enables the items it serves. The
// object items delete the selected drawing objects, select all objects of
// the active sheet, and edit the points of the one selected polygon.
//
// Commands do nothing without an open document window. A paste that would
// run off the sheet, a sort that would separate a row's cells or that mixes
// numbers and texts in its key, and deleting a workbook's last sheet are
// refused with a message and change nothing; other failures go to the error
// reporter. Delete Sheet asks before it deletes a sheet that holds cell
// entries or drawing objects ("The sheet <name> holds data, which will be
// deleted for good. Delete it?", Yes or No, No the default); an empty sheet
// goes without a question.

#include <QObject>

#include <cstdint>
#include <functional>

namespace spreadsheet {
class SpreadsheetWidget;
}

namespace shell {

class MainFrame;

class EditCommands : public QObject {
    Q_OBJECT
public:
    explicit EditCommands(MainFrame& frame);

    [[nodiscard]] static EditCommands* of(const MainFrame& frame);

    // The clipboard commands of the active workbook.
    void SSMDIEditClear();
    void SSMDIEditCopy();
    void SSMDIEditCut();
    void SSMDIEditPaste();
    // 0 everything, 1 formulas, 2 values, 3 formats.
    void mnuEditPasteSpecial(std::int32_t what);
    // Pastes the clipboard's cells with rows and columns swapped.
    void mnuEditPasteTranspos();
    // Sorts the rows of the selection by its first column.
    void SortSelection(bool ascending);

    // Menu opening: Polygon Points is on while exactly one polygon is selected.
    void mnuEdit_Open();

    // The grid of the active document window while a sheet is open; null otherwise.
    [[nodiscard]] spreadsheet::SpreadsheetWidget* activeSheet() const;

private:
    void connectItem(const char* name, std::function<void()> command);
    // Runs a command on the active grid under the error guard; refusals
    // (error 5 with a description) are shown as a message instead.
    void onSheet(const std::function<void(spreadsheet::SpreadsheetWidget&)>& command);

    MainFrame& m_frame;
};

} // namespace shell
