#pragma once

// Workbook file type codes. The program keeps the code of a workbook's file
// in the workbook's Tag (as decimal text) and hands it back to Write, so the
// codes are stored in settings and documents: never renumber them.
// The order follows the options dialog's output list (code = position + 1;
// 0 is no type, so an empty Tag never picks a format by accident).

#include <cstdint>
#include <string_view>

namespace spreadsheet {

enum class FileType : std::int32_t {
    None = 0,
    Excel5 = 1,          // .xls, BIFF5 in a compound file (Excel 5/95)
    Excel97 = 2,         // .xls, BIFF8 in a compound file (Excel 97/2000)
    Native = 3,          // .vts: the program's own workbook format (see NativeFormat.h)
    Native6 = 4,         // .vts: the same format, kept apart so that its Tag round-trips
    Html = 5,            // .htm: a page with one table per sheet (write only)
    HtmlDataOnly = 6,    // .htm: the active sheet's table alone (write only)
    Text = 7,            // .txt: tab-delimited text as shown in the grid
    TextValuesOnly = 8,  // .txt: tab-delimited text with full-precision values
    Count
};
static_assert(static_cast<int>(FileType::Count) == 9, "the output list has eight entries");

[[nodiscard]] constexpr bool isValidFileType(std::int32_t code) noexcept
{
    return code > 0 && code < static_cast<std::int32_t>(FileType::Count);
}

// The name of a type as the save dialog lists it ("Excel 97/2000"); "" for
// None and Count.
[[nodiscard]] constexpr std::string_view fileTypeName(FileType type) noexcept
{
    switch (type) {
    case FileType::Excel5:
        return "Excel 5 and 7/95";
    case FileType::Excel97:
        return "Excel 97/2000";
    case FileType::Native:
        return "Formula One 3/4/5";
    case FileType::Native6:
        return "Formula One 6";
    case FileType::Html:
        return "HTML";
    case FileType::HtmlDataOnly:
        return "HTML, data only";
    case FileType::Text:
        return "Tab-delimited text";
    case FileType::TextValuesOnly:
        return "Tab-delimited text, values only";
    case FileType::None:
    case FileType::Count:
        break;
    }
    return {};
}

// The extension (without its dot) the save dialog gives files of a type;
// "" for None and Count. Two types share each one.
[[nodiscard]] constexpr std::string_view fileTypeExtension(FileType type) noexcept
{
    switch (type) {
    case FileType::Excel5:
    case FileType::Excel97:
        return "xls";
    case FileType::Native:
    case FileType::Native6:
        return "vts";
    case FileType::Html:
    case FileType::HtmlDataOnly:
        return "htm";
    case FileType::Text:
    case FileType::TextValuesOnly:
        return "txt";
    case FileType::None:
    case FileType::Count:
        break;
    }
    return {};
}

// The other extension files of a type bear ("html" for a page, as well as
// the save dialog's "htm"); "" for the types that have one alone.
[[nodiscard]] constexpr std::string_view fileTypeOtherExtension(FileType type) noexcept
{
    return type == FileType::Html || type == FileType::HtmlDataOnly ? std::string_view("html") : std::string_view();
}

} // namespace spreadsheet
