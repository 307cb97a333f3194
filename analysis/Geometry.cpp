#include "analysis/Geometry.h"

#include <array>
#include <optional>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <span>
#include <vector>
#include <string>

#include "analysis/PairLoop.h"
#include "numeric/Checked.h"
#include "numeric/MatB.h"
#include "numeric/MathStat.h"
#include "numeric/mNumRec.h"
#include "numeric/Trigonometry.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace Geometry {

namespace detail {

using numeric::checkedDiv;
using numeric::checkedFinite;
using numeric::checkedSqrt;

// A vector of a data block: element k at p[k * stride].
struct View {
    const double* p;
    std::ptrdiff_t stride;
    [[nodiscard]] double operator[](std::int64_t k) const noexcept { return p[k * stride]; }
};

enum class Measure { SS, Euclid, CB, PR, Chord, Geodesic };

// How a measure is finished; fixed per driver or worker.
struct Recipe {
    Measure measure;
    bool hasCode;
    double code;
    bool byCol;               // columns (true) or rows
    std::int32_t numCol;      // the row workers' divisor
    const char* source;       // the worker's name for errors
};

[[nodiscard]] inline bool used(double x, double y, const Recipe& r) noexcept
{
    return !r.hasCode || (x != r.code && y != r.code);
}

// The squared-difference measures from their sum over m used positions.
double finishSquares(double s, std::int64_t m, const Recipe& r)
{
    if (r.hasCode) {
        return checkedFinite(std::sqrt(checkedDiv(s, static_cast<double>(m), r.source)), r.source);
    }
    if (r.measure == Measure::Euclid && !r.byCol) {
        return checkedFinite(std::sqrt(checkedDiv(s, r.numCol, r.source)), r.source);
    }
    return checkedFinite(std::sqrt(s), r.source);
}

// The mean absolute difference from its sum over m positions.
double finishAbsolute(double s, std::int64_t m, const Recipe& r)
{
    return checkedFinite(checkedDiv(s, static_cast<double>(m), r.source), r.source);
}

// One pair: the sums in position order, then the measure's formula.
double pairValue(View x, View y, std::int64_t n, const Recipe& r)
{
    switch (r.measure) {
    case Measure::SS:
    case Measure::Euclid: {
        double s = 0;
        std::int64_t m = 0;
        for (std::int64_t k = 0; k < n; ++k) {
            const double a = x[k];
            const double b = y[k];
            if (used(a, b, r)) {
                const double d = a - b;
                s += d * d;
                ++m;
            }
        }
        return finishSquares(s, m, r);
    }
    case Measure::CB: {
        double s = 0;
        std::int64_t m = 0;
        for (std::int64_t k = 0; k < n; ++k) {
            const double a = x[k];
            const double b = y[k];
            if (used(a, b, r)) {
                s += std::fabs(a - b);
                ++m;
            }
        }
        return finishAbsolute(s, r.hasCode ? m : n, r);
    }
    case Measure::PR: {
        double smin = 0;
        double smax = 0;
        for (std::int64_t k = 0; k < n; ++k) {
            const double a = x[k];
            const double b = y[k];
            if (used(a, b, r)) {
                if (a > b) {
                    smin += b;
                    smax += a;
                } else {
                    smin += a;
                    smax += b;
                }
            }
        }
        return checkedFinite(100.0 - checkedDiv(smin * 100.0, smax, r.source), r.source);
    }
    case Measure::Chord:
    case Measure::Geodesic: {
        double sxy = 0;
        double sxx = 0;
        double syy = 0;
        for (std::int64_t k = 0; k < n; ++k) {
            const double a = x[k];
            const double b = y[k];
            if (used(a, b, r)) {
                sxy += a * b;
                sxx += a * a;
                syy += b * b;
            }
        }
        const double cosine = checkedDiv(sxy, checkedSqrt(checkedFinite(syy * sxx, r.source), r.source), r.source);
        if (r.measure == Measure::Chord) {
            return checkedFinite(2.0 * (1.0 - cosine), r.source);
        }
        return Trigonometry::ArcCos(cosine);
    }
    }
    return 0;
}

// ---- Block and index checks -----------------------------------------------------

void checkCounts(const Matrix& data, std::int32_t numRow, std::int32_t numCol, const char* source)
{
    if (numRow < 0 || numCol < 0) {
        throw platform::Error::runtime(platform::err::InvalidCall, source);
    }
    if (data.rows() < static_cast<std::size_t>(numRow) || data.cols() < static_cast<std::size_t>(numCol)) {
        throw platform::Error(platform::err::Subscript, source,
                              "The data block holds fewer rows or columns than the counts given.");
    }
}

// Every cell of the block must be a finite number.
void checkCells(const Matrix& data, std::int32_t numRow, std::int32_t numCol, const char* source)
{
    for (std::int32_t r = 0; r < numRow; ++r) {
        for (std::int32_t c = 0; c < numCol; ++c) {
            if (!std::isfinite(data(static_cast<std::size_t>(r), static_cast<std::size_t>(c)))) {
                throw platform::Error(platform::err::TypeMismatch, source,
                                      "Type mismatch: the cell in row " + platform::rt::CStr(r + 1) + ", column " +
                                          platform::rt::CStr(c + 1) + " is not a number.");
            }
        }
    }
}

// Item indices of a worker: 0 .. count - 1. label is the message stem
// ("CBDisTwoRow"), first and second the argument names, countName the bound.
void checkItem(std::int32_t index, std::int32_t count, const char* label, const char* argument, const char* countName,
               const char* source)
{
    if (index > count - 1) {
        throw platform::Error(platform::err::Subscript, source,
                              std::string(label) + ": " + argument + " > " + countName);
    }
    if (index < 0) {
        throw platform::Error(platform::err::Subscript, source, std::string(label) + ": " + argument + " < 0");
    }
}

// A worker on rows (Data(Row, k), k < NumCol) or columns (Data(k, Col), k < NumRow).
double worker(const Matrix& data, std::int32_t numRow, std::int32_t numCol, std::int32_t item1, std::int32_t item2,
              bool byCol, Measure measure, bool hasCode, double code, const char* source, const char* label)
{
    checkCounts(data, numRow, numCol, source);
    if (byCol) {
        checkItem(item1, numCol, label, "Col1", "NumCol", source);
        checkItem(item2, numCol, label, "Col2", "NumCol", source);
    } else {
        checkItem(item1, numRow, label, "Row1", "NumRow", source);
        checkItem(item2, numRow, label, "Row2", "NumRow", source);
    }
    const Recipe recipe{measure, hasCode, code, byCol, numCol, source};
    const auto stride = static_cast<std::ptrdiff_t>(data.cols());
    if (byCol) {
        const View x{data.data() + item1, stride};
        const View y{data.data() + item2, stride};
        return pairValue(x, y, numRow, recipe);
    }
    const View x{data.data() + static_cast<std::ptrdiff_t>(item1) * stride, 1};
    const View y{data.data() + static_cast<std::ptrdiff_t>(item2) * stride, 1};
    return pairValue(x, y, numCol, recipe);
}

// The items as contiguous vectors, item by item (n items of length len).
struct Items {
    std::int64_t n = 0;
    std::int64_t len = 0;
    std::vector<double> cells;
    [[nodiscard]] const double* item(std::int64_t i) const noexcept { return cells.data() + i * len; }
};

Items gatherItems(const Matrix& data, std::int32_t numRow, std::int32_t numCol, bool byCol, const char* source)
{
    Items items;
    items.n = byCol ? numCol : numRow;
    items.len = byCol ? numRow : numCol;
    analysis::checkMemory(static_cast<std::uint64_t>(items.n) * static_cast<std::uint64_t>(items.len) * sizeof(double),
                          "The copy of the data", source);
    items.cells.resize(static_cast<std::size_t>(items.n * items.len));
    for (std::int64_t i = 0; i < items.n; ++i) {
        double* out = items.cells.data() + i * items.len;
        for (std::int64_t k = 0; k < items.len; ++k) {
            out[k] = byCol ? data(static_cast<std::size_t>(k), static_cast<std::size_t>(i))
                           : data(static_cast<std::size_t>(i), static_cast<std::size_t>(k));
        }
    }
    return items;
}

// Adds the driver and the failing pair to an error's trail.
void addPairTrail(platform::Error& error, const char* driver, std::int64_t i, std::int64_t j)
{
    error.appendTrail(driver, "between items " + platform::rt::CStr(j + 1) + " and " + platform::rt::CStr(i + 1));
}

// Row i of disMat pair by pair; a failing pair is named in the error.
template <class PairFn>
void fillRowByPairs(DistanceMatrix& disMat, std::int64_t i, const char* driver, PairFn& pairFn)
{
    double* out = disMat.row(i);
    for (std::int64_t j = 0; j < i; ++j) {
        try {
            out[j] = pairFn(i, j);
        } catch (platform::Error& error) {
            addPairTrail(error, driver, i, j);
            throw;
        }
    }
}

// The common frame: checks, a fresh DisMat, every pair through pairFn(i, j).
template <class PairFn>
void fillPairs(const Items& items, DistanceMatrix& disMat, Progress* pb, const char* driver, PairFn pairFn)
{
    disMat = DistanceMatrix(items.n, driver);
    analysis::detail::forEachRow(items.n, static_cast<double>(items.len), pb,
                                 [&](std::int64_t i) { fillRowByPairs(disMat, i, driver, pairFn); });
}

// Pairs summed together by the blocked row loop below.
constexpr std::int64_t kBlock = 8;

// The items in whole blocks of kBlock, each block position by position:
// block c holds item c kBlock + b at position k in cell (c len + k) kBlock + b,
// so that one position of a block's kBlock items is one contiguous run.
std::vector<double> interleaveBlocks(const Items& items, const char* source)
{
    const std::int64_t blocks = items.n / kBlock;
    analysis::checkMemory(static_cast<std::uint64_t>(blocks * kBlock * items.len) * sizeof(double),
                          "The blocked copy of the data", source);
    std::vector<double> out(static_cast<std::size_t>(blocks * kBlock * items.len));
    for (std::int64_t c = 0; c < blocks; ++c) {
        double* block = out.data() + c * kBlock * items.len;
        for (std::int64_t b = 0; b < kBlock; ++b) {
            const double* item = items.item(c * kBlock + b);
            for (std::int64_t k = 0; k < items.len; ++k) {
                block[k * kBlock + b] = item[k];
            }
        }
    }
    return out;
}

// The same for measures that are one sum of op(x(k), y(k)) over all
// positions: a row's pairs are summed kBlock at a time from the interleaved
// copy, each into its own sum in position order, so every pair gets exactly
// the bits of a one-pair loop (pairFn) while the kBlock sums of a position
// are added side by side (op takes a number and a vector of kLanes of
// them). finish(sum, i, j) gives the distance. Rows are taken kRunRows at a
// time and each block of items serves all of them while it is in the cache,
// instead of being fetched from memory again for every row. A failing run is
// redone pair by pair to name the first failing pair.
constexpr std::int64_t kRunRows = 16;
constexpr std::size_t kLanes = 2;
constexpr std::size_t kVectors = static_cast<std::size_t>(kBlock) / kLanes;
using Lanes = double __attribute__((vector_size(kLanes * sizeof(double))));

template <class Op, class Finish, class PairFn>
void fillPairsBlocked(const Items& items, DistanceMatrix& disMat, Progress* pb, const char* driver, Op op,
                      Finish finish, PairFn pairFn)
{
    disMat = DistanceMatrix(items.n, driver);
    const std::int64_t len = items.len;
    const std::vector<double> blocked = interleaveBlocks(items, driver);
    analysis::detail::forEachRowRun(items.n, kRunRows, static_cast<double>(len), pb, [&](std::int64_t first,
                                                                                         std::int64_t end) {
        try {
            // Whole blocks: the block of items j .. j + kBlock - 1 for every
            // row of the run after its last item.
            for (std::int64_t j = 0; j + kBlock < end; j += kBlock) {
                const double* block = blocked.data() + j * len;
                for (std::int64_t i = std::max(first, j + kBlock); i < end; ++i) {
                    const double* x = items.item(i);
                    std::array<Lanes, kVectors> sums{};
                    for (std::int64_t k = 0; k < len; ++k) {
                        for (std::size_t v = 0; v < kVectors; ++v) {
                            Lanes y;
                            std::memcpy(&y, block + k * kBlock + static_cast<std::int64_t>(v * kLanes), sizeof y);
                            sums[v] += op(x[k], y);
                        }
                    }
                    double* out = disMat.row(i);
                    for (std::size_t v = 0; v < kVectors; ++v) {
                        for (std::size_t l = 0; l < kLanes; ++l) {
                            const std::int64_t at = j + static_cast<std::int64_t>(v * kLanes + l);
                            out[at] = finish(sums[v][l], i, at);
                        }
                    }
                }
            }
            // The items after the last whole block before each row.
            for (std::int64_t i = first; i < end; ++i) {
                const double* x = items.item(i);
                double* out = disMat.row(i);
                for (std::int64_t j = i / kBlock * kBlock; j < i; ++j) {
                    const double* y = items.item(j);
                    double s = 0;
                    for (std::int64_t k = 0; k < len; ++k) {
                        s += op(x[k], y[k]);
                    }
                    out[j] = finish(s, i, j);
                }
            }
        } catch (const platform::Error&) {
            for (std::int64_t i = first; i < end; ++i) {
                fillRowByPairs(disMat, i, driver, pairFn);
            }
            throw;
        }
    });
}

void driver(const Matrix& data, std::int32_t numRow, std::int32_t numCol, DistanceMatrix& disMat, bool byCol,
            Progress* pb, const Missing& missing, Measure measure, const char* name, const char* rowWorker,
            const char* colWorker, const char* rowMissingWorker, const char* colMissingWorker)
{
    checkCounts(data, numRow, numCol, name);
    checkCells(data, numRow, numCol, name);
    const Items items = gatherItems(data, numRow, numCol, byCol, name);
    const char* workerName = missing ? (byCol ? colMissingWorker : rowMissingWorker) : (byCol ? colWorker : rowWorker);
    const Recipe recipe{measure, missing.has_value(), missing.value_or(0.0), byCol, numCol, workerName};
    auto pair = [&](std::int64_t i, std::int64_t j) {
        return pairValue(View{items.item(i), 1}, View{items.item(j), 1}, items.len, recipe);
    };
    if (!recipe.hasCode && (measure == Measure::SS || measure == Measure::Euclid)) {
        fillPairsBlocked(
            items, disMat, pb, name,
            [](double a, auto b) {
                const auto d = a - b;
                return d * d;
            },
            [&](double sum, std::int64_t, std::int64_t) { return finishSquares(sum, items.len, recipe); }, pair);
    } else if (!recipe.hasCode && measure == Measure::CB) {
        fillPairsBlocked(
            items, disMat, pb, name,
            [](double a, auto b) {
                const auto d = a - b;
                if constexpr (std::is_same_v<decltype(d), const double>) {
                    return std::fabs(d);
                } else {
                    // -0 stays -0 here, which adds to a sum as +0 does.
                    return d < 0 ? -d : d;
                }
            },
            [&](double sum, std::int64_t, std::int64_t) { return finishAbsolute(sum, items.len, recipe); }, pair);
    } else {
        fillPairs(items, disMat, pb, name, pair);
    }
}

// ---- Correlation distances ------------------------------------------------------

// Centred values and sums of squares about the mean, per item, in the
// arithmetic of the correlation matrix routines (mean = sum / n, then the
// deviations), so that 1 - r here equals 1 - r there.
struct Centred {
    Items dev;
    std::vector<double> ss;
    std::vector<unsigned char> constant;
};

Centred centre(Items items)
{
    Centred c;
    c.ss.assign(static_cast<std::size_t>(items.n), 0.0);
    c.constant.assign(static_cast<std::size_t>(items.n), 1);
    for (std::int64_t i = 0; i < items.n; ++i) {
        double* v = items.cells.data() + i * items.len;
        double sum = 0;
        for (std::int64_t k = 0; k < items.len; ++k) {
            sum += v[k];
        }
        const double mean = checkedFinite(sum / static_cast<double>(items.len), "GetMultMean");
        double ss = 0;
        bool constant = true;
        const double first = items.len > 0 ? v[0] : 0.0;
        for (std::int64_t k = 0; k < items.len; ++k) {
            constant = constant && v[k] == first;
            v[k] -= mean;
            ss += v[k] * v[k];
        }
        c.ss[static_cast<std::size_t>(i)] = ss;
        c.constant[static_cast<std::size_t>(i)] = constant ? 1 : 0;
    }
    c.dev = std::move(items);
    return c;
}

// Replaces the values v(0 .. len - 1) by their midranks, in the way of the
// rank correlation routines (sort with the positions, rank, sort back), and
// returns the tie sum.
double rankItem(double* v, std::int64_t len)
{
    std::vector<double> position(static_cast<std::size_t>(len));
    for (std::int64_t k = 0; k < len; ++k) {
        position[static_cast<std::size_t>(k)] = static_cast<double>(k + 1);
    }
    const std::span<double> values(v, static_cast<std::size_t>(len));
    mNumRec::HeapSort2(len, values, position);
    const double tieSum = mNumRec::RankTies(len, values);
    mNumRec::HeapSort2(len, position, values);
    return tieSum;
}

[[noreturn]] void constantItem(std::int64_t item, const char* source)
{
    throw platform::Error(platform::err::Overflow, source,
                          "Item " + platform::rt::CStr(item + 1) +
                              " has the same value everywhere, so its correlation is undefined.");
}

// Tie-corrected Spearman coefficient from the squared rank differences d,
// the tie sums sf, sg and the count c (the formula of the rank routines).
double spearmanFromRanks(double d, double sf, double sg, double c, const char* source)
{
    const double en3n = c * c * c - c;
    const double fac = (1.0 - checkedDiv(sf, en3n, source)) * (1.0 - checkedDiv(sg, en3n, source));
    const double top = 1.0 - checkedDiv(6.0, en3n, source) * (d + (sf + sg) / 12.0);
    return checkedDiv(top, checkedSqrt(fac, source), source);
}

} // namespace detail

