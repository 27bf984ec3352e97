// Hit capture: a key pressed into the key field, or a MIDI Note On read by
// the test clock, becomes one hit written into the next note row.
#include "engine/timebase.h"
#include "engine/window1.h"
#include "notation/pitchwalk.h"
#include "platform/eventtime.h"
#include "platform/midi.h"
#include "platform/numbers.h"
#include "platform/ticks.h"
#include "shell/module1.h"
#include "shell/velvane.h"
#include <QKeyEvent>

using namespace Module1;
using platform::Str;
using platform::Ticks;
using platform::TruncToInt32;
using platform::Val;

namespace {

// A key held down repeats, and a modifier pressed alone is no tap.
bool isTap(const QKeyEvent& event)
{
    if (event.isAutoRepeat())
        return false;
    switch (event.key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Mode_switch:
        return false;
    default:
        return true;
    }
}

} // namespace

void Window1::keyDownEvent(const QKeyEvent& event, bool& consumed)
{
    // Keys count only while a test runs: a key after the end of a test must not
    // write into the note table that was scored.
    if (!isTap(event) || !Timer1->Enabled()) {
        consumed = true;
        return;
    }
    // Timed at its arrival where the window system stamped it, as a MIDI note
    // is: the main thread may come to it a tick or more later.
    consumed = TextField1_KeyDown(event.text(), platform::inputEventArrivalNs(event.timestamp()));
}

namespace {

std::optional<int64_t> arrivalTick(std::optional<int64_t> arrivalNs)
{
    if (arrivalNs)
        return platform::ticksFromNanoseconds(*arrivalNs);
    return std::nullopt;
}

} // namespace

bool Window1::TextField1_KeyDown(const QString&, std::optional<int64_t> arrivalNs)
{
    if (midiinput)
        return true;
    const std::optional<int64_t> at = arrivalTick(arrivalNs);
    int64_t hitTime = 0;
    switch (hitgate(true, hitTime, at)) {
    case HitGate::refused:
        return true;
    case HitGate::early:
        return false; // not consumed: the key goes on to the field
    case HitGate::accepted:
        break;
    }
    soundhit(false, arrivalNs);
    recordHit(hitTime, true, at);
    return true;
}

void Window1::midihits()
{
    if (!s)
        return;
    // A stream closed by an error is reopened on the device it had: falling
    // back to another device would score the whole test as missed.
    if (s->DeviceID() < 0)
        s->OpenInput(s->LastDeviceID() >= 0 ? s->LastDeviceID() : 0, platform::inputBufferEvents);
    platform::PortMidiEventMBS event;
    // Poll is 0 on a closed stream or an error, so the loop ends; the bound is
    // a second guard against a stream that keeps reporting events.
    for (int guard = 0; guard < 1000 && s->Poll() != 0; ++guard) {
        if (s->Read(event) != 1)
            continue;
        if (event.Status() != platform::noteOnChannel1 || event.Data2() == 0)
            continue;
        // Timed at its arrival where the library stamped it: the pass that
        // reads it comes up to a period later, often in the next tick.
        std::optional<int64_t> arrivalNs;
        if (event.arrivalNs >= 0)
            arrivalNs = event.arrivalNs;
        const std::optional<int64_t> at = arrivalTick(arrivalNs);
        int64_t hitTime = 0;
        if (hitgate(false, hitTime, at) != HitGate::accepted)
            continue;
        // The generated pitch stays in the row unless the MIDI hit sounds.
        if (playmidinotes)
            soundhit(true, arrivalNs);
        recordHit(hitTime, false, at);
    }
}

Window1::HitGate Window1::hitgate(bool countInGate, int64_t& hitTime, std::optional<int64_t> at)
{
    // The checks that need no time come first; the clock is read only once
    // they have passed.
    if (notesplayedsofar >= notessofar)
        return HitGate::refused;
    if (listenplay && !allowplay)
        return HitGate::refused;
    if (countInGate && listenplay && countin)
        return HitGate::refused;
    const int64_t span = ts(60) * beatsinbar;
    const int64_t e = (at ? *at : Ticks()) - continuoustime;
    if (e < span - timebase::earlyWindowTicks)
        return HitGate::early;
    hitTime = e - span;
    return HitGate::accepted;
}

void Window1::soundhit(bool midi, std::optional<int64_t> arrivalNs)
{
    sounds[nextnote]->Play(arrivalNs);
    lastnoteplayed = nextnote;
    // A key hit chooses with itself counted, a MIDI hit before it is counted.
    choosenextnote(midi ? notesplayedsofar : notesplayedsofar + 1, midi);
}

void Window1::recordHit(int64_t hitTime, bool writePitch, std::optional<int64_t> at)
{
    notesplayedsofar += 1;
    // In listen-and-play mode the row can lie past the last one; the hit then
    // still counts but writes nothing.
    if (allnotes <= notelist->ListCount() - 1) {
        const double onset = Val(notelist->Cell(allnotes, 0));
        const int32_t span32 = TruncToInt32(static_cast<double>(ts(60) * beatsinbar));
        int64_t position;
        if (span32 != 0 && TruncToInt32(onset) % span32 == 0 && onset > static_cast<double>(hitTime))
            position = 0; // an early hit on a note that starts a bar
        else
            position = tempoplace((at ? *at : Ticks()) - startruntime);
        // More hits in one bar than the strip holds are still recorded; only
        // their dots are dropped.
        if (notecount >= 0 && notecount < place.size())
            place[notecount] = position;
        notelist->setCell(allnotes, 1, Str(hitTime));
        if (writePitch)
            notelist->setCell(allnotes, 3, Str(lastnoteplayed));
    }
    allnotes += 1;
    notecount += 1;
    Canvas2->Refresh();
}

void Window1::choosenextnote(int64_t n, bool midi)
{
    const int64_t N = notessofar;
    if (pagenumber == bars - 1 && n > N - 4) {
        if (n == N - 3)
            nextnote = midi ? 1 : 2;
        if (n == N - 2)
            nextnote = midi ? 0 : 1;
        if (n == N - 1)
            nextnote = 0;
        return;
    }
    if (std::optional<int64_t> p = pitchwalk::next(lastnoteplayed, randomizer()))
        nextnote = *p;
}
