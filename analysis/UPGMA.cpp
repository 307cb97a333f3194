#include "analysis/UPGMA.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <numeric>
#include <thread>
#include <utility>

#include "analysis/PairLoop.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "platform/runtime/Rnd.h"

namespace UPGMA {

using analysis::DistanceMatrix;
using analysis::MyNode;

namespace {

constexpr const char* kSource = "BuildUpgmaTree";
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// How many rows ahead the column walk of a join fetches, and how many cells
// ahead the moves of the visiting-order permutation.
constexpr std::int64_t kPrefetch = 32;
constexpr std::int64_t kOrbitAhead = 16;

[[noreturn]] void fail(std::int32_t number, const std::string& description)
{
    throw platform::Error(number, kSource, description);
}

void checkCall(const DistanceMatrix& distMat, std::int32_t N, std::int16_t rule, const std::vector<std::string>& names)
{
    if (N < 1) {
        fail(platform::err::InvalidCall, "At least one item is needed to build a tree.");
    }
    if (rule < 0 || rule >= static_cast<std::int16_t>(Rule::Count)) {
        fail(platform::err::InvalidCall,
             "The clustering rule " + platform::rt::CStr(static_cast<std::int64_t>(rule)) + " is not 0 to 3.");
    }
    if (distMat.size() != N) {
        fail(platform::err::Subscript, "The distance matrix holds " + platform::rt::CStr(distMat.size()) +
                                           " items, not " + platform::rt::CStr(static_cast<std::int64_t>(N)) + ".");
    }
    if (names.size() < static_cast<std::size_t>(N)) {
        fail(platform::err::Subscript, "There are fewer item names than items.");
    }
}

[[noreturn]] void failNotANumber(std::int64_t i, std::int64_t j)
{
    fail(platform::err::InvalidCall, "The distance between items " + platform::rt::CStr(j + 1) + " and " +
                                         platform::rt::CStr(i + 1) + " is not a number.");
}

// Refuses a distance that is not a finite number, naming the first such pair
// of items (i, j), i > j, in item order. position[i] is the position of item
// i in the matrix, or empty when the matrix is in item order.
void checkFinite(const DistanceMatrix& distMat, std::int32_t N, const std::vector<std::int64_t>& position)
{
    std::atomic<bool> finite{true};
    analysis::detail::forEachRow(N, 1.0, nullptr, [&](std::int64_t i) {
        const double* row = distMat.row(i);
        bool rowFinite = true;
        for (std::int64_t j = 0; j < i; ++j) {
            rowFinite = rowFinite && std::isfinite(row[j]);
        }
        if (!rowFinite) {
            finite.store(false);
        }
    });
    if (finite.load()) {
        return;
    }
    for (std::int64_t i = 1; i < N; ++i) {
        for (std::int64_t j = 0; j < i; ++j) {
            const std::int64_t pi = position.empty() ? i : position[static_cast<std::size_t>(i)];
            const std::int64_t pj = position.empty() ? j : position[static_cast<std::size_t>(j)];
            if (!std::isfinite(distMat(std::max(pi, pj), std::min(pi, pj)))) {
                failNotANumber(i, j);
            }
        }
    }
}

// Rearranges the item-indexed triangle in place so that cell (p, q) holds the
// distance between the items at positions p and q of the visiting order.
//
// The cell of the position pair {p, q} takes the cell of {pi(p), pi(q)},
// pi(p) the item at position p. Cells therefore move along the orbits of pi
// acting on unordered pairs, which follow from the cycles of pi: for two
// cycles of lengths L1 and L2 there are gcd(L1, L2) orbits, led by the pairs
// (first of the one cycle, d-th of the other), d < gcd; within one cycle of
// length L the orbits are led by (first, d-th) for d = 1 .. L/2. Each orbit
// is moved by one thread, every cell once; orbits are shared among threads.
void permuteToPositions(DistanceMatrix& w, const std::vector<std::int32_t>& order)
{
    const std::int64_t n = w.size();
    std::vector<std::int64_t> item(static_cast<std::size_t>(n));
    for (std::int64_t p = 0; p < n; ++p) {
        item[static_cast<std::size_t>(p)] = order[static_cast<std::size_t>(p)] - 1;
    }
    std::vector<std::vector<std::int64_t>> cycles;
    std::vector<unsigned char> seen(static_cast<std::size_t>(n), 0);
    for (std::int64_t p = 0; p < n; ++p) {
        if (seen[static_cast<std::size_t>(p)]) {
            continue;
        }
        std::vector<std::int64_t> cycle;
        for (std::int64_t c = p; !seen[static_cast<std::size_t>(c)]; c = item[static_cast<std::size_t>(c)]) {
            seen[static_cast<std::size_t>(c)] = 1;
            cycle.push_back(c);
        }
        cycles.push_back(std::move(cycle));
    }
    struct Orbit {
        std::int64_t p;
        std::int64_t q;
        std::int64_t length;
    };
    std::vector<Orbit> orbits;
    for (std::size_t a = 0; a < cycles.size(); ++a) {
        const auto la = static_cast<std::int64_t>(cycles[a].size());
        for (std::int64_t d = 1; 2 * d <= la; ++d) {
            orbits.push_back({cycles[a][0], cycles[a][static_cast<std::size_t>(d)], 2 * d == la ? la / 2 : la});
        }
        for (std::size_t b = a + 1; b < cycles.size(); ++b) {
            const auto lb = static_cast<std::int64_t>(cycles[b].size());
            const std::int64_t g = std::gcd(la, lb);
            for (std::int64_t d = 0; d < g; ++d) {
                orbits.push_back({cycles[a][0], cycles[b][static_cast<std::size_t>(d)], la / g * lb});
            }
        }
    }

    double* cells = w.data();
    // The cell whose distance moves into the cell of {p, q}; p > q both ways.
    auto source = [&](std::int64_t& p, std::int64_t& q) {
        std::int64_t sp = item[static_cast<std::size_t>(p)];
        std::int64_t sq = item[static_cast<std::size_t>(q)];
        if (sp < sq) {
            std::swap(sp, sq);
        }
        p = sp;
        q = sq;
    };
    auto moveOrbit = [&](const Orbit& orbit) {
        std::int64_t cp = std::max(orbit.p, orbit.q);
        std::int64_t cq = std::min(orbit.p, orbit.q);
        const std::uint64_t start = DistanceMatrix::offset(cp, cq);
        const double held = cells[start];
        std::uint64_t cur = start;
        // The cells of an orbit lie far apart; a second walk runs
        // kOrbitAhead steps ahead and fetches them.
        std::int64_t ap = cp;
        std::int64_t aq = cq;
        for (std::int64_t step = 1; step <= kOrbitAhead && step < orbit.length; ++step) {
            source(ap, aq);
            __builtin_prefetch(&cells[DistanceMatrix::offset(ap, aq)], 1);
        }
        for (std::int64_t step = 1; step < orbit.length; ++step) {
            if (step + kOrbitAhead < orbit.length) {
                source(ap, aq);
                __builtin_prefetch(&cells[DistanceMatrix::offset(ap, aq)], 1);
            }
            source(cp, cq);
            const std::uint64_t src = DistanceMatrix::offset(cp, cq);
            cells[cur] = cells[src];
            cur = src;
        }
        cells[cur] = held;
    };
    const unsigned threads = static_cast<std::size_t>(n) * static_cast<std::size_t>(n) < (1U << 20)
                                 ? 1U
                                 : std::min<unsigned>(analysis::workerThreads(), static_cast<unsigned>(orbits.size()));
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t o = next.fetch_add(1); o < orbits.size(); o = next.fetch_add(1)) {
            moveOrbit(orbits[o]);
        }
    };
    std::vector<std::jthread> helpers;
    for (unsigned t = 1; t < threads; ++t) {
        helpers.emplace_back(work);
    }
    work();
}

