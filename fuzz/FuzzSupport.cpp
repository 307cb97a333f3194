#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include <unistd.h>

namespace fuzz {

namespace {

const std::filesystem::path& tempFolder()
{
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("tessaray-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// Removes the process's temporary folder when the run ends.
struct FolderCleanup {
    ~FolderCleanup()
    {
        std::error_code ec;
        std::filesystem::remove_all(tempFolder(), ec);
    }
};

} // namespace

void fail(std::string_view what)
{
    std::fprintf(stderr, "fuzz check failed: %.*s\n", static_cast<int>(what.size()), what.data());
    std::fflush(stderr);
    std::abort();
}

TempFile::TempFile(std::string_view name, std::string_view bytes) : m_path(tempFolder() / std::string(name))
{
    static FolderCleanup cleanup;
    write(bytes);
}

TempFile::~TempFile()
{
    std::error_code ec;
    std::filesystem::remove(m_path, ec);
}

void TempFile::write(std::string_view bytes) const
{
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    check(static_cast<bool>(out), "the temporary file can be written");
}

AbortReporter::AbortReporter()
    : m_scope([this](const platform::Error&) {
          ++m_errors;
          return platform::Answer::Abort;
      })
{
}

} // namespace fuzz
