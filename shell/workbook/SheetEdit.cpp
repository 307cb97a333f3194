#include "shell/workbook/SheetEdit.h"

#include "platform/errors/Error.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/StrUtil.h"

namespace SheetEdit {

namespace {

void replaceAll(std::string& text, std::string_view from, std::string_view to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

std::string TransposeClipText(std::string text)
{
    std::string separator = StrUtil::UnifyLineBreak(text);
    if (!separator.empty() && text.size() >= separator.size() &&
        text.compare(text.size() - separator.size(), separator.size(), separator) == 0)
        text.resize(text.size() - separator.size());
    const bool tabs = text.find('\t') != std::string::npos;
    const bool lines = !separator.empty() && text.find(separator) != std::string::npos;
    if (!tabs) {
        if (lines)
            replaceAll(text, separator, "\t");
        return text;
    }
    if (!lines) {
        // A row copied without a final line break still needs one between its cells.
        if (separator.empty())
            separator = "\n";
        replaceAll(text, "\t", separator);
        return text;
    }
    std::string out = StrUtil::TransposeTabText(text, separator);
    replaceAll(out, "\t" + separator, separator);
    return out;
}

void SortSelection(spreadsheet::Workbook& book, bool ascending)
{
    const spreadsheet::RangeRef r = book.SelectionEx(0);
    if (book.hasDataBeside(r, true))
        throw platform::Error(platform::err::InvalidCall, "SortSelection",
                              "The rows of the selection go on beyond it. Sorting the selection alone would "
                              "separate the cells of these rows: select all of their columns and sort again.");
    book.Sort3(r.firstRow, r.firstCol, r.lastRow, r.lastCol, true, ascending ? 1 : -1, 0, 0);
}

AutoSumPlan PlanAutoSum(const spreadsheet::Workbook& book, std::int32_t row, std::int32_t col)
{
    auto typeAt = [&](std::int32_t r, std::int32_t c) -> std::int16_t {
        return r < 1 || c < 1 ? std::int16_t{0} : book.cellType(r, c);
    };
    auto summable = [](std::int16_t t) { return t == 1 || t == -1 || t == 4 || t == -4; };
    const std::int16_t above = typeAt(row - 1, col);
    const std::int16_t left = typeAt(row, col - 1);
    AutoSumPlan plan;
    if (above == 0 && left == 0) {
        plan.startEdit = true;
        return plan;
    }
    std::int32_t firstRow = row;
    std::int32_t firstCol = col;
    std::int32_t lastRow = row;
    std::int32_t lastCol = col;
    if (above == 0) {
        lastCol = firstCol = col - 1;
        while (firstCol > 1 && summable(typeAt(row, firstCol - 1)))
            --firstCol;
    } else {
        lastRow = firstRow = row - 1;
        while (firstRow > 1 && summable(typeAt(firstRow - 1, col)))
            --firstRow;
    }
    const std::string first = spreadsheet::cellRefText(firstRow, firstCol);
    const std::string last = spreadsheet::cellRefText(lastRow, lastCol);
    plan.formula = "Sum(" + first + ":" + last + ")";
    plan.selection = first + ":" + last;
    return plan;
}

} // namespace SheetEdit
