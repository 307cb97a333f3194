// What a save in some type would not keep of a workbook, found from the
// writer's own description (FileKeeps) alone, and the one question that
// names it before anything is written.

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/CodePage.h"
#include "platform/spreadsheet/NumberFormat.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"

namespace spreadsheet {

void Places::add(const TextPlace& place)
{
    ++count;
    if (first.size() < kNamedPlaces)
        first.push_back(place);
}

bool Unkept::isEmpty() const noexcept
{
    return sheetsLeftOut.empty() && !sheetName && formulas == 0 && roundedNumbers == 0 && formattedCells == 0 &&
           sizedLines == 0 && sheetDefaults == 0 && lineBreaks.count == 0 && characters.count == 0 &&
           tooLong.count == 0 && objects == 0 && names == 0 && pageBreaks == 0 && pageSetups.empty() && !options &&
           frozenPanes.empty() && protectedSheets.empty() && printAreas.empty() && printTitles.empty();
}

namespace {

// The name a text file's only sheet reads back with.
constexpr std::string_view kTextSheetName = "Sheet1";

// The characters of a text as a type counts them (UTF-16 units where it
// keeps every character, else one per character) and whether Windows-1252
// has them all.
struct TextFit {
    std::size_t length = 0;
    bool allInCp1252 = true;
};

TextFit fitOf(std::string_view utf8, bool everyCharacter)
{
    TextFit fit;
    for (char16_t c : detail::utf8ToUtf16(utf8)) {
        if (c >= 0xDC00 && c <= 0xDFFF && !everyCharacter)
            continue;  // Windows-1252 writes one "?" for a pair
        ++fit.length;
        fit.allInCp1252 = fit.allInCp1252 && (c == u'?' || detail::utf16ToCp1252(c) != '?');
    }
    return fit;
}

void noteText(Unkept& lost, const FileKeeps& keeps, std::string_view text, const TextPlace& at)
{
    const bool name = at.row == 0;
    if (!keeps.lineBreaks && !name && text.find_first_of("\t\r\n") != std::string_view::npos)
        lost.lineBreaks.add(at);
    if (keeps.everyCharacter && keeps.textLength == 0)
        return;
    const TextFit fit = fitOf(text, keeps.everyCharacter);
    if (!keeps.everyCharacter && !fit.allInCp1252)
        lost.characters.add(at);
    if (!name && keeps.textLength != 0 && fit.length > keeps.textLength) {
        lost.tooLong.add(at);
        lost.keptLength = keeps.textLength;
    }
}

// What a written sheet's cells lose.
void noteCells(Unkept& lost, const FileKeeps& keeps, const detail::SheetData& data, std::int32_t sheet)
{
    for (std::size_t r = 0; r < data.rows.size(); ++r) {
        const auto& row = data.rows[r];
        for (std::size_t c = 0; c < row.size(); ++c) {
            const detail::Cell& cell = row[c];
            if (cell.isEmpty())
                continue;
            const TextPlace at{sheet, static_cast<std::int32_t>(r + 1), static_cast<std::int32_t>(c + 1)};
            if (cell.isFormula() && !keeps.formulas)
                ++lost.formulas;
            const Value v = cell.value();
            if (v.isText()) {
                noteText(lost, keeps, v.text(), at);
            } else if (v.isNumber() && !keeps.numbersInFull) {
                const Value back = parseEntry(formatNumber(v.number(), data.format.format(at.row, at.col).numberFormat));
                if (!back.isNumber() || back.number() != v.number()) {
                    if (lost.roundedNumbers++ == 0)
                        lost.firstRounded = at;
                }
            }
        }
    }
}

// What a written sheet's formats lose.
void noteFormats(Unkept& lost, const SheetFormat& format)
{
    for (std::int32_t r = 1; r <= format.lastFormattedRow(); ++r)
        for (const SheetFormat::Run& run : format.runs(r))
            lost.formattedCells += static_cast<std::size_t>(run.lastCol - run.firstCol + 1);
    std::set<std::int32_t> rows(format.hiddenRows().begin(), format.hiddenRows().end());
    std::set<std::int32_t> cols(format.hiddenCols().begin(), format.hiddenCols().end());
    for (const auto& [row, height] : format.rowHeights())
        rows.insert(row);
    for (const auto& [col, width] : format.colWidths())
        cols.insert(col);
    lost.sizedLines += rows.size() + cols.size();
    if (format.style(0) != CellFormat() || format.defaultColWidth() != SheetFormat::kDefaultColWidth ||
        format.defaultRowHeight() != SheetFormat::kDefaultRowHeight)
        ++lost.sheetDefaults;
}

} // namespace

Unkept unkept(const Workbook& book, FileType type)
{
    const FileKeeps keeps = fileKeeps(type);
    Unkept lost;
    book.ensureCalculated();
    std::vector<std::int32_t> written;
    for (std::int32_t s = 1; s <= book.NumSheets(); ++s) {
        if (keeps.everySheet || s == book.Sheet())
            written.push_back(s);
        else
            lost.sheetsLeftOut.push_back(s);
    }
    lost.sheetName = !keeps.everySheet && book.SheetName(book.Sheet()) != kTextSheetName;
    for (const std::int32_t s : written) {
        noteText(lost, keeps, book.SheetName(s), TextPlace{s, 0, 0});
        noteCells(lost, keeps, book.sheetData(s), s);
        const SheetFormat& format = book.sheetFormat(s);
        if (!keeps.formats)
            noteFormats(lost, format);
        if (!keeps.objects)
            lost.objects += book.objects(s).size();
        if (!keeps.pageBreaks)
            lost.pageBreaks += format.rowBreaks().size() + format.colBreaks().size();
        if (!keeps.pageSetups && book.pageSetup(s) != PageSetup())
            lost.pageSetups.push_back(s);
        if (!keeps.frozenPanes && (format.freeze.rows > 0 || format.freeze.cols > 0))
            lost.frozenPanes.push_back(s);
        if (!keeps.protection && format.isProtected)
            lost.protectedSheets.push_back(s);
        if (!keeps.printAreas && format.printArea)
            lost.printAreas.push_back(s);
        if (!keeps.printTitles && (format.printTitles.firstRow != 0 || format.printTitles.firstCol != 0))
            lost.printTitles.push_back(s);
    }
    if (!keeps.names)
        lost.names = book.definedNames().size();
    lost.options = !keeps.options && book.options() != WorkbookOptions();
    return lost;
}

namespace {

std::string withThousands(std::size_t n)
{
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

// "1 drawing object", "3 drawing objects".
std::string counted(std::size_t n, const std::string& one, const std::string& many)
{
    return withThousands(n) + " " + (n == 1 ? one : many);
}

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& parts)
{
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text += i + 1 == parts.size() ? " and " : ", ";
        text += parts[i];
    }
    return text;
}

// The first few names, then how many more: "A, B, C and 4 more".
std::string firstFew(std::vector<std::string> names, std::size_t total)
{
    if (total > names.size())
        names.push_back(withThousands(total - names.size()) + " more");
    return listed(names);
}

// "sheet A", "sheets A and B", "sheets A, B, C and 2 more".
std::string sheetList(const Workbook& book, const std::vector<std::int32_t>& sheets)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < sheets.size() && i < Places::kNamedPlaces; ++i)
        names.push_back(book.SheetName(sheets[i]));
    return (sheets.size() == 1 ? "sheet " : "sheets ") + firstFew(names, sheets.size());
}