// ---- Drivers ------------------------------------------------------------------------

void SSDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat, bool ByCol,
              Progress* PB, Missing missing)
{
    detail::driver(Data, NumRow, NumCol, DisMat, ByCol, PB, missing, detail::Measure::SS, "SSDisMat", "SSDisTwoRow",
                   "SSDisTwoCol", "SSDisTwoRowMissing", "SSDisTwoColMissing");
}

void EuclidDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat, bool ByCol,
                  Progress* PB, Missing missing)
{
    detail::driver(Data, NumRow, NumCol, DisMat, ByCol, PB, missing, detail::Measure::Euclid, "EuclidDisMat",
                   "EuclidDisTwoRow", "EuclidDisTwoCol", "EuclidDisTwoRowMissing", "EuclidDisTwoColMissing");
}

void CBDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat, bool ByCol,
              Progress* PB, Missing missing)
{
    detail::driver(Data, NumRow, NumCol, DisMat, ByCol, PB, missing, detail::Measure::CB, "CBDisMat", "CBDisTwoRow",
                   "CBDisTwoCol", "CBDisTwoRowMissing", "CBDisTwoColMissing");
}

void PRDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat, bool ByCol,
              Progress* PB, Missing missing)
{
    detail::driver(Data, NumRow, NumCol, DisMat, ByCol, PB, missing, detail::Measure::PR, "PRDisMat", "PRDisTwoRow",
                   "PRDisTwoCol", "PRDisTwoRowMissing", "PRDisTwoColMissing");
}

void ChordDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat, bool ByCol,
                 Progress* PB, Missing missing)
{
    detail::driver(Data, NumRow, NumCol, DisMat, ByCol, PB, missing, detail::Measure::Chord, "ChordDisMat",
                   "ChordDisTwoRow", "ChordDisTwoCol", "ChordDisTwoRowMissing", "ChordDisTwoColMissing");
}

void GeodesicDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, DistanceMatrix& DisMat,
                    bool ByCol, Progress* PB, Missing missing)
{
    detail::driver(Data, NumRow, NumCol, DisMat, ByCol, PB, missing, detail::Measure::Geodesic, "GeodesicDisMat",
                   "GeodesicDisTwoRow", "GeodesicDisTwoCol", "GeodesicDisTwoRowMissing", "GeodesicDisTwoColMissing");
}

bool PearsonDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, bool ByCol, DistanceMatrix& DisMat,
                   Progress* PB, Missing missing)
{
    constexpr const char* name = "PearsonDisMat";
    detail::checkCounts(Data, NumRow, NumCol, name);
    detail::checkCells(Data, NumRow, NumCol, name);
    detail::Items items = detail::gatherItems(Data, NumRow, NumCol, ByCol, name);
    const std::int64_t n = items.n;
    if (missing) {
        // Pairwise over the positions both items hold, by the correlation
        // routines' own pair routine on a block whose columns are the items.
        const double code = *missing;
        Matrix byColumns;
        if (!ByCol) {
            byColumns = Matrix(static_cast<std::size_t>(NumCol), static_cast<std::size_t>(NumRow));
            MatB::CopyVarBlock(Data, NumRow, NumCol, byColumns);
        }
        const Matrix& block = ByCol ? Data : byColumns;
        const auto observations = static_cast<std::int32_t>(items.len);
        const auto variables = static_cast<std::int32_t>(n);
        detail::fillPairs(items, DisMat, PB, name, [&](std::int64_t i, std::int64_t j) {
            return 1.0 - MathStat::CorrPairMissing(block, observations, variables, static_cast<std::int32_t>(i),
                                                   static_cast<std::int32_t>(j), code);
        });
        return true;
    }
    if (items.len < 2) {
        throw platform::Error(platform::err::Raised, "GetCorrMat:", "At least two rows of data are needed.");
    }
    const detail::Centred c = detail::centre(std::move(items));
    for (std::int64_t i = 0; i < n && n >= 2; ++i) {
        if (c.constant[static_cast<std::size_t>(i)]) {
            DisMat = DistanceMatrix(n, name);
            detail::constantItem(i, name);
        }
    }
    auto finish = [&](double cp, std::int64_t i, std::int64_t j) {
        const double spread = std::sqrt(
            numeric::checkedFinite(c.ss[static_cast<std::size_t>(j)] * c.ss[static_cast<std::size_t>(i)], "GetCorrMat"));
        return 1.0 - numeric::checkedDiv(cp, spread, "GetCorrMat");
    };
    auto pair = [&](std::int64_t i, std::int64_t j) {
        const double* x = c.dev.item(i);
        const double* y = c.dev.item(j);
        double cp = 0;
        for (std::int64_t k = 0; k < c.dev.len; ++k) {
            cp += x[k] * y[k];
        }
        return finish(cp, i, j);
    };
    detail::fillPairsBlocked(c.dev, DisMat, PB, name, [](double a, auto b) { return a * b; }, finish, pair);
    return true;
}

