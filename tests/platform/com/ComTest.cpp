#include <string>

#include <gtest/gtest.h>

#include "platform/com/Com.h"
#include "platform/errors/Error.h"
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
