#include "engines/cap/Alignment.h"

#include <algorithm>
#include <array>
#include <limits>

namespace tallowin::cap::detail {

namespace {

// Back-pointer bits of one cell.
constexpr uint8_t FromDiagonal = 0;
constexpr uint8_t FromDown = 1;   // H took the vertical-gap state
constexpr uint8_t FromRight = 2;  // H took the horizontal-gap state
constexpr uint8_t SourceMask = 3;
constexpr uint8_t DownExtends = 4;  // the vertical gap continues one from above
constexpr uint8_t RightExtends = 8; // the horizontal gap continues one from the left

// Scores along chosen rows or columns, kept by the score pass so that the
// traceback of a large pair starts from the nearest kept line instead of
// from the first row or column.
struct KeptLines {
    std::vector<int> at;                         // ascending line numbers, from 1
    std::vector<std::vector<int64_t>> best, gap; // per line: H and the gap state along the line
};

// Rows keep H and V (the vertical gap) of columns 0 .. n; columns keep H and
// R (the horizontal gap) of rows 0 .. m.
struct Checkpoints {
    KeptLines rows;
    KeptLines columns;

    void keep(KeptLines& lines, int count, int extent, int length)
    {
        for (int k = 1; k <= count; ++k) {
            lines.at.push_back(static_cast<int>(static_cast<int64_t>(extent) * k / (count + 1)));
            lines.best.emplace_back(static_cast<std::size_t>(length + 1), 0);
            lines.gap.emplace_back(static_cast<std::size_t>(length + 1), std::numeric_limits<int64_t>::min() / 4);
        }
    }
};

struct BestCell {
    int64_t score = std::numeric_limits<int64_t>::min();
    int row = 0;
    int column = 0;
};

// Cells of the DP matrix are visited by anti-diagonals d = i + j: the cells
// of one anti-diagonal depend only on the two before it, so each one is a
// plain element-wise loop over i that the compiler turns into vector code.
// The traceback is stored by anti-diagonal too.
class DiagonalLayout {
public:
    DiagonalLayout(int m, int n, std::vector<std::size_t>& base) : m_m(m), m_n(n), m_base(base)
    {
        m_base.assign(static_cast<std::size_t>(m + n + 2), 0);
        std::size_t offset = 0;
        for (int d = 2; d <= m + n; ++d) {
            m_base[static_cast<std::size_t>(d)] = offset;
            offset += static_cast<std::size_t>(last(d) - first(d) + 1);
        }
    }
    [[nodiscard]] int first(int d) const { return std::max(1, d - m_n); } // lowest row i on d
    [[nodiscard]] int last(int d) const { return std::min(m_m, d - 1); }  // highest row i on d
    [[nodiscard]] std::size_t index(int i, int j) const
    {
        const int d = i + j;
        return m_base[static_cast<std::size_t>(d)] + static_cast<std::size_t>(i - first(d));
    }

private:
    int m_m;
    int m_n;
    std::vector<std::size_t>& m_base;
};

// `a` where `mask` is all ones, `b` where it is zero.
template <class S>
inline S pick(S mask, S a, S b)
{
    return b ^ ((a ^ b) & mask);
}

// Constants of the recurrences.
template <class S>
struct CellWeights {
    S gapOpen, reliableExtend, endExtend, match, mismatch, endMismatch, unknown;
};

// On x86-64 the cell loop is also built for AVX2 and the processor's best
// version is chosen when the library loads.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define TALLOWIN_CAP_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TALLOWIN_CAP_VECTOR_CLONES
#endif

// The `count` cells of one anti-diagonal, from its lowest row down. Each
// array starts at what the first cell reads: a and b at the two characters
// it pairs, diagonal at H(i-1, j-1), above at H(i-1, j) (so above[t + 1] is
// H(i, j-1)), down at V(i-1, j), right at R(i, j-1); h, v, r and out receive
// the cells. Every pointer is restrict-qualified so that the loop vectorises.
template <class S>
TALLOWIN_CAP_VECTOR_CLONES void cells(int count, const CellWeights<S>& k, const uint8_t* __restrict aChar,
                                      const uint8_t* __restrict aN, const uint8_t* __restrict aRel,
                                      const uint8_t* __restrict bChar, const uint8_t* __restrict bN,
                                      const uint8_t* __restrict bRel, const S* __restrict diagonal,
                                      const S* __restrict above, const S* __restrict down,
                                      const S* __restrict right, S* __restrict h, S* __restrict v,
                                      S* __restrict r, uint8_t* __restrict out)
{
    for (int t = 0; t < count; ++t) {
        // Selections by masks (all ones or zero), so that the loop has no
        // branches.
        const S reliable = -static_cast<S>(aRel[t] & bRel[t]);
        const S same = -static_cast<S>(aChar[t] == bChar[t]);
        const S anyN = -static_cast<S>(aN[t] | bN[t]);
        const S bothN = -static_cast<S>(aN[t] & bN[t]);
        const S reliableWeight = pick(anyN, k.unknown, pick(same, k.match, k.mismatch));
        const S endWeight = pick(bothN, k.unknown, pick(same, k.match, k.endMismatch));
        const S w = pick(reliable, reliableWeight, endWeight);
        const S e = pick(reliable, k.reliableExtend, k.endExtend);
        const S openCost = k.gapOpen + e;

        const S downOpen = above[t] - openCost;
        const S downExtend = down[t] - e;
        const S vertical = std::max(downOpen, downExtend);
        const auto downExtends = static_cast<uint8_t>(downExtend >= downOpen);

        const S rightOpen = above[t + 1] - openCost;
        const S rightExtend = right[t] - e;
        const S horizontal = std::max(rightOpen, rightExtend);
        const auto rightExtends = static_cast<uint8_t>(rightExtend >= rightOpen);

        const S diagonalScore = diagonal[t] + w;
        const auto takeDown = static_cast<uint8_t>(vertical > diagonalScore);
        const S withDown = std::max(diagonalScore, vertical);
        const auto takeRight = static_cast<uint8_t>(horizontal > withDown);
        h[t] = std::max(withDown, horizontal);
        v[t] = vertical;
        r[t] = horizontal;
        out[t] = static_cast<uint8_t>((takeRight << 1) | (takeDown & (takeRight ^ 1)) | (downExtends << 2)
                                      | (rightExtends << 3));
    }
}

// Fills the traceback (when `trace` is given) and returns the best cell of
// the last row or column. S is the score type: 32 bits when the weights
// cannot overflow it (faster), else 64 bits.
//
// Tie-breaks, fixed so that every call gives the same path:
// - a cell prefers the diagonal, then the vertical gap, then the horizontal gap;
// - a gap state prefers extending over opening;
// - the best cell is the first maximum met in row order: the last column of
//   rows 1 .. m-1 top to bottom, then the last row left to right.
template <class S>
BestCell fill(const ScoreTables& tables, const AlignInput& first, const AlignInput& second, AlignerBuffers<S>& work,
              const DiagonalLayout& layout, uint8_t* trace, Checkpoints* checkpoints)
{
    const int m = static_cast<int>(first.text.size());
    const int n = static_cast<int>(second.text.size());
    const S negative = std::numeric_limits<S>::min() / 4;
    const S q = static_cast<S>(tables.gapOpen);
    const S eReliable = static_cast<S>(tables.gapExtend);
    const S eEnd = static_cast<S>(tables.endGapExtend);
    const S match = static_cast<S>(tables.match);
    const S mismatch = static_cast<S>(tables.mismatch);
    const S endMismatch = static_cast<S>(tables.endMismatch);
    const S unknown = static_cast<S>(tables.mismatch + 1);
    const CellWeights<S> k{q, eReliable, eEnd, match, mismatch, endMismatch, unknown};

    // Per position, 1-based: the character, whether it is "N", whether it is
    // reliable. The second fragment is stored reversed so that the cells of
    // an anti-diagonal read it in ascending order.
    const auto size = static_cast<std::size_t>(std::max(m, n) + 2);
    for (auto* v : {&work.firstChar, &work.firstN, &work.firstReliable, &work.secondChar, &work.secondN,
                    &work.secondReliable})
        v->assign(size, 0);
    for (int i = 1; i <= m; ++i) {
        const auto c = static_cast<uint8_t>(first.text[static_cast<std::size_t>(i - 1)]);
        work.firstChar[static_cast<std::size_t>(i)] = c;
        work.firstN[static_cast<std::size_t>(i)] = c == 'N';
        work.firstReliable[static_cast<std::size_t>(i)] = i - 1 >= first.reliableFirst && i - 1 <= first.reliableLast;
    }
    // Reversed: entry k holds position j = n - k (k = 0 .. n-1).
    for (int j = 1; j <= n; ++j) {
        const auto k = static_cast<std::size_t>(n - j);
        const auto c = static_cast<uint8_t>(second.text[static_cast<std::size_t>(j - 1)]);
        work.secondChar[k] = c;
        work.secondN[k] = c == 'N';
        work.secondReliable[k] = j - 1 >= second.reliableFirst && j - 1 <= second.reliableLast;
    }

    // Three anti-diagonals of H, two of the gap states, indexed by row i.
    for (auto* v : {&work.h0, &work.h1, &work.h2, &work.v0, &work.v1, &work.r0, &work.r1})
        v->assign(static_cast<std::size_t>(m + 2), negative);
    S* h2 = work.h2.data(); // anti-diagonal d-2
    S* h1 = work.h1.data(); // anti-diagonal d-1
    S* h0 = work.h0.data(); // anti-diagonal d, being filled
    S* v1 = work.v1.data();
    S* v0 = work.v0.data();
    S* r1 = work.r1.data();
    S* r0 = work.r0.data();
    // Anti-diagonals 0 and 1 hold only the free first row and column.
    h2[0] = 0;
    h1[0] = 0;
    h1[1] = 0;

    work.lastColumn.assign(static_cast<std::size_t>(m + 1), negative);
    work.lastRow.assign(static_cast<std::size_t>(n + 1), negative);

    for (int d = 2; d <= m + n; ++d) {
        const int lo = layout.first(d);
        const int hi = layout.last(d);
        // The boundary cells of this anti-diagonal: (0, d) and (d, 0).
        if (d <= n) {
            h0[0] = 0;
            v0[0] = negative;
        }
        if (d <= m) {
            h0[d] = 0;
            r0[d] = negative;
        }
        // Row i pairs position j = d - i of the second fragment, kept
        // reversed at n - j = n - d + i.
        const auto a = static_cast<std::size_t>(lo);
        const auto b = static_cast<std::size_t>(n - d + lo);
        const auto up = static_cast<std::size_t>(lo - 1);
        cells<S>(hi - lo + 1, k, work.firstChar.data() + a, work.firstN.data() + a, work.firstReliable.data() + a,
                 work.secondChar.data() + b, work.secondN.data() + b, work.secondReliable.data() + b, h2 + up,
                 h1 + up, v1 + up, r1 + a, h0 + a, v0 + a, r0 + a,
                 trace != nullptr ? trace + layout.index(lo, d - lo) : work.scratch.data());
        if (hi == m)
            work.lastRow[static_cast<std::size_t>(d - m)] = h0[m];
        if (d - n >= lo && d - n <= hi)
            work.lastColumn[static_cast<std::size_t>(d - n)] = h0[d - n];

        // Rotate: d becomes d-1, d-1 becomes d-2.
        S* spare = h2;
        h2 = h1;
        h1 = h0;
        h0 = spare;
        std::swap(v1, v0);
        std::swap(r1, r0);
        if (checkpoints != nullptr) {
            // The new anti-diagonal is now h1 and v1.
            KeptLines& rows = checkpoints->rows;
            for (std::size_t k = 0; k < rows.at.size(); ++k) {
                const int r = rows.at[k];
                if (r >= lo && r <= hi) {
                    rows.best[k][static_cast<std::size_t>(d - r)] = h1[r];
                    rows.gap[k][static_cast<std::size_t>(d - r)] = v1[r];
                }
            }
            KeptLines& columns = checkpoints->columns;
            for (std::size_t k = 0; k < columns.at.size(); ++k) {
                const int row = d - columns.at[k];
                if (row >= lo && row <= hi) {
                    columns.best[k][static_cast<std::size_t>(row)] = h1[row];
                    columns.gap[k][static_cast<std::size_t>(row)] = r1[row];
                }
            }
        }
    }

    BestCell result;
    for (int i = 1; i < m; ++i) {
        if (static_cast<int64_t>(work.lastColumn[static_cast<std::size_t>(i)]) > result.score)
            result = {static_cast<int64_t>(work.lastColumn[static_cast<std::size_t>(i)]), i, n};
    }
    for (int j = 1; j <= n; ++j) {
        if (static_cast<int64_t>(work.lastRow[static_cast<std::size_t>(j)]) > result.score)
            result = {static_cast<int64_t>(work.lastRow[static_cast<std::size_t>(j)]), m, j};
    }
    return result;
}

// True when 32-bit sums cannot overflow for fragments of these lengths: each
// step adds at most one weight and one gap-open plus gap-extend penalty.
bool fitsIn32(const ScoreTables& tables, int m, int n)
{
    const int64_t bound = (static_cast<int64_t>(m) + n + 2) * (3 * tables.largestWeight + 1);
    return bound < (int64_t{1} << 28);
}

} // namespace

ScoreTables makeScoreTables(int32_t match, int32_t mismatch, int32_t endMismatch, int32_t gapOpen,
                            int32_t gapExtend, int32_t endGapExtend)
{
    ScoreTables t;
    t.reliable.assign(128 * 128, mismatch);
    t.end.assign(128 * 128, endMismatch);
    for (unsigned x = 0; x < 128; ++x) {
        t.reliable[x * 128 + x] = match;
        t.end[x * 128 + x] = match;
    }
    const int64_t unknown = static_cast<int64_t>(mismatch) + 1;
    for (unsigned x = 0; x < 128; ++x) {
        t.reliable['N' * 128u + x] = unknown;
        t.reliable[x * 128u + 'N'] = unknown;
    }
    t.end['N' * 128u + 'N'] = unknown;
    t.gapOpen = gapOpen;
    t.gapExtend = gapExtend;
    t.endGapExtend = endGapExtend;
    t.match = match;
    t.mismatch = mismatch;
    t.endMismatch = endMismatch;
    for (int64_t v : {int64_t{match}, int64_t{mismatch}, int64_t{endMismatch}, unknown, int64_t{gapOpen},
                      int64_t{gapExtend}, int64_t{endGapExtend}})
        t.largestWeight = std::max(t.largestWeight, v < 0 ? -v : v);
    return t;
}

OverlapShape shapeOf(const Alignment& a, int m, int n)
{
    const bool secondSpanned = a.secondBegin == 0 && a.secondEnd == n;
    const bool firstSpanned = a.firstBegin == 0 && a.firstEnd == m;
    // When each fragment spans the other, the second counts as contained.
    if (secondSpanned)
        return OverlapShape::SecondContained;
    if (firstSpanned)
        return OverlapShape::FirstContained;
    return a.firstEnd == m ? OverlapShape::FirstThenSecond : OverlapShape::SecondThenFirst;
}

Aligner::Aligner(const ScoreTables& tables, EngineContext& context) : m_tables(tables), m_context(context) {}

namespace {

// Sizes every buffer of `work` for fragments up to `size` - 2 characters.
template <class S>
bool reserveBuffers(EngineContext& context, AlignerBuffers<S>& work, std::size_t size)
{
    for (auto* v : {&work.h0, &work.h1, &work.h2, &work.v0, &work.v1, &work.r0, &work.r1, &work.lastRow,
                    &work.lastColumn}) {
        if (!context.CheckedNew(*v, size))
            return false;
    }
    for (auto* v : {&work.firstChar, &work.firstN, &work.firstReliable, &work.secondChar, &work.secondN,
                    &work.secondReliable, &work.scratch}) {
        if (!context.CheckedNew(*v, size))
            return false;
    }
    return true;
}

} // namespace

void Aligner::reserve(int longest)
{
    const auto size = static_cast<std::size_t>(longest) + 2;
    if (m_reserved >= size)
        return;
    if (!reserveBuffers(m_context, m_work32, size) || !reserveBuffers(m_context, m_work64, size))
        throw AllocationFailed{};
    m_reserved = size;
}

namespace {

enum class State { Best, Down, Right };

// A point of the traceback: the cell and the state it is in.
struct Cursor {
    int i = 0;
    int j = 0;
    State state = State::Best;
    [[nodiscard]] bool done() const { return i == 0 || j == 0; }
};

// Walks the traceback back from `c` while it stays below row `stopRow` and
// off the first row and column, appending the columns in reverse order.
// `bits(i, j)` gives the back pointers of a cell.
template <class Bits>
void walkBack(Cursor& c, int stopRow, const Bits& bits, std::vector<Step>& reversed)
{
    while (c.i > stopRow && c.j > 0) {
        const uint8_t b = bits(c.i, c.j);
        switch (c.state) {
        case State::Best:
            switch (b & SourceMask) {
            case FromDown:
                c.state = State::Down;
                break;
            case FromRight:
                c.state = State::Right;
                break;
            default:
                reversed.push_back(Step::Both);
                --c.i;
                --c.j;
                break;
            }
            break;
        case State::Down:
            reversed.push_back(Step::FirstOnly);
            c.state = (b & DownExtends) != 0 ? State::Down : State::Best;
            --c.i;
            break;
        case State::Right:
            reversed.push_back(Step::SecondOnly);
            c.state = (b & RightExtends) != 0 ? State::Right : State::Best;
            --c.j;
            break;
        }
    }
}

// The traceback of a pair too large for one byte per cell, in memory linear
// in the lengths: the same recurrences and tie-breaks as the score pass,
// computed row by row in 64 bits.
//
// To walk back from a cell of row r to the row t above it, rows t+1 .. r are
// needed. When they fit the block budget their back pointers are kept and
// walked; otherwise the rows are computed from row t down to the middle row
// (keeping only that row), the lower half is walked from the middle row's
// scores, and then the upper half from where the walk crossed the middle
// (Hirschberg's halving applied to the traceback itself, so that the path is
// the one the full traceback would take). The path never moves right, so
// each upper half needs only the columns up to its crossing.
//
// The walk runs over rows when the best cell is on the last row and over
// columns (the pair transposed) when it is on the last column: the rows
// crossed then scale with the path, not with the fragment before it. In the
// transposed frame the vertical and horizontal gaps trade places, and so do
// their places in the tie order.
//
// Cost: the score rows of each halving level are computed once, about
// log2(rows x columns / budget) / 2 times the cells the path crosses between
// kept lines; memory two rows per level plus the block.
class LinearTraceback {
public:
    // `first` gives the rows and `second` the columns of the frame; with
    // `transposed` they are the aligner's second and first fragment.
    LinearTraceback(const ScoreTables& t, const AlignInput& first, const AlignInput& second, std::size_t budget,
                    bool transposed)
        : m_budget(std::max<std::size_t>(budget, 1)),
          m_transposed(transposed),
          m_q(t.gapOpen),
          m_reliableExtend(t.gapExtend),
          m_endExtend(t.endGapExtend),
          m_match(t.match),
          m_mismatch(t.mismatch),
          m_endMismatch(t.endMismatch),
          m_unknown(t.mismatch + 1)
    {
        const int m = static_cast<int>(first.text.size());
        const int n = static_cast<int>(second.text.size());
        m_firstChar.assign(static_cast<std::size_t>(m + 1), 0);
        m_firstReliable.assign(static_cast<std::size_t>(m + 1), 0);
        for (int i = 1; i <= m; ++i) {
            m_firstChar[at(i)] = static_cast<uint8_t>(first.text[at(i - 1)]);
            m_firstReliable[at(i)] = i - 1 >= first.reliableFirst && i - 1 <= first.reliableLast;
        }
        m_secondCode.assign(static_cast<std::size_t>(n + 1), 0);
        for (int j = 1; j <= n; ++j) {
            const bool reliable = j - 1 >= second.reliableFirst && j - 1 <= second.reliableLast;
            m_secondCode[at(j)] = static_cast<uint8_t>((static_cast<uint8_t>(second.text[at(j - 1)]) & 127) | (reliable ? 128 : 0));
        }
    }

