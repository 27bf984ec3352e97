#pragma once
// A clock a test steps by hand, installed with platform::setTickSource or
// platform::ScopedTickSource.
#include "engine/clockphase.h"
#include "platform/ticks.h"
#include <cstdint>
#include <functional>

namespace platform {

// onRead runs after every reading, so a test can move the clock on between two
// readings inside one handler.
class FakeTicks : public TickSource {
public:
    // Where in its tick a clock stepped by whole ticks stands: the place the
    // program's clocks start at, so a start never waits.
    static constexpr int64_t inPhaseUntilNextTick = tickNanoseconds - clockphase::startNs;

    explicit FakeTicks(int64_t start = 1000) : now(start) {}
    int64_t read() override;
    int64_t untilNextTick() override { return toNextTick; }
    // The moment toNextTick before the boundary after tick `now`; no reading.
    int64_t nanoseconds() override { return tickStartNanoseconds(now + 1) - toNextTick; }
    void advance(int64_t n) { now += n; }

    // Sets the clock to ns nanoseconds on the monotonic clock's scale: the
    // tick and the time to the next boundary as the monotonic clock gives them.
    void setNanoseconds(int64_t ns);

    int64_t now;
    int64_t toNextTick = inPhaseUntilNextTick;
    int64_t reads = 0;
    std::function<void(FakeTicks&)> onRead;
};

} // namespace platform
