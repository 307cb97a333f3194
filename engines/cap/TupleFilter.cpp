#include "engines/cap/TupleFilter.h"

#include "engines/cap/Alignment.h"

#include <algorithm>

namespace tallowin::cap::detail {

namespace {

constexpr std::array<int, 5> TupleOffset = {0, 0, 4, 20, 84}; // by tuple length 1..4

bool agree(uint8_t a, uint8_t b)
{
    return a == b || a == 4 || b == 4;
}

// Length of the longest stretch of `walked` from `p` that occurs in `other`.
int longestStretch(const TupleIndex& walked, int p, const TupleIndex& other)
{
    const int n = walked.length();
    const int m = other.length();
    auto extend = [&](int q, int k) {
        while (p + k < n && q + k < m && agree(walked.code(p + k), other.code(q + k)))
            ++k;
        return k;
    };

    int best = 0;
    if (p + 4 <= n) {
        // The 4-tuple at p, with every code-4 character standing for all four.
        std::array<uint8_t, 4> codes{};
        int wildCount = 0;
        for (int k = 0; k < 4; ++k) {
            codes[static_cast<std::size_t>(k)] = walked.code(p + k);
            wildCount += codes[static_cast<std::size_t>(k)] == 4 ? 1 : 0;
        }
        // Enumerate the tuples consistent with the wild characters.
        const int variants = 1 << (2 * wildCount);
        for (int v = 0; v < variants; ++v) {
            int tuple = 0;
            int bits = v;
            for (int k = 0; k < 4; ++k) {
                int c = codes[static_cast<std::size_t>(k)];
                if (c == 4) {
                    c = bits & 3;
                    bits >>= 2;
                }
                tuple = tuple * 4 + c;
            }
            // Positions from the list agree on their first four codes.
            for (int32_t q = other.first(tuple); q >= 0; q = other.next(q))
                best = std::max(best, extend(q, 4));
        }
        for (int32_t q : other.wildStarts())
            best = std::max(best, extend(q, 0));
        if (best >= 4)
            return best;
    }
    // Shorter than a 4-tuple: the longest leading tuple of length 1..3 present.
    for (int k = std::min(3, n - p); k > best; --k) {
        std::array<uint8_t, 3> codes{};
        bool wild = false;
        for (int t = 0; t < k; ++t) {
            codes[static_cast<std::size_t>(t)] = walked.code(p + t);
            wild = wild || codes[static_cast<std::size_t>(t)] == 4;
        }
        if (wild || other.has(codes.data(), k))
            return k;
    }
    return best;
}

// Walks `walked` against `other` and applies the three tests.
bool walkPasses(const TupleIndex& walked, const TupleIndex& other, const FilterSettings& s)
{
    const int n = walked.length();
    std::vector<int> stretches;
    int stretchCount = 0;
    int64_t covered = 0;
    for (int p = 0; p < n;) {
        const int length = longestStretch(walked, p, other);
        stretches.push_back(length);
        ++stretchCount;
        covered += length;
        if (covered >= s.minOverlap && (stretchCount - 1) * s.rate <= static_cast<double>(covered))
            return true; // from the start
        p += length + 1; // the difference that ends the stretch is skipped
    }
    if (static_cast<double>(stretchCount - 1) * s.rate <= static_cast<double>(covered))
        return true; // the whole fragment
    int count = 0;
    int64_t fromEnd = 0;
    for (auto it = stretches.rbegin(); it != stretches.rend(); ++it) {
        ++count;
        fromEnd += *it;
        if (fromEnd >= s.minOverlap && (count - 1) * s.rate <= static_cast<double>(fromEnd))
            return true; // from the end
    }
    return false;
}

} // namespace

TupleIndex::TupleIndex(std::string_view text, EngineContext& context)
{
    const auto n = static_cast<int>(text.size());
    if (!context.CheckedNew(m_codes, text.size()) || !context.CheckedNew(m_next, text.size(), int32_t{-1}))
        throw AllocationFailed{};
    for (int i = 0; i < n; ++i)
        m_codes[static_cast<std::size_t>(i)] = residueCode(text[static_cast<std::size_t>(i)]);
    m_head.fill(-1);

    // Building from the end keeps each position list in ascending order.
    for (int i = n - 1; i >= 0; --i) {
        int tuple = 0;
        bool wild = false;
        for (int k = 0; k < 4 && i + k < n; ++k) {
            const uint8_t c = m_codes[static_cast<std::size_t>(i + k)];
            if (c == 4) {
                wild = true;
                break;
            }
            tuple = tuple * 4 + c;
            m_present[static_cast<std::size_t>(TupleOffset[static_cast<std::size_t>(k + 1)] + tuple)] = 1;
        }
        if (i + 4 > n)
            continue;
        if (wild) {
            m_wild.push_back(i);
            continue;
        }
        m_next[static_cast<std::size_t>(i)] = m_head[static_cast<std::size_t>(tuple)];
        m_head[static_cast<std::size_t>(tuple)] = i;
    }
    std::reverse(m_wild.begin(), m_wild.end());
}

bool TupleIndex::has(const uint8_t* codes, int length) const
{
    int tuple = 0;
    for (int k = 0; k < length; ++k)
        tuple = tuple * 4 + codes[k];
    return m_present[static_cast<std::size_t>(TupleOffset[static_cast<std::size_t>(length)] + tuple)] != 0;
}

bool passesFilter(const TupleIndex& first, const TupleIndex& second, const FilterSettings& settings)
{
    if (walkPasses(second, first, settings))
        return true;
    // The first fragment can lie inside the second only when the second is
    // long enough to match the first's length at the minimum identity.
    if (second.length() < first.length() * settings.minIdentity)
        return false;
    return walkPasses(first, second, settings);
}

} // namespace tallowin::cap::detail
