#include "shell/workbook/SSMDI1.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <utility>

#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/StrUtil.h"
#include "shell/core/mQuorin.h"

namespace SSMDI1 {

namespace {

using spreadsheet::Value;

[[noreturn]] void fail(std::int32_t number, const char* source, std::string description)
{
    throw platform::Error(number, source, std::move(description));
}

// Row and column of one cell text such as "AB12" (already upper-cased).
void cellOfPart(const std::string& part, std::int32_t& row, std::int32_t& col)
{
    // The first character always counts as a letter; the row starts at the
    // first digit after it.
    std::size_t p = part.size();
    for (std::size_t i = 1; i < part.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(part[i])) != 0) {
            p = i;
            break;
        }
    }
    const std::string letters = part.substr(0, p);
    const bool lettersOk = !letters.empty() && letters.size() <= 2 &&
                           std::all_of(letters.begin(), letters.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    if (!lettersOk) {
        fail(platform::err::InvalidCall, "Range2RowCol", "\"" + part + "\" is not a cell reference");
    }
    col = letters.size() == 1 ? letters[0] - 64 : (letters[0] - 64) * 26 + (letters[1] - 64);
    if (col > spreadsheet::kMaxCols) {
        fail(platform::err::Subscript, "Range2RowCol", "Column " + letters + " lies beyond the last column IV");
    }
    row = platform::rt::CLng(platform::rt::Val(std::string_view(part).substr(p)));
}

// The number a cell's text begins with is not 0.
bool holdsNonZero(const Value& v)
{
    if (v.isNumber()) {
        return v.number() != 0.0;
    }
    if (v.isText()) {
        return platform::rt::Val(v.text()) != 0.0;
    }
    return false;
}

// A value cell as a double; error 13 naming the table cell otherwise.
double cellNumber(const Value& v, std::int32_t i, std::int32_t j, const char* source)
{
    if (v.isNumber()) {
        return v.number();
    }
    double d = 0;
    if (v.isText() && spreadsheet::parseNumber(v.text(), d)) {
        return d;
    }
    fail(platform::err::TypeMismatch, source,
         "Type mismatch: the value \"" + v.displayText() + "\" in row " + std::to_string(i) + ", column " +
             std::to_string(j) + " of the block is not a number");
}

// The shared reading of Table2Mat and Table2MatCA into rows[kept][column].
struct BlockRead {
    std::vector<std::vector<double>> rows;
    std::vector<std::string> rowLabels;
    std::vector<std::string> colLabels;
    double smallest = 1E13;
};

BlockRead readBlock(const ValueTable& table, double missingCode, numeric::Progress* progress, const char* source)
{
    BlockRead out;
    const std::int32_t R = table.rows();
    const std::int32_t K = table.cols();
    const std::int32_t r0 = table.firstRow();
    const std::int32_t c0 = table.firstCol();
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, R);
    if (R == 0 || K == 0) {
        return out;
    }
    for (std::int32_t k = 1; k < K; ++k) {
        out.colLabels.push_back(table.at(r0, c0 + k).displayText());
    }
    for (std::int32_t i = 1; i < R; ++i) {
        numeric::detail::setValue(progress, i);
        // A row is dropped when its first two value cells (those that exist) are empty.
        bool empty = true;
        for (std::int32_t k = 1; k < std::min<std::int32_t>(K, 3); ++k) {
            empty = empty && table.at(r0 + i, c0 + k).isEmpty();
        }
        if (empty) {
            continue;
        }
        std::vector<double> values(static_cast<std::size_t>(K - 1));
        for (std::int32_t j = 1; j < K; ++j) {
            const Value& v = table.at(r0 + i, c0 + j);
            if (v.isEmpty()) {
                values[j - 1] = missingCode;
            } else {
                values[j - 1] = cellNumber(v, i, j, source);
                out.smallest = std::min(out.smallest, values[j - 1]);
            }
        }
        out.rowLabels.push_back(table.at(r0 + i, c0).displayText());
        out.rows.push_back(std::move(values));
    }
    return out;
}

// Writes the cells that `cell(i, j)` gives for i < rows, j < cols from (row, col).
void writeTable(Workbook& book, std::int32_t sheet, std::int32_t rows, std::int32_t cols, std::int32_t row,
                std::int32_t col, const std::function<Value(std::int32_t, std::int32_t)>& cell, const char* source)
{
    if (rows < 0 || cols < 0) {
        fail(platform::err::InvalidCall, source, "Negative count");
    }
    if (rows == 0 || cols == 0) {
        return;
    }
    if (row < 1 || col < 1 || row + rows - 1 > spreadsheet::kMaxRows || col + cols - 1 > spreadsheet::kMaxCols) {
        fail(platform::err::Subscript, source, "The block does not fit the worksheet");
    }
    ValueTable table(rows, cols);
    for (std::int32_t i = 0; i < rows; ++i) {
        for (std::int32_t j = 0; j < cols; ++j) {
            table.at(i, j) = cell(i, j);
        }
    }
    book.CopyDataFromArray(sheet, row, col, row + rows - 1, col + cols - 1, true, table);
}

