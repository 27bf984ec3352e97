#include "platform/random.h"

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
