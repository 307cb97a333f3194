#pragma once

// The error handler class: one object per client component. The client sets
// its properties, calls Initialize and from then on routes its errors, log
// lines and trace lines through it (see ICErrorHandler.h for the members).
//
// Built from these pieces:
//   - state, properties and Initialize with the per-client registry settings
//     (CErrorHandler.cpp);
//   - the error flow: HandleError, PropagateError, ThrowError, the reports and
//     the internal errors (CErrorHandlerFlow.cpp);
//   - the callback and event dispatchers (CErrorHandlerCallbacks.cpp);
//   - tracing and the log and trace files (CErrorHandlerTrace.cpp);
//   - API, inline and exception errors, and LogData (CErrorHandlerApi.cpp).
//
// Its windows are reached through the ErrorUi seam; its clock is injectable.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "errorlib/ErrorUi.h"
#include "errorlib/ICErrorHandler.h"
#include "errorlib/MRampart.h"

namespace rampart {

namespace detail {
class AppendFile;
} // namespace detail

// The last line of the library's last-resort message boxes.
inline constexpr const char* SignOffLine = "Rampart6 error handling for Tessaray";

// Registry key of a client's settings (under the machine hive), without the component name.
inline constexpr const char* ClientKeyPrefix = "Software\\Vantorel\\Keelwise\\Client Applications\\";

// The folder for log files when the client gives none: `preferred` when it is
// a writable folder, else $XDG_STATE_HOME/tessaray ($HOME/.local/state/tessaray),
// with a final "/".
[[nodiscard]] std::string WritableLogFolder(const std::string& preferred);

class CErrorHandler final : public ICErrorHandler {
public:
    using Clock = std::function<DateTime()>;

    explicit CErrorHandler(std::unique_ptr<ErrorUi> ui = MakeConsoleErrorUi(), Clock clock = LocalNow);
    ~CErrorHandler() override;
    CErrorHandler(const CErrorHandler&) = delete;
    CErrorHandler& operator=(const CErrorHandler&) = delete;

    [[nodiscard]] ErrorUi& ui() { return *m_ui; }

