#include "app/ClusterMenu.h"

#include <QString>
#include <QTextEdit>

#include "platform/errors/Error.h"
#include "app/MainFrame.h"
#include "app/WorkbookCommands.h"
#include "app/frmMDIChild.h"

namespace shell {

spreadsheet::Workbook& DocumentClusterTarget::workbook() { return m_window.workbook(); }

void DocumentClusterTarget::setMyRootNode(std::unique_ptr<analysis::MyNode> root) { m_window.MyRootNode(std::move(root)); }

void DocumentClusterTarget::setOutputText(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_window.RichTextBox1()->setPlainText(shown);
}

void InstallClusterDialog(MainFrame& frame, platform::rt::RandomSource* rng)
{
    WorkbookCommands* commands = WorkbookCommands::of(frame);
    if (commands == nullptr) {
        throw platform::Error(platform::err::ObjectNotSet, "InstallClusterDialog",
                              "The main window has no workbook commands.");
    }
    commands->setClusterDialog([&frame, rng] {
        frmMDIChild* child = frame.ActiveChild();
        if (child == nullptr) {
            return;
        }
        DocumentClusterTarget target(*child);
        analysis::frmClusterOpt dialog(target, &frame);
        dialog.setRandomSource(rng);
        (void)dialog.ShowModal();
    });
}

} // namespace shell