void SpearmanDisMat(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, bool ByCol, DistanceMatrix& DisMat,
                    Progress* PB, Missing missing)
{
    constexpr const char* name = "SpearmanDisMat";
    detail::checkCounts(Data, NumRow, NumCol, name);
    detail::checkCells(Data, NumRow, NumCol, name);
    detail::Items items = detail::gatherItems(Data, NumRow, NumCol, ByCol, name);
    const std::int64_t n = items.n;
    const std::int64_t len = items.len;
    if (missing) {
        const double code = *missing;
        detail::fillPairs(items, DisMat, PB, name, [&](std::int64_t i, std::int64_t j) {
            return 1.0 - mNumRec::SpearmanPair(std::span<const double>(items.item(i), static_cast<std::size_t>(len)),
                                               std::span<const double>(items.item(j), static_cast<std::size_t>(len)),
                                               len, code);
        });
        return;
    }
    // Ranks of every item once (midranks for ties) and its tie sum.
    std::vector<double> tieSum(static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i) {
        double* v = items.cells.data() + i * len;
        bool constant = true;
        for (std::int64_t k = 0; k < len; ++k) {
            constant = constant && v[k] == v[0];
        }
        if (constant && n >= 2 && len >= 2) {
            DisMat = DistanceMatrix(n, name);
            detail::constantItem(i, name);
        }
        tieSum[static_cast<std::size_t>(i)] = detail::rankItem(v, len);
    }
    auto finish = [&](double d, std::int64_t i, std::int64_t j) {
        return 1.0 - detail::spearmanFromRanks(d, tieSum[static_cast<std::size_t>(i)],
                                               tieSum[static_cast<std::size_t>(j)], static_cast<double>(len),
                                               "SpearmanR");
    };
    // Squared rank differences, rank of j minus rank of i as the rank routine takes them.
    auto op = [](double ri, auto rj) {
        const auto diff = rj - ri;
        return diff * diff;
    };
    auto pair = [&](std::int64_t i, std::int64_t j) {
        const double* ri = items.item(i);
        const double* rj = items.item(j);
        double d = 0;
        for (std::int64_t k = 0; k < len; ++k) {
            d += op(ri[k], rj[k]);
        }
        return finish(d, i, j);
    };
    detail::fillPairsBlocked(items, DisMat, PB, name, op, finish, pair);
}