    [[nodiscard]] std::shared_ptr<IErrorClient> ErrorClient() const override { return m_client; }
    void SetErrorClient(std::shared_ptr<IErrorClient> client) override { m_client = std::move(client); }
    void SetDebugMode(bool value) override { m_debugMode = value; }
    [[nodiscard]] bool DebugMode() const override { return m_debugMode; }
    void SetAllowRetry(bool value) override { m_allowRetry = value; }
    [[nodiscard]] bool AllowRetry() const override { return m_allowRetry; }
    void CacheInlineError(const ErrObject& error) override;
    void Initialize() override;
    void PropagateError(RampartBoundaryType Boundary) override;
    void ForcePropagateError() override;
    std::int16_t HandleError(const ErrObject& error, const std::string& Module, const std::string& Procedure,
                             const std::string& Context, RampartBoundaryType Boundary, RampartSeverityType Severity,
                             RampartRetryType Retry) override;
    void HandleAPIError(const ErrObject& error, RampartAPIReturnType ReturnType, std::int32_t ReturnValue) override;
    void CacheAPIError(const ErrObject& error, RampartAPIReturnType ReturnType, std::int32_t ReturnValue) override;
    void CheckLastAPIError(std::int32_t ExpectedError1, std::int32_t ExpectedError2 = 0,
                           std::int32_t ExpectedError3 = 0, std::int32_t ExpectedError4 = 0,
                           std::int32_t ExpectedError5 = 0) override;
    void CheckAPIReturnValue(std::int32_t ExpectedError1, std::int32_t ExpectedError2 = 0,
                             std::int32_t ExpectedError3 = 0, std::int32_t ExpectedError4 = 0,
                             std::int32_t ExpectedError5 = 0) override;
    void CheckInlineError(std::int32_t ExpectedError1, std::int32_t ExpectedError2 = 0,
                          std::int32_t ExpectedError3 = 0, std::int32_t ExpectedError4 = 0,
                          std::int32_t ExpectedError5 = 0) override;
    [[nodiscard]] std::int32_t InlineError() const override;
    [[nodiscard]] std::string InlineErrorSource() const override;
    [[nodiscard]] std::string InlineErrorDescription() const override;
    [[nodiscard]] std::int32_t LastAPIError() const override;
    [[nodiscard]] std::int32_t LastExceptionCode() const override;
    [[nodiscard]] std::int32_t APIReturnValue() const override;
    [[nodiscard]] std::string CustomFrameCaption() const override;
    void SetCustomFrameCaption(const std::string& value) override;
    [[nodiscard]] std::string CustomCaption(std::int16_t Index) const override;
    void SetCustomCaption(std::int16_t Index, const std::string& value) override;
    [[nodiscard]] std::string CustomToolTip(std::int16_t Index) const override;
    void SetCustomToolTip(std::int16_t Index, const std::string& value) override;
    [[nodiscard]] bool ShowCustom() const override;
    void SetShowCustom(bool value) override;
    [[nodiscard]] bool ShowAbout() const override { return m_showAbout; }
    void SetShowAbout(bool value) override { m_showAbout = value; }
    [[nodiscard]] bool AllowRemarks() const override { return m_allowRemarks; }
    void SetAllowRemarks(bool value) override { m_allowRemarks = value; }
    [[nodiscard]] bool AutoRetry() const override { return m_autoRetry; }
    void SetAutoRetry(bool value) override { m_autoRetry = value; }
    [[nodiscard]] std::int16_t RetryInterval() const override { return m_retryInterval; }
    void SetRetryInterval(std::int16_t value) override;
    [[nodiscard]] std::int16_t RetryLimit() const override { return m_retryLimit; }
    void SetRetryLimit(std::int16_t value) override;
    [[nodiscard]] std::string ComponentName() const override { return m_componentName; }
    void SetComponentName(const std::string& value) override;
    void SetLogPath(const std::string& value) override;
    [[nodiscard]] std::string LogPath() const override { return m_logPath; }
    void SetLogFile(const std::string& value) override;
    [[nodiscard]] std::string LogFile() const override { return m_logFile; }
    void SetTracePath(const std::string& value) override;
    [[nodiscard]] std::string TracePath() const override { return m_tracePath; }
    void SetTraceFile(const std::string& value) override;
    [[nodiscard]] std::string TraceFile() const override { return m_traceFile; }
    [[nodiscard]] std::string DefaultErrorDescription() const override { return m_defaultDescription; }
    void SetDefaultErrorDescription(const std::string& value) override { m_defaultDescription = value; }
    [[nodiscard]] std::string DefaultErrorSuggestion() const override { return m_defaultSuggestion; }
    void SetDefaultErrorSuggestion(const std::string& value) override { m_defaultSuggestion = value; }
    [[nodiscard]] std::string DefaultErrorNotes() const override { return m_defaultNotes; }
    void SetDefaultErrorNotes(const std::string& value) override { m_defaultNotes = value; }
    void TraceExit(const std::string& Module, const std::string& Procedure) override;
    void TraceEnter(const std::string& Module, const std::string& Procedure) override;
    void TraceString(const std::string& Trace) override;
    [[nodiscard]] bool Trace() const override { return m_trace; }
    void SetTrace(bool value) override;
    [[nodiscard]] bool TraceProcedures() const override { return m_traceProcedures; }
    void SetTraceProcedures(bool value) override { m_traceProcedures = value; }
    [[nodiscard]] std::string TraceIndent() const override { return m_traceIndent; }
    void SetTraceIndent(const std::string& value) override { m_traceIndent = value; }
    [[nodiscard]] std::string TraceEnterPrefix() const override { return m_traceEnterPrefix; }
    void SetTraceEnterPrefix(const std::string& value) override { m_traceEnterPrefix = value; }
    [[nodiscard]] std::string TraceExitPrefix() const override { return m_traceExitPrefix; }
    void SetTraceExitPrefix(const std::string& value) override { m_traceExitPrefix = value; }
    void LogString(const std::string& Log) override;
    [[nodiscard]] bool Silent() const override { return m_silent; }
    void SetSilent(bool value) override;
    [[nodiscard]] std::int32_t BaseErrorNumber() const override { return m_baseErrorNumber; }
    void SetBaseErrorNumber(std::int32_t value) override;
    void ThrowError(std::int32_t Number, const std::string& Source, const std::string& Description) override;
    [[nodiscard]] bool UseMessageBox() const override { return m_useMessageBox; }
    void SetUseMessageBox(bool value) override { m_useMessageBox = value; }
    void LogData(const std::vector<Variant>& Item) override;
    std::int32_t HandleException(const ExceptionInfo* info) override;
    [[nodiscard]] std::string PeriodicLogFileFormat() const override { return m_periodicLogFileFormat; }
    void SetPeriodicLogFileFormat(const std::string& value) override;
    [[nodiscard]] std::string LastAPIErrorDescription() const override;
    [[nodiscard]] std::string LastExceptionDescription() const override;
    std::int32_t Advise(std::shared_ptr<ICErrorHandlerEvents> sink) override;
    void Unadvise(std::int32_t cookie) override;

