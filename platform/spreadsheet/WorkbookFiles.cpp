#include "platform/spreadsheet/WorkbookFiles.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "platform/errors/Error.h"
#include "platform/runtime/AsciiCase.h"
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace fs = std::filesystem;

namespace detail {

void invalidFormat(const char* source, std::string_view why)
{
    throw platform::Error(kInvalidFileFormat, source,
                          platform::StandardDescription(kInvalidFileFormat) + ": " + std::string(why));
}

namespace {

std::int32_t errnoToNumber(int e)
{
    switch (e) {
    case ENOSPC:
        return platform::err::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
        return platform::err::PermissionDenied;
    case ENOENT:
    case ENOTDIR:
        return platform::err::PathNotFound;
    default:
        return platform::err::PathFileAccess;
    }
}

void syncFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        throw platform::Error::runtime(errnoToNumber(errno), "writeFileAtomically");
    const int rc = ::fsync(fd);
    const int saved = errno;
    ::close(fd);
    if (rc != 0)
        throw platform::Error::runtime(errnoToNumber(saved), "writeFileAtomically");
}

} // namespace

void writeFileAtomically(const std::string& path, const std::function<void(const std::string& tempPath)>& produce)
{
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::random_device rd;
    const std::string temp =
        (folder / ("." + target.filename().string() + ".tmp" + std::to_string(rd() % 1000000))).string();
    try {
        produce(temp);
        syncFile(temp);
        std::error_code ec;
        fs::rename(temp, target, ec);
        if (ec)
            throw platform::Error::runtime(errnoToNumber(ec.value()), "writeFileAtomically");
    } catch (...) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw;
    }
}

} // namespace detail

namespace {

std::string readAll(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        throw platform::Error::runtime(fs::exists(path, ec) ? platform::err::PathFileAccess
                                                            : platform::err::FileNotFound,
                                       "readWorkbookFile");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw platform::Error::runtime(platform::err::PermissionDenied, "readWorkbookFile");
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad())
        throw platform::Error::runtime(platform::err::DeviceIO, "readWorkbookFile");
    return std::move(ss).str();
}

void writeStream(const std::string& path, const std::function<void(std::ostream&)>& write)
{
    detail::writeFileAtomically(path, [&](const std::string& temp) {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            throw platform::Error::runtime(platform::err::PathFileAccess, "writeWorkbookFile");
        write(out);
        out.flush();
        if (!out)
            throw platform::Error::runtime(platform::err::DiskFull, "writeWorkbookFile");
    });
}

} // namespace

std::string leftOutMessage(const std::vector<LeftOut>& leftOut)
{
    std::string text;
    const auto line = [&text](const std::string& sentence) {
        if (!text.empty())
            text += "\r\n";
        text += sentence;
    };
    for (const LeftOut& l : leftOut) {
        if (l.rows)
            line("Rows after 16,384 of sheet " + l.sheet + " were not loaded: a sheet holds 16,384 rows.");
        if (l.columns)
            line("Columns after 256 of sheet " + l.sheet + " were not loaded: a sheet holds 256 columns.");
    }
    return text;
}

namespace {

// A text's code units: its bytes, or its UTF-16 units in either byte order.
class CodeUnits {
public:
    CodeUnits(std::string_view bytes, std::size_t width, bool bigEndian) noexcept
        : m_bytes(bytes), m_width(width), m_bigEndian(bigEndian)
    {
    }

    [[nodiscard]] std::size_t size() const noexcept { return m_bytes.size() / m_width; }

    [[nodiscard]] unsigned operator[](std::size_t i) const noexcept
    {
        const auto byte = [this](std::size_t k) { return static_cast<unsigned char>(m_bytes[k]); };
        if (m_width == 1)
            return byte(i);
        const unsigned first = byte(2 * i);
        const unsigned second = byte(2 * i + 1);
        return m_bigEndian ? (first << 8) | second : (second << 8) | first;
    }

    // Whether the units from `at` on begin with the ASCII `prefix`, in any case.
    [[nodiscard]] bool startsWithNoCase(std::size_t at, std::string_view prefix) const noexcept
    {
        if (at > size() || size() - at < prefix.size())
            return false;
        for (std::size_t k = 0; k < prefix.size(); ++k) {
            const unsigned u = (*this)[at + k];
            if (u >= 0x80 || platform::rt::asciiLower(static_cast<char>(u)) != platform::rt::asciiLower(prefix[k]))
                return false;
        }
        return true;
    }

