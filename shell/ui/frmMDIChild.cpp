#include "shell/ui/frmMDIChild.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTextEdit>
#include <QTreeWidget>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "shell/SSMDIFiles.h"
#include "shell/mQuorin.h"
#include "shell/ui/MainFrame.h"
#include "shell/ui/WinAPI.h"
#include "shell/ui/WorkbookCommands.h"

namespace shell {

frmMDIChild::frmMDIChild(MainFrame& frame, QWidget* parent) : QWidget(parent), m_frame(frame)
{
    setObjectName(QStringLiteral("frmMDIChild"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Book"));
    m_ss = new spreadsheet::SpreadsheetWidget(this);
    m_ss->setObjectName(QStringLiteral("ss"));
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_text = new QTextEdit(this);
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
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    m_tree->setUpdatesEnabled(true);
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
        return;
    }
    if (m_ss->rowAtY(y) + m_ss->colAtX(x) != 0) {
        m_frame.popupMenu(QStringLiteral("mnuEdit"));
    }
}

void frmMDIChild::TreeView1_MouseUp(Qt::MouseButton button)
{
    if (button != Qt::RightButton) {
        return;
    }
    const QTreeWidgetItem* node = m_tree->currentItem();
    if (node && node->isSelected() && node->childCount() > 0) {
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
