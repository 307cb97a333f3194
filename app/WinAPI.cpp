#include "app/WinAPI.h"

#include <QCoreApplication>
#include <QNetworkInterface>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QUrl>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "shell/core/ProgramInfo.h"

namespace WinAPI {

namespace {
constexpr const char* HomeProperty = "tessarayHomeParent";

QString& urlLauncher()
{
    static QString program = QStringLiteral("xdg-open");
    return program;
}

double& launcherWatch()
{
    static double seconds = 5.0;
    return seconds;
}

// Runs the launcher ($1) on the address ($2) in the background and waits
// for it at most $3 seconds: its own exit status when it ends sooner (127
// when it cannot be run at all), 0 once the time is up, which leaves a
// launcher that waits on the browser it started running on its own. The
// shell, the only child of the program, is thus gone after $3 seconds.
constexpr const char* LaunchScript = R"(
"$1" "$2" </dev/null >/dev/null 2>&1 &
launcher=$!
trap 'exit 0' USR1
( sleep "$3"; kill -USR1 $$ ) >/dev/null 2>&1 &
timer=$!
wait "$launcher"
status=$?
kill "$timer" 2>/dev/null
exit "$status"
)";

void tellNoBrowser(const QString& address)
{
    (void)platform::dialogs().MsgBox("No web browser could be started to open this address:\n\n" +
                                         address.toStdString() + "\n\nCopy it into a web browser to open it there.",
                                     platform::mb::Exclamation | platform::mb::OkOnly, shell::ProgramInfo::Title);
}
} // namespace

QWidget* StatusBarPanel(QStatusBar* statusBar, int panelIndex)
{
    if (!statusBar) {
        return nullptr;
    }
    return statusBar->findChild<QWidget*>(QStringLiteral("Panel") + QString::number(panelIndex));
}

void PutInStatusBar(bool show, QWidget* control, QStatusBar* statusBar, int panelIndex)
{
    if (!control) {
        throw platform::Error::runtime(platform::err::ObjectNotSet, "PutInStatusBar");
    }
    if (show) {
        QWidget* panel = StatusBarPanel(statusBar, panelIndex);
        if (!panel) {
            throw platform::Error::runtime(platform::err::Subscript, "PutInStatusBar");
        }
        if (control->parentWidget() != panel) {
            control->setProperty(HomeProperty, QVariant::fromValue(QPointer<QWidget>(control->parentWidget())));
        }
        if (auto* stack = qobject_cast<QStackedLayout*>(panel->layout())) {
            if (stack->indexOf(control) < 0) {
                stack->addWidget(control);
            }
            stack->setCurrentWidget(control);
        } else {
            control->setParent(panel);
            control->setGeometry(panel->rect());
        }
        control->setVisible(true);
        if (auto* bar = qobject_cast<QProgressBar*>(control)) {
            bar->setValue(0);
        }
        return;
    }
    const QVariant home = control->property(HomeProperty);
    if (!home.isValid()) {
        control->setVisible(false);
        return;
    }
    if (QWidget* panel = control->parentWidget()) {
        if (auto* stack = qobject_cast<QStackedLayout*>(panel->layout())) {
            stack->removeWidget(control);
        }
    }
    const QPointer<QWidget> homeParent = home.value<QPointer<QWidget>>();
    const QRect last = control->geometry();
    control->setParent(homeParent.data());
    control->setGeometry(last);
    control->setVisible(false);
    control->setProperty(HomeProperty, QVariant());
}

void UndoText(QTextEdit* box)
{
    if (box) {
        box->undo();
    }
}

void UndoText(QPlainTextEdit* box)
{
    if (box) {
        box->undo();
    }
}

int GetCaretLine(const QTextEdit* box)
{
    const QTextCursor cursor = box->textCursor();
    const QTextBlock block = box->document()->findBlock(cursor.selectionEnd());
    // Lines are the box's visual lines inside the block plus the blocks above.
    int line = 0;
    for (QTextBlock b = box->document()->begin(); b.isValid() && b != block; b = b.next()) {
        line += std::max(1, b.layout() ? b.layout()->lineCount() : 1);
    }
    if (block.isValid() && block.layout() && block.layout()->lineCount() > 0) {
        line += block.layout()->lineForTextPosition(cursor.selectionEnd() - block.position()).lineNumber();
    }
    return line + 1;
}

int GetCaretCol(const QTextEdit* box)
{
    const QTextCursor cursor = box->textCursor();
    const int end = cursor.selectionEnd();
    const QTextBlock block = box->document()->findBlock(end);
    if (!block.isValid()) {
        return 0;
    }
    int lineStart = block.position();
    if (block.layout() && block.layout()->lineCount() > 0) {
        const QTextLine l = block.layout()->lineForTextPosition(end - block.position());
        if (l.isValid()) {
            lineStart += l.textStart();
        }
    }
    return end - lineStart;
}

bool IsNetworked()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const auto& itf : interfaces) {
        const auto flags = itf.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning) &&
            !flags.testFlag(QNetworkInterface::IsLoopBack) && !itf.addressEntries().isEmpty()) {
            return true;
        }
    }
    return false;
}

void OpenURL(const std::string& target, QWidget*)
{
    const QString text = QString::fromStdString(target);
    const QUrl url = text.contains(QStringLiteral("://")) ? QUrl(text) : QUrl::fromLocalFile(text);
    // Owned by the application until the shell has ended, then deleted.
    auto* process = new QProcess(QCoreApplication::instance());
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process, [process, text](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        if (status != QProcess::NormalExit || code != 0) {
            tellNoBrowser(text);
        }
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, text](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            process->deleteLater();
            tellNoBrowser(text);
        }
    });
    process->start(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"), QString::fromLatin1(LaunchScript), QStringLiteral("sh"), urlLauncher(),
                    url.toString(QUrl::FullyEncoded), QString::number(launcherWatch())});
}

void setUrlLauncher(const std::string& program, double watchSeconds)
{
    urlLauncher() = program.empty() ? QStringLiteral("xdg-open") : QString::fromStdString(program);
    launcherWatch() = watchSeconds;
}

} // namespace WinAPI
