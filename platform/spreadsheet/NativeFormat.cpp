#include "platform/spreadsheet/NativeFormat.h"

#include <charconv>
#include <memory>
#include <string>
#include <vector>

#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet::detail {

namespace {

void appendEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

std::string unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            invalidFormat("readNative", "broken escape");
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            invalidFormat("readNative", "broken escape");
        }
    }
    return out;
}

class LineReader {
public:
    explicit LineReader(std::string_view bytes) : m_rest(bytes) {}

    // The next line split at tabs; raises 321 at the end of the file.
    const std::vector<std::string_view>& next()
    {
        if (m_rest.empty())
            invalidFormat("readNative", "the file ends too early");
        const std::size_t nl = m_rest.find('\n');
        if (nl == std::string_view::npos)
            invalidFormat("readNative", "the file ends too early");
        std::string_view line = m_rest.substr(0, nl);
        m_rest.remove_prefix(nl + 1);
        ++m_line;
        m_fields.clear();
        std::size_t start = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', start);
            if (tab == std::string_view::npos) {
                m_fields.push_back(line.substr(start));
                break;
            }
            m_fields.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        return m_fields;
    }

    // The next line, which must start with `key` and have `count` fields.
    const std::vector<std::string_view>& expect(std::string_view key, std::size_t count)
    {
        const auto& f = next();
        if (f.size() != count || f[0] != key)
            invalidFormat("readNative", "unexpected record");
        return f;
    }

    [[nodiscard]] bool atEnd() const noexcept { return m_rest.empty(); }

private:
    std::string_view m_rest;
    std::vector<std::string_view> m_fields;
    std::size_t m_line = 0;
};

std::int64_t toInt(std::string_view s, std::int64_t lo, std::int64_t hi)
{
    std::int64_t v = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || res.ec != std::errc() || res.ptr != s.data() + s.size() || v < lo || v > hi)
        invalidFormat("readNative", "bad number");
    return v;
}

} // namespace

bool looksNative(std::string_view bytes) noexcept
{
    return bytes.substr(0, kNativeMagic.size()) == kNativeMagic;
}

void writeNative(std::ostream& out, const Workbook& book, FileType type)
{
    std::string buf;
    buf.reserve(1 << 16);
    auto flush = [&] {
        out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
        buf.clear();
    };
    buf += kNativeMagic;
    buf += std::to_string(kNativeVersion) + "\n";
    buf += "type\t" + std::to_string(static_cast<int>(type)) + "\n";
    buf += "sheets\t" + std::to_string(book.NumSheets()) + "\t" + std::to_string(book.Sheet()) + "\n";
    std::size_t total = 0;
    for (std::int32_t s = 1; s <= book.NumSheets(); ++s) {
        const SheetData& sheet = book.sheetData(s);
        buf += "sheet\t";
        appendEscaped(buf, sheet.name);
        buf += "\nselected\t";
        buf += sheet.selected ? "1" : "0";
        buf += "\ncursor\t" + std::to_string(sheet.activeRow) + "\t" + std::to_string(sheet.activeCol) + "\n";
        for (const RangeRef& r : sheet.selection)
            buf += "range\t" + std::to_string(r.firstRow) + "\t" + std::to_string(r.firstCol) + "\t" +
                   std::to_string(r.lastRow) + "\t" + std::to_string(r.lastCol) + "\n";
        std::size_t count = 0;
        for (const auto& row : sheet.rows)
            for (const auto& c : row)
                count += c.isEmpty() ? 0 : 1;
        buf += "cells\t" + std::to_string(count) + "\n";
        total += count;
        for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
            const auto& row = sheet.rows[r];
            for (std::size_t c = 0; c < row.size(); ++c) {
                const Cell& cell = row[c];
                if (cell.isEmpty())
                    continue;
                buf += std::to_string(r + 1);
                buf += '\t';
                buf += std::to_string(c + 1);
                if (cell.isFormula()) {
                    buf += "\tf\t";
                    appendEscaped(buf, cell.formula());
                } else {
                    const Value v = cell.value();
                    switch (v.kind()) {
                    case ValueKind::Number:
                        buf += "\tn\t" + numberToRoundTripText(v.number());
                        break;
                    case ValueKind::Text:
                        buf += "\ts\t";
                        appendEscaped(buf, v.text());
                        break;
                    case ValueKind::Logical:
                        buf += v.logicalValue() ? "\tb\t1" : "\tb\t0";
                        break;
                    case ValueKind::Error:
                        buf += "\te\t" + std::to_string(static_cast<int>(v.errorCode()));
                        break;
                    case ValueKind::Empty:
                        break;
                    }
                }
                buf += '\n';
                if (buf.size() > (1 << 16) - 512)
                    flush();
            }
        }
        buf += "endsheet\n";
    }
    buf += "end\t" + std::to_string(total) + "\n";
    flush();
}

