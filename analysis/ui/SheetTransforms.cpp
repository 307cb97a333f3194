#include "analysis/ui/SheetTransforms.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "analysis/DataTool.h"
#include "numeric/Matrix.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/ProgramInfo.h"
#include "shell/workbook/SSMDI1.h"
#include "shell/core/mQuorin.h"

namespace shell {

namespace {

using spreadsheet::Value;
using spreadsheet::ValueTable;

void inform(const std::string& text)
{
    (void)platform::dialogs().MsgBox(text, platform::mb::OkOnly | platform::mb::Information,
                                     ProgramInfo::Title);
}

bool takesLogOrRoot(SheetTransform t)
{
    return t == SheetTransform::Log || t == SheetTransform::Log2 || t == SheetTransform::Sqrt;
}

const char* abortedText(SheetTransform t)
{
    switch (t) {
    case SheetTransform::Log:
    case SheetTransform::Log2:
        return "Log-transformation aborted.";
    case SheetTransform::Sqrt:
        return "Square-root transformation aborted.";
    default:
        return "Standardization aborted.";
    }
}

// A value cell as a number: numbers and number texts; nothing for empty cells.
// False for a cell that is neither.
bool cellNumber(const Value& v, std::optional<double>& out)
{
    out.reset();
    if (v.isEmpty()) {
        return true;
    }
    if (v.isNumber()) {
        out = v.number();
        return true;
    }
    double d = 0;
    if (v.isText() && spreadsheet::parseNumber(v.text(), d)) {
        out = d;
        return true;
    }
    return false;
}

// A finite number that no value of the block equals: stands for the empty cells.
double absentCode(const std::vector<std::vector<std::optional<double>>>& values)
{
    std::vector<double> present;
    for (const auto& row : values) {
        for (const auto& v : row) {
            if (v) {
                present.push_back(*v);
            }
        }
    }
    double code = -std::numeric_limits<double>::max();
    if (std::find(present.begin(), present.end(), code) == present.end()) {
        return code;
    }
    // The lowest double is taken: walk up past the values at the bottom.
    std::sort(present.begin(), present.end());
    for (const double v : present) {
        if (v > code) {
            break;
        }
        if (v == code) {
            code = std::nextafter(code, 0.0);
        }
    }
    return code;
}

// The sheet line (row number or column letters) of a block line that holds
// two or more values, all equal; nothing when every line has spread.
std::optional<std::string> flatLine(const std::vector<std::vector<std::optional<double>>>& values, bool byCol)
{
    const std::size_t rows = values.size();
    const std::size_t cols = rows == 0 ? 0 : values[0].size();
    const std::size_t lines = byCol ? cols : rows;
    const std::size_t length = byCol ? rows : cols;
    for (std::size_t line = 0; line < lines; ++line) {
        std::size_t count = 0;
        double lo = 0;
        double hi = 0;
        for (std::size_t k = 0; k < length; ++k) {
            const auto& v = byCol ? values[k][line] : values[line][k];
            if (!v) {
                continue;
            }
            lo = count == 0 ? *v : std::min(lo, *v);
            hi = count == 0 ? *v : std::max(hi, *v);
            ++count;
        }
        if (count >= 2 && lo == hi) {
            const auto sheetLine = static_cast<std::int32_t>(line) + 2;
            return byCol ? "column " + spreadsheet::columnLetters(sheetLine) : "row " + std::to_string(sheetLine);
        }
    }
    return std::nullopt;
}

} // namespace

const char* TransformSheetName(SheetTransform transform)
{
    switch (transform) {
    case SheetTransform::NormalizeRows:
    case SheetTransform::NormalizeCols:
        return "Normalized";
    case SheetTransform::Log:
    case SheetTransform::Log2:
        return "LogTransformed";
    case SheetTransform::Sqrt:
    case SheetTransform::Count:
        break;
    }
    return "SqrtTransformed";
}

bool TransformActiveSheet(spreadsheet::Workbook& book, SheetTransform transform, numeric::Progress* progress)
{
    std::int32_t R = 0;
    std::int32_t K = 0;
    if (!SSMDI1::SelectDataInActiveSheet(book, R, K)) {
        return false;
    }
    if (K < 3 || R < 2) {
        inform(kNoValidDataMessage);
        return false;
    }
    const std::int32_t S = book.Sheet();
    ValueTable table(R - 1, K - 1);
    book.CopyDataToArray(S, 2, 2, R, K, true, table);

    // Check every cell, row by row, before anything changes.
    std::vector<std::vector<std::optional<double>>> values(static_cast<std::size_t>(R - 1),
                                                           std::vector<std::optional<double>>(K - 1));
    for (std::int32_t i = 0; i < R - 1; ++i) {
        for (std::int32_t j = 0; j < K - 1; ++j) {
            const Value& cell = table.at(i, j);
            std::optional<double>& v = values[i][j];
            const std::string ref = spreadsheet::cellRefText(i + 2, j + 2);
            if (!cellNumber(cell, v)) {
                inform("The cell " + ref + " holds \"" + cell.displayText() + "\", which is not a number. " +
                       abortedText(transform));
                return false;
            }
            if (takesLogOrRoot(transform) && v && *v < 0) {
                inform(transform == SheetTransform::Sqrt
                           ? "There are values smaller than 0. Square-root transformation aborted."
                           : "There are values smaller than 0. Log-transformation aborted.");
                return false;
            }
        }
    }
    const bool byCol = transform == SheetTransform::NormalizeCols;
    if (!takesLogOrRoot(transform)) {
        if (const auto line = flatLine(values, byCol)) {
            inform("All values in " + *line + " are equal, so they cannot be standardized. " +
                   abortedText(transform));
            return false;
        }
    }

    const double code = absentCode(values);
    numeric::Matrix block(static_cast<std::size_t>(R - 1), static_cast<std::size_t>(K - 1));
    for (std::size_t i = 0; i < block.rows(); ++i) {
        for (std::size_t j = 0; j < block.cols(); ++j) {
            block(i, j) = values[i][j].value_or(code);
        }
    }
    switch (transform) {
    case SheetTransform::NormalizeRows:
    case SheetTransform::NormalizeCols:
        DataTool::NormalizeData(block, R - 1, K - 1, byCol, code, progress);
        break;
    case SheetTransform::Log:
        DataTool::LogTransform(block, R - 1, K - 1, code, progress);
        break;
    case SheetTransform::Log2:
        DataTool::Log2Transform(block, R - 1, K - 1, code, progress);
        break;
    case SheetTransform::Sqrt:
    case SheetTransform::Count:
        DataTool::SqrtTransform(block, R - 1, K - 1, code, progress);
        break;
    }
    ValueTable result(R - 1, K - 1);
    for (std::int32_t i = 0; i < R - 1; ++i) {
        for (std::int32_t j = 0; j < K - 1; ++j) {
            if (values[i][j]) {
                result.at(i, j) = Value(block(static_cast<std::size_t>(i), static_cast<std::size_t>(j)));
            }
        }
    }

    const std::string name = SSMDI1::UniqueSheetName(book, TransformSheetName(transform));
    book.InsertSheets(S, 1);
    book.CopyDataFromArray(S, 2, 2, R, K, false, result);
    book.CopyRangeEx(S, 1, 1, 1, K, book.SS(), S + 1, 1, 1, 1, K);
    book.CopyRangeEx(S, 1, 1, R, 1, book.SS(), S + 1, 1, 1, R, 1);
    book.setSheetName(S, name);
    book.setSheet(S);
    return true;
}

void EraseAnalysisData(mQuorin::ProgramState& program)
{
    program.gDataMat.clear();
    program.gRowName.clear();
    program.gColName.clear();
    program.gSelLociExpr.clear();
    program.gSelLociName.clear();
    program.gNumRow = 0;
    program.gNumCol = 0;
    program.gNumSelLoci = 0;
}

} // namespace shell
