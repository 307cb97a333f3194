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

bool looksLikeHtml(std::string_view bytes) noexcept
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    // What may stand before a page's first tag: blanks, an XML declaration
    // (XHTML) and comments (a browser's "saved from" note, say).
    for (;;) {
        const std::size_t start = bytes.find_first_not_of(" \t\r\n");
        if (start == std::string_view::npos)
            return false;
        bytes.remove_prefix(start);
        std::size_t end = std::string_view::npos;
        if (bytes.starts_with("<?xml")) {
            end = bytes.find("?>");
            if (end != std::string_view::npos)
                end += 2;
        } else if (bytes.starts_with("<!--")) {
            end = bytes.find("-->", 4);
            if (end != std::string_view::npos)
                end += 3;
        } else {
            break;
        }
        if (end == std::string_view::npos)
            return false;
        bytes.remove_prefix(end);
    }
    for (const std::string_view tag : {"<!doctype html", "<html", "<table"})
        if (platform::rt::startsWithNoCase(bytes, tag))
            return true;
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
