#include "platform/spreadsheet/PageSetup.h"

#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/Workbook.h"

namespace {

using spreadsheet::PageRange;

TEST(PageSetup, HeaderCodesExpandToPageSheetAndFile)
{
    using spreadsheet::expandHeaderText;
    EXPECT_EQ(expandHeaderText("Page &P of &N", 2, 7, "Sheet1", "a.xls"), "Page 2 of 7");
    EXPECT_EQ(expandHeaderText("&A - &F", 1, 1, "Data", "expr.vts"), "Data - expr.vts");
    EXPECT_EQ(expandHeaderText("R&&D &X&", 1, 1, "", ""), "R&D &X&");
}

TEST(PageSetup, MarginsMustLeaveRoomAcrossAndDownThePaper)
{
    using Field = spreadsheet::MarginProblem::Field;
    struct Row {
        const char* name;
        double left, right, top, bottom;
        bool refused;
        Field field;
        const char* message;
    };
    // A4 portrait: 8.27 x 11.69 in.
    const Row rows[] = {
        {"defaults", 0.75, 0.75, 1, 1, false, Field::Left, ""},
        {"a left margin of 9 in", 9, 0.75, 1, 1, true, Field::Left,
         "Left margin: the left and right margins together must be less than 8.27 in, the width of A4 portrait "
         "paper. With a right margin of 0.75 in, enter at most 7.51 in."},
        {"the largest left margin shown with two decimals", 7.51, 0.75, 1, 1, false, Field::Left, ""},
        {"one hundredth more", 7.52, 0.75, 1, 1, true, Field::Left, nullptr},
        {"the larger one of the pair is named", 0.5, 8, 1, 1, true, Field::Right,
         "Right margin: the left and right margins together must be less than 8.27 in, the width of A4 portrait "
         "paper. With a left margin of 0.50 in, enter at most 7.76 in."},
        {"a pair that fills the page exactly", 4.135, 4.135, 1, 1, true, Field::Left, nullptr},
        {"no room down", 1, 1, 6, 6, true, Field::Top,
         "Top margin: the top and bottom margins together must be less than 11.69 in, the height of A4 portrait "
         "paper. With a bottom margin of 6.00 in, enter at most 5.69 in."},
        {"the other margin alone fills the paper", 10, 10, 1, 1, true, Field::Left,
         "Left margin: the left and right margins together must be less than 8.27 in, the width of A4 portrait "
         "paper."},
    };
    const double width = 210 / 25.4;
    const double height = 297 / 25.4;
    for (const Row& row : rows) {
        spreadsheet::PageSetup setup;
        setup.marginLeft = row.left;
        setup.marginRight = row.right;
        setup.marginTop = row.top;
        setup.marginBottom = row.bottom;
        const auto problem = spreadsheet::marginProblem(setup, width, height, "A4 portrait");
        ASSERT_EQ(problem.has_value(), row.refused) << row.name;
        if (problem) {
            EXPECT_EQ(problem->field, row.field) << row.name;
            if (row.message) {
                EXPECT_EQ(problem->message, row.message) << row.name;
            }
        }
    }
}

TEST(PageSetup, BandsFitTheRoomAndOversizedItemsStandAlone)
{
    const std::vector<double> sizes{3, 3, 3, 10, 2, 2};
    const auto b = spreadsheet::bands(sizes, 6);
    using Band = std::pair<std::size_t, std::size_t>;
    EXPECT_EQ(b, (std::vector<Band>{{0, 1}, {2, 2}, {3, 3}, {4, 5}}));
    EXPECT_TRUE(spreadsheet::bands(std::vector<double>{}, 6).empty());
}

TEST(PageSetup, ManualBreaksStartBandsWhereTheyStand)
{
    using Band = std::pair<std::size_t, std::size_t>;
    const std::vector<double> sizes{1, 1, 1, 1, 1, 1, 1};
    struct Row {
        const char* name;
        std::vector<std::size_t> breaks;
        std::vector<Band> expected;
    };
    const Row rows[] = {
        {"none: the room alone", {}, {{0, 3}, {4, 6}}},
        {"one inside a band", {2}, {{0, 1}, {2, 5}, {6, 6}}},
        {"where the room would cut anyway", {4}, {{0, 3}, {4, 6}}},
        {"unsorted, repeated, at 0 and past the end", {5, 0, 1, 5, 99}, {{0, 0}, {1, 4}, {5, 6}}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(spreadsheet::bands(sizes, 4, row.breaks), row.expected) << row.name;
    }
    const std::vector<std::size_t> rowBreaks{1};
    const std::vector<std::size_t> colBreaks{1};
    const auto pages = spreadsheet::paginate(std::vector<double>{1, 1}, std::vector<double>{1, 1}, 3, 2, 10, 10,
                                             false, rowBreaks, colBreaks);
    EXPECT_EQ(pages, (std::vector<PageRange>{{3, 3, 2, 2}, {4, 4, 2, 2}, {3, 3, 3, 3}, {4, 4, 3, 3}}));
}

TEST(PageSetup, PagesGoDownFirstUnlessAcrossIsAsked)
{
    const std::vector<double> cols{5, 5, 5};
    const std::vector<double> rows{1, 1, 1, 1, 1};
    const auto down = spreadsheet::paginate(cols, rows, 1, 1, 10, 3, false);
    EXPECT_EQ(down, (std::vector<PageRange>{{1, 3, 1, 2}, {4, 5, 1, 2}, {1, 3, 3, 3}, {4, 5, 3, 3}}));
    const auto across = spreadsheet::paginate(cols, rows, 1, 1, 10, 3, true);
    EXPECT_EQ(across, (std::vector<PageRange>{{1, 3, 1, 2}, {1, 3, 3, 3}, {4, 5, 1, 2}, {4, 5, 3, 3}}));
    // Every cell lands on exactly one page.
    std::vector<int> seen(15, 0);
    for (const PageRange& p : down) {
        for (int r = p.firstRow; r <= p.lastRow; ++r) {
            for (int c = p.firstCol; c <= p.lastCol; ++c) {
                ++seen[static_cast<std::size_t>((r - 1) * 3 + c - 1)];
            }
        }
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 15);
}

TEST(PageSetup, SheetsKeepTheirOwnCheckedSettings)
{
    spreadsheet::Workbook book;
    book.setNumSheets(2);
    spreadsheet::PageSetup landscape;
    landscape.orientation = 2;
    landscape.footer = "&P/&N";
    book.setPageSetup(2, landscape);
    EXPECT_EQ(book.pageSetup(2), landscape);
    EXPECT_EQ(book.pageSetup(1), spreadsheet::PageSetup{});

    for (auto change : std::vector<void (*)(spreadsheet::PageSetup&)>{
             [](spreadsheet::PageSetup& s) { s.marginLeft = -0.1; },
             [](spreadsheet::PageSetup& s) { s.scale = 5; },
             [](spreadsheet::PageSetup& s) { s.orientation = 3; },
         }) {
        spreadsheet::PageSetup bad;
        change(bad);
        EXPECT_THROW(book.setPageSetup(1, bad), platform::Error);
        EXPECT_EQ(book.pageSetup(1), spreadsheet::PageSetup{});
    }
}

} // namespace
