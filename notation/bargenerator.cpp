// Generates the next bar of a running test: one rhythm group per beat, laid
// out for the notation canvas and expanded into note rows.
#include "engine/window1.h"
#include "platform/numbers.h"
#include "shell/module1.h"
#include "shell/velvane.h"

using namespace Module1;
using platform::TruncToInt64;
using platform::Val;

void Window1::generatebar()
{
    if (prestarttimer->Enabled() || !Timer1->Enabled())
        return;
    if (!countin && pagenumber != bars)
        pagenumber += 1;
    notesinbar = 0;
    const bool lastBar = pagenumber == bars - 1;
    const int64_t beatCount = lastBar ? beatsinbar - 1 : beatsinbar;
    bargroups.clear();
    barleft.clear();
    int64_t x = 0;
    int64_t previousPitch = 0;

    for (int64_t b = 1; b <= beatCount; ++b) {
        int64_t g = 0;
        if (retest && refreshrow < retestlist->ListCount()) {
            g = TruncToInt64(Val(retestlist->Cell(refreshrow, 0)));
            refreshrow += 1;
        } else if (notelist->ListCount() == 0 || (lastBar && b == beatsinbar - 1)) {
            // The first beat of a test and the last generated beat are the crotchet.
            g = 0;
        } else {
            // A beat past the end of a held test's repeat list (bars or beats
            // raised since it was held) is made as in a new test.
            int64_t beatStart = ts(60) * pagenumber + startofnote;
            double lastOnset = Val(notelist->Cell(notelist->LastIndex(), 0));
            bool followsSilence = static_cast<double>(beatStart) - lastOnset > static_cast<double>(ts(60));
            g = randomizer().InRange(stlevel, level);
            while (followsSilence && g == 1)
                g = randomizer().InRange(stlevel, level);
        }
        bargroups.push_back(g);
        barleft.push_back(230 + x);
        expandgroup(g, b == beatCount, previousPitch);
        x = TruncToInt64(static_cast<double>(notespace[g]) * 0.25 + static_cast<double>(x));
    }
    notessofar += notesinbar;
    if (lastBar) {
        bargroups.push_back(1);
        barleft.push_back(230 + x);
    }
}
