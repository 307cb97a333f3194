#include "tests/support/TestSupport.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace testsupport {

::testing::AssertionResult nearRel(double actual, double expected, double tol)
{
    if (std::isnan(actual) || std::isnan(expected)) {
        return ::testing::AssertionFailure() << "NaN compared: actual " << actual << ", expected " << expected;
    }
    const double allowed = tol * std::max(1.0, std::fabs(expected));
    if (std::fabs(actual - expected) <= allowed) {
        return ::testing::AssertionSuccess();
    }
    std::ostringstream out;
    out.precision(17);
    out << "actual " << actual << " differs from expected " << expected << " by " << std::fabs(actual - expected)
        << " (allowed " << allowed << ")";
    return ::testing::AssertionFailure() << out.str();
}

void BitDigest::bytes(const void* data, std::size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        m_hash = (m_hash ^ p[i]) * 1099511628211ULL;
    }
}

BitDigest& BitDigest::add(double value)
{
    bytes(&value, sizeof value);
    return *this;
}

BitDigest& BitDigest::add(std::int64_t value)
{
    bytes(&value, sizeof value);
    return *this;
}

BitDigest& BitDigest::add(std::span<const double> values)
{
    for (const double v : values) {
        add(v);
    }
    return *this;
}

BitDigest& BitDigest::add(std::string_view text)
{
    add(static_cast<std::int64_t>(text.size()));
    bytes(text.data(), text.size());
    return *this;
}

TempDir::TempDir()
{
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("tessaray-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

CommaDecimalLocale::CommaDecimalLocale()
{
    const char* previous = std::setlocale(LC_ALL, nullptr);
    m_previous = previous ? previous : "C";
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            m_active = true;
            return;
        }
    }
    // Build one for this process when the system has the locale sources.
    TempDir dir;
    const std::string command = "localedef -i de_DE -f UTF-8 " + dir.file("de_DE.UTF-8").string() + " >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) {
        ::setenv("LOCPATH", dir.path().c_str(), 1);
        m_active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        ::unsetenv("LOCPATH");
    }
}

CommaDecimalLocale::~CommaDecimalLocale()
{
    std::setlocale(LC_ALL, m_previous.c_str());
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> crlfLines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find("\r\n", start)) != std::string::npos; start = pos + 2) {
        out.push_back(text.substr(start, pos - start));
    }
    return out;
}

std::filesystem::path dataPath(const std::string& name)
{
    const char* dir = std::getenv("TESSARAY_TEST_DATA");
    return std::filesystem::path(dir ? dir : ".") / name;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name)
{
    const char* old = std::getenv(name);
    m_had = old != nullptr;
    m_old = m_had ? old : "";
    if (value.empty()) {
        ::unsetenv(name);
    } else {
        ::setenv(name, value.c_str(), 1);
    }
}

ScopedEnv::~ScopedEnv()
{
    if (m_had) {
        ::setenv(m_name, m_old.c_str(), 1);
    } else {
        ::unsetenv(m_name);
    }
}

} // namespace testsupport
