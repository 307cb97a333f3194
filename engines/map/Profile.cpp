#include "engines/map/Profile.h"

#include <algorithm>
#include <array>
#include <limits>

namespace tallowin::map {

// ---- Edit script ----------------------------------------------------------

void EditScript::run(Score signedLength)
{
    if (signedLength == 0)
        return;
    if (!ops_.empty() && ((ops_.back() > 0 && signedLength > 0) || (ops_.back() < 0 && signedLength < 0)))
        ops_.back() += signedLength;
    else
        ops_.push_back(signedLength);
}

void EditScript::append(const EditScript& other)
{
    for (Score op : other.ops_) {
        if (op == 0)
            match();
        else
            run(op);
    }
}

Score EditScript::columnsOfA() const
{
    Score n = 0;
    for (Score op : ops_)
        n += op == 0 ? 1 : (op < 0 ? -op : 0);
    return n;
}

Score EditScript::columnsOfB() const
{
    Score n = 0;
    for (Score op : ops_)
        n += op >= 0 ? (op == 0 ? 1 : op) : 0;
    return n;
}

// ---- Column scores --------------------------------------------------------

namespace {

// Counts the residues of column `col` of the rows into `counts` (cleared
// first), blanks left out, and returns how many it counted.
Score countColumn(const std::vector<std::string>& rows, Score col, std::array<Score, 128>& counts)
{
    counts.fill(0);
    Score n = 0;
    for (const auto& row : rows) {
        const auto c = static_cast<unsigned char>(row[static_cast<std::size_t>(col)]) & 0x7f;
        if (c == ' ')
            continue;
        ++counts[c];
        ++n;
    }
    return n;
}

} // namespace

ColumnScorer::ColumnScorer(const std::vector<std::string>& rowsA, const std::vector<std::string>& rowsB,
                           const ScoreTable& w)
{
    a_ = rowsA.empty() ? 0 : static_cast<Score>(rowsA.front().size()) - 2;
    b_ = rowsB.empty() ? 0 : static_cast<Score>(rowsB.front().size()) - 2;

    std::array<int, 128> kindOf;
    kindOf.fill(-1);
    std::vector<unsigned char> charOfKind;
    std::array<Score, 128> counts{};

    startA_.push_back(0);
    for (Score i = 1; i <= a_; ++i) {
        const Score n = countColumn(rowsA, i, counts);
        for (int c = 0; c < 128; ++c) {
            if (counts[static_cast<std::size_t>(c)] == 0)
                continue;
            if (kindOf[static_cast<std::size_t>(c)] < 0) {
                kindOf[static_cast<std::size_t>(c)] = static_cast<int>(charOfKind.size());
                charOfKind.push_back(static_cast<unsigned char>(c));
            }
            entriesA_.push_back({static_cast<std::size_t>(kindOf[static_cast<std::size_t>(c)]),
                                 counts[static_cast<std::size_t>(c)]});
        }
        startA_.push_back(entriesA_.size());
        countA_.push_back(n);
    }

    kinds_ = charOfKind.size();
    sumsB_.assign(static_cast<std::size_t>(b_) * kinds_, 0);
    for (Score j = 1; j <= b_; ++j) {
        const Score n = countColumn(rowsB, j, counts);
        countB_.push_back(n);
        Score* sb = &sumsB_[static_cast<std::size_t>(j - 1) * kinds_];
        for (int y = 0; y < 128; ++y) {
            const Score cy = counts[static_cast<std::size_t>(y)];
            if (cy == 0)
                continue;
            for (std::size_t k = 0; k < kinds_; ++k)
                sb[k] += cy * w(charOfKind[k], static_cast<unsigned char>(y));
        }
    }
}

// ---- Divide-and-conquer alignment -----------------------------------------

namespace {

constexpr Score kNone = std::numeric_limits<Score>::min() / 4;
// Boxes up to this many cells (or one column of A) are solved by a full
// table with traceback.
constexpr Score kFullCells = 4096;

class Aligner {
public:
    Aligner(const ColumnScorer& s, const GapCosts& gaps)
        : s_(s), g_(gaps), lag_(gaps.L + 1)
    {
    }

    EditScript run();

private:
    // The ends of a sub-problem. Without a free start it begins at its
    // top-left corner, where a gap of A's columns opens at cost `tb` (0 when
    // it continues a gap of the enclosing problem); with one it may begin
    // anywhere on its top row or left column, the leading gap costing
    // nothing. The end likewise, with `te` and the bottom row or right column.
    struct Ends {
        Score tb, te;
        bool freeStart, freeEnd;
    };

