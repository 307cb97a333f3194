#pragma once

// Page setup of a worksheet and the division of its printed range into pages.
//
// Margins are inches from the paper's edges; the header and the footer stand
// their own margin from the top and the bottom edge. Header and footer texts
// take the codes &P (page number), &N (number of pages), &A (sheet name),
// &F (file name) and && (an ampersand). Scale is a percentage from 10 to 400.
//
// Pages: the columns and rows of the range are cut into bands that fit the
// printable width and height (a column or row larger than the page gets a
// page band of its own), and a band also ends before every manual page break;
// pages are numbered down the rows first, then across the columns, unless
// acrossFirst is set.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace spreadsheet {

struct PageSetup {
    std::int16_t orientation = 1;  // 1 portrait, 2 landscape
    std::int16_t paperSize = 9;    // the printer's codes: 1 Letter, 5 Legal, 8 A3, 9 A4, 11 A5
    double marginLeft = 0.75;
    double marginRight = 0.75;
    double marginTop = 1.0;
    double marginBottom = 1.0;
    double headerMargin = 0.5;
    double footerMargin = 0.5;
    std::string header = "&A";
    std::string footer = "Page &P";
    bool gridLines = true;
    std::int32_t scale = 100;
    bool acrossFirst = false;

    friend bool operator==(const PageSetup&, const PageSetup&) = default;
};

// Checks a page setup: error 380 ("Invalid property value") naming the field
// for a negative margin, a scale outside 10..400, an unknown orientation.
void checkPageSetup(const PageSetup& setup);

// Margins that leave no room to print on the paper. paperWidth and
// paperHeight are inches, the paper as the orientation turns it; paperName
// names it in the message ("A4 portrait"). The left and right margins must
// together stay below the width, the top and bottom margins below the
// height. The field named is the larger margin of the pair that fails (the
// left or the top one on a tie); the message says what the pair must meet
// and, where one exists, the largest value the field takes with the other
// margin as it is (two decimals, as the page setup dialog shows margins).
struct MarginProblem {
    enum class Field { Left, Right, Top, Bottom } field;
    std::string message;
};
[[nodiscard]] std::optional<MarginProblem> marginProblem(const PageSetup& setup, double paperWidth,
                                                         double paperHeight, std::string_view paperName);

// The header or footer text of one page.
[[nodiscard]] std::string expandHeaderText(std::string_view pattern, std::int32_t page, std::int32_t pages,
                                           std::string_view sheetName, std::string_view fileName);

// One printed page: rows and columns of the sheet, from 1, inclusive.
struct PageRange {
    std::int32_t firstRow;
    std::int32_t lastRow;
    std::int32_t firstCol;
    std::int32_t lastCol;

    friend bool operator==(const PageRange&, const PageRange&) = default;
};

// Bands of consecutive sizes that fit `room`, as (first, last) index pairs
// from 0; every size larger than the room makes a band alone. A band also
// starts at every index listed in breaksBefore (indices from 0, any order;
// 0 and indices past the end change nothing).
[[nodiscard]] std::vector<std::pair<std::size_t, std::size_t>> bands(std::span<const double> sizes, double room,
                                                                     std::span<const std::size_t> breaksBefore = {});

// The pages of a range whose columns and rows have the given sizes (any
// unit, the same as the room's), starting at row `firstRow` and column
// `firstCol`. rowBreaks and colBreaks: indices into rowHeights and colWidths
// (from 0) where a manual page break starts a new page.
[[nodiscard]] std::vector<PageRange> paginate(std::span<const double> colWidths, std::span<const double> rowHeights,
                                              std::int32_t firstRow, std::int32_t firstCol, double width,
                                              double height, bool acrossFirst,
                                              std::span<const std::size_t> rowBreaks = {},
                                              std::span<const std::size_t> colBreaks = {});

} // namespace spreadsheet
