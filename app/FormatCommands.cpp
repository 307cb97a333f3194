#include "app/FormatCommands.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/FormatRules.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/ToolbarIcons.h"
#include "app/frmMDIChild.h"

namespace shell {

namespace {

using spreadsheet::HAlign;
using Sheet = spreadsheet::SpreadsheetWidget;

// The buttons after the font boxes; an empty key is a separator.
constexpr const char* kFormatButtons[] = {"Bold", "Italic", "Underline", "", "Align Left", "Center", "Align Right"};

constexpr std::int32_t kAllPages = 0x7FFFFFFF;

const char* const kCellItems[] = {"mnuFormatCells",       "mnuFormatRowHeight",     "mnuFormatRowHide",
                                  "mnuFormatRowUnhide",   "mnuFormatColumnWidth",   "mnuFormatColumnAutoFit",
                                  "mnuFormatColumnHide",  "mnuFormatColumnUnhide",  "mnuFormatFreezePanes"};
const char* const kObjectItems[] = {"mnuFormatObject", "mnuFormatBringToFront", "mnuFormatSendToBack"};

} // namespace

FormatCommands::FormatCommands(MainFrame& frame) : QObject(&frame), m_frame(frame)
{
    setObjectName(QStringLiteral("FormatCommands"));
    m_bar = frame.findChild<QToolBar*>(QStringLiteral("tlbFormat"));
    if (m_bar) {
        // The buttons go between the font boxes and the zoom box.
        QAction* before = nullptr;
        if (auto* zoom = frame.findChild<QComboBox*>(QStringLiteral("cboZoom")))
            for (QAction* a : m_bar->actions())
                if (m_bar->widgetForAction(a) == zoom)
                    before = a;
        for (const char* k : kFormatButtons) {
            const QString key = QString::fromLatin1(k);
            if (key.isEmpty()) {
                m_bar->insertSeparator(before);
                continue;
            }
            auto* a = new QAction(ToolbarIcons::icon(key), key, m_bar);
            a->setObjectName(QStringLiteral("tlbFormat_") + key);
            a->setToolTip(key);
            a->setCheckable(true);
            m_bar->insertAction(before, a);
            connect(a, &QAction::triggered, this, [this, key] { tlbFormat_ButtonClick(key); });
        }
        if (before)
            m_bar->insertSeparator(before);
    }
    // The font boxes pass over a value the workbook refuses; a refusal of
    // locked cells of a protected sheet is told instead.
    frame.applyFontSize = [this](frmMDIChild& child, std::int16_t size) {
        try {
            child.ss()->workbook().setFontSize(size);
        } catch (...) {
            if (!platform::tellIfRefusal(platform::currentAsError()))
                throw;
            SyncFontBoxes();  // the boxes show the cell's font again
        }
    };
    frame.applyFontName = [this](frmMDIChild& child, const std::string& name) {
        try {
            child.ss()->workbook().setFontName(name);
        } catch (...) {
            if (!platform::tellIfRefusal(platform::currentAsError()))
                throw;
            SyncFontBoxes();
        }
    };

    connectItem("mnuFormatCells", [this] {
        onSheet([](Sheet& s) { s.FormatCellsDlg(kAllPages); });
        syncAll();
    });
    connectItem("mnuFormatRowHeight", [this] { onSheet([](Sheet& s) { s.RowHeightDlg(); }); });
    connectItem("mnuFormatRowDefaultHgt", [this] { onSheet([](Sheet& s) { s.DefRowHeightDlg(); }); });
    connectItem("mnuFormatColumnWidth", [this] { onSheet([](Sheet& s) { s.ColWidthDlg(); }); });
    connectItem("mnuFormatColumnDefaultWdt", [this] { onSheet([](Sheet& s) { s.DefColWidthDlg(); }); });
    for (const auto& [name, hide] : {std::pair{"mnuFormatRowHide", true}, std::pair{"mnuFormatRowUnhide", false}})
        connectItem(name, [this, hide = hide] {
            onSheet([hide](Sheet& s) {
                const auto r = s.workbook().SelectionEx(0);
                s.workbook().SetRowHidden(r.firstRow, r.lastRow, hide);
            });
        });
    for (const auto& [name, hide] : {std::pair{"mnuFormatColumnHide", true}, std::pair{"mnuFormatColumnUnhide", false}})
        connectItem(name, [this, hide = hide] {
            onSheet([hide](Sheet& s) {
                const auto r = s.workbook().SelectionEx(0);
                s.workbook().SetColHidden(r.firstCol, r.lastCol, hide);
            });
        });
    connectItem("mnuFormatColumnAutoFit", [this] {
        onSheet([](Sheet& s) {
            const auto r = s.workbook().SelectionEx(0);
            s.workbook().SetColWidthAuto(r.firstRow, r.firstCol, r.lastRow, r.lastCol);
        });
    });
    connectItem("mnuFormatSheetProperties", [this] { onSheet([](Sheet& s) { s.FormatSheetDlg(kAllPages, false); }); });
    connectItem("mnuFormatSheetProtection", [this] { mnuFormatSheetProtection(); });
    connectItem("mnuFormatPrintArea", [this] { onSheet([](Sheet& s) { s.workbook().SetPrintAreaFromSelection(); }); });
    connectItem("mnuFormatPrintTitles",
                [this] { onSheet([](Sheet& s) { s.workbook().SetPrintTitlesFromSelection(); }); });
    connectItem("mnuFormatFreezePanes", [this] { mnuFormatFreezePanes(); });
    connectItem("mnuFormatDefaultFont", [this] {
        onSheet([](Sheet& s) { s.FormatDefaultFontDlg(); });
        syncAll();
    });
    // The object items act on the selected drawing objects, then switch
    // themselves off until the menu opens again with objects selected.
    connectItem("mnuFormatObject", [this] {
        onSheet([](Sheet& s) { s.FormatObjectDlg(kAllPages); });
        disableItem("mnuFormatObject");
    });
    connectItem("mnuFormatBringToFront", [this] {
        onSheet([](Sheet& s) { s.workbook().ObjBringToFront(); });
        disableItem("mnuFormatBringToFront");
    });
    connectItem("mnuFormatSendToBack", [this] {
        onSheet([](Sheet& s) { s.workbook().ObjSendToBack(); });
        disableItem("mnuFormatSendToBack");
    });
    if (QAction* protection = m_frame.action(QStringLiteral("mnuFormatSheetProtection")))
        protection->setCheckable(true);
    for (const char* name : kObjectItems)
        if (QAction* a = m_frame.action(QString::fromLatin1(name)))
            a->setEnabled(false);
    if (QMenu* menu = m_frame.menu(QStringLiteral("mnuFormat")))
        connect(menu, &QMenu::aboutToShow, this, [this] { mnuFormat_Open(); });
    for (const char* name : {"mnuFormatRow", "mnuFormatColumn", "mnuFormatSheet", "mnuFormatPrinting"})
        if (QAction* a = m_frame.action(QString::fromLatin1(name)))
            a->setEnabled(true);
}

FormatCommands* FormatCommands::of(const MainFrame& frame)
{
    return frame.findChild<FormatCommands*>(QStringLiteral("FormatCommands"), Qt::FindDirectChildrenOnly);
}

QAction* FormatCommands::button(const QString& key) const
{
    return m_bar ? m_bar->findChild<QAction*>(QStringLiteral("tlbFormat_") + key) : nullptr;
}

void FormatCommands::connectItem(const char* name, std::function<void()> command)
{
    QAction* a = m_frame.action(QString::fromLatin1(name));
    if (!a)
        return;
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, [command = std::move(command)] { command(); });
}

