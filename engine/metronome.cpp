// The metronome's beat step, the same for a test and a replay: a beat is
// counted once a beat's length has passed since the position at which the
// previous one was detected, `low` clicks every beat but a bar line's, `hi`
// clicks the bar line, which restarts the position in the bar.
#include "engine/window1.h"
#include "platform/ticks.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"

using namespace Module1;
using platform::Ticks;

void Window1::metronomebeat(int64_t beatTicks, const std::function<void()>& lastBeat,
                            const std::function<void()>& barLine)
{
    if (newtick < beatTicks)
        return;
    lastticktime = Ticks() - startruntime;
    if (metcount != beatsinbar - 1)
        res::low()->Play();
    metcount += 1;
    if (metcount == beatsinbar - 1 && lastBeat)
        lastBeat();
    if (metcount == beatsinbar) {
        startruntime = Ticks();
        lastticktime = Ticks() - startruntime; // a fresh reading, normally 0
        res::hi()->Play();
        if (barLine)
            barLine();
        metcount = 0;
    }
}
