#pragma once

// ProgramFixture: a fresh program state, a settings folder in a temporary
// folder, and boxes and file dialogs answered from a script.
// MainWindowFixture: on top of that, a main window loaded as the program
// loads it, on the offscreen platform, with every error that reaches the
// reporter recorded (and answered Abort).

#include <QAction>
#include <QApplication>
#include <QSize>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/frmMDIChild.h"
#include "tests/support/TestSupport.h"

namespace shelltest {

class ProgramFixture : public ::testing::Test {
protected:
    // The settings folder is named, not made: the program makes it on first use.
    ProgramFixture() : m_scope(program), m_dialogsScope(boxes)
    {
        ::setenv("QUORIN_WINDOWS_DIR", m_dir.file("win").c_str(), 1);
    }
    ~ProgramFixture() override { ::unsetenv("QUORIN_WINDOWS_DIR"); }

    testsupport::TempDir m_dir;
    mQuorin::ProgramState program;
    mQuorin::ProgramScope m_scope;
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs m_dialogsScope;
};

class MainWindowFixture : public ProgramFixture {
protected:
    // load: the window runs its load steps (settings, Book1) before it shows;
    // prepare: called with the settings folder before the window exists.
    explicit MainWindowFixture(bool load = true,
                               const std::function<void(const std::filesystem::path&)>& prepare = {})
    {
        std::filesystem::create_directories(m_dir.file("win"));
        if (prepare)
            prepare(m_dir.file("win"));
        frame = std::make_unique<shell::MainFrame>();
        frame->endProcess = [] {};
        if (load)
            frame->Form_Load();
        frame->show();
        reporter = std::make_unique<platform::ScopedReporter>([this](const platform::Error& e) {
            reported.push_back(e.description());
            return platform::Answer::Abort;
        });
    }
    ~MainWindowFixture() override
    {
        for (shell::frmMDIChild* child : frame->Documents()) {
            child->workbook().setChanged(false);
        }
        frame.reset();
    }

    // Triggers a menu item, which must exist and be enabled.
    void trigger(const char* name)
    {
        QAction* a = frame->action(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }

    // For the screenshot tests: the main window at `size` with `document`
    // maximised in it, saved as the picture `shot` (a .png path). Gives the
    // path without ".png", for the pictures of the dialogs that go with it,
    // or "" when the picture could not be saved.
    QString saveMaximisedShot(shell::frmMDIChild& document, QSize size, const char* shot)
    {
        frame->resize(size);
        if (QWidget* sub = document.parentWidget())
            sub->showMaximized();
        QApplication::processEvents();
        QString path = QString::fromLocal8Bit(shot);
        if (!frame->grab().save(path))
            return {};
        path.chop(4);
        return path;
    }

    std::unique_ptr<shell::MainFrame> frame;
    std::vector<std::string> reported;
    std::unique_ptr<platform::ScopedReporter> reporter;
};

// A main window that has not run its load steps, with one new book in it.
class BookWindowFixture : public MainWindowFixture {
protected:
    BookWindowFixture() : MainWindowFixture(false) { child = frame->NewDocument(); }

    shell::frmMDIChild* child = nullptr;
};

} // namespace shelltest
