// Quorin: the Tessaray workbench program.

#include <QApplication>
#include <QStringList>

#include "app/ClusterMenu.h"
#include "app/OrdinationMenu.h"
#include "platform/dialogs/QtDialogs.h"
#include "platform/runtime/Events.h"
#include "shell/core/ErrHandler.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/MainModule.h"
#include "app/ProgramIcon.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaray"));
    QApplication::setApplicationVersion(QStringLiteral("2.0.7"));
    // Every window without an icon of its own shows the program's.
    QApplication::setWindowIcon(shell::ProgramIcon::icon());

    mQuorin::ProgramState program;
    mQuorin::ProgramScope programScope(program);

    platform::QtDialogs dialogs;
    platform::ScopedDialogs dialogsScope(dialogs);
    ErrHandler::InstallAsReporter();
    platform::rt::setDoEventsHook([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });

    MMain::Options options;
    options.programPath = QCoreApplication::applicationFilePath().toStdString();
    options.commandLine = QCoreApplication::arguments().join(QLatin1Char(' ')).toStdString();
    int result = 1;
    {
        MMain::MainModule module(std::move(options));
        if (module.Main()) {
            if (shell::MainFrame* frame = module.mainFrame()) {
                shell::InstallClusterDialog(*frame);
                shell::InstallOrdinationDialogs(*frame);
            }
            result = QApplication::exec();
        }
        // The handler goes before the application object does.
        module.Shutdown();
    }
    platform::rt::setDoEventsHook(nullptr);
    return result;
}