// Helper threads for the joining steps, kept for a whole run. A job is cut
// into numbered blocks; the calling thread and the helpers take blocks from a
// shared ticket until none is left, so a helper that wakes late (or not at
// all, on a busy machine) only leaves its blocks to the others.
//
// The ticket holds the job's generation (high half) and its next block (low
// half). A helper reads the job, then takes a block by compare-and-swap on a
// ticket of the generation it read; the calling thread moves the ticket to
// the next generation before it rewrites the job, so a helper that read a
// mixture of two jobs never wins a block.
class Crew {
public:
    explicit Crew(unsigned helpers)
    {
        m_threads.reserve(helpers);
        for (unsigned h = 0; h < helpers; ++h) {
            m_threads.emplace_back([this] { serve(); });
        }
    }
    Crew(const Crew&) = delete;
    Crew& operator=(const Crew&) = delete;
    ~Crew()
    {
        m_stop.store(true);
        m_generation.fetch_add(1);
        m_generation.notify_all();
    }

    [[nodiscard]] bool hasHelpers() const noexcept { return !m_threads.empty(); }

    // Calls job(b) for b = 0 .. blocks - 1, each once, some on the helpers;
    // returns when every call has returned. job must not throw.
    template <class Job>
    void run(std::uint32_t blocks, Job& job)
    {
        const std::uint32_t generation = m_generation.load() + 1;
        m_ticket.store(static_cast<std::uint64_t>(generation) << 32);
        m_call.store(&call<Job>);
        m_job.store(&job);
        m_blocks.store(blocks);
        m_done.store(0);
        m_generation.store(generation);
        m_generation.notify_all();
        take(generation);
        for (std::uint32_t done = m_done.load(); done != blocks; done = m_done.load()) {
            m_done.wait(done);
        }
    }

private:
    using Call = void (*)(void*, std::uint32_t);

