#include "platform/ticks.h"

#include <atomic>
#include <chrono>

namespace platform {

namespace {

std::atomic<TickSource*> installedSource{nullptr};

int64_t monotonicTicks()
{
    using namespace std::chrono;
    return ticksFromNanoseconds(duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

// Whole seconds and the remainder apart, so that no intermediate product
// overflows however long the machine has been up. The clock's origin is in
// the past, so ns is never negative in use.
int64_t ticksFromNanoseconds(int64_t ns)
{
    constexpr int64_t perSecond = 1'000'000'000;
    return (ns / perSecond) * 60 + (ns % perSecond) * 60 / perSecond;
}

int64_t Ticks()
{
    if (TickSource* source = installedSource.load(std::memory_order_acquire))
        return source->read();
    return monotonicTicks();
}

void setTickSource(TickSource* source)
{
    installedSource.store(source, std::memory_order_release);
}

} // namespace platform
