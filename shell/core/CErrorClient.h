#pragma once

// The program's error client: the nine callbacks through which the
// error-handling library talks back to the program. It shows the program's
// own error dialog when the library reports an error (while ShowDialog is
// on), supplies the descriptions and suggestions of the error numbers, writes
// the diagnostics block to the log, and ends the application when the library
// asks it to. The windows are reached through hooks that the window layer
// sets, so that the client itself needs none.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "errorlib/ICErrorHandler.h"
#include "errorlib/IErrorClient.h"

namespace shell {

class CErrorClient final : public rampart::IErrorClient {
public:
    // `applicationName` is the name the handler knows the program by.
    explicit CErrorClient(std::string applicationName);

    // When true, NotifyError shows the error dialog; false when created.
    bool ShowDialog = false;

    // Shows the error dialog with a message and answers the chosen action
    // code (2 cancel, 3 end, 4 retry; 0 when closed without a choice).
    std::function<std::int16_t(const std::string& message)> display;
    // Hides and unloads every loaded window.
    std::function<void()> unloadAllWindows;
    // The handler whose LogString receives the diagnostics lines; not owned,
    // null when none (the handler owns the client, so this must not own it).
    void setHandler(rampart::ICErrorHandler* handler) { m_handler = handler; }

    void NotifyError(const std::string& Module, const std::string& Procedure, const std::string& Context,
                     std::int32_t Boundary, std::int32_t Severity, std::int32_t ErrorLine, std::int32_t ErrorNum,
                     const std::string& ErrorText, const std::string& ErrorSource, std::int16_t& Action) override;
    void StackCollapse(const std::string& Module, const std::string& Procedure, const std::string& Context,
                       std::int32_t Boundary, std::int32_t Severity, std::int32_t ErrorLine,
                       std::int16_t& Action) override;
    void EndStackCollapse() override;
    void EndApplication() override;
    void GetErrorText(std::int32_t Error, std::string& Description, std::string& Suggestion,
                      std::string& Notes) override;
    void GetDiagnostics(std::string& Diagnostics) override;
    void LogString(std::string& LogString, std::int16_t& Action) override;
    void TraceString(std::string& TraceString, std::int16_t& Action) override;
    void CustomClick(std::int16_t& Index) override;

    // The dialog's message for an error: "Error in <application>", a blank
    // line, "at <module>.<procedure>", a blank line, the number, the text.
    [[nodiscard]] std::string NotifyMessage(const std::string& module, const std::string& procedure,
                                            std::int32_t number, const std::string& text) const;

    // The text up to its first NUL (all of it when it has none).
    [[nodiscard]] static std::string StripAtNull(std::string_view text);

    // The diagnostics lines as written to the log, one entry per LogString
    // call: the operating system block, then the program's version block.
    [[nodiscard]] static std::vector<std::string> DiagnosticsLines();

private:
    std::string m_applicationName;
    rampart::ICErrorHandler* m_handler = nullptr;
    // The description of the error last reported; the text of numbers that
    // have no entry of their own.
    std::string m_pendingDescription;
};

} // namespace shell
