#include "platform/spreadsheet/XlsReader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/spreadsheet/BiffRecords.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/CodePage.h"
#include "platform/spreadsheet/FileFormats.h"

namespace spreadsheet::detail {

namespace {

[[noreturn]] void damaged(std::string_view why)
{
    invalidFormat("readXls", why);
}

unsigned byteAt(std::string_view s, std::size_t at) noexcept
{
    return static_cast<unsigned char>(s[at]);
}

unsigned le16(std::string_view s, std::size_t at) noexcept
{
    return byteAt(s, at) | (byteAt(s, at + 1) << 8);
}

struct RecordHead {
    unsigned id = 0;
    std::size_t body = 0;    // offset of the body in the stream
    std::size_t length = 0;  // length of the body
    [[nodiscard]] std::size_t next() const noexcept { return body + length; }
};

// The record at `at`, checked to lie whole before `end` (at <= end).
RecordHead headAt(std::string_view stream, std::size_t at, std::size_t end)
{
    if (end - at < 4)
        damaged("a record is cut short");
    const RecordHead head{le16(stream, at), at + 4, le16(stream, at + 2)};
    if (end - head.body < head.length)
        damaged("a record runs past the end of its stream");
    return head;
}

// Reads the body of one record front to back, going on into the CONTINUE
// records that follow it. Every read checks what is left first.
class RecordReader {
public:
    RecordReader(std::string_view stream, std::size_t end, const RecordHead& head)
        : m_stream(stream), m_end(end), m_piece(stream.substr(head.body, head.length)), m_next(head.next())
    {
    }

    [[nodiscard]] unsigned u8()
    {
        while (m_pos == m_piece.size()) {  // a CONTINUE record may be empty
            if (!nextPiece())
                damaged("a record is shorter than its contents");
        }
        return byteAt(m_piece, m_pos++);
    }
    [[nodiscard]] unsigned u16()
    {
        if (m_piece.size() - m_pos >= 2) {
            const unsigned v = le16(m_piece, m_pos);
            m_pos += 2;
            return v;
        }
        const unsigned lo = u8();
        return lo | (u8() << 8);
    }
    [[nodiscard]] std::uint32_t u32()
    {
        const std::uint32_t lo = u16();
        return lo | (static_cast<std::uint32_t>(u16()) << 16);
    }
    [[nodiscard]] double f64()
    {
        std::uint64_t bits = u32();
        bits |= static_cast<std::uint64_t>(u32()) << 32;
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    void skip(std::size_t n)
    {
        while (n > 0) {
            if (m_pos == m_piece.size() && !nextPiece())
                damaged("a record is shorter than its contents");
            const std::size_t k = std::min(n, m_piece.size() - m_pos);
            m_pos += k;
            n -= k;
        }
    }
    // True when the record and its CONTINUE records are used up.
    [[nodiscard]] bool atEnd()
    {
        while (m_pos == m_piece.size()) {
            if (!nextPiece())
                return true;
        }
        return false;
    }

    // `count` characters of a BIFF8 text, 16 bits wide or compressed to their
    // low 8 bits; a CONTINUE record in the middle starts with a new option
    // byte that says which.
    void chars(std::size_t count, bool wide, std::u16string& out)
    {
        out.reserve(out.size() + count);
        while (count > 0) {
            if (m_pos == m_piece.size()) {
                if (!nextPiece())
                    damaged("a text runs past the end of its record");
                wide = (u8() & 1) != 0;
                continue;
            }
            const std::size_t width = wide ? 2 : 1;
            const std::size_t available = (m_piece.size() - m_pos) / width;
            if (available == 0)
                damaged("a character is split between two records");
            const std::size_t k = std::min(count, available);
            for (std::size_t i = 0; i < k; ++i) {
                out += static_cast<char16_t>(wide ? le16(m_piece, m_pos) : byteAt(m_piece, m_pos));
                m_pos += width;
            }
            count -= k;
        }
    }

    // `count` bytes, across CONTINUE records without option bytes.
    [[nodiscard]] std::string bytes(std::size_t count)
    {
        std::string out;
        while (count > 0) {
            if (m_pos == m_piece.size() && !nextPiece())
                damaged("a text runs past the end of its record");
            const std::size_t k = std::min(count, m_piece.size() - m_pos);
            out.append(m_piece.substr(m_pos, k));
            m_pos += k;
            count -= k;
        }
        return out;
    }

private:
    bool nextPiece()
    {
        if (m_next >= m_end || m_end - m_next < 4 || le16(m_stream, m_next) != biff::kContinue)
            return false;
        const RecordHead head = headAt(m_stream, m_next, m_end);
        m_piece = m_stream.substr(head.body, head.length);
        m_pos = 0;
        m_next = head.next();
        return true;
    }

    std::string_view m_stream;
    std::size_t m_end;
    std::string_view m_piece;
    std::size_t m_pos = 0;
    std::size_t m_next;
};

// Value of an RK number: a 30-bit integer or the high 30 bits of a double,
// divided by 100 when its lowest bit says so.
double rkNumber(std::uint32_t rk) noexcept
{
    double d = 0;
    if (rk & 2u) {
        d = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&d, &bits, sizeof d);
    }
    return (rk & 1u) ? d / 100 : d;
}

struct SheetEntry {
    std::string name;
    std::size_t position = 0;  // of the sheet's BOF record in the stream
    bool worksheet = false;
};

class Parser {
public:
    explicit Parser(std::string_view stream) : m_stream(stream) {}

