#pragma once

// Alignment of two groups' profiles. A group's rows all have the same number
// of columns; each row is stored with a blank before column 1 and after the
// last column. In a row, a residue is a letter, "-" a gap inside the row and
// " " a gap at either end of the row.

#include "engines/map/Scoring.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tallowin::map {

// The edit script of a profile alignment, left to right: 0 for a column of A
// opposite a column of B, +k for k columns of B opposite gaps in A, -k for k
// columns of A opposite gaps in B. Consecutive runs of one kind are merged.
class EditScript {
public:
    void match() { ops_.push_back(0); }
    void insert(Score k) { run(k); }
    void remove(Score k) { run(-k); }
    void append(const EditScript& other);

    const std::vector<Score>& ops() const { return ops_; }
    // Columns of A and of B the script consumes.
    Score columnsOfA() const;
    Score columnsOfB() const;

private:
    void run(Score signedLength);
    std::vector<Score> ops_;
};

// Column scores of A (a columns) against B (b columns): the sum of W over the
// pairs of non-blank characters of the two columns, divided by the product of
// their non-blank counts, truncated toward zero.
class ColumnScorer {
public:
    ColumnScorer(const std::vector<std::string>& rowsA, const std::vector<std::string>& rowsB, const ScoreTable& w);

    Score columnsA() const { return a_; }
    Score columnsB() const { return b_; }

    // Score of column i of A (1-based) against column j of B (1-based).
    Score operator()(Score i, Score j) const
    {
        const std::size_t lo = startA_[static_cast<std::size_t>(i - 1)];
        const std::size_t hi = startA_[static_cast<std::size_t>(i)];
        const Score* sb = &sumsB_[static_cast<std::size_t>(j - 1) * kinds_];
        Score sum = 0;
        for (std::size_t k = lo; k < hi; ++k)
            sum += entriesA_[k].count * sb[entriesA_[k].kind];
        const Score pairs = countA_[static_cast<std::size_t>(i - 1)] * countB_[static_cast<std::size_t>(j - 1)];
        if (pairs == 1)
            return sum;
        if (pairs == 0)
            return 0;
        // C++ division truncates toward zero, as the score requires; the
        // 32-bit form is much cheaper and almost always enough.
        if (sum >= INT32_MIN && sum <= INT32_MAX && pairs <= INT32_MAX)
            return static_cast<int32_t>(sum) / static_cast<int32_t>(pairs);
        return sum / pairs;
    }

private:
    struct Entry {
        std::size_t kind;  // index into the characters seen in A
        Score count;
    };
    Score a_ = 0, b_ = 0;
    std::size_t kinds_ = 0;
    std::vector<Entry> entriesA_;        // per column of A: its distinct characters
    std::vector<std::size_t> startA_;    // column i's entries are [startA_[i-1], startA_[i])
    std::vector<Score> countA_, countB_; // non-blank characters per column
    std::vector<Score> sumsB_;           // per column of B and kind of A: sum of W[kind][y]
};

// The best alignment of A against B with all four ends free, found in memory
// linear in a + b by divide and conquer.
EditScript alignProfiles(const ColumnScorer& s, const GapCosts& gaps);

// Rewrites the rows of A and B into the rows of the merged group, A's rows
// first, following the script. A gap put into a row is " " when the row has
// " " just before or just after it, otherwise "-".
std::vector<std::string> mergeRows(const std::vector<std::string>& rowsA, const std::vector<std::string>& rowsB,
                                   const EditScript& script);

} // namespace tallowin::map
