// Quality of the k-means partition (squared differences), not its speed:
//  1. Seeded data with well separated clusters, rows in random order: is the
//     partition the true one (up to the numbering of the clusters)?
//  2. Seeded expression data (k = 20): the within-cluster sum of squares of
//     KMeanClustering against a plain batch k-means (Lloyd's algorithm:
//     assign every row to its nearest mean, then recompute all means, until no
//     row changes) run from the same initial blocks, and the share of rows
//     left nearer another cluster's mean than their own.
//
// Usage: bench_kmeans_quality [loci]   (default 12625)
// Prints one line per data set.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include "analysis/mCluster.h"

#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"

namespace {

using Groups = std::vector<std::int32_t>;

std::size_t at(std::int32_t i)
{
    return static_cast<std::size_t>(i);
}

numeric::Matrix meansOf(const numeric::Matrix& data, const Groups& group, std::int32_t k)
{
    numeric::Matrix mean(at(k), data.cols());
    std::vector<double> size(at(k), 0);
    for (std::size_t i = 0; i < data.rows(); ++i) {
        const std::size_t g = at(group[i]);
        size[g] += 1;
        for (std::size_t j = 0; j < data.cols(); ++j) {
            mean(g, j) += data(i, j);
        }
    }
    for (std::size_t g = 0; g < at(k); ++g) {
        for (std::size_t j = 0; j < data.cols(); ++j) {
            mean(g, j) = size[g] > 0 ? mean(g, j) / size[g] : 0;
        }
    }
    return mean;
}

double squaredDistance(const numeric::Matrix& data, std::size_t i, const numeric::Matrix& mean, std::size_t g)
{
    double s = 0;
    for (std::size_t j = 0; j < data.cols(); ++j) {
        const double d = data(i, j) - mean(g, j);
        s += d * d;
    }
    return s;
}

double withinSumOfSquares(const numeric::Matrix& data, const Groups& group, std::int32_t k)
{
    const numeric::Matrix mean = meansOf(data, group, k);
    double total = 0;
    for (std::size_t i = 0; i < data.rows(); ++i) {
        total += squaredDistance(data, i, mean, at(group[i]));
    }
    return total;
}

// Share of rows strictly nearer another cluster's mean than their own.
double misplacedShare(const numeric::Matrix& data, const Groups& group, std::int32_t k)
{
    const numeric::Matrix mean = meansOf(data, group, k);
    std::size_t misplaced = 0;
    for (std::size_t i = 0; i < data.rows(); ++i) {
        const double own = squaredDistance(data, i, mean, at(group[i]));
        for (std::size_t g = 0; g < at(k); ++g) {
            if (squaredDistance(data, i, mean, g) < own) {
                ++misplaced;
                break;
            }
        }
    }
    return static_cast<double>(misplaced) / static_cast<double>(data.rows());
}

// The same consecutive blocks KMeanClustering starts from.
Groups initialBlocks(std::int32_t nRow, std::int32_t k)
{
    Groups group(at(nRow));
    const std::int32_t m = nRow / k;
    for (std::int32_t i = 0; i < nRow; ++i) {
        group[at(i)] = std::min(i / m, k - 1);
    }
    return group;
}

// Lloyd's batch k-means from the given partition; an emptied cluster keeps
// its last mean. Returns the number of iterations.
int lloyd(const numeric::Matrix& data, Groups& group, std::int32_t k, int maxIterations)
{
    numeric::Matrix mean = meansOf(data, group, k);
    for (int iteration = 1; iteration <= maxIterations; ++iteration) {
        bool changed = false;
        for (std::size_t i = 0; i < data.rows(); ++i) {
            std::size_t best = 0;
            double bestD = std::numeric_limits<double>::infinity();
            for (std::size_t g = 0; g < at(k); ++g) {
                const double d = squaredDistance(data, i, mean, g);
                if (d < bestD) {
                    bestD = d;
                    best = g;
                }
            }
            if (group[i] != static_cast<std::int32_t>(best)) {
                group[i] = static_cast<std::int32_t>(best);
                changed = true;
            }
        }
        if (!changed) {
            return iteration;
        }
        const numeric::Matrix next = meansOf(data, group, k);
        for (std::size_t g = 0; g < at(k); ++g) {
            bool empty = true;
            for (std::size_t i = 0; i < data.rows() && empty; ++i) {
                empty = group[i] != static_cast<std::int32_t>(g);
            }
            if (!empty) {
                for (std::size_t j = 0; j < data.cols(); ++j) {
                    mean(g, j) = next(g, j);
                }
            }
        }
    }
    return maxIterations;
}

// True when the two partitions are the same up to the numbering of groups.
bool samePartition(const Groups& a, const Groups& b)
{
    std::map<std::int32_t, std::int32_t> ab, ba;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto [x, newX] = ab.emplace(a[i], b[i]);
        const auto [y, newY] = ba.emplace(b[i], a[i]);
        if (x->second != b[i] || y->second != a[i]) {
            return false;
        }
    }
    return true;
}

