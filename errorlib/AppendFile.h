#pragma once

// Text files opened for appending: each line goes out in one write() on an
// O_APPEND descriptor, so that lines of concurrent writers never interleave
// and nothing waits in a buffer when the process dies.

#include <string>

namespace rampart::detail {

class AppendFile {
public:
    // Opens (creating) `path`; raises the numbered file error (70, 75, 76, 61) on failure.
    explicit AppendFile(const std::string& path);
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Writes the bytes; raises the numbered file error on failure.
    void write(const std::string& bytes);

    // Opens, writes and closes.
    static void appendOnce(const std::string& path, const std::string& bytes);

private:
    int m_fd;
};

// Makes an existing read-only file writable for its owner; ignores folders,
// missing files and failures.
void ClearReadOnly(const std::string& path) noexcept;

// The numbered error for an errno value of a file operation.
[[nodiscard]] int FileErrorNumber(int error);

} // namespace rampart::detail
