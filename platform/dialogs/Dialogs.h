#pragma once

// Message boxes and input boxes, behind an interface so that tests answer
// them from a script and check their exact titles, texts and styles.
//
// Styles are the run-time's codes, added together: buttons (0 OK, 1 OK and
// Cancel, 2 Abort Retry Ignore, 3 Yes No Cancel, 4 Yes No, 5 Retry Cancel),
// icon (16 critical, 32 question, 48 exclamation, 64 information), default
// button (0 first, 256 second, 512 third) and 4096 system modal. Answers are
// platform::Answer (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No).
// Texts use CR LF or LF line breaks.

#include <optional>
#include <string>
#include <string_view>

#include "platform/errors/Guard.h"

namespace platform {

namespace mb {
inline constexpr int OkOnly = 0;
inline constexpr int OkCancel = 1;
inline constexpr int AbortRetryIgnore = 2;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int RetryCancel = 5;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
inline constexpr int DefaultButton2 = 256;
inline constexpr int DefaultButton3 = 512;
inline constexpr int SystemModal = 4096;

[[nodiscard]] constexpr int buttons(int style) { return style & 7; }
[[nodiscard]] constexpr int icon(int style) { return style & 0x70; }
// 0-based index of the default button.
[[nodiscard]] constexpr int defaultButton(int style) { return (style >> 8) & 3; }
} // namespace mb

// The answer a box of the given style gives when its default button is taken.
[[nodiscard]] Answer defaultAnswer(int style);

// One open or save dialog. The filter has the bar form
// "Text (*.txt)|*.txt|All Files (*.*)|*.*": description and pattern entries,
// patterns separated by ";".
struct FileDialogRequest {
    bool save = false;
    std::string title;
    std::string filter;
    int filterIndex = 1;  // from 1
    std::string initDir;
    std::string fileName;
    std::string defaultExt;
    int flags = 0;  // 2 confirm overwrite, 4 hide read-only, 0x800 path must exist, 0x1000 file must exist
};

struct FileDialogResult {
    std::string path;
    int filterIndex = 1;  // the filter the user chose, from 1
};

// A font as the font dialog shows and returns it: face name, size in points,
// bold and italic.
struct FontChoice {
    std::string face;
    double size = 8;
    bool bold = false;
    bool italic = false;

    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual Answer MsgBox(std::string_view prompt, int style, std::string_view title) = 0;
    // The typed text, or "" when the user cancels.
    virtual std::string InputBox(std::string_view prompt, std::string_view title, std::string_view defaultText) = 0;
    // The chosen file, or nothing when the user cancels. A name to save under
    // that was typed without an extension gets the one of the filter the
    // user chose (or, where that filter has none, defaultExt), so the file
    // is named for the format the caller writes from that filter.
    [[nodiscard]] std::optional<FileDialogResult> FileDialog(const FileDialogRequest& request);
    // The font dialog opened on `initial`: the confirmed choice, or nothing
    // when the user cancels. Forms without a font dialog answer as cancelled.
    virtual std::optional<FontChoice> FontDialog(const FontChoice& initial);

protected:
    // The file the user chose, as the dialog gave it. Forms without file
    // dialogs answer as if the user cancelled.
    virtual std::optional<FileDialogResult> chooseFile(const FileDialogRequest& request);
};

// The extension (without its dot) of entry `index` (from 1) of a bar filter
// such as "Text (*.txt)|*.txt|All Files (*.*)|*.*": the first pattern's
// "*.ext" when ext holds no wildcard; "" for "*.*", an index outside the
// filter or a pattern without one.
[[nodiscard]] std::string FilterExtension(std::string_view filter, int index);

// The path with "." and the extension added when its file name has no
// extension (a leading dot does not count) and the extension is not empty.
[[nodiscard]] std::string WithExtension(std::string path, std::string_view extension);

// The service in force. Without one installed: a silent form that answers
// every box with its default button and every input box with its default
// text, and writes what it was asked to the standard error stream.
[[nodiscard]] Dialogs& dialogs();
void setDialogs(Dialogs* service);

// Installs a service for the lifetime of the object (the object is not owned)
// and restores the previous one.
class ScopedDialogs {
public:
    explicit ScopedDialogs(Dialogs& service);
    ~ScopedDialogs();
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;

private:
    Dialogs* m_previous;
};

} // namespace platform
