#include "platform/registry/FileRegistry.h"

#include <cerrno>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform::registry {

namespace {

// An open descriptor, closed with the object (which also drops its flock).
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    [[nodiscard]] int get() const { return m_fd; }

private:
    int m_fd;
};

enum class Load { Ok, Missing, Unreadable };

Load loadText(const std::filesystem::path& file, std::string& text)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return ec ? Load::Unreadable : Load::Missing;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return Load::Unreadable;
    }
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return Load::Ok;
}

// Reads a hive file into `data`; an absent file is an empty hive. Returns
// Success, AccessDenied when the file cannot be read, or BadDatabase when its
// text does not parse.
long loadHive(const std::filesystem::path& file, std::optional<detail::HiveData>& data)
{
    std::string text;
    const Load load = loadText(file, text);
    if (load == Load::Unreadable) {
        return code::AccessDenied;
    }
    data = load == Load::Missing ? std::optional<detail::HiveData>(detail::HiveData{})
                                 : detail::HiveData::fromText(text);
    return data ? code::Success : code::BadDatabase;
}

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The nearest folder that exists, walking up from `path`.
std::filesystem::path existingAncestor(std::filesystem::path path)
{
    std::error_code ec;
    while (!path.empty() && !std::filesystem::exists(path, ec)) {
        const auto parent = path.parent_path();
        if (parent == path) {
            break;
        }
        path = parent;
    }
    return path;
}

} // namespace

FileRegistry::FileRegistry(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::filesystem::path FileRegistry::folder() const
{
    return m_folder ? *m_folder : defaultFolder();
}

const char* FileRegistry::hiveFileName(Hive hive)
{
    return hive == Hive::LocalMachine ? "machine.hive" : "user.hive";
}

bool FileRegistry::isWritable(Hive hive) const
{
    const auto dir = folder();
    const auto file = dir / hiveFileName(hive);
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        return ::access(file.c_str(), W_OK) == 0 && ::access(dir.c_str(), W_OK) == 0;
    }
    const auto base = existingAncestor(dir);
    return !base.empty() && ::access(base.c_str(), W_OK) == 0;
}

long FileRegistry::read(Hive hive, const Body& body) const
{
    std::optional<detail::HiveData> data;
    if (const long rc = loadHive(folder() / hiveFileName(hive), data); rc != code::Success) {
        return rc;
    }
    bool changed = false;
    return body(*data, changed);
}

long FileRegistry::write(Hive hive, const Body& body)
{
    const auto dir = folder();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        return code::AccessDenied;
    }
    const auto file = dir / hiveFileName(hive);
    const auto lockPath = dir / (std::string(hiveFileName(hive)) + ".lock");
    const Fd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (lock.get() < 0) {
        return code::AccessDenied;
    }
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return code::AccessDenied;
        }
    }

    std::optional<detail::HiveData> data;
    if (const long rc = loadHive(file, data); rc != code::Success) {
        return rc;
    }
    bool changed = false;
    const long rc = body(*data, changed);
    if (!changed) {
        return rc;
    }

    const auto temp = dir / (std::string(hiveFileName(hive)) + ".tmp." + std::to_string(::getpid()));
    {
        const Fd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (out.get() < 0) {
            return code::AccessDenied;
        }
        if (!writeAll(out.get(), data->toText()) || ::fsync(out.get()) != 0) {
            std::filesystem::remove(temp, ec);
            return code::AccessDenied;
        }
    }
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return code::AccessDenied;
    }
    return rc;
}

} // namespace platform::registry
