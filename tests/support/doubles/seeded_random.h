#pragma once
// A generator with a fixed seed, for tests that run many generated tests and
// must be able to run a failing one again.
#include "platform/random.h"
#include <algorithm>
#include <cstdint>
#include <random>

namespace platform {

class SeededRandom : public Random {
public:
    explicit SeededRandom(uint64_t seed) : engine_(seed) {}
    int64_t InRange(int64_t lo, int64_t hi) override
    {
        return std::uniform_int_distribution<int64_t>(lo, std::max(lo, hi))(engine_);
    }

private:
    std::mt19937_64 engine_;
};

} // namespace platform
