#pragma once

// Reading the workbook stream of an .xls file (internal): BIFF5 (Excel 5/95)
// and BIFF8 (Excel 97 and later) records into sheets of the model.
//
// What is read: the worksheets named in the sheet list (BOUNDSHEET), in
// that order, with their names; every cell record: texts (LABELSST through
// the shared-string table SST and its CONTINUE records, LABEL, RSTRING),
// numbers (NUMBER, RK, MULRK), logicals and errors (BOOLERR), and formulas
// as their last computed result (a number, a text from the STRING record
// that follows, a logical or an error). The formatting records are read as
// stored: the fonts (FONT), cell styles (XF), custom colours (PALETTE) and
// number format texts (FORMAT) of the globals; per sheet the XF of every
// cell (BLANK and MULBLANK too) whose XF is not the default one, and the
// column widths and row heights (DEFCOLWIDTH, STANDARDWIDTH, COLINFO,
// DEFAULTROWHEIGHT, ROW); XlsStyles turns them into the sheet's formats, so
// that a date keeps its serial number and its date format. BIFF5 texts are
// decoded in the workbook's code page (CODEPAGE record), BIFF8 texts are
// UTF-16 or its 8-bit compressed form.
//
// What is not: formulas themselves (their results stand in their place),
// the default formats of whole rows and columns, merged cells, comments,
// names, charts, pictures, and sheets that are not worksheets (charts,
// macro sheets).
//
// Every record length is checked against what is left of the stream (and
// every field against what is left of its record) before a byte is read.
// Formatting records that are too short are skipped, as are the formats of
// blank cells outside the sheet.
// A cell outside a sheet's 16,384 rows x 256 columns (an Excel 97 sheet has
// 65,536 rows) is left out, and its sheet notes which limit it passed.
// Error 321 for a stream that is damaged or truncated, is encrypted, is of
// another BIFF version, names no worksheet, or has sheets that overlap.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spreadsheet/SheetData.h"

namespace spreadsheet::detail {

// A FONT record as stored.
struct BiffFont {
    std::string name;
    unsigned height = 200;  // twips
    bool italic = false;
    unsigned weight = 400;  // 400 normal, 700 bold
    unsigned underline = 0;  // 0 none, 1 single, 2 double, 0x21/0x22 accounting
    unsigned colour = 0x7FFF;  // palette index; 0x7FFF automatic
};

// The look of an XF record as stored: the codes of BIFF5 and BIFF8, which
// lay them out differently, read into one shape.
struct BiffXf {
    unsigned font = 0;          // font index (4 does not exist)
    std::uint16_t numberFormat = 0;  // a built-in code (below 164) or one of BiffBook::numberFormats
    bool locked = true;
    unsigned hAlign = 0;  // 0 general, 1 left, 2 centre, 3 right, 4 fill, 5 justify, 6 centre across, 7 distributed
    unsigned vAlign = 2;  // 0 top, 1 centre, 2 bottom, 3 justify, 4 distributed
    bool wrap = false;
    unsigned borderLeft = 0;  // line style codes: 0 none, 1 thin, 2 medium, 5 thick, others dashed/dotted/double
    unsigned borderRight = 0;
    unsigned borderTop = 0;
    unsigned borderBottom = 0;
    unsigned pattern = 0;  // 0 none, 1 solid, 2..18 shaded patterns
    unsigned patternColour = 64;      // palette index; 64 automatic foreground
    unsigned patternBackground = 65;  // palette index; 65 automatic background
    bool operator==(const BiffXf&) const = default;
};

// A cell whose XF may differ from the file's default cell XF (15).
struct BiffCellXf {
    std::int32_t row = 0;  // 1-based, as in the model
    std::int32_t col = 0;
    std::uint16_t xf = 0;  // index into BiffBook::xfs
};

// COLINFO: columns first..last (0-based, as stored; last may lie past the sheet).
struct BiffColumns {
    unsigned first = 0;
    unsigned last = 0;
    unsigned width = 0;  // 1/256 of a character
    unsigned flags = 0;  // 0x0001 hidden, 0x0002 width set by the user
};

// ROW: a row's height and flags (0-based row, as stored).
struct BiffRow {
    unsigned row = 0;
    unsigned height = 0;  // twips in bits 0-14; bit 15 set: the default height
    unsigned flags = 0;   // 0x0020 hidden, 0x0040 height set by the user
};

struct BiffSheet {
    std::unique_ptr<SheetData> data;
    // In record order; of several records for one cell the last one listed
    // wins (records of the default XF are not listed).
    std::vector<BiffCellXf> cells;
    std::optional<unsigned> defColWidth;       // DEFCOLWIDTH: characters
    std::optional<unsigned> standardWidth;     // STANDARDWIDTH: 1/256 of a character
    std::optional<unsigned> defaultRowHeight;  // DEFAULTROWHEIGHT: twips
    std::vector<BiffColumns> columns;
    std::vector<BiffRow> rows;
    bool rowsLeftOut = false;     // a cell after row 16,384 was left out
    bool columnsLeftOut = false;  // a cell after column 256 was left out
};

struct BiffBook {
    bool biff8 = false;
    unsigned codePage = 1252;
    bool date1904 = false;  // serial dates count from 1904-01-01 instead of 1899-12-30
    std::map<std::uint16_t, std::string> numberFormats;  // FORMAT records: code -> format text
    std::vector<BiffFont> fonts;  // in record order (index 4 skipped: record i >= 4 is font i + 1)
    std::vector<BiffXf> xfs;      // by XF index
    std::vector<Rgb> palette;     // PALETTE: the colours of indices 8.. (the rest keep the default palette)
    std::vector<BiffSheet> sheets;  // at least one
};

// Reads a whole workbook stream. Throws platform::Error 321 (see above).
// Linear in the stream's size.
[[nodiscard]] BiffBook parseBiffStream(std::string_view stream);

} // namespace spreadsheet::detail
