#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/registry/FileRegistry.h"
#include "platform/registry/HiveData.h"
#include "platform/registry/MemoryRegistry.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestSupport.h"

namespace reg = platform::registry;
using reg::Hive;

namespace {

constexpr const char* kClient = "Software\\Vantorel\\Keelwise\\Client Applications\\Quorin";

reg::Key open(reg::Registry& r, Hive hive, const std::string& path, std::uint32_t access)
{
    reg::Key key;
    EXPECT_EQ(r.createKey(hive, path, access, key), reg::code::Success);
    return key;
}

// Runs the same checks on both implementations.
class RegistryKinds : public ::testing::TestWithParam<bool> {
protected:
    reg::Registry& registry()
    {
        if (GetParam()) {
            if (!m_file) {
                m_file = std::make_unique<reg::FileRegistry>(m_dir.path() / "hives");
            }
            return *m_file;
        }
        return m_memory;
    }

    testsupport::TempDir m_dir;
    reg::MemoryRegistry m_memory;
    std::unique_ptr<reg::FileRegistry> m_file;
};

} // namespace

TEST_P(RegistryKinds, MissingValueAnswersNotFoundAndOpeningCreatesTheKey)
{
    auto& r = registry();
    const reg::Key key = open(r, Hive::LocalMachine, kClient, reg::KeyRead);
    reg::Value v;
    EXPECT_EQ(r.queryValue(key, "LogPath", v), reg::code::NotFound);
    reg::Key again;
    EXPECT_EQ(r.createKey(Hive::LocalMachine, "software\\VANTOREL\\keelwise\\client applications\\quorin",
                          reg::KeyRead, again),
              reg::code::Success);
}

TEST_P(RegistryKinds, NamesCompareWithoutCaseAndKeepTheirSpelling)
{
    auto& r = registry();
    const reg::Key w = open(r, Hive::CurrentUser, "Software\\A\\FDiags", reg::KeyWrite);
    ASSERT_EQ(r.setValue(w, "Trace Font Face", reg::Value::string("Lucida Console")), reg::code::Success);
    const reg::Key rd = open(r, Hive::CurrentUser, "SOFTWARE\\a\\fdiags", reg::KeyRead);
    reg::Value v;
    ASSERT_EQ(r.queryValue(rd, "TRACE FONT FACE", v), reg::code::Success);
    EXPECT_EQ(v, reg::Value::string("Lucida Console"));
    ASSERT_EQ(r.setValue(w, "trace font face", reg::Value::string("Mono")), reg::code::Success);
    ASSERT_EQ(r.queryValue(rd, "Trace Font Face", v), reg::code::Success);
    EXPECT_EQ(v, reg::Value::string("Mono"));
}

TEST_P(RegistryKinds, SettingThroughAReadOnlyKeyIsAccessDenied)
{
    auto& r = registry();
    const reg::Key key = open(r, Hive::LocalMachine, kClient, reg::KeyRead);
    EXPECT_EQ(r.setValue(key, "LogPath", reg::Value::string("/tmp/")), reg::code::AccessDenied);
    const reg::Key closed;
    reg::Value v;
    EXPECT_EQ(r.queryValue(closed, "LogPath", v), reg::code::AccessDenied);
}

TEST_P(RegistryKinds, DeleteKeyRemovesItsSubkeysOnly)
{
    auto& r = registry();
    const reg::Key a = open(r, Hive::LocalMachine, "Software\\Classes\\CLSID\\{X}\\InprocServer32", reg::KeyWrite);
    ASSERT_EQ(r.setValue(a, "", reg::Value::string("/lib/x.so")), reg::code::Success);
    const reg::Key b = open(r, Hive::LocalMachine, "Software\\Classes\\CLSID\\{XY}", reg::KeyWrite);
    ASSERT_EQ(r.setValue(b, "", reg::Value::string("keep")), reg::code::Success);
    EXPECT_EQ(r.deleteKey(Hive::LocalMachine, "software\\classes\\clsid\\{x}"), reg::code::Success);
    EXPECT_EQ(r.deleteKey(Hive::LocalMachine, "Software\\Classes\\CLSID\\{X}"), reg::code::NotFound);
    reg::Value v;
    const reg::Key b2 = open(r, Hive::LocalMachine, "Software\\Classes\\CLSID\\{XY}", reg::KeyRead);
    EXPECT_EQ(r.queryValue(b2, "", v), reg::code::Success);
}

