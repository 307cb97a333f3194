#pragma once

// The workbook model behind every document window: sheets numbered from 1,
// each 16,384 rows x 256 columns numbered from 1, cells holding empty,
// number, text, logical or error values or formulas, a selection per sheet,
// array transfer, and the workbook's identity (TableName, Tag, changed flag).
// No widgets: menus and analyses work on it directly and tests drive it
// without a display.
//
// Failing members throw platform::Error:
//   9   a sheet number, row or column outside the workbook, a table index
//       outside its bounds, a selection index past the last range;
//   5   an invalid argument (a negative count, a rectangle whose last row or
//       column lies before its first, deleting the only sheet);
//   380 an invalid property value (an empty sheet name);
//   321 a file that is not a readable workbook (see Read);
//   52-76 file system errors while reading or writing.
//
// Formulas are stored as text without "=" (the program's own form, "SUM(A1:A3)")
// and evaluated by the formula engine; their results are computed on demand
// after any change and read like constants (cellValue, CopyDataToArray).
// Inserting or deleting rows and columns moves the references of every
// formula and defined name that points at the sheet changed; references to
// deleted cells become #REF!.
//
// Members keep the names the program calls them by; the ones the program
// reaches by number have descriptive names, with the number in their comment.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/DefinedName.h"
#include "platform/spreadsheet/DrawingObject.h"
#include "platform/spreadsheet/PageSetup.h"
#include "platform/spreadsheet/SheetFormat.h"
#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/FormulaText.h"
#include "platform/spreadsheet/LeftOut.h"
#include "platform/spreadsheet/ObjectGeometry.h"
#include "platform/spreadsheet/Value.h"

namespace platform {
class Error;
}

namespace spreadsheet {

namespace detail {
struct SheetData;
class FormulaGraph;
struct CellKey;
}

// Type of a cell as the program tests it: 0 empty, 1 number, 2 text,
// 3 logical, 4 error; the negative code for a formula with a result of that
// kind (-1 a formula giving a number). A formula not yet giving anything is -1.
enum class CellTypeCode : std::int16_t { Empty = 0, Number = 1, Text = 2, Logical = 3, Error = 4 };

// The settings of the control's options dialog. They belong to the open
// workbook and are not written to its files.
struct WorkbookOptions {
    // On: formulas give up-to-date results after every change. Off: results
    // stay as they were until CheckRecalc, except that a formula the user
    // enters is computed at once (enterCell) and that reading a file and
    // writing one compute them all.
    bool autoRecalc = true;
    bool showGridLines = true;
    bool showRowHeading = true;  // the row numbers at the left
    bool showColHeading = true;  // the column letters at the top

    friend bool operator==(const WorkbookOptions&, const WorkbookOptions&) = default;
};

// Why a sheet cannot take this name, or "" when it can: a sheet needs a name,
// of at most 31 characters, without any of / \ ? * [ ] : (spreadsheet files
// keep no other names: a program reading such a name renames the sheet).
[[nodiscard]] std::string sheetNameProblem(std::string_view name);

class Workbook {
public:
    // A workbook of one empty sheet "Sheet1", with an empty TableName and Tag.
    Workbook();
    ~Workbook();
    Workbook(Workbook&&) noexcept;
    Workbook& operator=(Workbook&&) noexcept;
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // ---- identity --------------------------------------------------------
    // The workbook's path once opened or saved, "BookN" before (member 50).
    [[nodiscard]] const std::string& TableName() const noexcept { return m_tableName; }
    void setTableName(std::string name);
    // True while TableName begins with "Book" (or is empty): never saved.
    [[nodiscard]] bool isNeverSaved() const noexcept;
    // The file name part of TableName, the title of the save question (member 94).
    [[nodiscard]] std::string title() const;
    // The program's text kept with the workbook: the file type code in decimal.
    [[nodiscard]] const std::string& Tag() const noexcept { return m_tag; }
    void setTag(std::string tag);
    // Set by every change of content or sheets; cleared by Read and Write (member 101).
    [[nodiscard]] bool isChanged() const noexcept { return m_changed; }
    void setChanged(bool changed) noexcept { m_changed = changed; }

