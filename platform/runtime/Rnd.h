#pragma once

// The run-time's pseudo-random numbers: a 24-bit linear congruential
// generator giving values in [0, 1). The process-wide generator starts from a
// fixed state, so runs repeat unless Randomize is called; tests seed it with
// Randomize(seed) and get the same sequence every time.

#include <cstdint>

namespace platform::rt {

class RandomSource {
public:
    RandomSource() = default;
    explicit RandomSource(double seed) { randomize(seed); }

    // Next value in [0, 1).
    [[nodiscard]] double next();
    // Rnd(x): x < 0 reseeds from x and returns the first value of that
    // sequence; x = 0 repeats the last value; x > 0 gives the next value.
    [[nodiscard]] double rnd(double x);
    // Mixes the seed into the state (the same seed gives the same sequence).
    void randomize(double seed);

private:
    std::uint32_t m_state = 0x50000;
    double m_last = 0;
};

// The process-wide generator.
[[nodiscard]] double Rnd();
[[nodiscard]] double Rnd(double x);
// Seeds from the seed; Randomize() seeds from the clock.
void Randomize(double seed);
void Randomize();

} // namespace platform::rt
