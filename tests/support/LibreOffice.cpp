#include "tests/support/LibreOffice.h"

#include <sys/wait.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

#include "tests/support/TestSupport.h"

namespace testsupport {

namespace {

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

struct Attempt {
    int status = -1;
    bool done = false;
    std::string output;
};

Attempt attempt(const OfficeRun& run, const std::filesystem::path& log)
{
    std::string command;
    if (!run.workDir.empty()) {
        command += "cd " + quoted(run.workDir.string()) + " && ";
    }
    // A run that hangs ends after five minutes (status 124).
    command += "LC_ALL=C.UTF-8 timeout 300 " + quoted(run.program.string()) + " " +
               quoted("-env:UserInstallation=file://" + run.profile.string()) + " --headless --norestore";
    for (const std::string& arg : run.args) {
        command += " " + quoted(arg);
    }
    command += " >" + quoted(log.string()) + " 2>&1 </dev/null";
    Attempt a;
    const int raw = std::system(command.c_str());
    a.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    a.done = a.status == 0 && (!run.done || run.done());
    a.output = readFile(log);
    return a;
}

} // namespace

std::optional<std::filesystem::path> sofficePath()
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::filesystem::path candidate = std::filesystem::path(dir) / "soffice";
        std::error_code ec;
        if (!dir.empty() && std::filesystem::is_regular_file(candidate, ec)) {
            return candidate;
        }
    }
    return std::nullopt;
}

::testing::AssertionResult runOffice(const OfficeRun& run)
{
    const std::filesystem::path log = run.profile.string() + ".log";
    const Attempt first = attempt(run, log);
    if (first.done) {
        return ::testing::AssertionSuccess();
    }
    const Attempt second = attempt(run, log);
    if (second.done) {
        std::cerr << "LibreOffice did its work on the second start; the first ended with status " << first.status
                  << (first.output.empty() ? std::string() : ":\n" + first.output) << "\n";
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << run.program.string() << " failed twice on the profile " << run.profile.string() << ": status "
           << first.status << ", then " << second.status << (second.status == 0 ? " without its output" : "")
           << "\nfirst: " << first.output << "\nsecond: " << second.output;
}

} // namespace testsupport
