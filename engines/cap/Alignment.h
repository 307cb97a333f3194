#pragma once

// End-gap-free pairwise alignment of two fragments with region-aware scoring.
//
// Contract:
// - Sequences are 0-based, upper-case single-byte text (characters 0..127).
// - A gap of length k costs q + k * e, where q is the gap-open penalty and e
//   the gap-extend penalty of the cell the gap passes through.
// - Every fragment has a reliable middle region [reliableFirst, reliableLast]
//   (0-based, inclusive); positions outside it are end regions. A cell whose
//   two characters both lie in reliable regions scores from the reliable table
//   and extends gaps with the reliable gap-extend penalty; any other cell uses
//   the end table and the end gap-extend penalty.
// - Gaps before the start and after the end of either fragment are free: the
//   alignment starts in the first row or column and its score is the best cell
//   of the last row or column (Gotoh's affine recurrences, three states).
// - Scores are summed in 64 bits, so no weight the caller can pass overflows.
// - Ties are broken the same way on every call (see Alignment.cpp).

#include "engines/frame/Frame.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallowin::cap::detail {

// The two 128 x 128 substitution tables, indexed by characters. The aligner
// computes the same values from the weights kept beside them (equal
// characters, "N"), which lets its cell loop run without table look-ups.
struct ScoreTables {
    // Reliable table: match on the diagonal, mismatch elsewhere, the whole row
    // and column of "N" mismatch + 1.
    std::vector<int64_t> reliable;
    // End table: match on the diagonal, end mismatch elsewhere, "N" against
    // "N" mismatch + 1.
    std::vector<int64_t> end;
    int64_t gapOpen = 0;
    int64_t gapExtend = 0;
    int64_t endGapExtend = 0;
    // The weights the tables were built from.
    int64_t match = 0;
    int64_t mismatch = 0;
    int64_t endMismatch = 0;
    // The largest magnitude among the weights and penalties.
    int64_t largestWeight = 0;

    [[nodiscard]] int64_t reliableScore(unsigned char a, unsigned char b) const { return reliable[a * 128u + b]; }
    [[nodiscard]] int64_t endScore(unsigned char a, unsigned char b) const { return end[a * 128u + b]; }
};

// Builds both tables from the weights; the characters are the upper-case ones.
[[nodiscard]] ScoreTables makeScoreTables(int32_t match, int32_t mismatch, int32_t endMismatch, int32_t gapOpen,
                                          int32_t gapExtend, int32_t endGapExtend);

// One fragment as the aligner sees it: its characters in the orientation used
// and the reliable region in that orientation.
struct AlignInput {
    std::string_view text;
    int reliableFirst = 0;
    int reliableLast = -1;
};

// The columns of an alignment, in order.
enum class Step : char {
    Both = 'M',   // a character of each fragment
    FirstOnly = 'A',  // a character of the first fragment against a gap
    SecondOnly = 'B', // a character of the second fragment against a gap
};

struct Alignment {
    int64_t score = 0;
    // Half-open ranges of the two fragments that the alignment covers.
    int firstBegin = 0;
    int firstEnd = 0;
    int secondBegin = 0;
    int secondEnd = 0;
    std::vector<Step> steps;
    int columns = 0;    // aligned columns (steps.size())
    int identities = 0; // columns with two equal characters

    [[nodiscard]] bool empty() const { return steps.empty(); }
};

// How an alignment relates two fragments of lengths m (first) and n (second).
enum class OverlapShape {
    FirstContained,  // the first fragment lies wholly in the second
    SecondContained, // the second lies wholly in the first (also when each spans the other)
    FirstThenSecond, // the first fragment's end overlaps the second's start
    SecondThenFirst, // the second fragment's end overlaps the first's start
};
[[nodiscard]] OverlapShape shapeOf(const Alignment& a, int m, int n);

// Work buffers of one score type: three anti-diagonals of best scores (H),
// two of each gap state, the scores of the last row and column, and the two
// fragments' characters with their "N" and reliable-region flags.
template <class S>
struct AlignerBuffers {
    std::vector<S> h0, h1, h2, v0, v1, r0, r1;
    std::vector<S> lastRow, lastColumn;
    std::vector<uint8_t> firstChar, firstN, firstReliable;
    std::vector<uint8_t> secondChar, secondN, secondReliable;
    std::vector<uint8_t> scratch; // back pointers of one anti-diagonal, when none are kept
};

// Work memory of the aligner, reused from pair to pair. Its buffers grow
// through the call's checked allocation.
class Aligner {
public:
    Aligner(const ScoreTables& tables, EngineContext& context);

    // Reserves the row buffers for fragments up to `longest` characters.
    // Throws AllocationFailed when the memory cannot be had.
    void reserve(int longest);

    // The best end-gap-free alignment of `first` against `second`, with its
    // path. An empty result (no steps) when either text is empty.
    // Pairs of up to the trace budget's cells keep one byte of back pointers
    // per cell; larger pairs find the best cell in a score pass and trace its
    // path back in memory linear in the lengths, with the same result.
    // Throws AllocationFailed when the memory cannot be had.
    [[nodiscard]] Alignment align(const AlignInput& first, const AlignInput& second);

    // Largest number of cells whose back pointers are kept at once (one byte
    // each); 4 Mi cells unless set. Tests lower it to exercise the linear
    // traceback on small pairs.
    void setTraceBudget(std::size_t cells) { m_traceBudget = cells; }

private:
    const ScoreTables& m_tables;
    EngineContext& m_context;
    // 32-bit buffers serve when the weights cannot overflow them.
    AlignerBuffers<int64_t> m_work64;
    AlignerBuffers<int32_t> m_work32;
    std::vector<std::size_t> m_diagonalBase;
    std::size_t m_reserved = 0;
    std::vector<uint8_t> m_trace;  // one byte of back pointers per cell
    std::size_t m_traceBudget = std::size_t{1} << 22;
};

// Raised inside the engine when a checked allocation fails; the message is
// already in the call's message text.
struct AllocationFailed {};

} // namespace tallowin::cap::detail
