#include "tests/support/TestSupport.h"

#include <algorithm>
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

std::filesystem::path dataPath(const std::string& name)
{
    const char* dir = std::getenv("TESSARAY_TEST_DATA");
    return std::filesystem::path(dir ? dir : ".") / name;
}

} // namespace testsupport
