#pragma once

// The single formats behind WorkbookFiles (internal). Readers get the whole
// file; every reader raises error 321 for content it cannot read and leaves
// the workbook it fills to be thrown away.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/LeftOut.h"

namespace spreadsheet {
class Workbook;
struct FileKeeps;
}

namespace spreadsheet::detail {

[[noreturn]] void invalidFormat(const char* source, std::string_view why);

bool looksNative(std::string_view bytes) noexcept;
FileType readNative(std::string_view bytes, Workbook& into);
void writeNative(std::ostream& out, const Workbook& book, FileType type);

bool looksLikeText(std::string_view bytes) noexcept;
// Lines after the 16,384th and fields after the 256th are left out and noted
// in `leftOut` (when given).
void readText(std::string_view bytes, Workbook& into, std::vector<LeftOut>* leftOut = nullptr);
// Tab-delimited CR LF lines of the active sheet, from A1 to the last used
// row and column. valuesOnly: numbers at full precision; else as shown.
void writeText(std::ostream& out, const Workbook& book, bool valuesOnly);

// dataOnly: the active sheet's table alone; else a page with every sheet.
void writeHtml(std::ostream& out, const Workbook& book, bool dataOnly);

// What each writer keeps (FileKeeps in WorkbookFiles.h), next to its code.
FileKeeps nativeKeeps();
FileKeeps xlsKeeps(bool biff8);
FileKeeps textKeeps(bool valuesOnly);
FileKeeps htmlKeeps(bool dataOnly);

bool looksLikeCompoundFile(std::string_view bytes) noexcept;
// Whether the bytes are the first bytes of a compound file's signature and
// nothing more: a workbook cut short in its first bytes.
bool isCutCompoundSignature(std::string_view bytes) noexcept;
// The whole file, already read. Cells past a sheet's rows and columns are
// left out and noted in `leftOut` (when given).
FileType readXls(std::string_view file, Workbook& into, std::vector<LeftOut>* leftOut = nullptr);
// The workbook stream of an .xls file ("Workbook" before "Book"); 321 when
// the file is not a compound file or holds neither.
std::string xlsWorkbookStream(std::string_view file);
// biff8: Excel 97/2000 (BIFF8, stream "Workbook"); else Excel 5/95 (BIFF5, stream "Book").
void writeXls(const std::string& path, const Workbook& book, bool biff8);
// The workbook stream alone, for tests of the record layout.
std::string buildBiffStream(const Workbook& book, bool biff8);
// A compound file holding `stream` as its workbook stream ("Workbook" when
// biff8, else "Book"). Errors: 75 when the file cannot be made, 61 when it
// cannot be written whole.
void writeXlsStream(const std::string& path, std::string_view stream, bool biff8);

} // namespace spreadsheet::detail
