#include "analysis/Geometry.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <optional>
#include <functional>
#include <numbers>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/PairLoop.h"
#include "numeric/MathStat.h"
#include "numeric/mNumRec.h"
#include "platform/errors/Error.h"
#include "tests/support/TestSupport.h"

namespace {

using analysis::DistanceMatrix;
using numeric::Matrix;
namespace G = Geometry;

// Two rows; the same two vectors as the columns of the transposed matrix.
Matrix rows(std::initializer_list<std::initializer_list<double>> r)
{
    return Matrix(r);
}
Matrix transposed(const Matrix& m)
{
    Matrix t(m.cols(), m.rows());
    for (std::size_t i = 0; i < m.rows(); ++i) {
        for (std::size_t j = 0; j < m.cols(); ++j) {
            t(j, i) = m(i, j);
        }
    }
    return t;
}

struct WorkedValue {
    const char* name;
    std::function<double()> value;
    double expected;
};

TEST(Distance, WorkersGiveTheWorkedValues)
{
    const Matrix a = rows({{1, 2}, {4, 6}});
    const Matrix at = transposed(a);
    const Matrix b = rows({{1, 0}, {1, 1}});
    const Matrix ortho = rows({{1, 0}, {0, 1}});
    const Matrix opposite = rows({{1, 0}, {-1, 0}});
    const Matrix scaled = rows({{1, 2}, {2, 4}});
    const Matrix same = rows({{3, 5}, {3, 5}});
    const double noCode = -999;  // a code that no cell holds
    const Matrix withCode = rows({{1, 2, 9}, {4, 6, 0}, {9, 9, 1}});
    const Matrix proportionalWithCode = rows({{1, 9, 2}, {2, 5, 4}});
    const double sqrt2 = std::sqrt(2.0);
    const WorkedValue cases[] = {
        {"Euclid rows", [&] { return G::EuclidDisTwoRow(a, 2, 0, 1); }, std::sqrt(12.5)},
        {"SS rows", [&] { return G::SSDisTwoRow(a, 2, 2, 0, 1); }, 5},
        {"Euclid columns", [&] { return G::EuclidDisTwoCol(at, 2, 2, 0, 1); }, 5},
        {"SS columns", [&] { return G::SSDisTwoCol(at, 2, 2, 0, 1); }, 5},
        {"CB rows", [&] { return G::CBDisTwoRow(a, 2, 2, 0, 1); }, 3.5},
        {"CB columns", [&] { return G::CBDisTwoCol(at, 2, 2, 0, 1); }, 3.5},
        {"PR rows", [&] { return G::PRDisTwoRow(a, 2, 2, 0, 1); }, 70},
        {"PR columns", [&] { return G::PRDisTwoCol(at, 2, 2, 0, 1); }, 70},
        {"PR doubled", [&] { return G::PRDisTwoRow(scaled, 2, 2, 0, 1); }, 50},
        {"PR equal", [&] { return G::PRDisTwoRow(same, 2, 2, 0, 1); }, 0},
        {"chord", [&] { return G::ChordDisTwoRow(b, 2, 2, 0, 1); }, 2 * (1 - 1 / sqrt2)},
        {"geodesic", [&] { return G::GeodesicDisTwoRow(b, 2, 2, 0, 1); }, std::numbers::pi / 4},
        {"chord orthogonal", [&] { return G::ChordDisTwoRow(ortho, 2, 2, 0, 1); }, 2},
        {"geodesic orthogonal", [&] { return G::GeodesicDisTwoRow(ortho, 2, 2, 0, 1); }, std::numbers::pi / 2},
        {"chord opposite", [&] { return G::ChordDisTwoRow(opposite, 2, 2, 0, 1); }, 4},
        {"geodesic opposite", [&] { return G::GeodesicDisTwoRow(opposite, 2, 2, 0, 1); }, std::numbers::pi},
        {"geodesic proportional", [&] { return G::GeodesicDisTwoRow(scaled, 2, 2, 0, 1); }, 0},
        {"chord columns", [&] { return G::ChordDisTwoCol(transposed(b), 2, 2, 0, 1); }, 2 * (1 - 1 / sqrt2)},
        // A code that no cell holds: every position counts, m is the length.
        {"Euclid rows, absent code", [&] { return G::EuclidDisTwoRowMissing(a, 2, 0, 1, noCode); }, std::sqrt(12.5)},
        {"Euclid columns, absent code", [&] { return G::EuclidDisTwoColMissing(at, 2, 2, 0, 1, noCode); }, 5 / sqrt2},
        {"SS rows, absent code", [&] { return G::SSDisTwoRowMissing(a, 2, 2, 0, 1, noCode); }, 5 / sqrt2},
        {"SS columns, absent code", [&] { return G::SSDisTwoColMissing(at, 2, 2, 0, 1, noCode); }, 5 / sqrt2},
        {"CB rows, absent code", [&] { return G::CBDisTwoRowMissing(a, 2, 2, 0, 1, noCode); }, 3.5},
        {"PR rows, absent code", [&] { return G::PRDisTwoRowMissing(a, 2, 2, 0, 1, noCode); }, 70},
        // A position with the code in either cell adds nothing and is not counted.
        {"SS rows, code", [&] { return G::SSDisTwoRowMissing(withCode, 3, 3, 0, 1, 9); }, std::sqrt(12.5)},
        {"Euclid rows, code", [&] { return G::EuclidDisTwoRowMissing(withCode, 3, 0, 1, 9); }, std::sqrt(12.5)},
        {"CB rows, code", [&] { return G::CBDisTwoRowMissing(withCode, 3, 3, 0, 1, 9); }, 3.5},
        {"PR rows, code", [&] { return G::PRDisTwoRowMissing(withCode, 3, 3, 0, 1, 9); }, 70},
        {"CB columns, code", [&] { return G::CBDisTwoColMissing(transposed(withCode), 3, 3, 0, 1, 9); }, 3.5},
        {"chord rows, code", [&] { return G::ChordDisTwoRowMissing(proportionalWithCode, 2, 3, 0, 1, 9); }, 0},
        {"geodesic columns, code",
         [&] { return G::GeodesicDisTwoColMissing(transposed(proportionalWithCode), 3, 2, 0, 1, 9); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectNearRel(c.value(), c.expected, 1e-15);
    }
}

// Drivers call the workers pair by pair: every cell equals its worker.
TEST(Distance, DriversFillEveryPairWithItsWorkerValue)
{
    std::mt19937 gen(5);
    std::uniform_int_distribution<int> cell(1, 9);
    Matrix data(12, 10);  // rows of up to 11 pairs: blocked and single sums
    for (std::size_t i = 0; i < 12; ++i) {
        for (std::size_t j = 0; j < 10; ++j) {
            data(i, j) = cell(gen) + 0.25 * cell(gen);
        }
    }
    data(2, 3) = -1;  // the code, in one cell only
    using Driver = void (*)(const Matrix&, std::int32_t, std::int32_t, DistanceMatrix&, bool, numeric::Progress*,
                            G::Missing);
    using Worker = double (*)(const Matrix&, std::int32_t, std::int32_t, std::int32_t, std::int32_t);
    using MissingWorker = double (*)(const Matrix&, std::int32_t, std::int32_t, std::int32_t, std::int32_t, double);
    const struct {
        const char* name;
        Driver driver;
        Worker row;
        Worker col;
        MissingWorker rowMissing;
        MissingWorker colMissing;
    } measures[] = {
        {"SS", G::SSDisMat, G::SSDisTwoRow, G::SSDisTwoCol, G::SSDisTwoRowMissing, G::SSDisTwoColMissing},
        {"Euclid", G::EuclidDisMat, nullptr, G::EuclidDisTwoCol, nullptr, G::EuclidDisTwoColMissing},
        {"CB", G::CBDisMat, G::CBDisTwoRow, G::CBDisTwoCol, G::CBDisTwoRowMissing, G::CBDisTwoColMissing},
        {"PR", G::PRDisMat, G::PRDisTwoRow, G::PRDisTwoCol, G::PRDisTwoRowMissing, G::PRDisTwoColMissing},
        {"Chord", G::ChordDisMat, G::ChordDisTwoRow, G::ChordDisTwoCol, G::ChordDisTwoRowMissing,
         G::ChordDisTwoColMissing},
        {"Geodesic", G::GeodesicDisMat, G::GeodesicDisTwoRow, G::GeodesicDisTwoCol, G::GeodesicDisTwoRowMissing,
         G::GeodesicDisTwoColMissing},
    };
    for (const auto& m : measures) {
        for (bool byCol : {false, true}) {
            for (bool code : {false, true}) {
                SCOPED_TRACE(std::string(m.name) + (byCol ? " columns" : " rows") + (code ? " with code" : ""));
                DistanceMatrix d;
                m.driver(data, 12, 10, d, byCol, nullptr, code ? G::Missing(-1.0) : G::Missing());
                const std::int64_t n = byCol ? 10 : 12;
                ASSERT_EQ(d.size(), n);
                for (std::int32_t i = 1; i < n; ++i) {
                    for (std::int32_t j = 0; j < i; ++j) {
                        double expected = 0;
                        if (!byCol && m.row == nullptr) {
                            expected = code ? G::EuclidDisTwoRowMissing(data, 10, i, j, -1) : G::EuclidDisTwoRow(data, 10, i, j);
                        } else if (byCol) {
                            expected = code ? m.colMissing(data, 12, 10, i, j, -1) : m.col(data, 12, 10, i, j);
                        } else {
                            expected = code ? m.rowMissing(data, 12, 10, i, j, -1) : m.row(data, 12, 10, i, j);
                        }
                        EXPECT_EQ(d(i, j), expected) << i << "," << j;
                    }
                }
            }
        }
    }
}

TEST(Distance, BlockedSumsGiveTheBitsOfOnePairSumsAcrossManyBlocks)
{
    // 45 items: five whole blocks of pairs and a remainder in the later rows;
    // values of very different sizes, so that any change in the order of the
    // additions would show in the last bits.
    std::mt19937_64 gen(31);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-20, 20);
    constexpr std::int32_t points = 23;
    constexpr std::int32_t items = 45;
    Matrix data(points, items);
    for (std::size_t t = 0; t < points; ++t) {
        for (std::size_t g = 0; g < items; ++g) {
            data(t, g) = std::ldexp(mantissa(gen), exponent(gen));
        }
    }
    const struct {
        const char* name;
        void (*driver)(const Matrix&, std::int32_t, std::int32_t, DistanceMatrix&, bool, numeric::Progress*,
                       G::Missing);
        double (*worker)(const Matrix&, std::int32_t, std::int32_t, std::int32_t, std::int32_t);
    } measures[] = {
        {"SS", G::SSDisMat, G::SSDisTwoCol},
        {"Euclid", G::EuclidDisMat, G::EuclidDisTwoCol},
        {"CB", G::CBDisMat, G::CBDisTwoCol},
    };
    for (const auto& m : measures) {
        SCOPED_TRACE(m.name);
        DistanceMatrix d;
        m.driver(data, points, items, d, true, nullptr, G::Missing());
        for (std::int32_t i = 1; i < items; ++i) {
            for (std::int32_t j = 0; j < i; ++j) {
                ASSERT_EQ(d(i, j), m.worker(data, points, items, i, j)) << i << "," << j;
            }
        }
    }
}

struct Recorder : numeric::Progress {
    std::vector<std::string> calls;
    void setMinimum(double v) override { calls.push_back("min " + std::to_string(static_cast<int>(v))); }
    void setMaximum(double v) override { calls.push_back("max " + std::to_string(static_cast<int>(v))); }
    void setValue(double v) override { calls.push_back("value " + std::to_string(static_cast<int>(v))); }
};

TEST(Distance, OneItemWritesNothingAndTwoItemsOnePair)
{
    const Matrix data = rows({{1, 2, 3}, {2, 2, 5}});
    Recorder one;
    DistanceMatrix d;
    G::EuclidDisMat(data, 2, 1, d, true, &one);
    EXPECT_EQ(d.size(), 1);
    EXPECT_EQ(one.calls, (std::vector<std::string>{"min 0", "max 0", "value 0"}));

    Recorder two;
    G::EuclidDisMat(data, 2, 3, d, false, &two);
    EXPECT_EQ(d.size(), 2);
    expectNearRel(d(1, 0), std::sqrt(5.0 / 3.0), 1e-15);
    EXPECT_EQ(two.calls, (std::vector<std::string>{"min 0", "max 1", "value 0", "value 0"}));
}

TEST(Distance, NoItemsGiveAnEmptyMatrix)
{
    Recorder none;
    DistanceMatrix d(3);
    G::CBDisMat(Matrix(2, 0), 2, 0, d, true, &none);
    EXPECT_EQ(d.size(), 0);
    EXPECT_EQ(none.calls, (std::vector<std::string>{"min 0", "max 0", "value 0"}));
}

TEST(DistanceMatrix, PackedTriangleReadsBothWaysAndConvertsToSquare)
{
    DistanceMatrix d(4);
    double v = 1;
    for (std::int64_t i = 1; i < 4; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            d(i, j) = v++;
        }
    }
    EXPECT_EQ(d.row(3)[1], 5);  // (1,0) (2,0) (2,1) (3,0) (3,1)
    EXPECT_EQ(d.at(1, 3), 5);
    EXPECT_EQ(d.at(2, 2), 0);
    EXPECT_THROW((void)d.at(4, 0), platform::Error);
    const Matrix square = d.toSquare();
    EXPECT_EQ(square(3, 1), 5);
    EXPECT_EQ(square(1, 3), 0);  // only the lower triangle is written
    EXPECT_TRUE(DistanceMatrix::fromSquare(square, 4) == d);
    DistanceMatrix copy = d;
    copy(3, 1) = 9;
    EXPECT_EQ(d(3, 1), 5);
    EXPECT_FALSE(copy == d);
    EXPECT_EQ(DistanceMatrix::cellCount(46342), 1073767311U);  // beyond 32-bit products of N(N-1)
    EXPECT_THROW(DistanceMatrix(-1), platform::Error);
}

TEST(Distance, ManyThreadsGiveTheBitsOfOneThread)
{
    std::mt19937 gen(42);
    std::normal_distribution<double> normal(5, 2);
    Matrix data(40, 400);  // 40 time points, 400 loci as columns
    for (std::size_t i = 0; i < data.rows(); ++i) {
        for (std::size_t j = 0; j < data.cols(); ++j) {
            data(i, j) = std::round(normal(gen) * 8) / 8;
        }
    }
    for (std::int16_t index = 0; index < 8; ++index) {
        SCOPED_TRACE(index);
        DistanceMatrix one;
        DistanceMatrix many;
        analysis::setWorkerThreads(1);
        G::DisMatByIndex(index, data, 40, 400, true, one, nullptr);
        analysis::setWorkerThreads(7);
        G::DisMatByIndex(index, data, 40, 400, true, many, nullptr);
        analysis::setWorkerThreads(0);
        EXPECT_TRUE(one == many);
    }
}

void expectError(std::int32_t number, const std::function<void()>& call, const std::string& text = "")
{
    try {
        call();
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), number) << e.source() << " / " << e.description();
        if (!text.empty()) {
            EXPECT_NE((e.source() + " / " + e.description()).find(text), std::string::npos)
                << e.source() << " / " << e.description();
        }
    }
}

