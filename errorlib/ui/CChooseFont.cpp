#include "errorlib/ui/CChooseFont.h"

#include "platform/dialogs/Dialogs.h"

namespace rampart {

bool CChooseFont::Show(QFont& font)
{
    const platform::FontChoice initial{font.family().toStdString(), font.pointSizeF(), font.bold(), font.italic()};
    const std::optional<platform::FontChoice> chosen = m_dialogs.FontDialog(initial);
    if (!chosen) {
        return false;
    }
    font.setFamily(QString::fromStdString(chosen->face));
    if (chosen->size > 0) {
        font.setPointSizeF(chosen->size);
    }
    font.setBold(chosen->bold);
    font.setItalic(chosen->italic);
    return true;
}

} // namespace rampart
