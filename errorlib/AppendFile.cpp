#include "errorlib/AppendFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/errors/Error.h"

namespace rampart::detail {

namespace {

[[noreturn]] void raiseErrno(int error)
{
    const int number = FileErrorNumber(error);
    throw platform::Error(number, "Rampart", platform::StandardDescription(number));
}

} // namespace

int FileErrorNumber(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return platform::err::PermissionDenied;
    case ENOENT:
    case ENOTDIR: return platform::err::PathNotFound;
    case ENOSPC:
    case EDQUOT: return platform::err::DiskFull;
    case EMFILE:
    case ENFILE: return platform::err::TooManyFiles;
    default: return platform::err::PathFileAccess;
    }
}

AppendFile::AppendFile(const std::string& path)
    : m_fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666))
{
    if (m_fd < 0) {
        raiseErrno(errno);
    }
}

AppendFile::~AppendFile()
{
    ::close(m_fd);
}

void AppendFile::write(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            raiseErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

void AppendFile::appendOnce(const std::string& path, const std::string& bytes)
{
    AppendFile file(path);
    file.write(bytes);
}

void ClearReadOnly(const std::string& path) noexcept
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        return;
    }
    if ((st.st_mode & S_IWUSR) == 0) {
        (void)::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
    }
}

} // namespace rampart::detail
