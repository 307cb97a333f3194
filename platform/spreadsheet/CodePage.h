#pragma once

// Character conversions the workbook files need (internal): UTF-8 inside the
// model; Windows-1252 in old text files and Excel 5 workbooks written here;
// UTF-16 in Excel 97 workbooks; any single- or double-byte Windows code page
// in Excel 5 workbooks written elsewhere.

#include <string>
#include <string_view>

#include "platform/runtime/Utf8.h"

namespace spreadsheet::detail {

using platform::rt::appendUtf8;

// Windows-1252 bytes as UTF-8. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their Latin-1 meaning.
[[nodiscard]] std::string cp1252ToUtf8(std::string_view bytes);

// The Windows-1252 byte of a UTF-16 unit, or '?' when the code page lacks it.
[[nodiscard]] char utf16ToCp1252(char16_t u) noexcept;

// UTF-16 of UTF-8 text; a malformed sequence gives U+FFFD.
[[nodiscard]] std::u16string utf8ToUtf16(std::string_view utf8);

// UTF-8 of UTF-16 units; an unpaired surrogate gives U+FFFD.
[[nodiscard]] std::string utf16ToUtf8(std::u16string_view utf16);

// UTF-8 of text in the Windows code page with the given number (the number
// an Excel workbook names in its CODEPAGE record: 1252, 1251, 932, 10000
// for Mac Roman, ...). Windows-1252 is decoded here; other code pages
// through the C library's iconv. A code page iconv does not know is read as
// Windows-1252; a byte the code page does not define becomes U+FFFD.
[[nodiscard]] std::string codePageToUtf8(std::string_view bytes, unsigned codePage);

} // namespace spreadsheet::detail
