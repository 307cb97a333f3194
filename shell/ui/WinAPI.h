#pragma once

// Small window helpers shared by the program's windows: undo in a text box,
// the caret's line and column, whether the machine is on a network, and
// opening a web address or document with the user's registered program.

#include <string>

class QTextEdit;
class QPlainTextEdit;
class QWidget;

namespace WinAPI {

void UndoText(QTextEdit* box);
void UndoText(QPlainTextEdit* box);

// The caret's line, from 1, and column, from 0 (the selection's end).
[[nodiscard]] int GetCaretLine(const QTextEdit* box);
[[nodiscard]] int GetCaretCol(const QTextEdit* box);

// True when an interface other than loopback is up and has an address.
[[nodiscard]] bool IsNetworked();

// Opens a web address or a document with its registered program. A target
// that cannot be opened fails silently.
void OpenURL(const std::string& target, QWidget* owner);

} // namespace WinAPI
