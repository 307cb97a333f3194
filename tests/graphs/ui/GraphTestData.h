#pragma once

// Seeded tables for the graph window tests, the benchmark and the pictures.

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace graphtest {

struct Table {
    std::vector<double> x;
    std::vector<std::vector<double>> data;  // [point][set]
    std::vector<std::string> setNames;
    std::vector<std::string> pointNames;
};

// points × sets of positive, non-whole values with a trend, X = 1..points.
inline Table seededTable(int points, int sets, unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 1);
    Table t;
    for (int s = 0; s < sets; ++s) {
        t.setNames.push_back("Sample " + std::to_string(s + 1));
    }
    for (int p = 0; p < points; ++p) {
        t.x.push_back(p + 1);
        t.pointNames.push_back("gene_" + std::to_string(p + 1) + "_at");
        std::vector<double> row;
        for (int s = 0; s < sets; ++s) {
            row.push_back(std::abs(5 + 0.3 * p + 2 * s + noise(rng)) + 0.25);
        }
        t.data.push_back(row);
    }
    return t;
}

// A cloud of correlated scores around a line, as two principal components.
inline Table seededScores(int points, unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 1);
    Table t;
    t.setNames = {"PC2"};
    for (int p = 0; p < points; ++p) {
        const double a = noise(rng) * 2.0;
        t.x.push_back(a);
        t.data.push_back({0.6 * a + 0.5 * noise(rng)});
        t.pointNames.push_back("probe_" + std::to_string(p + 1));
    }
    return t;
}

} // namespace graphtest