    BiffBook run()
    {
        const std::size_t globalsEnd = readGlobals();
        // Sheets lie one after the other behind the globals; each is read
        // only up to where the next begins, so that no byte is read twice and
        // a sheet list pointing into itself cannot multiply the work.
        std::vector<std::size_t> starts;
        for (const SheetEntry& e : m_sheets)
            starts.push_back(e.position);
        std::sort(starts.begin(), starts.end());
        if (std::adjacent_find(starts.begin(), starts.end()) != starts.end())
            damaged("two sheets share one place in the file");
        if (!starts.empty() && starts.front() < globalsEnd)
            damaged("a sheet lies inside the workbook globals");
        for (const SheetEntry& e : m_sheets) {
            if (!e.worksheet)
                continue;
            const auto after = std::upper_bound(starts.begin(), starts.end(), e.position);
            const std::size_t limit = after == starts.end() ? m_stream.size() : std::min(*after, m_stream.size());
            if (e.position >= limit)
                damaged("a sheet lies past the end of the file");
            BiffSheet sheet;
            sheet.data = std::make_unique<SheetData>();
            sheet.data->name =
                e.name.empty() ? "Sheet" + std::to_string(m_book.sheets.size() + 1) : e.name;
            if (readWorksheet(e.position, limit, sheet))
                m_book.sheets.push_back(std::move(sheet));
        }
        if (m_book.sheets.empty())
            damaged("the workbook has no worksheet");
        return std::move(m_book);
    }

private:
    // ---- texts ------------------------------------------------------------------

    std::string decode8(const std::string& bytes) const { return codePageToUtf8(bytes, m_book.codePage); }

    // A BIFF8 text after its character count: option byte, optional counts of
    // formatting runs and of extended data, the characters, then the runs and
    // the extended data, which are skipped.
    std::string unicodeBody(RecordReader& r, std::size_t count)
    {
        const unsigned flags = r.u8();
        const std::size_t runs = (flags & 0x08) ? r.u16() : 0;
        const std::size_t extended = (flags & 0x04) ? r.u32() : 0;
        std::u16string text;
        r.chars(count, (flags & 0x01) != 0, text);
        r.skip(runs * 4);
        r.skip(extended);
        return utf16ToUtf8(text);
    }

    // A text with a 16-bit character count (LABEL, RSTRING, STRING, FORMAT in BIFF8).
    std::string longText(RecordReader& r)
    {
        const std::size_t count = r.u16();
        return m_book.biff8 ? unicodeBody(r, count) : decode8(r.bytes(count));
    }

    // A text with an 8-bit character count (sheet names; FORMAT in BIFF5).
    std::string shortText(RecordReader& r)
    {
        const std::size_t count = r.u8();
        if (!m_book.biff8)
            return decode8(r.bytes(count));
        std::u16string text;
        r.chars(count, (r.u8() & 0x01) != 0, text);
        return utf16ToUtf8(text);
    }

    void readSst(RecordReader& r)
    {
        (void)r.u32();  // uses of the strings in the workbook
        const std::uint32_t unique = r.u32();
        m_sst.reserve(std::min<std::size_t>(unique, m_stream.size() / 3));
        for (std::uint32_t i = 0; i < unique; ++i) {
            // Some writers count more strings than they write: the table
            // ends where its records end.
            if (r.atEnd())
                break;
            const std::size_t count = r.u16();
            m_sst.push_back(unicodeBody(r, count));
        }
    }

    // ---- the globals ------------------------------------------------------------

