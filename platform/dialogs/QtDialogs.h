#pragma once

// The Dialogs form shown to users: Qt message boxes, input, file and font dialogs,
// parented to the application's active window.

#include <QStringList>

#include "platform/dialogs/Dialogs.h"

namespace platform {

// Qt name filters ("Text (*.txt)") from a bar-form filter.
[[nodiscard]] QStringList qtNameFilters(std::string_view barFilter);

class QtDialogs final : public Dialogs {
public:
    Answer MsgBox(std::string_view prompt, int style, std::string_view title) override;
    std::string InputBox(std::string_view prompt, std::string_view title, std::string_view defaultText) override;
    std::optional<FontChoice> FontDialog(const FontChoice& initial) override;

protected:
    std::optional<FileDialogResult> chooseFile(const FileDialogRequest& request) override;
};

} // namespace platform
