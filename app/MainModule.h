#pragma once

// The program's entry and start-up. Main creates the error client and the
// error-handling library's handler object, configures and initialises it,
// installs the last-chance crash reports, then runs StartUp: the splash
// window (which refuses a second running copy), the main window with the
// first document window "Book1", a hold of about two seconds with events
// pumped, and the document window shown. When the library cannot be created
// or initialised, or the start-up fails, one critical box names the error
// and nothing stays open.
//
// The object owns the handler, the client and the windows; Shutdown (or the
// destructor) releases them, the handler last, before the Qt application goes.

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "errorlib/CrashGuard.h"
#include "errorlib/ICErrorHandler.h"
#include "shell/core/CErrorClient.h"

namespace shell {
class FError;
class MainFrame;
class frmMDIChild;
class frmSplash;
}

namespace MMain {

struct Options {
    // The program's file; its name without folder and extension is the
    // component name, its folder the log folder (when writable).
    std::string programPath;
    // The command line, arguments joined by blanks.
    std::string commandLine;
    // The splash window's lock file ("" for the per-user default).
    QString lockPath;
    // How long the splash window holds on its own, in seconds.
    double splashHold = 1.0;
    // The start-up hold: negative for the two-second rule, else seconds.
    double startupHold = -1.0;
    // The handler's log folder ("" for LogFolder of the program's folder).
    std::string logPath;
    // Creates the handler object; by default through the class factory.
    std::function<std::unique_ptr<rampart::ICErrorHandler>()> createHandler;
};

class MainModule {
public:
    explicit MainModule(Options options);
    ~MainModule();
    MainModule(const MainModule&) = delete;
    MainModule& operator=(const MainModule&) = delete;

    // True when the program is up and its event loop should run; false when
    // it must end (the library failed, or another copy runs).
    [[nodiscard]] bool Main();
    // Releases the windows, the crash reports, the client and the handler.
    void Shutdown();

    [[nodiscard]] shell::MainFrame* mainFrame() const { return m_frame.get(); }
    [[nodiscard]] shell::frmMDIChild* firstDocument() const { return m_first; }
    [[nodiscard]] rampart::ICErrorHandler* gErrorHandler() const { return m_handler.get(); }
    [[nodiscard]] shell::CErrorClient* gErrorClient() const { return m_client.get(); }

private:
    void StartUp();
    void closeWindows();

    Options m_options;
    std::shared_ptr<shell::CErrorClient> m_client;
    std::unique_ptr<rampart::ICErrorHandler> m_handler;
    std::unique_ptr<rampart::CrashGuard> m_crashGuard;
    std::unique_ptr<shell::FError> m_fError;
    std::unique_ptr<shell::frmSplash> m_splash;
    std::unique_ptr<shell::MainFrame> m_frame;
    shell::frmMDIChild* m_first = nullptr;
    bool m_refused = false;
    int m_cursors = 0;
};

} // namespace MMain
