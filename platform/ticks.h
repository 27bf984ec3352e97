#pragma once
// The program's one clock: ticks of 1/60 s from the monotonic clock.
#include <cstdint>
#include <functional>

namespace platform {

// Where Ticks() reads from. The program uses the monotonic clock; tests
// install a FakeTicks.
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

// A clock a test steps by hand. onRead runs after every reading, so a test can
// move the clock on between two readings inside one handler.
class FakeTicks : public TickSource {
public:
    explicit FakeTicks(int64_t start = 1000) : now(start) {}
    int64_t read() override;
    void advance(int64_t n) { now += n; }

    int64_t now;
    int64_t reads = 0;
    std::function<void(FakeTicks&)> onRead;
};

// Installs a source for the lifetime of the object (tests).
class ScopedTickSource {
public:
    explicit ScopedTickSource(TickSource* source) { setTickSource(source); }
    ~ScopedTickSource() { setTickSource(nullptr); }
    ScopedTickSource(const ScopedTickSource&) = delete;
    ScopedTickSource& operator=(const ScopedTickSource&) = delete;
};

} // namespace platform
