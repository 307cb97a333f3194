// Time and peak memory of the hierarchical clustering route: a seeded
// expression matrix with cluster structure (80 time points x N loci, loci as
// columns, as the clustering dialog lays it out), its distance matrix under
// the Euclidean and the 1 - Pearson measures, and the tree by average
// linkage (visiting order shuffled) and by single linkage, the distances
// computed in the tree's visiting order as the clustering dialog does.
//
// Usage: bench_clustering [N ...]   (default 2000 5000 10000 16000)
// Prints one line per run: N, measure, rule, distance seconds, tree seconds,
// peak resident memory and its ratio to one packed triangle plus the data.
// For average linkage it also times the peer on the same data, SciPy's pdist
// plus fastcluster on one core (bench/peers/clustering_peer.py, installed by
// bench/peers/install), and prints its distance and tree seconds and our
// total over its total; "-" where the peer is not installed.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "analysis/DistanceMatrix.h"
#include "analysis/Geometry.h"
#include "analysis/UPGMA.h"
#include "platform/runtime/Rnd.h"

#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"

namespace {

constexpr std::int32_t kTimePoints = 80;

struct PeerTime {
    double dist = -1;
    double tree = -1;
};

// Seconds of the peer's distances and tree on the loci of `data` (time
// points x loci); negative when it cannot be run.
PeerTime peerSeconds(const numeric::Matrix& data, std::int32_t n, const char* measure)
{
    const std::string path = "/tmp/bench_clustering_peer_" + std::to_string(n) + ".bin";
    {
        std::ofstream out(path, std::ios::binary);
        for (std::int32_t g = 0; g < n; ++g) {
            for (std::int32_t t = 0; t < kTimePoints; ++t) {
                const double v = data(static_cast<std::size_t>(t), static_cast<std::size_t>(g));
                out.write(reinterpret_cast<const char*>(&v), sizeof v);
            }
        }
    }
    const std::string command = "/usr/bin/python3 " TESSARAY_BENCH_DIR "/peers/clustering_peer.py " + path + " " +
                                std::to_string(n) + " " + std::to_string(kTimePoints) + " " + measure +
                                " 2>/dev/null";
    double dist = -1, tree = -1;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%lf %lf", &dist, &tree) != 2) {
            dist = tree = -1;
        }
        if (pclose(pipe) != 0) {
            dist = tree = -1;
        }
    }
    std::remove(path.c_str());
    return {dist, tree};
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv, "[N ...]\n  N  loci to cluster, from 2 to 100000 (default 2000 5000 10000 16000)\n");
    std::vector<std::int32_t> sizes;
    for (const long long n : args.numbers("N", 2, 100000)) {
        sizes.push_back(static_cast<std::int32_t>(n));
    }
    if (sizes.empty()) {
        sizes = {2000, 5000, 10000, 16000};
    }
    std::printf("%7s %-9s %-8s %10s %10s %10s %11s %8s %10s %10s %8s\n", "N", "measure", "rule", "dist s", "tree s",
                "total s", "peak MB", "ratio", "peer dist", "peer tree", "vs peer");
    for (const std::int32_t n : sizes) {
        const numeric::Matrix data = bench::expressionData(n, kTimePoints, 20261208U + static_cast<unsigned>(n), bench::Orientation::LociAsColumns);
        std::vector<std::string> names;
        for (std::int32_t g = 0; g < n; ++g) {
            names.push_back("g" + std::to_string(g));
        }
        const double triangle = static_cast<double>(analysis::DistanceMatrix::cellCount(n)) * sizeof(double);
        const double dataBytes = static_cast<double>(kTimePoints) * n * sizeof(double);
        for (const std::int16_t measure : {std::int16_t{1}, std::int16_t{6}}) {
            for (const std::int16_t rule : {std::int16_t{2}, std::int16_t{0}}) {
                // As the clustering dialog runs it: the visiting order drawn
                // first, the distances computed in it, the tree built on them.
                bench::resetPeak();
                platform::rt::RandomSource rng(n);
                auto start = std::chrono::steady_clock::now();
                const std::vector<std::int32_t> order = UPGMA::DrawVisitingOrder(n, rule != 0, &rng);
                analysis::DistanceMatrix d;
                Geometry::DisMatInOrder(measure, data, kTimePoints, n, true, order, d, nullptr);
                const double distTime = bench::seconds(start);
                start = std::chrono::steady_clock::now();
                auto root = UPGMA::BuildUpgmaTreeInOrder(std::move(d), n, rule, names, order);
                const double treeTime = bench::seconds(start);
                const double peak = bench::peakBytes();
                root.reset();
                const PeerTime peer =
                    rule == 2 ? peerSeconds(data, n, measure == 1 ? "euclidean" : "correlation") : PeerTime{};
                std::printf("%7d %-9s %-8s %10.3f %10.3f %10.3f %11.1f %8.3f", n,
                            measure == 1 ? "Euclid" : "1-Pearson", rule == 2 ? "average" : "single", distTime,
                            treeTime, distTime + treeTime, peak / 1048576.0, peak / (triangle + dataBytes));
                if (peer.dist >= 0) {
                    std::printf(" %10.3f %10.3f %8.3f\n", peer.dist, peer.tree,
                                (distTime + treeTime) / (peer.dist + peer.tree));
                } else {
                    std::printf(" %10s %10s %8s\n", "-", "-", "-");
                }
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
