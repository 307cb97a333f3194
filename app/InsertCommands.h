#pragma once

// The worksheet's Insert menu, acting on the active sheet of the active
// document window: cells (the insert dialog), rows, columns, a worksheet, a
// page break, a defined name, and the drawing and form objects, which put
// the sheet into the insert mode of their object (the next drag on the sheet
// draws it) and show the drawing toolbar's button for that mode pressed.
// "C&ancel Insert Object" returns the sheet to normal editing; it starts
// disabled, is enabled when the menu opens on a sheet in an insert mode,
// and disables itself when chosen.
//
// Every item does nothing to a workbook when no document window is open,
// and so does the menu's opening. Cells, Rows, Columns, Worksheet and Page
// Break pass over their failures without a message; the other items hand
// them to the error reporter.

#include <QObject>

#include <cstdint>
#include <functional>

namespace spreadsheet {
class SpreadsheetWidget;
}

namespace shell {

class MainFrame;

class InsertCommands : public QObject {
    Q_OBJECT
public:
    // The drawing toolbar must exist already.
    explicit InsertCommands(MainFrame& frame);

    [[nodiscard]] static InsertCommands* of(const MainFrame& frame);

    // Menu opening: Cancel and the items that insert at the cell selection.
    void mnuInsert_Open();
    // An object item: the sheet's insert mode, then the toolbar button.
    void insertObject(std::int32_t mode);
    void mnuInsertCancel();

private:
    void connectItem(const char* name, std::function<void()> command);
    [[nodiscard]] spreadsheet::SpreadsheetWidget* activeSheet() const;
    // Runs the command on the active grid; its failures are passed over.
    void ignoringErrors(const std::function<void(spreadsheet::SpreadsheetWidget&)>& command);
    // Insert, Rows (3) and Columns (4) on the selection.
    void insertLines(std::int32_t how);

    MainFrame& m_frame;
};

} // namespace shell
