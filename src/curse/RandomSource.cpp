#include "curse/RandomSource.h"

#include <chrono>

namespace jk {

ClockSeededRandom::ClockSeededRandom() {
    seedFromClock();
}

void ClockSeededRandom::seedFromClock() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    engine_.seed(static_cast<std::uint32_t>(now ^ (now >> 32)));
}

float ClockSeededRandom::next() {
    // 24 random bits scaled by 2^-24: every value is exact and below 1. (Dividing a 32-bit
    // draw by 2^32 in float can round up to exactly 1.0.)
    return static_cast<float>(engine_() >> 8) * 0x1p-24f;
}

} // namespace jk
