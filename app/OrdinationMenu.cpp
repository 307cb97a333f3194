#include "app/OrdinationMenu.h"

#include <QPointer>
#include <QString>
#include <QTextEdit>

#include "graphs/ui/frmGraphics.h"
#include "platform/errors/Error.h"
#include "platform/widgets/placement/WindowPlacement.h"
#include "app/MainFrame.h"
#include "app/WorkbookCommands.h"
#include "app/frmMDIChild.h"

namespace shell {

namespace {

frmMDIChild& activeChild(MainFrame& frame)
{
    frmMDIChild* child = frame.ActiveChild();
    if (child == nullptr) {
        throw platform::Error(platform::err::ObjectNotSet, "ActiveForm", "No workbook window is open.");
    }
    return *child;
}

// Shows the dialog of kind D, made on first use and again after it closed.
template <class D>
void showDialog(QPointer<D>& open, analysis::OrdinationTarget& target, MainFrame& frame)
{
    if (open) {
        open->raise();
        open->activateWindow();
        return;
    }
    if (frame.ActiveChild() == nullptr) {
        return;
    }
    auto* dialog = new D(target, &frame);  // owned by the frame; deletes itself when closed
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (!dialog->Form_Load()) {
        dialog->deleteLater();
        return;
    }
    open = dialog;
    dialog->show();
}

} // namespace

spreadsheet::Workbook& FrameOrdinationTarget::workbook() { return activeChild(m_frame).workbook(); }

spreadsheet::Workbook& FrameOrdinationTarget::newWorkbook()
{
    WorkbookCommands* commands = WorkbookCommands::of(m_frame);
    if (commands == nullptr) {
        throw platform::Error(platform::err::ObjectNotSet, "NewWorkbook", "Unable to create new worksheet.");
    }
    return commands->host().newWorkbook();
}

void FrameOrdinationTarget::setOutputText(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    activeChild(m_frame).RichTextBox1()->setPlainText(shown);
}

void FrameOrdinationTarget::plot(const std::vector<double>& x, const std::vector<double>& y,
                                 const std::string& xTitle, const std::string& yTitle,
                                 const std::vector<std::string>& labels)
{
    graphs::frmGraphics& window = graphs::frmGraphics::instance();
    std::string type = "SCATTER";
    window.Graph2To3(x, y, static_cast<std::int32_t>(x.size()), xTitle, yTitle, type, true, true, &labels);
    // The graph window opens inside the main window, whole.
    platform::placeInsideWhenOpened(window, &m_frame);
    window.show();
    window.raise();
    window.activateWindow();
}

void InstallOrdinationDialogs(MainFrame& frame)
{
    WorkbookCommands* commands = WorkbookCommands::of(frame);
    if (commands == nullptr) {
        throw platform::Error(platform::err::ObjectNotSet, "InstallOrdinationDialogs",
                              "The main window has no workbook commands.");
    }
    auto target = std::make_shared<FrameOrdinationTarget>(frame);
    auto pca = std::make_shared<QPointer<analysis::frmPCAOpt>>();
    auto ca = std::make_shared<QPointer<analysis::frmCA>>();
    auto corr = std::make_shared<QPointer<analysis::frmCorr>>();
    commands->setPCADialog([&frame, target, pca] { showDialog(*pca, *target, frame); });
    commands->setCADialog([&frame, target, ca] { showDialog(*ca, *target, frame); });
    commands->setCorrDialog([&frame, target, corr] { showDialog(*corr, *target, frame); });
}

} // namespace shell