INSTANTIATE_TEST_SUITE_P(MemoryAndFile, RegistryKinds, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "File" : "Memory"; });

TEST(HiveData, TextFormRoundTripsEveryKindOfValue)
{
    reg::detail::HiveData hive;
    hive.createKey("Software\\K");
    const std::vector<std::pair<std::string, reg::Value>> rows = {
        {"plain", reg::Value::string("C:\\dir \"quoted\"")},
        {"empty", reg::Value::string("")},
        {"controls", reg::Value::string("a\r\nb\tc\x01")},
        {"utf8", reg::Value::string("Gr\xc3\xbc\xc3\x9f" "e")},
        {"dword", reg::Value::dword(0xFFFFFFFFu)},
        {"binary", reg::Value::binary({0x00, 0xFF, 0x10})},
        {"emptyBinary", reg::Value::binary({})},
        {"odd", reg::Value{7, {0x41, 0x00, 0x00}}},
        {"shortDword", reg::Value{reg::RegDword, {1, 2}}},
        {"szWithoutZero", reg::Value{reg::RegSz, {0x41}}},
        {"", reg::Value::string("default")},
    };
    for (const auto& [name, value] : rows) {
        hive.setValue("Software\\K", name, value);
    }
    const auto back = reg::detail::HiveData::fromText(hive.toText());
    ASSERT_TRUE(back.has_value());
    for (const auto& [name, value] : rows) {
        const auto* v = back->value("software\\k", name);
        ASSERT_NE(v, nullptr) << name;
        EXPECT_EQ(v->value, value) << name;
        EXPECT_EQ(v->name, name);
    }
    EXPECT_EQ(back->toText(), hive.toText());
}

TEST(HiveData, MalformedTextIsRefused)
{
    const std::vector<std::string> bad = {
        "not a hive\n",
        "Tessaray registry hive 1\n\"v\"=\"orphan\"\n",
        "Tessaray registry hive 1\n[K]\n\"v\"=dword:123\n",
        "Tessaray registry hive 1\n[K]\n\"v\"=hex:1\n",
        "Tessaray registry hive 1\n[K]\n\"v=\"x\"\n",
        "Tessaray registry hive 1\n[K\n",
    };
    for (const auto& text : bad) {
        EXPECT_FALSE(reg::detail::HiveData::fromText(text).has_value()) << text;
    }
}

TEST(MemoryRegistry, HiveWithoutRightsRefusesCreationAndWritesButReadsExistingKeys)
{
    reg::MemoryRegistry r;
    const reg::Key w = open(r, Hive::LocalMachine, kClient, reg::KeyWrite);
    ASSERT_EQ(r.setValue(w, "LogPath", reg::Value::string("#/var/log/")), reg::code::Success);
    r.setWritable(Hive::LocalMachine, false);

    reg::Key key;
    EXPECT_EQ(r.createKey(Hive::LocalMachine, kClient, reg::KeyWrite, key), reg::code::AccessDenied);
    EXPECT_EQ(r.createKey(Hive::LocalMachine, "Software\\Other", reg::KeyRead, key), reg::code::AccessDenied);
    EXPECT_EQ(r.setValue(w, "LogPath", reg::Value::string("x")), reg::code::AccessDenied);
    ASSERT_EQ(r.createKey(Hive::LocalMachine, kClient, reg::KeyRead, key), reg::code::Success);
    reg::Value v;
    ASSERT_EQ(r.queryValue(key, "LogPath", v), reg::code::Success);
    EXPECT_EQ(v, reg::Value::string("#/var/log/"));
    // The user hive is not affected.
    EXPECT_EQ(r.createKey(Hive::CurrentUser, "Software\\Other", reg::KeyWrite, key), reg::code::Success);
}

