// The built librampart6.so, loaded as a program loads it, shows its own
// windows once the process has a Qt application.

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "errorlib/ICErrorHandler.h"
#include "platform/com/Com.h"
#include "tests/support/TestSupport.h"

TEST(LibraryWindows, LoadedLibraryShowsItsErrorDialogAndViewer)
{
    testsupport::TempDir dir;
    ::setenv("TESSARAY_REGISTRY_DIR", (dir.path() / "registry").c_str(), 1);
    ASSERT_EQ(platform::com::RegisterServerLibrary(RAMPART6_LIBRARY, false), 0);
    auto handler = platform::com::CreateObject<rampart::ICErrorHandler>(rampart::CLSID_CErrorHandler);
    ASSERT_NE(handler, nullptr);
    handler->SetComponentName("Quorin");
    handler->SetLogPath(dir.path().string() + "/");
    handler->Initialize();

    std::string seen;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        seen = dialog->objectName().toStdString() + " " + dialog->windowTitle().toStdString();
        auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("cmdButton1"));
        ASSERT_NE(cancel, nullptr);
        cancel->click();
    });
    const auto choice = handler->HandleError(rampart::ErrObject(53, "", "File not found"), "Files", "OpenBook", "",
                                             rampart::rmpBoundaryNone, rampart::rmpSeverityNormal,
                                             rampart::rmpRetryLine);
    EXPECT_EQ(choice, 2);
    EXPECT_EQ(seen, "FError Keelwise Rampart");

    handler->SetTrace(true);
    QWidget* viewer = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("FDiags")) {
            viewer = w;
        }
    }
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle().toStdString(), "Quorin - Rampart [Trace & Diagnostics]");
    handler.reset();
    ::unsetenv("TESSARAY_REGISTRY_DIR");
}