    template <class Job>
    static void call(void* job, std::uint32_t block)
    {
        (*static_cast<Job*>(job))(block);
    }

    void serve()
    {
        std::uint32_t seen = 0;
        for (;;) {
            m_generation.wait(seen);
            seen = m_generation.load();
            if (m_stop.load()) {
                return;
            }
            take(seen);
        }
    }

    // Runs blocks of the job of `generation` while that job has any left.
    void take(std::uint32_t generation)
    {
        const Call callJob = m_call.load();
        void* const job = m_job.load();
        const std::uint32_t blocks = m_blocks.load();
        std::uint64_t ticket = m_ticket.load();
        for (;;) {
            const auto block = static_cast<std::uint32_t>(ticket & 0xffffffffU);
            if ((ticket >> 32) != generation || block >= blocks) {
                return;
            }
            if (!m_ticket.compare_exchange_weak(ticket, ticket + 1)) {
                continue;
            }
            callJob(job, block);
            if (m_done.fetch_add(1) + 1 == blocks) {
                m_done.notify_all();
            }
            ticket = m_ticket.load();
        }
    }

    std::atomic<std::uint32_t> m_generation{0};
    std::atomic<std::uint64_t> m_ticket{0};
    std::atomic<Call> m_call{nullptr};
    std::atomic<void*> m_job{nullptr};
    std::atomic<std::uint32_t> m_blocks{0};
    std::atomic<std::uint32_t> m_done{0};
    std::atomic<bool> m_stop{false};
    std::vector<std::jthread> m_threads;  // last: joined before the atomics go
};

class Merger {
public:
    Merger(DistanceMatrix& w, Rule rule) : m_w(w), m_rule(rule), m_n(w.size()) {}

