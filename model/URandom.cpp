#include "model/URandom.h"

#include <chrono>
#include <cmath>
#include <numbers>

namespace tervanix {

double TRandom::Next() {
    seed_ = seed_ * 134775813u + 1u;
    return seed_ / 4294967296.0;
}

std::int32_t TRandom::NextInt(std::int32_t range) {
    if (range <= 0) return 0;
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<std::int32_t>((static_cast<std::uint64_t>(seed_) * static_cast<std::uint32_t>(range)) >> 32);
}

TRandom& Random() {
    static TRandom generator;
    return generator;
}

void RandomizeFromClock() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    Random().SetSeed(static_cast<std::uint32_t>(ms % 86400000));
}

long double GaussRandom(long double sd, long double mean) {
    double u1 = 0;
    while (u1 == 0) u1 = Random().Next(); // ln(0) is undefined
    const double u2 = Random().Next();
    return mean + sd * std::sqrt(-2.0L * std::log(static_cast<long double>(u1))) *
                      std::sin(2 * std::numbers::pi_v<long double> * u2);
}

} // namespace tervanix
