// .xls workbooks: reading through libfreexl, writing our own BIFF5 and BIFF8
// records into a compound (OLE2) file made by libgsf.
//
// The writer puts out the smallest complete workbook the BIFF format allows:
// the globals (BOF, CODEPAGE, WINDOW1, DATEMODE, five FONTs, sixteen XFs,
// STYLE, one BOUNDSHEET per sheet, in BIFF8 the shared-string table SST with
// its CONTINUE records, EOF), then per sheet BOF, DIMENSIONS, WINDOW2, the
// cells (NUMBER, LABELSST in BIFF8 or LABEL in BIFF5, BOOLERR) and EOF.
// Formulas are written as their current results. BIFF5 texts are written in
// Windows-1252; characters it lacks become "?".

#include <freexl.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet::detail {

namespace {

// ---- record building --------------------------------------------------------

class Bytes {
public:
    void u8(unsigned v) { m_data += static_cast<char>(v & 0xFF); }
    void u16(unsigned v)
    {
        u8(v);
        u8(v >> 8);
    }
    void u32(std::uint32_t v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void f64(double d)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        u32(static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
        u32(static_cast<std::uint32_t>(bits >> 32));
    }
    void raw(std::string_view s) { m_data += s; }
    [[nodiscard]] const std::string& data() const noexcept { return m_data; }
    [[nodiscard]] std::size_t size() const noexcept { return m_data.size(); }

private:
    std::string m_data;
};

void record(std::string& stream, unsigned id, const Bytes& body)
{
    Bytes head;
    head.u16(id);
    head.u16(static_cast<unsigned>(body.size()));
    stream += head.data();
    stream += body.data();
}

std::u16string utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t n = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) {
            cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
            n = 2;
        } else if ((c & 0xF0) == 0xE0 && i + 2 < s.size()) {
            cp = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
            n = 3;
        } else if ((c & 0xF8) == 0xF0 && i + 3 < s.size()) {
            cp = ((c & 0x07u) << 18) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 12) |
                 ((static_cast<unsigned char>(s[i + 2]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(s[i + 3]) & 0x3Fu);
            n = 4;
        }
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

// Windows-1252 byte of a code point, or "?".
char toCp1252(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    static const std::unordered_map<char16_t, unsigned char> high = {
        {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
        {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
        {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
        {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
        {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F}};
    const auto it = high.find(u);
    return it == high.end() ? '?' : static_cast<char>(it->second);
}

std::string toCp1252(std::string_view utf8, std::size_t maxBytes)
{
    std::string out;
    for (char16_t u : utf8ToUtf16(utf8)) {
        if (u >= 0xDC00 && u <= 0xDFFF)
            continue;  // second half of a pair: the first gave "?"
        if (out.size() >= maxBytes)
            break;
        out += toCp1252(u);
    }
    return out;
}

// A BIFF8 short string: 8-bit length, option byte (1 = 16-bit characters), characters.
void shortString8(Bytes& b, std::string_view utf8)
{
    std::u16string u = utf8ToUtf16(utf8);
    if (u.size() > 255)
        u.resize(255);
    b.u8(static_cast<unsigned>(u.size()));
    b.u8(1);
    for (char16_t c : u)
        b.u16(c);
}

void shortString5(Bytes& b, std::string_view utf8)
{
    const std::string s = toCp1252(utf8, 255);
    b.u8(static_cast<unsigned>(s.size()));
    b.raw(s);
}

constexpr unsigned kCellXf = 15;

unsigned biffErrorCode(CellError e)
{
    switch (e) {
    case CellError::Null:
        return 0x00;
    case CellError::Div0:
        return 0x07;
    case CellError::Value:
        return 0x0F;
    case CellError::Ref:
        return 0x17;
    case CellError::Name:
        return 0x1D;
    case CellError::Num:
        return 0x24;
    case CellError::NA:
    case CellError::Count:
        break;
    }
    return 0x2A;
}

// The shared-string table of a BIFF8 workbook.
class StringTable {
public:
    std::uint32_t add(const std::string& s)
    {
        ++m_total;
        const auto [it, inserted] = m_index.emplace(s, static_cast<std::uint32_t>(m_strings.size()));
        if (inserted)
            m_strings.push_back(&it->first);
        return it->second;
    }

    // SST and CONTINUE records; a string's characters that do not fit go on
    // in the next CONTINUE after a repeated option byte.
    void write(std::string& stream) const
    {
        constexpr std::size_t kMax = 8224;
        std::vector<Bytes> records(1);
        records[0].u32(m_total);
        records[0].u32(static_cast<std::uint32_t>(m_strings.size()));
        for (const std::string* s : m_strings) {
            std::u16string u = utf8ToUtf16(*s);
            if (u.size() > 32767)
                u.resize(32767);
            if (records.back().size() + 3 + 2 > kMax)
                records.emplace_back();
            // Texts of Latin-1 characters go as 8-bit characters, as the
            // format prefers; others as 16-bit ones.
            bool wide = false;
            for (char16_t c : u)
                wide = wide || c > 0xFF;
            const std::size_t width = wide ? 2 : 1;
            records.back().u16(static_cast<unsigned>(u.size()));
            records.back().u8(wide ? 1 : 0);
            for (char16_t c : u) {
                if (records.back().size() + width > kMax) {
                    records.emplace_back();
                    records.back().u8(wide ? 1 : 0);
                }
                if (wide)
                    records.back().u16(c);
                else
                    records.back().u8(c);
            }
        }
        record(stream, 0x00FC, records[0]);
        for (std::size_t i = 1; i < records.size(); ++i)
            record(stream, 0x003C, records[i]);
    }

private:
    std::unordered_map<std::string, std::uint32_t> m_index;
    std::vector<const std::string*> m_strings;
    std::uint32_t m_total = 0;
};

void bof(std::string& stream, bool biff8, unsigned type)
{
    Bytes b;
    if (biff8) {
        b.u16(0x0600);
        b.u16(type);
        b.u16(0x0DBB);
        b.u16(0x07CC);
        b.u32(0);
        b.u32(6);
    } else {
        b.u16(0x0500);
        b.u16(type);
        b.u16(0x0DBB);
        b.u16(0x07CC);
    }
    record(stream, 0x0809, b);
}

void eof(std::string& stream)
{
    record(stream, 0x000A, Bytes());
}

std::string sheetStream(const SheetData& sheet, bool biff8, bool activeTab, StringTable& sst)
{
    std::string s;
    bof(s, biff8, 0x0010);
    const std::int32_t rows = sheet.lastUsedRow();
    const std::int32_t cols = sheet.lastUsedCol();
    Bytes dim;
    if (biff8) {
        dim.u32(0);
        dim.u32(static_cast<std::uint32_t>(rows));
        dim.u16(0);
        dim.u16(static_cast<unsigned>(cols));
        dim.u16(0);
    } else {
        dim.u16(0);
        dim.u16(static_cast<unsigned>(rows));
        dim.u16(0);
        dim.u16(static_cast<unsigned>(cols));
        dim.u16(0);
    }
    record(s, 0x0200, dim);
    Bytes w2;
    w2.u16(activeTab ? 0x06B6 : 0x00B6);
    w2.u16(0);
    w2.u16(0);
    if (biff8) {
        w2.u16(64);
        w2.u16(0);
        w2.u16(0);
        w2.u16(0);
        w2.u32(0);
    } else {
        w2.u32(0);
    }
    record(s, 0x023E, w2);

    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const auto& row = sheet.rows[r];
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (row[c].isEmpty())
                continue;
            const Value v = row[c].value();
            Bytes b;
            b.u16(static_cast<unsigned>(r));
            b.u16(static_cast<unsigned>(c));
            b.u16(kCellXf);
            switch (v.kind()) {
            case ValueKind::Empty:
                continue;  // a formula without a result
            case ValueKind::Number:
                b.f64(v.number());
                record(s, 0x0203, b);
                break;
            case ValueKind::Text:
                if (biff8) {
                    b.u32(sst.add(v.text()));
                    record(s, 0x00FD, b);
                } else {
                    const std::string t = toCp1252(v.text(), 2080 - 8);
                    b.u16(static_cast<unsigned>(t.size()));
                    b.raw(t);
                    record(s, 0x0204, b);
                }
                break;
            case ValueKind::Logical:
                b.u8(v.logicalValue() ? 1 : 0);
                b.u8(0);
                record(s, 0x0205, b);
                break;
            case ValueKind::Error:
                b.u8(biffErrorCode(v.errorCode()));
                b.u8(1);
                record(s, 0x0205, b);
                break;
            }
        }
    }
    eof(s);
    return s;
}

// ---- reading -------------------------------------------------------------------

struct FreexlCloser {
    void operator()(const void* h) const noexcept { freexl_close(h); }
};
using FreexlHandle = std::unique_ptr<const void, FreexlCloser>;

// ---- writing the container ---------------------------------------------------

template <typename T>
struct GObjectUnref {
    void operator()(T* p) const noexcept
    {
        if (p)
            g_object_unref(p);
    }
};

CellError errorFromBiff(unsigned code)
{
    switch (code) {
    case 0x00:
        return CellError::Null;
    case 0x07:
        return CellError::Div0;
    case 0x0F:
        return CellError::Value;
    case 0x17:
        return CellError::Ref;
    case 0x1D:
        return CellError::Name;
    case 0x24:
        return CellError::Num;
    default:
        return CellError::NA;
    }
}

void ensureGsf()
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

// The workbook stream of a compound file, or "" when there is none.
std::string readWorkbookStream(const std::string& path)
{
    ensureGsf();
    GError* error = nullptr;
    std::unique_ptr<GsfInput, GObjectUnref<GsfInput>> input(gsf_input_stdio_new(path.c_str(), &error));
    if (error)
        g_error_free(error);
    if (!input)
        return {};
    error = nullptr;
    std::unique_ptr<GsfInfile, GObjectUnref<GsfInfile>> ole(gsf_infile_msole_new(input.get(), &error));
    if (error)
        g_error_free(error);
    if (!ole)
        return {};
    for (const char* name : {"Workbook", "Book", "WORKBOOK", "BOOK"}) {
        std::unique_ptr<GsfInput, GObjectUnref<GsfInput>> stream(gsf_infile_child_by_name(ole.get(), name));
        if (!stream)
            continue;
        const gsf_off_t size = gsf_input_size(stream.get());
        if (size <= 0 || size > (gsf_off_t{1} << 31))
            return {};
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (!gsf_input_read(stream.get(), bytes.size(), reinterpret_cast<guint8*>(bytes.data())))
            return {};
        return bytes;
    }
    return {};
}

// Logical and error cells (BOOLERR records, and formulas whose cached result
// is a logical or an error) come out of the reading library as the numbers 1
// and 0 or as the error's code number. Puts the true values back, sheet by
// sheet in the order of the workbook's worksheets.
void restoreLogicalAndErrorCells(const std::string& path, std::vector<std::unique_ptr<SheetData>>& sheets)
{
    const std::string stream = readWorkbookStream(path);
    if (stream.empty())
        invalidFormat("readXls", "no workbook stream");
    auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(stream[at]) |
                                     (static_cast<unsigned char>(stream[at + 1]) << 8));
    };
    // Positions of the worksheets, from the sheet list of the globals.
    std::vector<std::size_t> positions;
    std::size_t i = 0;
    while (i + 4 <= stream.size()) {
        const unsigned id = u16(i);
        const std::size_t len = u16(i + 2);
        if (i + 4 + len > stream.size())
            break;
        if (id == 0x0085 && len >= 6 && static_cast<unsigned char>(stream[i + 4 + 5]) == 0) {
            const std::size_t pos = u16(i + 4) | (static_cast<std::size_t>(u16(i + 6)) << 16);
            positions.push_back(pos);
        }
        if (id == 0x000A)
            break;  // the end of the globals
        i += 4 + len;
    }
    if (positions.size() != sheets.size())
        return;  // chart or macro sheets in between: keep what was read
    for (std::size_t s = 0; s < positions.size(); ++s) {
        std::size_t at = positions[s];
        while (at + 4 <= stream.size()) {
            const unsigned id = u16(at);
            const std::size_t len = u16(at + 2);
            const std::size_t body = at + 4;
            if (body + len > stream.size() || id == 0x000A)
                break;
            if ((id == 0x0205 && len >= 8) || (id == 0x0006 && len >= 14)) {
                const unsigned row = u16(body);
                const unsigned col = u16(body + 2);
                if (row < static_cast<unsigned>(kMaxRows) && col < static_cast<unsigned>(kMaxCols)) {
                    std::optional<Value> v;
                    if (id == 0x0205) {
                        const unsigned value = static_cast<unsigned char>(stream[body + 6]);
                        v = stream[body + 7] ? Value::error(errorFromBiff(value)) : Value::logical(value != 0);
                    } else if (u16(body + 12) == 0xFFFF) {
                        const unsigned kind = static_cast<unsigned char>(stream[body + 6]);
                        const unsigned value = static_cast<unsigned char>(stream[body + 8]);
                        if (kind == 1)
                            v = Value::logical(value != 0);
                        else if (kind == 2)
                            v = Value::error(errorFromBiff(value));
                    }
                    if (v)
                        sheets[s]->at(static_cast<std::int32_t>(row + 1), static_cast<std::int32_t>(col + 1)).setValue(*v);
                }
            }
            at = body + len;
        }
    }
}

} // namespace

std::string buildBiffStream(const Workbook& book, bool biff8)
{
    book.ensureCalculated();
    StringTable sst;
    std::vector<std::string> sheets;
    for (std::int32_t i = 1; i <= book.NumSheets(); ++i)
        sheets.push_back(sheetStream(book.sheetData(i), biff8, i == book.Sheet(), sst));

    // The globals, with the sheet positions patched in once their size is known.
    std::string g;
    bof(g, biff8, 0x0005);
    Bytes cp;
    cp.u16(biff8 ? 1200 : 1252);
    record(g, 0x0042, cp);
    Bytes w1;
    w1.u16(0);
    w1.u16(0);
    w1.u16(0x3000);
    w1.u16(0x2000);
    w1.u16(0x0038);
    w1.u16(static_cast<unsigned>(book.Sheet() - 1));
    w1.u16(0);
    w1.u16(1);
    w1.u16(0x0258);
    record(g, 0x003D, w1);
    Bytes dm;
    dm.u16(0);
    record(g, 0x0022, dm);
    for (int i = 0; i < 5; ++i) {
        Bytes f;
        f.u16(200);
        f.u16(0);
        f.u16(0x7FFF);
        f.u16(400);
        f.u16(0);
        f.u8(0);
        f.u8(0);
        f.u8(0);
        f.u8(0);
        if (biff8)
            shortString8(f, "Arial");
        else
            shortString5(f, "Arial");
        record(g, 0x0031, f);
    }
    for (unsigned i = 0; i < 16; ++i) {
        const bool cellXf = i == kCellXf;
        Bytes x;
        x.u16(0);
        x.u16(0);
        x.u16(cellXf ? 0x0001 : 0xFFF5);
        if (biff8) {
            x.u8(0x20);
            x.u8(0);
            x.u8(0);
            x.u8(cellXf ? 0x00 : 0xF4);
            x.u32(0);
            x.u32(0);
            x.u16(0x20C0);
        } else {
            x.u16(0x0020);
            x.u32(0x000020C0);
            x.u32(0);
        }
        record(g, 0x00E0, x);
    }
    Bytes style;
    style.u16(0x8000);
    style.u8(0);
    style.u8(0xFF);
    record(g, 0x0293, style);
    std::vector<std::size_t> patch;
    for (std::int32_t i = 1; i <= book.NumSheets(); ++i) {
        Bytes bs;
        bs.u32(0);
        bs.u8(0);
        bs.u8(0);
        if (biff8)
            shortString8(bs, book.SheetName(i));
        else
            shortString5(bs, book.SheetName(i));
        patch.push_back(g.size() + 4);
        record(g, 0x0085, bs);
    }
    if (biff8)
        sst.write(g);
    eof(g);

    std::uint32_t offset = static_cast<std::uint32_t>(g.size());
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        for (int k = 0; k < 4; ++k)
            g[patch[i] + static_cast<std::size_t>(k)] = static_cast<char>((offset >> (8 * k)) & 0xFF);
        offset += static_cast<std::uint32_t>(sheets[i].size());
    }
    for (const std::string& s : sheets)
        g += s;
    return g;
}