    // Walks back from cell (i, j) to the first row or column; returns where
    // it ends, the columns in reverse order in `reversed`. The walk goes from
    // one kept row of scores to the next above it.
    Cursor run(int i, int j, const KeptLines& kept, std::vector<Step>& reversed)
    {
        m_reversed = &reversed;
        Cursor c{i, j, State::Best};
        for (std::size_t k = kept.at.size(); k-- > 0;) {
            if (kept.at[k] >= c.i)
                continue;
            c = solve(kept.at[k], kept.best[k], kept.gap[k], c);
            if (c.done())
                return c;
        }
        // Row 0: free starts, no vertical gap state.
        std::vector<int64_t> h(at(c.j + 1), 0);
        std::vector<int64_t> v(at(c.j + 1), Negative);
        return solve(0, h, v, c);
    }

private:
    static constexpr int64_t Negative = std::numeric_limits<int64_t>::min() / 4;

    static std::size_t at(int k) { return static_cast<std::size_t>(k); }

    // Rows from+1 .. to over columns 0 .. columns, in place: h and v hold
    // row `from` on entry and row `to` on return. Back pointers go to
    // `bits` (row-major from row from+1, column 1) when it is given.
    void advance(int from, int to, int columns, std::vector<int64_t>& h, std::vector<int64_t>& v, uint8_t* bits)
    {
        int64_t* hp = h.data();
        int64_t* vp = v.data();
        const uint8_t* code = m_secondCode.data();
        for (int i = from + 1; i <= to; ++i) {
            // This row's weight and gap extension against every column code
            // (a character, plus 128 when it lies in a reliable region).
            const uint8_t a = m_firstChar[at(i)];
            const bool aReliable = m_firstReliable[at(i)] != 0;
            for (int c = 0; c < 256; ++c) {
                const auto b = static_cast<uint8_t>(c & 127);
                const bool reliable = aReliable && c >= 128;
                const bool aN = a == 'N';
                const bool bN = b == 'N';
                m_rowWeight[at(c)] = reliable ? ((aN || bN) ? m_unknown : (a == b ? m_match : m_mismatch))
                                              : ((aN && bN) ? m_unknown : (a == b ? m_match : m_endMismatch));
                m_rowExtend[at(c)] = reliable ? m_reliableExtend : m_endExtend;
            }
            const int64_t* rowWeight = m_rowWeight.data();
            const int64_t* rowExtend = m_rowExtend.data();
            int64_t diagonal = hp[0]; // H(i-1, 0)
            hp[0] = 0;                // the free first column
            int64_t right = Negative;
            int64_t left = 0;         // H(i, j-1)
            for (int j = 1; j <= columns; ++j) {
                const uint8_t k = code[j];
                const int64_t w = rowWeight[k];
                const int64_t e = rowExtend[k];
                const int64_t openCost = m_q + e;

                const int64_t up = hp[j];
                const int64_t downOpen = up - openCost;
                const int64_t downExtend = vp[j] - e;
                const int64_t vertical = std::max(downOpen, downExtend);
                const int64_t rightOpen = left - openCost;
                const int64_t rightExtend = right - e;
                const int64_t horizontal = std::max(rightOpen, rightExtend);
                const int64_t diagonalScore = diagonal + w;
                // The diagonal first, then the aligner's vertical gap, then
                // its horizontal one (swapped in the transposed frame).
                bool takeDown = false;
                bool takeRight = false;
                if (!m_transposed) {
                    takeDown = vertical > diagonalScore;
                    takeRight = horizontal > std::max(diagonalScore, vertical);
                } else {
                    takeDown = vertical > std::max(diagonalScore, horizontal);
                    takeRight = !takeDown && horizontal > diagonalScore;
                }
                diagonal = up;
                left = std::max({diagonalScore, vertical, horizontal});
                hp[j] = left;
                vp[j] = vertical;
                right = horizontal;
                if (bits != nullptr) {
                    *bits++ = static_cast<uint8_t>((takeRight ? FromRight : (takeDown ? FromDown : FromDiagonal))
                                                   | (downExtend >= downOpen ? DownExtends : 0)
                                                   | (rightExtend >= rightOpen ? RightExtends : 0));
                }
            }
        }
    }

