#pragma once

// Finding a text in a text box, with a follow-up search for the next match,
// marking every occurrence in a rich-text box, and the smallest and largest
// value of a list with its position.
//
// Search memory: after a successful find the box's tag holds the search
// text, a point and the match position + 1, the position counted from 1
// ("abc.6" for abc found at the fifth character). Searches are exact and
// case-sensitive; boxes are asked and told through platform::dialogs().

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace platform {
class RichText;
class TextBox;
}

namespace SimpTool {

// Finds `searchText` (asked for with an input box when not given) from the
// caret on, a match that begins at the caret included, and selects it;
// "String not found." when there is none and "You specified an empty search
// string." for an empty text (also a cancelled input box). The box gets the
// focus afterwards.
void FindText(platform::TextBox& box, std::optional<std::string> searchText = std::nullopt);
// Finds the next match of the text kept in the box's tag, from the position
// kept there; when there is none, searches again from the caret, so the last
// match stays selected. A box without search memory asks as FindText does.
void FindNext(platform::TextBox& box);

// Marks every occurrence of `searchText` from `start` (counted from 1; 0 is
// taken as 1) in red and bold, one after the other, without overlapping,
// and returns their number. The caret ends at the start of the last match
// with nothing selected; `start` ends behind it. An empty search text marks
// nothing and gives 0. Iterative: any number of matches.
std::int32_t FindAll(platform::RichText& box, const std::string& searchText, std::int32_t& start);

// The smallest (largest) of values[0 .. count-1], the first one on ties, and
// its position when asked for. A count of 0 or less gives element 0. Error 9
// when the count runs past the values or there are none.
double MinOfArray(std::span<const double> values, std::int32_t count, std::int32_t* position = nullptr);
double MaxOfArray(std::span<const double> values, std::int32_t count, std::int32_t* position = nullptr);

} // namespace SimpTool
