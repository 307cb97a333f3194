#include "shell/core/MMain.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace MMain {

void RampartLink::TraceEnter(std::string_view module, std::string_view procedure)
{
    m_handler.TraceEnter(std::string(module), std::string(procedure));
}

void RampartLink::TraceExit(std::string_view module, std::string_view procedure)
{
    m_handler.TraceExit(std::string(module), std::string(procedure));
}

bool RampartLink::DebugMode() const
{
    return m_handler.DebugMode();
}

void RampartLink::PropagateError(int boundary)
{
    m_handler.PropagateError(static_cast<rampart::RampartBoundaryType>(boundary));
}

bool HasTraceSwitch(std::string_view commandLine)
{
    return commandLine.find("/TRACE") != std::string_view::npos;
}

void ConfigureHandler(rampart::ICErrorHandler& handler, std::shared_ptr<rampart::IErrorClient> client,
                      const std::string& componentName, const std::string& logPath, std::string_view commandLine)
{
    handler.SetErrorClient(std::move(client));
    handler.SetComponentName(componentName);
    handler.SetLogPath(logPath);
    // The built program never runs inside a development environment.
    handler.SetDebugMode(false);
    handler.SetTrace(HasTraceSwitch(commandLine));
    // Tracing stays off whatever the command line asked.
    handler.SetTrace(false);
    handler.Initialize();
}

std::string InitFailureMessage(const platform::Error& error)
{
    return "Error Initializing Rampart Error Handling\r\n\r\nError=" + std::to_string(error.number()) +
           "\r\nSource=" + error.source() + "\r\nDescription=" + error.description();
}

namespace {

bool canCreateFileIn(const std::filesystem::path& folder)
{
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec)) {
        return false;
    }
    const std::filesystem::path probe = folder / ".quorin-write-test";
    bool ok = false;
    {
        std::ofstream out(probe, std::ios::binary | std::ios::app);
        ok = static_cast<bool>(out);
    }
    std::filesystem::remove(probe, ec);
    return ok;
}

} // namespace

std::string LogFolder(const std::string& programFolder)
{
    if (canCreateFileIn(programFolder)) {
        return programFolder;
    }
    std::filesystem::path state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg) {
        state = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        state = std::filesystem::path(home) / ".local" / "state";
    } else {
        state = std::filesystem::temp_directory_path();
    }
    const std::filesystem::path folder = state / "tessaray";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder.string();
}

bool StartUpSteps::handle(const platform::Error& error)
{
    const std::int16_t choice =
        m_handler.HandleError(rampart::ErrObject(error), "MMain", "StartUp", std::string(), rampart::rmpBoundaryNone,
                              rampart::rmpSeverityNormal, rampart::rmpRetryLine);
    if (choice == rampart::rmpActionRetry && m_handler.DebugMode()) {
        return false;
    }
    if (choice == rampart::rmpActionIgnore) {
        return true;
    }
    m_handler.TraceExit("MMain", "StartUp");
    m_handler.PropagateError(rampart::rmpBoundaryNone);
    // Nothing was left pending: the start-up still failed, so its own error goes up.
    throw error;
}

} // namespace MMain
