#include "shell/core/ErrHandler.h"

#include <string_view>

#include "platform/dialogs/Dialogs.h"
#include "platform/runtime/FileNumbers.h"
#include "shell/core/mQuorin.h"

namespace ErrHandler {

namespace {

constexpr std::string_view CrLf = "\r\n";

std::string lines(std::initializer_list<std::string_view> parts)
{
    std::string out;
    bool first = true;
    for (auto p : parts) {
        if (!first) {
            out += CrLf;
        }
        out += p;
        first = false;
    }
    return out;
}

std::string numberLine(std::int32_t number)
{
    return "Error number: " + std::to_string(number) + ", " + platform::StandardDescription(number);
}

std::string requestA()
{
    return lines({"Please write down the number and message ", std::string("and email me at ") + MaintainerEmail,
                  " to report the error. Please include the", "keystrokes and mouse clicks that have",
                  "led to the error. Thank you."});
}

std::string requestB(std::string_view lastLine = "Thank you.")
{
    return lines({"To report the error, please write down the number ",
                  std::string("and message, and email me at ") + MaintainerEmail, lastLine});
}

bool in(std::int32_t n, std::int32_t low, std::int32_t high)
{
    return n >= low && n <= high;
}

bool isAnyOf(std::int32_t n, std::initializer_list<std::int32_t> values)
{
    for (auto v : values) {
        if (n == v) {
            return true;
        }
    }
    return false;
}

Report single(std::string title, std::string_view line)
{
    return {std::move(title), std::string(line) + std::string(CrLf)};
}

} // namespace

Report ReportFor(std::int32_t n, const std::string& source)
{
    const std::string desc = platform::StandardDescription(n);
    if (n == 1) {
        return {"Erorr!", lines({"An unexpected error has occurred.", "", numberLine(n), "Error source: " + source, "",
                                 requestA()})};
    }
    if (n == 6) {
        return {"System error!", lines({"Overflow!", "", "An unexpected error condition has occurred.", "", requestA()})};
    }
    if (in(n, 2, 5) || n == 9 || n == 11 || in(n, 14, 49) || n == 59 || n == 90) {
        return {"Erorr!", lines({"An unexpected error condition has occurred.", "", numberLine(n), "", requestA()})};
    }
    if (n == 7) {
        return {"Out of memory!", lines({"Not enough memory to complete the operation!",
                                         "Save your work! Then close any open programs and try again."})};
    }
    if (n == 10) {
        return {"Error!",
                lines({"The computer has been disconnected from the network.", "Try internet function latter."})};
    }
    if (n == 13) {
        return {"Error!", lines({"Type mismatch.", "", numberLine(n), "", requestA()})};
    }
    if (n == 51) {
        return {"Warning!", "Report error to system administrator (or to yourself)......"};
    }
    if (in(n, 52, 56) || n == 58 || n == 60 || in(n, 62, 66) || n == 69 || n == 70 || in(n, 73, 76)) {
        return {"System file error number " + std::to_string(n) + "!", desc};
    }
    if (n == 61) {
        return {"System disk error!", lines({"Disk is full!", "", "Change disks or delete ", "unwanted files!"})};
    }
    if (isAnyOf(n, {57, 68, 71, 72})) {
        return {"System disk error!",
                lines({"Disk not ready or unavailable!", "", "Check the disk before continuing."})};
    }
    if (n == 67) {
        return {"File handles error!", lines({"Not enough file handles to complete the operation! ",
                                              "Increase the FILES = number in your config.sys file."})};
    }
    if (n == 94) {
        return single("Language Error!", "Invalid use of Null! ");
    }
    if (in(n, 281, 297)) {
        return {"System DDE error!", desc};
    }
    if (in(n, 340, 344)) {
        return {"Control array error!", desc};
    }
    if (n == 380) {
        return {"Warning", lines({desc, "", "An object does not fully support my functions."})};
    }
    if (n == 482) {
        return {"Check printer.", lines({desc + ", " + desc, "", requestB()})};
    }
    if (n == 483) {
        return {"Warning", lines({desc, "", "Some printer properties were not set properly."})};
    }
    if (n == 484) {
        return {"Make sure that the printer is installed properly. Try printing from other programs.",
                lines({desc + ", " + desc, "", requestB()})};
    }
    if (n == 486) {
        return {"Printer Error.",
                lines({desc + ", " + desc, "", requestB("Thank you. (Let me know what printer you have.)")})};
    }
    if (n == 32755) {
        return single("Error", "You have cancelled the file operation.");
    }
    if (n == 35761) {
        return single("Error", "Request time out. Make sure that your computer is properly connected to internet.");
    }
    if (n == 35764) {
        return single("Error",
                      "Please be patient. The network is a bit slow. I am busy requesting information from the host.");
    }
    if (in(n, 35750, 35760) || n == 35762 || n == 35763 || in(n, 35765, 35878)) {
        return {"Network Error!",
                lines({"An unexpected network error has occurred.", "", numberLine(n), "", requestB()})};
    }
    if (in(n, 35896, 35904)) {
        return single("Gopher Error!", "Error accessing the gopher site.");
    }
    if (in(n, 35916, 35922)) {
        return single("HTTP Error!", "An error occurred while accessing the HTTP site.");
    }
    switch (n) {
    case 35923:
        return single("Network Error!", "Security channel error.");
    case 35924:
        return single("Network Error!", "Unable to cache file.");
    case 35927:
        return single("Network Error!", "You must confirm a server-supplied cookie before the download can proceed.");
    case 35928:
        return single("Network Error!", "A cookie supplied by the server was not accepted.");
    case 35930:
        return single("Network Error!", "The requested server was unable to be connected to. This was determined by "
                                        "receipt of a WSAEHOSTUNREACH error from WinSock.");
    case 35931:
        return single("Network Error!", "The requested proxy server was unable to be reached.");
    case 35932:
        return single("Network Error!",
                      "There is an error in the proxy auto-configuration script, so the script cannot be run.");
    case 35933:
        return single("Network Error!", "The required proxy auto-configuration file could not be retrieved.");
    case 35934:
        return single("Network Error!",
                      "You must confirm a protocol-level redirection before the download can proceed.");
    case 35935:
        return single("Network Error!", "The certificate is invalid.");
    case 35936:
        return single("Network Error!", "The certificate has been revoked.");
    case 35937:
        return single("Network Error!",
                      "The operation you attempted failed because it could not pass the security check.");
    default:
        break;
    }
    return {"Hmmm.. Something has gone wrong.",
            lines({"An unexpected error condition has occurred.", "", numberLine(n), "", requestB()})};
}

namespace {
// Depth of reporter calls in progress: a failure inside the reporter is
// reported through the reporter once more, but a failure inside that nested
// report gives up (answer None) instead of recursing without end.
int g_depth = 0;

struct DepthGuard {
    DepthGuard() { ++g_depth; }
    ~DepthGuard() { --g_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

constexpr std::string_view Module = "ErrHandler";
constexpr std::string_view Procedure = "ErrorHandler";
} // namespace

platform::Answer ErrorHandler(const platform::Error& error)
{
    if (g_depth >= 2) {
        return platform::Answer::None;
    }
    DepthGuard depth;
    shell::ErrorHandlerLink& link = mQuorin::Program().errorHandler();
    platform::Answer answer = platform::Answer::None;

    const platform::TracedExit exit{[&link] { return link.DebugMode(); },
                                    [&link] {
                                        link.TraceExit(Module, Procedure);
                                        link.PropagateError(shell::BoundaryNone);
                                    }};
    // The reporter's own failures go to the reporter in force (normally this
    // one, one level deeper).
    platform::guardedTraced(exit, [&](platform::TracedGuard& g) {
        g.step([&] { link.TraceEnter(Module, Procedure); });
        Report report;
        g.step([&] {
            report = ReportFor(error.number(), error.source());
            // A type mismatch that says which value failed (a text in a block
            // of numbers, say) tells the user what to fix: show it.
            if (error.number() == platform::err::TypeMismatch &&
                error.description() != platform::StandardDescription(error.number())) {
                report.text = lines({"Type mismatch.", "", error.description(), "", numberLine(error.number()), "",
                                     requestA()});
            }
        });
        g.step([&] { answer = platform::dialogs().MsgBox(report.text, ReportStyle, report.title); });
        g.step([&] { platform::rt::Files().CloseAll(); });
        g.step([&] { link.TraceExit(Module, Procedure); });
    });
    return answer;
}

void InstallAsReporter()
{
    platform::setReporter([](const platform::Error& e) { return ErrorHandler(e); });
}

} // namespace ErrHandler
