// Wall time and final log-likelihood of the maximum-likelihood phylogeny
// engine on seeded simulated alignments (the two-class model with
// transition/transversion ratio 2, 1,000 sites) of 10, 20 and 40 species,
// default options. Prints one line per size, with the rounds of
// rearrangement the search ran.
//
// Usage: bench_dnaml [-t threads] [-m margin | -w] [-c seeds [-s first]] [species ...]
//   (default: every core; 10 20 40 species; 80 takes about half a minute on one core)
// -m sets the screening margin of rearrangements, -w smooths every
// rearranged tree whole. -c checks instead of timing: `seeds` alignments of
// each size (other seeds than the timed one; -s numbers the first), each
// searched with the margin and with -w; prints per alignment whether the
// tree texts, per-pattern and total log-likelihoods agree bit for bit.
// Where PhyML is installed (bench/peers/install) the same alignment is also
// given to it on one core (F84, ratio 2, one rate class, empirical
// frequencies, its default search) and its seconds and log-likelihood are
// printed beside ours.

#include "bench/BenchArgs.h"
#include "engines/dnaml/Dnaml.h"
#include "engines/dnaml/DnamlSearch.h"

#include <array>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

struct Edge {
    int parent, child;
    double t;
};

// A random rooted binary tree: species are attached one by one to a
// randomly chosen existing edge.
std::vector<Edge> randomTree(int species, std::mt19937_64& rng)
{
    std::uniform_real_distribution<double> len(0.02, 0.15);
    int nextInner = species;
    const int root = nextInner++;
    std::vector<Edge> edges{{root, 0, len(rng)}, {root, 1, len(rng)}};
    for (int s = 2; s < species; ++s) {
        std::uniform_int_distribution<std::size_t> pick(0, edges.size() - 1);
        const Edge old = edges[pick(rng)];
        const int mid = nextInner++;
        for (auto& e : edges)
            if (e.parent == old.parent && e.child == old.child)
                e = {old.parent, mid, old.t / 2};
        edges.push_back({mid, old.child, old.t / 2});
        edges.push_back({mid, s, len(rng)});
    }
    return edges;
}

std::string simulate(int species, int sites, uint64_t seed)
{
    std::mt19937_64 rng(seed);
    const std::array<double, 4> pi{0.3, 0.2, 0.2, 0.3};
    // Ratio 2: xi and xv of the model for these frequencies.
    const double fR = pi[0] + pi[2], fY = pi[1] + pi[3];
    const double x = fR * fY * 2.0 - (pi[0] * pi[2] + pi[1] * pi[3]);
    const double y = pi[1] * pi[3] / fY + pi[0] * pi[2] / fR;
    const double xv = 1.0 - x / (x + y);
    auto edges = randomTree(species, rng);
    // Parents come before children in this order.
    std::vector<std::array<std::array<double, 4>, 4>> p(edges.size());
    for (std::size_t k = 0; k < edges.size(); ++k) {
        const double kv = std::exp(-edges[k].t), ki = std::exp(-xv * edges[k].t);
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                const bool same = (i % 2) == (j % 2);
                p[k][i][j] = (i == j ? kv : 0.0) + (same ? (ki - kv) * pi[j] / (i % 2 == 0 ? fR : fY) : 0.0) +
                             (1.0 - ki) * pi[j];
            }
    }
    std::uniform_real_distribution<double> u(0, 1);
    auto draw = [&](const std::array<double, 4>& probs) {
        double r = u(rng);
        for (int b = 0; b < 3; ++b) {
            if (r < probs[b])
                return b;
            r -= probs[b];
        }
        return 3;
    };
    std::vector<std::string> seqs(static_cast<std::size_t>(species));
    std::vector<int> state(edges.size() + static_cast<std::size_t>(species) + 2);
    for (int site = 0; site < sites; ++site) {
        state[static_cast<std::size_t>(species)] = draw(pi);
        // Edges in creation order may list a child's edge before its parent's;
        // repeat until every node has a state.
        std::vector<bool> known(state.size(), false);
        known[static_cast<std::size_t>(species)] = true;
        for (bool changed = true; changed;) {
            changed = false;
            for (std::size_t k = 0; k < edges.size(); ++k) {
                const auto& e = edges[k];
                if (known[static_cast<std::size_t>(e.parent)] && !known[static_cast<std::size_t>(e.child)]) {
                    state[static_cast<std::size_t>(e.child)] = draw(p[k][static_cast<std::size_t>(state[static_cast<std::size_t>(e.parent)])]);
                    known[static_cast<std::size_t>(e.child)] = true;
                    changed = true;
                }
            }
        }
        for (int s = 0; s < species; ++s)
            seqs[static_cast<std::size_t>(s)].push_back("ACGT"[state[static_cast<std::size_t>(s)]]);
    }
    std::string text = std::to_string(species) + " " + std::to_string(sites) + "\n";
    for (int s = 0; s < species; ++s) {
        std::string name = "Sp" + std::to_string(s + 1);
        name.resize(10, ' ');
        text += name + seqs[static_cast<std::size_t>(s)] + "\n";
    }
    return text;
}

struct PeerRun {
    double seconds = -1;
    double lnL = 0;
};

