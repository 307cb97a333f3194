#include "errorlib/ErrorUi.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace rampart {

std::int16_t DisplayWithMessageBox(ErrorUi& ui, const ErrorDialogRequest& request)
{
    const std::string crlf = "\r\n";
    const bool retryOffered = request.retryAllowed && request.allowRetry;
    const std::string choices =
        std::string(retryOffered ? "Click Retry to Retry the Current Action" : "Retry is not available") + crlf +
        (request.cancelAllowed ? "Click Ignore to Cancel the Current Action" : "Ignore is not available") + crlf +
        "Click Abort to End the Application";
    const std::string message = request.description + crlf + crlf + request.suggestion + crlf + crlf + request.notes +
                                crlf + crlf + choices;
    const std::string title = "Error In " + request.component;
    for (;;) {
        const int answer = ui.MsgBox(message, MsgCriticalAbortRetryIgnore, title);
        if (answer == AnswerRetry && !retryOffered) {
            (void)ui.MsgBox("Retry is not Available" + crlf + "Please make another selection", MsgInformation, "");
            continue;
        }
        if (answer == AnswerIgnore && !request.cancelAllowed) {
            (void)ui.MsgBox("Ignore is not Available" + crlf + "Please make another selection", MsgInformation, "");
            continue;
        }
        if (answer == AnswerRetry) {
            return 4;
        }
        if (answer == AnswerIgnore) {
            return 2;
        }
        return 3;
    }
}

int SilentErrorUi::MsgBox(const std::string& prompt, int style, const std::string& title)
{
    boxes.push_back({prompt, style, title});
    if (msgBoxAnswers.empty()) {
        return style == MsgCriticalAbortRetryIgnore ? AnswerAbort : AnswerOk;
    }
    const int answer = msgBoxAnswers.front();
    msgBoxAnswers.pop_front();
    return answer;
}

void SilentErrorUi::CreateErrorDialog()
{
    ++errorDialogsCreated;
}

ErrorDialogResult SilentErrorUi::ShowErrorDialog(const ErrorDialogRequest& request)
{
    dialogs.push_back(request);
    if (useMessageBoxForm) {
        return {DisplayWithMessageBox(*this, request), {}};
    }
    if (dialogAnswers.empty()) {
        return {};
    }
    ErrorDialogResult answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
}

void SilentErrorUi::CreateViewer(const std::string& component)
{
    ++viewersCreated;
    viewerComponent = component;
}

void SilentErrorUi::ShowViewer(bool visible)
{
    viewerVisible = visible;
}

void SilentErrorUi::AddTrace(const std::string& line)
{
    traceLines.push_back(line);
}

void SilentErrorUi::AddDiags(const std::string& text, bool startNew)
{
    if (startNew) {
        diags.clear();
        ++diagsEntries;
        viewerVisible = true;
    }
    diags += text;
}

void SilentErrorUi::Sleep(std::int32_t milliseconds)
{
    sleeps.push_back(milliseconds);
}

namespace {

// No windows: message-box texts go to standard error.
class ConsoleErrorUi final : public SilentErrorUi {
public:
    int MsgBox(const std::string& prompt, int style, const std::string& title) override
    {
        std::fprintf(stderr, "%s\n%s\n", title.c_str(), prompt.c_str());
        return style == MsgCriticalAbortRetryIgnore ? AnswerAbort : AnswerOk;
    }
    ErrorDialogResult ShowErrorDialog(const ErrorDialogRequest& request) override
    {
        return {DisplayWithMessageBox(*this, request), {}};
    }
    void AddTrace(const std::string&) override {}
    void AddDiags(const std::string&, bool) override {}
    void Sleep(std::int32_t milliseconds) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

} // namespace

std::unique_ptr<ErrorUi> MakeConsoleErrorUi()
{
    return std::make_unique<ConsoleErrorUi>();
}

} // namespace rampart