std::string placeText(const Workbook& book, const TextPlace& at)
{
    if (at.row == 0)
        return "the name of sheet " + book.SheetName(at.sheet);
    return "cell " + cellRefText(at.row, at.col) + " of sheet " + book.SheetName(at.sheet);
}

std::string placeList(const Workbook& book, const Places& places)
{
    std::vector<std::string> names;
    for (const TextPlace& at : places.first)
        names.push_back(placeText(book, at));
    return firstFew(names, places.count);
}

// The first type of the save list whose description keeps `keeps`.
std::string keeperOf(bool (*keeps)(const FileKeeps&))
{
    for (std::int32_t code = 1; code < static_cast<std::int32_t>(FileType::Count); ++code)
        if (keeps(fileKeeps(static_cast<FileType>(code))))
            return std::string(fileTypeName(static_cast<FileType>(code)));
    return {};
}

// "the page setup of sheet A", "the page setups of sheets A and B".
std::string ofSheets(const Workbook& book, const std::string& one, const std::string& many,
                     const std::vector<std::int32_t>& sheets)
{
    return "the " + (sheets.size() == 1 ? one : many) + " of " + sheetList(book, sheets);
}

std::vector<std::string> lossLines(const Workbook& book, const Unkept& lost)
{
    std::vector<std::string> lines;
    const std::string active = book.SheetName(book.Sheet());
    if (!lost.sheetsLeftOut.empty()) {
        lines.push_back(sheetList(book, lost.sheetsLeftOut) + ": only the active sheet, " + active + ", is written" +
                        (lost.sheetName ? ", without its name" : ""));
    } else if (lost.sheetName) {
        lines.push_back("the name of sheet " + active);
    }
    if (lost.formulas > 0)
        lines.push_back(counted(lost.formulas, "formula", "formulas") +
                        (lost.formulas == 1 ? ", written as its value" : ", written as their values"));
    if (lost.roundedNumbers > 0) {
        const TextPlace& at = lost.firstRounded;
        const double v = book.cellValue(at.sheet, at.row, at.col).number();
        lines.push_back(counted(lost.roundedNumbers, "number", "numbers") +
                        (lost.roundedNumbers == 1 ? " written as shown, rounded by its format ("
                                                  : " written as shown, rounded by their format (") + placeText(book, at) + ": " +
                        numberToRoundTripText(v) + " as " +
                        formatNumber(v, book.cellFormat(at.sheet, at.row, at.col).numberFormat) + ")");
    }
    std::vector<std::string> formats;
    if (lost.formattedCells > 0)
        formats.push_back("the formats of " + counted(lost.formattedCells, "cell", "cells"));
    if (lost.sizedLines > 0)
        formats.push_back("the size or hiding of " + counted(lost.sizedLines, "row or column", "rows and columns"));
    if (lost.sheetDefaults > 0)
        formats.push_back("the normal style or default sizes of " + counted(lost.sheetDefaults, "sheet", "sheets"));
    if (!formats.empty())
        lines.push_back("formatting: " + listed(formats));
    if (lost.lineBreaks.count > 0)
        lines.push_back("the tabs and line breaks of " + counted(lost.lineBreaks.count, "text", "texts") +
                        ", written as blanks: " + placeList(book, lost.lineBreaks));
    if (lost.characters.count > 0)
        lines.push_back("the characters it lacks in " + counted(lost.characters.count, "text", "texts") +
                        ", written as \"?\": " + placeList(book, lost.characters) + " (" +
                        keeperOf([](const FileKeeps& k) { return k.everySheet && k.everyCharacter; }) +
                        " keeps them)");
    if (lost.tooLong.count > 0)
        lines.push_back("the end of " + counted(lost.tooLong.count, "text", "texts") + " longer than " +
                        withThousands(lost.keptLength) + " characters: " + placeList(book, lost.tooLong));
    if (lost.objects > 0)
        lines.push_back(counted(lost.objects, "drawing object", "drawing objects"));
    if (lost.names > 0)
        lines.push_back(counted(lost.names, "defined name", "defined names"));
    if (lost.pageBreaks > 0)
        lines.push_back(counted(lost.pageBreaks, "manual page break", "manual page breaks"));
    if (!lost.pageSetups.empty())
        lines.push_back(ofSheets(book, "page setup", "page setups", lost.pageSetups));
    if (!lost.frozenPanes.empty())
        lines.push_back(ofSheets(book, "frozen panes", "frozen panes", lost.frozenPanes));
    if (!lost.protectedSheets.empty())
        lines.push_back(ofSheets(book, "protection", "protection", lost.protectedSheets));
    if (!lost.printAreas.empty())
        lines.push_back(ofSheets(book, "print area", "print areas", lost.printAreas));
    if (!lost.printTitles.empty())
        lines.push_back(ofSheets(book, "print titles", "print titles", lost.printTitles));
    if (lost.options) {
        const WorkbookOptions& o = book.options();
        std::vector<std::string> changed;
        if (!o.autoRecalc)
            changed.emplace_back("manual recalculation");
        if (!o.showGridLines)
            changed.emplace_back("grid lines hidden");
        if (!o.showRowHeading)
            changed.emplace_back("row headings hidden");
        if (!o.showColHeading)
            changed.emplace_back("column headings hidden");
        lines.push_back("the workbook options (" + listed(changed) + ")");
    }
    return lines;
}

} // namespace

std::optional<std::string> unkeptQuestion(const Workbook& book, FileType type)
{
    const Unkept lost = unkept(book, type);
    if (lost.isEmpty())
        return std::nullopt;
    const std::string name(fileTypeName(type));
    std::string question = name + " does not keep everything this workbook holds. Saved in it, the workbook would lose:";
    for (const std::string& line : lossLines(book, lost))
        question += "\r\n- " + line;
    return question + "\r\n" + std::string(fileTypeName(FileType::Native)) + " keeps all of it.\r\n\r\nSave in " +
           name + " anyway?";
}

} // namespace spreadsheet
