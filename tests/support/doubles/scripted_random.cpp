#include "support/doubles/scripted_random.h"

#include <stdexcept>
#include <string>

namespace platform {

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

} // namespace platform
