#pragma once

// Small rules of the program's main and document windows that need no
// window: the start-up hold, the zoom and font-size boxes, book naming, the
// gene fill list, and which top-level menus each view of a document window
// shows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mQuorin {
class ProgramState;
}

namespace shell {

// The end of the splash hold that starts at `startSeconds`: the start rounded
// to the nearest whole second (halves to the even second) plus two; the hold
// lasts while the clock reads at most that. A start at 12.4 s holds until the
// clock passes 14, a start at 12.6 s until it passes 15.
[[nodiscard]] double HoldDeadline(double startSeconds);

// The zoom box: the number at the start of the text ("75%" gives 75) as a
// 16-bit integer when it lies strictly between 10 and 400; nothing otherwise
// (also when it does not fit 16 bits).
[[nodiscard]] std::optional<std::int16_t> ViewScaleFromText(std::string_view text);

// The font-size box: nothing for a text that is empty after trimming blanks,
// else the number at its start rounded half to even ("12.5" gives 12, "13.5"
// gives 14); nothing when that does not fit 16 bits.
[[nodiscard]] std::optional<std::int16_t> FontSizeFromText(std::string_view text);

// The font sizes the workbook takes, whole points; the font-size box refuses
// any other size with FontSizeRefusal (caption FontSizeCaption) and shows
// the active cell's size again.
inline constexpr std::int16_t MinFontSize = 1;
inline constexpr std::int16_t MaxFontSize = 409;
inline constexpr const char* FontSizeRefusal = "Font Size must be between 1 and 409";
inline constexpr const char* FontSizeCaption = "Font Size";

// The options dialog's maximum number of recent files: the whole text as a
// number (blanks around it allowed), converted to a 16-bit integer with
// halves to the even one ("4.5" gives 4). Nothing for text that is not a
// number, for a value past the 16-bit range and for a negative value, which
// the recent-file list cannot be sized to. 0 is kept: the list then stops
// growing.
[[nodiscard]] std::optional<std::int16_t> MaxRecentFromText(std::string_view text);
inline constexpr const char* MaxRecentRefusal =
    "Maximum number of 'Recent files': enter a whole number from 0 to 32767.";

// Counts one more book in the program's book counter and answers its name,
// "Book" and the new count. A counter that would pass 32767 raises error 6
// and stays as it was.
[[nodiscard]] std::string NextBookCaption(mQuorin::ProgramState& program);

// The gene fill list: "G1;G2;...;G9999;" followed by six more ";" (58,893
// characters). Typing G1 and filling continues G2, G3 and so on.
[[nodiscard]] const std::string& GeneFillList();

// The three views of a document window, exactly one visible.
enum class View { Data, Tree, Output };

// One top-level menu's visibility in a view's menu set. Menus not listed
// (Tools, Window, Help) are never changed by a view.
struct MenuState {
    const char* name;
    bool visible;
};

// The menus a view sets, in the order they are set. The names are the main
// window's menu names; "mnuToolsRecalc" is the Recalc item of the Tools menu.
[[nodiscard]] const std::vector<MenuState>& MenuSetFor(View view);

} // namespace shell