TEST(Distance, FailuresAreNumberedErrorsThatNameTheirCause)
{
    DistanceMatrix d;
    const Matrix holes = rows({{1, 9}, {9, 2}, {3, 4}});
    expectError(platform::err::Overflow, [&] { G::EuclidDisMat(holes, 3, 2, d, false, nullptr, 9.0); },
                "between items 1 and 2");
    expectError(platform::err::Overflow, [&] { G::CBDisMat(holes, 3, 2, d, false, nullptr, 9.0); }, "CBDisMat");
    Matrix notNumber = rows({{1, 2}, {3, 4}});
    notNumber(1, 0) = std::nan("");
    expectError(platform::err::TypeMismatch, [&] { G::SSDisMat(notNumber, 2, 2, d, true, nullptr); },
                "row 2, column 1");
    const Matrix zeros = rows({{0, 0}, {1, 2}});
    expectError(platform::err::Overflow, [&] { G::ChordDisMat(zeros, 2, 2, d, false, nullptr); });
    expectError(platform::err::Overflow, [&] { G::GeodesicDisMat(zeros, 2, 2, d, false, nullptr); });
    const Matrix prZero = rows({{0, 0}, {0, 0}});
    expectError(platform::err::Overflow, [&] { G::PRDisMat(prZero, 2, 2, d, false, nullptr); });
    const Matrix prDiv = rows({{-1, 0}, {0, 0}});  // Smax 0, Smin -1
    expectError(platform::err::DivisionByZero, [&] { G::PRDisMat(prDiv, 2, 2, d, false, nullptr); });
    expectError(platform::err::Subscript, [&] { G::EuclidDisMat(zeros, 3, 2, d, false, nullptr); });
    expectError(platform::err::InvalidCall, [&] { G::EuclidDisMat(zeros, -1, 2, d, false, nullptr); });
    expectError(platform::err::InvalidCall, [&] { G::DisMatByIndex(8, zeros, 2, 2, false, d, nullptr); });
    const Matrix a = rows({{1, 2}, {4, 6}});
    expectError(platform::err::Subscript, [&] { (void)G::CBDisTwoRow(a, 2, 2, 2, 0); }, "CBDisTwoRow: Row1 > NumRow");
    expectError(platform::err::Subscript, [&] { (void)G::CBDisTwoRow(a, 2, 2, 0, 2); }, "CBDisTwoRow: Row2 > NumRow");
    expectError(platform::err::Subscript, [&] { (void)G::PRDisTwoColMissing(a, 2, 2, 0, 5, 1); },
                "PRDisTwoCol: Col2 > NumCol");
    expectError(platform::err::Subscript, [&] { (void)G::ChordDisTwoRowMissing(a, 2, 2, -1, 0, 1); });
    analysis::setMemoryLimit(1000);
    expectError(platform::err::OutOfMemory, [&] { G::SSDisMat(Matrix(2, 100), 2, 100, d, true, nullptr); },
                "needs");
    analysis::setMemoryLimit(0);
}

