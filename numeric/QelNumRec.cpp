#include "numeric/QelNumRec.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numeric/Checked.h"
#include "platform/errors/Error.h"

namespace QelNumRec {

namespace {

using Index = std::int64_t;

// Position of the lower-triangle element (i, j), i > j, in scan order.
Index scanPosition(Index i, Index j)
{
    return i * (i - 1) / 2 + j;
}

class Jacobi {
public:
    Jacobi(Matrix& A, Index n, Matrix& V, Progress* progress) : m_a(A), m_n(n), m_v(V), m_progress(progress) {}

    void run(double tol)
    {
        for (Index i = 0; i < m_n; ++i) {
            for (Index j = 0; j < m_n; ++j) {
                v(i, j) = i == j ? 1.0 : 0.0;
            }
        }
        double s = 0;
        for (Index i = 1; i < m_n; ++i) {
            for (Index j = 0; j < i; ++j) {
                s += a(i, j) * a(i, j);
            }
        }
        if (s == 0.0) {
            return;
        }
        if (!std::isfinite(s)) {
            numeric::raiseRuntime(platform::err::Overflow, "GetEigen");
        }
        double thr = std::sqrt(2.0 * s);
        const Index cap = 1000 + 100 * m_n * m_n;
        for (;;) {
            thr /= static_cast<double>(m_n);
            Index rotations = 0;
            startScan();
            Index p = 0;
            Index q = 0;
            bool found = scanFrom(1, 0, thr, p, q);
            while (found) {
                if (++rotations > cap) {
                    numeric::raiseReport("GetEigen", "The rotations did not converge.");
                }
                if (m_progress != nullptr) {
                    m_progress->setValue(static_cast<double>(m_scans % 100));
                }
                rotate(p, q);
                startScan();
                found = nextAfterRotation(p, q, thr, p, q);
            }
            if (thr < tol) {
                return;
            }
        }
    }

private:
    double& a(Index i, Index j) { return m_a(static_cast<std::size_t>(i), static_cast<std::size_t>(j)); }
    double& v(Index i, Index j) { return m_v(static_cast<std::size_t>(i), static_cast<std::size_t>(j)); }

    void startScan() { ++m_scans; }

    // First element at or after (i, j) in scan order with |A| >= thr.
    bool scanFrom(Index i, Index j, double thr, Index& p, Index& q)
    {
        for (; i < m_n; ++i, j = 0) {
            for (; j < i; ++j) {
                if (std::fabs(a(i, j)) >= thr) {
                    p = i;
                    q = j;
                    return true;
                }
            }
        }
        return false;
    }

    // The element that a scan from the start would find after the rotation
    // at (p, q): every element ahead of (p, q) was below thr before it, and
    // only those in rows and columns p and q have changed since.
    bool nextAfterRotation(Index p, Index q, double thr, Index& np, Index& nq)
    {
        const Index limit = scanPosition(p, q);
        Index best = limit;
        auto consider = [&](Index r, Index c) {
            const Index i = std::max(r, c);
            const Index j = std::min(r, c);
            const Index pos = scanPosition(i, j);
            if (pos < best && std::fabs(a(i, j)) >= thr) {
                best = pos;
                np = i;
                nq = j;
            }
        };
        for (Index k = 0; k < m_n; ++k) {
            if (k != p && k != q) {
                consider(p, k);
                consider(q, k);
            }
        }
        if (best < limit) {
            return true;
        }
        return scanFrom(p, q + 1, thr, np, nq);
    }

    void rotate(Index p, Index q)
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
        a(p, p) = cs * cs * app + sn * sn * aqq + w * apq;
        a(q, q) = sn * sn * app + cs * cs * aqq - w * apq;
        a(p, q) = 0.0;
        a(q, p) = 0.0;
        for (Index k = 0; k < m_n; ++k) {
            if (k == p || k == q) {
                continue;
            }
            const double pk = a(p, k);
            const double qk = a(q, k);
            a(p, k) = cs * pk + sn * qk;
            a(q, k) = cs * qk - sn * pk;
        }
        for (Index k = 0; k < m_n; ++k) {
            if (k == p || k == q) {
                continue;
            }
            const double kp = a(k, p);
            const double kq = a(k, q);
            a(k, p) = cs * kp + sn * kq;
            a(k, q) = cs * kq - sn * kp;
        }
        for (Index k = 0; k < m_n; ++k) {
            const double kp = v(k, p);
            const double kq = v(k, q);
            v(k, p) = cs * kp + sn * kq;
            v(k, q) = cs * kq - sn * kp;
        }
    }

    Matrix& m_a;
    Index m_n;
    Matrix& m_v;
    Progress* m_progress;
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