void DisMatByIndex(std::int16_t index, const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, bool ByCol,
                   DistanceMatrix& DisMat, Progress* PB, Missing missing)
{
    switch (static_cast<DistanceIndex>(index)) {
    case DistanceIndex::SumOfSquares:
        return SSDisMat(Data, NumRow, NumCol, DisMat, ByCol, PB, missing);
    case DistanceIndex::Euclidean:
        return EuclidDisMat(Data, NumRow, NumCol, DisMat, ByCol, PB, missing);
    case DistanceIndex::Manhattan:
        return CBDisMat(Data, NumRow, NumCol, DisMat, ByCol, PB, missing);
    case DistanceIndex::Remoteness:
        return PRDisMat(Data, NumRow, NumCol, DisMat, ByCol, PB, missing);
    case DistanceIndex::Chord:
        return ChordDisMat(Data, NumRow, NumCol, DisMat, ByCol, PB, missing);
    case DistanceIndex::Geodesic:
        return GeodesicDisMat(Data, NumRow, NumCol, DisMat, ByCol, PB, missing);
    case DistanceIndex::Pearson:
        PearsonDisMat(Data, NumRow, NumCol, ByCol, DisMat, PB, missing);
        return;
    case DistanceIndex::Spearman:
        return SpearmanDisMat(Data, NumRow, NumCol, ByCol, DisMat, PB, missing);
    case DistanceIndex::Count:
        break;
    }
    throw platform::Error(platform::err::InvalidCall, "DisMatByIndex",
                          "The distance index " + platform::rt::CStr(static_cast<std::int64_t>(index)) +
                              " is not 0 to 7.");
}

