#pragma once
// The program's one clock: ticks of 1/60 s from the monotonic clock.
#include <cstdint>

namespace platform {

// Where Ticks() reads from. The program uses the monotonic clock; tests
// install a clock they step by hand.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual int64_t read() = 0;
};

// Ticks since an arbitrary origin; only differences of two readings matter.
int64_t Ticks();

// Whole ticks in ns >= 0 nanoseconds, rounded down, without overflow.
int64_t ticksFromNanoseconds(int64_t ns);

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