void writeXls(const std::string& path, const Workbook& book, bool biff8)
{
    ensureGsf();
    const std::string stream = buildBiffStream(book, biff8);

    GError* error = nullptr;
    std::unique_ptr<GsfOutput, GObjectUnref<GsfOutput>> sink(gsf_output_stdio_new(path.c_str(), &error));
    if (!sink) {
        if (error)
            g_error_free(error);
        throw platform::Error::runtime(platform::err::PathFileAccess, "writeXls");
    }
    std::unique_ptr<GsfOutfile, GObjectUnref<GsfOutfile>> ole(gsf_outfile_msole_new(sink.get()));
    if (!ole)
        throw platform::Error::runtime(platform::err::PathFileAccess, "writeXls");
    bool ok = false;
    {
        std::unique_ptr<GsfOutput, GObjectUnref<GsfOutput>> child(
            gsf_outfile_new_child(ole.get(), biff8 ? "Workbook" : "Book", FALSE));
        if (child) {
            ok = gsf_output_write(child.get(), stream.size(), reinterpret_cast<const guint8*>(stream.data()));
            ok = gsf_output_close(child.get()) && ok;
        }
    }
    ok = gsf_output_close(GSF_OUTPUT(ole.get())) && ok;
    ok = (gsf_output_is_closed(sink.get()) || gsf_output_close(sink.get())) && ok;
    if (!ok)
        throw platform::Error::runtime(platform::err::DiskFull, "writeXls");
}

