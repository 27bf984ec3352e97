// The gates of key and MIDI hits, the hit time and hit-strip position, and
// the pitch a hit sounds.
#include "platform/numbers.h"
#include "platform/ticks.h"
#include "shell/module1.h"
#include "shell/resource_accessors.h"
#include "support/app/app_fixture.h"
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <optional>

using namespace Module1;

namespace {

class HitCaptureTest : public AppTest {
protected:
    // A test at 60 ticks a beat, 4 beats (bar span 240), whose clock started
    // at tick T; bar 0 holds rows at the given onsets.
    Window1& running(std::vector<int64_t> onsets = {0, 60, 120, 180})
    {
        Window1& w = openWindow();
        lasttesttickspeed = 60;
        w.Timer1->setEnabled(true);
        w.continuoustime = T;
        startruntime = T;
        lastnoteplayed = -1;
        for (int64_t o : onsets) {
            w.notelist->AddRow(platform::Str(o));
            w.notelist->setCell(w.notelist->LastIndex(), 3, "1");
        }
        w.notessofar = static_cast<int64_t>(onsets.size());
        return w;
    }

    // One hit now, as a MIDI Note On read by the test clock or as a key.
    void hitOnce(Window1& w, bool viaMidi)
    {
        if (viaMidi) {
            midiinput = true;
            midi.noteOn(0);
            w.midihits();
        } else {
            EXPECT_TRUE(w.TextField1_KeyDown(" "));
        }
    }

    bool key(Qt::Key k, const QString& text, bool autoRepeat = false)
    {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text, autoRepeat);
        QCoreApplication::sendEvent(window->TextField1, &press);
        return press.isAccepted();
    }

    const int64_t T = 5000;
};

} // namespace

