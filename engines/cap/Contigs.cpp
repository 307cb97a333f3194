#include "engines/cap/Contigs.h"

#include <algorithm>
#include <numeric>

namespace tallowin::cap::detail {

std::string reverseComplement(std::string_view text)
{
    std::string out(text.rbegin(), text.rend());
    for (char& c : out) {
        switch (c) {
        case 'A':
            c = 'U';
            break;
        case 'C':
            c = 'G';
            break;
        case 'G':
            c = 'C';
            break;
        case 'U':
            c = 'A';
            break;
        default:
            break;
        }
    }
    return out;
}

AlignInput alignInput(const Fragment& f, bool reversed, int32_t clearStart, int32_t clearEnd)
{
    const int64_t n = f.length();
    // 1-based clear region [clearStart, clearEnd]; mirrored for a reversed
    // fragment to [n - clearEnd + 1, n - clearStart + 1]. Converted to 0-based
    // and clamped to the fragment.
    int64_t first = static_cast<int64_t>(clearStart) - 1;
    int64_t last = static_cast<int64_t>(clearEnd) - 1;
    if (reversed) {
        first = n - clearEnd;
        last = n - clearStart;
    }
    first = std::clamp<int64_t>(first, 0, n);
    last = std::clamp<int64_t>(last, -1, n - 1);
    return AlignInput{f.text(reversed), static_cast<int>(first), static_cast<int>(last)};
}

int OverlapRecord::endUsed(int fragment) const
{
    const bool firstBeforeSecond = shape == OverlapShape::FirstThenSecond;
    if (fragment == first) {
        // The first fragment's right end in the orientation it was aligned in.
        const int rightEnd = firstReversed ? 0 : 1;
        return firstBeforeSecond ? rightEnd : 1 - rightEnd;
    }
    return firstBeforeSecond ? 0 : 1;
}

OverlapRecord makeRecord(int first, bool firstReversed, int second, const Alignment& a, int firstLength,
                         int secondLength)
{
    OverlapRecord r;
    r.first = first;
    r.second = second;
    r.firstReversed = firstReversed;
    r.shape = shapeOf(a, firstLength, secondLength);
    r.score = a.score;
    r.columns = a.columns;
    r.identities = a.identities;
    return r;
}

ContigGraph::ContigGraph(int count)
    : m_container(static_cast<std::size_t>(count), -1),
      m_containRecord(static_cast<std::size_t>(count), -1),
      m_ends(static_cast<std::size_t>(count)),
      m_parent(static_cast<std::size_t>(count))
{
    std::iota(m_parent.begin(), m_parent.end(), 0);
}

int ContigGraph::find(int f)
{
    while (m_parent[static_cast<std::size_t>(f)] != f) {
        const int up = m_parent[static_cast<std::size_t>(m_parent[static_cast<std::size_t>(f)])];
        m_parent[static_cast<std::size_t>(f)] = up;
        f = up;
    }
    return f;
}

bool ContigGraph::contain(int f, int container, int record)
{
    if (f == container)
        return false;
    for (int c = container; c >= 0; c = m_container[static_cast<std::size_t>(c)]) {
        if (c == f)
            return false; // a cycle of containers
    }
    m_container[static_cast<std::size_t>(f)] = container;
    m_containRecord[static_cast<std::size_t>(f)] = record;
    m_parent[static_cast<std::size_t>(find(f))] = find(container);
    return true;
}

bool ContigGraph::join(const OverlapRecord& r, int record)
{
    if (r.isContainment() || isContained(r.first) || isContained(r.second) || sameContig(r.first, r.second))
        return false;
    const int firstEnd = r.endUsed(r.first);
    const int secondEnd = r.endUsed(r.second);
    auto& a = m_ends[static_cast<std::size_t>(r.first)][static_cast<std::size_t>(firstEnd)];
    auto& b = m_ends[static_cast<std::size_t>(r.second)][static_cast<std::size_t>(secondEnd)];
    if (a.fragment >= 0 || b.fragment >= 0)
        return false;
    a = {r.second, record};
    b = {r.first, record};
    m_parent[static_cast<std::size_t>(find(r.first))] = find(r.second);
    return true;
}

bool ContigGraph::moveUnder(int f, int container, int record, const OverlapRecord& bridge, int bridgeRecord)
{
    if (f == container || isContained(f) || isContained(container) || sameContig(f, container)
        || bridge.isContainment())
        return false;
    // f has exactly one neighbour, the one the bridge joins to the container.
    const int joinedEnd = neighbour(f, 0).fragment >= 0 ? 0 : 1;
    const Neighbour held = neighbour(f, joinedEnd);
    if (held.fragment < 0 || neighbour(f, 1 - joinedEnd).fragment >= 0)
        return false;
    const int w = held.fragment;
    if (bridge.other(w) != container || (bridge.first != w && bridge.second != w))
        return false;
    const int wEnd = neighbour(w, 0).fragment == f && neighbour(w, 0).record == held.record ? 0 : 1;
    const int containerEnd = bridge.endUsed(container);
    if (bridge.endUsed(w) != wEnd || neighbour(container, containerEnd).fragment >= 0)
        return false;
    for (int c = container; c >= 0; c = m_container[static_cast<std::size_t>(c)]) {
        if (c == f)
            return false; // a cycle of containers
    }
    m_ends[static_cast<std::size_t>(f)][static_cast<std::size_t>(joinedEnd)] = {};
    m_ends[static_cast<std::size_t>(w)][static_cast<std::size_t>(wEnd)] = {container, bridgeRecord};
    m_ends[static_cast<std::size_t>(container)][static_cast<std::size_t>(containerEnd)] = {w, bridgeRecord};
    m_container[static_cast<std::size_t>(f)] = container;
    m_containRecord[static_cast<std::size_t>(f)] = record;
    // Every fragment involved ends in one contig, so the sets only merge.
    m_parent[static_cast<std::size_t>(find(f))] = find(container);
    return true;
}

void resolveContainments(ContigGraph& graph, const std::vector<OverlapRecord>& records,
                         const std::function<void(int)>& onFragment)
{
    std::vector<std::vector<int>> byContained(static_cast<std::size_t>(graph.count()));
    for (int k = 0; k < static_cast<int>(records.size()); ++k) {
        const OverlapRecord& r = records[static_cast<std::size_t>(k)];
        if (r.isContainment())
            byContained[static_cast<std::size_t>(r.contained())].push_back(k);
    }
    for (int f = 0; f < graph.count(); ++f) {
        onFragment(f);
        auto& candidates = byContained[static_cast<std::size_t>(f)];
        std::stable_sort(candidates.begin(), candidates.end(), [&](int a, int b) {
            return records[static_cast<std::size_t>(a)].score > records[static_cast<std::size_t>(b)].score;
        });
        for (int k : candidates) {
            if (graph.contain(f, records[static_cast<std::size_t>(k)].container(), k))
                break;
        }
    }
}

std::vector<int> properOverlapsByScore(const ContigGraph& graph, const std::vector<OverlapRecord>& records)
{
    std::vector<int> order;
    for (int k = 0; k < static_cast<int>(records.size()); ++k) {
        const OverlapRecord& r = records[static_cast<std::size_t>(k)];
        if (!r.isContainment() && !graph.isContained(r.first) && !graph.isContained(r.second))
            order.push_back(k);
    }
    // A stable sort, highest score first: the same order as an exchange sort
    // that swaps only on a strictly lower score.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return records[static_cast<std::size_t>(a)].score > records[static_cast<std::size_t>(b)].score;
    });
    return order;
}

} // namespace tallowin::cap::detail
