#pragma once
// Conversions between beat units (1/60 beat) and ticks (1/60 s) at a tempo
// given in ticks per beat. Each is computed in double precision, the division
// first, and truncated toward zero; exact integer arithmetic gives other
// results for some arguments, and every stored time depends on these.
#include <cstdint>

namespace timebase {

// Beat units a beat: the group table's offsets and the next-bar timing are
// counted in them.
constexpr int64_t beatUnitsPerBeat = 60;

// How many ticks before the bar line a hit already counts: an earlier hit is
// refused, and in listen-and-play mode hits open this long before the listen
// bar ends.
constexpr int64_t earlyWindowTicks = 40;

// Beat units to ticks.
int64_t ticksof(int64_t beatUnits, int64_t ticksPerBeat);

// Ticks to beat units; 0 at a tempo of 0 (no test has run yet).
int64_t beatunitsof(int64_t ticks, int64_t ticksPerBeat);

} // namespace timebase