    // Reads the workbook globals; returns where they end.
    std::size_t readGlobals()
    {
        const std::size_t end = m_stream.size();
        const RecordHead bof = headAt(m_stream, 0, end);
        if (bof.id != biff::kBof)
            damaged("the stream does not start with a workbook");
        {
            RecordReader r(m_stream, end, bof);
            const unsigned version = r.u16();
            const unsigned type = r.u16();
            if (version == biff::kBiff8)
                m_book.biff8 = true;
            else if (version != biff::kBiff5)
                damaged("the workbook is of an Excel version before 5.0 or unknown");
            if (type != biff::kGlobals)
                damaged("the stream does not start with the workbook globals");
        }
        if (m_book.biff8)
            m_book.codePage = 1200;
        std::size_t at = bof.next();
        for (;;) {
            if (at >= end)
                damaged("the workbook globals have no end");
            const RecordHead head = headAt(m_stream, at, end);
            RecordReader r(m_stream, end, head);
            switch (head.id) {
            case biff::kFilePass:
                damaged("the workbook is protected by a password");
            case biff::kCodePage:
                m_book.codePage = r.u16();
                break;
            case biff::kDateMode:
                m_book.date1904 = r.u16() == 1;
                break;
            case biff::kFormat: {
                const auto code = static_cast<std::uint16_t>(r.u16());
                m_book.numberFormats[code] = m_book.biff8 ? longText(r) : shortText(r);
                break;
            }
            case biff::kFont:
                m_book.fonts.push_back(readFont(r, head.length));
                break;
            case biff::kXf:
                m_book.xfs.push_back(readXf(r, head.length));
                break;
            case biff::kPalette:
                readPalette(r, head.length);
                break;
            case biff::kBoundSheet: {
                SheetEntry e;
                e.position = r.u32();
                (void)r.u8();  // visibility: hidden sheets are read too
                e.worksheet = r.u8() == 0;
                e.name = shortText(r);
                m_sheets.push_back(std::move(e));
                break;
            }
            case biff::kSst:
                readSst(r);
                break;
            case biff::kEof:
                return head.next();
            default:
                break;
            }
            at = head.next();
        }
    }

    // ---- formatting records ---------------------------------------------------
    // A record too short for its fields is skipped (a font keeps its place
    // in the list, so that the fonts after it keep their indices); the XF's
    // font and number format are required, as a cell's number depends on them.

    BiffFont readFont(RecordReader& r, std::size_t length)
    {
        BiffFont f;
        if (length < 15)
            return f;
        f.height = r.u16();
        f.italic = (r.u16() & 0x0002) != 0;
        f.colour = r.u16();
        f.weight = r.u16();
        r.skip(2);  // escapement
        f.underline = r.u8();
        r.skip(3);  // family, character set, reserved
        const std::size_t count = r.u8();
        if (!m_book.biff8) {
            if (count <= length - 15)
                f.name = decode8(r.bytes(count));
            return f;
        }
        if (length < 16)
            return f;
        const bool wide = (r.u8() & 0x01) != 0;
        if (count * (wide ? 2 : 1) <= length - 16) {
            std::u16string name;
            r.chars(count, wide, name);
            f.name = utf16ToUtf8(name);
        }
        return f;
    }

    BiffXf readXf(RecordReader& r, std::size_t length)
    {
        BiffXf x;
        x.font = r.u16();
        x.numberFormat = static_cast<std::uint16_t>(r.u16());
        if (length < (m_book.biff8 ? 20u : 16u))
            return x;
        x.locked = (r.u16() & 0x0001) != 0;
        if (m_book.biff8) {
            const unsigned align = r.u8();
            r.skip(3);  // rotation, indent, attributes used
            const std::uint32_t lines = r.u32();
            const std::uint32_t more = r.u32();
            const unsigned colours = r.u16();
            x.hAlign = align & 0x07;
            x.wrap = (align & 0x08) != 0;
            x.vAlign = (align >> 4) & 0x07;
            x.borderLeft = lines & 0x0F;
            x.borderRight = (lines >> 4) & 0x0F;
            x.borderTop = (lines >> 8) & 0x0F;
            x.borderBottom = (lines >> 12) & 0x0F;
            x.pattern = (more >> 26) & 0x3F;
            x.patternColour = colours & 0x7F;
            x.patternBackground = (colours >> 7) & 0x7F;
        } else {
            const unsigned align = r.u16();
            const std::uint32_t area = r.u32();
            const std::uint32_t lines = r.u32();
            x.hAlign = align & 0x07;
            x.wrap = (align & 0x08) != 0;
            x.vAlign = (align >> 4) & 0x07;
            x.patternColour = area & 0x7F;
            x.patternBackground = (area >> 7) & 0x7F;
            x.pattern = (area >> 16) & 0x3F;
            x.borderBottom = (area >> 22) & 0x07;
            x.borderTop = lines & 0x07;
            x.borderLeft = (lines >> 3) & 0x07;
            x.borderRight = (lines >> 6) & 0x07;
        }
        return x;
    }

