// Time of the partitioning and ordination routes on a seeded expression
// matrix with cluster structure: k-means (k = 20, squared differences and
// 1 - Pearson), the self-organising map (20 nodes, a 5 x 4 grid's worth, as
// the clustering dialog calls it), principal components of the correlation
// matrix, and correspondence analysis of a count table, with the peak
// resident memory of the last.
//
// Then the rows timed against the peers a user would pick instead: principal
// components with 10 scores and k-means with k = 20 on 12,625 loci x 128
// points, best of three, beside NumPy (covariance and eigh) and scikit-learn
// (k-means from one start) on one core with the same data
// (bench/peers/partition_peer.py; "-" where a peer is not installed).
//
// Usage: bench_partition [loci]   (default 10000)
// Prints one line per run: route, size, seconds (and bytes for the table).

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/MultiVar.h"
#include "analysis/SOM.h"
#include "analysis/mCluster.h"
#include "platform/runtime/Rnd.h"

#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"

namespace {

// Best of three runs of work, in seconds.
template <class F>
double bestOfThree(F&& work)
{
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        const double s = bench::seconds(work);
        best = run == 0 ? s : std::min(best, s);
    }
    return best;
}

// The peers' PCA and k-means seconds on data (loci as rows); the text
// "-" for a peer that cannot be run.
std::pair<std::string, std::string> peerSeconds(const numeric::Matrix& data, std::int32_t k)
{
    const std::string path = "/tmp/bench_partition_peer.bin";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()),
                  static_cast<std::streamsize>(data.rows() * data.cols() * sizeof(double)));
    }
    const std::string command = "/usr/bin/python3 " TESSARAY_BENCH_DIR "/peers/partition_peer.py " + path + " " +
                                std::to_string(data.rows()) + " " + std::to_string(data.cols()) + " " +
                                std::to_string(k) + " 2>/dev/null";
    std::pair<std::string, std::string> out{"-", "-"};
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char pca[64] = {};
        char kmeans[64] = {};
        if (std::fscanf(pipe, "%63s %63s", pca, kmeans) == 2) {
            out = {pca, kmeans};
        }
        if (pclose(pipe) != 0) {
            out = {"-", "-"};
        }
    }
    std::remove(path.c_str());
    return out;
}

std::string ratio(double ours, const std::string& peer)
{
    const double p = std::atof(peer.c_str());
    if (peer == "-" || !(p > 0)) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ours / p);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv, "[loci]\n  loci  loci of the seeded matrix, from 20 to 100000 (default 10000)\n");
    const auto loci = static_cast<std::int32_t>(args.done() ? 10000 : args.number("loci", 20, 100000));
    args.finish();
    const std::int32_t points = 80;
    const numeric::Matrix data = bench::expressionData(loci, points, 7, bench::Orientation::LociAsRows);

    for (const std::uint8_t index : {std::uint8_t{0}, std::uint8_t{6}}) {
        std::vector<std::int32_t> group, sizes;
        std::vector<double> errors;
        const auto start = std::chrono::steady_clock::now();
        const bool settled = mCluster::KMeanClustering(data, points, loci, 20, index, group, sizes, errors, nullptr);
        std::printf("k-means  %d x %d  k=20 index %d  %.3f s  settled %d  global error %.4f\n", loci, points,
                    static_cast<int>(index), bench::seconds(start), settled ? 1 : 0, errors.back());
    }

    {
        platform::rt::RandomSource rng(1);
        std::vector<std::int32_t> group, sizes;
        std::vector<double> fit;
        std::int32_t clusters = 0;
        std::string report;
        const auto start = std::chrono::steady_clock::now();
        (void)SOM::SOMClustering(data, loci, points, 0.9, 0.01, 40, 1, 20, group, clusters, fit, sizes, report,
                                 nullptr, &rng);
        std::printf("map      %d x %d  20 nodes       %.3f s  clusters %d\n", loci, points, bench::seconds(start), clusters);
    }

    {
        numeric::Matrix work = data;
        numeric::Matrix scores, evecs;
        std::vector<double> evals;
        std::vector<std::string> labels;
        for (std::int32_t j = 0; j < points; ++j) {
            labels.push_back("T" + std::to_string(j + 1));
        }
        std::string report;
        const auto start = std::chrono::steady_clock::now();
        MultiVar::DoPCA(work, loci, points, {}, labels, true, scores, 3, evals, evecs, nullptr, false, {}, &report);
        std::printf("PCA      %d x %d  correlation    %.3f s  first eigenvalue %.4f\n", loci, points, bench::seconds(start),
                    evals[0]);
    }

    {
        const std::int32_t cols = 20;
        std::mt19937_64 gen(3);
        std::poisson_distribution<int> count(12);
        numeric::Matrix table(static_cast<std::size_t>(loci), static_cast<std::size_t>(cols));
        for (std::size_t i = 0; i < table.rows(); ++i) {
            for (std::size_t j = 0; j < table.cols(); ++j) {
                table(i, j) = count(gen) + 1 + static_cast<double>((i % 5) * j % 7);
            }
        }
        numeric::Matrix M, U, V, rowOrd, colOrd;
        std::vector<double> eigenvalues, corr;
        bench::resetPeak();
        const double before = bench::peakBytes();
        const auto start = std::chrono::steady_clock::now();
        (void)MultiVar::RA(table, loci, cols, M, eigenvalues, U, V, rowOrd, colOrd, corr, nullptr);
        const double elapsed = bench::seconds(start);
        const double peak = bench::peakBytes();
        std::printf("CA       %d x %d  count table    %.3f s  peak %.1f MB (%.1f MB above the table)  "
                    "second eigenvalue %.5f\n",
                    loci, cols, elapsed, peak / 1e6, (peak - before) / 1e6, eigenvalues[1]);
    }

    {
        constexpr std::int32_t kLoci = 12625;
        constexpr std::int32_t kPoints = 128;
        constexpr std::int32_t kGroups = 20;
        const numeric::Matrix peerData = bench::expressionData(kLoci, kPoints, 12625, bench::Orientation::LociAsRows);
        std::vector<std::string> labels;
        for (std::int32_t j = 0; j < kPoints; ++j) {
            labels.push_back("T" + std::to_string(j + 1));
        }
        double firstEigenvalue = 0;
        const double pca = bestOfThree([&] {
            numeric::Matrix work = peerData;
            numeric::Matrix scores, evecs;
            std::vector<double> evals;
            MultiVar::DoPCA(work, kLoci, kPoints, {}, labels, true, scores, 10, evals, evecs, nullptr, false, {},
                            nullptr);
            firstEigenvalue = evals[0];
        });
        double globalError = 0;
        const double kmeans = bestOfThree([&] {
            std::vector<std::int32_t> group, sizes;
            std::vector<double> errors;
            (void)mCluster::KMeanClustering(peerData, kPoints, kLoci, kGroups, 0, group, sizes, errors, nullptr);
            globalError = errors.back();
        });
        const auto [peerPca, peerKMeans] = peerSeconds(peerData, kGroups);
        std::printf("PCA      %d x %d  10 scores      %.3f s  peer %s s  ratio %s  first eigenvalue %.4f\n", kLoci,
                    kPoints, pca, peerPca.c_str(), ratio(pca, peerPca).c_str(), firstEigenvalue);
        std::printf("k-means  %d x %d  k=20 index 0   %.3f s  peer %s s  ratio %s  global error %.4f\n", kLoci,
                    kPoints, kmeans, peerKMeans.c_str(), ratio(kmeans, peerKMeans).c_str(), globalError);
    }
    return 0;
}
