#include "engines/map/PairScore.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace tallowin::map {
namespace {

// One row sweep per residue of `first`. H is the best score of any path to a
// cell, F the best ending in a gap of `second` (vertical), E the best ending
// in an affine gap of `first` (horizontal) and G the best ending in a
// constant-cost run of at least L + 1 columns. Leading gaps are free (row and
// column 0 hold 0) and so are trailing ones (the answer is the best cell of the
// last row or the last column).
template <class T>
Score sweep(std::string_view first, std::string_view second, const ScoreTable& w, const GapCosts& gaps)
{
    const std::size_t m = first.size();
    const std::size_t n = second.size();
    const T q = static_cast<T>(gaps.q);
    const T r = static_cast<T>(gaps.r);
    const T qr = q + r;
    const T P = static_cast<T>(gaps.P);
    const T none = std::numeric_limits<T>::min() / 4;
    // Columns j > L + 1 can end a constant-cost run that started at j - L - 1.
    const std::size_t lag = gaps.L + 1 > static_cast<Score>(n) ? n + 1 : static_cast<std::size_t>(gaps.L + 1);

    std::vector<T> prev(n + 1, 0), cur(n + 1, 0), vert(n + 1, none);
    std::vector<unsigned char> cols(second.begin(), second.end());
    T best = 0;
    for (std::size_t i = 1; i <= m; ++i) {
        const auto a = static_cast<unsigned char>(first[i - 1]);
        cur[0] = 0;
        T e = none;
        T g = none;
        for (std::size_t j = 1; j <= n; ++j) {
            const T f = std::max<T>(vert[j] - r, prev[j] - qr);
            vert[j] = f;
            e = std::max<T>(e - r, cur[j - 1] - qr);
            if (j >= lag)
                g = std::max<T>(g, cur[j - lag] - P);
            T h = prev[j - 1] + static_cast<T>(w(a, cols[j - 1]));
            h = std::max(h, e);
            h = std::max(h, f);
            h = std::max(h, g);
            cur[j] = h;
        }
        best = std::max(best, cur[n]);
        std::swap(prev, cur);
    }
    if (m > 0)
        for (std::size_t j = 0; j <= n; ++j)
            best = std::max(best, prev[j]);
    return static_cast<Score>(best);
}

} // namespace

Score pairScore(std::string_view first, std::string_view second, const ScoreTable& w, const GapCosts& gaps)
{
    // 32-bit arithmetic when no score of this pair can come near its range.
    const Score unit = w.maxAbs() + gaps.q + gaps.r + gaps.P + 1;
    const Score span = static_cast<Score>(first.size() + second.size() + 2);
    if (unit < (Score{1} << 28) && unit * span < (Score{1} << 28))
        return sweep<int32_t>(first, second, w, gaps);
    return sweep<int64_t>(first, second, w, gaps);
}

} // namespace tallowin::map
