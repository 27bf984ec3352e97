// Where a key press arrived, from the window system's millisecond stamp.
#include "platform/eventtime.h"
#include "platform/ticks.h"
#include "support/doubles/fake_ticks.h"

#include <gtest/gtest.h>

namespace {

using platform::inputEventAgeNs;
using platform::inputStampWrapMs;
using platform::maxInputEventAgeMs;

constexpr int64_t ms = 1'000'000;

TEST(InputEventTime, AgeFromAMillisecondStampOnTheMonotonicClock)
{
    // An hour of uptime, 0.3 ms into its millisecond; and a machine up longer
    // than the 32-bit stamp counts (about 50 days), whose stamps have wrapped.
    const int64_t hour = 3'600'000 * ms + 300'000;
    const int64_t wrapped = 3 * inputStampWrapMs * ms + 20 * ms + 300'000;
    struct Case {
        const char* what;
        uint64_t stamp;
        int64_t now;
        std::optional<int64_t> age;
    };
    const Case cases[] = {
        {"stamped in this millisecond", 3'600'000, hour, 0},
        {"stamped 12 ms ago", 3'600'000 - 12, hour, 12 * ms - 200'000},
        {"stamped as old as is trusted", 3'600'000 - maxInputEventAgeMs, hour, maxInputEventAgeMs * ms - 200'000},
        {"older than is trusted", 3'600'000 - maxInputEventAgeMs - 1, hour, std::nullopt},
        {"stamped in the future", 3'600'000 + 5, hour, std::nullopt},
        {"no stamp (a synthesized event)", 0, hour, std::nullopt},
        {"32-bit stamp after the wrap", 8, wrapped, 12 * ms - 200'000},
        {"32-bit stamp just before the wrap", uint64_t(inputStampWrapMs - 2), wrapped, 22 * ms - 200'000},
        {"full 64-bit stamp", uint64_t(3 * inputStampWrapMs + 8), wrapped, 12 * ms - 200'000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(inputEventAgeNs(c.stamp, c.now), c.age);
    }
}

// The age is measured on the monotonic clock and taken off the program's
// clock, so it holds with a clock a test steps by hand.
TEST(InputEventTime, ArrivalIsOnTheProgramsClock)
{
    platform::FakeTicks clock(5000);
    platform::ScopedTickSource installed(&clock);
    const int64_t nowMs = platform::monotonicNanoseconds() / ms;
    const std::optional<int64_t> arrival = platform::inputEventArrivalNs(uint64_t(nowMs - 500));
    ASSERT_TRUE(arrival);
    const int64_t before = clock.nanoseconds() - *arrival;
    // 500 ms and the little that passed since the stamp was made.
    EXPECT_GE(before, 499 * ms);
    EXPECT_LE(before, (maxInputEventAgeMs + 1) * ms);
    EXPECT_FALSE(platform::inputEventArrivalNs(0));
}

} // namespace
