#include "numeric/MathStat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <span>
#include <system_error>
#include <thread>

#include "numeric/Checked.h"
#include "numeric/mNumRec.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace MathStat {

using numeric::checkedDiv;
using numeric::checkedFinite;
using numeric::raiseReport;
using numeric::raiseRuntime;
namespace pd = numeric::detail;

namespace {

// Refuses negative counts (5) and blocks or results smaller than the counts (9).
void checkBlock(const Matrix& X, std::int32_t nRow, std::int32_t nCol, const char* source)
{
    if (nRow < 0 || nCol < 0) {
        raiseRuntime(platform::err::InvalidCall, source);
    }
    if (X.rows() < static_cast<std::size_t>(nRow) || X.cols() < static_cast<std::size_t>(nCol)) {
        raiseRuntime(platform::err::Subscript, source);
    }
}

void checkResult(const Matrix& result, std::int32_t nCol, const char* source)
{
    if (result.rows() < static_cast<std::size_t>(nCol) || result.cols() < static_cast<std::size_t>(nCol)) {
        raiseRuntime(platform::err::Subscript, source);
    }
}

void checkCount(std::span<const double> values, std::int64_t n, const char* source)
{
    if (n < 0) {
        raiseRuntime(platform::err::InvalidCall, source);
    }
    if (values.size() < static_cast<std::size_t>(n)) {
        raiseRuntime(platform::err::Subscript, source);
    }
}

double pairCount(std::int32_t nCol)
{
    return static_cast<double>(nCol) * (static_cast<double>(nCol) - 1.0) / 2.0;
}

// Sum of squared deviations of column i from its mean, and whether the
// column is constant over rows 0 .. nRow - 1.
struct ColumnSpread {
    double ss = 0;
    bool constant = true;
};

// The spread of every column 0 .. nCol - 1, read row by row; each column's
// sum still runs from row 0 down.
std::vector<ColumnSpread> columnSpreads(const Matrix& X, std::int32_t nRow, std::int32_t nCol,
                                        const std::vector<double>& mean)
{
    const auto cols = static_cast<std::size_t>(nCol);
    std::vector<ColumnSpread> out(cols);
    const double* first = X.data();
    for (std::size_t k = 0; k < static_cast<std::size_t>(nRow); ++k) {
        const double* x = X.data() + k * X.cols();
        for (std::size_t c = 0; c < cols; ++c) {
            const double d = x[c] - mean[c];
            out[c].ss += d * d;
            if (x[c] != first[c]) {
                out[c].constant = false;
            }
        }
    }
    return out;
}

// Columns 0 .. nCol - 1 of rows 0 .. nRow - 1, each stored contiguously, so
// that the passes over pairs read memory in order.
std::vector<std::vector<double>> columnsOf(const Matrix& X, std::int32_t nRow, std::int32_t nCol)
{
    std::vector<std::vector<double>> columns(static_cast<std::size_t>(nCol),
                                             std::vector<double>(static_cast<std::size_t>(nRow)));
    for (std::size_t k = 0; k < static_cast<std::size_t>(nRow); ++k) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            columns[c][k] = X(k, c);
        }
    }
    return columns;
}

// The cross products of the deviations from the column means of every pair
// of columns i >= j: sum over k = 0 .. nRow - 1, added in that order, of
// (X(k, i) - mean(i)) (X(k, j) - mean(j)), the same numbers bit for bit as
// one pair summed at a time. The pairs are worked in tiles of 4 x 4 columns
// over chunks of rows, so that sixteen sums advance together on data held in
// the cache; each sum still takes its rows one after another. On a large
// block the tiles are shared out among threads, each tile wholly on one, so
// the sums do not depend on the threads.
class CrossProducts {
public:
    CrossProducts(const Matrix& X, std::int32_t nRow, std::int32_t nCol, const std::vector<double>& mean)
        : m_width((static_cast<std::size_t>(nCol) + kTile - 1) / kTile * kTile), m_sums(m_width * m_width, 0.0)
    {
        std::vector<Tile> tiles;
        for (std::size_t i0 = 0; i0 < m_width; i0 += kTile) {
            for (std::size_t j0 = 0; j0 <= i0; j0 += kTile) {
                tiles.push_back({i0, j0});
            }
        }
        const double work = static_cast<double>(nRow) * static_cast<double>(tiles.size()) * kTile * kTile;
        const std::size_t threads =
            work < kThreadedWork ? 1 : std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, tiles.size());
        // Consecutive tiles to each thread: the slices differ by one tile at most.
        auto slice = [&](std::size_t t) {
            return std::span<const Tile>(tiles).subspan(t * tiles.size() / threads,
                                                        (t + 1) * tiles.size() / threads - t * tiles.size() / threads);
        };
        std::vector<std::exception_ptr> errors(threads);
        {
            std::vector<std::jthread> helpers;
            for (std::size_t t = 1; t < threads; ++t) {
                try {
                    helpers.emplace_back([&, t] {
                        try {
                            sumTiles(X, nRow, nCol, mean, slice(t));
                        } catch (...) {
                            errors[t] = std::current_exception();
                        }
                    });
                } catch (const std::system_error&) {
                    // No thread to be had: the calling thread takes this slice.
                    sumTiles(X, nRow, nCol, mean, slice(t));
                }
            }
            sumTiles(X, nRow, nCol, mean, slice(0));
        }
        for (const std::exception_ptr& error : errors) {
            if (error) {
                std::rethrow_exception(error);
            }
        }
    }

    [[nodiscard]] double operator()(std::size_t i, std::size_t j) const { return m_sums[i * m_width + j]; }

