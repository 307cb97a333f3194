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

// What a workbook holds besides its cells that a file of some type would be
// written without. Only our own format (Native, Native6) keeps drawing
// objects, defined names, manual page breaks, page setups and the workbook
// options; .xls, HTML and text files keep none of them. A page setup counts
// only where it differs from a new sheet's (PageSetup{}), the options only
// where they differ from a new workbook's (WorkbookOptions{}, every one on),
// as our own format writes them only then: a book of plain cells loses
// nothing.
struct UnkeptContent {
    std::size_t objects = 0;               // drawing objects of every sheet
    std::size_t names = 0;                 // defined names
    std::size_t pageBreaks = 0;            // manual row and column breaks of every sheet
    std::vector<std::int32_t> pageSetups;  // the sheets (from 1) with a page setup of their own
    bool options = false;                  // the workbook options differ from a new workbook's

    [[nodiscard]] bool isEmpty() const noexcept
    {
        return objects == 0 && names == 0 && pageBreaks == 0 && pageSetups.empty() && !options;
    }
};
// Nothing for our own format. Linear in the sheets, objects and breaks.
[[nodiscard]] UnkeptContent unkeptContent(const Workbook& book, FileType type);

// The one question before a save in `type` that would not keep everything
// the workbook holds, or nothing when the type keeps it all: the first text
// it would not keep whole (where, what is lost, the type that keeps it),
// then what of the content above it would lose, each counted or named, and
// the type that keeps that, then "Save in <type> anyway?". Lines end in CR LF.
[[nodiscard]] std::optional<std::string> unkeptQuestion(const Workbook& book, FileType type);

namespace detail {

// Calls produce with a temporary path next to `path`; when produce returns,
// the temporary file replaces `path`. When produce throws, the temporary file
// is removed, `path` is untouched, and the error passes on.
void writeFileAtomically(const std::string& path, const std::function<void(const std::string& tempPath)>& produce);

} // namespace detail

} // namespace spreadsheet
