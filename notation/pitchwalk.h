#pragma once
// The pitch walk: each next pitch index (0 to 6) drawn from the one before.
#include "platform/random.h"
#include <cstdint>
#include <optional>

namespace pitchwalk {

// The next pitch index after `previous`, drawn on `random` (both bounds
// included; for 1 to 5 a draw equal to the previous one is drawn again).
// Nothing is drawn, and nullopt returned, for a previous index outside 0 to 6.
std::optional<int64_t> next(int64_t previous, platform::Random& random);

} // namespace pitchwalk