    // ---- sheets ------------------------------------------------------------
    [[nodiscard]] std::int32_t NumSheets() const noexcept;
    // A higher number appends sheets with default names ("Sheet2", ...); a
    // lower one removes sheets from the end (at least one stays).
    void setNumSheets(std::int32_t count);
    // The active sheet's number (member 106).
    [[nodiscard]] std::int32_t Sheet() const noexcept { return m_active; }
    void setSheet(std::int32_t sheet);
    [[nodiscard]] const std::string& SheetName(std::int32_t sheet) const;
    // Error 380 with sheetNameProblem's text for a name it refuses.
    void setSheetName(std::int32_t sheet, std::string name);
    // Whether the sheet is selected (member 298). Selecting a sheet makes it
    // the active one; deselecting keeps the active sheet as it is.
    [[nodiscard]] bool SheetSelected(std::int32_t sheet) const;
    void setSheetSelected(std::int32_t sheet, bool selected);
    // Inserts count empty sheets with default names at position `at`
    // (1..NumSheets+1); the sheet that was there moves to at + count.
    void InsertSheets(std::int32_t at, std::int32_t count);
    // Inserts one sheet in front of the active sheet and activates it.
    void EditInsertSheets();
    // Deletes the selected sheets (the active one at least); the last sheet
    // of a workbook cannot be deleted (error 5).
    void EditDeleteSheets();

    // ---- cells ---------------------------------------------------------------
    // The value of a cell (a formula's result).
    [[nodiscard]] Value cellValue(std::int32_t sheet, std::int32_t row, std::int32_t col) const;
    // A formula's text without "=", or "" for a constant.
    [[nodiscard]] std::string cellFormula(std::int32_t sheet, std::int32_t row, std::int32_t col) const;
    // What the formula bar shows: "=" and the formula, or the value's text;
    // a text that typed back would read as something else ("12", "=x",
    // "TRUE", "'a") after an apostrophe, so that typing the shown text
    // gives the same cell.
    [[nodiscard]] std::string cellEntryText(std::int32_t sheet, std::int32_t row, std::int32_t col) const;
    void setCellValue(std::int32_t sheet, std::int32_t row, std::int32_t col, const Value& value);
    // Sets a formula (with or without a leading "=").
    void setCellFormula(std::int32_t sheet, std::int32_t row, std::int32_t col, std::string_view formula);
    // As typed by a user: "=..." a formula, "'..." the text after the
    // apostrophe, else parseEntry (number, logical, error, text); in a cell
    // formatted as Text ("@"), the text as typed.
    void setCellEntry(std::int32_t sheet, std::int32_t row, std::int32_t col, std::string_view text);
    // As setCellEntry, for what the user enters into one cell (typing, the
    // formula bar): a formula shows its result at once even while
    // recalculation is off; only the formulas that depend on it wait.
    // A formula nested deeper or longer than a formula may be is refused
    // with error 5 saying so (isFormulaRefusal), the cell left as it was;
    // set any other way (a file, a paste) it shows #NAME?.
    void enterCell(std::int32_t sheet, std::int32_t row, std::int32_t col, std::string_view text);
    // How that refusal begins.
    static constexpr std::string_view kFormulaTooLarge = "This formula is too large to enter. ";
    // How the refusal of a paste that left out such formulas begins (setClip).
    static constexpr std::string_view kFormulasTooLarge = "Some formulas are too large to enter. ";
    // Either refusal.
    [[nodiscard]] static bool isFormulaRefusal(const platform::Error& e);
    // Whether the text entered into the cell would be a formula: "=" and
    // more, in a cell not formatted as Text.
    [[nodiscard]] bool isFormulaEntry(std::int32_t sheet, std::int32_t row, std::int32_t col,
                                      std::string_view text) const;
    void clearRange(std::int32_t sheet, const RangeRef& range);
    // Type of a cell of the active sheet (member 282).
    [[nodiscard]] std::int16_t cellType(std::int32_t row, std::int32_t col) const;
    // Last row and column of the active sheet holding anything; 0 on an empty sheet (members 88, 87).
    [[nodiscard]] std::int32_t lastUsedRow() const;
    [[nodiscard]] std::int32_t lastUsedCol() const;
    [[nodiscard]] std::int32_t lastUsedRow(std::int32_t sheet) const;
    [[nodiscard]] std::int32_t lastUsedCol(std::int32_t sheet) const;
    // Text of the active cell; setting it enters the text as typed (member 7).
    // Page setup of a sheet (from 1) for printing; a setting is checked
    // (checkPageSetup) before it is kept.
    [[nodiscard]] const PageSetup& pageSetup(std::int32_t sheet) const;
    void setPageSetup(std::int32_t sheet, const PageSetup& setup);

