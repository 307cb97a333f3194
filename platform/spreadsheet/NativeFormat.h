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
//   TESSARAY WORKBOOK<TAB>3                 header: format version (1 and 2 are read too)
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
//     then the sheet's formats (from version 2), any of these lines:
//     style<TAB><id><TAB><font><TAB><points><TAB><flags><TAB><colour><TAB><number format>
//          <TAB><h align 1-4><TAB><v align 1-3><TAB><left><TAB><right><TAB><top><TAB><bottom><TAB><fill>
//        ids from 0 in order, 0 the normal style; flags 1 bold, 2 italic,
//        4 underline, 8 wrap, 16 locked; colours RRGGBB in hex, fill "-"
//        for none; borders 0 none, 1 thin, 2 medium, 3 thick
//     runs<TAB><row>{<TAB><first col><TAB><last col><TAB><style id>}   runs of one row
//     defaults<TAB><column width><TAB><row height>   characters, points
//     colwidth<TAB><col><TAB><characters>     rowheight<TAB><row><TAB><points>
//     hidecol<TAB><col>                      hiderow<TAB><row>
//     freeze<TAB><first row><TAB><rows><TAB><first col><TAB><cols>
//     protect<TAB><0|1>
//     printarea<TAB><r1><TAB><c1><TAB><r2><TAB><c2>
//     printtitles<TAB><r1><TAB><c1><TAB><r2><TAB><c2>   0 for none
//     then its manual page breaks (from version 3), one line each:
//     rowbreak<TAB><row>                    a page starts at the row, 2..16384
//     colbreak<TAB><col>                    a page starts at the column, 2..256
//     then its page setup (from version 3), only when it differs from a new sheet's:
//     pagesetup<TAB><orientation 1|2><TAB><paper><TAB><left><TAB><right><TAB><top><TAB><bottom>
//          <TAB><header margin><TAB><footer margin><TAB><header><TAB><footer>
//          <TAB><grid lines 0|1><TAB><scale 10-400><TAB><across first 0|1>
//        margins in inches (finite, >= 0); paper the printer's code
//        (PageSetup.h; an unknown one prints on A4); header and footer
//        escaped; at most one per sheet; what checkPageSetup refuses is refused
//     then the sheet's drawing objects (from version 3), back to front, one line each:
//     object<TAB><id><TAB><kind><TAB><name>
//          <TAB><from row><TAB><from col><TAB><from dx><TAB><from dy>
//          <TAB><to row><TAB><to col><TAB><to dx><TAB><to dy>
//          <TAB><flags><TAB><line colour><TAB><line width><TAB><line style><TAB><fill colour>
//          <TAB><text><TAB><check state><TAB><chosen item>
//          <TAB><chart r1><TAB><chart c1><TAB><chart r2><TAB><chart c2>
//          <TAB><point count>{<TAB><x><TAB><y>}<TAB><item count>{<TAB><item>}
//        kind the ObjectKind code; offsets and line width in points; flags
//        1 flipX, 2 flipY, 4 filled, 8 arrow at the start, 16 arrow at the
//        end; colours RRGGBB in hex; name, text and items escaped; ids
//        unique on the sheet; every field in the ranges of isValidObject
//     endsheet
//   then the workbook's defined names (from version 3), one line each, in
//   the order defined:
//   name<TAB><name><TAB><refers to>        the text without "=" (escaped);
//        the name as DefinedName.h allows, each once (letter case ignored)
//   then the workbook's options (from version 3), only when any differs from
//   a new workbook's (all on); a file without the line has every option on:
//   options<TAB><automatic recalculation><TAB><grid lines><TAB><row headings><TAB><column headings>
//        each 0 (off) or 1 (on)
//   end<TAB><total cell count>             the last line; a file without it is truncated
//
// Rows 1..16384 and columns 1..256. Cells of a sheet come in row order, then
// column order. A reader refuses (error 321) a file with an unknown version,
// a record out of place, a number that does not parse, a position outside the
// sheet, a count that does not match, a page break given twice or outside
// the sheet, a defined name that is invalid, repeated or empty, or a page
// setup or options record that is malformed, out of range or repeated.

#include <string_view>

namespace spreadsheet::detail {

inline constexpr std::string_view kNativeMagic = "TESSARAY WORKBOOK\t";
inline constexpr int kNativeVersion = 3;

} // namespace spreadsheet::detail
