#pragma once

// The error handler's interface: the members of the handler class in their
// fixed order (property get and let as Name() and SetName()), followed by the
// event-sink registration.
//
// Errors: members raise platform::Error. Before Initialize most members raise
// BaseErrorNumber + 21 "Rampart Not Initialized" (source "Rampart").
// Threading: an object is used from the thread that created it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "errorlib/IErrorClient.h"
#include "errorlib/Rampart.h"
#include "errorlib/Variant.h"
#include "errorlib/rampart6_export.h"

namespace rampart {

class RAMPART6_EXPORT ICErrorHandler {
public:
    static constexpr const char* IID = "{E47AFAB9-8085-11D5-A920-0090273E728F}";

    virtual ~ICErrorHandler() = default;

    [[nodiscard]] virtual std::shared_ptr<IErrorClient> ErrorClient() const = 0;
    virtual void SetErrorClient(std::shared_ptr<IErrorClient> client) = 0;
    virtual void SetDebugMode(bool value) = 0;
    [[nodiscard]] virtual bool DebugMode() const = 0;
    virtual void SetAllowRetry(bool value) = 0;
    [[nodiscard]] virtual bool AllowRetry() const = 0;
    virtual void CacheInlineError(const ErrObject& error) = 0;
    virtual void Initialize() = 0;
    virtual void PropagateError(RampartBoundaryType Boundary) = 0;
    virtual void ForcePropagateError() = 0;
    // The main entry: returns a RampartActionType value (0, 2, 3, 4 or 5).
    virtual std::int16_t HandleError(const ErrObject& error, const std::string& Module, const std::string& Procedure,
                                     const std::string& Context, RampartBoundaryType Boundary,
                                     RampartSeverityType Severity, RampartRetryType Retry) = 0;
    virtual void HandleAPIError(const ErrObject& error, RampartAPIReturnType ReturnType, std::int32_t ReturnValue) = 0;
    virtual void CacheAPIError(const ErrObject& error, RampartAPIReturnType ReturnType, std::int32_t ReturnValue) = 0;
    virtual void CheckLastAPIError(std::int32_t ExpectedError1, std::int32_t ExpectedError2 = 0,
                                   std::int32_t ExpectedError3 = 0, std::int32_t ExpectedError4 = 0,
                                   std::int32_t ExpectedError5 = 0) = 0;
    virtual void CheckAPIReturnValue(std::int32_t ExpectedError1, std::int32_t ExpectedError2 = 0,
                                     std::int32_t ExpectedError3 = 0, std::int32_t ExpectedError4 = 0,
                                     std::int32_t ExpectedError5 = 0) = 0;
    virtual void CheckInlineError(std::int32_t ExpectedError1, std::int32_t ExpectedError2 = 0,
                                  std::int32_t ExpectedError3 = 0, std::int32_t ExpectedError4 = 0,
                                  std::int32_t ExpectedError5 = 0) = 0;
    [[nodiscard]] virtual std::int32_t InlineError() const = 0;
    [[nodiscard]] virtual std::string InlineErrorSource() const = 0;
    [[nodiscard]] virtual std::string InlineErrorDescription() const = 0;
    [[nodiscard]] virtual std::int32_t LastAPIError() const = 0;
    [[nodiscard]] virtual std::int32_t LastExceptionCode() const = 0;
    [[nodiscard]] virtual std::int32_t APIReturnValue() const = 0;
    [[nodiscard]] virtual std::string CustomFrameCaption() const = 0;
    virtual void SetCustomFrameCaption(const std::string& value) = 0;
    [[nodiscard]] virtual std::string CustomCaption(std::int16_t Index) const = 0;
    virtual void SetCustomCaption(std::int16_t Index, const std::string& value) = 0;
    [[nodiscard]] virtual std::string CustomToolTip(std::int16_t Index) const = 0;
    virtual void SetCustomToolTip(std::int16_t Index, const std::string& value) = 0;
    [[nodiscard]] virtual bool ShowCustom() const = 0;
    virtual void SetShowCustom(bool value) = 0;
    [[nodiscard]] virtual bool ShowAbout() const = 0;
    virtual void SetShowAbout(bool value) = 0;
    [[nodiscard]] virtual bool AllowRemarks() const = 0;
    virtual void SetAllowRemarks(bool value) = 0;
    [[nodiscard]] virtual bool AutoRetry() const = 0;
    virtual void SetAutoRetry(bool value) = 0;
    [[nodiscard]] virtual std::int16_t RetryInterval() const = 0;
    virtual void SetRetryInterval(std::int16_t value) = 0;
    [[nodiscard]] virtual std::int16_t RetryLimit() const = 0;
    virtual void SetRetryLimit(std::int16_t value) = 0;
    [[nodiscard]] virtual std::string ComponentName() const = 0;
    virtual void SetComponentName(const std::string& value) = 0;
    virtual void SetLogPath(const std::string& value) = 0;
    [[nodiscard]] virtual std::string LogPath() const = 0;
    virtual void SetLogFile(const std::string& value) = 0;
    [[nodiscard]] virtual std::string LogFile() const = 0;
    virtual void SetTracePath(const std::string& value) = 0;
    [[nodiscard]] virtual std::string TracePath() const = 0;
    virtual void SetTraceFile(const std::string& value) = 0;
    [[nodiscard]] virtual std::string TraceFile() const = 0;
    [[nodiscard]] virtual std::string DefaultErrorDescription() const = 0;
    virtual void SetDefaultErrorDescription(const std::string& value) = 0;
    [[nodiscard]] virtual std::string DefaultErrorSuggestion() const = 0;
    virtual void SetDefaultErrorSuggestion(const std::string& value) = 0;
    [[nodiscard]] virtual std::string DefaultErrorNotes() const = 0;
    virtual void SetDefaultErrorNotes(const std::string& value) = 0;
    virtual void TraceExit(const std::string& Module, const std::string& Procedure) = 0;
    virtual void TraceEnter(const std::string& Module, const std::string& Procedure) = 0;
    virtual void TraceString(const std::string& Trace) = 0;
    [[nodiscard]] virtual bool Trace() const = 0;
    virtual void SetTrace(bool value) = 0;
    [[nodiscard]] virtual bool TraceProcedures() const = 0;
    virtual void SetTraceProcedures(bool value) = 0;
    [[nodiscard]] virtual std::string TraceIndent() const = 0;
    virtual void SetTraceIndent(const std::string& value) = 0;
    [[nodiscard]] virtual std::string TraceEnterPrefix() const = 0;
    virtual void SetTraceEnterPrefix(const std::string& value) = 0;
    [[nodiscard]] virtual std::string TraceExitPrefix() const = 0;
    virtual void SetTraceExitPrefix(const std::string& value) = 0;
    virtual void LogString(const std::string& Log) = 0;
    [[nodiscard]] virtual bool Silent() const = 0;
    virtual void SetSilent(bool value) = 0;
    [[nodiscard]] virtual std::int32_t BaseErrorNumber() const = 0;
    virtual void SetBaseErrorNumber(std::int32_t value) = 0;
    virtual void ThrowError(std::int32_t Number, const std::string& Source, const std::string& Description) = 0;
    [[nodiscard]] virtual bool UseMessageBox() const = 0;
    virtual void SetUseMessageBox(bool value) = 0;
    virtual void LogData(const std::vector<Variant>& Item) = 0;
    // Records the innermost exception of the chain and raises BaseErrorNumber + 8
    // named after it; never returns normally.
    virtual std::int32_t HandleException(const ExceptionInfo* info) = 0;
    [[nodiscard]] virtual std::string PeriodicLogFileFormat() const = 0;
    // Raises 5 for a pattern that cannot name a file (it would put a "/" into the name).
    virtual void SetPeriodicLogFileFormat(const std::string& value) = 0;
    [[nodiscard]] virtual std::string LastAPIErrorDescription() const = 0;
    [[nodiscard]] virtual std::string LastExceptionDescription() const = 0;

    // Event sinks, used while ErrorClient is empty: Advise answers a cookie
    // for Unadvise. Sinks are called in the order they were advised.
    virtual std::int32_t Advise(std::shared_ptr<ICErrorHandlerEvents> sink) = 0;
    virtual void Unadvise(std::int32_t cookie) = 0;
};

} // namespace rampart
