#include "analysis/UPGMA.h"

#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "platform/runtime/Rnd.h"

namespace UPGMA {

using analysis::DistanceMatrix;
using analysis::MyNode;

namespace {

constexpr const char* kSource = "BuildUpgmaTree";
constexpr double kInfinity = std::numeric_limits<double>::infinity();

[[noreturn]] void fail(std::int32_t number, const std::string& description)
{
    throw platform::Error(number, kSource, description);
}

void checkInput(const DistanceMatrix& distMat, std::int32_t N, std::int16_t rule,
                const std::vector<std::string>& names)
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
    for (std::int64_t i = 1; i < N; ++i) {
        const double* row = distMat.row(i);
        for (std::int64_t j = 0; j < i; ++j) {
            if (!std::isfinite(row[j])) {
                fail(platform::err::InvalidCall, "The distance between items " + platform::rt::CStr(j + 1) + " and " +
                                                     platform::rt::CStr(i + 1) + " is not a number.");
            }
        }
    }
}

// Rearranges the item-indexed triangle in place so that cell (p, q) holds the
// distance between the items at positions p and q of the visiting order.
// Each cell is moved once, following the cycles of the permutation.
void permuteToPositions(DistanceMatrix& w, const std::vector<std::int32_t>& order)
{
    const std::int64_t n = w.size();
    const std::uint64_t cells = DistanceMatrix::cellCount(n);
    std::vector<std::uint64_t> done((cells + 63) / 64, 0);
    auto isDone = [&done](std::uint64_t e) { return (done[e >> 6] >> (e & 63)) & 1U; };
    auto markDone = [&done](std::uint64_t e) { done[e >> 6] |= std::uint64_t{1} << (e & 63); };
    double* a = w.data();
    for (std::int64_t p = 1; p < n; ++p) {
        for (std::int64_t q = 0; q < p; ++q) {
            const std::uint64_t start = DistanceMatrix::offset(p, q);
            if (isDone(start)) {
                continue;
            }
            const double held = a[start];
            std::uint64_t cur = start;
            std::int64_t cp = p;
            std::int64_t cq = q;
            for (;;) {
                // The cell that belongs at (cp, cq) is the one of its items.
                std::int64_t sp = order[static_cast<std::size_t>(cp)] - 1;
                std::int64_t sq = order[static_cast<std::size_t>(cq)] - 1;
                if (sp < sq) {
                    std::swap(sp, sq);
                }
                const std::uint64_t src = DistanceMatrix::offset(sp, sq);
                markDone(cur);
                if (src == start) {
                    a[cur] = held;
                    break;
                }
                a[cur] = a[src];
                cur = src;
                cp = sp;
                cq = sq;
            }
        }
    }
}

class Merger {
public:
    Merger(DistanceMatrix& w, Rule rule) : m_w(w), m_rule(rule), m_n(w.size()) {}

    // Joins the clusters (by position) N - 1 times; returns the root.
    std::unique_ptr<MyNode> run(std::vector<std::unique_ptr<MyNode>> clusters, numeric::Progress* progress)
    {
        const auto n = static_cast<std::size_t>(m_n);
        m_alive.assign(n, 1);
        m_size.assign(n, 1);
        m_height.assign(n, 0.0);
        m_minVal.assign(n, kInfinity);
        m_minArg.assign(n, -1);
        for (std::int64_t j = 1; j < m_n; ++j) {
            rescan(j);
        }

        numeric::detail::setMinimum(progress, 0);
        numeric::detail::setMaximum(progress, static_cast<double>(m_n - 1));
        for (std::int64_t step = 1; step < m_n; ++step) {
            numeric::detail::setValue(progress, static_cast<double>(step));
            // The smallest cached row minimum; the earliest row among equals.
            double best = kInfinity;
            std::int64_t second = -1;
            for (std::int64_t j = 1; j < m_n; ++j) {
                if (m_minVal[static_cast<std::size_t>(j)] < best) {
                    best = m_minVal[static_cast<std::size_t>(j)];
                    second = j;
                }
            }
            const std::int64_t first = m_minArg[static_cast<std::size_t>(second)];
            join(clusters, first, second);
        }
        numeric::detail::setValue(progress, 0);
        return std::move(clusters[0]);
    }

private:
    [[nodiscard]] double dist(std::int64_t a, std::int64_t b) const { return a > b ? m_w(a, b) : m_w(b, a); }
    [[nodiscard]] double& cell(std::int64_t a, std::int64_t b) { return a > b ? m_w(a, b) : m_w(b, a); }

    void rescan(std::int64_t j)
    {
        const double* row = m_w.row(j);
        double best = kInfinity;
        std::int64_t arg = -1;
        for (std::int64_t i = 0; i < j; ++i) {
            if (m_alive[static_cast<std::size_t>(i)] && row[i] < best) {
                best = row[i];
                arg = i;
            }
        }
        m_minVal[static_cast<std::size_t>(j)] = best;
        m_minArg[static_cast<std::size_t>(j)] = arg;
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

        m_alive[s] = 0;
        m_minVal[s] = kInfinity;
        m_minArg[s] = -1;

        const std::int32_t na = m_size[f];
        const std::int32_t nb = m_size[s];
        // Positions before first: their rows do not hold first's distances;
        // only first's own row changes.
        double* firstRow = m_w.row(first);
        for (std::int64_t k = 0; k < first; ++k) {
            if (m_alive[static_cast<std::size_t>(k)]) {
                firstRow[k] = UpdatedDistance(m_rule, firstRow[k], dist(second, k), na, nb);
            }
        }
        // Positions after first: update their cell of first and repair their
        // cached minimum, which may have pointed at first or second.
        for (std::int64_t k = first + 1; k < m_n; ++k) {
            const auto kk = static_cast<std::size_t>(k);
            if (!m_alive[kk]) {
                continue;
            }
            double& c = m_w(k, first);
            const double v = UpdatedDistance(m_rule, c, dist(second, k), na, nb);
            c = v;
            const std::int64_t arg = m_minArg[kk];
            if (arg == first || arg == second) {
                if (v <= m_minVal[kk]) {
                    m_minVal[kk] = v;
                    m_minArg[kk] = first;
                } else {
                    rescan(k);
                }
            } else if (v < m_minVal[kk] || (v == m_minVal[kk] && first < arg)) {
                m_minVal[kk] = v;
                m_minArg[kk] = first;
            }
        }
        rescan(first);
        m_size[f] = na + nb;
    }

    DistanceMatrix& m_w;
    Rule m_rule;
    std::int64_t m_n;
    std::vector<unsigned char> m_alive;
    std::vector<std::int32_t> m_size;
    std::vector<double> m_height;
    std::vector<double> m_minVal;
    std::vector<std::int64_t> m_minArg;
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

std::unique_ptr<MyNode> BuildUpgmaTree(DistanceMatrix&& distMat, std::int32_t N, std::int16_t rule,
                                       const std::vector<std::string>& names, bool shuffle,
                                       numeric::Progress* progress, platform::rt::RandomSource* rng)
{
    checkInput(distMat, N, rule, names);
    if (rng == nullptr) {
        platform::rt::Randomize();
    }
    DistanceMatrix w = std::move(distMat);
    distMat = DistanceMatrix();

    const std::vector<std::int32_t> order = VisitingOrder(N, shuffle, rng);
    bool identity = true;
    for (std::int32_t p = 0; p < N; ++p) {
        identity = identity && order[static_cast<std::size_t>(p)] == p + 1;
    }
    if (!identity) {
        permuteToPositions(w, order);
    }

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
