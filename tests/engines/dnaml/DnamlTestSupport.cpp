#include "tests/engines/dnaml/DnamlTestSupport.h"

#include <cmath>
#include <functional>
#include <random>

namespace dnamltest {

Matrix4 rateMatrix(const std::array<double, 4>& pi, double xi, double xv)
{
    // Bases A C G T; purines A G, pyrimidines C T.
    const auto purine = [](int b) { return b == 0 || b == 2; };
    Matrix4 q{};
    for (int i = 0; i < 4; ++i) {
        double classTotal = 0;
        for (int j = 0; j < 4; ++j)
            if (purine(i) == purine(j))
                classTotal += pi[j];
        double row = 0;
        for (int j = 0; j < 4; ++j) {
            if (i == j)
                continue;
            q[i][j] = xv * pi[j] + (purine(i) == purine(j) ? xi * pi[j] / classTotal : 0.0);
            row += q[i][j];
        }
        q[i][i] = -row;
    }
    return q;
}

namespace {
Matrix4 multiply(const Matrix4& a, const Matrix4& b)
{
    Matrix4 c{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                c[i][j] += a[i][k] * b[k][j];
    return c;
}
} // namespace

Matrix4 expm(const Matrix4& q, double t)
{
    int squarings = 0;
    double norm = 0;
    for (const auto& row : q)
        for (double v : row)
            norm = std::max(norm, std::fabs(v * t));
    while (norm > 0.01) {
        norm /= 2;
        ++squarings;
    }
    const double scale = t / std::pow(2.0, squarings);
    Matrix4 a{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            a[i][j] = q[i][j] * scale;
    Matrix4 result{};
    Matrix4 term{};
    for (int i = 0; i < 4; ++i)
        result[i][i] = term[i][i] = 1.0;
    for (int k = 1; k < 20; ++k) {
        term = multiply(term, a);
        for (auto& row : term)
            for (double& v : row)
                v /= k;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                result[i][j] += term[i][j];
    }
    for (int s = 0; s < squarings; ++s)
        result = multiply(result, result);
    return result;
}

std::vector<double> bruteForceSiteLnL(const std::vector<std::vector<uint8_t>>& codes, int inner,
                                      const std::vector<Edge>& edges, const std::array<double, 4>& pi, double xi,
                                      double xv)
{
    const int n = static_cast<int>(codes.size());
    const Matrix4 q = rateMatrix(pi, xi, xv);
    std::vector<Matrix4> p;
    for (const Edge& e : edges)
        p.push_back(expm(q, e.t));
    const std::size_t sites = codes[0].size();
    std::vector<double> out;
    std::vector<int> state(static_cast<std::size_t>(n + inner), 0);
    for (std::size_t site = 0; site < sites; ++site) {
        double total = 0;
        // Every assignment of bases to all nodes; tips restricted to their sets.
        std::function<void(int)> assign = [&](int node) {
            if (node == n + inner) {
                // Rooted at the first inner node: pi times the probabilities along
                // the edges, which point away from it.
                double joint = pi[static_cast<std::size_t>(state[static_cast<std::size_t>(n)])];
                for (std::size_t k = 0; k < edges.size(); ++k) {
                    const Edge& e = edges[k];
                    joint *= p[k][static_cast<std::size_t>(state[static_cast<std::size_t>(e.a)])]
                              [static_cast<std::size_t>(state[static_cast<std::size_t>(e.b)])];
                }
                total += joint;
                return;
            }
            for (int b = 0; b < 4; ++b) {
                if (node < n && !((codes[static_cast<std::size_t>(node)][site] >> b) & 1))
                    continue;
                state[static_cast<std::size_t>(node)] = b;
                assign(node + 1);
            }
        };
        assign(0);
        out.push_back(std::log(total));
    }
    return out;
}

std::vector<std::string> simulate(int species, const std::vector<Edge>& edges, int root, int sites,
                                  const std::array<double, 4>& pi, double xi, double xv, uint64_t seed)
{
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const Matrix4 q = rateMatrix(pi, xi, xv);
    int nodes = root + 1;
    for (const Edge& e : edges)
        nodes = std::max({nodes, e.a + 1, e.b + 1});
    std::vector<std::string> seqs(static_cast<std::size_t>(species));
    static constexpr char kBases[] = "ACGT";
    auto draw = [&](const std::array<double, 4>& probs) {
        double x = u(rng);
        for (int b = 0; b < 3; ++b) {
            if (x < probs[static_cast<std::size_t>(b)])
                return b;
            x -= probs[static_cast<std::size_t>(b)];
        }
        return 3;
    };
    std::vector<Matrix4> p;
    for (const Edge& e : edges)
        p.push_back(expm(q, e.t));
    for (int s = 0; s < sites; ++s) {
        std::vector<int> state(static_cast<std::size_t>(nodes), -1);
        state[static_cast<std::size_t>(root)] = draw(pi);
        bool changed = true;
        while (changed) {
            changed = false;
            for (std::size_t k = 0; k < edges.size(); ++k) {
                const Edge& e = edges[k];
                int from = e.a, to = e.b;
                if (state[static_cast<std::size_t>(from)] < 0)
                    std::swap(from, to);
                if (state[static_cast<std::size_t>(from)] < 0 || state[static_cast<std::size_t>(to)] >= 0)
                    continue;
                state[static_cast<std::size_t>(to)] = draw(p[k][static_cast<std::size_t>(state[static_cast<std::size_t>(from)])]);
                changed = true;
            }
        }
        for (int sp = 0; sp < species; ++sp)
            seqs[static_cast<std::size_t>(sp)].push_back(kBases[state[static_cast<std::size_t>(sp)]]);
    }
    return seqs;
}

std::string inputText(const std::vector<std::string>& names, const std::vector<std::string>& seqs,
                      const std::string& options, const std::vector<std::string>& extraLines,
                      const std::string& trailer)
{
    std::string text = std::to_string(names.size()) + " " + std::to_string(seqs.empty() ? 0 : seqs[0].size());
    text += options.empty() ? "\n" : " " + options + "\n";
    for (const auto& line : extraLines)
        text += line + "\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string name = names[i];
        name.resize(10, ' ');
        text += name + seqs[i] + "\n";
    }
    text += trailer;
    return text;
}

} // namespace dnamltest
