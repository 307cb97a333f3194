#include "analysis/ui/InputChecks.h"

#include "platform/runtime/Convert.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Value.h"

namespace analysis {

namespace {

std::string inQuotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

// How far past the sheet a reference reaches: "" when it does not.
std::string pastTheSheet(std::string_view text)
{
    bool rows = false;
    bool cols = false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        const std::string_view corner =
            text.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
        std::int64_t row = 0;
        std::int64_t col = 0;
        if (!spreadsheet::readCellShape(corner, row, col) || row < 1) {
            return {};
        }
        rows = rows || row > spreadsheet::kMaxRows;
        cols = cols || col > spreadsheet::kMaxCols;
        if (colon == std::string_view::npos) {
            break;
        }
        start = colon + 1;
    }
    if (rows && cols) {
        return "16,384 rows and 256 columns (A to IV)";
    }
    if (rows) {
        return "16,384 rows";
    }
    if (cols) {
        return "256 columns (A to IV)";
    }
    return {};
}

} // namespace

std::string InputRangeRefusal(std::string_view rangeText, spreadsheet::RangeRef& range)
{
    if (!spreadsheet::parseRangeRef(rangeText, range)) {
        if (const std::string size = pastTheSheet(rangeText); !size.empty()) {
            return "The input range " + inQuotes(rangeText) + " reaches past the end of the worksheet: a worksheet "
                   "holds " + size + ". Please type a range inside the sheet.";
        }
        return "The input range " + inQuotes(rangeText) +
               " is not a block of at least 3 rows and 3 columns (labels included).";
    }
    if (range.rows() < 3 || range.cols() < 3) {
        return "The input range " + inQuotes(rangeText) +
               " is not a block of at least 3 rows and 3 columns (labels included).";
    }
    return {};
}

std::string TextCellRefusal(const spreadsheet::RangeRef& range, const spreadsheet::ValueTable& table,
                            std::int32_t r0, std::int32_t c0, bool skipDropped, TextCellAdvice advice)
{
    for (std::int32_t i = r0; i < table.rows(); ++i) {
        if (skipDropped && table.at(i, 1).isEmpty() && (table.cols() < 3 || table.at(i, 2).isEmpty())) {
            continue;
        }
        for (std::int32_t j = c0; j < table.cols(); ++j) {
            const spreadsheet::Value& v = table.at(i, j);
            double number = 0;
            if (v.isEmpty() || v.isNumber() || (v.isText() && spreadsheet::parseNumber(v.text(), number))) {
                continue;
            }
            return "Cell " + spreadsheet::cellRefText(range.firstRow + i, range.firstCol + j) + " holds " +
                   (v.isText() ? "the text " : "") + inQuotes(v.displayText()) +
                   "; the analysis needs numbers. Replace it with a number" +
                   (advice == TextCellAdvice::NumberOrMissingCode
                        ? ", or with the missing-value code and tick Has missing value."
                        : ".");
        }
    }
    return {};
}

std::string MissingCodeRefusal(std::string_view text)
{
    const platform::rt::FieldNumber code = platform::rt::ReadNumber(text);
    if (code.isNumber()) {
        return {};
    }
    if (code.isOutOfRange()) {
        return "The missing value code " + inQuotes(text) + " is too " + (code.isTooLarge() ? "large" : "small") +
               ": a number can be at " + (code.isTooLarge() ? "most " : "least -") +
               platform::rt::LargestNumberText() + ". Please type the number that stands for a missing value.";
    }
    return "The missing value code " + inQuotes(text) +
           " is not a number. Please type the number that stands for a missing value.";
}

} // namespace analysis
