#include "platform/spreadsheet/XlsStyles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

#include "platform/spreadsheet/BiffRecords.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/XlsReader.h"

namespace spreadsheet::detail {

namespace {

void put8(std::string& b, unsigned v)
{
    b += static_cast<char>(v & 0xFF);
}

void put16(std::string& b, unsigned v)
{
    put8(b, v);
    put8(b, v >> 8);
}

void put32(std::string& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void rec(std::string& stream, unsigned id, const std::string& body)
{
    put16(stream, id);
    put16(stream, static_cast<unsigned>(body.size()));
    stream += body;
}

// Latin-1 bytes of a UTF-8 text; other characters become "?". Font names and
// format codes are plain ASCII in practice.
std::string latin1(std::string_view utf8, std::size_t max)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size() && out.size() < max; ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            const unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            out += cp <= 0xFF ? static_cast<char>(cp) : '?';
            ++i;
        } else if (c >= 0xC0) {
            out += '?';
            while (i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80)
                ++i;
        }
    }
    return out;
}

// A string with an 8-bit (short) or 16-bit length; BIFF8 adds the option byte
// (0: one byte per character).
void putString(std::string& b, std::string_view utf8, bool biff8, bool longLength)
{
    const std::string s = latin1(utf8, longLength ? 255 : 255);
    if (longLength)
        put16(b, static_cast<unsigned>(s.size()));
    else
        put8(b, static_cast<unsigned>(s.size()));
    if (biff8)
        put8(b, 0);
    b += s;
}

unsigned borderCode(BorderStyle s)
{
    switch (s) {
    case BorderStyle::Thin:
        return 1;
    case BorderStyle::Medium:
        return 2;
    case BorderStyle::Thick:
        return 5;
    default:
        return 0;
    }
}

unsigned hCode(HAlign a)
{
    switch (a) {
    case HAlign::Left:
        return 1;
    case HAlign::Center:
        return 2;
    case HAlign::Right:
        return 3;
    default:
        return 0;
    }
}

unsigned vCode(VAlign a)
{
    switch (a) {
    case VAlign::Top:
        return 0;
    case VAlign::Center:
        return 1;
    default:
        return 2;
    }
}

// The nearest line the model has for each line style code of the format:
// hair, dotted and thin dashed lines are thin, medium dashed ones medium,
// double lines thick.
BorderStyle borderStyle(unsigned code)
{
    switch (code) {
    case 1:
    case 3:
    case 4:
    case 7:
    case 9:
    case 11:
        return BorderStyle::Thin;
    case 2:
    case 8:
    case 10:
    case 12:
    case 13:
        return BorderStyle::Medium;
    case 5:
    case 6:
        return BorderStyle::Thick;
    default:
        return BorderStyle::None;
    }
}

// Fill and justified text start at the left, text centred across a
// selection or distributed is centred.
HAlign hAlign(unsigned code)
{
    switch (code) {
    case 1:
    case 4:
    case 5:
        return HAlign::Left;
    case 2:
    case 6:
    case 7:
        return HAlign::Center;
    case 3:
        return HAlign::Right;
    default:
        return HAlign::General;
    }
}

VAlign vAlign(unsigned code)
{
    switch (code) {
    case 0:
    case 3:
        return VAlign::Top;
    case 1:
    case 4:
        return VAlign::Center;
    default:
        return VAlign::Bottom;
    }
}

// The colours of palette indices 8..63 when the file has no PALETTE record.
constexpr std::array<Rgb, 56> kDefaultPalette = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
    0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
    0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
    0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
    0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

// The colour of a palette index: 0-7 the fixed colours, 8-63 the file's
// palette, anything else (64 and 65 the system colours, 0x7FFF automatic)
// `automatic`.
Rgb paletteColour(const BiffBook& book, unsigned index, Rgb automatic)
{
    if (index < 8)
        return kDefaultPalette[index];  // the fixed colours repeat the first eight
    if (index < 64) {
        const std::size_t i = index - 8;
        return i < book.palette.size() ? book.palette[i] : kDefaultPalette[i];
    }
    return automatic;
}