TEST_F(HitCaptureTest, KeyGatesInTheirOrder)
{
    struct Case {
        const char* name;
        bool midi, listenplay, allowplay, countinOn, allPlayed;
        int64_t e; // ticks since continuoustime
        bool consumed, accepted;
    };
    const Case cases[] = {
        {"MIDI is the input method", true, false, true, false, false, 240, true, false},
        {"listen bar gate closed", false, true, false, false, false, 240, true, false},
        {"count-in in listen-and-play", false, true, true, true, false, 240, true, false},
        {"every generated note hit", false, false, true, false, true, 240, true, false},
        {"too early: B - 41", false, false, true, false, false, 199, false, false},
        {"at the early gate: B - 40", false, false, true, false, false, 200, true, true},
        {"count-in in continuous mode", false, false, true, true, false, 230, true, true},
        {"play bar, gate open", false, true, true, false, false, 250, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window1& w = running();
        midiinput = c.midi;
        w.listenplay = c.listenplay;
        w.allowplay = c.allowplay;
        countin = c.countinOn;
        if (c.allPlayed)
            w.notesplayedsofar = w.notessofar;
        clock.now = T + c.e;
        sound.played.clear();
        EXPECT_EQ(w.TextField1_KeyDown("x"), c.consumed);
        EXPECT_EQ(!w.notelist->Cell(0, 1).isEmpty(), c.accepted);
        EXPECT_EQ(sound.played.size(), c.accepted ? 1u : 0u);
        if (c.accepted) {
            EXPECT_EQ(w.notelist->Cell(0, 1), platform::Str(c.e - 240));
        }
        resetCase();
    }
}

TEST_F(HitCaptureTest, EarlyHitOnABarStartIsShownAtTheStartOfTheStrip)
{
    Window1& w = running();
    w.listenplay = false;
    clock.now = T + 230; // 10 ticks before the end of the count-in
    startruntime = T;
    EXPECT_TRUE(w.TextField1_KeyDown(" "));
    EXPECT_EQ(w.notelist->Cell(0, 1), "-10");
    EXPECT_EQ(w.place[0], 0);
    EXPECT_EQ(w.notelist->Cell(0, 3), "0") << "the first hit sounds pitch 0";
    EXPECT_EQ(allnotes, 1);
    EXPECT_EQ(w.notecount, 1);

    // 3 ticks late on the next note: the position comes from the bar.
    startruntime = T + 240;
    clock.now = T + 240 + 63;
    EXPECT_TRUE(w.TextField1_KeyDown(" "));
    EXPECT_EQ(w.notelist->Cell(1, 1), "63");
    EXPECT_EQ(w.place[1], 63);
}

TEST_F(HitCaptureTest, KeysOutsideATestAndNonTapsAreConsumedAndIgnored)
{
    Window1& w = running();
    w.listenplay = false;
    clock.now = T + 240;
    EXPECT_TRUE(key(Qt::Key_Shift, QString()));
    EXPECT_TRUE(key(Qt::Key_Control, QString()));
    EXPECT_TRUE(key(Qt::Key_A, "a", true)) << "auto-repeat";
    EXPECT_TRUE(w.notelist->Cell(0, 1).isEmpty());
    EXPECT_TRUE(key(Qt::Key_A, "a"));
    EXPECT_EQ(w.notelist->Cell(0, 1), "0");

    w.Timer1->setEnabled(false); // the test is over
    EXPECT_TRUE(key(Qt::Key_B, "b"));
    EXPECT_TRUE(w.notelist->Cell(1, 1).isEmpty());
    EXPECT_EQ(w.notesplayedsofar, 1);
}

TEST_F(HitCaptureTest, MoreHitsInABarThanTheStripHoldsAreStillRecorded)
{
    std::vector<int64_t> onsets;
    for (int64_t i = 0; i < 120; ++i)
        onsets.push_back(i * 2);
    Window1& w = running(onsets);
    w.listenplay = false;
    clock.now = T + 240;
    for (int i = 0; i < 120; ++i)
        EXPECT_TRUE(w.TextField1_KeyDown(" "));
    EXPECT_EQ(w.notecount, 120);
    EXPECT_EQ(w.notelist->Cell(119, 1), "0");
    EXPECT_NE(w.place[100], -1);
}

TEST_F(HitCaptureTest, ClosingCadenceOfTheLastThreeHits)
{
    // Last bar generated, 6 rows: key hits 4, 5 and 6 sound 2, 1 and 0.
    Window1& w = running({0, 60, 120, 180, 240, 300});
    w.listenplay = false;
    w.pagenumber = w.bars - 1;
    scriptRandom({1, 2});
    std::vector<QString> heard;
    clock.now = T + 240;
    for (int i = 0; i < 6; ++i) {
        sound.played.clear();
        w.TextField1_KeyDown(" ");
        heard.push_back(sound.played.at(0).name);
    }
    EXPECT_EQ(heard[3], "e.wav");
    EXPECT_EQ(heard[4], "d.wav");
    EXPECT_EQ(heard[5], "c.wav");
}

TEST_F(HitCaptureTest, MidiNoteOnsAreHitsAndOtherMessagesAreNot)
{
    midi.devices.push_back({});
    Window1& w = running();
    ASSERT_TRUE(midiinputpos);
    midiinput = true;
    w.listenplay = false;
    countin = false;
    midi.noteOn(0, 60, 0);        // velocity 0
    midi.noteOn(0, 60, 90, 128);  // Note Off
    midi.noteOn(0, 60, 90, 145);  // channel 2
    midi.noteOn(0, 62, 90);       // a hit
    clock.now = T + 240 + 5;
    sound.played.clear();
    w.midihits();
    EXPECT_EQ(w.notelist->Cell(0, 1), "5");
    EXPECT_TRUE(w.notelist->Cell(1, 1).isEmpty());
    EXPECT_TRUE(sound.played.empty()) << "silent without the MIDI sound option";
    EXPECT_EQ(w.notelist->Cell(0, 3), "1") << "the generated pitch stays";
    EXPECT_EQ(w.nextnote, 0);
}

// A Note On the library stamped is timed at its arrival, not at the pass that
// reads it (up to a period later, often in the next tick): its hit time, its
// dot, the early gate and its sound. One without a stamp is timed at the pass.
TEST_F(HitCaptureTest, AStampedMidiNoteIsTimedAtItsArrival)
{
    struct Case {
        const char* what;
        std::optional<int64_t> arrival; // ticks after the bar line
        const char* hitTime;
    };
    const Case cases[] = {
        {"stamped a tick before the pass", 4, "4"},
        {"stamped in the tick of the pass", 5, "5"},
        {"not stamped", std::nullopt, "5"},
        {"stamped before the early gate", -41, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        midi.devices.push_back({});
        Window1& w = running();
        midiinput = true;
        playmidinotes = true;
        w.listenplay = false;
        countin = false;
        sound.played.clear();
        clock.now = T + 240 + 5; // the pass, at B - 35 ticks after the early gate
        const int64_t tick = T + 240 + c.arrival.value_or(5);
        const int64_t arrivalNs = c.arrival ? platform::tickStartNanoseconds(tick) + 1'000'000 : -1;
        midi.noteOn(0, 60, 100, 144, arrivalNs);
        w.midihits();
        EXPECT_EQ(w.notelist->Cell(0, 1), c.hitTime);
        if (*c.hitTime) {
            EXPECT_EQ(w.place[0], w.tempoplace(tick - T));
            ASSERT_EQ(sound.played.size(), 1u);
            EXPECT_EQ(sound.played[0].askedAtNs, c.arrival ? std::optional<int64_t>(arrivalNs) : std::nullopt)
                << "the note's sound is timed from its arrival";
        }
        midi.devices.clear();
        resetCase();
    }
}

// A key press is timed where the window system stamped it (milliseconds on
// the monotonic clock), not when the main thread comes to it, and so is its
// sound; a press whose stamp is not on that clock is timed when it is handled.
TEST_F(HitCaptureTest, AStampedKeyIsTimedAtItsArrival)
{
    struct Case {
        const char* what;
        int64_t handled; // ticks after the bar line
        std::optional<int64_t> msBefore; // stamped this long before it is handled
        const char* hitTime;
    };
    // Handled 2 ms into a tick, so 92 or 192 ms before is 10 ms into the tick
    // six or twelve before, with room for the test's own time on a loaded
    // machine.
    const Case cases[] = {
        {"stamped 92 ms before", 20, 92, "14"},
        {"not stamped", 20, std::nullopt, "20"},
        {"stamped before the early gate", -30, 192, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window1& w = running();
        w.listenplay = false;
        countin = false;
        sound.played.clear();
        clock.now = T + 240 + c.handled;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_J, Qt::NoModifier, "j");
        if (c.msBefore)
            press.setTimestamp(quint64(platform::monotonicNanoseconds() / 1'000'000 - *c.msBefore));
        QCoreApplication::sendEvent(w.TextField1, &press);
        EXPECT_EQ(w.notelist->Cell(0, 1), c.hitTime);
        if (*c.hitTime) {
            const int64_t tick = T + 240 + platform::Val(c.hitTime);
            EXPECT_EQ(w.place[0], w.tempoplace(tick - T));
            ASSERT_EQ(sound.played.size(), 1u);
            const std::optional<int64_t> askedAt = sound.played[0].askedAtNs;
            EXPECT_EQ(askedAt.has_value(), c.msBefore.has_value());
            if (askedAt) {
                EXPECT_EQ(platform::ticksFromNanoseconds(*askedAt), tick) << "the key's sound is timed from its arrival";
            }
        }
        resetCase();
    }
}

TEST_F(HitCaptureTest, MidiLoopEndsOnALibraryErrorAndReopensTheLastDevice)
{
    midi.devices.push_back({});
    midi.devices.push_back({});
    Window1& w = running();
    ASSERT_EQ(s->DeviceID(), 1);
    midiinput = true;
    midi.pollError = -9995;
    clock.now = T + 240;
    w.midihits(); // must return
    midi.pollError = 0;
    EXPECT_TRUE(w.notelist->Cell(0, 1).isEmpty());
    s->Close();
    w.midihits();
    EXPECT_EQ(s->DeviceID(), 1) << "reopened on the device it had, not on device 0";
}

// The last input device failed to open at the start, so the stream never had
// a device: MIDI hit capture opens it on device 0 and reads its hits.
TEST_F(HitCaptureTest, AStreamThatNeverOpenedIsOpenedOnDeviceZero)
{
    midi.devices.push_back({});
    midi.devices.push_back({});
    midi.devices[1].opens = false;
    Window1& w = running();
    ASSERT_TRUE(midiinputpos);
    ASSERT_LT(s->DeviceID(), 0);
    midiinput = true;
    w.listenplay = false;
    countin = false;
    clock.now = T + 240 + 5;
    w.midihits(); // opens the stream; the hit comes with the next pass
    EXPECT_EQ(s->DeviceID(), 0);
    midi.noteOn(0);
    w.midihits();
    EXPECT_EQ(w.notelist->Cell(0, 1), "5");
}

TEST_F(HitCaptureTest, TabIsAHitAndKeepsTheFocusOnTheKeyField)
{
    Window1& w = running();
    w.listenplay = false;
    w.show();
    w.TextField1->setFocus();
    clock.now = T + 240;
    EXPECT_TRUE(key(Qt::Key_Tab, "\t"));
    EXPECT_EQ(w.notelist->Cell(0, 1), "0");
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier, QString());
    QCoreApplication::sendEvent(w.TextField1, &back);
    EXPECT_EQ(w.notelist->Cell(1, 1), "0");
    EXPECT_TRUE(w.TextField1->hasFocus() || !QApplication::focusWidget());
}

TEST_F(HitCaptureTest, WithABarSpanOfFortyTheEarlyGateNeverRefuses)
{
    Window1& w = running();
    lasttesttickspeed = 20;
    w.beatsinbar = 2; // bar span 40
    w.listenplay = false;
    clock.now = T; // the very start of the count-in
    EXPECT_TRUE(w.TextField1_KeyDown(" "));
    EXPECT_EQ(w.notelist->Cell(0, 1), "-40");
}

// A hit on a note that starts a bar is shown at the start of the strip only
// when it is early; exact and late hits take their place in the bar.
TEST_F(HitCaptureTest, StripPositionOfAHitOnANoteThatStartsABar)
{
    struct Case {
        const char* what;
        int64_t tick;        // after T; the hit time is tick - 240
        int64_t barLine;     // the last bar line the clock has made, after T
        int64_t position;
    };
    const Case cases[] = {
        {"10 ticks early", 470, 240, 0},
        {"exact, before the clock's pass makes the bar line", 480, 240, 240},
        {"exact, after the bar line", 480, 480, 0},
        {"3 ticks late", 483, 480, 3},
    };
    for (const bool viaMidi : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (viaMidi ? " (MIDI)" : " (key)"));
            if (viaMidi)
                midi.devices.push_back({});
            Window1& w = running({240, 300}); // the rows of bar 1
            w.listenplay = false;
            countin = false;
            startruntime = T + c.barLine;
            clock.now = T + c.tick;
            hitOnce(w, viaMidi);
            EXPECT_EQ(w.notelist->Cell(0, 1), platform::Str(c.tick - 240));
            EXPECT_EQ(w.place[0], c.position);
            resetCase();
            midi.devices.clear();
        }
    }
}

