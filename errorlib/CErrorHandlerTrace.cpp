#include "errorlib/AppendFile.h"
#include "errorlib/CErrorHandler.h"

namespace rampart {

namespace {
constexpr const char* kCrLf = "\r\n";
} // namespace

void CErrorHandler::TraceEnter(const std::string& Module, const std::string& Procedure)
{
    requireInitialized();
    try {
        if (!m_trace) {
            return;
        }
        if (m_traceProcedures) {
            ++m_traceDepth;
            if (m_traceDepth > 256) {
                TraceString(">>>>Trace Depth over 256 - Reseting");
                m_traceDepth = 0;
            }
        }
        const std::string indent = RepeatText(m_traceIndent, m_traceDepth - 1);
        if (Module != m_lastTracedModule) {
            TraceString(indent + Module + "..");
            m_lastTracedModule = Module;
        }
        if (m_traceProcedures) {
            TraceString(indent + m_traceEnterPrefix + Procedure);
        }
    } catch (...) {
    }
}

void CErrorHandler::TraceExit(const std::string& Module, const std::string& Procedure)
{
    requireInitialized();
    try {
        if (!m_trace) {
            return;
        }
        const std::string indent = RepeatText(m_traceIndent, m_traceDepth - 1);
        if (Module != m_lastTracedModule) {
            TraceString(indent + Module);
            m_lastTracedModule = Module;
        }
        if (m_traceProcedures) {
            TraceString(indent + m_traceExitPrefix + Procedure);
            if (--m_traceDepth < 0) {
                m_traceDepth = 0;
            }
        }
    } catch (...) {
    }
}

void CErrorHandler::TraceString(const std::string& Trace)
{
    requireInitialized();
    if (m_trace) {
        m_ui->AddTrace(Trace);
    }
    std::string line = Trace;
    std::int16_t action = 0;
    cbTraceString(line, action);
    if (action != 2 && m_traceOut) {
        try {
            m_traceOut->write(line + kCrLf);
        } catch (...) {
        }
    }
}

void CErrorHandler::LogString(const std::string& Log)
{
    requireInitialized();
    std::string line = Log;
    bool guarding = false;
    try {
        if (!m_skipLogCallback) {
            // A client whose LogString callback logs through this handler
            // writes straight to the file.
            std::int16_t action = 0;
            guarding = true;
            m_skipLogCallback = true;
            cbLogString(line, action);
            m_skipLogCallback = false;
            guarding = false;
            if (action == 2) {
                return;
            }
        }
        EstablishPath(m_logPath);
        const std::string full = LogFileName();
        detail::ClearReadOnly(full);
        detail::AppendFile::appendOnce(full, line + kCrLf);
    } catch (...) {
        if (guarding) {
            m_skipLogCallback = false;
        }
        logFileReport(platform::currentAsError());
    }
}

std::string CErrorHandler::LogFileName() const
{
    const std::string plain = m_logPath + m_logFile;
    if (m_periodicLogFileFormat.empty()) {
        return plain;
    }
    const std::size_t dot = m_logFile.find('.');
    if (dot == std::string::npos) {
        return plain;
    }
    return m_logPath + m_logFile.substr(0, dot) + FormatDatePattern(m_now(), m_periodicLogFileFormat) + "." +
           m_logFile.substr(dot + 1);
}

void CErrorHandler::openTraceFile()
{
    m_traceOut.reset();
    if (m_traceFile.empty()) {
        return;
    }
    std::string folder = m_tracePath.empty() ? m_logPath : m_tracePath;
    if (folder.empty()) {
        return;
    }
    EstablishPath(folder);
    const std::string full = folder + m_traceFile;
    detail::ClearReadOnly(full);
    m_traceOut = std::make_unique<detail::AppendFile>(full);
}

} // namespace rampart