void FormatCommands::disableItem(const char* name)
{
    if (QAction* a = m_frame.action(QString::fromLatin1(name)))
        a->setEnabled(false);
}

Sheet* FormatCommands::activeSheet() const
{
    if (!mQuorin::Program().IsSheetOpen())
        return nullptr;
    frmMDIChild* child = m_frame.ActiveChild();
    return child ? child->ss() : nullptr;
}

void FormatCommands::onSheet(const std::function<void(Sheet&)>& command)
{
    Sheet* sheet = activeSheet();
    if (!sheet)
        return;
    platform::guarded([&](platform::Guard& g) { g.step([&] { command(*sheet); }); });
}

void FormatCommands::syncAll()
{
    SyncFontBoxes();
    SyncFormatToolbar();
}

void FormatCommands::tlbFormat_ButtonClick(const QString& key)
{
    Sheet* sheet = activeSheet();
    if (!sheet) {
        SyncFormatToolbar();  // a click without a workbook leaves no button pressed
        return;
    }
    spreadsheet::Workbook& wb = sheet->workbook();
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            if (key == QLatin1String("Bold"))
                wb.setFontBold(!wb.FontBold());
            else if (key == QLatin1String("Italic"))
                wb.setFontItalic(!wb.FontItalic());
            else if (key == QLatin1String("Underline"))
                wb.setFontUnderline(!wb.FontUnderline());
            else {
                const HAlign code = key == QLatin1String("Align Left") ? HAlign::Left
                                    : key == QLatin1String("Center") ? HAlign::Center
                                                                     : HAlign::Right;
                wb.setHAlign(wb.hAlign() == code ? HAlign::General : code);
            }
        });
    });
    // A checkable button toggles itself before this runs: the model decides.
    SyncFormatToolbar();
}

