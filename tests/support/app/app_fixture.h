#pragma once
// A main window with every platform service replaced by a test double: a
// stepped clock, a scripted random generator, a recording sound output, a
// scripted MIDI backend, a temporary data folder, a recording message box and
// a recording quit.
#include "engine/window1.h"
#include "platform/midi.h"
#include "platform/random.h"
#include "platform/services.h"
#include "platform/sound.h"
#include "platform/ticks.h"
#include "support/doubles/fake_ticks.h"
#include "support/doubles/recording_services.h"
#include "support/doubles/recording_sound.h"
#include "support/doubles/scripted_midi.h"
#include "support/doubles/scripted_random.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Something the program did (a sound, a caption, a request) at a tick, the
// tick counted from a start the test names.
struct Event {
    int64_t tick;
    QString what;
    bool operator==(const Event&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Event& e);

// The controls given back once a test stops or ends, or a replay does: the
// options and results buttons live with their faces, the tempo slider free,
// no mode caption.
::testing::AssertionResult idleControls(Window1& w);

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the main window (its open handler runs) with the doubles in place.
    Window1& openWindow();

    // Ends one case of a table: the main window goes and the program's state
    // starts afresh, as in a new run.
    void resetCase();

    // START on the open window, then the end of the pre-start wait on the
    // stepped clock; returns the tick the test started at.
    int64_t startTest();
    static constexpr int64_t prestartTicks = platform::ticksFromMilliseconds(Window1::prestartWaitMs);

    // Replaces the application's generator with one that returns these values.
    platform::ScriptedRandom& scriptRandom(std::initializer_list<int64_t> values = {});

    // The names of the sounds played so far, and forgets them.
    QStringList takePlayed();

    platform::FakeTicks clock{1000};
    platform::RecordingSoundOutput sound;
    platform::ScriptedMidiBackend midi;
    platform::RecordingMessageBox box;
    platform::RecordingQuit quit;
    QTemporaryDir dataDir;
    std::unique_ptr<Window1> window;
};