// A solid fill is its pattern colour; a shaded pattern shows as the mean of
// its two colours.
Rgb fillColour(const BiffBook& book, const BiffXf& x)
{
    if (x.pattern == 0 || x.pattern > 18)
        return kNoFill;
    const Rgb front = paletteColour(book, x.patternColour, 0x000000);
    if (x.pattern == 1)
        return front;
    const Rgb back = paletteColour(book, x.patternBackground, 0xFFFFFF);
    Rgb mixed = 0;
    for (unsigned shift : {16u, 8u, 0u})
        mixed |= ((((front >> shift) & 0xFF) + ((back >> shift) & 0xFF)) / 2) << shift;
    return mixed;
}

unsigned twips(double points)
{
    return static_cast<unsigned>(std::lround(std::clamp(points, 0.0, 409.0) * 20.0));
}

unsigned widthUnits(double chars)
{
    return static_cast<unsigned>(std::lround(std::clamp(chars, 0.0, 255.0) * 256.0));
}

// The format texts of the built-in number format codes.
const std::map<std::uint16_t, std::string>& builtInCodes()
{
    static const std::map<std::uint16_t, std::string> codes = {
        {1, "0"},           {2, "0.00"},         {3, "#,##0"},         {4, "#,##0.00"},
        {9, "0%"},          {10, "0.00%"},       {11, "0.00E+00"},     {12, "# ?/?"},
        {13, "# ?\?/?\?"},    {14, "m/d/yy"},      {15, "d-mmm-yy"},     {16, "d-mmm"},
        {17, "mmm-yy"},     {18, "h:mm AM/PM"},  {19, "h:mm:ss AM/PM"}, {20, "h:mm"},
        {21, "h:mm:ss"},    {22, "m/d/yy h:mm"}, {37, "#,##0 ;(#,##0)"}, {38, "#,##0 ;[Red](#,##0)"},
        {39, "#,##0.00;(#,##0.00)"}, {40, "#,##0.00;[Red](#,##0.00)"}, {45, "mm:ss"},
        {46, "[h]:mm:ss"},  {47, "mm:ss.0"},     {48, "##0.0E+0"},     {49, "@"}};
    return codes;
}

} // namespace

std::vector<CellFormat> xfLooks(const BiffBook& book)
{
    auto codeText = [&](std::uint16_t code) -> std::string {
        const auto own = book.numberFormats.find(code);
        if (own != book.numberFormats.end())
            return own->second;
        const auto built = builtInCodes().find(code);
        return built != builtInCodes().end() ? built->second : std::string("General");
    };
    std::vector<CellFormat> looks;
    looks.reserve(book.xfs.size());
    for (const BiffXf& x : book.xfs) {
        CellFormat c;
        // Font indices skip 4: records 0-3 are fonts 0-3, record 4 is font 5.
        const std::size_t record = x.font < 4 ? x.font : x.font - 1;
        if (x.font != 4 && record < book.fonts.size()) {
            const BiffFont& f = book.fonts[record];
            if (!f.name.empty())
                c.fontName = f.name;
            if (f.height >= 20 && f.height <= 409 * 20)  // 1 to 409 points
                c.fontSize = f.height / 20.0;
            c.bold = f.weight >= 600;
            c.italic = f.italic;
            c.underline = f.underline != 0;
            c.fontColor = paletteColour(book, f.colour, 0x000000);
        }
        c.numberFormat = codeText(x.numberFormat);
        c.hAlign = hAlign(x.hAlign);
        c.vAlign = vAlign(x.vAlign);
        c.wrap = x.wrap;
        c.borderLeft = borderStyle(x.borderLeft);
        c.borderRight = borderStyle(x.borderRight);
        c.borderTop = borderStyle(x.borderTop);
        c.borderBottom = borderStyle(x.borderBottom);
        c.fill = fillColour(book, x);
        c.locked = x.locked;
        looks.push_back(std::move(c));
    }
    return looks;
}

