#include "sequence/SegmentInput.h"

#include <optional>

namespace sequence::SegmentInput {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A whole number of at most nine digits, blanks around it allowed.
std::optional<std::int32_t> wholeNumber(std::string_view text)
{
    text = trimmed(text);
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    std::int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

Reading refused(std::string text, std::string_view typed)
{
    Reading r;
    r.refusal = std::move(text) + " \"" + std::string(typed) + "\" is not accepted.";
    return r;
}

std::string sites(std::int32_t n)
{
    return std::to_string(n) + (n == 1 ? " site" : " sites");
}

// The refusal when the sequences are too short to have such a segment.
Reading nothingToDelete(const std::string& field, std::int32_t length, const char* segment, std::string_view typed)
{
    return refused(field + "the sequences are " + sites(length) + " long, so there is no " + segment +
                       " segment to delete.",
                   typed);
}

} // namespace

Reading BeginningCount(std::string_view typed, std::int32_t length)
{
    const std::string field = "Number of beginning sites to delete: ";
    if (length < 2)
        return nothingToDelete(field, length, "beginning", typed);
    const auto n = wholeNumber(typed);
    if (!n || *n < 1 || *n > length - 1)
        return refused(field + "a whole number from 1 to " + std::to_string(length - 1) + " (the sequences are " +
                           sites(length) + " long).",
                       typed);
    return Reading{*n, *n, {}};
}

Reading InternalSites(std::string_view typed, std::int32_t length)
{
    const std::string field = "Sites to delete: ";
    if (length < 2)
        return nothingToDelete(field, length, "internal", typed);
    const std::string accepts = field + "the first and the last site, two whole numbers from 1 to " +
                                std::to_string(length - 1) + " separated by a comma, the first not after the "
                                                             "second (e.g., 11, 23), or one such number for a "
                                                             "single site.";
    const auto comma = typed.find(',');
    const auto a = wholeNumber(typed.substr(0, comma));
    const auto b = comma == std::string_view::npos ? a : wholeNumber(typed.substr(comma + 1));
    if (!a || !b || *a < 1 || *b > length - 1 || *a > *b)
        return refused(accepts, typed);
    return Reading{*a, *b, {}};
}

Reading EndingStart(std::string_view typed, std::int32_t length)
{
    const std::string field = "First site of the ending segment to delete: ";
    if (length < 1)
        return nothingToDelete(field, length, "ending", typed);
    const auto n = wholeNumber(typed);
    if (!n || *n < 1 || *n > length)
        return refused(field + "a whole number from 1 to " + std::to_string(length) +
                           " (the sites from it to the end are deleted).",
                       typed);
    return Reading{*n, *n, {}};
}

} // namespace sequence::SegmentInput
