#pragma once

// Scoring of the multiple alignment: the residue score table and the gap
// costs. A gap of k columns costs q + k r; a run of at least L + 1 columns of
// the longer side opposite a gap may instead cost the constant P = q + L r.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tallowin::map {

using Score = int64_t;

struct GapCosts {
    Score q = 0;  // gap open
    Score r = 0;  // gap extend, per column
    Score L = 1;  // minimum length of a constant-cost insertion is L + 1
    Score P = 0;  // q + L r

    static GapCosts make(int32_t gapOpen, int32_t gapExtend, int32_t minLength)
    {
        GapCosts g;
        g.q = gapOpen;
        g.r = gapExtend;
        g.L = minLength;
        g.P = g.q + g.L * g.r;
        return g;
    }

    // Cost of an insertion run of k columns (k >= 1) of the longer side.
    Score insertion(Score k) const
    {
        const Score affine = q + k * r;
        return k >= L + 1 && P < affine ? P : affine;
    }
    // Cost of a deletion run of k columns (k >= 1): affine only.
    Score deletion(Score k) const { return q + k * r; }
};

// Scores of every pair of 7-bit characters, W[x][y].
class ScoreTable {
public:
    static constexpr int kSize = 128;

    // Constant match and mismatch scores (upper and lower case of A, C, G, T
    // match each other; N never matches).
    static ScoreTable constant(int32_t match, int32_t mismatch, int32_t gapExtend);
    // Scores from a lower triangle with its diagonal: row k holds the scores of
    // alphabet[k] against alphabet[0..k]. Letters outside the alphabet score 0.
    static ScoreTable fromMatrix(std::string_view alphabet, const int32_t* lowerTriangle, int32_t gapExtend);

    int32_t operator()(unsigned char x, unsigned char y) const { return w_[index(x, y)]; }
    // The scores of x against every character, indexed by the second one.
    const int32_t* row(unsigned char x) const { return &w_[index(x, 0)]; }
    // Largest absolute value in the table.
    int64_t maxAbs() const { return maxAbs_; }

private:
    static std::size_t index(unsigned char x, unsigned char y)
    {
        return static_cast<std::size_t>(x & 0x7f) * kSize + (y & 0x7f);
    }
    void set(unsigned char x, unsigned char y, int32_t v) { w_[index(x, y)] = v; }
    void setGapScores(int32_t gapExtend);

    std::vector<int32_t> w_ = std::vector<int32_t>(kSize * kSize, 0);
    int64_t maxAbs_ = 0;
};

} // namespace tallowin::map