private:
    static constexpr std::size_t kTile = 4;
    static constexpr std::size_t kChunk = 128;
    // Products below this many are summed on the calling thread alone.
    static constexpr double kThreadedWork = 4.0e6;
    using Pair = double __attribute__((vector_size(16)));

    struct Tile {
        std::size_t i0;
        std::size_t j0;
    };

    // The sums of the given tiles over every row. Deviations of one chunk of
    // rows at a time, row by row; the columns that round the width up to
    // whole tiles hold zeros.
    void sumTiles(const Matrix& X, std::int32_t nRow, std::int32_t nCol, const std::vector<double>& mean,
                  std::span<const Tile> tiles)
    {
        const auto rows = static_cast<std::size_t>(nRow);
        const auto cols = static_cast<std::size_t>(nCol);
        std::vector<double> dev(kChunk * m_width, 0.0);
        for (std::size_t k0 = 0; k0 < rows; k0 += kChunk) {
            const std::size_t k1 = std::min(rows, k0 + kChunk);
            for (std::size_t k = k0; k < k1; ++k) {
                double* d = dev.data() + (k - k0) * m_width;
                for (std::size_t c = 0; c < cols; ++c) {
                    d[c] = X(k, c) - mean[c];
                }
            }
            for (const Tile& t : tiles) {
                tile(dev.data(), k1 - k0, t.i0, t.j0);
            }
        }
    }

    void tile(const double* dev, std::size_t count, std::size_t i0, std::size_t j0)
    {
        Pair acc[kTile][2];
        for (std::size_t a = 0; a < kTile; ++a) {
            __builtin_memcpy(&acc[a][0], &m_sums[(i0 + a) * m_width + j0], sizeof(Pair));
            __builtin_memcpy(&acc[a][1], &m_sums[(i0 + a) * m_width + j0 + 2], sizeof(Pair));
        }
        for (std::size_t k = 0; k < count; ++k) {
            const double* row = dev + k * m_width;
            Pair lo;
            Pair hi;
            __builtin_memcpy(&lo, row + j0, sizeof lo);
            __builtin_memcpy(&hi, row + j0 + 2, sizeof hi);
            for (std::size_t a = 0; a < kTile; ++a) {
                const Pair x = {row[i0 + a], row[i0 + a]};
                acc[a][0] += x * lo;
                acc[a][1] += x * hi;
            }
        }
        for (std::size_t a = 0; a < kTile; ++a) {
            __builtin_memcpy(&m_sums[(i0 + a) * m_width + j0], &acc[a][0], sizeof(Pair));
            __builtin_memcpy(&m_sums[(i0 + a) * m_width + j0 + 2], &acc[a][1], sizeof(Pair));
        }
    }

    std::size_t m_width;
    std::vector<double> m_sums;
};

// Sums of squares and cross product about the means of the pairs (x(k), y(k))
// in which neither equals the code. Two passes: means first, deviations after.
struct PairMoments {
    std::int32_t n = 0;
    double sxx = 0;
    double syy = 0;
    double sxy = 0;
    bool xConstant = true;
    bool yConstant = true;
};