void checkMatrix(const std::vector<std::vector<double>>& m, std::int32_t rows, std::int32_t cols, const char* source)
{
    if (rows < 0 || cols < 0 || static_cast<std::size_t>(rows) > m.size()) {
        fail(platform::err::Subscript, source, "The matrix is smaller than its counts");
    }
    for (std::int32_t i = 0; i < rows; ++i) {
        if (static_cast<std::size_t>(cols) > m[i].size()) {
            fail(platform::err::Subscript, source, "The matrix is smaller than its counts");
        }
    }
}

void checkMatrix(const numeric::Matrix& m, std::int32_t rows, std::int32_t cols, const char* source)
{
    if (rows < 0 || cols < 0 || static_cast<std::size_t>(rows) > m.rows() || static_cast<std::size_t>(cols) > m.cols()) {
        fail(platform::err::Subscript, source, "The matrix is smaller than its counts");
    }
}

void checkLabels(const std::vector<std::string>& labels, std::int32_t count, const char* source)
{
    if (count > 0 && static_cast<std::size_t>(count) > labels.size()) {
        fail(platform::err::Subscript, source, "Fewer labels than rows or columns");
    }
}

bool headerWithX(Workbook& book, std::int32_t sheet, std::int32_t rows, std::int32_t cols,
                 const std::function<double(std::int32_t, std::int32_t)>& value,
                 const std::vector<std::string>& rowLabels, std::string_view corner,
                 const std::vector<std::string>& colLabels, std::int32_t row, std::int32_t col)
{
    checkLabels(rowLabels, rows, "Mat2SheetHeaderWithX");
    checkLabels(colLabels, cols, "Mat2SheetHeaderWithX");
    if (!SelectSheet(book, sheet)) {
        return false;
    }
    writeTable(
        book, sheet, rows + 1, cols + 1, row, col,
        [&](std::int32_t i, std::int32_t j) -> Value {
            if (i == 0 && j == 0) {
                return Value(std::string(corner));
            }
            if (i == 0) {
                return Value(colLabels[j - 1]);
            }
            if (j == 0) {
                return Value(rowLabels[i - 1]);
            }
            return Value(value(i - 1, j - 1));
        },
        "Mat2SheetHeaderWithX");
    return true;
}

} // namespace

// ---- ranges -----------------------------------------------------------------

