#include "engines/map/PairScore.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace tallowin::map {
namespace {

// Scores of each residue against every column of `second` (from column 1),
// made when the residue first occurs.
template <class T>
class ResidueProfile {
public:
    ResidueProfile(std::string_view second, const ScoreTable& table) : m_second(second), m_table(table) {}

    const T* operator()(unsigned char residue)
    {
        auto& p = m_rows[residue & 0x7f];
        if (p.empty()) {
            const int32_t* w = m_table.row(residue);
            p.resize(m_second.size() + 1, 0);
            for (std::size_t j = 1; j <= m_second.size(); ++j)
                p[j] = static_cast<T>(w[static_cast<unsigned char>(m_second[j - 1]) & 0x7f]);
        }
        return p.data();
    }

private:
    std::string_view m_second;
    const ScoreTable& m_table;
    std::array<std::vector<T>, 128> m_rows;
};

// The gap costs in the sweep's integer type, and the lag of a constant-cost
// run: L + 1 columns, or n + 1 (never reached) when the row is shorter.
template <class T>
struct SweepCosts {
    T r;
    T q;
    T qr;
    T P;
    std::size_t lag;
};

template <class T>
[[gnu::always_inline]] inline SweepCosts<T> sweepCosts(const GapCosts& gaps, std::size_t n)
{
    const T r = static_cast<T>(gaps.r);
    const T q = static_cast<T>(gaps.q);
    const T P = static_cast<T>(gaps.P);
    const std::size_t lag = gaps.L + 1 > static_cast<Score>(n) ? n + 1 : static_cast<std::size_t>(gaps.L + 1);
    return {r, q, q + r, P, lag};
}

// The answer: the best cell of the last column (`best`, gathered row by row)
// or of the last row (`lastRow`), which a pair with an empty first text lacks.
template <class T>
[[gnu::always_inline]] inline Score finalScore(T best, const std::vector<T>& lastRow, std::size_t m)
{
    if (m > 0)
        for (const T v : lastRow)
            best = std::max(best, v);
    return static_cast<Score>(best);
}

// The recurrences, per cell (i, j): H is the best score of any path to the
// cell, F the best ending in a gap of `second` (vertical), E the best ending
// in an affine gap of `first` (horizontal) and G the best ending in a
// constant-cost run of at least L + 1 columns:
//   F = max(F(i-1, j) - r, H(i-1, j) - q - r)
//   E = max(E(i, j-1) - r, H(i, j-1) - q - r)
//   G = max(G(i, j-1), H(i, j-L-1) - P)
//   H = max(H(i-1, j-1) + W, E, F, G)
// Leading gaps are free (row and column 0 hold 0) and so are trailing ones
// (the answer is the best cell of the last row or the last column).
//
// Within a row, E and G may start from T = max(H(i-1, j-1) + W, F) instead of
// H: a horizontal run that starts where another horizontal run ends is never
// better than the one run that covers both (two openings cost more than one,
// and a constant-cost run grows for free). With that, the row splits into a
// loop without any chain (F and T) and two running maxima:
//   U(j) = max(U(j-1), T(j-1) + (j-1) r - q),  E(j) = U(j) - j r
//   G(j) = max(G(j-1), T(j-L-1) - P)
// This scalar form serves scores that need 64 bits.
template <class T>
Score sweep(std::string_view first, std::string_view second, const ScoreTable& table, const GapCosts& gaps)
{
    constexpr T none = std::numeric_limits<T>::min() / 4;
    const std::size_t m = first.size();
    const std::size_t n = second.size();
    const auto [r, q, qr, P, lag] = sweepCosts<T>(gaps, n);

    ResidueProfile<T> scoresOf(second, table);

    std::vector<T> upv(n + 1, 0), curv(n + 1, 0), vertv(n + 1, none), tv(n + 1, 0);
    T best = 0;
    for (std::size_t i = 0; i < m; ++i) {
        const T* __restrict w = scoresOf(static_cast<unsigned char>(first[i]));
        const T* __restrict up = upv.data();
        T* __restrict cur = curv.data();
        T* __restrict vert = vertv.data();
        T* __restrict t = tv.data();

        t[0] = 0;
        for (std::size_t j = 1; j <= n; ++j) {
            const T f = std::max<T>(vert[j] - r, up[j] - qr);
            vert[j] = f;
            t[j] = std::max<T>(up[j - 1] + w[j], f);
        }

        cur[0] = 0;
        T u = none;
        T g = none;
        T shift = 0; // (j - 1) r
        std::size_t j = 1;
        for (; j <= n && j < lag; ++j, shift += r) {
            u = std::max<T>(u, t[j - 1] + shift - q);
            cur[j] = std::max<T>(t[j], u - shift - r);
        }
        for (; j <= n; ++j, shift += r) {
            u = std::max<T>(u, t[j - 1] + shift - q);
            g = std::max<T>(g, t[j - lag] - P);
            cur[j] = std::max<T>(std::max<T>(t[j], u - shift - r), g);
        }
        best = std::max(best, cur[n]);
        std::swap(upv, curv);
    }
    return finalScore(best, upv, m);
}


// ---- Vector form of the row sweep (32-bit scores) ---------------------------
//
// The same row as above, with E and G written through prefix maxima:
//   E(j) = max(a[0..j-1]) - j r,   a[k] = T(k) + k r - q
//   G(j) = max(b[0..j-L-1]),       b[k] = T(k) - P
//   H(j) = max(T(j), E(j), G(j))
// so that every loop runs on eight columns at once; the prefix maxima are
// taken eight at a time by shifting and combining within the block.

using V8 = int32_t __attribute__((vector_size(32)));

// Inclusive prefix maxima of src[0..n] into dst[0..n].
[[gnu::always_inline]] inline void prefixMax(const int32_t* __restrict src, int32_t* __restrict dst,
                                             std::size_t count, int32_t none)
{
    const V8 fill = none - V8{};
    V8 carry = fill;
    std::size_t k = 0;
    for (; k + 8 <= count; k += 8) {
        V8 x, y;
        __builtin_memcpy(&x, src + k, sizeof x);
        y = __builtin_shuffle(x, fill, V8{8, 0, 1, 2, 3, 4, 5, 6});
        x = x > y ? x : y;
        y = __builtin_shuffle(x, fill, V8{8, 8, 0, 1, 2, 3, 4, 5});
        x = x > y ? x : y;
        y = __builtin_shuffle(x, fill, V8{8, 8, 8, 8, 0, 1, 2, 3});
        x = x > y ? x : y;
        x = x > carry ? x : carry;
        __builtin_memcpy(dst + k, &x, sizeof x);
        carry = x[7] - V8{};
    }
    int32_t run = carry[0];
    for (; k < count; ++k) {
        run = std::max(run, src[k]);
        dst[k] = run;
    }
}

[[gnu::always_inline]] inline Score vectorSweep(std::string_view first, std::string_view second, const ScoreTable& table,
                         const GapCosts& gaps)
{
    using T = int32_t;
    constexpr T none = std::numeric_limits<T>::min() / 4;
    const std::size_t m = first.size();
    const std::size_t n = second.size();
    const auto [r, q, qr, P, lag] = sweepCosts<T>(gaps, n);

    ResidueProfile<T> scoresOf(second, table);

    std::vector<T> upv(n + 1, 0), curv(n + 1, 0), vertv(n + 1, none), tv(n + 1, 0), av(n + 1), bv(n + 1),
        pa(n + 1), pb(n + 1), rj(n + 1);
    for (std::size_t j = 0; j <= n; ++j)
        rj[j] = static_cast<T>(j) * r;
    T best = 0;
    for (std::size_t i = 0; i < m; ++i) {
        const T* __restrict w = scoresOf(static_cast<unsigned char>(first[i]));
        const T* __restrict up = upv.data();
        const T* __restrict jr = rj.data();
        T* __restrict cur = curv.data();
        T* __restrict vert = vertv.data();
        T* __restrict t = tv.data();
        T* __restrict a = av.data();
        T* __restrict b = bv.data();

        t[0] = 0;
        a[0] = -q;
        b[0] = -P;
        for (std::size_t j = 1; j <= n; ++j) {
            const T f = std::max<T>(vert[j] - r, up[j] - qr);
            vert[j] = f;
            const T tj = std::max<T>(up[j - 1] + w[j], f);
            t[j] = tj;
            a[j] = tj + jr[j] - q;
            b[j] = tj - P;
        }
        prefixMax(a, pa.data(), n + 1, none);
        const T* __restrict ua = pa.data();
        cur[0] = 0;
        const std::size_t open = std::min(lag, n + 1);
        for (std::size_t j = 1; j < open; ++j)
            cur[j] = std::max<T>(t[j], ua[j - 1] - jr[j]);
        if (lag <= n) {
            prefixMax(b, pb.data(), n + 1 - lag, none);
            const T* __restrict gb = pb.data();
            for (std::size_t j = lag; j <= n; ++j)
                cur[j] = std::max<T>(std::max<T>(t[j], ua[j - 1] - jr[j]), gb[j - lag]);
        }
        best = std::max(best, cur[n]);
        std::swap(upv, curv);
    }
    return finalScore(best, upv, m);
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) Score vectorSweepAvx2(std::string_view first, std::string_view second,
                                                      const ScoreTable& table, const GapCosts& gaps)
{
    return vectorSweep(first, second, table, gaps);
}
#endif

Score vectorSweepPortable(std::string_view first, std::string_view second, const ScoreTable& table,
                          const GapCosts& gaps)
{
    return vectorSweep(first, second, table, gaps);
}

// 32-bit arithmetic when no score of this pair can come near its range.
bool fitsInt32(std::string_view first, std::string_view second, const ScoreTable& w, const GapCosts& gaps)
{
    const Score unit = w.maxAbs() + gaps.q + gaps.r + gaps.P + 1;
    const Score span = static_cast<Score>(first.size() + second.size() + 2);
    return unit < (Score{1} << 28) && unit * span < (Score{1} << 28);
}

} // namespace

Score pairScore(std::string_view first, std::string_view second, const ScoreTable& w, const GapCosts& gaps)
{
    if (!fitsInt32(first, second, w, gaps))
        return sweep<int64_t>(first, second, w, gaps);
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("avx2"))
        return vectorSweepAvx2(first, second, w, gaps);
#endif
    return vectorSweepPortable(first, second, w, gaps);
}

Score pairScorePortable(std::string_view first, std::string_view second, const ScoreTable& w, const GapCosts& gaps)
{
    if (!fitsInt32(first, second, w, gaps))
        return sweep<int64_t>(first, second, w, gaps);
    return vectorSweepPortable(first, second, w, gaps);
}

} // namespace tallowin::map
