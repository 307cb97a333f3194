#pragma once

// The program's main window "Tessaray": a frame of document windows with the
// menu bar, the three toolbars (the formatting one holding the font name,
// font size and zoom boxes), the status bar (file text, the active document's
// progress bar, date, time) and the recent-file entries of the File menu.
//
// The top-level menus shown follow the visible view of the active document
// window (data, tree or output); the shortcuts of hidden menus do not fire.
// Closing the frame (also File, Exit) releases the settings object, closes
// the numbered files and closes every document window, each asking about
// unsaved changes; a window that stays open stops the closing.

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/dialogs/CommonDialog.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/RefusalBox.h"
#include "shell/core/IniQuorin.h"
#include "shell/core/ShellRules.h"

class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStatusBar;
class QToolBar;

namespace shell {

class frmMDIChild;

class MainFrame : public QMainWindow, public RecentFileMenu {
    Q_OBJECT
public:
    explicit MainFrame(QWidget* parent = nullptr);
    ~MainFrame() override;

    // Reads the settings (recent files, default folders: the home folder
    // stands in for one that is not stored or no longer exists) and fills
    // the font list.
    void Form_Load();
    // Builds the column letters, shows "File: " and the file the active
    // document window holds ("File: No file in buffer" when none) and gives
    // the focus to that window's visible view.
    void Form_Activate();

    // Creates, loads and shows a new document window ("Book" and the next number).
    frmMDIChild* NewDocument();
    // Creates and loads a document window without showing it.
    frmMDIChild* LoadDocument();
    void ShowDocument(frmMDIChild* child);

    [[nodiscard]] frmMDIChild* ActiveChild() const;
    [[nodiscard]] std::vector<frmMDIChild*> Documents() const;

    // Shows a view of the active document window and sets the menus to it;
    // nothing without a document window.
    void ShowView(View view);
    // Sets the top-level menus (and the Recalc item) to a view's set.
    void SetMenuSet(View view);

    // A menu action by its control name (top-level menus by their name:
    // "mnuFile", "Edit", ...); null when there is none.
    [[nodiscard]] QAction* action(const QString& name) const;
    [[nodiscard]] QMenu* menu(const QString& name) const;
    // Shows a top-level menu as a pop-up at the pointer.
    void popupMenu(const QString& name);

    [[nodiscard]] QStatusBar* sbStatusBar() const;
    [[nodiscard]] QString statusText() const;
    [[nodiscard]] QComboBox* cboFontName() const { return m_cboFontName; }
    [[nodiscard]] QComboBox* cboFontSize() const { return m_cboFontSize; }
    [[nodiscard]] QComboBox* cboZoom() const { return m_cboZoom; }
    [[nodiscard]] platform::CommonDialog& CommonDialog1() { return m_commonDialog; }
    // The recent-file entries of the File menu, in order.
    [[nodiscard]] const std::vector<QAction*>& mnuFileList() const { return m_fileList; }

    // RecentFileMenu: entry i shows its caption, visible and enabled; the
    // entries from `count` on are hidden and disabled.
    void showEntry(int index, const std::string& caption) override;
    void hideEntriesFrom(int count) override;

    // What a recent-file entry opens (set by the workbook-file commands).
    std::function<void(int index)> openRecentFile;
    // Sets the font size of the active workbook's selection (set by the
    // formatting commands; nothing happens without it).
    std::function<void(frmMDIChild&, std::int16_t size)> applyFontSize;
    // Sets the font name of the active workbook's selection (set by the
    // formatting commands; nothing happens without it).
    std::function<void(frmMDIChild&, const std::string& name)> applyFontName;
    // Ends the process once the frame has unloaded.
    std::function<void()> endProcess;

    // The three boxes of the formatting toolbar run these on a choice from
    // their list, on Enter and when they lose the focus after typing. The
    // font name box takes a name of its list, typed in any case.
    void cboFontName_Click();
    void cboFontSize_Click();
    void cboZoom_Click();

    // Called by a document window that really closes.
    void documentClosing(frmMDIChild& child);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolbars();
    void buildStatusBar();
    void subWindowActivated(QMdiSubWindow* window);
    // "File: " and the file the window holds in the status bar's first
    // panel ("File: No file in buffer" for none).
    void showFileOf(const frmMDIChild* child);
    // Gives the focus to the visible view of the window (the sheet's grid,
    // the tree or the output text).
    void focusVisibleView(frmMDIChild& child);
    void Form_QueryUnload();
    [[nodiscard]] bool unloadDocuments();
    void Form_Unload();
    void setMenuLive(QAction* action, bool live);

    QMdiArea* m_mdi = nullptr;
    std::map<QString, QAction*> m_actions;
    std::map<QString, QMenu*> m_menus;
    std::vector<QAction*> m_fileList;
    QAction* m_fileListEnd = nullptr;
    QToolBar* m_tlbStandard = nullptr;
    QToolBar* m_tlbFormat = nullptr;
    QToolBar* m_tlbDraw = nullptr;
    QComboBox* m_cboFontName = nullptr;
    QComboBox* m_cboFontSize = nullptr;
    QComboBox* m_cboZoom = nullptr;
    QLabel* m_panelText = nullptr;
    QLabel* m_panelDate = nullptr;
    QLabel* m_panelTime = nullptr;
    platform::CommonDialog m_commonDialog;
    frmMDIChild* m_lastActive = nullptr;
    bool m_inZoom = false;
    bool m_closing = false;
    // While the window lives, a command that would change a protected
    // sheet's locked cells says so in the one plain box instead of the error
    // report, whichever menu, button or dialog it came from.
    platform::ScopedRefusalTeller m_refusals{&spreadsheet::tellProtectionRefusal};
};

} // namespace shell
