#include "engines/dnaml/DnamlModel.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tallowin::dnaml {

Patterns compressSites(const std::vector<std::vector<uint8_t>>& codes)
{
    Patterns pat;
    const std::size_t species = codes.size();
    const std::size_t sites = species == 0 ? 0 : codes[0].size();
    std::vector<int> order(sites);
    std::iota(order.begin(), order.end(), 0);
    auto less = [&](int a, int b) {
        for (std::size_t s = 0; s < species; ++s) {
            const uint8_t ca = codes[s][static_cast<std::size_t>(a)];
            const uint8_t cb = codes[s][static_cast<std::size_t>(b)];
            if (ca != cb)
                return ca < cb;
        }
        return false;
    };
    auto same = [&](int a, int b) { return !less(a, b) && !less(b, a); };
    // Identical sites merge, so the order among equal keys does not matter.
    std::sort(order.begin(), order.end(), less);

    pat.siteToPattern.assign(sites, 0);
    pat.codes.assign(species, std::vector<uint8_t>());
    for (std::size_t k = 0; k < sites; ++k) {
        const int site = order[k];
        if (k == 0 || !same(order[k - 1], site)) {
            pat.weight.push_back(0);
            for (std::size_t s = 0; s < species; ++s)
                pat.codes[s].push_back(codes[s][static_cast<std::size_t>(site)]);
        }
        ++pat.weight.back();
        pat.siteToPattern[static_cast<std::size_t>(site)] = static_cast<int>(pat.weight.size()) - 1;
    }
    pat.count = static_cast<int>(pat.weight.size());
    return pat;
}

std::array<double, 4> empiricalFrequencies(const Patterns& patterns)
{
    std::array<double, 4> f{0.25, 0.25, 0.25, 0.25};
    for (int round = 0; round < 8; ++round) {
        std::array<double, 4> sum{0, 0, 0, 0};
        for (const auto& row : patterns.codes) {
            for (int p = 0; p < patterns.count; ++p) {
                const uint8_t code = row[static_cast<std::size_t>(p)];
                double share = 0;
                for (int b = 0; b < 4; ++b)
                    if ((code >> b) & 1)
                        share += f[static_cast<std::size_t>(b)];
                if (share <= 0)
                    continue;
                const double w = patterns.weight[static_cast<std::size_t>(p)] / share;
                for (int b = 0; b < 4; ++b)
                    if ((code >> b) & 1)
                        sum[static_cast<std::size_t>(b)] += w * f[static_cast<std::size_t>(b)];
            }
        }
        const double total = sum[0] + sum[1] + sum[2] + sum[3];
        if (total <= 0)
            break;
        for (int b = 0; b < 4; ++b)
            f[static_cast<std::size_t>(b)] = sum[static_cast<std::size_t>(b)] / total;
    }
    return f;
}

bool setupModel(const std::array<double, 4>& freqs, double ratio, Model& m, Log& log)
{
    m.fA = freqs[0];
    m.fC = freqs[1];
    m.fG = freqs[2];
    m.fT = freqs[3];
    m.fR = m.fA + m.fG;
    m.fY = m.fC + m.fT;
    if (!(m.fR > 0.0) || !(m.fY > 0.0)) {
        log.add("The base frequencies give no purines (A, G) or no pyrimidines (C, T);\n");
        log.add("the substitution model cannot be set up\n");
        return false;
    }
    m.fAR = m.fA / m.fR;
    m.fGR = m.fG / m.fR;
    m.fCY = m.fC / m.fY;
    m.fTY = m.fT / m.fY;
    m.ratio = ratio;
    const double x = m.fR * m.fY * ratio - (m.fA * m.fG + m.fC * m.fT);
    const double y = m.fC * m.fTY + m.fA * m.fGR;
    m.xi = x / (x + y);
    m.xv = 1.0 - m.xi;
    // A ratio below what the frequencies allow gives xi <= 0; a negative
    // ratio can also give xi > 1 (negative general rate). Both are reset.
    if (!(m.xi > 0.0 && m.xi <= 1.0)) {
        log.add("Warning: This transition/transversion ratio\n");
        log.add("         is impossible with these base frequencies!\n");
        log.add("Transition/transversion parameter reset\n\n");
        m.xi = 0.000001;
        m.xv = 0.999999;
        m.ratio = (m.fC * m.fT + m.fA * m.fG + y * 1.000001000001e-6) / (m.fY * m.fR);
    }
    m.fracchange = m.xv * (1.0 - m.fA * m.fA - m.fC * m.fC - m.fG * m.fG - m.fT * m.fT) +
                   2.0 * m.xi * (m.fC * m.fTY + m.fA * m.fGR);
    if (!std::isfinite(m.fracchange) || !(m.fracchange > 0.0)) {
        log.add("The substitution model gives no change at all with these base frequencies\n");
        return false;
    }
    return true;
}

} // namespace tallowin::dnaml