    [[nodiscard]] std::string Text() const;
    void setText(std::string_view text);
    // Sets the active cell's formula, given without "=" (member 9); it is
    // computed at once, and refused when too large, as an entered formula is
    // (enterCell).
    void setFormula(std::string_view formula);
    // The selection's first range as tab/CR LF text; setting it fills the
    // cells from the selection's top-left cell, a tab moving to the next
    // column and a line break to the next row, each field entered as typed.
    // A field holding a formula too large to enter leaves its cell as it
    // was; the other fields are pasted, then error 5 (isFormulaRefusal)
    // says how many cells were left.
    [[nodiscard]] std::string Clip() const;
    void setClip(std::string_view text);
    // Recalculates every formula now.
    void CheckRecalc();

    // ---- options ---------------------------------------------------------------
    [[nodiscard]] const WorkbookOptions& options() const noexcept { return m_options; }
    // Takes effect at once (the grid repaints); does not mark the book changed.
    void setOptions(const WorkbookOptions& options);

    // ---- array transfer -------------------------------------------------------
    // Fills the table, from its first element, with the values of the
    // rectangle (sheet, r1, c1)-(r2, c2): formulas give their results, empty
    // cells the empty value. Only the part that both the rectangle and the
    // table cover is copied; other table elements are left as they are.
    // valuesOnly is accepted for the program's calls; values are all there is.
    void CopyDataToArray(std::int32_t sheet, std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2,
                         bool valuesOnly, ValueTable& table) const;
    // Writes the table's values into the rectangle from (r1, c1) on. Only the
    // part that both cover is written: a rectangle larger than the table
    // leaves the cells beyond the table untouched. Texts are stored as texts
    // (not parsed); an empty table element clears its cell.
    void CopyDataFromArray(std::int32_t sheet, std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2,
                           bool valuesOnly, const ValueTable& table);
    // Copies values and formulas of the source block (of this or another
    // workbook) to the destination block, cell by cell from the top-left
    // corners over the smaller of the two blocks. Relative references of
    // copied formulas move with the cells.
    void CopyRangeEx(std::int32_t dstSheet, std::int32_t dr1, std::int32_t dc1, std::int32_t dr2, std::int32_t dc2,
                     const Workbook& source, std::int32_t srcSheet, std::int32_t sr1, std::int32_t sc1,
                     std::int32_t sr2, std::int32_t sc2);
    // The workbook itself, as the source of CopyRangeEx.
    [[nodiscard]] const Workbook& SS() const noexcept { return *this; }

    // ---- rows and columns ---------------------------------------------------
    // Insert shifts the cells below (right of) `at` down (right); a shift that
    // would push a non-empty cell off the sheet is refused with error 5 and
    // changes nothing. Delete removes the lines and moves the rest up (left).
    void insertRows(std::int32_t sheet, std::int32_t at, std::int32_t count);
    void deleteRows(std::int32_t sheet, std::int32_t first, std::int32_t count);
    void insertCols(std::int32_t sheet, std::int32_t at, std::int32_t count);
    void deleteCols(std::int32_t sheet, std::int32_t first, std::int32_t count);

