#include "app/EditCommands.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

#include <set>
#include <string>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/frmMDIChild.h"
#include "shell/workbook/SheetEdit.h"

namespace shell {

namespace {

// Whether a sheet holds cell entries or drawing objects.
bool holdsData(const spreadsheet::Workbook& book, std::int32_t sheet)
{
    return book.lastUsedRow(sheet) != 0 || !book.objects(sheet).empty();
}

void refusal(const std::string& text)
{
    (void)platform::dialogs().MsgBox(text, platform::mb::OkOnly | platform::mb::Exclamation, ProgramInfo::Title);
}

} // namespace

EditCommands::EditCommands(MainFrame& frame) : QObject(&frame), m_frame(frame)
{
    setObjectName(QStringLiteral("EditCommands"));
    using Sheet = spreadsheet::SpreadsheetWidget;
    connectItem("mnuEditCut", [this] { SSMDIEditCut(); });
    connectItem("mnuEditCopy", [this] { SSMDIEditCopy(); });
    connectItem("mnuEditPast", [this] { SSMDIEditPaste(); });
    connectItem("mnuEditPasteAll", [this] { mnuEditPasteSpecial(0); });
    connectItem("mnuEditPasteFormat", [this] { mnuEditPasteSpecial(3); });
    connectItem("mnuEditPasteFormula", [this] { mnuEditPasteSpecial(1); });
    connectItem("mnuEditPasteValue", [this] { mnuEditPasteSpecial(2); });
    connectItem("mnuEditPasteTranspos", [this] { mnuEditPasteTranspos(); });
    connectItem("mnuEditCopyCellFormat", [this] { SSMDIEditCopy(); });
    connectItem("mnuEditSort", [this] { onSheet([](Sheet& s) { (void)s.SortDlg(); }); });
    connectItem("mnuEditFillDown", [this] { onSheet([](Sheet& s) { s.workbook().EditCopyDown(); }); });
    connectItem("mnuEditFillRight", [this] { onSheet([](Sheet& s) { s.workbook().EditCopyRight(); }); });
    connectItem("mnuEditClearAll", [this] { SSMDIEditClear(); });
    // Clearing formats or contents passes over what fails, but a refusal
    // (locked cells of a protected sheet) says why nothing was cleared.
    for (const auto& [name, what] : {std::pair{"mnuEditClearFormats", 2}, std::pair{"mnuEditClearContents", 3}}) {
        connectItem(name, [this, what = what] {
            if (Sheet* s = activeSheet()) {
                try {
                    s->workbook().EditClear(what);
                } catch (...) {
                    (void)platform::tellIfRefusal(platform::currentAsError());
                }
            }
        });
    }
    connectItem("mnuEditDeleteCell", [this] { onSheet([](Sheet& s) { s.workbook().deleteSelectedCells(); }); });
    connectItem("mnuEditDeleteRow", [this] { onSheet([](Sheet& s) { s.workbook().deleteSelectedRows(); }); });
    connectItem("mnuEditDeleteColumn", [this] { onSheet([](Sheet& s) { s.workbook().deleteSelectedCols(); }); });
    connectItem("mnuEditDeleteObj", [this] { onSheet([](Sheet& s) { s.workbook().deleteSelectedObjects(); }); });
    connectItem("mnuEditSelectAllObjects", [this] { onSheet([](Sheet& s) { s.workbook().selectAllObjects(); }); });
    connectItem("mnuEditPolygonPoints", [this] { onSheet([](Sheet& s) { s.editPolygonPoints(); }); });
    if (QAction* points = m_frame.action(QStringLiteral("mnuEditPolygonPoints")))
        points->setEnabled(false);
    if (QMenu* menu = m_frame.menu(QStringLiteral("mnuEdit")))
        connect(menu, &QMenu::aboutToShow, this, [this] { mnuEdit_Open(); });
    connectItem("mnuEditDeleteSheet", [this] {
        onSheet([](Sheet& s) {
            spreadsheet::Workbook& book = s.workbook();
            if (book.NumSheets() == 1)
                throw platform::Error(platform::err::InvalidCall, "mnuEditDeleteSheet",
                                      "A workbook keeps at least one sheet: the last sheet cannot be deleted.");
            // Nothing brings a deleted sheet back: one that holds anything is
            // deleted only when the user says so.
            for (std::int32_t sheet = 1; sheet <= book.NumSheets(); ++sheet) {
                const bool doomed = sheet == book.Sheet() || book.SheetSelected(sheet);
                if (doomed && holdsData(book, sheet) &&
                    platform::dialogs().MsgBox("The sheet " + book.SheetName(sheet) +
                                                   " holds data, which will be deleted for good. Delete it?",
                                               platform::mb::YesNo | platform::mb::Question |
                                                   platform::mb::DefaultButton2,
                                               ProgramInfo::Title) != platform::Answer::Yes)
                    return;
            }
            book.EditDeleteSheets();
        });
    });
    connectItem("mnuEditFind", [this] { onSheet([](Sheet& s) { (void)s.FindDlg(); }); });
    connectItem("mnuEditReplace", [this] { onSheet([](Sheet& s) { (void)s.ReplaceDlg(); }); });
    connectItem("mnuEditGoTo", [this] { onSheet([](Sheet& s) { (void)s.GotoDlg(); }); });
    // The hidden number-format menu's one item: two decimals on the selection.
    connectItem("mnuFixed0_00", [this] { onSheet([](Sheet& s) { s.workbook().FormatFixed2(); }); });
    connectItem("mnuDataSortA", [this] { SortSelection(true); });
    connectItem("mnuDataSortD", [this] { SortSelection(false); });
    for (const char* name : {"mnuEditPasteSpecial", "mnuEditFill", "mnuEditClear", "mnuEditDelete", "mnuDataSort"}) {
        if (QAction* a = m_frame.action(QString::fromLatin1(name)))
            a->setEnabled(true);
    }
}

EditCommands* EditCommands::of(const MainFrame& frame)
{
    return frame.findChild<EditCommands*>(QStringLiteral("EditCommands"), Qt::FindDirectChildrenOnly);
}

void EditCommands::connectItem(const char* name, std::function<void()> command)
{
    QAction* a = m_frame.action(QString::fromLatin1(name));
    if (!a)
        return;
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, [command = std::move(command)] { command(); });
}

