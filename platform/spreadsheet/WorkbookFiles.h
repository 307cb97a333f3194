#pragma once

// Reading and writing workbook files in every type of FileType.h.
//
// Reading finds the type from the content, never from the name:
//   - a compound (OLE2) file holding a BIFF5 or BIFF8 workbook: .xls;
//   - a file starting with the native header line: the native format;
//   - text without control characters other than tab, CR and LF (UTF-8, or
//     else read as Windows-1252), but not the first bytes of a compound
//     file alone (a workbook cut short): tab-delimited text into the first
//     sheet, or comma-separated when it holds commas but no tab;
//   - cells past a sheet's 16,384 rows and 256 columns are left out, and
//     each sheet that lost some is listed in `leftOut` (see LeftOut.h);
//   - an HTML page or table (looksLikeHtml), anything else, and any of
//     these that is damaged, truncated, encrypted or empty, raises error 321
//     ("Invalid file format"), which the program reports as "Unable to
//     load"; a missing file raises 53.
//
// Writing goes to a temporary file in the target's folder that replaces the
// target only once it is complete, so a failed write leaves the old file as
// it was. Errors: 75 when the folder cannot be written, 61 when the disk is
// full, 5 for a type that cannot be written.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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
// Whether the bytes begin (after a byte-order mark, blanks, an XML
// declaration and comments) with an HTML page or table, ours or another
// program's, in UTF-8 or in UTF-16 with or without its mark (a UTF-16 mark
// that a converter wrote out as the UTF-8 characters "ÿþ" or "þÿ" counts as
// a mark too): no workbook this program reads, so the reader refuses it
// (321) rather than take its tags for text.
[[nodiscard]] bool looksLikeHtml(std::string_view bytes) noexcept;
void writeWorkbookFile(const std::string& path, const Workbook& book, FileType type);

// What a file of one type keeps of a workbook. Each writer describes its
// own types next to its code (detail::nativeKeeps, xlsKeeps, textKeeps,
// htmlKeeps) and the question before a save is built from that description
// alone, so whatever a type is not described as keeping is named when the
// book holds it. A field a description leaves out is false: a writer that
// does not say it keeps something is asked about, never silent.
struct FileKeeps {
    bool everySheet = false;      // else the active sheet's cells alone, without its name
    bool formulas = false;        // else their results
    bool numbersInFull = false;   // else as shown, rounded by their number format (15 digits at most)
    bool formats = false;         // cell formats, row heights, column widths, hidden lines, sheet defaults
    bool lineBreaks = false;      // tabs and line breaks inside texts; else blanks in their place
    bool everyCharacter = false;  // else Windows-1252 alone, "?" for the rest (one per character)
    std::size_t textLength = 0;   // characters a text keeps (UTF-16 units where every character is kept); 0 any
    bool objects = false;         // drawing objects
    bool names = false;           // defined names
    bool pageBreaks = false;      // manual page breaks
    bool pageSetups = false;      // page setups of the sheets
    bool options = false;         // the workbook options
    bool frozenPanes = false;
    bool protection = false;      // the sheets' protection
    bool printAreas = false;
    bool printTitles = false;
};
// The description of the writer of `type`; nothing kept for None and Count.
[[nodiscard]] FileKeeps fileKeeps(FileType type);

// A cell (row and col from 1) or, with row 0, the name of a sheet.
struct TextPlace {
    std::int32_t sheet = 0;
    std::int32_t row = 0;
    std::int32_t col = 0;
};

// Places counted in full and named for the first kNamedPlaces of them.
struct Places {
    static constexpr std::size_t kNamedPlaces = 3;
    std::size_t count = 0;
    std::vector<TextPlace> first;
    void add(const TextPlace& place);
};

// What a save in some type would not keep of a workbook: each part of
// FileKeeps the book holds and the type does not keep, counted. A page
// setup counts only where it differs from a new sheet's, the options only
// where they differ from a new workbook's (every one on), frozen panes,
// protection, print areas and titles only where a sheet has them.
struct Unkept {
    std::vector<std::int32_t> sheetsLeftOut;  // from 1, in order; the active sheet is written
    bool sheetName = false;                   // the written sheet's name is lost
    std::size_t formulas = 0;
    std::size_t roundedNumbers = 0;           // numbers whose shown text reads back as another number
    TextPlace firstRounded;                   // the first of them, for the question
    std::size_t formattedCells = 0;           // cells of a style other than the sheet's normal one
    std::size_t sizedLines = 0;               // rows and columns with a size of their own or hidden
    std::size_t sheetDefaults = 0;            // sheets whose normal style or default sizes differ from a new one's
    Places lineBreaks;                        // texts holding a tab or a line break
    Places characters;                        // texts (and sheet names) with characters the type lacks
    Places tooLong;                           // texts longer than the type keeps
    std::size_t keptLength = 0;               // what the type keeps of a text, when some is too long
    std::size_t objects = 0;
    std::size_t names = 0;
    std::size_t pageBreaks = 0;
    std::vector<std::int32_t> pageSetups;     // sheets with a page setup of their own
    bool options = false;
    std::vector<std::int32_t> frozenPanes;    // sheets with frozen panes
    std::vector<std::int32_t> protectedSheets;
    std::vector<std::int32_t> printAreas;     // sheets with a print area
    std::vector<std::int32_t> printTitles;    // sheets with print titles

    [[nodiscard]] bool isEmpty() const noexcept;
};
// Linear in the cells, runs, objects and breaks (the sheets left out are
// not looked at further: all of them is lost).
[[nodiscard]] Unkept unkept(const Workbook& book, FileType type);

// The one question before a save in `type` that would not keep everything
// the workbook holds, or nothing when the type keeps it all (always so for
// our own format): one line per kind of loss, counted, the first few places
// named, then the type that keeps it all and "Save in <type> anyway?".
// Lines end in CR LF.
[[nodiscard]] std::optional<std::string> unkeptQuestion(const Workbook& book, FileType type);

namespace detail {

// Calls produce with a temporary path next to `path`; when produce returns,
// the temporary file replaces `path`. When produce throws, the temporary file
// is removed, `path` is untouched, and the error passes on.
void writeFileAtomically(const std::string& path, const std::function<void(const std::string& tempPath)>& produce);

} // namespace detail

} // namespace spreadsheet
