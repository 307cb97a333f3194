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

#include <functional>
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

namespace detail {

// Calls produce with a temporary path next to `path`; when produce returns,
// the temporary file replaces `path`. When produce throws, the temporary file
// is removed, `path` is untouched, and the error passes on.
void writeFileAtomically(const std::string& path, const std::function<void(const std::string& tempPath)>& produce);

} // namespace detail

} // namespace spreadsheet
