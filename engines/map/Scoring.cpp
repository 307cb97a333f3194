#include "engines/map/Scoring.h"

#include <algorithm>
#include <cstdlib>

namespace tallowin::map {

void ScoreTable::setGapScores(int32_t gapExtend)
{
    const int32_t gap = -gapExtend;
    for (int x = 0; x < kSize; ++x) {
        set(static_cast<unsigned char>(x), '-', gap);
        set('-', static_cast<unsigned char>(x), gap);
    }
    set('-', '-', 0);
    maxAbs_ = 0;
    for (int32_t v : w_)
        maxAbs_ = std::max(maxAbs_, std::abs(static_cast<int64_t>(v)));
}

ScoreTable ScoreTable::constant(int32_t match, int32_t mismatch, int32_t gapExtend)
{
    ScoreTable t;
    for (int x = 0; x < kSize; ++x)
        for (int y = 0; y < kSize; ++y)
            t.set(static_cast<unsigned char>(x), static_cast<unsigned char>(y), x == y ? match : mismatch);
    t.set('N', 'N', mismatch);
    t.set('n', 'n', mismatch);
    for (const char* pair : {"Aa", "Cc", "Gg", "Tt"}) {
        const auto upper = static_cast<unsigned char>(pair[0]);
        const auto lower = static_cast<unsigned char>(pair[1]);
        t.set(upper, lower, match);
        t.set(lower, upper, match);
    }
    t.setGapScores(gapExtend);
    return t;
}

ScoreTable ScoreTable::fromMatrix(std::string_view alphabet, const int32_t* lowerTriangle, int32_t gapExtend)
{
    ScoreTable t;
    std::size_t next = 0;
    for (std::size_t k = 0; k < alphabet.size(); ++k) {
        for (std::size_t l = 0; l <= k; ++l) {
            const int32_t v = lowerTriangle[next++];
            const auto a = static_cast<unsigned char>(alphabet[k]);
            const auto b = static_cast<unsigned char>(alphabet[l]);
            t.set(b, a, v);
            t.set(a, b, v);
        }
    }
    t.setGapScores(gapExtend);
    return t;
}

} // namespace tallowin::map
