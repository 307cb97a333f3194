#include "engines/dnaml/DnamlTree.h"

#include <algorithm>
#include <cmath>

namespace tallowin::dnaml {

namespace {

constexpr double kScaleFactor = 0x1p256;
constexpr double kScaleLimit = 0x1p-256;
constexpr double kLnScale = 256.0 * 0.693147180559945309417; // ln 2^256

double clampZ(double z)
{
    if (!(z >= kZMin))
        return kZMin;
    return std::min(z, kZMax);
}

// Each kernel below has a plain copy and one for processors with 256-bit
// vectors, chosen at the first call. Every lane does the same operations in
// the same order (no fused multiply-add), so both copies give the same bits.
// The choice is made in ordinary code rather than by the loader, which would
// run it before a sanitizer's run-time is ready.
bool wideVectors()
{
    static const bool wide = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return wide;
}

// The vector of a node from its two children's vectors a1 and a2 across
// branches with factors (ki, kv): per side and base,
// y_b = (1 - ki) S + (ki - kv) S_class(b) + kv x_b, and the node's value is
// the product of the two sides. Arrays are A, C, G, T blocks of np values.
[[gnu::always_inline]] inline void combineSidesBody(const double* __restrict__ a1, const double* __restrict__ a2,
    double* __restrict__ oa, std::size_t np, const Model& m, double ki1, double kv1, double ki2, double kv2)
{
    const double* __restrict__ cc1 = a1 + np;
    const double* __restrict__ g1 = a1 + 2 * np;
    const double* __restrict__ t1 = a1 + 3 * np;
    const double* __restrict__ cc2 = a2 + np;
    const double* __restrict__ g2 = a2 + 2 * np;
    const double* __restrict__ t2 = a2 + 3 * np;
    double* __restrict__ oc = oa + np;
    double* __restrict__ og = oa + 2 * np;
    double* __restrict__ ot = oa + 3 * np;
    const double u1 = 1.0 - ki1, v1 = ki1 - kv1, w1 = kv1;
    const double u2 = 1.0 - ki2, v2 = ki2 - kv2, w2 = kv2;
    const double fA = m.fA, fC = m.fC, fG = m.fG, fT = m.fT;
    const double fAR = m.fAR, fGR = m.fGR, fCY = m.fCY, fTY = m.fTY;
    for (std::size_t p = 0; p < np; ++p) {
        const double S1 = fA * a1[p] + fC * cc1[p] + fG * g1[p] + fT * t1[p];
        const double R1 = fAR * a1[p] + fGR * g1[p];
        const double Y1 = fCY * cc1[p] + fTY * t1[p];
        const double S2 = fA * a2[p] + fC * cc2[p] + fG * g2[p] + fT * t2[p];
        const double R2 = fAR * a2[p] + fGR * g2[p];
        const double Y2 = fCY * cc2[p] + fTY * t2[p];
        const double base1R = u1 * S1 + v1 * R1, base1Y = u1 * S1 + v1 * Y1;
        const double base2R = u2 * S2 + v2 * R2, base2Y = u2 * S2 + v2 * Y2;
        oa[p] = (base1R + w1 * a1[p]) * (base2R + w2 * a2[p]);
        og[p] = (base1R + w1 * g1[p]) * (base2R + w2 * g2[p]);
        oc[p] = (base1Y + w1 * cc1[p]) * (base2Y + w2 * cc2[p]);
        ot[p] = (base1Y + w1 * t1[p]) * (base2Y + w2 * t2[p]);
    }
}

void combineSidesPlain(const double* __restrict__ a1, const double* __restrict__ a2, double* __restrict__ oa,
    std::size_t np, const Model& m, double ki1, double kv1, double ki2, double kv2)
{
    combineSidesBody(a1, a2, oa, np, m, ki1, kv1, ki2, kv2);
}

[[gnu::target("avx2")]] void combineSidesWide(const double* __restrict__ a1, const double* __restrict__ a2,
    double* __restrict__ oa, std::size_t np, const Model& m, double ki1, double kv1, double ki2, double kv2)
{
    combineSidesBody(a1, a2, oa, np, m, ki1, kv1, ki2, kv2);
}

void combineSides(const double* __restrict__ a1, const double* __restrict__ a2, double* __restrict__ oa, std::size_t np,
    const Model& m, double ki1, double kv1, double ki2, double kv2)
{
    if (wideVectors())
        combineSidesWide(a1, a2, oa, np, m, ki1, kv1, ki2, kv2);
    else
        combineSidesPlain(a1, a2, oa, np, m, ki1, kv1, ki2, kv2);
}

// Patterns whose four values all fell below 2^-256 are multiplied by 2^256
// and counted in `so`, which starts as the sum of the children's counts.
[[gnu::always_inline]] inline void rescaleBody(double* __restrict__ oa, const int* __restrict__ sc1,
    const int* __restrict__ sc2, int* __restrict__ so, std::size_t np)
{
    double* __restrict__ oc = oa + np;
    double* __restrict__ og = oa + 2 * np;
    double* __restrict__ ot = oa + 3 * np;
    for (std::size_t p = 0; p < np; ++p)
        so[p] = sc1[p] + sc2[p];
    // Few patterns ever need it: look for one first, without branches.
    int tiny = 0;
    for (std::size_t p = 0; p < np; ++p) {
        const double big = std::max(std::max(oa[p], oc[p]), std::max(og[p], ot[p]));
        tiny |= static_cast<int>(big > 0.0) & static_cast<int>(big < kScaleLimit);
    }
    if (tiny == 0)
        return;
    for (std::size_t p = 0; p < np; ++p) {
        const double big = std::max(std::max(oa[p], oc[p]), std::max(og[p], ot[p]));
        if (big > 0.0 && big < kScaleLimit) {
            oa[p] *= kScaleFactor;
            oc[p] *= kScaleFactor;
            og[p] *= kScaleFactor;
            ot[p] *= kScaleFactor;
            ++so[p];
        }
    }
}

void rescalePlain(double* __restrict__ oa, const int* __restrict__ sc1, const int* __restrict__ sc2,
    int* __restrict__ so, std::size_t np)
{
    rescaleBody(oa, sc1, sc2, so, np);
}

[[gnu::target("avx2")]] void rescaleWide(double* __restrict__ oa, const int* __restrict__ sc1,
    const int* __restrict__ sc2, int* __restrict__ so, std::size_t np)
{
    rescaleBody(oa, sc1, sc2, so, np);
}

void rescale(double* __restrict__ oa, const int* __restrict__ sc1, const int* __restrict__ sc2, int* __restrict__ so,
    std::size_t np)
{
    if (wideVectors())
        rescaleWide(oa, sc1, sc2, so, np);
    else
        rescalePlain(oa, sc1, sc2, so, np);
}

// Per-pattern terms of the likelihood across one branch between vectors x1
// and x2: Q (unrelated ends), A = P - Q and B = K - P, so that the pattern's
// likelihood at branch value z is Q + z^xv A + z B.
[[gnu::always_inline]] inline void pairTermsBody(const double* __restrict__ a1, const double* __restrict__ a2,
    std::size_t np, const Model& m, double* __restrict__ termQ, double* __restrict__ termA, double* __restrict__ termB)
{
    const double* __restrict__ c1 = a1 + np;
    const double* __restrict__ g1 = a1 + 2 * np;
    const double* __restrict__ t1 = a1 + 3 * np;
    const double* __restrict__ c2 = a2 + np;
    const double* __restrict__ g2 = a2 + 2 * np;
    const double* __restrict__ t2 = a2 + 3 * np;
    const double fA = m.fA, fC = m.fC, fG = m.fG, fT = m.fT, fR = m.fR, fY = m.fY;
    for (std::size_t i = 0; i < np; ++i) {
        const double K = fA * a1[i] * a2[i] + fC * c1[i] * c2[i] + fG * g1[i] * g2[i] + fT * t1[i] * t2[i];
        const double P = (fA * a1[i] + fG * g1[i]) * (fA * a2[i] + fG * g2[i]) / fR
            + (fC * c1[i] + fT * t1[i]) * (fC * c2[i] + fT * t2[i]) / fY;
        const double Q
            = (fA * a1[i] + fC * c1[i] + fG * g1[i] + fT * t1[i]) * (fA * a2[i] + fC * c2[i] + fG * g2[i] + fT * t2[i]);
        termQ[i] = Q;
        termA[i] = P - Q;
        termB[i] = K - P;
    }
}

void pairTermsPlain(const double* __restrict__ a1, const double* __restrict__ a2, std::size_t np, const Model& m,
    double* __restrict__ termQ, double* __restrict__ termA, double* __restrict__ termB)
{
    pairTermsBody(a1, a2, np, m, termQ, termA, termB);
}

[[gnu::target("avx2")]] void pairTermsWide(const double* __restrict__ a1, const double* __restrict__ a2, std::size_t np,
    const Model& m, double* __restrict__ termQ, double* __restrict__ termA, double* __restrict__ termB)
{
    pairTermsBody(a1, a2, np, m, termQ, termA, termB);
}

void pairTerms(const double* __restrict__ a1, const double* __restrict__ a2, std::size_t np, const Model& m,
    double* __restrict__ termQ, double* __restrict__ termA, double* __restrict__ termB)
{
    if (wideVectors())
        pairTermsWide(a1, a2, np, m, termQ, termA, termB);
    else
        pairTermsPlain(a1, a2, np, m, termQ, termA, termB);
}

// Weighted sums over patterns of d ln L / d ln z and d2 ln L / d ln z^2 at
// branch value z (ki = z^xv, kv = z), from the terms of pairTerms. Four
// running sums, added in a fixed order at the end, so the loop vectorises
// and the result does not depend on the machine.
[[gnu::always_inline]] inline void derivativesBody(const double* __restrict__ q, const double* __restrict__ a,
    const double* __restrict__ b, const double* __restrict__ w, std::size_t np, double xv, double ki, double kv,
    double& d1, double& d2)
{
    constexpr std::size_t kLanes = 4;
    double s1[kLanes] = {}, s2[kLanes] = {};
    const double xv2 = xv * xv;
    std::size_t i = 0;
    for (; i + kLanes <= np; i += kLanes) {
        for (std::size_t j = 0; j < kLanes; ++j) {
            const double ka = ki * a[i + j];
            const double kb = kv * b[i + j];
            const double inv = 1.0 / (q[i + j] + ka + kb);
            const double t1 = (xv * ka + kb) * inv;
            const double t2 = (xv2 * ka + kb) * inv;
            s1[j] += w[i + j] * t1;
            s2[j] += w[i + j] * (t2 - t1 * t1);
        }
    }
    for (; i < np; ++i) {
        const double ka = ki * a[i];
        const double kb = kv * b[i];
        const double inv = 1.0 / (q[i] + ka + kb);
        const double t1 = (xv * ka + kb) * inv;
        const double t2 = (xv2 * ka + kb) * inv;
        s1[0] += w[i] * t1;
        s2[0] += w[i] * (t2 - t1 * t1);
    }
    d1 = (s1[0] + s1[1]) + (s1[2] + s1[3]);
    d2 = (s2[0] + s2[1]) + (s2[2] + s2[3]);
}

void derivativesPlain(const double* __restrict__ q, const double* __restrict__ a, const double* __restrict__ b,
    const double* __restrict__ w, std::size_t np, double xv, double ki, double kv, double& d1, double& d2)
{
    derivativesBody(q, a, b, w, np, xv, ki, kv, d1, d2);
}

[[gnu::target("avx2")]] void derivativesWide(const double* __restrict__ q, const double* __restrict__ a,
    const double* __restrict__ b, const double* __restrict__ w, std::size_t np, double xv, double ki, double kv,
    double& d1, double& d2)
{
    derivativesBody(q, a, b, w, np, xv, ki, kv, d1, d2);
}

void derivatives(const double* __restrict__ q, const double* __restrict__ a, const double* __restrict__ b,
    const double* __restrict__ w, std::size_t np, double xv, double ki, double kv, double& d1, double& d2)
{
    if (wideVectors())
        derivativesWide(q, a, b, w, np, xv, ki, kv, d1, d2);
    else
        derivativesPlain(q, a, b, w, np, xv, ki, kv, d1, d2);
}

} // namespace

LikelihoodTree::LikelihoodTree(const Model& model, const Patterns& patterns)
    : m_model(model), m_species(static_cast<int>(patterns.codes.size())), m_patterns(patterns.count)
{
    const int inner = std::max(m_species - 2, 1);
    const int records = m_species + 3 * inner;
    const auto np = static_cast<std::size_t>(m_patterns);
    m_weight.assign(patterns.weight.begin(), patterns.weight.end());
    m_rec.assign(static_cast<std::size_t>(records), Record{});
    m_x.assign(static_cast<std::size_t>(records) * 4 * np, 0.0);
    m_scale.assign(static_cast<std::size_t>(records) * np, 0);
    m_siteLnL.assign(np, 0.0);
    m_termQ.assign(np, 0.0);
    m_termA.assign(np, 0.0);
    m_termB.assign(np, 0.0);
    for (int s = 0; s < m_species; ++s) {
        Record& r = m_rec[static_cast<std::size_t>(s)];
        r.node = s;
        r.valid = true;
        double* v = x(s);
        const auto& codes = patterns.codes[static_cast<std::size_t>(s)];
        for (std::size_t p = 0; p < np; ++p)
            for (std::size_t b = 0; b < 4; ++b)
                v[b * np + p] = ((codes[p] >> b) & 1) ? 1.0 : 0.0;
    }
    for (int k = 0; k < inner; ++k) {
        const int first = m_species + 3 * k;
        for (int j = 0; j < 3; ++j) {
            Record& r = m_rec[static_cast<std::size_t>(first + j)];
            r.node = m_species + k;
            r.next = first + (j + 1) % 3;
        }
    }
    clear();
}

void LikelihoodTree::clear()
{
    for (std::size_t r = 0; r < m_rec.size(); ++r) {
        m_rec[r].back = kNone;
        m_rec[r].z = kZStart;
        m_rec[r].bracket = 0.0;
        if (static_cast<int>(r) >= m_species)
            m_rec[r].valid = false;
    }
    m_free.clear();
    // Taken from the back: the lowest-numbered node is used first.
    for (int first = static_cast<int>(m_rec.size()) - 3; first >= m_species; first -= 3)
        m_free.push_back(first);
}

int LikelihoodTree::takeNode()
{
    if (m_free.empty())
        return kNone;
    const int first = m_free.back();
    m_free.pop_back();
    for (int j = 0; j < 3; ++j) {
        Record& r = m_rec[static_cast<std::size_t>(first + j)];
        r.back = kNone;
        r.z = kZStart;
        r.bracket = 0.0;
        r.valid = false;
    }
    return first;
}

void LikelihoodTree::releaseNode(int r)
{
    const int first = m_species + 3 * ((r - m_species) / 3);
    m_free.push_back(first);
}

void LikelihoodTree::invalidate(int r)
{
    if (r == kNone || isTip(r) || !m_rec[static_cast<std::size_t>(r)].valid)
        return;
    m_rec[static_cast<std::size_t>(r)].valid = false;
    // The records of the neighbouring node that look away from r use its vector.
    const int b = back(r);
    if (b != kNone && !isTip(b)) {
        invalidate(next(b));
        invalidate(next(next(b)));
    }
}

void LikelihoodTree::branchChanged(int a)
{
    for (int end : {a, back(a)}) {
        if (end == kNone || isTip(end))
            continue;
        invalidate(next(end));
        invalidate(next(next(end)));
    }
}

void LikelihoodTree::invalidateAll()
{
    for (std::size_t r = static_cast<std::size_t>(m_species); r < m_rec.size(); ++r)
        m_rec[r].valid = false;
}

void LikelihoodTree::link(int a, int b, double z, double bracket)
{
    Record& ra = m_rec[static_cast<std::size_t>(a)];
    Record& rb = m_rec[static_cast<std::size_t>(b)];
    ra.back = b;
    rb.back = a;
    ra.z = rb.z = clampZ(z);
    ra.bracket = rb.bracket = bracket;
    branchChanged(a);
}

void LikelihoodTree::unlink(int a)
{
    const int b = back(a);
    if (b == kNone)
        return;
    branchChanged(a);
    m_rec[static_cast<std::size_t>(a)].back = kNone;
    m_rec[static_cast<std::size_t>(b)].back = kNone;
}

void LikelihoodTree::setZ(int a, double z)
{
    z = clampZ(z);
    Record& ra = m_rec[static_cast<std::size_t>(a)];
    if (ra.z == z)
        return;
    ra.z = z;
    if (ra.back != kNone)
        m_rec[static_cast<std::size_t>(ra.back)].z = z;
    branchChanged(a);
}

int LikelihoodTree::tipCount() const
{
    int count = 0;
    for (int s = 0; s < m_species; ++s)
        count += hasTip(s) ? 1 : 0;
    return count;
}

int LikelihoodTree::firstTip() const
{
    for (int s = 0; s < m_species; ++s)
        if (hasTip(s))
            return s;
    return kNone;
}

bool LikelihoodTree::ensure(int r)
{
    if (r == kNone)
        return false;
    if (isTip(r) || m_rec[static_cast<std::size_t>(r)].valid)
        return true;
    const int c1 = back(next(r));
    const int c2 = back(next(next(r)));
    if (!ensure(c1) || !ensure(c2))
        return false;
    newview(r);
    m_rec[static_cast<std::size_t>(r)].valid = true;
    return true;
}

void LikelihoodTree::newview(int r)
{
    const Model& m = m_model;
    const auto np = static_cast<std::size_t>(m_patterns);
    const int s1 = next(r);
    const int s2 = next(s1);
    const int c1 = back(s1);
    const int c2 = back(s2);

    struct Side {
        double ki, kv;
    };
    auto side = [&](double z) {
        const double lz = std::log(std::max(z, kZMin));
        return Side{std::exp(m.xv * lz), std::exp(lz)};
    };
    const Side k1 = side(z(s1));
    const Side k2 = side(z(s2));

    combineSides(x(c1), x(c2), x(r), np, m, k1.ki, k1.kv, k2.ki, k2.kv);
    rescale(x(r), scale(c1), scale(c2), scale(r), np);
}

bool LikelihoodTree::evaluate(int p, double& lnL)
{
    const int q = back(p);
    if (q == kNone || !ensure(p) || !ensure(q))
        return false;
    const Model& m = m_model;
    const auto np = static_cast<std::size_t>(m_patterns);
    const double lz = std::log(std::max(z(p), kZMin));
    const double ki = std::exp(m.xv * lz);
    const double kv = std::exp(lz);
    const double* __restrict__ a1 = x(p);
    const double* __restrict__ c1 = a1 + np;
    const double* __restrict__ g1 = a1 + 2 * np;
    const double* __restrict__ t1 = a1 + 3 * np;
    const double* __restrict__ a2 = x(q);
    const double* __restrict__ c2 = a2 + np;
    const double* __restrict__ g2 = a2 + 2 * np;
    const double* __restrict__ t2 = a2 + 3 * np;
    const int* s1 = scale(p);
    const int* s2 = scale(q);
    double sum = 0.0;
    for (std::size_t i = 0; i < np; ++i) {
        const double K = m.fA * a1[i] * a2[i] + m.fC * c1[i] * c2[i] + m.fG * g1[i] * g2[i] + m.fT * t1[i] * t2[i];
        const double P = (m.fA * a1[i] + m.fG * g1[i]) * (m.fA * a2[i] + m.fG * g2[i]) / m.fR +
                         (m.fC * c1[i] + m.fT * t1[i]) * (m.fC * c2[i] + m.fT * t2[i]) / m.fY;
        const double Q = (m.fA * a1[i] + m.fC * c1[i] + m.fG * g1[i] + m.fT * t1[i]) *
                         (m.fA * a2[i] + m.fC * c2[i] + m.fG * g2[i] + m.fT * t2[i]);
        const double L = Q + ki * (P - Q) + kv * (K - P);
        if (!(L > 0.0) || !std::isfinite(L))
            return false;
        const double site = std::log(L) - (s1[i] + s2[i]) * kLnScale;
        m_siteLnL[i] = site;
        sum += m_weight[i] * site;
    }
    lnL = sum;
    return std::isfinite(sum);
}

bool LikelihoodTree::branchTerms(int a, int b)
{
    if (!ensure(a) || !ensure(b))
        return false;
    pairTerms(x(a), x(b), static_cast<std::size_t>(m_patterns), m_model, m_termQ.data(), m_termA.data(),
              m_termB.data());
    return true;
}

// Newton's method in ln z. With L = Q + ki A + kv B, ki = z^xv and kv = z,
// dL/dln z = xv ki A + kv B and d2L/dln z^2 = xv^2 ki A + kv B.
bool LikelihoodTree::newton(double start, int rounds, double& out)
{
    const double xv = m_model.xv;
    const auto np = static_cast<std::size_t>(m_patterns);
    double z = clampZ(start);
    const double tolerance = z * 1.0000000000287557e-6 + 1e-15;
    for (int round = 0; round < rounds; ++round) {
        const double previous = z;
        bool atTop = false;
        for (int climb = 0; climb < 200; ++climb) {
            const double kv = z;
            const double ki = std::exp(xv * std::log(z));
            double d1 = 0.0, d2 = 0.0;
            derivatives(m_termQ.data(), m_termA.data(), m_termB.data(), m_weight.data(), np, xv, ki, kv, d1, d2);
            // A pattern of zero likelihood makes a sum infinite or undefined.
            if (!std::isfinite(d1) || !std::isfinite(d2))
                return false;
            if (z >= kZMax && d2 >= 0.0) {
                atTop = true;
                break;
            }
            if (d2 < 0.0) {
                z *= std::exp(-d1 / d2);
                z = std::max(z, kZMin);
                z = std::min(z, 0.25 * previous + 0.75);
                break;
            }
            // Not concave here: move towards z = 1 and look again.
            z = 0.37 * z + 0.63;
        }
        z = std::min(z, kZMax);
        if (atTop || std::fabs(z - previous) <= tolerance)
            break;
    }
    out = z;
    return true;
}

bool LikelihoodTree::makenewz(int p, int rounds)
{
    const int q = back(p);
    if (q == kNone || !branchTerms(p, q))
        return false;
    const double old = z(p);
    double fresh = old;
    if (!newton(old, rounds, fresh))
        return false;
    if (std::fabs(fresh - old) > 0.00001)
        smoothed = false;
    setZ(p, fresh);
    return true;
}

bool LikelihoodTree::pairZ(int a, int b, double start, int rounds, double& out)
{
    return branchTerms(a, b) && newton(start, rounds, out);
}

bool LikelihoodTree::smoothBelow(int p)
{
    if (!makenewz(p, 1))
        return false;
    const int q = back(p);
    if (isTip(q))
        return true;
    return smoothBelow(next(q)) && smoothBelow(next(next(q)));
}

bool LikelihoodTree::smoothPass(int start)
{
    return back(start) != kNone && smoothBelow(start);
}

bool LikelihoodTree::smoothTree(int start, int maxPasses)
{
    for (int pass = 0; pass < maxPasses; ++pass) {
        smoothed = true;
        if (!smoothPass(start))
            return false;
        if (smoothed)
            break;
    }
    return true;
}

bool LikelihoodTree::smoothLocal(int p, int maxPasses)
{
    for (int pass = 0; pass < maxPasses; ++pass) {
        smoothed = true;
        for (int r = p, j = 0; j < 3; ++j, r = next(r))
            if (!makenewz(r, 1))
                return false;
        if (smoothed)
            break;
    }
    return true;
}

} // namespace tallowin::dnaml
