#include "shell/ui/WinAPI.h"

#include <QDesktopServices>
#include <QNetworkInterface>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <QUrl>

namespace WinAPI {

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
    QDesktopServices::openUrl(url);
}

} // namespace WinAPI
