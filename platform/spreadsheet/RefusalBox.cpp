#include "platform/spreadsheet/RefusalBox.h"

#include <string>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

bool tellProtectionRefusal(const platform::Error& e)
{
    if (!Workbook::isProtectionRefusal(e))
        return false;
    // The refusal's own text, without any trail a caller added to it.
    (void)platform::dialogs().MsgBox(std::string(Workbook::kProtectedCells),
                                     platform::mb::Exclamation | platform::mb::OkOnly, kProtectedTitle);
    return true;
}

void tellRefusal(const platform::Error& e, const char* title)
{
    if (!tellProtectionRefusal(e))
        (void)platform::dialogs().MsgBox(e.description(), platform::mb::Exclamation | platform::mb::OkOnly, title);
}

bool runRefusable(const char* title, const std::function<void()>& work) noexcept
{
    bool done = false;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            try {
                work();
                done = true;
            } catch (const platform::Error& e) {
                tellRefusal(e, title);
            }
        });
    });
    return done;
}

} // namespace spreadsheet
