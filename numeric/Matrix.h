#pragma once

// Dense matrices of doubles for the numeric routines.
//
// `Matrix` is row-major and indexed from 0: m(i, j) with i the first index
// (rows()) and j the second (cols()). Routines that take a block read counts
// passed separately and check them against rows()/cols() before they touch a
// cell, so a matrix may be larger than the block it carries.
//
// `BoundedMatrix` adds lower bounds to both indices, for the one routine that
// multiplies over arbitrary index ranges (MatB::MatMult).

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace numeric {

class Matrix {
public:
    Matrix() = default;
    // rows x cols cells, all set to fill.
    Matrix(std::size_t rows, std::size_t cols, double fill = 0.0)
        : m_rows(rows), m_cols(cols), m_cells(rows * cols, fill)
    {
    }
    // Row by row: Matrix{{1, 2}, {3, 4}}. Every row must have the same length.
    Matrix(std::initializer_list<std::initializer_list<double>> rows)
        : m_rows(rows.size()), m_cols(rows.size() == 0 ? 0 : rows.begin()->size())
    {
        m_cells.reserve(m_rows * m_cols);
        for (const auto& row : rows) {
            assert(row.size() == m_cols);
            m_cells.insert(m_cells.end(), row.begin(), row.end());
        }
    }

    [[nodiscard]] std::size_t rows() const noexcept { return m_rows; }
    [[nodiscard]] std::size_t cols() const noexcept { return m_cols; }
    [[nodiscard]] bool isEmpty() const noexcept { return m_cells.empty(); }

    // Unchecked in release builds; callers check their counts first.
    [[nodiscard]] double& operator()(std::size_t i, std::size_t j) noexcept
    {
        assert(i < m_rows && j < m_cols);
        return m_cells[i * m_cols + j];
    }
    [[nodiscard]] double operator()(std::size_t i, std::size_t j) const noexcept
    {
        assert(i < m_rows && j < m_cols);
        return m_cells[i * m_cols + j];
    }

    // The cells row after row.
    [[nodiscard]] double* data() noexcept { return m_cells.data(); }
    [[nodiscard]] const double* data() const noexcept { return m_cells.data(); }

    friend bool operator==(const Matrix&, const Matrix&) = default;

private:
    std::size_t m_rows = 0;
    std::size_t m_cols = 0;
    std::vector<double> m_cells;
};

// A matrix whose first index runs firstLower .. firstLower + rows() - 1 and
// whose second runs secondLower .. secondLower + cols() - 1.
struct BoundedMatrix {
    Matrix values;
    std::int64_t firstLower = 0;
    std::int64_t secondLower = 0;

    [[nodiscard]] std::int64_t firstUpper() const noexcept
    {
        return firstLower + static_cast<std::int64_t>(values.rows()) - 1;
    }
    [[nodiscard]] std::int64_t secondUpper() const noexcept
    {
        return secondLower + static_cast<std::int64_t>(values.cols()) - 1;
    }
    // Cell at the bounded indices (i in the first range, j in the second).
    [[nodiscard]] double& at(std::int64_t i, std::int64_t j) noexcept
    {
        return values(static_cast<std::size_t>(i - firstLower), static_cast<std::size_t>(j - secondLower));
    }
    [[nodiscard]] double at(std::int64_t i, std::int64_t j) const noexcept
    {
        return values(static_cast<std::size_t>(i - firstLower), static_cast<std::size_t>(j - secondLower));
    }
};

} // namespace numeric
