#pragma once

// The common file dialog control that windows own: properties set before
// ShowOpen / ShowSave, the chosen name read back from FileName. With
// CancelError set, a cancelled dialog raises error 32755; without it, the
// properties stay as they were.

#include <string>

#include "platform/dialogs/Dialogs.h"

namespace platform {

class CommonDialog {
public:
    bool CancelError = false;
    int Flags = 0;
    std::string Filter;  // bar form: "Text (*.txt)|*.txt"
    int FilterIndex = 1;
    std::string DialogTitle;
    std::string FileName;
    std::string InitDir;
    std::string DefaultExt;

    void ShowOpen() { show(false); }
    void ShowSave() { show(true); }

private:
    void show(bool save);
};

} // namespace platform
