#pragma once

// Helpers of the contig assembly tests: parameters, seeded fragment sets.

#include "engines/cap/Assembler.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace captest {

// Weights a user would pass for reads with few errors.
inline tallowin::cap::Parameters typicalParameters()
{
    tallowin::cap::Parameters p;
    p.clearStart = 1;
    p.clearEnd = 100000;
    p.gapOpen = 6;
    p.gapExtend = 1;
    p.match = 2;
    p.mismatch = -5;
    p.endMismatch = -2;
    p.endGapExtend = 1;
    p.minOverlap = 20;
    p.minIdentity = 0.9f;
    p.minEndScore = 60;
    p.filterRate = 10.0f;
    return p;
}

inline std::string randomRna(std::mt19937& rng, std::size_t n)
{
    static constexpr char Letters[] = "ACGU";
    std::uniform_int_distribution<int> pick(0, 3);
    std::string s(n, 'A');
    for (char& c : s)
        c = Letters[pick(rng)];
    return s;
}

inline std::string reverseComplement(const std::string& s)
{
    std::string out(s.rbegin(), s.rend());
    for (char& c : out)
        c = c == 'A' ? 'U' : c == 'U' ? 'A' : c == 'C' ? 'G' : c == 'G' ? 'C' : c;
    return out;
}

// Blank-separated texts and the count, as the engine takes them.
struct FragmentTexts {
    std::string sequences;
    std::string names;
    int32_t count = 0;

    void add(const std::string& name, const std::string& sequence)
    {
        if (count > 0) {
            sequences += ' ';
            names += ' ';
        }
        sequences += sequence;
        names += '>' + name;
        ++count;
    }
};

// A random substitution with another letter.
inline char otherLetter(std::mt19937& rng, char c)
{
    static constexpr char Letters[] = "ACGU";
    char out = c;
    while (out == c)
        out = Letters[std::uniform_int_distribution<int>(0, 3)(rng)];
    return out;
}

} // namespace captest