    // Walks back from `end` (a cell below row `top`) up to row `top`, the
    // first row or the first column. topH and topV are row `top`'s scores.
    Cursor solve(int top, const std::vector<int64_t>& topH, const std::vector<int64_t>& topV, Cursor end)
    {
        const int rows = end.i - top;
        const int columns = end.j;
        std::vector<int64_t> h(topH.begin(), topH.begin() + columns + 1);
        std::vector<int64_t> v(topV.begin(), topV.begin() + columns + 1);
        // One row is always walked from its back pointers (its columns' worth).
        if (rows <= 1 || static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns) <= m_budget) {
            m_block.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
            advance(top, end.i, columns, h, v, m_block.data());
            const auto bits = [&](int i, int j) {
                return m_block[at(i - top - 1) * at(columns) + at(j - 1)];
            };
            walkBack(end, top, bits, *m_reversed);
            return end;
        }
        const int middle = top + rows / 2;
        advance(top, middle, columns, h, v, nullptr);
        const Cursor crossing = solve(middle, h, v, end);
        if (crossing.done())
            return crossing;
        return solve(top, topH, topV, crossing);
    }

    std::size_t m_budget;
    bool m_transposed;
    int64_t m_q, m_reliableExtend, m_endExtend, m_match, m_mismatch, m_endMismatch, m_unknown;
    std::vector<uint8_t> m_firstChar, m_firstReliable;
    std::vector<uint8_t> m_secondCode; // character, plus 128 in a reliable region
    std::array<int64_t, 256> m_rowWeight{};
    std::array<int64_t, 256> m_rowExtend{};
    std::vector<uint8_t> m_block;
    std::vector<Step>* m_reversed = nullptr;
};

} // namespace

