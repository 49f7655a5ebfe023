// The program's one uniform random generator (32-bit linear congruential) and normal deviates.
#pragma once

#include <cstdint>

namespace tervanix {

// seed <- seed * 134775813 + 1 (mod 2^32); result = seed / 2^32 in [0, 1).
class TRandom {
public:
    void SetSeed(std::uint32_t seed) { seed_ = seed; }
    std::uint32_t Seed() const { return seed_; }
    double Next();
    // An integer in [0, range).
    std::int32_t NextInt(std::int32_t range);

private:
    std::uint32_t seed_ = 0;
};

// The shared instance.
TRandom& Random();
// Seeds the shared generator with the time of day in milliseconds since midnight (UTC).
void RandomizeFromClock();

// mean + sd * sqrt(-2 ln U1) * sin(2 pi U2); a draw of exactly 0 for U1 is drawn again.
long double GaussRandom(long double sd, long double mean);

} // namespace tervanix
