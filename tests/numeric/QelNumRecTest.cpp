#include "numeric/QelNumRec.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/errors/Error.h"
#include "tests/numeric/RecordingProgress.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ErrorAssert.h"

using numeric::Matrix;

namespace {

Matrix randomSymmetric(std::mt19937& rng, std::size_t n, double scale)
{
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    Matrix a(n, n);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j <= i; ++j) {
            a(i, j) = a(j, i) = scale * u(rng);
        }
    }
    return a;
}

// Threshold Jacobi exactly as first written: every rotation restarts the
// scan from the first element. Used to show that the faster restart gives
// the same rotations, bit for bit.
void restartingReference(Matrix& a, std::size_t n, Matrix& v, double tol)
{
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) v(i, j) = i == j;
    double s = 0;
    for (std::size_t i = 1; i < n; ++i)
        for (std::size_t j = 0; j < i; ++j) s += a(i, j) * a(i, j);
    if (s == 0) return;
    double thr = std::sqrt(2 * s);
    for (;;) {
        thr /= static_cast<double>(n);
    rescan:
        for (std::size_t p = 1; p < n; ++p) {
            for (std::size_t q = 0; q < p; ++q) {
                if (std::fabs(a(p, q)) < thr) continue;
                const double x = -a(p, q), y = (a(q, q) - a(p, p)) / 2;
                double w = x / std::hypot(x, y);
                if (y < 0) w = -w;
                const double sn = w / std::sqrt(2 * (1 + std::sqrt(std::max(0.0, 1 - w * w))));
                const double cs = std::sqrt(std::max(0.0, 1 - sn * sn));
                const double app = a(p, p), aqq = a(q, q), apq = a(p, q);
                a(p, p) = cs * cs * app + sn * sn * aqq + w * apq;
                a(q, q) = sn * sn * app + cs * cs * aqq - w * apq;
                a(p, q) = a(q, p) = 0;
                for (std::size_t k = 0; k < n; ++k) {
                    if (k == p || k == q) continue;
                    const double pk = a(p, k), qk = a(q, k);
                    a(p, k) = cs * pk + sn * qk;
                    a(q, k) = cs * qk - sn * pk;
                }
                for (std::size_t k = 0; k < n; ++k) {
                    if (k == p || k == q) continue;
                    const double kp = a(k, p), kq = a(k, q);
                    a(k, p) = cs * kp + sn * kq;
                    a(k, q) = cs * kq - sn * kp;
                }
                for (std::size_t k = 0; k < n; ++k) {
                    const double kp = v(k, p), kq = v(k, q);
                    v(k, p) = cs * kp + sn * kq;
                    v(k, q) = cs * kq - sn * kp;
                }
                goto rescan;
            }
        }
        if (thr < tol) return;
    }
}

// Eigenvalues by cyclic Jacobi sweeps with the classical rotation
// (Numerical Recipes' jacobi), sorted: a second, independent method.
std::vector<double> cyclicJacobiEigenvalues(Matrix a)
{
    const std::size_t n = a.rows();
    for (int sweep = 0; sweep < 100; ++sweep) {
        double off = 0;
        for (std::size_t p = 0; p < n; ++p)
            for (std::size_t q = p + 1; q < n; ++q) off += a(p, q) * a(p, q);
        if (off == 0) break;
        for (std::size_t p = 0; p < n; ++p) {
            for (std::size_t q = p + 1; q < n; ++q) {
                if (a(p, q) == 0) continue;
                const double theta = (a(q, q) - a(p, p)) / (2 * a(p, q));
                const double t = (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1), s = t * c;
                for (std::size_t k = 0; k < n; ++k) {
                    const double akp = a(k, p), akq = a(k, q);
                    a(k, p) = c * akp - s * akq;
                    a(k, q) = s * akp + c * akq;
                }
                for (std::size_t k = 0; k < n; ++k) {
                    const double apk = a(p, k), aqk = a(q, k);
                    a(p, k) = c * apk - s * aqk;
                    a(q, k) = s * apk + c * aqk;
                }
            }
        }
    }
    std::vector<double> values(n);
    for (std::size_t i = 0; i < n; ++i) values[i] = a(i, i);
    std::sort(values.begin(), values.end());
    return values;
}

} // namespace

TEST(QelNumRec, TwoByTwoGivesKnownValuesAndSignedVectors)
{
    Matrix a{{2, 1}, {1, 2}};
    Matrix v(2, 2);
    QelNumRec::GetEigen(a, 2, v, 1e-6);
    const double h = std::sqrt(0.5);
    expectNearRel(a(0, 0), 3.0, 1e-15);
    expectNearRel(a(1, 1), 1.0, 1e-15);
    expectNearRel(v(0, 0), h, 1e-15);
    expectNearRel(v(1, 0), h, 1e-15);
    expectNearRel(v(0, 1), -h, 1e-15);
    expectNearRel(v(1, 1), h, 1e-15);
}

