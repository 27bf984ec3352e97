#include "platform/random.h"

#include <stdexcept>
#include <string>

namespace platform {

namespace {

std::mt19937_64 seededEngine()
{
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
    return std::mt19937_64(seed);
}

std::function<std::unique_ptr<Random>()>& randomFactory()
{
    static std::function<std::unique_ptr<Random>()> factory;
    return factory;
}

} // namespace

Random::Random() : engine_(seededEngine()) {}

int64_t Random::InRange(int64_t lo, int64_t hi)
{
    if (lo >= hi)
        return lo;
    return std::uniform_int_distribution<int64_t>(lo, hi)(engine_);
}

int64_t ScriptedRandom::InRange(int64_t lo, int64_t hi)
{
    calls.emplace_back(lo, hi);
    const int64_t top = lo > hi ? lo : hi; // lo > hi is the one-value range at lo
    if (script.empty())
        throw std::logic_error("ScriptedRandom: no scripted value left for InRange(" + std::to_string(lo) + ", "
                               + std::to_string(hi) + ")");
    const int64_t value = script.front();
    script.pop_front();
    if (value < lo || value > top)
        throw std::logic_error("ScriptedRandom: scripted value " + std::to_string(value) + " is outside InRange("
                               + std::to_string(lo) + ", " + std::to_string(hi) + ")");
    return value;
}

std::unique_ptr<Random> newRandom()
{
    if (auto& factory = randomFactory())
        return factory();
    return std::make_unique<Random>();
}

void setRandomFactory(std::function<std::unique_ptr<Random>()> factory)
{
    randomFactory() = std::move(factory);
}

} // namespace platform
