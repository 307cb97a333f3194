#include "app/WinAPI.h"

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

#include "platform/errors/Error.h"

namespace WinAPI {

namespace {
constexpr const char* HomeProperty = "tessarayHomeParent";

QString& urlLauncher()
{
    static QString program = QStringLiteral("xdg-open");
    return program;
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
    (void)QProcess::startDetached(urlLauncher(), {url.toString(QUrl::FullyEncoded)});
}

void setUrlLauncher(const std::string& program)
{
    urlLauncher() = program.empty() ? QStringLiteral("xdg-open") : QString::fromStdString(program);
}

} // namespace WinAPI