    // Joins the clusters (by position) N - 1 times; returns the root.
    std::unique_ptr<MyNode> run(std::vector<std::unique_ptr<MyNode>> clusters, numeric::Progress* progress)
    {
        const auto n = static_cast<std::size_t>(m_n);
        m_live.resize(n);
        std::iota(m_live.begin(), m_live.end(), std::int64_t{0});
        m_size.assign(n, 1);
        m_height.assign(n, 0.0);
        m_minVal.assign(n, kInfinity);
        m_minArg.assign(n, -1);
        m_stale.assign(n, 0);
        m_alive.assign(n, 1);
        // Threads pay only where a join walks a long column.
        const unsigned threads = m_n > kThreadedWalk ? analysis::workerThreads() : 1U;
        Crew crew(threads - 1);
        m_crew = &crew;

        // Row j's minimum, for blocks of rows holding about the same number
        // of cells each.
        std::vector<std::int64_t> rowStart{1};
        const std::int64_t cellsPerBlock = std::max<std::int64_t>(m_n * m_n / 2 / kRescanBlocks, 1);
        for (std::int64_t j = 1, cells = 0; j < m_n; ++j) {
            cells += j;
            if (cells >= cellsPerBlock || j + 1 == m_n) {
                rowStart.push_back(j + 1);
                cells = 0;
            }
        }
        auto rescanRows = [&](std::uint32_t b) {
            for (std::int64_t j = rowStart[b]; j < rowStart[b + 1]; ++j) {
                rescan(j);
            }
        };
        runBlocks(static_cast<std::uint32_t>(rowStart.size() - 1), rescanRows, true);
        m_blockMin.resize(blockCount());
        for (std::size_t b = 0; b < m_blockMin.size(); ++b) {
            m_blockMin[b] = blockMinimum(b);
        }

        numeric::detail::setMinimum(progress, 0);
        numeric::detail::setMaximum(progress, static_cast<double>(m_n - 1));
        for (std::int64_t step = 1; step < m_n; ++step) {
            numeric::detail::setValue(progress, static_cast<double>(step));
            const std::int64_t second = closestRow();
            const std::int64_t first = m_minArg[static_cast<std::size_t>(second)];
            join(clusters, first, second);
        }
        numeric::detail::setValue(progress, 0);
        m_crew = nullptr;
        return std::move(clusters[0]);
    }

private:
    // The closest pair is searched by blocks of this many consecutive live
    // positions, each block's minimum kept between steps; a join's column
    // walk is shared out by the same blocks.
    static constexpr std::size_t kBlock = 256;
    // Columns shorter than this many live positions are walked on one
    // thread: waking the helpers would cost more than it saves.
    static constexpr std::int64_t kThreadedWalk = 4096;
    // About how many blocks the first row minima are found in.
    static constexpr std::int64_t kRescanBlocks = 256;

    struct Minimum {
        double value = kInfinity;
        std::int64_t at = -1;
    };

    [[nodiscard]] std::size_t blockCount() const { return (m_live.size() + kBlock - 1) / kBlock; }

    template <class Job>
    void runBlocks(std::uint32_t blocks, Job& job, bool threaded)
    {
        if (threaded && m_crew->hasHelpers() && blocks > 1) {
            m_crew->run(blocks, job);
            return;
        }
        for (std::uint32_t b = 0; b < blocks; ++b) {
            job(b);
        }
    }

    // The smallest cached row minimum over the live positions of block b; the
    // earliest row among equals (at -1 when every value is +infinity).
    [[nodiscard]] Minimum blockMinimum(std::size_t b) const
    {
        Minimum best;
        const std::size_t end = std::min(m_live.size(), (b + 1) * kBlock);
        for (std::size_t t = b * kBlock; t < end; ++t) {
            const std::int64_t j = m_live[t];
            if (m_minVal[static_cast<std::size_t>(j)] < best.value) {
                best.value = m_minVal[static_cast<std::size_t>(j)];
                best.at = j;
            }
        }
        return best;
    }

    // The row holding the closest pair: the smallest cached row minimum, the
    // earliest row among equals, as one scan over all live positions would
    // find it. A stale row's value is only a lower bound of its minimum: when
    // one wins, it is rescanned and the choice made again.
    [[nodiscard]] std::int64_t closestRow()
    {
        for (;;) {
            Minimum best;
            std::size_t bestBlock = 0;
            for (std::size_t b = 0; b < m_blockMin.size(); ++b) {
                if (m_blockMin[b].value < best.value) {
                    best = m_blockMin[b];
                    bestBlock = b;
                }
            }
            if (!m_stale[static_cast<std::size_t>(best.at)]) {
                return best.at;
            }
            rescan(best.at);
            m_blockMin[bestBlock] = blockMinimum(bestBlock);
        }
    }

    // Index in m_live of the first live position not below p.
    [[nodiscard]] std::size_t liveFrom(std::int64_t p) const
    {
        return static_cast<std::size_t>(std::lower_bound(m_live.begin(), m_live.end(), p) - m_live.begin());
    }