void applyFormats(const std::vector<CellFormat>& looks, BiffSheet& sheet, SheetData& into)
{
    SheetFormat& format = into.format;
    if (looks.size() > biff::kDefaultCellXf)
        format.setNormal(looks[biff::kDefaultCellXf]);

    // Cells in row and column order, the last record of a cell winning; then
    // one run for neighbouring cells of a row with one style.
    std::vector<BiffCellXf>& cells = sheet.cells;
    std::stable_sort(cells.begin(), cells.end(), [](const BiffCellXf& a, const BiffCellXf& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    });
    constexpr std::size_t kMaxXfsPerSheet = 4096;
    std::vector<std::int32_t> styleOfXf(looks.size(), -1);
    std::size_t xfsUsed = 0;
    auto styleOf = [&](std::uint16_t xf) -> std::uint16_t {
        if (xf >= looks.size())
            return 0;
        std::int32_t& style = styleOfXf[xf];
        if (style < 0)
            style = xfsUsed++ < kMaxXfsPerSheet ? format.intern(looks[xf]) : 0;
        return static_cast<std::uint16_t>(style);
    };
    std::vector<SheetFormat::Run> runs;
    for (std::size_t i = 0; i < cells.size();) {
        const std::int32_t row = cells[i].row;
        runs.clear();
        for (; i < cells.size() && cells[i].row == row; ++i) {
            if (i + 1 < cells.size() && cells[i + 1].row == row && cells[i + 1].col == cells[i].col)
                continue;  // a later record for the same cell
            const std::uint16_t style = styleOf(cells[i].xf);
            if (!runs.empty() && runs.back().style == style && runs.back().lastCol + 1 == cells[i].col)
                runs.back().lastCol = cells[i].col;
            else
                runs.push_back({cells[i].col, cells[i].col, style});
        }
        (void)format.restoreRuns(row, runs);  // in order and apart by construction
    }

    // Widths: STANDARDWIDTH is the exact default, DEFCOLWIDTH its whole
    // characters. A column gets a width of its own when the file says the
    // user set it or when it differs from the default; a hidden column
    // stored with width 0 keeps its width.
    if (sheet.standardWidth)
        format.setDefaultColWidth(*sheet.standardWidth / 256.0);
    else if (sheet.defColWidth)
        format.setDefaultColWidth(*sheet.defColWidth);
    const unsigned defaultWidth = widthUnits(format.defaultColWidth());
    for (const BiffColumns& c : sheet.columns) {
        if (c.first > c.last || c.first >= static_cast<unsigned>(kMaxCols))
            continue;
        const auto first = static_cast<std::int32_t>(c.first + 1);
        const auto last = static_cast<std::int32_t>(std::min(c.last, static_cast<unsigned>(kMaxCols) - 1) + 1);
        const bool hidden = (c.flags & 0x0001) != 0;
        if (((c.flags & 0x0002) != 0 || c.width != defaultWidth) && !(hidden && c.width == 0))
            format.setColWidth(first, last, c.width / 256.0);
        if (hidden)
            format.setColHidden(first, last, true);
    }

    // Heights the same way: the ROW's own flag, or a height other than the default.
    if (sheet.defaultRowHeight && *sheet.defaultRowHeight > 0)
        format.setDefaultRowHeight(*sheet.defaultRowHeight / 20.0);
    const unsigned defaultHeight = twips(format.defaultRowHeight());
    std::vector<std::int32_t> hidden;
    for (const BiffRow& r : sheet.rows) {
        if (r.row >= static_cast<unsigned>(kMaxRows))
            continue;
        const auto row = static_cast<std::int32_t>(r.row + 1);
        const unsigned height = r.height & 0x7FFF;
        const bool isHidden = (r.flags & 0x0020) != 0;
        const bool ownHeight = (r.height & 0x8000) == 0 && ((r.flags & 0x0040) != 0 || height != defaultHeight);
        if (ownHeight && !(isHidden && height == 0))
            format.setRowHeight(row, row, height / 20.0);
        if (isHidden)
            hidden.push_back(row);
    }
    // Hidden rows go in as blocks of neighbouring rows, each one call.
    std::sort(hidden.begin(), hidden.end());
    hidden.erase(std::unique(hidden.begin(), hidden.end()), hidden.end());
    for (std::size_t i = 0; i < hidden.size();) {
        std::size_t j = i + 1;
        while (j < hidden.size() && hidden[j] == hidden[j - 1] + 1)
            ++j;
        format.setRowHidden(hidden[i], hidden[j - 1], true);
        i = j;
    }
}