    // ---- selection of the active sheet ------------------------------------------
    // One range; the active cell moves to (r1, c1) (member 228). Corners may
    // come in any order.
    void setSelection(std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2);
    // Adds a further range (a control-click); the active cell moves to its first corner.
    void addSelection(const RangeRef& range);
    // "A1:C3" or "$A$1" (member 49); error 5 for a text that is no reference.
    void setSelectionRef(std::string_view text);
    [[nodiscard]] std::int32_t SelectionCount() const;
    // The selected range with the given index, 0 the first (member 1380).
    [[nodiscard]] RangeRef SelectionEx(std::int32_t index) const;
    [[nodiscard]] std::int32_t activeRow() const;  // member 5
    [[nodiscard]] std::int32_t activeCol() const;  // member 4
    // Moves the active cell inside the selection without changing it.
    void setActiveCell(std::int32_t row, std::int32_t col);

    // ---- fill lists ---------------------------------------------------------
    // Lists of ";"-separated entries that a fill continues (members 264, 295).
    [[nodiscard]] std::int32_t fillListCount() const noexcept;
    [[nodiscard]] const std::string& fillList(std::int32_t index) const;
    // index 1..count replaces a list, count + 1 appends one.
    void setFillList(std::int32_t index, std::string list);

    // Extends the source block down or to the right over the target block
    // (which starts with it), line by line, as a fill handle does: texts that
    // stand in order in a fill list continue the list (wrapping at its end);
    // two or more numbers continue their least-squares straight line; anything
    // else repeats the source, formulas with their relative references moved.
    // Error 5 when the target does not extend the source down or right.
    void autoFill(std::int32_t sheet, const RangeRef& source, const RangeRef& target);

    // ---- files (see WorkbookFiles.h for the formats) -------------------------
    // Reads the file into this workbook, replacing its sheets, and returns the
    // file's type code (member 1375). The type is found from the content.
    // A file in the native format also sets the options (every one on when
    // it has none); other files leave them as they were.
    // On failure the workbook is unchanged. Leaves TableName to the caller.
    std::int32_t Read(const std::string& path);
    // The same; cells past a sheet's 16,384 rows or 256 columns are left out
    // and each sheet that lost some is listed in `leftOut` (LeftOut.h).
    std::int32_t Read(const std::string& path, std::vector<LeftOut>& leftOut);
    // Writes the workbook in the given type through a temporary file that
    // replaces the old one only when complete; clears the changed flag.
    void Write(const std::string& path, std::int32_t type);
    void WriteEx(const std::string& path, std::int32_t type);

    // ---- editing commands (WorkbookEdit.cpp) ----------------------------------
    // The rows and the widest row's columns that a clipboard text fills; a
    // final line break opens no further row. An empty text fills nothing.
    struct ClipExtent {
        std::int32_t rows = 0;
        std::int32_t cols = 0;
    };
    [[nodiscard]] static ClipExtent clipExtent(std::string_view text);
    // Whether the text fits on the active sheet from the selection's top-left
    // cell; setClip refuses a text that does not (error 5, sheet unchanged).
    [[nodiscard]] bool clipFits(std::string_view text) const;

    // Fill down (right): the first row (column) of the selection's first
    // range copied over the rest of it, relative references moving along.
    void EditCopyDown();
    void EditCopyRight();
    // Clears the selection's first range: 1 everything (values and
    // formats), 2 formats, 3 contents.
    void EditClear(std::int32_t what);
    // Deletes the cells of the selection's first range; the cells below them
    // in the same columns move up (member 1349), with their formats. Formulas
    // throughout the workbook and defined names follow the moved cells (a
    // moved formula keeps pointing at the cells it named); a reference to a
    // deleted cell becomes #REF!. A range follows only when it lies wholly
    // within the selection's columns: it then loses its deleted cells (#REF!
    // when none is left); one reaching beyond them keeps its cells. Drawing
    // objects, line sizes, page breaks and the selection stay.
    void deleteSelectedCells();
    // Deletes the rows (columns) that the selection's first range spans (member 146 with 3, 4).
    void deleteSelectedRows();
    void deleteSelectedCols();

