#pragma once
// Random numbers: InRange with both bounds included.
#include <cstdint>
#include <functional>
#include <memory>
#include <random>

namespace platform {

class Random {
public:
    // Seeded from the system once, when the generator is made.
    Random();
    virtual ~Random() = default;
    // An integer from lo to hi, both included. lo > hi is treated as a
    // one-value range at lo.
    virtual int64_t InRange(int64_t lo, int64_t hi);

private:
    std::mt19937_64 engine_;
};

// A fresh generator for code that makes one of its own per call (the data
// file's line scrambling). Tests may replace the factory; nullptr restores it.
std::unique_ptr<Random> newRandom();
void setRandomFactory(std::function<std::unique_ptr<Random>()> factory);

} // namespace platform
