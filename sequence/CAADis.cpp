#include "sequence/CAADis.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/errors/Error.h"

namespace sequence {

namespace {

constexpr int NumStd = 20;
constexpr int StopIndex = 23;

} // namespace

CAADis::CAADis()
{
    m_codeMap.fill(StopIndex);
    for (std::size_t i = 0; i < Alphabet.size(); ++i) {
        m_codeMap[static_cast<unsigned char>(Alphabet[i])] = static_cast<std::uint8_t>(i);
    }
}

std::int16_t CAADis::ResidueIndex(std::int16_t c) const
{
    if (c < 0 || c > 90) {
        throw platform::Error(platform::err::Subscript, "CAADis",
                              "Character code " + std::to_string(c) + " is not a residue code.");
    }
    return m_codeMap[static_cast<std::size_t>(c)];
}

double CAADis::lookup(const Matrix& m, int a, int b)
{
    return m[static_cast<std::size_t>(std::max(a, b))][static_cast<std::size_t>(std::min(a, b))];
}

void CAADis::LoadDistanceTable(int tableNumber)
{
    const auto& values = detail::AADistanceTables[static_cast<std::size_t>(tableNumber)];
    std::size_t next = 0;
    for (std::size_t i = 1; i < NumStd; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            m_current[i][j] = values[next++];
        }
    }
}

void CAADis::LoadPropertyScale(int scaleNumber)
{
    const auto& p = detail::AAPropertyScales[static_cast<std::size_t>(scaleNumber)];
    for (std::size_t i = 1; i < NumStd; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            m_current[i][j] = std::abs(p[i] - p[j]);
        }
    }
}

void CAADis::AddAmbiguityCodes()
{
    double stop = 0;
    for (std::size_t i = 1; i < NumStd; ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            stop = std::max(stop, m_current[i][j]);
        }
    }
    const std::array<std::string_view, 3> groups{"DN", "EQ", Alphabet.substr(0, NumStd)};
    const auto d = [this](char x, int r) { return lookup(m_current, m_codeMap[static_cast<unsigned char>(x)], r); };
    for (int g = 0; g < 3; ++g) {
        const std::string_view group = groups[static_cast<std::size_t>(g)];
        const auto k = static_cast<std::size_t>(NumStd + g);
        const double n = static_cast<double>(group.size());
        for (int r = 0; r < NumStd; ++r) {
            double sum = 0;
            for (char x : group) {
                sum += d(x, r);
            }
            m_current[k][static_cast<std::size_t>(r)] = sum / n;
        }
        for (int h = 0; h < g; ++h) {
            const std::string_view other = groups[static_cast<std::size_t>(h)];
            double sum = 0;
            for (char x : group) {
                for (char y : other) {
                    sum += d(x, m_codeMap[static_cast<unsigned char>(y)]);
                }
            }
            m_current[k][static_cast<std::size_t>(NumStd + h)] = sum / (n * static_cast<double>(other.size()));
        }
        double pairs = 0;
        for (std::size_t a = 0; a < group.size(); ++a) {
            for (std::size_t b = a + 1; b < group.size(); ++b) {
                pairs += d(group[a], m_codeMap[static_cast<unsigned char>(group[b])]);
            }
        }
        m_current[k][k] = 2 * pairs / (n * n);
    }
    for (std::size_t c = 0; c < StopIndex; ++c) {
        m_current[StopIndex][c] = stop;
    }
}

bool CAADis::Initialize(bool useTable, std::uint8_t tableNumber, std::int32_t scaleNumber)
{
    if (useTable) {
        if (tableNumber > 3) {
            throw platform::Error(platform::err::InvalidCall, "CAADis.Initialize",
                                  "There is no distance table " + std::to_string(tableNumber) + ".");
        }
        LoadDistanceTable(tableNumber);
    } else {
        if (scaleNumber < 0 || scaleNumber > 16) {
            throw platform::Error(platform::err::InvalidCall, "CAADis.Initialize",
                                  "There is no property scale " + std::to_string(scaleNumber) + ".");
        }
        LoadPropertyScale(scaleNumber);
    }
    AddAmbiguityCodes();
    return true;
}

bool CAADis::InitializeAllCompDistMat()
{
    for (int t = 0; t < 3; ++t) {
        LoadDistanceTable(t);
        AddAmbiguityCodes();
        m_stored[static_cast<std::size_t>(t)] = m_current;
    }
    return true;
}

const CAADis::Matrix& CAADis::stored(int slot) const
{
    const auto& m = m_stored[static_cast<std::size_t>(slot)];
    if (!m) {
        throw platform::Error(platform::err::ObjectNotSet, "CAADis",
                              "The stored distance matrices are built by InitializeAllCompDistMat first.");
    }
    return *m;
}

double CAADis::GetDist(std::int16_t c1, std::int16_t c2) const
{
    return lookup(m_current, ResidueIndex(c1), ResidueIndex(c2));
}

double CAADis::GetDistI(std::int16_t c1, std::int16_t c2, std::int16_t& i1, std::int16_t& i2) const
{
    i1 = ResidueIndex(c1);
    i2 = ResidueIndex(c2);
    return lookup(m_current, i1, i2);
}

void CAADis::GetDistAll(std::int16_t c1, std::int16_t c2, double& d0, double& d1, double& d2) const
{
    std::int16_t i1 = 0;
    std::int16_t i2 = 0;
    GetDistIAll(c1, c2, i1, i2, d0, d1, d2);
}

void CAADis::GetDistIAll(std::int16_t c1, std::int16_t c2, std::int16_t& i1, std::int16_t& i2, double& d0,
                         double& d1, double& d2) const
{
    const std::int16_t a = ResidueIndex(c1);
    const std::int16_t b = ResidueIndex(c2);
    const double v0 = lookup(stored(0), a, b);
    const double v1 = lookup(stored(1), a, b);
    const double v2 = lookup(stored(2), a, b);
    i1 = a;
    i2 = b;
    d0 = v0;
    d1 = v1;
    d2 = v2;
}

void CAADis::GetDistGM(std::int16_t c1, std::int16_t c2, double& d0, double& d1) const
{
    std::int16_t i1 = 0;
    std::int16_t i2 = 0;
    GetDistIGM(c1, c2, i1, i2, d0, d1);
}

void CAADis::GetDistIGM(std::int16_t c1, std::int16_t c2, std::int16_t& i1, std::int16_t& i2, double& d0,
                        double& d1) const
{
    const std::int16_t a = ResidueIndex(c1);
    const std::int16_t b = ResidueIndex(c2);
    const double v0 = lookup(stored(0), a, b);
    const double v1 = lookup(stored(1), a, b);
    i1 = a;
    i2 = b;
    d0 = v0;
    d1 = v1;
}

void CAADis::GetDistGMyD(std::int16_t c1, std::int16_t c2, double& d0, double& d2) const
{
    std::int16_t i1 = 0;
    std::int16_t i2 = 0;
    GetDistIGMyD(c1, c2, i1, i2, d0, d2);
}

void CAADis::GetDistIGMyD(std::int16_t c1, std::int16_t c2, std::int16_t& i1, std::int16_t& i2, double& d0,
                          double& d2) const
{
    const std::int16_t a = ResidueIndex(c1);
    const std::int16_t b = ResidueIndex(c2);
    const double v0 = lookup(stored(0), a, b);
    const double v2 = lookup(stored(2), a, b);
    i1 = a;
    i2 = b;
    d0 = v0;
    d2 = v2;
}

} // namespace sequence
