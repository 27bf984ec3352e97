// The replay clock: plays the recorded hits of the last test back at the
// current tempo, with the metronome, until the first row without a hit; and
// the start and the end of a replay.
#include "engine/clockphase.h"
#include "engine/window1.h"
#include "platform/numbers.h"
#include "platform/ticks.h"
#include "scoring/resultswin.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"

using namespace Module1;
using platform::Ticks;
using platform::TruncToInt64;
using platform::Val;

void Window1::replaytimer_Action()
{
    try {
        const int64_t rows = notelist->ListCount();
        if (lastnotesounded < 0 || lastnotesounded > rows - 1 || notelist->Cell(lastnotesounded, 1).isEmpty()) {
            stopreplay();
            return;
        }
        const int64_t due = replayts(TruncToInt64(Val(notelist->Cell(lastnotesounded, 1))));
        if (due <= Ticks() - continuoustime) {
            sounds[TruncToInt64(Val(notelist->Cell(lastnotesounded, 3)))]->Play();
            lastnotesounded += 1;
        }
        newtick = (Ticks() - startruntime) - lastticktime;
        if (replaymetts(60) * beatsinbar - 1 < Ticks() - startruntime)
            countin = false;
        // The replay's metronome has no last-beat or bar-line duties of its own.
        metronomebeat(replaymetts(60), nullptr, nullptr);
        if (lastnotesounded == rows)
            stopreplay();
    } catch (...) {
        // A failed pass is dropped silently; the replay goes on.
    }
}

bool Window1::startreplay()
{
    // A test owns the run state, and an empty note table has nothing to play.
    if (testrunning() || notelist->ListCount() == 0)
        return false;
    Slider1->setEnabled(false); // the replay plays at the tempo set now
    resetrunstate();
    // The replay's clock runs at once, its first bar line waits for the
    // clock's place in a tick, as a test's does.
    clockphase::start(*replaytimer, [this] { startbarclock(); });
    if (resultswin* open = resultswin::existing())
        open->BevelButton1->setIcon(res::smallstop());
    return true;
}

bool Window1::testrunning() const
{
    return Timer1->Enabled() || prestarttimer->Enabled();
}

void Window1::stopreplay()
{
    replaytimer->setEnabled(false);
    // A test start also ends a replay; the tempo then belongs to the test.
    if (!testrunning())
        Slider1->setEnabled(true);
    // Only an open results window has a replay button to reset.
    if (resultswin* open = resultswin::existing())
        open->BevelButton1->setIcon(res::play());
}