TEST(Distance, TheFirstFailingPairIsReportedWhateverTheThreads)
{
    Matrix data(40, 300);
    for (std::size_t i = 0; i < data.rows(); ++i) {
        for (std::size_t j = 0; j < data.cols(); ++j) {
            data(i, j) = static_cast<double>((i * 7 + j * 3) % 11);
        }
    }
    for (std::size_t i = 0; i < data.rows(); ++i) {
        data(i, 5) = -1;    // item 6 has no value at all
        data(i, 250) = -1;  // nor has item 251
    }
    for (unsigned threads : {1U, 7U}) {
        analysis::setWorkerThreads(threads);
        DistanceMatrix d;
        expectError(platform::err::Overflow, [&] { G::SSDisMat(data, 40, 300, d, true, nullptr, -1.0); },
                    "between items 1 and 6");
        EXPECT_EQ(d.size(), 300);
        EXPECT_EQ(d(4, 3), G::SSDisTwoColMissing(data, 40, 300, 4, 3, -1));  // pairs before it are kept
    }
    analysis::setWorkerThreads(0);
}

// Random expression-like data with a few tied values.
Matrix sample(std::size_t r, std::size_t c, unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> v(0, 12);
    Matrix m(r, c);
    for (std::size_t i = 0; i < r; ++i) {
        for (std::size_t j = 0; j < c; ++j) {
            m(i, j) = v(gen) * 0.5;
        }
    }
    return m;
}

