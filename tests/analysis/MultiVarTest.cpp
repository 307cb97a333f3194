#include "analysis/MultiVar.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "numeric/QelNumRec.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Error.h"
#include "tests/support/TestSupport.h"

namespace {

using numeric::Matrix;

bool hasLine(const std::string& text, const std::string& line)
{
    const auto all = testsupport::crlfLines(text);
    return std::find(all.begin(), all.end(), line) != all.end();
}

// Column j of a equals column j of b or its negative.
void expectSameUpToSign(const Matrix& a, std::size_t ja, const Matrix& b, std::size_t jb, std::size_t rows,
                        double tol)
{
    double sign = 0;
    for (std::size_t i = 0; i < rows && sign == 0; ++i) {
        if (std::fabs(b(i, jb)) > 1e-6) {
            sign = a(i, ja) * b(i, jb) < 0 ? -1 : 1;
        }
    }
    for (std::size_t i = 0; i < rows; ++i) {
        EXPECT_NEAR(a(i, ja), sign * b(i, jb), tol) << "row " << i;
    }
}

// Eigen pairs of a symmetric matrix by power iteration with deflation, for
// matrices with well-separated eigenvalues.
void powerEigen(Matrix A, std::size_t n, std::vector<double>& values, Matrix& vectors)
{
    values.assign(n, 0);
    vectors = Matrix(n, n);
    for (std::size_t k = 0; k < n; ++k) {
        std::vector<double> v(n, 1.0);
        v[k] += 0.5;
        double lambda = 0;
        for (int it = 0; it < 5000; ++it) {
            std::vector<double> w(n, 0.0);
            for (std::size_t i = 0; i < n; ++i) {
                for (std::size_t j = 0; j < n; ++j) {
                    w[i] += A(i, j) * v[j];
                }
            }
            double norm = 0;
            lambda = 0;
            for (std::size_t i = 0; i < n; ++i) {
                norm += w[i] * w[i];
                lambda += v[i] * w[i];
            }
            norm = std::sqrt(norm);
            for (std::size_t i = 0; i < n; ++i) {
                v[i] = w[i] / norm;
            }
        }
        values[k] = lambda;
        for (std::size_t i = 0; i < n; ++i) {
            vectors(i, k) = v[i];
            for (std::size_t j = 0; j < n; ++j) {
                A(i, j) -= lambda * v[i] * v[j];
            }
        }
    }
}

struct Pca {
    Matrix scores;
    std::vector<double> evals;
    Matrix evecs;
    std::string report;
};

Pca pca(Matrix& data, bool useCorr, std::int32_t nPC, bool standard = false, std::optional<double> code = {})
{
    const auto nCol = static_cast<std::int32_t>(data.cols());
    std::vector<std::string> labels;
    for (std::int32_t j = 0; j < nCol; ++j) {
        labels.push_back("T" + std::to_string(j + 1));
    }
    Pca p;
    MultiVar::DoPCA(data, static_cast<std::int32_t>(data.rows()), nCol, {}, labels, useCorr, p.scores, nPC, p.evals,
                    p.evecs, nullptr, standard, code, &p.report);
    return p;
}

TEST(PrincipalComponents, WorkedTwoVariableExample)
{
    Matrix data{{1, 2}, {2, 1}, {3, 4}, {4, 3}};
    const Pca p = pca(data, true, 2);
    expectNearRel(p.evals[0], 1.6, 1e-9);
    expectNearRel(p.evals[1], 0.4, 1e-9);
    const double s1 = 1.0954451150103321;
    const double s2 = 0.5477225575051661;
    const Matrix want{{-s1, s2}, {-s1, -s2}, {s1, s2}, {s1, -s2}};
    expectSameUpToSign(p.scores, 0, want, 0, 4, 1e-7);
    expectSameUpToSign(p.scores, 1, want, 1, 4, 1e-7);
    const auto text = testsupport::crlfLines(p.report);
    ASSERT_GE(text.size(), 4u);
    EXPECT_EQ(text[0], "Number of rows: 4");
    EXPECT_EQ(text[1], "Number of columns: 2");
    EXPECT_EQ(text[2], "");
    EXPECT_EQ(text[3], "Correlation matrix:");
    EXPECT_TRUE(hasLine(p.report, "       Eigenvalue  Difference  Proportion  Cumulative"));
    EXPECT_TRUE(hasLine(p.report, "PC  1      1.6000      1.2000      0.8000      0.8000")) << p.report;
    EXPECT_TRUE(hasLine(p.report, "PC  2      0.4000                  0.2000      1.0000")) << p.report;
    EXPECT_TRUE(hasLine(p.report, std::string(20, ' ') + "     PC1     PC2"));
    const std::string tail = "\r\n\r\n\r\nEigenvectors:\r\n";
    EXPECT_NE(p.report.find(tail), std::string::npos);
    // With the correlation option the caller's block comes back standardised.
    expectNearRel(data(0, 0), -1.5 / std::sqrt(5.0 / 3.0), 1e-12);
}

TEST(PrincipalComponents, CovarianceScoresMatchAnIndependentDecomposition)
{
    const unsigned seed = 99;
    SCOPED_TRACE(seed);
    std::mt19937 gen(seed);
    std::normal_distribution<double> noise(0, 1);
    const std::size_t n = 40;
    const std::size_t p = 4;
    Matrix data(n, p);
    for (std::size_t i = 0; i < n; ++i) {
        const double f = noise(gen);
        for (std::size_t j = 0; j < p; ++j) {
            data(i, j) = 3.0 * static_cast<double>(j + 1) * f + noise(gen) * static_cast<double>(j + 1) + 10;
        }
    }
    const Matrix original = data;
    Matrix work = data;
    const Pca got = pca(work, false, 3);
    EXPECT_EQ(work, original);

    std::vector<double> mean(p, 0);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < p; ++j) {
            mean[j] += data(i, j) / n;
        }
    }
    Matrix cov(p, p);
    for (std::size_t a = 0; a < p; ++a) {
        for (std::size_t b = 0; b < p; ++b) {
            for (std::size_t i = 0; i < n; ++i) {
                cov(a, b) += (data(i, a) - mean[a]) * (data(i, b) - mean[b]) / (n - 1);
            }
        }
    }
    std::vector<double> values;
    Matrix vectors;
    powerEigen(cov, p, values, vectors);
    for (std::size_t k = 0; k < p; ++k) {
        expectNearRel(got.evals[k], values[k], 1e-8);
    }
    // Reconstruction: cov = sum of lambda v v' over all components.
    Matrix full = data;
    Pca all = pca(full, false, 4);
    for (std::size_t a = 0; a < p; ++a) {
        for (std::size_t b = 0; b < p; ++b) {
            double s = 0;
            for (std::size_t k = 0; k < p; ++k) {
                s += all.evals[k] * all.evecs(a, k) * all.evecs(b, k);
            }
            EXPECT_NEAR(s, cov(a, b), 1e-8 * std::max(1.0, std::fabs(cov(a, b))));
        }
    }
    Matrix want(n, 3);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t k = 0; k < 3; ++k) {
            for (std::size_t j = 0; j < p; ++j) {
                want(i, k) += (data(i, j) - mean[j]) * vectors(j, k);
            }
        }
    }
    for (std::size_t k = 0; k < 3; ++k) {
        expectSameUpToSign(got.scores, k, want, k, n, 1e-6);
    }
}