TEST_F(HitCaptureTest, MidiGatesInTheirOrder)
{
    struct Case {
        const char* name;
        bool listenplay, allowplay, countinOn, allPlayed;
        int64_t e; // ticks since continuoustime
        bool accepted;
    };
    const Case cases[] = {
        {"every generated note hit", false, true, false, true, 240, false},
        {"listen bar gate closed", true, false, false, false, 240, false},
        {"too early: B - 41", false, true, false, false, 199, false},
        {"at the early gate: B - 40", false, true, false, false, 200, true},
        {"the count-in is no gate for MIDI", true, true, true, false, 240, true},
        {"play bar, gate open", true, true, false, false, 250, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        midi.devices.push_back({});
        Window1& w = running();
        midiinput = true;
        w.listenplay = c.listenplay;
        w.allowplay = c.allowplay;
        countin = c.countinOn;
        if (c.allPlayed)
            w.notesplayedsofar = w.notessofar;
        const int64_t playedBefore = w.notesplayedsofar;
        clock.now = T + c.e;
        midi.noteOn(0);
        w.midihits();
        EXPECT_EQ(!w.notelist->Cell(0, 1).isEmpty(), c.accepted);
        EXPECT_EQ(w.notesplayedsofar - playedBefore, c.accepted ? 1 : 0);
        EXPECT_EQ(allnotes, c.accepted ? 1 : 0);
        if (c.accepted) {
            EXPECT_EQ(w.notelist->Cell(0, 1), platform::Str(c.e - 240));
        }
        EXPECT_TRUE(midi.devices[0].waiting.empty()) << "the event is read either way";
        resetCase();
        midi.devices.clear();
    }
}

// With the MIDI sound on and the last bar generated, the last two MIDI hits
// sound d and c; the one before them still follows the pitch walk.
TEST_F(HitCaptureTest, ClosingCadenceOfTheLastMidiHits)
{
    midi.devices.push_back({});
    Window1& w = running({0, 60, 120, 180, 240, 300});
    midiinput = true;
    playmidinotes = true;
    w.listenplay = false;
    countin = false;
    w.pagenumber = w.bars - 1;
    // The walk from c draws d (1), from d draws e (2), from e draws f (3).
    scriptRandom({1, 2, 3});
    clock.now = T + 240;
    for (int i = 0; i < 6; ++i)
        midi.noteOn(0);
    sound.played.clear();
    w.midihits();
    EXPECT_EQ(sound.names(), (QStringList{"c.wav", "d.wav", "e.wav", "f.wav", "d.wav", "c.wav"}));
    EXPECT_EQ(w.notesplayedsofar, 6);
}

// In listen-and-play mode the row for the next hit can lie past the last row:
// such a hit sounds and moves the counters on but writes nothing.
TEST_F(HitCaptureTest, AHitPastTheLastRowWritesNothing)
{
    struct Case {
        const char* what;
        int64_t row; // allnotes before the hit
        bool written;
    };
    const Case cases[] = {{"on the last row", 3, true}, {"past the last row", 4, false}};
    for (const bool viaMidi : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (viaMidi ? " (MIDI)" : " (key)"));
            if (viaMidi)
                midi.devices.push_back({});
            Window1& w = running();
            w.listenplay = true;
            w.allowplay = true;
            countin = false;
            playmidinotes = true;
            allnotes = c.row;
            w.notesplayedsofar = 1;
            w.notecount = 2;
            clock.now = T + 250;
            sound.played.clear();
            hitOnce(w, viaMidi);
            EXPECT_EQ(sound.played.size(), 1u) << "the hit sounds";
            EXPECT_EQ(w.notesplayedsofar, 2);
            EXPECT_EQ(allnotes, c.row + 1);
            EXPECT_EQ(w.notecount, 3);
            EXPECT_EQ(w.notelist->ListCount(), 4);
            EXPECT_EQ(w.notelist->Cell(3, 1), c.written ? QStringLiteral("10") : QString());
            EXPECT_EQ(w.place[2] != -1, c.written);
            EXPECT_EQ(w.notelist->Cell(3, 3), c.written && !viaMidi ? QStringLiteral("0") : QStringLiteral("1"))
                << "a key hit writes the pitch it sounded";
            for (int64_t r = 0; r < 3; ++r)
                EXPECT_TRUE(w.notelist->Cell(r, 1).isEmpty()) << "row " << r;
            resetCase();
            midi.devices.clear();
        }
    }
}