    // The smallest cell of row j over the live positions before j, the
    // earliest among equals. A dense row is scanned straight through, the
    // cells of retired positions counting as +infinity; a sparse one through
    // the list.
    void rescan(std::int64_t j)
    {
        const double* row = m_w.row(j);
        const std::size_t liveBefore = liveFrom(j);
        const std::int64_t* live = m_live.data();
        const unsigned char* alive = m_alive.data();
        Minimum found;
        if (static_cast<std::int64_t>(liveBefore) * 4 >= j) {
            found = firstMinimum(j, [row, alive](std::int64_t t) { return alive[t] ? row[t] : kInfinity; },
                                 [](std::int64_t t) { return t; });
        } else {
            found = firstMinimum(static_cast<std::int64_t>(liveBefore), [row, live](std::int64_t t) { return row[live[t]]; },
                                 [live](std::int64_t t) { return live[t]; });
        }
        m_minVal[static_cast<std::size_t>(j)] = found.value;
        m_minArg[static_cast<std::size_t>(j)] = found.at;
        m_stale[static_cast<std::size_t>(j)] = 0;
    }

    // The smallest of cell(t), t = 0 .. count - 1, with the place at(t),
    // ascending with t: its value and the first place that holds it (value
    // +infinity and place -1 when no cell is below +infinity). Four
    // interleaved running minima, each keeping the first place of its own,
    // break the chain of comparisons; joined by value and then by place they
    // give the one-by-one result.
    template <class Cell, class At>
    [[nodiscard]] static Minimum firstMinimum(std::int64_t count, Cell cell, At at)
    {
        constexpr std::int64_t kLanes = 4;
        double value[kLanes] = {kInfinity, kInfinity, kInfinity, kInfinity};
        std::int64_t place[kLanes] = {-1, -1, -1, -1};
        std::int64_t t = 0;
        for (; t + kLanes <= count; t += kLanes) {
            for (std::int64_t l = 0; l < kLanes; ++l) {
                const double c = cell(t + l);
                if (c < value[l]) {
                    value[l] = c;
                    place[l] = at(t + l);
                }
            }
        }
        for (; t < count; ++t) {
            const double c = cell(t);
            if (c < value[0]) {
                value[0] = c;
                place[0] = at(t);
            }
        }
        Minimum best;
        for (std::int64_t l = 0; l < kLanes; ++l) {
            if (place[l] >= 0 && (best.at < 0 || value[l] < best.value || (value[l] == best.value && place[l] < best.at))) {
                best.value = value[l];
                best.at = place[l];
            }
        }
        return best;
    }

    void join(std::vector<std::unique_ptr<MyNode>>& clusters, std::int64_t first, std::int64_t second)
    {
        const auto f = static_cast<std::size_t>(first);
        const auto s = static_cast<std::size_t>(second);
        const double d = m_w(second, first);
        const double half = d / 2;
        const double lenFirst = half - m_height[f];
        const double lenSecond = half - m_height[s];
        m_height[f] = half;

        auto joined = std::make_unique<MyNode>();
        joined->addChild(std::move(clusters[f]))->setBranchLen(lenFirst);
        joined->addChild(std::move(clusters[s]))->setBranchLen(lenSecond);
        clusters[f] = std::move(joined);

        m_live.erase(m_live.begin() + static_cast<std::ptrdiff_t>(liveFrom(second)));
        m_alive[s] = 0;
        m_minVal[s] = kInfinity;
        m_minArg[s] = -1;

        const std::int32_t na = m_size[f];
        const std::int32_t nb = m_size[s];
        // The cells of second keep their last values: every scan skips
        // retired positions.
        double* firstRow = m_w.row(first);
        const double* secondRow = m_w.row(second);
        const std::size_t firstAt = liveFrom(first);
        // Live positions before first: only first's own row holds them.
        for (std::size_t t = 0; t < firstAt; ++t) {
            const std::int64_t k = m_live[t];
            firstRow[k] = UpdatedDistance(m_rule, firstRow[k], secondRow[k], na, nb);
        }
        rescan(first);
        m_size[f] = na + nb;

        // Live positions after first: their cells of first and second, and
        // their cached minima; then the minima of the blocks from first's on
        // for the next step (the blocks before it hold the same rows with the
        // same minima as before). Each block touches only its own rows (and
        // the cells of second's row at its positions), so blocks run on any
        // thread in any order.
        const std::size_t live = m_live.size();
        const std::size_t firstBlock = firstAt / kBlock;
        auto walk = [&](std::uint32_t job) {
            const std::size_t b = firstBlock + job;
            const std::size_t begin = std::max(b * kBlock, firstAt + 1);
            const std::size_t end = std::min(live, (b + 1) * kBlock);
            for (std::size_t t = begin; t < end && t < begin + kPrefetch; ++t) {
                fetchColumnCells(m_live[t], first, second);
            }
            for (std::size_t t = begin; t < end; ++t) {
                if (t + kPrefetch < end) {
                    fetchColumnCells(m_live[t + kPrefetch], first, second);
                }
                updateColumnCell(m_live[t], first, second, secondRow, na, nb);
            }
            m_blockMin[b] = blockMinimum(b);
        };
        m_blockMin.resize(blockCount());
        const auto walked = static_cast<std::int64_t>(live - firstAt - 1);
        runBlocks(static_cast<std::uint32_t>(m_blockMin.size() - firstBlock), walk, walked >= kThreadedWalk);
    }

