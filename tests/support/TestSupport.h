#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace testsupport {

// The one tolerance policy of the test suites: |actual - expected| must not
// exceed tol * max(1, |expected|). Exact comparisons are for values that are
// exact by construction.
::testing::AssertionResult nearRel(double actual, double expected, double tol);

#define expectNearRel(actual, expected, tol) EXPECT_TRUE(::testsupport::nearRel((actual), (expected), (tol)))

// A 64-bit FNV-1a digest of the exact bits of what is added, to pin results
// that must stay the same bit for bit: a changed bit in any value changes
// the digest.
class BitDigest {
public:
    BitDigest& add(double value);
    BitDigest& add(std::int64_t value);
    BitDigest& add(std::span<const double> values);
    BitDigest& add(std::string_view text);
    [[nodiscard]] std::uint64_t value() const { return m_hash; }

private:
    void bytes(const void* data, std::size_t size);
    std::uint64_t m_hash = 14695981039346656037ULL;
};

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    [[nodiscard]] std::filesystem::path file(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Switches the process to a comma-decimal locale (German) for its lifetime
// and restores the previous one: an installed locale when there is one, else
// one built with localedef into a temporary folder. active() says whether the
// switch succeeded.
class CommaDecimalLocale {
public:
    CommaDecimalLocale();
    ~CommaDecimalLocale();
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

    [[nodiscard]] bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

// Whole file as bytes, and bytes written as a whole file.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// The lines of a text whose lines end in CR LF, without their ends; what
// follows the last CR LF is not a line.
std::vector<std::string> crlfLines(const std::string& text);

// The data folder of the calling test suite (tests/<subsystem>/data), from the
// TESSARAY_TEST_DATA variable that CTest sets.
std::filesystem::path dataPath(const std::string& name);

// Sets an environment variable (unsets it for an empty value) for the
// object's lifetime and restores what it was.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_had = false;
    std::string m_old;
};

} // namespace testsupport