TEST(Distance, CorrelationDistancesAreOneMinusTheCorrelationMatrix)
{
    const Matrix data = sample(9, 6, 3);  // 9 observations, 6 items as columns
    numeric::Matrix r(6, 6);
    DistanceMatrix d;
    MathStat::GetCorrMat(data, r, 9, 6);
    EXPECT_TRUE(G::PearsonDisMat(data, 9, 6, true, d, nullptr));
    for (std::int64_t i = 1; i < 6; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            EXPECT_EQ(d(i, j), 1 - r(static_cast<std::size_t>(i), static_cast<std::size_t>(j)));
        }
    }
    mNumRec::SpearmanR(data, 9, 6, r);
    G::SpearmanDisMat(data, 9, 6, true, d, nullptr);
    for (std::int64_t i = 1; i < 6; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            EXPECT_EQ(d(i, j), 1 - r(static_cast<std::size_t>(i), static_cast<std::size_t>(j)));
        }
    }
    Matrix withCode = data;
    withCode(2, 1) = -5;
    withCode(4, 3) = -5;
    MathStat::GetCorrMatMissing(withCode, r, 9, 6, nullptr, -5);
    G::PearsonDisMat(withCode, 9, 6, true, d, nullptr, -5.0);
    for (std::int64_t i = 1; i < 6; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            EXPECT_EQ(d(i, j), 1 - r(static_cast<std::size_t>(i), static_cast<std::size_t>(j)));
        }
    }
    mNumRec::GetSpearmanMat(withCode, 9, 6, r, -5);
    G::SpearmanDisMat(withCode, 9, 6, true, d, nullptr, -5.0);
    for (std::int64_t i = 1; i < 6; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            EXPECT_EQ(d(i, j), 1 - r(static_cast<std::size_t>(i), static_cast<std::size_t>(j)));
        }
    }
}

