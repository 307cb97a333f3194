#include "app/WorkbookCommands.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProgressBar>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>

#include <cmath>
#include <fstream>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/widgets/treeview/TreeView.h"
#include "shell/core/FileUtil.h"
#include "shell/core/ProgramInfo.h"
#include "shell/workbook/SSMDI1.h"
#include "shell/workbook/SSMDIFiles.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/frmMDIChild.h"

namespace shell {

namespace {

constexpr const char* WindowListEntry = "tessarayWindowListEntry";

QMdiSubWindow* subWindowOf(frmMDIChild* child)
{
    return child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr;
}

} // namespace

// ---- FrameWorkbookHost --------------------------------------------------------

spreadsheet::Workbook* FrameWorkbookHost::activeWorkbook()
{
    frmMDIChild* child = m_frame.ActiveChild();
    return child ? &child->workbook() : nullptr;
}

spreadsheet::Workbook& FrameWorkbookHost::newWorkbook()
{
    return m_frame.NewDocument()->workbook();
}

spreadsheet::Workbook& FrameWorkbookHost::loadWorkbook()
{
    return m_frame.LoadDocument()->workbook();
}

void FrameWorkbookHost::showWorkbook(spreadsheet::Workbook& book)
{
    m_frame.ShowDocument(windowOf(book));
}

void FrameWorkbookHost::discardWorkbook(spreadsheet::Workbook& book)
{
    frmMDIChild* child = windowOf(book);
    if (QMdiSubWindow* sub = subWindowOf(child)) {
        // The window in front stays there: closing this one would otherwise
        // bring forward whichever window the frame activated before it.
        frmMDIChild* front = m_frame.ActiveChild();
        // Nothing of this window is the user's yet: it closes without a question.
        book.setChanged(false);
        sub->close();
        if (front && front != child) {
            m_frame.ShowDocument(front);
        }
    }
}

void FrameWorkbookHost::setCaption(spreadsheet::Workbook& book, const std::string& caption)
{
    if (frmMDIChild* child = windowOf(book)) {
        child->setWindowTitle(QString::fromStdString(caption));
    }
}

std::string FrameWorkbookHost::caption(const spreadsheet::Workbook& book)
{
    const frmMDIChild* child = windowOf(book);
    return child ? child->windowTitle().toStdString() : std::string();
}

spreadsheet::Workbook* FrameWorkbookHost::workbookOfFile(const std::string& path)
{
    for (frmMDIChild* child : m_frame.Documents()) {
        if (FileUtil::SameFile(child->fileHeld(), path)) {
            return &child->workbook();
        }
    }
    return nullptr;
}

void FrameWorkbookHost::setTextFileOf(spreadsheet::Workbook& book, const std::string& path)
{
    if (frmMDIChild* child = windowOf(book)) {
        child->setTextFile(path);
    }
}

void FrameWorkbookHost::setStatusText(const std::string& text)
{
    if (auto* panel = m_frame.findChild<QLabel*>(QStringLiteral("Panel1"))) {
        panel->setText(QString::fromStdString(text));
    }
}

void FrameWorkbookHost::applyFormulaBar(spreadsheet::Workbook& book)
{
    frmMDIChild* child = windowOf(book);
    QAction* formulaBar = m_frame.action(QStringLiteral("mnuViewFormulaBar"));
    if (child && formulaBar) {
        child->ss()->setShowEditBar(formulaBar->isChecked());
    }
}

void FrameWorkbookHost::showAnalysisMenus()
{
    if (QAction* tree = m_frame.action(QStringLiteral("mnuTree"))) {
        tree->setVisible(false);
    }
    if (QAction* analysis = m_frame.action(QStringLiteral("mnuAnalysis"))) {
        analysis->setVisible(true);
    }
}

frmMDIChild* FrameWorkbookHost::windowOf(const spreadsheet::Workbook& book) const
{
    for (frmMDIChild* child : m_frame.Documents()) {
        if (&child->workbook() == &book) {
            return child;
        }
    }
    return nullptr;
}

// ---- ProgressBarProgress ---------------------------------------------------------

void ProgressBarProgress::setMinimum(double minimum)
{
    if (m_bar) {
        m_bar->setMinimum(static_cast<int>(std::lround(minimum)));
    }
}

void ProgressBarProgress::setMaximum(double maximum)
{
    if (m_bar) {
        m_bar->setMaximum(static_cast<int>(std::lround(maximum)));
    }
}

void ProgressBarProgress::setValue(double value)
{
    if (m_bar) {
        m_bar->setValue(static_cast<int>(std::lround(value)));
    }
}

// ---- WorkbookCommands ----------------------------------------------------------

WorkbookCommands::WorkbookCommands(MainFrame& frame) : QObject(&frame), m_frame(frame), m_host(frame)
{
    setObjectName(QStringLiteral("WorkbookCommands"));
    connectItem("mnuFileNew", [this] { mnuFileNew(); });
    connectItem("mnuFileOpen", [this] { mnuFileOpen(); });
    connectItem("mnuFileClose", [this] { mnuFileClose(); });
    connectItem("mnuFileSave", [this] { mnuFileSave(); });
    connectItem("mnuFileSaveAs", [this] { mnuFileSaveAs(); });
    m_frame.openRecentFile = [this](int index) { mnuFileList(index); };

    connectItem("mnuViewFormulaBar", [this] { mnuViewFormulaBar(); });
    connectItem("mnuViewStatusBar", [this] { mnuViewStatusBar(); });
    connectItem("mnuViewToolbarsStandard", [this] { mnuViewToolbar("mnuViewToolbarsStandard", "tlbStandard"); });
    connectItem("mnuViewToolbarsFormatting", [this] { mnuViewToolbar("mnuViewToolbarsFormatting", "tlbFormat"); });
    connectItem("mnuViewToolbarsDrawing", [this] { mnuViewToolbar("mnuViewToolbarsDrawing", "tlbDraw"); });
    for (const char* name : {"mnuViewToolbars", "mnuView"}) {
        if (QAction* a = item(name)) {
            a->setEnabled(true);
        }
    }

    connectItem("mnuDataNormalize", [this] { mnuDataTransform(SheetTransform::NormalizeRows); });
    connectItem("mnuDataNormalizeCol", [this] { mnuDataTransform(SheetTransform::NormalizeCols); });
    connectItem("mnuDataLog", [this] { mnuDataTransform(SheetTransform::Log); });
    connectItem("mnuDataLog2", [this] { mnuDataTransform(SheetTransform::Log2); });
    connectItem("mnuDataSQRT", [this] { mnuDataTransform(SheetTransform::Sqrt); });

    // The Analysis items wait, disabled, for their dialogs.
    for (const auto& [name, command] : std::initializer_list<std::pair<const char*, std::function<void()>>>{
             {"mnuAnaCluster", [this] { mnuAnaCluster(); }},
             {"mnuAnaPCA", [this] { mnuAnaPCA(); }},
             {"mnuAnaCA", [this] { mnuAnaCA(); }},
             {"mnuAnaCorr", [this] { mnuAnaCorr(); }}}) {
        connectItem(name, command);
        item(name)->setEnabled(false);
    }

    if (QMenu* window = m_frame.menu(QStringLiteral("mnuWindow"))) {
        connect(window, &QMenu::aboutToShow, this, [this] { fillWindowList(); });
    }
}

WorkbookCommands* WorkbookCommands::of(const MainFrame& frame)
{
    return frame.findChild<WorkbookCommands*>(QStringLiteral("WorkbookCommands"), Qt::FindDirectChildrenOnly);
}

QAction* WorkbookCommands::item(const char* name) const
{
    return m_frame.action(QString::fromLatin1(name));
}

void WorkbookCommands::connectItem(const char* name, std::function<void()> command)
{
    QAction* a = item(name);
    if (!a) {
        return;
    }
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, [command = std::move(command)] { command(); });
}

