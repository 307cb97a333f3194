#pragma once

// Reads back the PDF files our printer writes with an independent reader:
// poppler's pdftotext and pdfinfo, which the test command installs.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

// One word that pdftotext -bbox found, and the box of its page, in points.
struct PdfWord {
    std::string text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
    double pageWidth = 0;
    double pageHeight = 0;

    [[nodiscard]] bool insidePage() const
    {
        return xMin >= 0 && yMin >= 0 && xMax <= pageWidth && yMax <= pageHeight && xMax > xMin && yMax > yMin;
    }
    // The height of its letters, also when the word runs up the page (an
    // axis title turned on its side).
    [[nodiscard]] double height() const { return std::min(yMax - yMin, xMax - xMin); }
};

// The words of every page with their boxes (pdftotext -bbox), or nothing
// when the reader could not run.
inline std::optional<std::vector<PdfWord>> pdfWords(const std::filesystem::path& pdf)
{
    const auto html = commandOutput("pdftotext -bbox '" + pdf.string() + "' - 2>/dev/null");
    if (!html) {
        return std::nullopt;
    }
    const auto attribute = [](const std::string& tag, const char* name) {
        const std::string key = std::string(" ") + name + "=\"";
        const auto at = tag.find(key);
        return at == std::string::npos ? 0.0 : std::stod(tag.substr(at + key.size()));
    };
    std::vector<PdfWord> words;
    double width = 0;
    double height = 0;
    std::size_t at = 0;
    while ((at = html->find('<', at)) != std::string::npos) {
        const std::size_t end = html->find('>', at);
        if (end == std::string::npos) {
            break;
        }
        const std::string tag = html->substr(at, end - at + 1);
        if (tag.rfind("<page ", 0) == 0) {
            width = attribute(tag, "width");
            height = attribute(tag, "height");
        } else if (tag.rfind("<word ", 0) == 0) {
            const std::size_t close = html->find("</word>", end);
            PdfWord w;
            w.text = html->substr(end + 1, close - end - 1);
            w.xMin = attribute(tag, "xMin");
            w.yMin = attribute(tag, "yMin");
            w.xMax = attribute(tag, "xMax");
            w.yMax = attribute(tag, "yMax");
            w.pageWidth = width;
            w.pageHeight = height;
            words.push_back(std::move(w));
        }
        at = end + 1;
    }
    return words;
}

} // namespace testsupport
