#include "app/StatusTimer.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QToolBar>

#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/InsertRules.h"
#include "shell/core/ToolbarRules.h"
#include "shell/core/mQuorin.h"
#include "app/DrawingToolbar.h"
#include "app/MainFrame.h"
#include "app/StandardToolbar.h"
#include "app/frmMDIChild.h"

namespace shell {

StatusTimer::StatusTimer(MainFrame& frame) : QObject(&frame), m_frame(frame)
{
    setObjectName(QStringLiteral("StatusTimer"));
    selectedObjects = [](frmMDIChild& child) {
        const spreadsheet::Workbook& wb = child.workbook();
        const std::int32_t count = wb.selectedObjectCount();
        const std::int32_t type = count == 1 ? wb.objectType(wb.selectedObjectId(0)) : 0;
        return std::pair<std::int32_t, std::int32_t>{count, type};
    };
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(500);
    connect(m_timer, &QTimer::timeout, this, [this] { tick(); });
    m_timer->start();
}

StatusTimer* StatusTimer::of(const MainFrame& frame)
{
    return frame.findChild<StatusTimer*>(QStringLiteral("StatusTimer"), Qt::FindDirectChildrenOnly);
}

void StatusTimer::tick()
{
    if (m_ticking)
        return;
    m_ticking = true;
    // Each step that fails goes to the error reporter: Abort ends the tick,
    // Retry runs the step again, Ignore goes on with the next one.
    platform::guarded([&](platform::Guard& g) {
        ToolbarPollInput input;
        frmMDIChild* child = nullptr;
        g.step([&] {
            auto* mdi = m_frame.findChild<QMdiArea*>(QStringLiteral("MDIClient"));
            QMdiSubWindow* sub = mdi ? mdi->currentSubWindow() : nullptr;
            if (!sub && mdi)
                sub = mdi->activeSubWindow();
            input.hasActiveChild = sub && sub->widget();
            if (input.hasActiveChild)
                input.caption = sub->widget()->windowTitle().toStdString();
            input.sheetOpen = mQuorin::Program().IsSheetOpen();
            child = input.hasActiveChild ? qobject_cast<frmMDIChild*>(sub->widget()) : nullptr;
        });
        if (!child)
            return;
        g.step([&] {
            const auto [count, type] = selectedObjects ? selectedObjects(*child) : std::pair{0, 0};
            input.selectedObjects = count;
            input.firstObjectType = type;
        });
        g.step([&] { input.canPaste = child->ss()->CanEditPaste(); });
        // An insert mode ended on the sheet (by Esc, or by drawing the
        // object) leaves no drawing button down.
        g.step([&] {
            if (mQuorin::Program().IsSheetOpen() && child->workbook().Mode() == kNoInsertMode)
                if (DrawingToolbar* draw = DrawingToolbar::of(m_frame))
                    draw->releaseAll();
        });
        g.step([&] {
            const std::optional<ToolbarStates> states = PollToolbars(input);
            if (!states)
                return;
            if (auto* format = m_frame.findChild<QToolBar*>(QStringLiteral("tlbFormat")))
                format->setEnabled(states->formatEnabled);
            if (auto* draw = m_frame.findChild<QToolBar*>(QStringLiteral("tlbDraw")))
                if (auto* polygon = draw->findChild<QAction*>(QStringLiteral("tlbDraw_Freeform")))
                    polygon->setEnabled(states->polygonEnabled);
            if (StandardToolbar* standard = StandardToolbar::of(m_frame)) {
                for (const std::string_view key : kCellButtonKeys)
                    if (QAction* a = standard->button(QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()))))
                        a->setEnabled(states->cellButtonsEnabled);
                if (QAction* paste = standard->button(QStringLiteral("Paste")))
                    paste->setEnabled(states->pasteEnabled);
            }
        });
    });
    m_ticking = false;
}

} // namespace shell
