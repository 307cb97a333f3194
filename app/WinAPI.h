#pragma once

// Small window helpers shared by the program's windows: a control placed
// over a panel of a status bar and taken out again, undo in a text box,
// the caret's line and column, whether the machine is on a network, and
// opening a web address or document with the user's registered program.

#include <string>

class QTextEdit;
class QPlainTextEdit;
class QStatusBar;
class QWidget;

namespace WinAPI {

// The panel widgets of a status bar are its children named "Panel1",
// "Panel2", ... (panels counted from 1).
[[nodiscard]] QWidget* StatusBarPanel(QStatusBar* statusBar, int panelIndex);

// Show true: the control moves over the panel of the status bar (error 9 when
// the bar has no such panel), covering it, visible, and a progress bar's value
// becomes 0. Show false: the control goes back to the window it came from,
// hidden, keeping its last position; the bar and the panel are not used.
void PutInStatusBar(bool show, QWidget* control, QStatusBar* statusBar, int panelIndex);

void UndoText(QTextEdit* box);
void UndoText(QPlainTextEdit* box);

// The caret's line, from 1, and column, from 0 (the selection's end).
[[nodiscard]] int GetCaretLine(const QTextEdit* box);
[[nodiscard]] int GetCaretCol(const QTextEdit* box);

// True when an interface other than loopback is up and has an address.
[[nodiscard]] bool IsNetworked();

// Opens a web address or a document with its registered program, through
// the launcher (xdg-open) with the target as its one argument; the program
// waits for nothing. When the launcher cannot be run, or ends with a failure
// within the watch time (5 s), a message says that no web browser could be
// started and shows the target so that the user can copy it. A launcher
// still running after the watch time goes on alone: nothing of it stays a
// child of the program.
void OpenURL(const std::string& target, QWidget* owner);
// The launcher OpenURL starts and the watch time in seconds; an empty
// program restores xdg-open. Tests set a script of their own.
void setUrlLauncher(const std::string& program, double watchSeconds = 5.0);

} // namespace WinAPI
