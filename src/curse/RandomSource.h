#pragma once

#include <cstdint>
#include <random>

namespace jk {

// Uniform values in [0, 1). Injectable so that tests can choose the draws.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual float next() = 0;
};

// The program's generator, seeded from the clock once at start-up.
class ClockSeededRandom final : public RandomSource {
public:
    ClockSeededRandom();
    void seedFromClock();
    void seed(std::uint32_t value) { engine_.seed(value); }
    float next() override;

private:
    std::mt19937 engine_;
};

} // namespace jk