spreadsheet::SpreadsheetWidget* EditCommands::activeSheet() const
{
    if (!mQuorin::Program().IsSheetOpen())
        return nullptr;
    frmMDIChild* child = m_frame.ActiveChild();
    return child ? child->ss() : nullptr;
}

void EditCommands::onSheet(const std::function<void(spreadsheet::SpreadsheetWidget&)>& command)
{
    spreadsheet::SpreadsheetWidget* sheet = activeSheet();
    if (!sheet)
        return;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            try {
                command(*sheet);
            } catch (const platform::Error& e) {
                // The workbook's refusals of bad input: said plainly, nothing changed.
                static const std::set<std::string, std::less<>> refusals{
                    "Sort3", "SortSelection", "Clip", "Paste", "mnuEditPasteTranspos", "mnuEditDeleteSheet"};
                // Locked cells of a protected sheet have their own box (the refusal teller's).
                if (e.number() != platform::err::InvalidCall || !refusals.contains(e.source()) ||
                    spreadsheet::Workbook::isProtectionRefusal(e))
                    throw;
                refusal(e.description());
            }
        });
    });
}

void EditCommands::mnuEdit_Open()
{
    QAction* points = m_frame.action(QStringLiteral("mnuEditPolygonPoints"));
    if (!points)
        return;
    bool onePolygon = false;
    if (spreadsheet::SpreadsheetWidget* sheet = activeSheet()) {
        try {
            const spreadsheet::Workbook& wb = sheet->workbook();
            constexpr auto polygon = static_cast<std::int32_t>(spreadsheet::ObjectKind::Polygon);
            onePolygon = wb.selectedObjectCount() == 1 && wb.objectType(wb.selectedObjectId(0)) == polygon;
        } catch (...) {
            // A selection that cannot be read offers no polygon to edit.
        }
    }
    points->setEnabled(onePolygon);
}

void EditCommands::SSMDIEditClear()
{
    onSheet([](spreadsheet::SpreadsheetWidget& s) { s.workbook().EditClear(1); });
}

void EditCommands::SSMDIEditCopy()
{
    onSheet([](spreadsheet::SpreadsheetWidget& s) { s.EditCopy(); });
}

void EditCommands::SSMDIEditCut()
{
    onSheet([](spreadsheet::SpreadsheetWidget& s) { s.EditCut(); });
}

void EditCommands::SSMDIEditPaste()
{
    onSheet([](spreadsheet::SpreadsheetWidget& s) { s.EditPaste(); });
}

void EditCommands::mnuEditPasteSpecial(std::int32_t what)
{
    onSheet([what](spreadsheet::SpreadsheetWidget& s) { s.EditPasteSpecial(what); });
}

void EditCommands::mnuEditPasteTranspos()
{
    onSheet([](spreadsheet::SpreadsheetWidget& s) {
        if (!s.CanEditPaste()) {
            (void)platform::dialogs().MsgBox("Nothing in the clipboard to paste. Please copy a cell range first.",
                                             platform::mb::Information, ProgramInfo::Title);
            return;
        }
        const std::string text =
            SheetEdit::TransposeClipText(QGuiApplication::clipboard()->text().toStdString());
        spreadsheet::Workbook& book = s.workbook();
        if (!book.clipFits(text))
            throw platform::Error(platform::err::InvalidCall, "mnuEditPasteTranspos",
                                  "The cells to paste do not fit on the sheet from the selected cell.");
        book.setClip(text);
    });
}

void EditCommands::SortSelection(bool ascending)
{
    onSheet([ascending](spreadsheet::SpreadsheetWidget& s) { SheetEdit::SortSelection(s.workbook(), ascending); });
}

} // namespace shell
