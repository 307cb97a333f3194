#pragma once

// Reads back the PDF files our printer writes with an independent reader:
// poppler's pdftotext and pdfinfo, which the test command installs.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace testsupport {

// Standard output of a shell command, or nothing when it could not run or
// ended with a non-zero status.
inline std::optional<std::string> commandOutput(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) {
        return std::nullopt;
    }
    std::string out;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) {
        out.append(buffer, n);
    }
    if (::pclose(pipe.release()) != 0) {
        return std::nullopt;
    }
    return out;
}

inline bool hasPoppler()
{
    return commandOutput("command -v pdftotext >/dev/null 2>&1 && command -v pdfinfo >/dev/null 2>&1 && echo yes")
        .has_value();
}

// The text of every page, pages separated by form feeds.
inline std::optional<std::string> pdfText(const std::filesystem::path& pdf)
{
    return commandOutput("pdftotext -layout '" + pdf.string() + "' - 2>/dev/null");
}

// The page count from pdfinfo, or -1.
inline int pdfPageCount(const std::filesystem::path& pdf)
{
    const auto info = commandOutput("pdfinfo '" + pdf.string() + "' 2>/dev/null");
    if (!info) {
        return -1;
    }
    const auto at = info->find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info->substr(at + 6));
}

} // namespace testsupport
