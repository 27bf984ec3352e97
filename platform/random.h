#pragma once
// Random numbers: InRange with both bounds included.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <utility>
#include <vector>

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

// A generator that returns the values a test scripted, in order, and records
// every call. Running out of script, or a scripted value outside the asked
// range, throws std::logic_error so a test sees the fault at once.
class ScriptedRandom : public Random {
public:
    ScriptedRandom() = default;
    explicit ScriptedRandom(std::initializer_list<int64_t> values) : script(values) {}
    int64_t InRange(int64_t lo, int64_t hi) override;

    std::deque<int64_t> script;
    std::vector<std::pair<int64_t, int64_t>> calls; // (lo, hi) of every draw
};

// A fresh generator for code that makes one of its own per call (the data
// file's line scrambling). Tests may replace the factory; nullptr restores it.
std::unique_ptr<Random> newRandom();
void setRandomFactory(std::function<std::unique_ptr<Random>()> factory);

} // namespace platform
