#include "shell/core/IniQuorin.h"

#include <map>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "shell/core/mQuorin.h"
#include "tests/support/TestSupport.h"

namespace {

struct MenuRecorder final : shell::RecentFileMenu {
    std::map<int, std::string> entries;
    void showEntry(int index, const std::string& caption) override { entries[index] = caption; }
    void hideEntriesFrom(int count) override { entries.erase(entries.lower_bound(count), entries.end()); }
};

} // namespace

TEST(IniQuorin, WithoutASettingsFileNothingIsAddedOrWritten)
{
    testsupport::TempDir dir;
    const auto ini = dir.file("QUORIN.INI");
    shell::IniQuorin settings(ini);
    MenuRecorder menu;
    settings.RecentFile(menu);
    EXPECT_EQ(settings.MaxNumRecentFile(), 0);
    settings.AddMenu(menu, "/a.xls");
    EXPECT_TRUE(menu.entries.empty());
    EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST(IniQuorin, RecentListKeepsNewestFirstWithinTheLimit)
{
    testsupport::TempDir dir;
    const auto ini = dir.file("QUORIN.INI");
    testsupport::writeFile(ini, "[Recent Files]\r\nMaxNumRecentFile=4\r\n");
    shell::IniQuorin settings(ini);
    MenuRecorder menu;
    settings.RecentFile(menu);
    for (const char* f : {"/1.xls", "/2.xls", "/3.xls", "/4.xls"}) {
        settings.AddMenu(menu, f);
    }
    EXPECT_EQ(menu.entries[0], "1. /4.xls");
    EXPECT_EQ(menu.entries[3], "4. /1.xls");
    settings.AddMenu(menu, "/5.xls");
    EXPECT_EQ(settings.NumRecentFile(), 4);
    EXPECT_EQ(settings.RecentFileAt(0), "/5.xls");
    EXPECT_EQ(settings.RecentFileAt(3), "/2.xls") << "the oldest drops out";

    const std::string before = testsupport::readFile(ini);
    settings.AddMenu(menu, "/5.xls");
    EXPECT_EQ(testsupport::readFile(ini), before) << "the top file again changes nothing";

    settings.AddMenu(menu, "/3.xls");
    EXPECT_EQ(menu.entries[0], "1. /3.xls");
    EXPECT_EQ(menu.entries[1], "2. /5.xls");
    EXPECT_EQ(menu.entries[2], "3. /4.xls");

    // A new object (the next run) reads the same list back.
    shell::IniQuorin again(ini);
    MenuRecorder menu2;
    again.RecentFile(menu2);
    EXPECT_EQ(menu2.entries, menu.entries);
    EXPECT_THROW((void)again.RecentFileAt(4), platform::Error);
}

TEST(IniQuorin, LongPathsComeBackWhole)
{
    testsupport::TempDir dir;
    const auto ini = dir.file("QUORIN.INI");
    testsupport::writeFile(ini, "[Recent Files]\r\nMaxNumRecentFile=4\r\n");
    shell::IniQuorin settings(ini);
    MenuRecorder menu;
    const std::string longPath = "/" + std::string(59, 'x');
    settings.AddMenu(menu, longPath);
    shell::IniQuorin again(ini);
    again.RecentFile(menu);
    EXPECT_EQ(again.RecentFileAt(0), longPath);
}

TEST(IniQuorin, WriteDefaultStoresFoldersTypesAndProgramState)
{
    testsupport::TempDir dir;
    const auto ini = dir.file("QUORIN.INI");
    mQuorin::ProgramState state;
    mQuorin::ProgramScope scope(state);
    const auto cwd = std::filesystem::current_path();
    shell::IniQuorin settings(ini);
    std::string data = dir.file("data").string();
    std::string out = dir.file("out").string();
    settings.WriteDefault(4, data, out, 2, 5);
    std::filesystem::current_path(cwd);
    EXPECT_EQ(settings.MaxNumRecentFile(), 4);
    EXPECT_EQ(settings.InFileType(), "2");
    EXPECT_EQ(settings.OutFileType(), "5");
    EXPECT_EQ(settings.DataDir(), data);
    EXPECT_EQ(settings.OutDir(), out);
    EXPECT_TRUE(std::filesystem::is_directory(data));
    EXPECT_EQ(state.gDataDir, data);
    EXPECT_EQ(state.gOutDir, out);
    shell::IniQuorin again(ini);
    EXPECT_EQ(again.MaxNumRecentFile(), 4);
    EXPECT_EQ(again.OutFileType(), "5");

    std::string twoLevels = dir.file("a/b").string();
    try {
        settings.WriteDefault(4, twoLevels, out, 0, 0);
        FAIL();
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 76);
    }
    std::filesystem::current_path(cwd);
}

