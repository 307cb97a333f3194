#include "analysis/ui/ClusterMenu.h"

#include <QString>
#include <QTextEdit>

#include "platform/errors/Error.h"
#include "shell/ui/MainFrame.h"
#include "shell/ui/WorkbookCommands.h"
#include "shell/ui/frmMDIChild.h"

namespace analysis {

spreadsheet::Workbook& DocumentClusterTarget::workbook() { return m_window.workbook(); }

void DocumentClusterTarget::setMyRootNode(std::unique_ptr<MyNode> root) { m_window.MyRootNode(std::move(root)); }

void DocumentClusterTarget::setOutputText(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_window.RichTextBox1()->setPlainText(shown);
}

void InstallClusterDialog(shell::MainFrame& frame, platform::rt::RandomSource* rng)
{
    shell::WorkbookCommands* commands = shell::WorkbookCommands::of(frame);
    if (commands == nullptr) {
        throw platform::Error(platform::err::ObjectNotSet, "InstallClusterDialog",
                              "The main window has no workbook commands.");
    }
    commands->setClusterDialog([&frame, rng] {
        shell::frmMDIChild* child = frame.ActiveChild();
        if (child == nullptr) {
            return;
        }
        DocumentClusterTarget target(*child);
        frmClusterOpt dialog(target, &frame);
        dialog.setRandomSource(rng);
        (void)dialog.ShowModal();
    });
}

} // namespace analysis
