#pragma once

// The main window's Tools and Help menus:
//   Recalc (F9)          recalculates the active workbook;
//   Sheet Options        the workbook control's options dialog, all pages;
//     (both do nothing, and show nothing, without a workbook window)
//   Search Medline, Tessaray Home Page, Search WWW
//                        open their web page in the user's browser, or say
//                        "Your computer is not networked." and open nothing;
//   General Help, Contents
//                        the program has no help file: both show the request
//                        to cite the program's paper;
//   Acknowledgment       the acknowledgements window, modal;
//   About Tessaray...    the about window, modeless;
//   the hidden name item a reading of the program's name.
// Global options is served by the main window itself. One object lives as a
// child of the main window; it connects and enables the items it serves.
// Every command runs under the standard error guard.

#include <QObject>

#include <functional>
#include <string>

class QAction;

namespace shell {

class MainFrame;

class ToolsHelpCommands : public QObject {
    Q_OBJECT
public:
    explicit ToolsHelpCommands(MainFrame& frame);

    // The commands object of a main window (null before it is made).
    [[nodiscard]] static ToolsHelpCommands* of(const MainFrame& frame);

    // Seams for tests: the network test and the page opener.
    std::function<bool()> isNetworked;
    std::function<void(const std::string& url)> openUrl;

    void mnuToolsRecalc();
    void mnuToolsOptions();
    void mnuToolMedline();
    void mnuToolMyWWW();
    void mnuToolSearchWWW();
    void mnuHelpGeneral();
    void mnuHelpCont();
    void mnuHelpAck();
    void mnuHelpAbout();
    void mnuHelpNameQuorin();

    // The text of the name item.
    [[nodiscard]] static std::string NameReading();

private:
    void connectItem(const char* name, void (ToolsHelpCommands::*command)());
    void openPage(const char* url);
    void showCitation();

    MainFrame& m_frame;
};

} // namespace shell
