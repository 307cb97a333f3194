#include "errorlib/QtErrorUi.h"

#include <chrono>
#include <thread>

#include <QMessageBox>
#include <QString>

namespace rampart {

int QtErrorUi::MsgBox(const std::string& prompt, int style, const std::string& title)
{
    QString text = QString::fromStdString(prompt);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box;
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(text);
    box.setIcon(style == MsgInformation ? QMessageBox::Information : QMessageBox::Critical);
    if (style == MsgCriticalAbortRetryIgnore) {
        box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Abort: return AnswerAbort;
    case QMessageBox::Retry: return AnswerRetry;
    case QMessageBox::Ignore: return AnswerIgnore;
    default: return style == MsgCriticalAbortRetryIgnore ? AnswerAbort : AnswerOk;
    }
}

ErrorDialogResult QtErrorUi::ShowErrorDialog(const ErrorDialogRequest& request)
{
    return {DisplayWithMessageBox(*this, request), {}};
}

void QtErrorUi::Sleep(std::int32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace rampart
