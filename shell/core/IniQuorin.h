#pragma once

// The program's settings file QUORIN.INI in the settings folder: the list of
// recently opened workbooks with its length limit, and the defaults (data and
// output folders, input and output file types).
//
//   [Recent Files]  NumRecentFile, MaxNumRecentFile, File1 (newest) .. FileN
//   [Defaults]      DataDir, OutDir, InFileType, OutFileType
//
// Values are kept whole, however long. Numbers are read as the number at the
// start of the text (0 when there is none) and held as 16-bit integers.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace shell {

// The menu that shows the recent-file list: entry i shows caption
// "<i + 1>. <path>", visible and enabled. Entry 0 always exists (hidden until
// the list has an entry); later entries are created as the list grows.
// Entries from `count` on are hidden, so that none names a file past the list.
class RecentFileMenu {
public:
    virtual ~RecentFileMenu() = default;
    virtual void showEntry(int index, const std::string& caption) = 0;
    virtual void hideEntriesFrom(int count) = 0;
};

class IniQuorin {
public:
    // Reads the limit and the file types; writes nothing. The default file is
    // QUORIN.INI in FileUtil::GetWinDir().
    IniQuorin();
    explicit IniQuorin(std::filesystem::path iniFile);

    // Loads the list from the file and shows it in the menu.
    void RecentFile(RecentFileMenu& menu);
    // Puts a file at the top of the list, shows the list and writes it back.
    // A file already in the list moves to the top. A new file pushes every
    // entry down one; the list grows while it is shorter than the maximum,
    // else its last entry drops out, so a list longer than a lowered maximum
    // keeps its length. With a maximum of 0 no new file is taken. Raises
    // "WriteMenu" / "Fail to write 'Recent Files' to QUORIN.INI" when the
    // file cannot be written.
    void AddMenu(RecentFileMenu& menu, const std::string& fileName);
    bool WriteIniSuccess(const std::string& section, const std::string& key, const std::string& value,
                         const std::filesystem::path& iniFile);
    [[nodiscard]] std::string ReadIni(const std::string& section, const std::string& key,
                                      const std::filesystem::path& iniFile) const;
    // Stores the defaults in order, creating each folder (one level) and
    // setting the program's data and output folders; the data folder becomes
    // the current folder. Raises "WriteDefault" / "Failed to write QUORIN.INI
    // file." at the first failed write, 76 when a folder cannot be created.
    void WriteDefault(std::int16_t maxRecent, std::string& dataDir, std::string& outDir, std::int16_t inType,
                      std::int16_t outType);

    [[nodiscard]] std::int16_t MaxNumRecentFile() const { return m_maxRecent; }
    [[nodiscard]] std::int16_t NumRecentFile() const { return m_numRecent; }
    [[nodiscard]] std::string InFileType() const { return std::to_string(m_inType); }
    [[nodiscard]] std::string OutFileType() const { return std::to_string(m_outType); }
    [[nodiscard]] std::string DataDir() const;
    [[nodiscard]] std::string OutDir() const;
    // The recent file at a 0-based position; error 9 outside the list.
    [[nodiscard]] const std::string& RecentFileAt(int index) const;
    [[nodiscard]] const std::filesystem::path& fileName() const { return m_file; }

private:
    [[nodiscard]] std::int16_t readNumber(const std::string& section, const std::string& key) const;
    void showList(RecentFileMenu& menu) const;

    std::filesystem::path m_file;
    std::int16_t m_numRecent = 0;
    std::int16_t m_maxRecent = 0;
    std::int16_t m_inType = 0;
    std::int16_t m_outType = 0;
    std::vector<std::string> m_recent;
};

} // namespace shell
