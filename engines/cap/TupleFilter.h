#pragma once

// The fast filter that decides whether two fragments are worth aligning.
//
// Every oriented fragment gets a tuple index: which tuples of length 1 to 4
// over the four residue codes occur in it (340 entries: 4 + 16 + 64 + 256,
// tuples of length k offset by 0, 4, 20, 84) and, for each 4-tuple, the list
// of positions where it starts. Positions whose 4-tuple holds a character of
// code 4 (anything but A, C, G, U) are kept apart, since such a character
// agrees with every other.
//
// The filter walks one fragment and covers it greedily with maximal stretches
// that occur in the other; each stretch ends at a difference, which is
// skipped. The pair passes when, from the start or from the end of the walked
// fragment, some i stretches cover d >= minimum overlap positions with
// (i - 1) x rate <= d, or when the whole walked fragment is covered with
// (stretches - 1) x rate <= covered length. The second fragment is walked
// against the first, and then the first against the second, so that a
// fragment lying inside the other is found whichever of the two it is; the
// second walk is skipped when the first fragment is too long to lie inside
// the second at the minimum identity (the overlap would be refused anyway).
//
// Cost: O(n) stretches per walk, each trying the positions of one tuple.

#include "engines/frame/Frame.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tallowin::cap::detail {

// Residue code of an upper-case character: A 0, C 1, G 2, U and T 3 (the
// same base in RNA and DNA letters), anything else 4.
[[nodiscard]] constexpr uint8_t residueCode(char c)
{
    switch (c) {
    case 'A':
        return 0;
    case 'C':
        return 1;
    case 'G':
        return 2;
    case 'U':
    case 'T':
        return 3;
    default:
        return 4;
    }
}

class TupleIndex {
public:
    // Builds the index of `text` (upper case, 0-based) in the call's checked
    // memory; throws AllocationFailed when it cannot be had.
    TupleIndex(std::string_view text, EngineContext& context);

    [[nodiscard]] int length() const { return static_cast<int>(m_codes.size()); }
    [[nodiscard]] uint8_t code(int position) const { return m_codes[static_cast<std::size_t>(position)]; }
    // Whether the tuple of `length` codes (1..4, each 0..3) occurs.
    [[nodiscard]] bool has(const uint8_t* codes, int length) const;
    // First position of a 4-tuple code (0..255) and the next after a position; -1 ends.
    [[nodiscard]] int32_t first(int tuple) const { return m_head[static_cast<std::size_t>(tuple)]; }
    [[nodiscard]] int32_t next(int32_t position) const { return m_next[static_cast<std::size_t>(position)]; }
    // Positions whose 4-tuple holds a code 4.
    [[nodiscard]] const std::vector<int32_t>& wildStarts() const { return m_wild; }

private:
    std::vector<uint8_t> m_codes;
    std::array<uint8_t, 340> m_present{};
    std::array<int32_t, 256> m_head{};
    std::vector<int32_t> m_next;
    std::vector<int32_t> m_wild;
};

struct FilterSettings {
    int minOverlap = 0;
    double rate = 0.0;
    double minIdentity = 0.0;
};

// Whether the pair passes the filter (see the file's head).
[[nodiscard]] bool passesFilter(const TupleIndex& first, const TupleIndex& second, const FilterSettings& settings);

} // namespace tallowin::cap::detail