TEST(Distance, IdenticalItemsAreAtZeroAndOpposedItemsAtTwo)
{
    const Matrix data = rows({{1, 3, 2, 5}, {1, 3, 2, 5}, {-1, -3, -2, -5}});
    for (bool spearman : {false, true}) {
        DistanceMatrix d;
        if (spearman) {
            G::SpearmanDisMat(data, 3, 4, false, d, nullptr);
        } else {
            G::PearsonDisMat(data, 3, 4, false, d, nullptr);
        }
        EXPECT_NEAR(d(1, 0), 0, 1e-15);
        EXPECT_NEAR(d(2, 0), 2, 1e-15);
    }
}

TEST(Distance, RowsAreCorrelatedAsTheColumnsOfTheTransposedBlock)
{
    for (auto [r, c] : {std::pair{5, 8}, std::pair{6, 6}, std::pair{9, 4}}) {
        const Matrix data = sample(static_cast<std::size_t>(r), static_cast<std::size_t>(c), 17);
        const Matrix t = transposed(data);
        for (bool code : {false, true}) {
            const G::Missing missing = code ? G::Missing(6.0) : G::Missing();
            DistanceMatrix byRow;
            DistanceMatrix byCol;
            G::PearsonDisMat(data, r, c, false, byRow, nullptr, missing);
            G::PearsonDisMat(t, c, r, true, byCol, nullptr, missing);
            EXPECT_TRUE(byRow == byCol) << r << "x" << c;
            G::SpearmanDisMat(data, r, c, false, byRow, nullptr, missing);
            G::SpearmanDisMat(t, c, r, true, byCol, nullptr, missing);
            EXPECT_TRUE(byRow == byCol) << r << "x" << c;
        }
    }
}