    // Fetches row k's cells of first and second ahead of the column walk,
    // which jumps from row to row. Inlined by force: a call that only
    // prefetches counts as free of effects and would be dropped.
    [[gnu::always_inline]] void fetchColumnCells(std::int64_t k, std::int64_t first, std::int64_t second)
    {
        __builtin_prefetch(&m_w(k, first), 1);
        if (k > second) {
            __builtin_prefetch(&m_w(k, second), 0);
        }
    }

    // Row k (after first) after the join of first and second: its cell of
    // first takes the joined distance (its cell of second is no longer
    // read), and its cached minimum is repaired.
    void updateColumnCell(std::int64_t k, std::int64_t first, std::int64_t second, const double* secondRow,
                          std::int32_t na, std::int32_t nb)
    {
        const auto kk = static_cast<std::size_t>(k);
        double& c = m_w(k, first);
        const double retired = k > second ? m_w(k, second) : secondRow[k];
        const double v = UpdatedDistance(m_rule, c, retired, na, nb);
        c = v;
        // Row k's other cells are unchanged and not below its (exact or
        // bounding) minimum.
        const std::int64_t arg = m_minArg[kk];
        if (m_stale[kk]) {
            if (v < m_minVal[kk]) {
                m_minVal[kk] = v;
                m_minArg[kk] = first;
                m_stale[kk] = 0;
            }
        } else if (arg == first || arg == second) {
            if (v <= m_minVal[kk]) {
                m_minVal[kk] = v;
                m_minArg[kk] = first;
            } else {
                // The old minimum stays a lower bound; rescan only when
                // the row comes up for a join.
                m_stale[kk] = 1;
            }
        } else if (v < m_minVal[kk] || (v == m_minVal[kk] && first < arg)) {
            m_minVal[kk] = v;
            m_minArg[kk] = first;
        }
    }

    DistanceMatrix& m_w;
    Rule m_rule;
    std::int64_t m_n;
    Crew* m_crew = nullptr;
    std::vector<std::int64_t> m_live;  // live positions, ascending
    std::vector<std::int32_t> m_size;
    std::vector<double> m_height;
    std::vector<double> m_minVal;
    std::vector<std::int64_t> m_minArg;
    std::vector<unsigned char> m_stale;  // m_minVal only bounds the row's minimum from below
    std::vector<unsigned char> m_alive;  // by position: not yet joined into another
    std::vector<Minimum> m_blockMin;     // per block of live positions
};

} // namespace

std::vector<std::int32_t> VisitingOrder(std::int32_t N, bool shuffle, platform::rt::RandomSource* rng)
{
    std::vector<std::int32_t> order(static_cast<std::size_t>(N > 0 ? N : 0));
    std::iota(order.begin(), order.end(), 1);
    if (!shuffle) {
        return order;
    }
    for (std::int32_t p = 0; p < N; ++p) {
        const double u = rng != nullptr ? rng->next() : platform::rt::Rnd();
        std::int32_t r = static_cast<std::int32_t>(std::floor(u * N)) + 1;
        if (r > N) {
            r = N;
        }
        std::swap(order[static_cast<std::size_t>(p)], order[static_cast<std::size_t>(r - 1)]);
    }
    return order;
}

