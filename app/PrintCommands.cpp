#include "app/PrintCommands.h"

#include <QAction>
#include <QApplication>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/errors/Guard.h"
#include "platform/print/QtPrinter.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/widgets/treeview/TreeView.h"
#include "app/MainFrame.h"
#include "app/frmMDIChild.h"

namespace shell {

namespace {

// The default printer's paper and orientation, or A4 portrait without one.
trees::CPage defaultPage()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return trees::CPage(platform::paper::A4, platform::orientation::Portrait);
    }
    QPrinter device(info);
    platform::QtPagePrinter printer(device);
    return trees::CPage(printer.PaperSize(), printer.Orientation());
}

platform::StdFont stdFont(const QFont& font)
{
    platform::StdFont f;
    f.Name = font.family().toStdString();
    f.Size = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    f.Bold = font.bold();
    f.Italic = font.italic();
    f.Underline = font.underline();
    f.Strikethrough = font.strikeOut();
    return f;
}

} // namespace

PrintCommands::PrintCommands(MainFrame& frame) : QObject(&frame), m_frame(frame), m_oSTV(defaultPage())
{
    setObjectName(QStringLiteral("PrintCommands"));
    const auto connectItem = [this](const char* name, auto command) {
        if (QAction* a = m_frame.action(QString::fromLatin1(name))) {
            a->setEnabled(true);
            connect(a, &QAction::triggered, this, command);
        }
    };
    connectItem("mnuFilePageSetup", [this] { mnuFilePageSetup(); });
    connectItem("mnuFilePrintPreview", [this] { mnuFilePrintPreview(); });
    connectItem("mnuFilePrint", [this] { mnuFilePrint(); });
    connectItem("mnuTreePrintVertical", [this] { mnuTreePrint(platform::orientation::Portrait); });
    connectItem("mnuTreePrintHorizontal", [this] { mnuTreePrint(platform::orientation::Landscape); });
    if (QAction* submenu = m_frame.action(QStringLiteral("mnuTreePrint"))) {
        submenu->setEnabled(true);
    }
    CreateTreePrinter();
}

PrintCommands* PrintCommands::of(const MainFrame& frame)
{
    return frame.findChild<PrintCommands*>(QStringLiteral("PrintCommands"), Qt::FindDirectChildrenOnly);
}

void PrintCommands::CreateTreePrinter()
{
    trees::CPage& page = m_oSTV.Page();
    page.setMarginBottom(2);
    page.setMarginTop(2);
    page.setMarginLeft(2);
    page.setMarginRight(2);
    page.Footer().setText("Pag. <pag>");
    page.Footer().Font().Name = "Arial";
    page.Footer().Font().Size = 8;
    page.Footer().setAlignment(trees::align::Centre);
    trees::CText& title = m_oSTV.Title();
    title.Font().Bold = true;
    title.setAlignment(trees::align::Centre);
    title.Font().Italic = true;
    title.Font().Name = "Times New Roman";
    title.Font().Size = 14;
    title.setText("Condenced output of tree structrue");
    m_oSTV.setPrintOnlyExpandedNodes(true);
    m_oSTV.Beep = [] { QApplication::beep(); };
}

void PrintCommands::mnuFilePageSetup()
{
    if (frmMDIChild* child = m_frame.ActiveChild()) {
        platform::guarded([&](platform::Guard& g) { g.step([&] { child->ss()->FilePageSetupDlg(); }); });
    }
}

void PrintCommands::mnuFilePrintPreview()
{
    if (frmMDIChild* child = m_frame.ActiveChild()) {
        platform::guarded([&](platform::Guard& g) { g.step([&] { child->ss()->FilePrintPreview(); }); });
    }
}

void PrintCommands::mnuFilePrint()
{
    // The print member of the active workbook, with the print dialog.
    frmMDIChild* child = m_frame.ActiveChild();
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            if (child == nullptr) {
                throw platform::Error(91, "mnuFilePrint", "Object variable or With block variable not set");
            }
            child->ss()->FilePrint(true);
        });
    });
}

void PrintCommands::mnuTreePrint(std::int16_t orientation)
{
    m_oSTV.Page().setOrientation(orientation);
    frmMDIChild* child = m_frame.ActiveChild();
    if (child != nullptr && child->TreeView1() != nullptr) {
        m_oSTV.setControl(&child->TreeView1()->Nodes(), stdFont(child->TreeView1()->font()));
    } else {
        m_oSTV.setControl(nullptr, m_oSTV.FontNode());
    }
    auto device = platform::PrintTarget::jobPrinter(QStringLiteral("Tree"));
    if (!device) {
        return;
    }
    platform::QtPagePrinter printer(*device);
    m_oSTV.PrintControl(printer);
}

} // namespace shell
