// The delimited-text workbook reader (tab- or comma-separated), fed the bytes
// directly. What it reads must fit the sheet.

#include "fuzz/FuzzSupport.h"
#include "platform/errors/Error.h"
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/Workbook.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::asText(data, size);
    if (!spreadsheet::detail::looksLikeText(bytes)) {
        return 0;
    }
    spreadsheet::Workbook book;
    try {
        spreadsheet::detail::readText(bytes, book);
    } catch (const platform::Error&) {
        return 0;
    }
    fuzz::check(book.lastUsedRow(1) <= 16384 && book.lastUsedCol(1) <= 256, "a text fits the sheet");
    return 0;
}
