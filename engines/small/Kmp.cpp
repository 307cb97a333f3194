#include "engines/small/SmallEngines.h"

namespace tallowin {

std::vector<int32_t> kmpFailureTable(std::string_view pattern)
{
    const auto m = static_cast<int32_t>(pattern.size());
    std::vector<int32_t> next(pattern.size());
    if (m == 0)
        return next;
    next[0] = -1;
    int32_t k = -1;
    for (int32_t i = 0; i + 1 < m;) {
        if (k == -1 || pattern[static_cast<std::size_t>(i)] == pattern[static_cast<std::size_t>(k)]) {
            ++i;
            ++k;
            next[static_cast<std::size_t>(i)] = k;
        } else {
            k = next[static_cast<std::size_t>(k)];
        }
    }
    return next;
}

namespace {

int32_t scan(std::string_view text, std::string_view pattern, const std::vector<int32_t>& next, std::size_t from)
{
    const auto m = static_cast<int64_t>(pattern.size());
    const auto n = static_cast<int64_t>(text.size());
    if (m == 0 || static_cast<int64_t>(from) > n)
        return -1;
    int64_t i = static_cast<int64_t>(from);
    int64_t k = 0;
    while (k < m && i < n) {
        if (k == -1) {
            k = 0;
            ++i;
        } else if (text[static_cast<std::size_t>(i)] == pattern[static_cast<std::size_t>(k)]) {
            ++i;
            ++k;
        } else {
            k = next[static_cast<std::size_t>(k)];
        }
    }
    return k == m ? static_cast<int32_t>(i - m) : -1;
}

} // namespace

int32_t kmpFind(std::string_view text, std::string_view pattern, std::size_t from)
{
    return scan(text, pattern, kmpFailureTable(pattern), from);
}

std::vector<int32_t> kmpFindAll(std::string_view text, std::string_view pattern, int32_t maximum)
{
    std::vector<int32_t> starts;
    if (pattern.empty() || maximum <= 0)
        return starts;
    const auto next = kmpFailureTable(pattern);
    std::size_t from = 0;
    while (static_cast<int32_t>(starts.size()) < maximum) {
        const int32_t s = scan(text, pattern, next, from);
        if (s < 0)
            break;
        starts.push_back(s);
        from = static_cast<std::size_t>(s) + pattern.size();
    }
    return starts;
}

} // namespace tallowin
