#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/com/Com.h"
#include "platform/errors/Error.h"
#include "platform/registry/FileRegistry.h"
#include "platform/registry/MemoryRegistry.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ErrorAssert.h"

namespace com = platform::com;
namespace reg = platform::registry;

namespace {

constexpr const char* kClsid = "{ABCDEF00-1111-2222-3333-444444444444}";

class ComTest : public ::testing::Test {
protected:
    ComTest() : m_scope(m_registry) {}
    reg::MemoryRegistry m_registry;
    reg::ScopedRegistry m_scope;
    // No installation's registration unless a test makes one.
    testsupport::TempDir m_machine;
    testsupport::ScopedEnv m_machineDir{"TESSARAY_MACHINE_REGISTRY_DIR", m_machine.path().string()};
};

} // namespace

TEST_F(ComTest, RegistrationWritesTheClassKeysAndUnregistrationRemovesThem)
{
    ASSERT_EQ(com::RegisterClass(kClsid, "Lib.Thing", "/opt/lib/libthing.so"), 0);
    EXPECT_EQ(com::ServerPath(kClsid), std::filesystem::path("/opt/lib/libthing.so"));
    // Identifiers compare without case, as key names do.
    EXPECT_EQ(com::ServerPath("{abcdef00-1111-2222-3333-444444444444}"), com::ServerPath(kClsid));
    const std::string hive = m_registry.text(reg::Hive::LocalMachine);
    EXPECT_NE(hive.find("[Software\\Classes\\CLSID\\{ABCDEF00-1111-2222-3333-444444444444}]\n@=\"Lib.Thing\"\n"),
              std::string::npos)
        << hive;
    EXPECT_NE(hive.find("\\InprocServer32]\n@=\"/opt/lib/libthing.so\"\n\"ThreadingModel\"=\"Apartment\"\n"),
              std::string::npos)
        << hive;

    ASSERT_EQ(com::UnregisterClass(kClsid), 0);
    EXPECT_FALSE(com::ServerPath(kClsid).has_value());
    EXPECT_EQ(com::UnregisterClass(kClsid), 0);  // already gone is fine
}

TEST_F(ComTest, LookingUpAnUnknownClassLeavesNoKeyBehind)
{
    const std::string before = m_registry.text(reg::Hive::LocalMachine);
    EXPECT_FALSE(com::ServerPath("{DEADBEEF-0000-0000-0000-000000000000}").has_value());
    EXPECT_EQ(m_registry.text(reg::Hive::LocalMachine), before);
}

TEST_F(ComTest, ClassesThatCannotBeCreatedAreError429)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("not-a-library.so"), "plain text");
    struct Row {
        const char* name;
        std::string path;  // empty: not registered
    };
    const std::vector<Row> rows = {
        {"not registered", ""},
        {"missing file", (dir.path() / "gone.so").string()},
        {"not a shared library", dir.file("not-a-library.so").string()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(com::UnregisterClass(kClsid), 0);
        if (!row.path.empty()) {
            ASSERT_EQ(com::RegisterClass(kClsid, "Lib.Thing", row.path), 0);
        }
        EXPECT_EQ(testsupport::errorNumber([] { (void)com::CreateInstance(kClsid, "{IID}"); }), 429);
    }
}

TEST_F(ComTest, ALibraryThatCannotBeLoadedCannotRegister)
{
    testsupport::TempDir dir;
    EXPECT_EQ(testsupport::errorNumber([&] { (void)com::RegisterServerLibrary(dir.path() / "gone.so"); }), 48);
}

TEST_F(ComTest, RegistryOpenKeyDoesNotCreate)
{
    reg::Key key;
    EXPECT_EQ(m_registry.openKey(reg::Hive::CurrentUser, "Software\\Nope", reg::KeyRead, key), reg::code::NotFound);
    EXPECT_FALSE(key.open);
    ASSERT_EQ(m_registry.createKey(reg::Hive::CurrentUser, "Software\\Yes", reg::KeyRead, key), 0);
    EXPECT_EQ(m_registry.openKey(reg::Hive::CurrentUser, "software\\yes", reg::KeyRead, key), 0);
    EXPECT_TRUE(key.open);
}


TEST_F(ComTest, TheInstallationsRegistrationIsReadAfterTheUsers)
{
    testsupport::TempDir dir;
    const testsupport::ScopedEnv machineDir("TESSARAY_MACHINE_REGISTRY_DIR", (dir.path() / "machine").string());
    testsupport::writeFile(dir.file("installed.so"), "x");
    testsupport::writeFile(dir.file("users.so"), "x");
    const std::string installed = dir.file("installed.so").string();
    const std::string users = dir.file("users.so").string();
    const std::string gone = dir.file("gone.so").string();

    EXPECT_EQ(com::ServerPath(kClsid), std::nullopt);
    {
        reg::FileRegistry machine(dir.path() / "machine");
        const reg::ScopedRegistry inMachine(machine);
        ASSERT_EQ(com::RegisterClass(kClsid, "Lib.Thing", installed), 0);
    }
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "machine" / "machine.hive"));
    const struct {
        const char* name;
        std::string users;  // empty: the user has no registration
        std::string found;
    } rows[] = {
        {"only the installation's", "", installed},
        {"the user's own comes first", users, users},
        {"a user's registration whose library has gone", gone, installed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(com::UnregisterClass(kClsid), 0);
        if (!row.users.empty()) {
            ASSERT_EQ(com::RegisterClass(kClsid, "Lib.Thing", row.users), 0);
        }
        EXPECT_EQ(com::ServerPath(kClsid), std::filesystem::path(row.found));
    }
    // A library that is really missing stays error 429 wherever it is registered.
    ASSERT_EQ(com::UnregisterClass(kClsid), 0);
    {
        reg::FileRegistry machine(dir.path() / "machine");
        const reg::ScopedRegistry inMachine(machine);
        ASSERT_EQ(com::RegisterClass(kClsid, "Lib.Thing", gone), 0);
    }
    EXPECT_EQ(testsupport::errorNumber([] { (void)com::CreateInstance(kClsid, "{IID}"); }), 429);
}

TEST(MachineWideFolder, IsBesideTheProgramsFolderUnlessTheVariableSaysOtherwise)
{
    {
        const testsupport::ScopedEnv unset("TESSARAY_MACHINE_REGISTRY_DIR", "");
        const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
        EXPECT_EQ(reg::machineWideFolder(), program.parent_path().parent_path() / "share" / "tessaray" / "registry");
    }
    const testsupport::ScopedEnv set("TESSARAY_MACHINE_REGISTRY_DIR", "/srv/tessaray/registry");
    EXPECT_EQ(reg::machineWideFolder(), std::filesystem::path("/srv/tessaray/registry"));
}