    // The first place from `at` on where the ASCII `text` stands; npos if none.
    [[nodiscard]] std::size_t find(std::string_view text, std::size_t at) const noexcept
    {
        for (; at < size(); ++at)
            if (startsWithNoCase(at, text))
                return at;
        return std::string_view::npos;
    }

private:
    std::string_view m_bytes;
    std::size_t m_width;
    bool m_bigEndian;
};

bool isBlank(unsigned u) noexcept
{
    return u == ' ' || u == '\t' || u == '\r' || u == '\n';
}

// The units of a page's bytes, past any byte-order mark. A UTF-16 page
// without its mark is known by its first character, a blank or '<', whose
// other byte is 0. A UTF-16 mark written out as UTF-8 characters ("ÿþ" or
// "þÿ", as some converters leave it) stands before a UTF-8 page.
CodeUnits unitsOf(std::string_view bytes) noexcept
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return {bytes.substr(3), 1, false};
    if (bytes.starts_with("\xC3\xBF\xC3\xBE") || bytes.starts_with("\xC3\xBE\xC3\xBF"))
        return {bytes.substr(4), 1, false};
    if (bytes.starts_with("\xFF\xFE"))
        return {bytes.substr(2), 2, false};
    if (bytes.starts_with("\xFE\xFF"))
        return {bytes.substr(2), 2, true};
    const auto opens = [](char c) { return c == '<' || isBlank(static_cast<unsigned char>(c)); };
    if (bytes.size() >= 2 && bytes[1] == '\0' && opens(bytes[0]))
        return {bytes, 2, false};
    if (bytes.size() >= 2 && bytes[0] == '\0' && opens(bytes[1]))
        return {bytes, 2, true};
    return {bytes, 1, false};
}

} // namespace

bool looksLikeHtml(std::string_view bytes) noexcept
{
    const CodeUnits text = unitsOf(bytes);
    // What may stand before a page's first tag: blanks, an XML declaration
    // (XHTML) and comments (a browser's "saved from" note, say).
    std::size_t at = 0;
    for (;;) {
        while (at < text.size() && isBlank(text[at]))
            ++at;
        if (at == text.size())
            return false;
        std::size_t end = std::string_view::npos;
        if (text.startsWithNoCase(at, "<?xml")) {
            end = text.find("?>", at + 5);
            if (end != std::string_view::npos)
                end += 2;
        } else if (text.startsWithNoCase(at, "<!--")) {
            end = text.find("-->", at + 4);
            if (end != std::string_view::npos)
                end += 3;
        } else {
            break;
        }
        if (end == std::string_view::npos)
            return false;  // a text whose first cell is "<!--x", say
        at = end;
    }
    if (text.startsWithNoCase(at, "<!doctype html"))
        return true;
    // A page may leave out <html> (and <head>, <body>); a table alone opens
    // with <table> or even <tr>. The tag's name ends at '>', '/' or a blank
    // (its attributes), so a cell such as "<b>" or "<trend>" is no page.
    if (text[at] != '<')
        return false;
    for (const std::string_view tag : {"html", "head", "body", "meta", "title", "table", "tr"}) {
        if (!text.startsWithNoCase(at + 1, tag))
            continue;
        const std::size_t after = at + 1 + tag.size();
        if (after == text.size() || text[after] == '>' || text[after] == '/' || isBlank(text[after]))
            return true;
    }
    return false;
}

FileType readWorkbookFile(const std::string& path, Workbook& into, std::vector<LeftOut>* leftOut)
{
    const std::string bytes = readAll(path);
    if (bytes.empty())
        detail::invalidFormat("readWorkbookFile", "the file is empty");
    if (detail::looksLikeCompoundFile(bytes))
        return detail::readXls(bytes, into, leftOut);
    if (detail::looksNative(bytes))
        return detail::readNative(bytes, into);
    if (looksLikeHtml(bytes))
        detail::invalidFormat("readWorkbookFile", "an HTML page");
    if (detail::looksLikeText(bytes)) {
        detail::readText(bytes, into, leftOut);
        return FileType::Text;
    }
    detail::invalidFormat("readWorkbookFile", "not a workbook");
}

// Each writer's description of what its types keep, in the order of the
// writers below.
FileKeeps fileKeeps(FileType type)
{
    switch (type) {
    case FileType::Excel5:
    case FileType::Excel97:
        return detail::xlsKeeps(type == FileType::Excel97);
    case FileType::Native:
    case FileType::Native6:
        return detail::nativeKeeps();
    case FileType::Html:
    case FileType::HtmlDataOnly:
        return detail::htmlKeeps(type == FileType::HtmlDataOnly);
    case FileType::Text:
    case FileType::TextValuesOnly:
        return detail::textKeeps(type == FileType::TextValuesOnly);
    case FileType::None:
    case FileType::Count:
        break;
    }
    return {};
}

void writeWorkbookFile(const std::string& path, const Workbook& book, FileType type)
{
    book.ensureCalculated();
    switch (type) {
    case FileType::Excel5:
    case FileType::Excel97:
        detail::writeFileAtomically(
            path, [&](const std::string& temp) { detail::writeXls(temp, book, type == FileType::Excel97); });
        return;
    case FileType::Native:
    case FileType::Native6:
        writeStream(path, [&](std::ostream& out) { detail::writeNative(out, book, type); });
        return;
    case FileType::Html:
    case FileType::HtmlDataOnly:
        writeStream(path, [&](std::ostream& out) { detail::writeHtml(out, book, type == FileType::HtmlDataOnly); });
        return;
    case FileType::Text:
    case FileType::TextValuesOnly:
        writeStream(path,
                    [&](std::ostream& out) { detail::writeText(out, book, type == FileType::TextValuesOnly); });
        return;
    case FileType::None:
    case FileType::Count:
        break;
    }
    throw platform::Error::runtime(platform::err::InvalidCall, "writeWorkbookFile");
}

} // namespace spreadsheet
