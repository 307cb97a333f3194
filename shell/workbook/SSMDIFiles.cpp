#include "shell/workbook/SSMDIFiles.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/dialogs/CommonDialog.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/runtime/AsciiCase.h"
#include "platform/runtime/Convert.h"
#include "platform/runtime/FileNumbers.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/NativeFormat.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"
#include "shell/core/FileUtil.h"
#include "shell/core/IniQuorin.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/StrUtil.h"
#include "shell/workbook/WorkbookHost.h"
#include "shell/core/mQuorin.h"

namespace SSMDI1 {

namespace {

using spreadsheet::FileType;
using spreadsheet::Value;
using spreadsheet::ValueTable;
using spreadsheet::Workbook;

// How many leading bytes decide between plain text and a workbook file.
constexpr std::int32_t kAsciiHeadLength = 500;

void message(const std::string& text, std::string_view title = shell::ProgramInfo::Title)
{
    (void)platform::dialogs().MsgBox(text, platform::mb::OkOnly, title);
}

// Fields of one line: every tab or comma ends a field; runs of blanks
// separate fields and blanks at the ends give none.
std::vector<std::string> splitLine(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    if (separator == ' ') {
        int count = 0;
        StrUtil::SplitMultiDelim(line, count, fields, " ");
        fields.resize(static_cast<std::size_t>(count));
        return fields;
    }
    if (line.empty()) {
        return fields;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            return fields;
        }
        start = end + 1;
    }
}

// An empty workbook no one has touched: a file may go into it.
bool isPristine(const Workbook& book)
{
    if (!book.isNeverSaved() || book.isChanged()) {
        return false;
    }
    for (std::int32_t s = 1; s <= book.NumSheets(); ++s) {
        if (book.lastUsedRow(s) != 0) {
            return false;
        }
    }
    return true;
}

std::int32_t fileTypeOfTag(const std::string& tag)
{
    const double v = platform::rt::Val(tag);
    return v >= 0 && v < 1e9 ? static_cast<std::int32_t>(v) : 0;
}

// The text file at `path`, already read, into a document window. Throws on
// any failure with no workbook changed and no window left behind. What did
// not fit the sheet is noted in `leftOut`.
void loadText(shell::WorkbookHost& host, std::string text, std::vector<spreadsheet::LeftOut>& leftOut)
{
    ValueTable fields;
    std::int32_t lines = 0;
    std::int32_t width = 0;
    spreadsheet::LeftOut cut;
    SplitDelimText(std::move(text), fields, lines, width, &cut);
    const ValueTable cells = TextFieldsAsCells(fields);
    const auto note = [&](const Workbook& book) {
        if (cut.rows || cut.columns) {
            cut.sheet = book.SheetName(1);
            leftOut.push_back(cut);
        }
    };
    Workbook* active = host.activeWorkbook();
    if (active != nullptr && isPristine(*active)) {
        if (lines > 0 && width > 0) {
            active->CopyDataFromArray(1, 1, 1, lines, width, true, cells);
        }
        active->setSheet(1);
        active->setChanged(false);
        note(*active);
        return;
    }
    Workbook& book = host.loadWorkbook();
    try {
        if (lines > 0 && width > 0) {
            book.CopyDataFromArray(1, 1, 1, lines, width, true, cells);
        }
        book.setChanged(false);
        host.showWorkbook(book);
        note(book);
    } catch (...) {
        host.discardWorkbook(book);
        throw;
    }
}

void loadWorkbookFile(shell::WorkbookHost& host, const std::string& path, std::vector<spreadsheet::LeftOut>& leftOut)
{
    Workbook& book = host.loadWorkbook();
    try {
        const std::int32_t type = book.Read(path, leftOut);
        book.setTableName(path);
        host.setCaption(book, path);
        host.showWorkbook(book);
        book.setTag(std::to_string(type));
    } catch (...) {
        host.discardWorkbook(book);
        throw;
    }
}

// What a save in a type does with what the workbook holds.
enum class SaveKeeps {
    Everything,  // the file holds the whole book
    Part,        // the user agreed to lose what the question named
    Cancelled,   // the user declined: nothing is to be written
};

// Before a save in a type that would not keep everything the workbook holds
// (as the type's writer describes what it keeps) the user is told all that
// would be lost, in one question.
SaveKeeps askBeforeUnkept(const Workbook& book, std::int32_t type)
{
    if (!spreadsheet::isValidFileType(type)) {
        return SaveKeeps::Everything;
    }
    const auto question = spreadsheet::unkeptQuestion(book, static_cast<FileType>(type));
    if (!question) {
        return SaveKeeps::Everything;
    }
    return platform::dialogs().MsgBox(*question, platform::mb::YesNo + platform::mb::Exclamation,
                                      shell::ProgramInfo::Title) == platform::Answer::Yes
               ? SaveKeeps::Part
               : SaveKeeps::Cancelled;
}

// The write clears the changed flag; a file that holds only part of the book
// leaves it set, so that closing still asks to save what no file holds.
void noteWhatTheFileKeeps(Workbook& book, SaveKeeps keeps)
{
    if (keeps == SaveKeeps::Part) {
        book.setChanged(true);
    }
}

// Whether a file name's extension (any case) is one that files of `type` bear.
bool bearsExtensionOf(std::string_view extension, FileType type)
{
    const std::string_view other = spreadsheet::fileTypeOtherExtension(type);
    return platform::rt::equalsNoCase(extension, spreadsheet::fileTypeExtension(type)) ||
           (!other.empty() && platform::rt::equalsNoCase(extension, other));
}

// The type a save to `path` writes: the chosen one, unless the file name
// ends in the extension of other types of the list and not in the chosen
// one's; then the type with that extension that keeps the most, so that no
// file bears the extension of a format it is not in. For .xls that is
// Excel 97/2000, which keeps every character and long texts; Excel 5/95 is
// written when it is chosen. A page bears .htm or .html.
std::int32_t typeForName(const std::string& path, std::int32_t chosen)
{
    const std::string name = std::filesystem::path(path).filename().string();
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) {
        return chosen;
    }
    const std::string_view extension = std::string_view(name).substr(dot + 1);
    if (bearsExtensionOf(extension, static_cast<FileType>(chosen))) {
        return chosen;
    }
    // Each extension's types, the one keeping the most first.
    constexpr FileType byWhatTheyKeep[] = {FileType::Native,       FileType::Native6, FileType::Excel97,
                                           FileType::Excel5,       FileType::Html,    FileType::HtmlDataOnly,
                                           FileType::Text,         FileType::TextValuesOnly};
    static_assert(std::size(byWhatTheyKeep) == static_cast<std::size_t>(FileType::Count) - 1,
                  "every type of the save list is ranked");
    for (const FileType candidate : byWhatTheyKeep) {
        if (bearsExtensionOf(extension, candidate)) {
            return static_cast<std::int32_t>(candidate);
        }
    }
    return chosen;
}

