#pragma once

// The Qt form of the library's user-interface seam: real message boxes. The
// error dialog is shown in its message-box form; the trace and diagnostics
// viewer keeps nothing yet.

#include "errorlib/ErrorUi.h"

namespace rampart {

class QtErrorUi final : public ErrorUi {
public:
    int MsgBox(const std::string& prompt, int style, const std::string& title) override;
    void CreateErrorDialog() override {}
    ErrorDialogResult ShowErrorDialog(const ErrorDialogRequest& request) override;
    void CreateViewer(const std::string&) override {}
    void ShowViewer(bool) override {}
    void AddTrace(const std::string&) override {}
    void AddDiags(const std::string&, bool) override {}
    void Sleep(std::int32_t milliseconds) override;
};

} // namespace rampart
