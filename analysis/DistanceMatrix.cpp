#include "analysis/DistanceMatrix.h"

#include <unistd.h>

#include <atomic>
#include <string>

#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace analysis {

namespace {

std::atomic<std::uint64_t> g_memoryLimit{0};

std::uint64_t defaultLimit() noexcept
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return std::uint64_t{4} << 30;
    }
    return static_cast<std::uint64_t>(pages) / 4 * 3 * static_cast<std::uint64_t>(pageSize);
}

std::string megabytes(std::uint64_t bytes)
{
    const std::uint64_t mb = (bytes + (std::uint64_t{1} << 20) - 1) >> 20;
    return platform::rt::CStr(static_cast<std::int64_t>(mb)) + " MB";
}

} // namespace

std::uint64_t MemoryLimit() noexcept
{
    const std::uint64_t limit = g_memoryLimit.load();
    return limit != 0 ? limit : defaultLimit();
}

void setMemoryLimit(std::uint64_t bytes) noexcept
{
    g_memoryLimit.store(bytes);
}

void checkMemory(std::uint64_t bytes, std::string_view what, std::string_view source)
{
    const std::uint64_t limit = MemoryLimit();
    if (bytes > limit) {
        throw platform::Error(platform::err::OutOfMemory, std::string(source),
                              std::string(what) + " needs " + megabytes(bytes) + " of memory; the limit is " +
                                  megabytes(limit) + ".");
    }
}

DistanceMatrix::DistanceMatrix(std::int64_t n, std::string_view source) : m_n(n)
{
    if (n < 0) {
        throw platform::Error::runtime(platform::err::InvalidCall, std::string(source));
    }
    const std::uint64_t cells = cellCount(n);
    checkMemory(cells * sizeof(double),
                "The distance matrix of " + platform::rt::CStr(static_cast<std::int64_t>(n)) + " items", source);
    m_cells.assign(static_cast<std::size_t>(cells), 0.0);
}

double DistanceMatrix::at(std::int64_t i, std::int64_t j) const
{
    if (i < 0 || j < 0 || i >= m_n || j >= m_n) {
        throw platform::Error::runtime(platform::err::Subscript, "DistanceMatrix");
    }
    if (i == j) {
        return 0;
    }
    return i > j ? (*this)(i, j) : (*this)(j, i);
}

numeric::Matrix DistanceMatrix::toSquare() const
{
    const auto n = static_cast<std::size_t>(m_n);
    checkMemory(static_cast<std::uint64_t>(n) * n * sizeof(double), "The square distance matrix", "DistanceMatrix");
    numeric::Matrix square(n, n);
    for (std::int64_t i = 1; i < m_n; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            square(static_cast<std::size_t>(i), static_cast<std::size_t>(j)) = (*this)(i, j);
        }
    }
    return square;
}

DistanceMatrix DistanceMatrix::fromSquare(const numeric::Matrix& square, std::int64_t n)
{
    if (n < 0 || square.rows() < static_cast<std::size_t>(n) || square.cols() < static_cast<std::size_t>(n)) {
        throw platform::Error::runtime(platform::err::Subscript, "DistanceMatrix");
    }
    DistanceMatrix result(n);
    for (std::int64_t i = 1; i < n; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            result(i, j) = square(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
        }
    }
    return result;
}

} // namespace analysis
