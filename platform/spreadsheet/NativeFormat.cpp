#include "platform/spreadsheet/NativeFormat.h"

#include <algorithm>
#include <charconv>
#include <cfloat>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/ObjectGeometry.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"

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

std::string hex(Rgb v)
{
    char b[16];
    std::snprintf(b, sizeof b, "%06X", static_cast<unsigned>(v));
    return v == kNoFill ? std::string("-") : std::string(b);
}

Rgb readHex(std::string_view s)
{
    if (s == "-")
        return kNoFill;
    std::uint32_t v = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    if (s.size() != 6 || res.ec != std::errc() || res.ptr != s.data() + s.size())
        invalidFormat("readNative", "bad colour");
    return v;
}

std::string num(double v)
{
    return numberToRoundTripText(v);
}

double readDouble(std::string_view s, double lo, double hi)
{
    double d = 0;
    if (!parseNumber(s, d) || !(d >= lo && d <= hi))
        invalidFormat("readNative", "bad number");
    return d;
}

// Only what differs from a new sheet is written.
void writeFormats(std::string& buf, const SheetFormat& f)
{
    const bool styled = f.styleCount() > 1 || !(f.style(0) == CellFormat());
    for (std::size_t i = 0; styled && i < f.styleCount(); ++i) {
        const CellFormat& c = f.style(static_cast<std::uint16_t>(i));
        const int flags = (c.bold ? 1 : 0) | (c.italic ? 2 : 0) | (c.underline ? 4 : 0) | (c.wrap ? 8 : 0) |
                          (c.locked ? 16 : 0);
        buf += "style\t" + std::to_string(i) + "\t";
        appendEscaped(buf, c.fontName);
        buf += "\t" + num(c.fontSize) + "\t" + std::to_string(flags) + "\t" + hex(c.fontColor) + "\t";
        appendEscaped(buf, c.numberFormat);
        buf += "\t" + std::to_string(static_cast<int>(c.hAlign)) + "\t" + std::to_string(static_cast<int>(c.vAlign));
        for (BorderStyle b : {c.borderLeft, c.borderRight, c.borderTop, c.borderBottom})
            buf += "\t" + std::to_string(static_cast<int>(b));
        buf += "\t" + hex(c.fill) + "\n";
    }
    for (std::int32_t r = 1; r <= f.lastFormattedRow(); ++r) {
        const auto& runs = f.runs(r);
        if (runs.empty())
            continue;
        buf += "runs\t" + std::to_string(r);
        for (const auto& run : runs)
            buf += "\t" + std::to_string(run.firstCol) + "\t" + std::to_string(run.lastCol) + "\t" +
                   std::to_string(run.style);
        buf += '\n';
    }
    if (f.defaultColWidth() != SheetFormat::kDefaultColWidth || f.defaultRowHeight() != SheetFormat::kDefaultRowHeight)
        buf += "defaults\t" + num(f.defaultColWidth()) + "\t" + num(f.defaultRowHeight()) + "\n";
    for (const auto& [c, w] : f.colWidths())
        buf += "colwidth\t" + std::to_string(c) + "\t" + num(w) + "\n";
    for (const auto& [r, h] : f.rowHeights())
        buf += "rowheight\t" + std::to_string(r) + "\t" + num(h) + "\n";
    for (std::int32_t c : f.hiddenCols())
        buf += "hidecol\t" + std::to_string(c) + "\n";
    for (std::int32_t r : f.hiddenRows())
        buf += "hiderow\t" + std::to_string(r) + "\n";
    const auto& z = f.freeze;
    if (!(z == SheetFormat::Freeze()))
        buf += "freeze\t" + std::to_string(z.firstRow) + "\t" + std::to_string(z.rows) + "\t" + std::to_string(z.firstCol) +
           "\t" + std::to_string(z.cols) + "\n";
    if (f.isProtected)
        buf += "protect\t1\n";
    if (f.printArea)
        buf += "printarea\t" + std::to_string(f.printArea->firstRow) + "\t" + std::to_string(f.printArea->firstCol) +
               "\t" + std::to_string(f.printArea->lastRow) + "\t" + std::to_string(f.printArea->lastCol) + "\n";
    const RangeRef& t = f.printTitles;
    if (!(t == RangeRef{0, 0, 0, 0}))
        buf += "printtitles\t" + std::to_string(t.firstRow) + "\t" + std::to_string(t.firstCol) + "\t" +
           std::to_string(t.lastRow) + "\t" + std::to_string(t.lastCol) + "\n";
}

