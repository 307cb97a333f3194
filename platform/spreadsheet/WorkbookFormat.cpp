// The workbook's format members: cell styles of the selection, the sheet's
// layout, frozen panes, protection, print area and titles.

#include <algorithm>
#include <cmath>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/NumberFormat.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

[[noreturn]] void fail(std::int32_t number, const char* source)
{
    throw platform::Error::runtime(number, source);
}

void checkLines(std::int32_t first, std::int32_t last, std::int32_t max, const char* source)
{
    if (first < 1 || last < first || last > max)
        fail(platform::err::InvalidCall, source);
}

} // namespace

const SheetFormat& Workbook::sheetFormat(std::int32_t sheet) const
{
    return sheetData(sheet).format;
}

void Workbook::editSheetFormat(std::int32_t sheet, const std::function<void(SheetFormat&)>& edit)
{
    edit(sheetData(sheet).format);
    touch();
}

const CellFormat& Workbook::cellFormat(std::int32_t sheet, std::int32_t row, std::int32_t col) const
{
    if (row < 1 || row > kMaxRows || col < 1 || col > kMaxCols)
        fail(platform::err::Subscript, "cellFormat");
    return sheetData(sheet).format.format(row, col);
}

const CellFormat& Workbook::activeFormat() const
{
    return active().format.format(activeRow(), activeCol());
}

void Workbook::formatSelection(const std::function<void(CellFormat&)>& edit)
{
    // Formatting is a change too: every range is checked before any changes.
    for (std::int32_t i = 0; i < SelectionCount(); ++i)
        checkUnlocked(m_active, SelectionEx(i), "formatSelection");
    SheetFormat& f = active().format;
    for (std::int32_t i = 0; i < SelectionCount(); ++i)
        f.change(SelectionEx(i), edit);
    touch();
}

void Workbook::copyFormats(std::int32_t dstSheet, std::int32_t dr, std::int32_t dc, const Workbook& src,
                           std::int32_t srcSheet, const RangeRef& from)
{
    if (dr < 1 || dc < 1 || dr + from.rows() - 1 > kMaxRows || dc + from.cols() - 1 > kMaxCols)
        fail(platform::err::InvalidCall, "copyFormats");
    checkUnlocked(dstSheet, RangeRef{dr, dc, dr + from.rows() - 1, dc + from.cols() - 1}, "copyFormats");
    const SheetFormat& in = src.sheetFormat(srcSheet);
    SheetFormat& out = sheetData(dstSheet).format;
    const std::int32_t dRow = dr - from.firstRow;
    const std::int32_t dCol = dc - from.firstCol;
    auto put = [&](std::int32_t row, std::int32_t c1, std::int32_t c2, std::uint16_t style) {
        const CellFormat& f = in.style(style);
        out.change({row + dRow, c1 + dCol, row + dRow, c2 + dCol}, [&f](CellFormat& c) { c = f; });
    };
    for (std::int32_t row = from.firstRow; row <= from.lastRow; ++row) {
        std::int32_t col = from.firstCol;  // the first column not yet given
        for (const SheetFormat::Run& r : in.runs(row)) {
            if (r.lastCol < from.firstCol || r.firstCol > from.lastCol)
                continue;
            const std::int32_t a = std::max(r.firstCol, from.firstCol);
            const std::int32_t b = std::min(r.lastCol, from.lastCol);
            if (col < a)
                put(row, col, a - 1, 0);
            put(row, a, b, r.style);
            col = b + 1;
        }
        if (col <= from.lastCol)
            put(row, col, from.lastCol, 0);
    }
    touch();
}

void Workbook::setFontBold(bool on)
{
    formatSelection([on](CellFormat& f) { f.bold = on; });
}

void Workbook::setFontItalic(bool on)
{
    formatSelection([on](CellFormat& f) { f.italic = on; });
}

void Workbook::setFontUnderline(bool on)
{
    formatSelection([on](CellFormat& f) { f.underline = on; });
}

void Workbook::setHAlign(HAlign align)
{
    if (static_cast<int>(align) < 1 || align >= HAlign::Count)
        fail(platform::err::InvalidPropertyValue, "HAlign");
    formatSelection([align](CellFormat& f) { f.hAlign = align; });
}

void Workbook::setFontName(const std::string& name)
{
    if (name.empty())
        fail(platform::err::InvalidPropertyValue, "FontName");
    formatSelection([&name](CellFormat& f) { f.fontName = name; });
}

void Workbook::setFontSize(double points)
{
    if (!(points >= 1 && points <= 409))
        fail(platform::err::InvalidPropertyValue, "FontSize");
    formatSelection([points](CellFormat& f) { f.fontSize = points; });
}

void Workbook::setNumberFormat(const std::string& code)
{
    formatSelection([&code](CellFormat& f) { f.numberFormat = code.empty() ? "General" : code; });
}

void Workbook::SetColWidth(std::int32_t c1, std::int32_t c2, double chars)
{
    checkLines(c1, c2, kMaxCols, "SetColWidth");
    if (!(chars >= 0 && chars <= SheetFormat::kMaxColWidth))
        fail(platform::err::InvalidPropertyValue, "SetColWidth");
    editSheetFormat(Sheet(), [&](SheetFormat& f) { f.setColWidth(c1, c2, chars); });
}

