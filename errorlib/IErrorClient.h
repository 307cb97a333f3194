#pragma once

// The two ways the handler talks back to its client.
//
// IErrorClient: the callback object a client hands to
// ICErrorHandler::SetErrorClient. The nine callbacks in their fixed order; the
// bodies do nothing, so a client overrides only what it needs (and the class
// itself serves as the do-nothing callback object). Arguments passed by
// reference may be changed; Action takes the RampartActionType values.
//
// ICErrorHandlerEvents: for clients that leave ErrorClient empty and listen
// instead (ICErrorHandler::Advise). The same nine, each with a trailing
// Response: leaving it non-zero reports a failure numbered Response.
//
// Whatever a callback throws, and a non-zero Response, is caught by the
// handler, logged as a callback error report and shown; it never reaches the
// code that made the handler call.

#include <cstdint>
#include <string>

#include "errorlib/rampart6_export.h"

namespace rampart {

// The empty bodies keep their parameter names: they document the callbacks.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"

class RAMPART6_EXPORT IErrorClient {
public:
    static constexpr const char* IID = "{0F8F9298-3696-11D5-A8C1-0090273E728F}";

    virtual ~IErrorClient() = default;

    virtual void NotifyError(const std::string& Module, const std::string& Procedure, const std::string& Context,
                             std::int32_t Boundary, std::int32_t Severity, std::int32_t ErrorLine,
                             std::int32_t ErrorNum, const std::string& ErrorText, const std::string& ErrorSource,
                             std::int16_t& Action)
    {
    }
    virtual void StackCollapse(const std::string& Module, const std::string& Procedure, const std::string& Context,
                               std::int32_t Boundary, std::int32_t Severity, std::int32_t ErrorLine,
                               std::int16_t& Action)
    {
    }
    virtual void EndStackCollapse()
    {
    }
    virtual void EndApplication()
    {
    }
    virtual void GetErrorText(std::int32_t Error, std::string& Description, std::string& Suggestion,
                              std::string& Notes)
    {
    }
    virtual void GetDiagnostics(std::string& Diagnostics)
    {
    }
    virtual void LogString(std::string& LogString, std::int16_t& Action)
    {
    }
    virtual void TraceString(std::string& TraceString, std::int16_t& Action)
    {
    }
    virtual void CustomClick(std::int16_t& Index)
    {
    }
};

class RAMPART6_EXPORT ICErrorHandlerEvents {
public:
    static constexpr const char* IID = "{E47AFABA-8085-11D5-A920-0090273E728F}";

    virtual ~ICErrorHandlerEvents() = default;

    virtual void NotifyError(const std::string& Module, const std::string& Procedure, const std::string& Context,
                             std::int32_t Boundary, std::int32_t Severity, std::int32_t ErrorLine,
                             std::int32_t ErrorNum, const std::string& ErrorText, const std::string& ErrorSource,
                             std::int16_t& Action, std::int32_t& Response)
    {
    }
    virtual void StackCollapse(const std::string& Module, const std::string& Procedure, const std::string& Context,
                               std::int32_t Boundary, std::int32_t Severity, std::int32_t ErrorLine,
                               std::int16_t& Action, std::int32_t& Response)
    {
    }
    virtual void EndStackCollapse(std::int32_t& Response)
    {
    }
    virtual void EndApplication(std::int32_t& Response)
    {
    }
    virtual void GetErrorText(std::int32_t Error, std::string& Description, std::string& Suggestion,
                              std::string& Notes, std::int32_t& Response)
    {
    }
    virtual void GetDiagnostics(std::string& Diagnostics, std::int32_t& Response)
    {
    }
    virtual void LogString(std::string& LogString, std::int16_t& Action, std::int32_t& Response)
    {
    }
    virtual void TraceString(std::string& TraceString, std::int16_t& Action, std::int32_t& Response)
    {
    }
    virtual void CustomClick(std::int16_t Index, std::int32_t& Response)
    {
    }
};

#pragma GCC diagnostic pop

} // namespace rampart