TEST(FileRegistry, ValuesSurviveInAFreshInstance)
{
    testsupport::TempDir dir;
    {
        reg::FileRegistry r(dir.path());
        const reg::Key w = open(r, Hive::LocalMachine, kClient, reg::KeyWrite);
        ASSERT_EQ(r.setValue(w, "Trace", reg::Value::dword(1)), reg::code::Success);
    }
    reg::FileRegistry again(dir.path());
    const reg::Key k = open(again, Hive::LocalMachine, kClient, reg::KeyRead);
    reg::Value v;
    ASSERT_EQ(again.queryValue(k, "trace", v), reg::code::Success);
    EXPECT_EQ(v, reg::Value::dword(1));
    const std::string text = testsupport::readFile(dir.file("machine.hive"));
    EXPECT_NE(text.find("[Software\\Vantorel\\Keelwise\\Client Applications\\Quorin]\n\"Trace\"=dword:00000001\n"),
              std::string::npos)
        << text;
    EXPECT_FALSE(std::filesystem::exists(dir.file("user.hive")));
}

TEST(FileRegistry, CorruptHiveIsReportedAndNeverOverwritten)
{
    testsupport::TempDir dir;
    const std::string garbage = "this is not a hive\n[half";
    testsupport::writeFile(dir.file("machine.hive"), garbage);
    reg::FileRegistry r(dir.path());
    reg::Key key;
    EXPECT_EQ(r.createKey(Hive::LocalMachine, kClient, reg::KeyWrite, key), reg::code::BadDatabase);
    EXPECT_EQ(testsupport::readFile(dir.file("machine.hive")), garbage);
}

TEST(FileRegistry, ConcurrentWritersLoseNoKeys)
{
    testsupport::TempDir dir;
    constexpr int kThreads = 4;
    constexpr int kKeysEach = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            reg::FileRegistry r(dir.path());  // each writer has its own instance, as separate processes would
            for (int i = 0; i < kKeysEach; ++i) {
                reg::Key key;
                const std::string path = "Software\\T" + std::to_string(t) + "\\K" + std::to_string(i);
                if (r.createKey(Hive::CurrentUser, path, reg::KeyWrite, key) == reg::code::Success) {
                    (void)r.setValue(key, "n", reg::Value::dword(static_cast<std::uint32_t>(i)));
                }
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    reg::FileRegistry r(dir.path());
    int found = 0;
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kKeysEach; ++i) {
            reg::Key key;
            ASSERT_EQ(r.createKey(Hive::CurrentUser, "Software\\T" + std::to_string(t) + "\\K" + std::to_string(i),
                                  reg::KeyRead, key),
                      reg::code::Success);
            reg::Value v;
            found += r.queryValue(key, "N", v) == reg::code::Success && v == reg::Value::dword(static_cast<std::uint32_t>(i));
        }
    }
    EXPECT_EQ(found, kThreads * kKeysEach);
}

TEST(FileRegistry, DefaultFolderFollowsTheEnvironment)
{
    const char* saved = std::getenv("TESSARAY_REGISTRY_DIR");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::setenv("TESSARAY_REGISTRY_DIR", "/tmp/hives-here", 1);
    EXPECT_EQ(reg::defaultFolder(), std::filesystem::path("/tmp/hives-here"));
    ::unsetenv("TESSARAY_REGISTRY_DIR");
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string xdgValue = xdg != nullptr ? xdg : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(reg::defaultFolder(), std::filesystem::path("/tmp/cfg/tessaray/registry"));
    if (xdg != nullptr) {
        ::setenv("XDG_CONFIG_HOME", xdgValue.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
    if (saved != nullptr) {
        ::setenv("TESSARAY_REGISTRY_DIR", savedValue.c_str(), 1);
    }
}
