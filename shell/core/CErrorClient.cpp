#include "shell/core/CErrorClient.h"

#include <sys/utsname.h>

#include <initializer_list>

#include "platform/runtime/FileNumbers.h"
#include "shell/core/ProgramInfo.h"

namespace shell {

namespace {

constexpr const char* CrLf = "\r\n";
constexpr const char* DefaultSuggestion = "Contact your System Administrator";

struct TextRow {
    std::int32_t low;
    std::int32_t high;
    const char* description;
    const char* suggestion;  // null: the default suggestion stays
};

// First row holding the number wins.
constexpr TextRow kTextRows[] = {
    {6, 6, "Overflow!", nullptr},
    {7, 7, "Not enough memory to complete the operation!", "Save your work, close any open programs and try again."},
    {9, 9, "Subscript out of range.", nullptr},
    {10, 10, "This array is fixed or temporarily locked", nullptr},
    {11, 11, "Division by zero.", nullptr},
    {13, 13, "Type mismatch.", nullptr},
    {14, 14, "Out of string space.", nullptr},
    {16, 16, "Expression too complex.", nullptr},
    {28, 28, "Out of stack space.", nullptr},
    {47, 47, "Too many DLL application clients.", nullptr},
    {51, 51, "Internal system error!", "Report error to system administrator (or to the digital half of you)......"},
    {52, 52, "Bad file name or number.", nullptr},
    {53, 53, "File not found.", nullptr},
    {54, 54, "Bad file mode.", nullptr},
    {55, 55, "File already open.", nullptr},
    {58, 58, "File already exists.", nullptr},
    {59, 59, "File access error: bad record length.", nullptr},
    {57, 57, "Disk or Device Not Ready", "Ensure a Disk is Inserted and Check the Device is Attached"},
    {71, 72, "Disk or Device Not Ready", "Ensure a Disk is Inserted and Check the Device is Attached"},
    {61, 61, "Disk Full", "Free some disk space and try again"},
    {3026, 3026, "Disk Full", "Free some disk space and try again"},
    {3336, 3336, "Disk Full", "Free some disk space and try again"},
    {62, 62, "Input past end of file.", nullptr},
    {63, 63, "File access error: bad record number.", nullptr},
    {56, 56, "File or Disk Access Error", nullptr},
    {60, 60, "File or Disk Access Error", nullptr},
    {64, 66, "File or Disk Access Error", nullptr},
    {69, 69, "File or Disk Access Error", nullptr},
    {73, 73, "File or Disk Access Error", nullptr},
    {320, 322, "File or Disk Access Error", nullptr},
    {67, 67, "Too many files. Not enough file handles to complete the operation!",
     "Increase the FILES = number in your config.sys file."},
    {68, 68, "Device error. Device unavailable.", nullptr},
    {70, 70, "File access error: permission denied.", nullptr},
    {74, 74, "File error: Can't rename with different drive.", nullptr},
    {75, 75, "Path/File access error.", nullptr},
    {76, 76, "Path not found.", nullptr},
    {94, 94, "Invalid use of Null!", nullptr},
    {97, 97, "Can't call Friend procedure on an object that is not an instance of the defining class.", nullptr},
    {98, 98,
     "A property or method call cannot include a reference to a private object, either as an argument or as a "
     "return value.",
     nullptr},
    {281, 297, "System DDE error!", nullptr},
    {260, 260, "System Resource Error", "Close any other applications and try again"},
    {298, 298, "System Configuration or System Resource Error. System DLL could not be loaded.",
     "Close any other applications and try again"},
    {48, 49, "System Configuration Error", nullptr},
    {336, 338, "System Configuration Error", nullptr},
    {368, 368, "System Configuration Error", nullptr},
    {429, 430, "System Configuration Error", nullptr},
    {432, 432, "System Configuration Error", nullptr},
    {438, 438, "System Configuration Error", nullptr},
    {440, 440, "System Configuration Error", nullptr},
    {443, 443, "System Configuration Error", nullptr},
    {445, 450, "System Configuration Error", nullptr},
    {325, 325, "Invalid format in resource file ", nullptr},
    {327, 327, "Data value named not found", nullptr},
    {328, 328, "Illegal parameter; can't write arrays", nullptr},
    {335, 335, "Could not access system registry", nullptr},
    {340, 344, "Control array error!", nullptr},
    {360, 360, "Object already loaded", nullptr},
    {361, 361, "Can't load or unload this object", nullptr},
    {363, 363, "Control specified not found", nullptr},
    {364, 364, "Object was unloaded", nullptr},
    {365, 365, "Unable to unload within this context", nullptr},
    {371, 371, "The specified object can't be used as an owner form for Show   ", nullptr},
    {380, 380, "Invalid property value", nullptr},
    {462, 462, "Network Connection Failure", nullptr},
    {482, 484, "Printer Error", "Make sure that the printer is installed properly. Try printing from other programs."},
    {486, 486, "Printer Error", "Select another Printer and try again"},
    {536, 536, "Database Resource In Use", "Try again later"},
    {541, 541, "Database Resource In Use", "Try again later"},
    {735, 735, "System TEMP Directory Error",
     "Verify System TEMP directory exists and Disk has sufficient free space, then try again"},
    {16389, 16389, "Database Connection Failure", nullptr},
    {3001, 3001, "Database Access Error", nullptr},
    {3021, 3021, "Database Access Error", nullptr},
    {3219, 3219, "Database Access Error", nullptr},
    {3246, 3246, "Database Access Error", nullptr},
    {3251, 3251, "Database Access Error", nullptr},
    {3265, 3265, "Database Access Error", nullptr},
    {3367, 3367, "Database Access Error", nullptr},
    {3420, 3421, "Database Access Error", nullptr},
    {3600, 3600, "Database Access Error", nullptr},
    {3704, 3709, "Database Access Error", nullptr},
    {32755, 32755, "You have cancelled the file operation.", nullptr},
    {35761, 35761, "Request time out.", "Make sure that your computer is properly connected to internet."},
    {35764, 35764, "Network error",
     "Please be patient. The network is a bit slow. I am busy requesting information from the host."},
    {35750, 35760, "An unexpected network error has occurred.", nullptr},
    {35762, 35763, "An unexpected network error has occurred.", nullptr},
    {35765, 35878, "An unexpected network error has occurred.", nullptr},
    {35896, 35904, "Error accessing the gopher site.", nullptr},
    {35916, 35922, "Error accessing the HTTP site.", nullptr},
    {35923, 35923, "Security channel error.", nullptr},
    {35924, 35924, "Network Error! Unable to cache file.", nullptr},
    {35927, 35927, "Network Error! You must confirm a server-supplied cookie before the download can proceed.", nullptr},
    {35928, 35928, "Network Error! A cookie supplied by the server was not accepted.", nullptr},
    {35930, 35930,
     "Network Error! The requested server was unable to be connected to. This was determined by receipt of a "
     "WSAEHOSTUNREACH error from WinSock.",
     nullptr},
    {35931, 35931, "Network Error! The requested proxy server was unable to be reached.", nullptr},
    {35932, 35932,
     "Network Error! There is an error in the proxy auto-configuration script, so the script cannot be run.", nullptr},
    {35933, 35933, "Network Error! The required proxy auto-configuration file could not be retrieved.", nullptr},
    {35934, 35934, "Network Error! You must confirm a protocol-level redirection before the download can proceed.",
     nullptr},
    {35935, 35935, "Network Error! The certificate is invalid.", nullptr},
    {35936, 35936, "Network Error! The certificate has been revoked.", nullptr},
    {35937, 35937, "Network Error! The operation you attempted failed because it could not pass the security check.",
     nullptr},
};

template <class F>
void ignoringFailure(F&& step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}

} // namespace

CErrorClient::CErrorClient(std::string applicationName) : m_applicationName(std::move(applicationName)) {}

std::string CErrorClient::NotifyMessage(const std::string& module, const std::string& procedure, std::int32_t number,
                                        const std::string& text) const
{
    return "Error in " + m_applicationName + CrLf + CrLf + "at " + module + "." + procedure + CrLf + CrLf +
           std::to_string(number) + CrLf + text;
}

void CErrorClient::NotifyError(const std::string& Module, const std::string& Procedure, const std::string&,
                               std::int32_t, std::int32_t, std::int32_t, std::int32_t ErrorNum,
                               const std::string& ErrorText, const std::string&, std::int16_t& Action)
{
    m_pendingDescription = ErrorText;
    if (!ShowDialog || !display) {
        return;
    }
    Action = display(NotifyMessage(Module, Procedure, ErrorNum, ErrorText));
}

void CErrorClient::StackCollapse(const std::string&, const std::string&, const std::string&, std::int32_t,
                                 std::int32_t, std::int32_t, std::int16_t&)
{
}

void CErrorClient::EndStackCollapse() {}

void CErrorClient::EndApplication()
{
    ignoringFailure([&] {
        if (unloadAllWindows) {
            unloadAllWindows();
        }
    });
    // Closing the numbered files, then resetting them: twice over.
    ignoringFailure([] { platform::rt::Files().CloseAll(); });
    ignoringFailure([] { platform::rt::Files().CloseAll(); });
}

void CErrorClient::GetErrorText(std::int32_t Error, std::string& Description, std::string& Suggestion,
                                std::string& Notes)
{
    ignoringFailure([&] { Suggestion = DefaultSuggestion; });
    ignoringFailure([&] {
        for (const TextRow& row : kTextRows) {
            if (Error >= row.low && Error <= row.high) {
                Description = row.description;
                if (row.suggestion) {
                    Suggestion = row.suggestion;
                }
                return;
            }
        }
        Description = "An unexpected error has occurred: " + m_pendingDescription;
    });
    ignoringFailure([&] {
        Notes = std::string("Detailed diagnostics for this error have been logged, ") +
                "if the problem persists contact technical support";
    });
}

std::string CErrorClient::StripAtNull(std::string_view text)
{
    const auto nul = text.find('\0');
    return std::string(nul == std::string_view::npos ? text : text.substr(0, nul));
}

std::vector<std::string> CErrorClient::DiagnosticsLines()
{
    std::vector<std::string> lines;
    ignoringFailure([&] {
        struct utsname info {};
        if (::uname(&info) != 0) {
            return;
        }
        lines.push_back(std::string("Operating System") + CrLf);
        lines.push_back("  Platform       = " + StripAtNull(std::string_view(info.sysname, sizeof info.sysname)));
        lines.push_back("  Version        = " + StripAtNull(std::string_view(info.release, sizeof info.release)));
        lines.push_back("  Build          = " + StripAtNull(std::string_view(info.version, sizeof info.version)) +
                        CrLf);
    });
    lines.push_back(std::string("Application Version") + CrLf);
    lines.push_back("  Major          = " + std::to_string(ProgramInfo::Major));
    lines.push_back("  Minor          = " + std::to_string(ProgramInfo::Minor));
    lines.push_back("  Revision       = " + std::to_string(ProgramInfo::Revision) + CrLf);
    return lines;
}

void CErrorClient::GetDiagnostics(std::string&)
{
    if (!m_handler) {
        return;
    }
    std::vector<std::string> lines;
    ignoringFailure([&] { lines = DiagnosticsLines(); });
    for (const std::string& line : lines) {
        ignoringFailure([&] { m_handler->LogString(line); });
    }
}

void CErrorClient::LogString(std::string&, std::int16_t&) {}

void CErrorClient::TraceString(std::string&, std::int16_t&) {}

void CErrorClient::CustomClick(std::int16_t&) {}

} // namespace shell
