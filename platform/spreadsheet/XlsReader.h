#pragma once

// Reading the workbook stream of an .xls file (internal): BIFF5 (Excel 5/95)
// and BIFF8 (Excel 97 and later) records into sheets of the model.
//
// What is read: the worksheets named in the sheet list (BOUNDSHEET), in
// that order, with their names; every cell record: texts (LABELSST through
// the shared-string table SST and its CONTINUE records, LABEL, RSTRING),
// numbers (NUMBER, RK, MULRK), logicals and errors (BOOLERR), and formulas
// as their last computed result (a number, a text from the STRING record
// that follows, a logical or an error). The number format of each cell's
// XF is kept beside the sheet, with the workbook's own format texts, so
// that a date keeps its serial number and its date format. BIFF5 texts are
// decoded in the workbook's code page (CODEPAGE record), BIFF8 texts are
// UTF-16 or its 8-bit compressed form.
//
// What is not: formulas themselves (their results stand in their place),
// fonts, cell styles, column widths, merged cells, comments, names, charts,
// pictures, and sheets that are not worksheets (charts, macro sheets).
//
// Every record length is checked against what is left of the stream (and
// every field against what is left of its record) before a byte is read.
// Error 321 for a stream that is damaged or truncated, is encrypted, is of
// another BIFF version, names no worksheet, has sheets that overlap, or has
// a cell outside a sheet's 16,384 rows x 256 columns.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spreadsheet/SheetData.h"

namespace spreadsheet::detail {

// A cell whose XF names a number format other than General (code 0).
struct BiffCellFormat {
    std::int32_t row = 0;  // 1-based, as in the model
    std::int32_t col = 0;
    std::uint16_t numberFormat = 0;  // a built-in code (below 164) or one of BiffBook::numberFormats
};

struct BiffSheet {
    std::unique_ptr<SheetData> data;
    std::vector<BiffCellFormat> formats;  // in record order
};

struct BiffBook {
    bool biff8 = false;
    unsigned codePage = 1252;
    bool date1904 = false;  // serial dates count from 1904-01-01 instead of 1899-12-30
    std::map<std::uint16_t, std::string> numberFormats;  // FORMAT records: code -> format text
    std::vector<BiffSheet> sheets;                       // at least one
};

// Reads a whole workbook stream. Throws platform::Error 321 (see above).
// Linear in the stream's size.
[[nodiscard]] BiffBook parseBiffStream(std::string_view stream);

} // namespace spreadsheet::detail
