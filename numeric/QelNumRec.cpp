#include "numeric/QelNumRec.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "numeric/Checked.h"
#include "platform/errors/Error.h"

namespace QelNumRec {

namespace {

using Index = std::int64_t;

// The rotations work on compact copies: the lower triangle and diagonal of
// the symmetric matrix (row-major, n x n; the upper triangle is not kept, an
// element (k, p), k < p, being read as (p, k)), and the eigenvectors as rows
// (row p of m_vt is column p of V), so that a rotation runs over contiguous
// rows where the triangle allows. Each
// row i keeps the count of its elements (i, j), j < i, at or above the
// level's threshold, so that the first such element in scan order is found
// without scanning the triangle.
class Jacobi {
public:
    Jacobi(Matrix& A, Index n, Matrix& V, Progress* progress)
        : m_A(A), m_V(V), m_n(n), m_progress(progress), m_a(cells(n)), m_vt(cells(n), 0.0),
          m_count(static_cast<std::size_t>(n), 0)
    {
        for (Index i = 0; i < m_n; ++i) {
            for (Index j = 0; j < m_n; ++j) {
                a(i, j) = m_A(at(i), at(j));
            }
            vt(i, i) = 1.0;
        }
    }

    void run(double tol)
    {
        const Ending ending = rotate(tol);
        // A and V receive the state reached however the rotations ended;
        // A symmetric, from the lower triangle.
        for (Index i = 0; i < m_n; ++i) {
            for (Index j = 0; j < m_n; ++j) {
                m_A(at(i), at(j)) = a(std::max(i, j), std::min(i, j));
                m_V(at(i), at(j)) = vt(j, i);
            }
        }
        if (ending == Ending::Overflow) {
            numeric::raiseRuntime(platform::err::Overflow, "GetEigen");
        }
        if (ending == Ending::TooManyRotations) {
            numeric::raiseReport("GetEigen", "The rotations did not converge.");
        }
    }

private:
    static std::size_t at(Index i) { return static_cast<std::size_t>(i); }
    static std::size_t cells(Index n) { return at(n) * at(n); }
    double& a(Index i, Index j) { return m_a[at(i * m_n + j)]; }
    double& vt(Index i, Index j) { return m_vt[at(i * m_n + j)]; }
    double* row(Index i) { return m_a.data() + i * m_n; }

    enum class Ending { Converged, Overflow, TooManyRotations };

    Ending rotate(double tol)
    {
        double s = 0;
        for (Index i = 1; i < m_n; ++i) {
            for (Index j = 0; j < i; ++j) {
                s += a(i, j) * a(i, j);
            }
        }
        if (s == 0.0) {
            return Ending::Converged;
        }
        if (!std::isfinite(s)) {
            return Ending::Overflow;
        }
        double thr = std::sqrt(2.0 * s);
        const Index cap = 1000 + 100 * m_n * m_n;
        for (;;) {
            thr /= static_cast<double>(m_n);
            for (Index i = 0; i < m_n; ++i) {
                countRow(i, thr);
            }
            Index rotations = 0;
            ++m_scans;
            Index p = 0;
            Index q = 0;
            // Rows before q are unchanged by a rotation at (p, q) and held
            // no element at the threshold, so the next search starts at q.
            Index from = 1;
            while (first(from, thr, p, q)) {
                if (++rotations > cap) {
                    return Ending::TooManyRotations;
                }
                if (m_progress != nullptr) {
                    m_progress->setValue(static_cast<double>(m_scans % 100));
                }
                rotate(p, q, thr);
                ++m_scans;
                from = q;
            }
            if (thr < tol) {
                return Ending::Converged;
            }
        }
    }

    static std::int64_t reaches(double x, double thr) { return std::fabs(x) >= thr ? 1 : 0; }

    void countRow(Index i, double thr)
    {
        const double* r = row(i);
        std::int64_t c = 0;
        for (Index j = 0; j < i; ++j) {
            c += reaches(r[j], thr);
        }
        m_count[at(i)] = c;
    }

    // The first lower-triangle element in scan order (row by row), from row
    // `from` on, whose magnitude reaches thr.
    bool first(Index from, double thr, Index& p, Index& q)
    {
        for (Index i = std::max<Index>(from, 1); i < m_n; ++i) {
            if (m_count[at(i)] == 0) {
                continue;
            }
            const double* r = row(i);
            for (Index j = 0; j < i; ++j) {
                if (std::fabs(r[j]) >= thr) {
                    p = i;
                    q = j;
                    return true;
                }
            }
        }
        return false;
    }