TEST(Distance, CorrelationOfAConstantItemIsRefusedByName)
{
    const Matrix data = rows({{1, 2, 3}, {4, 4, 4}, {0, 5, 1}});
    DistanceMatrix d;
    expectError(platform::err::Overflow, [&] { G::PearsonDisMat(data, 3, 3, false, d, nullptr); }, "Item 2");
    expectError(platform::err::Overflow, [&] { G::SpearmanDisMat(data, 3, 3, false, d, nullptr); }, "Item 2");
    expectError(platform::err::Overflow, [&] { G::PearsonDisMat(data, 3, 3, false, d, nullptr, 0.0); });
    expectError(platform::err::Raised, [&] { G::PearsonDisMat(data, 1, 3, true, d, nullptr); },
                "At least two rows");
    // One item: nothing to correlate, nothing written.
    EXPECT_TRUE(G::PearsonDisMat(data, 1, 3, false, d, nullptr));
    EXPECT_EQ(d.size(), 1);
}

} // namespace

namespace {

// Every measure gives a pair the same number both ways round, so distances
// computed with the items in a visiting order are those of item order moved
// to the positions, bit for bit: rows and columns, with and without a code,
// on data with ties and a row of equal values.
TEST(Distance, DistancesInVisitingOrderAreTheItemOrderCellsBitForBit)
{
    const unsigned seed = 7070;
    std::mt19937 gen(seed);
    for (const bool byCol : {true, false}) {
        for (const G::Missing missing : {G::Missing{}, G::Missing{4.5}}) {
            Matrix data = sample(byCol ? 9 : 23, byCol ? 23 : 9, seed + (byCol ? 1 : 2));
            for (std::size_t k = 0; k < 9; ++k) {
                (byCol ? data(k, 3) : data(3, k)) += 0.125 * static_cast<double>(k % 3);
            }
            const auto numRow = static_cast<std::int32_t>(data.rows());
            const auto numCol = static_cast<std::int32_t>(data.cols());
            const std::int32_t items = byCol ? numCol : numRow;
            std::vector<std::int32_t> order(static_cast<std::size_t>(items));
            std::iota(order.begin(), order.end(), 1);
            std::shuffle(order.begin(), order.end(), gen);
            for (std::int16_t index = 0; index < 8; ++index) {
                SCOPED_TRACE(testing::Message() << "seed " << seed << " index " << index << " byCol " << byCol
                                                << " code " << missing.has_value());
                DistanceMatrix plain, positioned;
                G::DisMatByIndex(index, data, numRow, numCol, byCol, plain, nullptr, missing);
                G::DisMatInOrder(index, data, numRow, numCol, byCol, order, positioned, nullptr, missing);
                ASSERT_EQ(positioned.size(), items);
                for (std::int64_t p = 1; p < items; ++p) {
                    for (std::int64_t q = 0; q < p; ++q) {
                        const std::int64_t a = order[static_cast<std::size_t>(p)] - 1;
                        const std::int64_t b = order[static_cast<std::size_t>(q)] - 1;
                        ASSERT_EQ(std::bit_cast<std::uint64_t>(positioned(p, q)),
                                  std::bit_cast<std::uint64_t>(plain(std::max(a, b), std::min(a, b))))
                            << "positions " << p << ", " << q;
                    }
                }
            }
        }
    }
}

TEST(Distance, DistancesInVisitingOrderNameAFailingPairByItsItems)
{
    // Item 6 (column 5) is constant: Pearson's distance to it is 0/0. The
    // error must be the one item order raises, whatever the positions.
    Matrix data = sample(12, 10, 44);
    for (std::size_t k = 0; k < data.rows(); ++k) {
        data(k, 5) = 2;
    }
    const std::vector<std::int32_t> order{10, 6, 3, 1, 9, 2, 8, 4, 7, 5};
    std::string expected;
    try {
        DistanceMatrix d;
        G::DisMatByIndex(6, data, 12, 10, true, d, nullptr);
    } catch (const platform::Error& e) {
        expected = e.source() + " / " + e.description();
    }
    ASSERT_FALSE(expected.empty());
    DistanceMatrix d;
    try {
        G::DisMatInOrder(6, data, 12, 10, true, order, d, nullptr);
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), platform::err::Overflow);
        EXPECT_EQ(e.source() + " / " + e.description(), expected);
    }
    expectError(platform::err::Subscript, [&] { G::DisMatInOrder(1, data, 12, 10, true, {1, 2, 3}, d, nullptr); },
                "not an order");
    expectError(platform::err::Subscript,
                [&] { G::DisMatInOrder(1, data, 12, 10, true, {1, 2, 3, 4, 5, 6, 7, 8, 9, 9}, d, nullptr); },
                "not an order");
    expectError(platform::err::Subscript, [&] { G::DisMatInOrder(1, data, 13, 10, true, order, d, nullptr); });
}

