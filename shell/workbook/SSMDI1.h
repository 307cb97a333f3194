#pragma once

// The workbook glue: range texts, the data block of a worksheet, the reading
// of a block of cell values into the program's data matrix, and the writers
// that put texts, value columns and matrices back into sheets.
//
// Sheets, rows and columns count from 1; tables, matrices and label lists
// from 0. Errors are platform::Error:
//   1   the trail of SelectDataInActiveSheet ("No data selected in the active
//       worksheet.") and SelectSheet ("SheetIndex greater than the number of
//       sheets in the workbook"), raised through platform::RaiseError: a new
//       error when none is pending, else added to the pending one (the
//       function then returns false);
//   5   a range text that is not two cells joined by ":";
//   9   a matrix or list smaller than the counts given, a column outside
//       1..256, a block that does not fit the sheet;
//   13  a value cell that is not a number (Table2Mat, Table2MatCA).
// Readers and writers check their input before they change anything: on an
// error the outputs, or the sheet, are as they were.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "numeric/Matrix.h"
#include "numeric/Progress.h"
#include "platform/spreadsheet/Value.h"

namespace spreadsheet {
class Workbook;
}

namespace SSMDI1 {

using spreadsheet::ValueTable;
using spreadsheet::Workbook;

// ---- ranges -----------------------------------------------------------------

// "$A$1:$D$10", "a1:d10" or "A1:D10" gives rows 1 and 10, columns 1 and 4.
// The caller's text is normalised in place first (every "$" removed,
// upper-cased). The first cell is the part before the first ":", the last
// cell the part after the last ":". A cell is one or two letters and a row
// number ("AA" is 27, "IV" 256); the row is the number the text after the
// letters begins with, rounded to the nearest integer (0 when there is none).
// Error 5 when the text holds no ":" or a part does not begin with one or two
// letters followed by its row; error 9 for a column beyond "IV".
void Range2RowCol(std::string& rangeText, std::int32_t& firstRow, std::int32_t& firstCol, std::int32_t& lastRow,
                  std::int32_t& lastCol);

// "$A$1:$B$9" for (1, 1, 9, 2). Error 9 for a column outside 1..256.
[[nodiscard]] std::string RowCol2Range(std::int32_t firstRow, std::int32_t firstCol, std::int32_t lastRow,
                                       std::int32_t lastCol);

// ---- the data block ---------------------------------------------------------------

// The data block of the active sheet, counted from A1 with its label row and
// label column: rows = last used row, cols = last used column, then trailing
// columns and then trailing rows are left off while none of their value cells
// (rows and columns from 2 on) holds a non-zero number (the number a cell's
// text begins with; empty cells, texts and zeros count as zero). Trimming
// stops at column 2 and row 2, so a block whose values are all zero keeps one
// value cell. A sheet with only a label row or a label column keeps its
// counts untrimmed. Selects A1 to (rows, cols) and returns true.
// An empty sheet: the "No data selected in the active worksheet." trail
// (source "SelectDataInActiveSheet"); false when an error was pending.
bool SelectDataInActiveSheet(Workbook& book, std::int32_t& rows, std::int32_t& cols);

// Reads a table of cell values (row 0 the column labels, column 0 the row
// labels, the rest values) into the data matrix. A table row whose first two
// value cells are empty is left out (with one value column, when that cell is
// empty; with none, always). Empty value cells take the missing-value code;
// numbers and number texts give their value; anything else raises error 13
// naming the cell. Labels are the cells' display texts.
//
// Table2Mat: matrix[value column][kept row]. Table2MatCA: matrix[kept row]
// [value column], and `smallest` the smallest value read (1E13 when none;
// empty cells do not count).
// Progress: minimum 0, maximum the table's row count, value i while row i is read.
void Table2Mat(const ValueTable& table, std::vector<std::vector<double>>& matrix, std::vector<std::string>& rowLabels,
               std::vector<std::string>& colLabels, std::int32_t& rowCount, std::int32_t& colCount, double missingCode,
               numeric::Progress* progress = nullptr);
void Table2MatCA(const ValueTable& table, std::vector<std::vector<double>>& matrix,
                 std::vector<std::string>& rowLabels, std::vector<std::string>& colLabels, std::int32_t& rowCount,
                 std::int32_t& colCount, double missingCode, double& smallest, numeric::Progress* progress = nullptr);

// The active sheet's block A1:(rows, cols) as a table from 0, as Table2Mat reads it.
[[nodiscard]] ValueTable CopyBlock(const Workbook& book, std::int32_t rows, std::int32_t cols);

// The whole road of an analysis that reads the active sheet: the data block,
// Table2Mat into the program's gDataMat (value column first), gRowName,
// gColName, gNumRow and gNumCol with its gMissingCode, and gDataReady set.
// False (nothing changed) when the sheet holds no data and an error was
// pending; see SelectDataInActiveSheet.
bool ReadActiveBlockIntoProgram(Workbook& book, numeric::Progress* progress = nullptr);

// ---- writing --------------------------------------------------------------------

// Appends `count` sheets with default names. Error 5 for a negative count.
bool InsertSheet2End(Workbook& book, std::int32_t count);
// Makes the sheet active. A number past the last sheet: the trail "SheetIndex
// greater than the number of sheets in the workbook" (source "SelectSheet"),
// false when an error was pending. Error 9 below 1.
bool SelectSheet(Workbook& book, std::int32_t sheet);
bool SelectRangeInSheet(Workbook& book, std::int32_t sheet, std::int32_t firstRow, std::int32_t firstCol,
                        std::int32_t lastRow, std::int32_t lastCol);
void SetSelection(Workbook& book, std::int32_t firstRow, std::int32_t firstCol, std::int32_t lastRow,
                  std::int32_t lastCol);

// Enters the text into the cell as typed and leaves that cell selected.
bool OneStrLine2Sheet(Workbook& book, std::int32_t sheet, std::int32_t row, std::int32_t col, std::string_view text);

// The first `count` values down one column from (row, col).
bool Array2Sheet(Workbook& book, std::int32_t sheet, const std::vector<double>& values, std::int32_t count,
                 std::int32_t row, std::int32_t col);
bool Array2Sheet(Workbook& book, std::int32_t sheet, const std::vector<std::string>& values, std::int32_t count,
                 std::int32_t row, std::int32_t col);

// matrix[i][j] (i < rows, j < cols) with its top-left value at (row, col).
bool Mat2Sheet(Workbook& book, std::int32_t sheet, const std::vector<std::vector<double>>& matrix, std::int32_t rows,
               std::int32_t cols, std::int32_t row, std::int32_t col);
bool Mat2Sheet(Workbook& book, std::int32_t sheet, const numeric::Matrix& matrix, std::int32_t rows, std::int32_t cols,
               std::int32_t row, std::int32_t col);

// The corner text at (row, col), the column labels to its right, the row
// labels below it and the values from (row + 1, col + 1).
bool Mat2SheetHeaderWithX(Workbook& book, std::int32_t sheet, const std::vector<std::vector<double>>& matrix,
                          std::int32_t rows, std::int32_t cols, const std::vector<std::string>& rowLabels,
                          std::string_view corner, const std::vector<std::string>& colLabels, std::int32_t row,
                          std::int32_t col);
bool Mat2SheetHeaderWithX(Workbook& book, std::int32_t sheet, const numeric::Matrix& matrix, std::int32_t rows,
                          std::int32_t cols, const std::vector<std::string>& rowLabels, std::string_view corner,
                          const std::vector<std::string>& colLabels, std::int32_t row, std::int32_t col);

// The greatest number that ends the name of a sheet whose name contains
// `namePart` (case-sensitive, anywhere); the whole run of digits at the end
// counts ("X Output12" gives 12), a name not ending in a digit gives 0.
// 0 when no sheet matches.
[[nodiscard]] std::int32_t MaxSheetSuffix(const Workbook& book, std::string_view namePart);

// `base` when no sheet has that name, else `base` followed by the smallest
// number from 2 on that makes a name no sheet has.
[[nodiscard]] std::string UniqueSheetName(const Workbook& book, const std::string& base);

} // namespace SSMDI1
