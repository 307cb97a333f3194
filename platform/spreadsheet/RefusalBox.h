#pragma once

// The boxes that tell the user why the workbook refused a change. A change
// of a protected sheet's locked cells always gets the same box, whichever
// command asked for it: the refusal's own text, an exclamation mark, OK
// only, titled kProtectedTitle. Other refusals keep the title of the dialog
// or command that met them.

#include <functional>

namespace platform {
class Error;
}

namespace spreadsheet {

inline constexpr const char* kProtectedTitle = "Protected Sheet";

// Shows the protected-sheet box when `e` is that refusal
// (Workbook::isProtectionRefusal) and says so; shows nothing for any other
// error.
bool tellProtectionRefusal(const platform::Error& e);

// Tells a refusal: the protected-sheet box for that one, otherwise the
// error's description in a box titled `title` (exclamation mark, OK only).
void tellRefusal(const platform::Error& e, const char* title);

// Runs the work of a dialog's button under the program's error handling: a
// refusal of the workbook is told (tellRefusal with `title`), any other
// failure goes to the error reporter, and nothing reaches the event loop.
// True when the work ran to its end.
bool runRefusable(const char* title, const std::function<void()>& work) noexcept;

} // namespace spreadsheet
