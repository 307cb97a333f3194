// Time and peak memory of the contig assembly engine on seeded reads: 400
// reads of 400 to 700 bases cut from a random 20,000-base genome, half of them
// reverse complemented, with 1% errors (substitutions, insertions and
// deletions in equal parts). Prints its figures; asserts nothing.

#include "engines/cap/Assembler.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>
#include "tests/engines/cap/CapTestSupport.h"

namespace {

constexpr int GenomeLength = 20000;
constexpr int ReadCount = 400;
constexpr int ShortestRead = 400;
constexpr int LongestRead = 700;
constexpr double ErrorRate = 0.01;
constexpr unsigned Seed = 20000;

constexpr char Letters[] = "ACGU";

// Fewest edits (substitutions, insertions, deletions) that turn `text` into
// some stretch of `genome`: how far a consensus is from the truth.
std::size_t editsAgainst(const std::string& text, const std::string& genome)
{
    std::vector<std::size_t> previous(genome.size() + 1, 0);
    std::vector<std::size_t> current(genome.size() + 1, 0);
    for (std::size_t i = 1; i <= text.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= genome.size(); ++j) {
            current[j] = std::min({previous[j - 1] + (text[i - 1] != genome[j - 1] ? 1 : 0), previous[j] + 1,
                                   current[j - 1] + 1});
        }
        std::swap(previous, current);
    }
    return *std::min_element(previous.begin(), previous.end());
}

long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // KiB on Linux
}

} // namespace

int main()
{
    std::mt19937 rng(Seed);
    std::uniform_int_distribution<int> letter(0, 3);
    std::string genome(GenomeLength, 'A');
    for (char& c : genome)
        c = Letters[letter(rng)];

    std::string sequences;
    std::string names;
    std::uniform_int_distribution<int> readLength(ShortestRead, LongestRead);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    for (int k = 0; k < ReadCount; ++k) {
        const int length = readLength(rng);
        const int start = std::uniform_int_distribution<int>(0, GenomeLength - length)(rng);
        std::string read;
        for (int i = start; i < start + length; ++i) {
            const char c = genome[static_cast<std::size_t>(i)];
            if (chance(rng) >= ErrorRate) {
                read += c;
                continue;
            }
            switch (letter(rng) % 3) {
            case 0: // substitution
                read += Letters[(std::string("ACGU").find(c) + 1 + static_cast<std::size_t>(letter(rng) % 3)) % 4];
                break;
            case 1: // insertion
                read += c;
                read += Letters[letter(rng)];
                break;
            default: // deletion
                break;
            }
        }
        if (k % 2 == 1)
            read = captest::reverseComplement(read);
        sequences += (k > 0 ? " " : "") + read;
        names += (k > 0 ? " >r" : ">r") + std::to_string(k);
    }

    tallowin::cap::Parameters p = captest::typicalParameters();
    p.clearStart = 21;
    p.clearEnd = 380;
    p.minOverlap = 30;
    p.minEndScore = 100;

    const long before = peakResidentKiB();
    tallowin::NullProgress progress;
    const auto t0 = std::chrono::steady_clock::now();
    const tallowin::cap::Assembly a = tallowin::cap::assemble(sequences, names, ReadCount, p, progress);
    const auto t1 = std::chrono::steady_clock::now();
    const long after = peakResidentKiB();

    std::string longest;
    for (std::size_t begin = 0; begin < a.consensus.size();) {
        std::size_t end = a.consensus.find(';', begin + 1);
        if (end == std::string::npos)
            end = a.consensus.size();
        if (end - begin - 1 > longest.size())
            longest = a.consensus.substr(begin + 1, end - begin - 1);
        begin = end;
    }
    // The contig may come out as either strand of the genome.
    const std::size_t edits =
        std::min(editsAgainst(longest, genome), editsAgainst(longest, captest::reverseComplement(genome)));
    std::printf("contig assembly: %d reads of %d-%d bases from a %d-base genome, %.0f%% errors, both strands\n",
                ReadCount, ShortestRead, LongestRead, GenomeLength, ErrorRate * 100);
    std::printf("  result %s, %d contigs, longest consensus %zu bases, %zu edits from the genome\n",
                a.ok ? "ok" : "FAILED", a.contigCount, longest.size(), edits);
    std::printf("  time %.3f s\n", std::chrono::duration<double>(t1 - t0).count());
    std::printf("  peak resident memory %.1f MiB (%.1f MiB before the call)\n", static_cast<double>(after) / 1024.0,
                static_cast<double>(before) / 1024.0);
    return a.ok ? 0 : 1;
}