TEST(PrincipalComponents, ExtraComponentsAreZeroColumns)
{
    Matrix data{{1, 2, 0}, {2, 1, 1}, {3, 4, 0}, {4, 3, 2}, {0, 1, 1}};
    const Pca p = pca(data, false, 5);
    ASSERT_EQ(p.evecs.cols(), 5u);
    ASSERT_EQ(p.scores.cols(), 5u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(p.evecs(i, 3), 0);
        EXPECT_EQ(p.evecs(i, 4), 0);
    }
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(p.scores(i, 4), 0);
    }
    EXPECT_TRUE(hasLine(p.report, std::string(20, ' ') + "     PC1     PC2     PC3     PC4     PC5"));
}

TEST(PrincipalComponents, OneColumnShowsTheMessageAndReportsNothing)
{
    platform::ScriptedDialogs boxes;
    const platform::ScopedDialogs scope(boxes);
    Matrix data{{1}, {2}, {3}};
    std::string report = "before";
    Matrix scores;
    std::vector<double> evals;
    Matrix evecs;
    MultiVar::DoPCA(data, 3, 1, {}, {"a"}, true, scores, 1, evals, evecs, nullptr, false, {}, &report);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, "There are < 2 variables: inappropriate for PCA.");
    EXPECT_EQ(boxes.last().style, platform::mb::Information);
    EXPECT_EQ(report, "before");
    EXPECT_EQ(scores, Matrix(3, 1));
}

