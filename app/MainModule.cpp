#include "app/MainModule.h"

#include <QApplication>
#include <QWidget>

#include <filesystem>

#include "errorlib/Rampart.h"
#include "platform/com/Com.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/runtime/Clock.h"
#include "shell/core/MMain.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"
#include "app/FError.h"
#include "app/MainFrame.h"
#include "app/frmMDIChild.h"
#include "app/frmSplash.h"

namespace MMain {

MainModule::MainModule(Options options) : m_options(std::move(options))
{
    if (!m_options.createHandler) {
        m_options.createHandler = [] {
            return platform::com::CreateObject<rampart::ICErrorHandler>(rampart::CLSID_CErrorHandler);
        };
    }
}

MainModule::~MainModule()
{
    Shutdown();
}

bool MainModule::Main()
{
    const std::filesystem::path program(m_options.programPath);
    const std::string componentName = program.stem().string();
    try {
        m_client = std::make_shared<shell::CErrorClient>(componentName);
        m_handler = m_options.createHandler();
        const std::string logPath =
            m_options.logPath.empty() ? LogFolder(program.parent_path().string()) : m_options.logPath;
        ConfigureHandler(*m_handler, m_client, componentName, logPath, m_options.commandLine);
        m_client->setHandler(m_handler.get());
        m_client->display = [this](const std::string& message) {
            if (!m_fError) {
                m_fError = std::make_unique<shell::FError>();
            }
            std::int16_t choice = 0;
            m_fError->Display(message, choice);
            return choice;
        };
        m_client->unloadAllWindows = [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                w->hide();
                w->close();
            }
        };
        // Faults nothing else catches reach the handler from here on.
        m_crashGuard = std::make_unique<rampart::CrashGuard>(*m_handler);
        mQuorin::Program().setErrorHandler(std::make_shared<RampartLink>(*m_handler));
        m_client->ShowDialog = true;
        StartUp();
        return !m_refused;
    } catch (...) {
        const platform::Error error = platform::currentAsError();
        while (m_cursors > 0) {
            QApplication::restoreOverrideCursor();
            --m_cursors;
        }
        (void)platform::dialogs().MsgBox(InitFailureMessage(error), platform::mb::Critical | platform::mb::OkOnly,
                                         shell::ProgramInfo::Title);
        // A program half started has no sound error handling: nothing stays open.
        Shutdown();
        return false;
    }
}

void MainModule::StartUp()
{
    StartUpSteps s(*m_handler);
    s.step([&] { m_handler->TraceEnter("MMain", "StartUp"); });
    s.step([&] { mQuorin::Program().gFieldSep = std::string(1, '\x01'); });
    s.step([&] {
        m_splash = std::make_unique<shell::frmSplash>(m_options.lockPath);
        m_refused = !m_splash->Load(m_options.splashHold);
    });
    if (m_refused) {
        // Another copy runs: its message has been shown; this one ends.
        m_splash.reset();
        return;
    }
    s.step([&] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_cursors;
    });
    s.step([&] {
        m_frame = std::make_unique<shell::MainFrame>();
        m_frame->Form_Load();
        m_first = m_frame->LoadDocument();
    });
    s.step([&] {
        if (m_cursors > 0) {
            QApplication::restoreOverrideCursor();
            --m_cursors;
        }
    });
    s.step([&] {
        if (m_options.startupHold >= 0) {
            platform::rt::WaitPumping(m_options.startupHold);
            return;
        }
        const double deadline = shell::HoldDeadline(platform::rt::MonotonicSeconds());
        platform::rt::WaitPumping(deadline - platform::rt::MonotonicSeconds());
    });
    s.step([&] {
        // The closed splash keeps its lock on the running copy until the end.
        if (m_splash) {
            m_splash->close();
        }
    });
    s.step([&] {
        m_frame->show();
        m_frame->ShowDocument(m_first);
        m_frame->activateWindow();
        m_frame->Form_Activate();
    });
    s.step([&] { m_handler->TraceExit("MMain", "StartUp"); });
}

void MainModule::closeWindows()
{
    m_splash.reset();
    if (m_frame) {
        // The program ends here; its windows go without questions.
        m_frame->endProcess = nullptr;
        m_frame.reset();
    }
    m_first = nullptr;
    m_fError.reset();
}

void MainModule::Shutdown()
{
    closeWindows();
    mQuorin::Program().setErrorHandler(nullptr);
    if (m_client) {
        m_client->display = nullptr;
        m_client->unloadAllWindows = nullptr;
        m_client->setHandler(nullptr);
    }
    m_crashGuard.reset();
    m_handler.reset();
    m_client.reset();
}

} // namespace MMain
