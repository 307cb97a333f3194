// Every workbook file reader, through the workbook's public load: the bytes
// go to a temporary file and the type is found from the content (.xls, the
// native format, delimited text). A workbook that loads is saved in the
// native format and loaded again, and must keep every sheet, name, cell,
// drawing object, page setup and the workbook's options.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "platform/errors/Error.h"
#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/Workbook.h"

namespace {

// Cells compared one by one up to this many per sheet; a larger used range is
// compared by its extent only, to keep each input fast.
constexpr long long MaxComparedCells = 200000;

void compare(const spreadsheet::Workbook& a, const spreadsheet::Workbook& b)
{
    fuzz::check(a.NumSheets() == b.NumSheets(), "the native copy keeps the number of sheets");
    fuzz::check(a.definedNames() == b.definedNames(), "the native copy keeps the defined names");
    fuzz::check(a.options() == b.options(), "the native copy keeps the workbook's options");
    for (std::int32_t sheet = 1; sheet <= a.NumSheets(); ++sheet) {
        fuzz::check(a.SheetName(sheet) == b.SheetName(sheet), "the native copy keeps the sheet names");
        fuzz::check(a.objects(sheet) == b.objects(sheet), "the native copy keeps every drawing object");
        fuzz::check(a.pageSetup(sheet) == b.pageSetup(sheet), "the native copy keeps every page setup");
        fuzz::check(a.sheetFormat(sheet).rowBreaks() == b.sheetFormat(sheet).rowBreaks() &&
                        a.sheetFormat(sheet).colBreaks() == b.sheetFormat(sheet).colBreaks(),
                    "the native copy keeps the page breaks");
        const std::int32_t rows = a.lastUsedRow(sheet);
        const std::int32_t cols = a.lastUsedCol(sheet);
        fuzz::check(rows == b.lastUsedRow(sheet) && cols == b.lastUsedCol(sheet),
                    "the native copy keeps the used range");
        if (static_cast<long long>(rows) * cols > MaxComparedCells) {
            continue;
        }
        for (std::int32_t row = 1; row <= rows; ++row) {
            for (std::int32_t col = 1; col <= cols; ++col) {
                fuzz::check(a.cellFormula(sheet, row, col) == b.cellFormula(sheet, row, col),
                            "the native copy keeps every formula");
                if (a.cellFormula(sheet, row, col).empty()) {
                    fuzz::check(a.cellValue(sheet, row, col) == b.cellValue(sheet, row, col),
                                "the native copy keeps every value");
                }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::TempFile file("input.xls", fuzz::asText(data, size));
    spreadsheet::Workbook book;
    try {
        (void)book.Read(file.path().string());
    } catch (const platform::Error&) {
        fuzz::check(book.NumSheets() == 1 && book.lastUsedRow(1) == 0, "a refused file leaves the workbook empty");
        return 0;
    }
    const fuzz::TempFile copy("copy.vts");
    book.Write(copy.path().string(), static_cast<std::int32_t>(spreadsheet::FileType::Native));
    spreadsheet::Workbook again;
    try {
        (void)again.Read(copy.path().string());
    } catch (const platform::Error&) {
        fuzz::fail("a workbook saved in the native format loads again");
    }
    compare(book, again);
    return 0;
}