TEST(IniQuorin, FailedWriteRaisesTheTrail)
{
    testsupport::TempDir dir;
    const auto blocker = dir.file("not-a-folder");
    testsupport::writeFile(blocker, "x");
    shell::IniQuorin settings(blocker / "QUORIN.INI");
    std::string data = dir.path().string();
    std::string out = data;
    try {
        settings.WriteDefault(4, data, out, 0, 0);
        FAIL();
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.source(), "WriteDefault");
        EXPECT_EQ(e.description(), "Failed to write QUORIN.INI file.");
    }
}

TEST(IniQuorin, NumbersOutOfRangeReadAsZero)
{
    struct Row {
        const char* name;
        const char* value;
        std::int16_t expected;
    };
    const Row rows[] = {
        {"plain", "7", 7},           {"too large for a double", "1e400", 0}, {"underflow", "1e-400", 0},
        {"negative", "-3", 0},       {"beyond 16 bits", "40000", 0},         {"hexadecimal overflow", "&HFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", 0},
    };
    for (const auto& r : rows) {
        testsupport::TempDir dir;
        const auto ini = dir.file("QUORIN.INI");
        testsupport::writeFile(ini, std::string("[Recent Files]\r\nMaxNumRecentFile=") + r.value +
                                        "\r\n[Defaults]\r\nInFileType=" + r.value + "\r\n");
        const shell::IniQuorin settings(ini);
        EXPECT_EQ(settings.MaxNumRecentFile(), r.expected) << r.name;
        EXPECT_EQ(settings.InFileType(), std::to_string(r.expected)) << r.name;
    }
}

TEST(IniQuorin, AddingAFileKeepsTheListLengthAndMovesEntriesDown)
{
    struct Row {
        const char* name;
        int max;
        std::vector<std::string> stored;
        std::string opened;
        std::vector<std::string> expected;
    };
    const std::vector<std::string> four = {"/1", "/2", "/3", "/4"};
    const Row rows[] = {
        {"a listed file moves up past a lowered maximum", 2, four, "/3", {"/3", "/1", "/2", "/4"}},
        {"a short list grows", 4, {"/1", "/2"}, "/5", {"/5", "/1", "/2"}},
        {"a maximum of 0 takes no new file", 0, four, "/5", four},
        {"a maximum of 0 still moves a listed file up", 0, four, "/2", {"/2", "/1", "/3", "/4"}},
    };
    for (const Row& r : rows) {
        testsupport::TempDir dir;
        const auto ini = dir.file("QUORIN.INI");
        std::string text = "[Recent Files]\r\nMaxNumRecentFile=" + std::to_string(r.max) +
                           "\r\nNumRecentFile=" + std::to_string(r.stored.size()) + "\r\n";
        for (std::size_t i = 0; i < r.stored.size(); ++i) {
            text += "File" + std::to_string(i + 1) + "=" + r.stored[i] + "\r\n";
        }
        testsupport::writeFile(ini, text);
        shell::IniQuorin settings(ini);
        MenuRecorder menu;
        settings.RecentFile(menu);
        settings.AddMenu(menu, r.opened);
        shell::IniQuorin again(ini);
        MenuRecorder reread;
        again.RecentFile(reread);
        std::map<int, std::string> expected;
        for (std::size_t i = 0; i < r.expected.size(); ++i) {
            expected[static_cast<int>(i)] = std::to_string(i + 1) + ". " + r.expected[i];
        }
        EXPECT_EQ(menu.entries, expected) << r.name;
        EXPECT_EQ(reread.entries, expected) << r.name << ": the settings file holds the same list";
    }
}
