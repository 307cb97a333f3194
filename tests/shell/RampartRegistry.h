#pragma once

// A private registry for a test: the registry folder points at a fresh
// temporary folder for the object's lifetime (and the installation's folder at
// an empty one), and the built error-handling library can be registered into
// it.

#include <cstdlib>
#include <string>

#include "platform/com/Com.h"
#include "tests/support/TestSupport.h"

namespace testsupport {

class PrivateRegistry {
public:
    PrivateRegistry()
    {
        const char* saved = std::getenv("TESSARAY_REGISTRY_DIR");
        m_hadSaved = saved != nullptr;
        m_saved = m_hadSaved ? saved : "";
        ::setenv("TESSARAY_REGISTRY_DIR", (m_dir.path() / "registry").c_str(), 1);
    }
    ~PrivateRegistry()
    {
        if (m_hadSaved) {
            ::setenv("TESSARAY_REGISTRY_DIR", m_saved.c_str(), 1);
        } else {
            ::unsetenv("TESSARAY_REGISTRY_DIR");
        }
    }
    PrivateRegistry(const PrivateRegistry&) = delete;
    PrivateRegistry& operator=(const PrivateRegistry&) = delete;

    // Registers the library built with the tests; 0 on success.
    static int registerRampart() { return platform::com::RegisterServerLibrary(RAMPART6_LIBRARY); }

    [[nodiscard]] const std::filesystem::path& folder() const { return m_dir.path(); }

private:
    TempDir m_dir;
    bool m_hadSaved = false;
    std::string m_saved;
    ScopedEnv m_machine{"TESSARAY_MACHINE_REGISTRY_DIR", (m_dir.path() / "installation").string()};
};

} // namespace testsupport
