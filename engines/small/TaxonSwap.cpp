#include "engines/small/SmallEngines.h"

#include <utility>

namespace tallowin {

int64_t packedSize(int64_t taxa)
{
    return taxa < 2 ? 0 : taxa * (taxa - 1) / 2;
}

bool swapTaxa(std::span<double> packed, int32_t taxa, int32_t i, int32_t j)
{
    if (taxa < 0 || i < 0 || j < 0 || i >= taxa || j >= taxa)
        return false;
    if (packedSize(taxa) > static_cast<int64_t>(packed.size()))
        return false;
    if (i == j)
        return true;
    if (j > i)
        std::swap(i, j);

    auto at = [&](int64_t r, int64_t c) -> double& {
        return packed[static_cast<std::size_t>(r * (r - 1) / 2 + c)];
    };
    for (int32_t c = 0; c < j; ++c)
        std::swap(at(i, c), at(j, c));
    for (int32_t r = i + 1; r < taxa; ++r)
        std::swap(at(r, i), at(r, j));
    for (int32_t m = j + 1; m < i; ++m)
        std::swap(at(m, j), at(i, m));
    return true;
}

} // namespace tallowin