namespace {

// The tree of the clusters at their positions: w in visiting order, leaves
// placed at the positions that visit their items.
std::unique_ptr<MyNode> treeFromPositions(DistanceMatrix& w, std::int32_t N, std::int16_t rule,
                                          const std::vector<std::string>& names,
                                          const std::vector<std::int32_t>& order, numeric::Progress* progress)
{
    // Leaves in item order, placed at the positions that visit them.
    numeric::detail::setMinimum(progress, 0);
    numeric::detail::setMaximum(progress, N);
    std::vector<std::unique_ptr<MyNode>> clusters(static_cast<std::size_t>(N));
    for (std::int32_t p = 0; p < N; ++p) {
        const auto item = static_cast<std::size_t>(order[static_cast<std::size_t>(p)] - 1);
        auto leaf = std::make_unique<MyNode>();
        leaf->setTip(true);
        leaf->setCaption(names[item]);
        clusters[static_cast<std::size_t>(p)] = std::move(leaf);
    }
    for (std::int32_t s = 0; s < N; ++s) {
        numeric::detail::setValue(progress, s);
    }

    Merger merger(w, static_cast<Rule>(rule));
    return merger.run(std::move(clusters), progress);
}

} // namespace

std::vector<std::int32_t> DrawVisitingOrder(std::int32_t N, bool shuffle, platform::rt::RandomSource* rng)
{
    if (rng == nullptr) {
        platform::rt::Randomize();
    }
    return VisitingOrder(N, shuffle, rng);
}

std::unique_ptr<MyNode> BuildUpgmaTree(DistanceMatrix&& distMat, std::int32_t N, std::int16_t rule,
                                       const std::vector<std::string>& names, bool shuffle,
                                       numeric::Progress* progress, platform::rt::RandomSource* rng)
{
    checkCall(distMat, N, rule, names);
    checkFinite(distMat, N, {});
    DistanceMatrix w = std::move(distMat);

    const std::vector<std::int32_t> order = DrawVisitingOrder(N, shuffle, rng);
    bool identity = true;
    for (std::int32_t p = 0; p < N; ++p) {
        identity = identity && order[static_cast<std::size_t>(p)] == p + 1;
    }
    if (!identity) {
        permuteToPositions(w, order);
    }
    return treeFromPositions(w, N, rule, names, order, progress);
}

std::unique_ptr<MyNode> BuildUpgmaTreeInOrder(DistanceMatrix&& positioned, std::int32_t N, std::int16_t rule,
                                              const std::vector<std::string>& names,
                                              const std::vector<std::int32_t>& order, numeric::Progress* progress)
{
    checkCall(positioned, N, rule, names);
    std::vector<std::int64_t> position(static_cast<std::size_t>(N), -1);
    bool permutation = order.size() == static_cast<std::size_t>(N);
    for (std::int32_t p = 0; p < N && permutation; ++p) {
        const std::int32_t slot = order[static_cast<std::size_t>(p)];
        permutation = slot >= 1 && slot <= N && position[static_cast<std::size_t>(slot - 1)] < 0;
        if (permutation) {
            position[static_cast<std::size_t>(slot - 1)] = p;
        }
    }
    if (!permutation) {
        fail(platform::err::Subscript, "The visiting order is not an order of the " +
                                           platform::rt::CStr(static_cast<std::int64_t>(N)) + " items.");
    }
    checkFinite(positioned, N, position);
    DistanceMatrix w = std::move(positioned);
    return treeFromPositions(w, N, rule, names, order, progress);
}

std::unique_ptr<MyNode> BuildUpgmaTree(const DistanceMatrix& distMat, std::int32_t N, std::int16_t rule,
                                       const std::vector<std::string>& names, bool shuffle,
                                       numeric::Progress* progress, platform::rt::RandomSource* rng)
{
    analysis::checkMemory(DistanceMatrix::cellCount(N) * sizeof(double), "The working copy of the distance matrix",
                          kSource);
    DistanceMatrix copy = distMat;
    return BuildUpgmaTree(std::move(copy), N, rule, names, shuffle, progress, rng);
}

} // namespace UPGMA
