#pragma once

// The output view's Edit menu: editing, copying and searching the report
// text of the active document window's output view. Cut, Copy, Paste and
// Select All act on the output view itself, and Copy leaves the clipboard
// alone until there is something to copy. Copy to Excel puts the selected
// text with every run of blanks turned into one tab on the clipboard; Find,
// Find Next and Find All search case-sensitively. One object lives as a
// child of the main window.

#include <QObject>

#include <functional>

namespace platform {
class RichTextBox;
}

namespace shell {

class MainFrame;

class OutputEditCommands : public QObject {
    Q_OBJECT
public:
    explicit OutputEditCommands(MainFrame& frame);

    void EditUndo();
    void EditCut();
    void EditCopy();
    void EditCopy2Excel();
    void EditPaste();
    void EditPasteTxt();
    void EditDelete();
    void EditClear();
    void EditSelectAll();
    void EditFind();
    void EditFindNext();
    void EditFindAll();

    // The output view of the active document window; null without one.
    [[nodiscard]] platform::RichTextBox* outputView() const;

private:
    void onView(const std::function<void(platform::RichTextBox&)>& command);

    MainFrame& m_frame;
};

} // namespace shell
