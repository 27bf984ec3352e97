#pragma once
// An alarm a test rings by hand, for a platform::Timer built with it.
#include "platform/controls.h"
#include <vector>

namespace platform {

// Keeps every delay it was armed with; ringNow() rings it as the event loop
// would once the delay is up.
class FakeAlarm : public Alarm {
public:
    void arm(int delayMs) override
    {
        armed.push_back(delayMs);
        pending = true;
    }
    void cancel() override { pending = false; }
    void ringNow()
    {
        pending = false;
        ring();
    }

    std::vector<int> armed;
    bool pending = false;
};

} // namespace platform