// A save to a file that another document window holds is refused, naming
// that window: writing it would leave two windows bearing one file, each
// overwriting the other's work. True (and told) when refused.
bool heldByAnotherWindow(shell::WorkbookHost& host, const Workbook& book, const std::string& path)
{
    const Workbook* holder = host.workbookOfFile(path);
    if (holder == nullptr || holder == &book) {
        return false;
    }
    message("Unable to write " + path + ": the window " + host.caption(*holder) +
            " holds that file. Close that window first, or save under another name.");
    return true;
}

// The file into a document window (or the window holding it already to the
// front), then the recent-file list, the status bar and the menus follow.
bool openIntoWindow(shell::WorkbookHost& host, shell::IniQuorin& ini, shell::RecentFileMenu& menu,
                    const std::string& path, bool switchMenus)
{
    if (Workbook* open = host.workbookOfFile(path)) {
        host.showWorkbook(*open);
    } else {
        std::string p = path;
        if (!SSMDIOpenFile(host, p)) {
            return false;
        }
        if (Workbook* book = host.activeWorkbook(); book && book->isNeverSaved()) {
            host.setTextFileOf(*book, path);
        }
    }
    ini.AddMenu(menu, path);
    host.setStatusText("File: " + path);
    if (Workbook* book = host.activeWorkbook()) {
        host.applyFormulaBar(*book);
    }
    if (switchMenus) {
        host.showAnalysisMenus();
    }
    return true;
}

} // namespace