FileType readNative(std::string_view bytes, Workbook& into)
{
    LineReader in(bytes);
    const auto& head = in.next();
    if (head.size() != 2 || std::string(head[0]) + "\t" != kNativeMagic)
        invalidFormat("readNative", "not a native workbook");
    if (toInt(head[1], 0, 1000) != kNativeVersion)
        invalidFormat("readNative", "unknown version");
    const auto type = static_cast<FileType>(toInt(in.expect("type", 2)[1], 3, 4));
    const auto& sh = in.expect("sheets", 3);
    const auto numSheets = static_cast<std::int32_t>(toInt(sh[1], 1, 100000));
    const auto activeSheet = static_cast<std::int32_t>(toInt(sh[2], 1, numSheets));

    std::vector<std::unique_ptr<SheetData>> sheets;
    std::size_t total = 0;
    for (std::int32_t s = 0; s < numSheets; ++s) {
        auto sheet = std::make_unique<SheetData>();
        sheet->name = unescape(in.expect("sheet", 2)[1]);
        if (sheet->name.empty())
            invalidFormat("readNative", "empty sheet name");
        sheet->selected = toInt(in.expect("selected", 2)[1], 0, 1) == 1;
        const auto& cur = in.expect("cursor", 3);
        sheet->activeRow = static_cast<std::int32_t>(toInt(cur[1], 1, kMaxRows));
        sheet->activeCol = static_cast<std::int32_t>(toInt(cur[2], 1, kMaxCols));
        sheet->selection.clear();
        const std::vector<std::string_view>* line = &in.next();
        while (!line->empty() && (*line)[0] == "range") {
            if (line->size() != 5)
                invalidFormat("readNative", "bad range");
            RangeRef r{static_cast<std::int32_t>(toInt((*line)[1], 1, kMaxRows)),
                       static_cast<std::int32_t>(toInt((*line)[2], 1, kMaxCols)),
                       static_cast<std::int32_t>(toInt((*line)[3], 1, kMaxRows)),
                       static_cast<std::int32_t>(toInt((*line)[4], 1, kMaxCols))};
            if (r.lastRow < r.firstRow || r.lastCol < r.firstCol)
                invalidFormat("readNative", "bad range");
            sheet->selection.push_back(r);
            line = &in.next();
        }
        if (sheet->selection.empty() || line->size() != 2 || (*line)[0] != "cells")
            invalidFormat("readNative", "unexpected record");
        const auto count = static_cast<std::size_t>(toInt((*line)[1], 0, std::int64_t{kMaxRows} * kMaxCols));
        std::int64_t lastKey = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const auto& f = in.next();
            if (f.size() != 4 || f[2].size() != 1)
                invalidFormat("readNative", "bad cell");
            const auto row = static_cast<std::int32_t>(toInt(f[0], 1, kMaxRows));
            const auto col = static_cast<std::int32_t>(toInt(f[1], 1, kMaxCols));
            const std::int64_t key = std::int64_t{row} * 1000 + col;
            if (key <= lastKey)
                invalidFormat("readNative", "cells out of order");
            lastKey = key;
            Cell& cell = sheet->at(row, col);
            switch (f[2][0]) {
            case 'n': {
                double d = 0;
                if (!parseNumber(f[3], d))
                    invalidFormat("readNative", "bad number");
                cell.setValue(Value(d));
                break;
            }
            case 's':
                cell.setValue(Value(unescape(f[3])));
                break;
            case 'b':
                cell.setValue(Value::logical(toInt(f[3], 0, 1) == 1));
                break;
            case 'e':
                cell.setValue(Value::error(
                    static_cast<CellError>(toInt(f[3], 1, static_cast<int>(CellError::Count) - 1))));
                break;
            case 'f': {
                std::string formula = unescape(f[3]);
                if (formula.empty())
                    invalidFormat("readNative", "empty formula");
                cell.setFormula(std::move(formula));
                break;
            }
            default:
                invalidFormat("readNative", "unknown cell kind");
            }
        }
        total += count;
        in.expect("endsheet", 1);
        sheets.push_back(std::move(sheet));
    }
    if (static_cast<std::size_t>(toInt(in.expect("end", 2)[1], 0, INT64_MAX)) != total || !in.atEnd())
        invalidFormat("readNative", "cell count does not match");
    sheets[static_cast<std::size_t>(activeSheet - 1)]->selected = true;
    into.replaceSheets(std::move(sheets), activeSheet);
    return type;
}

} // namespace spreadsheet::detail