    void rotate(Index p, Index q, double thr)
    {
        double* rp = row(p);
        double* rq = row(q);
        const double x = -rp[q];
        const double y = (rq[q] - rp[p]) / 2.0;
        double w = x / std::hypot(x, y);
        if (y < 0) {
            w = -w;
        }
        const double sn = w / std::sqrt(2.0 * (1.0 + std::sqrt(std::max(0.0, 1.0 - w * w))));
        const double cs = std::sqrt(std::max(0.0, 1.0 - sn * sn));

        const double app = rp[p];
        const double aqq = rq[q];
        const double apq = rp[q];
        // Row and column p and q, every k but p and q, in three runs by
        // where the lower triangle keeps the two elements (q < p, as the
        // scan finds them); (p, q) itself becomes 0. The counts follow: rows
        // p and q are counted afresh, rows k > q take the change of their
        // elements (k, q) and, for k > p, (k, p).
        std::int64_t* __restrict count = m_count.data();
        std::int64_t countP = 0;
        std::int64_t countQ = 0;
        auto turn = [cs, sn](double& u, double& v) {
            const double pk = u;
            const double qk = v;
            u = cs * pk + sn * qk;
            v = cs * qk - sn * pk;
        };
        // k < q: (p, k) and (q, k), in rows p and q.
        for (Index k = 0; k < q; ++k) {
            turn(rp[k], rq[k]);
            countP += reaches(rp[k], thr);
            countQ += reaches(rq[k], thr);
        }
        // q < k < p: (p, k) in row p, (k, q) in row k.
        for (Index k = q + 1; k < p; ++k) {
            double& kq = row(k)[q];
            const std::int64_t before = reaches(kq, thr);
            turn(rp[k], kq);
            countP += reaches(rp[k], thr);
            count[k] += reaches(kq, thr) - before;
        }
        // k > p: (k, p) and (k, q), both in row k.
        for (Index k = p + 1; k < m_n; ++k) {
            double* rk = row(k);
            const std::int64_t before = reaches(rk[p], thr) + reaches(rk[q], thr);
            turn(rk[p], rk[q]);
            count[k] += reaches(rk[p], thr) + reaches(rk[q], thr) - before;
        }
        rp[p] = cs * cs * app + sn * sn * aqq + w * apq;
        rq[q] = sn * sn * app + cs * cs * aqq - w * apq;
        rp[q] = 0.0;
        count[p] = countP;
        count[q] = countQ;
        double* __restrict vp = m_vt.data() + p * m_n;
        double* __restrict vq = m_vt.data() + q * m_n;
        for (Index k = 0; k < m_n; ++k) {
            const double pk = vp[k];
            const double qk = vq[k];
            vp[k] = cs * pk + sn * qk;
            vq[k] = cs * qk - sn * pk;
        }
    }

    Matrix& m_A;
    Matrix& m_V;
    Index m_n;
    Progress* m_progress;
    std::vector<double> m_a;
    std::vector<double> m_vt;
    std::vector<std::int64_t> m_count;
    Index m_scans = 0;
};

void eigen(Matrix& A, std::int64_t n, Matrix& V, double tol, Progress* progress)
{
    if (n < 0 || !(tol > 0.0)) {
        numeric::raiseRuntime(platform::err::InvalidCall, "GetEigen");
    }
    const auto size = static_cast<std::size_t>(n);
    if (A.rows() < size || A.cols() < size || V.rows() < size || V.cols() < size) {
        numeric::raiseRuntime(platform::err::Subscript, "GetEigen");
    }
    for (std::size_t i = 0; i < size; ++i) {
        for (std::size_t j = 0; j <= i; ++j) {
            if (!std::isfinite(A(i, j))) {
                numeric::raiseRuntime(platform::err::Overflow, "GetEigen");
            }
            A(j, i) = A(i, j);
        }
    }
    if (progress != nullptr) {
        progress->setMaximum(100);
    }
    Jacobi(A, n, V, progress).run(tol);
}

} // namespace

void GetEigen(Matrix& A, std::int64_t n, Matrix& V, double tol)
{
    eigen(A, n, V, tol, nullptr);
}

void GetEigenPB(Matrix& A, std::int64_t n, Matrix& V, double tol, Progress* progress)
{
    eigen(A, n, V, tol, progress);
}

} // namespace QelNumRec
