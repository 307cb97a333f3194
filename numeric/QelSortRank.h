#pragma once

// QelSortRank: in-place quicksort of keys between two indices, optionally
// carrying one or two companion arrays along with every move.
//
// Method: quicksort with a hole-moving partition (Hoare's "FIND"-style
// partition with the pivot lifted out) and a median-of-three pivot that is
// taken only when the first key is the largest of the three samples; ranges of
// at most 11 elements are finished by a bidirectional bubble sort (shaker
// sort) that shrinks to the last exchange. The exact pivot rule fixes where
// equal keys, and so their companions, end up; it is kept as it is because
// callers (for example the ordering of tied eigenvalues) depend on it.
// Sorted input and all-equal keys partition at their first element and cost
// quadratic time. The sort always recurses into the smaller part and loops
// on the larger one, so the stack depth stays logarithmic.
//
// Index base 0: lo and hi are positions in the containers; only lo .. hi
// (inclusive) are touched; hi < lo or lo = hi changes nothing. Containers are
// anything with value_type, size() and operator[] (std::vector, std::span,
// std::array); they stay owned by the caller.
// Keys are compared with std::less<>: numbers numerically, std::string by
// character code (unsigned), and a Key (number or text) puts every number
// before every text. NaN keys have no defined place.
// Throws platform::Error 9 ("QuickSort", ...) when lo .. hi is not inside a
// container.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>

#include "numeric/Checked.h"
#include "platform/errors/Error.h"

namespace QelSortRank {

// A key that is a number or a text; numbers sort before texts.
using Key = std::variant<double, std::string>;

namespace detail {

template <class Container>
void checkRange(const Container& c, std::int64_t lo, std::int64_t hi, const char* source)
{
    if (hi < lo) {
        return;
    }
    if (lo < 0 || static_cast<std::size_t>(hi) >= static_cast<std::size_t>(c.size())) {
        numeric::raiseRuntime(platform::err::Subscript, source);
    }
}

// Rounds (lo + hi) / 2 to the nearest integer, halves to the even one.
inline std::int64_t midpoint(std::int64_t lo, std::int64_t hi)
{
    const std::int64_t sum = lo + hi;
    const std::int64_t half = sum / 2;  // lo, hi >= 0
    if (sum % 2 == 0) {
        return half;
    }
    return half % 2 == 0 ? half : half + 1;
}

// Sorter over keys and companions; Descending reverses every key comparison.
template <bool Descending, class Keys, class... Companions>
class Sorter {
public:
    Sorter(Keys& keys, Companions&... companions) : m_keys(keys), m_companions(companions...) {}

    void sort(std::int64_t lo, std::int64_t hi)
    {
        for (;;) {
            if (hi - lo < 11) {
                shaker(lo, hi);
                return;
            }
            const std::int64_t p = partition(lo, hi);
            // Smaller part by recursion, larger part by the loop.
            if (p - lo < hi - p) {
                sort(lo, p - 1);
                lo = p + 1;
            } else {
                sort(p + 1, hi);
                hi = p - 1;
            }
        }
    }

private:
    using KeyType = typename std::remove_cvref_t<Keys>::value_type;

    auto& key(std::int64_t i) { return m_keys[static_cast<std::size_t>(i)]; }

    // "a before b" in the sort's direction.
    static bool before(const KeyType& a, const KeyType& b)
    {
        if constexpr (Descending) {
            return std::less<>{}(b, a);
        } else {
            return std::less<>{}(a, b);
        }
    }
    // a >= b, a <= b and a > b in the sort's direction.
    static bool notBefore(const KeyType& a, const KeyType& b) { return !before(a, b); }
    static bool notAfter(const KeyType& a, const KeyType& b) { return !before(b, a); }
    static bool after(const KeyType& a, const KeyType& b) { return before(b, a); }

    // Copies element from (key and companions) to position to.
    void copy(std::int64_t from, std::int64_t to)
    {
        key(to) = key(from);
        std::apply([&](auto&... c) { ((c[static_cast<std::size_t>(to)] = c[static_cast<std::size_t>(from)]), ...); },
                   m_companions);
    }

    void exchange(std::int64_t a, std::int64_t b)
    {
        using std::swap;
        swap(key(a), key(b));
        std::apply([&](auto&... c) { (swap(c[static_cast<std::size_t>(a)], c[static_cast<std::size_t>(b)]), ...); },
                   m_companions);
    }

