#include "analysis/MultiVar.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>

#include "analysis/DataTool.h"
#include "numeric/Checked.h"
#include "numeric/FormatMatrix.h"
#include "numeric/MathStat.h"
#include "numeric/QelNumRec.h"
#include "numeric/QelSortRank.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/StrUtil.h"

namespace MultiVar {

using numeric::detail::setMaximum;
using numeric::detail::setMinimum;
using numeric::detail::setValue;

namespace {

// The rotations run until every off-diagonal element is below this share of
// the matrix's largest element: far under the rounding of the diagonal, so
// eigenvalues and eigenvectors carry full double precision (a rotation this
// small no longer changes any element it touches, and the sweeps end).
constexpr double kEigenRelativeTolerance = 1E-18;
// Eigenvalues of Q at or below this count as 0 (Q's eigenvalues lie in [0, 1]).
constexpr double kZeroEigenvalue = 1E-10;

std::size_t at(std::int64_t i)
{
    return static_cast<std::size_t>(i);
}

// The stopping threshold of the rotations, relative to the largest element.
double toleranceFor(const Matrix& A, std::int64_t n)
{
    double scale = 0;
    for (std::int64_t i = 0; i < n; ++i) {
        for (std::int64_t j = 0; j <= i; ++j) {
            scale = std::max(scale, std::fabs(A(at(i), at(j))));
        }
    }
    if (!std::isfinite(scale) || scale <= 0) {
        return kEigenRelativeTolerance;
    }
    return kEigenRelativeTolerance * scale;
}

void readDiagonal(const Matrix& A, std::int64_t n, std::vector<double>& evals)
{
    evals.assign(at(n), 0.0);
    for (std::int64_t i = 0; i < n; ++i) {
        evals[at(i)] = A(at(i), at(i));
    }
}

void crlf(std::string& text)
{
    text += "\r\n";
}

void checkCounts(const Matrix& data, std::int32_t nRow, std::int32_t nCol, const char* source)
{
    if (nRow < 0 || nCol < 0 || at(nRow) > data.rows() || at(nCol) > data.cols()) {
        numeric::raiseRuntime(platform::err::Subscript, source);
    }
}

std::string pcaReport(std::int32_t nRow, std::int32_t nCol, std::int32_t nPC, bool useCorr, const Matrix& matrixCopy,
                      const std::vector<std::string>& colLabels, const std::vector<double>& evals,
                      const Matrix& evecs)
{
    using StrUtil::FormatNumRight;
    std::string text = "Number of rows: " + platform::rt::CStr(nRow);
    crlf(text);
    text += "Number of columns: " + platform::rt::CStr(nCol);
    crlf(text);
    crlf(text);
    text += useCorr ? "Correlation matrix:" : "Covariance matrix:";
    crlf(text);
    const std::span<const std::string> labels(colLabels.data(), at(nCol));
    text += useCorr ? FormatMatrix::FormatCorrMat(matrixCopy, nCol, labels, 4)
                    : FormatMatrix::FormatCovMat(matrixCopy, nCol, labels, 4);
    crlf(text);
    text += "       Eigenvalue  Difference  Proportion  Cumulative";
    crlf(text);

    double total = 0;
    for (std::int32_t k = 0; k < nCol; ++k) {
        total += evals[at(k)];
    }
    double cumulative = 0;
    for (std::int32_t k = 0; k < nCol; ++k) {
        const double proportion = numeric::checkedDiv(evals[at(k)], total, "DoPCA");
        cumulative += proportion;
        text += "PC" + FormatNumRight(k + 1, 3, 0) + FormatNumRight(evals[at(k)], 12, 4);
        if (k < nCol - 1) {
            text += FormatNumRight(evals[at(k)] - evals[at(k) + 1], 12, 4) + FormatNumRight(proportion, 12, 4);
        } else {
            text += FormatNumRight(proportion, 24, 4);
        }
        text += FormatNumRight(cumulative, 12, 4);
        crlf(text);
    }
    crlf(text);
    crlf(text);
    text += "Eigenvectors:";
    crlf(text);
    text += std::string(20, ' ');
    for (std::int32_t j = 1; j <= nPC; ++j) {
        text += StrUtil::PadStr("PC" + platform::rt::CStr(j), 8, 0);
    }
    crlf(text);
    for (std::int32_t i = 0; i < nCol; ++i) {
        text += StrUtil::PadStr(colLabels[at(i)], 20, 1);
        for (std::int32_t j = 0; j < nPC; ++j) {
            text += FormatNumRight(evecs(at(i), at(j)), 8, 4);
        }
        crlf(text);
    }
    return text;
}

// Column k of U: a unit vector orthogonal to columns 0 .. k - 1, from the
// standard basis vector that those columns leave largest.
void completeAxis(Matrix& U, std::int64_t nRow, std::int64_t k)
{
    std::int64_t pick = 0;
    double bestNorm = -1;
    for (std::int64_t t = 0; t < std::min(nRow, k + 1); ++t) {
        double projected = 0;
        for (std::int64_t l = 0; l < k; ++l) {
            projected += U(at(t), at(l)) * U(at(t), at(l));
        }
        if (1 - projected > bestNorm) {
            bestNorm = 1 - projected;
            pick = t;
        }
    }
    std::vector<double> v(at(nRow), 0.0);
    v[at(pick)] = 1;
    for (int round = 0; round < 2; ++round) {
        for (std::int64_t l = 0; l < k; ++l) {
            double dot = 0;
            for (std::int64_t i = 0; i < nRow; ++i) {
                dot += U(at(i), at(l)) * v[at(i)];
            }
            for (std::int64_t i = 0; i < nRow; ++i) {
                v[at(i)] -= dot * U(at(i), at(l));
            }
        }
    }
    double norm = 0;
    for (const double x : v) {
        norm += x * x;
    }
    norm = std::sqrt(norm);
    for (std::int64_t i = 0; i < nRow; ++i) {
        U(at(i), at(k)) = v[at(i)] / norm;
    }
}

} // namespace

void SortEigenDesc(std::vector<double>& evals, Matrix& evecs, std::int64_t n)
{
    if (n < 1) {
        return;
    }
    if (evals.size() < at(n) || evecs.rows() < at(n) || evecs.cols() < at(n)) {
        numeric::raiseRuntime(platform::err::Subscript, "SortEigenDesc");
    }
    std::vector<std::int64_t> index(at(n));
    std::iota(index.begin(), index.end(), std::int64_t{0});
    QelSortRank::QuickSort2Desc(evals, index, 0, n - 1);
    const Matrix old = evecs;
    for (std::int64_t i = 0; i < n; ++i) {
        for (std::int64_t j = 0; j < n; ++j) {
            evecs(at(i), at(j)) = old(at(i), at(index[at(j)]));
        }
    }
}

void GetEigenSorted(Matrix& A, std::int64_t n, std::vector<double>& evals, Matrix& evecs)
{
    evecs = Matrix(at(std::max<std::int64_t>(n, 0)), at(std::max<std::int64_t>(n, 0)));
    QelNumRec::GetEigen(A, n, evecs, toleranceFor(A, n));
    readDiagonal(A, n, evals);
    SortEigenDesc(evals, evecs, n);
}

void GetEigenSortedPB(Matrix& A, std::int64_t n, std::vector<double>& evals, Matrix& evecs, Progress* progress)
{
    evecs = Matrix(at(std::max<std::int64_t>(n, 0)), at(std::max<std::int64_t>(n, 0)));
    if (progress != nullptr) {
        QelNumRec::GetEigenPB(A, n, evecs, toleranceFor(A, n), progress);
    } else {
        QelNumRec::GetEigen(A, n, evecs, toleranceFor(A, n));
    }
    readDiagonal(A, n, evals);
    SortEigenDesc(evals, evecs, n);
}

void DoPCA(Matrix& data, std::int32_t nRow, std::int32_t nCol, const std::vector<std::string>& /*rowNames*/,
           const std::vector<std::string>& colLabels, bool useCorr, Matrix& scores, std::int32_t nPC,
           std::vector<double>& evals, Matrix& evecs, Progress* progress, bool standardScores,
           std::optional<double> missingCode, std::string* report)
{
    constexpr const char* source = "DoPCA";
    if (nPC < 1) {
        numeric::raiseReport(source, "The number of principal components to keep must be at least 1 (it is " +
                                         platform::rt::CStr(nPC) + ").");
    }
    checkCounts(data, nRow, nCol, source);

    // 1. Result shapes.
    Matrix matrix(at(nCol), at(nCol));
    scores = Matrix(at(nRow), at(nPC));
    evals.assign(at(nCol), 0.0);
    evecs = Matrix(at(nCol), at(nCol));

    // 2. Too few variables.
    if (nCol < 2) {
        (void)platform::dialogs().MsgBox("There are < 2 variables: inappropriate for PCA.", platform::mb::Information,
                                         shell::ProgramInfo::ExeName);
        return;
    }
    if (colLabels.size() < at(nCol)) {
        numeric::raiseReport(source, "There are fewer column labels (" + platform::rt::CStr(static_cast<std::int64_t>(colLabels.size())) +
                                         ") than columns (" + platform::rt::CStr(nCol) + ").");
    }

    // 3. Correlation or covariance matrix, made symmetric, and its decomposition.
    if (useCorr) {
        if (missingCode) {
            MathStat::GetCorrMatMissing(data, matrix, nRow, nCol, progress, *missingCode);
        } else {
            MathStat::GetCorrMat(data, matrix, nRow, nCol, progress);
        }
        for (std::int32_t i = 0; i < nCol; ++i) {
            matrix(at(i), at(i)) = 1.0;
        }
    } else if (missingCode) {
        MathStat::GetCovMatMissing(data, matrix, nRow, nCol, progress, *missingCode);
    } else {
        MathStat::GetCovMat(data, matrix, nRow, nCol, progress);
    }
    for (std::int32_t i = 0; i < nCol; ++i) {
        for (std::int32_t j = i + 1; j < nCol; ++j) {
            matrix(at(i), at(j)) = matrix(at(j), at(i));
        }
    }
    const Matrix matrixCopy = matrix;
    Matrix vectors;
    if (useCorr) {
        GetEigenSorted(matrix, nCol, evals, vectors);
    } else {
        GetEigenSortedVar(matrix, nCol, evals, vectors);
    }

    // 4. Leading components; standardised data for the correlation option.
    evecs = Matrix(at(nCol), at(nPC));
    for (std::int32_t i = 0; i < nCol; ++i) {
        for (std::int32_t j = 0; j < std::min(nCol, nPC); ++j) {
            evecs(at(i), at(j)) = vectors(at(i), at(j));
        }
    }
    if (useCorr) {
        if (missingCode) {
            DataTool::NormalizeData(data, nRow, nCol, true, missingCode, progress);
        } else {
            DataTool::StandardizeData(data, nRow, nCol, true);
        }
    }

    // 5. Scores; a missing cell stands for its column's mean.
    std::vector<double> fill(at(nCol), 0.0);
    if (missingCode) {
        for (std::int32_t k = 0; k < nCol; ++k) {
            double sum = 0;
            std::int32_t count = 0;
            for (std::int32_t i = 0; i < nRow; ++i) {
                const double x = data(at(i), at(k));
                if (x != *missingCode) {
                    sum += x;
                    ++count;
                }
            }
            fill[at(k)] = count > 0 ? sum / count : 0.0;
        }
    }
    // The nPC sums of a row advance together over its cells (each still from
    // column 0 on), reading the eigenvectors row by row.
    std::vector<double> sums(at(nPC));
    for (std::int32_t i = 0; i < nRow; ++i) {
        std::fill(sums.begin(), sums.end(), 0.0);
        const double* row = data.data() + at(i) * data.cols();
        for (std::int32_t k = 0; k < nCol; ++k) {
            double x = row[k];
            if (missingCode && x == *missingCode) {
                x = fill[at(k)];
            }
            const double* e = evecs.data() + at(k) * evecs.cols();
            for (std::size_t j = 0; j < sums.size(); ++j) {
                sums[j] += x * e[j];
            }
        }
        for (std::int32_t j = 0; j < nPC; ++j) {
            scores(at(i), at(j)) = numeric::checkedFinite(sums[at(j)], source);
        }
    }

    // 6. Centred or standardised score columns.
    if (standardScores) {
        DataTool::StandardizeData(scores, nRow, nPC, true);
    } else {
        for (std::int32_t j = 0; j < nPC; ++j) {
            double sum = 0;
            for (std::int32_t i = 0; i < nRow; ++i) {
                sum += scores(at(i), at(j));
            }
            const double mean = numeric::checkedDiv(sum, nRow, source);
            for (std::int32_t i = 0; i < nRow; ++i) {
                scores(at(i), at(j)) -= mean;
            }
        }
    }

    // 7. Report.
    if (report != nullptr) {
        *report = pcaReport(nRow, nCol, nPC, useCorr, matrixCopy, colLabels, evals, evecs);
    }
}

void RowColCorr(const Matrix& F, std::int32_t nRow, std::int32_t nCol, const Matrix& rowOrd, const Matrix& colOrd,
                std::vector<double>& corr, double N)
{
    constexpr const char* source = "RowColCorr";
    checkCounts(F, nRow, nCol, source);
    const std::int32_t K = std::max(std::min(nRow, nCol) - 1, 0);
    corr.assign(at(K), 0.0);
    if (K == 0) {
        return;
    }
    if (rowOrd.rows() < at(nRow) || colOrd.rows() < at(nCol) || rowOrd.cols() < at(K) + 1 ||
        colOrd.cols() < at(K) + 1) {
        numeric::raiseRuntime(platform::err::Subscript, source);
    }
    for (std::int32_t k = 1; k <= K; ++k) {
        double sum = 0;
        for (std::int32_t i = 0; i < nRow; ++i) {
            const double r = rowOrd(at(i), at(k));
            for (std::int32_t j = 0; j < nCol; ++j) {
                sum += r * F(at(i), at(j)) * colOrd(at(j), at(k));
            }
        }
        corr[at(k) - 1] = numeric::checkedDiv(sum, N, source);
    }
}

bool RA(const Matrix& F, std::int32_t nRow, std::int32_t nCol, Matrix& M, std::vector<double>& eigenvalues, Matrix& U,
        Matrix& V, Matrix& rowOrd, Matrix& colOrd, std::vector<double>& corr, Progress* progress,
        std::optional<double> missingCode)
{
    constexpr const char* source = "RA";
    using platform::rt::CStr;
    checkCounts(F, nRow, nCol, source);
    if (nRow < 1 || nCol < 1) {
        numeric::raiseReport(source, "Correspondence analysis needs at least one row and one column of data.");
    }

    // Sums, with the table checked before anything is computed.
    std::vector<double> r(at(nRow), 0.0);
    std::vector<double> c(at(nCol), 0.0);
    double N = 0;
    setMinimum(progress, 0);
    setMaximum(progress, nRow);
    std::int64_t missing = 0;
    for (std::int32_t i = 0; i < nRow; ++i) {
        for (std::int32_t j = 0; j < nCol; ++j) {
            const double f = F(at(i), at(j));
            const auto where = [&] { return "row " + CStr(i + 1) + ", column " + CStr(j + 1); };
            if (!std::isfinite(f)) {
                throw platform::Error(platform::err::TypeMismatch, source,
                                      "The entry at " + where() + " is not a number.");
            }
            if (missingCode && f == *missingCode) {
                ++missing;
                continue;
            }
            if (f < 0) {
                numeric::raiseReport(source, "The entry at " + where() + " is negative (" + CStr(f) +
                                                 "); correspondence analysis needs counts of 0 or more.");
            }
            r[at(i)] += f;
            c[at(j)] += f;
            N += f;
        }
        setValue(progress, i);
    }
    if (missing > 0) {
        numeric::raiseReport(source, "The table holds " + CStr(missing) + " missing value" +
                                         (missing == 1 ? "" : "s") + " (cells equal to the code " +
                                         CStr(*missingCode) +
                                         "). Correspondence analysis needs every cell of the table.");
    }
    for (std::int32_t i = 0; i < nRow; ++i) {
        if (!(r[at(i)] > 0)) {
            numeric::raiseReport(source, "Row " + CStr(i + 1) +
                                             " sums to 0; correspondence analysis needs every row and column to "
                                             "have a positive sum.");
        }
    }
    for (std::int32_t j = 0; j < nCol; ++j) {
        if (!(c[at(j)] > 0)) {
            numeric::raiseReport(source, "Column " + CStr(j + 1) +
                                             " sums to 0; correspondence analysis needs every row and column to "
                                             "have a positive sum.");
        }
    }
    N = numeric::checkedFinite(N, source);

    // Weights and the scaled table.
    std::vector<double> w(at(nRow));
    std::vector<double> z(at(nCol));
    for (std::int32_t i = 0; i < nRow; ++i) {
        w[at(i)] = 1.0 / std::sqrt(r[at(i)]);
    }
    for (std::int32_t j = 0; j < nCol; ++j) {
        z[at(j)] = 1.0 / std::sqrt(c[at(j)]);
    }
    M = Matrix(at(nRow), at(nCol));
    for (std::int32_t i = 0; i < nRow; ++i) {
        for (std::int32_t j = 0; j < nCol; ++j) {
            M(at(i), at(j)) = F(at(i), at(j)) * w[at(i)] * z[at(j)];
        }
    }

    // Q = M'M (lower triangle and diagonal) and its sorted decomposition.
    Matrix Q(at(nCol), at(nCol));
    for (std::int32_t i = 0; i < nRow; ++i) {
        const double* m = M.data() + at(i) * M.cols();
        for (std::int32_t a = 0; a < nCol; ++a) {
            const double ma = m[a];
            if (ma == 0) {
                continue;
            }
            double* q = Q.data() + at(a) * Q.cols();
            for (std::int32_t b = 0; b <= a; ++b) {
                q[b] += ma * m[b];
            }
        }
    }
    GetEigenSortedPB(Q, nCol, eigenvalues, V, progress);

    // Row axes from the column axes.
    const std::int32_t K0 = std::min(nRow, nCol);
    U = Matrix(at(nRow), at(K0));
    setMaximum(progress, K0);
    for (std::int32_t k = 0; k < K0; ++k) {
        const double lambda = eigenvalues[at(k)];
        bool derived = false;
        if (lambda > kZeroEigenvalue) {
            double norm = 0;
            for (std::int32_t i = 0; i < nRow; ++i) {
                const double* m = M.data() + at(i) * M.cols();
                double s = 0;
                for (std::int32_t j = 0; j < nCol; ++j) {
                    s += m[j] * V(at(j), at(k));
                }
                U(at(i), at(k)) = s;
                norm += s * s;
            }
            norm = std::sqrt(norm);
            if (norm > 0 && std::isfinite(norm)) {
                for (std::int32_t i = 0; i < nRow; ++i) {
                    U(at(i), at(k)) /= norm;
                }
                derived = true;
            }
        }
        if (!derived) {
            completeAxis(U, nRow, k);
        }
        setValue(progress, k);
    }

    // Ordinations.
    const double rootN = std::sqrt(N);
    rowOrd = Matrix(at(nRow), at(K0));
    for (std::int32_t i = 0; i < nRow; ++i) {
        for (std::int32_t k = 0; k < K0; ++k) {
            rowOrd(at(i), at(k)) = rootN * U(at(i), at(k)) * w[at(i)];
        }
    }
    colOrd = Matrix(at(nCol), at(nCol));
    for (std::int32_t j = 0; j < nCol; ++j) {
        for (std::int32_t k = 0; k < nCol; ++k) {
            colOrd(at(j), at(k)) = rootN * V(at(j), at(k)) * z[at(j)];
        }
    }

    // Correlations, each row axis turned so that its correlation is >= 0.
    RowColCorr(F, nRow, nCol, rowOrd, colOrd, corr, N);
    for (std::int32_t k = 1; k < K0; ++k) {
        if (corr[at(k) - 1] < 0) {
            corr[at(k) - 1] = -corr[at(k) - 1];
            for (std::int32_t i = 0; i < nRow; ++i) {
                U(at(i), at(k)) = -U(at(i), at(k));
                rowOrd(at(i), at(k)) = -rowOrd(at(i), at(k));
            }
        }
    }
    setValue(progress, 0);
    return true;
}

} // namespace MultiVar