PairMoments pairMoments(std::span<const double> x, std::span<const double> y, double code, const char* source)
{
    PairMoments m;
    double sx = 0;
    double sy = 0;
    double firstX = 0;
    double firstY = 0;
    for (std::size_t k = 0; k < x.size(); ++k) {
        if (x[k] == code || y[k] == code) {
            continue;
        }
        if (m.n == 0) {
            firstX = x[k];
            firstY = y[k];
        }
        m.xConstant = m.xConstant && x[k] == firstX;
        m.yConstant = m.yConstant && y[k] == firstY;
        sx += x[k];
        sy += y[k];
        ++m.n;
    }
    const double mx = checkedDiv(sx, m.n, source);
    const double my = checkedDiv(sy, m.n, source);
    for (std::size_t k = 0; k < x.size(); ++k) {
        if (x[k] == code || y[k] == code) {
            continue;
        }
        m.sxx += (x[k] - mx) * (x[k] - mx);
        m.syy += (y[k] - my) * (y[k] - my);
        m.sxy += (x[k] - mx) * (y[k] - my);
    }
    return m;
}

double corrPair(std::span<const double> x, std::span<const double> y, double code)
{
    const PairMoments m = pairMoments(x, y, code, "CorrPairMissing");
    if (m.n < 2 || m.xConstant || m.yConstant) {
        // No spread over the usable rows: the correlation is 0/0.
        raiseRuntime(platform::err::Overflow, "CorrPairMissing");
    }
    return checkedDiv(m.sxy, std::sqrt(m.syy * m.sxx), "CorrPairMissing");
}

double covPair(std::span<const double> x, std::span<const double> y, double code)
{
    const PairMoments m = pairMoments(x, y, code, "CovPairMissing");
    return checkedDiv(m.sxy, m.n - 1.0, "CovPairMissing");
}

void checkPair(const Matrix& X, std::int32_t nRow, std::int32_t i, std::int32_t j, const char* source)
{
    if (i < 0 || j < 0) {
        raiseRuntime(platform::err::Subscript, source);
    }
    checkBlock(X, nRow, std::max(i, j) + 1, source);
}

std::vector<double> columnOf(const Matrix& X, std::int32_t nRow, std::int32_t c)
{
    std::vector<double> column(static_cast<std::size_t>(nRow));
    for (std::size_t k = 0; k < column.size(); ++k) {
        column[k] = X(k, static_cast<std::size_t>(c));
    }
    return column;
}


// Calls f(i, j) for every pair j < i of nCol columns in row order, with the
// progress running from 0 over the number of pairs.
template <class F>
void forEachLowerPair(std::int32_t nCol, Progress* progress, F&& f)
{
    pd::setMinimum(progress, 0);
    pd::setMaximum(progress, pairCount(nCol));
    double done = 0;
    for (std::int32_t i = 1; i < nCol; ++i) {
        for (std::int32_t j = 0; j < i; ++j) {
            f(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
            pd::setValue(progress, done);
            done += 1;
        }
    }
}

} // namespace

std::vector<double> GetMultMean(const Matrix& X, std::int32_t nCol, std::int32_t nRow)
{
    checkBlock(X, nRow, nCol, "GetMultMean");
    if (nRow == 0) {
        raiseReport("GetMultMean", "The input array is empty.");
    }
    // Row by row, each column's sum still taken from row 0 down.
    const auto cols = static_cast<std::size_t>(nCol);
    std::vector<double> sums(cols, 0.0);
    for (std::size_t k = 0; k < static_cast<std::size_t>(nRow); ++k) {
        const double* x = X.data() + k * X.cols();
        for (std::size_t i = 0; i < cols; ++i) {
            sums[i] += x[i];
        }
    }
    std::vector<double> means(cols);
    for (std::size_t i = 0; i < cols; ++i) {
        means[i] = checkedFinite(sums[i] / nRow, "GetMultMean");
    }
    return means;
}

void GetCPLM(const Matrix& X, Matrix& CP, std::int32_t nRow, std::int32_t nCol, Progress* progress,
             std::vector<double>* means)
{
    if (nRow < 2) {
        raiseReport("GetCPLM", "At least two rows of data are needed.");
    }
    checkBlock(X, nRow, nCol, "GetCPLM");
    checkResult(CP, nCol, "GetCPLM");
    const std::vector<double> mean = GetMultMean(X, nCol, nRow);

    const CrossProducts cp(X, nRow, nCol, mean);
    forEachLowerPair(nCol, progress,
                     [&](std::size_t i, std::size_t j) { CP(i, j) = checkedFinite(cp(i, j), "GetCPLM"); });
    pd::setValue(progress, 0);
    if (means != nullptr) {
        *means = mean;
    }
}