std::int32_t toLine(std::string_view s, std::int32_t max);

// One format record of a sheet; false when the line is no format record.
bool readFormatLine(const std::vector<std::string_view>& f, SheetFormat& into, std::vector<std::uint16_t>& ids)
{
    const std::string_view key = f[0];
    auto need = [&](std::size_t n) {
        if (f.size() != n)
            invalidFormat("readNative", "bad format record");
    };
    if (key == "style") {
        need(14);
        if (static_cast<std::size_t>(toInt(f[1], 0, 0xFFFF)) != ids.size())
            invalidFormat("readNative", "styles out of order");
        CellFormat c;
        c.fontName = unescape(f[2]);
        if (c.fontName.empty())
            invalidFormat("readNative", "empty font name");
        c.fontSize = readDouble(f[3], 1, 409);
        const auto flags = toInt(f[4], 0, 31);
        c.bold = flags & 1;
        c.italic = flags & 2;
        c.underline = flags & 4;
        c.wrap = flags & 8;
        c.locked = flags & 16;
        c.fontColor = readHex(f[5]);
        if (c.fontColor == kNoFill)
            invalidFormat("readNative", "bad colour");
        c.numberFormat = unescape(f[6]);
        c.hAlign = static_cast<HAlign>(toInt(f[7], 1, static_cast<int>(HAlign::Count) - 1));
        c.vAlign = static_cast<VAlign>(toInt(f[8], 1, static_cast<int>(VAlign::Count) - 1));
        BorderStyle* edges[] = {&c.borderLeft, &c.borderRight, &c.borderTop, &c.borderBottom};
        for (std::size_t k = 0; k < 4; ++k)
            *edges[k] = static_cast<BorderStyle>(toInt(f[9 + k], 0, static_cast<int>(BorderStyle::Count) - 1));
        c.fill = readHex(f[13]);
        if (ids.empty()) {
            into.setNormal(c);
            ids.push_back(0);
        } else {
            ids.push_back(into.intern(c));
        }
    } else if (key == "runs") {
        if (f.size() < 5 || (f.size() - 2) % 3 != 0)
            invalidFormat("readNative", "bad runs");
        const std::int32_t row = toLine(f[1], kMaxRows);
        std::vector<SheetFormat::Run> runs;
        for (std::size_t k = 2; k < f.size(); k += 3) {
            const auto id = static_cast<std::size_t>(toInt(f[k + 2], 0, 0xFFFF));
            if (id >= ids.size())
                invalidFormat("readNative", "unknown style");
            runs.push_back({toLine(f[k], kMaxCols), toLine(f[k + 1], kMaxCols), ids[id]});
        }
        if (into.runs(row).size() != 0 || !into.restoreRuns(row, std::move(runs)))
            invalidFormat("readNative", "bad runs");
    } else if (key == "defaults") {
        need(3);
        into.setDefaultColWidth(readDouble(f[1], 0, SheetFormat::kMaxColWidth));
        into.setDefaultRowHeight(readDouble(f[2], 0, SheetFormat::kMaxRowHeight));
    } else if (key == "colwidth") {
        need(3);
        const std::int32_t c = toLine(f[1], kMaxCols);
        into.setColWidth(c, c, readDouble(f[2], 0, SheetFormat::kMaxColWidth));
    } else if (key == "rowheight") {
        need(3);
        const std::int32_t r = toLine(f[1], kMaxRows);
        into.setRowHeight(r, r, readDouble(f[2], 0, SheetFormat::kMaxRowHeight));
    } else if (key == "hidecol") {
        need(2);
        const std::int32_t c = toLine(f[1], kMaxCols);
        into.setColHidden(c, c, true);
    } else if (key == "hiderow") {
        need(2);
        const std::int32_t r = toLine(f[1], kMaxRows);
        into.setRowHidden(r, r, true);
    } else if (key == "freeze") {
        need(5);
        SheetFormat::Freeze z{toLine(f[1], kMaxRows), static_cast<std::int32_t>(toInt(f[2], 0, kMaxRows)),
                              toLine(f[3], kMaxCols), static_cast<std::int32_t>(toInt(f[4], 0, kMaxCols))};
        if (z.firstRow + z.rows - 1 > kMaxRows || z.firstCol + z.cols - 1 > kMaxCols)
            invalidFormat("readNative", "bad freeze");
        into.freeze = z;
    } else if (key == "protect") {
        need(2);
        into.isProtected = toInt(f[1], 0, 1) == 1;
    } else if (key == "printarea") {
        need(5);
        RangeRef r{toLine(f[1], kMaxRows), toLine(f[2], kMaxCols), toLine(f[3], kMaxRows), toLine(f[4], kMaxCols)};
        if (r.lastRow < r.firstRow || r.lastCol < r.firstCol)
            invalidFormat("readNative", "bad print area");
        into.printArea = r;
    } else if (key == "printtitles") {
        need(5);
        RangeRef t{static_cast<std::int32_t>(toInt(f[1], 0, kMaxRows)), static_cast<std::int32_t>(toInt(f[2], 0, kMaxCols)),
                   static_cast<std::int32_t>(toInt(f[3], 0, kMaxRows)), static_cast<std::int32_t>(toInt(f[4], 0, kMaxCols))};
        if (t.lastRow < t.firstRow || t.lastCol < t.firstCol)
            invalidFormat("readNative", "bad print titles");
        into.printTitles = t;
    } else {
        return false;
    }
    return true;
}

