#include "platform/eventtime.h"

#include "platform/ticks.h"

#include <algorithm>

namespace platform {

namespace {
constexpr int64_t msNs = 1'000'000;
}

std::optional<int64_t> inputEventAgeNs(uint64_t stampMs, int64_t monotonicNowNs)
{
    const int64_t nowMs = monotonicNowNs / msNs;
    const int64_t ageMs = int64_t((uint64_t(nowMs) - stampMs) % uint64_t(inputStampWrapMs));
    if (ageMs > maxInputEventAgeMs)
        return std::nullopt;
    const int64_t arrivedNs = (nowMs - ageMs) * msNs + msNs / 2;
    return std::max<int64_t>(monotonicNowNs - arrivedNs, 0);
}

std::optional<int64_t> inputEventArrivalNs(uint64_t stampMs)
{
    // The age is read on the monotonic clock the stamp is on, and taken off
    // the program's clock, which tests may step by hand.
    const int64_t now = clockNanoseconds();
    if (std::optional<int64_t> age = inputEventAgeNs(stampMs, monotonicNanoseconds()))
        return std::max<int64_t>(now - *age, 0);
    return std::nullopt;
}

} // namespace platform
