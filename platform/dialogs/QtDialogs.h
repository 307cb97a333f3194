#pragma once

// The Dialogs form shown to users: Qt message boxes and input dialogs,
// parented to the application's active window.

#include "platform/dialogs/Dialogs.h"

namespace platform {

class QtDialogs final : public Dialogs {
public:
    Answer MsgBox(std::string_view prompt, int style, std::string_view title) override;
    std::string InputBox(std::string_view prompt, std::string_view title, std::string_view defaultText) override;
};

} // namespace platform
