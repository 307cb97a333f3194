#pragma once

// DistanceMatrix: the distances between N items, stored as one packed strict
// lower triangle of doubles.
//
// Cell (i, j) with i > j is the distance between items i and j; cells are
// laid out row after row, (1,0), (2,0), (2,1), (3,0), ..., so that row i is
// contiguous and cell (i, j) sits at i(i - 1)/2 + j. The diagonal is not
// stored and reads as 0. Counts are 64-bit throughout: N is limited only by
// the memory limit below, never by 32-bit products.
//
// Before a triangle is allocated its size is checked against the memory limit
// (by default three quarters of the machine's physical memory); a triangle
// over the limit is refused with error 7, naming the size needed. Large
// triangles are mapped in huge pages where the system offers them, which
// keeps the clustering's row and column walks cheap.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

#include "numeric/Matrix.h"

namespace analysis {

// Bytes that big allocations of the analyses may take.
[[nodiscard]] std::uint64_t MemoryLimit() noexcept;
// Sets the limit; 0 restores the default.
void setMemoryLimit(std::uint64_t bytes) noexcept;
// Raises error 7 with source and a description naming what and how many
// bytes, when bytes exceeds the limit.
void checkMemory(std::uint64_t bytes, std::string_view what, std::string_view source);

namespace detail {
// Frees the cells of a distance matrix by the way they were allocated.
struct CellsRelease {
    std::size_t bytes = 0;
    void operator()(double* cells) const noexcept;
};
} // namespace detail

class DistanceMatrix {
public:
    DistanceMatrix() = default;
    // A triangle for n items, every distance 0. Error 5 for n < 0, error 7
    // (source as given) when it does not fit the memory limit.
    explicit DistanceMatrix(std::int64_t n, std::string_view source = "DistanceMatrix");
    DistanceMatrix(const DistanceMatrix& other);
    DistanceMatrix& operator=(const DistanceMatrix& other);
    // A moved-from matrix is empty (no items).
    DistanceMatrix(DistanceMatrix&& other) noexcept
        : m_n(std::exchange(other.m_n, 0)), m_cells(std::move(other.m_cells))
    {
    }
    DistanceMatrix& operator=(DistanceMatrix&& other) noexcept
    {
        m_n = std::exchange(other.m_n, 0);
        m_cells = std::move(other.m_cells);
        return *this;
    }
    ~DistanceMatrix() = default;

    // Number of stored cells for n items: n(n - 1)/2.
    [[nodiscard]] static constexpr std::uint64_t cellCount(std::int64_t n) noexcept
    {
        return n < 2 ? 0 : static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(n - 1) / 2;
    }
    [[nodiscard]] static constexpr std::size_t offset(std::int64_t i, std::int64_t j) noexcept
    {
        return static_cast<std::size_t>(i) * static_cast<std::size_t>(i - 1) / 2 + static_cast<std::size_t>(j);
    }

    [[nodiscard]] std::int64_t size() const noexcept { return m_n; }

    // Cell (i, j), i > j; unchecked.
    [[nodiscard]] double& operator()(std::int64_t i, std::int64_t j) noexcept { return m_cells[offset(i, j)]; }
    [[nodiscard]] double operator()(std::int64_t i, std::int64_t j) const noexcept
    {
        return m_cells[offset(i, j)];
    }

    // The distance between items i and j in either order; 0 for i == j.
    // Error 9 outside 0 .. size() - 1.
    [[nodiscard]] double at(std::int64_t i, std::int64_t j) const;

    // Row i: the cells (i, 0) .. (i, i - 1).
    [[nodiscard]] double* row(std::int64_t i) noexcept { return m_cells.get() + offset(i, 0); }
    [[nodiscard]] const double* row(std::int64_t i) const noexcept { return m_cells.get() + offset(i, 0); }

    [[nodiscard]] double* data() noexcept { return m_cells.get(); }
    [[nodiscard]] const double* data() const noexcept { return m_cells.get(); }

    // The square N x N form: the lower triangle as stored, the diagonal and
    // the upper triangle 0 (for the matrix text layouts).
    [[nodiscard]] numeric::Matrix toSquare() const;
    // Reads the strict lower triangle of the first n rows and columns of a
    // square matrix. Error 9 when the matrix is smaller than n x n.
    [[nodiscard]] static DistanceMatrix fromSquare(const numeric::Matrix& square, std::int64_t n);

    // Same size and the same value in every cell.
    friend bool operator==(const DistanceMatrix& a, const DistanceMatrix& b) noexcept;

private:
    using Cells = std::unique_ptr<double[], detail::CellsRelease>;
    // count zeroed cells; error 7 when the system refuses the memory.
    static Cells allocate(std::size_t count, std::string_view source);

    std::int64_t m_n = 0;
    Cells m_cells;
};

} // namespace analysis
