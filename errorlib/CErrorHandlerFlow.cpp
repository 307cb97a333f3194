#include <array>
#include <cstdio>

#include "errorlib/CErrorHandler.h"
#include "errorlib/MException.h"

namespace rampart {

namespace {

constexpr const char* kCrLf = "\r\n";

// The library's own texts of its internal errors (code = number - BaseErrorNumber).
std::string internalErrorText(int code)
{
    switch (code) {
    case 20: return "ComponentName Not Specified";
    case 21: return "Rampart Not Initialized";
    case 25: return "Unable to Establish LogPath";
    case 26: return "Unable to Establish TracePath";
    default: return platform::StandardDescription(code);
    }
}

std::string field(const char* label, const std::string& value)
{
    return PadRight(label, 17) + "= " + value + kCrLf;
}

std::string hex8(std::uint32_t code)
{
    std::array<char, 16> buf{};
    std::snprintf(buf.data(), buf.size(), "%08X", code);
    return buf.data();
}

bool isChoice(std::int16_t action)
{
    return action == 2 || action == 3 || action == 4 || action == 5;
}

constexpr std::int32_t ActiveXBits = static_cast<std::int32_t>(0x80040000u);

// The critical box of a fault Rampart cannot handle itself: the heading, the
// error's number, source and description, the probable cause, and the advice
// to record the details (`logState` says whether they could be logged). A box
// that fails to show is passed over: the caller ends the application next.
void showFatalBox(ErrorUi& ui, const std::string& heading, const platform::Error& error, const char* cause,
                  const char* logState)
{
    const std::string message = heading + kCrLf + kCrLf + "Error=" + std::to_string(error.number()) + kCrLf +
                                "Source=" + error.source() + kCrLf + "Description=" + error.description() + kCrLf +
                                kCrLf + cause + kCrLf +
                                "You should contact the Support Personel for the Application or System." + kCrLf +
                                kCrLf + logState + kCrLf +
                                "You should therefore record these for diagnostic purposes by support personel." +
                                kCrLf + kCrLf + SignOffLine;
    try {
        (void)ui.MsgBox(message, MsgCritical, "Rampart");
    } catch (...) {
    }
}

} // namespace

void CErrorHandler::raiseInternal(int code, const std::string& extra) const
{
    std::string description = internalErrorText(code);
    if (!extra.empty()) {
        description += kCrLf + extra;
    }
    throw platform::Error(m_baseErrorNumber + code, "Rampart", description);
}

void CErrorHandler::logInternal(int code, const std::string& extra)
{
    std::string description = internalErrorText(code);
    if (!extra.empty()) {
        description += kCrLf + extra;
    }
    try {
        LogString(description);
    } catch (...) {
    }
}

void CErrorHandler::requireInitialized() const
{
    if (!m_initialized) {
        raiseInternal(21);
    }
}

std::string CErrorHandler::timestamp() const
{
    return FormatDatePattern(m_now(), "yyyy/mm/dd hh:nn:ss");
}

std::string CErrorHandler::locationLines(const std::string& Module, const std::string& Procedure,
                                         const std::string& Context, std::int32_t Boundary, std::int32_t Severity,
                                         std::int32_t line) const
{
    return field("Component", m_componentName) + field("Module", Module) + field("Procedure", Procedure) +
           field("Context", Context) + field("Boundary", BoundaryName(Boundary)) +
           field("Severity", SeverityName(Severity)) + field("Erl", std::to_string(line));
}

std::int16_t CErrorHandler::HandleError(const ErrObject& error, const std::string& Module,
                                        const std::string& Procedure, const std::string& Context,
                                        RampartBoundaryType Boundary, RampartSeverityType Severity,
                                        RampartRetryType Retry)
{
    std::int32_t line = error.Erl;
    try {
        std::int32_t number = error.Number;
        std::string description = error.Description;
        std::string source = error.Source;
        requireInitialized();

        if (number == m_baseErrorNumber + 1) {
            // A thrown error travels up to the first ActiveX boundary untouched.
            switch (Boundary) {
            case rmpBoundaryActiveX:
                m_pendingNumber = m_thrownNumber | ActiveXBits;
                m_pendingSource = m_thrownSource;
                m_pendingDescription = m_thrownDescription;
                break;
            case rmpBoundaryVB:
                m_pendingNumber = 0;
                m_pendingSource.clear();
                m_pendingDescription.clear();
                break;
            default:
                m_pendingNumber = m_baseErrorNumber + 1;
                m_pendingSource = "Rampart";
                m_pendingDescription = "Throwing Error";
                break;
            }
            return 0;
        }
        if (m_inlineLine != 0) {
            line = m_inlineLine;
        }
        if (number == m_collapseNumber) {
            const std::int16_t result = collapsePath(Module, Procedure, Context, Boundary, Severity, line, Retry);
            boundaryStep(Boundary);
            return result;
        }

        if (source.empty() || source == "Rampart") {
            source = m_componentName;
        }
        number &= 0xFFFF;
        m_savedNumber = number;
        m_savedSource = source;
        m_savedDescription = description;

        const DateTime now = m_now();
        if (number != m_lastRetriedNumber ||
            SerialSeconds(now) - SerialSeconds(m_lastRetryTime) > 2 * static_cast<std::int64_t>(m_retryInterval)) {
            m_retryCount = 0;
        }

        std::int16_t action = 0;
        cbNotifyError(Module, Procedure, Context, Boundary, Severity, line, number, description, source, action);
        std::string text;
        std::string suggestion;
        std::string notes;
        cbGetErrorText(number, text, suggestion, notes);
        if (!isChoice(action)) {
            action = 0;
        }
        if (text.empty()) {
            text = m_defaultDescription;
        }
        if (suggestion.empty()) {
            suggestion = m_defaultSuggestion;
        }
        if (notes.empty()) {
            notes = m_defaultNotes;
        }

        std::string report = std::string("Rampart Error Report\t\t") + timestamp() + kCrLf + kCrLf +
                             locationLines(Module, Procedure, Context, Boundary, Severity, line);
        if (m_apiMarker != 0 && m_apiMarker == number) {
            report += field("API Return Value", std::to_string(m_apiReturnValue)) +
                      field("Err.LastDllError", std::to_string(m_lastDllError)) +
                      field("FormatMessage", m_apiMessage) + kCrLf;
        } else if (number == m_baseErrorNumber + 8) {
            report += field("Exception Code", "&H" + hex8(m_exceptionCode)) + field("Exception Id", description) +
                      field("Source", source) + kCrLf;
        } else {
            report += field("Err.Number", std::to_string(number)) + field("Err.Description", description) +
                      field("Err.Source", source);
        }
        report += field("Description", text) + field("Suggestion", suggestion) + field("Notes", notes);
        LogString(report);

        const bool retryAllowed = Severity != rmpSeverityFatal && Retry != rmpRetryNone &&
                                  (Retry == rmpRetryProcedure || (!m_apiCheck && !m_inlineCheck));
        const bool cancelAllowed = Severity != rmpSeverityFatal;

        std::int16_t choice = 0;
        std::string remarks;
        if (!m_silent && !m_silentFixed) {
            if (action != 0) {
                choice = action;
            } else if (Severity != rmpSeverityCosmetic) {
                ErrorDialogRequest request;
                request.component = m_componentName;
                request.description = text;
                request.suggestion = suggestion;
                request.notes = notes;
                request.retryAllowed = retryAllowed;
                request.cancelAllowed = cancelAllowed;
                request.showAbout = m_showAbout;
                request.allowRetry = m_allowRetry;
                request.autoRetry = m_autoRetry;
                request.allowRemarks = m_allowRemarks;
                request.retryInterval = m_retryInterval;
                request.showCustom = ShowCustom();
                request.customFrameCaption = CustomFrameCaption();
                for (std::int16_t i = 1; i <= 3; ++i) {
                    request.customCaptions[static_cast<std::size_t>(i - 1)] = CustomCaption(i);
                    request.customToolTips[static_cast<std::size_t>(i - 1)] = CustomToolTip(i);
                }
                request.customClick = [this](std::int16_t index) { DispatchCustomClick(index); };
                try {
                    if (m_useMessageBox) {
                        choice = DisplayWithMessageBox(*m_ui, request);
                    } else {
                        ErrorDialogResult result = m_ui->ShowErrorDialog(request);
                        choice = result.action;
                        remarks = result.remarks;
                    }
                } catch (...) {
                    choice = 3;
                    InternalErrorReport("FError", "Display", platform::currentAsError());
                }
            }
        } else if (m_autoRetry && m_retryCount < m_retryLimit && retryAllowed && m_allowRetry &&
                   Severity != rmpSeverityCosmetic) {
            // Silent automatic retry, only for errors that may be retried at all.
            m_lastRetriedNumber = number;
            m_lastRetryTime = now;
            ++m_retryCount;
            m_ui->Sleep(static_cast<std::int32_t>(m_retryInterval) * 1000);
            choice = 4;
        }
        if (Severity == rmpSeverityCosmetic) {
            choice = 5;
        }
        if (!remarks.empty()) {
            LogString(field("Remarks", remarks));
        }
        std::string diagnostics;
        cbGetDiagnostics(diagnostics);
        LogString(diagnostics + kCrLf + kCrLf);
        if (m_debugMode) {
            m_ui->AddDiags(report + diagnostics, true);
        }
        if (choice == 4 && Retry == rmpRetryProcedure) {
            choice = 2;
            m_procedureRetry = true;
        }
        m_endApplication = choice == 3;
        m_apiCheck = false;
        m_apiMarker = 0;
        m_lastDllError = 0;
        m_inlineCheck = false;
        m_exceptionCode = 0;
        m_exceptionName.clear();
        boundaryStep(Boundary);
        return choice;
    } catch (...) {
        InternalErrorReport("CErrorHandler", "HandleError", platform::currentAsError(), line);
        return 3;
    }
}

std::int16_t CErrorHandler::collapsePath(const std::string& Module, const std::string& Procedure,
                                         const std::string& Context, RampartBoundaryType Boundary,
                                         RampartSeverityType Severity, std::int32_t line, RampartRetryType Retry)
{
    std::int16_t action = 0;
    cbStackCollapse(Module, Procedure, Context, Boundary, Severity, line, action);
    if (!isChoice(action)) {
        action = 0;
    }
    const std::string report = std::string("Rampart Collapsing Call Stack\t\t") + timestamp() + kCrLf + kCrLf +
                               locationLines(Module, Procedure, Context, Boundary, Severity, line) + kCrLf;
    LogString(report);
    if (m_debugMode) {
        m_ui->AddDiags(report, false);
    }
    if (action != 0) {
        return action;
    }
    if (m_procedureRetry && Retry == rmpRetryLine) {
        m_procedureRetry = false;
        return 4;
    }
    return 2;
}

void CErrorHandler::boundaryStep(RampartBoundaryType Boundary)
{
    switch (Boundary) {
    case rmpBoundaryActiveX:
        cbEndStackCollapse();
        m_pendingNumber = m_savedNumber | ActiveXBits;
        m_pendingSource = m_savedSource;
        m_pendingDescription = m_savedDescription;
        break;
    case rmpBoundaryVB:
    case rmpBoundaryFirewall:
        cbEndStackCollapse();
        m_pendingNumber = m_collapseNumber;
        m_pendingSource = "Rampart";
        m_pendingDescription = "Collapsing Call Stack";
        if (m_endApplication) {
            LogString(std::string("Rampart Application End\t\t") + timestamp() + kCrLf + kCrLf);
            cbEndApplication();
        }
        break;
    case rmpBoundaryNone:
        m_pendingNumber = m_collapseNumber;
        m_pendingSource = "Rampart";
        m_pendingDescription = "Collapsing Call Stack";
        break;
    default: break;
    }
}

void CErrorHandler::PropagateError(RampartBoundaryType Boundary)
{
    if (Boundary == rmpBoundaryVB || Boundary == rmpBoundaryFirewall) {
        return;
    }
    const std::int32_t number = m_pendingNumber;
    m_pendingNumber = 0;
    if (number != 0) {
        throw platform::Error(number, m_pendingSource, m_pendingDescription);
    }
}

void CErrorHandler::ForcePropagateError()
{
    throw platform::Error(m_collapseNumber, "Rampart", "Collapsing Call Stack");
}

void CErrorHandler::ThrowError(std::int32_t Number, const std::string& Source, const std::string& Description)
{
    m_thrownNumber = Number;
    m_thrownSource = Source;
    m_thrownDescription = Description;
    throw platform::Error(m_baseErrorNumber + 1, "Rampart", "Throwing Error");
}

void CErrorHandler::InternalErrorReport(const std::string& Module, const std::string& Procedure,
                                        const platform::Error& error, std::int32_t line) noexcept
{
    try {
        const std::string number = std::to_string(error.number());
        try {
            LogString(std::string("Rampart Internal Error\t\t") + timestamp() + kCrLf + kCrLf + field("Module", Module) +
                      field("Procedure", Procedure) + field("Line", std::to_string(line)) + field("Error", number) +
                      field("Source", error.source()) + field("Description", error.description()) + kCrLf);
        } catch (...) {
        }
        if (!m_silentFixed) {
            showFatalBox(*m_ui, "Unexpected Error in Rampart at " + Module + "." + Procedure, error,
                         "Probable causes are problems in Application Configuration or System Environment.",
                         "Rampart may be unable to automatically log the above error details.");
        }
        cbEndApplication();
    } catch (...) {
    }
}

void CErrorHandler::logFileReport(const platform::Error& error) noexcept
{
    // One box and one request to end per handler: a log that cannot be written
    // fails on every line, and the client is already told.
    if (m_logFailureReported) {
        return;
    }
    m_logFailureReported = true;
    try {
        if (!m_silentFixed) {
            showFatalBox(
                *m_ui, "Rampart is unable to access the Log File for this Application or System", error,
                "Probable causes are problems in the System Environment, the Disk may be Full or Inaccessible.",
                "Rampart is unable to automatically log the above error details.");
        }
        cbEndApplication();
    } catch (...) {
    }
}

} // namespace rampart
