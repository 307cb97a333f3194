#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "errorlib/CErrorHandler.h"
#include "platform/registry/MemoryRegistry.h"
#include "tests/support/TestSupport.h"

namespace errorlib_test {

// A handler with an in-memory registry, the silent user interface, a fake
// clock and a temporary log folder.
class HandlerTest : public ::testing::Test {
protected:
    HandlerTest() : m_scope(m_registry)
    {
        resetHandler();
        m_logDir = m_dir.path().string() + "/";
    }

    // A fresh handler (the registry and the folder stay).
    void resetHandler()
    {
        m_handler.reset();
        auto ui = std::make_unique<rampart::SilentErrorUi>();
        m_ui = ui.get();
        m_handler = std::make_unique<rampart::CErrorHandler>(std::move(ui), [this] { return m_clock; });
    }

    rampart::CErrorHandler& handler() { return *m_handler; }
    rampart::SilentErrorUi& ui() { return *m_ui; }

    // ComponentName "Quorin", logs in the temporary folder, no date stamp.
    void initialize(bool plainLogName = true)
    {
        m_handler->SetComponentName("Quorin");
        m_handler->SetLogPath(m_logDir);
        if (plainLogName) {
            m_handler->SetPeriodicLogFileFormat("");
        }
        m_handler->Initialize();
    }

    [[nodiscard]] std::string log() const { return testsupport::readFile(m_dir.path() / "Quorin.log"); }

    void setClientValue(const std::string& name, const platform::registry::Value& value)
    {
        platform::registry::Key key;
        ASSERT_EQ(m_registry.createKey(platform::registry::Hive::LocalMachine,
                                       std::string(rampart::ClientKeyPrefix) + "Quorin",
                                       platform::registry::KeyWrite, key),
                  0);
        ASSERT_EQ(m_registry.setValue(key, name, value), 0);
    }

    [[nodiscard]] std::string clientValue(const std::string& name)
    {
        platform::registry::Key key;
        platform::registry::Value value;
        if (m_registry.createKey(platform::registry::Hive::LocalMachine,
                                 std::string(rampart::ClientKeyPrefix) + "Quorin", platform::registry::KeyRead,
                                 key) != 0 ||
            m_registry.queryValue(key, name, value) != 0) {
            return "<missing>";
        }
        return std::string(value.data.begin(), value.data.end() - 1);
    }

    platform::registry::MemoryRegistry m_registry;
    platform::registry::ScopedRegistry m_scope;
    testsupport::TempDir m_dir;
    std::string m_logDir;
    rampart::DateTime m_clock{2001, 12, 31, 23, 59, 58};
    rampart::SilentErrorUi* m_ui = nullptr;
    std::unique_ptr<rampart::CErrorHandler> m_handler;
};

} // namespace errorlib_test
