#include "app/StandardToolbar.h"

#include <QAction>
#include <QToolBar>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/ToolbarRules.h"
#include "shell/core/mQuorin.h"
#include "app/EditCommands.h"
#include "app/MainFrame.h"
#include "app/ToolbarIcons.h"
#include "app/WorkbookCommands.h"
#include "app/frmMDIChild.h"
#include "shell/workbook/SSMDIFiles.h"
#include "shell/workbook/SheetEdit.h"

namespace shell {

StandardToolbar::StandardToolbar(MainFrame& frame) : QObject(&frame), m_frame(frame)
{
    setObjectName(QStringLiteral("StandardToolbar"));
    m_bar = frame.findChild<QToolBar*>(QStringLiteral("tlbStandard"));
    if (!m_bar)
        return;
    for (const ToolbarEntry& entry : kStandardToolbar) {
        if (entry.key.empty()) {
            m_bar->addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(entry.key.data(), static_cast<qsizetype>(entry.key.size()));
        QAction* a = m_bar->addAction(ToolbarIcons::icon(key), key);
        a->setObjectName(QStringLiteral("tlbStandard_") + key);
        a->setData(key);
        a->setToolTip(QString::fromLatin1(entry.tip.data(), static_cast<qsizetype>(entry.tip.size())));
        connect(a, &QAction::triggered, this, [this, key] { tlbStandard_ButtonClick(key); });
    }
    for (const char* idle : {"Undo", "Redo"})
        button(QString::fromLatin1(idle))->setEnabled(false);
}

StandardToolbar* StandardToolbar::of(const MainFrame& frame)
{
    return frame.findChild<StandardToolbar*>(QStringLiteral("StandardToolbar"), Qt::FindDirectChildrenOnly);
}

QAction* StandardToolbar::button(const QString& key) const
{
    return m_bar ? m_bar->findChild<QAction*>(QStringLiteral("tlbStandard_") + key) : nullptr;
}

void StandardToolbar::tlbStandard_ButtonClick(const QString& key)
{
    WorkbookCommands* files = WorkbookCommands::of(m_frame);
    EditCommands* edit = EditCommands::of(m_frame);
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            const bool window = m_frame.ActiveChild() != nullptr;
            if (key == QLatin1String("New")) {
                if (files)
                    files->mnuFileNew();
            } else if (key == QLatin1String("Open")) {
                Open();
            } else if (key == QLatin1String("Save")) {
                if (window && files)
                    (void)SSMDI1::SSMDISaveFile(files->host());
            } else if (key == QLatin1String("Cut")) {
                if (window && edit)
                    edit->SSMDIEditCut();
            } else if (key == QLatin1String("Copy")) {
                if (window && edit)
                    edit->SSMDIEditCopy();
            } else if (key == QLatin1String("Paste")) {
                if (window && edit)
                    edit->SSMDIEditPaste();
            } else if (key == QLatin1String("Delete")) {
                if (window && edit)
                    edit->SSMDIEditClear();
            } else if (key == QLatin1String("Sum")) {
                if (window)
                    Sum();
            } else if (key == QLatin1String("SortA") || key == QLatin1String("SortD")) {
                if (window && edit)
                    edit->SortSelection(key == QLatin1String("SortA"));
            } else if (key == QLatin1String("Print")) {
                // The toolbar prints without the print dialog.
                if (window)
                    m_frame.ActiveChild()->ss()->FilePrint(false);
            } else if (key == QLatin1String("Help")) {
                (void)platform::dialogs().MsgBox(kToolbarHelpText, platform::mb::OkOnly | platform::mb::Information,
                                                 ProgramInfo::Title);
            } else if (key == QLatin1String("Find")) {
                if (edit && edit->activeSheet())
                    (void)edit->activeSheet()->FindDlg();
            }
        });
        g.step([&] {
            if (frmMDIChild* child = m_frame.ActiveChild(); child && !child->ss()->isHidden()) {
                // A dialog the button opened keeps the focus.
                if (key != QLatin1String("Find"))
                    child->ss()->SetFocus();
            }
        });
    });
}

void StandardToolbar::Open()
{
    WorkbookCommands* files = WorkbookCommands::of(m_frame);
    if (!files)
        return;
    mQuorin::ProgramState& program = mQuorin::Program();
    const std::int32_t inType = SSMDI1::DefaultOpenEntry(program.gIni()) - 1;
    const std::optional<std::string> path =
        SSMDI1::AskFileToOpen(m_frame.CommonDialog1(), "Open File", inType, program.gDataDir);
    if (!path)
        return;
    // Unlike File, Open, the toolbar leaves the Tree and Analysis menus as they are.
    (void)SSMDI1::OpenChosenFile(files->host(), program.gIni(), m_frame, *path, false);
}

void StandardToolbar::Sum()
{
    frmMDIChild* child = m_frame.ActiveChild();
    if (!child)
        return;
    spreadsheet::Workbook& book = child->workbook();
    const SheetEdit::AutoSumPlan plan = SheetEdit::PlanAutoSum(book, book.activeRow(), book.activeCol());
    if (plan.startEdit) {
        // The user completes the formula; nothing is entered until then.
        child->ss()->startEdit("=Sum(");
        return;
    }
    book.setFormula(plan.formula);
    book.setSelectionRef(plan.selection);
    child->ss()->SetFocus();
}

} // namespace shell
