#pragma once

// The formats of one worksheet, stored sparsely: a table of distinct cell
// styles (style 0 is the sheet's normal style) and, for each row, runs of
// columns that use one style; columns outside every run use style 0. A
// 16,384 x 256 sheet with a few formatted blocks costs a few runs per row.
//
// With them the sheet's layout: column widths (in characters of the normal
// font), row heights (in points), hidden rows and columns, their defaults,
// frozen panes, protection, the print area and print titles, and the manual
// page breaks.
//
// Rows 1..16384 and columns 1..256; positions outside raise nothing here:
// the Workbook checks them before calling.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/spreadsheet/CellFormat.h"
#include "platform/spreadsheet/CellRef.h"

namespace spreadsheet {

class SheetFormat {
public:
    static constexpr double kDefaultColWidth = 9.0;     // characters
    static constexpr double kDefaultRowHeight = 12.75;  // points
    static constexpr double kMaxColWidth = 255.0;
    static constexpr double kMaxRowHeight = 409.0;

    SheetFormat();

    // ---- cell styles -------------------------------------------------------
    [[nodiscard]] const CellFormat& format(std::int32_t row, std::int32_t col) const;
    [[nodiscard]] std::uint16_t styleAt(std::int32_t row, std::int32_t col) const;
    [[nodiscard]] const CellFormat& style(std::uint16_t id) const { return m_styles.at(id); }
    [[nodiscard]] std::size_t styleCount() const noexcept { return m_styles.size(); }
    // The id of a style equal to f, adding it when new (error 7 past 65,535 styles).
    std::uint16_t intern(const CellFormat& f);
    // Gives every cell of the range the style that `edit` makes of its own.
    void change(const RangeRef& range, const std::function<void(CellFormat&)>& edit);
    void setStyle(const RangeRef& range, std::uint16_t id);
    // Back to the normal style.
    void clear(const RangeRef& range) { setStyle(range, 0); }
    // The normal style, which every unformatted cell shows; changing its font
    // is the sheet's default font.
    void setNormal(const CellFormat& f) { m_styles[0] = f; }

    struct Run {
        std::int32_t firstCol = 1;
        std::int32_t lastCol = 1;
        std::uint16_t style = 0;
        bool operator==(const Run&) const = default;
    };
    // The runs of a row (style 0 left out), in column order.
    [[nodiscard]] const std::vector<Run>& runs(std::int32_t row) const;
    // Puts back a row's runs as a file holds them; false (nothing changed)
    // unless they are in column order, apart, inside the sheet and name
    // existing styles.
    bool restoreRuns(std::int32_t row, std::vector<Run> runs);
    [[nodiscard]] std::int32_t lastFormattedRow() const noexcept { return static_cast<std::int32_t>(m_rows.size()); }

    // Formats move with the cells when lines are inserted or deleted, and so
    // do line sizes, hidden lines and page breaks (a break before a deleted
    // line goes with it).
    void insertRows(std::int32_t at, std::int32_t count);
    void deleteRows(std::int32_t first, std::int32_t count);
    void insertCols(std::int32_t at, std::int32_t count);
    void deleteCols(std::int32_t first, std::int32_t count);
    // Formats of the cells of columns firstCol..lastCol from row `at` down
    // move down by count rows (those pushed past the last row are dropped);
    // the cells opened up get the normal style. Line sizes stay.
    void shiftCellsDown(std::int32_t at, std::int32_t firstCol, std::int32_t lastCol, std::int32_t count);
    // The same for the cells of rows firstRow..lastRow from column `at` on,
    // moving right.
    void shiftCellsRight(std::int32_t at, std::int32_t firstRow, std::int32_t lastRow, std::int32_t count);
    // The reverse of shiftCellsDown: the formats of the cells of columns
    // firstCol..lastCol in rows first..first + count - 1 are dropped, those
    // below move up by count rows, and the cells opened up at the bottom get
    // the normal style. Line sizes and page breaks stay.
    void shiftCellsUp(std::int32_t first, std::int32_t firstCol, std::int32_t lastCol, std::int32_t count);
    // Sorting a block by rows: row firstRow + i takes the formats that row
    // firstRow + order[i] has in columns firstCol..lastCol (i from 0 to
    // order.size() - 1, order a permutation of those indices); the cells
    // outside those columns keep theirs. The row heights and hidden flags of
    // the rows move with them.
    void permuteRows(std::int32_t firstRow, std::int32_t firstCol, std::int32_t lastCol,
                     const std::vector<std::int32_t>& order);
    // The same for a block sorted by columns: column firstCol + j takes the
    // formats of column firstCol + order[j] in rows firstRow..lastRow, and
    // the column widths and hidden flags move with their columns.
    void permuteCols(std::int32_t firstCol, std::int32_t firstRow, std::int32_t lastRow,
                     const std::vector<std::int32_t>& order);