TEST(PrincipalComponents, MissingCellsAddNothingToTheirScores)
{
    const double code = 9.999999;
    Matrix data{{1, 2, 4}, {2, 1, 3}, {3, code, 5}, {4, 3, 4}, {5, 5, 7}, {2, 4, 1}};
    const Matrix original = data;
    const Pca p = pca(data, false, 2, false, code);
    std::vector<double> fill(3, 0);
    for (std::size_t j = 0; j < 3; ++j) {
        int count = 0;
        for (std::size_t i = 0; i < 6; ++i) {
            if (original(i, j) != code) {
                fill[j] += original(i, j);
                ++count;
            }
        }
        fill[j] /= count;
    }
    Matrix raw(6, 2);
    for (std::size_t k = 0; k < 2; ++k) {
        double mean = 0;
        for (std::size_t i = 0; i < 6; ++i) {
            for (std::size_t j = 0; j < 3; ++j) {
                raw(i, k) += (original(i, j) == code ? fill[j] : original(i, j)) * p.evecs(j, k);
            }
            mean += raw(i, k) / 6;
        }
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_NEAR(p.scores(i, k), raw(i, k) - mean, 1e-12);
        }
    }
}

TEST(PrincipalComponents, SeededAnalysesStayBitForBit)
{
    // Digests of the eigenvalues, the kept eigenvectors, the scores, the
    // report and the (standardised) data block, taken from the analysis as
    // it stands, on seeded profiles with cluster structure.
    const struct {
        std::size_t rows, cols;
        bool useCorr, standard;
        std::int32_t nPC;
        std::uint64_t digest;
    } runs[] = {
        {1200, 128, true, false, 10, 0x74f6daeb119b6cf9ULL},
        {1200, 128, false, true, 10, 0x71f7cdd85401c87cULL},
        {301, 33, true, true, 3, 0xff6c6883301508afULL},
    };
    unsigned seed = 4040;
    for (const auto& run : runs) {
        SCOPED_TRACE(testing::Message() << run.rows << " x " << run.cols << " seed " << seed);
        std::mt19937_64 gen(seed++);
        std::normal_distribution<double> normal(0, 1);
        std::vector<std::vector<double>> centre(6, std::vector<double>(run.cols));
        for (auto& profile : centre) {
            double level = 8 + 2 * normal(gen);
            for (double& x : profile) {
                level += 0.4 * normal(gen);
                x = level;
            }
        }
        Matrix data(run.rows, run.cols);
        for (std::size_t i = 0; i < run.rows; ++i) {
            const auto& profile = centre[i % centre.size()];
            const double gain = 1 + 0.2 * normal(gen);
            for (std::size_t j = 0; j < run.cols; ++j) {
                data(i, j) = gain * profile[j] + 0.5 * normal(gen);
            }
        }
        const Pca p = pca(data, run.useCorr, run.nPC, run.standard);
        testsupport::BitDigest digest;
        digest.add(p.evals);
        digest.add(std::span<const double>(p.evecs.data(), p.evecs.rows() * p.evecs.cols()));
        digest.add(std::span<const double>(p.scores.data(), p.scores.rows() * p.scores.cols()));
        digest.add(std::span<const double>(data.data(), data.rows() * data.cols()));
        digest.add(p.report);
        EXPECT_EQ(digest.value(), run.digest) << "digest 0x" << std::hex << digest.value();
    }
}

