#pragma once

// The engines' progress window on Qt: a small modeless dialog titled
// "Running......" with a multi-line stage text and a progress bar. It has no
// owner and no cancel. Every update processes pending events other than user
// input, so the window paints while the engine holds the thread.
//
// The host installs it once at start through the library's setter:
//     tallowin::installQtProgress(tallowin_set_progress_factory);
// (or the setter bound by name through its library loader).

#include "engines/EngineProgress.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace tallowin {

class QtProgress final : public QDialog, public EngineProgress {
    Q_OBJECT
public:
    QtProgress();
    ~QtProgress() override;

    void open() override;
    void setCaption(std::string_view caption) override;
    void setText(std::string_view text) override;
    void setRange(int low, int high) override;
    void setPosition(int position) override;
    void close() override;

    QLabel* textLabel() const { return label_; }
    QProgressBar* bar() const { return bar_; }

private:
    void paintNow();

    QLabel* label_;
    QProgressBar* bar_;
};

// The progress factory: a QtProgress when the process has a QApplication,
// otherwise none (the engine then runs without a window).
EngineProgress* createQtProgress(void* user);

using ProgressSetter = void (*)(ProgressFactory factory, void* user);

// Makes `setter` (the library's tallowin_set_progress_factory) use Qt windows.
void installQtProgress(ProgressSetter setter);

} // namespace tallowin
