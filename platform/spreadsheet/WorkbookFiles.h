#pragma once

// Reading and writing workbook files in every type of FileType.h.
//
// Reading finds the type from the content, never from the name:
//   - a compound (OLE2) file holding a BIFF5 or BIFF8 workbook: .xls;
//   - a file starting with the native header line: the native format;
//   - text without control characters other than tab, CR and LF (UTF-8, or
//     else read as Windows-1252): tab-delimited text into the first sheet,
//     or comma-separated when it holds commas but no tab;
//   - cells past a sheet's 16,384 rows and 256 columns are left out, and
//     each sheet that lost some is listed in `leftOut` (see LeftOut.h);
//   - anything else, and any of these that is damaged, truncated, encrypted
//     or empty, raises error 321 ("Invalid file format"), which the program
//     reports as "Unable to load"; a missing file raises 53.
//
// Writing goes to a temporary file in the target's folder that replaces the
// target only once it is complete, so a failed write leaves the old file as
// it was. Errors: 75 when the folder cannot be written, 61 when the disk is
// full, 5 for a type that cannot be written.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/LeftOut.h"

namespace spreadsheet {

class Workbook;

// Error number of a file that is not a readable workbook.
inline constexpr std::int32_t kInvalidFileFormat = 321;

// Fills `into` (a fresh workbook) from the file and returns the file's type;
// what did not fit a sheet is added to `leftOut` when given.
FileType readWorkbookFile(const std::string& path, Workbook& into, std::vector<LeftOut>* leftOut = nullptr);
void writeWorkbookFile(const std::string& path, const Workbook& book, FileType type);

// A text that a save in some type would not keep whole: the first in the
// workbook's order (sheet by sheet, its name first, then its cells row by
// row).
struct UnkeptText {
    std::int32_t sheet = 0;  // from 1
    std::int32_t row = 0;    // from 1; 0: the sheet's name
    std::int32_t col = 0;
    bool tooLong = false;    // longer than a cell of the type holds; else it has
                             // characters the type lacks
    std::size_t length = 0;  // characters of the text (when too long)
    std::size_t kept = 0;    // characters the type keeps (when too long)
};

// The first text a file of `type` would not keep whole: Excel 5/95 writes
// texts in Windows-1252 ("?" for every character it lacks, as in Cyrillic or
// CJK text) and keeps 2,072 characters of a cell; Excel 97/2000 keeps 32,767.
// The other types keep every text. Linear in the cells.
[[nodiscard]] std::optional<UnkeptText> firstUnkeptText(const Workbook& book, FileType type);
// What to tell the user before such a save: the format, the place, what is
// lost, the format that keeps it, and the question "Save in ... anyway?".
[[nodiscard]] std::string unkeptTextMessage(const Workbook& book, FileType type, const UnkeptText& text);

namespace detail {

// Calls produce with a temporary path next to `path`; when produce returns,
// the temporary file replaces `path`. When produce throws, the temporary file
// is removed, `path` is untouched, and the error passes on.
void writeFileAtomically(const std::string& path, const std::function<void(const std::string& tempPath)>& produce);

} // namespace detail

} // namespace spreadsheet
