#include "app/DrawingToolbar.h"

#include <QAction>
#include <QToolBar>

#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/InsertRules.h"
#include "app/MainFrame.h"
#include "app/ToolbarIcons.h"
#include "app/frmMDIChild.h"

namespace shell {

namespace {

QString qstr(std::string_view s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

DrawingToolbar::DrawingToolbar(MainFrame& frame) : QObject(&frame), m_frame(frame)
{
    setObjectName(QStringLiteral("DrawingToolbar"));
    m_bar = frame.findChild<QToolBar*>(QStringLiteral("tlbDraw"));
    if (!m_bar)
        return;
    for (const std::string_view k : kDrawToolbar) {
        const QString key = qstr(k);
        QAction* a = m_bar->addAction(ToolbarIcons::icon(key), key);
        a->setObjectName(QStringLiteral("tlbDraw_") + key);
        a->setData(key);
        a->setToolTip(key);
        // A mode button shows its mode by staying down.
        a->setCheckable(drawButtonMode(k).has_value());
        connect(a, &QAction::triggered, this, [this, key] { tlbDraw_ButtonClick(key); });
    }
}

DrawingToolbar* DrawingToolbar::of(const MainFrame& frame)
{
    return frame.findChild<DrawingToolbar*>(QStringLiteral("DrawingToolbar"), Qt::FindDirectChildrenOnly);
}

QAction* DrawingToolbar::button(const QString& key) const
{
    return m_bar ? m_bar->findChild<QAction*>(QStringLiteral("tlbDraw_") + key) : nullptr;
}

void DrawingToolbar::showMode(std::int32_t mode)
{
    const auto pressed = drawButtonForMode(mode);
    for (const std::string_view k : kDrawToolbar)
        if (QAction* a = button(qstr(k)))
            a->setChecked(pressed && *pressed == k);
}

void DrawingToolbar::releaseAll()
{
    showMode(kNoInsertMode);
}

void DrawingToolbar::tlbDraw_ButtonClick(const QString& key)
{
    QAction* clicked = button(key);
    frmMDIChild* child = m_frame.ActiveChild();
    if (!child) {
        // Nothing at all happens: the button does not stay down either.
        if (clicked && clicked->isCheckable())
            clicked->setChecked(false);
        return;
    }
    spreadsheet::SpreadsheetWidget* ss = child->ss();
    const auto mode = drawButtonMode(key.toStdString());
    platform::guarded([&](platform::Guard& g) {
        if (mode) {
            g.step([&] {
                // The button's own toggle is undone: the mode decides what shows.
                const DrawClick click = clickDrawButton(ss->workbook().Mode(), *mode);
                if (click.pressClicked) {
                    showMode(*mode);
                } else if (clicked) {
                    clicked->setChecked(false);
                }
                ss->workbook().setMode(click.newMode);
            });
        }
        g.step([&] { ss->SetFocus(); });
    });
}

} // namespace shell
