#include "shell/core/IniQuorin.h"

#include <algorithm>
#include <system_error>

#include "platform/errors/Error.h"
#include "platform/profile/Profile.h"
#include "platform/runtime/Convert.h"
#include "shell/core/FileUtil.h"
#include "shell/core/mQuorin.h"

namespace shell {

namespace {
constexpr const char* RecentSection = "Recent Files";
constexpr const char* DefaultsSection = "Defaults";
} // namespace

IniQuorin::IniQuorin() : IniQuorin(std::filesystem::path(FileUtil::GetWinDir()) / "QUORIN.INI") {}

IniQuorin::IniQuorin(std::filesystem::path iniFile) : m_file(std::move(iniFile))
{
    m_maxRecent = readNumber(RecentSection, "MaxNumRecentFile");
    m_inType = readNumber(DefaultsSection, "InFileType");
    m_outType = readNumber(DefaultsSection, "OutFileType");
}

std::int16_t IniQuorin::readNumber(const std::string& section, const std::string& key) const
{
    // A number outside the 16-bit range (one too large for a double
    // included) is no usable setting: read it as 0.
    double v = 0;
    try {
        v = platform::rt::Val(ReadIni(section, key, m_file));
    } catch (const platform::Error&) {
        return 0;
    }
    if (!(v >= 0 && v <= 32767)) {
        return 0;
    }
    return platform::rt::CInt(v);
}

std::string IniQuorin::ReadIni(const std::string& section, const std::string& key,
                               const std::filesystem::path& iniFile) const
{
    return platform::profile::GetString(section, key, "", iniFile);
}

bool IniQuorin::WriteIniSuccess(const std::string& section, const std::string& key, const std::string& value,
                                const std::filesystem::path& iniFile)
{
    return platform::profile::WriteString(section, key, value, iniFile);
}

void IniQuorin::showList(RecentFileMenu& menu) const
{
    for (std::size_t i = 0; i < m_recent.size(); ++i) {
        menu.showEntry(static_cast<int>(i), std::to_string(i + 1) + ". " + m_recent[i]);
    }
    menu.hideEntriesFrom(static_cast<int>(m_recent.size()));
}

void IniQuorin::RecentFile(RecentFileMenu& menu)
{
    m_numRecent = readNumber(RecentSection, "NumRecentFile");
    if (m_numRecent == 0) {
        // Read again after the list was shown (a close that was cancelled),
        // an empty list leaves no entry that names a file.
        m_recent.clear();
        menu.hideEntriesFrom(0);
        return;
    }
    m_recent.assign(static_cast<std::size_t>(m_numRecent), std::string());
    for (int i = 0; i < m_numRecent; ++i) {
        m_recent[static_cast<std::size_t>(i)] = ReadIni(RecentSection, "File" + std::to_string(i + 1), m_file);
    }
    showList(menu);
}

void IniQuorin::AddMenu(RecentFileMenu& menu, const std::string& fileName)
{
    const auto found = std::find(m_recent.begin(), m_recent.end(), fileName);
    if (found == m_recent.begin() && !m_recent.empty()) {
        return;
    }
    if (found != m_recent.end()) {
        std::rotate(m_recent.begin(), found, found + 1);
    } else {
        if (m_maxRecent <= 0) {
            return;
        }
        if (static_cast<int>(m_recent.size()) >= m_maxRecent) {
            m_recent.pop_back();
        }
        m_recent.insert(m_recent.begin(), fileName);
        m_numRecent = static_cast<std::int16_t>(m_recent.size());
        if (!WriteIniSuccess(RecentSection, "NumRecentFile", std::to_string(m_numRecent), m_file)) {
            platform::RaiseError("WriteMenu", "Fail to write 'Recent Files' to QUORIN.INI");
            return;
        }
    }
    showList(menu);
    for (std::size_t i = 0; i < m_recent.size(); ++i) {
        if (!WriteIniSuccess(RecentSection, "File" + std::to_string(i + 1), m_recent[i], m_file)) {
            platform::RaiseError("WriteMenu", "Fail to write 'Recent Files' to QUORIN.INI");
            return;
        }
    }
}

namespace {

void createOneLevel(const std::string& folder)
{
    std::error_code ec;
    if (folder.empty() || std::filesystem::is_directory(folder, ec)) {
        return;
    }
    if (!std::filesystem::create_directory(folder, ec) || ec) {
        throw platform::Error::runtime(platform::err::PathNotFound, "WriteDefault");
    }
}

} // namespace

void IniQuorin::WriteDefault(std::int16_t maxRecent, std::string& dataDir, std::string& outDir, std::int16_t inType,
                             std::int16_t outType)
{
    auto write = [this](const char* section, const char* key, const std::string& value) {
        if (!WriteIniSuccess(section, key, value, m_file)) {
            platform::RaiseError("WriteDefault", "Failed to write QUORIN.INI file.");
            return false;
        }
        return true;
    };
    if (!write(RecentSection, "MaxNumRecentFile", std::to_string(maxRecent))) {
        return;
    }
    m_maxRecent = maxRecent;
    if (!write(DefaultsSection, "DataDir", dataDir)) {
        return;
    }
    createOneLevel(dataDir);
    if (!dataDir.empty()) {
        std::error_code ec;
        std::filesystem::current_path(dataDir, ec);
    }
    mQuorin::Program().gDataDir = dataDir;
    if (!write(DefaultsSection, "OutDir", outDir)) {
        return;
    }
    createOneLevel(outDir);
    mQuorin::Program().gOutDir = outDir;
    if (!write(DefaultsSection, "InFileType", std::to_string(inType))) {
        return;
    }
    m_inType = inType;
    if (!write(DefaultsSection, "OutFileType", std::to_string(outType))) {
        return;
    }
    m_outType = outType;
}

std::string IniQuorin::DataDir() const
{
    return ReadIni(DefaultsSection, "DataDir", m_file);
}

std::string IniQuorin::OutDir() const
{
    return ReadIni(DefaultsSection, "OutDir", m_file);
}

const std::string& IniQuorin::RecentFileAt(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_recent.size())) {
        throw platform::Error::runtime(platform::err::Subscript, "RecentFile");
    }
    return m_recent[static_cast<std::size_t>(index)];
}

} // namespace shell
