#include "analysis/DistanceMatrix.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
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

// Blocks from this size on are mapped directly, in huge pages where possible.
constexpr std::size_t kMapped = std::size_t{2} << 20;

std::size_t mappedLength(std::size_t bytes)
{
    return (bytes + kMapped - 1) / kMapped * kMapped;
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

void detail::CellsRelease::operator()(double* cells) const noexcept
{
    if (cells == nullptr) {
        return;
    }
    if (bytes >= kMapped) {
        ::munmap(cells, mappedLength(bytes));
    } else {
        std::free(cells);
    }
}

DistanceMatrix::Cells DistanceMatrix::allocate(std::size_t count, std::string_view source)
{
    const std::size_t bytes = std::max<std::size_t>(count, 1) * sizeof(double);
    void* p = nullptr;
    if (bytes >= kMapped) {
        p = ::mmap(nullptr, mappedLength(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) {
            p = nullptr;
        } else {
            // Fresh anonymous pages read as zero; huge pages are a hint only.
            (void)::madvise(p, mappedLength(bytes), MADV_HUGEPAGE);
        }
    } else {
        p = std::calloc(bytes / sizeof(double), sizeof(double));
    }
    if (p == nullptr) {
        throw platform::Error(platform::err::OutOfMemory, std::string(source),
                              "The system refused the " + megabytes(bytes) + " that the distance matrix needs.");
    }
    return Cells(static_cast<double*>(p), detail::CellsRelease{bytes});
}

DistanceMatrix::DistanceMatrix(const DistanceMatrix& other)
    : m_n(other.m_n), m_cells(allocate(static_cast<std::size_t>(cellCount(other.m_n)), "DistanceMatrix"))
{
    if (m_n >= 2) {
        std::memcpy(m_cells.get(), other.m_cells.get(), static_cast<std::size_t>(cellCount(m_n)) * sizeof(double));
    }
}

DistanceMatrix& DistanceMatrix::operator=(const DistanceMatrix& other)
{
    if (this != &other) {
        DistanceMatrix copy(other);
        *this = std::move(copy);
    }
    return *this;
}

bool operator==(const DistanceMatrix& a, const DistanceMatrix& b) noexcept
{
    if (a.m_n != b.m_n) {
        return false;
    }
    const auto count = static_cast<std::size_t>(DistanceMatrix::cellCount(a.m_n));
    return count == 0 || std::equal(a.data(), a.data() + count, b.data());
}

DistanceMatrix::DistanceMatrix(std::int64_t n, std::string_view source) : m_n(n)
{
    if (n < 0) {
        throw platform::Error::runtime(platform::err::InvalidCall, std::string(source));
    }
    const std::uint64_t cells = cellCount(n);
    checkMemory(cells * sizeof(double),
                "The distance matrix of " + platform::rt::CStr(static_cast<std::int64_t>(n)) + " items", source);
    m_cells = allocate(static_cast<std::size_t>(cells), source);
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
