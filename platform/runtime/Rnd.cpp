#include "platform/runtime/Rnd.h"

#include <chrono>
#include <cstring>

namespace platform::rt {

namespace {
constexpr std::uint32_t kMask = 0xFFFFFF;
constexpr double kScale = 16777216.0;

RandomSource& processSource()
{
    static RandomSource source;
    return source;
}
} // namespace

double RandomSource::next()
{
    m_state = (m_state * 0x43FD43FDu + 0xC39EC3u) & kMask;
    m_last = m_state / kScale;
    return m_last;
}

double RandomSource::rnd(double x)
{
    if (x < 0) {
        std::uint64_t bits = 0;
        const float f = static_cast<float>(x);
        std::uint32_t fb = 0;
        std::memcpy(&fb, &f, sizeof fb);
        bits = fb;
        m_state = static_cast<std::uint32_t>((bits + (bits >> 24)) & kMask);
        return next();
    }
    if (x == 0) {
        return m_last;
    }
    return next();
}

void RandomSource::randomize(double seed)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seed, sizeof bits);
    const auto high = static_cast<std::uint32_t>(bits >> 32);
    const std::uint32_t folded = (high ^ (high >> 16) ^ static_cast<std::uint32_t>(bits)) & 0xFFFF;
    m_state = ((folded << 8) | (m_state & 0xFF)) & kMask;
}

double Rnd()
{
    return processSource().next();
}

double Rnd(double x)
{
    return processSource().rnd(x);
}

void Randomize(double seed)
{
    processSource().randomize(seed);
}

void Randomize()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    processSource().randomize(static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
}

} // namespace platform::rt
