#pragma once
// A random generator whose values a test scripts.
#include "platform/random.h"
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <utility>
#include <vector>

namespace platform {

// Returns the values a test scripted, in order, and records every call.
// Running out of script, or a scripted value outside the asked range, throws
// std::logic_error so a test sees the fault at once.
class ScriptedRandom : public Random {
public:
    ScriptedRandom() = default;
    explicit ScriptedRandom(std::initializer_list<int64_t> values) : script(values) {}
    int64_t InRange(int64_t lo, int64_t hi) override;

    std::deque<int64_t> script;
    std::vector<std::pair<int64_t, int64_t>> calls; // (lo, hi) of every draw
};

} // namespace platform