void Range2RowCol(std::string& rangeText, std::int32_t& firstRow, std::int32_t& firstCol, std::int32_t& lastRow,
                  std::int32_t& lastCol)
{
    rangeText = StrUtil::RemoveStr(rangeText, "$");
    std::transform(rangeText.begin(), rangeText.end(), rangeText.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const std::string first = StrUtil::StrBeforeFirst(rangeText, ":");
    const std::string last = StrUtil::StrAfterLast(rangeText, ":");
    if (rangeText.find(':') == std::string::npos) {
        fail(platform::err::InvalidCall, "Range2RowCol", "\"" + rangeText + "\" is not a range such as A1:D10");
    }
    std::int32_t r1 = 0;
    std::int32_t c1 = 0;
    std::int32_t r2 = 0;
    std::int32_t c2 = 0;
    cellOfPart(first, r1, c1);
    cellOfPart(last, r2, c2);
    firstRow = r1;
    firstCol = c1;
    lastRow = r2;
    lastCol = c2;
}

std::string RowCol2Range(std::int32_t firstRow, std::int32_t firstCol, std::int32_t lastRow, std::int32_t lastCol)
{
    for (const std::int32_t c : {firstCol, lastCol}) {
        if (c < 1 || c > spreadsheet::kMaxCols) {
            fail(platform::err::Subscript, "RowCol2Range", "Column " + std::to_string(c) + " outside 1 to 256");
        }
    }
    return "$" + mQuorin::ColumnLetter(firstCol - 1) + "$" + std::to_string(firstRow) + ":$" +
           mQuorin::ColumnLetter(lastCol - 1) + "$" + std::to_string(lastRow);
}

// ---- the data block ---------------------------------------------------------------

bool SelectDataInActiveSheet(Workbook& book, std::int32_t& rows, std::int32_t& cols)
{
    std::int32_t R = book.lastUsedRow();
    std::int32_t K = book.lastUsedCol();
    if (R == 0 || K == 0) {
        platform::RaiseError("SelectDataInActiveSheet", "No data selected in the active worksheet.");
        return false;
    }
    if (R >= 2 && K >= 2) {
        const std::int32_t sheet = book.Sheet();
        ValueTable table(R - 1, K - 1, 2, 2);
        book.CopyDataToArray(sheet, 2, 2, R, K, true, table);
        const auto columnHasValue = [&](std::int32_t c) {
            for (std::int32_t r = 2; r <= R; ++r) {
                if (holdsNonZero(table.at(r, c))) {
                    return true;
                }
            }
            return false;
        };
        while (K > 2 && !columnHasValue(K)) {
            --K;
        }
        const auto rowHasValue = [&](std::int32_t r) {
            for (std::int32_t c = 2; c <= K; ++c) {
                if (holdsNonZero(table.at(r, c))) {
                    return true;
                }
            }
            return false;
        };
        while (R > 2 && !rowHasValue(R)) {
            --R;
        }
    }
    book.setSelection(1, 1, R, K);
    rows = R;
    cols = K;
    return true;
}

void Table2Mat(const ValueTable& table, std::vector<std::vector<double>>& matrix, std::vector<std::string>& rowLabels,
               std::vector<std::string>& colLabels, std::int32_t& rowCount, std::int32_t& colCount, double missingCode,
               numeric::Progress* progress)
{
    BlockRead read = readBlock(table, missingCode, progress, "Table2Mat");
    const std::size_t nRow = read.rows.size();
    const std::size_t nCol = read.colLabels.size();
    std::vector<std::vector<double>> byColumn(nCol, std::vector<double>(nRow));
    for (std::size_t r = 0; r < nRow; ++r) {
        for (std::size_t c = 0; c < nCol; ++c) {
            byColumn[c][r] = read.rows[r][c];
        }
    }
    matrix = std::move(byColumn);
    rowLabels = std::move(read.rowLabels);
    colLabels = std::move(read.colLabels);
    rowCount = static_cast<std::int32_t>(nRow);
    colCount = static_cast<std::int32_t>(nCol);
}

void Table2MatCA(const ValueTable& table, std::vector<std::vector<double>>& matrix,
                 std::vector<std::string>& rowLabels, std::vector<std::string>& colLabels, std::int32_t& rowCount,
                 std::int32_t& colCount, double missingCode, double& smallest, numeric::Progress* progress)
{
    BlockRead read = readBlock(table, missingCode, progress, "Table2MatCA");
    rowCount = static_cast<std::int32_t>(read.rows.size());
    colCount = static_cast<std::int32_t>(read.colLabels.size());
    matrix = std::move(read.rows);
    rowLabels = std::move(read.rowLabels);
    colLabels = std::move(read.colLabels);
    smallest = read.smallest;
}

ValueTable CopyBlock(const Workbook& book, std::int32_t rows, std::int32_t cols)
{
    ValueTable table(rows, cols);
    if (rows > 0 && cols > 0) {
        book.CopyDataToArray(book.Sheet(), 1, 1, rows, cols, true, table);
    }
    return table;
}

bool ReadActiveBlockIntoProgram(Workbook& book, numeric::Progress* progress)
{
    std::int32_t rows = 0;
    std::int32_t cols = 0;
    if (!SelectDataInActiveSheet(book, rows, cols)) {
        return false;
    }
    mQuorin::ProgramState& program = mQuorin::Program();
    Table2Mat(CopyBlock(book, rows, cols), program.gDataMat, program.gRowName, program.gColName, program.gNumRow,
              program.gNumCol, program.gMissingCode, progress);
    program.gDataReady = true;
    return true;
}

// ---- writing --------------------------------------------------------------------

bool InsertSheet2End(Workbook& book, std::int32_t count)
{
    if (count < 0) {
        fail(platform::err::InvalidCall, "InsertSheet2End", "Negative sheet count");
    }
    book.setNumSheets(book.NumSheets() + count);
    return true;
}

bool SelectSheet(Workbook& book, std::int32_t sheet)
{
    if (sheet > book.NumSheets()) {
        platform::RaiseError("SelectSheet", "SheetIndex greater than the number of sheets in the workbook");
        return false;
    }
    book.setSheetSelected(sheet, true);
    return true;
}

bool SelectRangeInSheet(Workbook& book, std::int32_t sheet, std::int32_t firstRow, std::int32_t firstCol,
                        std::int32_t lastRow, std::int32_t lastCol)
{
    if (!SelectSheet(book, sheet)) {
        return false;
    }
    book.setSelection(firstRow, firstCol, lastRow, lastCol);
    return true;
}

void SetSelection(Workbook& book, std::int32_t firstRow, std::int32_t firstCol, std::int32_t lastRow,
                  std::int32_t lastCol)
{
    book.setSelection(firstRow, firstCol, lastRow, lastCol);
}

bool OneStrLine2Sheet(Workbook& book, std::int32_t sheet, std::int32_t row, std::int32_t col, std::string_view text)
{
    if (!SelectSheet(book, sheet) || !SelectRangeInSheet(book, sheet, row, col, row, col)) {
        return false;
    }
    book.setText(text);
    return true;
}

namespace {

// Writes the first `count` entries of a list down one column.
template <class T>
bool listToSheet(Workbook& book, std::int32_t sheet, const std::vector<T>& values, std::int32_t count, std::int32_t row,
                 std::int32_t col)
{
    if (count < 0 || static_cast<std::size_t>(count) > values.size()) {
        fail(platform::err::Subscript, "Array2Sheet", "The list is shorter than its count");
    }
    if (!SelectSheet(book, sheet)) {
        return false;
    }
    writeTable(book, sheet, count, 1, row, col, [&](std::int32_t i, std::int32_t) { return Value(values[i]); },
               "Array2Sheet");
    return true;
}

} // namespace

bool Array2Sheet(Workbook& book, std::int32_t sheet, const std::vector<double>& values, std::int32_t count,
                 std::int32_t row, std::int32_t col)
{
    return listToSheet(book, sheet, values, count, row, col);
}

bool Array2Sheet(Workbook& book, std::int32_t sheet, const std::vector<std::string>& values, std::int32_t count,
                 std::int32_t row, std::int32_t col)
{
    return listToSheet(book, sheet, values, count, row, col);
}

bool Mat2Sheet(Workbook& book, std::int32_t sheet, const std::vector<std::vector<double>>& matrix, std::int32_t rows,
               std::int32_t cols, std::int32_t row, std::int32_t col)
{
    checkMatrix(matrix, rows, cols, "Mat2Sheet");
    if (!SelectSheet(book, sheet)) {
        return false;
    }
    writeTable(book, sheet, rows, cols, row, col, [&](std::int32_t i, std::int32_t j) { return Value(matrix[i][j]); },
               "Mat2Sheet");
    return true;
}

bool Mat2Sheet(Workbook& book, std::int32_t sheet, const numeric::Matrix& matrix, std::int32_t rows, std::int32_t cols,
               std::int32_t row, std::int32_t col)
{
    checkMatrix(matrix, rows, cols, "Mat2Sheet");
    if (!SelectSheet(book, sheet)) {
        return false;
    }
    writeTable(book, sheet, rows, cols, row, col, [&](std::int32_t i, std::int32_t j) { return Value(matrix(i, j)); },
               "Mat2Sheet");
    return true;
}

bool Mat2SheetHeaderWithX(Workbook& book, std::int32_t sheet, const std::vector<std::vector<double>>& matrix,
                          std::int32_t rows, std::int32_t cols, const std::vector<std::string>& rowLabels,
                          std::string_view corner, const std::vector<std::string>& colLabels, std::int32_t row,
                          std::int32_t col)
{
    checkMatrix(matrix, rows, cols, "Mat2SheetHeaderWithX");
    return headerWithX(
        book, sheet, rows, cols, [&](std::int32_t i, std::int32_t j) { return matrix[i][j]; }, rowLabels, corner,
        colLabels, row, col);
}

bool Mat2SheetHeaderWithX(Workbook& book, std::int32_t sheet, const numeric::Matrix& matrix, std::int32_t rows,
                          std::int32_t cols, const std::vector<std::string>& rowLabels, std::string_view corner,
                          const std::vector<std::string>& colLabels, std::int32_t row, std::int32_t col)
{
    checkMatrix(matrix, rows, cols, "Mat2SheetHeaderWithX");
    return headerWithX(
        book, sheet, rows, cols, [&](std::int32_t i, std::int32_t j) { return matrix(i, j); }, rowLabels, corner,
        colLabels, row, col);
}

std::int32_t MaxSheetSuffix(const Workbook& book, std::string_view namePart)
{
    std::int32_t best = 0;
    for (std::int32_t i = 1; i <= book.NumSheets(); ++i) {
        const std::string& name = book.SheetName(i);
        if (name.find(namePart) == std::string::npos) {
            continue;
        }
        std::size_t start = name.size();
        while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1])) != 0) {
            --start;
        }
        // Sheet names are short; nine digits cannot overflow.
        const std::string digits = name.substr(start, 9);
        const std::int32_t number = digits.empty() ? 0 : std::stoi(digits);
        best = std::max(best, number);
    }
    return best;
}

std::string UniqueSheetName(const Workbook& book, const std::string& base)
{
    const auto taken = [&](const std::string& name) {
        for (std::int32_t i = 1; i <= book.NumSheets(); ++i) {
            if (book.SheetName(i) == name) {
                return true;
            }
        }
        return false;
    };
    if (!taken(base)) {
        return base;
    }
    for (std::int32_t n = 2;; ++n) {
        std::string name = base + std::to_string(n);
        if (!taken(name)) {
            return name;
        }
    }
}

} // namespace SSMDI1
