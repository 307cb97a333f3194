// Time of the multiple alignment export on seeded sets of related DNA
// sequences of about 1,000 bases (substitutions and short indels), as the
// program calls it. Prints one line per set size; never asserts.

#include "bench/BenchArgs.h"
#include "engines/map/MapExports.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> relatedSet(std::size_t count, std::size_t length, unsigned seed)
{
    std::mt19937 rng(seed);
    const char* bases = "ACGT";
    std::string ancestor(length, 'A');
    for (auto& c : ancestor)
        c = bases[rng() % 4];
    std::vector<std::string> set;
    for (std::size_t k = 0; k < count; ++k) {
        std::string s;
        for (char c : ancestor) {
            const unsigned roll = rng() % 1000;
            if (roll < 60)
                s.push_back(bases[rng() % 4]); // substitution
            else if (roll < 70)
                continue;                      // deletion
            else if (roll < 80)
                s.push_back(c), s.push_back(bases[rng() % 4]); // insertion
            else
                s.push_back(c);
        }
        set.push_back(s);
    }
    return set;
}

// Seconds of the peer aligning `set`; negative when it cannot be run.
double peerSeconds(const std::vector<std::string>& set)
{
    const std::string path = "/tmp/bench_multiple_alignment_peer.fa";
    {
        std::ofstream out(path);
        for (std::size_t k = 0; k < set.size(); ++k)
            out << ">s" << k << "\n" << set[k] << "\n";
    }
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(("mafft --auto --thread 1 --quiet " + path + " > /dev/null 2>&1").c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::remove(path.c_str());
    return status == 0 ? seconds : -1;
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv, "[N ...]\n  N  sequences of each related set, from 2 to 2000 (default 10 50 200)\n");
    std::vector<std::size_t> sizes{10, 50, 200};
    if (!args.done()) {
        sizes.clear();
        for (const long long n : args.numbers("N", 2, 2000))
            sizes.push_back(static_cast<std::size_t>(n));
    }
    for (std::size_t n : sizes) {
        const auto set = relatedSet(n, 1000, 20261208u + static_cast<unsigned>(n));
        std::string names, seqs;
        std::size_t longest = 0;
        for (std::size_t k = 0; k < n; ++k) {
            names += (k ? " " : "") + std::string("\x01") + std::to_string(k);
            seqs += (k ? " " : "") + set[k];
            longest = std::max(longest, set[k].size());
        }
        std::string messages(4096, ' ');
        std::string output(3 * n * longest + 1, ' ');
        std::vector<int32_t> order(n);
        const auto start = std::chrono::steady_clock::now();
        const int32_t result = mapMainDll(names.c_str(), static_cast<int32_t>(names.size()), seqs.c_str(),
                                          static_cast<int32_t>(seqs.size()), static_cast<int32_t>(n), 10, -5, 10, 10,
                                          4, 0, "", 0, nullptr, messages.data(), output.data(), order.data());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const std::size_t columns = output.find(';');
        std::printf("mapMainDll: %3zu sequences x ~1000 bases: %8.3f s, result %d, %zu columns, peak RSS %ld KiB", n,
                    seconds, result, columns, usage.ru_maxrss);
        const double peer = n <= 50 ? peerSeconds(set) : -1;
        if (peer > 0)
            std::printf(", peer %.3f s, ratio %.3f\n", peer, seconds / peer);
        else
            std::printf(", peer -\n");
        std::fflush(stdout);
    }
    return 0;
}
