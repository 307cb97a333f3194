#include "app/ToolsHelpCommands.h"

#include <QAction>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/WorkbookOptionsDialog.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/WinAPI.h"
#include "app/frmAbout.h"
#include "app/frmMDIChild.h"
#include "app/frmThank.h"

namespace shell {

namespace {

// The reading of the name, kept in three pieces joined without separators.
constexpr const char* NamePiece1 =
    "The name of Quorin creates an easy-going, good-natured personality, meeting and mixing easily. It gives a "
    "quiet patience with detail: the kind that sorts a thousand rows before lunch and still finds the one value "
    "out of place. It brings a liking for order and for things that add up, and a mistrust of numbers that cannot "
    "say where they came from. ";
constexpr const char* NamePiece2 =
    "Those who carry this name are steady companions in long work. They rarely hurry, yet they seldom fall "
    "behind, for they keep going while others stop to wonder. They are at their best among people who share a "
    "question, and they like to show what they found rather than tell it. Crowds of figures do not frighten "
    "them; a tidy tree of clusters pleases them more than it should. ";
constexpr const char* NamePiece3 =
    "The weakness of the name is a certain stubbornness: once a Quorin has settled on a method, it wants good "
    "reasons to try another. It can also forget the time, and the people waiting, when a pattern begins to "
    "show. Treated kindly and given clean data, it repays its friends many times over, and it never forgets "
    "to thank those who helped along the way.";

constexpr const char* NotNetworked = "Your computer is not networked.";

} // namespace

ToolsHelpCommands::ToolsHelpCommands(MainFrame& frame) : QObject(&frame), m_frame(frame)
{
    setObjectName(QStringLiteral("ToolsHelpCommands"));
    isNetworked = [] { return WinAPI::IsNetworked(); };
    openUrl = [this](const std::string& url) { WinAPI::OpenURL(url, &m_frame); };
    connectItem("mnuToolsRecalc", &ToolsHelpCommands::mnuToolsRecalc);
    connectItem("mnuToolsOptions", &ToolsHelpCommands::mnuToolsOptions);
    connectItem("mnuToolMedline", &ToolsHelpCommands::mnuToolMedline);
    connectItem("mnuToolMyWWW", &ToolsHelpCommands::mnuToolMyWWW);
    connectItem("mnuToolSearchWWW", &ToolsHelpCommands::mnuToolSearchWWW);
    connectItem("mnuHelpGeneral", &ToolsHelpCommands::mnuHelpGeneral);
    connectItem("mnuHelpCont", &ToolsHelpCommands::mnuHelpCont);
    connectItem("mnuHelpAck", &ToolsHelpCommands::mnuHelpAck);
    connectItem("mnuHelpAbout", &ToolsHelpCommands::mnuHelpAbout);
    connectItem("mnuHelpNameQuorin", &ToolsHelpCommands::mnuHelpNameQuorin);
}

ToolsHelpCommands* ToolsHelpCommands::of(const MainFrame& frame)
{
    return frame.findChild<ToolsHelpCommands*>(QStringLiteral("ToolsHelpCommands"), Qt::FindDirectChildrenOnly);
}

void ToolsHelpCommands::connectItem(const char* name, void (ToolsHelpCommands::*command)())
{
    QAction* a = m_frame.action(QString::fromLatin1(name));
    if (!a) {
        return;
    }
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, [this, command] { (this->*command)(); });
}

void ToolsHelpCommands::mnuToolsRecalc()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            frmMDIChild* child = m_frame.ActiveChild();
            if (mQuorin::Program().IsSheetOpen() && child) {
                child->workbook().CheckRecalc();
            }
        });
    });
}

void ToolsHelpCommands::mnuToolsOptions()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            frmMDIChild* child = m_frame.ActiveChild();
            if (mQuorin::Program().IsSheetOpen() && child && child->ss()) {
                child->ss()->OptionsDlg(spreadsheet::WorkbookOptionsDialog::AllPages);
            }
        });
    });
}

void ToolsHelpCommands::openPage(const char* url)
{
    platform::guarded([&](platform::Guard& g) {
        bool networked = false;
        g.step([&] { networked = isNetworked(); });
        if (networked) {
            g.step([&] { openUrl(url); });
        } else {
            g.step([&] {
                (void)platform::dialogs().MsgBox(NotNetworked, platform::mb::OkOnly | platform::mb::Information,
                                                 ProgramInfo::Title);
            });
        }
    });
}

void ToolsHelpCommands::mnuToolMedline()
{
    openPage(ProgramInfo::MedlinePage);
}

void ToolsHelpCommands::mnuToolMyWWW()
{
    openPage(ProgramInfo::AuthorPage);
}

void ToolsHelpCommands::mnuToolSearchWWW()
{
    openPage(ProgramInfo::SearchPage);
}

void ToolsHelpCommands::showCitation()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            (void)platform::dialogs().MsgBox(
                std::string("There is no help yet. If you publish, please cite:\r\n") + ProgramInfo::Citation,
                platform::mb::OkOnly | platform::mb::Information, m_frame.windowTitle().toStdString());
        });
    });
}

void ToolsHelpCommands::mnuHelpGeneral()
{
    showCitation();
}

void ToolsHelpCommands::mnuHelpCont()
{
    showCitation();
}

void ToolsHelpCommands::mnuHelpAck()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            frmThank thanks(&m_frame);
            thanks.exec();
        });
    });
}

void ToolsHelpCommands::mnuHelpAbout()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            auto* about = new frmAbout(&m_frame);
            about->setAttribute(Qt::WA_DeleteOnClose, true);
            about->setModal(false);
            about->show();
        });
    });
}

std::string ToolsHelpCommands::NameReading()
{
    return std::string(NamePiece1) + NamePiece2 + NamePiece3;
}

void ToolsHelpCommands::mnuHelpNameQuorin()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            (void)platform::dialogs().MsgBox(NameReading(), platform::mb::OkOnly | platform::mb::Information,
                                             ProgramInfo::Title);
        });
    });
}

} // namespace shell