// Digests of the distance matrices of every measure, pinned from the
// one-pair-at-a-time computation: sizes that leave partial blocks of items
// and partial runs of rows, data with ties and with a wide range of values.
TEST(Distance, EveryMeasureKeepsItsPinnedBits)
{
    const std::uint32_t seed = 8080;
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> mantissa(0.01, 1);
    std::uniform_int_distribution<int> exponent(-8, 8);
    std::uniform_int_distribution<int> coin(0, 3);
    constexpr std::int32_t points = 37;
    constexpr std::int32_t loci = 203;
    Matrix data(points, loci);
    for (std::size_t t = 0; t < points; ++t) {
        for (std::size_t g = 0; g < loci; ++g) {
            data(t, g) = coin(gen) == 0 ? static_cast<double>(coin(gen)) : std::ldexp(mantissa(gen), exponent(gen));
        }
    }
    const std::uint64_t pinned[8] = {0x3f4f20f42fd5d287ULL, 0x3f4f20f42fd5d287ULL, 0x8902ae14ecbf6dadULL,
                                     0x81c5e68a1460f106ULL, 0xdf482e296d22c83eULL, 0x9ae5c8de2536f986ULL,
                                     0x855fa72f4c2109e4ULL, 0xe81b044f87909da2ULL};
    for (std::int16_t index = 0; index < 8; ++index) {
        for (const unsigned threads : {1U, 5U}) {
            analysis::setWorkerThreads(threads);
            DistanceMatrix d;
            G::DisMatByIndex(index, data, points, loci, true, d, nullptr);
            testsupport::BitDigest digest;
            for (std::int64_t i = 1; i < loci; ++i) {
                digest.add(std::span<const double>(d.row(i), static_cast<std::size_t>(i)));
            }
            EXPECT_EQ(digest.value(), pinned[index])
                << "seed " << seed << " measure " << index << " threads " << threads << " digest 0x" << std::hex
                << digest.value();
        }
    }
    analysis::setWorkerThreads(0);
}

// A pair whose sum overflows in the blocked drivers: the lowest such pair is
// named, whichever rows share a run and whatever the threads, and the pairs
// of the rows before it are kept.
TEST(Distance, AnOverflowInABlockedDriverNamesTheFirstFailingPair)
{
    Matrix data(40, 300);
    for (std::size_t i = 0; i < data.rows(); ++i) {
        for (std::size_t j = 0; j < data.cols(); ++j) {
            data(i, j) = static_cast<double>((i * 7 + j * 3) % 11);
        }
    }
    for (std::size_t i = 0; i < data.rows(); ++i) {
        data(i, 20) = 1e300;   // item 21: its squared differences overflow
        data(i, 250) = 1e300;  // and item 251's
    }
    for (unsigned threads : {1U, 7U}) {
        analysis::setWorkerThreads(threads);
        DistanceMatrix d;
        expectError(platform::err::Overflow, [&] { G::EuclidDisMat(data, 40, 300, d, true, nullptr); },
                    "between items 1 and 21");
        EXPECT_EQ(d.size(), 300);
        EXPECT_EQ(d(19, 18), G::EuclidDisTwoCol(data, 40, 300, 19, 18));  // pairs before it are kept
    }
    analysis::setWorkerThreads(0);
}

} // namespace