void Workbook::SetRowHeight(std::int32_t r1, std::int32_t r2, double points)
{
    checkLines(r1, r2, kMaxRows, "SetRowHeight");
    if (!(points >= 0 && points <= SheetFormat::kMaxRowHeight))
        fail(platform::err::InvalidPropertyValue, "SetRowHeight");
    editSheetFormat(Sheet(), [&](SheetFormat& f) { f.setRowHeight(r1, r2, points); });
}

void Workbook::SetColHidden(std::int32_t c1, std::int32_t c2, bool hidden)
{
    checkLines(c1, c2, kMaxCols, "SetColHidden");
    editSheetFormat(Sheet(), [&](SheetFormat& f) { f.setColHidden(c1, c2, hidden); });
}

void Workbook::SetRowHidden(std::int32_t r1, std::int32_t r2, bool hidden)
{
    checkLines(r1, r2, kMaxRows, "SetRowHidden");
    editSheetFormat(Sheet(), [&](SheetFormat& f) { f.setRowHidden(r1, r2, hidden); });
}

void Workbook::SetColWidthAuto(std::int32_t r1, std::int32_t c1, std::int32_t r2, std::int32_t c2)
{
    checkLines(r1, r2, kMaxRows, "SetColWidthAuto");
    checkLines(c1, c2, kMaxCols, "SetColWidthAuto");
    const std::int32_t sheet = Sheet();
    const detail::SheetData& s = active();
    const std::int32_t last = std::min(r2, s.lastUsedRow());
    std::vector<double> widest(static_cast<std::size_t>(c2 - c1 + 1), 0.0);
    for (std::int32_t r = r1; r <= last; ++r) {
        for (std::int32_t c = c1; c <= c2; ++c) {
            const Value v = cellValue(sheet, r, c);
            if (v.isEmpty())
                continue;
            const CellFormat& f = s.format.format(r, c);
            const std::string text = v.isNumber() ? formatNumber(v.number(), f.numberFormat) : v.displayText();
            const double chars = static_cast<double>(text.size()) * f.fontSize / 10.0 * (f.bold ? 1.1 : 1.0);
            auto& w = widest[static_cast<std::size_t>(c - c1)];
            w = std::max(w, chars);
        }
    }
    editSheetFormat(sheet, [&](SheetFormat& f) {
        for (std::int32_t c = c1; c <= c2; ++c) {
            const double w = widest[static_cast<std::size_t>(c - c1)];
            if (w > 0)
                f.setColWidth(c, c, std::min(SheetFormat::kMaxColWidth, std::ceil(w) + 1));
        }
    });
}

SheetFormat::Freeze Workbook::freeze() const
{
    return active().format.freeze;
}

void Workbook::setFreeze(const SheetFormat::Freeze& f)
{
    if (f.rows < 0 || f.cols < 0 || f.firstRow < 1 || f.firstCol < 1 || f.firstRow + f.rows - 1 > kMaxRows ||
        f.firstCol + f.cols - 1 > kMaxCols)
        fail(platform::err::InvalidCall, "setFreeze");
    editSheetFormat(Sheet(), [&](SheetFormat& s) { s.freeze = f; });
}

bool Workbook::EnableProtection() const
{
    return active().format.isProtected;
}

void Workbook::setEnableProtection(bool on)
{
    editSheetFormat(Sheet(), [on](SheetFormat& s) { s.isProtected = on; });
}

bool Workbook::isLocked(std::int32_t sheet, const RangeRef& range) const
{
    const SheetFormat& f = sheetFormat(sheet);
    return f.isProtected && f.hasLockedCell(range);
}

void Workbook::checkUnlocked(std::int32_t sheet, const RangeRef& range, const char* source) const
{
    if (isLocked(sheet, range))
        throw platform::Error(platform::err::InvalidCall, source, std::string(kProtectedCells));
}

bool Workbook::isProtectionRefusal(const platform::Error& e)
{
    // A procedure that passed the refusal on may have added its line to the trail.
    return e.number() == platform::err::InvalidCall && e.description().starts_with(kProtectedCells);
}

void Workbook::SetPrintAreaFromSelection()
{
    const RangeRef r = SelectionEx(0);
    editSheetFormat(Sheet(), [&](SheetFormat& s) { s.printArea = r; });
}

void Workbook::SetPrintTitlesFromSelection()
{
    const RangeRef r = SelectionEx(0);
    const bool wholeRows = r.firstCol == 1 && r.lastCol == kMaxCols;
    const bool wholeCols = r.firstRow == 1 && r.lastRow == kMaxRows;
    RangeRef titles{0, 0, 0, 0};
    if (wholeRows && !wholeCols) {
        titles.firstRow = r.firstRow;
        titles.lastRow = r.lastRow;
    } else if (wholeCols && !wholeRows) {
        titles.firstCol = r.firstCol;
        titles.lastCol = r.lastCol;
    }
    editSheetFormat(Sheet(), [&](SheetFormat& s) { s.printTitles = titles; });
}

} // namespace spreadsheet
