#pragma once

// Workbooks to and from disk: opening workbook files and plain-text files,
// saving under the current name or a new one, and the File menu's open and
// recent-file steps that need no window.
//
// A workbook's file type code (platform/spreadsheet/FileType.h) is kept in
// its Tag as decimal text; saving under the current name writes that type.
// A workbook whose TableName begins with "Book" has never been saved.
// Messages go through platform::dialogs() with an OK button and the
// program's title unless another title is named.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/spreadsheet/LeftOut.h"
#include "platform/spreadsheet/Value.h"

namespace platform {
class CommonDialog;
}
namespace spreadsheet {
class Workbook;
}

namespace shell {
class IniQuorin;
class RecentFileMenu;
class WorkbookHost;
} // namespace shell

namespace SSMDI1 {

// The open dialog's filter; its entries are numbered from 1.
inline constexpr const char* kOpenFilter =
    "Excel 5 and 7/95 (*.xls)|*.xls|Excel 97/2000(*.xls)|*.xls|Formula One 3/4/5 (*.vts)|*.vts|"
    "Formula One 6 (*.vts)|*.vts|Text files (*.txt)|*.txt|All files (*.*)|*.*";
inline constexpr std::int32_t kOpenFilterEntries = 6;

// The save dialog's filter: entry n (from 1) writes file type code n.
[[nodiscard]] std::string SaveFilter();

// Results of the save operations.
inline constexpr std::int16_t kSaved = 0;
inline constexpr std::int16_t kSaveFailed = 1;     // the write failed and was reported
inline constexpr std::int16_t kSaveCancelled = 2;  // the dialog ended without a file

// ---- delimited text -------------------------------------------------------------

// Splits text into a table of fields (line, field), both from 0, every
// non-empty field a text and every empty one an empty value. The separator
// is a tab when the text holds one, else a comma when it holds one, else a
// blank. Tabs and commas each end one field, so an empty field keeps its
// place and the fields after it stay in their columns ("a\t\tb" gives a, an
// empty cell, b; a line starting with a tab starts with an empty cell).
// Blanks are alignment: a run of them separates two fields, and leading and
// trailing blanks give none. Line breaks may be LF, CR LF or CR. Empty lines
// at the end are dropped; empty lines inside stay as empty rows. Lines may
// have different numbers of fields; the table is as wide as the longest.
// Text without lines gives an empty table (0 lines, 0 fields). What a
// worksheet cannot hold is left out: the lines after the 16,384th and the
// fields after the 256th of a line; `leftOut` (when given) says whether rows
// or columns were (its sheet name is left empty).
void SplitDelimText(std::string text, spreadsheet::ValueTable& table, std::int32_t& lines, std::int32_t& fields,
                    spreadsheet::LeftOut* leftOut = nullptr);

// SplitDelimText of a whole file. File errors: 53 not found, 75 unreadable.
void ReadDelimText(const std::string& path, spreadsheet::ValueTable& table, std::int32_t& lines,
                   std::int32_t& fields);

// The cells a table of text fields fills: fields that are whole numbers
// ("1.5", "-2", "1E-3", blanks around allowed) become numbers, other fields
// stay texts exactly as read (a leading "=" makes no formula).
[[nodiscard]] spreadsheet::ValueTable TextFieldsAsCells(const spreadsheet::ValueTable& fields);

// ---- workbooks and windows --------------------------------------------------------

// A new document window; "Unable to create new worksheet." when it cannot be
// made (nothing passed on). Null then.
spreadsheet::Workbook* NewWorkbook(shell::WorkbookHost& host);

// Opens a file into a document window. With no window open a new workbook
// comes first. An empty path asks with the open dialog ("Open file"); a
// cancelled dialog ends silently. A file whose first 500 bytes (all, when
// shorter) are below 127 and that is not in the program's own workbook
// format (which is text too) nor an HTML page (which the workbook reader
// refuses: we write pages but read none) is plain text, read by
// ReadDelimText into sheet 1 from A1 of the active workbook when that is an
// empty, unchanged workbook never saved, else of a new document window; any
// other file is read by the workbook reader into a new document window that
// takes the path as its TableName and caption and the file type code as its
// Tag. Any failure (unreadable file, unknown format) closes the window made
// for the file, shows "Unable to load " & path and changes no
// workbook. Rows and columns that do not fit a sheet are left out, and once
// the file shows, one message says which ("Rows after 16,384 of sheet Sheet1
// were not loaded: a sheet holds 16,384 rows."). True when the file was loaded.
// The open dialog starts in the program's data folder.
bool SSMDIOpenFile(shell::WorkbookHost& host, std::string& path);

// Saves the active workbook: under its TableName in the type of its Tag, or,
// never saved, through SSMDISaveAsFile. A failed write shows "Unable to save
// " & TableName. Without a document window: kSaveCancelled. A type that
// would not keep everything the book holds (see spreadsheet::unkeptQuestion:
// sheets, formulas, number precision, formats, characters, objects, names,
// page setups and breaks, panes, protection, print ranges, options) asks
// first, in one Yes/No question naming all that would be lost; No writes
// nothing and gives kSaveCancelled with the book as it was; after Yes the
// file holds only part of the book, which therefore stays changed (closing
// asks "Save changes before closing?" again). A save that loses nothing
// leaves the book unchanged. A file that another document window holds is
// not written: "Unable to write " & path & ": the window " & its caption &
// " holds that file. ..." and kSaveFailed.
std::int16_t SSMDISaveFile(shell::WorkbookHost& host);

// The type the save dialog offers a book that has no type yet: the
// settings' default output type (its code is its position in the options
// dialog's list plus one), or the program's own type where the settings
// name no type of the list.
[[nodiscard]] std::int32_t DefaultSaveType(const shell::IniQuorin& ini);

// The entry of the open filter (from 1) the open dialog starts at: the
// settings' default input type (its position in the options dialog's list
// plus one), or the first entry where the settings name no type of the
// list.
[[nodiscard]] std::int32_t DefaultOpenEntry(const shell::IniQuorin& ini);

// Asks for a file name and type with the save dialog ("Save"), which starts
// in the program's data folder for a workbook never saved and in the
// workbook's own folder otherwise, and writes `book` there; then TableName,
// the window's caption and the Tag follow the new file. A typed name whose
// extension (in any case) belongs to other types of the list and not to the
// chosen one is written in the type with that extension that keeps the
// most (x.xls with our own type chosen: Excel 97/2000). kSaveCancelled when the
// dialog ends without a file; a failed write shows "Unable to write " &
// path and gives kSaveFailed with the workbook's name and type unchanged. A
// file another document window holds is refused as SSMDISaveFile refuses
// it (kSaveFailed, nothing written). A type that would not keep everything
// the book holds asks first, as SSMDISaveFile does; No gives kSaveCancelled
// with nothing written and the name and type unchanged (a window closing
// on it stays open); Yes writes, the name and type follow the file, and the
// book stays changed, as SSMDISaveFile leaves it.
std::int16_t SSMDISaveAsFile(shell::WorkbookHost& host, spreadsheet::Workbook& book);

// The file a document window holds: its workbook's TableName once opened or
// saved, else the text file read into it (textFile, "" for none).
[[nodiscard]] std::string FileHeld(const spreadsheet::Workbook& book, const std::string& textFile);

// ---- File menu steps ------------------------------------------------------------

// The open dialog on the main window's dialog control: titled `title` (""
// for the toolkit's own title), cancel raises, flags 2068, the open filter
// at entry inFileType + 1, starting in dataDir with no file name. The title
// is set on every call, as other users of the control leave theirs behind.
// Nothing when the dialog was cancelled or gave no name; other errors of
// the dialog are ignored.
[[nodiscard]] std::optional<std::string> AskFileToOpen(platform::CommonDialog& dialog, const std::string& title,
                                                       std::int32_t inFileType, const std::string& dataDir);

// Opens a file the user chose: an empty file gives "The file named " & path
// & " is empty! Please try another file." (title "Warning!") and nothing
// else. A file that a document window holds already is not read again: that
// window comes to the front. Otherwise the file is opened (SSMDIOpenFile);
// one that fails to load ("Unable to load ...") changes nothing more. Once
// the file is in a window, the path goes to the top of the recent-file list
// (written to the settings file), "File: " & path into the status bar and
// its workbook gets the formula-bar setting; with switchMenus the Tree menu
// is hidden and the Analysis menu shown. Errors (a missing file, an
// unwritable settings file) pass to the caller. True when the file is in a
// window.
bool OpenChosenFile(shell::WorkbookHost& host, shell::IniQuorin& ini, shell::RecentFileMenu& menu,
                    const std::string& path, bool switchMenus = true);

// A recent-file entry (0-based): closes the numbered files; when the file
// exists it is opened as OpenChosenFile opens it; otherwise "Cannot find the
// file " & path & ". You might have moved it elsewhere.".
void OpenRecentFile(shell::WorkbookHost& host, shell::IniQuorin& ini, shell::RecentFileMenu& menu, int index);

} // namespace SSMDI1
