#pragma once

// The main window's drawing toolbar "tlbDraw": eight buttons ("Line", "Arc",
// "Rectangle", "Ellipse", "Freeform", "Drawing", "Chart", "Button") that put
// the active worksheet into the insert mode of their object, so that the
// next drag on the sheet draws it. A button shows pressed while its mode is
// in force: choosing a mode releases the other buttons, clicking the pressed
// button again ends the mode (mode 0) and releases it. "Drawing" has no
// action. Without an active document window a click does nothing. The
// buttons are released when the user releases the left mouse button on the
// sheet outside polygon drawing (whose points take several clicks), and
// when the status timer finds the sheet back in normal editing.

#include <QObject>
#include <QString>

#include <cstdint>

class QAction;
class QToolBar;

namespace shell {

class MainFrame;

class DrawingToolbar : public QObject {
    Q_OBJECT
public:
    // Fills the frame's toolbar "tlbDraw".
    explicit DrawingToolbar(MainFrame& frame);

    [[nodiscard]] static DrawingToolbar* of(const MainFrame& frame);
    // A button by its key; null for an unknown key.
    [[nodiscard]] QAction* button(const QString& key) const;
    [[nodiscard]] QToolBar* toolbar() const { return m_bar; }

    // The click handler: what the button with this key does.
    void tlbDraw_ButtonClick(const QString& key);

    // Shows the button of `mode` pressed and the others released; a mode
    // without a button leaves every button released.
    void showMode(std::int32_t mode);
    // Releases every button.
    void releaseAll();

private:
    MainFrame& m_frame;
    QToolBar* m_bar = nullptr;
};

} // namespace shell