TEST(EigenSorting, VectorsFollowTheirValues)
{
    std::vector<double> evals{1, 3, 2};
    Matrix evecs{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    MultiVar::SortEigenDesc(evals, evecs, 3);
    EXPECT_EQ(evals, (std::vector<double>{3, 2, 1}));
    EXPECT_EQ(evecs, (Matrix{{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}));
}

TEST(EigenSorting, SmallValuedMatricesAreStillDiagonalised)
{
    Matrix A{{2e-8, 1e-8}, {1e-8, 2e-8}};
    std::vector<double> evals;
    Matrix evecs;
    MultiVar::GetEigenSorted(A, 2, evals, evecs);
    expectNearRel(evals[0] * 1e8, 3, 1e-6);
    expectNearRel(evals[1] * 1e8, 1, 1e-6);
    EXPECT_NEAR(std::fabs(evecs(0, 0)), std::sqrt(0.5), 1e-6);
}

struct Ca {
    Matrix M, U, V, rowOrd, colOrd;
    std::vector<double> eigenvalues, corr;
};

Ca ca(const Matrix& F, std::optional<double> code = {})
{
    Ca c;
    EXPECT_TRUE(MultiVar::RA(F, static_cast<std::int32_t>(F.rows()), static_cast<std::int32_t>(F.cols()), c.M,
                             c.eigenvalues, c.U, c.V, c.rowOrd, c.colOrd, c.corr, nullptr, code));
    return c;
}

TEST(Correspondence, WorkedThreeByTwoTable)
{
    const Matrix F{{10, 0}, {0, 10}, {5, 5}};
    const Ca c = ca(F);
    ASSERT_EQ(c.eigenvalues.size(), 2u);
    expectNearRel(c.eigenvalues[0], 1, 1e-9);
    expectNearRel(c.eigenvalues[1], 2.0 / 3.0, 1e-9);
    ASSERT_EQ(c.corr.size(), 1u);
    expectNearRel(c.corr[0], 0.816496580927726, 1e-9);
    expectNearRel(c.M(0, 0), 0.816496580927726, 1e-12);
    expectNearRel(c.M(2, 1), 0.408248290463863, 1e-12);
    EXPECT_EQ(c.M(0, 1), 0);
    const Matrix colAxis{{1}, {-1}};
    expectSameUpToSign(c.colOrd, 1, colAxis, 0, 2, 1e-9);
    const Matrix rowAxis{{1.224744871391589}, {-1.224744871391589}, {0}};
    expectSameUpToSign(c.rowOrd, 1, rowAxis, 0, 3, 1e-9);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(std::fabs(c.rowOrd(i, 0)), 1, 1e-9);
    }
    for (std::size_t j = 0; j < 2; ++j) {
        EXPECT_NEAR(std::fabs(c.colOrd(j, 0)), 1, 1e-9);
    }
}

// The decomposition of the nRow x nRow matrix P = MM', sorted descending.
void literalRowAxes(const Matrix& M, std::size_t nRow, std::size_t nCol, std::vector<double>& values, Matrix& U)
{
    Matrix P(nRow, nRow);
    for (std::size_t a = 0; a < nRow; ++a) {
        for (std::size_t b = 0; b < nRow; ++b) {
            for (std::size_t j = 0; j < nCol; ++j) {
                P(a, b) += M(a, j) * M(b, j);
            }
        }
    }
    Matrix V(nRow, nRow);
    QelNumRec::GetEigen(P, static_cast<std::int64_t>(nRow), V, 1e-12);
    std::vector<std::size_t> order(nRow);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](auto x, auto y) { return P(x, x) > P(y, y); });
    values.resize(nRow);
    U = Matrix(nRow, nRow);
    for (std::size_t k = 0; k < nRow; ++k) {
        values[k] = P(order[k], order[k]);
        for (std::size_t i = 0; i < nRow; ++i) {
            U(i, k) = V(i, order[k]);
        }
    }
}