    std::int64_t partition(std::int64_t lo, std::int64_t hi)
    {
        const std::int64_t mid = midpoint(lo, hi);
        std::int64_t pivotIndex = lo;
        if (notBefore(key(lo), key(hi)) && notBefore(key(hi), key(mid))) {
            pivotIndex = hi;
        } else if (notBefore(key(lo), key(mid)) && notBefore(key(mid), key(hi))) {
            pivotIndex = mid;
        }
        const KeyType pivot = key(pivotIndex);
        auto saved = std::apply(
            [&](auto&... c) {
                return std::tuple<typename std::remove_cvref_t<decltype(c)>::value_type...>(
                    c[static_cast<std::size_t>(pivotIndex)]...);
            },
            m_companions);
        copy(lo, pivotIndex);

        std::int64_t i = lo;
        std::int64_t j = hi;
        while (i != j) {
            while (i < j && notBefore(key(j), pivot)) {
                --j;
            }
            if (i == j) {
                break;
            }
            copy(j, i);
            ++i;
            while (i < j && notAfter(key(i), pivot)) {
                ++i;
            }
            if (i == j) {
                break;
            }
            copy(i, j);
            --j;
        }
        key(i) = pivot;
        std::apply(
            [&](auto&... c) {
                std::apply([&](const auto&... v) { ((c[static_cast<std::size_t>(i)] = v), ...); }, saved);
            },
            m_companions);
        return i;
    }

    void shaker(std::int64_t lo, std::int64_t hi)
    {
        bool swapped = true;
        while (swapped) {
            std::int64_t last = 0;
            for (std::int64_t k = lo; k <= hi - 1; ++k) {
                if (after(key(k), key(k + 1))) {
                    exchange(k, k + 1);
                    last = k;
                }
            }
            hi = last;
            if (last == 0) {
                swapped = false;
            }
            std::int64_t first = 0;
            for (std::int64_t k = hi; k >= lo + 1; --k) {
                if (after(key(k - 1), key(k))) {
                    exchange(k - 1, k);
                    first = k;
                }
            }
            lo = first;
            if (first == 0) {
                swapped = false;
            }
        }
    }

    Keys& m_keys;
    std::tuple<Companions&...> m_companions;
};

} // namespace detail

// Sorts keys(lo .. hi) ascending.
template <class Keys>
void QuickSort(Keys& keys, std::int64_t lo, std::int64_t hi)
{
    detail::checkRange(keys, lo, hi, "QuickSort");
    detail::Sorter<false, Keys>(keys).sort(lo, hi);
}

// Sorts keys(lo .. hi) ascending; companion(lo .. hi) receives the same moves.
template <class Keys, class Companion>
void QuickSort2(Keys& keys, Companion& companion, std::int64_t lo, std::int64_t hi)
{
    detail::checkRange(keys, lo, hi, "QuickSort2");
    detail::checkRange(companion, lo, hi, "QuickSort2");
    detail::Sorter<false, Keys, Companion>(keys, companion).sort(lo, hi);
}

// Sorts keys(lo .. hi) descending; companion(lo .. hi) receives the same moves.
template <class Keys, class Companion>
void QuickSort2Desc(Keys& keys, Companion& companion, std::int64_t lo, std::int64_t hi)
{
    detail::checkRange(keys, lo, hi, "QuickSort2Desc");
    detail::checkRange(companion, lo, hi, "QuickSort2Desc");
    detail::Sorter<true, Keys, Companion>(keys, companion).sort(lo, hi);
}

// Sorts keys(lo .. hi) ascending; both companions receive the same moves.
template <class Keys, class Companion1, class Companion2>
void QuickSort3(Keys& keys, Companion1& companion1, Companion2& companion2, std::int64_t lo, std::int64_t hi)
{
    detail::checkRange(keys, lo, hi, "QuickSort3");
    detail::checkRange(companion1, lo, hi, "QuickSort3");
    detail::checkRange(companion2, lo, hi, "QuickSort3");
    detail::Sorter<false, Keys, Companion1, Companion2>(keys, companion1, companion2).sort(lo, hi);
}

} // namespace QelSortRank
