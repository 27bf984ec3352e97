#pragma once
// A clock a test steps by hand, installed with platform::setTickSource or
// platform::ScopedTickSource.
#include "platform/ticks.h"
#include <cstdint>
#include <functional>

namespace platform {

// onRead runs after every reading, so a test can move the clock on between two
// readings inside one handler.
class FakeTicks : public TickSource {
public:
    explicit FakeTicks(int64_t start = 1000) : now(start) {}
    int64_t read() override;
    void advance(int64_t n) { now += n; }

    int64_t now;
    int64_t reads = 0;
    std::function<void(FakeTicks&)> onRead;
};

} // namespace platform
