#include "support/doubles/fake_ticks.h"

namespace platform {

int64_t FakeTicks::read()
{
    ++reads;
    // The value is taken before onRead runs: a handler that advances the clock
    // from onRead changes what the *next* reading returns, never this one.
    const int64_t value = now;
    if (onRead)
        onRead(*this);
    return value;
}

} // namespace platform

namespace platform {

void FakeTicks::setNanoseconds(int64_t ns)
{
    now = ticksFromNanoseconds(ns);
    toNextTick = nanosecondsToNextTick(ns);
}

} // namespace platform
