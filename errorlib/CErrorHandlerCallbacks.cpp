#include "errorlib/CErrorHandler.h"

namespace rampart {

namespace {

constexpr const char* kCrLf = "\r\n";

// Source of errors raised from a bare number (a sink's Response).
constexpr const char* kBareSource = "Rampart6";

std::string field(const char* label, const std::string& value)
{
    return PadRight(label, 17) + "= " + value + kCrLf;
}

} // namespace

template <class OnClient, class OnSink>
void CErrorHandler::dispatch(const char* name, OnClient&& onClient, OnSink&& onSink)
{
    try {
        if (m_client) {
            const std::shared_ptr<IErrorClient> client = m_client;  // the callback may replace ErrorClient
            onClient(*client);
            return;
        }
        if (m_sinks.empty()) {
            return;
        }
        // Every sink sees the same Response, as with connection points.
        std::int32_t response = 0;
        const auto sinks = m_sinks;
        for (const auto& [cookie, sink] : sinks) {
            if (sink) {
                onSink(*sink, response);
            }
        }
        if (response != 0) {
            throw platform::Error(response, kBareSource, platform::StandardDescription(response));
        }
    } catch (...) {
        callbackErrorReport(name, platform::currentAsError());
    }
}

void CErrorHandler::callbackErrorReport(const char* name, const platform::Error& error) noexcept
{
    try {
        const std::string number = std::to_string(error.number());
        // The report goes straight to the file: offering it to a LogString
        // callback that is the one failing would report its failure again, without end.
        const bool outer = m_skipLogCallback;
        m_skipLogCallback = true;
        try {
            LogString(std::string("Rampart Callback Error\t\t") + timestamp() + kCrLf + kCrLf +
                      field("Callback", name) + field("Error", number) + field("Source", error.source()) +
                      field("Description", error.description()) + kCrLf);
        } catch (...) {
        }
        m_skipLogCallback = outer;
        if (!m_silentFixed) {
            const std::string message =
                m_componentName + " Error while processing Rampart " + name + " Callback" + kCrLf + kCrLf +
                "Error=" + number + kCrLf + "Source=" + error.source() + kCrLf + "Description=" + error.description() +
                kCrLf + kCrLf + "This Error could affect the Stability of the Application." + kCrLf +
                "It could also reduce the diagnostic information available through Rampart." + kCrLf +
                "You should contact the Support Personel for the Application or System." + kCrLf + kCrLf +
                "Rampart may be unable to automatically log the above error details." + kCrLf +
                "You should therefore record these for diagnostic purposes by support personel." + kCrLf + kCrLf;
            (void)m_ui->MsgBox(message, MsgCritical, "Rampart");
        }
    } catch (...) {
    }
}

void CErrorHandler::cbNotifyError(const std::string& Module, const std::string& Procedure, const std::string& Context,
                                  std::int32_t Boundary, std::int32_t Severity, std::int32_t ErrorLine,
                                  std::int32_t ErrorNum, const std::string& ErrorText,
                                  const std::string& ErrorSource, std::int16_t& Action)
{
    dispatch(
        "NotifyError",
        [&](IErrorClient& c) {
            c.NotifyError(Module, Procedure, Context, Boundary, Severity, ErrorLine, ErrorNum, ErrorText, ErrorSource,
                          Action);
        },
        [&](ICErrorHandlerEvents& s, std::int32_t& r) {
            s.NotifyError(Module, Procedure, Context, Boundary, Severity, ErrorLine, ErrorNum, ErrorText, ErrorSource,
                          Action, r);
        });
}

void CErrorHandler::cbStackCollapse(const std::string& Module, const std::string& Procedure,
                                    const std::string& Context, std::int32_t Boundary, std::int32_t Severity,
                                    std::int32_t ErrorLine, std::int16_t& Action)
{
    dispatch(
        "StackCollapse",
        [&](IErrorClient& c) { c.StackCollapse(Module, Procedure, Context, Boundary, Severity, ErrorLine, Action); },
        [&](ICErrorHandlerEvents& s, std::int32_t& r) {
            s.StackCollapse(Module, Procedure, Context, Boundary, Severity, ErrorLine, Action, r);
        });
}

void CErrorHandler::cbEndStackCollapse()
{
    dispatch(
        "EndStackCollapse", [&](IErrorClient& c) { c.EndStackCollapse(); },
        [&](ICErrorHandlerEvents& s, std::int32_t& r) { s.EndStackCollapse(r); });
}

void CErrorHandler::cbEndApplication()
{
    dispatch(
        "EndApplication", [&](IErrorClient& c) { c.EndApplication(); },
        [&](ICErrorHandlerEvents& s, std::int32_t& r) { s.EndApplication(r); });
}

void CErrorHandler::cbGetErrorText(std::int32_t Error, std::string& Description, std::string& Suggestion,
                                   std::string& Notes)
{
    dispatch(
        "GetErrorText", [&](IErrorClient& c) { c.GetErrorText(Error, Description, Suggestion, Notes); },
        [&](ICErrorHandlerEvents& s, std::int32_t& r) { s.GetErrorText(Error, Description, Suggestion, Notes, r); });
}

void CErrorHandler::cbGetDiagnostics(std::string& Diagnostics)
{
    dispatch(
        "GetDiagnostics", [&](IErrorClient& c) { c.GetDiagnostics(Diagnostics); },
        [&](ICErrorHandlerEvents& s, std::int32_t& r) { s.GetDiagnostics(Diagnostics, r); });
}

void CErrorHandler::cbLogString(std::string& Line, std::int16_t& Action)
{
    dispatch(
        "LogString", [&](IErrorClient& c) { c.LogString(Line, Action); },
        [&](ICErrorHandlerEvents& s, std::int32_t& r) { s.LogString(Line, Action, r); });
}

void CErrorHandler::cbTraceString(std::string& Line, std::int16_t& Action)
{
    dispatch(
        "TraceString", [&](IErrorClient& c) { c.TraceString(Line, Action); },
        [&](ICErrorHandlerEvents& s, std::int32_t& r) { s.TraceString(Line, Action, r); });
}

void CErrorHandler::DispatchCustomClick(std::int16_t Index)
{
    dispatch(
        "CustomClick", [&](IErrorClient& c) { c.CustomClick(Index); },
        [&](ICErrorHandlerEvents& s, std::int32_t& r) { s.CustomClick(Index, r); });
}

} // namespace rampart
