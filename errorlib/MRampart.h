#pragma once

// Helpers behind the handler's texts, folders and date stamps.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rampart {

// A local date and time, as the clock reads it.
struct DateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Seconds since 1970-01-01 00:00:00 of the same (local) calendar; used for
// time differences only.
[[nodiscard]] std::int64_t SerialSeconds(const DateTime& when);

// The present local time.
[[nodiscard]] DateTime LocalNow();

// Formats with the date pattern tokens "yyyy" (year), "mm" (month, or minutes
// when the previous token was an hour), "dd", "hh" (00-23), "nn" (minutes),
// "ss"; every other character, "/" and ":" included, is copied.
[[nodiscard]] std::string FormatDatePattern(const DateTime& when, std::string_view pattern);

// Makes sure the folder exists, creating missing levels (a level that
// appears meanwhile counts as created). `path` is trimmed of blanks and gains
// a final "/". Raises 75 for a path shorter than 3 characters or a relative
// path that does not exist, and the file error (70, 75, 76, 61) when a level
// cannot be created.
void EstablishPath(std::string& path);

// "rmpBoundaryNone" .. "rmpBoundaryActiveX"; any other value "n (Unknown)".
[[nodiscard]] std::string BoundaryName(std::int32_t boundary);
// "rmpSeverityCosmetic" .. "rmpSeverityFatal"; any other value "n (Unknown)".
[[nodiscard]] std::string SeverityName(std::int32_t severity);

// Fill with blanks to `width` characters; never shorten.
[[nodiscard]] std::string PadRight(std::string_view text, std::size_t width);
[[nodiscard]] std::string PadLeft(std::string_view text, std::size_t width);

// Replaces every character below code 31 by `replacement`; true when one was replaced.
bool ReplaceControlChars(std::string& text, char replacement);

[[nodiscard]] std::int32_t NonNegativeOr(std::int32_t a, std::int32_t b);

[[nodiscard]] std::string RepeatText(std::string_view text, int count);

// The characters of a UTF-8 text as code points (a byte that is not valid
// UTF-8 counts as the character of that code).
[[nodiscard]] std::u32string DecodeUtf8(std::string_view text);
[[nodiscard]] std::string EncodeUtf8(std::u32string_view text);

// The log lines of a hex dump of `text` (one LogString call each): the value
// in quotes when it has at most 60 characters and none below code 31, else a
// header, rows of 20 characters (the first and last 25 when there are more
// than 50 full rows) and the last, partial row (also when empty).
[[nodiscard]] std::vector<std::string> HexDumpLines(std::u32string_view text);

// One row of the hex dump; `start` is the 1-based position of the chunk.
[[nodiscard]] std::string HexDumpRow(std::size_t start, std::u32string_view chunk);

} // namespace rampart
