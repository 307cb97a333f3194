#include "errorlib/CErrorHandler.h"

#include <array>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "errorlib/AppendFile.h"
#include "errorlib/MRegistry.h"

namespace rampart {

namespace reg = platform::registry;

namespace {

// The error dialog's custom row: one setting per thread, shared by every
// handler of the thread.
struct ThreadDialogSettings {
    bool showCustom = false;
    std::string frameCaption;
    std::array<std::string, 3> captions;
    std::array<std::string, 3> toolTips;
};

ThreadDialogSettings& dialogSettings()
{
    thread_local ThreadDialogSettings settings;
    return settings;
}

std::string trimBlanks(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A registry value that starts with "#" and has something after it forces the
// property. A lone "#" would force an empty folder or name and is not applied.
bool isForced(const std::string& value)
{
    return value.size() > 1 && value.front() == '#';
}

bool isWritableFolder(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec) && ::access(path.c_str(), W_OK) == 0;
}

} // namespace

std::string WritableLogFolder(const std::string& preferred)
{
    std::string folder = preferred;
    if (!isWritableFolder(folder)) {
        const char* state = std::getenv("XDG_STATE_HOME");
        std::filesystem::path base = state != nullptr && state[0] == '/' ? std::filesystem::path(state)
                                                                          : std::filesystem::path();
        if (base.empty()) {
            const char* home = std::getenv("HOME");
            base = std::filesystem::path(home != nullptr && home[0] != '\0' ? home : "/tmp") / ".local" / "state";
        }
        folder = (base / "tessaray").string();
    }
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

CErrorHandler::CErrorHandler(std::unique_ptr<ErrorUi> ui, Clock clock) : m_ui(std::move(ui)), m_now(std::move(clock))
{
    if (!m_ui) {
        m_ui = MakeConsoleErrorUi();
    }
    if (!m_now) {
        m_now = LocalNow;
    }
    SetBaseErrorNumber(32000);
}

CErrorHandler::~CErrorHandler()
{
    try {
        if (m_initialized) {
            m_ui->ShowViewer(false);
        }
    } catch (...) {
    }
    m_traceOut.reset();
}

std::string CErrorHandler::CustomFrameCaption() const
{
    return dialogSettings().frameCaption;
}

void CErrorHandler::SetCustomFrameCaption(const std::string& value)
{
    dialogSettings().frameCaption = value;
}

std::string CErrorHandler::CustomCaption(std::int16_t Index) const
{
    return Index >= 1 && Index <= 3 ? dialogSettings().captions[static_cast<std::size_t>(Index - 1)] : std::string();
}

void CErrorHandler::SetCustomCaption(std::int16_t Index, const std::string& value)
{
    if (Index >= 1 && Index <= 3) {
        dialogSettings().captions[static_cast<std::size_t>(Index - 1)] = value;
    }
}

std::string CErrorHandler::CustomToolTip(std::int16_t Index) const
{
    return Index >= 1 && Index <= 3 ? dialogSettings().toolTips[static_cast<std::size_t>(Index - 1)] : std::string();
}

void CErrorHandler::SetCustomToolTip(std::int16_t Index, const std::string& value)
{
    if (Index >= 1 && Index <= 3) {
        dialogSettings().toolTips[static_cast<std::size_t>(Index - 1)] = value;
    }
}

bool CErrorHandler::ShowCustom() const
{
    return dialogSettings().showCustom;
}

void CErrorHandler::SetShowCustom(bool value)
{
    dialogSettings().showCustom = value;
}

void CErrorHandler::SetRetryInterval(std::int16_t value)
{
    // A negative wait has no meaning; it would also restart the retry count on every error.
    m_retryInterval = value < 0 ? std::int16_t{0} : value;
}

void CErrorHandler::SetRetryLimit(std::int16_t value)
{
    m_retryLimit = value < 0 ? std::int16_t{0} : value;
}

void CErrorHandler::SetComponentName(const std::string& value)
{
    m_componentName = trimBlanks(value);
}

void CErrorHandler::SetSilent(bool value)
{
    if (!m_initialized) {
        m_silent = value;
        m_silentFixed = value;
    } else if (!m_silentFixed) {
        m_silent = value;
    }
}

void CErrorHandler::SetBaseErrorNumber(std::int32_t value)
{
    if (value >= 512 && value <= 32768) {
        m_baseErrorNumber = value;
        m_collapseNumber = value;
    }
}

void CErrorHandler::SetPeriodicLogFileFormat(const std::string& value)
{
    // The stamp becomes part of a file name: a pattern that yields a folder
    // separator cannot be used.
    if (FormatDatePattern(m_now(), value).find('/') != std::string::npos) {
        throw platform::Error(platform::err::InvalidCall, "Rampart",
                              platform::StandardDescription(platform::err::InvalidCall));
    }
    m_periodicLogFileFormat = value;
}

void CErrorHandler::SetLogPath(const std::string& value)
{
    if (!m_initialized) {
        m_logPath = value;
        return;
    }
    if (!m_logPathLocked) {
        applyLogPath(value, false);
    }
}

void CErrorHandler::SetLogFile(const std::string& value)
{
    const std::string name = value.find('.') == std::string::npos ? value + ".log" : value;
    if (!m_initialized) {
        m_logFile = name;
        return;
    }
    if (!m_logFileLocked) {
        m_logFile = name;
        writeSetting("LogFile", name);
    }
}

void CErrorHandler::SetTracePath(const std::string& value)
{
    if (!m_initialized) {
        m_tracePath = value;
        return;
    }
    if (!m_tracePathLocked) {
        if (applyTracePath(value, false)) {
            openTraceFile();
        }
    }
}

void CErrorHandler::SetTraceFile(const std::string& value)
{
    if (!m_initialized) {
        m_traceFile = value;
        return;
    }
    if (!m_traceFileLocked) {
        m_traceFile = value;
        writeSetting("TraceFile", value);
        openTraceFile();
    }
}

void CErrorHandler::SetTrace(bool value)
{
    m_trace = value;
    if (m_initialized) {
        m_ui->ShowViewer(value);
    }
}

bool CErrorHandler::applyPath(const std::string& value, bool raise, std::int32_t failureCode, std::string& target,
                              bool locked, const char* settingName)
{
    std::string path = value;
    try {
        EstablishPath(path);
    } catch (const platform::Error& e) {
        const std::string extra = e.description() + "\r\nPath='" + path + "'";
        if (raise) {
            raiseInternal(failureCode, extra);
        }
        logInternal(failureCode, extra);
        return false;
    }
    target = path;
    if (!locked) {
        writeSetting(settingName, path);
    }
    return true;
}

bool CErrorHandler::applyLogPath(const std::string& value, bool raise)
{
    return applyPath(value, raise, 25, m_logPath, m_logPathLocked, "LogPath");
}

bool CErrorHandler::applyTracePath(const std::string& value, bool raise)
{
    return applyPath(value, raise, 26, m_tracePath, m_tracePathLocked, "TracePath");
}

void CErrorHandler::Initialize()
{
    if (m_componentName.empty()) {
        raiseInternal(20);
    }
    int step = 2;
    try {
        // 2: the current folder, or a writable one in its place.
        if (m_logPath.empty()) {
            std::error_code ec;
            m_logPath = WritableLogFolder(std::filesystem::current_path(ec).string());
        }
        // 3-4: "LogPath" applies only when forced with "#".
        step = 3;
        if (const std::string v = readSetting("LogPath", m_logPath); isForced(v)) {
            m_logPathLocked = true;
            m_logPath = v.substr(1);
        }
        step = 4;
        (void)applyLogPath(m_logPath, true);
        // 5-6
        step = 5;
        if (m_logFile.empty()) {
            m_logFile = m_componentName + ".log";
        }
        step = 6;
        if (const std::string v = readSetting("LogFile", m_logFile); isForced(v)) {
            m_logFileLocked = true;
            m_logFile = v.substr(1);
        }
        if (!m_logFileLocked) {
            writeSetting("LogFile", m_logFile);
        }
        // 7-8
        step = 7;
        if (m_tracePath.empty()) {
            m_tracePath = m_logPath;
        }
        step = 8;
        if (const std::string v = readSetting("TracePath", m_tracePath); isForced(v)) {
            m_tracePathLocked = true;
            m_tracePath = v.substr(1);
        }
        (void)applyTracePath(m_tracePath, true);
        // 9: a plain "TraceFile" value is applied too.
        step = 9;
        if (const std::string v = readSetting("TraceFile", m_traceFile); isForced(v)) {
            m_traceFileLocked = true;
            m_traceFile = v.substr(1);
        } else {
            m_traceFile = v;
        }
        if (!m_traceFileLocked) {
            writeSetting("TraceFile", m_traceFile);
        }
        openTraceFile();
        // 10
        step = 10;
        if (settingExists("Trace")) {
            SetTrace(settingIsSet("Trace"));
        }
        if (settingExists("TraceProcedures")) {
            SetTraceProcedures(settingIsSet("TraceProcedures"));
        }
        // 11
        step = 11;
        if (!m_silent) {
            m_ui->CreateErrorDialog();
        }
        step = 12;
        if (m_defaultDescription.empty()) {
            m_defaultDescription = "Unexpected Error";
        }
        step = 13;
        m_initialized = true;
        step = 14;
        m_ui->CreateViewer(m_componentName);
        if (m_trace) {
            m_ui->ShowViewer(true);
        }
    } catch (...) {
        const platform::Error e = platform::currentAsError();
        throw platform::Error(e.number(),
                              "[Rampart][CErrorHandler.Initialize][Line " + std::to_string(step) + "]" + e.source(),
                              e.description());
    }
}

std::string CErrorHandler::readSetting(const char* name, const std::string& current) const
{
    // A key that cannot be opened answers the current value, as a missing value does.
    try {
        const auto key = MRegistry::OpenRegKey(reg::Hive::LocalMachine, ClientKeyPrefix + m_componentName,
                                               reg::KeyRead);
        return MRegistry::GetRegString(key, name, current);
    } catch (...) {
        return current;
    }
}

bool CErrorHandler::settingExists(const char* name) const
{
    try {
        const auto key = MRegistry::OpenRegKey(reg::Hive::LocalMachine, ClientKeyPrefix + m_componentName,
                                               reg::KeyRead);
        return MRegistry::RegValueExists(key, name);
    } catch (...) {
        return false;
    }
}

bool CErrorHandler::settingIsSet(const char* name) const
{
    try {
        const auto key = MRegistry::OpenRegKey(reg::Hive::LocalMachine, ClientKeyPrefix + m_componentName,
                                               reg::KeyRead);
        return !MRegistry::IsRegValueClear(key, name);
    } catch (...) {
        return false;
    }
}

void CErrorHandler::writeSetting(const char* name, const std::string& value) const
{
    // Without rights to the machine hive the settings simply stay in memory.
    try {
        const auto key = MRegistry::OpenRegKey(reg::Hive::LocalMachine, ClientKeyPrefix + m_componentName,
                                               reg::KeyWrite);
        MRegistry::SetRegString(key, name, value);
    } catch (...) {
    }
}

std::int32_t CErrorHandler::Advise(std::shared_ptr<ICErrorHandlerEvents> sink)
{
    const std::int32_t cookie = m_nextCookie++;
    m_sinks.emplace_back(cookie, std::move(sink));
    return cookie;
}

void CErrorHandler::Unadvise(std::int32_t cookie)
{
    std::erase_if(m_sinks, [cookie](const auto& entry) { return entry.first == cookie; });
}

} // namespace rampart