bool XlsStyles::Font::operator<(const Font& o) const
{
    return std::tie(name, size, bold, italic, underline, colour) <
           std::tie(o.name, o.size, o.bold, o.italic, o.underline, o.colour);
}

XlsStyles::XlsStyles(const Workbook& book, bool biff8) : m_biff8(biff8)
{
    m_palette = {0x000000, 0xFFFFFF};
    auto addColour = [&](Rgb c) {
        if (c != kNoFill && m_palette.size() < 56 && std::find(m_palette.begin(), m_palette.end(), c) == m_palette.end())
            m_palette.push_back(c);
    };
    unsigned nextFormat = 164;
    auto addLook = [&](const CellFormat& c) {
        addColour(c.fontColor);
        addColour(c.fill);
        Font font{c.fontName, c.fontSize, c.bold, c.italic, c.underline, c.fontColor};
        if (std::find_if(m_fonts.begin(), m_fonts.end(), [&](const Font& x) {
                return !(x < font) && !(font < x);
            }) == m_fonts.end())
            m_fonts.push_back(font);
        if (c.numberFormat != "General" && !m_formats.count(c.numberFormat))
            m_formats[c.numberFormat] = nextFormat++;
    };
    // A normal style that every sheet shares (the default font set for the
    // workbook) is the default cell XF and the default font, so that every
    // cell of the file shows it; normal styles that differ between sheets
    // are written as cell XFs of their own.
    m_normal = book.sheetFormat(1).style(0);
    for (std::int32_t s = 2; s <= book.NumSheets(); ++s)
        if (!(book.sheetFormat(s).style(0) == m_normal))
            m_normal = CellFormat();
    if (!(m_normal == CellFormat()))
        addLook(m_normal);
    for (std::int32_t s = 1; s <= book.NumSheets(); ++s) {
        const SheetFormat& f = book.sheetFormat(s);
        std::vector<unsigned> map;
        for (std::size_t i = 0; i < f.styleCount(); ++i) {
            const CellFormat& c = f.style(static_cast<std::uint16_t>(i));
            if (c == m_normal) {
                map.push_back(kPlainXf);
                continue;
            }
            addLook(c);
            const auto it = std::find(m_xfs.begin(), m_xfs.end(), c);
            if (it != m_xfs.end()) {
                map.push_back(16 + static_cast<unsigned>(it - m_xfs.begin()));
            } else if (m_xfs.size() < 4000) {
                m_xfs.push_back(c);
                map.push_back(16 + static_cast<unsigned>(m_xfs.size() - 1));
            } else {
                map.push_back(kPlainXf);  // the format's own limit on cell styles
            }
        }
        m_sheetXf.push_back(std::move(map));
    }
    while (m_palette.size() < 56)
        m_palette.push_back(0xFFFFFF);
}

