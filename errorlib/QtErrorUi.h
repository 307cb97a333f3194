#pragma once

// The Qt form of the library's user-interface seam: the error dialog
// (FError, or its message-box form when the handler asks for it), the trace
// and diagnostics viewer (FDiags) and message boxes. Boxes and the font
// dialog go through the dialog service and timed behaviour through the
// clock it is given (Qt's own when none is), so tests answer the boxes and
// drive the countdown.
//
// Windows are made when first needed, so that a handler initialised before
// the application object exists still gets them; making the dialog or the
// viewer again replaces the old one.

#include <memory>
#include <string>

#include "errorlib/ErrorUi.h"

namespace platform {
class Dialogs;
}

namespace rampart {

class FDiags;
class FError;
class UiClock;

class QtErrorUi final : public ErrorUi {
public:
    // Null arguments take Qt's dialogs and Qt's clock; given ones are not owned.
    explicit QtErrorUi(platform::Dialogs* dialogs = nullptr, UiClock* clock = nullptr);
    ~QtErrorUi() override;
    QtErrorUi(const QtErrorUi&) = delete;
    QtErrorUi& operator=(const QtErrorUi&) = delete;

    int MsgBox(const std::string& prompt, int style, const std::string& title) override;
    void CreateErrorDialog() override;
    ErrorDialogResult ShowErrorDialog(const ErrorDialogRequest& request) override;
    void CreateViewer(const std::string& component) override;
    void ShowViewer(bool visible) override;
    void AddTrace(const std::string& line) override;
    void AddDiags(const std::string& text, bool startNew) override;
    void Sleep(std::int32_t milliseconds) override;

    // The windows made so far (null before their first use).
    [[nodiscard]] FError* errorDialog() const { return m_error.get(); }
    [[nodiscard]] FDiags* viewer() const { return m_viewer.get(); }

private:
    FError& errorWindow();
    FDiags* viewerWindow();

    std::unique_ptr<platform::Dialogs> m_ownDialogs;
    std::unique_ptr<UiClock> m_ownClock;
    platform::Dialogs* m_dialogs;
    UiClock* m_clock;
    std::unique_ptr<FError> m_error;
    std::unique_ptr<FDiags> m_viewer;
    std::string m_viewerComponent;
    bool m_viewerWanted = false;
};

} // namespace rampart