bool looksLikeCompoundFile(std::string_view bytes) noexcept
{
    return bytes.size() >= 8 && bytes.substr(0, 8) == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
}

FileType readXls(const std::string& path, Workbook& into)
{
    const void* raw = nullptr;
    const int rc = freexl_open(path.c_str(), &raw);
    FreexlHandle h(raw);
    if (rc == FREEXL_FILE_NOT_FOUND)
        throw platform::Error::runtime(platform::err::FileNotFound, "readXls");
    if (rc != FREEXL_OK || !h)
        invalidFormat("readXls", "not a readable .xls workbook");
    unsigned int version = 0;
    unsigned int password = 0;
    unsigned int count = 0;
    if (freexl_get_info(h.get(), FREEXL_BIFF_VERSION, &version) != FREEXL_OK ||
        freexl_get_info(h.get(), FREEXL_BIFF_PASSWORD, &password) != FREEXL_OK ||
        freexl_get_info(h.get(), FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
        invalidFormat("readXls", "not a readable .xls workbook");
    if (password == FREEXL_BIFF_OBFUSCATED)
        invalidFormat("readXls", "the workbook is protected by a password");
    if (count == 0)
        invalidFormat("readXls", "the workbook has no worksheet");

    std::vector<std::unique_ptr<SheetData>> sheets;
    for (unsigned int i = 0; i < count; ++i) {
        auto sheet = std::make_unique<SheetData>();
        const char* name = nullptr;
        if (freexl_get_worksheet_name(h.get(), static_cast<unsigned short>(i), &name) != FREEXL_OK ||
            freexl_select_active_worksheet(h.get(), static_cast<unsigned short>(i)) != FREEXL_OK)
            invalidFormat("readXls", "damaged worksheet");
        sheet->name = name && *name ? name : "Sheet" + std::to_string(i + 1);
        unsigned int rows = 0;
        unsigned short cols = 0;
        if (freexl_worksheet_dimensions(h.get(), &rows, &cols) != FREEXL_OK)
            invalidFormat("readXls", "damaged worksheet");
        if (rows > static_cast<unsigned>(kMaxRows) || cols > static_cast<unsigned>(kMaxCols))
            invalidFormat("readXls", "a worksheet is larger than 16384 rows by 256 columns");
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v{};
                if (freexl_get_cell_value(h.get(), r, c, &v) != FREEXL_OK)
                    invalidFormat("readXls", "damaged cell");
                Value value;
                switch (v.type) {
                case FREEXL_CELL_INT:
                    value = Value(v.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    value = Value(v.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    value = Value(std::string(v.value.text_value ? v.value.text_value : ""));
                    if (value.text().empty())
                        value = Value();
                    break;
                default:
                    break;
                }
                if (!value.isEmpty())
                    sheet->at(static_cast<std::int32_t>(r + 1), static_cast<std::int32_t>(c + 1)).setValue(value);
            }
        }
        sheets.push_back(std::move(sheet));
    }
    restoreLogicalAndErrorCells(path, sheets);
    sheets.front()->selected = true;
    into.replaceSheets(std::move(sheets), 1);
    return version >= 8 ? FileType::Excel97 : FileType::Excel5;
}

} // namespace spreadsheet::detail
