#pragma once

// Seeded families of related sequences, for tests and benchmarks of the
// aligners and the sequence editor.

#include <random>
#include <string>
#include <vector>

namespace seqtest {

// A family of related sequences: one random ancestor with point changes,
// insertions and deletions per copy.
inline std::vector<std::string> family(unsigned seed, int count, int length, const std::string& letters)
{
    std::mt19937 rng(seed);
    auto pick = [&] { return letters[std::uniform_int_distribution<std::size_t>(0, letters.size() - 1)(rng)]; };
    std::string root;
    for (int i = 0; i < length; ++i)
        root += pick();
    std::vector<std::string> out;
    for (int s = 0; s < count; ++s) {
        std::string copy;
        for (char c : root) {
            const int r = std::uniform_int_distribution<int>(0, 99)(rng);
            if (r < 6)
                copy += pick();
            else if (r < 8)
                continue;
            else if (r < 10)
                copy += std::string(1, c) + pick();
            else
                copy += c;
        }
        out.push_back(copy);
    }
    return out;
}

} // namespace seqtest
