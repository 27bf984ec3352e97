#pragma once
// The 10 ms clocks start at a fixed place in a tick. Ticks are 1/60 s and
// the passes come every 10 ms on the grid of the clock's start (a late pass
// does not move the later ones, see platform::Timer), so the passes keep one
// phase against the ticks (three ticks are five passes); starting a clock a
// fixed time after a tick boundary makes that phase the same in every test
// and replay, and a beat's click comes the same time after its tick boundary.
#include <cstdint>
#include <functional>

namespace platform {
class Timer;
}

namespace clockphase {

// The period of the test clock and the replay clock.
constexpr int periodMs = 10;

// Where in its tick a clock starts. Early, so that a click (seen at the pass
// after its tick's boundary) and a tap on it as heard, one sound path later,
// fall in the same tick; the grid holds, so only a pass's own lateness (well
// under a millisecond) moves it, and never back past the boundary.
constexpr int64_t startNs = 2'000'000;

// How far past that place a start still counts as at it, and runs at once.
constexpr int64_t startSlackNs = 500'000;

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