TEST(Correspondence, RowAxesMatchTheFullRowDecomposition)
{
    const struct {
        std::size_t rows, cols;
    } shapes[] = {{6, 3}, {3, 5}, {4, 4}, {8, 2}};
    unsigned seed = 500;
    for (const auto& s : shapes) {
        for (int rep = 0; rep < 3; ++rep, ++seed) {
            SCOPED_TRACE(seed);
            std::mt19937 gen(seed);
            std::uniform_int_distribution<int> count(1, 30);
            Matrix F(s.rows, s.cols);
            for (std::size_t i = 0; i < s.rows; ++i) {
                for (std::size_t j = 0; j < s.cols; ++j) {
                    F(i, j) = count(gen);
                }
            }
            const Ca c = ca(F);
            std::vector<double> values;
            Matrix U;
            literalRowAxes(c.M, s.rows, s.cols, values, U);
            const std::size_t K0 = std::min(s.rows, s.cols);
            ASSERT_EQ(c.U.cols(), K0);
            double N = 0;
            std::vector<double> r(s.rows, 0);
            for (std::size_t i = 0; i < s.rows; ++i) {
                for (std::size_t j = 0; j < s.cols; ++j) {
                    r[i] += F(i, j);
                    N += F(i, j);
                }
            }
            for (std::size_t k = 0; k < K0; ++k) {
                EXPECT_NEAR(c.eigenvalues[k], values[k], 1e-9);
                // Both decompositions run to rounding level.
                expectSameUpToSign(c.U, k, U, k, s.rows, 1e-9);
                Matrix literalOrd(s.rows, 1);
                for (std::size_t i = 0; i < s.rows; ++i) {
                    literalOrd(i, 0) = std::sqrt(N) * U(i, k) / std::sqrt(r[i]);
                }
                expectSameUpToSign(c.rowOrd, k, literalOrd, 0, s.rows, 1e-8);
                if (k > 0) {
                    EXPECT_GE(c.corr[k - 1], 0);
                    EXPECT_NEAR(c.corr[k - 1], std::sqrt(std::max(values[k], 0.0)), 1e-9);
                }
            }
        }
    }
}

TEST(Correspondence, RankDeficientTablesGetOrthonormalRowAxes)
{
    const Matrix F{{1, 2, 3}, {2, 4, 6}, {3, 6, 9}, {1, 1, 1}};
    const Ca c = ca(F);
    EXPECT_NEAR(c.eigenvalues[2], 0, 1e-9);
    for (std::size_t a = 0; a < 3; ++a) {
        for (std::size_t b = 0; b < 3; ++b) {
            double dot = 0;
            for (std::size_t i = 0; i < 4; ++i) {
                dot += c.U(i, a) * c.U(i, b);
            }
            EXPECT_NEAR(dot, a == b ? 1 : 0, 1e-9) << a << "," << b;
        }
    }
    ASSERT_EQ(c.corr.size(), 2u);
    EXPECT_GE(c.corr[1], 0);
    EXPECT_NEAR(c.corr[1], 0, 1e-6);
}

TEST(Correspondence, SingleRowOrColumnHasNoCorrelations)
{
    EXPECT_TRUE(ca(Matrix{{1, 2, 3}}).corr.empty());
    const Ca column = ca(Matrix{{1}, {2}});
    EXPECT_TRUE(column.corr.empty());
    expectNearRel(column.eigenvalues[0], 1, 1e-12);
}

TEST(Correspondence, UnusableTablesAreRefusedWithTheirPlace)
{
    const struct {
        const char* name;
        Matrix F;
        std::optional<double> code;
        const char* mention;
    } cases[] = {
        {"zero row", Matrix{{1, 2}, {0, 0}, {3, 1}}, {}, "Row 2 sums to 0"},
        {"zero column", Matrix{{0, 2}, {0, 1}}, {}, "Column 1 sums to 0"},
        {"negative entry", Matrix{{1, -2}, {3, 1}}, {}, "row 1, column 2 is negative"},
        {"missing code", Matrix{{1, 9.999999}, {3, 1}}, 9.999999, "1 missing value"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        Matrix M, U, V, R, C;
        std::vector<double> e, corr;
        try {
            (void)MultiVar::RA(t.F, static_cast<std::int32_t>(t.F.rows()), static_cast<std::int32_t>(t.F.cols()), M, e,
                               U, V, R, C, corr, nullptr, t.code);
            ADD_FAILURE() << "accepted";
        } catch (const platform::Error& err) {
            EXPECT_EQ(err.number(), 1);
            EXPECT_EQ(err.source(), "RA");
            EXPECT_NE(err.description().find(t.mention), std::string::npos) << err.description();
        }
    }
}

} // namespace
