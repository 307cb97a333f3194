#include "shell/core/FileUtil.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "shell/core/clsOpenSave.h"
#include "shell/core/StrUtil.h"

namespace FileUtil {

namespace fs = std::filesystem;

std::string GetWinDir()
{
    fs::path dir;
    if (const char* own = std::getenv("QUORIN_WINDOWS_DIR"); own && *own) {
        dir = own;
    } else if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        dir = fs::path(config) / "tessaray";
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        dir = fs::path(home) / ".config" / "tessaray";
    } else {
        dir = fs::temp_directory_path() / "tessaray";
    }
    std::error_code ec;
    fs::create_directories(dir, ec);
    return dir.string();
}

namespace {

std::ifstream openForReading(const std::string& fileName, const char* procedure)
{
    std::error_code ec;
    if (fileName.empty() || !fs::exists(fileName, ec)) {
        throw platform::Error::runtime(platform::err::FileNotFound, procedure);
    }
    if (fs::is_directory(fileName, ec)) {
        throw platform::Error::runtime(platform::err::PathFileAccess, procedure);
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        throw platform::Error::runtime(platform::err::PermissionDenied, procedure);
    }
    return in;
}

} // namespace

std::string ReadFileHead(const std::string& fileName, std::int32_t n)
{
    std::ifstream in = openForReading(fileName, "ReadFileHead");
    std::string text(static_cast<std::size_t>(std::max(n, 0)), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        throw platform::Error::runtime(platform::err::DeviceIO, "ReadFileHead");
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

std::string ReadFileAll(const std::string& fileName)
{
    std::ifstream in = openForReading(fileName, "ReadFileAll");
    std::ostringstream out;
    out << in.rdbuf();
    if (in.bad()) {
        throw platform::Error::runtime(platform::err::DeviceIO, "ReadFileAll");
    }
    return out.str();
}

bool IsDirectory(const std::string& name)
{
    if (name.empty()) {
        return false;
    }
    std::error_code ec;
    return fs::is_directory(name, ec);
}

bool FileExists(const std::string& name)
{
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        return false;
    }
    std::error_code ec;
    return fs::exists(name, ec) && !fs::is_directory(name, ec);
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a.find_first_not_of(' ') == std::string::npos || b.find_first_not_of(' ') == std::string::npos) {
        return false;
    }
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) {
        return true;
    }
    const fs::path left = fs::weakly_canonical(a, ec);
    const bool leftOk = !ec;
    const fs::path right = fs::weakly_canonical(b, ec);
    return leftOk && !ec && left == right;
}

std::string GetFilePath(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return path;
    }
    return path.substr(0, slash + 1);
}

void WriteStrToFile(const std::string& fileName, std::string_view text)
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw platform::Error::runtime(platform::err::PathFileAccess, "WriteStrToFile");
    }
    out << text << "\r\n";
    out.flush();
    if (!out) {
        throw platform::Error::runtime(platform::err::DeviceIO, "WriteStrToFile");
    }
}

std::string FilterForExtensions(std::string_view extensions)
{
    if (extensions.find(',') == std::string_view::npos) {
        std::string upper(extensions);
        for (char& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        const std::string e(extensions);
        return upper + " Files (*." + e + ")|*." + e + "|";
    }
    std::string list;
    for (char c : extensions) {
        if (c == ',') {
            list += ";*.";
        } else {
            list.push_back(c);
        }
    }
    return "FILES (*." + list + ")|*." + list + "|";
}

namespace {

// Remembers the current folder when it differs from `initDir`, and gives it
// back through restore().
struct CurrentFolder {
    fs::path remembered;

    void rememberUnless(const std::string& initDir)
    {
        std::error_code ec;
        const fs::path current = fs::current_path(ec);
        if (!ec && current != fs::path(initDir)) {
            remembered = current;
        }
    }
    void restore() const
    {
        if (!remembered.empty()) {
            std::error_code ec;
            fs::current_path(remembered, ec);
        }
    }
};

} // namespace

namespace {

// The guarded dialog road shared by the three ways of asking: remember the
// current folder, configure the dialog, show it, read the name, restore the
// folder. Abort leaves with "" (and the folder not restored), Retry shows the
// dialog again, Ignore reads whatever name the dialog holds.
template <class Configure, class Show, class Read>
std::string askForFile(const std::string& initDir, Configure configure, Show show, Read read)
{
    std::string result;
    CurrentFolder folder;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { folder.rememberUnless(initDir); });
        g.step(configure);
        g.step(show);
        g.step([&] { result = read(); });
        g.step([&] { folder.restore(); });
    });
    return result;
}

void configureControl(platform::CommonDialog& dialog, std::string_view title, std::string filter, int filterIndex,
                      const std::string& initDir)
{
    dialog.CancelError = true;
    dialog.Flags = 4;
    dialog.Filter = std::move(filter);
    dialog.FilterIndex = filterIndex;
    dialog.DialogTitle = std::string(title);
    dialog.InitDir = initDir;
}

} // namespace

std::string GetDlgFileName(std::string_view title, std::string_view extensions, platform::CommonDialog& dialog,
                           std::int16_t openOrSave, const std::string& initDir, const std::string& fileName)
{
    return askForFile(
        initDir,
        [&] {
            configureControl(dialog, title, FilterForExtensions(extensions), 1, initDir);
            dialog.FileName = fileName;
        },
        [&] { openOrSave == 1 ? dialog.ShowOpen() : dialog.ShowSave(); }, [&] { return dialog.FileName; });
}

std::string GetDlgFileNameFilter(std::string_view title, std::int16_t filterIndex, std::string_view filter,
                                 platform::CommonDialog& dialog, std::int16_t openOrSave, const std::string& initDir)
{
    return askForFile(
        initDir, [&] { configureControl(dialog, title, std::string(filter), filterIndex, initDir); },
        [&] { openOrSave == 1 ? dialog.ShowOpen() : dialog.ShowSave(); }, [&] { return dialog.FileName; });
}

std::string GetDlgFileNameAPI(std::string_view title, std::string_view extensions, std::int16_t openOrSave,
                              const std::string& initDir)
{
    shell::clsOpenSave dialog;
    return askForFile(
        initDir,
        [&] {
            dialog.setCancelError(true);
            dialog.setFlags(4);
            dialog.setFilter(FilterForExtensions(extensions));
            dialog.setFilterIndex(1);
            dialog.setDialogTitle(std::string(title));
            dialog.setInitDir(initDir);
        },
        [&] { openOrSave == 1 ? dialog.ShowOpen() : dialog.ShowSave(); }, [&] { return dialog.FileName(); });
}

} // namespace FileUtil
