#pragma once

// The main window's workbook commands: the File menu (new, open, close,
// save, save as, recent files), the View menu's toggles, the Window menu's
// list of open windows, the Data menu's transforms and the Analysis menu's
// road into the analysis dialogs. One object lives as a child of the main
// window; it connects and enables the menu items it serves.
//
// The analysis dialogs come from their own library: an Analysis item is
// enabled once its dialog has been given (setClusterDialog, ...).

#include <QObject>

#include <cstdint>
#include <functional>
#include <string>

#include "numeric/Progress.h"
#include "analysis/ui/SheetTransforms.h"
#include "shell/workbook/WorkbookHost.h"

class QAction;
class QProgressBar;

namespace shell {

class MainFrame;
class frmMDIChild;

// The document windows of a main window as workbook holders.
class FrameWorkbookHost final : public WorkbookHost {
public:
    explicit FrameWorkbookHost(MainFrame& frame) : m_frame(frame) {}

    spreadsheet::Workbook* activeWorkbook() override;
    spreadsheet::Workbook& newWorkbook() override;
    spreadsheet::Workbook& loadWorkbook() override;
    void showWorkbook(spreadsheet::Workbook& book) override;
    void discardWorkbook(spreadsheet::Workbook& book) override;
    void setCaption(spreadsheet::Workbook& book, const std::string& caption) override;
    [[nodiscard]] std::string caption(const spreadsheet::Workbook& book) override;
    [[nodiscard]] spreadsheet::Workbook* workbookOfFile(const std::string& path) override;
    void setTextFileOf(spreadsheet::Workbook& book, const std::string& path) override;
    void setStatusText(const std::string& text) override;
    void applyFormulaBar(spreadsheet::Workbook& book) override;
    void showAnalysisMenus() override;

    // The document window that holds the workbook; null when none does.
    [[nodiscard]] frmMDIChild* windowOf(const spreadsheet::Workbook& book) const;

private:
    MainFrame& m_frame;
};

// A progress bar driven by the numeric routines.
class ProgressBarProgress final : public numeric::Progress {
public:
    explicit ProgressBarProgress(QProgressBar* bar) : m_bar(bar) {}
    void setMinimum(double minimum) override;
    void setMaximum(double maximum) override;
    void setValue(double value) override;

private:
    QProgressBar* m_bar;
};

class WorkbookCommands : public QObject {
    Q_OBJECT
public:
    explicit WorkbookCommands(MainFrame& frame);

    // The commands object of a main window (null before it is made).
    [[nodiscard]] static WorkbookCommands* of(const MainFrame& frame);
    [[nodiscard]] FrameWorkbookHost& host() { return m_host; }

    // Analysis dialogs: the clustering dialog is shown modally (the call
    // returns when it closes), the others modeless.
    void setClusterDialog(std::function<void()> showModal);
    void setPCADialog(std::function<void()> show);
    void setCADialog(std::function<void()> show);
    void setCorrDialog(std::function<void()> show);

    void mnuFileNew();
    void mnuFileOpen();
    void mnuFileClose();
    void mnuFileSave();
    void mnuFileSaveAs();
    void mnuFileList(int index);

    void mnuViewFormulaBar();
    void mnuViewStatusBar();
    void mnuViewToolbar(const char* itemName, const char* toolbarName);

    void mnuDataTransform(SheetTransform transform);

    void mnuAnaCluster();
    void mnuAnaPCA();
    void mnuAnaCA();
    void mnuAnaCorr();

private:
    [[nodiscard]] QAction* item(const char* name) const;
    void connectItem(const char* name, std::function<void()> command);
    void fillWindowList();
    void saveOutputView(frmMDIChild& child);

    MainFrame& m_frame;
    FrameWorkbookHost m_host;
    std::function<void()> m_clusterDialog;
    std::function<void()> m_pcaDialog;
    std::function<void()> m_caDialog;
    std::function<void()> m_corrDialog;
};

} // namespace shell