    // Sorts the block (r1, c1)-(r2, c2) of the active sheet in place (member
    // 230). byRows: the block's rows are reordered by key columns; otherwise
    // its columns by key rows. A key is +n (ascending) or -n (descending) for
    // the n-th column (row) of the block, counted from 1 at the block's first
    // column (row); 0 is no key. Each line moves whole: a row's cells stay
    // together and formulas move like copied cells. Order within a key:
    // numbers, then texts (ignoring case), logicals, errors; empty cells come
    // last in both directions; lines with equal keys keep their order.
    // Error 5 when a key lies outside the block or when a key column holds
    // both numbers and texts (typically a label row inside the block); the
    // sheet is then unchanged.
    void Sort3(std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2, bool byRows, std::int32_t key1,
               std::int32_t key2, std::int32_t key3);
    // Whether a cell just beside the block holds anything: left or right of
    // its rows (byRows), above or below its columns (otherwise). Sorting such
    // a block alone would tear its lines apart from the rest of their data.
    [[nodiscard]] bool hasDataBeside(const RangeRef& block, bool byRows) const;

    // Finding a text in the active sheet: in each cell's entry text (the
    // formula with "=", or the value as shown).
    struct FindOptions {
        bool matchCase = false;
        bool wholeCell = false;  // the whole entry, not a part of it
        bool byColumns = false;  // search down the columns instead of along the rows
    };
    // The first cell after (row, col) in search order whose entry matches,
    // wrapping past the end of the used area to its start; (row, col) itself
    // comes last. Nothing for an empty text or when no cell matches.
    [[nodiscard]] std::optional<std::pair<std::int32_t, std::int32_t>>
    findCell(std::string_view what, std::int32_t row, std::int32_t col, const FindOptions& options) const;
    // Replaces the matches in one cell's entry; false when it has none. An
    // entry that would become a formula too large to enter is refused as
    // enterCell refuses it, the cell unchanged.
    bool replaceInCell(std::int32_t row, std::int32_t col, std::string_view what, std::string_view with,
                       const FindOptions& options);
    // Replaces the matches in every cell of the active sheet; the number of
    // cells changed. Refused with nothing replaced when a cell is locked or
    // would hold a formula too large to enter (isFormulaRefusal).
    std::int32_t replaceAll(std::string_view what, std::string_view with, const FindOptions& options);

    // ---- formats (WorkbookFormat.cpp) ---------------------------------------
    [[nodiscard]] const SheetFormat& sheetFormat(std::int32_t sheet) const;
    // Changes one sheet's formats or layout through `edit`, then marks the
    // book changed and notifies.
    void editSheetFormat(std::int32_t sheet, const std::function<void(SheetFormat&)>& edit);
    [[nodiscard]] const CellFormat& cellFormat(std::int32_t sheet, std::int32_t row, std::int32_t col) const;
    // The active cell's format: what the formatting toolbar and font boxes show.
    [[nodiscard]] const CellFormat& activeFormat() const;
    // Applies `edit` to the format of every cell of every selected range of
    // the active sheet. On a protected sheet a selection that holds a locked
    // cell is refused as a change of content is (kProtectedCells), with
    // nothing changed.
    void formatSelection(const std::function<void(CellFormat&)>& edit);

    // Gives the block of sheet dstSheet from (dr, dc) the formats of the
    // block `from` of srcSheet in src (which may be this workbook; the blocks
    // must not overlap then). Error 5 when the block would run off the sheet.
    void copyFormats(std::int32_t dstSheet, std::int32_t dr, std::int32_t dc, const Workbook& src,
                     std::int32_t srcSheet, const RangeRef& from);

