#pragma once

// The text of a number under a spreadsheet number format code.
//
// Codes: "General"; up to three sections "positive;negative;zero" (a single
// section serves all, negatives getting a leading "-"; a negative section
// shows the magnitude); in a section the digit placeholders 0 (always a
// digit) and # (a digit only when significant), "." for the decimals, ","
// between placeholders for thousands separators, "%" (the value times 100),
// "E+"/"E-" with 0s after them for scientific notation, literal text in
// double quotes or after a backslash, and "[...]" colour tags (ignored).
// Commas after the last digit placeholder divide by 1,000 each ("0.0,"
// shows 1234.5 as 1.2). A "/" between placeholders makes a fraction: "# ?/?"
// and "# ??/??" a whole number and the nearest fraction with a denominator
// of up to 1 or 2 digits ("1 1/2"), "?/?" an improper fraction ("3/2"), a
// value that rounds to a whole number shown with blanks for the fraction
// ("3    "); a fixed denominator, or a magnitude of 2^32 or more, shows the
// General text.
// Sections holding y, m, d, h or s show the value as a date serial (days
// since 30 December 1899, the 1900 date system, fractions as time of day):
// yyyy yy mmmm mmm mm m dddd ddd dd d hh h mm (minutes after h or before s)
// ss s AM/PM, and ".0" (up to nine 0s) after seconds for their decimals;
// times are rounded to the shown part of a second. [h], [mm] and [ss] count
// elapsed time in hours, minutes or seconds ("[h]:mm" shows 1.5 as 36:00,
// -1.5 as -36:00); an elapsed span of 2^32 seconds or more, or one beside a
// date, shows the General text. Text outside placeholders stays in place
// before or after the number. All text is locale-independent: "." decimal
// sign, "," thousands.
//
// Fitting a number in a cell follows the sheet's rule: General numbers are
// rounded to what fits (fitNumberText); a formatted number whose text does not
// fit shows '#'s, never a cut-off string; a code with no text for the value
// ("#" for 0) leaves the cell empty.

#include <string>
#include <string_view>
#include <vector>

#include "platform/spreadsheet/NumberFit.h"

namespace spreadsheet {

// The full text of v under code (General: Value's display text). A code that
// cannot be applied to v falls back to General; a non-finite v shows as
// General does; a date outside the calendar has no text (empty).
[[nodiscard]] std::string formatNumber(double v, std::string_view code);

// The text a cell of width `available` shows for v under code.
[[nodiscard]] std::string shownNumberText(double v, std::string_view code, int available, const TextWidth& width);

// Whether the code shows dates or times (such cells are numbers underneath).
[[nodiscard]] bool isDateFormat(std::string_view code);

// Whether the code is Text ("@"): what is typed into such a cell stays the
// text typed (Workbook::setCellEntry).
[[nodiscard]] bool isTextFormat(std::string_view code) noexcept;

// The codes the Format Cells dialog offers, General first.
[[nodiscard]] const std::vector<std::string>& builtInNumberFormats();

} // namespace spreadsheet