void WorkbookCommands::setClusterDialog(std::function<void()> showModal)
{
    m_clusterDialog = std::move(showModal);
    item("mnuAnaCluster")->setEnabled(static_cast<bool>(m_clusterDialog));
}

void WorkbookCommands::setPCADialog(std::function<void()> show)
{
    m_pcaDialog = std::move(show);
    item("mnuAnaPCA")->setEnabled(static_cast<bool>(m_pcaDialog));
}

void WorkbookCommands::setCADialog(std::function<void()> show)
{
    m_caDialog = std::move(show);
    item("mnuAnaCA")->setEnabled(static_cast<bool>(m_caDialog));
}

void WorkbookCommands::setCorrDialog(std::function<void()> show)
{
    m_corrDialog = std::move(show);
    item("mnuAnaCorr")->setEnabled(static_cast<bool>(m_corrDialog));
}

// ---- File menu ------------------------------------------------------------------------

void WorkbookCommands::mnuFileNew()
{
    platform::guarded([&](platform::Guard& g) {
        spreadsheet::Workbook* book = nullptr;
        g.step([&] { book = SSMDI1::NewWorkbook(m_host); });
        g.step([&] {
            if (book) {
                m_host.applyFormulaBar(*book);
            }
        });
    });
}

void WorkbookCommands::mnuFileOpen()
{
    mQuorin::ProgramState& program = mQuorin::Program();
    const std::optional<std::string> path = SSMDI1::AskFileToOpen(
        m_frame.CommonDialog1(), "", SSMDI1::DefaultOpenEntry(program.gIni()) - 1, program.gDataDir);
    if (!path) {
        return;
    }
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { SSMDI1::OpenChosenFile(m_host, program.gIni(), m_frame, *path); });
    });
}