    // Read from the active cell, set on the whole selection (members 1302-1304, 1307).
    [[nodiscard]] bool FontBold() const { return activeFormat().bold; }
    [[nodiscard]] bool FontItalic() const { return activeFormat().italic; }
    [[nodiscard]] bool FontUnderline() const { return activeFormat().underline; }
    [[nodiscard]] HAlign hAlign() const { return activeFormat().hAlign; }
    [[nodiscard]] const std::string& FontName() const { return activeFormat().fontName; }
    // In points: the one unit of font sizes everywhere.
    [[nodiscard]] double FontSize() const { return activeFormat().fontSize; }
    [[nodiscard]] const std::string& NumberFormat() const { return activeFormat().numberFormat; }
    void setFontBold(bool on);
    void setFontItalic(bool on);
    void setFontUnderline(bool on);
    void setHAlign(HAlign align);
    // Error 380 for an empty name.
    void setFontName(const std::string& name);
    // Error 380 outside 1..409 points.
    void setFontSize(double points);
    void setNumberFormat(const std::string& code);
    void FormatFixed2() { setNumberFormat("0.00"); }

    // Layout of the active sheet.
    void SetColWidth(std::int32_t c1, std::int32_t c2, double chars);
    void SetRowHeight(std::int32_t r1, std::int32_t r2, double points);
    void SetColHidden(std::int32_t c1, std::int32_t c2, bool hidden);
    void SetRowHidden(std::int32_t r1, std::int32_t r2, bool hidden);
    // Each column c1..c2 as wide as the widest shown text of rows r1..r2 in
    // it (counted in characters of the normal font, scaled by the cell's font
    // size) plus one; a column with nothing in the block keeps its width.
    void SetColWidthAuto(std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2);
    // Frozen panes of the active sheet (members 10-13).
    [[nodiscard]] SheetFormat::Freeze freeze() const;
    void setFreeze(const SheetFormat::Freeze& f);
    [[nodiscard]] bool EnableProtection() const;
    void setEnableProtection(bool on);
    // While a sheet is protected, every change of the content or the format
    // of its locked cells is refused before anything changes (error 5 saying
    // kProtectedCells): entering, clearing, pasting, filling, sorting,
    // replacing, formatting, and inserting or deleting cells, rows or columns
    // that would move them. Unlocked cells take changes as usual. The
    // sheet's layout (row heights, column widths, hidden lines, panes, print
    // settings) is not a change of cells and stays free.
    static constexpr std::string_view kProtectedCells =
        "The cells you are changing are locked on a protected sheet. To change them, turn off the sheet's "
        "protection (Format, Sheet, Protection) or unlock the cells first.";
    // Whether the range of the sheet holds a locked cell of a protected sheet.
    [[nodiscard]] bool isLocked(std::int32_t sheet, const RangeRef& range) const;
    // Refuses (error 5, kProtectedCells) when isLocked.
    void checkUnlocked(std::int32_t sheet, const RangeRef& range, const char* source) const;
    // Whether an error is that refusal (with or without a trail added to it).
    [[nodiscard]] static bool isProtectionRefusal(const platform::Error& e);
    // Print area = the selection's first range; print titles = its whole
    // rows and/or whole columns (a block that is neither clears them).
    void SetPrintAreaFromSelection();
    void SetPrintTitlesFromSelection();

    // ---- inserting (WorkbookInsert.cpp) ----------------------------------------
    // Inserts empty cells at the selection's first range (EditInsert):
    // 1 cells of the range, the cells right of it in its rows moving right by
    // its width; 2 cells of the range, the cells below it in its columns
    // moving down by its height; 3 the rows it spans; 4 the columns it spans.
    // Values, formulas and cell formats move together, and every formula or
    // defined name of the workbook that refers to a moved cell follows it.
    // A range reference moves (or grows, when the insertion falls inside it)
    // only when it lies wholly within the moved rows (1) or columns (2);
    // one that reaches beyond them keeps its cells, since moving it would
    // take in or leave out cells that did not move. The selection stays on
    // the inserted cells. A shift that would push a non-empty cell off the
    // sheet is refused with error 5 (saying so) and changes nothing. Error 5
    // for another code.
    void EditInsert(std::int32_t how);
    // Whether EditInsert(how) would be taken (no non-empty cell pushed off
    // the sheet); error 5 for an unknown code.
    [[nodiscard]] bool EditInsertFits(std::int32_t how) const;
    // What a refused insertion says.
    static constexpr std::string_view kInsertOffSheet =
        "Inserting here would push cells that hold data off the end of the sheet. Clear or move those cells first.";
    // A manual page break in front of the active cell's row and column (a
    // row break only when the cell is in column A, a column break only in
    // row 1, nothing at A1 or where the breaks are already). See
    // SheetFormat::rowBreaks.
    void AddPageBreak();

