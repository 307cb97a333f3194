#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QTimer>

#include <gtest/gtest.h>

#include "errorlib/CErrorHandler.h"
#include "errorlib/QtErrorUi.h"
#include "errorlib/ui/UiClock.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/registry/MemoryRegistry.h"
#include "tests/support/TestSupport.h"

namespace errorlib_ui_test {

// Records custom clicks and the diagnostics it hands over.
class RecordingClient : public rampart::IErrorClient {
public:
    void CustomClick(std::int16_t& Index) override { clicks.push_back(Index); }
    void GetDiagnostics(std::string& Diagnostics) override { Diagnostics = "client diagnostics"; }
    std::vector<std::int16_t> clicks;
};

// A handler "Quorin" with the Qt windows, scripted boxes, a hand-driven
// clock, an in-memory registry and logs in a temporary folder.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() : m_scope(m_registry)
    {
        auto ui = std::make_unique<rampart::QtErrorUi>(&m_dialogs, &m_clock);
        m_ui = ui.get();
        m_handler = std::make_unique<rampart::CErrorHandler>(std::move(ui));
        m_handler->SetErrorClient(m_client);
    }

    void initialize()
    {
        m_handler->SetComponentName("Quorin");
        m_handler->SetLogPath(m_dir.path().string() + "/");
        m_handler->SetPeriodicLogFileFormat("");
        m_handler->Initialize();
    }

    // Runs `whileShown` once the next modal window is up (inside its loop).
    static void whenShown(std::function<void()> whileShown) { QTimer::singleShot(0, std::move(whileShown)); }

    std::int16_t raise(rampart::RampartSeverityType severity = rampart::rmpSeverityNormal,
                       rampart::RampartRetryType retry = rampart::rmpRetryLine)
    {
        return m_handler->HandleError(rampart::ErrObject(53, "", "File not found"), "Files", "OpenBook", "",
                                      rampart::rmpBoundaryNone, severity, retry);
    }

    [[nodiscard]] std::string log() const { return testsupport::readFile(m_dir.path() / "Quorin.log"); }

    platform::registry::MemoryRegistry m_registry;
    platform::registry::ScopedRegistry m_scope;
    testsupport::TempDir m_dir;
    platform::ScriptedDialogs m_dialogs;
    rampart::ManualClock m_clock;
    std::shared_ptr<RecordingClient> m_client = std::make_shared<RecordingClient>();
    rampart::QtErrorUi* m_ui = nullptr;
    std::unique_ptr<rampart::CErrorHandler> m_handler;
};

} // namespace errorlib_ui_test