unsigned XlsStyles::colourIndex(Rgb colour) const
{
    const auto it = std::find(m_palette.begin(), m_palette.end(), colour);
    return 8 + static_cast<unsigned>(it == m_palette.end() ? 0 : it - m_palette.begin());
}

unsigned XlsStyles::fontIndex(const CellFormat& c) const
{
    const Font font{c.fontName, c.fontSize, c.bold, c.italic, c.underline, c.fontColor};
    const auto it = std::find_if(m_fonts.begin(), m_fonts.end(), [&](const Font& x) { return !(x < font) && !(font < x); });
    // Five default fonts take indices 0-3 and 5 (4 does not exist).
    return 6 + static_cast<unsigned>(it - m_fonts.begin());
}

unsigned XlsStyles::formatIndex(const std::string& code) const
{
    const auto it = m_formats.find(code);
    return it == m_formats.end() ? 0 : it->second;
}

unsigned XlsStyles::xf(std::int32_t sheet, std::uint16_t style) const
{
    const auto& map = m_sheetXf.at(static_cast<std::size_t>(sheet - 1));
    return style < map.size() ? map[style] : kPlainXf;
}

void XlsStyles::writeGlobals(std::string& g) const
{
    auto font = [&](const Font& f) {
        std::string b;
        put16(b, twips(f.size));
        put16(b, (f.italic ? 0x0002 : 0));
        put16(b, f.colour == 0 ? 0x7FFF : colourIndex(f.colour));
        put16(b, f.bold ? 700 : 400);
        put16(b, 0);
        put8(b, f.underline ? 1 : 0);
        put8(b, 0);
        put8(b, 0);
        put8(b, 0);
        putString(b, f.name, m_biff8, false);
        rec(g, 0x0031, b);
    };
    for (int i = 0; i < 5; ++i)
        font(Font{m_normal.fontName, m_normal.fontSize, m_normal.bold, m_normal.italic, m_normal.underline,
                  m_normal.fontColor});
    for (const Font& f : m_fonts)
        font(f);
    for (const auto& [code, index] : m_formats) {
        std::string b;
        put16(b, index);
        putString(b, code, m_biff8, m_biff8);
        rec(g, 0x041E, b);
    }
    auto xfRecord = [&](bool styleXf, const CellFormat* c) {
        std::string b;
        put16(b, c ? fontIndex(*c) : 0);
        put16(b, c ? formatIndex(c->numberFormat) : 0);
        // Cell XFs are locked unless the look says otherwise; style XFs have parent 0xFFF.
        put16(b, styleXf ? 0xFFF5 : (c && !c->locked ? 0x0000 : 0x0001));
        const unsigned align = c ? (hCode(c->hAlign) | (c->wrap ? 0x08 : 0) | (vCode(c->vAlign) << 4)) : 0x20;
        const bool fill = c && c->fill != kNoFill;
        const unsigned fillColour = fill ? colourIndex(c->fill) : 64;
        const unsigned black = 8;
        if (m_biff8) {
            put8(b, align);
            put8(b, 0);
            put8(b, 0);
            put8(b, styleXf ? 0xF4 : (c ? 0xFC : 0x00));
            std::uint32_t lines = 0;
            std::uint32_t more = 0;
            if (c) {
                lines = borderCode(c->borderLeft) | (borderCode(c->borderRight) << 4) |
                        (borderCode(c->borderTop) << 8) | (borderCode(c->borderBottom) << 12);
                if (c->borderLeft != BorderStyle::None)
                    lines |= black << 16;
                if (c->borderRight != BorderStyle::None)
                    lines |= black << 23;
                if (c->borderTop != BorderStyle::None)
                    more |= black;
                if (c->borderBottom != BorderStyle::None)
                    more |= black << 7;
                if (fill)
                    more |= 1u << 26;
            }
            put32(b, lines);
            put32(b, more);
            put16(b, fill ? (fillColour | (65u << 7)) : 0x20C0);
        } else {
            put16(b, align | (styleXf ? 0 : (c ? 0xFC00 : 0)));
            std::uint32_t area = fill ? (fillColour | (65u << 7) | (1u << 16)) : 0x000020C0;
            std::uint32_t lines = 0;
            if (c) {
                area |= borderCode(c->borderBottom) << 22;
                if (c->borderBottom != BorderStyle::None)
                    area |= black << 25;
                lines = borderCode(c->borderTop) | (borderCode(c->borderLeft) << 3) |
                        (borderCode(c->borderRight) << 6);
                if (c->borderTop != BorderStyle::None)
                    lines |= black << 9;
                if (c->borderLeft != BorderStyle::None)
                    lines |= black << 16;
                if (c->borderRight != BorderStyle::None)
                    lines |= black << 23;
            }
            put32(b, area);
            put32(b, lines);
        }
        rec(g, 0x00E0, b);
    };
    for (unsigned i = 0; i < 16; ++i)
        xfRecord(i != kPlainXf, i == kPlainXf && !(m_normal == CellFormat()) ? &m_normal : nullptr);
    for (const CellFormat& c : m_xfs)
        xfRecord(false, &c);
    std::string style;
    put16(style, 0x8000);
    put8(style, 0);
    put8(style, 0xFF);
    rec(g, 0x0293, style);
    std::string pal;
    put16(pal, 56);
    for (Rgb c : m_palette) {
        put8(pal, (c >> 16) & 0xFF);
        put8(pal, (c >> 8) & 0xFF);
        put8(pal, c & 0xFF);
        put8(pal, 0);
    }
    rec(g, 0x0092, pal);
}