void DisMatInOrder(std::int16_t index, const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, bool ByCol,
                   const std::vector<std::int32_t>& order, DistanceMatrix& DisMat, Progress* PB, Missing missing)
{
    const std::int32_t items = ByCol ? NumCol : NumRow;
    const bool usable = NumRow >= 0 && NumCol >= 0 && Data.rows() >= static_cast<std::size_t>(NumRow) &&
                        Data.cols() >= static_cast<std::size_t>(NumCol);
    if (!usable) {
        // The driver refuses the counts with its own error.
        DisMatByIndex(index, Data, NumRow, NumCol, ByCol, DisMat, PB, missing);
        return;
    }
    std::vector<char> seen(static_cast<std::size_t>(items), 0);
    bool permutation = order.size() == static_cast<std::size_t>(items);
    for (std::size_t p = 0; p < order.size() && permutation; ++p) {
        const std::int32_t slot = order[p];
        permutation = slot >= 1 && slot <= items && !seen[static_cast<std::size_t>(slot - 1)];
        if (permutation) {
            seen[static_cast<std::size_t>(slot - 1)] = 1;
        }
    }
    if (!permutation) {
        throw platform::Error(platform::err::Subscript, "DisMatInOrder",
                              "The visiting order is not an order of the " +
                                  platform::rt::CStr(static_cast<std::int64_t>(items)) + " items.");
    }
    // The items moved to their positions: a copy of the data, far smaller
    // than the matrix of distances.
    Matrix positioned(static_cast<std::size_t>(NumRow), static_cast<std::size_t>(NumCol));
    for (std::size_t r = 0; r < positioned.rows(); ++r) {
        for (std::size_t c = 0; c < positioned.cols(); ++c) {
            const std::size_t from = static_cast<std::size_t>(order[ByCol ? c : r] - 1);
            positioned(r, c) = ByCol ? Data(r, from) : Data(from, c);
        }
    }
    std::optional<platform::Error> failure;
    try {
        DisMatByIndex(index, positioned, NumRow, NumCol, ByCol, DisMat, PB, missing);
    } catch (const platform::Error& e) {
        failure = e;
    }
    if (failure) {
        // The error names the failing pair by its positions: the run in item
        // order (outside the handler, so that its own trail starts afresh)
        // raises it as the caller knows the items.
        DisMatByIndex(index, Data, NumRow, NumCol, ByCol, DisMat, PB, missing);
        throw *failure;
    }
}

