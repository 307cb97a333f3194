#pragma once

// The sites a user types for the sequence editor's segment deletions, read
// strictly: whole numbers only, so that a slip of the keyboard ("11 23" for
// "11, 23", "1O", "-5") is refused with a message that names the field and
// what it accepts, instead of being read as some other number of sites.
// Blanks around the numbers are allowed. `length` is the aligned length of
// the set (every sequence has it); sites count from 1.

#include <cstdint>
#include <string>
#include <string_view>

namespace sequence::SegmentInput {

// What an answer reads as: the sites, or (refusal not empty) the message
// that refuses it.
struct Reading {
    std::int32_t first = 0;
    std::int32_t last = 0;
    std::string refusal;
    [[nodiscard]] bool ok() const { return refusal.empty(); }
};

// The number n of beginning sites to delete (first = n): 1 to length - 1.
[[nodiscard]] Reading BeginningCount(std::string_view typed, std::int32_t length);
// The internal sites a to b to delete: "a, b" or a single site "a", with
// 1 <= a <= b <= length - 1.
[[nodiscard]] Reading InternalSites(std::string_view typed, std::int32_t length);
// The first site n of the ending segment to delete (first = n): 1 to length.
[[nodiscard]] Reading EndingStart(std::string_view typed, std::int32_t length);

} // namespace sequence::SegmentInput
