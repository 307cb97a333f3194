// Time and peak memory of the contig assembly engine on seeded reads. Prints
// its figures; asserts nothing.
//
// Scenarios:
// - 400 reads of 400 to 700 bases cut from a random 20,000-base genome, half
//   of them reverse complemented, with 1% errors (substitutions, insertions
//   and deletions in equal parts), written once in RNA letters (U) and once in
//   DNA letters (T);
// - the same kind of reads from a genome that holds one 1,000-base stretch
//   twice: every contig must still match one stretch of the genome;
// - two reads of 20,000 and of 40,000 bases overlapping by a quarter.
//
// Each scenario runs in a child process so that its peak memory is its own.
// Every contig is compared with the genome (fewest edits against a stretch of
// either strand): a contig joined across unrelated places of the genome shows
// as one far from every stretch.

#include "engines/cap/Assembler.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>
#include "tests/engines/cap/CapTestSupport.h"
#include "bench/BenchArgs.h"

namespace {

constexpr char Letters[] = "ACGU";

// Fewest edits (substitutions, insertions, deletions) that turn `text` into
// some stretch of `genome`.
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

std::string randomGenome(std::mt19937& rng, int length)
{
    std::uniform_int_distribution<int> letter(0, 3);
    std::string genome(static_cast<std::size_t>(length), 'A');
    for (char& c : genome)
        c = Letters[letter(rng)];
    return genome;
}

struct Reads {
    std::string sequences;
    std::string names;
    int count = 0;
};

// `count` reads of `shortest`..`longest` bases at random places, every second
// one reverse complemented, with `errorRate` errors per base.
Reads simulate(std::mt19937& rng, const std::string& genome, int count, int shortest, int longest, double errorRate)
{
    Reads out;
    std::uniform_int_distribution<int> letter(0, 3);
    std::uniform_int_distribution<int> readLength(shortest, longest);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    const int genomeLength = static_cast<int>(genome.size());
    for (int k = 0; k < count; ++k) {
        const int length = readLength(rng);
        const int start = std::uniform_int_distribution<int>(0, genomeLength - length)(rng);
        std::string read;
        for (int i = start; i < start + length; ++i) {
            const char c = genome[static_cast<std::size_t>(i)];
            if (chance(rng) >= errorRate) {
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
        out.sequences += (k > 0 ? " " : "") + read;
        out.names += (k > 0 ? " >r" : ">r") + std::to_string(k);
        ++out.count;
    }
    return out;
}

std::vector<std::string> contigsOf(const std::string& consensus)
{
    std::vector<std::string> out;
    for (std::size_t begin = 0; begin < consensus.size();) {
        std::size_t end = consensus.find(';', begin + 1);
        if (end == std::string::npos)
            end = consensus.size();
        out.push_back(consensus.substr(begin + 1, end - begin - 1));
        begin = end;
    }
    return out;
}

// Runs one assembly and prints time, contigs and their distance from the
// genome.
void assembleAndReport(const Reads& reads, const tallowin::cap::Parameters& p, const std::string& genome)
{
    tallowin::NullProgress progress;
    const auto t0 = std::chrono::steady_clock::now();
    const tallowin::cap::Assembly a = tallowin::cap::assemble(reads.sequences, reads.names, reads.count, p, progress);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("  result %s, %d contigs, time %.3f s\n", a.ok ? "ok" : "FAILED", a.contigCount, elapsed);
    if (!a.ok)
        std::printf("  messages: %s", a.messages.c_str());
    const std::string reverse = captest::reverseComplement(genome);
    int far = 0;
    for (const std::string& contig : contigsOf(a.consensus)) {
        const bool exact = genome.find(contig) != std::string::npos || reverse.find(contig) != std::string::npos;
        const std::size_t edits =
            exact ? 0 : std::min(editsAgainst(contig, genome), editsAgainst(contig, reverse));
        const double identity = contig.empty() ? 0.0 : 100.0 * (1.0 - static_cast<double>(edits) / contig.size());
        const bool misjoined = identity < 98.0;
        far += misjoined ? 1 : 0;
        std::printf("    contig of %zu bases: %zu edits from the genome, %.2f%% identity%s\n", contig.size(), edits,
                    identity, misjoined ? "  MISJOINED" : "");
    }
    std::printf("  contigs far from every stretch of the genome (below 98%% identity): %d\n", far);
}

// Runs `scenario` in a child process and prints the child's peak memory.
void inChild(const char* title, const std::function<void()>& scenario)
{
    std::printf("%s\n", title);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        scenario();
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::printf("  peak resident memory %.1f MiB\n\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
}

std::string toDnaLetters(std::string text)
{
    std::replace(text.begin(), text.end(), 'U', 'T');
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args(argc, argv, "\n  Times contig assembly of seeded reads, with peak memory; takes no arguments.\n").finish();
    tallowin::cap::Parameters p = captest::typicalParameters();
    p.clearStart = 21;
    p.clearEnd = 380;
    p.minOverlap = 30;
    p.minEndScore = 100;

    std::mt19937 rng(20000);
    const std::string genome = randomGenome(rng, 20000);
    const Reads reads = simulate(rng, genome, 400, 400, 700, 0.01);

    inChild("400 reads of 400-700 bases from a 20,000-base genome, 1% errors, both strands, in U letters",
            [&] { assembleAndReport(reads, p, genome); });
    inChild("the same reads in T letters", [&] {
        Reads dna = reads;
        dna.sequences = toDnaLetters(dna.sequences);
        assembleAndReport(dna, p, genome);
    });

    // A 20,000-base genome holding the 1,000 bases at 5,000 again at 13,000.
    std::mt19937 repeatRng(20001);
    std::string repeated = randomGenome(repeatRng, 20000);
    repeated.replace(13000, 1000, repeated.substr(5000, 1000));
    const Reads repeatReads = simulate(repeatRng, repeated, 400, 400, 700, 0.01);
    inChild("400 reads from a 20,000-base genome holding a 1,000-base stretch twice",
            [&] { assembleAndReport(repeatReads, p, repeated); });

    // Two long reads sharing a quarter of their length, at two lengths: the
    // peak memory grows with the length, not with its square.
    for (const int length : {20000, 40000}) {
        std::mt19937 longRng(20002);
        const int shared = length / 4;
        const std::string longGenome = randomGenome(longRng, 2 * length - shared);
        Reads longReads;
        longReads.sequences = longGenome.substr(0, static_cast<std::size_t>(length)) + " "
            + captest::reverseComplement(longGenome.substr(static_cast<std::size_t>(length - shared)));
        longReads.names = ">long1 >long2";
        longReads.count = 2;
        const std::string title = "two reads of " + std::to_string(length) + " bases overlapping by "
            + std::to_string(shared) + " (the second reversed)";
        inChild(title.c_str(), [&] { assembleAndReport(longReads, captest::typicalParameters(), longGenome); });
    }
    return 0;
}