    // Best scores along the last row of the box whose top-left corner is
    // (i1, j1) and bottom-right (i2, j2), walking forward or, when `reverse`,
    // from (i2, j2) back to (i1, j1); also along the far column.
    struct PassResult {
        std::vector<Score> h;       // by column offset from the starting side
        std::vector<Score> f;       // the same, ending in a gap of A's columns
        std::vector<Score> lastCol; // by row offset: the far column's values
    };
    void pass(Score i1, Score i2, Score j1, Score j2, Score open, bool reverse, bool freeStart, PassResult& out) const;

    void diff(Score i1, Score i2, Score j1, Score j2, Ends ends, EditScript& out);
    void full(Score i1, Score i2, Score j1, Score j2, Ends ends, EditScript& out) const;

    const ColumnScorer& s_;
    GapCosts g_;
    Score lag_;
};

void Aligner::pass(Score i1, Score i2, Score j1, Score j2, Score open, bool reverse, bool freeStart,
                   PassResult& out) const
{
    // Same recurrences as the full table below, one row at a time. Within a
    // row, gaps of B's side (E, and G for constant-cost runs) may start from
    // T = max(diagonal, F) rather than from H: a run that starts where another
    // run of the same side ends is never better than one run covering both.
    // That leaves running maxima in place of the row's chain:
    //   U(j) = max(U(j-1), T(j-1) + (j-1) r - q),  E(j) = U(j) - j r
    //   G(j) = max(G(j-1), T(j-L-1) - P)
    const Score M = i2 - i1;
    const Score N = j2 - j1;
    const Score q = g_.q, r = g_.r, P = g_.P;
    const auto n = static_cast<std::size_t>(N);
    const std::size_t lag = lag_ > N ? n + 1 : static_cast<std::size_t>(lag_);
    out.h.assign(n + 1, 0);
    out.f.assign(n + 1, kNone);
    out.lastCol.assign(static_cast<std::size_t>(M + 1), 0);
    std::vector<Score> tv(n + 1, 0), scores(n + 1, 0);
    Score* __restrict H = out.h.data();
    Score* __restrict F = out.f.data();
    Score* __restrict t = tv.data();
    Score* __restrict sc = scores.data();
    if (!freeStart)
        for (std::size_t jj = 1; jj <= n; ++jj)
            H[jj] = -g_.insertion(static_cast<Score>(jj));
    out.lastCol[0] = H[n];

    for (Score ii = 1; ii <= M; ++ii) {
        const Score ai = reverse ? i2 + 1 - ii : i1 + ii;
        if (reverse)
            for (std::size_t jj = 1; jj <= n; ++jj)
                sc[jj] = s_(ai, j2 + 1 - static_cast<Score>(jj));
        else
            for (std::size_t jj = 1; jj <= n; ++jj)
                sc[jj] = s_(ai, j1 + static_cast<Score>(jj));

        // Column 0: free, or a gap of A's columns from the corner.
        const Score h0 = freeStart ? 0 : -(open + ii * r);
        t[0] = h0;
        Score diag = H[0];
        for (std::size_t jj = 1; jj <= n; ++jj) {
            const Score up = H[jj];
            const Score f = std::max(F[jj] - r, up - q - r);
            F[jj] = f;
            t[jj] = std::max(diag + sc[jj], f);
            diag = up;
        }
        H[0] = h0;
        F[0] = freeStart ? kNone : h0;

        Score u = kNone, g = kNone, shift = 0;
        std::size_t jj = 1;
        for (; jj <= n && jj < lag; ++jj, shift += r) {
            u = std::max(u, t[jj - 1] + shift - q);
            H[jj] = std::max(t[jj], u - shift - r);
        }
        for (; jj <= n; ++jj, shift += r) {
            u = std::max(u, t[jj - 1] + shift - q);
            g = std::max(g, t[jj - lag] - P);
            H[jj] = std::max(std::max(t[jj], u - shift - r), g);
        }
        out.lastCol[static_cast<std::size_t>(ii)] = H[n];
    }
}

void Aligner::diff(Score i1, Score i2, Score j1, Score j2, Ends ends, EditScript& out)
{
    const Score M = i2 - i1;
    const Score N = j2 - j1;
    if (M <= 0) {
        out.insert(N);
        return;
    }
    if (N <= 0) {
        out.remove(M);
        return;
    }
    if (M <= 1 || (M + 1) * (N + 1) <= kFullCells) {
        full(i1, i2, j1, j2, ends, out);
        return;
    }

    const Score mid = i1 + M / 2;
    PassResult fwd, bwd;
    pass(i1, mid, j1, j2, ends.tb, false, ends.freeStart, fwd);
    pass(mid, i2, j1, j2, ends.te, true, ends.freeEnd, bwd);

    // Where the best alignment crosses row `mid`: through an ordinary cell,
    // inside a gap of A's columns that covers columns mid and mid + 1 (its
    // opening was counted by both halves, hence + q), or, with free ends,
    // not at all: a free leading gap of A's columns reaching below `mid`, or
    // a free trailing one starting above it.
    enum class Split { Cell, InGap, Leading, Trailing };
    Split split = Split::Cell;
    Score best = kNone;
    Score bestJ = j1;
    Score bestRow = mid;
    for (Score j = j1; j <= j2; ++j) {
        const Score v = fwd.h[static_cast<std::size_t>(j - j1)] + bwd.h[static_cast<std::size_t>(j2 - j)];
        if (v > best) {
            best = v;
            bestJ = j;
        }
    }
    for (Score j = j2; j >= j1; --j) {
        const Score df = fwd.f[static_cast<std::size_t>(j - j1)];
        const Score db = bwd.f[static_cast<std::size_t>(j2 - j)];
        if (df <= kNone / 2 || db <= kNone / 2)
            continue;
        const Score v = df + db + g_.q;
        if (v > best) {
            best = v;
            bestJ = j;
            split = Split::InGap;
        }
    }
    if (ends.freeStart) {
        // Columns i1 + 1 .. k of A deleted for free, the rest from (k, j1).
        for (Score k = mid + 1; k <= i2; ++k) {
            const Score v = bwd.lastCol[static_cast<std::size_t>(i2 - k)];
            if (v > best) {
                best = v;
                bestRow = k;
                split = Split::Leading;
            }
        }
    }
    if (ends.freeEnd) {
        // The alignment up to (k, j2), then columns k + 1 .. i2 of A for free.
        for (Score k = mid - 1; k >= i1; --k) {
            const Score v = fwd.lastCol[static_cast<std::size_t>(k - i1)];
            if (v > best) {
                best = v;
                bestRow = k;
                split = Split::Trailing;
            }
        }
    }

    const Score q = g_.q;
    switch (split) {
    case Split::Cell:
        diff(i1, mid, j1, bestJ, {ends.tb, q, ends.freeStart, false}, out);
        diff(mid, i2, bestJ, j2, {q, ends.te, false, ends.freeEnd}, out);
        break;
    case Split::InGap:
        diff(i1, mid - 1, j1, bestJ, {ends.tb, 0, ends.freeStart, false}, out);
        out.remove(2);
        diff(mid + 1, i2, bestJ, j2, {0, ends.te, false, ends.freeEnd}, out);
        break;
    case Split::Leading:
        out.remove(bestRow - i1);
        diff(bestRow, i2, j1, j2, {q, ends.te, false, ends.freeEnd}, out);
        break;
    case Split::Trailing:
        diff(i1, bestRow, j1, j2, {ends.tb, q, ends.freeStart, false}, out);
        out.remove(i2 - bestRow);
        break;
    }
}

// Full table of the box with traceback, from (i1, j1) to (i2, j2) under the
// given ends.
void Aligner::full(Score i1, Score i2, Score j1, Score j2, Ends ends, EditScript& out) const
{
    const Score M = i2 - i1;
    const Score N = j2 - j1;
    const Score q = g_.q, r = g_.r, P = g_.P;
    const Score tb = ends.tb, te = ends.te;
    const auto width = static_cast<std::size_t>(N + 1);
    const auto cells = static_cast<std::size_t>(M + 1) * width;
    std::vector<Score> H(cells, kNone), E(cells, kNone), F(cells, kNone), G(cells, kNone);
    auto at = [width](Score i, Score j) { return static_cast<std::size_t>(i) * width + static_cast<std::size_t>(j); };

    H[at(0, 0)] = 0;
    for (Score j = 1; j <= N; ++j) {
        if (ends.freeStart) {
            H[at(0, j)] = 0;
            continue;
        }
        E[at(0, j)] = -(q + j * r);
        if (j >= lag_)
            G[at(0, j)] = -P;
        H[at(0, j)] = std::max(E[at(0, j)], G[at(0, j)]);
    }
    for (Score i = 1; i <= M; ++i) {
        if (ends.freeStart)
            H[at(i, 0)] = 0;
        else
            H[at(i, 0)] = F[at(i, 0)] = -(tb + i * r);
        for (Score j = 1; j <= N; ++j) {
            F[at(i, j)] = std::max(F[at(i - 1, j)] - r, H[at(i - 1, j)] - q - r);
            E[at(i, j)] = std::max(E[at(i, j - 1)] - r, H[at(i, j - 1)] - q - r);
            G[at(i, j)] = j >= lag_ ? std::max(G[at(i, j - 1)], H[at(i, j - lag_)] - P) : kNone;
            const Score d = H[at(i - 1, j - 1)] + s_(i1 + i, j1 + j);
            H[at(i, j)] = std::max({d, E[at(i, j)], F[at(i, j)], G[at(i, j)]});
        }
    }

    std::vector<Score> rev; // ops right to left
    auto push = [&rev](Score op) { rev.push_back(op); };
    Score i = M, j = N;
    if (ends.freeEnd) {
        // Stop at the best cell of the last row or column; the rest is a
        // free trailing gap.
        Score best = H[at(M, N)];
        for (Score k = N - 1; k >= 0; --k)
            if (H[at(M, k)] > best)
                best = H[at(M, k)], i = M, j = k;
        for (Score k = M - 1; k >= 0; --k)
            if (H[at(k, N)] > best)
                best = H[at(k, N)], i = k, j = N;
        if (j < N)
            push(N - j);
        else if (i < M)
            push(-(M - i));
    } else {
        // A gap of A's columns that ends at the end corner opens at cost te.
        std::vector<Score> T(static_cast<std::size_t>(M + 1), kNone);
        for (Score k = 1; k <= M; ++k)
            T[static_cast<std::size_t>(k)] = std::max(T[static_cast<std::size_t>(k - 1)] - r, H[at(k - 1, N)] - te - r);
        if (T[static_cast<std::size_t>(M)] > H[at(M, N)]) {
            Score k = M;
            while (T[static_cast<std::size_t>(k)] != H[at(k - 1, N)] - te - r)
                --k;
            push(-(M - k + 1));
            i = k - 1;
        }
    }

    enum class State { Any, Ins, Del, Long };
    State st = State::Any;
    while (i > 0 || j > 0) {
        if (i == 0) {
            push(j);
            break;
        }
        if (j == 0) {
            push(-i);
            break;
        }
        switch (st) {
        case State::Any: {
            const Score h = H[at(i, j)];
            if (h == H[at(i - 1, j - 1)] + s_(i1 + i, j1 + j)) {
                push(0);
                --i, --j;
            } else if (h == E[at(i, j)]) {
                st = State::Ins;
            } else if (h == F[at(i, j)]) {
                st = State::Del;
            } else {
                st = State::Long;
            }
            break;
        }
        case State::Ins:
            push(1);
            st = E[at(i, j)] == H[at(i, j - 1)] - q - r ? State::Any : State::Ins;
            --j;
            break;
        case State::Del:
            push(-1);
            st = i > 1 && F[at(i, j)] == F[at(i - 1, j)] - r ? State::Del : State::Any;
            --i;
            break;
        case State::Long: {
            Score k = j - lag_;
            while (H[at(i, k)] - P != G[at(i, j)])
                --k;
            push(j - k);
            j = k;
            st = State::Any;
            break;
        }
        }
    }
    EditScript local;
    for (auto it = rev.rbegin(); it != rev.rend(); ++it) {
        if (*it == 0)
            local.match();
        else if (*it > 0)
            local.insert(*it);
        else
            local.remove(-*it);
    }
    out.append(local);
}

EditScript Aligner::run()
{
    const Score a = s_.columnsA();
    const Score b = s_.columnsB();
    EditScript script;
    if (a == 0 || b == 0) {
        script.remove(a);
        script.insert(b);
        return script;
    }
    // All four ends free.
    diff(0, a, 0, b, {g_.q, g_.q, true, true}, script);
    return script;
}

} // namespace

EditScript alignProfiles(const ColumnScorer& s, const GapCosts& gaps)
{
    return Aligner(s, gaps).run();
}

// ---- Merge ----------------------------------------------------------------

std::vector<std::string> mergeRows(const std::vector<std::string>& rowsA, const std::vector<std::string>& rowsB,
                                   const EditScript& script)
{
    const std::size_t length = static_cast<std::size_t>(script.columnsOfA() + script.columnsOfB());
    std::vector<std::string> merged;
    merged.reserve(rowsA.size() + rowsB.size());

    // One row of a group: copy its columns where the script takes them, put
    // gaps where the script takes the other group's columns.
    auto rewrite = [&](const std::string& row, bool isA) {
        std::string out;
        out.reserve(length + 2);
        out.push_back(' ');
        std::size_t next = 1; // next column of the old row
        auto gap = [&](Score k) {
            for (Score n = 0; n < k; ++n) {
                const bool atEnd = out.back() == ' ' || row[next] == ' ';
                out.push_back(atEnd ? ' ' : '-');
            }
        };
        auto copy = [&](Score k) {
            for (Score n = 0; n < k; ++n)
                out.push_back(row[next++]);
        };
        for (Score op : script.ops()) {
            if (op == 0)
                copy(1);
            else if (op > 0)
                isA ? gap(op) : copy(op);
            else
                isA ? copy(-op) : gap(-op);
        }
        out.push_back(' ');
        merged.push_back(std::move(out));
    };
    for (const auto& row : rowsA)
        rewrite(row, true);
    for (const auto& row : rowsB)
        rewrite(row, false);
    return merged;
}

} // namespace tallowin::map
