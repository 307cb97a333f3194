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
    bool finite = true;
    for (std::int64_t i = 1; i < N && finite; ++i) {
        const double* row = distMat.row(i);
        for (std::int64_t j = 0; j < i; ++j) {
            finite = finite && std::isfinite(row[j]);
        }
    }
    if (finite) {
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
        for (std::int64_t j = 1; j < m_n; ++j) {
            rescan(j);
        }

        numeric::detail::setMinimum(progress, 0);
        numeric::detail::setMaximum(progress, static_cast<double>(m_n - 1));
        for (std::int64_t step = 1; step < m_n; ++step) {
            numeric::detail::setValue(progress, static_cast<double>(step));
            // The smallest cached row minimum; the earliest row among equals.
            // A stale row's value is only a lower bound of its minimum: when
            // one wins, it is rescanned and the choice made again.
            std::int64_t second = -1;
            for (;;) {
                double best = kInfinity;
                for (const std::int64_t j : m_live) {
                    if (m_minVal[static_cast<std::size_t>(j)] < best) {
                        best = m_minVal[static_cast<std::size_t>(j)];
                        second = j;
                    }
                }
                if (!m_stale[static_cast<std::size_t>(second)]) {
                    break;
                }
                rescan(second);
            }
            const std::int64_t first = m_minArg[static_cast<std::size_t>(second)];
            join(clusters, first, second);
        }
        numeric::detail::setValue(progress, 0);
        return std::move(clusters[0]);
    }

private:
    // Index in m_live of the first live position not below p.
    [[nodiscard]] std::size_t liveFrom(std::int64_t p) const
    {
        return static_cast<std::size_t>(std::lower_bound(m_live.begin(), m_live.end(), p) - m_live.begin());
    }

    // The smallest cell of row j over the live positions before j, the
    // earliest among equals. Cells of retired positions hold +infinity, so a
    // dense row is scanned straight through; a sparse one through the list.
    void rescan(std::int64_t j)
    {
        const double* row = m_w.row(j);
        const std::size_t liveBefore = liveFrom(j);
        const std::int64_t* live = m_live.data();
        Minimum found;
        if (static_cast<std::int64_t>(liveBefore) * 4 >= j) {
            found = firstMinimum(row, j, [](std::int64_t t) { return t; });
        } else {
            found = firstMinimum(row, static_cast<std::int64_t>(liveBefore), [live](std::int64_t t) { return live[t]; });
        }
        m_minVal[static_cast<std::size_t>(j)] = found.value;
        m_minArg[static_cast<std::size_t>(j)] = found.at;
        m_stale[static_cast<std::size_t>(j)] = 0;
    }

    struct Minimum {
        double value = kInfinity;
        std::int64_t at = -1;
    };

    // The smallest of row[at(t)], t = 0 .. count - 1, at ascending with t:
    // its value and the first at that holds it (value +infinity and at -1
    // when no cell is below +infinity). Four interleaved running minima, each
    // keeping the first place of its own, break the chain of comparisons;
    // joined by value and then by place they give the one-by-one result.
    template <class At>
    [[nodiscard]] static Minimum firstMinimum(const double* row, std::int64_t count, At at)
    {
        constexpr std::int64_t kLanes = 4;
        double value[kLanes] = {kInfinity, kInfinity, kInfinity, kInfinity};
        std::int64_t place[kLanes] = {-1, -1, -1, -1};
        std::int64_t t = 0;
        for (; t + kLanes <= count; t += kLanes) {
            for (std::int64_t l = 0; l < kLanes; ++l) {
                const std::int64_t i = at(t + l);
                if (row[i] < value[l]) {
                    value[l] = row[i];
                    place[l] = i;
                }
            }
        }
        for (; t < count; ++t) {
            const std::int64_t i = at(t);
            if (row[i] < value[0]) {
                value[0] = row[i];
                place[0] = i;
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
        m_minVal[s] = kInfinity;
        m_minArg[s] = -1;

        const std::int32_t na = m_size[f];
        const std::int32_t nb = m_size[s];
        // Every cell of a retired position is set to +infinity as it is read
        // for the last time, so that row scans need not ask who is alive.
        double* firstRow = m_w.row(first);
        double* secondRow = m_w.row(second);
        const std::size_t firstAt = liveFrom(first);
        // Live positions before first: only first's own row holds them.
        for (std::size_t t = 0; t < firstAt; ++t) {
            const std::int64_t k = m_live[t];
            firstRow[k] = UpdatedDistance(m_rule, firstRow[k], secondRow[k], na, nb);
            secondRow[k] = kInfinity;
        }
        // Live positions after first: update their cell of first and repair
        // their cached minimum, which may have pointed at first or second.
        const std::size_t live = m_live.size();
        for (std::size_t t = firstAt + 1; t < live; ++t) {
            if (t + kPrefetch < live) {
                // The column walk jumps from row to row; fetch ahead.
                const std::int64_t ahead = m_live[t + kPrefetch];
                __builtin_prefetch(&m_w(ahead, first), 1);
                if (ahead > second) {
                    __builtin_prefetch(&m_w(ahead, second), 1);
                }
            }
            const std::int64_t k = m_live[t];
            const auto kk = static_cast<std::size_t>(k);
            double& c = m_w(k, first);
            double& retired = k > second ? m_w(k, second) : secondRow[k];
            const double v = UpdatedDistance(m_rule, c, retired, na, nb);
            c = v;
            retired = kInfinity;
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
        secondRow[first] = kInfinity;
        rescan(first);
        m_size[f] = na + nb;
    }

    DistanceMatrix& m_w;
    Rule m_rule;
    std::int64_t m_n;
    std::vector<std::int64_t> m_live;  // live positions, ascending
    std::vector<std::int32_t> m_size;
    std::vector<double> m_height;
    std::vector<double> m_minVal;
    std::vector<std::int64_t> m_minArg;
    std::vector<unsigned char> m_stale;  // m_minVal only bounds the row's minimum from below
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
