#pragma once

// The program's own workbook file (the .vts entries of the file lists).
//
// A UTF-8 text file of LF-ended lines; every line is one record whose fields
// are separated by one tab. Texts (sheet names, cell texts, formulas) are
// escaped: "\\" for a backslash, "\t" for a tab, "\n" for a line feed, "\r"
// for a carriage return; nothing else is escaped. Numbers are written as the
// shortest decimal text that reads back to the same double, with a point as
// decimal sign, whatever the locale.
//
//   TESSARAY WORKBOOK<TAB>1                 header: format version 1
//   type<TAB>3                              the type code it was written as (3 or 4)
//   sheets<TAB><count><TAB><active sheet>   count >= 1, active 1..count
//   then for each sheet, in order:
//     sheet<TAB><name>
//     selected<TAB><0|1>
//     cursor<TAB><row><TAB><col>            the active cell
//     range<TAB><r1><TAB><c1><TAB><r2><TAB><c2>   one line per selected range (>= 1)
//     cells<TAB><count>                     then exactly count cell lines:
//     <row><TAB><col><TAB><kind><TAB><payload>
//        kind n: number; s: text; b: logical (0 or 1); e: error code
//        (CellError in Value.h); f: formula text without "=" (its result is
//        computed again on reading)
//     endsheet
//   end<TAB><total cell count>             the last line; a file without it is truncated
//
// Rows 1..16384 and columns 1..256. Cells of a sheet come in row order, then
// column order. A reader refuses (error 321) a file with an unknown version,
// a record out of place, a number that does not parse, a position outside the
// sheet or a count that does not match.

#include <string_view>

namespace spreadsheet::detail {

inline constexpr std::string_view kNativeMagic = "TESSARAY WORKBOOK\t";
inline constexpr int kNativeVersion = 1;

} // namespace spreadsheet::detail
