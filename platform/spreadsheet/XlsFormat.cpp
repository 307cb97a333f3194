// .xls workbooks in a compound (OLE2) file through libgsf: the workbook
// stream is taken out and read by XlsReader, or built here from our own
// BIFF5 and BIFF8 records and put in.
//
// The writer puts out the smallest complete workbook the BIFF format allows:
// the globals (BOF, CODEPAGE, WINDOW1, DATEMODE, the fonts, number formats,
// XFs, STYLE and PALETTE of XlsStyles, one BOUNDSHEET per sheet, in BIFF8 the
// shared-string table SST with its CONTINUE records, EOF), then per sheet
// BOF, column widths, DIMENSIONS, ROWs, WINDOW2, the cells (NUMBER, LABELSST
// in BIFF8 or LABEL in BIFF5, BOOLERR, BLANK and MULBLANK for formatted empty
// cells) and EOF.
// Formulas are written as their current results. BIFF5 texts are written in
// Windows-1252; characters it lacks become "?", and a cell keeps at most
// 2,072 characters; a BIFF8 cell keeps at most 32,767. xlsKeeps describes
// what the file keeps; the question before a save is built from it.

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/errors/Error.h"
#include "platform/spreadsheet/BiffRecords.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/CodePage.h"
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/SheetData.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"
#include "platform/spreadsheet/XlsReader.h"
#include "platform/spreadsheet/XlsStyles.h"