    // The full path of the log file that a line written now goes to.
    [[nodiscard]] std::string LogFileName() const;
    // The internal-error report: logged, shown unless silent from the start,
    // then the client is asked to end the application. Never throws.
    void InternalErrorReport(const std::string& Module, const std::string& Procedure, const platform::Error& error,
                             std::int32_t line = 0) noexcept;
    // Passes a custom button's click to the client (used by the error dialog).
    void DispatchCustomClick(std::int16_t Index);

private:
    // Error flow.
    [[noreturn]] void raiseInternal(int code, const std::string& extra = {}) const;
    void logInternal(int code, const std::string& extra);
    void requireInitialized() const;
    std::int16_t collapsePath(const std::string& Module, const std::string& Procedure, const std::string& Context,
                              RampartBoundaryType Boundary, RampartSeverityType Severity, std::int32_t line,
                              RampartRetryType Retry);
    void boundaryStep(RampartBoundaryType Boundary);
    [[nodiscard]] std::string timestamp() const;
    [[nodiscard]] std::string locationLines(const std::string& Module, const std::string& Procedure,
                                            const std::string& Context, std::int32_t Boundary, std::int32_t Severity,
                                            std::int32_t line) const;
    void logFileReport(const platform::Error& error) noexcept;

    // Callbacks: the client object when set, else the advised sinks.
    void cbNotifyError(const std::string& Module, const std::string& Procedure, const std::string& Context,
                       std::int32_t Boundary, std::int32_t Severity, std::int32_t ErrorLine, std::int32_t ErrorNum,
                       const std::string& ErrorText, const std::string& ErrorSource, std::int16_t& Action);
    void cbStackCollapse(const std::string& Module, const std::string& Procedure, const std::string& Context,
                         std::int32_t Boundary, std::int32_t Severity, std::int32_t ErrorLine, std::int16_t& Action);
    void cbEndStackCollapse();
    void cbEndApplication();
    void cbGetErrorText(std::int32_t Error, std::string& Description, std::string& Suggestion, std::string& Notes);
    void cbGetDiagnostics(std::string& Diagnostics);
    void cbLogString(std::string& Line, std::int16_t& Action);
    void cbTraceString(std::string& Line, std::int16_t& Action);
    template <class OnClient, class OnSink>
    void dispatch(const char* name, OnClient&& onClient, OnSink&& onSink);
    void callbackErrorReport(const char* name, const platform::Error& error) noexcept;