    // ---- layout -----------------------------------------------------------------
    [[nodiscard]] double colWidth(std::int32_t col) const;  // characters; 0 while hidden
    // Points; 0 while hidden. A row without a height of its own is as tall
    // as its tallest font needs (fittedRowHeight).
    [[nodiscard]] double rowHeight(std::int32_t row) const;
    // The width (height) set for the line, whether or not it is hidden; the
    // default for a line without its own. This is what files keep.
    [[nodiscard]] double storedColWidth(std::int32_t col) const;
    [[nodiscard]] double storedRowHeight(std::int32_t row) const;
    // The height a row shows at when not hidden: its own height, or else the
    // default height grown to fit the largest font of the row's cells
    // (formatted or not; kFontRowRatio points of height per point of font).
    [[nodiscard]] double fittedRowHeight(std::int32_t row) const;
    // What fittedRowHeight gives for a row of the normal style alone (every
    // row past lastFormattedRow without its own height).
    [[nodiscard]] double plainRowHeight() const;
    // The default row height per point of the normal 10-point font.
    static constexpr double kFontRowRatio = kDefaultRowHeight / 10.0;
    [[nodiscard]] bool hasColWidth(std::int32_t col) const { return m_colWidth.count(col) != 0; }
    [[nodiscard]] bool hasRowHeight(std::int32_t row) const { return m_rowHeight.count(row) != 0; }
    // Clamped to 0..255 characters and 0..409 points; width 0 hides the column.
    void setColWidth(std::int32_t first, std::int32_t last, double chars);
    void setRowHeight(std::int32_t first, std::int32_t last, double points);
    [[nodiscard]] double defaultColWidth() const noexcept { return m_defaultColWidth; }
    [[nodiscard]] double defaultRowHeight() const noexcept { return m_defaultRowHeight; }
    void setDefaultColWidth(double chars);
    void setDefaultRowHeight(double points);
    [[nodiscard]] bool isColHidden(std::int32_t col) const;
    [[nodiscard]] bool isRowHidden(std::int32_t row) const;
    // Unhiding also gives a line that was hidden by a size of 0 the standard
    // size again (the default width; the height its fonts need), as a line
    // of size 0 could otherwise never be shown.
    void setColHidden(std::int32_t first, std::int32_t last, bool hidden);
    void setRowHidden(std::int32_t first, std::int32_t last, bool hidden);
    [[nodiscard]] const std::map<std::int32_t, double>& colWidths() const noexcept { return m_colWidth; }
    [[nodiscard]] const std::map<std::int32_t, double>& rowHeights() const noexcept { return m_rowHeight; }
    [[nodiscard]] const std::vector<std::int32_t>& hiddenCols() const noexcept { return m_hiddenCols; }
    [[nodiscard]] const std::vector<std::int32_t>& hiddenRows() const noexcept { return m_hiddenRows; }

    // Frozen panes: the block of `count` lines from `first` stays in view.
    struct Freeze {
        std::int32_t firstRow = 1;
        std::int32_t rows = 0;
        std::int32_t firstCol = 1;
        std::int32_t cols = 0;
        bool operator==(const Freeze&) const = default;
    };
    Freeze freeze;
    // While on, locked cells (CellFormat::locked) refuse changes (Workbook).
    bool isProtected = false;
    // Whether a cell of the range is locked, protection aside.
    [[nodiscard]] bool hasLockedCell(const RangeRef& range) const;
    std::optional<RangeRef> printArea;
    // Rows (firstRow..lastRow) and columns (firstCol..lastCol) repeated on
    // every printed page; a zero first line means none.
    RangeRef printTitles{0, 0, 0, 0};

    // Manual page breaks: a printed page starts at each listed row (column).
    // Rows 2..16384 and columns 2..256 (a break before the first line would
    // make an empty page); sorted, each once.
    [[nodiscard]] const std::vector<std::int32_t>& rowBreaks() const noexcept { return m_rowBreaks; }
    [[nodiscard]] const std::vector<std::int32_t>& colBreaks() const noexcept { return m_colBreaks; }
    // Adds a break before the row (column); false (nothing changed) when it
    // is there already or the line is outside 2..last.
    bool addRowBreak(std::int32_t row);
    bool addColBreak(std::int32_t col);

    bool operator==(const SheetFormat&) const = default;

private:
    void setRuns(std::int32_t row, std::vector<Run> runs);
    // The row's runs with the columns from `at` on moved right by count.
    static std::vector<Run> shiftedRight(const std::vector<Run>& runs, std::int32_t at, std::int32_t count);
    static void toggle(std::vector<std::int32_t>& list, std::int32_t first, std::int32_t last, bool on);
    // Forgets the sizes of 0 that lines first..last have of their own.
    static void dropZeroSizes(std::map<std::int32_t, double>& sizes, std::int32_t first, std::int32_t last);
    // Line i of first..first + order.size() - 1 takes the size and hidden
    // flag of line order[i].
    static void permuteLines(std::map<std::int32_t, double>& sizes, std::vector<std::int32_t>& hidden,
                             std::int32_t first, const std::vector<std::int32_t>& order);

    std::vector<CellFormat> m_styles;
    std::vector<std::vector<Run>> m_rows;  // m_rows[r - 1]
    std::map<std::int32_t, double> m_colWidth;
    std::map<std::int32_t, double> m_rowHeight;
    std::vector<std::int32_t> m_hiddenCols;  // sorted
    std::vector<std::int32_t> m_hiddenRows;  // sorted
    std::vector<std::int32_t> m_rowBreaks;   // sorted
    std::vector<std::int32_t> m_colBreaks;   // sorted
    double m_defaultColWidth = kDefaultColWidth;
    double m_defaultRowHeight = kDefaultRowHeight;
};

} // namespace spreadsheet