// Runs PhyML on the alignment (our input is sequential PHYLIP text already).
PeerRun runPeer(const std::string& input, int species)
{
    PeerRun peer;
    char dir[] = "/tmp/bench_dnaml_peer_XXXXXX";
    if (mkdtemp(dir) == nullptr)
        return peer;
    const std::string file = std::string(dir) + "/aln" + std::to_string(species) + ".phy";
    std::ofstream(file) << input;
    const std::string command = "PHYMLCPUS=1 phyml -i " + file +
                                " -d nt -m F84 -t 2 -c 1 -f e -b 0 -o tlr --quiet --no_memory_check >/dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::ifstream stats(file + "_phyml_stats.txt");
    std::string line;
    while (status == 0 && std::getline(stats, line)) {
        const auto at = line.find("Log-likelihood:");
        if (at != std::string::npos) {
            peer.lnL = std::atof(line.c_str() + at + 15);
            peer.seconds = seconds;
        }
    }
    std::system(("rm -rf " + std::string(dir)).c_str());
    return peer;
}

// The check of -c: each alignment searched with the margin in force and
// with every rearranged tree smoothed whole; prints whether the tree texts
// (topology and every printed length) and the log-likelihoods agree.
void check(const std::vector<int>& sizes, int firstSeed, int seeds)
{
    std::printf("species  seed  screened s  whole s  same tree  log-likelihood (screened)  difference\n");
    const double margin = tallowin::dnaml::screenMargin();
    int differing = 0;
    for (int species : sizes)
        for (int seed = firstSeed; seed < firstSeed + seeds; ++seed) {
            const std::string input = simulate(species, 1000, 20261208u + static_cast<uint64_t>(species) +
                                                                  7919u * static_cast<uint64_t>(seed));
            tallowin::dnaml::setScreenMargin(margin);
            auto start = std::chrono::steady_clock::now();
            const auto screened = tallowin::dnaml::run(input, {});
            const double screenedSeconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            tallowin::dnaml::setScreenMargin(std::numeric_limits<double>::infinity());
            start = std::chrono::steady_clock::now();
            const auto whole = tallowin::dnaml::run(input, {});
            const double wholeSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const bool sameTree = screened.treeText == whole.treeText;
            const bool same = sameTree && screened.lnL == whole.lnL && screened.patternLnL == whole.patternLnL &&
                              screened.code == whole.code;
            differing += same ? 0 : 1;
            std::printf("%7d  %4d  %10.2f  %7.2f  %9s  %25.6f  %.3g\n", species, seed, screenedSeconds, wholeSeconds,
                        sameTree ? "yes" : "NO", screened.lnL, screened.lnL - whole.lnL);
            std::fflush(stdout);
        }
    tallowin::dnaml::setScreenMargin(margin);
    std::printf("%d of %zu searches differ in any bit\n", differing, sizes.size() * static_cast<std::size_t>(seeds));
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv,
                     "[-t threads] [-m margin | -w] [-c seeds [-s first]] [species ...]\n"
                     "  threads  search threads, 0 for one per core (the default)\n"
                     "  margin   screening margin of rearrangements in log units (default 5);\n"
                     "           -w smooths every rearranged tree whole\n"
                     "  seeds    check instead of timing: that many alignments of each size, each\n"
                     "           searched with the margin and with -w, the results compared;\n"
                     "           first: the number of the first seed (default 1)\n"
                     "  species  species of each simulated alignment, from 4 to 200 (default 10 20 40)\n");
    std::vector<int> sizes;
    int seeds = 0;
    int firstSeed = 1;
    while (!args.done()) {
        if (args.flag("-t"))
            tallowin::dnaml::setSearchThreads(static_cast<unsigned>(args.number("threads", 0, 1024)));
        else if (args.flag("-m"))
            tallowin::dnaml::setScreenMargin(static_cast<double>(args.number("margin", 0, 1000000)));
        else if (args.flag("-w"))
            tallowin::dnaml::setScreenMargin(std::numeric_limits<double>::infinity());
        else if (args.flag("-c"))
            seeds = static_cast<int>(args.number("seeds", 1, 100));
        else if (args.flag("-s"))
            firstSeed = static_cast<int>(args.number("first seed", 1, 1000));
        else
            sizes.push_back(static_cast<int>(args.number("species", 4, 200)));
    }
    if (sizes.empty())
        sizes = {10, 20, 40};
    std::printf("threads: %u  screening margin: %g\n", tallowin::dnaml::searchThreads(),
                tallowin::dnaml::screenMargin());
    if (seeds > 0) {
        check(sizes, firstSeed, seeds);
        return 0;
    }
    std::printf("species  sites  patterns  rounds  seconds  log-likelihood     peer s  peer log-likelihood\n");
    for (int species : sizes) {
        const std::string input = simulate(species, 1000, 20261208u + static_cast<uint64_t>(species));
        const auto start = std::chrono::steady_clock::now();
        const auto result = tallowin::dnaml::run(input, {});
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%7d  %5d  %8d  %6d  %7.2f  %.6f%s", species, 1000, result.patternCount, result.rounds, seconds,
                    result.lnL,
                    result.code == tallowin::dnaml::ResultCode::Success ? "" : "  (failed)");
        std::fflush(stdout);
        const PeerRun peer = runPeer(input, species);
        if (peer.seconds >= 0)
            std::printf("  %9.2f  %.6f\n", peer.seconds, peer.lnL);
        else
            std::printf("  %9s  -\n", "-");
        std::fflush(stdout);
    }
    return 0;
}