    // The colours of indices 8 and up; a palette longer than the 56 the
    // format has keeps its first 56.
    void readPalette(RecordReader& r, std::size_t length)
    {
        if (length < 2)
            return;
        const std::size_t count = std::min<std::size_t>({r.u16(), 56, (length - 2) / 4});
        m_book.palette.clear();
        for (std::size_t i = 0; i < count; ++i) {
            const Rgb red = r.u8();
            const Rgb green = r.u8();
            const Rgb blue = r.u8();
            (void)r.u8();
            m_book.palette.push_back((red << 16) | (green << 8) | blue);
        }
    }

    // ---- worksheets -----------------------------------------------------------

    // Keeps the XF of a cell inside the sheet unless it is the default cell
    // XF (or looks exactly like it); XFs the file does not have are ignored.
    void noteXf(BiffSheet& sheet, unsigned row, unsigned col, unsigned xf)
    {
        const auto& xfs = m_book.xfs;
        if (xf >= xfs.size() || (xfs.size() > biff::kDefaultCellXf && xfs[xf] == xfs[biff::kDefaultCellXf]))
            return;
        sheet.cells.push_back(
            {static_cast<std::int32_t>(row + 1), static_cast<std::int32_t>(col + 1), static_cast<std::uint16_t>(xf)});
    }

    static void noteLeftOut(BiffSheet& sheet, unsigned row, unsigned col) noexcept
    {
        sheet.rowsLeftOut = sheet.rowsLeftOut || row >= static_cast<unsigned>(kMaxRows);
        sheet.columnsLeftOut = sheet.columnsLeftOut || col >= static_cast<unsigned>(kMaxCols);
    }

    static bool insideSheet(unsigned row, unsigned col) noexcept
    {
        return row < static_cast<unsigned>(kMaxRows) && col < static_cast<unsigned>(kMaxCols);
    }

    // A value outside the sheet is left out and noted.
    void setCell(BiffSheet& sheet, unsigned row, unsigned col, unsigned xf, const Value& v)
    {
        if (!insideSheet(row, col)) {
            noteLeftOut(sheet, row, col);
            return;
        }
        noteXf(sheet, row, col, xf);
        if (v.isEmpty() || (v.isText() && v.text().empty()))
            return;
        sheet.data->at(static_cast<std::int32_t>(row + 1), static_cast<std::int32_t>(col + 1)).setValue(v);
    }

    struct CellHead {
        unsigned row = 0;
        unsigned col = 0;
        unsigned xf = 0;
    };
    static CellHead cellHead(RecordReader& r)
    {
        CellHead h;
        h.row = r.u16();
        h.col = r.u16();
        h.xf = r.u16();
        return h;
    }