std::string SaveFilter()
{
    static_assert(static_cast<int>(FileType::Count) == 9, "one filter entry per writable type, in code order");
    std::string filter;
    for (std::int32_t code = 1; code < static_cast<std::int32_t>(FileType::Count); ++code) {
        const std::string extension(spreadsheet::fileTypeExtension(static_cast<FileType>(code)));
        if (!filter.empty()) {
            filter += '|';
        }
        filter += std::string(spreadsheet::fileTypeName(static_cast<FileType>(code))) + " (*." + extension + ")|*." +
                  extension;
    }
    return filter;
}

// ---- delimited text -------------------------------------------------------------

void SplitDelimText(std::string text, ValueTable& table, std::int32_t& lines, std::int32_t& fields,
                    spreadsheet::LeftOut* leftOut)
{
    spreadsheet::LeftOut cut;
    const char separator = text.find('\t') != std::string::npos   ? '\t'
                           : text.find(',') != std::string::npos ? ','
                                                                 : ' ';
    const std::string lineBreak = StrUtil::UnifyLineBreak(text);
    std::string_view rest = text;
    // Empty lines at the end give no rows: they are the line breaks at the end.
    if (!lineBreak.empty()) {
        while (rest.size() >= lineBreak.size() && rest.substr(rest.size() - lineBreak.size()) == lineBreak) {
            rest.remove_suffix(lineBreak.size());
        }
    }
    // What a sheet cannot hold is left out: lines after its last row and
    // fields after its last column (the rest of a line is not split). The
    // lines are split one by one, so a text longer than a sheet costs no
    // more than the part that fits.
    constexpr auto kCols = static_cast<std::size_t>(spreadsheet::kMaxCols);
    std::vector<std::vector<std::string>> split;
    std::size_t width = 0;
    while (!rest.empty()) {
        if (split.size() == static_cast<std::size_t>(spreadsheet::kMaxRows)) {
            cut.rows = true;
            break;
        }
        const std::size_t end = lineBreak.empty() ? std::string_view::npos : rest.find(lineBreak);
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + lineBreak.size());
        if (separator != ' ') {
            // The line up to the separator that ends the last column's field.
            std::size_t at = 0;
            for (std::size_t n = 0; n < kCols && at != std::string_view::npos; ++n) {
                at = line.find(separator, n == 0 ? 0 : at + 1);
            }
            if (at != std::string_view::npos) {
                cut.columns = cut.columns || line.find_first_not_of(separator, at) != std::string_view::npos;
                line = line.substr(0, at);
            }
        }
        split.push_back(splitLine(std::string(line), separator));
        if (split.back().size() > kCols) {
            split.back().resize(kCols);
            cut.columns = true;
        }
        width = std::max(width, split.back().size());
    }
    if (leftOut != nullptr) {
        *leftOut = cut;
    }
    ValueTable out(static_cast<std::int32_t>(split.size()), static_cast<std::int32_t>(width));
    for (std::size_t i = 0; i < split.size(); ++i) {
        for (std::size_t j = 0; j < split[i].size(); ++j) {
            if (!split[i][j].empty()) {
                out.at(static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)) = Value(split[i][j]);
            }
        }
    }
    table = std::move(out);
    lines = table.rows();
    fields = table.cols();
}

void ReadDelimText(const std::string& path, ValueTable& table, std::int32_t& lines, std::int32_t& fields)
{
    SplitDelimText(FileUtil::ReadFileAll(path), table, lines, fields);
}