void XlsStyles::writeColumns(std::string& s, const SheetFormat& f) const
{
    const double def = f.defaultColWidth();
    std::string d;
    put16(d, static_cast<unsigned>(std::lround(def)));
    rec(s, 0x0055, d);
    auto widthOf = [&](std::int32_t c) { return f.storedColWidth(c); };
    const bool fractionalDefault = std::lround(def) != def;
    for (std::int32_t c = 1; c <= kMaxCols;) {
        std::int32_t e = c;
        while (e < kMaxCols && widthOf(e + 1) == widthOf(c) && f.isColHidden(e + 1) == f.isColHidden(c))
            ++e;
        const bool special = f.hasColWidth(c) || f.isColHidden(c) || fractionalDefault;
        if (special) {
            std::string b;
            put16(b, static_cast<unsigned>(c - 1));
            put16(b, static_cast<unsigned>(e - 1));
            put16(b, widthUnits(widthOf(c)));
            put16(b, kPlainXf);
            put16(b, (f.isColHidden(c) ? 0x0001 : 0x0000) | (f.hasColWidth(c) ? 0x0002 : 0x0000));
            put16(b, 0);
            rec(s, 0x007D, b);
        }
        c = e + 1;
    }
    std::string h;
    put16(h, 0);
    put16(h, twips(f.defaultRowHeight()));
    rec(s, 0x0225, h);
}

void XlsStyles::writeRows(std::string& s, const SheetFormat& f) const
{
    std::vector<std::int32_t> rows;
    for (const auto& [r, h] : f.rowHeights())
        rows.push_back(r);
    for (std::int32_t r : f.hiddenRows())
        rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (std::int32_t r : rows) {
        std::string b;
        put16(b, static_cast<unsigned>(r - 1));
        put16(b, 0);
        put16(b, 0);
        put16(b, twips(f.storedRowHeight(r)));
        put16(b, 0);
        put16(b, 0);
        // 0x0040: the height is the row's own, not the default.
        std::uint32_t flags = 0x0100 | (f.hasRowHeight(r) ? 0x0040 : 0);
        if (f.isRowHidden(r))
            flags |= 0x0020;
        put32(b, flags | (kPlainXf << 16));
        rec(s, 0x0208, b);
    }
}

} // namespace spreadsheet::detail
