#include "numeric/MatB.h"

#include <cmath>

#include "numeric/Checked.h"
#include "platform/errors/Error.h"

namespace MatB {

using numeric::checkedFinite;
using numeric::raiseRuntime;

namespace {

void checkBlock(const Matrix& M, std::int64_t nr, std::int64_t nc, const char* source)
{
    if (nr < 0 || nc < 0) {
        raiseRuntime(platform::err::InvalidCall, source);
    }
    if (M.rows() < static_cast<std::size_t>(nr) || M.cols() < static_cast<std::size_t>(nc)) {
        raiseRuntime(platform::err::Subscript, source);
    }
}

std::size_t idx(std::int64_t i)
{
    return static_cast<std::size_t>(i);
}

template <class Better>
double extremeOfBlock(const Matrix& M, std::int64_t nr, std::int64_t nc, const char* source, Better better)
{
    checkBlock(M, nr, nc, source);
    if (M.isEmpty()) {
        raiseRuntime(platform::err::Subscript, source);
    }
    double best = M(0, 0);
    for (std::int64_t i = 0; i < nr; ++i) {
        for (std::int64_t j = 0; j < nc; ++j) {
            if (better(M(idx(i), idx(j)), best)) {
                best = M(idx(i), idx(j));
            }
        }
    }
    return best;
}

} // namespace

std::vector<double> MovingAverage(std::span<const double> input, std::int64_t A, std::int64_t W, bool pad)
{
    if (A < 0 || W < 1) {
        raiseRuntime(platform::err::InvalidCall, "MovingAverage");
    }
    if (input.size() < static_cast<std::size_t>(A)) {
        raiseRuntime(platform::err::Subscript, "MovingAverage");
    }
    const std::int64_t lo = -(W / 2);
    const std::int64_t hi = W - W / 2 - 1;
    std::vector<double> output(idx(A));
    for (std::int64_t i = 0; i < A; ++i) {
        double sum = 0;
        for (std::int64_t k = i + lo; k <= i + hi; ++k) {
            if (k >= 0 && k < A) {
                sum += input[idx(k)];
            } else if (pad) {
                sum += k < 0 ? input[0] : input[idx(A - 1)];
            }
        }
        output[idx(i)] = checkedFinite(sum / static_cast<double>(W), "MovingAverage");
    }
    return output;
}

std::int16_t MatMult(const BoundedMatrix& A, const BoundedMatrix& B, BoundedMatrix& P)
{
    constexpr std::int16_t innerDimensions = -3;  // run-time error 197
    constexpr std::int16_t resultShape = -5;      // run-time error 195
    constexpr std::int16_t overflow = 6;
    if (A.secondLower != B.firstLower || A.secondUpper() != B.firstUpper()) {
        return innerDimensions;
    }
    if (P.firstLower != A.firstLower || P.firstUpper() != A.firstUpper() || P.secondLower != B.secondLower ||
        P.secondUpper() != B.secondUpper()) {
        return resultShape;
    }
    for (std::int64_t i = P.firstLower; i <= P.firstUpper(); ++i) {
        for (std::int64_t j = P.secondLower; j <= P.secondUpper(); ++j) {
            double sum = 0;
            for (std::int64_t k = A.secondLower; k <= A.secondUpper(); ++k) {
                sum += A.at(i, k) * B.at(k, j);
            }
            if (!std::isfinite(sum)) {
                return overflow;
            }
            P.at(i, j) = sum;
        }
    }
    return 0;
}

std::int16_t MatMult(const Matrix& A, const Matrix& B, Matrix& P)
{
    const BoundedMatrix a{A, 0, 0};
    const BoundedMatrix b{B, 0, 0};
    BoundedMatrix p{std::move(P), 0, 0};
    const std::int16_t code = MatMult(a, b, p);
    P = std::move(p.values);
    return code;
}

void VarMatMult(const Matrix& A, const Matrix& B, Matrix& P, std::int64_t n, std::int64_t p, std::int64_t m)
{
    checkBlock(A, n, p, "VarMatMult");
    checkBlock(B, p, m, "VarMatMult");
    checkBlock(P, n, m, "VarMatMult");
    for (std::int64_t i = 0; i < n; ++i) {
        for (std::int64_t j = 0; j < m; ++j) {
            double sum = 0;
            for (std::int64_t k = 0; k < p; ++k) {
                sum += A(idx(i), idx(k)) * B(idx(k), idx(j));
            }
            P(idx(i), idx(j)) = checkedFinite(sum, "VarMatMult");
        }
    }
}

double MinOfCol(const Matrix& M, std::int64_t nr, std::int64_t nc)
{
    return extremeOfBlock(M, nr, nc, "MinOfCol", [](double a, double b) { return a < b; });
}

double MaxOfCol(const Matrix& M, std::int64_t nr, std::int64_t nc)
{
    return extremeOfBlock(M, nr, nc, "MaxOfCol", [](double a, double b) { return a > b; });
}

double MaxOfLowerTri(const Matrix& M, std::int64_t n)
{
    checkBlock(M, n, n, "MaxOfLowerTri");
    if (M.isEmpty()) {
        raiseRuntime(platform::err::Subscript, "MaxOfLowerTri");
    }
    double best = M(0, 0);
    for (std::int64_t i = 1; i < n; ++i) {
        for (std::int64_t j = 0; j <= i; ++j) {
            if (M(idx(i), idx(j)) > best) {
                best = M(idx(i), idx(j));
            }
        }
    }
    return best;
}

void CopyVarBlock(const Matrix& source, std::int64_t nr, std::int64_t nc, Matrix& destination)
{
    checkBlock(source, nr, nc, "CopyVarBlock");
    checkBlock(destination, nc, nr, "CopyVarBlock");
    for (std::int64_t i = 0; i < nr; ++i) {
        for (std::int64_t j = 0; j < nc; ++j) {
            destination(idx(j), idx(i)) = source(idx(i), idx(j));
        }
    }
}

Matrix Var2DblMat(const Matrix& V, std::int64_t na, std::int64_t nb)
{
    checkBlock(V, na, nb, "Var2DblMat");
    Matrix T(idx(nb), idx(na));
    for (std::int64_t i = 0; i < na; ++i) {
        for (std::int64_t j = 0; j < nb; ++j) {
            T(idx(j), idx(i)) = V(idx(i), idx(j));
        }
    }
    return T;
}

Matrix MatScalarMult(const Matrix& V, std::int64_t nr, std::int64_t nc, double k)
{
    checkBlock(V, nr, nc, "MatScalarMult");
    Matrix out(idx(nr), idx(nc));
    for (std::int64_t i = 0; i < nr; ++i) {
        for (std::int64_t j = 0; j < nc; ++j) {
            out(idx(i), idx(j)) = checkedFinite(V(idx(i), idx(j)) * k, "MatScalarMult");
        }
    }
    return out;
}

Matrix MatElemMult(const Matrix& M, std::int64_t nr, std::int64_t nc, std::span<const double> v)
{
    checkBlock(M, nr, nc, "MatElemMult");
    if (v.size() < idx(nr)) {
        raiseRuntime(platform::err::Subscript, "MatElemMult");
    }
    Matrix out(idx(nr), idx(nc));
    for (std::int64_t i = 0; i < nr; ++i) {
        for (std::int64_t j = 0; j < nc; ++j) {
            out(idx(i), idx(j)) = checkedFinite(M(idx(i), idx(j)) * v[idx(i)], "MatElemMult");
        }
    }
    return out;
}

} // namespace MatB
