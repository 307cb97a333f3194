#pragma once

// The main window's standard toolbar: its buttons with their pictures and
// tool tips, and the one click handler that dispatches on the button's key
// (compared exactly). File buttons work through the workbook-file commands,
// clipboard and sort buttons through the Edit commands; Sum writes a sum of
// the run of numbers above or left of the active cell; Find opens the
// sheet's find dialog; Help explains the worksheet. Undo and Redo stay
// disabled: the worksheet keeps no undo history. Print stays disabled until
// the program prints.

#include <QObject>
#include <QString>

class QAction;
class QToolBar;

namespace shell {

class MainFrame;

class StandardToolbar : public QObject {
    Q_OBJECT
public:
    // Fills the frame's toolbar "tlbStandard"; the workbook-file and Edit
    // commands must exist already.
    explicit StandardToolbar(MainFrame& frame);

    [[nodiscard]] static StandardToolbar* of(const MainFrame& frame);
    // A button by its key; null for an unknown key.
    [[nodiscard]] QAction* button(const QString& key) const;
    [[nodiscard]] QToolBar* toolbar() const { return m_bar; }

    // The click handler: what the button with this key does.
    void tlbStandard_ButtonClick(const QString& key);

private:
    void Open();
    void Sum();

    MainFrame& m_frame;
    QToolBar* m_bar = nullptr;
};

} // namespace shell