std::int32_t toLine(std::string_view s, std::int32_t max)
{
    return static_cast<std::int32_t>(toInt(s, 1, max));
}

void writeObjects(std::string& buf, const std::vector<DrawingObject>& objects)
{
    for (const DrawingObject& o : objects) {
        const int flags = (o.flipX ? 1 : 0) | (o.flipY ? 2 : 0) | (o.style.filled ? 4 : 0) |
                          (o.style.arrowAtStart ? 8 : 0) | (o.style.arrowAtEnd ? 16 : 0);
        buf += "object\t" + std::to_string(o.id) + "\t" + std::to_string(static_cast<int>(o.kind)) + "\t";
        appendEscaped(buf, o.name);
        for (const CellAnchor& a : {o.from, o.to})
            buf += "\t" + std::to_string(a.row) + "\t" + std::to_string(a.col) + "\t" + num(a.dx) + "\t" + num(a.dy);
        buf += "\t" + std::to_string(flags) + "\t" + hex(o.style.lineColor) + "\t" + num(o.style.lineWidth) + "\t" +
               std::to_string(o.style.lineStyle) + "\t" + hex(o.style.fillColor) + "\t";
        appendEscaped(buf, o.text);
        buf += "\t" + std::to_string(o.checkState) + "\t" + std::to_string(o.chosenItem);
        const RangeRef& r = o.chartSource;
        buf += "\t" + std::to_string(r.firstRow) + "\t" + std::to_string(r.firstCol) + "\t" + std::to_string(r.lastRow) +
               "\t" + std::to_string(r.lastCol);
        buf += "\t" + std::to_string(o.points.size());
        for (const UnitPoint& p : o.points)
            buf += "\t" + num(p.x) + "\t" + num(p.y);
        buf += "\t" + std::to_string(o.items.size());
        for (const std::string& item : o.items) {
            buf += '\t';
            appendEscaped(buf, item);
        }
        buf += '\n';
    }
}