namespace spreadsheet::detail {

namespace {

// The longest texts the records hold: a BIFF5 LABEL of at most 2,080 bytes
// with its 8 bytes of cell and length, a BIFF8 string of 32,767 characters
// (UTF-16 units), and a sheet name of 255.
constexpr std::size_t kBiff5MaxText = 2080 - 8;
constexpr std::size_t kBiff8MaxText = 32767;
constexpr std::size_t kMaxSheetName = 255;

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

std::string toCp1252(std::string_view utf8, std::size_t maxBytes)
{
    std::string out;
    for (char16_t u : utf8ToUtf16(utf8)) {
        if (u >= 0xDC00 && u <= 0xDFFF)
            continue;  // second half of a pair: the first gave "?"
        if (out.size() >= maxBytes)
            break;
        out += utf16ToCp1252(u);
    }
    return out;
}

// A BIFF8 short string: 8-bit length, option byte (1 = 16-bit characters), characters.
void shortString8(Bytes& b, std::string_view utf8)
{
    std::u16string u = utf8ToUtf16(utf8);
    if (u.size() > kMaxSheetName)
        u.resize(kMaxSheetName);
    b.u8(static_cast<unsigned>(u.size()));
    b.u8(1);
    for (char16_t c : u)
        b.u16(c);
}

void shortString5(Bytes& b, std::string_view utf8)
{
    const std::string s = toCp1252(utf8, kMaxSheetName);
    b.u8(static_cast<unsigned>(s.size()));
    b.raw(s);
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
        constexpr std::size_t kMax = biff::kMaxBody;
        std::vector<Bytes> records(1);
        records[0].u32(m_total);
        records[0].u32(static_cast<std::uint32_t>(m_strings.size()));
        for (const std::string* s : m_strings) {
            std::u16string u = utf8ToUtf16(*s);
            if (u.size() > kBiff8MaxText)
                u.resize(kBiff8MaxText);
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
        record(stream, biff::kSst, records[0]);
        for (std::size_t i = 1; i < records.size(); ++i)
            record(stream, biff::kContinue, records[i]);
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
        b.u16(biff::kBiff8);
        b.u16(type);
        b.u16(0x0DBB);
        b.u16(0x07CC);
        b.u32(0);
        b.u32(6);
    } else {
        b.u16(biff::kBiff5);
        b.u16(type);
        b.u16(0x0DBB);
        b.u16(0x07CC);
    }
    record(stream, biff::kBof, b);
}

void eof(std::string& stream)
{
    record(stream, biff::kEof, Bytes());
}

std::string sheetStream(const SheetData& sheet, bool biff8, bool activeTab, StringTable& sst, const XlsStyles& styles,
                        std::int32_t index)
{
    std::string s;
    bof(s, biff8, biff::kWorksheet);
    styles.writeColumns(s, sheet.format);
    // The used range takes in the formatted empty cells past the values.
    std::int32_t rows = sheet.lastUsedRow();
    std::int32_t cols = sheet.lastUsedCol();
    for (std::int32_t r = 1; r <= sheet.format.lastFormattedRow(); ++r) {
        for (const SheetFormat::Run& run : sheet.format.runs(r)) {
            if (styles.xf(index, run.style) != XlsStyles::kPlainXf) {
                rows = std::max(rows, r);
                cols = std::max(cols, run.lastCol);
            }
        }
    }
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
    record(s, biff::kDimensions, dim);
    styles.writeRows(s, sheet.format);
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
    record(s, biff::kWindow2, w2);

    const std::size_t lastRow = std::max(sheet.rows.size(), static_cast<std::size_t>(sheet.format.lastFormattedRow()));
    for (std::size_t r = 0; r < lastRow; ++r) {
        static const std::vector<Cell> kNoCells;
        const auto& row = r < sheet.rows.size() ? sheet.rows[r] : kNoCells;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const unsigned xf = styles.xf(index, sheet.format.styleAt(static_cast<std::int32_t>(r + 1),
                                                                      static_cast<std::int32_t>(c + 1)));
            if (row[c].isEmpty() && xf == XlsStyles::kPlainXf)
                continue;
            const Value v = row[c].value();
            Bytes b;
            b.u16(static_cast<unsigned>(r));
            b.u16(static_cast<unsigned>(c));
            b.u16(xf);
            switch (v.kind()) {
            case ValueKind::Empty:
                if (xf != XlsStyles::kPlainXf)
                    record(s, biff::kBlank, b);  // a formatted empty cell
                continue;
            case ValueKind::Number:
                b.f64(v.number());
                record(s, biff::kNumber, b);
                break;
            case ValueKind::Text:
                if (biff8) {
                    b.u32(sst.add(v.text()));
                    record(s, biff::kLabelSst, b);
                } else {
                    const std::string t = toCp1252(v.text(), kBiff5MaxText);
                    b.u16(static_cast<unsigned>(t.size()));
                    b.raw(t);
                    record(s, biff::kLabel, b);
                }
                break;
            case ValueKind::Logical:
                b.u8(v.logicalValue() ? 1 : 0);
                b.u8(0);
                record(s, biff::kBoolErr, b);
                break;
            case ValueKind::Error:
                b.u8(biff::errorCode(v.errorCode()));
                b.u8(1);
                record(s, biff::kBoolErr, b);
                break;
            }
        }
        // Formatted empty cells past the row's last value: one MULBLANK
        // (BLANK for a single cell) per run of one format.
        const auto valued = static_cast<std::int32_t>(row.size());
        for (const SheetFormat::Run& run : sheet.format.runs(static_cast<std::int32_t>(r + 1))) {
            const std::int32_t first = std::max(run.firstCol, valued + 1);
            const unsigned xf = styles.xf(index, run.style);
            if (first > run.lastCol || xf == XlsStyles::kPlainXf)
                continue;
            Bytes b;
            b.u16(static_cast<unsigned>(r));
            b.u16(static_cast<unsigned>(first - 1));
            b.u16(xf);
            if (first == run.lastCol) {
                record(s, biff::kBlank, b);
                continue;
            }
            for (std::int32_t c = first + 1; c <= run.lastCol; ++c)
                b.u16(xf);
            b.u16(static_cast<unsigned>(run.lastCol - 1));
            record(s, biff::kMulBlank, b);
        }
    }
    eof(s);
    return s;
}

// ---- the container -------------------------------------------------------------

template <typename T>
struct GObjectUnref {
    void operator()(T* p) const noexcept
    {
        if (p)
            g_object_unref(p);
    }
};

void ensureGsf()
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

} // namespace

