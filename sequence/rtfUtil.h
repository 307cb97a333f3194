#pragma once

// Colour-coded rich text (RTF) of sequence text, and the highlighting of
// every occurrence of a search text in a rich-text box.
//
// Two colour tables go into the document header: the short one (5 colours)
// for the RNA colouring and the long one (20 colours) for the residue
// colouring. Colour switches are "\cf<index> " before each coloured letter.
// Backslashes and braces in the text are escaped ("\\", "\{", "\}") so that
// no sequence or name can break the document; other text is unchanged.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rtfUtil {

// Indices of the short colour table.
enum class Color : int { Black = 0, Red = 1, Blue = 2, Green = 3, Magenta = 4 };

struct Rgb {
    int red;
    int green;
    int blue;
};

[[nodiscard]] const std::array<Rgb, 5>& ShortColorTable();
[[nodiscard]] const std::array<Rgb, 20>& LongColorTable();

// "\", "{" and "}" escaped for RTF.
[[nodiscard]] std::string RtfEscape(std::string_view text);

// "\cf<colour> " followed by the (escaped) text. A colour outside 0..4 raises
// error 1 with source "rtfConv".
[[nodiscard]] std::string RtfColorPrefix(std::string_view text, Color colour);

// A, C, G and U (upper case only) coloured 1, 2, 3 and 4 of the short table.
[[nodiscard]] std::string RtfColorRNA(std::string_view text);

// Upper-case residue letters coloured by the long table (A 1, C 2, G 3, T 4,
// R 5, N 6, D 7, E 8, Q 9, H 10, I 11, L 12, K 13, M 14, F 15, P 16, S 17,
// W 18, Y 19, V 0); other characters unchanged.
[[nodiscard]] std::string RtfColorResidues(std::string_view text);

// Opening of a document in Courier New at 11 points with the long (true) or
// short colour table; the caller appends the body and the closing brace.
[[nodiscard]] std::string RtfHeader(bool longTable);

// The same opening with the size in points, then "\b" when bold and "\i"
// when italic, then one blank.
[[nodiscard]] std::string RtfHeaderFont(bool longTable, std::int16_t points, bool bold, bool italic);

// What FindAll needs of a rich-text box. Positions are 0-based offsets into
// text().
class HighlightBox {
public:
    virtual ~HighlightBox() = default;
    [[nodiscard]] virtual std::string text() const = 0;
    // Colours the range red and makes it bold.
    virtual void highlight(std::int32_t start, std::int32_t length) = 0;
    // Puts the caret at the position with an empty selection.
    virtual void setCaret(std::int32_t position) = 0;
};

// 1-based positions of the non-overlapping occurrences of `search` in `text`
// at or after the 1-based `startPos` (0 counts as 1), case-sensitive. An
// empty search text finds nothing.
[[nodiscard]] std::vector<std::int32_t> FindAllPositions(std::string_view text, std::string_view search,
                                                         std::int32_t startPos);

// Highlights every occurrence and returns their number; startPos 0 becomes 1
// (it is passed back). The caret ends at the start of the last match.
// LastFindPos() is then 0 (the search ran off the end).
std::int32_t FindAll(HighlightBox& box, std::string_view search, std::int32_t& startPos);

// Module state: 1-based position of the last match of the last search step,
// 0 for none.
[[nodiscard]] std::int32_t LastFindPos();

} // namespace rtfUtil
