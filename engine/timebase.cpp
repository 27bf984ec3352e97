// The time base, and the main window's four conversions over it: ts and
// tempoplace at the tempo of the last test, replayts and replaymetts at the
// tempo the slider shows now.
#include "engine/timebase.h"
#include "engine/window1.h"
#include "platform/numbers.h"
#include "shell/module1.h"

using namespace Module1;
using platform::TruncToInt64;

namespace timebase {

int64_t ticksof(int64_t beatUnits, int64_t ticksPerBeat)
{
    return TruncToInt64(static_cast<double>(beatUnits) / beatUnitsPerBeat * static_cast<double>(ticksPerBeat));
}

int64_t beatunitsof(int64_t ticks, int64_t ticksPerBeat)
{
    // Before the first test the tempo is 0; no time is converted then, and the
    // result is 0 rather than a division by zero.
    if (ticksPerBeat == 0)
        return 0;
    return TruncToInt64(static_cast<double>(ticks) / static_cast<double>(ticksPerBeat) * beatUnitsPerBeat);
}

} // namespace timebase

int64_t Window1::ts(int64_t beatUnits) { return timebase::ticksof(beatUnits, lasttesttickspeed); }

int64_t Window1::tempoplace(int64_t ticks) { return timebase::beatunitsof(ticks, lasttesttickspeed); }

int64_t Window1::replayts(int64_t ticks) { return timebase::ticksof(tempoplace(ticks), tickspeed); }

int64_t Window1::replaymetts(int64_t beatUnits) { return timebase::ticksof(beatUnits, tickspeed); }