namespace {

// The centred cross products of X's columns and their means, after the
// checks the correlation and covariance matrices share: fewer than two rows
// raise a report from `reportSource` with `fewRows`, a short block or a
// result smaller than nCol x nCol a runtime error from `source`.
struct CentredProducts {
    Matrix cp;
    std::vector<double> mean;
};

CentredProducts centredProducts(const Matrix& X, const Matrix& result, std::int32_t nRow, std::int32_t nCol,
                                Progress* progress, const char* source, const char* reportSource,
                                const char* fewRows)
{
    if (nRow < 2) {
        raiseReport(reportSource, fewRows);
    }
    checkBlock(X, nRow, nCol, source);
    checkResult(result, nCol, source);
    const std::size_t nc = static_cast<std::size_t>(nCol);
    CentredProducts products{Matrix(nc, nc), {}};
    GetCPLM(X, products.cp, nRow, nCol, progress, &products.mean);
    return products;
}

} // namespace

void GetCorrMat(const Matrix& X, Matrix& R, std::int32_t nRow, std::int32_t nCol, Progress* progress)
{
    const auto [cp, mean] = centredProducts(X, R, nRow, nCol, progress, "GetCorrMat", "GetCorrMat:",
                                            "At least two rows of data are needed.");

    const std::vector<ColumnSpread> spread = columnSpreads(X, nRow, nCol, mean);
    pd::setMinimum(progress, 0);
    pd::setMaximum(progress, nCol);
    for (std::int32_t i = 0; i < nCol; ++i) {
        pd::setValue(progress, i);
    }

    pd::setMaximum(progress, pairCount(nCol));
    double done = 0;
    for (std::int32_t i = 1; i < nCol; ++i) {
        for (std::int32_t j = 0; j < i; ++j) {
            const std::size_t ci = static_cast<std::size_t>(i);
            const std::size_t cj = static_cast<std::size_t>(j);
            if (spread[ci].constant || spread[cj].constant) {
                // A constant column has no spread: the correlation is 0/0.
                raiseRuntime(platform::err::Overflow, "GetCorrMat");
            }
            R(ci, cj) = checkedDiv(cp(ci, cj), std::sqrt(spread[cj].ss * spread[ci].ss), "GetCorrMat");
            pd::setValue(progress, done);
            done += 1;
        }
    }
}

void GetCovMat(const Matrix& X, Matrix& V, std::int32_t nRow, std::int32_t nCol, Progress* progress)
{
    // Named rather than bound: the lambda below captures cp, and clang
    // before 16 cannot capture a structured binding.
    const CentredProducts products =
        centredProducts(X, V, nRow, nCol, progress, "GetCovMat", "GetCovMat",
                        "At least two variables are needed for calculating covariance matrix.");
    const Matrix& cp = products.cp;
    const std::vector<double>& mean = products.mean;

    const double divisor = nRow - 1.0;
    forEachLowerPair(nCol, progress,
                     [&](std::size_t i, std::size_t j) { V(i, j) = checkedDiv(cp(i, j), divisor, "GetCovMat"); });
    pd::setMaximum(progress, nCol);
    const std::vector<ColumnSpread> spread = columnSpreads(X, nRow, nCol, mean);
    for (std::int32_t i = 0; i < nCol; ++i) {
        const std::size_t ci = static_cast<std::size_t>(i);
        V(ci, ci) = checkedDiv(spread[ci].ss, divisor, "GetCovMat");
        pd::setValue(progress, i);
    }
}

double CorrPairMissing(const Matrix& X, std::int32_t nRow, std::int32_t /*nCol*/, std::int32_t i, std::int32_t j,
                       double code)
{
    checkPair(X, nRow, i, j, "CorrPairMissing");
    return corrPair(columnOf(X, nRow, i), columnOf(X, nRow, j), code);
}

double CovPairMissing(const Matrix& X, std::int32_t nRow, std::int32_t /*nCol*/, std::int32_t i, std::int32_t j,
                      double code)
{
    checkPair(X, nRow, i, j, "CovPairMissing");
    return covPair(columnOf(X, nRow, i), columnOf(X, nRow, j), code);
}