// ---- page breaks (from version 3) ----------------------------------------------

void writePageBreaks(std::string& buf, const SheetFormat& f)
{
    for (std::int32_t r : f.rowBreaks())
        buf += "rowbreak\t" + std::to_string(r) + "\n";
    for (std::int32_t c : f.colBreaks())
        buf += "colbreak\t" + std::to_string(c) + "\n";
}

// One page break record of a sheet; false when the line is none. A break
// outside 2..last or one given twice is refused.
bool readPageBreakLine(const std::vector<std::string_view>& f, SheetFormat& into)
{
    const bool row = f[0] == "rowbreak";
    if (!row && f[0] != "colbreak")
        return false;
    if (f.size() != 2)
        invalidFormat("readNative", "bad page break");
    const auto line = static_cast<std::int32_t>(toInt(f[1], 2, row ? kMaxRows : kMaxCols));
    if (!(row ? into.addRowBreak(line) : into.addColBreak(line)))
        invalidFormat("readNative", "page break given twice");
    return true;
}

// ---- page setup (from version 3) ----------------------------------------------

// Only a page setup that differs from a new sheet's is written.
void writePageSetup(std::string& buf, const PageSetup& s)
{
    if (s == PageSetup())
        return;
    buf += "pagesetup\t" + std::to_string(s.orientation) + "\t" + std::to_string(s.paperSize);
    for (double margin : {s.marginLeft, s.marginRight, s.marginTop, s.marginBottom, s.headerMargin, s.footerMargin})
        buf += "\t" + num(margin);
    buf += '\t';
    appendEscaped(buf, s.header);
    buf += '\t';
    appendEscaped(buf, s.footer);
    buf += std::string("\t") + (s.gridLines ? "1" : "0") + "\t" + std::to_string(s.scale) + "\t" +
           (s.acrossFirst ? "1" : "0") + "\n";
}

// The page setup record of a sheet. It takes every setup the model can hold
// (what checkPageSetup accepts, any paper code) and refuses the others.
PageSetup readPageSetupLine(const std::vector<std::string_view>& f)
{
    if (f.size() != 14)
        invalidFormat("readNative", "bad page setup");
    PageSetup s;
    s.orientation = static_cast<std::int16_t>(toInt(f[1], 1, 2));
    s.paperSize = static_cast<std::int16_t>(toInt(f[2], INT16_MIN, INT16_MAX));
    double* margins[] = {&s.marginLeft, &s.marginRight, &s.marginTop, &s.marginBottom, &s.headerMargin, &s.footerMargin};
    for (std::size_t k = 0; k < 6; ++k)
        *margins[k] = readDouble(f[3 + k], 0, DBL_MAX);
    s.header = unescape(f[9]);
    s.footer = unescape(f[10]);
    s.gridLines = toInt(f[11], 0, 1) == 1;
    s.scale = static_cast<std::int32_t>(toInt(f[12], 10, 400));
    s.acrossFirst = toInt(f[13], 0, 1) == 1;
    try {
        checkPageSetup(s);
    } catch (const platform::Error&) {
        invalidFormat("readNative", "bad page setup");
    }
    return s;
}

// ---- workbook options (from version 3) -----------------------------------------

void writeOptions(std::string& buf, const WorkbookOptions& o)
{
    if (o == WorkbookOptions())
        return;
    buf += "options";
    for (bool on : {o.autoRecalc, o.showGridLines, o.showRowHeading, o.showColHeading})
        buf += on ? "\t1" : "\t0";
    buf += '\n';
}

WorkbookOptions readOptionsLine(const std::vector<std::string_view>& f)
{
    if (f.size() != 5)
        invalidFormat("readNative", "bad options");
    WorkbookOptions o;
    bool* flags[] = {&o.autoRecalc, &o.showGridLines, &o.showRowHeading, &o.showColHeading};
    for (std::size_t k = 0; k < 4; ++k)
        *flags[k] = toInt(f[1 + k], 0, 1) == 1;
    return o;
}

