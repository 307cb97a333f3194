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
#include "platform/spreadsheet/FileFormats.h"
#include "platform/spreadsheet/PageSetup.h"
#include "platform/spreadsheet/SheetFormat.h"
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

// "1 drawing object", "3 drawing objects".
std::string counted(std::size_t n, const std::string& one)
{
    return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
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

// What of the content the save would lose, each part counted or named.
std::string contentSentence(const Workbook& book, FileType type, const UnkeptContent& lost)
{
    std::vector<std::string> parts;
    if (lost.objects > 0)
        parts.push_back(counted(lost.objects, "drawing object"));
    if (lost.names > 0)
        parts.push_back(counted(lost.names, "defined name"));
    if (lost.pageBreaks > 0)
        parts.push_back(counted(lost.pageBreaks, "manual page break"));
    if (lost.pageSetups.size() == 1)
        parts.push_back("the page setup of sheet " + book.SheetName(lost.pageSetups.front()));
    else if (!lost.pageSetups.empty())
        parts.push_back("the page setups of " + std::to_string(lost.pageSetups.size()) + " sheets");
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
        parts.push_back("the workbook options (" + listed(changed) + ")");
    }
    return std::string(fileTypeName(type)) +
           " keeps no drawing objects, defined names, manual page breaks, page setups or workbook options: this "
           "workbook would lose " +
           listed(parts) + ". " + std::string(fileTypeName(FileType::Native)) + " keeps them.";
}

} // namespace

UnkeptContent unkeptContent(const Workbook& book, FileType type)
{
    UnkeptContent lost;
    if (type == FileType::Native || type == FileType::Native6)
        return lost;
    for (std::int32_t s = 1; s <= book.NumSheets(); ++s) {
        lost.objects += book.objects(s).size();
        const SheetFormat& format = book.sheetFormat(s);
        lost.pageBreaks += format.rowBreaks().size() + format.colBreaks().size();
        if (book.pageSetup(s) != PageSetup())
            lost.pageSetups.push_back(s);
    }
    lost.names = book.definedNames().size();
    lost.options = book.options() != WorkbookOptions();
    return lost;
}

std::optional<std::string> unkeptQuestion(const Workbook& book, FileType type)
{
    const std::optional<UnkeptText> text = firstUnkeptText(book, type);
    const UnkeptContent content = unkeptContent(book, type);
    if (!text && content.isEmpty())
        return std::nullopt;
    std::string question;
    if (text)
        question = detail::unkeptTextSentence(book, type, *text);
    if (!content.isEmpty()) {
        if (!question.empty())
            question += "\r\n";
        question += contentSentence(book, type, content);
    }
    return question + "\r\n\r\nSave in " + std::string(fileTypeName(type)) + " anyway?";
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
    if (detail::looksLikeText(bytes)) {
        detail::readText(bytes, into, leftOut);
        return FileType::Text;
    }
    detail::invalidFormat("readWorkbookFile", "not a workbook");
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
