#include "app/frmMDIChild.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTextEdit>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/widgets/treeview/TreeView.h"
#include "shell/core/ProgramInfo.h"
#include "shell/workbook/SSMDIFiles.h"
#include "shell/core/mQuorin.h"
#include "app/DrawingToolbar.h"
#include "app/FormatCommands.h"
#include "app/MainFrame.h"
#include "app/WinAPI.h"
#include "app/WorkbookCommands.h"
#include "platform/widgets/richtext/RichTextBox.h"
#include "trees/ListTrees.h"
#include "trees/view/TreeTool.h"

namespace shell {

frmMDIChild::frmMDIChild(MainFrame& frame, QWidget* parent) : QWidget(parent), m_frame(frame)
{
    setObjectName(QStringLiteral("frmMDIChild"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Book"));
    m_ss = new spreadsheet::SpreadsheetWidget(this);
    m_ss->setObjectName(QStringLiteral("ss"));
    m_tree = new platform::TreeView(this);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_text = new platform::RichTextBox(this);
    m_text->setObjectName(QStringLiteral("RichTextBox1"));
    m_text->setFont(QFont(QStringLiteral("Courier New")));
    m_text->setLineWrapMode(QTextEdit::NoWrap);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    m_progress->hide();
    resize(640, 420);

    saveHook = &frmMDIChild::SaveAsThroughDialog;
    connect(m_ss, &spreadsheet::SpreadsheetWidget::mouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) { ss_MouseUp(button, x, y); });
    m_tree->viewport()->installEventFilter(this);
    // The formatting toolbar and font boxes follow the active cell.
    connect(m_ss, &spreadsheet::SpreadsheetWidget::selectionChanged, this, [this] {
        if (FormatCommands* f = FormatCommands::of(m_frame)) {
            f->SyncFontBoxes();
            f->SyncFormatToolbar();
        }
    });
}

frmMDIChild::~frmMDIChild()
{
    m_tree->viewport()->removeEventFilter(this);
}

spreadsheet::Workbook& frmMDIChild::workbook() const
{
    return m_ss->workbook();
}

void frmMDIChild::Form_Load()
{
    if (windowTitle().left(6) == QStringLiteral("Book")) {
        const std::string caption = NextBookCaption(mQuorin::Program());
        setWindowTitle(QString::fromStdString(caption));
        workbook().setTableName(caption);
    }
    workbook().setChanged(false);
    for (QWidget* view : {static_cast<QWidget*>(m_tree), static_cast<QWidget*>(m_text)}) {
        view->setGeometry(rect());
        view->hide();
    }
    m_ss->setGeometry(rect());
    m_ss->show();
    workbook().setFillList(workbook().fillListCount() + 1, GeneFillList());
    // Registering the list is no change of the user's.
    workbook().setChanged(false);
    WinAPI::PutInStatusBar(true, m_progress, m_frame.sbStatusBar(), 2);
}

std::string frmMDIChild::fileHeld() const
{
    return SSMDI1::FileHeld(workbook(), m_textFile);
}

View frmMDIChild::visibleView() const
{
    if (!m_tree->isHidden()) {
        return View::Tree;
    }
    if (!m_text->isHidden()) {
        return View::Output;
    }
    return View::Data;
}

void frmMDIChild::showView(View view)
{
    m_ss->setVisible(view == View::Data);
    m_tree->setVisible(view == View::Tree);
    m_text->setVisible(view == View::Output);
}

void frmMDIChild::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (QWidget* view : {static_cast<QWidget*>(m_ss), static_cast<QWidget*>(m_tree), static_cast<QWidget*>(m_text)}) {
        view->setGeometry(rect());
    }
}

SaveResult frmMDIChild::SaveAsThroughDialog(frmMDIChild& window)
{
    FrameWorkbookHost host(window.m_frame);
    switch (SSMDI1::SSMDISaveAsFile(host, window.workbook())) {
    case SSMDI1::kSaved:
        return SaveResult::Saved;
    case SSMDI1::kSaveCancelled:
        return SaveResult::Cancelled;
    default:
        return SaveResult::Failed;
    }
}

bool frmMDIChild::Form_Unload()
{
    if (workbook().isChanged()) {
        const platform::Answer answer =
            platform::dialogs().MsgBox("Save changes before closing?", platform::mb::YesNoCancel | platform::mb::Question,
                                       workbook().title());
        if (answer == platform::Answer::Cancel) {
            return false;
        }
        if (answer == platform::Answer::Yes) {
            const SaveResult saved = saveHook ? saveHook(*this) : SaveResult::Failed;
            if (saved != SaveResult::Saved) {
                return false;
            }
        }
    }
    platform::FrozenUpdates frozen(m_tree->Nodes());
    m_tree->Nodes().Clear();
    return true;
}

void frmMDIChild::closeEvent(QCloseEvent* event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    bool mayClose = false;
    platform::guarded([&](platform::Guard& g) { g.step([&] { mayClose = Form_Unload(); }); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    m_unloaded = true;
    m_frame.documentClosing(*this);
    event->accept();
    // The frame's window around this one goes with it.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->close();
    }
}

void frmMDIChild::ss_MouseUp(Qt::MouseButton button, int x, int y)
{
    if (button == Qt::LeftButton) {
        // A drag that drew an object ends its button's pressed state; polygon
        // drawing takes several clicks and keeps it.
        if (workbook().Mode() != static_cast<std::int32_t>(spreadsheet::ObjectKind::Polygon)) {
            if (DrawingToolbar* draw = DrawingToolbar::of(m_frame)) {
                draw->releaseAll();
            }
        }
        return;
    }
    if (m_ss->rowAtY(y) + m_ss->colAtX(x) != 0) {
        m_frame.popupMenu(QStringLiteral("mnuEdit"));
    }
}

trees::TreeTool* frmMDIChild::CTreeTool()
{
    if (!m_treeTool) {
        m_treeTool = std::make_unique<trees::TreeTool>();
    }
    return m_treeTool.get();
}

void frmMDIChild::MyRootNode(std::unique_ptr<analysis::MyNode> root)
{
    if (!root) {
        throw platform::Error(platform::err::ObjectNotSet, "MyRootNode", "No tree was given.");
    }
    m_root = std::move(root);
    platform::TreeViewModel& nodes = m_tree->Nodes();
    trees::TreeTool* tool = CTreeTool();
    tool->Initialize(nodes);
    const std::int32_t top = nodes.Add({}, "Root");
    tool->PlantTree(*m_root, top, true, true);
    nodes.setExpanded(1, true);
}

void frmMDIChild::CollapseWithCutOff(double cutoff)
{
    std::unique_ptr<analysis::MyNode> collapsed;
    if (m_root) {
        collapsed = trees::ListTrees::CollapseWithCutOff(*m_root, cutoff);
    }
    if (!collapsed) {
        (void)platform::dialogs().MsgBox(trees::ListTrees::NothingToCollapse, platform::mb::Information,
                                         ProgramInfo::Title);
        return;
    }
    platform::TreeViewModel& nodes = m_tree->Nodes();
    trees::TreeTool* tool = CTreeTool();
    tool->Initialize(nodes);
    platform::FrozenUpdates frozen(nodes);
    nodes.Clear();
    const std::int32_t top = nodes.Add({}, "Root");
    tool->PlantTree(*collapsed, top, true, true);
    nodes.setExpanded(1, true);
}

void frmMDIChild::TreeView1_MouseUp(Qt::MouseButton button)
{
    if (button != Qt::RightButton) {
        return;
    }
    const std::int32_t node = m_tree->Nodes().SelectedItem();
    if (node != 0 && m_tree->Nodes().Children(node) > 0) {
        m_frame.popupMenu(QStringLiteral("mnuTree"));
    }
}

bool frmMDIChild::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonRelease) {
        TreeView1_MouseUp(static_cast<QMouseEvent*>(event)->button());
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace shell
