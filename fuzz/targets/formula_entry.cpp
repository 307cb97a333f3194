// A formula as a user types it: the input goes into a cell of a small book
// (a data block of every kind of value, a formula over it, a defined name
// and a second sheet), with an "=" in front unless it starts with one, and
// the book is recalculated. An entry may be refused in words; either way
// every cell then has a value, the formula's own text typed in again gives
// the same formula, and the book keeps working as rows move under it.

#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "platform/errors/Error.h"
#include "platform/spreadsheet/Workbook.h"

namespace {

using spreadsheet::CellError;
using spreadsheet::Value;
using spreadsheet::Workbook;

// Inputs longer than this are cut: a cell takes no more.
constexpr std::size_t MaxTyped = 40000;

// Where the input is typed: C3, beside and below the data in A1:A12.
constexpr std::int32_t Row = 3;
constexpr std::int32_t Col = 3;

Workbook smallBook()
{
    Workbook book;
    book.setNumSheets(2);
    book.setSheetName(2, "Other Sheet");
    const Value data[] = {Value(3),   Value(-2.5),      Value(1.5e300),          Value("abc"),
                          Value(),    Value::logical(true), Value::logical(false), Value::error(CellError::Div0),
                          Value("12"), Value("B"),       Value(0),                Value(2.5e-300)};
    std::int32_t row = 1;
    for (const Value& v : data)
        book.setCellValue(1, row++, 1, v);
    book.setCellFormula(1, 1, 2, "SUM(A1:A3)*2");
    book.setCellValue(2, 1, 1, Value(7));
    book.setDefinedName("Block", "Sheet1!$A$1:$A$12");
    return book;
}

// Every used cell of every sheet gives a value.
void readEveryCell(const Workbook& book)
{
    for (std::int32_t sheet = 1; sheet <= book.NumSheets(); ++sheet)
        for (std::int32_t row = 1; row <= book.lastUsedRow(sheet); ++row)
            for (std::int32_t col = 1; col <= book.lastUsedCol(sheet); ++col)
                (void)book.cellValue(sheet, row, col).displayText();
}

// Types the text into the cell; false when the entry was refused.
bool typed(Workbook& book, const std::string& text)
{
    try {
        book.enterCell(1, Row, Col, text);
        return true;
    } catch (const platform::Error&) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::AbortReporter reporter;
    const std::string_view input = fuzz::asText(data, size < MaxTyped ? size : MaxTyped);
    const std::string text = input.starts_with('=') ? std::string(input) : "=" + std::string(input);
    Workbook book = smallBook();
    if (!typed(book, text)) {
        fuzz::check(book.cellValue(1, Row, Col).isEmpty(), "a refused entry leaves its cell as it was");
        return 0;
    }
    book.CheckRecalc();
    readEveryCell(book);

    const std::string formula = book.cellFormula(1, Row, Col);
    if (!formula.empty()) {
        const std::string entry = book.cellEntryText(1, Row, Col);
        fuzz::check(typed(book, entry), "the formula bar's text of a formula is taken when typed again");
        fuzz::check(book.cellFormula(1, Row, Col) == formula, "the formula bar's text typed again gives the same formula");
    }

    // References move with inserted and deleted rows and columns.
    try {
        book.insertRows(1, 2, 1);
        book.insertCols(1, 1, 1);
        readEveryCell(book);
        book.deleteRows(1, 1, 2);
        book.deleteCols(1, 2, 1);
    } catch (const platform::Error&) {
        // a shift that would push a cell off the sheet is refused
    }
    book.CheckRecalc();
    readEveryCell(book);
    return 0;
}