    // ---- defined names (WorkbookNames.cpp) -------------------------------------
    // The workbook's names in the order defined.
    [[nodiscard]] const std::vector<DefinedName>& definedNames() const noexcept { return m_names; }
    // The name spelled in any case, or null.
    [[nodiscard]] const DefinedName* findDefinedName(std::string_view name) const;
    // Defines the name, or gives the name already defined in any case this
    // spelling and the new text. refersTo is a reference or formula with or
    // without "="; references without a sheet get the active sheet's name
    // ("$A$1" on Sheet1 becomes "Sheet1!$A$1"). Error 380 (with the reason)
    // for an invalid name (see DefinedName.h) or a text the formula engine
    // cannot read.
    void setDefinedName(std::string_view name, std::string_view refersTo);
    // Formulas that use the name show #NAME? from then on. Error 9 when no
    // such name is defined.
    void deleteDefinedName(std::string_view name);
    // Renames a name; the formulas and names that use it are rewritten to the
    // new name. Error 9 for an unknown name, 380 for an invalid new one or
    // one that another name already has.
    void renameDefinedName(std::string_view from, std::string_view to);
    // For the file readers: the names as a file holds them (checked there).
    void replaceDefinedNames(std::vector<DefinedName> names);

    // ---- drawing objects (WorkbookObjects.cpp) --------------------------------
    // The insert mode of the sheet (member 90): 0 normal editing, or the
    // ObjectKind code of the object that the next drag on the grid draws.
    // Error 380 for any other code. Not a change of content.
    [[nodiscard]] std::int32_t Mode() const noexcept { return m_mode; }
    void setMode(std::int32_t mode);
    // The objects of a sheet in stacking order, the backmost first.
    [[nodiscard]] const std::vector<DrawingObject>& objects(std::int32_t sheet) const;
    // Adds the object in front of the others on the sheet, gives it a new id
    // (and the name "<kind> <id>" when it has none) and returns the id. The
    // object is not selected. Error 5 for an anchor outside the sheet or a
    // polygon of fewer than two points.
    std::int32_t addObject(std::int32_t sheet, DrawingObject object);
    // The object with the id; error 9 when the sheet has none.
    [[nodiscard]] const DrawingObject& object(std::int32_t sheet, std::int32_t id) const;
    // Replaces the object of the same id (its place in the stack stays);
    // checked as addObject. Error 9 for an unknown id.
    void setObject(std::int32_t sheet, const DrawingObject& object);
    void deleteObject(std::int32_t sheet, std::int32_t id);

    // Object selection of the active sheet. Selecting an object leaves the
    // cell selection as it is; setSelection and addSelection clear the
    // object selection.
    [[nodiscard]] std::int32_t selectedObjectCount() const;                 // member 255
    [[nodiscard]] std::int32_t selectedObjectId(std::int32_t position) const;  // member 187, from 0
    // The ObjectKind code of an object of the active sheet (member 254); error 9 for an unknown id.
    [[nodiscard]] std::int32_t objectType(std::int32_t id) const;
    [[nodiscard]] bool isObjectSelected(std::int32_t id) const;
    // Selects the object; without `add` the others are deselected first.
    void selectObject(std::int32_t id, bool add);
    void deselectObjects();
    void selectAllObjects();
    // Stacking order of the selected objects: to the front (back), keeping
    // their order among themselves. Nothing selected: nothing happens.
    void ObjBringToFront();
    void ObjSendToBack();
    // Deletes the selected objects (member 141 with 1).
    void deleteSelectedObjects();
    // Takes one object out of the selection (a Ctrl+click on a selected one).
    void deselectObject(std::int32_t id);
    // Geometry in points from the sheet's top-left corner (ObjectGeometry.h).
    // Error 9 for an unknown id.
    [[nodiscard]] BoxF objectBox(std::int32_t sheet, std::int32_t id) const;
    // Anchors the object to the box (a resize): a line keeps its direction,
    // a polygon its vertices relative to the box.
    void setObjectBox(std::int32_t sheet, std::int32_t id, const BoxF& box);
    // Moves every selected object of the active sheet by (dx, dy) points,
    // each held inside the sheet with its size kept. Nothing selected:
    // nothing happens.
    void moveSelectedObjects(double dx, double dy);

