#include "platform/profile/Profile.h"

#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/runtime/AsciiCase.h"

namespace platform::profile {

namespace {

std::string trim(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t");
    return std::string(s.substr(first, last - first + 1));
}

std::vector<std::string> readLines(const std::filesystem::path& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return lines;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// The section name of a "[Name]" line, or nothing.
std::optional<std::string> sectionOf(const std::string& line)
{
    const std::string t = trim(line);
    if (t.size() >= 2 && t.front() == '[') {
        const auto close = t.find(']');
        if (close != std::string::npos) {
            return trim(std::string_view(t).substr(1, close - 1));
        }
    }
    return std::nullopt;
}

// The key of a "Key=Value" line, or nothing.
std::optional<std::string> keyOf(const std::string& line)
{
    const std::string t = trim(line);
    if (t.empty() || t.front() == ';') {
        return std::nullopt;
    }
    const auto eq = t.find('=');
    if (eq == std::string::npos) {
        return std::nullopt;
    }
    return trim(std::string_view(t).substr(0, eq));
}

std::string valueOf(const std::string& line)
{
    const auto eq = line.find('=');
    std::string v = trim(std::string_view(line).substr(eq + 1));
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\''))) {
        v = v.substr(1, v.size() - 2);
    }
    return v;
}

} // namespace

std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                      const std::filesystem::path& file)
{
    bool inSection = false;
    for (const auto& line : readLines(file)) {
        if (const auto s = sectionOf(line)) {
            inSection = rt::equalsNoCase(*s, section);
            continue;
        }
        if (inSection) {
            if (const auto k = keyOf(line); k && rt::equalsNoCase(*k, key)) {
                return valueOf(line);
            }
        }
    }
    return std::string(defaultValue);
}

bool WriteString(std::string_view section, std::string_view key, std::optional<std::string_view> value,
                 const std::filesystem::path& file)
{
    std::vector<std::string> lines = readLines(file);
    std::ptrdiff_t sectionLine = -1;
    std::ptrdiff_t sectionEnd = -1;  // one past the section's last non-blank line
    std::ptrdiff_t keyLine = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto s = sectionOf(lines[i])) {
            if (sectionLine >= 0) {
                break;  // the end of our section
            }
            if (rt::equalsNoCase(*s, section)) {
                sectionLine = static_cast<std::ptrdiff_t>(i);
                sectionEnd = sectionLine + 1;
            }
            continue;
        }
        if (sectionLine >= 0) {
            if (!trim(lines[i]).empty()) {
                sectionEnd = static_cast<std::ptrdiff_t>(i) + 1;
            }
            if (keyLine < 0) {
                if (const auto k = keyOf(lines[i]); k && rt::equalsNoCase(*k, key)) {
                    keyLine = static_cast<std::ptrdiff_t>(i);
                }
            }
        }
    }
    const std::string entry = std::string(key) + "=" + (value ? std::string(*value) : std::string());
    if (keyLine >= 0) {
        if (value) {
            lines[static_cast<std::size_t>(keyLine)] = entry;
        } else {
            lines.erase(lines.begin() + keyLine);
        }
    } else if (value) {
        if (sectionLine >= 0) {
            lines.insert(lines.begin() + sectionEnd, entry);
        } else {
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(entry);
        }
    } else {
        return true;
    }

    // Write to a temporary file beside the target, then move it into place,
    // so a failed write never leaves a half-written settings file.
    std::error_code ec;
    if (!file.parent_path().empty()) {
        std::filesystem::create_directories(file.parent_path(), ec);
    }
    const auto temp = std::filesystem::path(file.string() + ".tmp");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        for (const auto& line : lines) {
            out << line << "\r\n";
        }
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace platform::profile