void GetCorrMatMissing(const Matrix& X, Matrix& R, std::int32_t nRow, std::int32_t nCol, Progress* progress,
                       double code)
{
    if (nCol < 2) {
        return;
    }
    checkBlock(X, nRow, nCol, "GetCorrMatMissing");
    checkResult(R, nCol, "GetCorrMatMissing");
    const std::vector<std::vector<double>> columns = columnsOf(X, nRow, nCol);
    forEachLowerPair(nCol, progress,
                     [&](std::size_t i, std::size_t j) { R(i, j) = corrPair(columns[i], columns[j], code); });
    pd::setValue(progress, 0);
}

void GetCovMatMissing(const Matrix& X, Matrix& V, std::int32_t nRow, std::int32_t nCol, Progress* progress,
                      double code)
{
    checkBlock(X, nRow, nCol, "GetCovMatMissing");
    checkResult(V, nCol, "GetCovMatMissing");
    const std::vector<std::vector<double>> columns = columnsOf(X, nRow, nCol);
    forEachLowerPair(nCol, progress,
                     [&](std::size_t i, std::size_t j) { V(i, j) = covPair(columns[i], columns[j], code); });
    pd::setMaximum(progress, nCol);
    for (std::int32_t i = 0; i < nCol; ++i) {
        const std::size_t ci = static_cast<std::size_t>(i);
        V(ci, ci) = covPair(columns[ci], columns[ci], code);
        pd::setValue(progress, i);
    }
    pd::setValue(progress, 0);
}

// ---- Descriptive statistics and t tests -------------------------------------

double Bico(std::int32_t n, double k1, double k2, double k3, double k4)
{
    const auto f = [](double v) { return mNumRec::FactLn(platform::rt::CInt(v)); };
    const double ln = f(n) - f(k1) - f(k2) - f(k3) - f(k4);
    return checkedFinite(std::exp(ln), "Bico");
}

std::vector<double> Count2Freq(std::span<const double> counts, std::int32_t n, double* total)
{
    checkCount(counts, n, "Count2Freq");
    double sum = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        sum += counts[static_cast<std::size_t>(i)];
    }
    sum = checkedFinite(sum, "Count2Freq");
    if (total != nullptr) {
        *total = sum;
    }
    std::vector<double> freq;
    if (sum > 0) {
        freq.resize(static_cast<std::size_t>(n));
        for (std::int32_t i = 0; i < n; ++i) {
            freq[static_cast<std::size_t>(i)] = counts[static_cast<std::size_t>(i)] / sum;
        }
    }
    return freq;
}

double AMean(std::span<const double> x, std::int64_t n)
{
    checkCount(x, n, "AMean");
    if (n == 0) {
        raiseReport("AMean", "The input array is empty.");
    }
    double sum = 0;
    for (std::int64_t i = 0; i < n; ++i) {
        sum += x[static_cast<std::size_t>(i)];
    }
    return checkedDiv(sum, static_cast<double>(n), "AMean");
}

double GetVariance(std::span<const double> x, std::int32_t n)
{
    checkCount(x, n, "GetVariance");
    double sum = 0;
    bool constant = true;
    for (std::int32_t i = 0; i < n; ++i) {
        sum += x[static_cast<std::size_t>(i)];
        constant = constant && x[static_cast<std::size_t>(i)] == x[0];
    }
    // The divisor (n - 1) n is 0 for n of 0 or 1: 0/0.
    if (n < 2) {
        raiseRuntime(platform::err::Overflow, "GetVariance");
    }
    if (constant) {
        return 0.0;
    }
    const double mean = sum / n;
    double ss = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const double d = x[static_cast<std::size_t>(i)] - mean;
        ss += d * d;
    }
    return checkedDiv(ss, n - 1.0, "GetVariance");
}

WelchTest TTestUnequalVar(double mean1, double variance1, double size1, double mean2, double variance2,
                          double size2)
{
    constexpr const char* source = "TTestUnequalVar";
    const double a = checkedDiv(variance1, size1, source);
    const double b = checkedDiv(variance2, size2, source);
    WelchTest out;
    out.se = numeric::checkedSqrt(a + b, source);
    out.t = checkedDiv(std::fabs(mean1 - mean2), out.se, source);
    out.df = checkedDiv((a + b) * (a + b),
                        checkedDiv(a * a, size1 - 1.0, source) + checkedDiv(b * b, size2 - 1.0, source), source);
    return out;
}

