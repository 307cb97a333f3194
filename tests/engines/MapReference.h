#pragma once

// Slow, plain references for the multiple alignment scoring, written from the
// scoring rules alone: a gap run of k columns costs q + k r; a run of the
// longer side's columns opposite gaps costs at most P = q + L r once it is at
// least L + 1 long; the first and the last gap run of an alignment are free.

#include "engines/map/Profile.h"
#include "engines/map/Scoring.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace maptest {

using tallowin::map::GapCosts;
using tallowin::map::Score;

inline Score insertionCost(const GapCosts& g, Score k)
{
    Score c = g.q + k * g.r;
    if (k >= g.L + 1)
        c = std::min(c, g.q + g.L * g.r);
    return c;
}

inline Score deletionCost(const GapCosts& g, Score k)
{
    return g.q + k * g.r;
}

// Best score over all alignments of a rows against b columns, with explicit
// runs (cubic time): H[i][j] = max(diagonal, any run ending here).
inline Score cubicOptimum(Score a, Score b, const std::function<Score(Score, Score)>& s, const GapCosts& g)
{
    std::vector<std::vector<Score>> H(static_cast<std::size_t>(a + 1), std::vector<Score>(static_cast<std::size_t>(b + 1), 0));
    for (Score i = 1; i <= a; ++i)
        for (Score j = 1; j <= b; ++j) {
            Score best = H[i - 1][j - 1] + s(i, j);
            for (Score k = 1; k <= j; ++k)
                best = std::max(best, H[i][j - k] - insertionCost(g, k));
            for (Score k = 1; k <= i; ++k)
                best = std::max(best, H[i - k][j] - deletionCost(g, k));
            H[i][j] = best;
        }
    Score best = 0;
    for (Score j = 0; j <= b; ++j)
        best = std::max(best, H[a][j]);
    for (Score i = 0; i <= a; ++i)
        best = std::max(best, H[i][b]);
    return best;
}

// Score of an edit script; the first and last runs of gaps are free.
inline Score scoreScript(const std::vector<Score>& ops, const std::function<Score(Score, Score)>& s, const GapCosts& g)
{
    Score total = 0, i = 0, j = 0;
    for (std::size_t k = 0; k < ops.size(); ++k) {
        const Score op = ops[k];
        const bool free = k == 0 || k + 1 == ops.size();
        if (op == 0) {
            ++i, ++j;
            total += s(i, j);
        } else if (op > 0) {
            j += op;
            if (!free)
                total -= insertionCost(g, op);
        } else {
            i -= op;
            if (!free)
                total -= deletionCost(g, -op);
        }
    }
    return total;
}

// The column score written out: every pair of non-blank characters, summed
// and divided by the number of pairs, truncated toward zero.
inline Score naiveColumnScore(const std::vector<std::string>& A, Score i, const std::vector<std::string>& B, Score j,
                              const tallowin::map::ScoreTable& w)
{
    Score sum = 0, na = 0, nb = 0;
    for (const auto& ra : A)
        na += ra[static_cast<std::size_t>(i)] != ' ';
    for (const auto& rb : B)
        nb += rb[static_cast<std::size_t>(j)] != ' ';
    for (const auto& ra : A)
        for (const auto& rb : B) {
            const char x = ra[static_cast<std::size_t>(i)], y = rb[static_cast<std::size_t>(j)];
            if (x != ' ' && y != ' ')
                sum += w(static_cast<unsigned char>(x), static_cast<unsigned char>(y));
        }
    return na * nb == 0 ? 0 : sum / (na * nb);
}

} // namespace maptest