// ---- Workers ------------------------------------------------------------------------

namespace {
using detail::Measure;
constexpr bool kRows = false;
constexpr bool kCols = true;
} // namespace

double SSDisTwoRow(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1, std::int32_t Row2)
{
    return detail::worker(Data, NumRow, NumCol, Row1, Row2, kRows, Measure::SS, false, 0, "SSDisTwoRow", "SSDisTwoRow");
}
double SSDisTwoRowMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                          std::int32_t Row2, double code)
{
    return detail::worker(Data, NumRow, NumCol, Row1, Row2, kRows, Measure::SS, true, code, "SSDisTwoRowMissing",
                          "SSDisTwoRow");
}
double SSDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1, std::int32_t Col2)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::SS, false, 0, "SSDisTwoCol", "SSDisTwoCol");
}
double SSDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                          std::int32_t Col2, double code)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::SS, true, code, "SSDisTwoColMissing",
                          "SSDisTwoCol");
}

double EuclidDisTwoRow(const Matrix& Data, std::int32_t NumCol, std::int32_t Row1, std::int32_t Row2)
{
    const auto rows = static_cast<std::int32_t>(Data.rows());
    return detail::worker(Data, rows, NumCol, Row1, Row2, kRows, Measure::Euclid, false, 0, "EuclidDisTwoRow",
                          "EuclidDisTwoRow");
}
double EuclidDisTwoRowMissing(const Matrix& Data, std::int32_t NumCol, std::int32_t Row1, std::int32_t Row2,
                              double code)
{
    const auto rows = static_cast<std::int32_t>(Data.rows());
    return detail::worker(Data, rows, NumCol, Row1, Row2, kRows, Measure::Euclid, true, code,
                          "EuclidDisTwoRowMissing", "EuclidDisTwoRow");
}
double EuclidDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                       std::int32_t Col2)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::Euclid, false, 0, "EuclidDisTwoCol",
                          "EuclidDisTwoCol");
}
double EuclidDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                              std::int32_t Col2, double code)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::Euclid, true, code,
                          "EuclidDisTwoColMissing", "EuclidDisTwoCol");
}