// ---- defined names (from version 3) -------------------------------------------

void writeDefinedNames(std::string& buf, const Workbook& book)
{
    for (const DefinedName& n : book.definedNames()) {
        buf += "name\t";
        appendEscaped(buf, n.name);
        buf += '\t';
        appendEscaped(buf, n.refersTo);
        buf += '\n';
    }
}

// One object record of a sheet, appended to its objects.
void readObjectLine(const std::vector<std::string_view>& f, SheetData& into)
{
    constexpr std::size_t kFixed = 25;  // the fields up to the point count
    if (f.size() < kFixed + 1)
        invalidFormat("readNative", "bad object");
    DrawingObject o;
    o.id = static_cast<std::int32_t>(toInt(f[1], 1, INT32_MAX - 1));
    const auto kind = static_cast<std::int32_t>(toInt(f[2], 1, 10));
    if (!isObjectKind(kind))
        invalidFormat("readNative", "unknown object kind");
    o.kind = static_cast<ObjectKind>(kind);
    o.name = unescape(f[3]);
    std::size_t k = 4;
    for (CellAnchor* a : {&o.from, &o.to}) {
        a->row = toLine(f[k], kMaxRows);
        a->col = toLine(f[k + 1], kMaxCols);
        a->dx = readDouble(f[k + 2], 0, SheetFormat::kMaxColWidth * kPointsPerChar);
        a->dy = readDouble(f[k + 3], 0, SheetFormat::kMaxRowHeight);
        k += 4;
    }
    const auto flags = toInt(f[12], 0, 31);
    o.flipX = flags & 1;
    o.flipY = flags & 2;
    o.style.filled = flags & 4;
    o.style.arrowAtStart = flags & 8;
    o.style.arrowAtEnd = flags & 16;
    o.style.lineColor = readHex(f[13]);
    o.style.lineWidth = readDouble(f[14], 0, kMaxLineWidth);
    o.style.lineStyle = static_cast<std::int32_t>(toInt(f[15], 0, 4));
    o.style.fillColor = readHex(f[16]);
    if (o.style.lineColor == kNoFill || o.style.fillColor == kNoFill)
        invalidFormat("readNative", "bad colour");
    o.text = unescape(f[17]);
    o.checkState = static_cast<std::int32_t>(toInt(f[18], 0, 2));
    o.chosenItem = static_cast<std::int32_t>(toInt(f[19], 0, INT32_MAX));
    o.chartSource = {toLine(f[20], kMaxRows), toLine(f[21], kMaxCols), toLine(f[22], kMaxRows), toLine(f[23], kMaxCols)};
    const auto points = static_cast<std::size_t>(toInt(f[24], 0, static_cast<std::int64_t>(f.size())));
    k = kFixed;
    if (f.size() < k + 2 * points + 1)
        invalidFormat("readNative", "bad object");
    for (std::size_t i = 0; i < points; ++i, k += 2)
        o.points.push_back({readDouble(f[k], 0, 1), readDouble(f[k + 1], 0, 1)});
    const auto items = static_cast<std::size_t>(toInt(f[k], 0, static_cast<std::int64_t>(f.size())));
    ++k;
    if (f.size() != k + items)
        invalidFormat("readNative", "bad object");
    for (std::size_t i = 0; i < items; ++i)
        o.items.push_back(unescape(f[k + i]));
    const bool taken = std::any_of(into.objects.begin(), into.objects.end(),
                                   [&o](const DrawingObject& other) { return other.id == o.id; });
    if (taken || !isValidObject(o))
        invalidFormat("readNative", "bad object");
    into.nextObjectId = std::max(into.nextObjectId, o.id + 1);
    into.objects.push_back(std::move(o));
}

