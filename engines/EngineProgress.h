#pragma once

// What an engine tells its progress window while it runs: a caption, a stage
// text, the bar's range and position. Engines talk to this interface only; the
// library picks the form (none, recording for tests, or a Qt dialog when the
// host has a Qt application).

#include "engines/Export.h"

#include <string>
#include <string_view>
#include <vector>

namespace tallowin {

class EngineProgress {
public:
    virtual ~EngineProgress() = default;

    virtual void open() = 0;
    virtual void setCaption(std::string_view caption) = 0;
    virtual void setText(std::string_view text) = 0;
    virtual void setRange(int low, int high) = 0;
    virtual void setPosition(int position) = 0;
    virtual void close() = 0;
};

// Shows nothing: the form used when no window may appear.
class NullProgress final : public EngineProgress {
public:
    void open() override {}
    void setCaption(std::string_view) override {}
    void setText(std::string_view) override {}
    void setRange(int, int) override {}
    void setPosition(int) override {}
    void close() override {}
};

// Writes every call as one line into a list the caller owns ("open",
// "caption DNAML", "text Running...\n", "range 0 10", "position 3", "close"),
// so tests can compare the whole conversation at once.
class RecordingProgress final : public EngineProgress {
public:
    explicit RecordingProgress(std::vector<std::string>& events) : events_(events) {}

    void open() override { events_.emplace_back("open"); }
    void setCaption(std::string_view caption) override { events_.push_back("caption " + std::string(caption)); }
    void setText(std::string_view text) override { events_.push_back("text " + std::string(text)); }
    void setRange(int low, int high) override
    {
        events_.push_back("range " + std::to_string(low) + " " + std::to_string(high));
    }
    void setPosition(int position) override { events_.push_back("position " + std::to_string(position)); }
    void close() override { events_.emplace_back("close"); }

private:
    std::vector<std::string>& events_;
};

// Makes the progress window for one engine call. It returns a new object the
// library owns and deletes when the call ends, or nullptr for "no window".
// `user` is the value given when the factory was installed.
using ProgressFactory = EngineProgress* (*)(void* user);

} // namespace tallowin

// Installs the factory the progress-showing engines use from now on; a null
// factory restores the default (no window). The host calls this once at start.
extern "C" TALLOWIN_API void tallowin_set_progress_factory(tallowin::ProgressFactory factory, void* user);