ValueTable TextFieldsAsCells(const ValueTable& fields)
{
    ValueTable cells(fields.rows(), fields.cols(), fields.firstRow(), fields.firstCol());
    for (std::int32_t i = fields.firstRow(); i <= fields.lastRow(); ++i) {
        for (std::int32_t j = fields.firstCol(); j <= fields.lastCol(); ++j) {
            const Value& v = fields.at(i, j);
            double number = 0;
            if (v.isText() && spreadsheet::parseNumber(v.text(), number)) {
                cells.at(i, j) = Value(number);
            } else {
                cells.at(i, j) = v;
            }
        }
    }
    return cells;
}

// ---- workbooks and windows --------------------------------------------------------

Workbook* NewWorkbook(shell::WorkbookHost& host)
{
    try {
        return &host.newWorkbook();
    } catch (...) {
        message("Unable to create new worksheet.");
        return nullptr;
    }
}

bool SSMDIOpenFile(shell::WorkbookHost& host, std::string& path)
{
    if (host.activeWorkbook() == nullptr && NewWorkbook(host) == nullptr) {
        return false;
    }
    if (path.empty()) {
        platform::FileDialogRequest request;
        request.title = "Open file";
        request.filter = kOpenFilter;
        request.initDir = mQuorin::Program().gDataDir;
        try {
            const auto chosen = platform::dialogs().FileDialog(request);
            if (!chosen || chosen->path.empty()) {
                return false;
            }
            path = chosen->path;
        } catch (...) {
            return false;
        }
    }
    std::vector<spreadsheet::LeftOut> leftOut;
    try {
        std::string bytes = FileUtil::ReadFileAll(path);
        // The program's own workbook format is plain text too: it goes to the
        // workbook reader by its header line.
        const bool native = bytes.compare(0, spreadsheet::detail::kNativeMagic.size(),
                                          spreadsheet::detail::kNativeMagic) == 0;
        // A page we wrote is no workbook: the workbook reader refuses it.
        if (!native && !spreadsheet::looksLikeHtml(bytes) && StrUtil::IsAsciiHead(bytes, kAsciiHeadLength)) {
            loadText(host, std::move(bytes), leftOut);
        } else {
            loadWorkbookFile(host, path, leftOut);
        }
    } catch (...) {
        message("Unable to load " + path);
        return false;
    }
    // The file is open; what did not fit is said once, after it shows.
    if (!leftOut.empty()) {
        message(spreadsheet::leftOutMessage(leftOut));
    }
    return true;
}

std::int16_t SSMDISaveFile(shell::WorkbookHost& host)
{
    Workbook* book = host.activeWorkbook();
    if (book == nullptr) {
        return kSaveCancelled;
    }
    if (book->isNeverSaved()) {
        return SSMDISaveAsFile(host, *book);
    }
    if (heldByAnotherWindow(host, *book, book->TableName())) {
        return kSaveFailed;
    }
    const SaveKeeps keeps = askBeforeUnkept(*book, fileTypeOfTag(book->Tag()));
    if (keeps == SaveKeeps::Cancelled) {
        return kSaveCancelled;
    }
    try {
        book->Write(book->TableName(), fileTypeOfTag(book->Tag()));
    } catch (...) {
        message("Unable to save " + book->TableName());
        return kSaveFailed;
    }
    noteWhatTheFileKeeps(*book, keeps);
    return kSaved;
}

namespace {

// The entry (from 1) of a list of `entries` that a default type of the
// settings names by its position in the options dialog's list (from 0), or
// `fallback` where it names none of them.
std::int32_t entryOfSetting(const std::string& setting, std::int32_t entries, std::int32_t fallback)
{
    const double position = platform::rt::Val(setting);
    return position >= 0 && position < entries ? static_cast<std::int32_t>(position) + 1 : fallback;
}

} // namespace

std::int32_t DefaultSaveType(const shell::IniQuorin& ini)
{
    return entryOfSetting(ini.OutFileType(), static_cast<std::int32_t>(FileType::Count) - 1,
                          static_cast<std::int32_t>(FileType::Native));
}

std::int32_t DefaultOpenEntry(const shell::IniQuorin& ini)
{
    // The file dialog shows its first entry for an entry it does not have.
    return entryOfSetting(ini.InFileType(), kOpenFilterEntries, 1);
}

