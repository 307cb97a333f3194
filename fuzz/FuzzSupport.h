#pragma once

// What every fuzz target shares: the input as text, a temporary file holding
// it for readers that take a path, an error reporter that answers Abort (so
// that guarded readers never wait for a dialog), and the failure that stops
// the run when a check of a target does not hold.
//
// A target's entry point is the libFuzzer one,
//     extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// built either with libFuzzer (scripts/fuzz) or with ReplayMain.cpp, which
// feeds it every file of the target's corpus (the CTest replay).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/errors/Guard.h"

namespace fuzz {

[[nodiscard]] inline std::string_view asText(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// Stops the run with a message naming the check that failed.
[[noreturn]] void fail(std::string_view what);

// Checks a condition of a target; a false one stops the run.
inline void check(bool condition, std::string_view what)
{
    if (!condition) {
        fail(what);
    }
}

// A file in this process's own temporary folder, removed again when the
// object goes. `name` is the file's name; its extension may matter to a reader.
class TempFile {
public:
    explicit TempFile(std::string_view name, std::string_view bytes = {});
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const noexcept { return m_path; }
    void write(std::string_view bytes) const;

private:
    std::filesystem::path m_path;
};

// Installs a reporter that answers every error with Abort for its lifetime
// and counts the errors it was given.
class AbortReporter {
public:
    AbortReporter();

    [[nodiscard]] int errors() const noexcept { return m_errors; }

private:
    int m_errors = 0;
    platform::ScopedReporter m_scope;
};

} // namespace fuzz