TEST(QelNumRec, TridiagonalMatrixAgainstClosedForm)
{
    Matrix a{{2, -1, 0}, {-1, 2, -1}, {0, -1, 2}};
    Matrix v(3, 3);
    QelNumRec::GetEigen(a, 3, v, 1e-6);
    EXPECT_NEAR(a(0, 0), 2 + std::sqrt(2.0), 1e-7);
    EXPECT_NEAR(a(1, 1), 2 - std::sqrt(2.0), 1e-7);
    EXPECT_NEAR(a(2, 2), 2.0, 1e-7);
}

TEST(QelNumRec, DiagonalRepeatedAndSingleElementInputsTerminate)
{
    struct Row {
        const char* name;
        Matrix a;
        std::vector<double> sortedValues;
    };
    const std::vector<Row> rows{
        {"one element", Matrix{{4}}, {4}},
        {"diagonal", Matrix{{3, 0, 0}, {0, -1, 0}, {0, 0, 3}}, {-1, 3, 3}},
        {"zero matrix", Matrix(4, 4), {0, 0, 0, 0}},
        {"all ones: 3, 0, 0", Matrix{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}, {0, 0, 3}},
        {"repeated pair", Matrix{{2, 1, 0, 0}, {1, 2, 0, 0}, {0, 0, 2, 1}, {0, 0, 1, 2}}, {1, 1, 3, 3}},
    };
    for (const Row& row : rows) {
        const std::size_t n = row.a.rows();
        Matrix a = row.a, v(n, n, 9);
        QelNumRec::GetEigen(a, static_cast<std::int64_t>(n), v, 1e-10);
        std::vector<double> values;
        for (std::size_t i = 0; i < n; ++i) values.push_back(a(i, i));
        std::sort(values.begin(), values.end());
        for (std::size_t i = 0; i < n; ++i) EXPECT_NEAR(values[i], row.sortedValues[i], 1e-9) << row.name;
        if (row.a == Matrix(n, n) || n == 1 || row.name == std::string("diagonal")) {
            EXPECT_EQ(a, row.a) << row.name;
            for (std::size_t i = 0; i < n; ++i)
                for (std::size_t j = 0; j < n; ++j) EXPECT_EQ(v(i, j), i == j ? 1.0 : 0.0) << row.name;
        }
    }
}

TEST(QelNumRec, RandomMatricesSatisfyEigenEquationAndMatchSecondMethod)
{
    const unsigned seed = 271828;
    std::mt19937 rng(seed);
    for (const double scale : {1.0, 1e9}) {
        for (std::size_t n = 2; n <= 24; n += 2) {
            const Matrix a0 = randomSymmetric(rng, n, scale);
            Matrix a = a0, v(n, n);
            QelNumRec::GetEigen(a, static_cast<std::int64_t>(n), v, 1e-6);
            std::vector<double> values;
            for (std::size_t k = 0; k < n; ++k) {
                values.push_back(a(k, k));
                for (std::size_t i = 0; i < n; ++i) {
                    double av = 0;
                    for (std::size_t j = 0; j < n; ++j) av += a0(i, j) * v(j, k);
                    EXPECT_NEAR(av, a(k, k) * v(i, k), 1e-5 * scale) << "seed " << seed << " n " << n;
                }
                for (std::size_t l = 0; l < n; ++l) {
                    double dot = 0;
                    for (std::size_t i = 0; i < n; ++i) dot += v(i, k) * v(i, l);
                    EXPECT_NEAR(dot, k == l ? 1.0 : 0.0, 1e-12) << "seed " << seed << " n " << n;
                }
            }
            std::sort(values.begin(), values.end());
            const std::vector<double> second = cyclicJacobiEigenvalues(a0);
            for (std::size_t k = 0; k < n; ++k) {
                EXPECT_NEAR(values[k], second[k], 1e-6 * scale) << "seed " << seed << " n " << n;
            }
        }
    }
}

TEST(QelNumRec, SameRotationsAsRestartingEveryScan)
{
    const unsigned seed = 1618;
    std::mt19937 rng(seed);
    for (int trial = 0; trial < 60; ++trial) {
        const std::size_t n = 2 + trial % 11;
        const Matrix a0 = randomSymmetric(rng, n, trial % 2 == 0 ? 1.0 : 1e4);
        Matrix a = a0, v(n, n), ra = a0, rv(n, n);
        QelNumRec::GetEigen(a, static_cast<std::int64_t>(n), v, 1e-9);
        restartingReference(ra, n, rv, 1e-9);
        ASSERT_EQ(a, ra) << "seed " << seed << " trial " << trial;
        ASSERT_EQ(v, rv) << "seed " << seed << " trial " << trial;
    }
}