// "Workbook" (BIFF8) goes before "Book" (BIFF5), as a file may carry both.
std::string xlsWorkbookStream(std::string_view file)
{
    ensureGsf();
    std::unique_ptr<GsfInput, GObjectUnref<GsfInput>> input(gsf_input_memory_new(
        reinterpret_cast<const guint8*>(file.data()), static_cast<gsf_off_t>(file.size()), FALSE));
    if (!input)
        invalidFormat("readXls", "not a compound file");
    GError* error = nullptr;
    std::unique_ptr<GsfInfile, GObjectUnref<GsfInfile>> ole(gsf_infile_msole_new(input.get(), &error));
    if (error)
        g_error_free(error);
    if (!ole)
        invalidFormat("readXls", "a damaged compound file");
    for (const char* name : {"Workbook", "WORKBOOK", "Book", "BOOK"}) {
        std::unique_ptr<GsfInput, GObjectUnref<GsfInput>> stream(gsf_infile_child_by_name(ole.get(), name));
        if (!stream)
            continue;
        const gsf_off_t size = gsf_input_size(stream.get());
        if (size <= 0 || size > static_cast<gsf_off_t>(file.size()))
            invalidFormat("readXls", "a damaged workbook stream");
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (!gsf_input_read(stream.get(), bytes.size(), reinterpret_cast<guint8*>(bytes.data())))
            invalidFormat("readXls", "a damaged workbook stream");
        return bytes;
    }
    invalidFormat("readXls", "a compound file without a workbook");
}

std::string buildBiffStream(const Workbook& book, bool biff8)
{
    book.ensureCalculated();
    StringTable sst;
    const XlsStyles styles(book, biff8);
    std::vector<std::string> sheets;
    for (std::int32_t i = 1; i <= book.NumSheets(); ++i)
        sheets.push_back(sheetStream(book.sheetData(i), biff8, i == book.Sheet(), sst, styles, i));

    // The globals, with the sheet positions patched in once their size is known.
    std::string g;
    bof(g, biff8, biff::kGlobals);
    Bytes cp;
    cp.u16(biff8 ? 1200 : 1252);
    record(g, biff::kCodePage, cp);
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
    record(g, biff::kWindow1, w1);
    Bytes dm;
    dm.u16(0);
    record(g, biff::kDateMode, dm);
    styles.writeGlobals(g);
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
        record(g, biff::kBoundSheet, bs);
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
    writeXlsStream(path, buildBiffStream(book, biff8), biff8);
}

void writeXlsStream(const std::string& path, std::string_view stream, bool biff8)
{
    ensureGsf();
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

namespace {

constexpr std::string_view kCompoundSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

} // namespace

bool looksLikeCompoundFile(std::string_view bytes) noexcept
{
    return bytes.starts_with(kCompoundSignature);
}

bool isCutCompoundSignature(std::string_view bytes) noexcept
{
    return !bytes.empty() && bytes.size() < kCompoundSignature.size() && kCompoundSignature.starts_with(bytes);
}

FileType readXls(std::string_view file, Workbook& into, std::vector<LeftOut>* leftOut)
{
    BiffBook book = parseBiffStream(xlsWorkbookStream(file));
    std::vector<std::unique_ptr<SheetData>> sheets;
    sheets.reserve(book.sheets.size());
    const std::vector<CellFormat> looks = xfLooks(book);
    for (BiffSheet& sheet : book.sheets) {
        if (leftOut && (sheet.rowsLeftOut || sheet.columnsLeftOut))
            leftOut->push_back({sheet.data->name, sheet.rowsLeftOut, sheet.columnsLeftOut});
        applyFormats(looks, sheet, *sheet.data);
        sheets.push_back(std::move(sheet.data));
    }
    sheets.front()->selected = true;
    into.replaceSheets(std::move(sheets), 1);
    return book.biff8 ? FileType::Excel97 : FileType::Excel5;
}

// .xls keeps every sheet, the formats and hidden lines, and each value:
// formulas as their results; BIFF5 texts in Windows-1252. Objects, names,
// page setups and breaks, panes, protection and print ranges are not
// written.
FileKeeps xlsKeeps(bool biff8)
{
    return {.everySheet = true,
            .numbersInFull = true,
            .formats = true,
            .lineBreaks = true,
            .everyCharacter = biff8,
            .textLength = biff8 ? kBiff8MaxText : kBiff5MaxText};
}

} // namespace spreadsheet::detail
