#include "sequence/SubMatData.h"

#include <array>
#include <cstddef>

namespace sequence {

namespace {

// BLOSUM62 (Henikoff & Henikoff 1992, half-bit units), in the order
// ARNDCQEGHILKMFPSTWYVBZX*.
constexpr int kAA = 24;
constexpr std::array<std::array<int, kAA>, kAA> kBlosum62 = {{
    {4, -1, -2, -2, 0, -1, -1, 0, -2, -1, -1, -1, -1, -2, -1, 1, 0, -3, -2, 0, -2, -1, 0, -4},
    {-1, 5, 0, -2, -3, 1, 0, -2, 0, -3, -2, 2, -1, -3, -2, -1, -1, -3, -2, -3, -1, 0, -1, -4},
    {-2, 0, 6, 1, -3, 0, 0, 0, 1, -3, -3, 0, -2, -3, -2, 1, 0, -4, -2, -3, 3, 0, -1, -4},
    {-2, -2, 1, 6, -3, 0, 2, -1, -1, -3, -4, -1, -3, -3, -1, 0, -1, -4, -3, -3, 4, 1, -1, -4},
    {0, -3, -3, -3, 9, -3, -4, -3, -3, -1, -1, -3, -1, -2, -3, -1, -1, -2, -2, -1, -3, -3, -2, -4},
    {-1, 1, 0, 0, -3, 5, 2, -2, 0, -3, -2, 1, 0, -3, -1, 0, -1, -2, -1, -2, 0, 3, -1, -4},
    {-1, 0, 0, 2, -4, 2, 5, -2, 0, -3, -3, 1, -2, -3, -1, 0, -1, -3, -2, -2, 1, 4, -1, -4},
    {0, -2, 0, -1, -3, -2, -2, 6, -2, -4, -4, -2, -3, -3, -2, 0, -2, -2, -3, -3, -1, -2, -1, -4},
    {-2, 0, 1, -1, -3, 0, 0, -2, 8, -3, -3, -1, -2, -1, -2, -1, -2, -2, 2, -3, 0, 0, -1, -4},
    {-1, -3, -3, -3, -1, -3, -3, -4, -3, 4, 2, -3, 1, 0, -3, -2, -1, -3, -1, 3, -3, -3, -1, -4},
    {-1, -2, -3, -4, -1, -2, -3, -4, -3, 2, 4, -2, 2, 0, -3, -2, -1, -2, -1, 1, -4, -3, -1, -4},
    {-1, 2, 0, -1, -3, 1, 1, -2, -1, -3, -2, 5, -1, -3, -1, 0, -1, -3, -2, -2, 0, 1, -1, -4},
    {-1, -1, -2, -3, -1, 0, -2, -3, -2, 1, 2, -1, 5, 0, -2, -1, -1, -1, -1, 1, -3, -1, -1, -4},
    {-2, -3, -3, -3, -2, -3, -3, -3, -1, 0, 0, -3, 0, 6, -4, -2, -2, 1, 3, -1, -3, -3, -1, -4},
    {-1, -2, -2, -1, -3, -1, -1, -2, -2, -3, -3, -1, -2, -4, 7, -1, -1, -4, -3, -2, -2, -1, -2, -4},
    {1, -1, 1, 0, -1, 0, 0, 0, -1, -2, -2, 0, -1, -2, -1, 4, 1, -3, -2, -2, 0, 0, 0, -4},
    {0, -1, 0, -1, -1, -1, -1, -2, -2, -1, -1, -1, -1, -2, -1, 1, 5, -2, -2, 0, -1, -1, 0, -4},
    {-3, -3, -4, -4, -2, -2, -3, -2, -2, -3, -2, -3, -1, 1, -4, -3, -2, 11, 2, -3, -4, -3, -2, -4},
    {-2, -2, -2, -3, -2, -1, -2, -3, 2, -1, -1, -2, -1, 3, -3, -2, -2, 2, 7, -1, -3, -2, -1, -4},
    {0, -3, -3, -3, -1, -2, -2, -3, -3, 3, 1, -2, 1, -1, -2, -2, 0, -3, -1, 4, -3, -2, -1, -4},
    {-2, -1, 3, 4, -3, 0, 1, -1, 0, -3, -4, 0, -3, -3, -2, 0, -1, -4, -3, -3, 4, 1, -1, -4},
    {-1, 0, 0, 1, -3, 3, 4, -2, 0, -3, -3, 1, -1, -3, -1, 0, -1, -3, -2, -2, 1, 4, -1, -4},
    {0, -1, -1, -1, -2, -1, -1, -1, -1, -1, -1, -1, -1, -1, -2, 0, 0, -2, -1, -1, -1, -1, -1, -4},
    {-4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, 1},
}};

// The bases each nucleotide code stands for (IUPAC), in the order
// ACGTRYMWSKDHVBN, as bit sets A=1, C=2, G=4, T=8.
constexpr std::array<unsigned, 15> kNucBases = {1, 2, 4, 8, 1 | 4, 2 | 8, 1 | 2, 1 | 8, 2 | 4, 4 | 8,
                                                1 | 4 | 8, 1 | 2 | 8, 1 | 2 | 4, 2 | 4 | 8, 15};

int popcount(unsigned v)
{
    int n = 0;
    for (; v != 0; v &= v - 1)
        ++n;
    return n;
}

bool purine(unsigned b) { return b == 1 || b == 4; }

// Two codes score 10 times the chance that a base drawn from each is the
// same; with the transition bias a purine against a purine or a pyrimidine
// against a pyrimidine (a transition) scores half a match.
std::vector<std::int32_t> nucleotideMatrix(bool transitionBias)
{
    std::vector<std::int32_t> v;
    for (std::size_t k = 0; k < kNucBases.size(); ++k) {
        for (std::size_t l = 0; l <= k; ++l) {
            const unsigned a = kNucBases[k], b = kNucBases[l];
            double same = 0;
            double transitions = 0;
            for (unsigned x = 1; x <= 8; x <<= 1) {
                for (unsigned y = 1; y <= 8; y <<= 1) {
                    if ((a & x) == 0 || (b & y) == 0)
                        continue;
                    if (x == y)
                        same += 1;
                    else if (purine(x) == purine(y))
                        transitions += 1;
                }
            }
            const double pairs = popcount(a) * popcount(b);
            double score = 10.0 * same / pairs;
            if (transitionBias)
                score += 5.0 * transitions / pairs;
            v.push_back(static_cast<std::int32_t>(score + 0.5));
        }
    }
    return v;
}

std::vector<std::int32_t> triangle(const std::array<std::array<int, kAA>, kAA>& m)
{
    std::vector<std::int32_t> v;
    for (int k = 0; k < kAA; ++k)
        for (int l = 0; l <= k; ++l)
            v.push_back(m[static_cast<std::size_t>(k)][static_cast<std::size_t>(l)]);
    return v;
}

} // namespace

const std::vector<std::string>& SubMatListNames(SubMatKind kind)
{
    static const std::vector<std::string> protein = {
        "Blosum30", "Blosum35",   "Blosum40",   "Blosum45",   "Blosum50",        "Blosum55", "Blosum60",
        "Blosum62", "Blosum65",   "Blosum70",   "Blosum75",   "Blosum80",        "Blosum85", "Blosum90",
        "Blosum100", "BlosumN",   "Pam40",      "Pam120",     "Pam250",          "StadenPep1", "StadenPep2",
        "Structure-based", "Gonnet", "JTT92", "Johnson & Overington"};
    static const std::vector<std::string> nucleotide = {"Standard IUB", "Transition bias"};
    return kind == SubMatKind::AminoAcid ? protein : nucleotide;
}

std::vector<SubMatEntry> InstalledSubMats(SubMatKind kind)
{
    std::vector<SubMatEntry> entries(SubMatListNames(kind).size());
    if (kind == SubMatKind::AminoAcid) {
        entries[7] = {"Blosum62", triangle(kBlosum62)};
    } else {
        entries[0] = {"Standard IUB", nucleotideMatrix(false)};
        entries[1] = {"Transition bias", nucleotideMatrix(true)};
    }
    return entries;
}

std::string EncodeSubMatFile(SubMatKind kind)
{
    std::string bytes;
    for (const auto& e : InstalledSubMats(kind))
        bytes += EncodeSubMatRecord(kind, e.name, e.values);
    return bytes;
}

} // namespace sequence
