#include "app/InsertCommands.h"

#include <QAction>
#include <QMenu>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/InsertRules.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"
#include "app/DrawingToolbar.h"
#include "app/MainFrame.h"
#include "app/frmMDIChild.h"

namespace shell {

namespace {

using Sheet = spreadsheet::SpreadsheetWidget;

QString qstr(std::string_view s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

InsertCommands::InsertCommands(MainFrame& frame) : QObject(&frame), m_frame(frame)
{
    setObjectName(QStringLiteral("InsertCommands"));
    connectItem("mnuInsertCells", [this] { ignoringErrors([](Sheet& s) { s.InsertDlg(); }); });
    connectItem("mnuInsertRows", [this] { insertLines(3); });
    connectItem("mnuInsertColumns", [this] { insertLines(4); });
    connectItem("mnuInsertWorksheet", [this] { ignoringErrors([](Sheet& s) { s.workbook().EditInsertSheets(); }); });
    connectItem("mnuInsertPageBreak", [this] { ignoringErrors([](Sheet& s) { s.workbook().AddPageBreak(); }); });
    connectItem("mnuInsertName", [this] {
        if (Sheet* s = activeSheet())
            platform::guarded([&](platform::Guard& g) { g.step([&] { s->DefinedNameDlg(); }); });
    });
    for (const InsertObjectItem& item : kInsertObjectItems)
        connectItem(item.name.data(), [this, mode = item.mode] { insertObject(mode); });
    connectItem("mnuInsertCancel", [this] { mnuInsertCancel(); });
    if (QAction* cancel = m_frame.action(QStringLiteral("mnuInsertCancel")))
        cancel->setEnabled(false);
    for (const char* name : {"mnuInsertDrawingObject", "mnuInsertFormsObject"})
        if (QAction* a = m_frame.action(QString::fromLatin1(name)))
            a->setEnabled(true);
    if (QMenu* menu = m_frame.menu(QStringLiteral("mnuInsert")))
        connect(menu, &QMenu::aboutToShow, this, [this] { mnuInsert_Open(); });
}

InsertCommands* InsertCommands::of(const MainFrame& frame)
{
    return frame.findChild<InsertCommands*>(QStringLiteral("InsertCommands"), Qt::FindDirectChildrenOnly);
}

void InsertCommands::connectItem(const char* name, std::function<void()> command)
{
    QAction* a = m_frame.action(QString::fromLatin1(name));
    if (!a)
        return;
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, [command = std::move(command)] { command(); });
}

Sheet* InsertCommands::activeSheet() const
{
    if (!mQuorin::Program().IsSheetOpen())
        return nullptr;
    frmMDIChild* child = m_frame.ActiveChild();
    return child ? child->ss() : nullptr;
}

void InsertCommands::ignoringErrors(const std::function<void(Sheet&)>& command)
{
    Sheet* sheet = activeSheet();
    if (!sheet)
        return;
    try {
        command(*sheet);
    } catch (...) {
        // These items pass over what fails without a message, except a
        // refusal (locked cells of a protected sheet), which says why.
        (void)platform::tellIfRefusal(platform::currentAsError());
    }
}

void InsertCommands::insertLines(std::int32_t how)
{
    // A refused insertion says why, so that nothing seems to happen for no
    // reason; any other failure is passed over as for the other items.
    ignoringErrors([how](Sheet& s) {
        if (s.workbook().EditInsertFits(how))
            s.workbook().EditInsert(how);
        else
            (void)platform::dialogs().MsgBox(std::string(spreadsheet::Workbook::kInsertOffSheet),
                                             platform::mb::OkOnly | platform::mb::Information, ProgramInfo::Title);
    });
}

void InsertCommands::mnuInsert_Open()
{
    // Without a document window there is no sheet to ask: the items keep their states.
    Sheet* sheet = activeSheet();
    if (!sheet)
        return;
    platform::guarded([&](platform::Guard& g) {
        InsertMenuState state;
        g.step([&] {
            const spreadsheet::Workbook& wb = sheet->workbook();
            state = insertMenuState(wb.Mode(), wb.selectedObjectCount());
        });
        g.step([&] {
            if (state.enableCancel)
                if (QAction* cancel = m_frame.action(QStringLiteral("mnuInsertCancel")))
                    cancel->setEnabled(true);
            for (const std::string_view name : kInsertCellItems)
                if (QAction* a = m_frame.action(qstr(name)))
                    a->setEnabled(state.cellItems);
        });
    });
}

void InsertCommands::insertObject(std::int32_t mode)
{
    Sheet* sheet = activeSheet();
    if (!sheet)
        return;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { sheet->workbook().setMode(mode); });
        g.step([&] {
            // The toolbar shows the mode now in force and no other.
            if (DrawingToolbar* draw = DrawingToolbar::of(m_frame))
                draw->showMode(mode);
        });
    });
}

void InsertCommands::mnuInsertCancel()
{
    Sheet* sheet = activeSheet();
    platform::guarded([&](platform::Guard& g) {
        if (sheet)
            g.step([&] { sheet->workbook().setMode(kNoInsertMode); });
        g.step([&] {
            if (QAction* cancel = m_frame.action(QStringLiteral("mnuInsertCancel")))
                cancel->setEnabled(false);
        });
    });
}

} // namespace shell