void FormatCommands::SyncFormatToolbar()
{
    Sheet* sheet = activeSheet();
    const spreadsheet::CellFormat f = sheet ? sheet->workbook().activeFormat() : spreadsheet::CellFormat();
    auto press = [this](const char* key, bool down) {
        if (QAction* a = button(QString::fromLatin1(key)))
            a->setChecked(down);
    };
    press("Align Left", f.hAlign == HAlign::Left);
    press("Center", f.hAlign == HAlign::Center);
    press("Align Right", f.hAlign == HAlign::Right);
    press("Bold", f.bold);
    press("Italic", f.italic);
    press("Underline", f.underline);
}

void FormatCommands::SyncFontBoxes()
{
    Sheet* sheet = activeSheet();
    QComboBox* names = m_frame.cboFontName();
    QComboBox* sizes = m_frame.cboFontSize();
    if (!sheet || !names || !sizes)
        return;
    const spreadsheet::CellFormat& f = sheet->workbook().activeFormat();
    const int found = names->findText(QString::fromStdString(f.fontName), Qt::MatchFixedString);
    if (found >= 0) {
        names->setCurrentIndex(found);
        sizes->setEditText(QString::number(f.fontSize));
    } else {
        names->setCurrentIndex(-1);
        names->setEditText(QString());
        sizes->setEditText(QString());
    }
}

void FormatCommands::mnuFormat_Open()
{
    Sheet* sheet = activeSheet();
    if (!sheet)
        return;
    const auto freeze = sheet->workbook().freeze();
    const FormatMenuState state =
        stateFor(freeze.rows > 0 || freeze.cols > 0, sheet->workbook().selectedObjectCount());
    if (QAction* a = m_frame.action(QStringLiteral("mnuFormatFreezePanes")))
        a->setText(QString::fromLatin1(state.freezeCaption.data(), static_cast<qsizetype>(state.freezeCaption.size())));
    for (const char* name : kCellItems)
        if (QAction* a = m_frame.action(QString::fromLatin1(name)))
            a->setEnabled(state.cellItems);
    for (const char* name : kObjectItems)
        if (QAction* a = m_frame.action(QString::fromLatin1(name)))
            a->setEnabled(state.objectItems);
    // The check mark shows this workbook's protection, whichever window was last toggled.
    if (QAction* a = m_frame.action(QStringLiteral("mnuFormatSheetProtection")))
        a->setChecked(sheet->workbook().EnableProtection());
}

void FormatCommands::mnuFormatFreezePanes()
{
    onSheet([](Sheet& s) {
        spreadsheet::Workbook& wb = s.workbook();
        const auto now = wb.freeze();
        const FreezeAction a = decideFreeze(wb.SelectionEx(0), now.rows > 0 || now.cols > 0);
        auto f = now;
        switch (a.kind) {
        case FreezeAction::Kind::Unfreeze:
            f.rows = 0;
            f.cols = 0;
            break;
        case FreezeAction::Kind::FreezeCell:
            f = {a.firstRow, a.rows, a.firstCol, a.cols};
            break;
        case FreezeAction::Kind::FreezeCols:
            f.firstCol = a.firstCol;
            f.cols = a.cols;
            break;
        case FreezeAction::Kind::FreezeRows:
            f.firstRow = a.firstRow;
            f.rows = a.rows;
            break;
        case FreezeAction::Kind::Refuse:
            (void)platform::dialogs().MsgBox(kFreezeRefusal, platform::mb::OkOnly, ProgramInfo::Title);
            return;
        }
        wb.setFreeze(f);
    });
}

void FormatCommands::mnuFormatSheetProtection()
{
    onSheet([this](Sheet& s) {
        spreadsheet::Workbook& wb = s.workbook();
        wb.setEnableProtection(!wb.EnableProtection());
        if (QAction* a = m_frame.action(QStringLiteral("mnuFormatSheetProtection")))
            a->setChecked(wb.EnableProtection());
    });
}

} // namespace shell