Alignment Aligner::align(const AlignInput& first, const AlignInput& second)
{
    Alignment result;
    const int m = static_cast<int>(first.text.size());
    const int n = static_cast<int>(second.text.size());
    if (m == 0 || n == 0)
        return result;
    reserve(std::max(m, n));

    // A pair within the budget keeps one byte of back pointers per cell;
    // a larger one finds its best cell in a score pass and is traced in
    // linear space. Both give the same path.
    const std::size_t cells = static_cast<std::size_t>(m) * static_cast<std::size_t>(n);
    const bool whole = cells <= m_traceBudget;
    if (whole && m_trace.size() < cells && !m_context.CheckedNew(m_trace, cells))
        throw AllocationFailed{};
    uint8_t* trace = whole ? m_trace.data() : nullptr;
    Checkpoints checkpoints;
    if (!whole) {
        // Up to 8 evenly spaced rows and columns: a traceback then computes
        // only the stretches that its path crosses.
        const std::size_t most = std::min<std::size_t>(8, cells / m_traceBudget);
        checkpoints.keep(checkpoints.rows, static_cast<int>(std::min<std::size_t>(most, static_cast<std::size_t>(m - 1))), m, n);
        checkpoints.keep(checkpoints.columns, static_cast<int>(std::min<std::size_t>(most, static_cast<std::size_t>(n - 1))), n, m);
    }

    const DiagonalLayout layout(m, n, m_diagonalBase);
    const BestCell cell = fitsIn32(m_tables, m, n)
        ? fill<int32_t>(m_tables, first, second, m_work32, layout, trace, &checkpoints)
        : fill<int64_t>(m_tables, first, second, m_work64, layout, trace, &checkpoints);
    result.score = cell.score;
    result.firstEnd = cell.row;
    result.secondEnd = cell.column;

    Cursor c{cell.row, cell.column, State::Best};
    if (whole) {
        walkBack(c, 0, [&](int i, int j) { return m_trace[layout.index(i, j)]; }, result.steps);
    } else {
        if (cell.row == m) {
            LinearTraceback traceback(m_tables, first, second, m_traceBudget, false);
            c = traceback.run(cell.row, cell.column, checkpoints.rows, result.steps);
        } else {
            LinearTraceback traceback(m_tables, second, first, m_traceBudget, true);
            const Cursor t = traceback.run(cell.column, cell.row, checkpoints.columns, result.steps);
            c = Cursor{t.j, t.i, State::Best};
            for (Step& step : result.steps) {
                if (step != Step::Both)
                    step = step == Step::FirstOnly ? Step::SecondOnly : Step::FirstOnly;
            }
        }
    }
    result.firstBegin = c.i;
    result.secondBegin = c.j;
    std::reverse(result.steps.begin(), result.steps.end());
    result.columns = static_cast<int>(result.steps.size());
    int i = result.firstBegin;
    int j = result.secondBegin;
    for (Step s : result.steps) {
        if (s == Step::Both && first.text[static_cast<std::size_t>(i)] == second.text[static_cast<std::size_t>(j)])
            ++result.identities;
        i += s == Step::SecondOnly ? 0 : 1;
        j += s == Step::FirstOnly ? 0 : 1;
    }
    return result;
}

} // namespace tallowin::cap::detail
