#pragma once

// The main window's status timer: twice a second it looks at the active
// document window's worksheet and keeps the toolbars in step with it. While
// exactly one drawing object is selected the formatting toolbar and the
// standard toolbar's cell buttons (Sum, the sorts, Find) are off, otherwise
// on; the Paste button is on exactly when the clipboard holds something to
// paste. The drawing toolbar's polygon button is off while one object other
// than a polygon is selected, and every drawing button is released while
// the sheet is in normal editing (no insert mode). Windows without a
// worksheet (no active child, a sequence window whose caption begins with
// "Seq", no sheet open) leave the states as they are. A step of a tick that
// fails goes to the error reporter, whose answer ends the tick (Abort),
// runs the step again (Retry) or goes on with the next step (Ignore); a box
// shown meanwhile lets no second tick start.

#include <QObject>

#include <cstdint>
#include <functional>
#include <utility>

class QTimer;

namespace shell {

class MainFrame;
class frmMDIChild;

class StatusTimer : public QObject {
    Q_OBJECT
public:
    explicit StatusTimer(MainFrame& frame);

    [[nodiscard]] static StatusTimer* of(const MainFrame& frame);
    [[nodiscard]] QTimer* Timer1() const { return m_timer; }

    // One poll, as the timer runs it.
    void tick();

    // The selected drawing objects of a document window's worksheet: their
    // count and, when there is exactly one, its type (else 0). Tests may
    // replace it.
    std::function<std::pair<std::int32_t, std::int32_t>(frmMDIChild&)> selectedObjects;

private:
    MainFrame& m_frame;
    QTimer* m_timer = nullptr;
    bool m_ticking = false;
};

} // namespace shell