void WorkbookCommands::mnuFileList(int index)
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { SSMDI1::OpenRecentFile(m_host, mQuorin::Program().gIni(), m_frame, index); });
    });
}

void WorkbookCommands::mnuFileClose()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            if (QMdiSubWindow* sub = subWindowOf(m_frame.ActiveChild())) {
                sub->close();
            }
        });
    });
}

void WorkbookCommands::mnuFileSave()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            frmMDIChild* child = m_frame.ActiveChild();
            if (!child) {
                return;
            }
            switch (child->visibleView()) {
            case View::Data:
                (void)SSMDI1::SSMDISaveFile(m_host);
                break;
            case View::Tree:
                (void)platform::dialogs().MsgBox("Please remind XX to write a function to save the tree.",
                                                 platform::mb::OkOnly | platform::mb::Information,
                                                 ProgramInfo::Title);
                break;
            case View::Output:
                saveOutputView(*child);
                break;
            }
        });
    });
}

void WorkbookCommands::saveOutputView(frmMDIChild& child)
{
    const std::string name = FileUtil::GetDlgFileName("Save file..", "txt", m_frame.CommonDialog1(), 2,
                                                      mQuorin::Program().gOutDir, "");
    if (name.empty()) {
        return;
    }
    // The report is plain text, saved as such under its .txt name.
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    const std::string text = child.RichTextBox1()->toPlainText().toStdString();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        throw platform::Error(platform::err::PathFileAccess, "mnuFileSave", "Unable to write " + name);
    }
    (void)platform::dialogs().MsgBox("Saved to file: " + name, platform::mb::OkOnly | platform::mb::Information,
                                     ProgramInfo::Title);
}

void WorkbookCommands::mnuFileSaveAs()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            if (spreadsheet::Workbook* book = m_host.activeWorkbook()) {
                (void)SSMDI1::SSMDISaveAsFile(m_host, *book);
            }
        });
    });
}

// ---- View menu ------------------------------------------------------------------------

void WorkbookCommands::mnuViewFormulaBar()
{
    // The check mark is the program-wide setting; it has flipped already.
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            if (spreadsheet::Workbook* book = m_host.activeWorkbook()) {
                m_host.applyFormulaBar(*book);
            }
        });
    });
}

void WorkbookCommands::mnuViewStatusBar()
{
    QStatusBar* bar = m_frame.sbStatusBar();
    bar->setVisible(bar->isHidden());
    item("mnuViewStatusBar")->setChecked(!bar->isHidden());
}

void WorkbookCommands::mnuViewToolbar(const char* itemName, const char* toolbarName)
{
    auto* toolbar = m_frame.findChild<QToolBar*>(QString::fromLatin1(toolbarName));
    QAction* a = item(itemName);
    if (toolbar && a) {
        toolbar->setVisible(a->isChecked());
    }
}

// ---- Window list ------------------------------------------------------------------------

