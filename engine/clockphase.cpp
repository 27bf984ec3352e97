#include "engine/clockphase.h"
#include "platform/controls.h"
#include "platform/ticks.h"

namespace clockphase {

namespace {
using platform::tickNanoseconds;
constexpr int64_t msNs = 1'000'000;
} // namespace

int waitMs(int64_t untilNextTick)
{
    const int64_t intoTick = tickNanoseconds - untilNextTick;
    // A little past the moment still counts as now; later, the moment in the
    // next tick is the one to wait for.
    const int64_t wait = intoTick < startNs + startSlackNs ? startNs - intoTick : untilNextTick + startNs;
    return static_cast<int>(wait <= 0 ? 0 : (wait + msNs / 2) / msNs);
}

int waitMs() { return waitMs(platform::untilNextTick()); }

void start(platform::Timer& clock, std::function<void()> origin)
{
    const int wait = waitMs();
    if (wait == 0) {
        // Enabled first: the clock running is what keeps the sound output up
        // for the start's click.
        clock.setEnabled(true);
        origin();
    } else {
        clock.startIn(wait, std::move(origin));
    }
}

} // namespace clockphase
