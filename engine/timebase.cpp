// Conversions between beat units (1/60 beat) and ticks (1/60 s). Each is
// computed in double precision, the division first, and truncated toward zero;
// exact integer arithmetic gives other results for some arguments, and every
// stored time depends on these.
#include "engine/window1.h"
#include "platform/numbers.h"
#include "shell/module1.h"

using namespace Module1;
using platform::TruncToInt64;

int64_t Window1::ts(int64_t beatUnits)
{
    return TruncToInt64(static_cast<double>(beatUnits) / 60.0 * static_cast<double>(lasttesttickspeed));
}

int64_t Window1::tempoplace(int64_t ticks)
{
    // Before the first test the tempo is 0; no time is converted then, and the
    // result is 0 rather than a division by zero.
    if (lasttesttickspeed == 0)
        return 0;
    return TruncToInt64(static_cast<double>(ticks) / static_cast<double>(lasttesttickspeed) * 60.0);
}

int64_t Window1::replayts(int64_t ticks)
{
    int64_t a = tempoplace(ticks);
    return TruncToInt64(static_cast<double>(a) / 60.0 * static_cast<double>(tickspeed));
}

int64_t Window1::replaymetts(int64_t beatUnits)
{
    return TruncToInt64(static_cast<double>(beatUnits) / 60.0 * static_cast<double>(tickspeed));
}