void WorkbookCommands::fillWindowList()
{
    QMenu* window = m_frame.menu(QStringLiteral("mnuWindow"));
    auto* area = m_frame.findChild<QMdiArea*>();
    if (!window || !area) {
        return;
    }
    for (QAction* a : window->actions()) {
        if (a->property(WindowListEntry).toBool()) {
            window->removeAction(a);
            a->deleteLater();
        }
    }
    int number = 0;
    for (QMdiSubWindow* sub : area->subWindowList()) {
        if (sub->isHidden() && !sub->isMinimized()) {
            continue;
        }
        auto* entry = new QAction(QStringLiteral("&%1 %2").arg(++number).arg(sub->windowTitle()), window);
        entry->setProperty(WindowListEntry, true);
        entry->setCheckable(true);
        entry->setChecked(sub == area->activeSubWindow());
        connect(entry, &QAction::triggered, area, [area, sub] { area->setActiveSubWindow(sub); });
        window->addAction(entry);
    }
}

// ---- Data menu ----------------------------------------------------------------------------

void WorkbookCommands::mnuDataTransform(SheetTransform transform)
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            frmMDIChild* child = m_frame.ActiveChild();
            if (!child) {
                return;
            }
            ProgressBarProgress progress(child->ProgressBar1());
            (void)TransformActiveSheet(child->workbook(), transform, &progress);
        });
    });
}

// ---- Analysis menu ------------------------------------------------------------------------

void WorkbookCommands::mnuAnaCluster()
{
    if (!m_clusterDialog) {
        return;
    }
    frmMDIChild* child = m_frame.ActiveChild();
    if (!child) {
        return;
    }
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { EraseAnalysisData(mQuorin::Program()); });
        g.step([&] {
            std::int32_t rows = 0;
            std::int32_t cols = 0;
            if (!SSMDI1::SelectDataInActiveSheet(child->workbook(), rows, cols)) {
                throw platform::Error(1, "mnuAnaCluster", "No data selected in the active worksheet.");
            }
        });
        g.step([&] {
            platform::TreeViewModel& nodes = child->TreeView1()->Nodes();
            if (nodes.Count() == 0) {
                return;
            }
            const platform::Answer answer =
                platform::dialogs().MsgBox("Delete the current tree to save memory (Yes recommended)?",
                                           platform::mb::YesNo, "Info");
            if (answer == platform::Answer::Yes) {
                platform::FrozenUpdates frozen(nodes);
                nodes.Clear();
            }
        });
        g.step([&] { m_clusterDialog(); });
        // Whatever the dialog did, the window turns to its tree view.
        g.step([&] {
            item("mnuTree")->setVisible(true);
            item("mnuAnalysis")->setVisible(false);
            child->showView(View::Tree);
        });
    });
}

void WorkbookCommands::mnuAnaPCA()
{
    if (!m_pcaDialog) {
        return;
    }
    // The analyses read their own block: the data set that was clustered
    // (which the tree's expression plot reads) stays as it is.
    platform::guarded([&](platform::Guard& g) { g.step([&] { m_pcaDialog(); }); });
}

void WorkbookCommands::mnuAnaCA()
{
    if (!m_caDialog) {
        return;
    }
    // As for principal components: the clustered data set stays.
    platform::guarded([&](platform::Guard& g) { g.step([&] { m_caDialog(); }); });
}

void WorkbookCommands::mnuAnaCorr()
{
    if (!m_corrDialog) {
        return;
    }
    platform::guarded([&](platform::Guard& g) {
        bool go = true;
        g.step([&] {
            frmMDIChild* child = m_frame.ActiveChild();
            if (!child || child->workbook().SelectionCount() != 0) {
                return;
            }
            std::int32_t rows = 0;
            std::int32_t cols = 0;
            (void)SSMDI1::SelectDataInActiveSheet(child->workbook(), rows, cols);
            if (rows == 0) {
                (void)platform::dialogs().MsgBox("There is no data in the active sheet.",
                                                 platform::mb::OkOnly | platform::mb::Information,
                                                 ProgramInfo::Title);
                go = false;
            }
        });
        if (!go) {
            return;
        }
        // As for principal components: the clustered data set stays.
        g.step([&] { m_corrDialog(); });
    });
}

} // namespace shell
