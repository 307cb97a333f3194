#pragma once

// The font dialog on a pane's font, through the dialog service it is given
// (Qt's font dialog for users, a scripted answer in tests).

#include <QFont>

namespace platform {
class Dialogs;
}

namespace rampart {

class CChooseFont {
public:
    explicit CChooseFont(platform::Dialogs& dialogs) : m_dialogs(dialogs) {}

    // Opens the dialog on `font`; on confirmation writes the face, size,
    // bold and italic back into it and answers true; false when cancelled.
    bool Show(QFont& font);

private:
    platform::Dialogs& m_dialogs;
};

} // namespace rampart
