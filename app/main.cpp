// Quorin: the Tessaray workbench program.

#include <QApplication>
#include <QMainWindow>

#include "platform/dialogs/QtDialogs.h"
#include "platform/runtime/Events.h"
#include "shell/ErrHandler.h"
#include "shell/mQuorin.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaray"));
    QApplication::setApplicationVersion(QStringLiteral("2.0.7"));

    mQuorin::ProgramState program;
    mQuorin::ProgramScope programScope(program);
    program.loadedWindowCount = [] { return static_cast<int>(QApplication::topLevelWidgets().size()); };

    platform::QtDialogs dialogs;
    platform::ScopedDialogs dialogsScope(dialogs);
    ErrHandler::InstallAsReporter();
    platform::rt::setDoEventsHook([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tessaray"));
    window.resize(1024, 720);
    window.show();
    return QApplication::exec();
}
