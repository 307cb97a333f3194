#pragma once

// Profile (ini) files with the semantics of the Windows profile calls:
// "[Section]" lines, "Key=Value" lines, section and key names compared without
// regard to case, values trimmed of blanks and of one pair of surrounding
// quotes, ";" comment lines and every line that is not touched kept as it is.
// Writing replaces a key's value in place, appends a missing key at the end of
// its section and a missing section at the end of the file, and creates the
// file. Lines are written with CR LF; CR LF and LF files are both read.
// Values are returned whole, however long.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::profile {

// The value of `key` in `section`, or `defaultValue` when the file, the
// section or the key is missing.
[[nodiscard]] std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    const std::filesystem::path& file);

// Writes one value; a missing value deletes the key. False when the file
// cannot be written (the file is left as it was).
bool WriteString(std::string_view section, std::string_view key, std::optional<std::string_view> value,
                 const std::filesystem::path& file);

} // namespace platform::profile