double GetTCV(std::int32_t df)
{
    // Entry k: the 0.975 quantile of Student's t for k + 1 degrees of freedom,
    // rounded to four decimals; the entries for 4, 15 and 95 degrees of freedom
    // are the program's own values (one unit off in the fourth decimal) and
    // are kept so that reports do not change.
    static constexpr std::array<double, 200> table{
        12.7062, 4.3027, 3.1824, 2.7765, 2.5706, 2.4469, 2.3646, 2.306,  2.2622, 2.2281, 2.201,  2.1788, 2.1604,
        2.1448,  2.1315, 2.1199, 2.1098, 2.1009, 2.093,  2.086,  2.0796, 2.0739, 2.0687, 2.0639, 2.0595, 2.0555,
        2.0518,  2.0484, 2.0452, 2.0423, 2.0395, 2.0369, 2.0345, 2.0322, 2.0301, 2.0281, 2.0262, 2.0244, 2.0227,
        2.0211,  2.0195, 2.0181, 2.0167, 2.0154, 2.0141, 2.0129, 2.0117, 2.0106, 2.0096, 2.0086, 2.0076, 2.0066,
        2.0057,  2.0049, 2.004,  2.0032, 2.0025, 2.0017, 2.001,  2.0003, 1.9996, 1.999,  1.9983, 1.9977, 1.9971,
        1.9966,  1.996,  1.9955, 1.9949, 1.9944, 1.9939, 1.9935, 1.993,  1.9925, 1.9921, 1.9917, 1.9913, 1.9908,
        1.9905,  1.9901, 1.9897, 1.9893, 1.989,  1.9886, 1.9883, 1.9879, 1.9876, 1.9873, 1.987,  1.9867, 1.9864,
        1.9861,  1.9858, 1.9855, 1.9852, 1.985,  1.9847, 1.9845, 1.9842, 1.984,  1.9837, 1.9835, 1.9833, 1.983,
        1.9828,  1.9826, 1.9824, 1.9822, 1.982,  1.9818, 1.9816, 1.9814, 1.9812, 1.981,  1.9808, 1.9806, 1.9804,
        1.9803,  1.9801, 1.9799, 1.9798, 1.9796, 1.9794, 1.9793, 1.9791, 1.979,  1.9788, 1.9787, 1.9785, 1.9784,
        1.9782,  1.9781, 1.978,  1.9778, 1.9777, 1.9776, 1.9774, 1.9773, 1.9772, 1.9771, 1.9769, 1.9768, 1.9767,
        1.9766,  1.9765, 1.9763, 1.9762, 1.9761, 1.976,  1.9759, 1.9758, 1.9757, 1.9756, 1.9755, 1.9754, 1.9753,
        1.9752,  1.9751, 1.975,  1.9749, 1.9748, 1.9747, 1.9746, 1.9745, 1.9744, 1.9744, 1.9743, 1.9742, 1.9741,
        1.974,   1.9739, 1.9739, 1.9738, 1.9737, 1.9736, 1.9735, 1.9735, 1.9734, 1.9733, 1.9732, 1.9732, 1.9731,
        1.973,   1.9729, 1.9729, 1.9728, 1.9727, 1.9727, 1.9726, 1.9725, 1.9725, 1.9724, 1.9723, 1.9723, 1.9722,
        1.9721,  1.9721, 1.972,  1.972,  1.9719};
    if (df <= 0) {
        raiseRuntime(platform::err::Subscript, "GetTCV");
    }
    if (df <= 200) {
        return table[static_cast<std::size_t>(df - 1)];
    }
    return 1.96 + 2.0 / df;
}

std::vector<double> Base0To1(std::span<const double> src, std::int64_t n)
{
    checkCount(src, n, "Base0To1");
    std::vector<double> dst(static_cast<std::size_t>(n) + 1, 0.0);
    for (std::int64_t i = 1; i <= n; ++i) {
        dst[static_cast<std::size_t>(i)] = src[static_cast<std::size_t>(i - 1)];
    }
    return dst;
}

std::vector<double> Base1To0(std::span<const double> src, std::int64_t n)
{
    if (n < 0) {
        raiseRuntime(platform::err::InvalidCall, "Base1To0");
    }
    if (n > 0 && src.size() < static_cast<std::size_t>(n) + 1) {
        raiseRuntime(platform::err::Subscript, "Base1To0");
    }
    std::vector<double> dst(static_cast<std::size_t>(n));
    for (std::int64_t i = 1; i <= n; ++i) {
        dst[static_cast<std::size_t>(i - 1)] = src[static_cast<std::size_t>(i)];
    }
    return dst;
}

} // namespace MathStat