void separatedClusters(unsigned seed, std::int32_t k, std::int32_t nRow, std::int32_t nCol)
{
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> normal(0, 1);
    std::uniform_int_distribution<std::int32_t> pick(0, k - 1);
    numeric::Matrix centre(at(k), at(nCol));
    for (std::size_t g = 0; g < at(k); ++g) {
        for (std::size_t j = 0; j < at(nCol); ++j) {
            centre(g, j) = 20 * normal(gen);
        }
    }
    numeric::Matrix data(at(nRow), at(nCol));
    Groups truth(at(nRow));
    for (std::size_t i = 0; i < at(nRow); ++i) {
        truth[i] = pick(gen);
        for (std::size_t j = 0; j < at(nCol); ++j) {
            data(i, j) = centre(at(truth[i]), j) + normal(gen);
        }
    }
    Groups group, sizes;
    std::vector<double> errors;
    const bool settled = mCluster::KMeanClustering(data, nCol, nRow, k, 0, group, sizes, errors, nullptr);
    Groups batch = initialBlocks(nRow, k);
    (void)lloyd(data, batch, k, 1000);
    std::printf("separated  seed %u  %d x %d  k=%d  settled %d  true clusters recovered: %s  "
                "(batch k-means from the same start: %s)  WSS %.6g, true %.6g\n",
                seed, nRow, nCol, k, settled ? 1 : 0, samePartition(group, truth) ? "yes" : "NO",
                samePartition(batch, truth) ? "yes" : "NO", withinSumOfSquares(data, group, k),
                withinSumOfSquares(data, truth, k));
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv, "[loci]\n  loci  loci of the timed runs, from 20 to 100000 (default 12625)\n");
    const auto loci = static_cast<std::int32_t>(args.done() ? 12625 : args.number("loci", 20, 100000));
    args.finish();
    for (unsigned seed = 1; seed <= 5; ++seed) {
        separatedClusters(seed, 3 + static_cast<std::int32_t>(seed), 400 * static_cast<std::int32_t>(seed), 10);
    }

    const std::int32_t points = 40;
    const std::int32_t k = 20;
    double ratioSum = 0;
    int runs = 0;
    for (unsigned seed = 11; seed <= 15; ++seed, ++runs) {
        const numeric::Matrix data = bench::expressionData(loci, points, seed, bench::Orientation::LociAsRows);
        Groups group, sizes;
        std::vector<double> errors;
        auto start = std::chrono::steady_clock::now();
        const bool settled = mCluster::KMeanClustering(data, points, loci, k, 0, group, sizes, errors, nullptr);
        const double ours = withinSumOfSquares(data, group, k);
        const double oursSeconds = bench::seconds(start);

        Groups batch = initialBlocks(loci, k);
        start = std::chrono::steady_clock::now();
        const int iterations = lloyd(data, batch, k, 1000);
        const double reference = withinSumOfSquares(data, batch, k);
        const double referenceSeconds = bench::seconds(start);
        ratioSum += ours / reference;

        std::printf("expression seed %u  %d x %d  k=%d  k-means WSS %.6g (settled %d, %.2f s, %.2f %% rows nearer "
                    "another mean)  batch k-means WSS %.6g (%d iterations, %.2f s)  ratio %.4f\n",
                    seed, loci, points, k, ours, settled ? 1 : 0, oursSeconds, 100 * misplacedShare(data, group, k),
                    reference, iterations, referenceSeconds, ours / reference);
    }
    std::printf("expression mean ratio over %d seeds %.4f\n", runs, ratioSum / runs);
    return 0;
}
