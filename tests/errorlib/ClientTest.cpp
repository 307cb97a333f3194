// A client of librampart6.so as a program sees it: the library is found
// through the registry and loaded at run time, never linked.

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "errorlib/ICErrorHandler.h"
#include "platform/com/Com.h"
#include "platform/errors/Error.h"
#include "tests/support/TestSupport.h"

namespace {

// Points the registry at a fresh folder for the test's lifetime.
class ClientTest : public ::testing::Test {
protected:
    ClientTest()
    {
        const char* saved = std::getenv("TESSARAY_REGISTRY_DIR");
        m_hadSaved = saved != nullptr;
        m_saved = m_hadSaved ? saved : "";
        ::setenv("TESSARAY_REGISTRY_DIR", (m_dir.path() / "registry").c_str(), 1);
    }
    ~ClientTest() override
    {
        if (m_hadSaved) {
            ::setenv("TESSARAY_REGISTRY_DIR", m_saved.c_str(), 1);
        } else {
            ::unsetenv("TESSARAY_REGISTRY_DIR");
        }
    }

    static std::int32_t registerLibrary(bool unregister = false)
    {
        return platform::com::RegisterServerLibrary(RAMPART6_LIBRARY, unregister);
    }

    testsupport::TempDir m_dir;
    bool m_hadSaved = false;
    std::string m_saved;
    testsupport::ScopedEnv m_machine{"TESSARAY_MACHINE_REGISTRY_DIR", (m_dir.path() / "installation").string()};
};

} // namespace

TEST_F(ClientTest, HandlerIsCreatedFromTheRegisteredLibraryAndItsErrorsAreCaught)
{
    ASSERT_EQ(registerLibrary(), 0);
    ASSERT_EQ(platform::com::ServerPath(rampart::CLSID_CErrorHandler),
              std::filesystem::absolute(RAMPART6_LIBRARY));

    auto handler = platform::com::CreateObject<rampart::ICErrorHandler>(rampart::CLSID_CErrorHandler);
    ASSERT_NE(handler, nullptr);
    EXPECT_EQ(handler->BaseErrorNumber(), 32000);

    // The numbered error thrown inside the library is caught here by its type.
    try {
        handler->Initialize();
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 32020);
        EXPECT_EQ(e.description(), "ComponentName Not Specified");
    }

    handler->SetComponentName("ClientTest");
    handler->SetLogPath(m_dir.path().string());
    handler->SetPeriodicLogFileFormat("");
    handler->SetSilent(true);
    handler->Initialize();
    handler->LogString("hello");
    EXPECT_EQ(testsupport::readFile(m_dir.path() / "ClientTest.log"), "hello\r\n");
    // The library wrote the client's settings into the same registry.
    EXPECT_NE(testsupport::readFile(m_dir.path() / "registry" / "machine.hive")
                  .find("[Software\\Vantorel\\Keelwise\\Client Applications\\ClientTest]"),
              std::string::npos);

    try {
        handler->ThrowError(5, "S", "D");
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 32001);
    }

    auto client = platform::com::CreateObject<rampart::IErrorClient>(rampart::CLSID_IErrorClient);
    EXPECT_NE(client, nullptr);
}

TEST_F(ClientTest, UnregisteredOrMissingLibraryIsError429)
{
    const auto expect429 = [] {
        try {
            (void)platform::com::CreateObject<rampart::ICErrorHandler>(rampart::CLSID_CErrorHandler);
            ADD_FAILURE() << "no error raised";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), 429);
            EXPECT_EQ(e.description(), "ActiveX component can't create object");
        }
    };
    expect429();  // never registered

    ASSERT_EQ(registerLibrary(), 0);
    ASSERT_EQ(registerLibrary(true), 0);
    expect429();
    EXPECT_FALSE(platform::com::ServerPath(rampart::CLSID_CErrorHandler).has_value());

    // Registered, but the file is gone.
    ASSERT_EQ(platform::com::RegisterClass(rampart::CLSID_CErrorHandler, "Rampart6.CErrorHandler",
                                           m_dir.path() / "librampart6.so"),
              0);
    expect429();
}

TEST_F(ClientTest, AnInterfaceTheClassDoesNotHaveIsError430)
{
    ASSERT_EQ(registerLibrary(), 0);
    try {
        (void)platform::com::CreateInstance(rampart::CLSID_CErrorHandler, rampart::IID_IErrorClient);
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 430);
    }
}
