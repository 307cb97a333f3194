#pragma once

// The program's small text routines. Texts are byte strings (single-byte text;
// UTF-8 passes through the routines that do not look at single bytes). All
// searches are exact and case-sensitive.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace StrUtil {

// True when every one of the first n bytes is below 127 (127 counts as not
// plain). n beyond the text's length looks at the whole text.
[[nodiscard]] bool IsAsciiHead(std::string_view text, std::int32_t n);

// Trims blanks off both ends of `text` (the caller's text changes), then splits
// it at `delimiter`: runs of delimiters make no empty fields, fields are not
// trimmed. Every entry of `fields` is emptied first; `fields` grows when there
// are more fields than entries. A delimiter of more than one character never
// matches, so the trimmed text is then one field.
void Tokenize(std::string& text, int& count, std::vector<std::string>& fields, std::string_view delimiter);

// Splits at the first byte of `delimiter`: every maximal run of other bytes is
// one field (runs of delimiters make no empty fields). Empty text: count 0 and
// `fields` untouched. Text without the delimiter: one field, the whole text.
// Text made only of delimiters: count 0, no fields.
void SplitMultiDelim(std::string_view text, int& count, std::vector<std::string>& fields, std::string_view delimiter);

// The text before the first occurrence of the delimiter ("" when it is absent
// or at the start).
[[nodiscard]] std::string StrBeforeFirst(std::string_view text, std::string_view delimiter);

// The text from the character after the start of the last occurrence of the
// delimiter ("" when absent). With a multi-character delimiter the result
// begins with the delimiter's second character: "a::b" at "::" gives ":b".
[[nodiscard]] std::string StrAfterLast(std::string_view text, std::string_view delimiter);

// Every occurrence of `part` removed, scanning from the start.
[[nodiscard]] std::string RemoveStr(std::string_view text, std::string_view part);

// Each run of blanks becomes one tab; blanks right after a tab disappear.
[[nodiscard]] std::string Blanks2Tab(std::string_view text);

// side != 0: left-aligned in `width` (a longer text keeps its start);
// side == 0: right-aligned (a longer text keeps its end).
[[nodiscard]] std::string PadStr(std::string_view text, int width, int side);

// CRC-16 with polynomial 0x1021, initial value 0, no reflection, no final XOR
// over the bytes of the text: "abc" gives 40406 (0x9DD6).
[[nodiscard]] std::int32_t GetCRC16(std::string_view text);

// Sequence letters only: bytes from ':' up stay, '-' and '.' stay, '*'
// becomes '?', everything else below ':' (digits, blanks, line breaks, other
// punctuation) goes. "" when nothing remains.
[[nodiscard]] std::string CleanSeq(std::string_view text);

// Makes the line breaks of `text` uniform and returns the separator found:
// with any CR LF, every CR LF and lone CR becomes LF ("\n"); else with a CR,
// every LF becomes CR ("\r"); else "\n" when it has LF; else "".
std::string UnifyLineBreak(std::string& text);

// The value with exactly `decimals` digits after the point (leading zero,
// "-" for negatives, no grouping), blanks in front up to `width`; a longer
// text is not cut.
[[nodiscard]] std::string FormatNumRight(double value, int width, int decimals);

// Swaps rows and columns of tab-separated text whose lines end in
// `separator`; every output cell is followed by a tab and every output line
// by the separator. Short lines are padded with empty cells and the widest
// line sets the column count, so no cell is lost. The result is also left in
// `text`.
std::string TransposeTabText(std::string& text, std::string_view separator);

// One line per row: the row label, a tab, the values tab-separated, CR LF.
// `matrix` is indexed [row][column]; values use the run-time's number text.
[[nodiscard]] std::string MatRows2TabText(const std::vector<std::vector<double>>& matrix, int rowCount,
                                          int columnCount, const std::vector<std::string>& rowLabels);

// A header line (corner text, a tab, the column labels tab-separated, CR LF)
// and then MatRows2TabText.
[[nodiscard]] std::string Mat2TabText(const std::vector<std::vector<double>>& matrix, int rowCount, int columnCount,
                                      const std::vector<std::string>& rowLabels, std::string_view corner,
                                      const std::vector<std::string>& columnLabels);

// How many bytes of the text equal the character's byte.
[[nodiscard]] std::int32_t CountChar(std::string_view text, char character);

} // namespace StrUtil
