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

// The rotations work on compact copies: the symmetric matrix row-major and
// n x n (kept symmetric bit for bit: both triangles are written from the same
// numbers, so row p is also column p), and the eigenvectors as rows (row p of
// m_vt is column p of V), so that a rotation runs over contiguous rows. Each
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
        // A and V receive the state reached however the rotations ended.
        for (Index i = 0; i < m_n; ++i) {
            for (Index j = 0; j < m_n; ++j) {
                m_A(at(i), at(j)) = a(i, j);
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

    // Rotates rows p and q (q < p, as the scan finds them) over the columns
    // k of one run between them, and keeps the counts: row p's new count
    // (its elements (p, k), k < p) and row q's are summed into cp and cq;
    // rows k > q take the change of their elements (k, q) and, for k > p,
    // (k, p).
    template <bool kRowQ, bool kRowP>
    void turnRun(double* __restrict rp, double* __restrict rq, Index from, Index to, double cs, double sn,
                 double thr, std::int64_t& cp, std::int64_t& cq)
    {
        std::int64_t* __restrict count = m_count.data();
        std::int64_t sumP = 0;
        std::int64_t sumQ = 0;
        for (Index k = from; k < to; ++k) {
            const double pk = rp[k];
            const double qk = rq[k];
            const double np = cs * pk + sn * qk;
            const double nq = cs * qk - sn * pk;
            rp[k] = np;
            rq[k] = nq;
            if constexpr (kRowQ) {
                // k < q: both elements belong to rows p and q.
                sumP += reaches(np, thr);
                sumQ += reaches(nq, thr);
            } else if constexpr (kRowP) {
                // q < k < p: (p, k) is row p's, (k, q) row k's.
                sumP += reaches(np, thr);
                count[k] += reaches(nq, thr) - reaches(qk, thr);
            } else {
                // k > p: (k, p) and (k, q) are both row k's.
                count[k] += reaches(np, thr) - reaches(pk, thr) + reaches(nq, thr) - reaches(qk, thr);
            }
        }
        cp += sumP;
        cq += sumQ;
    }

    void rotate(Index p, Index q, double thr)
    {
        const double x = -a(p, q);
        const double y = (a(q, q) - a(p, p)) / 2.0;
        double w = x / std::hypot(x, y);
        if (y < 0) {
            w = -w;
        }
        const double sn = w / std::sqrt(2.0 * (1.0 + std::sqrt(std::max(0.0, 1.0 - w * w))));
        const double cs = std::sqrt(std::max(0.0, 1.0 - sn * sn));

        const double app = a(p, p);
        const double aqq = a(q, q);
        const double apq = a(p, q);
        double* rp = row(p);
        double* rq = row(q);
        // Every k but p and q, in three runs; (p, q) itself becomes 0.
        std::int64_t countP = 0;
        std::int64_t countQ = 0;
        turnRun<true, false>(rp, rq, 0, q, cs, sn, thr, countP, countQ);
        turnRun<false, true>(rp, rq, q + 1, p, cs, sn, thr, countP, countQ);
        turnRun<false, false>(rp, rq, p + 1, m_n, cs, sn, thr, countP, countQ);
        m_count[at(p)] = countP;
        m_count[at(q)] = countQ;
        rp[p] = cs * cs * app + sn * sn * aqq + w * apq;
        rq[q] = sn * sn * app + cs * cs * aqq - w * apq;
        rp[q] = 0.0;
        rq[p] = 0.0;
        for (Index k = 0; k < m_n; ++k) {
            double* rk = row(k);
            rk[p] = rp[k];
            rk[q] = rq[k];
        }
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
