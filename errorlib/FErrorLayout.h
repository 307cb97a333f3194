#pragma once

// What the error dialog shows and where, without widgets: the texts, which
// frames and buttons show and which are enabled, the button rows and the
// dialog's width. All lengths are twips (1/1440 inch); the caller measures
// texts in the dialog's font and converts to pixels.
//
// Rows of buttons: x starts at 180; a button whose caption is empty is
// hidden and takes no room; a shown one is its caption's width + 210 wide,
// at x, and x moves on by its width + 90. The row's width is the final x + 90,
// so 180 of margin on each side.
//
// The dialog's inner width W is the wider of the two rows, widened to the
// error text's widest line + the scroll bar + 90 + 360 when that is more, and
// never more than 80 % of the screen.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "errorlib/ErrorUi.h"

namespace rampart::FErrorLayout {

inline constexpr int OuterMargin = 90;
inline constexpr int InnerMargin = 180;
inline constexpr int RowTop = 300;
inline constexpr int ButtonGap = 90;
inline constexpr int ButtonPadding = 210;

// The action buttons, in their index order.
enum class ActionButton : int { Exit = 0, Cancel = 1, Retry = 2, Timer = 3, Count };
static_assert(static_cast<int>(ActionButton::Count) == 4, "the dialog has four action buttons, cmdButton 0 to 3");

// The frames, stacked in this order.
enum class Frame : int { Description = 0, Remarks = 1, Custom = 2, Action = 3, Count };
static_assert(static_cast<int>(Frame::Count) == 4, "the dialog has four frames, fraFrame 0 to 3");

struct ButtonRecord {
    std::string caption;
    std::string toolTip;
};

struct PlacedButton {
    bool visible = false;
    int left = 0;
    int width = 0;
};

struct Row {
    std::vector<PlacedButton> buttons;
    int width = 0;
};

// Lays out a row; textWidth gives a caption's width in twips.
[[nodiscard]] Row layoutRow(const std::vector<ButtonRecord>& records,
                            const std::function<int(const std::string&)>& textWidth);

// The four action buttons' captions and tool tips; the timer button shows
// the countdown's starting caption.
[[nodiscard]] std::vector<ButtonRecord> standardRow(const std::string& timerCaption);

// The custom row as the handler configured it (captions 1 to 3).
[[nodiscard]] std::vector<ButtonRecord> customRow(const ErrorDialogRequest& request);

// The description, then the suggestion and the notes when they are not
// empty, each after an empty line (CR LF line ends).
[[nodiscard]] std::string errorText(const std::string& description, const std::string& suggestion,
                                    const std::string& notes);

// The widest line of a CR LF (or LF) text, measured by textWidth.
[[nodiscard]] int widestLine(const std::string& text, const std::function<int(const std::string&)>& textWidth);

// W from the custom row's width (0 when the row is hidden), the action row's
// width, the error text's widest line, the scroll bar's width and the screen's.
[[nodiscard]] int dialogWidth(int customRowWidth, int actionRowWidth, int widestTextLine, int scrollBarWidth,
                              int screenWidth);

// The remarks without leading and trailing blanks.
[[nodiscard]] std::string trimRemarks(const std::string& remarks);

// Which frames and action buttons show and which buttons may be taken.
struct States {
    std::array<bool, 4> frameVisible{};
    std::array<bool, 4> buttonVisible{};
    std::array<bool, 4> buttonEnabled{};
    // The countdown runs: the retry may be taken, the handler retries
    // automatically and allows retries at all (its button is shown).
    bool countdownRuns = false;
};

[[nodiscard]] States states(const ErrorDialogRequest& request);

} // namespace rampart::FErrorLayout