    // Reads the worksheet whose BOF record is at `at`, up to `limit`. False
    // when the substream is not a worksheet after all (a dialog or macro sheet).
    bool readWorksheet(std::size_t at, std::size_t limit, BiffSheet& sheet)
    {
        const RecordHead bof = headAt(m_stream, at, limit);
        if (bof.id != biff::kBof)
            damaged("a sheet does not start where the sheet list says");
        {
            RecordReader r(m_stream, limit, bof);
            (void)r.u16();
            if (r.u16() != biff::kWorksheet)
                return false;
        }
        CellHead stringResult;             // a formula whose text comes in the next STRING record
        bool awaitingString = false;
        int depth = 1;                          // charts inside the sheet bring their own BOF and EOF
        at = bof.next();
        for (;;) {
            if (at >= limit)
                damaged("a worksheet has no end");
            const RecordHead head = headAt(m_stream, at, limit);
            at = head.next();
            if (head.id == biff::kBof) {
                ++depth;
                continue;
            }
            if (head.id == biff::kEof) {
                if (--depth == 0)
                    return true;
                continue;
            }
            if (depth > 1)
                continue;
            RecordReader r(m_stream, limit, head);
            switch (head.id) {
            case biff::kNumber: {
                const CellHead c = cellHead(r);
                setCell(sheet, c.row, c.col, c.xf, Value(r.f64()));
                break;
            }
            case biff::kRk: {
                const CellHead c = cellHead(r);
                setCell(sheet, c.row, c.col, c.xf, Value(rkNumber(r.u32())));
                break;
            }
            case biff::kMulRk: {
                if (head.length < 6 || (head.length - 6) % 6 != 0)
                    damaged("a record of several numbers has a wrong length");
                const unsigned row = r.u16();
                const unsigned first = r.u16();
                const std::size_t count = (head.length - 6) / 6;
                for (std::size_t i = 0; i < count; ++i) {
                    const unsigned xf = r.u16();
                    setCell(sheet, row, first + static_cast<unsigned>(i), xf, Value(rkNumber(r.u32())));
                }
                break;
            }
            case biff::kBoolErr: {
                const CellHead c = cellHead(r);
                const unsigned value = r.u8();
                const bool isError = r.u8() != 0;
                setCell(sheet, c.row, c.col, c.xf,
                        isError ? Value::error(biff::cellError(value)) : Value::logical(value != 0));
                break;
            }
            case biff::kLabel:
            case biff::kRString: {
                const CellHead c = cellHead(r);
                setCell(sheet, c.row, c.col, c.xf, Value(longText(r)));
                break;
            }
            case biff::kLabelSst: {
                const CellHead c = cellHead(r);
                const std::uint32_t index = r.u32();
                if (index >= m_sst.size())
                    damaged("a cell names a shared text that does not exist");
                setCell(sheet, c.row, c.col, c.xf, Value(m_sst[index]));
                break;
            }
            case biff::kFormula: {
                const CellHead c = cellHead(r);
                std::array<unsigned, 8> result{};
                for (unsigned& b : result)
                    b = r.u8();
                awaitingString = false;
                if (result[6] != 0xFF || result[7] != 0xFF) {
                    std::uint64_t bits = 0;
                    for (std::size_t i = 0; i < 8; ++i)
                        bits |= static_cast<std::uint64_t>(result[i]) << (8 * i);
                    double d = 0;
                    std::memcpy(&d, &bits, sizeof d);
                    setCell(sheet, c.row, c.col, c.xf, Value(d));
                } else if (result[0] == 0) {
                    setCell(sheet, c.row, c.col, c.xf, Value());  // checks the place
                    stringResult = c;
                    awaitingString = true;
                } else if (result[0] == 1) {
                    setCell(sheet, c.row, c.col, c.xf, Value::logical(result[2] != 0));
                } else if (result[0] == 2) {
                    setCell(sheet, c.row, c.col, c.xf, Value::error(biff::cellError(result[2])));
                }
                break;
            }
            case biff::kString:
                if (awaitingString) {
                    setCell(sheet, stringResult.row, stringResult.col, stringResult.xf, Value(longText(r)));
                    awaitingString = false;
                }
                break;
            // A blank cell brings only its format; one outside the sheet or
            // in a record of the wrong length is skipped, as blanks always were.
            case biff::kBlank:
                if (head.length >= 6) {
                    const CellHead c = cellHead(r);
                    if (insideSheet(c.row, c.col))
                        noteXf(sheet, c.row, c.col, c.xf);
                }
                break;
            case biff::kMulBlank:
                if (head.length >= 6 && head.length % 2 == 0) {
                    const unsigned row = r.u16();
                    const unsigned first = r.u16();
                    const std::size_t count = (head.length - 6) / 2;
                    for (std::size_t i = 0; i < count; ++i) {
                        const unsigned xf = r.u16();
                        const unsigned col = first + static_cast<unsigned>(i);
                        if (insideSheet(row, col))
                            noteXf(sheet, row, col, xf);
                    }
                }
                break;
            case biff::kDefColWidth:
                if (head.length >= 2)
                    sheet.defColWidth = r.u16();
                break;
            case biff::kStandardWidth:
                if (head.length >= 2)
                    sheet.standardWidth = r.u16();
                break;
            case biff::kDefaultRowHeight:
                if (head.length >= 4) {
                    r.skip(2);  // flags
                    sheet.defaultRowHeight = r.u16();
                }
                break;
            case biff::kColInfo:
                if (head.length >= 10) {
                    BiffColumns c;
                    c.first = r.u16();
                    c.last = r.u16();
                    c.width = r.u16();
                    r.skip(2);  // the columns' XF
                    c.flags = r.u16();
                    sheet.columns.push_back(c);
                }
                break;
            case biff::kRow:
                if (head.length >= 16) {
                    BiffRow row;
                    row.row = r.u16();
                    r.skip(4);  // first and last column
                    row.height = r.u16();
                    r.skip(4);
                    row.flags = r.u16();
                    sheet.rows.push_back(row);
                }
                break;
            default:
                break;  // everything that is neither a value nor a format
            }
        }
    }

    std::string_view m_stream;
    BiffBook m_book;
    std::vector<SheetEntry> m_sheets;
    std::vector<std::string> m_sst;
};

} // namespace

BiffBook parseBiffStream(std::string_view stream)
{
    return Parser(stream).run();
}

} // namespace spreadsheet::detail
