#pragma once
// The 10 ms clocks start at a fixed place in a tick. Ticks are 1/60 s and
// the passes come every 10 ms, so once started the passes keep one phase
// against the ticks (three ticks are five passes); starting a clock a fixed
// time after a tick boundary makes that phase the same in every test and
// replay, and a beat's click comes the same time after its tick boundary.
#include <cstdint>
#include <functional>

namespace platform {
class Timer;
}

namespace clockphase {

// Where in its tick a clock starts: far enough from both boundaries that a
// pass a few milliseconds late still sees the tick it was meant to see.
constexpr int64_t startNs = 5'000'000;

// Whole milliseconds from now to the next moment startNs after a tick
// boundary, given the nanoseconds to the next boundary; 0 when that moment is
// now, to the nearest millisecond.
int waitMs(int64_t untilNextTick);

// The wait from now, on the program's tick counter.
int waitMs();

// Enables the repeating clock at once, with its start at the phase: `origin`
// (the start's click and its readings of the tick counter) runs now when now
// is the moment, else at the clock's first firing, which comes then; the
// passes (the clock's Action) follow every period from the start.
void start(platform::Timer& clock, std::function<void()> origin);

} // namespace clockphase
