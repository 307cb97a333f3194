#pragma once

// Overlap records and the joining of fragments into contigs.
//
// A fragment has two ends: 0, its start, and 1, its end, in its given
// orientation. A proper overlap joins one end of each fragment; a fragment
// lying wholly inside another hangs under that container instead. Contigs are
// chains of joined fragments (each end joined at most once, no cycles) with
// their contained fragments under them.

#include "engines/cap/Alignment.h"
#include "engines/cap/TupleFilter.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tallowin::cap::detail {

// One input fragment, upper case, in both orientations.
struct Fragment {
    std::string name; // with its marker character
    std::string forward;
    std::string reverse; // reverse complement
    std::unique_ptr<TupleIndex> forwardIndex;
    std::unique_ptr<TupleIndex> reverseIndex;

    [[nodiscard]] int length() const { return static_cast<int>(forward.size()); }
    [[nodiscard]] const std::string& text(bool reversed) const { return reversed ? reverse : forward; }
};

// The reverse complement: A and U swap, C and G swap, every other character
// is copied; the order is reversed.
[[nodiscard]] std::string reverseComplement(std::string_view text);

// The aligner's view of a fragment in one orientation, with the reliable
// region mirrored for a reversed fragment.
[[nodiscard]] AlignInput alignInput(const Fragment& f, bool reversed, int32_t clearStart, int32_t clearEnd);

// An accepted overlap: `first` taken reversed or not, `second` as given.
struct OverlapRecord {
    int first = -1;
    int second = -1;
    bool firstReversed = false;
    OverlapShape shape = OverlapShape::FirstThenSecond;
    int64_t score = 0;
    int columns = 0;
    int identities = 0;

    [[nodiscard]] bool isContainment() const
    {
        return shape == OverlapShape::FirstContained || shape == OverlapShape::SecondContained;
    }
    [[nodiscard]] int contained() const { return shape == OverlapShape::FirstContained ? first : second; }
    [[nodiscard]] int container() const { return shape == OverlapShape::FirstContained ? second : first; }
    // The end of `fragment` (first or second) that a proper overlap uses.
    [[nodiscard]] int endUsed(int fragment) const;
    // Orientation of the other fragment when one of the two lies reversed or
    // not: the record fixes only their relative orientation.
    [[nodiscard]] bool otherReversed(bool reversed) const { return reversed != firstReversed; }
    [[nodiscard]] int other(int fragment) const { return fragment == first ? second : first; }
};

[[nodiscard]] OverlapRecord makeRecord(int first, bool firstReversed, int second, const Alignment& a, int firstLength,
                                       int secondLength);

struct Neighbour {
    int fragment = -1;
    int record = -1;
};

// Who is joined to whom.
class ContigGraph {
public:
    explicit ContigGraph(int count);

    [[nodiscard]] int count() const { return static_cast<int>(m_container.size()); }
    [[nodiscard]] bool isContained(int f) const { return m_container[static_cast<std::size_t>(f)] >= 0; }
    [[nodiscard]] int container(int f) const { return m_container[static_cast<std::size_t>(f)]; }
    [[nodiscard]] int containRecord(int f) const { return m_containRecord[static_cast<std::size_t>(f)]; }
    [[nodiscard]] const Neighbour& neighbour(int f, int end) const
    {
        return m_ends[static_cast<std::size_t>(f)][static_cast<std::size_t>(end)];
    }
    [[nodiscard]] bool hasFreeEnd(int f) const { return neighbour(f, 0).fragment < 0 || neighbour(f, 1).fragment < 0; }
    [[nodiscard]] bool isLone(int f) const { return neighbour(f, 0).fragment < 0 && neighbour(f, 1).fragment < 0; }
    [[nodiscard]] bool sameContig(int a, int b) { return find(a) == find(b); }

    // Hangs `f` under `container` unless that closes a cycle of containers.
    bool contain(int f, int container, int record);
    // Joins the two ends a proper overlap uses when both are free, both
    // fragments are not contained and they lie in different contigs.
    bool join(const OverlapRecord& r, int record);
    // Moves `f`, a contig end joined to one neighbour, under `container`
    // (another contig's end, not contained), and joins that neighbour to the
    // container instead through `bridge` (record `bridgeRecord`): a proper
    // overlap of the neighbour and the container using the neighbour's end
    // that held `f` and a free end of the container. The contig of `f` thus
    // joins the container's contig whole. Changes nothing and returns false
    // when any of this does not hold.
    bool moveUnder(int f, int container, int record, const OverlapRecord& bridge, int bridgeRecord);

private:
    int find(int f);

    std::vector<int> m_container;
    std::vector<int> m_containRecord;
    std::vector<std::array<Neighbour, 2>> m_ends;
    std::vector<int> m_parent; // union-find over contigs
};

// Containment: for each contained fragment in input order, the record with
// the highest score names its container (ties: the earlier record); a record
// that would close a cycle is dropped for the next best. A fragment that runs
// out of records stays uncontained.
void resolveContainments(ContigGraph& graph, const std::vector<OverlapRecord>& records,
                         const std::function<void(int)>& onFragment);

// Proper overlaps between uncontained fragments, highest score first; equal
// scores keep the order in which the overlaps were found.
[[nodiscard]] std::vector<int> properOverlapsByScore(const ContigGraph& graph,
                                                     const std::vector<OverlapRecord>& records);

} // namespace tallowin::cap::detail
