#pragma once

// The library's user-interface seam: what the handler shows.
//
// The handler reaches its windows only through ErrorUi: the error dialog, the
// trace and diagnostics viewer and message boxes. SilentErrorUi shows nothing
// and records what would have been shown (tests script its answers); the Qt
// form (QtErrorUi, in builds with windows) shows real message boxes.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace rampart {

// Message-box styles and answers used by the library.
inline constexpr int MsgCritical = 16;                  // critical icon, OK
inline constexpr int MsgCriticalAbortRetryIgnore = 18;  // critical icon, Abort / Retry / Ignore
inline constexpr int MsgInformation = 64;               // information icon, OK
inline constexpr int AnswerOk = 1;
inline constexpr int AnswerAbort = 3;
inline constexpr int AnswerRetry = 4;
inline constexpr int AnswerIgnore = 5;

// What the error dialog shows and may offer.
struct ErrorDialogRequest {
    std::string component;
    std::string description;
    std::string suggestion;
    std::string notes;
    bool retryAllowed = true;
    bool cancelAllowed = true;
    bool showAbout = true;
    bool allowRetry = true;  // the handler's AllowRetry
    bool autoRetry = false;
    bool allowRemarks = false;
    std::int16_t retryInterval = 20;
    // The custom row (one setting per thread, shared by every handler).
    bool showCustom = false;
    std::string customFrameCaption;
    std::array<std::string, 3> customCaptions;
    std::array<std::string, 3> customToolTips;
    // Passes a custom button's click (index 1 to 3) to the client; the
    // dialog stays open.
    std::function<void(std::int16_t index)> customClick;
};

struct ErrorDialogResult {
    std::int16_t action = 0;  // RampartActionType
    std::string remarks;      // trimmed
};

class ErrorUi {
public:
    virtual ~ErrorUi() = default;

    // A message box; answers AnswerOk, AnswerAbort, AnswerRetry or AnswerIgnore.
    virtual int MsgBox(const std::string& prompt, int style, const std::string& title) = 0;

    // The error dialog: created once per Initialize unless silent, shown per error.
    virtual void CreateErrorDialog() = 0;
    virtual ErrorDialogResult ShowErrorDialog(const ErrorDialogRequest& request) = 0;

    // The trace and diagnostics viewer.
    virtual void CreateViewer(const std::string& component) = 0;
    virtual void ShowViewer(bool visible) = 0;
    virtual void AddTrace(const std::string& line) = 0;
    virtual void AddDiags(const std::string& text, bool startNew) = 0;

    // Pauses the calling thread (the automatic retry's wait).
    virtual void Sleep(std::int32_t milliseconds) = 0;
};

// The message-box form of the error dialog: an Abort / Retry / Ignore box
// titled "Error In " + component that comes back, after an information box,
// while the user picks a choice that is not available. Abort gives 3
// (end), Retry 4 (retry) and Ignore 2 (cancel the failed action).
[[nodiscard]] std::int16_t DisplayWithMessageBox(ErrorUi& ui, const ErrorDialogRequest& request);

// Shows nothing; records every call. Message boxes take their answers from
// msgBoxAnswers (AnswerOk once it is empty, or AnswerAbort for an
// Abort/Retry/Ignore box); the dialog answers from dialogAnswers (action 0
// once empty), or goes through the message-box form when useMessageBoxForm.
class SilentErrorUi : public ErrorUi {
public:
    struct Box {
        std::string prompt;
        int style = 0;
        std::string title;
    };

    int MsgBox(const std::string& prompt, int style, const std::string& title) override;
    void CreateErrorDialog() override;
    ErrorDialogResult ShowErrorDialog(const ErrorDialogRequest& request) override;
    void CreateViewer(const std::string& component) override;
    void ShowViewer(bool visible) override;
    void AddTrace(const std::string& line) override;
    void AddDiags(const std::string& text, bool startNew) override;
    void Sleep(std::int32_t milliseconds) override;

    std::deque<int> msgBoxAnswers;
    std::deque<ErrorDialogResult> dialogAnswers;
    bool useMessageBoxForm = false;

    std::vector<Box> boxes;
    std::vector<ErrorDialogRequest> dialogs;
    int errorDialogsCreated = 0;
    int viewersCreated = 0;
    std::string viewerComponent;
    bool viewerVisible = false;
    std::vector<std::string> traceLines;
    std::string diags;
    int diagsEntries = 0;
    std::vector<std::int32_t> sleeps;
};

// Shows no window: message-box texts go to standard error and are answered
// OK (Abort for an Abort/Retry/Ignore box); the dialog is the message-box
// form; the viewer keeps nothing; Sleep really sleeps.
[[nodiscard]] std::unique_ptr<ErrorUi> MakeConsoleErrorUi();

// The form that a new handler uses: the Qt form when the library was built
// with windows and the process has a QApplication, else the console form.
[[nodiscard]] std::unique_ptr<ErrorUi> MakeDefaultErrorUi();

} // namespace rampart