TEST(QelNumRec, LowerTriangleAloneIsTakenAsSymmetric)
{
    Matrix full{{4, 1, 2}, {1, 3, 0.5}, {2, 0.5, 1}};
    Matrix lower{{4, 0, 0}, {1, 3, 0}, {2, 0.5, 1}};
    Matrix v1(3, 3), v2(3, 3);
    QelNumRec::GetEigen(full, 3, v1, 1e-8);
    QelNumRec::GetEigen(lower, 3, v2, 1e-8);
    EXPECT_EQ(full, lower);
    EXPECT_EQ(v1, v2);
}

TEST(QelNumRec, ProgressCyclesThroughScanCounter)
{
    Matrix a{{2, 1}, {1, 2}};
    Matrix v(2, 2);
    numerictest::RecordingProgress pb;
    QelNumRec::GetEigenPB(a, 2, v, 1e-6, &pb);
    EXPECT_EQ(pb.calls, (std::vector<std::string>{"max 100", "value 1"}));
    Matrix b{{2, 1}, {1, 2}};
    QelNumRec::GetEigenPB(b, 2, v, 1e-6, nullptr);
    EXPECT_EQ(a, b);
}

TEST(QelNumRec, BadInputIsRefused)
{
    Matrix v(2, 2), small(1, 1);
    Matrix a{{1, 2}, {2, 1}};
    EXPECT_EQ(testsupport::errorNumber([&] { QelNumRec::GetEigen(a, 2, v, 0); }), 5);
    EXPECT_EQ(testsupport::errorNumber([&] { QelNumRec::GetEigen(a, 2, small, 1e-6); }), 9);
    Matrix withNaN{{1, 0}, {NAN, 1}};
    EXPECT_EQ(testsupport::errorNumber([&] { QelNumRec::GetEigen(withNaN, 2, v, 1e-6); }), 6);
    Matrix huge{{1, 1e200}, {1e200, 1}};
    EXPECT_EQ(testsupport::errorNumber([&] { QelNumRec::GetEigen(huge, 2, v, 1e-6); }), 6);
}

namespace {

// A covariance-like matrix of n variables from seeded, correlated data.
Matrix seededCrossProducts(std::size_t n, unsigned seed)
{
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> normal(0, 1);
    const std::size_t rows = 3 * n + 20;
    Matrix x(rows, n);
    for (std::size_t r = 0; r < rows; ++r) {
        const double common = normal(gen);
        for (std::size_t c = 0; c < n; ++c) {
            x(r, c) = (1.0 + 0.01 * static_cast<double>(c)) * common + normal(gen);
        }
    }
    Matrix a(n, n);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j <= i; ++j) {
            double s = 0;
            for (std::size_t r = 0; r < rows; ++r) s += x(r, i) * x(r, j);
            a(i, j) = a(j, i) = s / static_cast<double>(rows);
        }
    }
    return a;
}

} // namespace

TEST(QelNumRec, SeededDecompositionsStayBitForBit)
{
    // Digests of the whole decomposed matrix, the eigenvectors and the
    // progress values, taken from the rotations as they stand; the tolerance
    // is the one the sorted decompositions use (rounding level).
    const struct {
        std::size_t n;
        unsigned seed;
        std::uint64_t digest;
    } rows[] = {
        {3, 11, 0x8264952442ae2ce6ULL},
        {17, 12, 0x27550a9a680793e1ULL},
        {64, 13, 0xcc2767250c79ca50ULL},
        {128, 14, 0x62100d5b3e72e8b8ULL},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "n " << row.n << " seed " << row.seed);
        Matrix a = seededCrossProducts(row.n, row.seed);
        double largest = 0;
        for (std::size_t i = 0; i < row.n; ++i)
            for (std::size_t j = 0; j < row.n; ++j) largest = std::max(largest, std::fabs(a(i, j)));
        Matrix v(row.n, row.n);
        numerictest::RecordingProgress pb;
        QelNumRec::GetEigenPB(a, static_cast<std::int64_t>(row.n), v, 1e-18 * largest, &pb);
        testsupport::BitDigest digest;
        digest.add(std::span<const double>(a.data(), row.n * row.n));
        digest.add(std::span<const double>(v.data(), row.n * row.n));
        for (const std::string& call : pb.calls) digest.add(call);
        EXPECT_EQ(digest.value(), row.digest) << "digest 0x" << std::hex << digest.value();
    }
}

TEST(QelNumRec, LargerMatricesRotateAsRestartingEveryScan)
{
    const unsigned seed = 3141;
    for (const std::size_t n : {24u, 40u, 57u}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << " n " << n);
        const Matrix a0 = seededCrossProducts(n, seed + static_cast<unsigned>(n));
        Matrix a = a0, v(n, n), ra = a0, rv(n, n);
        QelNumRec::GetEigen(a, static_cast<std::int64_t>(n), v, 1e-14);
        restartingReference(ra, n, rv, 1e-14);
        EXPECT_EQ(a, ra);
        EXPECT_EQ(v, rv);
    }
}