double CBDisTwoRow(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                       std::int32_t Row2)
{
    return detail::worker(Data, NumRow, NumCol, Row1, Row2, kRows, Measure::CB, false, 0, "CBDisTwoRow",
                          "CBDisTwoRow");
}
double CBDisTwoRowMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                              std::int32_t Row2, double code)
{
    return detail::worker(Data, NumRow, NumCol, Row1, Row2, kRows, Measure::CB, true, code,
                          "CBDisTwoRowMissing", "CBDisTwoRow");
}
double CBDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                       std::int32_t Col2)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::CB, false, 0, "CBDisTwoCol",
                          "CBDisTwoCol");
}
double CBDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                              std::int32_t Col2, double code)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::CB, true, code,
                          "CBDisTwoColMissing", "CBDisTwoCol");
}

double PRDisTwoRow(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                       std::int32_t Row2)
{
    return detail::worker(Data, NumRow, NumCol, Row1, Row2, kRows, Measure::PR, false, 0, "PRDisTwoRow",
                          "PRDisTwoRow");
}
double PRDisTwoRowMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                              std::int32_t Row2, double code)
{
    return detail::worker(Data, NumRow, NumCol, Row1, Row2, kRows, Measure::PR, true, code,
                          "PRDisTwoRowMissing", "PRDisTwoRow");
}
double PRDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                       std::int32_t Col2)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::PR, false, 0, "PRDisTwoCol",
                          "PRDisTwoCol");
}
double PRDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                              std::int32_t Col2, double code)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::PR, true, code,
                          "PRDisTwoColMissing", "PRDisTwoCol");
}

double ChordDisTwoRow(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                       std::int32_t Row2)
{
    return detail::worker(Data, NumRow, NumCol, Row1, Row2, kRows, Measure::Chord, false, 0, "ChordDisTwoRow",
                          "ChordDisTwoRow");
}
double ChordDisTwoRowMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                              std::int32_t Row2, double code)
{
    return detail::worker(Data, NumRow, NumCol, Row1, Row2, kRows, Measure::Chord, true, code,
                          "ChordDisTwoRowMissing", "ChordDisTwoRow");
}
double ChordDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                       std::int32_t Col2)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::Chord, false, 0, "ChordDisTwoCol",
                          "ChordDisTwoCol");
}
double ChordDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                              std::int32_t Col2, double code)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::Chord, true, code,
                          "ChordDisTwoColMissing", "ChordDisTwoCol");
}

double GeodesicDisTwoRow(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                       std::int32_t Row2)
{
    return detail::worker(Data, NumRow, NumCol, Row1, Row2, kRows, Measure::Geodesic, false, 0, "GeodesicDisTwoRow",
                          "GeodesicDisTwoRow");
}
double GeodesicDisTwoRowMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Row1,
                              std::int32_t Row2, double code)
{
    return detail::worker(Data, NumRow, NumCol, Row1, Row2, kRows, Measure::Geodesic, true, code,
                          "GeodesicDisTwoRowMissing", "GeodesicDisTwoRow");
}
double GeodesicDisTwoCol(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                       std::int32_t Col2)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::Geodesic, false, 0, "GeodesicDisTwoCol",
                          "GeodesicDisTwoCol");
}
double GeodesicDisTwoColMissing(const Matrix& Data, std::int32_t NumRow, std::int32_t NumCol, std::int32_t Col1,
                              std::int32_t Col2, double code)
{
    return detail::worker(Data, NumRow, NumCol, Col1, Col2, kCols, Measure::Geodesic, true, code,
                          "GeodesicDisTwoColMissing", "GeodesicDisTwoCol");
}

} // namespace Geometry
