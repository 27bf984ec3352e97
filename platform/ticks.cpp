#include "platform/ticks.h"

#include <atomic>
#include <chrono>

namespace platform {

namespace {

std::atomic<TickSource*> installedSource{nullptr};

} // namespace

int64_t monotonicNanoseconds()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

// Whole seconds and the remainder apart, so that no intermediate product
// overflows however long the machine has been up. The clock's origin is in
// the past, so ns is never negative in use.
int64_t ticksFromNanoseconds(int64_t ns)
{
    const int64_t seconds = ns / nanosecondsPerSecond, intoSecond = ns % nanosecondsPerSecond;
    return seconds * ticksPerSecond + intoSecond * ticksPerSecond / nanosecondsPerSecond;
}

// Tick k of a second begins at the first nanosecond n of it with
// n * ticksPerSecond >= k * 10^9, as ticksFromNanoseconds counts; working
// within the second keeps the products small.
int64_t tickStartNanoseconds(int64_t tick)
{
    const int64_t seconds = tick / ticksPerSecond, intoSecond = tick % ticksPerSecond;
    return seconds * nanosecondsPerSecond + (intoSecond * nanosecondsPerSecond + ticksPerSecond - 1) / ticksPerSecond;
}

int64_t nanosecondsToNextTick(int64_t ns)
{
    return tickStartNanoseconds(ticksFromNanoseconds(ns) + 1) - ns;
}

int64_t Ticks()
{
    if (TickSource* source = installedSource.load(std::memory_order_acquire))
        return source->read();
    return ticksFromNanoseconds(monotonicNanoseconds());
}

int64_t untilNextTick()
{
    if (TickSource* source = installedSource.load(std::memory_order_acquire))
        return source->untilNextTick();
    return nanosecondsToNextTick(monotonicNanoseconds());
}

int64_t clockNanoseconds()
{
    if (TickSource* source = installedSource.load(std::memory_order_acquire))
        return source->nanoseconds();
    return monotonicNanoseconds();
}

void setTickSource(TickSource* source)
{
    installedSource.store(source, std::memory_order_release);
}

} // namespace platform
