#pragma once

// Runs LibreOffice (soffice) without a window, as the tests that check our
// files with an independent reader do.
//
// Every run gets the profile folder the caller names (a folder of the
// test's temporary folder), so that runs in parallel never share a profile.
// A start on a profile folder that does not exist yet only makes the
// profile: soffice.bin then ends at once with status 81 ("restart") and
// without doing the work, and relies on its launcher to start it again. When
// that second start does not happen, or the first start on a fresh machine
// fails for another passing reason (font caches being built, the desktop
// settings store being made), the run is tried once more on the profile
// that now exists; what the first try said is kept in the failure message.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace testsupport {

// The soffice program on PATH, or nothing when LibreOffice is not installed.
std::optional<std::filesystem::path> sofficePath();

struct OfficeRun {
    std::filesystem::path program;   // soffice (tests of this helper pass a stand-in)
    std::filesystem::path profile;   // the profile folder; made by the first start
    std::vector<std::string> args;   // after -env:UserInstallation, --headless and --norestore
    std::filesystem::path workDir;   // the folder it runs in; empty: the current one
    // Whether the run did its work (the files it was to write are there);
    // without it, an exit status of 0 counts as done.
    std::function<bool()> done;
};

// Runs LibreOffice in a point-decimal locale (C.UTF-8) with the profile and
// the arguments, at most twice (see above), and succeeds when a run ends
// with status 0 and `done` holds. The failure names both tries' exit
// statuses and what the program wrote.
::testing::AssertionResult runOffice(const OfficeRun& run);

} // namespace testsupport