    // Settings and files.
    [[nodiscard]] std::string readSetting(const char* name, const std::string& current) const;
    [[nodiscard]] bool settingExists(const char* name) const;
    [[nodiscard]] bool settingIsSet(const char* name) const;
    void writeSetting(const char* name, const std::string& value) const;
    // Establish the folder and store it; false (after logging) when it cannot be.
    // Establishes a log or trace folder; on failure logs (and with `raise`
    // raises) the internal error `failureCode`.
    bool applyPath(const std::string& value, bool raise, std::int32_t failureCode, std::string& target, bool locked,
                   const char* settingName);
    bool applyLogPath(const std::string& value, bool raise);
    bool applyTracePath(const std::string& value, bool raise);
    void openTraceFile();

    std::unique_ptr<ErrorUi> m_ui;
    Clock m_now;

    std::shared_ptr<IErrorClient> m_client;
    std::vector<std::pair<std::int32_t, std::shared_ptr<ICErrorHandlerEvents>>> m_sinks;
    std::int32_t m_nextCookie = 1;

    std::string m_componentName;
    bool m_silent = false;
    bool m_silentFixed = false;
    std::string m_logPath;
    std::string m_logFile;
    std::string m_periodicLogFileFormat = "_yyyymmdd";
    std::string m_tracePath;
    std::string m_traceFile;
    bool m_logPathLocked = false;
    bool m_logFileLocked = false;
    bool m_tracePathLocked = false;
    bool m_traceFileLocked = false;
    std::string m_defaultDescription;
    std::string m_defaultSuggestion;
    std::string m_defaultNotes;
    bool m_allowRemarks = false;
    bool m_showAbout = true;
    bool m_autoRetry = false;
    std::int16_t m_retryInterval = 20;
    std::int16_t m_retryLimit = 3;
    bool m_debugMode = false;
    bool m_allowRetry = true;
    bool m_trace = false;
    bool m_traceProcedures = true;
    std::string m_traceIndent = "    |";
    std::string m_traceEnterPrefix = "=>..";
    std::string m_traceExitPrefix = "<=..";
    std::int32_t m_baseErrorNumber = 32000;
    std::int32_t m_collapseNumber = 32000;
    bool m_useMessageBox = false;
    bool m_initialized = false;

    // Error flow state.
    std::int32_t m_savedNumber = 0;
    std::string m_savedDescription;
    std::string m_savedSource;
    std::int32_t m_pendingNumber = 0;
    std::string m_pendingDescription;
    std::string m_pendingSource;
    std::int32_t m_thrownNumber = 0;
    std::string m_thrownDescription;
    std::string m_thrownSource;
    bool m_endApplication = false;
    bool m_procedureRetry = false;
    std::int16_t m_retryCount = 0;
    std::int32_t m_lastRetriedNumber = 0;
    DateTime m_lastRetryTime;

    // Inline, API and exception caches.
    std::int32_t m_inlineNumber = 0;
    std::string m_inlineDescription;
    std::string m_inlineSource;
    std::int32_t m_inlineLine = 0;
    bool m_inlineCheck = false;
    std::int32_t m_lastDllError = 0;
    std::int32_t m_apiReturnValue = 0;
    std::string m_apiSource;
    std::string m_apiMessage;
    std::int32_t m_apiMarker = 0;
    bool m_apiCheck = false;
    std::uint32_t m_exceptionCode = 0;
    std::string m_exceptionName;

    // Tracing and files.
    std::int16_t m_traceDepth = 0;
    std::string m_lastTracedModule;
    std::unique_ptr<detail::AppendFile> m_traceOut;
    bool m_skipLogCallback = false;     // set while the LogString callback or a callback error report runs
    bool m_logFailureReported = false;  // the log-file box and EndApplication come once per handler
};

} // namespace rampart