// The gates every hit passes, keys and MIDI alike: the first that holds
// decides, and the clock is read only when the others have passed.
TEST_F(HitCaptureTest, HitGatesSharedByKeysAndMidi)
{
    using Gate = Window1::HitGate;
    struct Case {
        const char* name;
        bool countInGate, listenplay, allowplay, countinOn, allPlayed;
        int64_t e; // ticks since continuoustime
        Gate gate;
    };
    const Case cases[] = {
        {"every generated note hit", true, false, true, false, true, 240, Gate::refused},
        {"listen bar gate closed", false, true, false, false, false, 240, Gate::refused},
        {"count-in in listen-and-play", true, true, true, true, false, 240, Gate::refused},
        {"count-in gate left out", false, true, true, true, false, 240, Gate::accepted},
        {"count-in in continuous mode", true, false, true, true, false, 240, Gate::accepted},
        {"too early: B - 41", true, false, true, false, false, 199, Gate::early},
        {"at the early gate: B - 40", false, false, true, false, false, 200, Gate::accepted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window1& w = running();
        w.listenplay = c.listenplay;
        w.allowplay = c.allowplay;
        countin = c.countinOn;
        if (c.allPlayed)
            w.notesplayedsofar = w.notessofar;
        clock.now = T + c.e;
        const int64_t readsBefore = clock.reads;
        int64_t hitTime = 12345;
        EXPECT_EQ(w.hitgate(c.countInGate, hitTime), c.gate);
        EXPECT_EQ(hitTime, c.gate == Gate::accepted ? c.e - 240 : 12345);
        EXPECT_EQ(clock.reads - readsBefore, c.gate == Gate::refused ? 0 : 1);
        EXPECT_TRUE(w.notelist->Cell(0, 1).isEmpty()) << "the gates write nothing";
        EXPECT_EQ(allnotes, 0);
        resetCase();
    }
}

// Recording an accepted hit counts it, writes its row and dot, and moves on,
// whether the row exists or not.
TEST_F(HitCaptureTest, RecordingAHit)
{
    struct Case {
        const char* what;
        int64_t row; // allnotes before the hit
        bool writePitch;
        int64_t tick; // after T; the bar line was at T + 240
        QString hitCell, pitchCell;
        int64_t position;
    };
    const Case cases[] = {
        {"a key hit on a row", 1, true, 300, "60", "5", 60},
        {"a MIDI hit keeps the generated pitch", 1, false, 300, "60", "1", 60},
        {"early on a note that starts a bar", 0, true, 230, "-10", "5", 0},
        {"past the last row", 4, true, 300, "", "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window1& w = running({0, 60, 120, 180});
        startruntime = T + 240;
        allnotes = c.row;
        w.notesplayedsofar = 2;
        w.notecount = 3;
        lastnoteplayed = 5;
        clock.now = T + c.tick;
        w.recordHit(c.tick - 240, c.writePitch);
        EXPECT_EQ(w.notesplayedsofar, 3);
        EXPECT_EQ(allnotes, c.row + 1);
        EXPECT_EQ(w.notecount, 4);
        EXPECT_EQ(w.place[3], c.position);
        const int64_t row = std::min<int64_t>(c.row, 3);
        EXPECT_EQ(w.notelist->Cell(row, 1), c.hitCell);
        if (c.row <= 3) {
            EXPECT_EQ(w.notelist->Cell(row, 3), c.pitchCell);
        }
        for (int64_t r = 0; r < 4; ++r) {
            if (r != c.row) {
                EXPECT_TRUE(w.notelist->Cell(r, 1).isEmpty()) << "row " << r;
            }
        }
        EXPECT_EQ(w.notelist->ListCount(), 4);
        resetCase();
    }
}
