// The test clock: every 10 ms a pass polls MIDI, sounds the due note of a
// listen bar, counts beats and bar lines with the metronome, ends the count-in,
// alternates listen and play bars, clears the hit strip before each bar line,
// requests the next bar, and in the last bar ends the test.
#include "engine/timebase.h"
#include "engine/window1.h"
#include "platform/numbers.h"
#include "platform/services.h"
#include "platform/ticks.h"
#include "shell/module1.h"

using namespace Module1;
using platform::Ticks;
using platform::TruncToInt64;
using platform::Val;

namespace {
constexpr uint32_t red = 0xFF0000;
constexpr uint32_t green = 0x00E000;
} // namespace

void Window1::Timer1_Action()
{
    // No pass runs while the error message is open.
    if (timer1boxopen)
        return;
    try {
        testClockPass();
    } catch (...) {
        // Any error of a pass: the MIDI stream is closed, the user is told, and
        // the rest of the pass is dropped; the clock keeps running.
        timer1boxopen = true;
        try {
            if (s)
                s->Close();
            platform::MsgBox(QStringLiteral("Timer1"));
        } catch (...) {
        }
        timer1boxopen = false;
    }
}

void Window1::testClockPass()
{
    // 1. MIDI hits
    if (midiinput)
        midihits();

    // 2. Listen-bar playback: at most one note a pass.
    if (listening && lastnotesounded <= notelist->ListCount() - 1) {
        double onset = Val(notelist->Cell(lastnotesounded, 0));
        if (static_cast<double>(Ticks() - continuoustime) >= onset) {
            int64_t p = TruncToInt64(Val(notelist->Cell(lastnotesounded, 3)));
            sounds[p]->Play();
            lastnotesounded += 1;
        }
    }

    // 3. Request margin
    const int64_t margin = listenplay ? 1 : ts(earlychange);
    auto span = [this] { return ts(60) * beatsinbar; };

    // 4. Beat interval
    newtick = (Ticks() - startruntime) - lastticktime;

    // 5. Listen-bar gate
    if (listening && span() - timebase::earlyWindowTicks < Ticks() - startruntime)
        allowplay = true;

    // 6. Next-bar request and end of the test
    if (newpagecheck && span() - margin < Ticks() - startruntime && !countin) {
        if (pagenumber == bars - 1 && !listening) {
            Timer1->setEnabled(false);
            // In repeat mode the test just ended becomes the held test.
            if (reptest) {
                retest = true;
                setrepeat();
            }
            restoreidlecontrols(reptest);
            correctnotelist();
            showresults();
            return;
        }
        if (!listening) {
            if (listenplay) {
                if (allnotes < notelist->ListCount())
                    allnotes = notelist->ListCount();
                platform::setTextColor(lisplaylabel, red);
                lisplaylabel->setText(QStringLiteral("LISTEN "));
            }
            generatebar();
            Canvas1->Refresh();
            newpagecheck = false;
        }
    }

    // 7. Hit-strip clearing, once per bar
    if (span() - 10 < Ticks() - startruntime && Ticks() - startruntime < span() - 5 && !refreshcanvas2) {
        place.fill(-1);
        Canvas2->Refresh();
        refreshcanvas2 = true;
    }

    // 8. End of the count-in
    if (span() - 1 < Ticks() - startruntime)
        countin = false;

    // 9. Beat
    metronomebeat(
        ts(60),
        [this] {
            if (listening && listenplay && !countin) {
                platform::setTextColor(lisplaylabel, green);
                lisplaylabel->setText(QStringLiteral("PLAY"));
            }
            if (!listenplay && pagenumber == 0) {
                platform::setTextColor(lisplaylabel, green);
                lisplaylabel->setText(QStringLiteral("PLAY"));
            }
            refreshcanvas2 = false;
        },
        [this, &span] {
            if (!listening && listenplay && !countin && pagenumber == 0) {
                platform::setTextColor(lisplaylabel, red);
                lisplaylabel->setText(QStringLiteral("LISTEN"));
            }
            notecount = 0;
            if (listenplay) {
                if (listening) {
                    listening = false;
                } else {
                    allowplay = false;
                    listening = true;
                    continuoustime += span();
                }
            }
            newpagecheck = true;
        });
}