// The name records from `line` on; returns the first line after them. A
// name that is not valid, one given twice or an empty text is refused.
const std::vector<std::string_view>* readDefinedNames(LineReader& in, const std::vector<std::string_view>* line,
                                                      std::vector<DefinedName>& names)
{
    while (!line->empty() && (*line)[0] == "name") {
        if (line->size() != 3)
            invalidFormat("readNative", "bad name record");
        DefinedName n{unescape((*line)[1]), unescape((*line)[2])};
        if (!definedNameProblem(n.name).empty() || n.refersTo.empty())
            invalidFormat("readNative", "bad name record");
        for (const DefinedName& other : names)
            if (sameDefinedName(other.name, n.name))
                invalidFormat("readNative", "name given twice");
        names.push_back(std::move(n));
        line = &in.next();
    }
    return line;
}

} // namespace

bool looksNative(std::string_view bytes) noexcept
{
    return bytes.substr(0, kNativeMagic.size()) == kNativeMagic;
}

// Our own format keeps all a workbook holds.
FileKeeps nativeKeeps()
{
    return {.everySheet = true,
            .formulas = true,
            .numbersInFull = true,
            .formats = true,
            .lineBreaks = true,
            .everyCharacter = true,
            .textLength = 0,
            .objects = true,
            .names = true,
            .pageBreaks = true,
            .pageSetups = true,
            .options = true,
            .frozenPanes = true,
            .protection = true,
            .printAreas = true,
            .printTitles = true};
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
        writeFormats(buf, sheet.format);
        writePageBreaks(buf, sheet.format);
        writePageSetup(buf, sheet.pageSetup);
        writeObjects(buf, sheet.objects);
        buf += "endsheet\n";
    }
    writeDefinedNames(buf, book);
    writeOptions(buf, book.options());
    buf += "end\t" + std::to_string(total) + "\n";
    flush();
}

FileType readNative(std::string_view bytes, Workbook& into)
{
    LineReader in(bytes);
    const auto& head = in.next();
    if (head.size() != 2 || std::string(head[0]) + "\t" != kNativeMagic)
        invalidFormat("readNative", "not a native workbook");
    const auto version = toInt(head[1], 0, 1000);
    if (version < 1 || version > kNativeVersion)
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
        // Version 1 files end the sheet here; later ones put its formats
        // first, and from version 3 its drawing objects after them.
        std::vector<std::uint16_t> styleIds;
        bool hasPageSetup = false;
        for (;;) {
            const auto& f = in.next();
            if (f.size() == 1 && f[0] == "endsheet")
                break;
            if (version >= 3 && f[0] == "pagesetup") {
                if (hasPageSetup)
                    invalidFormat("readNative", "page setup given twice");
                sheet->pageSetup = readPageSetupLine(f);
                hasPageSetup = true;
            } else if (version >= 3 && f[0] == "object") {
                readObjectLine(f, *sheet);
            } else if (version == 1 || !(readFormatLine(f, sheet->format, styleIds) ||
                                         (version >= 3 && readPageBreakLine(f, sheet->format)))) {
                invalidFormat("readNative", "unexpected record");
            }
        }
        sheets.push_back(std::move(sheet));
    }
    std::vector<DefinedName> names;
    const std::vector<std::string_view>* line = &in.next();
    WorkbookOptions options;
    if (version >= 3) {
        line = readDefinedNames(in, line, names);
        if (!line->empty() && (*line)[0] == "options") {
            options = readOptionsLine(*line);
            line = &in.next();
        }
    }
    if (line->size() != 2 || (*line)[0] != "end")
        invalidFormat("readNative", "unexpected record");
    if (static_cast<std::size_t>(toInt((*line)[1], 0, INT64_MAX)) != total || !in.atEnd())
        invalidFormat("readNative", "cell count does not match");
    sheets[static_cast<std::size_t>(activeSheet - 1)]->selected = true;
    into.replaceDefinedNames(std::move(names));
    into.replaceSheets(std::move(sheets), activeSheet);
    into.setOptions(options);
    return type;
}

} // namespace spreadsheet::detail
