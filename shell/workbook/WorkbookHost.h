#pragma once

// What the workbook-file commands need of the windows that hold workbooks:
// the main window with its document windows. The windows implement it;
// tests use an in-memory host. A document window is named by its workbook.

#include <string>

namespace spreadsheet {
class Workbook;
}

namespace shell {

class WorkbookHost {
public:
    virtual ~WorkbookHost() = default;

    // The active document window's workbook; null when none is open.
    [[nodiscard]] virtual spreadsheet::Workbook* activeWorkbook() = 0;
    // Opens a new, empty document window ("Book" and the next number), shows
    // it and makes it active. Throws when the window cannot be made.
    virtual spreadsheet::Workbook& newWorkbook() = 0;
    // Makes a document window for a file being loaded, not yet shown.
    virtual spreadsheet::Workbook& loadWorkbook() = 0;
    // Shows a window made by loadWorkbook and makes it active.
    virtual void showWorkbook(spreadsheet::Workbook& book) = 0;
    // Closes a document window at once, without asking about changes.
    virtual void discardWorkbook(spreadsheet::Workbook& book) = 0;
    // The caption of the workbook's document window.
    virtual void setCaption(spreadsheet::Workbook& book, const std::string& caption) = 0;
    [[nodiscard]] virtual std::string caption(const spreadsheet::Workbook& book) = 0;
    // The workbook whose document window holds the file at `path`: the file
    // it was opened from or last saved to, or the text file read into it
    // while it has not been saved. Null when no window holds it.
    [[nodiscard]] virtual spreadsheet::Workbook* workbookOfFile(const std::string& path) = 0;
    // Records that the workbook's window holds the text file at `path`.
    virtual void setTextFileOf(spreadsheet::Workbook& book, const std::string& path) = 0;

    // The main window's parts that opening a file changes: the first panel of
    // the status bar, the formula bar of the loaded workbook (the View menu's
    // Formula Bar check), and the menus (Tree hidden, Analysis shown).
    virtual void setStatusText(const std::string& text) = 0;
    virtual void applyFormulaBar(spreadsheet::Workbook& book) = 0;
    virtual void showAnalysisMenus() = 0;
};

} // namespace shell
