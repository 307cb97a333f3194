#pragma once

// The worksheet's Format menu and the formatting toolbar, acting on the
// workbook of the active document window, and the two routines that keep the
// toolbar's buttons and font boxes in step with the active cell. One object
// lives as a child of the main window; it fills the toolbar, connects the
// menu and follows the selection of every document window.
//
// Commands do nothing without an open document window; failures go to the
// error reporter. The object items (Object..., Bring To Front, Send To Back)
// start disabled, are enabled by the menu's opening while drawing objects
// are selected, and disable themselves when used.

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QToolBar;

namespace spreadsheet {
class SpreadsheetWidget;
}

namespace shell {

class MainFrame;

class FormatCommands : public QObject {
    Q_OBJECT
public:
    explicit FormatCommands(MainFrame& frame);

    [[nodiscard]] static FormatCommands* of(const MainFrame& frame);

    // A formatting toolbar button by key ("Bold", ..., "Align Right"); null when unknown.
    [[nodiscard]] QAction* button(const QString& key) const;
    void tlbFormat_ButtonClick(const QString& key);

    // Presses the style and alignment buttons as the active cell is formatted.
    void SyncFormatToolbar();
    // Selects the active cell's font in the font box (ignoring case) and shows
    // its size in points; a font not in the list leaves both boxes empty.
    void SyncFontBoxes();

    // Menu opening: the freeze caption and the cell and object items.
    void mnuFormat_Open();
    void mnuFormatFreezePanes();
    void mnuFormatSheetProtection();

private:
    void connectItem(const char* name, std::function<void()> command);
    void disableItem(const char* name);
    void onSheet(const std::function<void(spreadsheet::SpreadsheetWidget&)>& command);
    [[nodiscard]] spreadsheet::SpreadsheetWidget* activeSheet() const;
    void syncAll();

    MainFrame& m_frame;
    QToolBar* m_bar = nullptr;
};

} // namespace shell
