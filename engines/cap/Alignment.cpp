#include "engines/cap/Alignment.h"

#include <algorithm>
#include <limits>

namespace tallowin::cap::detail {

namespace {

// Largest traceback (cells) one pairwise alignment may take: one byte per
// cell, so two fragments of about 32,000 characters each. Beyond it the
// request is treated as memory that cannot be had.
constexpr std::size_t MaxTraceCells = std::size_t{1} << 30;

// Back-pointer bits of one cell.
constexpr uint8_t FromDiagonal = 0;
constexpr uint8_t FromDown = 1;   // H took the vertical-gap state
constexpr uint8_t FromRight = 2;  // H took the horizontal-gap state
constexpr uint8_t SourceMask = 3;
constexpr uint8_t DownExtends = 4;  // the vertical gap continues one from above
constexpr uint8_t RightExtends = 8; // the horizontal gap continues one from the left

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

// Fills the traceback and returns the best cell of the last row or column.
// S is the score type: 32 bits when the weights cannot overflow it (faster),
// else 64 bits.
//
// Tie-breaks, fixed so that every call gives the same path:
// - a cell prefers the diagonal, then the vertical gap, then the horizontal gap;
// - a gap state prefers extending over opening;
// - the best cell is the first maximum met in row order: the last column of
//   rows 1 .. m-1 top to bottom, then the last row left to right.
template <class S>
BestCell fill(const ScoreTables& tables, const AlignInput& first, const AlignInput& second, AlignerBuffers<S>& work,
              const DiagonalLayout& layout, uint8_t* trace)
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
                 h1 + up, v1 + up, r1 + a, h0 + a, v0 + a, r0 + a, trace + layout.index(lo, d - lo));
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
                    &work.secondReliable}) {
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

Alignment Aligner::align(const AlignInput& first, const AlignInput& second)
{
    Alignment result;
    const int m = static_cast<int>(first.text.size());
    const int n = static_cast<int>(second.text.size());
    if (m == 0 || n == 0)
        return result;
    reserve(std::max(m, n));

    const std::size_t cells = static_cast<std::size_t>(m) * static_cast<std::size_t>(n);
    if (cells > MaxTraceCells) {
        m_context.messages.AppendMessage("Memory allocation failed.");
        throw AllocationFailed{};
    }
    if (m_trace.size() < cells && !m_context.CheckedNew(m_trace, cells))
        throw AllocationFailed{};

    const DiagonalLayout layout(m, n, m_diagonalBase);
    BestCell cell;
    if (fitsIn32(m_tables, m, n)) {
        cell = fill<int32_t>(m_tables, first, second, m_work32, layout, m_trace.data());
    } else {
        cell = fill<int64_t>(m_tables, first, second, m_work64, layout, m_trace.data());
    }

    // Trace back from the best cell to the first row or column.
    enum class State { Best, Down, Right };
    State state = State::Best;
    int i = cell.row;
    int j = cell.column;
    result.score = cell.score;
    result.firstEnd = i;
    result.secondEnd = j;
    while (i > 0 && j > 0) {
        const uint8_t bits = m_trace[layout.index(i, j)];
        switch (state) {
        case State::Best:
            switch (bits & SourceMask) {
            case FromDown:
                state = State::Down;
                break;
            case FromRight:
                state = State::Right;
                break;
            default:
                result.steps.push_back(Step::Both);
                if (first.text[static_cast<std::size_t>(i - 1)] == second.text[static_cast<std::size_t>(j - 1)])
                    ++result.identities;
                --i;
                --j;
                break;
            }
            break;
        case State::Down:
            result.steps.push_back(Step::FirstOnly);
            state = (bits & DownExtends) != 0 ? State::Down : State::Best;
            --i;
            break;
        case State::Right:
            result.steps.push_back(Step::SecondOnly);
            state = (bits & RightExtends) != 0 ? State::Right : State::Best;
            --j;
            break;
        }
    }
    result.firstBegin = i;
    result.secondBegin = j;
    std::reverse(result.steps.begin(), result.steps.end());
    result.columns = static_cast<int>(result.steps.size());
    return result;
}

} // namespace tallowin::cap::detail