    // ---- notification -----------------------------------------------------
    // Called after every change of content, sheets or selection (the grid
    // repaints on it). One listener.
    void setChangeCallback(std::function<void()> callback) { m_onChange = std::move(callback); }

    // ---- internal access for the file formats ------------------------------
    [[nodiscard]] const detail::SheetData& sheetData(std::int32_t sheet) const;
    [[nodiscard]] detail::SheetData& sheetData(std::int32_t sheet);
    // Replaces all sheets (at least one) and resets the active sheet.
    void replaceSheets(std::vector<std::unique_ptr<detail::SheetData>> sheets, std::int32_t activeSheet);
    // Results are up to date after this (formulas computed), whatever the
    // recalculation setting: the file writers call it.
    void ensureCalculated() const;
    void markFormulasDirty() noexcept { m_dirty = true; }

private:
    // Refuses (error 5, isFormulaRefusal) a formula that nests too deep or
    // runs too long to be computed.
    static void checkFormulaSize(std::string_view formula, const char* source);
    // The cell's entry with the matches replaced; nothing when it has none.
    [[nodiscard]] std::optional<std::string> replacedEntry(std::int32_t row, std::int32_t col, std::string_view what,
                                                           std::string_view with, const FindOptions& options) const;
    // What reading a value needs: up-to-date results under automatic
    // recalculation, the results as they stand otherwise.
    void calculateIfAutomatic() const;
    // Under manual recalculation: computes the formula of this cell alone.
    void calculateEntered(std::int32_t sheet, std::int32_t row, std::int32_t col);
    // A constant or formula of the cell was set or cleared: what depends on
    // it is computed when next due (everything, once the whole book is).
    void cellChanged(std::int32_t sheet, std::int32_t row, std::int32_t col);
    void checkSheet(std::int32_t sheet, const char* source) const;
    void touch();
    std::string defaultSheetName() const;
    [[nodiscard]] const detail::SheetData& active() const;
    [[nodiscard]] detail::SheetData& active();
    // Passes every formula's references through the edit that makeEdit
    // builds for the formula's own sheet (given whether a reference's sheet
    // text names the changed sheet).
    // Formulas that name one of the given sheets get #REF! there.
    void dropSheetReferences(const std::vector<std::string>& names);
    void editFormulas(std::int32_t changedSheet,
                      const std::function<detail::RefEdit(std::function<bool(const std::string&)>)>& makeEdit);
    // Passes every defined name's text through the edit.
    void editNameRefs(const detail::RefEdit& edit);
    // The shifts of EditInsert 1 and 2 (WorkbookInsert.cpp).
    void insertCellsRight(const RangeRef& range);
    void insertCellsDown(const RangeRef& range);

    std::vector<std::unique_ptr<detail::SheetData>> m_sheets;
    std::int32_t m_active = 1;
    std::string m_tableName;
    std::string m_tag;
    bool m_changed = false;
    std::vector<std::string> m_fillLists;
    std::function<void()> m_onChange;
    WorkbookOptions m_options;
    std::vector<DefinedName> m_names;
    std::int32_t m_mode = 0;
    mutable bool m_dirty = false;  // everything is due
    mutable std::unique_ptr<detail::FormulaGraph> m_graph;
    mutable std::vector<detail::CellKey> m_changedCells;  // due since the last calculation
};

} // namespace spreadsheet
