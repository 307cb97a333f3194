#pragma once

// What an engine tells its progress window while it runs: a caption, a stage
// text, the bar's range and position. Engines talk to this interface only; the
// library picks the form (none, recording for tests, or a Qt dialog when the
// host has a Qt application).

#include <string_view>

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

} // namespace tallowin
