#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/Utf8.h"
#include "platform/spreadsheet/CodePage.h"
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/NumberFormat.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"

namespace spreadsheet::detail {

namespace {

bool isValidUtf8(std::string_view s) noexcept
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        if (c < 0x80)
            n = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            n = 1;
        else if ((c & 0xF0) == 0xE0)
            n = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            n = 3;
        else
            return false;
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += n + 1;
    }
    return true;
}

// A cell's text on one line, its characters whole.
std::string oneLine(std::string_view text)
{
    std::string s = platform::rt::wholeUtf8(text);
    for (char& c : s)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return s;
}

} // namespace

bool looksLikeText(std::string_view bytes) noexcept
{
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n')
            return false;
        if (c == 0x7F)
            return false;
    }
    // The first bytes of a compound file and nothing more (0xD0 alone, say)
    // are a workbook cut short, not Windows-1252 text.
    return !isCutCompoundSignature(bytes);
}

void readText(std::string_view bytes, Workbook& into, std::vector<LeftOut>* leftOut)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    const std::string text = isValidUtf8(bytes) ? std::string(bytes) : cp1252ToUtf8(bytes);

    // Empty lines at the end are the line breaks at the end; the count of the
    // others is checked as they are found.
    // Lines past the sheet's last row are left out.
    std::vector<std::string_view> lines;
    std::string_view rest = text;
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n'))
        rest.remove_suffix(1);
    LeftOut cut{"Sheet1"};
    while (!rest.empty()) {
        if (lines.size() == static_cast<std::size_t>(kMaxRows)) {
            cut.rows = true;
            break;
        }
        const std::size_t nl = rest.find_first_of("\r\n");
        if (nl == std::string_view::npos) {
            lines.push_back(rest);
            break;
        }
        lines.push_back(rest.substr(0, nl));
        const std::size_t skip = (rest[nl] == '\r' && nl + 1 < rest.size() && rest[nl + 1] == '\n') ? 2 : 1;
        rest.remove_prefix(nl + skip);
    }
    if (lines.empty())
        invalidFormat("readText", "no lines");

    // Tab-delimited; a text without any tab but with commas is read as
    // comma-separated, where a field in double quotes may hold commas ("" is
    // a quote). Every separator ends one field, so empty fields keep their
    // columns.
    const bool comma = text.find('\t') == std::string::npos && text.find(',') != std::string::npos;
    auto sheet = std::make_unique<SheetData>();
    sheet->name = "Sheet1";
    sheet->selected = true;
    for (std::size_t r = 0; r < lines.size(); ++r) {
        const std::string_view line = lines[r];
        std::int32_t col = 1;
        std::size_t i = 0;
        for (;;) {
            if (col > kMaxCols) {
                // Fields past the last column are left out; empty ones lose nothing.
                cut.columns = cut.columns || line.substr(i).find_first_not_of(",\t \"") != std::string_view::npos;
                break;
            }
            std::string field;
            bool quoted = false;
            if (comma && i < line.size() && line[i] == '"') {
                quoted = true;
                ++i;
                while (i < line.size()) {
                    if (line[i] == '"') {
                        if (i + 1 < line.size() && line[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    field += line[i++];
                }
            }
            const std::size_t sep = line.find(comma ? ',' : '\t', i);
            field += line.substr(i, sep == std::string_view::npos ? std::string_view::npos : sep - i);
            const Value v = quoted ? (field.empty() ? Value() : Value(field)) : parseEntry(field);
            if (!v.isEmpty())
                sheet->at(static_cast<std::int32_t>(r + 1), col).setValue(v);
            if (sep == std::string_view::npos)
                break;
            i = sep + 1;
            ++col;
        }
    }
    if (leftOut && (cut.rows || cut.columns))
        leftOut->push_back(cut);
    std::vector<std::unique_ptr<SheetData>> sheets;
    sheets.push_back(std::move(sheet));
    into.replaceSheets(std::move(sheets), 1);
}

void writeText(std::ostream& out, const Workbook& book, bool valuesOnly)
{
    const std::int32_t sheet = book.Sheet();
    const SheetData& data = book.sheetData(sheet);
    const std::int32_t rows = data.lastUsedRow();
    const std::int32_t cols = data.lastUsedCol();
    std::string buf;
    for (std::int32_t r = 1; r <= rows; ++r) {
        for (std::int32_t c = 1; c <= cols; ++c) {
            if (c > 1)
                buf += '\t';
            const Cell* cell = data.find(r, c);
            if (!cell)
                continue;
            const Value v = cell->value();
            if (valuesOnly && v.isNumber())
                buf += numberToRoundTripText(v.number());
            else if (v.isNumber())
                buf += formatNumber(v.number(), data.format.format(r, c).numberFormat);
            else
                buf += oneLine(v.displayText());
        }
        buf += "\r\n";
        if (buf.size() > (1 << 16)) {
            out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
            buf.clear();
        }
    }
    out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
}

void writeHtml(std::ostream& out, const Workbook& book, bool dataOnly)
{
    auto escape = [](std::string_view s) {
        std::string e;
        for (char c : platform::rt::wholeUtf8(s)) {
            switch (c) {
            case '&':
                e += "&amp;";
                break;
            case '<':
                e += "&lt;";
                break;
            case '>':
                e += "&gt;";
                break;
            case '"':
                e += "&quot;";
                break;
            default:
                e += c;
            }
        }
        return e;
    };
    auto table = [&](std::int32_t sheet) {
        const SheetData& data = book.sheetData(sheet);
        const std::int32_t rows = data.lastUsedRow();
        const std::int32_t cols = data.lastUsedCol();
        std::string buf = "<table border=\"1\">\r\n";
        for (std::int32_t r = 1; r <= rows; ++r) {
            buf += "<tr>";
            for (std::int32_t c = 1; c <= cols; ++c) {
                const Cell* cell = data.find(r, c);
                const Value v = cell ? cell->value() : Value();
                buf += v.isNumber() ? "<td align=\"right\">" : "<td>";
                buf += escape(v.isNumber() ? formatNumber(v.number(), data.format.format(r, c).numberFormat)
                                           : v.displayText());
                buf += "</td>";
            }
            buf += "</tr>\r\n";
            if (buf.size() > (1 << 16)) {
                out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
                buf.clear();
            }
        }
        buf += "</table>\r\n";
        out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
    };
    if (dataOnly) {
        table(book.Sheet());
        return;
    }
    out << "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>" << escape(book.title())
        << "</title>\r\n</head>\r\n<body>\r\n";
    for (std::int32_t s = 1; s <= book.NumSheets(); ++s) {
        out << "<h2>" << escape(book.SheetName(s)) << "</h2>\r\n";
        table(s);
    }
    out << "</body>\r\n</html>\r\n";
}

// Text keeps the active sheet's values, each in its cell: formulas as
// their results, numbers as shown unless valuesOnly, tabs and line breaks
// inside texts as blanks, and nothing else.
FileKeeps textKeeps(bool valuesOnly)
{
    return {.numbersInFull = valuesOnly, .everyCharacter = true};
}

// HTML keeps every sheet's values and name (dataOnly: the active sheet's
// values alone), formulas as their results, numbers as shown, and no
// formatting: the tables set numbers to the right and nothing else. A page
// shows a tab or line break inside a text as a blank.
FileKeeps htmlKeeps(bool dataOnly)
{
    return {.everySheet = !dataOnly, .everyCharacter = true};
}

} // namespace spreadsheet::detail
