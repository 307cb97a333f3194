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

// Per-character score rows against the second fragment, built on demand for
// the characters the first fragment uses: weights[a][j] is the score of
// character a against the j-th character of the second fragment.
template <class S>
class Profile {
public:
    Profile(const std::vector<int64_t>& table, std::string_view second, std::vector<S>& storage)
        : m_table(table), m_second(second), m_storage(storage)
    {
        m_slot.fill(-1);
    }

    const S* row(unsigned char a)
    {
        int& slot = m_slot[a];
        if (slot < 0) {
            slot = m_used++;
            const std::size_t n = m_second.size();
            if (m_storage.size() < static_cast<std::size_t>(m_used) * n)
                m_storage.resize(static_cast<std::size_t>(m_used) * n);
            S* out = m_storage.data() + static_cast<std::size_t>(slot) * n;
            const int64_t* t = m_table.data() + a * 128u;
            for (std::size_t j = 0; j < n; ++j)
                out[j] = static_cast<S>(t[static_cast<unsigned char>(m_second[j])]);
        }
        return m_storage.data() + static_cast<std::size_t>(slot) * m_second.size();
    }

private:
    const std::vector<int64_t>& m_table;
    std::string_view m_second;
    std::vector<S>& m_storage;
    std::array<int, 128> m_slot{};
    int m_used = 0;
};

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
              uint8_t* trace)
{
    const int m = static_cast<int>(first.text.size());
    const int n = static_cast<int>(second.text.size());
    const S negative = std::numeric_limits<S>::min() / 4;
    const S q = static_cast<S>(tables.gapOpen);
    const S eReliable = static_cast<S>(tables.gapExtend);
    const S eEnd = static_cast<S>(tables.endGapExtend);
    S* best = work.best.data();
    S* down = work.down.data();
    std::fill(best, best + n + 1, S{0});
    std::fill(down, down + n + 1, negative);

    Profile<S> reliableProfile(tables.reliable, second.text, work.reliableProfile);
    Profile<S> endProfile(tables.end, second.text, work.endProfile);
    // The second fragment's reliable columns, 1-based and clamped.
    const int reliableBegin = std::clamp(second.reliableFirst + 1, 1, n + 1);
    const int reliableEnd = std::clamp(second.reliableLast + 2, reliableBegin, n + 1);

    BestCell result;
    for (int i = 1; i <= m; ++i) {
        const auto a = static_cast<unsigned char>(first.text[static_cast<std::size_t>(i - 1)]);
        const bool aReliable = i - 1 >= first.reliableFirst && i - 1 <= first.reliableLast;
        uint8_t* traceRow = trace + static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(n);

        S diagonal = best[0]; // H[i-1][0]
        S left = 0;           // H[i][0]: the free start in column 0
        S right = negative;   // horizontal-gap state of the cell to the left

        // Columns [from, to) scored with weights w (indexed by j - 1) and gap extend e.
        auto run = [&](int from, int to, const S* w, S e) {
            const S openCost = q + e;
            for (int j = from; j < to; ++j) {
                const S up = best[j];
                // Branch-free: the choices below are data-dependent and
                // unpredictable, so they are computed, not jumped over.
                const S downOpen = up - openCost;
                const S downExtend = down[j] - e;
                const S vertical = std::max(downOpen, downExtend);
                const auto downExtends = static_cast<uint8_t>(downExtend >= downOpen);

                const S rightOpen = left - openCost;
                const S rightExtend = right - e;
                right = std::max(rightOpen, rightExtend);
                const auto rightExtends = static_cast<uint8_t>(rightExtend >= rightOpen);

                const S diagonalScore = diagonal + w[j - 1];
                const auto takeDown = static_cast<uint8_t>(vertical > diagonalScore);
                const S h1 = std::max(diagonalScore, vertical);
                const auto takeRight = static_cast<uint8_t>(right > h1);
                const S h = std::max(h1, right);
                const auto source = static_cast<uint8_t>((takeRight << 1) | (takeDown & (takeRight ^ 1)));
                const auto bits = static_cast<uint8_t>((downExtends << 2) | (rightExtends << 3));
                traceRow[j - 1] = static_cast<uint8_t>(bits | source);

                diagonal = up;
                best[j] = h;
                down[j] = vertical;
                left = h;
            }
        };
        const S* endRow = endProfile.row(a);
        if (aReliable) {
            run(1, reliableBegin, endRow, eEnd);
            run(reliableBegin, reliableEnd, reliableProfile.row(a), eReliable);
            run(reliableEnd, n + 1, endRow, eEnd);
        } else {
            run(1, n + 1, endRow, eEnd);
        }

        if (i < m && static_cast<int64_t>(best[n]) > result.score)
            result = {static_cast<int64_t>(best[n]), i, n};
    }
    for (int j = 1; j <= n; ++j) {
        if (static_cast<int64_t>(best[j]) > result.score)
            result = {static_cast<int64_t>(best[j]), m, j};
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

void Aligner::reserve(int longest)
{
    const auto size = static_cast<std::size_t>(longest) + 1;
    if (m_work64.best.size() >= size)
        return;
    if (!m_context.CheckedNew(m_work64.best, size) || !m_context.CheckedNew(m_work64.down, size)
        || !m_context.CheckedNew(m_work32.best, size) || !m_context.CheckedNew(m_work32.down, size))
        throw AllocationFailed{};
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

    BestCell cell;
    if (fitsIn32(m_tables, m, n)) {
        cell = fill<int32_t>(m_tables, first, second, m_work32, m_trace.data());
    } else {
        cell = fill<int64_t>(m_tables, first, second, m_work64, m_trace.data());
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
        const uint8_t bits = m_trace[static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(n)
                                     + static_cast<std::size_t>(j - 1)];
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
