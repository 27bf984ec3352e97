#include "platform/output_rest.h"

namespace platform {

bool OutputRest::run()
{
    silentChecks_ = 0;
    if (paused_ && stream_.setPaused(false))
        paused_ = false;
    return !paused_;
}

void OutputRest::setNeeded(bool needed)
{
    needed_ = needed;
    if (needed)
        run(); // and the wait for silence starts afresh when it ends
}

bool OutputRest::played()
{
    return run();
}

void OutputRest::check()
{
    if (!checksDue())
        return;
    if (stream_.sounding()) {
        silentChecks_ = 0;
        return;
    }
    if (++silentChecks_ < 2)
        return;
    stream_.setPaused(true); // pausing always succeeds
    paused_ = true;
    silentChecks_ = 0;
}

} // namespace platform