std::int16_t SSMDISaveAsFile(shell::WorkbookHost& host, Workbook& book)
{
    platform::FileDialogRequest request;
    request.save = true;
    request.title = "Save";
    request.filter = SaveFilter();
    // A book read or saved before offers its own type again; a new one the
    // default output type of the settings.
    const std::int32_t tagType = fileTypeOfTag(book.Tag());
    request.filterIndex =
        spreadsheet::isValidFileType(tagType) ? tagType : DefaultSaveType(mQuorin::Program().gIni());
    request.fileName = book.isNeverSaved() ? book.TableName() : book.title();
    request.initDir = book.isNeverSaved() ? mQuorin::Program().gDataDir : FileUtil::GetFilePath(book.TableName());
    request.flags = 2;  // ask before replacing a file
    std::optional<platform::FileDialogResult> chosen;
    try {
        chosen = platform::dialogs().FileDialog(request);
    } catch (...) {
        platform::Error error = platform::currentAsError();
        error.appendTrail("SSMDISaveAsFile", error.description());
        (void)platform::reportError(error);
        return kSaveCancelled;
    }
    if (!chosen || chosen->path.empty()) {
        return kSaveCancelled;
    }
    const std::int32_t type = typeForName(
        chosen->path,
        spreadsheet::isValidFileType(chosen->filterIndex) ? chosen->filterIndex : static_cast<int>(FileType::Native));
    if (heldByAnotherWindow(host, book, chosen->path)) {
        return kSaveFailed;
    }
    const SaveKeeps keeps = askBeforeUnkept(book, type);
    if (keeps == SaveKeeps::Cancelled) {
        return kSaveCancelled;
    }
    try {
        book.WriteEx(chosen->path, type);
    } catch (...) {
        message("Unable to write " + chosen->path);
        return kSaveFailed;
    }
    noteWhatTheFileKeeps(book, keeps);
    book.setTableName(chosen->path);
    host.setCaption(book, chosen->path);
    book.setTag(std::to_string(type));
    return kSaved;
}

// ---- File menu steps ------------------------------------------------------------

std::optional<std::string> AskFileToOpen(platform::CommonDialog& dialog, const std::string& title,
                                         std::int32_t inFileType, const std::string& dataDir)
{
    dialog.DialogTitle = title;
    dialog.CancelError = true;
    dialog.Flags = 2068;  // path must exist, hide read-only, show help
    dialog.Filter = kOpenFilter;
    dialog.FilterIndex = inFileType + 1;
    dialog.InitDir = dataDir;
    dialog.FileName.clear();
    try {
        dialog.ShowOpen();
    } catch (const platform::Error& e) {
        if (e.number() == platform::err::FileDialogCancelled) {
            return std::nullopt;
        }
    } catch (...) {
    }
    if (dialog.FileName.empty()) {
        return std::nullopt;
    }
    return dialog.FileName;
}

std::string FileHeld(const Workbook& book, const std::string& textFile)
{
    return book.isNeverSaved() ? textFile : book.TableName();
}

bool OpenChosenFile(shell::WorkbookHost& host, shell::IniQuorin& ini, shell::RecentFileMenu& menu,
                    const std::string& path, bool switchMenus)
{
    std::error_code ec;
    const auto length = std::filesystem::file_size(path, ec);
    if (ec) {
        throw platform::Error::runtime(platform::err::FileNotFound, "mnuFileOpen");
    }
    if (length == 0) {
        message("The file named " + path + " is empty! Please try another file.", "Warning!");
        return false;
    }
    return openIntoWindow(host, ini, menu, path, switchMenus);
}

void OpenRecentFile(shell::WorkbookHost& host, shell::IniQuorin& ini, shell::RecentFileMenu& menu, int index)
{
    platform::rt::Files().CloseAll();
    const std::string path = ini.RecentFileAt(index);
    if (!FileUtil::FileExists(path)) {
        message("Cannot find the file " + path + ". You might have moved it elsewhere.");
        return;
    }
    (void)openIntoWindow(host, ini, menu, path, true);
}

} // namespace SSMDI1
