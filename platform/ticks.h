#pragma once
// The program's one clock: ticks of 1/60 s from the monotonic clock.
#include <cstdint>

namespace platform {

// The tick rate every stored time and tempo is counted in.
constexpr int64_t ticksPerSecond = 60;
constexpr int64_t nanosecondsPerSecond = 1'000'000'000;
// A tick's length, to the nearest nanosecond.
constexpr int64_t tickNanoseconds = (nanosecondsPerSecond + ticksPerSecond / 2) / ticksPerSecond;

// Whole ticks in a span of milliseconds.
constexpr int64_t ticksFromMilliseconds(int64_t ms) { return ms * ticksPerSecond / 1000; }

// Where Ticks() reads from. The program uses the monotonic clock; tests
// install a clock they step by hand.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual int64_t read() = 0;
    // Nanoseconds from now to the next tick boundary, 1 to one tick.
    virtual int64_t untilNextTick() = 0;
    // Now, in nanoseconds on the monotonic clock's scale.
    virtual int64_t nanoseconds() = 0;
};

// Ticks since an arbitrary origin; only differences of two readings matter.
int64_t Ticks();

// Whole ticks in ns >= 0 nanoseconds, rounded down, without overflow.
int64_t ticksFromNanoseconds(int64_t ns);

// The first nanosecond of tick `tick` >= 0: where ticksFromNanoseconds
// counts up to it.
int64_t tickStartNanoseconds(int64_t tick);

// Nanoseconds from ns to the next tick boundary on the same scale: where
// ticksFromNanoseconds next counts one up.
int64_t nanosecondsToNextTick(int64_t ns);

// Nanoseconds from now to the next tick boundary of Ticks(): a clock that
// must run in step with the ticks starts from it.
int64_t untilNextTick();

// Now in nanoseconds on the clock Ticks() reads: what timers keep their
// grid by.
int64_t clockNanoseconds();

// CLOCK_MONOTONIC in nanoseconds, whatever source Ticks() reads: what sounds
// are timed by. Safe in the audio callback (no lock; no call into the kernel
// on Linux).
int64_t monotonicNanoseconds();

// nullptr restores the monotonic clock.
void setTickSource(TickSource* source);

// Installs a source for the lifetime of the object (tests).
class ScopedTickSource {
public:
    explicit ScopedTickSource(TickSource* source) { setTickSource(source); }
    ~ScopedTickSource() { setTickSource(nullptr); }
    ScopedTickSource(const ScopedTickSource&) = delete;
    ScopedTickSource& operator=(const ScopedTickSource&) = delete;
};

} // namespace platform
